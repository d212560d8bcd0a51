// The rule engine of the "SHEAR2" spring: ten rules (loading on the backbone,
// unloading, pinched reloading after a zero crossing of the force, reloading
// toward a peak) moved one step at a time, with the bookkeeping of the points
// a step crosses.
//
// The work of a step is booked along the path the force actually follows: a
// step that bends or restarts at a point books up to that point first, so the
// total energy is the area under the path whatever the step size.
#include <algorithm>
#include <cmath>

#include "materials/shear2.h"

namespace materials::shear2 {

namespace {

// |a| with the sign of b.
float sgn(float a, float b) { return std::copysign(std::fabs(a), b); }

bool within(int r, int lo, int hi) { return r >= lo && r <= hi; }

int rule_of(const float* s) { return static_cast<int>(s[kRule]); }
void set_rule(float* s, int r) { s[kRule] = static_cast<float>(r); }

// Cracked: the spring has reached the first input backbone point.
bool cracked(const Step& st) {
  const float e1 = st.prop[kPE1];
  return st.s[kDMax] >= e1 || st.s[kDHalf] >= e1;
}

// The lower end of |D| over the step, |D| - |dD| formed without rounding:
// |DL| when the step stays on one side of zero, below zero when it passes it.
float step_low(const Step& st) {
  const float adl = std::fabs(st.dl_in);
  return st.d * st.dl_in >= 0.0f ? adl : -adl;
}

// Backbone points crossed by the step: one at the step's start counts (the
// tangent there may still be that of the segment before it).
bool crossed(float lo, float e, float ad) { return lo <= e && e < ad; }

// 1.5 P/D, the secant from (D/3, 0) to (D, P); `fallback` at D = 0.
float secant(float p, float d, float fallback) { return d != 0.0f ? 1.5f * p / d : fallback; }

// Restarts the branch at (d, p): the work up to there is booked first.
void restart_at(Step& st, int opt, float d, float p) {
  if (!(st.booked.d == d && st.booked.p == p && st.ncorners == 0)) book_to(st, opt, d, p);
  st.dl = d;
  st.pl = p;
  st.leg = Point{d, p};
}

// ---------------------------------------------------------------- H14BC
void h14bc(Step& st) {
  float* s = st.s;
  const float* prop = st.prop;
  const Envelope env = envelope(s);
  const float d = st.d;
  const float ad = std::fabs(d);
  const float lo = step_low(st);
  const int rule = rule_of(s);
  const bool loading = (rule == 1 && st.dd > 0.0f) || (rule == 3 && st.dd < 0.0f);

  if (loading) {
    for (std::size_t j = 1; j <= 5; ++j) {
      if (crossed(lo, env.e[j], ad)) s[kCross] = 1.0f;
    }
  } else if (d * st.p > 0.0f && (rule == 5 || rule == 6) && crossed(lo, env.e[1], ad)) {
    // The pinched reloading has reached the first backbone point.
    s[kCross] = 1.0f;
    set_rule(s, rule == 5 ? 3 : 1);
  }

  s[kDHalf] = std::max(s[kDHalf], ad);

  const float e1 = prop[kPE1];
  const float e2 = prop[kPE1 + 1];
  if (loading && (st.p == 0.0f || st.p * st.pl < 0.0f)) {
    // Loading on the backbone the force reaches zero only at the end of the
    // last segment: there the spring is gone. Short of it, a trial force past
    // zero comes from a long step on a falling segment, and the branch rule
    // puts it back on the backbone.
    if (st.p * st.pl < 0.0f && (s[kK] == -1.0e-4f * s[kK2c] || ad > env.dzero)) {
      st.p = 0.0f;
      s[kK] = 0.0f;
      st.failed = true;
      return;
    }
  } else if (st.p == 0.0f || st.p * st.pl < 0.0f) {
    s[kDMax] = std::max(s[kDMax], s[kDHalf]);
    if (st.p * st.pl < 0.0f) {
      const float k = s[kK];
      s[kDZero] = st.dl - st.pl / k;
      s[kDPast] = d - s[kDZero];
      ductex(0, &s[kUp], &s[kEx], e2, d, s[kEse], s[kPse], s[kCse], s[kEy]);
      if (k == -1.0e-4f * s[kK2c]) {
        // Zero force on the last segment of the backbone: the spring is gone.
        st.p = 0.0f;
        s[kK] = 0.0f;
        st.failed = true;
        return;
      }
      const int opt = (s[kDMax] < e1 && s[kDHalf] < e1) ? kStfGiven : kStfSecant;
      book_to(st, opt, s[kDZero], 0.0f);
      st.leg = Point{s[kDZero], 0.0f};
      if (st.pl < 0.0f) {
        s[kCycles] += 1.0f;
        s[kDHalf] = ad;
      }
    } else {
      // The force came to rest exactly at zero: that is the crossing point.
      s[kDZero] = d;
      s[kDPast] = 0.0f;
    }
    if (s[kDMax] > e1) h14env(s, prop);
    if (rule_of(s) == 2) set_rule(s, 5);
    if (rule_of(s) == 4) set_rule(s, 6);
  }

  const int now = rule_of(s);
  if ((now == 7 && st.rule_in == 4) || (now == 8 && st.rule_in == 2)) {
    s[kCycles] += 1.0f;
    s[kDMax] = std::max(s[kDMax], s[kDHalf]);
  }
}

// ---------------------------------------------------------------- H14BR
// Rules 1 and 3: on the backbone.
void br_loading(Step& st) {
  float* s = st.s;
  const Envelope env = envelope(s);
  const float d = st.d;
  const float ad = std::fabs(d);
  float& k = s[kK];
  s[kMark] = 10.0f;

  if (ad <= env.e[1]) {
    k = env.k[0];
    s[kKE] = k;
    s[kOpt] = kStfGiven;
    return;
  }
  const int seg = segment_loading(env, ad);
  if (seg == 5 && ad > env.dzero) {
    st.p = 0.0f;
    k = 0.0f;
    st.failed = true;
    return;
  }
  k = env.k[static_cast<std::size_t>(seg)];

  if (k != st.k0 && s[kCross] != 0.0f) {
    // Bend at every backbone point the step crossed.
    const float sigma = std::copysign(1.0f, d);
    const float lo = step_low(st);
    Point at = st.leg;
    float kat = st.kleg;
    bool bent = false;
    for (std::size_t j = 1; j <= 5; ++j) {
      const float e = env.e[j];
      if (!crossed(lo, e, ad)) continue;
      const float x = sigma * e;
      const float f = at.p + kat * (x - at.d);
      add_corner(st, x, f);
      at = Point{x, f};
      kat = env.k[j];
      bent = true;
    }
    if (bent) {
      st.p = at.p + k * (d - at.d);
      s[kDZero] = at.d;
      st.leg = at;
      st.kleg = k;
    }
  }

  if (seg == 1) {
    s[kOpt] = std::fabs(st.p) <= 0.7f * s[kSc + 1] ? kStfSecant : kStfPinched;
  } else if (seg == 2 || seg == 3) {
    s[kOpt] = kStfPinched;
  } else {
    s[kKE] = st.prop[kPK1];
  }
}

// Crossing A: the unloading passes zero force and heads on toward the first
// backbone point of the other side.
void crossing_a(Step& st) {
  float* s = st.s;
  const float x0 = st.leg.d - st.leg.p / st.kleg;
  s[kDZero] = x0;
  s[kDPast] = st.d - x0;
  const float c = sgn(s[kEc], -x0);
  float k = s[kK];
  if (c - x0 != 0.0f) k = sgn(s[kSc], c) / (c - x0);
  s[kK] = k;
  add_corner(st, x0, 0.0f);
  st.leg = Point{x0, 0.0f};
  st.kleg = k;
  st.p = k * s[kDPast];
  set_rule(s, rule_of(s) == 2 ? 5 : 6);
}

// Crossing B: the unloading passes zero force; the backbone is updated and
// the branch restarts at the crossing.
void crossing_b(Step& st) {
  float* s = st.s;
  const float x0 = st.leg.d - st.leg.p / st.kleg;
  s[kDZero] = x0;
  restart_at(st, kStfGiven, x0, 0.0f);
  h14env(s, st.prop);
  const float r = s[kR];
  float k;
  if (r > 0.3f || r <= 0.0f) {
    k = s[kKDeg];
  } else {
    const float c = sgn(s[kEc], -x0);
    k = sgn(s[kSc], c) / (c - x0);
  }
  s[kK] = k;
  st.kleg = k;
  st.p = k * (st.d - x0);
  set_rule(s, rule_of(s) == 2 ? 5 : 6);
}

// An unloading step's values as it starts (restarts and crossings move the
// step's own).
struct Unload {
  float d, dl, pl, dd, k0;
  float s1c, e1c, s2c, e2c;  // the first and second backbone points
  float k1, ku2;
  int rin;  // the rule on entry
};

// A straight unloading from the step's start on `slope`.
void unload_line(Step& st, const Unload& u, float slope) {
  st.s[kK] = slope;
  st.p = u.pl + slope * (u.d - u.dl);
  st.leg = Point{u.dl, u.pl};
  st.kleg = slope;
}

// Unloading right after a pinched reloading or a reloading toward a peak: a
// short unloading on the steeper of the secant and the peak slope, or one
// on the steepest slope from a small force. True when the step was taken.
bool unloading_after_reloading(Step& st, const Unload& u) {
  float* s = st.s;
  float& k = s[kK];
  k = secant(u.pl, u.dl, u.k0);
  if (s[kDMax] >= st.prop[kPE1] && std::fabs(s[kDRev]) <= u.e1c) {
    // A short unloading after a reloading.
    float slope = k;
    if (within(u.rin, 7, 10)) slope = std::max(slope, s[kKPeak]);
    unload_line(st, u, slope);
    s[kMark] = 54.0f;
    if (st.p * st.pl_in < 0.0f) crossing_a(st);
    return true;
  }
  if (std::fabs(u.pl) <= 0.7f * u.s2c && within(u.rin, 7, 10)) {
    unload_line(st, u, std::max({u.k0, u.ku2, secant(u.pl, u.dl, u.k0)}));
    s[kMark] = 23.0f;
    s[kKE] = k;
    if (st.p * st.pl_in < 0.0f) crossing_b(st);
    return true;
  }
  return false;
}

// The peak the unloading starts from: kept in FPEAK with its sixth; the
// caller gets back the force 0.85 of it (or of a reloading's force below it).
float unloading_peak(Step& st, const Unload& u) {
  float* s = st.s;
  float fa = 0.85f * s[kFPeak];
  if (rule_of(s) != u.rin) {
    const float fpk = u.dd < 0.0f ? s[kFPos] : s[kFNeg];
    s[kFPeak] = fpk;
    fa = 0.85f * fpk;
    s[kSixth] = fpk / 6.0f;
    if (within(u.rin, 7, 10) && std::fabs(u.pl) < std::fabs(s[kFPeak])) {
      fa = 0.85f * u.pl;
      s[kSixth] = u.pl / 6.0f;
    }
  }
  return fa;
}

// Large peak: drop to 0.85 of the peak (fa), unload to a sixth of it, then
// head for the opposite second backbone point. Forces are compared with the
// sign of the peak, so a long step that passes the sixth and zero force at
// once still bends where the path does.
void large_peak_unloading(Step& st, const Unload& u, float fa) {
  float* s = st.s;
  float& k = s[kK];
  float& p = st.p;
  const float d = u.d, dl = u.dl;
  const float sixth = s[kSixth];
  const float sig = std::copysign(1.0f, sixth);
  const float lev = std::fabs(sixth);
  const float top = std::fabs(6.0f * sixth);
  // The drop is judged where the unloading starts, the later steps by
  // their force.
  const bool later = st.mark_in == 25 || st.mark_in == 26;
  const float qb = sig * (later ? p : u.pl);
  if (lev < qb && (qb <= top || u.k0 < 0.0f)) {
    s[kMark] = 25.0f;
    if (st.mark_in != 25) {
      const float a = sgn(u.e1c, -dl);
      k = std::max((sgn(u.s1c, a) - fa) / (a - dl), u.ku2);
      add_corner(st, dl, fa);
      st.leg = Point{dl, fa};
      st.kleg = k;
      p = fa + k * (d - dl);
    }
  }
  bool level = false;
  if (sig * p < lev && std::fabs(sig * p - lev) < std::fabs(st.kleg * u.dd)) {
    s[kDZero] = st.leg.d + (sixth - st.leg.p) / st.kleg;
    s[kCross] = 1.0f;
    level = true;
  }
  if (sig * p <= lev || level) {
    s[kMark] = 26.0f;
    if (level) {
      const float x = s[kDZero];
      const float fc = st.leg.p + st.kleg * (x - st.leg.d);
      const float tx = sgn(u.e2c, -d), ty = sgn(u.s2c, -d);
      k = (ty - fc) / (tx - x);
      add_corner(st, x, fc);
      st.leg = Point{x, fc};
      st.kleg = k;
      p = fc + k * (d - x);
    }
    if (p * st.pl_in < 0.0f) crossing_b(st);
    return;
  }
  if (p * st.pl_in < 0.0f) crossing_a(st);
}

// Small peak: the initial slope K1 down to a third of S1', then toward the
// opposite first backbone point. As above, forces carry the peak's sign and
// the first step unloads with K1 from where it starts.
void small_peak_unloading(Step& st, const Unload& u) {
  float* s = st.s;
  float& k = s[kK];
  float& p = st.p;
  const float d = u.d, dl = u.dl, pl = u.pl;
  const float k1 = u.k1;
  const float sig = std::copysign(1.0f, s[kSixth]);
  const float third = u.s1c / 3.0f;
  const bool later = st.mark_in == 22 || st.mark_in == 23;
  const float qb = sig * (later ? p : pl);
  if (third < qb && qb <= 0.7f * u.s2c) {
    s[kMark] = 22.0f;
    k = k1;
    if (k != u.k0) unload_line(st, u, k1);
  }
  if (sig * p <= third) {
    s[kMark] = 23.0f;
    if (st.mark_in != 23) s[kCross] = 1.0f;
    if (s[kCross] != 0.0f) {
      if (std::fabs(d) <= 20.0f * u.e2c) {
        // From a third of S1' toward the opposite first backbone point, or
        // toward (DL/3, 0) when that is steeper than the initial slope.
        const float c = sgn(third, pl);
        const float x = st.leg.d + (c - st.leg.p) / st.kleg;
        s[kDZero] = x;
        const float a = sgn(u.e1c, -dl);
        float slope = (sgn(u.s1c, a) - c) / (a - x);
        if (slope > k1) {
          slope = -c / (dl / 3.0f - x);
          s[kKE] = slope;
        }
        const float fc = st.leg.p + st.kleg * (x - st.leg.d);
        k = slope;
        add_corner(st, x, fc);
        st.leg = Point{x, fc};
        st.kleg = slope;
        p = fc + slope * (d - x);
      } else {
        k = s[kK1c];
      }
    }
  }
  if (p * st.pl_in < 0.0f) crossing_a(st);
}

// Rules 2 and 4: unloading.
void br_unloading(Step& st) {
  float* s = st.s;
  const float* prop = st.prop;
  const Unload u{st.d,      st.dl,       st.pl,         st.dd,           st.k0,       s[kSc],
                 s[kEc],    s[kSc + 1],  s[kEc + 1],    prop[kPK1],      prop[kPKU2], st.rule_in};
  float& k = s[kK];
  s[kOpt] = kStfGiven;

  if (!cracked(st)) {
    s[kMark] = 21.0f;
    k = s[kK1c];
    if (within(u.rin, 5, 8)) {
      restart_at(st, kStfGiven, s[kDZero], 0.0f);
      s[kDPast] = 0.0f;
    }
    return;
  }
  if (st.mark_in == 54 || st.mark_in == 23) {
    k = u.k0;
    return;
  }
  if (within(u.rin, 5, 10) && unloading_after_reloading(st, u)) return;

  const float fa = unloading_peak(st, u);
  if (std::fabs(6.0f * s[kSixth]) > 0.7f * u.s2c) {
    large_peak_unloading(st, u, fa);
    return;
  }
  small_peak_unloading(st, u);
}

// Rules 5 and 6: pinched reloading after the force crossed zero.
void br_pinched(Step& st) {
  float* s = st.s;
  const float s1c = s[kSc], e1c = s[kEc];
  const bool first = rule_of(s) != st.rule_in;
  float& k = s[kK];
  float& p = st.p;
  s[kOpt] = kStfGiven;
  k = st.k0;

  // The branch starts anew at the zero crossing of the step.
  auto restart = [&] {
    if (s[kDPast] != 0.0f) {
      restart_at(st, kStfGiven, s[kDZero], 0.0f);
      st.kleg = k;
      p = k * s[kDPast];
      s[kDPast] = 0.0f;
    }
  };

  if (s[kMark] == 31.0f || s[kR] <= s[kThreshold]) {
    s[kMark] = 31.0f;
    if (s[kDMax] >= e1c || s[kDHalf] >= e1c) {
      if (first) {
        const float c = sgn(e1c, -s[kDZero]);
        const float x = s[kDPast] == 0.0f ? st.dl : s[kDZero];
        if (c - x != 0.0f) k = sgn(s1c, c) / (c - x);
        restart();
      }
      if (st.d * p > 0.0f) s[kKE] = 1.5f * p / st.d;
    } else {
      // Not cracked: back on the initial line through the origin, elastic.
      s[kPse] = 0.0f;
      st.dl = 0.0f;
      st.pl = 0.0f;
      st.booked = Point{0.0f, 0.0f};
      st.ncorners = 0;
      st.leg = Point{0.0f, 0.0f};
      s[kKE] = k;
      set_rule(s, rule_of(s) == 5 ? 3 : 1);
    }
  } else {
    s[kMark] = 32.0f;
    if (p * st.pl_in < 0.0f) {
      k = s[kKDeg];
      restart();
    }
    if (st.d * p > 0.0f) s[kKE] = 1.5f * p / st.d;
  }
}

// Rules 7 and 8: reloading toward the peak after a partial unloading.
void br_toward_peak(Step& st) {
  float* s = st.s;
  const float* prop = st.prop;
  const float d = st.d, dl = st.dl, pl = st.pl, dd = st.dd, k0 = st.k0;
  const float s2c = s[kSc + 1], e1c = s[kEc];
  const float k1 = prop[kPK1], ku2 = prop[kPKU2];
  float& k = s[kK];
  float& p = st.p;

  if (!cracked(st)) {
    k = k0;
    s[kKE] = k;
    s[kOpt] = kStfGiven;
    set_rule(s, rule_of(s) == 7 ? 3 : 1);
    return;
  }

  if (rule_of(s) != st.rule_in) {
    const bool pos = dd > 0.0f;
    const float dp = pos ? s[kDPos] : s[kDNeg];
    const float fp = pos ? s[kFPos] : s[kFNeg];
    const float ft = 0.9f * fp;
    const float dt = std::fabs(fp) < 0.7f * s2c ? dp - (fp - ft) / k1 : dp;
    s[kDZero] = dt;
    if (st.mark_in == 54 || dt == dl) {
      s[kKPeak] = k0;
    } else {
      s[kKPeak] = std::max((ft - pl) / (dt - dl), k0);
    }
    s[kCross] = 1.0f;
  }
  const float dt = s[kDZero];

  if (std::fabs(d) <= std::fabs(dt)) {
    s[kMark] = 41.0f;
    k = s[kKPeak];
    s[kKE] = k;
    s[kOpt] = kStfGiven;
    if (s[kCross] != 0.0f) {
      p = pl + k * (d - dl);
      st.kleg = k;
    }
  } else if (st.mark_in == 42) {
    // Beyond the target already: the branch goes on.
  } else if (st.mark_in == 41) {
    s[kMark] = 42.0f;
    k = 0.5f * s[kKPeak];
    s[kOpt] = kStfPinched;
    if (k != k0) {
      s[kCross] = 1.0f;
      const float fc = pl + k0 * (dt - dl);
      add_corner(st, dt, fc);
      st.leg = Point{dt, fc};
      st.kleg = k;
      p = fc + k * (d - dt);
    }
  } else {
    if (st.mark_in == 54) s[kKPeak] = k0;
    k = std::max(0.5f * s[kKPeak], k0);
    p = pl + k * (d - dl);
    s[kOpt] = kStfPinched;
    const float fc = pl + k * (dt - dl);
    add_corner(st, dt, fc);
    st.dl = dt;
    st.pl = fc;
    st.leg = Point{dt, fc};
    st.kleg = k;
    s[kMark] = 42.0f;
    s[kCross] = 0.0f;
  }

  h14rul(st);

  if (!cracked(st) || std::fabs(s[kDRev]) > e1c) {
    if (std::fabs(p) > 0.7f * s2c) {
      s[kOpt] = kStfPinched;
    } else {
      float ke = std::max(k0, ku2);
      if (d != 0.0f) ke = std::max(1.5f * p / d, ke);
      s[kKE] = ke;
      s[kOpt] = kStfGiven;
    }
  } else {
    s[kKE] = d != 0.0f ? std::max(1.5f * p / d, s[kKPeak]) : s[kKPeak];
    s[kOpt] = kStfGiven;
  }
}

void h14br(Step& st) {
  switch (rule_of(st.s)) {
    case 1:
    case 3:
      br_loading(st);
      break;
    case 2:
    case 4:
      br_unloading(st);
      break;
    case 5:
    case 6:
      br_pinched(st);
      break;
    case 7:
    case 8:
      br_toward_peak(st);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------- HYST14 parts
// The reversal step into rule 9 or 10: the force drops to zero at DL and the
// spring reloads toward 0.9 of the peak of the other side.
void reversal_toward_peak(Step& st) {
  float* s = st.s;
  const bool pos = rule_of(s) == 10;
  const float dp = pos ? s[kDPos] : s[kDNeg];
  const float fp = pos ? s[kFPos] : s[kFNeg];
  s[kKPeak] = dp != st.dl ? 0.9f * fp / (dp - st.dl) : st.k0;
  s[kK] = s[kKPeak];
  s[kKE] = std::max(s[kK], s[kKU2c]);
  if (pos) s[kCycles] += 1.0f;
  h14stf(st, kStfGiven, st.dl, st.pl, st.dl, 0.0f);
  st.booked = Point{st.dl, 0.0f};
  st.p = s[kKPeak] * (st.d - st.dl);
  st.pl = 0.0f;
  st.leg = Point{st.dl, 0.0f};
  st.kleg = s[kK];
  s[kMark] = 51.0f;
  h14env(s, st.prop);
  h14rul(st);
  book_to(st, kStfGiven, st.d, st.p);
  s[kDHalf] = std::fabs(st.d);
  s[kDDPrev] = st.dd;
}

// Later steps of rules 9 and 10: on toward the peak, then on at half the slope.
void later_toward_peak(Step& st) {
  float* s = st.s;
  const bool pos = rule_of(s) == 10;
  const float dp = pos ? s[kDPos] : s[kDNeg];
  const float ad = std::fabs(st.d);
  if (ad < std::fabs(dp)) {
    s[kMark] = 52.0f;
    h14rul(st);
  } else if (ad > std::fabs(dp)) {
    const float k = 0.5f * s[kKPeak];
    if (k != st.k0) {
      const float fc = st.pl + st.k0 * (dp - st.dl);
      add_corner(st, dp, fc);
      st.leg = Point{dp, fc};
      st.kleg = k;
      st.p = fc + k * (st.d - dp);
    }
    s[kK] = k;
    s[kMark] = 53.0f;
    h14rul(st);
  }
  s[kDDPrev] = st.dd;
  s[kDHalf] = std::max(ad, s[kDHalf]);
  book_to(st, kStfPinched, st.d, st.p);
}

// Work of the step after the branch rules.
void book_step(Step& st) {
  float* s = st.s;
  const int rule = rule_of(s);
  const float ap = std::fabs(st.p);
  const float limit = 0.7f * s[kSc + 1];
  if (s[kCross] != 0.0f) {
    int opt;
    if (rule == 2 || rule == 4) {
      opt = kStfGiven;
    } else if (rule != 1 && rule != 3 && ap <= limit) {
      s[kKE] = s[kK];
      opt = kStfGiven;
    } else if (ap > limit) {
      opt = kStfPinched;
    } else {
      opt = static_cast<int>(s[kOpt]);
    }
    s[kOpt] = static_cast<float>(opt);
    book_to(st, opt, st.d, st.p);
    s[kCross] = 0.0f;
  } else if ((rule == 5 || rule == 6) && st.d * st.p < 0.0f) {
    // Force and deformation of opposite signs: no elastic energy stored.
    s[kKE] = 1.0e25f;
    book_to(st, static_cast<int>(s[kOpt]), st.d, st.p);
  } else if ((rule == 5 || rule == 6) && st.d * st.p == 0.0f) {
    st.ncorners = 0;
  } else {
    book_to(st, static_cast<int>(s[kOpt]), st.d, st.p);
  }
}

void rate_ductility(Step& st) {
  float* s = st.s;
  const int rule = rule_of(s);
  const float e2 = st.prop[kPE1 + 1];
  if (rule == 1 || rule == 8 || rule == 10) {
    ductex(1, &s[kUp], &s[kEx], e2, std::max(st.d, st.dl_in), s[kEse + 1], s[kPse], s[kCse],
           s[kEy]);
  } else if (rule == 3 || rule == 7 || rule == 9) {
    ductex(1, &s[kUn], &s[kEx], -e2, std::min(st.d, st.dl_in), s[kEse + 2], s[kPse], s[kCse],
           s[kEy]);
  }
}

}  // namespace

void hyst14(Step& st) {
  float* s = st.s;
  st.pl_in = st.pl;
  st.dl_in = st.dl;
  st.rule_in = rule_of(s);
  st.mark_in = static_cast<int>(s[kMark]);
  st.k0 = s[kK];
  s[kK0] = st.k0;
  st.dd = st.d - st.dl;
  s[kDD] = st.dd;
  st.leg = Point{st.dl, st.pl};
  st.kleg = st.k0;
  st.booked = st.leg;
  st.ncorners = 0;
  st.failed = false;

  if (s[kK] == 0.0f) {
    // The spring has run off the end of its backbone: nothing is left.
    st.p = 0.0f;
    st.pl = 0.0f;
    st.booked = Point{st.dl, 0.0f};
    book_to(st, static_cast<int>(s[kOpt]), st.d, 0.0f);
    s[kDDPrev] = st.dd;
    st.failed = true;
    return;
  }

  // A virgin spring first loaded the negative way loads on the negative
  // backbone.
  if (st.rule_in == 1 && s[kDDPrev] == 0.0f && st.dd < 0.0f) {
    st.rule_in = 3;
    set_rule(s, 3);
  }

  if (st.dd * s[kDDPrev] < 0.0f) {
    // A reversal: keep the peak it leaves and change the rule.
    s[kDRev] = st.dl;
    const int r0 = st.rule_in;
    if (st.dd < 0.0f) {
      if (r0 == 8 || r0 == 10) {
        s[kFPos] = std::max(s[kFPos], st.pl);
        s[kDPos] = std::max(s[kDPos], st.dl);
      } else {
        s[kFPos] = st.pl;
        s[kDPos] = st.dl;
      }
    } else {
      if (r0 == 7 || r0 == 9) {
        s[kFNeg] = std::min(s[kFNeg], st.pl);
        s[kDNeg] = std::min(s[kDNeg], st.dl);
      } else {
        s[kFNeg] = st.pl;
        s[kDNeg] = st.dl;
      }
    }
    const float e1c = s[kEc];
    const float drev = s[kDRev];
    const bool past_e1 = s[kDMax] >= e1c || s[kDHalf] >= e1c;
    int r = r0;
    if (r0 == 6 && 0.0f < drev && drev < e1c) {
      r = 2;
    } else if (r0 == 5 && -e1c < drev && drev < 0.0f) {
      r = 4;
    } else if (r0 == 2) {
      r = past_e1 ? 8 : 1;
    } else if (r0 == 4) {
      r = past_e1 ? 7 : 3;
    } else if (r0 == 1) {
      r = 2;
    } else if (r0 == 3) {
      r = 4;
    } else if (r0 == 8 || r0 == 10) {
      r = 2;
    } else if (r0 == 7 || r0 == 9) {
      r = 4;
    } else if (r0 == 5) {
      r = 10;
      s[kCse] = s[kTot];
    } else if (r0 == 6) {
      r = 9;
      s[kCse] = s[kTot];
    }
    set_rule(s, r);
    if (r == 9 || r == 10) {
      reversal_toward_peak(st);
      return;
    }
  } else if (st.rule_in == 9 || st.rule_in == 10) {
    later_toward_peak(st);
    return;
  }

  h14bc(st);
  if (st.failed) return;
  h14br(st);
  if (st.failed || s[kK] == 0.0f) return;
  book_step(st);
  s[kDDPrev] = st.dd;
  rate_ductility(st);
}

}  // namespace materials::shear2
