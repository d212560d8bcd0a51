// The "HINGE" material (type 19) through MATDSP: the moment-rotation loop with
// hand values (HA 0.01, VA 100, RATIO 0.05: SLOP1 = 10000, SLOP2 = 500), the
// interaction cubics, the shear parameters and the state words the element
// reads.
#include <gtest/gtest.h>

#include <string>

#include "base/globals.h"
#include "materials/fixtures.h"
#include "materials/harness.h"
#include "materials/hinge.h"

namespace {

constexpr float kTol = 1.0e-3f;

// State words the tests look at.
constexpr int kK = 1, kRule = 5, kPYP = 6, kDYP = 7, kPYN = 8, kDYN = 9, kDuct = 11, kDY = 20,
              kDu = 27, kPeakRot = 28, kPeakForce = 29, kInitialK = 31, kStiele = 32,
              kPrmax = 33, kCode = 38, kA0 = 39, kVa = 43, kB0 = 44, kM = 48, kY1 = 49,
              kFail1 = 69, kShearFlag = 89, kVci = 90;

// Name, HA, VA, RATIO, MAX DUC, BETA, STIELE, PRMAX, cubic code; then the
// shear-flag record.
std::string hinge_set(const std::string& ratio, const std::string& max_duc) {
  return "HINGE 0.01 100. " + ratio + " " + max_duc + " 0.3 5. 0.02 0.\n0\n";
}

using Step = mtest::RotationStep;

class Hinge : public ::testing::Test {
 protected:
  void SetUp() override { materials::register_material(19, materials::mat19); }

  static void run(mtest::MaterialHarness& h, const Step* steps, int n) {
    mtest::run_rotation_steps(h, {steps, static_cast<std::size_t>(n)}, kDuct, kTol, 1.0e-4f);
  }
};

TEST_F(Hinge, SetUp) {
  mtest::MaterialHarness h(19, hinge_set("0.05", "4."));
  EXPECT_EQ(h.nprop(), 58);  // the record keeps its shear flag
  h.init();
  EXPECT_EQ(h.nstate(), 93);
  const float* s = h.committed();
  EXPECT_FLOAT_EQ(s[kK], 10000.0f);
  EXPECT_EQ(s[kRule], 1.0f);
  EXPECT_FLOAT_EQ(s[kPYP], 100.0f);
  EXPECT_FLOAT_EQ(s[kDYP], 0.01f);
  EXPECT_FLOAT_EQ(s[kPYN], -100.0f);
  EXPECT_FLOAT_EQ(s[kDYN], -0.01f);
  EXPECT_FLOAT_EQ(s[kInitialK], 10000.0f);
  EXPECT_FLOAT_EQ(s[kDu], 0.04f);
  EXPECT_FLOAT_EQ(s[kStiele], 5.0f);
  EXPECT_FLOAT_EQ(s[kPrmax], 0.02f);
  EXPECT_FLOAT_EQ(s[kVa], 100.0f);
  EXPECT_EQ(s[kCode], 0.0f);
  EXPECT_EQ(s[kM], 0.0f);
  EXPECT_EQ(s[kShearFlag], 0.0f);
}

// Yield at a trial of 150 (100 + 0.05 x 50 = 102.5, DY = |0.015 - 0.005|),
// reverse at (0.025, 107.5): limits 107.5 and -92.5, the lower one at rotation
// 0.025 - 2 HA = 0.005. Reverse yielding at a trial of -242.5: excess -0.015,
// -92.5 - 7.5 = -100, DY = |-0.01 + 0.015| = 0.005; the ductility then follows
// the largest rotation over that latest DY.
TEST_F(Hinge, LoopWithHandValues) {
  mtest::MaterialHarness h(19, hinge_set("0.05", "0."));
  h.init();
  const Step steps[] = {
      {0.015f, 102.5f, 500.0f, 1.5f},
      {0.025f, 107.5f, 500.0f, 2.5f},
      {0.024f, 97.5f, 10000.0f, 2.5f},
      {-0.01f, -100.0f, 500.0f, 2.5f},
      {-0.03f, -110.0f, 500.0f, 6.0f},
  };
  run(h, steps, 5);
  const float* s = h.committed();
  EXPECT_NEAR(s[kPYP], 107.5f, kTol);
  EXPECT_NEAR(s[kDYP], 0.025f, 1.0e-6f);
  EXPECT_NEAR(s[kPYN], -92.5f, kTol);
  EXPECT_NEAR(s[kDYN], 0.005f, 1.0e-6f);
  EXPECT_NEAR(s[kDY], 0.005f, 1.0e-6f);
  EXPECT_NEAR(s[kPeakRot], -0.03f, 1.0e-6f);
  EXPECT_NEAR(s[kPeakForce], -110.0f, kTol);

  const materials::MatCall r = h.results();
  EXPECT_NEAR(r.duct[0], 6.0f, 1.0e-5f);
  EXPECT_EQ(r.duct[1], 0.0f);
  EXPECT_EQ(r.ese, 0.0f);
  EXPECT_EQ(r.pse, 0.0f);
  for (float e : r.ex) EXPECT_EQ(e, 0.0f);
  EXPECT_EQ(h.damage().di, 0.0f);
}

TEST_F(Hinge, FailsAfterReachingMaxDuc) {
  mtest::MaterialHarness h(19, hinge_set("0.05", "4."));
  h.init();
  const Step steps[] = {
      {0.015f, 102.5f, 500.0f, 1.5f},
      {0.04f, 115.0f, 500.0f, 4.0f},
      {0.05f, 0.0f, 1.0e-5f, 4.0f},
      {0.01f, 0.0f, 1.0e-5f, 4.0f},
  };
  run(h, steps, 4);
}

// Yield down to -0.02 (= -2 HA) and back: the new upper limit sits at
// rotation -0.02 + 200/10000 = 0, so the next positive yield onset has DY = 0
// exactly. The ductility keeps its last finite value (0.02/0.01) instead of
// turning infinite and failing the hinge on the following step.
TEST_F(Hinge, ZeroYieldRotationGivesNoSpuriousFailure) {
  mtest::MaterialHarness h(19, hinge_set("0.05", "4."));
  h.init();
  const Step before[] = {
      {-0.015f, -102.5f, 500.0f, 1.5f},
      {-0.02f, -105.0f, 500.0f, 2.0f},
      {-0.01f, -5.0f, 10000.0f, 2.0f},  // limits -105 and 95
      {0.01f, 100.0f, 500.0f, 2.0f},    // trial 195 past 95
  };
  run(h, before, 4);
  ASSERT_EQ(h.committed()[kDYP], 0.0f);
  ASSERT_EQ(h.committed()[kDY], 0.0f);
  const Step after[] = {
      {0.03f, 110.0f, 500.0f, 2.0f},
      {0.04f, 115.0f, 500.0f, 2.0f},
  };
  run(h, after, 2);
}

// RATIO typed as 0.0 is echoed as read and used as 1.0E-5; with the P-MY cubic
// (code 1.0) the yielding moment stays exactly at the limit.
TEST_F(Hinge, ZeroRatioWithPmyCubicHoldsTheLimit) {
  mtest::MaterialHarness h(19, "HINGE 0.01 100. 0. 0. 0. 0. 0. 1.\n0\n1000. -0.1 0. 0.\n0\n");
  EXPECT_FLOAT_EQ(h.prop()[3], 1.0e-5f);
  EXPECT_NE(h.output().find("0.000000E+00"), std::string::npos);
  h.init();
  const float* s = h.committed();
  EXPECT_EQ(s[kCode], 1.0f);
  const float a[4] = {1000.0f, -0.1f, 0.0f, 0.0f};
  for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(s[kA0 + k], a[k]);

  EXPECT_EQ(h.step(0.015f), 100.0f);
  EXPECT_FLOAT_EQ(h.tangent(), 0.1f);  // 10000 x 1.0E-5
  EXPECT_EQ(h.step(0.03f), 100.0f);
  // Unloading from (0.03, 100): 100 + 10000 x (-0.005); then reverse yielding
  // at the lower limit -100.
  EXPECT_NEAR(h.step(0.025f), 50.0f, kTol);
  EXPECT_EQ(h.step(-0.03f), -100.0f);
  EXPECT_EQ(h.step(-0.04f), -100.0f);
}

TEST_F(Hinge, ZeroRatioWithoutPmyCubicHardensSlightly) {
  mtest::MaterialHarness h(19, hinge_set("0.", "0."));
  h.init();
  EXPECT_NEAR(h.step(0.015f), 100.0f + 0.1f * 0.005f, 1.0e-5f);
}

TEST_F(Hinge, ShearParameters) {
  mtest::MaterialHarness h(19, "HINGE 0.01 100. 0.05 4. 0.3 5. 0.02 0.\n1\n5000. 6000. 7000. 30.\n");
  EXPECT_EQ(h.nprop(), 62);
  const std::string out = h.output();
  EXPECT_NE(out.find(" PARAMETERS FOR MEMBER SHEAR CAPACITIES:\n"
                     "      VCI=    0.500000E+04\n"
                     "      VCF=    0.600000E+04\n"
                     "       VS=    0.700000E+04\n"
                     "     ALFA (degree) =    0.300000E+02\n"),
            std::string::npos)
      << out;
  h.init();
  const float* s = h.committed();
  EXPECT_EQ(s[kShearFlag], 1.0f);
  EXPECT_FLOAT_EQ(s[kVci], 5000.0f);
  EXPECT_FLOAT_EQ(s[kVci + 1], 6000.0f);
  EXPECT_FLOAT_EQ(s[kVci + 2], 7000.0f);
  EXPECT_NEAR(s[kVci + 3], 0.5235983f, 1.0e-6f);  // 30 x 3.14159 / 180
}

// Code 3: both cubics fitted. The P-MY points lie on 1 + 2P + 3P^2 + 4P^3; the
// PRC points on 0.05 - 0.0001 P, with labels giving failure codes. The point
// tables keep the second fit's points.
TEST_F(Hinge, FittedCubicsAndFailureCodes) {
  const std::string input =
      "HINGE 0.01 100. 0.05 4. 0.3 5. 0.02 3.\n"
      "1\n5\n-2. -23.\n-1. -2.\n0. 1.\n1. 10.\n2. 49.\n"
      "1\n4\n0. 0.05 CONCRETE\n100. 0.04 'LAP SPLICE'\n200. 0.03 BUCKLING\n300. 0.02 NONE\n"
      "0\n";
  mtest::MaterialHarness h(19, input);
  const std::string out = h.output();
  EXPECT_NE(out.find("TOTAL DATA POINTS FOR A0-A3 (M)=  5\n"
                     "TOTAL COEFS FOR POLYNOMIAL (N) =  4\n"
                     "DATA POINT X=AXIAL LOAD; Y=NOMINAL MOMENT\n"
                     "DATA POINT NO.   1: X=  -0.200000E+01Y=  -0.230000E+02\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("TOTAL DATA POINTS FOR B0-B3 (M)=  4\n"), std::string::npos);
  EXPECT_NE(out.find("DATA POINT X=AXIAL LOAD; Y=PLASTIC ROTATION CAPACITY\n"), std::string::npos);
  EXPECT_NE(out.find(" P-MY INTERACTION EQUATION:\nM(P)=A0 + A1*P + A2*P**2 + A3*P**3\n"
                     "WHERE   A0=    0.100000E+01\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(" P-PLASTIC ROTATION CAPACITY (PRC) INTERACTION EQUATION:\n"
                     "PRC(P)=B0 + B1*P + B2*P**2 + B3*P**3\n"),
            std::string::npos);

  h.init();
  const float* s = h.committed();
  const float a[4] = {1, 2, 3, 4};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(s[kA0 + k], a[k], 1.0e-4f) << "A" << k;
  const float b[4] = {0.05f, -1.0e-4f, 0, 0};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(s[kB0 + k], b[k], 1.0e-7f) << "B" << k;
  EXPECT_EQ(s[kM], 4.0f);
  const float y[4] = {0.05f, 0.04f, 0.03f, 0.02f};
  const float code[4] = {1.0f, 5.0f, 3.0f, 0.0f};
  for (int k = 0; k < 4; ++k) {
    EXPECT_FLOAT_EQ(s[kY1 + k], y[k]);
    EXPECT_EQ(s[kFail1 + k], code[k]);
  }
  EXPECT_EQ(s[kY1 + 4], 0.0f);
}

// A fit without points has a zero diagonal in its normal equations: the fit is
// abandoned with its message and the coefficients stay 0.0.
TEST_F(Hinge, FitWithoutPointsLeavesZeroCoefficients) {
  mtest::MaterialHarness h(19, "HINGE 0.01 100. 0.05 4. 0.3 5. 0.02 1.\n1\n0\n0\n");
  EXPECT_NE(h.output().find("TH DIAGONAL TERM ARE ZERO - CURVE FITTING SOLUTION ABORTED FROM SKY2"),
            std::string::npos)
      << h.output();
  h.init();
  for (int k = 0; k < 4; ++k) EXPECT_EQ(h.committed()[kA0 + k], 0.0f);
}

TEST_F(Hinge, TraceWithLetterK) {
  mtest::MaterialHarness h(19, hinge_set("0.05", "4."));
  kv::titles().ibugm |= 1 << ('K' - 'A');
  h.init();
  const std::string out = h.output();
  EXPECT_NE(out.find("     MOMENT-ROTATION LOOP CONTROL POINTS.     "
                     "====================================     RULE    ---------=0.1000E+01\n"
                     "     (HA, VA) ---------=(     0.0100,  100.0000 )\n"
                     "     SLOP1    ---------=0.1000E+05\n"
                     "     SLOP2    ---------=0.5000E+03\n"),
            std::string::npos)
      << out;
}

TEST_F(Hinge, Echo) {
  mtest::MaterialHarness h(19, hinge_set("0.05", "4."));
  const std::string out = h.output();
  EXPECT_NE(out.find("\n\n\n PLASTIC HINGE LENGTH MOMENT-ROTATION MODEL        \n"
                     " ==================================================\n\n"
                     "  MAT.          HA          VA       RATIO     MAX DUC        BETA"
                     "      STIELE       PRMAX\n"
                     "   1  0.100000E-010.100000E+030.500000E-010.400000E+010.300000E+00"
                     "0.500000E+010.200000E-01\n\n"),
            std::string::npos)
      << out;
}

}  // namespace
