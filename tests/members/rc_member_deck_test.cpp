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
// A 20 x 12 column symmetric about its V axis, under 0.2 f'c Ag and turned at
// its tip about U past the top of its moment-curvature curve, stays in its
// plane with the tip free to leave it, and its end moments are those of the
// same column held in its plane.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <sstream>
#include <string>
#include <utility>
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

// An independent section of the 20 x 12 column for bending about U, in
// double precision: the layers of its mesh (a 1.5 in cover layer at each face,
// five 1.7 in layers in each half of the core, each of 9 in of confined core
// and 3 in of side cover) and the 4 + 4 bars of 1.0 in at V = +-8 on the
// concrete. Concrete of the Popovics form with Ec = 57000 sqrt(f'c), no
// tension; cover f'c 4000 at 0.002, beyond 0.004 on its tangent there down
// to nothing; core at the confined strength and strain the report prints;
// bars elastic-perfectly plastic at 60 ksi.
class LayeredColumn {
 public:
  LayeredColumn(double fcc, double ecc) : core_{fcc, ecc} {
    for (double side : {1.0, -1.0}) {
      layers_.push_back({side * 9.25, 18.0, Kind::cover});
      for (int j = 1; j <= 5; ++j) {
        const double v = side * (8.5 - (j - 0.5) * 1.7);
        layers_.push_back({v, 9.0 * 1.7, Kind::core});
        layers_.push_back({v, 3.0 * 1.7, Kind::cover});
      }
      layers_.push_back({side * 8.0, std::numbers::pi, Kind::bars});
    }
  }

  // The moment at curvature phi with the axial force -p (compression), the
  // strain plane found by bisection of the axial force.
  double moment(double phi, double p) const {
    double lo = -0.01, hi = 0.005;
    const double flo = force(lo, phi).first + p;
    for (int k = 0; k < 200; ++k) {
      const double mid = 0.5 * (lo + hi);
      if ((force(mid, phi).first + p > 0.0) == (flo > 0.0)) {
        lo = mid;
      } else {
        hi = mid;
      }
    }
    return -force(lo, phi).second;
  }

 private:
  enum class Kind { cover, core, bars };
  struct Layer {
    double v, area;
    Kind kind;
  };
  struct Envelope {
    double fcc, ecc;
    // Stress and tangent at strain e < 0.
    std::pair<double, double> at(double e) const {
      const double ec = 57000.0 * std::sqrt(4000.0);
      const double r = ec / (ec - fcc / ecc), x = -e / ecc, xr = std::pow(x, r), d = xr + r - 1.0;
      return {-fcc * x * r / d, r * fcc / ecc * (1.0 / d - r * xr / (d * d))};
    }
  };
  double stress(Kind k, double e) const {
    if (k == Kind::bars) return std::clamp(29.0e6 * e, -60000.0, 60000.0);
    if (e >= 0.0) return 0.0;
    if (k == Kind::core) return core_.at(e).first;
    if (e > -0.004) return cover_.at(e).first;
    const auto [s, t] = cover_.at(-0.004);
    return std::min(s + t * (e + 0.004), 0.0);
  }
  // Axial force and moment about U of the strain plane e0 - phi v.
  std::pair<double, double> force(double e0, double phi) const {
    double n = 0.0, m = 0.0;
    for (const Layer& l : layers_) {
      const double f = stress(l.kind, e0 - phi * l.v) * l.area;
      n += f;
      m += f * l.v;
    }
    return {n, m};
  }
  Envelope core_;
  Envelope cover_{4000.0, 0.002};
  std::vector<Layer> layers_;
};

// The column of the plane-bending deck: node 2 restrained in FX and MY (the
// driven turn), free in FY, MX and MZ; the held run restrains those too.
constexpr const char* kFreeTip = "2 1 0 0 0 1 0 0 0";
constexpr const char* kHeldTip = "2 1 1 0 1 1 1 0 0";
constexpr const char* kTurnStep = "LOADING #    1     ROTATE";

std::string held_in_plane(std::string deck) {
  const auto at = deck.find(kFreeTip);
  if (at != std::string::npos) deck.replace(at, std::string(kFreeTip).size(), kHeldTip);
  return deck;
}

TEST(RcMemberDeck, ColumnTurnedAboutItsSymmetryAxisStaysInItsPlane) {
  const std::string deck = kvtest::read_file(kvtest::case_path("rc_member_sol4_plane_bending.dat"));
  ASSERT_NE(deck.find(kFreeTip), std::string::npos);
  const auto free = kvtest::run_deck(deck, "rc_plane_free", 120);
  const auto held = kvtest::run_deck(held_in_plane(deck), "rc_plane_held", 120);
  ASSERT_EQ(free.status, 0) << free.console;
  ASSERT_EQ(held.status, 0) << held.console;
  EXPECT_EQ(free.output.find("BETA FOR STABILITY ELEMENT"), std::string::npos);
  EXPECT_NE(free.console.find("NO ERROR OR WARNING MESSAGES"), std::string::npos) << free.console;

  // The tip to the end of the turn (0.2 rad, every tenth of 400 steps): in
  // its plane DX = 50 times the turn, out of it (DY, RX, RZ) nothing beyond
  // rounding of the in-plane motion.
  const auto tip = pptest::node_lines(free.output, std::string("GCS DISPLACEMENTS,  ") + kTurnStep, 2);
  ASSERT_EQ(tip.size(), 40u);
  EXPECT_NEAR(tip.back()[0], 10.0, 1e-4);
  EXPECT_NEAR(tip.back()[4], 0.2, 1e-6);
  for (const auto& d : tip) {
    EXPECT_LE(std::fabs(d[1]), 1e-7 * 10.0) << "DY at DX " << d[0];
    EXPECT_LE(std::fabs(d[3]), 1e-7 * 0.2) << "RX at DX " << d[0];
    EXPECT_LE(std::fabs(d[5]), 1e-7 * 0.2) << "RZ at DX " << d[0];
  }

  // The base moment along the turn, free tip against held tip: the same
  // curve, to 0.1 % at its top and everywhere else.
  const std::string reactions = std::string("GCS RESTRAINT REACTIONS,   ") + kTurnStep;
  const auto mf = pptest::node_lines(free.output, reactions, 1);
  const auto mh = pptest::node_lines(held.output, reactions, 1);
  ASSERT_EQ(mf.size(), 40u);
  ASSERT_EQ(mh.size(), 40u);
  std::size_t top = 0;
  for (std::size_t k = 0; k < mf.size(); ++k) {
    if (std::fabs(mf[k][4]) > std::fabs(mf[top][4])) top = k;
    EXPECT_NEAR(mf[k][4], mh[k][4], 1e-3 * std::fabs(mh[k][4])) << "printed step " << 10 * (k + 1);
    EXPECT_LE(std::fabs(mf[k][3]), 1e-6 * std::fabs(mf[k][4])) << "base MX at printed step " << 10 * (k + 1);
  }
  // The top lies inside the turn, not at an end of it.
  ASSERT_GT(top, 0u);
  ASSERT_LT(top, mf.size() - 1);

  // The section's moment there (the mean of the end moments) against the
  // layered column at the same curvature (the turn over the length 100):
  // the axial passes of a section stop within 5 % of the axial force, so the
  // member's moment lies between those of 0.95 and 1.05 times its force
  // (1.5 % either side at the top). The core's confined strength is the
  // one the report prints (read from the confinement chart at the effective
  // pressures 0.75 x 0.006 x 60,000 and 0.75 x 0.008 x 60,000 psi), its
  // strain 0.002 (1 + 5 (f'cc/f'c - 1)) by hand. The report prints the
  // cover's envelope first, then the core's.
  const std::string strength = "Concrete strength FCCP(psi) =";
  const auto first = free.output.find(strength);
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(values_after(free.output, strength, strength), std::vector<double>{4000.0});
  const std::string core = free.output.substr(free.output.find(strength, first + 1));
  const std::vector<double> fcc = values_after(core, strength, strength);
  const std::vector<double> ecc = values_after(core, strength, "Strain at peak stress (ECC)");
  ASSERT_EQ(fcc.size(), 1u);
  ASSERT_EQ(ecc.size(), 1u);
  EXPECT_GT(fcc[0], 1.2 * 4000.0);
  EXPECT_NEAR(ecc[0], 0.002 * (1.0 + 5.0 * (fcc[0] / 4000.0 - 1.0)), 1e-7);
  char caption[40];
  std::snprintf(caption, sizeof caption, "ROTATE     STEP:%5d", static_cast<int>(10 * (top + 1)));
  const std::vector<double> fa = values_after(free.output, caption, "FORCE     1");
  const std::vector<double> fb = values_after(free.output, caption, "FORCE     2");
  ASSERT_GE(fa.size(), 5u);
  ASSERT_GE(fb.size(), 5u);
  const double moment = 0.5 * (std::fabs(fa[4]) + std::fabs(fb[4]));
  const double phi = 0.2 * 10.0 * static_cast<double>(top + 1) / 400.0 / 100.0;
  const LayeredColumn column(fcc[0], ecc[0]);
  EXPECT_GT(moment, column.moment(phi, 0.95 * fa[0]));
  EXPECT_LT(moment, column.moment(phi, 1.05 * fa[0]));
  EXPECT_NEAR(fa[0], 192000.0, 1.0);
}

}  // namespace
