// Material type 9 ("LONG_OWJG"): a moment-rotation loop of fixed shape. A
// reference loop, built into the model as constants, is scaled so that its
// first yield point falls on the set's (HA, VA).
#pragma once

#include "materials/matdsp.h"

namespace materials {

// State words of one copy (NSTATE = 66).
namespace long_owjg {
inline constexpr int kNState = 66;
inline constexpr int kK = 1;  // tangent stiffness
inline constexpr int kDP = 2;  // P - PL of the step
inline constexpr int kDD = 3;  // D - DL of the step
inline constexpr int kSIDE = 4;  // 0.0 positive side, 1.0 negative side
inline constexpr int kRULE = 5;
inline constexpr int kPUP = 6, kDUP = 7;  // where the spring last unloaded from the positive side
inline constexpr int kPUN = 8, kDUN = 9;  // the same, negative side
inline constexpr int kP1A = 10, kD1A = 11, kP1B = 12, kD1B = 13;  // ends of the rule-7 loop
inline constexpr int kP2A = 14, kD2A = 15, kP2B = 16, kD2B = 17;  // ends of the rule-9 loop
inline constexpr int kHB = 18, kVB = 19;  // second point, positive envelope
inline constexpr int kDT1 = 20, kPT1 = 21, kDT2 = 22, kPT2 = 23;  // targets of rule 4
inline constexpr int kHAP = 24, kVAP = 25, kHBP = 26, kVBP = 27;  // first and second points, negative envelope
inline constexpr int kDT5 = 28, kPT5 = 29, kDT6 = 30, kPT6 = 31;  // targets of rule 9
inline constexpr int kPS1 = 32, kDS1 = 33, kPS2 = 34, kDS2 = 35;  // ends of the rule-10 segment
inline constexpr int kDT3 = 36, kPT3 = 37, kDT4 = 38, kPT4 = 39;  // targets of rule 7
inline constexpr int kDUCT1 = 41;  // largest |D| over HA
inline constexpr int kEX1 = 44;  // EX1-EX6 in 44-49, always 0.0
inline constexpr int kESEWord = 51, kPSEWord = 54;  // always 0.0
inline constexpr int kHACopy = 50;
inline constexpr int kRMAX = 60;
inline constexpr int kInitialK = 61;
inline constexpr int kSR = 62, kSM = 63, kSMR = 64;
inline constexpr int kHA = 65, kVA = 66;  // first point, positive envelope
}  // namespace long_owjg

// MAT09. PROP (4): 1 HA, 2 VA, 3 MAX DUC, 4 BETA. State (one copy, 66 words):
// long_owjg:: above.
void mat09(MatCall& c);

// HYST09: set-up (iopt 2), the elastic range, the envelope branches and the
// first unloadings; the rest goes to H09RUL. p comes in as the trial moment
// and leaves as the moment; s is the 1-based view of the state copy, whose
// words 2 and 3 (P - PL, D - DL of the step) the caller has set.
void hyst09(int iopt, float& p, float d, float pl, float dl, float* s, float maxduc, bool debug);

// Target points of a reloading path between (d1, p1) and (d2, p2), in model
// units; sr and sm are the rotation and moment scales of the set.
struct Targets {
  float dt1, pt1, dt2, pt2;
};
// H09PT1: reloading between the two unloading points.
Targets h09pt1(float d1, float p1, float d2, float p2, float sr, float sm);
// H09PT2: the inner loops.
Targets h09pt2(float d1, float p1, float d2, float p2, float sr, float sm);

// Type 9 in the material registry.
inline constexpr MaterialType kLongOwjgType{.code = 9, .keywords = {"LONG_OWJG"}, .driver = mat09};

}  // namespace materials
