// The member record behind the head of a reinforced-concrete section set: one
// run of arrays from PROP word 47 to NPROP. The layout follows from NSEG and
// NUMP alone and is computed afresh whenever it is needed; no offset is stored.
#pragma once

#include <array>
#include <cstdint>

namespace members::rc {

inline constexpr int kSingleSectionType = 17;  // "R/CONCRETE1": one section per segment
inline constexpr int kNodalEndType = 170;      // "R/CONCRETE2": sections at both segment ends

// Arrays of both types, in record order. Shapes are column-major with the
// segment index fastest: (N,NUMP) entry (i,k) is word start + (i-1) + (k-1)*N.
enum RcArray : int {
  kLMSEG = 1,  // (N,12)  member DOF of each segment end DOF
  kKDOF,       // (NDOF)  DOF kinds
  kBETA,       // (N)     principal-axis angle (type 170: end 1)
  kECCXE,      // (2)
  kECCYE,      // (2)
  kUSEG,       // (N,NUMP)
  kVSEG,       // (N,NUMP)
  kU,          // (NUMP)  mesh
  kV,          // (NUMP)
  kXSEG,       // (N,2,3) segment end coordinates
  kSLEN,       // (N)
  kUTOT,       // (NDOF)
  kDU,         // (NDOF)  words 1-12: the end increments from the driver
  kUIMP,       // (NDOF)
  kSLENC,      // (N)
  kSEGW,       // (N,12)
  kFLOC,       // (N,12)
  kFGLB,       // (N,12)
  kDSEG,       // (N,12)
  kE0,         // (N,NUMP)
  kE1,         // (N,NUMP)
  kE2,         // (N,NUMP)
  kET,         // (NUMP)
  kRSEG,       // (N,9)
  kRSEG0,      // (N,9)
  kASAT,       // (NDOF,NDOF)
  kAHALF,      // NDOF*(NDOF+1)/2, skyline storage
  kMDIAG,      // (NDOF+1)
  kEEASAT,     // (12,12)
  kTECC,       // (12,12)
  kDFEND,      // (NDOF)
  kASAT0,      // (NDOF,NDOF)
  kSKSEG,      // (N,12,12)
  kECCXR,      // (2)
  kECCYR,      // (2)
  kFINT,       // (NDOF)
  kRVEC,       // (NDOF)
  kXVEC,       // (NDOF)
  kASTF,       // (NDOF,NDOF)
  kSTRAIN,     // (NUMP)
  kDE,         // (N,NUMP)
  kAREA,       // (NUMP)
  kLENGTH,     // (NUMP)
  kSTRESS,     // (N,NUMP)
  kFSTATE,     // (N,NUMP)
  kC51,        // (N,NUMP)
  kC52,        // (N,NUMP)
  kC53,        // (N,NUMP)
  kC54,        // (N,NUMP)
  kC55,        // (N,NUMP)
  kC44,        // (NUMP)
};
inline constexpr int kCommonArrays = kC44;

// Arrays 52 to 58 of type 17.
enum Rc17Array : int {
  k17CURU = 52,     // (N)
  k17CURV,          // (N)
  k17CURNM,         // (1)
  k17LSONCE,        // (20)
  k17FSLAP,         // (1)
  k17PLSLOWCYCLE,   // (1)
  k17CURY,          // (1)  the last word of the record
};
inline constexpr int k17Arrays = k17CURY;

// Arrays 52 to 74 of type 170: the end-2 twins of the section arrays.
enum Rc170Array : int {
  k170BETAB = 52,   // (N)
  k170USEGB,        // (N,NUMP)
  k170VSEGB,
  k170E0B,
  k170E1B,
  k170E2B,
  k170DEB,
  k170STRESSB,
  k170BETAM,        // (N)
  k170FSTATEB,      // (N,NUMP)
  k170C51B,
  k170C52B,
  k170C53B,
  k170C54B,
  k170C55B,
  k170CU1,          // (N)
  k170CU2,
  k170CV1,
  k170CV2,
  k170CURNM,        // (1)
  k170LSONCE,       // (20)
  k170FSLAP,        // (1)
  k170PLSLOWCYCLE,  // (1)  the last word of the record
};
inline constexpr int k170Arrays = k170PLSLOWCYCLE;

inline constexpr int kFirstMemberWord = 47;
inline constexpr int kMaxArrays = k170Arrays;

// Start words (PROP indices) of the arrays of one member and the record length.
struct RcLayout {
  int type = 0;      // 17 or 170
  int nseg = 0;      // N
  int nump = 0;      // P
  int narrays = 0;   // 58 or 74
  std::array<std::int64_t, kMaxArrays + 2> start{};  // start[k], k = 1..narrays; start[narrays+1] = NPROP + 1
  std::int64_t nprop = 0;  // the start of the last (one-word) array

  std::int64_t words(int k) const { return start[static_cast<std::size_t>(k) + 1] - start[static_cast<std::size_t>(k)]; }
};

// The layout of a type-17 or type-170 member of nseg segments and nump fibres
// (both >= 0; any other type is laid out as 17). Integer arithmetic throughout.
RcLayout rc_layout(int type, int nseg, int nump);

// A typed view of a set's member record: prop is the 1-based PROP view of the
// set (prop[1] is PROP(1)).
struct RcMemberRecord {
  float* prop = nullptr;
  RcLayout layout;

  // First word of array k (0-based pointer into the work array).
  float* array(int k) const { return prop + layout.start[static_cast<std::size_t>(k)]; }
  // Entry (iseg, fibre) of an (N,NUMP) array, both 1-based.
  float& seg_fibre(int k, int iseg, int fibre) const {
    return array(k)[(iseg - 1) + static_cast<std::int64_t>(fibre - 1) * layout.nseg];
  }
};

}  // namespace members::rc
