// Material type 19 ("HINGE"): the plastic-hinge moment-rotation law of the
// bending springs of the inelastic beam-column, with the axial-load interaction
// cubics and the member shear-capacity parameters the element reads.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// State words of one copy (NSTATE = 93).
namespace hinge_model {
inline constexpr int kNState = 93;
inline constexpr int kK = 1;
inline constexpr int kDP = 2;  // P - PL of the current step
inline constexpr int kDD = 3;  // D - DL of the current step
inline constexpr int kSide = 4;  // 0.0 positive, 1.0 negative
inline constexpr int kRule = 5;
inline constexpr int kPYP = 6;  // upper limit and its rotation
inline constexpr int kDYP = 7;
inline constexpr int kPYN = 8;  // lower limit and its rotation
inline constexpr int kDYN = 9;
inline constexpr int kDuct1 = 11;  // ductility; 12, 13 stay 0.0
inline constexpr int kEx1 = 14;  // excursion ratios 14-19, all 0.0
inline constexpr int kDY = 20;  // rotation at the onset of the latest yielding
inline constexpr int kEse = 21;  // 0.0
inline constexpr int kPse = 24;  // 0.0
inline constexpr int kEy = 26;  // DY*VA/2 at set-up
inline constexpr int kDu = 27;  // HA*MAX DUC
inline constexpr int kPeakRot = 28;  // largest-magnitude rotation, signed
inline constexpr int kPeakForce = 29;  // moment at it
inline constexpr int kMaxAbsRot = 30;
inline constexpr int kInitialK = 31;
inline constexpr int kStieleWord = 32;
inline constexpr int kPrmaxWord = 33;
inline constexpr int kYielded = 34;
inline constexpr int kLength = 35;  // the member length, written by the element
inline constexpr int kFirstRot = 36, kMaxRot = 37;  // rotations the element records
inline constexpr int kCodeWord = 38;  // cubic code, A0-A3 in 39-42
inline constexpr int kVaWord = 43;  // VA, B0-B3 in 44-47
inline constexpr int kMWord = 48;
inline constexpr int kYWord1 = 49;  // Y(1..20) in 49-68
inline constexpr int kFailWord1 = 69;  // failure codes in 69-88
inline constexpr int kShearFlagWord = 89;
inline constexpr int kVciWord = 90;  // VCI, VCF, VS, ALFA in 90-93
}  // namespace hinge_model

// MAT19. PROP: 1 HA, 2 VA, 3 RATIO (0.0 read as 1.0E-5), 4 MAX DUC, 5 BETA,
// 6 STIELE, 7 PRMAX, 8 cubic code, 9-12 A0-A3, 13-16 B0-B3, 17 M, 18-37 Y,
// 38-57 failure codes, 58 shear flag, 59-62 VCI, VCF, VS, ALFA (radians).
// NPROP is 58, or 62 with shear parameters. State words (one copy, 93): see
// hinge_model:: above; the element reads 1, 31, 33, 38-48, 49-88 and 89-93.
void mat19(MatCall& c);

// The set's values the loop reads.
struct HingeLoopProps {
  float ha = 0.0f;       // rotation of the yield control point
  float va = 0.0f;       // moment of the yield control point
  float ratio = 0.0f;    // post-yield stiffness ratio
  float max_duc = 0.0f;  // failure ductility; below 1.0 no failure
  float code = 0.0f;     // cubic code (1.0 with RATIO <= 1.0E-5 holds the moment at the limit)
};

// MRLOOP. iopt 2 places the limits at (HA, VA) and (-HA, -VA). p comes in as
// the element's trial moment and goes out as the hinge moment; the tangent and
// the loop words are updated in s (1-based view of the state copy).
void mrloop(int iopt, float* s, float& p, float d, float pl, float dl,
            const HingeLoopProps& pr, bool debug);

// Type 19 in the material registry.
inline constexpr MaterialType kHingeType{.code = 19, .keywords = {"HINGE"}, .driver = mat19};

}  // namespace materials
