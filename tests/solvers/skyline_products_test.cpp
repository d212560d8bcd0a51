// Products of a skyline matrix with a vector over blocks of rows and columns.
#include "solvers/skyline_products.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
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

// A random skyline matrix of order n with columns up to hmax high and a
// vector x of values in -1..1, for the tests of the rounding order.
template <class X>
struct Wide {
  Profile p;
  std::vector<SkyReal> s;
  std::vector<X> x;
  Wide(unsigned seed, int n, int hmax) {
    std::mt19937 rng(seed);
    p = solvertest::profile_from_tops(solvertest::random_tops(n, hmax, rng));
    s = solvertest::pack<SkyReal>(solvertest::random_spd(p, rng), p);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int i = 0; i < n; ++i) x.push_back(static_cast<X>(u(rng)));
  }
};

// The product's roundings are those of one running float sum per row: the
// upper part column by column, then the row's stored terms left of the
// diagonal in ascending column order. Wide rows (taken several at a time) and
// narrow ones alike.
TEST(SkyProducts, EachRowKeepsItsOrderOfSums) {
  const int n = 120;
  const Wide<float> w(21, n, 60);
  const auto& [p, s, x] = w;
  const auto at = [&](int i, int j) { return s[static_cast<std::size_t>(p.mdiag[j - 1] - 1 + j - i)]; };
  for (const Block b : {Block{1, n, 1, n}, Block{40, n, 1, 39}, Block{1, 80, 81, n}, Block{57, 111, 5, 100}}) {
    std::vector<float> ref(n, 0.5f);
    for (int j = b.jc1; j <= b.jc2; ++j)
      for (int i = std::max(p.top[j], b.ir1); i <= std::min(j, b.ir2); ++i) ref[i - 1] = ref[i - 1] + at(i, j) * x[j - 1];
    for (int i = b.ir1; i <= b.ir2; ++i)
      for (int j = std::max(p.top[i], b.jc1); j <= std::min(i - 1, b.jc2); ++j) ref[i - 1] = ref[i - 1] + at(j, i) * x[j - 1];
    std::vector<float> out(n, 0.5f);
    solvers::skymul(false, false, p.stored(), n, b.ir1, b.ir2, b.jc1, b.jc2, p.mdiag.data(), s.data(), out.data(),
                    x.data());
    for (int i = 0; i < n; ++i)
      EXPECT_EQ(std::bit_cast<std::uint32_t>(out[i]), std::bit_cast<std::uint32_t>(ref[i])) << b.ir1 << " " << i;
  }
}

// The column sums of the reactions: each column one running sum from the last
// solved row up, with the factor applied to every term.
TEST(SkyProducts, ColumnSumsRunFromTheLastRowUp) {
  const int n = 130;
  const int hi = 100;  // rows 1..100 solved, columns 101..130 restrained
  const Wide<float> w(22, n, 110);
  const auto& [p, s, x] = w;
  for (const int lo : {1, 37}) {
    std::vector<float> ref(n, 0.25f);
    for (int j = hi + 1; j <= n; ++j)
      for (int i = hi; i >= std::max(lo, p.top[j]); --i)
        ref[j - 1] += s[static_cast<std::size_t>(p.mdiag[j - 1] - 1 + j - i)] * x[i - 1] * 1.5f;
    std::vector<float> out(n, 0.25f);
    solvers::add_column_sums_descending(hi + 1, n, lo, hi, p.mdiag.data(), s.data(), out.data(), x.data(), 1.5f);
    for (int i = 0; i < n; ++i)
      EXPECT_EQ(std::bit_cast<std::uint32_t>(out[i]), std::bit_cast<std::uint32_t>(ref[i])) << lo << " " << i;
  }
}

// The double product's roundings are those of one column at a time: each
// column's own sum over its rows in ascending order, and each p(i) taking its
// terms in ascending column order.
TEST(SkyProducts, DoubleProductKeepsTheOrderOfOneColumnAtATime) {
  const int n = 150;
  const Wide<double> w(23, n, 70);
  const auto& [p, s, x] = w;
  for (const int lo : {1, 23}) {
    std::vector<double> ref(n, 0.125);
    for (int j = lo; j <= n; ++j) {
      const SkyReal* col = s.data() + p.mdiag[j - 1] - 1;
      const double fx = -0.75 * x[j - 1];
      double pj = static_cast<double>(col[0]) * x[j - 1];
      for (int i = std::max(p.top[j], lo); i < j; ++i) {
        ref[i - 1] += col[j - i] * fx;
        pj += col[j - i] * x[i - 1];
      }
      ref[j - 1] += -0.75 * pj;
    }
    std::vector<double> out(n, 0.125);
    solvers::skymul_double(lo, n, p.mdiag.data(), s.data(), x.data(), out.data(), -0.75);
    for (int i = 0; i < n; ++i)
      EXPECT_EQ(std::bit_cast<std::uint64_t>(out[i]), std::bit_cast<std::uint64_t>(ref[i])) << lo << " " << i;
  }
}

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
