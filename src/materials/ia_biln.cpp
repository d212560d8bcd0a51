// The IA_BILN hinge: a bilinear moment-rotation law that corrects, inside the
// state determination, the elastic trial moment the element hands it. Law A
// (interaction code 2) clips at fixed limits and unloads through the post-yield
// ratio; law B (codes 1, 3-6) yields along SP times the elastic stiffness and
// moves its elastic range, 2 MP wide, to start at the moment of a reversal.
#include "materials/ia_biln.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <string>

#include "fio/fio.h"
#include "materials/curve_fit.h"
#include "materials/model_results.h"

namespace materials {

namespace {

constexpr int kNProp = 59;
constexpr int kNPropShear = 64;
constexpr float kSmallRatio = 1.0e-5f;  // SP at or below this: no post-yield stiffness

// Property words.
enum Prop : int {
  kElasP = 1, kSPP, kE, kTIP, kMPP, kMaxDucP, kBetaP, kReduP,
  kShearInRecord = 9,  // 1.0 when words 60-64 belong to the record
  kA0P = 10, kPrmaxP = 14, kB0P = 15, kCountP = 19, kYP = 20, kCodeP = 40,
  kShearFlagP = 60, kVciP = 61,
};

using namespace ia_biln;

bool is_law_b_code(float elas) {
  return elas == 1.0f || elas == 3.0f || elas == 4.0f || elas == 5.0f || elas == 6.0f;
}

// ---------------------------------------------------------------- input

void read_and_echo(MatCall& c) {
  float* pr = prop_words(c);
  std::string name;
  float elas = 0.0f, sp = 0.0f, e = 0.0f, ti = 0.0f, mp = 0.0f, maxduc = 0.0f, beta = 0.0f,
        prmax = 0.0f;
  read_set_record(c.set, name, elas, sp, e, ti, mp, maxduc, beta, prmax);
  // A set without its own reduction factor leaves the element's capacity as is.
  float redu = 1.0f;
  if (elas == 2.0f) read_set_record(c.set, redu);

  if (c.new_type || c.debug) {
    fio::write(6, "(///,' BILINEAR INTERACTIVE MATERIAL PROPERTIES',/,1X,A,//,A6,9A12)",
               std::string(40, '='), "  MAT.", "ELAS", "SP", "E", "TI", "MP", "MAX DUC", "BETA",
               "REDU F", "PRMAX");
  }
  fio::write(6, "(1X,I5,9E12.6,/)", c.set, elas, sp, e, ti, mp, maxduc, beta, redu, prmax);

  std::array<float, kCubicTerms> a{}, b{};
  FitTable table;
  if (elas == 4.0f || elas == 6.0f) read_cubic(c.set, Cubic::moment, a, table);
  if (elas == 5.0f || elas == 6.0f) read_cubic(c.set, Cubic::rotation_capacity, b, table);

  pr[kElasP] = elas;
  pr[kSPP] = sp;
  pr[kE] = e;
  pr[kTIP] = ti;
  pr[kMPP] = mp;
  pr[kMaxDucP] = maxduc;
  pr[kBetaP] = beta;
  pr[kReduP] = redu;
  pr[kShearInRecord] = 0.0f;
  for (int k = 0; k < kCubicTerms; ++k) {
    pr[kA0P + k] = a[static_cast<std::size_t>(k)];
    pr[kB0P + k] = b[static_cast<std::size_t>(k)];
  }
  pr[kPrmaxP] = prmax;
  pr[kCountP] = static_cast<float>(table.m);
  for (int k = 0; k < kMaxStoredPoints; ++k) {
    pr[kYP + k] = table.y[static_cast<std::size_t>(k)];
    pr[kCodeP + k] = table.code[static_cast<std::size_t>(k)];
  }
  c.nprop = kNProp;

  if (elas == 4.0f || elas == 6.0f) write_cubic(Cubic::moment, a);
  if (elas == 5.0f || elas == 6.0f) write_cubic(Cubic::rotation_capacity, b);

  if (elas != 0.0f) {
    float flag = 0.0f;
    read_set_record(c.set, flag);
    if (flag == 1.0f) {
      read_shear_capacities(c.set,
                            "(' PARAMETERS FOR MEMBER SHEAR CAPACITIES:',/,'      VCI= ',E15.6,/,"
                            "'      VCF= ',E15.6,/,'       VS= ',E15.6,/,"
                            "'     ALFA (degree)= ',E15.6)",
                            std::span<float, 4>(pr + kVciP, 4));
      pr[kShearInRecord] = 1.0f;
      pr[kShearFlagP] = flag;
      c.nprop = kNPropShear;
    }
  }
}

// ---------------------------------------------------------------- state

void set_up(MatCall& c) {
  float* s = state_words(c);
  const float* pr = prop_words(c);
  for (int k = 1; k <= kNState; ++k) s[k] = 0.0f;
  s[kEI] = pr[kE] * pr[kTIP];
  s[kPYP] = pr[kMPP];
  s[kPYN] = -pr[kMPP];
  s[kElas] = pr[kElasP];
  s[kSP] = pr[kSPP];
  s[kMaxDuc] = pr[kMaxDucP];
  s[kBeta] = pr[kBetaP];
  s[kRedu] = pr[kReduP];
  s[kTI] = pr[kTIP];
  s[kMP] = pr[kMPP];
  for (int k = 0; k < kCubicTerms; ++k) {
    s[kA0 + k] = pr[kA0P + k];
    s[kB0 + k] = pr[kB0P + k];
  }
  s[kPrmax] = pr[kPrmaxP];
  s[kM] = pr[kCountP];
  const float m = pr[kCountP];
  const int npts = m > 0.0f ? static_cast<int>(std::min(m, static_cast<float>(kMaxStoredPoints))) : 0;
  for (int k = 0; k < npts; ++k) {
    s[kY + k] = pr[kYP + k];
    s[kCode + k] = pr[kCodeP + k];
  }
  // The shear words exist only in a record that holds them.
  if (pr[kShearInRecord] == 1.0f) {
    s[kShearFlag] = pr[kShearFlagP];
    if (s[kShearFlag] == 1.0f) {
      for (int k = 0; k < 4; ++k) s[kVci + k] = pr[kVciP + k];
    }
  }
}

float ductility(const float* s) {
  if (s[kElas] == 0.0f || s[kYieldFlag] == 0.0f || s[kDY] == 0.0f) return 0.0f;
  return s[kDMax] / s[kDY];
}

void results(MatCall& c) {
  float* s = state_words(c);
  s[kDuct] = ductility(s);
  store_energies_only(c, 0.0f, 0.0f);
  c.duct[0] = s[kDuct];
}

// First yield while yielding on a limit: the deformation reached.
void first_yield_record(float* s, float d) {
  if (s[kYieldFlag] == 0.0f && std::fabs(s[kDY]) <= std::fabs(d)) {
    s[kDY] = std::fabs(d);
    s[kYieldFlag] = 1.0f;
  }
}

// Law A: fixed limits; a trial inside them after yielding is an unloading,
// whose elastic part the trial (formed with SP times the stiffness) is
// scaled back to.
void law_a(float& p, float pl, float d, float dl, float& pyp, float& pyn, float& st, float* s) {
  if (st != 0.0f && st != 1.0f) return;
  const float sp = s[kSP];
  if (p >= pyp || p <= pyn) {
    st = 1.0f;
    p = p >= pyp ? pyp : pyn;
    first_yield_record(s, d);
  } else if (st == 1.0f) {
    st = 0.0f;
    if (d != dl) p = pl + (p - pl) / sp;
    if (pl >= 0.0f && p <= pyn) {
      p = pyn;
      st = 1.0f;
    }
    if (pl < 0.0f && p >= pyp) {
      p = pyp;
      st = 1.0f;
    }
  }
}

// Law B: yielding along SP times the stiffness; a reversal while yielding
// starts a new elastic range 2 MP wide at the reversal moment.
void law_b(MatCall& c, float& p, float pl, float d, float dl, float& pyp, float& pyn, float& st,
           float* s) {
  const float sp = s[kSP];
  const float elas = s[kElas];
  const float mp = s[kMP];
  const bool flat = sp <= kSmallRatio;
  const bool hold_on_limit = flat && (elas == 4.0f || elas == 6.0f);
  // Moment of a reversal from the committed point: the elastic part of the
  // trial, or without a post-yield stiffness the member's elastic 4 E I / L.
  const auto reversal = [&]() {
    if (!flat) return pl + (p - pl) / sp;
    const float* pr = prop_words(c);
    float len = s[kLength];
    if (!(len > 0.0f)) len = 1.0f;  // no element has written the length
    return pl + (d - dl) * 4.0f * pr[kE] * pr[kTIP] / len;
  };

  if (st == 0.0f) {
    if (pyn < p && p < pyp) return;
    const float y = p >= pyp ? pyp : pyn;
    st = 1.0f;
    // Excess deformation beyond the yield point along the step's line; none
    // when the step has no length or no force change.
    float e = 0.0f;
    const bool line = d != dl && p != pl;
    if (line) {
      const float k = (p - pl) / (d - dl);
      e = (p - y) / k;
    }
    if (!flat) {
      if (line) p = y + sp * (p - y);
    } else {
      p = y;
    }
    if (s[kYieldFlag] == 0.0f) {
      s[kDY] = std::fabs(d - e);
      s[kYieldFlag] = 1.0f;
    }
    return;
  }
  if (st != 1.0f) return;
  const float dd = d - dl;
  if (p >= pyp) {
    if (dd >= 0.0f) {
      if (hold_on_limit) p = pyp;
      first_yield_record(s, d);
    } else {
      st = 0.0f;
      pyp = pl;
      pyn = pl - 2.0f * mp;
      p = reversal();
    }
  } else if (p <= pyn) {
    if (dd <= 0.0f) {
      if (hold_on_limit) p = pyn;
      first_yield_record(s, d);
    } else {
      st = 0.0f;
      pyn = pl;
      pyp = pl + 2.0f * mp;
      p = reversal();
    }
  }
}

void state_determination(MatCall& c) {
  float* s = state_words(c);
  store_energies_only(c, 0.0f, 0.0f);
  c.duct[0] = s[kDuct];

  if (past_failure(s[kMaxDuc], s[kDuct])) {
    c.failed = true;
    c.p = 0.0f;
    s[kYield] = 1.0f;
    return;
  }
  const float elas = s[kElas];
  if (elas == 0.0f) {
    s[kYield] = 0.0f;
    s[kDY] = 0.0f;
    s[kDMax] = 0.0f;
    c.duct[0] = 0.0f;
    return;
  }

  float pyp = s[kPYP], pyn = s[kPYN], st = s[kYield];
  float p = c.p;
  const float pl = c.pl, d = c.d, dl = c.dl;
  // Law A divides by SP on unloading: without a post-yield ratio it is law B.
  if (elas == 2.0f && s[kSP] != 0.0f) {
    law_a(p, pl, d, dl, pyp, pyn, st, s);
  } else if (elas == 2.0f || is_law_b_code(elas)) {
    law_b(c, p, pl, d, dl, pyp, pyn, st, s);
  }
  c.p = p;
  s[kPYP] = pyp;
  s[kPYN] = pyn;
  s[kYield] = st;

  if (s[kYieldFlag] == 1.0f) {
    if (std::fabs(d) >= s[kDMax]) s[kDMax] = std::fabs(d);
  }
  results(c);
}

}  // namespace

void mat10(MatCall& c) {
  c.nstate = kNState;
  switch (c.iopt) {
    case kOptNState:
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
    case kOptDamage:
      break;
    default:  // option 1, and any option outside 0-5
      read_and_echo(c);
      break;
  }
}

}  // namespace materials
