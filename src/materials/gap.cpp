// The gap and restrainer spring of type 150. Compression is negative: the gap
// closes at DC (< 0), the restrainer takes up its slack at DX (> 0), yields at
// PPY and hardens; after yielding its slack end moves to where the unloading
// line reaches zero force.
#include "materials/gap.h"

#include <algorithm>
#include <string>

#include "fio/fio.h"
#include "materials/model_results.h"

namespace materials {

namespace {

constexpr int kNProp = 8;
constexpr float kOpenStiffness = 0.001f;

// Property words.
enum Prop : int { kKC = 1, kKO, kKT, kKTIE, kDC, kDX, kPPY, kOption };

using namespace gap;

// Rules of the gap with restrainer.
constexpr float kRuleOpen = 1.0f;
constexpr float kRuleClosed = 2.0f;
constexpr float kRuleTaut = 3.0f;
constexpr float kRuleYielding = 4.0f;

// OPTION values (the real truncated toward zero).
constexpr int kOptGapAndRestrainer = 1;
constexpr int kOptGapOnly = 2;
constexpr int kOptLinear = 3;

// a / kt, or 0.0 when the restrainer has no stiffness to divide by (KT = 0.0
// is warned at input).
float over_kt(float a, float kt) { return kt != 0.0f ? a / kt : 0.0f; }

int truncated_option(float x) {
  if (!(x > -2.0e9f && x < 2.0e9f)) return kOptGapAndRestrainer;
  return static_cast<int>(x);
}

void results(MatCall& c) {
  const float* s = state_words(c);
  const float* prop = prop_words(c);
  store_energies_only(c, 0.0f, 0.0f);
  // The restrainer's largest elongation over its slack; a zero slack leaves
  // the ratio no divisor and it is not formed (no infinite ductility).
  if (prop[kOption] == 1.0f && prop[kDX] < s[kPeakDefo] && prop[kDX] != 0.0f) {
    c.duct[0] = s[kPeakDefo] / prop[kDX];
  }
}

void read_and_echo(MatCall& c) {
  float* prop = prop_words(c);
  std::string name;
  read_set_record(c.set, name, prop[kKC], prop[kKT], prop[kKTIE], prop[kDC], prop[kDX],
                  prop[kPPY], prop[kOption]);
  c.nprop = kNProp;

  if (c.new_type || c.debug) {
    fio::write(6, "(///,'     GAP/RESTRAINTNER SPRING MATERIAL PARAMETERS',/,"
                  "'     ===========================================',/,"
                  "'  MAT.',6X,'   KC',6X,'   KT',6X,'  KTIE',6X,'   DC',6X,'  DX',6X,'  PPY',"
                  "6X,'  OPTION')");
  }
  fio::write(6, "(1X,I5,7E12.4,/)", c.set, prop[kKC], prop[kKT], prop[kKTIE], prop[kDC],
             prop[kDX], prop[kPPY], prop[kOption]);
  prop[kKO] = kOpenStiffness;
  const int option = truncated_option(prop[kOption]);
  if (prop[kKT] == 0.0f && option != kOptGapOnly && option != kOptLinear)
    fio::write(6, "(1X,'*** WARNING - SET',I5,': KT IS 0.0, PPY/KT IS TAKEN AS 0.0:',"
                  "' THE RESTRAINER YIELDS AT ITS SLACK END')",
               c.set);
}

void gap_only(float& p, float d, float pl, float dl, float& k, const float* prop) {
  const float dc = prop[kDC];
  if (d >= dc) {
    k = prop[kKO];
    p = 0.0f;
  } else {
    k = prop[kKC];
    if (dl >= dc) p = pl + prop[kKC] * (d - dc);  // the gap closes in this step
  }
}

}  // namespace

void hyst150(float& p, float d, float pl, float dl, float* s, const float* prop) {
  float& k = s[kK];
  const int option = truncated_option(prop[kOption]);
  const float kc = prop[kKC];
  const float ko = prop[kKO];
  const float kt = prop[kKT];
  const float ktie = prop[kKTIE];
  const float dc = prop[kDC];

  if (option == kOptLinear) {
    k = d == dc ? ko : kc;
    return;
  }
  if (option == kOptGapOnly) {
    gap_only(p, d, pl, dl, k, prop);
    return;
  }

  float& rule = s[kRule];
  float& pyr = s[kPyr];
  float& dyt = s[kDyt];
  float& dxr = s[kDxr];

  if (rule == kRuleOpen) {
    if (d > dc && d < dxr) {
      k = ko;
      p = 0.0f;
    } else if (d <= dc) {
      k = kc;
      p = pl + kc * (d - dc);
      rule = kRuleClosed;
    } else {
      k = kt;
      p = pl + kt * (d - dxr);
      rule = kRuleTaut;
      if (d >= dyt) {
        k = ktie;
        p = pyr + ktie * (d - dyt);
        rule = kRuleYielding;
      }
    }
  } else if (rule == kRuleClosed) {
    if (d <= dc) {
      k = kc;
    } else {
      k = ko;
      p = 0.0f;
      rule = kRuleOpen;
    }
  } else if (rule == kRuleTaut) {
    if (d >= dyt) {
      k = ktie;
      p = pyr + ktie * (d - dyt);
      dyt = d;
      dxr = d - over_kt(p, kt);
      rule = kRuleYielding;
    } else if (d >= dxr) {
      k = kt;
    } else {
      k = ko;
      p = 0.0f;
      rule = kRuleOpen;
    }
  } else if (rule == kRuleYielding) {
    if (d > dyt) {
      k = ktie;
      dyt = d;
    } else if (d < dyt) {
      // Unloading: the restrainer reloads elastically up to this point later.
      k = kt;
      dyt = dl;
      pyr = pl;
      p = pl + kt * (d - dl);
      dxr = dyt - over_kt(pyr, kt);
      rule = kRuleTaut;
      if (d < dxr && d > dc) {
        k = ko;
        p = 0.0f;
        rule = kRuleOpen;
      }
    }
  } else {
    gap_only(p, d, pl, dl, k, prop);
  }
}

void mat150(MatCall& c) {
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
      s[kK] = prop[kKO];
      s[kRule] = kRuleOpen;
      s[kPyr] = prop[kPPY];
      s[kDyt] = over_kt(prop[kPPY], prop[kKT]) + prop[kDX];
      s[kDxr] = prop[kDX];
      // A set that starts closed or taut computes a force here: it goes to scratch.
      float p = 0.0f;
      hyst150(p, 0.0f, 0.0f, 0.0f, s, prop);
      break;
    }
    case kOptState: {
      if (c.d == c.dl) return;
      float* s = state_words(c);
      hyst150(c.p, c.d, c.pl, c.dl, s, prop_words(c));
      if (c.d > 0.0f && c.d > s[kPeakDefo]) {
        s[kPeakForce] = c.p;
        s[kPeakDefo] = c.d;
      }
      results(c);
      break;
    }
    case kOptResults:
      results(c);
      break;
    case kOptDamage:
      c.ese = 0.0f;
      c.pse = 0.0f;
      c.di = 0.0f;
      break;
    default:
      break;
  }
}

}  // namespace materials
