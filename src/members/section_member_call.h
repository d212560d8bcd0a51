// What the drivers of the section materials (types 17, 170, 18, 180) share
// around a call of their member rule: the state words of a half, the end
// values turned between element and member order, and the results handed
// back to the element.
#pragma once

#include <array>

#include "elements/stability_element.h"
#include "materials/matdsp.h"
#include "members/member_rule.h"

namespace members {

// The state words of a half are the element's layout (one declaration).
using elements::stability::kFlp2Word;
using elements::stability::kFlpWord;
using elements::stability::kIupdtWord;
using elements::stability::kLengthWord;
using elements::stability::kNcallWord;
using elements::stability::kNtermWord;
using elements::stability::kRneeeWord;
using elements::stability::kRnorm1Word;
using elements::stability::kRnorm2Word;
using elements::stability::kSectionStateWords;
using elements::stability::kSpWord;
using elements::stability::kStiffnessWords;

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
// The condensed stiffness eeasat (12 x 12, member order, column by column)
// turned into element order: entry (a, b) is ke[a * 12 + b].
std::array<float, 144> element_stiffness(const float* eeasat);
// The member-order end forces f turned into e.p.
void end_forces(const std::array<float, 12>& f, const MemberEnds& e);
// The element-order tangent ke into s[1..78] (upper triangle row by row) and
// the carried words into s[79..86].
void store_member_call(const std::array<float, 144>& ke, const MemberState& ms, float* s);
// All three: the forces into e.p, the stiffness and the carried words into s.
void end_member_call(const float* eeasat, const std::array<float, 12>& f, const MemberState& ms,
                     const MemberEnds& e, float* s);

// Options 4 and 5 of a section driver: a member reports no energies,
// ductilities, excursions or damage of its own.
void no_section_results(materials::MatCall& c);

// The option switch every section driver shares: the state size, the member
// call for options 2 and 3, no results of its own for options 4 and 5, and
// the set input for option 1.
template <class MemberCall, class ReadSet>
void section_driver(materials::MatCall& c, MemberCall&& member_call, ReadSet&& read_set) {
  c.nstate = kSectionStateWords;
  switch (c.iopt) {
    case materials::kOptNState:
      return;
    case materials::kOptInit:
    case materials::kOptState:
      member_call();
      return;
    case materials::kOptResults:
    case materials::kOptDamage:
      no_section_results(c);
      return;
    default:
      read_set();
      return;
  }
}

// The end vectors of a member call (none at set-up without them) as the
// member rules take them.
inline MemberEnds member_ends(materials::MatCall& c, materials::EndVectors& none) {
  materials::EndVectors& e = c.ends != nullptr ? *c.ends : none;
  return {e.d.data(), e.dl.data(), e.p.data()};
}

}  // namespace members
