// What every fibre section shares, whatever its fibre laws: the sums of
// modulus times area over the fibres, the tangent centroid and principal
// axes found from them, and the test that ends the axial passes.
#pragma once

#include "members/section_state.h"

namespace members {

// Sums of effective modulus times area (times coordinates) over the fibres,
// on the mesh coordinates.
struct SectionSums {
  float ea0 = 0.0f, esu0 = 0.0f, esv0 = 0.0f;
  float eiu0 = 0.0f, eiv0 = 0.0f, eiuv0 = 0.0f;
};

// Adds one fibre of effective rigidity ea (modulus times area) at (u, v).
void add_fibre(SectionSums& s, float ea, float u, float v);

// The tangent centroid, centroidal and principal rigidities of one set of sums.
struct PrincipalAxes {
  float uc0 = 0.0f, vc0 = 0.0f;                   // tangent centroid
  float eiu1 = 0.0f, eiv1 = 0.0f, eiuv1 = 0.0f;   // about the centroid, mesh directions
  float beta = 0.0f;                              // principal angle
  float ea = 0.0f, eiu = 0.0f, eiv = 0.0f;        // principal rigidities
  float eiuv = 0.0f;                              // principal product (printed only)
  bool degenerate = false;                        // no axial rigidity at all
};

// From the sums: centroid, principal angle (ratios below 0.03 count as zero,
// angles folded into (-pi/2, pi/2] and snapped to 0 and +-pi/2 within 0.03) and
// principal rigidities. A section without axial rigidity (EA0 = 0) keeps the
// mesh centroid (uc_mesh, vc_mesh) and the previous angle and has no rigidity.
PrincipalAxes principal_axes(const SectionSums& s, float beta_prev, float uc_mesh, float vc_mesh);

// A response with the rigidities, centroid and angle of ax and the torsional
// rigidity gj (forces and limit code left 0).
SectionResponse response_of(const PrincipalAxes& ax, float gj);

inline constexpr int kMaxAxialPasses = 50;

// The test of the axial passes of a fibre section: the summed force misses
// the segment's force `target` by daxial; converged within 5 % of the target,
// or of `base` when the target is 0. With `floor` a miss within 5 % of base
// also converges, so that a tiny non-zero target does not run every pass.
bool axial_converged(float daxial, float target, float base, bool floor);

// The warning of a section whose passes did not converge (count: the pass
// limit plus one).
void warn_axial_passes(int ielno, int iseg, int count, float daxial);

}  // namespace members
