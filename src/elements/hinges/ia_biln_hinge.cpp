#include "elements/hinges/ia_biln_hinge.h"

#include <cmath>
#include <span>
#include <string_view>
#include <utility>

#include "materials/ia_biln.h"

namespace elements::beam_column {

namespace {

namespace ia = materials::ia_biln;

enum StateWord : int {
  kTangent = 1,
  kCapacity = ia::kPYP,     // positive capacity
  kNegCapacity = ia::kPYN,  // negative capacity
  kYield = ia::kYield,      // yield flag
  kCode = ia::kElas,        // interaction code (0.0 elastic)
  kRatio = ia::kSP,         // post-yield ratio
  kRedu = ia::kRedu,        // reduction factor once the surface is reached
  kDuct = ia::kDuct,        // ductility
  kNominal = ia::kMP,       // nominal capacity
  kYieldDef = ia::kDY,      // yield deformation
  kPm = ia::kA0,            // P-M cubic A0..A3
  kCapRot = ia::kPrmax,     // plastic-rotation capacity
  kPrc = ia::kB0,           // P-rotation-capacity cubic B0..B3
};

std::span<const float, 4> four(const float* s, int word) { return std::span<const float, 4>(s + word, 4); }

// A component's symmetric capacity c.
void set_capacity(float* s, float c) {
  s[kCapacity] = c;
  s[kNegCapacity] = -c;
}

PairForm pair(const PairEnds& e) {
  const float* sa = e.a;
  const float* sb = e.b;
  const float l = e.length;
  *e.flag_a = sa[kYield];
  *e.flag_b = sb[kYield];
  PairForm form;
  PairTerms t;
  if (e.reduced) {
    // The reduced member keeps one flag, set once any end has yielded.
    form.yielded = sa[kYield] == 1.0f || sb[kYield] == 1.0f;
    if (sa[kCode] == 0.0f) {
      ia_biln_pair(sa[kTangent], sa[kRatio], l, 0.0f, 0.0f, t);
      form.formed = true;
    } else {
      form.formed = ia_biln_pair(sa[kTangent], sa[kRatio], l, sa[kYield], sb[kYield], t);
    }
    form.terms = t;
    return form;
  }
  if (sa[kCode] == 0.0f) {
    ia_biln_pair(sa[kTangent], sa[kRatio], l, 0.0f, 0.0f, t);
    form.formed = true;
    form.terms = t;
    return form;
  }
  const float fa = sa[kYield];
  const float fb = sb[kYield];
  if (!ia_biln_pair(sa[kTangent], sa[kRatio], l, fa, fb, t)) return form;
  form.formed = true;
  form.terms = t;
  form.status = true;
  form.inelastic_a = fa == 1.0f;
  form.inelastic_b = fb == 1.0f;
  form.yield_a = fa == 1.0f;
  form.yield_b = fb == 1.0f;
  return form;
}

bool pair_changed(const PairEnds& e) { return *e.flag_a != e.a[kYield] || *e.flag_b != e.b[kYield]; }

AxialForm axial_term(const AxialEnd& e) {
  const float* s = e.s;
  const float flag = s[kYield];
  *e.flag = flag;
  AxialForm form;
  if (e.reduced) {
    form.yielded = flag == 1.0f;
  } else {
    form.status = true;
    form.inelastic = flag != 0.0f;
  }
  if (s[kCode] == 0.0f || flag == 0.0f) {
    form.formed = true;
    form.term = s[kTangent] / e.length;
  } else if (flag == 1.0f) {
    form.formed = true;
    form.term = s[kRatio] * s[kTangent] / e.length;
    form.yield = !e.reduced;
  }
  return form;
}

bool axial_changed(const float* s, float flag, float /*term*/) { return flag != s[kYield]; }

// The yield elongation (twist) the component starts from, which the
// material keeps unless it yields at a larger one.
void axial_preset(float* s, float l) {
  if (s[kTangent] != 0.0f) s[kYieldDef] = s[kCapacity] * l / s[kTangent];
}

// The reduced member's pair: both ends from the rigidity of end A.
void reduced_pair_preset(float* a, float* b, float l) {
  const float ei = a[kTangent];
  if (ei == 0.0f) return;
  for (float* s : {a, b}) s[kYieldDef] = s[kCapacity] * l / (6.0f * ei);
}

bool state_changed(const float* trial, const float* committed) { return trial[kYield] != committed[kYield]; }

EndOutcome after_state(const EndStep& e) {
  EndOutcome out;
  if (e.reduced) return out;
  float& plrot = *e.plastic_rotation;
  plrot = std::fabs(e.d) - e.trial[kYieldDef];
  const float cap = e.trial[kCapRot];
  if (cap > 0.0f && std::fabs(plrot) > cap) {
    out.capacity = Capacity::event;
    out.x = plrot;
    out.cap = cap;
  }
  return out;
}

int initial_interaction(const Interaction& in) {
  auto code = [&in](const float* s) { return s[kCode]; };
  int iafag = 0;
  auto all_four = [&](float v) {
    return code(in.zb) == v && code(in.za) == v && code(in.ya) == v && code(in.yb) == v;
  };
  if (all_four(2.0f)) iafag = 1;
  if (all_four(3.0f)) iafag = 5;
  // The reduced member has no P-M family.
  if (in.reduced) return iafag;
  if (code(in.ya) == 4.0f && code(in.yb) == 4.0f) iafag = 9;
  if (code(in.ya) == 6.0f && code(in.yb) == 6.0f) iafag = 9;
  return iafag;
}

// Families 1 and 5 divide the end moments by the nominal capacities of MY-A
// and MZ-A and the axial force by that of FX: a capacity that is not positive
// would put the member on its surface at its first compressive step.
bool interaction_usable(const Interaction& in, int iafag) {
  if (iafag != 1 && iafag != 5) return true;
  bool usable = true;
  for (const auto& [s, name] : {std::pair<const float*, const char*>{in.ya, "MY-A"}, {in.za, "MZ-A"}, {in.fx, "FX"}}) {
    const float cap = s[kNominal];
    if (cap > 0.0f) continue;
    fio::write(6, "(' ** ELEMENT ',I5,': INTERACTION FAMILY',I2,' NEEDS A POSITIVE NOMINAL CAPACITY OF ',A,"
                  "', NOT',1P,E12.4,' **')",
               in.ielno, iafag, name, cap);
    usable = false;
  }
  return usable;
}

// Families 1 and 5 exist only when all four bending ends and FX are IA_BILN.
void surface_update(Interaction& in, int before) {
  const EndActions& f = in.f;
  float* ya = in.ya;
  float* yb = in.yb;
  float* za = in.za;
  float* zb = in.zb;
  float* fx = in.fx;
  const Nominal nom{fx[kNominal], ya[kNominal], za[kNominal]};
  constexpr std::string_view kBuckling = " LOCAL BUCKLING OCCURRED ";
  if (before == 5) {
    const int after = yldst2(f, nom, before);
    in.iafag = after;
    if (after > 5) interaction_message(in.ielno, " MODEL OVERSTRENGTH ", after);
  } else if (before == 1) {
    const int after = yldst1(f, nom, before);
    in.iafag = after;
    if (after == 2 || after == 3 || after == 4) in.wrote = true;
    if (after == 2) {
      set_capacity(ya, std::fabs(f.mya) * ya[kRedu]);
      set_capacity(za, std::fabs(f.mza) * za[kRedu]);
    } else if (after == 3) {
      set_capacity(yb, std::fabs(f.myb) * yb[kRedu]);
      set_capacity(zb, std::fabs(f.mzb) * zb[kRedu]);
    } else if (after == 4) {
      for (float* s : {ya, yb, za, zb}) set_capacity(s, s[kCapacity] * s[kRedu]);
    }
    // The compression capacity drops once, while it is still symmetric.
    if (after != 1 && fx[kNegCapacity] == -fx[kCapacity]) {
      fx[kNegCapacity] = -std::fabs(f.p) * fx[kRedu];
      in.wrote = true;
      interaction_message(in.ielno, kBuckling, after);
    }
  } else if (before == 2 || before == 3) {
    const int after = yldst1(f, nom, before);
    in.iafag = after;
    if (after == 4) {
      in.wrote = true;
      const bool end_b = before == 2;
      float* sy = end_b ? yb : ya;
      float* sz = end_b ? zb : za;
      set_capacity(sy, std::fabs(end_b ? f.myb : f.mya) * sy[kRedu]);
      set_capacity(sz, std::fabs(end_b ? f.mzb : f.mza) * sz[kRedu]);
      interaction_message(in.ielno, kBuckling, after);
    }
  }
}

void interaction(Interaction& in) {
  const int before = in.iafag;
  const bool surface = (before >= 1 && before <= 3) || before == 5;  // the codes that examine the surface
  float* ya = in.ya;
  if (surface) {
    surface_update(in, before);
  } else if (before >= 9) {
    int after = before;
    const float cap = pmyld2(in.f, ya[kNominal], four(ya, kPm), after);
    in.iafag = after;
    set_capacity(ya, cap);
    set_capacity(in.yb, cap);
    in.wrote = true;
  }
  // The plastic-rotation capacity of end A from the axial load (the reduced
  // member checks no capacity).
  if (in.reduced) return;
  if (ya[kCode] == 5.0f || ya[kCode] == 6.0f) {
    ya[kCapRot] = pmcub(in.f.p, four(ya, kPrc));
    in.wrote = true;
  }
}

float yield_deformation(const float* s, bool /*bending*/, float& /*ductility*/) { return s[kYieldDef]; }

float shear_ductility(const float* s, float /*rotation*/) { return s[kDuct]; }

}  // namespace

bool ia_biln_pair(float ei, float sp, float l, float flag_a, float flag_b, PairTerms& t) {
  const float elastic_aa = 4.0f * ei / l;
  const float elastic_ab = 2.0f * ei / l;
  const float yielded_aa = 4.0f * sp * ei / l;
  const float yielded_ab = 2.0f * sp * ei / l;
  // The far end of a yielded end: 3EI(1 - p)/L + 4pEI/L.
  const float far_end = 3.0f * ei * (1.0f - sp) / l + 4.0f * sp * ei / l;
  if (flag_a == 0.0f && flag_b == 0.0f) {
    t = {elastic_aa, elastic_ab, elastic_aa};
  } else if (flag_a == 1.0f && flag_b == 0.0f) {
    t = {yielded_aa, yielded_ab, far_end};
  } else if (flag_a == 0.0f && flag_b == 1.0f) {
    t = {far_end, yielded_ab, yielded_aa};
  } else if (flag_a == 1.0f && flag_b == 1.0f) {
    t = {yielded_aa, yielded_ab, yielded_aa};
  } else {
    return false;
  }
  return true;
}

const HingeModel kIaBilnHinge{
    .code = materials::kIaBilnType.code,
    .bending = true,
    .bending_reduced = true,
    .torsion = true,
    .axial = true,
    .length_word = ia::kLength,
    .failure_table = ia::kM,
    .shear_words = ia::kShearFlag,
    .shear_order = 2,
    .step_words = ia::kYieldFlag,
    .axial_preset = axial_preset,
    .reduced_pair_preset = reduced_pair_preset,
    .pair = pair,
    .pair_changed = pair_changed,
    .axial_term = axial_term,
    .axial_changed = axial_changed,
    .state_changed = state_changed,
    .after_state = after_state,
    .initial_interaction = initial_interaction,
    .interaction = interaction,
    .interaction_usable = interaction_usable,
    .yield_deformation = yield_deformation,
    .shear_ductility = shear_ductility,
};

}  // namespace elements::beam_column
