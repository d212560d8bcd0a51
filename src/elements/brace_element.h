// Element type 8 ("BRACE"): an axial strut between two nodes, normally under
// the brace material, which buckles in compression and has an allowable
// elongation in tension. A member of the one-DOF spring family: it hands its
// length and effective-length factor to the material through the material
// state, and its material works in force and elongation. The first excess of
// any brace's allowable elongation is limit-state point 3.
#pragma once

#include "elements/eledsp.h"
#include "elements/spring_family.h"

namespace elements {

// ELE08: the driver of type 8 for element options 1 to 14.
void ele08(EleCall& c);

// Type 8 in the element registry.
inline constexpr ElementType kBraceType{
    .code = 8, .keyword = "BRACE", .nrinp = 10, .nwords = spring_family::kRecordWords, .driver = ele08,
    .lm = spring_family::kWLm, .nhyst = spring_family::kWNhyst, .base = spring_family::kWState,
    .no_geometric = true};

}  // namespace elements
