#include "members/nodal_end_record.h"

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
  const StbMem& rec = r.steel();
  NodalEndArrays a;
  a.nump = rec.nump();
  a.u = rec.col(StbArray::U);
  a.v = rec.col(StbArray::V);
  a.area = rec.col(StbArray::AREA);
  a.flen = rec.col(StbArray::FLEN);
  a.bkflag = rec.col(StbArray::BKFLAG);
  a.et = rec.col(StbArray::ET);
  a.eps = rec.col(StbArray::EPS);
  a.ro = {rec.table(StbArray::IYLD), rec.table(StbArray::FLW1), rec.table(StbArray::FLW2),
          rec.table(StbArray::FLW3), rec.table(StbArray::FLW4), rec.table(StbArray::FLW5)};
  a.end[0] = {rec.col(StbArray::BETA), rec.table(StbArray::USEG), rec.table(StbArray::VSEG),
              rec.table(StbArray::E0),  rec.table(StbArray::E1),   rec.table(StbArray::E2),
              rec.table(StbArray::DE),  rec.table(StbArray::SIG)};
  a.end[1] = {r.col(StbEndArray::BETAB), r.table(StbEndArray::USEGB), r.table(StbEndArray::VSEGB),
              r.table(StbEndArray::E0B),  r.table(StbEndArray::E1B),   r.table(StbEndArray::E2B),
              r.table(StbEndArray::DEB),  r.table(StbEndArray::SIGB)};
  return a;
}

}  // namespace members
