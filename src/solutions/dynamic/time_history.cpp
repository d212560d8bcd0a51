#include "base/kgdata.h"
#include "solutions/dynamic/time_history.h"

#include <algorithm>
#include <string>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "model/lumped_masses.h"
#include "solutions/dynamic/histry.h"
#include "solutions/dynamic/integrators.h"
#include "solutions/dynamic/th_step.h"
#include "solvers/skyline_profile.h"

namespace solutions {

namespace {

using kv::ctl;

constexpr int kOut = 6;
constexpr std::size_t kMethodWidth = 20;
constexpr int kManyPrintedSteps = 10000;  // printed step reports beyond which the echo notes it

// The shared solution vectors in the order they are reserved.
constexpr int kSharedVectors[] = {kv::kPTOTAL, kv::kUTOTAL, kv::kVTOTAL, kv::kATOTAL, kv::kDPLOAD,
                                 kv::kDUDISP, kv::kDVELOC, kv::kDACCEL, kv::kSolVector65};

struct MethodName {
  const char* key;
  int code;
  const char* text;
};
constexpr MethodName kMethods[] = {
    {"LINEAR", kLinearAcceleration, "LINEAR ACCELERATION METHOD"},
    {"AVERAGE", kAverageAcceleration, "AVERAGE ACCELERATION METHOD"},
    {"WILSON", kWilsonTheta, "WILSON THETA METHOD"},
};

void heading(std::string_view text) {
  const std::string rule(text.size(), '=');
  fio::write(kOut,
             "(1X,' SOLUTION #2, ',A,' OF NUMERICAL INTEGRATION',/,1X,'==============',A,"
             "'==========================',/)",
             text, rule);
}

// Stored terms of a skyline of order n (MDIAG(n+1) - MDIAG(1) + 1); 1 without one.
int stored_terms(std::int64_t mdiag, int n) {
  if (mdiag <= 0) return 1;
  const std::int32_t* md = kv::iptr(mdiag);
  return md[n] - md[0] + 1;
}

std::int64_t reserve_zeroed(std::int64_t n) {
  const std::int64_t p = kv::reserve(n);
  kv::zero_words(p, n);
  return p;
}

}  // namespace

void time_history_input_fault(std::string_view record, fio::Status status) {
  const char* what = status == fio::Status::end ? "END OF INPUT FILE" : "UNREADABLE VALUE";
  fio::write_list(6, " *** ER", "ROR IN THE TIME-HISTORY INPUT: ", what, " WHILE READING THE ", record);
  fio::write(1, "(' *** ERROR IN THE TIME-HISTORY INPUT AT INPUT LINE',I6,': ',A,' WHILE READING THE ',A)",
             fio::record_number(5), what, record);
  kv::stop_run(1, "TIME-HISTORY INPUT ENDED ON AN INPUT ERROR");
}

namespace {

// The method, interval and time records with their echo. False (after the
// message) when the solution ends here: an unknown method, or a method that
// needs proportional damping without it.
bool read_solution_records(TimeHistoryData& h) {
  std::string method;
  float theta = 0.0f;
  bool elastc = false;
  bool unbal = false;
  read_time_history_record("METHOD RECORD", method, theta, elastc, unbal);
  std::int32_t iprint = 1, nwrite = 0, ngp = 0;
  bool lmass = false;
  read_time_history_record("INTERVAL RECORD", iprint, nwrite, ngp, lmass);
  float t0 = 0.0f, dt = 0.0f, tf = 0.0f, grav = 0.0f;
  read_time_history_record("TIME RECORD", t0, dt, tf, grav);
  if (iprint < 1) iprint = 1;
  method.resize(kMethodWidth, ' ');

  int code = 0;
  for (const MethodName& m : kMethods) {
    if (base::keyon(method, m.key, false)) {
      code = m.code;
      heading(m.text);
      if (code == kWilsonTheta) fio::write(kOut, "(1X,' THETA............................',1P,E15.6)", theta);
      break;
    }
  }
  if (code == 0) {
    fio::write_list(kOut, "INVALID INTEGRATION METHOD");
    heading(method);
    kv::note_fault(kv::Fault::solution_error, "TIME HISTORY ABORTED: THE METHOD IS NOT LINEAR, AVERAGE OR WILSON");
    return false;
  }

  if (ctl(kv::kIDAMP) != 1 && (code == kLinearAcceleration || code == kAverageAcceleration)) {
    fio::write(kOut, "(5X,'INTEGRATION METHOD IS ONLY VALID FOR ','PROPORTIONAL DAMPING',/,/,5X,'SOLN IS ABORTED')");
    kv::note_fault(kv::Fault::solution_error, "TIME HISTORY ABORTED: THE METHOD NEEDS PROPORTIONAL DAMPING");
    return false;
  }

  kv::titles().grav = grav;
  fio::write(kOut,
             "(1X,' INITIAL TIME ....................',1P,E15.6,/,1X,' TIME STEP .......................',E15.6,/,"
             "1X,' FINAL TIME ......................',E15.6,/,1X,' ACCELERATION DUE TO GRAVITY .....',E15.6,/,"
             "1X,' STEP INTERVAL FOR PRINTING ......',I5)",
             t0, dt, tf, grav, iprint);
  // Every printed step is a report of some kilobytes: asked of hundreds of
  // thousands of steps it floods the output file (the solution still runs).
  if (const int printed = step_count(t0, tf, dt) / iprint; printed > kManyPrintedSteps)
    fio::write(kOut, "(1X,' NOTE: THE STEP INTERVAL FOR PRINTING PRINTS',I11,' STEP REPORTS; ',"
                     "'A LARGER INTERVAL KEEPS THE OUTPUT FILE SMALL')", printed);
  if (elastc) fio::write(kOut, "(1X,' THE STRUCTURE IS ASSUMED TO BEHAVE ELASTICALLY')");
  kv::set_ctl_logical(kv::kELASTC, elastc);

  h.method = code;
  h.theta = theta;
  h.elastc = elastc;
  h.unbal = unbal;
  h.iprint = iprint;
  h.nwrite = nwrite;
  h.ngp = ngp;
  h.lmass = lmass;
  h.t0 = t0;
  h.dt = dt;
  h.tf = tf;
  return true;
}

// The equation ranges, the geometric-stiffness switches, the shared solution
// vectors, and the global matrices the steps use: the structure mass formed
// again from the lumped masses (an earlier condensation may have reduced it
// along with the stiffness), the separate geometric stiffness, and the
// solution's own mass when asked (its records are read here).
void global_matrices(TimeHistoryData& h) {
  const kv::KgData kg = kv::kgdata();
  h.kgdata[1] = kg.source;
  h.kgdata[2] = kg.form;
  h.kgdata[3] = kg.use;
  kv::set_ctl_logical(kv::kNEWKG, kg.any());
  const int neq = ctl(kv::kNEQ);
  h.ncond = ctl(kv::kNCOND);
  h.nfree = ctl(kv::kNFREE);
  h.neq = neq;

  for (int word : kSharedVectors)
    if (ctl(word) == 0) ctl(word) = static_cast<std::int32_t>(reserve_zeroed(neq));

  h.k = ctl(kv::kStiffValues);
  h.kmdiag = ctl(kv::kStiffMdiag);
  if (ctl(kv::kMassValues) > 0 && ctl(kv::kMassMdiag) > 0) {
    h.m = ctl(kv::kMassValues);
    h.mmdiag = ctl(kv::kMassMdiag);
    const std::int32_t* md = kv::iptr(h.mmdiag);
    std::fill(kv::skyptr(h.m), kv::skyptr(h.m) + md[neq], kv::SkyReal{0});
    int nmass = ctl(kv::kNMASS);
    model::lumpms(2, nmass, nmass, ctl(kv::kLUMREC), h.mmdiag, h.m, kv::trace('F'));
  }
  // Without mass the steps are a static loading by nothing but the initial
  // conditions: the run goes on, but says it did not get a time history.
  const bool massless = h.m == 0 || std::all_of(kv::skyptr(h.m), kv::skyptr(h.m) + kv::iptr(h.mmdiag)[neq],
                                                 [](kv::SkyReal v) { return v == kv::SkyReal{0}; });
  if (massless) {
    fio::write(kOut, "(/,5X,'*** THE STRUCTURE HAS NO MASS: THE STEPS CARRY NO INERTIA FORCES',/)");
    kv::note_fault(kv::Fault::input_warning, "TIME HISTORY OF A STRUCTURE WITHOUT MASS");
  }
  if (h.kgdata[3] == 2 && ctl(kv::kGeoValues) > 0 && ctl(kv::kGeoMdiag) > 0) {
    h.kg = ctl(kv::kGeoValues);
    h.kgmdiag = ctl(kv::kGeoMdiag);
  }

  if (h.lmass) {
    std::int32_t nrec = 0, mform = 0;
    read_time_history_record("SOLUTION MASS RECORD", nrec, mform);
    const solvers::MassMatrix sm = solvers::skyasm(nrec, mform, false, "GLOBAL  MASS", &model::lumpms);
    h.sm = sm.values;
    h.smdiag = sm.mdiag;
  }
}

// The step loop's tables, in the order of the work-array layout: the
// effective matrix on the merged profile, the integrator's vectors, the
// ground series, the step vectors and the peaks; RSUM cleared.
void reserve_step_tables(TimeHistoryData& h) {
  const int neq = h.neq;
  const int ncf = h.ncond + h.nfree;
  h.keffdg = kv::reserve(h.nfree + 1);
  solvers::prfmrg(neq, h.ncond + 1, ncf, kv::iptr(h.keffdg), kv::iptr(h.kmdiag),
                  h.mmdiag > 0 ? kv::iptr(h.mmdiag) : nullptr, h.kgmdiag > 0 ? kv::iptr(h.kgmdiag) : nullptr,
                  h.kgdata[3] == 2 ? 2 : 1);
  const std::int32_t keff_words = kv::iptr(h.keffdg)[h.nfree];
  h.keff = kv::reserve(static_cast<std::int64_t>(keff_words) * kv::kSkyRealWords);
  h.q = kv::reserve(h.nfree);
  ctl(kv::kQVector) = static_cast<std::int32_t>(h.q);
  h.r = kv::reserve(h.nfree);
  h.pbar = kv::reserve(h.nfree);
  const std::int64_t npts = std::max(h.ngp, 0);
  h.agx = kv::reserve(npts);
  h.agy = kv::reserve(npts);
  h.agz = kv::reserve(npts);
  ctl(kv::kAGX) = static_cast<std::int32_t>(h.agx);
  ctl(kv::kAGY) = static_cast<std::int32_t>(h.agy);
  ctl(kv::kAGZ) = static_cast<std::int32_t>(h.agz);
  h.gscratch = kv::reserve(std::max<std::int64_t>(npts, neq));
  h.mascos = kv::reserve(3 * static_cast<std::int64_t>(neq));
  h.zerov = reserve_zeroed(neq);
  h.work1 = reserve_zeroed(neq);
  h.work2 = reserve_zeroed(neq);
  h.resid = reserve_zeroed(2 * static_cast<std::int64_t>(neq));
  h.pstep = reserve_zeroed(neq);
  h.dfdamp = reserve_zeroed(neq);
  h.fdamp = reserve_zeroed(neq);
  h.fd = reserve_zeroed(neq);
  h.dfd = reserve_zeroed(neq);
  h.upeak = reserve_zeroed(neq);
  h.vpeak = reserve_zeroed(neq);
  h.apeak = reserve_zeroed(neq);
  h.ppeak = reserve_zeroed(neq + 6);
  h.dwork = kv::reserve_doubles(static_cast<std::int64_t>(kStepDoubles) * neq);
  float* rsum = kv::ctl_rptr(kv::kRSUM);
  std::fill(rsum, rsum + 6, 0.0f);
}

}  // namespace

void sol02() {
  const kv::Titles& titles = kv::titles();
  fio::write(kOut, "('1 STRUCTURE....: ',A,/,'  SOLUTION.....: ',A,/)", titles.title1, titles.title2);

  TimeHistoryData h;
  if (!read_solution_records(h)) return;
  global_matrices(h);
  reserve_step_tables(h);

  if (h.nwrite > 0) {
    int n = h.nwrite;
    float t0 = h.t0, dt = h.dt;
    histry(kHistRequests, n, t0, dt);
  }

  const int neq = h.neq;
  h.workv = ctl(kv::kIZ) + 1;
  kv::memchk(neq + 1, 0);

  h.nstk = stored_terms(h.kmdiag, neq);
  h.nstm = stored_terms(h.mmdiag, neq);
  h.nstg = h.kgdata[3] == 2 ? stored_terms(h.kgmdiag, neq) : 1;
  h.nkeff = stored_terms(h.keffdg, h.nfree);
  kv::solsta().unbal = h.unbal && !h.elastc;
  thstep(h);
  kv::solsta().unbal = false;
}

}  // namespace solutions
