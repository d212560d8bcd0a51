// Reading, fitting and echoing the axial-load interaction cubics of the hinge
// materials.
#include "materials/interaction_cubic.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "fio/fio.h"
#include "materials/matdsp.h"

namespace materials {

namespace {

constexpr int kTerms = 4;  // a cubic: C(1) + C(2)*X + C(3)*X**2 + C(4)*X**3

enum CubicMode : int { kModeCoefficients = 0, kModePoints = 1 };

// Least-squares polynomial of kTerms terms through the points. The normal
// equations hold sums of sixth powers of the loads, which overflow single
// precision for loads in pounds, so they are formed and solved in double
// precision; the coefficients come back as REAL. A zero diagonal of the normal
// equations (no points, or every load 0.0) abandons the fit with its message
// and leaves the coefficients at 0.0; so does a zero pivot in the elimination.
void curvft(const std::vector<float>& x, const std::vector<float>& y, float* c) {
  std::fill(c, c + kTerms, 0.0f);
  std::array<std::array<double, kTerms>, kTerms> a{};
  std::array<double, kTerms> ay{};
  for (std::size_t k = 0; k < x.size(); ++k) {
    std::array<double, 2 * kTerms - 1> pw{};
    pw[0] = 1.0;  // X**0 is 1.0, also for X = 0.0
    for (int e = 1; e < 2 * kTerms - 1; ++e) pw[e] = pw[e - 1] * static_cast<double>(x[k]);
    for (int i = 0; i < kTerms; ++i) {
      for (int j = 0; j < kTerms; ++j) a[i][j] += pw[i + j];
      ay[i] += pw[i] * static_cast<double>(y[k]);
    }
  }
  for (int j = 0; j < kTerms; ++j) {
    if (a[j][j] == 0.0) {
      fio::write_list(6, "THE ASAT ", j + 1,
                      "TH DIAGONAL TERM ARE ZERO - CURVE FITTING SOLUTION ABORTED FROM SKY2");
      return;
    }
  }
  // Gauss elimination without pivoting (the matrix is symmetric positive
  // semi-definite), then back substitution.
  for (int p = 0; p < kTerms; ++p) {
    if (a[p][p] == 0.0) {
      fio::write_list(6, "ZERO PIVOT IN THE CURVE FIT, EQUATION", p + 1,
                      "- COEFFICIENTS SET TO 0.0");
      return;
    }
    for (int i = p + 1; i < kTerms; ++i) {
      const double f = a[i][p] / a[p][p];
      for (int j = p; j < kTerms; ++j) a[i][j] -= f * a[p][j];
      ay[i] -= f * ay[p];
    }
  }
  std::array<double, kTerms> sol{};
  for (int i = kTerms - 1; i >= 0; --i) {
    double s = ay[i];
    for (int j = i + 1; j < kTerms; ++j) s -= a[i][j] * sol[j];
    sol[i] = s / a[i][i];
  }
  for (int i = 0; i < kTerms; ++i) c[i] = static_cast<float>(sol[i]);
}

}  // namespace

float failure_code(const std::string_view label) {
  static constexpr std::array<std::string_view, 5> kCodes = {"CON", "FRA", "BUCK", "FATI", "SPLI"};
  for (std::size_t k = 0; k < kCodes.size(); ++k) {
    if (label.find(kCodes[k]) != std::string_view::npos) return static_cast<float>(k + 1);
  }
  return 0.0f;
}

void read_interaction_cubic(int set, CubicKind kind, float* coef, CubicPoints& points) {
  const bool prc = kind == CubicKind::rotation_capacity;
  int mode = -1;
  read_set_record(set, mode);
  if (mode == kModeCoefficients) {
    read_set_record(set, coef[0], coef[1], coef[2], coef[3]);
    return;
  }
  if (mode != kModePoints) return;

  int m = 0;
  read_set_record(set, m);
  m = std::max(m, 0);
  std::vector<float> x(static_cast<std::size_t>(m));
  std::vector<float> y(static_cast<std::size_t>(m));
  std::vector<float> code(static_cast<std::size_t>(m), 0.0f);
  for (std::size_t k = 0; k < x.size(); ++k) {
    if (prc) {
      std::string label;
      read_set_record(set, x[k], y[k], label);
      code[k] = failure_code(label.substr(0, 20));
    } else {
      read_set_record(set, x[k], y[k]);
    }
  }

  fio::write(6, "('TOTAL DATA POINTS FOR ',A,' (M)=',I3,/,'TOTAL COEFS FOR POLYNOMIAL (N) =',I3)",
             prc ? "B0-B3" : "A0-A3", m, kTerms);
  fio::write(6, "(A)", prc ? "DATA POINT X=AXIAL LOAD; Y=PLASTIC ROTATION CAPACITY"
                           : "DATA POINT X=AXIAL LOAD; Y=NOMINAL MOMENT");
  for (std::size_t k = 0; k < x.size(); ++k) {
    fio::write(6, "('DATA POINT NO. ',I3,': ','X=',E15.6,'Y=',E15.6)", static_cast<int>(k + 1),
               x[k], y[k]);
  }
  curvft(x, y, coef);

  // The record keeps the points of the last fit only, at most kMaxCubicPoints.
  if (m > kMaxCubicPoints) {
    fio::write(6, "(' WARNING: SET',I5,' HAS',I4,' POINTS; ALL ARE FITTED, THE FIRST',I3,"
                  "' ARE KEPT')",
               set, m, kMaxCubicPoints);
  }
  points = CubicPoints{};
  points.count = std::min(m, kMaxCubicPoints);
  for (int k = 0; k < points.count; ++k) {
    points.y[static_cast<std::size_t>(k)] = y[static_cast<std::size_t>(k)];
    points.failure[static_cast<std::size_t>(k)] = code[static_cast<std::size_t>(k)];
  }
}

void write_interaction_equation(CubicKind kind, const float* coef) {
  if (kind == CubicKind::nominal_moment) {
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

}  // namespace materials
