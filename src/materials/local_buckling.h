// Material type 13 ("LOCBKL"): the axial force-elongation law of a box-section
// tube whose compressive strength falls away after local buckling. It runs on
// the brace envelope with its own buckling loads, points B, C, D and growth.
#pragma once

#include "materials/brace.h"
#include "materials/matdsp.h"

namespace materials {

// MAT13. PROP(1..8): E, A, R, YS, PY, CC, MAX DUC, BETA. State words (one
// copy, 39): those of the brace model up to word 39; there are no event words.
void mat13(MatCall& c);

// HYST13: one state determination, as hyst08 but printing no buckling line.
void hyst13(float& p, float pl, float d, float dl, float* s, const EnvelopeProps& pr, bool debug);

// Type 13 in the material registry.
inline constexpr MaterialType kLocbklType{.code = 13, .keywords = {"LOCBKL"}, .driver = mat13};

}  // namespace materials
