#include "elements/eledsp.h"

#include <array>

#include "base/globals.h"
#include "base/storage.h"
#include "fio/fio.h"

namespace elements {

namespace {

ElementMatrices matrices_at(std::int64_t p, const ElementType& t) {
  ElementMatrices m;
  m.nd = kv::izm(p + 1);
  m.izke = p + t.base + static_cast<std::int32_t>(kv::izm(p + t.nhyst));
  m.izlm = p + t.lm;
  if (t.lmkg != 0) {
    m.izlmkg = p + t.lmkg;
    m.izkg = m.izke + kv::izm(p + t.kg) + t.kg_adjust;
    m.kgdof = kv::izm(p + t.kgdof);
  }
  return m;
}

}  // namespace

void eledsp(EleCall& c, int& ltype, int lhead) {
  using kv::ctl;
  c.p = kv::izm(ctl(kv::kELETAB) + c.ielno);
  c.type = kv::izm(c.p);
  c.typchg = c.type != ltype;
  if (c.typchg && (lhead & 1)) kv::page_header(6);
  c.nhyst = 0;
  // An element that sets no result word must not hand back the previous one's.
  c.r1 = c.r2 = c.r3 = 0.0f;

  const ElementType* t = element_type(c.type);
  const EleDriver driver = t != nullptr ? t->driver : nullptr;
  if (driver == nullptr) {
    fio::write(6, "(' ELEMENT ',I6,' IS NOT AVAILABLE')", c.ielno);
    // Nothing of the previous element may be taken for this one.
    c.nd = 0;
    c.kgdof = 0;
    c.lkg = false;
    c.nback = 0;
    ctl(kv::kIZLM) = 0;
    ctl(kv::kIZKE) = 0;
    ctl(kv::kIZKG) = 0;
    ctl(kv::kIZLMKG) = 0;
    ltype = c.type;
    return;
  }

  const std::int64_t p = c.p;
  auto izke = [&] { return p + t->base + static_cast<std::int32_t>(kv::izm(p + t->nhyst)); };
  if (t->lm_before) ctl(kv::kIZLM) = static_cast<std::int32_t>(p + t->lm);
  ctl(kv::kIZKE) = static_cast<std::int32_t>(izke());
  if (t->lm_before && t->lmkg != 0) ctl(kv::kIZLMKG) = static_cast<std::int32_t>(p + t->lmkg);
  if (t->element_loads && ctl(kv::kNELOAD) <= 0) ctl(kv::kNELOAD) = 1;
  if (t->no_geometric) c.lkg = false;

  if (!(t->stiffness_from_check && c.iopt == kEleStiff)) driver(c);

  c.nhyst = kv::izm(p + t->nhyst);
  const ElementMatrices m = matrices_at(p, *t);
  c.nd = m.nd;
  ctl(kv::kIZKE) = static_cast<std::int32_t>(m.izke);
  ctl(kv::kIZLMKG) = static_cast<std::int32_t>(m.izlmkg);
  ctl(kv::kIZKG) = static_cast<std::int32_t>(m.izkg);
  c.kgdof = m.kgdof;
  if (t->lm_after) ctl(kv::kIZLM) = static_cast<std::int32_t>(m.izlm);
  ltype = c.type;
}

ElementMatrices element_matrices(int ielno) {
  const std::int64_t p = kv::izm(kv::ctl(kv::kELETAB) + ielno);
  const ElementType* t = element_type(kv::izm(p));
  if (t == nullptr || t->driver == nullptr) return {};
  return matrices_at(p, *t);
}

void eledsp_simple(int iopt, int ielno, int& ltype, bool lecho, int lhead, std::int64_t idisp,
                   std::int64_t iload) {
  EleCall c;
  c.iopt = iopt;
  c.ielno = ielno;
  c.lecho = lecho;
  c.idisp = idisp;
  c.iload = iload;
  eledsp(c, ltype, lhead);
}

void reset_all_elements(std::string_view command) {
  int ltype = 0;
  const int nelem = kv::ctl(kv::kNELEM);
  for (int n = 1; n <= nelem; ++n) {
    EleCall c;
    c.iopt = kEleReset;
    c.ielno = n;
    c.label = command;
    c.idisp = kv::ctl(kv::kDUDISP);
    c.iload = kv::ctl(kv::kDPLOAD);
    eledsp(c, ltype, 0);
  }
}

}  // namespace elements
