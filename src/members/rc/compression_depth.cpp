#include "members/rc/compression_depth.h"

#include <cstddef>

#include "members/rc/rc_section_head.h"

namespace members::rc {

namespace {

// The depth measured from the face of fibre i1 (c1 > c2) or of fibre i2,
// whichever is compressed; h is half the cover thickness, full the depth of
// the whole section in that direction. Untouched when a strain is exactly 0.
void depth_between(const DepthInput& in, std::span<const float> c, int i1, int i2, float h,
                   float full, float& depth) {
  const auto n = static_cast<int>(in.strain.size());
  if (i1 < 1 || i2 < 1 || i1 > n || i2 > n || i1 > static_cast<int>(c.size()) ||
      i2 > static_cast<int>(c.size()))
    return;
  const float f1 = in.strain[static_cast<std::size_t>(i1 - 1)];
  const float f2 = in.strain[static_cast<std::size_t>(i2 - 1)];
  const float dc = c[static_cast<std::size_t>(i1 - 1)] - c[static_cast<std::size_t>(i2 - 1)];
  if (f1 < 0.0f && f2 > 0.0f) {
    depth = h + f1 / (f1 - f2) * dc;
  } else if (f1 > 0.0f && f2 < 0.0f) {
    depth = h + (-f2) / (f1 - f2) * dc;
  } else if (f1 < 0.0f && f2 < 0.0f) {
    depth = full;
  } else if (f1 > 0.0f && f2 > 0.0f) {
    depth = 0.0f;
  }
}

}  // namespace

CompressionDepths nadept(const DepthInput& in, float curu, float curv) {
  CompressionDepths d;
  if (in.imater == kCircularShell || in.imater == kCircularBars) {
    const int nq = in.n1;
    // Half the cover layer: area over arc length of the first fibre.
    const float h = !in.area.empty() && !in.length.empty() && in.length[0] != 0.0f
                        ? in.area[0] / in.length[0] / 2.0f
                        : 0.0f;
    if (curu != 0.0f) depth_between(in, in.v, 1, 2 * nq + 1, h, in.d1, d.v);
    if (curv != 0.0f) depth_between(in, in.u, nq, 2 * nq, h, in.d1, d.u);
  } else if (in.imater == kRectangular) {
    const int nu = in.n1;
    const int nh = in.n2;
    const int core = 4 * nu * nh;
    const float h = in.t2 / 2.0f;
    if (curu != 0.0f) depth_between(in, in.v, core + nu + 1, core + 2 * nu + nh + 2, h, in.d1, d.v);
    if (curv != 0.0f)
      depth_between(in, in.u, core + nu + nh + 1, core + 3 * nu + 3 * nh + 3, h, in.d2, d.u);
  }
  return d;
}

}  // namespace members::rc
