// Material type 9 ("LONG_OWJG"): a moment-rotation loop of fixed shape. A
// reference loop, built into the model as constants, is scaled so that its
// first yield point falls on the set's (HA, VA).
#pragma once

#include "materials/matdsp.h"

namespace materials {

// MAT09. PROP (4): 1 HA, 2 VA, 3 MAX DUC, 4 BETA. State (one copy, 66 words):
// see long_owjg.cpp.
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
