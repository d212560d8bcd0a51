// Ordering of node IDs read out of order: the index sort that numbers the
// nodes of a model whose records come in descending or shuffled ID order.
//
//   model_bench --benchmark_counter_tabular=true

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include "base/input_lines.h"

namespace {

void sort_ids(benchmark::State& state, const std::vector<std::int32_t>& ids) {
  std::vector<std::int32_t> idx(ids.size());
  for (auto _ : state) {
    base::isort(ids.data(), idx.data(), static_cast<int>(ids.size()));
    benchmark::DoNotOptimize(idx.data());
  }
  state.counters["nodes"] = static_cast<double>(ids.size());
}

// 100,000 nodes given from the highest ID down.
void BM_IsortDescending(benchmark::State& state) {
  std::vector<std::int32_t> ids(static_cast<std::size_t>(state.range(0)));
  std::iota(ids.rbegin(), ids.rend(), 1);
  sort_ids(state, ids);
}
BENCHMARK(BM_IsortDescending)->Arg(100000)->Unit(benchmark::kMillisecond);

// 40,000 nodes in a fixed shuffled order.
void BM_IsortShuffled(benchmark::State& state) {
  std::vector<std::int32_t> ids(static_cast<std::size_t>(state.range(0)));
  std::iota(ids.begin(), ids.end(), 1);
  std::shuffle(ids.begin(), ids.end(), std::mt19937(12345));
  sort_ids(state, ids);
}
BENCHMARK(BM_IsortShuffled)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
