// The material registry and the material library's list of types.
#include <array>
#include <cstddef>

#include "base/input_lines.h"
#include "materials/axlmod.h"
#include "materials/bend1.h"
#include "materials/bilinear.h"
#include "materials/brace.h"
#include "materials/gap.h"
#include "materials/hinge.h"
#include "materials/ia_biln.h"
#include "materials/local_buckling.h"
#include "materials/long_owjg.h"
#include "materials/mat01_beam_section.h"
#include "materials/matdsp.h"
#include "materials/material_type.h"
#include "materials/plate_point.h"
#include "materials/shear1.h"
#include "materials/shear2.h"
#include "materials/short_owjg_mr2.h"
#include "materials/takeda.h"

namespace materials {

namespace {

// The types in the order the structure input tries their keywords. A type not
// built yet has its keyword (and whether it is a section set) here and no
// driver, so that its sets are passed over as "NOT AVAILABLE"; building it
// replaces its entry by the descriptor in its header, or, for the section
// types of the member library, by that library's registration.
constexpr MaterialType kBuiltinTypes[] = {
    kBeamSectionType,
    kAxlmodType,
    kBend1Type,
    kShear1Type,
    {.code = 5, .keywords = {"ROMBERG"}},
    kTakedaType,
    kBilinearType,
    kBraceType,
    kLongOwjgType,
    kIaBilnType,
    kShortOwjgMr2Type,
    {.code = 12, .keywords = {"STABILITY1"}, .section = true},
    {.code = 120, .keywords = {"STABILITY2"}, .section = true},
    kLocbklType,
    kShear2Type,
    kBispecialType,
    kGapType,
    kPlateType,
    {.code = 17, .keywords = {"R/CONCRETE1"}, .section = true},
    {.code = 170, .keywords = {"R/CONCRETE2"}, .section = true},
    {.code = 18, .keywords = {"MOMCURVA1"}, .section = true},
    {.code = 180, .keywords = {"MOMCURVA2"}, .section = true},
    kHingeType,
    kPointType,
};

struct Registry {
  std::array<MaterialType, kMaxMaterialType + 1> types{};
  std::array<bool, kMaxMaterialType + 1> known{};
  std::array<int, kMaxMaterialType + 1> order{};  // codes in registration order
  int count = 0;
};

Registry& registry() {
  static Registry r;
  return r;
}

bool in_range(int code) { return code >= 0 && code <= kMaxMaterialType; }

}  // namespace

void register_material(const MaterialType& type) {
  if (!in_range(type.code)) return;
  Registry& r = registry();
  const auto k = static_cast<std::size_t>(type.code);
  if (!r.known[k]) {
    r.known[k] = true;
    r.order[static_cast<std::size_t>(r.count++)] = type.code;
  }
  r.types[k] = type;
}

void register_material(int code, MatDriver driver) {
  if (!in_range(code)) return;
  MaterialType t;
  t.code = code;
  if (const MaterialType* now = material_type(code)) {
    t = *now;
  } else {
    for (const MaterialType& b : builtin_material_types())
      if (b.code == code) t = b;
  }
  t.driver = driver;
  register_material(t);
}

const MaterialType* material_type(int code) {
  if (!in_range(code)) return nullptr;
  const Registry& r = registry();
  const auto k = static_cast<std::size_t>(code);
  return r.known[k] ? &r.types[k] : nullptr;
}

MatDriver material_driver(int code) {
  const MaterialType* t = material_type(code);
  return t != nullptr ? t->driver : nullptr;
}

bool is_section_type(int code) {
  const MaterialType* t = material_type(code);
  return t != nullptr && t->section;
}

int material_type_for(std::string_view item) {
  const Registry& r = registry();
  for (int i = 0; i < r.count; ++i) {
    const MaterialType& t = r.types[static_cast<std::size_t>(r.order[static_cast<std::size_t>(i)])];
    for (std::string_view key : t.keywords)
      if (!key.empty() && model::keyon(item, key, false)) return t.code;
  }
  return 0;
}

std::span<const MaterialType> builtin_material_types() { return kBuiltinTypes; }

void register_builtin_materials() {
  for (const MaterialType& t : kBuiltinTypes) {
    // A placeholder does not take the place of a type registered already
    // (from another library, or a stand-in).
    if (t.driver == nullptr && material_type(t.code) != nullptr) continue;
    register_material(t);
  }
}

}  // namespace materials
