// Global stiffness formation and the skyline assembly step.
#pragma once

#include <cstdint>
#include <vector>

#include "base/work_array.h"

namespace elements {

// ADDSKY: adds factor * EK (packed upper triangle of order n, column j from
// np[j]) into the skyline matrix gk (diagonal addresses mdiag) through the
// location vector lm. All arrays are 1-based views (x[1] is the first word).
// Two equal LM entries i != j put the off-diagonal term on the diagonal twice,
// which is the true sum of the symmetric matrix. A term above its column's
// top in the profile is never written outside it: the caller gets back the
// number of finite terms left out (a non-finite one goes on the diagonal).
int addsky(kv::SkyReal* gk, const std::int32_t* mdiag, int neq, int nstore, const float* ek,
           const int* np, int n, int npend, const std::int32_t* lm, float factor);

// FORM: option 2 forms the separate global geometric stiffness, any other
// option the global stiffness (with the geometric-stiffness options of KGDATA).
void form(int iopt);

// What the re-formations of one solution's global stiffness keep from call
// to call: every element's matrix and location vector as last assembled.
struct StiffnessMemory {
  bool kept = false;
  std::vector<int> order;              // per element (index n - 1): its order, 0 when it adds nothing
  std::vector<float> terms;            // packed upper triangles in element order, np order within
  std::vector<std::int32_t> lms;       // location vectors in element order
  std::vector<unsigned char> changed;  // per equation (index eq - 1): the last call formed its column again
  // The same of the call under way (kept for their capacity).
  std::vector<int> next_order;
  std::vector<float> next_terms;
  std::vector<std::int32_t> next_lms;
};

// FORM option 1 for a solution that forms its stiffness again and again,
// without geometric stiffness in it and without the trace letters F and H:
// every element gives its matrix as in FORM, and only the columns of the
// elements whose matrix changed since the last call are summed again, from
// all elements in their order, so each term gets the very sums of a whole
// formation. The first call forms the whole matrix. The caller gets back the
// first column formed again (NEQ + 1 when none); mem.changed marks them all.
int form_changed(StiffnessMemory& mem);

}  // namespace elements
