// Material type 10 ("IA_BILN"): the bilinear moment-rotation law of an end
// spring of the inelastic beam-columns, with the axial-load interaction cubics
// (nominal moment and plastic rotation capacity) and the member shear-capacity
// parameters that the element reads from the spring's state.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// MAT10. PROP (59, or 64 with shear parameters): 1 ELAS, 2 SP, 3 E, 4 TI, 5 MP,
// 6 MAX DUC, 7 BETA, 8 REDU F, 9 1.0 when the shear words 60-64 belong to the
// set (else 0.0), 10-13 A0-A3, 14 PRMAX, 15-18 B0-B3, 19 M, 20-39 Y(1..20),
// 40-59 failure codes, 60 shear flag, 61-64 VCI, VCF, VS, ALFA (radians).
// State (72 words per copy): see ia_biln.cpp; the element writes word 21 (the
// member's clear length) and reads words 2-6, 9, 12, 13, 16-20 and 68-72.
void mat10(MatCall& c);

// Type 10 in the material registry.
inline constexpr MaterialType kIaBilnType{.code = 10, .keywords = {"IA_BILN"}, .driver = mat10};

}  // namespace materials
