// Compression depths of sections under strain planes worked by hand: the
// neutral axis of a plane strain field lies where the strain is zero, and the
// depth runs from the compressed face (through the middle of the cover).
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "members/rc/compression_depth.h"
#include "members/rc/rc_fibre_mesh.h"
#include "members/rc_test_sections.h"

namespace {

using namespace members::rc;

struct RectangleSection {
  std::vector<float> u, v, area, length, strain;
  RectangleSection() : u(42), v(42), area(42), length(42), strain(42) {
    sect11(rctest::rectangle(), {u, v, area, length});
  }
  void plane(const std::function<float(float, float)>& eps) {
    for (std::size_t k = 0; k < u.size(); ++k) strain[k] = eps(u[k], v[k]);
  }
  DepthInput input() const { return {3, 2, 2, 24.0f, 16.0f, 1.5f, u, v, area, length, strain}; }
};

TEST(CompressionDepth, RectangleUnderStrainPlanes) {
  struct Case {
    const char* what;
    std::function<float(float, float)> eps;
    float curu, curv;
    float depth_u, depth_v;
  };
  const Case cases[] = {
      // Neutral axis at V = 5, compression on the +V face at V = 12: 7 in.
      {"+V face", [](float, float v) { return -0.0001f * (v - 5.0f); }, 1e-4f, 0.0f, 0.0f, 7.0f},
      // Neutral axis at V = 2, compression on the -V face at V = -12: 14 in.
      {"-V face", [](float, float v) { return 0.0002f * (v - 2.0f); }, -2e-4f, 0.0f, 0.0f, 14.0f},
      // Neutral axis at U = 1, compression on the +U face at U = 8: 7 in.
      {"+U face", [](float u, float) { return -0.0003f * (u - 1.0f); }, 0.0f, 3e-4f, 7.0f, 0.0f},
      // Pure compression with tiny curvatures: the whole depth each way.
      {"compression", [](float, float) { return -0.001f; }, 1e-9f, 1e-9f, 16.0f, 24.0f},
      {"tension", [](float, float) { return 0.001f; }, 1e-4f, 1e-4f, 0.0f, 0.0f},
      // No curvature: the direction is not worked out.
      {"no curvature", [](float, float v) { return -0.0001f * (v - 5.0f); }, 0.0f, 0.0f, 0.0f, 0.0f},
  };
  RectangleSection s;
  for (const Case& c : cases) {
    s.plane(c.eps);
    const CompressionDepths d = nadept(s.input(), c.curu, c.curv);
    EXPECT_NEAR(d.u, c.depth_u, 1e-4f) << c.what;
    EXPECT_NEAR(d.v, c.depth_v, 1e-4f) << c.what;
  }
}

TEST(CompressionDepth, BiaxialPlaneUsesTheTestFibresOnly) {
  // eps = -1e-4 (V - 5) - 3e-4 (U - 1). Along V the test fibres sit at
  // U = 0.75, V = +-11.25: eps1 = -6.25e-4 + 7.5e-5, eps2 = 1.625e-3 + 7.5e-5,
  // depth = 0.75 + 5.5e-4 / 2.25e-3 * 22.5 = 6.25. Along U they sit at
  // U = +-7.25, V = 2.625: eps1 = 2.375e-4 - 1.875e-3, eps2 = 2.375e-4 + 2.475e-3,
  // depth = 0.75 + 1.6375e-3 / 4.35e-3 * 14.5 = 6.208333.
  RectangleSection s;
  s.plane([](float u, float v) { return -0.0001f * (v - 5.0f) - 0.0003f * (u - 1.0f); });
  const CompressionDepths d = nadept(s.input(), 1e-4f, 3e-4f);
  EXPECT_NEAR(d.v, 6.25f, 1e-4f);
  EXPECT_NEAR(d.u, 6.208333f, 1e-4f);
}

TEST(CompressionDepth, ZeroTestStrainLeavesTheDepthAtZero) {
  RectangleSection s;
  s.plane([](float, float v) { return -0.0001f * (v - 5.0f); });
  s.strain[20] = 0.0f;  // fibre 21, the +U test fibre
  const CompressionDepths d = nadept(s.input(), 1e-4f, 1e-4f);
  EXPECT_NEAR(d.v, 7.0f, 1e-4f);
  EXPECT_EQ(d.u, 0.0f);
}

TEST(CompressionDepth, CircleBentThroughItsCentre) {
  // Diameter 24, cover 1.5, NQ 3: the test fibres of layer 1 sit at radius
  // 11.25 and 15 degrees off the V axis, so the depth is 0.75 + 11.25 cos 15.
  std::vector<float> u(64), v(64), area(64), length(64), strain(64);
  members::rc::SectionGeometry g = rctest::circle_with_bars();
  g.nbar1 = 0;
  sectc2(g, {u, v, area, length});
  const DepthInput in{2, 3, 5, 24.0f, 1.5f, 0.0f, u, v, area, length, strain};
  for (std::size_t k = 0; k < 64; ++k) strain[k] = -0.0002f * v[k];
  CompressionDepths d = nadept(in, 2e-4f, 0.0f);
  EXPECT_NEAR(d.v, 0.75f + 11.25f * 0.96592583f, 1e-4f);
  EXPECT_EQ(d.u, 0.0f);
  // Along U the +U test fibre is in tension: the depth runs from the -U face.
  for (std::size_t k = 0; k < 64; ++k) strain[k] = 0.0001f * u[k];
  d = nadept(in, 0.0f, -1e-4f);
  EXPECT_NEAR(d.u, 0.75f + 11.25f * 0.96592583f, 1e-4f);
  EXPECT_EQ(d.v, 0.0f);
}

TEST(CompressionDepth, UnknownKindAndMissingFibres) {
  RectangleSection s;
  s.plane([](float, float) { return -0.001f; });
  DepthInput in = s.input();
  in.imater = 4;
  CompressionDepths d = nadept(in, 1.0f, 1.0f);
  EXPECT_EQ(d.u, 0.0f);
  EXPECT_EQ(d.v, 0.0f);
  in = s.input();
  in.n1 = 20;  // test fibres beyond the table
  d = nadept(in, 1.0f, 1.0f);
  EXPECT_EQ(d.u, 0.0f);
  EXPECT_EQ(d.v, 0.0f);
}

}  // namespace
