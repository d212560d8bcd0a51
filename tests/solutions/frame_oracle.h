// An independent double-precision model of the generated frames of
// support/frame_deck.h: the dense stiffness of Euler-Bernoulli 3D beams
// (axial, torsion, bending in two planes, no shear deformation), the lumped
// translational masses, a dense Cholesky solve and a subspace iteration for the
// lowest eigenpairs. Nothing of the program's code is used.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "support/frame_deck.h"

namespace oracle {

struct Dense {
  int n = 0;
  std::vector<double> a;  // row-major n x n
  explicit Dense(int order = 0) : n(order), a(static_cast<std::size_t>(order) * order, 0.0) {}
  double& operator()(int i, int j) { return a[static_cast<std::size_t>(i) * n + j]; }
  double operator()(int i, int j) const { return a[static_cast<std::size_t>(i) * n + j]; }
};

// The free degrees of freedom of a frame: 6 per node above the base.
struct FrameModel {
  kvtest::FrameSpec s;
  Dense k;
  std::vector<double> m;  // diagonal mass
  int dof(int node_id, int d) const { return (node_id - 1 - s.floor_nodes()) * 6 + d; }  // -1.. for the base
  bool free(int node_id) const { return node_id > s.floor_nodes(); }
};

// Adds the stiffness of one member between nodes a and b (coordinates pa, pb),
// local y along vy, section E, G, A, J, I (equal inertias).
inline void add_member(FrameModel& fm, int a, int b, std::array<double, 3> pa, std::array<double, 3> pb,
                       std::array<double, 3> vy, double e, double g, double area, double j, double inertia) {
  std::array<double, 3> x{pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
  const double l = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
  for (double& c : x) c /= l;
  std::array<double, 3> z{x[1] * vy[2] - x[2] * vy[1], x[2] * vy[0] - x[0] * vy[2], x[0] * vy[1] - x[1] * vy[0]};
  const double zl = std::sqrt(z[0] * z[0] + z[1] * z[1] + z[2] * z[2]);
  for (double& c : z) c /= zl;
  const std::array<double, 3> y{z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2], z[0] * x[1] - z[1] * x[0]};
  const std::array<std::array<double, 3>, 3> r{x, y, z};

  double kl[12][12] = {};
  const auto set = [&](int i, int jj, double v) {
    kl[i][jj] = v;
    kl[jj][i] = v;
  };
  const double ea = e * area / l, gj = g * j / l;
  const double s = 12.0 * e * inertia / (l * l * l), t = 6.0 * e * inertia / (l * l);
  const double k4 = 4.0 * e * inertia / l, k2 = 2.0 * e * inertia / l;
  set(0, 0, ea), set(6, 6, ea), set(0, 6, -ea);
  set(3, 3, gj), set(9, 9, gj), set(3, 9, -gj);
  // Bending in the x-y plane: v (1, 7), rotation about z (5, 11).
  set(1, 1, s), set(7, 7, s), set(1, 7, -s);
  set(1, 5, t), set(1, 11, t), set(7, 5, -t), set(7, 11, -t);
  set(5, 5, k4), set(11, 11, k4), set(5, 11, k2);
  // Bending in the x-z plane: w (2, 8), rotation about y (4, 10).
  set(2, 2, s), set(8, 8, s), set(2, 8, -s);
  set(2, 4, -t), set(2, 10, -t), set(8, 4, t), set(8, 10, t);
  set(4, 4, k4), set(10, 10, k4), set(4, 10, k2);

  // Global = T' k T, T = diag(r, r, r, r).
  double tm[12][12] = {};
  for (int blk = 0; blk < 4; ++blk)
    for (int i = 0; i < 3; ++i)
      for (int c = 0; c < 3; ++c) tm[3 * blk + i][3 * blk + c] = r[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)];
  double kt[12][12] = {};
  for (int i = 0; i < 12; ++i)
    for (int c = 0; c < 12; ++c) {
      double v = 0.0;
      for (int q = 0; q < 12; ++q) v += kl[i][q] * tm[q][c];
      kt[i][c] = v;
    }
  int map[12];
  for (int d = 0; d < 6; ++d) {
    map[d] = fm.free(a) ? fm.dof(a, d) : -1;
    map[d + 6] = fm.free(b) ? fm.dof(b, d) : -1;
  }
  for (int i = 0; i < 12; ++i) {
    if (map[i] < 0) continue;
    for (int c = 0; c < 12; ++c) {
      if (map[c] < 0) continue;
      double v = 0.0;
      for (int q = 0; q < 12; ++q) v += tm[q][i] * kt[q][c];
      fm.k(map[i], map[c]) += v;
    }
  }
}

inline FrameModel build(const kvtest::FrameSpec& s) {
  FrameModel fm;
  fm.s = s;
  const int n = s.storeys * s.floor_nodes() * 6;
  fm.k = Dense(n);
  fm.m.assign(static_cast<std::size_t>(n), 0.0);
  const auto pos = [&](int f, int ix, int iy) { return std::array<double, 3>{s.x(ix), s.y(iy), s.z(f)}; };
  const double eb = s.e * s.beam_e_factor, gb = s.g * s.beam_e_factor;
  for (int f = 1; f <= s.storeys; ++f) {
    for (int iy = 0; iy < s.side_y(); ++iy)
      for (int ix = 0; ix < s.side_x(); ++ix)
        add_member(fm, s.node(f - 1, ix, iy), s.node(f, ix, iy), pos(f - 1, ix, iy), pos(f, ix, iy), {1, 0, 0}, s.e,
                   s.g, s.col_a, s.col_j, s.col_i);
    for (int iy = 0; iy < s.side_y(); ++iy)
      for (int ix = 0; ix + 1 < s.side_x(); ++ix)
        add_member(fm, s.node(f, ix, iy), s.node(f, ix + 1, iy), pos(f, ix, iy), pos(f, ix + 1, iy), {0, 0, 1}, eb, gb,
                   s.beam_a, s.beam_j, s.beam_i);
    for (int iy = 0; iy + 1 < s.side_y(); ++iy)
      for (int ix = 0; ix < s.side_x(); ++ix)
        add_member(fm, s.node(f, ix, iy), s.node(f, ix, iy + 1), pos(f, ix, iy), pos(f, ix, iy + 1), {0, 0, 1}, eb, gb,
                   s.beam_a, s.beam_j, s.beam_i);
    for (int iy = 0; iy < s.side_y(); ++iy)
      for (int ix = 0; ix < s.side_x(); ++ix)
        for (int d = 0; d < 3; ++d)
          fm.m[static_cast<std::size_t>(fm.dof(s.node(f, ix, iy), d))] =
              f == s.storeys ? s.mass * s.roof_mass_factor : s.mass;
  }
  return fm;
}

// K = L L' in place (lower triangle).
inline void cholesky(Dense& k) {
  const int n = k.n;
  for (int j = 0; j < n; ++j) {
    double d = k(j, j);
    for (int q = 0; q < j; ++q) d -= k(j, q) * k(j, q);
    k(j, j) = std::sqrt(d);
    for (int i = j + 1; i < n; ++i) {
      double v = k(i, j);
      for (int q = 0; q < j; ++q) v -= k(i, q) * k(j, q);
      k(i, j) = v / k(j, j);
    }
  }
}

inline std::vector<double> solve(const Dense& l, std::vector<double> b) {
  const int n = l.n;
  for (int i = 0; i < n; ++i) {
    for (int q = 0; q < i; ++q) b[i] -= l(i, q) * b[q];
    b[i] /= l(i, i);
  }
  for (int i = n - 1; i >= 0; --i) {
    for (int q = i + 1; q < n; ++q) b[i] -= l(q, i) * b[q];
    b[i] /= l(i, i);
  }
  return b;
}

// Eigenvalues of the small symmetric pair (a, b), b positive definite, by
// Cholesky and Jacobi; ascending.
inline std::vector<double> small_eigen(Dense a, Dense b, Dense* vectors) {
  const int n = a.n;
  cholesky(b);
  // c = inv(L) a inv(L')
  for (int c = 0; c < n; ++c)
    for (int i = 0; i < n; ++i) {
      for (int q = 0; q < i; ++q) a(i, c) -= b(i, q) * a(q, c);
      a(i, c) /= b(i, i);
    }
  for (int r = 0; r < n; ++r)
    for (int i = 0; i < n; ++i) {
      for (int q = 0; q < i; ++q) a(r, i) -= b(i, q) * a(r, q);
      a(r, i) /= b(i, i);
    }
  Dense v(n);
  for (int i = 0; i < n; ++i) v(i, i) = 1.0;
  for (int sweep = 0; sweep < 60; ++sweep)
    for (int p = 0; p < n; ++p)
      for (int q = p + 1; q < n; ++q) {
        if (std::fabs(a(p, q)) < 1e-300) continue;
        const double th = 0.5 * std::atan2(2.0 * a(p, q), a(q, q) - a(p, p));
        const double cs = std::cos(th), sn = std::sin(th);
        for (int k = 0; k < n; ++k) {
          const double x = a(k, p), y = a(k, q);
          a(k, p) = cs * x - sn * y;
          a(k, q) = sn * x + cs * y;
        }
        for (int k = 0; k < n; ++k) {
          const double x = a(p, k), y = a(q, k);
          a(p, k) = cs * x - sn * y;
          a(q, k) = sn * x + cs * y;
        }
        for (int k = 0; k < n; ++k) {
          const double x = v(k, p), y = v(k, q);
          v(k, p) = cs * x - sn * y;
          v(k, q) = sn * x + cs * y;
        }
      }
  std::vector<int> order(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) order[static_cast<std::size_t>(i)] = i;
  std::sort(order.begin(), order.end(), [&](int x, int y) { return a(x, x) < a(y, y); });
  std::vector<double> ev;
  Dense out(n);
  for (int c = 0; c < n; ++c) {
    const int o = order[static_cast<std::size_t>(c)];
    ev.push_back(a(o, o));
    // back to the pair: inv(L') v
    for (int i = n - 1; i >= 0; --i) {
      double x = v(i, o);
      for (int q = i + 1; q < n; ++q) x -= b(q, i) * out(q, c);
      out(i, c) = x / b(i, i);
    }
  }
  if (vectors != nullptr) *vectors = out;
  return ev;
}

// The lowest `count` eigenvalues of K x = lambda M x (M diagonal, possibly
// singular) by subspace iteration with a block of 2 count + 4 vectors.
inline std::vector<double> lowest_eigenvalues(const FrameModel& fm, int count) {
  Dense l = fm.k;
  cholesky(l);
  const int n = l.n;
  const int q = 2 * count + 4;
  std::vector<std::vector<double>> x(static_cast<std::size_t>(q), std::vector<double>(static_cast<std::size_t>(n)));
  for (int j = 0; j < q; ++j)
    for (int i = 0; i < n; ++i) x[j][i] = fm.m[i] * std::sin(0.37 * (i + 1) * (j + 1) + 0.1 * j);
  std::vector<double> ev;
  for (int it = 0; it < 60; ++it) {
    std::vector<std::vector<double>> y(static_cast<std::size_t>(q));
    for (int j = 0; j < q; ++j) {
      std::vector<double> b(static_cast<std::size_t>(n));
      for (int i = 0; i < n; ++i) b[i] = fm.m[i] * x[j][i];
      y[j] = solve(l, b);
    }
    // Projection: K_r = Y' M X (K Y = M X), M_r = Y' M Y.
    Dense kr(q), mr(q);
    for (int a = 0; a < q; ++a)
      for (int b = 0; b < q; ++b) {
        double s1 = 0.0, s2 = 0.0;
        for (int i = 0; i < n; ++i) {
          s1 += y[a][i] * fm.m[i] * x[b][i];
          s2 += y[a][i] * fm.m[i] * y[b][i];
        }
        kr(a, b) = s1;
        mr(a, b) = s2;
      }
    for (int a = 0; a < q; ++a)
      for (int b = 0; b < a; ++b) {
        kr(a, b) = kr(b, a) = 0.5 * (kr(a, b) + kr(b, a));
        mr(a, b) = mr(b, a) = 0.5 * (mr(a, b) + mr(b, a));
      }
    Dense z;
    std::vector<double> nev = small_eigen(kr, mr, &z);
    for (int j = 0; j < q; ++j)
      for (int i = 0; i < n; ++i) {
        double v = 0.0;
        for (int a = 0; a < q; ++a) v += y[a][i] * z(a, j);
        x[j][i] = v;
      }
    bool done = !ev.empty();
    for (int j = 0; j < count && done; ++j) done = std::fabs(nev[j] - ev[j]) <= 1e-13 * nev[j];
    ev = nev;
    if (done) break;
  }
  ev.resize(static_cast<std::size_t>(count));
  return ev;
}

}  // namespace oracle
