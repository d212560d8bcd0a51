// "SOL" 4 report lines whose text and order are fixed: the limit-state point
// lines, the notes on the unbalanced-force switch and the paging counter of
// the printed steps. Expected texts are written out from the record layouts.
#include <gtest/gtest.h>

#include <string>

#include "base/globals.h"
#include "fio/fio.h"
#include "solutions/static_nonlinear_detail.h"
#include "support/test_support.h"

namespace {

namespace nl = solutions::nonlinear;

class NonlinearReports : public ::testing::Test {
 protected:
  void SetUp() override {
    kv::reset_globals();
    fio::close_all();
    dir_ = kvtest::fresh_dir("sol4_reports");
    ASSERT_TRUE(fio::open(6, (dir_ / "out.txt").string()));
  }
  std::string output() {
    fio::close(6);
    return kvtest::read_file(dir_ / "out.txt");
  }
  std::filesystem::path dir_;
};

int count_of(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Two points reached in one step print in the order of k with their tags; a
// point already reported (2.0) or still open (0.0) prints nothing; each point
// is reported once.
TEST_F(NonlinearReports, LimitStatePointsPrintOnceInTheOrderOfK) {
  kv::Solsta& st = kv::solsta();
  st.lsflag[5] = 1.0f;
  st.lselem[5] = 12;
  st.lsflag[2] = 1.0f;
  st.lselem[2] = 4;
  st.lsflag[3] = 2.0f;
  st.lselem[3] = 9;
  st.lsstep[3] = 2;
  nl::report_limit_states(7);
  nl::report_limit_states(8);
  EXPECT_EQ(output(),
            " %8 % LIMIT STATE POINT 2 DEFINED DUE TO ELEMENT NO     4 AT STEP=    7\n"
            " %11% LIMIT STATE POINT 5 DEFINED DUE TO ELEMENT NO    12 AT STEP=    7\n");
  EXPECT_EQ(st.lsflag[2], 2.0f);
  EXPECT_EQ(st.lsflag[5], 2.0f);
  EXPECT_EQ(st.lsstep[2], 7);
  EXPECT_EQ(st.lsstep[5], 7);
  EXPECT_EQ(st.lsstep[3], 2) << "a point reported earlier keeps its step";
  EXPECT_EQ(st.lsstep[1], 0);
}

TEST_F(NonlinearReports, EveryPointHasItsTag) {
  kv::Solsta& st = kv::solsta();
  for (std::size_t k = 1; k <= 6; ++k) {
    st.lsflag[k] = 1.0f;
    st.lselem[k] = static_cast<std::int32_t>(k);
  }
  nl::report_limit_states(3);
  const std::string out = output();
  EXPECT_NE(out.find(" %7 % LIMIT STATE POINT 1 DEFINED DUE TO ELEMENT NO     1 AT STEP=    3\n"), std::string::npos);
  EXPECT_NE(out.find(" %9 % LIMIT STATE POINT 3 DEFINED DUE TO ELEMENT NO     3 AT STEP=    3\n"), std::string::npos);
  EXPECT_NE(out.find(" %10% LIMIT STATE POINT 4 DEFINED DUE TO ELEMENT NO     4 AT STEP=    3\n"), std::string::npos);
  EXPECT_NE(out.find(" %12% LIMIT STATE POINT 6 DEFINED DUE TO ELEMENT NO     6 AT STEP=    3\n"), std::string::npos);
  EXPECT_EQ(count_of(out, "LIMIT STATE POINT"), 6);
}

// SP in E15.7, SPLIMIT in E15.6, the steps in I4, an empty line after.
TEST_F(NonlinearReports, UnbalancedForceNotes) {
  nl::unbalanced_note(false, 0.25f, 0.5f, 4);
  nl::unbalanced_note(true, -0.75f, 0.5f, 9);
  EXPECT_EQ(output(),
            " @@@@ NOTE: STIFFNESS PARAMETER, SP=  0.2500000E+00< PLIMIT=   0.500000E+00AT ISTEP=   3\n"
            "          UNBALANCE FORCES ARE NOT ADJUSTED AT    ISTEP =    4\n"
            "\n"
            " @@@@ NOTE: STIFFNESS PARAMETER, SP= -0.7500000E+00>= PLIMIT=   0.500000E+00AT ISTEP=   8\n"
            "          UNBALANCE FORCES ARE ADJUSTED AT    ISTEP =    9\n"
            "\n");
}

// The counter starts at 15 after the step header; a table breaks the page
// only when estimate + counter exceeds 60 (60 itself fits); after a break the
// counter is estimate + 4 (+ 8 for the reactions), else it grows by the
// estimate (+ 4 for the reactions).
TEST_F(NonlinearReports, PagingCounter) {
  kv::titles().title1 = "FRAME";
  kv::titles().title2 = "PUSH";
  const std::string cap = nl::step_caption("PUSH      ", 3, 2.0f);
  nl::Pager pager;
  pager.step_header(cap, 2.0f, 1.5f, 0.5f, 1.0f, 0.0f, 0.0f, 0.0f);
  pager.check(20, 3, cap, false);  // 35
  pager.check(7, 3, cap, true);    // 46
  pager.check(14, 3, cap, false);  // 60: still fits
  const std::string before = output();
  EXPECT_EQ(count_of(before, "  ,  LOADING #"), 0);

  ASSERT_TRUE(fio::open(6, (dir_ / "out.txt").string()));
  pager.check(1, 3, cap, false);   // 61: break, counter 5
  pager.check(7, 3, cap, true);    // 12 fits: 16
  pager.check(45, 3, cap, true);   // 61: break, counter 53
  pager.check(7, 3, cap, false);   // 60: fits
  const std::string out = output();
  EXPECT_EQ(count_of(out, "1 STRUCTURE....: FRAME\n  SOLUTION.....: PUSH\n\n"
                          "  ,  LOADING #    3     PUSH       STEP:    3 FACTOR: 2.0000E+00"),
            2)
      << out;
}

}  // namespace
