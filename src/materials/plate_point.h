// Material types 16, "PLATE", and 20, "POINT": constant property sets read for
// one element type each (the plate and the point element). They have no
// hysteresis, no energies and no damage index; their state words are copies of
// the properties, which is how the elements read them.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// State words of one copy of the plate's set.
namespace plate_section {
inline constexpr int kNState = 5;
inline constexpr int kE = 1, kNu = 2, kThickness = 3;  // copies of the properties
inline constexpr int kEse = 4, kPse = 5;               // always 0.0
}  // namespace plate_section

// State words of the point's set: the 21 stiffness terms as read.
namespace point_section {
inline constexpr int kNState = 21;
}  // namespace point_section

// MAT16. PROP(1..3) = E, NU, THICKNESS. State words (one copy, NSTATE = 5):
// 1-3 copies of E, NU, THICKNESS; 4 and 5 the elastic and plastic strain
// energy, always 0.0.
void mat16(MatCall& c);

// MAT20. PROP(1..21) = the 21 independent terms of the symmetric 6 x 6 point
// stiffness: the diagonal S(1,1)..S(6,6), then the upper triangle row by row
// S(1,2), S(1,3), ..., S(5,6). State words (NSTATE = 21): the same terms.
void mat20(MatCall& c);

// Type 16 in the material registry.
inline constexpr MaterialType kPlateType{
    .code = 16, .keywords = {"PLATE"}, .driver = mat16, .results_after_state_change_nothing = true};
// Type 20 in the material registry.
inline constexpr MaterialType kPointType{
    .code = 20, .keywords = {"POINT"}, .driver = mat20, .results_after_state_change_nothing = true};

}  // namespace materials
