#include "solvers/skyline_factor_solve.h"

#include "solvers/skyline_elimination.h"

namespace solvers {

using detail::col_diag;
using detail::col_top;

int solve_reduced_double(int n, const kv::SkyReal* a, const std::int32_t* mdiag, double* x, double* z) {
  // Forward: y_j = x_j - sum_i U(i, j) y_i / d_i, with z_i = y_i / d_i.
  for (int j = 1; j <= n; ++j) {
    const kv::SkyReal* col = a + col_diag(mdiag, j);  // col[j - i] = U(i, j)
    const double d = col[0];
    if (d == 0.0) return j;
    double s = 0.0;
    for (int i = col_top(mdiag, j); i < j; ++i) s += static_cast<double>(col[j - i]) * z[i - 1];
    x[j - 1] -= s;
    z[j - 1] = x[j - 1] / d;
  }
  // Back: x_j = (y_j - sum_k U(j, k) x_k) / d_j, column k taken once.
  for (int k = n; k >= 1; --k) {
    const kv::SkyReal* col = a + col_diag(mdiag, k);
    const double xk = x[k - 1] / static_cast<double>(col[0]);
    x[k - 1] = xk;
    for (int i = col_top(mdiag, k); i < k; ++i) x[i - 1] -= static_cast<double>(col[k - i]) * xk;
  }
  return 0;
}

}  // namespace solvers
