// The SHEAR1 shear model driven through MATDSP, against values worked by hand
// from its backbone (100, 0.001), (150, 0.005), (160, 0.02), its unloading curve
// hung on the first backbone stress and its pinched reloading branches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/globals.h"
#include "materials/fixtures.h"
#include "materials/harness.h"
#include "materials/matdsp.h"
#include "materials/shear1.h"

namespace {

using namespace materials::shear;
using mtest::probe;
using mtest::Pt;
using mtest::rel;
using mtest::slpmin;
using mtest::trapezoids;

// NS 3, NI 2, DY 0.002, BETA 0.1; SI = 1e5; EY = 0.05 + (100 + 112.5)/2 * 0.001.
const char* const kSet = "SHEAR1 3 2 0.002 0.1\n100 150 160\n0.001 0.005 0.02\n";
constexpr double kSI = 1e5;
constexpr double kT1 = 100.0;

double sgn(double a, double b) { return std::copysign(std::fabs(a), b); }

// The push 0 -> 0.003, as for the bending model: event at (0.001, 100), then
// the secant from the probe (100.2, 0.001002) to (150, 0.005).
constexpr double kPushK = (150.0 - 100.2) / (0.005 - 0.001002);
constexpr double kPushP = 100.0 + kPushK * 0.002;

// The unloading curve from the peak (dp, mp), the other peak being (dq, mq) and
// x the largest absolute strain.
struct Unloading {
  double ku, k1, k2, d0, ma, da, mb, ka, db, kb, se;
  Unloading(double mp, double dp, double mq, double dq, double x) {
    const double r = 0.001 / x;
    ku = kSI * std::min(1.0, 1.4675 * std::pow(r, 0.343));
    k1 = kSI * std::min(1.0, 0.7761 * std::pow(r, 0.3195));
    k2 = kSI * std::min(1.0, 1.369 * r + 0.0707);
    d0 = dp - mp * (dp - dq) / (mp - mq);
    ma = mp - sgn(kT1, mp);
    da = dp - sgn(kT1, mp) / ku;
    mb = sgn(std::min(kT1 / 2.0, std::fabs(ma)), mp);
    ka = slpmin(da - d0, ma, kSI);
    db = da - (ma - mb) / std::max(ka, k1);
    kb = slpmin(db - d0, mb, kSI);
    se = 0.5 * mp * mp /
         (0.5 * mb * mb / std::max(kb, k2) + 0.5 * (da - db) * (mb + ma) + 0.5 * (dp - da) * (ma + mp));
  }
};

// The pinched branch seen from q, loading toward the target (td, tf) with the
// largest excursion (x, y) and the peak mp of the loading direction.
struct Pinched {
  double kt, srm, sr1, sr2;
  Pinched(Pt q, const Unloading& u, double x, double y, double mp, double td, double tf, int dir) {
    kt = slpmin(td - q.d, tf - q.p, kSI);
    const double kr = kSI * std::min(1.0, std::pow(0.001 / x, 1.02));
    const double mq = sgn(kT1 / 2.0, mp);
    const double ma = sgn(y, mp) - sgn(kT1, mp);
    const double da = sgn(x, mp) - sgn(kT1, mp) / u.ku;
    const double mb = sgn(std::min(kT1 / 2.0, std::fabs(ma)), mp);
    const double db = da - (ma - mb) / u.k1;
    const double dz = db - mb / u.k2;
    const double dc = dir == 1 ? std::max(u.d0, dz) : std::min(u.d0, dz);
    const double dq = dc + mq / u.ku;  // the pinching point
    srm = slpmin(dq - td, mq - tf, u.ku);
    const double kq = slpmin(dq - q.d, mq - q.p, u.ku);
    sr1 = std::max(std::min(kt, kr), kq);
    const double ds = q.d + (mq - q.p) / sr1;
    const double sr3 = slpmin(td - ds, tf - mq, kSI);
    sr2 = 2.0 / (1.0 / sr3 + 1.0 / sr1);
  }
};

class Shear1 : public mtest::SpringTest {
 protected:
  Shear1() : SpringTest(4, materials::mat04, "MORE THAN 10 CYCLES IN MAT04,  IELNO:") { make(kSet); }
};

TEST_F(Shear1, PropertiesAndSetUp) {
  EXPECT_EQ(h->nprop(), 11);
  EXPECT_EQ(h->nstate(), 40);
  const float* pr = h->prop();
  EXPECT_EQ(pr[kNs], 3.0f);
  EXPECT_EQ(pr[kNi], 2.0f);
  EXPECT_NEAR(pr[kEy], 0.05 + (100.0 + 112.5) / 2.0 * 0.001, 1e-7);
  EXPECT_EQ(pr[kDy], 0.002f);
  EXPECT_EQ(pr[5], 100.0f);
  EXPECT_EQ(pr[10], 0.02f);
  EXPECT_EQ(pr[11], 0.1f);  // BETA after the points
  EXPECT_EQ(s()[kRule], 0.0f);
  EXPECT_FLOAT_EQ(s()[kK], 1e5f);
  EXPECT_FLOAT_EQ(s()[kSe], 1e5f);
}

TEST_F(Shear1, OneStepPastTheFirstPointIsSplitThere) {
  h->step(0.003f);
  EXPECT_NEAR(h->material_force(), kPushP, rel(kPushP));
  EXPECT_NEAR(h->tangent(), kPushK, rel(kPushK));
  EXPECT_EQ(s()[kRule], 1.0f);
  EXPECT_EQ(s()[kA], 150.0f);
  EXPECT_EQ(s()[kBackb], 1.0f);
  EXPECT_NEAR(total_work(), 0.05 + (100.0 + kPushP) / 2.0 * 0.002, 1e-5);
  // The probe call already set SE (rule 0): from the peaks (100.2, 0.001002) and
  // (-100, -0.001); the booking used it; the last call set it from the new peak.
  const Unloading first(100.2, 0.001002, -100.0, -0.001, 0.001002);
  EXPECT_NEAR(h->results().ese, kPushP * kPushP / (2.0 * first.se), 1e-5);
  const Unloading u(kPushP, 0.003, -100.0, -0.001, 0.003);
  EXPECT_NEAR(s()[kSe], u.se, rel(u.se));

  // Damage: du = 0.02, fy = 112.5 (DY 0.002 on the second segment), BETA 0.1.
  const materials::MatCall dmg = h->damage();
  EXPECT_FLOAT_EQ(dmg.d, 0.003f);
  EXPECT_NEAR(dmg.di, 0.003 / 0.02 + 0.1 * h->results().pse / (0.02 * 112.5), 1e-6);
}

TEST_F(Shear1, BeyondTheLastPointTheSpringFailsAndKeepsItsStress) {
  h->step(0.003f);
  h->step(0.03f);
  EXPECT_EQ(h->material_force(), 160.0f);
  EXPECT_EQ(s()[kRule], -1.0f);
  EXPECT_EQ(h->tangent(), 0.0f);
  EXPECT_EQ(h->step(-0.01f), 160.0f);
  EXPECT_EQ(s()[kRule], -1.0f);
}

struct Unload {
  const char* name;
  float d;  // one step back from the push to 0.003
  float rule;
};

// From the peak the stress first drops by tau(1) on KU; the rest (under half of
// tau(1)) goes on the last segment straight to zero.
const Unload kUnloads[] = {
    {"first_segment", 0.0025f, 2.0f},
    {"last_segment", 0.0018f, 4.0f},
};

class Shear1Unload : public Shear1, public ::testing::WithParamInterface<Unload> {};

TEST_P(Shear1Unload, OneStepFromThePeakFollowsTheCurve) {
  const Unload& t = GetParam();
  h->step(0.003f);
  h->step(t.d);
  const Unloading u(kPushP, 0.003, -100.0, -0.001, 0.003);
  ASSERT_NEAR(u.ma, u.mb, 1e-9);  // the middle segment has no length here
  std::vector<std::pair<double, double>> path{{0.003, kPushP}};
  double p = 0.0, k = 0.0;
  if (t.d >= u.da) {
    k = u.ku;
    p = kPushP + k * (t.d - 0.003);
  } else {
    path.push_back({u.da, u.ma});
    k = std::max(u.kb, u.k2);
    p = u.ma + k * (t.d - u.da);
  }
  path.push_back({t.d, p});
  EXPECT_EQ(s()[kRule], t.rule);
  EXPECT_NEAR(h->material_force(), p, rel(p));
  EXPECT_NEAR(h->tangent(), k, rel(k));
  EXPECT_NEAR(h->results().duct[0], 0.003 / 0.002, 1e-5);
  EXPECT_NEAR(total_work(), 0.05 + (100.0 + kPushP) / 2.0 * 0.002 + trapezoids(path), 1e-5);
}

INSTANTIATE_TEST_SUITE_P(Curve, Shear1Unload, ::testing::ValuesIn(kUnloads),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Shear1, FullCycleWorkIsTheAreaAlongTheEventPath) {
  h->step(0.003f);
  h->step(-0.003f);
  h->step(0.0f);
  EXPECT_FALSE(cycle_message());

  // Leg 2, to -0.003. Down the unloading curve of the positive peak to zero ...
  const Unloading u2(kPushP, 0.003, -100.0, -0.001, 0.003);
  const double k4 = std::max(u2.kb, u2.k2);
  const Pt a2{u2.da, u2.ma}, z2{u2.db - u2.mb / k4, 0.0};
  // ... then after the crossing toward the negative peak, which is still the
  // first point (-0.001, -100) (f1 false): the pinched branch on SR1 to -tau(1)/4,
  // on SR2 to -3/4 tau(1), and on to the peak (rule 7) ...
  const Unloading un(-100.0, -0.001, kPushP, 0.003, 0.003);
  Pt q = probe(z2, k4, -0.003);
  const Pinched b8(q, un, 0.003, kPushP, -100.0, -0.001, -100.0, 3);
  const Pt c2{z2.d - 25.0 / b8.sr1, -25.0};
  q = probe(c2, b8.sr1, -0.003);
  const Pinched b9(q, un, 0.003, kPushP, -100.0, -0.001, -100.0, 3);
  const Pt e2{c2.d - 50.0 / b9.sr2, -75.0};
  q = probe(e2, b9.sr2, -0.003);
  const double kt = slpmin(-0.001 - q.d, -100.0 - q.p, kSI);
  const Pt f2{e2.d - 25.0 / kt, -100.0};
  // ... past it the probe is the new negative peak, beyond the first point: the
  // target becomes 95% of the largest stress on the KU slope (rule 7 again) ...
  q = probe(f2, kt, -0.003);
  const double y = kPushP;
  const Unloading uq(q.p, q.d, kPushP, 0.003, 0.003);
  double tf = -0.95 * y, td = -0.003 + 0.05 * y / uq.ku;
  const double kt7 = slpmin(td - q.d, tf - q.p, kSI);
  const Pt g2{f2.d + (tf - f2.p) / kt7, tf};
  // ... and from there past the largest excursion (rule 10): toward (-x, -y),
  // meeting the backbone segment (-0.005, -150) of slope 12500.
  q = probe(g2, kt7, -0.003);
  const Unloading ug(q.p, q.d, kPushP, 0.003, 0.003);
  tf = -0.95 * y;
  td = -0.003 + 0.05 * y / ug.ku;
  const double k = slpmin(-0.003 - td, -y - tf, kSI);
  const double s2 = 50.0 / 0.004;
  const double xm = (-150.0 + s2 * 0.005 - q.p + k * q.d) / (k - s2);
  const double ym = q.p + k * (xm - q.d);
  const double k10 = slpmin(xm - q.d, ym - q.p, kSI);
  const Pt e{-0.003, g2.p + k10 * (-0.003 - g2.d)};
  EXPECT_NEAR(s()[kPmh], e.p, rel(e.p));

  // Leg 3, back to 0: the unloading curve of the negative peak to zero ...
  const Unloading u3(e.p, -0.003, kPushP, 0.003, 0.003);
  const double k4n = std::max(u3.kb, u3.k2);
  const Pt a3{u3.da, u3.ma}, z3{u3.db - u3.mb / k4n, 0.0};
  // ... and the pinched branch toward 95% of the positive peak: SR1 to tau(1)/4, then SR2.
  const Unloading up(kPushP, 0.003, e.p, -0.003, 0.003);
  const double tdp = 0.003 - 0.05 * kPushP / up.ku, tfp = 0.95 * kPushP;
  q = probe(z3, k4n, 0.0);
  const Pinched p8(q, up, 0.003, kPushP, kPushP, tdp, tfp, 1);
  const Pt c3{z3.d + 25.0 / p8.sr1, 25.0};
  q = probe(c3, p8.sr1, 0.0);
  const Pinched p9(q, up, 0.003, kPushP, kPushP, tdp, tfp, 1);
  const Pt e3{0.0, 25.0 + p9.sr2 * (0.0 - c3.d)};

  EXPECT_NEAR(h->material_force(), e3.p, rel(e3.p));
  EXPECT_NEAR(h->tangent(), p9.sr2, rel(p9.sr2));
  EXPECT_EQ(s()[kRule], 9.0f);
  EXPECT_NEAR(s()[kSr1], p9.sr1, rel(p9.sr1));

  const double area = trapezoids({{0.0, 0.0}, {0.001, 100.0}, {0.003, kPushP}, {a2.d, a2.p},
                                  {z2.d, z2.p}, {c2.d, c2.p}, {e2.d, e2.p}, {f2.d, f2.p},
                                  {g2.d, g2.p}, {e.d, e.p}, {a3.d, a3.p}, {z3.d, z3.p},
                                  {c3.d, c3.p}, {e3.d, e3.p}});
  EXPECT_NEAR(total_work(), area, 1e-4 * area);
  EXPECT_GT(h->results().pse, 0.5 * area);
}

TEST_F(Shear1, ReloadingWithoutCrossingZeroStartsOnKU) {
  // Unload from the push to a stress of 10 on the last segment, then reload: no
  // zero crossing and a rule-4 entry, so no pinching: rule 6 on KU toward tau(1)/2.
  h->step(0.003f);
  const Unloading u(kPushP, 0.003, -100.0, -0.001, 0.003);
  const double k4 = std::max(u.kb, u.k2);
  const float d_back = static_cast<float>(u.da + (10.0 - u.ma) / k4);
  h->step(d_back);
  EXPECT_EQ(s()[kRule], 4.0f);
  EXPECT_NEAR(h->material_force(), 10.0, 1e-3);
  h->step(d_back + 0.0001f);
  EXPECT_EQ(s()[kRule], 6.0f);
  EXPECT_NEAR(h->tangent(), u.ku, rel(u.ku));
  EXPECT_NEAR(s()[kA], 50.0, 1e-4);
  EXPECT_NEAR(h->material_force(), 10.0 + 0.0001 * u.ku, 1e-2);
}

TEST_F(Shear1, SteepReloadingAfterACrossingSkipsThePinchedBranch) {
  h->step(0.003f);
  // Back just past zero stress onto the negative pinched branch (SR1, rule 8) ...
  const Unloading u(kPushP, 0.003, -100.0, -0.001, 0.003);
  const double k4 = std::max(u.kb, u.k2);
  const Pt z{u.db - u.mb / k4, 0.0};
  const Unloading un(-100.0, -0.001, kPushP, 0.003, 0.003);
  const Pinched neg(probe(z, k4, 0.0014), un, 0.003, kPushP, -100.0, -0.001, -100.0, 3);
  const double p14 = neg.sr1 * (0.0014 - z.d);
  h->step(0.0014f);
  EXPECT_EQ(s()[kRule], 8.0f);
  EXPECT_NEAR(h->material_force(), p14, rel(p14));
  // ... then forward again: unloading from the negative side on KU to zero, and
  // after the crossing the line to 95% of the positive peak is steeper than the
  // line from there to the pinching point: no pinching, rule 6 on KU.
  const double dz = 0.0014 - p14 / un.ku;
  const Unloading up(kPushP, 0.003, -100.0, -0.001, 0.003);
  const double td = 0.003 - 0.05 * kPushP / up.ku, tf = 0.95 * kPushP;
  const Pinched pos(probe({dz, 0.0}, un.ku, 0.00146), up, 0.003, kPushP, kPushP, td, tf, 1);
  ASSERT_GT(pos.kt, pos.srm);
  h->step(0.00146f);
  EXPECT_EQ(s()[kRule], 6.0f);
  EXPECT_NEAR(s()[kSrm], pos.srm, rel(pos.srm));
  EXPECT_NEAR(h->tangent(), up.ku, rel(up.ku));
  EXPECT_NEAR(s()[kA], 50.0, 1e-4);
  const double p = up.ku * (0.00146 - dz);
  EXPECT_NEAR(h->material_force(), p, 2e-3);
}

TEST_F(Shear1, SmallestSetAndTheBetaOfEachSet) {
  make("SHEAR1 2 0 0.001 0.3\n100 150\n0.001 0.005\n"
       "SHEAR1 3 1 0.001 0.7\n100 150 160\n0.001 0.005 0.02\n",
       2);
  EXPECT_EQ(h->nprop_of(1), 9);
  EXPECT_EQ(h->nstate(), 34);
  EXPECT_EQ(h->prop()[9], 0.3f);
  h->step(0.003f);
  double pse = h->results().pse;
  // du = 0.005 (last point of set 1), fy = 100.
  EXPECT_NEAR(h->damage().di, 0.003 / 0.005 + 0.3 * pse / (0.005 * 100.0), 1e-5);

  h->init(2);
  EXPECT_EQ(h->nstate(), 37);
  EXPECT_EQ(h->prop()[11], 0.7f);
  h->step(0.003f);
  pse = h->results().pse;
  EXPECT_NEAR(h->damage().di, 0.003 / 0.02 + 0.7 * pse / (0.02 * 100.0), 1e-5);
}

TEST_F(Shear1, HeaderEchoAndCycleMessage) {
  const std::string out = h->output();
  EXPECT_NE(out.find("\n\n\n     SHEAR1 HYSTERESIS MODEL DATA - UNIT LENGTH MEMBER\n     " +
                     std::string(49, '=') + "\n     BACKBONE CURVE POINTS - MAT.  NI        DY     " +
                     std::string(5, ' ') + "BETA" + std::string(9, ' ') + " STRESS" +
                     std::string(8, ' ') + " STRAIN\n" + std::string(28, ' ') + "   1   2  " +
                     "   0.200000E-02   0.100000E+00   0.100000E+03   0.100000E-02\n"),
            std::string::npos);

  make("SHEAR1 12 0 0.001 0.05\n"
       "100 190 270 340 400 450 490 520 540 555 565 570\n"
       "0.001 0.002 0.003 0.004 0.005 0.006 0.007 0.008 0.009 0.010 0.011 0.012\n");
  h->step(0.0015f);
  EXPECT_FALSE(cycle_message());
  h->step(0.013f);
  EXPECT_TRUE(cycle_message());
  EXPECT_EQ(s()[kRule], 1.0f);
  EXPECT_EQ(s()[kA], 570.0f);
}

TEST_F(Shear1, TraceOfAStepWithLetterK) {
  kv::titles().ibugm |= 1 << ('K' - 'A');
  h->step(0.003f);
  const std::string out = h->output();
  EXPECT_NE(out.find("------------- IN MAT04 -------------------------"), std::string::npos);
  EXPECT_NE(out.find(" S1-    P="), std::string::npos);
  EXPECT_NE(out.find("   DIR=       1 DIRL=       1"), std::string::npos);
  EXPECT_EQ(out.find(" B1-"), std::string::npos);
}

struct BadSet {
  const char* name;
  const char* set;
};

const BadSet kBadSets[] = {
    {"unordered", "SHEAR1 3 2 0.002 0.1\n100 150 160\n0.005 0.001 0.02\n"},
    {"zero_first_strain", "SHEAR1 3 2 0.002 0.1\n100 150 160\n0 0.005 0.02\n"},
    {"all_zero", "SHEAR1 2 0 0 0\n0 0\n0 0\n"},
    {"negative_points", "SHEAR1 2 0 0.002 0.1\n-100 -150\n-0.001 -0.005\n"},
};

class Shear1Bad : public Shear1, public ::testing::WithParamInterface<BadSet> {};

TEST_P(Shear1Bad, WarnsAndStaysFinite) {
  make(GetParam().set);
  EXPECT_NE(h->output().find(" *** WARNING - SET    1: BACKBONE POINTS SHOULD BE POSITIVE AND ASCENDING"),
            std::string::npos);
  expect_finite_through({0.003f, 0.03f, -0.004f, 0.0f, 0.01f});
}

INSTANTIATE_TEST_SUITE_P(Input, Shear1Bad, ::testing::ValuesIn(kBadSets),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
