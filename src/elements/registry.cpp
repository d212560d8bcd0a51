// The element registry and the element library's list of types.
#include <array>
#include <cstddef>

#include "base/input_lines.h"
#include "base/type_registry.h"
#include "elements/beam3d.h"
#include "elements/brace_element.h"
#include "elements/element_type.h"
#include "elements/hinge_beam.h"
#include "elements/inelastic/hinge_model.h"
#include "elements/inelastic/ie3dbeam.h"
#include "elements/inelastic/mr_end.h"
#include "elements/inelastic/shear_wall.h"
#include "elements/plate.h"
#include "elements/point_element.h"
#include "elements/spring.h"
#include "elements/stability_element.h"

namespace elements {

namespace {

// The types in the order the structure input tries their keywords. A type
// not built yet has its record's keyword, counts and words here and no
// driver, so that its records are read and reported "NOT AVAILABLE"; building
// it replaces its entry by the descriptor in its header.
constexpr ElementType kBuiltinTypes[] = {
    kBeam3DType,
    kSpringType,
    kShearWallType,
    kBraceType,
    kIE3DBeamType,
    kMrEndType,
    kHingeBeamType,
    kStabilityType,
    kShearOpenType,
    kPlateType,
    kPointType,
    {.code = 4, .keyword = "(1)", .nrinp = 2, .nwords = 3},
};

using Registry = kv::TypeRegistry<ElementType, kMaxElementType>;

Registry& registry() {
  static Registry r;
  return r;
}

}  // namespace

void register_element(const ElementType& type) {
  if (type.nrinp < 0 || type.nrinp > kMaxRinput) return;
  registry().add(type);
}

void register_element(int code, EleDriver driver) { registry().set_driver(code, driver, builtin_element_types()); }

const ElementType* element_type(int code) { return registry().find(code); }

EleDriver element_driver(int code) {
  const ElementType* t = element_type(code);
  return t != nullptr ? t->driver : nullptr;
}

const ElementType* element_type_for(std::string_view item) {
  return registry().first_if(
      [item](const ElementType& t) { return !t.keyword.empty() && base::keyon(item, t.keyword, false); });
}

std::span<const ElementType> builtin_element_types() { return kBuiltinTypes; }

void register_builtin_elements() {
  registry().add_builtins(kBuiltinTypes);
  // The models the beam-column's components take.
  beam_column::register_builtin_hinge_models();
}

}  // namespace elements
