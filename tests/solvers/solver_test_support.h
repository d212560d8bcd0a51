// Shared by the solver tests: capturing unit 6, dense reference matrices in
// double precision, and skyline packing of a dense matrix with given column tops.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "fio/fio.h"
#include "support/test_support.h"

namespace solvertest {

// Unit 6 on a fresh file for the life of the object.
class Unit6 {
 public:
  Unit6() {
    fio::close_all();
    dir_ = kvtest::fresh_dir("solvers");
    EXPECT_TRUE(fio::open(6, (dir_ / "unit6.out").string()));
  }
  ~Unit6() { fio::close_all(); }
  // Everything written so far, line by line (the unit is closed).
  std::vector<std::string> lines() {
    fio::close_all();
    std::vector<std::string> v;
    std::istringstream in(kvtest::read_file(dir_ / "unit6.out"));
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
  }

 private:
  std::filesystem::path dir_;
};

// A dense symmetric matrix in double, 1-based access.
struct Dense {
  int n = 0;
  std::vector<double> v;
  explicit Dense(int order) : n(order), v(static_cast<std::size_t>(order) * order, 0.0) {}
  double& operator()(int i, int j) { return v[static_cast<std::size_t>(i - 1) * n + (j - 1)]; }
  double operator()(int i, int j) const { return v[static_cast<std::size_t>(i - 1) * n + (j - 1)]; }
};

// A skyline profile: top[j] is the first row of column j (1-based, top[0] unused).
struct Profile {
  std::vector<int> top;
  std::vector<std::int32_t> mdiag;  // MDIAG(1..n+1)
  int n() const { return static_cast<int>(top.size()) - 1; }
  bool inside(int i, int j) const {
    return i <= j ? i >= top[j] : j >= top[i];
  }
  std::int32_t stored() const { return mdiag.back() - 1; }
};

inline Profile profile_from_tops(const std::vector<int>& top) {
  Profile p;
  p.top = top;
  const int n = static_cast<int>(top.size()) - 1;
  p.mdiag.resize(static_cast<std::size_t>(n) + 1);
  p.mdiag[0] = 1;
  for (int j = 1; j <= n; ++j) p.mdiag[j] = p.mdiag[j - 1] + (j - top[j] + 1);
  return p;
}

// The terms of the dense matrix inside the profile, in skyline order.
template <class T>
std::vector<T> pack(const Dense& a, const Profile& p) {
  std::vector<T> s(static_cast<std::size_t>(p.stored()));
  for (int j = 1; j <= a.n; ++j)
    for (int i = p.top[j]; i <= j; ++i) s[static_cast<std::size_t>(p.mdiag[j - 1] - 1 + j - i)] = static_cast<T>(a(i, j));
  return s;
}

// Term (i, j), i <= j, of a packed matrix.
template <class T>
double term(const std::vector<T>& s, const Profile& p, int i, int j) {
  return static_cast<double>(s[static_cast<std::size_t>(p.mdiag[j - 1] - 1 + j - i)]);
}

// Random column tops with heights up to hmax.
inline std::vector<int> random_tops(int n, int hmax, std::mt19937& rng) {
  std::vector<int> top(static_cast<std::size_t>(n) + 1);
  for (int j = 1; j <= n; ++j) {
    std::uniform_int_distribution<int> h(0, std::min(hmax, j - 1));
    top[j] = j - h(rng);
  }
  return top;
}

// A symmetric, diagonally dominant (so positive definite) matrix whose terms
// lie inside the profile; about one term in five inside it is zero.
inline Dense random_spd(const Profile& p, std::mt19937& rng) {
  const int n = p.n();
  Dense a(n);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::uniform_int_distribution<int> zero(0, 4);
  std::vector<double> rowsum(static_cast<std::size_t>(n) + 1, 0.0);
  for (int j = 1; j <= n; ++j) {
    for (int i = p.top[j]; i < j; ++i) {
      const double x = zero(rng) == 0 ? 0.0 : u(rng);
      a(i, j) = a(j, i) = x;
      rowsum[i] += std::fabs(x);
      rowsum[j] += std::fabs(x);
    }
  }
  for (int j = 1; j <= n; ++j) a(j, j) = rowsum[j] + 0.5 + 0.5 * std::fabs(u(rng));
  return a;
}

// Solves a x = b (b: n rows, nrhs columns, column-major) by Gauss elimination
// with partial pivoting in double.
inline std::vector<double> dense_solve(Dense a, std::vector<double> b, int nrhs) {
  const int n = a.n;
  for (int k = 1; k <= n; ++k) {
    int piv = k;
    for (int i = k + 1; i <= n; ++i)
      if (std::fabs(a(i, k)) > std::fabs(a(piv, k))) piv = i;
    if (piv != k) {
      for (int j = 1; j <= n; ++j) std::swap(a(k, j), a(piv, j));
      for (int c = 0; c < nrhs; ++c) std::swap(b[c * n + k - 1], b[c * n + piv - 1]);
    }
    for (int i = k + 1; i <= n; ++i) {
      const double f = a(i, k) / a(k, k);
      if (f == 0.0) continue;
      for (int j = k; j <= n; ++j) a(i, j) -= f * a(k, j);
      for (int c = 0; c < nrhs; ++c) b[c * n + i - 1] -= f * b[c * n + k - 1];
    }
  }
  for (int c = 0; c < nrhs; ++c) {
    for (int i = n; i >= 1; --i) {
      double s = b[c * n + i - 1];
      for (int j = i + 1; j <= n; ++j) s -= a(i, j) * b[c * n + j - 1];
      b[c * n + i - 1] = s / a(i, i);
    }
  }
  return b;
}

}  // namespace solvertest
