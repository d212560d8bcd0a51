// The least-squares polynomial fit of the hinge materials and the input of
// their interaction cubics.
#include "materials/curve_fit.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fio/fio.h"
#include "materials/matdsp.h"
#include "solvers/skyline_elimination.h"

namespace materials {

namespace {

constexpr int kMaxWork = kMaxFitTerms * (kMaxFitTerms + 1) / 2;

// The normal equations in skyline storage, in double precision: column j from
// its diagonal up to its first non-zero term, as SKY2 packs them.
struct Packed {
  std::array<double, kMaxWork> s{};
  std::array<int, kMaxFitTerms + 2> md{};  // md[j] = MDIAG(j), j = 1..n+1
  int top(int j) const { return j - (md[j + 1] - md[j]) + 1; }
  double& at(int i, int j) { return s[static_cast<std::size_t>(md[j] + (j - i) - 1)]; }
};

// Packs the upper triangle of asat (order n, column-major). False, after the
// SKY2 line, at a diagonal term of exactly 0.0.
bool pack(std::span<const double> asat, int n, Packed& k) {
  const auto term = [&](int i, int j) {
    return asat[static_cast<std::size_t>((i - 1) + (j - 1) * n)];
  };
  int count = 0;
  for (int j = 1; j <= n; ++j) {
    int top = j;
    for (int i = 1; i < j; ++i) {
      if (term(i, j) != 0.0) {
        top = i;
        break;
      }
    }
    if (term(j, j) == 0.0) {
      fio::write_list(6, "THE ASAT ", j,
                      "TH DIAGONAL TERM ARE ZERO - CURVE FITTING SOLUTION ABORTED FROM SKY2");
      return false;
    }
    for (int i = j; i >= top; --i) {
      ++count;
      if (i == j) k.md[static_cast<std::size_t>(j)] = count;
      k.s[static_cast<std::size_t>(count - 1)] = term(i, j);
    }
  }
  k.md[static_cast<std::size_t>(n + 1)] = count + 1;
  return true;
}

// Gauss elimination without pivoting inside the profile (the multipliers
// replace the terms above the diagonal), then the reduction and back
// substitution of the right-hand side v. False, after the GAUSS box, at a
// pivot of exactly 0.0.
bool solve(Packed& k, int n, std::span<double> v) {
  const auto zero_pivot = [&](int j) {
    solvers::detail::zero_pivot_box("GAUSS", j, k.md[static_cast<std::size_t>(j)], 0.0);
    return false;
  };
  for (int j = 1; j <= n; ++j) {
    const int tj = k.top(j);
    for (int i = tj + 1; i < j; ++i) {
      double g = k.at(i, j);
      for (int m = std::max(k.top(i), tj); m < i; ++m) g -= k.at(m, i) * k.at(m, j);
      k.at(i, j) = g;
    }
    double& dj = k.at(j, j);
    for (int m = tj; m < j; ++m) {
      const double g = k.at(m, j);
      const double l = g / k.at(m, m);
      dj -= l * g;
      k.at(m, j) = l;
    }
    if (dj == 0.0) return zero_pivot(j);
  }
  for (int j = 1; j <= n; ++j) {
    double vj = v[static_cast<std::size_t>(j - 1)];
    for (int m = k.top(j); m < j; ++m) vj -= k.at(m, j) * v[static_cast<std::size_t>(m - 1)];
    v[static_cast<std::size_t>(j - 1)] = vj;
  }
  for (int j = 1; j <= n; ++j) v[static_cast<std::size_t>(j - 1)] /= k.at(j, j);
  for (int j = n; j >= 2; --j) {
    const double vj = v[static_cast<std::size_t>(j - 1)];
    for (int m = k.top(j); m < j; ++m) v[static_cast<std::size_t>(m - 1)] -= k.at(m, j) * vj;
  }
  return true;
}

int truncate_count(float x) {
  if (!(x > 0.0f)) return 0;
  if (x >= 2.0e9f) return 2'000'000'000;
  return static_cast<int>(x);
}

}  // namespace

bool curvft(std::span<double> asat, std::span<double> ay, std::span<float> c, int m, int n,
            std::span<const float> x, std::span<const float> y) {
  std::fill(c.begin(), c.end(), 0.0f);
  std::fill(ay.begin(), ay.end(), 0.0);
  std::fill(asat.begin(), asat.end(), 0.0);
  const auto un = static_cast<std::size_t>(n);
  if (n < 1 || n > kMaxFitTerms || asat.size() < un * un || ay.size() < un || c.size() < un) {
    return false;
  }
  m = std::clamp(m, 0, static_cast<int>(std::min(x.size(), y.size())));

  // Sums of the powers x^0 .. x^(2n-2) and of x^(j-1) y, point by point.
  std::array<double, 2 * kMaxFitTerms - 1> moments{};
  for (int k = 0; k < m; ++k) {
    const double xk = x[static_cast<std::size_t>(k)];
    const double yk = y[static_cast<std::size_t>(k)];
    double xp = 1.0;
    for (int e = 0; e <= 2 * n - 2; ++e) {
      moments[static_cast<std::size_t>(e)] += xp;
      if (e < n) ay[static_cast<std::size_t>(e)] += xp * yk;
      xp *= xk;
    }
  }
  for (int j = 1; j <= n; ++j) {
    for (int i = j; i <= n; ++i) {
      const double a = moments[static_cast<std::size_t>(i + j - 2)];
      asat[static_cast<std::size_t>((i - 1) + (j - 1) * n)] = a;
      asat[static_cast<std::size_t>((j - 1) + (i - 1) * n)] = a;
    }
  }

  Packed k;
  if (!pack(asat, n, k)) return false;
  std::array<double, kMaxFitTerms> v{};
  std::copy(ay.begin(), ay.begin() + n, v.begin());
  if (!solve(k, n, std::span<double>(v.data(), un))) return false;
  for (std::size_t j = 0; j < un; ++j) c[j] = static_cast<float>(v[j]);
  return true;
}

float failure_code(std::string_view label) {
  static constexpr std::string_view kCodes[] = {"CON", "FRA", "BUCK", "FATI", "SPLI"};
  for (std::size_t k = 0; k < std::size(kCodes); ++k) {
    if (label.find(kCodes[k]) != std::string_view::npos) return static_cast<float>(k + 1);
  }
  return 0.0f;
}

void read_cubic(int set, Cubic kind, std::span<float, kCubicTerms> coef, FitTable& table) {
  std::fill(coef.begin(), coef.end(), 0.0f);
  float mode = 0.0f;
  read_set_record(set, mode);
  if (mode == 0.0f) {
    std::span<float> values(coef);
    read_set_record(set, values);
    return;
  }
  if (mode != 1.0f) return;

  float count = 0.0f;
  read_set_record(set, count);
  const int m = truncate_count(count);
  const bool labelled = kind == Cubic::rotation_capacity;
  std::vector<float> xs, ys, codes;
  for (int k = 0; k < m; ++k) {
    float xk = 0.0f, yk = 0.0f;
    if (labelled) {
      std::string label;
      read_set_record(set, xk, yk, label);
      if (label.size() > 20) label.resize(20);
      codes.push_back(failure_code(label));
    } else {
      read_set_record(set, xk, yk);
      codes.push_back(0.0f);
    }
    xs.push_back(xk);
    ys.push_back(yk);
  }

  if (labelled) {
    fio::write(6, "('TOTAL DATA POINTS FOR B0-B3 (M)=',I3,/,'TOTAL COEFS FOR POLYNOMIAL (N) =',I3,/,"
                  "'DATA POINT X=AXIAL LOAD; Y=PLASTIC ROTATION CAPACITY')",
               m, kCubicTerms);
  } else {
    fio::write(6, "('TOTAL DATA POINTS FOR A0-A3 (M)=',I3,/,'TOTAL COEFS FOR POLYNOMIAL (N) =',I3,/,"
                  "'DATA POINT X=AXIAL LOAD; Y=NOMINAL MOMENT')",
               m, kCubicTerms);
  }
  for (int k = 0; k < m; ++k) {
    fio::write(6, "('DATA POINT NO. ',I3,': ','X=',E15.6,'Y=',E15.6)", k + 1,
               xs[static_cast<std::size_t>(k)], ys[static_cast<std::size_t>(k)]);
  }
  if (m > kMaxStoredPoints) {
    fio::write(6, "(' WARNING: ',I5,' DATA POINTS ARE FITTED; ONLY THE FIRST',I3,' ARE STORED')", m,
               kMaxStoredPoints);
  }

  std::array<double, kCubicTerms * kCubicTerms> asat{};
  std::array<double, kCubicTerms> ay{};
  curvft(asat, ay, coef, m, kCubicTerms, xs, ys);

  table = FitTable{};
  table.m = std::min(m, kMaxStoredPoints);
  for (int k = 0; k < table.m; ++k) {
    table.y[static_cast<std::size_t>(k)] = ys[static_cast<std::size_t>(k)];
    table.code[static_cast<std::size_t>(k)] = codes[static_cast<std::size_t>(k)];
  }
}

void write_cubic(Cubic kind, std::span<const float, kCubicTerms> coef) {
  if (kind == Cubic::moment) {
    fio::write(6, "(' P-MY INTERACTION EQUATION:',/,'M(P)=A0 + A1*P + A2*P**2 + A3*P**3',/,"
                  "'WHERE   A0= ',E15.6,/,'        A1= ',E15.6,/,'        A2= ',E15.6,/,"
                  "'        A3= ',E15.6,/)",
               coef[0], coef[1], coef[2], coef[3]);
  } else {
    fio::write(6, "(' P-PLASTIC ROTATION CAPACITY (PRC) INTERACTION EQUATION:',/,"
                  "'PRC(P)=B0 + B1*P + B2*P**2 + B3*P**3',/,"
                  "'WHERE   B0= ',E15.6,/,'        B1= ',E15.6,/,'        B2= ',E15.6,/,"
                  "'        B3= ',E15.6,/)",
               coef[0], coef[1], coef[2], coef[3]);
  }
}

void read_shear_capacities(int set, std::string_view echo_format, std::span<float, 4> words) {
  float vci = 0.0f, vcf = 0.0f, vs = 0.0f, alfa = 0.0f;
  read_set_record(set, vci, vcf, vs, alfa);
  fio::write(6, echo_format, vci, vcf, vs, alfa);
  words[0] = vci;
  words[1] = vcf;
  words[2] = vs;
  words[3] = alfa * 3.14159f / 180.0f;
}

}  // namespace materials
