// The closing reports of the time history: the largest displacements,
// velocities, accelerations and reactions of all steps, the element maxima,
// for an inelastic structure the ductilities, damage indices and the
// structure damage index, and the peak energies.
#pragma once

#include <array>
#include <cstdint>

namespace solutions {

// What the step loop hands over. Peak vectors are ZMATRX indices of entry 1.
struct ClosingReports {
  int neq = 0;
  int ncf = 0;                       // NCOND + NFREE: the restrained equations follow
  bool elastc = false;
  int nwrite = 0;                    // history records were written
  std::int64_t upeak = 0, vpeak = 0, apeak = 0;  // NEQ each
  std::int64_t ppeak = 0;            // NEQ + 6: loads and reactions, then the six reaction sums
  float rfmax = 0.0f;                // largest horizontal force of the reaction sums
  float rmmax = 0.0f;                // largest moment about a horizontal axis
  std::array<float, 5> epeak{};      // input, elastic strain, plastic strain, kinetic, damping
};

// Closes the history units, blanks the step caption, sets ISTEP to 0, prints
// the reports and leaves the six largest reaction sums in RSUM.
void th_closing_reports(const ClosingReports& c);

}  // namespace solutions
