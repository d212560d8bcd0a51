// The nodal-end member rule on the box 10 x 10 x 0.5 (A 19, mesh I
// 285.4258), E 29e6: the elastic beam by hand, the cantilever of the
// segment-average rule reproduced, the limit word of the local-buckling check.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/globals.h"
#include "member_fixture.h"
#include "members/steel/steel_member_rule.h"
#include "members/steel/nodal_end_rule.h"

namespace {

using namespace members;

constexpr float kEm = 29.0e6f;
constexpr float kYs = 50000.0f;
constexpr double kEi = 29.0e6 * 285.4258;
constexpr double kEa = 29.0e6 * 19.0;

// A member of either rule on one set: nodal ends (STABILITY2) or segment
// averages (STABILITY1).
struct Member {
  Member(bool nodal, int nseg, float xl, int irev1 = 0) : nodal(nodal) {
    SectionWords w = memtest::box_10x10_words();
    w.irev = {irev1, 0, 0, 0};
    set.member.nseg = nseg;
    set.member.istif = 1;
    set.section.words = w;
    set.section.tota = 90.25f;
    set.section.g = 11.2e6f;
    set.section.law.imater = kLawBilinear;
    set.section.law.em = kEm;
    set.section.law.ys = kYs;
    set.section.law.ey = kYs / kEm;
    set.section.ielas = 1;
    nump = steel_fibre_count(w);
    words.assign(static_cast<std::size_t>(nodal ? stb_end_words(nseg, nump) : stb_words(nseg, nump)), 0.0f);
    s.xl = xl;
    c.ielno = 3;
    c.state = &flp;
  }
  void elastic() {
    set.section.ielas = 0;
    set.section.law.elastic = true;
  }
  void run(int iopt) {
    if (nodal) {
      hyst12b(iopt, set, s, StbEndMem(words.data(), set.member.nseg, nump), c, p);
    } else {
      hyst12(iopt, set, s, StbMem(words.data(), set.member.nseg, nump), c, p);
    }
  }
  StbMem rec() { return StbMem(words.data(), set.member.nseg, nump); }
  void setup() { run(2); }
  void step(const std::array<float, 12>& d) {
    for (int k = 1; k <= 12; ++k) rec().col(StbArray::DINC)(k) = d[static_cast<std::size_t>(k - 1)];
    run(3);
  }
  float k(int r, int col) { return rec().square(StbArray::EEASAT)(r, col); }
  bool nodal;
  SteelMemberSet set;
  int nump = 0;
  std::vector<float> words;
  MemberState s;
  MemberCall c;
  float flp = 0.0f;
  std::array<float, 12> p{};
};

class NodalEndRuleTest : public memtest::MemberOutputTest {};

TEST_F(NodalEndRuleTest, ElasticMemberIsTheBeamForAnySegmentCount) {
  const double l = 120;
  for (int n : {1, 2, 8}) {
    SCOPED_TRACE(n);
    Member m(true, n, 120);
    m.setup();
    struct Term {
      int r, c;
      double value;
    };
    for (const Term& t : {Term{3, 3, kEa / l}, Term{1, 1, 12 * kEi / (l * l * l)},
                          Term{2, 2, 12 * kEi / (l * l * l)}, Term{2, 4, -6 * kEi / (l * l)},
                          Term{1, 5, 6 * kEi / (l * l)}, Term{4, 4, 4 * kEi / l},
                          Term{4, 10, 2 * kEi / l}, Term{5, 11, 2 * kEi / l},
                          Term{1, 7, -12 * kEi / (l * l * l)}}) {
      EXPECT_NEAR(m.k(t.r, t.c), t.value, 2e-5 * std::fabs(t.value)) << t.r << "," << t.c;
    }
    EXPECT_EQ(m.flp, 0.0f);
  }
  EXPECT_EQ(output(), "");
}

// Cantilever column, end A fixed, L 120: 1000 lb across at the tip gives
// PL^3/3EI = 6.95875E-02 and PL^2/2EI = 8.69844E-04; 10,000 lb of
// compression EA d/L with d = 2.17786E-03. Imposing those tip movements, both
// rules give back the tip forces and the fixed-end moment PL.
TEST_F(NodalEndRuleTest, ElasticCantileverMatchesTheSegmentAverageRule) {
  const float dx = 6.95875e-2f, roy = 8.69844e-4f, dz = -2.17786e-3f;
  for (int n : {1, 4}) {
    SCOPED_TRACE(n);
    Member b(true, n, 120), a(false, n, 120);
    for (Member* m : {&b, &a}) {
      m->elastic();
      m->setup();
    }
    b.step({0, 0, 0, 0, 0, 0, dx, 0, 0, 0, roy, 0});
    a.step({0, 0, 0, 0, 0, 0, dx, 0, 0, 0, roy, 0});
    EXPECT_NEAR(b.p[6], 1000.0f, 0.5f);
    EXPECT_NEAR(b.p[0], -1000.0f, 0.5f);
    EXPECT_NEAR(std::fabs(b.p[4]), 120000.0f, 60.0f);
    EXPECT_NEAR(b.p[10], 0.0f, 60.0f);
    for (int k = 0; k < 12; ++k) EXPECT_NEAR(b.p[k], a.p[k], 1e-4f * 120000.0f) << k;
    b.step({0, 0, 0, 0, 0, 0, 0, 0, dz, 0, 0, 0});
    a.step({0, 0, 0, 0, 0, 0, 0, 0, dz, 0, 0, 0});
    EXPECT_NEAR(b.p[8], -10000.0f, 2.0f);
    for (int k = 0; k < 12; ++k) EXPECT_NEAR(b.p[k], a.p[k], 1e-4f * 120000.0f) << k;
  }
}

// Squashing the box past yield (strain 0.005): every corner yields in
// compression, so with the local-buckling switch the word reads 5 after each
// call; the word is cleared at entry, so without the switch it reads 0
// whatever it held, and no first-yield code is raised by this rule.
TEST_F(NodalEndRuleTest, LimitWordComesOnlyFromTheLocalBucklingCheck) {
  for (int irev1 : {1, 0}) {
    SCOPED_TRACE(irev1);
    Member m(true, 2, 120, irev1);
    m.set.section.law.ratio3 = 0.01f;
    m.set.section.ielas = 2;
    m.flp = 7.0f;
    m.setup();
    EXPECT_EQ(m.flp, 0.0f);
    m.flp = 7.0f;
    m.step({0, 0, 0, 0, 0, 0, 0, 0, -0.6f, 0, 0, 0});
    EXPECT_EQ(m.flp, irev1 != 0 ? 5.0f : 0.0f);
    m.flp = 7.0f;
    m.step({});
    EXPECT_EQ(m.flp, irev1 != 0 ? 5.0f : 0.0f);
    for (float f : m.p) EXPECT_TRUE(std::isfinite(f));
  }
  EXPECT_EQ(output().find("FIRST YIELD"), std::string::npos);
}

TEST_F(NodalEndRuleTest, TaperedStiffnessWithoutItsOptionStopsTheSetUp) {
  Member m(true, 3, 120);
  m.set.member.istif = 0;
  EXPECT_THROW(m.setup(), kv::RunStop);
  EXPECT_NE(output().find(" ISTIF=0 IS NOT AVAILABLE FOR TAPER BEAM STIFFNESS MATRIX\n PROGRAM STOP"),
            std::string::npos);
  EXPECT_NE(output().find("SEG. NO.    1"), std::string::npos);
}

// The traces name the end of every evaluation and the two end deformations;
// the rule's own titles stay those of the segment-average rule.
TEST_F(NodalEndRuleTest, TracesOfBothEnds) {
  Member m(true, 1, 120);
  m.c.trace = true;
  m.set.section.trace = true;
  m.setup();
  m.step({0, 0, 0, 0, 0, 0, 1e-3f, 0, 0, 0, 0, 0});
  const std::string out = output();
  for (const char* text : {" SEGMENT, DEC1,DCU1,DCV1: ", " SEGMENT, DEC2,DCU2,DCV2: ",
                           "NODAL END  1SEGMENT LOCAL FORCES (FLOCA)(FROM PRINC):",
                           "NODAL END  2SEGMENT LOCAL FORCES (FLOCA)(FROM PRINC):",
                           "(FROM LFADJUSTB)", " GDOF FORCES AT TWO-ENDS(FROM HYST12):"}) {
    EXPECT_NE(out.find(text), std::string::npos) << text;
  }
  EXPECT_EQ(out.find("(IN HYST12 BEFORE CALLING PRINC)"), std::string::npos);
}

}  // namespace
