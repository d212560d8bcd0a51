#include "solvers/skyline_products.h"

#include <algorithm>
#include <string_view>

#include "base/matrix_print.h"
#include "fio/fio.h"
#include "solvers/skyline_elimination.h"

namespace solvers {

namespace {

using detail::col_diag;
using detail::col_top;
using kv::SkyReal;

// p(i) += A(j, i) x(j), j ascending over jc1..min(i - 1, jc2) within the
// profile, for the rows i = ir1..ir2, each row one running sum. Rows are taken
// kRows at a time, their sums side by side over the columns that all of them
// take; the columns that only some take follow row by row, before and after,
// so that every row adds its terms in its own order.
constexpr int kRows = 8;

void transposed_rows(int ir1, int ir2, int jc1, int jc2, const std::int32_t* md, const SkyReal* a, float* p,
                     const float* x) {
  for (int i0 = ir1; i0 <= ir2; i0 += kRows) {
    const int nb = std::min(kRows, ir2 - i0 + 1);
    int lo[kRows];
    int hi[kRows];
    int common_lo = jc1;
    int common_hi = jc2;
    for (int b = 0; b < nb; ++b) {
      const int i = i0 + b;
      lo[b] = std::max(col_top(md, i), jc1);
      hi[b] = std::min(i - 1, jc2);
      common_lo = std::max(common_lo, lo[b]);
      common_hi = std::min(common_hi, hi[b]);
    }
    if (nb < kRows || common_hi - common_lo < 16) {
      for (int b = 0; b < nb; ++b) {
        const int i = i0 + b;
        const SkyReal* col = a + col_diag(md, i);
        float s = p[i - 1];
        for (int j = lo[b]; j <= hi[b]; ++j) s = static_cast<float>(s + col[i - j] * static_cast<SkyReal>(x[j - 1]));
        p[i - 1] = s;
      }
      continue;
    }
    float s[kRows];
    // The columns before the common ones.
    for (int b = 0; b < kRows; ++b) {
      const int i = i0 + b;
      const SkyReal* col = a + col_diag(md, i);
      float v = p[i - 1];
      for (int j = lo[b]; j < common_lo; ++j) v = static_cast<float>(v + col[i - j] * static_cast<SkyReal>(x[j - 1]));
      s[b] = v;
    }
    // The common columns, the eight sums side by side (c_b[-q] = A(j, i0 + b)
    // for j = common_lo + q).
    const SkyReal* c0 = a + col_diag(md, i0) + (i0 - common_lo);
    const SkyReal* c1 = a + col_diag(md, i0 + 1) + (i0 + 1 - common_lo);
    const SkyReal* c2 = a + col_diag(md, i0 + 2) + (i0 + 2 - common_lo);
    const SkyReal* c3 = a + col_diag(md, i0 + 3) + (i0 + 3 - common_lo);
    const SkyReal* c4 = a + col_diag(md, i0 + 4) + (i0 + 4 - common_lo);
    const SkyReal* c5 = a + col_diag(md, i0 + 5) + (i0 + 5 - common_lo);
    const SkyReal* c6 = a + col_diag(md, i0 + 6) + (i0 + 6 - common_lo);
    const SkyReal* c7 = a + col_diag(md, i0 + 7) + (i0 + 7 - common_lo);
    float s0 = s[0], s1 = s[1], s2 = s[2], s3 = s[3], s4 = s[4], s5 = s[5], s6 = s[6], s7 = s[7];
    for (int q = 0, j = common_lo; j <= common_hi; ++q, ++j) {
      const SkyReal xj = x[j - 1];
      s0 = static_cast<float>(s0 + c0[-q] * xj);
      s1 = static_cast<float>(s1 + c1[-q] * xj);
      s2 = static_cast<float>(s2 + c2[-q] * xj);
      s3 = static_cast<float>(s3 + c3[-q] * xj);
      s4 = static_cast<float>(s4 + c4[-q] * xj);
      s5 = static_cast<float>(s5 + c5[-q] * xj);
      s6 = static_cast<float>(s6 + c6[-q] * xj);
      s7 = static_cast<float>(s7 + c7[-q] * xj);
    }
    s[0] = s0, s[1] = s1, s[2] = s2, s[3] = s3, s[4] = s4, s[5] = s5, s[6] = s6, s[7] = s7;
    // The columns after the common ones.
    for (int b = 0; b < kRows; ++b) {
      const int i = i0 + b;
      const SkyReal* col = a + col_diag(md, i);
      float v = s[b];
      for (int j = common_hi + 1; j <= hi[b]; ++j) v = static_cast<float>(v + col[i - j] * static_cast<SkyReal>(x[j - 1]));
      p[i - 1] = v;
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

}  // namespace

void skymul(bool lprt, bool lzero, int nstore, int n, int ir1, int ir2, int jc1, int jc2,
            const std::int32_t* mdiag, const SkyReal* a, float* p, const float* x) {
  product(true, lprt, lzero, nstore, n, ir1, ir2, jc1, jc2, mdiag, a, p, x);
}

void skymuu(bool lprt, bool lzero, int nstore, int n, int ir1, int ir2, int jc1, int jc2,
            const std::int32_t* mdiag, const SkyReal* a, float* p, const float* x) {
  product(false, lprt, lzero, nstore, n, ir1, ir2, jc1, jc2, mdiag, a, p, x);
}

// Columns four at a time: each column's rows above the block that not all
// four store, column after column; then the rows above the block that all
// four store, the four sums side by side; then the rows inside the block,
// column after column. Every p(i) still takes its terms in ascending column
// order (its own sum, at its column, among them) and every column sums its
// rows in ascending order, so the values are those of one column at a time.
void skymul_double(int lo, int hi, const std::int32_t* mdiag, const SkyReal* a, const double* x, double* p,
                   double f) {
  constexpr int kCols = 4;
  int j0 = lo;
  for (; j0 + kCols - 1 <= hi; j0 += kCols) {
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
    const int head_end = std::min(common, j0);  // rows before it: not stored by all four
    for (int b = 0; b < kCols; ++b)
      for (int i = top[b]; i < head_end; ++i) {
        const double aij = col[b][j0 + b - i];
        p[i - 1] += aij * fx[b];
        s[b] += aij * x[i - 1];
      }
    double s0 = s[0], s1 = s[1], s2 = s[2], s3 = s[3];
    for (int i = common; i < j0; ++i) {
      const double xi = x[i - 1];
      const double a0 = col[0][j0 - i], a1 = col[1][j0 + 1 - i], a2 = col[2][j0 + 2 - i], a3 = col[3][j0 + 3 - i];
      double pi = p[i - 1];
      pi += a0 * fx[0];
      pi += a1 * fx[1];
      pi += a2 * fx[2];
      pi += a3 * fx[3];
      p[i - 1] = pi;
      s0 += a0 * xi;
      s1 += a1 * xi;
      s2 += a2 * xi;
      s3 += a3 * xi;
    }
    s[0] = s0, s[1] = s1, s[2] = s2, s[3] = s3;
    for (int b = 0; b < kCols; ++b) {
      const int j = j0 + b;
      for (int i = std::max(top[b], j0); i < j; ++i) {
        const double aij = col[b][j - i];
        p[i - 1] += aij * fx[b];
        s[b] += aij * x[i - 1];
      }
      p[j - 1] += f * s[b];
    }
  }
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

// Columns kRows at a time over the rows that all of them store, their sums
// side by side; each column's remaining rows below follow on its own.
void add_column_sums_descending(int j1, int j2, int lo, int hi, const std::int32_t* md, const SkyReal* a, float* r,
                                const float* x, float f) {
  const auto one = [&](int j, int from, float s) {
    const SkyReal* col = a + col_diag(md, j);
    for (int i = from; i >= std::max(lo, col_top(md, j)); --i)
      s = s + static_cast<float>(col[j - i]) * x[i - 1] * f;
    return s;
  };
  int j0 = j1;
  for (; j0 + kRows - 1 <= j2; j0 += kRows) {
    int common = lo;
    for (int b = 0; b < kRows; ++b) common = std::max(common, col_top(md, j0 + b));
    if (hi - common < 16) break;
    const SkyReal* c[kRows];
    for (int b = 0; b < kRows; ++b) c[b] = a + col_diag(md, j0 + b) + (j0 + b - hi);  // c[b][q] = A(hi - q, j)
    float s0 = r[j0 - 1], s1 = r[j0], s2 = r[j0 + 1], s3 = r[j0 + 2];
    float s4 = r[j0 + 3], s5 = r[j0 + 4], s6 = r[j0 + 5], s7 = r[j0 + 6];
    for (int q = 0, i = hi; i >= common; ++q, --i) {
      const float xi = x[i - 1];
      s0 = s0 + static_cast<float>(c[0][q]) * xi * f;
      s1 = s1 + static_cast<float>(c[1][q]) * xi * f;
      s2 = s2 + static_cast<float>(c[2][q]) * xi * f;
      s3 = s3 + static_cast<float>(c[3][q]) * xi * f;
      s4 = s4 + static_cast<float>(c[4][q]) * xi * f;
      s5 = s5 + static_cast<float>(c[5][q]) * xi * f;
      s6 = s6 + static_cast<float>(c[6][q]) * xi * f;
      s7 = s7 + static_cast<float>(c[7][q]) * xi * f;
    }
    const float s[kRows] = {s0, s1, s2, s3, s4, s5, s6, s7};
    for (int b = 0; b < kRows; ++b) r[j0 + b - 1] = one(j0 + b, common - 1, s[b]);
  }
  for (int j = j0; j <= j2; ++j) r[j - 1] = one(j, hi, r[j - 1]);
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
