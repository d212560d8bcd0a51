// "AXLMOD": axial hysteresis model of a member of unit length (material type 2).
// Elastic compression on KC, tension on KT1 up to PY and KT2 beyond, unloading
// on a stiffness that degrades with the largest tension deformation, pinched
// reloading back through compression. Positive force and deformation are tension.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// Property words of one set (NPROP = 11).
namespace axl {
inline constexpr int kNProp = 11;
inline constexpr int kKc = 1, kKt1 = 2, kKt2 = 3, kPy = 4, kAlpha = 5, kBeta = 6;
inline constexpr int kDyt = 7, kDyc = 8, kEy = 9, kDu = 10, kBetaDi = 11;

// State words of one spring (NSTATE = 33).
inline constexpr int kNState = 33;
inline constexpr int kS = 1;        // tangent of the current branch
inline constexpr int kHrln = 2;     // rule number plus the transition that chose the branch
inline constexpr int kFmax = 3, kDmax = 4, kFx = 5, kDx = 6, kFp = 7, kDp = 8;
inline constexpr int kKr = 9, kKs = 10, kKt = 11;
inline constexpr int kNrl = 12;     // current rule, 0.0 virgin
inline constexpr int kA = 13;       // branch limit (the sub-stepper's limit word)
inline constexpr int kSeq = 14;     // stiffness for the elastic strain energy
inline constexpr int kUp = 15, kUn = 18, kEx = 21, kEse = 27, kPse = 30, kCse = 31;
inline constexpr int kPeakD = 32, kPeakP = 33;
}  // namespace axl

// Driver of type 2 (all material options).
void mat02(MatCall& c);

// The rule: (p, d) the end point, (pl, dl) the start, v and vl the rates.
// s is the 1-based state copy, prop the 1-based property words. Returns the
// branch in s (tangent, rule, limit) and the loading-direction code in idr.
void hyst02(float p, float d, float pl, float dl, float v, float vl, float* s, const float* prop,
            bool debug, int& idr);

// Type 2 in the material registry.
inline constexpr MaterialType kAxlmodType{.code = 2, .keywords = {"AXLMOD"}, .driver = mat02};

}  // namespace materials
