// Long-rebar buckling: the lowest steel stress at which a longitudinal bar
// buckles between hoops over one or more spacings, and the compressive strain
// that the steel law compares each bar with.
#pragma once

namespace members::rc {

// ECRFUN: the slenderness (buckled length over bar diameter) at which a bar
// at stress sig buckles over p + 1 hoop spacings; target is that length's
// slenderness, (p + 1) s / bard.
float ecrfun(float target, float sig, float fsu, float fyh, float p, float rn, float hoopd, float bard);

// ECRSRC: the lowest buckling stress over the buckled lengths of 1 to 15.9
// spacings (0.0 when no trial stress between FY and 0.99 FSU matches); ipos
// receives the number of extra spacings where it occurs and is left alone when
// nothing is found.
float ecrsrc(float fsu, float fy, float fyh, float rn, float hoopd, float bard, float s, int& ipos);

// The member's buckling strain ECR from a record head (1-based PROP view) and
// the ultimate steel strain in use: EY + (FCR - YS)/(EM RATIO3) when a
// buckling stress is found, 0.0 (no buckling check) otherwise, when the
// ultimate stress does not exceed YS, and for a steel shell (LIBN 1), which
// has no bars to buckle between hoops.
float long_rebar_buckling_strain(const float* prop, float esu);

}  // namespace members::rc
