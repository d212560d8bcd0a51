// The "MOMCURVA1" member through its driver's set-up and state
// determination: the elastic end stiffness against EA/L, 4EI/L, 12EI/L^3 and
// GJ/L by hand, and a one-segment member bent uniformly (equal and opposite
// end rotations) around a bilinear moment-curvature loop whose end moments
// follow from the backbone's two lines by hand.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "fio/fio.h"
#include "members/momcurv/mc_section_driver.h"
#include "members/momcurv/mc_section_head.h"
#include "rc_test_sections.h"

namespace {

using namespace members::momcurv;
using members::kFlpWord;
using members::kNcallWord;
using members::kLengthWord;

float term(const std::array<float, 100>& s, int i, int j) {
  return s[static_cast<std::size_t>((i - 1) * (26 - i) / 2 + j - i + 1)];
}

// One segment of length 100: EA 1E9, EIV 5E9, GJ 4E9; a bilinear backbone
// yielding at 1.0E6 and 1.0E-4 (EI0 1E10) with the slope 1E8 after yield.
struct Member {
  std::vector<float> words;
  McLayout layout;
  std::array<float, 100> s{};
  std::array<float, 12> d{}, dl{}, p{};
  rctest::Unit6 out;

  explicit Member(float pcmax = 0.0f, float curnm = 0.0f, int type = kSingleSectionType) {
    layout = mc_layout(type, 1, 1, 2);
    words.assign(static_cast<std::size_t>(layout.nprop) + 1, 0.0f);
    float* h = words.data();
    h[kNSEG] = 1; h[kG] = 4e6f; h[kEM] = 1e7f; h[kLIBN] = 1; h[kIV] = 500; h[kJ] = 1000;
    h[kPCMAX] = pcmax; h[kCURNM] = curnm; h[kNC] = 2; h[kNA] = 1; h[kNUMP] = 5; h[kTOTA] = 100;
    h[kIMATER] = 1; h[kQRNEE] = 1; h[kISTIF] = 1; h[kIELAS] = 1;
    h[kNPROP] = static_cast<float>(layout.nprop);
    const McTable t = mc_table(1, 2);
    h[t.pa] = 0.0f;
    h[t.pm] = 1.0e6f; h[t.pm + 1] = 2.0e6f;
    h[t.pc] = 1.0e-4f; h[t.pc + 1] = 1.01e-2f;
    s[kLengthWord] = 100.0f;
  }
  bool call(int iopt) { return mc_member_call(iopt, words.data(), s.data(), {d.data(), dl.data(), p.data()}, 3, false); }
  // Rotations about the member's first axis (element component 2 of the
  // rotations) at ends A and B; equal and opposite ones, -theta and theta,
  // bend the member uniformly by a curvature of 2 theta / L.
  bool turn(float theta_a, float theta_b) {
    dl = d;
    d[4] += theta_a;
    d[10] += theta_b;
    return call(3);
  }
  bool bend(float theta) { return turn(-theta, theta); }
  // The rule code of the section (of end A for type 180), of end B.
  float rule() const { return words[static_cast<std::size_t>(layout.start[kMCST] + 2)]; }
  float rule_b() const { return words[static_cast<std::size_t>(layout.start[kMCST2] + 2)]; }
};

TEST(McMember, ElasticSetUp) {
  Member m;
  ASSERT_TRUE(m.call(2));
  struct Case {
    int i, j;
    double k;
  } const cases[] = {
      {1, 1, 1e9 / 100},        {1, 7, -1e9 / 100},      {4, 4, 4e9 / 100},        // EA/L, GJ/L
      {5, 5, 4 * 1e10 / 100},   {5, 11, 2 * 1e10 / 100},                           // EI0 about the first axis
      {3, 3, 12 * 1e10 / 1e6},  {6, 6, 4 * 5e9 / 100},   {2, 2, 12 * 5e9 / 1e6},  // EIV about the second
      {1, 2, 0.0},
  };
  for (const Case& c : cases) EXPECT_NEAR(term(m.s, c.i, c.j), c.k, 1e-5 * std::abs(c.k) + 1e-3) << c.i << "," << c.j;
  EXPECT_EQ(m.s[kLengthWord], 100.0f);
  EXPECT_EQ(m.s[kFlpWord], 0.0f);
  EXPECT_EQ(m.rule(), 1.0f);
}

TEST(McMember, BilinearLoopUnderUniformBending) {
  // Both types: the nodal-end sections see the same uniform curvature.
  for (int type : {kSingleSectionType, kNodalEndType}) {
    Member m(0.0f, 0.0f, type);
    ASSERT_TRUE(m.call(2));
    // Curvature steps of 1E-4: up 5, down 10, up 10. Moments in E+06 by hand:
    // the yield point, then the kinematic-hardening lines M = +-1E6 + 1E8 (cu -+ 1E-4).
    std::vector<float> dtheta, want;
    for (int i = 0; i < 5; ++i) dtheta.push_back(5e-3f);
    for (int i = 0; i < 10; ++i) dtheta.push_back(-5e-3f);
    for (int i = 0; i < 10; ++i) dtheta.push_back(5e-3f);
    for (float v : {1.00f, 1.01f, 1.02f, 1.03f, 1.04f, 0.04f, -0.96f, -0.97f, -0.98f, -0.99f, -1.00f, -1.01f, -1.02f,
                    -1.03f, -1.04f, -0.04f, 0.96f, 0.97f, 0.98f, 0.99f, 1.00f, 1.01f, 1.02f, 1.03f, 1.04f})
      want.push_back(v * 1e6f);
    std::vector<int> rules;
    for (std::size_t i = 0; i < dtheta.size(); ++i) {
      ASSERT_TRUE(m.bend(dtheta[i]));
      EXPECT_NEAR(m.p[10], want[i], 5.0f) << type << " step " << i + 1;
      EXPECT_NEAR(m.p[4], -want[i], 5.0f) << type << " step " << i + 1;
      EXPECT_NEAR(m.p[0], 0.0f, 1.0f);
      EXPECT_NEAR(m.p[2], 0.0f, 1.0f);  // equal and opposite end moments: no shear
      if (rules.empty() || rules.back() != static_cast<int>(m.rule())) rules.push_back(static_cast<int>(m.rule()));
      if (type == kNodalEndType) {
        EXPECT_EQ(m.rule_b(), m.rule());
      }
    }
    EXPECT_EQ(rules, (std::vector<int>{1, 2, 3, 4, 5, 41})) << type;
    EXPECT_EQ(m.s[kFlpWord], 0.0f);
    EXPECT_EQ(m.s[kNcallWord], 5.0f);
    // The tangent after the last step is the hardening slope: 4 EI/L with EI 1E8.
    EXPECT_NEAR(term(m.s, 5, 5), 4e6, 4.0) << type;
    EXPECT_EQ(m.out.text().find("****"), std::string::npos);
  }
}

TEST(McMember, NodalEndChecksTakeTheLargerEndCurvature) {
  // End B turned alone by 2.5E-3 a step: the cubic segment's end curvatures
  // change by -2 theta / L = -0.5E-4 at A and 4 theta / L = 1E-4 at B, so
  // end B reaches the nominal curvature 2E-4 at the second step.
  Member m(1.0f, 2e-4f, kNodalEndType);
  ASSERT_TRUE(m.call(2));
  ASSERT_TRUE(m.turn(0.0f, 2.5e-3f));
  EXPECT_EQ(m.s[kFlpWord], 0.0f);
  ASSERT_TRUE(m.turn(0.0f, 2.5e-3f));
  EXPECT_EQ(m.s[kFlpWord], 3.0f);
  // The limit word is the member's: a further step keeps it.
  ASSERT_TRUE(m.turn(0.0f, 2.5e-3f));
  EXPECT_EQ(m.s[kFlpWord], 3.0f);
  EXPECT_NE(m.out.text().find("     CUR  : TOTAL CURVATURE =   0.200000E-03\n"), std::string::npos);
}

TEST(McMember, CurvatureLimitsInTurn) {
  // Nominal curvature 2E-4, maximum plastic curvature 4.5E-4 beyond it.
  Member m(4.5e-4f, 2e-4f);
  ASSERT_TRUE(m.call(2));
  std::vector<float> flp;
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(m.bend(5e-3f));
    flp.push_back(m.s[kFlpWord]);
  }
  // |CU| = 1, 2, ... 8 E-4: code 3 at 2E-4, code 10 once CU - CURNM reaches 4.5E-4 (at 7E-4).
  EXPECT_EQ(flp, (std::vector<float>{0, 3, 3, 3, 3, 3, 10, 10}));
  const std::string text = m.out.text();
  EXPECT_NE(text.find("\n**** STABILITY ELEMENT          3 SEGMENT NO.          1 REACHES NOMINAL CURVATURE.\n"
                      "     CURNM: NOMINAL CURVATURE USER INPUT =   0.200000E-03\n"
                      "     CUR  : TOTAL CURVATURE =   0.200000E-03\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("**** STABILITY ELEMENT          3 SEGMENT NO.          1 REACHES MAXIMUM PLASTIC CURVATURE OF "
                      "CURPLS =    0.500000E-03\n"
                      "     PCMAX: MAXIMUM USER INPUT PLASTIC CURVATURE =   0.450000E-03\n"
                      "     CUR  : TOTAL CURVATURE =   0.700000E-03\n"),
            std::string::npos)
      << text;
}

TEST(McMember, EccentricLoadingPointsTakeTheSetsOffsets) {
  // IECOP 1 with ECCX0 = 2: the ends act 2 in off the axis along U, so an
  // axial force at the loading point bends the member about V: the element's
  // axial-rotation term becomes EA/L times the offset, 1E7 x 2.
  Member m;
  ASSERT_TRUE(m.call(2));
  EXPECT_EQ(term(m.s, 1, 6), 0.0f);
  Member e;
  e.words[kIECOP] = 1;
  e.words[kECCX0] = 2.0f;
  ASSERT_TRUE(e.call(2));
  EXPECT_NEAR(std::abs(term(e.s, 1, 6)), 2e7, 2e7 * 1e-5);
  EXPECT_NEAR(term(e.s, 1, 5), 0.0f, 1.0f);
  EXPECT_NEAR(term(e.s, 1, 1), 1e7, 1e7 * 1e-5);
}

TEST(McMember, RejectedSetIsNotRun) {
  Member m;
  m.words[kIMATER] = 2;
  EXPECT_FALSE(m.call(2));
  Member b;
  b.words[kNPROP] = 40.0f;  // a set rejected at input keeps its head alone
  EXPECT_FALSE(b.call(2));
}

}  // namespace
