// The elastic 3D beam (type 1): stiffness against the textbook matrix, the
// transformation to rotated members and rigid end zones, releases, geometric
// stiffness, force recovery and the rejection of members without axes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "elements/beam3d.h"
#include "elements/eledsp.h"
#include "elements/beam_model.h"

namespace {

using btest::near_rel;
using namespace elements;

// E, G, AX, AY, AZ, IX, IY, IZ.
const btest::Section kSection{29.0e6f, 11.2e6f, 10.0f, 5.0f, 5.0f, 50.0f, 200.0f, 100.0f};
constexpr double kE = 29.0e6, kG = 11.2e6, kA = 10.0, kJ = 50.0, kIy = 200.0, kIz = 100.0;

// The textbook stiffness of a prismatic 3D beam, local axes, (i, j) 1-based.
double textbook(int i, int j, double l) {
  const double ea = kE * kA / l, gj = kG * kJ / l;
  const double ez = kE * kIz, ey = kE * kIy;
  std::array<std::array<double, 13>, 13> k{};
  auto set = [&k](int r, int c, double v) { k[r][c] = v; k[c][r] = v; };
  set(1, 1, ea); set(7, 7, ea); set(1, 7, -ea);
  set(4, 4, gj); set(10, 10, gj); set(4, 10, -gj);
  // Bending about z: v and rz.
  set(2, 2, 12 * ez / (l * l * l)); set(8, 8, 12 * ez / (l * l * l)); set(2, 8, -12 * ez / (l * l * l));
  set(2, 6, 6 * ez / (l * l)); set(2, 12, 6 * ez / (l * l));
  set(6, 8, -6 * ez / (l * l)); set(8, 12, -6 * ez / (l * l));
  set(6, 6, 4 * ez / l); set(12, 12, 4 * ez / l); set(6, 12, 2 * ez / l);
  // Bending about y: w and ry (the signs of the coupling terms flip).
  set(3, 3, 12 * ey / (l * l * l)); set(9, 9, 12 * ey / (l * l * l)); set(3, 9, -12 * ey / (l * l * l));
  set(3, 5, -6 * ey / (l * l)); set(3, 11, -6 * ey / (l * l));
  set(5, 9, 6 * ey / (l * l)); set(9, 11, 6 * ey / (l * l));
  set(5, 5, 4 * ey / l); set(11, 11, 4 * ey / l); set(5, 11, 2 * ey / l);
  return k[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
}

constexpr std::array<int, 6> kFree1{1, 2, 3, 4, 5, 6};
constexpr std::array<int, 6> kFree2{7, 8, 9, 10, 11, 12};

// RINPUT: set, I, J, VY, start and end distance, PKG, release code.
std::vector<float> beam(int i, int j, std::array<float, 3> vy, float sd = 0, float ed = 0, float pkg = 0,
                        float rel = 0) {
  return {1, static_cast<float>(i), static_cast<float>(j), vy[0], vy[1], vy[2], sd, ed, pkg, rel};
}

class Beam3d : public btest::BeamModel {
 protected:
  // Two joints on the X axis L apart, every DOF with its own equation.
  void along_x(float rel = 0, float l = 100.0f, float sd = 0, float ed = 0, float pkg = 0) {
    nodes({{1, 0, 0, 0, kFree1}, {2, l, 0, 0, kFree2}}, 12);
    sections({kSection});
    elements({{1, "B1", beam(1, 2, {0, 1, 0}, sd, ed, pkg, rel)}});
  }
};

TEST_F(Beam3d, MemberAlongXIsTheTextbookMatrix) {
  along_x();
  const EleCall& c = checks_[0];
  EXPECT_EQ(c.nd, 12);
  EXPECT_EQ(c.nback, 156 - 78);  // no geometric stiffness
  EXPECT_FALSE(c.lkg);
  EXPECT_EQ(lm(1), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  const auto k = global_matrix(1);
  for (int i = 1; i <= 12; ++i)
    for (int j = 1; j <= 12; ++j) EXPECT_TRUE(near_rel(term(k, i, j), textbook(i, j, 100.0), 2e-5, 1e-3)) << i << "," << j;
  // The echo line: label, element, set, joints, blank release text, L, VY, distances, PKG.
  EXPECT_NE(unit6().find(" ELEMENT 01,  3D BEAM ELEMENT"), std::string::npos);
  const std::string line = std::string(" B1") + std::string(13, ' ') + "     1     1     1     2" + "  " +
                           std::string(6, ' ') + "  1.0000E+02  0.00000 I  1.00000 J  0.00000 K" +
                           "  0.0000E+00  0.0000E+00  0.0000E+00\n";
  EXPECT_NE(unit6().find(line), std::string::npos) << unit6();
}

TEST_F(Beam3d, RotatedMemberIsTransformedToGlobalAxes) {
  // Member in the XY plane at cos 0.6, sin 0.8; VY = global Y gives local z = Z
  // and local y = (-0.8, 0.6, 0).
  nodes({{1, 0, 0, 0, kFree1}, {2, 60, 80, 0, kFree2}}, 12);
  sections({kSection});
  elements({{1, "SKEW", beam(1, 2, {0, 1, 0})}});
  const double l = 100.0, c = 0.6, s = 0.8;
  const double ea = kE * kA / l, kv = 12 * kE * kIz / (l * l * l), kt = 6 * kE * kIz / (l * l);
  const auto k = global_matrix(1);
  EXPECT_TRUE(near_rel(term(k, 1, 1), ea * c * c + kv * s * s));
  EXPECT_TRUE(near_rel(term(k, 1, 2), (ea - kv) * c * s));
  EXPECT_TRUE(near_rel(term(k, 2, 2), ea * s * s + kv * c * c));
  EXPECT_TRUE(near_rel(term(k, 1, 6), -kt * s));
  EXPECT_TRUE(near_rel(term(k, 2, 6), kt * c));
  EXPECT_TRUE(near_rel(term(k, 1, 7), -(ea * c * c + kv * s * s)));
  EXPECT_TRUE(near_rel(term(k, 3, 3), 12 * kE * kIy / (l * l * l)));
  EXPECT_TRUE(near_rel(term(k, 4, 4), kG * kJ / l * c * c + 4 * kE * kIy / l * s * s));
  EXPECT_TRUE(near_rel(term(k, 4, 5), (kG * kJ / l - 4 * kE * kIy / l) * c * s));
  EXPECT_NE(unit6().find(" -0.80000 I  0.60000 J  0.00000 K"), std::string::npos) << unit6();
}

TEST_F(Beam3d, RigidEndZonesCarryTheMemberEndsToTheJoints) {
  // Joints 120 apart, zones of 10 at I and 20 at J: clear length 90.
  const double a = 10, b = 20, l = 90;
  along_x(0, 120.0f, 10.0f, 20.0f);
  EXPECT_FLOAT_EQ(rword(1, beam::kLength), 90.0f);
  const double ei = kE * kIz;
  const auto k = global_matrix(1);
  EXPECT_TRUE(near_rel(term(k, 1, 1), kE * kA / l));
  EXPECT_TRUE(near_rel(term(k, 2, 2), 12 * ei / (l * l * l)));
  // Joint rotation moves the member end by a (at I) and by -b (at J).
  EXPECT_TRUE(near_rel(term(k, 2, 6), 6 * ei / (l * l) + 12 * ei * a / (l * l * l)));
  EXPECT_TRUE(near_rel(term(k, 6, 6), 4 * ei / l + 12 * ei * a / (l * l) + 12 * ei * a * a / (l * l * l)));
  EXPECT_TRUE(near_rel(term(k, 8, 12), -6 * ei / (l * l) - 12 * ei * b / (l * l * l)));
  EXPECT_TRUE(near_rel(term(k, 12, 12), 4 * ei / l + 12 * ei * b / (l * l) + 12 * ei * b * b / (l * l * l)));
  EXPECT_TRUE(near_rel(term(k, 6, 12), 2 * ei / l + 6 * ei * (a + b) / (l * l) + 12 * ei * a * b / (l * l * l)));
  // The echo shows the end distance with its sign reversed.
  EXPECT_NE(unit6().find("  1.0000E+01 -2.0000E+01  0.0000E+00"), std::string::npos) << unit6();
}

TEST_F(Beam3d, ZoneLongerThanTheMemberGivesTheMessageAndUnitLength) {
  along_x(0, 100.0f, 60.0f, 50.0f);
  EXPECT_FLOAT_EQ(rword(1, beam::kLength), 1.0f);
  EXPECT_EQ(checks_[0].nd, 12);
  EXPECT_NE(unit6().find(" ********************ERROR - LENGTH IS LE 0\n     IELNO=    1     JOINTI=    1     JOINTJ=    2"
                         "     LENGTH  -1.000000E+01\n     REVISE INPUT"),
            std::string::npos)
      << unit6();
}

struct ReleaseCase {
  const char* name;
  float code;
  const char* text;
  int nd;
  std::vector<int> lm;
  // (row, column, expected) over the global equations 1..12.
  std::vector<std::tuple<int, int, double>> terms;
};

class Releases : public Beam3d, public ::testing::WithParamInterface<ReleaseCase> {};

TEST_P(Releases, CondensedStiffnessAndLocationVector) {
  const ReleaseCase& rc = GetParam();
  along_x(rc.code);
  EXPECT_EQ(checks_[0].nd, rc.nd);
  EXPECT_EQ(lm(1), rc.lm);
  EXPECT_EQ(iword(1, beam::kRel) & 63, [&] {
    int bits = 0;
    int code = static_cast<int>(rc.code);
    for (int k = 0; k < 6; ++k, code /= 10)
      if (code % 10) bits |= 1 << k;
    return bits;
  }());
  const auto k = global_matrix(1);
  for (const auto& [r, c, v] : rc.terms) EXPECT_TRUE(near_rel(term(k, r, c), v, 2e-5, 1e-3)) << r << "," << c;
  EXPECT_NE(unit6().find(std::string("     2  ") + rc.text + "  1.0000E+02"), std::string::npos) << unit6();
}

constexpr double kEIz = kE * kIz, kL = 100.0;
const double kGJ = kG * kJ / kL;

INSTANTIATE_TEST_SUITE_P(
    Beam3d, Releases,
    ::testing::Values(
        // MZ released at J: the propped cantilever, 3EI/L^3, 3EI/L^2, 3EI/L; DOF 12 drops out.
        ReleaseCase{"MzAtJ", 1, "     Z", 11, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
                    {{2, 2, 3 * kEIz / (kL * kL * kL)}, {2, 6, 3 * kEIz / (kL * kL)}, {6, 6, 3 * kEIz / kL},
                     {6, 8, -3 * kEIz / (kL * kL)}, {12, 12, 0.0}, {6, 12, 0.0}}},
        ReleaseCase{"MzAtI", 1000, "  Z   ", 11, {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12},
                    {{8, 8, 3 * kEIz / (kL * kL * kL)}, {8, 12, -3 * kEIz / (kL * kL)}, {12, 12, 3 * kEIz / kL},
                     {2, 12, 3 * kEIz / (kL * kL)}, {6, 6, 0.0}}},
        // Both ends about z: no bending about z at all; y plane untouched.
        ReleaseCase{"MzBothEnds", 1001, "  Z  Z", 8, {1, 3, 4, 5, 7, 9, 10, 11},
                    {{2, 2, 0.0}, {6, 6, 0.0}, {3, 3, 12 * kE * kIy / (kL * kL * kL)}}},
        // A torsion release drops the coupling term as well as the diagonal.
        ReleaseCase{"TorsionAtI", 100000, "X     ", 10, {1, 2, 3, 5, 6, 7, 8, 9, 11, 12},
                    {{4, 4, 0.0}, {4, 10, 0.0}, {10, 10, 0.0}, {1, 1, kE * kA / kL}}},
        ReleaseCase{"TorsionAtJ", 100, "   X  ", 10, {1, 2, 3, 5, 6, 7, 8, 9, 11, 12},
                    {{4, 4, 0.0}, {4, 10, 0.0}, {10, 10, 0.0}}},
        // Everything released: only the axial terms remain.
        ReleaseCase{"AllSix", 111111, "XYZXYZ", 2, {1, 7}, {{1, 1, kE * kA / kL}, {1, 7, -kE * kA / kL}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Beam3d, TorsionReleaseCarriesNoTorqueInTheRecovery) {
  along_x(100);  // torsion released at J
  solution_tables(1);
  disp(10) = 0.01f;  // twist of joint J
  disp(4) = -0.02f;  // and of joint I
  option(kEleState, 1);
  EXPECT_EQ(rword(1, beam::kDF + 3), 0.0f);
  EXPECT_EQ(rword(1, beam::kDF + 9), 0.0f);
  EXPECT_FLOAT_EQ(rword(1, beam::kDu + 9), 0.01f);
}

TEST_F(Beam3d, CantileverTipLoadEndForces) {
  // Base joint 1 restrained (equations 7-12), tip joint 2 free (1-6); the tip
  // displacements of P = 1000 in FY: PL^3/3EI and PL^2/2EI.
  nodes({{1, 0, 0, 0, kFree2}, {2, 100, 0, 0, kFree1}}, 12);
  sections({kSection});
  elements({{1, "CANT", beam(1, 2, {0, 1, 0})}});
  solution_tables(1);
  const double p = 1000.0, l = 100.0, ei = 29.0e6 * 100.0;
  disp(2) = static_cast<float>(p * l * l * l / (3 * ei));
  disp(6) = static_cast<float>(p * l * l / (2 * ei));

  EleCall c4 = option(kEleState, 1, true);
  EXPECT_TRUE(near_rel(rword(1, beam::kDF + 1), -1000.0, 1e-4));
  EXPECT_TRUE(near_rel(rword(1, beam::kDF + 5), -1.0e5, 1e-4));
  EXPECT_TRUE(near_rel(rword(1, beam::kDF + 7), 1000.0, 1e-4));
  EXPECT_TRUE(near_rel(rword(1, beam::kDF + 11), 0.0, 1e-4, 0.05));
  // Strain energy of the increment: P^2 L^3 / 6EI.
  EleCall c10 = option(kEleEnergy, 1);
  EXPECT_TRUE(near_rel(c10.r1, p * p * l * l * l / (6 * ei), 1e-4));
  (void)c4;

  option(kEleCommit, 1);
  EXPECT_TRUE(near_rel(rword(1, beam::kForce + 1), -1000.0, 1e-4));
  EXPECT_TRUE(near_rel(rword(1, beam::kForce + 7), 1000.0, 1e-4));
  EXPECT_TRUE(near_rel(rword(1, beam::kDisp + 7), p * l * l * l / (3 * ei), 1e-6));
  // Envelope column 6 (MZ at I) keys on -1.0E+05 and holds the whole vector.
  const int env = beam::kEnvelope + 12 * 5;
  EXPECT_TRUE(near_rel(rword(1, env + 5), -1.0e5, 1e-4));
  EXPECT_TRUE(near_rel(rword(1, env + 7), 1000.0, 1e-4));

  const std::string out = unit6();
  EXPECT_NE(out.find("\n       3D BEAM FORCES...\n"), std::string::npos) << out;
  EXPECT_NE(out.find("   ELEMENT LOAD         NODE       AXIAL           FY             FZ           TORSION"
                     "          MY             MZ"),
            std::string::npos);
  EXPECT_NE(out.find("\n         1    1  FORCE     1   0.000000E+00  -"), std::string::npos) << out;
  EXPECT_NE(out.find("\n                 FORCE     2   0.000000E+00   "), std::string::npos) << out;
}

TEST_F(Beam3d, MaximaAndResetAfterTwoLoadCases) {
  nodes({{1, 0, 0, 0, kFree2}, {2, 100, 0, 0, kFree1}}, 12);
  sections({kSection});
  elements({{1, "CANT", beam(1, 2, {0, 1, 0})}});
  solution_tables(2);
  disp(1, 1) = 1.0e-4f;   // axial stretch in load case 1: N = EA/L * 1e-4 = 290
  disp(1, 2) = -2.0e-4f;  // compression twice as large in load case 2
  option(kEleState, 1);
  // The envelope of option 4 sees both load cases: axial keys on -580.
  EXPECT_TRUE(near_rel(rword(1, beam::kEnvelope + 0), 580.0, 1e-4));
  EXPECT_TRUE(near_rel(rword(1, beam::kEnvelope + 12 * 6 + 6), -580.0, 1e-4));
  option(kEleMaxima, 1);
  EXPECT_NE(unit6().find(" COLUMN ( LOAD) REPRESENTS THE DOF WHICH HAS MAXIMUM VALUE"), std::string::npos);
  // Column 7 (axial at J) holds load case 2: its line carries 7 in the LOAD column.
  EXPECT_NE(unit6().find("\n         1    7  FORCE     1   5.800000E+02"), std::string::npos) << unit6();
  option(kEleReset, 1);
  EXPECT_EQ(rword(1, beam::kEnvelope + 12 * 6 + 6), 0.0f);
  EXPECT_EQ(rword(1, beam::kDF), 0.0f);
  EXPECT_NE(unit6().find(" 3D BEAM........ ELEMENT #     1  INTERNAL FORCES AND HYSTERESIS MODELS ARE RESET TO ZERO"),
            std::string::npos);
}

struct GeomCase {
  const char* name;
  int source, form;
  float pkg;
  int kgdof;
  std::vector<std::tuple<int, int, double>> terms;  // global (r, c, value)
};

class Geometric : public Beam3d, public ::testing::WithParamInterface<GeomCase> {};

TEST_P(Geometric, UnitLoadGeometricStiffness) {
  const GeomCase& g = GetParam();
  nodes({{1, 0, 0, 0, kFree1}, {2, 100, 0, 0, kFree2}}, 12);
  sections({kSection});
  kgdata(g.source, g.form, 1);
  elements({{1, "KG", beam(1, 2, {0, 1, 0}, 0, 0, g.pkg)}});
  const EleCall& c = checks_[0];
  EXPECT_EQ(c.kgdof, g.kgdof);
  EXPECT_EQ(c.lkg, g.kgdof > 0);
  EXPECT_EQ(c.nback, 156 - 78 - g.kgdof * (g.kgdof + 1) / 2);
  if (g.kgdof == 0) return;
  const EleCall c2 = option(kEleGeom, 1);
  EXPECT_TRUE(c2.lkg);
  EXPECT_FLOAT_EQ(c2.pgeom, g.pkg);
  const auto kg = global_matrix(1, true);
  for (const auto& [r, cc, v] : g.terms) EXPECT_TRUE(near_rel(term(kg, r, cc), v, 1e-5, 1e-7)) << r << "," << cc;
}

INSTANTIATE_TEST_SUITE_P(
    Beam3d, Geometric,
    ::testing::Values(
        GeomCase{"Lumped", 1, 1, 50.0f, 4, {{2, 2, 0.01}, {2, 8, -0.01}, {3, 9, -0.01}, {9, 9, 0.01}, {6, 6, 0.0}}},
        GeomCase{"Consistent", 1, 2, 50.0f, 8,
                 {{2, 2, 1.2 / 100}, {2, 6, 0.1}, {2, 12, 0.1}, {6, 8, -0.1}, {6, 6, 200.0 / 15}, {6, 12, -100.0 / 30},
                  {3, 5, -0.1}, {5, 9, 0.1}, {5, 5, 200.0 / 15}, {1, 1, 0.0}}},
        GeomCase{"NoLoadNoMatrix", 1, 2, 0.0f, 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Beam3d, GeometricStiffnessFromTheCommittedAxialForce) {
  nodes({{1, 0, 0, 0, kFree1}, {2, 100, 0, 0, kFree2}}, 12);
  sections({kSection});
  kgdata(2, 1, 1);
  elements({{1, "KG", beam(1, 2, {0, 1, 0})}});
  EXPECT_EQ(checks_[0].kgdof, 4);  // formed although PKG is 0
  solution_tables(1);
  disp(7) = -1.0e-4f;  // joint J pushed toward I: compression 290
  option(kEleState, 1);
  option(kEleCommit, 1);
  EXPECT_TRUE(near_rel(option(kEleGeom, 1).pgeom, 290.0, 1e-4));
}

struct RejectCase {
  const char* name;
  std::vector<btest::Node> nodes;
  std::array<float, 3> vy;
  const char* message;
};

class Rejection : public Beam3d, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(Rejection, ElementIsLeftOutWithoutNaN) {
  const RejectCase& rc = GetParam();
  nodes(rc.nodes, 12);
  sections({kSection});
  kgdata(2, 2, 1);
  elements({{1, "BAD", beam(1, 2, rc.vy)}});
  const EleCall& c = checks_[0];
  EXPECT_EQ(c.nd, 0);
  EXPECT_EQ(c.kgdof, 0);
  EXPECT_FALSE(c.lkg);
  EXPECT_EQ(c.nback, 156);
  // The recovery of a rejected element reads no joint and gives no NaN.
  solution_tables(1);
  for (int eq = 1; eq <= 12; ++eq) disp(eq) = 1.0f;
  option(kEleState, 1, true);
  element_load_records({{1, 1, 0, 0, 202, {5.0f}}});
  option(kEleLoads, 1);
  for (int eq = 1; eq <= 12; ++eq) EXPECT_EQ(load(eq), 0.0f);
  const std::string out = unit6();
  EXPECT_NE(out.find(rc.message), std::string::npos) << out;
  EXPECT_NE(out.find("  ELEMENT:      1  START JOINT:    1  END JOINT:    2\n"
                     " THE ELEMENT IS REJECTED AND ERROR CHECKING CONTINUES"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("NaN"), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Beam3d, Rejection,
    ::testing::Values(RejectCase{"CoincidentJoints",
                                 {{1, 5, 5, 5, kFree1}, {2, 5, 5, 5, kFree2}},
                                 {0, 1, 0},
                                 "ERROR - LENGTH IS LE 0"},
                      RejectCase{"VYParallelToTheAxis",
                                 {{1, 0, 0, 0, kFree1}, {2, 100, 0, 0, kFree2}},
                                 {2, 0, 0},
                                 " VY IS PARAELL TO VX, REINPUT VY"},
                      RejectCase{"MissingJoint",
                                 {{1, 0, 0, 0, kFree1}, {3, 100, 0, 0, kFree2}},
                                 {0, 1, 0},
                                 " TARGET:"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Beam3d, IncompatibleMaterialIsRejected) {
  nodes({{1, 0, 0, 0, kFree1}, {2, 100, 0, 0, kFree2}}, 12);
  sections({kSection}, {99});  // a set of another type
  elements({{1, "B", beam(1, 2, {0, 1, 0})}});
  EXPECT_EQ(checks_[0].nd, 0);
  EXPECT_NE(unit6().find("  ELEMENT:      1  INCOMPATIBLE MATERIAL PROP.#   99  START JOINT:    1  END JOINT:    2\n"
                         " THE ELEMENT IS REJECTED AND ERROR CHECKING CONTINUES"),
            std::string::npos)
      << unit6();
}

TEST_F(Beam3d, SharedEquationLeavesTheDofOutAtBothEnds) {
  // Both joints on equation 3 for FZ (one master): entries 3 and 9 drop out.
  nodes({{1, 0, 0, 0, {1, 2, 3, 4, 5, 6}}, {2, 100, 0, 0, {7, 8, 3, 10, 11, 12}}}, 12);
  sections({kSection});
  elements({{1, "B", beam(1, 2, {0, 1, 0})}});
  EXPECT_EQ(lm(1), (std::vector<int>{1, 2, 4, 5, 6, 7, 8, 10, 11, 12}));
}

TEST_F(Beam3d, ResponseSpectrumExchangesForcesThroughRsforc) {
  nodes({{1, 0, 0, 0, kFree2}, {2, 100, 0, 0, kFree1}}, 12);
  sections({kSection});
  elements({{1, "CANT", beam(1, 2, {0, 1, 0})}});
  solution_tables(1);
  disp(1) = 1.0e-4f;  // N = -290 at I
  kv::solsta().rsmeth = 2.0f;
  option(kEleState, 1);
  EXPECT_TRUE(near_rel(kv::solsta().rsforc[1], -290.0, 1e-5));
  EXPECT_TRUE(near_rel(kv::solsta().rsforc[7], 290.0, 1e-5));
  // The combination hands back its own values; the commit takes them as they are.
  for (int k = 1; k <= 12; ++k) kv::solsta().rsforc[static_cast<std::size_t>(k)] = static_cast<float>(k);
  option(kEleCommit, 1);
  for (int k = 1; k <= 12; ++k) EXPECT_EQ(rword(1, beam::kForce + k - 1), static_cast<float>(k));
  EXPECT_EQ(rword(1, beam::kDisp), 0.0f);  // displacements are not committed in the combination
}

TEST_F(Beam3d, HistoryRecordsAreWrittenAndReadBack) {
  along_x();
  // Forces and displacements of a committed state: F(k) = k, D(k) = k / 1000.
  for (int k = 1; k <= 12; ++k) {
    kv::rzm(record(1) + beam::kForce + k - 1) = static_cast<float>(k);
    kv::rzm(record(1) + beam::kDisp + k - 1) = static_cast<float>(k) / 1000.0f;
  }
  const std::string hist = (dir_ / "hist.out").string();
  ASSERT_TRUE(fio::open(20, hist));
  fio::write_list(20, 2, 1, 5, 0.5f, 0.01f);  // the request header: kind, element, NINT, T0, DT
  kv::ctl(kv::kIUNIT) = 20;
  option(kEleHistWrite, 1);
  option(kEleHistWrite, 1);
  fio::close(20);
  const std::string written = kvtest::read_file(hist);
  EXPECT_NE(written.find("\n     1 1.00000E+00 2.00000E+00 3.00000E+00 4.00000E+00 5.00000E+00 6.00000E+00\n"
                         "     2 7.00000E+00 8.00000E+00"),
            std::string::npos)
      << written;

  // Read back as "READ" does after taking the header; every second record printed.
  // The element's committed state is now another one (F = -k, D = 0): the
  // listing shows the file, and the element keeps its own state for the next
  // solution.
  for (int k = 1; k <= 12; ++k) {
    kv::rzm(record(1) + beam::kForce + k - 1) = -static_cast<float>(k);
    kv::rzm(record(1) + beam::kDisp + k - 1) = 0.0f;
  }
  kv::izm(record(1) + beam::kIdI) = 7;  // the file says 1 and 2
  kv::izm(record(1) + beam::kIdJ) = 8;
  ASSERT_TRUE(fio::open(20, hist));
  std::string header;
  ASSERT_EQ(fio::read_record(20, header), fio::Status::ok);
  kv::ctl(kv::kINC) = 10;
  option(kEleHistRead, 1);
  for (int k = 1; k <= 12; ++k) {
    EXPECT_EQ(rword(1, beam::kForce + k - 1), -static_cast<float>(k)) << k;
    EXPECT_EQ(rword(1, beam::kDisp + k - 1), 0.0f) << k;
  }
  EXPECT_EQ(kv::izm(record(1) + beam::kIdI), 7);
  EXPECT_EQ(kv::izm(record(1) + beam::kIdJ), 8);
  const std::string out = unit6();
  EXPECT_NE(out.find("      STEP    TIME         NODE"), std::string::npos) << out;
  // Steps 0 and 5: only step 0 is a multiple of INC = 10; its time is T0.
  EXPECT_NE(out.find("\n         0    5.00000E-01     1   1.000000E+00"), std::string::npos) << out;
  EXPECT_EQ(out.find("\n         5 "), std::string::npos) << out;
  EXPECT_NE(out.find("                         DISP     1.000000E-03"), std::string::npos) << out;
}

TEST_F(Beam3d, InvalidOptionLine) {
  along_x();
  option(15, 1);
  EXPECT_NE(unit6().find(" INVALID OPTION IN ELE-01, IOPT= 15\n"), std::string::npos) << unit6();
}

}  // namespace
