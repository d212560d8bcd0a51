#include "members/fibre_section.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "base/globals.h"
#include "fio/fio.h"

namespace members {

namespace {

constexpr float kPi = 3.1415925f;
constexpr float kHalfPi = 1.5707963f;
constexpr float kSmallRatio = 0.03f;
constexpr float kAxialTolerance = 0.05f;

// |a/b|, with 0/0 taken as 0 (a section without rigidity in a direction has
// no product term either).
float ratio(float a, float b) { return a == 0.0f ? 0.0f : std::fabs(a / b); }

std::vector<float>& entry_words(std::size_t n) {
  thread_local std::vector<float> words;
  if (words.size() < n) words.resize(n);
  return words;
}

}  // namespace

void place_average_forces(const SegTable& floca, int iseg, const SectionResponse& r) {
  for (int k = 1; k <= 12; ++k) floca(iseg, k) = 0.0f;
  floca(iseg, 9) = r.axial;
  floca(iseg, 10) = r.mu;
  floca(iseg, 11) = r.mv;
  floca(iseg, 3) = -r.axial;
  floca(iseg, 4) = -r.mu;
  floca(iseg, 5) = -r.mv;
}

bool axial_converged(float daxial, float target, float base, bool floor) {
  float r = 0.0f;
  if (target != 0.0f) {
    r = daxial / target;
  } else {
    r = base != 0.0f ? daxial / base : (daxial == 0.0f ? 0.0f : INFINITY);
  }
  if (std::fabs(r) <= kAxialTolerance) return true;
  return floor && std::fabs(daxial) <= kAxialTolerance * std::fabs(base);
}

void warn_axial_passes(int ielno, int iseg, int count, float daxial) {
  // A miss that is not finite (strains beyond the number range) is named, not
  // printed; the element's forces then end the solution.
  const std::string miss = std::isfinite(daxial) ? fio::format("('=',E12.3)", daxial) : " IS NOT FINITE";
  fio::write(6,
             "(' ** WARNING: NO. OF ITER FOR STABILITY ELE',I5,'SEG. ',I5,'IS GREATER THAN ',"
             "I5,' DAXIAL',A,' AT STEP=',I5,/)",
             ielno, iseg, count, miss, kv::solsta().istep);
}

void add_fibre(SectionSums& s, float ea, float u, float v) {
  s.ea0 += ea;
  s.esv0 += ea * v;
  s.esu0 += ea * u;
  s.eiu0 += ea * v * v;
  s.eiv0 += ea * u * u;
  s.eiuv0 += ea * u * v;
  s.esv_abs += std::fabs(ea * v);
  s.esu_abs += std::fabs(ea * u);
  s.eiuv_abs += std::fabs(ea * u * v);
  ++s.terms;
}

float beyond_rounding(float sum, float magnitude, int terms) {
  const float bound = static_cast<float>(terms) * std::numeric_limits<float>::epsilon() * magnitude;
  return std::fabs(sum) <= bound ? 0.0f : sum;
}

SectionResponse response_of(const PrincipalAxes& ax, float gj) {
  SectionResponse r;
  r.ea = ax.ea;
  r.eiu = ax.eiu;
  r.eiv = ax.eiv;
  r.gj = gj;
  r.uc0 = ax.uc0;
  r.vc0 = ax.vc0;
  r.beta = ax.beta;
  return r;
}

PrincipalAxes principal_axes(const SectionSums& s, float beta_prev, float uc_mesh, float vc_mesh) {
  PrincipalAxes p;
  if (s.ea0 == 0.0f) {
    p.uc0 = uc_mesh;
    p.vc0 = vc_mesh;
    p.beta = beta_prev;
    p.degenerate = true;
    return p;
  }
  const float esu0 = beyond_rounding(s.esu0, s.esu_abs, s.terms);
  const float esv0 = beyond_rounding(s.esv0, s.esv_abs, s.terms);
  const float eiuv0 = beyond_rounding(s.eiuv0, s.eiuv_abs, s.terms);
  p.uc0 = esu0 / s.ea0;
  p.vc0 = esv0 / s.ea0;
  p.eiu1 = s.eiu0 - p.vc0 * p.vc0 * s.ea0;
  p.eiv1 = s.eiv0 - p.uc0 * p.uc0 * s.ea0;
  p.eiuv1 = eiuv0 - p.uc0 * p.vc0 * s.ea0;

  const float d = ratio(p.eiv1 - p.eiu1, p.eiv1);
  const float r1 = ratio(p.eiuv1, p.eiv1);
  const float r2 = ratio(p.eiuv1, p.eiu1);
  float b = 0.0f;
  if (r1 <= kSmallRatio || r2 <= kSmallRatio) {
    b = 0.0f;
  } else if (d <= kSmallRatio) {
    b = 0.5f * std::atan2(2.0f * p.eiuv1, 0.0f);
  } else {
    b = 0.5f * std::atan2(2.0f * p.eiuv1, p.eiv1 - p.eiu1);
  }
  if (b > kHalfPi && b <= kPi) {
    b -= kPi;
  } else if (b >= -kPi && b < -kHalfPi) {
    b += kPi;
  }
  if (std::fabs(std::fabs(b) - kHalfPi) < kSmallRatio) {
    b = b < 0.0f ? -kHalfPi : kHalfPi;
  } else if (std::fabs(b) < kSmallRatio) {
    b = 0.0f;
  }
  p.beta = b;

  p.ea = s.ea0;
  const float m = (p.eiv1 + p.eiu1) / 2.0f;
  const float h = (p.eiu1 - p.eiv1) / 2.0f;
  const float c2 = std::cos(2.0f * b), s2 = std::sin(2.0f * b);
  if (b == 0.0f) {
    p.eiu = p.eiu1;
    p.eiv = p.eiv1;
  } else {
    p.eiu = m + h * c2 - p.eiuv1 * s2;
    p.eiv = m - h * c2 + p.eiuv1 * s2;
  }
  p.eiuv = h * s2 + p.eiuv1 * c2;
  return p;
}

EntryState::EntryState(std::span<const SegTable> rows, std::span<float* const> words, int iseg, int nump)
    : rows_(rows), words_(words), iseg_(iseg), nump_(nump) {
  const std::size_t n = rows.size() * static_cast<std::size_t>(nump) + words.size();
  std::vector<float>& c = entry_words(n);
  std::size_t w = 0;
  for (const SegTable& r : rows_) {
    for (int i = 1; i <= nump_; ++i) c[w++] = r(iseg_, i);
  }
  for (float* p : words_) c[w++] = *p;
}

void EntryState::restore() const {
  const std::vector<float>& c = entry_words(0);
  std::size_t w = 0;
  for (const SegTable& r : rows_) {
    for (int i = 1; i <= nump_; ++i) r(iseg_, i) = c[w++];
  }
  for (float* p : words_) *p = c[w++];
}

}  // namespace members
