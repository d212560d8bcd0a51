// Material types 7 ("ELSPLS", "BILINEAR") and 15 ("BISPECIAL"): bilinear
// springs with kinematic hardening; type 15 has no elastic range in tension.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// State words of one copy (NSTATE = 24).
namespace bilin {
inline constexpr int kNState = 24;
inline constexpr int kK = 1;
inline constexpr int kRule = 2;
inline constexpr int kCse = 3;
inline constexpr int kA = 4;  // upper limit force of the elastic rule 2.3
inline constexpr int kB = 5;  // lower limit force of the elastic rule 2.3
inline constexpr int kEse1 = 6;  // ESE(1..3) in 6-8
inline constexpr int kEse2 = 7;
inline constexpr int kEse3 = 8;
inline constexpr int kPse = 9;
inline constexpr int kKey = 10;  // what the last step did (see Key)
inline constexpr int kUp1 = 11;  // UP1-UP3 in 11-13
inline constexpr int kUn1 = 14;  // UN1-UN3 in 14-16
inline constexpr int kEx1 = 17;  // EX1-EX6 in 17-22
inline constexpr int kPMax = 23;  // force at the largest |D|
inline constexpr int kDMax = 24;  // signed deformation at the largest |D|
}  // namespace bilin

// MAT07 and MAT15. PROP(1..7): KE, PY, KIE, DY, EY, Du, BETA. State words (one
// copy, 24): 1 K, 2 RULE, 3 CSE, 4 A, 5 B, 6-8 ESE(1..3), 9 PSE, 10 KEY,
// 11-13 UP1-UP3, 14-16 UN1-UN3, 17-22 EX1-EX6, 23 PMAX, 24 DMAX.
void mat07(MatCall& c);
void mat15(MatCall& c);

// The properties the rules read.
struct BilinearProps {
  float ke = 0.0f;   // elastic stiffness
  float py = 0.0f;   // yield force
  float kie = 0.0f;  // stiffness after yield
  float dy = 0.0f;   // yield deformation PY/KE
  float ey = 0.0f;   // elastic energy at yield
};

// HYST07 and HYST15: move the spring from its committed point (dl, pl) to the
// deformation d in one call. s is the 1-based view of the state copy worked on.
// The caller gets back the force p, the new state words and (pl, dl) moved to
// the last event point of the step.
void hyst07(float& p, float d, float& pl, float& dl, float* s, float v, float vl,
            const BilinearProps& pr, bool debug);
void hyst15(float& p, float d, float& pl, float& dl, float* s, float v, float vl,
            const BilinearProps& pr, bool debug);

// Type 7 in the material registry.
inline constexpr MaterialType kBilinearType{.code = 7, .keywords = {"ELSPLS", "BILINEAR"}, .driver = mat07};
// Type 15 in the material registry.
inline constexpr MaterialType kBispecialType{.code = 15, .keywords = {"BISPECIAL"}, .driver = mat15};

}  // namespace materials
