#include "base/kgdata.h"
#include "solutions/stiffness_product.h"

#include <algorithm>

#include "base/globals.h"
#include "base/work_array.h"
#include "elements/eledsp.h"

namespace solutions {

namespace {

// y += f * E u for the packed upper triangle E of order n (column j from
// np[j]) over the location vector lm, both 1-based views. A term whose two
// DOFs share one equation lands on the diagonal twice, as in the assembly.
void add_element(double* y, const double* u, const float* ek, const std::int32_t* lm, const int* np, int n,
                 double f) {
  for (int j = 1; j <= n; ++j) {
    const int c = lm[j];
    if (c <= 0) continue;
    const double uc = u[c - 1];
    double yc = 0.0;
    for (int i = 1; i <= j; ++i) {
      const float e = ek[np[j] + j - i];
      if (e == 0.0f) continue;
      const int r = lm[i];
      if (r <= 0) continue;
      const double v = f * static_cast<double>(e);
      y[r - 1] += v * uc;
      if (i != j) yc += v * u[r - 1];
    }
    y[c - 1] += yc;
  }
}

}  // namespace

void element_product(ProductMatrix which, const double* u, double* y) {
  using kv::ctl;
  const int neq = ctl(kv::kNEQ);
  std::fill(y, y + neq, 0.0);

  const kv::KgData kg = kv::kgdata();
  const float accel = kg.accel;
  const int source = kg.source;
  const int use = kg.use;
  const bool stiffness = which == ProductMatrix::stiffness;
  if (!stiffness && use != 2) return;
  const bool geometric_terms = stiffness ? use == 1 : true;

  const int* np = kv::titles().np.data();
  const int nelem = ctl(kv::kNELEM);
  int ltype = 0;
  for (int n = 1; n <= nelem; ++n) {
    const elements::ElementMatrices m = elements::element_matrices(n);
    if (stiffness && m.nd > 0 && m.izke > 0 && m.izlm > 0)
      add_element(y, u, kv::rptr(m.izke) - 1, kv::iptr(m.izlm) - 1, np, m.nd, 1.0);
    if (!geometric_terms || m.kgdof <= 0 || m.izkg <= 0 || m.izlmkg <= 0) continue;
    elements::EleCall c;
    c.iopt = elements::kEleGeom;
    c.ielno = n;
    c.idisp = ctl(kv::kUTOTAL);
    c.iload = ctl(kv::kPTOTAL);
    elements::eledsp(c, ltype, 0);
    if (!c.lkg) continue;
    float f = c.pgeom;
    if (stiffness) {
      // The factor FORM subtracts with, formed as FORM forms it.
      if (source == 1) f = (accel + 1.0f) * f;
      f = -f;
    }
    add_element(y, u, kv::rptr(m.izkg) - 1, kv::iptr(m.izlmkg) - 1, np, m.kgdof, f);
  }
}

}  // namespace solutions
