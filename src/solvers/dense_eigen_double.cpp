#include "solvers/dense_eigen_double.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace solvers {

namespace {

struct Dense {
  double* v;
  int n;
  double& operator()(int i, int j) const { return v[static_cast<std::ptrdiff_t>(j) * n + i]; }
};

constexpr int kSweeps = 100;

// Cyclic Jacobi on the symmetric matrix c (both triangles kept), rotations
// accumulated into x.
void jacobi(Dense c, Dense x) {
  const int n = c.n;
  for (int sweep = 0; sweep < kSweeps; ++sweep) {
    double off = 0.0;
    double diag = 0.0;
    for (int j = 0; j < n; ++j) {
      diag += c(j, j) * c(j, j);
      for (int i = 0; i < j; ++i) off += c(i, j) * c(i, j);
    }
    if (off <= 1.0e-30 * diag || off == 0.0) return;
    for (int p = 0; p < n - 1; ++p) {
      for (int q = p + 1; q < n; ++q) {
        const double apq = c(p, q);
        if (apq == 0.0) continue;
        const double theta = (c(q, q) - c(p, p)) / (2.0 * apq);
        const double t = (theta >= 0.0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
        const double cs = 1.0 / std::sqrt(t * t + 1.0);
        const double sn = t * cs;
        for (int k = 0; k < n; ++k) {
          const double akp = c(k, p);
          const double akq = c(k, q);
          c(k, p) = cs * akp - sn * akq;
          c(k, q) = sn * akp + cs * akq;
        }
        for (int k = 0; k < n; ++k) {
          const double apk = c(p, k);
          const double aqk = c(q, k);
          c(p, k) = cs * apk - sn * aqk;
          c(q, k) = sn * apk + cs * aqk;
        }
        c(p, q) = 0.0;
        c(q, p) = 0.0;
        for (int k = 0; k < n; ++k) {
          const double xkp = x(k, p);
          const double xkq = x(k, q);
          x(k, p) = cs * xkp - sn * xkq;
          x(k, q) = sn * xkp + cs * xkq;
        }
      }
    }
  }
}

}  // namespace

bool dense_eigen_double(int n, double* a_, double* b_, double* eig, double* q_) {
  if (n <= 0) return true;
  const Dense a{a_, n};
  const Dense b{b_, n};
  const Dense q{q_, n};
  // Both triangles of A; B = L L' with L in B's lower triangle.
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < j; ++i) a(j, i) = a(i, j);
  for (int j = 0; j < n; ++j) {
    double d = b(j, j);
    for (int k = 0; k < j; ++k) d -= b(j, k) * b(j, k);
    if (!(d > 0.0) || !std::isfinite(d)) return false;
    const double l = std::sqrt(d);
    b(j, j) = l;
    for (int i = j + 1; i < n; ++i) {
      double s = b(j, i);  // upper term (j, i) = B(i, j)
      for (int k = 0; k < j; ++k) s -= b(i, k) * b(j, k);
      b(i, j) = s / l;
    }
  }
  // C = inv(L) A inv(L'): columns of inv(L) A, then rows.
  const auto forward = [&](auto get, auto set) {
    for (int i = 0; i < n; ++i) {
      double s = get(i);
      for (int k = 0; k < i; ++k) s -= b(i, k) * get(k);
      set(i, s / b(i, i));
    }
  };
  for (int j = 0; j < n; ++j) forward([&](int i) { return a(i, j); }, [&](int i, double v) { a(i, j) = v; });
  for (int i = 0; i < n; ++i) forward([&](int j) { return a(i, j); }, [&](int j, double v) { a(i, j) = v; });
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      if (!std::isfinite(a(i, j))) return false;
      q(i, j) = i == j ? 1.0 : 0.0;
    }
  jacobi(a, q);
  // q = inv(L') z, column by column.
  for (int j = 0; j < n; ++j)
    for (int i = n - 1; i >= 0; --i) {
      double s = q(i, j);
      for (int k = i + 1; k < n; ++k) s -= b(k, i) * q(k, j);
      q(i, j) = s / b(i, i);
    }
  for (int j = 0; j < n; ++j) eig[j] = a(j, j);
  // Ascending, by selection (n is small).
  for (int j = 0; j < n; ++j) {
    int m = j;
    for (int k = j + 1; k < n; ++k)
      if (eig[k] < eig[m]) m = k;
    if (m == j) continue;
    std::swap(eig[j], eig[m]);
    for (int i = 0; i < n; ++i) std::swap(q(i, j), q(i, m));
  }
  for (int j = 0; j < n; ++j) {
    if (!std::isfinite(eig[j])) return false;
    for (int i = 0; i < n; ++i)
      if (!std::isfinite(q(i, j))) return false;
  }
  return true;
}

}  // namespace solvers
