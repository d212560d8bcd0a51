// The LONG_OWJG loop driven through MATDSP, against the reference loop's
// constants scaled by hand, and its target-point construction against its
// geometric definition.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "base/globals.h"
#include "materials/fixtures.h"
#include "materials/harness.h"
#include "materials/long_owjg.h"
#include "materials/matdsp.h"

namespace {

// Unloading stiffness of the reference loop at 2 HA0 = 0.0084.
constexpr double kKU2 = 856026.0 - 52030208.0 * 0.0084;

std::unique_ptr<mtest::MaterialHarness> make(const std::string& set) {
  return mtest::make_spring(9, materials::mat09, set);
}

double rel(double x, double r = 1e-5) { return r * std::max(1.0, std::fabs(x)); }

TEST(LongOwjg, SetUpScalesTheReferenceLoop) {
  auto h = make("LONG_OWJG 0.0084 5400.0 6.0 0.0\n");
  EXPECT_EQ(h->nprop(), 4);
  EXPECT_EQ(h->nstate(), 66);
  const float* s = h->committed();
  EXPECT_EQ(s[5], 1.0f);                            // RULE
  EXPECT_NEAR(s[1], 5400.0 / 0.0084, rel(642857.0));  // K = SLOP1 = VA/HA
  EXPECT_EQ(s[61], s[1]);
  EXPECT_EQ(s[6], 999999.0f);                        // no unloading yet
  EXPECT_EQ(s[8], 999999.0f);
  EXPECT_FLOAT_EQ(s[62], 2.0f);                      // SR, SM, SMR
  EXPECT_FLOAT_EQ(s[63], 2.0f);
  EXPECT_FLOAT_EQ(s[64], 1.0f);
  EXPECT_FLOAT_EQ(s[18], 0.013f);                    // HB = (HA0 + 0.0023) SR
  EXPECT_FLOAT_EQ(s[19], 4470.0f);                   // VB = (VA0 - 465) SM
  EXPECT_FLOAT_EQ(s[24], -0.0084f);
  EXPECT_FLOAT_EQ(s[25], -5400.0f);
  EXPECT_FLOAT_EQ(s[26], -0.013f);
  EXPECT_FLOAT_EQ(s[27], -4470.0f);
  EXPECT_EQ(s[50], 0.0084f);
}

struct Scale {
  const char* name;
  float ha, va;
};

// Sets whose scales differ in rotation, in moment, or both.
const Scale kScales[] = {
    {"reference", 0.0042f, 2700.0f},
    {"both_doubled", 0.0084f, 5400.0f},
    {"moment_doubled", 0.0042f, 5400.0f},
    {"both_smaller", 0.0021f, 900.0f},
};

class LongOwjgScaled : public ::testing::TestWithParam<Scale> {};

// With SR = HA/0.0042, SM = VA/2700, SMR = SM/SR: elastic slope VA/HA; at
// 1.5 HA the first descending branch gives VA - 202324 SMR (0.5 HA) =
// 2275.1196 SM; at 2 HA, past HB = 0.0065 SR, the second gives 2235 SM - 100000
// SMR (0.0019 SR) = 2045 SM; unloading from there on KU(0.0084) SMR.
TEST_P(LongOwjgScaled, PushedToTwiceTheYieldRotationAndUnloaded) {
  const Scale& c = GetParam();
  auto h = make("LONG_OWJG " + std::to_string(c.ha) + " " + std::to_string(c.va) + " 10.0 0.0\n");
  const double sr = c.ha / 0.0042, sm = c.va / 2700.0, smr = sm / sr;

  EXPECT_NEAR(h->step(0.5f * c.ha), 0.5 * c.va, rel(c.va));
  EXPECT_NEAR(h->step(1.5f * c.ha), 2275.1196 * sm, rel(2275.0 * sm));
  EXPECT_NEAR(h->tangent(), -202324.0 * smr, rel(202324.0 * smr));
  EXPECT_EQ(h->committed()[5], 2.0f);

  EXPECT_NEAR(h->step(2.0f * c.ha), 2045.0 * sm, rel(2045.0 * sm));
  EXPECT_NEAR(h->tangent(), -100000.0 * smr, rel(100000.0 * smr));
  EXPECT_EQ(h->committed()[5], 3.0f);
  EXPECT_NEAR(h->results().duct[0], 2.0, 1e-6);

  const double ku = kKU2 * smr;
  EXPECT_NEAR(h->step(1.8f * c.ha), 2045.0 * sm - ku * 0.2 * c.ha, rel(2045.0 * sm));
  EXPECT_NEAR(h->tangent(), ku, rel(ku));
  EXPECT_EQ(h->committed()[5], 8.0f);
}

INSTANTIATE_TEST_SUITE_P(Sets, LongOwjgScaled, ::testing::ValuesIn(kScales),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(LongOwjg, UnloadedThroughZeroOntoTheMovedNegativeEnvelope) {
  auto h = make("LONG_OWJG 0.0042 2700.0 10.0 0.0\n");
  EXPECT_NEAR(h->step(0.006f), 2700.0 - 202324.0 * 0.0018, 1e-2);
  EXPECT_NEAR(h->step(0.0084f), 2045.0, 1e-2);

  // First unloading from the positive side: the negative yield point moves
  // onto the unloading line, at -2700 on it.
  const double hap = 0.0084 - (2700.0 + 2045.0) / kKU2;
  EXPECT_NEAR(h->step(0.0f), 2045.0 - kKU2 * 0.0084, 2e-2);
  EXPECT_NEAR(h->committed()[24], hap, 1e-7);
  EXPECT_FLOAT_EQ(h->committed()[25], -2700.0f);
  EXPECT_NEAR(h->committed()[26], hap - 0.0023, 1e-7);
  EXPECT_FLOAT_EQ(h->committed()[27], -2235.0f);

  // Past it the first descending branch of the negative side.
  EXPECT_NEAR(h->step(-0.004f), -2700.0 - 202324.0 * (-0.004 - hap), 5e-2);
  EXPECT_EQ(h->committed()[5], 2.0f);
  EXPECT_EQ(h->committed()[4], 1.0f);  // negative side
  // And past its second point the steeper one, from (HBP, VBP).
  EXPECT_NEAR(h->step(-0.007f), -2235.0 - 100000.0 * (-0.007 - (hap - 0.0023)), 5e-2);
  EXPECT_EQ(h->committed()[5], 3.0f);

  // Unloading from the negative side after both sides have unloaded: reloading
  // toward the first target point.
  const float pun = h->force();
  h->step(-0.006f);
  const float* s = h->committed();
  EXPECT_EQ(s[5], 4.0f);
  EXPECT_FLOAT_EQ(s[8], pun);
  EXPECT_FLOAT_EQ(s[9], -0.007f);
  const double k = (pun - s[21]) / (-0.007 - s[20]);
  EXPECT_NEAR(h->tangent(), k, rel(k));
  EXPECT_NEAR(h->material_force(), pun + 0.001 * k, 5e-2);
}

// Reversals inside a reloading path nest: rule 4 -> 7 -> 9 -> 10, each new loop
// between the reversal point and the end its path started from; leaving the
// innermost segment past its end returns to the loop that ran that way.
TEST(LongOwjg, ReversalsNestTheInnerLoops) {
  auto h = make("LONG_OWJG 0.0042 2700.0 10.0 0.0\n");
  for (float d : {0.006f, 0.0084f, 0.0f, -0.004f, -0.007f, -0.006f}) h->step(d);
  const float* s = h->committed();
  ASSERT_EQ(s[5], 4.0f);
  ASSERT_LT(s[20], s[22]);  // toward the positive side

  h->step(-0.003f);  // along the path
  EXPECT_EQ(s[5], 4.0f);

  const float pr1 = h->force();
  h->step(-0.004f);  // reversal: first inner loop from (-0.003, pr1) toward B
  EXPECT_EQ(s[5], 7.0f);
  EXPECT_FLOAT_EQ(s[10], pr1);      // P1A: the reversal point
  EXPECT_FLOAT_EQ(s[11], -0.003f);
  EXPECT_FLOAT_EQ(s[13], -0.007f);  // D1B: where the path started
  EXPECT_NEAR(h->tangent(), (pr1 - s[37]) / (-0.003 - s[36]), 1.0);

  h->step(-0.0045f);  // along the inner loop
  EXPECT_EQ(s[5], 7.0f);
  const float pr2 = h->force();
  h->step(-0.0042f);  // reversal: second inner loop
  EXPECT_EQ(s[5], 9.0f);
  EXPECT_FLOAT_EQ(s[16], pr2);       // P2B: the reversal point
  EXPECT_FLOAT_EQ(s[17], -0.0045f);
  EXPECT_FLOAT_EQ(s[15], -0.003f);   // D2A = D1A
  EXPECT_LT(s[28], s[30]);           // toward the positive side

  const float pr3 = h->force();
  h->step(-0.0044f);  // reversal: the innermost segment down to (-0.0045, pr2)
  EXPECT_EQ(s[5], 10.0f);
  const double k10 = (pr2 - pr3) / (-0.0045 - -0.0042);
  EXPECT_NEAR(h->tangent(), k10, std::fabs(k10) * 1e-3);
  EXPECT_NEAR(h->material_force(), pr3 - 0.0002 * k10, 0.05);

  h->step(-0.0043f);  // inside the segment
  EXPECT_EQ(s[5], 10.0f);
  h->step(-0.0041f);  // past its positive end: back to the loop that ran positive
  EXPECT_EQ(s[5], 9.0f);
  EXPECT_TRUE(std::isfinite(h->force()));
}

TEST(LongOwjg, FirstYieldStepIsHeldAtTheFloor) {
  auto h = make("LONG_OWJG 0.0042 2700.0 10.0 0.0\n");
  // 0.02 taken along the first descending branch would go below 0.1 VA.
  EXPECT_FLOAT_EQ(h->step(0.02f), 270.0f);
  // Unloading from beyond 3 HA uses the constant stiffness.
  h->step(0.019f);
  EXPECT_EQ(h->tangent(), 200445.375f);
  EXPECT_NEAR(h->material_force(), 270.0 - 200445.375 * 0.001, 1e-2);
}

TEST(LongOwjg, NegativeYieldMirrorsPositive) {
  auto h = make("LONG_OWJG 0.0042 2700.0 10.0 0.0\n");
  EXPECT_NEAR(h->step(-0.0063f), -2275.1196, 1e-2);
  EXPECT_NEAR(h->step(-0.0084f), -2045.0, 1e-2);
  EXPECT_EQ(h->committed()[5], 3.0f);
}

struct Failure {
  const char* name;
  float maxduc;
  bool fails;
};

const Failure kFailures[] = {
    {"fails_at_max_duc", 2.0f, true},
    {"max_duc_below_one_never_fails", 0.5f, false},
};

class LongOwjgFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(LongOwjgFailure, EndOfLife) {
  const Failure& c = GetParam();
  auto h = make("LONG_OWJG 0.0042 2700.0 " + std::to_string(c.maxduc) + " 0.0\n");
  h->step(0.0063f);
  h->step(0.0105f);  // ductility 2.5 reached in this step
  const float p = h->step(0.011f);
  if (c.fails) {
    EXPECT_EQ(h->material_force(), 0.0f);
    EXPECT_EQ(h->tangent(), 0.001f);
    EXPECT_EQ(h->step(0.0f), 0.0f);
  } else {
    EXPECT_GT(p, 200.0f);
  }
  // A failed spring books no further rotation.
  EXPECT_NEAR(h->results().duct[0], c.fails ? 2.5 : 0.011 / 0.0042, 1e-5);
  EXPECT_EQ(h->damage().di, 0.0f);
}

INSTANTIATE_TEST_SUITE_P(MaxDuc, LongOwjgFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& i) { return std::string(i.param.name); });

// The first target lies on the line from point 1 with the unloading stiffness
// and on the line through the chord point (mid-chord, or 0.4 from point 2)
// with slope -1/chord slope; the second lies a fraction of the chord back.
TEST(LongOwjg, TargetPointsMeetTheirDefinition) {
  const double sr = 2.0, sm = 3.0;
  const double d1 = 0.0168, p1 = 6135.0, d2 = -0.014, p2 = -6172.6;
  const double r1 = d1 / sr, m1 = p1 / sm, r2 = d2 / sr, m2 = p2 / sm;
  const double sl = (m1 - m2) / (r1 - r2);
  struct Kind {
    materials::Targets t;
    double ku, at, back;
  };
  const Kind kinds[] = {
      {materials::h09pt1(d1, p1, d2, p2, sr, sm), 856026.0 - 52030208.0 * r1, 0.5, 0.4},
      {materials::h09pt2(d1, p1, d2, p2, sr, sm), 447160.0, 0.4, 0.3},
  };
  for (const Kind& k : kinds) {
    const double x = k.t.dt1 / sr, y = k.t.pt1 / sm;
    EXPECT_NEAR(y - m1, k.ku * (x - r1), 1e-2);
    const double rm = r2 + k.at * (r1 - r2), mm = m2 + k.at * (m1 - m2);
    EXPECT_NEAR(y - mm, -(x - rm) / sl, 1e-2);
    EXPECT_NEAR(k.t.dt2 / sr, x - k.back * (r1 - r2), 1e-8);
    EXPECT_NEAR(k.t.pt2 / sm, y - k.back * (m1 - m2), 1e-2);
  }
}

TEST(LongOwjg, TargetsOfALevelChordLieAboveTheChordPoint) {
  const materials::Targets t = materials::h09pt1(0.005, 1000.0f, -0.005, 1000.0f, 1.0f, 1.0f);
  EXPECT_TRUE(std::isfinite(t.dt1) && std::isfinite(t.pt1));
  EXPECT_FLOAT_EQ(t.dt1, 0.0f);
  EXPECT_FLOAT_EQ(t.dt2, -0.004f);
}

TEST(LongOwjg, TraceLetterKPrintsTheControlPoints) {
  auto h = make("LONG_OWJG 0.0042 2700.0 4.0 0.05\n");
  kv::titles().ibugm |= 1 << ('K' - 'A');
  h->step(0.001f);
  // Title, underline of 53 signs and rule on one line, then one line each.
  EXPECT_NE(h->output().find("     TOLVA-MERAN TOWER LONG DIR. M-R LOOP CONTROL POINTS..     "
                             "=====================================================     "
                             "RULE    ---------=0.1000E+01\n"
                             "(HA, VA) ---------=(     0.0042, 2700.0000 )\n"
                             "(HB, VB) ---------=(     0.0065, 2235.0000 )\n"
                             "(HAP,VAP) --------=(    -0.0042,-2700.0000 )\n"),
            std::string::npos)
      << h->output();
}

TEST(LongOwjg, HeaderAndEcho) {
  auto h = make("LONG_OWJG 0.0042 2700.0 4.0 0.05\n");
  EXPECT_NE(h->output().find("\n MOMENT-ROTATION MODEL NO. 1 (TOLVA-MERAN LONG)    \n"
                             " ==================================================\n\n"
                             "  MAT.      HA         VA      MAX DUC        BETA\n"
                             "   1  0.420000E-020.270000E+040.400000E+010.500000E-01\n"),
            std::string::npos)
      << h->output();
}

}  // namespace
