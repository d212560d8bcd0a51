// The AXLMOD axial model driven through MATDSP, against values worked by hand
// from its branches: KC 1000 in compression, KT1 500 up to PY 10, KT2 50 beyond,
// unloading on KR = KC (DMAX/DYT)^-ALPHA, then toward the pinching point on KS,
// toward (2 DYC, -2 PY) on KT and back on KC.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/globals.h"
#include "materials/axlmod.h"
#include "materials/fixtures.h"
#include "materials/harness.h"
#include "materials/matdsp.h"

namespace {

using namespace materials::axl;
using mtest::rel;
using mtest::trapezoids;

// KC KT1 KT2 PY ALPHA BETA MAX-DUCT BETA-DI: DYT 0.02, DYC -0.01, EY 0.1, DU 0.2.
const char* const kSet = "AXLMOD 1000 500 50 10 0.5 0.3 10 0.1\n";

// The envelope after a push to (0.06, 12): KR = 1000 / sqrt(3), FX = 2,
// DX = 0.06 - 10/KR, KS = (PY + FX)/(DX - DYC), pinching point at
// DP = DYC + BETA (DX - DYC), FP = FX - KS (DX - DP), KT toward (-0.02, -20).
struct Envelope {
  double kr = 1000.0 / std::sqrt(3.0);
  double fx = 2.0;
  double dx = 0.06 - 10.0 / kr;
  double ks = 12.0 / (dx + 0.01);
  double dp = -0.01 + 0.3 * (dx + 0.01);
  double fp = fx - ks * (dx - dp);
  double kt = (20.0 + fp) / (dp + 0.02);
};

class Axlmod : public mtest::SpringTest {
 protected:
  Axlmod() : SpringTest(2, materials::mat02, "MORE THAN 5 CYCLES IN MAT02,  IELNO:") { make(kSet); }
};

TEST_F(Axlmod, PropertiesAndSetUp) {
  EXPECT_EQ(h->nprop(), 11);
  EXPECT_EQ(h->nstate(), 33);
  const float* pr = h->prop();
  EXPECT_FLOAT_EQ(pr[kDyt], 0.02f);
  EXPECT_FLOAT_EQ(pr[kDyc], -0.01f);
  EXPECT_FLOAT_EQ(pr[kEy], 0.1f);
  EXPECT_FLOAT_EQ(pr[kDu], 0.2f);
  EXPECT_FLOAT_EQ(pr[kBetaDi], 0.1f);
  // Set-up with P = 0 leaves the spring on the compression branch.
  EXPECT_EQ(s()[kS], 1000.0f);
  EXPECT_EQ(s()[kNrl], 1.0f);
  EXPECT_EQ(s()[kHrln], 1.1f);
  EXPECT_EQ(s()[kSeq], 1000.0f);
  EXPECT_EQ(s()[kA], 0.0f);
  for (int k = 3; k <= 33; ++k) {
    if (k != kNrl && k != kSeq) {
      EXPECT_EQ(s()[k], 0.0f) << "word " << k;
    }
  }
}

struct Push {
  const char* name;
  float d;        // one step from rest
  float p;        // force at d
  float tangent;  // branch after the step
  float rule;
  double work;    // ESE + PSE: the area under the path
};

// Compression never yields: P = KC D however far; tension is elastic on KT1 up
// to PY and continues on KT2. The work of the 0.06 push is 0.1 + 0.44.
const Push kPushes[] = {
    {"compression_small", -0.005f, -5.0f, 1000.0f, 1.0f, 0.0125},
    {"compression_deep", -0.5f, -500.0f, 1000.0f, 1.0f, 125.0},
    {"tension_elastic", 0.01f, 5.0f, 500.0f, 2.0f, 0.025},
    {"tension_past_yield", 0.06f, 12.0f, 50.0f, 6.0f, 0.54},
};

class AxlmodPush : public Axlmod, public ::testing::WithParamInterface<Push> {};

TEST_P(AxlmodPush, OneStepFromRest) {
  const Push& t = GetParam();
  h->step(t.d);
  EXPECT_NEAR(h->material_force(), t.p, rel(t.p));
  EXPECT_EQ(h->tangent(), t.tangent);
  EXPECT_EQ(s()[kNrl], t.rule);
  EXPECT_NEAR(total_work(), t.work, rel(t.work));
  EXPECT_FALSE(cycle_message());
}

INSTANTIATE_TEST_SUITE_P(Branches, AxlmodPush, ::testing::ValuesIn(kPushes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Axlmod, CompressionFollowsKcInSmallStepsAndStoresItAllElastically) {
  for (float d : {-0.01f, -0.03f, -0.08f, -0.2f}) {
    EXPECT_NEAR(h->step(d), 1000.0 * d, rel(1000.0 * d)) << d;
    EXPECT_EQ(h->tangent(), 1000.0f);
  }
  const materials::MatCall r = h->results();
  EXPECT_NEAR(r.ese, 200.0 * 200.0 / 2000.0, 1e-3);
  EXPECT_NEAR(r.pse, 0.0, 1e-3);
}

TEST_F(Axlmod, PushPastYieldSetsTheEnvelopeEnergiesAndDamage) {
  h->step(0.06f);
  const Envelope e;
  EXPECT_NEAR(h->material_force(), 12.0, rel(12.0));
  EXPECT_EQ(s()[kHrln], 6.1f);
  EXPECT_NEAR(s()[kA], 60.0, rel(60.0));  // 5 P
  EXPECT_NEAR(s()[kFmax], 12.0, rel(12.0));
  EXPECT_FLOAT_EQ(s()[kDmax], 0.06f);
  EXPECT_NEAR(s()[kKr], e.kr, rel(e.kr));
  EXPECT_NEAR(s()[kFx], e.fx, rel(e.fx));
  EXPECT_NEAR(s()[kDx], e.dx, 1e-6);
  EXPECT_NEAR(s()[kKs], e.ks, rel(e.ks));
  EXPECT_NEAR(s()[kSeq], e.kr, rel(e.kr));

  // The last segment is booked before the rule call that moves SEQ to KR: the
  // energy stiffness is still the KR of the probe 1% past the yield point,
  // at DMAX = 0.02 + 0.01 * 0.04.
  const materials::MatCall r = h->results();
  const double kr_probe = 1000.0 / std::sqrt(0.0204 / 0.02);
  const double ese = 144.0 / (2.0 * kr_probe);
  EXPECT_NEAR(r.ese, ese, 1e-5);
  EXPECT_NEAR(r.pse, 0.54 - ese, 1e-5);
  EXPECT_NEAR(r.duct[0], 3.0, 1e-5);  // 0.06 / DYT

  const materials::MatCall dmg = h->damage();
  EXPECT_FLOAT_EQ(dmg.d, 0.06f);
  EXPECT_NEAR(dmg.p, 12.0, rel(12.0));
  EXPECT_NEAR(dmg.di, 0.06 / 0.2 + 0.1 * (0.54 - ese) / (10.0 * 0.2), 1e-5);
}

struct Unload {
  const char* name;
  float d;  // one step back from (0.06, 12)
  float rule;
  double (*p)(const Envelope&);
  double (*tangent)(const Envelope&);
};

// From the peak the step is split at FX (on KR), at the pinching point (on KS)
// and at (2 DYC, -2 PY) (on KT); beyond that compression runs on KC.
const Unload kUnloads[] = {
    {"on_kr", 0.05f, 7.0f, [](const Envelope& e) { return 12.0 - 0.01 * e.kr; },
     [](const Envelope& e) { return e.kr; }},
    {"on_ks", 0.03f, 8.0f, [](const Envelope& e) { return e.fx + e.ks * (0.03 - e.dx); },
     [](const Envelope& e) { return e.ks; }},
    {"on_kt", 0.0f, 9.0f, [](const Envelope& e) { return e.fp - e.kt * e.dp; },
     [](const Envelope& e) { return e.kt; }},
    {"on_kc", -0.05f, 10.0f, [](const Envelope&) { return -50.0; },
     [](const Envelope&) { return 1000.0; }},
};

class AxlmodUnload : public Axlmod, public ::testing::WithParamInterface<Unload> {};

TEST_P(AxlmodUnload, OneStepFromThePeak) {
  const Unload& t = GetParam();
  const Envelope e;
  h->step(0.06f);
  h->step(t.d);
  EXPECT_NEAR(h->material_force(), t.p(e), rel(t.p(e)));
  EXPECT_NEAR(h->tangent(), t.tangent(e), rel(t.tangent(e)));
  EXPECT_EQ(s()[kNrl], t.rule);
  EXPECT_FALSE(cycle_message());
}

INSTANTIATE_TEST_SUITE_P(Branches, AxlmodUnload, ::testing::ValuesIn(kUnloads),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Axlmod, FullCycleWorkIsTheAreaAlongTheEventPath) {
  const Envelope e;
  h->step(0.06f);
  h->step(-0.05f);
  h->step(0.0f);
  // Back from -0.05 on KC to -PY, then on KR (rule 11) toward zero force.
  const double p_end = -10.0 + 0.01 * e.kr;
  EXPECT_NEAR(h->material_force(), p_end, rel(p_end));
  EXPECT_EQ(s()[kNrl], 11.0f);

  const double area = trapezoids({{0.0, 0.0},
                                  {0.02, 10.0},
                                  {0.06, 12.0},
                                  {e.dx, e.fx},
                                  {e.dp, e.fp},
                                  {-0.02, -20.0},
                                  {-0.05, -50.0},
                                  {-0.01, -10.0},
                                  {0.0, p_end}});
  EXPECT_NEAR(total_work(), area, 1e-4 * area);
  // The loop dissipated most of it: what is stored is P^2 / (2 KR) at the end.
  const materials::MatCall r = h->results();
  EXPECT_NEAR(r.ese, p_end * p_end / (2.0 * e.kr), 1e-5);
  EXPECT_GT(r.pse, 0.5 * area);
  EXPECT_FALSE(cycle_message());
}

// Before yield: unloading from (0.01, 5) is elastic on KC (rule 3). The rule
// sees the probe 1% into the step, (0.00995, 4.975), so FMAX = 4.975 and the
// shifted tension line runs through (DX, FX) = (-0.00005, -5.025) on KT1,
// meeting KC at (0, -5). Past it compression follows that line (rule 4, limit
// -PY); reloading runs on KC between the shifted and the initial tension line
// (rule 5, limit where KC meets the initial line) and rejoins it (rule 2).
TEST_F(Axlmod, ElasticCycleBeforeYieldRunsRulesThreeFourAndFive) {
  struct Row {
    float d;
    double p;       // force after the step
    float tangent;  // branch after the step
    float rule;
    double a;       // its limit
  };
  const Row rows[] = {
      {0.01f, 5.0, 500.0f, 2.0f, 10.0},    // initial tension line, limit PY
      {0.005f, 0.0, 1000.0f, 3.0f, -5.0},  // back on KC: limit where KC meets the shifted line
      {-0.005f, -7.5, 500.0f, 4.0f, -10.0},  // on the shifted line, FX + KT1 (D - DX)
      {0.0f, -2.5, 1000.0f, 5.0f, 2.5},    // reloading on KC toward the initial line
      {0.01f, 5.0, 500.0f, 2.0f, 10.0},    // back on P = KT1 D
  };
  for (const Row& r : rows) {
    h->step(r.d);
    EXPECT_NEAR(h->material_force(), r.p, 2e-4 * std::max(1.0, std::fabs(r.p))) << r.d;
    EXPECT_EQ(h->tangent(), r.tangent) << r.d;
    EXPECT_EQ(std::trunc(s()[kNrl]), r.rule) << r.d;
    EXPECT_NEAR(s()[kA], r.a, 2e-4 * std::fabs(r.a)) << r.d;
  }
  EXPECT_NEAR(s()[kFmax], 4.975, 1e-5);
  EXPECT_NEAR(s()[kDx], -0.00005, 1e-8);
  // The loop (0, -5) - (-0.005, -7.5) - (0, -2.5) - (0.005, 2.5) - (0.01, 5) ...
  const double area = trapezoids({{0.0, 0.0}, {0.01, 5.0}, {0.005, 0.0}, {0.0, -5.0},
                                  {-0.005, -7.5}, {0.0, -2.5}, {0.005, 2.5}, {0.01, 5.0}});
  EXPECT_NEAR(total_work(), area, 1e-6);
  // ... back at (0.01, 5) on KT1 the stored part is P^2 / (2 KC).
  EXPECT_NEAR(h->results().ese, 25.0 / 2000.0, 1e-6);
  EXPECT_FALSE(cycle_message());
}

// After the cycle of the full-cycle test (ending on KR at D = 0), reloading
// crosses zero force at 10/KR - 0.01 and runs on KS (rule 12) straight toward
// (DMAX, FMAX) = (0.06, 12); past it the spring yields again on KT2.
TEST_F(Axlmod, ReloadingAfterYieldAimsAtThePeakAndYieldsPastIt) {
  const Envelope e;
  h->step(0.06f);
  h->step(-0.05f);
  h->step(0.0f);
  const double dz = 10.0 / e.kr - 0.01;
  h->step(0.03f);
  const double p = 12.0 * (0.03 - dz) / (0.06 - dz);
  EXPECT_NEAR(h->material_force(), p, rel(p));
  EXPECT_EQ(s()[kNrl], 12.0f);
  EXPECT_EQ(s()[kHrln], 12.1f);
  EXPECT_NEAR(h->tangent(), e.ks, rel(e.ks));
  EXPECT_NEAR(s()[kA], 12.0, rel(12.0));
  h->step(0.07f);
  EXPECT_NEAR(h->material_force(), 12.5, rel(12.5));
  EXPECT_EQ(s()[kNrl], 6.0f);
  EXPECT_EQ(h->tangent(), 50.0f);
  EXPECT_FALSE(cycle_message());
}

TEST_F(Axlmod, SixthPassPrintsTheCycleMessageAndReturnsTheExtrapolatedForce) {
  h->step(0.06f);
  h->step(-0.5f);  // KR, KS, KT, then KC twice: one pass more than allowed
  EXPECT_TRUE(cycle_message());
  EXPECT_NE(h->output().find("MORE THAN 5 CYCLES IN MAT02,  IELNO:"), std::string::npos);
  // The extrapolation runs on KC from (-0.02, -20): -500.
  EXPECT_NEAR(h->material_force(), -500.0, rel(500.0));
  EXPECT_EQ(h->tangent(), 1000.0f);
}

TEST_F(Axlmod, TraceOfAStepWithLetterK) {
  kv::titles().ibugm |= 1 << ('K' - 'A');
  h->step(0.01f);
  const std::string out = h->output();
  EXPECT_NE(out.find("------------- IN MAT02 ---- IELNO:"), std::string::npos);
  EXPECT_NE(out.find(std::string(34, '-')), std::string::npos);
  EXPECT_NE(out.find("   IDR= 999\n"), std::string::npos);  // the first pass, before any rule call
  EXPECT_NE(out.find("   IDR= 1\n"), std::string::npos);    // loading, from the probe's call
  EXPECT_NE(out.find("C----- IS P GREATER THAN LIMITS ? "), std::string::npos);
  EXPECT_NE(out.find("C----- IS P WITH IN LIMITS ? "), std::string::npos);
  EXPECT_NE(out.find(" AXLMOD-P="), std::string::npos);
  EXPECT_NE(out.find(" AX-  EX4="), std::string::npos);
}

// The exit line shows the tangent the last pass extrapolated with: here KT2,
// while the rule call at the end point, seeing the rate reversed, has already
// put the spring on the unloading branch KR.
TEST_F(Axlmod, ExitTraceShowsTheTangentOfTheLastPass) {
  h->step(0.03f);  // onto KT2, limit 5 P
  kv::titles().ibugm |= 1 << ('K' - 'A');
  h->step(0.06f, -1.0f);
  EXPECT_NE(h->tangent(), 50.0f);
  const std::string out = h->output();
  const auto last = out.rfind("\n STIFF=");
  ASSERT_NE(last, std::string::npos);
  const std::string line = out.substr(last + 1, out.find('\n', last + 1) - last - 1);
  EXPECT_NE(line.find(" 5.0000000E+01 "), std::string::npos) << line;
  EXPECT_NE(line.find("   A="), std::string::npos) << line;
}

TEST_F(Axlmod, StepWithNoDeformationChangeKeepsTheRuleState) {
  h->step(0.06f);
  const std::vector<float> before(s() + 1, s() + 34);
  const double work = total_work();
  h->step(0.06f);
  EXPECT_NEAR(h->material_force(), 12.0, rel(12.0));
  for (int k = 1; k <= 26; ++k) EXPECT_EQ(s()[k], before[k - 1]) << "word " << k;
  EXPECT_EQ(s()[kPeakD], before[kPeakD - 1]);
  EXPECT_EQ(s()[kPeakP], before[kPeakP - 1]);
  // The empty segment adds no work; the split is redone with the current SEQ.
  EXPECT_NEAR(total_work(), work, 1e-6);
  EXPECT_NEAR(h->results().ese, 144.0 / (2.0 * Envelope().kr), 1e-5);
}

TEST_F(Axlmod, CompressionSideIsNeverRated) {
  h->step(-0.2f);
  h->step(0.06f);
  h->step(-0.2f);
  const materials::MatCall r = h->results();
  EXPECT_EQ(s()[kUn], 0.0f);
  EXPECT_EQ(s()[kUn + 1], 0.0f);
  EXPECT_EQ(s()[kUn + 2], 0.0f);
  EXPECT_EQ(r.duct[0], s()[kUp]);
  // Peak deformation tracks the largest tension only.
  const materials::MatCall dmg = h->damage();
  EXPECT_FLOAT_EQ(dmg.d, 0.06f);
}

TEST_F(Axlmod, DamageOfASpringNeverInTensionIsTheEnergyTermOnly) {
  h->step(-0.05f);
  const materials::MatCall r = h->results();
  const materials::MatCall dmg = h->damage();
  EXPECT_EQ(dmg.d, 0.0f);
  EXPECT_EQ(dmg.p, 0.0f);
  EXPECT_NEAR(dmg.di, 0.1 * r.pse / (10.0 * 0.2), 1e-7);
}

TEST_F(Axlmod, HeaderAndEchoLine) {
  const std::string out = h->output();
  EXPECT_NE(out.find("     AXLMOD HYSTERESIS MODEL- FOR UNIT LENGTH MEMBER\n     " +
                     std::string(47, '=') + "\n"),
            std::string::npos);
  const std::string columns = "  MAT." + std::string(6, ' ') + "   SC" + std::string(10, ' ') +
                              "  ST1" + std::string(10, ' ') + "  ST2" + std::string(10, ' ') +
                              "   PY" + std::string(10, ' ') + "ALPHA" + std::string(10, ' ') +
                              " BETA" + std::string(6, ' ') + "MAX DUCT." + std::string(7, ' ') +
                              "BETA-DI";
  EXPECT_NE(out.find(columns), std::string::npos);
  EXPECT_NE(out.find("     1   0.100000E+04   0.500000E+03   0.500000E+02   0.100000E+02"
                     "   0.500000E+00   0.300000E+00   0.100000E+02   0.100000E+00\n"),
            std::string::npos);
  EXPECT_EQ(out.find("WARNING"), std::string::npos);
}

TEST_F(Axlmod, SecondSetOfTheSameTypeEchoesWithoutHeader) {
  materials::register_material(2, materials::mat02);
  mtest::MaterialHarness two(2, std::string(kSet) + "AXLMOD 2000 400 40 8 0.4 0.2 5 0.2\n", 2);
  const std::string out = two.output();
  const auto first = out.find("AXLMOD HYSTERESIS MODEL");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(out.find("AXLMOD HYSTERESIS MODEL", first + 1), std::string::npos);
  EXPECT_NE(out.find("     2   0.200000E+04"), std::string::npos);
}

TEST(AxlmodInput, UnreadableOrTruncatedSetStopsTheRun) {
  struct Case {
    const char* record;
    const char* message;
  };
  const Case cases[] = {
      {"AXLMOD 1000 500 X 10 0.5 0.3 10 0.1\n", "UNREADABLE VALUE IN MATERIAL SET    2:"},
      {"AXLMOD 1000 500 50\n", "END OF INPUT FILE WHILE READING MATERIAL SET    2"},
  };
  for (const Case& t : cases) {
    materials::register_material(2, materials::mat02);
    mtest::MaterialHarness h(2, std::string(kSet) + t.record);
    materials::MatCall c = mtest::read_call(2);
    EXPECT_THROW(materials::mat02(c), kv::RunStop) << t.record;
    EXPECT_NE(h.output().find(t.message), std::string::npos) << h.output();
  }
}

TEST_F(Axlmod, ZeroStiffnessAndYieldAreReportedAndNeverTurnIntoNaN) {
  make("AXLMOD 1000 0 50 0 0.5 0.3 10 0.1\n");  // KT1 = PY = 0: DYT, EY, DU would be 0/0
  EXPECT_NE(h->output().find(" *** WARNING - AXLMOD SET    1"), std::string::npos);
  expect_finite_through({0.01f, 0.05f, -0.03f, 0.02f, -0.1f, 0.04f});
}

}  // namespace
