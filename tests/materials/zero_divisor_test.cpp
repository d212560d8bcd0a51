// Sets whose set-up would divide by a zero stiffness or scale: the input
// echo warns once, and neither the property words nor the state words, the
// forces or the results of a loading cycle hold Infinity or NaN.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "materials/bilinear.h"
#include "materials/gap.h"
#include "materials/harness.h"
#include "materials/hinge.h"
#include "materials/long_owjg.h"
#include "materials/short_owjg_mr2.h"

namespace {

struct Step {
  float d;
  float p;  // the force by hand
};

struct ZeroCase {
  const char* name;
  int type;
  materials::MatDriver driver;
  const char* record;
  const char* warning;  // the whole warning line
  std::vector<Step> steps;
};

class ZeroDivisor : public ::testing::TestWithParam<ZeroCase> {};

void expect_finite(const float* words, int n, const std::string& what) {
  for (int k = 1; k <= n; ++k) EXPECT_TRUE(std::isfinite(words[k])) << what << " word " << k << " = " << words[k];
}

TEST_P(ZeroDivisor, WarnedAtInputAndFiniteThroughACycle) {
  const ZeroCase& c = GetParam();
  materials::register_material(c.type, c.driver);
  mtest::MaterialHarness h(c.type, c.record);
  const std::string echo = h.output();
  const std::string line = std::string(c.warning) + "\n";
  ASSERT_NE(echo.find(line), std::string::npos) << echo;
  EXPECT_EQ(echo.find(line), echo.rfind(line)) << "warned once";
  expect_finite(h.prop(), h.nprop(), "property");

  h.init();
  expect_finite(h.committed(), h.nstate(), "set-up state");
  for (const Step& s : c.steps) {
    const std::string at = "d = " + std::to_string(s.d);
    EXPECT_NEAR(h.step(s.d), s.p, 1.0e-4f) << at;
    expect_finite(h.committed(), h.nstate(), "state, " + at);
    const materials::MatCall r = h.results();
    EXPECT_TRUE(std::isfinite(r.ese) && std::isfinite(r.pse)) << at;
    for (float x : r.duct) EXPECT_TRUE(std::isfinite(x)) << at;
    for (float x : r.ex) EXPECT_TRUE(std::isfinite(x)) << at;
  }
  const materials::MatCall dmg = h.damage();
  EXPECT_TRUE(std::isfinite(dmg.di));
}

const std::vector<Step> kNoForce{{0.01f, 0.0f}, {0.05f, 0.0f}, {-0.05f, 0.0f}, {0.2f, 0.0f}, {0.0f, 0.0f}};

INSTANTIATE_TEST_SUITE_P(
    Sets, ZeroDivisor,
    ::testing::Values(
        // KE = 0.0: no yield deformation; the spring carries no force.
        ZeroCase{"BilinearWithoutStiffness", 7, materials::mat07, "ELSPLS 0.0 10. 0. 10. 0.1\n",
                 " *** WARNING - SET    1: KE IS 0.0, THE YIELD DEFORMATION PY/KE IS TAKEN AS 0.0", kNoForce},
        // KE = PY = 0.0 leaves the elastic range at once: KIE/KE is taken as
        // 0.0, so the yield lines pass through the origin with slope KIE = 0.
        ZeroCase{"BilinearWithoutStiffnessOrStrength", 7, materials::mat07, "ELSPLS 0.0 0.0 0.0 10. 0.1\n",
                 " *** WARNING - SET    1: KE IS 0.0, THE YIELD DEFORMATION PY/KE IS TAKEN AS 0.0", kNoForce},
        ZeroCase{"OneSidedBilinearWithoutStiffness", 15, materials::mat15, "BISPECIAL 0.0 0.0 5. 10. 0.1\n",
                 " *** WARNING - SET    1: KE IS 0.0, THE YIELD DEFORMATION PY/KE IS TAKEN AS 0.0",
                 // Tension follows KIE = 5 from the origin; unloading with KE = 0 holds the force.
                 {{0.01f, 0.05f}, {0.05f, 0.25f}, {0.0f, 0.25f}}},
        // KT = 0.0: the restrainer yields where it engages, at DX = 1.0 with
        // PPY = 50, then hardens with KTIE = 10 (52 at 1.2, back to 50 at the
        // yield point); unloading below it takes the slack at once, and the
        // gap closes at DC = -0.5 with KC = 1000.
        ZeroCase{"RestrainerWithoutStiffness", 150, materials::mat150, "GAP 1000. 0. 10. -0.5 1.0 50. 1.\n",
                 " *** WARNING - SET    1: KT IS 0.0, PPY/KT IS TAKEN AS 0.0: THE RESTRAINER YIELDS AT ITS SLACK END",
                 {{0.5f, 0.0f}, {1.2f, 52.0f}, {1.0f, 50.0f}, {0.5f, 0.0f}, {-0.6f, -100.0f}, {0.0f, 0.0f}}},
        ZeroCase{"LongOwjgWithoutYieldRotation", 9, materials::mat09, "LONG_OWJG 0.0 5400. 6. 0.\n",
                 " *** WARNING - SET    1: HA OR VA IS 0.0, THE LOOP HAS NO SCALE: THE SPRING CARRIES NO MOMENT",
                 kNoForce},
        ZeroCase{"LongOwjgWithoutYieldMoment", 9, materials::mat09, "LONG_OWJG 0.0084 0.0 6. 0.\n",
                 " *** WARNING - SET    1: HA OR VA IS 0.0, THE LOOP HAS NO SCALE: THE SPRING CARRIES NO MOMENT",
                 kNoForce},
        // The moment-rotation spring: no slope VA/HA (HA = 0.0) or none to
        // divide the excess by (VA = 0.0, which yields at once at set-up).
        ZeroCase{"Mr2WithoutYieldRotation", 11, materials::mat11, "MR2 0. 100. 0.05 4. 0.3 5. 0.02\n",
                 " *** WARNING - SET    1: HA OR VA IS 0.0, THE SLOPE VA/HA IS TAKEN AS 0.0: THE SPRING CARRIES NO MOMENT",
                 kNoForce},
        ZeroCase{"Mr2WithoutYieldMoment", 11, materials::mat11, "MR2 0.01 0. 0.05 4. 0.3 5. 0.02\n",
                 " *** WARNING - SET    1: HA OR VA IS 0.0, THE SLOPE VA/HA IS TAKEN AS 0.0: THE SPRING CARRIES NO MOMENT",
                 kNoForce},
        ZeroCase{"HingeWithoutYieldMoment", 19, materials::mat19, "HINGE 0.01 0. 0.05 4. 0.3 5. 0.02 0.\n0\n",
                 " *** WARNING - SET    1: HA OR VA IS 0.0, THE SLOPE VA/HA IS TAKEN AS 0.0: THE HINGE CARRIES NO MOMENT",
                 kNoForce},
        ZeroCase{"HingeWithoutYieldRotation", 19, materials::mat19, "HINGE 0. 100. 0.05 4. 0.3 5. 0.02 0.\n0\n",
                 " *** WARNING - SET    1: HA OR VA IS 0.0, THE SLOPE VA/HA IS TAKEN AS 0.0: THE HINGE CARRIES NO MOMENT",
                 kNoForce}),
    [](const auto& info) { return std::string(info.param.name); });

// A set with every divisor in place prints no warning.
TEST(ZeroDivisorControl, OrdinarySetsAreNotWarned) {
  materials::register_material(7, materials::mat07);
  mtest::MaterialHarness h(7, "ELSPLS 100. 10. 0. 10. 0.1\n");
  EXPECT_EQ(h.output().find("WARNING"), std::string::npos) << h.output();
  EXPECT_FLOAT_EQ(h.prop()[4], 0.1f);  // DY = PY/KE
}

}  // namespace
