// The "GAP" spring (type 150) through MATDSP: gap with restrainer, gap alone
// and linear spring, with hand values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "materials/gap.h"
#include "materials/harness.h"

namespace {

constexpr float kTol = 1.0e-3f;
constexpr int kK = 1, kRule = 2, kPyr = 3, kDyt = 4, kDxr = 5;

struct Step {
  float d;
  float p;     // force after the step
  float k;     // tangent for the next step
  float rule;  // rule word after the step
};

class Gap : public ::testing::Test {
 protected:
  void SetUp() override { materials::register_material(150, materials::mat150); }

  static void run(mtest::MaterialHarness& h, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
      const float expected_p = s.p;
      const float got = h.step(s.d);
      EXPECT_NEAR(got, expected_p, kTol) << "d = " << s.d;
      EXPECT_NEAR(h.tangent(), s.k, 1.0e-6f) << "d = " << s.d;
      EXPECT_EQ(h.committed()[kRule], s.rule) << "d = " << s.d;
    }
  }
};

// KC 1000, KT 100, KTIE 10, DC -0.5, DX 1.0, PPY 50: the restrainer engages at
// 1.0 and yields at 1.5. The step from rule 3 across 1.5 to 2.0 gives
// 50 + 10 x 0.5 = 55 and moves the slack end to 2.0 - 55/100 = 1.45.
TEST_F(Gap, RestrainerCycle) {
  mtest::MaterialHarness h(150, "GAP 1000. 100. 10. -0.5 1.0 50. 1.\n");
  h.init();
  EXPECT_EQ(h.nstate(), 24);
  EXPECT_EQ(h.nprop(), 8);
  const float* s = h.committed();
  EXPECT_FLOAT_EQ(s[kK], 0.001f);
  EXPECT_EQ(s[kRule], 1.0f);
  EXPECT_FLOAT_EQ(s[kPyr], 50.0f);
  EXPECT_FLOAT_EQ(s[kDyt], 1.5f);
  EXPECT_FLOAT_EQ(s[kDxr], 1.0f);

  run(h, {
             {0.5f, 0.0f, 0.001f, 1.0f},    // open
             {1.2f, 20.0f, 100.0f, 3.0f},   // restrainer taut: 100 x 0.2
             {2.0f, 55.0f, 10.0f, 4.0f},    // yields across 1.5
         });
  EXPECT_NEAR(s[kDxr], 1.45f, 1.0e-6f);
  EXPECT_NEAR(s[kDyt], 2.0f, 1.0e-6f);

  run(h, {
             {1.8f, 35.0f, 100.0f, 3.0f},   // unloads: 55 - 100 x 0.2
             {1.0f, 0.0f, 0.001f, 1.0f},    // slack again below 1.45
             {-0.7f, -200.0f, 1000.0f, 2.0f},  // the gap closes: 1000 x (-0.2)
             {0.0f, 0.0f, 0.001f, 1.0f},    // opens
             {1.6f, 15.0f, 100.0f, 3.0f},   // taut from the moved slack end: 100 x 0.15
             {2.5f, 60.0f, 10.0f, 4.0f},    // beyond the last unloading point: 55 + 10 x 0.5
         });
  EXPECT_NEAR(s[kPyr], 55.0f, kTol);

  // Largest positive deformation 2.5 over the slack 1.0.
  const materials::MatCall r = h.results();
  EXPECT_NEAR(r.duct[0], 2.5f, 1.0e-5f);
  EXPECT_EQ(r.duct[1], 0.0f);
  EXPECT_EQ(r.ese, 0.0f);
  EXPECT_EQ(r.pse, 0.0f);
  for (float e : r.ex) EXPECT_EQ(e, 0.0f);
  const materials::MatCall dmg = h.damage();
  EXPECT_EQ(dmg.di, 0.0f);
  EXPECT_EQ(dmg.ese, 0.0f);
  EXPECT_EQ(dmg.pse, 0.0f);
}

TEST_F(Gap, GapAloneCarriesNoTension) {
  mtest::MaterialHarness h(150, "GAP 1000. 100. 10. -0.5 1.0 50. 2.\n");
  h.init();
  run(h, {
             {2.0f, 0.0f, 0.001f, 1.0f},
             {-0.5f, 0.0f, 0.001f, 1.0f},      // at DC: still open
             {-0.7f, -200.0f, 1000.0f, 1.0f},  // closes in the step: 1000 x (-0.2)
             {-0.8f, -300.0f, 1000.0f, 1.0f},  // closed: the element's trial force
             {0.3f, 0.0f, 0.001f, 1.0f},
         });
  EXPECT_EQ(h.results().duct[0], 0.0f);  // no restrainer ductility with OPTION 2
}

TEST_F(Gap, LinearSpringExceptExactlyAtDc) {
  mtest::MaterialHarness h(150, "GAP 1000. 100. 10. -0.5 1.0 50. 3.\n");
  h.init();
  run(h, {
             {0.2f, 200.0f, 1000.0f, 1.0f},  // the set-up call already gave KC
             {0.3f, 300.0f, 1000.0f, 1.0f},
             {-0.5f, -500.0f, 0.001f, 1.0f},  // exactly at DC: KO for the next step
             {-0.6f, -500.0f - 0.0001f, 1000.0f, 1.0f},
         });
}

// OPTION 1.5 runs as OPTION 1 but reports no ductility: the report compares
// the real value with 1.0.
TEST_F(Gap, FractionalOptionReportsNoDuctility) {
  mtest::MaterialHarness h(150, "GAP 1000. 100. 10. -0.5 1.0 50. 1.5\n");
  h.init();
  run(h, {{1.2f, 20.0f, 100.0f, 3.0f}, {2.0f, 55.0f, 10.0f, 4.0f}});
  EXPECT_EQ(h.results().duct[0], 0.0f);
}

// Without slack (DX = 0) the elongation ratio has no divisor: no ductility
// instead of an infinite one.
TEST_F(Gap, NoSlackGivesNoInfiniteDuctility) {
  mtest::MaterialHarness h(150, "GAP 1000. 100. 10. -0.5 0.0 50. 1.\n");
  h.init();
  EXPECT_NEAR(h.step(0.2f), 20.0f, kTol);
  EXPECT_EQ(h.results().duct[0], 0.0f);
}

// A slack end below zero (DX = -0.2) leaves the restrainer taut at rest (rule
// 3, K = KT after set-up). DYT = 50/100 - 0.2 = 0.3, so the step to 0.4 yields:
// 50 + 10 x 0.1 = 51. The ratio is formed as for any non-zero slack: 0.4/-0.2.
TEST_F(Gap, NegativeSlackRatioIsFormed) {
  mtest::MaterialHarness h(150, "GAP 1000. 100. 10. -0.5 -0.2 50. 1.\n");
  h.init();
  EXPECT_EQ(h.committed()[kRule], 3.0f);
  EXPECT_FLOAT_EQ(h.tangent(), 100.0f);
  run(h, {{0.4f, 51.0f, 10.0f, 4.0f}});
  EXPECT_NEAR(h.results().duct[0], -2.0f, 1.0e-5f);
}

TEST_F(Gap, EqualDeformationChangesNothing) {
  mtest::MaterialHarness h(150, "GAP 1000. 100. 10. -0.5 1.0 50. 1.\n");
  h.init();
  h.step(1.2f);
  h.step(2.0f);
  const std::vector<float> before(h.committed() + 1, h.committed() + 25);
  EXPECT_NEAR(h.step(2.0f), 55.0f, kTol);
  const std::vector<float> after(h.committed() + 1, h.committed() + 25);
  EXPECT_EQ(before, after);
}

// A set whose gap is already closed at zero deformation starts closed.
TEST_F(Gap, SetUpOfAClosedGap) {
  mtest::MaterialHarness h(150, "GAP 1000. 100. 10. 0.0 1.0 50. 1.\n");
  h.init();
  EXPECT_EQ(h.committed()[kRule], 2.0f);
  EXPECT_FLOAT_EQ(h.tangent(), 1000.0f);
  EXPECT_NEAR(h.step(-0.1f), -100.0f, kTol);
}

TEST_F(Gap, Echo) {
  mtest::MaterialHarness h(150, "GAP 1000. 100. 10. -0.5 1.0 50. 1.\n");
  const std::string out = h.output();
  EXPECT_NE(out.find("\n\n\n     GAP/RESTRAINTNER SPRING MATERIAL PARAMETERS\n"
                     "     ===========================================\n"
                     "  MAT.         KC         KT        KTIE         DC        DX        PPY"
                     "        OPTION\n"
                     "     1  0.1000E+04  0.1000E+03  0.1000E+02 -0.5000E+00  0.1000E+01"
                     "  0.5000E+02  0.1000E+01\n\n"),
            std::string::npos)
      << out;
  EXPECT_FLOAT_EQ(h.prop()[2], 0.001f);  // KO
}

}  // namespace
