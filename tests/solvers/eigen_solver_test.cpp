// The dense generalized eigen-solver.
#include "solvers/eigen_solver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "solver_test_support.h"

namespace {

using solvers::EigenStatus;

struct Problem {
  int n;
  std::vector<float> a, b, eig, x, d, w1, w2;
  explicit Problem(int order)
      : n(order), a(order * order), b(order * order), eig(order, -1.0f), x(order * order),
        d(order), w1(order), w2(order) {}
  float& A(int i, int j) { return a[(i - 1) + (j - 1) * n]; }
  float& B(int i, int j) { return b[(i - 1) + (j - 1) * n]; }
  float X(int i, int j) const { return x[(i - 1) + (j - 1) * n]; }
  solvers::EigenResult solve() {
    return solvers::eiggen(n, a.data(), b.data(), eig.data(), x.data(), d.data(), w1.data(), w2.data());
  }
  float largest(int j) const {
    float m = 0.0f;
    for (int i = 1; i <= n; ++i) m = std::max(m, std::fabs(X(i, j)));
    return m;
  }
};

TEST(Eiggen, ThreeStoreyShearFrame) {
  // Storey stiffnesses 3000, 1000, 1000 and floor masses 2, 1.5, 1.
  Problem p(3);
  const float k[3][3] = {{5000, -2000, 0}, {-2000, 3000, -1000}, {0, -1000, 1000}};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) p.A(i, j) = k[i - 1][j - 1];
  p.B(1, 1) = 2.0f;
  p.B(2, 2) = 1.5f;
  p.B(3, 3) = 1.0f;
  solvertest::Unit6 out;
  EXPECT_EQ(p.solve().status, EigenStatus::ok);
  EXPECT_NEAR(p.eig[0], 351.4647f, 351.4647f * 1e-5f);
  EXPECT_NEAR(p.eig[1], 1606.599f, 1606.599f * 1e-5f);
  EXPECT_NEAR(p.eig[2], 3541.936f, 3541.936f * 1e-5f);
  // Mode 1 is proportional to (0.301850, 0.648535, 1); its largest component
  // has magnitude 1 (the sign is the rotation's).
  EXPECT_FLOAT_EQ(std::fabs(p.X(3, 1)), 1.0f);
  EXPECT_NEAR(p.X(1, 1) / p.X(3, 1), 0.301850f, 2e-5);
  EXPECT_NEAR(p.X(2, 1) / p.X(3, 1), 0.648535f, 2e-5);
  for (int j = 1; j <= 3; ++j) EXPECT_FLOAT_EQ(p.largest(j), 1.0f) << j;
  // Each pair satisfies K x = lambda M x.
  for (int j = 1; j <= 3; ++j)
    for (int i = 1; i <= 3; ++i) {
      float kx = 0.0f;
      for (int m = 1; m <= 3; ++m) kx += k[i - 1][m - 1] * p.X(m, j);
      const float mass[3] = {2.0f, 1.5f, 1.0f};
      EXPECT_NEAR(kx, p.eig[j - 1] * mass[i - 1] * p.X(i, j), 5e-5f * 5000.0f) << i << "," << j;
    }
  EXPECT_TRUE(out.lines().empty());
}

TEST(Eiggen, DiagonalProblemIsSortedWithItsVectors) {
  Problem p(2);
  p.A(1, 1) = 2.0f;
  p.A(2, 2) = 1.0f;
  p.B(1, 1) = p.B(2, 2) = 1.0f;
  EXPECT_EQ(p.solve().status, EigenStatus::ok);
  EXPECT_EQ(p.eig, (std::vector<float>{1.0f, 2.0f}));
  EXPECT_EQ(p.x, (std::vector<float>{0.0f, 1.0f, 1.0f, 0.0f}));
}

TEST(Eiggen, CoupledPairHasUnitComponents) {
  Problem p(2);
  p.A(1, 1) = p.A(2, 2) = 2.0f;
  p.A(1, 2) = p.A(2, 1) = 1.0f;
  p.B(1, 1) = p.B(2, 2) = 1.0f;
  EXPECT_EQ(p.solve().status, EigenStatus::ok);
  EXPECT_NEAR(p.eig[0], 1.0f, 1e-6);
  EXPECT_NEAR(p.eig[1], 3.0f, 1e-6);
  for (int i = 1; i <= 2; ++i)
    for (int j = 1; j <= 2; ++j) EXPECT_NEAR(std::fabs(p.X(i, j)), 1.0f, 1e-6);
  EXPECT_NEAR(p.X(1, 1), -p.X(2, 1), 1e-6);  // (1, -1) for 1
  EXPECT_NEAR(p.X(1, 2), p.X(2, 2), 1e-6);   // (1, 1) for 3
}

TEST(Eiggen, ScaledIdentityAndOrderOne) {
  Problem p(3);
  for (int i = 1; i <= 3; ++i) {
    p.A(i, i) = 1.0f;
    p.B(i, i) = 4.0f;
  }
  EXPECT_EQ(p.solve().status, EigenStatus::ok);
  EXPECT_EQ(p.eig, (std::vector<float>{0.25f, 0.25f, 0.25f}));

  Problem q(1);
  q.A(1, 1) = 6.0f;
  q.B(1, 1) = 1.5f;
  EXPECT_EQ(q.solve().status, EigenStatus::ok);
  EXPECT_FLOAT_EQ(q.eig[0], 4.0f);
  EXPECT_EQ(q.X(1, 1), 1.0f);
}

TEST(Eiggen, EqualEigenvaluesKeepTheirJacobiOrder) {
  // A diagonal: no rotation, EIG = (3, 1, 3) with unit vectors. The sort brings
  // 1 first (exchanging columns 1 and 2) and then keeps the first of the two
  // 3's, so the vectors are e2, e1, e3.
  Problem p(3);
  p.A(1, 1) = 3.0f;
  p.A(2, 2) = 1.0f;
  p.A(3, 3) = 3.0f;
  for (int i = 1; i <= 3; ++i) p.B(i, i) = 1.0f;
  EXPECT_EQ(p.solve().status, EigenStatus::ok);
  EXPECT_EQ(p.eig, (std::vector<float>{1.0f, 3.0f, 3.0f}));
  EXPECT_EQ(p.x, (std::vector<float>{0, 1, 0, 1, 0, 0, 0, 0, 1}));
}

TEST(Eiggen, EqualDiagonalsWithNegligibleCouplingGiveNoNaN) {
  // A = [[1, 1e-23], [1e-23, 1]]: 100 |A(1,2)| is below 1e-20 and counts as
  // zero, and the diagonal difference is 0.0. The eigenvalues 1 -+ 1e-23 are
  // both 1.0 in single precision; the rotation is the 45-degree one, so the
  // vectors are (1, -1) and (1, 1) up to their signs.
  Problem p(2);
  p.A(1, 1) = p.A(2, 2) = 1.0f;
  p.A(1, 2) = p.A(2, 1) = 1.0e-23f;
  p.B(1, 1) = p.B(2, 2) = 1.0f;
  solvertest::Unit6 out;
  EXPECT_EQ(p.solve().status, EigenStatus::ok);
  EXPECT_EQ(p.eig, (std::vector<float>{1.0f, 1.0f}));
  for (int i = 1; i <= 2; ++i)
    for (int j = 1; j <= 2; ++j) EXPECT_NEAR(std::fabs(p.X(i, j)), 1.0f, 1e-6) << i << "," << j;
  EXPECT_NEAR(p.X(1, 1), -p.X(2, 1), 1e-6);
  EXPECT_NEAR(p.X(1, 2), p.X(2, 2), 1e-6);
  EXPECT_TRUE(out.lines().empty());
}

TEST(Eiggen, MassNotPositiveDefiniteGivesNoResults) {
  // B = [[1, 2], [2, 1]]: the second pivot is 1 - 4 = -3.
  Problem p(2);
  p.A(1, 1) = p.A(2, 2) = 1.0f;
  p.B(1, 1) = p.B(2, 2) = 1.0f;
  p.B(1, 2) = p.B(2, 1) = 2.0f;
  std::fill(p.x.begin(), p.x.end(), 9.0f);
  const auto result = p.solve();
  EXPECT_EQ(result.status, EigenStatus::not_positive_definite);
  EXPECT_EQ(result.row, 2);
  EXPECT_FLOAT_EQ(result.piv, -3.0f);
  EXPECT_EQ(p.eig, (std::vector<float>{-1.0f, -1.0f}));  // untouched, no NaN
  EXPECT_EQ(p.x, std::vector<float>(4, 9.0f));

  Problem z(2);  // a zero mass on a degree of freedom
  z.A(1, 1) = z.A(2, 2) = 1.0f;
  z.B(1, 1) = 1.0f;
  const auto rz = z.solve();
  EXPECT_EQ(rz.status, EigenStatus::not_positive_definite);
  EXPECT_EQ(rz.row, 2);
  EXPECT_EQ(rz.piv, 0.0f);
}

TEST(Jacrot, JacobiThatCannotConvergeWarns) {
  // A NaN term never lets the off-diagonal sum reach zero.
  std::vector<float> a{1.0f, 0.0f, std::nanf(""), 1.0f}, eig(2), x(4), w1(2), w2(2);
  solvertest::Unit6 out;
  EXPECT_FALSE(solvers::jacrot(2, a.data(), eig.data(), x.data(), w1.data(), w2.data()));
  const auto lines = out.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().find("NOT CONVERGED AFTER  500 SWEEPS"), std::string::npos);
}

// Infinity or NaN in either matrix, or a reduction beyond the float range,
// is a failure with no results, not a sweep limit with NaN eigenpairs.
struct NonFinite {
  const char* name;
  float a11, a12, b11, b12;
  int row;  // the factorisation row that met the non-finite pivot, or 0
};

std::ostream& operator<<(std::ostream& o, const NonFinite& c) { return o << c.name; }

class EiggenNonFinite : public ::testing::TestWithParam<NonFinite> {};

TEST_P(EiggenNonFinite, FailsWithoutResultsOrWarning) {
  const NonFinite& c = GetParam();
  Problem p(2);
  p.A(1, 1) = c.a11;
  p.A(1, 2) = p.A(2, 1) = c.a12;
  p.A(2, 2) = 1.0f;
  p.B(1, 1) = c.b11;
  p.B(1, 2) = p.B(2, 1) = c.b12;
  p.B(2, 2) = 1.0f;
  std::fill(p.x.begin(), p.x.end(), 9.0f);
  solvertest::Unit6 out;
  const auto result = p.solve();
  EXPECT_EQ(result.status, EigenStatus::not_finite);
  EXPECT_EQ(result.row, c.row);
  for (float e : p.eig) EXPECT_EQ(e, -1.0f);  // untouched
  EXPECT_TRUE(out.lines().empty());
}

constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::nanf("");

INSTANTIATE_TEST_SUITE_P(
    Inputs, EiggenNonFinite,
    ::testing::Values(NonFinite{"nan_in_a", 1.0f, kNaN, 1.0f, 0.0f, 0},
                      NonFinite{"infinite_stiffness", kInf, 0.0f, 1.0f, 0.0f, 0},
                      NonFinite{"nan_mass", 1.0f, 0.0f, kNaN, 0.0f, 1},
                      NonFinite{"infinite_mass", 1.0f, 0.0f, kInf, 0.0f, 1},
                      // The pivot 1 - inf^2 is -inf: not a sign to report.
                      NonFinite{"infinite_mass_coupling", 1.0f, 0.0f, 1.0f, kInf, 2},
                      // sqrt(1e-45) = 3.7e-23 passes; 1e30 / 3.7e-23^2 overflows.
                      NonFinite{"denormal_mass", 1.0e30f, 0.0f, 1.0e-45f, 0.0f, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
