#include "solvers/skyline_elimination.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>
#include <thread>
#include <string>
#include <type_traits>
#include <vector>

#include "base/globals.h"
#include "base/matrix_print.h"
#include "base/work_array.h"
#include "fio/fio.h"
#include "solvers/wide_vectors.h"

#ifdef _OPENMP
#include <omp.h>
#endif

namespace solvers::detail {

namespace {

// Dot product of two contiguous columns. Eight independent partial sums let the
// compiler keep them in vector registers without reordering a float sum (which
// it may not do without -ffast-math); the rounding order is therefore that of
// eight interleaved sums added pairwise, not of one running sum.
template <class T>
inline T dot(const T* __restrict x, const T* __restrict y, int n) {
  T s0 = 0, s1 = 0, s2 = 0, s3 = 0, s4 = 0, s5 = 0, s6 = 0, s7 = 0;
  int q = 0;
  for (; q + 8 <= n; q += 8) {
    s0 += x[q] * y[q];
    s1 += x[q + 1] * y[q + 1];
    s2 += x[q + 2] * y[q + 2];
    s3 += x[q + 3] * y[q + 3];
    s4 += x[q + 4] * y[q + 4];
    s5 += x[q + 5] * y[q + 5];
    s6 += x[q + 6] * y[q + 6];
    s7 += x[q + 7] * y[q + 7];
  }
  T tail = 0;
  for (; q < n; ++q) tail += x[q] * y[q];
  return ((s0 + s1) + (s2 + s3)) + ((s4 + s5) + (s6 + s7)) + tail;
}

// The reduction's inner loop: the dot products of one finished column x with
// the kBlock columns of a block at once, x read once for all of them. The
// block's multipliers are interleaved by row, w[q * kBlock + b] being column
// b's term against x[q], so that one row of them is one wide vector and each
// term of x one broadcast. Each product keeps one partial sum per lane of a
// 16-byte vector (term q in lane q mod 4 for float, q mod 2 for double), the
// lanes added in order at the end, then the tail; the lanes are written out
// so that the rounding order is fixed by this code, not by the compiler or
// the target.
constexpr int kBlock = 8;

template <class T>
struct BlockLanes {
  static constexpr int kLanes = static_cast<int>(16 / sizeof(T));
#if defined(__GNUC__)
  // A row of the block in 32-byte pieces: one for float, two for double.
  typedef T Piece __attribute__((vector_size(32)));
  static constexpr int kPer = static_cast<int>(32 / sizeof(T));
#else
  typedef T Piece;
  static constexpr int kPer = 1;
#endif
  static constexpr int kPieces = kBlock / kPer;
  Piece acc[kLanes][kPieces] = {};

  // Row q's piece p of the multipliers.
  static const T* at(const T* w, int q, int p) { return w + static_cast<std::ptrdiff_t>(q) * kBlock + p * kPer; }
  // The terms q of the lanes, q = from..to - 1 (to - from a multiple of kLanes).
  [[gnu::always_inline]] void add(const T* __restrict x, const T* __restrict w, int from, int to) {
    for (int q = from; q < to; q += kLanes)
      for (int u = 0; u < kLanes; ++u)
        for (int p = 0; p < kPieces; ++p) {
          Piece wv;
          std::memcpy(&wv, at(w, q + u, p), sizeof wv);
          acc[u][p] += x[q + u] * wv;
        }
  }
  // The lanes in order, then the tail q = end..n - 1; then c[b] -= the sum,
  // and tk[b] = c[b] / d where k >= start[b], +0 elsewhere.
  [[gnu::always_inline]] void finish(const T* __restrict x, const T* __restrict w, int end, int n, T d,
                                     T* __restrict c, T* __restrict tk, const T* __restrict start, T k) const {
    for (int p = 0; p < kPieces; ++p) {
      Piece s = {};
      for (int u = 0; u < kLanes; ++u) s += acc[u][p];
      for (int q = end; q < n; ++q) {
        Piece wv;
        std::memcpy(&wv, at(w, q, p), sizeof wv);
        s += x[q] * wv;
      }
      Piece cv;
      std::memcpy(&cv, c + p * kPer, sizeof cv);
      cv = cv - s;
      Piece tv = cv / d;
      Piece sv;
      std::memcpy(&sv, start + p * kPer, sizeof sv);
#if defined(__GNUC__)
      using Bits = std::conditional_t<sizeof(T) == 4, std::int32_t, std::int64_t>;
      typedef Bits Mask __attribute__((vector_size(32)));
      const Piece kv = Piece{} + k;
      // A cast between vectors of one size keeps the bits.
      tv = reinterpret_cast<Piece>(reinterpret_cast<Mask>(tv) & (kv >= sv));
#else
      if (!(k >= sv)) tv = T(0);
#endif
      std::memcpy(c + p * kPer, &cv, sizeof cv);
      std::memcpy(tk + p * kPer, &tv, sizeof tv);
    }
  }
};

// Row k of the block's columns from the rows above it: c[b] -= the product of
// column k (x, n terms from its lowest pivot row up) with column b's
// multipliers, then column b's multiplier of row k, tk[b] = c[b] / d, for the
// columns that take it as a pivot row (k >= start[b]; k is -inf past the last
// pivot) and +0 for the others. c[b] of a column that does not take row k is
// not used.
template <class T>
[[gnu::always_inline]] inline void block_row_lanes(const T* __restrict x, const T* __restrict w, int n, T d,
                                                   T* __restrict c, T* __restrict tk, const T* __restrict start,
                                                   T k) {
  BlockLanes<T> s;
  const int end = n - n % BlockLanes<T>::kLanes;
  s.add(x, w, 0, end);
  s.finish(x, w, end, n, d, c, tk, start, k);
}

// The same for two blocks against one column k: each block's sums as alone,
// the two run side by side (their chains of additions are independent).
template <class T>
[[gnu::always_inline]] inline void block_row_pair_lanes(const T* __restrict x, const T* __restrict wa, int na,
                                                        const T* __restrict wb, int nb, T d, T* __restrict ca,
                                                        T* __restrict ta, T* __restrict cb, T* __restrict tb,
                                                        const T* __restrict starta, const T* __restrict startb,
                                                        T k) {
  constexpr int kLanes = BlockLanes<T>::kLanes;
  BlockLanes<T> sa;
  BlockLanes<T> sb;
  const int end_a = na - na % kLanes;
  const int end_b = nb - nb % kLanes;
  const int both = std::min(end_a, end_b);
  for (int q = 0; q < both; q += kLanes) {
    sa.add(x, wa, q, q + kLanes);
    sb.add(x, wb, q, q + kLanes);
  }
  sa.add(x, wa, both, end_a);
  sb.add(x, wb, both, end_b);
  sa.finish(x, wa, end_a, na, d, ca, ta, starta, k);
  sb.finish(x, wb, end_b, nb, d, cb, tb, startb, k);
}

#define KV_BLOCK_ROW_KERNELS(T)                                                                               \
  KV_WIDE_VECTORS void block_row(const T* __restrict x, const T* __restrict w, int n, T d, T* __restrict c,    \
                                 T* __restrict tk, const T* __restrict start, T k) {                          \
    block_row_lanes(x, w, n, d, c, tk, start, k);                                                              \
  }                                                                                                            \
  KV_WIDE_VECTORS void block_row_pair(const T* __restrict x, const T* __restrict wa, int na,                   \
                                      const T* __restrict wb, int nb, T d, T* __restrict ca, T* __restrict ta, \
                                      T* __restrict cb, T* __restrict tb, const T* __restrict starta,         \
                                      const T* __restrict startb, T k) {                                       \
    block_row_pair_lanes(x, wa, na, wb, nb, d, ca, ta, cb, tb, starta, startb, k);                             \
  }

KV_BLOCK_ROW_KERNELS(float)
KV_BLOCK_ROW_KERNELS(double)

#undef KV_BLOCK_ROW_KERNELS

// The load rows of a block's columns over the rows i = first..last above the
// block, the columns side by side: v[b] -= t_b(i) * R(i) in ascending i for
// from[b] <= i <= to[b], each column's own chain in its own order. The
// multipliers are interleaved as for block_row, rows descending: row i at
// w[(last - i) * kBlock]. A row outside a column's range subtracts an exact +0
// (v - (+0) is v for every v, where a product with a zero multiplier could be
// -0 or NaN).
template <class T>
[[gnu::always_inline]] inline void subtract_rows_lanes(const T* __restrict w, const float* __restrict r, int first,
                                                       int last, const std::int32_t* from, const std::int32_t* to,
                                                       T* __restrict v) {
#if defined(__GNUC__)
  using Bits = std::conditional_t<sizeof(T) == 4, std::int32_t, std::int64_t>;
  typedef T Piece __attribute__((vector_size(32)));
  typedef Bits Mask __attribute__((vector_size(32)));
  constexpr int kPer = static_cast<int>(32 / sizeof(T));
  constexpr int kPieces = kBlock / kPer;
  Piece acc[kPieces];
  Mask lo[kPieces];
  Mask hi[kPieces];
  for (int p = 0; p < kPieces; ++p) {
    __builtin_memcpy(&acc[p], v + p * kPer, sizeof(Piece));
    for (int e = 0; e < kPer; ++e) {
      lo[p][e] = from[p * kPer + e];
      hi[p][e] = to[p * kPer + e];
    }
  }
  for (int i = first; i <= last; ++i) {
    const T ri = static_cast<T>(r[i - 1]);
    const Mask iv = Mask{} + static_cast<Bits>(i);
    const T* row = w + static_cast<std::ptrdiff_t>(last - i) * kBlock;
    for (int p = 0; p < kPieces; ++p) {
      Piece wv;
      __builtin_memcpy(&wv, row + p * kPer, sizeof wv);
      const Piece term = wv * ri;
      const Mask keep = (lo[p] <= iv) & (iv <= hi[p]);
      // A cast between vectors of one size keeps the bits.
      acc[p] -= reinterpret_cast<Piece>(reinterpret_cast<Mask>(term) & keep);
    }
  }
  for (int p = 0; p < kPieces; ++p) __builtin_memcpy(v + p * kPer, &acc[p], sizeof(Piece));
#else
  for (int i = first; i <= last; ++i) {
    const T ri = static_cast<T>(r[i - 1]);
    const T* row = w + static_cast<std::ptrdiff_t>(last - i) * kBlock;
    for (int b = 0; b < kBlock; ++b)
      if (from[b] <= i && i <= to[b]) v[b] -= row[b] * ri;
  }
#endif
}

KV_WIDE_VECTORS void subtract_rows(const float* __restrict w, const float* __restrict r, int first, int last,
                                   const std::int32_t* from, const std::int32_t* to, float* __restrict v) {
  subtract_rows_lanes(w, r, first, last, from, to, v);
}

KV_WIDE_VECTORS void subtract_rows(const double* __restrict w, const float* __restrict r, int first, int last,
                                   const std::int32_t* from, const std::int32_t* to, double* __restrict v) {
  subtract_rows_lanes(w, r, first, last, from, to, v);
}

// The scratch of one block's reduction: the multipliers t[b] of the block's
// columns (kBlock columns of n), the same for the rows above the block
// interleaved by row (as many again), the block's terms of those rows by row
// (as many again), and the loads of the block's rows less the rows above it
// (kBlock per load column).
std::size_t block_scratch(int n, int nlc) {
  return 3 * static_cast<std::size_t>(kBlock) * static_cast<std::size_t>(n) +
         static_cast<std::size_t>(kBlock) * static_cast<std::size_t>(std::max(nlc, 0));
}

bool fixed_threads = false;

// Processors that no other task of the machine is running on just now: the
// kernel's count of runnable tasks less this process's own running threads
// (its idle solver threads may still be spinning). The load average would do
// as well, but it lags: it still counts a run that ended a minute ago.
int idle_processors(int processors) {
  std::FILE* f = std::fopen("/proc/loadavg", "r");
  if (f == nullptr) return processors;
  double l1 = 0.0;
  double l5 = 0.0;
  double l15 = 0.0;
  int running = 0;
  int tasks = 0;
  const int got = std::fscanf(f, "%lf %lf %lf %d/%d", &l1, &l5, &l15, &running, &tasks);
  std::fclose(f);
  if (got != 5) return processors;
  int own = 0;
  std::error_code ec;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ec)) {
    std::FILE* t = std::fopen((task.path() / "stat").c_str(), "r");
    if (t == nullptr) continue;
    char line[512];
    const std::size_t len = std::fread(line, 1, sizeof line - 1, t);
    std::fclose(t);
    line[len] = '\0';
    // The state follows the command name in parentheses, which may hold blanks.
    const char* close = std::strrchr(line, ')');
    if (close != nullptr && close[1] == ' ' && close[2] == 'R') ++own;
  }
  return std::clamp(processors - std::max(0, running - own), 1, processors);
}

}  // namespace

void fix_solver_threads(bool fixed) { fixed_threads = fixed; }

int solver_threads() {
#ifdef _OPENMP
  // Threads that wait for one another's columns while the one they wait for
  // is descheduled cost far more than they save: a kernel takes the
  // processors that are idle at its start. The runtime's own rule, on the load
  // average, applies only where OMP_DYNAMIC asks for it.
  static const bool runtime_rule = [] {
    const bool asked = std::getenv("OMP_DYNAMIC") != nullptr;
    if (!asked) omp_set_dynamic(0);
    return asked;
  }();
  const int most = omp_get_max_threads();
  if (most <= 1 || fixed_threads || runtime_rule) return most;
  // Read again at most twice a second: a solution that factors at every step
  // must not read /proc at every step.
  static int idle = 0;
  static std::chrono::steady_clock::time_point read_at;
  const auto now = std::chrono::steady_clock::now();
  if (idle == 0 || now - read_at > std::chrono::milliseconds(500)) {
    const int processors = static_cast<int>(std::thread::hardware_concurrency());
    idle = idle_processors(processors > 0 ? processors : most);
    read_at = now;
  }
  return std::min(most, idle);
#else
  return 1;
#endif
}

template <class T>
T* scratch(std::size_t count) {
  thread_local std::vector<T> buffer;
  if (buffer.size() < count) buffer.resize(count);
  return buffer.data();
}

// Column by column (active-column form): column j is finished from the columns
// left of it, each term by one dot product over the overlap of two column
// profiles. The result is the one of the row-by-row elimination: row i keeps
// its values at its turn as pivot (the factor U, rows not divided by their
// pivots), the rows and columns past l2 hold the condensed matrix.
//
// For column j, t(i) = K(i, j) / K(i, i) for its pivot rows i, stored at
// t[j-i], the column's own order, so that column k and t run the same way in
// memory. Columns are taken kBlock at a time: the rows above the block need
// only finished columns, so each such column k is read once for the whole
// block; the rows inside the block follow column by column. For the rows above
// the block the multipliers are also kept interleaved by row (block_row): a
// block column's is zero above its own first row, so the shared products add
// exact zeros there, and the loads of those rows run for the block's columns
// side by side.

// One block of kBlock columns j0.. under reduction. For the rows above the
// block its multipliers and its terms are kept by row, row i at row(i) and
// terms(i): the order in which the dots run, one row a wide vector.
template <class T>
struct Block {
  int j0 = 0;
  int nb = 0;
  int lo_min = 0;
  int lo[kBlock];
  int pe[kBlock];
  bool active[kBlock];
  // The first row that column b takes, +inf if none; in T so that the kernel
  // compares it lane by lane with the row (exact: a float counts every integer
  // up to 2^24, far beyond any profile the work array holds).
  T start[kBlock];
  T* col[kBlock];
  T* t[kBlock];
  T* rows = nullptr;
  T* by_row = nullptr;
  T* partial = nullptr;

  // tbuf holds block_scratch(n, nlc) values.
  Block(int n, int l1, int last_pivot, int first_column, T* a, const std::int32_t* md, T* tbuf)
      : j0(first_column), nb(std::min(kBlock, n - first_column + 1)), lo_min(first_column) {
    for (int b = 0; b < kBlock; ++b) {
      const int j = j0 + std::min(b, nb - 1);
      col[b] = a + col_diag(md, j);
      t[b] = tbuf + static_cast<std::ptrdiff_t>(b) * n;
      lo[b] = std::max(col_top(md, j), l1);
      pe[b] = std::min(last_pivot, j - 1);
      active[b] = b < nb && pe[b] >= lo[b];
      start[b] = active[b] ? static_cast<T>(lo[b]) : std::numeric_limits<T>::infinity();
      if (active[b]) lo_min = std::min(lo_min, lo[b]);
    }
    rows = tbuf + static_cast<std::ptrdiff_t>(kBlock) * n;
    by_row = rows + static_cast<std::ptrdiff_t>(kBlock) * n;
    partial = by_row + static_cast<std::ptrdiff_t>(kBlock) * n;
    std::fill(rows, row(lo_min - 1), T(0));
    std::fill(by_row, terms(lo_min - 1), T(0));
    // Row k = j0 - 1 - q is at q * kBlock by row and at b + 1 + q in column b.
    for (int b = 0; b < nb; ++b) {
      if (!active[b]) continue;
      const T* from = col[b] + b + 1;
      T* to = by_row + b;
      for (int q = 0, last = j0 - 1 - lo[b]; q <= last; ++q) to[static_cast<std::ptrdiff_t>(q) * kBlock] = from[q];
    }
  }
  T* row(int i) const { return rows + static_cast<std::ptrdiff_t>(j0 - 1 - i) * kBlock; }
  T* terms(int i) const { return by_row + static_cast<std::ptrdiff_t>(j0 - 1 - i) * kBlock; }
  // The rows of column k that the block's dots run over, from ihi up: their
  // count (0 when there are none) and where their multipliers start.
  int length(int k, int ihi, const std::int32_t* md) const {
    return std::max(ihi - std::max(lo_min, col_top(md, k)) + 1, 0);
  }
  const T* from_row(int ihi, int len) const { return len > 0 ? row(ihi) : rows; }
  // The terms and multipliers of the rows above the block back to the columns.
  void settle(int last_pivot) {
    for (int b = 0; b < nb; ++b) {
      if (!active[b]) continue;
      const int last = j0 - 1 - lo[b];
      const T* from = by_row + b;
      T* to = col[b] + b + 1;
      for (int q = 0; q <= last; ++q) to[q] = from[static_cast<std::ptrdiff_t>(q) * kBlock];
      from = rows + b;
      to = t[b] + b + 1;
      for (int q = std::max(j0 - 1 - last_pivot, 0); q <= last; ++q) to[q] = from[static_cast<std::ptrdiff_t>(q) * kBlock];
    }
  }
};

// Row k < j0 of the block from the finished column k.
template <class T>
void block_row_above(Block<T>& blk, int k, int last_pivot, const T* a, const std::int32_t* md) {
  const int ihi = std::min(k - 1, last_pivot);
  const int len = blk.length(k, ihi, md);
  const T pivot_row = k <= last_pivot ? static_cast<T>(k) : -std::numeric_limits<T>::infinity();
  block_row(a + col_diag(md, k) + (len > 0 ? k - ihi : 0), blk.from_row(ihi, len), len, a[col_diag(md, k)],
            blk.terms(k), blk.row(k), blk.start, pivot_row);
}

// The same row k for two blocks, column k read once for both.
template <class T>
void block_row_above(Block<T>& one, Block<T>& two, int k, int last_pivot, const T* a, const std::int32_t* md) {
  const int ihi = std::min(k - 1, last_pivot);
  const int len1 = one.length(k, ihi, md);
  const int len2 = two.length(k, ihi, md);
  const T pivot_row = k <= last_pivot ? static_cast<T>(k) : -std::numeric_limits<T>::infinity();
  block_row_pair(a + col_diag(md, k) + (std::max(len1, len2) > 0 ? k - ihi : 0), one.from_row(ihi, len1), len1,
                 two.from_row(ihi, len2), len2, a[col_diag(md, k)], one.terms(k), one.row(k), two.terms(k),
                 two.row(k), one.start, two.start, pivot_row);
}

// The block once its rows above it are done: the loads of those rows for the
// block's columns side by side, then column by column the rows inside the
// block, the diagonal, the loads and the pivot test. 0 or the zero pivot.
template <class T>
int finish_block(Block<T>& blk, int last_pivot, T* a, const std::int32_t* md, float* r, int ldr, int nlc) {
  const int j0 = blk.j0;
  const int* lo = blk.lo;
  const int* pe = blk.pe;
  // The loads of the block's rows less their terms of the rows above the
  // block, kBlock a load column.
  std::int32_t from[kBlock];
  std::int32_t to[kBlock];
  for (int b = 0; b < kBlock; ++b) {
    from[b] = blk.active[b] ? lo[b] : j0;
    to[b] = blk.active[b] ? std::min(pe[b], j0 - 1) : j0 - 1;
  }
  for (int c = 0; c < nlc; ++c) {
    const float* rc = r + static_cast<std::ptrdiff_t>(c) * ldr;
    T* v = blk.partial + static_cast<std::ptrdiff_t>(c) * kBlock;
    for (int b = 0; b < kBlock; ++b) v[b] = b < blk.nb ? static_cast<T>(rc[j0 + b - 1]) : T(0);
    if (blk.lo_min < j0) subtract_rows(blk.rows, rc, blk.lo_min, j0 - 1, from, to, v);
  }

  for (int b = 0; b < blk.nb; ++b) {
    const int j = j0 + b;
    T* colj = blk.col[b];
    if (blk.active[b]) {
      T* tj = blk.t[b];
      for (int k = std::max(j0, lo[b]); k < j; ++k) {
        const int m = j - k;
        T v = colj[m];
        const int ilo = std::max(lo[b], col_top(md, k));
        const int ihi = std::min(k - 1, pe[b]);
        if (ihi >= ilo) {
          v -= dot(a + col_diag(md, k) + (k - ihi), tj + (j - ihi), ihi - ilo + 1);
          colj[m] = v;
        }
        if (k <= pe[b]) tj[m] = v / a[col_diag(md, k)];
      }
      colj[0] -= dot(colj + (j - pe[b]), tj + (j - pe[b]), pe[b] - lo[b] + 1);
      // Loads: the same pivots in ascending order, as the row-by-row form does.
      for (int c = 0; c < nlc; ++c) {
        float* rc = r + static_cast<std::ptrdiff_t>(c) * ldr;
        T v = blk.partial[static_cast<std::ptrdiff_t>(c) * kBlock + b];
        for (int i = std::max(lo[b], j0); i <= pe[b]; ++i) v -= tj[j - i] * static_cast<T>(rc[i - 1]);
        rc[j - 1] = static_cast<float>(v);
      }
    }
    if (j <= last_pivot && colj[0] == T(0)) return j;
  }
  return 0;
}

// reduce_block does one block; before it reads column k (and load row k) it
// calls wait(k), which returns once every column up to k is finished. The
// arithmetic of a block depends only on the finished columns, never on who
// finished them or when, so any number of threads gives the same bits.
// Returns 0 or the first zero pivot of the block.
template <class T, class Wait>
int reduce_block(int n, int l1, int last_pivot, int j0, T* a, const std::int32_t* md, float* r,
                 int ldr, int nlc, T* tbuf, Wait&& wait) {
  Block<T> blk(n, l1, last_pivot, j0, a, md, tbuf);
  for (int k = blk.lo_min; k < j0; ++k) {
    wait(k);
    block_row_above(blk, k, last_pivot, a, md);
  }
  blk.settle(last_pivot);
  return finish_block(blk, last_pivot, a, md, r, ldr, nlc);
}

// The blocks from j0 and j0 + kBlock with one thread. The second block's rows
// above the first block need only columns finished before either, so they run
// beside the first block's (the chains of additions of one block leave the
// arithmetic units idle for most of their latency). The values are those of
// one block after the other; the second block's terms go back to its columns
// only once the first block has passed its pivot tests, so that after a zero
// pivot there the second block is as if it had not begun.
template <class T>
int reduce_block_pair(int n, int l1, int last_pivot, int j0, T* a, const std::int32_t* md, float* r, int ldr,
                      int nlc, T* tbuf) {
  Block<T> one(n, l1, last_pivot, j0, a, md, tbuf);
  Block<T> two(n, l1, last_pivot, j0 + kBlock, a, md, tbuf + block_scratch(n, nlc));
  for (int k = std::min(one.lo_min, two.lo_min); k < j0; ++k) {
    if (k >= one.lo_min && k >= two.lo_min) block_row_above(one, two, k, last_pivot, a, md);
    else if (k >= one.lo_min) block_row_above(one, k, last_pivot, a, md);
    else block_row_above(two, k, last_pivot, a, md);
  }
  one.settle(last_pivot);
  if (const int bad = finish_block(one, last_pivot, a, md, r, ldr, nlc)) return bad;
  for (int k = std::max(two.lo_min, j0); k < two.j0; ++k) block_row_above(two, k, last_pivot, a, md);
  two.settle(last_pivot);
  return finish_block(two, last_pivot, a, md, r, ldr, nlc);
}

// Below this many stored terms in the reduced range a reduction is too short
// to share: the threads would cost more than they save.
constexpr std::int64_t kParallelTerms = 200000;

// Blocks are handed out in order; a thread waits only where its block reads a
// column that another thread has not finished yet. After a zero pivot no new
// block starts, and the blocks under way finish (their columns then hold
// values that the sequential form would not have reached: after a zero pivot
// the arrays are only "partly reduced" either way).
template <class T>
int reduce_parallel(int n, int l1, int first, int last_pivot, T* a, const std::int32_t* md, float* r,
                    int ldr, int nlc, int threads) {
  const int nblocks = (n - first) / kBlock + 1;
  std::vector<std::atomic<int>> done(static_cast<std::size_t>(nblocks));
  for (auto& f : done) f.store(0, std::memory_order_relaxed);
  std::atomic<int> next{0};
  std::atomic<int> first_bad{0};  // the smallest zero pivot found, or 0
#pragma omp parallel num_threads(threads)
  {
    T* tbuf = scratch<T>(block_scratch(n, nlc));
    for (;;) {
      const int blk = next.fetch_add(1, std::memory_order_relaxed);
      if (blk >= nblocks) break;
      const int j0 = first + blk * kBlock;
      const int bad_so_far = first_bad.load(std::memory_order_relaxed);
      int bad = 0;
      if (bad_so_far == 0 || j0 < bad_so_far) {
        int known = -1;  // blocks up to this one are known to be finished
        const auto wait = [&](int k) {
          if (k < first) return;  // kept from an earlier reduction
          const int kb = (k - first) / kBlock;
          if (kb <= known) return;
          const std::atomic<int>& finished = done[static_cast<std::size_t>(kb)];
          wait_for([&] { return finished.load(std::memory_order_acquire) != 0; });
          known = kb;
        };
        bad = reduce_block(n, l1, last_pivot, j0, a, md, r, ldr, nlc, tbuf, wait);
      }
      if (bad != 0) {
        int cur = first_bad.load(std::memory_order_relaxed);
        while ((cur == 0 || bad < cur) && !first_bad.compare_exchange_weak(cur, bad)) {
        }
      }
      done[static_cast<std::size_t>(blk)].store(1, std::memory_order_release);
    }
  }
  return first_bad.load();
}

int reduced_again_from(int l1, int first_changed) {
  return first_changed <= l1 ? l1 : l1 + (first_changed - l1) / kBlock * kBlock;
}

// The terms that load row j takes from its pivot rows i = ilo..ihi into
// w[0..]: with_multipliers, t(i) R(i) with t(i) = U(i, j) / d(i) as the
// reduction forms it; otherwise U(i, j) R(i) / d(i), or +0 where R(i) is 0.0.
#if defined(__GNUC__)
// kBytes / sizeof(T) of them from row i on, a vector at a time (the compiler
// keeps the divisions scalar). Each lane's operations are those of the scalar
// form in load_terms; IEEE division is correctly rounded at any width.
template <int kBytes, bool with_multipliers, class T>
inline void load_term_lanes(int j, int i, const T* __restrict colj, const T* __restrict piv,
                            const float* __restrict rc, T* __restrict w) {
  constexpr int kLanes = static_cast<int>(kBytes / sizeof(T));
  typedef T Lanes __attribute__((vector_size(kBytes)));
  typedef float Loads __attribute__((vector_size(kLanes * sizeof(float))));
  using Bits = std::conditional_t<sizeof(T) == 4, std::int32_t, std::int64_t>;
  typedef Bits Mask __attribute__((vector_size(kBytes)));
  Lanes c, p;
  Loads rf;
  // U(i + u, j) for u = 0..kLanes-1 lies at colj[j - i - u]: stored backwards.
  __builtin_memcpy(&c, colj + (j - i - kLanes + 1), sizeof c);
  Mask back;
  for (int u = 0; u < kLanes; ++u) back[u] = kLanes - 1 - u;
  c = __builtin_shuffle(c, back);
  __builtin_memcpy(&rf, rc + (i - 1), sizeof rf);
  __builtin_memcpy(&p, piv + (i - 1), sizeof p);
  const Lanes r = __builtin_convertvector(rf, Lanes);
  Lanes t;
  if constexpr (with_multipliers) {
    t = c / p * r;
  } else {
    const Lanes q = c * r / p;
    const Mask keep = r != Lanes{};
    t = reinterpret_cast<Lanes>(reinterpret_cast<Mask>(q) & keep);
  }
  __builtin_memcpy(w, &t, sizeof t);
}
#endif

template <bool with_multipliers, class T>
inline void load_terms(int j, int ilo, int ihi, const T* __restrict colj, const T* __restrict piv,
                       const float* __restrict rc, T* __restrict w) {
  int i = ilo;
#if defined(__GNUC__)
  // 32 bytes at a time (one register in the wide copies of load_chains), then
  // 16 bytes once.
  constexpr int kWide = static_cast<int>(32 / sizeof(T));
  constexpr int kNarrow = kWide / 2;
  for (; i + kWide - 1 <= ihi; i += kWide)
    load_term_lanes<32, with_multipliers>(j, i, colj, piv, rc, w + (i - ilo));
  if (i + kNarrow - 1 <= ihi) {
    load_term_lanes<16, with_multipliers>(j, i, colj, piv, rc, w + (i - ilo));
    i += kNarrow;
  }
#endif
  for (; i <= ihi; ++i) {
    const T ri = rc[i - 1];
    if constexpr (with_multipliers) {
      w[i - ilo] = colj[j - i] / piv[i - 1] * ri;
    } else {
      const T t = colj[j - i] * ri / piv[i - 1];
      w[i - ilo] = ri != T(0) ? t : T(0);
    }
  }
}

// Rows taken together by load_chains: the subtractions of one row are a chain
// that waits on each of its steps, so the more rows side by side, the more
// chains run at once. Any count gives the same values.
constexpr int kLoadRows = 16;

#if defined(__GNUC__)
typedef float LoadLanes __attribute__((vector_size(32)));

// acc[b] -= t[b * above + k] for k = 0..7 in ascending k, b = 0..7: the eight
// terms of every row read as one vector and turned into eight vectors of one
// term per row (an 8 x 8 transpose), subtracted in k order.
inline void subtract_eight_terms(const float* t, int above, LoadLanes& acc) {
  typedef std::int32_t Order __attribute__((vector_size(32)));
  // Rows b and b + 1 interleaved (terms 0, 1, 4, 5 and 2, 3, 6, 7), pairs of
  // such pairs (four rows of terms k and k + 4), then the halves: term k, or
  // term k + 4, of the eight rows.
  constexpr Order kLow{0, 8, 1, 9, 4, 12, 5, 13}, kHigh{2, 10, 3, 11, 6, 14, 7, 15};
  constexpr Order kEven{0, 1, 8, 9, 4, 5, 12, 13}, kOdd{2, 3, 10, 11, 6, 7, 14, 15};
  constexpr Order kFirst{0, 1, 2, 3, 8, 9, 10, 11}, kSecond{4, 5, 6, 7, 12, 13, 14, 15};
  LoadLanes x0, x1, x2, x3, x4, x5, x6, x7;
  __builtin_memcpy(&x0, t, sizeof x0);
  __builtin_memcpy(&x1, t + above, sizeof x1);
  __builtin_memcpy(&x2, t + 2 * above, sizeof x2);
  __builtin_memcpy(&x3, t + 3 * above, sizeof x3);
  __builtin_memcpy(&x4, t + 4 * above, sizeof x4);
  __builtin_memcpy(&x5, t + 5 * above, sizeof x5);
  __builtin_memcpy(&x6, t + 6 * above, sizeof x6);
  __builtin_memcpy(&x7, t + 7 * above, sizeof x7);
  const LoadLanes y0 = __builtin_shuffle(x0, x1, kLow), y1 = __builtin_shuffle(x0, x1, kHigh);
  const LoadLanes y2 = __builtin_shuffle(x2, x3, kLow), y3 = __builtin_shuffle(x2, x3, kHigh);
  const LoadLanes y4 = __builtin_shuffle(x4, x5, kLow), y5 = __builtin_shuffle(x4, x5, kHigh);
  const LoadLanes y6 = __builtin_shuffle(x6, x7, kLow), y7 = __builtin_shuffle(x6, x7, kHigh);
  const LoadLanes z0 = __builtin_shuffle(y0, y2, kEven), z1 = __builtin_shuffle(y0, y2, kOdd);
  const LoadLanes z2 = __builtin_shuffle(y1, y3, kEven), z3 = __builtin_shuffle(y1, y3, kOdd);
  const LoadLanes z4 = __builtin_shuffle(y4, y6, kEven), z5 = __builtin_shuffle(y4, y6, kOdd);
  const LoadLanes z6 = __builtin_shuffle(y5, y7, kEven), z7 = __builtin_shuffle(y5, y7, kOdd);
  acc -= __builtin_shuffle(z0, z4, kFirst);
  acc -= __builtin_shuffle(z1, z5, kFirst);
  acc -= __builtin_shuffle(z2, z6, kFirst);
  acc -= __builtin_shuffle(z3, z7, kFirst);
  acc -= __builtin_shuffle(z0, z4, kSecond);
  acc -= __builtin_shuffle(z1, z5, kSecond);
  acc -= __builtin_shuffle(z2, z6, kSecond);
  acc -= __builtin_shuffle(z3, z7, kSecond);
}
#endif

// v[b] -= w[b * above + q] for q = 0..above-1 in ascending q, the kLoadRows
// rows side by side, each on its own running value.
template <class T>
inline void subtract_rows_above(const T* w, int above, T* v) {
  int q = 0;
#if defined(__GNUC__)
  if constexpr (std::is_same_v<T, float>) {
    // One lane per row, eight rows to a vector.
    static_assert(kLoadRows == 16);
    LoadLanes acc0, acc1;
    __builtin_memcpy(&acc0, v, sizeof acc0);
    __builtin_memcpy(&acc1, v + 8, sizeof acc1);
    const float* w8 = w + static_cast<std::ptrdiff_t>(8) * above;
    for (; q + 8 <= above; q += 8) {
      subtract_eight_terms(w + q, above, acc0);
      subtract_eight_terms(w8 + q, above, acc1);
    }
    for (; q < above; ++q) {
      LoadLanes t0, t1;
      for (int b = 0; b < 8; ++b) {
        t0[b] = w[static_cast<std::ptrdiff_t>(b) * above + q];
        t1[b] = w8[static_cast<std::ptrdiff_t>(b) * above + q];
      }
      acc0 -= t0;
      acc1 -= t1;
    }
    __builtin_memcpy(v, &acc0, sizeof acc0);
    __builtin_memcpy(v + 8, &acc1, sizeof acc1);
    return;
  }
#endif
  for (; q < above; ++q)
    for (int b = 0; b < kLoadRows; ++b) v[b] -= w[static_cast<std::ptrdiff_t>(b) * above + q];
}

// The load rows j = first..last of one column rc against finished columns,
// each row v(j) = R(j) - the terms of its pivot rows i = lo(j)..min(j - 1,
// last_pivot) (load_terms), subtracted one at a time in ascending i. Rows
// are taken kLoadRows at a time: the terms of the rows above a block are formed
// first (the divisions then run side by side), and the block's rows subtract
// them together, each on its own running value, a row outside a block row's
// range adding an exact +0 (v - (+0) is v for every v); the rows inside the
// block follow one after the other. Every row keeps its own order of
// subtractions, so the values are those of one row at a time. piv holds the
// pivots d(i) at [i-1].
template <bool with_multipliers, class T>
KV_WIDE_VECTORS void load_chains(int l1, int first, int last, int last_pivot, const T* a, const std::int32_t* md,
                 const T* piv, float* rc) {
  T* w = scratch<T>(static_cast<std::size_t>(kLoadRows) * static_cast<std::size_t>(std::max(last, 1)));
  for (int j0 = first; j0 <= last; j0 += kLoadRows) {
    const int nb = std::min(kLoadRows, last - j0 + 1);
    int lo[kLoadRows];
    int pe[kLoadRows];
    int lo_min = j0;
    for (int b = 0; b < nb; ++b) {
      const int j = j0 + b;
      lo[b] = std::max(col_top(md, j), l1);
      pe[b] = std::min(last_pivot, j - 1);
      if (pe[b] >= lo[b]) lo_min = std::min(lo_min, lo[b]);
    }
    T v[kLoadRows] = {};
    for (int b = 0; b < nb; ++b) v[b] = rc[j0 + b - 1];
    // Rows above the block: w[b * above + (i - lo_min)] = the term of row i in
    // block row b, or +0.
    const int above = j0 - lo_min;
    if (above > 0) {
      for (int b = 0; b < kLoadRows; ++b) {
        T* wb = w + static_cast<std::ptrdiff_t>(b) * above;
        const int ilo = b < nb ? std::max(lo[b], lo_min) : j0;
        const int ihi = b < nb ? std::min(pe[b], j0 - 1) : j0 - 1;
        if (ihi < ilo) {
          std::fill(wb, wb + above, T(0));
          continue;
        }
        std::fill(wb, wb + (ilo - lo_min), T(0));
        load_terms<with_multipliers>(j0 + b, ilo, ihi, a + col_diag(md, j0 + b), piv, rc, wb + (ilo - lo_min));
        std::fill(wb + (ihi + 1 - lo_min), wb + above, T(0));
      }
      subtract_rows_above(w, above, v);
    }
    // Rows inside the block, one block row after the other.
    for (int b = 0; b < nb; ++b) {
      const int j = j0 + b;
      const int ilo = std::max(lo[b], j0);
      T vb = v[b];
      if (pe[b] >= ilo) {
        load_terms<with_multipliers>(j, ilo, pe[b], a + col_diag(md, j), piv, rc, w);
        for (int i = ilo; i <= pe[b]; ++i) vb -= w[i - ilo];
      }
      rc[j - 1] = static_cast<float>(vb);
    }
  }
}

// The pivots d(1..n) at [0..n-1], in scratch of their own.
template <class T>
const T* pivots(int n, const T* a, const std::int32_t* md) {
  thread_local std::vector<T> d;
  if (d.size() < static_cast<std::size_t>(n)) d.resize(static_cast<std::size_t>(n));
  for (int i = 1; i <= n; ++i) d[static_cast<std::size_t>(i - 1)] = a[col_diag(md, i)];
  return d.data();
}

// The loads of rows l1..last against columns that an earlier reduction left
// finished: each row as reduce_block forms it, with the multipliers
// t(i) = U(i, j) / d(i) of the stored factor, pivots in ascending order.
template <class T>
void reduce_loads_by_multipliers(int l1, int last, int last_pivot, const T* a, const std::int32_t* md,
                                 float* r, int ldr, int nlc) {
  const T* piv = pivots(last, a, md);
  for (int c = 0; c < nlc; ++c)
    load_chains<true>(l1, l1, last, last_pivot, a, md, piv, r + static_cast<std::ptrdiff_t>(c) * ldr);
}

template <class T>
int reduce_matrix_and_loads(int n, int l1, int l2, T* a, const std::int32_t* md,
                            float* r, int ldr, int nlc, int first_changed) {
  if (l1 > n) return 0;
  const int last_pivot = std::min(l2, n - 1);
  // The columns before the block of the first changed one keep their factors:
  // a block's arithmetic depends only on the columns left of it and on its
  // own, so the blocks must fall where a whole reduction puts them.
  const int first = reduced_again_from(l1, std::min(first_changed, n));
  if (first > l1) reduce_loads_by_multipliers(l1, first - 1, last_pivot, a, md, r, ldr, nlc);
  // Small reductions (a member's condensation at every step among them) never
  // ask how many threads there are.
  if (static_cast<std::int64_t>(md[n]) - md[first - 1] >= kParallelTerms) {
    const int threads = solver_threads();
    if (threads > 1) return reduce_parallel(n, l1, first, last_pivot, a, md, r, ldr, nlc, threads);
  }
  T* tbuf = scratch<T>(2 * block_scratch(n, nlc));
  const auto finished = [](int) {};
  for (int j0 = first; j0 <= n; j0 += 2 * kBlock) {
    const int bad = j0 + kBlock <= n ? reduce_block_pair(n, l1, last_pivot, j0, a, md, r, ldr, nlc, tbuf)
                                     : reduce_block(n, l1, last_pivot, j0, a, md, r, ldr, nlc, tbuf, finished);
    if (bad != 0) return bad;
  }
  return 0;
}

// By rows of the loads: row j takes the updates of the pivots above it in
// ascending order, each as K(i,j)*R(i)/K(i,i), as the row-by-row form gives
// them; a pivot row whose load is 0.0 gives none. The rows stop at the first
// zero pivot of l1..l2, that row's load formed.
template <class T>
int reduce_loads(int n, int l1, int l2, const T* a, const std::int32_t* md,
                 float* r, int ldr, int nlc) {
  int bad = 0;
  for (int j = l1; j <= std::min(l2, n); ++j)
    if (a[col_diag(md, j)] == T(0)) {
      bad = j;
      break;
    }
  const int last = bad != 0 ? bad : n;
  const T* piv = pivots(last, a, md);
  for (int c = 0; c < nlc; ++c)
    load_chains<false>(l1, l1, last, std::min(l2, n), a, md, piv, r + static_cast<std::ptrdiff_t>(c) * ldr);
  return bad;
}

template <class T>
KV_WIDE_VECTORS int back_substitute(int, int l1, int l2, const T* a, const std::int32_t* md,
                    float* r, int ldr, int nlc) {
  for (int j = l2; j >= l1; --j) {
    const T* colj = a + col_diag(md, j);
    const T d = colj[0];
    if (d == T(0)) return j;
    const int h = col_height(md, j);
    for (int c = 0; c < nlc; ++c) {
      float* rc = r + static_cast<std::ptrdiff_t>(c) * ldr;
      const T x = static_cast<T>(rc[j - 1]) / d;
      rc[j - 1] = static_cast<float>(x);
      if (j > 1) {
        const T xr = rc[j - 1];
        update_reversed<true, T, 32>(rc + (j - 1), colj, xr, 1, h - 1);
      }
    }
  }
  return 0;
}

template <class T>
int multiply_upper(int n, int l1, int l2, const T* a, const std::int32_t* md,
                   float* r, const float* w) {
  for (int i = l1; i <= l2; ++i) {
    if (a[col_diag(md, i)] == T(0)) return i;
    r[i - 1] = 0.0f;
  }
  // R = U x on the range.
  for (int j = l1; j <= n; ++j) {
    const T* colj = a + col_diag(md, j);
    const int kmin = std::max(col_top(md, j), l1);
    const T wj = w[j - 1];
    for (int k = j; k >= kmin; --k) r[k - 1] = static_cast<float>(r[k - 1] + colj[j - k] * wj);
  }
  return 0;
}

template <class T>
void undo_elimination(int n, int l1, int l2, const T* a, const std::int32_t* md, float* r) {
  // The elimination undone: row j takes, from the last pivot up, the pivot rows
  // above it, each before it was changed itself (hence j descending).
  for (int j = n; j > l1; --j) {
    const T* colj = a + col_diag(md, j);
    const int lo = std::max(col_top(md, j), l1);
    for (int i = std::min(l2, j - 1); i >= lo; --i) {
      const T ri = r[i - 1];
      if (ri != T(0)) r[j - 1] = static_cast<float>(r[j - 1] + colj[j - i] * ri / a[col_diag(md, i)]);
    }
  }
}

// The three steps per pivot i, fused by term: M(k,j) + m*W(k)*W(j), then
// - W(k)*M(i,j), then - W(j)*M(i,k). Each term sees the steps in that order and
// they read only row i and W, so the fused loop gives the same values.
//
// Per pivot, the multipliers W and row i of M are laid out in reverse row
// order (position n-k for row k, zero outside the profiles), the order in which
// a column is stored, so that the update of a column runs over three arrays in
// step. Only the columns that a profile brings up to row i can change.
template <class T>
void reduce_carried(int n, int first, int last, const T* k, const std::int32_t* mdk,
                    T* m, const std::int32_t* mdm) {
  if (first > last) return;
  T* wr = scratch<T>(2 * static_cast<std::size_t>(n));
  T* mr = wr + n;
  // reach[i-1]: the last column whose stiffness or carried profile reaches row i.
  std::int32_t* reach = scratch<std::int32_t>(static_cast<std::size_t>(n));
  std::fill(reach, reach + n, 0);
  for (int j = 1; j <= n; ++j) {
    const int t = std::min(col_top(mdk, j), col_top(mdm, j));
    reach[t - 1] = std::max(reach[t - 1], j);
  }
  for (int i = 1; i < n; ++i) reach[i] = std::max(reach[i], reach[i - 1]);

  for (int i = first; i <= last; ++i) {
    const int jmax = reach[i - 1];
    const T kii = k[col_diag(mdk, i)];
    for (int j = i + 1; j <= jmax; ++j) {
      wr[n - j] = col_top(mdk, j) <= i ? k[col_diag(mdk, j) + j - i] / kii : T(0);
      mr[n - j] = col_top(mdm, j) <= i ? m[col_diag(mdm, j) + j - i] : T(0);
    }
    const T mii = m[col_diag(mdm, i)];
    for (int j = i + 1; j <= jmax; ++j) {
      const T wj = wr[n - j];
      const T mij = mr[n - j];
      const bool step1 = mii != T(0) && wj != T(0);
      const bool step2 = mij != T(0);
      const bool step3 = wj != T(0);
      if (!step1 && !step2 && !step3) continue;
      T* colm = m + col_diag(mdm, j);  // colm[q] = M(j-q, j)
      const T* wq = wr + (n - j);      // wq[q] = W(j-q)
      const T* mq = mr + (n - j);      // mq[q] = M(i, j-q)
      const int len = j - i;
      for (int q = 0; q < len; ++q) {
        T v = colm[q];
        if (step1) v = v + mii * wq[q] * wj;
        if (step2) v = v - wq[q] * mij;
        if (step3) v = v - wj * mq[q];
        colm[q] = v;
      }
    }
  }
}

int carried_profile_gap(int n, int l1, int l2, const std::int32_t* mdk, const std::int32_t* mdm) {
  const int last_pivot = std::min(l2, n - 1);
  for (int j = l1 + 1; j <= n; ++j) {
    const int first = std::max(col_top(mdk, j), l1);  // first pivot row of column j
    if (first > std::min(last_pivot, j - 1)) continue;  // no pivot reaches it
    if (col_top(mdm, j) > first + 1) return j;
  }
  return 0;
}

bool profile_complete(int n, const std::int32_t* md, std::int64_t nstore) {
  if (n < 1 || md[0] != 1) return false;
  for (int j = 1; j <= n; ++j) {
    const int h = col_height(md, j);
    if (h < 1 || h > j) return false;
  }
  return md[n] - 1 <= nstore;
}

void zero_pivot_box(std::string_view routine, int row, int storage, double pivot, std::string_view joints) {
  static const std::string stars(50, '*');
  fio::write(6,
             "(///,1X,A,/,' *  ER','ROR IN SUBROUTINE ',A,T51,'*',/,"
             "' *  PIVOT IS LE 0 ------- ROW:',I5,T51,'*',/,"
             "' *                STORAGE LCN:',I5,T51,'*',/,"
             "' *                      PIVOT:',1PE15.6,T51,'*',/,"
             "' *  SOLUTION IS ABORTED ',T51,'*',/,1X,A)",
             stars, routine, row, storage, pivot, stars);
  std::string text = fio::format("('SOLUTION ABORTED: PIVOT IS LE 0 IN ',A,' AT ROW',I6)", routine, row);
  if (!joints.empty()) text += " (" + std::string(joints) + ")";
  kv::note_fault(kv::Fault::solution_error, text);
}

void trace_title(std::string_view title, int l1, int l2, int n) {
  fio::write(6, "(/,2X,A,2X,'L1:',I5,'   L2:',I5,'   N:',I5)", title, l1, l2, n);
}

void trace_loads(const float* r, int n, int ldr, int nlc, std::string_view title) {
  if (ldr == n) {
    base::prtmat(r, n, nlc, title);
    return;
  }
  std::vector<float> rows(static_cast<std::size_t>(n) * static_cast<std::size_t>(nlc));
  for (int c = 0; c < nlc; ++c)
    std::copy_n(r + static_cast<std::ptrdiff_t>(c) * ldr, n, rows.begin() + static_cast<std::ptrdiff_t>(c) * n);
  base::prtmat(rows.data(), n, nlc, title);
}

#define KV_ELIMINATION_INSTANCES(T)                                                              \
  template int reduce_matrix_and_loads<T>(int, int, int, T*, const std::int32_t*, float*, int,  \
                                          int, int);                                            \
  template T* scratch<T>(std::size_t);                                                          \
  template int reduce_loads<T>(int, int, int, const T*, const std::int32_t*, float*, int, int); \
  template int back_substitute<T>(int, int, int, const T*, const std::int32_t*, float*, int,    \
                                  int);                                                         \
  template int multiply_upper<T>(int, int, int, const T*, const std::int32_t*, float*,          \
                                 const float*);                                                 \
  template void undo_elimination<T>(int, int, int, const T*, const std::int32_t*, float*);      \
  template void reduce_carried<T>(int, int, int, const T*, const std::int32_t*, T*,             \
                                  const std::int32_t*);

KV_ELIMINATION_INSTANCES(float)
KV_ELIMINATION_INSTANCES(double)

#undef KV_ELIMINATION_INSTANCES

}  // namespace solvers::detail
