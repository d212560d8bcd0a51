// Small routines shared by the hysteresis rules of several models.
#pragma once

namespace materials {

// LDIR: loading direction IDIR in {1, 0, -1} and the branch pair (i1, i2) from
// the force now and before (a, b) and the rates now and before (c, d).
void ldir(int& idir, int& i1, int& i2, float a, float b, float c, float d);

// INTSCT: intersection (x, y) of the line through (x1, y1) with slope s1 and the
// line through (x2, y2) with slope s2. Equal slopes print the error block and
// give x = y = 0.
void intsct(float& x, float& y, float x1, float y1, float s1, float x2, float y2, float s2);

// SLPMIN: min(b/a, c) when a*b > 0, else c.
float slpmin(float a, float b, float c);

}  // namespace materials
