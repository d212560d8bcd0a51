#include "support/test_support.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace kvtest {

namespace fs = std::filesystem;

fs::path fresh_dir(const std::string& tag) {
  static std::atomic<int> counter{0};
  fs::path p = fs::temp_directory_path() /
               ("kvtest_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  fs::remove_all(p);
  fs::create_directories(p);
  return p;
}

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void write_file(const fs::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary);
  out << text;
}

RunResult run_with_answers(const fs::path& dir, const std::string& answers) {
  RunResult r;
  r.dir = dir;
  write_file(dir / "answers.txt", answers);
  std::string cmd = "cd '" + dir.string() + "' && '" + std::string(KELVORAN_EXE) +
                    "' < answers.txt > console.txt 2>&1";
  int rc = std::system(cmd.c_str());
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  r.console = read_file(dir / "console.txt");
  return r;
}

RunResult run_deck(const std::string& deck, const std::string& tag) {
  fs::path dir = fresh_dir(tag);
  write_file(dir / "input.dat", deck);
  RunResult r = run_with_answers(dir, dir.string() + "\ninput.dat\noutput.out\n");
  r.output = read_file(dir / "output.out");
  return r;
}

std::string mask_volatile(const std::string& text) {
  static const std::regex time_re("TIME: \\d\\d:\\d\\d:\\d\\d, DATE: \\d\\d-[A-Z]{3}-\\d\\d");
  static const std::regex cpu_re("CPU TIME( *)[ 0-9.]{8} SEC");
  std::string s = std::regex_replace(text, time_re, "TIME: hh:mm:ss, DATE: dd-MON-yy");
  return std::regex_replace(s, cpu_re, "CPU TIME$1    x.xx SEC");
}

std::string rstrip_lines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const bool last = end == std::string::npos;
    if (last) end = text.size();
    std::size_t keep = end;
    while (keep > start && text[keep - 1] == ' ') --keep;
    out.append(text, start, keep - start);
    if (!last) out += '\n';
    start = end + 1;
  }
  return out;
}

fs::path case_path(const std::string& name) { return fs::path(KELVORAN_CASES) / name; }

}  // namespace kvtest
