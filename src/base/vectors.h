// Small vector routines for three-component REAL vectors: length, cosine,
// cross products, unit scaling.
#pragma once

#include <span>

namespace kv {

// Length of v, the squares summed in double precision so that components up
// to the float range do not overflow; Infinity only when the length itself
// lies beyond the float range.
float vlen(std::span<const float, 3> v);

// VCOS: cosine of the angle between v1 and v2, formed in double precision;
// 0.0 when either is the zero vector (the angle is undefined and must not
// reach a report as NaN).
float vcos(std::span<const float, 3> v1, std::span<const float, 3> v2);

// VCROSS: v3 = v1 x v2 (v3 may be one of the inputs).
void vcross(std::span<float, 3> v3, std::span<const float, 3> v1, std::span<const float, 3> v2);

// VCROSN: v3 = v1 x v2; when norm != 0, v1, v2 and v3 are then each divided by
// their own length (v1 and v2 first). A zero vector is left as it is.
void vcrosn(std::span<float, 3> v3, std::span<float, 3> v1, std::span<float, 3> v2, int norm);

// v divided by its length, formed in double precision (a vector longer than
// the float range still has a direction); a zero vector is left as it is.
void vunit(std::span<float, 3> v);

}  // namespace kv
