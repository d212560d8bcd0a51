// The one-DOF spring element (type 2) on hand-made models: transformation and
// stiffness for every component type, rotated springs, rigid end distances,
// coincident nodes, rejected records, state determination with the unbalanced
// force, commits, reports and history records.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "base/globals.h"
#include "elements/eledsp.h"
#include "elements/spring_model.h"
#include "fio/fio.h"
#include "materials/bilinear.h"
#include "support/test_support.h"

namespace {

using elements::EleCall;
using stest::near_rel;
using stest::Node;
using stest::SpringInput;

// Record words of the spring.
constexpr int kNd = 1, kDdefo = 6, kDefo = 7, kF = 8, kFt = 9, kNhyst = 12, kSke = 13, kLength = 14;
constexpr int kTI = 16, kTJ = 28, kFmax = 53, kDmax = 54;

// Two nodes, each with its own six equations (node 1: 1-6, node 2: 7-12).
std::vector<Node> two_nodes(float x2, float y2, float z2) {
  return {{1, 0, 0, 0, {1, 2, 3, 4, 5, 6}}, {2, x2, y2, z2, {7, 8, 9, 10, 11, 12}}};
}

// Every term of the 12 x 12 global matrix that is not listed is zero.
void expect_matrix(const std::vector<float>& k, const std::vector<std::tuple<int, int, double>>& terms) {
  std::vector<double> want(144, 0.0);
  for (const auto& [r, c, v] : terms) {
    want[static_cast<std::size_t>((r - 1) * 12 + c - 1)] = v;
    want[static_cast<std::size_t>((c - 1) * 12 + r - 1)] = v;
  }
  for (int r = 1; r <= 12; ++r)
    for (int c = 1; c <= 12; ++c)
      EXPECT_TRUE(near_rel(k[static_cast<std::size_t>((r - 1) * 12 + c - 1)], want[static_cast<std::size_t>((r - 1) * 12 + c - 1)]))
          << "term (" << r << ", " << c << ")";
}

class Spring : public stest::SpringModel {};

TEST_F(Spring, EachComponentTypeActsOnItsOwnDofWithTangentOverLength) {
  // A spring of length 2 along global x: every component type couples the same
  // degree of freedom of the two nodes with KE / L = 100 / 2.
  nodes(two_nodes(2, 0, 0), 12);
  const int set = bilinear(100, 10, 0, 10, 0.1f);
  for (int ktype = 1; ktype <= 6; ++ktype) {
    const EleCall c = element(2, "SP-" + std::to_string(ktype), {.set = float(set), .node_i = 1, .node_j = 2,
                                                                  .ktype = float(ktype)});
    EXPECT_EQ(c.nd, 2);
    EXPECT_EQ(c.nback, 78 - 3);
  }
  for (int ktype = 1; ktype <= 6; ++ktype) {
    SCOPED_TRACE(ktype);
    EXPECT_EQ(lm(ktype), (std::vector<int>{ktype, ktype + 6}));
    expect_matrix(global_matrix(ktype), {{ktype, ktype, 50.0}, {ktype + 6, ktype + 6, 50.0}, {ktype, ktype + 6, -50.0}});
    EXPECT_EQ(iword(ktype, kNhyst), 48);  // two copies of the bilinear model's 24 words
    EXPECT_FLOAT_EQ(rword(ktype, kSke), 100.0f);
  }

  const std::string out = unit6();
  EXPECT_EQ(stest::count_of(out, " ELEMENT 02, ONE (LOCAL) DOF SPRING ELEMENT"), 1);
  EXPECT_NE(out.find("\n ELEMENT 02, ONE (LOCAL) DOF SPRING ELEMENT\n\n"
                     "                     #  MATL START   END  --TYPE---      LENGTH   -----------"
                     "  Y-AXIS  ------------  START DIST    END DIST\n"),
            std::string::npos);
  EXPECT_NE(out.find(" SP-1                1     1     1     2      AXIAL     2.0000E+00  0.00000 I +1.00000 J"
                     " +0.00000 K  0.0000E+00  0.0000E+00\n"),
            std::string::npos);
  for (const char* name : {"  SHEAR-Y", "  SHEAR-Z", "  TORSION", "BENDING-Y", "BENDING-Z"})
    EXPECT_NE(out.find(std::string("     2  ") + name + "   "), std::string::npos) << name;
}

TEST_F(Spring, RotatedSpringSpreadsItsComponentOverTheGlobalDofs) {
  // Node 2 at (3, 4, 0): x along (0.6, 0.8, 0); VY = global z, so the local z
  // axis is x cross y = (0.8, -0.6, 0). KE = 100 over L = 5 gives k = 20.
  nodes(two_nodes(3, 4, 0), 12);
  const int set = bilinear(100, 10, 0, 10, 0.1f);
  const SpringInput axial{.set = float(set), .node_i = 1, .node_j = 2, .ktype = 1, .vy_y = 0, .vy_z = 1};
  SpringInput shear_z = axial;
  shear_z.ktype = 3;
  EXPECT_EQ(element(2, "AX", axial).nd, 4);
  EXPECT_EQ(element(2, "SZ", shear_z).nd, 4);

  EXPECT_EQ(lm(1), (std::vector<int>{1, 2, 7, 8}));
  EXPECT_TRUE(near_rel(rword(1, kTI), 0.6));
  EXPECT_TRUE(near_rel(rword(1, kTI + 1), 0.8));
  EXPECT_EQ(rword(1, kTJ), 0.0f);
  EXPECT_TRUE(near_rel(rword(1, kTJ + 2), 0.6));
  EXPECT_TRUE(near_rel(rword(1, kTJ + 3), 0.8));
  // k (t2 - t1)(t2 - t1)' with t2 - t1 = (-0.6, -0.8, 0.6, 0.8).
  expect_matrix(global_matrix(1), {{1, 1, 7.2}, {1, 2, 9.6}, {2, 2, 12.8}, {1, 7, -7.2}, {1, 8, -9.6},
                                   {2, 7, -9.6}, {2, 8, -12.8}, {7, 7, 7.2}, {7, 8, 9.6}, {8, 8, 12.8}});
  // Along local z: t2 - t1 = (-0.8, 0.6, 0.8, -0.6).
  expect_matrix(global_matrix(2), {{1, 1, 12.8}, {1, 2, -9.6}, {2, 2, 7.2}, {1, 7, -12.8}, {1, 8, 9.6},
                                   {2, 7, 9.6}, {2, 8, -7.2}, {7, 7, 12.8}, {7, 8, -9.6}, {8, 8, 7.2}});

  // Node 2 moves 0.05 along global x: the axial spring stretches 0.6 x 0.05.
  solution(1, false);
  step({{7, 0.05f}});
  option(elements::kEleState, 1);
  EXPECT_TRUE(near_rel(rword(1, kDdefo), 0.03));
  EXPECT_TRUE(near_rel(rword(1, kF), 0.6));  // 100 x 0.03 / 5, elastic
  EXPECT_EQ(unbalanced(1), 0.0f);
  EXPECT_EQ(unbalanced(7), 0.0f);
}

TEST_F(Spring, RigidEndDistancesShortenTheSpringAndCoupleNodeRotations) {
  // Nodes 3 apart, the spring from 0.5 after node 1 to 0.5 before node 2: L = 2.
  nodes(two_nodes(3, 0, 0), 12);
  const int set = bilinear(100, 10, 0, 10, 0.1f);
  const SpringInput shear_y{.set = float(set), .node_i = 1, .node_j = 2, .ktype = 2, .ds = 0.5f, .de = 0.5f};
  SpringInput axial = shear_y;
  axial.ktype = 1;
  EXPECT_EQ(element(2, "SY", shear_y).nd, 4);
  EXPECT_EQ(element(2, "AX", axial).nd, 2);
  EXPECT_FLOAT_EQ(rword(2, kLength), 2.0f);
  EXPECT_EQ(lm(2), (std::vector<int>{1, 7}));
  expect_matrix(global_matrix(2), {{1, 1, 50.0}, {7, 7, 50.0}, {1, 7, -50.0}});

  // The shear end moves with v + 0.5 theta_z at node 1 and v - 0.5 theta_z at
  // node 2: t2 - t1 = (-1, -0.5, 1, -0.5) on equations 2, 6, 8, 12; k = 50.
  EXPECT_EQ(lm(1), (std::vector<int>{2, 6, 8, 12}));
  expect_matrix(global_matrix(1), {{2, 2, 50.0}, {2, 6, 25.0}, {6, 6, 12.5}, {2, 8, -50.0}, {2, 12, 25.0},
                                   {6, 8, -25.0}, {6, 12, 12.5}, {8, 8, 50.0}, {8, 12, -25.0}, {12, 12, 12.5}});
  EXPECT_NE(unit6().find("  SHEAR-Y     2.0000E+00  0.00000 I +1.00000 J +0.00000 K  5.0000E-01 -5.0000E-01\n"),
            std::string::npos);

  // A rotation of node 1 alone deforms the shear spring by -0.5 x 0.01.
  solution(1, true);
  step({{6, 0.01f}});
  option(elements::kEleState, 1);
  EXPECT_TRUE(near_rel(rword(1, kDdefo), -0.005));
  EXPECT_TRUE(near_rel(rword(1, kF), -0.25));
}

TEST_F(Spring, CoincidentNodesActAlongNodeIAxes) {
  // Node 1 has its own axes: x along global y, y along -global x. Both nodes
  // sit at one point.
  const stest::CosineSet turned{{{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}};
  nodes({{1, 1, 1, 1, {1, 2, 3, 4, 5, 6}, 2}, {2, 1, 1, 1, {7, 8, 9, 10, 11, 12}, 1}}, 12,
        {stest::kIdentitySet, turned});
  const int set = bilinear(100, 10, 0, 10, 0.1f);
  const SpringInput plain{.set = float(set), .node_i = 1, .node_j = 2, .ktype = 1};
  SpringInput given = plain;
  given.length = 10;
  SpringInput offset = plain;
  offset.ds = 0.5f;
  element(2, "ZERO", plain);
  element(2, "GIVEN", given);
  element(2, "OFFSET", offset);

  // L = 1: the material sees the relative displacement itself. Node 1's FX
  // (its own x axis) faces node 2's FY (global y).
  EXPECT_FLOAT_EQ(rword(1, kLength), 1.0f);
  EXPECT_EQ(lm(1), (std::vector<int>{1, 8}));
  expect_matrix(global_matrix(1), {{1, 1, 100.0}, {8, 8, 100.0}, {1, 8, -100.0}});
  // A given length replaces the unit length.
  expect_matrix(global_matrix(2), {{1, 1, 10.0}, {8, 8, 10.0}, {1, 8, -10.0}});
  // End distances on coincident nodes: still node 1's axes, and the length
  // message with L = 1.0 in place of -0.5.
  EXPECT_FLOAT_EQ(rword(3, kLength), 1.0f);
  expect_matrix(global_matrix(3), {{1, 1, 100.0}, {8, 8, 100.0}, {1, 8, -100.0}});

  const std::string out = unit6();
  EXPECT_EQ(out.find("NaN"), std::string::npos);
  EXPECT_NE(out.find(" ZERO                1     1     1     2      AXIAL     1.0000E+00 -1.00000 I +0.00000 J"
                     " +0.00000 K  0.0000E+00  0.0000E+00\n"),
            std::string::npos);
  EXPECT_NE(out.find(" ********************ERROR - LENGTH IS LE 0\n"
                     "     IELNO=    3     JOINTI=    1     JOINTJ=    2     LENGTH  -5.000000E-01\n"
                     "     REVISE INPUT.............................\n\n"),
            std::string::npos);
}

TEST_F(Spring, NodesSharingEveryEquationKeepNoDof) {
  nodes({{1, 0, 0, 0, {1, 2, 3, 4, 5, 6}}, {2, 2, 0, 0, {1, 2, 3, 4, 5, 6}}}, 6);
  const int set = bilinear(100, 10, 0, 10, 0.1f);
  const EleCall c = element(2, "TIED", {.set = float(set), .node_i = 1, .node_j = 2, .ktype = 1});
  EXPECT_EQ(c.nd, 0);
  EXPECT_EQ(c.nback, 78);

  solution(1, false);
  step({{1, 0.3f}});
  option(elements::kEleState, 1);
  option(elements::kEleCommit, 1);
  EXPECT_EQ(rword(1, kFt), 0.0f);
  EXPECT_EQ(unbalanced(1), 0.0f);
}

TEST_F(Spring, ComponentTypeOutsideTheTableRejectsTheElement) {
  nodes(two_nodes(2, 0, 0), 12);
  const int set = bilinear(100, 10, 0, 10, 0.1f);
  for (float ktype : {7.0f, 0.0f}) {
    const EleCall c = element(2, "BAD", {.set = float(set), .node_i = 1, .node_j = 2, .ktype = ktype});
    EXPECT_EQ(c.nd, 0);
    EXPECT_EQ(c.nback, 78);
  }
  element(2, "GOOD", {.set = float(set), .node_i = 1, .node_j = 2, .ktype = 1});

  const std::string out = take6();
  EXPECT_NE(out.find(" ********************ERROR - INVALID KTYPE\n"
                     "     IELNO=    1     JOINTI=    1     JOINTJ=    2     KTYPE=    7\n"
                     "     REVISE INPUT  1 LE KTYPE LE 6 .............\n\n"),
            std::string::npos);
  EXPECT_NE(out.find("     IELNO=    2     JOINTI=    1     JOINTJ=    2     KTYPE=    0\n"), std::string::npos);
  EXPECT_EQ(out.find(" BAD "), std::string::npos);  // no echo line for a rejected element
  EXPECT_NE(out.find(" GOOD "), std::string::npos);
  // The first element of the run (rejected) still brings the table heading,
  // after its message; the elements after it print none of their own.
  EXPECT_EQ(stest::count_of(out, " ELEMENT 02, ONE (LOCAL) DOF SPRING ELEMENT"), 1);
  EXPECT_NE(out.find("     REVISE INPUT  1 LE KTYPE LE 6 .............\n\n\n"
                     " ELEMENT 02, ONE (LOCAL) DOF SPRING ELEMENT\n"),
            std::string::npos)
      << out;
  EXPECT_LT(out.find(" ELEMENT 02, ONE (LOCAL) DOF SPRING ELEMENT"), out.find(" GOOD "));

  // The solution options pass the rejected elements over.
  solution(1, false);
  step({{7, 0.05f}});
  int ltype = 0;
  for (int n = 1; n <= 3; ++n) option(elements::kEleStiff, n);
  for (int n = 1; n <= 3; ++n) option(elements::kEleState, n, true, &ltype);
  ltype = 0;
  for (int n = 1; n <= 3; ++n) option(elements::kEleCommit, n, true, &ltype);
  EXPECT_EQ(rword(1, kFt), 0.0f);
  EXPECT_FLOAT_EQ(rword(3, kFt), 2.5f);  // 100 x 0.05 / 2
  const std::string report = take6();
  EXPECT_EQ(stest::count_of(report, "       SPRING FORCES..."), 2);  // the option 4 and 5 headers
  EXPECT_EQ(report.find("         1    1"), std::string::npos);
  EXPECT_NE(report.find("         3    1      AXIAL     1     2   2.500000E+00   5.000000E-02   5.000000E+01\n"),
            std::string::npos);
}

TEST_F(Spring, MissingNodeOrMaterialSetRejectsTheElement) {
  nodes(two_nodes(2, 0, 0), 12);
  const int set = bilinear(100, 10, 0, 10, 0.1f);
  const EleCall no_node = element(2, "NONODE", {.set = float(set), .node_i = 1, .node_j = 9, .ktype = 1});
  const EleCall no_set = element(2, "NOSET", {.set = 5, .node_i = 1, .node_j = 2, .ktype = 1});
  for (const EleCall& c : {no_node, no_set}) {
    EXPECT_EQ(c.nd, 0);
    EXPECT_EQ(c.nback, 78);
  }
  EXPECT_EQ(iword(2, kNhyst), 0);  // the set gave no state words
  const std::string out = take6();
  EXPECT_NE(out.find("ROR, INVALID MATERIAL PROP.#    5"), std::string::npos);
  EXPECT_EQ(out.find(" NONODE "), std::string::npos);
  EXPECT_EQ(out.find(" NOSET "), std::string::npos);
  EXPECT_EQ(stest::count_of(out, " ELEMENT 02, ONE (LOCAL) DOF SPRING ELEMENT"), 1);

  solution(1, false);
  step({{7, 0.05f}});
  for (int n = 1; n <= 2; ++n) {
    for (int iopt : {elements::kEleStiff, elements::kEleState, elements::kEleCommit, elements::kEleEnergy,
                     elements::kEleMaxima})
      option(iopt, n);
    EXPECT_EQ(rword(n, kFt), 0.0f);
  }
  EXPECT_EQ(take6().find("INVALID MATERIAL"), std::string::npos);  // no material is asked again
}

TEST_F(Spring, YieldingSpringReturnsTheUnbalancedForceAndCommits) {
  // Elastoplastic: KE 100, PY 10, no hardening, MAX DUCT 10; L = 1.
  nodes(two_nodes(1, 0, 0), 12);
  const int set = bilinear(100, 10, 0, 10, 0.1f);
  element(2, "YIELD", {.set = float(set), .node_i = 1, .node_j = 2, .ktype = 1});
  solution(1, false);
  take6();

  // Node 2 moves 0.15: the elastic prediction 15 exceeds PY = 10 by 5.
  step({{7, 0.15f}});
  int ltype = 0;
  option(elements::kEleState, 1, true, &ltype);
  EXPECT_TRUE(near_rel(unbalanced(1), 5.0));    // (t1 - t2) x 5 at node 1
  EXPECT_TRUE(near_rel(unbalanced(7), -5.0));
  EXPECT_TRUE(near_rel(rword(1, kF), 10.0));    // the increment the material accepted
  EXPECT_TRUE(kv::ctl_true(kv::kStateChanged));
  EXPECT_NE(take6().find("         1    1      AXIAL     1     2   1.500000E+01   1.500000E-01   1.000000E+02\n"),
            std::string::npos);

  option(elements::kEleCommit, 1);
  EXPECT_TRUE(near_rel(rword(1, kFt), 10.0));
  EXPECT_TRUE(near_rel(rword(1, kDefo), 0.15));
  EXPECT_EQ(committed(1)[materials::bilin::kK], 0.0f);  // the tangent after yield

  // Option 3 re-forms the stiffness with the new tangent.
  option(elements::kEleStiff, 1);
  EXPECT_EQ(rword(1, kSke), 0.0f);
  expect_matrix(global_matrix(1), {});

  // Energies: elastic P^2 / (2 KE) = 0.5, plastic PY x 0.05 = 0.5.
  const EleCall e = option(elements::kEleEnergy, 1);
  EXPECT_TRUE(near_rel(e.r1, 0.5));
  EXPECT_TRUE(near_rel(e.r2, 0.5));

  // Unloading by 0.05 on the elastic slope: the prediction with the zero
  // tangent keeps 10, the material returns 5.
  kv::zero_words(kv::ctl(kv::kSolVector65), 12);
  step({{7, -0.05f}});
  option(elements::kEleState, 1);
  EXPECT_TRUE(near_rel(unbalanced(1), 5.0));
  EXPECT_TRUE(near_rel(rword(1, kF), -5.0));
  option(elements::kEleCommit, 1);
  EXPECT_TRUE(near_rel(rword(1, kFt), 5.0));
  // The yield excursion is rated once the spring is elastic again: 0.15 / 0.1.
  EXPECT_TRUE(near_rel(option(elements::kEleDuct, 1).r4, 1.5));
  EXPECT_EQ(option(elements::kEleDuct, 1, false, nullptr, 2.0f).r4, 2.0f);  // an earlier element's value stays
  take6();
  ltype = 0;
  option(elements::kEleDuct, 1, true, &ltype);
  EXPECT_EQ(take6(), "\n  SPRING DUCTILITIES\n   ELEMENT |- DUCTILITY -| \n         1   1.500000E+00\n");
  EXPECT_EQ(option(elements::kEleDamage, 1).r3, 0.0f);

  // Reset: forces and state back to the set-up, the stiffness kept.
  option(elements::kEleReset, 1);
  EXPECT_EQ(take6(), " SPRING......... ELEMENT #     1  INTERNAL FORCES AND HYSTERESIS MODELS ARE RESET TO ZERO\n");
  for (int k : {kDdefo, kDefo, kF, kFt, kFmax, kDmax}) EXPECT_EQ(rword(1, k), 0.0f) << k;
  EXPECT_EQ(committed(1)[materials::bilin::kK], 100.0f);
  EXPECT_EQ(iword(1, kNd), 2);
}

TEST_F(Spring, ElasticLoadCasesKeepTheLargestCaseForce) {
  nodes(two_nodes(2, 0, 0), 12);
  const int set = bilinear(100, 10, 0, 10, 0.1f);
  element(2, "CASES", {.set = float(set), .node_i = 1, .node_j = 2, .ktype = 1});
  solution(3, true);
  disp(7, 1) = 0.1f;
  disp(7, 2) = -0.3f;
  disp(7, 3) = 0.2f;
  const std::vector<float> before(committed(1) + 1, committed(1) + 49);
  take6();

  int ltype = 0;
  option(elements::kEleState, 1, true, &ltype);
  const std::string blank40(40, ' ');
  EXPECT_EQ(take6(), "\n       SPRING FORCES...     " + blank40 +
                         "\n   ELEMENT LOAD       TYPE NODEI NODEJ      FORCE     DISPLACMENT      STIFFNESS   \n"
                         "         1    1      AXIAL     1     2   5.000000E+00   1.000000E-01   5.000000E+01\n"
                         "         1    2      AXIAL     1     2  -1.500000E+01  -3.000000E-01   5.000000E+01\n"
                         "         1    3      AXIAL     1     2   1.000000E+01   2.000000E-01   5.000000E+01\n");
  EXPECT_FLOAT_EQ(rword(1, kFmax), -15.0f);
  EXPECT_FLOAT_EQ(rword(1, kDmax), -0.3f);
  option(elements::kEleCommit, 1);
  EXPECT_EQ(std::vector<float>(committed(1) + 1, committed(1) + 49), before);  // elastic: no state moves

  ltype = 0;
  option(elements::kEleMaxima, 1, true, &ltype);
  EXPECT_EQ(take6(), "\n       SPRING FORCES...     MAXIMUM LOAD AND DISPL AT MAXIMUM LOAD  NOTE: MAXIMUM VALUES"
                     " MAY NOT OCCUR SIMULTANEOUSLY"
                     "\n   ELEMENT LOAD       TYPE NODEI NODEJ      FORCE     DISPLACMENT      STIFFNESS   \n"
                     "         1    0      AXIAL     1     2  -1.500000E+01  -3.000000E-01\n");
}

TEST_F(Spring, ResponseSpectrumExchangesTheForceThroughRsforc) {
  nodes(two_nodes(2, 0, 0), 12);
  const int set = bilinear(100, 10, 0, 10, 0.1f);
  element(2, "RS", {.set = float(set), .node_i = 1, .node_j = 2, .ktype = 1});
  solution(1, true);
  kv::solsta().rsmeth = 1.0f;
  step({{7, 0.04f}});
  option(elements::kEleState, 1);
  EXPECT_TRUE(near_rel(kv::solsta().rsforc[1], 2.0));  // 50 x 0.04

  kv::solsta().rsforc[1] = 7.0f;  // the combined force
  take6();
  int ltype = 0;
  option(elements::kEleCommit, 1, true, &ltype);
  EXPECT_EQ(rword(1, kFt), 7.0f);
  EXPECT_EQ(take6(), "\n       SPRING FORCES...     " + std::string(40, ' ') +
                         "\n   ELEMENT LOAD       TYPE NODEI NODEJ      FORCE    \n"
                         "         1    1      AXIAL     1     2   7.000000E+00\n");
}

TEST_F(Spring, HistoryRecordsAreReadBackAtEveryIncStep) {
  nodes(two_nodes(1, 0, 0), 12);
  const int set = bilinear(100, 10, 0, 10, 0.1f);
  element(2, "HIST", {.set = float(set), .node_i = 1, .node_j = 2, .ktype = 1});
  solution(1, false);

  // The history file: two titles of two lines each, the request line, then one
  // record per written step (interval 5, time step 0.01).
  const std::string path = (dir_ / "hist30.dat").string();
  ASSERT_TRUE(fio::open(30, path));
  for (int k = 0; k < 4; ++k) fio::write_record(30, "TITLE");
  fio::write(30, "(3I10,1P,2E15.5,0P,1X,I6,A)", 2, 1, 5, 0.0f, 0.01f, 2, "ELEMENT");
  kv::ctl(kv::kIUNIT) = 30;
  for (int s = 1; s <= 3; ++s) {
    step({{7, 0.01f}});
    option(elements::kEleState, 1);
    option(elements::kEleCommit, 1);
    option(elements::kEleHistWrite, 1);
  }
  fio::flush(30);
  const std::string file = kvtest::read_file(path);
  EXPECT_NE(file.find("\n     1     2     1  1.0000E+00  1.0000E-02  1.0000E+02  5.0000E-03  0.0000E+00\n"),
            std::string::npos);

  // The read-back, as the READ command leaves the unit: just after the request line.
  fio::rewind(30);
  std::string line;
  for (int k = 0; k < 5; ++k) ASSERT_EQ(fio::read_record(30, line), fio::Status::ok);
  kv::ctl(kv::kINC) = 2;
  take6();
  option(elements::kEleHistRead, 1);
  EXPECT_EQ(take6(),
            "\n       SPRING FORCES...     NODEI:     1     NODEJ:     2     SPRING TYPE:    AXIAL\n\n"
            "      STEP    TIME          FORCE     DISPLACMENT   STIFFNESS    ESE           PSE     \n"
            "         0    0.00000E+00  1.00000E+00  1.00000E-02  1.00000E+02  5.00000E-03  0.00000E+00\n"
            "        10    1.00000E-01  3.00000E+00  3.00000E-02  1.00000E+02  4.50000E-02  0.00000E+00\n");
  EXPECT_FLOAT_EQ(rword(1, kFt), 3.0f);  // the words keep the last record
}

TEST_F(Spring, OptionOutsideTheProtocolIsReported) {
  nodes(two_nodes(1, 0, 0), 12);
  const int set = bilinear(100, 10, 0, 10, 0.1f);
  element(2, "OPT", {.set = float(set), .node_i = 1, .node_j = 2, .ktype = 1});
  take6();
  option(15, 1);
  EXPECT_EQ(take6(), " INVALID OPTION IN ELE-02, IOPT= 15\n");
}

TEST(SpringDeck, SpringsInSeriesAndABraceUnderStaticLoads) {
  // Springs of KE = 1000 over lengths 10 and 20 (k = 100 and 50) in series
  // under 100 at the free end: both carry 100, the nodes move 1 and 1 + 2. A
  // brace of KE = 200 (no division by its length 20) under 100 stretches 0.5.
  const kvtest::RunResult r = kvtest::run_deck(kvtest::read_file(kvtest::case_path("sol1_spring_chain.dat")));
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string& out = r.output;
  EXPECT_NE(out.find("         2  1.000000E+00   0.000000E+00"), std::string::npos);
  EXPECT_NE(out.find("         3  3.000000E+00   0.000000E+00"), std::string::npos);
  EXPECT_NE(out.find("         4  0.000000E+00   5.000000E-01"), std::string::npos);
  EXPECT_NE(out.find("       SPRING FORCES...     " + std::string(40, ' ') +
                     "\n   ELEMENT LOAD       TYPE NODEI NODEJ      FORCE     DISPLACMENT      STIFFNESS   \n"
                     "         1    1      AXIAL     1     2   1.000000E+02   1.000000E+00   1.000000E+02\n"
                     "         2    1      AXIAL     2     3   1.000000E+02   2.000000E+00   5.000000E+01\n"),
            std::string::npos);
  EXPECT_NE(out.find("       BRACE FORCES...     " + std::string(40, ' ') +
                     "\n   ELEMENT LOAD       TYPE NODEI NODEJ      FORCE     DISPLACMENT      STIFFNESS   \n"
                     "         3    1      AXIAL     1     4   1.000000E+02   5.000000E-01   2.000000E+02\n"),
            std::string::npos);
}

}  // namespace
