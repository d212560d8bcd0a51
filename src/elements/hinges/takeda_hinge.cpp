#include "elements/hinges/takeda_hinge.h"

#include "materials/takeda.h"

namespace elements::beam_column {

namespace {

enum StateWord : int {
  kTangent = 1,
  kElastic = materials::takeda::kOCCopy,  // initial rigidity
  kEI = materials::takeda::kEICopy,
};

// The rigidities are those of a member of unit length: the tangents kept
// and the hinge flexibilities are per length.
PairForm pair(const PairEnds& e) {
  const float* sa = e.a;
  const float* sb = e.b;
  const float l = e.length;
  const float ea = sa[kElastic] / l;
  const float eb = sb[kElastic] / l;
  float ta = sa[kTangent];
  float tb = sb[kTangent];
  ta /= l;
  tb /= l;
  const float ei = sa[kEI];
  float c = 0.0f;
  float q = 0.0f;
  const bool usable = ei != 0.0f;
  if (usable) {
    c = l / (3.0f * ei);
    q = l * l / (12.0f * ei * ei);
  }
  float fa = 0.0f;
  float fb = 0.0f;
  PairForm form = flexibility_form(e, ta, tb, ea, eb, usable, fa, fb);
  if (form.no_terms) return form;
  form.formed = true;
  form.terms = flexible_member_pair(fa, fb, c, q);
  return form;
}

bool pair_changed(const PairEnds& e) {
  const float l = e.length;
  return e.a[kTangent] / l != *e.tangent_a || e.b[kTangent] / l != *e.tangent_b;
}

bool hinge_tangent(const float* s, float length, float& tangent, float& elastic) {
  tangent = s[kTangent];
  tangent /= length;
  elastic = s[kElastic] / length;
  return true;
}

// Without an initial rigidity the end turns with the chord.
bool end_deformation(const float* s, float q, float ql, float th, float thl, float length, float& d, float& dl) {
  if (s[kElastic] == 0.0f) return false;
  d = th / length + q / s[kElastic];
  dl = thl / length + ql / s[kElastic];
  return true;
}

bool state_changed(const float* trial, const float* committed) { return trial[kTangent] != committed[kTangent]; }

EndOutcome after_state(const EndStep& e) {
  const float* st = e.trial;
  if (st[kElastic] != 0.0f) *e.plastic_rotation = (e.d - e.q / st[kElastic]) * e.length;
  return {};
}

}  // namespace

const HingeModel kTakedaHinge{
    .code = materials::kTakedaType.code,
    .bending = true,
    .bending_reduced = true,
    .pair = pair,
    .pair_changed = pair_changed,
    .hinge_tangent = hinge_tangent,
    .end_deformation = end_deformation,
    .state_changed = state_changed,
    .after_state = after_state,
};

}  // namespace elements::beam_column
