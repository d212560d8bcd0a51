// Matrix printers for the trace output: a skyline (profile) matrix, a full
// matrix, and a full matrix with its own leading dimension, six columns at a
// time on unit 6 under "PRINTING MATRIX: " and the title.
//
// A title holding "DUMP=" n also writes every printed non-zero term, one line
// each (row, column, value, title), to unit n. Units 5 and 6 (the input file and
// this report) and numbers outside the unit range are never dumped to.
#pragma once

#include <cstdint>
#include <string_view>

namespace base {

// SKYPRT: a points at A(1), the stored terms of a skyline matrix of order n;
// mdiag points at MDIAG(1), its n + 1 diagonal addresses. A packed element
// triangle prints through it with the packed column starts (titles().np from
// index 1) as mdiag. nstore, the storage count, is not needed for the print.
void skyprt(const float* a, const std::int32_t* mdiag, int n, int nstore, std::string_view title);
void skyprt(const double* a, const std::int32_t* mdiag, int n, int nstore, std::string_view title);

// PRTMAT: a points at A(1, 1) of A(n, m), leading dimension n; values printed
// in exponent form.
void prtmat(const float* a, int n, int m, std::string_view title);
void prtmat(const double* a, int n, int m, std::string_view title);

// PRTMT2: the first n rows and m columns of A(lda, *), values printed in fixed
// point.
void prtmt2(const float* a, int n, int m, std::string_view title, int lda);
void prtmt2(const double* a, int n, int m, std::string_view title, int lda);

// The unit a title's "DUMP=" n selects, 0 when the title dumps nowhere.
int dump_unit(std::string_view title);

}  // namespace base
