// The longitudinal steel fibre law of the reinforced-concrete sections:
// bilinear with kinematic hardening. An elastic band of width 2 EY moves with
// the yielded strain; inside it the fibre is elastic with EM, beyond it it
// hardens with RATIO3 EM. A step that crosses a band limit is split there.
#pragma once

#include "members/rc/section_fibres.h"

namespace members::rc {

// State codes of a steel fibre (FSTATE).
namespace steel_state {
inline constexpr float kElastic = 0.0f;
inline constexpr float kYieldingTension = 1.0f;
inline constexpr float kYieldingCompression = 2.0f;
}  // namespace steel_state

struct SteelFibre {
  float stress = 0.0f;
  float e1 = 0.0f;      // upper limit of the elastic band
  float e2 = 0.0f;      // lower limit
  float fstate = 0.0f;
};

struct SteelLaw {
  float em = 0.0f;   // elastic modulus
  float ey = 0.0f;   // yield strain YS/EM
  float esh = 0.0f;  // hardening modulus RATIO3 EM
};

// What one step of a fibre was.
enum class SteelStep {
  kNone,               // nothing moved
  kElastic,            // inside the band, from the elastic state
  kUnloading,          // back into the band from a yielding state
  kYieldTension,       // left the band upward (the step split at its limit)
  kYieldCompression,   // left the band downward
  kHardenTension,      // went on yielding upward
  kHardenCompression,  // went on yielding downward
};

// Advances one fibre by de to the total strain eps; et receives the tangent.
SteelStep steel_fibre(SteelFibre& f, float eps, float de, const SteelLaw& law, float& et);

// The section's words the steel law of one segment section uses.
struct SteelSection {
  int ielas = 1;
  int imater = 0;
  int n1 = 0;     // NQ (the shell ring of LIBN 1 is layer 2)
  int nbar1 = 0;
  int nbar2 = 0;
  int nbar3 = 0;
  SteelLaw law;
  float ys = 0.0f;
  float esu = 0.0f;    // ultimate strain (0.09 when the head's is not positive)
  float ecr = 0.0f;    // long-rebar buckling strain, 0.0: no check
  float fslap = 0.0f;
  float splice = 0.0f;
  float ke = 0.0f;     // the section's KE (the nodal-end splice check needs 0.0)
  bool debug = false;
  int ielno = 0;
  int nend = 0;        // 0: STLTAN; 1 or 2: STLTANB for that nodal end
};

// STLTAN (nend 0) and STLTANB (nend 1 or 2): the steel fibres of one segment
// section. The nodal-end law raises its codes on every yielding step, the
// first included; the other from the second on.
void stltan(const SteelSection& s, const SectionFibres& f, const MemberLimits& m);

}  // namespace members::rc
