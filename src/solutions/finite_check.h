// The check of a solved vector before anything is reported from it.
#pragma once

#include <string_view>

namespace solutions {

// True when the first n entries of each of the ncol columns of x (leading
// dimension ld) are finite numbers. Otherwise a pivot that passes the
// exact-zero test but lies near the bottom of the float range (or a load too
// large) has turned the solution into Infinity or NaN: the first such entry
// is reported in a boxed message naming the routine, the solution cannot go
// on, and the caller raises ISTOP as after a zero pivot.
// what names the quantity of x in the message (at most 12 characters).
[[nodiscard]] bool solution_finite(const float* x, int n, int ncol, long ld, std::string_view routine,
                                   std::string_view what = "DISPLACEMENT");

// True when v is a finite number once held in a 4-byte REAL (a report or a
// history record keeps it so). Otherwise the boxed message names the routine
// and the quantity (what, at most 27 characters), the solution cannot go on,
// and the caller raises ISTOP.
[[nodiscard]] bool real_finite(double v, std::string_view routine, std::string_view what);

}  // namespace solutions
