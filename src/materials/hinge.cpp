// The "HINGE" material: a bilinear moment-rotation loop fixed by one yield
// control point (HA, VA) and a post-yield stiffness ratio, whose elastic range
// of width 2*VA shifts to the reversal point after every reversal; the set also
// carries the interaction cubics of the axial load and the shear-capacity
// parameters for the element.
#include "materials/hinge.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>

#include "fio/fio.h"
#include "materials/curve_fit.h"
#include "materials/model_results.h"

namespace materials {

namespace {

// Without shear parameters the record still ends with the shear flag (word
// 58): words 1-57 all hold data, so no word of them can tell set-up whether
// the flag belongs to the record, and set-up reads it.
constexpr int kNPropNoShear = 58;
constexpr int kNPropShear = 62;

// Property words.
enum Prop : int {
  kHA = 1, kVA, kRatio, kMaxDuc, kBeta, kStiele, kPrmax, kCode,
  kA0 = 9,          // A0-A3 in 9-12
  kB0 = 13,         // B0-B3 in 13-16
  kM = 17,          // points of the last fit
  kY1 = 18,         // Y(1..20) in 18-37
  kFail1 = 38,      // failure codes in 38-57
  kShearFlag = 58,
  kVci = 59,        // VCI, VCF, VS, ALFA in 59-62
};

using namespace hinge_model;

constexpr ResultWords kResults{.ese = kEse, .pse = kPse, .duct = kDuct1, .ex = kEx1};
constexpr PeakWords kPeak{.p = kPeakForce, .d = kPeakRot};

constexpr float kRuleElastic = 1.0f;
constexpr float kRuleYielding = 2.0f;
constexpr float kPositive = 0.0f;
constexpr float kNegative = 1.0f;
constexpr float kFailedTangent = 1.0e-5f;
constexpr float kZeroRatio = 1.0e-5f;  // RATIO typed as 0.0 is used as this

HingeLoopProps props_of(const float* prop) {
  return HingeLoopProps{prop[kHA], prop[kVA], prop[kRatio], prop[kMaxDuc], prop[kCode]};
}

void read_and_echo(MatCall& c) {
  float* prop = prop_words(c);
  std::string name;
  float v[8] = {};
  read_set_record(c.set, name, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
  std::copy(v, v + 8, prop + 1);

  if (c.new_type || c.debug) {
    fio::write(6, "(///,' PLASTIC HINGE LENGTH MOMENT-ROTATION MODEL        ',/,"
                  "' ==================================================',//,"
                  "'  MAT.',7A12)",
               "HA", "VA", "RATIO", "MAX DUC", "BETA", "STIELE", "PRMAX");
  }
  fio::write(6, "(1X,I3,2X,8E12.6)", c.set, v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
  fio::write_record(6, "");
  if (prop[kHA] == 0.0f || prop[kVA] == 0.0f)
    fio::write(6, "(1X,'*** WARNING - SET',I5,': HA OR VA IS 0.0, THE SLOPE VA/HA IS TAKEN AS 0.0:',"
                  "' THE HINGE CARRIES NO MOMENT')",
               c.set);
  if (prop[kRatio] == 0.0f) prop[kRatio] = kZeroRatio;

  // The cubics of the axial load; the point tables hold the last fit's points.
  const float code = prop[kCode];
  std::fill(prop + kA0, prop + kShearFlag, 0.0f);
  std::span<float, kCubicTerms> a(prop + kA0, kCubicTerms);
  std::span<float, kCubicTerms> b(prop + kB0, kCubicTerms);
  FitTable points;
  const bool pmy = code == 1.0f || code == 3.0f;
  const bool prc = code == 2.0f || code == 3.0f;
  if (pmy) read_cubic(c.set, Cubic::moment, a, points);
  if (prc) read_cubic(c.set, Cubic::rotation_capacity, b, points);
  prop[kM] = static_cast<float>(points.m);
  for (int i = 0; i < points.m; ++i) {
    prop[kY1 + i] = points.y[static_cast<std::size_t>(i)];
    prop[kFail1 + i] = points.code[static_cast<std::size_t>(i)];
  }
  if (pmy) write_cubic(Cubic::moment, a);
  if (prc) write_cubic(Cubic::rotation_capacity, b);

  float flag = 0.0f;
  read_set_record(c.set, flag);
  prop[kShearFlag] = flag;
  c.nprop = kNPropNoShear;
  if (flag == 1.0f) {
    read_shear_capacities(c.set,
                          "(' PARAMETERS FOR MEMBER SHEAR CAPACITIES:',/,'      VCI= ',E15.6,/,"
                          "'      VCF= ',E15.6,/,'       VS= ',E15.6,/,"
                          "'     ALFA (degree) = ',E15.6)",
                          std::span<float, 4>(prop + kVci, 4));
    c.nprop = kNPropShear;
  }
}

void set_up(MatCall& c) {
  const float* prop = prop_words(c);
  float* s = state_words(c);
  std::fill(s + 1, s + kNState + 1, 0.0f);
  s[kRule] = kRuleElastic;
  s[kStieleWord] = prop[kStiele];
  s[kPrmaxWord] = prop[kPrmax];
  s[kCodeWord] = prop[kCode];
  std::copy(prop + kA0, prop + kA0 + 4, s + kCodeWord + 1);
  s[kVaWord] = prop[kVA];
  std::copy(prop + kB0, prop + kB0 + 4, s + kVaWord + 1);

  // The loop writes the moment back: hand it scratch zeros.
  float p = 0.0f;
  mrloop(kOptInit, s, p, 0.0f, 0.0f, 0.0f, props_of(prop), c.debug);

  s[kEy] = s[kDY] * prop[kVA] / 2.0f;
  s[kDu] = prop[kHA] * prop[kMaxDuc];
  s[kPeakRot] = 0.0f;
  s[kPeakForce] = 0.0f;
  s[kInitialK] = s[kK];
  s[kMWord] = prop[kM];
  const float m = prop[kM];
  const int count = m > 0.0f ? static_cast<int>(std::min(m, static_cast<float>(kMaxStoredPoints))) : 0;
  std::copy(prop + kY1, prop + kY1 + count, s + kYWord1);
  std::copy(prop + kFail1, prop + kFail1 + count, s + kFailWord1);
  s[kShearFlagWord] = prop[kShearFlag];
  if (prop[kShearFlag] == 1.0f) std::copy(prop + kVci, prop + kVci + 4, s + kVciWord);
}

}  // namespace

void mrloop(int iopt, float* s, float& p, float d, float pl, float dl, const HingeLoopProps& pr,
            bool debug) {
  float& k = s[kK];
  float& rule = s[kRule];
  float& pyp = s[kPYP];
  float& dyp = s[kDYP];
  float& pyn = s[kPYN];
  float& dyn = s[kDYN];
  float& duct = s[kDuct1];

  // HA = 0.0 gives the slope no divisor, and VA = 0.0 a zero slope that no
  // excess can be divided by: such ratios are taken as 0.0 (warned at input).
  const float slop1 = pr.ha != 0.0f ? pr.va / pr.ha : 0.0f;
  const float slop2 = slop1 * pr.ratio;
  auto over_slop1 = [slop1](float x) { return slop1 != 0.0f ? x / slop1 : 0.0f; };

  if (past_failure(pr.max_duc, duct)) {
    p = 0.0f;
    k = kFailedTangent;
    return;
  }

  float side = s[kSide];
  if (p > 0.0f) side = kPositive;
  if (p < 0.0f) side = kNegative;
  s[kSide] = side;

  if (iopt == kOptInit) {
    pyp = pr.va;
    dyp = pr.ha;
    pyn = -pr.va;
    dyn = -pr.ha;
  }

  if (debug) {
    fio::write(6, "(5X,'MOMENT-ROTATION LOOP CONTROL POINTS.',5X,"
                  "'====================================',5X,'RULE    ---------=',E10.4,/,"
                  "5X,'(HA, VA) ---------=','( ',F10.4,',',F10.4,' )',/,"
                  "5X,'SLOP1    ---------=',E10.4,/,5X,'SLOP2    ---------=',E10.4)",
               rule, pr.ha, pr.va, slop1, slop2);
  }

  // A zero ratio is held exactly at the limit when the P-MY cubic is in use.
  const bool hold_at_limit = pr.code == 1.0f && pr.ratio <= kZeroRatio;

  if (rule == kRuleElastic) {
    if (p > pyn && p < pyp) {
      k = slop1;
    } else {
      rule = kRuleYielding;
      k = slop2;
      const float limit = p >= pyp ? pyp : pyn;
      const float excess = over_slop1(p - limit);
      p = limit + slop2 * excess;
      if (hold_at_limit) p = limit;
      s[kDY] = std::fabs(d - excess);
      s[kYielded] = 1.0f;
    }
  } else if (rule == kRuleYielding) {
    const float dd = d - dl;
    if (side == kPositive && dd > 0.0f) {
      k = slop2;
      if (hold_at_limit) p = pyp;
    } else if (side == kNegative && dd < 0.0f) {
      k = slop2;
      if (hold_at_limit) p = pyn;
    } else if (side == kPositive) {
      pyp = pl;
      dyp = dl;
      rule = kRuleElastic;
      k = slop1;
      pyn = pyp - 2.0f * pr.va;
      dyn = dyp - over_slop1(pyp - pyn);
      p = pyp + slop1 * (d - dyp);
    } else {
      pyn = pl;
      dyn = dl;
      rule = kRuleElastic;
      k = slop1;
      pyp = pyn + 2.0f * pr.va;
      dyp = dyn + over_slop1(pyp - pyn);
      p = pyn + slop1 * (d - dyn);
    }
  }

  if (std::fabs(d) > s[kMaxAbsRot]) {
    s[kMaxAbsRot] = std::fabs(d);
    if (s[kYielded] == 1.0f) {
      // A yield rotation of zero gives no ratio: the ductility keeps its value
      // rather than becoming infinite (and failing the hinge spuriously).
      if (s[kDY] > 0.0f) duct = s[kMaxAbsRot] / s[kDY];
    } else {
      duct = 0.0f;
    }
  }
}

void mat19(MatCall& c) {
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
    case kOptState: {
      float* s = state_words(c);
      s[kDP] = c.p - c.pl;
      s[kDD] = c.d - c.dl;
      const HingeLoopProps pr = props_of(prop_words(c));
      c.failed = past_failure(pr.max_duc, s[kDuct1]);
      mrloop(kOptState, s, c.p, c.d, c.pl, c.dl, pr, c.debug);
      track_peak(s, kPeak, c.p, c.d);
      store_results(c, s, kResults);
      break;
    }
    case kOptResults:
      store_results(c, state_words(c), kResults);
      break;
    default:  // option 5: no damage index; the dispatcher's 0.0 stands
      break;
  }
}

}  // namespace materials
