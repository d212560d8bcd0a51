// The steel fibre section of a segment (PRINC): fibre strains from the
// segment's axial strain and curvatures, the fibre law, the section's tangent
// rigidities about its principal axes through the tangent centroid, the
// torsional rigidity, the axial passes that match the segment's axial force,
// and the section forces.
#pragma once

#include <array>

#include "members/fibre_section.h"
#include "members/section_state.h"
#include "members/steel/steel_fibre_laws.h"
#include "members/steel/steel_member_record.h"
#include "members/steel/steel_section_mesh.h"

namespace members {

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
  struct Passes;
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
