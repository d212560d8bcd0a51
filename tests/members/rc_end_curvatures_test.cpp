// End curvatures of a cubic segment from its end increments, and their
// totals. The oracle is the Hermite deflection through the ends: with the
// end rotation about U equal to -v' and about V equal to u', the curvature
// about U at an end is the slope of the rotation there, -v'' (and u'' about
// V). For L = 2 the second derivatives of the shape functions are, at end A,
// -6/L^2, -4/L, 6/L^2, -2/L and, at end B, 6/L^2, 2/L, -6/L^2, 4/L.
#include <array>
#include <vector>

#include <gtest/gtest.h>

#include "members/rc/end_curvatures.h"
#include "members/segment_kinematics.h"

namespace {

using namespace members;
using members::rc::EndCurvatures;
using members::rc::EndCurvatureTotals;
using members::rc::rot12b;

constexpr Frame kIdentity{1, 0, 0, 0, 1, 0, 0, 0, 1};
// Segment U along member y, V along member -x, chord along z.
constexpr Frame kQuarterTurn{0, 1, 0, -1, 0, 0, 0, 0, 1};

struct Case {
  const char* what;
  Frame r;
  std::array<float, 6> da, db;  // member axes: u, v, w, rotations about x, y, z
  EndDeformation want;
};

TEST(EndCurvatures, HermiteEndCurvaturesOfACubicSegment) {
  constexpr float L = 2.0f;
  const std::vector<Case> cases{
      // Rotation field -0.01 .. +0.01 along L: slope 0.01 at both ends.
      {"single curvature about U", kIdentity, {0, 0, 0, -0.01f, 0, 0}, {0, 0, 0, 0.01f, 0, 0},
       {0, 0.01f, 0, 0, 0.01f, 0}},
      // -v''(0) = -(4 + 2) 0.01 / L, -v''(L) = +(2 + 4) 0.01 / L.
      {"double curvature about U", kIdentity, {0, 0, 0, 0.01f, 0, 0}, {0, 0, 0, 0.01f, 0, 0},
       {0, -0.03f, 0, 0, 0.03f, 0}},
      // v = vB (3 x^2/L^2 - 2 x^3/L^3): v''(0) = 6 vB/L^2 = 0.06, v''(L) = -0.06.
      {"end B displaced across V", kIdentity, {0, 0, 0, 0, 0, 0}, {0, 0.04f, 0, 0, 0, 0},
       {0, -0.06f, 0, 0, 0.06f, 0}},
      // u'' at the ends for an end-B offset along U: +0.06, -0.06.
      {"end B displaced across U", kIdentity, {0, 0, 0, 0, 0, 0}, {0.04f, 0, 0, 0, 0, 0},
       {0, 0, 0.06f, 0, 0, -0.06f}},
      {"rigid rotation about U", kIdentity, {0, 0, 0, 0.01f, 0, 0}, {0, -0.02f, 0, 0.01f, 0, 0},
       {0, 0, 0, 0, 0, 0}},
      {"rigid rotation about V", kIdentity, {0, 0, 0, 0, 0.01f, 0}, {0.02f, 0, 0, 0, 0.01f, 0},
       {0, 0, 0, 0, 0, 0}},
      {"axial stretch, torsion ignored", kIdentity, {0, 0, 0.001f, 0, 0, 0.3f}, {0, 0, 0.005f, 0, 0, -0.2f},
       {0.002f, 0, 0, 0.002f, 0, 0}},
      // Member rotations about y are rotations about the segment's U axis.
      {"single curvature in a turned frame", kQuarterTurn, {0, 0, 0, 0, -0.01f, 0}, {0, 0, 0, 0, 0.01f, 0},
       {0, 0.01f, 0, 0, 0.01f, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const EndDeformation d = segdefb(local_ends(c.r, c.da, c.db), L);
    EXPECT_NEAR(d.dec1, c.want.dec1, 1e-7f);
    EXPECT_NEAR(d.dec2, c.want.dec2, 1e-7f);
    EXPECT_NEAR(d.dcu1, c.want.dcu1, 1e-7f);
    EXPECT_NEAR(d.dcu2, c.want.dcu2, 1e-7f);
    EXPECT_NEAR(d.dcv1, c.want.dcv1, 1e-7f);
    EXPECT_NEAR(d.dcv2, c.want.dcv2, 1e-7f);
  }
}

TEST(EndCurvatures, TotalsAccumulatePerSegment) {
  std::vector<float> cu1(3, 0.0f), cu2(3, 0.0f), cv1(3, 0.0f), cv2(3, 0.0f);
  const EndCurvatureTotals t{cu1.data(), cu2.data(), cv1.data(), cv2.data()};
  EndDeformation d;
  d.dcu1 = -0.03f;
  d.dcu2 = 0.03f;
  d.dcv1 = 0.01f;
  d.dcv2 = -0.02f;
  rot12b(d, 2, t);
  const EndCurvatures n = rot12b(d, 2, t);
  EXPECT_FLOAT_EQ(n.cu1, -0.06f);
  EXPECT_FLOAT_EQ(n.cu2, 0.06f);
  EXPECT_FLOAT_EQ(n.cv1, 0.02f);
  EXPECT_FLOAT_EQ(n.cv2, -0.04f);
  EXPECT_FLOAT_EQ(n.largest(), 0.06f);
  EXPECT_EQ(cu1[1], n.cu1);
  EXPECT_EQ(cv2[1], n.cv2);
  for (int i : {0, 2}) {
    EXPECT_EQ(cu1[i], 0.0f);
    EXPECT_EQ(cu2[i], 0.0f);
    EXPECT_EQ(cv1[i], 0.0f);
    EXPECT_EQ(cv2[i], 0.0f);
  }
}

}  // namespace
