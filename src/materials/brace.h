// Material type 8 ("BRACE"): the axial force-elongation law of a steel brace
// that buckles in compression, on an envelope normalised by the yield
// elongation and the yield force. The local-buckling tube model (type 13) runs
// on the same envelope machinery with its own constants.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// State words of one copy of the brace (42); the tube keeps words 1-39.
namespace brace {
inline constexpr int kNState = 42;
inline constexpr int kNStateTube = 39;
inline constexpr int kK = 1;
inline constexpr int kKeff = 2;
inline constexpr int kCycle = 3;
inline constexpr int kRule = 4;
inline constexpr int kLength = 5;
inline constexpr int kInner = 6;
inline constexpr int kCMoved = 7;
inline constexpr int kV0 = 8;
inline constexpr int kH0 = 9;
inline constexpr int kV1 = 10;
inline constexpr int kH1 = 11;
inline constexpr int kKU = 12;
inline constexpr int kUmax = 13;  // 13-15
inline constexpr int kEx = 16;  // 16-21
inline constexpr int kDY = 22;
inline constexpr int kEse = 23;  // 23-25
inline constexpr int kPse = 26;
inline constexpr int kCse = 27;
inline constexpr int kEY = 28;
inline constexpr int kDU = 29;
inline constexpr int kDMax = 30;
inline constexpr int kPMax = 31;
inline constexpr int kHA = 32;
inline constexpr int kVA = 33;
inline constexpr int kHC = 34;
inline constexpr int kVC = 35;
inline constexpr int kGrowth = 36;
inline constexpr int kDExt = 37;
inline constexpr int kRegion = 38;
inline constexpr int kRegionPrev = 39;
inline constexpr int kEvent = 40;
inline constexpr int kBuckleShown = 41;
inline constexpr int kElongShown = 42;
}  // namespace brace

// MAT08. PROP(1..9): E, A, R, YS, PY, CC, MAX DUC, BETA, SHAPE.
// State words (one copy, 42): 1 K, 2 KEFF, 3 CYCLE, 4 RULE, 5 L, 6 INNER,
// 7 point C moved, 8-11 V0, H0, V1, H1, 12 KU, 13-15 ductility maxima,
// 16-21 EX1-EX6, 22 DY, 23-25 ESE(1..3), 26 PSE, 27 CSE, 28 EY, 29 DU,
// 30 largest-magnitude D, 31 force there, 32-33 HA, VA, 34-35 HC, VC,
// 36 growth, 37 extreme D seen by the rules, 38-39 region now and before,
// 40 event (0 none, 1 buckled, 2 allowable elongation exceeded), 41-42 the
// element's report flags.
void mat08(MatCall& c);

// The two models on the normalised envelope.
enum class EnvelopeModel { brace, tube };

// The properties the rule reads (PROP words 1 to 6, and 9 for the brace).
struct EnvelopeProps {
  float e = 0.0f;      // modulus of elasticity
  float a = 0.0f;      // area
  float r = 0.0f;      // radius of gyration
  float ys = 0.0f;     // yield stress
  float py = 0.0f;     // yield force A*YS
  float cc = 0.0f;     // slenderness limit
  int shape = 0;       // brace section shape 1..3 (0 for the tube)
};

// HYST08: one state determination. p comes in as the element's trial force
// and goes back possibly reset; s is the 1-based view of the state copy. A
// non-positive slenderness KEFF*L/R stops the run.
void hyst08(float& p, float pl, float d, float dl, float* s, const EnvelopeProps& pr, bool debug,
            int ielno);

// The rule of either model (the tube prints no buckling line).
void envelope_rule(EnvelopeModel model, float& p, float pl, float d, float dl, float* s,
                   const EnvelopeProps& pr, bool debug, int ielno);

// The option protocol shared by MAT08 and MAT13; read_set does option 1.
void envelope_driver(MatCall& c, EnvelopeModel model, void (*read_set)(MatCall&));

// Stops the run when a set's E, A, R or YS is not positive (the brace also
// when SHAPE is not 1, 2 or 3), after its echo line: the envelope divides by
// all of them.
void check_envelope_set(EnvelopeModel model, int set, float e, float a, float r, float ys,
                        float shape);

// Type 8 in the material registry.
inline constexpr MaterialType kBraceType{.code = 8, .keywords = {"BRACE"}, .driver = mat08};

}  // namespace materials
