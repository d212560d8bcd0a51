// Material type 150 ("GAP"): a compression gap with a tension restrainer, the
// gap alone, or a linear spring, chosen by the set's OPTION.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// State words of one copy (NSTATE = 24).
namespace gap {
inline constexpr int kNState = 24;
inline constexpr int kK = 1;
inline constexpr int kRule = 2;
inline constexpr int kPyr = 3;  // PY': current restrainer yield force
inline constexpr int kDyt = 4;  // DYT: current restrainer yield deformation
inline constexpr int kDxr = 5;  // DX': current slack end
inline constexpr int kPeakForce = 23;
inline constexpr int kPeakDefo = 24;
}  // namespace gap

// MAT150. PROP(1..8): KC, KO (0.001), KT, KTIE, DC, DX, PPY, OPTION. State
// words (one copy, 24): 1 K, 2 RULE (1.0 open, 2.0 gap closed, 3.0 restrainer
// elastic, 4.0 restrainer yielding), 3 restrainer yield force PY', 4 its yield
// deformation DYT, 5 its slack end DX', 23 force at the largest positive
// deformation, 24 that deformation; the others stay 0.0.
void mat150(MatCall& c);

// HYST150: p comes in as the predicted force and goes out corrected; the
// tangent (s[1]) and state words 2-5 are updated. prop is the 1-based PROP view.
void hyst150(float& p, float d, float pl, float dl, float* s, const float* prop);

// Type 150 in the material registry.
inline constexpr MaterialType kGapType{.code = 150, .keywords = {"GAP"}, .driver = mat150};

}  // namespace materials
