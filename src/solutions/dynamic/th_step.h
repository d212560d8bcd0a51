// THSTEP: the step loop of the time history. It reads the initial conditions
// and the ground motion, forms the integrator's constants and advances the
// structure one time step at a time: effective earthquake load, stiffness
// re-formation and condensation, integration, recovery of the condensed
// equations, element state, reactions, damping forces, step report and energy
// balance, commit, peaks, first reach of a critical load, history records and
// the displacement limit; then the closing reports.
#pragma once

#include <array>
#include <cstdint>

namespace solutions {

// Everything SOL02 read and reserved for the step loop. Tables are ZMATRX
// indices of their first word (0: the table does not exist).
struct TimeHistoryData {
  // ---- the solution records
  int method = 1;        // 1 linear, 2 average acceleration, 3 Wilson theta
  float theta = 0.0f;    // THETA (Wilson)
  bool elastc = false;   // ELASTC
  bool unbal = false;    // UNBAL: unbalanced forces join the next step's load
  int iprint = 1;        // step interval of the printed reports (>= 1)
  int nwrite = 0;        // step interval of the history records (0: none)
  int ngp = 0;           // points of each ground series
  bool lmass = false;    // the solution's own mass forms the earthquake loads
  float t0 = 0.0f, dt = 0.0f, tf = 0.0f;
  // ---- equation ranges: condensed 1..ncond, free ncond+1..ncond+nfree, restrained up to neq
  int ncond = 0, nfree = 0, neq = 0;
  std::array<int, 4> kgdata{};  // KGDATA(1..3), entry 0 unused
  // ---- global matrices: values (term at position 1), MDIAG(1), stored terms
  std::int64_t k = 0, kmdiag = 0;
  int nstk = 0;
  std::int64_t m = 0, mmdiag = 0;     // the structure mass
  int nstm = 0;
  std::int64_t kg = 0, kgmdiag = 0;   // the separate geometric stiffness (KGDATA(3) = 2)
  int nstg = 1;
  std::int64_t sm = 0, smdiag = 0;    // the solution's own mass (LMASS)
  // ---- the step loop's tables
  std::int64_t keffdg = 0, keff = 0;
  int nkeff = 0;
  std::int64_t q = 0, r = 0, pbar = 0;            // NFREE each
  std::int64_t agx = 0, agy = 0, agz = 0;         // NGP each
  std::int64_t gscratch = 0;                      // max(NGP, NEQ)
  std::int64_t mascos = 0;                        // 3 * NEQ
  std::int64_t zerov = 0;                         // NEQ, zero
  std::int64_t work1 = 0, work2 = 0;              // NEQ each, the step report's work vectors
  std::int64_t resid = 0;                         // 2 * NEQ, zero: Wilson's equilibrium residual
  std::int64_t pstep = 0, dfdamp = 0, fdamp = 0, fd = 0, dfd = 0;  // NEQ each
  std::int64_t upeak = 0, vpeak = 0, apeak = 0;   // NEQ each
  std::int64_t ppeak = 0;                         // NEQ + 6
  std::int64_t dwork = 0;                         // kStepDoubles x NEQ double: the integrator's arithmetic
  std::int64_t workv = 0;                         // NEQ, above IZ (not reserved)
};

// The number of steps from t0 to tf: (tf - t0) / dt formed in double and
// truncated, except that a quotient within 1e-6 (relative) of a whole number
// is that number: the REAL inputs carry their decimal values only to about
// 1e-7, and TF 4.0 with DT 0.001 must take 4000 steps, not 3999. 0 when dt is
// not above 0.0; at most 2,000,000,000.
int step_count(float t0, float tf, float dt);

// THSTEP. Results: the solution vectors and CONTRL words, the printed reports,
// the history records, ISTEP and ISTOP (set when a zero pivot or the
// displacement limit ends the run).
void thstep(const TimeHistoryData& h);

}  // namespace solutions
