// CURVFT, the least-squares polynomial fit of the hinge materials, and the
// input of their axial-load interaction cubics (typed coefficients or fitted
// points), shared by "IA_BILN" and "HINGE".
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace materials {

// Points whose ordinates and failure codes a property set keeps.
inline constexpr int kMaxStoredPoints = 20;
// Terms of the interaction cubics.
inline constexpr int kCubicTerms = 4;
// Largest number of terms CURVFT takes.
inline constexpr int kMaxFitTerms = 8;

// CURVFT: the polynomial of n terms (1 <= n <= kMaxFitTerms) through the m
// points (x[k], y[k]) in the least-squares sense: c[0..n-1] with
// y ~ c[0] + c[1] x + ... + c[n-1] x^(n-1). asat (n x n, column-major) and ay
// (n) are the caller's work arrays and receive the normal equations.
//
// The normal equations are formed and solved in double precision (sixth powers
// of axial loads in pounds pass the range of a REAL and would leave nothing of
// the small terms); they are packed as SKY2 packs them and reduced without
// pivoting, and the coefficients are stored as REAL. A zero diagonal of the
// normal equations (no points, or all x equal to 0.0) prints the SKY2 line, a
// zero pivot the GAUSS box; the fit is then abandoned with c = 0.0 and the
// caller gets back false.
bool curvft(std::span<double> asat, std::span<double> ay, std::span<float> c, int m, int n,
            std::span<const float> x, std::span<const float> y);

// The failure code of a point's label: the first of "CON" 1.0, "FRA" 2.0,
// "BUCK" 3.0, "FATI" 4.0, "SPLI" 5.0 that it contains, else 0.0.
float failure_code(std::string_view label);

// The two interaction cubics of a hinge set.
enum class Cubic {
  moment,             // M(P): A0-A3, points of axial load and nominal moment
  rotation_capacity,  // PRC(P): B0-B3, points of axial load, plastic rotation capacity and a label
};

// The points of a set's last fit, as the set stores them.
struct FitTable {
  int m = 0;                                  // points fitted (0 without a fit)
  std::array<float, kMaxStoredPoints> y{};     // ordinates of the first 20
  std::array<float, kMaxStoredPoints> code{};  // failure codes of the first 20
};

// Reads one cubic of set `set` from unit 5: the mode record, then mode 0 the
// four coefficients, mode 1 the point count and the points (echoed in the
// point block on unit 6 and fitted with CURVFT). Any other mode reads nothing
// and gives coefficients 0.0. A fit replaces the table; more than 20 points are
// all fitted, the first 20 stored, with a warning.
void read_cubic(int set, Cubic kind, std::span<float, kCubicTerms> coef, FitTable& table);

// The equation block of a cubic (" P-MY INTERACTION EQUATION:" or the PRC one)
// with its coefficients, ended by a blank line.
void write_cubic(Cubic kind, std::span<const float, kCubicTerms> coef);

// The member shear-capacity record of a hinge set: VCI, VCF, VS and ALFA (in
// degrees) read from unit 5, echoed with the set's echo_format, and stored in
// words as VCI, VCF, VS and ALFA in radians.
void read_shear_capacities(int set, std::string_view echo_format, std::span<float, 4> words);

}  // namespace materials
