#include "elements/plate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <string_view>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/matrix_print.h"
#include "base/node_tables.h"
#include "base/storage.h"
#include "elements/element_common.h"
#include "elements/plate_geometry.h"
#include "fio/fio.h"
#include "materials/plate_point.h"

namespace elements {
namespace plate {

namespace {

constexpr int kElementType = 16;
constexpr int kMaterialType = 16;  // the "PLATE" set
constexpr int kUniformFz = 3;

// State words of the "PLATE" set.
using materials::plate_section::kE;
using materials::plate_section::kNu;
using materials::plate_section::kThickness;

constexpr std::string_view kMaximaText =
    "MAXIMUM LOADS AND DISPL AT MAXIMUM LOADS  NOTE: MAXIMUM VALUES MAY NOT OCCUR SIMULTANEOUSLY";

using common::to_int;

struct Plate {
  std::int64_t p;

  float* real(int k) const { return kv::rptr(p + k); }
  std::int32_t* ints(int k) const { return kv::iptr(p + k); }
  int node(int n) const { return kv::izm(p + kJNode + n - 1); }  // n = 1..4
  std::array<int, 4> nodes() const { return {node(1), node(2), node(3), node(4)}; }
  bool rejected() const { return kv::izm(p + kRejected) != 0; }
  std::int64_t izke() const { return p + kBase + kv::izm(p + kNHyst); }
  float length() const { return kv::rzm(p + kLength); }
  float width() const { return kv::rzm(p + kWidth); }
};

// ID of joint n (1..4) as the reports show it; 0 for a joint that was not found.
int joint_id(const base::NodeTables& nt, const Plate& pl, int n) {
  const int node = pl.node(n);
  return node > 0 ? static_cast<int>(nt.nodid(node)) : 0;
}

std::array<Vec3, 4> corners(const base::NodeTables& nt, const Plate& pl) {
  std::array<Vec3, 4> x{};
  for (int n = 1; n <= 4; ++n)
    for (int k = 1; k <= 3; ++k) x[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(k - 1)] = nt.xyz(pl.node(n), k);
  return x;
}

// A2 of the plate's joints, with its trace (letter H). False when the axes
// cannot be formed.
bool form_a2(const Geometry& g, const base::NodeTables& nt, const Plate& pl, Mat24& a2) {
  const bool ok = joint_blocks(g, nt, pl.nodes(), a2);
  if (ok && kv::trace('H')) {
    fio::write_list(6, "JOINTS J1, J2, J3, & J4", pl.node(1), pl.node(2), pl.node(3), pl.node(4));
    base::prtmat(a2.data(), kJointDofs, kJointDofs, "A2");
  }
  return ok;
}

// The geometry of an accepted plate again, with its A2.
bool geometry_again(const base::NodeTables& nt, const Plate& pl, Mat24& a2) {
  const Geometry g = geometry(corners(nt, pl));
  return g.formed() && form_a2(g, nt, pl, a2);
}

// The plate components of joint n in report order (FX FY FZ MX MY).
std::array<float, 5> report(const float* q, int n) {
  std::array<float, 5> v{};
  for (int k = 0; k < 5; ++k) v[static_cast<std::size_t>(k)] = q[report_dof(n, k) - 1];
  return v;
}

void force_heading(std::string_view text) {
  fio::write(6, "(/,'       PLATE ELEMENT FORCES...',/,7X,A,/,'   ELEMENT LOAD         NODE',7X,' FX  ',11X,'FY',13X,"
                "'FZ',11X,'  MX   ',10X,'MY')",
             text);
}

// The eight lines of forces and displacements of one state.
void force_block(const base::NodeTables& nt, const Plate& pl, int ielno, int lc, const float* f, const float* d) {
  const auto f1 = report(f, 1), f2 = report(f, 2), f3 = report(f, 3), f4 = report(f, 4);
  const auto d1 = report(d, 1), d2 = report(d, 2), d3 = report(d, 3), d4 = report(d, 4);
  const int j1 = joint_id(nt, pl, 1), j2 = joint_id(nt, pl, 2), j3 = joint_id(nt, pl, 3), j4 = joint_id(nt, pl, 4);
  using S5 = std::span<const float, 5>;
  fio::write(6, "(I10,I5,2X,'FORCE',I6,1P,5E15.6,/,17X,'DISP ',I6,5E15.6,/,17X,'FORCE',I6,5E15.6,/,"
                "17X,'DISP ',I6,5E15.6,/,17X,'FORCE',I6,5E15.6,/,17X,'DISP ',I6,5E15.6,/,"
                "17X,'FORCE',I6,5E15.6,/,17X,'DISP ',I6,5E15.6)",
             ielno, lc, j1, S5(f1), j1, S5(d1), j2, S5(f2), j2, S5(d2), j3, S5(f3), j3, S5(d3), j4, S5(f4), j4, S5(d4));
}

void update_fmax(const Plate& pl, const float* f) {
  float* fmax = pl.real(kFMax);
  for (int i = 0; i < kPlateDofs; ++i)
    if (std::fabs(fmax[i]) < std::fabs(f[i])) fmax[i] = f[i];
}

// Free words at IZ for the fixed-end forces of all load cases (not reserved).
float* fef_scratch(int nlc) { return common::scratch_at_iz(kJointDofs, nlc); }

// MATDSP option 2 on the element's one copy of the state words; the set's type.
int init_material(const Plate& pl, int ielno) { return common::init_material(ielno, kv::izm(pl.p + kMatNo), pl.p + kBase); }

void clear_results(const Plate& pl) {
  std::fill(pl.real(kDInc), pl.real(kDInc) + 4 * kPlateDofs, 0.0f);  // DINC, DTOT, FINC, FTOT
  std::fill(pl.real(kFMax), pl.real(kFMax) + kPlateDofs, 0.0f);
}

// ---------------------------------------------------------------- option 1


void echo(const EleCall& c, bool heading, int matno, const std::array<int, 4>& ids, float length, float width,
          const Vec3& vz) {
  if (heading) {
    fio::write(6, "(/,' ELEMENT 16, PLATE ELEMENT',/,/,T17,'  ELEM','  MAT ',4(' JOINT'),'    LENGTH   ',"
                  "'    WIDTH   ',/,T17,'     #','  MAT ','    #1','    #2','    #3','    #4',32X,11('-'),"
                  "' Z-AXIS ',12('-'),/)");
  }
  const common::Label15 label15(c.label);
  fio::write(6, "(1X,A15,6I6,2X,1P,2E12.4,3X,0P,F9.5,' I',SP,F9.5,' J',F9.5,' K')",
             label15.view(), c.ielno, matno, ids[0], ids[1], ids[2], ids[3],
             length, width, vz[0], vz[1], vz[2]);
}

// Leaves the element without stiffness or location vector; later options see
// the mark and touch neither the node tables nor the global tables through it.
void reject(EleCall& c, const Plate& pl) {
  kv::izm(pl.p + kRejected) = 1;
  kv::izm(pl.p + kND) = 0;
  std::fill(pl.ints(kLM), pl.ints(kLM) + kJointDofs, 0);
  std::fill(pl.real(kA), pl.real(kA) + kJointDofs * kPlateDofs + kPlateDofs * kPlateDofs, 0.0f);  // A and S
  c.nback = kStiffWords;
}

void rejected_line(int ielno, const std::array<int, 4>& ids) {
  fio::write(6, "('  ELEMENT: ',I6,'  NODE1:',I5,'  NODE2:',I5,'  NODE3:',I5,'  NODE4:',I5,/,"
                "' THE ELEMENT IS REJECTED AND ER','ROR CHECKING CONTINUES')",
             ielno, ids[0], ids[1], ids[2], ids[3]);
}

void check(EleCall& c, const Plate& pl) {
  const std::int64_t p = pl.p;
  const float* rin = c.rinput;  // rin[1..5]
  const base::NodeTables nt = base::node_tables();
  const int nnode = kv::ctl(kv::kNNODE);

  kv::izm(p) = kElementType;
  kv::izm(p + kRejected) = 0;
  const int matno = to_int(rin[1]);
  kv::izm(p + kMatNo) = matno;
  std::array<int, 4> ids{};
  bool good = true;
  for (int n = 1; n <= 4; ++n) {
    ids[static_cast<std::size_t>(n - 1)] = to_int(rin[n + 1]);
    const int pos = base::ifind(ids[static_cast<std::size_t>(n - 1)], nt.nodid_ptr(), nnode);
    kv::izm(p + kJNode + n - 1) = pos;
    if (pos <= 0) good = false;
  }

  Geometry g;
  if (good) {
    g = geometry(corners(nt, pl));
    if (!(g.length > 0.0f)) {
      common::size_error(c.ielno, "LENGTH", g.length);
      good = false;
    } else if (!(g.w1 > 0.0f && g.w2 > 0.0f)) {
      common::size_error(c.ielno, "WIDTH", std::min(g.w1, g.w2));
      good = false;
    } else {
      if (std::fabs(g.twist) > kTwistLimit) {
        fio::write(6, "(5X,10('*'),' WARNING THE PLATE IS TWISTED=',1P,E12.4,' DEGREES, REVISE INPUT AND RERUN')",
                   g.twist);
      }
      if (kv::trace('H')) {
        fio::write_list(6, "JOINTS", pl.node(1), pl.node(2), pl.node(3), pl.node(4));
        fio::write_list(6, "               VX", g.vx[0], g.vx[1], g.vx[2]);
        fio::write_list(6, "               VY", g.vy[0], g.vy[1], g.vy[2]);
        fio::write_list(6, "               VZ", g.vz[0], g.vz[1], g.vz[2]);
        fio::write_list(6, "LENGTH", g.length);
      }
    }
  }
  kv::rzm(p + kLength) = g.length;
  kv::rzm(p + kWidth) = g.width;

  clear_results(pl);
  std::fill(pl.ints(kLM), pl.ints(kLM) + kJointDofs, 0);
  std::fill(pl.real(kA), pl.real(kA) + kJointDofs * kPlateDofs, 0.0f);
  Mat24 a2{};
  if (good) good = form_a2(g, nt, pl, a2);
  if (good) {
    plate_to_joint(a2, pl.real(kA));
    if (kv::trace('H')) {
      fio::write_list(6, "JOINTS J1, J2, J3, & J4", pl.node(1), pl.node(2), pl.node(3), pl.node(4));
      base::prtmat(pl.real(kA), kJointDofs, kPlateDofs, "A =A2*A3");
    }
  } else {
    rejected_line(c.ielno, ids);
  }

  const int mtype = init_material(pl, c.ielno);
  if (good && mtype != kMaterialType) {
    fio::write(6, "('  ELEMENT: ',I6,'  INCOMPATIBLE MATERIAL PROP.#',I5,'  NODE1:',I5,'  NODE2:',I5,'  NODE3:',I5,"
                  "'  NODE4:',I5,/,' THE ELEMENT IS REJECTED AND ER','ROR CHECKING CONTINUES')",
               c.ielno, mtype, ids[0], ids[1], ids[2], ids[3]);
    good = false;
  }
  const float* st = kv::rptr(p + kBase) - 1;  // st[1..]
  // A Poisson's ratio of +-1 leaves the stiffness infinite.
  if (good && 1.0f - st[kNu] * st[kNu] == 0.0f) {
    fio::write(6, "(1X,20('*'),'ER','ROR - NU**2 IS 1',/,5X,'IELNO=',I5,10X,'NU',1P,E15.6,/,"
                  "5X,'REVISE INPUT.............................',/)",
               c.ielno, st[kNu]);
    rejected_line(c.ielno, ids);
    good = false;
  }
  if (!good) {
    reject(c, pl);
    echo(c, false, matno, ids, g.length, g.width, g.vz);
    return;
  }

  float* s = pl.real(kS);
  stiffness(st[kE], st[kNu], st[kThickness], g.width, g.length, s);
  if (kv::trace('F')) base::prtmat(s, kPlateDofs, kPlateDofs, " S ");
  Mat24 asat{};
  joint_stiffness(pl.real(kA), s, asat);
  if (kv::trace('F')) base::prtmat(asat.data(), kJointDofs, kJointDofs, " ASAT ");

  const std::array<std::int32_t, kJointDofs> lmt = location(nt, pl.nodes());
  float* ke = kv::rptr(pl.izke());
  const Packed pk = pack(asat, lmt, ke, pl.ints(kLM));
  kv::izm(p + kND) = pk.nd;
  if (kv::trace('H')) {
    fio::write_list(6, "LMT=", std::span<const std::int32_t>(lmt));
    fio::write_list(6, "IELDOF", pk.nd);
    fio::write_list(6, "LM =", std::span<const std::int32_t>(pl.ints(kLM), static_cast<std::size_t>(pk.nd)));
    base::skyprt(ke, kv::titles().np.data() + 1, pk.nd, pk.terms, "ELEMENT STIFFNESS");
  }
  c.nback = kStiffWords - pk.terms;
  echo(c, c.typchg || kv::trace('H') || kv::trace('I'), matno, ids, g.length, g.width, g.vz);
}

// ---------------------------------------------------------------- options 4-13

void recover(EleCall& c, const Plate& pl) {
  if (c.lecho && c.typchg) force_heading(kv::titles().ldlabl);
  if (kv::trace('H')) fio::write(6, "(1X,30('='),'PLATE ELEMENT#',I6,1X,30('='))", c.ielno);
  const int nlc = kv::ctl(kv::kNLC);
  const int neq = kv::ctl(kv::kNEQ);
  const bool rej = pl.rejected();
  float* fef = nullptr;
  bool loaded = false;
  if (!rej && kv::ctl(kv::kNELOAD) >= 1) {
    fef = fef_scratch(nlc);
    loaded = feflod(c.ielno, pl.length(), pl.width(), element_load_tables(), nlc, fef);
  }
  const base::NodeTables nt = base::node_tables();
  const float* a = pl.real(kA);
  const float* s = pl.real(kS);
  float* dinc = pl.real(kDInc);
  float* finc = pl.real(kFInc);
  for (int lc = 1; lc <= nlc; ++lc) {
    std::array<float, kJointDofs> u{};
    if (!rej && c.idisp > 0) {
      const float* col = kv::rptr(c.idisp + static_cast<std::int64_t>(lc - 1) * neq) - 1;  // col[eq]
      for (int n = 1; n <= 4; ++n)
        for (int i = 1; i <= 6; ++i) {
          const int eq = nt.id(pl.node(n), i);
          if (eq > 0 && eq <= neq) u[static_cast<std::size_t>(6 * (n - 1) + i - 1)] = col[eq];
        }
    }
    for (int j = 0; j < kPlateDofs; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < kJointDofs; ++k) sum += a[k + kJointDofs * j] * u[static_cast<std::size_t>(k)];
      dinc[j] = sum;
    }
    for (int i = 0; i < kPlateDofs; ++i) {
      float sum = 0.0f;
      for (int k = 0; k < kPlateDofs; ++k) sum += s[i + kPlateDofs * k] * dinc[k];
      finc[i] = sum;
    }
    if (loaded) {
      // FINC - A3' * FEF: the local joint loads onto the plate freedoms.
      const float* q = fef + static_cast<std::int64_t>(kJointDofs) * (lc - 1);
      for (int n = 1; n <= 4; ++n) {
        const float* jq = q + 6 * (n - 1);  // FX FY FZ MX MY MZ of joint n
        finc[3 * n - 3] -= jq[3];
        finc[3 * n - 2] -= jq[4];
        finc[3 * n - 1] += jq[2];
        finc[12 + 2 * n - 2] -= jq[0];
        finc[12 + 2 * n - 1] -= jq[1];
      }
    }
    if (nlc > 1) update_fmax(pl, finc);
    if (c.lecho && common::forces_finite(c.ielno, finc, kPlateDofs)) force_block(nt, pl, c.ielno, lc, finc, dinc);
  }
}

void commit(EleCall& c, const Plate& pl) {
  if (c.lecho && c.typchg) force_heading(kv::titles().ldlabl);
  float* ftot = pl.real(kFTot);
  float* dtot = pl.real(kDTot);
  const float* finc = pl.real(kFInc);
  const float* dinc = pl.real(kDInc);
  for (int i = 0; i < kPlateDofs; ++i) {
    ftot[i] += finc[i];
    dtot[i] += dinc[i];
  }
  update_fmax(pl, ftot);
  if (c.lecho) force_block(base::node_tables(), pl, c.ielno, 1, ftot, dtot);
}

void element_loads(EleCall& c, const Plate& pl) {
  if (kv::ctl(kv::kNELOAD) <= 0 || pl.rejected() || c.iload <= 0) return;
  const base::NodeTables nt = base::node_tables();
  Mat24 a2{};
  if (!geometry_again(nt, pl, a2)) return;
  const int nlc = kv::ctl(kv::kNLC);
  const int neq = kv::ctl(kv::kNEQ);
  float* fef = fef_scratch(nlc);
  if (!feflod(c.ielno, pl.length(), pl.width(), element_load_tables(), nlc, fef)) return;
  const bool tr = kv::trace('H');
  for (int lc = 1; lc <= nlc; ++lc) {
    const float* q = fef + static_cast<std::int64_t>(kJointDofs) * (lc - 1);
    std::array<float, kJointDofs> g{};
    for (int i = 0; i < kJointDofs; ++i) {
      float sum = 0.0f;
      for (int k = 0; k < kJointDofs; ++k) sum += a2[static_cast<std::size_t>(i + kJointDofs * k)] * q[k];
      g[static_cast<std::size_t>(i)] = sum;
    }
    if (tr) {
      fio::write_list(6, "IELNO", c.ielno);
      base::prtmat(q, kJointDofs, 1, "LOCAL  FIXED END FORCES");
      base::prtmat(g.data(), kJointDofs, 1, "GLOBAL FIXED END FORCES");
    }
    float* col = kv::rptr(c.iload + static_cast<std::int64_t>(lc - 1) * neq) - 1;  // col[eq]
    for (int n = 1; n <= 4; ++n)
      for (int i = 1; i <= 6; ++i) {
        const int eq = nt.id(pl.node(n), i);
        if (eq > 0 && eq <= neq) col[eq] += g[static_cast<std::size_t>(6 * (n - 1) + i - 1)];
      }
  }
  if (tr) base::prtmat(kv::rptr(c.iload), neq, nlc, "GLOBAL LOAD MATRIX");
}

void write_history(const Plate& pl) {
  const base::NodeTables nt = base::node_tables();
  const float* f = pl.real(kFTot);
  const float* d = pl.real(kDTot);
  std::array<std::array<float, 5>, 8> v{};
  std::array<int, 4> id{};
  for (int n = 1; n <= 4; ++n) {
    id[static_cast<std::size_t>(n - 1)] = joint_id(nt, pl, n);
    v[static_cast<std::size_t>(2 * n - 2)] = report(f, n);
    v[static_cast<std::size_t>(2 * n - 1)] = report(d, n);
  }
  using S5 = std::span<const float, 5>;
  fio::write(kv::ctl(kv::kIUNIT), "(I6,5E15.6)", id[0], S5(v[0]), id[0], S5(v[1]), id[1], S5(v[2]), id[1], S5(v[3]),
             id[2], S5(v[4]), id[2], S5(v[5]), id[3], S5(v[6]), id[3], S5(v[7]));
}

void read_history(const Plate& pl) {
  const common::HistoryRequest h = common::history_request();
  const int unit = h.unit;
  fio::write(6, "(/,'     PLATE ELEMENT FORCES & DISPLACEMENTS...',/,'      STEP    TIME               NODE',7X,"
                "'FX',11X,'FY',13X,'FZ',11X,'MX',10X,'MY')");
  float* f = pl.real(kFTot);
  float* d = pl.real(kDTot);
  std::array<std::int32_t, 4> id{};
  std::array<std::array<float, 5>, 8> v{};
  int step = 0;
  auto read = [&] {
    bool complete = true;
    for (std::size_t r = 0; r < 8 && complete; ++r) {
      std::int32_t jid = 0;
      complete = fio::read_fmt(unit, "(I6,5E15.6)", jid, std::span<float>(v[r])) == fio::Status::ok;
      id[r / 2] = jid;
    }
    if (!complete) return false;
    for (int n = 1; n <= 4; ++n)
      for (int k = 0; k < 5; ++k) {
        f[report_dof(n, k) - 1] = v[static_cast<std::size_t>(2 * n - 2)][static_cast<std::size_t>(k)];
        d[report_dof(n, k) - 1] = v[static_cast<std::size_t>(2 * n - 1)][static_cast<std::size_t>(k)];
      }
    return true;
  };
  common::history_records(h, step, read, [&](int stp, float time) {
    using S5 = std::span<const float, 5>;
    fio::write(6, "(/,I10,E12.5,1X,'FORCE',1X,I6,1P,6E15.6)", stp, time, id[0], S5(v[0]));
    fio::write(6, "(23X,'DISP ',1X,I6,1P,6E15.6)", id[0], S5(v[1]));
    for (std::size_t n = 1; n < 4; ++n) {
      fio::write(6, "(23X,'FORCE',1X,I6,1P,6E15.6)", id[n], S5(v[2 * n]));
      fio::write(6, "(23X,'DISP ',1X,I6,1P,6E15.6)", id[n], S5(v[2 * n + 1]));
    }
  });
}

void maxima(const EleCall& c, const Plate& pl) {
  if (c.typchg) force_heading(kMaximaText);
  const base::NodeTables nt = base::node_tables();
  const float* fmax = pl.real(kFMax);
  const auto f1 = report(fmax, 1), f2 = report(fmax, 2), f3 = report(fmax, 3), f4 = report(fmax, 4);
  using S5 = std::span<const float, 5>;
  fio::write(6, "(I10,I5,2X,'FORCE',I6,1P,5E15.6,/,17X,'FORCE',I6,5E15.6,/,17X,'FORCE',I6,5E15.6,/,"
                "17X,'FORCE',I6,5E15.6)",
             c.ielno, 1, joint_id(nt, pl, 1), S5(f1), joint_id(nt, pl, 2), S5(f2), joint_id(nt, pl, 3), S5(f3),
             joint_id(nt, pl, 4), S5(f4));
}

void reset(const EleCall& c, const Plate& pl) {
  std::fill(pl.real(kBase), pl.real(kBase) + std::max<int>(kv::izm(pl.p + kNHyst), 0), 0.0f);
  clear_results(pl);
  fio::write(6, "(' PLATE.... ELEMENT #',I6,'  INTERNAL FORCES IS RESET TO ZERO')", c.ielno);
  init_material(pl, c.ielno);
}

void state_size(const EleCall& c, const Plate& pl) {
  kv::izm(pl.p + kNHyst) = common::material_state_words(c.ielno, to_int(c.rinput[1]));
}

void fef_message(int ielno, std::string_view text) {
  fio::write(6, "('  ER','ROR CALCULATING FIXED END FORCES FOR ELEMENT #',I6,' ',A,' IS NOT AVAILABLE')", ielno,
             text);
}

}  // namespace

bool feflod(int ielno, float length, float width, const ElementLoadTables& t, int nlc, float* fef) {
  bool loaded = false;
  if (t.neload <= 0 || t.idata == nullptr || t.rdata == nullptr) return false;
  const float a = width;
  const float b = length;
  for (int k = 1; k <= t.nread; ++k) {
    const std::int32_t* rec = t.idata + static_cast<std::int64_t>(k - 1) * kIdataWords;
    if (!load_applies(rec, ielno)) continue;
    const int lc = rec[0];
    if (lc < 1 || lc > nlc) continue;
    if (!loaded) {
      std::fill(fef, fef + static_cast<std::int64_t>(kJointDofs) * nlc, 0.0f);
      loaded = true;
    }
    std::array<float, kJointDofs + 1> f{};  // f[1..24]
    const int code = rec[4];
    const int group = code - code % 100;
    const int d = code % 100;
    const float w = t.rdata[static_cast<std::int64_t>(k - 1) * kRdataWords];
    if (group == kGroupUnif && d == kUniformFz) {
      const float fz = -w * a * b / 4.0f;
      const float mx = w * a * b * b / 24.0f;
      const float my = w * b * a * a / 24.0f;
      f[3] = f[9] = f[15] = f[21] = fz;
      f[4] = f[10] = mx;
      f[16] = f[22] = -mx;
      f[11] = f[17] = my;
      f[5] = f[23] = -my;
    } else if (group == kGroupUnif) {
      fef_message(ielno, " INVALID UNIFORM LOAD");
    } else {
      fef_message(ielno, "INVALID LOAD GROUP");
    }
    float* col = fef + static_cast<std::int64_t>(kJointDofs) * (lc - 1);
    for (int j = 1; j <= kJointDofs; ++j) col[j - 1] -= f[static_cast<std::size_t>(j)];
  }
  return loaded;
}

}  // namespace plate

void ele16(EleCall& c) {
  const plate::Plate pl{c.p};
  switch (c.iopt) {
    case kEleCheck: plate::check(c, pl); break;
    case kEleState: plate::recover(c, pl); break;
    case kEleCommit: plate::commit(c, pl); break;
    case kEleLoads: plate::element_loads(c, pl); break;
    case kEleHistWrite: plate::write_history(pl); break;
    case kEleHistRead: plate::read_history(pl); break;
    case kEleNState: plate::state_size(c, pl); break;
    case kEleMaxima: plate::maxima(c, pl); break;
    case kEleReset: plate::reset(c, pl); break;
    default: break;  // 2, 3, 10, 11, 14 and any other option: nothing to do
  }
}

}  // namespace elements
