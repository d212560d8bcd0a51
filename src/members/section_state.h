// The one varying part of the segmented member: the section state that a
// segment hands its deformation to. The steel fibre sections, the
// reinforced-concrete sections and the moment-curvature sections implement
// it; the member rule sees nothing else of them.
//
// A section keeps its whole state in the member record (fibre strains,
// stresses, law states, principal angle, once-flags) and in the member's limit
// code word; an evaluation advances it in place.
#pragma once

#include "members/member_views.h"

namespace members {

// One evaluation: which section, its deformation increments, and the axial
// force it is to match.
struct SectionCall {
  int iseg = 1;             // segment, 1..NSEG
  int end = 0;              // 0 the segment average; 1, 2 the nodal end A, B
  float dec = 0.0f;         // axial strain increment; comes back corrected by the axial passes
  float dcu = 0.0f;         // curvature increment about the principal U axis
  float dcv = 0.0f;         // curvature increment about the principal V axis
  float target_axial = 0.0f;// the segment's axial force from the member solution, in
                            // the sense of end B (FLOC(iseg, 9); nodal end 1 is
                            // handed -FLOC(iseg, 3))
  bool setup = false;       // the member rule's set-up evaluation (zero increments)
  float dcu_end2 = 0.0f;    // nodal ends: end 2's curvature increment, handed to end 1's
                            // evaluation too (a section whose step looks at both ends)
};

// What an evaluation hands back.
struct SectionResponse {
  float ea = 0.0f;          // tangent axial rigidity
  float eiu = 0.0f;         // tangent bending rigidities about the principal U, V axes
  float eiv = 0.0f;
  float gj = 0.0f;          // torsional rigidity
  float uc0 = 0.0f;         // tangent centroid in the mesh axes
  float vc0 = 0.0f;
  float beta = 0.0f;        // principal angle, radians (also kept in the record)
  float axial = 0.0f;       // section forces as end B carries them: N (tension positive),
  float mu = 0.0f;          //   moment about U,
  float mv = 0.0f;          //   moment about V
  float limit_code = 0.0f;  // the code this evaluation wrote into the limit word (0: none)
};

class SegmentSection {
 public:
  virtual ~SegmentSection() = default;
  // Advances section (call.iseg, call.end) by the increments of `call`.
  virtual SectionResponse evaluate(SectionCall& call) = 0;
  // True for a section whose only section force is the moment about U: the
  // segment's force adjustment then leaves its axial force and V moments.
  virtual bool u_bending_only() const { return false; }
};

// The section forces of a segment-average evaluation in row iseg of the
// segment force table FLOCA (N x 12): end B holds N, MU, MV in words 9-11,
// end A their negatives in words 3-5, every other word 0.
void place_average_forces(const SegTable& floca, int iseg, const SectionResponse& r);

}  // namespace members
