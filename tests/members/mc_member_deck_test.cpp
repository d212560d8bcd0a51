// Moment-curvature members through the program: one STABILITY element of
// length 100 whose ends are turned by equal and opposite rotations in a
// static nonlinear solution, so that it bends uniformly (curvature 2 theta /
// L, 1E-4 a step). Its bilinear section (yield 1.0E6 at 1.0E-4, EI0 1E10,
// slope 1E8 after yield) gives end moments by hand: 1.00, 1.01, ... 1.04,
// then unloading by EI0 and the kinematic-hardening lines M = +-1E6 + 1E8
// (cu -+ 1E-4). Both types bend alike: the nodal-end sections of a uniformly
// bent segment have the same curvature.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

std::string deck() { return kvtest::read_file(kvtest::case_path("mc_member_sol4_uniform_bending.dat")); }

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The k-th value (1-based) of every report line that holds `key`, in order.
std::vector<double> column(const std::string& text, const std::string& key, int k) {
  std::vector<double> v;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const auto at = line.find(key);
    if (at == std::string::npos) continue;
    std::istringstream l(line.substr(at + key.size()));
    double x = 0.0;
    for (int i = 0; i < k && (l >> x); ++i) {
    }
    v.push_back(x);
  }
  return v;
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

const char* const kHead = "MOMCURVA1 1 4.0E6 1.0E7 1 2000. 1000. 0. 0. 0. 0. 0. 2 1 0 0 0";

TEST(McMemberDeck, UniformBendingLoopForBothTypes) {
  const double want[] = {1.00,  1.01,  1.02,  1.03,  1.04,  0.04,  -0.96, -0.97, -0.98, -0.99, -1.00, -1.01, -1.02,
                         -1.03, -1.04, -0.04, 0.96,  0.97,  0.98,  0.99,  1.00,  1.01,  1.02,  1.03,  1.04};
  for (const char* keyword : {"MOMCURVA1", "MOMCURVA2"}) {
    const auto r = kvtest::run_deck(replaced(deck(), "MOMCURVA1", keyword), "mc_uniform", 120);
    ASSERT_EQ(r.status, 0) << keyword << r.console;
    EXPECT_NE(r.console.find("NO ERROR OR WARNING MESSAGES"), std::string::npos);
    // End B's moment about Y (the fifth value of node 2's FORCE line), end A's the negative.
    const std::vector<double> mb = column(r.output, "FORCE     2", 5);
    const std::vector<double> ma = column(r.output, "FORCE     1", 5);
    ASSERT_GE(mb.size(), 25u) << keyword;
    ASSERT_GE(ma.size(), 25u) << keyword;
    for (std::size_t i = 0; i < 25; ++i) {
      EXPECT_NEAR(mb[i], want[i] * 1e6, 5.0) << keyword << " step " << i + 1;
      EXPECT_NEAR(ma[i], -want[i] * 1e6, 5.0) << keyword << " step " << i + 1;
    }
    EXPECT_EQ(r.output.find("CURVATURE IS GREATER"), std::string::npos);
  }
}

TEST(McMemberDeck, NominalCurvatureReportedOnce) {
  // CURNM 2E-4 and PCMAX 1E-2: the curvature 2E-4 of step 2 reaches the
  // nominal curvature; the plastic curvature of 1E-2 is never reached.
  const std::string text =
      replaced(deck(), kHead, "MOMCURVA1 1 4.0E6 1.0E7 1 2000. 1000. 0. 0. 1.0E-2 2.0E-4 0. 2 1 0 0 0");
  const auto r = kvtest::run_deck(text, "mc_nominal", 120);
  ASSERT_EQ(r.status, 0) << r.console;
  EXPECT_EQ(count(r.output, "**** STABILITY ELEMENT          1 SEGMENT NO.          1 REACHES NOMINAL CURVATURE.\n"
                            "     CURNM: NOMINAL CURVATURE USER INPUT =   0.200000E-03\n"
                            "     CUR  : TOTAL CURVATURE =   0.200000E-03\n"),
            1u);
  EXPECT_EQ(count(r.output, "CURVATURE REACHES NOMINAL CURVATURE AT WHICH"), 1u);
  EXPECT_EQ(r.output.find("MAXIMUM PLASTIC CURVATURE"), std::string::npos);
}

TEST(McMemberDeck, AxialLoadAboveTheTableStops) {
  // Interpolation by axial force (IREV3 1) on a table of the one axial load
  // 0.0, and a push on end B: the first compression is above the table.
  std::string text = replaced(deck(), kHead, "MOMCURVA1 1 4.0E6 1.0E7 1 2000. 1000. 0. 0. 0. 0. 0. 2 1 1 0 0");
  text = replaced(text, "1 2 0 0 MY 1.0\n", "1 2 0 0 MY 1.0\n1 2 0 0 FZ -1.0\n");
  const auto r = kvtest::run_deck(text, "mc_axial_stop", 120);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find(" IELNO=  1ISEG=  1:AXIAL LOAD=   0."), std::string::npos);
  EXPECT_NE(r.output.find(" THE AXIAL LOAD IS GREATER THAN MAXIMUM CONTROL POINT VALUE=   0.000000E+00\n\n PROGRAM STOP\n"),
            std::string::npos);
}

TEST(McMemberDeck, ElementNamingARejectedSetIsRejected) {
  // IMATER 0: the set is rejected at input, and so is the element that names
  // it; the solution then finds no stiffness and ends the run.
  const std::string text = replaced(deck(), "0. 0. 0. 100. 0 1 0. 0 0. 1. 1 1.", "0. 0. 0. 100. 0 0 0. 0 0. 1. 1 1.");
  const auto r = kvtest::run_deck(text, "mc_rejected", 120);
  EXPECT_NE(r.status, 0) << r.console;
  EXPECT_NE(r.console.find("ERROR"), std::string::npos);
  EXPECT_NE(r.output.find(" *** MAT. NO.    =  1: IMATER MUST BE 1\n"), std::string::npos);
  EXPECT_NE(r.output.find("THE ELEMENT IS REJECTED"), std::string::npos);
}

TEST(McMemberDeck, MaterialTraceOfBothTypes) {
  // Trace letter K: the section rule prints the backbone it interpolated and
  // the curvatures, the section its rigidities; the run is otherwise the same.
  for (const char* keyword : {"MOMCURVA1", "MOMCURVA2"}) {
    const auto r = kvtest::run_deck("BUG=K\n" + replaced(deck(), "MOMCURVA1", keyword), "mc_trace", 120);
    ASSERT_EQ(r.status, 0) << keyword << r.console;
    EXPECT_NE(r.output.find(" STABILITY ELE.    1SEG. NO.    1BACKBONE CURVE CONTROL PTS AFTER INTERPO SUB:\n"
                            " AXIAL LOAD        MOMENT        CURVATURE\n"),
              std::string::npos);
    EXPECT_NE(r.output.find("   0.000000E+00   1.000000E+09   1.000000E+10   2.000000E+10"), std::string::npos);
    const std::vector<double> mb = column(r.output, "FORCE     2", 5);
    ASSERT_GE(mb.size(), 5u);
    EXPECT_NEAR(mb[4], 1.04e6, 5.0);
  }
}

}  // namespace
