// The member record STBMEM of the steel section materials: the whole state of
// one segmented member, 55 arrays of 4-byte reals laid one after the other
// behind the set's header words. Their sizes follow from the segment count N
// and the fibre count NUMP; the word offsets are the contract with the
// material driver and the memory box, so they are computed in one place here.
//
// Index order: in a per-segment table the segment index runs fastest, entry
// (i, j) of segment i is word (j-1)*N + i of the array. Views below are
// 1-based, as the layouts are.
#pragma once

#include <array>
#include <cstdint>

#include "members/member_views.h"

namespace members {

// The arrays in record order (array k of the layout is enumerator k).
enum class StbArray : int {
  IDOFR = 1,   // 12N   segment DOF table (whole numbers as reals)
  IROTR,       // n     kind of each internal DOF: 0 translation, 1 rotation
  BETA,        // N     principal angle of each segment section
  ULPE,        // 2     U offset of the loading point at ends A and B
  VLPE,        // 2     V offset
  USEG,        // N*M   fibre U in each segment's principal axes
  VSEG,        // N*M
  U,           // M     mesh coordinates
  V,           // M
  ZSEG,        // 6N    undeformed end coordinates of each segment
  SLEN,        // N     segment lengths
  DTOT,        // n     total internal displacements
  DINC,        // n     internal increments (words 1-12: the end increments)
  DIMP,        // n     initial imperfection
  CHORD,       // N     current chord lengths
  RESERVED,    // 12N   cleared at set-up, not used
  FLOC,        // 12N   segment local end forces
  FGLO,        // 12N   segment end forces in member axes
  DGLO,        // 12N   segment end increments in member axes
  E0,          // N*M   total fibre strain
  E1,          // N*M   upper bound of the elastic band
  E2,          // N*M   lower bound
  ET,          // M     tangent moduli of the segment in hand
  DCOS,        // 9N    current direction cosines
  DCOS0,       // 9N    initial direction cosines
  ASATO,       // n^2   internal stiffness of the previous call
  ASATH,       // n(n+1)/2  skyline internal stiffness
  MDR,         // n+1   its diagonal addresses
  EEASAT,      // 144   condensed end stiffness
  TE,          // 144   eccentricity transformation
  DFINC,       // n     ASATO times DINC
  W,           // n^2   work matrix
  SKS,         // 144N  segment local stiffness matrices
  ECCX,        // 2
  ECCY,        // 2
  FINT,        // n     internal force vector
  XV,          // n     condensation solution vector
  RV,          // n     condensation load vector
  ASAT,        // n^2   assembled internal stiffness
  EPS,         // M     fibre strains of the segment in hand
  DE,          // N*M   fibre strain increments
  AREA,        // M
  FLEN,        // M
  SIG,         // N*M   fibre stresses
  IYLD,        // N*M   law states
  FLW1,        // N*M   law-2 states FLW1..FLW5
  FLW2,
  FLW3,
  FLW4,
  FLW5,
  BKFLAG,      // M     rigidity switch per fibre
  CU,          // M     total curvature about U (first N used)
  CV,          // M     total curvature about V (first N used)
  CURNM,       // 1
  LFLAG,       // 20    once-flags of the limit codes
};
inline constexpr int kStbArrays = 55;

// The once-flags (LFLAG) of the limit codes a steel member raises: 0 not
// met, 1 met in this call, 2 reported.
enum SteelLimitFlag : int { kFlagFirstYield = 1, kFlagBuckled = 5 };

// First word of the record in the property set of "STABILITY1".
inline constexpr int kStbFirstProp = 32;

// Words of array a for a member of nseg segments and nump fibres.
std::int64_t stb_size(StbArray a, int nseg, int nump);
// Start of array a, in words after the record's first word.
std::int64_t stb_start(StbArray a, int nseg, int nump);
// Words of the whole record: 126N^2 + 13N*NUMP + 540N + 9NUMP + 501.
std::int64_t stb_words(int nseg, int nump);
// NPROP of a "STABILITY1" set: the header's 31 words and the record.
std::int64_t stb_nprop(int nseg, int nump);

// A typed view of one record: `base` is its first word (PROP(32) of the set
// for "STABILITY1", a ZMATRX word through kv::rptr, or any buffer in tests).
class StbMem {
 public:
  StbMem() = default;
  StbMem(float* base, int nseg, int nump);

  int nseg() const { return nseg_; }
  int nump() const { return nump_; }
  int ndof() const { return 6 * nseg_ + 6; }
  float* base() const { return base_; }
  // First word of array a.
  float* data(StbArray a) const { return base_ + start_[static_cast<int>(a)]; }
  std::int64_t words() const { return start_[kStbArrays + 1]; }

  Col col(StbArray a) const { return Col{data(a)}; }
  SegTable table(StbArray a) const { return SegTable{data(a), nseg_}; }
  Square square(StbArray a) const;  // ASATO, ASAT, W (order n); EEASAT, TE (12)
  SegMatrices sks() const { return SegMatrices{data(StbArray::SKS), nseg_}; }
  EndCoords zseg() const { return EndCoords{data(StbArray::ZSEG), nseg_}; }

 private:
  float* base_ = nullptr;
  int nseg_ = 0;
  int nump_ = 0;
  std::array<std::int64_t, kStbArrays + 2> start_{};  // start_[k] of array k; [56] the end
};

}  // namespace members
