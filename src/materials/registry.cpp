// The material registry and the material library's list of types.
#include <array>
#include <cstddef>

#include "base/input_lines.h"
#include "base/type_registry.h"
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

using Registry = kv::TypeRegistry<MaterialType, kMaxMaterialType>;

Registry& registry() {
  static Registry r;
  return r;
}

}  // namespace

void register_material(const MaterialType& type) { registry().add(type); }

void register_material(int code, MatDriver driver) { registry().set_driver(code, driver, builtin_material_types()); }

const MaterialType* material_type(int code) { return registry().find(code); }

MatDriver material_driver(int code) {
  const MaterialType* t = material_type(code);
  return t != nullptr ? t->driver : nullptr;
}

bool is_section_type(int code) {
  const MaterialType* t = material_type(code);
  return t != nullptr && t->section;
}

int material_type_for(std::string_view item) {
  const MaterialType* t = registry().first_if([item](const MaterialType& m) {
    for (std::string_view key : m.keywords)
      if (!key.empty() && base::keyon(item, key, false)) return true;
    return false;
  });
  return t != nullptr ? t->code : 0;
}

std::span<const MaterialType> builtin_material_types() { return kBuiltinTypes; }

void register_builtin_materials() { registry().add_builtins(kBuiltinTypes); }

}  // namespace materials
