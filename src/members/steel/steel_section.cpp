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

SectionResponse SteelSection::evaluate(SectionCall& call) {
  const int iseg = call.iseg;
  const int nump = a_.nump;
  const SteelLaw& law = p_.law;
  const float ep = law.ratio3 * law.em;  // modulus of a fibre switched to RATIO3*EM
  const int limit = p_.ielas == 1 ? kMaxAxialPasses : 1;
  const float beta_prev = a_.beta(iseg);
  const float target = call.target_axial;
  const int istep = kv::solsta().istep;

  PrincipalAxes ax;
  float axial = 0.0f;
  float daxial = 0.0f;
  float correction = 0.0f;
  bool yielded = false;
  bool converged = false;
  for (int pass = 1; pass <= limit; ++pass) {
    // Every pass starts from the entry state, which stays in the record until
    // the pass that stands is known; only the axial strain moves.
    call.dec += correction;
    SectionSums s;
    float eat = 0.0f;
    axial = 0.0f;
    yielded = false;
    for (int i = 1; i <= nump; ++i) {
      const float de = call.dec + call.dcu * a_.vseg(iseg, i) - call.dcv * a_.useg(iseg, i);
      const float eps = a_.e0(iseg, i) + de;
      const FibreStep st = steel_fibre_law(law, fibre(iseg, i), de, eps, a_.et(i), call.setup);
      a_.et(i) = st.et;
      a_.eps(i) = eps;
      a_.de(iseg, i) = de;
      if (eps >= st.s.e1 || eps <= st.s.e2) yielded = true;
      const float area = a_.area(i);
      const float flag = a_.bkflag(i);
      if (flag == 0.0f || flag == 1.0f) {
        add_fibre(s, (flag == 0.0f ? st.et : ep) * area, a_.u(i), a_.v(i));
      }
      eat += st.et * area;
      axial += st.s.sig * area;
    }
    if (p_.trace) {
      trace_law(iseg, call.dec, call.dcu, call.dcv, call.setup);
      fio::write(6, "('1THE STABILITY MEMBER ',I5,' SECTION ',I5)", p_.ielno, iseg);
      fio::write(6, "('EA0,ESV0,ESU0,EIU0,EIV0,EIUV0:',1P,6E15.5)", s.ea0, s.esv0, s.esu0, s.eiu0,
                 s.eiv0, s.eiuv0);
    }
    ax = principal_axes(s, beta_prev, uc_mesh_, vc_mesh_);
    if (p_.trace) {
      fio::write(6, "('THE UC0 ,VC0,EIU1,EIV1,EIUV1:',1P,5E15.6)", ax.uc0, ax.vc0, ax.eiu1,
                 ax.eiv1, ax.eiuv1);
      fio::write(6,
                 "('@@IELNO=',I4,'ISEG=',I4,' AT STEP = ',I5,': THE BETA(previous),',"
                 "' BETA,EA,EIU,EIV,EIUV:',/,1P,6E15.6)",
                 p_.ielno, iseg, istep, beta_prev, ax.beta, ax.ea, ax.eiu, ax.eiv, ax.eiuv);
      fio::write_list(6, "***IELAS=", p_.ielas);
      fio::write(6, "('THE U AND V IN PRINC SUBROUTINE')");
      const float cb = std::cos(ax.beta), sb = std::sin(ax.beta);
      for (int i = 1; i <= nump; ++i) {
        const float du = a_.u(i) - ax.uc0, dv = a_.v(i) - ax.vc0;
        fio::write(6, "(1P,2E15.6)", cb * du + sb * dv, -sb * du + cb * dv);
      }
    }
    daxial = axial - target;
    if (axial_converged(daxial, target, 0.005f * law.ys * p_.tota, false)) {
      converged = true;
      break;
    }
    // A section without axial stiffness cannot be corrected: its pass stands.
    if (eat == 0.0f) break;
    correction = -daxial / eat;
    if (pass == limit && p_.ielas == 1) warn_axial_passes(p_.ielno, iseg, limit + 1, daxial);
  }

  // The pass that stands: its fibre states go into the record.
  for (int i = 1; i <= nump; ++i) {
    const float de = a_.de(iseg, i);
    const float eps = a_.eps(i);
    const FibreStep st = steel_fibre_law(law, fibre(iseg, i), de, eps, a_.et(i), call.setup);
    a_.e0(iseg, i) = eps;
    store(iseg, i, st.s);
  }
  const float cb = std::cos(ax.beta), sb = std::sin(ax.beta);
  float mu = 0.0f, mv = 0.0f;
  for (int i = 1; i <= nump; ++i) {
    const float du = a_.u(i) - ax.uc0, dv = a_.v(i) - ax.vc0;
    a_.useg(iseg, i) = cb * du + sb * dv;
    a_.vseg(iseg, i) = -sb * du + cb * dv;
    // Moments about the mesh origin turned by BETA, not about the centroid.
    const float uo = cb * a_.u(i) + sb * a_.v(i);
    const float vo = -sb * a_.u(i) + cb * a_.v(i);
    const float f = a_.sig(iseg, i) * a_.area(i);
    mu += f * vo;
    mv -= f * uo;
  }
  a_.beta(iseg) = ax.beta;

  SectionResponse res = response_of(ax, gj_);
  res.axial = converged && p_.ielas == 1 ? target : axial;
  res.mu = mu;
  res.mv = mv;
  if (yielded && a_.lflag.p != nullptr && a_.lflag(kFlagFirstYield) == 0.0f) {
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
