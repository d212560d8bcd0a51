#include "solutions/eigen_correction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "base/globals.h"
#include "base/node_tables.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "model/lumped_masses.h"
#include "solutions/reactions.h"
#include "solutions/stiffness_product.h"
#include "solvers/dense_eigen_double.h"
#include "solvers/skyline_factor_solve.h"
#include "solvers/skyline_products.h"
#include "solvers/skyline_solver.h"

namespace solutions {

namespace {

using kv::ctl;

// The stage's tables, reserved at IZ.
struct Tables {
  int p = 0;              // modes projected on
  std::int64_t phi = 0;   // L2 x p double: the basis over equations 1..L2
  std::int64_t u = 0;     // NEQ double
  std::int64_t y = 0;     // NEQ double
  std::int64_t b = 0;     // NEQ double
  std::int64_t z = 0;     // NEQ double: the operand of the geometric product
  std::int64_t w = 0;     // NEQ double: the solver's work
  std::int64_t col = 0;   // NEQ REAL: a column for the float solver
  std::int64_t ap = 0;    // p x p double: projected stiffness
  std::int64_t bp = 0;    // p x p double: projected mass or geometric stiffness
  std::int64_t q = 0;     // p x p double: eigenvectors of the projected problem
  std::int64_t ev = 0;    // p double: its eigenvalues
  std::int64_t mass = 0;  // the lumped masses assembled afresh (only when the global mass was condensed)
};

struct Model {
  EigenKind kind;
  int neq, ncond, nfree, l2;
  bool carried;  // the second matrix took part in the condensation: its condensed rows count
  solvers::SkylineMatrix k;
  const std::int32_t* mass_md = nullptr;
  const kv::SkyReal* mass = nullptr;  // uncondensed mass values
};

// y = B u over equations 1..L2: the uncondensed mass (frequencies) or the
// separate geometric stiffness element by element (buckling); without the
// condensed rows and columns when the float problem had none of them.
void second_product(const Model& m, const Tables& t, const double* u, double* y) {
  const int first = m.carried ? 1 : m.ncond + 1;
  if (m.kind == EigenKind::frequencies) {
    std::fill(y, y + m.neq, 0.0);
    solvers::skymul_double(first, m.l2, m.mass_md, m.mass, u, y);
  } else {
    double* z = kv::dptr(t.z);
    std::fill(z, z + m.neq, 0.0);
    std::copy(u + first - 1, u + m.l2, z + first - 1);
    element_product(ProductMatrix::geometric, z, y);
    std::fill(y, y + first - 1, 0.0);
  }
  std::fill(y + m.l2, y + m.neq, 0.0);
}

// x := inv(K) x on equations 1..L2 with the float factors, in double.
bool solve(const Model& m, const Tables& t, double* x) {
  return solvers::solve_reduced_double(m.l2, m.k.a, m.k.mdiag, x, kv::dptr(t.w)) == 0;
}

double dot(const double* a, const double* b, int n) {
  double s = 0.0;
  for (int e = 0; e < n; ++e) s += a[e] * b[e];
  return s;
}

// The model of the correction: the matrices, the stage's tables in the work
// array (reserved at IZ) and the basis over equations 1..L2 they hold.
class Correction {
 public:
  Correction(EigenKind kind, int neig, int nbasis);

  int neig() const { return neig_; }
  bool usable() const { return usable_; }
  // The float modes over equations 1..L2; false after a zero pivot.
  bool load_float_modes(const float* vec);
  // The free block reduced as well: the float factors of equations 1..L2.
  bool reduce_free_block();
  // Inverse iteration, x = inv(K) B phi (one step, two on a short basis), with
  // one refinement of each solve against the element-by-element product; each
  // vector scaled to a largest magnitude of 1.
  bool inverse_iteration();
  // The projected pair (upper triangles) and its eigen-solution.
  bool project();
  // The corrected modes on the free equations, all checked before any is
  // stored: a pass that forms them, then one that writes them.
  bool store_modes(float* eig, float* vec);

 private:
  double* basis(int j) const { return phi_ + static_cast<std::int64_t>(j) * m_.l2; }
  bool condense(double* v);
  double mode_vector(int mode) const;

  Model m_{};
  Tables t_{};
  int neig_ = 0;
  int steps_ = 1;
  bool usable_ = true;
  double* phi_ = nullptr;
  double* u_ = nullptr;
  double* y_ = nullptr;
  double* b_ = nullptr;
  float* col_ = nullptr;
  ReportModel rm_{};
  SkylineView kview_{};
  EquationRanges recover_{};
  std::array<float, 6> rsum_{};
};

Correction::Correction(EigenKind kind, int neig, int nbasis) {
  Model& m = m_;
  m = {kind, ctl(kv::kNEQ), ctl(kv::kNCOND), std::max(ctl(kv::kNFREE), 0), 0, false, {}};
  m.l2 = m.ncond + m.nfree;
  if (neig <= 0 || m.nfree <= 0) {
    usable_ = false;
    return;
  }
  neig = std::min(neig, m.nfree);
  m.carried = m.ncond > 0 && kv::ctl_true(kind == EigenKind::frequencies ? kv::kMCOND : kv::kKGCOND);
  const std::int32_t* kmd = kv::iptr(ctl(kv::kStiffMdiag));
  m.k = {kv::skyptr(ctl(kv::kStiffValues)), kmd, kmd[m.neq] - 1};

  Tables& t = t_;
  const int available = nbasis > 0 ? std::min(nbasis, m.nfree) : m.nfree;
  neig = std::min(neig, available);
  neig_ = neig;
  const int wanted = std::min(m.nfree, std::max(2 * neig, neig + 8));
  t.p = std::min(available, wanted);
  // A basis without the spare vectors above the modes wanted leaves the
  // highest of them contaminated by the next modes: a second step of inverse
  // iteration reduces that by the eigenvalue ratio once more.
  steps_ = t.p < wanted ? 2 : 1;
  const std::int64_t p = t.p;
  // The double tables in one block (aligned once), then the REAL column.
  const std::int64_t neq = m.neq;
  t.phi = kv::reserve_doubles(m.l2 * p + 5 * neq + 3 * p * p + p);
  t.u = t.phi + 2 * m.l2 * p;
  t.y = t.u + 2 * neq;
  t.b = t.y + 2 * neq;
  t.z = t.b + 2 * neq;
  t.w = t.z + 2 * neq;
  t.ap = t.w + 2 * neq;
  t.bp = t.ap + 2 * p * p;
  t.q = t.bp + 2 * p * p;
  t.ev = t.q + 2 * p * p;
  t.col = kv::reserve(neq);
  if (kind == EigenKind::frequencies) {
    m.mass_md = kv::iptr(ctl(kv::kMassMdiag));
    if (m.carried) {
      // The global mass was condensed in place: the lumped masses again.
      const int nstore = m.mass_md[m.neq] - 1;
      t.mass = kv::reserve(nstore);
      kv::zero_words(t.mass, nstore);
      int nmass = ctl(kv::kNMASS);
      model::lumpms(2, nmass, nmass, ctl(kv::kLUMREC), ctl(kv::kMassMdiag), t.mass, false);
      m.mass = kv::skyptr(t.mass);
    } else {
      m.mass = kv::skyptr(ctl(kv::kMassValues));
    }
  }

  phi_ = kv::dptr(t.phi);
  u_ = kv::dptr(t.u);
  y_ = kv::dptr(t.y);
  b_ = kv::dptr(t.b);
  col_ = kv::rptr(t.col);
  rm_ = ReportModel{base::node_tables(), ctl(kv::kNNODE), ctl(kv::kNCOS)};
  kview_ = SkylineView{m.k.a, m.k.mdiag};
  recover_ = EquationRanges{1, m.ncond, m.ncond + 1, m.l2};
}

// A vector over equations 1..L2 given on the free rows takes on its
// condensed rows what the static condensation gives for them (the reduced
// stiffness, as the mode shapes are recovered): the basis stays in the space
// of the condensed problem. False after a zero pivot.
bool Correction::condense(double* v) {
  const Model& m = m_;
  float* col = col_;
  if (m.ncond == 0) return true;
  std::fill(col, col + m.neq, 0.0f);
  for (int e = m.ncond; e < m.l2; ++e) col[e] = static_cast<float>(v[e]);
  rea_ctn(kSupportDisplacementLoads, false, recover_, col, col, m.neq, 1, kview_, 1.0f, rm_, "", false, rsum_);
  int l1 = 1;
  int lc = m.ncond;
  if (solvers::msoll(solvers::kBackSubstitute, false, m.l2, m.neq, 1, l1, lc, m.k, col, col, {}, {}) !=
      solvers::SolveStatus::ok)
    return false;
  for (int e = 0; e < m.ncond; ++e) v[e] = col[e];
  return true;
}

bool Correction::load_float_modes(const float* vec) {
  const Model& m = m_;
  for (int j = 0; j < t_.p; ++j) {
    double* v = basis(j);
    std::fill(v, v + m.ncond, 0.0);
    const float* x = vec + static_cast<std::int64_t>(j) * m.nfree;
    for (int e = m.ncond; e < m.l2; ++e) v[e] = x[e - m.ncond];
    if (!condense(v)) return false;
  }
  return true;
}

bool Correction::reduce_free_block() {
  const Model& m = m_;
  std::fill(col_, col_ + m.neq, 0.0f);
  int l1 = m.ncond + 1;
  int l2 = m.l2;
  return solvers::msoll(solvers::kReduce, false, m.l2, m.neq, 1, l1, l2, m.k, col_, col_, {}, {}) ==
         solvers::SolveStatus::ok;
}

bool Correction::inverse_iteration() {
  const Model& m = m_;
  const Tables& t = t_;
  double* u = u_;
  double* y = y_;
  double* b = b_;
  std::fill(u, u + m.neq, 0.0);
  for (int step = 0; step < steps_; ++step) {
    for (int j = 0; j < t.p; ++j) {
      double* v = basis(j);
      std::copy(v, v + m.l2, u);
      second_product(m, t, u, b);
      std::copy(b, b + m.l2, u);
      if (!solve(m, t, u)) return false;
      std::fill(u + m.l2, u + m.neq, 0.0);
      element_product(ProductMatrix::stiffness, u, y);
      for (int e = 0; e < m.l2; ++e) y[e] = b[e] - y[e];
      if (!solve(m, t, y)) return false;
      double big = 0.0;
      for (int e = 0; e < m.l2; ++e) {
        u[e] += y[e];
        big = std::max(big, std::fabs(u[e]));
      }
      if (!(big > 0.0) || !std::isfinite(big)) return false;
      for (int e = 0; e < m.l2; ++e) v[e] = u[e] / big;
      // The solve's free rows are those of the condensed problem's inverse
      // iteration; its condensed rows carry the condensed masses' own motion,
      // which the condensed problem does not have.
      if (!condense(v)) return false;
    }
  }
  return true;
}

bool Correction::project() {
  const Model& m = m_;
  const Tables& t = t_;
  const std::int64_t p = t.p;
  double* u = u_;
  double* y = y_;
  double* b = b_;
  double* ap = kv::dptr(t.ap);
  double* bp = kv::dptr(t.bp);
  for (int j = 0; j < t.p; ++j) {
    std::copy(basis(j), basis(j) + m.l2, u);
    element_product(ProductMatrix::stiffness, u, y);
    second_product(m, t, u, b);
    for (int i = 0; i <= j; ++i) {
      ap[i + j * p] = dot(basis(i), y, m.l2);
      bp[i + j * p] = dot(basis(i), b, m.l2);
    }
  }
  return solvers::dense_eigen_double(t.p, ap, bp, kv::dptr(t.ev), kv::dptr(t.q));
}

// Mode `mode` of the projected problem over the free equations, in u; the
// caller gets back its largest magnitude.
double Correction::mode_vector(int mode) const {
  const Model& m = m_;
  const std::int64_t p = t_.p;
  const double* q = kv::dptr(t_.q);
  double* u = u_;
  std::fill(u, u + m.l2, 0.0);
  for (int j = 0; j < t_.p; ++j) {
    const double c = q[j + mode * p];
    const double* v = basis(j);
    for (int e = m.ncond; e < m.l2; ++e) u[e] += c * v[e];
  }
  double big = 0.0;
  for (int e = m.ncond; e < m.l2; ++e) big = std::max(big, std::fabs(u[e]));
  return big;
}

bool Correction::store_modes(float* eig, float* vec) {
  const Model& m = m_;
  const double* ev = kv::dptr(t_.ev);
  const double* u = u_;
  for (int mode = 0; mode < neig_; ++mode) {
    const double big = mode_vector(mode);
    if (!std::isfinite(ev[mode]) || !(big > 0.0) || !std::isfinite(big)) return false;
  }
  for (int mode = 0; mode < neig_; ++mode) {
    const double big = mode_vector(mode);
    float* out = vec + static_cast<std::int64_t>(mode) * m.nfree;
    double along = 0.0;
    for (int e = m.ncond; e < m.l2; ++e) along += u[e] * out[e - m.ncond];
    const double scale = along < 0.0 ? -big : big;
    for (int e = m.ncond; e < m.l2; ++e) out[e - m.ncond] = static_cast<float>(u[e] / scale);
    eig[mode] = static_cast<float>(ev[mode]);
  }
  return true;
}

}  // namespace

bool correct_eigenpairs(EigenKind kind, int neig, float* eig, float* vec, int nbasis) {
  Correction c(kind, neig, nbasis);
  return c.usable() && c.load_float_modes(vec) && c.reduce_free_block() && c.inverse_iteration() && c.project() &&
         c.store_modes(eig, vec);
}

}  // namespace solutions
