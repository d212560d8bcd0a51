#include "base/node_tables.h"

#include "base/globals.h"
#include "base/storage.h"

namespace base {

NodeTables node_tables() {
  NodeTables t;
  t.nndim = kv::ctl(kv::kNNDIM);
  t.p_nodid = kv::ctl(kv::kNODID);
  t.p_id = kv::ctl(kv::kIDTab);
  t.p_xyz = kv::ctl(kv::kXYZ);
  t.p_cos = kv::ctl(kv::kCOSTab);
  t.p_tcon = kv::ctl(kv::kTCON);
  t.p_ncode = kv::ctl(kv::kNCODE);
  t.p_icos = kv::ctl(kv::kICOS);
  return t;
}

NodeTables reserve_node_tables(int nndim) {
  const std::int64_t n = nndim < 0 ? 0 : nndim;
  NodeTables t;
  t.nndim = static_cast<int>(n);
  t.p_nodid = kv::reserve(n);
  t.p_id = kv::reserve(6 * n);
  t.p_xyz = kv::reserve(3 * n);
  t.p_cos = kv::reserve(9 * n);
  t.p_tcon = kv::reserve(6 * n);
  t.p_ncode = kv::reserve(n);
  t.p_icos = kv::reserve(n);
  kv::ctl(kv::kNODID) = static_cast<std::int32_t>(t.p_nodid);
  kv::ctl(kv::kIDTab) = static_cast<std::int32_t>(t.p_id);
  kv::ctl(kv::kXYZ) = static_cast<std::int32_t>(t.p_xyz);
  kv::ctl(kv::kCOSTab) = static_cast<std::int32_t>(t.p_cos);
  kv::ctl(kv::kTCON) = static_cast<std::int32_t>(t.p_tcon);
  kv::ctl(kv::kNCODE) = static_cast<std::int32_t>(t.p_ncode);
  kv::ctl(kv::kICOS) = static_cast<std::int32_t>(t.p_icos);
  return t;
}

std::string equation_joints(int eq) {
  static constexpr const char* kDirection[] = {"FX", "FY", "FZ", "MX", "MY", "MZ"};
  const NodeTables t = node_tables();
  const int nnode = kv::ctl(kv::kNNODE);
  if (eq < 1 || t.nndim < 1 || t.p_id < 1 || t.p_nodid < 1 || nnode < 1 || nnode > t.nndim) return {};
  std::string out;
  int named = 0;
  for (int n = 1; n <= nnode; ++n)
    for (int j = 1; j <= 6; ++j) {
      if (t.id(n, j) != eq) continue;
      if (named == 3) return out + ", ...";
      if (named > 0) out += ", ";
      out += "JOINT " + std::to_string(static_cast<std::int32_t>(t.nodid(n))) + " " + kDirection[j - 1];
      ++named;
    }
  return out;
}

}  // namespace base
