// "SHEAR1": stress-strain hysteresis model of a shear spring of unit length
// (material type 4). Built like BEND1: a multi-linear backbone used alike for
// both signs, an unloading curve hung on the first backbone stress, and
// reloading through a pinched branch.
#pragma once

#include "materials/matdsp.h"

namespace materials {

namespace shear {
// Property words: NS, NI, EY, DY, then NS stresses, NS strains, then BETA.
inline constexpr int kNs = 1, kNi = 2, kEy = 3, kDy = 4, kPoints = 5;

// State words (NSTATE = 3 NI + 34).
inline constexpr int kK = 1, kRule = 2, kDir = 3, kA = 4;
inline constexpr int kPmg = 5, kPmh = 6, kDmg = 7, kDmh = 8;
inline constexpr int kBackb = 9;
inline constexpr int kSr1 = 10, kSr2 = 11, kSr3 = 12, kSrm = 13;  // pinched-branch stiffnesses
inline constexpr int kIr = 14;
inline constexpr int kSe = 15;
inline constexpr int kUp = 16, kUn = 19, kEx = 22, kEse = 28, kPse = 31, kCse = 32;
inline constexpr int kMemory = 33;  // PR, DR, FR (NI words each), then the peak stress and strain
}  // namespace shear

// Driver of type 4 (all material options).
void mat04(MatCall& c);

// The rule: (p, d) the end point, (pl, dl) the start, vel the rate. s is the
// 1-based state copy, prop the 1-based property words of the set.
void hyst04(float p, float d, float pl, float dl, float vel, float* s, const float* prop, bool debug);

// Type 4 in the material registry.
inline constexpr MaterialType kShear1Type{.code = 4, .keywords = {"SHEAR1"}, .driver = mat04};

}  // namespace materials
