// Loading direction, line intersection and slope limit used by the rules of
// the degrading hysteresis models.
#include "materials/rules.h"

#include <cmath>

#include "fio/fio.h"

namespace materials {

void ldir(int& idir, int& i1, int& i2, float a, float b, float c, float d) {
  // c*d < 0: the rate changed sign in the step, which flips the verdict.
  const bool rate_kept = c * d >= 0.0f;
  if (a == 0.0f) {
    idir = rate_kept ? 0 : -1;
  } else if (a * b < 0.0f) {
    idir = rate_kept ? 0 : 1;
  } else if (std::fabs(b) <= std::fabs(a)) {
    idir = rate_kept ? 1 : -1;
  } else {
    idir = rate_kept ? -1 : 1;
  }
  if (a >= b) {
    i1 = 2;
    i2 = 1;
  } else {
    i1 = 1;
    i2 = 2;
  }
}

void intsct(float& x, float& y, float x1, float y1, float s1, float x2, float y2, float s2) {
  if (s1 != s2) {
    const float c1 = y1 - s1 * x1;
    const float c2 = y2 - s2 * x2;
    x = (c1 - c2) / (s2 - s1);
    y = (c1 * s2 - c2 * s1) / (s2 - s1);
    return;
  }
  fio::write(6, "(/,' ****** ER','ROR IN INTSCT....',1X,'S1=S2, NO SOLN,  THUS SET X=Y=0.',/,"
                "'   X1=',1PE15.5,'  Y1=',E15.5,'  S1=',E15.5,/,"
                "'   X2=',E15.5,'  Y2=',E15.5,'  S2=',E15.5,/)",
             x1, y1, s1, x2, y2, s2);
  x = 0.0f;
  y = 0.0f;
}

float slpmin(float a, float b, float c) {
  if (a * b > 0.0f) {
    const float r = b / a;
    return r <= c ? r : c;
  }
  return c;
}

}  // namespace materials
