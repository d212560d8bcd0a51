#include "solutions/run_limits.h"

#include <string>

#include "base/globals.h"
#include "fio/fio.h"

namespace solutions {

bool steps_within_limit(double steps, std::string_view what) {
  // A NaN count (0/0 data) is no count either.
  if (steps <= static_cast<double>(kMaxSolutionSteps)) return true;
  fio::write(6, "(/,5X,'*** THE ',A,' ASKS FOR MORE THAN',I9,' STEPS, THE LIMIT OF ONE SOLUTION',/,5X,'SOLN IS ABORTED')",
             what, kMaxSolutionSteps);
  kv::note_fault(kv::Fault::solution_error, "SOLUTION ABORTED: THE " + std::string(what) + " ASKS FOR MORE THAN " +
                                                std::to_string(kMaxSolutionSteps) + " STEPS");
  return false;
}

bool output_within_limit() {
  if (fio::written_bytes() <= kMaxOutputBytes) return true;
  fio::write(6, "(/,5X,'*** THE OUTPUT FILES HAVE PASSED',I11,' BYTES',/,5X,'SOLN IS ABORTED')", kMaxOutputBytes);
  kv::note_fault(kv::Fault::solution_error,
                 "SOLUTION ABORTED: THE OUTPUT FILES HAVE PASSED " + std::to_string(kMaxOutputBytes) + " BYTES");
  return false;
}

}  // namespace solutions
