// IA_BILN (material type 10) in the beam-column: bending ends whose pair
// follows their yield flags, torsion and axial force, the interaction
// families 1, 5 and 9, rotation capacities and member shear.
#pragma once

#include "elements/inelastic/hinge_model.h"

namespace elements::beam_column {

// The pair of rigidity ei, post-yield ratio sp and length l by the yield
// flags of its ends (0.0 elastic, 1.0 yielded); false for flags of other
// values (the terms are then not changed).
bool ia_biln_pair(float ei, float sp, float l, float flag_a, float flag_b, PairTerms& t);

extern const HingeModel kIaBilnHinge;

}  // namespace elements::beam_column
