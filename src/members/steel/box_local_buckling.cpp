#include "members/steel/box_local_buckling.h"

#include <cmath>

namespace members {

namespace {

constexpr float kPlateCoefficient = 4.1945753f;  // 0.425 * pi^2
constexpr float kPlateDenominator = 10.92f;      // 12 * (1 - 0.3^2)
constexpr float kNoBuckling = 999.0f;

// A fibre range [first, last] (1-based; empty when last < first).
struct Range {
  int first = 1, last = 0;
};

struct Plate {
  Range a, b;       // its two halves
  float spacing;    // fibre spacing along it
};

class BoxCheck {
 public:
  BoxCheck(const BoxEndSection& s, const Col& bkflag, float& flp) : s_(s), flag_(bkflag), flp_(flp) {}

  bool yielded_in_compression(int i) const { return sig(i) < 0.0f && s_.et(i) != s_.em; }
  float sig(int i) const { return s_.sig(s_.iseg, i); }

  void flag_all(Range r) const {
    for (int i = r.first; i <= r.last; ++i) flag_(i) = 1.0f;
  }

  // The plate test: the average compressive stress of the plate against the
  // buckling stress of its compressed width.
  void test(const Plate& p, float code) const {
    int n = 0;
    float sum = 0.0f;
    for (const Range& r : {p.a, p.b}) {
      for (int i = r.first; i <= r.last; ++i) {
        if (sig(i) < 0.0f) {
          ++n;
          sum += sig(i);
        }
      }
    }
    float average = 0.0f;
    float critical = kNoBuckling;
    if (n > 0) {
      average = std::fabs(sum / static_cast<float>(n));
      critical = box_plate_buckling_stress(s_.em, static_cast<float>(n) * p.spacing, s_.t);
    }
    if (!(average > critical)) return;
    for (const Range& r : {p.a, p.b}) {
      for (int i = r.first; i <= r.last; ++i) {
        if (sig(i) < 0.0f && flag_(i) != 1.0f) flag_(i) = 1.0f;
      }
    }
    flp_ = code;
  }

 private:
  const BoxEndSection& s_;
  const Col& flag_;
  float& flp_;
};

}  // namespace

float box_plate_buckling_stress(float em, float b, float t) {
  // A plate without thickness or width has no buckling stress to reach.
  if (!(t > 0.0f) || !(b > 0.0f)) return INFINITY;
  const float r = b / t;
  return em * kPlateCoefficient / (r * r * kPlateDenominator);
}

void lbcase(const BoxEndSection& s, const Col& bkflag, float& flp) {
  if (s.libn != 1) return;
  const int n1 = static_cast<int>(s.n1), n2 = static_cast<int>(s.n2);
  const int nn = n1 + n2;
  if (n1 < 1 || n2 < 2 || s.nump != 4 * nn) return;
  for (int i = 1; i <= s.nump; ++i) bkflag(i) = 0.0f;
  // Spacings from neighbouring fibres of one plate; a half plate of a single
  // fibre shows none, and its cell length is the spacing.
  const float dv = n2 >= 3 ? std::fabs(s.v(2) - s.v(3)) : s.flen(2);
  const float du = n1 >= 2 ? std::fabs(s.u(n2 + 1) - s.u(n2 + 2)) : s.flen(n2 + 1);
  const int c1 = 1, c2 = nn + 1, c3 = 2 * nn + 1, c4 = 3 * nn + 1;
  BoxCheck box(s, bkflag, flp);
  const bool y1 = box.yielded_in_compression(c1), y2 = box.yielded_in_compression(c2);
  const bool y3 = box.yielded_in_compression(c3), y4 = box.yielded_in_compression(c4);
  if (y1 && y2 && y3 && y4) {
    box.flag_all({1, s.nump});
    flp = 5.0f;
    return;
  }
  const Plate p12{{2, n2}, {nn + 2, nn + n2}, dv};
  const Plate p34{{2 * nn + 2, 2 * nn + n2}, {3 * nn + 2, 3 * nn + n2}, dv};
  const Plate p13{{n2 + 1, nn}, {2 * nn + n2 + 1, 3 * nn}, du};
  const Plate p24{{nn + n2 + 1, 2 * nn}, {3 * nn + n2 + 1, 4 * nn}, du};
  if (y1 && y3) {
    box.flag_all(p13.a);
    box.flag_all(p13.b);
    box.test(p12, 1.0f);
    box.test(p34, 1.0f);
  }
  if (y2 && y4) {
    box.flag_all(p24.a);
    box.flag_all(p24.b);
    box.test(p12, 2.0f);
    box.test(p34, 2.0f);
  }
  if (y1 && y2) {
    box.flag_all({1, n2});
    box.flag_all({nn + 1, nn + n2});
    box.test(p24, 3.0f);
    box.test(p13, 3.0f);
  }
  if (y3 && y4) {
    box.flag_all({2 * nn + 1, 2 * nn + n2});
    box.flag_all({3 * nn + 1, 3 * nn + n2});
    box.test(p13, 4.0f);
    box.test(p24, 4.0f);
  }
}

}  // namespace members
