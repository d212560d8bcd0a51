#include "elements/spring.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/matrix_print.h"
#include "base/node_tables.h"
#include "elements/element_common.h"
#include "elements/local_axes.h"
#include "elements/spring_family.h"
#include "fio/fio.h"

namespace elements::spring_family {

namespace {

constexpr std::array<std::string_view, 6> kKtypeNames{
    "    AXIAL", "  SHEAR-Y", "  SHEAR-Z", "  TORSION", "BENDING-Y", "BENDING-Z"};
constexpr std::string_view kNoName = "         ";
constexpr std::string_view kMaximaTitle =
    "MAXIMUM LOAD AND DISPL AT MAXIMUM LOAD  NOTE: MAXIMUM VALUES MAY NOT OCCUR SIMULTANEOUSLY";
constexpr std::string_view kForceOnlyTail = "      FORCE    ";

using common::Label15;
using common::to_int;
bool combined_forces() { return common::rs_combination(); }

int max_ktype(const Family& f) { return f.strut ? 1 : 6; }

void force_line(const EleCall& c, const Family& f, const Record& r, int lc, float a) {
  fio::write(6, "(I10,I5,2X,A,2I6,1P,3E15.6)", c.ielno, lc, ktype_name(f, r.iw(kWKtype)),
             static_cast<int>(r.iw(kWNodeI)), static_cast<int>(r.iw(kWNodeJ)), a);
}
void force_line(const EleCall& c, const Family& f, const Record& r, int lc, float a, float b) {
  fio::write(6, "(I10,I5,2X,A,2I6,1P,3E15.6)", c.ielno, lc, ktype_name(f, r.iw(kWKtype)),
             static_cast<int>(r.iw(kWNodeI)), static_cast<int>(r.iw(kWNodeJ)), a, b);
}
void force_line(const EleCall& c, const Family& f, const Record& r, int lc, float a, float b,
                float d) {
  fio::write(6, "(I10,I5,2X,A,2I6,1P,3E15.6)", c.ielno, lc, ktype_name(f, r.iw(kWKtype)),
             static_cast<int>(r.iw(kWNodeI)), static_cast<int>(r.iw(kWNodeJ)), a, b, d);
}

// The packed stiffness T * k[1 -1; -1 1] * T': term (a, b) = k (t2_a - t1_a)(t2_b - t1_b).
void form_stiffness(const Family& f, const Record& r, float k) {
  const int nd = r.nd();
  const auto& np = kv::titles().np;
  float* ek = kv::rptr(r.stiffness_index()) - 1;  // ek[1] is the first term
  for (int b = 1; b <= nd; ++b) {
    const float db = r.t2(b) - r.t1(b);
    for (int a = 1; a <= b; ++a) {
      const float da = r.t2(a) - r.t1(a);
      ek[np[static_cast<std::size_t>(b)] + b - a] = k * da * db;
    }
  }
  if (kv::trace('H')) {
    fio::write_list(6, "IELDOF", nd, "LM =",
                    std::span<const std::int32_t>(kv::iptr(r.p + kWLm), static_cast<std::size_t>(nd)));
    base::skyprt(ek + 1, np.data() + 1, nd, nd * (nd + 1) / 2, f.stiff_title);
  }
}

// Node n's cosine set, column by column; the identity when the node names no
// set of the table.
const float* cosine_set(const base::NodeTables& nt, int n) {
  static constexpr std::array<float, 9> kIdentity{1, 0, 0, 0, 1, 0, 0, 0, 1};
  const int s = nt.icos(n);
  if (s < 1 || s > kv::ctl(kv::kNCOS)) return kIdentity.data();
  return nt.cos_set(s);
}

void invalid_ktype(const EleCall& c, const Family& f, int node_i, int node_j, int ktype) {
  fio::write(6, "(1X,20('*'),'ER','ROR - INVALID KTYPE',/,5X,'IELNO=',I5,5X,'JOINTI=',I5,5X,"
                "'JOINTJ=',I5,5X,'KTYPE=',I5,/,5X,A,/)",
             c.ielno, node_i, node_j, ktype, f.ktype_revise);
}

void echo_header(const Family& f) {
  fio::write(6, "(/,A,/,/,T22,'#  MATL START   END',2X,'--TYPE---',6X,'LENGTH',3X,'-----------',"
                "'  Y-AXIS  ','------------','  START DIST    END DIST')",
             f.echo_title);
}

void bad_length(const EleCall& c, int pos_i, int pos_j, float length) {
  fio::write(6, "(1X,20('*'),'ER','ROR - LENGTH IS LE 0',/,5X,'IELNO=',I5,5X,'JOINTI=',I5,5X,"
                "'JOINTJ=',I5,5X,'LENGTH',1P,E15.6,/,5X,'REVISE INPUT.............................',/)",
             c.ielno, pos_i, pos_j, length);
}

}  // namespace

std::string_view ktype_name(const Family& f, int ktype) {
  if (ktype < 1 || ktype > max_ktype(f)) return kNoName;
  return kKtypeNames[static_cast<std::size_t>(ktype - 1)];
}

float spring_constant(const Family& f, const Record& r) {
  const float ske = r.rw(kWSke);
  return f.strut ? ske : ske / static_cast<float>(r.rw(kWLength));
}

materials::MatCall material_call(const EleCall& c, const Record& r, int iopt, std::int64_t sta) {
  return common::material_call(c.ielno, r.iw(kWSet), iopt, sta);
}

void run_material(materials::MatCall& m) { common::run_material(m); }

int material_type(int set) {
  if (set < 1 || set > kv::ctl(kv::kNMAT)) return 0;
  return kv::izm(kv::izm(kv::ctl(kv::kMATPTR) + set));
}

void force_header(const Family& f, std::string_view subtitle, std::string_view tail) {
  fio::write(6, "(/,A,5X,A,/,'   ELEMENT LOAD',T17,'      TYPE',' NODEI',' NODEJ',A)",
             f.forces_title, subtitle, tail);
}

// The spring's axis vx, its VY (in: the input one) and length: node I to
// node J less the end distances, node I's own axes for coincident nodes (or a
// zero length), the input length where one is given, 1.0 for a length that
// cannot be formed (revised: said). False when the nodes give no axis.
struct SpringAxis {
  std::array<float, 3> vx{};
  std::array<float, 3> vy{};
  float length = 0.0f;
  bool revised = false;
};

bool spring_axis(const EleCall& c, const Family& f, int pos_i, int pos_j, float ds, float de, float input_length,
                 SpringAxis& ax) {
  const base::NodeTables nt = base::node_tables();
  std::array<float, 3>& vx = ax.vx;
  std::array<float, 3>& vy = ax.vy;
  for (int k = 1; k <= 3; ++k) vx[static_cast<std::size_t>(k - 1)] = nt.xyz(pos_j, k) - nt.xyz(pos_i, k);
  const float distance = vlen(vx);
  // Nodes further apart than the float range give no axis: the element is
  // rejected with the message of a member whose axes cannot be formed.
  if (!std::isfinite(distance)) {
    fio::write_list(6, "VY IS PARAELL TO VX, REINPUT VY");
    return false;
  }
  float length = distance - ds - de;
  const bool zero_length = !f.strut && length == 0.0f;
  // Coincident nodes give no element axis: the spring then acts along node I's
  // own axes, whatever its end distances.
  if (zero_length || distance == 0.0f) {
    const float* cs = cosine_set(nt, pos_i);
    for (int k = 0; k < 3; ++k) {
      vx[static_cast<std::size_t>(k)] = cs[0 + 3 * k];
      vy[static_cast<std::size_t>(k)] = cs[1 + 3 * k];
    }
    if (zero_length) length = 1.0f;
  }
  if (!f.strut && input_length != 0.0f) length = input_length;
  ax.revised = common::degenerate_length(length, common::joint_size(pos_i, pos_j, distance));
  if (ax.revised) {
    bad_length(c, pos_i, pos_j, length);
    length = 1.0f;
  }
  ax.length = length;
  return true;
}

// Transformation: the node-I and node-J coefficient of every degree of
// freedom that moves the spring's component, with its equation; the caller
// gets back their number.
int transformation_terms(const Record& r, int pos_i, int pos_j, int ktype, const std::array<float, 9>& ri,
                         const std::array<float, 9>& ei, const std::array<float, 9>& rj,
                         const std::array<float, 9>& ej) {
  const base::NodeTables nt = base::node_tables();
  auto at = [](const std::array<float, 9>& m, int i, int k) {
    return m[static_cast<std::size_t>((i - 1) + 3 * (k - 1))];
  };
  int nd = 0;
  for (int i = 1; i <= kMaxDof; ++i) {
    const int j = i <= 6 ? i : i - 6;
    const int eq_i = nt.id(pos_i, j);
    const int eq_j = nt.id(pos_j, j);
    if (eq_i == eq_j) continue;
    float t1 = 0.0f;
    float t2 = 0.0f;
    if (i <= 3) {
      if (ktype <= 3) t1 = at(ri, i, ktype);
    } else if (i <= 6) {
      t1 = ktype <= 3 ? at(ei, i - 3, ktype) : at(ri, i - 3, ktype - 3);
    } else if (i <= 9) {
      if (ktype <= 3) t2 = at(rj, i - 6, ktype);
    } else {
      t2 = ktype <= 3 ? at(ej, i - 9, ktype) : at(rj, i - 9, ktype - 3);
    }
    if (t1 == 0.0f && t2 == 0.0f) continue;
    ++nd;
    r.rw(kWTI + nd - 1) = t1;
    r.rw(kWTJ + nd - 1) = t2;
    r.iw(kWLm + nd - 1) = i <= 6 ? eq_i : eq_j;
  }
  return nd;
}

void check(EleCall& c, const Family& f) {
  using kv::ctl;
  const Record r{c.p};
  auto input = [&](int k) { return c.rinput != nullptr ? c.rinput[k] : 0.0f; };

  r.iw(kWType) = f.type;
  const int set = to_int(input(1));
  const int node_i = to_int(input(2));
  const int node_j = to_int(input(3));
  const int ktype = to_int(input(4));
  std::array<float, 3> vy{input(6), input(7), input(8)};
  const float ds = input(9);
  const float de = input(10);
  r.iw(kWSet) = set;
  r.iw(kWNodeI) = node_i;
  r.iw(kWNodeJ) = node_j;
  r.iw(kWKtype) = ktype;

  const base::NodeTables nt = base::node_tables();
  const int nnode = ctl(kv::kNNODE);
  const int pos_i = base::ifind(node_i, nt.nodid_ptr(), nnode);
  const int pos_j = base::ifind(node_j, nt.nodid_ptr(), nnode);
  r.iw(kWPosI) = pos_i;
  r.iw(kWPosJ) = pos_j;

  // Until the element is accepted it keeps no degree of freedom: a rejected
  // element hands its whole stiffness back and every later option passes it over.
  for (int k = kWDdefo; k <= kWVelo; ++k) r.rw(k) = 0.0f;
  r.rw(kWFmax) = 0.0f;
  r.rw(kWDmax) = 0.0f;
  r.rw(kWSke) = 0.0f;
  r.rw(kWLength) = 0.0f;
  r.iw(kWNd) = 0;
  c.nback = kStiffWords;
  // The table heading comes with the first element of a run of this type even
  // when that element is rejected: the elements after it print none.
  const bool heading = c.typchg || kv::trace('H') || kv::trace('I');
  auto reject = [&] {
    if (heading) echo_header(f);
  };

  // The type selects the transformation terms and the name printed; a value
  // outside the table cannot be carried on.
  if (ktype < 1 || ktype > max_ktype(f)) {
    invalid_ktype(c, f, node_i, node_j, ktype);
    reject();
    return;
  }
  if (pos_i == 0 || pos_j == 0) {  // the ID search has reported the node
    reject();
    return;
  }

  if (kv::trace('C')) {
    fio::write(7, "(I5,1X,I5,1P,6E12.4)", node_j, node_i, static_cast<float>(nt.xyz(pos_j, 1)),
               static_cast<float>(nt.xyz(pos_j, 2)), static_cast<float>(nt.xyz(pos_j, 3)),
               static_cast<float>(nt.xyz(pos_i, 1)), static_cast<float>(nt.xyz(pos_i, 2)),
               static_cast<float>(nt.xyz(pos_i, 3)));
  }

  SpringAxis ax;
  ax.vy = vy;
  if (!spring_axis(c, f, pos_i, pos_j, ds, de, input(5), ax)) {
    reject();
    return;
  }
  std::array<float, 3>& vx = ax.vx;
  vy = ax.vy;
  const float length = ax.length;
  const bool revised = ax.revised;

  if (kv::trace('H')) {
    fio::write_list(6, "JOINTS", pos_i, pos_j);
    fio::write_list(6, "VX", std::span<const float>(vx));
    fio::write_list(6, "VY", std::span<const float>(vy));
    fio::write_list(6, "LENGTH  VY", length);
  }

  std::array<float, 9> ri{}, ei{}, rj{}, ej{};
  const int nndim = ctl(kv::kNNDIM);
  if (!locaxs(vx, vy, std::span<const float, 9>(cosine_set(nt, pos_i), 9), ri, ds, 0.0f, 0.0f, ei,
              nt.tcon_row(pos_i), nndim) ||
      !locaxs(vx, vy, std::span<const float, 9>(cosine_set(nt, pos_j), 9), rj, -de, 0.0f, 0.0f, ej,
              nt.tcon_row(pos_j), nndim)) {
    reject();  // no local axes: the message is out and the element is rejected
    return;
  }
  if (revised) common::note_length_revised(c.ielno);  // a rejected element is counted as such
  if (kv::trace('H')) {
    base::prtmat(ri.data(), 3, 3, "CTS");
    base::prtmat(rj.data(), 3, 3, "CTE");
    base::prtmat(ei.data(), 3, 3, "BS");
    base::prtmat(ej.data(), 3, 3, "BE");
  }

  // A material set that gave no state words has no tangent to form a stiffness
  // from (the dispatcher has reported the set).
  if (r.nhyst() <= 0) {
    reject();
    return;
  }

  const int nd = transformation_terms(r, pos_i, pos_j, ktype, ri, ei, rj, ej);
  r.iw(kWNd) = nd;
  r.rw(kWLength) = length;
  if (kv::trace('H')) base::prtmt2(kv::rptr(r.p + kWTI), nd, 2, "T", kMaxDof);

  if (f.before_setup != nullptr) f.before_setup(c, r, length);
  materials::MatCall m = material_call(c, r, materials::kOptInit, r.committed_index());
  m.p = r.rw(kWFt);
  m.pl = r.rw(kWFt);
  m.d = r.rw(kWDefo);
  m.dl = r.rw(kWDefo);
  run_material(m);

  r.rw(kWSke) = r.committed()[1];
  form_stiffness(f, r, spring_constant(f, r));
  c.nback = kStiffWords - nd * (nd + 1) / 2;

  if (heading) echo_header(f);
  const Label15 label(c.label);
  fio::write(6, "(1X,A,4I6,2X,A,3X,1P,E12.4,0P,F9.5,' I',SP,F9.5,' J',F9.5,' K',SS,1P,2E12.4)",
             label.view(), c.ielno, set, node_i, node_j, ktype_name(f, ktype), length, vy[0], vy[1],
             vy[2], ds, -de);
}

void tangent(EleCall& c, const Family& f) {
  const Record r{c.p};
  if (!r.usable()) return;
  const float k = r.committed()[1];
  if (k == static_cast<float>(r.rw(kWSke))) return;
  r.rw(kWSke) = k;
  form_stiffness(f, r, spring_constant(f, r));
}

void state(EleCall& c, const Family& f) {
  using kv::ctl;
  const Record r{c.p};
  if (!r.usable()) {
    if (c.lecho && c.typchg) force_header(f, kv::titles().ldlabl, kFullTail);
    return;
  }
  const int nd = r.nd();
  const int nlc = std::max(ctl(kv::kNLC), 1);
  const int neq = ctl(kv::kNEQ);
  const bool elastic = kv::ctl_true(kv::kELASTC);
  const float length = r.rw(kWLength);
  const float ske = r.rw(kWSke);
  const float ft = r.rw(kWFt);
  // 1-based views of the solution's tables; a table not reserved reads as zero.
  const float* disp = c.idisp > 0 ? kv::rptr(c.idisp) - 1 : nullptr;
  const float* vel = ctl(kv::kDVELOC) > 0 ? kv::rptr(ctl(kv::kDVELOC)) - 1 : nullptr;

  float p = ft;
  for (int lc = 1; lc <= nlc; ++lc) {
    const std::int64_t column = static_cast<std::int64_t>(lc - 1) * neq;
    float ddefo = 0.0f;
    float dvelo = 0.0f;
    for (int row = 1; row <= nd; ++row) {
      // A degree of freedom without an equation moves nothing.
      const int eq = r.lm(row);
      if (eq <= 0 || eq > neq) continue;
      const float dt = r.t2(row) - r.t1(row);
      if (disp != nullptr) ddefo += dt * disp[column + eq];
      if (vel != nullptr) dvelo += dt * vel[eq];
    }
    r.rw(kWDdefo) = ddefo;
    r.rw(kWDvelo) = dvelo;
    const float fi = f.strut ? ske * ddefo : ske * ddefo / length;
    r.rw(kWF) = fi;
    p = ft + fi;

    if (!elastic) {
      const int ns = r.nstate();
      float* com = r.committed();
      float* tri = r.trial();
      std::copy(com + 1, com + 1 + ns, tri + 1);
      const float defo = r.rw(kWDefo);
      const float velo = r.rw(kWVelo);
      materials::MatCall m = material_call(c, r, materials::kOptState, r.trial_index());
      m.p = p;
      m.pl = ft;
      m.d = f.strut ? defo + ddefo : (defo + ddefo) / length;
      m.dl = f.strut ? defo : defo / length;
      m.v = velo + dvelo;
      m.vl = velo;
      const float d = m.d;
      run_material(m);
      p = m.p;
      if (tri[1] != com[1]) kv::set_ctl_logical(kv::kStateChanged, true);
      if (f.after_state != nullptr) f.after_state(c, r, d);
    }

    if (nlc > 1) {
      if (f.strut) {
        if (std::fabs(fi) > std::fabs(static_cast<float>(r.rw(kWFmax)))) r.rw(kWFmax) = fi;
        if (std::fabs(ddefo) > std::fabs(static_cast<float>(r.rw(kWDmax)))) r.rw(kWDmax) = ddefo;
      } else if (std::fabs(fi) > std::fabs(static_cast<float>(r.rw(kWFmax)))) {
        r.rw(kWFmax) = fi;
        r.rw(kWDmax) = ddefo;
      }
    }
    if (c.lecho) {
      if (c.typchg && lc == 1) force_header(f, kv::titles().ldlabl, kFullTail);
      const float printed[2] = {fi, ddefo};
      if (common::forces_finite(c.ielno, printed, 2)) force_line(c, f, r, lc, fi, ddefo, spring_constant(f, r));
    }
  }

  const float fi = r.rw(kWF);
  if (combined_forces()) kv::solsta().rsforc[1] = fi;
  // What the material did not accept of the elastic prediction goes back to
  // the nodes as unbalanced force.
  const float fub = (fi + ft) - p;
  float* unbalanced = ctl(kv::kSolVector65) > 0 ? kv::rptr(ctl(kv::kSolVector65)) - 1 : nullptr;
  if (unbalanced != nullptr) {
    for (int row = 1; row <= nd; ++row) {
      const int eq = r.lm(row);
      if (eq <= 0 || eq > neq) continue;
      unbalanced[eq] += (r.t1(row) - r.t2(row)) * fub;
    }
  }
  r.rw(kWF) = p - ft;

  if (kv::trace('H')) {
    fio::write_list(6, "  F:", fi, "  FT:", ft, "  P:", p);
    if (unbalanced != nullptr) {
      for (int row = 1; row <= nd; ++row) {
        const int eq = r.lm(row);
        if (eq <= 0 || eq > neq) continue;
        fio::write_list(6, "  I:", row, "  LM(I):", eq, "  FUB(I):", unbalanced[eq]);
      }
    }
  }
}

void commit(EleCall& c, const Family& f) {
  const Record r{c.p};
  if (!r.usable()) {
    if (c.lecho && c.typchg) force_header(f, kv::titles().ldlabl, combined_forces() ? f.combined_tail : kFullTail);
    return;
  }
  if (combined_forces()) {
    r.rw(kWFt) = kv::solsta().rsforc[1];
    if (c.lecho) {
      if (c.typchg) force_header(f, kv::titles().ldlabl, f.combined_tail);
      if (f.strut) {
        force_line(c, f, r, 1, r.rw(kWFt), spring_constant(f, r));
      } else {
        force_line(c, f, r, 1, r.rw(kWFt));
      }
    }
  } else {
    r.rw(kWFt) += r.rw(kWF);
    r.rw(kWDefo) += r.rw(kWDdefo);
    r.rw(kWVelo) += r.rw(kWDvelo);
    const float ft = r.rw(kWFt);
    const float defo = r.rw(kWDefo);
    if (f.strut) {
      if (std::fabs(ft) > std::fabs(static_cast<float>(r.rw(kWFmax)))) r.rw(kWFmax) = ft;
      if (std::fabs(defo) > std::fabs(static_cast<float>(r.rw(kWDmax)))) r.rw(kWDmax) = defo;
    } else if (std::fabs(ft) > std::fabs(static_cast<float>(r.rw(kWFmax)))) {
      r.rw(kWFmax) = ft;
      r.rw(kWDmax) = defo;
    }
    if (c.lecho) {
      if (c.typchg) force_header(f, kv::titles().ldlabl, kFullTail);
      force_line(c, f, r, 1, ft, defo, spring_constant(f, r));
    }
  }
  if (!kv::ctl_true(kv::kELASTC)) {
    const int ns = r.nstate();
    std::copy(r.trial() + 1, r.trial() + 1 + ns, r.committed() + 1);
  }
}

void history_write(EleCall& c, const Family& /*f*/) {
  const Record r{c.p};
  float ese = 0.0f;
  float pse = 0.0f;
  std::array<float, 3> duct{};
  std::array<float, 6> ex{};
  if (r.usable()) {
    materials::MatCall m = material_call(c, r, materials::kOptResults, r.committed_index());
    run_material(m);
    ese = m.ese;
    pse = m.pse;
    duct = m.duct;
    ex = m.ex;
  }
  fio::write(kv::ctl(kv::kIUNIT), "(3I6,1P,5E12.4,/,6E12.4)", static_cast<int>(r.iw(kWNodeI)),
             static_cast<int>(r.iw(kWNodeJ)), static_cast<int>(r.iw(kWKtype)),
             static_cast<float>(r.rw(kWFt)), static_cast<float>(r.rw(kWDefo)),
             static_cast<float>(r.rw(kWSke)), ese, pse, duct[0], ex[0], duct[1], ex[1], duct[2], ex[2]);
}

void history_read(EleCall& c, const Family& f) {
  const Record r{c.p};
  // The request line just read by the caller: kind, element, interval, T0, DT.
  const common::HistoryRequest h = common::history_request();
  if (!h.read) return;

  // The strut counts in the solution's step word, which its messages print.
  int own_step = 0;
  int& step = f.strut ? kv::solsta().istep : own_step;
  std::array<float, 6> six{};
  bool any = false;
  std::int32_t node_i = 0, node_j = 0, ktype = 0;
  float ft = 0.0f, defo = 0.0f, ske = 0.0f, ese = 0.0f, pse = 0.0f;
  auto read = [&] {
    node_i = node_j = ktype = 0;
    ft = defo = ske = ese = pse = 0.0f;
    std::array<float, 6> more{};
    if (fio::read_list(h.unit, node_i, node_j, ktype, ft, defo, ske, ese, pse,
                       std::span<float>(more)) != fio::Status::ok) {
      return false;
    }
    any = true;
    six = more;
    r.iw(kWNodeI) = node_i;
    r.iw(kWNodeJ) = node_j;
    r.iw(kWKtype) = ktype;
    r.rw(kWFt) = ft;
    r.rw(kWDefo) = defo;
    r.rw(kWSke) = ske;
    return true;
  };
  // Step 0 is always a printed step: the header comes before its line.
  common::history_records(h, step, read, [&](int stp, float time) {
    if (stp == 0) {
      fio::write(6, "(/,A,5X,'NODEI:',I6,5X,'NODEJ:',I6,5X,A,A,/,/,'      STEP    TIME      ',"
                    "'    FORCE    ',' DISPLACMENT ','  STIFFNESS','    ESE      ','     PSE     ')",
                 f.history_title, node_i, node_j, f.history_type, ktype_name(f, ktype));
    }
    fio::write(6, "(I10,1P,E15.5,5E13.5)", stp, time, ft, defo, ske, ese, pse);
  });
  if (any && f.after_history != nullptr) f.after_history(six.data());
}

void count_state(EleCall& c, const Family& /*f*/) {
  const Record r{c.p};
  r.iw(kWNhyst) = 0;
  r.iw(kWSet) = to_int(c.rinput != nullptr ? c.rinput[1] : 0.0f);
  materials::MatCall m = material_call(c, r, materials::kOptNState, r.committed_index());
  run_material(m);
  r.iw(kWNhyst) = 2 * std::max(m.nstate, 0);
}

void maxima(EleCall& c, const Family& f) {
  const Record r{c.p};
  if (c.typchg) force_header(f, kMaximaTitle, kFullTail);
  if (r.usable()) force_line(c, f, r, 0, r.rw(kWFmax), r.rw(kWDmax));
}

void reset_words(EleCall& c, const Family& /*f*/, std::string_view message) {
  const Record r{c.p};
  for (int k = kWDdefo; k <= kWVelo; ++k) r.rw(k) = 0.0f;
  r.rw(kWFmax) = 0.0f;
  r.rw(kWDmax) = 0.0f;
  kv::zero_words(r.committed_index(), r.nhyst());
  fio::write(6, "(A,I6,'  INTERNAL FORCES AND HYSTERESIS MODELS ARE RESET TO ZERO')", message, c.ielno);
}

void invalid_option(const EleCall& c, const Family& f) {
  fio::write_list(6, "INVALID OPTION IN ", f.driver_name, ", IOPT=", c.iopt);
}

}  // namespace elements::spring_family

namespace elements {

namespace {

using namespace spring_family;

const Family kSpring{
    .type = 2,
    .strut = false,
    .driver_name = "ELE-02",
    .echo_title = " ELEMENT 02, ONE (LOCAL) DOF SPRING ELEMENT",
    .stiff_title = "SPRING STIFFNESS",
    .forces_title = "       SPRING FORCES...",
    .ktype_revise = "REVISE INPUT  1 LE KTYPE LE 6 .............",
    .combined_tail = "      FORCE    ",
    .history_title = "       SPRING FORCES...",
    .history_type = "SPRING TYPE:",
};

void ductility(EleCall& c) {
  const Record r{c.p};
  float duct = 0.0f;
  if (r.usable()) {
    materials::MatCall m = material_call(c, r, materials::kOptResults, r.trial_index());
    run_material(m);
    c.r1 = m.ese;
    c.r2 = m.pse;
    duct = m.duct[0];
    if (c.r4 == 0.0f && std::fabs(duct) >= 1.0f) c.r4 = std::fabs(duct);
  }
  if (c.lecho) {
    if (c.typchg) fio::write(6, "(/,'  SPRING DUCTILITIES',/,'   ELEMENT',T12,'|- DUCTILITY -| ')");
    if (r.usable()) fio::write(6, "(I10,1P,E15.6)", c.ielno, duct);
  }
}

void reset(EleCall& c) {
  reset_words(c, kSpring, " SPRING......... ELEMENT #");
  const Record r{c.p};
  if (!r.usable()) return;
  materials::MatCall m = material_call(c, r, materials::kOptInit, r.committed_index());
  run_material(m);
}

}  // namespace

void ele02(EleCall& c) {
  switch (c.iopt) {
    case kEleCheck: check(c, kSpring); break;
    case kEleGeom: break;
    case kEleStiff: tangent(c, kSpring); break;
    case kEleState: state(c, kSpring); break;
    case kEleCommit: commit(c, kSpring); break;
    case kEleLoads: break;
    case kEleHistWrite: history_write(c, kSpring); break;
    case kEleHistRead: history_read(c, kSpring); break;
    case kEleNState: count_state(c, kSpring); break;
    case kEleEnergy:
    case kEleDuct: ductility(c); break;
    case kEleMaxima: maxima(c, kSpring); break;
    case kEleReset: reset(c); break;
    case kEleDamage:
      if (!kv::ctl_true(kv::kELASTC)) c.r3 = 0.0f;
      break;
    default: invalid_option(c, kSpring); break;
  }
}

}  // namespace elements
