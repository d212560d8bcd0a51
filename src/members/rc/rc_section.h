// The fibre section of a reinforced-concrete segment (PRINC1, and PRINC1B for
// a nodal end): fibre strains from the segment's axial strain and curvatures,
// the steel and concrete fibre laws, the average strain of the confined core,
// the tangent rigidities about the principal axes through the tangent
// centroid, the torsional rigidity, the axial passes that match the segment's
// axial force, and the section forces. The fibre laws advance the record in
// place, so every pass starts from a copy of the section's entry state.
#pragma once

#include <span>

#include "members/rc/rc_member_record.h"
#include "members/section_state.h"

namespace members::rc {

// TORRC: torsion constant of the section. A rectangle (LIBN 3) takes its
// larger and smaller half sides from the first two fibre lengths of its mesh;
// every other section is taken as the solid circle of its gross area tota.
float torrc(int libn, float tota, std::span<const float> length);

// The arrays of one section position of a member record (0-based pointers;
// (N,NUMP) arrays with the segment index fastest).
struct RcSectionArrays {
  int nseg = 1;
  int nump = 0;
  const float* u = nullptr;       // mesh (NUMP)
  const float* v = nullptr;
  const float* area = nullptr;
  const float* length = nullptr;
  float* beta = nullptr;          // (N) principal angle
  float* useg = nullptr;          // (N,NUMP) principal coordinates
  float* vseg = nullptr;
  float* e0 = nullptr;            // (N,NUMP) fibre state
  float* e1 = nullptr;
  float* e2 = nullptr;
  float* de = nullptr;
  float* stress = nullptr;
  float* fstate = nullptr;
  float* c51 = nullptr;
  float* c52 = nullptr;
  float* c53 = nullptr;
  float* et = nullptr;            // (NUMP) work columns
  float* strain = nullptr;
  float* lsonce = nullptr;        // 20 once-flags, lsonce[0] is flag 1
  float* rigid = nullptr;         // (N,12) the segment's last usable rigidities (SEGW)
};

// The section arrays of a record: end 0 or 1 the (end-1) arrays, end 2 the
// end-2 twins of a type-170 record.
RcSectionArrays rc_section_arrays(const RcMemberRecord& rec, int end);

// The set's words the section reads, with the record words it may change.
struct RcSectionParams {
  const float* prop = nullptr;  // the head, 1-based
  float* ecu = nullptr;         // head words 40, 41, 42 themselves
  float* esu = nullptr;
  float* ecr = nullptr;
  float fslap = 0.0f;           // lap-splice stress threshold of the member
  int ielno = 0;
  bool trace = false;
};
RcSectionParams rc_section_params(float* prop, float fslap, int ielno, bool trace);

// The start state of every segment's fibres and principal coordinates: steel
// fibres with their elastic band +-EY, concrete fibres virgin (tensile
// strength 9 sqrt(f'c) when IR is 1).
void start_fibres(const RcSectionArrays& a, const float* prop);

class RcSection final : public SegmentSection {
 public:
  // flp: the member's limit word (material state word 98).
  RcSection(const RcSectionArrays& a, const RcSectionParams& p, float* flp);

  // call.end 0: the segment average (PRINC1); 1 or 2: a nodal end (PRINC1B),
  // whose target is the axial force that end carries, tension positive.
  SectionResponse evaluate(SectionCall& call) override;

 private:
  struct Passes;
  void run_laws(int iseg, int end, bool setup) const;
  void core_strain(int iseg) const;

  RcSectionArrays a_;
  RcSectionParams p_;
  float* flp_;
  float uc_mesh_ = 0.0f, vc_mesh_ = 0.0f;  // area centroid of the mesh
  float gkt_ = 0.0f;                       // torsion is elastic: one value per member
};

}  // namespace members::rc
