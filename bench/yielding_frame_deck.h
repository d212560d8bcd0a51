// The deck of a yielding 3D frame under a two-component ground record: a
// regular grid of storeys and bays of type-9 members (IE3DBEAM) whose bending
// ends are bilinear hinges (IA_BILN), 100 kips at every floor node, Rayleigh
// damping, the average-acceleration method. Strong enough a record that many
// hinges yield and re-yield, so that the stiffness is formed again in a good
// share of the steps, as in a design-level earthquake.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

namespace kvbench {

struct YieldingFrame {
  int storeys = 10;
  int bays = 3;           // in X and in Y
  int steps = 3000;
  double dt = 0.005;
  double bay = 288.0;     // in
  double height = 144.0;  // in
  double weight = 100.0;  // kips at every floor node
  double peak_g = 0.6;    // peak ground acceleration of the X record (Y: 0.7 of it)
  int iprint = 1000;      // print every iprint-th step

  int side() const { return bays + 1; }
  int floor_nodes() const { return side() * side(); }
  int nodes() const { return (storeys + 1) * floor_nodes(); }
  int node(int f, int ix, int iy) const { return f * floor_nodes() + iy * side() + ix + 1; }
  int columns() const { return storeys * floor_nodes(); }
  int beams() const { return storeys * 2 * bays * side(); }
  int elements() const { return columns() + beams(); }
};

// A ground acceleration in g at time t: three harmonics under a rise, a
// plateau and a decay, so that the frame goes back and forth through yield.
inline double ground_g(double t, double peak, double phase) {
  const double rise = std::fmin(1.0, t / 2.0);
  const double decay = t > 10.0 ? std::exp(-(t - 10.0) / 4.0) : 1.0;
  const double pi = 3.14159265358979;
  const double s = std::sin(2.0 * pi * 0.9 * t + phase) + 0.6 * std::sin(2.0 * pi * 2.3 * t + 1.0 + phase) +
                   0.3 * std::sin(2.0 * pi * 5.1 * t + 2.0 * phase);
  return peak * rise * decay * s / 1.9;
}

inline std::string yielding_frame_deck(const YieldingFrame& s) {
  std::string d;
  char line[320];
  const auto add = [&](const char* text) { d += text; };
  d.reserve(static_cast<std::size_t>(s.elements()) * 160 + static_cast<std::size_t>(s.steps) * 30);
  add("STR\n'YIELDING FRAME UNDER A TWO-COMPONENT GROUND RECORD'\n");
  std::snprintf(line, sizeof line, "%d 1 1 0 0 1.0\n", s.nodes());
  add(line);
  for (int f = 0; f <= s.storeys; ++f)
    for (int iy = 0; iy < s.side(); ++iy)
      for (int ix = 0; ix < s.side(); ++ix) {
        std::snprintf(line, sizeof line, "%d %.1f %.1f %.1f 1 0\n", s.node(f, ix, iy), ix * s.bay, iy * s.bay,
                      f * s.height);
        add(line);
      }
  add("1.0 0.0 0.0 0.0 1.0 0.0\n");
  std::snprintf(line, sizeof line, "1 1 1 1 1 1 1 %d 1\n", s.floor_nodes() - 1);
  add(line);
  // Sets: 1 column bending, 2 beam bending (bilinear, 3 % strain hardening),
  // 3 and 4 axial, 5 and 6 torsion (elastic). Kips and inches.
  add("6\n");
  add("IA_BILN 1.0 0.03 29000.0 1800.0 9000.0 20.0 0.0 0.0\n0\n");
  add("IA_BILN 1.0 0.03 29000.0 2400.0 7500.0 20.0 0.0 0.0\n0\n");
  add("IA_BILN 0.0 0.0 29000.0 40.0 1.0E10 0.0 0.0 0.0\n");
  add("IA_BILN 0.0 0.0 29000.0 25.0 1.0E10 0.0 0.0 0.0\n");
  add("IA_BILN 0.0 0.0 11200.0 15.0 1.0E10 0.0 0.0 0.0\n");
  add("IA_BILN 0.0 0.0 11200.0 8.0 1.0E10 0.0 0.0 0.0\n");
  add("0 0 0 F\n");
  std::snprintf(line, sizeof line, "%d\n", s.elements());
  add(line);
  const char* joint = " 0.0 0.0 0.0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n";
  for (int f = 1; f <= s.storeys; ++f) {
    for (int iy = 0; iy < s.side(); ++iy)
      for (int ix = 0; ix < s.side(); ++ix) {
        std::snprintf(line, sizeof line, "IE3DBEAM 'C' 1 1 1 1 5 3 %d %d 1.0 0.0 0.0%s", s.node(f - 1, ix, iy),
                      s.node(f, ix, iy), joint);
        add(line);
      }
    for (int iy = 0; iy < s.side(); ++iy)
      for (int ix = 0; ix + 1 < s.side(); ++ix) {
        std::snprintf(line, sizeof line, "IE3DBEAM 'BX' 2 2 2 2 6 4 %d %d 0.0 0.0 1.0%s", s.node(f, ix, iy),
                      s.node(f, ix + 1, iy), joint);
        add(line);
      }
    for (int iy = 0; iy + 1 < s.side(); ++iy)
      for (int ix = 0; ix < s.side(); ++ix) {
        std::snprintf(line, sizeof line, "IE3DBEAM 'BY' 2 2 2 2 6 4 %d %d 0.0 0.0 1.0%s", s.node(f, ix, iy),
                      s.node(f, ix, iy + 1), joint);
        add(line);
      }
  }
  const double m = s.weight / 386.4;
  std::snprintf(line, sizeof line, "%d 1 F\n", s.storeys);
  add(line);
  for (int f = 1; f <= s.storeys; ++f) {
    std::snprintf(line, sizeof line, "%d %.9E %.9E %.9E 0.0 0.0 0.0 0.0 0.0 0.0 %d 1\n", s.node(f, 0, 0), m, m, m,
                  s.floor_nodes() - 1);
    add(line);
  }
  // About 5 % of critical near 1 and 10 Hz.
  add("0.5 0.0015\n");

  const double gdt = 0.01;
  const int npts = static_cast<int>(s.steps * s.dt / gdt) + 2;
  add("SOL2\n'AVERAGE ACCELERATION UNDER TWO GROUND COMPONENTS'\nAVERAGE 0.0 F F\n");
  std::snprintf(line, sizeof line, "%d 0 %d F\n0.0 %.6f %.6f 386.4\n0\n0 0 0 END\n", s.iprint, npts, s.dt,
                s.steps * s.dt);
  add(line);
  std::snprintf(line, sizeof line, "2 1.0 0.0 %.4f F\n1.0 0.0 0.0 0.0 1.0 0.0\n", gdt);
  add(line);
  for (int dir = 1; dir <= 2; ++dir) {
    std::snprintf(line, sizeof line, "5 %d %d F F F\nSYNTHETIC RECORD\nDIRECTION %d\n", npts, dir, dir);
    add(line);
    for (int p = 0; p < npts; ++p) {
      const double a = ground_g(p * gdt, dir == 1 ? s.peak_g : 0.7 * s.peak_g, dir == 1 ? 0.0 : 0.8);
      std::snprintf(line, sizeof line, "%.6f%c", a, (p % 8 == 7 || p + 1 == npts) ? '\n' : ' ');
      add(line);
    }
  }
  add("STOP\n");
  return d;
}

}  // namespace kvbench
