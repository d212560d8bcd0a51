#include "elements/hinges/mr2_hinge.h"

#include <cmath>

#include "materials/short_owjg_mr2.h"

namespace elements::beam_column {

namespace {

namespace mr2 = materials::short_owjg;

enum StateWord : int {
  kTangent = 1,
  kYieldRot = mr2::kYieldRot,   // rotation at the latest yield onset
  kElastic = mr2::kElasticK,    // elastic hinge stiffness
  kCapRot = mr2::kPrmaxWord,    // plastic-rotation capacity
  kEI = mr2::kStieleWord,       // member EI
};

PairForm pair(const PairEnds& e) {
  const float* sa = e.a;
  const float* sb = e.b;
  const float l = e.length;
  const float ea = sa[kElastic];
  const float eb = sb[kElastic];
  float fa = 0.0f;
  float fb = 0.0f;
  if (e.reduced) {
    // The member end stiffness is three times the hinge's elastic one.
    const float ends = 3.0f;
    PairForm form = flexibility_form(e, sa[kTangent], sb[kTangent], ea, eb, ea != 0.0f && eb != 0.0f, fa, fb);
    if (form.no_terms) return form;
    form.formed = true;
    form.terms = flexible_ends_pair(fa, fb, ends * ea, ends * eb);
    return form;
  }
  const float s = 6.0f * sa[kEI] / l;
  PairForm form = flexibility_form(e, sa[kTangent], sb[kTangent], ea, eb, s != 0.0f, fa, fb);
  if (form.no_terms) return form;
  form.formed = true;
  form.terms = flexible_ends_pair(fa, fb, s, s);
  return form;
}

using Words = FlexibilityWords<kTangent, kElastic>;

// The full member says every step it finds the capacity exceeded, and sets
// no limit code or point.
EndOutcome after_state(const EndStep& e) {
  EndOutcome out;
  const float* st = e.trial;
  *e.plastic_rotation = plastic_rotation(e.d, e.q, st[kElastic]);
  if (e.reduced) return out;
  const float x = std::fabs(e.d) - st[kYieldRot];
  const float cap = st[kCapRot];
  if (cap > 0.0f && std::fabs(x) > cap) {
    out.capacity = Capacity::message;
    out.x = x;
    out.cap = cap;
  }
  return out;
}

float yield_deformation(const float* s, bool bending, float& /*ductility*/) { return bending ? s[kYieldRot] : 0.0f; }

}  // namespace

const HingeModel kMr2Hinge{
    .code = materials::kShortOwjgMr2Type.code,
    .bending = true,
    .bending_reduced = true,
    .length_word = mr2::kLength,
    .pair = pair,
    .pair_changed = Words::pair_changed,
    .hinge_tangent = Words::hinge_tangent,
    .end_deformation = Words::end_deformation,
    .state_changed = Words::state_changed,
    .after_state = after_state,
    .yield_deformation = yield_deformation,
};

}  // namespace elements::beam_column
