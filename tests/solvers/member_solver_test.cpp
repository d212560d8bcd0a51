// The member solver: dense-to-skyline packing with its zero-diagonal check,
// GAUSS options 1 to 5 and the correction norm.
#include "solvers/member_solver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "solver_test_support.h"

namespace {

using solvers::SolveStatus;

// Column-major dense matrix from rows written out as in a textbook.
std::vector<float> columns(int n, std::initializer_list<float> rows) {
  std::vector<float> a(static_cast<std::size_t>(n) * n);
  int k = 0;
  for (float v : rows) {
    a[static_cast<std::size_t>(k % n) * n + k / n] = v;
    ++k;
  }
  return a;
}

TEST(Zdiag, ShortensEachColumnToItsFirstNonZeroTerm) {
  const auto a = columns(3, {2, 0, 1,  //
                             0, 3, 0,  //
                             1, 0, 4});
  std::vector<float> sk(6, -1.0f);
  std::vector<std::int32_t> md(4);
  std::int32_t nstk = -1;
  EXPECT_TRUE(solvers::zdiag(a.data(), 3, 3, sk.data(), md.data(), nstk));
  EXPECT_EQ(md, (std::vector<std::int32_t>{1, 2, 3, 6}));
  EXPECT_EQ(nstk, 5);
  // Column 3 holds the zero at row 2 inside its height.
  EXPECT_EQ(std::vector<float>(sk.begin(), sk.begin() + 5), (std::vector<float>{2, 3, 4, 0, 1}));
}

TEST(Zdiag, ZeroDiagonalIsReportedAndGaussThenDoesNothing) {
  for (float a12 : {0.0f, 1.0f}) {
    const auto a = columns(3, {2, a12, 1,  //
                               a12, 0, 0,  //
                               1, 0, 4});
    std::vector<float> sk(6, -1.0f);
    std::vector<std::int32_t> md(4, -7);
    std::int32_t nstk = -1;
    solvertest::Unit6 out;
    EXPECT_FALSE(solvers::zdiag(a.data(), 3, 3, sk.data(), md.data(), nstk));
    const auto lines = out.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], fio::list_format("THE STIFFNESS ", 2, "TH DIAGONAL TERM ARE ZERO - SOLUTION ABORTED"));

    // The incomplete profile is not read: GAUSS refuses it and touches nothing.
    const std::vector<float> sk0 = sk;
    std::vector<float> r = {1, 1, 1};
    std::vector<float> w = {5, 5, 5};
    int l1 = 1, l2 = 3;
    solvertest::Unit6 out2;
    EXPECT_EQ(solvers::gauss(1, false, 3, nstk, 3, 1, l1, l2, md.data(), sk.data(), r.data(), w.data()),
              SolveStatus::bad_profile);
    EXPECT_EQ(sk, sk0);
    EXPECT_EQ(r, (std::vector<float>{1, 1, 1}));
    EXPECT_EQ(w, (std::vector<float>{5, 5, 5}));
    EXPECT_TRUE(out2.lines().empty());
  }
}

// K = [[4, 2, 0], [2, 5, 1], [0, 1, 3]], x = (1, 2, 3): K x = (8, 15, 11).
struct Member {
  std::vector<float> sk = std::vector<float>(6);
  std::vector<std::int32_t> md = std::vector<std::int32_t>(4);
  std::int32_t nstk = 0;
  Member() {
    const auto a = columns(3, {4, 2, 0,  //
                               2, 5, 1,  //
                               0, 1, 3});
    EXPECT_TRUE(solvers::zdiag(a.data(), 3, 3, sk.data(), md.data(), nstk));
  }
  SolveStatus gauss(int iopt, int l1, int l2, std::vector<float>& r, std::vector<float>& w, int nlc = 1) {
    return solvers::gauss(iopt, false, 3, nstk, 3, nlc, l1, l2, md.data(), sk.data(), r.data(), w.data());
  }
};

TEST(Gauss, ReducesAndSolves) {
  Member m;
  std::vector<float> r = {8, 15, 11, 4, 2, 0};  // second column: K (1, 0, 0)
  std::vector<float> w(3);
  EXPECT_EQ(m.gauss(1, 1, 3, r, w, 2), SolveStatus::ok);
  EXPECT_EQ(m.gauss(3, 1, 3, r, w, 2), SolveStatus::ok);
  EXPECT_NEAR(r[0], 1.0f, 1e-6);
  EXPECT_NEAR(r[1], 2.0f, 1e-6);
  EXPECT_NEAR(r[2], 3.0f, 1e-6);
  EXPECT_NEAR(r[3], 1.0f, 1e-6);
  EXPECT_NEAR(r[4], 0.0f, 1e-6);
  EXPECT_NEAR(r[5], 0.0f, 1e-6);
  // A further load against the reduced matrix.
  std::vector<float> r2 = {0, 1, 3};  // K (0, 0, 1)
  EXPECT_EQ(m.gauss(2, 1, 3, r2, w), SolveStatus::ok);
  EXPECT_EQ(m.gauss(3, 1, 3, r2, w), SolveStatus::ok);
  EXPECT_NEAR(r2[0], 0.0f, 1e-6);
  EXPECT_NEAR(r2[1], 0.0f, 1e-6);
  EXPECT_NEAR(r2[2], 1.0f, 1e-6);
  // Option 4 gives back K x.
  std::vector<float> x = {1, 2, 3};
  std::vector<float> p(3, 99.0f);
  EXPECT_EQ(m.gauss(4, 1, 3, p, x), SolveStatus::ok);
  EXPECT_NEAR(p[0], 8.0f, 1e-5);
  EXPECT_NEAR(p[1], 15.0f, 1e-5);
  EXPECT_NEAR(p[2], 11.0f, 1e-5);
}

TEST(Gauss, Option5KeepsTheGivenEntriesAndSolvesTheRange) {
  Member m;
  std::vector<float> r = {8, 15, 11};
  std::vector<float> w(3);
  EXPECT_EQ(m.gauss(1, 1, 3, r, w), SolveStatus::ok);
  // Reduced rows: (4, 2, 0 | 8), (4, 1 | 11), (2.75 | 8.25). W(3) is the
  // caller's; W(1), W(2) come from rows 1 and 2: 4 W(2) = 11 - 1*3 and
  // 4 W(1) = 8 - 2 W(2).
  w = {-9.0f, -9.0f, 3.0f};
  const std::vector<float> r_before = r;
  EXPECT_EQ(m.gauss(5, 1, 2, r, w), SolveStatus::ok);
  EXPECT_NEAR(w[0], 1.0f, 1e-6);
  EXPECT_NEAR(w[1], 2.0f, 1e-6);
  EXPECT_EQ(w[2], 3.0f);
  EXPECT_EQ(r, r_before);
  // Another value of W(3) gives the other solution of rows 1 and 2.
  w = {0.0f, 0.0f, 0.0f};
  EXPECT_EQ(m.gauss(5, 1, 2, r, w), SolveStatus::ok);
  EXPECT_NEAR(w[1], 2.75f, 1e-6);
  EXPECT_NEAR(w[0], 0.625f, 1e-6);
}

TEST(Gauss, ZeroPivotBoxNamesGauss) {
  const auto a = columns(2, {1, 1,  //
                             1, 1});
  std::vector<float> sk(3);
  std::vector<std::int32_t> md(3);
  std::int32_t nstk = 0;
  ASSERT_TRUE(solvers::zdiag(a.data(), 2, 2, sk.data(), md.data(), nstk));
  std::vector<float> r = {1, 1};
  std::vector<float> w(2);
  int l1 = 1, l2 = 2;
  solvertest::Unit6 out;
  EXPECT_EQ(solvers::gauss(1, false, 2, nstk, 2, 1, l1, l2, md.data(), sk.data(), r.data(), w.data()),
            SolveStatus::ok);  // the last pivot is not tested by the reduction
  EXPECT_EQ(solvers::gauss(3, false, 2, nstk, 2, 1, l1, l2, md.data(), sk.data(), r.data(), w.data()),
            SolveStatus::zero_pivot);
  EXPECT_EQ(solvers::gauss(5, false, 2, nstk, 2, 1, l1, l2, md.data(), sk.data(), r.data(), w.data()),
            SolveStatus::zero_pivot);
  const auto lines = out.lines();
  ASSERT_EQ(lines.size(), 20u);
  std::string second = " *  ERROR IN SUBROUTINE GAUSS";
  second.resize(50, ' ');
  EXPECT_EQ(lines[4], second + "*");
  EXPECT_EQ(lines[7].substr(0, 45), " *                      PIVOT:   0.000000E+00");
  EXPECT_EQ(lines[14], second + "*");
}

// ---------------------------------------------------------------- CNORM

struct CnormCase {
  const char* what;
  int iopt;
  std::vector<float> ref;   // XA (option 2) or XB
  std::vector<float> corr;  // YA (option 2) or YB
  std::vector<int> idof;
  float dnorm;
};

class Cnorm : public ::testing::TestWithParam<CnormCase> {};

TEST_P(Cnorm, MeasuresTheCorrection) {
  const CnormCase& c = GetParam();
  const int n = static_cast<int>(c.ref.size());
  std::vector<float> a(static_cast<std::size_t>(n) * n, 0.0f);
  std::vector<float> other(n, 1000.0f);  // the pair not selected must not matter
  std::vector<std::int32_t> idof(c.idof.begin(), c.idof.end());
  float dnorm = -1.0f;
  float energy = 42.0f;
  if (c.iopt == 2) {
    solvers::cnorm(2, c.ref.data(), other.data(), c.corr.data(), other.data(), a.data(), n, n,
                   idof.data(), dnorm, energy);
    EXPECT_EQ(energy, 42.0f);
  } else {
    solvers::cnorm(1, other.data(), c.ref.data(), other.data(), c.corr.data(), a.data(), n, n,
                   idof.data(), dnorm, energy);
  }
  EXPECT_NEAR(dnorm, c.dnorm, 1e-6) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Cnorm,
    ::testing::Values(
        CnormCase{"translations only", 2, {2, -1, 0.5, 0}, {1, 0, 0, 0}, {0, 0, 0, 0}, 0.25f},
        CnormCase{"largest magnitude taken with its sign", 1, {1, -4, 0, 0}, {2, 0, 0, 0}, {0, 0, 0, 0},
                  0.25f},
        // Rotations all zero in the reference: their corrections are ignored.
        CnormCase{"zero rotations ignored", 1, {2, 0, 0, 0}, {2, 50, 7, 0}, {0, 1, 1, 0}, 0.5f},
        // Each kind scaled by its own maximum: (1/2)^2 + (0.1/0.2)^2 = 0.5 over 2.
        CnormCase{"two kinds", 2, {2, 0.2f}, {1, 0.1f}, {0, 5}, 0.5f},
        CnormCase{"nothing to measure", 1, {0, 0}, {3, 3}, {0, 1}, 0.0f}));

TEST(CnormEnergy, SmallTermsZeroedInTheCallersArrayAndEnergyFormed) {
  // A = [[2, 9.9e-8], [9.9e-8, 3]] with one term at the threshold kept.
  std::vector<float> a = {2.0f, 9.9e-8f, 9.9e-8f, 3.0f};
  std::vector<float> ya = {1.0f, 2.0f};
  std::vector<float> x = {1.0f, 1.0f};
  std::vector<std::int32_t> idof = {0, 0};
  float dnorm = 0.0f, energy = 0.0f;
  solvers::cnorm(1, x.data(), x.data(), ya.data(), ya.data(), a.data(), 2, 2, idof.data(), dnorm, energy);
  EXPECT_EQ(a[1], 0.0f);
  EXPECT_EQ(a[2], 0.0f);
  EXPECT_FLOAT_EQ(energy, 2.0f * 1.0f + 3.0f * 4.0f);
  std::vector<float> b = {1.0e-7f, -1.0e-7f, 5.0f, 1.0f};
  solvers::cnorm(1, x.data(), x.data(), ya.data(), ya.data(), b.data(), 2, 2, idof.data(), dnorm, energy);
  EXPECT_EQ(b[0], 1.0e-7f);
  EXPECT_EQ(b[1], -1.0e-7f);
  // Only the leading N x N block of a larger array is looked at.
  std::vector<float> c = {4.0f, 1e-9f, 1e-9f, 1.0f};  // LDA 2, N 1
  solvers::cnorm(1, x.data(), x.data(), ya.data(), ya.data(), c.data(), 2, 1, idof.data(), dnorm, energy);
  EXPECT_EQ(c[1], 1e-9f);
  EXPECT_FLOAT_EQ(energy, 4.0f);
}

TEST(CnormEnergy, AnyNumberOfDegreesOfFreedom) {
  const int n = 300;  // beyond the 198 of a fixed work vector
  std::vector<float> a(static_cast<std::size_t>(n) * n, 0.0f);
  for (int i = 0; i < n; ++i) a[static_cast<std::size_t>(i) * n + i] = 2.0f;
  std::vector<float> y(n, 1.0f);
  std::vector<float> x(n, 4.0f);
  std::vector<std::int32_t> idof(n, 0);
  float dnorm = 0.0f, energy = 0.0f;
  solvers::cnorm(1, x.data(), x.data(), y.data(), y.data(), a.data(), n, n, idof.data(), dnorm, energy);
  EXPECT_FLOAT_EQ(energy, 600.0f);
  EXPECT_FLOAT_EQ(dnorm, 0.25f);
}

}  // namespace

namespace {

TEST(GaussTrace, Option5PrintsTheSolvedVector) {
  Member m;
  std::vector<float> r = {8, 15, 11};
  std::vector<float> w(3);
  ASSERT_EQ(m.gauss(1, 1, 3, r, w), SolveStatus::ok);
  w = {0.0f, 0.0f, 3.0f};
  solvertest::Unit6 out;
  int l1 = 1, l2 = 2;
  EXPECT_EQ(solvers::gauss(5, true, 3, m.nstk, 3, 1, l1, l2, m.md.data(), m.sk.data(), r.data(), w.data()),
            SolveStatus::ok);
  const auto lines = out.lines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[1], "  IOPT=5, BACK SUBSTUTION  L1:    1   L2:    2   N:    3");
  const std::size_t k = lines.size();
  EXPECT_EQ(lines[k - 4], " PRINTING MATRIX: OUTPUT DISPLACEMENT");
  EXPECT_EQ(lines[k - 3], " ROW    1          1.000000");
  EXPECT_EQ(lines[k - 2], " ROW    2          2.000000");
  EXPECT_EQ(lines[k - 1], " ROW    3          3.000000");
}

}  // namespace
