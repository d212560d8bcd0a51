#include "members/rc/rc_member_record.h"

namespace members::rc {

RcLayout rc_layout(int type, int nseg, int nump) {
  RcLayout l;
  l.type = type == kNodalEndType ? kNodalEndType : kSingleSectionType;
  l.nseg = nseg;
  l.nump = nump;
  const std::int64_t n = nseg;
  const std::int64_t p = nump;
  const std::int64_t ndof = 6 * n + 6;
  const std::int64_t np = n * p;

  // Sizes of arrays 1..51, shared by both types.
  const std::int64_t common[kCommonArrays] = {
      12 * n, ndof, n, 2, 2, np, np, p, p, 6 * n,           // LMSEG .. XSEG
      n, ndof, ndof, ndof, n, 12 * n, 12 * n, 12 * n, 12 * n, // SLEN .. DSEG
      np, np, np, p, 9 * n, 9 * n, ndof * ndof,               // E0 .. ASAT
      ndof * (ndof + 1) / 2, ndof + 1, 144, 144, ndof,        // AHALF .. DFEND
      ndof * ndof, 144 * n, 2, 2, ndof, ndof, ndof,           // ASAT0 .. XVEC
      ndof * ndof, p, np, p, p, np, np,                       // ASTF .. FSTATE
      np, np, np, np, np, p};                                 // C51 .. C44
  const std::int64_t tail17[k17Arrays - kCommonArrays] = {n, n, 1, 20, 1, 1, 1};
  const std::int64_t tail170[k170Arrays - kCommonArrays] = {
      n, np, np, np, np, np, np, np, n, np,    // BETAB .. FSTATEB
      np, np, np, np, np, n, n, n, n, 1, 20, 1, 1};  // C51B .. PLSLOWCYCLE

  l.narrays = l.type == kNodalEndType ? k170Arrays : k17Arrays;
  const std::int64_t* tail = l.type == kNodalEndType ? tail170 : tail17;
  std::int64_t w = kFirstMemberWord;
  for (int k = 1; k <= l.narrays; ++k) {
    l.start[static_cast<std::size_t>(k)] = w;
    w += k <= kCommonArrays ? common[k - 1] : tail[k - kCommonArrays - 1];
  }
  l.start[static_cast<std::size_t>(l.narrays) + 1] = w;
  l.nprop = l.start[static_cast<std::size_t>(l.narrays)];
  return l;
}

}  // namespace members::rc
