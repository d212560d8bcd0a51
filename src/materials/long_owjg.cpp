// The LONG_OWJG moment-rotation loop. Its shape is that of a reference loop
// fitted to one structure (constants below, in reference units); a set scales
// it by SR = HA/HA0 in rotation and SM = VA/VA0 in moment. The loop has an
// elastic range up to +-VA, a descending envelope after yield with a steeper
// part beyond the second point (HB, VB), a floor near a tenth of the yield
// moment, unloading stiffnesses that depend on the rotation at unloading,
// reloading through two target points between the last unloading points, and
// two levels of inner loops with an innermost segment.
#include "materials/long_owjg.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "fio/fio.h"
#include "materials/model_results.h"

namespace materials {

namespace {

constexpr int kNProp = 4;

// The reference loop.
constexpr float kHA0 = 0.0042f;
constexpr float kVA0 = 2700.0f;
constexpr float kDH = 0.0023f;   // rotation from the first to the second envelope point
constexpr float kDV = 465.0f;    // moment drop from the first to the second point
constexpr float kHB0 = kHA0 + kDH;
constexpr float kVB0 = kVA0 - kDV;
constexpr float kSlope2 = -202324.0f;
constexpr float kSlope3 = -100000.0f;
constexpr float kInnerStiffness = 447160.0f;
constexpr float kNoUnloading = 999999.0f;  // PUP/PUN before the side has unloaded

// Property words.
enum Prop : int { kHAProp = 1, kVAProp, kMaxDuc, kBeta };

using namespace long_owjg;

constexpr ResultWords kResults{.ese = kESEWord, .pse = kPSEWord, .duct = kDUCT1, .ex = kEX1};

// Rules (kept as reals in the RULE word).
constexpr int kElastic = 1;
constexpr int kEnvelope = 2;        // first descending branch
constexpr int kEnvelopeSteep = 3;   // beyond the second envelope point
constexpr int kReload = 4;          // between the two unloading points
constexpr int kInner1 = 7;
constexpr int kFirstUnload = 8;
constexpr int kInner2 = 9;
constexpr int kInnermost = 10;

// Unloading stiffness of the reference loop at the reference rotation r. (The
// rotation enters offset by HA0 and shifted back by the same constant: |r|.)
float unloading_stiffness(float r) {
  const float a = std::fabs(r);
  return a > 0.0126f ? 200445.375f : 856026.0f - 52030208.0f * a;
}

// (p1 - p2)/(d1 - d2), or the tangent k the spring has when the two points
// share their rotation (a degenerate loop; no infinite stiffness).
float slope_or(float k, float p1, float d1, float p2, float d2) {
  return d1 != d2 ? (p1 - p2) / (d1 - d2) : k;
}

// The first target is where the line from point 1 with slope ku meets the
// line through the point `at` of the chord (from point 2) with slope -1/SL;
// the second lies the fraction `back` of the chord behind it. Reference units.
Targets targets(float d1, float p1, float d2, float p2, float sr, float sm, float ku, float at,
                float back) {
  const float r1 = d1 / sr, m1 = p1 / sm, r2 = d2 / sr, m2 = p2 / sm;
  const float rm = r2 + at * (r1 - r2);
  const float mm = m2 + at * (m1 - m2);
  float x;
  if (m1 == m2) {
    // A level chord: the crossing line is vertical through the chord point.
    x = rm;
  } else {
    const float sl = (m1 - m2) / (r1 - r2);
    x = (ku * r1 + rm / sl + mm - m1) / (ku + 1.0f / sl);
  }
  const float y = m1 + ku * (x - r1);
  const float x2 = x - back * (r1 - r2);
  const float y2 = y - back * (m1 - m2);
  return {x * sr, y * sm, x2 * sr, y2 * sm};
}

// H09SGN: the side of a non-zero moment.
void h09sgn(float p, float* s) {
  if (p > 0.0f) s[kSIDE] = 0.0f;
  else if (p < 0.0f) s[kSIDE] = 1.0f;
}

// The slopes of the set, in model units.
struct Slopes {
  float s1, s2, s3;
};

class Loop {
 public:
  Loop(float& p, float d, float pl, float dl, float* s, bool positive)
      : p_(p), d_(d), pl_(pl), dl_(dl), s_(s), positive_(positive) {
    const float smr = s[kSMR];
    sl_ = {(kVA0 / kHA0) * smr, kSlope2 * smr, kSlope3 * smr};
  }

  const Slopes& slopes() const { return sl_; }
  void elastic();
  void envelope();
  void rules();  // H09RUL

 private:
  void continue_envelope(bool positive, float ds, float ps);
  void first_unloading();
  // A reloading path and its two inner-loop levels (rules 4, 7, 9).
  // Returns true when the call must be evaluated again under the new rule.
  bool path(int rule);
  bool innermost();

  float& p_;
  const float d_, pl_, dl_;
  float* s_;
  bool positive_;
  Slopes sl_{};
};

void Loop::elastic() {
  float* s = s_;
  const float va = s[kVA], vap = s[kVAP];
  if (vap < p_ && p_ < va) {
    s[kK] = sl_.s1;
  } else if (p_ >= va) {
    // The excess rotation is taken along the descending branch.
    s[kRULE] = kEnvelope;
    s[kK] = sl_.s2;
    p_ = va + sl_.s2 * (p_ - va) / sl_.s1;
    p_ = std::max(p_, 0.1f * va);
    s[kSIDE] = 0.0f;
  } else {
    s[kRULE] = kEnvelope;
    s[kK] = sl_.s2;
    p_ = vap + sl_.s2 * (p_ - vap) / sl_.s1;
    p_ = std::min(p_, 0.1f * vap);
    s[kSIDE] = 1.0f;
  }
}

void Loop::envelope() {
  float* s = s_;
  const float dd = s[kDD];
  const float entry_rule = s[kRULE];
  if (positive_ && dd > 0.0f) {
    const float hb = s[kHB], va = s[kVA];
    if (d_ >= hb) {
      s[kRULE] = kEnvelopeSteep;
      s[kK] = sl_.s3;
    } else {
      s[kK] = entry_rule == kEnvelope ? sl_.s2 : sl_.s3;
    }
    if (p_ < 0.0f) p_ = 0.1f * va;
    if (p_ <= 0.1f * va) s[kK] = 0.01f * sl_.s3;
    if (entry_rule == kEnvelope && dl_ < hb && hb <= d_) p_ = s[kVB] + (d_ - hb) * s[kK];
  } else if (!positive_ && dd < 0.0f) {
    const float hbp = s[kHBP], vap = s[kVAP];
    if (d_ <= hbp) {
      s[kRULE] = kEnvelopeSteep;
      s[kK] = sl_.s3;
    } else {
      s[kK] = entry_rule == kEnvelope ? sl_.s2 : sl_.s3;
    }
    if (p_ > 0.0f) p_ = 0.1f * vap;
    if (p_ >= 0.1f * vap) s[kK] = (s[kRULE] == kEnvelope ? 0.01f : 0.001f) * sl_.s3;
    if (entry_rule == kEnvelope && dl_ > hbp && hbp >= d_) p_ = s[kVBP] + (d_ - hbp) * s[kK];
  } else {
    first_unloading();
  }
}

// Unloading from the envelope: the first time from either side on the
// rotation-dependent stiffness (which also moves the opposite envelope onto
// that line), later toward the targets between the two unloading points.
void Loop::first_unloading() {
  float* s = s_;
  const float sr = s[kSR], sm = s[kSM];
  if (positive_) {
    s[kPUP] = pl_;
    s[kDUP] = dl_;
    if (s[kPUN] == kNoUnloading) {
      const float r = std::fabs(s[kDUP] / sr);
      s[kK] = unloading_stiffness(r) * s[kSMR];
      s[kRULE] = kFirstUnload;
      s[kVAP] = -kVA0 * sm;
      s[kHAP] = s[kDUP] - (kVA0 * sm + s[kPUP]) / s[kK];
      s[kVBP] = s[kVAP] + kDV * sm;
      s[kHBP] = s[kHAP] - kDH * sr;
      p_ = std::max(pl_ + (d_ - dl_) * s[kK], s[kVAP]);
    } else {
      const Targets t = h09pt1(s[kDUP], s[kPUP], s[kDUN], s[kPUN], sr, sm);
      s[kDT1] = t.dt1;
      s[kPT1] = t.pt1;
      s[kDT2] = t.dt2;
      s[kPT2] = t.pt2;
      s[kK] = slope_or(s[kK], s[kPUP], s[kDUP], s[kPT1], s[kDT1]);
      s[kRULE] = kReload;
      p_ = std::max(pl_ + (d_ - dl_) * s[kK], s[kPUN]);
    }
  } else {
    s[kPUN] = pl_;
    s[kDUN] = dl_;
    if (s[kPUP] == kNoUnloading) {
      const float r = std::fabs(s[kDUN] / sr);
      s[kK] = unloading_stiffness(r) * s[kSMR];
      s[kRULE] = kFirstUnload;
      s[kVA] = kVA0 * sm;
      s[kHA] = (kVA0 * sm - s[kPUN]) / s[kK] + s[kDUN];
      s[kVB] = s[kVA] - kDV * sm;
      s[kHB] = s[kHA] + kDH * sr;
      p_ = std::min(pl_ + (d_ - dl_) * s[kK], s[kVA]);
    } else {
      const Targets t = h09pt1(s[kDUN], s[kPUN], s[kDUP], s[kPUP], sr, sm);
      s[kDT1] = t.dt1;
      s[kPT1] = t.pt1;
      s[kDT2] = t.dt2;
      s[kPT2] = t.pt2;
      s[kK] = slope_or(s[kK], s[kPUN], s[kDUN], s[kPT1], s[kDT1]);
      s[kRULE] = kReload;
      p_ = std::min(pl_ + (d_ - dl_) * s[kK], s[kPUP]);
    }
  }
}

// Back onto the envelope of a side from the stored point (ds, ps).
void Loop::continue_envelope(bool positive, float ds, float ps) {
  float* s = s_;
  if (positive) {
    const float va = s[kVA];
    if (d_ >= s[kHB]) {
      s[kRULE] = kEnvelopeSteep;
      s[kK] = sl_.s3;
      if (p_ < 0.1f * va || ps < 0.1f * va) s[kK] = 0.01f * sl_.s3;
    } else {
      s[kRULE] = kEnvelope;
      s[kK] = sl_.s2;
    }
  } else {
    const float vap = s[kVAP];
    if (d_ <= s[kHBP]) {
      s[kRULE] = kEnvelopeSteep;
      s[kK] = sl_.s3;
      if (p_ > 0.1f * vap || ps > 0.1f * vap) s[kK] = 0.01f * sl_.s3;
    } else {
      s[kRULE] = kEnvelope;
      s[kK] = sl_.s2;
    }
  }
  h09sgn(p_, s);
  p_ = ps + (d_ - ds) * s[kK];
}

// The words of one reloading path: its positive-side end A, negative-side end
// B and its two targets, by rule.
struct PathWords {
  int pa, da, pb, db, dt1, pt1, dt2, pt2;
};

PathWords path_words(int rule) {
  switch (rule) {
    case kInner1: return {kP1A, kD1A, kP1B, kD1B, kDT3, kPT3, kDT4, kPT4};
    case kInner2: return {kP2A, kD2A, kP2B, kD2B, kDT5, kPT5, kDT6, kPT6};
    default: return {kPUP, kDUP, kPUN, kDUN, kDT1, kPT1, kDT2, kPT2};
  }
}

bool Loop::path(int rule) {
  float* s = s_;
  const PathWords w = path_words(rule);
  const float da = s[w.da], pa = s[w.pa], db = s[w.db], pb = s[w.pb];
  const float dt1 = s[w.dt1], pt1 = s[w.pt1], dt2 = s[w.dt2], pt2 = s[w.pt2];
  const float dd = s[kDD];
  // Toward the negative side: A, T1, T2, B; toward the positive side: B, T1, T2, A.
  const bool negative = dt1 > dt2;
  const bool along = negative ? dd <= 0.0f : dd >= 0.0f;

  if (along) {
    const bool passed = negative ? d_ <= db : d_ >= da;
    if (passed) {
      if (rule == kInner2) {
        s[kRULE] = kReload;
        return true;
      }
      if (negative) continue_envelope(false, db, pb);
      else continue_envelope(true, da, pa);
      return false;
    }
    // The segment that holds D (a target's own rotation belongs to the
    // segment after it in the direction of travel), from its first point.
    float d1, p1, d2, p2;
    if (negative) {
      if (d_ > dt1) { d1 = da; p1 = pa; d2 = dt1; p2 = pt1; }
      else if (d_ > dt2) { d1 = dt1; p1 = pt1; d2 = dt2; p2 = pt2; }
      else { d1 = dt2; p1 = pt2; d2 = db; p2 = pb; }
    } else {
      if (d_ < dt1) { d1 = db; p1 = pb; d2 = dt1; p2 = pt1; }
      else if (d_ < dt2) { d1 = dt1; p1 = pt1; d2 = dt2; p2 = pt2; }
      else { d1 = dt2; p1 = pt2; d2 = da; p2 = pa; }
    }
    s[kK] = slope_or(s[kK], p2, d2, p1, d1);
    p_ = p1 + (d_ - d1) * s[kK];
    return false;
  }

  // Reversal inside the path: a loop between the reversal point and the end
  // the path started from (its A when it ran negative, its B when positive).
  float na_p, na_d, nb_p, nb_d;  // the new loop's A and B
  float other_p, other_d;
  if (dd > 0.0f) {
    na_p = pa; na_d = da; nb_p = pl_; nb_d = dl_;
    other_p = pa; other_d = da;
  } else {
    na_p = pl_; na_d = dl_; nb_p = pb; nb_d = db;
    other_p = pb; other_d = db;
  }
  if (rule == kInner2) {
    s[kPS1] = na_p; s[kDS1] = na_d; s[kPS2] = nb_p; s[kDS2] = nb_d;
    s[kK] = slope_or(s[kK], s[kPS2], s[kDS2], s[kPS1], s[kDS1]);
    s[kRULE] = kInnermost;
  } else {
    const PathWords n = path_words(rule == kReload ? kInner1 : kInner2);
    s[n.pa] = na_p; s[n.da] = na_d; s[n.pb] = nb_p; s[n.db] = nb_d;
    const Targets t = h09pt2(dl_, pl_, other_d, other_p, s[kSR], s[kSM]);
    s[n.dt1] = t.dt1; s[n.pt1] = t.pt1; s[n.dt2] = t.dt2; s[n.pt2] = t.pt2;
    s[kK] = slope_or(s[kK], pl_, dl_, t.pt1, t.dt1);
    s[kRULE] = rule == kReload ? kInner1 : kInner2;
  }
  p_ = pl_ + (d_ - dl_) * s[kK];
  return false;
}

bool Loop::innermost() {
  float* s = s_;
  const float ds1 = s[kDS1], ds2 = s[kDS2];
  if (ds2 < d_ && d_ < ds1) {
    s[kK] = slope_or(s[kK], s[kPS2], ds2, s[kPS1], ds1);
    return false;
  }
  if (d_ == ds1 || d_ == ds2) return false;
  const bool ran_negative = s[kDT5] > s[kDT6];
  if (d_ > ds1) s[kRULE] = ran_negative ? kInner1 : kInner2;
  else s[kRULE] = ran_negative ? kInner2 : kInner1;
  return true;
}

void Loop::rules() {
  float* s = s_;
  // Each pass either settles the call or hands it to another rule; the chain
  // 10 -> 7/9 -> 4 is the longest there is.
  for (int pass = 0; pass < 4; ++pass) {
    const float rule = s[kRULE];
    bool again = false;
    if (rule == kReload || rule == kInner1 || rule == kInner2) {
      again = path(static_cast<int>(rule));
    } else if (rule == kInnermost) {
      again = innermost();
    } else if (rule == kFirstUnload) {
      const float upper = s[kPUP] == kNoUnloading ? s[kVA] : s[kPUP];
      const float lower = s[kPUN] == kNoUnloading ? s[kVAP] : s[kPUN];
      if (p_ >= upper) {
        if (s[kPUP] == kNoUnloading) {
          // The positive yield point moves to where this line meets VA.
          const float va = s[kVA];
          const float dd = (p_ - va) / s[kK];
          p_ = va + sl_.s2 * dd;
          s[kHA] = d_ - dd;
          s[kRULE] = kEnvelope;
          h09sgn(p_, s);
          s[kK] = sl_.s2;
          s[kHB] = s[kHA] + kDH * s[kSR];
          s[kVB] = va - kDV * s[kSM];
        } else {
          continue_envelope(true, s[kDUP], s[kPUP]);
        }
      } else if (p_ <= lower) {
        if (s[kPUN] == kNoUnloading) {
          const float vap = s[kVAP];
          const float dd = (p_ - vap) / s[kK];
          p_ = vap + sl_.s2 * dd;
          s[kHAP] = d_ - dd;
          s[kRULE] = kEnvelope;
          h09sgn(p_, s);
          s[kK] = sl_.s2;
          s[kHBP] = s[kHAP] - kDH * s[kSR];
          s[kVBP] = vap + kDV * s[kSM];
        } else {
          continue_envelope(false, s[kDUN], s[kPUN]);
        }
      }
    }
    if (!again) return;
  }
}

void trace_control_points(const float* s, const Slopes& sl) {
  // Title, underline and rule share the first line; the points and slopes
  // follow one a line.
  fio::write(6, "(5X,'TOLVA-MERAN TOWER LONG DIR. M-R LOOP CONTROL POINTS..',5X,A,"
                "5X,'RULE    ---------=',E10.4,/,"
                "'(HA, VA) ---------=','( ',F10.4,',',F10.4,' )',/,"
                "'(HB, VB) ---------=','( ',F10.4,',',F10.4,' )',/,"
                "'(HAP,VAP) --------=','( ',F10.4,',',F10.4,' )',/,"
                "'(HBP,VBP) --------=','( ',F10.4,',',F10.4,' )',/,"
                "'SLOP1    ---------=',E10.4,/,'SLOP2    ---------=',E10.4,/,"
                "'SLOP3    ---------=',E10.4)",
             std::string(53, '='), s[kRULE], s[kHA], s[kVA], s[kHB], s[kVB], s[kHAP], s[kVAP],
             s[kHBP], s[kVBP], sl.s1, sl.s2, sl.s3);
}

// ---------------------------------------------------------------- MAT09

void read_and_echo(MatCall& c) {
  float* pr = prop_words(c);
  std::string name;
  float ha = 0.0f, va = 0.0f, maxduc = 0.0f, beta = 0.0f;
  read_set_record(c.set, name, ha, va, maxduc, beta);
  pr[kHAProp] = ha;
  pr[kVAProp] = va;
  pr[kMaxDuc] = maxduc;
  pr[kBeta] = beta;
  c.nprop = kNProp;
  if (c.new_type || c.debug) {
    fio::write(6, "(///,' MOMENT-ROTATION MODEL NO. 1 (TOLVA-MERAN LONG)    ',/,"
                  "' ==================================================',//,"
                  "'  MAT.',3X,'   HA',6X,'   VA',6X,'MAX DUC',6X,'  BETA')");
  }
  fio::write(6, "(1X,I3,2X,4E12.6)", c.set, ha, va, maxduc, beta);
  if (ha == 0.0f || va == 0.0f)
    fio::write(6, "(1X,'*** WARNING - SET',I5,': HA OR VA IS 0.0, THE LOOP HAS NO SCALE:',"
                  "' THE SPRING CARRIES NO MOMENT')",
               c.set);
}


}  // namespace

Targets h09pt1(float d1, float p1, float d2, float p2, float sr, float sm) {
  return targets(d1, p1, d2, p2, sr, sm, unloading_stiffness(d1 / sr), 0.5f, 0.4f);
}

Targets h09pt2(float d1, float p1, float d2, float p2, float sr, float sm) {
  return targets(d1, p1, d2, p2, sr, sm, kInnerStiffness, 0.4f, 0.3f);
}

void hyst09(int iopt, float& p, float d, float pl, float dl, float* s, float maxduc, bool debug) {
  // A spring past its failure ductility carries nothing any more.
  if (past_failure(maxduc, s[kDUCT1])) {
    p = 0.0f;
    s[kK] = 0.001f;
    return;
  }

  bool positive = s[kSIDE] != 1.0f;
  if (p >= 0.0f && pl >= 0.0f) positive = true;
  if (p <= 0.0f && pl <= 0.0f) positive = false;
  s[kSIDE] = positive ? 0.0f : 1.0f;

  if (iopt == kOptInit) {
    s[kPUP] = kNoUnloading;
    s[kPUN] = kNoUnloading;
    s[kSR] = s[kHA] / kHA0;
    s[kSM] = s[kVA] / kVA0;
    s[kSMR] = s[kSR] != 0.0f ? s[kSM] / s[kSR] : 0.0f;
    const float sr = s[kSR], sm = s[kSM];
    s[kHA] = kHA0 * sr;
    s[kVA] = kVA0 * sm;
    s[kHB] = kHB0 * sr;
    s[kVB] = kVB0 * sm;
    s[kHAP] = -kHA0 * sr;
    s[kVAP] = -kVA0 * sm;
    s[kHBP] = (-kHA0 - kDH) * sr;
    s[kVBP] = (-kVA0 + kDV) * sm;
  }

  // HA or VA of 0.0 scales the loop to nothing (every slope 0.0, no rotation
  // or moment to divide by): the spring carries no moment and no ductility.
  if (s[kSR] == 0.0f || s[kSM] == 0.0f) {
    p = 0.0f;
    s[kK] = 0.0f;
    return;
  }

  Loop loop(p, d, pl, dl, s, positive);
  if (debug) trace_control_points(s, loop.slopes());

  const float rule = s[kRULE];
  if (rule == 1.0f) {
    loop.elastic();
  } else if (rule == 2.0f || rule == 3.0f) {
    loop.envelope();
  } else if (rule > 3.0f) {
    loop.rules();
  }

  if (std::fabs(d) > s[kRMAX]) {
    s[kRMAX] = std::fabs(d);
    s[kDUCT1] = s[kRMAX] / (kHA0 * s[kSR]);
  }
}

void mat09(MatCall& c) {
  c.nstate = kNState;
  switch (c.iopt) {
    case kOptNState:
      break;
    case kOptRead:
      read_and_echo(c);
      break;
    case kOptInit: {
      float* s = state_words(c);
      const float* pr = prop_words(c);
      for (int k = 1; k <= kInitialK; ++k) s[k] = 0.0f;
      s[kHACopy] = pr[kHAProp];
      s[kRULE] = kElastic;
      s[kHA] = pr[kHAProp];
      s[kVA] = pr[kVAProp];
      float p = 0.0f;
      hyst09(kOptInit, p, 0.0f, 0.0f, 0.0f, s, pr[kMaxDuc], c.debug);
      s[kInitialK] = s[kK];
      break;
    }
    case kOptState: {
      float* s = state_words(c);
      s[kDP] = c.p - c.pl;
      s[kDD] = c.d - c.dl;
      c.failed = past_failure(prop_words(c)[kMaxDuc], s[kDUCT1]);
      hyst09(kOptState, c.p, c.d, c.pl, c.dl, s, prop_words(c)[kMaxDuc], c.debug);
      store_results(c, state_words(c), kResults);
      break;
    }
    case kOptResults:
      store_results(c, state_words(c), kResults);
      break;
    default:  // option 5: no damage index
      break;
  }
}

}  // namespace materials
