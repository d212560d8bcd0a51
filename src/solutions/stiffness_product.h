// The global stiffness (or geometric stiffness) applied to a vector in double
// precision, element by element from the element records, exactly as FORM
// assembles them. The float skyline holds every term rounded once more and is
// reduced in place by the solver; residuals and Rayleigh quotients taken with
// this product carry neither rounding, which is what lets the static and eigen
// solutions be corrected on stiff or large models.
#pragma once

#include <cstdint>

namespace solutions {

enum class ProductMatrix {
  stiffness,  // FORM option 1: element stiffness, the geometric stiffness subtracted when KGDATA(3) = 1
  geometric,  // FORM option 2: the separate geometric stiffness (nothing unless KGDATA(3) = 2)
};

// y = A u over all NEQ equations (u[e-1], y[e-1] for equation e); y is
// overwritten. The geometric-stiffness factor of each element is asked from
// the element (option 2), as FORM does; nothing else of the element runs.
void element_product(ProductMatrix which, const double* u, double* y);

}  // namespace solutions
