// The frame member's transformations: of end actions to the joints, g = T u,
// and of joint displacements to the member, u = T' g, each component summed
// over k = 1..12 in turn. Checked bit for bit against that plain sum, on
// values whose sum depends on its order, and against hand values of a turned
// member.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "elements/beam_frame.h"

namespace {

using elements::frame::Mat12;

// Component i of T v (transposed: of T' v) in float, one term at a time:
// ((0 + T(i,1) v(1)) + T(i,2) v(2)) + ...
std::array<float, 12> plain_sum(const Mat12& t, const std::array<float, 12>& v, bool transposed) {
  std::array<float, 12> out{};
  for (int i = 0; i < 12; ++i) {
    float sum = 0.0f;
    for (int k = 0; k < 12; ++k)
      sum += t[static_cast<std::size_t>(transposed ? k + 12 * i : i + 12 * k)] * v[static_cast<std::size_t>(k)];
    out[static_cast<std::size_t>(i)] = sum;
  }
  return out;
}

struct JointCase {
  const char* name;
  float big;    // a term large enough to swallow the small ones in one order and not in another
  float small;
};

class ToJoints : public ::testing::TestWithParam<JointCase> {};

TEST_P(ToJoints, EachComponentIsTheSumInTheOrderOfItsTerms) {
  const JointCase& c = GetParam();
  Mat12 t{};
  std::array<float, 12> v{};
  for (int k = 0; k < 12; ++k) {
    v[static_cast<std::size_t>(k)] = (k % 3 == 0 ? c.big : c.small) * (k % 2 == 0 ? 1.0f : -1.0f);
    for (int i = 0; i < 12; ++i)
      t[static_cast<std::size_t>(i + 12 * k)] = 1.0f + 0.1f * static_cast<float>((i * 7 + k * 5) % 11);
  }
  std::array<float, 12> g{};
  elements::frame::to_joints(t, v.data(), g.data());
  const std::array<float, 12> ref = plain_sum(t, v, false);
  EXPECT_EQ(std::memcmp(g.data(), ref.data(), sizeof g), 0);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(g[static_cast<std::size_t>(i)], ref[static_cast<std::size_t>(i)]) << i;

  std::array<float, 12> u{};
  elements::frame::to_local(t, v.data(), u.data());
  const std::array<float, 12> ref_local = plain_sum(t, v, true);
  EXPECT_EQ(std::memcmp(u.data(), ref_local.data(), sizeof u), 0);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(u[static_cast<std::size_t>(i)], ref_local[static_cast<std::size_t>(i)]) << i;
}

INSTANTIATE_TEST_SUITE_P(Orders, ToJoints,
                         ::testing::Values(JointCase{"Plain", 3.0f, 0.7f}, JointCase{"SwallowedTerms", 1.0e8f, 3.0f},
                                           JointCase{"Tiny", 1.0e-30f, 7.0e-38f}),
                         [](const auto& info) { return std::string(info.param.name); });

// A member along global Y: local x = Y, local y = -X, local z = Z in the four
// 3x3 blocks (T(row, col) at row + 12 col, a global row and a local column).
// The local end actions go back to X = -fy, Y = fx, Z = fz.
TEST(ToJoints, TurnedMemberTakesItsActionsToTheGlobalAxesAndBack) {
  Mat12 t{};
  for (int b = 0; b < 4; ++b) {
    const int o = 3 * b;
    t[static_cast<std::size_t>((o + 1) + 12 * (o + 0))] = 1.0f;   // local x = Y
    t[static_cast<std::size_t>((o + 0) + 12 * (o + 1))] = -1.0f;  // local y = -X
    t[static_cast<std::size_t>((o + 2) + 12 * (o + 2))] = 1.0f;   // local z = Z
  }
  std::array<float, 12> u{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  std::array<float, 12> g{};
  elements::frame::to_joints(t, u.data(), g.data());
  EXPECT_EQ(g, (std::array<float, 12>{-2, 1, 3, -5, 4, 6, -8, 7, 9, -11, 10, 12}));
  // And back: joint X, Y, Z displacements to local x = Y, y = -X, z = Z.
  std::array<float, 12> back{};
  elements::frame::to_local(t, g.data(), back.data());
  EXPECT_EQ(back, u);
}

}  // namespace
