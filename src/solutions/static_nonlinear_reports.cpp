// The output side of the static nonlinear step loop: captions, step headers,
// paging, limit-state point lines and the notes and messages of the loop.
#include <cmath>

#include "base/globals.h"
#include "fio/fio.h"
#include "solutions/static_nonlinear_detail.h"

namespace solutions::nonlinear {

namespace {

constexpr int kOut = 6;
constexpr int kPageLines = 60;

// An SP that step 1 could not define is printed as a word in its field.
void write_sp(std::string_view fmt, float sp, float splimit_or_unused, int a, int b, bool with_limit) {
  if (std::isnan(sp)) {
    if (with_limit)
      fio::write(kOut, fmt, "      UNDEFINED", splimit_or_unused, a, b);
    else
      fio::write(kOut, fmt, "      UNDEFINED", a, b);
  } else if (with_limit) {
    fio::write(kOut, fmt, sp, splimit_or_unused, a, b);
  } else {
    fio::write(kOut, fmt, sp, a, b);
  }
}

}  // namespace

std::string step_caption(std::string_view label, int istep, float target) {
  std::string cap = fio::format("(A10,' STEP:',I5,' FACTOR:',1P,E11.4)", label, istep, target);
  cap.resize(kCaptionLength, ' ');
  return cap;
}

void trace_step_line(std::string_view label, int istep, float target, bool newk, bool newkg) {
  fio::write(kOut, "('1 ',A10,' STEP:',I5,' FACTOR:',1P,E11.4)", label, istep, target);
  fio::write_list(kOut, "NEWK: ", newk, "   NEWKG: ", newkg);
}

void step_page_header(int istep, std::string_view caption) {
  fio::write(kOut, "('1 STRUCTURE....: ',A,/,'  SOLUTION.....: ',A,/,/,2X,',  LOADING #',I5,5X,A)",
             kv::titles().title1, kv::titles().title2, istep, caption);
}

void Pager::step_header(std::string_view caption, float target, float factor, float dfact, float prev_factor,
                        float pmax, float dmax, float urms) {
  fio::write(kOut,
             "('1 STRUCTURE....: ',A,/,'  SOLUTION.....: ',A,/,/,2X,A,/,"
             "'    TARGET FACTOR...:',1P,E12.4,'  FACTOR....:',E12.4,'  INC. FACTOR....:',E12.4,"
             "'  PREV. FACTOR.:',E12.4,/,"
             "'    PMAX............:',E12.4,'  DMAX......:',E12.4,'  NORM OF UNBALANCED FORCE:',E12.4)",
             kv::titles().title1, kv::titles().title2, caption, target, factor, dfact, prev_factor, pmax, dmax,
             urms);
  lines_ = 15;
}

void Pager::check(int estimate, int istep, std::string_view caption, bool reactions) {
  if (estimate + lines_ > kPageLines) {
    step_page_header(istep, caption);
    lines_ = estimate + (reactions ? 8 : 4);
  } else {
    lines_ += estimate + (reactions ? 4 : 0);
  }
}

void report_limit_states(int istep) {
  static constexpr std::array<std::string_view, 7> kTags{"", "%7 %", "%8 %", "%9 %", "%10%", "%11%", "%12%"};
  kv::Solsta& st = kv::solsta();
  for (std::size_t k = 1; k <= 6; ++k) {
    if (st.lsflag[k] != 1.0f) continue;
    fio::write(kOut, "(1X,A,1X,'LIMIT STATE POINT ',I1,' DEFINED DUE TO ','ELEMENT NO ',I5,' AT STEP=',I5)",
               kTags[k], static_cast<int>(k), st.lselem[k], istep);
    st.lsflag[k] = 2.0f;
    st.lsstep[k] = istep;
  }
}

void unbalanced_note(bool adjusted, float sp, float splimit, int istep) {
  if (adjusted) {
    write_sp("(1X,'@@@@ NOTE: STIFFNESS PARAMETER, SP=',E15.7,'>= PLIMIT=',E15.6,'AT ISTEP=',I4,/,"
             "1X,'         UNBALANCE FORCES ARE ADJUSTED AT    ISTEP = ',I4,/)",
             sp, splimit, istep - 1, istep, true);
  } else {
    write_sp("(1X,'@@@@ NOTE: STIFFNESS PARAMETER, SP=',E15.7,'< PLIMIT=',E15.6,'AT ISTEP=',I4,/,"
             "1X,'         UNBALANCE FORCES ARE NOT ADJUSTED AT    ISTEP = ',I4,/)",
             sp, splimit, istep - 1, istep, true);
  }
}

void negative_sp_message(float sp, int istep) {
  write_sp("(/,1X,'@@@@ STABILITY PARAMETER IS NEGATIVE OF ',E15.6,' AT ISTEP = ',I15,/,"
           "1X,'   PROGRAM WILL STOP. CHANGE SIGN OF LOAD ','INCREMENT AT ISTEP = ',I15,"
           "' AND RERUN THE PROGRAM',/,/)",
           sp, 0.0f, istep, istep, false);
}

void resultant_line(float rf, float rm, bool maximum) {
  if (maximum)
    fio::write(kOut, "(/,4X,'MAXIMUM RESULTANT OF REACTIONS,   FORCE=',1P,E12.4,'   MOMENT=',E12.4)", rf, rm);
  else
    fio::write(kOut, "(/,4X,'RESULTANT OF REACTIONS,   FORCE=',1P,E12.4,'   MOMENT=',E12.4)", rf, rm);
}

}  // namespace solutions::nonlinear
