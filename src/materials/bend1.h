// "BEND1": moment-rotation hysteresis model of a member of unit length
// (material type 3). A multi-linear backbone used alike for both signs,
// unloading on three segments whose stiffnesses degrade with the largest
// rotation, reloading aimed past the previous peak, a pinched branch through
// zero moment, and loss of stiffness beyond the last backbone point.
// Also the pieces the shear model (SHEAR1) is built from: DIRECT and the backbone helpers.
#pragma once

#include "materials/matdsp.h"

namespace materials {

namespace bend {
// Property words: NB, NI, EY, DY, BETA, then NB moments and NB rotations.
inline constexpr int kNb = 1, kNi = 2, kEy = 3, kDy = 4, kBeta = 5, kPoints = 6;

// State words (NSTATE = 3 NI + 36).
inline constexpr int kK = 1;       // tangent of the current branch
inline constexpr int kRule = 2;    // rule code, negative once the spring has failed
inline constexpr int kDir = 3;     // direction of loading 1..4
inline constexpr int kA = 4;       // branch limit (the sub-stepper's limit word)
inline constexpr int kPmg = 5, kPmh = 6, kDmg = 7, kDmh = 8;
inline constexpr int kBackb = 9;   // 1.0 while on the backbone
inline constexpr int kFacp = 10, kFacn = 11;
inline constexpr int kIr = 12;     // reversal points held
inline constexpr int kSe = 17;     // stiffness for the elastic strain energy
inline constexpr int kUp = 18, kUn = 21, kEx = 24, kEse = 30, kPse = 33, kCse = 34;
inline constexpr int kMemory = 35;  // PR, DR, FR (NI words each), then the peak moment and rotation
}  // namespace bend

// A backbone as the property words hold it: m[1..n] forces, th[1..n] deformations.
struct Backbone {
  int n = 0;
  const float* m = nullptr;   // 1-based
  const float* th = nullptr;  // 1-based
};

// Area under the backbone polygon from the origin up to the deformation dy.
float backbone_area(const Backbone& b, float dy);
// Backbone force at the deformation dy: the first segment holding dy; beyond
// the last point, the last point's force.
float backbone_force_at(const Backbone& b, float dy);
// Where the line through (d, p) with slope k meets the line of backbone segment
// j-1..j, the segment taken on the side of sgn (only for a rising segment).
struct BackboneMeet {
  float p;
  float d;
};
BackboneMeet backbone_meet(const Backbone& b, int j, float d, float p, float k, float sgn);
// True when segment j-1..j rises (its slope is positive).
bool backbone_rising(const Backbone& b, int j);
// True when every point is positive and the deformations ascend.
bool backbone_ordered(const Backbone& b);

// The backbone of a set whose first force is property word first_point and
// whose NB (property word 1) deformations follow the NB forces.
Backbone backbone_of(const float* prop, int first_point);

// What the bending and shear drivers differ in.
struct BackboneModel {
  int state_base;          // NSTATE = 3 NI + state_base
  int first_point;         // property word of the first backbone force
  int beta_word_after;     // BETA in word 5 (0), or after the points (1)
  int se_word, ese_word, pse_word, cse_word, up_word, un_word, ex_word;
  const char* title;       // driver name in the trace ("MAT03")
  const char* message;     // cycle-limit message
  void (*header)();        // the type's table header at input
  void (*rule)(float p, float d, float pl, float dl, float vel, float* s, const float* prop,
               bool debug);
};
// The option protocol of a backbone model (types 3 and 4).
void backbone_driver(MatCall& c, const BackboneModel& model);

// Steps of the rule that both backbone models take alike. s is the 1-based
// state copy.

// The start of a rule call: a virgin spring (rule 0) below the first backbone
// force m1 stays on the initial stiffness si, also for the energy (k, se); a
// failed one (rule below 0) keeps its state. True when the call ends here.
bool virgin_or_failed(float p, float m1, float si, float rule, float& k, float& se);
// Widens the largest points reached, positive (pmg, dmg) and negative (pmh,
// dmh), to the first backbone point (m1, th1) and to the point (p, d).
void widen_peaks(float& pmg, float& dmg, float& pmh, float& dmh, float m1, float th1, float p,
                 float d);
// True while p has not reached the branch limit a in the direction of loading dir.
bool short_of_limit(int dir, float p, float a);
// Unloading (dir 2 or 4) from a rated branch: rates the excursion of the sense
// being left at its turning point, the larger (dir 2) or smaller end of the step.
void rate_turning_point(const BackboneModel& model, float* s, int dir, float d, float dl, float dy,
                        float ey);
// The segment of the three-segment unloading curve that |p| lies on: beyond
// |a1| the first (tangent k1 down to a1, rule 2), beyond |a2| the second (k2
// down to a2, rule 3), else the last (k3 down to zero, rule 4).
void unloading_segment(float p, float a1, float k1, float a2, float k2, float k3, float& k,
                       float& a, float& rule);
// The steepest secant from (d, p) to a backbone point beyond |p| (when capped,
// only those no steeper than cap): its slope into k, 0.0 when there is none, and
// that point's force with the sign of p into a (unchanged when there is none).
void backbone_secant(const Backbone& b, float p, float d, bool capped, float cap, float& k,
                     float& a);
// The end of a rule call: a tangent of 0 or below, or of 1.05 si and above,
// fails the spring: k becomes 0.0 and the rule negative.
void fail_without_stiffness(float& k, float& rule, float si);

// DIRECT: direction of loading. dir in: the direction before the step, out:
// the new one; dirl out: the direction of the step itself (1 rising on the
// positive side, 2 falling from a positive force, 3 falling on the negative
// side, 4 rising from a negative force).
void direct(int& dir, int& dirl, float p, float pl, float vel);

// Driver of type 3 (all material options).
void mat03(MatCall& c);

// The rule: (p, d) the end point, (pl, dl) the start, vel the rate. s is the
// 1-based state copy, prop the 1-based property words of the set.
void hyst03(float p, float d, float pl, float dl, float vel, float* s, const float* prop, bool debug);

// Type 3 in the material registry.
inline constexpr MaterialType kBend1Type{.code = 3, .keywords = {"BEND1"}, .driver = mat03};

}  // namespace materials
