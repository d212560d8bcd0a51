#include "solvers/curve_fit_packing.h"

#include <cstddef>

#include "fio/fio.h"

namespace solvers {

bool sky2(const float* asat, int lda, int n, float* s, std::int32_t* mdiag, std::int32_t& nterms) {
  const auto term = [&](int i, int j) {
    return asat[static_cast<std::ptrdiff_t>(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * lda];
  };
  int k = 0;
  for (int j = 1; j <= n; ++j) {
    int top = j;
    for (int i = 1; i < j; ++i) {
      if (term(i, j) != 0.0f) {
        top = i;
        break;
      }
    }
    for (int i = j; i >= top; --i) {
      ++k;
      if (i == j) {
        mdiag[j - 1] = k;
        if (term(j, j) == 0.0f) {
          fio::write_list(6, "THE ASAT ", j,
                          "TH DIAGONAL TERM ARE ZERO - CURVE FITTING SOLUTION ABORTED FROM SKY2");
          mdiag[n] = 0;
          nterms = 0;
          return false;
        }
      }
      s[k - 1] = term(i, j);
    }
  }
  mdiag[n] = k + 1;
  nterms = k;
  return true;
}

}  // namespace solvers
