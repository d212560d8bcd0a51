// The solver kernels give the same bits for any number of threads: the
// factors, the reduced loads and the solutions of 1, 2 and 8 threads are
// compared byte for byte, on profiles long enough to be shared out, and so
// are the eigenvalues and eigenvectors of a dense pair.
#include <gtest/gtest.h>

#include <omp.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "solver_test_support.h"
#include "solvers/eigen_solver.h"
#include "solvers/skyline_elimination.h"
#include "solvers/skyline_solver.h"

namespace {

using kv::SkyReal;
using solvers::SolveStatus;
using solvertest::Profile;

// Sets the thread count for the life of the object, granted in full however
// busy the machine is.
class Threads {
 public:
  explicit Threads(int n) : saved_(omp_get_max_threads()), dynamic_(omp_get_dynamic()) {
    solvers::detail::fix_solver_threads(true);
    omp_set_dynamic(0);
    omp_set_num_threads(n);
  }
  ~Threads() {
    omp_set_num_threads(saved_);
    omp_set_dynamic(dynamic_);
    solvers::detail::fix_solver_threads(false);
  }

 private:
  int saved_;
  int dynamic_;
};

template <class T>
bool same_bytes(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

struct Result {
  SolveStatus reduce = SolveStatus::ok;
  SolveStatus solve = SolveStatus::ok;
  std::vector<SkyReal> k;
  std::vector<float> r;
};

struct Case {
  const char* name;
  int n;
  int hmax;
  int l1;  // reduction range l1..l2; the rest of the matrix is condensed
  int l2;
  int nlc;
  int zero_pivot;  // 0, or an equation whose column is made all zero
};

// A diagonally dominant matrix packed straight into the random profile (the
// dense form of these orders would cost far more than the solution).
Result run(const Case& c, int threads) {
  std::mt19937 rng(4711);
  const Profile p = solvertest::profile_from_tops(solvertest::random_tops(c.n, c.hmax, rng));
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  Result out;
  out.k.assign(static_cast<std::size_t>(p.stored()), 0.0f);
  std::vector<float> rowsum(static_cast<std::size_t>(c.n) + 1, 0.0f);
  for (int j = 1; j <= c.n; ++j) {
    for (int i = p.top[j]; i < j; ++i) {
      const float x = u(rng);
      out.k[static_cast<std::size_t>(p.mdiag[j - 1] - 1 + j - i)] = x;
      rowsum[i] += std::fabs(x);
      rowsum[j] += std::fabs(x);
    }
  }
  for (int j = 1; j <= c.n; ++j)
    out.k[static_cast<std::size_t>(p.mdiag[j - 1] - 1)] = c.zero_pivot == j ? 0.0f : rowsum[j] + 1.0f;
  if (c.zero_pivot > 0) {
    for (int i = p.top[c.zero_pivot]; i <= c.zero_pivot; ++i)
      out.k[static_cast<std::size_t>(p.mdiag[c.zero_pivot - 1] - 1 + c.zero_pivot - i)] = 0.0f;
  }
  out.r.resize(static_cast<std::size_t>(c.n) * c.nlc);
  for (float& v : out.r) v = u(rng);
  std::vector<float> w(static_cast<std::size_t>(c.n));
  const Threads t(threads);
  solvertest::Unit6 unit6;
  const solvers::SkylineMatrix k{out.k.data(), p.mdiag.data(), p.stored()};
  int l1 = c.l1;
  int l2 = c.l2;
  out.reduce = solvers::msoll(solvers::kReduce, false, c.n, c.n, c.nlc, l1, l2, k, out.r.data(),
                              w.data(), {}, {});
  if (out.reduce == SolveStatus::ok)
    out.solve = solvers::msoll(solvers::kBackSubstitute, false, c.n, c.n, c.nlc, l1, l2, k,
                               out.r.data(), w.data(), {}, {});
  return out;
}

TEST(SolverThreads, SkylineReductionGivesTheSameBytesForAnyThreadCount) {
  const Case cases[] = {
      {"full solve, one load", 4000, 200, 1, 4000, 1, 0},
      {"full solve, three loads, tall columns", 2500, 600, 1, 2500, 3, 0},
      {"condensation of the first equations", 3000, 300, 1, 1700, 2, 0},
      {"reduction of a middle range", 3000, 300, 900, 2600, 1, 0},
      {"zero pivot", 3000, 300, 1, 3000, 1, 2345},
  };
  for (const Case& c : cases) {
    const Result one = run(c, 1);
    if (c.zero_pivot > 0) {
      EXPECT_EQ(one.reduce, SolveStatus::zero_pivot) << c.name;
    }
    for (int threads : {2, 8}) {
      const Result many = run(c, threads);
      EXPECT_EQ(many.reduce, one.reduce) << c.name << ", " << threads << " threads";
      EXPECT_EQ(many.solve, one.solve) << c.name << ", " << threads << " threads";
      if (c.zero_pivot > 0) continue;  // past the zero pivot the arrays are only partly reduced
      EXPECT_TRUE(same_bytes(one.k, many.k)) << c.name << ": factor, " << threads << " threads";
      EXPECT_TRUE(same_bytes(one.r, many.r)) << c.name << ": solution, " << threads << " threads";
    }
  }
}

}  // namespace

namespace {

struct Eigen {
  solvers::EigenStatus status = solvers::EigenStatus::ok;
  int row = 0;
  std::vector<float> eig;
  std::vector<float> x;
};

// All eigenpairs of a random pair: A symmetric with a share fill of its
// couplings nonzero (the rest exactly zero, so that rotations are skipped
// between those made), B diagonally dominant.
Eigen eigen_run(int n, float fill, int threads, int negative_mass_row = 0) {
  std::mt19937 rng(1234);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  const std::size_t nn = static_cast<std::size_t>(n) * n;
  std::vector<float> a(nn), b(nn);
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i <= j; ++i) {
      const float c = u(rng);
      const bool kept = fill >= 1.0f || i == j || std::fabs(c) < fill;
      a[i + static_cast<std::size_t>(j) * n] = a[j + static_cast<std::size_t>(i) * n] = kept ? c : 0.0f;
      b[i + static_cast<std::size_t>(j) * n] = b[j + static_cast<std::size_t>(i) * n] = 0.01f * u(rng);
    }
    b[j + static_cast<std::size_t>(j) * n] = 1.0f + 0.5f * std::fabs(u(rng));
  }
  if (negative_mass_row > 0) {
    const std::size_t r = static_cast<std::size_t>(negative_mass_row - 1);
    b[r + r * n] = -1.0f;
  }
  Eigen out;
  out.eig.resize(static_cast<std::size_t>(n));
  out.x.resize(nn);
  std::vector<float> d(static_cast<std::size_t>(n)), w1(d.size()), w2(d.size());
  const Threads t(threads);
  solvertest::Unit6 unit6;
  const solvers::EigenResult result =
      solvers::eiggen(n, a.data(), b.data(), out.eig.data(), out.x.data(), d.data(), w1.data(), w2.data());
  out.status = result.status;
  out.row = result.row;
  return out;
}

TEST(SolverThreads, EigenSolutionGivesTheSameBytesForAnyThreadCount) {
  // From order 200 on, the rotations of the vectors and of A above the pivot
  // row, line p right of the pivot (from three threads on, one pivot row
  // behind, and the blocks of the row ahead of the one making the rotations),
  // the reduction and the back-transformation are shared among threads;
  // three threads cut the rows into uneven shares.
  const struct {
    const char* name;
    int n;
    float fill;
  } cases[] = {
      {"dense", 400, 1.0f},
      {"sparse couplings, rotations skipped", 345, 0.03f},
      {"a fifth of the couplings, rows of uneven work", 800, 0.2f},
  };
  for (const auto& c : cases) {
    const Eigen one = eigen_run(c.n, c.fill, 1);
    ASSERT_EQ(one.status, solvers::EigenStatus::ok) << c.name;
    for (int threads : {2, 3, 8}) {
      const Eigen many = eigen_run(c.n, c.fill, threads);
      EXPECT_EQ(many.status, one.status) << c.name << ", " << threads << " threads";
      EXPECT_TRUE(same_bytes(one.eig, many.eig)) << c.name << ": eigenvalues, " << threads << " threads";
      EXPECT_TRUE(same_bytes(one.x, many.x)) << c.name << ": eigenvectors, " << threads << " threads";
    }
  }
}

// A mass matrix that is not positive definite stops the reduction at the same
// row whatever the number of threads sharing it, and every thread leaves it.
TEST(SolverThreads, MassNotPositiveDefiniteStopsAtTheSameRowForAnyThreadCount) {
  for (int threads : {1, 3, 8}) {
    const Eigen e = eigen_run(300, 1.0f, threads, 251);
    EXPECT_EQ(e.status, solvers::EigenStatus::not_positive_definite) << threads << " threads";
    EXPECT_EQ(e.row, 251) << threads << " threads";
  }
}

}  // namespace
