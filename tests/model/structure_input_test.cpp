// The structure input end to end: layout of the work array, the global mass of
// a rigid-offset node mass, and the faults of bad structure sections.
#include <gtest/gtest.h>

#include <array>
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
  for (const auto& [ij, v] : m) {
    if (!expected.count(ij)) {
      EXPECT_EQ(v, 0.0) << ij.first << "," << ij.second;
    }
  }

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

TEST(StructureInput, HugeGenerationCountsStopWhenNoNodeIsLeft) {
  // Restraint generation past the last ID and a condensation generation that
  // repeats its ID, each with a count of 99,999,999: one missing-node report at
  // most, and the run ends at once instead of writing a line per count.
  const char* deck = R"('STR'
'HUGE GENERATION'
2 1 1 1 0 1.0
1 0.0 0.0 0.0 1 0
2 10.0 0.0 0.0 1 0
1.0 0.0 0.0 0.0 1.0 0.0
1 1 1 1 1 1 1 99999999 1
2 0 0 0 0 0 1 99999999 0
0
0 0 0 F
0
0 0 F
0.0 0.0
STOP
)";
  auto r = kvtest::run_deck(deck, "hugegen");
  ASSERT_EQ(r.status, 3) << r.console;
  std::size_t reports = 0;
  for (std::size_t at = r.output.find("NOT FOUND"); at != std::string::npos; at = r.output.find("NOT FOUND", at + 1))
    ++reports;
  EXPECT_LE(reports, 2u);
  EXPECT_LT(r.output.size(), 100000u);
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
  ASSERT_EQ(r.status, 3) << r.console;
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

// ---------------------------------------------------------------- report texts

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

// True when `block` stands in `lines` as consecutive lines.
bool has_block(const std::vector<std::string>& lines, const std::vector<std::string>& block) {
  if (block.empty() || lines.size() < block.size()) return false;
  for (std::size_t i = 0; i + block.size() <= lines.size(); ++i) {
    std::size_t k = 0;
    while (k < block.size() && lines[i + k] == block[k]) ++k;
    if (k == block.size()) return true;
  }
  return false;
}

// One node, no materials, no elements; the geometric-stiffness record, the
// mass record (with its lumped-mass records) and the damping record vary.
std::string report_deck(const std::string& kg, const std::string& mass) {
  return "STR\n'REPORT TEXTS'\n1 1 0 0 0 1.0\n1 0.0 0.0 0.0 1 0\n1.0 0.0 0.0 0.0 1.0 0.0\n0\n" + kg +
         "\n0\n" + mass + "\n0.1 2.5\nSTOP\n";
}

struct ReportCase {
  const char* name;
  std::string kg, mass;
  std::vector<std::vector<std::string>> blocks;  // each must stand as consecutive lines
  std::vector<std::string> absent;               // texts that must not appear
};

const std::string k5(5, ' ');

std::vector<ReportCase> report_cases() {
  const std::vector<std::string> damping{"",
                                         "",
                                         k5 + " PROPORTIONAL DAMPING COIEFICIENTS",
                                         k5 + "===================================",
                                         k5 + "ALPHA=  1.00000E-01   BETA=  2.50000E+00",
                                         ""};
  const std::vector<std::string> zero_mass{"", "", k5 + " ZERO MASS MATRIX ", k5 + "==================", ""};
  std::vector<ReportCase> v;
  v.push_back({"InputLoadLumpedSubtractedCondensed", "1 1 1 T", "0 1 F",
               {{k5 + " GEOMETRIC STIFFNESS DATA ", k5 + "==========================", "",
                 k5 + "KGDATA(1)= 1, LOAD= F(INPUT)*(1.00+ACCEL)",
                 k5 + "              F(INPUT) IS POSITIVE IN COMPRESSION",
                 k5 + "              ACCEL IS POSITIVE GLOBAL Z-AXIS ACCELERATION",
                 k5 + "KGDATA(2)= 1, LUMPED FORMULATION   ",
                 k5 + "KGDATA(3)= 1, KG IS SUBTRACTED FROM ELEMENT STIFFNESS ", k5 + "  ",
                 k5 + "- THE GEOMETRIC STIFFNESS MATRIX IS CONDENSED WITH THE STRUCTURAL STIFFNESS MATRIX.",
                 "%4S%", "%4E%", ""},
                zero_mass, damping},
               {}});
  v.push_back({"PreviousLoadConsistentSeparate", "2 2 2 F", "0 0 F",
               {{k5 + "KGDATA(1)= 2, PREVIOUS LOAD STEP'S AXIAL LOAD IS USED",
                 k5 + "KGDATA(2)= 2, CONSISTENT FORMULATION ", k5 + "KGDATA(3)= 2, SEPERATE GLOBAL KG IS FORMED",
                 k5 + "  ",
                 k5 + "- THE GEOMETRIC STIFFNESS MATRIX IS NOT CONDENSED WITH THE STRUCTURAL STIFFNESS MATRIX.",
                 "%4S%"}},
               {}});
  // A value outside 1 and 2 prints no line for its word.
  v.push_back({"UnknownValuePrintsNoLine", "3 1 1 F", "0 1 F",
               {{k5 + "==========================", "", k5 + "KGDATA(2)= 1, LUMPED FORMULATION   "}},
               {"KGDATA(1)="}});
  // A 0 in any word switches the whole record off: no page.
  v.push_back({"ZeroSwitchesTheRecordOff", "1 0 2 T", "0 1 F",
               {{"%3E%", "", "%4S%", "%4E%", ""}},
               {"GEOMETRIC STIFFNESS DATA", "KGDATA("}});
  // The lumped-mass page: heading, then 2X, I6, 1P 9E12.4, 2I6 per record.
  const std::string mass_heading = "    NODE" + std::string(5, ' ') + "MX" + std::string(10, ' ') + "MY" +
                                   std::string(10, ' ') + "MZ" + std::string(9, ' ') + "IXX" +
                                   std::string(9, ' ') + "IYY" + std::string(9, ' ') + "IZZ" +
                                   std::string(9, ' ') + "IXY" + std::string(9, ' ') + "IYZ" +
                                   std::string(9, ' ') + "IYZ" + std::string(5, ' ') + "  IGEN   INC";
  std::string mass_echo = "       1";
  for (int k = 0; k < 3; ++k) mass_echo += "  2.0000E+00";
  for (int k = 0; k < 6; ++k) mass_echo += "  0.0000E+00";
  mass_echo += "     0     0";
  v.push_back({"MassCondensed", "0 0 0 F", "1 1 T\n1 2.0 2.0 2.0 0 0 0 0 0 0 0 0",
               {{"", "  LUMPED NODE MASSES ", " ====================", "", mass_heading, mass_echo},
                {"", k5 + "- THE MASS MATRIX IS CONDENSED WITH THE STRUCTURAL STIFFNESS MATRIX.", "", "",
                 k5 + " PROPORTIONAL DAMPING COIEFICIENTS"}},
               {"ZERO MASS MATRIX"}});
  v.push_back({"MassNotCondensed", "0 0 0 F", "1 1 F\n1 2.0 2.0 2.0 0 0 0 0 0 0 0 0",
               {{"", k5 + "- THE MASS MATRIX IS NOT CONDENSED WITH THE STRUCTURAL STIFFNESS MATRIX."}},
               {"ZERO MASS MATRIX"}});
  return v;
}

void PrintTo(const ReportCase& k, std::ostream* os) { *os << k.name; }

class ReportTexts : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ReportTexts, PagesAndTexts) {
  const ReportCase& k = GetParam();
  auto r = kvtest::run_deck(report_deck(k.kg, k.mass), "reporttexts");
  ASSERT_EQ(r.status, 0) << r.console;
  const auto l = lines_of(r.output);
  // Every structure section: the program line under the first page header and
  // the material tags (the node tags are the node input's).
  EXPECT_TRUE(has_block(l, {"", " *** PROGRAM VORDANEX ***   (VERSION 1.1)     ", "", ""}));
  EXPECT_TRUE(has_block(l, {"%2E%", "", " %3S%", "%3E%", ""}));
  for (const auto& b : k.blocks) EXPECT_TRUE(has_block(l, b)) << b.front();
  for (const auto& s : k.absent) EXPECT_EQ(r.output.find(s), std::string::npos) << s;
}

INSTANTIATE_TEST_SUITE_P(StructureInput, ReportTexts, ::testing::ValuesIn(report_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StructureInput, MassOnAMissingNodeIsReportedByBothPasses) {
  auto r = kvtest::run_deck(report_deck("0 0 0 F", "1 1 F\n7 2.0 2.0 2.0 0 0 0 0 0 0 0 0"), "massmissing");
  ASSERT_EQ(r.status, 3) << r.console;
  int reports = 0;
  for (auto p = r.output.find("WAS NOT FOUND, CHECK INPUT, MASS IS OMITTED"); p != std::string::npos;
       p = r.output.find("WAS NOT FOUND, CHECK INPUT, MASS IS OMITTED", p + 1))
    ++reports;
  EXPECT_EQ(reports, 2);
}

TEST(StructureInput, GeneratedElementsStopAtTheElementCount) {
  // One record with NGEN = 3 and node increments of 10: the k-th generated
  // element joins nodes 10 + 10k and 20 + 10k. With NELEM = 4 all four are
  // made; with NELEM = 3 the last generated one is not, and the next record
  // (the mass record) is read in step without an END line.
  for (const int nelem : {4, 3}) {
    SCOPED_TRACE(nelem);
    const std::string deck = "STR\n'GENERATED COLUMN'\n5 1 1 0 0 1.0\n10 0.0 0.0 0.0 1 4\n10 0.0 0.0 120.0\n" +
                             std::string("1.0 0.0 0.0 0.0 1.0 0.0\n10 1 1 1 1 1 1 0 0\n") +
                             "1\n3D-BEAM 29.0E6 11.2E6 20.0 10.0 10.0 5.0 300.0 900.0\n0 0 0 F\n" +
                             std::to_string(nelem) + "\n" +
                             "3D-BEAM 'C1' 1 10 20 1.0 0.0 0.0 0.0 0.0 0.0 0 3\n" +
                             "0 10 10 0 0 0 0 0 0 0\n0 0 F\n0.0 0.0\nSTOP\n";
    auto r = kvtest::run_deck(deck, "generated");
    ASSERT_EQ(r.status, 0) << r.console;
    static const std::regex generated_re(R"(\n GENERATED +(\d+) +1 +(\d+) +(\d+) )");
    std::vector<std::array<int, 3>> made;
    for (std::sregex_iterator it(r.output.begin(), r.output.end(), generated_re), e; it != e; ++it)
      made.push_back({std::stoi((*it)[1]), std::stoi((*it)[2]), std::stoi((*it)[3])});
    std::vector<std::array<int, 3>> expected;
    for (int k = 1; k < nelem; ++k) expected.push_back({k + 1, 10 + 10 * k, 20 + 10 * k});
    EXPECT_EQ(made, expected);
    EXPECT_NE(r.output.find("PROPORTIONAL DAMPING COIEFICIENTS"), std::string::npos);
  }
}

TEST(StructureInput, UnreadableValueShowsItsLineAndStops) {
  const char* deck = R"('STR'
'UNREADABLE'
1 1 X 0 0 1.0
1 0.0 0.0 0.0 1 0
)";
  auto r = kvtest::run_deck(deck, "unreadable");
  EXPECT_EQ(r.status, 1) << r.console;
  const auto l = lines_of(r.output);
  bool shown = false;
  for (std::size_t i = 0; i + 1 < l.size(); ++i)
    if (l[i].find("UNREADABLE VALUE WHILE READING THE CONTROL RECORD") != std::string::npos)
      shown = l[i + 1] == " 1 1 X 0 0 1.0";
  EXPECT_TRUE(shown) << r.output;
}

}  // namespace
