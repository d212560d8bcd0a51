// CURVFT against polynomials known in closed form, and the failure-code labels.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "materials/curve_fit.h"
#include "materials/fixtures.h"

namespace {

using materials::curvft;

struct Poly {
  const char* name;
  std::array<double, 4> c;
  std::vector<float> x;
};

double eval(const std::array<double, 4>& c, double x) {
  return c[0] + x * (c[1] + x * (c[2] + x * c[3]));
}

// Loads in pounds up to 3e6: their sixth powers (7.3e38) pass the range of a
// REAL, so these fits need the double-precision normal equations.
const Poly kPolys[] = {
    {"four_points_exact", {2.0e6, 1.5, -2.0e-6, 3.0e-13}, {-1.0e6f, 0.0f, 1.5e6f, 3.0e6f}},
    {"six_points", {2.0e6, 1.5, -2.0e-6, 3.0e-13}, {-2.0e6f, -1.0e6f, 0.0f, 1.0e6f, 2.0e6f, 3.0e6f}},
    {"small_unit_loads", {0.04, -0.3, 0.2, -0.05}, {-1.0f, -0.5f, 0.0f, 0.5f, 1.0f, 2.0f}},
    {"symmetric_points", {5.0, 0.0, -1.0, 0.0}, {-2.0f, -1.0f, 0.0f, 1.0f, 2.0f}},
};

class CurveFit : public ::testing::TestWithParam<Poly> {};

TEST_P(CurveFit, PointsOnACubicGiveItsCoefficients) {
  const Poly& p = GetParam();
  std::vector<float> y;
  for (float x : p.x) y.push_back(static_cast<float>(eval(p.c, x)));
  std::array<double, 16> asat{};
  std::array<double, 4> ay{};
  std::array<float, 4> c{};
  ASSERT_TRUE(curvft(asat, ay, c, static_cast<int>(p.x.size()), 4, p.x, y));
  // Each coefficient's share of the largest ordinate: y is held as REAL.
  const double xmax = std::max(std::fabs(p.x.front()), std::fabs(p.x.back()));
  double ymax = 0.0;
  for (float v : y) ymax = std::max(ymax, std::fabs(static_cast<double>(v)));
  for (int j = 0; j < 4; ++j) {
    const double scale = std::pow(xmax, j);
    EXPECT_NEAR(c[j] * scale, p.c[j] * scale, 1e-5 * ymax) << "coefficient " << j;
  }
  // The normal equations come back: ASAT(1,1) is the point count, ASAT(1,2)
  // the sum of the loads, AY(1) the sum of the ordinates.
  EXPECT_EQ(asat[0], static_cast<double>(p.x.size()));
  double sx = 0.0, sy = 0.0;
  for (std::size_t k = 0; k < p.x.size(); ++k) {
    sx += p.x[k];
    sy += y[k];
  }
  EXPECT_DOUBLE_EQ(asat[4], sx);
  EXPECT_DOUBLE_EQ(asat[1], sx);
  EXPECT_NEAR(ay[0], sy, 1e-9 * ymax);
}

INSTANTIATE_TEST_SUITE_P(Polynomials, CurveFit, ::testing::ValuesIn(kPolys),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(CurveFitLine, TwoTermsThroughNoisyPointsIsTheRegressionLine) {
  // y = 1 + 2x + r, r = +-0.1 alternating over x = 0..3: the residuals'
  // regression has slope sum((x - 1.5) r)/sum((x - 1.5)^2) = -0.2/5 and
  // intercept 0.04 * 1.5, so the line is 1.06 + 1.96 x.
  const std::vector<float> x = {0.0f, 1.0f, 2.0f, 3.0f};
  const std::vector<float> y = {1.1f, 2.9f, 5.1f, 6.9f};
  std::array<double, 4> asat{};
  std::array<double, 2> ay{};
  std::array<float, 2> c{};
  ASSERT_TRUE(curvft(asat, ay, c, 4, 2, x, y));
  EXPECT_NEAR(c[0], 1.06f, 1e-6);
  EXPECT_NEAR(c[1], 1.96f, 1e-6);
}

// The failure line goes to unit 6: a scratch file here, not a stray fort.6.
class CurveFitFailure : public mtest::ScratchOutputTest {};

TEST_F(CurveFitFailure, NoPointsOrAllLoadsZeroLeaveZeroCoefficients) {
  const std::vector<float> x = {0.0f, 0.0f, 0.0f};
  const std::vector<float> y = {1.0f, 2.0f, 3.0f};
  std::array<double, 16> asat{};
  std::array<double, 4> ay{};
  std::array<float, 4> c = {9.0f, 9.0f, 9.0f, 9.0f};
  EXPECT_FALSE(curvft(asat, ay, c, 0, 4, x, y));
  EXPECT_EQ(c, (std::array<float, 4>{0.0f, 0.0f, 0.0f, 0.0f}));
  c = {9.0f, 9.0f, 9.0f, 9.0f};
  EXPECT_FALSE(curvft(asat, ay, c, 3, 4, x, y));
  EXPECT_EQ(c, (std::array<float, 4>{0.0f, 0.0f, 0.0f, 0.0f}));
  EXPECT_EQ(asat[0], 3.0);  // x^0 is 1.0 also for x = 0.0
  // No points: the first diagonal term is zero; all loads zero: the second.
  EXPECT_EQ(output(),
            " THE ASAT  1 TH DIAGONAL TERM ARE ZERO - CURVE FITTING SOLUTION ABORTED FROM SKY2\n"
            " THE ASAT  2 TH DIAGONAL TERM ARE ZERO - CURVE FITTING SOLUTION ABORTED FROM SKY2\n");
}

struct Label {
  const char* text;
  float code;
};

TEST(FailureCode, FirstKeywordTheLabelHolds) {
  const Label labels[] = {
      {"CONCRETE", 1.0f}, {"FRACTURE", 2.0f}, {"BUCKLING", 3.0f}, {"FATIGUE", 4.0f},
      {"LAP SPLICE", 5.0f}, {"NONE", 0.0f}, {"", 0.0f}, {"FRA-CON", 1.0f},
  };
  for (const Label& l : labels) EXPECT_EQ(materials::failure_code(l.text), l.code) << l.text;
}

}  // namespace
