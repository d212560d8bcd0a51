#include "members/steel/steel_member_record.h"

namespace members {

std::int64_t stb_size(StbArray a, int nseg, int nump) {
  const std::int64_t n = nseg;
  const std::int64_t m = nump;
  const std::int64_t nd = 6 * n + 6;  // internal degrees of freedom
  switch (a) {
    case StbArray::IDOFR: return 12 * n;
    case StbArray::IROTR: return nd;
    case StbArray::BETA: return n;
    case StbArray::ULPE:
    case StbArray::VLPE: return 2;
    case StbArray::USEG:
    case StbArray::VSEG: return n * m;
    case StbArray::U:
    case StbArray::V: return m;
    case StbArray::ZSEG: return 6 * n;
    case StbArray::SLEN: return n;
    case StbArray::DTOT:
    case StbArray::DINC:
    case StbArray::DIMP: return nd;
    case StbArray::CHORD: return n;
    case StbArray::RESERVED:
    case StbArray::FLOC:
    case StbArray::FGLO:
    case StbArray::DGLO: return 12 * n;
    case StbArray::E0:
    case StbArray::E1:
    case StbArray::E2: return n * m;
    case StbArray::ET: return m;
    case StbArray::DCOS:
    case StbArray::DCOS0: return 9 * n;
    case StbArray::ASATO: return nd * nd;
    case StbArray::ASATH: return nd * (nd + 1) / 2;
    case StbArray::MDR: return nd + 1;
    case StbArray::EEASAT:
    case StbArray::TE: return 144;
    case StbArray::DFINC: return nd;
    case StbArray::W: return nd * nd;
    case StbArray::SKS: return 144 * n;
    case StbArray::ECCX:
    case StbArray::ECCY: return 2;
    case StbArray::FINT:
    case StbArray::XV:
    case StbArray::RV: return nd;
    case StbArray::ASAT: return nd * nd;
    case StbArray::EPS: return m;
    case StbArray::DE: return n * m;
    case StbArray::AREA:
    case StbArray::FLEN: return m;
    case StbArray::SIG:
    case StbArray::IYLD:
    case StbArray::FLW1:
    case StbArray::FLW2:
    case StbArray::FLW3:
    case StbArray::FLW4:
    case StbArray::FLW5: return n * m;
    case StbArray::BKFLAG:
    case StbArray::CU:
    case StbArray::CV: return m;
    case StbArray::CURNM: return 1;
    case StbArray::LFLAG: return 20;
  }
  return 0;
}

std::int64_t stb_start(StbArray a, int nseg, int nump) {
  std::int64_t s = 0;
  for (int k = 1; k < static_cast<int>(a); ++k) s += stb_size(static_cast<StbArray>(k), nseg, nump);
  return s;
}

std::int64_t stb_words(int nseg, int nump) {
  return stb_start(StbArray::LFLAG, nseg, nump) + stb_size(StbArray::LFLAG, nseg, nump);
}

std::int64_t stb_nprop(int nseg, int nump) { return kStbFirstProp - 1 + stb_words(nseg, nump); }

StbMem::StbMem(float* base, int nseg, int nump) : base_(base), nseg_(nseg), nump_(nump) {
  std::int64_t s = 0;
  for (int k = 1; k <= kStbArrays; ++k) {
    start_[k] = s;
    s += stb_size(static_cast<StbArray>(k), nseg, nump);
  }
  start_[kStbArrays + 1] = s;
}

Square StbMem::square(StbArray a) const {
  const bool end_block = a == StbArray::EEASAT || a == StbArray::TE;
  return Square{data(a), end_block ? 12 : ndof()};
}

}  // namespace members
