// HYST18, the member rule of "MOMCURVA1": the segmented member procedure with
// one moment-curvature section per segment and the member's curvature limits
// (nominal curvature, code 3; maximum plastic curvature, code 10); and
// HYST18B, that of "MOMCURVA2", with a section at both ends of every segment
// (the record's type says which).
#pragma once

#include <array>

#include "members/member_rule.h"
#include "members/momcurv/mc_section.h"

namespace members::momcurv {

// The member record's arrays as the member procedure sees them.
MemberArrays mc_member_arrays(const McMemberRecord& rec);
// The set's member words the procedure reads (1-based PROP view); with IECOP
// 1 the loading points are the set's ECCX0, ECCY0.
MemberWords mc_member_words(const float* prop);

// One call of the rule on the record of set prop: option 3 runs the state
// determination for the end increments waiting in DU(1..12) (member order)
// and returns the end forces in p; any other option sets the member up on a
// cleared record. flp: state word 98.
void hyst18(int iopt, const float* prop, const McMemberRecord& rec, MemberState& s, int ielno, bool trace,
            float* flp, std::array<float, 12>& p);

}  // namespace members::momcurv
