// The material drivers of the moment-curvature section sets: MAT18
// ("MOMCURVA1", one section per segment) and MAT180 ("MOMCURVA2", a section at
// both ends of every segment). A set holds its backbone table and a whole
// segmented member behind its head.
#pragma once

#include "materials/matdsp.h"
#include "members/section_member_call.h"

namespace members::momcurv {

// Option 1 (and any option outside 0..5) reads, checks, echoes and lays out
// one set; option 0 returns NSTATE; options 2 and 3 run the member on the
// element's end vectors (an unusable set sets the error word); options 4 and
// 5 return zeros.
void mat18(materials::MatCall& c);
void mat180(materials::MatCall& c);

// True when the set at prop (1-based PROP view) was accepted at input and
// holds its member record: an element naming any other set is to be rejected.
bool mc_set_usable(const float* prop);

// Options 2 (set-up: a reset of the state half s (1-based, word 79 kept)
// and of the member record) and 3 (state determination) of a moment-curvature
// set: prop is its PROP view. The stiffness comes back in s[1..78], upper
// triangle row by row in element order, the rule words in s[79..98] (FLP in
// 98). Returns false (nothing done) for a set that cannot be used.
bool mc_member_call(int iopt, float* prop, float* s, const MemberEnds& e, int ielno, bool debug);

}  // namespace members::momcurv
