// Confined-concrete properties: the envelope parameters of cover (KE = 0) and
// core concrete from the concrete strength, the lateral confining pressure of
// the transverse steel and the confinement effectiveness KE. Circular hoops
// give the pressure in closed form; rectangular sections read the
// confined-strength ratio from a chart for two unequal pressures. psi.
#pragma once

namespace members::rc {

// The inputs of CONFIN, as the section analysis forms them from the head.
struct ConfinementInput {
  float fpc = 0.0f;   // f'c
  float fl = 0.0f;    // lateral pressure of circular hoops
  float flx = 0.0f;   // lateral pressures of a rectangular section, U0 and V0
  float fly = 0.0f;
  float ke = 0.0f;    // confinement effectiveness
  float ec = 0.0f;    // 57000 sqrt(f'c)
  float rhos = 0.0f;  // volumetric ratio of the transverse steel
  float fyh = 0.0f;   // YSHOOP
  float esu = 0.0f;   // ultimate steel strain (0.09 when the head's is not positive)
  int imater = 0;     // 1, 2 circular hoops; 3 rectangular
};

// The envelope of one kind of concrete: peak stress, strain at the peak and
// the curve exponent r = Ec / (Ec - Esec).
struct ConcreteEnvelope {
  float fccp = 0.0f;
  float ecc = 0.0f;
  float r = 0.0f;
};

// The inputs from a record head (1-based PROP view), KE as the head gives it.
ConfinementInput confinement_input(const float* prop);

// CONFIN. ecu is the head's ECU word: with KE > 0 a value <= 0 is replaced by
// 0.004 + 1.4 RHOS FYH ESU / FCCP (and kept from then on), with KE = 0 it
// becomes 0.004, with KE < 0 it is left alone. setup (member set-up) prints
// the three results; debug with setup also prints the chart inputs of a
// rectangular section. An IMATER other than 1, 2, 3 (rejected at input)
// gives the unconfined envelope.
ConcreteEnvelope confin(const ConfinementInput& in, float& ecu, bool setup, bool debug);

// CONFCH: the confined-strength ratio f'cc/f'c for two lateral-pressure ratios
// fl'/f'c, interpolated in the chart. Ratios outside the chart (0 to 0.30) are
// taken at its nearest edge.
float confch(float rx, float ry);

}  // namespace members::rc
