#include "materials/shear1.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "fio/fio.h"
#include "materials/bend1.h"
#include "materials/event_stepping.h"
#include "materials/model_echo.h"
#include "materials/rules.h"

namespace materials {

using namespace shear;

namespace {

// |a| with the sign of b (a negative zero counts as negative).
float sgn(float a, float b) { return std::copysign(std::fabs(a), b); }

float power(float r, float e) { return std::pow(std::fabs(r), e); }

void shear1_header() {
  write_model_title(3, "SHEAR1 HYSTERESIS MODEL DATA - UNIT LENGTH MEMBER");
  fio::write(6, "('     BACKBONE CURVE POINTS - MAT.  NI        DY     ',5X,'BETA',9X,' STRESS',8X,"
                "' STRAIN')");
}

// The type-4 model: its words and messages, for the driver and the rule.
constexpr BackboneModel kShear1{
    34,      kPoints, 1,        kSe, kEse, kPse, kCse, kUp, kUn, kEx,
    "------------- IN MAT04 -------------------------",
    "MORE THAN 10 CYCLES IN MAT04,  IELNO:",
    shear1_header,
    hyst04};

// The unloading curve from the peak (mp, dp): down by the first backbone stress
// on KU, then on max(ka, K1) to half that stress, then on max(kb, K2) to zero.
struct Unloading {
  float ku, k1, k2;
  float d0;  // where the line through both peaks, drawn through (dp, mp), crosses zero
  float ma, da, mb, ka, db, kb;
  float se;
  bool has_se;  // false when the curve encloses no area (a degenerate set)
};

Unloading unloading_set(float si, float t1, float r, float pmg, float pmh, float dmg, float dmh,
                        float mp, float dp) {
  Unloading u;
  u.ku = si * std::min(1.0f, 1.4675f * power(r, 0.343f));
  u.k1 = si * std::min(1.0f, 0.7761f * power(r, 0.3195f));
  u.k2 = si * std::min(1.0f, 1.369f * r + 0.0707f);
  u.d0 = dp - quot(mp * (dmg - dmh), pmg - pmh);
  u.ma = mp - sgn(t1, mp);
  u.da = dp - quot(sgn(t1, mp), u.ku);
  u.mb = sgn(std::min(t1 / 2.0f, std::fabs(u.ma)), mp);
  u.ka = slpmin(u.da - u.d0, u.ma, si);
  u.db = u.da - quot(u.ma - u.mb, std::max(u.ka, u.k1));
  u.kb = slpmin(u.db - u.d0, u.mb, si);
  const float denom = quot(0.5f * u.mb * u.mb, std::max(u.kb, u.k2)) +
                      0.5f * (u.da - u.db) * (u.mb + u.ma) + 0.5f * (dp - u.da) * (u.ma + mp);
  u.has_se = denom != 0.0f;
  u.se = quot(0.5f * mp * mp, denom);
  return u;
}

void trace_rule(float p, float d, float pl, float dl, float vel, const float* s, const float* prop,
                const Backbone& b, float si) {
  fio::write(6,
             "(' S1-    P=',E13.5,'   D=',E13.5,'   PL=',E13.5,'    DL=',E13.5/"
             "' S1-   NS=',E13.5,'   NI=',E13.5,'   PC=',E13.5,'    DC=',E13.5/"
             "' S1-   SI=',E13.5,'    K=',E13.5,'  RULE=',E13.5,'      A=',E13.5/"
             "' S1-  PMG=',E13.5,'  PMH=',E13.5,'   DMG=',E13.5,'    DMH=',E13.5/"
             "' S1-  SR1=',E13.5,'  SR2=',E13.5,'   SR3=',E13.5,'    SRM=',E13.5/"
             "' S1-BACKB=',E13.5,'   IR=',E13.5,' PSEO=',E13.5,'    VEL=',E13.5/"
             "' S1-   SE=',E13.5,'   DY=',E13.5,'   ESE=',E13.5,'    PSE=',E13.5/"
             "' S1-  UP1=',E13.5,'  UP2=',E13.5,'   UP3=',E13.5,'    CSE=',E13.5/"
             "' S1-  UN1=',E13.5,'  UN2=',E13.5,'   UN3=',E13.5/"
             "' S1-  EX1=',E13.5,'  EX2=',E13.5,'   EX3=',E13.5/"
             "' S1-  EX4=',E13.5,'  EX5=',E13.5,'   EX6=',E13.5)",
             p, d, pl, dl, prop[kNs], prop[kNi], b.m[1], b.th[1], si, s[kK], s[kRule], s[kA],
             s[kPmg], s[kPmh], s[kDmg], s[kDmh], s[kSr1], s[kSr2], s[kSr3], s[kSrm], s[kBackb],
             s[kIr], s[kCse], vel, s[kSe], prop[kDy], s[kEse], s[kPse], s[kUp], s[kUp + 1],
             s[kUp + 2], prop[kEy], s[kUn], s[kUn + 1], s[kUn + 2], s[kEx], s[kEx + 1], s[kEx + 2],
             s[kEx + 3], s[kEx + 4], s[kEx + 5]);
}

// The backbone: the steepest secant, no steeper than the initial stiffness,
// from the current point to a backbone point above it.
void backbone_search(const Backbone& b, float p, float d, float si, float* s) {
  backbone_secant(b, p, d, true, si, s[kK], s[kA]);
  s[kRule] = 1.0f;
  s[kBackb] = 1.0f;
  s[kIr] = 0.0f;
}

// A reloading step: the point (d, p), the backbone, the unloading set and
// the peaks (mp, dp) of the step's sense, the largest absolute strain x and
// stress y.
struct Reloading {
  const Backbone& b;
  const Unloading& u;
  float* s;
  float p, d;
  float si, t1, g1, r;
  float x, y, mp, dp;
  int dir;
};

// Toward the pinching point or the target (td, tf) on slope kt; false when
// the step reloads past the largest excursion. A pinched branch steeper than
// the direct line is dropped and the choice made again without it; a second
// refusal (a degenerate set only) goes past the peak.
bool reload_toward_target(const Reloading& rl, bool f2, float td, float tf, float kt) {
  const Unloading& u = rl.u;
  float* s = rl.s;
  const float p = rl.p, d = rl.d, si = rl.si, t1 = rl.t1, mp = rl.mp;
  float& k = s[kK];
  float& a = s[kA];
  float& rule = s[kRule];
  const float mq = sgn(t1 / 2.0f, mp);
  for (int pass = 0; pass < 2; ++pass) {
    if (!f2 && std::fabs(p) < std::fabs(mq)) {
      k = u.ku;
      a = mq;
      rule = 6.0f;
      return true;
    }
    if (std::fabs(p) < std::fabs(tf) && (!f2 || std::fabs(p) >= 0.75f * t1)) {
      k = kt;
      a = tf;
      rule = 7.0f;
      return true;
    }
    if (std::fabs(p) >= 0.75f * t1) return false;

    const float kr = si * std::min(1.0f, power(rl.r, 1.02f));
    const float ma2 = sgn(rl.y, mp) - sgn(t1, mp);
    const float da2 = sgn(rl.x, mp) - quot(sgn(t1, mp), u.ku);
    const float mb2 = sgn(std::min(t1 / 2.0f, std::fabs(ma2)), mp);
    const float db2 = da2 - quot(ma2 - mb2, u.k1);
    const float dz = db2 - quot(mb2, u.k2);
    const float dc = rl.dir == 1 ? std::max(u.d0, dz) : std::min(u.d0, dz);
    const float dq = dc + quot(mq, u.ku);  // the pinching point (dq, mq)
    s[kSrm] = slpmin(dq - td, mq - tf, u.ku);
    if (kt <= s[kSrm]) {
      const float kq = slpmin(dq - d, mq - p, u.ku);
      s[kSr1] = std::max(std::min(kt, kr), kq);
      const float ds = d + quot(mq - p, s[kSr1]);
      s[kSr3] = slpmin(td - ds, tf - mq, si);
      s[kSr2] = quot(2.0f, quot(1.0f, s[kSr3]) + quot(1.0f, s[kSr1]));
      if (std::fabs(p) >= t1 / 4.0f) {
        k = s[kSr2];
        a = sgn(0.75f * t1, mp);
        rule = 9.0f;
      } else {
        k = s[kSr1];
        a = sgn(t1 / 4.0f, mp);
        rule = 8.0f;
      }
      return true;
    }
    f2 = false;
  }
  return false;
}

// Reloading past the largest excursion: onto the backbone where the line
// from the target (td, tf) meets it above the largest stress, or the
// backbone search.
void reload_past_excursion(const Reloading& rl, bool f1, float td, float tf) {
  const Backbone& b = rl.b;
  float* s = rl.s;
  const float p = rl.p, d = rl.d, si = rl.si, x = rl.x, y = rl.y;
  float& k = s[kK];
  s[kBackb] = 1.0f;
  if (!f1) {
    backbone_search(b, p, d, si, s);
    return;
  }
  s[kIr] = 0.0f;
  const float fac = std::fabs(x) == std::fabs(rl.dp) ? 1.04f : 1.0f;
  k = slpmin(sgn(x, td) * fac - td, sgn(y, tf) - tf, si);
  for (int j = 2; j <= b.n; ++j) {
    if (!(b.m[j] > y && backbone_rising(b, j))) continue;
    const BackboneMeet m = backbone_meet(b, j, d, p, k, p);
    const float ax = std::fabs(m.d);
    if (m.p * rl.mp > 0.0f && std::fabs(m.p) > y && b.th[j - 1] <= ax && ax <= b.th[j]) {
      if (std::fabs(p) < std::fabs(m.p)) {
        k = slpmin(m.d - d, m.p - p, si);
        s[kA] = m.p;
        s[kRule] = 10.0f;
      } else {
        backbone_search(b, p, d, si, s);
      }
      return;
    }
  }
  backbone_search(b, p, d, si, s);
}

}  // namespace

void hyst04(float p, float d, float pl, float dl, float vel, float* s, const float* prop, bool debug) {
  const Backbone b = backbone_of(prop, kPoints);
  const float t1 = b.m[1], g1 = b.th[1];
  const float si = quot(t1, g1);
  const float dy = prop[kDy], ey = prop[kEy];
  if (debug) trace_rule(p, d, pl, dl, vel, s, prop, b, si);

  float& k = s[kK];
  float& rule = s[kRule];
  float& a = s[kA];
  float& pmg = s[kPmg];
  float& pmh = s[kPmh];
  float& dmg = s[kDmg];
  float& dmh = s[kDmh];
  float& se = s[kSe];
  float* ese = &s[kEse];

  if (virgin_or_failed(p, t1, si, rule, k, se)) return;
  const float rule_in = rule;

  int dir = static_cast<int>(s[kDir]);
  int dirl = 0;
  direct(dir, dirl, p, pl, vel);
  s[kDir] = static_cast<float>(dir);
  if (debug) fio::write(6, "('   DIR=',I8,' DIRL=',I8)", dir, dirl);

  widen_peaks(pmg, dmg, pmh, dmh, t1, g1, p, d);
  const bool positive = dir == 1 || dir == 2;
  const float mp = positive ? pmg : pmh;
  const float dp = positive ? dmg : dmh;
  const float x = std::max(dmg, -dmh);  // largest absolute strain
  const float y = std::max(pmg, -pmh);  // largest absolute stress
  const float r = quot(g1, x);
  const Unloading u = unloading_set(si, t1, r, pmg, pmh, dmg, dmh, mp, dp);
  const bool backb = s[kBackb] != 0.0f;
  if ((backb || rule == 0.0f) && u.has_se) se = u.se;

  if (dirl == dir && short_of_limit(dir, p, a)) return;

  if (p * pl <= 0.0f) ductex(0, &s[kUp], &s[kEx], dy, d, ese[0], s[kPse], s[kCse], ey);

  if (dir == 2 || dir == 4) {  // unloading
    s[kBackb] = 0.0f;
    if (rule == 1.0f || rule > 5.0f) rate_turning_point(kShear1, s, dir, d, dl, dy, ey);
    unloading_segment(p, u.ma, u.ku, u.mb, std::max(u.ka, u.k1), std::max(u.kb, u.k2), k, a, rule);
  } else if (backb || rule == 0.0f) {  // loading on the backbone
    backbone_search(b, p, d, si, s);
  } else {  // reloading
    const bool f1 = g1 < std::fabs(dp);  // the largest excursion went past the first point
    const int ri = static_cast<int>(rule_in);
    const bool f2 = ri == 5 || ri == 8 || ri == 9 || ri == 11 || (dirl == 2 && dir == 3) ||
                    (dirl == 4 && dir == 1);
    // Target: the peak itself, or 95% of the largest excursion on the first unloading slope.
    float td = dp, tf = mp;
    if (f1) {
      tf = 0.95f * sgn(y, mp);
      td = sgn(x, mp) - quot(0.05f * sgn(y, mp), u.ku);
    }
    const float kt = slpmin(td - d, tf - p, si);
    const Reloading rl{b, u, s, p, d, si, t1, g1, r, x, y, mp, dp, dir};
    if (!reload_toward_target(rl, f2, td, tf, kt)) reload_past_excursion(rl, f1, td, tf);
  }

  fail_without_stiffness(k, rule, si);  // the stress is kept
}

// ================================================================ MAT04

void mat04(MatCall& c) { backbone_driver(c, kShear1); }

}  // namespace materials
