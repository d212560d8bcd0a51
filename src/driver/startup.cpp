#include "driver/startup.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "base/globals.h"
#include "driver/console.h"
#include "fio/fio.h"

namespace kv {

namespace {

namespace fs = std::filesystem;

constexpr int kInput = 5;
constexpr int kOutput = 6;
constexpr int kFirstSide = 10;
constexpr int kLastSide = 60;

std::string side_file_name(int unit) {
  switch (unit) {
    case 48: return "tempShear.out";
    case 49: return "tempPMCurve.out";
    case 50: return "tempControlPoints.out";
    default: return "temp" + std::to_string(unit) + ".out";
  }
}

std::string trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  std::size_t a = 0, b = s.size();
  while (a < b && blank(s[a])) ++a;
  while (b > a && blank(s[b - 1])) --b;
  return std::string(s.substr(a, b - a));
}

// One answer line from standard input, the prompt flushed first.
std::string answer() {
  fio::flush(kConsole);
  std::string line;
  if (!std::getline(std::cin, line))
    stop_run(1, "STANDARD INPUT ENDED BEFORE THE FOLDER, INPUT AND OUTPUT FILE NAMES WERE GIVEN");
  return trimmed(line);
}

void ask(std::initializer_list<std::string_view> lines, int example, int into) {
  for (auto l : lines) fio::write_record(kConsole, l);
  fio::write_record(kConsole, fixed(run().fname[static_cast<std::size_t>(example)], 28));
  run().fname[static_cast<std::size_t>(into)] = answer();
  fio::write_record(kConsole, "");
}

// The same file under two names counts as the same file.
bool same_file(const std::string& a, const std::string& b) {
  std::error_code ea, eb;
  const fs::path ca = fs::weakly_canonical(a, ea);
  const fs::path cb = fs::weakly_canonical(b, eb);
  if (ea || eb) return a == b;
  return ca == cb;
}

void open_unit(int unit, const std::string& path) {
  if (!fio::open(unit, path)) stop_run(1, "CANNOT OPEN FILE: " + path);
}

}  // namespace

std::string folder_path(std::string_view folder) {
  std::string dir(folder);
  std::replace(dir.begin(), dir.end(), '\\', '/');
  return dir;
}

std::string join_path(std::string_view folder, std::string_view name) {
  std::string dir = folder_path(folder);
  if (dir.empty()) return std::string(name);
  if (dir.back() != '/') dir += '/';
  return dir + std::string(name);
}

void start_up() {
  auto& fname = run().fname;
  fio::connect_stdout(kConsole);
  fname[1] = "(For example, C:\\...\\...\\)";
  fname[2] = "(For example, struct1.dat)";
  fname[3] = "(For example, struct1.out)";

  fio::write_list(kConsole, "KELVORAN STRUCTURAL ANALYSIS PROGRAM ------------*");
  fio::write_record(kConsole, "");
  ask({"Enter only the location of the", "input data file:"}, 1, 4);
  ask({"Enter the input data file name:"}, 2, 5);
  ask({"Enter the output data file name:"}, 3, 6);

  // Paths are kept whole: a path cut short would name another file.
  fname[7] = join_path(fname[4], fname[5]);
  fname[8] = join_path(fname[4], fname[6]);
  for (int u = kFirstSide; u <= kLastSide; ++u)
    fname[static_cast<std::size_t>(u)] = join_path(fname[4], side_file_name(u));

  const std::string& in = fname[7];
  const std::string& out = fname[8];
  std::error_code ec;
  if (fname[5].empty() || !fs::is_regular_file(in, ec)) stop_run(1, "INPUT FILE NOT FOUND: " + in);
  if (fname[6].empty()) stop_run(1, "NO OUTPUT FILE NAME GIVEN");
  if (same_file(in, out)) stop_run(1, "THE OUTPUT FILE IS THE INPUT FILE: " + out);
  for (int u = kFirstSide; u <= kLastSide; ++u) {
    const std::string& side = fname[static_cast<std::size_t>(u)];
    if (same_file(in, side) || same_file(out, side))
      stop_run(1, "THE INPUT OR OUTPUT FILE IS THE SIDE FILE " + side);
  }

  // A unit written before it is opened (unit 7 under a trace) opens fort.N
  // beside the input file, not in whatever folder the program was started from.
  fio::set_default_folder(fname[4].empty() ? std::string(".") : folder_path(fname[4]));
  open_unit(kInput, in);
  open_unit(kOutput, out);
  for (int u = kFirstSide; u <= kLastSide; ++u) open_unit(u, fname[static_cast<std::size_t>(u)]);

  const std::string header = std::string(6, ' ') + "RELEASE NO." + "   IELNO" + "    FLP" + "    AXIAL(FT1)" +
                             std::string(5, ' ') + "MOMENT(FT5)" + "  ROTATION(RT5)" + std::string(8, ' ') +
                             "ISTEP";
  fio::write_record(49, header);
  fio::write_record(50, header);
}

void echo_input() {
  int nline = 0;
  int nlpage = 55;  // so that the first line opens the first page
  std::string ruler = "    LINE  ";
  for (int k = 1; k <= 11; ++k) ruler += fio::format("('....|..',I2,'0')", k);

  std::string record;
  while (fio::read_record(kInput, record) == fio::Status::ok) {
    const std::string echlin = fixed(record, 110);
    if (echlin.find("NOECHO") != std::string::npos) break;
    ++nlpage;
    ++nline;
    if (nlpage > 55) {
      fio::write_record(kOutput, "1    ECHO OF INPUT DATA ");
      fio::write_record(kOutput, "");
      fio::write_record(kOutput, ruler);
      nlpage = 0;
    }
    fio::write(kOutput, "(1X,I7,': ',A)", nline, echlin);
    if (echlin.find("STOP") != std::string::npos) break;
  }
  fio::rewind(kInput);
}

}  // namespace kv
