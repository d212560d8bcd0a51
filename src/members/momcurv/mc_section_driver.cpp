#include "members/momcurv/mc_section_driver.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/globals.h"
#include "base/storage.h"
#include "fio/fio.h"
#include "members/momcurv/mc_member_rule.h"
#include "members/momcurv/mc_section_head.h"
#include "members/section_set_head.h"
#include "members/section_set_input.h"

namespace members::momcurv {

namespace {

using materials::MatCall;

// The words read from the head record, in order (17 and 29 are not).
constexpr std::array<int, 28> kReadWords{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                                         15, 16, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 30};

bool is_whole(int word) {
  switch (word) {
    case kNSEG: case kLIBN: case kNC: case kNA: case kIREV3: case kIREV4: case kIECOP:
    case kNUMP: case kIAUTO: case kIMATER: case kIR: case kISTIF:
      return true;
    default:
      return false;
  }
}

std::string_view label(int word) {
  switch (word) {
    case kNSEG: return "NSEG        =";
    case kG: return "G           =";
    case kEM: return "EM          =";
    case kLIBN: return "LIBN        =";
    case kIV: return "IV          =";
    case kJ: return "J           =";
    case kECCX0: return "ECCX0       =";
    case kECCY0: return "ECCY0       =";
    case kPCMAX: return "PCMAX       =";
    case kCURNM: return "CURNM       =";
    case kST: return "ST          =";
    case kNC: return "# CONTR. PTS=";
    case kNA: return "# AXIAL LDS =";
    case kIREV3: return "IREV3       =";
    case kIREV4: return "IREV4       =";
    case kIECOP: return "IECOP       =";
    case kNUMP: return "NUMP        =";
    case kSMALL: return "SMALL       =";
    case kRATIX0: return "RATIX0      =";
    case kRATIY0: return "RATIY0      =";
    case kTOTA: return "TOTA        =";
    case kIAUTO: return "IAUTO       =";
    case kIMATER: return "IMATER      =";
    case kRATIO3: return "RATIO3      =";
    case kIR: return "IR          =";
    case kG2: return "G           =";
    case kQRNEE: return "QRNEE       =";
    case kISTIF: return "ISTIF       =";
    case kIELAS: return "IELAS       =";
    default: return "";
  }
}

// The head echo, two fields a line, in this order.
constexpr std::array<int, 29> kEchoWords{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                         16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 30};

std::string field(const float* prop, int word) {
  std::string s(label(word));
  if (is_whole(word))
    s += fio::format("(I10)", head_int(prop, word));
  else
    s += fio::format("(1PE10.3)", prop[word]);
  return s;
}

void echo_head(const float* prop, int set) {
  fio::write(6, "(1X,'MAT. NO.    =',I3,2X,'SECTION BASED ON MOM-CURVA.')", set);
  for (std::size_t i = 0; i < kEchoWords.size(); i += 2) {
    std::string line(1, ' ');
    line.append(field(prop, kEchoWords[i]));
    if (i + 1 < kEchoWords.size()) {
      line.append(9, ' ');
      line.append(field(prop, kEchoWords[i + 1]));
    }
    fio::write_record(6, line);
  }
  fio::write_record(6, "");
  fio::write_record(6, "");
}

void echo_table(const float* prop, const McTable& t) {
  fio::write_record(6, " BACKBONE CURVE CONTROL POINTS:");
  fio::write_record(6, " AXIAL LOAD                MOMENT        CURVATURE");
  fio::write_record(6, " ==========                ======        =========");
  for (int i = 1; i <= t.na; ++i) {
    fio::write(6, "(1X,E15.6)", prop[t.pa + i - 1]);
    for (int j = 1; j <= t.nc; ++j) {
      const std::int64_t k = static_cast<std::int64_t>(i - 1) * t.nc + j - 1;
      fio::write(6, "(24X,2E15.6)", prop[t.pm + k], prop[t.pc + k]);
    }
  }
}

// Reads `count` reals into prop[first..] with one list-directed read (a read
// of none still takes its line).
void read_reals(MatCall& c, float* prop, std::int64_t first, int count, std::vector<fio::Target>& targets) {
  targets.clear();
  for (int k = 0; k < count; ++k) fio::push_target(targets, prop[first + k]);
  const fio::Status s = fio::read_list_targets(5, targets);
  if (s != fio::Status::ok) materials::set_read_failed(c.set, s);
}

struct FaultText {
  unsigned bit;
  std::string_view text;
};
constexpr std::array<FaultText, 9> kFaultTexts{{
    {kFaultNseg, "NSEG MUST BE 1 TO 32"},
    {kFaultPoints, "# CONTR. PTS MUST BE AT LEAST 2"},
    {kFaultAxialLoads, "# AXIAL LDS MUST NOT BE NEGATIVE"},
    {kFaultImater, "IMATER MUST BE 1"},
    {kFaultIstif, "ISTIF MUST BE 0 OR 1"},
    {kFaultRecordSize, "THE MEMBER RECORD IS TOO LONG (TOO MANY SEGMENTS, LOADS OR POINTS)"},
    {kFaultFirstPoint, "THE FIRST CONTROL POINT OF EVERY BACKBONE MUST HAVE A POSITIVE MOMENT AND CURVATURE"},
    {kFaultAscending, "THE CURVATURES OF EVERY BACKBONE MUST ASCEND"},
    {kFaultLastSlope, "THE LAST SEGMENT OF A BACKBONE MUST NOT HAVE THE INITIAL SLOPE MOM/CUR OF ITS FIRST POINT"},
}};

void read_set(MatCall& c, int type) {
  float* prop = materials::prop_words(c);
  read_section_head(c, prop, kHeadWords, kReadWords, is_whole);
  std::vector<fio::Target> targets;

  if (c.new_type || c.debug)
    fio::write(6, "(///,A,/,' =================',//)",
               type == kNodalEndType ? " MOMCURVA2 ELEMENT" : " MOMCURVA1 ELEMENT");

  unsigned faults = mc_head_faults(prop);
  const int na = head_int(prop, kNA);
  const int nc = head_int(prop, kNC);
  if ((faults & kFaultLibn) != 0) {
    fio::write(6, "(' MAT. NO.    =',I3,' IS NOT AVAILABLE',' LIBN= ',E10.3,' CHECK LIBN ',/)", c.set,
               prop[kLIBN]);
  } else {
    prop[kNUMP] = static_cast<float>(kMcNump);
    if (na == 0) {
      fio::write_record(6, "NO. OF AXIAL LOAD CASE IS ZERO");
      fio::write(6, "(1X,'CHECK MAT NO. =',I3,' IREV2 =',I3)", c.set, na);
      fio::write_record(6, "PROGRAM STOP");
      kv::stop_run(kv::kStatusError, "NO. OF AXIAL LOAD CASE IS ZERO");
    }
  }

  // The table is read whenever its counts can be, so that the lines of a
  // rejected set are not taken for the next set's.
  const bool readable = na >= 1 && (faults & (kFaultRecordSize | kFaultAxialLoads)) == 0;
  const McTable t = mc_table(readable ? na : 0, readable ? (nc > 0 ? nc : 0) : 0);
  if (readable) {
    kv::memchk(t.end, 0);
    for (std::int64_t w = t.pa; w < t.end; ++w) prop[w] = 0.0f;
    read_reals(c, prop, t.pa, na, targets);
    for (int i = 1; i <= na; ++i) {
      read_reals(c, prop, t.pm + static_cast<std::int64_t>(i - 1) * t.nc, t.nc, targets);
      read_reals(c, prop, t.pc + static_cast<std::int64_t>(i - 1) * t.nc, t.nc, targets);
    }
    if ((faults & kFaultPoints) == 0) faults |= mc_table_faults(prop);
  }

  if ((faults & kFaultLibn) == 0) echo_head(prop, c.set);
  if (readable) echo_table(prop, t);

  if (faults != 0) {
    for (const FaultText& f : kFaultTexts)
      if ((faults & f.bit) != 0) fio::write(6, "(1X,'*** MAT. NO.    =',I3,': ',A)", c.set, f.text);
    fio::write(6, "(1X,'*** MAT. NO.    =',I3,': THE SET CANNOT BE USED; AN ELEMENT THAT NAMES IT IS REJECTED',/)",
               c.set);
    kv::note_fault(kv::Fault::input_error,
                   fio::format("('MOMENT-CURVATURE SET',I5,' CANNOT BE USED: SEE THE OUTPUT FILE')", c.set));
  } else if (prop[kPCMAX] > 0.0f && na == 1 && !(prop[kCURNM] > 0.0f)) {
    // With CURNM 0 the first state determination already reports the nominal curvature.
    fio::write(6, "(1X,'*** MAT. NO.    =',I3,': CURNM IS NOT ABOVE 0.0: THE NOMINAL CURVATURE IS REPORTED AT ONCE',/)",
               c.set);
    kv::note_fault(kv::Fault::input_warning,
                   fio::format("('MOMENT-CURVATURE SET',I5,': CURNM IS NOT ABOVE 0.0')", c.set));
  }

  // A rejected set keeps its head (and table) alone: no member record.
  const std::int64_t nprop = faults == 0 ? mc_layout(type, head_int(prop, kNSEG), na, nc).nprop
                                         : std::int64_t{kHeadWords};
  c.nprop = static_cast<int>(nprop);
  prop[kNPROP] = static_cast<float>(nprop);
}

void mc_driver(MatCall& c, int type) {
  materials::EndVectors none;
  section_driver(
      c,
      [&] {
        // A set that cannot serve leaves no stiffness: the error word rejects its element.
        const MemberEnds e = member_ends(c, none);
        if (!mc_member_call(c.iopt, materials::prop_words(c), materials::state_words(c), {e.d, e.dl, e.p}, c.ielno,
                            c.debug))
          c.error = 1;
      },
      [&] { read_set(c, type); });
}

}  // namespace

bool mc_set_usable(const float* prop) {
  if (mc_head_faults(prop) != 0) return false;
  const int na = head_int(prop, kNA);
  if (na < 1) return false;
  const int nc = head_int(prop, kNC);
  const std::int64_t nprop = static_cast<std::int64_t>(prop[kNPROP]);
  return nprop == mc_layout(kSingleSectionType, head_int(prop, kNSEG), na, nc).nprop ||
         nprop == mc_layout(kNodalEndType, head_int(prop, kNSEG), na, nc).nprop;
}

bool mc_member_call(int iopt, float* prop, float* s, const MemberEnds& e, int ielno, bool debug) {
  if (!mc_set_usable(prop)) return false;
  // The record's length tells the two types apart.
  McLayout l = mc_layout(kSingleSectionType, head_int(prop, kNSEG), head_int(prop, kNA), head_int(prop, kNC));
  if (l.nprop != static_cast<std::int64_t>(prop[kNPROP]))
    l = mc_layout(kNodalEndType, head_int(prop, kNSEG), head_int(prop, kNA), head_int(prop, kNC));
  if (l.nprop != static_cast<std::int64_t>(prop[kNPROP])) return false;
  const McMemberRecord rec{prop, l};
  const bool setup = iopt != 3;
  if (setup)
    for (std::int64_t k = l.start[kLMSEG]; k <= l.nprop; ++k) prop[k] = 0.0f;
  MemberState ms = begin_member_call(s, setup);
  end_increments(e, rec.array(kDU));
  std::array<float, 12> f{};
  hyst18(setup ? 2 : 3, prop, rec, ms, ielno, debug, &s[kFlpWord], f);
  end_member_call(rec.array(kEEASAT), f, ms, e, s);
  return true;
}

void mat18(MatCall& c) { mc_driver(c, kSingleSectionType); }
void mat180(MatCall& c) { mc_driver(c, kNodalEndType); }

}  // namespace members::momcurv
