// The steel fibre laws along strain paths, stresses worked by hand.
// EM 29000, YS 29 (EY 0.001); law 0 and 1 with RATIO3 0.02 (post-yield 580).
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "members/steel/steel_fibre_laws.h"

namespace {

using members::FibreStep;
using members::SteelFibre;
using members::SteelLaw;

SteelLaw law(int imater, float ratio3 = 0.02f, int ir = 0) {
  SteelLaw l;
  l.imater = imater;
  l.em = 29000.0f;
  l.ys = 29.0f;
  l.ey = 0.001f;
  l.ratio3 = ratio3;
  l.ir = ir;
  return l;
}

SteelFibre fresh() {
  SteelFibre f;
  f.e1 = 0.001f;
  f.e2 = -0.001f;
  return f;
}

// One step of a path and the state expected after it.
struct Step {
  float de;
  float sig, et, e1, e2, iyld;
};

// Runs a path from `start` (the total strain carried along) and checks every step.
void run_path(const SteelLaw& l, SteelFibre f, float eps, const std::vector<Step>& path) {
  int n = 0;
  for (const auto& s : path) {
    SCOPED_TRACE("step " + std::to_string(++n));
    eps += s.de;
    const FibreStep r = members::steel_fibre_law(l, f, s.de, eps, -1.0f, false);
    EXPECT_NEAR(r.s.sig, s.sig, 1e-4 * std::max(1.0f, std::fabs(s.sig)));
    EXPECT_FLOAT_EQ(r.et, s.et);
    EXPECT_NEAR(r.s.e1, s.e1, 1e-8);
    EXPECT_NEAR(r.s.e2, s.e2, 1e-8);
    EXPECT_EQ(r.s.iyld, s.iyld);
    f = r.s;
  }
}

TEST(SteelFibreLaws, BilinearYieldUnloadReverseYield) {
  run_path(law(0), fresh(), 0.0f,
           {
               // elastic
               {0.0005f, 14.5f, 29000, 0.001f, -0.001f, 0},
               // yields at E1: x = 0.0005 beyond: 14.5 + 29000*0.0005 + 580*0.0005
               {0.001f, 29.29f, 580, 0.0015f, -0.0005f, 1},
               // continued yielding moves the band with the strain
               {0.0005f, 29.58f, 580, 0.002f, 0.0f, 1},
               // unloading by 1.5 EY stays inside the band
               {-0.0015f, -13.92f, 29000, 0.002f, 0.0f, 0},
               {-0.0004f, -25.52f, 29000, 0.002f, 0.0f, 0},
               // beyond the lower bound 0.0: yield with x = -0.0005
               {-0.0006f, -28.71f, 580, 0.0015f, -0.0005f, 2},
               // unloading from the lower bound
               {0.001f, 0.29f, 29000, 0.0015f, -0.0005f, 0},
           });
}

TEST(SteelFibreLaws, BilinearHandCasesOfTheBand) {
  const SteelLaw l = law(0);
  // An elastic fibre stepping EY to 1.5 EY: x = 0.5 EY; band [-0.5 EY, 1.5 EY].
  FibreStep r = members::tangs0(l, fresh(), 0.001f, 0.0015f, 0.0f);
  EXPECT_NEAR(r.s.sig, 29000 * 0.0005 + 580 * 0.0005, 1e-4);
  EXPECT_FLOAT_EQ(r.s.e1, 0.0015f);
  EXPECT_FLOAT_EQ(r.s.e2, -0.0005f);
  EXPECT_EQ(r.s.iyld, 1.0f);
  // A yielding fibre unloading by 3 EY in one step: all of it at EM, the band
  // stays.
  SteelFibre y = r.s;
  r = members::tangs0(l, y, -0.003f, -0.0015f, 0.0f);
  EXPECT_NEAR(r.s.sig, y.sig - 87.0f, 1e-4);
  EXPECT_EQ(r.s.iyld, 0.0f);
  EXPECT_EQ(r.s.e1, y.e1);
  EXPECT_EQ(r.s.e2, y.e2);
  // A strain landing exactly on E1 while loading: the stress takes the
  // increment elastically, the fibre stays elastic.
  SteelFibre f = fresh();
  f.sig = 14.5f;
  r = members::tangs0(l, f, 0.0005f, 0.001f, 0.0f);
  EXPECT_FLOAT_EQ(r.s.sig, 29.0f);
  EXPECT_EQ(r.et, 29000.0f);
  EXPECT_EQ(r.s.iyld, 0.0f);
  // Beyond E1 but moving back (after a wide unloading step): elastic.
  f = fresh();
  f.sig = 40.0f;
  r = members::tangs0(l, f, -0.0002f, 0.0013f, 0.0f);
  EXPECT_FLOAT_EQ(r.s.sig, 40.0f - 5.8f);
  EXPECT_EQ(r.et, 29000.0f);
  EXPECT_EQ(r.s.e1, 0.001f);
  // An unknown yield state changes nothing and keeps the held tangent.
  f.iyld = 7.0f;
  r = members::tangs0(l, f, 0.01f, 0.02f, 123.0f);
  EXPECT_EQ(r.s.sig, 40.0f);
  EXPECT_EQ(r.et, 123.0f);
}

TEST(SteelFibreLaws, TwoSlopesTakeTheSlopeWhereTheNewStrainLies) {
  const SteelLaw l = law(1);
  run_path(l, fresh(), 0.0f,
           {
               {0.0005f, 14.5f, 29000, 0.001f, -0.001f, 0},
               {0.001f, 15.08f, 580, 0.001f, -0.001f, 0},   // left the band: all at 580
               {-0.001f, -13.92f, 29000, 0.001f, -0.001f, 0},  // back inside: all at EM
               {-0.0005f, -28.42f, 29000, 0.001f, -0.001f, 0},
           });
  // On a bound counts as outside.
  const FibreStep r = members::tangs1(l, fresh(), -0.001f, -0.001f);
  EXPECT_EQ(r.et, 580.0f);
  EXPECT_FLOAT_EQ(r.s.sig, -0.58f);
}

TEST(SteelFibreLaws, ElasticSwitchAndLinearLaw) {
  for (int imater : {0, 1, 2, 3}) {
    SteelLaw l = law(imater, 0.5f, 3);
    l.elastic = imater != 3;  // IELAS 0; law 3 is elastic whatever it holds
    SteelFibre f = fresh();
    f.iyld = 1.0f;
    f.flw[0] = 3.0f;
    const FibreStep r = members::steel_fibre_law(l, f, 0.003f, 0.004f, -1.0f, false);
    EXPECT_FLOAT_EQ(r.s.sig, 87.0f) << imater;
    EXPECT_EQ(r.et, 29000.0f);
    EXPECT_EQ(r.s.e1, 0.001f);
    EXPECT_EQ(r.s.iyld, 1.0f);
    EXPECT_EQ(r.s.flw[0], 3.0f);
  }
  // A law number outside 0..3 runs no law.
  const FibreStep r = members::steel_fibre_law(law(4), fresh(), 0.003f, 0.004f, 77.0f, false);
  EXPECT_EQ(r.s.sig, 0.0f);
  EXPECT_EQ(r.et, 77.0f);
}

// Law 2 with IR 3, RATIO3 0.5: ET(x) = 29000/(1 + 1.5 x^2).
struct RoStep {
  float de;
  float sig, et;
  float ks, sr, si;
};

TEST(SteelFibreLaws, RambergOsgoodSkeletonMasingAndInnerBranch) {
  const SteelLaw l = law(2, 0.5f, 3);
  SteelFibre f = fresh();
  FibreStep r = members::tangs2(l, f, 0.0f, 0.0f, true, -1.0f);  // set-up
  EXPECT_EQ(r.et, 29000.0f);
  EXPECT_EQ(r.s.flw[0], 1.0f);
  EXPECT_EQ(r.s.flw[3], 1.0f);
  f = r.s;
  const std::vector<RoStep> path = {
      {0.001f, 29.0f, 29000.0f, 1, 0, 0},             // ET(0)
      {0.001f, 40.6f, 11600.0f, 1, 0, 0},             // ET(1) = 29000/2.5
      // reversal on the skeleton: origin SR = 40.6, tangent ET(0)
      {-0.001f, 11.6f, 29000.0f, 2, 40.6f, 0},
      // reversal on the Masing branch within 2 YS of SR: inner branch from SI
      {0.0005f, 26.1f, 29000.0f, 3, 40.6f, 11.6f},
      // inner branch: tangent of the entry stress ET(0.5) = 21090.909, then
      // the new tangent ET((36.645 - 11.6)/29)
      {0.0005f, 36.645454f, 13686.982f, 3, 40.6f, 11.6f},
      // passes SR: back on the skeleton (K0 1, SR0 0)
      {0.0005f, 43.488946f, 10306.559f, 1, 0, 11.6f},
      {0.0005f, 46.804531f, 6631.171f, 1, 0, 11.6f},
  };
  int n = 0;
  for (const auto& s : path) {
    SCOPED_TRACE("step " + std::to_string(++n));
    // The held tangent is nonsense: the law must not read it.
    r = members::tangs2(l, f, s.de, 0.0f, false, -5.0f);
    EXPECT_NEAR(r.s.sig, s.sig, 2e-5 * std::fabs(s.sig));
    EXPECT_NEAR(r.et, s.et, 2e-5 * s.et);
    EXPECT_EQ(r.s.flw[0], s.ks);
    EXPECT_NEAR(r.s.flw[4], s.sr, 1e-5);
    EXPECT_NEAR(r.s.flw[2], s.si, 1e-5);
    EXPECT_EQ(r.s.iyld, s.de);
    f = r.s;
  }
}

TEST(SteelFibreLaws, RambergOsgoodReversalsBelowAndAboveZero) {
  const SteelLaw l = law(2, 0.5f, 3);
  // Masing branch from SR 40.6 run down past SR - 2YS: a reversal starts a new
  // branch from it (K0 2, SR0 40.6).
  SteelFibre f;
  f.sig = -20.0f;
  f.iyld = -0.001f;
  f.flw = {2.0f, 0.0f, 0.0f, 1.0f, 40.6f};
  FibreStep r = members::tangs2(l, f, 0.001f, 0.0f, false, 0.0f);
  EXPECT_FLOAT_EQ(r.s.sig, 9.0f);
  EXPECT_EQ(r.s.flw[0], 2.0f);
  EXPECT_EQ(r.s.flw[1], 40.6f);
  EXPECT_EQ(r.s.flw[3], 2.0f);
  EXPECT_EQ(r.s.flw[4], -20.0f);
  // The mirror of the inner-branch case: SR -40.6, reversal at -11.6.
  f.sig = -11.6f;
  f.iyld = 0.001f;
  f.flw = {2.0f, 0.0f, 0.0f, 1.0f, -40.6f};
  r = members::tangs2(l, f, -0.0005f, 0.0f, false, 0.0f);
  EXPECT_FLOAT_EQ(r.s.sig, -26.1f);
  EXPECT_EQ(r.s.flw[0], 3.0f);
  EXPECT_EQ(r.s.flw[2], -11.6f);
  // IR 1: one slope EM/(1 + RATIO3) whatever the stress.
  EXPECT_FLOAT_EQ(members::ramberg_osgood_tangent(law(2, 0.5f, 1), 3.0f), 29000.0f / 1.5f);
  EXPECT_FLOAT_EQ(members::ramberg_osgood_tangent(law(2, 0.5f, 1), 0.0f), 29000.0f / 1.5f);
  // No exponent that gives a finite tangent: no stiffness, never NaN.
  EXPECT_EQ(members::ramberg_osgood_tangent(law(2, 0.5f, -2), 0.0f), 0.0f);
  EXPECT_EQ(members::ramberg_osgood_tangent(law(2, 0.5f, 0), 0.0f), 29000.0f);
}

}  // namespace
