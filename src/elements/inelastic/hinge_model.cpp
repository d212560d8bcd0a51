// The hinge registry of the beam-column and the pieces its models share
// (the library's list is in elements/hinges/hinge_registry.cpp).
#include "elements/inelastic/hinge_model.h"

#include "base/globals.h"
#include "base/type_registry.h"
#include "fio/fio.h"
#include "materials/material_type.h"

namespace elements::beam_column {

namespace {

using Registry = kv::TypeRegistry<HingeModel, materials::kMaxMaterialType>;

Registry& registry() {
  static Registry r;
  return r;
}

}  // namespace

const HingeModel* hinge_model(int code) { return registry().find(code); }

void register_hinge_model(const HingeModel& model) { registry().add(model); }

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
