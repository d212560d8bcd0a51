// ENRGY, DUCTEX and the Park-Ang index against hand-computed segments.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "materials/harness.h"
#include "materials/matdsp.h"

namespace {

using materials::ductex;
using materials::enrgy;
using materials::park_ang;

struct EnrgyCase {
  const char* name;
  // in
  std::array<float, 3> ese;
  float pse, cse, p, pl, d, dl, ke;
  // expected
  std::array<float, 3> ese_out;
  float pse_out, cse_out;
};

// Every expected value below is worked by hand from the segment's work
// dW = (d - dl)(p + pl)/2, total = ese1 + pse + dW, ese1 = p^2/(2 ke) capped by
// the total, pse = total - ese1.
const EnrgyCase kEnrgyCases[] = {
    // Elastic loading from the origin: dW 0.5, ese 100/200 = 0.5, nothing plastic.
    {"elastic_loading", {0, 0, 0}, 0, 0, 10, 0, 0.1f, 0, 100, {0.5f, 0.5f, 0}, 0, 0},
    // d == dl: no work, ese recomputed 25/200, the rest becomes plastic; p*pl > 0
    // keeps cse.
    {"no_deformation_change", {0.5f, 0.5f, 0}, 0, 0.2f, 5, 10, 0.1f, 0.1f, 100,
     {0.125f, 0.5f, 0}, 0.375f, 0.2f},
    // p + pl == 0: no work; the force crossed zero with pse unchanged -> cse = pse.
    {"opposite_forces", {0.5f, 0.5f, 0}, 1, 0, -10, 10, 0.2f, 0, 100, {0.5f, 0.5f, 0.5f}, 1, 1},
    // p == 0 at the end: everything plastic, total 2.5 + 0.5 = 3; cse = new pse.
    {"force_to_zero", {0.5f, 0.5f, 0}, 2, 0, 0, 10, 0.3f, 0.2f, 100, {0, 0.5f, 0}, 3, 3},
    // Zero crossing while pse falls: dW = -1, total 4, ese 16/20 = 0.8, pse 3.2,
    // cse = 3.2 + (5 - 3.2)(-4)/(6 + 4) = 2.48.
    {"crossing_pse_falls", {0, 0, 0}, 5, 0, -4, 6, 0, 1, 10, {0.8f, 0, 0.8f}, 3.2f, 2.48f},
    // Zero crossing while pse grows: dW = 1, total 1.005, ese 9/200, pse 0.96 = cse.
    {"crossing_pse_grows", {0.005f, 0.005f, 0}, 0, 0, -3, 1, -1, 0, 100,
     {0.045f, 0.005f, 0.045f}, 0.96f, 0.96f},
    // ke == 0: the whole total is elastic.
    {"zero_stiffness", {0, 0, 0}, 0, 0, 10, 0, 1, 0, 0, {5, 5, 0}, 0, 0},
    // The elastic energy may not exceed the total work: 0.5 capped at 0.25.
    {"capped_by_total", {0, 0, 0}, 0, 0, 10, 0, 0.05f, 0, 100, {0.25f, 0.25f, 0}, 0, 0},
    // Negative stiffness (falling branch): no negative elastic energy; all of the
    // total 0.3 + 1 + 1.8 = 3.1 is plastic.
    {"negative_stiffness", {0.3f, 0.3f, 0}, 1, 0.5f, 8, 10, 1.2f, 1.0f, -50, {0, 0.3f, 0}, 3.1f,
     0.5f},
};

class EnrgyTable : public ::testing::TestWithParam<EnrgyCase> {};

TEST_P(EnrgyTable, SplitsTheSegmentWork) {
  const EnrgyCase& t = GetParam();
  std::array<float, 3> ese = t.ese;
  float pse = t.pse, cse = t.cse;
  // k is passed but never read: a wild value must not matter.
  enrgy(ese.data(), pse, cse, t.p, t.pl, t.d, t.dl, 12345.0f, t.ke);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(ese[k], t.ese_out[k], 1e-6f) << "ese " << k + 1;
  EXPECT_NEAR(pse, t.pse_out, 1e-6f);
  EXPECT_NEAR(cse, t.cse_out, 1e-6f);
  EXPECT_GE(ese[0], 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Bookkeeping, EnrgyTable, ::testing::ValuesIn(kEnrgyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Enrgy, ElasticCycleLeavesNoPlasticEnergy) {
  // Load and unload on the line of slope ke through the origin, in both senses.
  const float ke = 250.0f;
  std::array<float, 3> ese{};
  float pse = 0.0f, cse = 0.0f;
  const float path[] = {0.02f, 0.05f, 0.01f, -0.03f, -0.06f, 0.0f, 0.04f};
  float dl = 0.0f, pl = 0.0f;
  for (float d : path) {
    const float p = ke * d;
    enrgy(ese.data(), pse, cse, p, pl, d, dl, 0.0f, ke);
    EXPECT_NEAR(ese[0], p * p / (2 * ke), 1e-5f);
    EXPECT_NEAR(pse, 0.0f, 1e-5f);
    dl = d;
    pl = p;
  }
  EXPECT_NEAR(ese[1], 0.3125f, 1e-5f);                // (250*0.05)^2/500
  EXPECT_NEAR(ese[2], 0.45f, 1e-5f);                  // (250*0.06)^2/500
}

struct DuctexCase {
  const char* name;
  float dy, d, ese, pse, cse, ey;
  std::array<float, 3> umax;
  std::array<float, 6> ex;
  std::array<float, 3> umax_out;
  std::array<float, 6> ex_out;
};

const DuctexCase kDuctexCases[] = {
    // w = 2: r1 = 0.25/0.1, r2 = 2/0.5 + 1, r3 = 2/0.25 + 1; larger maxima stay.
    {"three_ratios", 0.1f, 0.25f, 0.5f, 3, 1, 0.25f, {1, 6, 1}, {0.5f, 0.5f, 0.5f, 0, 0, 10},
     {2.5f, 6, 9}, {0.5f, 0.5f, 0.5f, 2.5f, 5, 10}},
    // The negative sense: d = -2 dy passed with -dy gives 2.
    {"negative_sense", -0.1f, -0.2f, 0.5f, 0, 0, 0.5f, {0, 0, 0}, {0, 0, 0, 0, 0, 0},
     {2, 1, 1}, {0, 0, 0, 2, 1, 1}},
    // Zero divisors form no ratio: maxima and peaks keep their values (no inf).
    {"zero_divisors", 0, 0.3f, 0, 5, 1, 0, {0.7f, 0.7f, 0.7f}, {0, 0, 0, 0.4f, 0.4f, 0.4f},
     {0.7f, 0.7f, 0.7f}, {0, 0, 0, 0.4f, 0.4f, 0.4f}},
};

class DuctexTable : public ::testing::TestWithParam<DuctexCase> {};

TEST_P(DuctexTable, UpdatesMaximaAndPeaks) {
  const DuctexCase& t = GetParam();
  std::array<float, 3> umax = t.umax;
  std::array<float, 6> ex = t.ex;
  ductex(1, umax.data(), ex.data(), t.dy, t.d, t.ese, t.pse, t.cse, t.ey);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(umax[k], t.umax_out[k], 1e-6f) << "umax " << k + 1;
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(ex[k], t.ex_out[k], 1e-6f) << "ex " << k + 1;
}

INSTANTIATE_TEST_SUITE_P(Bookkeeping, DuctexTable, ::testing::ValuesIn(kDuctexCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Ductex, ClosingAnExcursionCountsPeaksAboveOne) {
  std::array<float, 3> umax{4, 4, 4};
  std::array<float, 6> ex{1, 2, 3, 0.8f, 1.0f, 2.5f};
  // Only ex is read when closing: junk elsewhere must not matter.
  ductex(0, umax.data(), ex.data(), 0.0f, 99.0f, 0.0f, 7.0f, 1.0f, 0.0f);
  const std::array<float, 6> expected{1, 2, 4.5f, 0, 0, 0};
  for (int k = 0; k < 6; ++k) EXPECT_FLOAT_EQ(ex[k], expected[k]) << "ex " << k + 1;
  EXPECT_EQ(umax, (std::array<float, 3>{4, 4, 4}));
}

TEST(ParkAng, FormAndGuards) {
  // Elastoplastic set KE 100, PY 10 (DY 0.1), MAX DUCT 10 (Du 1.0), BETA 0.1,
  // largest |D| 0.3, PSE 10: 0.3/1.0 + 0.1/(1.0*10)*10 = 0.4.
  EXPECT_NEAR(park_ang(0.3f, 1.0f, 0.1f, 10.0f, 10.0f), 0.4f, 1e-6f);
  EXPECT_NEAR(park_ang(-0.3f, 1.0f, 0.1f, 10.0f, 10.0f), 0.4f, 1e-6f);
  // No ultimate deformation: no index rather than infinity.
  EXPECT_EQ(park_ang(0.3f, 0.0f, 0.1f, 10.0f, 10.0f), 0.0f);
  // No yield force: the energy term is dropped.
  EXPECT_NEAR(park_ang(0.5f, 2.0f, 0.1f, 0.0f, 10.0f), 0.25f, 1e-6f);
}


// A linear elastic spring that books its energies, ductilities and excursions
// as the hysteretic models do, driven through MATDSP by the harness.
constexpr int kToyType = 201;

// State words: 1 tangent, 2-4 ESE(1..3), 5 PSE, 6 CSE, 7-9 UP1-3, 10-12 UN1-3,
// 13-18 EX1-6, 19 and 20 the V and VL received, 21 the trial P received.
void toy_spring(materials::MatCall& c) {
  c.nstate = 21;
  float* prop = materials::prop_words(c);
  float* s = materials::state_words(c);
  const float ke = prop[1];
  const float dy = prop[2];
  switch (c.iopt) {
    case materials::kOptRead: {
      std::string name;
      materials::read_set_record(c.set, name, prop[1], prop[2]);
      c.nprop = 2;
      break;
    }
    case materials::kOptInit:
      for (int k = 1; k <= 21; ++k) s[k] = 0.0f;
      s[1] = ke;
      break;
    case materials::kOptState: {
      s[19] = c.v;
      s[20] = c.vl;
      s[21] = c.p;
      const float p = ke * c.d;
      if (p * c.pl < 0.0f) ductex(2, &s[7], &s[13], 0, 0, 0, 0, 0, 0);
      enrgy(&s[2], s[5], s[6], p, c.pl, c.d, c.dl, ke, ke);
      const float ey = dy * (ke * dy) / 2.0f;
      if (c.d >= 0.0f) {
        ductex(1, &s[7], &s[13], dy, c.d, s[3], s[5], s[6], ey);
      } else {
        ductex(1, &s[10], &s[13], -dy, c.d, s[4], s[5], s[6], ey);
      }
      c.p = p;
      // Drivers may move the caller's PL and DL: the element passes copies.
      c.pl = 999.0f;
      c.dl = 999.0f;
      break;
    }
    case materials::kOptResults:
      c.ese = s[2];
      c.pse = s[5];
      for (int k = 0; k < 3; ++k) c.duct[k] = std::max(s[7 + k], s[10 + k]);
      for (int k = 0; k < 6; ++k) c.ex[k] = s[13 + k];
      break;
    default:
      break;
  }
}

class ToySpring : public ::testing::Test {
 protected:
  void SetUp() override { materials::register_material(kToyType, toy_spring); }
  void TearDown() override { materials::register_material(kToyType, nullptr); }
};

TEST_F(ToySpring, EnergiesDuctilitiesAndExcursionsAlongAPath) {
  // KE 100, DY 0.1: yield force 10, elastic energy at yield 0.5.
  mtest::MaterialHarness h(kToyType, "TOY 100. 0.1\n");
  h.init();
  EXPECT_EQ(h.nstate(), 21);
  EXPECT_FLOAT_EQ(h.tangent(), 100.0f);

  // 0 -> 0.3 in three steps: P = 30, ESE = 30^2/200 = 4.5, deformation
  // ductility 3, energy ductilities 1 (nothing plastic).
  EXPECT_NEAR(h.walk(0.3f, 3), 30.0f, 1e-4f);
  materials::MatCall r = h.results();
  EXPECT_NEAR(r.ese, 4.5f, 1e-5f);
  EXPECT_NEAR(r.pse, 0.0f, 1e-5f);
  EXPECT_NEAR(r.duct[0], 3.0f, 1e-5f);
  EXPECT_NEAR(r.duct[1], 1.0f, 1e-5f);
  EXPECT_NEAR(r.duct[2], 1.0f, 1e-5f);
  const float ex_loaded[] = {0, 0, 0, 3, 1, 1};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(r.ex[k], ex_loaded[k], 1e-5f) << "EX" << k + 1;

  // One step back to -0.2: the trial force is 30 + (-0.5)(100) = -20; the
  // force changed sign, so the excursion closed with peak 3 (EX1 += 2); the
  // negative sense reaches 0.2/0.1 = 2; ESE = 400/200 = 2, still nothing plastic.
  EXPECT_NEAR(h.step(-0.2f), -20.0f, 1e-4f);
  EXPECT_NEAR(h.committed()[21], -20.0f, 1e-4f);
  r = h.results();
  EXPECT_NEAR(r.ese, 2.0f, 1e-5f);
  EXPECT_NEAR(r.pse, 0.0f, 1e-5f);
  EXPECT_NEAR(r.duct[0], 3.0f, 1e-5f);
  const float ex_back[] = {2, 0, 0, 2, 1, 1};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(r.ex[k], ex_back[k], 1e-5f) << "EX" << k + 1;
  EXPECT_NEAR(h.committed()[4], 2.0f, 1e-5f);  // ESE(3)
  EXPECT_NEAR(h.committed()[3], 4.5f, 1e-5f);  // ESE(2)

  // The harness keeps the element's committed point, not what the driver wrote
  // into its copies of PL and DL.
  EXPECT_NEAR(h.force(), -20.0f, 1e-4f);
  EXPECT_FLOAT_EQ(h.deformation(), -0.2f);
}

TEST_F(ToySpring, RatesHandedToTheModel) {
  mtest::MaterialHarness h(kToyType, "TOY 100. 0.1\n");
  h.init();
  h.step(0.1f);                  // default V: the increment, VL the committed 0
  EXPECT_FLOAT_EQ(h.committed()[19], 0.1f);
  EXPECT_FLOAT_EQ(h.committed()[20], 0.0f);
  h.step(0.3f);
  EXPECT_FLOAT_EQ(h.committed()[19], 0.3f - 0.1f);
  EXPECT_FLOAT_EQ(h.committed()[20], 0.1f);
  h.step(0.2f, 5.0f);            // a rate given by the test
  EXPECT_FLOAT_EQ(h.committed()[19], 5.0f);
  EXPECT_FLOAT_EQ(h.committed()[20], 0.3f - 0.1f);
  EXPECT_FLOAT_EQ(h.velocity(), 5.0f);
}

}  // namespace
