// The head of a section set that holds a whole segmented member (the R/C
// and moment-curvature sets): the member words both lay at the same places,
// and the reading of a whole-number word. Whole-number fields are stored as
// reals and read back by truncation.
#pragma once

#include "members/member_rule.h"

namespace members {

// The member words of the head.
enum SetHeadWord : int {
  kHeadNseg = 1,     // W  segments of the member
  kHeadIecop = 16,   // W  1: eccentric loading points
  kHeadSmall = 18,   // R  length of the four short segments
  kHeadRatix0 = 19,  // R  out-of-straightness ratios
  kHeadRatiy0 = 20,  // R
  kHeadIauto = 22,   // W  1: displacement norms and stability parameter
  kHeadQrnee = 27,   // R  divisor of the displacement norm
  kHeadIstif = 28,   // W  segment stiffness option
};

// A whole-number word of the head, truncated toward zero and kept inside int
// range (a word that was never written may hold anything).
int head_int(const float* prop, int word);

// The member words of a head (1-based PROP view); the loading-point offsets
// are measured from the mesh origin.
MemberWords set_member_words(const float* prop);

}  // namespace members
