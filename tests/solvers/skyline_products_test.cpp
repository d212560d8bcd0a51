// Products of a skyline matrix with a vector over blocks of rows and columns.
#include "solvers/skyline_products.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "solver_test_support.h"

namespace {

using kv::SkyReal;
using solvertest::Dense;
using solvertest::Profile;

struct Fixture {
  Profile p;
  Dense a;
  std::vector<SkyReal> s;
  std::vector<float> x;
  explicit Fixture(unsigned seed, int n = 14) : a(n) {
    std::mt19937 rng(seed);
    p = solvertest::profile_from_tops(solvertest::random_tops(n, 6, rng));
    a = solvertest::random_spd(p, rng);
    s = solvertest::pack<SkyReal>(a, p);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int i = 0; i < n; ++i) x.push_back(static_cast<float>(u(rng)));
  }
  int n() const { return a.n; }
  // Sum over j in jc1..jc2 of A(i, j) x(j), with the upper triangle only when asked.
  double ref(int i, int jc1, int jc2, bool upper_only) const {
    double r = 0.0;
    for (int j = jc1; j <= jc2; ++j)
      if (!upper_only || i <= j) r += a(i, j) * x[j - 1];
    return r;
  }
  void mul(bool upper, bool lzero, int ir1, int ir2, int jc1, int jc2, std::vector<float>& out) {
    if (upper)
      solvers::skymuu(false, lzero, p.stored(), n(), ir1, ir2, jc1, jc2, p.mdiag.data(), s.data(),
                      out.data(), x.data());
    else
      solvers::skymul(false, lzero, p.stored(), n(), ir1, ir2, jc1, jc2, p.mdiag.data(), s.data(),
                      out.data(), x.data());
  }
};

struct Block {
  int ir1, ir2, jc1, jc2;
};

class SkyProducts : public ::testing::TestWithParam<Block> {};

TEST_P(SkyProducts, MatchTheDenseProduct) {
  Fixture f(11);
  const Block b = GetParam();
  for (bool upper : {false, true}) {
    std::vector<float> out(f.n(), 123.0f);
    f.mul(upper, true, b.ir1, b.ir2, b.jc1, b.jc2, out);
    for (int i = 1; i <= f.n(); ++i) {
      if (i < b.ir1 || i > b.ir2) {
        EXPECT_EQ(out[i - 1], 123.0f) << "row outside the block touched: " << i;
      } else {
        EXPECT_NEAR(out[i - 1], f.ref(i, b.jc1, b.jc2, upper), 1e-5 * 20) << i << (upper ? " upper" : "");
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Blocks, SkyProducts,
                         ::testing::Values(Block{1, 14, 1, 14},   // the full product
                                           Block{1, 5, 6, 14},    // coupling of 1..5 with the rest
                                           Block{6, 14, 1, 5},    // and back
                                           Block{3, 9, 4, 11},    // an inner block
                                           Block{7, 7, 7, 7}));   // one diagonal term

TEST(SkyProducts, AddsToTheVectorWithoutLzero) {
  Fixture f(12);
  const int n = f.n();
  std::vector<float> out(n, 0.0f);
  f.mul(false, false, 1, n, 1, 6, out);
  f.mul(false, false, 1, n, 7, n, out);
  for (int i = 1; i <= n; ++i) EXPECT_NEAR(out[i - 1], f.ref(i, 1, n, false), 2e-5 * 20) << i;
  // And onto what is there.
  std::vector<float> base(n, 1.0f);
  f.mul(false, false, 1, n, 1, n, base);
  for (int i = 1; i <= n; ++i) EXPECT_NEAR(base[i - 1], 1.0 + f.ref(i, 1, n, false), 2e-5 * 20) << i;
}

TEST(SkyProducts, ResultLinesWhenTraced) {
  // A = [[2, 1], [1, 3]], x = (1, 2): A x = (4, 7).
  const Profile p = solvertest::profile_from_tops({0, 1, 1});
  const std::vector<SkyReal> a = {2.0f, 3.0f, 1.0f};
  const std::vector<float> x = {1.0f, 2.0f};
  std::vector<float> out(2);
  solvertest::Unit6 u6;
  solvers::skymul(true, true, 3, 2, 1, 2, 1, 2, p.mdiag.data(), a.data(), out.data(), x.data());
  const auto lines = u6.lines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "  TRIANGULAR MULTIPLACATION");
  EXPECT_EQ(lines[2], "   IR1:    1 IR2:    2 JC1:    1 JC2:    2 N:    2");
  const std::size_t k = lines.size();
  EXPECT_EQ(lines[k - 3], "  DOF:     1  X(DOF)   1.00000E+00 A*X=P(DOF):   4.00000E+00");
  EXPECT_EQ(lines[k - 2], "  DOF:     2  X(DOF)   2.00000E+00 A*X=P(DOF):   7.00000E+00");
}

}  // namespace
