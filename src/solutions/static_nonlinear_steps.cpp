// NLSTEP: the load-step loop of the static nonlinear solution and the reports
// at its end.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/matrix_print.h"
#include "base/node_tables.h"
#include "base/work_array.h"
#include "elements/eledsp.h"
#include "elements/element_loads.h"
#include "elements/form.h"
#include "fio/fio.h"
#include "solutions/displacement_report.h"
#include "solutions/dynamic/histry.h"
#include "solutions/dynamic/step_report.h"
#include "solutions/finite_check.h"
#include "solutions/run_limits.h"
#include "solutions/joint_loads.h"
#include "solutions/reactions.h"
#include "solutions/static_nonlinear.h"
#include "solutions/static_nonlinear_detail.h"
#include "solvers/skyline_products.h"
#include "solvers/skyline_solver.h"

namespace solutions::nonlinear {

namespace {

using kv::ctl;

constexpr int kOut = 6;

// An infinite SP (a zero reference work or norm) is reported as undefined,
// like a NaN one; the limit-point tests still see its value.
float printable_sp(float sp) { return std::isfinite(sp) ? sp : std::numeric_limits<float>::quiet_NaN(); }

// One load-step record.
struct LoadStep {
  std::string label = std::string(kLabelLength, ' ');
  float target = 0.0f;
  float pmax = 0.0f;
  float dmax = 0.0f;
  std::int32_t nsub = 0;
  bool closes() const { return base::keyon(label, "END", false); }
};

std::string fit_label(std::string text) {
  text.resize(kLabelLength, ' ');
  return text;
}

// Reads the next load-step record into rec, line by line so that a closing
// record need not carry its other fields (the next command stays unread).
// Fields an unreadable item cuts off keep their old values. The caller gets
// back false at the end of the input file, rec untouched.
bool read_step_record(LoadStep& rec) {
  std::string line;
  if (fio::read_record(5, line) != fio::Status::ok) return false;
  std::string text = line;
  for (;;) {
    LoadStep r = rec;
    std::string label;
    const fio::Status st = fio::read_list_text(text, label, r.target, r.pmax, r.dmax, r.nsub);
    if (!label.empty()) r.label = fit_label(label);
    if (st == fio::Status::end && !(!label.empty() && r.closes())) {
      if (fio::read_record(5, line) != fio::Status::ok) return false;
      text += '\n';
      text += line;
      continue;
    }
    rec = r;
    return true;
  }
}

// The kind of every equation for the stiffness parameter: the first node
// degree of freedom that carries it decides (0 a translation, 1 a rotation).
std::vector<std::uint8_t> equation_kinds(int neq, int nnode) {
  std::vector<std::uint8_t> kind(static_cast<std::size_t>(neq), 0);
  std::vector<bool> seen(static_cast<std::size_t>(neq), false);
  const base::NodeTables t = base::node_tables();
  for (int n = 1; n <= nnode; ++n) {
    for (int j = 1; j <= 6; ++j) {
      const int e = t.id(n, j);
      if (e < 1 || e > neq || seen[static_cast<std::size_t>(e - 1)]) continue;
      seen[static_cast<std::size_t>(e - 1)] = true;
      kind[static_cast<std::size_t>(e - 1)] = j <= 3 ? 0 : 1;
    }
  }
  return kind;
}

// Element option iopt for every element in order, a new table each pass.
void element_pass(int iopt, bool print, const StepVectors& v) {
  const int nelem = ctl(kv::kNELEM);
  const std::string_view label = kv::titles().ldlabl;
  int ltype = 0;
  for (int n = 1; n <= nelem; ++n) {
    elements::EleCall c;
    c.iopt = iopt;
    c.ielno = n;
    c.lecho = print;
    c.label = label;
    c.idisp = v.dudisp.at;
    c.iload = v.dpload.at;
    elements::eledsp(c, ltype, 0);
  }
}

void store_rsum(const std::array<float, 6>& rsum) {
  float* w = kv::ctl_rptr(kv::kRSUM);
  std::copy(rsum.begin(), rsum.end(), w);
}

class StepLoop {
 public:
  explicit StepLoop(const Setup& s);
  void run();

 private:
  // The outcome of one step.
  enum class Outcome { next, record_done, end_solution, abandon };

  Outcome step(const LoadStep& work, const LoadStep& next, int& nsub);
  bool step_loads();
  bool solve_increment(const std::string& cap);
  std::optional<Outcome> control_step(const LoadStep& work, int istep, float dfact_prev, int& nsub, bool& last);
  bool correct_unbalance(int istep);
  float unbalance_norm();
  void reference_loads(const LoadStep& work, const LoadStep& next);
  bool state_and_report(const LoadStep& work, const std::string& cap, float urms, bool printnow);
  bool totals_and_limit_point(bool applies, float dfact_prev, int istep);
  bool reactions(int istep, const std::string& cap, bool printnow);
  void equilibrium_check();
  bool commit(int istep, const std::string& cap, bool printnow);
  bool solve(int iopt, float* r);
  void end_reports();
  solvers::SkylineMatrix stiffness() const;
  SkylineView stiffness_view() const;

  const Setup& s_;
  const StepVectors& v_;
  const EquationRanges eq_;
  const ReportModel model_;
  const bool tr_d_, tr_f_, tr_g_, tr_l_;
  std::vector<std::uint8_t> kinds_;
  Pager pager_;

  bool support_ = false;
  bool unbal_ = false;
  bool newkg_ = false;
  bool reference_taken_ = false;  // PREF and the SP reference are taken by the first step
  bool prevrs_set_ = false;
  bool out_of_balance_ = false;  // a step out of equilibrium was counted as a fault
  float factor_ = 0.0f;
  float dfact_ = 0.0f;
  float sp_ = 1.0f;
  float revfac_ = 2.0f;
  SpReference spref_;
  std::array<float, 6> rsum_{};
  std::array<float, 6> rpeak_{};
  float rfmax_ = 0.0f;
  float rmmax_ = 0.0f;
  std::array<float, 6> zero6_{};
  // The load increments and totals of the stiffness parameter: on the
  // restrained rows the reactions K times the displacements predict.
  std::vector<float> sp_dpload_;
  std::vector<float> sp_ptotal_;
};

StepLoop::StepLoop(const Setup& s)
    : s_(s),
      v_(s.v),
      eq_{1, s.l2, s.l2 + 1, s.neq},
      model_{base::node_tables(), s.nnode, ctl(kv::kNCOS)},
      tr_d_(kv::trace('D')),
      tr_f_(kv::trace('F')),
      tr_g_(kv::trace('G')),
      tr_l_(kv::trace('L')) {}

solvers::SkylineMatrix StepLoop::stiffness() const {
  const std::int32_t* mdiag = kv::iptr(ctl(kv::kStiffMdiag));
  return {kv::skyptr(ctl(kv::kStiffValues)), mdiag, s_.neq > 0 ? mdiag[s_.neq] - 1 : 0};
}

SkylineView StepLoop::stiffness_view() const {
  return {kv::skyptr(ctl(kv::kStiffValues)), kv::iptr(ctl(kv::kStiffMdiag))};
}

// MSOLL on the solved equations with the current stiffness; the caller gets
// back false after a solver failure (ISTOP is then raised).
bool StepLoop::solve(int iopt, float* r) {
  int l1 = 1;
  int l2 = s_.l2;
  const solvers::SkylineMatrix k = stiffness();
  float* w = kv::rptr(ctl(kv::kIZ));  // not used by reduction and back substitution
  if (solvers::msoll(iopt, tr_g_, s_.l2, s_.neq, 1, l1, l2, k, r, w, {}, {}) != solvers::SolveStatus::ok) {
    ctl(kv::kISTOP) = -1;
    return false;
  }
  // A pivot that passed the zero test may still be too small for the loads:
  // the step ends as after a zero pivot.
  if (iopt == solvers::kBackSubstitute && !solution_finite(r, s_.l2, 1, s_.neq, "NLSTEP")) {
    ctl(kv::kISTOP) = -1;
    return false;
  }
  return true;
}

void StepLoop::run() {
  const int neq = s_.neq;
  kv::Solsta& st = kv::solsta();

  // Start of the solution. A solution that goes on from the totals an
  // earlier one left finds the members holding the energy of that work: it
  // counts that energy as input already done, so that its balance goes on
  // where the earlier one stopped.
  const double held =
      s_.continued ? static_cast<double>(kv::ctl_double(kv::kESTRN)) + kv::ctl_double(kv::kEPLAS) : 0.0;
  for (int w = kv::kEINPUT; w <= kv::kEDAMP + 1; ++w) ctl(w) = 0;
  kv::ctl_double(kv::kEINPUT) = held;
  const auto& kg = s_.kgdata;
  newkg_ = !(kg[1] == 0 || kg[2] == 0 || kg[3] == 0);
  kv::set_ctl_logical(kv::kNEWKG, newkg_);
  kv::set_ctl_logical(kv::kNEWK, true);
  kinds_ = equation_kinds(neq, s_.nnode);
  sp_dpload_.assign(static_cast<std::size_t>(neq), 0.0f);
  sp_ptotal_.assign(v_.ptotal.v, v_.ptotal.v + neq);

  support_ = jloads(tr_d_, JointLoadModel{model_.nodes, s_.nnode, neq, 1, s_.l2}, v_.pjoint.v, false);
  if (s_.rec.neload > 0)
    elements::elload(tr_d_, s_.l2 + 1, s_.nelem, s_.rec.neload, neq, 1, v_.dudisp.at, v_.pelem.at,
                     kv::titles().ldlabl, false);
  if (s_.rec.nwrite > 0) {
    int n = s_.rec.nwrite;
    float t0 = 0.0f, dt = 0.0f;
    histry(kHistRecords, n, t0, dt);
  }
  st.istep = 0;
  unbal_ = s_.rec.unbal;
  kv::solsta().unbal = unbal_;

  LoadStep next;
  if (!read_step_record(next)) {
    fio::write_list(kOut, " *** ER", "ROR: THE FIRST LOAD-STEP RECORD OF THE STATIC NONLINEAR SOLUTION IS MISSING");
    kv::stop_run(1, "LOAD-STEP RECORD MISSING");
  }

  for (;;) {
    const LoadStep work = next;
    if (work.closes()) break;
    if (!read_step_record(next)) {
      next.label = fit_label("END");
      next.target = work.target;
    }
    if (factor_ == work.target) continue;

    int nsub = work.nsub;
    Outcome o = Outcome::next;
    while (o == Outcome::next) o = step(work, next, nsub);
    if (o == Outcome::abandon) return;
    if (o == Outcome::end_solution) break;
  }
  end_reports();
}

StepLoop::Outcome StepLoop::step(const LoadStep& work, const LoadStep& next, int& nsub) {
  kv::Solsta& st = kv::solsta();

  // 1. Step number and caption.
  const int istep = ++st.istep;
  const std::string cap = step_caption(work.label, istep, work.target);
  kv::titles().ldlabl = cap;
  if (tr_d_ || tr_f_ || tr_g_ || tr_l_)
    trace_step_line(work.label, istep, work.target, kv::ctl_true(kv::kNEWK), newkg_);

  // 2-3. Increment of the load factor.
  const float dfact_prev = dfact_;
  dfact_ = work.target - factor_;
  const bool equal_steps = work.pmax == 0.0f && work.dmax == 0.0f;
  if (nsub > 0 && equal_steps) dfact_ /= static_cast<float>(nsub);
  if (dfact_ == 0.0f) return Outcome::record_done;

  const bool applies = step_loads();
  if (!solve_increment(cap)) return Outcome::end_solution;
  bool last = false;
  if (const std::optional<Outcome> o = control_step(work, istep, dfact_prev, nsub, last)) return *o;
  if (!correct_unbalance(istep)) return Outcome::end_solution;
  const float urms = unbalance_norm();
  if (!real_finite(urms, "NLSTEP", "NORM OF UNBALANCED FORCE")) {
    ctl(kv::kISTOP) = -1;
    return Outcome::end_solution;
  }
  reference_loads(work, next);
  const bool printnow = istep % s_.rec.iprint == 0;
  if (!state_and_report(work, cap, urms, printnow)) return Outcome::abandon;
  if (!totals_and_limit_point(applies, dfact_prev, istep)) return Outcome::end_solution;
  equilibrium_check();
  if (!reactions(istep, cap, printnow)) return Outcome::end_solution;
  if (!commit(istep, cap, printnow)) return Outcome::end_solution;
  return last ? Outcome::record_done : Outcome::next;
}

// The caller gets back whether the step applies any load on the solved
// equations.
bool StepLoop::step_loads() {
  const int neq = s_.neq;
  const int l2 = s_.l2;
  const StepVectors& v = v_;

  // 4. Loads of the step.
  bool applies = false;
  for (int i = 0; i < l2; ++i) {
    v.dpload[i] = (v.pjoint[i] + v.pelem[i]) * dfact_;
    if (v.dpload[i] != 0.0f) applies = true;
  }
  for (int i = l2; i < neq; ++i) {
    v.dpload[i] = -dfact_ * v.pelem[i];
    v.dudisp[i] = dfact_ * v.pjoint[i];
  }
  return applies;
}

// The caller gets back false after a solver failure.
bool StepLoop::solve_increment(const std::string& cap) {
  const int neq = s_.neq;
  const int l2 = s_.l2;
  const StepVectors& v = v_;

  // 5. Tangent stiffness.
  bool formed = false;
  if (kv::ctl_true(kv::kNEWK) || newkg_) {
    elements::form(1);
    formed = true;
    if (s_.kgdata[1] == 1) {
      newkg_ = false;  // the geometric stiffness of input loads does not change
      kv::set_ctl_logical(kv::kNEWKG, false);
    }
    if (tr_f_) {
      const SkylineView k = stiffness_view();
      base::skyprt(k.a, k.mdiag, neq, neq > 0 ? k.mdiag[neq] : 1, "GLOBAL STIFFNESS DUMP=7");
      base::prtmat(v.dpload.v, neq, 1, "LOAD MATRIX  DUMP=7");
    }
  }

  // 6. Support displacements as loads on the solved equations.
  if (support_) {
    std::fill(v.psupp.v, v.psupp.v + l2, 0.0f);
    rea_ctn(kSupportDisplacementLoads, tr_d_, eq_, v.psupp.v, v.dudisp.v, neq, 1, stiffness_view(), 1.0f, model_,
            cap, false, rsum_);
    for (int i = 0; i < l2; ++i) v.dpload[i] += v.psupp[i];
  }

  // 7. Displacement increment.
  std::copy(v.dpload.v, v.dpload.v + l2, v.dudisp.v);
  if (!solve(formed ? solvers::kReduce : solvers::kReduceLoads, v.dudisp.v)) return false;
  if (!solve(solvers::kBackSubstitute, v.dudisp.v)) return false;
  if (tr_f_) base::prtmat(v.dudisp.v, neq, 1, "DISPLACEMENT  DUMP=7");
  return true;
}

// The caller gets back the outcome that ends the step here, or nothing when
// the step goes on; last says whether this step reaches the record's target.
std::optional<StepLoop::Outcome> StepLoop::control_step(const LoadStep& work, int istep, float dfact_prev,
                                                        int& nsub, bool& last) {
  const int neq = s_.neq;
  const int l2 = s_.l2;
  const StepVectors& v = v_;
  kv::Solsta& st = kv::solsta();

  // 8. Step-size control over the free equations.
  float pm = 0.0f;
  float dm = 0.0f;
  for (int i = s_.ncond; i < l2; ++i) {
    pm = std::max(pm, std::fabs(v.dpload[i]));
    dm = std::max(dm, std::fabs(v.dudisp[i]));
  }
  const StepSize size = step_size(pm, dm, work.pmax, work.dmax, nsub);
  if (size.scaled) {
    dfact_ /= size.ratio;
    for (int i = 0; i < neq; ++i) {
      v.psupp[i] /= size.ratio;
      v.dpload[i] /= size.ratio;
      v.dudisp[i] /= size.ratio;
    }
  }
  last = size.last;
  nsub = size.nsub;

  // An increment below the float spacing of the factor would repeat this
  // step for ever: the record ends here.
  if (factor_ + dfact_ == factor_) {
    fio::write(kOut, "(/,5X,'*** STEP',I6,': THE INCREMENT',1P,E12.4,' CANNOT CHANGE THE LOAD FACTOR',E12.4,/,"
                     "5X,'*** THE LOAD-STEP RECORD ',A,' ENDS HERE, SHORT OF ITS TARGET',E12.4)",
               istep, dfact_, factor_, work.label, work.target);
    kv::note_fault(kv::Fault::input_warning, "LOAD-STEP RECORD ENDS SHORT OF ITS TARGET: ITS INCREMENT CANNOT CHANGE THE FACTOR");
    --st.istep;
    dfact_ = dfact_prev;
    return Outcome::record_done;
  }
  // Steps of this size to the target, on top of those taken: a count or an
  // increment that would run for hours ends the solution before the step.
  if (!steps_within_limit(istep - 1 + std::fabs((static_cast<double>(work.target) - factor_) / dfact_),
                          "LOAD-STEP RECORD")) {
    ctl(kv::kISTOP) = -1;
    return Outcome::end_solution;
  }
  return std::nullopt;
}

// The caller gets back false after a solver failure.
bool StepLoop::correct_unbalance(int istep) {
  const int neq = s_.neq;
  const int l2 = s_.l2;
  const StepVectors& v = v_;

  // 9. Unbalanced-force switch.
  if (s_.rec.unbal) {
    const UnbalancedSwitch sw = unbalanced_switch(unbal_, sp_, s_.rec.splimit);
    if (sw == UnbalancedSwitch::off) {
      unbal_ = false;
      kv::solsta().unbal = false;
      unbalanced_note(false, printable_sp(sp_), s_.rec.splimit, istep);
    } else if (sw == UnbalancedSwitch::on) {
      unbal_ = true;
      kv::solsta().unbal = true;
      unbalanced_note(true, printable_sp(sp_), s_.rec.splimit, istep);
    }
  }

  // 10. Correction for the forces the elements could not carry last step.
  if (unbal_) {
    for (int i = 0; i < neq; ++i) v.punbal[i] = -v.funbal[i];
    for (int i = 0; i < l2; ++i) v.uunbal[i] = -v.funbal[i];
    std::fill(v.uunbal.v + l2, v.uunbal.v + neq, 0.0f);
    if (tr_f_) base::prtmat(v.punbal.v, neq, 1, "UNBALANCED LOAD MATRIX");
    if (!solve(solvers::kReduceLoads, v.uunbal.v)) return false;
    if (!solve(solvers::kBackSubstitute, v.uunbal.v)) return false;
    if (tr_f_) base::prtmat(v.uunbal.v, neq, 1, "UNBALANCED DISPLACEMENT");
    for (int i = 0; i < l2; ++i) v.dudisp[i] += v.uunbal[i];
    for (int i = l2; i < neq; ++i) v.dpload[i] -= v.punbal[i];
  }
  return true;
}

float StepLoop::unbalance_norm() {
  const int neq = s_.neq;
  const StepVectors& v = v_;

  // 11. Norm of the unbalanced forces; the elements fill them again.
  // Squares of forces beyond about 1.8e19 overflow a float; every one fits a double.
  double sumsq = 0.0;
  for (int i = 0; i < neq; ++i) sumsq += static_cast<double>(v.funbal[i]) * v.funbal[i];
  const float urms = neq > 0 ? static_cast<float>(std::sqrt(sumsq / neq)) : 0.0f;
  std::fill(v.funbal.v, v.funbal.v + neq, 0.0f);
  return urms;
}

void StepLoop::reference_loads(const LoadStep& work, const LoadStep& next) {
  const int neq = s_.neq;
  const StepVectors& v = v_;

  // 12. Reference and reversal loads.
  if (!reference_taken_) {
    for (int i = 0; i < neq; ++i) v.pref[i] = v.prevrs[i] = v.pjoint[i] + v.pelem[i];
    revfac_ = 2.0f;
    prevrs_set_ = true;
  } else if (load_reverses(factor_, dfact_, work.target, next.target)) {
    revfac_ = -revfac_;
    for (int i = 0; i < neq; ++i) v.prevrs[i] = revfac_ * (v.pjoint[i] + v.pelem[i]);
    prevrs_set_ = true;
  } else if (prevrs_set_) {
    std::fill(v.prevrs.v, v.prevrs.v + neq, 0.0f);
    prevrs_set_ = false;
  }
}

// The caller gets back false when the run is to be abandoned.
bool StepLoop::state_and_report(const LoadStep& work, const std::string& cap, float urms, bool printnow) {
  const int neq = s_.neq;
  const int l2 = s_.l2;
  const StepVectors& v = v_;

  // 13. State determination of every element.
  kv::set_ctl_logical(kv::kNEWK, false);
  element_pass(elements::kEleState, false, v);

  // 14. Reaction increments on the restrained equations.
  rea_ctn(kFormReactions, tr_d_, eq_, v.dpload.v, v.dudisp.v, neq, 1, stiffness_view(), 1.0f, model_, cap, false,
          rsum_);
  // K times the increment is what the elements were predicted to carry; what
  // they did not carry of it at the supports is the restrained rows of this
  // step's unbalance, so the reactions are the supports' share of the element
  // forces themselves. (The correction of the step before reached them at
  // that step already.) The stiffness parameter keeps the predicted
  // increments, which steer the solution.
  for (int i = l2; i < neq; ++i) {
    sp_dpload_[static_cast<std::size_t>(i)] = v.dpload[i];
    v.dpload[i] += v.funbal[i];
    if (unbal_) v.dpload[i] += v.punbal[i];
  }

  // 15. Geometric-stiffness trace and the step header.
  if (tr_f_ && s_.kgdata[3] == 2 && ctl(kv::kGeoValues) > 0) {
    fio::write_list(kOut, "*----- INCRIMENTAL FORCE DUE TO KG ");
    std::fill(v.kgwork.v, v.kgwork.v + neq, 0.0f);
    const std::int32_t* mdg = kv::iptr(ctl(kv::kGeoMdiag));
    solvers::skymul(true, true, neq > 0 ? mdg[neq] - 1 : 0, neq, s_.ncond + 1, l2, s_.ncond + 1, l2, mdg,
                    kv::skyptr(ctl(kv::kGeoValues)), v.kgwork.v, v.dudisp.v);
  }
  if (printnow)
    pager_.step_header(cap, work.target, factor_ + dfact_, dfact_, factor_, work.pmax, work.dmax, urms);

  // 16. The applied load increment again on the solved equations.
  if (support_)
    for (int i = 0; i < l2; ++i) v.dpload[i] -= v.psupp[i];

  // 17. Step report and energy balance. The scratch vector above the tables
  // stands for the quantities a static solution does not have.
  float* zero = kv::rptr(ctl(kv::kIZ));
  std::fill(zero, zero + neq, 0.0f);
  StepReport rep;
  rep.ncond = s_.ncond;
  rep.ncf = l2;
  rep.neq = neq;
  rep.trace = tr_l_;
  rep.dynamic = false;
  rep.print = printnow;
  rep.kgdata3 = s_.kgdata[3];
  rep.nelem = s_.nelem;
  rep.dt = 0.0f;
  rep.sumub = rep.sumrc = rep.dsumrc = rep.sumfd = rep.dsumfd = zero6_.data();
  rep.fdamp = rep.dfdamp = rep.fd = rep.dfd = zero;
  rep.a = rep.da = zero;
  rep.v = v.pref.v;
  rep.dv = v.prevrs.v;
  rep.d = v.utotal.v;
  rep.dd = v.dudisp.v;
  rep.p = v.ptotal.v;
  rep.dp = v.dpload.v;
  rep.work1 = v.work1.v;
  rep.work2 = v.work2.v;
  rep.nodes = model_.nodes;
  rep.nnode = s_.nnode;
  thprnt(rep);
  return (ctl(kv::kISTOP) & 1) == 0;
}

// A step whose elements leave as much force unbalanced on the joints as the
// loads and reactions it is under, or more, has no sound state: it is said in the
// report, and the run counts it as a fault once per solution. (A step past a
// limit point ends the solution with its own message before this.)
void StepLoop::equilibrium_check() {
  const StepVectors& v = v_;
  double unbalanced = 0.0;
  for (int i = 0; i < s_.l2; ++i) unbalanced += static_cast<double>(v.funbal[i]) * v.funbal[i];
  double applied = 0.0;
  for (int i = 0; i < s_.neq; ++i) {
    const double p = v.ptotal[i];
    applied += p * p;
  }
  // As large as the loads, up to the rounding of the sums: the elements carry
  // (almost) nothing of them.
  constexpr double kRounding = 1.0e-4;
  if (unbalanced == 0.0 || !(std::sqrt(unbalanced) >= (1.0 - kRounding) * std::sqrt(applied))) return;
  const int istep = kv::solsta().istep;
  fio::write(kOut, "(/,1X,'*** STEP',I6,': THE UNBALANCED JOINT FORCES',1P,E12.4,' REACH THE LOADS AND REACTIONS',"
                   "E12.4,/,1X,'    THE STEP IS NOT IN EQUILIBRIUM: ITS RESULTS ARE NOT A SOUND STATE',/)",
             istep, static_cast<float>(std::sqrt(unbalanced)), static_cast<float>(std::sqrt(applied)));
  if (out_of_balance_) return;
  out_of_balance_ = true;
  kv::note_fault(kv::Fault::solution_error,
                 fio::format("('STEP',I6,': THE UNBALANCED JOINT FORCES REACH THE LOADS AND REACTIONS')", istep));
}

// The caller gets back false when the solution ends past a limit point.
bool StepLoop::totals_and_limit_point(bool applies, float dfact_prev, int istep) {
  const int neq = s_.neq;
  const StepVectors& v = v_;

  // 18. Totals and peaks.
  for (int i = 0; i < neq; ++i) {
    v.ptotal[i] += v.dpload[i];
    v.utotal[i] += v.dudisp[i];
    if (std::fabs(v.upeak[i]) < std::fabs(v.utotal[i])) v.upeak[i] = v.utotal[i];
    if (std::fabs(v.ppeak[i]) < std::fabs(v.ptotal[i])) v.ppeak[i] = v.ptotal[i];
  }

  // 19. Stiffness parameter and the stop past a limit point.
  std::copy(v.dpload.v, v.dpload.v + s_.l2, sp_dpload_.begin());
  std::copy(v.ptotal.v, v.ptotal.v + s_.l2, sp_ptotal_.begin());
  for (int i = s_.l2; i < neq; ++i) sp_ptotal_[static_cast<std::size_t>(i)] += sp_dpload_[static_cast<std::size_t>(i)];
  const std::span<const float> dp(sp_dpload_);
  const std::span<const float> du(v.dudisp.v, static_cast<std::size_t>(neq));
  const std::span<const float> pt(sp_ptotal_);
  const float sp = stiffness_parameter(!reference_taken_, dp, du, pt, kinds_, spref_);
  reference_taken_ = true;
  const float sp_prev = sp_;
  sp_ = sp;
  if (passed_limit_point(applies, support_, sp_prev, sp, dfact_prev, dfact_)) {
    negative_sp_message(printable_sp(sp), istep);
    return false;
  }
  return true;
}

// The caller gets back false when the resultant is not finite.
bool StepLoop::reactions(int istep, const std::string& cap, bool printnow) {
  const int neq = s_.neq;
  const int l2 = s_.l2;
  const StepVectors& v = v_;

  // 20. Displacements, reactions and their resultant.
  if (printnow) {
    pager_.check(s_.nn6, istep, cap, false);
    prtdsp(kPerColumn, model_, neq, 1, l2, v.utotal.v, "DISPLACEMENTS", cap, false);
    pager_.check(s_.nrn7, istep, cap, true);
  }
  rea_ctn(kReactionReport, printnow, eq_, v.ptotal.v, v.utotal.v, neq, 1, stiffness_view(), 1.0f, model_, cap,
          false, rsum_);
  // A sum beyond the REAL range has ended the solution with its message.
  if (!std::all_of(rsum_.begin(), rsum_.end(), [](float x) { return std::isfinite(x); })) return false;
  store_rsum(rsum_);
  // The squares are formed in double: a finite resultant may have squares
  // beyond the REAL range.
  auto length3 = [](double a, double b, double c) { return std::sqrt(a * a + b * b + c * c); };
  const double rf_d = length3(rsum_[0], rsum_[1], rsum_[2]);
  const double rm_d = length3(rsum_[3], rsum_[4], rsum_[5]);
  if (!real_finite(rf_d, "NLSTEP", "RESULTANT OF REACTIONS") || !real_finite(rm_d, "NLSTEP", "RESULTANT OF REACTIONS")) {
    ctl(kv::kISTOP) = -1;
    return false;
  }
  const float rf = static_cast<float>(rf_d);
  const float rm = static_cast<float>(rm_d);
  rfmax_ = std::max(rfmax_, rf);
  rmmax_ = std::max(rmmax_, rm);
  if (printnow) resultant_line(rf, rm, false);
  for (std::size_t k = 0; k < 6; ++k)
    if (std::fabs(rpeak_[k]) < std::fabs(rsum_[k])) rpeak_[k] = rsum_[k];
  return true;
}

// The caller gets back false when the output limit ends the solution.
bool StepLoop::commit(int istep, const std::string& cap, bool printnow) {
  const StepVectors& v = v_;

  // 21. Commit, each element followed by the limit-state points it reached.
  if (printnow) pager_.check(s_.nel4, istep, cap, false);
  {
    const std::string_view label = kv::titles().ldlabl;
    int ltype = 0;
    for (int n = 1; n <= s_.nelem; ++n) {
      elements::EleCall c;
      c.iopt = elements::kEleCommit;
      c.ielno = n;
      c.lecho = printnow;
      c.label = label;
      c.idisp = v.dudisp.at;
      c.iload = v.dpload.at;
      elements::eledsp(c, ltype, 0);
      report_limit_states(istep);
    }
  }

  // 22. Ductilities.
  if (printnow) pager_.check(s_.nel4, istep, cap, false);
  element_pass(elements::kEleDuct, printnow, v);

  // 23. History records.
  if (s_.rec.nwrite > 0 && istep % s_.rec.nwrite == 0) {
    int n = s_.rec.nwrite;
    float t0 = 0.0f, dt = 0.0f;
    histry(kHistRecords, n, t0, dt);
  }

  // 24. Load factor reached.
  factor_ += dfact_;
  if (!output_within_limit()) {
    ctl(kv::kISTOP) = -1;
    return false;
  }
  return true;
}

void StepLoop::end_reports() {
  const int neq = s_.neq;
  if (s_.rec.nwrite > 0) {
    int n = s_.rec.nwrite;
    float t0 = 0.0f, dt = 0.0f;
    histry(kHistClose, n, t0, dt);
  }
  pager_.set_lines(s_.nn6 + 4);
  step_page_header(0, "MAXIMUM DISPLACEMENTS");
  prtdsp(kEnvelope, model_, neq, 1, s_.l2, v_.upeak.v, "DISPLACEMENTS", "MAXIMUM VALUES", false);

  step_page_header(0, "MAXIMUM REACTIONS");
  rea_ctn(kReactionEnvelope, true, eq_, v_.ppeak.v, v_.upeak.v, neq, 1, stiffness_view(), 1.0f, model_,
          "MAXIMUM VALUES", false, rpeak_);
  resultant_line(rfmax_, rmmax_, true);

  step_page_header(0, "PEAK ELEMENT FORCES");
  element_pass(elements::kEleMaxima, true, v_);
  step_page_header(0, "PEAK DUCTILITIES");
  element_pass(elements::kEleDuct, true, v_);
  element_pass(elements::kEleDamage, true, v_);
}

}  // namespace

void nlstep(const Setup& s) {
  StepLoop loop(s);
  loop.run();
  kv::solsta().unbal = false;
}

}  // namespace solutions::nonlinear
