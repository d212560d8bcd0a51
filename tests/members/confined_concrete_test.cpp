// Confined-concrete properties against the published confined-concrete model
// (Ec = 57000 sqrt(f'c)) worked by hand.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "members/rc/concrete_fibre.h"
#include "members/rc/confined_concrete.h"
#include "members/rc/rc_section_head.h"
#include "members/rc_test_sections.h"

namespace {

using namespace members::rc;
using Head = std::array<float, kHeadWords + 1>;

// Circle D 24, cover 1.5, hoops 0.5 at 4, fyh 60000, f'c 4000, KE 0.95.
Head circular_head() {
  Head h{};
  h[kLIBN] = 2; h[kIMATER] = 2; h[kD1] = 24; h[kD2] = 1.5; h[kFPC] = 4000;
  h[kHOOP1] = 0.5; h[kHOOP2] = 4; h[kKE] = 0.95f; h[kYSHOOP] = 60000;
  return h;
}

// Rectangle with transverse steel ratios 0.01 and 0.015, KE 0.75.
Head rectangular_head() {
  Head h{};
  h[kLIBN] = 3; h[kIMATER] = 3; h[kFPC] = 4000; h[kHOOP1] = 0.01f; h[kHOOP2] = 0.015f;
  h[kKE] = 0.75f; h[kYSHOOP] = 60000;
  return h;
}

using rctest::Unit6;

TEST(ConfinedConcrete, CircularHoops) {
  const Head h = circular_head();
  const ConfinementInput in = confinement_input(h.data());
  EXPECT_NEAR(in.fl, 273.98f, 0.01f);
  EXPECT_NEAR(in.rhos, 0.009133f, 1e-6f);
  EXPECT_NEAR(in.ec, 3604997.0f, 1.0f);
  EXPECT_FLOAT_EQ(in.esu, 0.09f);  // the head's ESU is 0

  Unit6 out;
  float ecu = 0.0f;
  const ConcreteEnvelope e = confin(in, ecu, true, false);
  EXPECT_NEAR(e.fccp, 5567.0f, 1.0f);
  EXPECT_NEAR(e.ecc, 0.005917f, 1e-6f);
  EXPECT_NEAR(ecu, 0.01640f, 1e-5f);
  EXPECT_NEAR(e.r, 1.353f, 1e-3f);
  const std::string t = out.text();
  EXPECT_NE(t.find("  Concrete strength FCCP(psi) =    0.5566"), std::string::npos) << t;
  EXPECT_NE(t.find("  Strain at peak stress (ECC)                     0.5917"), std::string::npos) << t;
  EXPECT_NE(t.find("  Ultimate compression strain (ECU) =             0.1640"), std::string::npos) << t;
}

TEST(ConfinedConcrete, RectangularChart) {
  const ConfinementInput in = confinement_input(rectangular_head().data());
  EXPECT_FLOAT_EQ(in.flx, 600.0f);
  EXPECT_FLOAT_EQ(in.fly, 900.0f);
  EXPECT_NEAR(in.rhos, 0.025f, 1e-7f);
  Unit6 out;
  float ecu = 0.0f;
  const ConcreteEnvelope e = confin(in, ecu, true, true);
  EXPECT_NEAR(e.fccp / 4000.0f, 1.735f, 1e-5f);
  EXPECT_NEAR(e.fccp, 6940.0f, 0.1f);
  EXPECT_NEAR(e.ecc, 0.00935f, 1e-7f);
  EXPECT_NEAR(ecu, 0.03123f, 1e-5f);
  const std::string t = out.text();
  EXPECT_NE(t.find("FLXPRATIO (FLXP/FCP     =   0.112500E+00"), std::string::npos) << t;
  EXPECT_NE(t.find("FLYPRATIO (FLYP/FCP     =   0.168750E+00"), std::string::npos) << t;
}

TEST(ConfinedConcrete, UltimateStrainRule) {
  ConfinementInput in = confinement_input(circular_head().data());
  float ecu = 0.02f;  // given in the head: kept
  confin(in, ecu, false, false);
  EXPECT_EQ(ecu, 0.02f);
  in.ke = 0.0f;  // cover: unconfined
  const ConcreteEnvelope cover = confin(in, ecu, false, false);
  EXPECT_EQ(ecu, 0.004f);
  EXPECT_EQ(cover.fccp, 4000.0f);
  EXPECT_FLOAT_EQ(cover.ecc, 0.002f);
  in.ke = -0.1f;
  ecu = 0.0f;
  confin(in, ecu, false, false);
  EXPECT_EQ(ecu, 0.0f);
}

TEST(ConfinedConcrete, ChartReadings) {
  struct Case {
    float rx, ry, k;
  };
  const Case cases[] = {
      {0.10f, 0.10f, 1.57f}, {0.30f, 0.30f, 2.30f}, {0.09f, 0.05f, 1.40f}, {0.05f, 0.09f, 1.40f},
      {0.05f, 0.05f, 1.32f}, {0.0f, 0.0f, 1.00f},   // Both ratios in the first interval: along the diagonal, (1.00 + 1.13)/2 halfway.
      {0.02f, 0.0f, 1.065f},
      // Outside the chart: taken at its edge.
      {-0.05f, 0.0f, 1.00f}, {0.5f, 0.45f, 2.30f},
  };
  for (const Case& c : cases) EXPECT_NEAR(confch(c.rx, c.ry), c.k, 2e-6f) << c.rx << ", " << c.ry;
  EXPECT_EQ(confch(0.4f, 0.1f), confch(0.30f, 0.1f));
}

TEST(ConfinedConcrete, CoverEnvelopeAndSpallingLine) {
  ConfinementInput in = confinement_input(circular_head().data());
  in.ke = 0.0f;
  float ecu = 0.0f;
  const ConcreteEnvelope e = confin(in, ecu, false, false);
  EXPECT_NEAR(e.r, 2.246f, 1e-3f);
  float s = 0.0f, et = 0.0f;
  concrete_envelope(e, -0.001f, s, et);
  EXPECT_NEAR(s, -3083.0f, 1.0f);
  float su = 0.0f, etu = 0.0f;
  concrete_envelope(e, -0.004f, su, etu);
  EXPECT_NEAR(su, -3000.0f, 1.0f);
  // The falling line from (-0.004, su) with the slope there reaches zero at -0.00914.
  EXPECT_NEAR(-0.004f - su / etu, -0.00914f, 1e-5f);
}

}  // namespace
