// The member record of "STABILITY2": the steel record's first 51 arrays at
// the same starts (the per-segment section arrays hold nodal end A, and the
// law-state arrays the law-2 history of the nodal-end laws), then nine arrays
// for nodal end B and the mean principal angle. It begins at PROP(31).
#pragma once

#include <cstdint>

#include "members/steel/nodal_end_section.h"
#include "members/steel/steel_member_record.h"

namespace members {

enum class StbEndArray : int {
  BETAB = 52,  // N     principal angle of the end-B section of each segment
  USEGB,       // N*M   fibre U in the end-B principal axes
  VSEGB,       // N*M
  E0B,         // N*M   total fibre strain at end B
  E1B,         // N*M   upper bound of the elastic band
  E2B,         // N*M   lower bound
  DEB,         // N*M   fibre strain increments
  SIGB,        // N*M   fibre stresses
  BETAM,       // N     mean of the two end angles
};
inline constexpr int kStbEndArrays = 60;
// First word of the record in the property set of "STABILITY2".
inline constexpr int kStbEndFirstProp = 31;

// Start of array a (52..60), in words after the record's first word.
std::int64_t stb_end_start(StbEndArray a, int nseg, int nump);
// Words of the record: 126N^2 + 20N*NUMP + 542N + 7NUMP + 480.
std::int64_t stb_end_words(int nseg, int nump);
// NPROP of a "STABILITY2" set: the header's 30 words and the record.
std::int64_t stb_end_nprop(int nseg, int nump);

class StbEndMem {
 public:
  StbEndMem(float* base, int nseg, int nump) : rec_(base, nseg, nump) {}
  const StbMem& steel() const { return rec_; }  // arrays 1-51
  float* data(StbEndArray a) const {
    return rec_.base() + stb_end_start(a, rec_.nseg(), rec_.nump());
  }
  Col col(StbEndArray a) const { return Col{data(a)}; }
  SegTable table(StbEndArray a) const { return SegTable{data(a), rec_.nseg()}; }

 private:
  StbMem rec_;
};

// The nodal-end section columns of a record.
NodalEndArrays nodal_end_arrays(const StbEndMem& rec);

}  // namespace members
