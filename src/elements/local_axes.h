// Element local axes and the small vector routines used with them.
//
// 3x3 blocks are nine floats stored column by column: term (i, j) at [i-1 + 3(j-1)].
#pragma once

#include <span>

namespace elements {

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

// LOCAXS for one element end.
//   vx, vy  in: the element axis and its reference vector; out: the unit local
//           x and y axes (vy made normal to vx).
//   cn      the node's cosine set (COS of its set: row k is the node's axis k).
//   d       out: D = CN * R', R having the unit local axes as rows; terms below
//           1.0E-4 in magnitude are 0.0.
//   dx, dy, dz  rigid end offset from the node to the element end, local axes.
//   e       out: E = S * D (+ D * [d x] with a rigid end offset), S from the
//           node's constraint offsets.
//   trow    the node's TCON row: T12 at trow[0], T13 at trow[nndim], ... T32 at
//           trow[5*nndim].
// Returns false when the axes cannot be formed: vy parallel to vx, a zero vy
// (or vx) that leaves no local y axis, or a component of vx or vy that is not
// a finite number. The message "VY IS PARAELL TO VX,
// REINPUT VY" is then written to unit 6, vx and vy are left unchanged, d and e
// are zero, and the caller rejects the element.
[[nodiscard]] bool locaxs(std::span<float, 3> vx, std::span<float, 3> vy,
                          std::span<const float, 9> cn, std::span<float, 9> d,
                          float dx, float dy, float dz, std::span<float, 9> e,
                          const float* trow, int nndim);

}  // namespace elements
