// kelvoran: asks for the folder, the input and the output file, then runs the
// commands of the input file.
#include "driver/hooks.h"
#include "driver/main_program.h"
#include "elements/eledsp.h"
#include "materials/matdsp.h"
#include "members/registration.h"

int main() {
  // The dispatchers' tables are filled here, once, so that no library depends
  // on static initialisers.
  materials::register_builtin_materials();
  elements::register_builtin_elements();
  members::register_member_types();
  kv::hooks().element_reset = &elements::reset_all_elements;
  return kv::main_program();
}
