#include "solvers/skyline_factor_solve.h"

#include <algorithm>

#include "solvers/skyline_elimination.h"
#include "solvers/vector_clones.h"

namespace solvers {

using detail::col_diag;
using detail::col_top;

namespace {

// Columns whose forward sums run together: each is still a single running sum
// taken in ascending row order, but the sums of neighbouring columns do not
// wait on one another, so the processor overlaps them.
constexpr int kGroup = 4;

}  // namespace

KV_VECTOR_CLONES
int solve_reduced_double(int n, const kv::SkyReal* a, const std::int32_t* mdiag, double* x, double* z) {
  // Forward: y_j = x_j - sum_i U(i, j) y_i / d_i, with z_i = y_i / d_i.
  for (int j0 = 1; j0 <= n; j0 += kGroup) {
    const int count = std::min(kGroup, n - j0 + 1);
    const kv::SkyReal* col[kGroup];
    int top[kGroup];
    double s[kGroup];
    int shared = 1;  // rows shared by every column of the group: shared..j0-1
    for (int c = 0; c < count; ++c) {
      col[c] = a + col_diag(mdiag, j0 + c);  // col[c][j - i] = U(i, j)
      top[c] = col_top(mdiag, j0 + c);
      s[c] = 0.0;
      shared = std::max(shared, top[c]);
    }
    shared = std::min(shared, j0);
    // Rows above the shared ones, column by column; then the shared rows
    // for all columns together; then the rows within the group.
    for (int c = 0; c < count; ++c) {
      const int j = j0 + c;
      for (int i = top[c]; i < shared; ++i) s[c] += static_cast<double>(col[c][j - i]) * z[i - 1];
    }
    if (count == kGroup) {
      for (int i = shared; i < j0; ++i) {
        const double zi = z[i - 1];
        s[0] += static_cast<double>(col[0][j0 - i]) * zi;
        s[1] += static_cast<double>(col[1][j0 + 1 - i]) * zi;
        s[2] += static_cast<double>(col[2][j0 + 2 - i]) * zi;
        s[3] += static_cast<double>(col[3][j0 + 3 - i]) * zi;
      }
    } else {
      for (int c = 0; c < count; ++c)
        for (int i = shared; i < j0; ++i) s[c] += static_cast<double>(col[c][j0 + c - i]) * z[i - 1];
    }
    for (int c = 0; c < count; ++c) {
      const int j = j0 + c;
      const double d = col[c][0];
      if (d == 0.0) return j;
      for (int i = std::max(top[c], j0); i < j; ++i) s[c] += static_cast<double>(col[c][j - i]) * z[i - 1];
      x[j - 1] -= s[c];
      z[j - 1] = x[j - 1] / d;
    }
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
