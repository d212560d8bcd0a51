// The step integrators of the time history: LINACC (linear acceleration),
// AVGACC (constant average acceleration) and WTHETA (Wilson theta). All three
// work in incremental form on the free equations NCOND+1..NCOND+NFREE of the
// global matrices (after the step loop has condensed equations 1..NCOND), with
// the Rayleigh damping C = ALPHA*M + BETA*K of the damping record. Option 1
// computes the method's constants, option 2 advances one time step and returns
// the increments of displacement, velocity and acceleration on the free
// equations; the step loop commits them.
#pragma once

#include <cstdint>

#include "base/work_array.h"

namespace solutions {

enum IntegratorOption : int {
  kIntegratorConstants = 1,  // the method's constants
  kIntegratorStep = 2,       // one time step
};

// Method codes of the time-history input.
enum IntegrationMethod : int {
  kLinearAcceleration = 1,
  kAverageAcceleration = 2,
  kWilsonTheta = 3,
};

// The eleven constants of a method, in the order of the LINACC trace
// (C0 C1 C2 C3 C4 C5 C6 ALPHA BETA C10 C11). The step loop keeps them for the
// solution and reads ALPHA and BETA for its damping forces.
struct IntegratorConstants {
  float c0 = 0.0f, c1 = 0.0f, c2 = 0.0f, c3 = 0.0f, c4 = 0.0f, c5 = 0.0f, c6 = 0.0f;
  float alpha = 0.0f, beta = 0.0f;
  float c10 = 0.0f, c11 = 0.0f;
};

// What the step loop hands to an integrator. Tables are ZMATRX indices of
// their first word: equation vectors of NEQ reals indexed by equation, the
// work vectors Q, R, PBAR of NFREE reals indexed by the free equation's local
// number. A matrix whose values index is 0 counts as zero.
struct IntegratorCall {
  int iopt = kIntegratorConstants;
  bool trace = false;   // trace letter E
  float dt = 0.0f;      // DT
  float factor = 1.0f;  // load factor: 1.0 for LINACC, THETA for WTHETA; AVGACC takes 1.0
  bool newkef = false;  // form and factor the effective matrix in this step
  int ncond = 0;
  int nfree = 0;
  int neq = 0;
  int idamp = 1;        // 1: the damping is proportional
  float alpha = 0.0f;   // damping record
  float beta = 0.0f;
  // Global stiffness, mass and separate geometric stiffness: values (term at
  // position 1), MDIAG(1) and stored terms.
  std::int64_t k = 0, kmdiag = 0;
  int nstk = 0;
  std::int64_t m = 0, mmdiag = 0;
  int nstm = 0;
  std::int64_t kg = 0, kgmdiag = 0;
  int nstg = 0;
  int kgdata1 = 0;      // KGDATA(1)
  int kgdata3 = 0;      // KGDATA(3): 2 = the separate KG enters the effective matrix
  float accel = 0.0f;   // added to the KG factor 1.0 when KGDATA(1) = 1
  // Totals at the start of the step, load increment, results.
  std::int64_t a = 0, v = 0, d = 0, p = 0;
  std::int64_t pstep = 0;
  std::int64_t da = 0, dv = 0, dd = 0;
  std::int64_t workv = 0;  // NEQ reals of work (also the solver's work row)
  // Effective matrix of the free block (skyline, KEFFDG(1..NFREE+1)) and the
  // integrator's work vectors.
  std::int64_t keff = 0, keffdg = 0;
  int nkeff = 0;
  std::int64_t q = 0, r = 0, pbar = 0;
  // NKEFF terms of the effective matrix as last built, before its reduction,
  // kept by the step loop for the solution, and whether they hold a build: a
  // new build is then reduced only from its first changed column on (the
  // factors before it are those of the same terms). nullptr: no such copy.
  kv::SkyReal* keff_terms = nullptr;
  bool* keff_terms_kept = nullptr;
  // Per equation (index eq - 1): the columns of K formed again since that
  // build, when nothing else of the effective matrix (M, KG, the constants)
  // changed since; only these are combined again. nullptr: every column.
  const unsigned char* k_changed = nullptr;
  // WTHETA: NEQ reals indexed by equation, zero at the start of the solution,
  // that carry the equilibrium residual of each step into the next (0: none).
  std::int64_t resid = 0;
  // kStepDoubles x NEQ double-precision values (an even ZMATRX index): the
  // step's arithmetic. The increments of velocity and acceleration are small
  // differences of large terms at small steps, so the effective load, the
  // solve's right-hand side (refined once against the effective matrix formed
  // from K, M and KG) and the increments are formed in double; Q, R, PBAR and
  // the increments keep their REAL tables.
  std::int64_t dwork = 0;
};

inline constexpr int kStepDoubles = 6;

// Option 1 fills c; option 2 reads c and writes DA, DV, DD on the free
// equations. A zero pivot of the effective matrix sets istop (all bits) after
// the solver's report and leaves the increments untouched.
void linacc(const IntegratorCall& call, IntegratorConstants& c, std::int32_t& istop);
void avgacc(const IntegratorCall& call, IntegratorConstants& c, std::int32_t& istop);
void wtheta(const IntegratorCall& call, IntegratorConstants& c, std::int32_t& istop);

// The integrator of a method code (1, 2 or 3).
void integrate(int method, const IntegratorCall& call, IntegratorConstants& c, std::int32_t& istop);

}  // namespace solutions
