#include "elements/local_axes.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "fio/fio.h"

namespace elements {

namespace {

using Vec = std::array<float, 3>;

float length(std::span<const float, 3> v) { return vlen(v); }

// Scales v by a power of two so that its largest component lies in [0.5, 1).
// The scaling is exact, so the cross products and unit vectors formed from
// the scaled vectors are those of the given ones, but they cannot overflow
// however large the coordinates or the reference vector are.
void scale_exponent(Vec& v) {
  const float big = std::max({std::fabs(v[0]), std::fabs(v[1]), std::fabs(v[2])});
  if (big == 0.0f || !std::isfinite(big)) return;
  int e = 0;
  std::frexp(big, &e);
  for (float& c : v) c = std::ldexp(c, -e);
}

bool finite(std::span<const float> v) {
  return std::all_of(v.begin(), v.end(), [](float c) { return std::isfinite(c); });
}

// A cosine this close to +-1 means the two vectors give no plane: their cross
// product would be too short to scale to unit length.
bool parallel(float c) { return std::fabs(c) > 1.0f - 1.0e-6f; }

}  // namespace

bool locaxs(std::span<float, 3> vx, std::span<float, 3> vy, std::span<const float, 9> cn,
            std::span<float, 9> d, float dx, float dy, float dz, std::span<float, 9> e,
            const float* trow, int nndim) {
  auto reject = [&] {
    fio::write_list(6, "VY IS PARAELL TO VX, REINPUT VY");
    for (int k = 0; k < 9; ++k) {
      d[k] = 0.0f;
      e[k] = 0.0f;
    }
    return false;
  };

  // Axes from vectors that are no numbers would be no numbers either.
  if (!finite(vx) || !finite(vy)) return reject();
  if (parallel(vcos(vx, vy))) return reject();

  // Work on copies: the caller's vectors change only when the axes are good.
  Vec ax{vx[0], vx[1], vx[2]};
  Vec ay{vy[0], vy[1], vy[2]};
  scale_exponent(ax);
  scale_exponent(ay);
  Vec az{};
  if (length(ay) == 0.0f) {
    az = {1.0f, 0.0f, 0.0f};  // no reference given: take global x as the z axis
  } else {
    vcross(az, ax, ay);
  }
  vcross(ay, az, ax);
  // A zero reference vector with the member along global x (or a zero member
  // axis) leaves no y axis at all.
  if (parallel(vcos(ax, ay)) || length(ax) == 0.0f || length(ay) == 0.0f) return reject();

  vunit(ax);
  vunit(ay);
  vunit(az);
  for (int k = 0; k < 3; ++k) {
    vx[k] = ax[k];
    vy[k] = ay[k];
  }

  // R has the unit axes as rows: R(j, k) = axis_j[k].
  const Vec* r[3] = {&ax, &ay, &az};
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i) {
      float s = 0.0f;
      for (int k = 0; k < 3; ++k) s += cn[i + 3 * k] * (*r[j])[k];
      d[i + 3 * j] = std::fabs(s) < 1.0e-4f ? 0.0f : s;
    }
  }

  // S from the constraint offsets T12, T13, T21, T23, T31, T32.
  float sm[9] = {};
  sm[0 + 3 * 1] = trow[0];
  sm[0 + 3 * 2] = trow[1 * nndim];
  sm[1 + 3 * 0] = trow[2 * nndim];
  sm[1 + 3 * 2] = trow[3 * nndim];
  sm[2 + 3 * 0] = trow[4 * nndim];
  sm[2 + 3 * 1] = trow[5 * nndim];
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i) {
      float s = 0.0f;
      for (int k = 0; k < 3; ++k) s += sm[i + 3 * k] * d[k + 3 * j];
      e[i + 3 * j] = s;
    }
  }

  if (dx != 0.0f || dy != 0.0f || dz != 0.0f) {
    // [d x], the cross-product matrix of the rigid end offset.
    const float xm[9] = {0.0f, dz, -dy, -dz, 0.0f, dx, dy, -dx, 0.0f};
    for (int j = 0; j < 3; ++j) {
      for (int i = 0; i < 3; ++i) {
        float s = 0.0f;
        for (int k = 0; k < 3; ++k) s += d[i + 3 * k] * xm[k + 3 * j];
        e[i + 3 * j] += s;
      }
    }
  }
  return true;
}

}  // namespace elements
