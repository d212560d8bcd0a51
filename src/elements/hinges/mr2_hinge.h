// SHORT_OWJG/MR2 (material type 11) in the beam-column: bending ends whose
// hinge flexibilities soften a member of end stiffness 6EI/L; the reduced
// member takes three times the hinge's elastic stiffness as its end
// stiffness. The full member says every step a rotation capacity is exceeded.
#pragma once

#include "elements/inelastic/hinge_model.h"

namespace elements::beam_column {

extern const HingeModel kMr2Hinge;

}  // namespace elements::beam_column
