// Packing of the curve-fit normal equations and their solution by GAUSS.
#include "solvers/curve_fit_packing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "solver_test_support.h"
#include "solvers/member_solver.h"

namespace {

// ASAT(i, j) column-major, order 4.
struct Asat {
  std::vector<float> a = std::vector<float>(16, 0.0f);
  float& operator()(int i, int j) { return a[(i - 1) + (j - 1) * 4]; }
};

TEST(Sky2, FullMatrixPacksTenTerms) {
  Asat m;
  for (int i = 1; i <= 4; ++i)
    for (int j = 1; j <= 4; ++j) m(i, j) = static_cast<float>(10 * i + j);
  std::vector<float> s(10, -1.0f);
  std::vector<std::int32_t> md(5);
  std::int32_t nterms = 0;
  EXPECT_TRUE(solvers::sky2(m.a.data(), 4, 4, s.data(), md.data(), nterms));
  EXPECT_EQ(md, (std::vector<std::int32_t>{1, 2, 4, 7, 11}));
  EXPECT_EQ(nterms, 10);
  EXPECT_EQ(s, (std::vector<float>{11, 22, 12, 33, 23, 13, 44, 34, 24, 14}));
}

TEST(Sky2, ColumnHeightsStopAtTheFirstNonZeroTerm) {
  Asat m;
  for (int i = 1; i <= 4; ++i) m(i, i) = static_cast<float>(i);
  m(1, 4) = m(4, 1) = 0.5f;  // column 4: top at row 1, zeros at rows 2 and 3 stored
  std::vector<float> s(10, -1.0f);
  std::vector<std::int32_t> md(5);
  std::int32_t nterms = 0;
  EXPECT_TRUE(solvers::sky2(m.a.data(), 4, 4, s.data(), md.data(), nterms));
  EXPECT_EQ(md, (std::vector<std::int32_t>{1, 2, 3, 4, 8}));
  EXPECT_EQ(nterms, 7);
  EXPECT_EQ(std::vector<float>(s.begin(), s.begin() + 7), (std::vector<float>{1, 2, 3, 4, 0, 0, 0.5f}));
}

TEST(Sky2, ZeroDiagonalAbandonsTheFit) {
  Asat m;
  m(2, 2) = m(3, 3) = m(4, 4) = 1.0f;
  std::vector<float> s(10, -1.0f);
  std::vector<std::int32_t> md(5, 0);
  std::int32_t nterms = 99;
  solvertest::Unit6 out;
  EXPECT_FALSE(solvers::sky2(m.a.data(), 4, 4, s.data(), md.data(), nterms));
  const auto lines = out.lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], fio::list_format("THE ASAT ", 1,
                                       "TH DIAGONAL TERM ARE ZERO - CURVE FITTING SOLUTION ABORTED FROM SKY2"));
}

// A cubic through six points: the normal equations V'V c = V'y packed by SKY2
// and solved by GAUSS options 1 and 3 give back its coefficients.
TEST(Sky2, NormalEquationsSolvedByGauss) {
  const float c[4] = {1.0f, 2.0f, -1.0f, 0.5f};
  const float xs[6] = {-1.0f, -0.5f, 0.0f, 0.5f, 1.0f, 1.5f};
  Asat m;
  std::vector<float> rhs(4, 0.0f);
  for (float x : xs) {
    const float v[4] = {1.0f, x, x * x, x * x * x};
    const float y = c[0] + c[1] * x + c[2] * x * x + c[3] * x * x * x;
    for (int i = 1; i <= 4; ++i) {
      rhs[i - 1] += v[i - 1] * y;
      for (int j = 1; j <= 4; ++j) m(i, j) += v[i - 1] * v[j - 1];
    }
  }
  std::vector<float> s(10);
  std::vector<std::int32_t> md(5);
  std::int32_t nterms = 0;
  ASSERT_TRUE(solvers::sky2(m.a.data(), 4, 4, s.data(), md.data(), nterms));
  std::vector<float> w(4);
  int l1 = 1, l2 = 4;
  EXPECT_EQ(solvers::gauss(1, false, 4, nterms, 4, 1, l1, l2, md.data(), s.data(), rhs.data(), w.data()),
            solvers::SolveStatus::ok);
  EXPECT_EQ(solvers::gauss(3, false, 4, nterms, 4, 1, l1, l2, md.data(), s.data(), rhs.data(), w.data()),
            solvers::SolveStatus::ok);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(rhs[i], c[i], 1e-4) << i;
}

}  // namespace
