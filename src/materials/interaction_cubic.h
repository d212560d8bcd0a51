// The interaction cubics of the axial load carried by the hinge materials:
// M(P) = A0 + A1*P + A2*P**2 + A3*P**3 (nominal moment) and PRC(P) with B0-B3
// (plastic rotation capacity), typed in as coefficients or fitted by least
// squares to measured points.
#pragma once

#include <array>
#include <string_view>

namespace materials {

inline constexpr int kMaxCubicPoints = 20;  // points a property record keeps per fit

enum class CubicKind { nominal_moment, rotation_capacity };

// The points of the last fit: their ordinates and failure codes (1.0 "CON",
// 2.0 "FRA", 3.0 "BUCK", 4.0 "FATI", 5.0 "SPLI", 0.0 none; always 0.0 for the
// nominal-moment points).
struct CubicPoints {
  int count = 0;
  std::array<float, kMaxCubicPoints> y{};
  std::array<float, kMaxCubicPoints> failure{};
};

// Reads one cubic from unit 5: the mode record, then with mode 0 the record of
// the four coefficients, with mode 1 the point count and one record per point
// (axial load and ordinate, and for the rotation capacity a label), whose
// block is echoed on unit 6 before the fit. Any other mode reads nothing more
// and leaves the coefficients. The caller gets back coef[0..3] and, after a
// fit, the points (the first kMaxCubicPoints of them, with a warning when
// more were given; all of them enter the fit).
void read_interaction_cubic(int set, CubicKind kind, float* coef, CubicPoints& points);

// The " P-MY INTERACTION EQUATION:" or PRC block with the four coefficients.
void write_interaction_equation(CubicKind kind, const float* coef);

// The failure code a point label gives: the first of "CON", "FRA", "BUCK",
// "FATI", "SPLI" it contains, 0.0 for none.
float failure_code(const std::string_view label);

}  // namespace materials
