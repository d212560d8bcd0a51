// The material types built into the library. Each type adds its driver's
// declaration and one registration line here; the section materials of the
// member library register themselves through their own call.
#include "materials/axlmod.h"
#include "materials/bend1.h"
#include "materials/bilinear.h"
#include "materials/brace.h"
#include "materials/gap.h"
#include "materials/hinge.h"
#include "materials/ia_biln.h"
#include "materials/local_buckling.h"
#include "materials/long_owjg.h"
#include "materials/mat01_beam_section.h"
#include "materials/plate_point.h"
#include "materials/matdsp.h"
#include "materials/shear1.h"
#include "materials/shear2.h"
#include "materials/short_owjg_mr2.h"
#include "materials/takeda.h"

namespace materials {

void register_builtin_materials() {
  register_material(1, mat01);
  register_material(2, mat02);
  register_material(3, mat03);
  register_material(4, mat04);
  register_material(6, mat06);
  register_material(7, mat07);
  register_material(8, mat08);
  register_material(9, mat09);
  register_material(10, mat10);
  register_material(11, mat11);
  register_material(13, mat13);
  register_material(14, mat14);
  register_material(15, mat15);
  register_material(16, mat16);
  register_material(19, mat19);
  register_material(20, mat20);
  register_material(150, mat150);
}

}  // namespace materials
