#include "materials/bend1.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>

#include "base/storage.h"
#include "fio/fio.h"
#include "materials/event_stepping.h"
#include "materials/model_echo.h"
#include "materials/model_results.h"
#include "materials/rules.h"

namespace materials {

using namespace bend;

// ================================================================ backbone helpers

Backbone backbone_of(const float* prop, int first_point) {
  Backbone b;
  b.n = std::max(static_cast<int>(prop[1]), 0);
  b.m = prop + first_point - 1;
  b.th = b.m + b.n;
  return b;
}

float backbone_area(const Backbone& b, float dy) {
  float area = 0.0f;
  float mprev = 0.0f, thprev = 0.0f;
  for (int i = 1; i <= b.n; ++i) {
    if (b.th[i] <= dy) {
      area += (b.m[i] + mprev) / 2.0f * (b.th[i] - thprev);
      mprev = b.m[i];
      thprev = b.th[i];
      continue;
    }
    if (b.th[i] == thprev) break;
    const float mdy = mprev + (b.m[i] - mprev) * (dy - thprev) / (b.th[i] - thprev);
    area += (mdy + mprev) / 2.0f * (dy - thprev);
    break;
  }
  return area;
}

float backbone_force_at(const Backbone& b, float dy) {
  if (b.n < 1) return 0.0f;
  if (dy <= b.th[1]) return quot(dy * b.m[1], b.th[1]);
  for (int j = 2; j <= b.n; ++j) {
    if (b.th[j - 1] <= dy && dy <= b.th[j]) {
      return b.m[j - 1] + quot((b.m[j] - b.m[j - 1]) * (dy - b.th[j - 1]), b.th[j] - b.th[j - 1]);
    }
  }
  // A yield deformation past the last point: the backbone ends at its last force.
  return b.m[b.n];
}

BackboneMeet backbone_meet(const Backbone& b, int j, float d, float p, float k, float sgn) {
  const float slope = (b.m[j] - b.m[j - 1]) / (b.th[j] - b.th[j - 1]);
  BackboneMeet m;
  intsct(m.d, m.p, d, p, k, std::copysign(b.th[j], sgn), std::copysign(b.m[j], sgn), slope);
  return m;
}

bool backbone_rising(const Backbone& b, int j) {
  return (b.th[j] - b.th[j - 1]) * (b.m[j] - b.m[j - 1]) > 0.0f;
}

bool backbone_ordered(const Backbone& b) {
  for (int i = 1; i <= b.n; ++i) {
    if (!(b.m[i] > 0.0f && b.th[i] > 0.0f)) return false;
    if (i > 1 && !(b.th[i] > b.th[i - 1])) return false;
  }
  return true;
}

// ================================================================ DIRECT

void direct(int& dir, int& dirl, float p, float pl, float vel) {
  if (p > 0.0f && pl > 0.0f && p > pl) {
    dirl = 1;
  } else if (p < pl && pl > 0.0f) {
    dirl = 2;
  } else if (p < 0.0f && pl < 0.0f && p < pl) {
    dirl = 3;
  } else if (p > pl && pl < 0.0f) {
    dirl = 4;
  } else {
    dirl = dir;
  }
  switch (dirl) {
    case 0:
    case 1:
      dir = vel > 0.0f ? 1 : 2;
      break;
    case 2:
      dir = vel > 0.0f ? (p <= 0.0f ? 3 : 2) : 1;
      break;
    case 3:
      dir = vel > 0.0f ? 3 : 4;
      break;
    case 4:
      dir = vel > 0.0f ? (p >= 0.0f ? 1 : 4) : 3;
      break;
    default:
      fio::write(6, "(5X,'ER','ROR IN SUBROUTINE DIRECT, DIRL.NE. 1,2,3,OR 4')");
      fio::write(6, "(5X,'*** IN DIRECT ',1X,'  DIR=',I4,'  DIRL=',I4,'  P=',F8.3,' PL=',F8.3,"
                    "'  VEL=',F10.3)",
                 dir, dirl, p, pl, vel);
      break;
  }
  if (dir == 0) dir = 1;
}

// ================================================================ rule steps shared with SHEAR1

bool virgin_or_failed(float p, float m1, float si, float rule, float& k, float& se) {
  if (rule == 0.0f && std::fabs(p) < m1) {
    k = si;
    se = si;
    return true;
  }
  return rule < 0.0f;
}

void widen_peaks(float& pmg, float& dmg, float& pmh, float& dmh, float m1, float th1, float p,
                 float d) {
  pmg = std::max({pmg, m1, p});
  dmg = std::max({dmg, th1, d});
  pmh = std::min({pmh, -m1, p});
  dmh = std::min({dmh, -th1, d});
}

bool short_of_limit(int dir, float p, float a) {
  return (dir == 1 && p < a) || (dir == 2 && p > a) || (dir == 3 && p > a) || (dir == 4 && p < a);
}

void rate_turning_point(const BackboneModel& model, float* s, int dir, float d, float dl, float dy,
                        float ey) {
  const float* ese = &s[model.ese_word];
  const float pse = s[model.pse_word];
  const float cse = s[model.cse_word];
  if (dir == 2) {
    ductex(1, &s[model.up_word], &s[model.ex_word], dy, std::max(d, dl), ese[1], pse, cse, ey);
  } else {
    ductex(1, &s[model.un_word], &s[model.ex_word], -dy, std::min(d, dl), ese[2], pse, cse, ey);
  }
}

void unloading_segment(float p, float a1, float k1, float a2, float k2, float k3, float& k,
                       float& a, float& rule) {
  if (std::fabs(a1) < std::fabs(p)) {
    k = k1;
    a = a1;
    rule = 2.0f;
  } else if (std::fabs(a2) < std::fabs(p)) {
    k = k2;
    a = a2;
    rule = 3.0f;
  } else {
    k = k3;
    a = 0.0f;
    rule = 4.0f;
  }
}

void backbone_secant(const Backbone& b, float p, float d, bool capped, float cap, float& k,
                     float& a) {
  k = 0.0f;
  for (int j = 2; j <= b.n; ++j) {
    const float dd = b.th[j] - std::fabs(d);
    const float dm = b.m[j] - std::fabs(p);
    if (dm * dd > 0.0f && std::fabs(p) < b.m[j] && dm / dd > k && (!capped || dm / dd <= cap)) {
      k = dm / dd;
      a = std::copysign(b.m[j], p);
    }
  }
}

void fail_without_stiffness(float& k, float& rule, float si) {
  if (k <= 0.0f || k >= 1.05f * si) {
    k = 0.0f;
    rule = -rule;
  }
}

// ================================================================ the driver of types 3 and 4

namespace {

// A memory larger than the work array cannot be reserved anyway; the cap keeps
// the state-word count within an int so that the reservation's storage check
// sees it, instead of a wrapped negative size.
constexpr int kMaxMemory = static_cast<int>(kv::kWorkWords / 3);

int memory_size(const float* prop) {
  const float ni = prop[kNi];
  if (!(ni > 0.0f)) return 0;
  return ni >= static_cast<float>(kMaxMemory) ? kMaxMemory : static_cast<int>(ni);
}

void read_set(MatCall& c, const BackboneModel& model) {
  std::string name;
  std::int32_t nb = 0, ni = 0;
  float dy = 0.0f, beta = 0.0f;
  read_set_record(c.set, name, nb, ni, dy, beta);
  // A set without points or with a negative memory has nothing to lay out:
  // it is kept with no points or no memory, so that no word outside the set is read.
  const int n = std::max(nb, 0);
  const int nmem = std::clamp(ni, 0, kMaxMemory);
  const std::int64_t nprop = 2 * static_cast<std::int64_t>(n) + 5;
  kv::memchk(nprop, c.prop);

  float* prop = prop_words(c);
  prop[kNb] = static_cast<float>(n);
  prop[kNi] = static_cast<float>(nmem);
  prop[kDy] = dy;
  std::span<float> forces(prop + model.first_point, static_cast<std::size_t>(n));
  std::span<float> defos(prop + model.first_point + n, static_cast<std::size_t>(n));
  read_set_record(c.set, forces);
  read_set_record(c.set, defos);
  prop[model.beta_word_after ? 5 + 2 * n : kBeta] = beta;
  const Backbone b = backbone_of(prop, model.first_point);
  prop[kEy] = backbone_area(b, dy);
  c.nprop = static_cast<int>(nprop);
  c.nstate = 3 * nmem + model.state_base;

  if (c.new_type || c.debug) model.header();
  if (n >= 1) {
    fio::write(6, "(28X,2I4,2X,4E15.6)", c.set, ni, dy, beta, b.m[1], b.th[1]);
  } else {
    fio::write(6, "(28X,2I4,2X,4E15.6)", c.set, ni, dy, beta);
  }
  for (int i = 2; i <= n; ++i) fio::write(6, "(68X,2E15.6)", b.m[i], b.th[i]);

  if (nb < 1) {
    fio::write(6, "(1X,'*** WARNING - SET',I5,': NO BACKBONE POINTS, THE SPRING CARRIES NO FORCE')",
               c.set);
  } else if (!backbone_ordered(b)) {
    fio::write(6, "(1X,'*** WARNING - SET',I5,': BACKBONE POINTS SHOULD BE POSITIVE AND ASCENDING,',"
                  "' SET USED AS GIVEN')",
               c.set);
  }
  if (ni < 0) fio::write(6, "(1X,'*** WARNING - SET',I5,': NI BELOW 0 TAKEN AS 0')", c.set);
}

ResultWords result_words(const BackboneModel& model) {
  return {.ese = model.ese_word, .pse = model.pse_word, .duct = model.up_word,
          .un = model.un_word, .ex = model.ex_word};
}

class BackboneWalk final : public EventModel {
 public:
  BackboneWalk(MatCall& c, const BackboneModel& model, float m1)
      : c_(c), model_(model), s_(state_words(c)), prop_(prop_words(c)), m1_(m1) {}

  float limit(float a, float p, float pl) override {
    if (s_[kA] != 0.0f || s_[kRule] != 0.0f) return a;
    // First use: the first backbone force on the side the step goes, unless the
    // step falls back toward zero.
    float lim = std::copysign(std::fabs(m1_), p);
    if ((p > 0.0f && pl > 0.0f && p < pl) || (p < 0.0f && pl < 0.0f && p > pl)) lim = 0.0f;
    return lim;
  }
  void rule(float p, float d, float pl, float dl, RuleCall /*from*/) override {
    model_.rule(p, d, pl, dl, 1.0f, s_, prop_, c_.debug);
  }
  void book(float p, float pl, float d, float dl) override {
    enrgy(&s_[model_.ese_word], s_[model_.pse_word], s_[model_.cse_word], p, pl, d, dl, s_[kK],
          s_[model_.se_word]);
  }
  void trace_pass(float k, float a, float p, int icyc) override {
    fio::write_list(6, "STIFF=", k, "   A=", a);
    fio::write_list(6, "    P=", p, "ICYC=", icyc);
  }

 private:
  MatCall& c_;
  const BackboneModel& model_;
  float* s_;
  const float* prop_;
  float m1_;
};

}  // namespace

void backbone_driver(MatCall& c, const BackboneModel& model) {
  if (c.iopt < kOptNState || c.iopt == kOptRead || c.iopt > kOptDamage) {
    read_set(c, model);
    return;
  }
  const float* prop = prop_words(c);
  const int nmem = memory_size(prop);
  c.nstate = 3 * nmem + model.state_base;
  const int peak_p = 3 * nmem + model.state_base - 1;
  const PeakWords peak{.p = peak_p, .d = peak_p + 1};
  const ResultWords words = result_words(model);
  const Backbone b = backbone_of(prop, model.first_point);
  float* s = state_words(c);

  switch (c.iopt) {
    case kOptNState:
      return;
    case kOptInit:
      for (int k = 1; k <= c.nstate; ++k) s[k] = 0.0f;
      if (b.n >= 1) model.rule(c.p, c.d, c.pl, c.dl, c.v, s, prop, c.debug);
      return;
    case kOptState: {
      if (b.n < 1) {  // no backbone: the spring carries nothing
        c.p = 0.0f;
        store_results(c, s, words);
        return;
      }
      if (c.debug) {
        fio::write_list(6, model.title);
        fio::write_list(6, "P,D", c.p, c.d);
        fio::write_list(6, "PL,DL=", c.pl, c.dl);
      }
      const StepperSpec spec{kA, 10, model.message, 0.0005f, 0.001f};
      BackboneWalk walk(c, model, b.m[1]);
      const float k = event_step(c, spec, walk);
      track_peak(s, peak, c.p, c.d);
      if (c.debug) fio::write_list(6, "STIFF=", k);
      store_results(c, s, words);
      return;
    }
    case kOptResults:
      store_results(c, s, words);
      return;
    default: {  // damage index
      store_peak(c, s, words, peak);
      if (b.n < 1) return;
      const float beta = prop[model.beta_word_after ? 5 + 2 * b.n : kBeta];
      const float du = b.th[b.n];
      const float fy = backbone_force_at(b, prop[kDy]);
      c.di = quot(std::fabs(c.d), du) + quot(beta * c.pse, du * fy);
      return;
    }
  }
}

// ================================================================ HYST03

namespace {

void bend1_header() {
  write_model_title(1, "BEND1 HYSTERESIS MODEL DATA - UNIT LENGTH MEMBER");
  fio::write(6, "('     BACKBONE CURVE POINTS - MATL  NI ',5X,'DY',9X,'  BETA        ',3X,"
                "' MOMENT',8X,'ROTATION')");
}

// The type-3 model: its words and messages, for the driver and the rule.
constexpr BackboneModel kBend1{
    36,      kPoints, 0,        kSe, kEse, kPse, kCse, kUp, kUn, kEx,
    "------------- IN MAT03 -------------------------",
    "MORE THAN 10 CYCLES IN MAT03,  IELNO:",
    bend1_header,
    hyst03};

// The three-segment unloading curve from the peak (mp, dp) of the loading
// direction, with stiffnesses degraded by the largest rotation reached.
struct Unloading {
  float r;       // first-point rotation over the largest rotation
  float s1, s2, s3;
  float d0;      // where the line through both peaks, drawn through (dp, mp), crosses zero
  float m1, m3;  // a quarter and three quarters of the peak moment
  float da, ka, db, kb;
  float se;      // energy stiffness of the curve
  bool has_se;   // false when the curve encloses no area (a degenerate set)
};

float power(float r, float e) { return std::pow(std::fabs(r), e); }

Unloading unloading_set(float si, float th1, float pmg, float pmh, float dmg, float dmh, float mp,
                        float dp) {
  Unloading u;
  const float x = std::max(dmg, -dmh);
  u.r = quot(th1, x);
  u.s1 = si * power(u.r, 0.294f);
  u.s2 = si * (1.0f + 0.8344f * (u.r - 1.0f));
  u.s3 = si * (1.0f + 0.9092f * (u.r - 1.0f));
  u.d0 = dp - quot(mp * (dmh - dmg), pmh - pmg);
  u.m1 = mp / 4.0f;
  u.m3 = 3.0f * u.m1;
  u.da = dp - quot(0.25f * mp, u.s1);
  u.ka = slpmin(u.da - u.d0, u.m3, si);
  u.db = u.da - quot(0.5f * mp, std::max(u.ka, u.s2));
  u.kb = slpmin(u.db - u.d0, u.m1, si);
  const float denom = quot(0.5f * u.m1 * u.m1, std::max(u.kb, u.s3)) +
                      0.5f * (u.da - u.db) * (u.m1 + u.m3) + 0.5f * (dp - u.da) * (u.m3 + mp);
  u.has_se = denom != 0.0f;
  u.se = quot(0.5f * mp * mp, denom);
  return u;
}

void trace_rule(float p, float d, float pl, float dl, float vel, const float* s, const float* prop,
                const Backbone& b, float si) {
  fio::write(6,
             "(' B1-    P=',E13.5,'    D=',E13.5,'    PL=',E13.5,'   DL=',E13.5/"
             "' B1-   NB=',E13.5,'   NI=',E13.5,'    PC=',E13.5,'   DC=',E13.5/"
             "' B1-   SI=',E13.5,'    K=',E13.5,'  RULE=',E13.5,'    A=',E13.5/"
             "' B1-  PMG=',E13.5,'  PMH=',E13.5,'   DMG=',E13.5,'  DMH=',E13.5/"
             "' B1-BACKB=',E13.5,'   IR=',E13.5,'   DIR=',E13.5,'   SE=',E13.5/"
             "' B1-   DY=',E13.5,'  ESE=',E13.5,'   PSE=',E13.5,' PSEO=',E13.5/"
             "' B1-  UP1=',E13.5,'  UP2=',E13.5,'   UP3=',E13.5,'  CSE=',E13.5/"
             "' B1-  UN1=',E13.5,'  UN2=',E13.5,'   UN3=',E13.5/"
             "' B1-  EX1=',E13.5,'  EX2=',E13.5,'   EX3=',E13.5/"
             "' B1-  EX4=',E13.5,'  EX5=',E13.5,'   EX6=',E13.5/"
             "'  VEL=',E13.5)",
             p, d, pl, dl, prop[kNb], prop[kNi], b.m[1], b.th[1], si, s[kK], s[kRule], s[kA],
             s[kPmg], s[kPmh], s[kDmg], s[kDmh], s[kBackb], s[kIr], s[kDir], s[kSe], prop[kDy],
             s[kEse], s[kPse], s[kCse], s[kUp], s[kUp + 1], s[kUp + 2], prop[kEy], s[kUn],
             s[kUn + 1], s[kUn + 2], s[kEx], s[kEx + 1], s[kEx + 2], s[kEx + 3], s[kEx + 4],
             s[kEx + 5], vel);
}

}  // namespace

void hyst03(float p, float d, float pl, float dl, float vel, float* s, const float* prop, bool debug) {
  const Backbone b = backbone_of(prop, kPoints);
  const float m1 = b.m[1], th1 = b.th[1];
  const float si = quot(m1, th1);
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

  if (virgin_or_failed(p, m1, si, rule, k, se)) return;

  int dir = static_cast<int>(s[kDir]);
  int dirl = 0;
  direct(dir, dirl, p, pl, vel);
  s[kDir] = static_cast<float>(dir);
  if (debug) fio::write(6, "(' B1-  DIR=',I8,'  DIRL=',I8)", dir, dirl);

  widen_peaks(pmg, dmg, pmh, dmh, m1, th1, p, d);
  const bool positive = dir == 1 || dir == 2;
  const float mp = positive ? pmg : pmh;
  const float dp = positive ? dmg : dmh;
  const Unloading u = unloading_set(si, th1, pmg, pmh, dmg, dmh, mp, dp);
  const bool backb = s[kBackb] != 0.0f;
  if ((backb || rule == 1.0f) && u.has_se) se = u.se;

  if (dirl == dir && short_of_limit(dir, p, a)) return;

  if (p * pl <= 0.0f) ductex(0, &s[kUp], &s[kEx], dy, d, ese[0], s[kPse], s[kCse], ey);

  // The backbone: the steepest secant from the current point to a backbone
  // point above it, none when the point lies beyond the last one.
  auto backbone_search = [&]() {
    backbone_secant(b, p, d, false, 0.0f, k, a);
    rule = 1.0f;
    s[kBackb] = 1.0f;
    s[kIr] = 0.0f;
    s[dir == 1 ? kFacp : kFacn] = 1.129f;
  };

  if (dir == 2 || dir == 4) {  // unloading
    s[kBackb] = 0.0f;
    if (rule == 1.0f || rule > 5.0f) rate_turning_point(kBend1, s, dir, d, dl, dy, ey);
    unloading_segment(p, u.m3, u.s1, u.m1, std::max(u.ka, u.s2), std::max(u.kb, u.s3), k, a, rule);
  } else if (backb || rule == 0.0f) {  // loading on the backbone
    backbone_search();
  } else if (std::fabs(p) < m1 / 3.0f) {  // reloading near zero moment
    s[kBackb] = 0.0f;
    const bool crossed = (dirl == 4 && dir == 1) || (dirl == 2 && dir == 3);
    if (crossed) {
      const float mt = 0.95f * mp;
      const float dt = dp - quot(0.05f * mp, u.s1);
      k = slpmin(d - dt, p - mt, si);
      const float k8 = k;
      a = mt;
      rule = 8.0f;
      const float mc = std::copysign(std::fabs(m1) / 3.0f, mp);
      const float dz =
          dp - mp * (quot(1.0f, u.s1) + quot(2.0f, u.s2) + quot(1.0f, u.s3)) / 4.0f;
      const float d0 = dir == 1 ? std::max(u.d0, dz) : std::min(u.d0, dz);
      const float dc = d0 + quot(mc, si * power(u.r, 0.285f));
      const float kc = slpmin(d - dc, p - mc, si);
      if (kc > k) {
        k = kc;
        a = mc;
        rule = 8.1f;
      }
      if ((dir == 1 && d < 0.0f) || (dir == 3 && d > 0.0f)) {
        // Still on the other side: aim at a backbone point of the loading direction.
        k = k8;
        const float side = dir == 1 ? 1.0f : -1.0f;
        for (int j = 2; j <= b.n; ++j) {
          if (!(b.m[j] >= std::fabs(mp))) continue;
          const float dd = side * b.th[j] - d;
          const float dm = side * b.m[j] - p;
          if (dm * dd > 0.0f && k < dm / dd && dm / dd <= si) {
            k = dm / dd;
            a = std::copysign(b.m[j], mp);
            rule = 9.0f;
            s[kBackb] = 1.0f;
          }
        }
      }
    } else {
      k = si * power(u.r, 0.285f);
      a = std::copysign(std::fabs(m1) / 3.0f, mp);
      rule = 6.0f;
    }
  } else if (std::fabs(p) < 0.95f * std::fabs(mp)) {  // reloading toward the peak
    s[kBackb] = 0.0f;
    const float mt = 0.95f * mp;
    const float dt = dp - quot(0.05f * mp, u.s1);
    k = slpmin(d - dt, p - mt, si);
    a = mt;
    rule = 7.0f;
  } else {  // reloading past the peak
    s[kBackb] = 1.0f;
    if (std::fabs(mp) <= std::fabs(p) || std::fabs(dp) <= th1) {
      backbone_search();
    } else {
      s[kIr] = 0.0f;
      float& fac = s[dir == 1 ? kFacp : kFacn];
      if (fac != 1.129f && fac != 1.029f) fac = 1.129f;
      const float dd = fac * dp - d;
      const float dm = mp - p;
      k = dd * dm > 0.0f ? std::min(dm / dd, si) : si;
      bool decided = false;
      for (int j = 2; j <= b.n && !decided; ++j) {
        if (!(b.m[j] > std::fabs(mp) && backbone_rising(b, j))) continue;
        const BackboneMeet y = backbone_meet(b, j, d, p, k, p);
        const float ax = std::fabs(y.d);
        if (y.p * mp > 0.0f && std::fabs(y.p) > std::fabs(mp) && b.th[j - 1] <= ax && ax <= b.th[j]) {
          decided = true;
          if (std::fabs(y.p) >= std::fabs(p)) {
            a = y.p;
            rule = 10.0f;
            fac = 1.029f;
          } else {
            backbone_search();
          }
        }
      }
      if (!decided) backbone_search();
    }
  }

  if (debug) {
    fio::write(6, "(' B1-   S1=',E13.5,'   S2=',E13.5,'    S3=',E13.5,'     =',E13.5)", u.s1, u.s2,
               u.s3);
  }
  fail_without_stiffness(k, rule, si);  // the moment is kept
}

// ================================================================ MAT03

void mat03(MatCall& c) { backbone_driver(c, kBend1); }

}  // namespace materials
