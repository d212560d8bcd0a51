#include "elements/inelastic/shear_wall.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/matrix_print.h"
#include "base/node_tables.h"
#include "base/work_array.h"
#include "elements/beam_frame.h"
#include "elements/element_common.h"
#include "elements/local_axes.h"
#include "fio/fio.h"
#include "materials/matdsp.h"

namespace elements {

namespace {

using namespace shear_wall;
using Vec3 = std::array<float, 3>;

constexpr int kShear2Code = materials::kShear2Type.code;
// SHEAR2 state words the type-14 wall reads or sets before each state
// determination and keeps over a reset (the material's names); word 48 is
// what the type-14 echo prints as the shear span length ratio.
constexpr int kShear2Rule = materials::shear2::kRule;
constexpr int kShear2Step = materials::shear2::kDD;
constexpr int kShear2Flag37 = materials::shear2::kFlag37;
constexpr int kShear2Threshold = materials::shear2::kThreshold;
constexpr int kShear2Flag44 = materials::shear2::kFlag44;
constexpr int kShear2SpanRatio = materials::shear2::kR2;

// What sets type 14 apart from type 3.
struct Variant {
  int type = 3;
  bool open = false;                        // type 14
  std::string_view invalid;                 // the invalid-option text
  std::array<std::string_view, 6> heads;    // force-table column heads
  std::array<std::string_view, 3> short_heads;
  std::array<std::string_view, 6> read_heads;
  std::array<std::string_view, 3> groups;   // ductility and damage group heads
  std::array<std::string_view, 3> stiff_labels;
  std::string_view ese_label, pse_label;
};

constexpr std::string_view kBendGroup = " |-------- BENDING COMPONENT ------------|";
constexpr std::string_view kShearGroup = " |---------- SHEAR COMPONENT ------------|";

const Variant kWall{
    .type = 3,
    .open = false,
    .invalid = "INVALID OPTION IN ELE-03, IOPT=",
    .heads = {"    MOMENT     ", "   ROTATION    ", "     SHEAR     ", " SHEAR DISPL.  ", "     AXIAL     ",
              " AXIAL DISPL.  "},
    .short_heads = {"    MOMENT     ", "    SHEAR      ", "     AXIAL     "},
    .read_heads = {"    MOMENT    ", "   ROTATION   ", "     SHEAR    ", " SHEAR DISPL. ", "     AXIAL    ",
                   " AXIAL DISPL. "},
    .groups = {kBendGroup, kShearGroup, " |---------- AXIAL COMPONENT ------------|"},
    .stiff_labels = {"BENDING STIFFNESS KB=", "SHEAR   STIFFNESS KS=", "AXIAL   STIFFNESS KA="},
    .ese_label = "ESEB ESES ESEA  ",
    .pse_label = "PSEB PSES PSEA  ",
};

const Variant kOpen{
    .type = 14,
    .open = true,
    .invalid = "INVALID OPTION IN ELE-14, IOPT=",
    .heads = {"     SHEAR     ", " SHEAR DISPL.  ", "     AXIAL1    ", " AXIAL DISPL. 1", "     AXIAL2    ",
              " AXIAL DISPL. 2"},
    .short_heads = {"    SHEAR      ", "     AXIAL1    ", "     AXIAL2    "},
    .read_heads = {"     SHEAR    ", " SHEAR DISPL. ", "     AXIAL1   ", " AXIAL DISPL. 1", "     AXIAL2   ",
                   " AXIAL DISPL. 2"},
    .groups = {kShearGroup, " |---------- AXIAL COMPONENT 1-----------|", " |---------- AXIAL COMPONENT 2-----------|"},
    .stiff_labels = {"SHEAR   STIFFNESS KS=", "AXIAL   STIFFNESS KA=", ""},
    .ese_label = "ESES ESEA1 ESEA2 ",
    .pse_label = "PSES PSEA1 PSEA2  ",
};

// A view of one wall record.
struct Wall {
  std::int64_t p = 0;

  kv::IntWord iw(int k) const { return kv::izm(p + k); }
  kv::RealWord rw(int k) const { return kv::rzm(p + k); }
  float* real(int k) const { return kv::rptr(p + k); }
  int nedof() const { return iw(kNedof); }
  int nhyst() const { return iw(kNhyst); }
  int set(int c) const { return iw(kMatset + c - 1); }
  int jpos(int k) const { return iw(kJpos + k - 1); }
  float length() const { return rw(kLength); }
  bool rejected() const { return iw(kRejected) != 0; }
  // A(n, c): component c's deformation from element DOF n.
  kv::RealWord a(int n, int c) const { return rw(kA + (n - 1) + kMaxDof * (c - 1)); }
  int lm(int n) const { return iw(kLm + n - 1); }
  // ZMATRX index of word 1 of component c's committed and trial blocks.
  std::int64_t committed_index(int c) const { return p + kBase + iw(kMstoff + c - 1) - 1; }
  std::int64_t trial_index(int c) const { return committed_index(c) + nhyst() / 2; }
  // 1-based views: committed(c)[1] is word 1.
  float* committed(int c) const { return kv::rptr(committed_index(c)) - 1; }
  float* trial(int c) const { return kv::rptr(trial_index(c)) - 1; }
  // State words of one copy of component c.
  int nstate(int c) const {
    const int next = c < 3 ? iw(kMstoff + c) : nhyst() / 2 + 1;
    return next - iw(kMstoff + c - 1);
  }
  std::int64_t stiffness_index() const { return p + kBase + nhyst(); }
  int joint_id(int k) const {
    const int pos = jpos(k);
    return pos > 0 ? static_cast<int>(base::node_tables().nodid(pos)) : 0;
  }
};

int material_code(int set) {
  if (set < 1 || set > kv::ctl(kv::kNMAT)) return 0;
  return kv::izm(kv::izm(kv::ctl(kv::kMATPTR) + set));
}

// The type-14 shear spring is a "SHEAR2" set: the wall keeps the set's wall
// words (height, width, ...) in its state. Other materials own those words
// for something else, so they are left alone.
bool shear2_spring(const Variant& v, const Wall& w) {
  return v.open && material_code(w.set(1)) == kShear2Code && w.nstate(1) >= kShear2Width;
}

// s(c): the stiffness along component c's deformation per unit tangent.
float scale(const Variant& v, int c, float length) {
  if (!v.open) return 1.0f / length;
  return c == 1 ? 1.0f : 1.0f / (2.0f * length);
}

std::string padded(std::string_view label, std::size_t n) {
  std::string s(label.substr(0, std::min(label.size(), n)));
  s.resize(n, ' ');
  return s;
}

// ------------------------------------------------------------ stiffness

// A x diag(s) x A', accumulated in double and packed by columns from the
// diagonal upward.
int form_stiffness(const Variant& v, const Wall& w) {
  const int nd = w.nedof();
  const float length = w.length();
  const auto& np = kv::titles().np;
  std::array<double, 3> s{};
  for (int c = 1; c <= 3; ++c)
    s[static_cast<std::size_t>(c - 1)] =
        static_cast<double>(static_cast<float>(w.rw(kKtan + c - 1))) * scale(v, c, length);
  float* ek = kv::rptr(w.stiffness_index()) - 1;
  for (int j = 1; j <= nd; ++j) {
    for (int i = j; i >= 1; --i) {
      double term = 0.0;
      for (int c = 1; c <= 3; ++c)
        term += static_cast<double>(static_cast<float>(w.a(i, c))) *
                (s[static_cast<std::size_t>(c - 1)] * static_cast<float>(w.a(j, c)));
      ek[np[static_cast<std::size_t>(j)] + j - i] = static_cast<float>(term);
    }
  }
  if (kv::trace('H')) {
    fio::write_list(6, "IELDOF", nd, "LM =",
                    std::span<const std::int32_t>(kv::iptr(w.p + kLm), static_cast<std::size_t>(nd)));
    base::skyprt(ek + 1, np.data() + 1, nd, nd * (nd + 1) / 2, "WALL STIFFNESS");
  }
  return nd * (nd + 1) / 2;
}

// PGEOM of option 2: the input load, or the axial force change of the last
// state determination with its sign reversed; otherwise unchanged.
float axial_load(const Variant& v, const Wall& w, float pgeom) {
  const frame::KgData kg = frame::kgdata();
  if (kg.source == 1) return w.rw(kPkg);
  if (kg.source == 2) return -static_cast<float>(w.rw(kDfrc + (v.open ? 1 : 2)));
  return pgeom;
}

// ------------------------------------------------------------ option 1

using Block = std::array<float, 18>;  // 6 x 3, column by column: joint DOF i along wall axis k

float blk(const Block& b, int i, int k) { return b[static_cast<std::size_t>((i - 1) + 6 * (k - 1))]; }

// Adds row `row` (ncol entries) for equation eq into the table: a row of
// zeros is dropped, a row whose equation an earlier row has is added into it.
// Returns the new count of rows. Rows of `tab` have stride kMaxDof.
int merge_row(std::span<const float> row, int eq, int n, float* tab, std::int32_t* lm) {
  if (std::all_of(row.begin(), row.end(), [](float x) { return x == 0.0f; })) return n;
  int at = n;
  for (int m = 0; m < n; ++m)
    if (lm[m] == eq) {
      at = m;
      break;
    }
  if (at == n) {
    lm[n] = eq;
    for (std::size_t k = 0; k < row.size(); ++k) tab[n + kMaxDof * static_cast<int>(k)] = 0.0f;
    ++n;
  }
  for (std::size_t k = 0; k < row.size(); ++k) tab[at + kMaxDof * static_cast<int>(k)] += row[k];
  return n;
}

// The row of joint k (1..4) DOF j in the six columns (J1 x, J1 y, J2 y, J3 y,
// J4 x, J4 y) taking the block's columns `across` (x) and `along` (y).
std::array<float, 6> joint_row(const Block& b, int k, int j, int across, int along) {
  std::array<float, 6> row{};
  switch (k) {
    case 1: row[0] = blk(b, j, across); row[1] = blk(b, j, along); break;
    case 2: row[2] = blk(b, j, along); break;
    case 3: row[3] = blk(b, j, along); break;
    default: row[4] = blk(b, j, across); row[5] = blk(b, j, along); break;
  }
  return row;
}

void echo_header(const Variant& v, const Wall& w) {
  if (!v.open) {
    fio::write(6, "(/,' ELEMENT 03, R/C SHEAR WALL ELEMENT',/,/,T17,'  ELEM','  BEND',' SHEAR',' AXIAL',"
                  "4(' JOINT'),'    LENGTH   ','    WIDTH   ','    ALPHA   ','     PKG    ',/,"
                  "T17,'     #',3('  MATL'),'    #1','    #2','    #3','    #4')");
    return;
  }
  // The ratio is the shear material's; before any state determination it is
  // whatever its set-up left (0.0).
  const float ratio = !w.rejected() && shear2_spring(kOpen, w) ? w.committed(1)[kShear2SpanRatio] : 0.0f;
  fio::write(6, "(/,' ELEMENT 14, R/C SHEAR WALL ELEMENT( ','SHEAR SPAN LENGTH RATIO= ',E12.4,')',/,/,"
                "T17,'      ELEM',' SHEAR',' AXIAL1',' AXIAL2',4(' JOINT'),'    LENGTH   ','    WIDTH   ',"
                "'    ALPHA   ','     PKG    ',/,T17,'        #',3('  MATL'),'     #1','    #2','    #3','    #4')",
             ratio);
}

void reject_line(int ielno) {
  fio::write(6, "('  ELEMENT: ',I6,/,' THE ELEMENT IS REJECTED AND ER','ROR CHECKING CONTINUES')", ielno);
}

void size_message(int ielno, std::string_view what, float value) {
  common::size_error(ielno, what, value);
  common::note_length_revised(ielno);
}

// The geometric stiffness of the lateral joint displacements (J1 x, J1 z, J2
// z, J3 z, J4 x, J4 z of the wall axes) for a unit axial load, packed after
// the stiffness. Returns its number of terms.
int form_geometric(const Wall& w, const std::array<Block, 4>& blocks, const std::array<int, 4>& pos) {
  const base::NodeTables nt = base::node_tables();
  std::array<float, kMaxDof * 6> at{};
  std::int32_t* lmkg = kv::iptr(w.p + kLmkg);
  int n = 0;
  for (int k = 1; k <= 4; ++k)
    for (int j = 1; j <= 6; ++j) {
      const std::array<float, 6> row = joint_row(blocks[static_cast<std::size_t>(k - 1)], k, j, 1, 3);
      n = merge_row(row, nt.id(pos[static_cast<std::size_t>(k - 1)], j), n, at.data(), lmkg);
    }
  w.iw(kKgdof) = n;
  const float length = w.length();
  std::array<float, 36> kgs{};
  auto g = [&kgs](int i, int j) -> float& { return kgs[static_cast<std::size_t>((i - 1) + 6 * (j - 1))]; };
  g(1, 1) = g(5, 5) = 1.0f / length;
  g(1, 5) = g(5, 1) = -1.0f / length;
  for (auto [i, j] : {std::array<int, 2>{2, 6}, std::array<int, 2>{3, 4}}) {
    g(i, i) = g(j, j) = 0.5f / length;
    g(i, j) = g(j, i) = -0.5f / length;
  }
  // SAT2 = KG-S x AT'.
  std::array<float, 6 * kMaxDof> sat2{};
  for (int m = 1; m <= n; ++m)
    for (int i = 1; i <= 6; ++i) {
      float s = 0.0f;
      for (int k = 1; k <= 6; ++k) s += g(i, k) * at[static_cast<std::size_t>((m - 1) + kMaxDof * (k - 1))];
      sat2[static_cast<std::size_t>((i - 1) + 6 * (m - 1))] = s;
    }
  const auto& np = kv::titles().np;
  float* kg = kv::rptr(w.stiffness_index() + w.iw(kKgpos) - 1) - 1;
  for (int j = 1; j <= n; ++j)
    for (int i = j; i >= 1; --i) {
      float s = 0.0f;
      for (int k = 1; k <= 6; ++k)
        s += at[static_cast<std::size_t>((i - 1) + kMaxDof * (k - 1))] * sat2[static_cast<std::size_t>((k - 1) + 6 * (j - 1))];
      kg[np[static_cast<std::size_t>(j)] + j - i] = s;
    }
  if (kv::trace('H')) {
    base::prtmat(at.data(), kMaxDof, 6, " AT   ");
    base::prtmat(kgs.data(), 6, 6, " KG-S ");
    base::prtmat(sat2.data(), 6, n, "SAT2  ");
    fio::write_list(6, "KGDOF", n, "LMKG =", std::span<const std::int32_t>(lmkg, static_cast<std::size_t>(n)));
    base::skyprt(kg + 1, np.data() + 1, n, n * (n + 1) / 2, "WALL GEOMETRIC STIFF.");
  }
  return n * (n + 1) / 2;
}

// The wall's axes and sizes from its four joints: the height axis vy from
// the bottom edge's middle to the top's, the wall plane's normal n2, vx
// across them; the edges' extents wt, wb across the height axis and their
// mean, the width.
struct WallGeometry {
  Vec3 p1{}, p2{}, p3{}, p4{};
  float length = 0.0f, width = 0.0f, wt = 0.0f, wb = 0.0f;
  Vec3 vx{}, vy{}, n2{};
};

// The geometry; a length or width that cannot be formed is said and taken
// as 1.0, a twisted wall is warned about. The SHEAR2 spring of an open wall
// gets the member's length and width.
WallGeometry wall_geometry(const EleCall& c, const Variant& v, const Wall& w, const std::array<int, 4>& pos) {
  const base::NodeTables nt = base::node_tables();
  WallGeometry g;
  auto xyz = [&](int k) {
    const int q = pos[static_cast<std::size_t>(k - 1)];
    return Vec3{nt.xyz(q, 1), nt.xyz(q, 2), nt.xyz(q, 3)};
  };
  g.p1 = xyz(1);
  g.p2 = xyz(2);
  g.p3 = xyz(3);
  g.p4 = xyz(4);
  const Vec3 &p1 = g.p1, &p2 = g.p2, &p3 = g.p3, &p4 = g.p4;
  Vec3 et{}, eb{}, h{};
  for (std::size_t i = 0; i < 3; ++i) {
    et[i] = p1[i] - p2[i];
    eb[i] = p4[i] - p3[i];
    h[i] = (p1[i] + p2[i] - p3[i] - p4[i]) / 2.0f;
  }
  float length = vlen(h);
  if (v.open && shear2_spring(v, w)) w.committed(1)[kShear2Length] = length;
  double size = length;
  for (const Vec3& q : {p1, p2, p3, p4})
    for (float x : q) size = std::max(size, std::fabs(static_cast<double>(x)));
  if (!std::isfinite(length) || common::degenerate_length(length, size)) {
    size_message(c.ielno, "LENGTH", length);
    length = 1.0f;
  }
  w.rw(kLength) = length;
  Vec3 vy{h[0] / length, h[1] / length, h[2] / length};
  Vec3 n1{}, n2{};
  if (v.open) {
    vcross(n1, et, vy);
    vcross(n2, eb, vy);
  } else {
    vcross(n1, vy, et);
    vcross(n2, vy, eb);
  }
  // Each edge's extent across the height axis; the mean is the wall's width.
  float wt = vlen(n1);
  float wb = vlen(n2);
  float width = (wt + wb) / 2.0f;
  if (!(width > 0.0f) || !std::isfinite(width)) {
    size_message(c.ielno, "WIDTH", width);
    width = 1.0f;
  }
  // An edge of no extent (a triangular panel) takes the mean width.
  if (!(wt > 0.0f)) wt = width;
  if (!(wb > 0.0f)) wb = width;
  if (v.open) {
    for (float& x : n2) x /= width;
    if (shear2_spring(v, w)) w.committed(1)[kShear2Width] = width;
  }
  // The twist is the angle between the edge normals; an edge parallel to the
  // height axis has none to compare.
  if (vlen(n1) > 0.0f && vlen(n2) > 0.0f) {
    const float walltw = std::acos(std::clamp(vcos(n1, n2), -1.0f, 1.0f)) * 57.2958f;
    if (std::fabs(walltw) > 5.0f) {
      fio::write(6, "(5X,10('*'),' WARNING THE WALL IS TWISTED=',1P,E12.4,' DEGREES, REVISE INPUT AND RERUN')",
                 walltw);
      kv::note_fault(kv::Fault::input_warning,
                     fio::format("('SHEAR WALL ',I6,' IS TWISTED')", c.ielno));
    }
  }
  Vec3 vx{};
  vcross(vx, vy, vlen(n2) > 0.0f ? n2 : n1);
  vunit(vx);
  g.length = length;
  g.width = width;
  g.wt = wt;
  g.wb = wb;
  g.vx = vx;
  g.vy = vy;
  g.n2 = n2;
  return g;
}

// Joint blocks: rows 1-3 the joint's translations, rows 4-6 its rotations
// (through its constraint offsets), along the wall axes x, y, z. False when
// a joint gives no wall axes (the message is out).
bool joint_blocks(const WallGeometry& g, const std::array<int, 4>& pos, std::array<Block, 4>& blocks) {
  using kv::ctl;
  const base::NodeTables nt = base::node_tables();
  const int nndim = ctl(kv::kNNDIM);
  static constexpr std::array<float, 9> kIdentity{1, 0, 0, 0, 1, 0, 0, 0, 1};
  for (int k = 1; k <= 4; ++k) {
    const int q = pos[static_cast<std::size_t>(k - 1)];
    const int s = nt.icos(q);
    const float* cn = s >= 1 && s <= ctl(kv::kNCOS) ? nt.cos_set(s) : kIdentity.data();
    Vec3 ax = g.vx, ay = g.vy;
    std::array<float, 9> t{}, t2{};
    if (!locaxs(ax, ay, std::span<const float, 9>(cn, 9), t, 0.0f, 0.0f, 0.0f, t2, nt.tcon_row(q), nndim))
      return false;
    Block& b = blocks[static_cast<std::size_t>(k - 1)];
    for (int axis = 1; axis <= 3; ++axis)
      for (int i = 1; i <= 3; ++i) {
        b[static_cast<std::size_t>((i - 1) + 6 * (axis - 1))] = t[static_cast<std::size_t>((i - 1) + 3 * (axis - 1))];
        b[static_cast<std::size_t>((i + 2) + 6 * (axis - 1))] = t2[static_cast<std::size_t>((i - 1) + 3 * (axis - 1))];
      }
    if (kv::trace('H')) {
      fio::write_list(6, fio::format("('JOINT #',I1,',  J',I1)", k, k));
      base::prtmat(b.data(), 6, 3, fio::format("('A',2I1)", k, k));
    }
  }
  return true;
}

// Element degrees of freedom (LM) and AT; the caller gets back their number.
int element_dofs(const Wall& w, const std::array<Block, 4>& blocks, const std::array<int, 4>& pos,
                 std::array<float, kMaxDof * 6>& at) {
  const base::NodeTables nt = base::node_tables();
  std::int32_t* lm = kv::iptr(w.p + kLm);
  int nd = 0;
  auto id = [&](int k, int j) { return static_cast<int>(nt.id(pos[static_cast<std::size_t>(k - 1)], j)); };
  for (int k = 1; k <= 4; ++k)
    for (int j = 1; j <= 6; ++j) {
      // A direction in which a top joint shares its equation with a bottom
      // joint (none included) is left out for all four joints.
      if (id(2, j) == id(3, j) || id(2, j) == id(4, j) || id(1, j) == id(4, j) || id(1, j) == id(3, j)) continue;
      nd = merge_row(joint_row(blocks[static_cast<std::size_t>(k - 1)], k, j, 1, 2), id(k, j), nd, at.data(), lm);
    }
  return nd;
}

// A = AT x AC. AC: rotation (top-edge rotation minus bottom-edge rotation),
// shear displacement (drift of J1 over J4 less what the edge rotations carry
// through αL and βL) and axial displacements. Each edge rotation is taken
// over that edge's own width, so that every rigid-body motion of a panel
// with edges across its height axis, rectangular or not, gives zero in all
// three.
void deformation_matrix(const Variant& v, const Wall& w, const WallGeometry& g, float alpha,
                        const std::array<float, kMaxDof * 6>& at, int nd) {
  const float length = g.length;
  const float al = alpha * length;
  const float bl = length - al;
  std::array<float, 18> ac{};
  auto acm = [&ac](int r, int col) -> float& { return ac[static_cast<std::size_t>((r - 1) + 6 * (col - 1))]; };
  const float st = al / g.wt;
  const float sb = bl / g.wb;
  // Offsets along the wall's x axis of J1 over J4 and J2 over J3, per unit height.
  float lean1 = 0.0f;
  float lean2 = 0.0f;
  for (std::size_t i = 0; i < 3; ++i) {
    lean1 += g.vx[i] * (g.p1[i] - g.p4[i]);
    lean2 += g.vx[i] * (g.p2[i] - g.p3[i]);
  }
  lean1 /= length;
  lean2 /= length;
  if (!v.open) {
    acm(2, 1) = -1.0f / g.wt;
    acm(3, 1) = 1.0f / g.wt;
    acm(4, 1) = -1.0f / g.wb;
    acm(6, 1) = 1.0f / g.wb;
    acm(1, 2) = 1.0f;
    acm(2, 2) = -st;
    acm(3, 2) = st;
    acm(4, 2) = sb;
    acm(5, 2) = -1.0f;
    acm(6, 2) = -sb;
    acm(2, 3) = 0.5f;
    acm(3, 3) = 0.5f;
    acm(4, 3) = -0.5f;
    acm(6, 3) = -0.5f;
  } else {
    acm(1, 1) = 1.0f;
    acm(2, 1) = st;
    acm(3, 1) = -st;
    acm(4, 1) = -sb;
    acm(5, 1) = -1.0f;
    acm(6, 1) = sb;
    // An edge leaning across the height axis: the drift of the panel turns
    // its vertical offset, which is no elongation of the edge.
    acm(1, 2) = lean1;
    acm(2, 2) = 1.0f;
    acm(5, 2) = -lean1;
    acm(6, 2) = -1.0f;
    acm(1, 3) = lean2;
    acm(3, 3) = 1.0f;
    acm(4, 3) = -1.0f;
    acm(5, 3) = -lean2;
  }
  for (int n = 1; n <= nd; ++n)
    for (int col = 1; col <= 3; ++col) {
      float s = 0.0f;
      for (int k = 1; k <= 6; ++k) s += at[static_cast<std::size_t>((n - 1) + kMaxDof * (k - 1))] * acm(k, col);
      w.a(n, col) = s;
    }
  if (kv::trace('H')) {
    base::prtmat(at.data(), kMaxDof, 6, " AT   ");
    base::prtmat(ac.data(), 6, 3, " AC   ");
    base::prtmt2(w.real(kA), nd, 3, " A    ", kMaxDof);
  }
}

void check(EleCall& c, const Variant& v) {
  using kv::ctl;
  const Wall w{c.p};
  auto input = [&](int k) { return c.rinput != nullptr ? c.rinput[k] : 0.0f; };
  const base::NodeTables nt = base::node_tables();

  w.iw(kType) = v.type;
  for (int k = 1; k <= 3; ++k) w.iw(kMatset + k - 1) = common::to_int(input(k));
  std::array<int, 4> ids{};
  for (int k = 1; k <= 4; ++k) ids[static_cast<std::size_t>(k - 1)] = common::to_int(input(k + 3));
  const float alpha = input(8);
  w.rw(kPkg) = input(9);

  // Until the element is accepted it keeps no degree of freedom and hands its
  // whole matrix area back.
  w.iw(kNedof) = 0;
  w.iw(kRejected) = 1;
  w.iw(kKgdof) = 0;
  w.iw(kKgpos) = 1;
  for (int k = kDdef; k < kPkg; ++k) w.rw(k) = 0.0f;
  kv::zero_words(w.p + kLm, kKtan + 3 - kLm);
  for (int k = kFmax; k < kBase; ++k) w.rw(k) = 0.0f;
  c.nback = kMatrixWords;
  c.r1 = c.r2 = 0.0f;
  const bool heading = c.typchg || kv::trace('H') || kv::trace('I');

  std::array<int, 4> pos{};
  for (int k = 0; k < 4; ++k) {
    pos[static_cast<std::size_t>(k)] = base::ifind(ids[static_cast<std::size_t>(k)], nt.nodid_ptr(), ctl(kv::kNNODE));
    w.iw(kJpos + k) = pos[static_cast<std::size_t>(k)];
  }
  auto reject = [&] {
    if (heading) echo_header(v, w);
    reject_line(c.ielno);
  };
  if (std::find(pos.begin(), pos.end(), 0) != pos.end()) {  // the ID search has reported it
    reject();
    return;
  }
  // A set that is not in the model, or gave no state words, leaves its spring
  // without a tangent (the dispatcher has reported the set).
  for (int k = 1; k <= 3; ++k)
    if (material_code(w.set(k)) == 0 || w.nstate(k) <= 0) {
      reject();
      return;
    }

  const WallGeometry g = wall_geometry(c, v, w, pos);
  if (kv::trace('H')) {
    const float al = alpha * g.length;
    fio::write_list(6, "JOINTS", std::span<const int>(pos));
    fio::write_list(6, "VX", std::span<const float>(g.vx), "VY", std::span<const float>(g.vy), "VZ",
                    std::span<const float>(g.n2));
    fio::write_list(6, "LENGTH,ALPHA,BETA", g.length, al, g.length - al);
  }
  std::array<Block, 4> blocks{};
  if (!joint_blocks(g, pos, blocks)) {
    reject();
    return;
  }
  std::array<float, kMaxDof * 6> at{};
  const int nd = element_dofs(w, blocks, pos, at);
  w.iw(kNedof) = nd;
  deformation_matrix(v, w, g, alpha, at, nd);

  // Springs.
  w.iw(kRejected) = 0;
  for (int k = 1; k <= 3; ++k) {
    common::init_material(c.ielno, w.set(k), w.committed_index(k));
    w.rw(kKtan + k - 1) = w.committed(k)[1];
  }
  if (kv::trace('H')) {
    for (int k = 1; k <= (v.open ? 2 : 3); ++k)
      fio::write_list(6, v.stiff_labels[static_cast<std::size_t>(k - 1)], static_cast<float>(w.rw(kKtan + k - 1)));
  }

  const int terms = form_stiffness(v, w);
  w.iw(kKgpos) = terms + 1;
  int kgterms = 0;
  const frame::KgData kg = frame::kgdata();
  if ((static_cast<float>(w.rw(kPkg)) != 0.0f || kg.source == 2) && kg.source != 0 && kg.form != 0) {
    c.lkg = true;
    c.pgeom = axial_load(v, w, c.pgeom);
    kgterms = form_geometric(w, blocks, pos);
  }
  c.nback = kMatrixWords - (terms + kgterms);

  if (heading) echo_header(v, w);
  const std::string label = padded(c.label, v.open ? 18 : 15);
  fio::write(6, "(1X,A,8I6,2X,1P,4E12.4)", label, c.ielno, w.set(1), w.set(2), w.set(3), ids[0], ids[1], ids[2],
             ids[3], g.length, g.width, alpha, static_cast<float>(w.rw(kPkg)));
}

// ------------------------------------------------------------ options 3-5, 13

void tangent(const EleCall& c, const Variant& v, const Wall& w) {
  if (w.rejected()) return;
  bool changed = false;
  for (int k = 1; k <= 3; ++k)
    if (static_cast<float>(w.rw(kKtan + k - 1)) != w.committed(k)[1]) changed = true;
  if (kv::trace('H')) {
    const std::array<std::string_view, 3> names =
        v.open ? std::array<std::string_view, 3>{" SS:", " SA1:", " SA2:"}
               : std::array<std::string_view, 3>{" SB:", " SS:", " SA:"};
    fio::write_list(6, " IELNO:", c.ielno, names[0], static_cast<float>(w.rw(kKtan)), w.committed(1)[1], names[1],
                    static_cast<float>(w.rw(kKtan + 1)), w.committed(2)[1], names[2],
                    static_cast<float>(w.rw(kKtan + 2)), w.committed(3)[1]);
  }
  if (changed) {
    for (int k = 1; k <= 3; ++k) w.rw(kKtan + k - 1) = w.committed(k)[1];
    form_stiffness(v, w);
  }
}

void force_header(const Variant& v, std::string_view text, bool short_heads) {
  if (short_heads) {
    // Type 3's short heads are followed by an empty line, type 14's are not.
    fio::write(6, v.open ? "(/,'    R/C SHEAR WALL FORCES...',5X,A,/,'   ELEMENT LOAD',T17,' JNT-1',' JNT-2',' JNT-3',"
                           "' JNT-4',3A)"
                         : "(/,'    R/C SHEAR WALL FORCES...',5X,A,/,'   ELEMENT LOAD',T17,' JNT-1',' JNT-2',' JNT-3',"
                           "' JNT-4',3A,/)",
               text, v.short_heads[0], v.short_heads[1], v.short_heads[2]);
    return;
  }
  fio::write(6, "(/,'    R/C SHEAR WALL FORCES...',5X,A,/,'   ELEMENT LOAD',T17,' JNT-1',' JNT-2',' JNT-3',"
                "' JNT-4',6A,/)",
             text, v.heads[0], v.heads[1], v.heads[2], v.heads[3], v.heads[4], v.heads[5]);
}

void force_line(const EleCall& c, const Wall& w, int counter, std::span<const float> values) {
  fio::write(6, "(I10,I5,2X,4I5,1P,6E15.6)", c.ielno, counter, w.joint_id(1), w.joint_id(2), w.joint_id(3),
             w.joint_id(4), values);
}

std::array<float, 6> pairs(const Wall& w, int force, int defo) {
  return {w.rw(force), w.rw(defo), w.rw(force + 1), w.rw(defo + 1), w.rw(force + 2), w.rw(defo + 2)};
}

int counter_after_cases() { return std::max(kv::ctl(kv::kNLC), 1) + 1; }

// The element's ESE with ELASTC: half force times deformation of the trial
// totals (type 14's history divides its shear term by the height).
float elastic_energy(const Wall& w, bool shear_over_length) {
  float sum = 0.0f;
  for (int k = 0; k < 3; ++k) {
    float e = 0.5f * (static_cast<float>(w.rw(kTdef + k)) + static_cast<float>(w.rw(kDdef + k))) *
              (static_cast<float>(w.rw(kTfrc + k)) + static_cast<float>(w.rw(kDfrc + k)));
    if (shear_over_length && k == 0) e /= w.length();
    sum += e;
  }
  return sum;
}

float element_scale(const Variant& v, const Wall& w) { return v.open ? 1.0f : w.length(); }

void state(EleCall& c, const Variant& v) {
  using kv::ctl;
  const Wall w{c.p};
  if (c.lecho && c.typchg) force_header(v, kv::titles().ldlabl, false);
  if (kv::trace('H'))
    fio::write(6, "(1X,30('='),'SHEAR WALL, ELEMENT#',I6,1X,30('='))", c.ielno);
  if (w.rejected()) return;
  const int nd = w.nedof();
  const int nlc = std::max(ctl(kv::kNLC), 1);
  const int neq = ctl(kv::kNEQ);
  const bool elastic = kv::ctl_true(kv::kELASTC);
  const float length = w.length();
  const float* disp = c.idisp > 0 ? kv::rptr(c.idisp) - 1 : nullptr;
  const float* rate = !v.open && ctl(kv::kDVELOC) > 0 ? kv::rptr(ctl(kv::kDVELOC)) - 1 : nullptr;
  float* unbalanced = ctl(kv::kSolVector65) > 0 ? kv::rptr(ctl(kv::kSolVector65)) - 1 : nullptr;
  std::array<float, 3> s{};
  for (int k = 1; k <= 3; ++k) {
    w.rw(kKtan + k - 1) = w.committed(k)[1];
    s[static_cast<std::size_t>(k - 1)] = static_cast<float>(w.rw(kKtan + k - 1)) * scale(v, k, length);
  }
  auto eq_ok = [&](int n) { return w.lm(n) > 0 && w.lm(n) <= neq; };

  for (int lc = 1; lc <= nlc; ++lc) {
    const std::int64_t column = static_cast<std::int64_t>(lc - 1) * neq;
    std::array<float, 3> p{};
    for (int k = 1; k <= 3; ++k) {
      float dd = 0.0f;
      float dr = 0.0f;
      for (int n = 1; n <= nd; ++n) {
        if (!eq_ok(n)) continue;  // a DOF without an equation moves nothing
        if (disp != nullptr) dd += w.a(n, k) * disp[column + w.lm(n)];
        if (rate != nullptr) dr += w.a(n, k) * rate[w.lm(n)];
      }
      w.rw(kDdef + k - 1) = dd;
      w.rw(kDrate + k - 1) = dr;
      w.rw(kDfrc + k - 1) = s[static_cast<std::size_t>(k - 1)] * dd;
      p[static_cast<std::size_t>(k - 1)] = static_cast<float>(w.rw(kTfrc + k - 1)) + static_cast<float>(w.rw(kDfrc + k - 1));
    }

    float ese = 0.0f;
    float pse = 0.0f;
    if (!elastic) {
      const int half = w.nhyst() / 2;
      std::copy(w.committed(1) + 1, w.committed(1) + 1 + half, w.trial(1) + 1);
      for (int k = 1; k <= 3; ++k) {
        float* tri = w.trial(k);
        if (k == 1 && shear2_spring(v, w) && tri[kShear2Flag44] == 0.0f) {
          // The shear rule takes its first loading direction from the sign
          // of its last step.
          if (tri[kShear2Step] > 0.0f) {
            tri[kShear2Rule] = 1.0f;
            tri[kShear2Flag44] = 1.0f;
          } else if (tri[kShear2Step] < 0.0f) {
            tri[kShear2Rule] = 3.0f;
            tri[kShear2Flag44] = 1.0f;
            tri[kShear2Flag37] = 0.0f;
          }
        }
        const bool axial_pair = v.open && k > 1;
        const float f2 = axial_pair ? 2.0f : 1.0f;
        const float over = v.open && k == 1 ? 1.0f : length;
        const float td = w.rw(kTdef + k - 1);
        const float tr = w.rw(kTrate + k - 1);
        materials::MatCall m = common::material_call(c.ielno, w.set(k), materials::kOptState, w.trial_index(k));
        m.p = f2 * p[static_cast<std::size_t>(k - 1)];
        m.pl = f2 * static_cast<float>(w.rw(kTfrc + k - 1));
        m.d = (td + static_cast<float>(w.rw(kDdef + k - 1))) / over;
        m.dl = td / over;
        m.v = tr + static_cast<float>(w.rw(kDrate + k - 1));
        m.vl = tr;
        common::run_material(m);
        p[static_cast<std::size_t>(k - 1)] = axial_pair ? m.p / 2.0f : m.p;
        ese += m.ese;
        pse += m.pse;
        if (tri[1] != w.committed(k)[1]) kv::set_ctl_logical(kv::kStateChanged, true);
      }
      c.r1 = ese * element_scale(v, w);
      c.r2 = pse * element_scale(v, w);
    } else {
      c.r1 = elastic_energy(w, false);
      c.r2 = 0.0f;
    }

    if (nlc > 1) {
      for (int k = 0; k < 3; ++k)
        if (std::fabs(static_cast<float>(w.rw(kDfrc + k))) > std::fabs(static_cast<float>(w.rw(kFmax + k)))) {
          w.rw(kFmax + k) = w.rw(kDfrc + k);
          w.rw(kDfmax + k) = w.rw(kDdef + k);
        }
    }
    if (c.lecho) force_line(c, w, lc, pairs(w, kDfrc, kDdef));

    if (lc == 1) {
      // What the springs did not take of the elastic prediction goes back
      // to the joints as unbalanced force.
      std::array<float, 3> ub{};
      for (int k = 0; k < 3; ++k)
        ub[static_cast<std::size_t>(k)] =
            p[static_cast<std::size_t>(k)] - (static_cast<float>(w.rw(kDfrc + k)) + static_cast<float>(w.rw(kTfrc + k)));
      if (kv::trace('H')) fio::write_list(6, "UB: M,S,A =", std::span<const float>(ub));
      if (unbalanced != nullptr) {
        for (int n = 1; n <= nd; ++n) {
          if (!eq_ok(n)) continue;
          float fub = 0.0f;
          for (int k = 1; k <= 3; ++k) fub += ub[static_cast<std::size_t>(k - 1)] * w.a(n, k);
          unbalanced[w.lm(n)] += fub;
          if (kv::trace('H')) fio::write_list(6, "  I:", n, "  LM(I):", w.lm(n), "  FUB(I):", fub);
        }
      }
    }
    for (int k = 0; k < 3; ++k)
      w.rw(kDfrc + k) = p[static_cast<std::size_t>(k)] - static_cast<float>(w.rw(kTfrc + k));
  }
  if (common::rs_combination())
    for (int k = 0; k < 3; ++k) kv::solsta().rsforc[static_cast<std::size_t>(k + 1)] = w.rw(kDfrc + k);
}

void commit(EleCall& c, const Variant& v) {
  const Wall w{c.p};
  const bool combined = common::rs_combination();
  if (c.lecho && c.typchg) force_header(v, kv::titles().ldlabl, combined);
  if (w.rejected()) return;
  if (combined) {
    for (int k = 0; k < 3; ++k) w.rw(kTfrc + k) = kv::solsta().rsforc[static_cast<std::size_t>(k + 1)];
    if (c.lecho) force_line(c, w, counter_after_cases(), std::span<const float>(w.real(kTfrc), 3));
  } else {
    for (int k = 0; k < 3; ++k) {
      w.rw(kTfrc + k) += w.rw(kDfrc + k);
      w.rw(kTdef + k) += w.rw(kDdef + k);
      w.rw(kTrate + k) += w.rw(kDrate + k);
      if (std::fabs(static_cast<float>(w.rw(kTfrc + k))) > std::fabs(static_cast<float>(w.rw(kFmax + k)))) {
        w.rw(kFmax + k) = w.rw(kTfrc + k);
        w.rw(kDfmax + k) = w.rw(kTdef + k);
      }
    }
    if (c.lecho) force_line(c, w, counter_after_cases(), pairs(w, kTfrc, kTdef));
  }
  if (!kv::ctl_true(kv::kELASTC)) {
    const int half = w.nhyst() / 2;
    std::copy(w.trial(1) + 1, w.trial(1) + 1 + half, w.committed(1) + 1);
  }
}

void maxima(const EleCall& c, const Variant& v) {
  const Wall w{c.p};
  if (c.typchg)
    force_header(v, "MAXIMUM LOADS AND DISPL AT MAXIMUM LOADS  NOTE: MAXIMUM VALUES MAY NOT OCCUR SIMULTANEOUSLY",
                 false);
  if (!w.rejected()) force_line(c, w, counter_after_cases(), pairs(w, kFmax, kDfmax));
}

void reset(const EleCall& c, const Variant& v) {
  const Wall w{c.p};
  const bool shear2 = !w.rejected() && shear2_spring(v, w);
  float width = 0.0f;
  float threshold = 0.0f;
  if (shear2) {
    width = w.committed(1)[kShear2Width];
    threshold = w.committed(1)[kShear2Threshold];
  }
  kv::zero_words(w.p + kBase, w.nhyst());
  if (shear2) {
    w.committed(1)[kShear2Length] = w.length();
    w.committed(1)[kShear2Width] = width;
    w.committed(1)[kShear2Threshold] = threshold;
  }
  for (int k = kFmax; k < kBase; ++k) w.rw(k) = 0.0f;
  for (int k = kDdef; k < kPkg; ++k) w.rw(k) = 0.0f;
  fio::write(6, "(' SHEAR WALL..... ELEMENT #',I6,'  INTERNAL FORCES AND HYSTERESIS MODELS ARE RESET TO ZERO')",
             c.ielno);
  if (w.rejected()) return;
  for (int k = 1; k <= 3; ++k) common::init_material(c.ielno, w.set(k), w.committed_index(k));
}

// ------------------------------------------------------------ results

// MATDSP option iopt on each component's block (trial or committed) with the
// record's point; the calls come back as the materials left them.
std::array<materials::MatCall, 3> results(const EleCall& c, const Wall& w, int iopt, bool trial, bool maxima_point) {
  std::array<materials::MatCall, 3> out{};
  for (int k = 1; k <= 3; ++k) {
    materials::MatCall m =
        common::material_call(c.ielno, w.set(k), iopt, trial ? w.trial_index(k) : w.committed_index(k));
    if (maxima_point) {
      m.p = w.rw(kFmax + k - 1);
      m.d = w.rw(kDfmax + k - 1);
    } else {
      m.p = w.rw(kTfrc + k - 1);
      m.pl = w.rw(kDfrc + k - 1);
      m.d = w.rw(kTdef + k - 1);
      m.dl = w.rw(kDdef + k - 1);
    }
    common::run_material(m);
    out[static_cast<std::size_t>(k - 1)] = m;
  }
  return out;
}

void history_write(EleCall& c, const Variant& v) {
  const Wall w{c.p};
  const int unit = kv::ctl(kv::kIUNIT);
  float ese = 0.0f;
  float pse = 0.0f;
  if (!w.rejected()) {
    if (!kv::ctl_true(kv::kELASTC)) {
      const auto m = results(c, w, materials::kOptResults, false, false);
      for (const materials::MatCall& x : m) {
        ese += x.ese;
        pse += x.pse;
      }
      ese *= element_scale(v, w);
      pse *= element_scale(v, w);
    } else {
      ese = elastic_energy(w, v.open);
    }
  }
  c.r1 = ese;
  c.r2 = pse;
  if (c.lecho) fio::write(unit, "(4I5)", w.joint_id(1), w.joint_id(2), w.joint_id(3), w.joint_id(4));
  std::array<float, 8> line{};
  const std::array<float, 6> fd = pairs(w, kTfrc, kTdef);
  std::copy(fd.begin(), fd.end(), line.begin());
  line[6] = ese;
  line[7] = pse;
  fio::write(unit, "(1P,8E10.3)", std::span<const float>(line));
}

// The moment-shear statistics of a type-3 history, summed over every record.
struct MomentShear {
  double sv = 0.0, sv2 = 0.0, sm = 0.0, smv = 0.0, n = 0.0;
  double ratio_sum = 0.0;
  int ratio_count = 0;

  void add(float m, float v) {
    sv += v;
    sv2 += static_cast<double>(v) * v;
    sm += m;
    smv += static_cast<double>(m) * v;
    n += 1.0;
    if (v != 0.0f) {
      ratio_sum += static_cast<double>(m) / v;
      ++ratio_count;
    }
  }

  void report() const {
    const float average = static_cast<float>(ratio_sum / std::max(ratio_count, 1));
    fio::write(6, "(/,T10,'AVERAGE MOMENT/SHEAR RATIO=',1P,E12.4,5X,I6,' POINTS WERE USED, ',"
                  "' POINTS WITH V=0 ARE EXCLUDED')",
               average, ratio_count);
    const int count = static_cast<int>(std::min(n, 2.0e9));
    // A ratio of sums needs shears that do not cancel out.
    if (sm != 0.0 && sv != 0.0) {
      const float a = static_cast<float>(sm / sv);
      if (std::isfinite(a))
        fio::write(6, "(T10,'REGRESSION MOMENT-SHEAR EQUN:   ',' M =',1P,E12.4,'* V  ',17X,I6,' POINTS WERE USED')",
                   a, count);
    }
    const float d1 = static_cast<float>(n * sv2 - sv * sv);
    const float d2 = static_cast<float>(sv * sv - n * sv2);
    if (d1 != 0.0f && d2 != 0.0f) {
      const float b = static_cast<float>((sv * smv - sv2 * sm) / d2);
      const float a = static_cast<float>((n * smv - sm * sv) / d1);
      if (std::isfinite(a) && std::isfinite(b))
        fio::write(6, "(T10,'REGRESSION MOMENT-SHEAR EQUN:   ',' M =',1P,E12.4,'* V +',E12.4,5X,I6,"
                      "' POINTS WERE USED')",
                   a, b, count);
    }
  }
};

// Option 8: the history listed back. The records are read into working
// copies, never into the element: a later solution starts from the committed
// state, not from the last record of a file.
void history_read(const Variant& v) {
  const common::HistoryRequest h = common::history_request();
  if (!h.read) return;
  std::array<std::int32_t, 4> joints{};
  if (fio::read_fmt(h.unit, "(4I5)", std::span<std::int32_t>(joints)) != fio::Status::ok) return;
  std::array<float, 8> rec{};
  MomentShear stats;
  int step = 0;
  auto read = [&] {
    rec.fill(0.0f);
    if (fio::read_fmt(h.unit, "(8E10.3)", std::span<float>(rec)) != fio::Status::ok) return false;
    if (!v.open) stats.add(rec[0], rec[2]);
    return true;
  };
  common::history_records(h, step, read, [&](int stp, float time) {
    if (stp == 0) {
      fio::write(6, "(/,'    R/C SHEAR WALL FORCES...',5X,'NODE1:',I6,5X,'NODE2:',I6,5X,'NODE3:',I6,5X,'NODE4:',I6,"
                    "/,/,'  STEP    TIME   ',6A,'   ESE      ','   PSE      ',/)",
                 joints[0], joints[1], joints[2], joints[3], v.read_heads[0], v.read_heads[1], v.read_heads[2],
                 v.read_heads[3], v.read_heads[4], v.read_heads[5]);
    }
    fio::write(6, "(I6,1P,E12.4,6E14.5,2E12.4)", stp, time, std::span<const float>(rec.data(), 6), rec[6], rec[7]);
  });
  if (!v.open) stats.report();
}

// Options 10 and 11: energies, the first-critical word and the ductility line.
void ductility(EleCall& c, const Variant& v) {
  const Wall w{c.p};
  if (w.rejected()) return;
  const auto m = results(c, w, materials::kOptResults, true, false);
  if (c.r4 == 0.0f) {
    float largest = 0.0f;
    for (const materials::MatCall& x : m) largest = std::max(largest, std::fabs(x.duct[0]));
    if (largest >= 1.0f) c.r4 = largest;
  }
  if (!kv::ctl_true(kv::kELASTC)) {
    float ese = 0.0f;
    float pse = 0.0f;
    for (const materials::MatCall& x : m) {
      ese += x.ese;
      pse += x.pse;
    }
    c.r1 = ese * element_scale(v, w);
    c.r2 = pse * element_scale(v, w);
  } else {
    c.r1 = elastic_energy(w, false);
    c.r2 = 0.0f;
  }
  if (kv::trace('H')) {
    fio::write_list(6, v.ese_label, m[0].ese, m[1].ese, m[2].ese);
    fio::write_list(6, v.pse_label, m[0].pse, m[1].pse, m[2].pse);
    fio::write_list(6, "ESE  PSE  LENGTH", c.r1, c.r2, w.length());
  }
  if (!c.lecho) return;
  if (c.typchg) {
    fio::write(6, "(/,'    R/C SHEAR WALL DUCTILITY AND EXCURSION RATIOS',/,6X,3A,/,' ELEM#',"
                  "3(' |-- DEFN 1--- --- DEFN 2--- --- DEFN 3--|'),/,6X,3('  DUCT.  EXCR.  DUCT.  EXCR.  DUCT.  EXCR.'))",
               v.groups[0], v.groups[1], v.groups[2]);
  }
  std::array<float, 18> line{};
  for (std::size_t k = 0; k < 3; ++k)
    for (std::size_t d = 0; d < 3; ++d) {
      line[6 * k + 2 * d] = m[k].duct[d];
      line[6 * k + 2 * d + 1] = m[k].ex[d];
    }
  fio::write(6, "(1X,I5,18F7.2)", c.ielno, std::span<const float>(line));
}

// A damage index in its 14 columns: F14.5 holds it below 1e7; a larger one
// (an ultimate deformation near zero) is written in E form instead of stars.
std::string index_field(float di) {
  return std::fabs(di) < 1.0e7f ? fio::format("(F14.5)", di) : fio::format("(1P,E14.5)", di);
}

// Option 14: the damage index of each spring at its largest force.
void damage(EleCall& c, const Variant& v) {
  const Wall w{c.p};
  if (kv::ctl_true(kv::kELASTC) || w.rejected()) return;
  const auto m = results(c, w, materials::kOptDamage, false, true);
  float ese = 0.0f;
  float pse = 0.0f;
  float di = 0.0f;
  for (const materials::MatCall& x : m) {
    ese += x.ese;
    pse += x.pse;
    di += (x.pse + x.ese) * x.di;
  }
  const float scale_l = element_scale(v, w);
  c.r1 = ese * scale_l;
  c.r2 = pse * scale_l;
  c.r3 = di * scale_l;
  if (c.typchg) {
    if (v.open) {
      fio::write(6, "(/,6X,2A,/,' ELEM#',2(' |-- DAMAGE -- ---- ESE ---- ---- PSE ---|'))", kShearGroup,
                 " |---------- AXIAL COMPONENT ------------|");
    } else {
      fio::write(6, "(/,6X,3A,/,' ELEM#',3(' |-- DAMAGE -- ---- ESE ---- ---- PSE ---|'))", v.groups[0], v.groups[1],
                 v.groups[2]);
    }
  }
  fio::write(6, "(1X,I5,3(A,1P,2E14.5))", c.ielno, index_field(m[0].di), m[0].ese, m[0].pse, index_field(m[1].di),
             m[1].ese, m[1].pse, index_field(m[2].di), m[2].ese, m[2].pse);
}

void count_state(EleCall& c) {
  const Wall w{c.p};
  int nhyst = 0;
  for (int k = 1; k <= 3; ++k) {
    w.iw(kMstoff + k - 1) = nhyst + 1;
    const int set = common::to_int(c.rinput != nullptr ? c.rinput[k] : 0.0f);
    nhyst += common::material_state_words(c.ielno, set);
  }
  w.iw(kNhyst) = 2 * nhyst;
}

void drive(EleCall& c, const Variant& v) {
  const Wall w{c.p};
  switch (c.iopt) {
    case kEleCheck: check(c, v); break;
    case kEleGeom:
      if (w.rejected()) break;
      c.lkg = true;
      c.pgeom = axial_load(v, w, c.pgeom);
      if (kv::trace('H')) fio::write_list(6, "AXIAL ", c.lkg, "  PGEOM:", c.pgeom);
      break;
    case kEleStiff: tangent(c, v, w); break;
    case kEleState: state(c, v); break;
    case kEleCommit: commit(c, v); break;
    case kEleLoads: break;
    case kEleHistWrite: history_write(c, v); break;
    case kEleHistRead: history_read(v); break;
    case kEleNState: count_state(c); break;
    case kEleEnergy:
    case kEleDuct: ductility(c, v); break;
    case kEleMaxima: maxima(c, v); break;
    case kEleReset: reset(c, v); break;
    case kEleDamage: damage(c, v); break;
    default: fio::write_list(6, v.invalid, c.iopt); break;
  }
}

}  // namespace

void ele03(EleCall& c) { drive(c, kWall); }
void ele14(EleCall& c) { drive(c, kOpen); }

}  // namespace elements
