// Material type 14 ("SHEAR2"): the shear force-deformation law of a whole wall
// member, a four-point backbone that degrades with the dissipated energy and a
// pinched, peak-oriented hysteresis of ten rules.
//
// The driver and the backbone routines live in shear2.cpp, the rule engine
// (HYST14 with its crossing bookkeeping and branch rules) in shear2_rules.cpp;
// the declarations below are what the two files share.
#pragma once

#include <array>

#include "materials/matdsp.h"

namespace materials {

// MAT14: NSTATE 80, NPROP 28.
void mat14(MatCall& c);

namespace shear2 {

inline constexpr int kNState = 80;
inline constexpr int kNProp = 28;
inline constexpr int kPoints = 4;  // the layout holds a four-point backbone

// Property words.
enum Prop : int {
  kPNpt = 1,      // number of backbone points, as a real
  kPEy = 2,       // area under the backbone up to point 2
  kPWall1 = 3,    // copied from state word 78 at every set-up
  kPWall2 = 4,    // copied from state word 79 at every set-up
  kPS1 = 5,       // S1..S4 in 5-8
  kPE1 = 9,       // E1..E4 in 9-12
  kPBeta = 13,
  kPX1 = 14,      // X1..X5 in 14-18
  kPX2 = 15,
  kPX2Ratio = 19, // X2 / word 4
  kPK1 = 20,      // the eight slopes: K1, K2, KS2, K3, K4, K13, KU2, KU3
  kPK2 = 21,
  kPKS2 = 22,
  kPK3 = 23,
  kPK4 = 24,
  kPK13 = 25,
  kPKU2 = 26,
  kPKU3 = 27,
};

// State words.
enum State : int {
  kK = 1,           // tangent stiffness
  kMark = 2,        // branch mark within the rule
  kRule = 3,
  kDD = 4,          // deformation increment of the step
  kDHalf = 5,       // largest |D| of the current half cycle
  kDMax = 6,        // largest |D| so far
  kKPeak = 8,       // slope of the reloading toward a peak
  kK1c = 9,         // current slopes K1', K2' (10), K3' (12), K4' (13)
  kK2c = 10,
  kKS2 = 11,        // S2/E2 from set-up
  kK3c = 12,
  kK4c = 13,
  kK13 = 14,        // (S3 - S1)/(E3 - E1) from set-up
  kKU2c = 15,       // unloading stiffness from point 2
  kKU3c = 16,       // unloading stiffness from point 3
  kFPos = 17,       // force of the positive peak
  kFNeg = 18,       // force of the negative peak
  kDPos = 21,       // deformation of the positive peak
  kDNeg = 22,       // deformation of the negative peak
  kDRev = 25,       // deformation at the last reversal
  kSixth = 29,      // a sixth of the peak force
  kTot = 30,        // ESE(1) + PSE
  kCycles = 31,
  kEy = 32,
  kFPeak = 33,      // peak force of the current unloading
  kCross = 36,      // crossing flag (1.0 set)
  kFlag37 = 37,     // written 1.0 at set-up
  kThreshold = 38,  // degradation threshold
  kR = 41,          // degradation ratio of the last backbone update
  kKDeg = 42,       // degraded elastic stiffness
  kFlag44 = 44,     // written 0.0 at set-up
  kKE = 45,         // stiffness for the elastic strain energy
  kOpt = 46,        // option of the energy stiffness choice
  kR2 = 48,         // copy of word 41
  kK0 = 49,         // tangent at the start of the step
  kDPast = 50,      // deformation past the last zero crossing
  kDZero = 51,      // deformation of the last zero crossing (or crossing point)
  kEse = 52,        // ESE(1..3) in 52-54
  kPse = 55,
  kCse = 56,
  kEx = 57,         // EX(1..6) in 57-62
  kSc = 63,         // current backbone forces S1'..S4' in 63-66
  kEc = 67,         // current backbone deformations E1'..E4' in 67-70
  kDDPrev = 71,     // deformation increment of the previous step
  kUp = 72,         // UP(1..3) in 72-74
  kUn = 75,         // UN(1..3) in 75-77
  kWall1 = 78,      // written by the wall element
  kWall2 = 79,
  kX2Ratio = 80,    // property word 19
};

// Options of the elastic-energy stiffness choice.
enum StfOption : int { kStfPinched = 1, kStfSecant = 2, kStfGiven = 3 };

// A point of the force-deformation path.
struct Point {
  float d = 0.0f;
  float p = 0.0f;
};

// One state determination: the state copy, the set's properties, the point
// being worked on and what the engine's routines hand each other within the
// call. Nothing of it outlives the call.
struct Step {
  float* s = nullptr;           // 1-based state words
  const float* prop = nullptr;  // 1-based property words
  float p = 0.0f;               // force: trial force in, result out
  float d = 0.0f;
  float pl = 0.0f;              // start of the branch followed (may be moved)
  float dl = 0.0f;
  float pl_in = 0.0f;           // the committed point as handed in
  float dl_in = 0.0f;
  float dd = 0.0f;              // D - DL at entry
  int rule_in = 0;              // rule and branch mark at entry
  int mark_in = 0;
  float k0 = 0.0f;              // tangent at entry

  // The straight leg of the path that ends at (d, p): its start and slope.
  Point leg{};
  float kleg = 0.0f;

  // Work booking: the step's work is booked along the path actually followed,
  // up to `booked`; the corners of the path not yet booked wait in `corners`.
  Point booked{};
  std::array<Point, 8> corners{};
  int ncorners = 0;

  bool failed = false;  // the spring ran off the end of its backbone
};

// The current backbone as a table of corners in |D|: corner 0 is the origin,
// corners 1-4 the points E1'..E4', corner 5 the point (20 E2', 0.1 S3'); slope
// i runs from corner i; the last segment reaches zero force at `dzero`.
struct Envelope {
  std::array<float, 6> e{};
  std::array<float, 6> f{};
  std::array<float, 6> k{};
  float dzero = 0.0f;
};

Envelope envelope(const float* s);
// Segment holding |D| for the loading rules: segment 0 up to and with E1',
// segment i (1..4) over (corner i, corner i+1], segment 5 beyond.
int segment_loading(const Envelope& env, float ad);

// H14SLP: the eight slopes of a four-point backbone, in the order of property
// words 20-27 (K1, K2, KS2, K3, K4, K13, KU2, KU3).
std::array<float, 8> h14slp(float s1, float s2, float s3, float s4, float e1, float e2, float e3,
                            float e4);
// H14ENV: degrades the current backbone by the energy dissipated so far.
void h14env(float* s, const float* prop);
// H14RUL: brings a trial point beyond the current backbone back onto it.
void h14rul(Step& st);
// H14STF: chooses the elastic-energy stiffness by option and books the work of
// the segment (dl, pl) -> (d, p).
void h14stf(Step& st, int opt, float dl, float pl, float d, float p);

// Adds a corner of the path (the step bends or restarts there).
void add_corner(Step& st, float d, float p);
// Books the corners waiting and then the segment to (d, p) with the option.
void book_to(Step& st, int opt, float d, float p);

// HYST14: moves the spring from its committed point to the deformation st.d.
void hyst14(Step& st);

}  // namespace shear2
// Type 14 in the material registry.
inline constexpr MaterialType kShear2Type{.code = 14, .keywords = {"SHEAR2"}, .driver = mat14};

}  // namespace materials
