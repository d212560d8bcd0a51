#include "solutions/soldsp.h"

#include <array>
#include <string>

#include "base/globals.h"
#include "base/input_lines.h"
#include "fio/fio.h"
#include "solutions/dynamic/time_history.h"
#include "solutions/eigen_solution.h"
#include "solutions/response_spectrum.h"
#include "solutions/static_elastic.h"
#include "solutions/static_nonlinear.h"

namespace solutions {

namespace {

// What SOLDSP sets before each solution runs.
struct Solution {
  SolutionRoutine run;  // nullptr: not in this build
  bool one_load_case;   // NLC = 1
  bool no_element_loads;  // NELOAD = 0
  bool clear_rsmeth;    // RSMETH = 0.0: only the response spectrum combines element forces
};

void run_static_elastic(const SolutionCall&) { sol01(); }
void run_time_history(const SolutionCall&) { sol02(); }
void run_static_nonlinear(const SolutionCall&) { sol04(); }
void run_eigen_solution(const SolutionCall&) { sol03(); }
void run_response_spectrum(const SolutionCall&) { sol05(); }

// Solutions 1 to 5: static elastic, time history, eigen-solution, static
// nonlinear, response spectrum.
constexpr std::array<Solution, 6> kSolutions{{
    {nullptr, false, false, false},
    {&run_static_elastic, false, false, true},
    {&run_time_history, true, true, true},
    {&run_eigen_solution, true, true, true},
    {&run_static_nonlinear, true, false, true},
    {&run_response_spectrum, true, true, false},
}};

}  // namespace

void soldsp(std::string cmdtxt, std::string_view strid, float dtcpu, float ttotal, float tbudgt) {
  kv::titles().ldlabl.assign(40, ' ');
  int nsol = 0;
  base::intfld(cmdtxt, "SOL", nsol, 0, true, false);
  kv::ctl(kv::kNSOL) = nsol;

  if (nsol < 1 || nsol > 5) {
    fio::write_list(6, "INVALID SOLN#", nsol);
    // The stop message names no line; the console is told where and why.
    std::string item = cmdtxt;
    item.erase(item.find_last_not_of(' ') + 1);
    fio::write(1, "(' *** ERROR AT INPUT LINE',I6,': THE COMMAND ',A,' NAMES SOLUTION',I6,"
                  "' (1 TO 5 ONLY; WRITE SOL2 OR ''SOL 2'', NOT SOL 2)')",
               kv::run().command_line, item, nsol);
    kv::stop_run(1, "INVALID SOLUTION NUMBER");
  }

  const Solution& s = kSolutions[static_cast<std::size_t>(nsol)];
  // Element-load records of an earlier solution must not be applied again.
  kv::ctl(kv::kElementLoadWord) = 0;
  if (s.clear_rsmeth) kv::solsta().rsmeth = 0.0f;
  if (s.one_load_case) kv::ctl(kv::kNLC) = 1;
  if (s.no_element_loads) kv::ctl(kv::kNELOAD) = 0;

  if (s.run == nullptr) {
    const std::string msg =
        fio::format("('SOLUTION #',I2,' IS NOT AVAILABLE IN THIS BUILD: NOTHING IS ANALYSED')", nsol);
    fio::write_record(6, " *** " + msg);
    kv::note_fault(kv::Fault::solution_error, msg);
    return;
  }
  s.run(SolutionCall{cmdtxt, strid, dtcpu, ttotal, tbudgt});
}

void release_solution_words() {
  kv::ctl(kv::kElementLoadWord) = 0;
  kv::ctl(kv::kStaticColumns) = 0;
}

}  // namespace solutions
