// The BEND1 bending model driven through MATDSP, against values worked by hand
// from its backbone (100, 0.001), (150, 0.005), (160, 0.02), its unloading
// curve and its reloading rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "driver/globals.h"
#include "materials/bend1.h"
#include "materials/harness.h"
#include "materials/matdsp.h"

namespace {

using namespace materials::bend;

// NB 3, NI 2, DY 0.001, BETA 0.05; SI = 1e5, EY = 0.05.
const char* const kSet = "BEND1 3 2 0.001 0.05\n100 150 160\n0.001 0.005 0.02\n";
constexpr double kSI = 1e5;

double rel(double x) { return 2e-4 * std::max(1.0, std::fabs(x)); }

double slpmin(double a, double b, double c) { return a * b > 0.0 ? std::min(b / a, c) : c; }

double trapezoids(const std::vector<std::pair<double, double>>& pts) {
  double w = 0.0;
  for (std::size_t i = 1; i < pts.size(); ++i) {
    w += (pts[i].first - pts[i - 1].first) * (pts[i].second + pts[i - 1].second) / 2.0;
  }
  return w;
}

// The push 0 -> 0.003 in one step: the event at (0.001, 100), the probe 0.1% of
// the rest of the step further on the initial slope, (100.2, 0.001002), and
// from there the secant to the next backbone point, (150, 0.005).
constexpr double kPushK = (150.0 - 100.2) / (0.005 - 0.001002);
constexpr double kPushP = 100.0 + kPushK * 0.002;

// The unloading curve from the peak (dp, mp) with the other peak (dq, mq).
struct Unloading {
  double r, s1, s2, s3, d0, m1, m3, da, ka, db, kb, se;
  Unloading(double mp, double dp, double mq, double dq, double x) {
    r = 0.001 / x;
    s1 = kSI * std::pow(r, 0.294);
    s2 = kSI * (1.0 + 0.8344 * (r - 1.0));
    s3 = kSI * (1.0 + 0.9092 * (r - 1.0));
    d0 = dp - mp * (dq - dp) / (mq - mp);
    m1 = mp / 4.0;
    m3 = 3.0 * m1;
    da = dp - 0.25 * mp / s1;
    ka = slpmin(da - d0, m3, kSI);
    db = da - 0.5 * mp / std::max(ka, s2);
    kb = slpmin(db - d0, m1, kSI);
    se = 0.5 * mp * mp /
         (0.5 * m1 * m1 / std::max(kb, s3) + 0.5 * (da - db) * (m1 + m3) + 0.5 * (dp - da) * (m3 + mp));
  }
};

class Bend1 : public ::testing::Test {
 protected:
  Bend1() { make(kSet); }
  void make(const std::string& set, int nsets = 1) {
    materials::register_material(3, materials::mat03);
    h = std::make_unique<mtest::MaterialHarness>(3, set, nsets);
    h->init();
  }
  float* s() const { return h->committed(); }
  double total_work() {
    const materials::MatCall r = h->results();
    return static_cast<double>(r.ese) + r.pse;
  }
  bool cycle_message() const {
    return h->output().find("MORE THAN 10 CYCLES IN MAT03,  IELNO:") != std::string::npos;
  }
  std::unique_ptr<mtest::MaterialHarness> h;
};

TEST_F(Bend1, PropertiesAndSetUp) {
  EXPECT_EQ(h->nprop(), 11);
  EXPECT_EQ(h->nstate(), 42);
  const float* pr = h->prop();
  EXPECT_EQ(pr[kNb], 3.0f);
  EXPECT_EQ(pr[kNi], 2.0f);
  EXPECT_NEAR(pr[kEy], 0.05, 1e-8);
  EXPECT_EQ(pr[kDy], 0.001f);
  EXPECT_EQ(pr[kBeta], 0.05f);
  EXPECT_EQ(pr[6], 100.0f);
  EXPECT_EQ(pr[8], 160.0f);
  EXPECT_EQ(pr[9], 0.001f);
  EXPECT_EQ(pr[11], 0.02f);
  // Virgin: the initial stiffness, also for the energy.
  EXPECT_EQ(s()[kRule], 0.0f);
  EXPECT_FLOAT_EQ(s()[kK], 1e5f);
  EXPECT_FLOAT_EQ(s()[kSe], 1e5f);
}

TEST_F(Bend1, StepBelowTheFirstPointStaysVirgin) {
  EXPECT_NEAR(h->step(0.0005f), 50.0, rel(50.0));
  EXPECT_EQ(s()[kRule], 0.0f);
  EXPECT_FLOAT_EQ(h->tangent(), 1e5f);
  EXPECT_NEAR(total_work(), 0.0125, 1e-7);
  EXPECT_NEAR(h->results().pse, 0.0, 1e-7);
}

TEST_F(Bend1, OneStepToThreeTimesTheFirstRotationIsSplitAtTheFirstPoint) {
  h->step(0.003f);
  EXPECT_NEAR(h->material_force(), kPushP, rel(kPushP));
  EXPECT_NEAR(h->tangent(), kPushK, rel(kPushK));
  EXPECT_EQ(s()[kRule], 1.0f);
  EXPECT_EQ(s()[kA], 150.0f);
  EXPECT_EQ(s()[kBackb], 1.0f);
  EXPECT_EQ(s()[kFacp], 1.129f);
  EXPECT_EQ(s()[kDir], 1.0f);
  EXPECT_NEAR(s()[kPmg], kPushP, rel(kPushP));
  EXPECT_FLOAT_EQ(s()[kDmg], 0.003f);
  EXPECT_FLOAT_EQ(s()[kPmh], -100.0f);
  EXPECT_FLOAT_EQ(s()[kDmh], -0.001f);
  EXPECT_FALSE(cycle_message());

  // Work along (0,0) - (0.001,100) - (0.003,P), booked while the energy stiffness
  // was still SI; the rule then sets SE from the unloading curve of the new peak.
  const double work = 0.05 + (100.0 + kPushP) / 2.0 * 0.002;
  EXPECT_NEAR(total_work(), work, 1e-5);
  const materials::MatCall r = h->results();
  EXPECT_NEAR(r.ese, kPushP * kPushP / (2.0 * kSI), 1e-6);
  const Unloading u(kPushP, 0.003, -100.0, -0.001, 0.003);
  EXPECT_NEAR(s()[kSe], u.se, rel(u.se));

  // Damage: du = 0.02, fy = 100 (DY on the first segment).
  const materials::MatCall dmg = h->damage();
  EXPECT_FLOAT_EQ(dmg.d, 0.003f);
  EXPECT_NEAR(dmg.p, kPushP, rel(kPushP));
  EXPECT_NEAR(dmg.di, 0.003 / 0.02 + 0.05 * r.pse / (0.02 * 100.0), 1e-6);
}

TEST_F(Bend1, BeyondTheLastPointTheRuleTurnsNegativeAndTheMomentIsHeld) {
  h->step(0.003f);
  h->step(0.03f);  // split at 150, then at 160; no backbone point above: failed
  EXPECT_EQ(h->material_force(), 160.0f);
  EXPECT_EQ(s()[kRule], -1.0f);
  EXPECT_EQ(h->tangent(), 0.0f);
  for (float d : {0.05f, 0.01f, -0.02f}) {
    EXPECT_EQ(h->step(d), 160.0f) << d;
    EXPECT_EQ(s()[kRule], -1.0f);
    EXPECT_EQ(h->tangent(), 0.0f);
  }
  EXPECT_FALSE(cycle_message());
}

TEST_F(Bend1, UnloadingFromTheBackboneRecordsTheExcursionAndTakesTheFirstSegment) {
  h->step(0.003f);
  h->step(0.0028f);
  const Unloading u(kPushP, 0.003, -100.0, -0.001, 0.003);
  EXPECT_EQ(s()[kRule], 2.0f);
  EXPECT_EQ(s()[kDir], 2.0f);
  EXPECT_EQ(s()[kBackb], 0.0f);
  EXPECT_NEAR(h->tangent(), u.s1, rel(u.s1));
  EXPECT_NEAR(s()[kA], u.m3, rel(u.m3));
  EXPECT_NEAR(h->material_force(), kPushP - 0.0002 * u.s1, rel(kPushP));
  EXPECT_NEAR(h->results().duct[0], 3.0, 1e-5);  // 0.003 / DY
}

struct Unload {
  const char* name;
  float d;  // one step back from the push to 0.003
  float rule;
};

// The step back is split at 75% and 25% of the peak moment; with this backbone
// the last two segments line up on the line to d0, where the moment is zero.
const Unload kUnloads[] = {
    {"first_segment", 0.0027f, 2.0f},
    {"second_segment", 0.0020f, 3.0f},
    {"third_segment", 0.0010f, 4.0f},
};

class Bend1Unload : public Bend1, public ::testing::WithParamInterface<Unload> {};

TEST_P(Bend1Unload, OneStepFromThePeakFollowsTheCurve) {
  const Unload& t = GetParam();
  h->step(0.003f);
  h->step(t.d);
  const Unloading u(kPushP, 0.003, -100.0, -0.001, 0.003);
  // The curve: (0.003, P) - (da, m3) - (db, m1) - (d0, 0).
  const double k2 = std::max(u.ka, u.s2), k3 = std::max(u.kb, u.s3);
  double p = 0.0, k = 0.0;
  std::vector<std::pair<double, double>> path{{0.003, kPushP}};
  if (t.d >= u.da) {
    k = u.s1;
    p = kPushP + k * (t.d - 0.003);
  } else if (t.d >= u.db) {
    path.push_back({u.da, u.m3});
    k = k2;
    p = u.m3 + k * (t.d - u.da);
  } else {
    path.push_back({u.da, u.m3});
    path.push_back({u.db, u.m1});
    k = k3;
    p = u.m1 + k * (t.d - u.db);
  }
  path.push_back({t.d, p});
  EXPECT_EQ(s()[kRule], t.rule);
  EXPECT_NEAR(h->material_force(), p, rel(p));
  EXPECT_NEAR(h->tangent(), k, rel(k));
  const double work = 0.05 + (100.0 + kPushP) / 2.0 * 0.002 + trapezoids(path);
  EXPECT_NEAR(total_work(), work, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(Curve, Bend1Unload, ::testing::ValuesIn(kUnloads),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Bend1, DebugOutput) {
  kv::titles().ibugm |= 1 << 10;
  h->step(0.003f);
  h->step(-0.003f);
  h->step(0.0f);
  std::fputs(h->output().c_str(), stdout);
}

}  // namespace
