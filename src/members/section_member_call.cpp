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
  ms.xl = s[kLengthWord];
  if (setup) {
    for (int k = 1; k <= kSectionStateWords; ++k)
      if (k != kLengthWord) s[k] = 0.0f;
  } else {
    ms.nsky = static_cast<int>(s[kNtermWord]);
    ms.fnorm0 = s[kRnorm1Word];
    ms.work0 = s[kRnorm2Word];
    ms.sp = s[kSpWord];
    ms.ncall = static_cast<int>(s[kNcallWord]);
    ms.rneee = s[kRneeeWord];
  }
  ms.iupd = 0;
  return ms;
}

void end_increments(const MemberEnds& e, float* du) {
  for (int k = 0; k < 12; ++k) du[k] = e.d[to_element(k)] - e.dl[to_element(k)];
}

std::array<float, 144> element_stiffness(const float* eeasat) {
  // Element term (a, b) is the member's term (member(a), member(b)).
  std::array<int, 12> member_of{};
  for (int r = 0; r < 12; ++r) member_of[to_element(r)] = r;
  std::array<float, 144> ke{};
  for (int a = 0; a < 12; ++a) {
    for (int b = 0; b < 12; ++b) {
      ke[static_cast<std::size_t>(a * 12 + b)] =
          eeasat[member_of[static_cast<std::size_t>(b)] * 12 + member_of[static_cast<std::size_t>(a)]];
    }
  }
  return ke;
}

void end_forces(const std::array<float, 12>& f, const MemberEnds& e) {
  for (int k = 0; k < 12; ++k) e.p[to_element(k)] = f[static_cast<std::size_t>(k)];
}

void store_member_call(const std::array<float, 144>& ke, const MemberState& ms, float* s) {
  int w = 1;
  for (int a = 0; a < 12; ++a) {
    for (int b = a; b < 12; ++b) s[w++] = ke[static_cast<std::size_t>(a * 12 + b)];
  }
  s[kLengthWord] = ms.xl;
  s[kNtermWord] = static_cast<float>(ms.nsky);
  s[kIupdtWord] = static_cast<float>(ms.iupd);
  s[kRnorm1Word] = ms.fnorm0;
  s[kRnorm2Word] = ms.work0;
  s[kSpWord] = ms.sp;
  s[kNcallWord] = static_cast<float>(ms.ncall);
  s[kRneeeWord] = ms.rneee;
}

void end_member_call(const float* eeasat, const std::array<float, 12>& f, const MemberState& ms,
                     const MemberEnds& e, float* s) {
  end_forces(f, e);
  store_member_call(element_stiffness(eeasat), ms, s);
}

void no_section_results(materials::MatCall& c) {
  c.ese = 0.0f;
  c.pse = 0.0f;
  c.duct.fill(0.0f);
  c.ex.fill(0.0f);
  c.di = 0.0f;
}

}  // namespace members
