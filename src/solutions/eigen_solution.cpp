#include "base/kgdata.h"
#include "solutions/eigen_solution.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/matrix_print.h"
#include "base/node_tables.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "elements/form.h"
#include "fio/fio.h"
#include "model/lumped_masses.h"
#include "solutions/displacement_report.h"
#include "solutions/eigen_correction.h"
#include "solutions/finite_check.h"
#include "solutions/reactions.h"
#include "solvers/eigen_solver.h"
#include "solvers/skyline_solver.h"

namespace solutions {

namespace {

using kv::ctl;

constexpr int kOut = 6;
constexpr int kLabelLen = 40;
constexpr int kBlock = 7;            // modes per table block
constexpr int kModeUnitBase = 10;    // trace C writes mode m to unit 10 + m
constexpr int kLastModeUnit = fio::kMaxUnit;
constexpr float kTwoPi = 6.2831853f;

// Words of the KGDATA record after its first word ACCEL.

using Kind = EigenKind;

constexpr std::string_view kHeader =
    "('1 STRUCTURE....: ',A,/,'  SOLUTION.....: ',A,/,/,1X,' SOLUTION #3, DETERMINE EIGENVALUES AND "
    "EIGENVECTORS ',/,1X,'=====================================================',/,/,1X,' OPTION:"
    "....................',A,/,1X,' NUMBER OF EIGENVALUES:.....',I5)";

std::string padded(std::string_view s, std::size_t n) {
  std::string t(s.substr(0, std::min(s.size(), n)));
  t.resize(n, ' ');
  return t;
}

}  // namespace

Sky sky(int values_word, int mdiag_word) {
  Sky s;
  s.ia = ctl(values_word);
  s.imd = ctl(mdiag_word);
  s.a = kv::skyptr(s.ia);
  s.md = kv::iptr(s.imd);
  s.nstore = s.md[ctl(kv::kNEQ)] - 1;
  return s;
}

bool mass_formed() { return ctl(kv::kMassValues) > 0 && ctl(kv::kMassMdiag) > 0; }

namespace {

// The separate global geometric stiffness exists only when the structure input
// reserved it (KGDATA(3) = 2 there); otherwise words 51 and 52 point at the
// KGDATA record itself and must not be formed into.
bool geometric_stiffness_formed() {
  const std::int64_t kgrec = kv::kgdata_index();
  return kgrec > 0 && ctl(kv::kGeoMdiag) > 0 && ctl(kv::kGeoValues) > 0 && ctl(kv::kGeoMdiag) != kgrec &&
         ctl(kv::kGeoValues) != kgrec;
}

ReportModel report_model() { return ReportModel{base::node_tables(), ctl(kv::kNNODE), ctl(kv::kNCOS)}; }

}  // namespace

int dense_block(const Sky& s, int ncond, int l2, float* dense, std::string_view trace_fmt,
                std::string_view diag_fmt) {
  const int n = l2 - ncond;
  const bool tr = kv::trace('F');
  int first_bad = 0;
  for (int j = ncond + 1; j <= l2; ++j) {
    for (int i = j; i >= ncond + 1; --i) {
      const float v = s.term(i, j);
      const std::int64_t r = i - ncond - 1;
      const std::int64_t c = j - ncond - 1;
      dense[r + c * n] = v;
      dense[c + r * n] = v;
      if (tr) fio::write(kOut, trace_fmt, i, j, v);
      // A non-finite term is the caller's check, not a sign of the diagonal.
      if (i == j && v <= 0.0f) {
        // A term beyond the number range is named, not printed.
        fio::write(kOut, diag_fmt, i, fio::value_or_not_finite(v, "(1P,E12.4)"));
        if (first_bad == 0) first_bad = i;
      }
    }
  }
  return first_bad;
}

std::string fault_at_equation(std::string_view why, int eq) {
  const std::string joints = eq > 0 ? base::equation_joints(eq) : std::string();
  if (joints.empty()) return std::string(why);
  return std::string(why) + ": EQUATION " + std::to_string(eq) + ", " + joints;
}

namespace {

// Node n's six components of a vector over the equations, rebuilt through the
// node's constraint offsets and turned to the global frame (the displacement
// report's rule).
std::array<float, 6> global_node_vector(const base::NodeTables& t, int n, const float* col, int neq) {
  std::array<float, 6> u{};
  for (int j = 1; j <= 6; ++j) {
    const int e = t.id(n, j);
    if (e >= 1 && e <= neq) u[static_cast<std::size_t>(j - 1)] = col[e - 1];
  }
  u[0] += u[4] * t.tcon(n, 3) + u[5] * t.tcon(n, 5);
  u[1] += u[3] * t.tcon(n, 1) + u[5] * t.tcon(n, 6);
  u[2] += u[3] * t.tcon(n, 2) + u[4] * t.tcon(n, 4);
  const int s = t.icos(n);
  auto axis = [&](int i, int g) -> float {
    if (s < 1 || s > t.nndim) return i == g ? 1.0f : 0.0f;
    return t.cos(i, g, s);
  };
  std::array<float, 6> g{};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) {
      g[static_cast<std::size_t>(i - 1)] += axis(j, i) * u[static_cast<std::size_t>(j - 1)];
      g[static_cast<std::size_t>(i + 2)] += axis(j, i) * u[static_cast<std::size_t>(j + 2)];
    }
  return g;
}

}  // namespace

void mode_table(bool buckling, int neig, int nfree, int ncond, float* eig, const float* vec,
                const std::function<void()>& next_page) {
  std::array<float, kBlock> row{};
  std::array<int, kBlock> modes{};
  for (int j1 = 1; j1 <= neig; j1 += kBlock) {
    const int j2 = std::min(neig, j1 + kBlock - 1);
    const std::size_t cnt = static_cast<std::size_t>(j2 - j1 + 1);
    for (std::size_t k = 0; k < cnt; ++k) modes[k] = j1 + static_cast<int>(k);
    fio::write(kOut, "('           MODE:',7(I10,5X))", std::span<const int>(modes.data(), cnt));
    const std::span<const float> block(eig + j1 - 1, cnt);
    if (buckling) {
      fio::write(kOut, "('     EIGENVALUE:',1P,7(E14.5,1X))", block);
    } else {
      for (int j = j1; j <= j2; ++j) eig[j - 1] = std::sqrt(eig[j - 1]);
      fio::write(kOut, "(' FREQ (RAD/SEC):',1P,7(E14.5,1X))", block);
      for (int j = j1; j <= j2; ++j) eig[j - 1] = eig[j - 1] / kTwoPi;
      fio::write(kOut, "(' FREQUENCY (HZ):',1P,7(E14.5,1X))", block);
      for (int j = j1; j <= j2; ++j) {
        if (eig[j - 1] == 0.0f) eig[j - 1] = 1.0e-15f;
        eig[j - 1] = 1.0f / eig[j - 1];
      }
      fio::write(kOut, "('   PERIOD (SEC):',1P,7(E14.5,1X))", block);
    }
    fio::write(kOut, "('   EIGENVECTORS:')");
    for (int i = 1; i <= nfree; ++i) {
      for (std::size_t k = 0; k < cnt; ++k)
        row[k] = vec[static_cast<std::int64_t>(i - 1) + static_cast<std::int64_t>(j1 - 1 + static_cast<int>(k)) * nfree];
      fio::write(kOut, "('     DOF(',I6,')',1P,7(E14.5,1X))", ncond + i, std::span<const float>(row.data(), cnt));
    }
    if (j2 < neig) next_page();
  }
}

namespace {

// The eigenvalue and eigenvector tables of "SOL" 3, the solution header again
// before each further block.
void report_blocks(Kind kind, int neig, int nfree, int ncond, float* eig, const float* vec,
                   const std::string& option) {
  mode_table(kind == Kind::buckling, neig, nfree, ncond, eig, vec, [&] {
    fio::write(kOut, kHeader, kv::titles().title1, kv::titles().title2, option, neig);
  });
}

// The mode vector over all NEQ equations scaled so that its component of
// largest magnitude is +1.0 (the largest positive one wins a tie).
void normalize(float* v, int neq) {
  float vmin = 0.0f;
  float vmax = 0.0f;
  for (int e = 0; e < neq; ++e) {
    vmin = std::min(vmin, v[e]);
    vmax = std::max(vmax, v[e]);
  }
  const float scale = std::fabs(vmin) > std::fabs(vmax) ? vmin : vmax;
  if (scale == 0.0f) return;  // nothing to scale: a zero vector stays zero
  for (int e = 0; e < neq; ++e) v[e] = v[e] / scale;
}

}  // namespace

bool all_finite(const float* v, std::int64_t count) {
  for (std::int64_t i = 0; i < count; ++i)
    if (!std::isfinite(v[i])) return false;
  return true;
}

void zero_negative_eigenvalues(float* eig, int neig) {
  for (int j = 1; j <= neig; ++j) {
    if (eig[j - 1] >= 0.0f) continue;
    fio::write(kOut,
               "(' *** MODE',I5,': EIGENVALUE',1P,E12.4,' IS NEGATIVE, THE STIFFNESS IS NOT POSITIVE DEFINITE;',"
               "' ITS FREQUENCY IS PRINTED AS 0.0')",
               j, eig[j - 1]);
    eig[j - 1] = 0.0f;
  }
}

namespace {

// Counts the eigen-solution as abandoned, with the reason on the console.
void abandoned(std::string_view why) {
  kv::note_fault(kv::Fault::solution_error, "EIGEN-SOLUTION ABORTED: " + std::string(why));
}

// The eigen-solution ends as after a failed factorization of the second matrix.
void not_finite_report(std::string_view second, std::int32_t& istop) {
  fio::write(kOut,
             "(/,' *** THE STIFFNESS MATRIX OR THE ',A,' HOLDS A TERM THAT IS NOT FINITE, OR THE',/,"
             "' *** EIGEN-SOLUTION OF THEIR FREE DEGREES OF FREEDOM OVERFLOWS THE REAL RANGE.  SOLN IS ABORTED')",
             second);
  abandoned("A TERM OR A RESULT IS NOT FINITE");
  istop |= 1;
}

}  // namespace

void sol03() {
  kv::set_ctl_logical(kv::kELASTC, true);
  const int neq = ctl(kv::kNEQ);
  const std::int64_t nfree = std::max(ctl(kv::kNFREE), 0);
  const std::int64_t square = nfree * nfree;

  EigenTables t;
  t.eig = kv::reserve(nfree);
  t.vec = kv::reserve(square);
  t.a = kv::reserve(square);
  t.b = kv::reserve(square);
  t.w1 = kv::reserve(nfree);
  t.w2 = kv::reserve(neq);
  kv::memchk(neq, 0);  // the mode vector above IZ

  if (mass_formed()) {
    const Sky m = sky(kv::kMassValues, kv::kMassMdiag);
    std::fill(m.a, m.a + m.nstore, kv::SkyReal{0});
    int nmass = ctl(kv::kNMASS);
    model::lumpms(2, nmass, nmass, ctl(kv::kLUMREC), m.imd, m.ia, kv::titles().ibug);
  }
  eigsol(t);
}

namespace {

// The option record: FREQ or BUCK with NEIG and NVEC. An unreadable record
// stops the run; an unknown option abandons the solution (false).
bool read_option(Kind& kind, int& neig, int& nvec) {
  std::string word;
  if (fio::read_list(5, word, neig, nvec) != fio::Status::ok) {
    fio::write_list(kOut, " *** ER", "ROR: THE EIGEN-SOLUTION RECORD (OPTION, NEIG, NVEC) CANNOT BE READ");
    kv::stop_run(1, "EIGEN-SOLUTION RECORD CANNOT BE READ");
  }
  word = padded(word, kLabelLen);
  if (base::keyon(word, "FREQ", false)) {
    kind = Kind::frequencies;
  } else if (base::keyon(word, "BUCK", false)) {
    kind = Kind::buckling;
  } else {
    fio::write_list(kOut, "SOL-03 INVALID OPTION: ", word);
    abandoned("THE OPTION IS NEITHER FREQ NOR BUCK");
    return false;
  }
  return true;
}

// Without the second matrix the problem would be an eigen-solution of a zero
// matrix (or forming KG would write into the KGDATA record): false, said and
// abandoned.
bool second_matrix_formed(Kind kind) {
  if (kind == Kind::frequencies && !mass_formed()) {
    fio::write(kOut,
               "(/,' *** NO GLOBAL MASS MATRIX WAS FORMED: THE MASS RECORD NEEDS MFORM = 1 AND LUMPED MASSES.',"
               "/,' *** NATURAL FREQUENCIES CANNOT BE FOUND.  SOLN IS ABORTED')");
    abandoned("NO GLOBAL MASS MATRIX");
    return false;
  }
  if (kind == Kind::buckling && !geometric_stiffness_formed()) {
    fio::write(kOut,
               "(/,' *** NO SEPARATE GLOBAL GEOMETRIC STIFFNESS MATRIX WAS FORMED: THE STRUCTURE INPUT NEEDS',"
               "' KGDATA(3) = 2.',/,' *** ELASTIC BUCKLING LOADS CANNOT BE FOUND.  SOLN IS ABORTED')");
    abandoned("NO SEPARATE GLOBAL GEOMETRIC STIFFNESS MATRIX");
    return false;
  }
  return true;
}

// The second matrix of the problem: KG formed for the input loads alone, or
// the mass matrix.
Sky second_matrix(Kind kind, int neq) {
  Sky second;
  if (kind == Kind::buckling) {
    // The buckling factors are those of the input loads alone, and the model
    // keeps the separate KG for the later solutions.
    kv::KgData kg = kv::kgdata();
    kg.use = 2;
    kg.accel = 0.0f;
    kv::set_kgdata(kg);
    elements::form(2);
    second = sky(kv::kGeoValues, kv::kGeoMdiag);
    if (kv::trace('F')) base::skyprt(second.a, second.md, neq, second.nstore, " GLOBAL GEOMETRIC STIFFNESS MATRIX");
  } else {
    second = sky(kv::kMassValues, kv::kMassMdiag);
    if (kv::trace('F')) base::skyprt(second.a, second.md, neq, second.nstore, " GLOBAL MASS MATRIX");
  }
  return second;
}

// The condensed DOFs reduced out of both matrices; false (abandoned) on a zero pivot.
bool condense(Kind kind, const Sky& k, const Sky& second, const EigenTables& t, int ncond, int l2, int neq,
              std::int64_t modev, std::int32_t& istop) {
  if (ncond <= 0) return true;
  kv::zero_words(t.w2, neq);
  const bool lmass = kind == Kind::frequencies && kv::ctl_true(kv::kMCOND);
  const bool lgeom = kind == Kind::buckling && kv::ctl_true(kv::kKGCOND);
  const Sky m = kind == Kind::frequencies ? second : Sky{};
  const Sky g = kind == Kind::buckling ? second : Sky{};
  int l1 = 1;
  int lc = ncond;
  solvers::msoll(solvers::kReduce, kv::trace('G'), l2, k.nstore, neq, 1, l1, lc, k.imd, k.ia, t.w2, modev, lmass,
                 m.ia, m.imd, m.nstore, lgeom, g.ia, g.imd, g.nstore, istop);
  if (istop & 1) {
    abandoned("ZERO PIVOT IN THE CONDENSATION");
    return false;
  }
  return true;
}

// The free blocks of both matrices as dense a and b; false (abandoned, naming
// the first equation at fault) when a free DOF has no stiffness or no
// second-matrix term.
bool dense_blocks(Kind kind, const Sky& k, const Sky& second, int ncond, int l2, float* a, float* b) {
  const int bad_k = dense_block(k, ncond, l2, a, "(' I:',I5,' J:',I5,' A(I,J)',1P,E15.5)",
                                "('     DOF #',I5,' IS .LE. 0 IN THE STIFFNESS MATRIX...',5X,'K(I,I)=',A,"
                                "'  SOLN IS ABORTED')");
  const int bad_b =
      kind == Kind::frequencies
          ? dense_block(second, ncond, l2, b, "(' I:',I5,' J:',I5,' B(I,J):',1P,E15.5)",
                        "('     DOF #',I5,' IS .LE. 0 IN THE MASS MATRIX...',5X,'M(I,I)=',A,"
                        "'  SOLN IS ABORTED')")
          : dense_block(second, ncond, l2, b, "(' I:',I5,' J:',I5,' B(I,J):',1P,E15.5)",
                        "('     DOF #',I5,' IS .LE. 0 IN THE GEOMETRIC STIFFNESS MATRIX...',5X,'KG(I,I)=',A,"
                        "'  SOLN IS ABORTED')");
  const bool ok = bad_k == 0 && bad_b == 0;
  if (!ok) {
    const int eq = bad_k != 0 && (bad_b == 0 || bad_k < bad_b) ? bad_k : bad_b;
    abandoned(fault_at_equation(kind == Kind::frequencies
                                    ? "A FREE DEGREE OF FREEDOM HAS NO STIFFNESS OR NO MASS"
                                    : "A FREE DEGREE OF FREEDOM HAS NO STIFFNESS OR NO GEOMETRIC STIFFNESS",
                                eq));
  }
  return ok;
}

// The dense eigen-solution of a, b into eig, vec with its checks; false
// (reported) when there is nothing worth printing.
bool solve_dense(Kind kind, const EigenTables& t, int nfree, int ncond, std::int64_t modev, std::int32_t& istop) {
  float* a = kv::rptr(t.a);
  float* b = kv::rptr(t.b);
  // Terms beyond the float range (or formed from such terms by the
  // condensation) give no eigen-solution worth printing.
  if (!all_finite(a, static_cast<std::int64_t>(nfree) * nfree) ||
      !all_finite(b, static_cast<std::int64_t>(nfree) * nfree)) {
    not_finite_report(kind == Kind::frequencies ? "MASS MATRIX" : "GEOMETRIC STIFFNESS MATRIX", istop);
    return false;
  }

  // The third work vector of the solver is the mode vector's free space.
  float* eig = kv::rptr(t.eig);
  float* vec = kv::rptr(t.vec);
  const solvers::EigenResult res =
      solvers::eiggen(nfree, a, b, eig, vec, kv::rptr(t.w1), kv::rptr(t.w2), kv::rptr(modev));
  if (res.status == solvers::EigenStatus::not_positive_definite) {
    fio::write(kOut,
               "(/,' *** THE ',A,' IS NOT POSITIVE DEFINITE ON THE FREE DEGREES OF FREEDOM:',/,"
               "' *** ITS FACTORIZATION MEETS THE PIVOT',1P,E12.4,' AT DOF #',I5,'.  SOLN IS ABORTED')",
               kind == Kind::frequencies ? "MASS MATRIX" : "GEOMETRIC STIFFNESS MATRIX", res.piv, ncond + res.row);
    abandoned(kind == Kind::frequencies ? "THE MASS MATRIX IS NOT POSITIVE DEFINITE"
                                        : "THE GEOMETRIC STIFFNESS MATRIX IS NOT POSITIVE DEFINITE");
    istop |= 1;
    return false;
  }
  // The solver stops at a non-finite value; its results are checked here as
  // well, since nothing may be printed from them otherwise.
  if (res.status == solvers::EigenStatus::not_finite || !all_finite(eig, nfree) ||
      !all_finite(vec, static_cast<std::int64_t>(nfree) * nfree)) {
    not_finite_report(kind == Kind::frequencies ? "MASS MATRIX" : "GEOMETRIC STIFFNESS MATRIX", istop);
    return false;
  }
  return true;
}

// Trace C: mode m's node vectors on its side unit (units end at the last
// one, said once).
void mode_side_unit(int m, const ReportModel& rm, const float* mode, int neq) {
  const int unit = kModeUnitBase + m;
  if (unit > kLastModeUnit) {
    if (unit == kLastModeUnit + 1)
      fio::write(kOut, "(/,' *** TRACE C: THE SIDE UNITS END AT',I3,'; MODES ABOVE',I3,' ARE NOT WRITTEN')",
                 kLastModeUnit, kLastModeUnit - kModeUnitBase);
    return;
  }
  for (int n = 1; n <= rm.nnode; ++n)
    fio::write(unit, "(I7,1P,6E12.4)", n, std::span<const float>(global_node_vector(rm.nodes, n, mode, neq)));
}

// The first nvec mode shapes over all equations: the condensed components
// recovered, normalised and printed.
void mode_shapes(Kind kind, const Sky& k, const EigenTables& t, int nvec, int nfree, int ncond, std::int64_t modev,
                 std::int32_t& istop) {
  const int neq = ctl(kv::kNEQ);
  const int l2 = ncond + nfree;
  const float* eig = kv::rptr(t.eig);
  const float* vec = kv::rptr(t.vec);
  const ReportModel rm = report_model();
  const SkylineView kview{k.a, k.md};
  const EquationRanges recover{1, ncond, ncond + 1, l2};
  std::array<float, 6> rsum{};
  float* mode = kv::rptr(modev);
  std::string& label = kv::titles().ldlabl;
  const bool trace_c = kv::trace('C');
  for (int m = 1; m <= nvec; ++m) {
    std::fill(mode, mode + neq, 0.0f);
    std::copy(vec + static_cast<std::int64_t>(m - 1) * nfree, vec + static_cast<std::int64_t>(m) * nfree,
              mode + ncond);

    // The condensed rows take -K(condensed, free) x of the reduced stiffness;
    // back substitution over them gives the condensed components.
    rea_ctn(kSupportDisplacementLoads, true, recover, mode, mode, neq, 1, kview, 1.0f, rm, label, false, rsum);
    int l1 = 1;
    int lc = ncond;
    solvers::msoll(solvers::kBackSubstitute, kv::trace('G'), l2, k.nstore, neq, 1, l1, lc, k.imd, k.ia, modev,
                   t.w2, false, 0, 0, 0, false, 0, 0, 0, istop);
    if (istop & 1) return;
    // A condensed pivot that passed the zero test may still be too small.
    if (!solution_finite(mode, l2, 1, neq, "EIGSOL")) {
      istop = -1;
      return;
    }

    normalize(mode, neq);

    if (kind == Kind::buckling)
      label = fio::format("('MODE #',I3,'   EIGENVALUE:',1P,E15.6)", m, eig[m - 1]);
    else
      label = fio::format("('MODE #',I3,'   FREQUENCY:',1P,E15.6)", m, 1.0f / eig[m - 1]);
    label.resize(kLabelLen, ' ');

    prtdsp(kPerColumn, rm, neq, 1, l2, mode, "EIGENVECTORS", label, true);

    if (trace_c) mode_side_unit(m, rm, mode, neq);
  }
}

}  // namespace

void eigsol(const EigenTables& t) {
  Kind kind;
  int neig = 0;
  int nvec = 0;
  if (!read_option(kind, neig, nvec)) return;
  const std::string option =
      padded(kind == Kind::frequencies ? "NATURAL FREQUENCIES" : "ELASTIC BUCKLING LOAD", kLabelLen);

  const int neq = ctl(kv::kNEQ);
  const int ncond = ctl(kv::kNCOND);
  const int nfree = std::max(ctl(kv::kNFREE), 0);
  const int l2 = ncond + nfree;
  if (neig <= 0) neig = nfree;
  neig = std::min(neig, nfree);
  nvec = std::min(nvec, neig);

  fio::write(kOut, kHeader, kv::titles().title1, kv::titles().title2, option, neig);
  if (!second_matrix_formed(kind)) return;

  elements::form(1);
  const Sky k = sky(kv::kStiffValues, kv::kStiffMdiag);
  if (kv::trace('F')) base::skyprt(k.a, k.md, neq, k.nstore, "GLOBAL STIFFNESS MATRIX");
  const Sky second = second_matrix(kind, neq);

  std::int32_t& istop = ctl(kv::kISTOP);
  std::int64_t modev = ctl(kv::kIZ);  // the mode vector's words, checked by SOL03
  if (!condense(kind, k, second, t, ncond, l2, neq, modev, istop)) return;
  if (!dense_blocks(kind, k, second, ncond, l2, kv::rptr(t.a), kv::rptr(t.b))) return;
  if (!solve_dense(kind, t, nfree, ncond, modev, istop)) return;

  // The float eigenpairs are corrected in double; the stage's tables take the
  // free words, so the mode vector moves above them.
  float* eig = kv::rptr(t.eig);
  float* vec = kv::rptr(t.vec);
  if (!correct_eigenpairs(kind, neig, eig, vec))
    fio::write(kOut,
               "(/,' *** THE EIGENVALUES AND VECTORS COULD NOT BE CORRECTED IN DOUBLE PRECISION:',"
               "' THE SINGLE-PRECISION SOLUTION IS PRINTED')");
  kv::memchk(neq, 0);
  modev = ctl(kv::kIZ);

  // A negative eigenvalue of the frequency problem has no real frequency; it
  // is reported and its frequency taken as 0.0 rather than printed as NaN.
  if (kind == Kind::frequencies) zero_negative_eigenvalues(eig, neig);

  report_blocks(kind, neig, nfree, ncond, eig, vec, option);
  mode_shapes(kind, k, t, nvec, nfree, ncond, modev, istop);
}

}  // namespace solutions
