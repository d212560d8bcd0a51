// The Takeda model driven through MATDSP, against values worked by hand from
// its trilinear backbone and its unloading and reloading rules.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/globals.h"
#include "materials/fixtures.h"
#include "materials/harness.h"
#include "materials/matdsp.h"
#include "materials/takeda.h"

namespace {

using namespace materials::takeda;

// PC 10 at DC 0.01, PY 30 at DY 0.05, PU 40 at DU 0.25, BETA 0.1:
// OC = 1000, CY = 500, YU = 50, CPY = 40/0.06, EY = 0.05 + 0.8 = 0.85.
const char* const kSet = "TAKEDA 2.0 10 0.01 30 0.05 40 0.25 0.1\n";
constexpr double kCPY = 40.0 / 0.06;

class Takeda : public mtest::SpringTest {
 protected:
  Takeda() : SpringTest(6, materials::mat06, "MORE THAN 5 CYCLES IN MAT06,  IELNO:") { make(kSet); }
  // Steps with zero rates, so the branch is chosen from the forces alone.
  float go(float d) {
    h->step(d, 0.0f);
    return h->material_force();
  }
};

double rel(double x) { return 1e-4 * std::max(1.0, std::fabs(x)); }

TEST_F(Takeda, PropertiesAndSetUp) {
  EXPECT_EQ(h->nprop(), 13);
  EXPECT_EQ(h->nstate(), 49);
  const float* pr = h->prop();
  EXPECT_FLOAT_EQ(pr[8], 1000.0f);
  EXPECT_FLOAT_EQ(pr[9], 500.0f);
  EXPECT_FLOAT_EQ(pr[10], 50.0f);
  EXPECT_NEAR(pr[11], kCPY, rel(kCPY));
  EXPECT_NEAR(pr[12], 0.85, 1e-6);
  EXPECT_FLOAT_EQ(pr[13], 0.1f);
  // Rule 1, aimed at the cracking point of the sense the zero point faces.
  EXPECT_EQ(s()[kS], 1000.0f);  // OC
  EXPECT_EQ(s()[kA], -10.0f);   // -PC
  EXPECT_EQ(s()[kB], 0.0f);
  EXPECT_EQ(s()[kRNRL], 1.0f);
  EXPECT_EQ(s()[kACHNG], -10.0f);
  EXPECT_EQ(s()[kUM1], -0.01f);
  EXPECT_EQ(s()[kUM2], -10.0f);
  EXPECT_EQ(s()[kUM3], 0.01f);
  EXPECT_EQ(s()[kUM4], 10.0f);
  EXPECT_EQ(s()[kOCCopy], 1000.0f);
  EXPECT_EQ(s()[kEICopy], 2.0f);
}

struct Push {
  const char* name;
  float d;        // one step from rest
  float p;        // force on the backbone
  float tangent;  // branch after the step
};

// Points on the backbone reached in a single step from rest: the walk splits
// the step at the cracking, yield and ultimate points.
const Push kPushes[] = {
    {"uncracked", 0.005f, 5.0f, 1000.0f},
    {"cracked", 0.03f, 20.0f, 500.0f},
    {"post_yield", 0.15f, 35.0f, 50.0f},
    {"beyond_ultimate", 0.4f, 40.0f, 0.0f},
    {"post_yield_negative", -0.15f, -35.0f, 50.0f},
    {"beyond_ultimate_negative", -0.3f, -40.0f, 0.0f},
};

class TakedaPush : public Takeda, public ::testing::WithParamInterface<Push> {};

TEST_P(TakedaPush, OneStepFromRest) {
  const Push& c = GetParam();
  EXPECT_NEAR(go(c.d), c.p, rel(c.p));
  EXPECT_NEAR(h->tangent(), c.tangent, rel(c.tangent));
  EXPECT_EQ(h->output().find("MORE THAN 5 CYCLES"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Backbone, TakedaPush, ::testing::ValuesIn(kPushes),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(Takeda, PushInSmallStepsFollowsTheBackboneAndStaysAtPU) {
  EXPECT_NEAR(h->walk(0.15f, 30), 35.0f, 1e-3);
  EXPECT_NEAR(h->walk(0.25f, 10), 40.0f, 1e-3);
  EXPECT_NEAR(go(0.3f), 40.0f, 1e-4);
  EXPECT_NEAR(go(0.5f), 40.0f, 1e-4);
  EXPECT_EQ(h->tangent(), 0.0f);
}

TEST_F(Takeda, UnloadingAfterYieldAndReloadingTowardTheOtherCrackingLevel) {
  // Peak at 2 DY: 30 + 50*0.05.
  EXPECT_NEAR(go(0.1f), 32.5f, 1e-4);
  // Unloading stiffness CPY (DY/Dmax)^0.5, Dmax being where the unloading was
  // found: the probe a thousandth of the step into it, 0.1 - 0.00001.
  const double s1 = kCPY * std::sqrt(0.05 / 0.09999);
  EXPECT_NEAR(go(0.09f), 32.5 - 0.01 * s1, 2e-4);
  EXPECT_NEAR(h->tangent(), s1, rel(s1));

  // On to D = 0: zero force at d0, then on S1 to the cracking level -PC of the
  // other sense (that sense never cracked), then straight toward (-DY, -PY).
  const double d0 = 0.1 - 32.5 / s1;
  const double dc = d0 - 10.0 / s1;
  const double qy = -20.0 / (-0.05 - dc);
  EXPECT_NEAR(go(0.0f), -10.0 + qy * (0.0 - dc), 2e-4);
  EXPECT_NEAR(h->tangent(), qy, rel(qy));
  EXPECT_EQ(s()[kRNRL], 16.0f);

  // That line reaches the yield point; beyond it the post-yield branch, the
  // mirror image of the first excursion.
  EXPECT_NEAR(go(-0.1f), -32.5f, 1e-3);
  EXPECT_NEAR(h->tangent(), 50.0f, 1e-4);
  EXPECT_EQ(s()[kRNRL], 3.0f);
}

TEST_F(Takeda, UnloadingFromTheCrackedBackboneAndReloadingBackOntoIt) {
  EXPECT_NEAR(go(0.03f), 20.0f, 1e-4);  // cracked backbone, CY = 500
  // Unloading is found at the probe a thousandth into the step, (20 - 0.005,
  // 0.03 - 0.00001): S1 aims from there at the cracking point of the other
  // sense, (-DC, -PC).
  const double s1 = (19.995 + 10.0) / (0.02999 + 0.01);
  const double p2 = 20.0 - 0.01 * s1;
  EXPECT_NEAR(go(0.02f), p2, 2e-4);
  EXPECT_NEAR(h->tangent(), s1, rel(s1));
  EXPECT_EQ(s()[kRNRL], 5.0f);
  // Reloading runs back up the same line, aimed at the largest point (the
  // probe point 19.995 at 0.02999)...
  const double p3 = p2 + 0.005 * s1;
  EXPECT_NEAR(go(0.025f), p3, 2e-4);
  EXPECT_NEAR(h->tangent(), s1, rel(s1));
  EXPECT_EQ(s()[kRNRL], 5.0f);
  // ...which it reaches at force 19.995, D = 0.03 - 0.005/S1 (the line runs
  // from (20, 0.03), so it passes just above the probe point); from there on
  // the backbone slope CY. The walk must leave the reloading branch at its
  // end point.
  const double dev = 0.03 - 0.005 / s1;
  EXPECT_NEAR(go(0.04f), 19.995 + 500.0 * (0.04 - dev), 2e-4);
  EXPECT_NEAR(h->tangent(), 500.0f, 1e-3);
  EXPECT_EQ(s()[kRNRL], 2.0f);
  EXPECT_EQ(h->output().find("MORE THAN 5 CYCLES"), std::string::npos);
}

TEST_F(Takeda, ElasticCycleBeforeCrackingDissipatesNothing) {
  go(0.008f);
  go(0.0f);
  go(-0.008f);
  EXPECT_NEAR(go(0.0f), 0.0f, 1e-4);
  const materials::MatCall r = h->results();
  EXPECT_NEAR(r.pse, 0.0f, 1e-6);
  EXPECT_NEAR(r.ese, 0.0f, 1e-6);
}

TEST_F(Takeda, EnergiesAndDamageIndexAfterAPush) {
  go(0.15f);
  // Work: 0.05 + 0.8 to yield, (30 + 35)/2 * 0.1 beyond: 4.1. Elastic part on
  // the stiffness of the yield classification, CPY: 35^2/(2 CPY).
  const double ese = 35.0 * 35.0 / (2.0 * kCPY);
  const double pse = 4.1 - ese;
  const materials::MatCall r = h->results();
  EXPECT_NEAR(r.ese, ese, 1e-4);
  EXPECT_NEAR(r.pse, pse, 1e-4);
  EXPECT_NEAR(r.duct[0], 0.0f, 1e-6);  // ductility is booked on unloading only
  const materials::MatCall dmg = h->damage();
  EXPECT_NEAR(dmg.d, 0.15f, 1e-7);
  EXPECT_NEAR(dmg.p, 35.0f, 1e-4);
  EXPECT_NEAR(dmg.di, 0.15 / 0.25 + 0.1 * pse / (0.25 * 30.0), 1e-5);
}

TEST_F(Takeda, DamageIndexBeyondTheUltimateDeformation) {
  go(0.375f);  // 1.5 DU
  // Work to DU 0.85 + 7, then 40 * 0.125; elastic part on CPY (0.05/0.25)^0.5.
  const double se = kCPY * std::sqrt(0.05 / 0.25);
  const double pse = 12.85 - 40.0 * 40.0 / (2.0 * se);
  EXPECT_NEAR(h->damage().di, 1.5 + 0.1 * pse / (0.25 * 30.0), 1e-5);
}

TEST_F(Takeda, UnloadingRecordsTheDuctility) {
  go(0.1f);
  go(0.09f);
  // The unloading classification sees D just below the peak 0.1 = 2 DY.
  EXPECT_NEAR(h->results().duct[0], 2.0f, 1e-3);
}

TEST_F(Takeda, CycleLimitPrintsTheMessageAndReturnsTheLastExtrapolation) {
  go(0.1f);
  // Unload, cross zero, the cracking level, the yield point and PU: the sixth
  // pass stops the walk with the force extrapolated on the last branch (flat).
  EXPECT_NEAR(go(-0.3f), -40.0f, 1e-4);
  EXPECT_NE(h->output().find("MORE THAN 5 CYCLES IN MAT06,  IELNO:"), std::string::npos);
}

TEST_F(Takeda, TraceLetterKPrintsTheWalkAndTheRuleArguments) {
  kv::titles().ibugm |= 1 << ('K' - 'A');
  go(0.15f);
  const std::string out = h->output();
  EXPECT_NE(out.find("------------- IN MAT06 -------------------------"), std::string::npos);
  EXPECT_NE(out.find("C----- IS P GREATER THAN LIMITS ? "), std::string::npos);
  EXPECT_NE(out.find(" TAKEDA-PI="), std::string::npos);
  EXPECT_NE(out.find("EX6="), std::string::npos);
  EXPECT_NEAR(h->material_force(), 35.0f, 1e-4);
}

TEST_F(Takeda, HeaderAndEchoLines) {
  const std::string out = h->output();
  EXPECT_NE(out.find("\n     TAKEDA HYSTERESIS MODEL- FOR UNIT LENGTH MEMBER\n"
                     "     ===============================================\n\n"
                     "  MAT.     BETA           EI                 CRACK          YEILD"
                     "       ULTIMATE\n"),
            std::string::npos);
  EXPECT_NE(out.find("\n\n     1   0.100000E+00   0.200000E+01      0.100000E+02   0.300000E+02"
                     "   0.400000E+02\n"
                     "                                          0.100000E-01   0.500000E-01"
                     "   0.250000E+00\n\n"),
            std::string::npos)
      << out;
}

}  // namespace
