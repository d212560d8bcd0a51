#include "members/registration.h"

#include "materials/material_type.h"
#include "members/stability1_material.h"

namespace members {

void register_member_types() { materials::register_material(kStability1Type); }

}  // namespace members
