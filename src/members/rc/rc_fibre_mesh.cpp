// The meshes work in single precision with their own constants, so that the
// fibre coordinates are those the section laws were tuned with.
#include "members/rc/rc_fibre_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "base/globals.h"
#include "fio/fio.h"
#include "members/rc/rc_section_head.h"

namespace members::rc {

namespace {

constexpr float kTwoPi = 6.283185f;
constexpr float kPi = 3.1415925f;       // the bar areas' pi
constexpr float kCentreRatio = 0.05f;   // radius of the centre fibres over R0

// Writes fibre k (1-based) when the table holds it; counts every fibre placed.
class Placer {
 public:
  explicit Placer(FibreTable t) : t_(t) {}
  void put(int k, float u, float v, float area, float length) {
    if (put(k, u, v, area) && static_cast<std::size_t>(k - 1) < t_.length.size())
      t_.length[static_cast<std::size_t>(k - 1)] = length;
  }
  // Without a length (the rectangular mesh writes only the first two).
  bool put(int k, float u, float v, float area) {
    ++placed_;
    if (k < 1) return false;
    const auto i = static_cast<std::size_t>(k - 1);
    if (i >= t_.u.size() || i >= t_.v.size() || i >= t_.area.size()) return false;
    t_.u[i] = u;
    t_.v[i] = v;
    t_.area[i] = area;
    return true;
  }
  int placed() const { return placed_; }

 private:
  FibreTable t_;
  int placed_ = 0;
};

// The rings of layers 1..NLAY and the four centre fibres, fibres 1..4*NQ*NLAY+4.
void circular_layers(const SectionGeometry& g, Placer& p) {
  const int nq = g.n1;
  const int nlay = g.n2;
  const float r0 = g.d1 / 2.0f;
  const float inner = nlay > 2 ? (r0 - kCentreRatio * r0 - g.d2 - g.t2) / static_cast<float>(nlay - 2) : 0.0f;
  const float dtheta = kTwoPi / 4.0f / static_cast<float>(nq);
  float above = 0.0f;  // thickness of the layers outside this one
  for (int i = 1; i <= nlay; ++i) {
    const float ti = i == 1 ? g.d2 : (i == 2 ? g.t2 : inner);
    const float ri = r0 - ti / 2.0f - above;
    above += ti;
    const float length = kTwoPi * ri / static_cast<float>(4 * nq);
    const float area = length * ti;
    const int first = (i - 1) * 4 * nq;
    float theta = dtheta / 2.0f;
    for (int j = 1; j <= nq; ++j) {
      const float tn = std::tan(theta);
      const float v = std::sqrt(ri * ri / (1.0f + tn * tn));
      const float u = tn * v;
      p.put(first + j, u, v, area, length);
      p.put(first + nq + j, -u, v, area, length);
      p.put(first + 2 * nq + j, u, -v, area, length);
      p.put(first + 3 * nq + j, -u, -v, area, length);
      theta += dtheta;
    }
  }
  const float r = kCentreRatio * r0;
  const float a = r / 2.0f;
  const float area = kPi * r * r / 4.0f;
  const int first = 4 * nq * nlay;
  p.put(first + 1, a, a, area, 0.0f);
  p.put(first + 2, -a, a, area, 0.0f);
  p.put(first + 3, a, -a, area, 0.0f);
  p.put(first + 4, -a, -a, area, 0.0f);
}

void take_eccentricity(const SectionGeometry& g, float& eccx, float& eccy) {
  if (g.iecop == 1) {
    eccx = g.eccx0;
    eccy = g.eccy0;
  }
}

}  // namespace

SectionGeometry section_geometry(const float* prop) {
  SectionGeometry g;
  g.libn = head_int(prop, kLIBN);
  g.d1 = prop[kD1];
  g.d2 = prop[kD2];
  g.eccx0 = prop[kECCX0];
  g.eccy0 = prop[kECCY0];
  g.n1 = head_int(prop, kN1);
  g.n2 = head_int(prop, kN2);
  g.t2 = prop[kT2];
  g.iecop = head_int(prop, kIECOP);
  g.nbar1 = head_int(prop, kNBAR1);
  g.dbar1 = prop[kDBAR1];
  g.nbar2 = head_int(prop, kNBAR2);
  g.dbar2 = prop[kDBAR2];
  g.nbar3 = head_int(prop, kNBAR3);
  g.dbar3 = prop[kDBAR3];
  return g;
}

int sectc1(const SectionGeometry& g, FibreTable t) {
  Placer p(t);
  circular_layers(g, p);
  return 4 * g.n1 * g.n2 + 4;
}

int sectc2(const SectionGeometry& g, FibreTable t) {
  Placer p(t);
  circular_layers(g, p);
  const int nbar = std::max(g.nbar1, 0);
  const int first = 4 * g.n1 * g.n2 + 4;
  const float r2 = g.d1 / 2.0f - g.d2 - g.t2 / 2.0f;
  const float area = kPi * g.t2 * g.t2 / 4.0f;
  const float dphi = nbar > 0 ? kTwoPi / static_cast<float>(nbar) : 0.0f;
  float phi = 0.0f;
  for (int m = 1; m <= nbar; ++m) {
    p.put(first + m, r2 * std::sin(phi), r2 * std::cos(phi), area, 0.0f);
    phi += dphi;
  }
  return first + nbar;
}

int sect11(const SectionGeometry& g, FibreTable t) {
  const int nu = g.n1;
  const int nh = g.n2;
  const int ntop = g.nbar1;
  const int nbot = g.nbar2;
  const int nside = g.nbar3;
  const int nump = 4 * nu * nh + 4 * (nu + nh) + 4 + ntop + nbot + 2 * nside;
  const float hh = g.d1;
  const float uu = g.d2;
  const float c = g.t2;
  Placer p(t);

  // Core grid: quadrant 1, then (U,-V), (-U,V), (-U,-V).
  const float cu = uu - 2.0f * c;
  const float ch = hh - 2.0f * c;
  const float hu = cu / static_cast<float>(2 * nu);
  const float hv = ch / static_cast<float>(2 * nh);
  const int n0 = nu * nh;
  for (int i = 1; i <= nu; ++i) {
    for (int j = 1; j <= nh; ++j) {
      const int k = (i - 1) * nh + j;
      const float u = cu / 2.0f - (static_cast<float>(i) - 0.5f) * hu;
      const float v = ch / 2.0f - (static_cast<float>(j) - 0.5f) * hv;
      const float area = hu * hv;
      p.put(k, u, v, area);
      p.put(n0 + k, u, -v, area);
      p.put(2 * n0 + k, -u, v, area);
      p.put(3 * n0 + k, -u, -v, area);
    }
  }

  // Cover strips: corner, along the V face from the corner centre, along the
  // U face; the same four quarter blocks.
  const int s = nu + nh + 1;
  const int cover = 4 * n0;
  auto put_cover = [&](int m, float u, float v, float area) {
    p.put(cover + m, u, v, area);
    p.put(cover + s + m, u, -v, area);
    p.put(cover + 2 * s + m, -u, v, area);
    p.put(cover + 3 * s + m, -u, -v, area);
  };
  const float ucorner = uu / 2.0f - c / 2.0f;
  const float vcorner = hh / 2.0f - c / 2.0f;
  put_cover(1, ucorner, vcorner, c * c);
  for (int m = 2; m <= nu + 1; ++m)
    put_cover(m, ucorner - static_cast<float>(m - 1) * hu, vcorner, hu * c);
  for (int m = 1; m <= nh; ++m)
    put_cover(nu + 1 + m, ucorner, hh / 2.0f - c - (static_cast<float>(m) - 0.5f) * hv, hv * c);

  int k = cover + 4 * s;
  if (ntop > 0) {
    const float lt = uu - 2.0f * c - g.dbar1;
    const float step = lt / static_cast<float>(ntop - 1);
    const float v = hh / 2.0f - c - g.dbar1 / 2.0f;
    const float area = kPi * g.dbar1 * g.dbar1 / 4.0f;
    for (int m = 1; m <= ntop; ++m) p.put(++k, lt / 2.0f - static_cast<float>(m - 1) * step, v, area);
  }
  if (nbot > 0) {
    const float lb = uu - 2.0f * c - g.dbar2;
    const float step = lb / static_cast<float>(nbot - 1);
    const float v = -(hh / 2.0f - c - g.dbar2 / 2.0f);
    const float area = kPi * g.dbar2 * g.dbar2 / 4.0f;
    for (int m = 1; m <= nbot; ++m) p.put(++k, lb / 2.0f - static_cast<float>(m - 1) * step, v, area);
  }
  if (nside > 0) {
    const float ls = ch - g.dbar1 / 2.0f - g.dbar2 / 2.0f;
    const float step = ls / static_cast<float>(nside + 1);
    const float u = cu / 2.0f - g.dbar3 / 2.0f;
    const float area = kPi * g.dbar3 * g.dbar3 / 4.0f;
    for (int m = 1; m <= nside; ++m) p.put(k + m, u, ls / 2.0f - static_cast<float>(m) * step, area);
    for (int m = 1; m <= nside; ++m) p.put(k + nside + m, -u, ls / 2.0f - static_cast<float>(m) * step, area);
  }

  if (!t.length.empty()) t.length[0] = std::max(hh, uu) / 2.0f;
  if (t.length.size() > 1) t.length[1] = std::min(hh, uu) / 2.0f;

  if (p.placed() != nump) {
    fio::write_list(6, "INCORRECT NUMP IN SECT11, PROGRAM STOP");
    kv::stop_run(1, "INCORRECT NUMP IN SECT11, PROGRAM STOP");
  }
  return nump;
}

int sectlb(const SectionGeometry& g, FibreTable t, float& eccx, float& eccy) {
  int nump = 0;
  switch (g.libn) {
    case kCircularShell: nump = sectc1(g, t); break;
    case kCircularBars: nump = sectc2(g, t); break;
    case kRectangular: nump = sect11(g, t); break;
    default: return 0;
  }
  take_eccentricity(g, eccx, eccy);
  return nump;
}

}  // namespace members::rc
