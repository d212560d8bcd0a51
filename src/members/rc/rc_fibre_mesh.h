// Fibre meshes of the reinforced-concrete sections (SECTLB and the three
// meshes it chooses by LIBN). Which fibres are cover, core or steel follows
// only from their place in the table:
//   LIBN 1 (circular, steel shell): layer 1 cover (4*NQ), layer 2 the shell
//          ring, layers 3..NLAY core, 4 centre fibres (core);
//   LIBN 2 (circular, bars): layer 1 cover, layers 2..NLAY core, 4 centre
//          fibres, then NLBAR bars on the mid radius of layer 2;
//   LIBN 3 (rectangular): core grid 4*NU*NH, cover strips 4*(NU+NH+1), then
//          top, bottom and side bars (+U side, then -U side).
// Bars are overlaid on the concrete, not cut out of it.
#pragma once

#include <span>

namespace members::rc {

// The record fields a mesh uses (names as the set echoes them).
struct SectionGeometry {
  int libn = 0;
  float d1 = 0.0f;     // COL. DIA / SEC. HH
  float d2 = 0.0f;     // COL. THK / SEC. UU
  float eccx0 = 0.0f;
  float eccy0 = 0.0f;
  int n1 = 0;          // NQ / NU
  int n2 = 0;          // NLAY / NH
  float t2 = 0.0f;     // STEEL THK / L.BAR DIA. / COVER THK
  int iecop = 0;
  int nbar1 = 0;       // NLBAR / top bars
  float dbar1 = 0.0f;
  int nbar2 = 0;       // bottom bars
  float dbar2 = 0.0f;
  int nbar3 = 0;       // side bars on each side
  float dbar3 = 0.0f;
};

// The geometry fields of a record head (1-based PROP view).
SectionGeometry section_geometry(const float* prop);

// The fibre table a mesh fills: centre U, V, area and length of every fibre,
// each at least NUMP long.
struct FibreTable {
  std::span<float> u, v, area, length;
};

// SECTLB: lays the mesh of g.libn into t and returns NUMP (0, with nothing
// written, for an unsupported LIBN). ECCX and ECCY receive ECCX0 and ECCY0
// when IECOP is 1 and are left alone otherwise.
int sectlb(const SectionGeometry& g, FibreTable t, float& eccx, float& eccy);

// The three meshes; each returns its NUMP.
int sectc1(const SectionGeometry& g, FibreTable t);  // circular with a steel shell
int sectc2(const SectionGeometry& g, FibreTable t);  // circular with longitudinal bars
int sect11(const SectionGeometry& g, FibreTable t);  // rectangular

}  // namespace members::rc
