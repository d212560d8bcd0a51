#include "members/segment_routines.h"

#include <cmath>
#include <span>

#include "base/globals.h"
#include "fio/fio.h"
#include "members/member_matrices.h"

namespace members {

namespace {

void print12(const float* v) {
  fio::write(6, "(1X,6E15.6)", std::span<const float>(v, 12));
}

std::array<float, 12> row_of(const SegTable& t, int i) {
  std::array<float, 12> v{};
  for (int k = 1; k <= 12; ++k) v[k - 1] = t(i, k);
  return v;
}

// FGLO(iseg) := T' FLOC(iseg).
void to_member_axes(const Mat12& t, int iseg, const SegTable& floc, const SegTable& fglo) {
  for (int j = 1; j <= 12; ++j) {
    float s = 0.0f;
    for (int k = 1; k <= 12; ++k) s += at(t, k, j) * floc(iseg, k);
    fglo(iseg, j) = s;
  }
}

// Entry (r, c) of a 12 x 12 matrix of either precision.
template <class T>
T& el(std::array<T, 144>& m, int r, int c) {
  return m[(c - 1) * 12 + (r - 1)];
}

// Completes the upper triangle from the terms a rule sets (the shared pattern),
// then mirrors it.
template <class M>
void complete(M& k, bool tapered) {
  el(k, 7, 7) = el(k, 1, 1);
  el(k, 8, 8) = el(k, 2, 2);
  el(k, 9, 9) = el(k, 3, 3);
  el(k, 12, 12) = el(k, 6, 6);
  el(k, 1, 7) = -el(k, 1, 1);
  el(k, 2, 8) = -el(k, 2, 2);
  el(k, 3, 9) = -el(k, 3, 3);
  el(k, 6, 12) = -el(k, 6, 6);
  if (!tapered) {
    el(k, 10, 10) = el(k, 4, 4);
    el(k, 11, 11) = el(k, 5, 5);
    el(k, 1, 11) = el(k, 1, 5);
    el(k, 5, 7) = -el(k, 1, 5);
    el(k, 7, 11) = -el(k, 1, 5);
    el(k, 2, 10) = el(k, 2, 4);
    el(k, 4, 8) = -el(k, 2, 4);
    el(k, 8, 10) = -el(k, 2, 4);
  }
  for (int i = 1; i <= 12; ++i) {
    for (int j = i + 1; j <= 12; ++j) el(k, j, i) = el(k, i, j);
  }
}

void store_sks(const Mat12& k, int iseg, const SegMatrices& sks) {
  for (int r = 1; r <= 12; ++r) {
    for (int c = 1; c <= 12; ++c) sks(iseg, r, c) = at(k, r, c);
  }
}

// The linearised stiffness in the precision T.
template <class T>
std::array<T, 144> linearised(const Rigidities& r, T len, T p) {
  std::array<T, 144> k{};
  const T q = p / (T(10) * len);
  const T l2 = len * len, l3 = l2 * len;
  const T eiu = r.eiu, eiv = r.eiv;
  el(k, 1, 1) = T(12) * eiv / l3 - T(12) * q;
  el(k, 2, 2) = T(12) * eiu / l3 - T(12) * q;
  el(k, 3, 3) = T(r.ea) / len;
  el(k, 6, 6) = T(r.gj) / len;
  el(k, 4, 4) = T(4) * eiu / len - (T(4) * l2 / T(3)) * q;
  el(k, 5, 5) = T(4) * eiv / len - (T(4) * l2 / T(3)) * q;
  el(k, 1, 5) = T(6) * eiv / l2 - len * q;
  el(k, 2, 4) = -T(6) * eiu / l2 + len * q;
  el(k, 4, 10) = T(2) * eiu / len + (l2 / T(3)) * q;
  el(k, 5, 11) = T(2) * eiv / len + (l2 / T(3)) * q;
  complete(k, false);
  return k;
}

// The beam-column terms of one bending direction from the stability functions:
// the translation term, the rotation term, the coupling magnitude and the
// far-end rotation term. Formed in double: D cancels to the fourth order in
// the length parameter and would lose every digit in single precision.
struct Exact {
  double kt, kr, kc, kf;
  bool usable;
};
Exact exact_terms(double ei, double p, double len) {
  Exact e{0, 0, 0, 0, false};
  if (!(ei > 0.0)) return e;
  if (p > 0.0) {
    const double k = std::sqrt(p / ei), mu = k * len, c = std::cos(mu), s = std::sin(mu);
    const double d = 2.0 - 2.0 * c - mu * s;
    e = {ei * k * k * k * s / d, ei * k * (s - mu * c) / d, ei * k * k * (1.0 - c) / d,
         ei * k * (mu - s) / d, d != 0.0};
  } else {
    const double k = std::sqrt(-p / ei), mu = k * len, c = std::cosh(mu), s = std::sinh(mu);
    const double d = mu * s + 2.0 - 2.0 * c;
    e = {ei * k * k * k * s / d, ei * k * (mu * c - s) / d, ei * k * k * (c - 1.0) / d,
         ei * k * (s - mu) / d, d != 0.0};
  }
  // D vanishes where the segment itself buckles (mu = 2 pi, ...): there the
  // terms run off to infinity; beyond 1e4 times the elastic ones they are
  // taken as singular.
  const double lim = 1e4 * 12.0 * ei / (len * len * len), limr = 1e4 * 4.0 * ei / len;
  e.usable = e.usable && std::fabs(e.kt) <= lim && std::fabs(e.kc) <= lim * len &&
             std::fabs(e.kr) <= limr && std::fabs(e.kf) <= limr;
  return e;
}

void stiffness_trace(const Mat12& k, int ielno, int iseg, bool tapered) {
  if (tapered) {
    fio::write(6, "('1','THE ELEMENT',I3,' STIFFNESS')", ielno);
  } else {
    fio::write(6, "('1','THE ELEMENT',I3,' SEGMENT',I3,' STIFFNESS')", ielno, iseg);
  }
  matprt(k.data(), 12, 12, 12);
}

}  // namespace

void eccent(int nseg, int iseg, float uc0, float vc0, float roza, float rozb, const Col& ulpe,
            const Col& vlpe, const Col& eccx, const Col& eccy, bool trace) {
  float exx = 0.0f, eyy = 0.0f;
  if (iseg == 1) {
    exx = uc0 - ulpe(1);
    eyy = vc0 - vlpe(1);
    eccx(1) = std::cos(roza) * exx - std::sin(roza) * eyy;
    eccy(1) = std::sin(roza) * exx + std::cos(roza) * eyy;
  }
  if (iseg == nseg) {
    exx = uc0 - ulpe(2);
    eyy = vc0 - vlpe(2);
    eccx(2) = std::cos(rozb) * exx - std::sin(rozb) * eyy;
    eccy(2) = std::sin(rozb) * exx + std::cos(rozb) * eyy;
  }
  if (trace) {
    fio::write_list(6, " ROZA,EXX,EYY,ECCX(1),ECCY(1) FROM ECCENT SUBROUTINE");
    fio::write(6, "(2X,5E15.4)", roza, exx, eyy, eccx(1), eccy(1));
    fio::write_list(6, " ROZA,EXX,EYY,ECCX(2),ECCY(2) FROM ECCENT SUBROUTINE");
    fio::write(6, "(2X,5E15.4)", roza, exx, eyy, eccx(2), eccy(2));
  }
}

void trank(float* k, const Col& eccx, const Col& eccy, float* te) {
  auto t = [&](int r, int c) -> float& { return te[(c - 1) * 12 + (r - 1)]; };
  for (int i = 0; i < 144; ++i) te[i] = 0.0f;
  for (int i = 1; i <= 12; ++i) t(i, i) = 1.0f;
  for (int e = 0; e < 2; ++e) {
    const int o = 6 * e;
    t(o + 1, o + 6) = -eccy(e + 1);
    t(o + 2, o + 6) = eccx(e + 1);
    t(o + 3, o + 4) = eccy(e + 1);
    t(o + 3, o + 5) = -eccx(e + 1);
  }
  float w[144];
  for (int i = 1; i <= 12; ++i) {
    for (int j = 1; j <= 12; ++j) {
      float s = 0.0f;
      for (int m = 1; m <= 12; ++m) s += k[(m - 1) * 12 + (i - 1)] * t(m, j);
      w[(j - 1) * 12 + (i - 1)] = s;
    }
  }
  for (int i = 1; i <= 12; ++i) {
    for (int j = 1; j <= 12; ++j) {
      float s = 0.0f;
      for (int m = 1; m <= 12; ++m) s += t(m, i) * w[(j - 1) * 12 + (m - 1)];
      k[(j - 1) * 12 + (i - 1)] = s;
    }
  }
}

Mat12 segstf(int iseg, int ielno, bool trace, int istif, const Rigidities& r, float len,
             const SegTable& floc, const SegMatrices& sks, Mat12d* exact) {
  Mat12 k{};
  Mat12d kd{};
  const float p = floc(iseg, 3);
  bool lin = false;
  if (istif == kStiffnessLinearised) {
    lin = true;
  } else if (istif == kStiffnessStabilityFunctions) {
    const float ku = std::sqrt(std::fabs(p / r.eiu)), kv = std::sqrt(std::fabs(p / r.eiv));
    const float lambda = std::fmin(ku, kv) * len;
    if (p == 0.0f || !(lambda >= 0.05f)) {
      lin = true;
    } else {
      const Exact u = exact_terms(r.eiu, p, len), v = exact_terms(r.eiv, p, len);
      if (!u.usable || !v.usable) {
        // At the segment's own buckling load the stability functions have no
        // value; the linearised stiffness is the nearest usable one.
        fio::write(6,
                   "(' ** WARNING: ELEMENT',I5,' SEG.',I5,' AT THE BUCKLING LOAD OF THE SEGMENT,',"
                   "' LINEARISED STIFFNESS USED AT STEP=',I5)",
                   ielno, iseg, kv::solsta().istep);
        lin = true;
      } else {
        el(kd, 2, 2) = u.kt;
        el(kd, 4, 4) = u.kr;
        el(kd, 2, 4) = -u.kc;
        el(kd, 4, 10) = u.kf;
        el(kd, 1, 1) = v.kt;
        el(kd, 5, 5) = v.kr;
        el(kd, 1, 5) = v.kc;
        el(kd, 5, 11) = v.kf;
        el(kd, 3, 3) = double(r.ea) / len;
        el(kd, 6, 6) = double(r.gj) / len;
        complete(kd, false);
        for (int i = 0; i < 144; ++i) k[i] = static_cast<float>(kd[i]);
      }
    }
  }
  if (lin) {
    k = linearised<float>(r, len, p);
    kd = linearised<double>(r, len, p);
  }
  if (exact != nullptr) *exact = kd;
  if (trace) stiffness_trace(k, ielno, iseg, false);
  store_sks(k, iseg, sks);
  return k;
}

Mat12 tapstf(int iseg, int ielno, bool trace, int istif, const Rigidities& r1,
             const Rigidities& r2, float len, const SegTable& floc, const SegMatrices& sks) {
  Mat12 k{};
  if (istif == kStiffnessStabilityFunctions) {
    fio::write(6,
               "(1X,'****NOTE: ISTIF =0 FOR ELEMENT',I5,' SEG. NO.',I5,/,"
               "' ISTIF=0 IS NOT AVAILABLE FOR TAPER BEAM STIFFNESS MATRIX',/,' PROGRAM STOP')",
               ielno, iseg);
    kv::stop_run(1, "");
  }
  if (istif == kStiffnessLinearised) {
    const float p = floc(iseg, 3);
    const float q = p / (10.0f * len);
    const float l2 = len * len, l3 = l2 * len;
    const float eam = (r1.ea + r2.ea) / 2.0f, eium = (r1.eiu + r2.eiu) / 2.0f;
    const float eivm = (r1.eiv + r2.eiv) / 2.0f, gjm = (r1.gj + r2.gj) / 2.0f;
    at(k, 1, 1) = 12.0f * eivm / l3 - 12.0f * q;
    at(k, 2, 2) = 12.0f * eium / l3 - 12.0f * q;
    at(k, 3, 3) = eam / len;
    at(k, 6, 6) = gjm / len;
    at(k, 4, 4) = (2.5f * r1.eiu + 0.5f * r2.eiu + eium) / len - (4.0f * l2 / 3.0f) * q;
    at(k, 10, 10) = (0.5f * r1.eiu + 2.5f * r2.eiu + eium) / len - (4.0f * l2 / 3.0f) * q;
    at(k, 5, 5) = (2.5f * r1.eiv + 0.5f * r2.eiv + eivm) / len - (4.0f * l2 / 3.0f) * q;
    at(k, 11, 11) = (0.5f * r1.eiv + 2.5f * r2.eiv + eivm) / len - (4.0f * l2 / 3.0f) * q;
    at(k, 1, 5) = (4.0f * r1.eiv + 2.0f * r2.eiv) / l2 - len * q;
    at(k, 5, 7) = -at(k, 1, 5);
    at(k, 7, 11) = len * q - (2.0f * r1.eiv + 4.0f * r2.eiv) / l2;
    at(k, 1, 11) = -at(k, 7, 11);
    at(k, 2, 4) = -(4.0f * r1.eiu + 2.0f * r2.eiu) / l2 + len * q;
    at(k, 4, 8) = -at(k, 2, 4);
    at(k, 8, 10) = -len * q + (2.0f * r1.eiu + 4.0f * r2.eiu) / l2;
    at(k, 2, 10) = -at(k, 8, 10);
    at(k, 4, 10) = 2.0f * eium / len + (l2 / 3.0f) * q;
    at(k, 5, 11) = 2.0f * eivm / len + (l2 / 3.0f) * q;
    complete(k, true);
  }
  if (trace) stiffness_trace(k, ielno, iseg, true);
  store_sks(k, iseg, sks);
  return k;
}

Mat12 cldaf3(const Frame& previous, int iseg, const SegTable& dglo, const SegMatrices& sks,
             const SegTable& fglo, const SegTable& floc, bool trace) {
  const Mat12 t = segment_rotation(previous);
  const std::array<float, 12> g = row_of(dglo, iseg);
  std::array<float, 12> d{}, f{};
  for (int r = 1; r <= 12; ++r) {
    float s = 0.0f;
    for (int c = 1; c <= 12; ++c) s += at(t, r, c) * g[c - 1];
    d[r - 1] = s;
  }
  for (int r = 1; r <= 12; ++r) {
    float s = 0.0f;
    for (int c = 1; c <= 12; ++c) s += sks(iseg, r, c) * d[c - 1];
    f[r - 1] = s;
  }
  for (int k = 1; k <= 12; ++k) floc(iseg, k) += f[k - 1];
  if (trace) {
    Mat12 kloc{};
    for (int r = 1; r <= 12; ++r) {
      for (int c = 1; c <= 12; ++c) at(kloc, r, c) = sks(iseg, r, c);
    }
    fio::write_list(6, "1", "SEGMENT GLOBAL DISPLACEMENT INCREMENT:");
    matprt(g.data(), 12, 1, 12);
    fio::write_list(6, "1", "SEGMENT ROTATION MATRIX:");
    matprt(t.data(), 12, 12, 12);
    fio::write_list(6, "1", "SEGMENT LOCAL DISPLACEMENT INCREMENT:");
    matprt(d.data(), 12, 1, 12);
    fio::write_list(6, " SEGMENT LOCAL FORCE INCREMENT:");
    matprt(f.data(), 12, 1, 12);
    fio::write_list(6, " SEGMENT LOCAL TOTAL FORCES:");
    print12(row_of(floc, iseg).data());
  }
  to_member_axes(t, iseg, floc, fglo);
  if (trace) {
    fio::write_list(6, "1", "THE SEGMENT", iseg, "INTERNAL GLOBAL FORCE: (FROM CLDAF3)");
    print12(row_of(fglo, iseg).data());
  }
  return t;
}

void lfadjust(const SegTable& floca, const SegTable& floc, int iseg, float chord, int ielno,
              const LocalEnds& e, bool trace, bool u_only) {
  auto f = [&](int k) -> float& { return floc(iseg, k); };
  if (trace) {
    fio::write(6, "('1','ELEMENT',I3,'SEGMENT',I3,'LOCAL FORCES BEFORE ADJUSTMENT ',"
                  "'(FROM LFADJUST):')", ielno, iseg);
    print12(row_of(floc, iseg).data());
  }
  const float d4 = (f(4) - f(10)) / 2.0f - floca(iseg, 4);
  const float d5 = (f(5) - f(11)) / 2.0f - floca(iseg, 5);
  const float d3 = (f(3) - f(9)) / 2.0f - floca(iseg, 3);
  const float f9 = f(9);  // the shears take the axial force from before its adjustment
  if (f(4) * f(10) <= 0.0f) {
    f(4) -= d4;
    f(10) += d4;
    f(2) = -(f(4) + f(10)) / chord - (e.yb[1] - e.ya[1]) * f9 / chord;
    f(8) = -f(2);
  }
  if (!u_only && f(5) * f(11) <= 0.0f) {
    f(5) -= d5;
    f(11) += d5;
    f(1) = (f(5) + f(11)) / chord - (e.yb[0] - e.ya[0]) * f9 / chord;
    f(7) = -f(1);
  }
  if (!u_only && f(3) * f(9) <= 0.0f) {
    f(3) -= d3;
    f(9) = -f(3);
  }
  if (trace) {
    fio::write(6, "('1','ELEMENT',I3,'SEGMENT',I3,'LOCAL FORCES AFTER ADJUSTMENT',"
                  "' (FROM LFADJUST):')", ielno, iseg);
    print12(row_of(floc, iseg).data());
  }
}

void lfadjustb(const SegTable& floca, const SegTable& floc, int iseg, float chord, int ielno,
               const LocalEnds& e, bool trace, bool u_only) {
  auto f = [&](int k) -> float& { return floc(iseg, k); };
  if (trace) {
    fio::write(6, "('1','ELEMENT',I3,'SEGMENT',I3,'LOCAL FORCES BEFORE ADJUSTMENT ',"
                  "'(FROM LFADJUSTB):')", ielno, iseg);
    print12(row_of(floc, iseg).data());
  }
  if (u_only) {
    f(4) = floca(iseg, 4);
    f(10) = floca(iseg, 10);
  } else {
    for (int k : {3, 4, 5, 9, 10, 11}) f(k) = floca(iseg, k);
  }
  f(2) = -(f(4) + f(10)) / chord - (e.yb[1] - e.ya[1]) * f(9) / chord;
  f(8) = -f(2);
  if (!u_only) {
    f(1) = (f(5) + f(11)) / chord - (e.yb[0] - e.ya[0]) * f(9) / chord;
    f(7) = -f(1);
  }
  if (trace) {
    fio::write(6, "('1','ELEMENT',I3,'SEGMENT',I3,'LOCAL FORCES AFTER ADJUSTMENT',"
                  "' (FROM LFADJUSTB):')", ielno, iseg);
    print12(row_of(floc, iseg).data());
  }
}

void turn_segment_forces(const SegTable& floc, int iseg, float turn) {
  const float c = std::cos(turn), s = std::sin(turn);
  // Per end: shears (1, 2) and moments (4, 5) along U and V.
  for (int k : {1, 4, 7, 10}) {
    const float u = floc(iseg, k), v = floc(iseg, k + 1);
    floc(iseg, k) = c * u + s * v;
    floc(iseg, k + 1) = -s * u + c * v;
  }
}

void cslf2(const Mat12& t, int iseg, const SegTable& floc, const SegTable& fglo, bool trace) {
  to_member_axes(t, iseg, floc, fglo);
  if (trace) {
    fio::write(6, "('1','SEGMENT',I3,' ADJUSTED GLOBAL FORCES',' (FROM CSLF2):')", iseg);
    print12(row_of(fglo, iseg).data());
  }
}

}  // namespace members
