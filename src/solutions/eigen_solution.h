// "SOL" 3: natural frequencies (stiffness against mass) or elastic buckling
// loads (stiffness against geometric stiffness) of the structure on its free
// equations, after static condensation of the condensed ones.
#pragma once

#include <cstdint>

namespace solutions {

// The tables an eigen-solution reserves at IZ, in this order (ZMATRX indices).
struct EigenTables {
  std::int64_t eig = 0;  // NFREE eigenvalues, ascending; periods after a "FREQ" report
  std::int64_t vec = 0;  // NFREE x NFREE, column m the eigenvector of mode m
  std::int64_t a = 0;    // NFREE x NFREE dense free block of the (condensed) stiffness
  std::int64_t b = 0;    // NFREE x NFREE dense free block of the mass or geometric stiffness
  std::int64_t w1 = 0;   // NFREE words of solver work
  std::int64_t w2 = 0;   // NEQ words: the condensation's zero load column, then solver work
};

// SOL03: sets ELASTC, reserves the tables, checks the NEQ words of the mode
// vector above IZ, rebuilds the global mass from the lumped masses (an earlier
// condensation may have reduced it in place) and runs EIGSOL.
void sol03();

// EIGSOL: reads the record (option word, NEIG, NVEC) from unit 5, forms the
// matrices, condenses, solves the dense problem and prints the eigenvalue
// tables and the mode shapes on unit 6 (trace letter C: mode m also on unit
// 10 + m). A zero pivot or a matrix B that is not positive definite sets bit 0
// of ISTOP; a missing mass or geometric stiffness, an invalid option or a
// non-positive diagonal term ends the solution with its message only.
void eigsol(const EigenTables& t);

}  // namespace solutions
