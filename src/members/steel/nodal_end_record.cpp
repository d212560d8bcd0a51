#include "members/steel/nodal_end_record.h"

namespace members {

std::int64_t stb_end_start(StbEndArray a, int nseg, int nump) {
  const std::int64_t n = nseg, m = nump;
  // Behind array 51 (BKFLAG): BETAB (N), seven N*M arrays, BETAM (N).
  std::int64_t s = stb_start(StbArray::BKFLAG, nseg, nump) + m;
  const int k = static_cast<int>(a);
  if (k > static_cast<int>(StbEndArray::BETAB)) s += n;
  if (k > static_cast<int>(StbEndArray::USEGB)) s += (k - static_cast<int>(StbEndArray::USEGB)) * n * m;
  return s;
}

std::int64_t stb_end_words(int nseg, int nump) {
  return stb_end_start(StbEndArray::BETAM, nseg, nump) + nseg;
}

std::int64_t stb_end_nprop(int nseg, int nump) {
  return kStbEndFirstProp - 1 + stb_end_words(nseg, nump);
}

NodalEndArrays nodal_end_arrays(const StbEndMem& r) {
  // End A lives where the segment-average section lives in the steel record,
  // the law-2 history in the places of its law states.
  const SteelFibreArrays f = average_section_arrays(r.steel());
  NodalEndArrays a;
  a.nump = f.nump;
  a.u = f.u;
  a.v = f.v;
  a.area = f.area;
  a.flen = f.flen;
  a.bkflag = f.bkflag;
  a.et = f.et;
  a.eps = f.eps;
  a.ro = {f.iyld, f.flw[0], f.flw[1], f.flw[2], f.flw[3], f.flw[4]};
  a.end[0] = {f.beta, f.useg, f.vseg, f.e0, f.e1, f.e2, f.de, f.sig};
  a.end[1] = {r.col(StbEndArray::BETAB), r.table(StbEndArray::USEGB), r.table(StbEndArray::VSEGB),
              r.table(StbEndArray::E0B),  r.table(StbEndArray::E1B),   r.table(StbEndArray::E2B),
              r.table(StbEndArray::DEB),  r.table(StbEndArray::SIGB)};
  return a;
}

}  // namespace members
