// Event-to-event sub-stepping shared by the degrading models (AXLMOD, BEND1,
// SHEAR1): a step is walked from the committed point to the new deformation
// branch by branch, split at every point where the current branch ends, so that
// the energy of each part is booked on the branch it belongs to.
#pragma once

#include <string_view>

#include "materials/matdsp.h"

namespace materials {

// What differs between the drivers that use the walk.
struct StepperSpec {
  int limit_word;            // state word that holds the branch limit A
  int max_passes;            // cycle limit: passes allowed per step
  std::string_view message;  // printed with IELNO on the pass after the last allowed one
  float t1;                  // relative size under which the end point is its own probe
  float t2;                  // probe position as a fraction of what is left of the step
};

// Where a rule call comes from: the end point of the step within limits, or a
// probe just past an event point (or just off the start, moving away from a limit).
enum class RuleCall { kWithin, kProbe };

// The model's side of the walk.
class EventModel {
 public:
  // The branch limit for this pass: normally the limit word; a model replaces it
  // on the spring's first use. p is the extrapolated end force, pl the start force.
  virtual float limit(float a, float p, float pl) = 0;
  // The rule: finds the branch that (p, d) lies on coming from (pl, dl) and
  // stores its tangent in state word 1 and its limit in the limit word.
  virtual void rule(float p, float d, float pl, float dl, RuleCall from) = 0;
  // Books the energy of the segment from (dl, pl) to (d, p).
  virtual void book(float p, float pl, float d, float dl) = 0;
  // Trace line of a pass (debug switch only).
  virtual void trace_pass(float k, float a, float p, int icyc) = 0;

 protected:
  ~EventModel() = default;
};

// Walks c.d from (c.pl, c.dl). On return c.p is the force at c.d, and c.pl and
// c.dl hold the last event point of the step (the caller's copies are moved).
// Returns the tangent the last pass extrapolated with (the exit trace shows it;
// the rule call that ends the step may already have moved state word 1 on).
float event_step(MatCall& c, const StepperSpec& spec, EventModel& model);

// a / b, or 0.0 when b is exactly zero: the degrading models use it where a
// degenerate property set (zero stiffness, zero or coincident backbone points)
// would otherwise divide by zero and carry inf or NaN into the state and reports.
inline float quot(float a, float b) { return b != 0.0f ? a / b : 0.0f; }

}  // namespace materials
