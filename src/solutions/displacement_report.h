// PRTDSP: tables of joint vectors (displacements, mode shapes, velocities...),
// one line per node, in the global frame and, unless the joint frames are all
// global, in the joint frames.
#pragma once

#include <string_view>

#include "solutions/reactions.h"

namespace solutions {

enum DisplacementReportOption : int {
  kPerColumn = 1,  // one table per column, headed with the column number and the label
  kEnvelope = 2,   // one envelope column, with the "MAXIMUM VALUES" note
};

// PRTDSP. d points at D(1, 1), ncol columns of neq rows indexed by equation.
// Equations above l2 are restrained (marked "*" in the joint-frame table).
// title follows "GCS " and "JCS "; label follows the column number. page: a
// page header before each column's global table.
void prtdsp(int iopt, const ReportModel& m, int neq, int ncol, int l2, const float* d, std::string_view title,
            std::string_view label, bool page);

}  // namespace solutions
