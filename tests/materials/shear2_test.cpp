// The "SHEAR2" wall shear spring driven through MATDSP, against values worked
// by hand from its backbone (0.001, 100), (0.004, 250), (0.01, 300), (0.02, 200)
// and its unloading, pinched and peak-oriented reloading rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "base/globals.h"
#include "materials/harness.h"
#include "materials/matdsp.h"
#include "materials/shear2.h"

namespace {

using namespace materials::shear2;

// Backbone, BETA 0.1, X1..X5 = 1..5.
const char* const kSet =
    "SHEAR2 4 0.1\n"
    "100. 250. 300. 200.\n"
    "0.001 0.004 0.01 0.02\n"
    "1. 2. 3. 4. 5.\n";

// The input slopes.
constexpr double kK1 = 100.0 / 0.001;             // 100000
constexpr double kK2 = 150.0 / 0.003;             // 50000
constexpr double kKS2 = 250.0 / 0.004;            // 62500
constexpr double kK3 = 50.0 / 0.006;              // 8333.33
constexpr double kK4 = -100.0 / 0.01;             // -10000
constexpr double kK13 = 200.0 / 0.009;            // 22222.2
const double kKU2 = 250.0 / ((250.0 / kK1 + 0.004) / 2.0);   // 76923.1
const double kKU3 = 300.0 / ((300.0 / kKS2 + 0.01) / 2.0);   // 40540.5
// Fifth segment from (0.02, 200) to (20 E2, 0.1 S3) = (0.08, 30).
constexpr double kK5 = (30.0 - 200.0) / (0.08 - 0.02);       // -2833.33
constexpr double kK6 = -1.0e-4 * kK2;                        // -5
// Area under the backbone up to each point.
constexpr double kW1 = 0.05, kW2 = kW1 + 0.525, kW3 = kW2 + 1.65, kW4 = kW3 + 2.5;

double tol(double x) { return 1.0e-4 * std::max(1.0, std::fabs(x)); }

class Shear2 : public ::testing::Test {
 protected:
  Shear2() {
    materials::register_material(14, materials::mat14);
    h = std::make_unique<mtest::MaterialHarness>(14, kSet);
    h->init();
  }
  float* s() const { return h->committed(); }
  float rule() const { return s()[kRule]; }
  float mark() const { return s()[kMark]; }
  std::unique_ptr<mtest::MaterialHarness> h;
};

TEST_F(Shear2, PropertiesSlopesAndSetUp) {
  EXPECT_EQ(h->nprop(), 28);
  EXPECT_EQ(h->nstate(), 80);
  EXPECT_EQ(h->nstate_at_read(1), 80);
  const float* pr = h->prop();
  EXPECT_FLOAT_EQ(pr[kPNpt], 4.0f);
  EXPECT_NEAR(pr[kPEy], 0.575, tol(0.575));  // 0.05 + 0.525
  EXPECT_FLOAT_EQ(pr[kPBeta], 0.1f);
  for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(pr[kPX1 + i], static_cast<float>(i + 1));
  const double slopes[8] = {kK1, kK2, kKS2, kK3, kK4, kK13, kKU2, kKU3};
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(pr[kPK1 + i], slopes[i], tol(slopes[i])) << "slope " << i;

  EXPECT_EQ(rule(), 1.0f);
  EXPECT_EQ(s()[kCycles], 1.0f);
  EXPECT_EQ(s()[kFlag37], 1.0f);
  EXPECT_EQ(s()[kFlag44], 0.0f);
  EXPECT_FLOAT_EQ(s()[kThreshold], 0.3f);
  EXPECT_NEAR(s()[kEy], 0.575, tol(0.575));
  EXPECT_NEAR(h->tangent(), kK1, tol(kK1));
  EXPECT_NEAR(s()[kK1c], kK1, tol(kK1));
  for (int i = 0; i < 7; ++i) EXPECT_NEAR(s()[kK2c + i], slopes[i + 1], tol(slopes[i + 1]));
  const float bb[8] = {100, 250, 300, 200, 0.001f, 0.004f, 0.01f, 0.02f};
  for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(s()[kSc + i], bb[i]);
  // The element wrote no wall values: words 3, 4 and the ratio are 0.
  EXPECT_EQ(pr[kPWall1], 0.0f);
  EXPECT_EQ(pr[kPWall2], 0.0f);
  EXPECT_EQ(pr[kPX2Ratio], 0.0f);
  EXPECT_EQ(s()[kX2Ratio], 0.0f);
}

TEST(Shear2Setup, WallWordsReachThePropertiesAtEverySetUp) {
  materials::register_material(14, materials::mat14);
  mtest::MaterialHarness h(14, kSet);
  h.preset_state_word(kWall1, 2.5f);
  h.preset_state_word(kWall2, 4.0f);
  h.init();
  EXPECT_EQ(h.prop()[kPWall1], 2.5f);
  EXPECT_EQ(h.prop()[kPWall2], 4.0f);
  EXPECT_EQ(h.prop()[kPX2Ratio], 0.5f);  // X2 = 2 over 4
  EXPECT_EQ(h.committed()[kX2Ratio], 0.5f);
  EXPECT_EQ(h.committed()[kWall1], 2.5f);
  EXPECT_EQ(h.committed()[kWall2], 4.0f);
}

TEST_F(Shear2, EchoTable) {
  const std::string out = h->output();
  const std::string head =
      "\n\n\n SHEAR2 HYSTERESIS MODEL DATA - FOR WHOLE LENGTH MEMBER\n"
      " ======================================================\n"
      "     BACKBONE CURVE POINTS - MAT.          BETA          STRESS         STRAIN\n";
  EXPECT_NE(out.find(head), std::string::npos) << out;
  const std::string rows = std::string(28, ' ') + "   1  " +
                           "   0.100000E+00   0.100000E+03   0.100000E-02\n" +
                           std::string(49, ' ') + "   0.250000E+03   0.400000E-02\n" +
                           std::string(49, ' ') + "   0.300000E+03   0.100000E-01\n" +
                           std::string(49, ' ') + "   0.200000E+03   0.200000E-01\n" + "   \n";
  EXPECT_NE(out.find(rows), std::string::npos) << out;
}

struct BadSet {
  const char* what;
  const char* input;
};

class Shear2BadInput : public ::testing::TestWithParam<BadSet> {};

// Sets the model cannot use stop the run with a message instead of laying a
// backbone of another length over the property words or dividing by zero.
TEST_P(Shear2BadInput, StopsTheRun) {
  materials::register_material(14, materials::mat14);
  try {
    mtest::MaterialHarness h(14, GetParam().input);
    FAIL() << "no stop";
  } catch (const kv::RunStop& stop) {
    EXPECT_NE(stop.status, 0);
    EXPECT_EQ(stop.message, "UNUSABLE SHEAR2 MATERIAL DATA");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sets, Shear2BadInput,
    ::testing::Values(
        BadSet{"three points", "SHEAR2 3 0.1\n100 250 300\n0.001 0.004 0.01\n1 2 3 4 5\n"},
        BadSet{"five points", "SHEAR2 5 0.1\n100 250 300 200 100\n0.001 0.004 0.01 0.02 0.03\n"},
        BadSet{"zero strain", "SHEAR2 4 0.1\n100 250 300 200\n0 0.004 0.01 0.02\n1 2 3 4 5\n"},
        BadSet{"strains not rising",
               "SHEAR2 4 0.1\n100 250 300 200\n0.001 0.004 0.004 0.02\n1 2 3 4 5\n"}),
    [](const auto& info) {
      std::string n = info.param.what;
      std::replace(n.begin(), n.end(), ' ', '_');
      return n;
    });

// A push in n equal steps follows the backbone, bending at every point a step
// crosses, in either direction.
struct Push {
  float d;
  int n;
  double p;     // force at d
  double k;     // tangent there
  double work;  // area under the backbone up to |d|
};

class Shear2Push : public Shear2, public ::testing::WithParamInterface<Push> {};

TEST_P(Shear2Push, FollowsTheBackbone) {
  const Push c = GetParam();
  const float p = h->walk(c.d, c.n);
  EXPECT_NEAR(p, c.p, tol(c.p));
  EXPECT_NEAR(h->tangent(), c.k, tol(c.k));
  EXPECT_EQ(rule(), c.d > 0.0f ? 1.0f : 3.0f);
  EXPECT_EQ(mark(), 10.0f);
  // Every bend of a step is booked: the total energy is the area.
  EXPECT_NEAR(s()[kTot], c.work, tol(c.work));
  EXPECT_NEAR(s()[kDHalf], std::fabs(c.d), 1e-7);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, Shear2Push,
    ::testing::Values(
        // 250 + K3 x 0.003; area 0.575 + 0.003 x (250 + 275)/2.
        Push{0.007f, 1, 275.0, kK3, kW2 + 0.7875}, Push{0.007f, 3, 275.0, kK3, kW2 + 0.7875},
        Push{0.007f, 7, 275.0, kK3, kW2 + 0.7875}, Push{0.007f, 70, 275.0, kK3, kW2 + 0.7875},
        // 300 + K4 x 0.005.
        Push{0.015f, 1, 250.0, kK4, kW3 + 1.375}, Push{0.015f, 4, 250.0, kK4, kW3 + 1.375},
        Push{0.015f, 15, 250.0, kK4, kW3 + 1.375},
        // 200 + K5 x 0.01.
        Push{0.03f, 1, 200.0 + kK5 * 0.01, kK5, kW4 + 0.01 * (200.0 + 171.6667) / 2.0},
        Push{0.03f, 7, 200.0 + kK5 * 0.01, kK5, kW4 + 0.01 * (200.0 + 171.6667) / 2.0},
        Push{0.03f, 30, 200.0 + kK5 * 0.01, kK5, kW4 + 0.01 * (200.0 + 171.6667) / 2.0},
        // Past 20 E2 on the last segment: 30 + K6 x 0.92.
        Push{1.0f, 1, 30.0 + kK6 * 0.92, kK6, kW4 + 0.06 * 115.0 + 0.92 * (30.0 + 25.4) / 2.0},
        // The negative side mirrors the positive one.
        Push{-0.007f, 1, -275.0, kK3, kW2 + 0.7875}, Push{-0.007f, 7, -275.0, kK3, kW2 + 0.7875},
        Push{-0.015f, 15, -250.0, kK4, kW3 + 1.375},
        Push{-0.03f, 4, -(200.0 + kK5 * 0.01), kK5, kW4 + 0.01 * (200.0 + 171.6667) / 2.0}));

// Energies, ductilities and excursion peaks of a push to 0.007 in seven steps.
// The elastic-energy stiffness is the secant 1.5 P/D of the one step that ends
// on segment 2 below 0.7 S2 = 175 (D = 0.002, P = 150); beyond it the pinched
// option finds no peak force yet and keeps that stiffness.
TEST_F(Shear2, PushEnergiesAndDuctilities) {
  h->walk(0.007f, 7);
  const double ke = 1.5 * 150.0 / 0.002;  // 112500
  const double work = kW2 + 0.7875;       // 1.3625
  const double ese = 275.0 * 275.0 / (2.0 * ke);
  const double pse = work - ese;
  const materials::MatCall r = h->results();
  EXPECT_NEAR(r.ese, ese, tol(ese));
  EXPECT_NEAR(r.pse, pse, tol(pse));
  EXPECT_NEAR(s()[kKE], ke, tol(ke));
  // DY = E2; the energy ratios with CSE = 0 are largest at the end.
  EXPECT_NEAR(r.duct[0], 0.007 / 0.004, tol(1.75));
  EXPECT_NEAR(r.duct[1], pse / ese + 1.0, 1e-3);
  EXPECT_NEAR(r.duct[2], pse / 0.575 + 1.0, tol(pse / 0.575 + 1.0));
  for (int k = 0; k < 3; ++k) EXPECT_EQ(r.ex[k], 0.0f);
  EXPECT_NEAR(r.ex[3], 1.75, tol(1.75));
  EXPECT_NEAR(r.ex[4], pse / ese + 1.0, 1e-3);
  EXPECT_NEAR(r.ex[5], pse / 0.575 + 1.0, tol(pse / 0.575 + 1.0));
}

// DI = Dm/E4 + BETA/(E4 S2) PSE. At E4 the force is 200 and, as above, the
// elastic-energy stiffness is 112500.
TEST_F(Shear2, DamageIndexAtTheUltimatePoint) {
  h->walk(0.02f, 20);
  const double pse = kW4 - 200.0 * 200.0 / (2.0 * 112500.0);
  const materials::MatCall c = h->damage();
  EXPECT_NEAR(c.pse, pse, tol(pse));
  EXPECT_NEAR(c.di, 0.02 / 0.02 + 0.1 / (0.02 * 250.0) * pse, 1e-4);
}

TEST(Shear2Damage, WithoutEnergyTermTheUltimatePointGivesOne) {
  materials::register_material(14, materials::mat14);
  mtest::MaterialHarness h(14, "SHEAR2 4 0.0\n100 250 300 200\n0.001 0.004 0.01 0.02\n0 0 0 0 0\n");
  h.init();
  EXPECT_EQ(h.damage().di, 0.0f);
  h.walk(0.02f, 5);
  EXPECT_NEAR(h.damage().di, 1.0, 1e-6);
}

// Unloading from (0.01, 300), a peak above 0.7 S2, worked by hand: the force
// drops to 0.85 of the peak and unloads with KU2; at x it passes a sixth of the
// peak (50) and heads for (-E2, -S2); at z it passes zero force, the backbone
// degrades with the energy W dissipated so far (r = W / (S3 E3)) and the
// spring reloads with the degraded stiffness K0' toward the negative side.
struct LargePeakPath {
  double fa, x, kb, z, w, r, k0d, e1c, s1c, k2c, e2c, e3c, s2c, s3c;
  double p_at(double d) const { return k0d * (d - z); }           // past z
  double w_at(double d) const { return w + 0.5 * k0d * (d - z) * (d - z); }
};

LargePeakPath large_peak_path() {
  LargePeakPath a{};
  a.fa = 0.85 * 300.0;
  a.x = 0.01 - (a.fa - 50.0) / kKU2;
  a.kb = (-250.0 - 50.0) / (-0.004 - a.x);
  a.z = a.x - 50.0 / a.kb;
  a.w = kW3 - (0.01 - a.x) * (a.fa + 50.0) / 2.0 - (a.x - a.z) * 50.0 / 2.0;
  a.r = a.w / (300.0 * 0.01);
  a.k0d = 0.27798 * std::pow(10.0, -0.25473 * a.r) * kK1;
  a.e1c = std::min(std::max(0.25 * a.z, 0.001), 0.0015);
  a.s1c = (a.z + a.e1c) * a.k0d;
  a.k2c = std::min(1.1578 * std::pow(10.0, -0.20102 * a.r), 1.0) * kK2;
  a.e2c = (0.4546 * std::log(a.r) + 1.5299) * 0.004;
  a.e3c = std::max(2.5 * a.e2c, 1.5 * a.e2c);
  a.s2c = a.s1c + (a.e2c - a.e1c) * a.k2c;
  a.s3c = a.s2c + (a.e3c - a.e2c) * a.k2c * kK3 / kK2;
  return a;
}

TEST_F(Shear2, UnloadingFromALargePeak) {
  const LargePeakPath a = large_peak_path();
  EXPECT_NEAR(h->walk(0.01f, 10), 300.0, tol(300));

  EXPECT_NEAR(h->step(0.009f), a.fa - kKU2 * 0.001, tol(a.fa));
  EXPECT_EQ(rule(), 2.0f);
  EXPECT_EQ(mark(), 25.0f);
  EXPECT_NEAR(h->tangent(), kKU2, tol(kKU2));
  EXPECT_NEAR(s()[kFPos], 300.0, tol(300));
  EXPECT_EQ(s()[kDPos], 0.01f);
  EXPECT_NEAR(s()[kFPeak], 300.0, tol(300));
  EXPECT_NEAR(s()[kSixth], 50.0, tol(50));

  EXPECT_NEAR(h->step(0.0075f), a.fa - kKU2 * 0.0025, tol(a.fa));
  EXPECT_EQ(mark(), 25.0f);

  EXPECT_NEAR(h->step(0.007f), 50.0 + a.kb * (0.007 - a.x), 1e-3);
  EXPECT_EQ(mark(), 26.0f);
  EXPECT_NEAR(h->tangent(), a.kb, tol(a.kb));

  ASSERT_GT(a.r, 0.312);
  EXPECT_NEAR(h->step(0.005f), a.p_at(0.005), 1e-3);
  EXPECT_EQ(rule(), 5.0f);
  EXPECT_EQ(mark(), 32.0f);
  EXPECT_NEAR(s()[kDZero], a.z, 1e-7);
  EXPECT_NEAR(s()[kTot], a.w_at(0.005), tol(a.w));
  EXPECT_NEAR(s()[kR], a.r, tol(a.r));
  EXPECT_NEAR(s()[kKDeg], a.k0d, tol(a.k0d));
  EXPECT_NEAR(h->tangent(), a.k0d, tol(a.k0d));
  EXPECT_NEAR(s()[kEc], a.e1c, 1e-8);
  EXPECT_NEAR(s()[kSc], a.s1c, tol(a.s1c));
  EXPECT_NEAR(s()[kK2c], a.k2c, tol(a.k2c));
  EXPECT_NEAR(s()[kEc + 1], a.e2c, 1e-8);
  EXPECT_NEAR(s()[kEc + 2], a.e3c, 1e-8);
  EXPECT_NEAR(s()[kSc + 1], a.s2c, tol(a.s2c));
  EXPECT_NEAR(s()[kSc + 2], a.s3c, tol(a.s3c));
  EXPECT_NEAR(s()[kK4c], -0.5 * a.k2c, tol(a.k2c));
  EXPECT_NEAR(s()[kSc + 3], (a.s1c + a.s2c) / 2.0, tol(a.s2c));
  EXPECT_NEAR(s()[kK1c], a.s1c / a.e1c, tol(a.s1c / a.e1c));
  EXPECT_EQ(s()[kDMax], 0.01f);
  EXPECT_EQ(s()[kCycles], 1.0f);  // a positive-to-negative crossing counts none
  // Force and deformation of opposite signs: no elastic energy.
  EXPECT_NEAR(h->results().ese, 0.0, 1e-12);
}

// The same unloading in one long step, or in steps that each hold at most one
// event, follows the same path: it bends at the drop, at the sixth and at
// zero force, and books the work of every leg of the path.
struct Walk {
  int n;       // steps of the unloading
  float sign;  // +1 from the positive peak, -1 its mirror from the negative one
};

class Shear2LongUnloading : public Shear2, public ::testing::WithParamInterface<Walk> {};

TEST_P(Shear2LongUnloading, FollowsTheSamePath) {
  const LargePeakPath a = large_peak_path();
  const float sg = GetParam().sign;
  h->walk(sg * 0.01f, 10);
  EXPECT_NEAR(h->walk(sg * 0.005f, GetParam().n), sg * a.p_at(0.005), 1e-3);
  EXPECT_EQ(rule(), sg > 0.0f ? 5.0f : 6.0f);
  EXPECT_NEAR(h->tangent(), a.k0d, tol(a.k0d));
  EXPECT_NEAR(s()[kDZero], sg * a.z, 1e-7);
  EXPECT_NEAR(s()[kR], a.r, tol(a.r));
  EXPECT_NEAR(s()[kTot], a.w_at(0.005), tol(a.w));
}

INSTANTIATE_TEST_SUITE_P(Steps, Shear2LongUnloading,
                         ::testing::Values(Walk{1, 1.0f}, Walk{10, 1.0f}, Walk{20, 1.0f},
                                           Walk{1, -1.0f}, Walk{10, -1.0f}));

// From the small peak in one step or in four, to just past zero force and on
// to -0.0015 on the backbone; the negative side mirrors it. Past zero force the
// branch keeps heading for the first backbone point of the other side: aimed
// from the step's start at the near side's point instead, the one-step mirror
// would get a slope of -S1/(E1 - 0.002) = -100000 and a force of the wrong sign
// that grows as the spring moves on.
struct SmallWalk {
  int n;
  float sign;
};

class Shear2SmallUnloading : public Shear2, public ::testing::WithParamInterface<SmallWalk> {};

TEST_P(Shear2SmallUnloading, FollowsTheSamePath) {
  const float sg = GetParam().sign;
  h->walk(sg * 0.002f, 2);
  const double x = 0.002 - (150.0 - 100.0 / 3.0) / kK1;
  const double kp = (100.0 + 100.0 / 3.0) / (x + 0.001);
  EXPECT_NEAR(h->walk(sg * 0.0002f, GetParam().n), sg * (100.0 / 3.0 + kp * (0.0002 - x)), 1e-3);
  EXPECT_EQ(rule(), sg > 0.0f ? 5.0f : 6.0f);
  EXPECT_NEAR(h->tangent(), kp, tol(kp));
  EXPECT_NEAR(h->step(-sg * 0.0015f), -sg * (100.0 + kK2 * 0.0005), 1e-3);
  EXPECT_EQ(rule(), sg > 0.0f ? 3.0f : 1.0f);
}

INSTANTIATE_TEST_SUITE_P(Steps, Shear2SmallUnloading,
                         ::testing::Values(SmallWalk{1, 1.0f}, SmallWalk{4, 1.0f},
                                           SmallWalk{1, -1.0f}, SmallWalk{4, -1.0f}));

// A step that ends exactly on a backbone point leaves the tangent of the
// segment before it; the next step still bends there. Left on the old slope
// the force would stay above the backbone for good (300 instead of 258.33
// past E2, 200 instead of 150 past E1).
struct OnPoint {
  float d_on;    // a backbone point, reached exactly
  float d_next;  // the step beyond it
  double p;      // backbone force at d_next
  double k;      // slope there
  double work;   // area under the backbone up to d_next
};

class Shear2OnPoint : public Shear2, public ::testing::WithParamInterface<OnPoint> {};

TEST_P(Shear2OnPoint, NextStepBendsAtThePoint) {
  const OnPoint c = GetParam();
  h->step(0.5f * c.d_on);
  h->step(c.d_on);
  EXPECT_NEAR(h->step(c.d_next), c.p, tol(c.p));
  EXPECT_NEAR(h->tangent(), c.k, tol(c.k));
  EXPECT_EQ(rule(), c.d_next > 0.0f ? 1.0f : 3.0f);
  EXPECT_NEAR(s()[kTot], c.work, tol(c.work));
}

INSTANTIATE_TEST_SUITE_P(
    Points, Shear2OnPoint,
    ::testing::Values(OnPoint{0.001f, 0.002f, 150.0, kK2, kW1 + 0.125},
                      OnPoint{0.004f, 0.005f, 250.0 + kK3 * 0.001, kK3,
                              kW2 + 0.001 * (250.0 + 250.0 + kK3 * 0.001) / 2.0},
                      OnPoint{-0.004f, -0.005f, -(250.0 + kK3 * 0.001), kK3,
                              kW2 + 0.001 * (250.0 + 250.0 + kK3 * 0.001) / 2.0},
                      OnPoint{0.01f, 0.011f, 300.0 + kK4 * 0.001, kK4,
                              kW3 + 0.001 * (300.0 + 290.0) / 2.0}));

// Unloading from (0.002, 150), a peak below 0.7 S2: the initial slope K1 down
// to S1/3, then toward (-E1, -S1); past zero force the pinched branch reaches
// -E1 and the spring is back on the backbone.
TEST_F(Shear2, UnloadingFromASmallPeakAndPinchedReloading) {
  EXPECT_NEAR(h->walk(0.002f, 2), 150.0, tol(150));
  struct Stop {
    float d;
    double p;
    float rule;
    float mark;
    double k;
  };
  // The K1 line from the peak meets S1/3 at x; from there to (-E1, -S1).
  const double x = 0.002 - (150.0 - 100.0 / 3.0) / kK1;
  const double kp = (100.0 + 100.0 / 3.0) / (x + 0.001);
  auto pinched = [&](double d) { return 100.0 / 3.0 + kp * (d - x); };
  const Stop stops[] = {
      {0.0015f, 100.0, 2, 22, kK1},
      {0.0009f, 40.0, 2, 22, kK1},
      {0.0007f, pinched(0.0007), 2, 23, kp},
      // Past zero force: rule 5, pinched toward (-E1', -S1').
      {0.0002f, pinched(0.0002), 5, 31, kp},
      // Past -E1 on segment 2 of the backbone (r < 0.3 left it in place).
      {-0.0015f, -100.0 - kK2 * 0.0005, 3, 10, kK2},
  };
  for (const Stop& st : stops) {
    EXPECT_NEAR(h->step(st.d), st.p, 1e-3) << "d = " << st.d;
    EXPECT_EQ(rule(), st.rule) << "d = " << st.d;
    EXPECT_EQ(mark(), st.mark) << "d = " << st.d;
    EXPECT_NEAR(h->tangent(), st.k, tol(st.k)) << "d = " << st.d;
  }
  EXPECT_GT(s()[kR], 0.0f);
  EXPECT_LE(s()[kR], 0.3f);
  EXPECT_EQ(s()[kSc], 100.0f);
  EXPECT_EQ(s()[kEc], 0.001f);
}

// A partial unloading from (0.01, 300) and reloading: rule 8 aims at 0.9 of
// the peak at the peak deformation, goes on beyond it at half that slope and
// meets the falling backbone segment; rule 7 mirrors it on the negative side.
class Shear2Reload : public Shear2, public ::testing::WithParamInterface<float> {};

TEST_P(Shear2Reload, TowardThePeak) {
  const float sg = GetParam();
  h->walk(sg * 0.01f, 10);
  const double p1 = 0.85 * 300.0 - kKU2 * 0.001;
  EXPECT_NEAR(h->step(sg * 0.009f), sg * p1, tol(p1));

  const double k8 = (270.0 - p1) / 0.001;  // steeper than KU2
  ASSERT_GT(k8, kKU2);
  EXPECT_NEAR(h->step(sg * 0.0095f), sg * (p1 + k8 * 0.0005), tol(p1));
  EXPECT_EQ(rule(), sg > 0.0f ? 8.0f : 7.0f);
  EXPECT_EQ(mark(), 41.0f);
  EXPECT_NEAR(s()[kKPeak], k8, tol(k8));
  EXPECT_EQ(s()[kCycles], 2.0f);  // rule 8 after rule 2, rule 7 after rule 4

  // Half the slope past (0.01, 270) meets 300 + K4 (D - 0.01) at xm.
  const double xm = 0.01 + 30.0 / (0.5 * k8 - kK4);
  EXPECT_NEAR(h->step(sg * 0.011f), sg * (300.0 + kK4 * 0.001), tol(300));
  EXPECT_EQ(rule(), sg > 0.0f ? 1.0f : 3.0f);
  EXPECT_EQ(mark(), 10.0f);
  EXPECT_NEAR(h->tangent(), kK4, tol(kK4));
  const double pm = 300.0 + kK4 * (xm - 0.01);
  const double w = kW3 - 0.001 * (0.85 * 300.0 + p1) / 2.0 + 0.001 * (p1 + 270.0) / 2.0 +
                   (xm - 0.01) * (270.0 + pm) / 2.0 + (0.011 - xm) * (pm + 290.0) / 2.0;
  EXPECT_NEAR(s()[kTot], w, tol(w));
}

INSTANTIATE_TEST_SUITE_P(Sides, Shear2Reload, ::testing::Values(1.0f, -1.0f));

// A reversal on rule 5 with the positive peak at (0.01, 300) and DL = -0.002:
// rule 10 drops the force to zero at DL and aims at (0.01, 270) with
// 270 / 0.012 = 22500; beyond the peak deformation the slope halves and the
// branch meets the falling backbone.
TEST_F(Shear2, ReversalOnRule5HeadsForThePositivePeak) {
  EXPECT_NEAR(h->walk(-0.002f, 2), -150.0, tol(150));
  h->set_state_word(kRule, 5.0f);
  h->set_state_word(kFPos, 300.0f);
  h->set_state_word(kDPos, 0.01f);

  EXPECT_NEAR(h->step(-0.0015f), 22500.0 * 0.0005, 1e-3);
  EXPECT_EQ(rule(), 10.0f);
  EXPECT_EQ(mark(), 51.0f);
  EXPECT_NEAR(s()[kKPeak], 22500.0, tol(22500));
  EXPECT_NEAR(h->tangent(), 22500.0, tol(22500));
  EXPECT_EQ(s()[kCycles], 2.0f);
  EXPECT_EQ(s()[kFNeg], -150.0f);
  EXPECT_EQ(s()[kDNeg], -0.002f);
  EXPECT_FLOAT_EQ(s()[kDRev], -0.002f);
  // The energy of the drop: the force is zero at DL.
  EXPECT_NEAR(s()[kTot], kW1 + 0.125 + 0.0005 * 11.25 / 2.0, 1e-6);

  EXPECT_NEAR(h->step(0.005f), 22500.0 * 0.007, 1e-2);
  EXPECT_EQ(rule(), 10.0f);
  EXPECT_EQ(mark(), 52.0f);

  // The update at the reversal (r = 0.175/3 below 0.3) kept points 1-3 but
  // set K4' = -K2/2 = -25000, S4' = 175, E4' = 0.015.
  EXPECT_NEAR(s()[kK4c], -25000.0, tol(25000));
  EXPECT_NEAR(h->step(0.012f), 300.0 - 25000.0 * 0.002, 1e-3);
  EXPECT_EQ(rule(), 1.0f);
  EXPECT_EQ(mark(), 10.0f);
  EXPECT_NEAR(h->tangent(), -25000.0, tol(25000));
}

// Where the backbone ends (zero force at 20 E2 + 0.1 S3 / (1E-4 K2) = 6.08)
// the spring holds zero force and stiffness, the element and step are printed
// and the stop flag is raised; the next step starts with K = 0 and holds.
struct EndCase {
  const char* what;
  float d_before;  // last point on the backbone
  float d_end;     // the step past the end
};

class Shear2End : public Shear2, public ::testing::WithParamInterface<EndCase> {};

TEST_P(Shear2End, HoldsZeroAndStopsTheSolution) {
  const EndCase c = GetParam();
  h->walk(0.03f, 3);
  h->step(0.5f);
  h->step(c.d_before);
  EXPECT_NEAR(h->force(), 30.0 + kK6 * (c.d_before - 0.08), 2e-3);
  EXPECT_EQ(kv::ctl(kv::kISTOP), 0);

  kv::solsta().istep = 42;
  EXPECT_EQ(h->step(c.d_end), 0.0f);
  EXPECT_EQ(h->tangent(), 0.0f);
  EXPECT_EQ(kv::ctl(kv::kISTOP) & 1, 1);
  const std::string msg =
      " ***** SHEAR2 SPRING OF ELEMENT     1 HAS RUN OFF THE END OF ITS BACKBONE AT STEP    42\n";
  EXPECT_NE(h->output().find(msg), std::string::npos) << h->output();

  kv::ctl(kv::kISTOP) = 0;
  kv::solsta().istep = 43;
  EXPECT_EQ(h->step(c.d_end + 0.5f), 0.0f);
  EXPECT_EQ(h->tangent(), 0.0f);
  EXPECT_EQ(kv::ctl(kv::kISTOP) & 1, 1);
  EXPECT_NE(h->output().find("AT STEP    43"), std::string::npos);
  const materials::MatCall r = h->results();
  EXPECT_EQ(r.ese, 0.0f);
  EXPECT_TRUE(std::isfinite(r.pse));
}

INSTANTIATE_TEST_SUITE_P(Cases, Shear2End,
                         ::testing::Values(EndCase{"crossing_on_the_last_segment", 6.0f, 6.1f},
                                           EndCase{"long_step_past_the_end", 3.0f, 7.0f}),
                         [](const auto& info) { return std::string(info.param.what); });

// A long step down a falling segment whose trial force passes zero short of
// the end is not a zero crossing: the force stays on the backbone.
TEST_F(Shear2, LongStepOnAFallingSegmentStaysOnTheBackbone) {
  h->walk(0.03f, 3);
  EXPECT_NEAR(h->step(5.0f), 30.0 + kK6 * 4.92, 2e-3);
  EXPECT_EQ(rule(), 1.0f);
  EXPECT_EQ(s()[kCycles], 1.0f);
  EXPECT_EQ(kv::ctl(kv::kISTOP), 0);
}

// A step to the same deformation changes nothing, also the memory of the last
// increment on which the next reversal is found.
TEST_F(Shear2, EqualDeformationChangesNothing) {
  h->walk(0.01f, 10);
  const std::vector<float> before(s() + 1, s() + 81);
  EXPECT_NEAR(h->step(0.01f), 300.0, tol(300));
  const std::vector<float> after(s() + 1, s() + 81);
  EXPECT_EQ(before, after);
  h->step(0.009f);
  EXPECT_EQ(rule(), 2.0f);
}

// Cycles of growing amplitude with uneven steps: every force is finite and
// within the strongest backbone, energies stay consistent, and the rule is
// one of the ten.
TEST_F(Shear2, CyclesStayFiniteAndBounded) {
  const float amps[] = {0.0008f, 0.003f, 0.006f, 0.012f, 0.02f};
  const int steps[] = {3, 7, 4};
  int n = 0;
  for (float a : amps) {
    for (float target : {a, -a, 0.5f * a, -0.7f * a}) {
      h->walk(target, steps[n++ % 3]);
      const float p = h->force();
      ASSERT_TRUE(std::isfinite(p)) << "target " << target;
      ASSERT_LE(std::fabs(p), 300.0f * 1.0001f) << "target " << target;
      ASSERT_TRUE(std::isfinite(h->tangent()));
      const int r = static_cast<int>(rule());
      ASSERT_GE(r, 1);
      ASSERT_LE(r, 10);
      const materials::MatCall res = h->results();
      ASSERT_TRUE(std::isfinite(res.ese) && std::isfinite(res.pse));
      ASSERT_GE(res.ese, 0.0f);
      ASSERT_NEAR(res.ese + res.pse, s()[kTot], tol(s()[kTot]));
      for (float e : res.ex) ASSERT_TRUE(std::isfinite(e));
      for (float u : res.duct) ASSERT_TRUE(std::isfinite(u));
    }
  }
  EXPECT_GT(s()[kCycles], 1.0f);
  EXPECT_TRUE(std::isfinite(h->damage().di));
}

}  // namespace
