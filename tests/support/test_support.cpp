#include "support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kvtest {

namespace fs = std::filesystem;

namespace {

// The folders made by fresh_dir: those of a test are removed when it passes,
// those made outside a test when the whole program passes. A failing test
// keeps its folders for a look at what the program wrote.
class RunFolders : public ::testing::EmptyTestEventListener {
 public:
  void add(const fs::path& p) {
    std::lock_guard lock(mutex_);
    (::testing::UnitTest::GetInstance()->current_test_info() ? test_ : program_).push_back(p);
  }
  void OnTestEnd(const ::testing::TestInfo& info) override {
    std::lock_guard lock(mutex_);
    if (info.result()->Passed()) remove(test_);
    test_.clear();
  }
  void OnTestProgramEnd(const ::testing::UnitTest& unit) override {
    std::lock_guard lock(mutex_);
    if (unit.Passed()) remove(program_);
    program_.clear();
  }

 private:
  static void remove(const std::vector<fs::path>& dirs) {
    std::error_code ec;
    for (const fs::path& p : dirs) fs::remove_all(p, ec);
  }
  std::mutex mutex_;
  std::vector<fs::path> test_, program_;
};

RunFolders& run_folders() {
  // Owned by GoogleTest's listener list once appended.
  static RunFolders* folders = [] {
    auto* f = new RunFolders;
    ::testing::UnitTest::GetInstance()->listeners().Append(f);
    return f;
  }();
  return *folders;
}

// Registered before the tests run, so that the folders of the first test are
// removed too.
[[maybe_unused]] const bool kFoldersRegistered = (run_folders(), true);

}  // namespace

fs::path fresh_dir(const std::string& tag) {
  static std::atomic<int> counter{0};
  fs::path p = fs::temp_directory_path() /
               ("kvtest_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  fs::remove_all(p);
  fs::create_directories(p);
  run_folders().add(p);
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

RunResult run_with_answers(const fs::path& dir, const std::string& answers, int time_limit) {
  RunResult r;
  r.dir = dir;
  write_file(dir / "answers.txt", answers);
  const std::string limit = time_limit > 0 ? "timeout -s KILL " + std::to_string(time_limit) + " " : "";
  std::string cmd = "cd '" + dir.string() + "' && " + limit + "'" + std::string(KELVORAN_EXE) +
                    "' < answers.txt > console.txt 2>&1";
  int rc = std::system(cmd.c_str());
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  r.console = read_file(dir / "console.txt");
  return r;
}

RunResult run_deck(const std::string& deck, const std::string& tag, int time_limit) {
  fs::path dir = fresh_dir(tag);
  write_file(dir / "input.dat", deck);
  RunResult r = run_with_answers(dir, dir.string() + "\ninput.dat\noutput.out\n", time_limit);
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
