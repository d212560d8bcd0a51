// The material drivers of the reinforced-concrete section sets: MAT17
// ("R/CONCRETE1", one section per segment) and MAT170 ("R/CONCRETE2",
// sections at both ends of every segment). A set holds a whole segmented
// member: the head RCSREC (words 1-46) and the member record behind it.
#pragma once

#include "materials/matdsp.h"

namespace members::rc {

// State words of one copy, at every option.
inline constexpr int kRcStateWords = 99;

// Option 1 (and any option outside 0..5) reads, checks, echoes and lays out
// one set; option 0 returns NSTATE. The member's set-up and state
// determination (options 2 to 5) are not built yet and do nothing.
void mat17(materials::MatCall& c);
void mat170(materials::MatCall& c);

// Enters types 17 and 170 in the material dispatcher's table.
void register_rc_sections();

}  // namespace members::rc
