#include "elements/point_element.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <string_view>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/matrix_print.h"
#include "base/node_tables.h"
#include "elements/element_common.h"
#include "elements/local_axes.h"
#include "fio/fio.h"

namespace elements {
namespace point {

namespace {

constexpr int kElementType = 20;
constexpr int kMaterialType = 20;  // the "POINT" set

// 6 x 6 matrices, column by column: (i, j) at (i-1) + 6(j-1).
using Mat6 = std::array<float, 36>;
inline std::size_t at6(int i, int j) { return static_cast<std::size_t>((i - 1) + 6 * (j - 1)); }

// The upper-triangle terms 7..21 of the state words, row by row.
constexpr std::array<std::array<int, 2>, 15> kOffDiagonal{{
    {1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}, {2, 3}, {2, 4}, {2, 5}, {2, 6}, {3, 4}, {3, 5}, {3, 6}, {4, 5}, {4, 6}, {5, 6}}};

using common::rs_combination;
using common::to_int;

struct Point {
  std::int64_t p;

  float* real(int k) const { return kv::rptr(p + k); }
  std::int32_t* ints(int k) const { return kv::iptr(p + k); }
  int jnode() const { return kv::izm(p + kJNode); }
  int jntid() const { return kv::izm(p + kJntId); }
  std::int64_t izke() const { return p + kBase + kv::izm(p + kNHyst); }
};

// S from the 21 terms of the state words: the diagonal, then the upper
// triangle row by row.
void point_stiffness(const Point& pt, Mat6& s) {
  const float* t = pt.real(kBase) - 1;  // t[1..21]
  s.fill(0.0f);
  for (int i = 1; i <= 6; ++i) s[at6(i, i)] = t[i];
  for (std::size_t k = 0; k < kOffDiagonal.size(); ++k) {
    const int i = kOffDiagonal[k][0];
    const int j = kOffDiagonal[k][1];
    s[at6(i, j)] = t[7 + k];
    s[at6(j, i)] = t[7 + k];
  }
}

// A = [[CTS, 0], [BS, CTS]]: local forces to the joint's equation coordinates.
void transformation(const Point& pt, Mat6& a) {
  a.fill(0.0f);
  const float* cts = pt.real(kCTS);
  const float* bs = pt.real(kBS);
  for (int j = 1; j <= 3; ++j)
    for (int i = 1; i <= 3; ++i) {
      const std::size_t k = static_cast<std::size_t>((i - 1) + 3 * (j - 1));
      a[at6(i, j)] = cts[k];
      a[at6(i + 3, j)] = bs[k];
      a[at6(i + 3, j + 3)] = cts[k];
    }
}

void force_heading(std::string_view text) {
  fio::write(6, "(/,' POINT ELEMENT FORCES...',/,7X,A,/,'   ELEMENT LOAD         NODE',7X,' FX  ',11X,'FY',13X,'FZ',"
                "11X,'  MX   ',10X,'MY',13X,'MZ')",
             text);
}

void force_line(int ielno, int lc, int jntid, const float* f) {
  fio::write(6, "(I10,I5,2X,'FORCE',I6,1P,6E15.6)", ielno, lc, jntid, std::span<const float>(f, 6));
}
void displacement_line(int ielno, int lc, int jntid, const float* d) {
  fio::write(6, "(I10,I5,2X,'DISPL',I6,1P,6E15.6)", ielno, lc, jntid, std::span<const float>(d, 6));
}

void update_peaks(const Point& pt, const float* f) { common::update_envelope(pt.real(kFPeak), f, 6); }

void clear_results(const Point& pt) {
  std::fill(pt.real(kDInc), pt.real(kDInc) + 24, 0.0f);  // DINC, DTOT, FINC, FTOT
  std::fill(pt.real(kFPeak), pt.real(kFPeak) + 36, 0.0f);
}

// MATDSP option 2 on the element's one copy of the state words; the set's type.
int init_material(const Point& pt, int ielno) { return common::init_material(ielno, kv::izm(pt.p + kMatNo), pt.p + kBase); }

// ---------------------------------------------------------------- option 1

void echo(const EleCall& c, bool heading, int matno, int jntid, const std::array<float, 3>& vx,
          const std::array<float, 3>& vy) {
  if (heading) {
    fio::write(6, "(/,' ELEMENT 20,  POINT ELEMENT',/,/,T22,'#  MATL JOINT #    ',3X,8('-'),'  X-AXIS  ',8('-'),6X,"
                  "8('-'),' Y-AXIS  ',8('-'))");
  }
  const common::Label15 label15(c.label);
  fio::write(6, "(1X,A15,3I6,2X,F9.5,' I',SP,F9.5,' J',SP,F9.5,' K',5X,F9.5,' I',SP,F9.5,' J',SP,F9.5,' K',/)",
             label15.view(), c.ielno, matno, jntid, vx[0], vx[1], vx[2], vy[0],
             vy[1], vy[2]);
}

// Leaves the element without stiffness or location vector and without its
// joint, so that no later option reads the node tables through it.
void reject(EleCall& c, const Point& pt) {
  kv::izm(pt.p + kND) = 0;
  kv::izm(pt.p + kJNode) = 0;
  std::fill(pt.ints(kLM), pt.ints(kLM) + 6, 0);
  std::fill(pt.real(kCTS), pt.real(kCTS) + 18, 0.0f);  // CTS, BS
  c.nback = kStiffWords;
}

void check(EleCall& c, const Point& pt) {
  const std::int64_t p = pt.p;
  const float* rin = c.rinput;  // rin[1..8]
  const base::NodeTables nt = base::node_tables();

  kv::rzm(p + kZeroReal) = 0.0f;
  if (kv::trace('H')) {
    fio::write_list(6, c.label);
    base::prtmat(rin + 1, 10, 1, "RINPUT");
  }
  kv::izm(p) = kElementType;
  const int matno = to_int(rin[1]);
  kv::izm(p + kMatNo) = matno;
  const int jntid = to_int(rin[2]);
  kv::izm(p + kJntId) = jntid;
  std::array<float, 3> vy{rin[3], rin[4], rin[5]};
  std::array<float, 3> vx{rin[6], rin[7], rin[8]};
  kv::izm(p + kZeroInt) = 0;

  const int jnode = base::ifind(jntid, nt.nodid_ptr(), kv::ctl(kv::kNNODE));
  kv::izm(p + kJNode) = jnode;
  bool good = jnode > 0;
  if (good && kv::trace('C')) {
    fio::write(7, "(I5,1P,3E12.4)", jntid, static_cast<float>(nt.xyz(jnode, 1)), static_cast<float>(nt.xyz(jnode, 2)),
               static_cast<float>(nt.xyz(jnode, 3)));
  }
  if (kv::trace('H')) fio::write_list(6, "JOINT", jnode, "VX", vx[0], vx[1], vx[2], "VY", vy[0], vy[1], vy[2]);

  std::fill(pt.real(kCTS), pt.real(kCTS) + 18, 0.0f);
  if (good) {
    static constexpr std::array<float, 9> kIdentity{1, 0, 0, 0, 1, 0, 0, 0, 1};
    const int set = nt.icos(jnode);
    const float* cn = set >= 1 && set <= kv::ctl(kv::kNCOS) ? nt.cos_set(set) : kIdentity.data();
    good = locaxs(vx, vy, std::span<const float, 9>(cn, 9), std::span<float, 9>(pt.real(kCTS), 9), 0.0f, 0.0f, 0.0f,
                  std::span<float, 9>(pt.real(kBS), 9), nt.tcon_row(jnode), kv::ctl(kv::kNNDIM));
    if (good && kv::trace('H')) {
      base::prtmat(pt.real(kCTS), 3, 3, "CTS   ");
      base::prtmat(pt.real(kBS), 3, 3, "BS   ");
    }
  }
  clear_results(pt);
  std::fill(pt.ints(kLM), pt.ints(kLM) + 6, 0);
  Mat6 a{};
  transformation(pt, a);
  if (good && kv::trace('H')) base::prtmat(a.data(), 6, 6, " A    ");
  if (!good) {
    fio::write(6, "('  ELEMENT: ',I6,'  START JOINT:',I5,/,' THE ELEMENT IS REJECTED AND ER','ROR CHECKING CONTINUES')",
               c.ielno, jntid);
  }

  const int mtype = init_material(pt, c.ielno);
  if (good && mtype != kMaterialType) {
    fio::write(6, "('  ELEMENT: ',I6,'  INCOMPATIBLE MATERIAL PROP.#',I5,'  START JOINT:',I5,/,"
                  "' THE ELEMENT IS REJECTED AND ER','ROR CHECKING CONTINUES')",
               c.ielno, mtype, jntid);
    good = false;
  }
  if (!good) {
    reject(c, pt);
    echo(c, false, matno, jntid, vx, vy);
    return;
  }

  if (kv::trace('H')) fio::write_list(6, "RELT", 0);
  kv::izm(p + kZeroInt) = 0;
  Mat6 s{};
  point_stiffness(pt, s);
  // ASAT = A * S * A' (first S * A', then A times it).
  Mat6 sat{};
  for (int j = 1; j <= 6; ++j)
    for (int i = 1; i <= 6; ++i) {
      float sum = 0.0f;
      for (int k = 1; k <= 6; ++k) sum += s[at6(i, k)] * a[at6(j, k)];
      sat[at6(i, j)] = sum;
    }
  Mat6 asat{};
  for (int j = 1; j <= 6; ++j)
    for (int i = 1; i <= 6; ++i) {
      float sum = 0.0f;
      for (int k = 1; k <= 6; ++k) sum += a[at6(i, k)] * sat[at6(k, j)];
      asat[at6(i, j)] = sum;
    }
  if (kv::trace('I')) base::prtmat(asat.data(), 6, 6, " ASAT ");

  std::array<std::int32_t, 6> lmt{};
  std::array<bool, 7> active{};
  for (int i = 1; i <= 6; ++i) {
    lmt[static_cast<std::size_t>(i - 1)] = nt.id(jnode, i);
    active[static_cast<std::size_t>(i)] = lmt[static_cast<std::size_t>(i - 1)] != 0 && asat[at6(i, i)] > 0.0f;
  }
  float* ke = kv::rptr(pt.izke());
  std::int32_t* lm = pt.ints(kLM);
  int nd = 0;
  int n = 0;
  for (int i = 1; i <= 6; ++i) {
    if (!active[static_cast<std::size_t>(i)]) continue;
    lm[nd++] = lmt[static_cast<std::size_t>(i - 1)];
    for (int j = i; j >= 1; --j)
      if (active[static_cast<std::size_t>(j)]) ke[n++] = asat[at6(i, j)];
  }
  kv::izm(p + kND) = nd;
  if (kv::trace('H')) {
    fio::write_list(6, "LMT=", std::span<const std::int32_t>(lmt));
    fio::write_list(6, "IELDOF", nd);
    fio::write_list(6, "LM =", std::span<const std::int32_t>(lm, static_cast<std::size_t>(nd)));
    base::skyprt(ke, kv::titles().np.data() + 1, nd, n, "ELEMENT STIFFNESS");
  }
  c.nback = kStiffWords - n;
  echo(c, c.typchg || kv::trace('H') || kv::trace('I'), matno, jntid, vx, vy);
}

// ---------------------------------------------------------------- options 4-13

void recover(EleCall& c, const Point& pt) {
  if (c.lecho && c.typchg) force_heading(kv::titles().ldlabl);
  const int nlc = kv::ctl(kv::kNLC);
  const int neq = kv::ctl(kv::kNEQ);
  const int jnode = pt.jnode();
  Mat6 s{};
  if (jnode > 0) point_stiffness(pt, s);
  const base::NodeTables nt = base::node_tables();
  const float* cts = pt.real(kCTS);
  const float* bs = pt.real(kBS);
  float* dinc = pt.real(kDInc);
  float* finc = pt.real(kFInc);
  for (int lc = 1; lc <= nlc; ++lc) {
    std::array<float, 6> u{};
    if (jnode > 0 && c.idisp > 0) {
      const float* col = kv::rptr(c.idisp + static_cast<std::int64_t>(lc - 1) * neq) - 1;  // col[eq]
      for (int k = 1; k <= 6; ++k) {
        const int eq = nt.id(jnode, k);
        if (eq > 0 && eq <= neq) u[static_cast<std::size_t>(k - 1)] = col[eq];
      }
    }
    // DINC = A' u.
    for (int i = 0; i < 3; ++i) {
      float t = 0.0f;
      float r = 0.0f;
      for (int j = 0; j < 3; ++j) {
        t += cts[j + 3 * i] * u[static_cast<std::size_t>(j)] + bs[j + 3 * i] * u[static_cast<std::size_t>(j + 3)];
        r += cts[j + 3 * i] * u[static_cast<std::size_t>(j + 3)];
      }
      dinc[i] = t;
      dinc[i + 3] = r;
    }
    for (int i = 1; i <= 6; ++i) {
      float sum = 0.0f;
      for (int k = 1; k <= 6; ++k) sum += s[at6(i, k)] * dinc[k - 1];
      finc[i - 1] = sum;
    }
    if (nlc > 1) update_peaks(pt, finc);
    if (kv::trace('A') && c.lecho) displacement_line(c.ielno, lc, pt.jntid(), dinc);
    if (c.lecho && common::forces_finite(c.ielno, finc, 6)) force_line(c.ielno, lc, pt.jntid(), finc);
  }
  if (rs_combination()) std::copy(finc, finc + 6, kv::solsta().rsforc.begin() + 1);
}

void commit(EleCall& c, const Point& pt) {
  if (c.lecho && c.typchg) force_heading(kv::titles().ldlabl);
  float* ftot = pt.real(kFTot);
  float* dtot = pt.real(kDTot);
  common::commit_totals(ftot, dtot, pt.real(kFInc), pt.real(kDInc), 6, pt.real(kFPeak));
  if (kv::trace('A') && c.lecho) displacement_line(c.ielno, 1, pt.jntid(), dtot);
  if (c.lecho) force_line(c.ielno, 1, pt.jntid(), ftot);
}

void write_history(const Point& pt) {
  fio::write(kv::ctl(kv::kIUNIT), "(I6,6E15.6,/,I6,6E15.6)", pt.jntid(), std::span<const float>(pt.real(kFTot), 6),
             pt.jntid(), std::span<const float>(pt.real(kDTot), 6));
}

void read_history(const Point& pt) {
  const common::HistoryRequest h = common::history_request();
  const int unit = h.unit;
  fio::write(6, "(/,'       POINT ELEMENT FORCES & DISPLACEMENTS...',/,'      STEP    TIME         NODE',7X,'FX',11X,"
                "'FY',13X,'FZ',11X,'MX',10X,'MY',13X,'MZ')");
  float* f = pt.real(kFTot);
  float* d = pt.real(kDTot);
  std::int32_t jntid = 0;
  int step = 0;
  auto read = [&] {
    if (fio::read_fmt(unit, "(I6,6E15.6)", jntid, std::span<float>(f, 6)) != fio::Status::ok) return false;
    kv::izm(pt.p + kJntId) = jntid;
    if (fio::read_fmt(unit, "(I6,6E15.6)", jntid, std::span<float>(d, 6)) != fio::Status::ok) return false;
    kv::izm(pt.p + kJntId) = jntid;
    return true;
  };
  common::history_records(h, step, read, [&](int stp, float time) {
    fio::write(6, "(/,I10,E12.5,1X,'FORCE',1X,I6,1P,6E15.6)", stp, time, jntid, std::span<const float>(f, 6));
    fio::write(6, "(23X,'DISP ',7X,1P,6E15.6)", std::span<const float>(d, 6));
  });
}

void maxima(const EleCall& c, const Point& pt) {
  common::envelope_report(c.typchg, pt.real(kFPeak), 6, force_heading,
                          [&](int i, const float* col) { force_line(c.ielno, i, pt.jntid(), col); });
}

void reset(const EleCall& c, const Point& pt) {
  clear_results(pt);
  fio::write(6, "(' POINT ELEMENT.. ELEMENT #',I6,'  INTERNAL FORCES AND DISPLACEMENTS ARE RESET TO ZERO')", c.ielno);
  init_material(pt, c.ielno);
}

void state_size(const EleCall& c, const Point& pt) {
  const int set = to_int(c.rinput[1]);
  kv::izm(pt.p + kMatNo) = set;
  kv::izm(pt.p + kNHyst) = common::material_state_words(c.ielno, set);
}

}  // namespace
}  // namespace point

void ele20(EleCall& c) {
  const point::Point pt{c.p};
  switch (c.iopt) {
    case kEleCheck: point::check(c, pt); break;
    case kEleState: point::recover(c, pt); break;
    case kEleCommit: point::commit(c, pt); break;
    case kEleHistWrite: point::write_history(pt); break;
    case kEleHistRead: point::read_history(pt); break;
    case kEleNState: point::state_size(c, pt); break;
    case kEleMaxima: point::maxima(c, pt); break;
    case kEleReset: point::reset(c, pt); break;
    case kEleGeom:
    case kEleStiff:
    case kEleLoads:
    case kEleEnergy:
    case kEleDuct:
    case kEleDamage:
      break;
    default:
      fio::write_list(6, "INVALID OPTION IN ELE-20, IOPT=", c.iopt);
      break;
  }
}

}  // namespace elements
