#include "base/kgdata.h"
#include "solutions/static_nonlinear.h"

#include <algorithm>
#include <cmath>

#include "base/globals.h"
#include "base/node_tables.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "elements/element_loads.h"
#include "fio/fio.h"
#include "solutions/dynamic/histry.h"
#include "solutions/static_nonlinear_detail.h"

namespace solutions {

// ---------------------------------------------------------------- arithmetic

float stiffness_parameter(bool first, std::span<const float> dpload, std::span<const float> dudisp,
                          std::span<const float> ptotal, std::span<const std::uint8_t> doftyp,
                          SpReference& ref) {
  const std::size_t neq = dpload.size();
  if (first) {
    ref.pr = {0.0f, 0.0f};
    for (std::size_t i = 0; i < neq; ++i) {
      float& pr = ref.pr[doftyp[i]];
      if (std::fabs(pr) < std::fabs(ptotal[i])) pr = ptotal[i];
    }
  }
  float sum = 0.0f;
  float winc = 0.0f;
  for (std::size_t i = 0; i < neq; ++i) {
    const float pr = ref.pr[doftyp[i]];
    if (pr != 0.0f) {
      const float q = dpload[i] / pr;
      sum += q * q;
    }
    winc += dudisp[i] * dpload[i];
  }
  const float pnorm = neq > 0 ? std::sqrt(sum / static_cast<float>(neq)) : 0.0f;
  if (first) {
    ref.pnorm1 = pnorm;
    ref.winc1 = winc;
  }
  const float r = pnorm / ref.pnorm1;
  return r * r * ref.winc1 / winc;
}

bool passed_limit_point(bool applies_loads, bool support, float sp_prev, float sp, float dfact_prev,
                        float dfact) {
  // A NaN product fails the comparison and so counts as "not greater".
  return applies_loads && !support && !(sp_prev * sp > 0.0f) && dfact_prev * dfact > 0.0f;
}

UnbalancedSwitch unbalanced_switch(bool unbal_now, float sp_prev, float splimit) {
  // An undefined SP fails both comparisons, so it counts as below SPLIMIT.
  const bool at_or_above = std::fabs(sp_prev) >= splimit;
  if (unbal_now && !at_or_above) return UnbalancedSwitch::off;
  if (!unbal_now && at_or_above) return UnbalancedSwitch::on;
  return UnbalancedSwitch::keep;
}

StepSize step_size(float pm, float dm, float pmax, float dmax, int nsub) {
  // The limits bound magnitudes; a negative one is taken by its size, so the
  // ratio cannot turn the step around or divide it by zero.
  const float plim = std::fabs(pmax);
  const float dlim = std::fabs(dmax);
  StepSize s;
  s.nsub = nsub;
  if ((dm > dlim && dlim != 0.0f) || (pm > plim && plim != 0.0f)) {
    const float rd = dlim != 0.0f ? dm / dlim : 0.0f;
    const float rp = plim != 0.0f ? pm / plim : 0.0f;
    s.ratio = std::max(rp, rd);
    s.scaled = true;
    s.last = false;
  } else if (nsub > 1 && pmax == 0.0f && dmax == 0.0f) {
    s.last = false;
    s.nsub = nsub - 1;
  }
  return s;
}

bool load_reverses(float factor, float dfact, float target, float next_target) {
  if (factor + dfact != target) return false;
  const bool same_up = factor < target && target < next_target;
  const bool same_down = factor > target && target > next_target;
  return !same_up && !same_down;
}

// ---------------------------------------------------------------- SOL04

namespace {

using kv::ctl;
using nonlinear::Setup;
using nonlinear::SolutionRecord;
using nonlinear::Vec;

constexpr int kOut = 6;

// Shared step vectors (CONTRL words).
constexpr int kFunbal = kv::kSolVector65;

Vec vec_at(std::int64_t at) { return Vec{at, kv::rptr(at)}; }

// A shared vector keeps its table and contents until "RELEASE" or "STR"; it is
// reserved and zeroed when its word is 0.
Vec shared_vector(int word, int neq) {
  if (ctl(word) == 0) {
    ctl(word) = static_cast<std::int32_t>(kv::reserve(neq));
    kv::zero_words(ctl(word), neq);
  }
  return vec_at(ctl(word));
}

// A vector of this solution alone: new and zero at every solution 4.
Vec own_vector(int neq) {
  const std::int64_t at = kv::reserve(neq);
  kv::zero_words(at, neq);
  return vec_at(at);
}

SolutionRecord read_solution_record() {
  std::int32_t neload = 0, iprint = 0, nwrite = 0;
  bool unbal = false;
  float splimit = 0.0f;
  if (fio::read_list(5, neload, iprint, nwrite, unbal, splimit) != fio::Status::ok) {
    fio::write_list(kOut, " *** ER",
                    "ROR: THE STATIC NONLINEAR SOLUTION RECORD (NELOAD, IPRINT, NWRITE, UNBAL, SPLIMIT) "
                    "CANNOT BE READ");
    kv::stop_run(1, "STATIC NONLINEAR SOLUTION RECORD CANNOT BE READ");
  }
  return SolutionRecord{neload, iprint, nwrite, unbal, splimit};
}

void print_header(const SolutionRecord& r) {
  fio::write(kOut,
             "('1 STRUCTURE....: ',A,/,'  SOLUTION.....: ',A,/,/,1X,' SOLUTION #4, STATIC NONLINEAR SOLUTION ',/,"
             "1X,40('='),/,1X,' INTERVAL FOR PRINTING DATA.............',I5,/,"
             "1X,' INTERVAL FOR WRITING DATA TO FILE......',I5,/)",
             kv::titles().title1, kv::titles().title2, r.iprint, r.nwrite);
}

// Line estimates of the step tables: the displacement table, the reaction
// table (one line per node with a restraint) and the element tables (four
// heading lines at every change of element type).
void count_lines(Setup& s) {
  const base::NodeTables t = base::node_tables();
  s.nn6 = s.nnode + 6;
  s.nrn7 = 7;
  for (int n = 1; n <= s.nnode; ++n)
    if ((static_cast<std::int32_t>(t.ncode(n)) & 0x3f) != 0) ++s.nrn7;
  s.nel4 = s.nelem;
  int prev = 0;
  for (int e = 1; e <= s.nelem; ++e) {
    const int type = kv::izm(kv::izm(ctl(kv::kELETAB) + e));
    if (type != prev) s.nel4 += 4;
    prev = type;
  }
}

}  // namespace

void sol04() {
  kv::Solsta& st = kv::solsta();
  st.lsflag.fill(0.0f);
  st.lsstep.fill(0);
  st.lsmark.fill(0);
  st.lselem.fill(0);

  Setup s;
  kv::set_kgdata_accel(0.0f);  // input loads times 1.0 from now on
  {
    const kv::KgData kg = kv::kgdata();
    s.kgdata[1] = kg.source;
    s.kgdata[2] = kg.form;
    s.kgdata[3] = kg.use;
  }

  s.rec = read_solution_record();
  ctl(kv::kNLC) = 1;
  if (s.rec.iprint < 1) s.rec.iprint = 1;
  // No table can hold a negative number of records.
  if (s.rec.neload < 0) s.rec.neload = 0;
  ctl(kv::kNELOAD) = s.rec.neload;

  print_header(s.rec);
  if (s.kgdata[3] == 2)
    fio::write(kOut,
               "(1X,' GEOMETRIC STIFFNESS IS NOT INCLUDED, ',' USE KGDATA(3)=1 TO INCLUDE GEOMETRIC STIFFNESS.')");
  fio::write(kOut, "('  UNBALANCED JOINT FORCES',A,'ADDED TO THE NEXT CYCLE')", s.rec.unbal ? " ARE " : " ARE NOT ");
  if (s.rec.unbal)
    fio::write(kOut, "(1X,'UNBALANCED FORCES ARE NOT ADDED WHEN THE ABS(SP) IS',' LESS THAN SPLIMIT OF ',E15.6)",
               s.rec.splimit);

  if (s.rec.nwrite > 0) {
    int nint = s.rec.nwrite;
    float t0 = 0.0f;
    float dt = 0.0f;
    histry(kHistRequests, nint, t0, dt);
  }

  s.neq = ctl(kv::kNEQ);
  s.ncond = ctl(kv::kNCOND);
  s.nfree = ctl(kv::kNFREE);
  s.l2 = s.ncond + s.nfree;
  s.nnode = ctl(kv::kNNODE);
  s.nelem = ctl(kv::kNELEM);
  const int neq = s.neq;

  nonlinear::StepVectors& v = s.v;
  s.continued = ctl(kv::kPTOTAL) != 0;
  v.ptotal = shared_vector(kv::kPTOTAL, neq);
  v.utotal = shared_vector(kv::kUTOTAL, neq);
  v.pref = shared_vector(kv::kPREF, neq);
  v.dpload = shared_vector(kv::kDPLOAD, neq);
  v.dudisp = shared_vector(kv::kDUDISP, neq);
  v.prevrs = shared_vector(kv::kPREVRS, neq);
  v.funbal = shared_vector(kFunbal, neq);
  kv::zero_words(v.funbal.at, neq);
  v.pjoint = own_vector(neq);
  v.pelem = own_vector(neq);
  v.punbal = own_vector(neq);
  v.uunbal = own_vector(neq);
  v.psupp = own_vector(neq);
  v.upeak = own_vector(neq);
  v.ppeak = own_vector(neq);
  v.kgwork = own_vector(neq);
  v.work1 = own_vector(neq);
  v.work2 = own_vector(neq);
  if (s.rec.neload > 0) {
    ctl(kv::kElemLoad1) =
        static_cast<std::int32_t>(kv::reserve(static_cast<std::int64_t>(elements::kIdataWords) * s.rec.neload));
    ctl(kv::kElemLoad2) =
        static_cast<std::int32_t>(kv::reserve(static_cast<std::int64_t>(elements::kRdataWords) * s.rec.neload));
  }
  // Room for the scratch vector of the step loop above the last table.
  kv::memchk(neq, 0);

  ctl(kv::kNLC) = 1;
  kv::set_ctl_logical(kv::kELASTC, false);
  for (int w = kv::kRSUM; w <= kv::kGDSP + 2; ++w) ctl(w) = 0;

  count_lines(s);
  nonlinear::nlstep(s);
}

}  // namespace solutions
