#include "solvers/eigen_solver.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/work_array.h"
#include "fio/fio.h"
#include "solvers/skyline_elimination.h"

namespace solvers {

namespace {

// Column-major term (i, j), 1-based.
struct Dense {
  float* p;
  int n;
  float& operator()(int i, int j) const {
    return p[static_cast<std::ptrdiff_t>(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * n];
  }
};

// True when g is lost against |v|: adding it leaves |v| unchanged.
bool negligible(float g, float v) {
  const float av = std::fabs(v);
  return (av + g) - av == 0.0f;
}

// One Jacobi plane rotation of the pair (g, h).
inline void rotate(float& g, float& h, float s, float tau) {
  const float gv = g;
  const float hv = h;
  g = gv - s * (hv + gv * tau);
  h = hv + s * (gv - hv * tau);
}

float off_diagonal_sum(int n, const Dense& a) {
  float sm = 0.0f;
  for (int p = 1; p < n; ++p)
    for (int q = p + 1; q <= n; ++q) sm += std::fabs(a(p, q));
  return sm;
}

bool all_finite(const float* v, std::ptrdiff_t count) {
  for (std::ptrdiff_t i = 0; i < count; ++i)
    if (!std::isfinite(v[i])) return false;
  return true;
}

}  // namespace

// The terms of a row are formed together, row i's x(j) for every j at once:
// each x(j) still takes its products one k after another in ascending order,
// as a single running sum, but the inner loop runs down a stored column
// (contiguous, vectorised) instead of across rows.
int cholrd(int n, float* ap, float* bp, float* d, float& piv) {
  const Dense a{ap, n};
  const Dense b{bp, n};
  std::vector<float> xs(static_cast<std::size_t>(n) + 1);
  // x(j) -= B(i, k) * M(j, k) for j = i..n, k = 1..i-1.
  const auto subtract_columns = [&](int i, const Dense& m) {
    float* __restrict x = xs.data() + i;
    const int len = n - i + 1;
    for (int k = 1; k < i; ++k) {
      const float f = b(i, k);
      const float* __restrict c = &m(i, k);
      for (int q = 0; q < len; ++q) x[q] -= f * c[q];
    }
  };
  for (int i = 1; i <= n; ++i) {
    for (int j = i; j <= n; ++j) xs[static_cast<std::size_t>(j)] = b(i, j);
    subtract_columns(i, b);
    const float x = xs[static_cast<std::size_t>(i)];
    piv = x;
    // NaN fails "x > 0" too; an infinite pivot would turn the factor into
    // zeros and NaN further on.
    if (!(x > 0.0f) || !std::isfinite(x)) return i;
    d[i - 1] = std::sqrt(x);
    for (int j = i + 1; j <= n; ++j) b(j, i) = xs[static_cast<std::size_t>(j)] / d[i - 1];
  }
  for (int i = 1; i <= n; ++i) {
    for (int j = i; j <= n; ++j) xs[static_cast<std::size_t>(j)] = a(i, j);
    subtract_columns(i, a);
    for (int j = i; j <= n; ++j) a(j, i) = xs[static_cast<std::size_t>(j)] / d[i - 1];
  }
  for (int j = 1; j <= n; ++j) {
    for (int i = j; i <= n; ++i) {
      float x = a(i, j);
      for (int k = j; k < i; ++k) x -= a(k, j) * b(i, k);
      for (int k = 1; k < j; ++k) x -= a(j, k) * b(i, k);
      a(i, j) = x / d[i - 1];
    }
  }
  return 0;
}

namespace {

// The rotations of one pivot row p, (q, s, tau) in the order they were made.
// Those parts of a rotation that no later rotation of the same row reads are
// held back and applied afterwards: each affected row j takes them in the
// order they were made, as if each had been applied when it was made, so rows
// can be shared out by blocks among threads and the columns walked in step
// (vectorised). The bits do not depend on the thread count.
struct PendingRotations {
  std::vector<int> q;
  std::vector<float> s;
  std::vector<float> tau;
};

inline void rotate_run(float* __restrict g, float* __restrict h, int len, float s, float tau) {
  for (int j = 0; j < len; ++j) {
    const float gv = g[j];
    const float hv = h[j];
    g[j] = gv - s * (hv + gv * tau);
    h[j] = hv + s * (gv - hv * tau);
  }
}

// For every pending rotation k, in order, the pairs (g[j], column q_k of m at
// row j) for 0-based rows j below rows_below(q_k) (and below rows), except the
// row skip (-1 for none). m is column-major with leading dimension ld.
template <class RowsBelow>
void apply_pending(int rows, float* g, float* m, int ld, int skip, const PendingRotations& r,
                   RowsBelow rows_below) {
  const int count = static_cast<int>(r.q.size());
  if (count == 0 || rows <= 0) return;
  constexpr int kRows = 64;
  const int blocks = (rows + kRows - 1) / kRows;
  const auto apply = [&](int blk) {
    const int lo = blk * kRows;
    const int hi = std::min(rows, lo + kRows);
    for (int k = 0; k < count; ++k) {
      const int end = std::min(hi, rows_below(r.q[k]));
      if (end <= lo) continue;
      float* col = m + static_cast<std::ptrdiff_t>(r.q[k] - 1) * ld;
      if (skip >= lo && skip < end) {
        rotate_run(g + lo, col + lo, skip - lo, r.s[k], r.tau[k]);
        rotate_run(g + skip + 1, col + skip + 1, end - skip - 1, r.s[k], r.tau[k]);
      } else {
        rotate_run(g + lo, col + lo, end - lo, r.s[k], r.tau[k]);
      }
    }
  };
  const std::int64_t work = static_cast<std::int64_t>(count) * rows;
  const int threads = work >= 100000 ? std::min(detail::solver_threads(), blocks) : 1;
  if (threads > 1) {
#pragma omp parallel for num_threads(threads) schedule(static, 1)
    for (int blk = 0; blk < blocks; ++blk) apply(blk);
  } else {
    for (int blk = 0; blk < blocks; ++blk) apply(blk);
  }
}

// The eigenvector columns: rows of X, column p against each column q.
void rotate_vectors(int n, float* xp, int p, const PendingRotations& r) {
  apply_pending(n, xp + static_cast<std::ptrdiff_t>(p - 1) * n, xp, n, -1, r,
                [n](int) { return n; });
}

// The terms of A off line p that rotation (p, q) changes and no later
// rotation of row p reads: A(j, p) with A(j, q) for j < p, and A(p, j) with
// A(j, q) for p < j < q. Line p (column p above the diagonal, row p right of
// it) is gathered into line so that both runs are contiguous.
void rotate_line(int n, float* ap, int p, const PendingRotations& r, std::vector<float>& line) {
  if (r.q.empty()) return;
  const Dense a{ap, n};
  line.resize(static_cast<std::size_t>(n));
  for (int j = 1; j < p; ++j) line[static_cast<std::size_t>(j - 1)] = a(j, p);
  for (int j = p + 1; j <= n; ++j) line[static_cast<std::size_t>(j - 1)] = a(p, j);
  line[static_cast<std::size_t>(p - 1)] = a(p, p);
  // Rows j < q of column q: 0-based, below q - 1.
  apply_pending(n, line.data(), ap, n, p - 1, r, [](int q) { return q - 1; });
  for (int j = 1; j < p; ++j) a(j, p) = line[static_cast<std::size_t>(j - 1)];
  for (int j = p + 1; j <= n; ++j) a(p, j) = line[static_cast<std::size_t>(j - 1)];
}

}  // namespace

bool jacrot(int n, float* ap, float* eig, float* xp, float* w1, float* w2) {
  const Dense a{ap, n};
  const Dense x{xp, n};
  PendingRotations pending;
  std::vector<float> line;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) x(i, j) = i == j ? 1.0f : 0.0f;
    eig[i - 1] = a(i, i);
    w1[i - 1] = eig[i - 1];
    w2[i - 1] = 0.0f;
  }
  const float nn = static_cast<float>(n) * static_cast<float>(n);
  for (int sweep = 1; sweep <= kJacobiSweeps; ++sweep) {
    const float sm = off_diagonal_sum(n, a);
    if (sm == 0.0f) return true;
    const float threshold = sweep < 4 ? 0.2f * sm / nn : 0.0f;
    for (int p = 1; p < n; ++p) {
      pending.q.clear();
      pending.s.clear();
      pending.tau.clear();
      for (int q = p + 1; q <= n; ++q) {
        float g = 100.0f * std::fabs(a(p, q));
        if (g <= 1.0e-20f) g = 0.0f;
        if (sweep > 4 && negligible(g, eig[p - 1]) && negligible(g, eig[q - 1])) {
          a(p, q) = 0.0f;
          continue;
        }
        if (!(std::fabs(a(p, q)) > threshold)) continue;
        const float h = eig[q - 1] - eig[p - 1];
        float t;
        // Equal diagonal terms with a coupling too small to count (g taken as
        // 0.0) would divide by h = 0.0 and fill the results with NaN; they take
        // the 45-degree rotation that theta = 0 gives.
        if (h != 0.0f && negligible(g, h)) {
          t = a(p, q) / h;
        } else {
          const float theta = 0.5f * h / a(p, q);
          t = 1.0f / (std::fabs(theta) + std::sqrt(theta * theta + 1.0f));
          if (theta < 0.0f) t = -t;
        }
        const float c = 1.0f / std::sqrt(t * t + 1.0f);
        const float s = t * c;
        const float tau = s / (1.0f + c);
        const float hh = t * a(p, q);
        w2[p - 1] -= hh;
        w2[q - 1] += hh;
        eig[p - 1] -= hh;
        eig[q - 1] += hh;
        a(p, q) = 0.0f;
        // Row p right of q is read by the next rotations: it turns now. The
        // rest of lines p and q waits for rotate_line.
        for (int j = q + 1; j <= n; ++j) rotate(a(p, j), a(q, j), s, tau);
        pending.q.push_back(q);
        pending.s.push_back(s);
        pending.tau.push_back(tau);
      }
      rotate_line(n, ap, p, pending, line);
      rotate_vectors(n, xp, p, pending);
    }
    for (int i = 0; i < n; ++i) {
      w1[i] += w2[i];
      eig[i] = w1[i];
      w2[i] = 0.0f;
    }
  }
  if (off_diagonal_sum(n, a) == 0.0f) return true;
  fio::write(6, "(/,' *** WARNING: JACOBI EIGEN-SOLUTION NOT CONVERGED AFTER',I5,' SWEEPS',"
                "' - EIGENVALUES MAY BE INACCURATE')", kJacobiSweeps);
  return false;
}

void eigbak(int n, const float* bp, const float* d, float* xp) {
  const Dense b{const_cast<float*>(bp), n};
  const Dense x{xp, n};
  for (int j = 1; j <= n; ++j) {
    float m = 1.0e-15f;
    for (int i = n; i >= 1; --i) {
      float v = x(i, j);
      for (int k = i + 1; k <= n; ++k) v -= b(k, i) * x(k, j);
      v /= d[i - 1];
      x(i, j) = v;
      if (std::fabs(v) > m) m = std::fabs(v);
    }
    for (int i = 1; i <= n; ++i) x(i, j) = x(i, j) / m;
  }
}

EigenResult eiggen(int n, float* ap, float* bp, float* eig, float* xp, float* d, float* w1,
                   float* w2) {
  EigenResult result;
  const std::ptrdiff_t square = static_cast<std::ptrdiff_t>(n) * n;
  // Infinity or NaN in A would come out of the rotations as NaN results
  // (or as a sweep limit that is no failure to converge at all).
  if (!all_finite(ap, square)) {
    result.status = EigenStatus::not_finite;
    return result;
  }
  if (const int row = cholrd(n, ap, bp, d, result.piv)) {
    result.status = std::isfinite(result.piv) ? EigenStatus::not_positive_definite : EigenStatus::not_finite;
    result.row = row;
    return result;
  }
  const Dense a{ap, n};
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j < i; ++j) a(j, i) = a(i, j);
  // A pivot near the bottom of the float range passes and overflows the
  // reduced matrix.
  if (!all_finite(ap, square)) {
    result.status = EigenStatus::not_finite;
    return result;
  }
  if (!jacrot(n, ap, eig, xp, w1, w2)) result.status = EigenStatus::not_converged;
  eigbak(n, bp, d, xp);
  if (!all_finite(eig, n) || !all_finite(xp, square)) {
    result.status = EigenStatus::not_finite;
    return result;
  }

  const Dense x{xp, n};
  for (int i = 1; i <= n; ++i) {
    int k = i;
    for (int m = i + 1; m <= n; ++m)
      if (eig[m - 1] < eig[k - 1]) k = m;
    if (k != i) {
      std::swap(eig[i - 1], eig[k - 1]);
      for (int r = 1; r <= n; ++r) std::swap(x(r, i), x(r, k));
    }
  }
  return result;
}

EigenResult eiggen(int n, std::int64_t a, std::int64_t b, std::int64_t eig, std::int64_t x,
                   std::int64_t d, std::int64_t w1, std::int64_t w2) {
  return eiggen(n, kv::rptr(a), kv::rptr(b), kv::rptr(eig), kv::rptr(x), kv::rptr(d),
                kv::rptr(w1), kv::rptr(w2));
}

}  // namespace solvers
