// The limit states of a reinforced-concrete member that the member rule
// reports: the nominal moment (after a concrete strain of 0.004 or a bar
// strain of 0.015), ultimate concrete strain, rebar buckling, ultimate bar
// strain, the maximum plastic curvature, lap-splice failure and low-cycle
// fatigue. The fibre laws and the section raise the strain-based once-flags
// (1.0); a check reports a raised flag and closes it (2.0). Damage states
// also leave a record on side file 48.
#pragma once

#include "members/rc/compression_depth.h"
#include "members/rc/end_curvatures.h"

namespace members::rc {

// The member's limit words and the capacities the checks compare with.
struct RcLimitWords {
  float* flp = nullptr;     // limit code (state word 98)
  float* flp2 = nullptr;    // second limit word (state word 99)
  float* lsonce = nullptr;  // 20 once-flags, lsonce[0] is flag 1
  float* curnm = nullptr;   // curvature at the nominal moment (record word)
  float* cury = nullptr;    // curvature when the splice's concrete strain was first seen
  float fslap = 0.0f;
  float plslowcycle = 0.0f;
  float ecr = 0.0f;
  float pcmax = 0.0f;
  float period = 0.0f;
  float ke = 0.0f;
};

// Checks L1 to L7 for segment iseg of element ielno with its new total
// curvatures and compression depths. A check looks at its detector's own
// once-flag, so a state raised while a later detector overwrote the limit
// code is still reported in this pass.
void rc_limit_checks(const RcLimitWords& w, int ielno, int iseg, float curun, float curvn,
                     const CompressionDepths& depth);

// The fewer checks of a member with sections at both segment ends, on the
// segment's four new total end curvatures: nominal moment, rebar buckling,
// maximum plastic curvature, lap splice and low-cycle fatigue (no ultimate
// strain reports, no depths, no side-file record). The plastic curvature is
// the largest end curvature less the nominal one, whatever its sign.
void rc_end_limit_checks(const RcLimitWords& w, int ielno, int iseg, const EndCurvatures& n);

}  // namespace members::rc
