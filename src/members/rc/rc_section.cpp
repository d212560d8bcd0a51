#include "members/rc/rc_section.h"

#include <cmath>

#include "members/rc/rc_section_head.h"

namespace members::rc {

float torrc(int libn, float tota, std::span<const float> length) {
  if (libn == kRectangular) {
    if (length.size() < 2 || length[0] == 0.0f) return 0.0f;
    const float a = length[0], b = length[1];
    return a * b * b * b * (5.3333f - 3.36f * (b / a) * (1.0f - b * b * b * b / (12.0f * a * a * a * a)));
  }
  const float r = std::sqrt(std::fmax(tota, 0.0f) / 3.14159f);
  return 3.1415925f * r * r * r * r / 2.0f;
}

}  // namespace members::rc
