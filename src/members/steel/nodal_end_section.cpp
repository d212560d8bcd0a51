#include "members/steel/nodal_end_section.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "base/globals.h"
#include "fio/fio.h"
#include "members/steel/box_local_buckling.h"

namespace members {

namespace {

constexpr float kLinearLimit = 0.2f;  // law 2 stays elastic below this stress ratio

// x^n for a whole exponent, by repeated multiplication in single precision.
float ipow(float x, int n) {
  float r = 1.0f;
  const int m = n < 0 ? -n : n;
  for (int k = 0; k < m; ++k) r *= x;
  return n < 0 ? 1.0f / r : r;
}

}  // namespace

FibreStep tangb0(const SteelLaw& law, SteelFibre s, float de, float eps, float et_held) {
  if (law.elastic) {
    s.sig += law.em * de;
    return {s, law.em};
  }
  const float ep = law.ratio3 * law.em;
  float et = et_held;
  // Five tests in turn, each on the bounds the ones before it left.
  if (s.e2 < eps && eps < s.e1) {
    et = law.em;
    s.sig += law.em * de;
  }
  if (de >= 0.0f && eps >= s.e1) {
    s.e1 = eps;
    s.e2 = eps - 2.0f * law.ey;
    et = ep;
    s.sig += ep * de;
  }
  if (de < 0.0f && eps >= s.e1) {
    et = law.em;
    s.sig += law.em * de;
  }
  if (de <= 0.0f && eps <= s.e2) {
    s.e2 = eps;
    s.e1 = eps + 2.0f * law.ey;
    et = ep;
    s.sig += ep * de;
  }
  if (de > 0.0f && eps <= s.e2) {
    et = law.em;
    s.sig += law.em * de;
  }
  return {s, et};
}

RoStep tangb2(const SteelLaw& law, float sig, float de, float eps, bool setup, RoHistory h) {
  RoStep r;
  if (law.elastic) {
    r.sig = sig + law.em * de;
    r.et = law.em;
    r.h = h;
    return r;
  }
  float et = law.em;
  if (setup) {
    sig += law.em * de;
  } else if (h.deold * de < 0.0f) {  // the loading direction reverses
    h.eprev = h.epold;
    h.sgrev = h.sgold;
    sig += law.em * de;
  } else {
    sig += h.etold * de;
    const float x = h.eprev == 0.0f && h.sgrev == 0.0f ? std::fabs(sig / law.ys)
                                                       : std::fabs((sig - h.sgrev) / (2.0f * law.ys));
    float c = 1.0f / law.em;
    if (!(x < kLinearLimit)) {
      c = (static_cast<float>(law.ir) * ipow(x, law.ir - 1) + 1.0f) / law.em;
    }
    et = 1.0f / c;
    // A parameter set without a finite tangent (YS 0, a negative exponent)
    // gives the fibre no stiffness rather than a NaN in the section sums.
    if (!std::isfinite(et)) et = 0.0f;
  }
  h.etold = et;
  h.deold = de;
  h.epold = eps;
  h.sgold = sig;
  r.sig = sig;
  r.et = et;
  r.h = h;
  return r;
}

NodalEndSection::NodalEndSection(const NodalEndArrays& a, const SteelSectionParams& p, float* state)
    : a_(a), p_(p), state_(state) {
  const MeshConstants c = mesh_constants(a_.nump, a_.u, a_.v, a_.area, a_.flen, p_);
  uc_mesh_ = c.uc;
  vc_mesh_ = c.vc;
  gj_ = c.gj;
}

// The fibre law over row iseg of end e, on the strains in EPS and DE.
void NodalEndSection::run_law(const NodalEndArrays::End& e, int iseg, bool setup) const {
  const SteelLaw& law = p_.law;
  for (int i = 1; i <= a_.nump; ++i) {
    const float de = e.de(iseg, i), eps = a_.eps(i);
    switch (law.imater) {
      case kLawBilinear:
      case kLawTwoSlopes:
      case kLawElastic: {
        SteelFibre f;
        f.e1 = e.e1(iseg, i);
        f.e2 = e.e2(iseg, i);
        f.sig = e.sig(iseg, i);
        const FibreStep st = law.imater == kLawBilinear ? tangb0(law, f, de, eps, a_.et(i))
                             : law.imater == kLawTwoSlopes ? tangs1(law, f, de, eps)
                                                           : tangs3(law, f, de, eps);
        e.e1(iseg, i) = st.s.e1;
        e.e2(iseg, i) = st.s.e2;
        e.sig(iseg, i) = st.s.sig;
        a_.et(i) = st.et;
        break;
      }
      case kLawRambergOsgood: {
        RoHistory h{a_.ro[0](iseg, i), a_.ro[1](iseg, i), a_.ro[2](iseg, i),
                    a_.ro[3](iseg, i), a_.ro[4](iseg, i), a_.ro[5](iseg, i)};
        const RoStep st = tangb2(law, e.sig(iseg, i), de, eps, setup, h);
        e.sig(iseg, i) = st.sig;
        a_.et(i) = st.et;
        const float w[6] = {st.h.deold, st.h.epold, st.h.sgold, st.h.etold, st.h.eprev, st.h.sgrev};
        for (int k = 0; k < 6; ++k) a_.ro[k](iseg, i) = w[k];
        break;
      }
      default:
        break;  // no law: stresses and tangents stay
    }
  }
}

void NodalEndSection::trace_law(const NodalEndArrays::End& e, int iseg, int iend) const {
  const int imater = p_.law.imater;
  if (imater < kLawBilinear || imater > kLawElastic) return;
  fio::write(6, "('1','TENGENT STIFFNESS FOR MEMBER ',I3,'SEGMENT ',I5,'NODAL END ',I5,':')",
             p_.ielno, iseg, iend);
  for (int i = 1; i <= a_.nump; i += 5) {
    const int n = std::min(5, a_.nump - i + 1);
    fio::write(6, "(1X,5E15.6)", std::span<const float>(&a_.et(i), static_cast<std::size_t>(n)));
  }
  if (imater == kLawRambergOsgood) {
    fio::write(6, "(/,4X,'SEG.     STRESS','         STRAIN         STIFFNESS ')");
    for (int i = 1; i <= a_.nump; ++i) {
      fio::write(6, "(1X,I5,3X,E15.6,3X,2E15.6)", i, e.sig(iseg, i), e.e0(iseg, i), a_.et(i));
    }
  } else {
    fio::write(6, "(/,4X,'SEG.         E1','             E2            DE            E0')");
    for (int i = 1; i <= a_.nump; ++i) {
      fio::write(6, "(1X,I5,4E15.6)", i, e.e1(iseg, i), e.e2(iseg, i), e.de(iseg, i), e.e0(iseg, i));
    }
  }
}

// A nodal end's view for the axial passes: every pass starts from the end's
// entry rows (E0, E1, E2, SIG, u', v'), its laws advance them in place, the
// box local-buckling check may switch fibres off, and the pass's principal
// angle and coordinates are the end's at once.
struct NodalEndSection::Passes {
  const NodalEndSection& sec;
  const NodalEndArrays::End& e;
  int iseg;
  int iend;
  bool setup;
  EntryState entry;
  float code = 0.0f;  // a limit code of the box check

  float beta_prev() const { return e.beta(iseg); }

  void pass(const SectionCall& call, SectionSums& s, float& eat, float& axial) {
    const NodalEndArrays& a = sec.a_;
    const SteelLaw& law = sec.p_.law;
    const int nump = a.nump;
    const float ep = law.ratio3 * law.em;
    entry.restore();
    for (int i = 1; i <= nump; ++i) {
      const float de = call.dec + call.dcu * e.vseg(iseg, i) - call.dcv * e.useg(iseg, i);
      const float eps = e.e0(iseg, i) + de;
      e.de(iseg, i) = de;
      a.eps(i) = eps;
      e.e0(iseg, i) = eps;
    }
    sec.run_law(e, iseg, setup);
    if (sec.p_.trace) trace_pass();
    const SectionWords& w = sec.p_.words;
    if (w.irev[0] != 0 && w.libn == kLibBox) {
      const BoxEndSection box{w.libn, nump, w.n1, w.n2, w.t, law.em, e.sig, iseg, a.et, a.u, a.v, a.flen};
      float c = 0.0f;
      lbcase(box, a.bkflag, c);
      if (c != 0.0f) *sec.state_ = code = c;
    }
    for (int i = 1; i <= nump; ++i) {
      const float area = a.area(i);
      const float flag = a.bkflag(i);
      if (flag == 0.0f || flag == 1.0f) add_fibre(s, (flag == 0.0f ? a.et(i) : ep) * area, a.u(i), a.v(i));
      eat += a.et(i) * area;
      axial += e.sig(iseg, i) * area;
    }
  }

  void trace_pass() const {
    const NodalEndArrays& a = sec.a_;
    const int nump = a.nump;
    const int ielno = sec.p_.ielno;
    sec.trace_law(e, iseg, iend);
    bool hinge = true;
    for (int i = 1; i <= nump; ++i) hinge = hinge && a.et(i) != sec.p_.law.em;
    if (hinge) {
      fio::write(6, "(1X,'*** THE STABILITY MEMBER ',I5,', SEGMENT ',I5,'NODAL END',I5,"
                    "' REACH TO PLASTIC HINGE ***')", ielno, iseg, iend);
    }
    fio::write(6, "('1','TENGENT STIFFNESS FOR MEMBER ',I3,'SEGMENT ',I5,'NODAL END',I5,':')", ielno, iseg,
               iend);
    for (int i = 1; i <= nump; i += 5) {
      const int n = std::min(5, nump - i + 1);
      fio::write(6, "(1X,5E15.6)", std::span<const float>(&a.et(i), static_cast<std::size_t>(n)));
    }
    fio::write(6, "(/,4X,'SEG.         E1','             E2            DE            E0')");
    for (int i = 1; i <= nump; ++i) {
      fio::write(6, "(1X,I5,4E15.6)", i, e.e1(iseg, i), e.e2(iseg, i), e.de(iseg, i), e.e0(iseg, i));
    }
  }

  void axes_found(const SectionSums& s, const PrincipalAxes& ax) const {
    const NodalEndArrays& a = sec.a_;
    const bool trace = sec.p_.trace;
    const int ielno = sec.p_.ielno;
    if (trace) {
      fio::write(6, "('1','THE STABILITY MEMBER ',I3,' SEGMENT ',I3,'NODAL END',I5,/)", ielno, iseg, iend);
      fio::write(6, "(1X,'EA0,ESV0,ESU0,EIU0,EIV0,EIUV0:')");
      fio::write(6, "(1X,1P,6E15.5,/)", s.ea0, s.esv0, s.esu0, s.eiu0, s.eiv0, s.eiuv0);
      fio::write(6, "(1X,'THE UC0 ,VC0,EIU1,EIV1,EIUV1:',/)");
      fio::write(6, "(1P,5E15.6,/)", ax.uc0, ax.vc0, ax.eiu1, ax.eiv1, ax.eiuv1);
    }
    if (ax.eiu1 <= 0.0f || ax.eiv1 <= 0.0f) {
      fio::write_list(6, " ** INEFFICIENT SECTION ELEMENT ARRENGEMENT **");
      fio::write_list(6, "    ====ERROR=======ERROR=========ERROR====   ");
      fio::write_list(6, " **         EIU1 OR EIV1 IS NEGATIVE        **");
    }
    e.beta(iseg) = ax.beta;
    const float cb = std::cos(ax.beta), sb = std::sin(ax.beta);
    for (int i = 1; i <= a.nump; ++i) {
      const TurnedPoint t = turned(cb, sb, a.u(i) - ax.uc0, a.v(i) - ax.vc0);
      e.useg(iseg, i) = t.u;
      e.vseg(iseg, i) = t.v;
    }
    if (trace) {
      fio::write(6, "(1X,'IELNO=',I4,'ISEG=',I4,'NODAL END',I3,': THE BETA,EA,EIU,EIV,EIUV:',/)", ielno, iseg,
                 iend);
      fio::write(6, "(1P,5E15.6,/)", ax.beta, ax.ea, ax.eiu, ax.eiv, ax.eiuv);
      fio::write(6, "(1X,'THE U AND V IN PRINC SUBROUTINE',/)");
      for (int i = 1; i <= a.nump; ++i) fio::write(6, "(1X,1P,2E15.6)", e.useg(iseg, i), e.vseg(iseg, i));
    }
  }

  void warn_passes(int count, float) const {
    fio::write(6,
               "(1X,'**** WARNING: NO. OF ITERATION FOR STABILITY ELE',I5,'SEG. ',I5,"
               "'NODAL END',I5,'IS GREATER THAN ',I5,' AT STEP=',I5,/)",
               sec.p_.ielno, iseg, iend, count, kv::solsta().istep);
  }
};

SectionResponse NodalEndSection::evaluate(SectionCall& call) {
  SectionResponse res;
  const int iend = call.end;
  if (iend != 1 && iend != 2) return res;
  const NodalEndArrays::End& e = a_.end[iend - 1];
  const int iseg = call.iseg;
  const int nump = a_.nump;
  const float target = call.target_axial;

  const SegTable rows[] = {e.e0, e.e1, e.e2, e.sig, e.useg, e.vseg};
  Passes view{*this, e, iseg, iend, call.setup, EntryState(rows, {}, iseg, nump)};
  const AxialPassResult r =
      axial_passes(view, call, {p_.ielas, p_.law.ys * 0.005f * p_.tota, false, uc_mesh_, vc_mesh_});
  const float axial = section_axial(r, target, p_.ielas, iend);
  const OriginMoments m = origin_moments(r.ax, nump, [this, &e, iseg](int i) {
    return FibreForce{a_.u(i), a_.v(i), e.sig(iseg, i) * a_.area(i)};
  });
  res = response_of(r.ax, gj_);
  res.axial = axial;
  res.mu = m.mu;
  res.mv = m.mv;
  res.limit_code = view.code;
  if (p_.trace) {
    fio::write(6, "('1','ELEMENT',I3,'SEGMENT',I3,'NODAL END',I3,'SEGMENT LOCAL FORCES (FLOCA)',"
                  "'(FROM PRINC):')", p_.ielno, iseg, iend);
    if (iend == 1) {
      fio::write(6, "(1X,'DOFs 3, 4, 5=',3E15.6)", -axial, -m.mu, -m.mv);
    } else {
      fio::write(6, "(1X,'DOFs 9,10,11=',3E15.6)", axial, m.mu, m.mv);
    }
  }
  return res;
}

}  // namespace members
