// The member equation solver: small symmetric systems of the segmented members
// and of the curve fit. ZDIAG packs a dense member stiffness into skyline
// storage, GAUSS reduces, solves and multiplies over an equation range (the
// elimination of MSOLL without carried matrices, plus a back substitution into
// a separate vector), CNORM measures a displacement correction.
//
// Arrays are REAL (float) and 1-based through 0-based pointers: a dense A(i, j)
// is a[(i-1) + (j-1)*lda]; mdiag points at MDIAG(1); sk at the term stored at
// position 1; r at R(1, 1) with leading dimension ldr; w, idof at their first entry.
// The declared column counts that the member rules pass along (NCOL of ZDIAG
// and GAUSS, the three of CNORM) size nothing here and are not taken.
#pragma once

#include <cstdint>

#include "solvers/skyline_solver.h"

namespace solvers {

// ZDIAG: the upper triangle of the dense A (order n) into sk / mdiag / nstk,
// each column from its diagonal up to its first non-zero term (zeros inside
// that height are stored). sk must hold n(n+1)/2 terms. A zero diagonal term
// prints "THE STIFFNESS ", j, "TH DIAGONAL TERM ARE ZERO - SOLUTION ABORTED"
// and returns false; MDIAG(N+1) and nstk are then 0, so that a later GAUSS on
// the incomplete profile does nothing instead of reading it.
bool zdiag(const float* a, int lda, int n, float* sk, std::int32_t* mdiag, std::int32_t& nstk);

// GAUSS option codes; any value outside 1-5 acts as reduce.
enum GaussOption : int {
  kGaussReduce = 1,
  kGaussReduceLoads = 2,
  kGaussBackSubstitute = 3,
  kGaussMultiply = 4,
  kGaussSolveIntoW = 5,  // back substitution into w over l1..l2, w outside them given
};

// GAUSS. l1 and l2 are corrected in place (at least 1, at most n). The caller
// gets back zero_pivot after the boxed report (arrays partly reduced), or
// bad_profile when mdiag is not a complete profile of at most nstk terms (after
// a failed ZDIAG or SKY2): then nothing is read or written.
SolveStatus gauss(int iopt, bool lprt, int n, int nstk, int ldr, int nlc, int& l1, int& l2,
                  const std::int32_t* mdiag, float* sk, float* r, float* w);

// CNORM: option 2 measures ya against the maxima of xa, option 1 (any value but
// 2) yb against xb and also forms the energy ya' A ya. Terms of A below 1.0E-7
// in magnitude are zeroed in the caller's array first. idof[i] is 0 for a
// translation, anything else for a rotation. The caller gets back dnorm, and
// energy with option 1 (option 2 leaves it as it was). n is not limited.
void cnorm(int iopt, const float* xa, const float* xb, const float* ya, const float* yb,
           float* a, int lda, int n, const std::int32_t* idof, float& dnorm, float& energy);

}  // namespace solvers
