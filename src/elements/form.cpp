#include "base/kgdata.h"
#include "elements/form.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <string>

#include "base/globals.h"
#include "base/matrix_print.h"
#include "elements/eledsp.h"
#include "fio/fio.h"

namespace elements {

namespace {

// ADDSKY over the global columns that `keep` accepts; the count of terms left
// out because they lie outside the profile.
template <class Keep>
int add_terms(kv::SkyReal* gk, const std::int32_t* mdiag, const float* ek, const int* np, int n,
              const std::int32_t* lm, float factor, Keep keep) {
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
      if (!keep(hi)) continue;
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

}  // namespace

int addsky(kv::SkyReal* gk, const std::int32_t* mdiag, int /*neq*/, int /*nstore*/, const float* ek,
           const int* np, int n, int /*npend*/, const std::int32_t* lm, float factor) {
  return add_terms(gk, mdiag, ek, np, n, lm, factor, [](int) { return true; });
}

namespace {

// Terms of an element that the profile cannot hold are reported for the first
// such element of a formation (`reported` is set then), as an error.
void report_outside(int element, int outside, bool& reported) {
  if (outside == 0 || reported) return;
  reported = true;
  const std::string text = fio::format("('ELEMENT',I6,':',I4,' STIFFNESS TERMS OUTSIDE THE MATRIX PROFILE LEFT OUT')",
                                       element, outside);
  fio::write(6, "(/,' *** ',A)", text);
  kv::note_fault(kv::Fault::solution_error, text);
}

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
  report_outside(element, outside, reported);
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

// The matrix of element n as the stiffness option left it (order 0 when it
// adds nothing), 1-based views.
struct CurrentMatrix {
  int n = 0;
  const float* ek = nullptr;
  const std::int32_t* lm = nullptr;
};

CurrentMatrix stiffness_of(int n, int& ltype) {
  EleCall c;
  c.iopt = kEleStiff;
  c.ielno = n;
  c.idisp = kv::ctl(kv::kUTOTAL);
  c.iload = kv::ctl(kv::kPTOTAL);
  eledsp(c, ltype, 0);
  const std::int64_t ek = kv::ctl(kv::kIZKE);
  const std::int64_t lm = kv::ctl(kv::kIZLM);
  if (c.nd <= 0 || ek <= 0 || lm <= 0) return {};
  return {c.nd, kv::rptr(ek) - 1, kv::iptr(lm) - 1};
}

// Adds the terms of the packed matrix ek (order n, location vector lm, both
// 1-based) that fall in the columns marked in `only` (per equation, index
// eq - 1), in the order of ADDSKY (a factor 1.0 changes no term).
int add_columns(kv::SkyReal* gk, const std::int32_t* mdiag, const float* ek, const int* np, int n,
                const std::int32_t* lm, const std::vector<unsigned char>& only) {
  return add_terms(gk, mdiag, ek, np, n, lm, 1.0f, [&only](int hi) { return only[static_cast<std::size_t>(hi - 1)] != 0; });
}

}  // namespace

int form_changed(StiffnessMemory& mem) {
  using kv::ctl;
  const int nelem = ctl(kv::kNELEM);
  const int neq = ctl(kv::kNEQ);
  const auto uz = [](int i) { return static_cast<std::size_t>(std::max(i, 0)); };
  if (kv::kgdata().use == 1 || (kv::trace('F') && kv::trace('H'))) {
    // The geometric stiffness joins each element's terms, and the traced
    // formation prints every element: the whole formation.
    mem.kept = false;
    mem.changed.assign(uz(neq), 1);
    form(1);
    return 1;
  }

  // This call's matrices, each as its element gives it.
  mem.next_order.clear();
  mem.next_terms.clear();
  mem.next_lms.clear();
  int ltype = 0;
  for (int n = 1; n <= nelem; ++n) {
    const CurrentMatrix e = stiffness_of(n, ltype);
    mem.next_order.push_back(e.n);
    if (e.n == 0) continue;
    mem.next_terms.insert(mem.next_terms.end(), e.ek + 1, e.ek + 1 + e.n * (e.n + 1) / 2);
    mem.next_lms.insert(mem.next_lms.end(), e.lm + 1, e.lm + 1 + e.n);
  }

  // With the same orders and equations, the columns of the elements whose
  // matrix changed bit for bit (a zero's sign changes sums too); else all.
  const bool same = mem.kept && mem.order == mem.next_order && mem.lms == mem.next_lms && mem.changed.size() == uz(neq);
  mem.changed.assign(uz(neq), same ? 0 : 1);
  if (same) {
    std::size_t t = 0;
    std::size_t l = 0;
    for (const int order : mem.order) {
      const std::size_t nt = uz(order * (order + 1) / 2);
      if (std::memcmp(mem.terms.data() + t, mem.next_terms.data() + t, sizeof(float) * nt) != 0)
        for (std::size_t j = 0; j < uz(order); ++j)
          if (const int q = mem.lms[l + j]; q > 0) mem.changed[uz(q - 1)] = 1;
      t += nt;
      l += uz(order);
    }
  }
  std::swap(mem.order, mem.next_order);
  std::swap(mem.terms, mem.next_terms);
  std::swap(mem.lms, mem.next_lms);
  mem.kept = true;

  const auto marked = std::find(mem.changed.begin(), mem.changed.end(), 1);
  if (marked == mem.changed.end()) return neq + 1;
  const std::int32_t* mdiag = kv::iptr(ctl(kv::kStiffMdiag)) - 1;
  kv::SkyReal* gk = kv::skyptr(ctl(kv::kStiffValues)) - 1;
  if (!same) {
    clear_matrix(kv::kStiffValues, kv::kStiffMdiag);
  } else {
    for (int col = 1; col <= neq; ++col)
      if (mem.changed[uz(col - 1)] != 0) std::fill(gk + mdiag[col], gk + mdiag[col + 1], kv::SkyReal{0});
  }
  // Every element with a marked column adds its terms there, in element order.
  const int* np = kv::titles().np.data();
  std::size_t t = 0;
  std::size_t l = 0;
  int element = 0;
  bool reported = false;
  for (const int order : mem.order) {
    ++element;
    const std::int32_t* lm = mem.lms.data() + l;
    if (std::any_of(lm, lm + order, [&](std::int32_t q) { return q > 0 && mem.changed[uz(q - 1)] != 0; }))
      report_outside(element, add_columns(gk, mdiag, mem.terms.data() + t - 1, np, order, lm - 1, mem.changed),
                     reported);
    t += uz(order * (order + 1) / 2);
    l += uz(order);
  }
  return static_cast<int>(marked - mem.changed.begin()) + 1;
}

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
