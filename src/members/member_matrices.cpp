#include "members/member_matrices.h"

#include <algorithm>
#include <span>

#include "fio/fio.h"

namespace members {

void matprt(const float* a, int nrow, int ncol, int lda) {
  const int m = std::max(ncol, 0);
  for (int i = 0; i < nrow; ++i) {
    // One record per row; a row of more than six values runs on, six a line.
    float row[256];
    const int n = std::min(m, 256);
    for (int j = 0; j < n; ++j) row[j] = a[static_cast<std::int64_t>(j) * lda + i];
    fio::write(6, "(1X,6E15.5)", std::span<const float>(row, static_cast<std::size_t>(n)));
  }
  fio::write(6, "(1X,'-----------------------------------------------------')");
}

DofTable member_dof_table(int nseg) {
  DofTable t;
  t.nseg = nseg;
  const int ndof = 6 * nseg + 6;
  for (int j = 1; j <= 6; ++j) {
    t.idof[0][j - 1] = ndof - 12 + j;
    t.idof[nseg - 1][6 + j - 1] = ndof - 6 + j;
  }
  for (int i = 1; i <= nseg - 1; ++i) {
    for (int j = 1; j <= 6; ++j) t.idof[i - 1][6 + j - 1] = 6 * (i - 1) + j;
  }
  for (int i = 2; i <= nseg; ++i) {
    for (int j = 1; j <= 6; ++j) t.idof[i - 1][j - 1] = 6 * (i - 2) + j;
  }
  return t;
}

void asmseg(float* fint, int ndof, const SegTable& fglo, const DofTable& dof) {
  for (int k = 0; k < ndof; ++k) fint[k] = 0.0f;
  for (int i = 1; i <= dof.nseg; ++i) {
    for (int k = 1; k <= 12; ++k) fint[dof(i, k) - 1] += fglo(i, k);
  }
}

void hbfull(const float* a, const std::int32_t* md, int l1, int l2, float* f, int ldf, int nsky,
            bool trace) {
  auto full = [&](int r, int c) -> float& { return f[(c - 1) * ldf + (r - 1)]; };
  for (int i = l1; i <= l2; ++i) {
    for (int j = i; j >= l1; --j) {
      const int k = md[i - 1] + i - j;
      if (j == i || k < md[i]) {
        full(j - l1 + 1, i - l1 + 1) = a[k - 1];
        full(i - l1 + 1, j - l1 + 1) = a[k - 1];
      }
    }
  }
  if (trace) {
    fio::write_list(6, " CONVERT HALF STORAGE BANDED MODE TO FULL STORAGE MODE:");
    fio::write_list(6, "THE INPUT MATRIX:");
    for (int k = 0; k < nsky; ++k) fio::write(6, "(1X,F15.6)", a[k]);
    fio::write_list(6, "CONVERT ONLY TAKE PLACE FROM ", l1, " TO ", l2);
    const int n = l2 - l1 + 1;
    float row[256];
    for (int r = 1; r <= n && n <= 256; ++r) {
      for (int c = 1; c <= n; ++c) row[c - 1] = full(r, c);
      fio::write(6, "(1X,6F15.6)", std::span<const float>(row, static_cast<std::size_t>(n)));
    }
  }
}

}  // namespace members
