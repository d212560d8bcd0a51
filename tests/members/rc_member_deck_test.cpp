// An "R/CONCRETE1" member through the program: one STABILITY element, the
// 24 x 16 rectangle as a cantilever of 100 in, turned at its free end by 0.1
// rad in 10,000 steps of a static nonlinear solution. Uniform bending, so the
// end moment follows the section's moment-curvature curve: first yield near
// 2.843E6 (cracked section by hand), the nominal moment near 2.936E6
// (Whitney) at a curvature near 7.74E-4; the shear capacities by hand.
// The same member with "R/CONCRETE2" (sections at both segment ends) reaches
// the same first-yield moment at both ends; as a four-segment cantilever
// pushed at its tip the base yields first and the end moments follow statics
// (base moment = shear * 100, tip moment nil).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <utility>
#include <string>
#include <vector>

#include "elements/plate_point_model.h"
#include "support/energy_balance.h"
#include "support/test_support.h"

namespace {

// The values of the line after `from` that holds `key`.
std::vector<double> values_after(const std::string& text, const std::string& from, const std::string& key) {
  std::vector<double> v;
  const auto at = text.find(from);
  if (at == std::string::npos) return v;
  const auto line = text.find(key, at);
  if (line == std::string::npos) return v;
  std::istringstream in(text.substr(line + key.size(), text.find('\n', line) - line - key.size()));
  double x = 0.0;
  while (in >> x) v.push_back(x);
  return v;
}

// The limit-state records of a side file: lines of seven numbers.
std::vector<std::vector<double>> records(const std::filesystem::path& file) {
  std::istringstream in(kvtest::read_file(file));
  std::vector<std::vector<double>> rows;
  for (std::string line; std::getline(in, line);) {
    std::istringstream l(line);
    std::vector<double> v;
    double x = 0.0;
    while (l >> x) v.push_back(x);
    if (v.size() == 7) rows.push_back(v);
  }
  return rows;
}

TEST(RcMemberDeck, EndRotationToFirstYieldAndTheNominalMoment) {
  const auto r = kvtest::run_deck(kvtest::read_file(kvtest::case_path("rc_member_sol4_end_rotation.dat")),
                                  "rc_end_rotation", 120);
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string& out = r.output;
  EXPECT_NE(out.find(" TRANS.STEEL SHEAR CAPACITY,U0 DIR (VSu in lb)= 3.016E+05"), std::string::npos);

  // End B's moment at first yield: node 2's FORCE line, the fifth value.
  const std::vector<double> fy = values_after(out, "REACHES FIRST YIELD", "FORCE     2");
  ASSERT_GE(fy.size(), 5u);
  EXPECT_NEAR(std::fabs(fy[4]), 2.843e6, 0.005 * 2.843e6);

  const std::string curnm = "REACHES NOMINAL MOMENT AT CURVATURE OF CURNM =";
  const auto at = out.find(curnm);
  ASSERT_NE(at, std::string::npos);
  EXPECT_NEAR(std::stod(out.substr(at + curnm.size(), 16)), 7.74e-4, 0.01 * 7.74e-4);
  const std::vector<double> fn = values_after(out, "NOMINAL MOMENT, MN, IS DEFINED", "FORCE     2");
  ASSERT_GE(fn.size(), 5u);
  EXPECT_NEAR(std::fabs(fn[4]), 2.936e6, 0.015 * 2.936e6);

  // The limit-state records: FLP 1.00 at first yield, then 3.50, with their moments.
  const std::vector<std::vector<double>> rows = records(r.dir / "tempControlPoints.out");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][2], 1.0);
  EXPECT_NEAR(std::fabs(rows[0][4]), 2.843e6, 0.005 * 2.843e6);
  EXPECT_EQ(rows[1][2], 3.5);
  EXPECT_NEAR(std::fabs(rows[1][4]), 2.936e6, 0.015 * 2.936e6);
  EXPECT_NE(kvtest::read_file(r.dir / "tempShear.out").find("(VCI in lb)  = 6.800E+04"), std::string::npos);
  // The nominal moment also on unit 49.
  const std::vector<std::vector<double>> pm = records(r.dir / "tempPMCurve.out");
  ASSERT_EQ(pm.size(), 1u);
  EXPECT_EQ(pm[0][2], 3.5);
  EXPECT_NEAR(std::fabs(pm[0][4]), 2.936e6, 0.015 * 2.936e6);
}

// The member turned by 0.001 rad a step to 0.03 rad (past first yield near
// 0.0126), every step printed. The input energy is the work of the end
// moment, the trapezoidal sum of the printed moments and rotations; the
// member's energy is that work. Up to first yield the moment grows along
// the straight line of the cracked section and the member holds all its
// work as elastic energy; on the post-yield plateau almost all of a step's
// work M x 0.001 is dissipated, and the elastic energy stays near its value
// at yield (the complementary energy of the path).
TEST(RcMemberDeck, EndRotationEnergyIsTheWorkOfTheEndMoment) {
  std::string text = kvtest::read_file(kvtest::case_path("rc_member_sol4_end_rotation.dat"));
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"0 1000 0 F 0.0", "0 1 0 F 0.0"},
                                 {"'ROTATE' 0.1 0.0 0.0 10000", "'ROTATE' 0.03 0.0 0.0 30"}}) {
    const auto at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  }
  const auto r = kvtest::run_deck(text, "rc_end_rotation_energy", 120);
  ASSERT_EQ(r.status, 0) << r.console;
  const std::vector<kvtest::EnergyBalance> e = kvtest::energy_balances(r.output);
  const auto m = pptest::node_lines(r.output, "GCS RESTRAINT REACTIONS", 2);
  const auto d = pptest::node_lines(r.output, "GCS DISPLACEMENTS", 2);
  ASSERT_EQ(e.size(), 30u);
  ASSERT_GE(m.size(), 30u);  // then the maxima
  ASSERT_GE(d.size(), 30u);
  double work = 0.0;
  for (std::size_t k = 0; k < e.size(); ++k) {
    const double m0 = k == 0 ? 0.0 : m[k - 1][4];
    const double t0 = k == 0 ? 0.0 : d[k - 1][4];
    work += (m0 + m[k][4]) / 2.0 * (d[k][4] - t0);
    EXPECT_NEAR(e[k].input, work, 1e-4 * work) << "step " << k + 1;
    EXPECT_NEAR(e[k].elastic + e[k].plastic, e[k].input, 1e-4 * e[k].input) << "step " << k + 1;
    EXPECT_LT(std::fabs(e[k].error), 1e-3) << "step " << k + 1;
    EXPECT_LE(e[k].elastic, e[k].input);
    EXPECT_GE(e[k].plastic, k == 0 ? 0.0 : e[k - 1].plastic) << "step " << k + 1;
    if (k < 12) {
      EXPECT_EQ(e[k].plastic, 0.0) << "step " << k + 1;
    }
    if (k >= 14) {
      EXPECT_NEAR(e[k].elastic, e[12].elastic, 0.1 * e[12].elastic) << "step " << k + 1;
      EXPECT_GT(e[k].plastic - e[k - 1].plastic, 0.95 * (m0 + m[k][4]) / 2.0 * 0.001) << "step " << k + 1;
    }
  }
}

// Node 1's and node 2's FORCE values printed at a reported stage.
struct StageForces {
  std::vector<double> a, b;
  bool complete() const { return a.size() >= 5 && b.size() >= 5; }
};
StageForces stage_forces(const std::string& out, const std::string& stage) {
  return {values_after(out, stage, "FORCE     1"), values_after(out, stage, "FORCE     2")};
}

// First yield reported once, both end moments near the single-section value.
StageForces expect_first_yield_at_both_ends(const std::string& out) {
  const StageForces f = stage_forces(out, "REACHES FIRST YIELD");
  EXPECT_TRUE(f.complete());
  if (!f.complete()) return f;
  EXPECT_NEAR(std::fabs(f.a[4]), 2.843e6, 0.005 * 2.843e6);
  EXPECT_NEAR(std::fabs(f.b[4]), 2.843e6, 0.005 * 2.843e6);
  return f;
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(RcEndMemberDeck, UniformBendingYieldsBothEndsAtTheSingleSectionMoment) {
  const auto r = kvtest::run_deck(
      kvtest::read_file(kvtest::case_path("rc_end_member_sol4_end_rotation.dat")), "rc_end_rotation", 120);
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string& out = r.output;
  // No shear report for a member with end sections.
  EXPECT_EQ(out.find("SHEAR CAPACITY"), std::string::npos);
  EXPECT_EQ(count(out, "REACHES FIRST YIELD"), 1u);
  EXPECT_EQ(count(out, "REACHES NOMINAL MOMENT AT CURVATURE"), 1u);
  expect_first_yield_at_both_ends(out);
  const std::string curnm = "REACHES NOMINAL MOMENT AT CURVATURE OF CURNM =";
  const auto at = out.find(curnm);
  ASSERT_NE(at, std::string::npos);
  EXPECT_NEAR(std::stod(out.substr(at + curnm.size(), 16)), 7.74e-4, 0.01 * 7.74e-4);
}

TEST(RcEndMemberDeck, TipPushedCantileverYieldsAtItsBase) {
  const auto r = kvtest::run_deck(kvtest::read_file(kvtest::case_path("rc_end_member_sol4_tip_push.dat")),
                                  "rc_end_tip_push", 120);
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string& out = r.output;
  EXPECT_EQ(count(out, "REACHES FIRST YIELD"), 1u);
  // The base segment (1) alone reaches the nominal moment; the tip segment never reports.
  EXPECT_EQ(count(out, "SEGMENT NO."), 1u);
  EXPECT_NE(out.find("SEGMENT NO.          1 REACHES NOMINAL MOMENT"), std::string::npos);
  for (const char* stage : {"REACHES FIRST YIELD", "NOMINAL MOMENT, MN, IS DEFINED"}) {
    SCOPED_TRACE(stage);
    const StageForces f = stage_forces(out, stage);
    ASSERT_TRUE(f.complete());
    const std::vector<double>& a = f.a;
    const std::vector<double>& b = f.b;
    const double shear = std::fabs(a[2]), base = std::fabs(a[4]);
    // The moment of the end shear about the base; the axial force's lever
    // arm (the tip deflection, under 1.5 in) adds less than 0.05 %.
    EXPECT_NEAR(base, 100.0 * shear, 0.002 * base);
    EXPECT_LT(std::fabs(b[4]), 0.002 * base);
    EXPECT_NEAR(std::fabs(b[2]), shear, 1e-6 * shear);
  }
  const std::vector<double> fy = values_after(out, "REACHES FIRST YIELD", "FORCE     1");
  EXPECT_NEAR(std::fabs(fy[4]), 2.843e6, 0.005 * 2.843e6);
}

// One segment between a fixed base and a tip pushed sideways without turning:
// double curvature, so the two end sections bend in opposite senses (where a
// segment-average section would see no curvature at all), yield together at
// the single-section moment, and the shear's moment is the sum of the two.
TEST(RcEndMemberDeck, GuidedTipBendsOneSegmentInDoubleCurvature) {
  const auto r = kvtest::run_deck(
      kvtest::read_file(kvtest::case_path("rc_end_member_sol4_guided_push.dat")), "rc_end_guided", 120);
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string& out = r.output;
  EXPECT_EQ(count(out, "REACHES FIRST YIELD"), 1u);
  const StageForces f = expect_first_yield_at_both_ends(out);
  ASSERT_TRUE(f.complete());
  EXPECT_NEAR(100.0 * std::fabs(f.a[2]), std::fabs(f.a[4]) + std::fabs(f.b[4]), 0.002 * std::fabs(f.a[4]));
}

}  // namespace
