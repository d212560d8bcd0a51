// The refinement's solution in double with the float factors: the forward sums
// of neighbouring columns run together, yet each must stay one running sum in
// ascending row order, so the results are compared bit for bit with the plain
// column-by-column sums (a different order would move the refined
// displacements in their last digits, and a row taken into a column it does not
// reach would be plainly wrong).
#include "solvers/skyline_factor_solve.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "solver_test_support.h"

namespace {

using solvertest::Profile;

// Forward and back substitution one column at a time.
int plain_solve(int n, const float* a, const std::int32_t* md, double* x, double* z) {
  for (int j = 1; j <= n; ++j) {
    const float* col = a + md[j - 1] - 1;
    const int top = j - (md[j] - md[j - 1]) + 1;
    const double d = col[0];
    if (d == 0.0) return j;
    double s = 0.0;
    for (int i = top; i < j; ++i) s += static_cast<double>(col[j - i]) * z[i - 1];
    x[j - 1] -= s;
    z[j - 1] = x[j - 1] / d;
  }
  for (int k = n; k >= 1; --k) {
    const float* col = a + md[k - 1] - 1;
    const double xk = x[k - 1] / static_cast<double>(col[0]);
    x[k - 1] = xk;
    for (int i = k - (md[k] - md[k - 1]) + 1; i < k; ++i) x[i - 1] -= static_cast<double>(col[k - i]) * xk;
  }
  return 0;
}

struct Case {
  const char* name;
  std::vector<int> top;  // top[0] unused
  int zero_pivot;        // 0, or the column whose diagonal is zero
};

std::vector<int> tops_of(int n, int hmax, unsigned seed) {
  std::mt19937 rng(seed);
  return solvertest::random_tops(n, hmax, rng);
}

std::vector<int> diagonal_only(int n) {
  std::vector<int> top(static_cast<std::size_t>(n) + 1);
  for (int j = 1; j <= n; ++j) top[j] = j;
  return top;
}

TEST(SolveReducedDouble, SameBitsAsColumnByColumn) {
  const Case cases[] = {
      {"random heights, order not a multiple of four", tops_of(203, 40, 7), 0},
      {"full columns", tops_of(61, 1000, 8), 0},
      {"diagonal only", diagonal_only(9), 0},
      {"order below a group", tops_of(3, 2, 9), 0},
      {"zero pivot inside a group", tops_of(50, 12, 10), 23},
  };
  for (const Case& c : cases) {
    const Profile p = solvertest::profile_from_tops(c.top);
    const int n = p.n();
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    std::vector<float> a(static_cast<std::size_t>(p.stored()));
    for (float& v : a) v = u(rng);
    for (int j = 1; j <= n; ++j) a[static_cast<std::size_t>(p.mdiag[j - 1] - 1)] = 2.0f + u(rng);
    if (c.zero_pivot > 0) a[static_cast<std::size_t>(p.mdiag[c.zero_pivot - 1] - 1)] = 0.0f;
    std::vector<double> x(static_cast<std::size_t>(n));
    for (double& v : x) v = u(rng);
    std::vector<double> x_plain = x;
    std::vector<double> z(x.size(), 0.0);
    std::vector<double> z_plain = z;
    const int got = solvers::solve_reduced_double(n, a.data(), p.mdiag.data(), x.data(), z.data());
    const int want = plain_solve(n, a.data(), p.mdiag.data(), x_plain.data(), z_plain.data());
    EXPECT_EQ(got, want) << c.name;
    EXPECT_EQ(got, c.zero_pivot) << c.name;
    EXPECT_EQ(std::memcmp(x.data(), x_plain.data(), x.size() * sizeof(double)), 0) << c.name;
  }
}

}  // namespace
