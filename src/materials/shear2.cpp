// "SHEAR2": input, echo, set-up and results of the shear spring of a wall
// member, with its backbone routines: the branch slopes, the degradation of the
// backbone by the dissipated energy, the return of a trial point to the
// backbone and the stiffness with which the elastic energy is measured.
#include "materials/shear2.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <string>

#include "base/globals.h"
#include "fio/fio.h"
#include "materials/rules.h"

namespace materials {

namespace shear2 {

namespace {

// |a| with the sign of b.
float sgn(float a, float b) { return std::copysign(std::fabs(a), b); }

bool between(float x, float a, float b) { return (x - a) * (x - b) <= 0.0f; }

}  // namespace

std::array<float, 8> h14slp(float s1, float s2, float s3, float s4, float e1, float e2, float e3,
                            float e4) {
  const float k1 = s1 / e1;
  const float k2 = (s2 - s1) / (e2 - e1);
  const float ks2 = s2 / e2;
  const float k3 = (s3 - s2) / (e3 - e2);
  const float k4 = (s4 - s3) / (e4 - e3);
  const float k13 = (s3 - s1) / (e3 - e1);
  const float ku2 = s2 / ((s2 / k1 + e2) / 2.0f);
  const float ku3 = s3 / ((s3 / ks2 + e3) / 2.0f);
  return {k1, k2, ks2, k3, k4, k13, ku2, ku3};
}

Envelope envelope(const float* s) {
  Envelope env;
  env.e[0] = 0.0f;
  env.f[0] = 0.0f;
  for (int i = 1; i <= 4; ++i) {
    env.e[static_cast<std::size_t>(i)] = s[kEc + i - 1];
    env.f[static_cast<std::size_t>(i)] = s[kSc + i - 1];
  }
  const float e2 = s[kEc + 1];
  const float s3 = s[kSc + 2];
  const float s4 = s[kSc + 3];
  const float e4 = s[kEc + 3];
  const float k2 = s[kK2c];
  env.e[5] = 20.0f * e2;
  env.f[5] = 0.1f * s3;
  env.k[0] = s[kK1c];
  env.k[1] = k2;
  env.k[2] = s[kK3c];
  env.k[3] = s[kK4c];
  // An empty fifth segment has no slope of its own.
  const float span5 = 20.0f * e2 - e4;
  env.k[4] = span5 != 0.0f ? (0.1f * s3 - s4) / span5 : 0.0f;
  env.k[5] = -1.0e-4f * k2;
  env.dzero = k2 != 0.0f ? 20.0f * e2 + 0.1f * s3 / (1.0e-4f * k2)
                         : std::numeric_limits<float>::infinity();
  return env;
}

int segment_loading(const Envelope& env, float ad) {
  if (ad <= env.e[1]) return 0;
  for (int i = 1; i <= 4; ++i) {
    if (ad <= env.e[static_cast<std::size_t>(i) + 1]) return i;
  }
  return 5;
}

void h14env(float* s, const float* prop) {
  const float e1 = prop[kPE1], e2 = prop[kPE1 + 1], e3 = prop[kPE1 + 2];
  const float s3 = prop[kPS1 + 2];
  const float k1 = prop[kPK1], k2 = prop[kPK2], k3 = prop[kPK3];
  float& s1c = s[kSc];
  float& s2c = s[kSc + 1];
  float& s3c = s[kSc + 2];
  float& s4c = s[kSc + 3];
  float& e1c = s[kEc];
  float& e2c = s[kEc + 1];
  float& e3c = s[kEc + 2];
  float& e4c = s[kEc + 3];

  float r = s[kTot] / (s3 * e3);
  if (r < 1.0e-10f && std::fabs(s[kDMax]) < e1) r = 0.0f;
  const float dsave = std::fabs(s[kDZero]);

  if (r <= 0.0f || r > 0.3f) {
    float k0d = 0.27798f * std::pow(10.0f, -0.25473f * r) * k1;
    e1c = std::min(std::max(0.25f * dsave, e1), 1.5f * e1);
    if (e3c < dsave) {
      s1c = 0.98f * s1c;
      k0d = s1c / (dsave + e1c);
    }
    s1c = (dsave + e1c) * k0d;
    s[kKDeg] = k0d;
  }
  if (r != 0.0f) s[kK2c] = std::min(1.1578f * std::pow(10.0f, -0.20102f * r), 1.0f) * k2;
  s[kK3c] = (k3 / k2) * s[kK2c];
  if (r > 0.312f) {
    e2c = (0.4546f * std::log(r) + 1.5299f) * e2;
  } else if (r > 0.0f) {
    e2c = e2;
  }
  if (r != 0.0f) e3c = std::max((e3 / e2) * e2c, 1.5f * e2c);

  s2c = s1c + (e2c - e1c) * s[kK2c];
  s3c = s2c + (e3c - e2c) * s[kK3c];
  s[kK4c] = -0.5f * s[kK2c];
  s4c = (s1c + s2c) / 2.0f;
  e4c = e3c + (s4c - s3c) / s[kK4c];
  s[kK1c] = s1c / e1c;

  s[kKU2c] = s2c / ((s2c / s[kK1c] + e2c) / 2.0f);
  s[kKU3c] = s3c / ((s3c / (s2c / e2c) + e3c) / 2.0f);
  s[kR] = r;
  s[kR2] = r;
}

void add_corner(Step& st, float d, float p) {
  if (st.ncorners < static_cast<int>(st.corners.size())) {
    st.corners[static_cast<std::size_t>(st.ncorners++)] = Point{d, p};
  }
}

void book_to(Step& st, int opt, float d, float p) {
  for (int i = 0; i < st.ncorners; ++i) {
    const Point c = st.corners[static_cast<std::size_t>(i)];
    if (c.d == st.booked.d && c.p == st.booked.p) continue;
    h14stf(st, opt, st.booked.d, st.booked.p, c.d, c.p);
    st.booked = c;
  }
  st.ncorners = 0;
  h14stf(st, opt, st.booked.d, st.booked.p, d, p);
  st.booked = Point{d, p};
}

void h14stf(Step& st, int opt, float dl, float pl, float d, float p) {
  float* s = st.s;
  const float k = s[kK];
  float& ke = s[kKE];
  if (k != 0.0f) {
    const float s1c = s[kSc], s2c = s[kSc + 1];
    const float e1c = s[kEc], e2c = s[kEc + 1];
    const int rule = static_cast<int>(s[kRule]);
    if (opt == kStfPinched) {
      // The area under the pinched unloading path from (d, p) to zero force.
      const float fpk = s[kFPeak];
      float area = 0.0f;
      bool formed = false;
      if (std::fabs(fpk) > 0.7f * s2c || (rule >= 7 && rule <= 10)) {
        const float a = sgn(e1c, -d);
        const float b = sgn(s1c, a);
        const float sl = std::max((b - 0.85f * fpk) / (a - d), s[kKU2c]);
        const float c = d + (p / 6.0f - 0.85f * p) / sl;
        const float e = sgn(s2c, -c);
        const float f = sgn(e2c, e);
        const float s2 = (e - p / 6.0f) / (f - c);
        const float g = c - (p / 6.0f) / s2;
        area = (c - g) * (p / 6.0f) / 2.0f + (d - c) * (p / 6.0f + 0.85f * p) / 2.0f;
        formed = true;
      } else if (std::fabs(p) <= 0.7f * s2c) {
        const float h = sgn(s1c / 3.0f, p);
        const float c = d + (h - p) / (s1c / e1c);
        const float e = sgn(e1c, -d);
        const float f = sgn(s1c, e);
        const float s2 = (f - h) / (e - c);
        const float g = c - h / s2;
        area = (c - g) * h / 2.0f + (d - c) * (h + p) / 2.0f;
        formed = true;
      }
      // A degenerate path (no area, or a division by zero on the way) keeps
      // the stiffness it had rather than hand an infinity to the energy.
      if (formed) {
        const float v = p * p / (2.0f * std::fabs(area));
        if (std::isfinite(v)) ke = v;
      }
    } else if (opt == kStfSecant) {
      const float e1 = st.prop[kPE1];
      const bool cracked = s[kDMax] > e1 || s[kDHalf] > e1;
      if (cracked || !(rule == 1 || rule == 3 || rule == 5 || rule == 6)) {
        if (d * p > 0.0f) ke = 1.5f * p / d;
      } else {
        ke = k;
      }
    }
  }
  enrgy(&s[kEse], s[kPse], s[kCse], p, pl, d, dl, k, ke);
  s[kTot] = s[kEse] + s[kPse];
}

void h14rul(Step& st) {
  float* s = st.s;
  const Envelope env = envelope(s);
  const float d = st.d;
  const float ad = std::fabs(d);
  const float sigma = std::copysign(1.0f, d);
  const int loading = st.dd > 0.0f ? 1 : 3;
  float& k = s[kK];
  float& p = st.p;
  const int mark = static_cast<int>(s[kMark]);

  auto on_backbone = [&](float kseg) {
    s[kRule] = static_cast<float>(loading);
    s[kMark] = 10.0f;
    k = kseg;
  };

  // Segment of |D| in the return to the backbone: each holds its start point.
  int seg = 5;
  for (int i = 0; i < 5; ++i) {
    if (ad < env.e[static_cast<std::size_t>(i) + 1]) {
      seg = i;
      break;
    }
  }

  if (seg == 0) {
    if (d == 0.0f) return;
    const float k1c = env.k[0];
    const float sec = p / d;
    if (sec < k1c) return;
    if (sec == k1c) {
      on_backbone(k1c);
      return;
    }
    if (k <= k1c) return;
    if (mark == 51 || mark == 52) {
      // The branch meets the line of the initial slope and follows it.
      float x = (k * st.leg.d - st.leg.p) / (k - k1c);
      x = std::copysign(std::fabs(x), st.leg.d);
      if (between(x, st.leg.d, d)) add_corner(st, x, k1c * x);
      p = k1c * d;
      on_backbone(k1c);
    } else if (mark == 41 || mark == 42) {
      const float dp = d > 0.0f ? s[kDPos] : s[kDNeg];
      if (ad <= std::fabs(dp)) return;
      // Past the peak of this side: head for the first backbone point.
      const float y0 = st.leg.p + k * (dp - st.leg.d);
      const float s2 = (s[kSc] - std::fabs(y0)) / (s[kEc] - std::fabs(dp));
      add_corner(st, dp, y0);
      st.leg = Point{dp, y0};
      st.kleg = s2;
      p = y0 + s2 * (d - dp);
      k = s2;
      s[kRule] = d > 0.0f ? 6.0f : 5.0f;
    }
    return;
  }

  if (seg == 5 && ad > env.dzero) {
    // Beyond the end of the backbone: no force, no stiffness.
    p = 0.0f;
    k = 0.0f;
    s[kRule] = static_cast<float>(loading);
    return;
  }

  const auto i = static_cast<std::size_t>(seg);
  const float es = env.e[i], fs = env.f[i], kseg = env.k[i];
  // Force with the sign of D, so a point on the far side of zero force is
  // never taken for one above the backbone.
  const float q = p * sigma;
  int side;  // -1 below the segment, 0 on it, 1 above
  if (ad > es) {
    const float sl = (q - fs) / (ad - es);
    side = sl < kseg ? -1 : (sl == kseg ? 0 : 1);
  } else {
    side = q < fs ? -1 : (q == fs ? 0 : 1);
  }
  if (side < 0) return;
  if (side > 0) {
    // Where the branch meets the segment, or the one before when it meets
    // this one before its start: from there the step follows the backbone.
    const float kb = k;
    if (kb != kseg) {
      float x = 0.0f, y = 0.0f;
      intsct(x, y, st.leg.d, st.leg.p, kb, sigma * es, sigma * fs, kseg);
      if (x * sigma < es && kb != env.k[i - 1]) {
        float x0 = 0.0f, y0 = 0.0f;
        intsct(x0, y0, st.leg.d, st.leg.p, kb, sigma * env.e[i - 1], sigma * env.f[i - 1],
               env.k[i - 1]);
        if (between(x0, st.leg.d, d)) add_corner(st, x0, y0);
        add_corner(st, sigma * es, sigma * fs);
      } else if (between(x, st.leg.d, d)) {
        add_corner(st, x, y);
      }
    }
    p = sigma * (fs + kseg * (ad - es));
    st.leg = Point{sigma * es, sigma * fs};
    st.kleg = kseg;
  }
  on_backbone(kseg);
}

}  // namespace shear2

namespace {

using namespace shear2;

[[noreturn]] void unusable_set(int set, const char* why) {
  fio::write(6, "(/,' ***** ERROR IN SHEAR2 MATERIAL SET',I5,': ',A)", set, why);
  kv::stop_run(1, "UNUSABLE SHEAR2 MATERIAL DATA");
}

void read_and_echo(MatCall& c) {
  float* prop = prop_words(c);
  std::string name;
  std::int32_t npt = 0;
  float beta = 0.0f;
  read_set_record(c.set, name, npt, beta);
  // The property layout, the slopes and the damage index hold four points.
  if (npt != kPoints) unusable_set(c.set, "THE BACKBONE MUST HAVE 4 POINTS");

  std::array<float, kPoints> stress{}, strain{};
  std::array<float, 5> x{};
  std::span<float> stress_in(stress), strain_in(strain), x_in(x);
  read_set_record(c.set, stress_in);
  read_set_record(c.set, strain_in);
  read_set_record(c.set, x_in);
  // Every slope divides by a strain or a strain difference.
  if (!(strain[0] > 0.0f && strain[1] > strain[0] && strain[2] > strain[1] &&
        strain[3] > strain[2])) {
    unusable_set(c.set, "THE STRAINS MUST BE POSITIVE AND RISING");
  }

  std::fill(prop + 1, prop + kNProp + 1, 0.0f);
  prop[kPNpt] = static_cast<float>(npt);
  const float s1 = stress[0], s2 = stress[1], e1 = strain[0], e2 = strain[1];
  prop[kPEy] = s1 * e1 / 2.0f + (e2 - e1) * (s1 + s2) / 2.0f;
  for (int i = 0; i < kPoints; ++i) {
    prop[kPS1 + i] = stress[static_cast<std::size_t>(i)];
    prop[kPE1 + i] = strain[static_cast<std::size_t>(i)];
  }
  prop[kPBeta] = beta;
  for (int i = 0; i < 5; ++i) prop[kPX1 + i] = x[static_cast<std::size_t>(i)];
  c.nprop = kNProp;

  if (c.new_type || c.debug) {
    fio::write(6, "(///,' SHEAR2 HYSTERESIS MODEL DATA - ','FOR WHOLE LENGTH MEMBER',/,"
                  "' ===============================','=======================',/,"
                  "'     BACKBONE CURVE POINTS - MAT.     ',5X,'BETA',9X,' STRESS',8X,"
                  "' STRAIN')");
  }
  fio::write(6, "((28X,I4,2X,3E15.6),/,(49X,2E15.6))", c.set, beta, stress[0], strain[0],
             stress[1], strain[1], stress[2], strain[2], stress[3], strain[3]);
  fio::write_list(6, "  ");
}

void set_up(MatCall& c) {
  float* s = state_words(c);
  float* prop = prop_words(c);
  // Words 78 and 79 come from the element; everything else starts anew, so a
  // reset spring carries nothing of its past (nor of words reused after a
  // "RELEASE" or a new "STR").
  const float wall1 = s[kWall1], wall2 = s[kWall2];
  std::fill(s + 1, s + kNState + 1, 0.0f);
  s[kWall1] = wall1;
  s[kWall2] = wall2;

  s[kRule] = 1.0f;
  s[kCycles] = 1.0f;
  s[kCross] = 0.0f;
  s[kFlag37] = 1.0f;
  s[kFlag44] = 0.0f;
  s[kThreshold] = 0.3f;

  prop[kPWall1] = wall1;
  prop[kPWall2] = wall2;
  // An element that wrote nothing leaves word 4 at 0: no ratio then.
  prop[kPX2Ratio] = prop[kPWall2] != 0.0f ? prop[kPX2] / prop[kPWall2] : 0.0f;
  s[kEy] = prop[kPEy];
  s[kX2Ratio] = prop[kPX2Ratio];

  const float* st = prop + kPS1;  // S1..S4
  const float* ep = prop + kPE1;  // E1..E4
  const std::array<float, 8> k = h14slp(st[0], st[1], st[2], st[3], ep[0], ep[1], ep[2], ep[3]);
  for (int i = 0; i < 8; ++i) prop[kPK1 + i] = k[static_cast<std::size_t>(i)];

  for (int i = 0; i < kPoints; ++i) {
    s[kSc + i] = st[i];
    s[kEc + i] = ep[i];
  }
  s[kK] = k[0];
  s[kK1c] = k[0];
  for (int i = 1; i < 8; ++i) s[kK2c + i - 1] = k[static_cast<std::size_t>(i)];
}

void results(MatCall& c) {
  const float* s = state_words(c);
  c.ese = s[kEse];
  c.pse = s[kPse];
  for (int k = 0; k < 3; ++k) c.duct[static_cast<std::size_t>(k)] = std::max(s[kUp + k], s[kUn + k]);
  for (int k = 0; k < 6; ++k) c.ex[static_cast<std::size_t>(k)] = s[kEx + k];
}

void state_determination(MatCall& c) {
  // No increment, no event: a zero step would also wipe the memory of the
  // last increment on which the reversals are detected.
  if (c.d == c.dl) return;
  Step st;
  st.s = state_words(c);
  st.prop = prop_words(c);
  st.p = c.p;
  st.d = c.d;
  st.pl = c.pl;
  st.dl = c.dl;
  hyst14(st);
  c.p = st.p;
  c.pl = st.pl;
  c.dl = st.dl;
  if (st.failed) {
    // The spring has no strength left: it holds zero force and stiffness and
    // the solution stops after this step, with its files written.
    fio::write(6, "(/,' ***** SHEAR2 SPRING OF ELEMENT',I6,' HAS RUN OFF THE END OF ITS "
                  "BACKBONE AT STEP',I6,/,' ***** FORCE AND STIFFNESS HELD AT 0.0, THE "
                  "SOLUTION STOPS')",
               c.ielno, kv::solsta().istep);
    kv::ctl(kv::kISTOP) |= 1;
  }
}

}  // namespace

void mat14(MatCall& c) {
  c.nstate = kNState;
  switch (c.iopt) {
    case kOptNState:
      break;
    case kOptRead:
      read_and_echo(c);
      break;
    case kOptInit:
      set_up(c);
      break;
    case kOptState:
      state_determination(c);
      break;
    case kOptResults:
      results(c);
      break;
    case kOptDamage: {
      const float* s = state_words(c);
      c.ese = s[kEse];
      c.pse = s[kPse];
      const float* prop = prop_words(c);
      const float dm = std::max(s[kDHalf], s[kDMax]);
      c.di = park_ang(dm, prop[kPE1 + 3], prop[kPBeta], prop[kPS1 + 1], s[kPse]);
      break;
    }
    default:
      break;
  }
}

}  // namespace materials
