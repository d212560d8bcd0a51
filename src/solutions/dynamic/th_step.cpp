#include "solutions/dynamic/th_step.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "base/globals.h"
#include "base/matrix_print.h"
#include "base/node_tables.h"
#include "base/work_array.h"
#include "elements/eledsp.h"
#include "elements/form.h"
#include "fio/fio.h"
#include "solutions/displacement_report.h"
#include "solutions/dynamic/ground_motion.h"
#include "solutions/dynamic/histry.h"
#include "solutions/dynamic/initial_conditions.h"
#include "solutions/dynamic/integrators.h"
#include "solutions/dynamic/step_report.h"
#include "solutions/dynamic/th_reports.h"
#include "solutions/finite_check.h"
#include "solutions/run_limits.h"
#include "solutions/reactions.h"
#include "solvers/skyline_products.h"
#include "solvers/skyline_solver.h"

namespace solutions {

namespace {

using kv::ctl;

constexpr int kOut = 6;

// CONTRL words of the solution vectors.
constexpr int kFUnbal = kv::kSolVector65;

// A displacement of larger magnitude ends the run.
constexpr float kDisplacementLimit = 300.0f;

float* vec(int word) { return kv::rptr(ctl(word)); }

bool stopped() { return (ctl(kv::kISTOP) & 1) != 0; }

// The step caption "STEP:",I6,",  TIME:",1PE13.5 written into LDLABL in place.
void step_caption(int istep, float t) {
  char buf[48];
  const double tt = t == 0.0f ? 0.0 : static_cast<double>(t);
  std::snprintf(buf, sizeof buf, "STEP:%6d,  TIME:%13.5E", istep, tt);
  std::string& label = kv::titles().ldlabl;
  label.assign(buf);
  label.resize(40, ' ');
}

// One element option for every element, the previous type reset first.
void element_pass(int iopt, bool report, int lhead) {
  int ltype = 0;
  const int nelem = ctl(kv::kNELEM);
  for (int n = 1; n <= nelem; ++n) {
    elements::EleCall c;
    c.iopt = iopt;
    c.ielno = n;
    c.lecho = report;
    c.label = kv::titles().ldlabl;
    c.idisp = ctl(kv::kDUDISP);
    c.iload = ctl(kv::kDPLOAD);
    elements::eledsp(c, ltype, lhead);
  }
}

// The first element, in ELETAB order, whose critical-load word reaches 1.0
// (element option 11 with the switches off); 0 when none does.
int first_critical_element() {
  int ltype = 0;
  const int nelem = ctl(kv::kNELEM);
  for (int n = 1; n <= nelem; ++n) {
    elements::EleCall c;
    c.iopt = elements::kEleDuct;
    c.ielno = n;
    c.lecho = false;
    c.label = kv::titles().ldlabl;
    c.idisp = ctl(kv::kDUDISP);
    c.iload = ctl(kv::kDPLOAD);
    c.r4 = 0.0f;
    elements::eledsp(c, ltype, 0);
    if (c.r4 >= 1.0f) return n;
  }
  return 0;
}

void store_six(int word, const std::array<float, 6>& v) {
  float* w = kv::ctl_rptr(word);
  for (std::size_t j = 0; j < 6; ++j) w[j] = v[j];
}

// Entries of x above |peak| replace it (a later equal magnitude does not).
void track_peak(float* peak, float x) {
  if (std::fabs(x) > std::fabs(*peak)) *peak = x;
}

// Everything the loop keeps from one step to the next.
struct LoopState {
  std::array<float, 3> dgacc{}, dgvel{}, dgdsp{};
  std::array<float, 6> dsumrc{}, sumub{}, dsumfd{}, sumfd{};
  std::array<float, 5> epeak{};
  float rforce = 0.0f, rmomnt = 0.0f, rfmax = 0.0f, rmmax = 0.0f;
  bool reached = false;         // an element was reported to reach its critical load
  bool mass_reduce = false;     // reduce the mass with the next condensation
  bool kg_reduce = false;       // reduce the geometric stiffness with the next condensation
};

class StepLoop {
 public:
  explicit StepLoop(const TimeHistoryData& h)
      : h_(h),
        neq_(h.neq),
        ncond_(h.ncond),
        ncf_(h.ncond + h.nfree),
        rm_{base::node_tables(), ctl(kv::kNNODE), ctl(kv::kNCOS)},
        restrained_nodes_(reaction_nodes(rm_, restrained())),
        mass_damping_nodes_(reaction_nodes(rm_, mass_damping_ranges())),
        k_{h.k > 0 ? kv::skyptr(h.k) : nullptr, h.kmdiag > 0 ? kv::iptr(h.kmdiag) : nullptr},
        trace_d_(kv::trace('D')),
        trace_e_(kv::trace('E')),
        trace_f_(kv::trace('F')),
        trace_l_(kv::trace('L')),
        ductility_pass_(unprinted_ductility_matters()) {}

  void run();

 private:
  bool set_up();
  bool step(int istep, float t, float tl);
  void step_load(int istep, float t, float tl);
  void form_matrices();
  bool increments();
  void element_state();
  void geometric_forces();
  bool report_energies(int istep, bool print);
  bool reaction_resultants();
  bool response_reports(bool print);
  void element_commit(int istep, bool print);
  void condense();
  bool recover();
  void reactions();
  void damping_forces();
  void report_step(bool print);
  void commit();
  bool displacement_limit();
  IntegratorCall integrator_call(int iopt, bool newkef);
  EquationRanges restrained() const { return EquationRanges{1, ncf_, ncf_ + 1, neq_}; }
  // The rows of the mass damping's reactions: all but the condensed ones.
  EquationRanges mass_damping_ranges() const { return EquationRanges{1, ncond_, ncond_ + 1, neq_}; }

  const TimeHistoryData& h_;
  const int neq_;
  const int ncond_;
  const int ncf_;
  const ReportModel rm_;
  // The nodes that report reactions, found once for the solution.
  const ReactionNodes restrained_nodes_;
  const ReactionNodes mass_damping_nodes_;
  const SkylineView k_;
  const bool trace_d_, trace_e_, trace_f_, trace_l_;
  // The step report's ductility pass, which for most models repeats what the
  // state determination left.
  const bool ductility_pass_;
  GroundMotion g_;
  IntegratorConstants c_;
  LoopState s_;
  std::array<float, 6> scratch6_{};
  // The effective matrix as last built, before its reduction (the traced
  // reduction prints the whole matrix, so it is formed whole there).
  std::vector<kv::SkyReal> keff_terms_;
  bool keff_kept_ = false;
  // The element matrices of the last stiffness formation, and whether this
  // step formed the stiffness through them with nothing else of the
  // effective matrix changed (its columns then tell what to combine again).
  elements::StiffnessMemory k_memory_;
  bool k_columns_known_ = false;
};

IntegratorCall StepLoop::integrator_call(int iopt, bool newkef) {
  IntegratorCall ic;
  ic.iopt = iopt;
  ic.trace = trace_e_;
  ic.dt = h_.dt;
  ic.factor = h_.method == kLinearAcceleration ? 1.0f : h_.theta;
  ic.newkef = newkef;
  ic.ncond = ncond_;
  ic.nfree = h_.nfree;
  ic.neq = neq_;
  ic.idamp = ctl(kv::kIDAMP);
  const std::int64_t damp = ctl(kv::kDampRecord);
  ic.alpha = damp > 0 ? static_cast<float>(kv::rzm(damp)) : 0.0f;
  ic.beta = damp > 0 ? static_cast<float>(kv::rzm(damp + 1)) : 0.0f;
  ic.k = h_.k;
  ic.kmdiag = h_.kmdiag;
  ic.nstk = h_.nstk;
  ic.m = h_.m;
  ic.mmdiag = h_.mmdiag;
  ic.nstm = h_.nstm;
  ic.kg = h_.kg;
  ic.kgmdiag = h_.kgmdiag;
  ic.nstg = h_.nstg;
  ic.kgdata1 = h_.kgdata[1];
  ic.kgdata3 = h_.kgdata[3];
  ic.accel = 0.0f;
  ic.a = ctl(kv::kATOTAL);
  ic.v = ctl(kv::kVTOTAL);
  ic.d = ctl(kv::kUTOTAL);
  ic.p = ctl(kv::kPTOTAL);
  ic.pstep = h_.pstep;
  ic.da = ctl(kv::kDACCEL);
  ic.dv = ctl(kv::kDVELOC);
  ic.dd = ctl(kv::kDUDISP);
  ic.workv = h_.workv;
  ic.keff = h_.keff;
  ic.keffdg = h_.keffdg;
  ic.nkeff = h_.nkeff;
  ic.q = h_.q;
  ic.r = h_.r;
  ic.pbar = h_.pbar;
  if (!trace_e_ && h_.nkeff > 0 && h_.nfree > 0) {
    if (keff_terms_.empty()) keff_terms_.resize(static_cast<std::size_t>(h_.nkeff));
    ic.keff_terms = keff_terms_.data();
    ic.keff_terms_kept = &keff_kept_;
    if (k_columns_known_) ic.k_changed = k_memory_.changed.data();
  }
  ic.resid = h_.resid;
  ic.dwork = h_.dwork;
  return ic;
}

// Set-up up to the integrator's constants. False when the solution ends here.
bool StepLoop::set_up() {
  kv::solsta().istep = 0;
  if (trace_f_ && h_.m > 0) base::skyprt(kv::skyptr(h_.m), kv::iptr(h_.mmdiag), neq_, h_.nstm, "MASS MATRIX DUMP=7");

  float* gacc = kv::ctl_rptr(kv::kGACC);
  for (int i = 0; i < 9; ++i) gacc[i] = 0.0f;
  kv::ctl_double(kv::kEPLAS) = 0.0;
  kv::ctl_double(kv::kEKIN) = 0.0;
  kv::ctl_double(kv::kEDAMP) = 0.0;
  const auto& kgd = h_.kgdata;
  kv::set_ctl_logical(kv::kNEWKG, kgd[1] != 0 && kgd[2] != 0 && kgd[3] != 0);
  kv::set_ctl_logical(kv::kNEWK, true);

  initcd(neq_, rm_.nodes, rm_.nnode, vec(kv::kUTOTAL), vec(kv::kVTOTAL), vec(kv::kATOTAL), vec(kv::kPTOTAL));
  kv::Stcase& st = kv::stcase();
  if (st.istat == 1) {
    kv::ctl_double(kv::kEINPUT) = static_cast<double>(kv::ctl_double(kv::kESTRN));
  } else if (st.istat == 0) {
    kv::ctl_double(kv::kEINPUT) = 0.0;
    kv::ctl_double(kv::kESTRN) = 0.0;
    st.rstat.fill(0.0f);
  }

  g_.ngp = h_.ngp;
  g_.neq = neq_;
  g_.agx = h_.agx;
  g_.agy = h_.agy;
  g_.agz = h_.agz;
  g_.scratch = h_.gscratch;
  g_.mascos = h_.mascos;
  g_.mass = h_.lmass ? h_.sm : h_.m;
  g_.mass_mdiag = h_.lmass ? h_.smdiag : h_.mmdiag;
  g_.nodes = rm_.nodes;
  g_.nnode = rm_.nnode;
  g_.grav = kv::titles().grav;
  std::array<float, 3> agt{};
  if (grdacc_read(g_, h_.t0, h_.t0 - h_.dt, trace_d_, agt) != GroundStatus::ok) {
    kv::note_fault(kv::Fault::solution_error, "TIME HISTORY ENDED: THE GROUND MOTION CANNOT BE USED");
    return false;
  }
  for (int i = 0; i < 3; ++i) gacc[i] = agt[static_cast<std::size_t>(i)];

  // A step that does not advance in time, or no step at all, has nothing to
  // integrate; Wilson's interval theta*DT divides every constant.
  if (!(h_.dt > 0.0f)) {
    fio::write(kOut, "(/,5X,'*** TIME STEP',1P,E13.5,' IS NOT ABOVE 0.0',/,5X,'SOLN IS ABORTED')", h_.dt);
    kv::note_fault(kv::Fault::solution_error, "TIME HISTORY ABORTED: THE TIME STEP IS NOT ABOVE 0.0");
    return false;
  }
  if (step_count(h_.t0, h_.tf, h_.dt) < 1) {
    fio::write(kOut,
               "(/,5X,'*** FINAL TIME',1P,E13.5,' LEAVES NO TIME STEP OF',E13.5,' AFTER THE INITIAL TIME',E13.5,/,"
               "5X,'SOLN IS ABORTED')",
               h_.tf, h_.dt, h_.t0);
    kv::note_fault(kv::Fault::solution_error, "TIME HISTORY ABORTED: THE FINAL TIME LEAVES NO TIME STEP");
    return false;
  }
  // The step count in double: in float a count near 2^31 cannot be compared.
  if (!steps_within_limit((static_cast<double>(h_.tf) - h_.t0) / h_.dt, "TIME DATA")) {
    ctl(kv::kISTOP) = -1;
    return false;
  }
  if (h_.method == kWilsonTheta && !(h_.theta > 0.0f)) {
    fio::write(kOut, "(/,5X,'*** WILSON THETA',1P,E13.5,' IS NOT ABOVE 0.0',/,5X,'SOLN IS ABORTED')", h_.theta);
    kv::note_fault(kv::Fault::solution_error, "TIME HISTORY ABORTED: WILSON THETA IS NOT ABOVE 0.0");
    return false;
  }

  grdacc_step(g_, h_.t0, h_.t0 - h_.dt, trace_d_, ctl(kv::kPTOTAL), s_.dgacc);
  std::int32_t& istop = ctl(kv::kISTOP);
  integrate(h_.method, integrator_call(kIntegratorConstants, false), c_, istop);
  return true;
}

void StepLoop::condense() {
  std::int32_t& istop = ctl(kv::kISTOP);
  int l1 = 1;
  int l2 = ncond_;
  const bool newk = kv::ctl_true(kv::kNEWK);
  solvers::msoll(newk ? solvers::kReduce : solvers::kReduceLoads, trace_f_, ncf_, h_.nstk, neq_, 1, l1, l2,
                 h_.kmdiag, h_.k, h_.pstep, h_.workv, newk && s_.mass_reduce && h_.m > 0, h_.m, h_.mmdiag,
                 h_.nstm, newk && s_.kg_reduce && h_.kg > 0, h_.kg, h_.kgmdiag, h_.nstg, istop);
  if (newk) {
    // The mass is reduced with the first new stiffness only; the geometric
    // stiffness whenever it was formed again.
    s_.mass_reduce = false;
    s_.kg_reduce = false;
  }
}

// The condensed equations of the three increments from the free ones.
bool StepLoop::recover() {
  static constexpr const char* kTraces[3] = {"*---- CALC DISPL", "*---- CALC VELOC", "*---- CALC ACCEL"};
  static constexpr int kWords[3] = {kv::kDUDISP, kv::kDVELOC, kv::kDACCEL};
  const EquationRanges eq{1, ncond_, ncond_ + 1, ncf_};
  std::int32_t& istop = ctl(kv::kISTOP);
  for (int n = 0; n < 3; ++n) {
    if (trace_f_) fio::write_list(kOut, kTraces[n]);
    float* x = vec(kWords[n]);
    rea_ctn(kSupportDisplacementLoads, trace_f_, eq, x, x, neq_, 1, k_, 1.0f, rm_, kv::titles().ldlabl, false,
            scratch6_);
    int l1 = 1;
    int l2 = ncond_;
    solvers::msoll(solvers::kBackSubstitute, trace_f_, ncf_, h_.nstk, neq_, 1, l1, l2, h_.kmdiag, h_.k,
                   ctl(kWords[n]), h_.workv, false, 0, 0, 0, false, 0, 0, 0, istop);
    if (stopped()) return false;
  }
  return true;
}

void StepLoop::reactions() {
  const EquationRanges eq = restrained();
  const std::string_view label = kv::titles().ldlabl;
  if (trace_f_) fio::write_list(kOut, "*---- CALC REACT=K*X");
  rea_ctn(kFormReactions, trace_f_, eq, vec(kv::kDPLOAD), vec(kv::kDUDISP), neq_, 1, k_, 1.0f, rm_, label, false, scratch6_);
  rea_ctn(kReactionReport, trace_f_, eq, vec(kv::kDPLOAD), vec(kv::kDUDISP), neq_, 1, k_, 1.0f, rm_, label, false, s_.dsumrc,
          &restrained_nodes_);
  // What the elements could not carry of the predicted forces reaches the
  // supports too: the ground work takes the restrained rows of the step's
  // unbalanced joint forces besides the reaction increment.
  s_.sumub.fill(0.0f);
  if (!h_.elastc)
    rea_ctn(kReactionReport, false, eq, vec(kFUnbal), vec(kFUnbal), neq_, 1, k_, 1.0f, rm_, label, false, s_.sumub,
            &restrained_nodes_);
  // With UNBAL their free rows join the next load; their restrained rows join
  // the reactions now, so that the supports report the forces the elements
  // really carry.
  if (!h_.elastc && h_.unbal) {
    float* dp = vec(kv::kDPLOAD);
    const float* fu = vec(kFUnbal);
    for (int i = ncf_; i < neq_; ++i) dp[i] += fu[i];
  }
}

void StepLoop::damping_forces() {
  const float alpha = c_.alpha;
  const float beta = c_.beta;
  float* dfdamp = kv::rptr(h_.dfdamp);
  float* workv = kv::rptr(h_.workv);
  const int lo = ncond_ + 1;
  s_.dsumfd.fill(0.0f);
  const std::string_view label = kv::titles().ldlabl;

  if (beta != 0.0f && h_.k > 0) {
    if (trace_f_) fio::write_list(kOut, " *---- DAMPING FORCE/REACT DUE TO STIFFNESS");
    solvers::skymul(trace_f_, true, h_.nstk, neq_, lo, ncf_, lo, ncf_, h_.kmdiag, h_.k, h_.dfdamp, ctl(kv::kDVELOC));
    solvers::skymul(trace_f_, true, h_.nstk, neq_, ncf_ + 1, neq_, 1, ncf_, h_.kmdiag, h_.k, h_.dfdamp,
                    ctl(kv::kDVELOC));
    if (h_.kgdata[3] == 2 && h_.kg > 0) {
      if (trace_f_) fio::write_list(kOut, " *---- DAMPING FORCE/REACT DUE TO KG ");
      solvers::skymul(trace_f_, true, h_.nstg, neq_, lo, ncf_, lo, ncf_, h_.kgmdiag, h_.kg, h_.workv, ctl(kv::kDVELOC));
      solvers::skymul(trace_f_, true, h_.nstg, neq_, ncf_ + 1, neq_, 1, ncf_, h_.kgmdiag, h_.kg, h_.workv,
                      ctl(kv::kDVELOC));
      for (int i = lo; i <= neq_; ++i) dfdamp[i - 1] -= workv[i - 1];
    }
    rea_ctn(kReactionReport, false, restrained(), dfdamp, dfdamp, neq_, 1, k_, 1.0f, rm_, label, false, s_.dsumfd,
            &restrained_nodes_);
    for (int j = 0; j < 6; ++j) {
      s_.dsumfd[static_cast<std::size_t>(j)] *= beta;
      if (trace_f_) fio::write_list(kOut, "I,DSUMFD(I),BETA", j + 1, s_.dsumfd[static_cast<std::size_t>(j)], beta);
    }
    for (int i = lo; i <= ncf_; ++i) dfdamp[i - 1] *= beta;
  }

  if (alpha != 0.0f) {
    if (trace_f_) fio::write_list(kOut, "*----- DAMPING FORCE DUE TO MASS ");
    std::fill(workv, workv + neq_, 0.0f);
    if (h_.m > 0)
      solvers::skymul(trace_f_, true, h_.nstm, neq_, lo, ncf_, lo, ncf_, h_.mmdiag, h_.m, h_.workv, ctl(kv::kDVELOC));
    std::array<float, 6> sm{};
    rea_ctn(kReactionReport, false, mass_damping_ranges(), workv, workv, neq_, 1, k_, 1.0f, rm_, label, false, sm,
            &mass_damping_nodes_);
    if (beta == 0.0f) {
      for (int i = lo; i <= ncf_; ++i) dfdamp[i - 1] = alpha * workv[i - 1];
      for (std::size_t j = 0; j < 6; ++j) s_.dsumfd[j] = -alpha * sm[j];
    } else {
      for (int i = lo; i <= ncf_; ++i) dfdamp[i - 1] += alpha * workv[i - 1];
      for (std::size_t j = 0; j < 6; ++j) s_.dsumfd[j] -= alpha * sm[j];
    }
    if (trace_f_) fio::write_list(kOut, "DSUMFD:", std::span<const float>(s_.dsumfd));
  }
  if (trace_f_) {
    const float* fdamp = kv::rptr(h_.fdamp);
    for (int i = lo; i <= neq_; ++i)
      fio::write_list(kOut, "I", i, "DFDAMP", dfdamp[i - 1], "FDAMP", fdamp[i - 1]);
  }
}

void StepLoop::report_step(bool print) {
  StepReport r;
  r.ncond = ncond_;
  r.ncf = ncf_;
  r.neq = neq_;
  r.trace = trace_l_;
  r.dynamic = true;
  r.print = print;
  if (h_.m > 0) {
    r.mass = kv::skyptr(h_.m);
    r.mass_mdiag = kv::iptr(h_.mmdiag);
    r.mass_nstore = h_.nstm;
  }
  r.alpha = c_.alpha;
  r.beta = c_.beta;
  r.kgdata3 = h_.kgdata[3];
  r.nelem = ctl(kv::kNELEM);
  r.dt = h_.dt;
  r.sumub = s_.sumub.data();
  r.sumrc = kv::ctl_rptr(kv::kRSUM);
  r.dsumrc = s_.dsumrc.data();
  r.sumfd = s_.sumfd.data();
  r.dsumfd = s_.dsumfd.data();
  r.fdamp = kv::rptr(h_.fdamp);
  r.dfdamp = kv::rptr(h_.dfdamp);
  r.fd = kv::rptr(h_.fd);
  r.dfd = kv::rptr(h_.dfd);
  r.a = vec(kv::kATOTAL);
  r.v = vec(kv::kVTOTAL);
  r.d = vec(kv::kUTOTAL);
  r.da = vec(kv::kDACCEL);
  r.dv = vec(kv::kDVELOC);
  r.dd = vec(kv::kDUDISP);
  float* zerov = kv::rptr(h_.zerov);
  if (h_.lmass) {
    // The loads carry the earthquake: the ground itself stands still.
    r.p = vec(kv::kPTOTAL);
    r.dp = vec(kv::kDPLOAD);
    r.dgacc = zerov;
    r.gacc = zerov;
  } else {
    r.p = zerov;
    r.dp = zerov;
    r.dgacc = s_.dgacc.data();
    r.gacc = kv::ctl_rptr(kv::kGACC);
  }
  r.dgvel = s_.dgvel.data();
  r.dgdsp = s_.dgdsp.data();
  r.gvel = kv::ctl_rptr(kv::kGVEL);
  r.gdsp = kv::ctl_rptr(kv::kGDSP);
  r.work1 = kv::rptr(h_.work1);
  r.work2 = kv::rptr(h_.work2);
  r.nodes = rm_.nodes;
  r.nnode = rm_.nnode;
  r.ductility_pass = ductility_pass_;
  thprnt(r);
}

void StepLoop::commit() {
  float* a = vec(kv::kATOTAL);
  float* v = vec(kv::kVTOTAL);
  float* u = vec(kv::kUTOTAL);
  float* p = vec(kv::kPTOTAL);
  float* da = vec(kv::kDACCEL);
  float* dv = vec(kv::kDVELOC);
  float* du = vec(kv::kDUDISP);
  float* dp = vec(kv::kDPLOAD);
  float* fdamp = kv::rptr(h_.fdamp);
  float* dfdamp = kv::rptr(h_.dfdamp);
  float* fd = kv::rptr(h_.fd);
  const float* dfd = kv::rptr(h_.dfd);
  float* apeak = kv::rptr(h_.apeak);
  float* vpeak = kv::rptr(h_.vpeak);
  float* upeak = kv::rptr(h_.upeak);
  float* ppeak = kv::rptr(h_.ppeak);
  if (trace_e_)
    fio::write(kOut, "('   DOF',6X,'DD',12X,'DV',12X,'DA',12X,'DP',12X,' D',12X,' V',12X,' A',12X,' P')");
  for (int i = 0; i < neq_; ++i) {
    a[i] += da[i];
    v[i] += dv[i];
    u[i] += du[i];
    p[i] += dp[i];
    fdamp[i] += dfdamp[i];
    fd[i] += dfd[i];
    track_peak(apeak + i, a[i]);
    track_peak(vpeak + i, v[i]);
    track_peak(upeak + i, u[i]);
    track_peak(ppeak + i, p[i]);
    if (trace_e_) fio::write(kOut, "(1X,I6,1P,8E14.6)", i + 1, du[i], dv[i], da[i], dp[i], u[i], v[i], a[i], p[i]);
    da[i] = 0.0f;
    dv[i] = 0.0f;
    du[i] = 0.0f;
    dfdamp[i] = 0.0f;
    dp[i] = 0.0f;
  }
}

bool StepLoop::displacement_limit() {
  const float* u = vec(kv::kUTOTAL);
  for (int i = 1; i <= neq_; ++i) {
    if (std::fabs(u[i - 1]) > kDisplacementLimit) {
      fio::write_list(kOut, " DISP(", i, ") GREATER THAN 300. PROGRAM STOP");
      ctl(kv::kISTOP) |= 1;
      // The run ends on it (status 2): the console says why.
      kv::note_fault(kv::Fault::solution_error,
                     fio::format("('TIME HISTORY STOPPED: DISPLACEMENT OF EQUATION',I6,' BEYOND 300.0')", i));
      return true;
    }
  }
  return false;
}

// The step's load: the ground's share, and with UNBAL the negative of what
// the elements could not carry; FUNBAL cleared for this step's elements.
void StepLoop::step_load(int istep, float t, float tl) {
  step_caption(istep, t);
  grdacc_step(g_, t, tl, trace_d_, ctl(kv::kDPLOAD), s_.dgacc);

  float* pstep = kv::rptr(h_.pstep);
  const float* dpload = vec(kv::kDPLOAD);
  float* funbal = vec(kFUnbal);
  if (!h_.unbal) {
    std::copy(dpload, dpload + neq_, pstep);
  } else {
    // FUNBAL holds what the elements could not carry beyond their predicted
    // forces; the load that restores equilibrium is its negative.
    for (int i = 0; i < ncf_; ++i) pstep[i] = dpload[i] - funbal[i];
    for (int i = ncf_; i < neq_; ++i) pstep[i] = -funbal[i];
  }
  // The elements fill it again with this step's unbalanced forces.
  std::fill(funbal, funbal + neq_, 0.0f);
}

// The stiffness and the geometric stiffness formed again where asked.
void StepLoop::form_matrices() {
  // The condensation reduces K in place: its columns cannot be kept.
  k_columns_known_ = false;
  if (kv::ctl_true(kv::kNEWK)) {
    if (ncond_ == 0) {
      elements::form_changed(k_memory_);
      k_columns_known_ = !kv::ctl_true(kv::kNEWKG);
    } else {
      elements::form(1);
    }
    if (trace_f_) base::skyprt(kv::skyptr(h_.k), kv::iptr(h_.kmdiag), neq_, h_.nstk, "GLOBAL STIFFNESS DUMP=7");
  }
  if (kv::ctl_true(kv::kNEWKG)) {
    if (h_.kgdata[3] == 2) {
      elements::form(2);
      if (trace_f_ && h_.kg > 0)
        base::skyprt(kv::skyptr(h_.kg), kv::iptr(h_.kgmdiag), neq_, h_.nstg, "KG MATRIX DUMP=7");
      s_.kg_reduce = kv::ctl_true(kv::kKGCOND);
    } else {
      s_.kg_reduce = false;
    }
  }
}

// Condensation, integration and recovery: the step's increments. False when
// the loop must end (a zero pivot, or increments beyond the range).
bool StepLoop::increments() {
  if (ncond_ > 0) {
    condense();
    if (stopped()) return false;
  }

  const bool newkef = kv::ctl_true(kv::kNEWK) || kv::ctl_true(kv::kNEWKG) || h_.kgdata[1] == 1;
  std::int32_t& istop = ctl(kv::kISTOP);
  integrate(h_.method, integrator_call(kIntegratorStep, newkef), c_, istop);
  if (stopped()) return false;

  if (ncond_ > 0 && !recover()) return false;
  // A pivot that passed the zero test may still be too small for the step's
  // load: the loop ends as after a zero pivot, before the increment is used.
  if (!solution_finite(vec(kv::kDUDISP), ncf_, 1, neq_, "THSTEP")) {
    istop = -1;
    return false;
  }
  // The integrator forms velocities and accelerations from the displacement:
  // on degrees of freedom without mass they can leave the range even so.
  if (!solution_finite(vec(kv::kDVELOC), ncf_, 1, neq_, "THSTEP", "VELOCITY") ||
      !solution_finite(vec(kv::kDACCEL), ncf_, 1, neq_, "THSTEP", "ACCELERATION")) {
    istop = -1;
    return false;
  }
  return true;
}

// Element state; an element whose tangent changed asks for a new stiffness.
void StepLoop::element_state() {
  kv::set_ctl_logical(kv::kNEWK, false);
  element_pass(elements::kEleState, false, 0);
  if (h_.elastc) kv::set_ctl_logical(kv::kNEWK, false);
  if (h_.kgdata[1] == 2) {
    kv::set_ctl_logical(kv::kNEWKG, true);
    if (ncond_ > 0) kv::set_ctl_logical(kv::kNEWK, true);
  } else {
    kv::set_ctl_logical(kv::kNEWKG, false);
  }
}

// The step's forces of the separate geometric stiffness.
void StepLoop::geometric_forces() {
  if (h_.kgdata[3] != 2 || h_.kg <= 0) return;
  if (trace_f_) fio::write_list(kOut, "*----- INCRIMENTAL FORCE DUE TO KG ");
  solvers::skymul(trace_f_, true, h_.nstg, neq_, ncond_ + 1, ncf_, ncond_ + 1, ncf_, h_.kgmdiag, h_.kg, h_.dfd,
                  ctl(kv::kDUDISP));
}

// The step report and the energy peaks; false when it ended the solution (an
// energy beyond the REAL range).
bool StepLoop::report_energies(int istep, bool print) {
  if (print)
    fio::write(kOut, "('1 STRUCTURE....: ',A,/,'  SOLUTION.....: ',A,/,/,2X,' ',',  LOADING #',I5,5X,A)",
               kv::titles().title1, kv::titles().title2, istep, kv::titles().ldlabl);

  report_step(print);
  if (stopped()) return false;

  const double energies[5] = {kv::ctl_double(kv::kEINPUT), kv::ctl_double(kv::kESTRN), kv::ctl_double(kv::kEPLAS),
                              kv::ctl_double(kv::kEKIN), kv::ctl_double(kv::kEDAMP)};
  for (std::size_t j = 0; j < 5; ++j) s_.epeak[j] = std::max(s_.epeak[j], static_cast<float>(energies[j]));
  return true;
}

// The reaction sums and their resultants after the commit; false when a
// resultant leaves the REAL range.
bool StepLoop::reaction_resultants() {
  float* rsum = kv::ctl_rptr(kv::kRSUM);
  for (std::size_t j = 0; j < 6; ++j) {
    rsum[j] += s_.dsumrc[j];
    s_.sumfd[j] += s_.dsumfd[j];
  }
  // The squares are formed in double: a finite resultant may have squares
  // beyond the REAL range.
  const double f1 = rsum[0], f2 = rsum[1], m1 = rsum[3], m2 = rsum[4];
  const double rforce = std::sqrt(f1 * f1 + f2 * f2);
  const double rmomnt = std::sqrt(m1 * m1 + m2 * m2);
  if (!real_finite(rforce, "THSTEP", "RESULTANT OF REACTIONS") ||
      !real_finite(rmomnt, "THSTEP", "RESULTANT OF REACTIONS")) {
    ctl(kv::kISTOP) |= 1;
    return false;
  }
  s_.rforce = static_cast<float>(rforce);
  s_.rmomnt = static_cast<float>(rmomnt);
  s_.rfmax = std::max(s_.rfmax, s_.rforce);
  s_.rmmax = std::max(s_.rmmax, s_.rmomnt);
  return true;
}

// The printed response and the reaction report of the committed totals;
// false when a sum of reactions left the REAL range (its message ended the
// solution).
bool StepLoop::response_reports(bool print) {
  const std::string_view label = kv::titles().ldlabl;
  if (print) {
    prtdsp(kPerColumn, rm_, neq_, 1, ncf_, vec(kv::kUTOTAL), "DISPLACEMENTS", label, true);
    prtdsp(kPerColumn, rm_, neq_, 1, ncf_, vec(kv::kVTOTAL), "VELOCITIES", label, true);
    prtdsp(kPerColumn, rm_, neq_, 1, ncf_, vec(kv::kATOTAL), "ACCELERATIONS", label, true);
  }
  std::array<float, 6> sums{};
  rea_ctn(kReactionReport, print, restrained(), vec(kv::kPTOTAL), vec(kv::kPTOTAL), neq_, 1, k_, 1.0f, rm_, label, true,
          sums, &restrained_nodes_);
  if (!std::all_of(sums.begin(), sums.end(), [](float x) { return std::isfinite(x); })) return false;
  store_six(kv::kRSUM, sums);
  if (print)
    fio::write(kOut, "(/,4X,'RESULTANT OF REACTIONS,   FORCE=',1P,E12.4,'   MOMENT=',E12.4)", s_.rforce, s_.rmomnt);
  float* ppeak = kv::rptr(h_.ppeak);
  for (int j = 0; j < 6; ++j) track_peak(ppeak + neq_ + j, sums[static_cast<std::size_t>(j)]);
  return true;
}

// The elements' commit, the first element to reach its critical load, the
// printed ductilities and the history records.
void StepLoop::element_commit(int istep, bool print) {
  element_pass(elements::kEleCommit, print, print ? 1 : 0);

  if (!h_.elastc && !s_.reached) {
    const int n = first_critical_element();
    if (n > 0) {
      s_.reached = true;
      fio::write(kOut,
                 "('  SYSTEM DISPLACEMENT ( FIRST ELEMENT REACH TO CRITICAL',' LOAD',/,"
                 "'  =====================================================','=====',/,"
                 "'  ** ELEMENT ',I5,' FIRST REACH TO CRITICAL LOAD **')",
                 n);
      prtdsp(kPerColumn, rm_, neq_, 1, ncf_, vec(kv::kUTOTAL), "DISPLACEMENTS", kv::titles().ldlabl, false);
    }
  }

  if (print) element_pass(elements::kEleDuct, true, 1);

  if (h_.nwrite > 0 && istep % h_.nwrite == 0) {
    int n = 0;
    float t0 = 0.0f, dt = 0.0f;
    histry(kHistRecords, n, t0, dt);
  }
}

// One step from time tl to t; false when the loop must end.
bool StepLoop::step(int istep, float t, float tl) {
  step_load(istep, t, tl);
  form_matrices();
  if (!increments()) return false;
  element_state();
  reactions();
  geometric_forces();
  damping_forces();
  const bool print = istep % h_.iprint == 0;
  if (!report_energies(istep, print)) return false;
  commit();
  if (!reaction_resultants() || !response_reports(print)) return false;
  element_commit(istep, print);
  return !displacement_limit();
}

void StepLoop::run() {
  // Increments and unbalanced forces an earlier solution left must not feed
  // the first step; the totals U, V, A are the documented restart.
  for (int word : {int{kv::kDPLOAD}, int{kv::kDUDISP}, int{kv::kDVELOC}, int{kv::kDACCEL}, kFUnbal})
    std::fill(vec(word), vec(word) + neq_, 0.0f);

  if (!set_up()) {
    if (h_.nwrite > 0) {
      int n = 0;
      float t0 = 0.0f, dt = 0.0f;
      histry(kHistClose, n, t0, dt);
    }
    kv::solsta().istep = 0;
    return;
  }

  if (!stopped()) {
    if (h_.nwrite > 0) {
      int n = 0;
      float t0 = 0.0f, dt = 0.0f;
      histry(kHistRecords, n, t0, dt);
    }
    s_.mass_reduce = kv::ctl_true(kv::kMCOND);
    const int nsteps = step_count(h_.t0, h_.tf, h_.dt);
    const auto step_time = [&](int n) { return static_cast<float>(static_cast<double>(n) * h_.dt + h_.t0); };
    for (int istep = 1; istep <= nsteps; ++istep) {
      kv::solsta().istep = istep;
      // Each time formed from the step number, the previous one being the
      // last step's own: the ground-load increments then add up to the change
      // of the ground acceleration however many steps there are.
      const float t = step_time(istep);
      if (!step(istep, t, step_time(istep - 1))) break;
      if (!output_within_limit()) {
        ctl(kv::kISTOP) = -1;
        break;
      }
    }
  }

  ClosingReports c;
  c.neq = neq_;
  c.ncf = ncf_;
  c.elastc = h_.elastc;
  c.nwrite = h_.nwrite;
  c.upeak = h_.upeak;
  c.vpeak = h_.vpeak;
  c.apeak = h_.apeak;
  c.ppeak = h_.ppeak;
  c.rfmax = s_.rfmax;
  c.rmmax = s_.rmmax;
  c.epeak = s_.epeak;
  th_closing_reports(c);
}

}  // namespace

int step_count(float t0, float tf, float dt) {
  if (!(dt > 0.0f)) return 0;
  const double q = (static_cast<double>(tf) - static_cast<double>(t0)) / static_cast<double>(dt);
  if (!(q >= 1.0 - 1.0e-6)) return 0;
  const double whole = std::round(q);
  const double n = std::fabs(q - whole) <= 1.0e-6 * std::fabs(q) ? whole : std::floor(q);
  return static_cast<int>(std::min(n, 2.0e9));
}

void thstep(const TimeHistoryData& h) {
  StepLoop loop(h);
  loop.run();
}

}  // namespace solutions
