#include "members/rc/rebar_buckling.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "members/rc/rc_section_head.h"

namespace members::rc {

namespace {

constexpr float kTolerance = 0.05f;
constexpr float kPMax = 15.0f;
constexpr int kSlots = 16;              // INT(PMAX) + 1 spacing counts
constexpr int kStressSteps = 1000;      // trial stresses between FY and 0.99 FSU
constexpr float kTwoPi = 6.28318f;      // bars per radian of a circular section

}  // namespace

float ecrfun(float target, float sig, float fsu, float fyh, float p, float rn, float hoopd, float bard) {
  const float x = sig / fsu;
  const float a = (1.0f - x * x) / ((1.0f - 0.4f * x * x) * x);
  const float ratio = hoopd / bard;
  const float b = 0.3f * (p / rn) * (fyh / fsu) * ratio * ratio * target;
  return 10.0f * std::sqrt(a * (1.0f + b / (1.0f - x * x)));
}

float ecrsrc(float fsu, float fy, float fyh, float rn, float hoopd, float bard, float s, int& ipos) {
  std::array<float, kSlots> slot{};
  const float top = 0.99f * fsu;
  const float step = (top - fy) / static_cast<float>(kStressSteps);
  float p = -0.1f;
  for (;;) {
    p = p + 0.1f;
    if (p > kPMax) break;
    const float target = (p + 1.0f) * s / bard;
    // The accumulated trial stress may land a step past the count; a step of
    // no size tries FY once.
    float sig = fy;
    for (int n = 0; n <= kStressSteps + 1 && sig <= top; ++n) {
      const float f = ecrfun(target, sig, fsu, fyh, p, rn, hoopd, bard);
      if (std::fabs(f - target) <= kTolerance) {
        int ip = static_cast<int>(p);
        if (std::fabs(p - static_cast<float>(ip)) > 0.4f) ++ip;
        float& v = slot[static_cast<std::size_t>(std::clamp(ip, 0, kSlots - 1))];
        v = v == 0.0f ? sig : std::min(v, sig);
        break;
      }
      if (!(step > 0.0f)) break;
      sig += step;
    }
  }
  float fcr = 0.0f;
  float lowest = top;
  for (int j = 1; j <= kSlots; ++j) {
    const float v = slot[static_cast<std::size_t>(j - 1)];
    if (v != 0.0f && v < lowest) {
      lowest = v;
      ipos = j - 1;
      fcr = lowest;
    }
  }
  return fcr;
}

float long_rebar_buckling_strain(const float* prop, float esu) {
  const float ys = prop[kYS];
  const float em = prop[kEM];
  const float ratio3 = prop[kRATIO3];
  const float ey = ys / em;
  const float fsu = ys + (esu - ey) * em * ratio3;
  if (!(fsu > ys)) return 0.0f;

  float rn = 0.0f, hoopd = 0.0f, bard = 0.0f, s = 0.0f;
  switch (head_int(prop, kLIBN)) {
    case kCircularBars:
      rn = static_cast<float>(head_int(prop, kNBAR1)) / kTwoPi;
      hoopd = prop[kHOOP1];
      bard = prop[kT2];
      s = prop[kHOOP2];
      break;
    case kRectangular:
      rn = 1.0f;
      hoopd = prop[kRHOOPDIA];
      bard = prop[kDBAR1];
      s = prop[kRHOOPSPA];
      break;
    default:
      return 0.0f;
  }
  // No bars, no bar diameter or no hoop spacing: nothing to buckle between hoops.
  if (!(rn > 0.0f) || !(bard > 0.0f) || !(s > 0.0f)) return 0.0f;
  int ipos = 0;
  const float fcr = ecrsrc(fsu, ys, prop[kYSHOOP], rn, hoopd, bard, s, ipos);
  return fcr != 0.0f ? (fcr - ys) / (em * ratio3) + ey : 0.0f;
}

}  // namespace members::rc
