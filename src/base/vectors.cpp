#include "base/vectors.h"

#include <array>
#include <cmath>

namespace kv {

namespace {

double length_double(std::span<const float, 3> v) {
  const double x = v[0], y = v[1], z = v[2];
  return std::sqrt(x * x + y * y + z * z);
}

}  // namespace

float vlen(std::span<const float, 3> v) { return static_cast<float>(length_double(v)); }

float vcos(std::span<const float, 3> v1, std::span<const float, 3> v2) {
  const double l1 = length_double(v1);
  const double l2 = length_double(v2);
  if (l1 == 0.0 || l2 == 0.0) return 0.0f;
  const double dot = static_cast<double>(v1[0]) * v2[0] + static_cast<double>(v1[1]) * v2[1] +
                     static_cast<double>(v1[2]) * v2[2];
  return static_cast<float>(dot / (l1 * l2));
}

void vcross(std::span<float, 3> v3, std::span<const float, 3> v1, std::span<const float, 3> v2) {
  const std::array<float, 3> c{v1[1] * v2[2] - v1[2] * v2[1], v1[2] * v2[0] - v1[0] * v2[2],
                               v1[0] * v2[1] - v1[1] * v2[0]};
  v3[0] = c[0];
  v3[1] = c[1];
  v3[2] = c[2];
}

void vunit(std::span<float, 3> v) {
  const double len = length_double(v);
  if (len == 0.0) return;  // a zero vector has no direction to keep
  for (float& c : v) c = static_cast<float>(c / len);
}

void vcrosn(std::span<float, 3> v3, std::span<float, 3> v1, std::span<float, 3> v2, int norm) {
  vcross(v3, v1, v2);
  if (norm == 0) return;
  vunit(v1);
  vunit(v2);
  vunit(v3);
}

}  // namespace kv
