// The steel section library: the fibre meshes of the eight section shapes
// (ECCLIB and its mesh routines SECT1-SECT8), the fibre count a set of each
// shape needs, and the torsion constant TORCON.
//
// Section axes: U and V in the section plane; the origin is the shape's
// centre (libraries 1-4 and 6), the centroid (angles 7 and 8), or the
// centroid in V and the base plate's centre in U (library 5).
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace members {

enum SteelLibrary : int {
  kLibBox = 1,
  kLibTube = 2,
  kLibRectangle = 3,
  kLibWideFlange = 4,
  kLibPlateAngles = 5,  // base plate with two angles
  kLibTwoRings = 6,     // tube in two rings of fibres
  kLibAngle = 7,
  kLibAngleMirrored = 8,
  kLibAngleCover = 9,   // accepted by the keyword table, no mesh
};

// The section words of a "STABILITY1" / "STABILITY2" set, as the section
// input stores them (PROP(4) to PROP(16)).
struct SectionWords {
  int libn = 0;
  float d1 = 0.0f, d2 = 0.0f;        // dimensions
  float eccx0 = 0.0f, eccy0 = 0.0f;  // loading-point offsets (library 5: eccx0 is the angle leg)
  float n1 = 0.0f, n2 = 0.0f;        // cell counts (wide flange: n1 is the web thickness)
  float t = 0.0f;                    // wall, plate or flange thickness
  std::array<int, 4> irev{};         // IREV1..IREV4
  int iecop = 0;                     // eccentric-loading option
};

// Largest fibre count a set may ask for: a record of more would not fit the
// work array in any case, and the counts stay far from integer overflow.
inline constexpr int kMaxFibres = 2'000'000;

// NUMP of the section: the number of fibres its mesh writes, or 0 when the
// words give no usable mesh (library 9, a LIBN outside 1..8, a count that is
// not a whole number of at least 1, a box with fewer than 2 cells on its half
// height, more than kMaxFibres fibres). A set with 0 must be refused.
int steel_fibre_count(const SectionWords& w);

// The line a set with no usable mesh prints in place of its echo block.
void print_section_not_available(int set, float libn_word);

// The fibre table a mesh is written into, NUMP entries each.
struct FibreMesh {
  std::span<float> u, v, area, flen;
};

// What ECCLIB hands back besides the mesh.
struct MeshResult {
  int nump = 0;                    // fibres written (0: nothing written)
  float ulp = 0.0f, vlp = 0.0f;    // loading-point offsets (set when iecop is 1; library 8 always)
  bool offsets = false;            // ulp, vlp were set
  int iecop = 0;                   // the option after the call: library 5 clears it
};

// ECCLIB: writes the mesh of w.libn into `mesh`, whose spans must hold
// steel_fibre_count(w) entries. Only U, V, AREA and the FLEN words the library
// fills are written (the rectangle and the wide flange use the first FLEN words
// for torsion data). With an unusable set nothing is written and nump is 0.
// Library 5 asked for eccentric loading prints its not-available line and
// clears the option.
MeshResult ecclib(const SectionWords& w, const FibreMesh& mesh);

// TORCON: the torsion constant of the section whose mesh is (flen, area),
// nump fibres. tota is the enclosed area of the closed shapes (1, 2, 6).
// Library 5 gets the sum of b*t^3/3 of its plates, from its cells.
float torcon(const SectionWords& w, float tota, std::span<const float> flen,
             std::span<const float> area);

}  // namespace members
