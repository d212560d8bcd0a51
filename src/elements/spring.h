// Element type 2 ("SPRING"): a one-DOF spring between two nodes acting in one
// local component (KTYPE 1 axial, 2 shear y, 3 shear z, 4 torsion, 5 bending
// about y, 6 bending about z) under any material set. The material sees the
// deformation divided by the spring's length, so the element stiffness is the
// material tangent over the length.
#pragma once

#include "elements/eledsp.h"
#include "elements/spring_family.h"

namespace elements {

// ELE02: the driver of type 2 for element options 1 to 14.
void ele02(EleCall& c);

// Type 2 in the element registry.
inline constexpr ElementType kSpringType{
    .code = 2, .keyword = "SPRING", .nrinp = 10, .nwords = spring_family::kRecordWords, .driver = ele02,
    .lm = spring_family::kWLm, .nhyst = spring_family::kWNhyst, .base = spring_family::kWState,
    .no_geometric = true};

}  // namespace elements
