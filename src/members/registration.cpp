#include "members/registration.h"

#include "materials/material_type.h"
#include "members/stability1_material.h"
#include "members/stability2_material.h"

namespace members {

void register_member_types() {
  materials::register_material(kStability1Type);
  materials::register_material(kStability2Type);
}

}  // namespace members
