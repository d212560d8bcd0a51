// The skyline solver: static condensation with the mass and geometric
// stiffness carried along, solution in stages, the multiplication by the
// reduced matrix, the zero-pivot report and the profile check.
#include "solvers/skyline_solver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "base/work_array.h"
#include "solver_test_support.h"

namespace {

using solvers::CarriedMatrix;
using solvers::SkylineMatrix;
using solvers::SolveStatus;
using solvertest::Dense;
using solvertest::Profile;
using kv::SkyReal;

SkylineMatrix view(std::vector<SkyReal>& a, const Profile& p) {
  return {a.data(), p.mdiag.data(), p.stored()};
}
CarriedMatrix carried(std::vector<SkyReal>& a, const Profile& p) {
  return {true, a.data(), p.mdiag.data(), p.stored()};
}

SolveStatus run(int iopt, int n, int ldr, int nlc, int l1, int l2, std::vector<SkyReal>& k,
                const Profile& pk, std::vector<float>& r, std::vector<float>& w,
                CarriedMatrix mass = {}, CarriedMatrix geom = {}) {
  return solvers::msoll(iopt, false, n, ldr, nlc, l1, l2, view(k, pk), r.data(), w.data(), mass, geom);
}

std::string boxed(std::string s) {
  s.resize(50, ' ');
  return s + "*";
}
const std::string kStars = " " + std::string(50, '*');

// ---------------------------------------------------------------- by hand

TEST(Msoll, CondensesTwoByTwoWithMass) {
  // K = [[4, 2], [2, 3]] condensed over equation 1: 3 - 2*2/4 = 2; load (1, 1)
  // becomes (1, 0.5); M = [[2, 0.4], [0.4, 1]] becomes
  // 1 - 2*0.5*0.4 + 0.5*0.5*2 = 1.1 (x1 = -0.5 x2).
  const Profile p = solvertest::profile_from_tops({0, 1, 1});
  std::vector<SkyReal> k = {4.0f, 3.0f, 2.0f};
  std::vector<SkyReal> m = {2.0f, 1.0f, 0.4f};
  std::vector<float> r = {1.0f, 1.0f};
  std::vector<float> w(2);
  EXPECT_EQ(run(1, 2, 2, 1, 1, 1, k, p, r, w, carried(m, p)), SolveStatus::ok);
  EXPECT_FLOAT_EQ(k[1], 2.0f);
  EXPECT_FLOAT_EQ(r[0], 1.0f);
  EXPECT_FLOAT_EQ(r[1], 0.5f);
  EXPECT_NEAR(m[1], 1.1f, 1e-6);
  // Row 1 keeps its values: the factor row, not divided by its pivot.
  EXPECT_FLOAT_EQ(k[0], 4.0f);
  EXPECT_FLOAT_EQ(k[2], 2.0f);
  // The rest solved, then the condensed equation recovered: x = (0.125, 0.25).
  EXPECT_EQ(run(1, 2, 2, 1, 2, 2, k, p, r, w), SolveStatus::ok);
  EXPECT_EQ(run(3, 2, 2, 1, 2, 2, k, p, r, w), SolveStatus::ok);
  EXPECT_FLOAT_EQ(r[1], 0.25f);
  EXPECT_EQ(run(3, 2, 2, 1, 1, 1, k, p, r, w), SolveStatus::ok);
  EXPECT_FLOAT_EQ(r[0], 0.125f);
}

TEST(Msoll, RangeIsCorrectedAndWrittenBack) {
  const Profile p = solvertest::profile_from_tops({0, 1, 1});
  std::vector<SkyReal> k = {4.0f, 3.0f, 2.0f};
  std::vector<float> r = {8.0f, 8.0f};  // K (1, 2) = (8, 8)
  std::vector<float> w(2);
  int l1 = 0;
  int l2 = 7;
  EXPECT_EQ(solvers::msoll(1, false, 2, 2, 1, l1, l2, view(k, p), r.data(), w.data(), {}, {}),
            SolveStatus::ok);
  EXPECT_EQ(l1, 1);
  EXPECT_EQ(l2, 2);
  l1 = -3;
  l2 = 99;
  EXPECT_EQ(solvers::msoll(3, false, 2, 2, 1, l1, l2, view(k, p), r.data(), w.data(), {}, {}),
            SolveStatus::ok);
  EXPECT_EQ(l1, 1);
  EXPECT_EQ(l2, 2);
  EXPECT_FLOAT_EQ(r[0], 1.0f);
  EXPECT_FLOAT_EQ(r[1], 2.0f);
}

TEST(Msoll, NegativePivotIsUsed) {
  // K = [[-2.5, 1], [1, 3]], x = (1, 2): b = (-0.5, 7).
  const Profile p = solvertest::profile_from_tops({0, 1, 1});
  std::vector<SkyReal> k = {-2.5f, 3.0f, 1.0f};
  std::vector<float> r = {-0.5f, 7.0f};
  std::vector<float> w(2);
  solvertest::Unit6 out;
  EXPECT_EQ(run(1, 2, 2, 1, 1, 2, k, p, r, w), SolveStatus::ok);
  EXPECT_EQ(run(3, 2, 2, 1, 1, 2, k, p, r, w), SolveStatus::ok);
  EXPECT_NEAR(r[0], 1.0f, 1e-6);
  EXPECT_NEAR(r[1], 2.0f, 1e-6);
  EXPECT_TRUE(out.lines().empty());
}

TEST(Msoll, MultiplyOverTheCondensedRange) {
  // K = [[4, 2], [2, 3]] condensed over equation 1 holds (4, 2 | 2). Option 4
  // over 1..1 with x = (1, 2): R(1) = 0, then U x adds 4*1 + 2*2 = 8 to R(1)
  // and 2*2 = 4 to R(2), and the elimination undone adds 2*8/4 = 4 to R(2).
  // Row 2 lies past the range: it is not cleared, so it starts from its input.
  const Profile p = solvertest::profile_from_tops({0, 1, 1});
  struct Case {
    float r2_in;
    float r2_out;
  };
  for (const Case c : {Case{0.0f, 8.0f}, Case{5.0f, 13.0f}}) {  // 8: the original K x
    std::vector<SkyReal> k = {4.0f, 3.0f, 2.0f};
    std::vector<float> r = {1.0f, 1.0f};
    std::vector<float> w(2);
    ASSERT_EQ(run(1, 2, 2, 1, 1, 1, k, p, r, w), SolveStatus::ok);
    ASSERT_FLOAT_EQ(k[1], 2.0f);
    std::vector<float> x = {1.0f, 2.0f};
    r = {99.0f, c.r2_in};
    EXPECT_EQ(run(4, 2, 2, 1, 1, 1, k, p, r, x), SolveStatus::ok);
    EXPECT_FLOAT_EQ(r[0], 8.0f);
    EXPECT_FLOAT_EQ(r[1], c.r2_out);
  }
}

TEST(Msoll, LoadColumnWithZeroPivotRowEntryIsUntouched) {
  const Profile p = solvertest::profile_from_tops({0, 1, 1});
  std::vector<SkyReal> k = {4.0f, 3.0f, 2.0f};
  std::vector<float> r = {0.0f, 1.0f, 1.0f, 1.0f};  // two columns
  std::vector<float> w(2);
  EXPECT_EQ(run(1, 2, 2, 2, 1, 1, k, p, r, w), SolveStatus::ok);
  EXPECT_EQ(r[0], 0.0f);
  EXPECT_EQ(r[1], 1.0f);
  EXPECT_FLOAT_EQ(r[3], 0.5f);
}

// ---------------------------------------------------------------- zero pivot

TEST(Msoll, ZeroPivotPrintsTheBoxAndStops) {
  // Pivot 2 of [[1, 1, 0], [1, 1, 0], [0, 0, 1]] becomes exactly 0.0.
  const Profile p = solvertest::profile_from_tops({0, 1, 1, 1});
  Dense a(3);
  a(1, 1) = a(1, 2) = a(2, 1) = a(2, 2) = a(3, 3) = 1.0;
  std::vector<SkyReal> k = solvertest::pack<SkyReal>(a, p);
  std::vector<float> r = {1.0f, 1.0f, 1.0f};
  std::vector<float> w(3);
  solvertest::Unit6 out;
  EXPECT_EQ(run(1, 3, 3, 1, 1, 3, k, p, r, w), SolveStatus::zero_pivot);
  const std::vector<std::string> expected = {
      "",
      "",
      "",
      kStars,
      boxed(" *  ERROR IN SUBROUTINE MSOLL"),
      boxed(" *  PIVOT IS LE 0 ------- ROW:    2"),
      boxed(" *                STORAGE LCN:    2"),
      boxed(" *                      PIVOT:   0.000000E+00"),
      boxed(" *  SOLUTION IS ABORTED "),
      kStars,
  };
  EXPECT_EQ(out.lines(), expected);
}

TEST(Msoll, LastPivotIsTestedByBackSubstitutionOnly) {
  const Profile p = solvertest::profile_from_tops({0, 1, 1});
  std::vector<SkyReal> k = {1.0f, 1.0f, 1.0f};  // [[1, 1], [1, 1]]
  std::vector<float> r = {1.0f, 2.0f};
  std::vector<float> w(2);
  solvertest::Unit6 out;
  EXPECT_EQ(run(1, 2, 2, 1, 1, 2, k, p, r, w), SolveStatus::ok);
  EXPECT_EQ(k[1], 0.0f);
  EXPECT_EQ(run(3, 2, 2, 1, 1, 2, k, p, r, w), SolveStatus::zero_pivot);
  const auto lines = out.lines();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[5], boxed(" *  PIVOT IS LE 0 ------- ROW:    2"));
  EXPECT_EQ(lines[6], boxed(" *                STORAGE LCN:    2"));
}

TEST(Msoll, WorkArrayCallSetsAStickyStatus) {
  // K = [[4, 2], [2, 3]] at ZMATRX words; MDIAG = (1, 2, 4).
  const std::int64_t md = 101, sk = 111, r = 121, w = 131;
  kv::izm(md) = 1;
  kv::izm(md + 1) = 2;
  kv::izm(md + 2) = 4;
  const SkyReal kv_values[3] = {4.0f, 3.0f, 2.0f};
  std::copy(kv_values, kv_values + 3, kv::skyptr(sk));
  kv::rzm(r) = 8.0f;
  kv::rzm(r + 1) = 8.0f;  // x = (1, 2)
  std::int32_t ierr = -1;  // an earlier failure stays reported
  int l1 = 1, l2 = 2;
  solvers::msoll(1, false, 2, 3, 2, 1, l1, l2, md, sk, r, w, false, 0, 0, 0, false, 0, 0, 0, ierr);
  solvers::msoll(3, false, 2, 3, 2, 1, l1, l2, md, sk, r, w, false, 0, 0, 0, false, 0, 0, 0, ierr);
  EXPECT_EQ(ierr, -1);
  EXPECT_FLOAT_EQ(kv::rzm(r), 1.0f);
  EXPECT_FLOAT_EQ(kv::rzm(r + 1), 2.0f);

  ierr = 0;
  kv::skyptr(sk)[0] = 0.0f;
  solvertest::Unit6 out;
  solvers::msoll(1, false, 2, 3, 2, 1, l1, l2, md, sk, r, w, false, 0, 0, 0, false, 0, 0, 0, ierr);
  EXPECT_EQ(ierr, -1);
  EXPECT_EQ(out.lines().size(), 10u);
}

// ---------------------------------------------------------------- profile check

TEST(Msoll, CarriedProfileThatDoesNotCoverTheStiffnessIsRefused) {
  const Profile pk = solvertest::profile_from_tops({0, 1, 1, 1});
  const Profile pm = solvertest::profile_from_tops({0, 1, 2, 3});  // diagonal: a lumped mass
  Dense a(3);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) a(i, j) = i == j ? 4.0 : 1.0;
  std::vector<SkyReal> k = solvertest::pack<SkyReal>(a, pk);
  const std::vector<SkyReal> k0 = k;
  std::vector<SkyReal> m = {1.0f, 1.0f, 1.0f};
  std::vector<float> r = {1.0f, 1.0f, 1.0f};
  std::vector<float> w(3);
  {
    solvertest::Unit6 out;
    EXPECT_EQ(run(1, 3, 3, 1, 1, 1, k, pk, r, w, carried(m, pm)), SolveStatus::profile_mismatch);
    const auto lines = out.lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[1].find("MASS PROFILE DOES NOT COVER THE STIFFNESS PROFILE"), std::string::npos);
    EXPECT_NE(lines[2].find("COLUMN     3"), std::string::npos);
  }
  {
    solvertest::Unit6 out;
    EXPECT_EQ(run(1, 3, 3, 1, 1, 1, k, pk, r, w, {}, carried(m, pm)), SolveStatus::profile_mismatch);
    EXPECT_NE(out.lines()[1].find("GEOMETRIC STIFFNESS PROFILE"), std::string::npos);
  }
  EXPECT_EQ(k, k0);
  EXPECT_EQ(m, (std::vector<SkyReal>{1.0f, 1.0f, 1.0f}));
  EXPECT_EQ(r, (std::vector<float>{1.0f, 1.0f, 1.0f}));
  // Without the switch the mass is not looked at.
  EXPECT_EQ(run(1, 3, 3, 1, 1, 1, k, pk, r, w, {false, m.data(), pm.mdiag.data(), 3}), SolveStatus::ok);
}

TEST(Msoll, CarriedColumnStartingJustBelowThePivotRowIsEnough) {
  // K full, condensed over equation 1; the mass column 2 starts at row 2, so
  // its term (1, 2) is zero and nothing is written above its top:
  // M'(2,2) = M22 + w2^2 M11, M'(2,3) = M23 - w2 M13 + w2 w3 M11,
  // M'(3,3) = M33 - 2 w3 M13 + w3^2 M11, with w = K(1, .)/K11 = (0.5, 0.25).
  const Profile pk = solvertest::profile_from_tops({0, 1, 1, 1});
  const Profile pm = solvertest::profile_from_tops({0, 1, 2, 1});
  Dense ka(3);
  const double kv3[3][3] = {{4, 2, 1}, {2, 5, 1}, {1, 1, 6}};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) ka(i, j) = kv3[i - 1][j - 1];
  Dense ma(3);
  ma(1, 1) = 2.0;
  ma(2, 2) = 3.0;
  ma(3, 3) = 4.0;
  ma(1, 3) = ma(3, 1) = 0.5;
  ma(2, 3) = ma(3, 2) = 0.25;
  std::vector<SkyReal> k = solvertest::pack<SkyReal>(ka, pk);
  std::vector<SkyReal> m = solvertest::pack<SkyReal>(ma, pm);
  std::vector<float> r = {0.0f, 0.0f, 0.0f};
  std::vector<float> w(3);
  ASSERT_EQ(run(1, 3, 3, 1, 1, 1, k, pk, r, w, carried(m, pm)), SolveStatus::ok);
  EXPECT_NEAR(solvertest::term(m, pm, 2, 2), 3.0 + 0.25 * 2.0, 1e-6);
  EXPECT_NEAR(solvertest::term(m, pm, 2, 3), 0.25 - 0.5 * 0.5 + 0.5 * 0.25 * 2.0, 1e-6);
  EXPECT_NEAR(solvertest::term(m, pm, 3, 3), 4.0 - 2.0 * 0.25 * 0.5 + 0.0625 * 2.0, 1e-6);
}

// ---------------------------------------------------------------- random profiles

struct RandomCase {
  int n;
  int hmax;   // largest column height above the diagonal
  int ncond;  // equations condensed first
  int nlc;
  int extra_rows;  // LDR - N
  unsigned seed;
};

class MsollRandom : public ::testing::TestWithParam<RandomCase> {};

// Condensed K and M against T' K T and T' M T with T = [-inv(Kcc) Kcr; I]
// computed densely in double; then the solution in stages against a dense solve.
TEST_P(MsollRandom, CondensationAndSolutionMatchDenseReference) {
  const RandomCase c = GetParam();
  std::mt19937 rng(c.seed);
  const int n = c.n;
  const int nc = c.ncond;
  const int ldr = n + c.extra_rows;
  const Profile pk = solvertest::profile_from_tops(solvertest::random_tops(n, c.hmax, rng));
  // Mass and geometric stiffness profiles cover the stiffness profile.
  auto widened = [&](int by) {
    std::vector<int> top = pk.top;
    std::uniform_int_distribution<int> extra(0, by);
    for (int j = 1; j <= n; ++j) top[j] = std::max(1, top[j] - extra(rng));
    return solvertest::profile_from_tops(top);
  };
  const Profile pm = widened(3);
  const Profile pg = widened(1);
  const Dense ka = solvertest::random_spd(pk, rng);
  const Dense ma = solvertest::random_spd(pm, rng);
  Dense ga = solvertest::random_spd(pg, rng);
  for (double& x : ga.v) x = -0.1 * x;

  std::vector<SkyReal> k = solvertest::pack<SkyReal>(ka, pk);
  std::vector<SkyReal> m = solvertest::pack<SkyReal>(ma, pm);
  std::vector<SkyReal> g = solvertest::pack<SkyReal>(ga, pg);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> b(static_cast<std::size_t>(n) * c.nlc);
  std::vector<float> r(static_cast<std::size_t>(ldr) * c.nlc, 777.0f);
  for (int col = 0; col < c.nlc; ++col)
    for (int i = 0; i < n; ++i) {
      b[col * n + i] = u(rng);
      r[col * ldr + i] = static_cast<float>(b[col * n + i]);
    }
  std::vector<float> w(n);

  // Reference: X = inv(Kcc) Kcr, T = [-X; I].
  const int nr = n - nc;
  Dense kcc(nc);
  for (int i = 1; i <= nc; ++i)
    for (int j = 1; j <= nc; ++j) kcc(i, j) = ka(i, j);
  std::vector<double> kcr(static_cast<std::size_t>(nc) * nr);
  for (int col = 0; col < nr; ++col)
    for (int i = 1; i <= nc; ++i) kcr[col * nc + i - 1] = ka(i, nc + 1 + col);
  const std::vector<double> xs = solvertest::dense_solve(kcc, kcr, nr);
  auto tmat = [&](int i, int col) {  // T(i, col), col = 1..nr
    if (i <= nc) return -xs[(col - 1) * nc + i - 1];
    return i - nc == col ? 1.0 : 0.0;
  };
  auto transformed = [&](const Dense& a, int p, int q) {  // (T' A T)(p, q)
    double s = 0.0;
    for (int i = 1; i <= n; ++i) {
      const double ti = tmat(i, p);
      if (ti == 0.0) continue;
      for (int j = 1; j <= n; ++j) s += ti * a(i, j) * tmat(j, q);
    }
    return s;
  };
  double kscale = 0.0, mscale = 0.0, gscale = 0.0;
  for (double x : ka.v) kscale = std::max(kscale, std::fabs(x));
  for (double x : ma.v) mscale = std::max(mscale, std::fabs(x));
  for (double x : ga.v) gscale = std::max(gscale, std::fabs(x));

  ASSERT_EQ(run(1, n, ldr, c.nlc, 1, nc, k, pk, r, w, carried(m, pm), carried(g, pg)), SolveStatus::ok);

  for (int q = 1; q <= nr; ++q) {
    for (int p = 1; p <= q; ++p) {
      const int i = nc + p, j = nc + q;
      const double kref = transformed(ka, p, q);
      const double mref = transformed(ma, p, q);
      const double gref = transformed(ga, p, q);
      if (pk.inside(i, j)) {
        EXPECT_NEAR(solvertest::term(k, pk, i, j), kref, 2e-5 * kscale) << i << "," << j;
      } else {
        EXPECT_NEAR(kref, 0.0, 1e-9 * kscale) << "fill outside the profile " << i << "," << j;
      }
      if (pm.inside(i, j)) {
        EXPECT_NEAR(solvertest::term(m, pm, i, j), mref, 2e-5 * mscale) << i << "," << j;
      } else {
        EXPECT_NEAR(mref, 0.0, 1e-9 * mscale) << i << "," << j;
      }
      if (pg.inside(i, j)) {
        EXPECT_NEAR(solvertest::term(g, pg, i, j), gref, 2e-5 * gscale) << i << "," << j;
      }
    }
  }
  // Reduced loads: T' b.
  for (int col = 0; col < c.nlc; ++col)
    for (int p = 1; p <= nr; ++p) {
      double ref = 0.0;
      for (int i = 1; i <= n; ++i) ref += tmat(i, p) * b[col * n + i - 1];
      EXPECT_NEAR(r[col * ldr + nc + p - 1], ref, 2e-5 * (1.0 + std::fabs(ref)));
    }

  // The rest reduced and solved, then the condensed equations recovered.
  ASSERT_EQ(run(1, n, ldr, c.nlc, nc + 1, n, k, pk, r, w), SolveStatus::ok);
  ASSERT_EQ(run(3, n, ldr, c.nlc, nc + 1, n, k, pk, r, w), SolveStatus::ok);
  ASSERT_EQ(run(3, n, ldr, c.nlc, 1, nc, k, pk, r, w), SolveStatus::ok);
  const std::vector<double> x = solvertest::dense_solve(ka, b, c.nlc);
  for (int col = 0; col < c.nlc; ++col) {
    for (int i = 0; i < n; ++i)
      EXPECT_NEAR(r[col * ldr + i], x[col * n + i], 1e-4 * (1.0 + std::fabs(x[col * n + i]))) << i;
    for (int i = n; i < ldr; ++i) EXPECT_EQ(r[col * ldr + i], 777.0f);
  }
}

// A full reduction, further loads by option 2, and the product by option 4.
TEST_P(MsollRandom, FullSolveReduceLoadsAndMultiply) {
  const RandomCase c = GetParam();
  std::mt19937 rng(c.seed + 100);
  const int n = c.n;
  const Profile pk = solvertest::profile_from_tops(solvertest::random_tops(n, c.hmax, rng));
  const Dense ka = solvertest::random_spd(pk, rng);
  std::vector<SkyReal> k = solvertest::pack<SkyReal>(ka, pk);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> b(static_cast<std::size_t>(2) * n);
  for (double& x : b) x = u(rng);
  std::vector<float> r1(b.begin(), b.begin() + n);
  std::vector<float> r2(b.begin() + n, b.end());
  std::vector<float> w(n);
  ASSERT_EQ(run(1, n, n, 1, 1, n, k, pk, r1, w), SolveStatus::ok);
  ASSERT_EQ(run(2, n, n, 1, 1, n, k, pk, r2, w), SolveStatus::ok);
  ASSERT_EQ(run(3, n, n, 1, 1, n, k, pk, r1, w), SolveStatus::ok);
  ASSERT_EQ(run(3, n, n, 1, 1, n, k, pk, r2, w), SolveStatus::ok);
  const std::vector<double> x = solvertest::dense_solve(ka, b, 2);
  for (int i = 0; i < n; ++i) {
    EXPECT_NEAR(r1[i], x[i], 1e-4 * (1.0 + std::fabs(x[i])));
    EXPECT_NEAR(r2[i], x[n + i], 1e-4 * (1.0 + std::fabs(x[n + i])));
  }
  // Option 4 recovers K x from the factored form.
  std::vector<float> xv(n);
  for (float& v : xv) v = static_cast<float>(u(rng));
  std::vector<float> p(n, 55.0f);
  ASSERT_EQ(run(4, n, n, 1, 1, n, k, pk, p, xv), SolveStatus::ok);
  double scale = 0.0;
  for (double v : ka.v) scale = std::max(scale, std::fabs(v));
  for (int i = 1; i <= n; ++i) {
    double ref = 0.0;
    for (int j = 1; j <= n; ++j) ref += ka(i, j) * xv[j - 1];
    EXPECT_NEAR(p[i - 1], ref, 1e-4 * scale) << i;
  }
}

// Option 2 as one pivot row at a time: the reference for the order of its
// roundings.
void reduce_loads_row_by_row(int n, const std::vector<SkyReal>& k, const Profile& p, float* r) {
  for (int j = 1; j <= n; ++j) {
    SkyReal v = r[j - 1];
    for (int i = p.top[j]; i < j; ++i) {
      const SkyReal ri = r[i - 1];
      const SkyReal kij = static_cast<SkyReal>(solvertest::term(k, p, i, j));
      const SkyReal kii = static_cast<SkyReal>(solvertest::term(k, p, i, i));
      if (ri != 0.0f) v -= kij * ri / kii;
    }
    r[j - 1] = v;
  }
}

// Option 2 forms each load row with the same roundings, in the same order, as
// one pivot row after the other; a pivot row whose load is zero adds nothing
// (not even a signed zero).
TEST_P(MsollRandom, ReduceLoadsKeepsTheOrderOfEachRow) {
  const RandomCase c = GetParam();
  std::mt19937 rng(c.seed + 200);
  const int n = c.n;
  const Profile pk = solvertest::profile_from_tops(solvertest::random_tops(n, c.hmax, rng));
  std::vector<SkyReal> k = solvertest::pack<SkyReal>(solvertest::random_spd(pk, rng), pk);
  std::vector<float> none(n);
  std::vector<float> w(n);
  ASSERT_EQ(run(1, n, n, 1, 1, n, k, pk, none, w), SolveStatus::ok);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<float> r(n);
  for (int i = 0; i < n; ++i) r[i] = i % 3 == 1 ? 0.0f : static_cast<float>(u(rng));
  if (n > 2) r[n - 1] = -0.0f;
  std::vector<float> ref = r;
  reduce_loads_row_by_row(n, k, pk, ref.data());
  ASSERT_EQ(run(2, n, n, 1, 1, n, k, pk, r, w), SolveStatus::ok);
  for (int i = 0; i < n; ++i) EXPECT_EQ(std::bit_cast<std::uint32_t>(r[i]), std::bit_cast<std::uint32_t>(ref[i])) << i;
}

// A matrix whose terms changed from column c on, reduced again from there on
// the factors of its last reduction, gives the factors and the reduced load of
// a whole reduction, bit for bit; so does an unchanged matrix (c past the end).
TEST_P(MsollRandom, ReductionFromTheFirstChangedColumnHasTheWholeReductionsBits) {
  const RandomCase c = GetParam();
  std::mt19937 rng(c.seed + 300);
  const int n = c.n;
  const Profile pk = solvertest::profile_from_tops(solvertest::random_tops(n, c.hmax, rng));
  const std::vector<SkyReal> before = solvertest::pack<SkyReal>(solvertest::random_spd(pk, rng), pk);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<float> load(n);
  for (float& x : load) x = static_cast<float>(u(rng));
  for (const int changed : {1, n / 3 + 1, n / 2 + 2, n}) {
    if (changed > n) continue;
    // New terms in the columns from `changed` on: a softer diagonal, a changed coupling.
    std::vector<SkyReal> after = before;
    for (int j = changed; j <= n; ++j) {
      after[pk.mdiag[j - 1] - 1] *= 0.75f;
      if (j > pk.top[j]) after[pk.mdiag[j - 1]] *= 0.5f;
    }
    std::vector<SkyReal> whole = after;
    std::vector<float> whole_load = load;
    std::vector<float> w(n);
    ASSERT_EQ(run(1, n, n, 1, 1, n, whole, pk, whole_load, w), SolveStatus::ok);

    std::vector<SkyReal> kept = before;
    std::vector<float> ignored = load;
    ASSERT_EQ(run(1, n, n, 1, 1, n, kept, pk, ignored, w), SolveStatus::ok);
    const int from = solvers::refactored_from(changed);
    EXPECT_LE(from, changed);
    std::copy(after.begin() + pk.mdiag[from - 1] - 1, after.end(), kept.begin() + pk.mdiag[from - 1] - 1);
    std::vector<float> part_load = load;
    ASSERT_EQ(solvers::reduce_changed(changed, n, view(kept, pk), part_load.data()), SolveStatus::ok);
    for (std::size_t q = 0; q < kept.size(); ++q)
      ASSERT_EQ(std::bit_cast<std::uint32_t>(kept[q]), std::bit_cast<std::uint32_t>(whole[q])) << changed << " " << q;
    for (int i = 0; i < n; ++i)
      ASSERT_EQ(std::bit_cast<std::uint32_t>(part_load[i]), std::bit_cast<std::uint32_t>(whole_load[i]))
          << changed << " " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, MsollRandom,
    ::testing::Values(RandomCase{3, 2, 1, 1, 0, 1u}, RandomCase{12, 5, 4, 1, 0, 2u},
                      RandomCase{40, 12, 9, 2, 3, 3u}, RandomCase{70, 30, 17, 3, 0, 4u},
                      RandomCase{45, 44, 20, 1, 1, 5u},  // full matrix
                      RandomCase{57, 2, 30, 2, 0, 6u},   // narrow band
                      RandomCase{90, 60, 1, 1, 2, 7u}));

}  // namespace

// ---------------------------------------------------------------- trace prints

namespace {

// The option's title line and the matrix titles, in the order printed.
std::vector<std::string> trace_titles(const std::vector<std::string>& lines) {
  std::vector<std::string> t;
  for (const std::string& l : lines) {
    if (l.rfind("  IOPT=", 0) == 0) t.push_back(l);
    const auto p = l.find("PRINTING MATRIX: ");
    if (p != std::string::npos) t.push_back(l.substr(p + 17));
  }
  return t;
}

TEST(MsollTrace, EachOptionPrintsItsMatrices) {
  const Profile p = solvertest::profile_from_tops({0, 1, 1});
  std::vector<SkyReal> k = {4.0f, 3.0f, 2.0f};
  std::vector<SkyReal> m = {2.0f, 1.0f, 0.4f};
  std::vector<SkyReal> g = {1.0f, 1.0f, 0.0f};
  std::vector<float> r = {8.0f, 8.0f};
  std::vector<float> w = {1.0f, 2.0f};
  const std::vector<std::pair<int, std::vector<std::string>>> cases = {
      {1,
       {"  IOPT=1, REDUCE STIFFNESS AND LOADS  L1:    1   L2:    2   N:    2", "INPUT STIFFNESS",
        "INPUT LOAD", "INPUT MASS", "INPUT KG", "REDUCED STIFFNESS", "REDUCED LOAD", "REDUCED MASS",
        "REDUCED KG"}},
      {2,
       {"  IOPT=2, REDUCE LOADS ONLY  L1:    1   L2:    2   N:    2", "REDUCED STIFFNESS",
        "NEW LOAD MATRIX "}},
      {3,
       {"  IOPT=3, BACK SUBSTUTION  L1:    1   L2:    2   N:    2", "REDUCED STIFFNESS",
        "REDUCED LOAD", "DISPLACEMENT"}},
      {4,
       {"  IOPT=4, REDUCED MULTIPLACATION  L1:    1   L2:    2   N:    2", "REDUCED STIFFNESS",
        "DISPLACEMENT", "REDUCED LOAD", "LOAD"}},
  };
  for (const auto& [iopt, titles] : cases) {
    solvertest::Unit6 out;
    int l1 = 1, l2 = 2;
    const bool carry = iopt == 1;
    EXPECT_EQ(solvers::msoll(iopt, true, 2, 2, 1, l1, l2, view(k, p), r.data(), w.data(),
                             {carry, m.data(), p.mdiag.data(), 3}, {carry, g.data(), p.mdiag.data(), 3}),
              SolveStatus::ok);
    EXPECT_EQ(trace_titles(out.lines()), titles) << iopt;
  }
}

}  // namespace
