// The "MR2"/"SHORT_OWJG" moment-rotation spring (type 11) through MATDSP, with
// hand values: HA 0.01, VA 100, RATIO 0.05 give SLOP1 = 10000 and SLOP2 = 500.
#include <gtest/gtest.h>

#include <string>

#include "base/globals.h"
#include "materials/fixtures.h"
#include "materials/harness.h"
#include "materials/short_owjg_mr2.h"

namespace {

constexpr float kTol = 1.0e-3f;

// State words the tests look at.
constexpr int kK = 1, kSide = 4, kRule = 5, kPPlus = 6, kDPlus = 7, kPMinus = 8, kDMinus = 9,
              kDuct = 11, kYieldRot = 20, kPeakRot = 28, kPeakForce = 29, kElasticK = 31,
              kPrmax = 32, kYielded = 33, kStiele = 35;

std::string set_line(float max_duc) {
  return "MR2 0.01 100. 0.05 " + std::to_string(max_duc) + " 0.3 5.0 0.02\n";
}

using Step = mtest::RotationStep;

class Mr2 : public ::testing::Test {
 protected:
  void SetUp() override { materials::register_material(11, materials::mat11); }

  static void run(mtest::MaterialHarness& h, const Step* steps, int n) {
    mtest::run_rotation_steps(h, {steps, static_cast<std::size_t>(n)}, kDuct, kTol, kTol);
  }
};

TEST_F(Mr2, SetUpPlacesTheRangeAndTheElasticHingeStiffness) {
  mtest::MaterialHarness h(11, set_line(0.0f));
  EXPECT_EQ(h.nprop(), 7);
  h.init();
  EXPECT_EQ(h.nstate(), 35);
  const float* s = h.committed();
  EXPECT_FLOAT_EQ(s[kK], 10000.0f);
  EXPECT_FLOAT_EQ(s[kRule], 1.0f);
  EXPECT_FLOAT_EQ(s[kPPlus], 100.0f);
  EXPECT_FLOAT_EQ(s[kDPlus], 0.01f);
  EXPECT_FLOAT_EQ(s[kPMinus], -100.0f);
  EXPECT_FLOAT_EQ(s[kDMinus], -0.01f);
  EXPECT_FLOAT_EQ(s[kElasticK], 10000.0f);  // VA/HA, read by the beam-column
  EXPECT_FLOAT_EQ(s[kPrmax], 0.02f);
  EXPECT_FLOAT_EQ(s[kStiele], 5.0f);
  EXPECT_FLOAT_EQ(s[kYielded], 0.0f);
}

// Yield at a trial of 150: 100 + 0.05 x 50 = 102.5, yield rotation
// |0.015 - 0.005| = 0.01. Unloading puts the range at 102.5 .. -97.5 (rotations
// 0.015 .. -0.005); reverse yielding at a trial of -107.5 gives
// -97.5 + 0.05 x (-10) = -98, yield rotation |-0.006 + 0.001| = 0.005, and the
// ductility then follows the largest rotation over that latest yield rotation.
TEST_F(Mr2, LoopWithHandValues) {
  mtest::MaterialHarness h(11, set_line(0.0f));
  h.init();
  const Step steps[] = {
      {0.015f, 102.5f, 500.0f, 1.5f},
      {0.014f, 92.5f, 10000.0f, 1.5f},
      {-0.006f, -98.0f, 500.0f, 1.5f},
      {-0.03f, -110.0f, 500.0f, 6.0f},
      {-0.029f, -100.0f, 10000.0f, 6.0f},  // unloading: range -110 .. 90
  };
  run(h, steps, 5);
  const float* s = h.committed();
  EXPECT_NEAR(s[kPMinus], -110.0f, kTol);
  EXPECT_NEAR(s[kDMinus], -0.03f, 1.0e-6f);
  EXPECT_NEAR(s[kPPlus], 90.0f, kTol);
  EXPECT_NEAR(s[kDPlus], -0.01f, 1.0e-6f);
  EXPECT_NEAR(s[kYieldRot], 0.005f, 1.0e-6f);
  EXPECT_NEAR(s[kPeakRot], -0.03f, 1.0e-6f);
  EXPECT_NEAR(s[kPeakForce], -110.0f, kTol);

  const materials::MatCall r = h.results();
  EXPECT_EQ(r.ese, 0.0f);
  EXPECT_EQ(r.pse, 0.0f);
  EXPECT_NEAR(r.duct[0], 6.0f, 1.0e-5f);
  EXPECT_EQ(r.duct[1], 0.0f);
  EXPECT_EQ(r.duct[2], 0.0f);
  for (float e : r.ex) EXPECT_EQ(e, 0.0f);
  EXPECT_EQ(h.damage().di, 0.0f);
}

// MAX DUC 4: the step that reaches four times the yield rotation still carries
// its moment; every later call returns 0 with the tangent 1.0E-5.
TEST_F(Mr2, FailsAfterReachingMaxDuc) {
  mtest::MaterialHarness h(11, set_line(4.0f));
  h.init();
  const Step steps[] = {
      {0.015f, 102.5f, 500.0f, 1.5f},
      {0.04f, 115.0f, 500.0f, 4.0f},
      {0.05f, 0.0f, 1.0e-5f, 4.0f},
      {0.03f, 0.0f, 1.0e-5f, 4.0f},
  };
  run(h, steps, 4);
}

TEST_F(Mr2, MaxDucBelowOneNeverFails) {
  mtest::MaterialHarness h(11, set_line(0.0f));
  h.init();
  const Step steps[] = {
      {0.015f, 102.5f, 500.0f, 1.5f},
      {0.04f, 115.0f, 500.0f, 4.0f},
      {0.05f, 120.0f, 500.0f, 5.0f},
  };
  run(h, steps, 3);
}

// Yield down to -0.02 (= -2 HA) and back: the new range's upper rotation is
// -0.02 + 200/10000 = 0, so the next positive yield onset has a yield rotation
// of exactly 0. The ductility keeps its last finite value (0.02/0.01) instead
// of turning infinite and failing the spring on the following step.
TEST_F(Mr2, ZeroYieldRotationGivesNoSpuriousFailure) {
  mtest::MaterialHarness h(11, set_line(4.0f));
  h.init();
  const Step before[] = {
      {-0.015f, -102.5f, 500.0f, 1.5f},
      {-0.02f, -105.0f, 500.0f, 2.0f},
      {-0.01f, -5.0f, 10000.0f, 2.0f},
      {0.01f, 100.0f, 500.0f, 2.0f},  // trial 195 over the limit 95
  };
  run(h, before, 4);
  ASSERT_EQ(h.committed()[kYieldRot], 0.0f);
  const Step after[] = {
      {0.03f, 110.0f, 500.0f, 2.0f},
      {0.04f, 115.0f, 500.0f, 2.0f},
  };
  run(h, after, 2);
}

TEST_F(Mr2, ZeroTrialKeepsTheSideOfTheLastForce) {
  mtest::MaterialHarness h(11, set_line(0.0f));
  h.init();
  EXPECT_NEAR(h.step(-0.005f), -50.0f, kTol);
  EXPECT_EQ(h.committed()[kSide], 1.0f);
  EXPECT_EQ(h.step(0.0f), 0.0f);
  EXPECT_EQ(h.committed()[kSide], 1.0f);
}

TEST_F(Mr2, TraceWithLetterK) {
  mtest::MaterialHarness h(11, set_line(0.0f));
  kv::titles().ibugm |= 1 << ('K' - 'A');
  h.init();
  const std::string out = h.output();
  EXPECT_NE(out.find("     MOMENT-ROTATION LOOP CONTROL POINTS.     "
                     "====================================     RULE    ---------= 0.1000E+01\n"
                     "     (HA, VA) ---------= (     0.0100,  100.0000 )\n"
                     "     SLOP1    ---------= 0.1000E+05\n"
                     "     SLOP2    ---------= 0.5000E+03\n"),
            std::string::npos)
      << out;
}

TEST_F(Mr2, Echo) {
  mtest::MaterialHarness h(11, set_line(4.0f));
  const std::string out = h.output();
  EXPECT_NE(out.find("\n\n\n MOMENT-ROTATION MODEL\n =====================\n\n"
                     "  MAT.      HA         VA       RATIO      MAX DUC        BETA   STIELE"
                     "    PRMAX\n"
                     // E12.6 fills its 12 columns: the values run together.
                     "   1  0.100000E-010.100000E+030.500000E-010.400000E+010.300000E+00"
                     "0.500000E+010.200000E-01\n\n"),
            std::string::npos)
      << out;
}

}  // namespace
