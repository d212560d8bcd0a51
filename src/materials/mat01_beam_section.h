// Material type 1, "3D-BEAM": the elastic section of the elastic 3D beams.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// State words of one copy: the six section rigidities, the elastic energy and
// the work of the last increment.
namespace beam_section {
inline constexpr int kNState = 14;
inline constexpr int kEA = 1;   // E*AX
inline constexpr int kGAy = 2;  // GAMMA*AY
inline constexpr int kGAz = 3;  // GAMMA*AZ
inline constexpr int kGJ = 4;   // GAMMA*IX
inline constexpr int kEIy = 5;  // E*IY
inline constexpr int kEIz = 6;  // E*IZ
inline constexpr int kElasticEnergy = 13;
inline constexpr int kLastWork = 14;
}  // namespace beam_section

// MAT01. State words (one copy): 1-6 the rigidities E*AX, GAMMA*AY, GAMMA*AZ,
// GAMMA*IX, E*IY, E*IZ; 13 the elastic energy (0.0); 14 the work of the last
// increment. PROP(1..8): E, GAMMA, AX, AY, AZ, IX, IY, IZ.
void mat01(MatCall& c);

// Type 1 in the material registry.
inline constexpr MaterialType kBeamSectionType{
    .code = 1, .keywords = {"3D-BEAM"}, .driver = mat01, .results_after_state_change_nothing = true};

}  // namespace materials
