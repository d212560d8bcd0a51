// Input decks of regular 3D frames: storeys of bx x by bays of elastic 3D
// beams, the base fixed, nodes numbered floor by floor from the base. Used by
// the solution tests (with their own double-precision solutions of the same
// model) and by the whole-run benchmark.
#pragma once

#include <cstdio>
#include <string>

namespace kvtest {

struct FrameSpec {
  int storeys = 30;
  int bays_x = 10;
  int bays_y = 10;
  double bay = 240.0;      // bay width in X and Y
  double height = 144.0;   // storey height
  // Sections: E, G, area, shear areas, torsion constant, inertias.
  double e = 29.0e6, g = 11.2e6;
  double col_a = 50.0, col_shear = 25.0, col_j = 400.0, col_i = 2000.0;
  double beam_a = 30.0, beam_shear = 15.0, beam_j = 200.0, beam_i = 1500.0;
  double beam_e_factor = 1.0;     // stiff beams: E of the beams times this
  double load_fx = 1000.0;        // lateral load at every floor node (0: none)
  double load_fy = 0.0;
  double mass = 0.0;              // lumped mass in X, Y and Z at every floor node (0: no masses)
  double roof_mass_factor = 1.0;  // the roof nodes' mass is mass times this
  bool condense_rotations = false;  // condense MX, MY, MZ of every node
  std::string solution;           // the "SOL" section appended after the structure

  int side_x() const { return bays_x + 1; }
  int side_y() const { return bays_y + 1; }
  int floor_nodes() const { return side_x() * side_y(); }
  int nodes() const { return (storeys + 1) * floor_nodes(); }
  // Node ID of floor f (0 = base), grid point (ix, iy).
  int node(int f, int ix, int iy) const { return f * floor_nodes() + iy * side_x() + ix + 1; }
  double x(int ix) const { return ix * bay; }
  double y(int iy) const { return iy * bay; }
  double z(int f) const { return f * height; }
};

inline std::string fmt(const char* f, double a) {
  char b[64];
  std::snprintf(b, sizeof b, f, a);
  return b;
}

// The "STR" section (and the solution, when given) of the frame; the loads of
// a "SOL" 1 are those of the spec when the solution text holds "%LOADS%".
inline std::string frame_deck(const FrameSpec& s) {
  std::string d;
  d.reserve(static_cast<std::size_t>(s.nodes()) * 400);
  char line[256];
  d += "STR\n'GENERATED FRAME'\n";
  std::snprintf(line, sizeof line, "%d 1 1 %d 0 1.0\n", s.nodes(), s.condense_rotations ? 1 : 0);
  d += line;
  for (int f = 0; f <= s.storeys; ++f)
    for (int iy = 0; iy < s.side_y(); ++iy)
      for (int ix = 0; ix < s.side_x(); ++ix) {
        std::snprintf(line, sizeof line, "%d %.1f %.1f %.1f 1 0\n", s.node(f, ix, iy), s.x(ix), s.y(iy), s.z(f));
        d += line;
      }
  d += "1.0 0.0 0.0 0.0 1.0 0.0\n";
  // The base floor restrained by one generated record.
  std::snprintf(line, sizeof line, "1 1 1 1 1 1 1 %d 1\n", s.floor_nodes() - 1);
  d += line;
  if (s.condense_rotations) d += "0 0 0 0 1 1 1 0 0\n";
  d += "2\n";
  std::snprintf(line, sizeof line, "3D-BEAM %.6E %.6E %.6E %.6E %.6E %.6E %.6E %.6E\n", s.e, s.g, s.col_a, s.col_shear,
                s.col_shear, s.col_j, s.col_i, s.col_i);
  d += line;
  std::snprintf(line, sizeof line, "3D-BEAM %.6E %.6E %.6E %.6E %.6E %.6E %.6E %.6E\n", s.e * s.beam_e_factor,
                s.g * s.beam_e_factor, s.beam_a, s.beam_shear, s.beam_shear, s.beam_j, s.beam_i, s.beam_i);
  d += line;
  d += "0 0 0 F\n";
  const int ncol = s.storeys * s.floor_nodes();
  const int nbeam = s.storeys * (s.bays_x * s.side_y() + s.bays_y * s.side_x());
  std::snprintf(line, sizeof line, "%d\n", ncol + nbeam);
  d += line;
  int label = 0;
  for (int f = 1; f <= s.storeys; ++f) {
    for (int iy = 0; iy < s.side_y(); ++iy)
      for (int ix = 0; ix < s.side_x(); ++ix) {
        std::snprintf(line, sizeof line, "3D-BEAM 'E%d' 1 %d %d 1.0 0.0 0.0 0.0 0.0 0.0 0 0\n", ++label,
                      s.node(f - 1, ix, iy), s.node(f, ix, iy));
        d += line;
      }
    for (int iy = 0; iy < s.side_y(); ++iy)
      for (int ix = 0; ix + 1 < s.side_x(); ++ix) {
        std::snprintf(line, sizeof line, "3D-BEAM 'E%d' 2 %d %d 0.0 0.0 1.0 0.0 0.0 0.0 0 0\n", ++label,
                      s.node(f, ix, iy), s.node(f, ix + 1, iy));
        d += line;
      }
    for (int iy = 0; iy + 1 < s.side_y(); ++iy)
      for (int ix = 0; ix < s.side_x(); ++ix) {
        std::snprintf(line, sizeof line, "3D-BEAM 'E%d' 2 %d %d 0.0 0.0 1.0 0.0 0.0 0.0 0 0\n", ++label,
                      s.node(f, ix, iy), s.node(f, ix, iy + 1));
        d += line;
      }
  }
  if (s.mass > 0.0) {
    // One record a floor, generated over its nodes.
    std::snprintf(line, sizeof line, "%d 1 F\n", s.storeys);
    d += line;
    for (int f = 1; f <= s.storeys; ++f) {
      const double m = f == s.storeys ? s.mass * s.roof_mass_factor : s.mass;
      std::snprintf(line, sizeof line, "%d %.9E %.9E %.9E 0.0 0.0 0.0 0.0 0.0 0.0 %d 1\n", s.node(f, 0, 0), m, m, m,
                    s.floor_nodes() - 1);
      d += line;
    }
  } else {
    d += "0 0 F\n";
  }
  d += "0.0 0.0\n";

  std::string sol = s.solution;
  const std::size_t at = sol.find("%LOADS%");
  if (at != std::string::npos) {
    std::string loads;
    for (int f = 1; f <= s.storeys; ++f) {
      const int first = s.node(f, 0, 0);
      if (s.load_fx != 0.0) {
        std::snprintf(line, sizeof line, "1 %d %d 1 FX %.6E\n", first, s.floor_nodes() - 1, s.load_fx);
        loads += line;
      }
      if (s.load_fy != 0.0) {
        std::snprintf(line, sizeof line, "1 %d %d 1 FY %.6E\n", first, s.floor_nodes() - 1, s.load_fy);
        loads += line;
      }
    }
    loads += "0 0 0 0 END 0\n";
    sol.replace(at, 7, loads);
  }
  d += sol;
  d += "STOP\n";
  return d;
}

}  // namespace kvtest
