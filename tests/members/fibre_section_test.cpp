// The fibre-section routine's sums where fibres mirrored about an axis cancel:
// a section symmetric about V and bent about U has no first moment of its
// tangents along U, no product and no moment about V. Float sums of the
// mirrored halves leave only rounding there, and that rounding must decide
// nothing: the principal angle stays 0 and the moment about V is 0. A real
// asymmetry, however small beside the section, still turns the axes as the
// closed form says.
#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "members/fibre_section.h"

namespace {

using members::PrincipalAxes;
using members::SectionSums;

// A 2 x 4 half-mesh (U 1.5 and 4.5, V -7.5 ... 7.5) of a bent section past
// its peak: tangent rigidities of both signs, mirrored to negative U. The
// tangents are such that both centroidal rigidities nearly vanish (softened
// concrete on one face, unloading on the other), so the rounding of the
// mirrored halves is of the size of the rigidities themselves.
constexpr float kU[2] = {1.5f, 4.5f};
constexpr float kV[4] = {-7.5f, -2.5f, 2.5f, 7.5f};
constexpr float kSoftened[2][4] = {{-2420448.25f, 1844007.25f, -535288.438f, -177087.234f},
                                   {17517.9043f, -106730.203f, 109991.953f, 122422.188f}};

// Fibres in mesh order: the half at positive U, then its mirror.
SectionSums mirrored_sums(const float (&t)[2][4]) {
  SectionSums s;
  for (float side : {1.0f, -1.0f}) {
    for (int c = 0; c < 2; ++c) {
      for (int r = 0; r < 4; ++r) members::add_fibre(s, t[c][r], side * kU[c], kV[r]);
    }
  }
  return s;
}

TEST(FibreSectionRounding, MirroredHalvesThatCancelOnlyToRoundingKeepTheAxes) {
  const SectionSums s = mirrored_sums(kSoftened);
  // The fixture is what it claims: the mirrored sums are rounding, not zero,
  // and both rigidities about the centroid are within a few units of it.
  ASSERT_NE(s.esu0, 0.0f);
  ASSERT_NE(s.eiuv0, 0.0f);
  ASSERT_LT(std::fabs(s.esu0), 1e-6f * s.esu_abs);
  ASSERT_LT(std::fabs(s.eiuv0), 1e-6f * s.eiuv_abs);
  // Taken at face value, these sums turn the axes by 1.535 rad (and the
  // sign of the rounding flips them from one step to the next).
  for (float before : {0.0f, 0.7f}) {
    const PrincipalAxes p = members::principal_axes(s, before, 9.0f, 9.0f);
    EXPECT_FALSE(p.degenerate);
    EXPECT_EQ(p.beta, 0.0f);
    EXPECT_EQ(p.uc0, 0.0f);
    EXPECT_EQ(p.eiuv1, 0.0f);
    // With the angle 0 the rigidities are the centroidal ones themselves.
    EXPECT_EQ(p.eiu, p.eiu1);
    EXPECT_EQ(p.eiv, p.eiv1);
    EXPECT_EQ(p.vc0, s.esv0 / s.ea0);
  }
}

struct AsymmetricCase {
  const char* what;
  float t[4];                  // tangent rigidity of each fibre
  float u[4], v[4];
  float beta, eiu, eiv;        // closed form
};

TEST(FibreSectionRounding, RealAsymmetryStillTurnsTheAxes) {
  const float pi = std::numbers::pi_v<float>;
  const AsymmetricCase cases[] = {
      // Four fibres at (+-1, +-1), the one at (1, 1) yielded to half its
      // tangent (biaxial bending): centroid (-1/7, -1/7), EIU1 = EIV1 =
      // 3.5 - 3.5/49 = 24/7, EIUV1 = -0.5 - 3.5/49 = -4/7: equal rigidities,
      // so the axes turn by -pi/4 to 24/7 -+ 4/7.
      {"one corner yielded", {0.5f, 1.0f, 1.0f, 1.0f}, {1, -1, 1, -1}, {1, 1, -1, -1}, -pi / 4, 20.0f / 7, 4.0f},
      // A product of 1.5 beside EIU1 = 4.5 and EIV1 = 18.5 (8 %), centroid at
      // the origin: beta = atan2(3, 14) / 2 = 0.1053, principal 11.5 -+
      // sqrt(49 + 2.25).
      {"small product", {1.0f, 1.0f, 1.0f, 1.0f}, {3, -3, 0.5f, -0.5f}, {0, 0, 1.5f, -1.5f},
       0.5f * std::atan2(3.0f, 14.0f), 11.5f - std::sqrt(51.25f), 11.5f + std::sqrt(51.25f)},
  };
  for (const AsymmetricCase& c : cases) {
    SCOPED_TRACE(c.what);
    SectionSums s;
    for (int k = 0; k < 4; ++k) members::add_fibre(s, c.t[k], c.u[k], c.v[k]);
    const PrincipalAxes p = members::principal_axes(s, 0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(p.beta, c.beta, 1e-6);
    EXPECT_NEAR(p.eiu, c.eiu, 1e-5 * c.eiv);
    EXPECT_NEAR(p.eiv, c.eiv, 1e-5 * c.eiv);
  }
}

// Fibre forces of the section above under compression and bending about U,
// 0.7 times as large in the outer column: mirrored to negative U.
constexpr float kRowForce[4] = {-21345.7f, -9876.5f, 3210.9f, 15234.6f};

members::FibreForce mirrored_force(int i) {
  const int k = i - 1;
  const float side = k < 8 ? 1.0f : -1.0f;
  const int c = (k % 8) / 4, r = k % 4;
  return {side * kU[c], kV[r], kRowForce[r] * (c == 0 ? 1.0f : 0.7f)};
}

TEST(FibreSectionRounding, MirroredForcesHaveNoMomentAboutTheMirrorAxis) {
  PrincipalAxes ax;
  // By hand: MU = 2 (1 + 0.7) sum(F v) = 3.4 (160092.75 + 24691.25 + 8027.25
  // + 114259.5) = 1,044,040.55.
  const members::OriginMoments m = members::origin_moments(ax, 16, mirrored_force);
  EXPECT_EQ(m.mv, 0.0f);
  EXPECT_NEAR(m.mu, 1044040.55, 0.5);
  // The same forces 1 % larger on the negative side: a real moment about V,
  // -sum(F u) = 0.01 (1.5 + 0.7 * 4.5) sum(F) = 0.01 * 4.65 * (-12776.7) = -594.12.
  const members::OriginMoments a = members::origin_moments(ax, 16, [](int i) {
    members::FibreForce f = mirrored_force(i);
    if (f.u < 0.0f) f.force *= 1.01f;
    return f;
  });
  EXPECT_NEAR(a.mv, 0.01 * 4.65 * -12776.7, 0.1);
}

TEST(FibreSectionRounding, BeyondRoundingKeepsWhatTheTermsCannotMake) {
  struct Case {
    float sum, magnitude;
    int terms;
    float kept;
  };
  const Case cases[] = {
      {0.0039f, 461909.6f, 16, 0.0f},     // within 16 eps of the magnitudes: rounding
      {-0.5f, 461909.6f, 16, 0.0f},
      {1.0f, 461909.6f, 16, 1.0f},        // beyond: a real sum
      {3.0f, 0.0f, 0, 3.0f},              // nothing known of the terms: kept
      {0.0f, 0.0f, 0, 0.0f},
  };
  for (const Case& c : cases) EXPECT_EQ(members::beyond_rounding(c.sum, c.magnitude, c.terms), c.kept) << c.sum;
}

}  // namespace
