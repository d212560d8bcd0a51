// EIGGEN: all eigenpairs of the dense symmetric generalized problem
// A x = lambda B x, B positive definite, in REAL arithmetic: the Cholesky
// reduction to standard form (CHOLRD), cyclic Jacobi with thresholds (JACROT),
// back-transformation with each vector scaled to a largest component of
// magnitude 1 (EIGBAK), and a sort by ascending eigenvalue. That component is
// +1 or -1 as the rotations leave it: a caller that wants a sign convention
// (say, the largest component positive) applies it itself.
//
// Dense arrays are column-major with leading dimension n: A(i, j) is
// a[(i-1) + (j-1)*n]. Only the upper triangles of A and B are read; both are
// overwritten.
#pragma once

#include <cstdint>

namespace solvers {

enum class EigenStatus {
  ok,
  not_positive_definite,  // B failed the Cholesky factorisation: no results
  not_converged,          // Jacobi hit its sweep limit: the warning was printed
  not_finite,             // a term of A or B, or a value formed from them, is Infinity or NaN: no results
};

struct EigenResult {
  EigenStatus status = EigenStatus::ok;
  int row = 0;        // not_positive_definite: the row whose pivot was not positive
  float piv = 0.0f;   // the last diagonal term formed by the factorisation
};

inline constexpr int kJacobiSweeps = 500;

// EIGGEN. On ok or not_converged, eig[0..n-1] ascending and column k of x (x[k*n
// ..]) the eigenvector of eig[k], all finite. On not_positive_definite nothing
// after the factorisation runs: eig and x are left as they were and must not be
// reported; the caller reports the failure (row and piv). On not_finite (A or B
// holds Infinity or NaN, or the reduction, the rotations or the back
// transformation overflowed) eig and x must not be reported either; row is the
// factorisation row that met a non-finite pivot, or 0. d, w1, w2: n words of
// work.
EigenResult eiggen(int n, float* a, float* b, float* eig, float* x, float* d, float* w1, float* w2);

// The same on work-array tables (ZMATRX indices of each table's first word).
EigenResult eiggen(int n, std::int64_t a, std::int64_t b, std::int64_t eig, std::int64_t x,
                   std::int64_t d, std::int64_t w1, std::int64_t w2);

// The steps, for callers and tests that need them alone.
// CHOLRD: B = L L' (strict lower of L in B's strict lower triangle, its diagonal
// in d) and C = inv(L) A inv(L') in A's lower triangle. Returns the row of the
// first pivot that is not positive or not finite, or 0; piv gets the last pivot
// formed.
int cholrd(int n, float* a, float* b, float* d, float& piv);
// JACROT: eigenvalues and vectors of the symmetric matrix in a (upper triangle
// used). False after kJacobiSweeps sweeps without convergence (warning printed).
bool jacrot(int n, float* a, float* eig, float* x, float* w1, float* w2);
// EIGBAK: x = inv(L') y for each column, scaled to a largest magnitude of 1.
void eigbak(int n, const float* b, const float* d, float* x);

}  // namespace solvers
