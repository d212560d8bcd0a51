#include "solvers/eigen_solver.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "base/work_array.h"
#include "fio/fio.h"
#include "solvers/skyline_elimination.h"
#include "solvers/vector_clones.h"

#ifdef _OPENMP
#include <omp.h>
#endif

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

float off_diagonal_sum(int n, const Dense& a) {
  float sm = 0.0f;
  for (int p = 1; p < n; ++p)
    for (int q = p + 1; q <= n; ++q) sm += std::fabs(a(p, q));
  return sm;
}

// Below this order the dense work is too little to share among threads.
constexpr int kParallelOrder = 200;

bool all_finite(const float* v, std::ptrdiff_t count) {
  for (std::ptrdiff_t i = 0; i < count; ++i)
    if (!std::isfinite(v[i])) return false;
  return true;
}

using detail::wait_for;

// The last step of CHOLRD, column j of C from the top down:
//   C(i, j) = (A(i, j) - sum over k = j..i-1 of C(k, j) L(i, k)
//                      - sum over k = 1..j-1 of C(j, k) L(i, k)) / d(i).
// Each C(i, j) is a single running sum in that order. The first sum is
// carried for every row below at once, as each C(k, j) is formed (down a
// stored column of L, vectorised); the second is then a row of L against row
// j of C, taken from lt, which holds L by rows (lt[(i - 1) * n + k - 1] =
// L(i, k)). x and cj are scratch of n + 1 terms.
KV_VECTOR_CLONES
void finish_column(const Dense& a, const Dense& b, const float* lt, const float* d, int j, float* x,
                   float* cj, std::atomic<int>* rows_done) {
  const int n = a.n;
  for (int i = j; i <= n; ++i) x[i] = a(i, j);
  for (int k = 1; k < j; ++k) cj[k] = a(j, k);
  for (int i = j; i <= n; ++i) {
    float v = x[i];
    const float* l = lt + static_cast<std::ptrdiff_t>(i - 1) * n - 1;  // l[k] = L(i, k)
    for (int k = 1; k < j; ++k) v -= cj[k] * l[k];
    v /= d[i - 1];
    a(i, j) = v;
    if (rows_done != nullptr) rows_done->store(i, std::memory_order_release);
    float* __restrict below = x + i + 1;
    const float* __restrict li = &b(i + 1, i);
    const int len = n - i;
    for (int m = 0; m < len; ++m) below[m] -= v * li[m];
  }
}

// Column j reads row j of the columns left of it, so on several threads each
// takes a column and first waits until every column left of it has passed
// row j; each term is formed as on one thread.
void finish_columns(int n, float* ap, float* bp, const float* d) {
  const Dense a{ap, n};
  const Dense b{bp, n};
  std::vector<float> lt(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  for (int k = 1; k <= n; ++k)
    for (int i = k + 1; i <= n; ++i) lt[static_cast<std::size_t>(i - 1) * n + (k - 1)] = b(i, k);
  const int threads = n >= kParallelOrder ? detail::solver_threads() : 1;
  if (threads <= 1) {
    std::vector<float> x(static_cast<std::size_t>(n) + 1);
    std::vector<float> cj(x.size());
    for (int j = 1; j <= n; ++j) finish_column(a, b, lt.data(), d, j, x.data(), cj.data(), nullptr);
    return;
  }
  struct alignas(64) Progress {
    std::atomic<int> row{0};
  };
  std::vector<Progress> done(static_cast<std::size_t>(n) + 1);
  std::atomic<int> next{1};
#pragma omp parallel num_threads(threads)
  {
    std::vector<float> x(static_cast<std::size_t>(n) + 1);
    std::vector<float> cj(x.size());
    for (;;) {
      const int j = next.fetch_add(1, std::memory_order_relaxed);
      if (j > n) break;
      for (int k = j - 1; k >= 1; --k) {
        const std::atomic<int>& row = done[static_cast<std::size_t>(k)].row;
        wait_for([&] { return row.load(std::memory_order_acquire) >= j; });
      }
      finish_column(a, b, lt.data(), d, j, x.data(), cj.data(), &done[static_cast<std::size_t>(j)].row);
    }
  }
}

// x(j) -= B(i, k) * M(j, k) for j = i + from .. i + to - 1, k = 1..i-1.
KV_VECTOR_CLONES
void subtract_columns(const Dense& b, const Dense& m, int i, float* xs, int from, int to) {
  float* __restrict x = xs + i + from;
  const int len = to - from;
  for (int k = 1; k < i; ++k) {
    const float f = b(i, k);
    const float* __restrict c = &m(i + from, k);
    for (int q = 0; q < len; ++q) x[q] -= f * c[q];
  }
}

// The part [from, to) of len terms that thread t of count forms: runs of 16.
std::pair<int, int> part_of(int len, int t, int count) {
  const int chunk = ((len + count - 1) / count + 15) / 16 * 16;
  const int from = std::min(len, t * chunk);
  return {from, std::min(len, from + chunk)};
}

}  // namespace

// The terms of a row are formed together, row i's x(j) for every j at once:
// each x(j) still takes its products one k after another in ascending order,
// as a single running sum, but the inner loop runs down a stored column
// (contiguous, vectorised) instead of across rows. On several threads each
// forms a part of the row, and all wait for the row before the next.
int cholrd(int n, float* ap, float* bp, float* d, float& piv) {
  const Dense a{ap, n};
  const Dense b{bp, n};
  std::vector<float> xs(static_cast<std::size_t>(n) + 1);
  const int threads = n >= kParallelOrder ? detail::solver_threads() : 1;
  int failed = 0;
#pragma omp parallel num_threads(threads) if (threads > 1)
  {
#ifdef _OPENMP
    const int t = omp_get_thread_num();
    const int count = omp_get_num_threads();
#else
    const int t = 0;
    const int count = 1;
#endif
    for (int i = 1; i <= n; ++i) {
      const auto [from, to] = part_of(n - i + 1, t, count);
      for (int j = i + from; j < i + to; ++j) xs[static_cast<std::size_t>(j)] = b(i, j);
      subtract_columns(b, b, i, xs.data(), from, to);
#pragma omp barrier
#pragma omp single
      {
        const float x = xs[static_cast<std::size_t>(i)];
        piv = x;
        // NaN fails "x > 0" too; an infinite pivot would turn the factor into
        // zeros and NaN further on.
        if (!(x > 0.0f) || !std::isfinite(x)) {
          failed = i;
        } else {
          d[i - 1] = std::sqrt(x);
          for (int j = i + 1; j <= n; ++j) b(j, i) = xs[static_cast<std::size_t>(j)] / d[i - 1];
        }
      }
      if (failed != 0) break;
    }
    if (failed == 0) {
      for (int i = 1; i <= n; ++i) {
        const auto [from, to] = part_of(n - i + 1, t, count);
        for (int j = i + from; j < i + to; ++j) xs[static_cast<std::size_t>(j)] = a(i, j);
        subtract_columns(b, a, i, xs.data(), from, to);
        for (int j = i + from; j < i + to; ++j) a(j, i) = xs[static_cast<std::size_t>(j)] / d[i - 1];
#pragma omp barrier
      }
    }
  }
  if (failed != 0) return failed;
  finish_columns(n, ap, bp, d);
  return 0;
}

namespace {

// The rotations of one pivot row p, (q, s, tau) in the order they were made.
// Those parts of a rotation that no later rotation of the same row reads are
// held back and applied afterwards: each affected row j takes them in the
// order they were made, as if each had been applied when it was made, so the
// columns can be walked in step (vectorised) and the rows of the eigenvectors
// shared out among threads. The bits do not depend on the thread count.
struct PendingRotations {
  explicit PendingRotations(int n)
      : q(static_cast<std::size_t>(n)), s(q.size()), tau(q.size()) {}
  std::vector<int> q;  // a slot for each column: a row makes at most n - 1
  std::vector<float> s;
  std::vector<float> tau;
  int count = 0;
};

// A run of rotations, as held back or as logged for the eigenvector threads.
struct Rotations {
  const int* q;
  const float* s;
  const float* tau;
  int count;
};

Rotations view(const PendingRotations& r) { return {r.q.data(), r.s.data(), r.tau.data(), r.count}; }

// One Jacobi plane rotation of the pair (g, h), on single terms or on lanes
// of terms: every term is formed with these operations in this order.
template <class V>
[[gnu::always_inline]] inline void turn(V& g, V& h, float s, float tau) {
  const V gv = g;
  const V hv = h;
  g = gv - s * (hv + gv * tau);
  h = hv + s * (gv - hv * tau);
}

inline void rotate_run(float* __restrict g, float* __restrict h, int len, float s, float tau) {
  for (int j = 0; j < len; ++j) turn(g[j], h[j], s, tau);
}

// The columns of a block of row p taken by one rotation: g[j] (row p, held
// contiguous) with h[j * ld] (row q of the column-major matrix).
constexpr int kRowBlock = 32;
constexpr int kLineFloats = 16;  // floats in a cache line

inline void rotate_across(float* __restrict g, float* __restrict h, int ld, int len, float s,
                          float tau) {
  for (int j = 0; j < len; ++j) turn(g[j], h[static_cast<std::ptrdiff_t>(j) * ld], s, tau);
}

// Eight rows by eight columns: tile[c * ld + i] is row i of column c. The
// eight rotations turn g[c] (row p) with row i, in order, for every column;
// the rows are read and written down the columns and turned across them in
// registers, each term with the operations of turn.
constexpr int kTile = 8;
#if defined(__GNUC__) && !defined(__clang__)
constexpr bool kTiles = true;
typedef float Lanes8 __attribute__((vector_size(32)));

[[gnu::always_inline]] inline void load8(Lanes8& v, const float* p) { __builtin_memcpy(&v, p, sizeof v); }

[[gnu::always_inline]] inline void store8(float* p, const Lanes8& v) { __builtin_memcpy(p, &v, sizeof v); }

// m[c][i] becomes m[i][c].
[[gnu::always_inline]] inline void transpose8(Lanes8 (&m)[8]) {
  typedef int Index8 __attribute__((vector_size(32)));
  const Index8 lo32 = {0, 8, 1, 9, 4, 12, 5, 13};
  const Index8 hi32 = {2, 10, 3, 11, 6, 14, 7, 15};
  const Index8 lo64 = {0, 1, 8, 9, 4, 5, 12, 13};
  const Index8 hi64 = {2, 3, 10, 11, 6, 7, 14, 15};
  const Index8 lo128 = {0, 1, 2, 3, 8, 9, 10, 11};
  const Index8 hi128 = {4, 5, 6, 7, 12, 13, 14, 15};
  Lanes8 t[8];
  for (int i = 0; i < 8; i += 2) {
    t[i] = __builtin_shuffle(m[i], m[i + 1], lo32);
    t[i + 1] = __builtin_shuffle(m[i], m[i + 1], hi32);
  }
  Lanes8 u[8];
  for (int h = 0; h < 8; h += 4) {
    u[h] = __builtin_shuffle(t[h], t[h + 2], lo64);
    u[h + 1] = __builtin_shuffle(t[h], t[h + 2], hi64);
    u[h + 2] = __builtin_shuffle(t[h + 1], t[h + 3], lo64);
    u[h + 3] = __builtin_shuffle(t[h + 1], t[h + 3], hi64);
  }
  for (int i = 0; i < 4; ++i) {
    m[i] = __builtin_shuffle(u[i], u[i + 4], lo128);
    m[i + 4] = __builtin_shuffle(u[i], u[i + 4], hi128);
  }
}

// T tiles side by side (8 * T columns): their rows of g turn as T independent
// chains, so that one tile's rotations wait less on the one before.
template <int T>
[[gnu::always_inline]] inline void rotate_tiles(float* __restrict g, float* __restrict tile, int ld,
                                                const float* s, const float* tau) {
  Lanes8 m[T][8];
  Lanes8 gv[T];
  for (int t = 0; t < T; ++t) {
    for (int c = 0; c < 8; ++c) load8(m[t][c], tile + static_cast<std::ptrdiff_t>(8 * t + c) * ld);
    transpose8(m[t]);
    load8(gv[t], g + 8 * t);
  }
  for (int i = 0; i < 8; ++i) {
    const float si = s[i];
    const float ti = tau[i];
    for (int t = 0; t < T; ++t) turn(gv[t], m[t][i], si, ti);
  }
  for (int t = 0; t < T; ++t) {
    store8(g + 8 * t, gv[t]);
    transpose8(m[t]);
    for (int c = 0; c < 8; ++c) store8(tile + static_cast<std::ptrdiff_t>(8 * t + c) * ld, m[t][c]);
  }
}
#else
// Other compilers take the rotations one at a time (rotate_across).
constexpr bool kTiles = false;
template <int T>
void rotate_tiles(float*, float*, int, const float*, const float*) {}
#endif

#if defined(__GNUC__) && !defined(__clang__)
constexpr bool kPieces = true;
typedef float Lanes16 __attribute__((vector_size(64)));
constexpr int kAhead = 4;  // rotations

// Rotations k0..k1-1 on 16 * V rows: g stays in registers while each
// rotation's column of m passes through them.
template <int V>
[[gnu::always_inline]] inline void rotate_in_registers(float* __restrict g, float* __restrict m, int ld,
                                                       Rotations r, int k0, int k1) {
  Lanes16 gv[V];
  for (int v = 0; v < V; ++v) __builtin_memcpy(&gv[v], g + 16 * v, sizeof gv[v]);
  for (int k = k0; k < k1; ++k) {
    float* h = m + static_cast<std::ptrdiff_t>(r.q[k] - 1) * ld;
    // The columns of the next rotations are called in from memory ahead:
    // they are far apart, and no hardware prefetcher foresees them.
    if (k + kAhead < k1) {
      const float* next = m + static_cast<std::ptrdiff_t>(r.q[k + kAhead] - 1) * ld;
      for (int v = 0; v < V; ++v) __builtin_prefetch(next + 16 * v, 1, 3);
    }
    const float s = r.s[k];
    const float tau = r.tau[k];
    for (int v = 0; v < V; ++v) {
      Lanes16 hv;
      __builtin_memcpy(&hv, h + 16 * v, sizeof hv);
      turn(gv[v], hv, s, tau);
      __builtin_memcpy(h + 16 * v, &hv, sizeof hv);
    }
  }
  for (int v = 0; v < V; ++v) __builtin_memcpy(g + 16 * v, &gv[v], sizeof gv[v]);
}
#else
// Other compilers take each rotation down the rows (rotate_run).
constexpr bool kPieces = false;
template <int V>
void rotate_in_registers(float*, float*, int, Rotations, int, int) {}
#endif

// apply_rows on the 16 * V rows from j: the runs of rotations that take every
// row in registers, the others (in line mode, those that stop inside the
// piece) down the rows.
template <int V>
[[gnu::always_inline]] inline void apply_piece(int j, float* g, float* m, int ld, Rotations r, bool line) {
  constexpr int kRows = 16 * V;
  int k = 0;
  while (k < r.count) {
    int e = k;
    while (e < r.count && (!line || r.q[e] - 1 >= j + kRows)) ++e;
    if (e > k) {
      rotate_in_registers<V>(g + j, m + j, ld, r, k, e);
      k = e;
      continue;
    }
    const int end = std::min(j + kRows, r.q[k] - 1);
    if (end > j)
      rotate_run(g + j, m + static_cast<std::ptrdiff_t>(r.q[k] - 1) * ld + j, end - j, r.s[k], r.tau[k]);
    ++k;
  }
}

// For every rotation k, in order, the pairs (g[j], column q_k of m at row j)
// for 0-based rows lo <= j < hi, and in line mode only below row q_k - 1. m
// is column-major with leading dimension ld.
KV_VECTOR_CLONES
void apply_rows(int lo, int hi, float* g, float* m, int ld, Rotations r, bool line) {
  if (kPieces) {
    // Rotation after rotation, each piece waits on the last for its rows of
    // g: up to four vectors keep the units busy.
    for (; lo + 64 <= hi; lo += 64) apply_piece<4>(lo, g, m, ld, r, line);
    if (lo + 48 <= hi) {
      apply_piece<3>(lo, g, m, ld, r, line);
      lo += 48;
    } else if (lo + 32 <= hi) {
      apply_piece<2>(lo, g, m, ld, r, line);
      lo += 32;
    } else if (lo + 16 <= hi) {
      apply_piece<1>(lo, g, m, ld, r, line);
      lo += 16;
    }
  }
  for (int k = 0; k < r.count; ++k) {
    const int end = line ? std::min(hi, r.q[k] - 1) : hi;
    if (end > lo)
      rotate_run(g + lo, m + static_cast<std::ptrdiff_t>(r.q[k] - 1) * ld + lo, end - lo, r.s[k],
                 r.tau[k]);
  }
}

// apply_rows on rows lo <= j < hi by blocks of rows that stay in cache while
// every rotation passes over them.
void apply_blocks(int lo, int hi, float* g, float* m, int ld, Rotations r, bool line) {
  constexpr int kRows = 64;
  for (int b = lo; b < hi; b += kRows) apply_rows(b, std::min(hi, b + kRows), g, m, ld, r, line);
}

// The eigenvector rows lo <= j < hi: column p of X against each column q.
void rotate_vectors(int n, float* xp, int p, Rotations r, int lo, int hi) {
  if (r.count == 0) return;
  apply_blocks(lo, hi, xp + static_cast<std::ptrdiff_t>(p - 1) * n, xp, n, r, false);
}

// The terms of A off line p that rotation (p, q) changes and no later
// rotation of row p reads: A(p, j) with A(j, q) for p < j < q (row p held in
// r, r[j - 1] = A(p, j)), and A(j, p) with A(j, q) for j < p. Nothing reads
// the rows above p again before the next sweep but the rotations of later
// pivot rows, so that part may follow later, a row at a time in pivot order.
void rotate_line_right(int n, float* ap, int p, Rotations r, float* row) {
  if (r.count > 0) apply_blocks(p, n, row, ap, n, r, true);
}

void rotate_line_above(int n, float* ap, int p, Rotations r, int lo, int hi) {
  hi = std::min(hi, p - 1);
  if (r.count > 0 && lo < hi)
    apply_blocks(lo, hi, ap + static_cast<std::ptrdiff_t>(p - 1) * n, ap, n, r, false);
}

// The pivot row in hand: A, row p right of the diagonal in r (r[j - 1] =
// A(p, j)), the sweep's threshold and the diagonal sums.
struct PivotRow {
  int n;
  float* ap;
  int p;
  int sweep;
  float threshold;
  float* r;
  float* eig;
  float* w2;
};

// Rotation (p, q), made when A(p, q) (in r) is over the threshold: its s and
// tau, the diagonal sums and A(p, q) set to 0. False when no rotation is due.
inline bool make_rotation(const PivotRow& row, int q, float& s, float& tau) {
  const int p = row.p;
  float* r = row.r;
  float* eig = row.eig;
  const float apq = r[q - 1];
  float g = 100.0f * std::fabs(apq);
  if (g <= 1.0e-20f) g = 0.0f;
  if (row.sweep > 4 && negligible(g, eig[p - 1]) && negligible(g, eig[q - 1])) {
    r[q - 1] = 0.0f;
    return false;
  }
  if (!(std::fabs(apq) > row.threshold)) return false;
  const float h = eig[q - 1] - eig[p - 1];
  float t;
  // Equal diagonal terms with a coupling too small to count (g taken as 0.0)
  // would divide by h = 0.0 and fill the results with NaN; they take the
  // 45-degree rotation that theta = 0 gives.
  if (h != 0.0f && negligible(g, h)) {
    t = apq / h;
  } else {
    const float theta = 0.5f * h / apq;
    t = 1.0f / (std::fabs(theta) + std::sqrt(theta * theta + 1.0f));
    if (theta < 0.0f) t = -t;
  }
  const float c = 1.0f / std::sqrt(t * t + 1.0f);
  s = t * c;
  tau = s / (1.0f + c);
  const float hh = t * apq;
  row.w2[p - 1] -= hh;
  row.w2[q - 1] += hh;
  eig[p - 1] -= hh;
  eig[q - 1] += hh;
  r[q - 1] = 0.0f;
  return true;
}

// Row p of A on columns j0..j1 into the contiguous copy.
void copy_row_part(const PivotRow& row, int j0, int j1) {
  const Dense a{row.ap, row.n};
  for (int j = j0; j <= j1; ++j) row.r[j - 1] = a(row.p, j);
}

// Row p right of the diagonal is read by every rotation of the row: it is
// turned in a contiguous copy, a block of kRowBlock columns at a time.
// Rotation (p, q) turns A(p, j) with A(q, j) for j > q; a block first takes
// the rotations made left of it (take_made), then makes its own (make_block).
// Each term still sees the rotations in the order they were made. The rest of
// lines p and q waits for rotate_line_right and rotate_line_above.
KV_VECTOR_CLONES
void take_made(const PivotRow& row, int j0, int j1, Rotations made) {
  const int n = row.n;
  const int width = j1 - j0 + 1;
  const int tiled = width / kTile * kTile;  // columns taken by 8 x 8 tiles
  float* r = row.r + (j0 - 1);
  float* first = row.ap + static_cast<std::ptrdiff_t>(j0 - 1) * n - 1;  // column j0, row 0
  int k = 0;
  while (k < made.count) {
    // Eight rotations of eight consecutive rows turn a tile of eight rows by
    // eight columns: read down the columns, turned in registers.
    if (kTiles && tiled > 0 && k + kTile <= made.count && made.q[k + kTile - 1] == made.q[k] + kTile - 1) {
      float* rows = first + made.q[k];
      int c = 0;
      for (; c + 4 * kTile <= tiled; c += 4 * kTile)
        rotate_tiles<4>(r + c, rows + static_cast<std::ptrdiff_t>(c) * n, n, made.s + k, made.tau + k);
      for (; c < tiled; c += kTile)
        rotate_tiles<1>(r + c, rows + static_cast<std::ptrdiff_t>(c) * n, n, made.s + k, made.tau + k);
      if (tiled < width)
        for (int i = 0; i < kTile; ++i)
          rotate_across(r + tiled, first + static_cast<std::ptrdiff_t>(tiled) * n + made.q[k + i], n,
                        width - tiled, made.s[k + i], made.tau[k + i]);
      k += kTile;
    } else {
      rotate_across(r, first + made.q[k], n, width, made.s[k], made.tau[k]);
      ++k;
    }
  }
}

// The rotations of columns j0..j1, from slot count of made on; returns the
// new count.
KV_VECTOR_CLONES
int make_block(const PivotRow& row, int j0, int j1, PendingRotations& made, int count) {
  for (int q = j0; q <= j1; ++q) {
    float s;
    float tau;
    if (!make_rotation(row, q, s, tau)) continue;
    if (q < j1)
      rotate_across(row.r + q, row.ap + (q - 1) + static_cast<std::ptrdiff_t>(q) * row.n, row.n,
                    j1 - q, s, tau);
    const auto k = static_cast<std::size_t>(count);
    made.q[k] = q;
    made.s[k] = s;
    made.tau[k] = tau;
    ++count;
  }
  return count;
}

// The rotations of pivot row p, made on one thread; row p is left in r.
void turn_row(const PivotRow& row, PendingRotations& made) {
  made.count = 0;
  for (int j0 = row.p + 1; j0 <= row.n; j0 += kRowBlock) {
    const int j1 = std::min(row.n, j0 + kRowBlock - 1);
    take_made(row, j0, j1, view(made));
    made.count = make_block(row, j0, j1, made, made.count);
  }
}


// The rotations of a sweep, pivot row by pivot row, for the threads that apply
// them to the eigenvectors and to A above the pivot row: the rotations of
// pivot row p are q[start[p - 1] .. start[p] - 1]. Nothing else reads X
// during the sweeps, nor the rows of A above the pivot row, so each thread
// takes the rows it owns through the logged pivot rows in order, behind the
// thread that makes the rotations; before the log is written again (and A is
// read whole), every thread has finished it.
struct SweepLog {
  std::vector<int> q;
  std::vector<float> s;
  std::vector<float> tau;
  std::vector<std::int64_t> start;
  std::atomic<std::int64_t> published{0};  // rows logged over all sweeps
  std::atomic<bool> finished{false};

  // The rotations of pivot row p, logged as row g of all sweeps.
  void append(std::int64_t g, int p, Rotations r) {
    if (p == 1) start[0] = 0;
    const std::int64_t at = start[static_cast<std::size_t>(p - 1)];
    std::copy_n(r.q, r.count, q.begin() + at);
    std::copy_n(r.s, r.count, s.begin() + at);
    std::copy_n(r.tau, r.count, tau.begin() + at);
    start[static_cast<std::size_t>(p)] = at + r.count;
    published.store(g, std::memory_order_release);
  }
};

// A block of kRowBlock columns of the row being made, as the followers see
// it: state is g * 4 + one of the states below, for row g; taken counts the
// row's rotations the block has taken, -1 while its part of row p is not yet
// copied out of A. Whoever holds the block (busy or claimed) owns taken and
// the block's columns of row p and of A.
struct alignas(64) AheadBlock {
  static constexpr int kIdle = 0;
  static constexpr int kBusy = 1;
  static constexpr int kClaimed = 2;  // by the maker, for good
  std::atomic<std::int64_t> state{0};
  int taken = -1;
};

// The thread that turns line p right of the pivot (rotate_line_right) one
// pivot row behind the thread that makes the rotations, which then needs only
// the columns it is about to turn finished. Rows are numbered over all
// sweeps, g = 1, 2, ...; a point of the work is the key g * (n + 1) + c: in
// row g, every column up to c done. The two rows in hand alternate between two
// buffers.
struct RightHand {
  explicit RightHand(int n_)
      : n(n_), lists{PendingRotations(n_), PendingRotations(n_)},
        rows{std::vector<float>(static_cast<std::size_t>(n_) + kLineFloats),
             std::vector<float>(static_cast<std::size_t>(n_) + kLineFloats)},
        turned(key(0, n_)) {}
  std::int64_t key(std::int64_t g, int c) const { return g * (n + 1) + c; }
  int pivot(std::int64_t g) const { return static_cast<int>((g - 1) % (n - 1)) + 1; }
  // Row p of buffer b, r[j - 1] = A(p, j); it starts a cache line, so that
  // blocks of whole lines of it never share one.
  float* row(int b) {
    constexpr std::uintptr_t kLine = kLineFloats * sizeof(float);
    auto at = reinterpret_cast<std::uintptr_t>(rows[b].data());
    at = (at + kLine - 1) / kLine * kLine;
    return reinterpret_cast<float*>(at);
  }
  // The blocks of pivot row p are aligned on columns: block i ends at column
  // (p / kRowBlock + i + 1) * kRowBlock, the first starts at p + 1.
  static int block_first(int p, int i) { return std::max(p + 1, (p / kRowBlock + i) * kRowBlock + 1); }
  int block_last(int p, int i) const { return std::min(n, (p / kRowBlock + i + 1) * kRowBlock); }
  int blocks_of(int p) const { return (n - 1) / kRowBlock - p / kRowBlock + 1; }
  // The block of column j of pivot row p.
  static int block_of(int p, int j) { return (j - 1) / kRowBlock - p / kRowBlock; }

  int n;
  PendingRotations lists[2];
  std::vector<float> rows[2];
  // The blocks of the row being made, which the followers may turn ahead
  // of the maker (take_ahead).
  std::vector<AheadBlock> blocks = std::vector<AheadBlock>(static_cast<std::size_t>(n / kRowBlock + 1));
  alignas(64) std::atomic<std::int64_t> open{0};  // the row whose blocks are open, 0 none
  // What the maker writes and what the hand writes sit in cache lines of
  // their own: each polls the other's.
  alignas(64) std::atomic<int> count[2] = {0, 0};  // rotations made in the row of each buffer
  std::atomic<std::int64_t> made{0};               // where the maker is
  alignas(64) std::atomic<std::int64_t> turned;    // where this thread is
  alignas(64) std::atomic<bool> stop{false};
};

// Rotations the hand takes between two reports of where it is.
constexpr int kHandRotations = 8;

// The maker's part of row g with a right hand: block by block, once the hand
// has finished line p - 1 on the block's columns.
void make_row_ahead(RightHand& hand, std::int64_t g, const PivotRow& row) {
  const int b = static_cast<int>(g & 1);
  PendingRotations& made = hand.lists[b];
  // The hand has begun row g - 1, so it is done with this buffer's last row.
  wait_for([&] { return hand.turned.load(std::memory_order_acquire) >= hand.key(g - 1, 0); });
  hand.count[b].store(0, std::memory_order_relaxed);
  const int blocks = hand.blocks_of(row.p);
  for (int i = 0; i < blocks; ++i) {
    AheadBlock& block = hand.blocks[static_cast<std::size_t>(i)];
    block.taken = -1;
    block.state.store(g * 4 + AheadBlock::kIdle, std::memory_order_relaxed);
  }
  hand.made.store(hand.key(g, row.p), std::memory_order_release);
  hand.open.store(g, std::memory_order_release);
  int count = 0;
  for (int i = 0; i < blocks; ++i) {
    const int j0 = RightHand::block_first(row.p, i);
    const int j1 = hand.block_last(row.p, i);
    wait_for([&] { return hand.turned.load(std::memory_order_acquire) >= hand.key(g - 1, j1); });
    AheadBlock& block = hand.blocks[static_cast<std::size_t>(i)];
    wait_for([&] {
      std::int64_t idle = g * 4 + AheadBlock::kIdle;
      return block.state.compare_exchange_weak(idle, g * 4 + AheadBlock::kClaimed,
                                               std::memory_order_acquire, std::memory_order_relaxed);
    });
    if (block.taken < 0) copy_row_part(row, j0, j1);
    const auto from = static_cast<std::size_t>(std::max(block.taken, 0));
    take_made(row, j0, j1,
              Rotations{made.q.data() + from, made.s.data() + from, made.tau.data() + from,
                        count - static_cast<int>(from)});
    // A block's rotations are announced together: the threads that take
    // them poll the count, and a store to it at every rotation would keep
    // its cache line moving between them and the maker.
    count = make_block(row, j0, j1, made, count);
    hand.count[b].store(count, std::memory_order_release);
    hand.made.store(hand.key(g, j1), std::memory_order_release);
  }
  hand.open.store(0, std::memory_order_release);
}

// Rotations a follower takes on a block at a time: the maker, arriving at the
// block, waits for them.
constexpr int kAheadRotations = 64;

// A follower's turn ahead of the maker: the first open block of the row being
// made that is free, ready (the hand has finished line p - 1 on its columns)
// and has at least a tile of rotations still to take takes them. Its columns
// of row p then take those rotations in the order they were made, as the
// maker would have. The block after the maker's is left alone: the maker,
// about to claim it, would wait for the follower. False when there was
// nothing to do.
bool take_ahead(RightHand& hand, float* ap) {
  const std::int64_t g = hand.open.load(std::memory_order_acquire);
  if (g == 0) return false;
  const int n = hand.n;
  const int p = hand.pivot(g);
  const int b = static_cast<int>(g & 1);
  // The last column made (past n once row g is done).
  const std::int64_t maker = hand.made.load(std::memory_order_acquire) - hand.key(g, 0);
  const int blocks = hand.blocks_of(p);
  const std::int64_t turned = hand.turned.load(std::memory_order_acquire);
  const int next = maker >= n ? blocks : RightHand::block_of(p, static_cast<int>(maker) + 1);
  for (int i = std::min(blocks, next + 2); i < blocks; ++i) {
    const int j0 = RightHand::block_first(p, i);
    const int j1 = hand.block_last(p, i);
    if (turned < hand.key(g - 1, j1)) return false;  // nor are the blocks right of it
    AheadBlock& block = hand.blocks[static_cast<std::size_t>(i)];
    std::int64_t idle = g * 4 + AheadBlock::kIdle;
    if (block.state.load(std::memory_order_relaxed) != idle) continue;
    if (!block.state.compare_exchange_strong(idle, g * 4 + AheadBlock::kBusy, std::memory_order_acquire,
                                             std::memory_order_relaxed))
      continue;
    // Held, so the maker has not reached the block: row g is still being made.
    const int count = hand.count[b].load(std::memory_order_acquire);
    const int from = std::max(block.taken, 0);
    const int take = std::min(count - from, kAheadRotations) / kTile * kTile;
    if (take > 0) {
      const PendingRotations& made = hand.lists[b];
      const PivotRow row{n, ap, p, 0, 0.0f, hand.row(b), nullptr, nullptr};
      if (block.taken < 0) copy_row_part(row, j0, j1);
      const auto k = static_cast<std::size_t>(from);
      take_made(row, j0, j1, Rotations{made.q.data() + k, made.s.data() + k, made.tau.data() + k, take});
      block.taken = from + take;
    }
    block.state.store(g * 4 + AheadBlock::kIdle, std::memory_order_release);
    if (take > 0) return true;
  }
  return false;
}

// The hand: line p of each row right of the pivot, with the rotations as the
// maker announces them; then row p back into A and the row's rotations into
// the log for the threads that follow it.
void turn_right(RightHand& hand, float* ap, SweepLog& log) {
  const int n = hand.n;
  const Dense a{ap, n};
  for (std::int64_t g = 1;; ++g) {
    wait_for([&] {
      return hand.made.load(std::memory_order_acquire) >= hand.key(g, 0) ||
             hand.stop.load(std::memory_order_acquire);
    });
    if (hand.made.load(std::memory_order_acquire) < hand.key(g, 0)) return;
    const int b = static_cast<int>(g & 1);
    const int p = hand.pivot(g);
    const PendingRotations& made = hand.lists[b];
    float* r = hand.row(b);
    int k = 0;
    std::int64_t told = hand.key(g - 1, n);
    // Within the row: the maker may be rows ahead, and the end of the row is
    // told once row p is back in A.
    const auto tell = [&](std::int64_t at) {
      at = std::min(at, hand.key(g, n - 1));
      if (at > told) {
        hand.turned.store(at, std::memory_order_release);
        told = at;
      }
    };
    for (int spins = 0;; ++spins) {
      // Read where the maker is first: every rotation up to there is counted.
      const std::int64_t at = hand.made.load(std::memory_order_acquire);
      const int count = hand.count[b].load(std::memory_order_acquire);
      if (count > k) {
        // A few rotations at a time, so that the maker, waiting on a column,
        // hears of it as soon as it is done.
        const int upto = std::min(count, k + kHandRotations);
        const auto i = static_cast<std::size_t>(k);
        const Rotations some{made.q.data() + i, made.s.data() + i, made.tau.data() + i, upto - k};
        apply_rows(p, n, r, ap, n, some, true);
        k = upto;
        tell(k < count ? std::min(at, hand.key(g, made.q[static_cast<std::size_t>(k)] - 1)) : at);
        spins = 0;
        continue;
      }
      if (at >= hand.key(g, n)) break;
      tell(at);
      if (take_ahead(hand, ap)) continue;
      if (spins > 64) std::this_thread::yield();
    }
    for (int j = p + 1; j <= n; ++j) a(p, j) = r[j - 1];
    log.append(g, p, Rotations{made.q.data(), made.s.data(), made.tau.data(), k});
    hand.turned.store(hand.key(g, n), std::memory_order_release);
  }
}

// Sweeps of JACROT on the thread that makes the rotations. With log, the
// rotations of the eigenvectors and of A above the pivot row are left to the
// threads that read it; done[w] counts the rows that thread w < workers has
// applied. With hand, line p right of the pivot is left to it.
bool run_sweeps(int n, float* ap, float* eig, float* xp, float* w1, float* w2, SweepLog* log,
                const std::atomic<std::int64_t>* done, int workers, RightHand* hand) {
  const Dense a{ap, n};
  PendingRotations pending(n);
  std::vector<float> row_p(static_cast<std::size_t>(n));
  float* r = row_p.data();
  const float nn = static_cast<float>(n) * static_cast<float>(n);
  std::int64_t rows = 0;  // pivot rows made over all sweeps
  // A is whole once the hand has finished every row and every thread has
  // applied them.
  const auto catch_up = [&] {
    if (hand != nullptr)
      wait_for([&] { return hand->turned.load(std::memory_order_acquire) == hand->key(rows, n); });
    for (int w = 0; w < workers; ++w)
      wait_for([&] { return done[w].load(std::memory_order_acquire) == rows; });
  };
  for (int sweep = 1; sweep <= kJacobiSweeps; ++sweep) {
    catch_up();
    const float sm = off_diagonal_sum(n, a);
    if (sm == 0.0f) return true;
    const float threshold = sweep < 4 ? 0.2f * sm / nn : 0.0f;
    for (int p = 1; p < n; ++p) {
      ++rows;
      if (hand != nullptr) {
        const int b = static_cast<int>(rows & 1);
        make_row_ahead(*hand, rows, PivotRow{n, ap, p, sweep, threshold, hand->row(b), eig, w2});
        continue;
      }
      for (int j = p + 1; j <= n; ++j) r[j - 1] = a(p, j);
      const PivotRow row{n, ap, p, sweep, threshold, r, eig, w2};
      turn_row(row, pending);
      rotate_line_right(n, ap, p, view(pending), r);
      for (int j = p + 1; j <= n; ++j) a(p, j) = r[j - 1];
      if (log == nullptr) {
        rotate_line_above(n, ap, p, view(pending), 0, n);
        rotate_vectors(n, xp, p, view(pending), 0, n);
        continue;
      }
      log->append(rows, p, view(pending));
    }
    for (int i = 0; i < n; ++i) {
      w1[i] += w2[i];
      eig[i] = w1[i];
      w2[i] = 0.0f;
    }
  }
  catch_up();
  return off_diagonal_sum(n, a) == 0.0f;
}

// A thread that applies the logged rotations to rows lo <= j < hi of X and of
// A above the pivot row. While the log has nothing new, it turns blocks of the
// row being made ahead of the maker (with a hand).
void follow_log(int n, float* ap, float* xp, SweepLog& log, std::atomic<std::int64_t>& done, int lo, int hi,
                RightHand* hand) {
  std::int64_t applied = 0;
  for (;;) {
    wait_for([&] {
      if (log.published.load(std::memory_order_acquire) > applied ||
          log.finished.load(std::memory_order_acquire))
        return true;
      while (hand != nullptr && take_ahead(*hand, ap)) {
      }
      return false;
    });
    if (log.published.load(std::memory_order_acquire) == applied) return;  // finished
    const int p = static_cast<int>(applied % (n - 1)) + 1;
    const std::int64_t from = log.start[static_cast<std::size_t>(p - 1)];
    const Rotations r{log.q.data() + from, log.s.data() + from, log.tau.data() + from,
                      static_cast<int>(log.start[static_cast<std::size_t>(p)] - from)};
    rotate_line_above(n, ap, p, r, lo, hi);
    rotate_vectors(n, xp, p, r, lo, hi);
    done.store(++applied, std::memory_order_release);
  }
}


// The first row of share w of n rows among workers. Every row of X takes
// every rotation; row j of A takes those of the pivot rows below it, about
// (n - j)^2 / 2 against n^2 / 2: the shares are cut to equal sums of
// n^2 + (n - j)^2.
int share_start(int n, int w, int workers) {
  if (w <= 0) return 0;
  if (w >= workers) return n;
  const double nn = static_cast<double>(n) * n;
  const auto weight = [&](int j) { return nn + static_cast<double>(n - j) * (n - j); };
  double total = 0.0;
  for (int j = 0; j < n; ++j) total += weight(j);
  const double target = total * w / workers;
  double sum = 0.0;
  int j = 0;
  while (j < n && sum + weight(j) <= target) sum += weight(j++);
  // On a boundary of 16 rows, so that the rows go through the rotations in
  // whole vectors.
  return std::min(n, (j + 8) / 16 * 16);
}

}  // namespace

bool jacrot(int n, float* ap, float* eig, float* xp, float* w1, float* w2) {
  const Dense a{ap, n};
  const Dense x{xp, n};
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) x(i, j) = i == j ? 1.0f : 0.0f;
    eig[i - 1] = a(i, i);
    w1[i - 1] = eig[i - 1];
    w2[i - 1] = 0.0f;
  }
  // The threads of the sweeps wait on one another at every pivot row: one of
  // them put off its processor stalls them all, so they leave one processor
  // of the machine to everything else.
  int threads = n >= kParallelOrder ? detail::solver_threads() : 1;
  if (threads > 2 && threads >= static_cast<int>(std::thread::hardware_concurrency())) --threads;
  bool converged = false;
#ifdef _OPENMP
  if (threads <= 1) {
    converged = run_sweeps(n, ap, eig, xp, w1, w2, nullptr, nullptr, 0, nullptr);
  } else {
    SweepLog log;
    const std::size_t most = static_cast<std::size_t>(n) * static_cast<std::size_t>(n - 1) / 2;
    log.q.resize(most);
    log.s.resize(most);
    log.tau.resize(most);
    log.start.resize(static_cast<std::size_t>(n));
    std::vector<std::atomic<std::int64_t>> done(static_cast<std::size_t>(threads));
    std::optional<RightHand> hand;
#pragma omp parallel num_threads(threads)
    {
      // The runtime may start fewer threads than asked for while the machine
      // is busy. From three on, one of them turns line p right of the pivot
      // behind the maker; the rows of X and of A above the pivot go to the
      // others.
      const int started = omp_get_num_threads();
      const int id = omp_get_thread_num();
      const int hands = started >= 3 ? 1 : 0;
      const int workers = started - 1 - hands;
#pragma omp single
      if (hands > 0) hand.emplace(n);
      if (started == 1) {
        converged = run_sweeps(n, ap, eig, xp, w1, w2, nullptr, nullptr, 0, nullptr);
      } else if (id == 0) {
        converged = run_sweeps(n, ap, eig, xp, w1, w2, &log, done.data(), workers,
                               hands > 0 ? &*hand : nullptr);
        if (hands > 0) hand->stop.store(true, std::memory_order_release);
        log.finished.store(true, std::memory_order_release);
      } else if (id <= hands) {
        turn_right(*hand, ap, log);
      } else {
        const int w = id - 1 - hands;
        follow_log(n, ap, xp, log, done[static_cast<std::size_t>(w)], share_start(n, w, workers),
                   share_start(n, w + 1, workers), hands > 0 ? &*hand : nullptr);
      }
    }
  }
#else
  (void)threads;
  converged = run_sweeps(n, ap, eig, xp, w1, w2, nullptr, nullptr, 0, nullptr);
#endif
  if (converged) return true;
  fio::write(6, "(/,' *** WARNING: JACOBI EIGEN-SOLUTION NOT CONVERGED AFTER',I5,' SWEEPS',"
                "' - EIGENVALUES MAY BE INACCURATE')", kJacobiSweeps);
  return false;
}

namespace {

// EIGBAK on columns j0 <= j < j1 (0-based), four at a time: each column's
// terms are formed exactly as alone, the four chains only share their loads
// of B.
KV_VECTOR_CLONES
void back_transform(int n, const float* bp, const float* d, float* xp, int j0, int j1) {
  const Dense b{const_cast<float*>(bp), n};
  const auto scale = [&](float* col, float m) {
    for (int i = 0; i < n; ++i) col[i] = col[i] / m;
  };
  int j = j0;
  for (; j + 4 <= j1; j += 4) {
    float* c0 = xp + static_cast<std::ptrdiff_t>(j) * n;
    float* c1 = c0 + n;
    float* c2 = c1 + n;
    float* c3 = c2 + n;
    float m0 = 1.0e-15f, m1 = m0, m2 = m0, m3 = m0;
    for (int i = n; i >= 1; --i) {
      float v0 = c0[i - 1], v1 = c1[i - 1], v2 = c2[i - 1], v3 = c3[i - 1];
      const float* bi = &b(1, i);
      for (int k = i + 1; k <= n; ++k) {
        const float f = bi[k - 1];
        v0 -= f * c0[k - 1];
        v1 -= f * c1[k - 1];
        v2 -= f * c2[k - 1];
        v3 -= f * c3[k - 1];
      }
      v0 /= d[i - 1];
      v1 /= d[i - 1];
      v2 /= d[i - 1];
      v3 /= d[i - 1];
      c0[i - 1] = v0;
      c1[i - 1] = v1;
      c2[i - 1] = v2;
      c3[i - 1] = v3;
      if (std::fabs(v0) > m0) m0 = std::fabs(v0);
      if (std::fabs(v1) > m1) m1 = std::fabs(v1);
      if (std::fabs(v2) > m2) m2 = std::fabs(v2);
      if (std::fabs(v3) > m3) m3 = std::fabs(v3);
    }
    scale(c0, m0);
    scale(c1, m1);
    scale(c2, m2);
    scale(c3, m3);
  }
  for (; j < j1; ++j) {
    float* c = xp + static_cast<std::ptrdiff_t>(j) * n;
    float m = 1.0e-15f;
    for (int i = n; i >= 1; --i) {
      float v = c[i - 1];
      const float* bi = &b(1, i);
      for (int k = i + 1; k <= n; ++k) v -= bi[k - 1] * c[k - 1];
      v /= d[i - 1];
      c[i - 1] = v;
      if (std::fabs(v) > m) m = std::fabs(v);
    }
    scale(c, m);
  }
}

}  // namespace

// Columns are independent: they are shared out among threads in runs of four.
void eigbak(int n, const float* bp, const float* d, float* xp) {
  const int threads = n >= kParallelOrder ? detail::solver_threads() : 1;
  const int groups = (n + 3) / 4;
  if (threads > 1) {
#pragma omp parallel for num_threads(threads) schedule(dynamic, 4)
    for (int g = 0; g < groups; ++g) back_transform(n, bp, d, xp, 4 * g, std::min(n, 4 * g + 4));
  } else {
    back_transform(n, bp, d, xp, 0, n);
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
