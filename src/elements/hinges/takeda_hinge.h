// TAKEDA (material type 6) in the beam-column: bending ends of rigidities
// per unit length whose hinge flexibilities soften an elastic member.
#pragma once

#include "elements/inelastic/hinge_model.h"

namespace elements::beam_column {

extern const HingeModel kTakedaHinge;

}  // namespace elements::beam_column
