#include "elements/inelastic/beam_column.h"

#include <algorithm>
#include <cmath>

namespace elements::beam_column {

namespace {

constexpr float kSoftSpring = 1.0e-20f;
constexpr float kRigidSpring = 1.0e+20f;

}  // namespace

bool ia_biln_pair(float ei, float sp, float l, float flag_a, float flag_b, PairTerms& t) {
  const float elastic_aa = 4.0f * ei / l;
  const float elastic_ab = 2.0f * ei / l;
  const float yielded_aa = 4.0f * sp * ei / l;
  const float yielded_ab = 2.0f * sp * ei / l;
  // The far end of a yielded end: 3EI(1 - p)/L + 4pEI/L.
  const float far_end = 3.0f * ei * (1.0f - sp) / l + 4.0f * sp * ei / l;
  if (flag_a == 0.0f && flag_b == 0.0f) {
    t = {elastic_aa, elastic_ab, elastic_aa};
  } else if (flag_a == 1.0f && flag_b == 0.0f) {
    t = {yielded_aa, yielded_ab, far_end};
  } else if (flag_a == 0.0f && flag_b == 1.0f) {
    t = {far_end, yielded_ab, yielded_aa};
  } else if (flag_a == 1.0f && flag_b == 1.0f) {
    t = {yielded_aa, yielded_ab, yielded_aa};
  } else {
    return false;
  }
  return true;
}

float hinge_spring(float tangent, float elastic, bool& inelastic) {
  if (tangent == 0.0f) {
    inelastic = true;
    return kSoftSpring;
  }
  const float f = 1.0f / tangent - 1.0f / elastic;
  if (f == 0.0f) {
    inelastic = false;
    return kRigidSpring;
  }
  inelastic = true;
  return 1.0f / f;
}

PairTerms hinge_pair(float ei, float l, float ka, float kb) {
  const float a = ei / (ka * l);
  const float b = ei / (kb * l);
  const float d = (4.0f * a + 1.0f) * (4.0f * b + 1.0f) - 4.0f * a * b;
  const float k = ei / l;
  return {k * (4.0f + 12.0f * b) / d, k * 2.0f / d, k * (4.0f + 12.0f * a) / d};
}

float hinge_flexibility(float tangent, float elastic) {
  if (elastic == 0.0f) return 0.0f;
  const float t = tangent == 0.0f ? kSoftSpring : tangent;
  return 1.0f / t - 1.0f / elastic;
}

PairTerms flexibility_pair(const FlexibilityData& d) {
  const float fa = d.fa;
  const float fb = d.fb;
  switch (d.type) {
    case kTakeda: {
      const float det = fa * fb + (fa + fb) * d.c + d.e;
      return {(fb + d.c) / det, d.c / 2.0f / det, (fa + d.c) / det};
    }
    case kLongOwjg: {
      const float det = fa * fb + 3.0f / (d.ea * d.ea) + (fa + fb) * 2.0f / d.ea;
      return {(2.0f / d.ea + fb) / det, 1.0f / d.ea / det, (2.0f / d.eb + fa) / det};
    }
    default: {  // MR2
      const float det = fa * fb + 3.0f / (d.s * d.s) + (fa + fb) * 2.0f / d.s;
      return {(2.0f / d.s + fb) / det, 1.0f / d.s / det, (2.0f / d.s + fa) / det};
    }
  }
}

std::array<char, 6> flgchr(int status) {
  std::array<char, 6> s{'0', '0', '0', '0', '0', '0'};
  for (int k = 1; k <= 6; ++k)
    if ((status >> k) & 1) s[static_cast<std::size_t>(k - 1)] = '1';
  return s;
}

float tbnear(float x, std::span<const float> xb, std::span<const float> v) {
  const std::size_t n = std::min(xb.size(), v.size());
  if (n == 0) return 0.0f;
  if (n == 1) return v[0];
  const bool descending = xb[0] >= xb[1];
  bool monotone = true;
  for (std::size_t i = 0; i + 1 < n; ++i)
    if (descending ? !(xb[i] > xb[i + 1]) : !(xb[i] < xb[i + 1])) monotone = false;
  if (monotone) {
    bool found = false;
    float result = 0.0f;
    for (std::size_t i = 0; i + 1 < n; ++i) {
      const float hi = descending ? xb[i] : xb[i + 1];
      const float lo = descending ? xb[i + 1] : xb[i];
      if (!(lo <= x && x <= hi)) continue;
      const float f = descending ? (xb[i] - x) / (xb[i] - xb[i + 1]) : (x - xb[i]) / (xb[i + 1] - xb[i]);
      result = f < 0.5f ? v[i] : v[i + 1];
      found = true;
    }
    if (found) return result;
    const float first = xb[0];
    const float last = xb[n - 1];
    if (descending ? x <= last : x >= last) return v[n - 1];
    if (descending ? x >= first : x <= first) return v[0];
  }
  // No order to follow (or an x outside every comparison, such as NaN): the
  // breakpoint nearest by |x - xb|, the first of equals.
  std::size_t best = 0;
  for (std::size_t i = 1; i < n; ++i)
    if (std::fabs(x - xb[i]) < std::fabs(x - xb[best])) best = i;
  return v[best];
}

}  // namespace elements::beam_column
