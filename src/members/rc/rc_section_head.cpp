#include "members/rc/rc_section_head.h"

#include <cmath>

#include "members/rc/rc_member_record.h"

namespace members::rc {

namespace {

// Counts beyond this are taken as faults before any product is formed.
constexpr std::int64_t kCountLimit = 1'000'000;
// A record length is kept as a REAL in word 29: beyond 2**24 it is no longer exact.
constexpr std::int64_t kMaxRecordWords = 16'777'216;

bool is_circular(int libn) { return libn == kCircularShell || libn == kCircularBars; }

// A length within 0 to kMaxLength (in magnitude for an eccentricity); the
// thicknesses and sides that the layer test already holds above 0 need only
// the upper bound.
bool sane_length(float x) { return x >= 0.0f && x <= kMaxLength; }
bool sane_offset(float x) { return std::fabs(x) <= kMaxLength; }
bool below_max(float x) { return !(x > kMaxLength); }

}  // namespace

std::int64_t fibre_count(const float* prop) {
  const std::int64_t n1 = head_int(prop, kN1);
  const std::int64_t n2 = head_int(prop, kN2);
  switch (head_int(prop, kLIBN)) {
    case kCircularShell: return 4 * n1 * n2 + 4;
    case kCircularBars: return 4 * n1 * n2 + head_int(prop, kNBAR1) + 4;
    case kRectangular:
      return 4 * n1 * n2 + head_int(prop, kNBAR1) + head_int(prop, kNBAR2) + 2 * std::int64_t{head_int(prop, kNBAR3)} +
             4 * (n1 + n2) + 4;
    default: return -1;
  }
}

unsigned head_faults(const float* prop, int type, float member_length) {
  unsigned f = 0;
  const int libn = head_int(prop, kLIBN);
  const int nseg = head_int(prop, kNSEG);
  const int n1 = head_int(prop, kN1);
  const int n2 = head_int(prop, kN2);
  const int nbar1 = head_int(prop, kNBAR1);
  const int nbar2 = head_int(prop, kNBAR2);
  const int nbar3 = head_int(prop, kNBAR3);

  if (libn != kCircularShell && libn != kCircularBars && libn != kRectangular) f |= kFaultLibn;
  if (nseg < 1 || nseg > kMaxSegments) f |= kFaultNseg;

  if (is_circular(libn)) {
    if (n1 < 1) f |= kFaultMeshCount;
    if (n2 < 2) f |= kFaultLayers;
    // Layer 1 (cover), layer 2 (shell or bar ring) and the inner layers that
    // fill the ring down to the centre fibres at 0.05 of the radius.
    const float r0 = prop[kD1] / 2.0f;
    if (!(prop[kD2] > 0.0f) || !(prop[kT2] > 0.0f) || !(r0 - 0.05f * r0 - prop[kD2] - prop[kT2] > 0.0f))
      f |= kFaultThickness;
    if (!(prop[kHOOP2] >= kMinSpacing && prop[kHOOP2] <= kMaxLength)) f |= kFaultHoop;
    if (!sane_length(prop[kD1]) || !below_max(prop[kD2]) || !below_max(prop[kT2]) || !sane_length(prop[kHOOP1]))
      f |= kFaultDimension;
    if (libn == kCircularBars) {
      if (nbar1 < 0) f |= kFaultBarCount;
      if (nbar1 == 0 && prop[kSPLICE] > 0.0f) f |= kFaultSplice;
    }
  } else if (libn == kRectangular) {
    if (n1 < 1 || n2 < 1) f |= kFaultMeshCount;
    const float c = prop[kT2];
    if (!(c > 0.0f) || !(prop[kD1] - 2.0f * c > 0.0f) || !(prop[kD2] - 2.0f * c > 0.0f)) f |= kFaultThickness;
    // One top or bottom bar leaves the bar spacing no divisor.
    if (nbar1 == 1 || nbar2 == 1 || nbar1 < 0 || nbar2 < 0 || nbar3 < 0) f |= kFaultBarCount;
    // The splice strength is worked out from the top bars.
    if (prop[kSPLICE] > 0.0f && (nbar1 == 0 || !(prop[kDBAR1] > 0.0f))) f |= kFaultSplice;
    for (int w : {kD1, kD2, kT2})
      if (!below_max(prop[w])) f |= kFaultDimension;
    for (int w : {kDBAR1, kDBAR2, kDBAR3, kRHOOPDIA, kRHOOPSPA})
      if (!sane_length(prop[w])) f |= kFaultDimension;
    for (int w : {kHOOP1, kHOOP2})
      if (!(prop[w] >= 0.0f && prop[w] <= 1.0f)) f |= kFaultRatio;
  }
  if (libn == kCircularShell || libn == kCircularBars || libn == kRectangular) {
    if (!sane_length(prop[kSPLICE]) || !sane_offset(prop[kECCX0]) || !sane_offset(prop[kECCY0]))
      f |= kFaultDimension;
  }
  if (!(prop[kYS] >= 0.0f && prop[kYS] <= kMaxSteel) || !(prop[kYSHOOP] >= 0.0f && prop[kYSHOOP] <= kMaxSteel) ||
      !(prop[kEM] > 0.0f && prop[kEM] <= kMaxSteel))
    f |= kFaultSteel;
  const int istif = head_int(prop, kISTIF);
  if (istif != 0 && istif != 1) f |= kFaultIstif;

  const int iecop = head_int(prop, kIECOP);
  if (iecop != 0 && iecop != 1) f |= kFaultIecop;
  const int ielas = head_int(prop, kIELAS);
  if (ielas < 0 || ielas > 2) f |= kFaultIelas;
  if (head_int(prop, kIMATER) != libn) f |= kFaultImater;
  // The envelope's exponent Ec / (Ec - f'c/0.002) needs Ec = 57000 sqrt(f'c)
  // above the unconfined secant modulus: f'c below 12996 psi.
  const float fpc = prop[kFPC];
  if (!(fpc > 0.0f) || !(57000.0f * std::sqrt(fpc) > fpc / 0.002f)) f |= kFaultStrength;

  if (member_length > 0.0f && nseg >= 5 && 4.0f * prop[kSMALL] >= member_length) f |= kFaultShortSegments;

  // The record length, once the counts are sane enough to form it.
  if ((f & (kFaultLibn | kFaultNseg | kFaultMeshCount | kFaultBarCount)) == 0) {
    if (n1 > kCountLimit || n2 > kCountLimit || nbar1 > kCountLimit || nbar2 > kCountLimit || nbar3 > kCountLimit) {
      f |= kFaultRecordSize;
    } else {
      const std::int64_t nump = fibre_count(prop);
      if (nump > kMaxRecordWords || rc_layout(type, nseg, static_cast<int>(nump)).nprop > kMaxRecordWords)
        f |= kFaultRecordSize;
    }
  }
  return f;
}

}  // namespace members::rc
