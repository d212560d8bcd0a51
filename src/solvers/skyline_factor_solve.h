// Solutions in double precision with the float factors that MSOLL's reduction
// leaves in skyline storage: the corrections of the static and eigen
// solutions solve their residual equations with them. Forward reduction by
// columns (one division per equation, each column one dot product) and back
// substitution by columns, all sums in double.
#pragma once

#include <cstdint>

#include "base/work_array.h"

namespace solvers {

// x := inv(K) x for the equations 1..n of a matrix reduced over all of them
// (MSOLL option 1 over 1..n, or over 1..m and then m+1..n): column j holds the
// reduced terms U(i, j), i < j, above its pivot d_j (a at the term stored at
// position 1, mdiag at MDIAG(1)). x and z hold equation e at [e-1]; z is n
// values of work. Returns 0, or the equation of a zero pivot (x then partly
// solved).
int solve_reduced_double(int n, const kv::SkyReal* a, const std::int32_t* mdiag, double* x, double* z);

}  // namespace solvers
