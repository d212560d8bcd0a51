// The descriptor of an element type and the registry that the structure input
// and ELEDSP look types up in.
//
// Adding an element type: its own files hold its driver, its record words and
// an `inline constexpr ElementType` in its header; one entry in the list
// kBuiltinTypes of src/elements/registry.cpp (with its header's include)
// enters it, replacing the type's placeholder (a type of a library above the
// elements calls register_element in that library's registration call from
// main). No other file lists a type's facts.
#pragma once

#include <span>
#include <string_view>

namespace elements {

struct EleCall;
using EleDriver = void (*)(EleCall&);

inline constexpr int kMaxElementType = 20;
inline constexpr int kMaxRinput = 28;  // most REAL input values of an element record

struct ElementType {
  int code = 0;                // record word 0
  std::string_view keyword;    // the element record's keyword
  int nrinp = 0;               // REAL input values of a record (at most kMaxRinput)
  int nwords = 0;              // record words before the material state words
  EleDriver driver = nullptr;  // nullptr: the keyword is known, the type is not built
  // Record words the dispatcher points the CONTRL words at (counted from word
  // 0; 0 where the type has none).
  int lm = 0;         // location vector: IZLM
  int nhyst = 0;      // the word holding NHYST
  int base = 0;       // first material state word: IZKE = base + NHYST
  int lmkg = 0;       // location vector of the geometric stiffness: IZLMKG
  int kg = 0;         // the word holding the offset of KG from IZKE: IZKG
  int kg_adjust = 0;  // added to that offset (a type that stores it one-based: -1)
  int kgdof = 0;      // the word holding KGDOF
  // How the dispatcher treats the type.
  bool lm_before = true;         // IZLM (and IZLMKG) point into the record before the driver runs
  bool lm_after = false;         // IZLM is set again after the driver ran
  bool element_loads = false;    // the type takes element loads: NELOAD is at least 1
  bool no_geometric = false;     // never a geometric stiffness to assemble
  bool stiffness_from_check = false;  // the stiffness of the check stands: option 3 is not passed on
  bool profile_all_terms = false;     // the stiffness profile keeps every term of the element matrix
  // Option 11 without its report changes nothing but the call's result words
  // and what its materials' option 4 changes.
  bool quiet_ductility = false;
};

// Enters a type. A type registered again replaces its facts and keeps its
// place in the keyword order.
// A code outside 0..kMaxElementType or more than kMaxRinput input values is
// not entered.
void register_element(const ElementType& type);
// Puts a stand-in driver (or nullptr) on a type, keeping the type's other
// facts (those of the built-in list when it is not registered yet).
void register_element(int code, EleDriver driver);
// The registered type of a code; nullptr when there is none.
const ElementType* element_type(int code);
EleDriver element_driver(int code);
// The first registered type, in registration order, whose keyword the item
// holds (KEYON); nullptr when none does.
const ElementType* element_type_for(std::string_view item);

// The element library's own types and the placeholders of the types not built
// yet, in the order the structure input tries their keywords.
std::span<const ElementType> builtin_element_types();
void register_builtin_elements();

}  // namespace elements
