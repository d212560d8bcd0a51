#include "elements/beam3d.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/matrix_print.h"
#include "base/node_tables.h"
#include "base/storage.h"
#include "elements/beam_frame.h"
#include "elements/element_common.h"
#include "elements/element_loads.h"
#include "elements/hinge_beam.h"
#include "elements/local_axes.h"
#include "fio/fio.h"
#include "materials/mat01_beam_section.h"
#include "materials/matdsp.h"

namespace elements {

void ele01(EleCall& c) { beam::drive(c, beam::kPlainBeam); }

namespace beam {

namespace {

constexpr int kMaterialType = 1;  // the "3D-BEAM" section
constexpr int kEnvelopeWords = 144;

// Section rigidities in the material state words.
using materials::beam_section::kEA;
using materials::beam_section::kEIy;
using materials::beam_section::kEIz;
using materials::beam_section::kGJ;

using frame::at;
using frame::KgData;
using frame::kgdata;
using frame::Mat12;
using frame::set_sym;
using frame::Vec12;
using common::rs_combination;
using common::to_int;

// The element's record.
struct Beam {
  const BeamType& t;
  std::int64_t p;

  float* real(int k) const { return kv::rptr(p + k); }
  std::int32_t* ints(int k) const { return kv::iptr(p + k); }
  int w(int k) const { return k + t.shift; }  // a word from 117 on
  int bits() const { return kv::izm(p + w(kRel)); }
  float length() const { return kv::rzm(p + w(kLength)); }
  bool rejected() const { return kv::izm(p + kPosI) <= 0 || kv::izm(p + kPosJ) <= 0; }
  std::int64_t izke() const { return p + w(kBase) + kv::izm(p + w(kNHyst)); }
  // The node-table position whose equation end DOF k (1..6) of end 0 (I) or 1 (J) takes.
  int node(int end, int k) const {
    if (t.hinges) return hinge::end_node(p, end, k);
    return kv::izm(p + (end == 0 ? kPosI : kPosJ));
  }
  frame::Positions positions() const {
    frame::Positions pos{};
    for (int end = 0; end < 2; ++end)
      for (int k = 1; k <= 6; ++k) pos[static_cast<std::size_t>(6 * end + k - 1)] = node(end, k);
    return pos;
  }
};

// Bending coefficients cI, cJ, cIJ of one plane from the releases of its two
// ends.
struct Plane {
  float ci, cj, cij;
};

Plane plane(bool rel_i, bool rel_j) {
  if (rel_i && rel_j) return {0.0f, 0.0f, 0.0f};
  if (rel_j) return {3.0f, 0.0f, 0.0f};
  if (rel_i) return {0.0f, 3.0f, 0.0f};
  return {4.0f, 4.0f, 2.0f};
}

// S, the local stiffness, from the record words.
void local_stiffness(const Beam& b, Mat12& s) {
  s.fill(0.0f);
  const float* r = b.real(0);
  const float ea = r[kEAoverL];
  const float gj = r[kGJoverL];
  set_sym(s, 1, 1, ea);
  set_sym(s, 1, 7, -ea);
  set_sym(s, 7, 7, ea);
  set_sym(s, 2, 2, r[kSz]);
  set_sym(s, 2, 6, r[kTzI]);
  set_sym(s, 2, 8, -r[kSz]);
  set_sym(s, 2, 12, r[kTzJ]);
  set_sym(s, 6, 6, r[kKzI]);
  set_sym(s, 6, 8, -r[kTzI]);
  set_sym(s, 6, 12, r[kKzIJ]);
  set_sym(s, 8, 8, r[kSz]);
  set_sym(s, 8, 12, -r[kTzJ]);
  set_sym(s, 12, 12, r[kKzJ]);
  set_sym(s, 3, 3, r[kSy]);
  set_sym(s, 3, 5, -r[kTyI]);
  set_sym(s, 3, 9, -r[kSy]);
  set_sym(s, 3, 11, -r[kTyJ]);
  set_sym(s, 5, 5, r[kKyI]);
  set_sym(s, 5, 9, r[kTyI]);
  set_sym(s, 5, 11, r[kKyIJ]);
  set_sym(s, 9, 9, r[kSy]);
  set_sym(s, 9, 11, r[kTyJ]);
  set_sym(s, 11, 11, r[kKyJ]);
  set_sym(s, 4, 4, gj);
  set_sym(s, 4, 10, -gj);
  set_sym(s, 10, 10, gj);
}

void transformation(const Beam& b, Mat12& t) {
  frame::transformation(b.real(kCTS), b.real(kBS), b.real(kCTE), b.real(kBE), t);
}

// Free words at IZ for the fixed-end forces of all load cases (not reserved).
float* fef_scratch(int nlc) { return common::scratch_at_iz(12, nlc); }

bool load_flag(const EleCall& c, const Beam& b, int nlc, float* q) {
  if (kv::ctl(kv::kNELOAD) < 1 || b.rejected()) return false;
  return bmfef(c.ielno, b.length(), b.bits(), element_load_tables(), nlc, q);
}

void update_envelope(const Beam& b, const float* f) { common::update_envelope(b.real(b.w(kEnvelope)), f, 12); }

void force_heading(std::string_view text) {
  fio::write(6, "(/,'       3D BEAM FORCES...',5X,/,7X,A,/,'   ELEMENT LOAD         NODE',7X,'AXIAL',11X,'FY',"
                "13X,'FZ',11X,'TORSION',10X,'MY',13X,'MZ')",
             text);
}

void end_lines(const EleCall& c, const Beam& b, int lc, const float* v, bool force) {
  const int idi = kv::izm(b.p + kIdI);
  const int idj = kv::izm(b.p + kIdJ);
  if (force) {
    fio::write(6, "(I10,I5,2X,'FORCE',I6,1P,6E15.6,/,15X,2X,'FORCE',I6,6E15.6)", c.ielno, lc, idi,
               std::span<const float>(v, 6), idj, std::span<const float>(v + 6, 6));
  } else {
    fio::write(6, "(I10,I5,2X,'DISPL',I6,1P,6E15.6,/,15X,2X,'DISPL',I6,6E15.6)", c.ielno, lc, idi,
               std::span<const float>(v, 6), idj, std::span<const float>(v + 6, 6));
  }
}

// MATDSP option 2 on the element's state (its one copy): returns the set's type.
int init_material(EleCall& c, const Beam& b) {
  materials::MatCall mc;
  mc.iopt = materials::kOptInit;
  mc.ielno = c.ielno;
  mc.set = kv::izm(b.p + b.w(kMatSet));
  mc.sta = b.p + b.w(kBase);
  mc.p = b.real(kForce)[0];
  mc.pl = b.real(kDF)[0];
  mc.d = b.real(kDisp)[0];
  mc.dl = b.real(kDu)[0];
  int prev = 0;
  int type = 0;
  materials::matdsp(mc, prev, 0, type);
  c.r1 = mc.ese;
  c.r2 = mc.pse;
  return type;
}

void clear_forces(const Beam& b) {
  std::fill(b.real(kDu), b.real(kDu) + 48, 0.0f);  // du, D, dF, F
  std::fill(b.real(b.w(kEnvelope)), b.real(b.w(kEnvelope)) + kEnvelopeWords, 0.0f);
}

// Leaves the element without stiffness: no location vector, no terms, no
// geometric stiffness, and no node positions, so no later option reads or
// loads a node through it.
void reject(EleCall& c, const Beam& b) {
  kv::izm(b.p + kND) = 0;
  std::fill(b.real(kEAoverL), b.real(kEAoverL) + 13, 0.0f);  // words 3-15
  kv::rzm(b.p + kKyIJ) = 0.0f;
  std::fill(b.ints(kLM), b.ints(kLM) + 12, 0);
  std::fill(b.ints(b.w(kLMKG)), b.ints(b.w(kLMKG)) + 12, 0);
  kv::izm(b.p + b.w(kRel)) = b.bits() & ~kGeomBit;
  kv::izm(b.p + b.w(kKgdof)) = 0;
  kv::izm(b.p + b.w(kNTerms)) = 0;
  kv::izm(b.p + kPosI) = 0;
  kv::izm(b.p + kPosJ) = 0;
  c.lkg = false;
  c.nback = kMaxTerms;
}

void echo(const EleCall& c, const Beam& b, const Echo& e) {
  if (c.typchg || kv::trace('H') || kv::trace('I')) {
    if (b.t.hinges) {
      hinge::echo_heading();
    } else {
      fio::write(6, "(/,' ELEMENT 01,  3D BEAM ELEMENT',/,/,T22,'#  MATL START   END','  REL CD',3X,'LENGTH',3X,"
                    "11('-'),'  Y-AXIS  ',12('-'),'  START DIST    END DIST     PKG')");
    }
  }
  if (b.t.hinges) {
    hinge::echo_line(e);
    return;
  }
  fio::write(6, "(1X,A15,4I6,2X,A,1P,E12.4,0P,F9.5,' I',F9.5,' J',F9.5,' K',1P,3E12.4)", e.label15, e.ielno,
             e.matset, e.id_i, e.id_j, e.reltext, e.length, e.vy[0], e.vy[1], e.vy[2], e.sdist, -e.edist, e.pkg);
}

// ---------------------------------------------------------------- option 1

// The member's axes and length between its joints at node-table positions
// pi and pj, less the end distances; good comes in as the joints were found
// and goes back false when no member can be formed. The caller gets back the
// length (1.0 when it had to be revised, 0.0 when it cannot be measured).
float member_geometry(EleCall& c, const Beam& b, int pi, int pj, std::array<float, 3>& vy, float sdist,
                      float edist, bool& good) {
  const std::int64_t p = b.p;
  const base::NodeTables nt = base::node_tables();
  const int idi = kv::izm(p + kIdI);
  const int idj = kv::izm(p + kIdJ);
  float length = 0.0f;
  bool revised = false;  // the length was taken as 1.0

  if (good) {
    if (kv::trace('C')) {
      fio::write(7, "(I5,1X,I5,1P,6E12.4)", idj, idi, static_cast<float>(nt.xyz(pj, 1)),
                 static_cast<float>(nt.xyz(pj, 2)), static_cast<float>(nt.xyz(pj, 3)),
                 static_cast<float>(nt.xyz(pi, 1)), static_cast<float>(nt.xyz(pi, 2)),
                 static_cast<float>(nt.xyz(pi, 3)));
    }
    std::array<float, 3> vx{};
    for (int k = 1; k <= 3; ++k) vx[static_cast<std::size_t>(k - 1)] = nt.xyz(pj, k) - nt.xyz(pi, k);
    const float dist = vlen(vx);
    length = dist - sdist - edist;
    // Joints further apart than the float range give no length: the element
    // is rejected below, and its echo shows 0.0 rather than Infinity.
    const bool measurable = std::isfinite(length);
    if (!measurable) {
      length = 0.0f;
    } else if (common::degenerate_length(length, common::joint_size(pi, pj, dist))) {
      if (b.t.hinges) {
        hinge::length_message(c.ielno, p, length);
      } else {
        fio::write(6, "(1X,20('*'),'ER','ROR - LENGTH IS LE 0',/,5X,'IELNO=',I5,5X,'JOINTI=',I5,5X,'JOINTJ=',I5,"
                      "5X,'LENGTH',1P,E15.6,/,5X,'REVISE INPUT.............................',/)",
                   c.ielno, pi, pj, length);
      }
      revised = true;
      length = 1.0f;
    }
    kv::rzm(p + b.w(kLength)) = length;
    if (kv::trace('H')) {
      fio::write_list(6, "JOINTS", pi, pj, "VX", vx[0], vx[1], vx[2], "VY", vy[0], vy[1], vy[2], "LENGTH  ",
                      length);
    }
    // Coincident joints give no member axis, and joints too far apart no
    // length: the element cannot be formed.
    if (dist == 0.0f || !measurable) {
      good = false;
    } else {
      good = frame::member_axes(vx, vy, pi, pj, sdist, edist, b.real(kCTS), b.real(kBS), b.real(kCTE), b.real(kBE));
    }
    if (good && b.t.hinges) hinge::drop_zone_moment(p, sdist, edist);
    frame::trace_axes(b.real(kCTS), b.real(kBS), b.real(kCTE), b.real(kBE));
  }
  if (!good) {
    frame::rejected_line(c.ielno, idi, idj);
  } else if (revised) {
    common::note_length_revised(c.ielno);  // a rejected element is counted as such
  }
  return length;
}

// The release bits of the six-digit code (the units digit MZ at J) and the
// echo's letters for them.
int release_bits(int relcode, std::array<char, 6>& reltext) {
  int bits = 0;
  reltext = {' ', ' ', ' ', ' ', ' ', ' '};
  static constexpr std::array<char, 6> kAxis{'X', 'Y', 'Z', 'X', 'Y', 'Z'};
  int code = relcode;
  for (int k = 0; k < 6; ++k) {  // the units digit first: MZ at J
    if (code % 10 != 0) {
      bits |= 1 << k;
      reltext[static_cast<std::size_t>(5 - k)] = kAxis[static_cast<std::size_t>(5 - k)];
    }
    code /= 10;
  }
  return bits;
}

// The axial, torsional and bending terms of the record from the section
// rigidities, the length and the releases.
void section_terms(const Beam& b, int relcode, int bits, float length, std::string_view reltext) {
  const std::int64_t p = b.p;
  const float* st = kv::rptr(p + b.w(kBase)) - 1;  // st[1..]
  if (kv::trace('H')) fio::write_list(6, "RELT", relcode);
  const float l = length;
  const Plane z = plane((bits & kRelMzI) != 0, (bits & kRelMzJ) != 0);
  const Plane y = plane((bits & kRelMyI) != 0, (bits & kRelMyJ) != 0);
  if (kv::trace('H')) fio::write_list(6, "IRELC", reltext, "REL", bits);
  float* r = b.real(0);
  r[kEAoverL] = st[kEA] / l;
  // A member free to twist at one end carries no torsion at all.
  r[kGJoverL] = (bits & (kRelMxI | kRelMxJ)) != 0 ? 0.0f : st[kGJ] / l;
  r[kKzI] = st[kEIz] / l * z.ci;
  r[kKzJ] = st[kEIz] / l * z.cj;
  r[kKzIJ] = st[kEIz] / l * z.cij;
  r[kKyI] = st[kEIy] / l * y.ci;
  r[kKyJ] = st[kEIy] / l * y.cj;
  r[kKyIJ] = st[kEIy] / l * y.cij;
  r[kSz] = (r[kKzI] + r[kKzJ] + 2.0f * r[kKzIJ]) / (l * l);
  r[kTzI] = (r[kKzI] + r[kKzIJ]) / l;
  r[kTzJ] = (r[kKzIJ] + r[kKzJ]) / l;
  r[kSy] = (r[kKyI] + r[kKyJ] + 2.0f * r[kKyIJ]) / (l * l);
  r[kTyI] = (r[kKyI] + r[kKyIJ]) / l;
  r[kTyJ] = (r[kKyIJ] + r[kKyJ]) / l;
}

// The element stiffness in global axes, packed with its location vector
// (loc, 1-based) into IZKE. The caller gets back the number of packed terms.
int stiffness_and_location(const Beam& b, const Mat12& t, int pi, int pj, float pkg,
                           std::array<std::int32_t, 13>& loc) {
  const std::int64_t p = b.p;
  const base::NodeTables nt = base::node_tables();
  const KgData kg = kgdata();
  Mat12 s{};
  Mat12 rk{};
  local_stiffness(b, s);
  frame::congruence(t, s, rk);
  if (kv::trace('I')) base::prtmat(rk.data(), 12, 12, " ASAT ");
  for (int k = 1; k <= 6; ++k) {
    const int ei = nt.id(pi, k);
    const int ej = nt.id(pj, k);
    if (ei == ej) continue;
    loc[static_cast<std::size_t>(k)] = ei;
    loc[static_cast<std::size_t>(k + 6)] = ej;
  }
  if (b.t.hinges) hinge::hinge_locations(p, loc.data());
  float* ke = kv::rptr(b.izke());
  int n = 0;
  const int nd = frame::pack(rk, loc, ke, n, b.ints(kLM), true);
  kv::izm(p + kND) = nd;
  if (kv::trace('H')) {
    fio::write_list(6, "IELDOF", nd);
    fio::write_list(6, "LM =", std::span<const std::int32_t>(b.ints(kLM), static_cast<std::size_t>(nd)));
    frame::print_packed(ke, nd, "ELEMENT STIFFNESS");
    fio::write_list(6, "KGDATA:", kg.source, kg.form, kg.use, " PKG:", pkg);
  }
  const int nterms = n;
  kv::izm(p + b.w(kNTerms)) = nterms;
  return nterms;
}

// The geometric stiffness for a unit axial load after the n terms of the
// stiffness, with its location vector; sets the geometric bit of the
// releases, KGDOF, and c's LKG, NBACK and PGEOM.
void geometric_stiffness(EleCall& c, const Beam& b, const Mat12& t, int pi, int pj, float pkg, int bits,
                         const std::array<std::int32_t, 13>& loc, int n) {
  const std::int64_t p = b.p;
  const KgData kg = kgdata();
  float* ke = kv::rptr(b.izke());
  const int nterms = n;
  bits &= ~kGeomBit;
  int kgdof = 0;
  bool lkg = false;
  if (!(pkg == 0.0f && kg.source != 2)) {
    if (frame::axis_moves(b.real(kCTS), b.real(kCTE), pi, pj)) bits |= kGeomBit;
    lkg = (bits & kGeomBit) != 0;
    kv::izm(p + b.w(kRel)) = bits;
    if (kv::trace('H')) fio::write_list(6, "AXIAL:", lkg);
    if (lkg && kg.source != 0 && kg.form != 0) {
      if (kg.source == 1) c.pgeom = pkg;
      if (kg.source == 2) c.pgeom = (b.real(kForce)[0] - b.real(kForce)[6]) * 0.5f;
      Mat12 g{};
      Mat12 rg{};
      frame::local_geometric(kg.form, b.length(), b.bits(), g);
      if (kv::trace('I')) base::prtmat(g.data(), 12, 12, " KG -LOCAL COORD ");
      frame::congruence(t, g, rg);
      if (kv::trace('I')) base::prtmat(rg.data(), 12, 12, " A*KG*AT ");
      kgdof = frame::pack(rg, loc, ke, n, b.ints(b.w(kLMKG)), true);
      if (kv::trace('H')) {
        fio::write_list(6, "KGDOF", kgdof);
        fio::write_list(6, "LMKG =",
                        std::span<const std::int32_t>(b.ints(b.w(kLMKG)), static_cast<std::size_t>(kgdof)));
        frame::print_packed(ke + nterms, kgdof, "ELEMENT GEOMETRIC STIFFNESS (UNIT LOAD)");
      }
    }
  }
  kv::izm(p + b.w(kRel)) = bits;
  kv::izm(p + b.w(kKgdof)) = kgdof;
  c.lkg = lkg;
  c.nback = kMaxTerms - n;
}

void check(EleCall& c, const Beam& b) {
  const std::int64_t p = b.p;
  const float* rin = c.rinput;  // rin[1..nvalues]
  const base::NodeTables nt = base::node_tables();
  const int nnode = kv::ctl(kv::kNNODE);

  kv::rzm(p + b.w(kEnergy)) = 0.0f;
  kv::rzm(p + b.w(kEnergy) + 1) = 0.0f;
  if (kv::trace('H')) {
    fio::write_list(6, c.label);
    base::prtmat(rin + 1, b.t.nvalues, 1, "RINPUT");
  }

  kv::izm(p) = b.t.type;
  const int matset = to_int(rin[1]);
  kv::izm(p + b.w(kMatSet)) = matset;
  const int idi = to_int(rin[2]);
  const int idj = to_int(rin[3]);
  kv::izm(p + kIdI) = idi;
  kv::izm(p + kIdJ) = idj;
  std::array<float, 3> vy{rin[4], rin[5], rin[6]};
  const float sdist = rin[7];
  const float edist = rin[8];
  const float pkg = rin[9];
  kv::rzm(p + kPkg) = pkg;
  const int relcode = to_int(rin[10]);

  const int pi = base::ifind(idi, nt.nodid_ptr(), nnode);
  const int pj = base::ifind(idj, nt.nodid_ptr(), nnode);
  kv::izm(p + kPosI) = pi;
  kv::izm(p + kPosJ) = pj;
  bool good = pi > 0 && pj > 0;
  if (b.t.hinges && !hinge::find_hinge_joints(p, rin)) good = false;

  clear_forces(b);
  std::fill(b.real(kCTS), b.real(kCTS) + 36, 0.0f);  // CTS, CTE, BS, BE
  std::fill(b.ints(kLM), b.ints(kLM) + 12, 0);
  std::fill(b.ints(b.w(kLMKG)), b.ints(b.w(kLMKG)) + 12, 0);

  const float length = member_geometry(c, b, pi, pj, vy, sdist, edist, good);

  Mat12 t{};
  transformation(b, t);
  if (good && kv::trace('H')) base::prtmat(t.data(), 12, 12, "RELT A");

  // Material and releases.
  const int mtype = init_material(c, b);
  std::array<char, 6> reltext{};
  const int bits = release_bits(relcode, reltext);
  kv::izm(p + b.w(kRel)) = bits;

  const common::Label15 label15(c.label);
  Echo e;
  e.label15 = label15.view();
  e.ielno = c.ielno;
  e.matset = matset;
  e.id_i = idi;
  e.id_j = idj;
  if (b.t.hinges) {
    e.hinge_i = to_int(rin[11]);
    e.hinge_j = to_int(rin[12]);
  }
  e.reltext = std::string_view(reltext.data(), reltext.size());
  e.length = length;
  e.vy = vy;
  e.sdist = sdist;
  e.edist = edist;
  e.pkg = pkg;

  if (good && mtype != kMaterialType) {
    fio::write(6, "('  ELEMENT: ',I6,'  INCOMPATIBLE MATERIAL PROP.#',I5,'  START JOINT:',I5,'  END JOINT:',I5,/,"
                  "' THE ELEMENT IS REJECTED AND ER','ROR CHECKING CONTINUES')",
               c.ielno, mtype, idi, idj);
    good = false;
  }
  if (!good) {
    reject(c, b);
    echo(c, b, e);
    return;
  }

  section_terms(b, relcode, bits, length, e.reltext);

  std::array<std::int32_t, 13> loc{};
  const int n = stiffness_and_location(b, t, pi, pj, pkg, loc);
  geometric_stiffness(c, b, t, pi, pj, pkg, bits, loc, n);
  echo(c, b, e);
}

// ---------------------------------------------------------------- options 2-14

void axial_load(EleCall& c, const Beam& b) {
  c.lkg = (b.bits() & kGeomBit) != 0;
  if (c.lkg) {
    const KgData kg = kgdata();
    if (kg.source == 1) c.pgeom = kv::rzm(b.p + kPkg);
    if (kg.source == 2) c.pgeom = (b.real(kForce)[0] - b.real(kForce)[6]) * 0.5f;
  }
  if (kv::trace('H')) fio::write_list(6, "AXIAL ", c.lkg, "  PGEOM:", c.pgeom);
}

void recover(EleCall& c, const Beam& b) {
  if (c.lecho && c.typchg) force_heading(kv::titles().ldlabl);
  const int nlc = kv::ctl(kv::kNLC);
  float* q = fef_scratch(nlc);
  const bool loaded = load_flag(c, b, nlc, q);
  const bool rej = b.rejected();
  Mat12 t{};
  Mat12 s{};
  if (!rej) {
    transformation(b, t);
    local_stiffness(b, s);
  }
  float* du = b.real(kDu);
  float* df = b.real(kDF);
  const frame::Positions pos = b.positions();
  for (int lc = 1; lc <= nlc; ++lc) {
    Vec12 u{};
    if (!rej && c.idisp > 0) frame::gather(pos, c.idisp, lc, u.data());
    frame::to_local(t, u.data(), du);
    for (int i = 1; i <= 12; ++i) {
      float sum = 0.0f;
      for (int k = 1; k <= 12; ++k) sum += at(s, i, k) * du[k - 1];
      df[i - 1] = sum;
    }
    if (loaded) {
      const float* qc = q + 12 * static_cast<std::int64_t>(lc - 1);
      for (int i = 0; i < 12; ++i) df[i] -= qc[i];
    }
    if (nlc > 1) update_envelope(b, df);
    if (kv::trace('A') && c.lecho) end_lines(c, b, lc, du, false);
    if (c.lecho && common::forces_finite(c.ielno, df, 12)) end_lines(c, b, lc, df, true);
  }
  if (rs_combination()) std::copy(df, df + 12, kv::solsta().rsforc.begin() + 1);
}

void commit(EleCall& c, const Beam& b) {
  if (c.lecho && c.typchg) force_heading(kv::titles().ldlabl);
  float* f = b.real(kForce);
  float* d = b.real(kDisp);
  common::commit_totals(f, d, b.real(kDF), b.real(kDu), 12, b.real(b.w(kEnvelope)));
  if (kv::trace('A') && c.lecho) end_lines(c, b, 1, d, false);
  if (c.lecho) end_lines(c, b, 1, f, true);
}

void element_loads(EleCall& c, const Beam& b) {
  const int nlc = kv::ctl(kv::kNLC);
  if (c.iload <= 0) return;
  float* q = fef_scratch(nlc);
  if (!load_flag(c, b, nlc, q)) return;
  Mat12 t{};
  transformation(b, t);
  frame::add_element_loads(c.ielno, t, q, nlc, c.iload, b.positions());
}

void write_history(const Beam& b) {
  const int unit = kv::ctl(kv::kIUNIT);
  const int idi = kv::izm(b.p + kIdI);
  const int idj = kv::izm(b.p + kIdJ);
  const float* f = b.real(kForce);
  const float* d = b.real(kDisp);
  fio::write(unit, "(I6,1P,6E12.5)", idi, std::span<const float>(f, 6), idj, std::span<const float>(f + 6, 6), idi,
             std::span<const float>(d, 6), idj, std::span<const float>(d + 6, 6));
}

// The records are read into working copies, never into the element: a later
// solution must start from the committed forces, not from the last record of
// a file.
void read_history() {
  const common::HistoryRequest h = common::history_request();
  const int unit = h.unit;
  fio::write(6, "(/,'       3D BEAM FORCES...',/,'      STEP    TIME         NODE',7X,'AXIAL',11X,'FY',13X,'FZ',"
                "11X,'TORSION',10X,'MY',13X,'MZ')");
  std::array<float, 12> fw{};
  std::array<float, 12> dw{};
  float* f = fw.data();
  float* d = dw.data();
  std::int32_t idi = 0;
  std::int32_t idj = 0;
  int step = 0;
  auto read = [&] {
    return fio::read_fmt(unit, "(I6,6E12.5)", idi, std::span<float>(f, 6)) == fio::Status::ok &&
           fio::read_fmt(unit, "(I6,6E12.5)", idj, std::span<float>(f + 6, 6)) == fio::Status::ok &&
           fio::read_fmt(unit, "(I6,6E12.5)", idi, std::span<float>(d, 6)) == fio::Status::ok &&
           fio::read_fmt(unit, "(I6,6E12.5)", idj, std::span<float>(d + 6, 6)) == fio::Status::ok;
  };
  common::history_records(h, step, read, [&](int stp, float time) {
    fio::write(6, "(/,I10,1P,E15.5,0P,I6,1P,6E15.6,/,25X,I6,6E15.6)", stp, time, idi,
               std::span<const float>(f, 6), idj, std::span<const float>(f + 6, 6));
    fio::write(6, "(25X,'DISP  ',1P,6E15.6,/,31X,6E15.6)", std::span<const float>(d, 12));
  });
}

void energy(EleCall& c, const Beam& b) {
  const float* du = b.real(kDu);
  const float* d = b.real(kDisp);
  const float* df = b.real(kDF);
  const float* f = b.real(kForce);
  const float sum = common::end_energy(du, d, df, f, 12);
  c.r1 = sum;
  c.r2 = 0.0f;
  kv::rzm(b.p + b.w(kEnergy)) = sum;
  kv::rzm(b.p + b.w(kEnergy) + 1) = 0.0f;
}

void maxima(const EleCall& c, const Beam& b) {
  common::envelope_report(c.typchg, b.real(b.w(kEnvelope)), 12, force_heading,
                          [&](int i, const float* col) { end_lines(c, b, i, col, true); });
}

void reset(EleCall& c, const Beam& b) {
  clear_forces(b);
  fio::write(6, "(' 3D BEAM........ ELEMENT #',I6,'  INTERNAL FORCES AND HYSTERESIS MODELS ARE RESET TO ZERO')",
             c.ielno);
  init_material(c, b);
}

void state_size(const EleCall& c, const Beam& b) {
  const int set = to_int(c.rinput[1]);
  kv::izm(b.p + b.w(kMatSet)) = set;
  kv::izm(b.p + b.w(kNHyst)) = common::material_state_words(c.ielno, set);
}

}  // namespace

void drive(EleCall& c, const BeamType& t) {
  const Beam b{t, c.p};
  switch (c.iopt) {
    case kEleCheck: check(c, b); break;
    case kEleGeom: axial_load(c, b); break;
    case kEleStiff: break;  // the stiffness of option 1 stands
    case kEleState: recover(c, b); break;
    case kEleCommit: commit(c, b); break;
    case kEleLoads: element_loads(c, b); break;
    case kEleHistWrite: write_history(b); break;
    case kEleHistRead: read_history(); break;
    case kEleNState: state_size(c, b); break;
    case kEleEnergy: energy(c, b); break;
    case kEleDuct: break;
    case kEleMaxima: maxima(c, b); break;
    case kEleReset: reset(c, b); break;
    case kEleDamage: c.r3 = 0.0f; break;
    default: {
      // "INVALID OPTION IN ELE-01, IOPT="
      fio::write_list(6, "INVALID OPTION IN ", t.name, ", IOPT=", c.iopt);
      break;
    }
  }
}

}  // namespace beam
}  // namespace elements
