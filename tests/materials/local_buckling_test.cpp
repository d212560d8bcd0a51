// The local-buckling tube "LOCBKL" (type 13) driven through MATDSP: the brace
// envelope with the tube's own buckling loads, points B, C, D and growth, and a
// state of 39 words per copy. Values worked out by hand from the rules.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/globals.h"
#include "base/work_array.h"
#include "materials/fixtures.h"
#include "materials/harness.h"
#include "materials/local_buckling.h"

namespace {

using materials::MatCall;
using mtest::set_up_member;

constexpr float kPi = 3.1415925f;
constexpr int kK = 1, kKeff = 2, kCycle = 3, kRule = 4, kLength = 5;
constexpr int kEY = 28, kDU = 29, kHA = 32, kVA = 33, kHC = 34, kVC = 35, kGrowth = 36;

// E 32000, A 10, R 2, YS 40, MAX DUC 10, BETA 0.1: PY = 400; with L = 200
// KE = 1600, DY = 0.25, SLR = 100 below CC = pi sqrt(2 E/YS) = 40 pi.
constexpr const char* kTube = "LOCBKL 32000. 10. 2. 40. 10. 0.1\n";

class LocalBuckling : public ::testing::Test {
 protected:
  void SetUp() override { materials::register_material(13, materials::mat13); }
};

TEST_F(LocalBuckling, ReadsEchoesAndSetsUp) {
  mtest::MaterialHarness h(13, kTube);
  set_up_member(h, 200.0f, 1.0f);
  EXPECT_EQ(h.nprop(), 8);
  EXPECT_EQ(h.nstate(), 39);
  EXPECT_EQ(h.nstate_at_read(1), 39);
  EXPECT_FLOAT_EQ(h.prop()[5], 400.0f);
  EXPECT_NEAR(h.prop()[6], 40.0 * kPi, 1.0e-3);
  const float* s = h.committed();
  EXPECT_FLOAT_EQ(s[kK], 1600.0f);
  EXPECT_FLOAT_EQ(s[kCycle], 1.0f);
  EXPECT_FLOAT_EQ(s[kEY], 50.0f);
  EXPECT_FLOAT_EQ(s[kDU], 2.5f);
  EXPECT_FLOAT_EQ(s[kHA], -1.0f);  // first buckling at -PY below CC
  EXPECT_FLOAT_EQ(s[kVA], -1.0f);
  EXPECT_FLOAT_EQ(s[kHC], -12.0f);
  EXPECT_FLOAT_EQ(s[kVC], -0.1f);

  const std::string out = h.output();
  EXPECT_NE(out.find("\n\n\n     TUBE HYSTERESIS MODEL FOR BOX LOCAL BUCKLING\n"
                     "     ============================================\n\n"
                     "  MAT.       E          A          R          YS      MAX DUC        BETA\n"
                     "     10.320000E+050.100000E+020.200000E+010.400000E+020.100000E+02"
                     "0.100000E+00\n\n"),
            std::string::npos)
      << out;
}

// Yield at PY = 400 and D = DY = 0.25 with the absolute tangent 0.0001; the
// energies and the damage index as for any hysteretic spring.
TEST_F(LocalBuckling, YieldsInTensionAtPY) {
  mtest::MaterialHarness h(13, kTube);
  set_up_member(h, 200.0f, 1.0f);
  EXPECT_FLOAT_EQ(h.step(0.1f), 160.0f);
  EXPECT_FLOAT_EQ(h.step(0.25f), 400.0f);
  EXPECT_FLOAT_EQ(h.tangent(), 0.0001f);
  EXPECT_EQ(h.committed()[kRule], 6.0f);
  EXPECT_NEAR(h.step(0.5f), 400.0f, 1.0e-3f);
  const MatCall r = h.results();
  EXPECT_NEAR(r.ese, 50.0f, 1.0e-3f);
  EXPECT_NEAR(r.pse, 100.0f, 1.0e-2f);
  EXPECT_NEAR(r.duct[0], 2.0f, 1.0e-5f);
  const MatCall dmg = h.damage();
  EXPECT_NEAR(dmg.di, 0.5 / 2.5 + 0.1 / (2.5 * 400.0) * 100.0, 1.0e-5);  // 0.21

  EXPECT_NEAR(h.step(0.4f), 400.0f, 1.0e-3f);  // leaves the plateau
  EXPECT_FLOAT_EQ(h.committed()[kCycle], 2.0f);
  EXPECT_NEAR(h.step(0.3f), 240.0f, 1.0e-3f);
}

// First buckling: at -A YS below CC, at -pi^2 E A / SLR^2 above it. A moves
// to the point where buckling began, the force is not reset and nothing is
// printed.
TEST_F(LocalBuckling, FirstCycleBuckling) {
  struct Case {
    float keff;
    float d_elastic;
    float p_elastic;
    float d_buckled;  // KE x D passes the load here
    float ha;         // A moves to the buckling point: H = D/DY, V = KE D/PY
  };
  const Case cases[] = {
      {1.0f, -0.25f, -400.0f, -0.26f, -1.04f},  // exactly at -PY: still elastic
      {1.5f, -0.05f, -80.0f, -0.1f, -0.4f},     // SLR 150: load -140.37
  };
  for (const Case& t : cases) {
    mtest::MaterialHarness h(13, kTube);
    set_up_member(h, 200.0f, t.keff);
    EXPECT_FLOAT_EQ(h.step(t.d_elastic), t.p_elastic);
    EXPECT_EQ(h.committed()[kRule], 1.0f);
    EXPECT_FLOAT_EQ(h.step(t.d_buckled), 1600.0f * t.d_buckled);
    const float* s = h.committed();
    EXPECT_EQ(s[kRule], 2.0f);
    EXPECT_FLOAT_EQ(s[kHA], t.ha);
    EXPECT_FLOAT_EQ(s[kVA], t.ha);
    EXPECT_NEAR(h.tangent(), 1600.0 * (-0.15 - t.ha) / (-5.0 - t.ha), 1.0e-3);
    EXPECT_EQ(h.output().find("BUCKLING LOAD"), std::string::npos);
  }

  // The load of SLR 150 lies between the elastic step and the buckling step.
  const double pcr = -static_cast<double>(kPi) * kPi * 320000.0 / (150.0 * 150.0);
  EXPECT_LT(pcr, -80.0);
  EXPECT_GT(pcr, -160.0);
}

// In the first cycle A is formed again at every call from the load; along A-B
// the growth uses the divisor 40, except where C follows (divisor SLR).
TEST_F(LocalBuckling, PostBucklingPathAndGrowth) {
  mtest::MaterialHarness h(13, kTube);
  set_up_member(h, 200.0f, 1.0f);
  h.step(-0.25f);
  h.step(-0.26f);  // buckles with A at (-1.04, -1.04), K = KE (0.89/-3.96)
  // Back at A = (-1, -1): on A-B with sAB = 0.85/-4 = -0.2125.
  EXPECT_NEAR(h.step(-1.0f), -149.898990, 2.0e-3);
  EXPECT_NEAR(h.tangent(), -340.0, 1.0e-3);
  EXPECT_FLOAT_EQ(h.committed()[kHA], -1.0f);
  EXPECT_FLOAT_EQ(h.committed()[kGrowth], 0.0f);
  EXPECT_NEAR(h.step(-1.25f), -64.898990, 2.0e-3);
  // Second compressive extreme: (0.55 x 1.25/40 + 0.0002 x 1.25^2) x 1.4.
  EXPECT_NEAR(h.committed()[kGrowth], 0.0245, 1.0e-7);

  EXPECT_NEAR(h.step(-1.26f), -61.498990, 2.0e-3);  // beyond B: rule 3
  EXPECT_EQ(h.committed()[kRule], 3.0f);
  EXPECT_NEAR(h.step(-1.3f), -47.898990, 2.0e-3);   // on B-C, slope 0.05/-7
  EXPECT_NEAR(h.tangent(), 1600.0 * 0.05 / -7.0, 1.0e-4);
  // H = -12: C follows with the tangent -0.0001 KE and G takes the divisor
  // SLR = 100: (0.55 x 3/100 + 0.0002 x 9) x 1.4.
  EXPECT_NEAR(h.step(-3.0f), -28.470419, 2.0e-3);
  EXPECT_FLOAT_EQ(h.committed()[kHC], -12.0f);
  EXPECT_NEAR(h.committed()[kVC], -0.071176, 1.0e-5);
  EXPECT_NEAR(h.tangent(), -0.16, 1.0e-6);
  EXPECT_NEAR(h.committed()[kGrowth], 0.02562, 1.0e-7);
}

// From the second cycle the load is -0.2 PY whatever the slenderness, and A
// moves to the buckling point and stays there.
TEST_F(LocalBuckling, LaterCyclesBuckleAtOneFifthOfPY) {
  struct Case {
    float length;  // SLR = L/2
    float dy;
  };
  const Case cases[] = {{80.0f, 0.1f}, {200.0f, 0.25f}, {300.0f, 0.375f}};
  for (const Case& t : cases) {
    mtest::MaterialHarness h(13, kTube);
    set_up_member(h, t.length, 1.0f);
    h.set_state_word(kCycle, 2.0f);
    const float ke = 320000.0f / t.length;
    EXPECT_NEAR(h.step(-79.0f / ke), -79.0f, 1.0e-3f) << t.length;
    EXPECT_EQ(h.committed()[kRule], 1.0f) << t.length;
    EXPECT_NEAR(h.step(-100.0f / ke), -100.0f, 1.0e-3f) << t.length;
    EXPECT_EQ(h.committed()[kRule], 2.0f) << t.length;
    EXPECT_NEAR(h.committed()[kVA], -0.25f, 1.0e-6f);
    EXPECT_NEAR(h.committed()[kHA], -100.0f / ke / t.dy, 1.0e-6f);
  }

  // Through the plateau into the second cycle (steps exact in binary): A
  // stays where the member buckled, (-0.75, -0.25), so the tangent keeps
  // sAB = 0.1/-4.25.
  mtest::MaterialHarness h(13, kTube);
  set_up_member(h, 200.0f, 1.0f);
  const float path[][2] = {
      {0.25f, 400.0f}, {0.125f, 400.0f}, {0.0f, 200.0f}, {-0.125f, 0.0f}, {-0.1875f, -100.0f}};
  for (const auto& st : path) EXPECT_NEAR(h.step(st[0]), st[1], 1.0e-3f) << st[0];
  EXPECT_FLOAT_EQ(h.committed()[kCycle], 2.0f);
  EXPECT_EQ(h.committed()[kRule], 2.0f);
  EXPECT_FLOAT_EQ(h.committed()[kHA], -0.75f);
  EXPECT_FLOAT_EQ(h.committed()[kVA], -0.25f);
  const double k = 1600.0 * 0.1 / -4.25;
  EXPECT_NEAR(h.tangent(), k, 1.0e-3);
  EXPECT_NEAR(h.step(-0.3125f), -100.0 + k * -0.125, 2.0e-3);
  EXPECT_NEAR(h.tangent(), k, 1.0e-3);
  // A tensile extreme (0.125) is on record, so the growth follows D.
  EXPECT_NEAR(h.committed()[kGrowth], (0.55 * 0.3125 / 40 + 0.0002 * 0.3125 * 0.3125) * 1.4,
              1.0e-7);
}

// The set has 39 state words a copy: nothing writes the three words after
// them, through set-up, buckling, the plateau and unloading.
TEST_F(LocalBuckling, StateStaysWithinThirtyNineWords) {
  mtest::MaterialHarness h(13, kTube);
  const std::int64_t sta = kv::ctl(kv::kIZ);
  kv::ctl(kv::kIZ) = static_cast<std::int32_t>(sta + 42);
  kv::zero_words(sta, 42);
  for (int k = 40; k <= 42; ++k) kv::rzm(sta + k - 1) = 7.0f;
  kv::rzm(sta + kLength - 1) = 200.0f;
  kv::rzm(sta + kKeff - 1) = 1.0f;

  int prev = 0;
  int type = 0;
  MatCall c;
  c.iopt = materials::kOptInit;
  c.set = 1;
  c.sta = sta;
  materials::matdsp(c, prev, 0, type);
  EXPECT_EQ(c.nstate, 39);
  float p = 0.0f, d = 0.0f;
  const float path[] = {-0.2f, -0.5f, -1.5f, -3.5f, -2.0f, 0.0f, 0.5f, 1.5f, 3.0f, 1.0f, -1.0f};
  for (float dn : path) {
    c.iopt = materials::kOptState;
    c.p = p + kv::rzm(sta) * (dn - d);
    c.pl = p;
    c.d = dn;
    c.dl = d;
    materials::matdsp(c, prev, 0, type);
    p = c.p;
    d = dn;
    for (int k = 40; k <= 42; ++k) EXPECT_EQ(kv::rzm(sta + k - 1), 7.0f) << "word " << k;
    EXPECT_TRUE(std::isfinite(p)) << dn;
  }
}

TEST_F(LocalBuckling, UnusableDataStopsTheRun) {
  const char* records[] = {
      "LOCBKL 0. 10. 2. 40. 10. 0.1\n",
      "LOCBKL 32000. 0. 2. 40. 10. 0.1\n",
      "LOCBKL 32000. 10. 0. 40. 10. 0.1\n",
  };
  for (const char* record : records) {
    mtest::MaterialHarness h(13, std::string(kTube) + record);
    MatCall c = mtest::read_call(2);
    EXPECT_THROW(materials::mat13(c), kv::RunStop) << record;
    EXPECT_NE(h.output().find("ERROR IN LOCBKL MATERIAL SET    2: E, A, R AND YS MUST BE POSITIVE"),
              std::string::npos)
        << h.output();
  }

  mtest::MaterialHarness h(13, kTube);
  h.preset_state_word(kLength, 200.0f);  // KEFF left 0
  EXPECT_THROW(h.init(), kv::RunStop);
  EXPECT_NE(h.output().find("ERROR IN LOCBKL MATERIAL OF ELEMENT     1: SLENDERNESS"),
            std::string::npos)
      << h.output();
}

// With trace letter K the set-up prints the tube's control points: B and C
// fixed, D = D1 x 20/40 above SLR 40 and D1 x 31/40 at SLR 40.
TEST_F(LocalBuckling, ControlPointTrace) {
  struct Case {
    float length;
    const char* c1;
    const char* d;
    const char* h;
  };
  const Case cases[] = {
      {120.0f, "(    -9.6104,    0.0000 )", "(    -1.2982,    0.3478 )",
       "(    -2.3575,   -0.7115 )"},
      {80.0f, "(   -10.4374,    0.0000 )", "(    -2.0122,    0.5392 )",
       "(    -3.1042,   -0.5529 )"},
  };
  for (const Case& t : cases) {
    mtest::MaterialHarness h(13, kTube, 1, 1 << 10);
    set_up_member(h, t.length, 1.0f);
    const std::string out = h.output();
    const std::string lines[] = {
        "     TUBE HYSTERESIS ENVELOPE CONTROL POINTS....\n"
        "     ===========================================\n"
        "     CYCLE    ---------=    1.0000\n"
        "     RULE     ---------=    1.0000\n"
        "     (HA, VA) ---------= (    -1.0000,   -1.0000 )\n"
        "     (HB, VB) ---------= (    -5.0000,   -0.1500 )\n"
        "     (HC, VC) ---------= (   -12.0000,   -0.1000 )\n",
        std::string("     (HC1, VC1) -------= ") + t.c1 + "\n",
        std::string("     (HD, VD) ---------= ") + t.d + "\n",
        "     (HD1, VD1) -------= (    -2.5964,    0.6957 )\n",
        std::string("     (HH, VH) ---------= ") + t.h + "\n",
        "     (HE, VE) ---------= (     1.0000,    1.0000 )\n\n",
    };
    for (const std::string& line : lines) {
      EXPECT_NE(out.find(line), std::string::npos) << line << out;
    }
  }
}

}  // namespace
