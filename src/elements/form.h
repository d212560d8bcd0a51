// Global stiffness formation and the skyline assembly step.
#pragma once

#include <cstdint>

#include "base/work_array.h"

namespace elements {

// ADDSKY: adds factor * EK (packed upper triangle of order n, column j from
// np[j]) into the skyline matrix gk (diagonal addresses mdiag) through the
// location vector lm. All arrays are 1-based views (x[1] is the first word).
// Two equal LM entries i != j put the off-diagonal term on the diagonal twice,
// which is the true sum of the symmetric matrix. A term above its column's
// top in the profile is never written outside it: the caller gets back the
// number of finite terms left out (a non-finite one goes on the diagonal).
int addsky(kv::SkyReal* gk, const std::int32_t* mdiag, int neq, int nstore, const float* ek,
           const int* np, int n, int npend, const std::int32_t* lm, float factor);

// FORM: option 2 forms the separate global geometric stiffness, any other
// option the global stiffness (with the geometric-stiffness options of KGDATA).
void form(int iopt);

}  // namespace elements
