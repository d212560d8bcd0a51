// Limits that keep one solution from running for hours or filling the disk
// on input that asks for it (a final time of 1e30, a tiny increment, a step
// count near the integer range). Documented in the README and docs/input.md.
#pragma once

#include <cstdint>
#include <string_view>

namespace solutions {

// Steps one time-history or static nonlinear solution may take.
inline constexpr std::int64_t kMaxSolutionSteps = 10'000'000;

// Bytes the run may write to its output and history files.
inline constexpr long long kMaxOutputBytes = 2'000'000'000;

// True when a solution may take `steps` steps. Otherwise prints why the
// solution (named by `what`) is ended, counted as an abandoned solution; the
// caller ends it and raises ISTOP.
[[nodiscard]] bool steps_within_limit(double steps, std::string_view what);

// True while the files written stay below kMaxOutputBytes. Otherwise prints
// that the solution is ended, counted as above; the caller ends it and raises
// ISTOP.
[[nodiscard]] bool output_within_limit();

}  // namespace solutions
