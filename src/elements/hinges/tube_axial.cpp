#include "elements/hinges/tube_axial.h"

#include "materials/brace.h"
#include "materials/local_buckling.h"

namespace elements::beam_column {

namespace {

enum StateWord : int {
  kTangent = 1,
  kKeff = materials::brace::kKeff,      // effective-length factor
  kLength = materials::brace::kLength,  // member length
};

// The tube's member words before its set-up: the length, and an
// effective-length factor of 1.0 (it divides by it: a beam-column end is
// taken as pinned).
void before_setup(float* s, int nstate, float length) {
  if (nstate < kLength) return;
  s[kLength] = length;
  s[kKeff] = 1.0f;
}

// The tube's tangent is the axial stiffness itself.
AxialForm axial_term(const AxialEnd& e) {
  AxialForm form;
  form.formed = true;
  form.term = e.s[kTangent];
  return form;
}

bool axial_changed(const float* s, float /*flag*/, float term) { return term != s[kTangent]; }

bool state_changed(const float* trial, const float* committed) { return trial[kTangent] != committed[kTangent]; }

}  // namespace

const HingeModel kTubeAxial{
    .code = materials::kLocbklType.code,
    .axial = true,
    .before_setup = before_setup,
    .axial_term = axial_term,
    .axial_changed = axial_changed,
    .state_changed = state_changed,
};

}  // namespace elements::beam_column
