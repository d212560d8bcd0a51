#include "base/matrix_print.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

#include "base/input_lines.h"
#include "fio/fio.h"

namespace base {

namespace {

constexpr int kOut = 6;
constexpr int kInputUnit = 5;

// Column-major term (i, j), both 1-based.
template <class T>
T term(const T* a, int lda, int i, int j) {
  return a[static_cast<std::ptrdiff_t>(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * lda];
}

void title_lines(std::string_view title) {
  fio::write_list(kOut);
  fio::write_list(kOut, "PRINTING MATRIX: ", title);
}

template <class T>
void dump_term(int unit, int i, int j, T value, std::string_view title) {
  if (unit != 0 && value != T(0)) fio::write_list(unit, i, j, value, title);
}

template <class T>
void print_full(const T* a, int n, int m, std::string_view title, int lda, std::string_view row_fmt) {
  const int kdump = dump_unit(title);
  title_lines(title);
  std::array<int, 6> cols{};
  std::array<T, 6> vals{};
  for (int c1 = 1; c1 <= m; c1 += 6) {
    const int c2 = std::min(c1 + 5, m);
    const int nc = c2 - c1 + 1;
    if (c1 > 1) fio::write_list(kOut);
    for (int k = 0; k < nc; ++k) cols[static_cast<std::size_t>(k)] = c1 + k;
    fio::write(kOut, "(' COLUMN',T17,I5,5(:,15X,I5))",
               std::span<const int>(cols.data(), static_cast<std::size_t>(nc)));
    for (int i = 1; i <= n; ++i) {
      for (int k = 0; k < nc; ++k) {
        const T v = term(a, lda, i, c1 + k);
        vals[static_cast<std::size_t>(k)] = v;
        dump_term(kdump, i, c1 + k, v, title);
      }
      fio::write(kOut, row_fmt, i, std::span<const T>(vals.data(), static_cast<std::size_t>(nc)));
    }
  }
}

template <class T>
void print_skyline(const T* a, const std::int32_t* mdiag, int n, std::string_view title) {
  const int kdump = dump_unit(title);
  title_lines(title);
  const std::string blank_cell(20, ' ');
  std::string line;
  for (int c1 = 1; c1 <= n; c1 += 6) {
    const int c2 = std::min(c1 + 5, n);
    if (c1 > 1) fio::write_list(kOut);
    line.assign(9, ' ');
    for (int j = c1; j <= c2; ++j) {
      line += "| COLUMN";
      line += fio::format("(I5)", j);
      line += "-------";
    }
    line += '|';
    fio::write_record(kOut, line);
    // Rows below the block's last column have no term in it.
    for (int i = 1; i <= c2; ++i) {
      line = fio::format("(' ROW',I5)", i);
      bool any = false;
      for (int j = c1; j <= c2; ++j) {
        const std::int64_t pos = static_cast<std::int64_t>(mdiag[j - 1]) + j - i;
        if (i <= j && pos < mdiag[j]) {
          const T v = a[pos - 1];
          line += fio::format("(E20.6)", v);
          dump_term(kdump, i, j, v, title);
          any = true;
        } else {
          line += blank_cell;
        }
      }
      if (any) fio::write_record(kOut, line);
    }
  }
}

}  // namespace

int dump_unit(std::string_view title) {
  std::string line(title);
  int kdump = 0;
  intfld(line, "DUMP=", kdump, 0, true, false);
  // Dumping into the input file or into this report would destroy them.
  if (kdump == kInputUnit || kdump == kOut || kdump < 1 || kdump > fio::kMaxUnit) return 0;
  return kdump;
}

void skyprt(const float* a, const std::int32_t* mdiag, int n, int /*nstore*/, std::string_view title) {
  print_skyline(a, mdiag, n, title);
}
void skyprt(const double* a, const std::int32_t* mdiag, int n, int /*nstore*/, std::string_view title) {
  print_skyline(a, mdiag, n, title);
}

void prtmat(const float* a, int n, int m, std::string_view title) {
  print_full(a, n, m, title, n, "(' ROW',I4,6E20.6)");
}
void prtmat(const double* a, int n, int m, std::string_view title) {
  print_full(a, n, m, title, n, "(' ROW',I4,6E20.6)");
}

void prtmt2(const float* a, int n, int m, std::string_view title, int lda) {
  print_full(a, n, m, title, lda, "(' ROW',I4,6F20.6)");
}
void prtmt2(const double* a, int n, int m, std::string_view title, int lda) {
  print_full(a, n, m, title, lda, "(' ROW',I4,6F20.6)");
}

}  // namespace base
