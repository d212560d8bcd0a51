// What the fibre laws of a reinforced-concrete section work on: one segment
// section's rows of the member's (N,NUMP) fibre arrays, the section's work
// columns, and the member words the laws raise their limit codes in.
#pragma once

#include <cstddef>

namespace members::rc {

// The (N,NUMP) arrays are column-major with the segment index fastest, so
// fibre k of segment iseg is element (iseg-1) + (k-1)*nseg of each.
struct SectionFibres {
  int nseg = 1;
  int iseg = 1;
  int nump = 0;
  float* e0 = nullptr;      // total strain (printed only)
  float* e1 = nullptr;      // history word 1
  float* e2 = nullptr;      // history word 2
  float* de = nullptr;      // strain increment of this pass
  float* stress = nullptr;
  float* fstate = nullptr;  // state code
  float* c51 = nullptr;     // concrete history
  float* c52 = nullptr;
  float* c53 = nullptr;
  float* strain = nullptr;  // (NUMP) new total strains of the section
  float* et = nullptr;      // (NUMP) tangent moduli, out

  // Offset of fibre k (1-based) of this segment in an (N,NUMP) array.
  std::size_t at(int k) const {
    return static_cast<std::size_t>(iseg - 1) + static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(nseg);
  }
  std::size_t col(int k) const { return static_cast<std::size_t>(k - 1); }
};

// The member's limit words: the limit code FLP and the 20 once-flags LSONCE
// (lsonce[1] .. lsonce[20]; 1.0 once the state has been raised).
struct MemberLimits {
  float* flp = nullptr;
  float* lsonce = nullptr;

  // Raises code once per member: FLP = code and LSONCE(flag) = 1.0 the first time.
  bool raise(int flag, float code) const {
    if (lsonce[flag] != 0.0f) return false;
    *flp = code;
    lsonce[flag] = 1.0f;
    return true;
  }
};

// Once-flags of the limit states the fibre laws raise.
enum LimitFlag : int {
  kFlagFirstYield = 1,
  kFlagCoverSpalling = 3,
  kFlagRebarStrain = 4,
  kFlagCoreCrushing = 5,
  kFlagBuckling = 6,
  kFlagSteelUltimate = 7,
  kFlagLapSplice = 11,
};

}  // namespace members::rc
