// HYST12B, the member rule of "STABILITY2": the segmented member procedure
// with the steel section evaluated at both nodal ends of every segment.
#pragma once

#include <array>

#include "members/steel/steel_member_rule.h"
#include "members/steel/nodal_end_record.h"

namespace members {

// The procedure's arrays of a "STABILITY2" record.
MemberArrays nodal_end_member_arrays(const StbEndMem& rec);

// Option 3 runs the state determination, any other option the set-up (mesh,
// both ends' fibre states, then the procedure's set-up). The limit word
// (*c.state) is cleared at entry; only the box local-buckling check writes it.
void hyst12b(int iopt, const SteelMemberSet& set, MemberState& s, const StbEndMem& rec,
             const MemberCall& c, std::array<float, 12>& p);

}  // namespace members
