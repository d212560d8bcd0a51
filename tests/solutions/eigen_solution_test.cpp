// "SOL" 3 end to end: natural frequencies and buckling loads of small decks run
// through the program, compared with closed-form values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "solution_harness.h"
#include "support/test_support.h"

namespace {

using soltest::lines_of;
using soltest::node_line;
using soltest::numbers_of;

constexpr double kPi = std::numbers::pi;
// Six significant digits printed, single-precision arithmetic.
constexpr double kRel = 2e-5;

const std::string kHeading = "SOLUTION #3, DETERMINE EIGENVALUES AND EIGENVECTORS";

kvtest::RunResult run_case(const std::string& name) {
  return kvtest::run_deck(kvtest::read_file(kvtest::case_path(name)), name.substr(0, name.find('.')));
}

int count_of(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The report of the first solution titled `title`, up to the memory box that
// follows it.
std::string solution(const std::string& out, const std::string& title) {
  const std::size_t at = out.find("SOLUTION.....: " + title);
  if (at == std::string::npos) return {};
  const std::size_t box = out.find("MEMORY UTILIZATION", at);
  return out.substr(at, box == std::string::npos ? std::string::npos : box - at);
}

// The values of every table row that starts with `label`, all blocks in order.
std::vector<double> row(const std::string& text, const std::string& label) {
  std::vector<double> v;
  for (const std::string& l : lines_of(text)) {
    if (l.rfind(label, 0) != 0) continue;
    const std::vector<double> x = numbers_of(l.substr(label.size()));
    v.insert(v.end(), x.begin(), x.end());
  }
  return v;
}

// Node line of the shape table of mode m: node ID, DX, DY, DZ, RX, RY, RZ.
std::vector<double> shape(const std::string& text, int m, int node) {
  char head[32];
  std::snprintf(head, sizeof head, "MODE #%3d", m);
  return numbers_of(node_line(text, std::string("GCS EIGENVECTORS,  LOADING #    1     ") + head, node));
}

// IZ of every memory box of the run, in order.
std::vector<long> iz_of_boxes(const std::string& out) {
  std::vector<long> iz;
  for (const std::string& l : lines_of(out)) {
    const std::size_t at = l.find(" *--- IZ=");
    if (at == std::string::npos) continue;
    iz.push_back(std::stol(l.substr(at + 9)));
  }
  return iz;
}

// Words an eigen-solution reserves: eigenvalues, eigenvectors, A, B, two work
// vectors.
long eigen_words(long nfree, long neq) { return nfree + 3 * nfree * nfree + nfree + neq; }

// Words the double-precision correction of the modes reserves after them: the
// basis of p = min(NFREE, max(2 NEIG, NEIG + 8)) vectors over the condensed and
// free equations, five NEQ vectors, the projected p x p pair with its vectors
// and values (all double), one REAL NEQ column, and a fresh copy of the global
// mass (its stored terms) when the mass was condensed with the stiffness.
long correction_words(long nfree, long ncond, long neq, long neig, long mass_terms) {
  const long p = std::min(nfree, std::max(2 * neig, neig + 8));
  return 2 * ((ncond + nfree) * p + 5 * neq + 3 * p * p + p) + neq + mass_terms;
}

// The words between two memory boxes: the tables, and one word that aligns the
// double-precision block when IZ is odd.
void expect_words(long actual, long expected) {
  EXPECT_GE(actual, expected);
  EXPECT_LE(actual, expected + 1);
}

void expect_rel(double actual, double expected, const std::string& what, double rel = kRel) {
  EXPECT_NEAR(actual, expected, rel * std::fabs(expected) + 1e-12) << what;
}

// ---------------------------------------------------------------- decks

// N storeys of springs k = 100 and floor masses m = 1 in a line along Z, the
// floors free along X only.
std::string chain_deck(int storeys, bool trace_c) {
  char buf[2048];
  std::snprintf(buf, sizeof buf,
                "STR\n'%d-STOREY SHEAR BUILDING, K = 100, M = 1'\n"
                "%d 1 2 0 0 1.0\n"
                "1 0.0 0.0 0.0 1 %d\n1 0.0 0.0 120.0\n"
                "1.0 0.0 0.0 0.0 1.0 0.0\n"
                "0 0 1 1 1 1 1 0 0\n1 1 1 1 1 1 1 0 0\n"
                "1\nBILINEAR 100.0 1.0E10 0.0 10.0 0.0\n"
                "0 0 0 F\n"
                "%d\nSPRING 'S' 1 1 2 2 1.0 1.0 0.0 0.0 0.0 0.0 %d\n0 1 1 0 0 0 0 0 0 0\n"
                "1 1 F\n2 1.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 %d 1\n"
                "0.0 0.0\n"
                "%s"
                "SOL3\n'FREE VIBRATION'\nFREQ %d %d\nSTOP\n",
                storeys, storeys + 1, storeys, storeys, storeys - 1, storeys - 1, trace_c ? "BUG=C\n" : "",
                storeys, storeys);
  return buf;
}

// A column of n equal 3D beams along Z, pinned at both ends, bending in the XZ
// plane only, under the axial load pkg (positive in compression) with the
// consistent geometric stiffness.
constexpr double kColE = 29.0e6;
constexpr double kColI = 100.0;
constexpr double kColL = 200.0;

// kgdata, mass and solution replace the geometric-stiffness record, the mass
// section and the solution record of the buckling deck.
std::string column_deck(int n, double pkg, const char* kgdata = "1 2 2 F", const char* mass = "0 0 F",
                        const char* record = "BUCK 3 1") {
  char buf[2048];
  std::snprintf(buf, sizeof buf,
                "STR\n'PINNED COLUMN OF %d ELEMENTS'\n"
                "%d 1 3 0 0 1.0\n"
                "1 0.0 0.0 0.0 1 %d\n1 0.0 0.0 %.6f\n"
                "1.0 0.0 0.0 0.0 1.0 0.0\n"
                "0 0 1 1 1 0 1 0 0\n1 1 1 1 1 0 1 0 0\n%d 1 1 1 1 0 1 0 0\n"
                "1\n3D-BEAM 29.0E6 11.2E6 10.0 5.0 5.0 50.0 100.0 100.0\n"
                "%s\n"
                "%d\n3D-BEAM 'C' 1 1 2 0.0 1.0 0.0 0.0 0.0 %.3f 0 %d\n0 1 1 0 0 0 0 0 0 0\n"
                "%s\n0.0 0.0\n"
                "SOL3\n'BUCKLING'\n%s\nSTOP\n",
                n, n + 1, n, kColL / n, n + 1, kgdata, n, pkg, n - 1, mass, record);
  return buf;
}

std::string with_record(std::string deck, const std::string& from, const std::string& to) {
  const std::size_t at = deck.find(from);
  if (at != std::string::npos) deck.replace(at, from.size(), to);
  return deck;
}

// ---------------------------------------------------------------- natural frequencies

TEST(EigenSolution, TwoStoreyShearBuilding) {
  const kvtest::RunResult r = run_case("sol3_shear_building.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string s = solution(r.output, "FREE VIBRATION");
  ASSERT_FALSE(s.empty());
  EXPECT_NE(s.find("  OPTION:....................NATURAL FREQUENCIES"), std::string::npos);
  EXPECT_NE(s.find("  NUMBER OF EIGENVALUES:.....    2"), std::string::npos);
  EXPECT_EQ(count_of(s, kHeading), 1);

  // K = [200 -100; -100 100], M = I: lambda = 100 (3 -+ sqrt 5) / 2.
  const double w1 = std::sqrt(50.0 * (3.0 - std::sqrt(5.0)));
  const double w2 = std::sqrt(50.0 * (3.0 + std::sqrt(5.0)));
  const std::vector<double> w = row(s, " FREQ (RAD/SEC):");
  const std::vector<double> f = row(s, " FREQUENCY (HZ):");
  const std::vector<double> t = row(s, "   PERIOD (SEC):");
  ASSERT_EQ(w.size(), 2u);
  ASSERT_EQ(f.size(), 2u);
  ASSERT_EQ(t.size(), 2u);
  expect_rel(w[0], 6.18034, "omega 1");
  expect_rel(w[1], 16.1803, "omega 2");
  expect_rel(w[0], w1, "omega 1");
  expect_rel(w[1], w2, "omega 2");
  expect_rel(f[0], w1 / (2 * kPi), "f 1");
  expect_rel(f[1], w2 / (2 * kPi), "f 2");
  expect_rel(t[0], 1.01664, "T 1");
  expect_rel(t[1], 0.388322, "T 2");

  // The solver's vectors, each with a largest magnitude of 1 (sign free).
  const double g = (std::sqrt(5.0) - 1.0) / 2.0;
  const std::vector<double> d1 = row(s, "     DOF(     1)");
  const std::vector<double> d2 = row(s, "     DOF(     2)");
  ASSERT_EQ(d1.size(), 2u);
  ASSERT_EQ(d2.size(), 2u);
  expect_rel(std::fabs(d1[0]), g, "vector 1, dof 1");
  expect_rel(std::fabs(d2[0]), 1.0, "vector 1, dof 2");
  expect_rel(std::fabs(d1[1]), 1.0, "vector 2, dof 1");
  expect_rel(std::fabs(d2[1]), g, "vector 2, dof 2");

  // Mode shapes with their largest component at +1: (0.618034, 1), (1, -0.618034).
  const std::vector<std::vector<double>> expected{{0.0, g, 1.0}, {0.0, 1.0, -g}};
  for (int m = 1; m <= 2; ++m)
    for (int node = 1; node <= 3; ++node) {
      const std::vector<double> v = shape(s, m, node);
      ASSERT_EQ(v.size(), 7u) << "mode " << m << " node " << node;
      EXPECT_NEAR(v[1], expected[static_cast<std::size_t>(m - 1)][static_cast<std::size_t>(node - 1)], kRel)
          << "mode " << m << " node " << node;
      for (std::size_t k = 2; k < 7; ++k) EXPECT_EQ(v[k], 0.0);
    }

  const std::vector<long> iz = iz_of_boxes(r.output);
  ASSERT_EQ(iz.size(), 2u);
  expect_words(iz[1] - iz[0], eigen_words(2, 18) + correction_words(2, 0, 18, 2, 0));

  // The label holds 1/T, the frequency in hertz.
  EXPECT_NE(s.find("MODE #  1   FREQUENCY:   9.836316E-01"), std::string::npos);
  EXPECT_NE(s.find("MODE #  2   FREQUENCY:   2.575181E+00"), std::string::npos);
}

TEST(EigenSolution, NineModesPrintInTwoBlocks) {
  const int n = 9;
  const kvtest::RunResult r = run_case("sol3_nine_storeys.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string s = solution(r.output, "FREE VIBRATION");
  EXPECT_EQ(count_of(s, kHeading), 2);
  EXPECT_NE(s.find("           MODE:         1              2              3              4              5"
                   "              6              7\n"),
            std::string::npos);
  EXPECT_NE(s.find("           MODE:         8              9\n"), std::string::npos);
  // The header comes back before the second block.
  EXPECT_LT(s.find("           MODE:         8"), s.find("GCS EIGENVECTORS"));
  EXPECT_GT(s.find("           MODE:         8"), s.find(kHeading, s.find(kHeading) + 1));

  // Fixed-free chain of n equal masses and springs:
  // omega_r = 2 sqrt(k/m) sin((2r - 1) pi / (2 (2n + 1))), shape_r(j) ~ sin((2r - 1) pi j / (2n + 1)).
  const std::vector<double> w = row(s, " FREQ (RAD/SEC):");
  const std::vector<double> t = row(s, "   PERIOD (SEC):");
  ASSERT_EQ(w.size(), 9u);
  ASSERT_EQ(t.size(), 9u);
  for (int m = 1; m <= n; ++m) {
    const double a = (2.0 * m - 1.0) * kPi / (2.0 * (2 * n + 1));
    const double wr = 20.0 * std::sin(a);
    expect_rel(w[static_cast<std::size_t>(m - 1)], wr, "omega " + std::to_string(m));
    expect_rel(t[static_cast<std::size_t>(m - 1)], 2.0 * kPi / wr, "T " + std::to_string(m));

    std::vector<double> phi;
    for (int j = 1; j <= n; ++j) phi.push_back(std::sin(2.0 * a * j));
    const double big = *std::max_element(phi.begin(), phi.end(), [](double x, double y) { return std::fabs(x) < std::fabs(y); });
    for (int j = 1; j <= n; ++j) {
      const std::vector<double> v = shape(s, m, j + 1);
      ASSERT_EQ(v.size(), 7u) << "mode " << m << " floor " << j;
      EXPECT_NEAR(v[1], phi[static_cast<std::size_t>(j - 1)] / big, 5e-5) << "mode " << m << " floor " << j;
    }
  }
}

// A massive mid-storey node condensed out: with MCOND true the mass takes part
// in the condensation (the condensed free mass is diag(1 + 0.5 t^2, 1) with
// t = 1/2); with MCOND false the condensed node's mass is dropped. A second
// eigen-solution rebuilds the mass and gives the same results.
struct CondensedCase {
  const char* deck;
  double m3;        // condensed mass of the first floor
  long mass_terms;  // stored terms of the global mass, copied when the mass was condensed
};

void PrintTo(const CondensedCase& c, std::ostream* os) { *os << c.deck; }

class CondensedStorey : public ::testing::TestWithParam<CondensedCase> {};

TEST_P(CondensedStorey, FrequenciesAndRecoveredShapes) {
  const CondensedCase c = GetParam();
  const kvtest::RunResult r = run_case(c.deck);
  ASSERT_EQ(r.status, 0) << r.console;

  // Condensed K = [200 -100; -100 100], M = diag(m3, 1).
  const double pa = c.m3;
  const double pb = -(200.0 + 100.0 * c.m3);
  const double pc = 10000.0;
  const double disc = std::sqrt(pb * pb - 4 * pa * pc);
  const std::vector<double> lambda{(-pb - disc) / (2 * pa), (-pb + disc) / (2 * pa)};

  // Each eigen-solution reserves tables of its own.
  const std::vector<long> iz = iz_of_boxes(r.output);
  ASSERT_EQ(iz.size(), 3u);
  expect_words(iz[1] - iz[0], eigen_words(2, 24) + correction_words(2, 1, 24, 2, c.mass_terms));
  expect_words(iz[2] - iz[1], eigen_words(2, 24) + correction_words(2, 1, 24, 2, c.mass_terms));

  const std::string first = solution(r.output, "FIRST EIGEN-SOLUTION");
  const std::string second = solution(r.output, "SECOND EIGEN-SOLUTION");
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  for (const std::string* s : {&first, &second}) {
    const std::vector<double> w = row(*s, " FREQ (RAD/SEC):");
    ASSERT_EQ(w.size(), 2u);
    for (std::size_t m = 0; m < 2; ++m) {
      expect_rel(w[m], std::sqrt(lambda[m]), "omega " + std::to_string(m + 1));
      // Floor 1 / floor 2 = 100 / (200 - m3 lambda); the condensed node
      // follows floor 1 at half its displacement.
      const double ratio = 100.0 / (200.0 - c.m3 * lambda[m]);
      const double sgn = std::fabs(ratio) > 1.0 ? ratio : 1.0;  // the component of largest magnitude
      const int mode = static_cast<int>(m) + 1;
      const std::vector<double> n2 = shape(*s, mode, 2);
      const std::vector<double> n3 = shape(*s, mode, 3);
      const std::vector<double> n4 = shape(*s, mode, 4);
      ASSERT_EQ(n2.size(), 7u);
      ASSERT_EQ(n3.size(), 7u);
      ASSERT_EQ(n4.size(), 7u);
      EXPECT_NEAR(n3[1], ratio / sgn, 5e-5) << "mode " << mode;
      EXPECT_NEAR(n4[1], 1.0 / sgn, 5e-5) << "mode " << mode;
      EXPECT_NEAR(n2[1], 0.5 * ratio / sgn, 5e-5) << "mode " << mode;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(MassCondensed, CondensedStorey,
                         ::testing::Values(CondensedCase{"sol3_condensed_storey_T.dat", 1.125, 29},
                                           CondensedCase{"sol3_condensed_storey_F.dat", 1.0, 0}));

// NEIG <= 0 means all, NEIG and NVEC are cut to what exists.
struct CountCase {
  const char* record;
  int modes;   // eigenvalue columns printed
  int shapes;  // shape tables printed
};

void PrintTo(const CountCase& c, std::ostream* os) { *os << c.record; }

class RecordCounts : public ::testing::TestWithParam<CountCase> {};

TEST_P(RecordCounts, ModesAndShapesPrinted) {
  const CountCase c = GetParam();
  const std::string deck =
      with_record(kvtest::read_file(kvtest::case_path("sol3_shear_building.dat")), "FREQ 2 2", c.record);
  const kvtest::RunResult r = kvtest::run_deck(deck, "counts");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string s = solution(r.output, "FREE VIBRATION");
  EXPECT_EQ(row(s, " FREQ (RAD/SEC):").size(), static_cast<std::size_t>(c.modes)) << c.record;
  EXPECT_EQ(row(s, "     DOF(     1)").size(), static_cast<std::size_t>(c.modes)) << c.record;
  EXPECT_EQ(count_of(s, "GCS EIGENVECTORS"), c.shapes) << c.record;
  char line[64];
  std::snprintf(line, sizeof line, "  NUMBER OF EIGENVALUES:.....%5d", c.modes);
  EXPECT_NE(s.find(line), std::string::npos) << c.record;
}

INSTANTIATE_TEST_SUITE_P(Counts, RecordCounts,
                         ::testing::Values(CountCase{"FREQ 0 0", 2, 0}, CountCase{"FREQ -3 5", 2, 2},
                                           CountCase{"FREQ 5 1", 2, 1}, CountCase{"FREQ 1 2", 1, 1},
                                           CountCase{"'NATURAL FREQ' 2 -1", 2, 0}));

// ---------------------------------------------------------------- buckling

class PinnedColumn : public ::testing::TestWithParam<int> {};

TEST_P(PinnedColumn, LowestFactorWithinDiscretisationError) {
  const int n = GetParam();
  const kvtest::RunResult r = kvtest::run_deck(column_deck(n, 1.0), "column");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string s = solution(r.output, "BUCKLING");
  EXPECT_NE(s.find("  OPTION:....................ELASTIC BUCKLING LOAD"), std::string::npos);
  EXPECT_EQ(row(s, " FREQ (RAD/SEC):").size(), 0u);

  // Cubic beams with the consistent geometric stiffness bound the Euler load
  // from above; the leading error term of n elements is (pi/n)^4/720.
  const double euler = kPi * kPi * kColE * kColI / (kColL * kColL);
  const double bound = std::pow(kPi / n, 4) / 720.0;
  const std::vector<double> lambda = row(s, "     EIGENVALUE:");
  ASSERT_EQ(lambda.size(), 3u);
  const double err = lambda[0] / euler - 1.0;
  EXPECT_GE(err, -kRel) << "n = " << n;
  EXPECT_LE(err, 1.1 * bound + kRel) << "n = " << n;
  EXPECT_LT(lambda[0], lambda[1]);

  // The first buckled shape is the half sine: +1 at mid-height, rotations
  // pi/L * (+1, -1) at the ends, nothing out of the plane.
  EXPECT_NE(s.find("MODE #  1   EIGENVALUE:"), std::string::npos);
  const std::vector<double> mid = shape(s, 1, n / 2 + 1);
  const std::vector<double> bottom = shape(s, 1, 1);
  const std::vector<double> top = shape(s, 1, n + 1);
  ASSERT_EQ(mid.size(), 7u);
  ASSERT_EQ(bottom.size(), 7u);
  ASSERT_EQ(top.size(), 7u);
  EXPECT_NEAR(mid[1], 1.0, kRel);
  EXPECT_NEAR(std::fabs(bottom[5]), kPi / kColL, 0.02 * kPi / kColL);
  EXPECT_NEAR(bottom[5], -top[5], 1e-6);
  EXPECT_EQ(mid[2], 0.0);
  EXPECT_EQ(mid[6], 0.0);
}

INSTANTIATE_TEST_SUITE_P(Elements, PinnedColumn, ::testing::Values(2, 4, 8));

TEST(EigenSolution, StretchedColumnReportsEveryGeometricDiagonal) {
  const int n = 2;
  const kvtest::RunResult r = kvtest::run_deck(column_deck(n, -1.0), "tension");
  ASSERT_EQ(r.status, 3) << r.console;
  const std::string s = solution(r.output, "BUCKLING");
  EXPECT_EQ(count_of(s, " IS .LE. 0 IN THE GEOMETRIC STIFFNESS MATRIX..."), 2 * n);
  EXPECT_NE(s.find("     DOF #    1 IS .LE. 0 IN THE GEOMETRIC STIFFNESS MATRIX...     KG(I,I)="), std::string::npos);
  EXPECT_EQ(row(s, "     EIGENVALUE:").size(), 0u);
  EXPECT_NE(r.console.find("NORMAL STOP"), std::string::npos);
}

// ---------------------------------------------------------------- failures

TEST(EigenSolution, NegativeEigenvalueHasNoFrequency) {
  // The load subtracted from the stiffness (KGDATA(3) = 1) lies above the
  // Euler load and below the loads that make a diagonal term negative, so the
  // lowest eigenvalue of (K - P KG, M) is negative.
  const kvtest::RunResult r = kvtest::run_deck(
      column_deck(4, 1.0e6, "1 2 1 F", "1 1 F\n1 1.0 0.0 0.0 0.0 1.0 0.0 0.0 0.0 0.0 4 1", "FREQ 2 1"), "negative");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string s = solution(r.output, "BUCKLING");
  EXPECT_NE(s.find(" *** MODE    1: EIGENVALUE"), std::string::npos);
  EXPECT_NE(s.find("IS NEGATIVE, THE STIFFNESS IS NOT POSITIVE DEFINITE; ITS FREQUENCY IS PRINTED AS 0.0"),
            std::string::npos);
  const std::vector<double> w = row(s, " FREQ (RAD/SEC):");
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0], 0.0);
  EXPECT_GT(w[1], 0.0);
  EXPECT_EQ(row(s, "   PERIOD (SEC):")[0], 1.0e15);
  EXPECT_EQ(r.output.find("NaN"), std::string::npos);
}

TEST(EigenSolution, MissingMatricesEndTheSolutionOnly) {
  const kvtest::RunResult r = run_case("sol3_missing_matrices.dat");
  ASSERT_EQ(r.status, 3) << r.console;
  const std::string freq = solution(r.output, "FREQUENCIES WITHOUT MASS");
  const std::string buck = solution(r.output, "BUCKLING WITHOUT GEOMETRIC STIFFNESS");
  // An invalid option prints its line before any header of its own.
  const std::size_t after_buck = r.output.find("SOLUTION.....: BUCKLING WITHOUT GEOMETRIC STIFFNESS");
  const std::size_t static_sol = r.output.find("SOLUTION #1, STATIC - ELASTIC ANALYSIS");
  ASSERT_NE(after_buck, std::string::npos);
  ASSERT_NE(static_sol, std::string::npos);
  const std::string none = r.output.substr(after_buck, static_sol - after_buck);
  EXPECT_NE(freq.find(" *** NO GLOBAL MASS MATRIX WAS FORMED"), std::string::npos);
  EXPECT_NE(freq.find("SOLN IS ABORTED"), std::string::npos);
  EXPECT_NE(buck.find(" *** NO SEPARATE GLOBAL GEOMETRIC STIFFNESS MATRIX WAS FORMED"), std::string::npos);
  EXPECT_NE(none.find(" SOL-03 INVALID OPTION: MODES"), std::string::npos);
  for (const std::string* s : {&freq, &buck, &none}) {
    EXPECT_EQ(s->find("MODE:"), std::string::npos);
    EXPECT_EQ(s->find("NaN"), std::string::npos);
  }
  EXPECT_EQ(count_of(r.output, kHeading), 2);
  // The run goes on with the next command.
  EXPECT_NE(r.console.find("NORMAL STOP"), std::string::npos);
}

TEST(EigenSolution, MasslessFreeDofAbortsWithItsReport) {
  const kvtest::RunResult r = run_case("sol3_massless_dof.dat");
  ASSERT_EQ(r.status, 3) << r.console;
  const std::string s = solution(r.output, "FREQUENCIES");
  EXPECT_NE(s.find("\n     DOF #    1 IS .LE. 0 IN THE MASS MATRIX...     M(I,I)=  0.0000E+00  SOLN IS ABORTED\n"),
            std::string::npos);
  EXPECT_EQ(count_of(s, "IS .LE. 0"), 1);
  EXPECT_EQ(s.find("MODE:"), std::string::npos);
  EXPECT_NE(r.console.find("NORMAL STOP"), std::string::npos);
}

TEST(EigenSolution, IndefiniteGeometricStiffnessStopsTheRun) {
  // At the free joint KG = [0.0024 -0.18; -0.18 2.6667]: positive diagonal,
  // second Cholesky pivot 2.6667 - 0.18^2 / 0.0024 = -10.833.
  const kvtest::RunResult r = run_case("sol3_indefinite_kg.dat");
  EXPECT_EQ(r.status, 2) << "a run a solution ended reports it";
  const std::string s = solution(r.output, "BUCKLING");
  EXPECT_NE(s.find(" *** THE GEOMETRIC STIFFNESS MATRIX IS NOT POSITIVE DEFINITE"), std::string::npos);
  EXPECT_NE(s.find("PIVOT -1.0833E+01 AT DOF #    2.  SOLN IS ABORTED"), std::string::npos);
  EXPECT_EQ(s.find("MODE:"), std::string::npos);
  EXPECT_EQ(r.output.find("SOLUTION.....: NEVER RUN"), std::string::npos);
}

// Terms beyond the float range: a storey stiffness of 3e38 (the diagonal
// 2 x 3e38 overflows), a denormal floor mass (its Cholesky reduction
// overflows), a column axial load of 3e38. None may print a NaN or Infinity
// eigenvalue, frequency or vector: the solution ends and the run with it.
struct OutOfRange {
  const char* name;
  std::string deck;
  const char* title;
  const char* second;
};

std::ostream& operator<<(std::ostream& o, const OutOfRange& c) { return o << c.name; }

class NonFiniteEigenSolution : public ::testing::TestWithParam<OutOfRange> {};

TEST_P(NonFiniteEigenSolution, EndsBeforeAnyModeIsPrinted) {
  const OutOfRange& c = GetParam();
  const std::string deck = with_record(c.deck, "STOP\n", "SOL3\n'NEVER RUN'\nFREQ 1 1\nSTOP\n");
  const kvtest::RunResult r = kvtest::run_deck(deck, "nonfinite");
  ASSERT_EQ(r.status, 2) << "a run a solution ended reports it\n" << r.console;
  const std::string s = solution(r.output, c.title);
  ASSERT_FALSE(s.empty());
  EXPECT_NE(s.find(std::string(" *** THE STIFFNESS MATRIX OR THE ") + c.second +
                   " HOLDS A TERM THAT IS NOT FINITE, OR THE\n *** EIGEN-SOLUTION OF THEIR FREE DEGREES OF FREEDOM"
                   " OVERFLOWS THE REAL RANGE.  SOLN IS ABORTED\n"),
            std::string::npos)
      << s;
  EXPECT_EQ(s.find("MODE:"), std::string::npos);
  EXPECT_EQ(s.find("EIGENVECTORS:"), std::string::npos);
  for (const char* bad : {"NaN", "Infinity", "NOT CONVERGED"}) EXPECT_EQ(r.output.find(bad), std::string::npos) << bad;
  EXPECT_EQ(r.output.find("SOLUTION.....: NEVER RUN"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Decks, NonFiniteEigenSolution,
    ::testing::Values(
        OutOfRange{"huge_stiffness",
                   with_record(kvtest::read_file(kvtest::case_path("sol3_shear_building.dat")), "BILINEAR 100.0",
                               "BILINEAR 3e38"),
                   "FREE VIBRATION", "MASS MATRIX"},
        OutOfRange{"denormal_mass",
                   with_record(kvtest::read_file(kvtest::case_path("sol3_shear_building.dat")),
                               "2 1.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0 0", "2 1e-45 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0 0"),
                   "FREE VIBRATION", "MASS MATRIX"},
        OutOfRange{"huge_axial_load", column_deck(4, 3.0e38), "BUCKLING", "GEOMETRIC STIFFNESS MATRIX"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- trace C

TEST(EigenSolution, TraceCWritesEachModeToItsUnit) {
  const std::string deck = with_record(kvtest::read_file(kvtest::case_path("sol3_shear_building.dat")), "SOL3\n",
                                       "BUG=C\nSOL3\n");
  const kvtest::RunResult r = kvtest::run_deck(deck, "tracec");
  ASSERT_EQ(r.status, 0) << r.console;
  const double g = (std::sqrt(5.0) - 1.0) / 2.0;
  const std::vector<std::vector<double>> dx{{0.0, g, 1.0}, {0.0, 1.0, -g}};
  for (int m = 1; m <= 2; ++m) {
    const std::string file = kvtest::read_file(r.dir / ("temp1" + std::to_string(m) + ".out"));
    const std::vector<std::string> lines = lines_of(file);
    ASSERT_EQ(lines.size(), 3u) << file;
    for (int n = 1; n <= 3; ++n) {
      const std::string& l = lines[static_cast<std::size_t>(n - 1)];
      EXPECT_EQ(l.size(), 7u + 6 * 12) << l;
      const std::vector<double> v = numbers_of(l);
      ASSERT_EQ(v.size(), 7u) << l;
      EXPECT_EQ(v[0], n);
      EXPECT_NEAR(v[1], dx[static_cast<std::size_t>(m - 1)][static_cast<std::size_t>(n - 1)], 1e-4) << l;
      for (std::size_t k = 2; k < 7; ++k) EXPECT_EQ(v[k], 0.0) << l;
    }
  }
  EXPECT_TRUE(lines_of(kvtest::read_file(r.dir / "temp13.out")).empty());
}

TEST(EigenSolution, TraceCStopsAtTheLastSideUnit) {
  const int n = 51;
  const kvtest::RunResult r = kvtest::run_deck(chain_deck(n, true), "tracec51");
  ASSERT_EQ(r.status, 0) << r.console;
  // Mode 50 goes to unit 60; mode 51 has no unit.
  EXPECT_EQ(lines_of(kvtest::read_file(r.dir / "temp60.out")).size(), static_cast<std::size_t>(n + 1));
  EXPECT_FALSE(std::filesystem::exists(r.dir / "fort.61"));
  EXPECT_EQ(count_of(r.output, " *** TRACE C: THE SIDE UNITS END AT 60; MODES ABOVE 50 ARE NOT WRITTEN"), 1);
  EXPECT_EQ(count_of(r.output, "GCS EIGENVECTORS"), n);
}

}  // namespace
