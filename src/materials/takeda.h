// Material type 6 ("TAKEDA"): degrading trilinear hysteresis of a member of
// unit length, with unloading stiffness that shrinks with the largest
// deformation reached and reloading aimed at the largest points and at the
// turning points of earlier inner loops.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// MAT06. PROP (13): 1 EI, 2 PC, 3 DC, 4 PY, 5 DY, 6 PU, 7 DU, 8 OC, 9 CY,
// 10 YU, 11 CPY, 12 EY, 13 BETA. State (one copy, 49 words): see takeda.cpp.
void mat06(MatCall& c);

// HYST06: classifies the point (p, d) reached from (pl, dl) into one of the 16
// rules and stores the branch (tangent, limits, next rule) in the state copy
// s (1-based view). prop is the 1-based view of the set's property words.
void hyst06(float p, float d, float pl, float dl, float v, float vl, float* s,
            const float* prop, bool debug);

// Type 6 in the material registry.
inline constexpr MaterialType kTakedaType{.code = 6, .keywords = {"TAKEDA"}, .driver = mat06};

}  // namespace materials
