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
    for (int i = std::max(col_top(md, j), ir1); i <= ilast; ++i)
      p[i - 1] = static_cast<float>(p[i - 1] + col[j - i] * xj);
  }
  // Transposed part by rows: A(i, j) = A(j, i) for j < i, stored in column i.
  if (transposed_part) {
    for (int i = ir1; i <= ir2; ++i) {
      const SkyReal* col = a + col_diag(md, i);
      const int jlast = std::min(i - 1, jc2);
      for (int j = std::max(col_top(md, i), jc1); j <= jlast; ++j)
        p[i - 1] = static_cast<float>(p[i - 1] + col[i - j] * static_cast<SkyReal>(x[j - 1]));
    }
  }
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

void skymul_double(int lo, int hi, const std::int32_t* mdiag, const SkyReal* a, const double* x, double* p,
                   double f) {
  for (int j = lo; j <= hi; ++j) {
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
