// Geometry and stiffness of the four-joint rectangular plate (element type 16):
// edge lengths, twist angle and local axes from the four corners, the
// transformations between the 20 plate freedoms and the 24 joint components,
// the closed-form 20 x 20 plate stiffness, its transform to joint coordinates
// and the packed element triangle.
//
// Corners J1..J4 run counterclockwise about the plate normal: in local axes J1
// is at (+a/2, +b/2), J2 at (-a/2, +b/2), J3 at (-a/2, -b/2), J4 at (+a/2, -b/2).
// Plate freedoms q(1..20): per joint n, q(3n-2) = rotation about local x,
// q(3n-1) = rotation about local y, q(3n) = w = minus the local z translation;
// then q(12+2n-1) = u (local x) and q(12+2n) = v (local y) per joint. Joint
// components: FX FY FZ MX MY MZ per joint, joints J1..J4.
//
// Matrices are REAL, stored column by column: term (i, j) of an n-row matrix
// at [(i-1) + n(j-1)].
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "base/node_tables.h"

namespace elements::plate {

inline constexpr int kJointDofs = 24;  // joint components of the element
inline constexpr int kPlateDofs = 20;  // plate freedoms
inline constexpr int kMaxTerms = 300;  // packed upper triangle of order 24

using Vec3 = std::array<float, 3>;
using Mat24 = std::array<float, kJointDofs * kJointDofs>;      // A2, ASAT
using Mat24x20 = std::array<float, kJointDofs * kPlateDofs>;   // A3, A
using Mat20 = std::array<float, kPlateDofs * kPlateDofs>;      // S

// The conversion factor of the twist angle, as the program has always printed it.
inline constexpr float kDegrees = 57.2958f;
// A twist above this many degrees is warned about.
inline constexpr float kTwistLimit = 5.0f;

struct Geometry {
  float length = 0.0f;  // b: distance between the midpoints of edges J3-J4 and J1-J2
  float width = 0.0f;   // a: mean length of the edges J1-J2 and J3-J4 across the plate
  float w1 = 0.0f;      // length of V12 x VC (edge J1-J2 across the plate)
  float w2 = 0.0f;      // length of V34 x VC (edge J3-J4 across the plate)
  float twist = 0.0f;   // angle between the normals W1 and W2, degrees
  Vec3 vx{}, vy{}, vz{};  // unit local axes (valid when formed())
  // The plate can be formed: both edge midpoints apart and both edges of
  // non-zero length across the plate.
  bool formed() const { return length > 0.0f && w1 > 0.0f && w2 > 0.0f; }
};

// The geometry from the corner coordinates x[n] of J1..J4 (n = 0..3). With
// coincident edge midpoints length is the (non-positive) computed value and
// nothing else is formed; with an edge of zero length across the plate the
// axes are not formed. The twist angle never is NaN: the cosine is held in
// [-1, 1] before its arc cosine.
Geometry geometry(const std::array<Vec3, 4>& x);

// The 24 x 24 block-diagonal A2: block n = [[CTS_n, 0], [BS_n, CTS_n]] of the
// joint at node position nodes[n] (LOCAXS with the plate axes, the joint's
// cosine set and constraint offsets). False when LOCAXS cannot form the axes.
bool joint_blocks(const Geometry& g, const base::NodeTables& nt, const std::array<int, 4>& nodes, Mat24& a2);

// A3: +1 at (6n-2, 3n-2), (6n-1, 3n-1), (6n-5, 12+2n-1), (6n-4, 12+2n) and -1
// at (6n-3, 3n), n = 1..4; the MZ rows are empty.
void plate_map(Mat24x20& a3);

// A = A2 * A3 into a (24 x 20, column by column).
void plate_to_joint(const Mat24& a2, float* a);

// The closed-form plate stiffness S (20 x 20, column by column, symmetric)
// for modulus e, Poisson's ratio nu, thickness t, width a and length b.
void stiffness(float e, float nu, float t, float a, float b, float* s);

// ASAT = A * S * A' (first S * A', then A times it).
void joint_stiffness(const float* a, const float* s, Mat24& asat);

// The location vector and packed triangle: component k (1..24) is kept when its
// equation lmt[k-1] is not 0 and its diagonal is positive. Writes the kept
// equations to lm[0..nd-1] and the packed upper triangle (column by column,
// diagonal upward) to ke; the caller gets back nd and the number of terms.
struct Packed {
  int nd = 0;
  int terms = 0;
};
Packed pack(const Mat24& asat, const std::array<std::int32_t, kJointDofs>& lmt, float* ke, std::int32_t* lm);

// The equations of the 24 joint components; a component whose four joints
// share one equation (or all have none) is left out at all four (0).
std::array<std::int32_t, kJointDofs> location(const base::NodeTables& nt, const std::array<int, 4>& nodes);

// Plate freedom of joint n (1..4) shown in report column k (0..4: FX FY FZ MX MY
// = u, v, w, rotation about x, rotation about y), 1-based.
constexpr int report_dof(int n, int k) {
  switch (k) {
    case 0: return 12 + 2 * n - 1;
    case 1: return 12 + 2 * n;
    case 2: return 3 * n;
    case 3: return 3 * n - 2;
    default: return 3 * n - 1;
  }
}

}  // namespace elements::plate
