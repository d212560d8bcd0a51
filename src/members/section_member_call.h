// What the drivers of the section materials (types 17, 170, 18, 180) share
// around a call of their member rule: the state words of a half, the end
// values turned between element and member order, and the results handed
// back to the element.
#pragma once

#include <array>

#include "members/member_rule.h"

namespace members {

// State words of the member rule in a state half (1-based).
enum SectionStateWord : int {
  kSectionStateWords = 99,
  kStateXlen = 79,
  kStateNterm = 80,
  kStateIupdt = 81,
  kStateRnorm1 = 82,
  kStateRnorm2 = 83,
  kStateSp = 84,
  kStateNcall = 85,
  kStateRneee = 86,
  kStateFlp = 98,
  kStateFlp2 = 99,
};

// The 12 end values of a member call in element order (translations and
// rotations of end A, then of end B, component 1 along the member).
struct MemberEnds {
  const float* d = nullptr;   // end displacements after the step's increment
  const float* dl = nullptr;  // of the last committed state
  float* p = nullptr;         // out: end forces
};

// The rule's carried words from a state half s (1-based). A set-up clears
// the half first (the member length in word 79 kept) and starts from zeros.
MemberState begin_member_call(float* s, bool setup);
// du(1..12) := D - DL of e, turned into member order (du is 0-based here).
void end_increments(const MemberEnds& e, float* du);
// Hands the rule's results back: the member-order end forces f turned into
// e.p, the condensed stiffness eeasat (12 x 12, member order, column by
// column) into s[1..78] in element order (upper triangle row by row), and
// the carried words into s[79..86].
void end_member_call(const float* eeasat, const std::array<float, 12>& f, const MemberState& ms,
                     const MemberEnds& e, float* s);

}  // namespace members
