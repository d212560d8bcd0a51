// Segment kinematics of the segmented member: the frame of a segment from the
// current positions of its ends (ROTMAT), and the deformation increments of a
// segment from its end increments, averaged over the segment (SEGDEF, ROT12)
// or at both of its ends (SEGDEFB).
//
// A frame is the 3 x 3 matrix R whose rows are the segment's U axis, V axis
// and chord axis W in member axes; a segment's 12 values run u, v, w and the
// rotations about U, V, W at end A, then at end B.
#pragma once

#include <array>

#include "members/member_views.h"

namespace members {

using Frame = std::array<float, 9>;     // R row by row
using Mat12 = std::array<float, 144>;   // 12 x 12, column by column: (r, c) at (c-1)*12 + r-1
using Vec12 = std::array<float, 12>;

inline float& at(Mat12& m, int r, int c) { return m[(c - 1) * 12 + (r - 1)]; }
inline float at(const Mat12& m, int r, int c) { return m[(c - 1) * 12 + (r - 1)]; }

// The block-diagonal rotation of a segment: R on the four 3 x 3 diagonal blocks.
Mat12 segment_rotation(const Frame& r);
// Row i of a direction-cosine table (N x 9, segment index fastest).
Frame frame_of(const SegTable& dcos, int i);

// ROTMAT: the frame of a segment whose ends stand at xa and xb (member axes)
// with twists roza, rozb, rolled from the reference V axis a about the roll
// axis b by the mean twist plus beta. The caller gets back the frame and the
// chord length.
struct RotmatResult {
  Frame r{};
  float chord = 0.0f;
};
RotmatResult rotmat(const std::array<float, 3>& xa, float roza, const std::array<float, 3>& xb,
                    float rozb, const std::array<float, 3>& a, const std::array<float, 3>& b,
                    float beta, bool trace);

// The segment's end increments in its own axes (R times the translations and
// rotations of each end).
struct LocalEnds {
  Vec12 ya{};  // end A: positions 1-6, 7-12 zero
  Vec12 yb{};  // end B
};
LocalEnds local_ends(const Frame& r, const std::array<float, 6>& da, const std::array<float, 6>& db);

// SEGDEF / ROT12: the average axial strain and curvature increments of a
// segment of length len.
struct AverageDeformation {
  float dec = 0.0f, dcu = 0.0f, dcv = 0.0f;
};
AverageDeformation segdef(const LocalEnds& e, float len);

// SEGDEFB: the axial strain and curvature increments at both ends of a segment
// deflecting as a cubic through its ends.
struct EndDeformation {
  float dec1 = 0.0f, dcu1 = 0.0f, dcv1 = 0.0f;
  float dec2 = 0.0f, dcu2 = 0.0f, dcv2 = 0.0f;
};
EndDeformation segdefb(const LocalEnds& e, float len);

}  // namespace members
