// The whole run of a static solution of the 30-storey, 10 x 10-bay frame of
// elastic 3D beams (21,780 equations) under a lateral load at every floor node:
// structure input, stiffness formation, factorisation, solution and reports,
// as a user runs it. Besides the time, the counters give the reaction sums
// against the applied loads.
//
//   frame_run_bench --benchmark_repetitions=5

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "children_cpu.h"
#include "support/frame_deck.h"

namespace {

namespace fs = std::filesystem;

using kvbench::children_cpu;

std::string read(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void BM_FrameStaticRun(benchmark::State& state) {
  kvtest::FrameSpec spec;
  spec.solution = "SOL1\n'LATERAL LOAD AT EVERY FLOOR NODE'\n1 0\n%LOADS%";
  const fs::path dir = fs::temp_directory_path() / ("kv_frame_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  {
    std::ofstream(dir / "frame.dat") << kvtest::frame_deck(spec);
    std::ofstream(dir / "answers.txt") << dir.string() << "\nframe.dat\nframe.out\n";
  }
  // KELVORAN_EXE in the environment runs another build of the program (say,
  // the one before a change) on the same deck.
  const char* other = std::getenv("KELVORAN_EXE");
  const std::string exe = other != nullptr ? other : KELVORAN_EXE;
  const std::string cmd = "cd '" + dir.string() + "' && '" + exe + "' < answers.txt > console.txt 2>&1";
  // The run's own CPU time, less disturbed by other work on a shared machine
  // than the wall-clock time.
  const double cpu0 = children_cpu();
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("the run failed");
  }
  state.counters["cpu_s"] = (children_cpu() - cpu0) / static_cast<double>(state.iterations());
  // The summation line of the reactions: FX FY FZ MX MY MZ.
  const std::string out = read(dir / "frame.out");
  const std::size_t at = out.rfind(" SUMMATION");
  if (at != std::string::npos) {
    std::istringstream line(out.substr(at + 10, out.find('\n', at) - at - 10));
    double v[6] = {};
    for (double& x : v) line >> x;
    const double applied = spec.load_fx * spec.storeys * spec.floor_nodes();
    state.counters["rel_err_FX"] = std::fabs(v[0] + applied) / applied;
    state.counters["MX"] = v[3];
    state.counters["FY"] = v[1];
  }
  fs::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_FrameStaticRun)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
