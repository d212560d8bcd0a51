#include "solutions/dynamic/integrators.h"

#include "base/work_array.h"
#include "fio/fio.h"
#include "solvers/skyline_products.h"
#include "solvers/skyline_solver.h"

namespace solutions {

namespace {

constexpr int kOut = 6;

// Term (row, col), row <= col, of a skyline matrix (value index of the term at
// position 1, MDIAG(1) index); zero outside the profile or without a matrix.
float sky_term(std::int64_t a, std::int64_t mdiag, int row, int col) {
  if (a <= 0 || mdiag <= 0) return 0.0f;
  const std::int32_t* md = kv::iptr(mdiag);
  const int height = md[col] - md[col - 1];
  if (col - row >= height) return 0.0f;
  return kv::skyptr(a)[md[col - 1] + col - row - 1];
}

// KEFF = a*K + b*M - c*KG over the free block, in the merged profile of KEFFDG.
void build_keff(const IntegratorCall& s, float a, float b, float c) {
  const bool with_kg = s.kgdata3 == 2;
  const std::int32_t* md = kv::iptr(s.keffdg);
  kv::SkyReal* keff = kv::skyptr(s.keff);
  for (int col = 1; col <= s.nfree; ++col) {
    const int top = col - (md[col] - md[col - 1]) + 1;
    const int gc = s.ncond + col;
    for (int row = top; row <= col; ++row) {
      const int gr = s.ncond + row;
      float v = a * sky_term(s.k, s.kmdiag, gr, gc) + b * sky_term(s.m, s.mmdiag, gr, gc);
      if (with_kg) v -= c * sky_term(s.kg, s.kgmdiag, gr, gc);
      keff[md[col - 1] + col - row - 1] = v;
    }
  }
}

// The factor of the separate geometric stiffness in the effective matrix.
float kg_factor(const IntegratorCall& s) { return s.kgdata1 == 1 ? 1.0f + s.accel : 1.0f; }

// P(free block) += A(free, free) * X for a global matrix A; p is the index of
// the free vector's local entry 1, x that of a vector indexed by equation.
void add_free_product(const IntegratorCall& s, std::int64_t a, std::int64_t mdiag, int nstore, std::int64_t p,
                      std::int64_t x) {
  if (a <= 0 || mdiag <= 0 || s.nfree < 1) return;
  const int lo = s.ncond + 1;
  const int hi = s.ncond + s.nfree;
  solvers::skymul(false, false, nstore, hi, lo, hi, lo, hi, mdiag, a, p - s.ncond, x);
}

// KEFF y = PBAR, y replacing PBAR: reduce (or reuse the factors) and back
// substitute. False after a zero pivot (istop set by the solver).
bool solve_keff(const IntegratorCall& s, bool factor, std::int32_t& istop) {
  if (s.nfree < 1) return true;
  std::int32_t status = 0;
  for (int iopt : {factor ? solvers::kReduce : solvers::kReduceLoads, solvers::kBackSubstitute}) {
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
// dA = C11*dD - Q.
void incremental_step(const IntegratorCall& s, const IntegratorConstants& c, float g, float factor,
                      std::int32_t& istop) {
  if (s.trace) trace_state(s);
  if (s.newkef) build_keff(s, 1.0f, c.c2, kg_factor(s));

  float* q = kv::rptr(s.q);
  float* r = kv::rptr(s.r);
  float* pbar = kv::rptr(s.pbar);
  const float* a = kv::rptr(s.a);
  const float* v = kv::rptr(s.v);
  const float* pstep = kv::rptr(s.pstep);
  for (int k = 1; k <= s.nfree; ++k) {
    const int i = s.ncond + k - 1;
    q[k - 1] = g * a[i] + c.c4 * v[i];
    r[k - 1] = g * v[i] + c.c5 * a[i];
    pbar[k - 1] = factor * pstep[i];
  }
  if (s.idamp == 1) {
    float* x = kv::rptr(s.workv);
    for (int k = 1; k <= s.nfree; ++k) x[s.ncond + k - 1] = q[k - 1] + c.c3 * r[k - 1];
    add_free_product(s, s.m, s.mmdiag, s.nstm, s.pbar, s.workv);
  }
  if (s.trace)
    for (int k = 1; k <= s.nfree; ++k)
      fio::write(kOut, "('  DOF:',I6,'     Q:',1P,E12.4,'    R:',E12.4,' PBAR:',E12.4)", s.ncond + k, q[k - 1],
                 r[k - 1], pbar[k - 1]);

  if (!solve_keff(s, s.newkef, istop)) return;

  float* dd = kv::rptr(s.dd);
  float* dv = kv::rptr(s.dv);
  float* da = kv::rptr(s.da);
  for (int k = 1; k <= s.nfree; ++k) {
    const int i = s.ncond + k - 1;
    dd[i] = c.c1 * (pbar[k - 1] + c.beta * r[k - 1]);
    dv[i] = c.c10 * dd[i] - r[k - 1];
    da[i] = c.c11 * dd[i] - q[k - 1];
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
    const float h = s.dt;
    c.alpha = s.alpha;
    c.beta = s.beta;
    c.c0 = 6.0f / (h * h) + 3.0f * c.alpha / h;
    c.c1 = 1.0f / (1.0f + 3.0f * c.beta / h);
    c.c2 = c.c0 * c.c1;
    c.c3 = c.alpha - c.c2 * c.beta;
    c.c4 = 6.0f / h;
    c.c5 = h / 2.0f;
    c.c6 = 0.0f;
    c.c10 = 3.0f / h;
    c.c11 = 6.0f / (h * h);
    if (s.trace) trace_constants(c);
    return;
  }
  incremental_step(s, c, 3.0f, s.factor, istop);
}

// Constant average acceleration (trapezoidal rule) over one step h = DT:
// effective matrix K + (4/h^2)*M + (2/h)*C, effective load
// dP + M*(4V/h + 2A) + C*(2V), then dV = (2/h)*dD - 2V and
// dA = (4/h^2)*dD - (4/h)*V - 2A. Unconditionally stable and without
// numerical damping, so stiff higher modes stay bounded.
void avgacc(const IntegratorCall& s, IntegratorConstants& c, std::int32_t& istop) {
  if (s.iopt != kIntegratorStep) {
    const float h = s.dt;
    c.alpha = s.alpha;
    c.beta = s.beta;
    c.c0 = 4.0f / (h * h) + 2.0f * c.alpha / h;
    c.c1 = 1.0f / (1.0f + 2.0f * c.beta / h);
    c.c2 = c.c0 * c.c1;
    c.c3 = c.alpha - c.c2 * c.beta;
    c.c4 = 4.0f / h;
    c.c5 = 0.0f;
    c.c6 = 0.0f;
    c.c10 = 2.0f / h;
    c.c11 = 4.0f / (h * h);
    if (s.trace) trace_constants(c);
    return;
  }
  incremental_step(s, c, 2.0f, 1.0f, istop);
}

void wtheta(const IntegratorCall& s, IntegratorConstants& c, std::int32_t& istop) {
  const float theta = s.factor;
  const float dt = s.dt;
  if (s.iopt != kIntegratorStep) {
    const float tau = theta * dt;
    c.alpha = s.alpha;
    c.beta = s.beta;
    c.c0 = 6.0f / (tau * tau);
    c.c1 = 3.0f / tau;
    c.c2 = 6.0f / tau;
    c.c3 = tau / 2.0f;
    c.c4 = dt / 2.0f;
    c.c5 = dt * dt / 2.0f;
    c.c6 = dt * dt / 6.0f;
    c.c10 = 1.0f + 3.0f * c.beta / tau;
    c.c11 = 6.0f / (tau * tau) + 3.0f * c.alpha / tau;
    return;
  }

  if (s.trace) trace_state(s);
  // Wilson theta forms and factors its effective matrix in every step.
  build_keff(s, c.c10, c.c11, c.c10 * kg_factor(s));

  float* q = kv::rptr(s.q);
  float* r = kv::rptr(s.r);
  float* pbar = kv::rptr(s.pbar);
  // The inertia term s of each equation waits in the work vector for the
  // acceleration, so that a failed solve leaves the increments untouched.
  float* inertia = kv::rptr(s.workv);
  const float* a = kv::rptr(s.a);
  const float* v = kv::rptr(s.v);
  const float* pstep = kv::rptr(s.pstep);
  for (int k = 1; k <= s.nfree; ++k) {
    const int i = s.ncond + k - 1;
    const float sk = 3.0f * a[i] + c.c2 * v[i];
    const float u = c.c3 * a[i] + 3.0f * v[i];
    inertia[i] = sk;
    q[k - 1] = c.alpha * u + sk;
    r[k - 1] = c.beta * u;
    pbar[k - 1] = theta * pstep[i];
  }
  if (s.idamp == 1) {
    add_free_product(s, s.m, s.mmdiag, s.nstm, s.pbar, s.q - s.ncond);
    add_free_product(s, s.k, s.kmdiag, s.nstk, s.pbar, s.r - s.ncond);
  }
  // The interpolated end of a step is not in equilibrium: what the earlier
  // steps left unbalanced joins the load, so that equilibrium holds at every
  // t + theta*DT as the method requires.
  float* resid = s.resid > 0 ? kv::rptr(s.resid) : nullptr;
  if (resid != nullptr)
    for (int k = 1; k <= s.nfree; ++k) pbar[k - 1] += resid[s.ncond + k - 1];

  if (!solve_keff(s, true, istop)) return;

  float* dd = kv::rptr(s.dd);
  float* dv = kv::rptr(s.dv);
  float* da = kv::rptr(s.da);
  for (int k = 1; k <= s.nfree; ++k) {
    const int i = s.ncond + k - 1;
    da[i] = (c.c0 * pbar[k - 1] - inertia[i]) / theta;
    dv[i] = c.c4 * da[i] + a[i] * dt;
    dd[i] = c.c6 * da[i] + c.c5 * a[i] + v[i] * dt;
  }
  if (resid == nullptr) return;

  // Residual of the step: dP - M*(dA + ALPHA*dV) - (K - KG)*(dD + BETA*dV),
  // the products added with the signs folded into the work vector.
  float* x = kv::rptr(s.workv);
  for (int k = 1; k <= s.nfree; ++k) {
    const int i = s.ncond + k - 1;
    resid[i] += pstep[i];
    x[i] = -(da[i] + c.alpha * dv[i]);
  }
  add_free_product(s, s.m, s.mmdiag, s.nstm, s.resid + s.ncond, s.workv);
  for (int k = 1; k <= s.nfree; ++k) {
    const int i = s.ncond + k - 1;
    x[i] = -(dd[i] + c.beta * dv[i]);
  }
  add_free_product(s, s.k, s.kmdiag, s.nstk, s.resid + s.ncond, s.workv);
  if (s.kgdata3 == 2) {
    const float g = kg_factor(s);
    for (int k = 1; k <= s.nfree; ++k) x[s.ncond + k - 1] *= -g;
    add_free_product(s, s.kg, s.kgmdiag, s.nstg, s.resid + s.ncond, s.workv);
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
