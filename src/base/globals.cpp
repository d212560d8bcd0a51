#include "base/globals.h"

#include "fio/fio.h"

namespace kv {

namespace detail {

std::array<std::int32_t, kContrlWords + 1> contrl_block{};
Titles* titles_block = nullptr;

Titles& make_titles() {
  static Titles block = [] {
    Titles t;
    for (int j = 1; j <= kNPMAX + 1; ++j) t.np[static_cast<std::size_t>(j)] = 1 + j * (j - 1) / 2;
    return t;
  }();
  titles_block = &block;
  return block;
}

}  // namespace detail

Solsta& solsta() {
  static Solsta block;
  return block;
}

Stcase& stcase() {
  static Stcase block;
  return block;
}

RunState& run() {
  static RunState block;
  return block;
}

namespace {

FaultCount& faults() {
  static FaultCount block;
  return block;
}

}  // namespace

void note_fault(Fault kind, std::string_view text, long line) {
  constexpr int kConsole = 1;
  constexpr int kInput = 5;
  if (kind == Fault::input_warning) {
    ++faults().warnings;
  } else {
    ++faults().errors;
  }
  if (text.empty()) return;
  const char* what = kind == Fault::input_warning ? "WARNING" : "ERROR";
  if (kind == Fault::solution_error && run().command_line > 0) {
    // A solution's fault names the line of its command, so that the user
    // finds which of several solutions it was.
    fio::write(kConsole, "(' *** ',A,' IN THE COMMAND AT INPUT LINE',I6,': ',A)", what, run().command_line, text);
  } else if (kind == Fault::solution_error || kind == Fault::stop) {
    fio::write(kConsole, "(' *** ',A,': ',A)", what, text);
  } else {
    fio::write(kConsole, "(' *** ',A,' AT INPUT LINE',I6,': ',A)", what,
               line > 0 ? line : fio::record_number(kInput), text);
  }
}

const FaultCount& fault_count() { return faults(); }

std::string fault_count_line() {
  const FaultCount& f = faults();
  if (f.errors == 0 && f.warnings == 0) return " *** NO ERROR OR WARNING MESSAGES";
  return fio::format("(' ***',I6,' ERROR AND',I6,' WARNING MESSAGES: SEE THE OUTPUT FILE')", f.errors, f.warnings);
}

void reset_globals() {
  contrl().fill(0);
  Titles fresh;
  for (int j = 1; j <= kNPMAX + 1; ++j) fresh.np[static_cast<std::size_t>(j)] = 1 + j * (j - 1) / 2;
  titles() = fresh;
  solsta() = Solsta{};
  stcase() = Stcase{};
  run() = RunState{};
  faults() = FaultCount{};
}

void stop_run(int status, std::string_view message) {
  throw RunStop{status, std::string(message)};
}

}  // namespace kv
