// Bilinear kinematic-hardening springs: the symmetric model (type 7) and its
// one-sided variant (type 15), each moved through a whole step by one call of
// its rule, which splits the step at its event points itself.
#include "materials/bilinear.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "fio/fio.h"
#include "materials/model_results.h"

namespace materials {

namespace {

constexpr int kNProp = 7;

// Property words.
enum Prop : int { kKE = 1, kPY, kKIE, kDY, kEY, kDu, kBeta };

using namespace bilin;

constexpr ResultWords kResults{.ese = kEse1, .pse = kPse, .duct = kUp1, .un = kUn1, .ex = kEx1};
constexpr PeakWords kPeak{.p = kPMax, .d = kDMax};

// Rule numbers.
constexpr float kRuleInitial = 1.0f;
constexpr float kRuleUpper = 2.1f;
constexpr float kRuleLower = 2.2f;
constexpr float kRuleBetween = 2.3f;

// KEY values.
enum Key : int { kKeyElastic = 0, kKeyUpper = 1, kKeyLower = 2, kKeyRated = 3 };

enum class Branch { upper, lower, between, done };

BilinearProps props_of(const float* prop) {
  return BilinearProps{prop[kKE], prop[kPY], prop[kKIE], prop[kDY], prop[kEY]};
}

void trace_arguments(float p, float d, float pl, float dl, const float* s, float v, float vl,
                     const BilinearProps& pr, bool closing) {
  if (closing) {
    fio::write(6, "(' EL-END-FC=',F8.3,'     K=',F8.3,'     A=',F8.3,'     B=',F8.3)", p, s[kK],
               s[kA], s[kB]);
  }
  const float* up = s + kUp1;
  const float* un = s + kUn1;
  const float* ex = s + kEx1;
  if (closing) {
    fio::write_list(6, " ELSPLS-FC=", p, "DC=", d, "FL=", pl, "DL=", dl, "K=", s[kK], "RULE=",
                    s[kRule], "CSE=", s[kCse], "A=", s[kA], "B=", s[kB], "V=", v, "VL=", vl,
                    "KE=", pr.ke, "PY=", pr.py, "KIE=", pr.kie, "DY=", pr.dy, "EY=", pr.ey,
                    "ESE=", s[kEse1], s[kEse2], s[kEse3], "PSE=", s[kPse], "KEY=", s[kKey],
                    "UP1=", up[0], "UP2=", up[1], "UP3=", up[2], "UN1=", un[0], "UN2=", un[1],
                    "UN3=", un[2], "EX1=", ex[0], "EX2=", ex[1], "EX3=", ex[2], "EX4=", ex[3],
                    "EX5=", ex[4], "EX6=", ex[5]);
  } else {
    fio::write_list(6, " ELSPLS-FC=", p, "DC=", d, "FL=", pl, "DL=", dl, "K=", s[kK], "RULE=",
                    s[kRule], "CSE=", s[kCse], "A=", s[kA], "B=", s[kB], "V=", v, "VL=", vl,
                    "KE=", pr.ke, "PY=", pr.py, "KIE=", pr.kie, "DY=", pr.dy, "EY=", pr.ey,
                    "ESE=", s[kEse3], "PSE=", s[kPse], "KEY=", s[kKey], "UP1=", up[0], "UP2=",
                    up[1], "UP3=", up[2], "UN1=", un[0], "UN2=", un[1], "UN3=", un[2], "EX1=",
                    ex[0], "EX2=", ex[1], "EX3=", ex[2], "EX4=", ex[3], "EX5=", ex[4], "EX6=",
                    ex[5]);
  }
}

// One call of the rule past the initial elastic range: the state words it
// moves and the values fixed for the whole call.
struct Step {
  bool one_sided;
  const BilinearProps& pr;
  float& p;
  float d;
  float& pl;
  float& dl;
  float& k;
  float& rule;
  float& cse;
  float& a;
  float& b;
  float* ese;
  float& pse;
  float* up;
  float* un;
  float* ex;
  int& key;
  float dd = 0.0f;    // d - dl on entry, kept also after an event moves dl
  float peq = 0.0f;   // p - KIE d on entry
  float pyeq = 0.0f;  // the yield force less the hardening line's share
  float dvel = 0.0f;  // v * vl: negative when the velocity turned
};

// The branch the step starts on: from the initial range onto the yield line
// of its sense (its yield point the last state), else that of its rule.
Branch first_branch(Step& st) {
  const BilinearProps& pr = st.pr;
  const float py = pr.py;
  const float dy = pr.dy;
  if (st.rule == kRuleInitial) {
    if (st.dd > 0.0f) {
      enrgy(st.ese, st.pse, st.cse, py, st.pl, dy, st.dl, st.k, pr.ke);
      st.pl = st.one_sided ? 0.0f : py;
      st.dl = st.one_sided ? 0.0f : dy;
      return Branch::upper;
    }
    enrgy(st.ese, st.pse, st.cse, -py, st.pl, -dy, st.dl, st.k, pr.ke);
    st.pl = -py;
    st.dl = -dy;
    return Branch::lower;
  }
  if (st.rule == kRuleUpper) return Branch::upper;
  if (st.rule == kRuleLower) return Branch::lower;
  if (st.rule == kRuleBetween) return Branch::between;
  fio::write_list(6, "INVALID RULE IN HYST07-BILINEAR HYSTERESIS MODEL");
  return Branch::upper;
}

// On the upper yield line while the step loads; else between the lines.
Branch upper_branch(Step& st) {
  if (!(st.dd > 0.0f)) return Branch::between;
  const BilinearProps& pr = st.pr;
  const float kie = pr.kie;
  const float dy = pr.dy;
  st.k = kie;
  st.rule = kRuleUpper;
  st.p = st.one_sided ? kie * st.d : kie * st.d + st.pyeq;
  enrgy(st.ese, st.pse, st.cse, st.p, st.pl, st.d, st.dl, st.k, pr.ke);
  // A zero yield deformation forms no ratio (no infinite ductility).
  if (!st.one_sided && dy != 0.0f) st.up[0] = std::max(st.up[0], st.dl / dy);
  st.key = kKeyUpper;
  if (st.dvel < 0.0f) st.k = pr.ke;  // the velocity turned: unload elastically next
  return Branch::done;
}

// On the lower yield line while the step unloads; else between the lines.
Branch lower_branch(Step& st) {
  if (!(st.dd < 0.0f)) return Branch::between;
  const BilinearProps& pr = st.pr;
  const float kie = pr.kie;
  const float dy = pr.dy;
  st.k = kie;
  st.rule = kRuleLower;
  st.p = kie * st.d - st.pyeq;
  enrgy(st.ese, st.pse, st.cse, st.p, st.pl, st.d, st.dl, st.k, pr.ke);
  if (!st.one_sided && dy != 0.0f) st.un[0] = std::max(st.un[0], st.dl / (-dy));
  st.key = kKeyLower;
  if (st.dvel < 0.0f) st.k = pr.ke;
  return Branch::done;
}

// Elastic between the two yield lines, up to the one the step moves toward.
Branch between_branch(Step& st) {
  const BilinearProps& pr = st.pr;
  const float ke = pr.ke;
  const float dy = pr.dy;
  const float d = st.d;
  st.k = ke;
  st.rule = kRuleBetween;
  st.p = st.pl + ke * (d - st.dl);
  st.a = st.one_sided ? 0.0f : st.pyeq + st.p - st.peq;
  st.b = st.p - st.pyeq - st.peq;
  // Only the bound the step moves toward is tested: right after a
  // reversal the force sits on the other bound, where rounding alone
  // would otherwise bounce the step between the two rules for ever.
  if (st.dd > 0.0f && st.p > st.a) {
    const float de = ke != 0.0f ? d + (st.a - st.p) / ke : d;
    enrgy(st.ese, st.pse, st.cse, st.a, st.pl, de, st.dl, st.k, ke);
    st.dl = de;
    st.pl = st.a;
    return Branch::upper;
  }
  if (st.dd < 0.0f && st.p < st.b) {
    const float de = ke != 0.0f ? d + (st.b - st.p) / ke : d;
    enrgy(st.ese, st.pse, st.cse, st.b, st.pl, de, st.dl, st.k, ke);
    st.dl = de;
    st.pl = st.b;
    return Branch::lower;
  }
  // First elastic step after yielding: rate the excursion at the turning point.
  if (st.key == kKeyUpper) {
    ductex(1, st.up, st.ex, dy, st.dl, st.ese[1], st.pse, st.cse, pr.ey);
  } else if (st.key == kKeyLower) {
    ductex(1, st.un, st.ex, -dy, st.dl, st.ese[2], st.pse, st.cse, pr.ey);
  }
  enrgy(st.ese, st.pse, st.cse, st.p, st.pl, d, st.dl, st.k, ke);
  st.key = kKeyRated;
  return Branch::done;
}

// The rule of both types; one_sided selects the type-15 differences.
void bilinear_rule(bool one_sided, float& p, float d, float& pl, float& dl, float* s, float v,
                   float vl, const BilinearProps& pr, bool debug) {
  float& k = s[kK];
  float& rule = s[kRule];
  float& cse = s[kCse];
  float& a = s[kA];
  float& b = s[kB];
  float* ese = s + kEse1;
  float& pse = s[kPse];
  float* up = s + kUp1;
  float* ex = s + kEx1;
  const float ke = pr.ke;
  const float py = pr.py;
  const float kie = pr.kie;

  int key = static_cast<int>(s[kKey]);
  p = pl + k * (d - dl);
  if (debug) trace_arguments(p, d, pl, dl, s, v, vl, pr, false);

  // The force changed sign: the excursion of the previous sense is over.
  if (p * pl <= 0.0f) ductex(2, up, ex, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);

  auto finish = [&] {
    s[kKey] = static_cast<float>(key);
    if (debug) trace_arguments(p, d, pl, dl, s, v, vl, pr, true);
  };

  // Initial elastic range (type 15: only in compression). The set-up call (at
  // rest, rule 0.0) enters it also with a yield force of 0.0, the limit of the
  // elastic-perfectly-plastic spring: such a spring leaves it at its first
  // deformation, onto the yield lines through the origin.
  const bool at_rest = rule == 0.0f && p == 0.0f && d == 0.0f && dl == 0.0f;
  if (rule <= 1.0f && (std::fabs(p) < py || at_rest) && (!one_sided || p <= 0.0f)) {
    k = ke;
    rule = kRuleInitial;
    a = one_sided ? 0.0f : py;
    b = -py;
    p = ke * d;
    enrgy(ese, pse, cse, p, pl, d, dl, k, ke);
    key = kKeyElastic;
    finish();
    return;
  }
  if (one_sided && rule <= 1.0f && p > 0.0f) {
    // Type 15 in tension from rest: straight onto the line through the origin.
    k = kie;
    rule = kRuleInitial;
  }

  Step st{one_sided, pr, p, d, pl, dl, k, rule, cse, a, b, ese, pse, up, s + kUn1, ex, key};
  // dd keeps this value through the whole call, also after an event moves dl.
  st.dd = d - dl;
  if (st.dd == 0.0f) return;

  st.peq = p - kie * d;
  // KE = 0.0 gives KIE/KE no divisor: the ratio is taken as 0.0 (warned at input).
  st.pyeq = (1.0f - (ke != 0.0f ? kie / ke : 0.0f)) * py;
  st.dvel = v * vl;
  if (debug) fio::write_list(6, "PEQ,PYEQ,DVEL,VI,VL:", st.peq, st.pyeq, st.dvel, v, vl);

  Branch next = first_branch(st);
  while (next != Branch::done) {
    switch (next) {
      case Branch::upper: next = upper_branch(st); break;
      case Branch::lower: next = lower_branch(st); break;
      case Branch::between: next = between_branch(st); break;
      case Branch::done: break;
    }
  }
  finish();
}

void read_and_echo(MatCall& c, bool one_sided) {
  float* prop = prop_words(c);
  std::string name;
  float ke = 0.0f, py = 0.0f, kie = 0.0f, max_duct = 0.0f, beta = 0.0f;
  read_set_record(c.set, name, ke, py, kie, max_duct, beta);

  prop[kKE] = ke;
  prop[kPY] = py;
  prop[kKIE] = kie;
  // KE = 0.0 gives PY/KE no divisor: DY (and with it EY and Du) is 0.0.
  prop[kDY] = ke != 0.0f ? py / ke : 0.0f;
  prop[kEY] = prop[kDY] * py / 2.0f;
  prop[kDu] = max_duct * prop[kDY];
  prop[kBeta] = beta;
  c.nprop = kNProp;

  if (c.new_type || c.debug) {
    if (one_sided) {
      fio::write(6, "(///,'     ONE SIDE BILINEAR HYSTERESIS MODEL PARAMETERS',/,"
                    "'     =============================================',/,"
                    "'     Note: This model has zero tension stiffness &',/,"
                    "'           bilinear compression stiffness         ',/)");
    } else {
      fio::write(6, "(///,'     BILINEAR HYSTERESIS MODEL PARAMETERS',/,"
                    "'     ====================================',/)");
    }
    fio::write(6, "('  MAT.',6X,'   KE',10X,'   PY',10X,'  KIE',7X,'MAX DUCT',10X,' BETA')");
  }
  fio::write(6, "(1X,I5,5E15.6)", c.set, ke, py, kie, max_duct, beta);
  if (ke == 0.0f)
    fio::write(6, "(1X,'*** WARNING - SET',I5,': KE IS 0.0, THE YIELD DEFORMATION PY/KE IS TAKEN AS 0.0')", c.set);
}

using Rule = void (*)(float&, float, float&, float&, float*, float, float, const BilinearProps&,
                      bool);

void bilinear_driver(MatCall& c, bool one_sided, Rule rule) {
  c.nstate = kNState;
  switch (c.iopt) {
    case kOptNState:
      break;
    case kOptRead:
      read_and_echo(c, one_sided);
      break;
    case kOptInit: {
      // The peak words go too: words reserved again after a "RELEASE" or a new
      // "STR" may hold another spring's peak, and a reset spring starts anew.
      float* s = state_words(c);
      std::fill(s + 1, s + kNState + 1, 0.0f);
      // The rule writes back into its point arguments: hand it scratch zeros.
      float p = 0.0f, pl = 0.0f, dl = 0.0f;
      rule(p, 0.0f, pl, dl, s, 0.0f, 0.0f, props_of(prop_words(c)), c.debug);
      break;
    }
    case kOptState: {
      if (c.d == c.dl) return;
      float* s = state_words(c);
      rule(c.p, c.d, c.pl, c.dl, s, c.v, c.vl, props_of(prop_words(c)), c.debug);
      track_peak(s, kPeak, c.p, c.d);
      store_results(c, s, kResults);
      break;
    }
    case kOptResults:
      store_results(c, state_words(c), kResults);
      break;
    case kOptDamage: {
      const float* prop = prop_words(c);
      park_ang_damage(c, state_words(c), kResults, kPeak, prop[kDu], prop[kBeta], prop[kPY]);
      break;
    }
    default:
      break;
  }
}

}  // namespace

void hyst07(float& p, float d, float& pl, float& dl, float* s, float v, float vl,
            const BilinearProps& pr, bool debug) {
  bilinear_rule(false, p, d, pl, dl, s, v, vl, pr, debug);
}

void hyst15(float& p, float d, float& pl, float& dl, float* s, float v, float vl,
            const BilinearProps& pr, bool debug) {
  bilinear_rule(true, p, d, pl, dl, s, v, vl, pr, debug);
}

void mat07(MatCall& c) { bilinear_driver(c, false, hyst07); }
void mat15(MatCall& c) { bilinear_driver(c, true, hyst15); }

}  // namespace materials
