// The steel section library against the closed-form properties of its shapes.
// The fibres stand at cell centres and carry no inertia of their own, so a
// mesh's moment of inertia sits slightly below the exact one.
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "member_fixture.h"
#include "members/steel/steel_section_mesh.h"

namespace {

using members::SectionWords;

struct Mesh {
  std::vector<float> u, v, area, flen;
  members::MeshResult res;
  explicit Mesh(const SectionWords& w, int room = 0) {
    const int n = room > 0 ? room : members::steel_fibre_count(w);
    u.assign(n, 0.0f);
    v.assign(n, 0.0f);
    area.assign(n, 0.0f);
    flen.assign(n, 0.0f);
    res = members::ecclib(w, {u, v, area, flen});
  }
  double a() const { double s = 0; for (float x : area) s += x; return s; }
  double iu() const { double s = 0; for (size_t i = 0; i < u.size(); ++i) s += area[i] * double(v[i]) * v[i]; return s; }
  double iv() const { double s = 0; for (size_t i = 0; i < u.size(); ++i) s += area[i] * double(u[i]) * u[i]; return s; }
  double zu() const { double s = 0; for (size_t i = 0; i < u.size(); ++i) s += area[i] * std::fabs(double(v[i])); return s; }
  double su() const { double s = 0; for (size_t i = 0; i < u.size(); ++i) s += area[i] * double(u[i]); return s; }
  double sv() const { double s = 0; for (size_t i = 0; i < u.size(); ++i) s += area[i] * double(v[i]); return s; }
  double torsion(const SectionWords& w, float tota) const {
    return members::torcon(w, tota, flen, area);
  }
};

SectionWords box(float h, float w, float t, float n1, float n2) {
  SectionWords s;
  s.libn = members::kLibBox;
  s.d1 = h;
  s.d2 = w;
  s.t = t;
  s.n1 = n1;
  s.n2 = n2;
  return s;
}

SectionWords words(int libn, float d1, float d2, float n1, float n2, float t,
                   std::array<int, 4> irev = {}) {
  SectionWords s;
  s.libn = libn;
  s.d1 = d1;
  s.d2 = d2;
  s.n1 = n1;
  s.n2 = n2;
  s.t = t;
  s.irev = irev;
  return s;
}

struct ShapeCase {
  std::string name;
  SectionWords w;
  int nump;
  double area, iu, zu;  // zu < 0: not checked
  float tota;
  double j;             // torsion constant
  double tol_i;         // the mesh inertia is rounded to this
};

TEST(SteelMesh, ShapesAgainstClosedForms) {
  constexpr double pi = std::numbers::pi;
  const ShapeCase cases[] = {
      // Box 12 x 8 x 0.5: exact I 375.58; Bredt J = 4 A_m^2 t / s on the mid-line
      // (A_m = 11.5 x 7.5 = 86.25, s = 38).
      {"box 12x8", box(12, 8, 0.5f, 4, 6), 40, 19.0, 374.31, 76.25, 86.25f, 391.53, 0.005},
      // Box 10 x 10 x 0.5: Z 67.75 is exact for the mesh as for the shape.
      {"box 10x10", box(10, 10, 0.5f, 4, 5), 36, 19.0, 285.4258, 67.75, 90.25f,
       4 * 90.25 * 90.25 * 0.5 / 38, 0.00005},
      // Tube R 5 t 0.5: A = 2 pi R t, I = pi R^3 t, J = 2 pi R^3 t when TOTA = pi R^2.
      {"tube", words(members::kLibTube, 5, 0, 8, 0, 0.5f), 32, 2 * pi * 5 * 0.5, 196.35, -1,
       static_cast<float>(pi * 25), 2 * pi * 125 * 0.5, 0.4},
      // Solid 20 high x 10 wide, 5 x 10 cells a quarter: exact I 6666.7, Z = b h^2/4.
      {"rectangle", words(members::kLibRectangle, 20, 10, 5, 10, 0), 200, 200.0, 6650.0, 1000.0,
       0.0f, 10 * 125 * (5.3333 - 1.68 * (1 - 625.0 / 120000)), 0.005},
      // Wide flange 14 x 10, web 0.5, flanges 0.75 in two layers, web in 16:
      // exact I 740.44; J = (tw^3 hw + 2 tf^3 bf)/3.
      {"wide flange", words(members::kLibWideFlange, 14, 10, 0.5f, 0, 0.75f, {2, 8, 1, 16}), 48,
       21.25, 739.95, -1, 0.0f, 10.0 / 3.0, 0.005},
      // Tube in two rings at R +- t/4: the same area; J from the mean circumference.
      {"two rings", words(members::kLibTwoRings, 5, 0, 8, 0, 0.5f), 64, 2 * pi * 5 * 0.5, -1, -1,
       static_cast<float>(pi * 25), 2 * pi * 125 * 0.5, 0},
      // Angle L6 x 0.5: J = (6 + 5.5) 0.5^3 / 3 from the first layer of each leg.
      {"angle", words(members::kLibAngle, 6, 0, 0, 0, 0.5f, {12, 2, 11, 2}), 46, 5.75, -1, -1,
       0.0f, 11.5 * 0.125 / 3, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(members::steel_fibre_count(c.w), c.nump);
    Mesh m(c.w);
    ASSERT_EQ(m.res.nump, c.nump);
    EXPECT_NEAR(m.a(), c.area, 2e-5 * c.area);
    if (c.iu > 0) {
      EXPECT_NEAR(m.iu(), c.iu, c.tol_i + 2e-6 * c.iu);
    }
    if (c.zu > 0) {
      EXPECT_NEAR(m.zu(), c.zu, 2e-5 * c.zu);
    }
    EXPECT_NEAR(m.torsion(c.w, c.tota), c.j, 2e-4 * c.j);
    // Doubly symmetric shapes and the angles are meshed about their centroid.
    EXPECT_NEAR(m.su(), 0.0, 1e-4);
    EXPECT_NEAR(m.sv(), 0.0, 1e-4);
  }
}

TEST(SteelMesh, BoxFibreOrderCornerFirstAndMidLinePerimeter) {
  const SectionWords w = box(12, 8, 0.5f, 2, 3);
  Mesh m(w);
  ASSERT_EQ(m.res.nump, 20);
  // Fibre 1 is the corner of the lower quarter on the +U side.
  EXPECT_FLOAT_EQ(m.u[0], 3.75f);
  EXPECT_FLOAT_EQ(m.v[0], -5.75f);
  EXPECT_FLOAT_EQ(m.area[0], 0.25f);
  // Web cells upward from the corner (DH = 5.5/2), then flange cells toward U = 0.
  EXPECT_FLOAT_EQ(m.v[1], -5.5f + 1.375f);
  EXPECT_FLOAT_EQ(m.v[2], -5.5f + 3 * 1.375f);
  EXPECT_FLOAT_EQ(m.u[3], 3.5f - 0.875f);
  EXPECT_FLOAT_EQ(m.u[4], 3.5f - 3 * 0.875f);
  // Mirrored quarters: (U,-V), (-U,V), (-U,-V).
  EXPECT_FLOAT_EQ(m.v[5], 5.75f);
  EXPECT_FLOAT_EQ(m.u[10], -3.75f);
  EXPECT_FLOAT_EQ(m.v[10], -5.75f);
  EXPECT_FLOAT_EQ(m.u[15], -3.75f);
  EXPECT_FLOAT_EQ(m.v[15], 5.75f);
  double s = 0;
  for (float f : m.flen) s += f;
  EXPECT_NEAR(s, 2 * (12 - 0.5) + 2 * (8 - 0.5), 1e-5);
}

TEST(SteelMesh, TubeQuarterAnglesFromThePlusVAxis) {
  Mesh m(words(members::kLibTube, 5, 0, 2, 0, 0.5f));
  ASSERT_EQ(m.res.nump, 8);
  const double a1 = 22.5 * std::numbers::pi / 180, a2 = 67.5 * std::numbers::pi / 180;
  EXPECT_NEAR(m.u[0], 5 * std::sin(a1), 2e-6);
  EXPECT_NEAR(m.v[0], 5 * std::cos(a1), 2e-6);
  EXPECT_NEAR(m.u[1], 5 * std::sin(a2), 2e-6);
  // Second quarter (-U, V), third (U, -V).
  EXPECT_FLOAT_EQ(m.u[2], -m.u[0]);
  EXPECT_FLOAT_EQ(m.v[2], m.v[0]);
  EXPECT_FLOAT_EQ(m.u[4], m.u[0]);
  EXPECT_FLOAT_EQ(m.v[4], -m.v[0]);
  EXPECT_NEAR(m.flen[7], 2 * std::numbers::pi * 5 / 8, 1e-5);
}

TEST(SteelMesh, AnglesDifferOnlyInTheSignOfV) {
  const std::array<int, 4> irev{6, 2, 5, 2};
  Mesh a(words(members::kLibAngle, 6, 0, 0, 0, 0.5f, irev));
  Mesh b(words(members::kLibAngleMirrored, 6, 0, 0, 0, 0.5f, irev));
  ASSERT_EQ(a.res.nump, 22);
  ASSERT_EQ(b.res.nump, 22);
  // Heel at (C, C), C = (L^2 + L t - t^2)/(4L - 2t) from the outer faces.
  const float c = (36.0f + 3.0f - 0.25f) / 23.0f;
  EXPECT_FLOAT_EQ(a.u[5], c - 0.5f);  // last cell of leg 1's first layer
  EXPECT_FLOAT_EQ(a.v[0], c - 0.125f);
  for (size_t i = 0; i < a.u.size(); ++i) {
    EXPECT_EQ(a.u[i], b.u[i]);
    EXPECT_EQ(a.v[i], -b.v[i]);
    EXPECT_EQ(a.area[i], b.area[i]);
    EXPECT_EQ(a.flen[i], b.flen[i]);
  }
}

class SteelMeshOutput : public memtest::MemberOutputTest {};

TEST_F(SteelMeshOutput, PlateWithAnglesSizedFromItsOwnCountsWithThePlatesTorsion) {
  // Plate 12 x 1 with two L4 x 0.5 angles at its edges, 3 leg cells, 4 plate
  // cells a half: 4*3 + 2*4 + 2 = 22 fibres.
  SectionWords w = words(members::kLibPlateAngles, 12, 1, 3, 4, 0.5f);
  w.eccx0 = 4;
  ASSERT_EQ(members::steel_fibre_count(w), 22);
  Mesh m(w);
  ASSERT_EQ(m.res.nump, 22);
  // Plate 12 + two angles of (4 + 3.5) x 0.5.
  EXPECT_NEAR(m.a(), 12 + 2 * 7.5 * 0.5, 1e-4);
  // The origin is the centroid in V and the plate's centre in U.
  EXPECT_NEAR(m.sv(), 0.0, 2e-4);
  EXPECT_NEAR(m.su(), 0.0, 2e-4);
  // Open thin walls: b t^3 / 3 of the plate and of the four legs.
  EXPECT_NEAR(m.torsion(w, 0.0f), 12.0 / 3 + 2 * 7.5 * 0.125 / 3, 1e-5);
  EXPECT_EQ(m.res.iecop, 0);
  EXPECT_EQ(output(), "");

  // Asked for eccentric loading it says it cannot, and clears the option.
  w.iecop = 1;
  Mesh e(w);
  EXPECT_EQ(e.res.iecop, 0);
  EXPECT_FALSE(e.res.offsets);
  EXPECT_EQ(output(), " 1SECT5 LIBRARY FOR ECCENTRIC LOAD IS NOTAVAILABLE...............!\n");
}

TEST(SteelMesh, LoadingPointOffsets) {
  SectionWords w = box(10, 10, 0.5f, 4, 5);
  w.eccx0 = 2;
  w.eccy0 = -3;
  EXPECT_FALSE(Mesh(w).res.offsets);
  w.iecop = 1;
  Mesh m(w);
  EXPECT_TRUE(m.res.offsets);
  EXPECT_EQ(m.res.ulp, 2.0f);
  EXPECT_EQ(m.res.vlp, -3.0f);
  // Library 8 hands them back whatever the option holds.
  SectionWords a = words(members::kLibAngleMirrored, 6, 0, 0, 0, 0.5f, {2, 1, 2, 1});
  a.eccx0 = 1;
  EXPECT_TRUE(Mesh(a).res.offsets);
}

TEST(SteelMesh, UnusableWordsGiveNoFibresAndWriteNothing) {
  const SectionWords bad[] = {
      words(members::kLibAngleCover, 6, 8, 2, 3, 0.5f, {2, 2, 2, 2}),  // library 9: no mesh
      words(0, 10, 10, 4, 5, 0.5f),
      words(-1, 10, 10, 4, 5, 0.5f),
      words(10, 10, 10, 4, 5, 0.5f),
      box(10, 10, 0.5f, 4, 1),       // N2 1: no web cell height
      box(10, 10, 0.5f, 0, 5),
      box(10, 10, 0.5f, 2.5f, 2.5f), // not whole numbers
      words(members::kLibTube, 5, 0, 0, 0, 0.5f),
      words(members::kLibTube, 5, 0, -4, 0, 0.5f),
      words(members::kLibRectangle, 20, 10, 2.6f, 3, 0),
      words(members::kLibRectangle, 20, 10, NAN, 3, 0),
      words(members::kLibWideFlange, 14, 10, 0.5f, 0, 0.75f, {2, 8, 0, 16}),
      words(members::kLibPlateAngles, 12, 1, 3, 0.5f, 0.5f),
      words(members::kLibTwoRings, 5, 0, 1e9f, 0, 0.5f),  // beyond any record
      words(members::kLibAngle, 6, 0, 0, 0, 0.5f, {2, -1, 2, 1}),
  };
  for (const auto& w : bad) {
    SCOPED_TRACE(w.libn);
    EXPECT_EQ(members::steel_fibre_count(w), 0);
    Mesh m(w, 8);
    EXPECT_EQ(m.res.nump, 0);
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(m.u[i], 0.0f);
      EXPECT_EQ(m.area[i], 0.0f);
    }
  }
}

TEST_F(SteelMeshOutput, NotAvailableLine) {
  members::print_section_not_available(3, 9.0f);
  EXPECT_EQ(output(), " MAT. NO.    =  3 IS NOT AVAILABLE LIBN=  0.900E+01 CHECK LIBN \n\n");
}

}  // namespace
