// The options of the inelastic beam-column family: type 9 ("IE3DBEAM") and
// the reduced member of type 10 ("MR_END", mr_end.h), which runs the same
// code without HINGE ends, shear checks, limit codes and P-delta shears. The
// material models of the six components are reached through the hinge
// interface (hinge_model.h) only.
#include "elements/inelastic/ie3dbeam.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "base/globals.h"
#include "elements/beam_frame.h"
#include "elements/element_common.h"
#include "elements/element_loads.h"
#include "elements/inelastic/beam_column.h"
#include "elements/inelastic/beam_column_element.h"
#include "elements/inelastic/hinge_model.h"
#include "elements/inelastic/mr_end.h"
#include "elements/local_axes.h"
#include "fio/fio.h"
#include "materials/matdsp.h"
#include "materials/material_type.h"
#include "base/input_lines.h"
#include "base/matrix_print.h"
#include "base/node_tables.h"

namespace elements {

namespace {

using namespace beam_column;
using namespace ie3dbeam;
using frame::at;
using frame::Mat12;
using frame::set_sym;
using frame::Vec12;

constexpr Layout kLayout{9, kA, kBase};
constexpr int kReducedInputValues = mr_end::kInputValues;
constexpr std::string_view kEndA = "END A   ";
constexpr std::string_view kEndB = "END B   ";
constexpr int kYieldPoint = 2;     // limit-state point of the first bending yield
constexpr int kCapacityPoint = 3;  // limit-state point of the first capacity exceeded
constexpr int kFailureModes = 5;
constexpr int kMaxTablePoints = 20;

// Limit codes of the element.
enum LimitCode : int {
  kFlpAxial = 1,
  kFlpTorsion = 2,
  kFlpMyA = 3,       // first yield of MY-A; 4, 5, 6 of MY-B, MZ-A, MZ-B
  kFlpFailMyA = 6,   // + failure mode 1..5: MY-A rotation capacity exceeded (7-11)
  kFlpFailMyB = 13,  // + failure mode: MY-B (14-18)
  kFlpShearA = 12,   // member shear at end A; 19 at end B
  kFlpJointA = 13,   // joint shear at end A; 20 at end B
  kFlpShearB = 19,
  kFlpJointB = 20,
};

constexpr int kJointValues = 7;  // J1..J7 of one end in JSDATA

// The joint dimensions of one end (J1..J7) leave a finite check: J3, J5, J6
// and the depth sum non-zero and J4 not negative.
bool joint_dimensions_usable(const float* js) {
  return js[2] != 0.0f && js[4] != 0.0f && js[5] != 0.0f && js[3] >= 0.0f && js[2] + js[4] != 0.0f;
}

// The model of each component, nullptr for a type no model carries.
const HingeModel* model_of(const Member& m, int comp) { return hinge_model(m.type_of(comp)); }

// The common model of a bending plane's two ends; nullptr when they differ.
const HingeModel* pair_model(const Member& m, int ca, int cb) {
  const HingeModel* h = model_of(m, ca);
  return h != nullptr && h == model_of(m, cb) ? h : nullptr;
}

Member member(const EleCall& c) { return Member{c.p, kLayout}; }

kv::RealWord flpflg(const Member& m, int code) { return m.rw(kFlpFlg + code - 1); }

std::string_view end_label(int comp) { return comp == kMyA || comp == kMzA ? kEndA : kEndB; }

struct Status {
  std::array<char, 6> text;
  std::string_view view() const { return {text.data(), text.size()}; }
};
Status status_of(const Member& m) { return {flgchr(m.iw(kIyldst))}; }

void set_status_bit(const Member& m, int bit, bool on) {
  const int s = m.iw(kIyldst);
  m.iw(kIyldst) = on ? (s | bit) : (s & ~bit);
}

void set_limit_point(int k, int ielno) {
  kv::Solsta& ss = kv::solsta();
  if (ss.lsflag[static_cast<std::size_t>(k)] != 0.0f) return;
  ss.lsflag[static_cast<std::size_t>(k)] = 1.0f;
  ss.lselem[static_cast<std::size_t>(k)] = ielno;
}

using common::material_call;
using common::run_material;

// ---------------------------------------------------------------- report lines

void force_heading(std::string_view subtitle) {
  fio::write(6, "(/,'     IE3D BEAM FORCES...',/,/,7X,A,/,'   ELEMENT LOAD         NODE',7X,'AXIAL',11X,'FY',"
                "13X,'FZ',11X,'TORSION',10X,'MY',13X,'MZ   STBFAG')",
             subtitle);
}

// The commit's heading: the reduced member's has no empty line before the label.
void commit_heading(const Member& m, std::string_view subtitle) {
  if (!m.reduced()) {
    force_heading(subtitle);
    return;
  }
  fio::write(6, "(/,'     IE3D BEAM FORCES...',5X,/,7X,A,/,'   ELEMENT LOAD         NODE',7X,'AXIAL',11X,'FY',"
                "13X,'FZ',11X,'TORSION',10X,'MY',13X,'MZ   STBFAG')",
             subtitle);
}

// The DISPL and FORCE lines of options 4 and 5: d and f at the two ends, the
// force lines ending with the status string (the reduced member: its
// yielded flag).
void end_lines(const Member& m, int ielno, int lc, const float* d, const float* f) {
  const int ja = m.iw(kJntA);
  const int jb = m.iw(kJntB);
  fio::write(6, "(/,I10,I5,2X,'DISPL',I6,1P,6E15.6,/,15X,2X,'DISPL',I6,6E15.6)", ielno, lc, ja,
             std::span<const float>(d, 6), jb, std::span<const float>(d + 6, 6));
  if (m.reduced()) {
    fio::write(6, "(/,I10,I5,2X,'FORCE',I6,1P,6E15.6,/,15X,2X,'FORCE',I6,6E15.6,3X,I1)", ielno, lc, ja,
               std::span<const float>(f, 6), jb, std::span<const float>(f + 6, 6), static_cast<int>(m.iw(kIyldst)));
    return;
  }
  fio::write(6, "(/,I10,I5,2X,'FORCE',I6,1P,6E15.6,/,15X,2X,'FORCE',I6,6E15.6,3X,A)", ielno, lc, ja,
             std::span<const float>(f, 6), jb, std::span<const float>(f + 6, 6), status_of(m).view());
}

// The committed displacements and forces under an event report.
void event_forces(const Member& m, int ielno) {
  const int ja = m.iw(kJntA);
  const int jb = m.iw(kJntB);
  const float* ul = m.real(kUl);
  const float* fl = m.real(kFl);
  constexpr int kCaseField = 1;
  fio::write(6, "('**** THE ELEMENT FORCES ',A,' ARE:')", kv::titles().ldlabl);
  fio::write(6, "(/,I10,I5,2X,'DISPL',I6,1P,6E15.6,/,15X,2X,'DISPL',I6,6E15.6,1X,'FLP:',E10.2)", ielno,
             kCaseField, ja, std::span<const float>(ul, 6), jb, std::span<const float>(ul + 6, 6),
             static_cast<float>(m.rw(kFlp)));
  fio::write(6, "(/,I10,I5,2X,'FORCE',I6,1P,6E15.6,/,15X,2X,'FORCE',I6,6E15.6,1X,'CHR: ',A)", ielno, kCaseField,
             ja, std::span<const float>(fl, 6), jb, std::span<const float>(fl + 6, 6), status_of(m).view());
}

// Marks limit code k reported; false when it had been reported before.
bool take_code(const Member& m, int k) {
  if (flpflg(m, k) != 0.0f) return false;
  flpflg(m, k) = 1.0f;
  m.rw(kFlp) = static_cast<float>(k);
  return true;
}

// First yield of a component: code k, the end label or the axial/torsion text.
void yield_report(const Member& m, int ielno, int k, std::string_view what, bool at_end) {
  if (!take_code(m, k)) return;
  if (at_end)
    fio::write(6, "(/,'**** IA_BILN ELEMENT ',I10,' YIELD AT ',A)", ielno, what);
  else
    fio::write(6, "(/,'**** IA_BILN ELEMENT ',I10,A)", ielno, what);
  event_forces(m, ielno);
}

// ---------------------------------------------------------------- stiffness

// The local stiffness SLOC from the record's stiffness terms.
void local_stiffness(const Member& m, Mat12& s) {
  s.fill(0.0f);
  const float axk = m.rw(kAxk);
  const float tok = m.rw(kTok);
  set_sym(s, 1, 1, axk);
  set_sym(s, 7, 7, axk);
  set_sym(s, 1, 7, -axk);
  set_sym(s, 4, 4, tok);
  set_sym(s, 10, 10, tok);
  set_sym(s, 4, 10, -tok);
  const float shz1 = m.rw(kShz1), shz2 = m.rw(kShz2), shz3 = m.rw(kShz3);
  set_sym(s, 2, 2, shz1);
  set_sym(s, 8, 8, shz1);
  set_sym(s, 2, 8, -shz1);
  set_sym(s, 2, 6, shz2);
  set_sym(s, 6, 8, -shz2);
  set_sym(s, 2, 12, shz3);
  set_sym(s, 8, 12, -shz3);
  set_sym(s, 6, 6, m.rw(kBzaa));
  set_sym(s, 6, 12, m.rw(kBzab));
  set_sym(s, 12, 12, m.rw(kBzbb));
  const float shy1 = m.rw(kShy1), shy2 = m.rw(kShy2), shy3 = m.rw(kShy3);
  set_sym(s, 3, 3, shy1);
  set_sym(s, 9, 9, shy1);
  set_sym(s, 3, 9, -shy1);
  set_sym(s, 3, 5, -shy2);
  set_sym(s, 5, 9, shy2);
  set_sym(s, 3, 11, -shy3);
  set_sym(s, 9, 11, shy3);
  set_sym(s, 5, 5, m.rw(kByaa));
  set_sym(s, 5, 11, m.rw(kByab));
  set_sym(s, 11, 11, m.rw(kBybb));
}

frame::Positions positions(const Member& m) {
  frame::Positions pos{};
  std::fill(pos.begin(), pos.begin() + 6, static_cast<int>(m.iw(kPosA)));
  std::fill(pos.begin() + 6, pos.end(), static_cast<int>(m.iw(kPosB)));
  return pos;
}

void transformation(const Member& m, Mat12& t) { std::copy(m.a(), m.a() + 144, t.begin()); }

// LMT: the joint equation of each element DOF, 0 for a DOF whose two ends
// share their equation.
std::array<std::int32_t, 13> joint_equations(const Member& m) {
  std::array<std::int32_t, 13> lmt{};
  const base::NodeTables nt = base::node_tables();
  const int pa = m.iw(kPosA);
  const int pb = m.iw(kPosB);
  for (int j = 1; j <= 6; ++j) {
    const int ea = nt.id(pa, j);
    const int eb = nt.id(pb, j);
    if (ea == eb) continue;
    lmt[static_cast<std::size_t>(j)] = ea;
    lmt[static_cast<std::size_t>(j + 6)] = eb;
  }
  return lmt;
}

// A bending plane: its two components, its record terms and its names.
struct Plane {
  int ca, cb;
  int aa, ab, bb;
  std::string_view tag_a, tag_b;  // "MYA=", " MYB="
};
constexpr Plane kMyPlane{kMyA, kMyB, kByaa, kByab, kBybb, "MYA=", " MYB="};
constexpr Plane kMzPlane{kMzA, kMzB, kBzaa, kBzab, kBzbb, "MZA=", " MZB="};

void store_terms(const Member& m, const Plane& pl, const PairTerms& t) {
  m.rw(pl.aa) = t.aa;
  m.rw(pl.ab) = t.ab;
  m.rw(pl.bb) = t.bb;
}

// The words that keep the state a component's stiffness was formed with:
// its hinge tangent (bending ends) and its yield flag.
float* htan_word(const Member& m, int comp) { return m.real(kHtan + comp - 1); }
float* yldflg_word(const Member& m, int comp) {
  return m.real(kYldFlg + kFlagPlace[static_cast<std::size_t>(comp)] - 1);
}

// A pair the formation has no terms for: said at every formation, and
// counted once, at input, as a skipped item.
void pair_message(const EleCall& c, const Member& m, const Plane& pl, bool input) {
  fio::write(6, "(1X,'** INVALID MATERIAL TYPE ',A,I2,A,I2,' FOR ELEMENT NO. ',I5,' **')", pl.tag_a,
             static_cast<int>(m.type_of(pl.ca)), pl.tag_b, static_cast<int>(m.type_of(pl.cb)), c.ielno);
  if (input) {
    kv::note_fault(kv::Fault::input_warning,
                   "ELEMENT " + std::to_string(c.ielno) + ": NO STIFFNESS FOR ITS " + std::string(pl.tag_a.substr(0, 2)) +
                       " PAIR");
  }
}

PairEnds pair_ends(const Member& m, const Plane& pl) {
  return {.a = m.committed(pl.ca),
          .b = m.committed(pl.cb),
          .length = m.clen(),
          .reduced = m.reduced(),
          .tangent_a = htan_word(m, pl.ca),
          .tangent_b = htan_word(m, pl.cb),
          .flag_a = yldflg_word(m, pl.ca),
          .flag_b = yldflg_word(m, pl.cb)};
}

// A plane's terms by the pair rule of its ends' model: stored, the ends
// marked, and (outside the input pass) their first yields reported, end B
// first when both are found yielded together.
void bending_plane(const EleCall& c, const Member& m, const Plane& pl, bool input) {
  const HingeModel* h = pair_model(m, pl.ca, pl.cb);
  if (h == nullptr || h->pair == nullptr) {
    pair_message(c, m, pl, input);
    return;
  }
  const PairForm f = h->pair(pair_ends(m, pl));
  if (f.yielded) m.iw(kIyldst) = 1;
  if (f.no_terms) {
    pair_message(c, m, pl, input);
    return;
  }
  if (!f.formed) return;
  store_terms(m, pl, f.terms);
  if (f.status) {
    set_status_bit(m, kStatusBit[static_cast<std::size_t>(pl.ca)], f.inelastic_a);
    set_status_bit(m, kStatusBit[static_cast<std::size_t>(pl.cb)], f.inelastic_b);
  }
  if (input || (!f.yield_a && !f.yield_b)) return;
  if (f.yield_b) yield_report(m, c.ielno, kFlpMyA + pl.cb - 1, kEndB, true);
  if (f.yield_a) yield_report(m, c.ielno, kFlpMyA + pl.ca - 1, kEndA, true);
  set_limit_point(kYieldPoint, c.ielno);
}

// FX (component 6) or MX (component 5) by its model's rule.
void axial_or_torsion(const EleCall& c, const Member& m, int comp, bool input) {
  const bool fx = comp == kFx;
  const int term = fx ? kAxk : kTok;
  const HingeModel* h = model_of(m, comp);
  if (h == nullptr || !(fx ? h->axial : h->torsion) || h->axial_term == nullptr) {
    fio::write(6, "(1X,'** INVALID MATERIAL TYPE ',A,I2,' FOR ELEMENT NO. ',I5,' **')", fx ? "MFXA=" : "MXA=",
               static_cast<int>(m.type_of(comp)), c.ielno);
    return;
  }
  const AxialForm f =
      h->axial_term({.s = m.committed(comp), .length = m.clen(), .reduced = m.reduced(), .flag = yldflg_word(m, comp)});
  if (f.yielded) m.iw(kIyldst) = 1;
  if (f.status) set_status_bit(m, kStatusBit[static_cast<std::size_t>(comp)], f.inelastic);
  if (!f.formed) return;
  m.rw(term) = f.term;
  if (f.yield && !input)
    yield_report(m, c.ielno, fx ? kFlpAxial : kFlpTorsion, fx ? " YIELD in AXIAL" : " YIELD in TORSION", false);
}

// The formation: pair terms, axial and torsion, SLOC, A*SLOC*A' and the packed
// stiffness with LM. At input no report is made and no point set.
void form_stiffness(const EleCall& c, const Member& m, bool input) {
  bending_plane(c, m, kMyPlane, input);
  bending_plane(c, m, kMzPlane, input);
  axial_or_torsion(c, m, kFx, input);
  axial_or_torsion(c, m, kMx, input);
  const float l = m.clen();
  m.rw(kShz1) = (m.rw(kBzaa) + 2.0f * m.rw(kBzab) + m.rw(kBzbb)) / (l * l);
  m.rw(kShz2) = (m.rw(kBzaa) + m.rw(kBzab)) / l;
  m.rw(kShz3) = (m.rw(kBzbb) + m.rw(kBzab)) / l;
  m.rw(kShy1) = (m.rw(kByaa) + 2.0f * m.rw(kByab) + m.rw(kBybb)) / (l * l);
  m.rw(kShy2) = (m.rw(kByaa) + m.rw(kByab)) / l;
  m.rw(kShy3) = (m.rw(kBybb) + m.rw(kByab)) / l;

  Mat12 s{};
  Mat12 t{};
  Mat12 asat{};
  local_stiffness(m, s);
  transformation(m, t);
  frame::congruence(t, s, asat);
  if (kv::trace('I')) base::prtmat(asat.data(), 12, 12, " ASAT ");
  const auto lmt = joint_equations(m);
  int n = 0;
  m.iw(kNedof) = frame::pack(asat, lmt, kv::rptr(m.izke()), n, m.ints(kLm), false);
  if (input) m.iw(kNke) = n;
}

void stiffness_trace(const Member& m) {
  if (!kv::trace('H')) return;
  const auto lmt = joint_equations(m);
  const int nd = m.iw(kNedof);
  const frame::KgData kg = frame::kgdata();
  fio::write_list(6, "LMT=", std::span<const std::int32_t>(lmt.data() + 1, 12));
  fio::write_list(6, "IELDOF", nd);
  fio::write_list(6, "LM =", std::span<const std::int32_t>(m.ints(kLm), static_cast<std::size_t>(nd)));
  frame::print_packed(kv::rptr(m.izke()), nd, "ELEMENT STIFFNESS");
  fio::write_list(6, "KGDATA:", kg.source, kg.form, kg.use, " PKG:", static_cast<float>(m.rw(kPkg)));
}

// The re-form test of option 3: a committed material state that differs from
// the one the stiffness was formed with.
bool stiffness_changed(const Member& m) {
  for (const Plane& pl : {kMyPlane, kMzPlane}) {
    const HingeModel* h = pair_model(m, pl.ca, pl.cb);
    if (h != nullptr && h->pair_changed != nullptr && h->pair_changed(pair_ends(m, pl))) return true;
  }
  for (int comp : {kMx, kFx}) {
    const HingeModel* h = model_of(m, comp);
    if (h == nullptr || h->axial_changed == nullptr) continue;
    const float term = comp == kFx ? m.rw(kAxk) : m.rw(kTok);
    if (h->axial_changed(m.committed(comp), *yldflg_word(m, comp), term)) return true;
  }
  return false;
}

// ---------------------------------------------------------------- option 9

void state_size(const EleCall& c, const Member& m) {
  int nhyst = 0;
  for (int k = 1; k <= 6; ++k) {
    const int set = common::to_int(c.rinput[k]);
    m.iw(kMatSet + k - 1) = set;
    m.iw(kMstOff + k - 1) = nhyst + 1;
    nhyst += common::material_state_words(c.ielno, set);
  }
  m.iw(kNhyst) = 2 * nhyst;
}

// ---------------------------------------------------------------- option 1

// The member's words in the axial state before its set-up, by the model of
// the FX set (its type read from the set, the state not being set up yet).
void member_words_before_setup(const Member& m) {
  const std::int64_t mp = kv::ctl(kv::kMATPTR);
  const int set = m.iw(kMatSet + static_cast<int>(kFx) - 1);
  if (set < 1 || set > kv::ctl(kv::kNMAT)) return;
  const HingeModel* h = hinge_model(kv::izm(kv::izm(mp + set)));
  if (h != nullptr && h->before_setup != nullptr) h->before_setup(m.committed(kFx), m.nstate(kFx), m.clen());
}

// After the set-up: the member length into the bending materials of a pair
// of one model.
void member_words_after_setup(const Member& m) {
  for (const Plane& pl : {kMyPlane, kMzPlane}) {
    const HingeModel* h = pair_model(m, pl.ca, pl.cb);
    const int word = h != nullptr ? h->length_word : 0;
    if (word == 0) continue;
    for (int comp : {pl.ca, pl.cb})
      if (m.nstate(comp) >= word) m.committed(comp)[word] = m.clen();
  }
}

// The yield deformations the components start from, which a material keeps
// unless it yields at a larger one: those of FX and MX, and for the reduced
// member the yield rotations of its pairs.
void yield_presets(const Member& m) {
  const float l = m.clen();
  for (int k : {kFx, kMx}) {
    const HingeModel* h = model_of(m, k);
    if (h != nullptr && h->axial_preset != nullptr) h->axial_preset(m.committed(k), l);
  }
  if (!m.reduced()) return;
  for (const Plane& pl : {kMyPlane, kMzPlane}) {
    const HingeModel* h = pair_model(m, pl.ca, pl.cb);
    if (h != nullptr && h->reduced_pair_preset != nullptr)
      h->reduced_pair_preset(m.committed(pl.ca), m.committed(pl.cb), l);
  }
}

bool accepted(const Member& m, int comp, int type) {
  const HingeModel* h = hinge_model(type);
  if (h == nullptr) return false;
  if (comp <= kMzB) return m.reduced() ? h->bending_reduced : h->bending;
  return comp == kMx ? h->torsion : h->axial;
}

// Sets the six components up; false when one has no usable material.
bool set_up_materials(const EleCall& c, const Member& m) {
  bool good = true;
  member_words_before_setup(m);
  for (int k = 1; k <= 6; ++k) {
    const int set = m.iw(kMatSet + k - 1);
    materials::MatCall mc = material_call(c.ielno, set, materials::kOptInit, m.committed_index(k));
    const int type = run_material(mc);
    m.iw(kMatTyp + k - 1) = type;
    if (!accepted(m, k, type)) {
      fio::write(6, "('  ELEMENT: ',I6,'  INCOMPATIBLE MATERIAL PROP.#',I5,'  START JOINT:',I5,'  END JOINT:',I5,/,"
                    "' THE ELEMENT IS REJECTED AND ER','ROR CHECKING CONTINUES')",
                 c.ielno, type, static_cast<int>(m.iw(kJntA)), static_cast<int>(m.iw(kJntB)));
      good = false;
    }
  }
  member_words_after_setup(m);
  return good;
}

// The interaction site of the member: its trial end actions f and the
// committed states of MY-A, MY-B, MZ-A, MZ-B and FX.
Interaction interaction_site(const EleCall& c, const Member& m, const EndActions& f) {
  return {.f = f,
          .iafag = m.iw(kIafag),
          .ya = m.committed(kMyA),
          .yb = m.committed(kMyB),
          .za = m.committed(kMzA),
          .zb = m.committed(kMzB),
          .fx = m.committed(kFx),
          .reduced = m.reduced(),
          .ielno = c.ielno};
}

// The interaction family, when the four bending ends and FX share a model.
int initial_iafag(const EleCall& c, const Member& m) {
  const HingeModel* h = model_of(m, kMyA);
  if (h == nullptr || h->initial_interaction == nullptr) return 0;
  for (int k : {kMyB, kMzA, kMzB, kFx})
    if (model_of(m, k) != h) return 0;
  return h->initial_interaction(interaction_site(c, m, {}));
}

// A joint check asked for (J1 = 1.0) on dimensions that leave it no finite
// value is skipped at every commit; it is said once, here.
void joint_data_warnings(int ielno, const Member& m) {
  for (int comp : {kMyA, kMyB}) {
    const float* js = m.real(kJsData) + (comp == kMyA ? 0 : kJointValues);
    if (js[0] == 1.0f && !joint_dimensions_usable(js)) {
      fio::write(6, "(' ** ELEMENT ',I5,' ',A,': JOINT SHEAR CHECK SKIPPED, J3, J5 AND J6 MUST NOT BE 0.0 ',"
                    "'AND J4 NOT NEGATIVE **')",
                 ielno, end_label(comp));
      const std::string_view end = end_label(comp);
      kv::note_fault(kv::Fault::input_warning, "ELEMENT " + std::to_string(ielno) + " " +
                                                   std::string(end.substr(0, end.find_last_not_of(' ') + 1)) +
                                                   ": JOINT SHEAR CHECK SKIPPED, J3, J5 OR J6 IS 0.0 OR J4 NEGATIVE");
    }
  }
}

// An interaction family whose model finds its capacities unusable rejects
// the member (the model says why).
bool interaction_usable(const EleCall& c, const Member& m, int iafag) {
  const HingeModel* h = model_of(m, kMyA);
  if (iafag == 0 || h == nullptr || h->interaction_usable == nullptr) return true;
  return h->interaction_usable(interaction_site(c, m, {}), iafag);
}

// Leaves the element without stiffness: no DOF, no terms, no geometric
// stiffness and no node positions, so no later option reads a node through it.
void reject(EleCall& c, const Member& m) {
  m.iw(kNedof) = 0;
  std::fill(m.ints(kLm), m.ints(kLm) + 12, 0);
  std::fill(m.ints(kLmkg), m.ints(kLmkg) + 12, 0);
  std::fill(m.real(kAxk), m.real(kAxk) + 14, 0.0f);  // AXK .. BZBB
  m.iw(kElFlag) = 0;
  m.iw(kKgdof) = 0;
  m.iw(kNke) = 0;
  m.iw(kPosA) = 0;
  m.iw(kPosB) = 0;
  c.lkg = false;
  c.nback = kMaxTerms;
}

void echo(const EleCall& c, const Member& m, const std::array<float, 3>& vy, float sdist, float edist) {
  if (c.typchg || kv::trace('H') || kv::trace('I')) {
    fio::write(6, "(/,A,/,/,T22,'#   START   END',3X,'LENGTH',3X,11('-'),"
                  "'  Y-AXIS  ',12('-'),'  START DIST    END DIST     PKG')",
               m.reduced() ? " ELEMENT 10,  IE3DBEAM2 ELEMENT" : " ELEMENT 09,  IE3DBEAM ELEMENT");
  }
  const common::Label15 label15(c.label);
  fio::write(6, "(1X,A15,2I6,1X,I6,1X,1P,E10.4,0P,F9.5,' I',F9.5,' J',F9.5,' K',1P,3E12.4)", label15.view(),
             c.ielno, static_cast<int>(m.iw(kJntA)), static_cast<int>(m.iw(kJntB)), m.clen(), vy[0], vy[1], vy[2],
             sdist, -edist, static_cast<float>(m.rw(kPkg)));
  auto set = [&m](int k) { return static_cast<int>(m.iw(kMatSet + k - 1)); };
  fio::write(6, "(16X,'MATERIAL # : (FX  )-',I2,1X,', (MX  )-',I2,1X,',(MY-A)-',I2,1X,', (MY-B)-',I2,1X,"
                "',(MZ-A)-',I2,1X,', (MZ-B)-',I2)",
             set(kFx), set(kMx), set(kMyA), set(kMyB), set(kMzA), set(kMzB));
}

// The geometric stiffness for a unit axial load: the flag, PGEOM and the
// packed matrix after the stiffness terms.
void geometric_setup(EleCall& c, const Member& m) {
  const frame::KgData kg = frame::kgdata();
  const float pkg = m.rw(kPkg);
  m.iw(kElFlag) = m.iw(kElFlag) & ~kGeomBit;
  c.lkg = false;
  if (pkg == 0.0f && kg.source != 2) return;
  if (frame::axis_moves(m.real(kCts), m.real(kCte), m.iw(kPosA), m.iw(kPosB)))
    m.iw(kElFlag) = m.iw(kElFlag) | kGeomBit;
  c.lkg = (m.iw(kElFlag) & kGeomBit) != 0;
  if (kv::trace('H')) fio::write_list(6, "AXIAL:", c.lkg);
  if (!c.lkg || kg.source == 0 || kg.form == 0) return;
  if (kg.source == 1) c.pgeom = pkg;
  if (kg.source == 2) c.pgeom = (m.real(kFl)[0] - m.real(kFl)[6]) * 0.5f;
  Mat12 g{};
  Mat12 t{};
  Mat12 rg{};
  frame::local_geometric(kg.form, m.clen(), 0, g);
  if (kv::trace('I')) base::prtmat(g.data(), 12, 12, " KG -LOCAL COORD ");
  transformation(m, t);
  frame::congruence(t, g, rg);
  if (kv::trace('I')) base::prtmat(rg.data(), 12, 12, " A*KG*AT ");
  int n = m.iw(kNke);
  const int kgdof = frame::pack(rg, joint_equations(m), kv::rptr(m.izke()), n, m.ints(kLmkg), false);
  m.iw(kKgdof) = kgdof;
  if (kv::trace('H')) {
    fio::write_list(6, "KGDOF", kgdof);
    fio::write_list(6, "LMKG =", std::span<const std::int32_t>(m.ints(kLmkg), static_cast<std::size_t>(kgdof)));
    frame::print_packed(kv::rptr(m.izke()) + m.iw(kNke), kgdof, "ELEMENT GEOMETRIC STIFFNESS (UNIT LOAD)");
  }
}

void check(EleCall& c, const Member& m) {
  const float* rin = c.rinput;  // rin[1..28]
  const base::NodeTables nt = base::node_tables();
  c.r1 = 0.0f;
  c.r2 = 0.0f;
  m.rw(kEse) = 0.0f;
  m.rw(kPse) = 0.0f;
  if (kv::trace('H')) {
    fio::write_list(6, c.label);
    base::prtmat(rin + 1, m.reduced() ? kReducedInputValues : kInputValues, 1, "RINPUT");
  }
  m.iw(0) = m.lay.type;
  for (int k = 1; k <= 6; ++k) m.iw(kMatSet + k - 1) = common::to_int(rin[k]);
  const int ja = common::to_int(rin[7]);
  const int jb = common::to_int(rin[8]);
  m.iw(kJntA) = ja;
  m.iw(kJntB) = jb;
  std::array<float, 3> vy{rin[9], rin[10], rin[11]};
  const float sdist = rin[12];
  const float edist = rin[13];
  m.rw(kPkg) = rin[14];
  if (!m.reduced()) std::copy(rin + 15, rin + 29, m.real(kJsData));
  m.iw(kIafag) = 0;
  m.iw(kIyldst) = 0;
  m.iw(kElFlag) = 0;

  const int nnode = kv::ctl(kv::kNNODE);
  const int pa = base::ifind(ja, nt.nodid_ptr(), nnode);
  const int pb = base::ifind(jb, nt.nodid_ptr(), nnode);
  m.iw(kPosA) = pa;
  m.iw(kPosB) = pb;
  bool good = pa > 0 && pb > 0;

  std::fill(m.real(kFmaxt), m.real(kFmaxt) + 12, 0.0f);
  std::fill(m.real(kDul), m.real(kDul) + 48, 0.0f);  // DUL, UL, DFL, FL
  std::fill(m.real(kCts), m.real(kCts) + 36, 0.0f);  // CTS, CTE, BS, BE
  std::fill(m.a(), m.a() + 144, 0.0f);
  m.rw(kClen) = 0.0f;

  if (good) {
    const frame::ClearLength cl = frame::clear_length(c.ielno, pa, pb, sdist, edist);
    std::array<float, 3> vx = cl.vx;
    const float dist = cl.dist;
    const bool measurable = cl.measurable;
    m.rw(kClen) = cl.length;
    frame::trace_geometry(pa, pb, vx, vy, cl.length);
    // Coincident joints give no member axis, and joints too far apart no
    // length: the element cannot be formed.
    good = dist != 0.0f && measurable &&
           frame::member_axes(vx, vy, pa, pb, sdist, edist, m.real(kCts), m.real(kBs), m.real(kCte), m.real(kBe));
    frame::trace_axes(m.real(kCts), m.real(kBs), m.real(kCte), m.real(kBe));
  }
  if (!good) {
    frame::rejected_line(c.ielno, ja, jb);
  } else {
    Mat12 a{};
    frame::transformation(m.real(kCts), m.real(kBs), m.real(kCte), m.real(kBe), a);
    std::copy(a.begin(), a.end(), m.a());
    if (kv::trace('H')) base::prtmat(m.a(), 12, 12, " A    ");
    good = set_up_materials(c, m);
  }
  if (good) {
    m.iw(kIafag) = initial_iafag(c, m);
    good = interaction_usable(c, m, m.iw(kIafag));
  }
  if (!m.reduced()) joint_data_warnings(c.ielno, m);
  c.r1 = 0.0f;
  c.r2 = 0.0f;
  if (!good) {
    reject(c, m);
    echo(c, m, vy, sdist, edist);
    return;
  }
  yield_presets(m);
  form_stiffness(c, m, true);
  stiffness_trace(m);
  geometric_setup(c, m);
  const int kgdof = m.iw(kKgdof);
  c.nback = kMaxTerms - m.iw(kNke) - kgdof * (kgdof + 1) / 2;
  echo(c, m, vy, sdist, edist);
}

// ---------------------------------------------------------------- options 2, 3

void axial_load(EleCall& c, const Member& m) {
  c.lkg = (m.iw(kElFlag) & kGeomBit) != 0;
  if (c.lkg) {
    const frame::KgData kg = frame::kgdata();
    if (kg.source == 1) c.pgeom = m.rw(kPkg);
    if (kg.source == 2) c.pgeom = (m.real(kFl)[0] - m.real(kFl)[6]) * 0.5f;
  }
  if (kv::trace('H')) fio::write_list(6, "AXIAL ", c.lkg, "  PGEOM:", c.pgeom);
}

void tangent(EleCall& c, const Member& m) {
  if (m.rejected() || !stiffness_changed(m)) return;
  form_stiffness(c, m, false);
  stiffness_trace(m);
}

// ---------------------------------------------------------------- option 4

// Failure-mode texts of the rotation-capacity events.
// Failure labels, blank-padded to 30 characters.
constexpr std::array<std::string_view, kFailureModes + 1> kFailureLabel{
    "",
    "CONCRETE COMPRESSION          ",
    "LONG. STEEL TENSILE FRACTURE  ",
    "LONG. STEEL BUCKLED           ",
    "LONG. STEEL LOW CYCLE FATIGUE ",
    "LONG. STEEL LAP SPLICE        "};

void failure_mode_line(int mode) {
  switch (mode) {
    case 1: fio::write(6, "(1X,'FAILURE MODE: ** ULTIMATE CONCRETE ','COMPRESSION STRAIN REACHED **',/)"); break;
    case 2: fio::write(6, "(1X,'FAILURE MODE: ** FRATURE OF LONG. REBAR **',/)"); break;
    case 3: fio::write(6, "(1X,'FAILURE MODE: ** BUCKLING OF LONG. ','REBAR **',/)"); break;
    case 4: fio::write(6, "(1X,'FAILURE MODE: **LOW CYCLE FATIGUE OF ','LONG. STEEL BAR **',/)"); break;
    case 5: fio::write(6, "(1X,'FAILURE MODE: ** LAP SPLICE OF LONG. ','REBAR **',/)"); break;
    default: break;
  }
}

// The failure of a component with its 30-character label at an end.
void failure_report(const Member& m, int ielno, std::string_view label, std::string_view end) {
  fio::write(6, "(/,'**** IA_BILN ELEMENT ',I10,' FAILED DUE TO ',A,' AT ',A,/)", ielno, label, end);
  event_forces(m, ielno);
}

// The rotation X of a bending component beyond its capacity cap.
void capacity_message(int ielno, int comp, float x, float cap) {
  const int istep = kv::solsta().istep;
  if (comp == kMyA || comp == kMyB) {
    fio::write(6, "(/,1X,'* ELEMENT ',I5,' INELASTIC ROTATION IN MY ',' DIR. AT ',A,'=',E12.4,' > PLASTIC ROTATION ',/,"
                  "1X,'CAPACITY OF ',E12.4,'AT STEP =',I5)",
               ielno, end_label(comp), x, cap, istep);
  } else {
    fio::write(6, "(/,1X,'* ELEMENT ',I5,'INELASTIC ROTATION IN MZ ',' DIR. AT ',A,'=',E12.4,' > PLASTIC ROTATION ',/,"
                  "1X,'CAPACITY OF ',E12.4,'AT STEP =',I5,/)",
               ielno, end_label(comp), x, cap, istep);
  }
}

// A component whose material's failure rule (ductility at MAXDUC) takes away
// the force it carried: the member cannot carry that action any more, and
// the solution goes on with a structure that lost it.
void failure_rule_message(int ielno, int comp) {
  static constexpr std::array<std::string_view, 7> kAction{"", "MY", "MY", "MZ", "MZ", "MX", "FX"};
  const std::string_view where = comp == kMx || comp == kFx  ? "OF THE MEMBER"
                                 : end_label(comp) == kEndA ? "AT END A"
                                                            : "AT END B";
  const std::string_view action = kAction[static_cast<std::size_t>(comp)];
  const int istep = kv::solsta().istep;
  fio::write(6, "(/,1X,'*** ELEMENT',I6,': THE ',A,' SPRING ',A,' FAILS AT STEP',I6,/,"
                "1X,'    ITS DUCTILITY REACHED MAXDUC: IT CARRIES NO FORCE FROM HERE ON',/)",
             ielno, action, where, istep);
  kv::note_fault(kv::Fault::solution_error, fio::format("('ELEMENT',I6,': THE ',A,' SPRING ',A,' FAILS AT STEP',I6)",
                                                        ielno, action, where, istep));
}

// A bending component's rotation X beyond its capacity cap: the failure code
// of the mode its table gives (MY only) and limit-state point 3 with the
// capacity message.
void capacity_event(const EleCall& c, const Member& m, int comp, const float* s, float x, float cap) {
  const bool my = comp == kMyA || comp == kMyB;
  int mode = 0;
  if (my) {
    const HingeModel* h = model_of(m, comp);
    const int count_word = h != nullptr ? h->failure_table : 0;
    const int n = count_word != 0 ? std::clamp(common::to_int(s[count_word]), 0, kMaxTablePoints) : 0;
    if (n != 0) {
      const float* xb = s + count_word + 1;
      const float* modes = s + count_word + 1 + kMaxTablePoints;
      mode = common::to_int(tbnear(std::fabs(x), std::span<const float>(xb, static_cast<std::size_t>(n)),
                                   std::span<const float>(modes, static_cast<std::size_t>(n))));
    }
    if (mode >= 1 && mode <= kFailureModes) {
      const int code = mode + (comp == kMyA ? kFlpFailMyA : kFlpFailMyB);
      if (take_code(m, code)) {
        failure_report(m, c.ielno, kFailureLabel[static_cast<std::size_t>(mode)], end_label(comp));
      }
    }
  }
  if (kv::solsta().lsflag[kCapacityPoint] != 0.0f) return;
  set_limit_point(kCapacityPoint, c.ielno);
  capacity_message(c.ielno, comp, x, cap);
  if (my) failure_mode_line(mode);
}

void request_new_stiffness() { kv::set_ctl_logical(kv::kStateChanged, true); }

// Trial hinge rotations of the flexibility pairs; a hinge that stays
// elastic (and a pair of mixed models) keeps its plastic rotation.
std::array<float, 5> hinge_rotations(const Member& m) {
  const float l = m.clen();
  const float* dfl = m.real(kDfl);
  const float* plrot = m.real(kPlrot);
  std::array<float, 5> theta{};
  for (int k = kMyA; k <= kMzB; ++k) theta[static_cast<std::size_t>(k)] = plrot[k - 1];
  for (const Plane& pl : {kMyPlane, kMzPlane}) {
    const HingeModel* h = pair_model(m, pl.ca, pl.cb);
    if (h == nullptr || h->hinge_tangent == nullptr) continue;
    for (int k : {pl.ca, pl.cb}) {
      float tan = 0.0f;
      float ke = 0.0f;
      h->hinge_tangent(m.committed(k), l, tan, ke);
      *htan_word(m, k) = tan;
      const float f = hinge_flexibility(tan, ke);
      const int dof = kComponentDof[static_cast<std::size_t>(k)];
      theta[static_cast<std::size_t>(k)] = f * dfl[dof - 1] + plrot[k - 1];
    }
  }
  return theta;
}

// A bending end after its material responded: the plastic rotation kept,
// the capacity exceeded and the first yield reported.
void bending_end_after(const EleCall& c, const Member& m, int k, const HingeModel& h, float d, float qk) {
  const int dof = kComponentDof[static_cast<std::size_t>(k)];
  float* st = m.trial(k);
  const EndOutcome out = h.after_state({.committed = m.committed(k),
                                        .trial = st,
                                        .d = d,
                                        .q = qk,
                                        .rotation = m.real(kUl)[dof - 1] + m.real(kDul)[dof - 1],
                                        .length = m.clen(),
                                        .reduced = m.reduced(),
                                        .plastic_rotation = m.real(kPlrot) + (k - 1)});
  if (out.capacity == Capacity::message) capacity_message(c.ielno, k, out.x, out.cap);
  if (out.capacity == Capacity::event) capacity_event(c, m, k, st, out.x, out.cap);
  if (out.first_yield) {
    yield_report(m, c.ielno, kFlpMyA + k - 1, end_label(k), true);
    set_limit_point(kYieldPoint, c.ielno);
  }
}

// The component response: each material driven to the deformation of its
// component, q[c] (in: the trial force) replaced by the material's force.
void component_state(const EleCall& c, const Member& m, std::array<float, 7>& q) {
  const float l = m.clen();
  const int half = m.nhyst() / 2;
  float* committed_all = kv::rptr(m.p + m.lay.base);
  if ((m.iw(kElFlag) & kTrialInStepBit) == 0) {
    std::copy(committed_all, committed_all + half, committed_all + half);
    m.iw(kElFlag) = m.iw(kElFlag) | kTailInStepBit;
  } else {
    m.iw(kElFlag) = m.iw(kElFlag) & ~kTrialInStepBit;  // the materials write the trial half now
  }

  const float* ul = m.real(kUl);
  const float* dul = m.real(kDul);
  const float* fl = m.real(kFl);
  const float* plrot = m.real(kPlrot);
  const std::array<float, 5> theta = hinge_rotations(m);

  for (int k = kMyA; k <= kFx; ++k) {
    const HingeModel* h = model_of(m, k);
    const int dof = kComponentDof[static_cast<std::size_t>(k)];
    const float* sc = m.committed(k);
    const float ql = fl[dof - 1];
    float d = 0.0f;
    float dl = 0.0f;
    if (k == kMx || k == kFx) {
      const int near = k == kMx ? 4 : 1;
      d = (ul[dof - 1] + dul[dof - 1]) - (ul[near - 1] + dul[near - 1]);
      dl = ul[dof - 1] - ul[near - 1];
    } else if (h == nullptr || h->end_deformation == nullptr ||
               !h->end_deformation(sc, q[static_cast<std::size_t>(k)], ql, theta[static_cast<std::size_t>(k)],
                                   plrot[k - 1], l, d, dl)) {
      d = ul[dof - 1] + dul[dof - 1];
      dl = ul[dof - 1];
    }
    materials::MatCall mc = material_call(c.ielno, m.iw(kMatSet + k - 1), materials::kOptState, m.trial_index(k));
    mc.p = q[static_cast<std::size_t>(k)];
    mc.pl = ql;
    mc.d = d;
    mc.dl = dl;
    run_material(mc);
    q[static_cast<std::size_t>(k)] = mc.p;
    // Said once: from the step of the failure on the committed force is 0.
    if (mc.failed && ql != 0.0f) failure_rule_message(c.ielno, k);

    if (h == nullptr) continue;
    if (h->state_changed != nullptr && h->state_changed(m.trial(k), sc)) request_new_stiffness();
    if (k != kMx && k != kFx && h->after_state != nullptr) bending_end_after(c, m, k, *h, d, mc.p);
  }
}

// The interaction yield state (IAFAG) and the axial-load dependent capacities
// of the member are brought up to the trial forces here, on the committed
// states, before the components respond, by the model of the MY ends. Elements
// whose interaction family is none (IAFAG 0) and whose hinges follow no curve
// of the axial load need nothing.
void interaction_update(const EleCall& c, const Member& m) {
  const HingeModel* h = pair_model(m, kMyA, kMyB);
  if (h == nullptr || h->interaction == nullptr) return;
  const float* fl = m.real(kFl);
  const float* dfl = m.real(kDfl);
  const EndActions f{fl[6] + dfl[6], fl[4] + dfl[4], fl[10] + dfl[10], fl[5] + dfl[5], fl[11] + dfl[11]};
  Interaction in = interaction_site(c, m, f);
  h->interaction(in);
  m.iw(kIafag) = in.iafag;
  // The committed words it changed reach the trial half by the copy.
  if (in.wrote) m.iw(kElFlag) = m.iw(kElFlag) & ~kTrialInStepBit;
}

// The full member's corrections: the end moments, torsion and axial force
// first, then shears in equilibrium with the materials' end moments (and
// with the P-delta of the axial force when there is a geometric stiffness).
void shear_corrections(const Member& m, const std::array<float, 7>& q, bool pdelta, Vec12& corr) {
  const float l = m.clen();
  float* dfl = m.real(kDfl);
  const float* fl = m.real(kFl);
  const float* ul = m.real(kUl);
  const float* dul = m.real(kDul);
  for (int i : {5, 11, 6, 12, 10, 7, 4, 1}) dfl[i - 1] += corr[static_cast<std::size_t>(i - 1)];
  float vz = (q[kMyA] + q[kMyB]) / l;
  float vy = (q[kMzA] + q[kMzB]) / l;
  if (pdelta) {
    const float p = fl[6] + dfl[6];
    vz += p * ((ul[8] + dul[8]) - (ul[2] + dul[2])) / l;
    vy -= p * ((ul[7] + dul[7]) - (ul[1] + dul[1])) / l;
  }
  corr[8] = vz - (fl[8] + dfl[8]);
  corr[2] = -vz - (fl[2] + dfl[2]);
  corr[1] = vy - (fl[1] + dfl[1]);
  corr[7] = -vy - (fl[7] + dfl[7]);
  for (int i : {9, 3, 2, 8}) dfl[i - 1] += corr[static_cast<std::size_t>(i - 1)];
}

void state(EleCall& c, const Member& m) {
  if (c.lecho && c.typchg) force_heading(kv::titles().ldlabl);
  if (m.rejected()) return;
  const int nlc = kv::ctl(kv::kNLC);
  const frame::KgData kg = frame::kgdata();
  const float l = m.clen();
  float* q_fef = common::scratch_at_iz(12, nlc);
  const bool loaded = kv::ctl(kv::kNELOAD) >= 1 && bmfef(c.ielno, l, 0, element_load_tables(), nlc, q_fef);

  // T is read where the record keeps it; S is written whole below.
  const float* t = m.a();
  Mat12 s;
  local_stiffness(m, s);
  const frame::Positions pos = positions(m);
  float* dul = m.real(kDul);
  float* dfl = m.real(kDfl);
  const float* fl = m.real(kFl);
  for (int lc = 1; lc <= nlc; ++lc) {
    Vec12 u{};
    if (c.idisp > 0) frame::gather(pos, c.idisp, lc, u.data());
    frame::to_local(t, u.data(), dul);
    // Each force summed over k = 1..12 in turn, all twelve side by side.
    Vec12 sum{};
    for (int k = 1; k <= 12; ++k) {
      const float dk = dul[k - 1];
      for (int i = 1; i <= 12; ++i) sum[static_cast<std::size_t>(i - 1)] += at(s, i, k) * dk;
    }
    std::copy(sum.begin(), sum.end(), dfl);
    if (kg.form != 0 && !m.reduced()) {
      // P-delta shears of the member's axial force.
      const float p = fl[6] + dfl[6];
      dfl[8] = (dfl[4] + dfl[10]) / l + p * (dul[8] - dul[2]) / l;
      dfl[2] = -dfl[8];
      dfl[1] = (dfl[5] + dfl[11]) / l - p * (dul[7] - dul[1]) / l;
      dfl[7] = -dfl[1];
    }
    // End rotations relative to the chord.
    const float chord_y = (dul[2] - dul[8]) / l;
    const float chord_z = (dul[7] - dul[1]) / l;
    dul[4] -= chord_y;
    dul[10] -= chord_y;
    dul[5] -= chord_z;
    dul[11] -= chord_z;
    if (loaded) {
      const float* qc = q_fef + 12 * static_cast<std::int64_t>(lc - 1);
      for (int i : {2, 3, 5, 6, 8, 9, 11, 12}) dfl[i - 1] -= qc[i - 1];
    }
    if (nlc >= 2) common::update_envelope(m.real(kFmaxt), dfl, 12);
    if (c.lecho && common::forces_finite(c.ielno, dfl, 12)) end_lines(m, c.ielno, lc, dul, dfl);
  }
  if (common::rs_combination()) std::copy(dfl, dfl + 12, kv::solsta().rsforc.begin() + 1);

  std::array<float, 7> q{};
  for (int k = kMyA; k <= kFx; ++k) {
    const int dof = kComponentDof[static_cast<std::size_t>(k)];
    q[static_cast<std::size_t>(k)] = fl[dof - 1] + dfl[dof - 1];
  }
  if (!kv::ctl_true(kv::kELASTC)) {
    interaction_update(c, m);
    component_state(c, m, q);
  }

  // Corrections to what the materials carry, with shears in equilibrium with
  // the end moments.
  Vec12 corr{};
  for (int k = kMyA; k <= kFx; ++k) {
    const int dof = kComponentDof[static_cast<std::size_t>(k)];
    corr[static_cast<std::size_t>(dof - 1)] = q[static_cast<std::size_t>(k)] - (fl[dof - 1] + dfl[dof - 1]);
  }
  corr[3] = -corr[9];
  corr[0] = -corr[6];
  if (m.reduced()) {
    // The shears of the correction come from its end moments alone; the
    // increments take it after the trace.
    corr[8] = (corr[4] + corr[10]) / l;
    corr[2] = -corr[8];
    corr[1] = (corr[5] + corr[11]) / l;
    corr[7] = -corr[1];
  } else {
    shear_corrections(m, q, kg.form != 0, corr);
  }

  // The corrections carried to the joints are forces the member cannot carry.
  Vec12 e{};
  frame::to_joints(t, corr.data(), e.data());
  const auto lmt = joint_equations(m);
  const int neq = kv::ctl(kv::kNEQ);
  const std::int64_t funbal = kv::ctl(kv::kSolVector65);
  if (funbal > 0) {
    float* f = kv::rptr(funbal) - 1;  // f[eq]
    for (int i = 1; i <= 12; ++i) {
      const int eq = lmt[static_cast<std::size_t>(i)];
      if (eq > 0 && eq <= neq) f[eq] += e[static_cast<std::size_t>(i - 1)];
    }
  }
  if (kv::trace('H')) {
    fio::write_list(6, " UNBALANCE FORCES FOR ELEMENT ", c.ielno, ":");
    for (int k = kMyA; k <= kFx; ++k)
      fio::write(6, "(' I:',I2,' P(I):',1P,E12.4)", k, q[static_cast<std::size_t>(k)]);
    for (int i = 1; i <= 12; ++i)
      fio::write(6, "(' I:',I2,' F:',1P,E12.4,' FT:',E12.4,' UF:',E12.4)", i, dfl[i - 1], fl[i - 1],
                 corr[static_cast<std::size_t>(i - 1)]);
    for (int i = 1; i <= 12; ++i) {
      const int eq = lmt[static_cast<std::size_t>(i)];
      if (eq != 0)
        fio::write(6, "(' I:',I2,' LM(I):',I12,' EFUB(I):',1P,E12.4)", i, eq, e[static_cast<std::size_t>(i - 1)]);
    }
  }
  if (m.reduced())
    for (int i = 0; i < 12; ++i) dfl[i] += corr[static_cast<std::size_t>(i)];
}

// ---------------------------------------------------------------- option 5

// The member and joint shear capacities of the ends are checked here against
// the committed forces.
constexpr std::string_view kShearLabel = "SHEAR                         ";
constexpr std::string_view kJointLabel = "POSSIBLE JOINT SHEAR CRACK    ";

// The ductility of a bending end for its shear capacities, by its model from
// its state and end rotation.
float shear_ductility(const Member& m, int comp) {
  const HingeModel* h = model_of(m, comp);
  if (h == nullptr || h->shear_ductility == nullptr) return 0.0f;
  return h->shear_ductility(m.committed(comp), m.real(kUl)[kComponentDof[static_cast<std::size_t>(comp)] - 1]);
}

// An exceeded shear limit: its code reported once, then limit-state point 3
// when it is free. The caller gets back whether it took the point (and so
// prints its message).
bool shear_event(const Member& m, int ielno, int code, std::string_view label, int comp) {
  if (take_code(m, code)) failure_report(m, ielno, label, end_label(comp));
  if (kv::solsta().lsflag[kCapacityPoint] != 0.0f) return false;
  set_limit_point(kCapacityPoint, ielno);
  return true;
}

void member_shear(const EleCall& c, const Member& m, int comp) {
  const float* s = m.committed(comp) + model_of(m, comp)->shear_words;
  if (common::to_int(s[0]) != 1) return;
  const float vci = s[1], vcf = s[2], vs = s[3], alfa = s[4];
  const float* fl = m.real(kFl);
  const float pn = -std::tan(alfa) * fl[6];
  const float vc7 = (vci - vcf) * 0.207f + vcf;
  const float v = shrcap(vci, vcf, vc7, vs, pn, shear_ductility(m, comp));
  const float f = comp == kMyA ? fl[2] : fl[8];
  if (!(std::fabs(f) > v)) return;
  if (!shear_event(m, c.ielno, comp == kMyA ? kFlpShearA : kFlpShearB, kShearLabel, comp)) return;
  // Dimensions near the ends of the range may leave a value not finite: it
  // is named, not printed.
  fio::write(6, "(/,1X,'* ELEMENT ',I5,' SHEAR IN Z ',' DIR. AT ',A,'=',A,' > SHEAR ',/,1X,'CAPACITY OF ',A,"
                "'AT STEP =',I5)",
             c.ielno, end_label(comp), fio::value_or_not_finite(f, "(E12.4)"), fio::value_or_not_finite(v, "(E12.4)"),
             kv::solsta().istep);
}

void joint_shear(const EleCall& c, const Member& m, int comp) {
  const float* js = m.real(kJsData) + (comp == kMyA ? 0 : kJointValues);
  if (js[0] != 1.0f || !joint_dimensions_usable(js)) return;
  const float j2 = js[1], j3 = js[2], j4 = js[3], j5 = js[4], j6 = js[5], j7 = js[6];
  const float d = j3 + j5;
  float bj = j4 == 0.0f ? std::sqrt(2.0f) * j3 : j3 + j4;
  if (bj > j6) bj = j6;
  const float* fl = m.real(kFl);
  const float s1 = (comp == kMyA ? -fl[0] : fl[6]) / (d * bj);
  const float y3 = j2;
  const float y7 = j2 * 3.5f / 5.0f;
  const float s2 = -j7 / (j6 * j5);
  const float tauc = jshcap(s1, y3, y7, s2, shear_ductility(m, comp));
  const float tau = std::fabs(comp == kMyA ? fl[4] : fl[10]) / (bj * j3 * j5);
  if (!(tau > tauc)) return;
  if (!shear_event(m, c.ielno, comp == kMyA ? kFlpJointA : kFlpJointB, kJointLabel, comp)) return;
  fio::write(6, "(/,1X,'* ELEMENT ',I5,' JOINT SHEAR STRESS ','IN Z ',' DIR. AT ',A,'=',A,' > JOINT SHEAR ',/,"
                "1X,'STRESS CAPACITY OF ',A,'AT STEP =',I5)",
             c.ielno, end_label(comp), fio::value_or_not_finite(tau, "(E12.4)"),
             fio::value_or_not_finite(tauc, "(E12.4)"), kv::solsta().istep);
}

// The MY ends whose models check shear, in their models' order (end A
// first among equals): the member shears, then the joint shears.
void shear_checks(const EleCall& c, const Member& m) {
  std::array<int, 2> ends{};
  int n = 0;
  for (int comp : {kMyA, kMyB}) {
    const HingeModel* h = model_of(m, comp);
    if (h != nullptr && h->shear_words != 0) ends[static_cast<std::size_t>(n++)] = comp;
  }
  if (n == 2 && model_of(m, kMyB)->shear_order < model_of(m, kMyA)->shear_order) std::swap(ends[0], ends[1]);
  for (int i = 0; i < n; ++i) member_shear(c, m, ends[static_cast<std::size_t>(i)]);
  for (int i = 0; i < n; ++i) joint_shear(c, m, ends[static_cast<std::size_t>(i)]);
}

// The end rotations of DUL and UL are measured from the chord, so the work
// of the shears on the end translations is already in the work of the end
// moments: the strain energy sums the end actions without the shears.
constexpr std::array<bool, 12> kChordWork{true, false, false, true, true, true,
                                          true, false, false, true, true, true};

// Half the end actions times the end deformations, both taken as the
// committed totals plus the increments of the step.
float secant_energy(const Member& m) {
  const float* du = m.real(kDul);
  const float* d = m.real(kUl);
  const float* df = m.real(kDfl);
  const float* f = m.real(kFl);
  float sum = 0.0f;
  for (int i = 0; i < 12; ++i)
    if (kChordWork[static_cast<std::size_t>(i)]) sum += (du[i] + d[i]) * (f[i] + df[i]) / 2.0f;
  return sum;
}

// The work of the end actions over the step's increments (trapezoidal rule).
float step_work(const Member& m) {
  const float* du = m.real(kDul);
  const float* df = m.real(kDfl);
  const float* f = m.real(kFl);
  float sum = 0.0f;
  for (int i = 0; i < 12; ++i)
    if (kChordWork[static_cast<std::size_t>(i)]) sum += (f[i] + df[i] / 2.0f) * du[i];
  return sum;
}

// n words from src to dst, a few at a time: the step words of a component
// are too few to pay for a call.
void copy_words(const float* src, int n, float* dst) {
  int i = 0;
  for (; i + 4 <= n; i += 4) std::memcpy(dst + i, src + i, 4 * sizeof(float));
  for (; i < n; ++i) dst[i] = src[i];
}

// The trial half becomes the committed one: nothing to copy while they are
// one already; the step words of each component alone while the words past
// them agree; else the whole half.
void commit_states(const Member& m) {
  const int flags = m.iw(kElFlag);
  if ((flags & kTrialInStepBit) != 0) return;
  if ((flags & kTailInStepBit) != 0) {
    for (int k = kMyA; k <= kFx; ++k) {
      const int n = m.nstate(k);
      const HingeModel* h = model_of(m, k);
      const int w = h != nullptr && h->step_words > 0 ? std::min(h->step_words, n) : n;
      copy_words(m.trial(k) + 1, w, m.committed(k) + 1);
    }
  } else {
    float* committed_all = kv::rptr(m.p + m.lay.base);
    const int half = m.nhyst() / 2;
    std::copy(committed_all + half, committed_all + 2 * half, committed_all);
  }
  m.iw(kElFlag) = flags | kTrialInStepBit | kTailInStepBit;
}

void commit(EleCall& c, const Member& m) {
  if (c.lecho && c.typchg) commit_heading(m, kv::titles().ldlabl);
  if (m.rejected()) return;
  // The committed energies: the secant energy of the new totals, and the rest
  // of the work done on the member as plastic.
  const float work = m.rw(kEse) + m.rw(kPse) + step_work(m);
  const float ese = secant_energy(m);
  // (A response-spectrum combination commits combined forces, no state.)
  if (!common::rs_combination()) {
    m.rw(kEse) = ese;
    m.rw(kPse) = work - ese;
  }
  common::commit_totals(m.real(kFl), m.real(kUl), m.real(kDfl), m.real(kDul), 12, m.real(kFmaxt));
  constexpr int kCaseField = 1;
  if (c.lecho) end_lines(m, c.ielno, kCaseField, m.real(kUl), m.real(kFl));
  if (!kv::ctl_true(kv::kELASTC)) commit_states(m);
  if (!m.reduced()) shear_checks(c, m);
}

// ---------------------------------------------------------------- options 7, 8

// Option 7: the four lines of one recorded step on the history unit: the
// forces, ending with the status string (the reduced member: its yielded
// flag), and the displacements, ending with the limit code (the reduced
// member: after their sixth value).
void history_write(const Member& m) {
  const int unit = kv::ctl(kv::kIUNIT);
  const int ja = m.iw(kJntA);
  const int jb = m.iw(kJntB);
  const float* fl = m.real(kFl);
  const float* ul = m.real(kUl);
  if (m.reduced()) {
    fio::write(unit, "(I6,1P,6E12.5,/,I6,1P,6E12.5,I1)", ja, std::span<const float>(fl, 6), jb,
               std::span<const float>(fl + 6, 6), static_cast<int>(m.iw(kIyldst)));
    fio::write(unit, "(I6,1P,6E12.5,/,I6,1P,6E12.5)", ja, std::span<const float>(ul, 6), jb,
               std::span<const float>(ul + 6, 6));
    return;
  }
  fio::write(unit, "(I6,1P,6E12.5)", ja, std::span<const float>(fl, 6));
  fio::write(unit, "(I6,1P,6E12.5,A)", jb, std::span<const float>(fl + 6, 6), status_of(m).view());
  fio::write(unit, "(I6,1P,6E12.5)", ja, std::span<const float>(ul, 6));
  fio::write(unit, "(I6,1P,6E12.5,E10.2)", jb, std::span<const float>(ul + 6, 6), static_cast<float>(m.rw(kFlp)));
}

// Option 8: the history file listed back. The records are read into working
// copies, never into the element: a later solution must start from the
// committed forces and states, not from the last record of a file.
// The reduced member reads and lists its yielded flag in place of the status
// string and the limit code.
void history_read(const Member& m) {
  const common::HistoryRequest h = common::history_request();
  const int unit = h.unit;
  const bool reduced = m.reduced();
  fio::write(6, "(/,'     IE3D BEAM FORCES...',/,'      STEP    TIME         NODE',7X,'AXIAL',11X,'FY',13X,'FZ',"
                "11X,'TORSION',10X,'MY',13X,'MZ   STBFAG',A)",
             reduced ? "" : " & FLP");
  std::array<float, 12> f{};
  std::array<float, 12> d{};
  std::int32_t ja = 0;
  std::int32_t jb = 0;
  float flp = 0.0f;
  std::string stbfag;
  std::int32_t flag = 0;
  int step = 0;
  auto read = [&] {
    const std::span<float> fa(f.data(), 6), fb(f.data() + 6, 6), da(d.data(), 6), db(d.data() + 6, 6);
    if (reduced) {
      return fio::read_fmt(unit, "(I6,6E12.5,/,I6,6E12.5,I1)", ja, fa, jb, fb, flag) == fio::Status::ok &&
             fio::read_fmt(unit, "(I6,6E12.5,/,I6,6E12.5)", ja, da, jb, db) == fio::Status::ok;
    }
    stbfag.assign(6, ' ');
    return fio::read_fmt(unit, "(I6,6E12.5,/,I6,6E12.5,A)", ja, fa, jb, fb, stbfag) == fio::Status::ok &&
           fio::read_fmt(unit, "(I6,6E12.5,/,I6,6E12.5,E10.2)", ja, da, jb, db, flp) == fio::Status::ok;
  };
  common::history_records(h, step, read, [&](int stp, float time) {
    const std::span<const float> fa(f.data(), 6), fb(f.data() + 6, 6), da(d.data(), 6), db(d.data() + 6, 6);
    if (reduced) {
      fio::write(6, "(/,I10,1P,E15.5,0P,I6,1P,6E15.6,/,25X,I6,6E15.6,3X,I1)", stp, time, ja, fa, jb, fb, flag);
      fio::write(6, "(25X,'DISP  ',1P,6E15.6,/,31X,6E15.6)", da, db);
      return;
    }
    fio::write(6, "(/,I10,1P,E15.5,0P,I6,1P,6E15.6,/,25X,I6,6E15.6,1X,A)", stp, time, ja, fa, jb, fb, stbfag);
    fio::write(6, "(25X,'DISP  ',1P,6E15.6,/,31X,6E15.6,1X,E10.2)", da, db, flp);
  });
}

// ---------------------------------------------------------------- options 6, 10-14

void element_loads(EleCall& c, const Member& m) {
  if (kv::ctl(kv::kNELOAD) < 1 || m.rejected() || c.iload <= 0) return;
  const int nlc = kv::ctl(kv::kNLC);
  float* q = common::scratch_at_iz(12, nlc);
  if (!bmfef(c.ielno, m.clen(), 0, element_load_tables(), nlc, q)) return;
  Mat12 t{};
  transformation(m, t);
  const frame::Positions pos = positions(m);
  frame::add_element_loads(c.ielno, t, q, nlc, c.iload, pos);
}

// An elastic structure (and a solution that asks after its commit) has no
// plastic share. Otherwise the energy option runs between the state
// determination and the commit: the work done on the member is the committed
// work (the record words ESE and PSE, set at the commit) plus the step's,
// and what the end actions do not hold elastically was dissipated.
void energy(EleCall& c, const Member& m) {
  const float ese = secant_energy(m);
  c.r1 = ese;
  c.r2 = 0.0f;
  if (kv::ctl_true(kv::kELASTC)) return;
  c.r2 = m.rw(kEse) + m.rw(kPse) + step_work(m) - ese;
}

// Option 4 of every component's material leaves a state that option 3
// determined as it is (and the commit's copy of it is such a state).
bool results_keep_states(const Member& m) {
  for (int k = kMyA; k <= kFx; ++k) {
    const materials::MaterialType* t = materials::material_type(m.type_of(k));
    if (t == nullptr || !t->results_after_state_change_nothing) return false;
  }
  return true;
}

void ductility(EleCall& c, const Member& m) {
  if (m.rejected()) return;
  if (!results_keep_states(m)) m.iw(kElFlag) = m.iw(kElFlag) & ~kTrialInStepBit;
  std::array<float, 7> duct{};
  std::array<float, 7> ydisp{};
  for (int k = kMyA; k <= kFx; ++k) {
    materials::MatCall mc =
        material_call(c.ielno, m.iw(kMatSet + k - 1), materials::kOptResults, m.trial_index(k));
    run_material(mc);
    c.r1 = mc.ese;
    c.r2 = mc.pse;
    float dk = mc.duct[0];
    const float* s = m.trial(k);
    if (m.reduced()) {
      // The first ductility of every component; no yield deformation.
      duct[static_cast<std::size_t>(k)] = std::isfinite(dk) && std::fabs(dk) >= 1.0f ? dk : 0.0f;
      continue;
    }
    // A yield deformation the element cannot name is shown as 0.0.
    const HingeModel* h = model_of(m, k);
    const float y = h != nullptr && h->yield_deformation != nullptr ? h->yield_deformation(s, k <= kMzB, dk) : 0.0f;
    if (!std::isfinite(dk) || std::fabs(dk) < 1.0f) dk = 0.0f;
    duct[static_cast<std::size_t>(k)] = dk;
    ydisp[static_cast<std::size_t>(k)] = y;
  }
  float largest = 0.0f;
  for (int k = kMyA; k <= kFx; ++k) largest = std::max(largest, std::fabs(duct[static_cast<std::size_t>(k)]));
  if (c.r4 == 0.0f && largest >= 1.0f) c.r4 = largest;
  if (!c.lecho) return;
  if (m.reduced()) {
    if (c.typchg) {
      fio::write(6, "(/,'    IE3DBEAM  DUCTILITY(BASED ON DEFINITION 1):',/,6X,' ELEM#',"
                    "'      |MYA|      |MYB|      |MZA|','      |MZB|      |MX |      |FX |')");
    }
    fio::write(6, "(6X,I5,1X,6F11.5)", c.ielno, std::span<const float>(duct.data() + 1, 6));
    return;
  }
  if (c.typchg) {
    fio::write(6, "(/,'    IE3DBEAM MEMBER DUCTILITY:        ',/,12X,' ELEM#','      |MYA|      |MYB|      |MZA|',"
                  "'      |MZB|      |MX |      |FX |')");
  }
  fio::write(6, "(1X,'DUCTILITY :',I5,1X,6F11.5,/,1X,'YIELD DISP:',I5,1X,6F11.5)", c.ielno,
             std::span<const float>(duct.data() + 1, 6), c.ielno, std::span<const float>(ydisp.data() + 1, 6));
}

void maxima(const EleCall& c, const Member& m) {
  const int ja = m.iw(kJntA);
  const int jb = m.iw(kJntB);
  common::envelope_report(
      c.typchg, m.real(kFmaxt), 12,
      [](std::string_view title) {
        fio::write(6, "(/,'     IE3D BEAM FORCES...',5X,/,7X,A,/,'   ELEMENT LOAD         NODE',7X,'AXIAL',11X,'FY',"
                      "13X,'FZ',11X,'TORSION',10X,'MY',13X,'MZ   STBFAG')",
                   title);
      },
      [&](int i, const float* col) {
        if (m.reduced()) {
          // The reduced member's lines end with its yielded flag.
          fio::write(6, "(/,I10,I5,2X,'FORCE',I6,1P,6E15.6,/,15X,2X,'FORCE',I6,6E15.6,3X,I1)", c.ielno, i, ja,
                     std::span<const float>(col, 6), jb, std::span<const float>(col + 6, 6),
                     static_cast<int>(m.iw(kIyldst)));
          return;
        }
        fio::write(6, "(/,I10,I5,2X,'FORCE',I6,1P,6E15.6,/,15X,2X,'FORCE',I6,6E15.6)", c.ielno, i, ja,
                   std::span<const float>(col, 6), jb, std::span<const float>(col + 6, 6));
      });
}

// Option 13: forces, maxima and material states back to the virgin state,
// the member's words in the materials written again as at input (a reset
// material would otherwise divide by a zero length). Limit codes stay
// reported.
void reset(EleCall& c, const Member& m) {
  std::fill(m.real(kFmaxt), m.real(kFmaxt) + kEnvelopeWords, 0.0f);
  std::fill(m.real(kDul), m.real(kDul) + 48, 0.0f);  // DUL, UL, DFL, FL
  m.rw(kEse) = 0.0f;  // the committed energies go with the forces
  m.rw(kPse) = 0.0f;
  std::fill(kv::rptr(m.p + m.lay.base), kv::rptr(m.p + m.lay.base) + m.nhyst(), 0.0f);
  m.iw(kElFlag) = m.iw(kElFlag) & ~(kTrialInStepBit | kTailInStepBit);
  fio::write(6, "(' IE3D BEAM........ ELEMENT #',I6,'  INTERNAL FORCES AND HYSTERESIS MODELS ARE RESET TO ZERO')",
             c.ielno);
  if (m.rejected()) return;
  member_words_before_setup(m);
  for (int k = kMyA; k <= kFx; ++k) {
    materials::MatCall mc =
        material_call(c.ielno, m.iw(kMatSet + k - 1), materials::kOptInit, m.committed_index(k));
    run_material(mc);
  }
  member_words_after_setup(m);
  yield_presets(m);
}

}  // namespace

namespace beam_column {

void run_option(EleCall& c, const Member& m, std::string_view invalid_option) {
  switch (c.iopt) {
    case kEleCheck: check(c, m); break;
    case kEleGeom: axial_load(c, m); break;
    case kEleStiff: tangent(c, m); break;
    case kEleState: state(c, m); break;
    case kEleCommit: commit(c, m); break;
    case kEleLoads: element_loads(c, m); break;
    case kEleHistWrite: history_write(m); break;
    case kEleHistRead: history_read(m); break;
    case kEleNState: state_size(c, m); break;
    case kEleEnergy: energy(c, m); break;
    case kEleDuct: ductility(c, m); break;
    case kEleMaxima: maxima(c, m); break;
    case kEleReset: reset(c, m); break;
    case kEleDamage: c.r3 = 0.0f; break;
    default: fio::write_list(6, invalid_option, c.iopt); break;
  }
}

}  // namespace beam_column

void ele09(EleCall& c) { run_option(c, member(c), "INVALID OPTION IN ELE-09, IOPT="); }

}  // namespace elements
