// The segmented member procedure: a member cut into NSEG straight segments,
// their internal degrees of freedom condensed onto the 12 end degrees of
// freedom. One skeleton serves every section family: the set-up (DOF table,
// segment lengths, half-sine imperfection, assembly, condensation) and the
// state determination (internal solve, segment loop, force recovery,
// stiffness parameter, recondensation); the section state is the one varying
// part, reached through SegmentSection.
//
// Everything in member axes: x, y across the member, z along it from end A.
// The 12 end values: x, y, z translation and rotation about x, y, z at end A,
// then at end B.
#pragma once

#include <array>

#include "members/section_state.h"
#include "members/segment_kinematics.h"
#include "members/steel_member_record.h"
#include "members/steel_section.h"

namespace members {

// Views of the member record arrays the procedure works on (the steel record
// binds its own; other section families bind theirs).
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
  Col cu, cv;   // curvature totals of the segment-average rules
  Col lflag;    // once-flags of the limit codes (20)
  // Nodal-end rules evaluate the section at both ends of every segment (from
  // the end deformations, end 1 then end 2), turn the segment frame by the
  // mean of the two end angles (kept in betam), take the segment's end forces
  // from the two sections and its stiffness from both ends' rigidities; they
  // raise no limit code of their own and clear the limit word at every call
  // (unless the call keeps it).
  bool nodal_ends = false;
  Col betam;
  struct Mesh {  // the section mesh, for the set-up trace (u.p null: none)
    int nump = 0;
    Col u, v, area, flen;
  } mesh;
};
MemberArrays steel_member_arrays(const StbMem& rec);

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

// Checks a section family runs on each segment of a state determination
// right after the segment's section evaluation (its limit states).
class SegmentChecks {
 public:
  virtual ~SegmentChecks() = default;
  // iseg: the segment; curu, curv: its new total curvatures.
  virtual void after_section(int iseg, float curu, float curv) = 0;
  // Nodal-end rules call this instead, after both end sections, with the
  // segment's end deformation increments.
  virtual void after_end_sections(int iseg, const EndDeformation& d) {
    (void)iseg;
    (void)d;
  }
};

// One call's context.
struct MemberCall {
  int ielno = 0;
  bool trace = false;
  float* state = nullptr;  // the limit word FLP (material state word 98)
  SegmentChecks* checks = nullptr;  // none: no checks of the family
  bool keeps_limit_word = false;    // a nodal-end rule whose limit word only rises
};

// Set-up of the member on a cleared record whose sections are set up (mesh
// and fibre states). Leaves the condensed end stiffness in EEASAT (at the
// loading points when iecop is 1) and the limit word at 0.
void member_setup(const MemberArrays& m, const MemberWords& w, MemberState& s,
                  SegmentSection& section, const MemberCall& c);

// State determination for the end increments in DINC(1..12): the end forces
// come back in p, the new stiffness in EEASAT.
void member_state(const MemberArrays& m, const MemberWords& w, MemberState& s,
                  SegmentSection& section, const MemberCall& c, std::array<float, 12>& p);

// HYST12, the steel member rule of "STABILITY1": option 3 runs the state
// determination, any other option the set-up (mesh, fibre states and the
// steps above), on the record rec.
struct SteelMemberSet {
  MemberWords member;
  SteelSectionParams section;  // section words, law, TOTA, G, IELAS
};
// The steel member's own set-up ahead of the procedure's: the mesh into the
// record, BKFLAG cleared, ET = EM and the fibres of the first section
// position reset. The caller gets back the member words with the mesh's
// loading point (library 5 clears its eccentric option).
MemberWords steel_member_setup_words(const SteelMemberSet& set, const StbMem& rec);
// The fibres of one section position at set-up: principal coordinates those
// of the mesh, no strain, elastic band +-ey.
void reset_section_fibres(const StbMem& rec, const SegTable& useg, const SegTable& vseg,
                          const SegTable& e0, const SegTable& e1, const SegTable& e2, float ey);

void hyst12(int iopt, const SteelMemberSet& set, MemberState& s, const StbMem& rec,
            const MemberCall& c, std::array<float, 12>& p);

}  // namespace members
