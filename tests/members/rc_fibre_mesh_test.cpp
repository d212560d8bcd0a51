// Fibre meshes against the closed-form areas of circles, rings and rectangles
// and hand-placed fibre centres.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "members/rc/rc_fibre_mesh.h"
#include "members/rc_test_sections.h"

namespace {

using namespace members::rc;

constexpr double kPi = 3.14159265358979;

struct Mesh {
  std::vector<float> u, v, area, length;
  explicit Mesh(int n) : u(n, -99.0f), v(n, -99.0f), area(n, -99.0f), length(n, -99.0f) {}
  FibreTable table() { return {u, v, area, length}; }
  double sum_area(int from, int to) const {  // fibres from..to, 1-based
    double s = 0.0;
    for (int k = from; k <= to; ++k) s += area[static_cast<std::size_t>(k - 1)];
    return s;
  }
  float uk(int k) const { return u[static_cast<std::size_t>(k - 1)]; }
  float vk(int k) const { return v[static_cast<std::size_t>(k - 1)]; }
  float ak(int k) const { return area[static_cast<std::size_t>(k - 1)]; }
};

using rctest::circle_with_bars;
using rctest::rectangle;

TEST(RcFibreMesh, CircleAreasSplitAtTheCoverLine) {
  Mesh m(76);
  float ex = 0.0f, ey = 0.0f;
  ASSERT_EQ(sectlb(circle_with_bars(), m.table(), ex, ey), 76);
  // Concrete (rings and centre) fills the whole circle; the bars lie on top.
  EXPECT_NEAR(m.sum_area(1, 64), kPi * 144.0, 452.4 * 1e-5);
  EXPECT_NEAR(m.sum_area(65, 76), 12.0 * kPi / 4.0, 1e-4);
  // Cover layer 1: the ring from r = 10.5 to 12.
  EXPECT_NEAR(m.sum_area(1, 12), kPi * (144.0 - 10.5 * 10.5), 1e-3);
  for (int k = 1; k <= 64; ++k) {
    const double r = std::hypot(m.uk(k), m.vk(k));
    if (k <= 12)
      EXPECT_GT(r, 10.5) << k;
    else
      EXPECT_LT(r, 10.5) << k;
  }
  // Bars on the mid radius of layer 2 (12 - 1.5 - 0.5 = 10), bar 1 on +V.
  EXPECT_NEAR(m.uk(65), 0.0f, 1e-6);
  EXPECT_NEAR(m.vk(65), 10.0f, 1e-5);
  for (int k = 65; k <= 76; ++k) EXPECT_NEAR(std::hypot(m.uk(k), m.vk(k)), 10.0, 1e-5);
}

TEST(RcFibreMesh, ShellRingAndFourBarsOnTheAxes) {
  // A steel shell of 0.25 in under a cover of 1.5: layer 2 is the ring 10.25..10.5.
  SectionGeometry g = circle_with_bars();
  g.libn = 1;
  g.t2 = 0.25f;
  Mesh shell(64);
  EXPECT_EQ(sectc1(g, shell.table()), 64);
  EXPECT_NEAR(shell.sum_area(13, 24), kPi * (10.5 * 10.5 - 10.25 * 10.25), 1e-4);
  EXPECT_NEAR(shell.sum_area(1, 64), kPi * 144.0, 1e-3);

  g = circle_with_bars();
  g.nbar1 = 4;
  Mesh bars(68);
  EXPECT_EQ(sectc2(g, bars.table()), 68);
  const float r2 = 10.0f;
  const float want[4][2] = {{0.0f, r2}, {r2, 0.0f}, {0.0f, -r2}, {-r2, 0.0f}};
  for (int m = 0; m < 4; ++m) {
    EXPECT_NEAR(bars.uk(65 + m), want[m][0], 1e-5) << m;
    EXPECT_NEAR(bars.vk(65 + m), want[m][1], 1e-5) << m;
    EXPECT_NEAR(bars.ak(65 + m), kPi / 4.0, 1e-6);
  }
}

TEST(RcFibreMesh, TwoLayersOneFibrePerQuadrant) {
  SectionGeometry g;
  g.libn = 1;
  g.d1 = 20.0f;
  g.d2 = 1.0f;
  g.t2 = 0.5f;
  g.n1 = 1;
  g.n2 = 2;
  Mesh m(12);
  EXPECT_EQ(sectc1(g, m.table()), 12);
  const double c45 = std::cos(kPi / 4.0);
  const double r1 = 9.5, r2 = 8.75;
  const int sign[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};  // quadrants 1..4
  for (int q = 0; q < 4; ++q) {
    EXPECT_NEAR(m.uk(1 + q), sign[q][0] * r1 * c45, 1e-5);
    EXPECT_NEAR(m.vk(1 + q), sign[q][1] * r1 * c45, 1e-5);
    EXPECT_NEAR(m.uk(5 + q), sign[q][0] * r2 * c45, 1e-5);
    EXPECT_NEAR(m.length[static_cast<std::size_t>(q)], 2.0 * kPi * r1 / 4.0, 1e-5);
  }
  // Centre fibres at +-D1/80 with a quarter of the disc of radius 0.05 R0 each.
  EXPECT_FLOAT_EQ(m.uk(9), 0.25f);
  EXPECT_FLOAT_EQ(m.vk(12), -0.25f);
  EXPECT_NEAR(m.ak(9), kPi * 0.25 / 4.0, 1e-7);
  EXPECT_EQ(m.length[8], 0.0f);
}

TEST(RcFibreMesh, RectangleAreasSplitAtTheCoverLine) {
  Mesh m(42);
  float ex = 0.0f, ey = 0.0f;
  ASSERT_EQ(sectlb(rectangle(), m.table(), ex, ey), 42);
  EXPECT_NEAR(m.sum_area(1, 36), 24.0 * 16.0, 1e-4);
  EXPECT_NEAR(m.sum_area(1, 16), 13.0 * 21.0, 1e-4);   // core inside the cover line
  EXPECT_NEAR(m.sum_area(17, 36), 384.0 - 273.0, 1e-4);
  EXPECT_NEAR(m.sum_area(37, 42), 6.0 * kPi / 4.0, 1e-5);
  for (int k = 1; k <= 36; ++k) {
    const bool inside = std::fabs(m.uk(k)) < 6.5f && std::fabs(m.vk(k)) < 10.5f;
    EXPECT_EQ(inside, k <= 16) << k;
  }
  // Top bars spread over 16 - 3 - 1 = 12, 1.0 in below the face; bottom bars mirrored.
  const float top_u[3] = {6.0f, 0.0f, -6.0f};
  for (int m3 = 0; m3 < 3; ++m3) {
    EXPECT_FLOAT_EQ(m.uk(37 + m3), top_u[m3]);
    EXPECT_FLOAT_EQ(m.vk(37 + m3), 10.0f);
    EXPECT_FLOAT_EQ(m.uk(40 + m3), top_u[m3]);
    EXPECT_FLOAT_EQ(m.vk(40 + m3), -10.0f);
  }
  EXPECT_FLOAT_EQ(m.length[0], 12.0f);
  EXPECT_FLOAT_EQ(m.length[1], 8.0f);
  EXPECT_EQ(m.length[2], -99.0f);  // the others are not written
}

TEST(RcFibreMesh, RectangleOneCellPerQuadrant) {
  SectionGeometry g = rectangle();
  g.n1 = g.n2 = 1;
  g.nbar1 = g.nbar2 = 0;
  Mesh m(16);
  EXPECT_EQ(sect11(g, m.table()), 16);
  // Core cells of 6.5 x 10.5 in the order (+,+), (+,-), (-,+), (-,-).
  const float want[4][2] = {{3.25f, 5.25f}, {3.25f, -5.25f}, {-3.25f, 5.25f}, {-3.25f, -5.25f}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_FLOAT_EQ(m.uk(1 + k), want[k][0]);
    EXPECT_FLOAT_EQ(m.vk(1 + k), want[k][1]);
  }
  EXPECT_FLOAT_EQ(m.ak(5), 1.5f * 1.5f);  // the corner of the first cover block
  EXPECT_FLOAT_EQ(m.uk(5), 7.25f);
  EXPECT_FLOAT_EQ(m.vk(5), 11.25f);
  // Along the V face the strip steps from the corner centre, not from the cells.
  EXPECT_FLOAT_EQ(m.uk(6), 7.25f - 6.5f);
}

TEST(RcFibreMesh, SideBarsAndEccentricity) {
  SectionGeometry g = rectangle();
  g.nbar3 = 1;
  g.dbar3 = 0.75f;
  g.iecop = 1;
  g.eccx0 = 2.0f;
  g.eccy0 = -3.0f;
  Mesh m(44);
  float ex = 9.0f, ey = 9.0f;
  ASSERT_EQ(sectlb(g, m.table(), ex, ey), 44);
  EXPECT_FLOAT_EQ(m.uk(43), 6.5f - 0.375f);
  EXPECT_FLOAT_EQ(m.vk(43), 0.0f);
  EXPECT_FLOAT_EQ(m.uk(44), -(6.5f - 0.375f));
  EXPECT_FLOAT_EQ(m.vk(44), 0.0f);
  EXPECT_EQ(ex, 2.0f);
  EXPECT_EQ(ey, -3.0f);

  g.iecop = 0;
  ex = ey = 9.0f;
  sectlb(g, m.table(), ex, ey);
  EXPECT_EQ(ex, 9.0f);
  EXPECT_EQ(ey, 9.0f);
}

TEST(RcFibreMesh, UnsupportedKindWritesNothing) {
  SectionGeometry g = rectangle();
  g.libn = 4;
  g.iecop = 1;
  Mesh m(42);
  float ex = 9.0f, ey = 9.0f;
  EXPECT_EQ(sectlb(g, m.table(), ex, ey), 0);
  EXPECT_EQ(m.u[0], -99.0f);
  EXPECT_EQ(ex, 9.0f);
}

}  // namespace
