// The main program: start-up, echo, initialisation and the command loop.
#include <algorithm>
#include <exception>
#include <string>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "driver/console.h"
#include "driver/hooks.h"
#include "driver/main_program.h"
#include "driver/startup.h"
#include "fio/fio.h"
#include "model/structure_input.h"
#include "solutions/dynamic/histry.h"
#include "solutions/soldsp.h"

namespace kv {

namespace {

constexpr int kInput = 5;
constexpr int kOutput = 6;
constexpr std::size_t kCmdLen = 80;

// Letters of "BUG="; the first 24 are used, so the 24th, "Z", sets bit 23.
constexpr std::string_view kAlphab = "ABCDEFGHIJKLMNOPQRSTUVWZYZ";

float mem_percent() { return static_cast<float>(ctl(kIZ)) * 100.0f / 50000000.0f; }

// State the command loop keeps for the whole run.
struct Loop {
  std::string cmdtxt;
  float mem = 0.0f;
  double tcpu0 = 0.0;
  float dtcpu = 0.0f;
  float ttotal = 0.0f;
  bool have_structure = false;
  bool ended_by_solution = false;  // a solution set bit 0 of ISTOP
  bool running = false;            // past the start-up: the input is being run
  bool count_shown = false;        // the fault totals are on the console
  const std::string strid = std::string(6, '\0');  // never assigned: matches no structure
  const float tbudgt = 0.0f;                       // never assigned: no CPU budget
};

void separator(int unit) { console_line(unit, std::string(45, '-')); }

// The memory and CPU-time box on the output file.
void timing_box(Loop& s) {
  const double t = cpu_seconds();
  s.dtcpu = static_cast<float>(t - s.tcpu0);
  s.tcpu0 = t;
  s.ttotal += s.dtcpu;
  s.mem = mem_percent();

  const std::string dashes = " *---" + std::string(35, '-') + "*";
  fio::write_record(kOutput, "");
  fio::write_record(kOutput, "");
  fio::write_record(kOutput, dashes);
  fio::write_record(kOutput, " *--- MEMORY UTILIZATION .......... ----*");
  fio::write(kOutput, "(' *--- IZ=',I7,',    MEM=',F6.3,'%    ----*')", ctl(kIZ), s.mem);
  fio::write_record(kOutput, dashes);
  fio::write(kOutput, "(' *--- ELAPSED CPU TIME ',F8.2,' SEC ----*')", s.dtcpu);
  fio::write(kOutput, "(' *--- TOTAL CPU TIME   ',F8.2,' SEC ----*')", s.ttotal);
  fio::write_record(kOutput, dashes);
  fio::write_record(kOutput, "");
}

// One free-format item of the next line of unit 5; false at the end of the
// file. A null item (a line starting with "," or "/") leaves text as it was.
bool read_item(std::string& text) {
  const fio::Status st = fio::read_list(kInput, text);
  if (st == fio::Status::end) return false;
  if (st != fio::Status::ok) stop_run(1, "THE INPUT FILE CANNOT BE READ AS FREE-FORMAT TEXT");
  return true;
}

bool holds(const std::string& cmd, std::string_view text) { return cmd.find(text) != std::string::npos; }

// Returns false when the end of the input ends the run.
bool structure_command(Loop& s) {
  set_ctl_logical(kISTOP, false);
  memrst(1, kContrlWords);
  titles().grav = 386.4f;
  std::string title;  // MEMRST has just blanked TITLE1: a null item leaves it blank
  if (!read_item(title)) return false;
  titles().title1 = stamped_title(title);

  s.mem = mem_percent();
  console_line(kConsole, " BULIDING STRUCTURAL MODEL", ctl(kIZ), s.mem);
  console_title(titles().title1);

  ctl(kISTOP) = 0;
  model::strinp();
  ctl(kIZ0) = ctl(kIZ);
  s.have_structure = true;
  timing_box(s);
  return true;
}

// Returns false when the run ends (end of input or a solution's stop bit).
bool solution_command(Loop& s) {
  // A null item keeps the solution title there was; only the stamp is new.
  std::string title = titles().title2.substr(0, 79);
  if (!read_item(title)) return false;
  titles().title2 = stamped_title(title);

  if (!s.have_structure) {
    // A solution needs the model that "STR" builds.
    fio::write_record(kOutput, " *** NO STRUCTURE HAS BEEN BUILT (NO \"STR\" BEFORE \"SOL\"): SOLUTION SKIPPED");
    note_fault(Fault::solution_error, "NO STRUCTURE HAS BEEN BUILT (NO \"STR\" BEFORE \"SOL\"): SOLUTION SKIPPED");
    return true;
  }

  console_line(kConsole, " SOLVING STRUCTURAL MODEL", ctl(kIZ), s.mem);
  console_title(titles().title1);
  console_title(titles().title2);

  ctl(kISTOP) = 0;
  solutions::soldsp(s.cmdtxt, s.strid, s.dtcpu, s.ttotal, s.tbudgt);
  timing_box(s);
  s.ended_by_solution = (ctl(kISTOP) & 1) != 0;
  return !s.ended_by_solution;
}

void dump_command(Loop& s) {
  console_line(kConsole, " DUMPING MEMORY", ctl(kIZ), s.mem);
  console_title(titles().title1);
  console_title(titles().title2);
  memdmp();
  timing_box(s);
}

void reopen_history_units() {
  for (int u = 10; u <= 60; ++u) {
    if (u >= 48 && u <= 50) continue;  // the limit-state files stay open as they are
    fio::close(u);
    const std::string& path = run().fname[static_cast<std::size_t>(u)];
    if (!fio::open(u, path)) stop_run(1, "CANNOT OPEN FILE: " + path);
  }
}

void read_command(Loop& s) {
  for (;;) {
    int iunit = 0;
    base::intfld(s.cmdtxt, "UNIT=", iunit, 0, true, true);
    ctl(kIUNIT) = iunit;
    int inc = 1;
    base::intfld(s.cmdtxt, "INC=", inc, 1, true, false);
    ctl(kINC) = inc;
    reopen_history_units();
    if (iunit <= 0) break;

    console_line(kConsole, " READING DATA FROM FILE", ctl(kIZ), s.mem);
    if (iunit < 10 || iunit > 60) {
      // Only the side files hold histories; other units are the input, the
      // output or nothing at all.
      const std::string msg = fio::format("('READ: UNIT=',I6,' IS NOT A HISTORY UNIT (10 TO 60), SKIPPED')", iunit);
      fio::write_record(kOutput, " *** " + msg);
      note_fault(Fault::input_warning, msg);
      continue;
    }
    int n = 0;
    float t0 = 0.0f, dt = 0.0f;
    solutions::histry(4, n, t0, dt);
  }
  timing_box(s);
}

void bug_letters_command(Loop& s) {
  const std::string field = base::nxtfld(s.cmdtxt, "BUG=");
  titles().ibugm = 0;
  s.cmdtxt = fixed("BUG=" + fixed(field, 70), kCmdLen);
  for (int i = 0; i < 24; ++i)
    if (base::keyon(field, kAlphab.substr(static_cast<std::size_t>(i), 1), false))
      titles().ibugm |= std::int32_t{1} << i;

  console_line(kConsole, " SET BUG OPTION:", ctl(kIZ), s.mem);
  fio::write(kConsole, "(1X,A)", s.cmdtxt.substr(0, 70));
  fio::write_record(kOutput, " SET BUG OPTION: ");
  fio::write(kOutput, "(1X,A)", s.cmdtxt.substr(0, 70));
}

void bug_command(const Loop& s) {
  fio::write_record(kConsole, " SET BUG OPTION: " + s.cmdtxt.substr(0, 54));
  titles().ibug = true;
  if (holds(s.cmdtxt, "NOBUG")) titles().ibug = false;
}

void release_command(Loop& s) {
  run().nrel += 1;
  separator(kOutput);
  console_line(kConsole, " RELEASING MEMORY");
  console_line(kOutput, " RELEASING MEMORY");
  if (holds(s.cmdtxt, "ELEMENT")) {
    console_line(kOutput, " RESETING ELEMENT FORCES");
    separator(kOutput);
    if (auto reset = hooks().element_reset) reset(s.cmdtxt);
  } else {
    separator(kOutput);
  }
  ctl(kIZ) = ctl(kIZ0);
  for (int w = kSolTablesFirst; w <= kSolTablesLast; ++w) ctl(w) = 0;
  ctl(kSolVector65) = 0;
  solutions::release_solution_words();
  timing_box(s);
}

void invalid_command(const Loop& s) {
  fio::write_record(kOutput, "1 INVALID OPTION= " + s.cmdtxt);
  fio::write_record(kConsole, " INVALID OPTION: " + s.cmdtxt.substr(0, 54));
  const std::string item = s.cmdtxt.substr(0, s.cmdtxt.find_last_not_of(' ') + 1);
  const bool lower = std::any_of(item.begin(), item.end(), [](char c) { return c >= 'a' && c <= 'z'; });
  note_fault(Fault::input_error, (lower ? "NOT A COMMAND (COMMANDS ARE UPPER CASE): " : "NOT A COMMAND: ") + item);
}

// The run's fault totals, once, before its closing line.
void show_fault_count(Loop& s) {
  if (s.count_shown || !s.running) return;
  fio::write_record(kConsole, fault_count_line());
  s.count_shown = true;
}

void initialise() {
  titles().title1.assign(kTitleLen, ' ');
  titles().title2.assign(kTitleLen, ' ');
  titles().ibug = false;
  titles().ibugm = 0;
  titles().npmax = kNPMAX;
  titles().np[1] = 1;
  for (int j = 2; j <= kNPMAX + 1; ++j)
    titles().np[static_cast<std::size_t>(j)] = titles().np[static_cast<std::size_t>(j - 1)] + j - 1;
  ctl(kIZ) = 0;
}

void command_loop(Loop& s) {
  for (;;) {
    // Cleared first: a null item must not run the previous command again.
    s.cmdtxt.clear();
    if (!read_item(s.cmdtxt)) return;
    run().command_line = fio::record_number(kInput);
    s.cmdtxt = fixed(s.cmdtxt, kCmdLen);
    s.mem = mem_percent();
    const std::string& cmd = s.cmdtxt;

    if (holds(cmd, "STR")) {
      if (!structure_command(s)) return;
    } else if (holds(cmd, "SOL")) {
      if (!solution_command(s)) return;
    } else if (holds(cmd, "DUMP")) {
      dump_command(s);
    } else if (holds(cmd, "STOP")) {
      show_fault_count(s);
      console_line(kConsole, " NORMAL STOP", ctl(kIZ), s.mem);
      return;
    } else if (holds(cmd, "READ")) {
      read_command(s);
    } else if (base::keyon(cmd, "BUG=", false)) {
      bug_letters_command(s);
    } else if (holds(cmd, "BUG")) {
      bug_command(s);
    } else if (holds(cmd, "RELEASE")) {
      release_command(s);
    } else if (base::keyon(cmd, "NOECHO", false)) {
      // a line that only stops the echo
    } else if (cmd.find_first_not_of(' ') == std::string::npos) {
      // blank command
    } else {
      invalid_command(s);
    }
  }
}

}  // namespace

int main_program() {
  int status = 0;
  Loop s;
  try {
    start_up();
    run().nrel = 0;
    s.tcpu0 = cpu_seconds();
    echo_input();
    initialise();
    s.running = true;
    command_loop(s);
    show_fault_count(s);
    // A run that a solution ended (a zero pivot, a failed eigen-solution, a
    // non-finite result), or that skipped or rejected some of its input, did
    // not do all its input asked: say so to scripts.
    if (s.ended_by_solution) {
      status = kStatusSolutionStop;
    } else if (fault_count().errors + fault_count().warnings > 0) {
      status = kStatusFaults;
    }
  } catch (const RunStop& stop) {
    if (stop.status != 0) note_fault(Fault::stop, "");
    show_fault_count(s);
    if (!stop.message.empty()) fio::write(kConsole, "(1X,A)", stop.message);
    status = stop.status;
  } catch (const std::exception& e) {
    fio::write_record(kConsole, std::string(" PROGRAM ERROR: ") + e.what());
    status = kStatusError;
  }
  // Every end, normal or not, leaves the files complete on disk.
  fio::flush_all();
  fio::close_all();
  return status;
}

}  // namespace kv
