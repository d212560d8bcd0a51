// The steel fibre section of a segment (PRINC): fibre strains from the
// segment's axial strain and curvatures, the fibre law, the section's tangent
// rigidities about its principal axes through the tangent centroid, the
// torsional rigidity, the axial passes that match the segment's axial force,
// and the section forces.
#pragma once

#include <array>

#include "members/section_state.h"
#include "members/steel_fibre_laws.h"
#include "members/steel_member_record.h"
#include "members/steel_section_mesh.h"

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

// The fibre columns one steel section position works on.
struct SteelFibreArrays {
  int nump = 0;
  Col u, v, area, flen;   // the mesh
  Col bkflag;             // rigidity switch per fibre
  Col et, eps;            // shared work columns
  SegTable useg, vseg;    // principal coordinates of the previous evaluation
  SegTable e0, e1, e2, de, sig, iyld;
  std::array<SegTable, 5> flw;
  Col beta;               // principal angle per segment
  Col lflag;              // once-flags of the limit codes (word 1: first yield); null: none kept
};

// The columns of the segment-average section of a "STABILITY1" record.
SteelFibreArrays average_section_arrays(const StbMem& rec);

// The words of a set that the steel section reads.
struct SteelSectionParams {
  SectionWords words;     // LIBN, T, IREV for the torsion constant
  float tota = 0.0f;      // enclosed area; base of the zero-force tolerance
  float g = 0.0f;         // shear modulus
  SteelLaw law;           // fibre law and its constants (law.elastic: IELAS 0)
  int ielas = 1;          // 1: up to 50 axial passes; 0, 2 (and any other value): one
  int ielno = 0;          // element number, printed
  bool trace = false;     // bit 0 of the debug word
};

inline constexpr int kMaxAxialPasses = 50;

// The test of the axial passes of a fibre section: the summed force misses
// the segment's force `target` by daxial; converged within 5 % of the target,
// or of `base` when the target is 0. With `floor` a miss within 5 % of base
// also converges, so that a tiny non-zero target does not run every pass.
bool axial_converged(float daxial, float target, float base, bool floor);

// The warning of a section whose passes did not converge (count: the pass
// limit plus one).
void warn_axial_passes(int ielno, int iseg, int count, float daxial);

// What a steel section holds for the whole member: the area centroid of the
// mesh (where a section without rigidity keeps its centroid) and the elastic
// torsional rigidity J*G.
struct MeshConstants {
  float uc = 0.0f, vc = 0.0f, gj = 0.0f;
};
MeshConstants mesh_constants(int nump, const Col& u, const Col& v, const Col& area, const Col& flen,
                             const SteelSectionParams& p);

// PRINC for the segment averages of a steel member.
class SteelSection final : public SegmentSection {
 public:
  // `state` is the member's limit word STATE(1) (material state word 98).
  SteelSection(const SteelFibreArrays& a, const SteelSectionParams& p, float* state);

  // Only call.end 0 is served. call.dec comes back corrected by the passes.
  SectionResponse evaluate(SectionCall& call) override;

 private:
  SteelFibre fibre(int iseg, int i) const;
  void store(int iseg, int i, const SteelFibre& f) const;
  void trace_law(int iseg, float dec, float dcu, float dcv, bool setup) const;

  SteelFibreArrays a_;
  SteelSectionParams p_;
  float* state_;
  float uc_mesh_ = 0.0f, vc_mesh_ = 0.0f;  // area centroid of the mesh
  float gj_ = 0.0f;                        // torsion is elastic: one value per member
};

}  // namespace members
