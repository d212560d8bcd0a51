// Element type 10 ("MR_END"): the reduced inelastic 3D beam-column. The member
// of type 9 without HINGE ends, shear data, limit codes and P-delta shears;
// a single yielded flag takes the place of the status string, and its MR2
// hinges take a member end stiffness of three times their elastic one.
#pragma once

#include "elements/eledsp.h"
#include "elements/inelastic/beam_column.h"

namespace elements {

// ELE10: the driver of type 10 for element options 1 to 14.
void ele10(EleCall& c);

namespace mr_end {

// Record words of type 10 beyond those of the family (beam_column.h).
enum Word : int {
  kA = 314,     // 12x12 REAL
  kBase = 458,  // MATSTA
};

inline constexpr int kRecordWords = 614;  // before the material state words
inline constexpr int kInputValues = 14;
inline constexpr beam_column::Layout kLayout{10, kA, kBase, true};

}  // namespace mr_end

// Type 10 in the element registry.
inline constexpr ElementType kMrEndType{
    .code = 10, .keyword = "MR_END", .nrinp = mr_end::kInputValues, .nwords = mr_end::kRecordWords,
    .driver = ele10, .lm = beam_column::kLm, .nhyst = beam_column::kNhyst, .base = mr_end::kBase,
    .lmkg = beam_column::kLmkg, .kg = beam_column::kNke, .kgdof = beam_column::kKgdof, .element_loads = true,
    .quiet_ductility = true};

}  // namespace elements
