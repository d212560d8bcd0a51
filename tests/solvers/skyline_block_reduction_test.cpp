// The reduction of the stiffness and the loads gives, bit for bit, the values
// of a plain scalar reduction written here from the documented order: columns
// in blocks of eight from the first reduced one; a block column's rows above
// the block by dot products with one partial sum per lane of a 16-byte vector
// (term q, counted from the lowest pivot row down, in lane q mod 4 for float
// and q mod 2 for double; the lanes added in order, then the tail) over the
// rows from the block's highest first row; its rows inside the block, and its
// diagonal, by dot products with eight partial sums added pairwise; its loads
// one pivot row after the other in ascending order. Factors, loads and the
// zero pivot returned are compared byte for byte.
#include <gtest/gtest.h>

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "solver_test_support.h"
#include "solvers/skyline_elimination.h"

namespace {

using solvertest::Profile;

constexpr int kBlockColumns = 8;

template <class T>
struct Problem {
  Profile p;
  std::vector<T> a;
  std::vector<float> r;  // nlc columns of n
  int nlc = 1;
};

template <class T>
T& at(Problem<T>& m, int i, int j) {
  return m.a[static_cast<std::size_t>(m.p.mdiag[j - 1] - 1 + j - i)];
}

// Dot product of x(q) = K(ihi - q, k) with t(ihi - q), q = 0..len-1, one
// partial sum per lane of a 16-byte vector.
template <class T>
T lane_dot(Problem<T>& m, int k, const std::vector<T>& t, int ihi, int len) {
  constexpr int lanes = static_cast<int>(16 / sizeof(T));
  T acc[lanes] = {};
  int q = 0;
  for (; q + lanes <= len; q += lanes)
    for (int u = 0; u < lanes; ++u) acc[u] += at(m, ihi - q - u, k) * t[ihi - q - u];
  T s = 0;
  for (int u = 0; u < lanes; ++u) s += acc[u];
  for (; q < len; ++q) s += at(m, ihi - q, k) * t[ihi - q];
  return s;
}

// The same with eight partial sums added pairwise, then the tail.
template <class T>
T eight_dot(Problem<T>& m, int k, const std::vector<T>& t, int ihi, int len) {
  T s[8] = {};
  int q = 0;
  for (; q + 8 <= len; q += 8)
    for (int u = 0; u < 8; ++u) s[u] += at(m, ihi - q - u, k) * t[ihi - q - u];
  T tail = 0;
  for (; q < len; ++q) tail += at(m, ihi - q, k) * t[ihi - q];
  return ((s[0] + s[1]) + (s[2] + s[3])) + ((s[4] + s[5]) + (s[6] + s[7])) + tail;
}

int top(const Profile& p, int j) { return p.top[static_cast<std::size_t>(j)]; }

// The plain reduction; first_changed as the solver takes it.
template <class T>
int reference_reduce(Problem<T>& m, int l1, int l2, int first_changed) {
  const int n = m.p.n();
  if (l1 > n) return 0;
  const int last_pivot = std::min(l2, n - 1);
  const auto d = [&](int i) { return at(m, i, i); };
  const auto load = [&](int c, int i) -> float& {
    return m.r[static_cast<std::size_t>(c) * n + static_cast<std::size_t>(i - 1)];
  };
  const int fc = std::min(first_changed, n);
  const int first = fc <= l1 ? l1 : l1 + (fc - l1) / kBlockColumns * kBlockColumns;
  // Loads of the rows whose columns keep their factors, by the multipliers
  // U(i, j) / d(i) of the factors.
  for (int c = 0; c < m.nlc; ++c)
    for (int j = l1; j < first; ++j) {
      T v = load(c, j);
      for (int i = std::max(top(m.p, j), l1); i <= std::min(last_pivot, j - 1); ++i)
        v -= at(m, i, j) / d(i) * static_cast<T>(load(c, i));
      load(c, j) = static_cast<float>(v);
    }
  std::vector<std::vector<T>> t(kBlockColumns, std::vector<T>(static_cast<std::size_t>(n) + 1));
  for (int j0 = first; j0 <= n; j0 += kBlockColumns) {
    const int j1 = std::min(n, j0 + kBlockColumns - 1);
    const auto lo = [&](int j) { return std::max(top(m.p, j), l1); };
    const auto pe = [&](int j) { return std::min(last_pivot, j - 1); };
    int lo_min = j0;
    for (int j = j0; j <= j1; ++j)
      if (pe(j) >= lo(j)) lo_min = std::min(lo_min, lo(j));
    // Rows above the block, every column of the block; multipliers of rows
    // above a column's first are zeros.
    for (int j = j0; j <= j1; ++j) {
      if (pe(j) < lo(j)) continue;
      std::vector<T>& tj = t[static_cast<std::size_t>(j - j0)];
      std::fill(tj.begin(), tj.end(), T(0));
      for (int k = lo(j); k < j0; ++k) {
        const int ilo = std::max(lo_min, top(m.p, k));
        const int ihi = std::min(k - 1, last_pivot);
        const T s = ihi >= ilo ? lane_dot(m, k, tj, ihi, ihi - ilo + 1) : T(0);
        at(m, k, j) = at(m, k, j) - s;
        if (k <= pe(j)) tj[k] = at(m, k, j) / d(k);
      }
    }
    // Rows inside the block, the diagonal, the loads, the pivot, column by column.
    for (int j = j0; j <= j1; ++j) {
      if (pe(j) >= lo(j)) {
        std::vector<T>& tj = t[static_cast<std::size_t>(j - j0)];
        for (int k = std::max(j0, lo(j)); k < j; ++k) {
          const int ilo = std::max(lo(j), top(m.p, k));
          const int ihi = std::min(k - 1, pe(j));
          if (ihi >= ilo) at(m, k, j) -= eight_dot(m, k, tj, ihi, ihi - ilo + 1);
          if (k <= pe(j)) tj[k] = at(m, k, j) / d(k);
        }
        at(m, j, j) -= eight_dot(m, j, tj, pe(j), pe(j) - lo(j) + 1);
        for (int c = 0; c < m.nlc; ++c) {
          T v = load(c, j);
          for (int i = lo(j); i <= pe(j); ++i) v -= tj[i] * static_cast<T>(load(c, i));
          load(c, j) = static_cast<float>(v);
        }
      }
      if (j <= last_pivot && d(j) == T(0)) return j;
    }
  }
  return 0;
}

// Column tops, matrix terms and loads. About one off-diagonal term in five is
// an exact zero; loads mix +0, -0 and values of full mantissa.
template <class T>
Problem<T> random_problem(const std::vector<int>& tops, int nlc, std::mt19937& rng) {
  Problem<T> m;
  m.p = solvertest::profile_from_tops(tops);
  m.nlc = nlc;
  const int n = m.p.n();
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::uniform_int_distribution<int> pick(0, 9);
  m.a.assign(static_cast<std::size_t>(m.p.stored()), T(0));
  std::vector<double> rowsum(static_cast<std::size_t>(n) + 1, 0.0);
  for (int j = 1; j <= n; ++j)
    for (int i = top(m.p, j); i < j; ++i) {
      const T x = pick(rng) < 2 ? T(0) : static_cast<T>(u(rng));
      at(m, i, j) = x;
      rowsum[static_cast<std::size_t>(i)] += std::fabs(static_cast<double>(x));
      rowsum[static_cast<std::size_t>(j)] += std::fabs(static_cast<double>(x));
    }
  for (int j = 1; j <= n; ++j) at(m, j, j) = static_cast<T>(rowsum[static_cast<std::size_t>(j)] + 0.5 + 0.5 * std::fabs(u(rng)));
  m.r.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(nlc));
  for (float& x : m.r) {
    const int kind = pick(rng);
    x = kind == 0 ? 0.0f : kind == 1 ? -0.0f : static_cast<float>(u(rng) * 100.0);
  }
  return m;
}

template <class T>
bool same_bytes(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

struct Case {
  const char* name;
  int n;
  int hmax;
  int l1;
  int l2;  // past n - 1: every pivot; below: the rest is condensed
  int nlc;
  int first_changed;  // 0: a whole reduction
  int zero_pivot;     // 0, or an equation whose column and row are made zero
  int threads;        // 1, or more for a reduction long enough to be shared out
};

const Case kCases[] = {
    {"tiny", 3, 2, 1, 3, 1, 0, 0, 1},
    {"one_block", 8, 7, 1, 8, 1, 0, 0, 1},
    {"partial_last_block", 45, 20, 1, 45, 2, 0, 0, 1},
    {"tall_columns", 120, 119, 1, 120, 1, 0, 0, 1},
    {"narrow_band", 200, 6, 1, 200, 3, 0, 0, 1},
    {"varied_profile", 301, 60, 1, 301, 2, 0, 0, 1},
    {"from_row_5", 150, 40, 5, 150, 1, 0, 0, 1},
    {"condensed_tail", 140, 50, 1, 97, 2, 0, 0, 1},
    {"condensed_from_row_9", 133, 70, 9, 101, 1, 0, 0, 1},
    {"first_changed_in_block", 170, 45, 1, 170, 2, 77, 0, 1},
    {"first_changed_on_block_start", 170, 45, 3, 170, 1, 43, 0, 1},
    {"first_changed_condensed", 160, 55, 2, 120, 2, 61, 0, 1},
    {"zero_pivot_mid_block", 90, 30, 1, 90, 2, 0, 52, 1},
    {"zero_pivot_block_start", 90, 30, 1, 90, 1, 0, 49, 1},
    {"zero_pivot_below_tall_columns", 100, 60, 1, 100, 2, 0, 36, 1},
    {"zero_pivot_in_next_block", 90, 30, 1, 90, 1, 0, 60, 1},
    {"zero_pivot_last_column", 40, 39, 1, 40, 1, 0, 39, 1},
    {"no_load_columns", 64, 30, 1, 64, 0, 0, 0, 1},
    {"shared_out", 1500, 300, 1, 1500, 2, 0, 0, 3},
};

template <class T>
void check_case(const Case& c) {
  std::mt19937 rng(1234u + static_cast<unsigned>(c.n) * 31u + static_cast<unsigned>(c.first_changed));
  const std::vector<int> tops = solvertest::random_tops(c.n, c.hmax, rng);
  Problem<T> start = random_problem<T>(tops, c.nlc, rng);
  if (c.zero_pivot != 0) {
    const int z = c.zero_pivot;
    for (int j = z; j <= c.n; ++j)
      if (top(start.p, j) <= z) at(start, z, j) = T(0);
    for (int i = top(start.p, z); i <= z; ++i) at(start, i, z) = T(0);
  }
  if (c.first_changed != 0) {
    // The columns kept hold the factors of an earlier reduction of the same
    // terms; the columns reduced again are changed a little and hold terms.
    Problem<T> earlier = start;
    ASSERT_EQ(reference_reduce(earlier, c.l1, c.l2, 0), 0);
    const int again = solvers::detail::reduced_again_from(c.l1, c.first_changed);
    for (int j = c.first_changed; j <= c.n; ++j) at(start, j, j) = at(start, j, j) * T(1.25);
    for (int j = 1; j < again; ++j)
      for (int i = top(start.p, j); i <= j; ++i) at(start, i, j) = at(earlier, i, j);
  }

  Problem<T> want = start;
  const int want_bad = reference_reduce(want, c.l1, c.l2, c.first_changed);
  EXPECT_EQ(want_bad, c.zero_pivot);

  Problem<T> got = start;
  int got_bad = 0;
  {
    const int saved = omp_get_max_threads();
    solvers::detail::fix_solver_threads(true);
    omp_set_num_threads(c.threads);
    got_bad = solvers::detail::reduce_matrix_and_loads<T>(c.n, c.l1, c.l2, got.a.data(), got.p.mdiag.data(),
                                                          got.r.data(), c.n, c.nlc, c.first_changed);
    omp_set_num_threads(saved);
    solvers::detail::fix_solver_threads(false);
  }
  EXPECT_EQ(got_bad, want_bad);
  EXPECT_TRUE(same_bytes(got.a, want.a)) << "factors differ";
  EXPECT_TRUE(same_bytes(got.r, want.r)) << "loads differ";
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class BlockReduction : public ::testing::TestWithParam<Case> {};

TEST_P(BlockReduction, FloatMatchesScalarOrder) { check_case<float>(GetParam()); }
TEST_P(BlockReduction, DoubleMatchesScalarOrder) { check_case<double>(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Profiles, BlockReduction, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// A load of -0 stays -0 through pivot rows whose terms are +0, while another
// column of its block reaches higher rows whose loads are negative: those rows
// lie outside the column's range and must leave its load alone (a product of
// a zero multiplier with a negative load would be -0, and -0 - (-0) is +0).
template <class T>
void check_negative_zero_load() {
  // Rows 1..16 stand alone, loads -1 in rows 1..6 and +0 below. The block of
  // rows 17..24: column 17 reaches row 1, column 18 (load -0) has zero terms
  // from row 9, column 20 reaches row 3.
  const int n = 24;
  std::vector<int> tops(static_cast<std::size_t>(n) + 1);
  for (int j = 1; j <= n; ++j) tops[static_cast<std::size_t>(j)] = j;
  tops[17] = 1;
  tops[18] = 9;
  tops[20] = 3;
  Problem<T> m;
  m.p = solvertest::profile_from_tops(tops);
  m.a.assign(static_cast<std::size_t>(m.p.stored()), T(0));
  m.r.assign(static_cast<std::size_t>(n), 0.0f);
  for (int j = 1; j <= n; ++j) at(m, j, j) = T(4) + T(j) / T(7);
  for (int i = 1; i < 17; ++i) at(m, i, 17) = T(i % 3 == 0 ? 0.0 : 0.1 * i);
  for (int i = 3; i < 20; ++i) at(m, i, 20) = T(-0.03 * i);
  for (int i = 1; i <= 6; ++i) m.r[static_cast<std::size_t>(i - 1)] = -1.0f;
  m.r[17] = -0.0f;  // row 18
  m.r[19] = -0.0f;  // row 20

  Problem<T> want = m;
  ASSERT_EQ(reference_reduce(want, 1, n, 0), 0);
  ASSERT_TRUE(std::signbit(want.r[17]));
  ASSERT_EQ(want.r[17], 0.0f);

  Problem<T> got = m;
  ASSERT_EQ(solvers::detail::reduce_matrix_and_loads<T>(n, 1, n, got.a.data(), got.p.mdiag.data(), got.r.data(), n, 1),
            0);
  EXPECT_TRUE(same_bytes(got.a, want.a));
  EXPECT_TRUE(same_bytes(got.r, want.r));
  EXPECT_TRUE(std::signbit(got.r[17]));
}

TEST(BlockReductionLoads, NegativeZeroKeptFloat) { check_negative_zero_load<float>(); }
TEST(BlockReductionLoads, NegativeZeroKeptDouble) { check_negative_zero_load<double>(); }

}  // namespace
