// The point element, type 20 ("POINT"): one joint tied to the ground through a
// constant, fully coupled 6 x 6 stiffness from a "POINT" property set, held in
// local axes fixed by two input vectors.
#pragma once

#include "elements/eledsp.h"

namespace elements {

// ELE20.
void ele20(EleCall& c);

namespace point {

// Record words (word 0 is the type code).
enum Word : int {
  kND = 1,
  kDInc = 2,    // 6 words each: local displacements and forces
  kDTot = 8,
  kFInc = 14,
  kFTot = 20,
  kLM = 26,     // 6 words
  kCTS = 32,    // 3 x 3, column by column
  kBS = 41,     // 3 x 3, column by column
  kJntId = 53,
  kJNode = 54,  // node-table position; 0 for an element that was rejected
  kZeroInt = 55,
  kNHyst = 56,
  kZeroReal = 57,
  kFPeak = 58,  // 6 x 6, column by column
  kMatNo = 94,
  kBase = 95,   // the 21 stiffness terms, then the packed stiffness
};
inline constexpr int kStiffWords = 42;
inline constexpr int kRecordWords = 137;

}  // namespace point

// Type 20 in the element registry.
inline constexpr ElementType kPointType{
    .code = 20, .keyword = "POINT", .nrinp = 8, .nwords = point::kRecordWords, .driver = ele20,
    .lm = point::kLM, .nhyst = point::kNHyst, .base = point::kBase, .no_geometric = true,
    .quiet_ductility = true};

}  // namespace elements
