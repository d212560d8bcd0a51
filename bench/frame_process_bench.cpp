// Whole-process timings of the kelvoran executable on two generated frames:
//   - the 30-storey frame of 10 x 10 bays ("STR" + "SOL" 1, 21,780 equations),
//   - a 10-storey frame of 4 x 4 bays with lumped masses ("STR" + "SOL" 3,
//     1,500 equations, all eigenpairs of the dense problem).
// Each deck runs with one solver thread (OMP_NUM_THREADS=1) and with the
// machine's threads; the benchmark prints the wall-clock seconds, the ratio,
// and whether the two reports agree once the time stamps and CPU seconds are
// masked. The machine's load average is printed with them: on a shared
// machine the numbers mean little without it.
//
//   process_bench [runs]

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct FrameShape {
  int storeys;
  int bays;  // in X and in Y
  double storey_height;
  double bay;
  bool masses;
};

int node_id(const FrameShape& f, int floor, int ix, int iy) {
  const int side = f.bays + 1;
  return floor * side * side + iy * side + ix + 1;
}

// The deck of a frame of 3D beams on a fixed base.
std::string frame_deck(const FrameShape& f, const std::string& title, int solution) {
  const int side = f.bays + 1;
  const int per_floor = side * side;
  const int nnode = (f.storeys + 1) * per_floor;
  std::ostringstream d;
  d << "STR\n'" << title << "'\n";
  d << nnode << " 1 1 0 0 1.0\n";
  for (int fl = 0; fl <= f.storeys; ++fl)
    for (int iy = 0; iy < side; ++iy)
      for (int ix = 0; ix < side; ++ix)
        d << node_id(f, fl, ix, iy) << ' ' << ix * f.bay << ' ' << iy * f.bay << ' '
          << fl * f.storey_height << " 1 0\n";
  d << "1.0 0.0 0.0 0.0 1.0 0.0\n";
  d << "1 1 1 1 1 1 1 " << per_floor - 1 << " 1\n";  // the base fixed
  d << "1\n3D-BEAM 29.0E6 11.2E6 20.0 10.0 10.0 5.0 300.0 900.0\n0 0 0 F\n";
  std::vector<std::string> elements;
  for (int fl = 1; fl <= f.storeys; ++fl) {
    for (int iy = 0; iy < side; ++iy) {
      for (int ix = 0; ix < side; ++ix) {
        const int n = node_id(f, fl, ix, iy);
        elements.push_back("3D-BEAM 'C' 1 " + std::to_string(node_id(f, fl - 1, ix, iy)) + ' ' +
                           std::to_string(n) + " 1.0 0.0 0.0 0.0 0.0 0.0 0 0");
        if (ix + 1 < side)
          elements.push_back("3D-BEAM 'BX' 1 " + std::to_string(n) + ' ' +
                             std::to_string(node_id(f, fl, ix + 1, iy)) + " 0.0 0.0 1.0 0.0 0.0 0.0 0 0");
        if (iy + 1 < side)
          elements.push_back("3D-BEAM 'BY' 1 " + std::to_string(n) + ' ' +
                             std::to_string(node_id(f, fl, ix, iy + 1)) + " 0.0 0.0 1.0 0.0 0.0 0.0 0 0");
      }
    }
  }
  d << elements.size() << '\n';
  for (const auto& e : elements) d << e << '\n';
  if (f.masses) {
    d << "1 1 F\n" << per_floor + 1 << " 1.0 1.0 1.0 500.0 500.0 500.0 0.0 0.0 0.0 "
      << f.storeys * per_floor - 1 << " 1\n";
  } else {
    d << "0 0 F\n";
  }
  d << "0.0 0.0\n";
  if (solution == 1) {
    d << "SOL1\n'WIND AT THE ROOF'\n1 0\n";
    d << "1 " << node_id(f, f.storeys, 0, 0) << ' ' << side - 1 << " 1 FX 1000.0\n";
    d << "0 0 0 0 END 0\n";
  } else {
    d << "SOL3\n'NATURAL FREQUENCIES'\nFREQ 10 10\n";
  }
  d << "STOP\n";
  return d.str();
}

double load_average() {
  std::ifstream in("/proc/loadavg");
  double l = -1.0;
  in >> l;
  return l;
}

std::string masked(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  static const std::regex clock("[0-9]{1,2}:[0-9]{2}:[0-9]{2}");
  // The seconds field is right-justified: its leading blanks vary too.
  static const std::regex cpu("(CPU TIME) *[0-9]+\\.[0-9]+");
  return std::regex_replace(std::regex_replace(s.str(), clock, "HH:MM:SS"), cpu, "$1 T");
}

// Runs the deck once; the wall-clock seconds of the whole process.
double run(const fs::path& dir, const std::string& name, const std::string& threads) {
  const std::string env = threads.empty() ? "" : "OMP_NUM_THREADS=" + threads + ' ';
  const std::string cmd = "cd '" + dir.string() + "' && printf '" + dir.string() + "\\n" + name +
                          ".dat\\n" + name + (threads.empty() ? "-n" : "-1") + ".out\\n' | " + env +
                          KELVORAN_EXE + " > /dev/null 2>&1";
  const auto t0 = std::chrono::steady_clock::now();
  const int rc = std::system(cmd.c_str());
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (rc != 0) std::cerr << name << ": exit status " << WEXITSTATUS(rc) << '\n';
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const fs::path dir = fs::temp_directory_path() / ("kelvoran_process_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  struct Deck {
    std::string name;
    FrameShape shape;
    int solution;
  };
  const Deck decks[] = {
      {"frame30", {30, 10, 144.0, 240.0, false}, 1},
      {"frame1500", {10, 4, 144.0, 240.0, true}, 3},
  };
  std::printf("%-10s %8s %12s %12s %8s %8s %s\n", "deck", "runs", "1 thread s", "all s", "ratio",
              "load", "reports");
  for (const Deck& d : decks) {
    std::ofstream(dir / (d.name + ".dat")) << frame_deck(d.shape, d.name, d.solution);
    double one = 1e300;
    double all = 1e300;
    const double load = load_average();
    for (int r = 0; r < runs; ++r) {
      one = std::min(one, run(dir, d.name, "1"));
      all = std::min(all, run(dir, d.name, ""));
    }
    const bool same = masked(dir / (d.name + "-1.out")) == masked(dir / (d.name + "-n.out"));
    std::printf("%-10s %8d %12.3f %12.3f %8.2f %8.2f %s\n", d.name.c_str(), runs, one, all, one / all,
                load, same ? "identical" : "DIFFER");
  }
  std::printf("(best of the runs; decks and reports in %s)\n", dir.string().c_str());
  return 0;
}
