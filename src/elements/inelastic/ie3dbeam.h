// Element type 9 ("IE3DBEAM"): the inelastic 3D beam-column. An elastic member
// between rigid end zones whose bending ends (MY-A, MY-B, MZ-A, MZ-B), torsion
// and axial force are each carried by a material set run through MATDSP; it
// reports the first yield of its components, rotation capacities exceeded
// with their failure modes, and limit-state points 2 and 3.
#pragma once

#include "elements/eledsp.h"
#include "elements/inelastic/beam_column.h"

namespace elements {

// ELE09: the driver of type 9 for element options 1 to 14.
void ele09(EleCall& c);

namespace ie3dbeam {

// Record words of type 9 beyond those of the family (beam_column.h).
enum Word : int {
  kJsData = 314,  // 14 REAL: input values 15-28 (shear data of ends A and B)
  kFlp = 328,     // last limit code reported
  kFlpFlg = 329,  // 20 REAL: 1.0 once limit code k has been reported
  kA = 349,       // 12x12 REAL
  kBase = 493,    // MATSTA
};

inline constexpr int kRecordWords = 649;  // before the material state words
inline constexpr int kInputValues = 28;

}  // namespace ie3dbeam

// Type 9 in the element registry.
inline constexpr ElementType kIE3DBeamType{
    .code = 9, .keyword = "IE3DBEAM", .nrinp = ie3dbeam::kInputValues, .nwords = ie3dbeam::kRecordWords,
    .driver = ele09, .lm = beam_column::kLm, .nhyst = beam_column::kNhyst, .base = ie3dbeam::kBase,
    .lmkg = beam_column::kLmkg, .kg = beam_column::kNke, .kgdof = beam_column::kKgdof, .element_loads = true,
    .quiet_ductility = true};

}  // namespace elements
