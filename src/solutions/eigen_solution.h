// "SOL" 3: natural frequencies (stiffness against mass) or elastic buckling
// loads (stiffness against geometric stiffness) of the structure on its free
// equations, after static condensation of the condensed ones.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/work_array.h"

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

// The pieces of the eigen stage that the response-spectrum solution shares.

// A skyline matrix of CONTRL words (values, MDIAG) of order NEQ.
struct Sky {
  kv::SkyReal* a = nullptr;
  const std::int32_t* md = nullptr;  // md[j - 1] = MDIAG(j)
  int nstore = 0;                    // MDIAG(NEQ + 1) - 1 stored terms
  std::int64_t ia = 0, imd = 0;      // the same as ZMATRX indices, for MSOLL

  // Term (i, j), i <= j, or 0.0 above column j's profile.
  float term(int i, int j) const {
    const int h = md[j] - md[j - 1];
    return j - i < h ? static_cast<float>(a[md[j - 1] - 1 + j - i]) : 0.0f;
  }
};

// The skyline whose values and MDIAG the two CONTRL words locate.
Sky sky(int values_word, int mdiag_word);

// True when the structure input formed a global mass (MFORM = 1).
bool mass_formed();

// The dense free block of a skyline matrix (both triangles, column-major of
// order l2 - ncond), equations ncond+1..l2; trace letter F writes every term
// with trace_fmt (I, J, value). Every diagonal term not above 0.0 is reported
// with diag_fmt (equation, the value as text: 1P,E12.4, or "NOT FINITE" in 12
// columns for -Infinity); the caller gets back the first such equation, 0 when
// there was none. Infinity and NaN are left to the caller's finiteness check.
int dense_block(const Sky& s, int ncond, int l2, float* dense, std::string_view trace_fmt,
                std::string_view diag_fmt);

// The console text of a solution abandoned on equation eq: why, and the
// joints and directions of the equation when it has any.
std::string fault_at_equation(std::string_view why, int eq);

// True when the count values from v on are all finite.
bool all_finite(const float* v, std::int64_t count);

// A negative eigenvalue of the frequency problem has no real frequency: each
// of the first neig is reported and set to 0.0 rather than printed as NaN.
void zero_negative_eigenvalues(float* eig, int neig);

// The mode table in blocks of seven modes: mode numbers, then for natural
// frequencies omega, f and T (the eigenvalues become the periods in place; a
// zero frequency gives T = 1.0E+15) or for buckling the eigenvalues, then the
// eigenvector components of every free equation. next_page runs before every
// block after the first.
void mode_table(bool buckling, int neig, int nfree, int ncond, float* eig, const float* vec,
                const std::function<void()>& next_page);

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
