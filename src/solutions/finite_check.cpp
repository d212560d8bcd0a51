#include "solutions/finite_check.h"

#include <cmath>
#include <string>

#include "base/globals.h"
#include "fio/fio.h"

namespace solutions {

bool solution_finite(const float* x, int n, int ncol, long ld, std::string_view routine, std::string_view what) {
  for (int c = 0; c < ncol; ++c) {
    const float* col = x + static_cast<long>(c) * ld;
    for (int i = 0; i < n; ++i) {
      if (std::isfinite(col[i])) continue;
      static const std::string stars(50, '*');
      fio::write(6,
                 "(///,1X,A,/,' *  ER','ROR IN SUBROUTINE ',A,T51,'*',/,"
                 "' *  ',A,' IS NOT FINITE - ROW:',I6,T51,'*')",
                 stars, routine, what, i + 1);
      if (ncol > 1) fio::write(6, "(' *                      LOAD CASE:',I6,T51,'*')", c + 1);
      fio::write(6,
                 "(' *  A PIVOT TOO CLOSE TO ZERO OR A LOAD TOO LARGE',T51,'*',/,"
                 "' *  SOLUTION IS ABORTED ',T51,'*',/,1X,A)",
                 stars);
      const bool vowel = !what.empty() && std::string_view("AEIOU").find(what.front()) != std::string_view::npos;
      kv::note_fault(kv::Fault::solution_error,
                     std::string("SOLUTION ABORTED: ") + (vowel ? "AN " : "A ") + std::string(what) + " IS NOT FINITE");
      return false;
    }
  }
  return true;
}

bool real_finite(double v, std::string_view routine, std::string_view what) {
  if (std::isfinite(static_cast<float>(v))) return true;
  static const std::string stars(50, '*');
  fio::write(6,
             "(///,1X,A,/,' *  ER','ROR IN SUBROUTINE ',A,T51,'*',/,"
             "' *  ',A,' IS NOT FINITE',T51,'*',/,"
             "' *  A LOAD, MASS OR STIFFNESS TOO LARGE',T51,'*',/,"
             "' *  SOLUTION IS ABORTED ',T51,'*',/,1X,A)",
             stars, routine, what, stars);
  kv::note_fault(kv::Fault::solution_error, "SOLUTION ABORTED: " + std::string(what) + " IS NOT FINITE");
  return false;
}

}  // namespace solutions
