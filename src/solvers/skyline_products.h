// Products of a symmetric skyline matrix with a vector over a block of rows
// IR1..IR2 and columns JC1..JC2: SKYMUL with the full symmetric matrix (each
// stored off-diagonal term read once for (i, j) and once for (j, i)), SKYMUU
// with the stored upper triangle only. Terms outside the profile are zero and
// are not visited; rows of p outside IR1..IR2 are not touched.
//
// mdiag points at MDIAG(1), a at the term stored at position 1 (kv::SkyReal);
// p and x at P(1) and X(1) (REAL). With lzero, P(IR1..IR2) starts from 0.0,
// otherwise the product is added to it. With lprt the trace and the result
// lines are printed on unit 6.
#pragma once

#include <cstdint>

#include "base/work_array.h"

namespace solvers {

void skymul(bool lprt, bool lzero, int nstore, int n, int ir1, int ir2, int jc1, int jc2,
            const std::int32_t* mdiag, const kv::SkyReal* a, float* p, const float* x);
void skymuu(bool lprt, bool lzero, int nstore, int n, int ir1, int ir2, int jc1, int jc2,
            const std::int32_t* mdiag, const kv::SkyReal* a, float* p, const float* x);

// p += f A x over the rows and columns lo..hi of the full symmetric matrix,
// the products accumulated in double (the corrections of the solutions take
// their residuals with it). p and x hold equation e at [e-1].
void skymul_double(int lo, int hi, const std::int32_t* mdiag, const kv::SkyReal* a, const double* x, double* p,
                   double f = 1.0);

// r(j) += A(i, j) x(i) f for the columns j = j1..j2 over their stored rows
// i = hi down to max(column top, lo), hi below j1: each column one running
// float sum, its rows in descending order (the reactions of restrained
// equations from the displacements of the solved ones). r and x hold equation
// e at [e-1].
void add_column_sums_descending(int j1, int j2, int lo, int hi, const std::int32_t* mdiag, const kv::SkyReal* a,
                                float* r, const float* x, float f);

// The same on work-array tables (ZMATRX indices of each table's first word).
void skymul(bool lprt, bool lzero, int nstore, int n, int ir1, int ir2, int jc1, int jc2,
            std::int64_t mdiag, std::int64_t a, std::int64_t p, std::int64_t x);
void skymuu(bool lprt, bool lzero, int nstore, int n, int ir1, int ir2, int jc1, int jc2,
            std::int64_t mdiag, std::int64_t a, std::int64_t p, std::int64_t x);

}  // namespace solvers
