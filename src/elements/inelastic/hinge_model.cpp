// The hinge registry of the beam-column and the pieces its models share.
#include "elements/inelastic/hinge_model.h"

#include "base/globals.h"
#include "base/type_registry.h"
#include "elements/inelastic/hinges/hinge_end.h"
#include "elements/inelastic/hinges/ia_biln_hinge.h"
#include "elements/inelastic/hinges/long_owjg_hinge.h"
#include "elements/inelastic/hinges/mr2_hinge.h"
#include "elements/inelastic/hinges/takeda_hinge.h"
#include "elements/inelastic/hinges/tube_axial.h"
#include "fio/fio.h"
#include "materials/material_type.h"

namespace elements::beam_column {

namespace {

// The library's models; a new model adds its line here.
const HingeModel* const kBuiltinModels[] = {
    &kTakedaHinge, &kLongOwjgHinge, &kIaBilnHinge, &kMr2Hinge, &kTubeAxial, &kHingeEnd,
};

using Registry = kv::TypeRegistry<HingeModel, materials::kMaxMaterialType>;

Registry& registry() {
  static Registry r;
  return r;
}

}  // namespace

const HingeModel* hinge_model(int code) { return registry().find(code); }

void register_hinge_model(const HingeModel& model) { registry().add(model); }

void register_builtin_hinge_models() {
  for (const HingeModel* m : kBuiltinModels) registry().add(*m);
}

void interaction_message(int ielno, std::string_view what, int iafag) {
  fio::write(6, "(1X,'* ELEMENT ',I5,A,'AT STEP ',I5,' IAFAG=',I5,' *')", ielno, what, kv::solsta().istep, iafag);
}

PairForm flexibility_form(const PairEnds& ends, float ta, float tb, float ea, float eb, bool usable, float& fa,
                          float& fb) {
  PairForm form;
  *ends.tangent_a = ta;
  *ends.tangent_b = tb;
  if (!usable) {
    form.no_terms = true;
    return form;
  }
  fa = hinge_flexibility(ta, ea);
  fb = hinge_flexibility(tb, eb);
  if (!ends.reduced) {
    form.status = true;
    form.inelastic_a = fa != 0.0f;
    form.inelastic_b = fb != 0.0f;
  }
  return form;
}

}  // namespace elements::beam_column
