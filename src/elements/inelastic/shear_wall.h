// The reinforced-concrete shear walls, types 3 ("SHEAR WALL") and 14
// ("SHEAR_OPEN"): a wall panel on four joints (J1, J2 on the top edge, J4, J3
// below them) that resists the joints' in-plane displacements through three
// springs, each a material set run through MATDSP. Type 3 has a bending, a
// shear and an axial spring; type 14 a shear spring and one axial spring along
// each side edge. One implementation serves both; what sets them apart is the
// Variant data in shear_wall.cpp.
#pragma once

#include "elements/eledsp.h"
#include "materials/shear2.h"

namespace elements {

// ELE03 and ELE14: the drivers of types 3 and 14 for element options 1 to 14.
void ele03(EleCall& c);
void ele14(EleCall& c);

namespace shear_wall {

// Record words (counted from the record's word 0); arrays of three hold
// components 1, 2, 3.
enum Word : int {
  kType = 0,
  kNedof = 1,     // element degrees of freedom kept (at most 24)
  kMstoff = 2,    // 3 INT: first word of each component inside a state half
  kNhyst = 5,     // state words of the element, both halves
  kJpos = 6,      // 4 INT: positions of J1..J4 in the node tables
  kMatset = 10,   // 3 INT: material sets
  kRejected = 13, // 1 when the check rejected the element (a word the layout leaves unused)
  kDdef = 14,     // deformation increments of the last state determination
  kTdef = 17,     // committed deformations
  kDfrc = 20,     // force increments of the last state determination
  kTfrc = 23,     // committed forces
  kDrate = 26,    // rate increments (type 3)
  kTrate = 29,    // committed rates
  kPkg = 32,      // axial load of the geometric stiffness
  kKgpos = 33,    // packed stiffness terms + 1
  kLm = 34,       // 24 INT
  kLmkg = 58,     // 24 INT
  kA = 82,        // 24 x 3 REAL, column by column
  kKtan = 154,    // tangents the packed stiffness was formed with
  kKgdof = 159,
  kLength = 160,  // wall height (1.0 in place of a zero height)
  kFmax = 161,    // force of largest magnitude, sign kept
  kDfmax = 164,   // deformation at FMAX
  kBase = 167,    // MATSTA, then the packed stiffness and geometric stiffness
};

inline constexpr int kMaxDof = 24;
inline constexpr int kMatrixWords = 600;  // both packed matrices
inline constexpr int kWallWords = 769;    // type 3: words before the state words
inline constexpr int kOpenWords = 775;    // type 14
inline constexpr int kInputValues = 9;

// The state words of a "SHEAR2" shear spring that the type-14 wall writes.
inline constexpr int kShear2Length = materials::shear2::kWall1;
inline constexpr int kShear2Width = materials::shear2::kWall2;

}  // namespace shear_wall

// Types 3 and 14 in the element registry.
inline constexpr ElementType kShearWallType{
    .code = 3, .keyword = "SHEAR WALL", .nrinp = shear_wall::kInputValues, .nwords = shear_wall::kWallWords,
    .driver = ele03, .lm = shear_wall::kLm, .nhyst = shear_wall::kNhyst, .base = shear_wall::kBase,
    .lmkg = shear_wall::kLmkg, .kg = shear_wall::kKgpos, .kg_adjust = -1, .kgdof = shear_wall::kKgdof,
    .lm_before = false, .lm_after = true};
inline constexpr ElementType kShearOpenType{
    .code = 14, .keyword = "SHEAR_OPEN", .nrinp = shear_wall::kInputValues, .nwords = shear_wall::kOpenWords,
    .driver = ele14, .lm = shear_wall::kLm, .nhyst = shear_wall::kNhyst, .base = shear_wall::kBase,
    .lmkg = shear_wall::kLmkg, .kg = shear_wall::kKgpos, .kg_adjust = -1, .kgdof = shear_wall::kKgdof,
    .lm_before = false, .lm_after = true};

}  // namespace elements
