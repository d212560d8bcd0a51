#include "solvers/skyline_products.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "base/matrix_print.h"
#include "fio/fio.h"
#include "solvers/skyline_elimination.h"
#include "solvers/wide_vectors.h"

namespace solvers {

namespace {

using detail::col_diag;
using detail::col_top;
using kv::SkyReal;

#if defined(__GNUC__)
#define KV_LANES 1
// Eight floats or four doubles. Each kernel below keeps one running sum per
// lane and does, lane for lane, the multiplication and the addition that the
// scalar form does, in its order; the vectors only put several independent
// sums side by side.
typedef float F8 __attribute__((vector_size(32)));
typedef float F4 __attribute__((vector_size(16)));
typedef double D4 __attribute__((vector_size(32)));

#define KV_LANE_INLINE inline __attribute__((always_inline))

// Loads and stores at any alignment (the arrays are 4- or 8-byte aligned).
typedef float F8u __attribute__((vector_size(32), aligned(4)));
typedef float F4u __attribute__((vector_size(16), aligned(4)));
typedef double D4u __attribute__((vector_size(32), aligned(8)));
KV_LANE_INLINE void load(F8& v, const float* p) { v = *reinterpret_cast<const F8u*>(p); }
KV_LANE_INLINE void load(F4& v, const float* p) { v = *reinterpret_cast<const F4u*>(p); }
KV_LANE_INLINE void load(D4& v, const double* p) { v = *reinterpret_cast<const D4u*>(p); }
KV_LANE_INLINE void store(float* p, const F8& v) { *reinterpret_cast<F8u*>(p) = v; }
KV_LANE_INLINE void store(double* p, const D4& v) { *reinterpret_cast<D4u*>(p) = v; }

// Calls the next stretch of a table into the cache while the present one is
// summed, a few lines a step (addresses only: a prefetch never faults).
struct Ahead {
  std::uintptr_t at;
  std::uintptr_t end;
  Ahead(const SkyReal* from, const SkyReal* to)
      : at(reinterpret_cast<std::uintptr_t>(from)), end(reinterpret_cast<std::uintptr_t>(to)) {}
  template <int kLines>
  KV_LANE_INLINE void step() {
    if (at >= end) return;
    for (int l = 0; l < kLines; ++l) __builtin_prefetch(reinterpret_cast<const void*>(at + 64 * l));
    at += 64 * kLines;
  }
};

// r[k][e] becomes r[e][k]: eight terms of eight columns turned into, for each
// term, the eight columns' values side by side.
KV_LANE_INLINE void transpose8(F8 r[8]) {
  const F8 t0 = __builtin_shufflevector(r[0], r[1], 0, 8, 1, 9, 4, 12, 5, 13);
  const F8 t1 = __builtin_shufflevector(r[0], r[1], 2, 10, 3, 11, 6, 14, 7, 15);
  const F8 t2 = __builtin_shufflevector(r[2], r[3], 0, 8, 1, 9, 4, 12, 5, 13);
  const F8 t3 = __builtin_shufflevector(r[2], r[3], 2, 10, 3, 11, 6, 14, 7, 15);
  const F8 t4 = __builtin_shufflevector(r[4], r[5], 0, 8, 1, 9, 4, 12, 5, 13);
  const F8 t5 = __builtin_shufflevector(r[4], r[5], 2, 10, 3, 11, 6, 14, 7, 15);
  const F8 t6 = __builtin_shufflevector(r[6], r[7], 0, 8, 1, 9, 4, 12, 5, 13);
  const F8 t7 = __builtin_shufflevector(r[6], r[7], 2, 10, 3, 11, 6, 14, 7, 15);
  const F8 u0 = __builtin_shufflevector(t0, t2, 0, 1, 8, 9, 4, 5, 12, 13);
  const F8 u1 = __builtin_shufflevector(t0, t2, 2, 3, 10, 11, 6, 7, 14, 15);
  const F8 u2 = __builtin_shufflevector(t1, t3, 0, 1, 8, 9, 4, 5, 12, 13);
  const F8 u3 = __builtin_shufflevector(t1, t3, 2, 3, 10, 11, 6, 7, 14, 15);
  const F8 u4 = __builtin_shufflevector(t4, t6, 0, 1, 8, 9, 4, 5, 12, 13);
  const F8 u5 = __builtin_shufflevector(t4, t6, 2, 3, 10, 11, 6, 7, 14, 15);
  const F8 u6 = __builtin_shufflevector(t5, t7, 0, 1, 8, 9, 4, 5, 12, 13);
  const F8 u7 = __builtin_shufflevector(t5, t7, 2, 3, 10, 11, 6, 7, 14, 15);
  r[0] = __builtin_shufflevector(u0, u4, 0, 1, 2, 3, 8, 9, 10, 11);
  r[1] = __builtin_shufflevector(u1, u5, 0, 1, 2, 3, 8, 9, 10, 11);
  r[2] = __builtin_shufflevector(u2, u6, 0, 1, 2, 3, 8, 9, 10, 11);
  r[3] = __builtin_shufflevector(u3, u7, 0, 1, 2, 3, 8, 9, 10, 11);
  r[4] = __builtin_shufflevector(u0, u4, 4, 5, 6, 7, 12, 13, 14, 15);
  r[5] = __builtin_shufflevector(u1, u5, 4, 5, 6, 7, 12, 13, 14, 15);
  r[6] = __builtin_shufflevector(u2, u6, 4, 5, 6, 7, 12, 13, 14, 15);
  r[7] = __builtin_shufflevector(u3, u7, 4, 5, 6, 7, 12, 13, 14, 15);
}

// The same for four terms of four columns, in double.
KV_LANE_INLINE void transpose4(D4 r[4]) {
  const D4 t0 = __builtin_shufflevector(r[0], r[1], 0, 4, 2, 6);
  const D4 t1 = __builtin_shufflevector(r[0], r[1], 1, 5, 3, 7);
  const D4 t2 = __builtin_shufflevector(r[2], r[3], 0, 4, 2, 6);
  const D4 t3 = __builtin_shufflevector(r[2], r[3], 1, 5, 3, 7);
  r[0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
  r[1] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
  r[2] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
  r[3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}
#endif

#ifndef KV_LANE_INLINE
#define KV_LANE_INLINE inline
#endif

// p(i) += A(j, i) x(j), j ascending over jc1..min(i - 1, jc2) within the
// profile, for the rows i = ir1..ir2, each row one running sum. Rows are taken
// 16 or 8 at a time, their sums side by side over the columns that all of
// them take; the columns that only some take follow row by row, before and
// after, so that every row adds its terms in its own order.
constexpr int kRows = 8;

// Row i from column `from` to `to` onto s.
inline float row_sum(const SkyReal* col, int i, int from, int to, float s, const float* x) {
  for (int j = from; j <= to; ++j) s = static_cast<float>(s + col[i - j] * static_cast<SkyReal>(x[j - 1]));
  return s;
}

// Rows i0..i0 + 8 kV - 1; false, with nothing done, when the columns that all
// of them take are too few to pay.
template <int kV>
KV_LANE_INLINE bool rows_side_by_side(int i0, int jc1, int jc2, const std::int32_t* md, const SkyReal* a, float* p,
                                      const float* x, const SkyReal* limit) {
  constexpr int kL = kRows * kV;
  int lo[kL];
  int hi[kL];
  int common_lo = jc1;
  int common_hi = jc2;
  for (int b = 0; b < kL; ++b) {
    const int i = i0 + b;
    lo[b] = std::max(col_top(md, i), jc1);
    hi[b] = std::min(i - 1, jc2);
    common_lo = std::max(common_lo, lo[b]);
    common_hi = std::min(common_hi, hi[b]);
  }
  if (common_hi - common_lo < 16) return false;
  // The columns before the common ones.
  float s[kL];
  for (int b = 0; b < kL; ++b)
    s[b] = row_sum(a + col_diag(md, i0 + b), i0 + b, lo[b], common_lo - 1, p[i0 + b - 1], x);
  // The common columns: c[b][-q] = A(j, i0 + b) for j = common_lo + q.
  const SkyReal* c[kL];
  for (int b = 0; b < kL; ++b) c[b] = a + col_diag(md, i0 + b) + (i0 + b - common_lo);
  const int nq = common_hi - common_lo + 1;
  int q = 0;
#ifdef KV_LANES
  F8 acc[kV];
  for (int v = 0; v < kV; ++v) load(acc[v], s + kRows * v);
  // The next rows' columns follow these in the table, about as long.
  const SkyReal* next = a + col_diag(md, i0 + kL);
  Ahead ahead(next, next + std::min(next - (a + col_diag(md, i0)), limit - next));
  for (; q + 8 <= nq; q += 8) {
    ahead.step<kV * 4>();
    #pragma GCC unroll 8
    for (int v = 0; v < kV; ++v) {
      F8 t[8];
      // t[k][e] = A(common_lo + q + 7 - e, i0 + 8 v + k); after the turn
      // t[e][k], so t[7] holds the column common_lo + q.
      #pragma GCC unroll 8
      for (int k = 0; k < 8; ++k) load(t[k], c[kRows * v + k] - q - 7);
      transpose8(t);
      #pragma GCC unroll 8
      for (int e = 7; e >= 0; --e) {
        const float xj = x[common_lo + q + 7 - e - 1];
        const F8 xv = {xj, xj, xj, xj, xj, xj, xj, xj};
        acc[v] = acc[v] + t[e] * xv;
      }
    }
  }
  for (int v = 0; v < kV; ++v) store(s + kRows * v, acc[v]);
#else
  (void)limit;
#endif
  for (; q < nq; ++q) {
    const SkyReal xj = x[common_lo + q - 1];
    for (int b = 0; b < kL; ++b) s[b] = static_cast<float>(s[b] + c[b][-q] * xj);
  }
  // The columns after the common ones.
  for (int b = 0; b < kL; ++b)
    p[i0 + b - 1] = row_sum(a + col_diag(md, i0 + b), i0 + b, common_hi + 1, hi[b], s[b], x);
  return true;
}

KV_WIDE_VECTORS
void transposed_rows(int ir1, int ir2, int jc1, int jc2, const std::int32_t* md, const SkyReal* a, float* p,
                     const float* x) {
  const SkyReal* const limit = a + (md[ir2] - 1);  // the end of the last row's column
  for (int i0 = ir1; i0 <= ir2;) {
    const int left = ir2 - i0 + 1;
    if (left >= 2 * kRows && rows_side_by_side<2>(i0, jc1, jc2, md, a, p, x, limit)) {
      i0 += 2 * kRows;
    } else if (left >= kRows && rows_side_by_side<1>(i0, jc1, jc2, md, a, p, x, limit)) {
      i0 += kRows;
    } else {
      for (const int i1 = std::min(i0 + kRows - 1, ir2); i0 <= i1; ++i0)
        p[i0 - 1] = row_sum(a + col_diag(md, i0), i0, std::max(col_top(md, i0), jc1), std::min(i0 - 1, jc2),
                            p[i0 - 1], x);
    }
  }
}
void product(bool transposed_part, bool lprt, bool lzero, int nstore, int n, int ir1, int ir2,
             int jc1, int jc2, const std::int32_t* md, const SkyReal* a, float* p, const float* x) {
  if (lprt) {
    fio::write(6, "(/,2X,A)",
               transposed_part ? "TRIANGULAR MULTIPLACATION" : "UPPER TRIANGULAR MULTIPLACATION");
    fio::write(6, "(2X,' IR1:',I5,' IR2:',I5,' JC1:',I5,' JC2:',I5,' N:',I5)", ir1, ir2, jc1, jc2, n);
    base::skyprt(a, md, n, nstore, "MATRIX A ");
  }
  if (lzero)
    for (int i = ir1; i <= ir2; ++i) p[i - 1] = 0.0f;
  // Upper part by columns, the diagonal included.
  for (int j = jc1; j <= jc2; ++j) {
    const SkyReal* col = a + col_diag(md, j);
    const SkyReal xj = x[j - 1];
    const int ilast = std::min(j, ir2);
    const int ifirst = std::max(col_top(md, j), ir1);
    // p(i) += A(i, j) x(j) for i = ifirst..ilast, that is m = j - i from j - ilast up.
    if (ifirst <= ilast) detail::update_reversed<false>(p + (j - 1), col, xj, j - ilast, j - ifirst);
  }
  // Transposed part by rows: A(i, j) = A(j, i) for j < i, stored in column i.
  if (transposed_part) transposed_rows(ir1, ir2, jc1, jc2, md, a, p, x);
  if (lprt) {
    const std::string_view fmt = transposed_part
                                     ? "(2X,'DOF:',I6,'  X(DOF)',1PE14.5,' A*X=P(DOF):',E14.5)"
                                     : "(2X,'DOF:',I6,'  X(DOF)',1PE14.5,'  A*X=P(DOF):',E14.5)";
    for (int i = ir1; i <= ir2; ++i) fio::write(6, fmt, i, x[i - 1], p[i - 1]);
    fio::write_list(6);
  }
}

// Columns j0..j0 + kCols - 1 of the double product. Each column's rows above
// the block that not all of them store, column after column; then the rows
// above the block that all of them store, four rows of p and the columns'
// sums side by side; then the rows inside the block, column after column.
// Every p(i) still takes its terms in ascending column order (its own sum, at
// its column, among them) and every column sums its rows in ascending order,
// so the values are those of one column at a time.
template <int kCols>
KV_LANE_INLINE void double_columns(int j0, int lo, const std::int32_t* mdiag, const SkyReal* a, const double* x,
                                   double* p, double f, const SkyReal* limit) {
  const SkyReal* col[kCols];
  int top[kCols];
  double fx[kCols];
  double s[kCols];
  int common = lo;
  for (int b = 0; b < kCols; ++b) {
    const int j = j0 + b;
    col[b] = a + col_diag(mdiag, j);
    top[b] = std::max(col_top(mdiag, j), lo);
    common = std::max(common, top[b]);
    fx[b] = f * x[j - 1];
    s[b] = static_cast<double>(col[b][0]) * x[j - 1];
  }
  const int head_end = std::min(common, j0);  // rows before it: not stored by all
  for (int b = 0; b < kCols; ++b)
    for (int i = top[b]; i < head_end; ++i) {
      const double aij = col[b][j0 + b - i];
      p[i - 1] += aij * fx[b];
      s[b] += aij * x[i - 1];
    }
  int i = common;
#ifdef KV_LANES
  constexpr int kG = kCols / 4;
  D4 sv[kG];
  for (int g = 0; g < kG; ++g) load(sv[g], s + 4 * g);
  // The next columns' terms called in from memory while these are summed.
  const SkyReal* next = a + col_diag(mdiag, j0 + kCols);
  Ahead ahead(next, next + std::min(next - col[0], limit - next));
  for (; i + 3 < j0; i += 4) {
    ahead.step<kCols / 4 + 1>();
    // The four rows of p last first, as the columns hold them.
    D4 pv;
    load(pv, p + i - 1);
    pv = __builtin_shufflevector(pv, pv, 3, 2, 1, 0);
    #pragma GCC unroll 8
    for (int g = 0; g < kG; ++g) {
      D4 t[4];
      // t[k][e] = A(i + 3 - e, j0 + 4 g + k).
      #pragma GCC unroll 8
      for (int k = 0; k < 4; ++k) {
        F4 v;
        load(v, col[4 * g + k] + (j0 + 4 * g + k - i - 3));
        t[k] = __builtin_convertvector(v, D4);
      }
      #pragma GCC unroll 8
      for (int k = 0; k < 4; ++k) {
        const double fk = fx[4 * g + k];
        pv = pv + t[k] * D4{fk, fk, fk, fk};
      }
      transpose4(t);  // t[e][k]
      #pragma GCC unroll 8
      for (int e = 3; e >= 0; --e) {
        const double xi = x[i + 3 - e - 1];
        sv[g] = sv[g] + t[e] * D4{xi, xi, xi, xi};
      }
    }
    store(p + i - 1, __builtin_shufflevector(pv, pv, 3, 2, 1, 0));
  }
  for (int g = 0; g < kG; ++g) store(s + 4 * g, sv[g]);
#else
  (void)limit;
#endif
  for (; i < j0; ++i) {
    const double xi = x[i - 1];
    double pi = p[i - 1];
    for (int b = 0; b < kCols; ++b) {
      const double aij = col[b][j0 + b - i];
      pi += aij * fx[b];
      s[b] += aij * xi;
    }
    p[i - 1] = pi;
  }
  for (int b = 0; b < kCols; ++b) {
    const int j = j0 + b;
    for (int r = std::max(top[b], j0); r < j; ++r) {
      const double aij = col[b][j - r];
      p[r - 1] += aij * fx[b];
      s[b] += aij * x[r - 1];
    }
    p[j - 1] += f * s[b];
  }
}

// Columns kL = 8 kV at a time over the rows that all of them store, their
// sums side by side; each column's remaining rows below follow on its own.
// False, with nothing done, when those rows are too few to pay.
inline float column_sum_descending(int j, int from, int lo, const std::int32_t* md, const SkyReal* a, const float* x,
                                   float f, float s) {
  const SkyReal* col = a + col_diag(md, j);
  for (int i = from; i >= std::max(lo, col_top(md, j)); --i) s = s + static_cast<float>(col[j - i]) * x[i - 1] * f;
  return s;
}

template <int kV>
KV_LANE_INLINE bool columns_side_by_side(int j0, int lo, int hi, const std::int32_t* md, const SkyReal* a, float* r,
                                         const float* x, float f) {
  constexpr int kL = kRows * kV;
  int common = lo;
  for (int b = 0; b < kL; ++b) common = std::max(common, col_top(md, j0 + b));
  if (hi - common < 16) return false;
  const SkyReal* c[kL];
  for (int b = 0; b < kL; ++b) c[b] = a + col_diag(md, j0 + b) + (j0 + b - hi);  // c[b][q] = A(hi - q, j)
  float s[kL];
  for (int b = 0; b < kL; ++b) s[b] = r[j0 + b - 1];
  const int nq = hi - common + 1;
  int q = 0;
#ifdef KV_LANES
  F8 acc[kV];
  for (int v = 0; v < kV; ++v) load(acc[v], s + kRows * v);
  const F8 fv = {f, f, f, f, f, f, f, f};
  for (; q + 8 <= nq; q += 8) {
    #pragma GCC unroll 8
    for (int v = 0; v < kV; ++v) {
      F8 t[8];
      #pragma GCC unroll 8
      for (int k = 0; k < 8; ++k) load(t[k], c[kRows * v + k] + q);  // t[k][e] = A(hi - q - e, j0 + 8 v + k)
      transpose8(t);                                                      // t[e][k]
      #pragma GCC unroll 8
      for (int e = 0; e < 8; ++e) {
        const float xi = x[hi - q - e - 1];
        const F8 xv = {xi, xi, xi, xi, xi, xi, xi, xi};
        acc[v] = acc[v] + t[e] * xv * fv;
      }
    }
  }
  for (int v = 0; v < kV; ++v) store(s + kRows * v, acc[v]);
#endif
  for (; q < nq; ++q) {
    const float xi = x[hi - q - 1];
    for (int b = 0; b < kL; ++b) s[b] = s[b] + static_cast<float>(c[b][q]) * xi * f;
  }
  for (int b = 0; b < kL; ++b) r[j0 + b - 1] = column_sum_descending(j0 + b, hi - nq, lo, md, a, x, f, s[b]);
  return true;
}

KV_WIDE_VECTORS
void double_product(int lo, int hi, const std::int32_t* mdiag, const SkyReal* a, const double* x, double* p,
                    double f) {
  const SkyReal* const limit = a + (mdiag[hi] - 1);  // the end of the last column
  int j0 = lo;
  for (; j0 + 7 <= hi; j0 += 8) double_columns<8>(j0, lo, mdiag, a, x, p, f, limit);
  for (; j0 + 3 <= hi; j0 += 4) double_columns<4>(j0, lo, mdiag, a, x, p, f, limit);
  for (int j = j0; j <= hi; ++j) {
    const SkyReal* col = a + col_diag(mdiag, j);
    const double fxj = f * x[j - 1];
    double pj = static_cast<double>(col[0]) * x[j - 1];
    for (int i = std::max(col_top(mdiag, j), lo); i < j; ++i) {
      const double aij = col[j - i];
      p[i - 1] += aij * fxj;
      pj += aij * x[i - 1];
    }
    p[j - 1] += f * pj;
  }
}

KV_WIDE_VECTORS
void column_sums(int j1, int j2, int lo, int hi, const std::int32_t* md, const SkyReal* a, float* r, const float* x,
                 float f) {
  for (int j0 = j1; j0 <= j2;) {
    const int left = j2 - j0 + 1;
    if (left >= 2 * kRows && columns_side_by_side<2>(j0, lo, hi, md, a, r, x, f)) {
      j0 += 2 * kRows;
    } else if (left >= kRows && columns_side_by_side<1>(j0, lo, hi, md, a, r, x, f)) {
      j0 += kRows;
    } else {
      for (const int j = std::min(j0 + kRows - 1, j2); j0 <= j; ++j0)
        r[j0 - 1] = column_sum_descending(j0, hi, lo, md, a, x, f, r[j0 - 1]);
    }
  }
}

}  // namespace

void skymul(bool lprt, bool lzero, int nstore, int n, int ir1, int ir2, int jc1, int jc2,
            const std::int32_t* mdiag, const SkyReal* a, float* p, const float* x) {
  product(true, lprt, lzero, nstore, n, ir1, ir2, jc1, jc2, mdiag, a, p, x);
}

void skymuu(bool lprt, bool lzero, int nstore, int n, int ir1, int ir2, int jc1, int jc2,
            const std::int32_t* mdiag, const SkyReal* a, float* p, const float* x) {
  product(false, lprt, lzero, nstore, n, ir1, ir2, jc1, jc2, mdiag, a, p, x);
}

void skymul_double(int lo, int hi, const std::int32_t* mdiag, const SkyReal* a, const double* x, double* p,
                   double f) {
  double_product(lo, hi, mdiag, a, x, p, f);
}

void add_column_sums_descending(int j1, int j2, int lo, int hi, const std::int32_t* md, const SkyReal* a, float* r,
                                const float* x, float f) {
  column_sums(j1, j2, lo, hi, md, a, r, x, f);
}

void skymul(bool lprt, bool lzero, int nstore, int n, int ir1, int ir2, int jc1, int jc2,
            std::int64_t mdiag, std::int64_t a, std::int64_t p, std::int64_t x) {
  skymul(lprt, lzero, nstore, n, ir1, ir2, jc1, jc2, kv::iptr(mdiag), kv::skyptr(a), kv::rptr(p),
         kv::rptr(x));
}

void skymuu(bool lprt, bool lzero, int nstore, int n, int ir1, int ir2, int jc1, int jc2,
            std::int64_t mdiag, std::int64_t a, std::int64_t p, std::int64_t x) {
  skymuu(lprt, lzero, nstore, n, ir1, ir2, jc1, jc2, kv::iptr(mdiag), kv::skyptr(a), kv::rptr(p),
         kv::rptr(x));
}

}  // namespace solvers
