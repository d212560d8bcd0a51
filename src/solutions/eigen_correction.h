// The eigen stage's correction in double precision. The float eigen-solution of
// the dense free block loses up to tens of per cent on stiff structures (the
// ratio of the largest to the smallest eigenvalue times the float rounding of
// each stage); this stage takes its lowest modes, improves them by one step of
// inverse iteration against the element stiffnesses and projects the two
// matrices on them in double (Rayleigh-Ritz).
#pragma once

namespace solutions {

enum class EigenKind {
  frequencies = 1,  // stiffness against mass
  buckling = 2,     // stiffness against the separate geometric stiffness
};

// Call after the float eigen-solution of the condensed free block, in this
// state of the model:
//  - the stiffness formed by FORM option 1 and reduced in place over the
//    condensed equations 1..NCOND (MSOLL option 1; nothing when NCOND = 0),
//    its free block not reduced further;
//  - for buckling the separate geometric stiffness formed by FORM option 2
//    (reduced with the stiffness when KGCOND); for frequencies the global mass
//    (reduced with the stiffness when MCOND; this stage assembles its own copy
//    of the lumped masses then);
//  - eig: NFREE eigenvalues ascending, vec: NFREE x NFREE, column m the
//    eigenvector of eig[m] over the free equations (as EIGGEN leaves them).
// The stage reserves its tables at IZ (they show in the memory box), reduces
// the free block of the stiffness too (its condensed rows, which the mode
// shapes need, are not touched) and replaces eig[0..neig-1] and the first neig
// columns of vec by the corrected eigenvalues and eigenvectors, each vector
// divided by its largest magnitude with the sign of the float vector.
// The caller gets back false when nothing could be corrected (a zero pivot of
// the free block, a projected problem that is not definite or not finite):
// eig and vec then hold the float results unchanged.
//
// nbasis: how many columns of vec hold vectors (0: all NFREE, as EIGGEN
// leaves them). The projection takes up to max(2 NEIG, NEIG + 8) of them;
// with fewer it takes two steps of inverse iteration instead of one.
//
// The response-spectrum solution calls it once per solution on the modes as
// its eigen-solution file holds them (nbasis = neig), so that a solution that
// computes and writes the file and one that reads it print the same modes.
bool correct_eigenpairs(EigenKind kind, int neig, float* eig, float* vec, int nbasis = 0);

}  // namespace solutions
