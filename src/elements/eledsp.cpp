#include "elements/eledsp.h"

#include <array>

#include "base/globals.h"
#include "base/storage.h"
#include "fio/fio.h"

namespace elements {

namespace {

// Record positions the dispatcher needs per element type (word offsets from the
// record's first word; 0 where the type has none).
struct TypeLayout {
  int lm = 0;        // location vector
  int nhyst = 0;     // word holding NHYST
  int base = 0;      // first material state word
  int lmkg = 0;      // location vector of the geometric stiffness
  int kg = 0;        // word holding the offset of KG from IZKE
  int kg_adjust = 0; // added to that offset (walls store it one-based)
  int kgdof = 0;     // word holding KGDOF
};

constexpr int kMaxType = 20;

constexpr TypeLayout layout_of(int type) {
  switch (type) {
    case 1: return {64, 133, 281, 121, 120, 0, 119};
    case 2:
    case 8: return {40, 12, 55, 0, 0, 0, 0};
    case 3:
    case 14: return {34, 5, 167, 58, 33, -1, 159};
    case 9: return {73, 141, 493, 129, 128, 0, 127};
    case 10: return {73, 141, 458, 129, 128, 0, 127};
    case 11: return {64, 135, 283, 123, 122, 0, 121};
    case 12: return {50, 104, 540, 0, 0, 0, 0};
    case 16: return {88, 2, 1016, 0, 0, 0, 0};
    case 20: return {26, 56, 95, 0, 0, 0, 0};
    default: return {};
  }
}

std::array<EleDriver, kMaxType + 1>& drivers() {
  static std::array<EleDriver, kMaxType + 1> table{};
  return table;
}

ElementMatrices matrices_at(std::int64_t p, const TypeLayout& t) {
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

bool raises_neload(int type) { return type == 1 || type == 9 || type == 10 || type == 11 || type == 12; }
bool never_kg(int type) { return type == 2 || type == 8 || type == 12 || type == 20; }

}  // namespace

void register_element(int type, EleDriver driver) {
  if (type >= 0 && type <= kMaxType) drivers()[static_cast<std::size_t>(type)] = driver;
}

EleDriver element_driver(int type) {
  if (type < 0 || type > kMaxType) return nullptr;
  return drivers()[static_cast<std::size_t>(type)];
}

void eledsp(EleCall& c, int& ltype, int lhead) {
  using kv::ctl;
  c.p = kv::izm(ctl(kv::kELETAB) + c.ielno);
  c.type = kv::izm(c.p);
  c.typchg = c.type != ltype;
  if (c.typchg && (lhead & 1)) kv::page_header(6);
  c.nhyst = 0;
  // An element that sets no result word must not hand back the previous one's.
  c.r1 = c.r2 = c.r3 = 0.0f;

  const EleDriver driver = element_driver(c.type);
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

  const TypeLayout t = layout_of(c.type);
  const std::int64_t p = c.p;
  auto izke = [&] { return p + t.base + static_cast<std::int32_t>(kv::izm(p + t.nhyst)); };
  if (c.type != 3 && c.type != 14) ctl(kv::kIZLM) = static_cast<std::int32_t>(p + t.lm);
  ctl(kv::kIZKE) = static_cast<std::int32_t>(izke());
  if (c.type == 1 || c.type == 9 || c.type == 10 || c.type == 11)
    ctl(kv::kIZLMKG) = static_cast<std::int32_t>(p + t.lmkg);
  if (raises_neload(c.type) && ctl(kv::kNELOAD) <= 0) ctl(kv::kNELOAD) = 1;
  if (never_kg(c.type)) c.lkg = false;

  // The 3D beam's stiffness from the check stands for the whole run.
  if (!(c.type == 1 && c.iopt == kEleStiff)) driver(c);

  c.nhyst = kv::izm(p + t.nhyst);
  const ElementMatrices m = matrices_at(p, t);
  c.nd = m.nd;
  ctl(kv::kIZKE) = static_cast<std::int32_t>(m.izke);
  ctl(kv::kIZLMKG) = static_cast<std::int32_t>(m.izlmkg);
  ctl(kv::kIZKG) = static_cast<std::int32_t>(m.izkg);
  c.kgdof = m.kgdof;
  if (c.type == 3 || c.type == 14 || c.type == 16) ctl(kv::kIZLM) = static_cast<std::int32_t>(m.izlm);
  ltype = c.type;
}

ElementMatrices element_matrices(int ielno) {
  const std::int64_t p = kv::izm(kv::ctl(kv::kELETAB) + ielno);
  const int type = kv::izm(p);
  if (element_driver(type) == nullptr) return {};
  return matrices_at(p, layout_of(type));
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
    c.idisp = kv::ctl(58);
    c.iload = kv::ctl(57);
    eledsp(c, ltype, 0);
  }
}

}  // namespace elements
