// Element type 12 ("STABILITY"): two joints joined by a segmented member whose
// whole inelastic behaviour lives in its section material. The element
// presents the member's 12 x 12 tangent and its end forces to the solutions,
// reports the limit codes the member signals, marks the limit-state points
// and writes each event to the side files 49 and 50.
//
// What a section family must provide to serve this element (steel 12 and
// 120, reinforced concrete 17 and 170, moment-curvature 18 and 180): a
// material driver registered for its type code with `.section = true`, which
//  - at option 0 returns NSTATE = kSectionStateWords;
//  - at option 2 sets the member up from its set and the state half given,
//    reading the member length from state word kLengthWord (written by the
//    element before the call); a set that cannot carry a member sets
//    MatCall::error and the element is rejected;
//  - at option 3 determines the member state for c.ends->d (previous
//    c.ends->dl) and the prediction c.ends->p (previous c.ends->pl), all in
//    element axes, and hands the member's end forces back in c.ends->p;
//  - after options 2 and 3 leaves the 12 x 12 tangent in element axes in
//    state words 1-78 (upper triangle row by row), the stiffness parameter in
//    kSpWord and the limit code in kFlpWord;
//  - keeps everything else in its property set: only the 99 state words
//    follow the element's trial and committed halves.
// The element reports a limit code once and writes the retired code back into
// the trial half (table in stability_element.cpp); the member sees it from
// then on.
#pragma once

#include "elements/eledsp.h"
#include "elements/element_type.h"

namespace elements {

// ELE12: the driver of type 12 for element options 1 to 14.
void ele12(EleCall& c);

namespace stability {

// The state words a section material shares with the element (one half, 1-based).
inline constexpr int kSectionStateWords = 99;
inline constexpr int kStiffnessWords = 78;  // 1-78: the tangent, upper triangle row by row
inline constexpr int kLengthWord = 79;      // XL, the member's clear length
inline constexpr int kSpWord = 84;          // SP, the stiffness parameter
inline constexpr int kFlpWord = 98;         // FLP, the limit code

// Record words (word 0 is the type code).
enum Word : int {
  kNlm = 1,
  kDr = 2,      // 12 REAL: displacement increment of the last state determination
  kRt = 14,     // 12 REAL: total end displacements
  kDf = 26,     // 12 REAL: force increment
  kFt = 38,     // 12 REAL: total end forces
  kLm = 50,     // 12 INT
  kCts = 62,    // 3x3 REAL
  kCte = 71,
  kBs = 80,
  kBe = 89,
  kJntA = 98,
  kJntB = 99,
  kPosA = 100,  // node-table positions; 0 for a rejected element
  kPosB = 101,
  kSpare = 102,
  kLength = 103,
  kNh = 104,
  kEse = 105,
  kPse = 106,
  kFmax = 107,  // 12x12 REAL
  kSloc = 251,  // 12x12 REAL
  kTmat = 395,  // 12x12 REAL
  kMatSet = 539,
  kBase = 540,  // MATSTA: committed half, then trial half
};

inline constexpr int kRecordWords = 618;  // before the material state words
inline constexpr int kInputValues = 8;
inline constexpr int kPackedWords = 78;

}  // namespace stability

// Type 12 in the element registry.
inline constexpr ElementType kStabilityType{
    .code = 12, .keyword = "STABILITY", .nrinp = stability::kInputValues, .nwords = stability::kRecordWords,
    .driver = ele12, .lm = stability::kLm, .nhyst = stability::kNh, .base = stability::kBase,
    .element_loads = true, .no_geometric = true, .profile_all_terms = true};

}  // namespace elements
