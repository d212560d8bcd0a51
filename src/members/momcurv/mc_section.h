// The moment-curvature segment section (PRINC18): bending about U follows the
// section rule on the segment's backbone; the axial, V-bending and torsional
// rigidities are the set's elastic constants. Before the rule, the member's
// curvature limits are checked on the segment's new total curvature.
#pragma once

#include <cstdint>
#include <vector>

#include "members/momcurv/mc_section_head.h"
#include "members/momcurv/mc_section_rule.h"
#include "members/section_state.h"
#include "members/member_views.h"

namespace members::momcurv {

// A typed view of a set's member record: prop is the set's 1-based PROP view.
struct McMemberRecord {
  float* prop = nullptr;
  McLayout layout;

  float* array(int k) const { return prop + layout.start[static_cast<std::size_t>(k)]; }
  SegTable table(int k) const { return SegTable{array(k), layout.nseg}; }
  SegBackbones backbones(int end) const {
    const bool b = end == 2;
    return {array(b ? kSEGPA2 : kSEGPA), array(b ? kSEGPM2 : kSEGPM), array(b ? kSEGPC2 : kSEGPC), layout.nseg,
            layout.na, layout.nc};
  }
};

// The set's words the section reads.
struct McSectionParams {
  float em = 0.0f, tota = 0.0f, iv = 0.0f, j = 0.0f, g = 0.0f;
  int ielas = 1;
  int irev3 = 0;
  int na = 1;
  float pcmax = 0.0f;
  float curnm = 0.0f;
  int ielno = 0;
  bool trace = false;
};
McSectionParams mc_section_params(const float* prop, int ielno, bool trace);

class McSection final : public SegmentSection {
 public:
  // flp: the member's limit word.
  McSection(const McMemberRecord& rec, const McSectionParams& p, float* flp);
  SectionResponse evaluate(SectionCall& call) override;
  bool u_bending_only() const override { return true; }

 private:
  void curvature_checks(int iseg, float cu);

  McMemberRecord rec_;
  McSectionParams p_;
  float* flp_;
  std::vector<float> bkm_, bkc_;  // the backbone of the section in hand
};

// The backbone table copied to every segment (both ends' tables for type
// 180), every section virgin.
void start_sections(const McMemberRecord& rec);

}  // namespace members::momcurv
