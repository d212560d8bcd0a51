// Material type 11 ("SHORT_OWJG", "MR2"): a bilinear moment-rotation spring
// with kinematic hardening and a ductility limit.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// State words of one copy (NSTATE = 35).
namespace short_owjg {
inline constexpr int kNState = 35;
inline constexpr int kK = 1;
inline constexpr int kDP = 2;  // P - PL of the current step
inline constexpr int kDD = 3;  // D - DL of the current step
inline constexpr int kSide = 4;  // 0.0 positive, 1.0 negative
inline constexpr int kRule = 5;
inline constexpr int kPPlus = 6;
inline constexpr int kDPlus = 7;
inline constexpr int kPMinus = 8;
inline constexpr int kDMinus = 9;
inline constexpr int kDuct1 = 11;  // ductility; 12, 13 stay 0.0
inline constexpr int kEx1 = 14;  // excursion ratios 14-19, all 0.0
inline constexpr int kYieldRot = 20;  // rotation at the latest yield onset
inline constexpr int kEse = 21;  // 0.0
inline constexpr int kPse = 24;  // 0.0
inline constexpr int kPeakRot = 28;  // largest-magnitude rotation, signed
inline constexpr int kPeakForce = 29;  // force at it
inline constexpr int kMaxAbsRot = 30;
inline constexpr int kElasticK = 31;  // VA/HA, read by the inelastic beam-column
inline constexpr int kPrmaxWord = 32;
inline constexpr int kYielded = 33;
inline constexpr int kLength = 34;  // the member length, written by the element
inline constexpr int kStieleWord = 35;
}  // namespace short_owjg

// MAT11. PROP(1..7): HA, VA, RATIO, MAX DUC, BETA, STIELE, PRMAX. State words
// (one copy, 35): 1 K, 2 P-PL, 3 D-DL, 4 side of the last non-zero force (0.0
// positive, 1.0 negative), 5 RULE (1.0 elastic, 2.0 yielding), 6-7 P+ and D+,
// 8-9 P- and D-, 11 ductility, 20 yield rotation of the latest yield onset,
// 28-29 largest rotation and its force, 30 largest |rotation|, 31 elastic
// hinge stiffness VA/HA, 32 PRMAX, 33 yielded flag, 35 STIELE.
void mat11(MatCall& c);

// The set's values the rule reads.
struct MomentRotationProps {
  float ha = 0.0f;       // yield rotation
  float va = 0.0f;       // yield moment, half the width of the elastic range
  float ratio = 0.0f;    // post-yield slope over elastic slope
  float max_duc = 0.0f;  // failure ductility; below 1.0 no failure
};

// HYST11. iopt is the material option (2 places the elastic range). p comes
// in as the predicted force and goes out corrected; the tangent and the other
// state words are updated in s (1-based view of the copy worked on).
void hyst11(int iopt, float* s, float& p, float d, float pl, float dl,
            const MomentRotationProps& pr, bool debug);

// Type 11 in the material registry.
inline constexpr MaterialType kShortOwjgMr2Type{.code = 11, .keywords = {"SHORT_OWJG", "MR2"}, .driver = mat11};

}  // namespace materials
