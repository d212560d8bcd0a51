// Energy, ductility and excursion bookkeeping shared by the hysteretic models,
// and the Park-Ang damage index.
#include <algorithm>
#include <cmath>

#include "materials/matdsp.h"

namespace materials {

namespace {
// Magnitudes at or below this count as zero.
constexpr float kTiny = 1.0e-25f;
}  // namespace

void enrgy(float* ese, float& pse, float& cse, float p, float pl, float d, float dl, float /*k*/,
           float ke) {
  const float pse_old = pse;

  float dw = 0.0f;
  if (std::fabs(p + pl) > kTiny && std::fabs(d - dl) > kTiny) dw = (d - dl) * (p + pl) / 2.0f;

  const float tot = ese[0] + pse + dw;

  float e;
  if (std::fabs(p) <= kTiny) {
    e = 0.0f;
  } else if (ke == 0.0f) {
    e = tot;
  } else if (ke < 0.0f) {
    // A falling branch has no stored elastic energy: p*p/(2*ke) would be
    // negative and push the plastic energy above the total work.
    e = 0.0f;
  } else {
    e = p * p / (2.0f * ke);
  }
  ese[0] = std::min(e, tot);
  pse = tot - ese[0];

  if (p * pl <= 0.0f) {
    if (pl == p) {
      cse = pse;
    } else if (pse_old - pse < kTiny) {
      cse = pse;
    } else {
      // p and pl differ here, so pl - p is not zero.
      cse = pse + (pse_old - pse) * p / (pl - p);
    }
  }

  if (p >= 0.0f) {
    ese[1] = std::max(ese[1], ese[0]);
  } else {
    ese[2] = std::max(ese[2], ese[0]);
  }
}

void ductex(int iopt, float* umax, float* ex, float dy, float d, float ese, float pse, float cse,
            float ey) {
  if (iopt != 1) {
    for (int k = 0; k < 3; ++k) {
      if (ex[3 + k] > 1.0f) ex[k] += ex[3 + k] - 1.0f;
      ex[3 + k] = 0.0f;
    }
    return;
  }

  const float w = pse - cse;
  // A ratio whose divisor is 0 is not formed and leaves its maximum and peak.
  float r[3];
  bool formed[3] = {false, false, false};
  if (dy != 0.0f) { r[0] = d / dy; formed[0] = true; }
  if (ese != 0.0f) { r[1] = w / ese + 1.0f; formed[1] = true; }
  if (ey != 0.0f) { r[2] = w / ey + 1.0f; formed[2] = true; }

  for (int k = 0; k < 3; ++k) {
    if (!formed[k]) continue;
    umax[k] = std::max(umax[k], r[k]);
    ex[3 + k] = std::max(ex[3 + k], r[k]);
  }
}

float park_ang(float dmax, float du, float beta, float fy, float pse) {
  if (du == 0.0f) return 0.0f;
  float di = std::fabs(dmax) / du;
  if (fy != 0.0f) di += beta / (du * fy) * pse;
  return di;
}

}  // namespace materials
