// HYST12, the member rule of "STABILITY1": the segmented member procedure
// with one steel fibre section per segment, its first-yield and buckling
// events, and the set-up of the steel record (mesh, fibre states).
#pragma once

#include <array>

#include "members/member_rule.h"
#include "members/steel/steel_member_record.h"
#include "members/steel/steel_section.h"

namespace members {

// What both steel families hand the skeleton: their sections and, at a
// traced set-up, the section mesh.
class SteelFamily : public MemberFamily {
 public:
  SteelFamily(SegmentSection& section, SectionLayout layout, const StbMem& rec);
  void trace_setup(const MemberCall& c) const override;

 private:
  StbMem rec_;
};

// "STABILITY1": one section per segment, the curvature totals of each
// segment, and the first-yield and buckling events with their messages.
class SteelAverageFamily final : public SteelFamily {
 public:
  SteelAverageFamily(SegmentSection& section, const StbMem& rec);
  void clear_segment(int iseg) const override;
  void segment_deformed(int iseg, const EndDeformation& d) const override;
  void segment_evaluated(const MemberCall& c, int iseg, const EndDeformation& d) const override;
  void stiffness_parameter(const MemberCall& c, float sp) const override;

 private:
  CurvatureTotals totals_;
  Col lflag_;
};

// The procedure's arrays of a "STABILITY1" record.
MemberArrays steel_member_arrays(const StbMem& rec);

// The words of a steel set the rule reads.
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

// Option 3 runs the state determination, any other option the set-up (mesh,
// fibre states and the procedure's set-up), on the record rec.
void hyst12(int iopt, const SteelMemberSet& set, MemberState& s, const StbMem& rec,
            const MemberCall& c, std::array<float, 12>& p);

}  // namespace members
