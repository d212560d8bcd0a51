#include "elements/inelastic/beam_column.h"

#include <algorithm>
#include <cmath>

namespace elements::beam_column {

namespace {

// A zero tangent: the softest series spring there is.
constexpr float kSoftSpring = 1.0e-20f;

}  // namespace

float hinge_flexibility(float tangent, float elastic) {
  if (elastic == 0.0f) return 0.0f;
  const float t = tangent == 0.0f ? kSoftSpring : tangent;
  return 1.0f / t - 1.0f / elastic;
}

PairTerms flexible_member_pair(float fa, float fb, float c, float e) {
  const float det = fa * fb + (fa + fb) * c + e;
  return {(fb + c) / det, c / 2.0f / det, (fa + c) / det};
}

PairTerms flexible_ends_pair(float fa, float fb, float ea, float eb) {
  const float det = fa * fb + 3.0f / (ea * ea) + (fa + fb) * 2.0f / ea;
  return {(2.0f / ea + fb) / det, 1.0f / ea / det, (2.0f / eb + fa) / det};
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

namespace elements::beam_column {

namespace {

enum class Surface { family1, family5 };

// The ratio of an end on the interaction surface: 1.0 when one moment
// reaches its reduced capacity alone (or the capacity is zero), else the sum
// of the two ratios to the power alpha.
float end_ratio(float my, float mz, float cy, float cz, float alpha) {
  const float ry = std::fabs(my);
  const float rz = std::fabs(mz);
  if (cy == 0.0f || cz == 0.0f) return 1.0f;
  const float y = ry / cy;
  const float z = rz / cz;
  if (y >= 1.0f || z >= 1.0f) return 1.0f;
  return std::pow(y, alpha) + std::pow(z, alpha);
}

// Reduced capacity (1 - n) 1.2 M0, never above M0 in magnitude; taken as a
// magnitude so a capacity typed negative still gives finite ratios.
float reduced(float n, float m0) {
  float c = (1.0f - n) * 1.2f * m0;
  if (std::fabs(m0) < std::fabs(c)) c = m0;
  return std::fabs(c);
}

int surface(const EndActions& f, const Nominal& nom, int iafag, Surface kind) {
  const int base = kind == Surface::family1 ? 1 : 5;
  if (f.p >= 0.0f) return iafag;
  // No axial capacity: the surface is reached at any compression.
  const float n = nom.p0 == 0.0f ? 1.0f : std::fabs(f.p / nom.p0);
  if (n == 0.0f) return iafag;
  if (n >= 1.0f) return base + 3;
  // Family 1 advances from 1, 2 or 3; family 5 only from 5.
  if (kind == Surface::family5 ? iafag != base : (iafag < base || iafag > base + 2)) return iafag;
  const float alpha = 1.7f - n / std::log(n);
  const float cy = reduced(n, nom.m0y);
  const float cz = reduced(n, nom.m0z);
  auto on = [&](float my, float mz) { return end_ratio(my, mz, cy, cz, alpha) >= 1.0f; };
  if (iafag == base) {
    const bool a = on(f.mya, f.mza);
    const bool b = on(f.myb, f.mzb);
    if (a && b) return base + 3;
    if (a) return base + 1;
    if (b) return base + 2;
    return iafag;
  }
  if (iafag == base + 1) return on(f.myb, f.mzb) ? base + 3 : iafag;
  return on(f.mya, f.mza) ? base + 3 : iafag;
}

float cubic(float p, std::span<const float, 4> a) {
  const float x = -p;
  return a[0] + a[1] * x + a[2] * x * x + a[3] * x * x * x;
}

}  // namespace

int yldst1(const EndActions& f, const Nominal& n, int iafag) { return surface(f, n, iafag, Surface::family1); }

int yldst2(const EndActions& f, const Nominal& n, int iafag) { return surface(f, n, iafag, Surface::family5); }

float pmyld1(float p, float m0, std::span<const float, 4> a) {
  const float m = cubic(p, a);
  if (a[2] == 0.0f && a[3] == 0.0f && m > m0) return m0;
  return m;
}

float pmyld2(const EndActions& f, float m0, std::span<const float, 4> a, int& iafag) {
  const float cap = pmyld1(f.p, m0, a);
  const bool at_a = std::fabs(f.mya) >= cap;
  const bool at_b = std::fabs(f.myb) >= cap;
  iafag = at_a ? (at_b ? 12 : 10) : (at_b ? 11 : 9);
  return cap;
}

float pmcub(float p, std::span<const float, 4> b) { return cubic(p, b); }

float shrcap(float vci, float vcf, float vc7, float vs, float pn, float mu) {
  float vc = vcf;
  if (mu <= 3.0f)
    vc = vci;
  else if (mu <= 7.0f)
    vc = vci + (mu - 3.0f) * (vc7 - vci) / 4.0f;
  else if (mu <= 15.0f)
    vc = vc7 + (mu - 7.0f) * (vcf - vc7) / 8.0f;
  return vc + vs + pn;
}

float jshcap(float s1, float y3, float y7, float s2, float mu) {
  float y = y7;
  if (mu <= 3.0f)
    y = y3;
  else if (mu <= 7.0f)
    y = y3 + (mu - 3.0f) * (y7 - y3) / 4.0f;
  const float radicand = y * y - (s1 + s2) * y + s1 * s2;
  if (!(radicand > 0.0f)) return 0.0f;
  return std::sqrt(radicand);
}

}  // namespace elements::beam_column
