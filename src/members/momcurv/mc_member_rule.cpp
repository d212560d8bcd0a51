#include "members/momcurv/mc_member_rule.h"

#include "members/rc/rc_member_rule.h"
#include "members/section_set_head.h"

namespace members::momcurv {

namespace {

constexpr bool same(int a, int b) { return a == b; }

// The member procedure's arrays and words stand where the R/C set has them.
static_assert(same(kLMSEG, rc::kLMSEG) && same(kDSEG, rc::kDSEG) && same(kSEGPA, rc::kE0) && same(kET, rc::kET) &&
              same(kRSEG, rc::kRSEG) && same(kASTF, rc::kASTF) && same(kECCYR, rc::kECCYR) &&
              same(kMCST, rc::kFSTATE) && same(kC44, rc::kC44));
static_assert(same(kNSEG, kHeadNseg) && same(kSMALL, kHeadSmall) && same(kRATIX0, kHeadRatix0) &&
              same(kRATIY0, kHeadRatiy0) && same(kIECOP, kHeadIecop) && same(kISTIF, kHeadIstif) &&
              same(kIAUTO, kHeadIauto) && same(kQRNEE, kHeadQrnee));

}  // namespace

MemberArrays mc_member_arrays(const McMemberRecord& rec) {
  // The section keeps its own curvature (MCST) and the member no steel limit
  // flags; no fibre mesh to trace.
  MemberArrays m = rc::record_member_arrays(rec.prop, rec.layout.start.data(), rec.layout.nseg);
  if (rec.layout.type == kNodalEndType) {
    // Both end sections keep the principal angle 0: the frame's mean angle
    // is BETA itself.
    m.betam = m.beta;
  }
  return m;
}

MemberWords mc_member_words(const float* prop) {
  MemberWords w = set_member_words(prop);
  if (w.iecop == 1) {
    w.ulp = prop[kECCX0];
    w.vlp = prop[kECCY0];
  }
  return w;
}

void hyst18(int iopt, const float* prop, const McMemberRecord& rec, MemberState& s, int ielno, bool trace,
            float* flp, std::array<float, 12>& p) {
  const MemberArrays m = mc_member_arrays(rec);
  const MemberWords w = mc_member_words(prop);
  MemberCall mc;
  mc.ielno = ielno;
  mc.trace = trace;
  mc.state = flp;
  McSection section(rec, mc_section_params(prop, ielno, trace), flp);
  const MemberFamily family(
      section, rec.layout.type == kNodalEndType ? SectionLayout::nodal_ends : SectionLayout::average);
  if (iopt == 3) {
    member_state(m, w, s, family, mc, p);
    return;
  }
  *flp = 0.0f;
  start_sections(rec);
  member_setup(m, w, s, family, mc);
}

}  // namespace members::momcurv
