#include "solvers/member_solver.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "base/matrix_print.h"
#include "fio/fio.h"
#include "solvers/skyline_elimination.h"

namespace solvers {

namespace {

using namespace detail;

float dense(const float* a, int lda, int i, int j) {
  return a[static_cast<std::ptrdiff_t>(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * lda];
}

void report_zero_pivot(int row, const std::int32_t* mdiag, const float* sk) {
  zero_pivot_box("GAUSS", row, mdiag[row - 1], static_cast<double>(sk[col_diag(mdiag, row)]));
}

// Option 5: W(i) = (R(i,1) - sum over j > i of K(i,j) W(j)) / K(i,i), i = l2..l1.
int solve_into_w(int n, int l1, int l2, const std::int32_t* md, const float* sk, const float* r,
                 float* w) {
  for (int i = l1; i <= l2; ++i)
    if (sk[col_diag(md, i)] == 0.0f) return i;
  for (int i = l1; i <= l2; ++i) w[i - 1] = 0.0f;
  for (int i = l2; i >= l1; --i) {
    const float kii = sk[col_diag(md, i)];
    w[i - 1] = w[i - 1] + r[i - 1] / kii;
    for (int j = i + 1; j <= n; ++j)
      if (col_top(md, j) <= i) w[i - 1] = w[i - 1] - sk[col_diag(md, j) + j - i] * w[j - 1] / kii;
  }
  return 0;
}

}  // namespace

bool zdiag(const float* a, int lda, int n, float* sk, std::int32_t* mdiag, std::int32_t& nstk) {
  int count = 0;
  for (int j = 1; j <= n; ++j) {
    int top = j;
    for (int i = 1; i < j; ++i) {
      if (dense(a, lda, i, j) != 0.0f) {
        top = i;
        break;
      }
    }
    for (int i = j; i >= top; --i) {
      ++count;
      if (i == j) {
        mdiag[j - 1] = count;
        if (dense(a, lda, j, j) == 0.0f) {
          fio::write_list(6, "THE STIFFNESS ", j, "TH DIAGONAL TERM ARE ZERO - SOLUTION ABORTED");
          mdiag[n] = 0;  // marks the profile incomplete for GAUSS
          nstk = 0;
          return false;
        }
      }
      sk[count - 1] = dense(a, lda, i, j);
    }
  }
  mdiag[n] = count + 1;
  nstk = count;
  return true;
}

SolveStatus gauss(int iopt, bool lprt, int n, int nstk, int ldr, int nlc, int& l1, int& l2,
                  const std::int32_t* mdiag, float* sk, float* r, float* w) {
  l1 = std::max(l1, 1);
  l2 = std::min(l2, n);
  if (iopt < kGaussReduce || iopt > kGaussSolveIntoW) iopt = kGaussReduce;
  if (!profile_complete(n, mdiag, nstk)) return SolveStatus::bad_profile;

  int bad = 0;
  switch (iopt) {
    case kGaussReduce:
      if (lprt) {
        trace_title("IOPT=1, REDUCE STIFFNESS AND LOADS", l1, l2, n);
        base::skyprt(sk, mdiag, n, nstk, "INPUT STIFFNESS");
        trace_loads(r, n, ldr, nlc, "INPUT LOAD");
      }
      bad = reduce_matrix_and_loads(n, l1, l2, sk, mdiag, r, ldr, nlc);
      if (bad == 0 && lprt) {
        base::skyprt(sk, mdiag, n, nstk, "REDUCED STIFFNESS");
        trace_loads(r, n, ldr, nlc, "REDUCED LOAD");
      }
      break;
    case kGaussReduceLoads:
      if (lprt) {
        trace_title("IOPT=2, REDUCE LOADS ONLY", l1, l2, n);
        base::skyprt(sk, mdiag, n, nstk, "REDUCED STIFFNESS");
        trace_loads(r, n, ldr, nlc, "NEW LOAD MATRIX ");
      }
      bad = reduce_loads(n, l1, l2, sk, mdiag, r, ldr, nlc);
      break;
    case kGaussBackSubstitute:
      if (lprt) {
        trace_title("IOPT=3, BACK SUBSTUTION", l1, l2, n);
        base::skyprt(sk, mdiag, n, nstk, "REDUCED STIFFNESS");
        trace_loads(r, n, ldr, nlc, "REDUCED LOAD");
      }
      bad = back_substitute(n, l1, l2, sk, mdiag, r, ldr, nlc);
      if (bad == 0 && lprt) trace_loads(r, n, ldr, nlc, "DISPLACEMENT");
      break;
    case kGaussMultiply:
      if (lprt) {
        trace_title("IOPT=4, REDUCED MULTIPLACATION", l1, l2, n);
        base::skyprt(sk, mdiag, n, nstk, "REDUCED STIFFNESS");
        trace_loads(w, n, n, 1, "DISPLACEMENT");
      }
      bad = multiply_upper(n, l1, l2, sk, mdiag, r, w);
      if (bad == 0) {
        if (lprt) trace_loads(r, n, ldr, 1, "REDUCED LOAD");
        undo_elimination(n, l1, l2, sk, mdiag, r);
        if (lprt) trace_loads(r, n, ldr, 1, "LOAD");
      }
      break;
    default:  // kGaussSolveIntoW
      if (lprt) {
        trace_title("IOPT=5, BACK SUBSTUTION", l1, l2, n);
        base::skyprt(sk, mdiag, n, nstk, "REDUCED STIFFNESS");
        trace_loads(w, n, n, 1, "INPUT DISPLACEMENT");
        trace_loads(r, n, ldr, 1, "INPUT LOAD");
      }
      bad = solve_into_w(n, l1, l2, mdiag, sk, r, w);
      if (bad == 0 && lprt) {
        trace_loads(r, n, ldr, 1, "OUTPUT LOAD");
        fio::write(6, "(A)", " PRINTING MATRIX: OUTPUT DISPLACEMENT");
        for (int i = 1; i <= n; ++i) fio::write(6, "(1X,'ROW',I5,3X,F15.6)", i, w[i - 1]);
      }
      break;
  }
  if (bad != 0) {
    report_zero_pivot(bad, mdiag, sk);
    return SolveStatus::zero_pivot;
  }
  return SolveStatus::ok;
}

void cnorm(int iopt, const float* xa, const float* xb, const float* ya, const float* yb,
           float* a, int lda, int n, const std::int32_t* idof, float& dnorm, float& energy) {
  for (int j = 0; j < n; ++j) {
    float* col = a + static_cast<std::ptrdiff_t>(j) * lda;
    for (int i = 0; i < n; ++i)
      if (std::fabs(col[i]) < 1.0e-7f) col[i] = 0.0f;
  }
  const bool second = iopt == 2;
  const float* x = second ? xa : xb;
  const float* y = second ? ya : yb;

  float tmax = 0.0f;
  float rmax = 0.0f;
  for (int i = 0; i < n; ++i) {
    float& ref = idof[i] == 0 ? tmax : rmax;
    if (std::fabs(x[i]) > std::fabs(ref)) ref = x[i];
  }
  float s = 0.0f;
  for (int i = 0; i < n; ++i) {
    const float ref = idof[i] == 0 ? tmax : rmax;
    if (ref == 0.0f) continue;
    const float q = y[i] / ref;
    s += q * q;
  }
  dnorm = n > 0 ? std::sqrt(s / static_cast<float>(n)) : 0.0f;

  if (!second) {
    float e = 0.0f;
    for (int i = 0; i < n; ++i) {
      const float* col = a + static_cast<std::ptrdiff_t>(i) * lda;
      float ai = 0.0f;
      for (int j = 0; j < n; ++j) ai += col[j] * ya[j];
      e += ya[i] * ai;
    }
    energy = e;
  }
}

}  // namespace solvers
