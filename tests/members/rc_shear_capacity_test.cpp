// Shear capacities and the torsion constant of the reinforced-concrete
// sections, against hand calculations: concrete k sqrt(f'c) 0.8 Ag, hoops
// fyh Av d' / (s tan 30), and the rectangle's series torsion constant.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "fio/fio.h"
#include "members/rc/rc_fibre_mesh.h"
#include "members/rc/rc_section.h"
#include "members/rc/rc_section_head.h"
#include "members/rc/shear_capacity.h"
#include "rc_test_sections.h"

namespace {

using namespace members::rc;
using Head = std::array<float, kHeadWords + 1>;

Head circle(float spacing) {
  Head h{};
  h[kLIBN] = 2; h[kD1] = 24; h[kD2] = 1.5f; h[kHOOP1] = 0.5f; h[kHOOP2] = spacing;
  h[kYSHOOP] = 60000; h[kFPC] = 4000;
  return h;
}

Head rectangle(float spacing) {
  Head h{};
  h[kLIBN] = 3; h[kD1] = 24; h[kD2] = 16; h[kT2] = 1.5f; h[kRHOOPDIA] = 0.5f; h[kRHOOPSPA] = spacing;
  h[kHOOP1] = 0.01f; h[kHOOP2] = 0.015f; h[kYSHOOP] = 60000; h[kFPC] = 4000;
  return h;
}

TEST(RcShearCapacity, HandValues) {
  // Circle: Ag = 452.39, sqrt(4000) = 63.246; Ah = 0.19635, D' = 21.5.
  // Rectangle: Ag = 384; UU' = 13.5, HH' = 21.5; Avu = 4*0.01*21.5, Avv = 4*0.015*13.5.
  // Zero spacing: the rectangle's s cancels, fyh rho HH' UU' / tan 30.
  const double t30 = std::tan(3.14159 / 6.0);
  struct Case {
    const char* name;
    Head head;
    double vci, vcf, vsu, vsv;
  };
  const Case cases[] = {
      {"circle", circle(4), 8.011e4, 1.373e4, 1.723e5, 1.723e5},
      {"circle, no spacing", circle(0), 8.011e4, 1.373e4, 0.0, 0.0},
      {"rectangle", rectangle(4), 6.800e4, 1.166e4, 3.016e5, 4.525e5},
      {"rectangle, no spacing", rectangle(0), 6.800e4, 1.166e4, 60000 * 0.01 * 21.5 * 13.5 / t30,
       60000 * 0.015 * 13.5 * 21.5 / t30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto r = shear_capacities(c.head.data());
    ASSERT_TRUE(r.has_value());
    EXPECT_NEAR(r->vci, c.vci, 5e-4 * c.vci);
    EXPECT_NEAR(r->vcf, c.vcf, 5e-4 * c.vcf);
    EXPECT_NEAR(r->vsu, c.vsu, 5e-4 * c.vsu);
    EXPECT_NEAR(r->vsv, c.vsv, 5e-4 * c.vsv);
    EXPECT_TRUE(std::isfinite(r->vsu) && std::isfinite(r->vsv));
  }
  Head other = circle(4);
  other[kLIBN] = 4;
  EXPECT_FALSE(shear_capacities(other.data()).has_value());
}

TEST(RcShearCapacity, ReportOnBothFiles) {
  rctest::Unit6 out;
  const auto side = out.dir / "side48.txt";
  fio::open(48, side.string());
  const Head h = circle(4);
  report_shear_capacities(7, *shear_capacities(h.data()));
  fio::close(48);
  const std::string lines =
      " MAT. NO.    =  7\n"
      " INITIAL CONCRETE SHEAR CAPACITY (VCI in lb)  = 8.011E+04\n"
      " FINAL CONCRETE SHEAR CAPACITY (VCF in lb)    = 1.373E+04\n"
      " TRANS.STEEL SHEAR CAPACITY,U0 DIR (VSu in lb)= 1.723E+05\n"
      " TRANS.STEEL SHEAR CAPACITY,V0 DIR (VSv in lb)= 1.723E+05\n";
  EXPECT_EQ(out.text(), "\n" + lines + "\n");
  EXPECT_EQ(kvtest::read_file(side), lines);
}

TEST(RcTorsion, RectangleAndCircle) {
  // Rectangle 24 x 16: a = 12, b = 8, a b^3 (5.3333 - 3.36 (b/a)(1 - b^4/(12 a^4))) = 19232.
  SectionGeometry g = rctest::rectangle();
  const int nump = 42;
  std::vector<float> u(nump), v(nump), area(nump), length(nump);
  float ex = 0.0f, ey = 0.0f;
  ASSERT_EQ(sectlb(g, {u, v, area, length}, ex, ey), nump);
  EXPECT_NEAR(torrc(kRectangular, 384.0f, length), 19232.0, 1.0);
  // Solid circle of area pi 12^2: pi r^4 / 2 with r = 12, whatever the mesh.
  const float tota = 3.14159f * 144.0f;
  for (int libn : {kCircularShell, kCircularBars}) {
    EXPECT_NEAR(torrc(libn, tota, length), 3.14159 * 20736.0 / 2.0, 0.5) << libn;
  }
}

}  // namespace
