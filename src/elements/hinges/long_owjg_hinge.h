// LONG_OWJG (material type 9) in the beam-column: bending ends whose hinge
// flexibilities are measured from their own elastic hinge stiffnesses.
#pragma once

#include "elements/inelastic/hinge_model.h"

namespace elements::beam_column {

extern const HingeModel kLongOwjgHinge;

}  // namespace elements::beam_column
