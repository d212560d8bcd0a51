// The segmented member procedure: a member cut into NSEG straight segments,
// their internal degrees of freedom condensed onto the 12 end degrees of
// freedom. One skeleton serves every section family: the set-up (DOF table,
// segment lengths, half-sine imperfection, assembly, condensation) and the
// state determination (internal solve, segment loop, force recovery,
// stiffness parameter, recondensation). What varies comes through the
// family object a section family supplies (MemberFamily): its sections, how
// they sit on a segment, and its own steps (limit events, messages, totals).
//
// Everything in member axes: x, y across the member, z along it from end A.
// The 12 end values: x, y, z translation and rotation about x, y, z at end A,
// then at end B.
#pragma once

#include <array>

#include "members/member_views.h"
#include "members/section_state.h"
#include "members/segment_kinematics.h"

namespace members {

// Views of the member record arrays the procedure works on (each section
// family binds its own record's).
struct MemberArrays {
  int nseg = 0;
  Col idofr, irotr, beta, ulpe, vlpe;
  EndCoords zseg;
  Col slen, dtot, dinc, dimp, chord;
  SegTable reserved, floc, fglo, dglo, dcos, dcos0;
  Square asato, eeasat, te, w, asat;
  float* asath = nullptr;  // skyline terms, position 1 first
  Col mdr;
  Col dfinc, fint, xv, rv;
  SegMatrices sks;
  Col eccx, eccy;
  Col betam;  // mean of the two end angles (nodal-end sections only)
};

// How a family's sections sit on a segment.
enum class SectionLayout {
  // One section per segment, from the segment's average deformation.
  average,
  // A section at both ends of every segment (from the end deformations, end 1
  // then end 2): the segment frame turns by the mean of the two end angles
  // (kept in betam), the segment's end forces come from the two sections and
  // its stiffness from both ends' rigidities.
  nodal_ends,
};

// The curvature totals a family may keep per segment (about U and V).
struct CurvatureTotals {
  Col cu, cv;
  void clear(int iseg) const { cu(iseg) = cv(iseg) = 0.0f; }
  void add(int iseg, float dcu, float dcv) const {
    cu(iseg) += dcu;
    cv(iseg) += dcv;
  }
};

struct MemberCall;

// A family's fibre mesh, for the set-up trace.
struct SectionMesh {
  int nump = 0;
  Col u, v, area, flen;
};
void trace_section_mesh(const SectionMesh& mesh, int ielno);

// What a section family supplies to the skeleton: its sections, how they sit
// on a segment, and its own steps around the skeleton's (its checks and limit
// events with their messages, its own per-segment words). The skeleton knows
// nothing of a family beyond this; a family without steps of its own uses
// the class as it stands.
class MemberFamily {
 public:
  MemberFamily(SegmentSection& section, SectionLayout layout) : section_(section), layout_(layout) {}
  virtual ~MemberFamily() = default;
  MemberFamily(const MemberFamily&) = delete;
  MemberFamily& operator=(const MemberFamily&) = delete;

  SegmentSection& section() const { return section_; }
  bool nodal_ends() const { return layout_ == SectionLayout::nodal_ends; }

  // Set-up, trace on: the family's own lines ahead of the skeleton's.
  virtual void trace_setup(const MemberCall& c) const { (void)c; }
  // Set-up: segment iseg's own words cleared.
  virtual void clear_segment(int iseg) const { (void)iseg; }
  // State determination: segment iseg's deformation increments, before its
  // sections are evaluated.
  virtual void segment_deformed(int iseg, const EndDeformation& d) const {
    (void)iseg;
    (void)d;
  }
  // State determination: after segment iseg's sections (checks and events).
  virtual void segment_evaluated(const MemberCall& c, int iseg, const EndDeformation& d) const {
    (void)c;
    (void)iseg;
    (void)d;
  }
  // State determination: the stiffness parameter sp just formed.
  virtual void stiffness_parameter(const MemberCall& c, float sp) const {
    (void)c;
    (void)sp;
  }

 private:
  SegmentSection& section_;
  SectionLayout layout_;
};

// The set's member words the procedure reads (copies taken at every call).
struct MemberWords {
  int nseg = 1;
  float small = 0.0f;       // length of the four short segments; <= 0: XL/NSEG
  float ratix0 = 0.0f;      // out-of-straightness in x and y as fractions of XL
  float ratiy0 = 0.0f;
  int iecop = 0;            // 1: the ends act at the eccentric loading points
  int istif = 1;            // segment stiffness option
  int iauto = 0;            // 1: stiffness parameter and buckling check
  float qrnee = 1.0f;       // divisor of the displacement norm
  float ulp = 0.0f;         // loading-point offsets from the section library (iecop 1)
  float vlp = 0.0f;
  bool offsets_from_origin = false;  // set-up measures the offsets from the mesh origin,
                                     // not from the section's tangent centroid
};

// The scalars the material driver keeps in its state words 79-86 between calls.
struct MemberState {
  float xl = 0.0f;       // member length (79)
  int nsky = 0;          // stored terms of the skyline member matrix (80)
  int iupd = 0;          // mode word (81)
  float fnorm0 = 0.0f;   // reference force norm (82)
  float work0 = 0.0f;    // reference work (83)
  float sp = 0.0f;       // stiffness parameter (84)
  int ncall = 0;         // state determinations since set-up, at most 5 (85)
  float rneee = 0.0f;    // displacement norm over QRNEE (86)
};

// One call's context.
struct MemberCall {
  int ielno = 0;
  bool trace = false;
  float* state = nullptr;  // the limit word FLP (material state word 98)
};

// Set-up of the member on a cleared record whose sections are set up (mesh
// and fibre states). Leaves the condensed end stiffness in EEASAT (at the
// loading points when iecop is 1) and the limit word at 0.
void member_setup(const MemberArrays& m, const MemberWords& w, MemberState& s,
                  const MemberFamily& family, const MemberCall& c);

// State determination for the end increments in DINC(1..12): the end forces
// come back in p, the new stiffness in EEASAT.
void member_state(const MemberArrays& m, const MemberWords& w, MemberState& s,
                  const MemberFamily& family, const MemberCall& c, std::array<float, 12>& p);

}  // namespace members
