#include "solutions/run_limits.h"

#include "fio/fio.h"

namespace solutions {

bool steps_within_limit(double steps, std::string_view what) {
  // A NaN count (0/0 data) is no count either.
  if (steps <= static_cast<double>(kMaxSolutionSteps)) return true;
  fio::write(6, "(/,5X,'*** THE ',A,' ASKS FOR MORE THAN',I9,' STEPS, THE LIMIT OF ONE SOLUTION',/,5X,'SOLN IS ABORTED')",
             what, kMaxSolutionSteps);
  return false;
}

bool output_within_limit() {
  if (fio::written_bytes() <= kMaxOutputBytes) return true;
  fio::write(6, "(/,5X,'*** THE OUTPUT FILES HAVE PASSED',I11,' BYTES',/,5X,'SOLN IS ABORTED')", kMaxOutputBytes);
  return false;
}

}  // namespace solutions
