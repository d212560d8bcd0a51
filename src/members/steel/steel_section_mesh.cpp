#include "members/steel/steel_section_mesh.h"

#include <cmath>
#include <cstdint>

#include "fio/fio.h"

namespace members {

namespace {

constexpr float kPi = 3.1415925f;
constexpr float kTwoPi = 6.283185f;

// A count of cells: a whole number of at least 1 (0 otherwise).
std::int64_t whole(float x) {
  if (!std::isfinite(x) || x < 1.0f || x > static_cast<float>(kMaxFibres) || x != std::floor(x)) {
    return 0;
  }
  return static_cast<std::int64_t>(x);
}

std::int64_t whole(int x) { return x >= 1 && x <= kMaxFibres ? x : 0; }

bool all_counts(const std::array<int, 4>& r) {
  return whole(r[0]) > 0 && whole(r[1]) > 0 && whole(r[2]) > 0 && whole(r[3]) > 0;
}

// Mirrors fibres 1..nq into three more quarters in the order given by the
// sign pairs, AREA and FLEN copied.
void mirror(const FibreMesh& m, int nq, const std::array<std::array<float, 2>, 3>& signs) {
  for (int q = 0; q < 3; ++q) {
    for (int k = 0; k < nq; ++k) {
      const int j = (q + 1) * nq + k;
      m.u[j] = signs[q][0] * m.u[k];
      m.v[j] = signs[q][1] * m.v[k];
      m.area[j] = m.area[k];
      m.flen[j] = m.flen[k];
    }
  }
}

// Box and rectangle mirror (U,-V), (-U,V), (-U,-V); the tubes (-U,V), (U,-V), (-U,-V).
constexpr std::array<std::array<float, 2>, 3> kBoxMirror{{{1.0f, -1.0f}, {-1.0f, 1.0f}, {-1.0f, -1.0f}}};
constexpr std::array<std::array<float, 2>, 3> kTubeMirror{{{-1.0f, 1.0f}, {1.0f, -1.0f}, {-1.0f, -1.0f}}};

void sect1_box(const SectionWords& w, const FibreMesh& m) {
  const float h = w.d1, wd = w.d2, t = w.t;
  const int nw = static_cast<int>(w.n1), nh = static_cast<int>(w.n2);
  const float wclear = wd - 2.0f * t;
  const float dh = (h / 2.0f - t) / static_cast<float>(nh - 1);
  const float dw = (wclear / 2.0f) / static_cast<float>(nw);
  const float uweb = wd / 2.0f - t / 2.0f;
  const float vflange = -h / 2.0f + t / 2.0f;
  m.u[0] = uweb;
  m.v[0] = vflange;
  m.area[0] = t * t;
  m.flen[0] = t;
  for (int k = 1; k <= nh - 1; ++k) {  // web cells, upward from the corner
    m.u[k] = uweb;
    m.v[k] = -h / 2.0f + t + (static_cast<float>(k) - 0.5f) * dh;
    m.area[k] = dh * t;
    m.flen[k] = dh;
  }
  for (int k = 1; k <= nw; ++k) {  // flange cells, from the corner toward U = 0
    const int j = nh - 1 + k;
    m.u[j] = wclear / 2.0f - (static_cast<float>(k) - 0.5f) * dw;
    m.v[j] = vflange;
    m.area[j] = dw * t;
    m.flen[j] = dw;
  }
  mirror(m, nw + nh, kBoxMirror);
}

// One ring of 4*nq fibres of radius r from fibre `first`, each of length and
// area given.
void ring(const FibreMesh& m, int first, int nq, float r, float flen, float area) {
  const float delta = kPi / (2.0f * static_cast<float>(nq));
  const FibreMesh q{m.u.subspan(first), m.v.subspan(first), m.area.subspan(first),
                    m.flen.subspan(first)};
  for (int k = 1; k <= nq; ++k) {
    const float th = (static_cast<float>(k) - 0.5f) * delta;
    q.u[k - 1] = r * std::sin(th);
    q.v[k - 1] = r * std::cos(th);
    q.area[k - 1] = area;
    q.flen[k - 1] = flen;
  }
  mirror(q, nq, kTubeMirror);
}

void sect2_tube(const SectionWords& w, const FibreMesh& m, int nump) {
  const int nq = static_cast<int>(w.n1);
  const float flen = kTwoPi * w.d1 / static_cast<float>(nump);
  ring(m, 0, nq, w.d1, flen, flen * w.t);
}

void sect3_rectangle(const SectionWords& w, const FibreMesh& m) {
  const float hh = w.d1, ww = w.d2;
  const int nu = static_cast<int>(w.n1), nh = static_cast<int>(w.n2);
  const float du = ww / (2.0f * static_cast<float>(nu));
  const float dv = hh / (2.0f * static_cast<float>(nh));
  for (int i = 1; i <= nu; ++i) {
    for (int j = 1; j <= nh; ++j) {
      const int k = (i - 1) * nh + j - 1;
      m.u[k] = ww / 2.0f - (static_cast<float>(i) - 0.5f) * du;
      m.v[k] = hh / 2.0f - (static_cast<float>(j) - 0.5f) * dv;
      m.area[k] = du * dv;
    }
  }
  const int nq = nu * nh;
  for (int q = 0; q < 3; ++q) {
    for (int k = 0; k < nq; ++k) {
      m.u[(q + 1) * nq + k] = kBoxMirror[q][0] * m.u[k];
      m.v[(q + 1) * nq + k] = kBoxMirror[q][1] * m.v[k];
      m.area[(q + 1) * nq + k] = m.area[k];
    }
  }
  // Half sides for the torsion constant, the larger first.
  m.flen[0] = hh < ww ? ww / 2.0f : hh / 2.0f;
  m.flen[1] = hh < ww ? hh / 2.0f : ww / 2.0f;
}

void sect4_wide_flange(const SectionWords& w, const FibreMesh& m) {
  const float d = w.d1, bf = w.d2, tw = w.n1, tf = w.t;
  const float hw = d - 2.0f * tf;
  const int nl = w.irev[0], nc = w.irev[1], wc = w.irev[2], wl = w.irev[3];
  const float cw = bf / static_cast<float>(nc), lt = tf / static_cast<float>(nl);
  int k = 0;
  for (int flange = 0; flange < 2; ++flange) {  // top, then bottom
    for (int i = 1; i <= nl; ++i) {
      for (int j = 1; j <= nc; ++j, ++k) {
        m.u[k] = -bf / 2.0f + (static_cast<float>(j) - 0.5f) * cw;
        const float depth = (static_cast<float>(i) - 0.5f) * lt;
        m.v[k] = flange == 0 ? d / 2.0f - depth : -d / 2.0f + depth;
        m.area[k] = cw * lt;
      }
    }
  }
  const float wcw = tw / static_cast<float>(wc), wlt = hw / static_cast<float>(wl);
  for (int i = 1; i <= wl; ++i) {
    for (int j = 1; j <= wc; ++j, ++k) {
      m.u[k] = -tw / 2.0f + (static_cast<float>(j) - 0.5f) * wcw;
      m.v[k] = hw / 2.0f - (static_cast<float>(i) - 0.5f) * wlt;
      m.area[k] = wcw * wlt;
    }
  }
  m.flen[0] = (tw * tw * tw * hw + 2.0f * tf * tf * tf * bf) / 3.0f;
}

void sect5_plate_angles(const SectionWords& w, const FibreMesh& m) {
  const float a = w.d1, b = w.d2, cl = w.eccx0, t = w.t;
  const int n1 = static_cast<int>(w.n1), n2 = static_cast<int>(w.n2);
  const float yc = (a * b * b / 2.0f + cl * cl * t + cl * t * t + 4.0f * t * b * cl -
                    2.0f * t * t * b - t * t * t) /
                   (a * b + 4.0f * t * cl - 2.0f * t * t);
  const float ds = (cl - t) / static_cast<float>(n1) / 2.0f;
  const float dw = a / (2.0f * static_cast<float>(n2)) / 2.0f;
  const float vleg = b + t / 2.0f - yc;
  int k = 0;
  auto put = [&](float u, float v, float area, float flen) {
    m.u[k] = u;
    m.v[k] = v;
    m.area[k] = area;
    m.flen[k] = flen;
    ++k;
  };
  for (int side = 0; side < 2; ++side) {  // right angle, then left
    const float s = side == 0 ? 1.0f : -1.0f;
    put(s * (a / 2.0f - t / 2.0f), vleg, t * t, t);
    for (int c = 1; c <= n1; ++c) {  // horizontal leg, tip toward heel
      put(s * (a / 2.0f - cl + static_cast<float>(2 * c - 1) * ds), vleg, 2.0f * ds * t, 2.0f * ds);
    }
    for (int c = 1; c <= n1; ++c) {  // vertical leg, top down
      put(s * (a / 2.0f - t / 2.0f), b + cl - yc - static_cast<float>(2 * c - 1) * ds,
          2.0f * ds * t, 2.0f * ds);
    }
  }
  for (int side = 0; side < 2; ++side) {  // plate: right half, then left, edge inward
    const float s = side == 0 ? 1.0f : -1.0f;
    for (int c = 1; c <= n2; ++c) {
      put(s * (a / 2.0f - static_cast<float>(2 * c - 1) * dw), b / 2.0f - yc, 2.0f * dw * b,
          2.0f * dw);
    }
  }
}

void sect6_two_rings(const SectionWords& w, const FibreMesh& m, int nump) {
  const int nq = static_cast<int>(w.n1);
  const int nh = nump / 2;
  for (int r = 0; r < 2; ++r) {
    const float rad = r == 0 ? w.d1 + w.t / 4.0f : w.d1 - w.t / 4.0f;
    const float flen = kTwoPi * rad / static_cast<float>(nh);
    ring(m, r * nh, nq, rad, flen, (w.t / 2.0f) * flen);
  }
}

void sect7_angle(const SectionWords& w, const FibreMesh& m, float vsign) {
  const float l = w.d1, t = w.t;
  const int c1 = w.irev[0], l1 = w.irev[1], c2 = w.irev[2], l2 = w.irev[3];
  const float c = (l * l + l * t - t * t) / (4.0f * l - 2.0f * t);
  const float a1 = l / static_cast<float>(c1), b1 = t / static_cast<float>(l1);
  int k = 0;
  for (int i = 1; i <= l1; ++i) {
    for (int j = 1; j <= c1; ++j, ++k) {
      m.u[k] = c - l + (static_cast<float>(j) - 0.5f) * a1;
      m.v[k] = vsign * (c - (static_cast<float>(i) - 0.5f) * b1);
      m.area[k] = a1 * b1;
      m.flen[k] = a1;
    }
  }
  const float a2 = (l - t) / static_cast<float>(c2), b2 = t / static_cast<float>(l2);
  for (int i = 1; i <= l2; ++i) {
    for (int j = 1; j <= c2; ++j, ++k) {
      m.u[k] = c - (static_cast<float>(i) - 0.5f) * b2;
      m.v[k] = vsign * (c - l + (static_cast<float>(j) - 0.5f) * a2);
      m.area[k] = a2 * b2;
      m.flen[k] = a2;
    }
  }
}

}  // namespace

int steel_fibre_count(const SectionWords& w) {
  std::int64_t n = 0;
  const auto& r = w.irev;
  switch (w.libn) {
    case kLibBox: {
      const std::int64_t nw = whole(w.n1), nh = whole(w.n2);
      n = nw > 0 && nh >= 2 ? 4 * (nw + nh) : 0;
      break;
    }
    case kLibTube: n = 4 * whole(w.n1); break;
    case kLibRectangle: n = 4 * whole(w.n1) * whole(w.n2); break;
    case kLibWideFlange:
      n = all_counts(r) ? 2 * whole(r[0]) * whole(r[1]) + whole(r[2]) * whole(r[3]) : 0;
      break;
    case kLibPlateAngles: {
      const std::int64_t n1 = whole(w.n1), n2 = whole(w.n2);
      n = n1 > 0 && n2 > 0 ? 4 * n1 + 2 * n2 + 2 : 0;
      break;
    }
    case kLibTwoRings: n = 8 * whole(w.n1); break;
    case kLibAngle:
    case kLibAngleMirrored:
      n = all_counts(r) ? whole(r[0]) * whole(r[1]) + whole(r[2]) * whole(r[3]) : 0;
      break;
    default: n = 0; break;  // library 9 has no mesh; other numbers no library
  }
  return n > kMaxFibres ? 0 : static_cast<int>(n);
}

void print_section_not_available(int set, float libn_word) {
  fio::write(6, "(1X,'MAT. NO.    =',I3,' IS NOT AVAILABLE',' LIBN= ',E10.3,' CHECK LIBN ',/)", set,
             libn_word);
}

MeshResult ecclib(const SectionWords& w, const FibreMesh& mesh) {
  MeshResult res;
  res.iecop = w.iecop;
  const int nump = steel_fibre_count(w);
  if (nump == 0 || mesh.u.size() < static_cast<std::size_t>(nump) ||
      mesh.v.size() < static_cast<std::size_t>(nump) ||
      mesh.area.size() < static_cast<std::size_t>(nump) ||
      mesh.flen.size() < static_cast<std::size_t>(nump)) {
    return res;
  }
  switch (w.libn) {
    case kLibBox: sect1_box(w, mesh); break;
    case kLibTube: sect2_tube(w, mesh, nump); break;
    case kLibRectangle: sect3_rectangle(w, mesh); break;
    case kLibWideFlange: sect4_wide_flange(w, mesh); break;
    case kLibPlateAngles: sect5_plate_angles(w, mesh); break;
    case kLibTwoRings: sect6_two_rings(w, mesh, nump); break;
    case kLibAngle: sect7_angle(w, mesh, 1.0f); break;
    case kLibAngleMirrored: sect7_angle(w, mesh, -1.0f); break;
    default: return res;
  }
  res.nump = nump;
  if (w.libn == kLibPlateAngles) {
    if (w.iecop == 1) {
      fio::write_list(6, "1", "SECT5 LIBRARY FOR ECCENTRIC LOAD IS NOT", "AVAILABLE...............!");
      res.iecop = 0;
    }
  } else if (w.iecop == 1 || w.libn == kLibAngleMirrored) {
    res.ulp = w.eccx0;
    res.vlp = w.eccy0;
    res.offsets = true;
  }
  return res;
}

float torcon(const SectionWords& w, float tota, std::span<const float> flen,
             std::span<const float> area) {
  const int nump = static_cast<int>(flen.size());
  auto closed = [&](float s) { return s != 0.0f ? 4.0f * tota * tota * w.t / s : 0.0f; };
  switch (w.libn) {
    case kLibRectangle: {
      if (nump < 2 || flen[0] == 0.0f) return 0.0f;
      const float a = flen[0], b = flen[1];
      return a * b * b * b * (5.3333f - 3.36f * (b / a) * (1.0f - b * b * b * b / (12.0f * a * a * a * a)));
    }
    case kLibWideFlange: return nump >= 1 ? flen[0] : 0.0f;
    case kLibPlateAngles: {
      // Open thin walls: each cell stands for a length FLEN of wall AREA/FLEN thick.
      float tj = 0.0f;
      for (int i = 0; i < nump && i < static_cast<int>(area.size()); ++i) {
        if (flen[i] == 0.0f) continue;
        const float th = area[i] / flen[i];
        tj += th * th * th * flen[i] / 3.0f;
      }
      return tj;
    }
    case kLibTwoRings: {
      const int nh = nump / 2;
      float s = 0.0f;
      for (int i = 0; i < nh; ++i) s += (flen[i] + flen[nh + i]) / 2.0f;
      return closed(s);
    }
    case kLibAngle:
    case kLibAngleMirrored: {
      const int c1 = w.irev[0], l1 = w.irev[1], c2 = w.irev[2], l2 = w.irev[3];
      float t1 = 0.0f, t2 = 0.0f;
      for (int i = 0; i < l1; ++i) t1 += w.t / static_cast<float>(l1);
      for (int i = 0; i < l2; ++i) t2 += w.t / static_cast<float>(l2);
      float tj = 0.0f;
      for (int i = 0; i < c1 && i < nump; ++i) tj += t1 * t1 * t1 * flen[i] / 3.0f;
      for (int i = c1 * l1; i < c1 * l1 + c2 && i < nump; ++i) tj += t2 * t2 * t2 * flen[i] / 3.0f;
      return tj;
    }
    default: {  // closed thin wall: libraries 1, 2 and any other number
      float s = 0.0f;
      for (int i = 0; i < nump; ++i) s += flen[i];
      return closed(s);
    }
  }
}

}  // namespace members
