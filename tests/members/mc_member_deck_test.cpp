// Moment-curvature members through the program: one STABILITY element of
// length 100 whose ends are turned by equal and opposite rotations in a
// static nonlinear solution, so that it bends uniformly (curvature 2 theta /
// L, 1E-4 a step). Its bilinear section (yield 1.0E6 at 1.0E-4, EI0 1E10,
// slope 1E8 after yield) gives end moments by hand: 1.00, 1.01, ... 1.04,
// then unloading by EI0 and the kinematic-hardening lines M = +-1E6 + 1E8
// (cu -+ 1E-4). Both types bend alike: the nodal-end sections of a uniformly
// bent segment have the same curvature.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/energy_balance.h"
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

// End B's moment by hand at the 25 steps of the loop, in units of 1E6.
constexpr std::array<double, 25> kLoopMoments{1.00,  1.01,  1.02,  1.03,  1.04,  0.04,  -0.96, -0.97, -0.98,
                                              -0.99, -1.00, -1.01, -1.02, -1.03, -1.04, -0.04, 0.96,  0.97,
                                              0.98,  0.99,  1.00,  1.01,  1.02,  1.03,  1.04};
// The relative end rotation 2 theta of each step: up 5, down 10, up 10.
double loop_rotation_step(std::size_t i) { return (i < 5 || i >= 15) ? 0.01 : -0.01; }

TEST(McMemberDeck, UniformBendingLoopForBothTypes) {
  const auto& want = kLoopMoments;
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

// The energy balance of the loop by hand. The work of the end moments is
// the trapezoidal sum of M x 2 theta over the steps (the program sums its
// own steps the same way); the member's elastic flexibility L / EI0 holds
// M^2 L / (2 EI0) = M^2 / 2E8; the rest is plastic. So the first step stores
// all of its 5,000 as elastic energy, the second adds 10,050 of which
// M^2 L / (2 EI0) = 5,100.5 is elastic and 9,949.5 (the mean moment
// 1.005E6 times the plastic curvature 0.99E-4 over L = 100) plastic, and an
// unloading step gives back elastic energy and dissipates nothing. The loop
// cut in two solutions (the second "SOL" 4 going on from the first) gives
// the same balances: the second starts its input at the member's energy.
std::string loop_in_two_solutions() {
  std::string text = replaced(deck(), "'UP' 0.025 0.0 0.0 5\n",
                              "'UP' 0.025 0.0 0.0 5\n'END' 0.0 0.0 0.0 0\nSOL4\n'BACK AND UP AGAIN'\n0 1 0 F 0.0\n"
                              "1 1 0 0 MY -1.0\n1 2 0 0 MY 1.0\n0 0 0 0 END 0\n");
  text = replaced(text, "'DOWN' -0.025 0.0 0.0 10", "'DOWN' -0.05 0.0 0.0 10");
  return replaced(text, "'UP' 0.025 0.0 0.0 10", "'UP' 0.0 0.0 0.0 10");
}

TEST(McMemberDeck, LoopEnergyIsTheWorkOfTheEndMomentsSplitByTheInitialRigidity) {
  const std::pair<const char*, std::string> runs[] = {{"MOMCURVA1", deck()},
                                                      {"MOMCURVA2", replaced(deck(), "MOMCURVA1", "MOMCURVA2")},
                                                      {"MOMCURVA1 in two solutions", loop_in_two_solutions()}};
  ASSERT_EQ(count(runs[2].second, "SOL4\n"), 2u);
  ASSERT_EQ(count(runs[2].second, "'DOWN' -0.05 "), 1u);
  for (const auto& [keyword, text] : runs) {
    const auto r = kvtest::run_deck(text, "mc_energy", 120);
    ASSERT_EQ(r.status, 0) << keyword << r.console;
    const std::vector<kvtest::EnergyBalance> e = kvtest::energy_balances(r.output);
    ASSERT_EQ(e.size(), kLoopMoments.size()) << keyword;
    double work = 0.0, previous = 0.0, plastic_before = 0.0;
    for (std::size_t i = 0; i < e.size(); ++i) {
      const double m = kLoopMoments[i] * 1e6;
      work += (previous + m) / 2.0 * loop_rotation_step(i);
      previous = m;
      const double elastic = m * m * 100.0 / (2.0 * 1.0e10);
      const double tol = 2e-5 * work;
      EXPECT_NEAR(e[i].input, work, tol) << keyword << " step " << i + 1;
      EXPECT_NEAR(e[i].elastic, elastic, tol) << keyword << " step " << i + 1;
      EXPECT_NEAR(e[i].plastic, work - elastic, tol) << keyword << " step " << i + 1;
      EXPECT_LT(std::fabs(e[i].error), 1e-4) << keyword << " step " << i + 1;
      // Unloading (steps 6 and 16) dissipates nothing; loading past yield does.
      if (i == 5 || i == 15) {
        EXPECT_NEAR(e[i].plastic, plastic_before, tol) << keyword << " step " << i + 1;
      }
      plastic_before = e[i].plastic;
    }
    EXPECT_NEAR(e[0].elastic, 5000.0, 0.01);
    EXPECT_EQ(e[0].plastic, 0.0);
    EXPECT_NEAR(e[1].elastic, 5100.5, 0.1);
    EXPECT_NEAR(e[1].plastic, 9949.5, 0.1);
  }
}

// A MOMCURVA2 column of two segments, L = 100, its tip guided in X with a
// mass of 100, under a ground step of 0.4 g (UNBAL T): the lateral stiffness
// 12 EI0 / L^3 = 1.2E5 lb/in, yield at the end moments 1.0E6 (a shear of
// 2E4 lb), and the step overshoots to twice the static 15,456 lb. While it
// is elastic (step 20) the member holds 1/2 k x^2 of the tip drift x as
// elastic energy; past yield it dissipates; at every printed step the
// balance closes to the size of the time step, and to a fifth of it with a
// fifth of the step.
TEST(McMemberDeck, GroundStepBalanceClosesToTheTimeStep) {
  const std::string text = kvtest::read_file(kvtest::case_path("mc_member_sol2_ground_step.dat"));
  const auto r = kvtest::run_deck(text, "mc_ground_step", 120);
  ASSERT_EQ(r.status, 0) << r.console;
  const std::vector<kvtest::EnergyBalance> e = kvtest::energy_balances(r.output);
  ASSERT_EQ(e.size(), 15u) << r.output;
  const auto table = r.output.find("GCS DISPLACEMENTS");
  const auto row = r.output.find("\n         2 ", table);
  ASSERT_NE(row, std::string::npos);
  const double x = std::stod(r.output.substr(row + 11, 15));
  EXPECT_LT(std::fabs(x), 1.0e6 / 6.0e10 * 1.0e4);  // below the yield drift M L^2 / (6 EI0)
  EXPECT_NEAR(e[0].elastic, 0.5 * 1.2e5 * x * x, 1e-4 * e[0].elastic);
  EXPECT_LT(std::fabs(e[0].plastic), 1e-6 * e[0].input);
  for (std::size_t i = 0; i < e.size(); ++i) {
    EXPECT_LT(std::fabs(e[i].error), 0.5) << "step " << 20 * (i + 1);
    if (i > 0) {
      // What is dissipated stays so, to the sixth digit: with UNBAL T the member
      // carries the unbalance between its segments from step to step, and its end
      // forces, from which the recoverable part is taken, hold a share of it.
      EXPECT_GE(e[i].plastic, e[i - 1].plastic - 1e-5 * e[i - 1].plastic - 1e-3) << "step " << 20 * (i + 1);
    }
  }
  EXPECT_GT(e.back().plastic, 1000.0);

  const std::string fine = replaced(replaced(text, "20 0 301 F", "100 0 301 F"), "0.0 0.001 0.3 386.4", "0.0 0.0002 0.3 386.4");
  const auto f = kvtest::run_deck(fine, "mc_ground_step_fine", 120);
  ASSERT_EQ(f.status, 0) << f.console;
  const std::vector<kvtest::EnergyBalance> ef = kvtest::energy_balances(f.output);
  ASSERT_EQ(ef.size(), 15u);
  for (std::size_t i = 0; i < ef.size(); ++i) EXPECT_LT(std::fabs(ef[i].error), 0.1) << "time " << 0.02 * (i + 1);
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
