// NADEPT: depth of the compressed zone of a segment section, from the
// compressed face to the neutral axis, along U and along V. Each depth comes
// from two cover fibres on opposite faces: when their strains differ in sign
// the neutral axis lies between them by linear interpolation.
#pragma once

#include <span>

namespace members::rc {

struct CompressionDepths {
  float u = 0.0f;  // CCMAXU, measured along U
  float v = 0.0f;  // CCMAXV, measured along V
};

// The mesh and strains of one segment section. n1, n2: NQ, NLAY (circular) or
// NU, NH (rectangular); d1, d2: COL. DIA, COL. THK or SEC. HH, SEC. UU; t2:
// the cover thickness of a rectangular section.
struct DepthInput {
  int imater = 0;
  int n1 = 0;
  int n2 = 0;
  float d1 = 0.0f;
  float d2 = 0.0f;
  float t2 = 0.0f;
  std::span<const float> u, v, area, length, strain;
};

// The depths of one segment. A direction is worked out only when the
// curvature that bends across it is not 0.0 (curu for the depth along V, curv
// for the depth along U) and neither test strain is exactly 0.0; otherwise,
// and for a section kind other than 1, 2, 3 or test fibres outside the table,
// that depth is 0.0: every segment starts from zero, none inherits the depth
// of the segment before.
CompressionDepths nadept(const DepthInput& in, float curu, float curv);

}  // namespace members::rc
