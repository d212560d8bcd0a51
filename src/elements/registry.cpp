// The element registry and the element library's list of types.
#include <array>
#include <cstddef>

#include "base/input_lines.h"
#include "elements/beam3d.h"
#include "elements/brace_element.h"
#include "elements/element_type.h"
#include "elements/hinge_beam.h"
#include "elements/inelastic/ie3dbeam.h"
#include "elements/inelastic/mr_end.h"
#include "elements/plate.h"
#include "elements/point_element.h"
#include "elements/spring.h"

namespace elements {

namespace {

// The types in the order the structure input tries their keywords. A type
// not built yet has its record's keyword, counts and words here and no
// driver, so that its records are read and reported "NOT AVAILABLE"; building
// it replaces its entry by the descriptor in its header.
constexpr ElementType kBuiltinTypes[] = {
    kBeam3DType,
    kSpringType,
    {.code = 3, .keyword = "SHEAR WALL", .nrinp = 9, .nwords = 769, .lm = 34, .nhyst = 5, .base = 167,
     .lmkg = 58, .kg = 33, .kg_adjust = -1, .kgdof = 159, .lm_before = false, .lm_after = true},
    kBraceType,
    kIE3DBeamType,
    kMrEndType,
    kHingeBeamType,
    {.code = 12, .keyword = "STABILITY", .nrinp = 8, .nwords = 618, .lm = 50, .nhyst = 104, .base = 540,
     .element_loads = true, .no_geometric = true, .profile_all_terms = true},
    {.code = 14, .keyword = "SHEAR_OPEN", .nrinp = 9, .nwords = 775, .lm = 34, .nhyst = 5, .base = 167,
     .lmkg = 58, .kg = 33, .kg_adjust = -1, .kgdof = 159, .lm_before = false, .lm_after = true},
    kPlateType,
    kPointType,
    {.code = 4, .keyword = "(1)", .nrinp = 2, .nwords = 3},
};

struct Registry {
  std::array<ElementType, kMaxElementType + 1> types{};
  std::array<bool, kMaxElementType + 1> known{};
  std::array<int, kMaxElementType + 1> order{};  // codes in registration order
  int count = 0;
};

Registry& registry() {
  static Registry r;
  return r;
}

bool in_range(int code) { return code >= 0 && code <= kMaxElementType; }

}  // namespace

void register_element(const ElementType& type) {
  if (!in_range(type.code) || type.nrinp < 0 || type.nrinp > kMaxRinput) return;
  Registry& r = registry();
  const auto k = static_cast<std::size_t>(type.code);
  if (!r.known[k]) {
    r.known[k] = true;
    r.order[static_cast<std::size_t>(r.count++)] = type.code;
  }
  r.types[k] = type;
}

void register_element(int code, EleDriver driver) {
  if (!in_range(code)) return;
  ElementType t;
  t.code = code;
  if (const ElementType* now = element_type(code)) {
    t = *now;
  } else {
    for (const ElementType& b : builtin_element_types())
      if (b.code == code) t = b;
  }
  t.driver = driver;
  register_element(t);
}

const ElementType* element_type(int code) {
  if (!in_range(code)) return nullptr;
  const Registry& r = registry();
  const auto k = static_cast<std::size_t>(code);
  return r.known[k] ? &r.types[k] : nullptr;
}

EleDriver element_driver(int code) {
  const ElementType* t = element_type(code);
  return t != nullptr ? t->driver : nullptr;
}

const ElementType* element_type_for(std::string_view item) {
  const Registry& r = registry();
  for (int i = 0; i < r.count; ++i) {
    const ElementType& t = r.types[static_cast<std::size_t>(r.order[static_cast<std::size_t>(i)])];
    if (!t.keyword.empty() && model::keyon(item, t.keyword, false)) return &t;
  }
  return nullptr;
}

std::span<const ElementType> builtin_element_types() { return kBuiltinTypes; }

void register_builtin_elements() {
  for (const ElementType& t : kBuiltinTypes) {
    // A placeholder does not take the place of a type registered already
    // (from another library, or a stand-in).
    if (t.driver == nullptr && element_type(t.code) != nullptr) continue;
    register_element(t);
  }
}

}  // namespace elements
