// The strut and brace element (type 8) on hand-made models, under stand-in
// materials that do exactly what the element relies on: a brace material
// (type 8, 42 state words, event word 40) and a local-buckling material
// (type 13, 39 state words, no event words).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/globals.h"
#include "elements/eledsp.h"
#include "elements/spring_model.h"
#include "fio/fio.h"
#include "materials/brace.h"
#include "materials/matdsp.h"

namespace {

using elements::EleCall;
using stest::near_rel;
using stest::Node;
using stest::SpringInput;

constexpr int kNd = 1, kDdefo = 6, kDefo = 7, kF = 8, kFt = 9, kSke = 13, kLength = 14;
constexpr int kFmax = 53, kDmax = 54;
namespace bw = materials::brace;  // the brace state words

// What the last option-5 call of the stand-in brace material received.
float g_damage_p = 0.0f;
float g_damage_d = 0.0f;

// Stand-in brace material. PROP: EA, buckling load PB, allowable elongation DU,
// yield elongation DY. Elastic with KE = EA / L (L from state word 5); the
// force is held at -PB in compression; word 40 becomes 1.0 at the first
// buckling (only from 0.0) and 2.0 once D reaches DU.
void test_brace(materials::MatCall& c) {
  c.nstate = bw::kNState;
  float* s = materials::state_words(c);
  const float* prop = materials::prop_words(c);
  switch (c.iopt) {
    case materials::kOptInit:
      for (int k = 1; k <= bw::kNState; ++k)
        if (k != bw::kKeff && k != bw::kLength) s[k] = 0.0f;
      s[bw::kK] = s[bw::kLength] != 0.0f ? prop[1] / s[bw::kLength] : 0.0f;
      s[bw::kDU] = prop[3];
      break;
    case materials::kOptState: {
      c.p = s[bw::kK] * c.d;
      if (c.p < -prop[2]) {
        c.p = -prop[2];
        if (s[bw::kEvent] == 0.0f) s[bw::kEvent] = 1.0f;
      }
      if (c.d >= prop[3] && s[bw::kEvent] != 2.0f) s[bw::kEvent] = 2.0f;
      s[bw::kUmax] = std::max(s[bw::kUmax], std::fabs(c.d) / prop[4]);
      s[bw::kEse] = 0.5f * c.p * c.d;
      break;
    }
    case materials::kOptResults:
      c.ese = s[bw::kEse];
      c.pse = 3.0f;
      c.duct = {s[bw::kUmax], 0.0f, 0.0f};
      c.ex = {0.25f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
      break;
    case materials::kOptDamage:
      g_damage_p = c.p;
      g_damage_d = c.d;
      c.p = 111.0f;
      c.d = 222.0f;
      c.ese = 1.0f;
      c.pse = 3.0f;
      c.di = 0.2f;
      break;
    default:
      break;
  }
}

// Stand-in local-buckling material: 39 words a half, elastic KE = EA / L.
void test_locbkl(materials::MatCall& c) {
  c.nstate = bw::kNStateTube;
  float* s = materials::state_words(c);
  const float* prop = materials::prop_words(c);
  if (c.iopt == materials::kOptInit) s[bw::kK] = s[bw::kLength] != 0.0f ? prop[1] / s[bw::kLength] : 0.0f;
  if (c.iopt == materials::kOptState) c.p = s[bw::kK] * c.d;
}

class Brace : public stest::SpringModel {
 protected:
  void SetUp() override {
    SpringModel::SetUp();
    materials::register_material(8, test_brace);
    materials::register_material(13, test_locbkl);
  }
  void TearDown() override {
    materials::register_material(8, nullptr);
    materials::register_material(13, nullptr);
    materials::register_builtin_materials();
    SpringModel::TearDown();
  }

  // A brace 200 long along global x between nodes 1 and 2 (equations 1-6 and
  // 7-12), KEFF 0.8; EA 320000 gives KE = 1600.
  int brace_model(float pb = 100.0f, float du = 0.5f) {
    nodes({{1, 0, 0, 0, {1, 2, 3, 4, 5, 6}}, {2, 200, 0, 0, {7, 8, 9, 10, 11, 12}}}, 12);
    return material(8, {320000.0f, pb, du, 0.05f});
  }
  static SpringInput strut(int set) {
    return {.set = float(set), .node_i = 1, .node_j = 2, .ktype = 1, .length = 0.8f};
  }

  // One load step of an inelastic solution: node 2 moves by du along x.
  void load_step(int n, int istep, float du) {
    kv::solsta().istep = istep;
    step({{7, du}});
    option(elements::kEleState, n);
    option(elements::kEleCommit, n);
  }
};

TEST_F(Brace, HandsLengthAndKeffToTheMaterialAndUsesItsTangentAsIs) {
  const int set = brace_model();
  const EleCall c = element(8, "BR-1", strut(set));
  EXPECT_EQ(c.nd, 2);
  EXPECT_EQ(c.nback, 75);
  EXPECT_FLOAT_EQ(committed(1)[bw::kKeff], 0.8f);
  EXPECT_FLOAT_EQ(committed(1)[bw::kLength], 200.0f);
  EXPECT_FLOAT_EQ(rword(1, kSke), 1600.0f);
  const std::vector<float> k = global_matrix(1);
  EXPECT_FLOAT_EQ(term(k, 1, 1), 1600.0f);  // EA / L, not divided by L again
  EXPECT_FLOAT_EQ(term(k, 1, 7), -1600.0f);
  EXPECT_FLOAT_EQ(term(k, 7, 7), 1600.0f);

  const std::string out = unit6();
  EXPECT_NE(out.find("\n ELEMENT 08, ONE (LOCAL) DOF STRUT ELEMENT\n\n                     #  MATL START   END"),
            std::string::npos);
  EXPECT_NE(out.find(" BR-1                1     1     1     2      AXIAL     2.0000E+02  0.00000 I +1.00000 J"
                     " +0.00000 K  0.0000E+00  0.0000E+00\n"),
            std::string::npos);
}

TEST_F(Brace, ReportsItsBucklingOnceAndItsFirstExcessElongationAsLimitStatePoint3) {
  const int set = brace_model();
  element(8, "BR-1", strut(set));
  solution(1, false);
  take6();

  // Deformation path: 0.05, -0.1 (buckles), -0.2, 0.1, -0.2 (buckled again),
  // 0.6 (beyond DU = 0.5), -0.9.
  const float path[] = {0.05f, -0.15f, -0.1f, 0.3f, -0.3f, 0.8f, -1.5f};
  std::vector<std::string> out;
  for (int s = 1; s <= 7; ++s) {
    load_step(1, s, path[s - 1]);
    out.push_back(take6());
    if (s < 6) {
      EXPECT_EQ(kv::solsta().lsflag[3], 0.0f) << s;
    }
  }
  EXPECT_EQ(out[1], "\n**** BRACE ELEMENT          1 BUCKLED AT STEP =     2. DISP. =   -0.100000E+00\n\n");
  EXPECT_EQ(out[5], "\n**** BRACE ELEMENT          1 ELONGATION AT STEP =     6 IS    0.600000E+00"
                    "WHICH IS GREATER THAN MAXIMUM ALLOWABLE ELONGATION OF    0.500000E+00\n\n");
  for (int s : {0, 2, 3, 4, 6}) EXPECT_EQ(out[static_cast<std::size_t>(s)], "") << s + 1;
  EXPECT_EQ(kv::solsta().lsflag[3], 1.0f);
  EXPECT_EQ(kv::solsta().lselem[3], 1);

  // Committed forces follow the material; the largest force and the largest
  // deformation are kept each on its own.
  EXPECT_TRUE(near_rel(rword(1, kFt), -100.0));
  EXPECT_TRUE(near_rel(rword(1, kDefo), -0.9));
  EXPECT_TRUE(near_rel(rword(1, kFmax), 960.0));
  EXPECT_TRUE(near_rel(rword(1, kDmax), -0.9));
  int ltype = 0;
  option(elements::kEleMaxima, 1, true, &ltype);
  const std::string maxima = take6();
  EXPECT_NE(maxima.find("       BRACE FORCES...     MAXIMUM LOAD AND DISPL"), std::string::npos);
  EXPECT_NE(maxima.find("         1    0      AXIAL     1     2   9.600000E+02  -9.000000E-01\n"), std::string::npos);
}

TEST_F(Brace, ALaterBraceLeavesTheLimitStatePointToTheFirst) {
  const int set = brace_model();
  element(8, "FIRST", strut(set));
  element(8, "SECOND", strut(set));
  solution(1, false);
  kv::solsta().lsflag[3] = 1.0f;  // reached earlier in this solution, by element 9
  kv::solsta().lselem[3] = 9;
  take6();
  load_step(2, 4, 0.7f);
  load_step(1, 5, 0.7f);
  const std::string out = take6();
  EXPECT_EQ(stest::count_of(out, " ELONGATION AT "), 2);  // each brace reports its own
  EXPECT_EQ(kv::solsta().lselem[3], 9);

  kv::solsta().lsflag[3] = 0.0f;  // a new static nonlinear solution clears the point
  kv::solsta().lselem[3] = 0;
  element(8, "THIRD", strut(set));
  element(8, "FOURTH", strut(set));
  load_step(4, 1, 0.7f);
  load_step(3, 2, 0.7f);
  EXPECT_EQ(kv::solsta().lselem[3], 4);
}

TEST_F(Brace, NoBucklingMessageAfterTheElongationEvent) {
  const int set = brace_model();
  element(8, "BR", strut(set));
  solution(1, false);
  take6();
  load_step(1, 1, 0.6f);   // beyond DU first
  load_step(1, 2, -0.9f);  // then into compression
  const std::string out = take6();
  EXPECT_EQ(stest::count_of(out, " ELONGATION AT "), 1);
  EXPECT_EQ(stest::count_of(out, " BUCKLED "), 0);
}

TEST_F(Brace, EventWordsBelongOnlyToTheBraceMaterial) {
  // A "LOCBKL" half has 39 words: the three words after the trial half are the
  // element's stiffness. Make them look like an unreported elongation event.
  nodes({{1, 0, 0, 0, {1, 2, 3, 4, 5, 6}}, {2, 200, 0, 0, {7, 8, 9, 10, 11, 12}}}, 12);
  const int set = material(13, {320000.0f});
  element(8, "TUBE", strut(set));
  EXPECT_FLOAT_EQ(committed(1)[bw::kKeff], 0.8f);  // the local-buckling model reads these two
  EXPECT_FLOAT_EQ(committed(1)[bw::kLength], 200.0f);
  EXPECT_FLOAT_EQ(rword(1, kSke), 1600.0f);
  float* after_trial = trial(1) + 39;  // after_trial[1..3]: words "40-42" of a 42-word half
  after_trial[1] = 2.0f;
  after_trial[2] = 0.0f;
  after_trial[3] = 0.0f;

  solution(1, false);
  take6();
  kv::solsta().istep = 1;
  step({{7, 0.7f}});
  option(elements::kEleState, 1);
  EXPECT_EQ(after_trial[1], 2.0f);
  EXPECT_EQ(after_trial[2], 0.0f);
  EXPECT_EQ(after_trial[3], 0.0f);
  EXPECT_EQ(kv::solsta().lsflag[3], 0.0f);
  EXPECT_EQ(take6(), "");
}

TEST_F(Brace, ZeroOrNegativeLengthUsesUnitLengthInTheMaterialToo) {
  // Nodes 2 apart with end distances 1 and 1.5: L = -0.5.
  nodes({{1, 0, 0, 0, {1, 2, 3, 4, 5, 6}}, {2, 2, 0, 0, {7, 8, 9, 10, 11, 12}}}, 12);
  const int set = material(8, {320000.0f, 100.0f, 0.5f, 0.05f});
  SpringInput in{.set = float(set), .node_i = 1, .node_j = 2, .ktype = 1, .length = 0.8f, .ds = 1.0f, .de = 1.5f};
  element(8, "SHORT", in);
  EXPECT_FLOAT_EQ(rword(1, kLength), 1.0f);
  EXPECT_FLOAT_EQ(committed(1)[bw::kLength], 1.0f);
  EXPECT_FLOAT_EQ(rword(1, kSke), 320000.0f);  // EA / 1.0, positive
  EXPECT_FLOAT_EQ(term(global_matrix(1), 1, 1), 320000.0f);
  EXPECT_NE(unit6().find(" ********************ERROR - LENGTH IS LE 0\n"
                         "     IELNO=    1     JOINTI=    1     JOINTJ=    2     LENGTH  -5.000000E-01\n"
                         "     REVISE INPUT.............................\n\n"),
            std::string::npos);
}

TEST_F(Brace, OnlyTheAxialComponentIsAccepted) {
  const int set = brace_model();
  SpringInput in = strut(set);
  in.ktype = 2;
  const EleCall c = element(8, "SHEAR", in);
  EXPECT_EQ(c.nd, 0);
  EXPECT_EQ(c.nback, 78);
  EXPECT_NE(unit6().find(" ********************ERROR - INVALID KTYPE\n"
                         "     IELNO=    1     JOINTI=    1     JOINTJ=    2     KTYPE=    2\n"
                         "     REVISE INPUT  FOR KTYPE EQ 1 ..............\n\n"),
            std::string::npos);
  take6();
  option(99, 1);
  EXPECT_EQ(take6(), " INVALID OPTION IN ELE-08, IOPT= 99\n");
}

TEST_F(Brace, DuctilityEnergyAndDamageReports) {
  const int set = brace_model();
  element(8, "BR", strut(set));
  solution(1, false);
  load_step(1, 1, 0.02f);  // D = 0.02: ductility 0.4 against DY = 0.05
  take6();

  // A ductility below 1.0 is reported as 0.0 and does not set R4.
  int ltype = 0;
  const EleCall d = option(elements::kEleDuct, 1, true, &ltype);
  EXPECT_EQ(d.r4, 0.0f);
  EXPECT_TRUE(near_rel(d.r1, 0.5 * 32.0 * 0.02));
  EXPECT_EQ(d.r2, 3.0f);
  EXPECT_EQ(take6(), "\n  STRUT DUCTILITIES AND EXCURSION RATIOS....\n"
                     "   ELEMENT |- DUCTILITY DEFINATION #1 -| \n"
                     "              DUCTILITY    EXCURSION     \n"
                     "         1   0.000000E+00   2.500000E-01\n");
  load_step(1, 2, 0.08f);  // D = 0.1: ductility 2
  EXPECT_TRUE(near_rel(option(elements::kEleDuct, 1).r4, 2.0));

  // Damage: the material gets FMAX and the largest deformation and returns
  // its own values; R3 is the index times ESE + PSE.
  ltype = 0;
  const EleCall g = option(elements::kEleDamage, 1, true, &ltype);
  EXPECT_TRUE(near_rel(g_damage_p, 160.0));
  EXPECT_TRUE(near_rel(g_damage_d, 0.1));
  EXPECT_TRUE(near_rel(g.r3, 0.8));
  EXPECT_EQ(take6(), "   ELEMENT  DAMAGE INDEX       F MAX          D MAX          ESE            PSE       \n"
                     "         1   2.000000E-01   1.110000E+02   2.220000E+02   1.000000E+00   3.000000E+00\n");

  // In an elastic solution the strain energy is the element's own triangle,
  // and no damage index is formed.
  kv::set_ctl_logical(kv::kELASTC, true);
  step({{7, 0.1f}});
  option(elements::kEleState, 1);  // F = 1600 x 0.1 = 160 on FT = 160, DEFO = 0.1
  EXPECT_TRUE(near_rel(option(elements::kEleEnergy, 1).r1, 0.5 * 0.2 * 320.0));
  EXPECT_EQ(option(elements::kEleDamage, 1).r3, 0.0f);
}

TEST_F(Brace, ResetKeepsKeffAndRestoresTheLength) {
  const int set = brace_model();
  element(8, "BR", strut(set));
  solution(1, false);
  load_step(1, 1, -0.15f);  // buckled
  load_step(1, 2, 0.85f);   // beyond DU
  ASSERT_EQ(committed(1)[bw::kEvent], 2.0f);
  ASSERT_EQ(committed(1)[bw::kBuckleShown], 1.0f);
  ASSERT_EQ(committed(1)[bw::kElongShown], 1.0f);
  take6();
  option(elements::kEleReset, 1);
  EXPECT_EQ(take6(), " BRACE .......... ELEMENT #     1  INTERNAL FORCES AND HYSTERESIS MODELS ARE RESET TO ZERO\n");
  EXPECT_FLOAT_EQ(committed(1)[bw::kKeff], 0.8f);
  EXPECT_FLOAT_EQ(committed(1)[bw::kLength], 200.0f);
  EXPECT_FLOAT_EQ(committed(1)[bw::kK], 1600.0f);
  for (int k : {bw::kEvent, bw::kBuckleShown, bw::kElongShown}) EXPECT_EQ(committed(1)[k], 0.0f) << k;
  for (int k : {kDdefo, kDefo, kF, kFt, kFmax, kDmax}) EXPECT_EQ(rword(1, k), 0.0f) << k;

  // After the reset the brace reports its buckling again.
  load_step(1, 3, -0.15f);
  EXPECT_EQ(stest::count_of(take6(), " BUCKLED "), 1);
}

TEST_F(Brace, HistoryReadBackCountsTheSolutionStep) {
  const int set = brace_model();
  element(8, "BR", strut(set));
  solution(1, false);
  const std::string path = (dir_ / "hist31.dat").string();
  ASSERT_TRUE(fio::open(31, path));
  for (int k = 0; k < 4; ++k) fio::write_record(31, "TITLE");
  fio::write(31, "(3I10,1P,2E15.5,0P,1X,I6,A)", 2, 1, 5, 0.0f, 0.0f, 8, "ELEMENT");
  kv::ctl(kv::kIUNIT) = 31;
  for (int s = 1; s <= 3; ++s) {
    load_step(1, s, 0.01f);
    option(elements::kEleHistWrite, 1);
  }
  fio::rewind(31);
  std::string line;
  for (int k = 0; k < 5; ++k) ASSERT_EQ(fio::read_record(31, line), fio::Status::ok);
  kv::ctl(kv::kINC) = 1;
  kv::solsta().istep = 0;
  take6();
  option(elements::kEleHistRead, 1);
  EXPECT_EQ(kv::solsta().istep, 10);  // the step of the last record
  const std::string out = take6();
  EXPECT_NE(out.find("\n BRACE MEMBER FORCES...     NODEI:     1     NODEJ:     2     BRACE\"S TYPE:    AXIAL\n"),
            std::string::npos);
  EXPECT_NE(out.find("\n        10    0.00000E+00  4.80000E+01  3.00000E-02  1.60000E+03"), std::string::npos);
  // Ductility 0.03 / 0.05 = 0.6 and excursion 0.25 of the last record.
  EXPECT_NE(out.find("\n          MAXIMUN DUCTILITIES AND EXCURSION RATIOS\n"
                     "         ==========================================\n"
                     "              DISPLACEMENT DEFINATION: U1=  6.0000E-01     E1=  2.5000E-01\n"
                     "              ENERGY DEFINATION #1:    U2=  0.0000E+00     E2=  0.0000E+00\n"
                     "              ENERGY DEFINATION #2:    U3=  0.0000E+00     E3=  0.0000E+00\n"),
            std::string::npos);
}

}  // namespace
