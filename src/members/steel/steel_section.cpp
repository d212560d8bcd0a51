#include "members/steel/steel_section.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "base/globals.h"
#include "fio/fio.h"

namespace members {

SteelFibreArrays average_section_arrays(const StbMem& rec) {
  SteelFibreArrays a;
  a.nump = rec.nump();
  a.u = rec.col(StbArray::U);
  a.v = rec.col(StbArray::V);
  a.area = rec.col(StbArray::AREA);
  a.flen = rec.col(StbArray::FLEN);
  a.bkflag = rec.col(StbArray::BKFLAG);
  a.et = rec.col(StbArray::ET);
  a.eps = rec.col(StbArray::EPS);
  a.useg = rec.table(StbArray::USEG);
  a.vseg = rec.table(StbArray::VSEG);
  a.e0 = rec.table(StbArray::E0);
  a.e1 = rec.table(StbArray::E1);
  a.e2 = rec.table(StbArray::E2);
  a.de = rec.table(StbArray::DE);
  a.sig = rec.table(StbArray::SIG);
  a.iyld = rec.table(StbArray::IYLD);
  a.flw = {rec.table(StbArray::FLW1), rec.table(StbArray::FLW2), rec.table(StbArray::FLW3),
           rec.table(StbArray::FLW4), rec.table(StbArray::FLW5)};
  a.beta = rec.col(StbArray::BETA);
  a.lflag = rec.col(StbArray::LFLAG);
  return a;
}

MeshConstants mesh_constants(int nump, const Col& u, const Col& v, const Col& area, const Col& flen,
                             const SteelSectionParams& p) {
  MeshConstants c;
  float sa = 0.0f, su = 0.0f, sv = 0.0f;
  for (int i = 1; i <= nump; ++i) {
    sa += area(i);
    su += area(i) * u(i);
    sv += area(i) * v(i);
  }
  if (sa != 0.0f) {
    c.uc = su / sa;
    c.vc = sv / sa;
  }
  const auto n = static_cast<std::size_t>(nump);
  c.gj = torcon(p.words, p.tota, std::span<const float>(flen.p, n), std::span<const float>(area.p, n)) *
         p.g;
  return c;
}

SteelSection::SteelSection(const SteelFibreArrays& a, const SteelSectionParams& p, float* state)
    : a_(a), p_(p), state_(state) {
  const MeshConstants c = mesh_constants(a_.nump, a_.u, a_.v, a_.area, a_.flen, p_);
  uc_mesh_ = c.uc;
  vc_mesh_ = c.vc;
  gj_ = c.gj;
}

SteelFibre SteelSection::fibre(int iseg, int i) const {
  SteelFibre f;
  f.e1 = a_.e1(iseg, i);
  f.e2 = a_.e2(iseg, i);
  f.sig = a_.sig(iseg, i);
  f.iyld = a_.iyld(iseg, i);
  for (int k = 0; k < 5; ++k) f.flw[k] = a_.flw[k](iseg, i);
  return f;
}

void SteelSection::store(int iseg, int i, const SteelFibre& f) const {
  a_.e1(iseg, i) = f.e1;
  a_.e2(iseg, i) = f.e2;
  a_.sig(iseg, i) = f.sig;
  a_.iyld(iseg, i) = f.iyld;
  for (int k = 0; k < 5; ++k) a_.flw[k](iseg, i) = f.flw[k];
}

// The fibre law's table of one pass (its states recomputed: the laws are pure).
void SteelSection::trace_law(int iseg, float dec, float dcu, float dcv, bool setup) const {
  const SteelLaw& law = p_.law;
  if (law.imater < kLawBilinear || law.imater > kLawElastic) return;
  if (law.elastic && law.imater != kLawElastic) return;
  const int istep = kv::solsta().istep;
  switch (law.imater) {
    case kLawBilinear:
      fio::write(6, "('1TENGENT STIFFNESS FOR SEG ',I5,'AT STEP NO:',I5)", iseg, istep);
      break;
    case kLawRambergOsgood:
      fio::write(6, "('1TENGENT STIFFNESS FOR MEMBER ',I3,'SEGMENT ',I5,':')", p_.ielno, iseg);
      break;
    default:
      fio::write(6, "('1TENGENT STIFFNESS FOR MEMBER ',I3,'SEGMENT ')", iseg);
      break;
  }
  for (int i = 1; i <= a_.nump; i += 5) {
    const int n = std::min(5, a_.nump - i + 1);
    fio::write(6, "(1X,5E15.6)", std::span<const float>(&a_.et(i), static_cast<std::size_t>(n)));
  }
  switch (law.imater) {
    case kLawBilinear:
      fio::write(6, "(/,'SEG.       E1','           E2          DE          E0        STR')");
      break;
    case kLawRambergOsgood:
      fio::write(6, "(/,'SEG.     STRESS','         STRAIN         STIFFNESS ')");
      break;
    default:
      fio::write(6, "(/,'SEG.         E1','             E2            DE            E0')");
      break;
  }
  for (int i = 1; i <= a_.nump; ++i) {
    const float de = dec + dcu * a_.vseg(iseg, i) - dcv * a_.useg(iseg, i);
    const float eps = a_.e0(iseg, i) + de;
    const FibreStep st = steel_fibre_law(law, fibre(iseg, i), de, eps, a_.et(i), setup);
    if (law.imater == kLawBilinear) {
      fio::write(6, "(I5,5E13.5)", i, st.s.e1, st.s.e2, de, eps, st.s.sig);
    } else if (law.imater == kLawRambergOsgood) {
      fio::write(6, "(I5,3X,E15.6,3X,2E15.6)", i, st.s.sig, eps, st.et);
    } else {
      fio::write(6, "(I5,4E15.6)", i, st.s.e1, st.s.e2, de, eps);
    }
  }
}

// The segment-average section's view for the axial passes. Its laws are pure
// functions of the fibre's entry state, which stays in the record until the
// pass that stands is known: every pass starts from it and only the axial
// strain moves.
struct SteelSection::Passes {
  const SteelSection& sec;
  int iseg;
  bool setup;
  float beta_entry;
  bool yielded = false;  // a fibre of the pass outside its elastic band

  float beta_prev() const { return beta_entry; }

  void pass(const SectionCall& call, SectionSums& s, float& eat, float& axial) {
    const SteelFibreArrays& a = sec.a_;
    const SteelLaw& law = sec.p_.law;
    const float ep = law.ratio3 * law.em;  // modulus of a fibre switched to RATIO3*EM
    yielded = false;
    for (int i = 1; i <= a.nump; ++i) {
      const float de = call.dec + call.dcu * a.vseg(iseg, i) - call.dcv * a.useg(iseg, i);
      const float eps = a.e0(iseg, i) + de;
      const FibreStep st = steel_fibre_law(law, sec.fibre(iseg, i), de, eps, a.et(i), setup);
      a.et(i) = st.et;
      a.eps(i) = eps;
      a.de(iseg, i) = de;
      if (eps >= st.s.e1 || eps <= st.s.e2) yielded = true;
      const float area = a.area(i);
      const float flag = a.bkflag(i);
      if (flag == 0.0f || flag == 1.0f) {
        add_fibre(s, (flag == 0.0f ? st.et : ep) * area, a.u(i), a.v(i));
      }
      eat += st.et * area;
      axial += st.s.sig * area;
    }
    if (sec.p_.trace) {
      sec.trace_law(iseg, call.dec, call.dcu, call.dcv, setup);
      fio::write(6, "('1THE STABILITY MEMBER ',I5,' SECTION ',I5)", sec.p_.ielno, iseg);
      fio::write(6, "('EA0,ESV0,ESU0,EIU0,EIV0,EIUV0:',1P,6E15.5)", s.ea0, s.esv0, s.esu0, s.eiu0,
                 s.eiv0, s.eiuv0);
    }
  }

  void axes_found(const SectionSums&, const PrincipalAxes& ax) const {
    if (!sec.p_.trace) return;
    const SteelFibreArrays& a = sec.a_;
    fio::write(6, "('THE UC0 ,VC0,EIU1,EIV1,EIUV1:',1P,5E15.6)", ax.uc0, ax.vc0, ax.eiu1, ax.eiv1,
               ax.eiuv1);
    fio::write(6,
               "('@@IELNO=',I4,'ISEG=',I4,' AT STEP = ',I5,': THE BETA(previous),',"
               "' BETA,EA,EIU,EIV,EIUV:',/,1P,6E15.6)",
               sec.p_.ielno, iseg, kv::solsta().istep, beta_entry, ax.beta, ax.ea, ax.eiu, ax.eiv, ax.eiuv);
    fio::write_list(6, "***IELAS=", sec.p_.ielas);
    fio::write(6, "('THE U AND V IN PRINC SUBROUTINE')");
    const float cb = std::cos(ax.beta), sb = std::sin(ax.beta);
    for (int i = 1; i <= a.nump; ++i) {
      const TurnedPoint t = turned(cb, sb, a.u(i) - ax.uc0, a.v(i) - ax.vc0);
      fio::write(6, "(1P,2E15.6)", t.u, t.v);
    }
  }

  void warn_passes(int count, float daxial) const { warn_axial_passes(sec.p_.ielno, iseg, count, daxial); }
};

SectionResponse SteelSection::evaluate(SectionCall& call) {
  const int iseg = call.iseg;
  const int nump = a_.nump;
  const SteelLaw& law = p_.law;
  const float target = call.target_axial;

  Passes view{*this, iseg, call.setup, a_.beta(iseg)};
  const AxialPassResult r =
      axial_passes(view, call, {p_.ielas, 0.005f * law.ys * p_.tota, false, uc_mesh_, vc_mesh_});
  const PrincipalAxes& ax = r.ax;

  // The pass that stands: its fibre states go into the record.
  for (int i = 1; i <= nump; ++i) {
    const float de = a_.de(iseg, i);
    const float eps = a_.eps(i);
    const FibreStep st = steel_fibre_law(law, fibre(iseg, i), de, eps, a_.et(i), call.setup);
    a_.e0(iseg, i) = eps;
    store(iseg, i, st.s);
  }
  const float cb = std::cos(ax.beta), sb = std::sin(ax.beta);
  for (int i = 1; i <= nump; ++i) {
    const TurnedPoint t = turned(cb, sb, a_.u(i) - ax.uc0, a_.v(i) - ax.vc0);
    a_.useg(iseg, i) = t.u;
    a_.vseg(iseg, i) = t.v;
  }
  const OriginMoments m = origin_moments(ax, nump, [this, iseg](int i) {
    return FibreForce{a_.u(i), a_.v(i), a_.sig(iseg, i) * a_.area(i)};
  });
  a_.beta(iseg) = ax.beta;

  SectionResponse res = response_of(ax, gj_);
  res.axial = section_axial(r, target, p_.ielas, call.end);
  res.mu = m.mu;
  res.mv = m.mv;
  if (view.yielded && a_.lflag.p != nullptr && a_.lflag(kFlagFirstYield) == 0.0f) {
    *state_ = 1.0f;
    a_.lflag(kFlagFirstYield) = 1.0f;
    res.limit_code = 1.0f;
  }
  if (p_.trace) {
    fio::write(6, "('1ELEMENT',I3,'SEGMENT',I3,' AVERAGE LOCAL FORCES (FLOCA)','(FROM PRINC):')",
               p_.ielno, iseg);
    fio::write(6, "('DOFs 3, 4, 5=',3E15.6)", -res.axial, -res.mu, -res.mv);
    fio::write(6, "('DOFs 9,10,11=',3E15.6)", res.axial, res.mu, res.mv);
  }
  return res;
}

}  // namespace members
