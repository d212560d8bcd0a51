#include "members/rc/rc_section.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "base/globals.h"
#include "fio/fio.h"
#include "members/rc/concrete_fibre.h"
#include "members/rc/rc_section_head.h"
#include "members/rc/steel_fibre.h"
#include "members/fibre_section.h"

namespace members::rc {

namespace {

constexpr float kBetaWarning = 0.349f;  // 20 degrees
constexpr int kFlagCoreStrain = 8;
constexpr int kFlagDeadSection = 20;    // once-flag of the "no stiffness" warning
constexpr float kDeadFraction = 1.0e-6f;  // of the set-up EA: below it the section has no stiffness left
constexpr int kFlags = 20;

struct SteelRange {
  int first = 1;
  int last = 0;
};

// The steel fibres of a section kind (mesh order).
SteelRange steel_fibres(int libn, int nq, int nump, int nbar1, int nbar2, int nbar3) {
  switch (libn) {
    case kCircularShell: return {4 * nq + 1, 8 * nq};
    case kCircularBars: return {nump - nbar1 + 1, nump};
    case kRectangular: return {nump - (nbar1 + nbar2 + 2 * nbar3) + 1, nump};
    default: return {};
  }
}

// The mesh counts of the concrete law's fibre ranges.
ConcreteSection concrete_counts(const float* prop) {
  ConcreteSection cs;
  cs.ielas = head_int(prop, kIELAS);
  cs.imater = head_int(prop, kIMATER);
  cs.n1 = head_int(prop, kN1);
  cs.n2 = head_int(prop, kN2);
  cs.nbar1 = head_int(prop, kNBAR1);
  cs.nbar2 = head_int(prop, kNBAR2);
  cs.nbar3 = head_int(prop, kNBAR3);
  return cs;
}

}  // namespace

float torrc(int libn, float tota, std::span<const float> length) {
  if (libn == kRectangular) {
    if (length.size() < 2 || length[0] == 0.0f) return 0.0f;
    const float a = length[0], b = length[1];
    return a * b * b * b * (5.3333f - 3.36f * (b / a) * (1.0f - b * b * b * b / (12.0f * a * a * a * a)));
  }
  const float r = std::sqrt(std::fmax(tota, 0.0f) / 3.14159f);
  return 3.1415925f * r * r * r * r / 2.0f;
}

RcSectionArrays rc_section_arrays(const RcMemberRecord& rec, int end) {
  RcSectionArrays a;
  a.nseg = rec.layout.nseg;
  a.nump = rec.layout.nump;
  a.u = rec.array(kU);
  a.v = rec.array(kV);
  a.area = rec.array(kAREA);
  a.length = rec.array(kLENGTH);
  a.et = rec.array(kET);
  a.strain = rec.array(kSTRAIN);
  a.rigid = rec.array(kSEGW);
  const bool twin = end == 2 && rec.layout.type == kNodalEndType;
  if (twin) {
    a.beta = rec.array(k170BETAB);
    a.useg = rec.array(k170USEGB);
    a.vseg = rec.array(k170VSEGB);
    a.e0 = rec.array(k170E0B);
    a.e1 = rec.array(k170E1B);
    a.e2 = rec.array(k170E2B);
    a.de = rec.array(k170DEB);
    a.stress = rec.array(k170STRESSB);
    a.fstate = rec.array(k170FSTATEB);
    a.c51 = rec.array(k170C51B);
    a.c52 = rec.array(k170C52B);
    a.c53 = rec.array(k170C53B);
    a.rigid += 4 * a.nseg;  // columns 5-8 of SEGW for the second end
  } else {
    a.beta = rec.array(kBETA);
    a.useg = rec.array(kUSEG);
    a.vseg = rec.array(kVSEG);
    a.e0 = rec.array(kE0);
    a.e1 = rec.array(kE1);
    a.e2 = rec.array(kE2);
    a.de = rec.array(kDE);
    a.stress = rec.array(kSTRESS);
    a.fstate = rec.array(kFSTATE);
    a.c51 = rec.array(kC51);
    a.c52 = rec.array(kC52);
    a.c53 = rec.array(kC53);
  }
  a.lsonce = rec.array(rec.layout.type == kNodalEndType ? static_cast<int>(k170LSONCE) : static_cast<int>(k17LSONCE));
  return a;
}

RcSectionParams rc_section_params(float* prop, float fslap, int ielno, bool trace) {
  RcSectionParams p;
  p.prop = prop;
  p.ecu = &prop[kECU];
  p.esu = &prop[kESU];
  p.ecr = &prop[kECR];
  p.fslap = fslap;
  p.ielno = ielno;
  p.trace = trace;
  return p;
}

void start_fibres(const RcSectionArrays& a, const float* prop) {
  const int n = a.nseg, nump = a.nump;
  const int libn = head_int(prop, kLIBN);
  const int nq = head_int(prop, kN1);
  const float em = prop[kEM];
  const float ey = prop[kYS] / em;
  const float fpc = prop[kFPC];
  const float ec = 57000.0f * std::sqrt(std::fmax(fpc, 0.0f));
  const float c51 = head_int(prop, kIR) == 1 ? 9.0f * std::sqrt(std::fmax(fpc, 0.0f)) : 0.0f;
  auto at = [n](int i, int k) { return static_cast<std::size_t>(i - 1) + static_cast<std::size_t>(k - 1) * n; };
  for (int i = 1; i <= n; ++i) {
    a.beta[i - 1] = 0.0f;
    for (int k = 1; k <= nump; ++k) {
      a.useg[at(i, k)] = a.u[k - 1];
      a.vseg[at(i, k)] = a.v[k - 1];
    }
  }
  const SteelRange st = steel_fibres(libn, nq, nump, head_int(prop, kNBAR1), head_int(prop, kNBAR2),
                                     head_int(prop, kNBAR3));
  if (libn != kCircularShell && libn != kCircularBars && libn != kRectangular) return;
  for (int k = 1; k <= nump; ++k) {
    const bool steel = k >= st.first && k <= st.last;
    a.et[k - 1] = steel ? em : ec;
    for (int i = 1; i <= n; ++i) {
      const std::size_t w = at(i, k);
      a.e0[w] = 0.0f;
      if (steel) {
        a.e1[w] = ey;
        a.e2[w] = -ey;
      } else {
        a.fstate[w] = 0.0f;
        a.c51[w] = c51;
        a.e1[w] = c51 / ec;
        a.e2[w] = -0.004f;
      }
    }
  }
}

RcSection::RcSection(const RcSectionArrays& a, const RcSectionParams& p, float* flp)
    : a_(a), p_(p), flp_(flp) {
  float sa = 0.0f, su = 0.0f, sv = 0.0f;
  for (int k = 0; k < a_.nump; ++k) {
    sa += a_.area[k];
    su += a_.area[k] * a_.u[k];
    sv += a_.area[k] * a_.v[k];
  }
  if (sa != 0.0f) {
    uc_mesh_ = su / sa;
    vc_mesh_ = sv / sa;
  }
  const float* prop = p_.prop;
  gkt_ = torrc(head_int(prop, kLIBN), prop[kTOTA],
               std::span<const float>(a_.length, static_cast<std::size_t>(a_.nump))) *
         prop[kG];
}

void RcSection::run_laws(int iseg, int end, bool setup) const {
  const float* prop = p_.prop;
  const int imater = head_int(prop, kIMATER);
  if (imater != kCircularShell && imater != kCircularBars && imater != kRectangular) return;
  if (!(*p_.esu > 0.0f)) *p_.esu = 0.09f;

  SectionFibres fb;
  fb.nseg = a_.nseg;
  fb.iseg = iseg;
  fb.nump = a_.nump;
  fb.e0 = a_.e0;
  fb.e1 = a_.e1;
  fb.e2 = a_.e2;
  fb.de = a_.de;
  fb.stress = a_.stress;
  fb.fstate = a_.fstate;
  fb.c51 = a_.c51;
  fb.c52 = a_.c52;
  fb.c53 = a_.c53;
  fb.strain = a_.strain;
  fb.et = a_.et;
  const MemberLimits limits{flp_, a_.lsonce - 1};

  const int ielas = head_int(prop, kIELAS);
  SteelSection ss;
  ss.ielas = ielas;
  ss.imater = imater;
  ss.n1 = head_int(prop, kN1);
  ss.nbar1 = head_int(prop, kNBAR1);
  ss.nbar2 = head_int(prop, kNBAR2);
  ss.nbar3 = head_int(prop, kNBAR3);
  ss.law.em = prop[kEM];
  ss.law.ey = prop[kYS] / prop[kEM];
  ss.law.esh = prop[kRATIO3] * prop[kEM];
  ss.ys = prop[kYS];
  ss.esu = *p_.esu;
  ss.ecr = *p_.ecr;
  ss.fslap = p_.fslap;
  ss.splice = prop[kSPLICE];
  ss.ke = prop[kKE];
  ss.debug = p_.trace;
  ss.ielno = p_.ielno;
  ss.nend = end;
  stltan(ss, fb, limits);

  ConcreteSection cs = concrete_counts(prop);
  cs.conf = confinement_input(prop);
  cs.ys = ss.ys;
  cs.fslap = p_.fslap;
  cs.splice = ss.splice;
  cs.setup = setup;
  cs.debug = p_.trace;
  cs.ielno = p_.ielno;
  cs.nend = end;
  contan(cs, fb, *p_.ecu, limits);
}

void RcSection::core_strain(int iseg) const {
  const float* prop = p_.prop;
  const ConcreteSection cs = concrete_counts(prop);
  FibreRange cover, core;
  concrete_ranges(cs, a_.nump, cover, core);
  int count = 0;
  float sum = 0.0f;
  for (int k = core.first; k <= core.last; ++k) {
    const float e = a_.strain[k - 1];
    if (e < 0.0f) {
      ++count;
      sum += e;
    }
  }
  if (count == 0 || a_.lsonce[kFlagCoreStrain - 1] != 0.0f) return;
  const float mean = sum / static_cast<float>(count);
  if (!(-mean > *p_.ecu)) return;
  fio::write(6, "('**** STABILITY ELE. ',I5,'SEG. ',I5,' AT STEP:',I5)", p_.ielno, iseg, kv::solsta().istep);
  fio::write(6, "('AVERAGE CONCRETE STRAIN IS GREATER THAN ECU OF ',E15.6)", *p_.ecu);
  fio::write(6, "('AVERAGE CONCRETE STRAIN IS ',E15.6,' TOTAL # OF COMP. CROSS SEC ELES = ',I5)", mean, count);
  *flp_ = 8.0f;
  a_.lsonce[kFlagCoreStrain - 1] = 1.0f;
}

// The section's view for the axial passes: the fibre laws advance the record
// in place, so every pass starts from the entry state (fibre rows, once-flags,
// angle and limit word), then the core's average strain is checked; the
// pass's angle and principal coordinates are the section's at once.
struct RcSection::Passes {
  const RcSection& sec;
  int iseg;
  int end;
  bool setup;
  EntryState entry;
  float beta_entry;

  float beta_prev() const { return sec.a_.beta[iseg - 1]; }
  std::size_t at(int k) const {
    return static_cast<std::size_t>(iseg - 1) + static_cast<std::size_t>(k - 1) * sec.a_.nseg;
  }

  void pass(const SectionCall& call, SectionSums& s, float& ea, float& axial) const {
    const RcSectionArrays& a = sec.a_;
    const int nump = a.nump;
    const float* prop = sec.p_.prop;
    const int ielas = head_int(prop, kIELAS);
    const int imater = head_int(prop, kIMATER);
    entry.restore();
    for (int k = 1; k <= nump; ++k) {
      const std::size_t w = at(k);
      const float de = call.dec + call.dcu * a.vseg[w] - call.dcv * a.useg[w];
      a.de[w] = de;
      const float eps = a.e0[w] + de;
      a.strain[k - 1] = eps;
      a.e0[w] = eps;
    }
    sec.run_laws(iseg, end, setup);
    if ((ielas != 0 || end != 0) && imater >= kCircularShell && imater <= kRectangular) sec.core_strain(iseg);
    for (int k = 1; k <= nump; ++k) add_fibre(s, a.et[k - 1] * a.area[k - 1], a.u[k - 1], a.v[k - 1]);
    ea = s.ea0;
    for (int k = 1; k <= nump; ++k) axial += a.stress[at(k)] * a.area[k - 1];
  }

  void axes_found(const SectionSums& s, const PrincipalAxes& ax) const {
    const RcSectionArrays& a = sec.a_;
    const RcSectionParams& p = sec.p_;
    const float* prop = p.prop;
    const int istep = kv::solsta().istep;
    a.beta[iseg - 1] = ax.beta;
    if (p.trace) {
      fio::write(6, "('1THE STABILITY MEMBER ',I5,' SECTION ',I5)", p.ielno, iseg);
      fio::write(6, "('EA0,ESV0,ESU0,EIU0,EIV0,EIUV0:',1P,6E15.5)", s.ea0, s.esv0, s.esu0, s.eiu0, s.eiv0,
                 s.eiuv0);
      fio::write(6, "('THE UC0 ,VC0,EIU1,EIV1,EIUV1:',1P,5E15.6)", ax.uc0, ax.vc0, ax.eiu1, ax.eiv1, ax.eiuv1);
      fio::write(6, "('@@IELNO=',I4,'ISEG=',I4,': THE BETA(previous), BETA,EA,EIU,EIV,EIUV:',/,1P,6E15.6)",
                 p.ielno, iseg, beta_entry, ax.beta, ax.ea, ax.eiu, ax.eiv, ax.eiuv);
      fio::write(6, "('LIBN   TOTA   G     BJ     GKT :',I5,1P,4E15.6)", head_int(prop, kLIBN), prop[kTOTA],
                 prop[kG], prop[kG] != 0.0f ? sec.gkt_ / prop[kG] : 0.0f, sec.gkt_);
    }
    const float change = std::fabs(ax.beta - beta_entry);
    if (end == 0 && !setup && change > kBetaWarning) {
      fio::write(6, "('**** WARNING: BETA FOR STABILITY ELEMENT',I5,'SEG. ',I5,"
                    "'IS GREATER THAN 20 degrees (0.349 rad.) ',' AT STEP=',I5,'BETA CHANGE =',E15.6,/,"
                    "'PROGRAM CONTINUE....')", p.ielno, iseg, istep, change);
      fio::write(6, "('@@IELNO=',I4,'ISEG=',I4,': THE BETA(previous), BETA,EA,EIU,EIV,EIUV:',/,(5E15.6))",
                 p.ielno, iseg, beta_entry, ax.beta, ax.ea, ax.eiu, ax.eiv, ax.eiuv);
    }
    const float cb = std::cos(ax.beta), sb = std::sin(ax.beta);
    for (int k = 1; k <= a.nump; ++k) {
      const TurnedPoint t = turned(cb, sb, a.u[k - 1] - ax.uc0, a.v[k - 1] - ax.vc0);
      a.useg[at(k)] = t.u;
      a.vseg[at(k)] = t.v;
    }
    if (p.trace) {
      fio::write(6, "('THE U AND V IN PRINC1 SUBROUTINE')");
      for (int k = 1; k <= a.nump; ++k) fio::write(6, "(1P,2E15.6)", a.useg[at(k)], a.vseg[at(k)]);
    }
  }

  void warn_passes(int count, float daxial) const {
    if (end == 0) {
      warn_axial_passes(sec.p_.ielno, iseg, count, daxial);
    } else {
      fio::write(6, "(' **** WARNING: NO. OF ITERATION FOR STABILITY ELE',I5,'SEG. ',I5,'NODAL END',I2,"
                    "'IS GREATER THAN ',I5,' AT STEP=',I5,/)", sec.p_.ielno, iseg, end, count,
                 kv::solsta().istep);
    }
  }
};

SectionResponse RcSection::evaluate(SectionCall& call) {
  const int iseg = call.iseg;
  const int end = call.end;
  const int n = a_.nseg, nump = a_.nump;
  const float* prop = p_.prop;
  const int ielas = head_int(prop, kIELAS);
  const float target = call.target_axial;
  const float base = 0.005f * prop[kFPC] * prop[kTOTA];
  const int istep = kv::solsta().istep;

  const SegTable rows[] = {{a_.e0, n},  {a_.e1, n},  {a_.e2, n},  {a_.stress, n}, {a_.fstate, n},
                           {a_.c51, n}, {a_.c52, n}, {a_.c53, n}, {a_.useg, n},   {a_.vseg, n}};
  float* words[kFlags + 2];
  for (int f = 0; f < kFlags; ++f) words[f] = &a_.lsonce[f];
  words[kFlags] = &a_.beta[iseg - 1];
  words[kFlags + 1] = flp_;
  const float flp_entry = *flp_;
  Passes view{*this, iseg, end, call.setup, EntryState(rows, words, iseg, nump), a_.beta[iseg - 1]};
  const AxialPassResult pr = axial_passes(view, call, {ielas, base, true, uc_mesh_, vc_mesh_});
  const PrincipalAxes& ax = pr.ax;

  const OriginMoments m = origin_moments(ax, nump, [this, &view](int k) {
    return FibreForce{a_.u[k - 1], a_.v[k - 1], a_.stress[view.at(k)] * a_.area[k - 1]};
  });

  SectionResponse r = response_of(ax, gkt_);
  r.axial = section_axial(pr, target, ielas, end);
  r.mu = m.mu;
  r.mv = m.mv;

  // A section whose fibres have all lost their stiffness keeps the segment's
  // last usable rigidities: a zero rigidity would leave the member singular.
  // The fibre laws seldom leave exactly zero (cracked concrete and yielded
  // bars without hardening keep a trace), so an axial rigidity below a small
  // fraction of the set-up one (column 4, per end) counts as none.
  float* rigid = a_.rigid;
  const auto col = [n, iseg](int c) { return static_cast<std::size_t>(iseg - 1) + static_cast<std::size_t>(c - 1) * n; };
  if (call.setup) rigid[col(4)] = r.ea;
  const bool lost = !call.setup && !(r.ea >= kDeadFraction * rigid[col(4)]);
  if (ax.degenerate || ax.eiu1 == 0.0f || ax.eiv1 == 0.0f || lost) {
    r.ea = rigid[col(1)];
    r.eiu = rigid[col(2)];
    r.eiv = rigid[col(3)];
    if (a_.lsonce[kFlagDeadSection - 1] == 0.0f) {
      fio::write(6, "(' **** WARNING: STABILITY ELEMENT',I5,' SEG. ',I5,' AT STEP=',I5,"
                    "': THE SECTION HAS NO STIFFNESS LEFT; ITS LAST RIGIDITIES ARE KEPT')",
                 p_.ielno, iseg, istep);
      a_.lsonce[kFlagDeadSection - 1] = 1.0f;
    }
  } else {
    rigid[col(1)] = r.ea;
    rigid[col(2)] = r.eiu;
    rigid[col(3)] = r.eiv;
  }
  if (*flp_ != flp_entry) r.limit_code = *flp_;

  if (p_.trace) {
    if (end == 0) {
      fio::write(6, "('1ELEMENT',I3,'SEGMENT',I3,' AVERAGE LOCAL FORCES (FLOCA)','(FROM PRINC):')", p_.ielno, iseg);
      fio::write(6, "('DOFs 3, 4, 5=',3E15.6)", -r.axial, -r.mu, -r.mv);
      fio::write(6, "('DOFs 9,10,11=',3E15.6)", r.axial, r.mu, r.mv);
    } else {
      fio::write(6, "('1ELEMENT',I3,'SEGMENT',I3,'NODAL END',I2,'SEGMENT LOCAL FORCES (FLOCA)','(FROM PRINC):')",
                 p_.ielno, iseg, end);
      if (end == 1) {
        fio::write(6, "('DOFs 3, 4, 5=',3E15.6)", -r.axial, -r.mu, -r.mv);
      } else {
        fio::write(6, "('DOFs 9,10,11=',3E15.6)", r.axial, r.mu, r.mv);
      }
    }
  }
  return r;
}

}  // namespace members::rc
