#include "members/steel/steel_member_rule.h"

#include "base/globals.h"
#include "fio/fio.h"

namespace members {

SteelFamily::SteelFamily(SegmentSection& section, SectionLayout layout, const StbMem& rec)
    : MemberFamily(section, layout), rec_(rec) {}

void SteelFamily::trace_setup(const MemberCall& c) const {
  trace_section_mesh({rec_.nump(), rec_.col(StbArray::U), rec_.col(StbArray::V), rec_.col(StbArray::AREA),
                      rec_.col(StbArray::FLEN)},
                     c.ielno);
}

SteelAverageFamily::SteelAverageFamily(SegmentSection& section, const StbMem& rec)
    : SteelFamily(section, SectionLayout::average, rec),
      totals_{rec.col(StbArray::CU), rec.col(StbArray::CV)},
      lflag_(rec.col(StbArray::LFLAG)) {}

void SteelAverageFamily::clear_segment(int iseg) const { totals_.clear(iseg); }

void SteelAverageFamily::segment_deformed(int iseg, const EndDeformation& d) const {
  totals_.add(iseg, d.dcu1, d.dcv1);
}

// The section raised first yield (code 1, once-flag 1): the message once.
void SteelAverageFamily::segment_evaluated(const MemberCall& c, int iseg, const EndDeformation&) const {
  if (*c.state == 1.0f && lflag_(kFlagFirstYield) == 1.0f) {
    fio::write(6,
               "(/,'**** STABILITY ELEMENT ',I10,' SEGMENT NO. ',I10,"
               "' REACHES FIRST YIELD, MY DEFINED',/,'     AT STEP= ',I5,/)",
               c.ielno, iseg, kv::solsta().istep);
    lflag_(kFlagFirstYield) = 2.0f;
  }
}

// A stiffness parameter at or below zero: the member buckled (code 5), once.
void SteelAverageFamily::stiffness_parameter(const MemberCall& c, float sp) const {
  if (sp <= 0.0f && lflag_(kFlagBuckled) == 0.0f) {
    *c.state = 5.0f;
    lflag_(kFlagBuckled) = 1.0f;
  }
  if (*c.state == 5.0f && lflag_(kFlagBuckled) == 1.0f) {
    fio::write(6, "(/,'**** STABILITY ELEMENT ',I10,' BUCKLED, SP= ',E15.6,/)", c.ielno, sp);
    lflag_(kFlagBuckled) = 2.0f;
  }
}

MemberArrays steel_member_arrays(const StbMem& rec) {
  MemberArrays m;
  m.nseg = rec.nseg();
  m.idofr = rec.col(StbArray::IDOFR);
  m.irotr = rec.col(StbArray::IROTR);
  m.beta = rec.col(StbArray::BETA);
  m.ulpe = rec.col(StbArray::ULPE);
  m.vlpe = rec.col(StbArray::VLPE);
  m.zseg = rec.zseg();
  m.slen = rec.col(StbArray::SLEN);
  m.dtot = rec.col(StbArray::DTOT);
  m.dinc = rec.col(StbArray::DINC);
  m.dimp = rec.col(StbArray::DIMP);
  m.chord = rec.col(StbArray::CHORD);
  m.reserved = rec.table(StbArray::RESERVED);
  m.floc = rec.table(StbArray::FLOC);
  m.fglo = rec.table(StbArray::FGLO);
  m.dglo = rec.table(StbArray::DGLO);
  m.dcos = rec.table(StbArray::DCOS);
  m.dcos0 = rec.table(StbArray::DCOS0);
  m.asato = rec.square(StbArray::ASATO);
  m.eeasat = rec.square(StbArray::EEASAT);
  m.te = rec.square(StbArray::TE);
  m.w = rec.square(StbArray::W);
  m.asat = rec.square(StbArray::ASAT);
  m.asath = rec.data(StbArray::ASATH);
  m.mdr = rec.col(StbArray::MDR);
  m.dfinc = rec.col(StbArray::DFINC);
  m.fint = rec.col(StbArray::FINT);
  m.xv = rec.col(StbArray::XV);
  m.rv = rec.col(StbArray::RV);
  m.sks = rec.sks();
  m.eccx = rec.col(StbArray::ECCX);
  m.eccy = rec.col(StbArray::ECCY);
  return m;
}

void reset_section_fibres(const StbMem& rec, const SegTable& useg, const SegTable& vseg,
                          const SegTable& e0, const SegTable& e1, const SegTable& e2, float ey) {
  const Col u = rec.col(StbArray::U), v = rec.col(StbArray::V);
  for (int j = 1; j <= rec.nump(); ++j) {
    for (int i = 1; i <= rec.nseg(); ++i) {
      useg(i, j) = u(j);
      vseg(i, j) = v(j);
      e0(i, j) = 0.0f;
      e1(i, j) = ey;
      e2(i, j) = -ey;
    }
  }
}

MemberWords steel_member_setup_words(const SteelMemberSet& set, const StbMem& rec) {
  const auto nn = static_cast<std::size_t>(rec.nump());
  const MeshResult mesh = ecclib(set.section.words, {{rec.data(StbArray::U), nn},
                                                     {rec.data(StbArray::V), nn},
                                                     {rec.data(StbArray::AREA), nn},
                                                     {rec.data(StbArray::FLEN), nn}});
  const SteelLaw& law = set.section.law;
  for (int j = 1; j <= rec.nump(); ++j) {
    rec.col(StbArray::BKFLAG)(j) = 0.0f;
    rec.col(StbArray::ET)(j) = law.em;
  }
  reset_section_fibres(rec, rec.table(StbArray::USEG), rec.table(StbArray::VSEG),
                       rec.table(StbArray::E0), rec.table(StbArray::E1), rec.table(StbArray::E2),
                       law.ey);
  MemberWords w = set.member;
  w.iecop = mesh.iecop;
  w.ulp = mesh.ulp;
  w.vlp = mesh.vlp;
  return w;
}

void hyst12(int iopt, const SteelMemberSet& set, MemberState& s, const StbMem& rec,
            const MemberCall& c, std::array<float, 12>& p) {
  const MemberArrays m = steel_member_arrays(rec);
  const SteelFibreArrays fa = average_section_arrays(rec);
  if (iopt != 3) {
    const MemberWords w = steel_member_setup_words(set, rec);
    SteelSection section(fa, set.section, c.state);
    const SteelAverageFamily family(section, rec);
    member_setup(m, w, s, family, c);
    return;
  }
  SteelSection section(fa, set.section, c.state);
  const SteelAverageFamily family(section, rec);
  member_state(m, set.member, s, family, c, p);
}

}  // namespace members
