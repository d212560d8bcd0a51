// Local buckling of the plates of a box section (LBCASE), judged at one
// nodal end of one segment from the fibre stresses and tangent moduli the
// fibre law has just left. Fibres of a buckled plate are switched to the
// post-yield modulus in the section rigidities (BKFLAG 1.0) and the member's
// limit code takes the case number.
//
// Box fibre order (four quarters of NN = N1 + N2 fibres, quarter 0 at +U,-V,
// quarter 1 mirrored in V, 2 in U, 3 in both): the corner, N2 - 1 fibres of
// the web along V, N1 fibres of the flange along U.
#pragma once

#include "members/steel/steel_member_record.h"

namespace members {

// One end section as the check sees it.
struct BoxEndSection {
  int libn = 0;
  int nump = 0;
  float n1 = 0.0f;   // half-width cell count (truncated here)
  float n2 = 0.0f;   // half-height cell count
  float t = 0.0f;    // plate thickness
  float em = 0.0f;   // elastic modulus
  SegTable sig;      // fibre stresses of the end; row iseg is read
  int iseg = 1;
  Col et;            // fibre tangent moduli of the end
  Col u, v;          // mesh coordinates
  Col flen;          // cell lengths, for meshes too coarse to show a spacing
};

// Plate buckling stress EM*k*pi^2/((b/T)^2 * 12(1 - nu^2)) with k = 0.425,
// nu = 0.3, for a compressed width b.
float box_plate_buckling_stress(float em, float b, float t);

// LBCASE: rebuilds bkflag (NUMP) for the end and writes the case number
// (1.0-5.0) of the last plate found buckled into flp; flp is never cleared.
// Anything but a box (LIBN 1) with a fibre count of 4(N1 + N2) changes
// nothing.
void lbcase(const BoxEndSection& s, const Col& bkflag, float& flp);

}  // namespace members
