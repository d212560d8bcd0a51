// The plate element: geometry and twist check, the closed-form stiffness (rigid
// bodies, hand values, a membrane patch test), input checks and rejections,
// uniform pressure loads, force recovery, reports and history records.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "elements/plate.h"
#include "elements/plate_geometry.h"
#include "elements/plate_point_model.h"

namespace {

using elements::plate::geometry;
using elements::plate::Geometry;
using elements::plate::Vec3;
using pptest::near_rel;

namespace pl = elements::plate;

constexpr int kUnifFz = 203;
constexpr int kUnifFy = 202;
constexpr int kConcFz = 103;

// The 60 x 30 rectangle: a = 60 along x, b = 30 along y.
const std::array<Vec3, 4> kFlat{{{60, 30, 0}, {0, 30, 0}, {0, 0, 0}, {60, 0, 0}}};

// ---------------------------------------------------------------- geometry

// The geometry of kFlat scaled: its sides, the global axes, no twist.
void expect_flat(const Geometry& g, float length, float width) {
  ASSERT_TRUE(g.formed());
  EXPECT_FLOAT_EQ(g.length, length);
  EXPECT_FLOAT_EQ(g.width, width);
  const Vec3 ex{1, 0, 0}, ey{0, 1, 0}, ez{0, 0, 1};
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_FLOAT_EQ(g.vx[k], ex[k]);
    EXPECT_FLOAT_EQ(g.vy[k], ey[k]);
    EXPECT_FLOAT_EQ(g.vz[k], ez[k]);
  }
  EXPECT_EQ(g.twist, 0.0f);
}

TEST(PlateGeometry, FlatRectangleGivesItsSidesAndAxes) { expect_flat(geometry(kFlat), 30.0f, 60.0f); }

TEST(PlateGeometry, TwistAngles) {
  struct Case {
    const char* what;
    std::array<Vec3, 4> x;
    float twist;
    float tol;
  };
  const Case cases[] = {
      // J1 and J2 swapped: the two edge normals point opposite ways.
      {"swapped", {{{0, 30, 0}, {60, 30, 0}, {0, 0, 0}, {60, 0, 0}}}, 180.0f, 1e-3f},
      // J1 lifted by 60: W1 = (-3600, -3600, 3600) and W2 = (0, -3600, 3600)
      // (V12 x VC, V34 x VC times |VC|), so the cosine is 2 / sqrt(6).
      {"lifted", {{{60, 30, 60}, {0, 30, 0}, {0, 0, 0}, {60, 0, 0}}}, 35.26439f, 1e-3f},
      // A true rectangle whose normals' cosine rounds to just above 1 in
      // single precision: the angle is 0, never NaN.
      {"rounding", {{{1545, 1564, -1888}, {1533, 1551, -1909}, {-2, 15, -81}, {10, 28, -60}}}, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    const Geometry g = geometry(c.x);
    EXPECT_TRUE(g.formed()) << c.what;
    EXPECT_FALSE(std::isnan(g.twist)) << c.what;
    EXPECT_NEAR(g.twist, c.twist, c.tol) << c.what;
  }
}

TEST(PlateGeometry, DegenerateCornersFormNoPlate) {
  // Coincident edge midpoints.
  const Geometry m = geometry({{{60, 0, 0}, {0, 0, 0}, {0, 0, 0}, {60, 0, 0}}});
  EXPECT_FALSE(m.formed());
  EXPECT_EQ(m.length, 0.0f);
  // J1 on J2: the J1-J2 edge has no length across the plate.
  const Geometry e = geometry({{{0, 30, 0}, {0, 30, 0}, {0, 0, 0}, {60, 0, 0}}});
  EXPECT_FALSE(e.formed());
  EXPECT_EQ(e.w1, 0.0f);
  EXPECT_GT(e.w2, 0.0f);
}

// Corners whose squared distances lie beyond the float range still give the
// plate's sides and axes; sides beyond the range itself give no plate, and
// no NaN or Infinity.
TEST(PlateGeometry, LargeCornersKeepTheirSidesOrFormNoPlate) {
  std::array<Vec3, 4> big = kFlat;
  for (Vec3& x : big)
    for (float& c : x) c *= 1.0e30f;
  {
    SCOPED_TRACE("corners times 1.0E30");
    expect_flat(geometry(big), 30.0e30f, 60.0e30f);
  }

  // The edge midpoints 6.0E38 apart: no length.
  const float h = 3.0e38f;
  const Geometry far = geometry({{{h, h, 0}, {-h, h, 0}, {-h, -h, 0}, {h, -h, 0}}});
  EXPECT_FALSE(far.formed());
  EXPECT_EQ(far.length, 0.0f);
  // Midpoints 2.0 apart, but the edges across the plate 6.0E38 long: no width.
  const Geometry wide = geometry({{{h, 1, 0}, {-h, 1, 0}, {-h, -1, 0}, {h, -1, 0}}});
  EXPECT_FALSE(wide.formed());
  EXPECT_FLOAT_EQ(wide.length, 2.0f);
  EXPECT_EQ(wide.w1, 0.0f);
  EXPECT_EQ(wide.w2, 0.0f);
  EXPECT_TRUE(std::isfinite(wide.width));
}

// ---------------------------------------------------------------- stiffness

using Mat20 = pl::Mat20;
double s_at(const Mat20& s, int i, int j) { return s[static_cast<std::size_t>((i - 1) + 20 * (j - 1))]; }

TEST(PlateStiffness, HandValuesAndSymmetry) {
  const float e = 3.0e6f, nu = 0.2f, t = 1.0f, a = 60.0f, b = 30.0f;
  Mat20 s{};
  pl::stiffness(e, nu, t, a, b, s.data());
  const double d = 3.0e6 / 0.96;         // E t^3 / (1 - nu^2)
  const double g = 3.0e6 / (0.96 * 12);  // E t / ((1 - nu^2) 12)
  EXPECT_TRUE(near_rel(s_at(s, 1, 1), d * (0.8 * 30 / (45 * 60) + 60.0 / (9 * 30))));
  EXPECT_TRUE(near_rel(s_at(s, 3, 3), d * (13.2 / (60 * 1800) + 30.0 / (3 * 216000) + 60.0 / (3 * 27000))));
  EXPECT_TRUE(near_rel(s_at(s, 13, 13), g * (2 * 0.8 * 2 + 4 * 0.5)));
  EXPECT_TRUE(near_rel(s_at(s, 14, 14), g * (2 * 0.8 * 0.5 + 4 * 2)));
  EXPECT_TRUE(near_rel(s_at(s, 13, 14), g * 1.5 * 1.2));
  // The twisting coupling nu D / 12: minus at (1,2) and (7,8), plus at (4,5) and (10,11).
  const double c = d * 0.2 / 12;
  EXPECT_TRUE(near_rel(s_at(s, 1, 2), -c));
  EXPECT_TRUE(near_rel(s_at(s, 7, 8), -c));
  EXPECT_TRUE(near_rel(s_at(s, 4, 5), c));
  EXPECT_TRUE(near_rel(s_at(s, 10, 11), c));
  for (int i = 1; i <= 20; ++i)
    for (int j = 1; j <= 20; ++j) {
      EXPECT_EQ(s_at(s, i, j), s_at(s, j, i)) << i << "," << j;
      // Bending and membrane are uncoupled.
      if ((i <= 12) != (j <= 12)) {
        EXPECT_EQ(s_at(s, i, j), 0.0) << i << "," << j;
      }
    }
  pl::stiffness(e, 0.0f, t, a, b, s.data());
  EXPECT_EQ(s_at(s, 1, 2), 0.0);
  EXPECT_EQ(s_at(s, 4, 5), 0.0);
}

// |sum K m| against sum |K m| in every row: zero to rounding.
template <class K>
void expect_rigid(const K& k, int n, const std::vector<double>& mode, const char* what) {
  for (int i = 0; i < n; ++i) {
    double sum = 0.0, scale = 0.0;
    for (int j = 0; j < n; ++j) {
      const double v = k(i, j) * mode[static_cast<std::size_t>(j)];
      sum += v;
      scale += std::fabs(v);
    }
    EXPECT_LE(std::fabs(sum), 1e-5 * scale + 1e-9) << what << " row " << i + 1;
  }
}

TEST(PlateStiffness, SixRigidBodyModesOfThePlateFreedomsCarryNoForce) {
  Mat20 s{};
  pl::stiffness(3.0e6f, 0.2f, 1.0f, 60.0f, 30.0f, s.data());
  const double x[4] = {30, -30, -30, 30};  // J1..J4 in local axes
  const double y[4] = {15, 15, -15, -15};
  std::vector<std::vector<double>> modes(6, std::vector<double>(20, 0.0));
  for (int n = 0; n < 4; ++n) {
    const std::size_t tx = static_cast<std::size_t>(3 * n), ty = tx + 1, w = tx + 2;
    const std::size_t u = static_cast<std::size_t>(12 + 2 * n), v = u + 1;
    modes[0][w] = 1.0;                          // translation along z (w = -z)
    modes[1][tx] = 1.0, modes[1][w] = -y[n];    // rotation about x: z = +y
    modes[2][ty] = 1.0, modes[2][w] = x[n];     // rotation about y: z = -x
    modes[3][u] = 1.0;                          // translation along x
    modes[4][v] = 1.0;                          // translation along y
    modes[5][u] = -y[n], modes[5][v] = x[n];    // rotation in the plane
  }
  const char* names[6] = {"w", "rot x", "rot y", "u", "v", "rot z"};
  auto k = [&s](int i, int j) { return s_at(s, i + 1, j + 1); };
  for (int m = 0; m < 6; ++m) expect_rigid(k, 20, modes[static_cast<std::size_t>(m)], names[m]);
  // A stretch is not rigid: the check above can fail.
  std::vector<double> stretch(20, 0.0);
  stretch[12] = stretch[18] = 1.0;  // u1 = u4 = 1
  double f = 0.0;
  for (int j = 0; j < 20; ++j) f += k(12, j) * stretch[static_cast<std::size_t>(j)];
  EXPECT_GT(std::fabs(f), 1.0e5);
}

// ---------------------------------------------------------------- end to end

TEST(PlateDeck, MembranePatchThroughTheStaticSolution) {
  const kvtest::RunResult r = pptest::run_case("plate_membrane_patch.dat");
  if (pptest::types_missing(r)) GTEST_SKIP() << "the plate is not registered in the program yet";
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string d = "GCS DISPLACEMENTS,  LOADING #    1";
  const double eps = 1000.0 / 30.0 / 3.0e6;  // F / (b t) / E
  struct Expect {
    int node;
    double ux, uy;
  };
  for (const Expect& e : {Expect{1, 60 * eps, -0.2 * eps * 30}, Expect{2, 0, -0.2 * eps * 30}, Expect{3, 0, 0},
                          Expect{4, 60 * eps, 0}}) {
    const std::vector<double> v = pptest::node_values(r.output, d, e.node);
    ASSERT_EQ(v.size(), 6u) << e.node;
    EXPECT_NEAR(v[0], e.ux, 1e-4 * 60 * eps) << e.node;
    EXPECT_NEAR(v[1], e.uy, 1e-4 * 0.2 * eps * 30) << e.node;
  }
  const std::string rx = "GCS RESTRAINT REACTIONS,   LOADING #    1";
  EXPECT_NEAR(pptest::node_values(r.output, rx, 2)[0], -500.0, 0.05);
  EXPECT_NEAR(pptest::node_values(r.output, rx, 3)[0], -500.0, 0.05);
  EXPECT_NEAR(pptest::node_values(r.output, rx, 3)[1], 0.0, 0.01);
  EXPECT_NE(r.output.find("       PLATE ELEMENT FORCES..."), std::string::npos);
  EXPECT_NE(r.output.find("         1    1  FORCE     1   5.0000"), std::string::npos) << r.output;
}

// ---------------------------------------------------------------- the element

class PlateModel : public pptest::PlatePointModel {
 protected:
  // Plate set 1: E = 3.0E6, NU = 0.2, THICKNESS = 1.
  void flat_plate(const std::vector<float>& extra_set = {}) {
    nodes({{1, 60, 30, 0, pptest::own_equations(1)},
           {2, 0, 30, 0, pptest::own_equations(2)},
           {3, 0, 0, 0, pptest::own_equations(3)},
           {4, 60, 0, 0, pptest::own_equations(4)}},
          24);
    std::vector<pptest::Set> s{{16, {3.0e6f, 0.2f, 1.0f}}};
    if (!extra_set.empty()) s.push_back({20, extra_set});
    sets(s);
  }
};

TEST_F(PlateModel, EchoLineLocationVectorAndHandedBackWords) {
  flat_plate();
  elements({{16, "PLATE-A", {1, 1, 2, 3, 4}}, {16, "PLATE-B", {1, 1, 2, 3, 4}}});
  const std::string out = unit6();
  EXPECT_EQ(pptest::count(out, " ELEMENT 16, PLATE ELEMENT"), 1) << out;
  // A15 label, six I6, 2X and two 1PE12.4, 3X and three F9.5 (the last two signed).
  const std::string line = " PLATE-A" + std::string(8, ' ') + "     1     1     1     2     3     4" +
                           "    3.0000E+01  6.0000E+01" + "     0.00000 I +0.00000 J +1.00000 K\n";
  EXPECT_NE(out.find(line), std::string::npos) << out;
  // A flat plate in global XY: no MZ stiffness, the other 20 components kept.
  const std::vector<int> loc = lm(1);
  std::vector<int> expected;
  for (int n = 1; n <= 4; ++n)
    for (int i = 1; i <= 5; ++i) expected.push_back(6 * (n - 1) + i);
  EXPECT_EQ(loc, expected);
  EXPECT_EQ(checks_[0].nd, 20);
  EXPECT_EQ(checks_[0].nback, 600 - 210);
  EXPECT_FLOAT_EQ(rword(1, pl::kLength), 30.0f);
  EXPECT_FLOAT_EQ(rword(1, pl::kWidth), 60.0f);
}

TEST_F(PlateModel, DiaphragmSlavedComponentsAreLeftOut) {
  // FX, FY and MZ of all four joints on one master's equations 1, 2, 3.
  auto eqs = [](int n) { return std::array<int, 6>{1, 2, 3 + 3 * n - 2, 3 + 3 * n - 1, 3 + 3 * n, 3}; };
  nodes({{1, 60, 30, 0, eqs(1)}, {2, 0, 30, 0, eqs(2)}, {3, 0, 0, 0, eqs(3)}, {4, 60, 0, 0, eqs(4)}}, 15);
  sets({{16, {3.0e6f, 0.2f, 1.0f}}});
  elements({{16, "P", {1, 1, 2, 3, 4}}});
  EXPECT_EQ(lm(1), (std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
}

TEST_F(PlateModel, TiltedPlateStiffnessCarriesNoForceForGlobalRigidBodyModes) {
  // a = 60 along (36, 48, 0), b = 30 along (-19.2, 14.4, 18), J3 at (5, 7, 11).
  const Vec3 o{5, 7, 11}, e1{36, 48, 0}, e2{-19.2f, 14.4f, 18};
  std::array<Vec3, 4> x{};
  for (std::size_t k = 0; k < 3; ++k) {
    x[2][k] = o[k];
    x[3][k] = o[k] + e1[k];
    x[0][k] = x[3][k] + e2[k];
    x[1][k] = o[k] + e2[k];
  }
  std::vector<pptest::Node> list;
  for (int n = 1; n <= 4; ++n) {
    const Vec3& p = x[static_cast<std::size_t>(n - 1)];
    list.push_back({n, p[0], p[1], p[2], pptest::own_equations(n)});
  }
  nodes(list, 24);
  sets({{16, {3.0e6f, 0.2f, 1.0f}}});
  elements({{16, "TILTED", {1, 1, 2, 3, 4}}});
  EXPECT_EQ(unit6().find("TWISTED"), std::string::npos);
  EXPECT_FLOAT_EQ(rword(1, pl::kLength), 30.0f);
  EXPECT_FLOAT_EQ(rword(1, pl::kWidth), 60.0f);
  const std::vector<double> k = global_matrix(1);
  auto kf = [&k](int i, int j) { return k[static_cast<std::size_t>(i * 24 + j)]; };
  for (int m = 0; m < 6; ++m) {
    std::vector<double> mode(24, 0.0);
    for (int n = 0; n < 4; ++n) {
      const Vec3& p = x[static_cast<std::size_t>(n)];
      double* u = &mode[static_cast<std::size_t>(6 * n)];
      if (m < 3) {
        u[m] = 1.0;
      } else {
        double w[3] = {0, 0, 0};
        w[m - 3] = 1.0;
        u[0] = w[1] * p[2] - w[2] * p[1];
        u[1] = w[2] * p[0] - w[0] * p[2];
        u[2] = w[0] * p[1] - w[1] * p[0];
        u[3 + (m - 3)] = 1.0;
      }
    }
    expect_rigid(kf, 24, mode, m < 3 ? "translation" : "rotation");
  }
}

TEST_F(PlateModel, MembranePatchGivesUniformStrainAndBalancedReactions) {
  flat_plate();
  elements({{16, "PATCH", {1, 1, 2, 3, 4}}});
  const std::vector<double> k = global_matrix(1);
  auto kf = [&k](int r, int c) { return k[static_cast<std::size_t>((r - 1) * 24 + c - 1)]; };
  // Edge J2-J3 (x = 0) held in FX, J3 also in FY; 500 lb along +x at J1 and J4.
  const int fx1 = 1, fy1 = 2, fx2 = 7, fy2 = 8, fx3 = 13, fy3 = 14, fx4 = 19, fy4 = 20;
  const std::vector<int> fr{fx1, fy1, fy2, fx4, fy4};
  std::vector<double> a;
  for (int r : fr)
    for (int c : fr) a.push_back(kf(r, c));
  std::vector<double> f{500, 0, 0, 500, 0};
  const std::vector<double> d = pptest::solve(a, f);
  // sigma = F / (b t) = 1000 / 30; eps = sigma / E along x, -nu eps across.
  const double eps = 1000.0 / 30.0 / 3.0e6;
  EXPECT_TRUE(near_rel(d[0], 60 * eps, 1e-4));         // u1
  EXPECT_TRUE(near_rel(d[3], 60 * eps, 1e-4));         // u4
  EXPECT_TRUE(near_rel(d[1], -0.2 * eps * 30, 1e-4));  // v1
  EXPECT_TRUE(near_rel(d[2], -0.2 * eps * 30, 1e-4));  // v2
  EXPECT_NEAR(d[4], 0.0, 1e-4 * 0.2 * eps * 30);       // v4 on the line y = 0 with J3
  std::vector<double> u(25, 0.0);
  for (std::size_t i = 0; i < fr.size(); ++i) u[static_cast<std::size_t>(fr[i])] = d[i];
  auto reaction = [&](int r) {
    double s = 0.0;
    for (int c = 1; c <= 24; ++c) s += kf(r, c) * u[static_cast<std::size_t>(c)];
    return s;
  };
  EXPECT_TRUE(near_rel(reaction(fx2), -500.0, 1e-4));
  EXPECT_TRUE(near_rel(reaction(fx3), -500.0, 1e-4));
  EXPECT_NEAR(reaction(fx2) + reaction(fx3) + 1000.0, 0.0, 1e-2);
  EXPECT_NEAR(reaction(fy3), 0.0, 1e-2);

  // The element recovers the same state: 500 lb at each corner, tension.
  solution_tables(1);
  for (int e = 1; e <= 24; ++e) disp(e) = static_cast<float>(u[static_cast<std::size_t>(e)]);
  option(elements::kEleState, 1);
  const float* finc = kv::rptr(record(1) + pl::kFInc);
  const float fu[4] = {500, -500, -500, 500};
  for (int n = 1; n <= 4; ++n) {
    EXPECT_TRUE(near_rel(finc[12 + 2 * n - 2], fu[n - 1], 1e-4, 1e-2)) << "u" << n;
    EXPECT_NEAR(finc[12 + 2 * n - 1], 0.0, 1e-2) << "v" << n;
  }
  const float* dinc = kv::rptr(record(1) + pl::kDInc);
  EXPECT_TRUE(near_rel(dinc[12], 60 * eps, 1e-4));  // u1
}

TEST_F(PlateModel, RejectedElementsTakeNoPartInTheModel) {
  struct Case {
    const char* what;
    std::vector<pptest::Node> nodes;
    std::vector<float> values;  // set, J1..J4
    const char* message;
  };
  const std::vector<pptest::Node> square{{1, 60, 30, 0, pptest::own_equations(1)},
                                         {2, 0, 30, 0, pptest::own_equations(2)},
                                         {3, 0, 0, 0, pptest::own_equations(3)},
                                         {4, 60, 0, 0, pptest::own_equations(4)}};
  // Midpoints of J1-J2 and J3-J4 on one point.
  const std::vector<pptest::Node> flat{{1, 60, 0, 0, pptest::own_equations(1)},
                                       {2, 0, 0, 0, pptest::own_equations(2)},
                                       {3, 0, 0, 0, pptest::own_equations(3)},
                                       {4, 60, 0, 0, pptest::own_equations(4)}};
  // J1 on J2.
  const std::vector<pptest::Node> edge{{1, 0, 30, 0, pptest::own_equations(1)},
                                       {2, 0, 30, 0, pptest::own_equations(2)},
                                       {3, 0, 0, 0, pptest::own_equations(3)},
                                       {4, 60, 0, 0, pptest::own_equations(4)}};
  const Case cases[] = {
      {"zero length", flat, {1, 1, 2, 3, 4},
       " ********************ERROR - LENGTH IS LE 0\n     IELNO=    1          LENGTH   0.000000E+00\n"
       "     REVISE INPUT.............................\n\n"},
      {"zero edge", edge, {1, 1, 2, 3, 4}, " ********************ERROR - WIDTH IS LE 0\n"},
      {"missing joint", square, {1, 1, 2, 3, 9}, " TARGET:       9   NOT FOUND"},
      {"nu of 1", square, {3, 1, 2, 3, 4}, " ********************ERROR - NU**2 IS 1\n"},
      {"point set", square, {2, 1, 2, 3, 4},
       "  ELEMENT:      1  INCOMPATIBLE MATERIAL PROP.#   20  NODE1:    1  NODE2:    2  NODE3:    3  NODE4:    4\n"
       " THE ELEMENT IS REJECTED AND ERROR CHECKING CONTINUES\n"},
  };
  for (const Case& c : cases) {
    TearDown();
    SetUp();
    nodes(c.nodes, 24);
    std::vector<float> point(21, 0.0f);
    point[0] = 1.0f;
    sets({{16, {3.0e6f, 0.2f, 1.0f}}, {20, point}, {16, {3.0e6f, -1.0f, 1.0f}}});
    const std::int64_t iz = kv::ctl(kv::kIZ);
    elements({{16, "BAD", c.values}});
    const std::string out = unit6();
    EXPECT_NE(out.find(c.message), std::string::npos) << c.what << "\n" << out;
    EXPECT_NE(out.find("THE ELEMENT IS REJECTED AND ERROR CHECKING CONTINUES"), std::string::npos) << c.what;
    EXPECT_NE(out.find(" BAD" + std::string(12, ' ') + "     1"), std::string::npos) << c.what;  // the element line still comes
    EXPECT_EQ(checks_[0].nd, 0) << c.what;
    EXPECT_EQ(checks_[0].nback, 600) << c.what;  // all stiffness words back, no more
    const int nhyst = c.values[0] == 2 ? 21 : 5;
    EXPECT_EQ(kv::ctl(kv::kIZ), iz + 2 + 1616 + nhyst - 600) << c.what;

    // Later options neither read nor load anything through it.
    solution_tables(1);
    for (int e = 1; e <= 24; ++e) disp(e) = 1.0f;
    element_load_records({{1, 1, 0, 0, kUnifFz, 1.0f}});
    option(elements::kEleLoads, 1);
    for (int e = 1; e <= 24; ++e) EXPECT_EQ(static_cast<float>(load(e)), 0.0f) << c.what;
    option(elements::kEleState, 1);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(kv::rzm(record(1) + pl::kFInc + i), 0.0f) << c.what;
  }
}

TEST_F(PlateModel, TwistedPlateIsWarnedOnceAndStillFormed) {
  nodes({{1, 0, 30, 0, pptest::own_equations(1)},
         {2, 60, 30, 0, pptest::own_equations(2)},
         {3, 0, 0, 0, pptest::own_equations(3)},
         {4, 60, 0, 0, pptest::own_equations(4)}},
        24);
  sets({{16, {3.0e6f, 0.2f, 1.0f}}});
  elements({{16, "SWAPPED", {1, 1, 2, 3, 4}}});
  solution_tables(1);
  option(elements::kEleState, 1);
  const std::string out = unit6();
  EXPECT_EQ(pptest::count(out, "     ********** WARNING THE PLATE IS TWISTED=  1.8000E+02 DEGREES, REVISE INPUT AND RERUN"),
            1)
      << out;
  EXPECT_GT(checks_[0].nd, 0);
}

// ---------------------------------------------------------------- loads

TEST(Feflod, UniformPressureOnThe60By30Plate) {
  std::array<std::int32_t, 5> idata{1, 1, 0, 0, kUnifFz};
  std::array<float, 12> rdata{1.0f};
  const elements::ElementLoadTables t{1, 1, idata.data(), rdata.data()};
  std::array<float, 48> fef{};
  fef.fill(7.0f);
  ASSERT_TRUE(pl::feflod(1, 30.0f, 60.0f, t, 2, fef.data()));
  // Per joint FX FY FZ MX MY MZ.
  const float expected[24] = {0, 0, 450, -2250, 4500, 0,  0, 0, 450, -2250, -4500, 0,
                              0, 0, 450, 2250, -4500, 0, 0, 0, 450, 2250, 4500, 0};
  for (int j = 0; j < 24; ++j) EXPECT_FLOAT_EQ(fef[static_cast<std::size_t>(j)], expected[j]) << j + 1;
  for (int j = 24; j < 48; ++j) EXPECT_EQ(fef[static_cast<std::size_t>(j)], 0.0f);  // load case 2 zeroed
}

TEST(Feflod, RecordsApplyByElementGeneration) {
  std::array<std::int32_t, 5> idata{1, 3, 2, 2, kUnifFz};
  std::array<float, 12> rdata{1.0f};
  const elements::ElementLoadTables t{1, 1, idata.data(), rdata.data()};
  std::array<float, 24> fef{};
  std::vector<int> loaded;
  for (int e = 1; e <= 9; ++e)
    if (pl::feflod(e, 30.0f, 60.0f, t, 1, fef.data())) loaded.push_back(e);
  EXPECT_EQ(loaded, (std::vector<int>{3, 5, 7}));
}

TEST_F(PlateModel, OtherLoadsPrintTheirLineAndAddNothing) {
  flat_plate();
  elements({{16, "P", {1, 1, 2, 3, 4}}});
  solution_tables(1);
  element_load_records({{1, 1, 0, 0, kUnifFy, 1.0f}, {1, 1, 0, 0, kConcFz, 1.0f}});
  std::array<float, 24> fef{};
  fef.fill(7.0f);
  EXPECT_TRUE(pl::feflod(1, 30.0f, 60.0f, elements::element_load_tables(), 1, fef.data()));
  for (float v : fef) EXPECT_EQ(v, 0.0f);
  const std::string out = unit6();
  EXPECT_NE(out.find("  ERROR CALCULATING FIXED END FORCES FOR ELEMENT #     1  INVALID UNIFORM LOAD IS NOT AVAILABLE"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("  ERROR CALCULATING FIXED END FORCES FOR ELEMENT #     1 INVALID LOAD GROUP IS NOT AVAILABLE"),
            std::string::npos)
      << out;
}

TEST_F(PlateModel, UniformPressureBecomesJointLoadsAndIsTakenOffTheForces) {
  flat_plate();
  elements({{16, "P", {1, 1, 2, 3, 4}}});
  solution_tables(2);
  // Without element-load records option 6 adds nothing.
  option(elements::kEleLoads, 1);
  for (int e = 1; e <= 24; ++e) EXPECT_EQ(static_cast<float>(load(e, 2)), 0.0f);

  element_load_records({{2, 1, 0, 0, kUnifFz, 1.0f}});
  option(elements::kEleLoads, 1);
  // Flat plate on global axes: the local joint loads are the global ones.
  const float jl[4][3] = {{450, -2250, 4500}, {450, -2250, -4500}, {450, 2250, -4500}, {450, 2250, 4500}};
  for (int n = 1; n <= 4; ++n)
    for (int k = 0; k < 3; ++k) {
      EXPECT_FLOAT_EQ(load(6 * (n - 1) + 3 + k, 2), jl[n - 1][k]) << n << " " << k;
      EXPECT_EQ(static_cast<float>(load(6 * (n - 1) + 3 + k, 1)), 0.0f);
    }
  // With no displacement the plate forces are minus the joint loads taken onto
  // the plate freedoms (w being minus the local z translation).
  option(elements::kEleState, 1, true);
  const float* finc = kv::rptr(record(1) + pl::kFInc);
  EXPECT_FLOAT_EQ(finc[2], 450.0f);      // w of J1: -(-450)
  EXPECT_FLOAT_EQ(finc[0], 2250.0f);     // rotation about x of J1: -(-2250)
  EXPECT_FLOAT_EQ(finc[1], -4500.0f);    // rotation about y of J1
  const std::string out = unit6();
  EXPECT_NE(out.find("         1    2  FORCE     1   0.000000E+00   0.000000E+00   4.500000E+02   2.250000E+03  -4.500000E+03\n"
                     "                 DISP      1   0.000000E+00   0.000000E+00   0.000000E+00   0.000000E+00   0.000000E+00\n"
                     "                 FORCE     2"),
            std::string::npos)
      << out;
}

// ---------------------------------------------------------------- reports

TEST_F(PlateModel, PeaksCommitAndReset) {
  flat_plate();
  elements({{16, "P", {1, 1, 2, 3, 4}}});
  solution_tables(2);
  // Case 2 is case 1 reversed: every component ties, and the earlier case stays.
  disp(1, 1) = 1.0e-4f;
  disp(1, 2) = -1.0e-4f;
  option(elements::kEleState, 1);
  const float* fmax = kv::rptr(record(1) + pl::kFMax);
  const float* finc = kv::rptr(record(1) + pl::kFInc);
  const float case2 = finc[12];
  EXPECT_LT(case2, 0.0f);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(fmax[i], -finc[i]) << i;

  // Two commits of case 2: the accumulated force outgrows every peak.
  option(elements::kEleCommit, 1);
  option(elements::kEleCommit, 1);
  EXPECT_FLOAT_EQ(kv::rzm(record(1) + pl::kFTot + 12), 2.0f * case2);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(fmax[i], kv::rzm(record(1) + pl::kFTot + i)) << i;

  int ltype = 0;
  option(elements::kEleMaxima, 1, true, &ltype);
  std::string out = unit6();
  EXPECT_NE(out.find("MAXIMUM LOADS AND DISPL AT MAXIMUM LOADS  NOTE: MAXIMUM VALUES MAY NOT OCCUR SIMULTANEOUSLY"),
            std::string::npos);
  EXPECT_NE(out.find("         1    1  FORCE     1"), std::string::npos) << out;

  option(elements::kEleReset, 1);
  out = unit6();
  EXPECT_NE(out.find(" PLATE.... ELEMENT #     1  INTERNAL FORCES IS RESET TO ZERO"), std::string::npos);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(kv::rzm(record(1) + pl::kFTot + i), 0.0f);
    EXPECT_EQ(fmax[i], 0.0f);
  }
  EXPECT_FLOAT_EQ(kv::rzm(record(1) + pl::kBase), 3.0e6f);  // the set copied in again
}

TEST_F(PlateModel, HistoryRecordsRoundTripWithEveryThirdPrinted) {
  flat_plate();
  elements({{16, "P", {1, 1, 2, 3, 4}}});
  const std::filesystem::path hist = dir_ / "hist.out";
  ASSERT_TRUE(fio::open(20, hist.string()));
  kv::ctl(kv::kIUNIT) = 20;
  fio::write_record(20, " 2 1 1 0.0 0.5");
  float* ftot = kv::rptr(record(1) + pl::kFTot);
  float* dtot = kv::rptr(record(1) + pl::kDTot);
  for (int r = 0; r < 4; ++r) {
    for (int i = 0; i < 20; ++i) {
      ftot[i] = static_cast<float>(100 * r + i + 1);
      dtot[i] = -static_cast<float>(100 * r + i + 1);
    }
    option(elements::kEleHistWrite, 1);
  }
  fio::flush(20);
  const std::string text = kvtest::read_file(hist);
  // J1: u, v, w, rotation x, rotation y = q13, q14, q3, q1, q2.
  EXPECT_NE(text.find("     1   0.130000E+02   0.140000E+02   0.300000E+01   0.100000E+01   0.200000E+01\n"
                      "     1  -0.130000E+02  -0.140000E+02  -0.300000E+01  -0.100000E+01  -0.200000E+01\n"
                      "     2   0.150000E+02"),
            std::string::npos)
      << text;
  EXPECT_EQ(pptest::count(text, "\n"), 1 + 4 * 8);

  fio::rewind(20);
  std::string header;
  fio::read_record(20, header);
  kv::ctl(kv::kINC) = 3;
  option(elements::kEleHistRead, 1);
  const std::string out = unit6();
  EXPECT_NE(out.find("     PLATE ELEMENT FORCES & DISPLACEMENTS..."), std::string::npos);
  // Steps 0 and 3 of 0..3.
  EXPECT_EQ(pptest::count(out, "FORCE      1"), 2) << out;
  EXPECT_NE(out.find("\n         0 0.00000E+00 FORCE      1   1.300000E+01"), std::string::npos) << out;
  EXPECT_NE(out.find("\n         3 0.15000E+01 FORCE      1   3.130000E+02"), std::string::npos) << out;
  EXPECT_NE(out.find(std::string(23, ' ') + "DISP       4  -3.190000E+02"), std::string::npos) << out;
  EXPECT_FLOAT_EQ(ftot[0], 301.0f);  // the last record read
}

}  // namespace
