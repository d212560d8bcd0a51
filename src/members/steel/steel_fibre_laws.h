// The four steel fibre laws (TANGS0-TANGS3), each a pure function of one
// fibre's state: the state at entry, the strain increment DE and the new total
// strain EPS in; the new state and the tangent modulus ET out.
#pragma once

#include <array>

namespace members {

// Fibre law numbers (the record word IMATER).
enum SteelLawKind : int {
  kLawBilinear = 0,        // kinematic hardening, band moving with yield
  kLawTwoSlopes = 1,       // fixed band, no memory
  kLawRambergOsgood = 2,   // Masing branches
  kLawElastic = 3,
};

// The constants of the law of one member.
struct SteelLaw {
  int imater = kLawBilinear;
  float em = 0.0f;      // elastic modulus
  float ey = 0.0f;      // yield strain YS/EM
  float ys = 0.0f;      // yield stress
  float ratio3 = 0.0f;  // post-yield ratio (law 2: Ramberg-Osgood coefficient)
  int ir = 0;           // law 2 exponent
  bool elastic = false; // IELAS 0: laws 0-2 behave elastically
};

// The state words of one fibre, as the record keeps them (all reals).
struct SteelFibre {
  float e1 = 0.0f;    // upper bound of the elastic band
  float e2 = 0.0f;    // lower bound
  float sig = 0.0f;   // stress
  float iyld = 0.0f;  // law 0: 0 elastic, 1 yielding at E1, 2 at E2; law 2: last DE
  std::array<float, 5> flw{};  // law 2: FLW1 KS, FLW2 SR0, FLW3 SI, FLW4 K0, FLW5 SR
};

struct FibreStep {
  SteelFibre s;    // state after the step
  float et = 0.0f; // tangent modulus
};

// et_held: the tangent the caller holds for the fibre, handed back by the
// states a law leaves alone (law 0 IYLD, law 2 KS outside their codes).
FibreStep tangs0(const SteelLaw& law, SteelFibre s, float de, float eps, float et_held);
FibreStep tangs1(const SteelLaw& law, SteelFibre s, float de, float eps);
// setup: the member rule's set-up evaluation, which starts every fibre on its
// skeleton. An inner-branch step (KS 3) runs on the tangent of the fibre's own
// entry stress.
FibreStep tangs2(const SteelLaw& law, SteelFibre s, float de, float eps, bool setup,
                 float et_held);
FibreStep tangs3(const SteelLaw& law, SteelFibre s, float de, float eps);

// Runs the law law.imater; any other number runs none and hands back the state
// with the tangent `et_held` the caller's column holds.
FibreStep steel_fibre_law(const SteelLaw& law, const SteelFibre& s, float de, float eps,
                          float et_held, bool setup);

// Law 2's tangent for the stress measure x: EM/(1 + IR*RATIO3*|x|^(IR-1)).
float ramberg_osgood_tangent(const SteelLaw& law, float x);

}  // namespace members
