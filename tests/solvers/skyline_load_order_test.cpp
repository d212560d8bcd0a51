// The loads' forward reduction and the back substitution against a reduced
// skyline matrix, bit for bit against plain one-term-at-a-time loops of the
// documented rounding order (kept here as the oracle): whatever lanes the
// kernels use, every value must come out as these loops give it.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "solver_test_support.h"
#include "solvers/skyline_elimination.h"

namespace {

using solvers::detail::back_substitute;
using solvers::detail::col_diag;
using solvers::detail::col_height;
using solvers::detail::col_top;
using solvers::detail::reduce_loads;
using solvers::detail::reduce_matrix_and_loads;
using solvers::detail::reduced_again_from;
using solvertest::Profile;

std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }

// Rows l1..n of the loads against the reduced matrix a, one row at a time in
// ascending order, each taking its pivot rows i = max(top, l1)..min(j - 1, l2)
// in ascending i. Without multipliers a term is U(i,j) R(i) / d(i) and a
// pivot row with R(i) == 0 gives none; with them it is (U(i,j) / d(i)) R(i)
// for every pivot row. Stops after the row of the first zero pivot of l1..l2.
template <class T>
int reference_loads(bool with_multipliers, int n, int l1, int l2, const T* a, const std::int32_t* md,
                    float* r, int ldr, int nlc) {
  int bad = 0;
  for (int c = 0; c < nlc; ++c) {
    float* rc = r + static_cast<std::ptrdiff_t>(c) * ldr;
    for (int j = l1; j <= n; ++j) {
      T v = rc[j - 1];
      const int hi = std::min(std::min(l2, n), j - 1);
      for (int i = std::max(col_top(md, j), l1); i <= hi; ++i) {
        const T u = a[col_diag(md, j) + (j - i)];
        const T d = a[col_diag(md, i)];
        const T ri = rc[i - 1];
        if (with_multipliers) {
          const T t = u / d;
          v = v - t * ri;
        } else if (ri != T(0)) {
          const T p = u * ri;
          v = v - p / d;
        }
      }
      rc[j - 1] = static_cast<float>(v);
      if (j <= l2 && a[col_diag(md, j)] == T(0)) {
        bad = j;
        break;
      }
    }
  }
  return bad;
}

// Columns l2 down to l1: x(j) = R(j) / d(j) rounded to float, then every row
// above j in the column, from j - 1 up, R(i) = R(i) - U(i,j) x(j), each one
// product and one difference in T rounded to float. 0 or the zero pivot.
template <class T>
int reference_back(int l1, int l2, const T* a, const std::int32_t* md, float* r, int ldr, int nlc) {
  for (int j = l2; j >= l1; --j) {
    const T d = a[col_diag(md, j)];
    if (d == T(0)) return j;
    for (int c = 0; c < nlc; ++c) {
      float* rc = r + static_cast<std::ptrdiff_t>(c) * ldr;
      const T x = static_cast<T>(rc[j - 1]) / d;
      rc[j - 1] = static_cast<float>(x);
      const T xr = rc[j - 1];
      for (int m = 1; m < col_height(md, j); ++m) {
        const T p = a[col_diag(md, j) + m] * xr;
        rc[j - 1 - m] = static_cast<float>(rc[j - 1 - m] - p);
      }
    }
  }
  return 0;
}

// Load columns with ldr - n rows of padding that no kernel may change, zeros
// of both signs among the values, and now and then a load far larger than the
// rest.
std::vector<float> random_loads(int n, int ldr, int nlc, std::mt19937& rng) {
  std::vector<float> r(static_cast<std::size_t>(ldr) * nlc, 7.25f);
  std::uniform_real_distribution<float> u(-2.0f, 2.0f);
  std::uniform_int_distribution<int> kind(0, 9);
  for (int c = 0; c < nlc; ++c)
    for (int i = 0; i < n; ++i) {
      const int k = kind(rng);
      float x = u(rng);
      if (k == 0) x = 0.0f;
      if (k == 1) x = -0.0f;
      if (k == 2) x *= 1.0e6f;
      r[static_cast<std::size_t>(c) * ldr + i] = x;
    }
  return r;
}

void expect_same_bits(const std::vector<float>& got, const std::vector<float>& want, const char* what) {
  ASSERT_EQ(got.size(), want.size());
  int shown = 0;
  for (std::size_t k = 0; k < got.size(); ++k)
    if (bits(got[k]) != bits(want[k]) && shown++ < 5)
      ADD_FAILURE() << what << ": word " << k << " is " << got[k] << " (0x" << std::hex << bits(got[k])
                    << "), want " << want[k] << " (0x" << bits(want[k]) << std::dec << ")";
}

struct Case {
  int n;
  int hmax;  // the longest column above its diagonal
  int l1;
  int l2;
  int nlc;
  int pad;   // rows of padding below n in each load column
  unsigned seed;
  int zero_pivot;  // an equation whose reduced pivot is set to 0, or 0
};

// Short columns, columns as long as the matrix, ranges that start past 1 or end
// before n, one or several load columns, a zero pivot inside and outside the
// range; the lengths cross the 4 and 8 term vectors and the 8 row blocks at
// different offsets.
const Case kCases[] = {
    {1, 0, 1, 1, 1, 0, 1, 0},      {2, 1, 1, 2, 2, 1, 2, 0},      {7, 6, 1, 7, 1, 0, 3, 0},
    {9, 8, 1, 9, 3, 2, 4, 0},      {17, 16, 1, 17, 1, 0, 5, 0},   {31, 12, 1, 31, 2, 3, 6, 0},
    {40, 39, 1, 40, 1, 0, 7, 0},   {40, 39, 3, 40, 2, 1, 8, 0},   {45, 20, 5, 33, 3, 0, 9, 0},
    {64, 63, 1, 64, 1, 0, 10, 0},  {70, 9, 2, 61, 2, 4, 11, 0},   {77, 76, 10, 77, 1, 0, 12, 0},
    {90, 35, 1, 90, 3, 5, 13, 0},  {100, 99, 1, 55, 2, 0, 14, 0}, {57, 56, 1, 57, 1, 0, 15, 30},
    {57, 56, 1, 20, 2, 0, 16, 41}, {130, 70, 7, 129, 1, 2, 17, 0},
};

// One case with matrix type T: the matrix reduced once, then the loads of the
// reduced matrix, the loads of a partial reduction that keeps the factors of
// the first columns, and the back substitution, each against its oracle.
template <class T>
void check_case(const Case& k) {
  SCOPED_TRACE(testing::Message() << "n " << k.n << " hmax " << k.hmax << " l1 " << k.l1 << " l2 "
                                  << k.l2 << " nlc " << k.nlc << " seed " << k.seed);
  std::mt19937 rng(k.seed);
  const Profile p = solvertest::profile_from_tops(solvertest::random_tops(k.n, k.hmax, rng));
  const std::vector<T> terms = solvertest::pack<T>(solvertest::random_spd(p, rng), p);
  const std::int32_t* md = p.mdiag.data();
  const int n = k.n;
  const int ldr = n + k.pad;

  std::vector<T> reduced = terms;
  float unused = 0.0f;
  ASSERT_EQ(reduce_matrix_and_loads(n, k.l1, k.l2, reduced.data(), md, &unused, 1, 0), 0);
  if (k.zero_pivot != 0) reduced[static_cast<std::size_t>(col_diag(md, k.zero_pivot))] = T(0);
  const int bad = k.zero_pivot >= k.l1 && k.zero_pivot <= k.l2 ? k.zero_pivot : 0;

  // The loads against the reduced matrix.
  {
    const std::vector<float> loads = random_loads(n, ldr, k.nlc, rng);
    std::vector<float> got = loads;
    std::vector<float> want = loads;
    EXPECT_EQ(reduce_loads(n, k.l1, k.l2, reduced.data(), md, got.data(), ldr, k.nlc), bad);
    EXPECT_EQ(reference_loads(false, n, k.l1, k.l2, reduced.data(), md, want.data(), ldr, k.nlc), bad);
    expect_same_bits(got, want, "loads against the reduced matrix");
  }

  // The back substitution of loads already reduced.
  {
    const std::vector<float> loads = random_loads(n, ldr, k.nlc, rng);
    std::vector<float> got = loads;
    std::vector<float> want = loads;
    EXPECT_EQ(back_substitute(n, k.l1, k.l2, reduced.data(), md, got.data(), ldr, k.nlc), bad);
    EXPECT_EQ(reference_back(k.l1, k.l2, reduced.data(), md, want.data(), ldr, k.nlc), bad);
    expect_same_bits(got, want, "back substitution");
  }

  if (k.zero_pivot != 0) return;
  // A reduction whose first columns already hold their factors: their loads go
  // by the multipliers of the stored factors, as a whole reduction forms them.
  for (const int first_changed : {k.l1 + 1, k.l1 + 8, k.l1 + 19, n}) {
    if (first_changed > n) continue;
    SCOPED_TRACE(testing::Message() << "first changed " << first_changed);
    std::vector<T> again = reduced;
    const int from = reduced_again_from(k.l1, first_changed);
    for (int j = from; j <= n; ++j)
      for (int m = 0; m < col_height(md, j); ++m)
        again[static_cast<std::size_t>(col_diag(md, j) + m)] = terms[static_cast<std::size_t>(col_diag(md, j) + m)];
    const std::vector<float> loads = random_loads(n, ldr, k.nlc, rng);
    std::vector<float> got = loads;
    std::vector<float> want = loads;
    ASSERT_EQ(reduce_matrix_and_loads(n, k.l1, k.l2, again.data(), md, got.data(), ldr, k.nlc, first_changed), 0);
    for (std::size_t q = 0; q < again.size(); ++q)
      ASSERT_EQ(std::memcmp(&again[q], &reduced[q], sizeof(T)), 0) << "term " << q << " of the factor";
    reference_loads(true, n, k.l1, k.l2, reduced.data(), md, want.data(), ldr, k.nlc);
    expect_same_bits(got, want, "loads by the stored multipliers");
  }
}

TEST(SkylineLoadOrder, FloatMatrixSameBitsAsOneTermAtATime) {
  for (const Case& k : kCases) check_case<float>(k);
}

TEST(SkylineLoadOrder, DoubleMatrixSameBitsAsOneTermAtATime) {
  for (const Case& k : kCases) check_case<double>(k);
}

// Hand values: U = [2 4; 0 8] reduced (d = 2, 8), loads (6, 40). Forward: row 2
// takes 4 * 6 / 2 = 12, so 28; back: x2 = 28 / 8 = 3.5, row 1 = 6 - 4 * 3.5 =
// -8, x1 = -4. A load of -0 above gives no term, and keeps its sign.
TEST(SkylineLoadOrder, HandValuesAndSignedZero) {
  const std::vector<std::int32_t> md{1, 2, 4};
  const std::vector<float> a{2.0f, 8.0f, 4.0f};
  std::vector<float> r{6.0f, 40.0f};
  ASSERT_EQ(reduce_loads(2, 1, 2, a.data(), md.data(), r.data(), 2, 1), 0);
  EXPECT_EQ(r[1], 28.0f);
  ASSERT_EQ(back_substitute(2, 1, 2, a.data(), md.data(), r.data(), 2, 1), 0);
  EXPECT_EQ(r[1], 3.5f);
  EXPECT_EQ(r[0], -4.0f);

  std::vector<float> z{-0.0f, -0.0f};
  ASSERT_EQ(reduce_loads(2, 1, 2, a.data(), md.data(), z.data(), 2, 1), 0);
  EXPECT_EQ(bits(z[0]), bits(-0.0f));
  EXPECT_EQ(bits(z[1]), bits(-0.0f));
}

}  // namespace
