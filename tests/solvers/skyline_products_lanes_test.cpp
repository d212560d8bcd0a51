// The skyline products against plain scalar loops of the documented order,
// bit for bit, on profiles where many rows and columns share their stored
// range (so that sums run side by side) and where few do.
#include "solvers/skyline_products.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using kv::SkyReal;

enum class Shape {
  random_heights,  // each column 1..hmax high, independently
  nodes,           // six equations a node, each node coupled with the hmax / 6 before it
  full_band,       // every column hmax high (or up to row 1)
  broken_band,     // the full band with now and then a column holding only its diagonal
};

struct Case {
  const char* name;
  Shape shape;
  int n;
  int hmax;  // column height limit, diagonal included
  unsigned seed;
};

// Column tops (1-based, top[0] unused) for the shape.
std::vector<int> tops_of(const Case& c, std::mt19937& rng) {
  std::vector<int> top(static_cast<std::size_t>(c.n) + 1, 1);
  std::uniform_int_distribution<int> h(1, c.hmax);
  std::uniform_int_distribution<int> one_in(0, 11);
  for (int j = 1; j <= c.n; ++j) {
    int height = c.hmax;
    switch (c.shape) {
      case Shape::random_heights: height = h(rng); break;
      case Shape::nodes: {
        const int node = (j - 1) / 6;
        const int first_node = std::max(0, node - c.hmax / 6);
        height = j - 6 * first_node;
        break;
      }
      case Shape::full_band: break;
      case Shape::broken_band: height = one_in(rng) == 0 ? 1 : c.hmax; break;
    }
    top[static_cast<std::size_t>(j)] = std::max(1, j - height + 1);
  }
  return top;
}

// Values in -2..2 with some exact zeros and negative zeros among them.
float value(std::mt19937& rng) {
  std::uniform_int_distribution<int> kind(0, 15);
  std::uniform_real_distribution<float> u(-2.0f, 2.0f);
  switch (kind(rng)) {
    case 0: return 0.0f;
    case 1: return -0.0f;
    default: return u(rng);
  }
}

struct Sky {
  std::vector<int> top;
  std::vector<std::int32_t> md;  // MDIAG(1..n+1)
  std::vector<SkyReal> a;
  int n = 0;
  explicit Sky(const Case& c) : n(c.n) {
    std::mt19937 rng(c.seed);
    top = tops_of(c, rng);
    md.assign(static_cast<std::size_t>(n) + 1, 1);
    for (int j = 1; j <= n; ++j) md[j] = md[j - 1] + (j - top[j] + 1);
    a.resize(static_cast<std::size_t>(md[n] - 1));
    for (SkyReal& v : a) v = value(rng);
  }
  // A(i, j) for top(j) <= i <= j.
  SkyReal at(int i, int j) const { return a[static_cast<std::size_t>(md[j - 1] - 1 + j - i)]; }
};

// Floats as above; doubles with all their digits (products with the float
// terms are then inexact, so an other order of the sums shows).
template <class T>
std::vector<T> values(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<T> v(static_cast<std::size_t>(n));
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  for (T& e : v) {
    e = static_cast<T>(value(rng));
    if constexpr (sizeof(T) == 8)
      if (e != 0.0) e = u(rng);
  }
  return v;
}

template <class T>
auto bits(T v) {
  if constexpr (sizeof(T) == 4) return std::bit_cast<std::uint32_t>(v);
  else return std::bit_cast<std::uint64_t>(v);
}

template <class T>
void expect_same_bits(const std::vector<T>& got, const std::vector<T>& want, const std::string& what) {
  ASSERT_EQ(got.size(), want.size());
  int shown = 0;
  for (std::size_t i = 0; i < got.size() && shown < 5; ++i)
    if (bits(got[i]) != bits(want[i])) {
      ADD_FAILURE() << what << ": equation " << i + 1 << " got " << got[i] << " want " << want[i];
      ++shown;
    }
}

const Case kCases[] = {
    {"random_heights", Shape::random_heights, 230, 100, 1},
    {"random_low", Shape::random_heights, 90, 12, 2},
    {"nodes", Shape::nodes, 264, 100, 3},
    {"nodes_narrow", Shape::nodes, 150, 40, 4},
    {"full_band", Shape::full_band, 250, 100, 5},
    {"full_band_short", Shape::full_band, 61, 30, 6},
    {"broken_band", Shape::broken_band, 240, 90, 7},
    {"single", Shape::full_band, 1, 1, 8},
    {"diagonal", Shape::full_band, 40, 1, 9},
};

class ProductLanes : public ::testing::TestWithParam<Case> {};

// p over rows ir1..ir2 from columns jc1..jc2: the upper part column by
// column in ascending order, the diagonal included; then, when the whole
// symmetric matrix is asked for, each row's stored terms left of the
// diagonal in ascending column order. One float rounding for the product
// and one for the sum.
void reference_product(const Sky& s, bool full, bool lzero, int ir1, int ir2, int jc1, int jc2, std::vector<float>& p,
                       const std::vector<float>& x) {
  if (lzero)
    for (int i = ir1; i <= ir2; ++i) p[i - 1] = 0.0f;
  for (int j = jc1; j <= jc2; ++j)
    for (int i = std::max(s.top[j], ir1); i <= std::min(j, ir2); ++i) {
      const float t = s.at(i, j) * x[j - 1];
      p[i - 1] = p[i - 1] + t;
    }
  if (!full) return;
  for (int i = ir1; i <= ir2; ++i)
    for (int j = std::max(s.top[i], jc1); j <= std::min(i - 1, jc2); ++j) {
      const float t = s.at(j, i) * x[j - 1];
      p[i - 1] = p[i - 1] + t;
    }
}

TEST_P(ProductLanes, FloatProductsKeepEachRowsOrder) {
  const Case& c = GetParam();
  const Sky s(c);
  const int n = c.n;
  const std::vector<float> x = values<float>(n, c.seed + 100);
  const int ncf = std::max(1, n - n / 8);  // the last eighth restrained
  struct Block {
    int ir1, ir2, jc1, jc2;
  };
  const Block blocks[] = {
      {1, n, 1, n},                                    // the whole matrix
      {1, ncf, 1, ncf},                                // the free block
      {std::min(ncf + 1, n), n, 1, ncf},               // restrained rows against free columns
      {std::min(3, n), std::max(1, n - 5), 2, n - 1},  // an inner block
      {1, n / 2, n / 2 + 1, n},                        // coupling with the rest
  };
  for (const Block& b : blocks) {
    if (b.ir1 > b.ir2 || b.jc1 > b.jc2) continue;
    for (const bool full : {true, false})
      for (const bool lzero : {true, false}) {
        std::vector<float> want = values<float>(n, c.seed + 200);
        std::vector<float> got = want;
        reference_product(s, full, lzero, b.ir1, b.ir2, b.jc1, b.jc2, want, x);
        if (full)
          solvers::skymul(false, lzero, s.md[n] - 1, n, b.ir1, b.ir2, b.jc1, b.jc2, s.md.data(), s.a.data(),
                          got.data(), x.data());
        else
          solvers::skymuu(false, lzero, s.md[n] - 1, n, b.ir1, b.ir2, b.jc1, b.jc2, s.md.data(), s.a.data(),
                          got.data(), x.data());
        expect_same_bits(got, want,
                         std::string(full ? "skymul" : "skymuu") + (lzero ? " lzero" : "") + " rows " +
                             std::to_string(b.ir1) + ".." + std::to_string(b.ir2) + " columns " +
                             std::to_string(b.jc1) + ".." + std::to_string(b.jc2));
      }
  }
}

// p += f A x over lo..hi in double, one column j at a time in ascending
// order: p(i) += A(i, j) (f x(j)) for its rows i < j in ascending order while
// the column's own sum runs A(j, j) x(j) + A(i, j) x(i) ...; then p(j) += f sum.
TEST_P(ProductLanes, DoubleProductIsThatOfOneColumnAtATime) {
  const Case& c = GetParam();
  const Sky s(c);
  const int n = c.n;
  const std::vector<double> x = values<double>(n, c.seed + 300);
  for (const int lo : {1, std::max(1, n / 3)})
    for (const double f : {1.0, -0.75, 1.0 / 3.0}) {
      std::vector<double> want = values<double>(n, c.seed + 400);
      std::vector<double> got = want;
      for (int j = lo; j <= n; ++j) {
        const double fx = f * x[j - 1];
        double own = static_cast<double>(s.at(j, j)) * x[j - 1];
        for (int i = std::max(s.top[j], lo); i < j; ++i) {
          const double aij = s.at(i, j);
          want[i - 1] = want[i - 1] + aij * fx;
          own = own + aij * x[i - 1];
        }
        want[j - 1] = want[j - 1] + f * own;
      }
      solvers::skymul_double(lo, n, s.md.data(), s.a.data(), x.data(), got.data(), f);
      expect_same_bits(got, want, "double from " + std::to_string(lo) + " f " + std::to_string(f));
    }
}

// r(j) += A(i, j) x(i) f for the columns j1..j2 over rows hi down to
// max(top(j), lo): each column one float sum, the product rounded, then the
// factor applied, then the sum.
TEST_P(ProductLanes, ColumnSumsRunUpFromTheLastRow) {
  const Case& c = GetParam();
  const Sky s(c);
  const int n = c.n;
  const std::vector<float> x = values<float>(n, c.seed + 500);
  const int hi = std::max(1, n - n / 8);  // with one equation no column: nothing touched
  for (const int lo : {1, std::max(1, hi / 2)})
    for (const float f : {1.0f, 1.5f, -0.3f}) {
      std::vector<float> want = values<float>(n, c.seed + 600);
      std::vector<float> got = want;
      for (int j = hi + 1; j <= n; ++j)
        for (int i = hi; i >= std::max(lo, s.top[j]); --i) {
          const float t = s.at(i, j) * x[i - 1];
          const float tf = t * f;
          want[j - 1] = want[j - 1] + tf;
        }
      solvers::add_column_sums_descending(hi + 1, n, lo, hi, s.md.data(), s.a.data(), got.data(), x.data(), f);
      expect_same_bits(got, want, "column sums from " + std::to_string(lo) + " f " + std::to_string(f));
    }
}

INSTANTIATE_TEST_SUITE_P(Profiles, ProductLanes, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

// One 16-row group whose common columns are a single full vector and no
// more, next to groups with a remainder of every length: the rows' results
// do not depend on where the groups fall.
TEST(ProductLanes, EveryRemainderLengthOfTheCommonColumns) {
  for (int h = 17; h <= 17 + 8 * 3; ++h) {
    const Case c{"band", Shape::full_band, 3 * h, h, static_cast<unsigned>(h)};
    const Sky s(c);
    const int n = c.n;
    const std::vector<float> x = values<float>(n, 7u + static_cast<unsigned>(h));
    std::vector<float> want(static_cast<std::size_t>(n), 0.0f);
    std::vector<float> got = want;
    reference_product(s, true, true, 1, n, 1, n, want, x);
    solvers::skymul(false, true, s.md[n] - 1, n, 1, n, 1, n, s.md.data(), s.a.data(), got.data(), x.data());
    expect_same_bits(got, want, "band " + std::to_string(h));
    const std::vector<double> xd = values<double>(n, 9u + static_cast<unsigned>(h));
    std::vector<double> wd(static_cast<std::size_t>(n), 0.0);
    std::vector<double> gd = wd;
    for (int j = 1; j <= n; ++j) {
      double own = static_cast<double>(s.at(j, j)) * xd[j - 1];
      for (int i = s.top[j]; i < j; ++i) {
        wd[i - 1] = wd[i - 1] + static_cast<double>(s.at(i, j)) * xd[j - 1];
        own = own + static_cast<double>(s.at(i, j)) * xd[i - 1];
      }
      wd[j - 1] = wd[j - 1] + own;
    }
    solvers::skymul_double(1, n, s.md.data(), s.a.data(), xd.data(), gd.data());
    expect_same_bits(gd, wd, "double band " + std::to_string(h));
  }
}

}  // namespace
