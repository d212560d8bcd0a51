#include "members/section_member_call.h"

#include <cstddef>

namespace members {

namespace {

// Element component of member component k (0-based, groups of three): the
// member's third axis is the element's first, the member axis.
constexpr std::array<int, 3> kElementOf{1, 2, 0};
std::size_t to_element(int k) {
  return static_cast<std::size_t>(k / 3 * 3 + kElementOf[static_cast<std::size_t>(k % 3)]);
}

}  // namespace

MemberState begin_member_call(float* s, bool setup) {
  MemberState ms;
  ms.xl = s[kStateXlen];
  if (setup) {
    for (int k = 1; k <= kSectionStateWords; ++k)
      if (k != kStateXlen) s[k] = 0.0f;
  } else {
    ms.nsky = static_cast<int>(s[kStateNterm]);
    ms.fnorm0 = s[kStateRnorm1];
    ms.work0 = s[kStateRnorm2];
    ms.sp = s[kStateSp];
    ms.ncall = static_cast<int>(s[kStateNcall]);
    ms.rneee = s[kStateRneee];
  }
  ms.iupd = 0;
  return ms;
}

void end_increments(const MemberEnds& e, float* du) {
  for (int k = 0; k < 12; ++k) du[k] = e.d[to_element(k)] - e.dl[to_element(k)];
}

void end_member_call(const float* eeasat, const std::array<float, 12>& f, const MemberState& ms,
                     const MemberEnds& e, float* s) {
  for (int k = 0; k < 12; ++k) e.p[to_element(k)] = f[static_cast<std::size_t>(k)];
  // Element term (a, b) is the member's term (member(a), member(b)).
  std::array<int, 12> member_of{};
  for (int r = 0; r < 12; ++r) member_of[to_element(r)] = r;
  int w = 1;
  for (int a = 0; a < 12; ++a) {
    for (int b = a; b < 12; ++b) {
      s[w++] = eeasat[member_of[static_cast<std::size_t>(b)] * 12 + member_of[static_cast<std::size_t>(a)]];
    }
  }
  s[kStateXlen] = ms.xl;
  s[kStateNterm] = static_cast<float>(ms.nsky);
  s[kStateIupdt] = static_cast<float>(ms.iupd);
  s[kStateRnorm1] = ms.fnorm0;
  s[kStateRnorm2] = ms.work0;
  s[kStateSp] = ms.sp;
  s[kStateNcall] = static_cast<float>(ms.ncall);
  s[kStateRneee] = ms.rneee;
}

}  // namespace members
