// "SOL" 4: the static nonlinear analysis. One pattern of joint loads, support
// displacements and element loads is scaled by a load factor that load-step
// records drive, step by step, through their targets; the elements follow
// their hysteresis rules, the stiffness parameter SP watches for a limit
// point, and the limit-state points the elements reach are reported with
// their step.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace solutions {

// SOL04: reads the solution record (NELOAD, IPRINT, NWRITE, UNBAL, SPLIMIT),
// prints the solution header, reads the history requests, clears the
// limit-state points, reserves the step vectors and runs the step loop.
// Reads unit 5, writes unit 6; works on CONTRL, TITLES, SOLSTA and the work
// array. A solver failure raises ISTOP; the negative-SP stop does not.
void sol04();

// ---- The pieces of the step loop that are pure arithmetic.

// What the stiffness parameter keeps from step 1 of a solution: the reference
// load PR per kind of equation (0 translations, 1 rotations) and the load
// norm and increment work of step 1.
struct SpReference {
  std::array<float, 2> pr{};
  float pnorm1 = 0.0f;
  float winc1 = 0.0f;
};

// The stiffness parameter of a step: SP = (PNORM/PNORM1)^2 * WINC1/WINC with
// PNORM the root mean square of the load increments over the equations of a
// kind with a reference load, each divided by its kind's reference load, and
// WINC the work of the increments. The reference loads are taken at step 1
// (first = true: the value of ptotal of largest magnitude, sign kept, per
// kind), so a structure that stays linear keeps SP = 1.0 under any increments
// of one pattern. The vectors hold one value per equation (dpload the load and
// reaction increments, dudisp the displacement increments, ptotal the totals
// after the step, doftyp the kind of each equation). The caller gets back SP
// (NaN when step 1 gave it nothing to normalise with) and, at step 1, the
// reference in ref.
float stiffness_parameter(bool first, std::span<const float> dpload, std::span<const float> dudisp,
                          std::span<const float> ptotal, std::span<const std::uint8_t> doftyp,
                          SpReference& ref);

// True when the step has passed a limit point under load control: loads are
// applied, no support displacement drives the step, SP changed sign or became
// undefined (sp_prev * sp not above 0) while the load increment kept its sign.
bool passed_limit_point(bool applies_loads, bool support, float sp_prev, float sp, float dfact_prev,
                        float dfact);

// The unbalanced-force switch of a step, for a solution in which it was asked
// for: SP of the previous step below SPLIMIT (or undefined) switches the
// correction off, SP back at SPLIMIT or above switches it on again.
enum class UnbalancedSwitch { keep, off, on };
UnbalancedSwitch unbalanced_switch(bool unbal_now, float sp_prev, float splimit);

// Step-size control of a step: pm and dm are the largest load and displacement
// increments on the free equations, pmax and dmax their limits (0.0 none), nsub
// the equal steps still to take. The caller gets back the factor by which the
// solved increment is divided (1.0 when none), whether the step is the last of
// its record, and nsub for the next step.
struct StepSize {
  float ratio = 1.0f;
  bool scaled = false;  // a limit was exceeded: the increment is divided by ratio
  bool last = true;
  int nsub = 0;
};
StepSize step_size(float pm, float dm, float pmax, float dmax, int nsub);

// True when a step that takes the factor from `factor` by `dfact` reaches
// `target` exactly and the next record does not go on in the same direction:
// the loads reverse after this step.
bool load_reverses(float factor, float dfact, float target, float next_target);

}  // namespace solutions
