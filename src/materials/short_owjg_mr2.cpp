// The moment-rotation spring of type 11: an elastic range of constant width
// 2*VA that is placed afresh at every unloading, a hardening slope beyond it,
// and a ductility at which the spring fails for good.
#include "materials/short_owjg_mr2.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "fio/fio.h"
#include "materials/model_results.h"

namespace materials {

namespace {

constexpr int kNProp = 7;

// Property words.
enum Prop : int { kHA = 1, kVA, kRatio, kMaxDuc, kBeta, kStiele, kPrmax };

using namespace short_owjg;

constexpr ResultWords kResults{.ese = kEse, .pse = kPse, .duct = kDuct1, .ex = kEx1};
constexpr PeakWords kPeak{.p = kPeakForce, .d = kPeakRot};

constexpr float kRuleElastic = 1.0f;
constexpr float kRuleYielding = 2.0f;
constexpr float kPositive = 0.0f;
constexpr float kNegative = 1.0f;
constexpr float kFailedTangent = 1.0e-5f;

MomentRotationProps props_of(const float* prop) {
  return MomentRotationProps{prop[kHA], prop[kVA], prop[kRatio], prop[kMaxDuc]};
}

void read_and_echo(MatCall& c) {
  float* prop = prop_words(c);
  std::string name;
  float v[kNProp] = {};
  read_set_record(c.set, name, v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
  std::copy(v, v + kNProp, prop + 1);
  c.nprop = kNProp;

  if (c.new_type || c.debug) {
    fio::write(6, "(///,' MOMENT-ROTATION MODEL',/,' =====================',//,"
                  "'  MAT.',3X,'   HA',6X,'   VA',6X,' RATIO',6X,'MAX DUC',6X,'  BETA',3X,"
                  "'STIELE',3X,' PRMAX')");
  }
  fio::write(6, "(1X,I3,2X,7E12.6,/)", c.set, v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
  if (prop[kHA] == 0.0f || prop[kVA] == 0.0f)
    fio::write(6, "(1X,'*** WARNING - SET',I5,': HA OR VA IS 0.0, THE SLOPE VA/HA IS TAKEN AS 0.0:',"
                  "' THE SPRING CARRIES NO MOMENT')",
               c.set);
}

// VA/HA, or 0.0 when HA gives it no divisor (warned at input).
float elastic_slope(float ha, float va) { return ha != 0.0f ? va / ha : 0.0f; }

}  // namespace

void hyst11(int iopt, float* s, float& p, float d, float pl, float dl,
            const MomentRotationProps& pr, bool debug) {
  float& k = s[kK];
  float& rule = s[kRule];
  float& p_plus = s[kPPlus];
  float& d_plus = s[kDPlus];
  float& p_minus = s[kPMinus];
  float& d_minus = s[kDMinus];

  if (past_failure(pr.max_duc, s[kDuct1])) {
    p = 0.0f;
    k = kFailedTangent;
    return;
  }

  float side = s[kSide];
  if (iopt == kOptInit) {
    p_plus = pr.va;
    d_plus = pr.ha;
    p_minus = -pr.va;
    d_minus = -pr.ha;
  }
  if (p > 0.0f) side = kPositive;
  if (p < 0.0f) side = kNegative;
  s[kSide] = side;

  // HA = 0.0 leaves the slope no divisor and VA = 0.0 leaves the excess none:
  // such ratios are taken as 0.0, and the spring carries no moment.
  const float slop1 = elastic_slope(pr.ha, pr.va);
  const float slop2 = slop1 * pr.ratio;
  auto over_slop1 = [slop1](float x) { return slop1 != 0.0f ? x / slop1 : 0.0f; };

  if (debug) {
    fio::write(6, "(5X,'MOMENT-ROTATION LOOP CONTROL POINTS.',5X,"
                  "'====================================',5X,'RULE    ---------=',1X,E10.4,/,"
                  "5X,'(HA, VA) ---------=',1X,'( ',F10.4,',',F10.4,' )',/,"
                  "5X,'SLOP1    ---------=',1X,E10.4,/,5X,'SLOP2    ---------=',1X,E10.4)",
               rule, pr.ha, pr.va, slop1, slop2);
  }

  if (rule == kRuleElastic) {
    if (p >= p_plus || p <= p_minus) {
      const float bound = p >= p_plus ? p_plus : p_minus;
      const float excess = over_slop1(p - bound);
      p = bound + slop2 * excess;
      s[kYieldRot] = std::fabs(d - excess);
      s[kYielded] = 1.0f;
      rule = kRuleYielding;
      k = slop2;
    } else {
      k = slop1;
    }
  } else if (rule == kRuleYielding) {
    const float dd = s[kDD];
    if ((side == kPositive && dd > 0.0f) || (side == kNegative && dd < 0.0f)) {
      k = slop2;
    } else if (side == kPositive) {
      // Unloading from the positive side: a new range of width 2*VA below PL.
      p_plus = pl;
      d_plus = dl;
      p_minus = p_plus - 2.0f * pr.va;
      d_minus = d_plus - over_slop1(p_plus - p_minus);
      rule = kRuleElastic;
      k = slop1;
      p = p_plus + slop1 * (d - d_plus);
    } else {
      p_minus = pl;
      d_minus = dl;
      p_plus = p_minus + 2.0f * pr.va;
      d_plus = d_minus + over_slop1(p_plus - p_minus);
      rule = kRuleElastic;
      k = slop1;
      p = p_minus + slop1 * (d - d_minus);
    }
  }

  if (std::fabs(d) > s[kMaxAbsRot]) {
    s[kMaxAbsRot] = std::fabs(d);
    if (s[kYielded] == 1.0f) {
      // A yield rotation of zero gives no ratio: the ductility keeps its value
      // rather than becoming infinite (and failing the spring spuriously).
      if (s[kYieldRot] > 0.0f) s[kDuct1] = s[kMaxAbsRot] / s[kYieldRot];
    } else {
      s[kDuct1] = 0.0f;
    }
  }
}

void mat11(MatCall& c) {
  c.nstate = kNState;
  switch (c.iopt) {
    case kOptNState:
      break;
    case kOptRead:
      read_and_echo(c);
      break;
    case kOptInit: {
      const float* prop = prop_words(c);
      float* s = state_words(c);
      std::fill(s + 1, s + kNState + 1, 0.0f);
      s[kRule] = kRuleElastic;
      s[kPrmaxWord] = prop[kPrmax];
      s[kStieleWord] = prop[kStiele];
      // The rule writes the force back: hand it scratch zeros.
      float p = 0.0f;
      hyst11(kOptInit, s, p, 0.0f, 0.0f, 0.0f, props_of(prop), c.debug);
      s[kElasticK] = elastic_slope(prop[kHA], prop[kVA]);
      break;
    }
    case kOptState: {
      float* s = state_words(c);
      s[kDP] = c.p - c.pl;
      s[kDD] = c.d - c.dl;
      const MomentRotationProps pr = props_of(prop_words(c));
      c.failed = past_failure(pr.max_duc, s[kDuct1]);
      hyst11(kOptState, s, c.p, c.d, c.pl, c.dl, pr, c.debug);
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
