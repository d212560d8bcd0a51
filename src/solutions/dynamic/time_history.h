// "SOL" 2: the time-history analysis under ground accelerations. SOL02 reads
// the method, interval and time records, checks the method against the
// damping, restores the structure mass, forms the solution's own mass when
// asked, reserves the step loop's tables, reads the history requests and runs
// the step loop.
#pragma once

#include <string_view>
#include <utility>

#include "fio/fio.h"

namespace solutions {

// SOL02. Works on CONTRL, TITLES, SOLSTA, STCASE and the work array; reads
// unit 5, writes unit 6. A fault of the step loop that must end the run sets
// ISTOP (CONTRL word 14).
void sol02();

// A record of the time-history input that cannot be read: the report on the
// output file and the console, then the stop of the run.
[[noreturn]] void time_history_input_fault(std::string_view record, fio::Status status);

// Reads the targets list-directed from unit 5; any status but ok is a fault.
template <class... T>
void read_time_history_record(std::string_view record, T&&... targets) {
  const fio::Status s = fio::read_list(5, std::forward<T>(targets)...);
  if (s != fio::Status::ok) time_history_input_fault(record, s);
}

}  // namespace solutions
