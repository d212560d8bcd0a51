// The material types built into the library. Each type adds its driver's
// declaration and one registration line here; the section materials of the
// member library register themselves through their own call.
#include "materials/matdsp.h"
#include "materials/mat01_beam_section.h"

namespace materials {

void register_builtin_materials() {
  register_material(1, mat01);
}

}  // namespace materials
