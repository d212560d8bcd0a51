// The structure input end to end: layout of the work array, the global mass of
// a rigid-offset node mass, and the faults of bad structure sections.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace {

// A node at (3, 4, 0) tied as a rigid body to a master at the origin carries
// 2.0 in each translation; no elements.
const char* kRigidMassDeck = R"('STR'
'RIGID OFFSET MASS'
2 1 0 0 1 1.0
1 0.0 0.0 0.0 1 0
2 3.0 4.0 0.0 1 0
1.0 0.0 0.0 0.0 1.0 0.0
0 1 2 0 0
1
3D-BEAM 29000. 0.3 10. 5. 5. 100. 100. 100.
0 0 0 F
0
1 1 F
2 2.0 2.0 2.0 0.0 0.0 0.0 0.0 0.0 0.0 0 0
0.0 0.0
STOP
)";

// Terms (row, column) of the printed "GLOBAL MASS" skyline matrix, all blocks.
std::map<std::pair<int, int>, double> printed_global_mass(const std::string& out) {
  std::map<std::pair<int, int>, double> terms;
  const auto start = out.find("PRINTING MATRIX: GLOBAL MASS");
  if (start == std::string::npos) return terms;
  std::istringstream in(out.substr(start));
  std::string line;
  std::getline(in, line);  // title
  std::vector<int> columns;
  static const std::regex column_re(R"(COLUMN\s+(\d+))");
  while (std::getline(in, line)) {
    if (line.rfind("         |", 0) == 0) {
      columns.clear();
      for (std::sregex_iterator it(line.begin(), line.end(), column_re), e; it != e; ++it)
        columns.push_back(std::stoi((*it)[1]));
      continue;
    }
    if (line.empty()) continue;
    if (line.rfind(" ROW", 0) != 0) break;
    const int row = std::stoi(line.substr(4, 5));
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const std::size_t at = 9 + 20 * c;
      if (at >= line.size()) break;
      const std::string cell = line.substr(at, 20);
      if (cell.find_first_not_of(' ') == std::string::npos) continue;
      terms[{row, columns[c]}] = std::stod(cell);
    }
  }
  return terms;
}

TEST(StructureInput, RigidOffsetMassOnTheMaster) {
  auto r = kvtest::run_deck(std::string("BUG\n") + kRigidMassDeck, "rigidmass");
  ASSERT_EQ(r.status, 0) << r.console;
  auto m = printed_global_mass(r.output);
  // u_slave = u_master + theta x d with d = (3, 4, 0) and m = 2:
  // rotational inertias m(dy^2+dz^2), m(dx^2+dz^2), m(dx^2+dy^2) and the
  // couplings -m dy (x, rz), m dx (y, rz), m dy (z, rx), -m dx (z, ry), -m dx dy (rx, ry).
  const std::map<std::pair<int, int>, double> expected{
      {{1, 1}, 2.0},  {{2, 2}, 2.0},  {{3, 3}, 2.0},  {{4, 4}, 32.0}, {{5, 5}, 18.0},
      {{6, 6}, 50.0}, {{1, 6}, -8.0}, {{2, 6}, 6.0},  {{3, 4}, 8.0},  {{3, 5}, -6.0},
      {{4, 5}, -24.0}};
  for (const auto& [ij, v] : expected) {
    ASSERT_TRUE(m.count(ij)) << "term " << ij.first << "," << ij.second << " not printed";
    EXPECT_NEAR(m[ij], v, 1e-5 * std::abs(v)) << ij.first << "," << ij.second;
  }
  // Terms that the kinematics leave at zero lie outside the profile or are zero.
  for (const auto& [ij, v] : m)
    if (!expected.count(ij)) EXPECT_EQ(v, 0.0) << ij.first << "," << ij.second;

  // Words by hand: node tables 27 x 2 = 54 (IZ 1 -> 55); stiffness MDIAG 7 (62);
  // MATPTR 2 (64); the 3D-BEAM set, type word + 14 (79); KGDATA 4 (83);
  // ELETAB 1 (84); stiffness values MDIAG(7) + 1 = 8, diagonal only (92); mass
  // MDIAG 7 (99); one lumped-mass record 12 (111); mass values: column tops
  // 1, 2, 3, 3, 3, 1 give MDIAG(7) = 15 (126); damping 2 (128).
  EXPECT_NE(r.output.find(" *--- IZ=    128,    MEM= 0.000%    ----*"), std::string::npos);
}

double term(std::map<std::pair<int, int>, double>& m, int i, int j) { return m[{i, j}]; }

TEST(StructureInput, ProductsOfInertiaAndGeneratedMasses) {
  // One record on node 1 with IGEN = 1, INC = 1: node 2 gets the same mass.
  const char* deck = R"('STR'
'INERTIA'
2 1 0 0 0 1.0
1 0.0 0.0 0.0 1 0
2 10.0 0.0 0.0 1 0
1.0 0.0 0.0 0.0 1.0 0.0
0
0 0 0 F
0
1 1 F
1 1.0 1.0 1.0 4.0 5.0 6.0 0.5 0.25 0.125 1 1
0.0 0.0
STOP
)";
  auto r = kvtest::run_deck(std::string("BUG\n") + deck, "inertia");
  ASSERT_EQ(r.status, 0) << r.console;
  auto m = printed_global_mass(r.output);
  for (int node = 0; node < 2; ++node) {
    const int e = 6 * node;  // equations of the node: e+1 .. e+6
    EXPECT_DOUBLE_EQ(term(m, e + 4, e + 4), 4.0);
    EXPECT_DOUBLE_EQ(term(m, e + 6, e + 6), 6.0);
    // M(4,5) = -IXY, M(4,6) = -(word 9), M(5,6) = -(word 10).
    EXPECT_DOUBLE_EQ(term(m, e + 4, e + 5), -0.5);
    EXPECT_DOUBLE_EQ(term(m, e + 4, e + 6), -0.25);
    EXPECT_DOUBLE_EQ(term(m, e + 5, e + 6), -0.125);
  }
}

TEST(StructureInput, BadKeywordsAreReportedConsumedAndTakeNoNumber) {
  const char* deck = R"('STR'
'BAD INPUT'
2 1 1 0 0 1.0
1 0.0 0.0 0.0 1 0
2 100.0 0.0 0.0 1 0
1.0 0.0 0.0 0.0 1.0 0.0
1 1 1 1 1 1 1 0 0
3
WOBBLY 1 2 3
3D-BEAM 29000. 0.3 10. 5. 5. 100. 100. 100.
END
0 0 0 F
3
FLUTTER 'X' 1 2 3
'(1)' 'OLD' 1 2 0
END
0 0 F
0.0 0.0
STOP
)";
  auto r = kvtest::run_deck(deck, "badkeys");
  ASSERT_EQ(r.status, 0) << r.console;
  EXPECT_NE(r.output.find(" INVALID MATERIAL TYPE: WOBBLY"), std::string::npos);
  EXPECT_NE(r.output.find(" INVALID ELEMENT TYPE: FLUTTER"), std::string::npos);
  // The "(1)" record is element 1 (the unknown line took no number); it has no driver.
  EXPECT_NE(r.output.find(" ELEMENT      1 IS NOT AVAILABLE"), std::string::npos);
  EXPECT_EQ(r.output.find(" ELEMENT      2 IS NOT AVAILABLE"), std::string::npos);
  // The 3D-BEAM set is set 1 (the unknown line took no number): its echo line.
  EXPECT_NE(r.output.find("\n       1 2.900E+04"), std::string::npos);
  // Both sections ended on END with fewer sets than announced, and the
  // structure input went on to the damping record.
  EXPECT_NE(r.output.find("PROPORTIONAL DAMPING COIEFICIENTS"), std::string::npos);
}

TEST(StructureInput, TruncatedSectionStopsCleanlyWithAnError) {
  const char* deck = R"('STR'
'TRUNCATED'
2 1 1 0 0 1.0
1 0.0 0.0 0.0 1 0
)";
  auto r = kvtest::run_deck(deck, "truncated");
  EXPECT_EQ(r.status, 1) << r.console;
  EXPECT_EQ(r.console.find("NORMAL STOP"), std::string::npos);
}

TEST(StructureInput, EndOfFileInsideTheMaterialsStopsWithTheRecordNamed) {
  const char* deck = R"('STR'
'NO MATERIAL LINES'
1 1 0 0 0 1.0
1 0.0 0.0 0.0 1 0
1.0 0.0 0.0 0.0 1.0 0.0
2
3D-BEAM 29000. 0.3 10. 5. 5. 100. 100. 100.
)";
  auto r = kvtest::run_deck(deck, "eofmat");
  EXPECT_EQ(r.status, 1) << r.console;
  EXPECT_NE(r.output.find("END OF INPUT FILE"), std::string::npos) << r.output;
}

}  // namespace
