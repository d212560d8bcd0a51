// The per-segment routines of the member: frames, deformation increments,
// eccentric loading points, segment stiffness, force recovery and the small
// matrix routines, against hand values.
#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "member_fixture.h"
#include "members/member_matrices.h"
#include "members/segment_kinematics.h"
#include "members/segment_routines.h"

namespace {

using namespace members;
constexpr float kPi = std::numbers::pi_v<float>;

// N x 12 and N x 12 x 12 tables in buffers of their own.
struct Tables {
  explicit Tables(int n) : n(n), a(12 * n), b(12 * n), c(12 * n), k(144 * n) {}
  int n;
  std::vector<float> a, b, c, k;
  SegTable t1() { return {a.data(), n}; }
  SegTable t2() { return {b.data(), n}; }
  SegTable t3() { return {c.data(), n}; }
  SegMatrices sks() { return {k.data(), n}; }
};

void expect_frame(const Frame& r, const Frame& want) {
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(r[i], want[i], 2e-7) << i;
}

TEST(SegmentKinematics, FramesFromEndsTwistsAndPrincipalAngle) {
  const std::array<float, 3> a{0, 1, 0}, b{0, 0, 1};
  RotmatResult r = rotmat({0, 0, 0}, 0, {0, 0, 30}, 0, a, b, 0, false);
  expect_frame(r.r, {1, 0, 0, 0, 1, 0, 0, 0, 1});
  EXPECT_EQ(r.chord, 30.0f);
  // BETA pi/2: V = (-1, 0, 0), U = (0, 1, 0).
  r = rotmat({0, 0, 0}, 0, {0, 0, 30}, 0, a, b, kPi / 2, false);
  expect_frame(r.r, {0, 1, 0, -1, 0, 0, 0, 0, 1});
  // Opposite end twists leave only BETA; equal ones add to it.
  const RotmatResult opp = rotmat({0, 0, 0}, 0.3f, {0, 0, 30}, -0.3f, a, b, 0.2f, false);
  const RotmatResult eq = rotmat({0, 0, 0}, 0.1f, {0, 0, 30}, 0.1f, a, b, 0.1f, false);
  expect_frame(opp.r, eq.r);
  EXPECT_NEAR(opp.r[3], -std::sin(0.2f), 1e-6);
  // A chord off the roll axis: still orthonormal and right-handed.
  r = rotmat({0, 0, 0}, 0, {3, 4, 12}, 0, a, b, 0.4f, false);
  EXPECT_FLOAT_EQ(r.chord, 13.0f);
  const Frame& f = r.r;
  auto dot = [&](int p, int q) { return f[p] * f[q] + f[p + 1] * f[q + 1] + f[p + 2] * f[q + 2]; };
  EXPECT_NEAR(dot(0, 0), 1, 1e-6);
  EXPECT_NEAR(dot(3, 3), 1, 1e-6);
  EXPECT_NEAR(dot(0, 3), 0, 1e-6);
  EXPECT_NEAR(dot(3, 6), 0, 1e-6);
  EXPECT_NEAR(f[6], 3.0f / 13, 1e-7);
  EXPECT_NEAR(f[0] - (f[4] * f[8] - f[5] * f[7]), 0, 1e-6);  // U = V x W
  // Degenerate geometry gives a frame, never NaN.
  r = rotmat({1, 1, 1}, 0, {1, 1, 1}, 0, a, b, 0, false);
  for (float x : r.r) EXPECT_TRUE(std::isfinite(x));
  r = rotmat({0, 0, 0}, 0, {0, 5, 0}, 0, a, b, 0, false);
  for (float x : r.r) EXPECT_TRUE(std::isfinite(x));
}

TEST(SegmentKinematics, AverageAndEndDeformations) {
  const Frame id{1, 0, 0, 0, 1, 0, 0, 0, 1};
  // A rigid translation deforms nothing.
  LocalEnds e = local_ends(id, {1, 2, 3, 0, 0, 0}, {1, 2, 3, 0, 0, 0});
  AverageDeformation d = segdef(e, 10);
  EXPECT_EQ(d.dec, 0.0f);
  EXPECT_EQ(d.dcu, 0.0f);
  // Identity frame: differences of the end values over the length.
  e = local_ends(id, {0, 0, 0.1f, 0.01f, 0.02f, 0.5f}, {0, 0, 0.3f, 0.03f, -0.02f, -0.5f});
  d = segdef(e, 10);
  EXPECT_FLOAT_EQ(d.dec, 0.02f);
  EXPECT_FLOAT_EQ(d.dcu, 0.002f);
  EXPECT_FLOAT_EQ(d.dcv, -0.004f);
  EXPECT_FLOAT_EQ(e.ya[5], 0.5f);  // the twist is carried, not used
  // A turned frame: member x is the segment's -V.
  const Frame turned{0, 1, 0, -1, 0, 0, 0, 0, 1};
  e = local_ends(turned, {0, 0, 0, 0.01f, 0, 0}, {0, 0, 0, 0.03f, 0, 0});
  d = segdef(e, 10);
  EXPECT_FLOAT_EQ(d.dcv, -0.002f);
  EXPECT_FLOAT_EQ(d.dcu, 0.0f);
  // Cubic segment: equal end rotations theta about U give -6 theta/L and
  // 6 theta/L; a V offset delta alone 6 delta/L^2 and -6 delta/L^2.
  EndDeformation b = segdefb(local_ends(id, {0, 0, 0, 0.01f, 0, 0}, {0, 0, 0, 0.01f, 0, 0}), 10);
  EXPECT_FLOAT_EQ(b.dcu1, -0.006f);
  EXPECT_FLOAT_EQ(b.dcu2, 0.006f);
  b = segdefb(local_ends(id, {0, 0.5f, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}), 10);
  EXPECT_FLOAT_EQ(b.dcu1, 0.03f);
  EXPECT_FLOAT_EQ(b.dcu2, -0.03f);
  b = segdefb(local_ends(id, {0.5f, 0, 0.1f, 0, 0.01f, 0}, {0, 0, 0.2f, 0, 0, 0}), 10);
  EXPECT_FLOAT_EQ(b.dec1, 0.01f);
  EXPECT_FLOAT_EQ(b.dec2, 0.01f);
  EXPECT_FLOAT_EQ(b.dcv1, -0.004f - 0.03f);
  EXPECT_FLOAT_EQ(b.dcv2, 0.002f + 0.03f);
}

TEST(EccentricLoading, EccentricitiesAndTransformation) {
  std::vector<float> w(8, 0.0f);
  Col ulpe{&w[0]}, vlpe{&w[2]}, ex{&w[4]}, ey{&w[6]};
  ulpe(1) = 1;
  vlpe(1) = 2;
  ulpe(2) = -1;
  vlpe(2) = 0.5f;
  eccent(3, 1, 0.5f, 0.5f, 0, 0, ulpe, vlpe, ex, ey, false);
  EXPECT_FLOAT_EQ(ex(1), -0.5f);
  EXPECT_FLOAT_EQ(ey(1), -1.5f);
  EXPECT_EQ(ex(2), 0.0f);  // an inner segment's call touches nothing at end B
  eccent(3, 1, 0.5f, 0.5f, kPi / 2, 0, ulpe, vlpe, ex, ey, false);
  EXPECT_NEAR(ex(1), 1.5f, 1e-6);
  EXPECT_NEAR(ey(1), -0.5f, 1e-6);
  eccent(1, 1, 0, 0, 0, kPi, ulpe, vlpe, ex, ey, false);  // one segment: both ends
  EXPECT_FLOAT_EQ(ex(1), -1.0f);
  EXPECT_NEAR(ex(2), -1.0f, 1e-6);
  EXPECT_NEAR(ey(2), 0.5f, 1e-6);

  // TE couples rotations into translations; an identity stiffness becomes
  // TE' TE, symmetric.
  ex(1) = 2;
  ey(1) = 0;
  ex(2) = 0;
  ey(2) = -3;
  std::array<float, 144> k{}, te{};
  for (int i = 0; i < 12; ++i) k[i * 13] = 1.0f;
  trank(k.data(), ex, ey, te.data());
  auto t = [&](int r, int c) { return te[(c - 1) * 12 + r - 1]; };
  EXPECT_EQ(t(3, 5), -2.0f);
  EXPECT_EQ(t(2, 6), 2.0f);
  EXPECT_EQ(t(7, 12), 3.0f);
  EXPECT_EQ(t(9, 10), -3.0f);
  // Axial force N alone at the loading point of end A is N and e*N about y at
  // the centroid: loading-point forces are TE' times centroid forces.
  const float n = 10.0f;
  std::array<float, 12> fc{0, 0, n, 0, 2 * n, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 1; i <= 12; ++i) {
    float s = 0;
    for (int m = 1; m <= 12; ++m) s += t(m, i) * fc[m - 1];
    EXPECT_FLOAT_EQ(s, i == 3 ? n : 0.0f) << i;
  }
  for (int i = 1; i <= 12; ++i) {
    for (int j = 1; j <= 12; ++j) EXPECT_EQ(k[(j - 1) * 12 + i - 1], k[(i - 1) * 12 + j - 1]);
  }
  EXPECT_FLOAT_EQ(k[(5 - 1) * 12 + 5 - 1], 1.0f + 4.0f);
}

TEST(SegmentStiffness, ElasticLinearisedAndStabilityFunctions) {
  Tables tb(2);
  const Rigidities r{1000, 3.0e6f, 2.0e6f, 5.0e5f};
  const float l = 50;
  // P = 0: the elastic stiffness with either option.
  for (int istif : {0, 1}) {
    const Mat12 k = segstf(2, 1, false, istif, r, l, tb.t1(), tb.sks());
    EXPECT_FLOAT_EQ(at(k, 1, 1), 12 * 2.0e6f / (l * l * l));
    EXPECT_FLOAT_EQ(at(k, 2, 4), -6 * 3.0e6f / (l * l));
    EXPECT_FLOAT_EQ(at(k, 11, 11), 4 * 2.0e6f / l);
    EXPECT_FLOAT_EQ(at(k, 4, 10), 2 * 3.0e6f / l);
    EXPECT_FLOAT_EQ(at(k, 3, 9), -1000 / l);
    EXPECT_FLOAT_EQ(at(k, 12, 6), -5.0e5f / l);
    EXPECT_FLOAT_EQ(at(k, 7, 11), -6 * 2.0e6f / (l * l));
    EXPECT_EQ(tb.sks()(2, 7, 11), at(k, 7, 11));
  }
  // Compression softens the linearised form by 6P/(5L).
  tb.t1()(1, 3) = 1000;
  Mat12 k = segstf(1, 1, false, 1, r, l, tb.t1(), tb.sks());
  EXPECT_FLOAT_EQ(at(k, 1, 1), 12 * 2.0e6f / (l * l * l) - 6 * 1000 / (5 * l));
  EXPECT_FLOAT_EQ(at(k, 5, 11), 2 * 2.0e6f / l + 1000 * l / 30);
  // At P = pi^2 EIV/L^2 (mu = pi about V): K55 = K5,11 = pi^2 EIV/(4L), K11 = 0.
  const Rigidities s{1000, 3.0e6f, 3.0e6f, 5.0e5f};
  tb.t1()(1, 3) = kPi * kPi * 3.0e6f / (l * l);
  k = segstf(1, 1, false, 0, s, l, tb.t1(), tb.sks());
  EXPECT_NEAR(at(k, 5, 5), kPi * kPi * 3.0e6f / (4 * l), 1.0);
  EXPECT_NEAR(at(k, 5, 11), kPi * kPi * 3.0e6f / (4 * l), 1.0);
  EXPECT_NEAR(at(k, 1, 1), 0.0, 1e-2);
  // Tension with the hyperbolic functions stiffens.
  tb.t1()(1, 3) = -50000;
  k = segstf(1, 1, false, 0, r, l, tb.t1(), tb.sks());
  EXPECT_GT(at(k, 1, 1), 12 * 2.0e6f / (l * l * l));
  // Either side of lambda 0.05 the two forms agree closely.
  const float p05 = 0.05f * 0.05f * 2.0e6f / (l * l);
  tb.t1()(1, 3) = p05 * 0.999f;
  const Mat12 below = segstf(1, 1, false, 0, r, l, tb.t1(), tb.sks());
  tb.t1()(1, 3) = p05 * 1.001f;
  const Mat12 above = segstf(1, 1, false, 0, r, l, tb.t1(), tb.sks());
  for (int i = 0; i < 144; ++i) EXPECT_NEAR(above[i], below[i], 2e-4 * std::fabs(below[i]) + 1e-3);
  // Any other option: a zero stiffness, still stored.
  k = segstf(1, 1, false, 2, r, l, tb.t1(), tb.sks());
  for (float x : k) EXPECT_EQ(x, 0.0f);
  EXPECT_EQ(tb.sks()(1, 1, 1), 0.0f);
}

class SegmentStiffnessOutput : public memtest::MemberOutputTest {};

TEST_F(SegmentStiffnessOutput, AtTheSegmentsOwnBucklingLoadTheLinearisedFormStands) {
  Tables tb(1);
  const Rigidities r{1000, 3.0e6f, 3.0e6f, 5.0e5f};
  const float l = 50;
  // mu = 2 pi about both axes: D = 0.
  tb.t1()(1, 3) = 4 * kPi * kPi * 3.0e6f / (l * l);
  const Mat12 k = segstf(1, 9, false, 0, r, l, tb.t1(), tb.sks());
  for (float x : k) EXPECT_TRUE(std::isfinite(x));
  const Mat12 lin = segstf(1, 9, false, 1, r, l, tb.t1(), tb.sks());
  EXPECT_EQ(at(k, 1, 1), at(lin, 1, 1));
  EXPECT_NE(output().find(" ** WARNING: ELEMENT    9 SEG.    1 AT THE BUCKLING LOAD"), std::string::npos);
}

TEST(SegmentStiffness, TaperedSegment) {
  Tables tb(1);
  const float l = 40;
  const Rigidities r1{1000, 2.0e6f, 4.0e6f, 100}, r2{1000, 1.0e6f, 4.0e6f, 300};
  const Mat12 k = tapstf(1, 1, false, 1, r1, r2, l, tb.t1(), tb.sks());
  EXPECT_FLOAT_EQ(at(k, 4, 4), 7 * 1.0e6f / l);
  EXPECT_FLOAT_EQ(at(k, 10, 10), 5 * 1.0e6f / l);
  EXPECT_FLOAT_EQ(at(k, 6, 6), 200 / l);
  // Equal ends: the linearised stiffness of one section, with an axial force.
  tb.t1()(1, 3) = 2500;
  const Mat12 t = tapstf(1, 1, false, 1, r1, r1, l, tb.t1(), tb.sks());
  const Mat12 s = segstf(1, 1, false, 1, r1, l, tb.t1(), tb.sks());
  for (int i = 0; i < 144; ++i) EXPECT_NEAR(t[i], s[i], 1e-5 * std::fabs(s[i]) + 1e-3) << i;
}

TEST(SegmentForces, RecoveryAdjustmentAndMemberAxes) {
  Tables tb(2);
  SegTable dglo = tb.t1(), floc = tb.t2(), fglo = tb.t3();
  const Frame turned{0, 1, 0, -1, 0, 0, 0, 0, 1};
  for (int k = 1; k <= 12; ++k) floc(2, k) = static_cast<float>(k);
  // No increment: FLOC stays, FGLO is T' FLOC.
  Mat12 t = cldaf3(turned, 2, dglo, tb.sks(), fglo, floc, false);
  EXPECT_EQ(floc(2, 5), 5.0f);
  EXPECT_FLOAT_EQ(fglo(2, 1), -2.0f);  // member x = -V
  EXPECT_FLOAT_EQ(fglo(2, 2), 1.0f);
  EXPECT_EQ(at(t, 4, 5), 1.0f);
  // An increment through the stored stiffness.
  tb.sks()(1, 3, 3) = 100;
  dglo(1, 3) = 0.5f;
  cldaf3({1, 0, 0, 0, 1, 0, 0, 0, 1}, 1, dglo, tb.sks(), fglo, floc, false);
  EXPECT_FLOAT_EQ(floc(1, 3), 50.0f);
  EXPECT_FLOAT_EQ(fglo(1, 3), 50.0f);

  // Uniform bending -M, +M adjusted to the section's -M'; no offset: no shear.
  SegTable floca = tb.t3();
  for (int k = 1; k <= 12; ++k) floc(1, k) = floca(1, k) = 0.0f;
  floc(1, 4) = -100;
  floc(1, 10) = 100;
  floc(1, 3) = 40;
  floc(1, 9) = -40;
  floca(1, 4) = -80;
  floca(1, 3) = 35;
  const LocalEnds none{};
  lfadjust(floca, floc, 1, 10, 1, none, false);
  EXPECT_FLOAT_EQ(floc(1, 4), -80.0f);
  EXPECT_FLOAT_EQ(floc(1, 10), 80.0f);
  EXPECT_EQ(floc(1, 2), 0.0f);
  EXPECT_FLOAT_EQ(floc(1, 3), 35.0f);
  EXPECT_FLOAT_EQ(floc(1, 9), -35.0f);
  // End moments of one sign (double curvature): left as they are.
  floc(1, 4) = 50;
  floc(1, 10) = 50;
  floc(1, 2) = 7;
  lfadjust(floca, floc, 1, 10, 1, none, false);
  EXPECT_EQ(floc(1, 4), 50.0f);
  EXPECT_EQ(floc(1, 2), 7.0f);
  // U bending alone (a moment-curvature section): half the difference of the
  // end moments becomes the section's -90, their sum -40 stays, the shear
  // takes the P-delta of an offset 0.2 along V under the axial force -40 at B;
  // the axial forces and the V moments are left although the section has none.
  {
    Tables tu(1);
    SegTable fu = tu.t1(), fa = tu.t2();
    fu(1, 4) = -100; fu(1, 10) = 60; fu(1, 3) = 40; fu(1, 9) = -40; fu(1, 5) = -30; fu(1, 11) = 30;
    fa(1, 4) = -90;
    LocalEnds dv{};
    dv.yb[1] = 0.2f;
    lfadjust(fa, fu, 1, 10, 1, dv, false, true);
    EXPECT_FLOAT_EQ(fu(1, 4), -110.0f);
    EXPECT_FLOAT_EQ(fu(1, 10), 70.0f);
    EXPECT_FLOAT_EQ(fu(1, 2), 4.0f + 0.8f);
    EXPECT_FLOAT_EQ(fu(1, 8), -4.8f);
    EXPECT_EQ(fu(1, 3), 40.0f);
    EXPECT_EQ(fu(1, 9), -40.0f);
    EXPECT_EQ(fu(1, 5), -30.0f);
    EXPECT_EQ(fu(1, 11), 30.0f);
    EXPECT_EQ(fu(1, 1), 0.0f);
    // Nodal ends, U bending alone: the two sections' U moments, the rest left.
    fa(1, 10) = 50;
    fa(1, 3) = 9;
    fa(1, 5) = 9;
    lfadjustb(fa, fu, 1, 10, 1, dv, false, true);
    EXPECT_FLOAT_EQ(fu(1, 4), -90.0f);
    EXPECT_FLOAT_EQ(fu(1, 10), 50.0f);
    EXPECT_FLOAT_EQ(fu(1, 2), 4.0f + 0.8f);
    EXPECT_EQ(fu(1, 3), 40.0f);
    EXPECT_EQ(fu(1, 5), -30.0f);
    EXPECT_EQ(fu(1, 1), 0.0f);
  }
  // Nodal ends: moments from the two sections; the shear carries the P-delta
  // of an offset delta along V.
  LocalEnds off{};
  off.yb[1] = 0.2f;
  floca(1, 9) = -35;
  floca(1, 10) = 60;
  lfadjustb(floca, floc, 1, 10, 1, off, false);
  EXPECT_FLOAT_EQ(floc(1, 4), -80.0f);
  EXPECT_FLOAT_EQ(floc(1, 10), 60.0f);
  EXPECT_FLOAT_EQ(floc(1, 2), -(-80.0f + 60.0f) / 10 - 0.2f * -35.0f / 10);
  EXPECT_FLOAT_EQ(floc(1, 8), -floc(1, 2));
  cslf2(t, 1, floc, fglo, false);
  EXPECT_FLOAT_EQ(fglo(1, 4), -floc(1, 5));
}

// A new principal angle re-expresses the carried forces in the turned axes:
// read through the new frame they are the same forces in the member axes as
// before through the old one (a turn is no load), for a turn within the
// folded range and for the flip of pi at its edge.
TEST(SegmentForces, ANewPrincipalAngleTurnsTheCarriedForcesWithTheAxes) {
  const std::array<float, 3> a{0, 1, 0}, b{0, 0, 1};
  struct Case {
    float before, after;
  };
  const Case cases[] = {{0.0f, 1.07f}, {0.3f, -0.4f}, {kPi / 2, -kPi / 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.after);
    Tables tb(1);
    SegTable floc = tb.t1(), fglo = tb.t2();
    for (int k = 1; k <= 12; ++k) floc(1, k) = 10.0f * static_cast<float>(k) - 35.0f;
    const Frame old_axes = rotmat({0, 0, 0}, 0, {0, 0, 30}, 0, a, b, c.before, false).r;
    const Frame new_axes = rotmat({0, 0, 0}, 0, {0, 0, 30}, 0, a, b, c.after, false).r;
    cslf2(segment_rotation(old_axes), 1, floc, fglo, false);
    std::array<float, 12> member{};
    for (int k = 1; k <= 12; ++k) member[k - 1] = fglo(1, k);
    const float axial = floc(1, 3), torsion = floc(1, 12);
    turn_segment_forces(floc, 1, c.after - c.before);
    EXPECT_EQ(floc(1, 3), axial);
    EXPECT_EQ(floc(1, 12), torsion);
    cslf2(segment_rotation(new_axes), 1, floc, fglo, false);
    for (int k = 1; k <= 12; ++k) EXPECT_NEAR(fglo(1, k), member[k - 1], 2e-5f * 85.0f) << k;
  }
  // By hand: a quarter turn reads a U shear 5 as a V shear -5.
  Tables tq(1);
  SegTable f = tq.t1();
  f(1, 1) = 5.0f;
  turn_segment_forces(f, 1, kPi / 2);
  EXPECT_NEAR(f(1, 1), 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(f(1, 2), -5.0f);
}

TEST(MemberMatrices, DofTableAssemblyAndBlockCopy) {
  DofTable one = member_dof_table(1);
  for (int k = 1; k <= 12; ++k) EXPECT_EQ(one(1, k), k);
  DofTable two = member_dof_table(2);
  EXPECT_EQ(two(1, 1), 7);   // end A of the member
  EXPECT_EQ(two(1, 7), 1);   // interior node
  EXPECT_EQ(two(2, 1), 1);
  EXPECT_EQ(two(2, 12), 18);
  // Two segments in equilibrium: the interior node's entries cancel.
  Tables tb(2);
  SegTable fglo = tb.t1();
  for (int k = 1; k <= 6; ++k) {
    fglo(1, k) = static_cast<float>(k);
    fglo(1, 6 + k) = -static_cast<float>(k);
    fglo(2, k) = static_cast<float>(k);
    fglo(2, 6 + k) = -static_cast<float>(k);
  }
  std::vector<float> fint(18, 99.0f);
  asmseg(fint.data(), 18, fglo, two);
  for (int k = 1; k <= 6; ++k) {
    EXPECT_EQ(fint[k - 1], 0.0f);
    EXPECT_EQ(fint[6 + k - 1], static_cast<float>(k));
    EXPECT_EQ(fint[12 + k - 1], -static_cast<float>(k));
  }
  // A 3 x 3 skyline matrix whose column 3 stops at row 2: block 2..3 copied,
  // and of the whole matrix the term (1, 3) keeps what the destination held.
  const float a[] = {4, 5, 1, 6, 2};  // col 1: 4; col 2: 5, 1; col 3: 6, 2
  const std::int32_t md[] = {1, 2, 4, 6};
  std::array<float, 9> f;
  f.fill(-7.0f);
  hbfull(a, md, 1, 3, f.data(), 3, 5, false);
  EXPECT_EQ(f[0], 4.0f);
  EXPECT_EQ(f[3], 1.0f);   // (1, 2)
  EXPECT_EQ(f[7], 2.0f);   // (2, 3)
  EXPECT_EQ(f[6], -7.0f);  // (1, 3) above column 3's top
  std::array<float, 4> g{};
  hbfull(a, md, 2, 3, g.data(), 2, 5, false);
  EXPECT_EQ(g[0], 5.0f);
  EXPECT_EQ(g[2], 2.0f);
  EXPECT_EQ(g[3], 6.0f);
}

class MatprtOutput : public memtest::MemberOutputTest {};

TEST_F(MatprtOutput, TwelveColumnsTakeTwoLinesARow) {
  std::array<float, 24> a{};
  for (int i = 0; i < 24; ++i) a[i] = static_cast<float>(i);
  matprt(a.data(), 1, 12, 2);
  const std::string out = output();
  EXPECT_EQ(out.substr(0, 16), "     0.00000E+00");
  int lines = 0;
  for (char c : out) lines += c == '\n';
  EXPECT_EQ(lines, 3);
  EXPECT_NE(out.find(" -----------------------------------------------------\n"), std::string::npos);
}

}  // namespace
