// The fibre-section routine, written once for every fibre section whatever
// its fibre laws and record: the axial passes (entry state, axial correction,
// fibre strains from the strain plane, fibre laws, sums), the tangent
// centroid and principal axes found from the sums, the test that ends the
// passes, the axial force handed back and the moments about the turned mesh
// origin. A section supplies only its view: its laws on its record.
#pragma once

#include <cmath>
#include <cstddef>
#include <span>

#include "members/member_views.h"
#include "members/section_state.h"

namespace members {

// Sums of effective modulus times area (times coordinates) over the fibres,
// on the mesh coordinates. Beside the first moments and the product, the sums
// of their terms' magnitudes and the count of terms: what the rounding of
// the sum can be, so that a sum of terms that cancel (a section symmetric
// about an axis) is taken as the zero it is.
struct SectionSums {
  float ea0 = 0.0f, esu0 = 0.0f, esv0 = 0.0f;
  float eiu0 = 0.0f, eiv0 = 0.0f, eiuv0 = 0.0f;
  float esu_abs = 0.0f, esv_abs = 0.0f, eiuv_abs = 0.0f;
  int terms = 0;
};

// Adds one fibre of effective rigidity ea (modulus times area) at (u, v).
void add_fibre(SectionSums& s, float ea, float u, float v);

// A float sum of `terms` terms whose magnitudes add up to `magnitude`: the
// sum itself, or 0 where it is no larger than the rounding of the terms can
// make it (the terms cancel).
float beyond_rounding(float sum, float magnitude, int terms);

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

// How a section's axial passes run: IELAS 1 up to kMaxAxialPasses passes,
// any other value one; the tolerance base of a zero target and whether a miss
// within 5 % of it converges too (floor); the mesh's area centroid, kept by a
// section without axial rigidity.
struct AxialPassRule {
  int ielas = 1;
  float base = 0.0f;
  bool floor = false;
  float uc_mesh = 0.0f, vc_mesh = 0.0f;
  int limit() const { return ielas == 1 ? kMaxAxialPasses : 1; }
};

// The pass that stands: its axes and its summed axial force.
struct AxialPassResult {
  PrincipalAxes ax;
  float axial = 0.0f;
  bool converged = false;
};

// The axial passes of one section evaluation. Each pass moves the axial
// strain by the last correction (-daxial / EA) and hands it to the view:
//   view.pass(call, sums, ea, axial): the pass from the section's entry
//     state: fibre strains from call's strain plane, the fibre laws, and the
//     sums of the fibres' effective rigidities (sums), tangent rigidities (ea)
//     and forces (axial);
//   view.beta_prev(): the angle a section without axial rigidity keeps;
//   view.axes_found(sums, ax): the pass's principal axes (the section turns
//     its coordinates, keeps the angle, writes its trace);
//   view.warn_passes(count, daxial): IELAS 1 and no pass converged.
// The passes end when the force meets call.target_axial, or when the section
// has no axial stiffness to correct by (that pass stands).
template <class View>
AxialPassResult axial_passes(View& view, SectionCall& call, const AxialPassRule& rule) {
  AxialPassResult r;
  float daxial = 0.0f;
  float correction = 0.0f;
  for (int pass = 1; pass <= rule.limit(); ++pass) {
    call.dec += correction;
    SectionSums s;
    float ea = 0.0f;
    r.axial = 0.0f;
    view.pass(call, s, ea, r.axial);
    r.ax = principal_axes(s, view.beta_prev(), rule.uc_mesh, rule.vc_mesh);
    view.axes_found(s, r.ax);
    daxial = r.axial - call.target_axial;
    if (axial_converged(daxial, call.target_axial, rule.base, rule.floor)) {
      r.converged = true;
      return r;
    }
    if (ea == 0.0f) return r;
    correction = -daxial / ea;
  }
  if (rule.ielas == 1) view.warn_passes(rule.limit() + 1, daxial);
  return r;
}

// The axial force a section hands back: the target itself when the passes
// converged under IELAS 1 (and, under IELAS 0, at nodal end 1), else the sum.
inline float section_axial(const AxialPassResult& r, float target, int ielas, int end) {
  return r.converged && (ielas == 1 || (ielas == 0 && end == 1)) ? target : r.axial;
}

// A point (du, dv) in axes turned by the angle whose cosine and sine are cb, sb.
struct TurnedPoint {
  float u = 0.0f, v = 0.0f;
};
inline TurnedPoint turned(float cb, float sb, float du, float dv) { return {cb * du + sb * dv, -sb * du + cb * dv}; }

// The section's moments about the mesh origin turned by the angle of ax (not
// about the centroid): fibre(i) gives fibre i's mesh point and force as
// {u, v, force}, i = 1..nump.
struct FibreForce {
  float u = 0.0f, v = 0.0f, force = 0.0f;
};
struct OriginMoments {
  float mu = 0.0f, mv = 0.0f;
};
template <class Fibre>
OriginMoments origin_moments(const PrincipalAxes& ax, int nump, Fibre fibre) {
  const float cb = std::cos(ax.beta), sb = std::sin(ax.beta);
  OriginMoments m;
  float mu_abs = 0.0f, mv_abs = 0.0f;
  for (int i = 1; i <= nump; ++i) {
    const FibreForce f = fibre(i);
    const TurnedPoint o = turned(cb, sb, f.u, f.v);
    m.mu += f.force * o.v;
    m.mv -= f.force * o.u;
    mu_abs += std::fabs(f.force * o.v);
    mv_abs += std::fabs(f.force * o.u);
  }
  m.mu = beyond_rounding(m.mu, mu_abs, nump);
  m.mv = beyond_rounding(m.mv, mv_abs, nump);
  return m;
}

// The entry state of one segment's section, copied once per evaluation and
// put back at every pass: rows of per-segment tables (segment iseg, fibres
// 1..nump) and single words. One working copy serves every section, grown
// to the largest met (no allocation once it fits).
class EntryState {
 public:
  EntryState(std::span<const SegTable> rows, std::span<float* const> words, int iseg, int nump);
  void restore() const;

 private:
  std::span<const SegTable> rows_;
  std::span<float* const> words_;
  int iseg_;
  int nump_;
};

}  // namespace members
