// What every solution report shares: the page header and the test for
// joint frames that are all the global frame.
#pragma once

#include "base/node_tables.h"

namespace solutions {

// The header a solution report page starts with: "1 STRUCTURE....: " TITLE1,
// "  SOLUTION.....: " TITLE2 and two empty lines.
void solution_page_header();

// True when the model has one cosine set whose axes are the global axes, so
// joint-frame tables would repeat the global ones.
bool trivial_joint_frames(const base::NodeTables& t, int ncos);

}  // namespace solutions
