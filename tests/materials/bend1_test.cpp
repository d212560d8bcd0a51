// The BEND1 bending model driven through MATDSP, against values worked by hand
// from its backbone (100, 0.001), (150, 0.005), (160, 0.02), its unloading
// curve and its reloading rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/globals.h"
#include "materials/bend1.h"
#include "materials/fixtures.h"
#include "materials/harness.h"
#include "materials/matdsp.h"

namespace {

using namespace materials::bend;
using mtest::probe;
using mtest::Pt;
using mtest::rel;
using mtest::slpmin;
using mtest::trapezoids;

// NB 3, NI 2, DY 0.001, BETA 0.05; SI = 1e5, EY = 0.05.
const char* const kSet = "BEND1 3 2 0.001 0.05\n100 150 160\n0.001 0.005 0.02\n";
constexpr double kSI = 1e5;

// The push 0 -> 0.003 in one step: the event at (0.001, 100), the probe 0.1% of
// the rest of the step further on the initial slope, (100.2, 0.001002), and
// from there the secant to the next backbone point, (150, 0.005).
constexpr double kPushK = (150.0 - 100.2) / (0.005 - 0.001002);
constexpr double kPushP = 100.0 + kPushK * 0.002;

// The unloading curve from the peak (dp, mp) with the other peak (dq, mq).
struct Unloading {
  double r, s1, s2, s3, d0, m1, m3, da, ka, db, kb, se;
  Unloading(double mp, double dp, double mq, double dq, double x) {
    r = 0.001 / x;
    s1 = kSI * std::pow(r, 0.294);
    s2 = kSI * (1.0 + 0.8344 * (r - 1.0));
    s3 = kSI * (1.0 + 0.9092 * (r - 1.0));
    d0 = dp - mp * (dq - dp) / (mq - mp);
    m1 = mp / 4.0;
    m3 = 3.0 * m1;
    da = dp - 0.25 * mp / s1;
    ka = slpmin(da - d0, m3, kSI);
    db = da - 0.5 * mp / std::max(ka, s2);
    kb = slpmin(db - d0, m1, kSI);
    se = 0.5 * mp * mp /
         (0.5 * m1 * m1 / std::max(kb, s3) + 0.5 * (da - db) * (m1 + m3) + 0.5 * (dp - da) * (m3 + mp));
  }
};

class Bend1 : public mtest::SpringTest {
 protected:
  Bend1() : SpringTest(3, materials::mat03, "MORE THAN 10 CYCLES IN MAT03,  IELNO:") { make(kSet); }
};

TEST_F(Bend1, PropertiesAndSetUp) {
  EXPECT_EQ(h->nprop(), 11);
  EXPECT_EQ(h->nstate(), 42);
  const float* pr = h->prop();
  EXPECT_EQ(pr[kNb], 3.0f);
  EXPECT_EQ(pr[kNi], 2.0f);
  EXPECT_NEAR(pr[kEy], 0.05, 1e-8);
  EXPECT_EQ(pr[kDy], 0.001f);
  EXPECT_EQ(pr[kBeta], 0.05f);
  EXPECT_EQ(pr[6], 100.0f);
  EXPECT_EQ(pr[8], 160.0f);
  EXPECT_EQ(pr[9], 0.001f);
  EXPECT_EQ(pr[11], 0.02f);
  // Virgin: the initial stiffness, also for the energy.
  EXPECT_EQ(s()[kRule], 0.0f);
  EXPECT_FLOAT_EQ(s()[kK], 1e5f);
  EXPECT_FLOAT_EQ(s()[kSe], 1e5f);
}

TEST_F(Bend1, StepsBelowTheFirstPointStayVirginBothWays) {
  EXPECT_NEAR(h->step(0.0005f), 50.0, rel(50.0));
  EXPECT_EQ(s()[kRule], 0.0f);
  EXPECT_FLOAT_EQ(h->tangent(), 1e5f);
  EXPECT_NEAR(total_work(), 0.0125, 1e-7);
  EXPECT_NEAR(h->results().pse, 0.0, 1e-7);
  // Falling back toward zero the first-use limit is zero, not M(1): one pass each.
  EXPECT_NEAR(h->step(0.0002f), 20.0, rel(20.0));
  EXPECT_NEAR(h->step(-0.0003f), -30.0, rel(30.0));
  EXPECT_EQ(s()[kRule], 0.0f);
  EXPECT_NEAR(total_work(), 30.0 * 30.0 / 2e5, 1e-7);
  EXPECT_FALSE(cycle_message());
}

TEST_F(Bend1, OneStepToThreeTimesTheFirstRotationIsSplitAtTheFirstPoint) {
  h->step(0.003f);
  EXPECT_NEAR(h->material_force(), kPushP, rel(kPushP));
  EXPECT_NEAR(h->tangent(), kPushK, rel(kPushK));
  EXPECT_EQ(s()[kRule], 1.0f);
  EXPECT_EQ(s()[kA], 150.0f);
  EXPECT_EQ(s()[kBackb], 1.0f);
  EXPECT_EQ(s()[kFacp], 1.129f);
  EXPECT_EQ(s()[kDir], 1.0f);
  EXPECT_NEAR(s()[kPmg], kPushP, rel(kPushP));
  EXPECT_FLOAT_EQ(s()[kDmg], 0.003f);
  EXPECT_FLOAT_EQ(s()[kPmh], -100.0f);
  EXPECT_FLOAT_EQ(s()[kDmh], -0.001f);
  EXPECT_FALSE(cycle_message());

  // Work along (0,0) - (0.001,100) - (0.003,P), booked while the energy stiffness
  // was still SI; the rule then sets SE from the unloading curve of the new peak.
  const double work = 0.05 + (100.0 + kPushP) / 2.0 * 0.002;
  EXPECT_NEAR(total_work(), work, 1e-5);
  const materials::MatCall r = h->results();
  EXPECT_NEAR(r.ese, kPushP * kPushP / (2.0 * kSI), 1e-6);
  const Unloading u(kPushP, 0.003, -100.0, -0.001, 0.003);
  EXPECT_NEAR(s()[kSe], u.se, rel(u.se));

  // Damage: du = 0.02, fy = 100 (DY on the first segment).
  const materials::MatCall dmg = h->damage();
  EXPECT_FLOAT_EQ(dmg.d, 0.003f);
  EXPECT_NEAR(dmg.p, kPushP, rel(kPushP));
  EXPECT_NEAR(dmg.di, 0.003 / 0.02 + 0.05 * r.pse / (0.02 * 100.0), 1e-6);
}

TEST_F(Bend1, BeyondTheLastPointTheRuleTurnsNegativeAndTheMomentIsHeld) {
  h->step(0.003f);
  h->step(0.03f);  // split at 150, then at 160; no backbone point above: failed
  EXPECT_EQ(h->material_force(), 160.0f);
  EXPECT_EQ(s()[kRule], -1.0f);
  EXPECT_EQ(h->tangent(), 0.0f);
  for (float d : {0.05f, 0.01f, -0.02f}) {
    EXPECT_EQ(h->step(d), 160.0f) << d;
    EXPECT_EQ(s()[kRule], -1.0f);
    EXPECT_EQ(h->tangent(), 0.0f);
  }
  EXPECT_FALSE(cycle_message());
}

TEST_F(Bend1, UnloadingFromTheBackboneRecordsTheExcursionAndTakesTheFirstSegment) {
  h->step(0.003f);
  h->step(0.0028f);
  const Unloading u(kPushP, 0.003, -100.0, -0.001, 0.003);
  EXPECT_EQ(s()[kRule], 2.0f);
  EXPECT_EQ(s()[kDir], 2.0f);
  EXPECT_EQ(s()[kBackb], 0.0f);
  EXPECT_NEAR(h->tangent(), u.s1, rel(u.s1));
  EXPECT_NEAR(s()[kA], u.m3, rel(u.m3));
  EXPECT_NEAR(h->material_force(), kPushP - 0.0002 * u.s1, rel(kPushP));
  EXPECT_NEAR(h->results().duct[0], 3.0, 1e-5);  // 0.003 / DY
}

struct Unload {
  const char* name;
  float d;  // one step back from the push to 0.003
  float rule;
};

// The step back is split at 75% and 25% of the peak moment; with this backbone
// the last two segments line up on the line to d0, where the moment is zero.
const Unload kUnloads[] = {
    {"first_segment", 0.0027f, 2.0f},
    {"second_segment", 0.0020f, 3.0f},
    {"third_segment", 0.0010f, 4.0f},
};

class Bend1Unload : public Bend1, public ::testing::WithParamInterface<Unload> {};

TEST_P(Bend1Unload, OneStepFromThePeakFollowsTheCurve) {
  const Unload& t = GetParam();
  h->step(0.003f);
  h->step(t.d);
  const Unloading u(kPushP, 0.003, -100.0, -0.001, 0.003);
  // The curve: (0.003, P) - (da, m3) - (db, m1) - (d0, 0).
  const double k2 = std::max(u.ka, u.s2), k3 = std::max(u.kb, u.s3);
  double p = 0.0, k = 0.0;
  std::vector<std::pair<double, double>> path{{0.003, kPushP}};
  if (t.d >= u.da) {
    k = u.s1;
    p = kPushP + k * (t.d - 0.003);
  } else if (t.d >= u.db) {
    path.push_back({u.da, u.m3});
    k = k2;
    p = u.m3 + k * (t.d - u.da);
  } else {
    path.push_back({u.da, u.m3});
    path.push_back({u.db, u.m1});
    k = k3;
    p = u.m1 + k * (t.d - u.db);
  }
  path.push_back({t.d, p});
  EXPECT_EQ(s()[kRule], t.rule);
  EXPECT_NEAR(h->material_force(), p, rel(p));
  EXPECT_NEAR(h->tangent(), k, rel(k));
  const double work = 0.05 + (100.0 + kPushP) / 2.0 * 0.002 + trapezoids(path);
  EXPECT_NEAR(total_work(), work, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(Curve, Bend1Unload, ::testing::ValuesIn(kUnloads),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Bend1, FullCycleWorkIsTheAreaAlongTheEventPath) {
  h->step(0.003f);
  h->step(-0.003f);
  h->step(0.0f);
  EXPECT_FALSE(cycle_message());

  // Leg 1: the push, split at (0.001, 100).
  const Pt p1{0.003, kPushP};
  // Leg 2, to -0.003: down the unloading curve of the positive peak to zero
  // moment at d0 (the last two segments are in line here) ...
  const Unloading u2(kPushP, 0.003, -100.0, -0.001, 0.003);
  const double k3 = std::max(u2.kb, u2.s3);
  const Pt a2{u2.da, u2.m3}, b2{u2.db, u2.m1}, z2{u2.db - u2.m1 / k3, 0.0};
  // ... then, after the zero crossing with the rotation still positive, on the
  // slope toward 95% of the negative peak (still (-0.001, -100)) as seen from the
  // probe, up to the rule-8.1 level -M(1)/3 ...
  const double dt = -0.001 + 0.05 * 100.0 / u2.s1;
  Pt q = probe(z2, k3, -0.003);
  const double k8 = slpmin(q.d - dt, q.p + 95.0, kSI);
  const Pt c2{z2.d - 100.0 / 3.0 / k8, -100.0 / 3.0};
  // ... on toward (dt, -95) (rule 7) ...
  q = probe(c2, k8, -0.003);
  const double k7 = slpmin(q.d - dt, q.p + 95.0, kSI);
  const Pt t2{c2.d + (-95.0 - c2.p) / k7, -95.0};
  // ... and from there on the backbone (the peak rotation is the first point's).
  q = probe(t2, k7, -0.003);
  const double kbb = std::max((150.0 - std::fabs(q.p)) / (0.005 - std::fabs(q.d)),
                              (160.0 - std::fabs(q.p)) / (0.02 - std::fabs(q.d)));
  const Pt e2{-0.003, -95.0 + kbb * (-0.003 - t2.d)};
  // Leg 3, back to 0: the unloading curve of the negative peak to zero moment ...
  const Unloading u3(e2.p, -0.003, kPushP, 0.003, 0.003);
  const Pt a3{u3.da, u3.m3}, b3{u3.db, u3.m1};
  const double k3n = std::max(u3.kb, u3.s3);
  const Pt z3{u3.db - u3.m1 / k3n, 0.0};
  // ... and after the crossing toward 95% of the positive peak (rule 8).
  q = probe(z3, k3n, 0.0);
  const double k8p = slpmin(q.d - (0.003 - 0.05 * kPushP / u3.s1), q.p - 0.95 * kPushP, kSI);
  const Pt e3{0.0, k8p * (0.0 - z3.d)};

  EXPECT_NEAR(h->material_force(), e3.p, rel(e3.p));
  EXPECT_EQ(s()[kRule], 8.0f);
  EXPECT_NEAR(h->tangent(), k8p, rel(k8p));
  EXPECT_NEAR(s()[kPmh], e2.p, rel(e2.p));

  const double area = trapezoids({{0.0, 0.0}, {0.001, 100.0}, {p1.d, p1.p}, {a2.d, a2.p},
                                  {b2.d, b2.p}, {z2.d, z2.p}, {c2.d, c2.p}, {t2.d, t2.p},
                                  {e2.d, e2.p}, {a3.d, a3.p}, {b3.d, b3.p}, {z3.d, z3.p},
                                  {e3.d, e3.p}});
  EXPECT_NEAR(total_work(), area, 1e-4 * area);
  EXPECT_GT(h->results().pse, 0.5 * area);
}

// A short unloading from the push (rule 2 on S1) and reloading past it: below
// 95% of the peak the branch aims at (dt, 0.95 mp) on the first unloading
// segment (rule 7); past that point it aims at FACP times the peak rotation
// (FACP 1.129 from the backbone search of the push) and ends where that line
// meets the backbone (rule 10), storing FACP = 1.029.
TEST_F(Bend1, ReloadingPastNinetyFivePercentAimsBeyondThePeak) {
  h->step(0.003f);
  h->step(0.0028f);
  const Unloading u(kPushP, 0.003, -100.0, -0.001, 0.003);
  const double p28 = kPushP - 0.0002 * u.s1;
  ASSERT_EQ(s()[kRule], 2.0f);
  h->step(0.0035f);

  // Pass 1 moves away from the limit m3: the rule sees the probe on S1.
  const Pt q1{0.0028 + 0.001 * 0.0007, p28 + 0.001 * 0.0007 * u.s1};
  const double mt = 0.95 * kPushP, dt = 0.003 - 0.05 * kPushP / u.s1;
  const double k7 = slpmin(q1.d - dt, q1.p - mt, kSI);
  // Pass 2 crosses mt; the rule sees the probe past it.
  const Pt ev{0.0028 + (mt - p28) / k7, mt};
  const Pt q2 = probe(ev, k7, 0.0035);
  const double dd = 1.129 * 0.003 - q2.d, dm = kPushP - q2.p;
  const double k10 = std::min(dm / dd, kSI);
  // Where that line meets a backbone segment through (th, m) of slope sj.
  auto meet = [&](double th, double m, double sj) {
    const double d = (m - sj * th - q2.p + k10 * q2.d) / (k10 - sj);
    return Pt{d, q2.p + k10 * (d - q2.d)};
  };
  const Pt y2 = meet(0.005, 150.0, 50.0 / 0.004);
  ASSERT_FALSE(y2.d >= 0.001 && y2.d <= 0.005);  // the second segment is not reached
  const Pt y3 = meet(0.02, 160.0, 10.0 / 0.015);
  ASSERT_TRUE(y3.d >= 0.005 && y3.d <= 0.02 && y3.p > kPushP);
  const double p = mt + k10 * (0.0035 - ev.d);

  EXPECT_EQ(s()[kRule], 10.0f);
  EXPECT_EQ(s()[kFacp], 1.029f);
  EXPECT_EQ(s()[kBackb], 1.0f);
  EXPECT_NEAR(h->tangent(), k10, rel(k10));
  EXPECT_NEAR(s()[kA], y3.p, rel(y3.p));
  EXPECT_NEAR(h->material_force(), p, rel(p));
  EXPECT_NEAR(s()[kPmg], p, rel(p));  // a new positive peak
  EXPECT_FALSE(cycle_message());
}

TEST_F(Bend1, EleventhPassPrintsTheCycleMessage) {
  // Twelve points on a concave backbone, spaced so that a probe never jumps a
  // point: a step past them all meets one event per point.
  make("BEND1 12 0 0.001 0.05\n"
       "100 190 270 340 400 450 490 520 540 555 565 570\n"
       "0.001 0.002 0.003 0.004 0.005 0.006 0.007 0.008 0.009 0.010 0.011 0.012\n");
  h->step(0.0015f);
  EXPECT_FALSE(cycle_message());
  EXPECT_EQ(s()[kA], 190.0f);
  h->step(0.013f);
  EXPECT_TRUE(cycle_message());
  // Ten passes took the step to the tenth event (at 565) and aimed it at 570;
  // the eleventh returns the extrapolation on that secant, past 570, without failing.
  EXPECT_EQ(s()[kRule], 1.0f);
  EXPECT_EQ(s()[kA], 570.0f);
  EXPECT_NEAR(h->material_force(), 565.0 + 5000.0 * 0.002, 0.5);
}

TEST_F(Bend1, TraceOfAStepWithLetterK) {
  kv::titles().ibugm |= 1 << ('K' - 'A');
  h->step(0.003f);
  const std::string out = h->output();
  EXPECT_NE(out.find("------------- IN MAT03 -------------------------"), std::string::npos);
  EXPECT_NE(out.find("C----- IS P GREATER THAN LIMITS ? "), std::string::npos);
  EXPECT_NE(out.find("C----- IS P WITH IN LIMITS ? "), std::string::npos);
  EXPECT_NE(out.find(" B1-    P="), std::string::npos);
  EXPECT_NE(out.find(" B1-   S1="), std::string::npos);
  EXPECT_NE(out.find(" B1-  DIR=       1  DIRL=       1"), std::string::npos);
}

struct Area {
  const char* name;
  const char* dy;
  double ey;   // area under the backbone up to DY
  double fy;   // backbone moment at DY, the damage index's yield moment
};

// DY below the first point (a triangle), inside the second segment, and past the
// last point (the whole area; the moment of the last point).
const Area kAreas[] = {
    {"below_first_point", "0.0005", 0.5 * 50.0 * 0.0005, 50.0},
    {"second_segment", "0.003", 0.05 + (100.0 + 125.0) / 2.0 * 0.002, 125.0},
    {"past_last_point", "0.05", 0.05 + 125.0 * 0.004 + 155.0 * 0.015, 160.0},
};

class Bend1Area : public Bend1, public ::testing::WithParamInterface<Area> {};

TEST_P(Bend1Area, YieldAreaAndDamageYieldMoment) {
  const Area& t = GetParam();
  // A first set with another backbone: each set sums its own area.
  make(std::string("BEND1 2 0 0.004 0.1\n50 60\n0.002 0.01\n") + "BEND1 3 2 " + t.dy +
           " 0.05\n100 150 160\n0.001 0.005 0.02\n",
       2);
  EXPECT_NEAR(h->prop()[kEy], 0.5 * 50.0 * 0.002 + (50.0 + 52.5) / 2.0 * 0.002, 1e-7);
  h->init(2);
  EXPECT_NEAR(h->prop()[kEy], t.ey, 1e-6 * std::max(1.0, t.ey));
  h->step(0.003f);
  const materials::MatCall r = h->results();
  const materials::MatCall dmg = h->damage();
  EXPECT_NEAR(dmg.di, 0.003 / 0.02 + 0.05 * r.pse / (0.02 * t.fy), 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Backbone, Bend1Area, ::testing::ValuesIn(kAreas),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Bend1, HeaderAndEchoLines) {
  const std::string out = h->output();
  EXPECT_NE(out.find("\n     BEND1 HYSTERESIS MODEL DATA - UNIT LENGTH MEMBER\n     " +
                     std::string(48, '=') + "\n     BACKBONE CURVE POINTS - MATL  NI " +
                     std::string(5, ' ') + "DY" + std::string(9, ' ') + "  BETA        " +
                     std::string(3, ' ') + " MOMENT" + std::string(8, ' ') + "ROTATION\n"),
            std::string::npos);
  EXPECT_NE(out.find(std::string(28, ' ') + "   1   2  " +
                     "   0.100000E-02   0.500000E-01   0.100000E+03   0.100000E-02\n" +
                     std::string(68, ' ') + "   0.150000E+03   0.500000E-02\n" +
                     std::string(68, ' ') + "   0.160000E+03   0.200000E-01\n"),
            std::string::npos);
  EXPECT_EQ(out.find("WARNING"), std::string::npos);
}

TEST_F(Bend1, TwoPointsAndNoMemory) {
  make("BEND1 2 0 0.001 0.05\n100 150\n0.001 0.005\n");
  EXPECT_EQ(h->nstate(), 36);
  EXPECT_EQ(h->nprop(), 9);
  EXPECT_EQ(h->nstate_at_read(1), 36);
  h->step(0.003f);
  const materials::MatCall dmg = h->damage();  // the peak words follow the (empty) memory
  EXPECT_FLOAT_EQ(dmg.d, 0.003f);
  EXPECT_EQ(dmg.p, s()[kMemory]);
}

struct BadSet {
  const char* name;
  const char* set;
  const char* warning;
};

// Points out of order, zero points and a missing backbone: reported at input;
// the spring goes on with the set as given and nothing turns into NaN.
const BadSet kBadSets[] = {
    {"unordered", "BEND1 3 2 0.001 0.05\n100 150 160\n0.001 0.02 0.005\n", "BACKBONE POINTS SHOULD BE POSITIVE AND ASCENDING"},
    {"zero_first_rotation", "BEND1 3 2 0.001 0.05\n100 150 160\n0 0.005 0.02\n",
     "BACKBONE POINTS SHOULD BE POSITIVE AND ASCENDING"},
    {"zero_first_moment", "BEND1 3 2 0.001 0.05\n0 150 160\n0.001 0.005 0.02\n",
     "BACKBONE POINTS SHOULD BE POSITIVE AND ASCENDING"},
    {"all_zero", "BEND1 2 2 0 0\n0 0\n0 0\n", "BACKBONE POINTS SHOULD BE POSITIVE AND ASCENDING"},
    {"coincident_rotations", "BEND1 3 2 0.005 0.05\n100 150 160\n0.001 0.005 0.005\n",
     "BACKBONE POINTS SHOULD BE POSITIVE AND ASCENDING"},
    {"no_points", "BEND1 0 2 0.001 0.05\n\n\n", "NO BACKBONE POINTS"},
    {"negative_memory", "BEND1 3 -1 0.001 0.05\n100 150 160\n0.001 0.005 0.02\n", "NI BELOW 0"},
};

class Bend1Bad : public Bend1, public ::testing::WithParamInterface<BadSet> {};

TEST_P(Bend1Bad, WarnsAndStaysFinite) {
  const BadSet& t = GetParam();
  make(t.set);
  EXPECT_NE(h->output().find(std::string(" *** WARNING - SET    1: ") + t.warning),
            std::string::npos);
  expect_finite_through({0.003f, 0.03f, -0.004f, 0.0f, 0.01f});
}

INSTANTIATE_TEST_SUITE_P(Input, Bend1Bad, ::testing::ValuesIn(kBadSets),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Bend1Input, UnreadableOrTruncatedSetStopsTheRun) {
  struct Case {
    const char* record;
    const char* message;
  };
  const Case cases[] = {
      {"BEND1 3 2 0.001 0.05\n100 X 160\n0.001 0.005 0.02\n", "UNREADABLE VALUE IN MATERIAL SET    2:"},
      {"BEND1 3 2 0.001 0.05\n100 150 160\n", "END OF INPUT FILE WHILE READING MATERIAL SET    2"},
  };
  for (const Case& t : cases) {
    materials::register_material(3, materials::mat03);
    mtest::MaterialHarness h(3, std::string(kSet) + t.record);
    materials::MatCall c = mtest::read_call(2);
    EXPECT_THROW(materials::mat03(c), kv::RunStop) << t.record;
    EXPECT_NE(h.output().find(t.message), std::string::npos) << h.output();
  }
}

TEST_F(Bend1, DirectReportsAnUnknownDirectionAndKeepsIt) {
  int dir = 7, dirl = 0;
  materials::direct(dir, dirl, 5.0f, 5.0f, 1.0f);  // P = PL: the step keeps DIR as its direction
  EXPECT_EQ(dir, 7);
  EXPECT_EQ(dirl, 7);
  const std::string out = h->output();
  EXPECT_NE(out.find("     ERROR IN SUBROUTINE DIRECT, DIRL.NE. 1,2,3,OR 4\n"), std::string::npos);
  EXPECT_NE(out.find("     *** IN DIRECT    DIR=   7  DIRL=   7  P=   5.000 PL=   5.000  VEL=     1.000"),
            std::string::npos);
}

TEST(Direct, Classification) {
  struct Case {
    int dir_in;
    float p, pl, vel;
    int dir, dirl;
  };
  const Case cases[] = {
      {1, 5, 2, 1, 1, 1},    // rising on the positive side
      {1, 5, 2, -1, 2, 1},   // rising, rate reversed: unloading
      {1, 2, 5, 1, 2, 2},    // falling from a positive moment
      {2, -1, 5, 1, 3, 2},   // falling through zero: loading negative
      {3, -5, -2, 1, 3, 3},  // falling on the negative side
      {3, -5, -2, -1, 4, 3},
      {3, -2, -5, 1, 4, 4},  // rising from a negative moment
      {4, 1, -5, 1, 1, 4},   // rising through zero: loading positive
      {2, 3, 0, 1, 2, 2},    // PL = 0 keeps the direction of the step
      {0, -3, 0, 1, 1, 0},   // first use: DIR 0 becomes 1
  };
  for (const Case& c : cases) {
    int dir = c.dir_in, dirl = -7;
    materials::direct(dir, dirl, c.p, c.pl, c.vel);
    EXPECT_EQ(dir, c.dir) << c.p << " " << c.pl << " " << c.vel;
    EXPECT_EQ(dirl, c.dirl) << c.p << " " << c.pl << " " << c.vel;
  }
}

}  // namespace
