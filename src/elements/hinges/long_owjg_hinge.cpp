#include "elements/hinges/long_owjg_hinge.h"

#include "materials/long_owjg.h"

namespace elements::beam_column {

namespace {

enum StateWord : int {
  kTangent = 1,
  kElastic = materials::long_owjg::kInitialK,  // elastic hinge stiffness
};

PairForm pair(const PairEnds& e) {
  const float ea = e.a[kElastic];
  const float eb = e.b[kElastic];
  float fa = 0.0f;
  float fb = 0.0f;
  PairForm form = flexibility_form(e, e.a[kTangent], e.b[kTangent], ea, eb, ea != 0.0f && eb != 0.0f, fa, fb);
  if (form.no_terms) return form;
  form.formed = true;
  form.terms = flexible_ends_pair(fa, fb, ea, eb);
  return form;
}

using Words = FlexibilityWords<kTangent, kElastic>;

EndOutcome after_state(const EndStep& e) {
  *e.plastic_rotation = plastic_rotation(e.d, e.q, e.trial[kElastic]);
  return {};
}

}  // namespace

const HingeModel kLongOwjgHinge{
    .code = materials::kLongOwjgType.code,
    .bending = true,
    .bending_reduced = true,
    .pair = pair,
    .pair_changed = Words::pair_changed,
    .hinge_tangent = Words::hinge_tangent,
    .end_deformation = Words::end_deformation,
    .state_changed = Words::state_changed,
    .after_state = after_state,
};

}  // namespace elements::beam_column
