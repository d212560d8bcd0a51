// The KGDATA record of the model (CONTRL word 50): ACCEL (REAL), then
// KGDATA(1..3), the geometric-stiffness options read with the structure. The
// one view every reader and writer goes through.
#pragma once

#include <cstdint>

#include "base/globals.h"
#include "base/work_array.h"

namespace kv {

struct KgData {
  float accel = 0.0f;  // vertical acceleration factor on the input axial loads
  int source = 0;      // KGDATA(1): 1 input load F*(1+ACCEL); 2 the axial force of the last commit
  int form = 0;        // KGDATA(2): 1 lumped; 2 consistent
  int use = 0;         // KGDATA(3): 1 subtracted from the stiffness; 2 a separate global matrix
  bool any() const { return source != 0 && form != 0 && use != 0; }
};

// Index of the record in the work array; 0 before the structure input.
inline std::int64_t kgdata_index() { return ctl(kKGDATARecord); }

// The record's values (all 0 when there is none).
inline KgData kgdata() {
  const std::int64_t k = kgdata_index();
  if (k <= 0) return {};
  return {rzm(k), izm(k + 1), izm(k + 2), izm(k + 3)};
}

// Writers: the structure input fills the record, and the solutions reset ACCEL
// or switch to a separate global matrix.
inline void set_kgdata_accel(float accel) {
  if (const std::int64_t k = kgdata_index(); k > 0) rzm(k) = accel;
}
inline void set_kgdata(const KgData& kg) {
  if (const std::int64_t k = kgdata_index(); k > 0) {
    rzm(k) = kg.accel;
    izm(k + 1) = kg.source;
    izm(k + 2) = kg.form;
    izm(k + 3) = kg.use;
  }
}

}  // namespace kv
