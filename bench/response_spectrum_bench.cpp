// "SOL" 5 over all modes of an n-storey shear building (one spring and one
// unit floor mass per storey, k = 100, a flat spectrum of 0.4 g), combined by
// SRSS and by CQC, as a user runs it. The CQC combination of every quantity
// over every mode pair must not cost more than the rest of the solution: the
// counter cqc_over_srss is the CPU time of the CQC run over that of the SRSS
// run (under 2 for 500 storeys).
//
//   response_spectrum_bench --benchmark_filter=/500
// KELVORAN_EXE in the environment runs another build of the program.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "children_cpu.h"

namespace {

namespace fs = std::filesystem;

using kvbench::children_cpu;

// Storey heights of 120 in; node 1 fixed, the floors free along X only.
std::string shear_building(int storeys, const std::string& method) {
  std::ostringstream d;
  d << "STR\n'" << storeys << "-STOREY SHEAR BUILDING, K = 100, M = 1'\n"
    << storeys + 1 << " 1 2 0 0 1.0\n"
    << "1 0.0 0.0 0.0 1 0\n"
    << "2 0.0 0.0 120.0 1 " << storeys - 1 << "\n1 0.0 0.0 120.0\n"
    << "1.0 0.0 0.0 0.0 1.0 0.0\n"
    << "0 0 1 1 1 1 1 0 0\n1 1 1 1 1 1 1 0 0\n"
    << "1\nBILINEAR 100.0 1.0E10 0.0 10.0 0.0\n0 0 0 F\n"
    << storeys << "\nSPRING 'S1' 1 1 2 2 1.0 1.0 0.0 0.0 0.0 0.0 " << storeys - 1 << "\n"
    << "0 1 1 0 0.0 0.0 0.0 0.0 0.0 0.0\n"
    << "1 1 F\n2 1.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 " << storeys - 1 << " 1\n0.0 0.0\n"
    << "SOL5\n'SPECTRUM " << method << "'\n"
    << method << ' ' << storeys << " 0.05 1 2 " << storeys << "\n3 20\n386.4 ACC F\n"
    << "1.0 0.0 0.0 0.0 1.0 0.0\n1\n0.0 0.4\n10.0 0.4\n0.0 0.0 0.0\nSTOP\n";
  return d.str();
}

// CPU seconds of one run of the deck; negative when the run failed.
double run_seconds(const fs::path& dir, const std::string& name, const std::string& exe) {
  const std::string cmd = "cd '" + dir.string() + "' && printf '%s\\n%s\\n%s\\n' '" + dir.string() + "' '" + name +
                          ".dat' '" + name + ".out' | '" + exe + "' > " + name + ".console 2>&1";
  const double cpu0 = children_cpu();
  if (std::system(cmd.c_str()) != 0) return -1.0;
  return children_cpu() - cpu0;
}

void BM_CqcAgainstSrss(benchmark::State& state) {
  const int storeys = static_cast<int>(state.range(0));
  const fs::path dir = fs::temp_directory_path() / ("kv_rs_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "srss.dat") << shear_building(storeys, "SRSS");
  std::ofstream(dir / "cqc.dat") << shear_building(storeys, "CQC");
  const char* other = std::getenv("KELVORAN_EXE");
  const std::string exe = other != nullptr ? other : KELVORAN_EXE;
  double srss = 0.0;
  double cqc = 0.0;
  for (auto _ : state) {
    const double s = run_seconds(dir, "srss", exe);
    const double c = run_seconds(dir, "cqc", exe);
    if (s < 0.0 || c < 0.0) {
      state.SkipWithError("the run failed");
      break;
    }
    srss += s;
    cqc += c;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["srss_cpu_s"] = srss / n;
  state.counters["cqc_cpu_s"] = cqc / n;
  state.counters["cqc_over_srss"] = srss > 0.0 ? cqc / srss : 0.0;
  fs::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_CqcAgainstSrss)->Arg(100)->Arg(300)->Arg(500)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
