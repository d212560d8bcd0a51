// LOCBKL (material type 13) in the beam-column: the axial force of the member
// carried by a box-section tube that may buckle locally.
#pragma once

#include "elements/inelastic/hinge_model.h"

namespace elements::beam_column {

extern const HingeModel kTubeAxial;

}  // namespace elements::beam_column
