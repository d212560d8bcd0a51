// The per-segment routines of the segmented member that every member rule
// shares: eccentric loading points (ECCENT, TRANK), the segment stiffness
// (SEGSTF, TAPSTF) and the segment force recovery (CLDAF3, LFADJUST,
// LFADJUSTB, CSLF2). Tables are the member's N x 12 views, segment index fastest.
#pragma once

#include <array>

#include "members/segment_kinematics.h"
#include "members/member_views.h"

namespace members {

// ECCENT: the eccentricities (ECCX, ECCY; entry 1 end A, 2 end B) of the
// loading points (ulpe, vlpe) from the reference point (uc0, vc0), turned by
// the end twists; segment 1 sets end A, segment nseg end B.
void eccent(int nseg, int iseg, float uc0, float vc0, float roza, float rozb, const Col& ulpe,
            const Col& vlpe, const Col& eccx, const Col& eccy, bool trace);

// TRANK: te := the rigid-offset transformation of the two eccentricities (12 x
// 12, column by column); k := te' k te.
void trank(float* k, const Col& eccx, const Col& eccy, float* te);

enum StiffnessOption : int {
  kStiffnessStabilityFunctions = 0,  // exact beam-column stiffness (SEGSTF only)
  kStiffnessLinearised = 1,
};

// The rigidities of one section.
struct Rigidities {
  float ea = 0.0f, eiu = 0.0f, eiv = 0.0f, gj = 0.0f;
};

using Mat12d = std::array<double, 144>;

// SEGSTF: the local 12 x 12 stiffness of segment iseg from one set of
// rigidities and its axial force FLOC(iseg, 3) (compression positive), stored
// into SKS(iseg) as well. An exact form whose determinant vanishes (the
// segment at its own buckling load) takes the linearised form with a warning.
// `exact`, when given, receives the same matrix formed in double, for the
// member condensation.
Mat12 segstf(int iseg, int ielno, bool trace, int istif, const Rigidities& r, float len,
             const SegTable& floc, const SegMatrices& sks, Mat12d* exact = nullptr);

// TAPSTF: the same from the rigidities of both end sections (linearised form
// only; ISTIF 0 stops the run with its note).
Mat12 tapstf(int iseg, int ielno, bool trace, int istif, const Rigidities& r1,
             const Rigidities& r2, float len, const SegTable& floc, const SegMatrices& sks);

// CLDAF3: with the segment's previous frame, its member-axis increments
// DGLO(iseg) become local force increments through SKS(iseg), added to
// FLOC(iseg); FGLO(iseg) := T' FLOC(iseg). The caller gets back T.
Mat12 cldaf3(const Frame& previous, int iseg, const SegTable& dglo, const SegMatrices& sks,
             const SegTable& fglo, const SegTable& floc, bool trace);

// LFADJUST: the segment's local forces made to agree with its section forces
// FLOCA(iseg, 3..5) (each pair only where its end product is <= 0), the shears
// from moment equilibrium with the P-delta term of the ends' offsets.
// u_only (the moment-curvature sections, whose only section force is the
// moment about U): the U moments and their shears alone.
void lfadjust(const SegTable& floca, const SegTable& floc, int iseg, float chord, int ielno,
              const LocalEnds& e, bool trace, bool u_only = false);
// LFADJUSTB: axial forces and moments of both ends taken from the two end
// sections (FLOCA 3-5 and 9-11), the shears as LFADJUST. u_only: the U
// moments (4, 10) and their shears alone.
void lfadjustb(const SegTable& floca, const SegTable& floc, int iseg, float chord, int ielno,
               const LocalEnds& e, bool trace, bool u_only = false);

// The segment's local forces FLOC(iseg) re-expressed in its section axes
// turned by `turn` about the chord (a new principal angle): the shears and
// moments along U and V at both ends turn; the axial forces and torsions
// stay. The forces themselves do not change, only the axes they are read in.
void turn_segment_forces(const SegTable& floc, int iseg, float turn);

// CSLF2: FGLO(iseg) := T' FLOC(iseg) with the renewed frame.
void cslf2(const Mat12& t, int iseg, const SegTable& floc, const SegTable& fglo, bool trace);

}  // namespace members
