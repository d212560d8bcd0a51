// The step report of the time history and the static nonlinear solution:
// THPRNT integrates the ground motion of the step, keeps the energy balance
// (input, elastic strain, kinetic, plastic strain, damping energy and the
// relative error), prints it and the ground response on printed steps, prints
// the trace tables of the step and calls element options 10 and 11 for every
// element. PRTENG is the quadratic form of a partially reduced skyline matrix.
#pragma once

#include <cstdint>

#include "base/node_tables.h"
#include "base/work_array.h"

namespace solutions {

// What the step loop hands to THPRNT. Vectors point at their entry 1 (REAL,
// one value per equation unless said otherwise). The energy totals are not
// arguments: they are the double-precision CONTRL words EINPUT (71), ESTRN
// (73), EPLAS (75), EKIN (77), EDAMP (79), updated in place; the caller clears
// them at the start of its solution.
struct StepReport {
  // Equation ranges: condensed 1..ncond, free ncond+1..ncf, restrained up to neq.
  int ncond = 0;
  int ncf = 0;                       // NCOND + NFREE
  int neq = 0;
  bool trace = false;                // trace letter L
  bool dynamic = false;              // true in the time history, false in the static nonlinear solution
  bool print = false;                // the step is a printed step
  // The mass in skyline storage (used when dynamic): value at position 1,
  // MDIAG(1) and the stored count.
  const kv::SkyReal* mass = nullptr;
  const std::int32_t* mass_mdiag = nullptr;
  int mass_nstore = 0;
  float alpha = 0.0f, beta = 0.0f;   // proportional damping of the damping record
  int kgdata3 = 0;                   // KGDATA(3): 2 = separate global geometric stiffness
  int nelem = 0;                     // NELEM
  float dt = 0.0f;                   // time step (0.0 in the static nonlinear solution)
  // Six-value force sums on the restraints, FX FY FZ MX MY MZ.
  const float* sumub = nullptr;      // unbalanced forces
  const float* sumrc = nullptr;      // reaction sums RSUM at the start of the step
  const float* dsumrc = nullptr;     // their increment
  const float* sumfd = nullptr;      // damping forces on the restraints
  const float* dsumfd = nullptr;     // their increment
  // Special forces.
  const float* fdamp = nullptr;      // damping forces
  const float* dfdamp = nullptr;     // their increment
  const float* fd = nullptr;         // forces of the separate geometric stiffness
  const float* dfd = nullptr;        // their increment
  // Response at the start of the step and its increment, load and increment.
  const float* a = nullptr;
  const float* v = nullptr;
  const float* d = nullptr;
  const float* da = nullptr;
  const float* dv = nullptr;
  const float* dd = nullptr;
  const float* p = nullptr;
  const float* dp = nullptr;
  float* work1 = nullptr;            // NEQ words of work
  float* work2 = nullptr;            // NEQ words of work
  // Ground motion, three values X Y Z each (used only when dynamic; may be
  // null otherwise).
  const float* dgacc = nullptr;      // in: increment of the step (GRDACC option 2)
  float* dgvel = nullptr;            // out: increments of ground velocity
  float* dgdsp = nullptr;            //   and displacement
  float* gacc = nullptr;             // in/out: totals at the start of the step, at its end on return
  float* gvel = nullptr;             //   (normally CONTRL words 89, 92, 95, see kv::ctl_rptr)
  float* gdsp = nullptr;
  base::NodeTables nodes;           // ID, NCODE, COS, ICOS are used
  int nnode = 0;
  // false: the closing ductility pass over the elements is left out, the
  // caller having found (unprinted_ductility_matters) that it changes nothing.
  bool ductility_pass = true;
};

// The step's increments of the energies and the relative error printed.
struct StepEnergies {
  double dein = 0.0;
  float destrn = 0.0f;
  float dekin = 0.0f;
  float deplas = 0.0f;
  double dedamp = 0.0;
  float pcterr = 0.0f;   // 100.0 when there is no input energy
};

// THPRNT.
StepEnergies thprnt(const StepReport& s);

// Whether the unprinted ductility pass over the elements can change anything
// after their state determination: false when every element's type and every
// material set's type say that theirs changes nothing and no trace letter
// prints in it. Read once per solution: the types do not change in a run.
bool unprinted_ductility_matters();

// PRTENG: E = the quadratic form w' A u of the skyline matrix A (value at
// position 1, MDIAG(1), nstore stored terms) over equations l1..l6, with
// l3..l4 the block kept after a partial reduction; x is a work vector. All
// vectors point at entry 1.
double prteng(bool trace, int l1, int l2, int l3, int l4, int l5, int l6, int nstore,
              const std::int32_t* mdiag, const kv::SkyReal* a, float* x, const float* u, const float* w);

}  // namespace solutions
