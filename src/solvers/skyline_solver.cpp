#include "solvers/skyline_solver.h"

#include <algorithm>
#include <string_view>

#include "base/globals.h"
#include "base/matrix_print.h"
#include "base/node_tables.h"
#include "fio/fio.h"
#include "solvers/skyline_elimination.h"

namespace solvers {

namespace {

using namespace detail;

// A row is a structure equation, and so names its joint, when the matrix
// holds the structure's equations from equation 1 (the condensed and free
// ones, or all); a matrix of the free equations alone starts at equation
// NCOND + 1, which is 1 only when nothing is condensed.
void report_zero_pivot(int row, int n, const SkylineMatrix& k) {
  const int ncond = kv::ctl(kv::kNCOND);
  const bool structure_rows = ncond == 0 || n == ncond + kv::ctl(kv::kNFREE) || n == kv::ctl(kv::kNEQ);
  zero_pivot_box("MSOLL", row, k.mdiag[row - 1], static_cast<double>(k.a[col_diag(k.mdiag, row)]),
                 structure_rows ? base::equation_joints(row) : std::string());
}

bool check_carried(int n, int l1, int l2, const SkylineMatrix& k, const CarriedMatrix& c,
                   std::string_view name) {
  if (!c.reduce) return true;
  const int j = carried_profile_gap(n, l1, l2, k.mdiag, c.mdiag);
  if (j == 0) return true;
  fio::write(6,
             "(/,' *** ERROR IN SUBROUTINE MSOLL: THE ',A,' PROFILE DOES NOT COVER THE STIFFNESS PROFILE',"
             "/,' *** COLUMN',I6,': ITS FIRST ROW IS',I6,', THE STIFFNESS FIRST ROW',I6,"
             "' - SOLUTION IS ABORTED')",
             name, j, col_top(c.mdiag, j), col_top(k.mdiag, j));
  return false;
}

void print_sky(const SkyReal* a, const std::int32_t* md, int n, int nstore, std::string_view title) {
  base::skyprt(a, md, n, nstore, title);
}

}  // namespace

SolveStatus msoll(int iopt, bool lprt, int n, int ldr, int nlc, int& l1, int& l2,
                  SkylineMatrix k, float* r, float* w, CarriedMatrix mass, CarriedMatrix geom) {
  l1 = std::max(l1, 1);
  l2 = std::min(l2, n);
  if (iopt < kReduce || iopt > kMultiply) iopt = kReduce;

  switch (iopt) {
    case kReduce: {
      if (!check_carried(n, l1, l2, k, mass, "MASS") ||
          !check_carried(n, l1, l2, k, geom, "GEOMETRIC STIFFNESS"))
        return SolveStatus::profile_mismatch;
      if (lprt) {
        trace_title("IOPT=1, REDUCE STIFFNESS AND LOADS", l1, l2, n);
        print_sky(k.a, k.mdiag, n, k.nstore, "INPUT STIFFNESS");
        trace_loads(r, n, ldr, nlc, "INPUT LOAD");
        if (mass.reduce) print_sky(mass.a, mass.mdiag, n, mass.nstore, "INPUT MASS");
        if (geom.reduce) print_sky(geom.a, geom.mdiag, n, geom.nstore, "INPUT KG");
      }
      if (const int bad = reduce_matrix_and_loads(n, l1, l2, k.a, k.mdiag, r, ldr, nlc)) {
        report_zero_pivot(bad, n, k);
        return SolveStatus::zero_pivot;
      }
      const int last_pivot = std::min(l2, n - 1);
      if (mass.reduce) reduce_carried(n, l1, last_pivot, k.a, k.mdiag, mass.a, mass.mdiag);
      if (geom.reduce) reduce_carried(n, l1, last_pivot, k.a, k.mdiag, geom.a, geom.mdiag);
      if (lprt) {
        print_sky(k.a, k.mdiag, n, k.nstore, "REDUCED STIFFNESS");
        trace_loads(r, n, ldr, nlc, "REDUCED LOAD");
        if (mass.reduce) print_sky(mass.a, mass.mdiag, n, mass.nstore, "REDUCED MASS");
        if (geom.reduce) print_sky(geom.a, geom.mdiag, n, geom.nstore, "REDUCED KG");
      }
      return SolveStatus::ok;
    }
    case kReduceLoads: {
      if (lprt) {
        trace_title("IOPT=2, REDUCE LOADS ONLY", l1, l2, n);
        print_sky(k.a, k.mdiag, n, k.nstore, "REDUCED STIFFNESS");
        trace_loads(r, n, ldr, nlc, "NEW LOAD MATRIX ");
      }
      if (const int bad = reduce_loads(n, l1, l2, k.a, k.mdiag, r, ldr, nlc)) {
        report_zero_pivot(bad, n, k);
        return SolveStatus::zero_pivot;
      }
      return SolveStatus::ok;
    }
    case kBackSubstitute: {
      if (lprt) {
        trace_title("IOPT=3, BACK SUBSTUTION", l1, l2, n);
        print_sky(k.a, k.mdiag, n, k.nstore, "REDUCED STIFFNESS");
        trace_loads(r, n, ldr, nlc, "REDUCED LOAD");
      }
      if (const int bad = back_substitute(n, l1, l2, k.a, k.mdiag, r, ldr, nlc)) {
        report_zero_pivot(bad, n, k);
        return SolveStatus::zero_pivot;
      }
      if (lprt) trace_loads(r, n, ldr, nlc, "DISPLACEMENT");
      return SolveStatus::ok;
    }
    default: {  // kMultiply
      if (lprt) {
        trace_title("IOPT=4, REDUCED MULTIPLACATION", l1, l2, n);
        print_sky(k.a, k.mdiag, n, k.nstore, "REDUCED STIFFNESS");
        trace_loads(w, n, n, 1, "DISPLACEMENT");
      }
      if (const int bad = multiply_upper(n, l1, l2, k.a, k.mdiag, r, w)) {
        report_zero_pivot(bad, n, k);
        return SolveStatus::zero_pivot;
      }
      if (lprt) trace_loads(r, n, ldr, 1, "REDUCED LOAD");
      undo_elimination(n, l1, l2, k.a, k.mdiag, r);
      if (lprt) trace_loads(r, n, ldr, 1, "LOAD");
      return SolveStatus::ok;
    }
  }
}

int refactored_from(int first_changed) { return reduced_again_from(1, first_changed); }

SolveStatus reduce_changed(int first_changed, int n, SkylineMatrix k, float* r) {
  if (const int bad = reduce_matrix_and_loads(n, 1, n, k.a, k.mdiag, r, n, 1, first_changed)) {
    report_zero_pivot(bad, n, k);
    return SolveStatus::zero_pivot;
  }
  return SolveStatus::ok;
}

void msoll(int iopt, bool lprt, int n, int nstk, int ldr, int nlc, int& l1, int& l2,
           std::int64_t mdiag, std::int64_t sk, std::int64_t r, std::int64_t w,
           bool lmass, std::int64_t sm, std::int64_t mdiagm, int nstm,
           bool lgeom, std::int64_t sg, std::int64_t mdiagg, int nstg, std::int32_t& ierr) {
  const SkylineMatrix k{kv::skyptr(sk), kv::iptr(mdiag), nstk};
  const CarriedMatrix mass{lmass, kv::skyptr(sm), kv::iptr(mdiagm), nstm};
  const CarriedMatrix geom{lgeom, kv::skyptr(sg), kv::iptr(mdiagg), nstg};
  if (msoll(iopt, lprt, n, ldr, nlc, l1, l2, k, kv::rptr(r), kv::rptr(w), mass, geom) != SolveStatus::ok)
    ierr = -1;
}

}  // namespace solvers
