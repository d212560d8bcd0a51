// The element options that the two types of the beam-column family (9
// "IE3DBEAM" and 10 "MR_END") run through one code: input and set-up, the
// stiffness, the state determination, commit, element loads, energies and
// reset, history records, ductility and maxima reports, with the
// differences of the reduced member read from its layout.
#pragma once

#include <string_view>

#include "elements/eledsp.h"
#include "elements/inelastic/beam_column.h"

namespace elements::beam_column {

// Runs element option c.iopt of the member m; an unknown option is reported
// with the driver's line.
void run_option(EleCall& c, const Member& m, std::string_view invalid_option);

}  // namespace elements::beam_column
