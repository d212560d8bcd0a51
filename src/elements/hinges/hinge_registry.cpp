// The library's models of the beam-column's components: a new model adds
// its files in this folder and its line here.
#include "elements/hinges/hinge_end.h"
#include "elements/hinges/ia_biln_hinge.h"
#include "elements/hinges/long_owjg_hinge.h"
#include "elements/hinges/mr2_hinge.h"
#include "elements/hinges/takeda_hinge.h"
#include "elements/hinges/tube_axial.h"
#include "elements/inelastic/hinge_model.h"

namespace elements::beam_column {

namespace {

const HingeModel* const kBuiltinModels[] = {
    &kTakedaHinge, &kLongOwjgHinge, &kIaBilnHinge, &kMr2Hinge, &kTubeAxial, &kHingeEnd,
};

}  // namespace

void register_builtin_hinge_models() {
  for (const HingeModel* m : kBuiltinModels) register_hinge_model(*m);
}

}  // namespace elements::beam_column
