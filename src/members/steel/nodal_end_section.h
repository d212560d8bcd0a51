// The steel fibre section at a nodal end of a segment (PRINCB): the section
// of a "STABILITY2" member is evaluated at both ends of every segment, each
// end with its own fibre strains, stresses and principal angle. It runs the
// segment-average section's steps (fibre strains, fibre law, rigidities about
// the tangent centroid, principal angle, axial passes, forces) with its own
// fibre laws, the box local-buckling check and no first-yield bookkeeping.
#pragma once

#include <array>

#include "members/section_state.h"
#include "members/steel/steel_fibre_laws.h"
#include "members/steel/steel_member_record.h"
#include "members/steel/steel_section.h"

namespace members {

// TANGB0: a moving elastic band without a state flag; a step that leaves the
// band is taken whole at RATIO3*EM and drags the band with it. Uses e1, e2,
// sig of the fibre; et_held comes back for a strain that meets no test.
FibreStep tangb0(const SteelLaw& law, SteelFibre s, float de, float eps, float et_held);

// The law-2 history of one fibre (one set serves both ends of a segment).
struct RoHistory {
  float deold = 0.0f;  // increment of the last step
  float epold = 0.0f;  // strain after it
  float sgold = 0.0f;  // stress after it
  float etold = 0.0f;  // tangent after it
  float eprev = 0.0f;  // strain at the last reversal
  float sgrev = 0.0f;  // stress at the last reversal
};

struct RoStep {
  float sig = 0.0f;
  float et = 0.0f;
  RoHistory h;
};

// TANGB2: Ramberg-Osgood compliance (1 + IR*x^(IR-1))/EM beyond x = 0.2,
// integrated explicitly with the tangent of the last step, Masing reversals
// at twice the yield stress. setup: the member's set-up call.
RoStep tangb2(const SteelLaw& law, float sig, float de, float eps, bool setup, RoHistory h);

// The columns of the nodal-end sections of one member.
struct NodalEndArrays {
  int nump = 0;
  Col u, v, area, flen;        // the mesh
  Col bkflag, et, eps;         // shared by both ends
  std::array<SegTable, 6> ro;  // law-2 history DEOLD, EPOLD, SGOLD, ETOLD, EPREV, SGREV
  struct End {
    Col beta;
    SegTable useg, vseg, e0, e1, e2, de, sig;
  };
  std::array<End, 2> end;      // nodal end 1 (A), nodal end 2 (B)
};

// PRINCB for both nodal ends of the segments of one member. call.end picks
// the end (1 or 2); call.target_axial is the axial force the end is to carry
// in the end-B sense (end 2: FLOC(iseg, 9); end 1: -FLOC(iseg, 3)). The
// response's forces are in the end-B sense as well: end 1 places them negated.
class NodalEndSection final : public SegmentSection {
 public:
  // `state` is the member's limit word STATE(1), which only the box
  // local-buckling check writes.
  NodalEndSection(const NodalEndArrays& a, const SteelSectionParams& p, float* state);

  SectionResponse evaluate(SectionCall& call) override;

 private:
  struct Passes;
  void run_law(const NodalEndArrays::End& e, int iseg, bool setup) const;
  void trace_law(const NodalEndArrays::End& e, int iseg, int iend) const;

  NodalEndArrays a_;
  SteelSectionParams p_;
  float* state_;
  float uc_mesh_ = 0.0f, vc_mesh_ = 0.0f;  // area centroid of the mesh
  float gj_ = 0.0f;
};

}  // namespace members
