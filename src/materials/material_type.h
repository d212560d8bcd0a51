// The descriptor of a material type and the registry that the structure
// input and MATDSP look types up in.
//
// Adding a material (or section) type: its own files hold its driver and an
// `inline constexpr MaterialType` in its header; one entry in the list
// kBuiltinTypes of src/materials/registry.cpp enters it (the
// section types of the member library register theirs in that library's
// registration call from main). No other file lists a type's facts.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace materials {

struct MatCall;
using MatDriver = void (*)(MatCall&);

inline constexpr int kMaxMaterialType = 255;

struct MaterialType {
  int code = 0;                                  // the set's type word
  std::array<std::string_view, 2> keywords{};    // the set record's keywords (a second one optional)
  MatDriver driver = nullptr;                    // nullptr: the keyword is known, the type is not built
  bool section = false;                          // a section set: keeps its record length as a REAL in PROP(29)
  // Option 4 on a state that option 3 has just determined writes no word that
  // option 3 did not leave as it would write it, and notes and prints
  // nothing: a pass that only asks it can be left out.
  bool results_after_state_change_nothing = false;
};

// Enters a type. A type registered again replaces its facts and keeps its
// place in the keyword order; a code outside 0..kMaxMaterialType is not entered.
void register_material(const MaterialType& type);
// Puts a driver (or nullptr) on a type, keeping the type's other facts (those
// of the built-in list when it is not registered yet).
void register_material(int code, MatDriver driver);
// The registered type of a code; nullptr when there is none.
const MaterialType* material_type(int code);
MatDriver material_driver(int code);  // nullptr when the type has no driver
// The type of the first keyword, in registration order, that the item holds
// (KEYON); 0 when it holds none.
int material_type_for(std::string_view item);
// True for the section materials that keep their record length in PROP(29).
bool is_section_type(int code);

// The library's types and the placeholders of the types not built yet, in
// the order the structure input tries their keywords.
std::span<const MaterialType> builtin_material_types();
void register_builtin_materials();

}  // namespace materials
