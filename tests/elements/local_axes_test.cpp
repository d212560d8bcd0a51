// Element local axes and the vector routines.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "base/globals.h"
#include "elements/local_axes.h"
#include "fio/fio.h"
#include "support/test_support.h"

namespace {

using V3 = std::array<float, 3>;
using M3 = std::array<float, 9>;  // column by column

constexpr M3 kIdentity{1, 0, 0, 0, 1, 0, 0, 0, 1};
constexpr M3 kZero{};
constexpr float kInf = std::numeric_limits<float>::infinity();

float at(const M3& m, int i, int j) { return m[static_cast<std::size_t>((i - 1) + 3 * (j - 1))]; }

class LocalAxes : public ::testing::Test {
 protected:
  void SetUp() override {
    kv::reset_globals();
    fio::close(6);
    path_ = kvtest::fresh_dir("locaxs") / "unit6.out";
    ASSERT_TRUE(fio::open(6, path_.string()));
  }
  void TearDown() override { fio::close(6); }
  std::string unit6() {
    fio::close(6);
    return kvtest::read_file(path_);
  }

  // LOCAXS with the node's six constraint offsets given in a row of spacing 2.
  bool call(V3& vx, V3& vy, const M3& cn, float dx, float dy, float dz,
            const std::array<float, 6>& tcon = {}) {
    std::array<float, 12> table{};
    for (int k = 0; k < 6; ++k) table[static_cast<std::size_t>(2 * k)] = tcon[static_cast<std::size_t>(k)];
    return elements::locaxs(vx, vy, cn, d_, dx, dy, dz, e_, table.data(), 2);
  }

  std::filesystem::path path_;
  M3 d_{}, e_{};
};

TEST_F(LocalAxes, MemberAlongGlobalXGivesIdentityBlocks) {
  V3 vx{10, 0, 0}, vy{0, 3, 0};
  ASSERT_TRUE(call(vx, vy, kIdentity, 0, 0, 0));
  EXPECT_EQ(vx, (V3{1, 0, 0}));
  EXPECT_EQ(vy, (V3{0, 1, 0}));
  EXPECT_EQ(d_, kIdentity);
  EXPECT_EQ(e_, kZero);
  EXPECT_EQ(unit6(), "");
}

TEST_F(LocalAxes, ReferenceVectorIsMadeNormalToTheMember) {
  V3 vx{0, 0, 4}, vy{1, 0, 1};  // a column with VY leaning along it
  ASSERT_TRUE(call(vx, vy, kIdentity, 0, 0, 0));
  EXPECT_EQ(vx, (V3{0, 0, 1}));
  EXPECT_FLOAT_EQ(vy[0], 1.0f);
  EXPECT_FLOAT_EQ(vy[1], 0.0f);
  EXPECT_FLOAT_EQ(vy[2], 0.0f);
  // Columns of D are the member axes in the node axes: x = Z, y = X, z = x X y = Y.
  EXPECT_FLOAT_EQ(at(d_, 3, 1), 1.0f);
  EXPECT_FLOAT_EQ(at(d_, 1, 2), 1.0f);
  EXPECT_FLOAT_EQ(at(d_, 2, 3), 1.0f);
}

TEST_F(LocalAxes, ZeroReferenceVectorTakesGlobalXAsTheZAxis) {
  V3 vx{0, 5, 0}, vy{0, 0, 0};
  ASSERT_TRUE(call(vx, vy, kIdentity, 0, 0, 0));
  EXPECT_EQ(vy, (V3{0, 0, 1}));
  // Rows of R: (0,1,0), (0,0,1), (1,0,0); D = R'.
  EXPECT_EQ(d_, (M3{0, 1, 0, 0, 0, 1, 1, 0, 0}));
  EXPECT_EQ(unit6(), "");
}

TEST_F(LocalAxes, RotatedNodeAxes) {
  // Node axes: x' = global Y, y' = -X, z' = Z. D(i, j) = node axis i . member axis j.
  const M3 cn{0, -1, 0, 1, 0, 0, 0, 0, 1};
  V3 vx{2, 0, 0}, vy{0, 1, 0};
  ASSERT_TRUE(call(vx, vy, cn, 0, 0, 0));
  EXPECT_EQ(d_, (M3{0, -1, 0, 1, 0, 0, 0, 0, 1}));
}

TEST_F(LocalAxes, SmallRotationTermsBecomeZero) {
  V3 vx{1, 5.0e-5f, 0}, vy{0, 1, 0};
  ASSERT_TRUE(call(vx, vy, kIdentity, 0, 0, 0));
  EXPECT_EQ(at(d_, 2, 1), 0.0f);
  EXPECT_EQ(at(d_, 1, 2), 0.0f);
  EXPECT_EQ(d_, kIdentity);
}

TEST_F(LocalAxes, ConstraintOffsetsAndRigidEndZone) {
  V3 vx{1, 0, 0}, vy{0, 1, 0};
  // With D = I, E = S: T12 T13 T21 T23 T31 T32 in their places.
  ASSERT_TRUE(call(vx, vy, kIdentity, 0, 0, 0, {1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(e_, (M3{0, 3, 5, 1, 0, 6, 2, 4, 0}));

  // A rigid end offset DX alone adds D [d x]: E(2,3) = -DX, E(3,2) = DX.
  ASSERT_TRUE(call(vx, vy, kIdentity, 2, 0, 0));
  EXPECT_EQ(e_, (M3{0, 0, 0, 0, 0, 2, 0, -2, 0}));

  // Both: the offsets of the node and of the end zone add.
  ASSERT_TRUE(call(vx, vy, kIdentity, 0, 3, 0, {1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(e_, (M3{0, 0, -3, 1, 0, 0, 3, 0, 0}));
}

struct RejectCase {
  const char* name;
  V3 vx, vy;
};

class Rejected : public LocalAxes, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(Rejected, MessageAndNoAxes) {
  V3 vx = GetParam().vx, vy = GetParam().vy;
  d_.fill(7.0f);
  e_.fill(7.0f);
  EXPECT_FALSE(call(vx, vy, kIdentity, 0, 0, 0));
  EXPECT_EQ(vx, GetParam().vx);  // left as they came
  EXPECT_EQ(vy, GetParam().vy);
  EXPECT_EQ(d_, kZero);  // nothing undefined reaches the caller
  EXPECT_EQ(e_, kZero);
  EXPECT_EQ(unit6(), " VY IS PARAELL TO VX, REINPUT VY\n");
}

INSTANTIATE_TEST_SUITE_P(LocalAxes, Rejected,
                         ::testing::Values(RejectCase{"Parallel", {3, 0, 0}, {2, 0, 0}},
                                           RejectCase{"AntiParallel", {0, 0, 1}, {0, 0, -5}},
                                           RejectCase{"NearlyParallel", {1, 0, 0}, {1, 1.0e-4f, 0}},
                                           RejectCase{"ZeroVYAlongGlobalX", {4, 0, 0}, {0, 0, 0}},
                                           RejectCase{"ZeroMember", {0, 0, 0}, {0, 1, 0}},
                                           // Joints beyond the float range apart give no member axis.
                                           RejectCase{"InfiniteMember", {kInf, 0, 0}, {0, 1, 0}},
                                           RejectCase{"InfiniteReference", {1, 0, 0}, {0, -kInf, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LocalAxes, SlightlySkewReferenceIsAccepted) {
  V3 vx{1, 0, 0}, vy{1, 0.01f, 0};  // cosine about 1 - 5e-5
  EXPECT_TRUE(call(vx, vy, kIdentity, 0, 0, 0));
  EXPECT_EQ(vy, (V3{0, 1, 0}));
}

// Vectors whose squares or cross products lie beyond the float range give the
// axes of the same directions at unit size: bit for bit those of the same
// vectors scaled by a power of two into the ordinary range.
TEST_F(LocalAxes, LargeVectorsGiveTheAxesOfTheirDirections) {
  struct Case {
    const char* what;
    V3 small_x, small_y;  // ordinary vectors
    int power;            // the large (or tiny) ones are these times 2^power
  };
  const Case cases[] = {
      {"long member, huge reference", {1, 0, 0}, {0, 1, 0}, 120},
      {"skew near the float range", {3, 3, 0}, {-2, 2, 1}, 126},
      {"tiny member", {0, 0, 1}, {1, 0, 1}, -110},
  };
  for (const Case& c : cases) {
    V3 vx{}, vy{}, sx = c.small_x, sy = c.small_y;
    for (std::size_t k = 0; k < 3; ++k) {
      vx[k] = std::ldexp(sx[k], c.power);
      vy[k] = std::ldexp(sy[k], c.power);
    }
    M3 small_d{};
    ASSERT_TRUE(call(sx, sy, kIdentity, 0, 0, 0)) << c.what;
    small_d = d_;
    ASSERT_TRUE(call(vx, vy, kIdentity, 0, 0, 0)) << c.what;
    EXPECT_EQ(vx, sx) << c.what;
    EXPECT_EQ(vy, sy) << c.what;
    EXPECT_EQ(d_, small_d) << c.what;
  }
  EXPECT_EQ(unit6(), "");
}

TEST(VectorRoutines, LengthsAndCosinesOfLargeAndSmallVectors) {
  EXPECT_FLOAT_EQ(elements::vlen(V3{3.0e38f, 0, 4.0e37f}), 3.0265492e38f);
  EXPECT_FLOAT_EQ(elements::vlen(V3{3.0e-30f, 4.0e-30f, 0}), 5.0e-30f);  // squares below the float range
  EXPECT_FLOAT_EQ(elements::vlen(V3{3, 4, 12}), 13.0f);
  EXPECT_EQ(elements::vlen(V3{3.0e38f, 3.0e38f, 0}), kInf);  // the length itself is beyond the range
  EXPECT_FLOAT_EQ(elements::vcos(V3{3.0e38f, 0, 0}, V3{2.0e38f, 2.0e38f, 0}), 0.70710678f);
  EXPECT_FLOAT_EQ(elements::vcos(V3{1.0e-30f, 0, 0}, V3{-1.0e-25f, 0, 0}), -1.0f);
}

TEST(VectorRoutines, CosineCrossAndNormalisedCross) {
  EXPECT_FLOAT_EQ(elements::vcos(V3{1, 0, 0}, V3{1, 1, 0}), 0.70710678f);
  EXPECT_FLOAT_EQ(elements::vcos(V3{2, 0, 0}, V3{-3, 0, 0}), -1.0f);
  EXPECT_EQ(elements::vcos(V3{0, 0, 0}, V3{1, 2, 3}), 0.0f);
  EXPECT_EQ(elements::vcos(V3{1, 2, 3}, V3{0, 0, 0}), 0.0f);

  V3 c{};
  elements::vcross(c, V3{1, 2, 3}, V3{4, 5, 6});
  EXPECT_EQ(c, (V3{-3, 6, -3}));

  V3 a{3, 0, 0}, b{0, 0, 2}, n{};
  elements::vcrosn(n, a, b, 0);
  EXPECT_EQ(n, (V3{0, -6, 0}));
  EXPECT_EQ(a, (V3{3, 0, 0}));
  elements::vcrosn(n, a, b, 1);
  EXPECT_EQ(a, (V3{1, 0, 0}));
  EXPECT_EQ(b, (V3{0, 0, 1}));
  EXPECT_EQ(n, (V3{0, -1, 0}));

  // A zero product stays zero instead of becoming NaN.
  V3 p{1, 1, 0}, q{2, 2, 0};
  elements::vcrosn(n, p, q, 1);
  EXPECT_EQ(n, (V3{0, 0, 0}));
}

}  // namespace
