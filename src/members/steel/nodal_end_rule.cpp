#include "members/steel/nodal_end_rule.h"

#include "members/steel/nodal_end_section.h"

namespace members {

MemberArrays nodal_end_member_arrays(const StbEndMem& rec) {
  MemberArrays m = steel_member_arrays(rec.steel());
  m.betam = rec.col(StbEndArray::BETAM);
  return m;
}

void hyst12b(int iopt, const SteelMemberSet& set, MemberState& s, const StbEndMem& rec,
             const MemberCall& c, std::array<float, 12>& p) {
  *c.state = 0.0f;
  const MemberArrays m = nodal_end_member_arrays(rec);
  const NodalEndArrays a = nodal_end_arrays(rec);
  if (iopt != 3) {
    const MemberWords w = steel_member_setup_words(set, rec.steel());
    const NodalEndArrays::End& b = a.end[1];
    reset_section_fibres(rec.steel(), b.useg, b.vseg, b.e0, b.e1, b.e2, set.section.law.ey);
    for (int i = 1; i <= m.nseg; ++i) b.beta(i) = 0.0f;
    NodalEndSection section(a, set.section, c.state);
    const SteelFamily family(section, SectionLayout::nodal_ends, rec.steel());
    member_setup(m, w, s, family, c);
    return;
  }
  NodalEndSection section(a, set.section, c.state);
  const SteelFamily family(section, SectionLayout::nodal_ends, rec.steel());
  member_state(m, set.member, s, family, c, p);
}

}  // namespace members
