#include "members/momcurv/mc_section_head.h"

#include "members/section_set_head.h"
#include "members/member_views.h"

namespace members::momcurv {

namespace {

// Counts beyond this are taken as faults before any product is formed.
constexpr std::int64_t kCountLimit = 100'000;
// A record length is kept as a REAL in word 29: beyond 2**24 it is no longer exact.
constexpr std::int64_t kMaxRecordWords = 16'777'216;

}  // namespace

McTable mc_table(int na, int nc) {
  McTable t;
  t.na = na;
  t.nc = nc;
  const std::int64_t block = std::int64_t{na} * nc;
  t.pm = t.pa + na;
  t.pc = t.pm + block;
  t.end = t.pc + block;
  return t;
}

McLayout mc_layout(int type, int nseg, int na, int nc) {
  McLayout l;
  l.type = type == kNodalEndType ? kNodalEndType : kSingleSectionType;
  l.nseg = nseg;
  l.na = na;
  l.nc = nc;
  const std::int64_t n = nseg;
  const std::int64_t p = kMcNump;
  const std::int64_t ndof = 6 * n + 6;
  const std::int64_t np = n * p;
  const std::int64_t nna = n * na;
  const std::int64_t nnanc = nna * nc;

  const std::int64_t sizes[k180Arrays] = {
      12 * n, ndof, n, 2, 2, np, np, p, p, 6 * n,             // LMSEG .. XSEG
      n, ndof, ndof, ndof, n, 12 * n, 12 * n, 12 * n, 12 * n,   // SLEN .. DSEG
      nna, nnanc, nnanc, p, 9 * n, 9 * n, ndof * ndof,          // SEGPA .. ASAT
      ndof * (ndof + 1) / 2, ndof + 1, 144, 144, ndof,          // AHALF .. DFEND
      ndof * ndof, 144 * n, 2, 2, ndof, ndof, ndof,             // ASAT0 .. XVEC
      ndof * ndof, p, np, p, p, np, np, np,                     // ASTF .. MCSTP
      np, np, np, np, p,                                        // C52 .. C44
      nna, nnanc, nnanc, np, np};                               // SEGPA2 .. MCSTP2

  l.narrays = l.type == kNodalEndType ? k180Arrays : k18Arrays;
  std::int64_t w = mc_table(na, nc).end;
  for (int k = 1; k <= l.narrays; ++k) {
    l.start[static_cast<std::size_t>(k)] = w;
    w += sizes[k - 1];
  }
  l.start[static_cast<std::size_t>(l.narrays) + 1] = w;
  l.nprop = w - 1;
  return l;
}

unsigned mc_head_faults(const float* prop) {
  unsigned f = 0;
  const int nseg = head_int(prop, kNSEG);
  const int nc = head_int(prop, kNC);
  const int na = head_int(prop, kNA);
  if (head_int(prop, kLIBN) != 1) f |= kFaultLibn;
  if (nseg < 1 || nseg > kMaxSegments) f |= kFaultNseg;
  if (nc < 2) f |= kFaultPoints;
  if (na < 0) f |= kFaultAxialLoads;
  if (head_int(prop, kIMATER) != 1) f |= kFaultImater;
  // Any other option leaves every segment without stiffness.
  const int istif = head_int(prop, kISTIF);
  if (istif != 0 && istif != 1) f |= kFaultIstif;
  if (nc > kCountLimit || na > kCountLimit) {
    f |= kFaultRecordSize;
  } else if ((f & (kFaultNseg | kFaultAxialLoads)) == 0 && nc >= 0 &&
             mc_layout(kNodalEndType, nseg, na, nc).nprop > kMaxRecordWords) {
    f |= kFaultRecordSize;
  }
  return f;
}

unsigned mc_table_faults(const float* prop) {
  const int na = head_int(prop, kNA);
  const int nc = head_int(prop, kNC);
  const McTable t = mc_table(na, nc);
  unsigned f = 0;
  for (int i = 1; i <= na; ++i) {
    const float* m = prop + t.pm + static_cast<std::int64_t>(i - 1) * nc - 1;  // m[j], j = 1..nc
    const float* c = prop + t.pc + static_cast<std::int64_t>(i - 1) * nc - 1;
    if (nc < 1) break;
    if (!(c[1] > 0.0f) || !(m[1] > 0.0f)) f |= kFaultFirstPoint;
    for (int j = 2; j <= nc; ++j)
      if (!(c[j] > c[j - 1])) f |= kFaultAscending;
    if (nc >= 2 && (f & (kFaultFirstPoint | kFaultAscending)) == 0) {
      const float ei0 = m[1] / c[1];
      const float sl = (m[nc] - m[nc - 1]) / (c[nc] - c[nc - 1]);
      if (ei0 == sl) f |= kFaultLastSlope;
    }
  }
  return f;
}

}  // namespace members::momcurv
