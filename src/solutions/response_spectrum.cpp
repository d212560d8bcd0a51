#include "solutions/response_spectrum.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/matrix_print.h"
#include "base/node_tables.h"
#include "base/storage.h"
#include "base/vectors.h"
#include "base/work_array.h"
#include "elements/eledsp.h"
#include "elements/form.h"
#include "fio/fio.h"
#include "model/lumped_masses.h"
#include "solutions/eigen_correction.h"
#include "solutions/eigen_solution.h"
#include "solutions/finite_check.h"
#include "solutions/reactions.h"
#include "solutions/report_page.h"
#include "solvers/eigen_solver.h"
#include "solvers/skyline_solver.h"
#include "solvers/vector_clones.h"

namespace solutions {

namespace {

using kv::ctl;

constexpr int kIn = 5;
constexpr int kOut = 6;
constexpr int kFunbal = kv::kSolVector65;
constexpr float kTwoPi = 6.2831855f;
constexpr int kForces = 12;  // words of RSFORC
constexpr int kSums = 6;     // reaction sums FX FY FZ MX MY MZ
constexpr int kMethodLen = 20;
constexpr int kTypeLen = 40;
// Units the eigen-solution file may use: not the console, the input file or
// this report.
constexpr int kFirstFileUnit = 7;
constexpr char kFileFormat[] = "(5(E14.5,1X))";
constexpr std::array<char, 3> kAxis{'X', 'Y', 'Z'};

enum class Method { srss = 1, cqc = 2 };

// The two records of the solution.
struct Records {
  std::string method;
  int nmodes = 0;
  float zeta = 0.0f;
  int ncomp = 0;
  int npts = 0;
  int neig = 0;
  int nstep = 0;
  int eigunit = 0;
};

// A column-major REAL table of the work array, 1-based (i, j).
struct Mat {
  float* p = nullptr;
  std::int64_t ld = 0;
  float& operator()(std::int64_t i, std::int64_t j) const { return p[(i - 1) + (j - 1) * ld]; }
};

std::string padded(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

std::string rule(int n) { return std::string(static_cast<std::size_t>(n), '='); }

// A record the solution cannot do without: its absence ends the run.
void need(fio::Status st, std::string_view what) {
  if (st == fio::Status::ok) return;
  fio::write_list(kOut, " *** THE RESPONSE-SPECTRUM RECORD OF THE", what, "CANNOT BE READ");
  kv::stop_run(1, "RESPONSE-SPECTRUM RECORD CANNOT BE READ");
}

// out(i) = the sum over the ncomp columns of dir's row i, i = 1..n.
void sum_directions(const Mat& dir, int ncomp, int n, float* out) {
  for (int i = 1; i <= n; ++i) {
    float s = 0.0f;
    for (int j = 1; j <= ncomp; ++j) s += dir(i, j);
    out[i - 1] = s;
  }
}

// Counts the solution as abandoned, with the reason on the console.
void abandoned(std::string_view why) {
  kv::note_fault(kv::Fault::solution_error, "RESPONSE SPECTRUM ABORTED: " + std::string(why));
}

// A report page whose title is underlined.
void titled_page(std::string_view title, int rule_len) {
  solution_page_header();
  fio::write(kOut, "(1X,A,/,1X,A,/)", title, rule(rule_len));
}

std::string component_title(std::string_view head, int j) {
  return std::string(head) + fio::format("('DUE TO SEISMIC COMPONENT # ',I2)", j);
}

// A reason the analysis cannot run with these records; empty when it can.
std::string records_fault(const Records& r, int nfree) {
  if (r.nstep < 1 || r.nstep > 3) return fio::format("('NSTEP =',I6,' MUST BE 1, 2 OR 3')", r.nstep);
  if (r.eigunit < kFirstFileUnit || r.eigunit > fio::kMaxUnit)
    return fio::format("('THE EIGEN-SOLUTION UNIT',I6,' MUST LIE BETWEEN',I3,' AND',I3)", r.eigunit,
                       kFirstFileUnit, fio::kMaxUnit);
  if (nfree < 1) return "THE STRUCTURE HAS NO FREE DEGREE OF FREEDOM";
  if (r.nmodes < 1 || r.nmodes > r.neig)
    return fio::format("('NMODES =',I6,' MUST LIE BETWEEN 1 AND NEIG =',I6,' (NEIG AT MOST NFREE)')", r.nmodes,
                       r.neig);
  if (r.ncomp < 1 || r.ncomp > 3) return fio::format("('NCOMP =',I6,' MUST BE 1, 2 OR 3')", r.ncomp);
  if (r.npts < 1) return fio::format("('NPTS =',I6,' MUST BE AT LEAST 1')", r.npts);
  if (!std::isfinite(r.zeta)) return "THE DAMPING RATIO IS NOT A NUMBER";
  if (!mass_formed()) return "NO GLOBAL MASS MATRIX WAS FORMED: THE MASS RECORD NEEDS MFORM = 1 AND LUMPED MASSES";
  return {};
}

// The tables of the solution (ZMATRX indices), reserved in this order.
struct Tables {
  std::int64_t eig = 0, vec = 0, kf = 0, mf = 0;
  std::int64_t sag = 0, sdg = 0, rinfl = 0, rho = 0, gmass = 0, effld = 0, dmode = 0, ddir = 0, efmode = 0,
               rsmode = 0, sptab = 0, fcomb = 0, fdir = 0, fmode = 0, dcomb = 0;
};

std::int64_t shared_vector(int word, int neq) {
  if (ctl(word) == 0) {
    ctl(word) = static_cast<std::int32_t>(kv::reserve(neq));
    kv::zero_words(ctl(word), neq);
  }
  return ctl(word);
}

Tables reserve_tables(const Records& r) {
  const std::int64_t neq = ctl(kv::kNEQ);
  const std::int64_t nfree = ctl(kv::kNFREE);
  const std::int64_t l2 = ctl(kv::kNCOND) + nfree;
  const std::int64_t nelem = std::max(ctl(kv::kNELEM), 0);
  const std::int64_t nm = r.nmodes;
  const std::int64_t nc = r.ncomp;
  Tables t;
  t.eig = kv::reserve(nfree);
  t.vec = kv::reserve(nfree * nfree);
  t.kf = kv::reserve(nfree * nfree);
  t.mf = kv::reserve(nfree * nfree);
  shared_vector(kv::kPTOTAL, static_cast<int>(neq));
  shared_vector(kv::kUTOTAL, static_cast<int>(neq));
  shared_vector(kFunbal, static_cast<int>(neq));
  t.sag = kv::reserve(nm * 3);
  t.sdg = kv::reserve(nm * 3);
  t.rinfl = kv::reserve(nfree * 3);
  t.rho = kv::reserve(nm * nm);
  t.gmass = kv::reserve(nm);
  t.effld = kv::reserve(nm * 3);
  t.dmode = kv::reserve(l2 * nm);
  t.ddir = kv::reserve(neq * nc);
  t.efmode = kv::reserve(nelem * kForces * (nc + nm));
  t.rsmode = kv::reserve(kSums * (nc + nm));
  t.sptab = kv::reserve(2 * static_cast<std::int64_t>(r.npts));
  t.fcomb = kv::reserve(nfree);
  t.fdir = kv::reserve(nfree * nc);
  t.fmode = kv::reserve(nfree * nm);
  t.dcomb = kv::reserve(neq);
  kv::memchk(neq, 0);
  return t;
}

// RSPECT: the three stages on the reserved tables.
class Rspect {
 public:
  Rspect(const Records& r, const Tables& t, Method method)
      : r_(r),
        t_(t),
        method_(method),
        neq_(ctl(kv::kNEQ)),
        ncond_(ctl(kv::kNCOND)),
        nfree_(ctl(kv::kNFREE)),
        l2_(ncond_ + nfree_),
        nelem_(std::max(ctl(kv::kNELEM), 0)),
        nm_(r.nmodes),
        ncut_(r.nmodes),
        istop_(ctl(kv::kISTOP)),
        rm_{base::node_tables(), ctl(kv::kNNODE), ctl(kv::kNCOS)} {}

  void run() {
    if (!modes()) return;
    if (!spectra()) return;
    participation();
    effective_masses();
    if (!displacement_stage()) return;
    inertia_stage();
  }

 private:
  // ---------------------------------------------------------------- modes
  bool modes();
  bool solve_modes(float* eig, float* vec);
  void write_file(const float* eig, const float* vec);
  bool read_file(float* eig, float* vec);
  // ---------------------------------------------------------------- spectra
  bool spectra();
  void participation();
  void effective_masses();
  // ---------------------------------------------------------------- responses
  bool displacement_stage();
  bool mode_response(int j, int m, std::int64_t work);
  bool combine_component(int j);
  bool total_responses();
  void inertia_stage();
  void combine(const float* x, std::int64_t ld, std::int64_t count, float* out) const;
  void value_list(bool forces, const float* v);
  void element_pass(int iopt, bool print, const std::function<void(int)>& before,
                    const std::function<void(int)>& after);
  void reaction_report(const float* rsum, std::string_view head, bool per_direction);
  bool finite_or_end(const float* v, std::int64_t n, std::string_view what);

  float* tab(std::int64_t at) const { return kv::rptr(at); }
  Mat mat(std::int64_t at, std::int64_t ld) const { return Mat{kv::rptr(at), ld}; }
  float* phi(int m) const { return tab(t_.vec) + static_cast<std::int64_t>(m - 1) * nfree_; }
  float& efmode(int e, int i, int slot) const {
    return tab(t_.efmode)[(e - 1) + static_cast<std::int64_t>(i - 1) * nelem_ +
                          static_cast<std::int64_t>(slot - 1) * nelem_ * kForces];
  }
  float& rsmode(int i, int slot) const { return tab(t_.rsmode)[(i - 1) + static_cast<std::int64_t>(slot - 1) * kSums]; }

  const Records& r_;
  const Tables& t_;
  Method method_;
  int neq_, ncond_, nfree_, l2_, nelem_, nm_, ncut_;
  std::int32_t& istop_;
  ReportModel rm_;
  Sky k_{};
  std::vector<fio::Value> vals_;
};

// ---------------------------------------------------------------- modes

bool Rspect::modes() {
  elements::form(1);
  k_ = sky(kv::kStiffValues, kv::kStiffMdiag);
  if (kv::trace('F')) base::skyprt(k_.a, k_.md, neq_, k_.nstore, "GLOBAL STIFFNESS MATRIX");
  const Sky m = sky(kv::kMassValues, kv::kMassMdiag);

  if (ncond_ > 0) {
    // The zero load column and the solver's work lie in the free words.
    const std::int64_t col = ctl(kv::kIZ);
    kv::memchk(2 * static_cast<std::int64_t>(neq_), 0);
    kv::zero_words(col, neq_);
    int l1 = 1;
    int lc = ncond_;
    solvers::msoll(solvers::kReduce, kv::trace('G'), l2_, k_.nstore, neq_, 1, l1, lc, k_.imd, k_.ia, col, col + neq_,
                   kv::ctl_true(kv::kMCOND), m.ia, m.imd, m.nstore, false, 0, 0, 0, istop_);
    if (istop_ & 1) {
      abandoned("ZERO PIVOT IN THE CONDENSATION");
      return false;
    }
  }

  float* kf = tab(t_.kf);
  float* mf = tab(t_.mf);
  const int bad_k = dense_block(k_, ncond_, l2_, kf, "(' I:',I5,' J:',I5,' A(I-L3+1,J-L3+1)',1P,E15.5)",
                                "(5X,'DOF #',I5,' IS .LE. 0 IN THE STIFFNESS MATRIX...',5X,'K(I,I)=',A,"
                                "'  SOLN IS ABORTED')");
  const int bad_m = dense_block(m, ncond_, l2_, mf, "(' I:',I5,' J:',I5,' B(I-L3+1,J-L3+1):',1P,E15.5)",
                                "(5X,'DOF #',I5,' IS .LE. 0 IN THE MASS MATRIX...',5X,'M(I,I)=',A,"
                                "'  SOLN IS ABORTED')");
  if (bad_k != 0 || bad_m != 0) {
    const int eq = bad_k != 0 && (bad_m == 0 || bad_k < bad_m) ? bad_k : bad_m;
    abandoned(fault_at_equation("A FREE DEGREE OF FREEDOM HAS NO STIFFNESS OR NO MASS", eq));
    return false;
  }
  const std::int64_t square = static_cast<std::int64_t>(nfree_) * nfree_;
  if (!all_finite(kf, square) || !all_finite(mf, square)) {
    fio::write(kOut,
               "(/,' *** THE STIFFNESS OR THE MASS MATRIX OF THE FREE DEGREES OF FREEDOM HOLDS A TERM THAT IS',"
               "' NOT FINITE.  SOLN IS ABORTED')");
    abandoned("A MATRIX TERM IS NOT FINITE");
    return false;
  }

  float* eig = tab(t_.eig);
  float* vec = tab(t_.vec);
  if (r_.nstep != 2) {
    if (!solve_modes(eig, vec)) return false;
    write_file(eig, vec);
  }
  // A file written here is read back too, so that this solution goes on with
  // exactly the values a later one reading the file will use. The file keeps
  // five digits: the modes it holds are corrected in double against the
  // element stiffnesses, as "SOL" 3 corrects its own.
  if (!read_file(eig, vec)) return false;
  if (!correct_eigenpairs(EigenKind::frequencies, r_.neig, eig, vec, r_.neig))
    fio::write(kOut,
               "(/,' *** THE EIGENVALUES AND VECTORS COULD NOT BE CORRECTED IN DOUBLE PRECISION:',"
               "' THE SINGLE-PRECISION SOLUTION IS USED')");

  zero_negative_eigenvalues(eig, r_.neig);
  mode_table(false, r_.neig, nfree_, ncond_, eig, vec, [] { solution_page_header(); });

  if (r_.nstep == 1) {
    istop_ |= 1;
    return false;
  }
  return true;
}

// EIGGEN on copies of KF and MF in the free words (it overwrites what it is
// given; both are needed again).
bool Rspect::solve_modes(float* eig, float* vec) {
  const std::int64_t n = nfree_;
  const std::int64_t at = ctl(kv::kIZ);
  kv::memchk(2 * n * n + 3 * n, 0);
  float* a = kv::rptr(at);
  float* b = a + n * n;
  float* w = b + n * n;
  std::copy(tab(t_.kf), tab(t_.kf) + n * n, a);
  std::copy(tab(t_.mf), tab(t_.mf) + n * n, b);
  const solvers::EigenResult res = solvers::eiggen(nfree_, a, b, eig, vec, w, w + n, w + 2 * n);
  if (res.status == solvers::EigenStatus::not_positive_definite) {
    fio::write(kOut,
               "(/,' *** THE MASS MATRIX IS NOT POSITIVE DEFINITE ON THE FREE DEGREES OF FREEDOM:',/,"
               "' *** ITS FACTORIZATION MEETS THE PIVOT',1P,E12.4,' AT DOF #',I5,'.  SOLN IS ABORTED')",
               res.piv, ncond_ + res.row);
    abandoned("THE MASS MATRIX IS NOT POSITIVE DEFINITE");
    return false;
  }
  if (res.status == solvers::EigenStatus::not_finite || !all_finite(eig, n) || !all_finite(vec, n * n)) {
    fio::write(kOut,
               "(/,' *** THE EIGEN-SOLUTION OF THE FREE DEGREES OF FREEDOM OVERFLOWS THE REAL RANGE.',"
               "'  SOLN IS ABORTED')");
    abandoned("THE EIGEN-SOLUTION IS NOT FINITE");
    return false;
  }
  return true;
}

// Written from the file's start: one solution per file, the one a later read
// finds.
void Rspect::write_file(const float* eig, const float* vec) {
  const int u = r_.eigunit;
  fio::rewind(u);
  fio::write(u, kFileFormat, std::span<const float>(eig, static_cast<std::size_t>(r_.neig)));
  std::vector<float> row(static_cast<std::size_t>(r_.neig));
  for (int k = 1; k <= nfree_; ++k) {
    for (int m = 1; m <= r_.neig; ++m)
      row[static_cast<std::size_t>(m - 1)] = vec[(k - 1) + static_cast<std::int64_t>(m - 1) * nfree_];
    fio::write(u, kFileFormat, std::span<const float>(row));
  }
  fio::flush(u);
}

bool Rspect::read_file(float* eig, float* vec) {
  const int u = r_.eigunit;
  fio::rewind(u);
  bool ok = fio::read_fmt(u, kFileFormat, std::span<float>(eig, static_cast<std::size_t>(r_.neig))) ==
            fio::Status::ok;
  std::vector<float> row(static_cast<std::size_t>(r_.neig));
  for (int k = 1; ok && k <= nfree_; ++k) {
    ok = fio::read_fmt(u, kFileFormat, std::span<float>(row)) == fio::Status::ok &&
         all_finite(row.data(), r_.neig);
    for (int m = 1; ok && m <= r_.neig; ++m) vec[(k - 1) + static_cast<std::int64_t>(m - 1) * nfree_] =
        row[static_cast<std::size_t>(m - 1)];
  }
  if (ok && all_finite(eig, r_.neig)) return true;
  fio::write(kOut,
             "(/,' *** THE EIGEN-SOLUTION FILE ON UNIT',I3,' DOES NOT HOLD',I5,' EIGENVALUES AND',I5,"
             "' EIGENVECTOR RECORDS.  SOLN IS ABORTED')",
             u, r_.neig, nfree_);
  abandoned("THE EIGEN-SOLUTION FILE CANNOT BE READ");
  return false;
}

// ---------------------------------------------------------------- spectra

bool Rspect::spectra() {
  const Mat sag = mat(t_.sag, nm_);
  const Mat sdg = mat(t_.sdg, nm_);
  std::fill(sag.p, sag.p + 3 * nm_, 0.0f);
  std::fill(sdg.p, sdg.p + 3 * nm_, 0.0f);
  float spscal = 0.0f;
  std::string sptype;
  bool spprnt = false;
  need(fio::read_list(kIn, spscal, sptype, spprnt), "SPECTRUM (SPSCAL, SPTYPE, SPPRNT)");
  sptype = padded(sptype, kTypeLen);
  std::array<float, 3> first{}, second{};
  need(fio::read_list(kIn, std::span<float>(first), std::span<float>(second)), "SEISMIC FRAME");
  std::array<std::array<float, 3>, 3> frame{};  // SDIRX, SDIRY, SDIRZ
  frame[0] = first;
  kv::vcrosn(frame[2], frame[0], second, 1);
  kv::vcrosn(frame[1], frame[2], frame[0], 1);
  solution_page_header();

  const bool acc = base::keyon(sptype, "ACC", false);
  const bool disp = !acc && base::keyon(sptype, "DISP", false);
  float* sp = tab(t_.sptab);
  const float* tper = tab(t_.eig);
  for (int c = 1; c <= r_.ncomp; ++c) {
    int idir = 0;
    need(fio::read_list(kIn, idir), "COMPONENT DIRECTION (IDIR)");
    if (idir < 1 || idir > 3) {
      fio::write_list(kOut, "INVALID DIRECTION:", idir, "SET 0 < IDIR < 4");
      kv::note_fault(kv::Fault::input_warning, "RESPONSE SPECTRUM: INVALID COMPONENT DIRECTION, COMPONENT SKIPPED");
      continue;
    }
    if (acc)
      fio::write(kOut, "(/,/,1X,'** ACCELERATION SPECTRUM VALUES :','INPUTING TRANSLATIONAL #',I2,/)", c);
    else if (disp)
      fio::write(kOut, "(/,/,1X,'** DISPLACEMENT SPECTRUM VALUES :','INPUTING TRANSLATIONAL #',I2,/)", c);
    const std::array<float, 3>& dc = frame[static_cast<std::size_t>(idir - 1)];
    fio::write(kOut, "(1X,'DIRECTION OF COSINE:',4X,F9.5,' I',SP,F9.5,' J',F9.5,' K  ',/)", dc[0], dc[1], dc[2]);
    for (int p = 0; p < r_.npts; ++p) need(fio::read_list(kIn, sp[2 * p], sp[2 * p + 1]), "SPECTRUM POINT");
    fio::write(kOut, "(30X,'PERIOD        ',10X,'SPECTRUM VALUE',/,30X,A,10X,A)", std::string(14, '_'),
               std::string(14, '_'));
    for (int p = 0; p < r_.npts; ++p) fio::write(kOut, "(30X,E14.6,10X,E14.6)", sp[2 * p], sp[2 * p + 1]);
    if (!acc && !disp) continue;
    for (int m = 1; m <= nm_; ++m) {
      const float v = tabint(tper[m - 1], r_.npts, sp);
      const float w = kTwoPi / tper[m - 1];
      float sa = 0.0f;
      float sd = 0.0f;
      if (acc) {
        sa = spscal * v;
        sd = sa / (w * w);
      } else {
        sd = spscal * v;
        sa = w * w * sd;
      }
      for (int j = 1; j <= 3; ++j) {
        sag(m, j) += dc[static_cast<std::size_t>(j - 1)] * sa;
        sdg(m, j) += dc[static_cast<std::size_t>(j - 1)] * sd;
      }
    }
  }
  if (!all_finite(sag.p, 3 * nm_) || !all_finite(sdg.p, 3 * nm_)) {
    fio::write(kOut, "(/,' *** A SPECTRAL VALUE OF THE MODES IS NOT FINITE.  SOLN IS ABORTED')");
    abandoned("A SPECTRAL VALUE IS NOT FINITE");
    return false;
  }
  if (spprnt) {
    for (const Mat& s : {sag, sdg})
      for (int j = 1; j <= 3; ++j) {
        fio::write(kOut, "(/,1X,A,A,' DIRECTION ',/)",
                   s.p == sag.p ? "GLOBAL BASE ACCE.-SPECTRUM VALUES IN THE " : "GLOBAL BASE DISP.-SPECTRUM VALUES IN THE ",
                   std::string(1, kAxis[static_cast<std::size_t>(j - 1)]));
        fio::write(kOut, "(1X,1P,10E12.4)", std::span<const float>(&s(1, j), static_cast<std::size_t>(nm_)));
      }
  }
  return true;
}

void Rspect::participation() {
  // Influence of a unit ground motion along each global axis on the free
  // translational degrees of freedom.
  const Mat rinfl = mat(t_.rinfl, nfree_);
  std::fill(rinfl.p, rinfl.p + 3 * static_cast<std::int64_t>(nfree_), 0.0f);
  const base::NodeTables& nt = rm_.nodes;
  for (int j = 1; j <= 3; ++j)
    for (int n = 1; n <= rm_.nnode; ++n) {
      const int s = nt.icos(n);
      for (int d = 1; d <= 3; ++d) {
        if (base::code_bit(nt.ncode(n), base::kConstrain, d)) continue;
        const int e = nt.id(n, d);
        if (e <= ncond_ || e > l2_) continue;
        rinfl(e - ncond_, j) = s >= 1 && s <= rm_.ncos ? static_cast<float>(nt.cos(d, j, s)) : (d == j ? 1.0f : 0.0f);
      }
    }
  if (kv::trace('F')) base::prtmat(rinfl.p, nfree_, 3, "INFLUENCE COEF. MATRIX");

  const float* tper = tab(t_.eig);
  if (method_ == Method::cqc) {
    const Mat rho = mat(t_.rho, nm_);
    for (int m = 1; m <= nm_; ++m) {
      rho(m, m) = 1.0f;
      for (int n = m + 1; n <= nm_; ++n) rho(m, n) = rho(n, m) = cqc_rho(r_.zeta, tper[n - 1] / tper[m - 1]);
    }
    solution_page_header();
    base::prtmat(rho.p, nm_, nm_, "CROSS-MODAL COF. MATRIX");
  }

  const Mat mf = mat(t_.mf, nfree_);
  float* gmass = tab(t_.gmass);
  const Mat effld = mat(t_.effld, nm_);
  for (int m = 1; m <= nm_; ++m) {
    const float* f = phi(m);
    float g = 0.0f;
    std::array<float, 3> e{};
    for (int k = 1; k <= nfree_; ++k)
      for (int l = 1; l <= nfree_; ++l) {
        const float a = mf(k, l);
        if (a == 0.0f) continue;
        g += f[k - 1] * a * f[l - 1];
        for (int j = 1; j <= 3; ++j) e[static_cast<std::size_t>(j - 1)] += f[k - 1] * a * rinfl(l, j);
      }
    gmass[m - 1] = g;
    for (int j = 1; j <= 3; ++j) effld(m, j) = e[static_cast<std::size_t>(j - 1)];
  }
  if (kv::trace('F')) {
    base::prtmat(gmass, nm_, 1, "GENERIZED MASS MATRIX");
    base::prtmat(effld.p, nm_, 3, "EFFECTIVE-LOAD MATRIX");
  }
}

void Rspect::effective_masses() {
  std::array<float, 3> emlim{};
  need(fio::read_list(kIn, std::span<float>(emlim)), "EFFECTIVE MASS LIMITS");
  solution_page_header();
  fio::write(kOut, "(1X,'EFFECTIVE MASS IN GCS\"',' TRANSLATIONAL DIRECTIONS',/,1X,A,/)", rule(46));
  for (std::size_t j = 0; j < 3; ++j)
    fio::write(kOut, "(1X,'EFFECTIVE MASS LIMIT IN GCS\"',1X,A,' DIRECTION IS ',E15.6)", std::string(1, kAxis[j]),
               emlim[j]);

  const Sky m = sky(kv::kMassValues, kv::kMassMdiag);
  const base::NodeTables& nt = rm_.nodes;
  std::array<float, 3> tmass{};
  for (int n = 1; n <= rm_.nnode; ++n)
    for (int d = 1; d <= 3; ++d) {
      const int e = nt.id(n, d);
      if (e <= ncond_ || e > l2_ || base::code_bit(nt.ncode(n), base::kConstrain, d)) continue;
      tmass[static_cast<std::size_t>(d - 1)] += static_cast<float>(m.a[m.md[e - 1] - 1]);
    }
  for (std::size_t j = 0; j < 3; ++j)
    fio::write(kOut, "(1X,'NOTE: TOTAL STRUCTURAL MASS IN ',A,' DIRECTION IS ',E15.6)", std::string(1, kAxis[j]),
               tmass[j]);
  fio::write(kOut, "(1X,'   MODE     ','GCS X-DIRECTION(%)   ','GCS Y-DIRECTION(%)   ','GCS Z-DIRECTION(%)   ')");

  const float* gmass = tab(t_.gmass);
  const Mat effld = mat(t_.effld, nm_);
  std::array<float, 3> sum{};
  std::array<int, 3> cut{};
  for (int mo = 1; mo <= nm_; ++mo) {
    std::array<float, 3> ratio{};
    for (std::size_t j = 0; j < 3; ++j) {
      if (tmass[j] == 0.0f) continue;
      const float f = effld(mo, static_cast<std::int64_t>(j) + 1);
      ratio[j] = f * f / gmass[mo - 1] / tmass[j];
      // A ratio of at most 1 whose square of the participation leaves the
      // REAL range (masses near 1e20): formed again in double.
      if (!std::isfinite(ratio[j]))
        ratio[j] = static_cast<float>(static_cast<double>(f) * f / gmass[mo - 1] / tmass[j]);
      sum[j] += ratio[j];
      if (emlim[j] != 0.0f && cut[j] == 0 && emlim[j] <= sum[j]) cut[j] = mo;
    }
    fio::write(kOut, "(5X,I3,5X,3(E15.4,6X))", mo, std::span<const float>(ratio));
  }
  ncut_ = *std::max_element(cut.begin(), cut.end());
  if (ncut_ == 0 || ncut_ >= nm_) {
    ncut_ = nm_;
  } else {
    fio::write_list(kOut, " ** BASED ON EFFECTIVE MASS LIMIT, FINAL NO. OF ", "MODES USED IS ", ncut_, " **");
  }
}

// ---------------------------------------------------------------- responses

// out[q] = the combination over the modes of x[q + (m - 1) ld], q < count.
void Rspect::combine(const float* x, std::int64_t ld, std::int64_t count, float* out) const {
  combine_modes(method_ == Method::cqc ? tab(t_.rho) : nullptr, nm_, ncut_, x, ld, count, out);
}

// The (equation, value) pairs of the free equations, three a line; v holds
// the free equations' values from its first word.
void Rspect::value_list(bool forces, const float* v) {
  fio::write(kOut, forces ? "(3('  | D.O.F.    FORCE     |'),/)" : "(3('  | D.O.F.    DISPL     |'),/)");
  vals_.clear();
  for (int k = 1; k <= nfree_; ++k) {
    fio::push_value(vals_, ncond_ + k);
    fio::push_value(vals_, v[k - 1]);
  }
  fio::write_values(kOut, "(3(3X,I6,1X,E15.4))", vals_);
}

void Rspect::element_pass(int iopt, bool print, const std::function<void(int)>& before,
                          const std::function<void(int)>& after) {
  int ltype = 0;
  for (int e = 1; e <= nelem_; ++e) {
    before(e);
    elements::EleCall c;
    c.iopt = iopt;
    c.ielno = e;
    c.lecho = print;
    c.label = kv::titles().ldlabl;
    c.idisp = ctl(kv::kUTOTAL);
    c.iload = ctl(kv::kPTOTAL);
    elements::eledsp(c, ltype, 0);
    after(e);
  }
}

// The reaction sums of a direction (head names it) or of the totals.
void Rspect::reaction_report(const float* rsum, std::string_view head, bool per_direction) {
  solution_page_header();
  fio::write(kOut, "(/,/,' TOTAL REACTIONS AT GCS\"',' ORIGIN ',A)", head);
  if (per_direction)
    fio::write(kOut, "(1X,A,1X,A)", rule(30), rule(29));
  else
    fio::write(kOut, "(1X,A,1X)", rule(30));
  fio::write(kOut, "(17X,'FX',13X,'FY',13X,'FZ',13X,'MX',13X,'MY',13X,'MZ',/)");
  fio::write(kOut, "(' GCS SUMM.',6E15.7)", std::span<const float>(rsum, kSums));
}

// True when v[0..n-1] are finite; otherwise a spectrum or a mode too large
// has taken a result beyond the REAL range: the solution ends before it is
// reported, with the message naming what.
bool Rspect::finite_or_end(const float* v, std::int64_t n, std::string_view what) {
  for (std::int64_t i = 0; i < n; ++i) {
    if (real_finite(v[i], "RSPECT", what)) continue;
    istop_ = -1;
    return false;
  }
  return true;
}

bool Rspect::displacement_stage() {
  // The solvers' work vector lies in the free words.
  kv::memchk(neq_, 0);
  const std::int64_t work = ctl(kv::kIZ);
  for (int j = 1; j <= r_.ncomp; ++j) {
    for (int m = 1; m <= ncut_; ++m)
      if (!mode_response(j, m, work)) return false;
    if (!combine_component(j)) return false;
  }
  return total_responses();
}

// Mode m's displacements, equivalent forces, element forces and reactions
// for seismic component j, kept in the mode tables for the combination.
bool Rspect::mode_response(int j, int m, std::int64_t work) {
  float* u = tab(ctl(kv::kUTOTAL));
  float* p = tab(ctl(kv::kPTOTAL));
  const Mat dmode = mat(t_.dmode, l2_);
  const Mat fmode = mat(t_.fmode, nfree_);
  const Mat kf = mat(t_.kf, nfree_);
  const Mat sdg = mat(t_.sdg, nm_);
  const Mat effld = mat(t_.effld, nm_);
  const float* gmass = tab(t_.gmass);
  const SkylineView kview{k_.a, k_.md};
  const bool trf = kv::trace('F');
  const bool trg = kv::trace('G');
  auto& rsforc = kv::solsta().rsforc;
  std::string& label = kv::titles().ldlabl;
  const float* f = phi(m);
  std::fill(u, u + neq_, 0.0f);
  std::fill(p, p + neq_, 0.0f);
  if (trf) fio::write_list(kOut, "MODAL DISPLACEMENTS FOR MODE ", m);
  for (int k = 1; k <= nfree_; ++k) {
    const float x = f[k - 1] * effld(m, j) * sdg(m, j) / gmass[m - 1];
    u[ncond_ + k - 1] = x;
    if (trf) fio::write_list(kOut, "DISP(", k, ")= ", x);
  }
  for (int k = 1; k <= nfree_; ++k) {
    float s = 0.0f;
    for (int l = 1; l <= nfree_; ++l) s += kf(k, l) * u[ncond_ + l - 1];
    p[ncond_ + k - 1] = s;
    fmode(k, m) = s;
  }
  if (trf) {
    solution_page_header();
    fio::write(kOut, "(1X,'TOTAL EQUIVALENT EARTHQUAKE FORCES FOR MODE ',I3,' IN THE SEISMIC COMPONENT # ',I2,/)",
               m, j);
    value_list(false, p + ncond_);
  }
  if (ncond_ > 0) {
    // The condensed rows take -K(condensed, free) u; back substitution over
    // them with the factors of the condensation gives their displacements.
    std::array<float, 6> unused{};
    rea_ctn(kSupportDisplacementLoads, trg, EquationRanges{1, ncond_, ncond_ + 1, l2_}, u, u, neq_, 1, kview,
            1.0f, rm_, label, false, unused);
    int l1 = 1;
    int lc = ncond_;
    solvers::msoll(solvers::kBackSubstitute, trg, l2_, k_.nstore, neq_, 1, l1, lc, k_.imd, k_.ia, ctl(kv::kUTOTAL),
                   work, false, 0, 0, 0, false, 0, 0, 0, istop_);
    if (istop_ & 1) {
      abandoned("ZERO PIVOT IN THE RECOVERY OF THE CONDENSED DISPLACEMENTS");
      return false;
    }
  }
  for (int i = 1; i <= l2_; ++i) dmode(i, m) = u[i - 1];

  element_pass(
      elements::kEleState, trf, [&](int) { std::fill(rsforc.begin(), rsforc.end(), 0.0f); },
      [&](int e) {
        for (int i = 1; i <= kForces; ++i) efmode(e, i, m) = rsforc[static_cast<std::size_t>(i)];
      });

  const EquationRanges react{1, l2_, l2_ + 1, neq_};
  std::array<float, 6> rsum{};
  rea_ctn(kFormReactions, trf, react, p, u, neq_, 1, kview, 1.0f, rm_, label, false, rsum);
  rsum.fill(0.0f);
  rea_ctn(kReactionReport, trf, react, p, u, neq_, 1, kview, 1.0f, rm_, label, true, rsum);
  // A sum of reactions beyond the range has ended the solution already.
  if ((ctl(kv::kISTOP) & 1) != 0) {
    istop_ |= 1;
    return false;
  }
  // Moments about the origin of a model far from it may leave the range
  // while every force stays in it.
  for (const float v : rsum) {
    if (!real_finite(v, "RSPECT", "A MODAL REACTION SUM")) {
      istop_ |= 1;
      return false;
    }
  }
  for (int i = 1; i <= kSums; ++i) rsmode(i, m) = rsum[static_cast<std::size_t>(i - 1)];
  if (trf) {
    solution_page_header();
    fio::write(kOut, "(1X,'REACTION FOR MODE ',I3,' IN SEISMIC COMP # ',I2,/)", m, j);
    fio::write(kOut, "(' GCS SUMM.',6E15.7)", std::span<const float>(rsum));
  }
  return true;
}

// The combination over the modes of component j, reported when there are
// several components, and kept as the component's column for the totals.
bool Rspect::combine_component(int j) {
  float* dcomb = tab(t_.dcomb);
  float* fcomb = tab(t_.fcomb);
  const Mat dmode = mat(t_.dmode, l2_);
  const Mat fmode = mat(t_.fmode, nfree_);
  const Mat ddir = mat(t_.ddir, neq_);
  const Mat fdir = mat(t_.fdir, nfree_);
  auto& rsforc = kv::solsta().rsforc;
  // Combination over the modes.
  const int slot = ncut_ + j;
  std::fill(dcomb, dcomb + neq_, 0.0f);
  combine(dmode.p, l2_, l2_, dcomb);
  combine(fmode.p, nfree_, nfree_, fcomb);
  // Slot m of EFMODE holds every element's 12 forces in a row of nelem x 12.
  const std::int64_t nforces = static_cast<std::int64_t>(nelem_) * kForces;
  if (nforces > 0) combine(&efmode(1, 1, 1), nforces, nforces, &efmode(1, 1, slot));
  combine(&rsmode(1, 1), kSums, kSums, &rsmode(1, slot));
  if (!finite_or_end(dcomb, l2_, "COMBINED DISPLACEMENT") || !finite_or_end(fcomb, nfree_, "COMBINED FORCE") ||
      !finite_or_end(&efmode(1, 1, slot), nforces, "COMBINED ELEMENT FORCE") ||
      !finite_or_end(&rsmode(1, slot), kSums, "COMBINED REACTION SUM"))
    return false;

  if (r_.ncomp > 1) {
    titled_page(component_title("MAXIMUM STRUCTURAL RESPONSES ", j), 58);
    value_list(false, dcomb + ncond_);
    titled_page(component_title("MAXIMUM ELEMENT FORCES ", j), 56);
    element_pass(
        elements::kEleCommit, true,
        [&](int e) {
          for (int i = 1; i <= kForces; ++i) rsforc[static_cast<std::size_t>(i)] = efmode(e, i, slot);
        },
        [](int) {});
    titled_page(component_title("MAXIMUM EQUIVALENT EARTHQUAKE FORCES ", j), 70);
    value_list(true, fcomb);
    reaction_report(&rsmode(1, slot), component_title("", j), true);
  }
  for (int i = 1; i <= neq_; ++i) ddir(i, j) = dcomb[i - 1];
  for (int k = 1; k <= nfree_; ++k) fdir(k, j) = fcomb[k - 1];
  return true;
}

bool Rspect::total_responses() {
  float* u = tab(ctl(kv::kUTOTAL));
  float* fcomb = tab(t_.fcomb);
  const Mat ddir = mat(t_.ddir, neq_);
  const Mat fdir = mat(t_.fdir, nfree_);
  auto& rsforc = kv::solsta().rsforc;
  // Totals over the directions: plain sums of the directions' combined values.
  sum_directions(ddir, r_.ncomp, neq_, u);
  sum_directions(fdir, r_.ncomp, nfree_, fcomb);
  std::array<float, kSums> rsum{};
  for (int i = 1; i <= kSums; ++i)
    for (int j = 1; j <= r_.ncomp; ++j) rsum[static_cast<std::size_t>(i - 1)] += rsmode(i, ncut_ + j);
  if (!finite_or_end(u, neq_, "TOTAL DISPLACEMENT") || !finite_or_end(fcomb, nfree_, "TOTAL FORCE") ||
      !finite_or_end(rsum.data(), kSums, "TOTAL REACTION SUM"))
    return false;
  for (int e = 1; e <= nelem_; ++e) {
    for (int i = 1; i <= kForces; ++i) {
      float s = 0.0f;
      for (int j = 1; j <= r_.ncomp; ++j) s += efmode(e, i, ncut_ + j);
      if (!finite_or_end(&s, 1, "TOTAL ELEMENT FORCE")) return false;
    }
  }
  titled_page("TOTAL MAXIMUM STRUCTURAL RESPONSES", 34);
  value_list(false, u + ncond_);
  titled_page("TOTAL MAXIMUM EQUIVALENT EARTHQUAKE FORCES", 42);
  value_list(true, fcomb);
  titled_page("TOTAL MAXIMUM ELEMENT FORCES:", 29);
  element_pass(
      elements::kEleCommit, true,
      [&](int e) {
        for (int i = 1; i <= kForces; ++i) {
          float s = 0.0f;
          for (int j = 1; j <= r_.ncomp; ++j) s += efmode(e, i, ncut_ + j);
          rsforc[static_cast<std::size_t>(i)] = s;
        }
      },
      [](int) {});
  reaction_report(rsum.data(), "", false);
  return true;
}

void Rspect::inertia_stage() {
  const Mat mf = mat(t_.mf, nfree_);
  const Mat fmode = mat(t_.fmode, nfree_);
  const Mat ddir = mat(t_.ddir, neq_);
  const Mat sag = mat(t_.sag, nm_);
  const Mat effld = mat(t_.effld, nm_);
  const float* gmass = tab(t_.gmass);
  float* fcomb = tab(t_.fcomb);
  float* mphi = tab(ctl(kv::kIZ));
  const bool trf = kv::trace('F');
  for (int j = 1; j <= r_.ncomp; ++j) {
    for (int m = 1; m <= ncut_; ++m) {
      const float* f = phi(m);
      for (int k = 1; k <= nfree_; ++k) {
        float s = 0.0f;
        for (int l = 1; l <= nfree_; ++l)
          if (mf(k, l) != 0.0f) s += mf(k, l) * f[l - 1];
        mphi[k - 1] = s;
      }
      if (trf) fio::write_list(kOut, "MODAL FORCE FOR MODE ", m);
      for (int k = 1; k <= nfree_; ++k) {
        fmode(k, m) = mphi[k - 1] * effld(m, j) * sag(m, j) / gmass[m - 1];
        if (trf) fio::write_list(kOut, "DISP(", k, ")= ", fmode(k, m));
      }
    }
    combine(fmode.p, nfree_, nfree_, fcomb);
    if (!finite_or_end(fcomb, nfree_, "COMBINED INERTIA FORCE")) return;
    if (r_.ncomp > 1) {
      titled_page(component_title("MAXIMUM INERTIA FORCES ", j), 52);
      value_list(true, fcomb);
    }
    for (int i = 1; i <= neq_; ++i) ddir(i, j) = 0.0f;
    for (int k = 1; k <= nfree_; ++k) ddir(ncond_ + k, j) = fcomb[k - 1];
  }
  float* p = tab(ctl(kv::kPTOTAL));
  sum_directions(ddir, r_.ncomp, neq_, p);
  if (!finite_or_end(p, neq_, "TOTAL INERTIA FORCE")) return;
  titled_page("TOTAL MAXIMUM INERTIA FORCES", 28);
  value_list(true, p + ncond_);
}

}  // namespace

float tabint(float x, int n, const float* t) {
  if (n < 1) return 0.0f;
  if (x < t[0]) return t[1];
  if (x >= t[2 * (n - 1)]) return t[2 * (n - 1) + 1];
  for (int i = 0; i + 1 < n; ++i) {
    const float x0 = t[2 * i];
    const float x1 = t[2 * i + 2];
    if (x0 <= x && x < x1) {
      const float s = (t[2 * i + 3] - t[2 * i + 1]) / (x1 - x0);
      return t[2 * i + 1] + (x - x0) * s;
    }
  }
  // Abscissae that do not ascend: the last value rather than none.
  return t[2 * (n - 1) + 1];
}

float cqc_rho(float zeta, float r) {
  const float z2 = zeta * zeta;
  const float num = 8.0f * z2 * (1.0f + r) * std::pow(r, 1.5f);
  const float a = 1.0f - r * r;
  const float den = a * a + 4.0f * z2 * r * (1.0f + r) * (1.0f + r);
  // Without damping the ratio tends to 1 for equal periods and is 0 otherwise.
  if (den == 0.0f) return 1.0f;
  return num / den;
}

namespace {

// Quantities combined together: their sums and the slices of all modes stay
// in the faster caches while the mode pairs go by.
constexpr std::int64_t kCombineBlock = 128;

KV_VECTOR_CLONES
void srss_block(int ncut, const float* __restrict x, std::int64_t ld, std::int64_t nb, float* __restrict s) {
  for (std::int64_t q = 0; q < nb; ++q) s[q] = 0.0f;
  for (int m = 0; m < ncut; ++m) {
    const float* __restrict xm = x + m * ld;
    for (std::int64_t q = 0; q < nb; ++q) s[q] += xm[q] * xm[q];
  }
  for (std::int64_t q = 0; q < nb; ++q) s[q] = std::sqrt(s[q]);
}

KV_VECTOR_CLONES
void cqc_block(const float* rho, int ldrho, int ncut, const float* __restrict x, std::int64_t ld, std::int64_t nb,
               float* __restrict s) {
  for (std::int64_t q = 0; q < nb; ++q) s[q] = 0.0f;
  for (int m = 0; m < ncut; ++m) {
    const float* __restrict xm = x + m * ld;
    const float* r = rho + m;
    for (int n = 0; n < ncut; ++n) {
      const float rmn = r[static_cast<std::int64_t>(n) * ldrho];
      const float* __restrict xn = x + n * ld;
      for (std::int64_t q = 0; q < nb; ++q) s[q] += xm[q] * rmn * xn[q];
    }
  }
  for (std::int64_t q = 0; q < nb; ++q) s[q] = std::sqrt(std::fabs(s[q]));
}

}  // namespace

void combine_modes(const float* rho, int ldrho, int ncut, const float* x, std::int64_t ld, std::int64_t count,
                   float* out) {
  for (std::int64_t q0 = 0; q0 < count; q0 += kCombineBlock) {
    const std::int64_t nb = std::min(kCombineBlock, count - q0);
    if (rho == nullptr)
      srss_block(ncut, x + q0, ld, nb, out + q0);
    else
      cqc_block(rho, ldrho, ncut, x + q0, ld, nb, out + q0);
  }
}

void sol05() {
  solution_page_header();
  for (int i = 0; i < 20; ++i) fio::write_record(kOut, "");
  fio::write(kOut,
             "(40X,'** RESPONSE SPECTRUM ANALYSIS **',/,/,/,40X,'   NOTE: MODAL COMBINATION APPROACH CAN BE SRSS ',"
             "'OR CQC')");

  Records r;
  need(fio::read_list(kIn, r.method, r.nmodes, r.zeta, r.ncomp, r.npts, r.neig), "METHOD (METHOD, NMODES, ZETA, "
                                                                                  "NCOMP, NPTS, NEIG)");
  need(fio::read_list(kIn, r.nstep, r.eigunit), "EIGEN-SOLUTION OPTION (NSTEP, EIGUNIT)");
  r.method = padded(r.method, kMethodLen);
  solution_page_header();

  Method method;
  if (base::keyon(r.method, "SRSS", false)) {
    method = Method::srss;
    fio::write(kOut, "(1X,'SOLUTION #5, ','SRSS MODAL COMBINATION METHOD',/,1X,'=============',A,/)", rule(29));
  } else if (base::keyon(r.method, "CQC", false)) {
    method = Method::cqc;
    fio::write(kOut, "(1X,'SOLUTION #5, ','CQC MODAL COMBINATION METHOD',/,1X,'=============',A,/)", rule(28));
  } else {
    fio::write_list(kOut, "INVALID MODAL COMBINATION METHOD");
    fio::write(kOut, "(1X,'SOLUTION #5, ',A,/,1X,'=============',A,/)", r.method, rule(20));
    abandoned("THE METHOD IS NEITHER SRSS NOR CQC");
    return;
  }
  kv::solsta().rsmeth = static_cast<float>(static_cast<int>(method));

  fio::write(kOut,
             "(1X,' NUMBER OF MODES CONSIDERED ............',I4,/,1X,' DAMPING RATIO FOR ALL MODES ...........',"
             "E12.3,/,1X,' NO. OF SEISMIC COMPONENTS CONSIDERED ..',I4,/,1X,' NO. OF INPUT POINTS FOR SPECTRUM ......'"
             ",I4)",
             r.nmodes, r.zeta, r.ncomp, r.npts);
  if (r.nstep == 1)
    fio::write(kOut, "(1X,' NSTEP .................................',I4,/,1X,' EIGEN-SOLUTION IS STORE IN DISK UNIT ..',I4)",
               r.nstep, r.eigunit);
  else if (r.nstep == 2)
    fio::write(kOut, "(1X,' NSTEP .................................',I4,/,1X,' EIGEN-SOLUTION IS READ FROM DISK UNIT .',I4)",
               r.nstep, r.eigunit);

  // No table is reserved or read for records that cannot be analysed.
  const int nfree = std::max(ctl(kv::kNFREE), 0);
  r.neig = std::min(r.neig, nfree);
  if (const std::string fault = records_fault(r, nfree); !fault.empty()) {
    fio::write(kOut, "(/,' *** ',A,/,' *** THE RESPONSE SPECTRUM IS NOT ANALYSED')", fault);
    abandoned(fault);
    kv::solsta().rsmeth = 0.0f;
    return;
  }

  kv::set_ctl_logical(kv::kELASTC, true);
  const Tables t = reserve_tables(r);

  // The modal analysis uses the lumped node masses only.
  const std::int64_t imd = ctl(kv::kMassMdiag);
  const std::int64_t ia = ctl(kv::kMassValues);
  const std::int32_t* md = kv::iptr(imd);
  std::fill(kv::skyptr(ia), kv::skyptr(ia) + md[ctl(kv::kNEQ)], kv::SkyReal{0});
  int nmass = ctl(kv::kNMASS);
  model::lumpms(2, nmass, nmass, ctl(kv::kLUMREC), imd, ia, kv::trace('F'));

  Rspect(r, t, method).run();

  // The modal state ends with the solution: no later solution combines
  // element forces or starts from the last mode's vectors.
  kv::solsta().rsmeth = 0.0f;
  kv::zero_words(ctl(kv::kUTOTAL), ctl(kv::kNEQ));
  kv::zero_words(ctl(kv::kPTOTAL), ctl(kv::kNEQ));
}

}  // namespace solutions
