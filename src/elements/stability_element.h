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
//    follow the element's trial and committed halves;
//  - leaves words kFlexWord.. (87-97) alone after its set-up: the element
//    keeps the member's elastic flexibility there.
// The element reports a limit code once and writes the retired code back into
// the trial half; the member sees it from then on. Which codes a member
// signals, and their texts, are its section family's: each family registers
// them (register_section_family) from the member library's registration.
#pragma once

#include <span>
#include <string_view>

#include "elements/eledsp.h"
#include "elements/element_type.h"

namespace elements {

// ELE12: the driver of type 12 for element options 1 to 14.
void ele12(EleCall& c);

namespace stability {

// The state words of one half (1-based): the one layout that the element and
// every section material share. The element reads the tangent, XL, SP and
// FLP; the member rule carries the others between its calls.
enum StateWord : int {
  kStiffnessWords = 78,     // 1-78: the tangent, upper triangle row by row
  kLengthWord = 79,         // XL, the member's clear length
  kNtermWord = 80,          // stored terms of the skyline member matrix
  kIupdtWord = 81,          // mode word of the rule
  kRnorm1Word = 82,         // reference force norm of the stiffness parameter
  kRnorm2Word = 83,         // reference work
  kSpWord = 84,             // SP, the stiffness parameter
  kNcallWord = 85,          // state determinations since set-up, at most 5
  kRneeeWord = 86,          // displacement norm over QRNEE
  kFlexWord = 87,           // 87-97: the member's elastic flexibility at set-up, kept
                            // by the element for its energy (no section family
                            // writes these words after its set-up)
  kFlpWord = 98,            // FLP, the limit code
  kFlp2Word = 99,           // a family's second limit word (latches, nominal-moment flag)
  kSectionStateWords = 99,  // words of a half
};
// The word of tangent term (row, col), 1 <= row <= col <= 12.
constexpr int tangent_word(int row, int col) { return (row - 1) * (26 - row) / 2 + col - row + 1; }
static_assert(tangent_word(1, 1) == 1 && tangent_word(1, 12) == 12 && tangent_word(7, 7) == 58 &&
              tangent_word(12, 12) == kStiffnessWords);

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
  kEse = 105,   // the member's elastic and plastic strain energy at the last commit
  kPse = 106,
  kFmax = 107,  // 12x12 REAL
  kSloc = 251,  // 12x12 REAL
  kTmat = 395,  // 12x12 REAL
  kMatSet = 539,
  kBase = 540,  // MATSTA: committed half, then trial half
};

// A limit code a section family's member signals in FLP, as the element
// reports it: once per element, with its limit-state point, the message and
// the side-file records; the code is retired either way.
struct LimitEvent {
  float code = 0.0f;
  bool before = false;        // tested before the forces are committed
  int point = 0;              // limit-state point
  std::string_view text;      // the message after the element number
  std::string_view second;    // a second message line, "" for none
  float retired = 0.0f;       // the code left in FLP
  bool nominal = false;       // written to unit 49 as well as unit 50
};
inline constexpr int kMaxLimitEvents = 32;  // one bit of record word kSpare each

// How the element splits the work done on a member into elastic energy and
// plastic energy (the rest). The elastic part is what the end actions hold
// in the member's flexibility at set-up (a member that unloads with its
// initial stiffness), never more than the work, unless the family asks for
// more here.
struct EnergySplit {
  // All the work is elastic until the member signals a limit code: a member
  // whose first code is its first yield is elastic up to it, also where its
  // axial force bends it (work that the flexibility at set-up does not see).
  bool elastic_until_limit = false;
  // At least the complementary energy of the end actions' path (F.D less the
  // work): a member whose first stiffness is lost to cracks that close again
  // as it unloads, so that a straight path from the unloaded state is elastic
  // whatever its slope.
  bool complementary = false;
};

// What the element knows of a section family: the set type that carries it,
// its limit events, in the order the element tests them (a row that
// retires a code to another comes after that other's row), and its energy
// split.
struct SectionFamily {
  int code = 0;
  std::span<const LimitEvent> events;
  EnergySplit energy;
};
// Enters (or replaces) the family of a set type; a family of more than
// kMaxLimitEvents events is not entered.
void register_section_family(const SectionFamily& family);
// The family of a set type; nullptr for a type that carries no member.
const SectionFamily* section_family(int type);

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
