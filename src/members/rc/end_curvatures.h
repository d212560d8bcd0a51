// ROT12B's bookkeeping: the four total end curvatures of every segment of a
// nodal-end R/C member, advanced by the end increments of the segment's cubic
// deflection (segdefb).
#pragma once

#include "members/segment_kinematics.h"

namespace members::rc {

// Per-segment totals (N words each, segment 1 first).
struct EndCurvatureTotals {
  float* cu1 = nullptr;  // about U at end 1 (A)
  float* cu2 = nullptr;  // about U at end 2 (B)
  float* cv1 = nullptr;  // about V at end 1
  float* cv2 = nullptr;  // about V at end 2
};

// The new totals of one segment.
struct EndCurvatures {
  float cu1 = 0.0f, cu2 = 0.0f, cv1 = 0.0f, cv2 = 0.0f;
  // The largest magnitude of the four: the curvature the limit states use.
  float largest() const;
};

// Adds the curvature increments of d to the totals of segment iseg (1-based)
// and returns them; no other segment's entries change.
EndCurvatures rot12b(const EndDeformation& d, int iseg, const EndCurvatureTotals& t);

}  // namespace members::rc
