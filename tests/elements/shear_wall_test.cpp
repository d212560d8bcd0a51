// The shear walls, types 3 ("SHEAR WALL") and 14 ("SHEAR_OPEN"): geometry and
// degrees of freedom, rigid-body motions, stiffness terms by hand, the type-14
// axial scaling, the history read-back with its moment-shear statistics,
// the damage line, and a cantilever wall under "SOL" 1.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "elements/element_model.h"
#include "elements/inelastic/shear_wall.h"
#include "support/test_support.h"

namespace {

using etest::count_of;
using etest::near_rel;
using etest::Node;
namespace sw = elements::shear_wall;

using Point = std::array<float, 3>;

// Node n with six equations of its own: 6(n-1)+1 .. 6n.
std::array<int, 6> own(int n) { return {6 * n - 5, 6 * n - 4, 6 * n - 3, 6 * n - 2, 6 * n - 1, 6 * n}; }

class WallModel : public etest::ElementModel {
 protected:
  WallModel() : ElementModel("wall") {}

  // Joints 1..4 = J1..J4 at the points, each with six equations of its own.
  void joints(const std::array<Point, 4>& p) {
    std::vector<Node> list;
    for (int k = 1; k <= 4; ++k) {
      const Point& q = p[static_cast<std::size_t>(k - 1)];
      list.push_back({k, q[0], q[1], q[2], own(k)});
    }
    nodes(list, 24);
  }

  // Three "BILINEAR" sets (type 7: KE, PY, KIE, DY, EY, Du, BETA).
  struct Bilinear {
    float ke, py, kie = 0.0f, max_duct = 10.0f;
  };
  void bilinear_sets(const std::array<Bilinear, 3>& b) {
    material_table(3);
    for (int s = 1; s <= 3; ++s) {
      const Bilinear& m = b[static_cast<std::size_t>(s - 1)];
      const float dy = m.py / m.ke;
      const std::array<float, 7> prop{m.ke, m.py, m.kie, dy, dy * m.py / 2.0f, m.max_duct * dy, 0.0f};
      material_record(s, 7, prop.data(), prop.size(), 8);
    }
  }

  // One wall of the type on joints 1..4 and sets 1..3.
  void wall(int type, float alpha, float pkg = 0.0f) {
    lay_elements({{type, "WALL", {1, 2, 3, 1, 2, 3, 4, alpha, pkg}}},
                 [](int t) { return t == 3 ? sw::kWallWords : sw::kOpenWords; });
  }

  void solution(bool elastic) {
    kv::set_ctl_logical(kv::kELASTC, elastic);
    solution_tables(1);
    kv::ctl(kv::kSolVector65) = static_cast<std::int32_t>(take(24));
    kv::zero_words(kv::ctl(54), 24 * 3);
  }
  float unbalanced(int eq) { return kv::rzm(kv::ctl(kv::kSolVector65) + eq - 1); }

  std::array<float, 3> words(int k) { return {rword(1, k), rword(1, k + 1), rword(1, k + 2)}; }

  // All state words of element 1, both halves.
  std::vector<float> state_words() {
    std::vector<float> v;
    for (int k = 0; k < iword(1, sw::kNhyst); ++k) v.push_back(rword(1, sw::kBase + k));
    return v;
  }
};

class ShearWall : public WallModel {};

constexpr std::array<Point, 4> kRectangle{{{0, 0, 10}, {5, 0, 10}, {5, 0, 0}, {0, 0, 0}}};
// Top edge 4, bottom edge 6, both horizontal.
constexpr std::array<Point, 4> kTrapezoid{{{1, 0, 10}, {5, 0, 10}, {6, 0, 0}, {0, 0, 0}}};
// A wall whose plane runs along (3, 4, 0) in plan, off the global axes.
constexpr std::array<Point, 4> kSkew{{{0, 0, 10}, {3, 4, 10}, {3, 4, 0}, {0, 0, 0}}};

// ------------------------------------------------------------ rigid-body motions

struct RigidCase {
  const char* name;
  int type;
  const std::array<Point, 4>* joints;
};

TEST_F(ShearWall, RigidBodyMotionsStrainNoSpring) {
  const RigidCase cases[] = {
      {"type 3 rectangle", 3, &kRectangle}, {"type 3 trapezoid", 3, &kTrapezoid}, {"type 3 skew", 3, &kSkew},
      {"type 14 rectangle", 14, &kRectangle}, {"type 14 trapezoid", 14, &kTrapezoid}, {"type 14 skew", 14, &kSkew},
  };
  // Translations along X, Y, Z and rotations about X, Y, Z through the point
  // (2, 1, 3): u = t + w x (p - c), the joint rotations w.
  const Point centre{2, 1, 3};
  for (const RigidCase& rc : cases) {
    for (int motion = 0; motion < 6; ++motion) {
      SCOPED_TRACE(std::string(rc.name) + ", motion " + std::to_string(motion + 1));
      SetUp();
      joints(*rc.joints);
      bilinear_sets({{{1.0e6f, 1.0e20f}, {1.0e5f, 1.0e20f}, {1.0e4f, 1.0e20f}}});
      wall(rc.type, 0.3f);
      ASSERT_GT(checks_[0].nd, 0);
      solution(false);
      Point t{}, w{};
      if (motion < 3) t[static_cast<std::size_t>(motion)] = 0.01f;
      else w[static_cast<std::size_t>(motion - 3)] = 0.001f;
      for (int k = 1; k <= 4; ++k) {
        const Point& p = (*rc.joints)[static_cast<std::size_t>(k - 1)];
        const Point r{p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]};
        const Point u{t[0] + w[1] * r[2] - w[2] * r[1], t[1] + w[2] * r[0] - w[0] * r[2],
                      t[2] + w[0] * r[1] - w[1] * r[0]};
        for (int j = 1; j <= 3; ++j) {
          disp(own(k)[static_cast<std::size_t>(j - 1)]) = u[static_cast<std::size_t>(j - 1)];
          disp(own(k)[static_cast<std::size_t>(j + 2)]) = w[static_cast<std::size_t>(j - 1)];
        }
      }
      option(elements::kEleState, 1);
      // Joint displacements are of order 0.01; a strained spring would show
      // deformations of that order (a rotation of the wall gives 2Lθ = 0.02
      // of shear when the edge rotations are counted against the drift).
      for (float d : words(sw::kDdef)) EXPECT_NEAR(d, 0.0f, 2e-7f);
      for (float f : words(sw::kDfrc)) EXPECT_NEAR(f, 0.0f, 2e-3f);
      TearDown();
    }
  }
  SetUp();
}

// ------------------------------------------------------------ geometry

TEST_F(ShearWall, RectangularWallKeepsItsSixInPlaneTranslations) {
  struct Case {
    int type;
    std::vector<int> lm;
  };
  // J1 FX, J1 FZ, J2 FZ, J3 FZ, J4 FX, J4 FZ; FY and the rotations move
  // nothing in the wall's plane and are dropped.
  for (const Case& cs : {Case{3, {1, 3, 9, 15, 19, 21}}, Case{14, {1, 3, 9, 15, 19, 21}}}) {
    SCOPED_TRACE(cs.type);
    SetUp();
    joints(kRectangle);
    bilinear_sets({{{1.0e6f, 1.0e20f}, {1.0e5f, 1.0e20f}, {1.0e4f, 1.0e20f}}});
    wall(cs.type, 0.5f);
    EXPECT_EQ(location(1, elements::kEleStiff), cs.lm);
    EXPECT_EQ(checks_[0].nback, 600 - 21);
    EXPECT_FLOAT_EQ(rword(1, sw::kLength), 10.0f);
    const std::string out = unit6();
    EXPECT_NE(out.find("  1.0000E+01  5.0000E+00  5.0000E-01  0.0000E+00"), std::string::npos) << out;
    EXPECT_EQ(out.find("TWISTED"), std::string::npos);
    TearDown();
  }
  SetUp();
}

TEST_F(ShearWall, InputFaultsAreReportedAndTheRunGoesOn) {
  struct Case {
    const char* name;
    std::array<Point, 4> joints;
    const char* message;  // nullptr: no message of the kind
    bool rejected;
  };
  const Case cases[] = {
      // Trapezoid: the mean width of edges 4 and 6.
      {"trapezoid", kTrapezoid, nullptr, false},
      // J1 above J3 and J2 above J4: the edge normals point apart.
      {"twisted", {{{5, 0, 10}, {0, 0, 10}, {5, 0, 0}, {0, 0, 0}}}, " WARNING THE WALL IS TWISTED=  1.8000E+02", false},
      // The top joints on the bottom joints: no height.
      {"flat", {{{0, 0, 0}, {5, 0, 0}, {5, 0, 0}, {0, 0, 0}}}, "ROR - LENGTH IS LE 0", true},
      // All four joints on one vertical line: no width, no wall plane.
      {"collinear", {{{0, 0, 10}, {0, 0, 10}, {0, 0, 0}, {0, 0, 0}}}, "ROR - WIDTH IS LE 0", true},
      // A triangular panel (J1 = J2): its top edge has no normal, no twist test.
      {"triangle", {{{3, 0, 10}, {3, 0, 10}, {6, 0, 0}, {0, 0, 0}}}, nullptr, false},
  };
  for (const Case& cs : cases) {
    SCOPED_TRACE(cs.name);
    SetUp();
    joints(cs.joints);
    bilinear_sets({{{1.0e6f, 1.0e20f}, {1.0e5f, 1.0e20f}, {1.0e4f, 1.0e20f}}});
    wall(3, 0.5f);
    const std::string out = unit6();
    const std::string name = cs.name;
    if (cs.message != nullptr) {
      EXPECT_NE(out.find(cs.message), std::string::npos) << out;
    }
    if (name != "twisted") {
      EXPECT_EQ(out.find("TWISTED"), std::string::npos) << out;
    }
    EXPECT_EQ(checks_[0].nd == 0, cs.rejected) << out;
    if (name == "trapezoid") {
      EXPECT_NE(out.find("  1.0000E+01  5.0000E+00"), std::string::npos) << out;
    }
    if (name == "triangle") {
      EXPECT_NE(out.find("  1.0000E+01  3.0000E+00"), std::string::npos) << out;
    }
    for (const char* bad : {"NaN", "nan", "Inf", "inf"}) EXPECT_EQ(out.find(bad), std::string::npos) << out;
    TearDown();
  }
  SetUp();
}

// ------------------------------------------------------------ stiffness

TEST_F(ShearWall, StiffnessTermsAreThoseOfTheThreeSprings) {
  // L = 10, W = 5, α = 0.5: αL/W = βL/W = 1. Spring stiffnesses KE/L (type 3)
  // or KS, KA/2L (type 14). Equations: J1 FX 1, J1 FZ 3, J2 FZ 9, J3 FZ 15,
  // J4 FX 19. Type 3 (VX along +X): bending (-1, 1, -1, 1)/W on J1..J4 FZ,
  // shear (1, -1, 1, 1, -1, -1) on J1 FX, J1 FZ, J2 FZ, J3 FZ, J4 FX, J4 FZ,
  // axial (0.5, 0.5, -0.5, -0.5) on the FZ. Type 14 (VX along -X): shear
  // (-1, 1, -1, -1, 1, 1), axial 1 on J1 FZ - J4 FZ, axial 2 on J2 FZ - J3 FZ.
  struct Term {
    int r, c;
    double value;
  };
  struct Case {
    int type;
    std::array<float, 3> ke;
    std::vector<Term> terms;
  };
  const Case cases[] = {
      // kb/L = 100, ks/L = 10, ka/L = 1.
      {3,
       {1000, 100, 10},
       {{1, 1, 10.0},
        {1, 19, -10.0},
        {1, 3, -10.0},
        {3, 3, 100.0 / 25 + 10 + 0.25},
        {3, 9, -100.0 / 25 - 10 + 0.25},
        {3, 15, 100.0 / 25 - 10 - 0.25},
        {9, 15, -100.0 / 25 + 10 - 0.25}}},
      // ks = 100, ka1/2L = 1, ka2/2L = 2.
      {14,
       {100, 20, 40},
       {{1, 1, 100.0}, {1, 19, -100.0}, {1, 3, -100.0}, {3, 3, 100.0 + 1.0}, {9, 9, 100.0 + 2.0}, {3, 21, 100.0 - 1.0},
        {9, 15, 100.0 - 2.0}}},
  };
  for (const Case& cs : cases) {
    SCOPED_TRACE(cs.type);
    SetUp();
    joints(kRectangle);
    bilinear_sets({{{cs.ke[0], 1.0e20f}, {cs.ke[1], 1.0e20f}, {cs.ke[2], 1.0e20f}}});
    wall(cs.type, 0.5f);
    const std::vector<double> k = expanded_matrix<double>(1, elements::kEleStiff);
    for (const Term& t : cs.terms) {
      EXPECT_TRUE(near_rel(k[static_cast<std::size_t>((t.r - 1) * 24 + t.c - 1)], t.value, 1e-5)) << t.r << "," << t.c;
      EXPECT_TRUE(near_rel(k[static_cast<std::size_t>((t.c - 1) * 24 + t.r - 1)], t.value, 1e-5)) << t.c << "," << t.r;
    }
    TearDown();
  }
  SetUp();
}

TEST_F(ShearWall, OpenWallAxialSpringYieldsAtHalfItsYieldForce) {
  // Axial 1 of KE = 1000, PY = 100 over L = 10: edge stiffness KE/2L = 50.
  // J1 FZ up by 0.5 gives 25 (elastic); by 3.0 the elastic 150 is held at
  // PY/2 = 50 and the 100 the spring does not take goes back to J1 FZ.
  struct Case {
    float lift, force, unbalanced;
  };
  for (const Case& cs : {Case{0.5f, 25.0f, 0.0f}, Case{3.0f, 50.0f, -100.0f}}) {
    SCOPED_TRACE(cs.lift);
    SetUp();
    joints(kRectangle);
    bilinear_sets({{{1.0e3f, 1.0e20f}, {1000.0f, 100.0f}, {1000.0f, 1.0e20f}}});
    wall(14, 0.5f);
    solution(false);
    disp(3) = cs.lift;
    option(elements::kEleState, 1);
    EXPECT_TRUE(near_rel(rword(1, sw::kDfrc + 1), cs.force, 1e-6));
    EXPECT_TRUE(near_rel(unbalanced(3), cs.unbalanced, 1e-6, 1e-4));
    TearDown();
  }
  SetUp();
}

TEST_F(ShearWall, GeometricStiffnessOfTheLateralDrifts) {
  // Unit-load kernel over L = 10: the in-plane drift J1 - J4 at 1/L, the
  // out-of-plane drift of each side edge at 0.5/L. The wall's z axis is -Y
  // (type 3: VX = +X, VY = +Z), so the out-of-plane terms sit on FY:
  // equations J1 FX 1, J1 FY 2, J2 FY 8, J3 FY 14, J4 FX 19, J4 FY 20.
  struct Term {
    int r, c;
    double value;
  };
  const Term terms[] = {{1, 1, 0.1},   {1, 19, -0.1},  {19, 19, 0.1}, {2, 2, 0.05}, {2, 20, -0.05},
                        {20, 20, 0.05}, {8, 8, 0.05}, {8, 14, -0.05}, {14, 14, 0.05}, {1, 2, 0.0},
                        {2, 8, 0.0},   {1, 3, 0.0}};
  joints(kRectangle);
  bilinear_sets({{{1.0e6f, 1.0e20f}, {1.0e5f, 1.0e20f}, {1.0e4f, 1.0e20f}}});
  kgdata(1, 1, 1);
  wall(3, 0.5f, 250.0f);
  EXPECT_TRUE(checks_[0].lkg);
  EXPECT_EQ(checks_[0].nback, 600 - 21 - 21);
  const elements::EleCall g = option(elements::kEleGeom, 1);
  EXPECT_EQ(g.kgdof, 6);
  EXPECT_FLOAT_EQ(g.pgeom, 250.0f);
  const std::vector<double> k = expanded_matrix<double>(1, elements::kEleGeom, true);
  for (const Term& t : terms)
    EXPECT_TRUE(near_rel(k[static_cast<std::size_t>((t.r - 1) * 24 + t.c - 1)], t.value, 1e-6, 1e-9))
        << t.r << "," << t.c;
}

TEST_F(ShearWall, AxialLoadOfThePreviousStepIsZeroBeforeAnyStep) {
  // Load source 2 forms the matrix even without PKG; its load is the axial
  // force change of the last state determination, none yet.
  joints(kRectangle);
  bilinear_sets({{{1.0e6f, 1.0e20f}, {1.0e5f, 1.0e20f}, {1.0e4f, 1.0e20f}}});
  kgdata(2, 1, 2);
  wall(3, 0.5f);
  EXPECT_TRUE(checks_[0].lkg);
  elements::EleCall g = option(elements::kEleGeom, 1);
  EXPECT_EQ(g.pgeom, 0.0f);
  // Lifting the top by 0.1 stretches the axial spring (KE/L = 1000) by 0.1:
  // a tension of 100, which is an axial load of -100.
  solution(false);
  disp(3) = 0.1f;
  disp(9) = 0.1f;
  option(elements::kEleState, 1);
  g = option(elements::kEleGeom, 1);
  EXPECT_TRUE(near_rel(g.pgeom, -100.0, 1e-5));
}

TEST_F(ShearWall, OpenWallWithSpringSetsOfOtherTypesKeepsTheirStates) {
  // The type-14 wall writes its height and width into a SHEAR2 shear set's
  // state only: the state words of springs of other materials are those their
  // own set-up gives, as in a type-3 wall on the same sets.
  std::vector<float> states[2];
  const int types[2] = {3, 14};
  for (int i = 0; i < 2; ++i) {
    SetUp();
    joints(kRectangle);
    bilinear_sets({{{1.0e3f, 1.0e20f}, {2.0e3f, 1.0e20f}, {3.0e3f, 1.0e20f}}});
    wall(types[i], 0.5f);
    states[i] = state_words();
    EXPECT_EQ(words(sw::kKtan), (std::array<float, 3>{1.0e3f, 2.0e3f, 3.0e3f}));
    TearDown();
  }
  SetUp();
  EXPECT_EQ(states[0], states[1]);
}

TEST_F(ShearWall, LoadCasesCombinationsAndReset) {
  // Shear spring KE/L = 1000 (type 3, L = 10): a drift of J1 of d gives a
  // shear displacement d and a shear force 1000 d.
  joints(kRectangle);
  bilinear_sets({{{1.0e6f, 1.0e20f}, {1.0e4f, 1.0e20f}, {1.0e6f, 1.0e20f}}});
  wall(3, 0.5f);
  solution(false);
  solution_tables(2);
  kv::ctl(kv::kSolVector65) = static_cast<std::int32_t>(take(24));
  disp(1, 1) = 0.001f;
  disp(1, 2) = -0.003f;
  unit6();
  int ltype = 0;
  option(elements::kEleState, 1, true, &ltype);
  // Each case prints its own line; the maxima keep the larger trial force.
  const std::string out = unit6();
  EXPECT_NE(out.find("         1    1      1    2    3    4"), std::string::npos) << out;
  EXPECT_NE(out.find("         1    2      1    2    3    4"), std::string::npos) << out;
  EXPECT_TRUE(near_rel(rword(1, sw::kFmax + 1), -3.0, 1e-5));
  EXPECT_TRUE(near_rel(rword(1, sw::kDfmax + 1), -0.003, 1e-5));

  // A combination hands the modal forces over and takes the combined ones.
  kv::solsta().rsmeth = 1.0f;
  option(elements::kEleState, 1);
  EXPECT_TRUE(near_rel(kv::solsta().rsforc[2], -3.0, 1e-5));
  kv::solsta().rsforc[1] = 7.0f;
  kv::solsta().rsforc[2] = 8.0f;
  kv::solsta().rsforc[3] = 9.0f;
  option(elements::kEleCommit, 1);
  EXPECT_EQ(words(sw::kTfrc), (std::array<float, 3>{7.0f, 8.0f, 9.0f}));
  EXPECT_EQ(words(sw::kTdef), (std::array<float, 3>{0.0f, 0.0f, 0.0f}));
  kv::solsta().rsmeth = 0.0f;

  // Reset: forces, deformations and maxima zero, springs as at input.
  kv::rzm(record(1) + sw::kBase + 1) = 123.0f;  // a state word the set-up starts anew
  option(elements::kEleReset, 1);
  for (int k : {sw::kDdef, sw::kTdef, sw::kDfrc, sw::kTfrc, sw::kFmax, sw::kDfmax})
    EXPECT_EQ(words(k), (std::array<float, 3>{0.0f, 0.0f, 0.0f})) << k;
  EXPECT_EQ(rword(1, sw::kBase), 1.0e6f);
  EXPECT_NE(unit6().find(" SHEAR WALL..... ELEMENT #     1  INTERNAL FORCES AND HYSTERESIS MODELS ARE RESET TO ZERO"),
            std::string::npos);
}

// ------------------------------------------------------------ reports

TEST_F(ShearWall, ReadBackPrintsTheMomentShearStatistics) {
  struct Case {
    const char* name;
    std::vector<std::array<float, 2>> mv;  // moment, shear of each record
    std::vector<std::string> present, absent;
  };
  const Case cases[] = {
      // Ratios 3, 2.5, 7/3: average 47/18; sums 15/6; least squares M = 2V + 1.
      {"three",
       {{3, 1}, {5, 2}, {7, 3}},
       {"AVERAGE MOMENT/SHEAR RATIO=  2.6111E+00          3 POINTS WERE USED,  POINTS WITH V=0 ARE EXCLUDED",
        "REGRESSION MOMENT-SHEAR EQUN:    M =  2.5000E+00* V" + std::string(24, ' ') + "3 POINTS WERE USED",
        "REGRESSION MOMENT-SHEAR EQUN:    M =  2.0000E+00* V +  1.0000E+00          3 POINTS WERE USED"},
       {}},
      // One record: no line can be fitted.
      {"single",
       {{4, 2}},
       {"RATIO=  2.0000E+00          1 POINTS", "M =  2.0000E+00* V" + std::string(24, ' ') + "1 POINTS"},
       {"* V +"}},
      // Every shear 0: the average of no ratio, and no slope of the sums.
      {"no shear", {{4, 0}, {6, 0}}, {"RATIO=  0.0000E+00          0 POINTS"}, {"REGRESSION", "Inf", "NaN"}},
  };
  for (const Case& cs : cases) {
    SCOPED_TRACE(cs.name);
    SetUp();
    joints(kRectangle);
    bilinear_sets({{{1.0e6f, 1.0e20f}, {1.0e5f, 1.0e20f}, {1.0e4f, 1.0e20f}}});
    wall(3, 0.5f);
    solution(false);
    const std::string path = (dir_ / "hist31.dat").string();
    ASSERT_TRUE(fio::open(31, path));
    fio::write(31, "(3I10,1P,2E15.5)", 2, 1, 1, 0.0f, 0.01f);
    fio::write(31, "(4I5)", 1, 2, 3, 4);
    for (const auto& r : cs.mv) fio::write(31, "(1P,8E10.3)", r[0], 0.0f, r[1], 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    fio::rewind(31);
    std::string line;
    ASSERT_EQ(fio::read_record(31, line), fio::Status::ok);
    kv::ctl(kv::kIUNIT) = 31;
    kv::ctl(kv::kINC) = 1;
    kv::rzm(record(1) + sw::kDfrc) = 7.5f;  // a live word the read-back must not touch
    option(elements::kEleHistRead, 1);
    const std::string out = unit6();
    for (const std::string& s : cs.present) EXPECT_NE(out.find(s), std::string::npos) << s << "\n" << out;
    for (const std::string& s : cs.absent) EXPECT_EQ(out.find(s), std::string::npos) << s << "\n" << out;
    EXPECT_EQ(count_of(out, "    R/C SHEAR WALL FORCES...     NODE1:     1"), 1);
    EXPECT_FLOAT_EQ(rword(1, sw::kDfrc), 7.5f);
    TearDown();
  }
  SetUp();
}

TEST_F(ShearWall, DamageLinePrintsTheIndexItself) {
  // The shear spring (KE = 1000, PY = 1000: DY = 1.0; Du = 4 DY) sees the
  // shear displacement over L = 10: a drift of J1 of 5.0 is half its yield
  // deformation, DI = 0.5 / 4 = 0.125, and the line shows 0.12500.
  joints(kRectangle);
  bilinear_sets({{{1.0e6f, 1.0e20f}, {1000.0f, 1000.0f, 0.0f, 4.0f}, {1.0e6f, 1.0e20f}}});
  wall(3, 0.5f);
  solution(false);
  disp(1) = 5.0f;  // J1 FX
  option(elements::kEleState, 1);
  option(elements::kEleCommit, 1);
  unit6();
  option(elements::kEleDamage, 1);
  const std::string out = unit6();
  EXPECT_NE(out.find("       0.12500"), std::string::npos) << out;
  EXPECT_EQ(out.find("       1.25000"), std::string::npos) << out;
}

// ------------------------------------------------------------ a deck

TEST(ShearWallDeck, CantileverWallUnderSol1) {
  // L = 100, W = 50, α = 0.5; bending KE 1E10, shear 1E6, axial 1E8 (per unit
  // length: k/L). 1000 lb at the top: drift H L/ks + α² H L³/kb
  // = 0.1 + 0.025 = 0.125; the couple of the base moment H L = 1E5 over W = 50
  // is 2000 lb in the bottom joints; the top edge turns by
  // -(α H L) L/kb = -5.0E-4 (the far top joint goes down 0.0125).
  const kvtest::RunResult r = kvtest::run_deck(kvtest::read_file(kvtest::case_path("shear_wall_sol1_cantilever.dat")));
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string& out = r.output;
  EXPECT_NE(out.find("         1  1.250000E-01   0.000000E+00   1.250000E-02"), std::string::npos) << out;
  EXPECT_NE(out.find("         2  1.250000E-01   0.000000E+00  -1.250000E-02"), std::string::npos) << out;
  EXPECT_NE(out.find("         3  0.0000000E+00  0.0000000E+00  2.0000000E+03"), std::string::npos) << out;
  EXPECT_NE(out.find("         4 -1.0000000E+03  0.0000000E+00 -2.0000000E+03"), std::string::npos) << out;
  // Moment α H L with the sign of the drift's shear, rotation, shear H and
  // its displacement H L/ks, no axial force.
  const std::size_t at = out.find("    R/C SHEAR WALL FORCES...");
  ASSERT_NE(at, std::string::npos) << out;
  const std::size_t line = out.find("\n         1    1      1    2    3    4", at);
  ASSERT_NE(line, std::string::npos) << out;
  std::istringstream in(out.substr(line + 38, 100));
  std::array<double, 6> v{};
  for (double& x : v) in >> x;
  EXPECT_TRUE(near_rel(v[0], -5.0e4, 1e-5));
  EXPECT_TRUE(near_rel(v[1], -5.0e-4, 1e-5));
  EXPECT_TRUE(near_rel(v[2], 1.0e3, 1e-5));
  EXPECT_TRUE(near_rel(v[3], 0.1, 1e-5));
  EXPECT_NEAR(v[4], 0.0, 1e-3);
  EXPECT_NEAR(v[5], 0.0, 1e-9);
}

TEST(ShearWallDeck, HistoryOfAPushedWallIsReadBackWithItsMomentShearLine) {
  // The cantilever of the deck above pushed to 1000 lb in four steps, the
  // element's history written at every step and read back. Statics fixes
  // M = -ALPHA L V = -50 V at every step: the average ratio, the ratio of the
  // sums and the least-squares slope are all -50 (the unloaded step 0 has
  // V = 0: not a ratio, but a point of the line). The strain energy at the
  // last step is H x drift / 2 = 1000 x 0.125 / 2 = 62.5.
  const kvtest::RunResult r = kvtest::run_deck(kvtest::read_file(kvtest::case_path("shear_wall_sol4_history.dat")));
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string& out = r.output;
  EXPECT_NE(out.find("AVERAGE MOMENT/SHEAR RATIO= -5.0000E+01          4 POINTS WERE USED"), std::string::npos) << out;
  EXPECT_NE(out.find("M = -5.0000E+01* V" + std::string(24, ' ') + "5 POINTS WERE USED"), std::string::npos) << out;
  EXPECT_NE(out.find("M = -5.0000E+01* V +"), std::string::npos) << out;
  EXPECT_NE(out.find("     4  0.0000E+00  -5.00000E+04  -5.00000E-04   1.00000E+03   1.00000E-01   0.00000E+00"
                     "   0.00000E+00  6.2500E+01  0.0000E+00"),
            std::string::npos)
      << out;
}

TEST(ShearWallDeck, LateralModeOfTheCantileverWall) {
  // The cantilever wall with the top's vertical translations condensed out
  // and a mass of 1 at each top joint (joint 2's carried over to joint 1):
  // lateral stiffness H / drift = 1000 / 0.125 = 8000, mass 2,
  // ω = sqrt(8000 / 2) = 63.2456 rad/s, f = ω / 2π = 10.0658 Hz.
  const kvtest::RunResult r = kvtest::run_deck(kvtest::read_file(kvtest::case_path("shear_wall_sol3_lateral_mode.dat")));
  ASSERT_EQ(r.status, 0) << r.console;
  EXPECT_NE(r.output.find(" FREQ (RAD/SEC):   6.32456E+01"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(" FREQUENCY (HZ):   1.00658E+01"), std::string::npos) << r.output;
}

TEST(ShearWallDeck, OpenWallEdgeYieldsAtHalfItsSpringsYieldForce) {
  // A type-14 wall whose joint 1 is lifted by a load P: with no lateral load
  // the shear spring carries nothing, so the edge J1-J4 carries P. Its
  // BILINEAR set (KE 1E6, PY 2000, KIE 1E5, per unit length, L = 100) gives
  // the edge KE/2L = 5000 up to PY/2 = 1000, then KIE/2L = 500: at P = 1000
  // the edge stretches 0.2, at P = 1500 by 0.2 + 500/500 = 1.2 (a spring
  // yielding at PY itself would give 0.3).
  const kvtest::RunResult r = kvtest::run_deck(kvtest::read_file(kvtest::case_path("shear_wall_sol4_open_edge_yield.dat")));
  ASSERT_EQ(r.status, 0) << r.console;
  std::vector<std::array<double, 6>> lines;
  const std::string head = "\n         1    2      1    2    3    4";
  for (std::size_t at = r.output.find(head); at != std::string::npos; at = r.output.find(head, at + 1)) {
    std::istringstream in(r.output.substr(at + head.size(), 100));
    std::array<double, 6> v{};
    for (double& x : v) in >> x;
    lines.push_back(v);
  }
  ASSERT_EQ(lines.size(), 11u) << r.output;
  EXPECT_TRUE(near_rel(lines[4][2], 1000.0, 1e-5));
  EXPECT_TRUE(near_rel(lines[4][3], 0.2, 1e-5));
  EXPECT_TRUE(near_rel(lines[9][2], 1500.0, 1e-5));
  EXPECT_TRUE(near_rel(lines[9][3], 1.2, 1e-5));
  EXPECT_EQ(lines[9][0], 0.0);  // no shear
}

}  // namespace
