// Skyline (profile) storage of the symmetric global matrices: building the
// profile, forming the global lumped mass, and merging profiles over a block of
// equations.
//
// MDIAG has NEQ + 1 entries. Between SKYLIN options 1 and 3 entry j holds the top
// row of column j; after option 3 it holds the position of the diagonal term
// (j, j), term (i, j), i <= j, lying at MDIAG(j) + j - i while that is below
// MDIAG(j + 1). Pointers named mdiag point at MDIAG(1).
#pragma once

#include <cstdint>
#include <string_view>

namespace solvers {

enum SkylinOption : int {
  kSkyStart = 1,      // diagonal-only profile (tops)
  kSkyWiden = 2,      // widen with one element's location vector and matrix
  kSkyAddresses = 3,  // tops to diagonal addresses, traces and profile picture
};

// SKYLIN. lm points at LM(1) and ke at the packed element matrix (column j from
// NP(j) upward), both read by option 2 only; nd is the element order. With
// allterms, zero element terms widen the profile too. name is the matrix name
// of the reports. Trace letter M lists the tops and addresses; letters J or M
// print the profile picture at option 3.
void skylin(bool allterms, int iopt, int neq, std::int32_t* mdiag, int nd,
            const std::int32_t* lm, const float* ke, std::string_view name);

// Where SKYASM left the mass it formed (all 0 when no mass was formed).
struct MassMatrix {
  std::int64_t mdiag = 0;   // ZMATRX index of MDIAG(1) of the mass
  std::int64_t values = 0;  // ZMATRX index of the first mass term
  std::int64_t lumrec = 0;  // ZMATRX index of the lumped-mass records, 12 words each
  int nmass = 0;            // lumped-mass records read
};

// The lumped-mass routine as SKYASM calls it (the model layer supplies it):
//   iopt 1: read and echo up to `announced` records into the table at lumrec,
//           set nmass, widen the profile whose tops are at ZMATRX index mdiag;
//   iopt 2: add the nmass node masses into the skyline values at index values
//           (diagonal addresses at mdiag), using the scratch at IZKE and IZLM.
// announced is the caller's count as given (0 or below: no records). trace is
// the caller's print switch for the node masses.
using LumpedMassFn = void (*)(int iopt, int announced, int& nmass, std::int64_t lumrec,
                              std::int64_t mdiag, std::int64_t values, bool trace);

// SKYASM: forms a global lumped mass when mform is 1 (otherwise returns zeros at
// once). nrec is the number of lumped-mass records announced; with widen and
// NCOND > 0 the mass profile is widened to cover the stiffness profile (CONTRL
// word 43) so that both can be condensed together. Reserves the mass MDIAG,
// the records and the values at IZ, points IZKE and IZLM at the free words, and
// with IBUG prints the mass under name. The caller stores what it gets back
// (the structure input into CONTRL words 46, 47, 48 and 24).
MassMatrix skyasm(int nrec, int mform, bool widen, std::string_view name, LumpedMassFn lumpms);

// PRFMRG: md (pointing at MD(1)) receives the l2 - l1 + 2 diagonal addresses of
// the merged profile of equations l1..l2, renumbered from 1: each column takes
// the tallest of the stiffness, mass and (iopt 2 only) third profile, cut at
// the top of the block. mdiagm or mdiagc may be null when that matrix does not
// exist.
void prfmrg(int neq, int l1, int l2, std::int32_t* md, const std::int32_t* mdiagk,
            const std::int32_t* mdiagm, const std::int32_t* mdiagc, int iopt);

}  // namespace solvers
