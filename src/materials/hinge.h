// Material type 19 ("HINGE"): the plastic-hinge moment-rotation law of the
// bending springs of the inelastic beam-column, with the axial-load interaction
// cubics and the member shear-capacity parameters the element reads.
#pragma once

#include "materials/matdsp.h"

namespace materials {

// MAT19. PROP: 1 HA, 2 VA, 3 RATIO (0.0 read as 1.0E-5), 4 MAX DUC, 5 BETA,
// 6 STIELE, 7 PRMAX, 8 cubic code, 9-12 A0-A3, 13-16 B0-B3, 17 M, 18-37 Y,
// 38-57 failure codes, 58 shear flag, 59-62 VCI, VCF, VS, ALFA (radians).
// NPROP is 58, or 62 with shear parameters. State words (one copy, 93): see
// hinge.cpp; the element reads 1, 31, 33, 38-48, 49-88 and 89-93.
void mat19(MatCall& c);

// The set's values the loop reads.
struct HingeLoopProps {
  float ha = 0.0f;       // rotation of the yield control point
  float va = 0.0f;       // moment of the yield control point
  float ratio = 0.0f;    // post-yield stiffness ratio
  float max_duc = 0.0f;  // failure ductility; below 1.0 no failure
  float code = 0.0f;     // cubic code (1.0 with RATIO <= 1.0E-5 holds the moment at the limit)
};

// MRLOOP. iopt 2 places the limits at (HA, VA) and (-HA, -VA). p comes in as
// the element's trial moment and goes out as the hinge moment; the tangent and
// the loop words are updated in s (1-based view of the state copy).
void mrloop(int iopt, float* s, float& p, float d, float pl, float dl,
            const HingeLoopProps& pr, bool debug);

// Type 19 in the material registry.
inline constexpr MaterialType kHingeType{.code = 19, .keywords = {"HINGE"}, .driver = mat19};

}  // namespace materials
