// The steel segment section on a box 10 x 10 x 0.5 (4 flange and 5 web cells a
// quarter, 36 fibres): A 19, mesh I 285.4258, Z 67.75; YS 50 ksi gives the
// squash load 950,000 lb and Mp 3,387,500 lb in.
#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "member_fixture.h"
#include "members/steel/steel_section.h"

namespace {

using members::SectionCall;
using members::SectionResponse;
using members::StbArray;

constexpr float kEm = 29.0e6f;
constexpr float kYs = 50000.0f;
constexpr float kG = 11.2e6f;

members::SectionWords box_words() { return memtest::box_10x10_words(); }

members::SteelLaw steel(float ratio3 = 0.0f, int imater = members::kLawBilinear) {
  members::SteelLaw l;
  l.imater = imater;
  l.em = kEm;
  l.ys = kYs;
  l.ey = kYs / kEm;
  l.ratio3 = ratio3;
  return l;
}

struct BoxSection {
  explicit BoxSection(int ielas, members::SteelLaw law = steel(),
                      members::SectionWords w = box_words())
      : m(w, law) {
    p.words = w;
    p.tota = 90.25f;  // mid-line enclosed area 9.5 x 9.5
    p.g = kG;
    p.law = law;
    p.ielas = ielas;
    p.ielno = 7;
  }
  SectionResponse run(float dec, float dcu, float dcv, float target, bool setup = false) {
    members::SteelSection s(members::average_section_arrays(m.rec), p, &m.state);
    call = SectionCall{};
    call.iseg = 1;
    call.dec = dec;
    call.dcu = dcu;
    call.dcv = dcv;
    call.target_axial = target;
    call.setup = setup;
    return s.evaluate(call);
  }
  float lflag(int k) { return m.rec.col(StbArray::LFLAG)(k); }
  memtest::SteelMember m;
  members::SteelSectionParams p;
  SectionCall call;
};

void expect_finite(const SectionResponse& r) {
  for (float x : {r.ea, r.eiu, r.eiv, r.gj, r.uc0, r.vc0, r.beta, r.axial, r.mu, r.mv}) {
    EXPECT_TRUE(std::isfinite(x));
  }
}

class SteelSectionTest : public memtest::MemberOutputTest {};

TEST_F(SteelSectionTest, SetUpGivesTheElasticRigiditiesOfTheMesh) {
  BoxSection b(1);
  const SectionResponse r = b.run(0, 0, 0, 0, true);
  EXPECT_NEAR(r.ea, kEm * 19.0, 1e-5 * kEm * 19.0);
  EXPECT_NEAR(r.eiu, kEm * 285.4258, 1e-5 * kEm * 285.4258);
  EXPECT_NEAR(r.eiv, kEm * 285.4258, 1e-5 * kEm * 285.4258);
  EXPECT_NEAR(r.gj, kG * 4 * 90.25 * 90.25 * 0.5 / 38, 1e-5 * kG * 214.3);
  EXPECT_EQ(r.beta, 0.0f);
  EXPECT_NEAR(r.uc0, 0.0, 1e-6);
  EXPECT_NEAR(r.vc0, 0.0, 1e-6);
  EXPECT_EQ(r.axial, 0.0f);
  EXPECT_EQ(r.mu, 0.0f);
  EXPECT_EQ(b.call.dec, 0.0f);
  EXPECT_EQ(r.limit_code, 0.0f);
  EXPECT_EQ(b.m.state, 0.0f);
  EXPECT_EQ(output(), "");
}

TEST_F(SteelSectionTest, AxialPassesMatchTheTarget) {
  // IELAS 1 from zero strain: the passes find the strain of 100 lb and hand
  // the target back exactly.
  BoxSection a(1);
  SectionResponse r = a.run(0, 0, 0, 100.0f);
  EXPECT_EQ(r.axial, 100.0f);
  EXPECT_NEAR(a.call.dec, 100.0 / (kEm * 19.0), 1e-4 * 100.0 / (kEm * 19.0));
  // A strain giving 104 against a target of 100 is within 5 %: one pass.
  // IELAS 0 keeps the computed force, IELAS 1 hands back the target.
  const float dec = 104.0f / (kEm * 19.0f);
  BoxSection e(0);
  r = e.run(dec, 0, 0, 100.0f);
  EXPECT_NEAR(r.axial, 104.0, 1e-3);
  EXPECT_EQ(e.call.dec, dec);
  BoxSection i(1);
  r = i.run(dec, 0, 0, 100.0f);
  EXPECT_EQ(r.axial, 100.0f);
  EXPECT_EQ(i.call.dec, dec);
}

TEST_F(SteelSectionTest, SquashLoadFirstYieldOnceAndAFullyYieldedSectionStaysFinite) {
  BoxSection b(2);
  SectionResponse r = b.run(-0.005f, 0, 0, 0);
  EXPECT_NEAR(r.axial, -950000.0, 1.0);
  EXPECT_EQ(r.limit_code, 1.0f);
  EXPECT_EQ(b.m.state, 1.0f);
  EXPECT_EQ(b.lflag(1), 1.0f);
  // RATIO3 0: no fibre has stiffness left. The mesh centroid and the previous
  // angle stand, the rigidities are zero, nothing is NaN.
  expect_finite(r);
  EXPECT_EQ(r.ea, 0.0f);
  EXPECT_EQ(r.eiu, 0.0f);
  EXPECT_EQ(r.eiv, 0.0f);
  EXPECT_NEAR(r.uc0, 0.0, 1e-6);
  EXPECT_EQ(r.beta, 0.0f);
  EXPECT_GT(r.gj, 0.0f);  // torsion is elastic

  // Further shortening with passes toward a force the section cannot reach:
  // no axial stiffness to correct with, so the one pass stands, silently.
  b.p.ielas = 1;
  b.m.state = 0.0f;  // the element retired the reported code
  r = b.run(-0.001f, 0, 0, -1100000.0f);
  expect_finite(r);
  EXPECT_TRUE(std::isfinite(b.call.dec));
  EXPECT_EQ(b.call.dec, -0.001f);
  EXPECT_NEAR(r.axial, -950000.0, 1.0);
  EXPECT_EQ(r.limit_code, 0.0f);  // first yield is reported once per member
  EXPECT_EQ(b.m.state, 0.0f);
  const members::SegTable floca = b.m.rec.table(StbArray::FLOC);
  members::place_average_forces(floca, 1, r);
  EXPECT_NEAR(floca(1, 3), 950000.0, 1.0);  // compression positive at end A
  EXPECT_NEAR(floca(1, 9), -950000.0, 1.0);
  EXPECT_EQ(output(), "");
}

TEST_F(SteelSectionTest, CurvatureBeyondThePlasticRangeGivesMp) {
  // 0.01 rad/in: the fibre nearest the axis (0.5625 in) strains 3.3 EY.
  BoxSection u(1);
  SectionResponse r = u.run(0, 0.01f, 0, 0);
  EXPECT_NEAR(r.mu, 3387500.0, 5.0);
  EXPECT_NEAR(r.axial, 0.0, 1.0);
  EXPECT_EQ(u.call.dec, 0.0f);
  EXPECT_EQ(r.limit_code, 1.0f);
  expect_finite(r);
  BoxSection v(1);
  r = v.run(0, 0, 0.01f, 0);
  EXPECT_NEAR(r.mv, 3387500.0, 5.0);
  EXPECT_NEAR(r.mu, 0.0, 5.0);
  // With some hardening the moment passes Mp and the section keeps stiffness
  // only from its hardening.
  BoxSection h(1, steel(0.01f));
  r = h.run(0, 0.01f, 0, 0);
  EXPECT_GT(r.mu, 3387500.0f);
  EXPECT_NEAR(r.eiu, 0.01 * kEm * 285.4258, 1e-4 * kEm * 285.4258);
}

TEST_F(SteelSectionTest, PassLimitWarning) {
  // A law number outside 0..3 runs no law: the stresses never move, so the
  // force of 1000 lb is never reached. 50 passes, the correction of each but
  // the last added to the strain, then the warning.
  BoxSection b(1, steel(0.0f, 4));
  const SectionResponse r = b.run(0, 0, 0, 1000.0f);
  EXPECT_EQ(r.axial, 0.0f);
  EXPECT_NEAR(b.call.dec, 49 * 1000.0 / (kEm * 19.0), 1e-3 * 49 * 1000.0 / (kEm * 19.0));
  EXPECT_EQ(output(),
            " ** WARNING: NO. OF ITER FOR STABILITY ELE    7SEG.     1IS GREATER THAN    51"
            " DAXIAL=  -0.100E+04 AT STEP=    0\n\n");
}

TEST_F(SteelSectionTest, RigiditySwitchPerFibre) {
  BoxSection b(1, steel(0.02f));
  auto bk = b.m.rec.col(StbArray::BKFLAG);
  for (int i = 1; i <= 36; ++i) bk(i) = 1.0f;  // every fibre at RATIO3*EM
  SectionResponse r = b.run(0, 0, 0, 0, true);
  EXPECT_NEAR(r.ea, 0.02 * kEm * 19.0, 1e-4 * 0.02 * kEm * 19.0);
  for (int i = 1; i <= 36; ++i) bk(i) = 2.0f;  // every fibre left out
  r = b.run(0, 0, 0, 100.0f);
  expect_finite(r);
  EXPECT_EQ(r.ea, 0.0f);
  // The passes use the fibres' own tangents, switch or not.
  EXPECT_EQ(r.axial, 100.0f);
}

TEST_F(SteelSectionTest, EqualLegAnglesTurnByAQuarterRightAngle) {
  members::SectionWords w;
  w.libn = members::kLibAngle;
  w.d1 = 6;
  w.t = 0.5f;
  w.irev = {12, 2, 11, 2};
  BoxSection a(1, steel(), w);
  SectionResponse r = a.run(0, 0, 0, 0, true);
  EXPECT_FLOAT_EQ(r.beta, -std::numbers::pi_v<float> / 4);
  EXPECT_FLOAT_EQ(a.m.rec.col(StbArray::BETA)(1), r.beta);
  EXPECT_LT(r.eiu, r.eiv);  // U turns onto the minor axis
  // The next strains are taken on the principal coordinates.
  const float c = std::cos(r.beta), s = std::sin(r.beta);
  const float u1 = a.m.rec.col(StbArray::U)(1) - r.uc0, v1 = a.m.rec.col(StbArray::V)(1) - r.vc0;
  EXPECT_FLOAT_EQ(a.m.rec.table(StbArray::USEG)(1, 1), c * u1 + s * v1);
  EXPECT_FLOAT_EQ(a.m.rec.table(StbArray::VSEG)(1, 1), -s * u1 + c * v1);
  w.libn = members::kLibAngleMirrored;
  BoxSection b(1, steel(), w);
  r = b.run(0, 0, 0, 0, true);
  EXPECT_FLOAT_EQ(r.beta, std::numbers::pi_v<float> / 4);
}

struct AxesCase {
  members::SectionSums s;
  float uc0, vc0, beta, eiu, eiv;
};

TEST(PrincipalAxes, HandComputedAxes) {
  const float pi = 3.1415925f;
  const AxesCase cases[] = {
      // EIU1 1, EIV1 3, EIUV1 1 about the origin: BETA = atan2(2, 2)/2 = pi/8,
      // principal values 2 -+ sqrt(2).
      {{2, 0, 0, 1, 3, 1}, 0, 0, pi / 8, 2 - std::sqrt(2.0f), 2 + std::sqrt(2.0f)},
      // The same about a centroid at (1, -0.5): sums carry the parallel-axis terms.
      {{2, 2, -1, 1 + 0.5f, 3 + 2, 1 - 1}, 1, -0.5f, pi / 8, 2 - std::sqrt(2.0f), 2 + std::sqrt(2.0f)},
      // Product below 3 % of a rigidity: no turn.
      {{2, 0, 0, 100, 1, 0.029f}, 0, 0, 0, 100, 1},
      // Equal rigidities within 3 %: a quarter right angle with the product's sign.
      {{2, 0, 0, 3, 3.05f, -1}, 0, 0, -pi / 4, 0, 0},
  };
  for (const auto& c : cases) {
    const members::PrincipalAxes p = members::principal_axes(c.s, 0.7f, 9, 9);
    EXPECT_FALSE(p.degenerate);
    EXPECT_NEAR(p.uc0, c.uc0, 1e-6);
    EXPECT_NEAR(p.vc0, c.vc0, 1e-6);
    EXPECT_NEAR(p.beta, c.beta, 1e-6);
    if (c.eiv != 0) {
      EXPECT_NEAR(p.eiu, c.eiu, 1e-5);
      EXPECT_NEAR(p.eiv, c.eiv, 1e-5);
    }
  }
  // Equal within 3 %, BETA -pi/4: EIU = m + EIUV1, EIV = m - EIUV1 (h cos 2b = 0).
  const members::PrincipalAxes q = members::principal_axes({2, 0, 0, 3, 3.05f, -1}, 0, 0, 0);
  EXPECT_NEAR(q.eiu, 3.025 - 1, 1e-5);
  EXPECT_NEAR(q.eiv, 3.025 + 1, 1e-5);
  // No axial rigidity: the mesh centroid and the previous angle, no rigidity.
  const members::PrincipalAxes d = members::principal_axes({0, 0, 0, 0, 0, 0}, 0.7f, 1.5f, -2);
  EXPECT_TRUE(d.degenerate);
  EXPECT_EQ(d.uc0, 1.5f);
  EXPECT_EQ(d.vc0, -2.0f);
  EXPECT_EQ(d.beta, 0.7f);
  EXPECT_EQ(d.ea, 0.0f);
  EXPECT_EQ(d.eiu, 0.0f);
}

}  // namespace

namespace {

TEST_F(SteelSectionTest, TracesOfOnePass) {
  BoxSection b(2);
  b.p.trace = true;
  b.run(0.0001f, 0, 0, 0);
  const std::string out = output();
  EXPECT_NE(out.find("1TENGENT STIFFNESS FOR SEG     1AT STEP NO:    0\n"), std::string::npos);
  EXPECT_NE(out.find("\nSEG.       E1           E2          DE          E0        STR\n"),
            std::string::npos);
  EXPECT_NE(out.find("1THE STABILITY MEMBER     7 SECTION     1\n"), std::string::npos);
  EXPECT_NE(out.find("THE U AND V IN PRINC SUBROUTINE\n"), std::string::npos);
  EXPECT_NE(out.find("1ELEMENT  7SEGMENT  1 AVERAGE LOCAL FORCES (FLOCA)(FROM PRINC):\n"),
            std::string::npos);
}

}  // namespace
