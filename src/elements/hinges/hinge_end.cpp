#include "elements/hinges/hinge_end.h"

#include <cmath>
#include <span>

#include "materials/hinge.h"

namespace elements::beam_column {

namespace {

namespace hm = materials::hinge_model;

enum StateWord : int {
  kTangent = 1,
  kPosYield = hm::kPYP,      // positive and negative yield moments
  kNegYield = hm::kPYN,
  kYielded = hm::kDuct1,     // yield indicator
  kYieldRot = hm::kDY,       // rotation at the onset of the latest yielding
  kElastic = hm::kInitialK,  // elastic hinge stiffness
  kEI = hm::kStieleWord,     // member EI
  kCapRot = hm::kPrmaxWord,  // plastic-rotation capacity
  kFirstRot = hm::kFirstRot,
  kMaxRot = hm::kMaxRot,
  kCurve = hm::kCodeWord,       // P-curve code: 1.0 P-M, 2.0 rotation capacity, 3.0 both
  kPm = hm::kCodeWord + 1,      // P-M cubic A0..A3
  kNominal = hm::kVaWord,       // nominal yield moment
  kPrc = hm::kVaWord + 1,       // P-rotation-capacity cubic B0..B3
};

constexpr float kSoftSpring = 1.0e-20f;
constexpr float kRigidSpring = 1.0e+20f;

std::span<const float, 4> four(const float* s, int word) { return std::span<const float, 4>(s + word, 4); }

PairForm pair(const PairEnds& e) {
  const float* sa = e.a;
  const float* sb = e.b;
  *e.tangent_a = sa[kTangent];
  *e.tangent_b = sb[kTangent];
  PairForm form;
  const float ka = hinge_spring(sa[kTangent], sa[kElastic], form.inelastic_a);
  const float kb = hinge_spring(sb[kTangent], sb[kElastic], form.inelastic_b);
  form.status = true;
  form.formed = true;
  form.terms = hinge_pair(sa[kEI], e.length, ka, kb);
  return form;
}

using Words = FlexibilityWords<kTangent, kElastic>;

EndOutcome after_state(const EndStep& e) {
  EndOutcome out;
  const float* st = e.trial;
  *e.plastic_rotation = e.d - e.q / st[kElastic];
  const float x = std::fabs(e.d) - st[kYieldRot];
  const float cap = st[kCapRot];
  if (cap > 0.0f && std::fabs(x) > cap) {
    out.capacity = Capacity::event;
    out.x = x;
    out.cap = cap;
  }
  // First yield of the end and the largest rotation it reached, kept in both copies.
  const float mag = std::fabs(e.rotation);
  if (e.trial[kFirstRot] == 0.0f && e.trial[kYielded] != 0.0f) {
    e.trial[kFirstRot] = mag;
    e.committed[kFirstRot] = mag;
    out.first_yield = true;
  }
  if (mag > e.trial[kMaxRot]) {
    e.trial[kMaxRot] = mag;
    e.committed[kMaxRot] = mag;
  }
  return out;
}

void interaction(Interaction& in) {
  float* ya = in.ya;
  const float curve = ya[kCurve];
  const bool pm = curve == 1.0f || curve == 3.0f;
  const int before = in.iafag;
  const bool surface = (before >= 1 && before <= 3) || before == 5;  // the codes that examine the surface
  if (!surface && before < 9 && pm) {
    const float cap = pmyld1(in.f.p, ya[kNominal], four(ya, kPm));
    for (float* s : {ya, in.yb}) {
      s[kPosYield] = cap;
      s[kNegYield] = -cap;
    }
    in.wrote = true;
  }
  // The plastic-rotation capacity of end A from the axial load.
  if (in.reduced) return;
  if (curve == 2.0f || curve == 3.0f) {
    ya[kCapRot] = pmcub(in.f.p, four(ya, kPrc));
    in.wrote = true;
  }
}

// The ductility is the largest rotation over the rotation at first yield.
float yield_deformation(const float* s, bool bending, float& ductility) {
  if (!bending) return 0.0f;
  const float y = s[kFirstRot];
  ductility = y != 0.0f ? s[kMaxRot] / y : 0.0f;
  return y;
}

// The end rotation over the rotation at first yield (0.0 before it).
float shear_ductility(const float* s, float rotation) {
  const float first = s[kFirstRot];
  if (first == 0.0f) return 0.0f;
  return std::fabs(rotation / first);
}

}  // namespace

float hinge_spring(float tangent, float elastic, bool& inelastic) {
  if (tangent == 0.0f) {
    inelastic = true;
    return kSoftSpring;
  }
  const float f = 1.0f / tangent - 1.0f / elastic;
  if (f == 0.0f) {
    inelastic = false;
    return kRigidSpring;
  }
  inelastic = true;
  return 1.0f / f;
}

PairTerms hinge_pair(float ei, float l, float ka, float kb) {
  const float a = ei / (ka * l);
  const float b = ei / (kb * l);
  const float d = (4.0f * a + 1.0f) * (4.0f * b + 1.0f) - 4.0f * a * b;
  const float k = ei / l;
  return {k * (4.0f + 12.0f * b) / d, k * 2.0f / d, k * (4.0f + 12.0f * a) / d};
}

const HingeModel kHingeEnd{
    .code = materials::kHingeType.code,
    .bending = true,
    .length_word = hm::kLength,
    .failure_table = hm::kMWord,
    .shear_words = hm::kShearFlagWord,
    .shear_order = 1,
    .pair = pair,
    .pair_changed = Words::pair_changed,
    .hinge_tangent = Words::hinge_tangent,
    .end_deformation = Words::end_deformation,
    .state_changed = Words::state_changed,
    .after_state = after_state,
    .interaction = interaction,
    .yield_deformation = yield_deformation,
    .shear_ductility = shear_ductility,
};

}  // namespace elements::beam_column
