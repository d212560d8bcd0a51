// HINGE (material type 19) in the beam-column: bending ends of the full
// member as springs in series with the elastic member, their first yield and
// largest rotation, a rotation capacity with its failure table, curves of the
// axial load for the yield moment and the capacity, and member shear.
#pragma once

#include "elements/inelastic/hinge_model.h"

namespace elements::beam_column {

// The series spring of an end from its tangent and elastic hinge stiffness:
// 1.0E-20 for a zero tangent, 1.0E+20 while the tangent is the elastic one.
// The caller gets back whether the end is softer than elastic.
float hinge_spring(float tangent, float elastic, bool& inelastic);

// The pair of member rigidity ei and the two end springs in series.
PairTerms hinge_pair(float ei, float l, float ka, float kb);

extern const HingeModel kHingeEnd;

}  // namespace elements::beam_column
