#include "base/kgdata.h"
#include "solutions/static_elastic.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/globals.h"
#include "base/matrix_print.h"
#include "base/node_tables.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "elements/eledsp.h"
#include "elements/element_loads.h"
#include "elements/form.h"
#include "fio/fio.h"
#include "solutions/displacement_report.h"
#include "solutions/finite_check.h"
#include "solutions/joint_loads.h"
#include "solutions/reactions.h"
#include "solutions/stiffness_product.h"
#include "solvers/skyline_factor_solve.h"
#include "solvers/skyline_solver.h"

namespace solutions {

namespace {

using kv::ctl;

constexpr int kOut = 6;

// CONTRL words of the tables this solution keeps.
// Work vectors handed to the element drivers: the first two are cleared at
// every static solution (no velocity or acceleration increments), the last
// (unbalanced joint forces) only when it is new.
constexpr std::array<int, 2> kClearedVectors{kv::kDVELOC, kv::kDACCEL};
constexpr int kUnbalancedVector = kv::kSolVector65;

void set_ctl_real(int word, float v) { ctl(word) = std::bit_cast<std::int32_t>(v); }

void set_ctl_double(int word, double v) {
  std::array<std::int32_t, 2> w{};
  std::memcpy(w.data(), &v, sizeof v);
  ctl(word) = w[0];
  ctl(word + 1) = w[1];
}

void store_rsum(const std::array<float, 6>& rsum) {
  for (int k = 0; k < 6; ++k) set_ctl_real(kv::kRSUM + k, rsum[static_cast<std::size_t>(k)]);
}

std::int64_t reserve_vector(int word, std::int64_t n, bool clear_always) {
  bool fresh = false;
  if (ctl(word) == 0) {
    ctl(word) = static_cast<std::int32_t>(kv::reserve(n));
    fresh = true;
  }
  if (fresh || clear_always) kv::zero_words(ctl(word), n);
  return ctl(word);
}

// R and D hold NEQ x NLC words. Tables another solution reserved hold one
// column; tables of an earlier "SOL" 1 hold the columns of CONTRL word 81.
// Tables too small for this NLC are reserved again (the old ones stay unused
// until "RELEASE").
void reserve_case_tables(int neq, int nlc) {
  const int held = ctl(kv::kStaticColumns) > 0 ? ctl(kv::kStaticColumns) : 1;
  const bool fits = held >= nlc;
  const std::int64_t words = static_cast<std::int64_t>(neq) * nlc;
  bool reserved = false;
  for (int word : {kv::kPTOTAL, kv::kUTOTAL}) {
    if (ctl(word) != 0 && fits) continue;
    ctl(word) = static_cast<std::int32_t>(kv::reserve(words));
    reserved = true;
  }
  if (reserved) ctl(kv::kStaticColumns) = nlc;
}

// The tables of the refinement, reserved at every static solution: the loads
// as given (solved rows) with the prescribed displacements (restrained rows),
// then in double the displacements and K u of one load case, a correction and
// the solver's work.
struct RefinementTables {
  std::int64_t loads = 0;  // NEQ x NLC REAL
  std::int64_t u = 0;      // NEQ double each, from here on
  std::int64_t ku = 0;
  std::int64_t delta = 0;
  std::int64_t work = 0;
};

RefinementTables reserve_refinement(int neq, int nlc) {
  RefinementTables t;
  t.loads = kv::reserve(static_cast<std::int64_t>(neq) * nlc);
  t.u = kv::reserve_doubles(4 * static_cast<std::int64_t>(neq));
  t.ku = t.u + 2 * static_cast<std::int64_t>(neq);
  t.delta = t.ku + 2 * static_cast<std::int64_t>(neq);
  t.work = t.delta + 2 * static_cast<std::int64_t>(neq);
  return t;
}

// A residual below this fraction of the load needs no further correction.
constexpr double kRefinedResidual = 1.0e-6;
// Corrections at most: each takes the residual down by the float factors'
// accuracy, a factor of a hundred or more on the stiffest models.
constexpr int kMaxCorrections = 3;

// Iterative refinement of load case c against the residual formed in double
// with the element-by-element product and solved in double with the float
// factors: one correction, more only while the residual is not yet below 1e-6
// of the load and still falls. The caller gets back the refined displacements
// in d's column (solved rows) and K u of them in t.ku (all rows; the
// restrained ones are the reactions of the stiffness). False after a zero
// pivot.
bool refine(const RefinementTables& t, float* dcol, const float* fcol, double load_norm, int l2, int neq, int c,
            const kv::SkyReal* k, const std::int32_t* mdiag) {
  double* u = kv::dptr(t.u);
  double* ku = kv::dptr(t.ku);
  double* delta = kv::dptr(t.delta);
  for (int e = 0; e < neq; ++e) u[e] = dcol[e];
  double residual = 0.0;
  double last = 0.0;
  for (int pass = 0;; ++pass) {
    element_product(ProductMatrix::stiffness, u, ku);
    double rr = 0.0;
    for (int e = 0; e < l2; ++e) {
      delta[e] = static_cast<double>(fcol[e]) - ku[e];
      rr += delta[e] * delta[e];
    }
    residual = std::sqrt(rr);
    const bool small = residual <= kRefinedResidual * load_norm;
    if (pass == kMaxCorrections || rr == 0.0 || (pass > 0 && (small || !(residual < 0.5 * last)))) break;
    last = residual;
    if (solvers::solve_reduced_double(l2, k, mdiag, delta, kv::dptr(t.work)) != 0) return false;
    for (int e = 0; e < l2; ++e) u[e] += delta[e];
  }
  for (int e = 0; e < l2; ++e) dcol[e] = static_cast<float>(u[e]);
  if (kv::trace('G'))
    fio::write(kOut, "(/,'  REFINED LOAD CASE',I5,':  RESIDUAL',1P,E12.4,'  LOAD',E12.4)", c, residual, load_norm);
  return true;
}

ReportModel report_model() {
  return ReportModel{base::node_tables(), ctl(kv::kNNODE), ctl(kv::kNCOS)};
}

// Each element in turn with one option; the caller gets back the sum of the
// first result word.
double element_pass(int iopt, bool lecho, int lhead) {
  const std::string_view label = kv::titles().ldlabl;
  double sum = 0.0;
  int ltype = 0;
  const int nelem = ctl(kv::kNELEM);
  for (int n = 1; n <= nelem; ++n) {
    elements::EleCall c;
    c.iopt = iopt;
    c.ielno = n;
    c.lecho = lecho;
    c.label = label;
    c.idisp = ctl(kv::kUTOTAL);
    c.iload = ctl(kv::kPTOTAL);
    elements::eledsp(c, ltype, lhead);
    sum += c.r1;
  }
  return sum;
}

// Entry e of the envelope: the value of largest magnitude over the load cases;
// a later load case wins only with a strictly larger magnitude.
void envelope(const float* table, int neq, int nlc, float* env) {
  for (int e = 0; e < neq; ++e) {
    float v = table[e];
    for (int c = 1; c < nlc; ++c) {
      const float x = table[static_cast<std::int64_t>(c) * neq + e];
      if (std::fabs(x) > std::fabs(v)) v = x;
    }
    env[e] = v;
  }
}

void maxima_page() {
  fio::write(kOut,
             "('1 STRUCTURE....: ',A,/,'  SOLUTION.....: ',A,/,/,1X,' MAXIMUN VALUES FOR ALL LOAD CASES ',/,1X,"
             "'===================================')",
             kv::titles().title1, kv::titles().title2);
}

// With several load cases: the envelopes of the displacements, the
// reactions and the element forces, each on its own page.
void envelopes(const float* d, const float* r, int neq, int nlc, int l2, const ReportModel& m, const SkylineView& k,
               std::string_view label) {
  const EquationRanges eq{1, l2, l2 + 1, neq};
  kv::memchk(neq, 0);
  float* env = kv::rptr(ctl(kv::kIZ));

  maxima_page();
  envelope(d, neq, nlc, env);
  prtdsp(kEnvelope, m, neq, 1, l2, env, "MAXIMUM DISPLACEMENTS", label, false);

  maxima_page();
  envelope(r, neq, nlc, env);
  std::array<float, 6> rsum{};
  store_rsum(rsum);
  rea_ctn(kReactionEnvelope, true, eq, env, env, neq, 1, k, 1.0f, m, label, false, rsum);

  maxima_page();
  element_pass(elements::kEleMaxima, true, 0);
}

}  // namespace

void sol01() {
  int nlc = 1;
  int neload = 0;
  const fio::Status st = fio::read_list(5, nlc, neload);
  if (st != fio::Status::ok) {
    fio::write_list(kOut, " *** ER", "ROR: THE STATIC SOLUTION RECORD (NLC, NELOAD) CANNOT BE READ");
    kv::stop_run(1, "STATIC SOLUTION RECORD CANNOT BE READ");
  }
  fio::write(kOut,
             "('1 STRUCTURE....: ',A,/,'  SOLUTION.....: ',A,/,/,1X,' SOLUTION #1, STATIC - ELASTIC ANALYSIS ',/,1X,"
             "'========================================',/,/,1X,' NUMBER OF LOAD CASES ............',I5)",
             kv::titles().title1, kv::titles().title2, nlc);
  if (nlc < 1) {
    // No table can have fewer than one column.
    fio::write(kOut, "(1X,' *** NUMBER OF LOAD CASES',I6,' IS BELOW 1: ONE LOAD CASE IS ANALYSED')", nlc);
    nlc = 1;
  }
  if (neload < 0) neload = 0;
  ctl(kv::kNLC) = nlc;
  ctl(kv::kNELOAD) = neload;

  if (kv::kgdata().use == 2)
    fio::write(kOut,
               "(1X,' GEOMETRIC STIFFNESS IS NOT INCLUDED, ',' USE KGDATA(3)=1 TO INCLUDE GEOMETRIC STIFFNESS.')");
  kv::set_ctl_logical(kv::kELASTC, true);

  const int neq = ctl(kv::kNEQ);
  reserve_case_tables(neq, nlc);
  for (int word : kClearedVectors) reserve_vector(word, neq, true);
  reserve_vector(kUnbalancedVector, neq, false);
  if (neload > 0) {
    ctl(kv::kElemLoad1) = static_cast<std::int32_t>(kv::reserve(static_cast<std::int64_t>(elements::kIdataWords) * neload));
    ctl(kv::kElemLoad2) = static_cast<std::int32_t>(kv::reserve(static_cast<std::int64_t>(elements::kRdataWords) * neload));
  }
  statel();
}

void statel() {
  const int neq = ctl(kv::kNEQ);
  const int nlc = ctl(kv::kNLC);
  const int l2 = ctl(kv::kNCOND) + ctl(kv::kNFREE);
  const EquationRanges eq{1, l2, l2 + 1, neq};
  const std::int64_t words = static_cast<std::int64_t>(neq) * nlc;
  float* r = kv::rptr(ctl(kv::kPTOTAL));
  float* d = kv::rptr(ctl(kv::kUTOTAL));
  const ReportModel m = report_model();
  const SkylineView k{kv::skyptr(ctl(kv::kStiffValues)), kv::iptr(ctl(kv::kStiffMdiag))};
  const std::string_view label = kv::titles().ldlabl;
  kv::Stcase& st = kv::stcase();
  std::array<float, 6> rsum{};

  st.istat = 1;
  kv::zero_words(ctl(kv::kPTOTAL), words);
  kv::zero_words(ctl(kv::kUTOTAL), words);

  const bool support =
      jloads(kv::trace('D'), JointLoadModel{m.nodes, m.nnode, neq, nlc, l2}, d, false);

  if (ctl(kv::kNELOAD) > 0) {
    elements::elload(kv::trace('D'), l2 + 1, ctl(kv::kNELEM), ctl(kv::kNELOAD), neq, nlc, ctl(kv::kUTOTAL),
                     ctl(kv::kPTOTAL), label, false);
    // The element loads join the joint loads on the solved equations; on the
    // restrained ones they are fixed-end reactions, part of the reaction.
    for (int c = 0; c < nlc; ++c) {
      float* rc = r + static_cast<std::int64_t>(c) * neq;
      float* dc = d + static_cast<std::int64_t>(c) * neq;
      for (int i = 0; i < l2; ++i) dc[i] += rc[i];
      for (int i = l2; i < neq; ++i) rc[i] = -rc[i];
    }
  }

  st.pstat.assign(static_cast<std::size_t>(neq) + 1, 0.0f);
  std::copy(d, d + neq, st.pstat.begin() + 1);

  // The loads as given, before the support displacements move into them: the
  // refinement's residual is taken against these with the prescribed values.
  const RefinementTables rt = reserve_refinement(neq, nlc);
  std::copy(d, d + words, kv::rptr(rt.loads));

  elements::form(1);

  if (support)
    rea_ctn(kSupportDisplacementLoads, kv::trace('F'), eq, d, d, neq, nlc, k, 1.0f, m, label, false, rsum);

  if (kv::trace('F')) {
    base::skyprt(k.a, k.mdiag, neq, k.mdiag[neq], "GLOBAL STIFFNESS DUMP=7");
    base::prtmat(d, neq, nlc, "LOAD MATRIX  DUMP=7");
  }

  // The solver works on the solved equations only, so the stiffness terms of
  // the restrained columns stay as formed for the reactions.
  const int nstk = neq > 0 ? k.mdiag[neq] - 1 : 0;
  // A term beyond the number range (element stiffnesses that overflow in
  // their sum) would act as a rigid support in the reduction and leave the
  // loads without reactions: the solution ends before it.
  for (int t = 0; t < nstk; ++t) {
    if (real_finite(static_cast<double>(k.a[t]), "STATEL", "STIFFNESS MATRIX TERM")) continue;
    ctl(kv::kISTOP) = -1;
    return;
  }
  // The load each column's solve starts from, the scale of its residual.
  std::vector<double> load_norm(static_cast<std::size_t>(nlc), 0.0);
  for (int c = 0; c < nlc; ++c) {
    const float* dc = d + static_cast<std::int64_t>(c) * neq;
    double s = 0.0;
    for (int e = 0; e < l2; ++e) s += static_cast<double>(dc[e]) * dc[e];
    load_norm[static_cast<std::size_t>(c)] = std::sqrt(s);
  }
  kv::memchk(neq, 0);
  const std::int64_t w = ctl(kv::kIZ);
  for (int iopt : {solvers::kReduce, solvers::kBackSubstitute}) {
    int l1 = 1;
    int l2s = l2;
    std::int32_t& istop = ctl(kv::kISTOP);
    solvers::msoll(iopt, kv::trace('G'), l2, nstk, neq, nlc, l1, l2s, ctl(kv::kStiffMdiag), ctl(kv::kStiffValues),
                   ctl(kv::kUTOTAL), w, false, 0, 0, 0, false, 0, 0, 0, istop);
    if (istop & 1) return;
  }
  // A pivot that passed the zero test may still be too small for the loads.
  if (!solution_finite(d, l2, nlc, neq, "STATEL")) {
    ctl(kv::kISTOP) = -1;
    return;
  }

  // The float factors solve to the condition number times the float rounding
  // of the stored matrix; the refinement takes the displacements to what the
  // element stiffnesses give, and the reactions from the same product.
  const double* ku = kv::dptr(rt.ku);
  for (int c = 0; c < nlc; ++c) {
    float* dc = d + static_cast<std::int64_t>(c) * neq;
    float* rc = r + static_cast<std::int64_t>(c) * neq;
    if (!refine(rt, dc, kv::rptr(rt.loads) + static_cast<std::int64_t>(c) * neq,
                load_norm[static_cast<std::size_t>(c)], l2, neq, c + 1, k.a, k.mdiag)) {
      ctl(kv::kISTOP) = -1;
      return;
    }
    for (int e = l2; e < neq; ++e) rc[e] = static_cast<float>(static_cast<double>(rc[e]) + ku[e]);
  }
  if (!solution_finite(d, l2, nlc, neq, "STATEL")) {
    ctl(kv::kISTOP) = -1;
    return;
  }
  if (kv::trace('F')) {
    base::prtmat(d, neq, nlc, "DISPLACEMENT  DUMP=7");
    base::prtmat(r, neq, nlc, "FINAL LOADS AND REACTIONS");
  }

  st.dstat.assign(static_cast<std::size_t>(neq) + 1, 0.0f);
  std::copy(d, d + neq, st.dstat.begin() + 1);

  // Finite displacements on a stiffness beyond the number range still give
  // reactions that are not: the solution ends before any report.
  for (std::int64_t i = 0; i < static_cast<std::int64_t>(neq) * nlc; ++i) {
    if (!real_finite(r[i], "STATEL", "RESTRAINT REACTION")) {
      ctl(kv::kISTOP) = -1;
      return;
    }
  }

  // So may the sums of finite reactions: every load case's sums are formed
  // (unprinted) before the first report.
  for (int c = nlc; c >= 1; --c) {
    const std::int64_t col = static_cast<std::int64_t>(c - 1) * neq;
    rea_ctn(kReactionReport, false, eq, r + col, d + col, neq, 1, k, 1.0f, m, label, false, rsum);
    if (ctl(kv::kISTOP) & 1) return;
  }

  prtdsp(kPerColumn, m, neq, nlc, l2, d, "DISPLACEMENTS", label, true);

  // The resultant of load case 1 (the loop's last) for a later time history,
  // then the reports.
  for (std::size_t i = 0; i < 6; ++i) st.rstat[i + 1] = rsum[i];
  rea_ctn(kReactionReport, true, eq, r, d, neq, nlc, k, 1.0f, m, label, true, rsum);
  store_rsum(rsum);

  element_pass(elements::kEleState, true, 1);
  // An element whose forces are not finite has ended the solution (its message is out).
  if (ctl(kv::kISTOP) & 1) return;
  element_pass(elements::kEleCommit, false, 0);
  set_ctl_double(kv::kESTRN, element_pass(elements::kEleEnergy, false, 0) / 4.0);

  if (nlc > 1) envelopes(d, r, neq, nlc, l2, m, k, label);
}

}  // namespace solutions
