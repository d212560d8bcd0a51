// HYST17, the member rule of "R/CONCRETE1": the segmented member procedure
// with one reinforced-concrete fibre section per segment, the member's derived
// capacities (lap-splice stress, low-cycle-fatigue curvature, rebar buckling
// strain) and its limit-state checks.
#pragma once

#include <array>
#include <cstdint>

#include "members/member_rule.h"
#include "members/rc/rc_member_record.h"

namespace members::rc {

// The member record's arrays as the member procedure sees them.
MemberArrays rc_member_arrays(const RcMemberRecord& rec);
// The arrays that the section-material records (R/C and moment-curvature)
// lay in the same order (RcArray 1 to 51): start[k] is the PROP index of
// array k in the set's 1-based PROP view prop. Curvature totals, limit flags
// and mesh are left unbound.
MemberArrays record_member_arrays(float* prop, const std::int64_t* start, int nseg);


// The lap-splice stress threshold FSLAP of a head (0.0 without a splice
// length or for a steel shell) and the low-cycle-fatigue plastic curvature
// capacity (0.0 without a structural period or confinement).
float lap_splice_stress(const float* prop);
float low_cycle_curvature(const float* prop);

// One call of the rule. prop: the set's PROP view (its record words ECU,
// ESU, ECR may change); flp, flp2: state words 98 and 99; the end increments
// wait in DU(1..12) in member order. Option 3 runs the state determination
// and returns the end forces in p; any other option sets the member up on a
// cleared record.
struct RcCall {
  int ielno = 0;
  bool trace = false;
  float* flp = nullptr;
  float* flp2 = nullptr;
};
void hyst17(int iopt, float* prop, const RcMemberRecord& rec, MemberState& s, const RcCall& c,
            std::array<float, 12>& p);

}  // namespace members::rc
