#include "base/kgdata.h"
#include "elements/form.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>

#include "base/globals.h"
#include "base/matrix_print.h"
#include "elements/eledsp.h"
#include "fio/fio.h"

namespace elements {

int addsky(kv::SkyReal* gk, const std::int32_t* mdiag, int /*neq*/, int /*nstore*/, const float* ek,
           const int* np, int n, int /*npend*/, const std::int32_t* lm, float factor) {
  int outside = 0;
  for (int j = 1; j <= n; ++j) {
    const int c = lm[j];
    if (c <= 0) continue;
    for (int i = 1; i <= j; ++i) {
      const float e = ek[np[j] + j - i];
      if (e == 0.0f) continue;
      const int r = lm[i];
      if (r <= 0) continue;
      const int lo = std::min(r, c);
      const int hi = std::max(r, c);
      const float add = e * factor;
      // The profile holds the terms that were not zero at set-up. A term above
      // its column's top would land in the next column, or past the matrix in
      // whatever table follows it: a non-finite one goes on the diagonal, where
      // the solution finds it, and a finite one is left out and counted.
      if (hi - lo >= mdiag[hi + 1] - mdiag[hi]) {
        if (std::isfinite(add)) ++outside;
        else gk[mdiag[hi]] += add;
        continue;
      }
      gk[mdiag[hi] + hi - lo] += add;
      // Both halves of an off-diagonal term land on one diagonal when two
      // element DOFs share an equation.
      if (i != j && r == c) gk[mdiag[hi]] += add;
    }
  }
  return outside;
}

namespace {

// Adds the matrix of the current element (packed at `ek_index`, location vector
// at `lm_index`, order n) into the skyline matrix of CONTRL words values/mdiag.
// Terms the profile cannot hold are reported for the first such element of a
// formation (`reported` is set then).
void assemble_current(int values_word, int mdiag_word, std::int64_t ek_index, std::int64_t lm_index,
                      int n, float factor, int element, bool& reported) {
  if (n <= 0 || ek_index <= 0 || lm_index <= 0) return;
  const int neq = kv::ctl(kv::kNEQ);
  const std::int32_t* mdiag = kv::iptr(kv::ctl(mdiag_word)) - 1;
  const int outside = addsky(kv::skyptr(kv::ctl(values_word)) - 1, mdiag, neq, mdiag[neq + 1],
                             kv::rptr(ek_index) - 1, kv::titles().np.data(), n, n * (n + 1) / 2,
                             kv::iptr(lm_index) - 1, factor);
  if (outside == 0 || reported) return;
  reported = true;
  const std::string text = fio::format("('ELEMENT',I6,':',I4,' STIFFNESS TERMS OUTSIDE THE MATRIX PROFILE LEFT OUT')",
                                       element, outside);
  fio::write(6, "(/,' *** ',A)", text);
  kv::note_fault(kv::Fault::solution_error, text);
}

// Letters F and H: the element's matrix at ek_index under a title with the
// first (at most 18) entries of its location vector. An element without the
// matrix still gets its title, as an empty print of order 0.
void trace_element(int n, std::int64_t ek_index, std::int64_t lm_index, int nd) {
  if (!(kv::trace('F') && kv::trace('H'))) return;
  const int order = (ek_index > 0 && lm_index > 0 && nd > 0) ? nd : 0;
  const int shown = std::min(order, 18);
  const std::int32_t* lm = order > 0 ? kv::iptr(lm_index) : nullptr;
  std::string title = fio::format("('ELEMENT #',I6,' LM:',18I6)", n,
                                  std::span<const std::int32_t>(lm, static_cast<std::size_t>(shown)));
  title.resize(130, ' ');
  const float* ek = order > 0 ? kv::rptr(ek_index) : nullptr;
  base::skyprt(ek, kv::titles().np.data() + 1, order, order * (order + 1) / 2, title);
}

void clear_matrix(int values_word, int mdiag_word) {
  const int neq = kv::ctl(kv::kNEQ);
  const std::int32_t* mdiag = kv::iptr(kv::ctl(mdiag_word)) - 1;
  kv::SkyReal* a = kv::skyptr(kv::ctl(values_word));
  std::fill(a, a + mdiag[neq + 1], kv::SkyReal{0});
}

}  // namespace

void form(int iopt) {
  using kv::ctl;
  if (kv::trace('F')) fio::write_list(6, " IN ROUTINE FORM IOPT:", iopt);
  const kv::KgData kg = kv::kgdata();
  const int nelem = ctl(kv::kNELEM);
  int ltype = 0;
  bool reported = false;

  if (iopt == 2) {
    if (kg.use != 2) return;
    clear_matrix(kv::kGeoValues, kv::kGeoMdiag);
    for (int n = 1; n <= nelem; ++n) {
      EleCall c;
      c.iopt = kEleGeom;
      c.ielno = n;
      c.idisp = ctl(kv::kUTOTAL);
      c.iload = ctl(kv::kPTOTAL);
      eledsp(c, ltype, 0);
      if (!c.lkg) continue;
      if (kv::trace('F') && kv::trace('H')) {
        fio::write_list(6, "PGEOM=", c.pgeom);
        trace_element(n, ctl(kv::kIZKG), ctl(kv::kIZLMKG), c.kgdof);
      }
      assemble_current(kv::kGeoValues, kv::kGeoMdiag, ctl(kv::kIZKG), ctl(kv::kIZLMKG), c.kgdof, c.pgeom, n,
                       reported);
    }
    return;
  }

  clear_matrix(kv::kStiffValues, kv::kStiffMdiag);
  for (int n = 1; n <= nelem; ++n) {
    EleCall c;
    c.iopt = kEleStiff;
    c.ielno = n;
    c.idisp = ctl(kv::kUTOTAL);
    c.iload = ctl(kv::kPTOTAL);
    eledsp(c, ltype, 0);
    trace_element(n, ctl(kv::kIZKE), ctl(kv::kIZLM), c.nd);
    assemble_current(kv::kStiffValues, kv::kStiffMdiag, ctl(kv::kIZKE), ctl(kv::kIZLM), c.nd, 1.0f, n, reported);
    if (kg.use == 1) {
      c.iopt = kEleGeom;
      eledsp(c, ltype, 0);
      trace_element(n, ctl(kv::kIZKG), ctl(kv::kIZLMKG), c.kgdof);
      if (c.lkg) {
        float f = c.pgeom;
        if (kg.source == 1) f = (kg.accel + 1.0f) * f;
        f = -f;
        assemble_current(kv::kStiffValues, kv::kStiffMdiag, ctl(kv::kIZKG), ctl(kv::kIZLMKG), c.kgdof, f, n,
                         reported);
      }
    }
  }
}

}  // namespace elements
