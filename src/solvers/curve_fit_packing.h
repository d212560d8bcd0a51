// SKY2: the dense normal equations of a least-squares curve fit (ASAT, order n,
// column-major with leading dimension lda, upper triangle read) packed into
// skyline storage for GAUSS: each column from its diagonal up to its first
// non-zero term, zeros inside that height stored.
#pragma once

#include <cstdint>

namespace solvers {

// s must hold n(n+1)/2 terms, the most a packing can store, so no capacity is
// passed; mdiag points at MDIAG(1) (n + 1 entries). The
// caller gets back true with mdiag complete and nterms = MDIAG(N+1) - 1. A
// diagonal term of exactly 0.0 prints "THE ASAT ", j, "TH DIAGONAL TERM ARE
// ZERO - CURVE FITTING SOLUTION ABORTED FROM SKY2" and returns false: the fit
// is abandoned (MDIAG(N+1) and nterms are then 0, so GAUSS would refuse them).
bool sky2(const float* asat, int lda, int n, float* s, std::int32_t* mdiag, std::int32_t& nterms);

}  // namespace solvers
