// "SOL" 1 end to end: decks of tests/cases run through the program, the
// numbers an engineer would check compared with closed-form values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "solution_harness.h"
#include "support/test_support.h"

namespace {

using soltest::lines_of;
using soltest::node_line;
using soltest::numbers_of;

constexpr double kE = 29.0e6;
constexpr double kI = 100.0;
constexpr double kA = 10.0;
constexpr double kTol = 1e-4;

kvtest::RunResult run_case(const std::string& name) {
  return kvtest::run_deck(kvtest::read_file(kvtest::case_path(name)), name.substr(0, name.find('.')));
}

// The report of the k-th (1-based) "SOL" 1 of a run.
std::string solution(const std::string& out, int k) {
  const std::string marker = "SOLUTION #1, STATIC - ELASTIC ANALYSIS";
  std::size_t at = std::string::npos;
  std::size_t from = 0;
  for (int i = 0; i < k; ++i) {
    at = out.find(marker, from);
    if (at == std::string::npos) return {};
    from = at + 1;
  }
  const std::size_t next = out.find(marker, from);
  return out.substr(at, next == std::string::npos ? std::string::npos : next - at);
}

// The six values of a node line after the last header holding `header`.
std::vector<double> values(const std::string& text, const std::string& header, int node) {
  std::vector<double> v = numbers_of(node_line(text, header, node));
  if (!v.empty()) v.erase(v.begin());
  return v;
}

// The force lines of element e, load case lc (0 for the maxima report): end
// I's six values, then end J's.
std::vector<double> end_forces(const std::string& text, int e, int lc) {
  char head[32];
  std::snprintf(head, sizeof head, "%10d%5d  FORCE", e, lc);
  const std::vector<std::string> lines = lines_of(text);
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i].rfind(head, 0) != 0) continue;
    std::vector<double> a = numbers_of(lines[i]);
    const std::vector<double> b = numbers_of(lines[i + 1]);
    if (a.size() != 9 || b.size() != 7) return {};
    std::vector<double> f(a.begin() + 3, a.end());
    f.insert(f.end(), b.begin() + 1, b.end());
    return f;
  }
  return {};
}

// Relative tolerance; an expected zero is compared against the size of the
// other entries of its line (single-precision round-off).
void expect_close(double actual, double expected, const std::string& what, double scale = 0.0) {
  EXPECT_NEAR(actual, expected, kTol * std::fabs(expected) + 1e-6 * scale + 1e-12) << what;
}

void expect_values(const std::vector<double>& actual, const std::vector<double>& expected, const std::string& what) {
  ASSERT_EQ(actual.size(), expected.size()) << what;
  double scale = 0.0;
  for (double e : expected) scale = std::max(scale, std::fabs(e));
  for (std::size_t i = 0; i < expected.size(); ++i)
    expect_close(actual[i], expected[i], what + " #" + std::to_string(i + 1), scale);
}

TEST(StaticElastic, CantileverTipLoad) {
  const auto r = run_case("sol1_cantilever.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  const double p = 1000.0, l = 100.0;
  expect_values(values(r.output, "GCS DISPLACEMENTS,  LOADING #    1", 2),
                {0, p * l * l * l / (3 * kE * kI), 0, 0, 0, p * l * l / (2 * kE * kI)}, "tip");
  expect_values(values(r.output, "GCS RESTRAINT REACTIONS,   LOADING #    1", 1), {0, -p, 0, 0, 0, -p * l}, "base");
  expect_values(end_forces(r.output, 1, 1), {0, -p, 0, 0, 0, -p * l, 0, p, 0, 0, 0, 0}, "end forces");
  EXPECT_NE(r.output.find("  SOLUTION #1, STATIC - ELASTIC ANALYSIS \n ========================================\n\n"
                          "  NUMBER OF LOAD CASES ............    1\n"),
            std::string::npos);
  // One load case: no envelope page.
  EXPECT_EQ(r.output.find("MAXIMUN VALUES FOR ALL LOAD CASES"), std::string::npos);
}

TEST(StaticElastic, FixedFixedBeamUnderUniformLoad) {
  const auto r = run_case("sol1_fixed_fixed.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  const double w = -10.0, l = 200.0;
  expect_values(values(r.output, "GCS DISPLACEMENTS,  LOADING #    1", 2),
                {0, w * std::pow(l, 4) / (384 * kE * kI), 0, 0, 0, 0}, "midspan");
  // The supports carry wL/2 each and the end moments wL^2/12.
  expect_values(values(r.output, "GCS RESTRAINT REACTIONS", 1), {0, -w * l / 2, 0, 0, 0, -w * l * l / 12}, "left");
  expect_values(values(r.output, "GCS RESTRAINT REACTIONS", 3), {0, -w * l / 2, 0, 0, 0, w * l * l / 12}, "right");
  // Member 1 from the left support to midspan: no shear at midspan, where the
  // moment is wL^2/24.
  expect_values(end_forces(r.output, 1, 1), {0, -w * l / 2, 0, 0, 0, -w * l * l / 12, 0, 0, 0, 0, 0, -w * l * l / 24},
                "member 1");
}

TEST(StaticElastic, TwoLoadCasesAndTheirEnvelopes) {
  const auto r = run_case("sol1_two_cases.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  const double l = 100.0;
  const double dy = l * l * l / (3 * kE * kI), rz = l * l / (2 * kE * kI), dx = l / (kE * kA);
  expect_values(values(r.output, "GCS DISPLACEMENTS,  LOADING #    1", 2), {500 * dx, 1000 * dy, 0, 0, 0, 1000 * rz},
                "case 1");
  expect_values(values(r.output, "GCS DISPLACEMENTS,  LOADING #    2", 2),
                {-500 * dx, -2000 * dy, 0, 0, 0, -2000 * rz}, "case 2");
  // Largest magnitude with its sign; a tie keeps the first load case.
  expect_values(values(r.output, "GCS MAXIMUM DISPLACEMENTS", 2), {500 * dx, -2000 * dy, 0, 0, 0, -2000 * rz},
                "envelope");
  expect_values(values(r.output, "MAXIMUM GCS RESTRAINT REACTIONS", 1), {-500, 2000, 0, 0, 0, 2000 * l},
                "reaction envelope");
  EXPECT_NE(r.output.find("MAX OF ALL"), std::string::npos);
  int pages = 0;
  const std::string page = "  MAXIMUN VALUES FOR ALL LOAD CASES \n ===================================\n";
  for (std::size_t at = r.output.find(page); at != std::string::npos; at = r.output.find(page, at + 1)) ++pages;
  EXPECT_EQ(pages, 3);
  EXPECT_NE(r.output.find("NOTE: MAXIMUM VALUES MAY NOT OCCUR SIMULTANEOUSLY"), std::string::npos);
  // Both load cases' end forces are printed.
  expect_values(end_forces(r.output, 1, 2), {500, 2000, 0, 0, 0, 2000 * l, -500, -2000, 0, 0, 0, 0}, "case 2 forces");
}

TEST(StaticElastic, SettlementOfAPropMovesTheFreeRotationAndLoadsTheSupports) {
  const auto r = run_case("sol1_support_settlement.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  const double d = 0.1, l = 100.0;
  // The prescribed value stays in the displacement table; the free rotation of
  // a fixed-pinned member whose pinned end moves by d is 3d/2L.
  expect_values(values(r.output, "GCS DISPLACEMENTS,  LOADING #    1", 2), {0, d, 0, 0, 0, 1.5 * d / l}, "prop");
  const double f = 3 * kE * kI * d / (l * l * l);
  expect_values(values(r.output, "GCS RESTRAINT REACTIONS", 2), {0, f, 0, 0, 0, 0}, "prop reaction");
  expect_values(values(r.output, "GCS RESTRAINT REACTIONS", 1), {0, -f, 0, 0, 0, -f * l}, "base reaction");
  EXPECT_NE(r.output.find("...JOINT DISPLACEMENT... "), std::string::npos);
}

TEST(StaticElastic, GeometricStiffnessIsSubtractedOnlyWhenFormedWithTheStiffness) {
  const auto r = run_case("sol1_geometric.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  const double h = 1000.0, p = 290000.0, l = 100.0, ei = kE * kI;
  const std::string note =
      "  GEOMETRIC STIFFNESS IS NOT INCLUDED,  USE KGDATA(3)=1 TO INCLUDE GEOMETRIC STIFFNESS.\n";
  // KGDATA = 1 1 1: the lumped P/L of the unit-load matrix comes off the
  // lateral tip stiffness, so the tip equations read
  // (12EI/L^3 - P/L) v - 6EI/L^2 rz = H and -6EI/L^2 v + 4EI/L rz = 0:
  // rz = 1.5 v/L and v = H / (3EI/L^3 - P/L). The base carries H and the
  // moment H L + P v.
  const std::string first = solution(r.output, 1);
  EXPECT_EQ(first.find(note), std::string::npos);
  const double v = h / (3 * ei / (l * l * l) - p / l);
  expect_values(values(first, "GCS DISPLACEMENTS,  LOADING #    1", 2), {0, v, 0, 0, 0, 1.5 * v / l}, "with KG");
  expect_values(values(first, "GCS RESTRAINT REACTIONS", 1), {0, -h, 0, 0, 0, -(h * l + p * v)}, "with KG base");
  // KGDATA(3) = 2: the note, and the elastic stiffness alone.
  const std::string second = solution(r.output, 2);
  EXPECT_NE(second.find(note), std::string::npos) << second;
  expect_values(values(second, "GCS DISPLACEMENTS,  LOADING #    1", 2),
                {0, h * l * l * l / (3 * ei), 0, 0, 0, h * l * l / (2 * ei)}, "without KG");
}

TEST(StaticElastic, BadMemberAndLoadRecordsAreReportedAndTheRunGoesOn) {
  const auto r = run_case("sol1_bad_records.dat");
  ASSERT_EQ(r.status, 3) << r.console;
  for (const char* message : {"ROR - LENGTH IS LE 0", "VY IS PARAELL TO VX, REINPUT VY", " TARGET:       9",
                              "THE ELEMENT IS REJECTED AND ERROR CHECKING CONTINUES",
                              "  INVALID JOINT ...      7 --- LOAD IS SKIPPED",
                              "  INVALID JOINT ...      0 --- LOAD IS SKIPPED",
                              "  INVALID LOAD CASE ...      3 --- LOAD IS SKIPPED",
                              "  INVALID JOINT LOAD...      2  QQ      5.000000E+00 --- LOAD IS SKIPPED",
                              "INVALID LOAD TYPE --- LOAD IS SKIPPED", "INVALID LOAD DIRECTION --- LOAD IS SKIPPED"})
    EXPECT_NE(r.output.find(message), std::string::npos) << message;
  // Both solutions see the good member and the good load only.
  for (int k : {1, 2}) {
    const std::string s = solution(r.output, k);
    ASSERT_FALSE(s.empty()) << k;
    expect_close(values(s, "GCS DISPLACEMENTS", 2).at(1), 1000.0 * 1e6 / (3 * kE * kI), "tip " + std::to_string(k));
  }
}

TEST(StaticElastic, LaterSolutionsUseNoStaleElementLoadsAndWiderTables) {
  const auto r = run_case("sol1_repeated.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  const double l = 100.0, w = -10.0;
  const double dy = l * l * l / (3 * kE * kI), rz = l * l / (2 * kE * kI);

  const std::string first = solution(r.output, 1);
  expect_values(values(first, "GCS DISPLACEMENTS", 2), {0, w * std::pow(l, 4) / (8 * kE * kI), 0, 0, 0,
                                                        w * l * l * l / (6 * kE * kI)},
                "uniform load");
  expect_values(end_forces(first, 1, 1), {0, -w * l, 0, 0, 0, -w * l * l / 2, 0, 0, 0, 0, 0, 0}, "uniform forces");

  // Three load cases after a solution of one: the element forces carry no
  // fixed-end forces of the first solution's element load.
  const std::string second = solution(r.output, 2);
  for (int c = 1; c <= 3; ++c) {
    const double p = 1000.0 * c;
    const std::string tag = "case " + std::to_string(c);
    expect_values(values(second, "GCS DISPLACEMENTS,  LOADING #    " + std::to_string(c), 2),
                  {0, p * dy, 0, 0, 0, p * rz}, tag);
    expect_values(values(second, "GCS RESTRAINT REACTIONS,   LOADING #    " + std::to_string(c), 1),
                  {0, -p, 0, 0, 0, -p * l}, tag + " reaction");
    expect_values(end_forces(second, 1, c), {0, -p, 0, 0, 0, -p * l, 0, p, 0, 0, 0, 0}, tag + " forces");
  }

  const std::string third = solution(r.output, 3);
  expect_values(values(third, "GCS DISPLACEMENTS,  LOADING #    1", 2), {0, -1000 * dy, 0, 0, 0, -1000 * rz},
                "after release 1");
  expect_values(values(third, "GCS DISPLACEMENTS,  LOADING #    2", 2), {500 * l / (kE * kA), 0, 0, 0, 0, 0},
                "after release 2");
  expect_values(end_forces(third, 1, 1), {0, 1000, 0, 0, 0, 1000 * l, 0, -1000, 0, 0, 0, 0}, "after release forces");
}

TEST(StaticElastic, ASingularStructureStopsInTheReductionWithoutReports) {
  const auto r = run_case("sol1_singular.dat");
  EXPECT_NE(r.output.find("ROR IN SUBROUTINE MSOLL"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("GCS DISPLACEMENTS"), std::string::npos);
  EXPECT_EQ(r.output.find("DUMPING MEMORY"), std::string::npos) << "the run ends after the solution";
}

// E = 1.0E-38 keeps every pivot above zero, but 1000 lb over a denormal
// stiffness is no number: the solution stops like a singular one, before any
// report, and nothing prints NaN.
TEST(StaticElastic, ADenormalPivotStopsTheSolutionBeforeAnyReport) {
  std::string deck = kvtest::read_file(kvtest::case_path("sol1_cantilever.dat"));
  const std::size_t e = deck.find("3D-BEAM 29.0E6");
  ASSERT_NE(e, std::string::npos);
  deck.replace(e, 14, "3D-BEAM 1.0E-38");
  deck.replace(deck.rfind("STOP"), 4, "DUMP\nSTOP");
  const auto r = kvtest::run_deck(deck, "denormal_pivot");
  EXPECT_EQ(r.output.find("ROR IN SUBROUTINE MSOLL"), std::string::npos) << "no pivot is exactly zero";
  EXPECT_NE(r.output.find(" *  ER" "ROR IN SUBROUTINE STATEL                    *\n"
                          " *  DISPLACEMENT IS NOT FINITE - ROW:     2       *\n"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("GCS DISPLACEMENTS"), std::string::npos);
  EXPECT_EQ(r.output.find("RESTRAINT REACTIONS"), std::string::npos);
  EXPECT_EQ(r.output.find("NaN"), std::string::npos);
  EXPECT_EQ(r.output.find("Inf"), std::string::npos);
  EXPECT_EQ(r.output.find("DUMPING MEMORY"), std::string::npos) << "the run ends after the solution";
}

TEST(StaticElastic, ExampleFrameIsInEquilibriumUnderBothLoadCases) {
  const auto deck = kvtest::case_path("x").parent_path().parent_path().parent_path() / "examples" / "frame.dat";
  const auto r = kvtest::run_deck(kvtest::read_file(deck), "example");
  ASSERT_EQ(r.status, 0) << r.console;
  // The summation line that closes the reaction table of load case lc.
  auto summation = [&](int lc) {
    const std::size_t table = r.output.find("GCS RESTRAINT REACTIONS,   LOADING #    " + std::to_string(lc));
    const std::size_t at = r.output.find(" SUMMATION", table);
    return numbers_of(r.output.substr(at, r.output.find('\n', at) - at));
  };
  // Wind: 10 kips along X at the top (z = 144). Gravity: 50 lb/in over the
  // 240 in beam, its resultant at x = 120. Moments about the global origin.
  expect_values(summation(1), {-10000, 0, 0, 0, -10000 * 144.0, 0}, "wind resultant");
  expect_values(summation(2), {0, 0, 50 * 240.0, 0, -50 * 240.0 * 120.0, 0}, "gravity resultant");
  EXPECT_NE(r.output.find("MAXIMUN VALUES FOR ALL LOAD CASES"), std::string::npos);
}

}  // namespace
