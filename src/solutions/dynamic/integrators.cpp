#include "solutions/dynamic/integrators.h"

#include <algorithm>
#include <bit>

#include "base/work_array.h"
#include "fio/fio.h"
#include "solvers/skyline_products.h"
#include "solvers/skyline_solver.h"

namespace solutions {

namespace {

constexpr int kOut = 6;

// One column of a global matrix from its diagonal upward (col[q] = row j - q),
// height 0 without the matrix.
struct ColumnView {
  const kv::SkyReal* col = nullptr;
  int height = 0;
  float term(int q) const { return q < height ? col[q] : 0.0f; }
};

ColumnView column(std::int64_t a, std::int64_t mdiag, int j) {
  if (a <= 0 || mdiag <= 0) return {};
  const std::int32_t* md = kv::iptr(mdiag);
  return {kv::skyptr(a) + md[j - 1] - 1, md[j] - md[j - 1]};
}

// KEFF = a*K + b*M - c*KG over the free block, in the merged profile of
// KEFFDG, one column at a time over the stored terms of the three matrices (a
// term outside a matrix's profile counts as zero), written into out. With
// compare, returns the first column whose terms differ from what out held,
// else (and when none differs) NFREE + 1. With `only` (per equation) the
// columns it does not mark are known to hold their terms already.
int combine_keff(const IntegratorCall& s, float a, float b, float c, kv::SkyReal* out, bool compare,
                 const unsigned char* only = nullptr) {
  const bool with_kg = s.kgdata3 == 2;
  const std::int32_t* md = kv::iptr(s.keffdg);
  int first_changed = s.nfree + 1;
  for (int col = 1; col <= s.nfree; ++col) {
    const int gc = s.ncond + col;
    if (only != nullptr && only[gc - 1] == 0) continue;
    const ColumnView k = column(s.k, s.kmdiag, gc);
    const ColumnView m = column(s.m, s.mmdiag, gc);
    const ColumnView g = with_kg ? column(s.kg, s.kgmdiag, gc) : ColumnView{};
    kv::SkyReal* e = out + md[col - 1] - 1;
    const int height = md[col] - md[col - 1];
    bool same = true;
    for (int q = 0; q < height; ++q) {
      float v = a * k.term(q) + b * m.term(q);
      if (with_kg) v -= c * g.term(q);
      same = same && std::bit_cast<std::uint32_t>(v) == std::bit_cast<std::uint32_t>(e[q]);
      e[q] = v;
    }
    if (compare && !same && first_changed > s.nfree) first_changed = col;
  }
  return first_changed;
}

// Builds KEFF = a*K + b*M - c*KG for a reduction. Returns the first column
// whose terms changed since the last build: the columns before it may keep
// their factors (1 when nothing was kept, at most NFREE).
int build_keff(const IntegratorCall& s, float a, float b, float c) {
  kv::SkyReal* keff = kv::skyptr(s.keff);
  if (s.keff_terms == nullptr) {
    combine_keff(s, a, b, c, keff, false);
    return 1;
  }
  const bool kept = *s.keff_terms_kept;
  const int first = kept ? std::min(combine_keff(s, a, b, c, s.keff_terms, true, s.k_changed), s.nfree) : 1;
  if (!kept) combine_keff(s, a, b, c, s.keff_terms, false);
  *s.keff_terms_kept = true;
  const std::int32_t* md = kv::iptr(s.keffdg);
  const int from = solvers::refactored_from(first);
  std::copy(s.keff_terms + md[from - 1] - 1, s.keff_terms + md[s.nfree] - 1, keff + md[from - 1] - 1);
  return first;
}

// The factor of the separate geometric stiffness in the effective matrix.
float kg_factor(const IntegratorCall& s) { return s.kgdata1 == 1 ? 1.0f + s.accel : 1.0f; }

// The constants of a method in double: the step's increments are formed with
// these, the REAL record (trace, effective matrix) holds them rounded once.
struct Constants {
  double c0 = 0, c1 = 0, c2 = 0, c3 = 0, c4 = 0, c5 = 0, c6 = 0, alpha = 0, beta = 0, c10 = 0, c11 = 0;
  IntegratorConstants real() const {
    const auto f = [](double x) { return static_cast<float>(x); };
    return {f(c0), f(c1), f(c2), f(c3), f(c4), f(c5), f(c6), f(alpha), f(beta), f(c10), f(c11)};
  }
};

// Linear (g = 3) and constant average (g = 2) acceleration over the interval h.
Constants incremental_constants(double g, double h, double alpha, double beta) {
  Constants c;
  c.alpha = alpha;
  c.beta = beta;
  c.c0 = 2.0 * g / (h * h) + g * alpha / h;
  c.c1 = 1.0 / (1.0 + g * beta / h);
  c.c2 = c.c0 * c.c1;
  c.c3 = alpha - c.c2 * beta;
  c.c4 = 2.0 * g / h;
  c.c5 = g == 3.0 ? h / 2.0 : 0.0;
  c.c6 = 0.0;
  c.c10 = g / h;
  c.c11 = 2.0 * g / (h * h);
  return c;
}

Constants wilson_constants(double theta, double dt, double alpha, double beta) {
  const double tau = theta * dt;
  Constants c;
  c.alpha = alpha;
  c.beta = beta;
  c.c0 = 6.0 / (tau * tau);
  c.c1 = 3.0 / tau;
  c.c2 = 6.0 / tau;
  c.c3 = tau / 2.0;
  c.c4 = dt / 2.0;
  c.c5 = dt * dt / 2.0;
  c.c6 = dt * dt / 6.0;
  c.c10 = 1.0 + 3.0 * beta / tau;
  c.c11 = 6.0 / (tau * tau) + 3.0 * alpha / tau;
  return c;
}

// The step's double vectors, each indexed by equation.
struct StepVectors {
  double* q;     // Q
  double* r;     // R
  double* b;     // the effective load
  double* y;     // the solution of the effective system
  double* s;     // Wilson's inertia term
  double* p;     // products
};

StepVectors step_vectors(const IntegratorCall& s) {
  double* w = kv::dptr(s.dwork);
  const std::int64_t n = s.neq;
  return {w, w + n, w + 2 * n, w + 3 * n, w + 4 * n, w + 5 * n};
}

// p(free) += f A(free, free) x for a global matrix A, in double.
void add_free_product_double(const IntegratorCall& s, std::int64_t a, std::int64_t mdiag, const double* x, double* p,
                             double f) {
  if (a <= 0 || mdiag <= 0 || s.nfree < 1 || f == 0.0) return;
  solvers::skymul_double(s.ncond + 1, s.ncond + s.nfree, kv::iptr(mdiag), kv::skyptr(a), x, p, f);
}

// KEFF y = PBAR, y replacing PBAR: reduce from the column `reduce_from` on
// (0: reuse the factors) and back substitute. False after a zero pivot (istop
// set by the solver).
bool solve_keff(const IntegratorCall& s, int reduce_from, std::int32_t& istop) {
  if (s.nfree < 1) return true;
  std::int32_t status = 0;
  if (reduce_from > 1) {
    const solvers::SkylineMatrix k{kv::skyptr(s.keff), kv::iptr(s.keffdg), s.nkeff};
    if (solvers::reduce_changed(reduce_from, s.nfree, k, kv::rptr(s.pbar)) != solvers::SolveStatus::ok) {
      istop = -1;
      return false;
    }
  }
  for (int iopt : {reduce_from == 1 ? solvers::kReduce : solvers::kReduceLoads, solvers::kBackSubstitute}) {
    if (iopt == solvers::kReduceLoads && reduce_from > 1) continue;
    int l1 = 1;
    int l2 = s.nfree;
    solvers::msoll(iopt, s.trace, s.nfree, s.nkeff, s.nfree, 1, l1, l2, s.keffdg, s.keff, s.pbar, s.workv, false, 0,
                   0, 0, false, 0, 0, 0, status);
    if (status & 1) {
      istop = status;
      return false;
    }
  }
  return true;
}

// KEFF y = b in double: the float factors (formed now from the column
// `reduce_from` on, 0: kept), then one refinement against a K + bm M - c KG
// formed from the global matrices, so that the rounding of KEFF and of its
// factors leaves the increments. y and b are indexed by equation; PBAR
// carries the solver's columns. False after a zero pivot (istop set by the
// solver).
bool solve_refined(const IntegratorCall& s, int reduce_from, double a, double bm, double c, const StepVectors& v,
                   std::int32_t& istop) {
  float* pbar = kv::rptr(s.pbar);
  const int lo = s.ncond;
  for (int k = 0; k < s.nfree; ++k) pbar[k] = static_cast<float>(v.b[lo + k]);
  if (!solve_keff(s, reduce_from, istop)) return false;
  for (int k = 0; k < s.nfree; ++k) {
    v.y[lo + k] = pbar[k];
    v.p[lo + k] = 0.0;
  }
  add_free_product_double(s, s.k, s.kmdiag, v.y, v.p, a);
  add_free_product_double(s, s.m, s.mmdiag, v.y, v.p, bm);
  if (s.kgdata3 == 2) add_free_product_double(s, s.kg, s.kgmdiag, v.y, v.p, -c);
  for (int k = 0; k < s.nfree; ++k) pbar[k] = static_cast<float>(v.b[lo + k] - v.p[lo + k]);
  if (!solve_keff(s, 0, istop)) return false;
  for (int k = 0; k < s.nfree; ++k) v.y[lo + k] += pbar[k];
  return true;
}

void trace_state(const IntegratorCall& s) {
  for (int k = 1; k <= s.nfree; ++k) {
    const int i = s.ncond + k;
    fio::write(kOut, "('  DOF:',I6,1P,'  DISP:',E12.4,'  VEL:',E12.4,'  ACC:',E12.4,'  LOAD:',E12.4,'   DP:',E12.4)",
               i, static_cast<float>(kv::rzm(s.d + i - 1)), static_cast<float>(kv::rzm(s.v + i - 1)),
               static_cast<float>(kv::rzm(s.a + i - 1)), static_cast<float>(kv::rzm(s.p + i - 1)),
               static_cast<float>(kv::rzm(s.pstep + i - 1)));
  }
}

void trace_constants(const IntegratorConstants& c) {
  fio::write(kOut,
             "(1P,' LINACC: ALPHA=',E12.5,' BETA=',E12.5,'  C0=',E12.5,' C1=',E12.5,/,"
             "' LINACC:    C2=',E12.5,'   C3=',E12.5,'  C4=',E12.5,' C5=',E12.5,/,"
             "' LINACC:    C6=',E12.5,'  C10=',E12.5,' C11=',E12.5)",
             c.alpha, c.beta, c.c0, c.c1, c.c2, c.c3, c.c4, c.c5, c.c6, c.c10, c.c11);
}

// The incremental step shared by the linear and the constant average
// acceleration rules. With the inertia factor g (3 for linear, 2 for average
// acceleration) Q = g*A + C4*V and R = g*V + C5*A; the effective system is
// scaled by C1 so that the stiffness damping needs no product on the right:
// (K + C2*M) y = dP + M*(Q + C3*R), dD = C1*(y + BETA*R), dV = C10*dD - R,
// dA = C11*dD - Q. All of it in double with the constants of the interval h.
void incremental_step(const IntegratorCall& s, const IntegratorConstants& c, double g, double h, float factor,
                      std::int32_t& istop) {
  if (s.trace) trace_state(s);
  const int reduce_from = s.newkef ? build_keff(s, 1.0f, c.c2, kg_factor(s)) : 0;
  const Constants cd = incremental_constants(g, h, s.alpha, s.beta);
  const StepVectors v = step_vectors(s);

  float* q = kv::rptr(s.q);
  float* r = kv::rptr(s.r);
  const float* a = kv::rptr(s.a);
  const float* vel = kv::rptr(s.v);
  const float* pstep = kv::rptr(s.pstep);
  for (int k = 1; k <= s.nfree; ++k) {
    const int i = s.ncond + k - 1;
    v.q[i] = g * a[i] + cd.c4 * vel[i];
    v.r[i] = g * vel[i] + cd.c5 * a[i];
    v.b[i] = static_cast<double>(factor) * pstep[i];
    v.s[i] = v.q[i] + cd.c3 * v.r[i];
    q[k - 1] = static_cast<float>(v.q[i]);
    r[k - 1] = static_cast<float>(v.r[i]);
  }
  if (s.idamp == 1) add_free_product_double(s, s.m, s.mmdiag, v.s, v.b, 1.0);
  if (s.trace)
    for (int k = 1; k <= s.nfree; ++k)
      fio::write(kOut, "('  DOF:',I6,'     Q:',1P,E12.4,'    R:',E12.4,' PBAR:',E12.4)", s.ncond + k, q[k - 1],
                 r[k - 1], static_cast<float>(v.b[s.ncond + k - 1]));

  if (!solve_refined(s, reduce_from, 1.0, cd.c2, static_cast<double>(kg_factor(s)), v, istop)) return;

  float* dd = kv::rptr(s.dd);
  float* dv = kv::rptr(s.dv);
  float* da = kv::rptr(s.da);
  for (int k = 1; k <= s.nfree; ++k) {
    const int i = s.ncond + k - 1;
    const double ddi = cd.c1 * (v.y[i] + cd.beta * v.r[i]);
    dd[i] = static_cast<float>(ddi);
    dv[i] = static_cast<float>(cd.c10 * ddi - v.r[i]);
    da[i] = static_cast<float>(cd.c11 * ddi - v.q[i]);
  }
  if (s.trace) {
    fio::write_list(kOut, "INCRIMENTAL RESULTS FROM LINACC....");
    fio::write(kOut, "('   DOF',6X,'DD',12X,'DV',12X,'DA',12X)");
    for (int k = 1; k <= s.nfree; ++k) {
      const int i = s.ncond + k - 1;
      fio::write(kOut, "(1X,I6,1P,3E14.6)", i + 1, dd[i], dv[i], da[i]);
    }
  }
}

}  // namespace

void linacc(const IntegratorCall& s, IntegratorConstants& c, std::int32_t& istop) {
  if (s.iopt != kIntegratorStep) {
    c = incremental_constants(3.0, s.dt, s.alpha, s.beta).real();
    if (s.trace) trace_constants(c);
    return;
  }
  incremental_step(s, c, 3.0, s.dt, s.factor, istop);
}

// Constant average acceleration (trapezoidal rule) over one step h = DT:
// effective matrix K + (4/h^2)*M + (2/h)*C, effective load
// dP + M*(4V/h + 2A) + C*(2V), then dV = (2/h)*dD - 2V and
// dA = (4/h^2)*dD - (4/h)*V - 2A. Unconditionally stable and without
// numerical damping, so stiff higher modes stay bounded.
void avgacc(const IntegratorCall& s, IntegratorConstants& c, std::int32_t& istop) {
  if (s.iopt != kIntegratorStep) {
    c = incremental_constants(2.0, s.dt, s.alpha, s.beta).real();
    if (s.trace) trace_constants(c);
    return;
  }
  incremental_step(s, c, 2.0, s.dt, 1.0f, istop);
}

void wtheta(const IntegratorCall& s, IntegratorConstants& c, std::int32_t& istop) {
  const float theta = s.factor;
  const float dt = s.dt;
  const Constants cd = wilson_constants(theta, dt, s.alpha, s.beta);
  if (s.iopt != kIntegratorStep) {
    c = cd.real();
    return;
  }

  if (s.trace) trace_state(s);
  // Wilson theta forms and factors its effective matrix in every step.
  const int reduce_from = build_keff(s, c.c10, c.c11, c.c10 * kg_factor(s));

  const StepVectors v = step_vectors(s);
  float* q = kv::rptr(s.q);
  float* r = kv::rptr(s.r);
  const float* a = kv::rptr(s.a);
  const float* vel = kv::rptr(s.v);
  const float* pstep = kv::rptr(s.pstep);
  // The inertia term of each equation waits in v.s for the acceleration, so
  // that a failed solve leaves the increments untouched.
  for (int k = 1; k <= s.nfree; ++k) {
    const int i = s.ncond + k - 1;
    const double sk = 3.0 * a[i] + cd.c2 * vel[i];
    const double u = cd.c3 * a[i] + 3.0 * vel[i];
    v.s[i] = sk;
    v.q[i] = cd.alpha * u + sk;
    v.r[i] = cd.beta * u;
    v.b[i] = static_cast<double>(theta) * pstep[i];
    q[k - 1] = static_cast<float>(v.q[i]);
    r[k - 1] = static_cast<float>(v.r[i]);
  }
  if (s.idamp == 1) {
    add_free_product_double(s, s.m, s.mmdiag, v.q, v.b, 1.0);
    add_free_product_double(s, s.k, s.kmdiag, v.r, v.b, 1.0);
  }
  // The interpolated end of a step is not in equilibrium: what the earlier
  // steps left unbalanced joins the load, so that equilibrium holds at every
  // t + theta*DT as the method requires.
  float* resid = s.resid > 0 ? kv::rptr(s.resid) : nullptr;
  if (resid != nullptr)
    for (int k = 1; k <= s.nfree; ++k) v.b[s.ncond + k - 1] += resid[s.ncond + k - 1];

  const double g = kg_factor(s);
  if (!solve_refined(s, reduce_from, cd.c10, cd.c11, cd.c10 * g, v, istop)) return;

  float* dd = kv::rptr(s.dd);
  float* dv = kv::rptr(s.dv);
  float* da = kv::rptr(s.da);
  for (int k = 1; k <= s.nfree; ++k) {
    const int i = s.ncond + k - 1;
    const double dai = (cd.c0 * v.y[i] - v.s[i]) / theta;
    const double dvi = cd.c4 * dai + a[i] * static_cast<double>(dt);
    const double ddi = cd.c6 * dai + cd.c5 * a[i] + vel[i] * static_cast<double>(dt);
    da[i] = static_cast<float>(dai);
    dv[i] = static_cast<float>(dvi);
    dd[i] = static_cast<float>(ddi);
    // The increments in double for the residual below.
    v.q[i] = dai;
    v.r[i] = dvi;
    v.y[i] = ddi;
  }
  if (resid == nullptr) return;

  // Residual of the step: dP - M*(dA + ALPHA*dV) - (K - KG)*(dD + BETA*dV).
  for (int k = 1; k <= s.nfree; ++k) {
    const int i = s.ncond + k - 1;
    v.p[i] = pstep[i];
    v.s[i] = v.q[i] + cd.alpha * v.r[i];
    v.b[i] = v.y[i] + cd.beta * v.r[i];
  }
  add_free_product_double(s, s.m, s.mmdiag, v.s, v.p, -1.0);
  add_free_product_double(s, s.k, s.kmdiag, v.b, v.p, -1.0);
  if (s.kgdata3 == 2) add_free_product_double(s, s.kg, s.kgmdiag, v.b, v.p, g);
  for (int k = 1; k <= s.nfree; ++k) {
    const int i = s.ncond + k - 1;
    resid[i] = static_cast<float>(resid[i] + v.p[i]);
  }
}

void integrate(int method, const IntegratorCall& call, IntegratorConstants& c, std::int32_t& istop) {
  switch (method) {
    case kAverageAcceleration:
      avgacc(call, c, istop);
      return;
    case kWilsonTheta:
      wtheta(call, c, istop);
      return;
    default:
      linacc(call, c, istop);
      return;
  }
}

}  // namespace solutions
