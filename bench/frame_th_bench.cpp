// The step loop of a yielding building's time history: a generated frame of
// type-9 members with bilinear hinges (yielding_frame_deck.h) under a
// two-component ground record, average acceleration. Each program runs the
// deck with the given steps and with one step; the difference over the steps
// between is the step loop alone, without the input and the set-up. Prints
// per program the seconds per step and per element-step (CPU seconds of the
// process, less disturbed by other work on a shared machine than the wall
// clock, which is printed too), and whether the reports of the programs agree
// once the time stamps and CPU seconds are masked.
//
//   frame_th_bench STOREYS BAYS STEPS [RUNS] [OTHER_EXE ...]
//
// With OTHER_EXE (say the build before a change) the programs run side by
// side, alternately, each timing the best of RUNS. OMP_NUM_THREADS is 1 unless
// the environment sets it.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "yielding_frame_deck.h"

namespace {

namespace fs = std::filesystem;

double children_cpu() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

std::string masked(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  static const std::regex clock("[0-9]{1,2}:[0-9]{2}:[0-9]{2}");
  static const std::regex date("[0-9]{1,2}/[0-9]{1,2}/[0-9]{2,4}");
  // The field's blanks too: a run of ten seconds or more takes one more digit.
  static const std::regex cpu("(CPU TIME) *[0-9]+\\.[0-9]+");
  std::string t = std::regex_replace(s.str(), clock, "HH:MM:SS");
  t = std::regex_replace(t, date, "DD/MM/YY");
  return std::regex_replace(t, cpu, "$1 T");
}

struct Timing {
  double cpu = 1e300;
  double wall = 1e300;
};

// One run of a deck; the CPU and wall-clock seconds of the process.
Timing run(const std::string& exe, const fs::path& dir, const std::string& deck, const std::string& out) {
  const char* threads = std::getenv("OMP_NUM_THREADS");
  const std::string env = std::string("OMP_NUM_THREADS=") + (threads != nullptr ? threads : "1") + ' ';
  const std::string cmd = "cd '" + dir.string() + "' && printf '%s\\n%s\\n%s\\n' '" + dir.string() + "' '" + deck +
                          "' '" + out + "' | " + env + "'" + exe + "' > /dev/null 2>&1";
  const double c0 = children_cpu();
  const auto t0 = std::chrono::steady_clock::now();
  const int rc = std::system(cmd.c_str());
  Timing t;
  t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  t.cpu = children_cpu() - c0;
  if (rc != 0) std::fprintf(stderr, "%s on %s: exit status %d\n", exe.c_str(), deck.c_str(), WEXITSTATUS(rc));
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s STOREYS BAYS STEPS [RUNS] [OTHER_EXE ...]\n", argv[0]);
    return 2;
  }
  kvbench::YieldingFrame f;
  f.storeys = std::max(1, std::atoi(argv[1]));
  f.bays = std::max(1, std::atoi(argv[2]));
  f.steps = std::max(2, std::atoi(argv[3]));
  const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 1;
  std::vector<std::string> exes{KELVORAN_EXE};
  for (int a = 5; a < argc; ++a) exes.emplace_back(argv[a]);

  const fs::path dir = fs::temp_directory_path() / ("kelvoran_th_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "long.dat") << kvbench::yielding_frame_deck(f);
  kvbench::YieldingFrame one = f;
  one.steps = 1;
  std::ofstream(dir / "one.dat") << kvbench::yielding_frame_deck(one);

  std::vector<Timing> full(exes.size()), start(exes.size());
  for (int r = 0; r < runs; ++r)
    for (std::size_t e = 0; e < exes.size(); ++e) {
      const std::string tag = std::to_string(e);
      const Timing a = run(exes[e], dir, "long.dat", "long" + tag + ".out");
      const Timing b = run(exes[e], dir, "one.dat", "one" + tag + ".out");
      full[e].cpu = std::min(full[e].cpu, a.cpu);
      full[e].wall = std::min(full[e].wall, a.wall);
      start[e].cpu = std::min(start[e].cpu, b.cpu);
      start[e].wall = std::min(start[e].wall, b.wall);
    }

  std::printf("frame %d x %d x %d storeys, %d elements, %d steps, best of %d run(s)\n", f.bays, f.bays, f.storeys,
              f.elements(), f.steps, runs);
  std::printf("%-4s %10s %12s %14s %12s  %s\n", "exe", "run s cpu", "ms/step cpu", "us/elem-step", "ms/step wall",
              "program");
  const double steps = f.steps - 1;
  double first = 0.0;
  for (std::size_t e = 0; e < exes.size(); ++e) {
    const double per = (full[e].cpu - start[e].cpu) / steps;
    const double wall = (full[e].wall - start[e].wall) / steps;
    if (e == 0) first = per;
    std::printf("%-4zu %10.2f %12.3f %14.3f %12.3f  %s", e, full[e].cpu, 1e3 * per, 1e6 * per / f.elements(),
                1e3 * wall, exes[e].c_str());
    if (e > 0) {
      const bool same = masked(dir / "long0.out") == masked(dir / ("long" + std::to_string(e) + ".out"));
      std::printf("  (the first takes %.2f of its time; reports %s)", first / per, same ? "identical" : "DIFFER");
    }
    std::printf("\n");
  }
  std::printf("(decks and reports in %s)\n", dir.string().c_str());
  return 0;
}
