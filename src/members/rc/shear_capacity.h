// Shear capacities of a reinforced-concrete member ("R/CONCRETE1"), reported
// at the member's set-up: the concrete contribution k sqrt(f'c) 0.8 Ag before
// (k = 3.5) and after (k = 0.6) the ductility has worn it down, and the hoop
// contribution in each section direction with a 30-degree truss. lb and psi.
#pragma once

#include <optional>

namespace members::rc {

struct ShearCapacities {
  float vci = 0.0f;  // initial concrete capacity
  float vcf = 0.0f;  // final concrete capacity
  float vsu = 0.0f;  // hoops, U0 direction
  float vsv = 0.0f;  // hoops, V0 direction
  bool no_hoop_spacing = false;  // a circular section without hoop spacing: no hoop capacity
};

// The capacities of a set's head (1-based PROP view); none for a section
// kind other than circular (1, 2) or rectangular (3). A zero hoop spacing
// gives the truss formula with the spacing cancelled for a rectangle (the
// hoop ratios already hold the steel per unit length) and no hoop capacity
// for a circle.
std::optional<ShearCapacities> shear_capacities(const float* prop);

// The report of set `set` on the output file (between empty lines) and then
// on side file 48.
void report_shear_capacities(int set, const ShearCapacities& c);

}  // namespace members::rc
