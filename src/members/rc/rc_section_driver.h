// The material drivers of the reinforced-concrete section sets: MAT17
// ("R/CONCRETE1", one section per segment) and MAT170 ("R/CONCRETE2",
// sections at both ends of every segment). A set holds a whole segmented
// member: the head RCSREC (words 1-46) and the member record behind it.
#pragma once

#include "materials/matdsp.h"
#include "members/rc/rc_member_record.h"
#include "members/section_member_call.h"

namespace members::rc {

// Option 1 (and any option outside 0..5) reads, checks, echoes and lays out
// one set; option 0 returns NSTATE; options 4 and 5 return zeros. The member
// set-up (2) and state determination (3) of "R/CONCRETE1" run through
// rc_member_call on the element's end vectors (an unusable set sets the
// error word), those of "R/CONCRETE2" likewise with sections at both ends of
// every segment.
void mat17(materials::MatCall& c);
void mat170(materials::MatCall& c);

// The 12 end values of a member call in element order.
using RcEnds = MemberEnds;

// Options 2 (set-up: for "R/CONCRETE1" the shear report first, then a reset
// of the state half s (1-based, word 79 kept) and of the member record) and
// 3 (state determination) of a set of the given type (17 or 170): prop is
// its PROP view. The
// stiffness comes back in s[1..78], upper triangle row by row in element
// order, the rule words in s[79..99]. Returns false (nothing done) for a set
// that cannot be used.
bool rc_member_call(int iopt, float* prop, float* s, const RcEnds& e, int ielno, int set, bool debug,
                    int type = kSingleSectionType);

}  // namespace members::rc
