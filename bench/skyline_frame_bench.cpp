// Factorisation and solution of the skyline system of a generated 3D frame:
// 30 storeys of 10 x 10 bays (11 x 11 nodes a floor, the base fixed), 6 DOF a
// node, nodes numbered storey by storey: 21,780 equations. The profile is built
// from the frame's connectivity (columns between storeys, beams in X and Y at
// every floor); the stiffness is a diagonally dominant symmetric matrix with
// that profile, so it is positive definite and needs no pivoting.
//
// BM_FrameFactor runs with one thread and with every core of the machine (the
// runtime's own reduction of threads on a busy machine switched off), and
// prints the rate in flops and the speed-up against the one-thread run. On a
// shared machine read them with the load average beside them.
//
//   solvers_bench

#include <benchmark/benchmark.h>
#include <omp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cmath>
#include <cstdint>
#include <vector>

#include "solvers/skyline_products.h"
#include "solvers/skyline_solver.h"

namespace {

using kv::SkyReal;

constexpr int kStoreys = 30;
constexpr int kBays = 10;
constexpr int kSide = kBays + 1;             // nodes along a floor edge
constexpr int kFloorNodes = kSide * kSide;  // nodes of one floor
constexpr int kDof = 6;

struct Frame {
  int neq = 0;
  std::vector<std::int32_t> mdiag;  // MDIAG(1..NEQ+1)
  std::vector<SkyReal> k;           // the assembled stiffness
  std::vector<float> load;          // one load column
  double factor_flops = 0.0;        // floating-point operations of a full reduction
};

// Node number (0-based) of floor f = 1..kStoreys; -1 for the fixed base.
int node(int f, int ix, int iy) { return f == 0 ? -1 : (f - 1) * kFloorNodes + iy * kSide + ix; }

// The element list: pairs of nodes.
std::vector<std::pair<int, int>> members() {
  std::vector<std::pair<int, int>> e;
  for (int f = 1; f <= kStoreys; ++f) {
    for (int iy = 0; iy < kSide; ++iy) {
      for (int ix = 0; ix < kSide; ++ix) {
        e.emplace_back(node(f - 1, ix, iy), node(f, ix, iy));                 // column
        if (ix + 1 < kSide) e.emplace_back(node(f, ix, iy), node(f, ix + 1, iy));  // beam in X
        if (iy + 1 < kSide) e.emplace_back(node(f, ix, iy), node(f, ix, iy + 1));  // beam in Y
      }
    }
  }
  return e;
}

// The location vector (1-based equations) of an element.
int location(const std::pair<int, int>& e, int* lm) {
  int nd = 0;
  for (int nodeno : {e.first, e.second})
    if (nodeno >= 0)
      for (int d = 0; d < kDof; ++d) lm[nd++] = nodeno * kDof + d + 1;
  return nd;
}

const Frame& frame() {
  static const Frame f = [] {
    Frame fr;
    fr.neq = kStoreys * kFloorNodes * kDof;
    const auto elems = members();
    // Profile: the top of every column from the connectivity.
    std::vector<int> top(static_cast<std::size_t>(fr.neq) + 1);
    for (int j = 1; j <= fr.neq; ++j) top[j] = j;
    int lm[2 * kDof];
    for (const auto& e : elems) {
      const int nd = location(e, lm);
      const int first = *std::min_element(lm, lm + nd);
      for (int a = 0; a < nd; ++a) top[lm[a]] = std::min(top[lm[a]], first);
    }
    fr.mdiag.resize(static_cast<std::size_t>(fr.neq) + 1);
    fr.mdiag[0] = 1;
    for (int j = 1; j <= fr.neq; ++j) fr.mdiag[j] = fr.mdiag[j - 1] + (j - top[j] + 1);
    fr.k.assign(static_cast<std::size_t>(fr.mdiag[fr.neq] - 1), SkyReal(0));

    // Element couplings of varying size; the diagonal then dominates every row.
    std::vector<double> rowsum(static_cast<std::size_t>(fr.neq) + 1, 0.0);
    std::uint32_t seed = 12345u;
    auto next = [&seed] {
      seed = seed * 1664525u + 1013904223u;
      return static_cast<double>(seed >> 8) / static_cast<double>(1u << 24);
    };
    for (const auto& e : elems) {
      const int nd = location(e, lm);
      for (int a = 0; a < nd; ++a) {
        for (int b = a + 1; b < nd; ++b) {
          const int i = std::min(lm[a], lm[b]);
          const int j = std::max(lm[a], lm[b]);
          const double v = -(0.1 + next());
          fr.k[static_cast<std::size_t>(fr.mdiag[j - 1] - 1 + j - i)] += static_cast<SkyReal>(v);
          rowsum[i] += std::fabs(v);
          rowsum[j] += std::fabs(v);
        }
      }
    }
    for (int j = 1; j <= fr.neq; ++j)
      fr.k[static_cast<std::size_t>(fr.mdiag[j - 1] - 1)] = static_cast<SkyReal>(rowsum[j] + 1.0);

    fr.load.resize(static_cast<std::size_t>(fr.neq));
    for (int j = 0; j < fr.neq; ++j) fr.load[j] = static_cast<float>(1.0 + 0.5 * std::sin(j));

    // Operations of the reduction: per stored term above the diagonal one dot
    // product over the overlap with the earlier column, one division for the
    // scaled term, and the diagonal's dot product.
    double flops = 0.0;
    for (int j = 1; j <= fr.neq; ++j) {
      for (int k = top[j] + 1; k < j; ++k) flops += 2.0 * (k - std::max(top[j], top[k]));
      flops += (j - top[j]) * 3.0;  // divisions and the diagonal's dot product
    }
    fr.factor_flops = flops;
    return fr;
  }();
  return f;
}

solvers::SkylineMatrix view(std::vector<SkyReal>& k, const Frame& f) {
  return {k.data(), f.mdiag.data(), static_cast<std::int32_t>(k.size())};
}

void BM_FrameFactor(benchmark::State& state) {
  static double one_thread_seconds = 0.0;  // per reduction, from the Arg(1) run
  const int threads = state.range(0) > 0 ? static_cast<int>(state.range(0)) : omp_get_num_procs();
  omp_set_dynamic(0);
  omp_set_num_threads(threads);
  const Frame& f = frame();
  double seconds = 0.0;
  std::vector<SkyReal> k(f.k.size());
  std::vector<float> r(f.load.size());
  std::vector<float> w(f.load.size());
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(f.k.begin(), f.k.end(), k.begin());
    std::copy(f.load.begin(), f.load.end(), r.begin());
    state.ResumeTiming();
    int l1 = 1;
    int l2 = f.neq;
    const auto t0 = std::chrono::steady_clock::now();
    const auto status = solvers::msoll(solvers::kReduce, false, f.neq, f.neq, 1, l1, l2, view(k, f),
                                       r.data(), w.data(), {}, {});
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (status != solvers::SolveStatus::ok) state.SkipWithError("zero pivot");
    benchmark::DoNotOptimize(k.data());
  }
  const double per_run = seconds / static_cast<double>(state.iterations());
  if (threads == 1) one_thread_seconds = per_run;
  state.counters["threads"] = threads;
  if (one_thread_seconds > 0.0) state.counters["speedup"] = one_thread_seconds / per_run;
  double load = -1.0;
  if (std::FILE* la = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(la, "%lf", &load) != 1) load = -1.0;
    std::fclose(la);
  }
  state.counters["load"] = load;
  state.counters["equations"] = f.neq;
  state.counters["terms"] = static_cast<double>(f.k.size());
  state.counters["flops"] =
      benchmark::Counter(f.factor_flops, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_FrameSolve(benchmark::State& state) {
  const Frame& f = frame();
  std::vector<SkyReal> k = f.k;
  std::vector<float> r = f.load;
  std::vector<float> w(f.load.size());
  int l1 = 1;
  int l2 = f.neq;
  solvers::msoll(solvers::kReduce, false, f.neq, f.neq, 1, l1, l2, view(k, f), r.data(), w.data(), {}, {});
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(f.load.begin(), f.load.end(), r.begin());
    state.ResumeTiming();
    solvers::msoll(solvers::kReduceLoads, false, f.neq, f.neq, 1, l1, l2, view(k, f), r.data(),
                   w.data(), {}, {});
    solvers::msoll(solvers::kBackSubstitute, false, f.neq, f.neq, 1, l1, l2, view(k, f), r.data(),
                   w.data(), {}, {});
    benchmark::DoNotOptimize(r.data());
  }
  // Relative residual |K x - b| / |b| of the solution, with the original K.
  std::vector<float> p(f.load.size());
  solvers::skymul(false, true, static_cast<int>(f.k.size()), f.neq, 1, f.neq, 1, f.neq,
                  f.mdiag.data(), f.k.data(), p.data(), r.data());
  double num = 0.0;
  double den = 0.0;
  for (int i = 0; i < f.neq; ++i) {
    num += (static_cast<double>(p[i]) - f.load[i]) * (static_cast<double>(p[i]) - f.load[i]);
    den += static_cast<double>(f.load[i]) * f.load[i];
  }
  state.counters["equations"] = f.neq;
  state.counters["rel_residual"] = std::sqrt(num / den);
}

}  // namespace

BENCHMARK(BM_FrameFactor)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FrameSolve)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
