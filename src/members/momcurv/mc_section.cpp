#include "members/momcurv/mc_section.h"

#include <cmath>

#include "fio/fio.h"
#include "members/section_set_head.h"

namespace members::momcurv {

McSectionParams mc_section_params(const float* prop, int ielno, bool trace) {
  McSectionParams p;
  p.em = prop[kEM];
  p.tota = prop[kTOTA];
  p.iv = prop[kIV];
  p.j = prop[kJ];
  p.g = prop[kG];
  p.ielas = head_int(prop, kIELAS);
  p.irev3 = head_int(prop, kIREV3);
  p.na = head_int(prop, kNA);
  p.pcmax = prop[kPCMAX];
  p.curnm = prop[kCURNM];
  p.ielno = ielno;
  p.trace = trace;
  return p;
}

McSection::McSection(const McMemberRecord& rec, const McSectionParams& p, float* flp)
    : rec_(rec),
      p_(p),
      flp_(flp),
      bkm_(static_cast<std::size_t>(rec.layout.nc)),
      bkc_(static_cast<std::size_t>(rec.layout.nc)) {}

void McSection::curvature_checks(int iseg, float cu) {
  if (!(p_.pcmax > 0.0f) || p_.na != 1) return;
  const float cur = std::fabs(cu);
  const float curpls = cur - p_.curnm;
  if (curpls >= 0.0f && *flp_ < 3.0f) {
    fio::write(6, "(/,'**** STABILITY ELEMENT ',I10,' SEGMENT NO. ',I10,' REACHES NOMINAL CURVATURE.',/,"
                  "'     CURNM: NOMINAL CURVATURE USER INPUT =',E15.6,/,'     CUR  : TOTAL CURVATURE =',E15.6,/)",
               p_.ielno, iseg, p_.curnm, cur);
    *flp_ = 3.0f;
  } else if (*flp_ < 10.0f && curpls >= p_.pcmax) {
    fio::write(6, "(/,'**** STABILITY ELEMENT ',I10,' SEGMENT NO. ',I10,' REACHES MAXIMUM PLASTIC CURVATURE OF ',"
                  "'CURPLS = ',E15.6,/,'     PCMAX: MAXIMUM USER INPUT PLASTIC CURVATURE =',E15.6,/,"
                  "'     CUR  : TOTAL CURVATURE =',E15.6,/)",
               p_.ielno, iseg, curpls, p_.pcmax, cur);
    *flp_ = 10.0f;
  }
}

SectionResponse McSection::evaluate(SectionCall& call) {
  const int iseg = call.iseg;
  const int end = call.end;
  const SegTable mcst = rec_.table(end == 2 ? kMCST2 : kMCST);
  const SegTable mcstp = rec_.table(end == 2 ? kMCSTP2 : kMCSTP);
  if (!call.setup && end == 0) {
    mcstp(iseg, 1) = mcst(iseg, 1);
    mcst(iseg, 1) += call.dcu;
    curvature_checks(iseg, mcst(iseg, 1));
    mcstp(iseg, 2) = mcst(iseg, 2);
  } else if (!call.setup && end == 1) {
    // Both ends move before the checks, which take the larger curvature, and
    // before either end's rule.
    const SegTable mcst2 = rec_.table(kMCST2);
    const SegTable mcstp2 = rec_.table(kMCSTP2);
    mcstp(iseg, 1) = mcst(iseg, 1);
    mcstp2(iseg, 1) = mcst2(iseg, 1);
    mcst(iseg, 1) += call.dcu;
    mcst2(iseg, 1) += call.dcu_end2;
    curvature_checks(iseg, std::fmax(std::fabs(mcst(iseg, 1)), std::fabs(mcst2(iseg, 1))));
    mcstp(iseg, 2) = mcst(iseg, 2);
    mcstp2(iseg, 2) = mcst2(iseg, 2);
  }

  McRuleCall rc;
  rc.ielas = p_.ielas;
  rc.iseg = iseg;
  rc.nend = end;
  rc.ielno = p_.ielno;
  rc.trace = p_.trace;
  rc.irev3 = p_.irev3;
  rc.dcu = call.dcu;
  const McRuleResult r = mcrule(rc, rec_.backbones(end), mcst, mcstp, rec_.table(kFLOC), *flp_, bkm_, bkc_);

  SectionResponse s;
  s.ea = p_.em * p_.tota;
  s.eiu = r.eiu;
  s.eiv = p_.em * p_.iv;
  s.gj = p_.g * p_.j;
  s.mu = r.mu;
  mcst(iseg, 2) = r.mu;
  if (p_.trace) {
    const float beta = rec_.array(kBETA)[iseg - 1];
    if (end == 0) {
      fio::write(6, "(1X,'THE BETA,EA,EIU,EIV,MU AT ELEMENT ',I3,' SEG. ',I3,':',/)", p_.ielno, iseg);
    } else {
      fio::write(6, "(1X,'THE BETA,EA,EIU,EIV,MU AT ELEMENT ',I3,' SEG. ',I3,'NODAL END',I5,/)", p_.ielno, iseg, end);
    }
    fio::write(6, "(1P,5E15.6,/)", beta, s.ea, s.eiu, s.eiv, s.mu);
    if (end == 0) {
      fio::write(6, "('1','ELEMENT',I3,'SEGMENT',I3,' AVERAGE LOCAL MOMENTS(FLOCA)',' IN U-DIRECTION (FROM PRINC):',/,"
                    "1X,'DOF  4=',E15.6,/,1X,'DOF 10=',E15.6)",
                 p_.ielno, iseg, -s.mu, s.mu);
    } else {
      fio::write(6, "('1','ELEMENT',I3,'SEGMENT',I3,'NODAL END',I3,'SEGMENT LOCAL FORCES (FLOCA)','(FROM PRINC):',/,"
                    "1X,A,E15.6)",
                 p_.ielno, iseg, end, end == 1 ? "DOF 4=" : "DOF 10=", end == 1 ? -s.mu : s.mu);
    }
  }
  return s;
}

void start_sections(const McMemberRecord& rec) {
  const McLayout& l = rec.layout;
  const McTable t = mc_table(l.na, l.nc);
  const int ends = l.type == kNodalEndType ? 2 : 1;
  for (int e = 1; e <= ends; ++e) {
    const SegBackbones b = rec.backbones(e);
    float* pa = rec.array(e == 2 ? kSEGPA2 : kSEGPA);
    float* pm = rec.array(e == 2 ? kSEGPM2 : kSEGPM);
    float* pc = rec.array(e == 2 ? kSEGPC2 : kSEGPC);
    for (int i = 1; i <= l.nseg; ++i) {
      for (int k = 1; k <= l.na; ++k) {
        pa[static_cast<std::int64_t>(k - 1) * l.nseg + i - 1] = rec.prop[t.pa + k - 1];
        for (int j = 1; j <= l.nc; ++j) {
          const std::int64_t src = static_cast<std::int64_t>(k - 1) * l.nc + j - 1;
          pm[b.offset(i, k, j)] = rec.prop[t.pm + src];
          pc[b.offset(i, k, j)] = rec.prop[t.pc + src];
        }
      }
    }
    const SegTable mcst = rec.table(e == 2 ? kMCST2 : kMCST);
    const SegTable mcstp = rec.table(e == 2 ? kMCSTP2 : kMCSTP);
    for (int i = 1; i <= l.nseg; ++i) {
      for (int c = 1; c <= kMcNump; ++c) mcst(i, c) = mcstp(i, c) = 0.0f;
      mcst(i, 3) = kVirginRule;
    }
  }
}

}  // namespace members::momcurv
