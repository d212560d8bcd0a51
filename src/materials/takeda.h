// Material type 6 ("TAKEDA"): degrading trilinear hysteresis of a member of
// unit length, with unloading stiffness that shrinks with the largest
// deformation reached and reloading aimed at the largest points and at the
// turning points of earlier inner loops.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// State words of one copy (NSTATE = 49).
namespace takeda {
inline constexpr int kNState = 49;
inline constexpr int kS = 1;  // tangent of the current branch
inline constexpr int kHRLN = 2;  // label of the last classification (traces only)
inline constexpr int kA = 3;  // force limit of the branch in the direction of loading
inline constexpr int kB = 4;  // the other limit
inline constexpr int kIDRO = 5;  // loading direction of the last classification
inline constexpr int kRF = 6;  // always 0.0
inline constexpr int kRNRL = 7;  // rule for the next classification; 0.0 virgin
inline constexpr int kUM1 = 8;  // most negative deformation reached
inline constexpr int kUM2 = 9;  // most negative force reached
inline constexpr int kUM3 = 10;  // largest deformation reached
inline constexpr int kUM4 = 11;  // largest force reached
inline constexpr int kS1 = 12;  // unloading stiffness
inline constexpr int kX0 = 13;  // deformation where the current reloading left zero force
inline constexpr int kX0UM = 14;  // slope toward the largest point
inline constexpr int kX0Y = 15;  // slope from (X0, 0) toward the yield point
inline constexpr int kU0D = 16, kU0 = 17;  // inner turning point U0
inline constexpr int kX1UM = 18;  // slope toward the largest point from an inner crossing
inline constexpr int kU1 = 19, kU1D = 20;  // inner turning point U1
inline constexpr int kX2U0 = 21;  // slope toward U0
inline constexpr int kU2 = 22;  // force of inner turning point U2
inline constexpr int kX3U1 = 23;  // slope toward U1
inline constexpr int kU3 = 24;  // force of inner turning point U3
inline constexpr int kQY = 25;  // slope from the cracking level toward yield
inline constexpr int kMAXF = 26;  // always 0.0
inline constexpr int kACHNG = 27;  // branch limit the walk uses
inline constexpr int kSE = 28;  // stiffness dividing the elastic energy
inline constexpr int kESE = 29;  // 29-31 ESE(1..3)
inline constexpr int kPSE = 32;
inline constexpr int kCSE = 33;
inline constexpr int kUP = 34;  // 34-36 UP1-UP3
inline constexpr int kUN = 37;  // 37-39 UN1-UN3
inline constexpr int kEX = 40;  // 40-45 EX1-EX6
inline constexpr int kPMAX = 46;  // force at the largest |D| reached
inline constexpr int kDMAX = 47;  // deformation at the largest |D| reached
inline constexpr int kOCCopy = 48;
inline constexpr int kEICopy = 49;
}  // namespace takeda

// MAT06. PROP (13): 1 EI, 2 PC, 3 DC, 4 PY, 5 DY, 6 PU, 7 DU, 8 OC, 9 CY,
// 10 YU, 11 CPY, 12 EY, 13 BETA. State (one copy, 49 words): takeda:: above.
void mat06(MatCall& c);

// HYST06: classifies the point (p, d) reached from (pl, dl) into one of the 16
// rules and stores the branch (tangent, limits, next rule) in the state copy
// s (1-based view). prop is the 1-based view of the set's property words.
void hyst06(float p, float d, float pl, float dl, float v, float vl, float* s,
            const float* prop, bool debug);

// Type 6 in the material registry.
inline constexpr MaterialType kTakedaType{.code = 6, .keywords = {"TAKEDA"}, .driver = mat06};

}  // namespace materials
