// Material type 10 ("IA_BILN"): the bilinear moment-rotation law of an end
// spring of the inelastic beam-columns, with the axial-load interaction cubics
// (nominal moment and plastic rotation capacity) and the member shear-capacity
// parameters that the element reads from the spring's state.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// State words of one copy (NSTATE = 72).
namespace ia_biln {
inline constexpr int kNState = 72;
inline constexpr int kEI = 1;  // elastic rigidity E*TI
inline constexpr int kPYP = 2;  // upper force limit
inline constexpr int kPYN = 3;  // lower force limit
inline constexpr int kYield = 4;  // 0.0 elastic, 1.0 yielding or failed
inline constexpr int kElas = 5;
inline constexpr int kSP = 6;
inline constexpr int kMaxDuc = 7;
inline constexpr int kBeta = 8;
inline constexpr int kRedu = 9;
inline constexpr int kDuct = 10;  // current ductility ratio
inline constexpr int kTI = 11;
inline constexpr int kMP = 12;
inline constexpr int kDY = 13;  // yield deformation, fixed at first yield
inline constexpr int kDMax = 14;  // largest |D| since first yield
inline constexpr int kYieldFlag = 15;  // first yield recorded
inline constexpr int kA0 = 16;
inline constexpr int kPrmax = 20;
inline constexpr int kLength = 21;  // clear length of the member, written by the element
inline constexpr int kB0 = 23;
inline constexpr int kM = 27;
inline constexpr int kY = 28;
inline constexpr int kCode = 48;
inline constexpr int kShearFlag = 68;
inline constexpr int kVci = 69;
}  // namespace ia_biln

// MAT10. PROP (59, or 64 with shear parameters): 1 ELAS, 2 SP, 3 E, 4 TI, 5 MP,
// 6 MAX DUC, 7 BETA, 8 REDU F, 9 1.0 when the shear words 60-64 belong to the
// set (else 0.0), 10-13 A0-A3, 14 PRMAX, 15-18 B0-B3, 19 M, 20-39 Y(1..20),
// 40-59 failure codes, 60 shear flag, 61-64 VCI, VCF, VS, ALFA (radians).
// State (72 words per copy): ia_biln:: above; the element writes word 21 (the
// member's clear length) and reads words 2-6, 9, 12, 13, 16-20 and 68-72.
void mat10(MatCall& c);

// Type 10 in the material registry.
// (Option 4 writes the ductility word, which option 3 writes last from the
// same words, or leaves as committed when those words are unchanged.)
inline constexpr MaterialType kIaBilnType{
    .code = 10, .keywords = {"IA_BILN"}, .driver = mat10, .results_after_state_change_nothing = true};

}  // namespace materials
