#include "elements/stability_element.h"

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
#include "base/storage.h"
#include "base/type_registry.h"
#include "elements/beam_frame.h"
#include "elements/element_common.h"
#include "fio/fio.h"
#include "materials/matdsp.h"
#include "materials/material_type.h"

namespace elements {

namespace {

using namespace stability;
using frame::at;
using frame::Mat12;
using frame::Vec12;

// A view of one type-12 record.
struct Record {
  std::int64_t p = 0;

  kv::IntWord iw(int k) const { return kv::izm(p + k); }
  kv::RealWord rw(int k) const { return kv::rzm(p + k); }
  float* real(int k) const { return kv::rptr(p + k); }
  std::int32_t* ints(int k) const { return kv::iptr(p + k); }
  int nh() const { return iw(kNh); }
  int half() const { return nh() / 2; }
  int set() const { return iw(kMatSet); }
  float length() const { return rw(kLength); }
  // ZMATRX index of state word 1 of the committed and the trial half.
  std::int64_t committed_index() const { return p + kBase; }
  std::int64_t trial_index() const { return p + kBase + half(); }
  // 1-based views of the halves: committed()[k] is state word k.
  float* committed() const { return kv::rptr(committed_index()) - 1; }
  float* trial() const { return kv::rptr(trial_index()) - 1; }
  float* packed() const { return kv::rptr(p + kBase + nh()); }
  bool rejected() const { return iw(kPosA) <= 0 || iw(kPosB) <= 0; }
};

Record record(const EleCall& c) { return Record{c.p}; }

// ---------------------------------------------------------------- section families

using FamilyRegistry = kv::TypeRegistry<SectionFamily, materials::kMaxMaterialType>;

FamilyRegistry& families() {
  static FamilyRegistry r;
  return r;
}

int set_type(int set) {
  if (set < 1 || set > kv::ctl(kv::kNMAT)) return 0;
  return kv::izm(kv::izm(kv::ctl(kv::kMATPTR) + set));
}

// ---------------------------------------------------------------- report lines

void force_heading(std::string_view caption) {
  fio::write(6, "(/,'     STABILITY ELEMENT  FORCES...',/,7X,A,/,'   ELEMENT LOAD         NODE',7X,'AXIAL',11X,"
                "'FY',13X,'FZ',11X,'TORSION',10X,'MY',13X,'MZ     FLP,SP ')",
             caption);
}

void displ_entry(const Record& r, int ielno, int lc, const float* d, float flp) {
  fio::write(6, "(/,I10,I5,2X,'DISPL',I6,1P,6E15.6,/,15X,2X,'DISPL',I6,6E15.6,1X,'FLP:',E10.2)", ielno, lc,
             static_cast<int>(r.iw(kJntA)), std::span<const float>(d, 6), static_cast<int>(r.iw(kJntB)),
             std::span<const float>(d + 6, 6), flp);
}

void force_entry(const Record& r, int ielno, int lc, const float* f, float sp) {
  fio::write(6, "(/,I10,I5,2X,'FORCE',I6,1P,6E15.6,/,15X,2X,'FORCE',I6,6E15.6,1X,'SP: ',E10.2)", ielno, lc,
             static_cast<int>(r.iw(kJntA)), std::span<const float>(f, 6), static_cast<int>(r.iw(kJntB)),
             std::span<const float>(f + 6, 6), sp);
}

// ---------------------------------------------------------------- stiffness

// LMT: the equation of each element direction, 0 where both joints share it.
std::array<std::int32_t, 13> joint_equations(const Record& r) {
  const base::NodeTables nt = base::node_tables();
  std::array<std::int32_t, 13> lmt{};
  for (int k = 1; k <= 6; ++k) {
    const std::int32_t ia = nt.id(r.iw(kPosA), k);
    const std::int32_t ib = nt.id(r.iw(kPosB), k);
    if (ia == ib) continue;
    lmt[static_cast<std::size_t>(k)] = ia;
    lmt[static_cast<std::size_t>(k + 6)] = ib;
  }
  return lmt;
}

void tmat(const Record& r, Mat12& t) { std::copy(r.real(kTmat), r.real(kTmat) + 144, t.begin()); }

// The element stiffness from the committed state words: SLOC, the packed
// joint-axes matrix, LM and NLM. Returns the packed words stored.
int form_stiffness(const Record& r, bool check) {
  float* s = r.committed();
  Mat12 sloc{};
  int w = 1;
  for (int i = 1; i <= 12; ++i) {
    for (int j = i; j <= 12; ++j, ++w) {
      if (std::fabs(s[w]) < 1.0e-6f) s[w] = 0.0f;
      frame::set_sym(sloc, i, j, s[w]);
    }
  }
  std::copy(sloc.begin(), sloc.end(), r.real(kSloc));
  Mat12 t{};
  tmat(r, t);
  Mat12 asat{};
  frame::congruence(t, sloc, asat);
  if (kv::trace('I')) base::prtmat(asat.data(), 12, 12, " ASAT ");
  const std::array<std::int32_t, 13> lmt = joint_equations(r);
  int n = 0;
  const int nlm = frame::pack(asat, lmt, r.packed(), n, r.ints(kLm), false);
  r.iw(kNlm) = nlm;
  if (kv::trace('H')) {
    fio::write_list(6, "LMT=", std::span<const std::int32_t>(lmt.data() + 1, 12));
    fio::write_list(6, "IELDOF", nlm);
    fio::write_list(6, "LM =", std::span<const std::int32_t>(r.ints(kLm), static_cast<std::size_t>(nlm)));
    frame::print_packed(r.packed(), nlm, "ELEMENT STIFFNESS");
    if (!check) {
      const std::int64_t kg = kv::ctl(kv::kKGDATARecord);
      const std::int32_t k1 = kg > 0 ? static_cast<std::int32_t>(kv::izm(kg + 1)) : 0;
      const std::int32_t k2 = kg > 0 ? static_cast<std::int32_t>(kv::izm(kg + 2)) : 0;
      const std::int32_t k3 = kg > 0 ? static_cast<std::int32_t>(kv::izm(kg + 3)) : 0;
      fio::write_list(6, "KGDATA:", k1, k2, k3, " PKG:", 0.0f);
    }
  }
  return n;
}

// ---------------------------------------------------------------- the member

// MATDSP on a state half with the element's end vectors; the caller gets
// back the set's type (0 when the set is not in the model) and whether the
// set could serve (MatCall::error clear).
struct MaterialResult {
  int type = 0;
  bool usable = false;
};
MaterialResult run_member(int ielno, const Record& r, int iopt, std::int64_t sta, materials::EndVectors& ends) {
  materials::MatCall mc = common::material_call(ielno, r.set(), iopt, sta);
  mc.ends = &ends;
  const int type = common::run_material(mc);
  return {type, mc.error == 0 && mc.nstate == kSectionStateWords};
}

// ---------------------------------------------------------------- member energy

// The end actions of a member with no load along it that its elastic
// flexibility relates (element directions): the axial force at end B, the
// moments about y at ends A and B, the moments about z at ends A and B.
// End A's translations and the chord hold the rigid-body motions, so unit
// end rotations, a unit elongation and a unit twist are the member's own
// deformations and the stiffness terms between them its elastic stiffness.
constexpr std::array<int, 5> kBasicActions{7, 5, 11, 6, 12};
constexpr int kTwist = 10;
constexpr int kBendingActions = 4;
static_assert(kFlexWord + kBendingActions * (kBendingActions + 1) / 2 < kFlpWord);

// The inverse of the symmetric positive matrix a (n x n, row by row) in
// place, by Gauss-Jordan elimination on the diagonal; false (a spoiled) when
// a pivot is not positive against the largest diagonal term.
template <std::size_t N>
bool invert_symmetric(std::array<double, N * N>& a) {
  constexpr int n = static_cast<int>(N);
  auto at = [&a](int i, int j) -> double& { return a[static_cast<std::size_t>(i * n + j)]; };
  double largest = 0.0;
  for (int i = 0; i < n; ++i) largest = std::max(largest, std::fabs(at(i, i)));
  for (int k = 0; k < n; ++k) {
    const double pivot = at(k, k);
    if (!(pivot > 1.0e-12 * largest)) return false;
    at(k, k) = 1.0;
    for (int j = 0; j < n; ++j) at(k, j) /= pivot;
    for (int i = 0; i < n; ++i) {
      if (i == k) continue;
      const double m = at(i, k);
      at(i, k) = 0.0;
      for (int j = 0; j < n; ++j) at(i, j) -= m * at(k, j);
    }
  }
  return true;
}

// Right after the set-up the committed tangent is the member's elastic
// stiffness. Its inverse on the end actions above (the twist taken along)
// is kept in the flexibility words: the axial term and the bending block.
// The words hold no more, so a coupling of the axial force with the end
// moments (loading points off the centroid, an out-of-straightness) is left
// out; a stiffness without an inverse leaves zeros (nothing counted elastic).
void store_elastic_flexibility(const Record& r) {
  float* s = r.committed();
  constexpr std::size_t n = 6;
  std::array<int, n> dof{};
  std::copy(kBasicActions.begin(), kBasicActions.end(), dof.begin());
  dof[n - 1] = kTwist;
  std::array<double, n * n> a{};
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      const int p = dof[i];
      const int q = dof[j];
      a[i * n + j] = s[tangent_word(std::min(p, q), std::max(p, q))];
    }
  }
  const bool inverted = invert_symmetric<n>(a);
  auto f = [&](int i, int j) {
    return inverted ? static_cast<float>(a[static_cast<std::size_t>(i) * n + static_cast<std::size_t>(j)]) : 0.0f;
  };
  s[kFlexWord] = f(0, 0);
  int w = kFlexWord + 1;
  for (int i = 1; i <= kBendingActions; ++i)
    for (int j = i; j <= kBendingActions; ++j) s[w++] = f(i, j);
}

// The energy the member's end actions f (12, element axes) hold in its
// elastic flexibility; the torsion, which the element keeps at its elastic
// prediction, by the current torsional stiffness. Summed in double: squares
// of end actions near the REAL range must not make the sum undefined.
double recoverable_energy(const Record& r, const float* f) {
  const float* s = r.committed();
  std::array<double, 5> q{};
  for (std::size_t i = 0; i < q.size(); ++i) q[i] = f[kBasicActions[i] - 1];
  double e = s[kFlexWord] * q[0] * q[0];
  int w = kFlexWord + 1;
  for (std::size_t i = 1; i <= kBendingActions; ++i) {
    for (std::size_t j = i; j <= kBendingActions; ++j) {
      e += (i == j ? 1.0 : 2.0) * s[w++] * q[i] * q[j];
    }
  }
  const double kt = r.real(kSloc)[(kTwist - 1) + 12 * (kTwist - 1)];
  const double t = f[kTwist - 1];
  if (kt > 0.0) e += t * t / kt;
  return e / 2.0;
}

// The work of the end actions over the step's increments (trapezoidal rule).
float step_work(const Record& r) {
  const float* du = r.real(kDr);
  const float* df = r.real(kDf);
  const float* f = r.real(kFt);
  float sum = 0.0f;
  for (int i = 0; i < 12; ++i) sum += (f[i] + df[i] / 2.0f) * du[i];
  return sum;
}

struct MemberEnergies {
  float elastic = 0.0f;
  float plastic = 0.0f;
};

// Whether the member has signalled a limit code: in this step (the trial
// code) or in an earlier one (a code left in its state, an event reported).
bool limit_signalled(const Record& r) { return r.trial()[kFlpWord] != 0.0f || r.iw(kSpare) != 0; }

// The work done on the member to the end of the step (the committed work,
// record words kEse + kPse, plus the step's): the elastic part its section
// family asks for, up to the work itself; the rest was dissipated.
MemberEnergies member_energies(const Record& r) {
  const float work = r.rw(kEse) + r.rw(kPse) + step_work(r);
  const SectionFamily* family = section_family(set_type(r.set()));
  const EnergySplit split = family != nullptr ? family->energy : EnergySplit{};
  if (split.elastic_until_limit && !limit_signalled(r)) return {work, 0.0f};
  std::array<float, 12> f{};
  for (int i = 0; i < 12; ++i) f[static_cast<std::size_t>(i)] = r.real(kFt)[i] + r.real(kDf)[i];
  double held = recoverable_energy(r, f.data());
  if (split.complementary) {
    // F.D of the totals (twice their secant energy) less the work.
    const float complementary =
        2.0f * common::end_energy(r.real(kDr), r.real(kRt), r.real(kDf), r.real(kFt), 12) - work;
    held = std::max(held, static_cast<double>(complementary));
  }
  const float elastic = static_cast<float>(std::clamp(held, 0.0, static_cast<double>(std::max(work, 0.0f))));
  return {elastic, work - elastic};
}

// At the commit: the energies of the committed state into kEse and kPse (a
// response-spectrum combination commits combined forces, no work).
void commit_energies(const Record& r) {
  if (common::rs_combination() || r.rejected()) return;
  const MemberEnergies e = member_energies(r);
  r.rw(kEse) = e.elastic;
  r.rw(kPse) = e.plastic;
}

// Option 2 of the material on the committed half: the member set up afresh
// from its set; P = FT, PL = DF, D = RT, DL = DR.
MaterialResult set_up_member(int ielno, const Record& r) {
  materials::EndVectors e;
  std::copy_n(r.real(kFt), 12, e.p.begin());
  std::copy_n(r.real(kDf), 12, e.pl.begin());
  std::copy_n(r.real(kRt), 12, e.d.begin());
  std::copy_n(r.real(kDr), 12, e.dl.begin());
  MaterialResult m = run_member(ielno, r, materials::kOptInit, r.committed_index(), e);
  // A member that left no stiffness at all (a section family whose member is
  // not built) cannot be formed.
  if (m.usable) {
    const float* s = r.committed();
    m.usable = std::any_of(s + 1, s + 1 + kStiffnessWords, [](float x) { return x != 0.0f; });
  }
  if (m.usable) store_elastic_flexibility(r);
  return m;
}

// ---------------------------------------------------------------- option 9, 1

void state_size(const EleCall& c, const Record& r) {
  r.iw(kNh) = 0;
  const int set = common::to_int(c.rinput[1]);
  r.iw(kMatSet) = set;
  r.iw(kNh) = 2 * common::material_state_words(c.ielno, set);
}

void reject(EleCall& c, const Record& r) {
  r.iw(kNlm) = 0;
  std::fill(r.ints(kLm), r.ints(kLm) + 12, 0);
  r.iw(kPosA) = 0;
  r.iw(kPosB) = 0;
  c.nback = kPackedWords;
}

void incompatible(int ielno, int type, int ja, int jb) {
  fio::write(6, "('  ELEMENT: ',I6,'  INCOMPATIBLE MATERIAL PROP.#',I5,'  START JOINT:',I5,'  END JOINT:',I5,/,"
                "' THE ELEMENT IS REJECTED AND ER','ROR CHECKING CONTINUES')",
             ielno, type, ja, jb);
}

// The accepted stability element before ielno that works on the member of
// set `set`; 0 when there is none.
int earlier_owner(int ielno, int set) {
  const std::int64_t eletab = kv::ctl(kv::kELETAB);
  for (int n = 1; n < ielno; ++n) {
    const Record o{kv::izm(eletab + n)};
    if (o.p > 0 && o.iw(0) == 12 && o.set() == set && !o.rejected()) return n;
  }
  return 0;
}

void echo(const EleCall& c, const Record& r, const std::array<float, 3>& vy, float sdist, float edist) {
  fio::write(6, "(1X,A15,3I6,1X,I6,2X,1P,E10.4,0P,F9.5,' I',SP,F9.5,' J',F9.5,' K',1P,SS,2E12.4)",
             common::Label15(c.label).view(), c.ielno, r.set(), static_cast<int>(r.iw(kJntA)),
             static_cast<int>(r.iw(kJntB)), r.length(), vy[0], vy[1], vy[2], sdist, -edist);
}

void echo_heading() {
  fio::write(6, "(/,' ELEMENT 12,  STABILITY ELEMENT',/,/,T22,'#   MATL   START   END',3X,'LENGTH',3X,11('-'),"
                "'  Y-AXIS  ',12('-'),'  START DIST    END DIST     ')");
}

void check(EleCall& c, const Record& r) {
  const float* rin = c.rinput;  // rin[1..8]
  const base::NodeTables nt = base::node_tables();
  r.rw(kEse) = 0.0f;
  r.rw(kPse) = 0.0f;
  if (kv::trace('H')) {
    fio::write_list(6, c.label);
    base::prtmat(rin + 1, kInputValues, 1, "RINPUT");
  }
  r.iw(0) = 12;
  const int set = common::to_int(rin[1]);
  r.iw(kMatSet) = set;
  const int ja = common::to_int(rin[2]);
  const int jb = common::to_int(rin[3]);
  r.iw(kJntA) = ja;
  r.iw(kJntB) = jb;
  std::array<float, 3> vy{rin[4], rin[5], rin[6]};
  float sdist = rin[7];
  float edist = rin[8];
  r.iw(kSpare) = 0;
  r.rw(kLength) = 0.0f;

  // Nothing of a former state may reach a report: every table starts at zero.
  std::fill(r.real(kDr), r.real(kDr) + 48, 0.0f);  // DR, RT, DF, FT
  std::fill(r.real(kFmax), r.real(kFmax) + 144, 0.0f);
  std::fill(r.real(kSloc), r.real(kSloc) + 288, 0.0f);  // SLOC, TMAT
  std::fill(r.real(kCts), r.real(kCts) + 36, 0.0f);

  const int nnode = kv::ctl(kv::kNNODE);
  const int pa = base::ifind(ja, nt.nodid_ptr(), nnode);
  const int pb = base::ifind(jb, nt.nodid_ptr(), nnode);
  r.iw(kPosA) = pa;
  r.iw(kPosB) = pb;
  bool good = pa > 0 && pb > 0 && r.half() >= kSectionStateWords;

  if (good) {
    const frame::ClearLength cl = frame::clear_length(c.ielno, pa, pb, sdist, edist);
    if (cl.revised) {
      // Distances that leave no length are not used: a zone of 1e38 would
      // carry its offsets into every stiffness and reaction.
      fio::write(6, "(5X,'THE START AND END DISTANCES ARE TAKEN AS 0.0',/)");
      sdist = 0.0f;
      edist = 0.0f;
    }
    std::array<float, 3> vx = cl.vx;
    r.rw(kLength) = cl.length;
    r.committed()[kLengthWord] = cl.length;
    frame::trace_geometry(pa, pb, vx, vy, cl.length);
    // Coincident joints give no member axis, and joints too far apart no
    // length: the element cannot be formed.
    good = cl.dist != 0.0f && cl.measurable &&
           frame::member_axes(vx, vy, pa, pb, sdist, edist, r.real(kCts), r.real(kBs), r.real(kCte), r.real(kBe));
    frame::trace_axes(r.real(kCts), r.real(kBs), r.real(kCte), r.real(kBe));
    if (!good) frame::rejected_line(c.ielno, ja, jb);
  } else {
    incompatible(c.ielno, set_type(set), ja, jb);
  }

  if (good) {
    Mat12 t{};
    frame::transformation(r.real(kCts), r.real(kBs), r.real(kCte), r.real(kBe), t);
    std::copy(t.begin(), t.end(), r.real(kTmat));
    if (kv::trace('H')) base::prtmat(r.real(kTmat), 12, 12, "A");
    // One set holds one member: a second element would clear and drive the
    // member of the first.
    if (const int owner = earlier_owner(c.ielno, set); owner != 0) {
      fio::write(6, "('  ELEMENT: ',I6,'  MATERIAL PROP.#',I5,' HOLDS THE MEMBER OF ELEMENT',I6,"
                    "'; ONE SET SERVES ONE STABILITY ELEMENT',/,"
                    "' THE ELEMENT IS REJECTED AND ER','ROR CHECKING CONTINUES')",
                 c.ielno, set, owner);
      good = false;
    }
  }
  if (good) {
    const MaterialResult m = set_up_member(c.ielno, r);
    if (section_family(m.type) == nullptr || !m.usable) {
      incompatible(c.ielno, m.type, ja, jb);
      good = false;
    }
  }

  if (!good) {
    reject(c, r);
  } else {
    c.r1 = 0.0f;
    c.r2 = 0.0f;
    const int stored = form_stiffness(r, true);
    c.nback = kPackedWords - stored;
  }
  if (kv::trace('I') || kv::trace('H') || c.typchg) echo_heading();
  echo(c, r, vy, sdist, edist);
}

// ---------------------------------------------------------------- option 4

void state(EleCall& c, const Record& r) {
  if (c.lecho && c.typchg) force_heading(kv::titles().ldlabl);
  if (r.rejected()) return;
  const int nlc = kv::ctl(kv::kNLC);
  Mat12 t{};
  tmat(r, t);
  const float* sloc = r.real(kSloc);
  float* dr = r.real(kDr);
  float* df = r.real(kDf);
  const float* ft = r.real(kFt);
  const float* rt = r.real(kRt);
  const float* committed = r.committed();
  frame::Positions pos{};
  for (int k = 0; k < 6; ++k) {
    pos[static_cast<std::size_t>(k)] = r.iw(kPosA);
    pos[static_cast<std::size_t>(k + 6)] = r.iw(kPosB);
  }
  for (int lc = 1; lc <= nlc; ++lc) {
    Vec12 u{};
    if (c.idisp > 0) frame::gather(pos, c.idisp, lc, u.data());
    frame::to_local(t, u.data(), dr);
    for (int i = 0; i < 12; ++i) {
      float sum = 0.0f;
      for (int k = 0; k < 12; ++k) sum += sloc[i + 12 * k] * dr[k];
      df[i] = sum;
    }
    if (nlc > 1) common::update_envelope(r.real(kFmax), df, 12);
    // Forces beyond the REAL range end the solution before they are printed.
    if (c.lecho && common::forces_finite(c.ielno, df, 12)) {
      displ_entry(r, c.ielno, lc, dr, committed[kFlpWord]);
      force_entry(r, c.ielno, lc, df, committed[kSpWord]);
    }
  }
  const int half = r.half();
  std::copy(r.committed() + 1, r.committed() + 1 + half, r.trial() + 1);
  // A modal response hands its elastic forces to the combination; the member
  // is not driven by a mode (it would keep every mode in its record).
  if (common::rs_combination()) {
    std::copy(df, df + 12, kv::solsta().rsforc.begin() + 1);
    return;
  }

  materials::EndVectors e;
  for (int i = 0; i < 12; ++i) {
    const auto k = static_cast<std::size_t>(i);
    e.p[k] = ft[i] + df[i];
    e.pl[k] = ft[i];
    e.d[k] = rt[i] + dr[i];
    e.dl[k] = rt[i];
  }
  run_member(c.ielno, r, materials::kOptState, r.trial_index(), e);
  kv::set_ctl_logical(kv::kStateChanged, true);

  std::array<float, 12>& p = e.p;
  const std::array<float, 12>& d = e.d;
  std::array<float, 12> uf{};
  for (int i : {0, 6, 4, 5, 10, 11}) {
    uf[static_cast<std::size_t>(i)] = p[static_cast<std::size_t>(i)] - (ft[i] + df[i]);
    df[i] += uf[static_cast<std::size_t>(i)];
  }
  // Shears in equilibrium with the end moments and the axial force on the
  // deformed chord.
  const float l = r.length();
  p[8] = ((d[8] - d[2]) * p[6] + p[4] + p[10]) / l;
  p[2] = -p[8];
  p[1] = (p[5] + p[11]) / l - (d[7] - d[1]) * p[6] / l;
  p[7] = -p[1];
  for (int i : {1, 2, 7, 8}) {
    uf[static_cast<std::size_t>(i)] = p[static_cast<std::size_t>(i)] - (ft[i] + df[i]);
    df[i] += uf[static_cast<std::size_t>(i)];
  }
  // The member's own forces beyond the REAL range end the solution before a
  // commit reports them.
  if (!std::all_of(df, df + 12, [](float x) { return std::isfinite(x); })) {
    if ((kv::ctl(kv::kISTOP) & 1) == 0) (void)common::forces_finite(c.ielno, df, 12);
    return;
  }

  // Unbalanced joint loads of the element equations.
  const std::array<std::int32_t, 13> lmt = joint_equations(r);
  const std::int64_t unbfrc = kv::ctl(kv::kSolVector65);
  const std::int32_t* lm = r.ints(kLm);
  const int nlm = r.iw(kNlm);
  std::array<float, 12> efub{};
  int eq = 0;
  for (int i = 1; i <= 12 && eq < nlm; ++i) {
    if (lmt[static_cast<std::size_t>(i)] == 0) continue;
    float sum = 0.0f;
    for (int j = 1; j <= 12; ++j) sum += at(t, i, j) * uf[static_cast<std::size_t>(j - 1)];
    efub[static_cast<std::size_t>(eq)] = sum;
    if (unbfrc > 0 && lm[eq] > 0 && lm[eq] <= kv::ctl(kv::kNEQ)) kv::rzm(unbfrc + lm[eq] - 1) += sum;
    ++eq;
  }
  if (kv::trace('H')) {
    fio::write_list(6, " UNBALANCE FORCES FOR ELEMENT ", c.ielno, ":");
    for (int i = 1; i <= 12; ++i) fio::write(6, "(' I:',I2,' P(I):',1P,E12.4)", i, p[static_cast<std::size_t>(i - 1)]);
    for (int i = 1; i <= 12; ++i)
      fio::write(6, "(' I:',I2,' F:',1P,E12.4,' FT:',E12.4,' UF:',E12.4)", i, df[i - 1], ft[i - 1],
                 uf[static_cast<std::size_t>(i - 1)]);
    for (int k = 1; k <= nlm; ++k)
      fio::write_list(6, " I:", k, " LM(I):", lm[k - 1], " EFUB(I):", efub[static_cast<std::size_t>(k - 1)]);
  }
}

// ---------------------------------------------------------------- option 5

void limit_record(int unit, int ielno, float code, const Record& r) {
  fio::write(unit, "(7X,I5,6X,I5,F10.2,3E15.6,3X,I7)", kv::run().nrel, ielno, code, r.rw(kFt),
             r.rw(kFt + 4), r.rw(kRt + 4), kv::solsta().istep);
}

// Tests the rows of one phase against the trial FLP; reports a match the
// first time this element meets it (the rows reported are kept as bits of
// record word 102) and retires the code either way.
void events(const EleCall& c, const Record& r, bool before) {
  float* trial = r.trial();
  const SectionFamily* family = section_family(set_type(r.set()));
  if (family == nullptr) return;
  for (std::size_t k = 0; k < family->events.size(); ++k) {
    const LimitEvent& ev = family->events[k];
    if (ev.before != before || trial[kFlpWord] != ev.code) continue;
    const std::int32_t bit = std::int32_t{1} << k;
    if ((r.iw(kSpare) & bit) == 0) {
      r.iw(kSpare) = r.iw(kSpare) | bit;
      kv::Solsta& ss = kv::solsta();
      if (ss.lsflag[static_cast<std::size_t>(ev.point)] == 0.0f) {
        ss.lsflag[static_cast<std::size_t>(ev.point)] = 1.0f;
        ss.lselem[static_cast<std::size_t>(ev.point)] = c.ielno;
      }
      fio::write(6, "(/,'**** STABILITY ELEMENT ',I10,A)", c.ielno, ev.text);
      if (!ev.second.empty()) fio::write(6, "(5X,A)", ev.second);
      fio::write(6, "('**** THE ELEMENT FORCES ',A,' ARE:')", kv::titles().ldlabl);
      displ_entry(r, c.ielno, 1, r.real(kRt), ev.code);
      force_entry(r, c.ielno, 1, r.real(kFt), trial[kSpWord]);
      if (ev.nominal) limit_record(49, c.ielno, ev.code, r);
      limit_record(50, c.ielno, ev.code, r);
    }
    trial[kFlpWord] = ev.retired;
  }
}

void commit(EleCall& c, const Record& r) {
  if (c.lecho && c.typchg) force_heading(kv::titles().ldlabl);
  if (r.rejected()) return;
  events(c, r, true);
  commit_energies(r);
  common::commit_totals(r.real(kFt), r.real(kRt), r.real(kDf), r.real(kDr), 12, r.real(kFmax));
  events(c, r, false);
  const float* trial = r.trial();
  if (c.lecho) {
    displ_entry(r, c.ielno, 1, r.real(kRt), trial[kFlpWord]);
    force_entry(r, c.ielno, 1, r.real(kFt), trial[kSpWord]);
  }
  std::copy(trial + 1, trial + 1 + r.half(), r.committed() + 1);
}

// ---------------------------------------------------------------- options 7, 8

void history_write(const Record& r) {
  const int unit = kv::ctl(kv::kIUNIT);
  const int ja = r.iw(kJntA);
  const int jb = r.iw(kJntB);
  const float* s = r.committed();
  fio::write(unit, "(I6,1P,6E12.5,/,I6,1P,6E12.5,1X,E10.3)", ja, std::span<const float>(r.real(kFt), 6), jb,
             std::span<const float>(r.real(kFt) + 6, 6), s[kSpWord]);
  fio::write(unit, "(I6,1P,6E12.5,/,I6,1P,6E12.5,1X,E10.3)", ja, std::span<const float>(r.real(kRt), 6), jb,
             std::span<const float>(r.real(kRt) + 6, 6), s[kFlpWord]);
}

// The records are read into working copies, never into the element: a later
// solution must start from the committed forces, not from a file's last record.
void history_read() {
  const common::HistoryRequest h = common::history_request();
  const int unit = h.unit;
  fio::write(6, "(/,'     STABILITY ELEMENT FORCES...',/,'      STEP    TIME         NODE',7X,'AXIAL',11X,'FY',13X,"
                "'FZ',11X,'TORSION',10X,'MY',13X,'MZ     FLP,SP')");
  std::array<float, 12> f{};
  std::array<float, 12> d{};
  std::int32_t ja = 0;
  std::int32_t jb = 0;
  float sp = 0.0f;
  float flp = 0.0f;
  auto read = [&] {
    return fio::read_fmt(unit, "(I6,6E12.5,/,I6,6E12.5,1X,E10.3)", ja, std::span<float>(f.data(), 6), jb,
                         std::span<float>(f.data() + 6, 6), sp) == fio::Status::ok &&
           fio::read_fmt(unit, "(I6,6E12.5,/,I6,6E12.5,1X,E10.3)", ja, std::span<float>(d.data(), 6), jb,
                         std::span<float>(d.data() + 6, 6), flp) == fio::Status::ok;
  };
  if (!h.read) return;
  std::int32_t& step = kv::solsta().istep;
  common::history_records(h, step, read, [&](int stp, float time) {
    fio::write(6, "(/,I10,1P,E15.5,0P,I6,0P,6E15.6,/,25X,I6,6E15.6,1X,'SP: ',E10.2)", stp, time, ja,
               std::span<const float>(f.data(), 6), jb, std::span<const float>(f.data() + 6, 6), sp);
    fio::write(6, "(25X,'DISP  ',0P,6E15.6,/,31X,6E15.6,1X,'FLP:',F5.1)", std::span<const float>(d.data(), 6),
               std::span<const float>(d.data() + 6, 6), flp);
  });
}

// ---------------------------------------------------------------- options 10-14

// An elastic solution asks after its commit and takes the end actions' work
// on the totals as elastic. Otherwise the option runs between the state
// determination and the commit, on the committed work plus the step's.
void energy(EleCall& c, const Record& r) {
  c.r1 = 0.0f;
  c.r2 = 0.0f;
  if (r.rejected()) return;
  if (kv::ctl_true(kv::kELASTC)) {
    c.r1 = common::end_energy(r.real(kDr), r.real(kRt), r.real(kDf), r.real(kFt), 12);
    return;
  }
  const MemberEnergies e = member_energies(r);
  c.r1 = e.elastic;
  c.r2 = e.plastic;
}

void maxima(const EleCall& c, const Record& r) {
  common::envelope_report(c.typchg, r.real(kFmax), 12, force_heading, [&](int i, const float* col) {
    fio::write(6, "(/,I10,I5,2X,'FORCE',I6,1P,6E15.6,/,15X,2X,'FORCE',I6,6E15.6,1X,'SP: ')", c.ielno, i,
               static_cast<int>(r.iw(kJntA)), std::span<const float>(col, 6), static_cast<int>(r.iw(kJntB)),
               std::span<const float>(col + 6, 6));
  });
}

void reset(EleCall& c, const Record& r) {
  if (r.rejected()) return;
  std::fill(r.real(kDr), r.real(kDr) + 48, 0.0f);  // DR, RT, DF, FT
  std::fill(r.real(kFmax), r.real(kFmax) + 144, 0.0f);
  r.iw(kSpare) = 0;
  r.rw(kEse) = 0.0f;  // the committed energies go with the forces
  r.rw(kPse) = 0.0f;
  std::fill(r.committed() + 1, r.committed() + 1 + r.nh(), 0.0f);
  r.committed()[kLengthWord] = r.length();
  fio::write(6, "(' STABILITY ELEMENT ....... ELEMENT #',I6,'  INTERNAL FORCES AND HYSTERESIS MODELS ARE RESET TO ZERO')",
             c.ielno);
  set_up_member(c.ielno, r);
}

}  // namespace

namespace stability {

void register_section_family(const SectionFamily& family) {
  if (family.events.size() > static_cast<std::size_t>(kMaxLimitEvents)) return;
  families().add(family);
}

const SectionFamily* section_family(int type) { return families().find(type); }

}  // namespace stability

void ele12(EleCall& c) {
  const Record r = record(c);
  switch (c.iopt) {
    case kEleNState: state_size(c, r); return;
    case kEleCheck: check(c, r); return;
    case kEleGeom: return;
    case kEleStiff:
      if (!r.rejected()) form_stiffness(r, false);
      return;
    case kEleState: state(c, r); return;
    case kEleCommit: commit(c, r); return;
    case kEleLoads: return;
    case kEleHistWrite: history_write(r); return;
    case kEleHistRead: history_read(); return;
    case kEleEnergy: energy(c, r); return;
    case kEleDuct:
      if (c.lecho && c.typchg) fio::write(6, "(/,'    STABILITY ELEMENT DUCTILITY IS NOT AVAILABLE.')");
      return;
    case kEleMaxima: maxima(c, r); return;
    case kEleReset: reset(c, r); return;
    case kEleDamage: c.r3 = 0.0f; return;
    default: fio::write_list(6, "INVALID OPTION IN ELE-12, IOPT=", c.iopt); return;
  }
}

}  // namespace elements
