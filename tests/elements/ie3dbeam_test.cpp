// The inelastic 3D beam-column (type 9): its rules as tables, and decks of
// columns and beams checked against hand calculations.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "elements/inelastic/beam_column.h"
#include "elements/hinges/hinge_end.h"
#include "elements/hinges/ia_biln_hinge.h"
#include "elements/beam_column_model.h"
#include "elements/inelastic/ie3dbeam.h"
#include "elements/element_model.h"
#include "elements/plate_point_model.h"

namespace {

using namespace elements::beam_column;
using pptest::node_lines;
using pptest::numbers_of;
using pptest::run_case;

// ---------------------------------------------------------------- rules

TEST(BeamColumnRules, IaBilnPairFollowsTheYieldFlagsOfItsEnds) {
  // EI/L = 1: elastic 4, 2, 4; a yielded end keeps 4p and hands its far end
  // 3(1 - p) + 4p; both yielded 4p, 2p, 4p. p = 0.05.
  struct Case {
    float fa, fb;
    PairTerms t;
  };
  const std::array<Case, 4> cases{{{0, 0, {4.0f, 2.0f, 4.0f}},
                                   {1, 0, {0.2f, 0.1f, 3.05f}},
                                   {0, 1, {3.05f, 0.1f, 0.2f}},
                                   {1, 1, {0.2f, 0.1f, 0.2f}}}};
  for (const Case& c : cases) {
    PairTerms t;
    ASSERT_TRUE(ia_biln_pair(100.0f, 0.05f, 100.0f, c.fa, c.fb, t));
    EXPECT_FLOAT_EQ(t.aa, c.t.aa) << c.fa << c.fb;
    EXPECT_FLOAT_EQ(t.ab, c.t.ab) << c.fa << c.fb;
    EXPECT_FLOAT_EQ(t.bb, c.t.bb) << c.fa << c.fb;
  }
  PairTerms untouched{7.0f, 7.0f, 7.0f};
  EXPECT_FALSE(ia_biln_pair(100.0f, 0.05f, 100.0f, 0.5f, 0.0f, untouched));
  EXPECT_FLOAT_EQ(untouched.aa, 7.0f);
}

TEST(BeamColumnRules, HingeSpringsInSeriesWithTheMember) {
  bool inelastic = true;
  // Tangent equal to the elastic stiffness: rigid, not inelastic.
  const float rigid = hinge_spring(1.0e9f, 1.0e9f, inelastic);
  EXPECT_FLOAT_EQ(rigid, 1.0e20f);
  EXPECT_FALSE(inelastic);
  // A zero tangent: 1.0E-20 and inelastic.
  EXPECT_FLOAT_EQ(hinge_spring(0.0f, 1.0e9f, inelastic), 1.0e-20f);
  EXPECT_TRUE(inelastic);
  // Post-yield: 1/(1/SLOP2 - 1/SLOP1) = 1/(2.0E-8 - 1.0E-9).
  EXPECT_NEAR(hinge_spring(5.0e7f, 1.0e9f, inelastic), 1.0 / 1.9e-8, 1.0 / 1.9e-8 * 1e-5);
  // Both ends rigid: the elastic member, 4EI/L, 2EI/L, 4EI/L.
  const PairTerms t = hinge_pair(3.0e9f, 100.0f, rigid, rigid);
  EXPECT_NEAR(t.aa, 1.2e8, 1.2e8 * 1e-6);
  EXPECT_NEAR(t.ab, 6.0e7, 6.0e7 * 1e-6);
  EXPECT_NEAR(t.bb, 1.2e8, 1.2e8 * 1e-6);
}

TEST(BeamColumnRules, FlexibilityPairsStayFiniteAndMatchTheElasticMember) {
  // A zero tangent takes the 1.0E-20 of the hinge: a finite, very large
  // flexibility instead of a division by zero.
  EXPECT_TRUE(std::isfinite(hinge_flexibility(0.0f, 1.0e9f)));
  EXPECT_GT(hinge_flexibility(0.0f, 1.0e9f), 1.0e19f);
  EXPECT_EQ(hinge_flexibility(5.0f, 0.0f), 0.0f);
  // Elastic ends of each family give 4EI/L, 2EI/L, 4EI/L (EI = 3.0E9, L = 100):
  // MR2 with end stiffness S = 6EI/L, LONG_OWJG with elastic hinge stiffness
  // 6EI/L, TAKEDA with c = L/3EI and e = L²/12EI².
  const float ei = 3.0e9f;
  const float l = 100.0f;
  const float s = 6.0f * ei / l;
  struct Case {
    const char* family;
    PairTerms t;
  };
  const std::array<Case, 3> cases{{{"MR2", flexible_ends_pair(0.0f, 0.0f, s, s)},
                                   {"LONG_OWJG", flexible_ends_pair(0.0f, 0.0f, 6.0f * ei / l, 6.0f * ei / l)},
                                   {"TAKEDA", flexible_member_pair(0.0f, 0.0f, l / (3.0f * ei),
                                                                   l * l / (12.0f * ei * ei))}}};
  for (const Case& c : cases) {
    EXPECT_NEAR(c.t.aa, 1.2e8, 1.2e8 * 1e-5) << c.family;
    EXPECT_NEAR(c.t.ab, 6.0e7, 6.0e7 * 1e-5) << c.family;
    EXPECT_NEAR(c.t.bb, 1.2e8, 1.2e8 * 1e-5) << c.family;
  }
}

TEST(BeamColumnRules, StatusStringReadsFxMxMyaMybMzaMzb) {
  const auto s = flgchr(2 | 8 | 64);
  EXPECT_EQ(std::string(s.begin(), s.end()), "101001");
  const auto none = flgchr(1);  // bit value 1 is no component
  EXPECT_EQ(std::string(none.begin(), none.end()), "000000");
}

TEST(BeamColumnRules, NearestBreakpointOfAFailureTable) {
  const std::vector<float> desc{0.04f, 0.03f, 0.02f};
  const std::vector<float> asc{0.02f, 0.03f, 0.04f};
  const std::vector<float> wild{0.03f, 0.01f, 0.05f};
  const std::vector<float> modes{1.0f, 3.0f, 5.0f};
  struct Case {
    const std::vector<float>* xb;
    float x;
    float mode;
  };
  const std::array<Case, 13> cases{{
      {&desc, 0.028f, 3.0f},   // (0.03 - x)/0.01 = 0.2: the value of 0.03
      {&desc, 0.024f, 5.0f},   // fraction 0.6: the value of 0.02
      {&desc, 0.045f, 1.0f},   // above the table: the first value
      {&desc, 0.010f, 5.0f},   // below it: the last
      {&desc, 0.030f, 3.0f},   // on a shared breakpoint: its own value
      {&asc, 0.026f, 3.0f},    // (x - 0.02)/0.01 = 0.6: the value of 0.03
      {&asc, 0.024f, 1.0f},
      {&asc, 0.050f, 5.0f},
      {&asc, 0.000f, 1.0f},
      {&wild, 0.012f, 3.0f},   // no order: nearest by |x - xb|
      {&wild, 0.045f, 5.0f},
      {&wild, 0.025f, 1.0f},
      {&wild, 0.020f, 1.0f},   // equally near 0.03 and 0.01: the first
  }};
  for (const Case& c : cases) EXPECT_EQ(tbnear(c.x, *c.xb, modes), c.mode) << c.x;
  EXPECT_EQ(tbnear(0.5f, std::vector<float>{0.01f}, std::vector<float>{4.0f}), 4.0f);
}

TEST(BeamColumnRules, InteractionSurfaceOfFamilyOne) {
  // P0 = 1.0E5, M0y = M0z = 1.0E6. n = 0.5 reduces the capacity to
  // 0.6 M0 = 6.0E5 with alpha = 1.7 + 0.5/ln 2 = 2.4213; n = 0.1 (below 1/6)
  // keeps M0.
  const Nominal nom{1.0e5f, 1.0e6f, 1.0e6f};
  struct Case {
    EndActions f;
    int before, after;
  };
  const std::array<Case, 14> cases{{
      {{+5.0e4f, 9e9f, 9e9f, 9e9f, 9e9f}, 1, 1},          // tension never moves the code
      {{-5.0e4f, 6.0e5f, 0, 0, 0}, 1, 2},                  // n = 0.5: 0.6 M0 reached at A
      {{-5.0e4f, 5.99e5f, 0, 0, 0}, 1, 1},                 // just below it
      {{-1.0e4f, 1.0e6f, 0, 0, 0}, 1, 2},                  // n <= 1/6: M0 itself
      {{-1.0e4f, 9.99e5f, 0, 0, 0}, 1, 1},
      {{-5.0e4f, 0, -6.0e5f, 0, 0}, 1, 3},                 // end B only
      {{-5.0e4f, 6.0e5f, 0, 0, -6.0e5f}, 1, 4},            // MZ puts B on it alone
      {{-5.0e4f, 3.0e5f, 0, 3.0e5f, 0}, 1, 1},             // 2 x 0.5^2.42 = 0.37
      {{-5.0e4f, 4.8e5f, 0, 4.8e5f, 0}, 1, 2},             // 2 x 0.8^2.42 = 1.17
      {{-5.0e4f, 0, 0, 0, 0}, 2, 2},                       // A is not looked at again
      {{-5.0e4f, 0, 6.0e5f, 0, 0}, 2, 4},
      {{-5.0e4f, 9e9f, 0, 0, 0}, 3, 4},
      {{-1.0e5f, 0, 0, 0, 0}, 1, 4},                       // n = 1.0: straight to 4
      {{-1.0e5f, 0, 0, 0, 0}, 0, 4},                       // whatever the code was
  }};
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(yldst1(cases[i].f, nom, cases[i].before), cases[i].after) << i;
  // A zero axial or bending capacity counts as the surface reached.
  EXPECT_EQ(yldst1({-1.0f, 0, 0, 0, 0}, {0.0f, 1.0e6f, 1.0e6f}, 1), 4);
  EXPECT_EQ(yldst1({-5.0e4f, 0, 0, 0, 0}, {1.0e5f, 0.0f, 1.0e6f}, 1), 4);
  // Family 5 moves once and only from 5.
  EXPECT_EQ(yldst2({-5.0e4f, 6.0e5f, 0, 0, 0}, nom, 5), 6);
  EXPECT_EQ(yldst2({-5.0e4f, 0, 6.0e5f, 0, 0}, nom, 6), 6);
  EXPECT_EQ(yldst2({-1.0e5f, 0, 0, 0, 0}, nom, 5), 8);
  EXPECT_EQ(yldst2({-5.0e4f, 6.0e5f, 0, 0, 0}, nom, 1), 1);
}

TEST(BeamColumnRules, CubicCurvesOfTheAxialLoad) {
  // M(p) = 5.0E5 + 10 p at p = 1.0E4 (compression): 6.0E5.
  const std::array<float, 4> line{5.0e5f, 10.0f, 0.0f, 0.0f};
  struct Case {
    float mya, myb;
    int code;
  };
  const std::array<Case, 5> cases{{{6.0e5f, 0, 10}, {0, -6.0e5f, 11}, {-6.0e5f, 7.0e5f, 12},
                                   {5.99e5f, -5.99e5f, 9}, {0, 0, 9}}};
  for (const Case& c : cases) {
    int code = 12;
    EXPECT_FLOAT_EQ(pmyld2({-1.0e4f, c.mya, c.myb, 0, 0}, 1.0e6f, line, code), 6.0e5f);
    EXPECT_EQ(code, c.code) << c.mya << " " << c.myb;
  }
  // A straight line is capped at M0; a true cubic is not.
  EXPECT_FLOAT_EQ(pmyld1(-1.0e4f, 5.5e5f, line), 5.5e5f);
  const std::array<float, 4> cubic{5.0e5f, 0.0f, 1.0e-3f, 0.0f};
  EXPECT_FLOAT_EQ(pmyld1(-1.0e4f, 1.0e5f, cubic), 6.0e5f);
  // The rotation-capacity cubic, uncapped: 0.01 + 1.0E-7 p.
  const std::array<float, 4> b{0.01f, 1.0e-7f, 0.0f, 0.0f};
  EXPECT_FLOAT_EQ(pmcub(-1.0e4f, b), 0.011f);
  EXPECT_FLOAT_EQ(pmcub(+1.0e4f, b), 0.009f);
}

TEST(BeamColumnRules, MemberShearCapacityDegradesWithDuctility) {
  // VCI 100, VCF 20: VC7 = 80 x 0.207 + 20 = 36.56; VS 10, PN 5.
  const float vc7 = (100.0f - 20.0f) * 0.207f + 20.0f;
  struct Case {
    float mu, v;
  };
  const std::array<Case, 7> cases{{{0.0f, 115.0f},
                                   {3.0f, 115.0f},
                                   {5.0f, 83.28f},  // halfway between VCI and VC7
                                   {7.0f, 51.56f},
                                   {11.0f, 43.28f},
                                   {15.0f, 35.0f},
                                   {40.0f, 35.0f}}};
  for (const Case& c : cases) EXPECT_NEAR(shrcap(100.0f, 20.0f, vc7, 10.0f, 5.0f, c.mu), c.v, 1e-4f) << c.mu;
}

TEST(BeamColumnRules, JointShearCapacityByPrincipalTension) {
  // S1 = S2 = 0: the allowed tension itself, Y3 = 10 to Y7 = 7.
  struct Case {
    float mu, tau;
  };
  const std::array<Case, 5> cases{{{0.0f, 10.0f}, {3.0f, 10.0f}, {5.0f, 8.5f}, {7.0f, 7.0f}, {10.0f, 7.0f}}};
  for (const Case& c : cases) EXPECT_FLOAT_EQ(jshcap(0.0f, 10.0f, 7.0f, 0.0f, c.mu), c.tau) << c.mu;
  // Compression raises it: sqrt(10 x 40) = 20.
  EXPECT_FLOAT_EQ(jshcap(-30.0f, 10.0f, 7.0f, 0.0f, 0.0f), 20.0f);
  // A normal tension beyond the allowed one leaves no capacity (not NaN).
  EXPECT_EQ(jshcap(20.0f, 10.0f, 7.0f, 0.0f, 0.0f), 0.0f);
}

// ---------------------------------------------------------------- decks

// The six forces of the first "FORCE" line of joint `joint` after the last
// occurrence of `marker` (a step caption).
std::vector<double> forces_after(const std::string& out, const std::string& marker, int joint) {
  const std::size_t at = out.rfind(marker);
  if (at == std::string::npos) return {};
  std::istringstream in(out.substr(at));
  std::string line;
  while (std::getline(in, line)) {
    if (line.find("  FORCE ") == std::string::npos) continue;
    const std::vector<double> n = numbers_of(line);
    const std::size_t k = n.size() >= 9 ? 2 : 0;  // a first line starts with element and case
    if (n.size() >= k + 7 && n[k] == joint) return {n.begin() + static_cast<long>(k) + 1, n.begin() + static_cast<long>(k) + 7};
  }
  return {};
}

TEST(Ie3dbeamDeck, Sol1CantileverTipAndBaseMoment) {
  const auto r = run_case("ie3dbeam_sol1_cantilever.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // 1000 lb at the tip of a 100 in cantilever, EI = 3.0E9:
  // PL³/3EI = 1.0E9 / 9.0E9 = 0.111111 in; rotation PL²/2EI = 1.666667E-3;
  // base moment PL = 1.0E+05.
  const auto tip = node_lines(r.output, "GCS DISPLACEMENTS", 2);
  ASSERT_EQ(tip.size(), 1u) << r.output;
  EXPECT_NEAR(tip[0][0], 0.111111, 1e-6);
  EXPECT_NEAR(tip[0][4], 1.666667e-3, 1e-9);
  const auto f = forces_after(r.output, "IE3D BEAM FORCES...", 1);
  ASSERT_EQ(f.size(), 6u) << r.output;
  EXPECT_NEAR(std::fabs(f[4]), 1.0e5, 1.0);
  EXPECT_NEAR(std::fabs(f[2]), 1.0e3, 1e-2);
  EXPECT_NE(r.output.find(" ELEMENT 09,  IE3DBEAM ELEMENT"), std::string::npos);
  EXPECT_NE(r.output.find(" C1                  1     1      2 1.0000E+02  0.00000 I  1.00000 J  0.00000 K"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("                MATERIAL # : (FX  )- 3 , (MX  )- 3 ,(MY-A)- 1 , (MY-B)- 1 ,"
                          "(MZ-A)- 2 , (MZ-B)- 2"),
            std::string::npos);
}

TEST(Ie3dbeamDeck, Sol1UniformLoadOnAnMr2BeamTakesTheFixedEndForces) {
  const auto r = run_case("ie3dbeam_sol1_uniform_mr2.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // MR2 bending ends stay rigid while elastic (S = 6 STIELE/L gives 4EI/L,
  // 2EI/L). w = 10 lb/in down on L = 100, EI = 3.0E9: tip wL⁴/8EI = 0.0416667,
  // rotation wL³/6EI = 5.55556E-4; the fixed end carries wL = 1000 lb and
  // wL²/2 = 5.0E+04, the free end nothing.
  const auto tip = node_lines(r.output, "GCS DISPLACEMENTS", 2);
  ASSERT_EQ(tip.size(), 1u) << r.output;
  EXPECT_NEAR(tip[0][2], -0.0416667, 1e-6);
  EXPECT_NEAR(tip[0][4], 5.555556e-4, 1e-9);
  const auto fa = forces_after(r.output, "IE3D BEAM FORCES...", 1);
  const auto fb = forces_after(r.output, "IE3D BEAM FORCES...", 2);
  ASSERT_EQ(fa.size(), 6u);
  ASSERT_EQ(fb.size(), 6u);
  EXPECT_NEAR(fa[2], 1000.0, 1e-2);
  EXPECT_NEAR(std::fabs(fa[4]), 5.0e4, 0.5);
  EXPECT_NEAR(fb[2], 0.0, 1e-2);
  EXPECT_NEAR(fb[4], 0.0, 0.05);
}

TEST(Ie3dbeamDeck, IaBilnCantileverYieldsAtItsBaseAndFollowsThePostYieldTangent) {
  const auto r = run_case("ie3dbeam_sol4_ia_biln.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // Elastic tip stiffness 3EI/L³ = 9000 lb/in: H = My/L = 10,000 lb gives
  // 1.11111 in (step 1 goes to 1.00001 H: 1.111122). After the base yields
  // (p = 0.05) the tangent is 12p/(3 + p) EI/L³ = 0.6/3.05 * 3000 = 590.164,
  // so each 500 lb step adds 0.847222 in and 1.2 H reaches
  // 1.111111 + 2000/590.164 = 4.50000 in.
  const auto tip = node_lines(r.output, "GCS DISPLACEMENTS,  LOADING", 2);
  ASSERT_GE(tip.size(), 5u) << r.output;
  EXPECT_NEAR(tip[0][0], 1.111122, 2e-6);
  for (std::size_t k = 2; k < 5; ++k) EXPECT_NEAR(tip[k][0] - tip[k - 1][0], 0.847222, 1e-4) << k;
  EXPECT_NEAR(tip[4][0], 4.5000, 2e-4);
  // Base moment 1.2 My and shear 1.2 H at the last step.
  const auto f = forces_after(r.output, "PAST       STEP:    5", 1);
  ASSERT_EQ(f.size(), 6u);
  EXPECT_NEAR(std::fabs(f[4]), 1.2e6, 20.0);
  EXPECT_NEAR(std::fabs(f[2]), 1.2e4, 0.2);
  // The first yield of MY-A: found by the commit of step 1, reported by the
  // stiffness formation of step 2, once, with FLP 3 and point 2.
  EXPECT_EQ(etest::count_of(r.output, "**** IA_BILN ELEMENT          1 YIELD AT END A   "), 1);
  EXPECT_NE(r.output.find("**** THE ELEMENT FORCES PAST       STEP:    2"), std::string::npos);
  EXPECT_NE(r.output.find(" FLP:  3.00E+00"), std::string::npos);
  EXPECT_NE(r.output.find(" CHR: 001000"), std::string::npos);
  EXPECT_NE(r.output.find("LIMIT STATE POINT 2 DEFINED DUE TO ELEMENT NO     1 AT STEP=    2"), std::string::npos);
  // The yield rotation of the base hinge (relative to the chord):
  // My L/3EI = 1.0E8/9.0E9 = 0.011111; no NaN among the ductilities.
  EXPECT_NE(r.output.find(" YIELD DISP:    1     0.01111    0.00000"), std::string::npos);
  EXPECT_EQ(r.output.find("NaN"), std::string::npos);
}

TEST(Ie3dbeamDeck, ABaseThatReachesMaxducFailsWithItsMessageAndTheStepIsReported) {
  const auto r = run_case("ie3dbeam_sol4_maxduc_failure.dat");
  // The cantilever above with MAXDUC 2 at its base. The base rotation from
  // the chord is the tip sway over L: 1.958480/100 at 1.05 H is 1.76 times
  // the yield rotation 0.011111, 2.805674/100 at 1.1 H is 2.53 times. The
  // failure rule takes the base moment away at the next step, 4 (1.15 H).
  EXPECT_EQ(r.status, 3) << r.console;
  EXPECT_NE(r.output.find(" *** ELEMENT     1: THE MY SPRING AT END A FAILS AT STEP     4\n"
                          "     ITS DUCTILITY REACHED MAXDUC: IT CARRIES NO FORCE FROM HERE ON"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(etest::count_of(r.output, "SPRING AT END A FAILS"), 1);
  EXPECT_NE(r.console.find(" *** ERROR IN THE COMMAND AT INPUT LINE    18: ELEMENT     1: THE MY SPRING AT END A FAILS AT STEP     4"),
            std::string::npos);
  const auto f3 = forces_after(r.output, "PAST       STEP:    3", 1);
  const auto f4 = forces_after(r.output, "PAST       STEP:    4", 1);
  ASSERT_EQ(f3.size(), 6u);
  ASSERT_EQ(f4.size(), 6u);
  EXPECT_NEAR(std::fabs(f3[4]), 1.1e6, 20.0);
  EXPECT_NEAR(f4[4], 0.0, 1e-3);
  // With nothing left at the base, the whole tip load of 1.15 H = 11,500 lb
  // stays unbalanced: the step says so, each step on, and the run counts it
  // once.
  EXPECT_NE(r.output.find(" *** STEP     4: THE UNBALANCED JOINT FORCES  1.1500E+04 REACH THE LOADS AND "
                          "REACTIONS  1.1500E+04\n     THE STEP IS NOT IN EQUILIBRIUM"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find(" *** STEP     3:"), std::string::npos);
  EXPECT_EQ(etest::count_of(r.console, "REACH THE LOADS AND REACTIONS"), 1);
  // The supports carry what the member carries: no base reaction.
  const auto base = node_lines(r.output, "GCS RESTRAINT REACTIONS,   LOADING #    1     PAST       STEP:    4", 1);
  ASSERT_FALSE(base.empty()) << r.output;
  EXPECT_NEAR(base[0][0], 0.0, 0.01);
  EXPECT_NEAR(base[0][4], 0.0, 0.01);
}

TEST(Ie3dbeamDeck, TimeHistoryBalanceCountsTheHingesPlasticWork) {
  const auto r = run_case("ie3dbeam_sol2_energy.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // A guided column (12EI/L^3 = 36000 lb/in, both ends yield at 20,000 lb)
  // carrying 228 lb-s2/in under 0.4 g at 1 Hz: ductility about 13. The
  // energy history (unit 21) holds per step input, elastic strain, kinetic,
  // plastic strain, damping energy and the relative error in percent. The
  // input is the ground's work, found apart from the member: the member's
  // elastic and plastic energy must take up what the mass does not hold.
  std::vector<std::vector<double>> rows;
  std::istringstream in(kvtest::read_file(r.dir / "temp21.out"));
  for (std::string l; std::getline(in, l);) {
    const std::vector<double> n = numbers_of(l);
    if (n.size() == 6 && l.find("ENERGY") == std::string::npos) rows.push_back(n);
  }
  ASSERT_EQ(rows.size(), 801u);
  for (std::size_t k = 1; k < rows.size(); ++k) {
    const auto& e = rows[k];
    EXPECT_LT(std::fabs(e[5]), 1.0) << "relative error at step " << k;
    EXPECT_NEAR(e[1] + e[2] + e[3] + e[4], e[0], 0.01 * e[0] + 1e-3) << "step " << k;
  }
  const auto& last = rows.back();
  EXPECT_GT(last[3], 0.8 * last[0]) << "the yielding ends dissipate most of the input";
}

TEST(Ie3dbeamDeck, HingeCantileverTakesTheHingeFlexibilityAfterYield) {
  const auto r = run_case("ie3dbeam_sol4_hinge.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // HINGE HA = 0.001, VA = 1.0E6: SLOP1 = 1.0E9, SLOP2 = 0.05 SLOP1 = 5.0E7.
  // Post-yield tip flexibility L³/3EI + L²(1/SLOP2 - 1/SLOP1)
  // = 1.111111E-4 + 1.0E4 * 1.9E-8 = 3.011111E-4: 0.150556 in per 500 lb,
  // and 1.111111 + 2000 * 3.011111E-4 = 1.713333 in at 1.2 H.
  const auto tip = node_lines(r.output, "GCS DISPLACEMENTS,  LOADING", 2);
  ASSERT_GE(tip.size(), 5u) << r.output;
  EXPECT_NEAR(tip[0][0], 1.111122, 2e-6);
  for (std::size_t k = 2; k < 5; ++k) EXPECT_NEAR(tip[k][0] - tip[k - 1][0], 0.150556, 2e-5) << k;
  EXPECT_NEAR(tip[4][0], 1.713333, 2e-4);
  // The HINGE end reports its own first yield once, during the state
  // determination of step 1, and takes point 2.
  EXPECT_EQ(etest::count_of(r.output, "**** IA_BILN ELEMENT          1 YIELD AT END A   "), 1);
  EXPECT_NE(r.output.find("LIMIT STATE POINT 2 DEFINED DUE TO ELEMENT NO     1 AT STEP=    1"), std::string::npos);
  // The MY-B hinge at the free end never yields: its rotation at first yield
  // stays 0.0, and ductility and yield rotation print as 0.0, never NaN.
  EXPECT_NE(r.output.find(" DUCTILITY :    1     1.00000    0.00000"), std::string::npos);
  EXPECT_NE(r.output.find(" YIELD DISP:    1     0.01111    0.00000"), std::string::npos);
  EXPECT_EQ(r.output.find("NaN"), std::string::npos);
}

TEST(Ie3dbeamDeck, BucklingOfTheCantileverWithBothGeometricStiffnesses) {
  // Unit axial load PKG = 1.0 in compression, EI = 3.0E9, L = 100:
  // consistent matrix, one element: 2.4860 EI/L² = 7.4580E+05 (exact
  // pi²/4 = 2.4674); lumped with the rotations condensed: 3EI/L² = 9.0000E+05.
  struct Case {
    const char* deck;
    double factor;
  };
  for (const Case c : {Case{"ie3dbeam_buckling_consistent.dat", 2.4860 * 3.0e5},
                       Case{"ie3dbeam_buckling_lumped.dat", 9.0e5}}) {
    const auto r = run_case(c.deck);
    ASSERT_EQ(r.status, 0) << r.console;
    const std::size_t at = r.output.find("     EIGENVALUE:");
    ASSERT_NE(at, std::string::npos) << r.output;
    const std::vector<double> n = numbers_of(r.output.substr(at, r.output.find('\n', at) - at));
    ASSERT_EQ(n.size(), 2u);
    EXPECT_NEAR(n[0], c.factor, c.factor * 1e-4) << c.deck;
  }
}

TEST(Ie3dbeamDeck, ProppedCantileverFormsItsTwoHingesAtTheHandLoads) {
  const auto r = run_case("ie3dbeam_propped_two_hinges.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // Span L = 200, central load P (reference 1000 lb), My = 1.0E6, p = 0.01.
  // Fixed end: 3PL/16 = My at P = 16My/3L = 26,667 lb: yields in step 2
  // (26.7), reported by the formation of step 3. After it the yielded end
  // acts as a spring k = 4pEI/((1 - p)l) on the l = 100 element, so
  // dM(A) = (3L/16) k L/(k L + 3EI) dP = 0.98361 dP and the midspan
  // dM = L/4 dP - dM(A)/2 = 49.508 dP; from 5PL/32 = 833,333 at 26,667 the
  // midspan reaches My at P = 30,033 = 6.01 My/L: not yet at 30.0 (step 35),
  // so in step 36 (30.1), reported by the formation of step 37.
  EXPECT_EQ(etest::count_of(r.output, "YIELD AT END A"), 2);  // element 1 at the wall, element 2 at midspan
  const std::size_t first = r.output.find("**** IA_BILN ELEMENT          1 YIELD AT END A   ");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(r.output.substr(r.output.find('\n', first) + 1, 45), "**** THE ELEMENT FORCES SECOND     STEP:    3");
  const std::size_t second = r.output.find("**** IA_BILN ELEMENT          1 YIELD AT END B   ");
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(r.output.substr(r.output.find('\n', second) + 1, 45), "**** THE ELEMENT FORCES SECOND     STEP:   37");
  EXPECT_NE(r.output.find("**** IA_BILN ELEMENT          2 YIELD AT END A   "), std::string::npos);
  // Midspan moment at 30.0: 833,333 + 49.508 * 3,333 = 998,360.
  const auto f = forces_after(r.output, "SECOND     STEP:   35", 2);
  ASSERT_EQ(f.size(), 6u);
  EXPECT_NEAR(std::fabs(f[4]), 998360.0, 30.0);
}

TEST(Ie3dbeamDeck, RotationCapacityOfAHingeAtARotatingJoint) {
  const auto r = run_case("ie3dbeam_rotation_capacity.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // The upper element's MY-A sits at the mid joint. Its rotation D is taken
  // relative to the element's chord, so for the upper element, statically
  // determinate on its base, D = M L/3EI elastic: DY = 0.011111 at My; after
  // yield (p = 0.05) dD = dM L(3 + p)/(12 p EI) = 1.69444E-7 dM, 0.0084722 per
  // 50,000 lb-in step. Plastic rotation |D| - DY: 0.016944 at 1.10 H (step 3),
  // 0.025415 at 1.15 H (step 4), past the capacity 0.02 there.
  EXPECT_EQ(etest::count_of(r.output, "INELASTIC ROTATION IN MY"), 1);
  EXPECT_NE(r.output.find(" * ELEMENT     2 INELASTIC ROTATION IN MY  DIR. AT END A   =  0.2542E-01 > PLASTIC ROTATION \n"
                          " CAPACITY OF   0.2000E-01AT STEP =    4"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("LIMIT STATE POINT 3 DEFINED DUE TO ELEMENT NO     2 AT STEP=    4"), std::string::npos);
}

TEST(Ie3dbeamDeck, HingeBeyondItsCapacityFailsInTheModeOfTheNearestBreakpoint) {
  const auto r = run_case("ie3dbeam_hinge_failure_table.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // The HINGE at the base (HA = 0.001, VA = 1.0E6, SLOP2 = 5.0E7) turns
  // D = HA + (M - VA)/SLOP2: at 1.15 H (step 4) M = 1.15E6, D = 0.004 and
  // X = |D| - HA = 0.003 passes the capacity 0.0025 that the rotation-capacity
  // line through the table (0.0025 + 3.0E-5 p) gives at P = 0 (0.002 at step 3
  // does not).
  // Its table of rotations (0.001, 0.004, 0.007, 0.010) holds X in the first
  // interval at (0.003 - 0.001)/0.003 = 0.67 >= 0.5: the mode of 0.004,
  // buckling (3), limit code 3 + 6 = 9, reported once.
  EXPECT_EQ(etest::count_of(r.output, "**** IA_BILN ELEMENT          1 FAILED DUE TO LONG. STEEL BUCKLED            "
                                      "AT END A   \n"),
            1)
      << r.output;
  EXPECT_NE(r.output.find(" FLP:  9.00E+00"), std::string::npos);
  EXPECT_EQ(etest::count_of(r.output, "INELASTIC ROTATION IN MY"), 1);
  EXPECT_NE(r.output.find(" * ELEMENT     1 INELASTIC ROTATION IN MY  DIR. AT END A   =  0.3000E-02 > PLASTIC ROTATION \n"
                          " CAPACITY OF   0.2500E-02AT STEP =    4\n"
                          " FAILURE MODE: ** BUCKLING OF LONG. REBAR **\n"),
            std::string::npos);
  EXPECT_NE(r.output.find("LIMIT STATE POINT 3 DEFINED DUE TO ELEMENT NO     1 AT STEP=    4"), std::string::npos);
}

TEST(Ie3dbeamDeck, RejectedElementsKeepTheirNumbersAndTheRunGoesOn) {
  const auto r = run_case("ie3dbeam_input_faults.dat");
  // The run goes on to its end, and its status says that elements were rejected.
  ASSERT_EQ(r.status, 3) << r.console;
  EXPECT_EQ(etest::count_of(r.console, ") IS REJECTED: SEE THE OUTPUT FILE"), 3) << r.console;
  EXPECT_NE(r.output.find(" TARGET:       9   NOT FOUND"), std::string::npos);
  EXPECT_NE(r.output.find(" VY IS PARAELL TO VX, REINPUT VY"), std::string::npos);
  EXPECT_NE(r.output.find("ERROR, INVALID MATERIAL PROP.#    7"), std::string::npos);
  EXPECT_EQ(etest::count_of(r.output, " THE ELEMENT IS REJECTED AND ERROR CHECKING CONTINUES"), 3);
  // A bending pair of two types stays in the model without bending terms in
  // that plane: the tip moves in that plane as before.
  EXPECT_NE(r.output.find(" ** INVALID MATERIAL TYPE MYA=10 MYB=19 FOR ELEMENT NO.     5 **"), std::string::npos);
  // Element 4, the good one, alone carries the tip load: 0.111111 in.
  const auto tip = node_lines(r.output, "GCS DISPLACEMENTS", 2);
  ASSERT_EQ(tip.size(), 1u);
  EXPECT_NEAR(tip[0][0], 0.111111, 1e-6);
  // The rejected elements print no forces.
  EXPECT_EQ(r.output.find("         1    1  FORCE"), std::string::npos);
  EXPECT_NE(r.output.find("         4    1  FORCE"), std::string::npos);
}

TEST(Ie3dbeamDeck, ResetWritesTheMemberWordsOfItsMaterialsAgain) {
  const auto r = run_case("ie3dbeam_reset_tube.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // LOCBKL axial component, E A / L = 3.0E7 * 10 / 100 = 3.0E6: 1000 lb
  // shortens the column 3.333333E-4 in, before and after "RELEASE ELEMENT"
  // (a tube that lost its length would be a hundred times stiffer, one that
  // lost its effective-length factor unusable).
  EXPECT_NE(r.output.find(" IE3D BEAM........ ELEMENT #     1  INTERNAL FORCES AND HYSTERESIS MODELS ARE RESET TO ZERO"),
            std::string::npos);
  const auto tip = node_lines(r.output, "GCS DISPLACEMENTS,  LOADING", 2);
  ASSERT_GE(tip.size(), 2u) << r.output;
  EXPECT_NEAR(tip.front()[2], -3.333333e-4, 1e-9);
  EXPECT_NEAR(tip.back()[2], -3.333333e-4, 1e-9);
}

}  // namespace

// ---------------------------------------------------------------- records

namespace {

class Ie3dbeamRecord : public bctest::ColumnModel {
 protected:
  Ie3dbeamRecord() : ColumnModel("ie3dbeam") {}
  void column() { ColumnModel::column(9, 649); }
};

TEST_F(Ie3dbeamRecord, LaysItsWordsAndTheMembersWordsInTheMaterials) {
  sets({0, 0, 0, 0});
  column();
  // Six IA_BILN states of 72 words, both halves.
  EXPECT_EQ(iword(1, kNhyst), 2 * 6 * 72);
  for (int c = 1; c <= 6; ++c) EXPECT_EQ(iword(1, kMstOff + c - 1), 1 + 72 * (c - 1)) << c;
  EXPECT_FLOAT_EQ(rword(1, kClen), 100.0f);
  // All 12 DOFs active, no geometric stiffness: 78 terms, 78 words back.
  EXPECT_EQ(iword(1, kNedof), 12);
  EXPECT_EQ(iword(1, kNke), 78);
  EXPECT_EQ(checks_[0].nback, 156 - 78);
  // The member length in the bending materials (word 21); the axial yield
  // elongation MP L/EA = 1.0E10 * 100 / 3.0E10 in the FX state (word 13).
  const std::int64_t sta = record(1) + 493 - 1;  // word w of MATSTA at sta + w
  for (int c = 1; c <= 4; ++c) EXPECT_FLOAT_EQ(kv::rzm(sta + 72 * (c - 1) + 21), 100.0f) << c;
  EXPECT_NEAR(kv::rzm(sta + 72 * 5 + 13), 100.0f / 3.0f, 1e-4);
  // Elastic pair terms 4EI/L, 2EI/L; EA/L; GJ/L.
  EXPECT_FLOAT_EQ(rword(1, kByaa), 1.2e8f);
  EXPECT_FLOAT_EQ(rword(1, kBzab), 6.0e7f);
  EXPECT_FLOAT_EQ(rword(1, kAxk), 3.0e8f);
  EXPECT_FLOAT_EQ(rword(1, kTok), 3.0e8f);
  EXPECT_EQ(iword(1, kIafag), 0);
}

TEST_F(Ie3dbeamRecord, InitialInteractionFamilyFromTheCodeWords) {
  struct Case {
    std::array<float, 4> codes;  // MY-A, MY-B, MZ-A, MZ-B
    int iafag;
  };
  const std::array<Case, 6> cases{{{{2, 2, 2, 2}, 1},
                                   {{3, 3, 3, 3}, 5},
                                   {{4, 4, 2, 2}, 9},
                                   {{6, 6, 1, 1}, 9},
                                   {{2, 2, 2, 3}, 0},
                                   {{4, 1, 4, 4}, 0}}};
  for (const Case& c : cases)
    EXPECT_EQ(initial_iafag(9, 649, c.codes), c.iafag) << c.codes[0] << c.codes[1] << c.codes[2] << c.codes[3];
}

// What lies between a commit and the next state determination reaches the
// trial states the materials start from: capacities the interaction rule
// writes into the committed states, and states a reset sets up again. The
// MY-A capacity (state word 2) is read in both halves after the state.
struct BetweenCase {
  const char* name;
  float code;      // interaction code of the four bending sets
  float a1;        // slope of the P-M line M = 5.0E5 + a1 (-P)
  float disp;      // the second state's Z displacement of node 2
  bool reset;      // option 13 between the commit and the second state
  float capacity;  // the MY-A capacity of both halves afterwards
};

class Ie3dbeamBetweenSteps : public bctest::ColumnModel, public ::testing::WithParamInterface<BetweenCase> {
 protected:
  Ie3dbeamBetweenSteps() : ColumnModel("ie3dbeam_between") {}
};

TEST_P(Ie3dbeamBetweenSteps, TrialStatesStartFromTheCommittedOnes) {
  const BetweenCase& c = GetParam();
  material_table(5);
  for (int set = 1; set <= 4; ++set) {
    auto p = bctest::ia_biln_prop(c.code, 3.0e7f, 100.0f, 1.0e6f);
    p[9] = 5.0e5f;  // A0
    p[10] = c.a1;   // A1
    material_record(set, materials::kIaBilnType.code, p.data(), p.size(), 60);
  }
  axial_set();
  ColumnModel::column(9, 649);
  ASSERT_GT(iword(1, kPosA), 0);
  solution_tables(1);
  const std::int64_t sta = record(1) + 493 - 1;  // word w of MATSTA at sta + w
  const int half = iword(1, kNhyst) / 2;
  auto committed_capacity = [&] { return kv::rzm(sta + 2); };
  auto trial_capacity = [&] { return kv::rzm(sta + half + 2); };

  option(elements::kEleState, 1);
  option(elements::kEleCommit, 1);
  if (c.reset) option(elements::kEleReset, 1);
  disp(9) = c.disp;
  option(elements::kEleState, 1);
  EXPECT_FLOAT_EQ(trial_capacity(), c.capacity);
  EXPECT_FLOAT_EQ(committed_capacity(), c.capacity);
  option(elements::kEleCommit, 1);
  EXPECT_FLOAT_EQ(committed_capacity(), c.capacity);
}

// The P-M family (code 4): at rest M = A0; under the axial force
// P = EA/L d = 3.0E8 x -0.01 = -3.0E6, M = 5.0E5 + 0.1 x 3.0E6 = 8.0E5.
// Code 1 keeps MP = 1.0E6.
INSTANTIATE_TEST_SUITE_P(
    Cases, Ie3dbeamBetweenSteps,
    ::testing::Values(BetweenCase{"NothingBetween", 1.0f, 0.0f, 0.0f, false, 1.0e6f},
                      BetweenCase{"ResetBetween", 1.0f, 0.0f, 0.0f, true, 1.0e6f},
                      BetweenCase{"PmCapacityAtRest", 4.0f, 0.1f, 0.0f, false, 5.0e5f},
                      BetweenCase{"PmCapacityUnderAxialForce", 4.0f, 0.1f, -0.01f, false, 8.0e5f},
                      BetweenCase{"PmCapacityAfterReset", 4.0f, 0.1f, -0.01f, true, 8.0e5f}),
    [](const auto& info) { return std::string(info.param.name); });

class Ie3dbeamBetweenStepsRecord : public bctest::ColumnModel {
 protected:
  Ie3dbeamBetweenStepsRecord() : ColumnModel("ie3dbeam_between_record") {}
};
// A commit leaves the committed half of the material states equal, word for
// word, to the trial half, whatever came before it: first yield, a step from
// the committed state, a reversal with the ductility asked, a reset.
TEST_F(Ie3dbeamBetweenStepsRecord, EveryCommitLeavesBothHalvesAlike) {
  sets({1, 1, 1, 1});
  ColumnModel::column(9, 649);
  ASSERT_GT(iword(1, kPosA), 0);
  solution_tables(1);
  const std::int64_t sta = record(1) + 493;  // word 1 of MATSTA
  const int half = iword(1, kNhyst) / 2;
  auto halves_alike = [&] {
    for (int w = 0; w < half; ++w)
      if (std::memcmp(kv::rptr(sta + w), kv::rptr(sta + half + w), sizeof(float)) != 0) return w + 1;
    return 0;
  };
  struct Step {
    const char* what;
    float rotation;  // RY of node 1 in the step (MY at end A)
    bool ductility;  // option 11 between the state and the commit
    bool reset;      // option 13 before the state
  };
  // 4EI/L = 1.2E8 per radian against MP = 1.0E6: the end yields near 0.0083.
  const std::array<Step, 4> steps{{{"first yield", 0.02f, false, false},
                                   {"on from the committed state", 0.01f, false, false},
                                   {"reversal, ductility asked", -0.05f, true, false},
                                   {"first yield after a reset", 0.02f, false, true}}};
  for (const Step& st : steps) {
    if (st.reset) option(elements::kEleReset, 1);
    disp(5) = st.rotation;
    option(elements::kEleState, 1);
    if (st.ductility) option(elements::kEleDuct, 1);
    option(elements::kEleCommit, 1);
    EXPECT_EQ(halves_alike(), 0) << st.what << ": the first word that differs";
    if (st.rotation == 0.02f) {
      EXPECT_EQ(kv::rzm(sta + 3), 1.0f) << st.what << ": MY-A yielding";         // word 4
      EXPECT_EQ(kv::rzm(sta + 14), 1.0f) << st.what << ": first yield recorded";  // word 15
    }
  }
}

TEST(Ie3dbeamDeck, CompressedColumnChangesItsInteractionStateAndChecksItsShears) {
  const auto r = run_case("ie3dbeam_interaction_shear.dat");
  // The skipped joint check of column 2 is an input warning.
  ASSERT_EQ(r.status, 3) << r.console;
  EXPECT_NE(r.console.find(" *** WARNING AT INPUT LINE    44: ELEMENT 1 END B: JOINT SHEAR CHECK SKIPPED, J3, J5 OR J6 "
                           "IS 0.0 OR J4 NEGATIVE\n"),
            std::string::npos)
      << r.console;
  // Column 1: P = 50000 and H = 1000 per unit factor, P0 = 1.0E5, M0 = 1.0E6.
  // At 1.7 (n = 0.85) the base moment 1.7E5 gives (1.7/1.8)^6.93 = 0.67; at
  // 1.8 (step 6, n = 0.9) it exceeds 0.12 M0: end A is on the surface. At
  // 2.05 (step 8) n passes 1.0: both ends.
  EXPECT_EQ(etest::count_of(r.output, " LOCAL BUCKLING OCCURRED "), 2);
  EXPECT_EQ(etest::count_of(r.output, " * ELEMENT     1 LOCAL BUCKLING OCCURRED AT STEP     6 IAFAG=    2 *"), 1);
  EXPECT_EQ(etest::count_of(r.output, " * ELEMENT     1 LOCAL BUCKLING OCCURRED AT STEP     8 IAFAG=    4 *"), 1);
  // Member shear 1000 x 1.6 = 1600 > VC = 1500 at step 4, once, at both ends;
  // the message goes with limit-state point 3.
  EXPECT_EQ(etest::count_of(r.output, "FAILED DUE TO SHEAR                          AT END A   "), 1);
  EXPECT_EQ(etest::count_of(r.output, "FAILED DUE TO SHEAR                          AT END B   "), 1);
  EXPECT_EQ(etest::count_of(r.output, " SHEAR IN Z "), 1);
  EXPECT_NE(r.output.find(" * ELEMENT     1 SHEAR IN Z  DIR. AT END A   =  0.1600E+04 > SHEAR \n"
                          " CAPACITY OF   0.1500E+04AT STEP =    4"),
            std::string::npos);
  // The history listed every third step: 0, 3, 6, 9. At 1.5: axial 75000,
  // shear 1500, base moment 1.5E5, tip PL^3/3EI = 0.166667, PL/EA = 2.5E-4.
  EXPECT_NE(r.output.find("     IE3D BEAM FORCES...\n      STEP    TIME         NODE       AXIAL           FY"),
            std::string::npos);
  EXPECT_NE(r.output.find("         3    0.00000E+00     1   7.500000E+04   0.000000E+00   1.500000E+03"
                          "   0.000000E+00  -1.500000E+05   0.000000E+00\n"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("-2.500000E-04   0.000000E+00  -1.666670E-01"), std::string::npos);
  for (int step : {0, 6, 9}) {
    const std::string lead = std::string(9, ' ') + std::to_string(step) + "    0.00000E+00     1";
    EXPECT_NE(r.output.find(lead), std::string::npos) << step;
  }
  for (int step : {1, 2, 4, 5, 7, 8}) {
    const std::string lead = std::string(9, ' ') + std::to_string(step) + "    0.00000E+00     1";
    EXPECT_EQ(r.output.find(lead), std::string::npos) << step;
  }
  // Step 9: the four bending ends have yielded on their reduced capacities.
  EXPECT_NE(r.output.find(" 001111\n"), std::string::npos);
  // Column 2: joint shear at end A. bj = sqrt(2) x 10, TAU = M/(bj J3 J5) =
  // 25000/1414.21 = 17.68 at step 1 over Y3 = 10 (no axial load, mu = 0).
  EXPECT_EQ(etest::count_of(r.output, "FAILED DUE TO POSSIBLE JOINT SHEAR CRACK     AT END A   "), 1);
  EXPECT_EQ(etest::count_of(r.output, " JOINT SHEAR STRESS "), 1);
  EXPECT_NE(r.output.find(" * ELEMENT     1 JOINT SHEAR STRESS IN Z  DIR. AT END A   =  0.1768E+02 > JOINT SHEAR \n"
                          " STRESS CAPACITY OF   0.1000E+02AT STEP =    1"),
            std::string::npos);
  // End B asks for a joint check with J3 = 0.0: said once at input, skipped.
  EXPECT_EQ(etest::count_of(r.output, "END B   : JOINT SHEAR CHECK SKIPPED"), 1);
  EXPECT_EQ(r.output.find("AT END B   =  "), std::string::npos);
  EXPECT_EQ(r.output.find("NaN"), std::string::npos);
}

}  // namespace

namespace {

// "READ" lists a history file that holds another state than the element's
// committed one; the element keeps its own forces, deformations, joints and
// limit code, so that the next solution starts from them.
TEST_F(Ie3dbeamRecord, HistoryReadBackLeavesTheCommittedStateAsItWas) {
  sets({0, 0, 0, 0});
  column();
  using elements::ie3dbeam::kFlp;
  auto fl = [&](int k) { return kv::rzm(record(1) + kFl + k - 1); };
  auto ul = [&](int k) { return kv::rzm(record(1) + kUl + k - 1); };
  // The state written: FL(k) = k, UL(k) = k / 1000, FLP 2.0.
  for (int k = 1; k <= 12; ++k) {
    fl(k) = static_cast<float>(k);
    ul(k) = static_cast<float>(k) / 1000.0f;
  }
  kv::rzm(record(1) + kFlp) = 2.0f;
  const std::string hist = (dir_ / "hist.out").string();
  ASSERT_TRUE(fio::open(20, hist));
  fio::write_list(20, 2, 1, 5, 0.5f, 0.01f);  // the request header: kind, element, NINT, T0, DT
  kv::ctl(kv::kIUNIT) = 20;
  option(elements::kEleHistWrite, 1);
  fio::close(20);

  // The committed state is now another one.
  for (int k = 1; k <= 12; ++k) {
    fl(k) = -static_cast<float>(k);
    ul(k) = 0.0f;
  }
  kv::rzm(record(1) + kFlp) = 0.0f;
  kv::izm(record(1) + kJntA) = 7;  // the file says 1 and 2
  kv::izm(record(1) + kJntB) = 8;
  ASSERT_TRUE(fio::open(20, hist));
  std::string header;
  ASSERT_EQ(fio::read_record(20, header), fio::Status::ok);
  kv::ctl(kv::kINC) = 1;
  option(elements::kEleHistRead, 1);

  // The listing shows the file: step 0 at T0 = 0.5, joint 1, FL(1) = 1.0.
  const std::string out = unit6();
  EXPECT_NE(out.find("\n         0    5.00000E-01     1   1.000000E+00   2.000000E+00"), std::string::npos) << out;
  for (int k = 1; k <= 12; ++k) {
    EXPECT_EQ(fl(k), -static_cast<float>(k)) << k;
    EXPECT_EQ(ul(k), 0.0f) << k;
  }
  EXPECT_EQ(kv::rzm(record(1) + kFlp), 0.0f);
  EXPECT_EQ(kv::izm(record(1) + kJntA), 7);
  EXPECT_EQ(kv::izm(record(1) + kJntB), 8);
}

}  // namespace
