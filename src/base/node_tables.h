// The node tables in the work array (NODID, ID, XYZ, COS, TCON, NCODE, ICOS)
// and the bit groups of a node's code word: the view every layer reads them
// through.
#pragma once

#include <cstdint>
#include <string>

#include "base/work_array.h"

namespace base {

// Bit groups of a node's code word NCODE: six bits each, in the order
// FX FY FZ MX MY MZ (j = 1..6).
enum CodeGroup : int {
  kRestraint = 0,
  kCondense = 6,
  kConstrain = 12,
  kEliminate = 18,
};
constexpr bool code_bit(std::int32_t code, CodeGroup group, int j) {
  return ((code >> (group + j - 1)) & 1) != 0;
}

// The node tables in the work array, each of leading dimension nndim, with
// 1-based accessors (n = node position, j = degree of freedom 1..6, k = axis
// or coordinate 1..3, s = cosine set).
struct NodeTables {
  int nndim = 0;
  std::int64_t p_nodid = 0, p_id = 0, p_xyz = 0, p_cos = 0, p_tcon = 0, p_ncode = 0, p_icos = 0;

  kv::IntWord nodid(int n) const { return kv::izm(p_nodid + n - 1); }
  kv::IntWord id(int n, int j) const { return kv::izm(p_id + at(n, j)); }
  kv::RealWord xyz(int n, int k) const { return kv::rzm(p_xyz + at(n, k)); }
  // COS(k, j, s): component j (X, Y, Z) of axis k (VX, VY, VZ) of set s.
  kv::RealWord cos(int k, int j, int s) const {
    return kv::rzm(p_cos + (k - 1) + 3 * (j - 1) + 9 * static_cast<std::int64_t>(s - 1));
  }
  // TCON(n, 1..6) = T12, T13, T21, T23, T31, T32.
  kv::RealWord tcon(int n, int j) const { return kv::rzm(p_tcon + at(n, j)); }
  kv::IntWord ncode(int n) const { return kv::izm(p_ncode + n - 1); }
  kv::IntWord icos(int n) const { return kv::izm(p_icos + n - 1); }

  const std::int32_t* nodid_ptr() const { return kv::iptr(p_nodid); }  // NODID(1), for ifind
  const std::int32_t* ncode_ptr() const { return kv::iptr(p_ncode); }  // NCODE(1)
  // The 3x3 cosine set s, column by column (the cn argument of locaxs).
  const float* cos_set(int s) const { return kv::rptr(p_cos + 9 * static_cast<std::int64_t>(s - 1)); }
  // T12 of node n; its six offsets follow with spacing nndim (the trow of locaxs).
  const float* tcon_row(int n) const { return kv::rptr(p_tcon + n - 1); }

 private:
  std::int64_t at(int n, int j) const {
    return static_cast<std::int64_t>(j - 1) * nndim + (n - 1);
  }
};

// The tables as CONTRL words 29-35 and NNDIM (word 20) locate them.
NodeTables node_tables();

// Reserves the node tables at IZ in the model layout (NODID, ID, XYZ, COS,
// TCON, NCODE, ICOS: 27 * nndim words), stores their indices in CONTRL words
// 29-35 and returns them. Does not set NNDIM.
NodeTables reserve_node_tables(int nndim);

// The joints and directions that equation eq belongs to, for a message:
// "JOINT 12 FX" (several joined by ", ", at most three named), or "" when no
// node table is there or no degree of freedom has that equation.
std::string equation_joints(int eq);

}  // namespace base
