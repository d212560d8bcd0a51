// Element local axes (the small vector routines are in base/vectors.h).
//
// 3x3 blocks are nine floats stored column by column: term (i, j) at [i-1 + 3(j-1)].
#pragma once

#include <span>

#include "base/vectors.h"

namespace elements {

// The vector routines live in the bottom layer (the node input uses them too);
// element code keeps calling them by their element names.
using kv::vcos;
using kv::vcrosn;
using kv::vcross;
using kv::vlen;
using kv::vunit;

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
