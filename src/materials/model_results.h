// What the hysteretic models hand back at options 3 to 5, read from the words
// each keeps them in: the energies, ductilities and excursion ratios, the point
// of the largest deformation, and the Park-Ang damage index.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// Where a model keeps its results in one state copy (1-based words).
struct ResultWords {
  int ese = 0;   // ESE(1), the elastic strain energy now
  int pse = 0;   // plastic strain energy
  int duct = 0;  // three ductilities; with un, UP1-UP3 of the positive sense
  int un = 0;    // UN1-UN3 of the negative sense, or 0 when duct holds both senses
  int ex = 0;    // EX1-EX6
};

// The force at the largest |D| reached, and that D (signed).
struct PeakWords {
  int p = 0;
  int d = 0;
};

// A ratio whose divisor lies near the bottom of the float range (a yield force
// or an ultimate deformation of 1e-38) overflows: it is handed on as the
// largest REAL (NaN as 0.0), which the reports still print as a number. The run
// did not compute what was asked, so the first such value counts as a warning
// (once: it recurs at every step).
float held_in_range(float r);

// Option 4: ESE, PSE, the three ductilities (the larger of UP and UN where the
// senses are kept apart) and the six excursion ratios.
void store_results(MatCall& c, const float* s, const ResultWords& w);

// Option 4 of a model without ductility or excursion words: the two energies
// given, every ductility and ratio 0.0.
void store_energies_only(MatCall& c, float ese, float pse);

// Option 3: keeps (p, d) when |d| goes past the largest |D| so far.
void track_peak(float* s, const PeakWords& w, float p, float d);

// Option 5 without the index: ESE, PSE, and the force and deformation at the
// largest |D| into c.p and c.d.
void store_peak(MatCall& c, const float* s, const ResultWords& w, const PeakWords& peak);

// Option 5 with the Park-Ang index formed from the peak deformation, the
// ultimate deformation du, beta and the yield force fy.
void park_ang_damage(MatCall& c, const float* s, const ResultWords& w, const PeakWords& peak,
                     float du, float beta, float fy);

}  // namespace materials
