// MSOLL: the structure's symmetric equations K x = R in skyline storage, by
// Gauss elimination without pivoting over an equation range L1..L2. Reducing
// the first equations alone is the static condensation; the mass and the
// geometric stiffness can be carried through the same transformation.
//
// Storage (the conventions of the skyline profile): mdiag points at MDIAG(1)
// (N + 1 diagonal addresses), the matrix pointer at the term stored at position
// 1, so term (i, j), i <= j, is a[MDIAG(j) - 1 + j - i] when inside the profile.
// The global matrices and the solver's arithmetic are kv::SkyReal; the load
// columns R(LDR, NLC) and the vector W are REAL words (float).
#pragma once

#include <cstdint>

#include "base/work_array.h"

namespace solvers {

using kv::SkyReal;

enum class SolveStatus {
  ok,
  zero_pivot,        // a pivot of exactly 0.0: the boxed report was printed
  profile_mismatch,  // a carried matrix's profile does not cover the stiffness profile
  bad_profile,       // an incomplete MDIAG (after a failed ZDIAG or SKY2): nothing done
};

// MSOLL option codes; any other value acts as reduce.
enum MsollOption : int {
  kReduce = 1,          // reduce stiffness and loads (and the carried matrices)
  kReduceLoads = 2,     // reduce further load columns against the reduced stiffness
  kBackSubstitute = 3,  // back substitution: the solutions replace the loads
  kMultiply = 4,        // R(., 1) = K x from the reduced form, x in W
};

// A mass or geometric stiffness carried through option 1 when `reduce` is set.
struct CarriedMatrix {
  bool reduce = false;
  SkyReal* a = nullptr;
  const std::int32_t* mdiag = nullptr;
  std::int32_t nstore = 0;
};

// The stiffness: values k (NSTK = nstore stored terms) and its MDIAG.
struct SkylineMatrix {
  SkyReal* a = nullptr;
  const std::int32_t* mdiag = nullptr;
  std::int32_t nstore = 0;
};

// MSOLL on plain pointers. l1 and l2 are corrected in place to at least 1 and
// at most n. r holds nlc load columns of ldr rows; w is x for option 4 (the
// reduction keeps its multipliers in scratch of its own and leaves w alone).
// With lprt the trace matrices are printed.
//
// The caller gets back the status: zero_pivot after the boxed report (the
// arrays are then partly reduced), profile_mismatch after its report when a
// carried matrix would be written above one of its columns (nothing changed).
//
// The elimination works column by column (each term one dot product over two
// column profiles); it gives the reduced rows of the row-by-row form up to the
// rounding order inside those dot products.
SolveStatus msoll(int iopt, bool lprt, int n, int ldr, int nlc, int& l1, int& l2,
                  SkylineMatrix k, float* r, float* w, CarriedMatrix mass, CarriedMatrix geom);

// MSOLL option 1 over all n equations with one load column r, no trace and no
// carried matrix, for a matrix whose terms changed only from column
// first_changed on: the columns before refactored_from(first_changed) must
// hold the factors of the last reduction of the matrix (they are kept), the
// columns from it on their new terms. The results are those of a whole
// reduction, bit for bit; the status as for msoll.
SolveStatus reduce_changed(int first_changed, int n, SkylineMatrix k, float* r);
int refactored_from(int first_changed);

// MSOLL on work-array tables: every array argument is the ZMATRX index of the
// table's first word. On failure ierr is set to -1 (LOGICAL true, all bits) and
// never cleared: callers clear it before the call (they pass CONTRL(ISTOP)).
void msoll(int iopt, bool lprt, int n, int nstk, int ldr, int nlc, int& l1, int& l2,
           std::int64_t mdiag, std::int64_t sk, std::int64_t r, std::int64_t w,
           bool lmass, std::int64_t sm, std::int64_t mdiagm, int nstm,
           bool lgeom, std::int64_t sg, std::int64_t mdiagg, int nstg, std::int32_t& ierr);

}  // namespace solvers
