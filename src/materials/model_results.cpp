#include "materials/model_results.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/globals.h"

namespace materials {

float held_in_range(float r) {
  constexpr float big = std::numeric_limits<float>::max();
  if (std::isfinite(r)) return r;
  if (!kv::run().result_held_noted) {
    kv::run().result_held_noted = true;
    kv::note_fault(kv::Fault::input_warning, "A DUCTILITY OR RESULT BEYOND THE NUMBER RANGE IS HELD AT THE LARGEST REAL");
  }
  return std::isnan(r) ? 0.0f : std::clamp(r, -big, big);
}

void store_results(MatCall& c, const float* s, const ResultWords& w) {
  c.ese = s[w.ese];
  c.pse = s[w.pse];
  if (w.un != 0) {
    for (int k = 0; k < 3; ++k) c.duct[k] = held_in_range(std::max(s[w.duct + k], s[w.un + k]));
  } else {
    for (int k = 0; k < 3; ++k) c.duct[k] = held_in_range(s[w.duct + k]);
  }
  for (int k = 0; k < 6; ++k) c.ex[k] = held_in_range(s[w.ex + k]);
}

void store_energies_only(MatCall& c, float ese, float pse) {
  c.ese = ese;
  c.pse = pse;
  c.duct.fill(0.0f);
  c.ex.fill(0.0f);
}

void track_peak(float* s, const PeakWords& w, float p, float d) {
  if (std::fabs(d) > std::fabs(s[w.d])) {
    s[w.p] = p;
    s[w.d] = d;
  }
}

void store_peak(MatCall& c, const float* s, const ResultWords& w, const PeakWords& peak) {
  c.ese = s[w.ese];
  c.pse = s[w.pse];
  c.p = s[peak.p];
  c.d = s[peak.d];
}

void park_ang_damage(MatCall& c, const float* s, const ResultWords& w, const PeakWords& peak,
                     float du, float beta, float fy) {
  store_peak(c, s, w, peak);
  c.di = park_ang(s[peak.d], du, beta, fy, s[w.pse]);
}

}  // namespace materials
