#include "elements/brace_element.h"

#include <algorithm>
#include <cmath>

#include "base/globals.h"
#include "elements/spring_family.h"
#include "fio/fio.h"
#include "materials/brace.h"

namespace elements {

namespace {

using namespace spring_family;

// The brace material keeps the element's data and its event words in its
// state; other materials of a strut ("LOCBKL" has 39 words a half) keep
// something else, or nothing, in those places.
constexpr int kBraceMaterial = materials::kBraceType.code;
namespace bw = materials::brace;  // the brace state words
constexpr float kBuckled = 1.0f;
constexpr float kOverElongated = 2.0f;
constexpr int kElongationPoint = 3;   // limit-state point of the first excess elongation

bool holds_event_words(const Record& r) {
  return material_type(r.iw(kWSet)) == kBraceMaterial && r.nstate() >= bw::kNState;
}

// The material reads the brace's length and effective-length factor from its
// state. The length is the one the element uses, so a brace whose geometry
// gives none still has a positive E·A/L.
void write_geometry(const EleCall& c, const Record& r, float length) {
  if (r.nstate() < bw::kLength) return;
  float* s = r.committed();
  s[bw::kKeff] = c.rinput != nullptr ? c.rinput[5] : 0.0f;
  s[bw::kLength] = length;
}

// The first buckling and the first excess elongation of each brace are
// reported once; the first excess of any brace is limit-state point 3.
void report_events(const EleCall& c, const Record& r, float d) {
  if (!holds_event_words(r)) return;
  float* s = r.trial();
  const int istep = kv::solsta().istep;
  if (s[bw::kEvent] == kBuckled && s[bw::kBuckleShown] == 0.0f) {
    s[bw::kBuckleShown] = 1.0f;
    fio::write(6, "(/,'**** BRACE ELEMENT ',I10,' BUCKLED ','AT STEP = ',I5,'. DISP. = ',E15.6,/)",
               c.ielno, istep, d);
  }
  if (s[bw::kEvent] == kOverElongated && s[bw::kElongShown] == 0.0f) {
    s[bw::kElongShown] = 1.0f;
    kv::Solsta& ss = kv::solsta();
    if (ss.lsflag[kElongationPoint] == 0.0f) {
      ss.lsflag[kElongationPoint] = 1.0f;
      ss.lselem[kElongationPoint] = c.ielno;
    }
    fio::write(6, "(/,'**** BRACE ELEMENT ',I10,' ELONGATION AT ','STEP = ',I5,' IS ',E15.6,"
                  "'WHICH IS GREATER THAN ','MAXIMUM ALLOWABLE ELONGATION OF ',E15.6,/)",
               c.ielno, istep, d, s[bw::kDU]);
  }
}

void history_summary(const float* six) {
  fio::write(6, "(T10,' MAXIMUN DUCTILITIES AND EXCURSION RATIOS',/,T10,42('='),/,"
                "T15,'DISPLACEMENT DEFINATION: U1=',1P,E12.4,5X,'E1=',E12.4,/,"
                "T15,'ENERGY DEFINATION #1:    U2=',E12.4,5X,'E2=',E12.4,/,"
                "T15,'ENERGY DEFINATION #2:    U3=',E12.4,5X,'E3=',E12.4)",
             six[0], six[1], six[2], six[3], six[4], six[5]);
}

const Family kBrace{
    .type = 8,
    .strut = true,
    .driver_name = "ELE-08",
    .echo_title = " ELEMENT 08, ONE (LOCAL) DOF STRUT ELEMENT",
    .stiff_title = "STRUT STIFFNESS",
    .forces_title = "       BRACE FORCES...",
    .ktype_revise = "REVISE INPUT  FOR KTYPE EQ 1 ..............",
    .combined_tail =
        "      FORCE    "
        "  STIFFNESS    ",
    .history_title = " BRACE MEMBER FORCES...",
    .history_type = "BRACE\"S TYPE:",
    .after_state = report_events,
    .before_setup = write_geometry,
    .after_history = history_summary,
};

void ductility(EleCall& c) {
  const Record r{c.p};
  float duct = 0.0f;
  float excursion = 0.0f;
  if (r.usable()) {
    materials::MatCall m = material_call(c, r, materials::kOptResults, r.trial_index());
    run_material(m);
    duct = std::fabs(m.duct[0]) < 1.0f ? 0.0f : m.duct[0];
    excursion = m.ex[0];
    float ese = m.ese;
    if (kv::ctl_true(kv::kELASTC)) {
      // No material state moves in an elastic solution: the energy is the
      // triangle under the element's own force and deformation.
      ese = 0.5f * (static_cast<float>(r.rw(kWDefo)) + static_cast<float>(r.rw(kWDdefo))) *
            (static_cast<float>(r.rw(kWFt)) + static_cast<float>(r.rw(kWF)));
    }
    c.r1 = ese;
    c.r2 = m.pse;
    if (c.r4 == 0.0f && std::fabs(duct) >= 1.0f) c.r4 = std::fabs(duct);
  }
  if (c.lecho) {
    if (c.typchg) {
      fio::write(6, "(/,'  STRUT DUCTILITIES AND EXCURSION RATIOS....',/,'   ELEMENT',T12,"
                    "'|- DUCTILITY DEFINATION #1 -| ',/,T12,'   DUCTILITY    EXCURSION     ')");
    }
    if (r.usable()) fio::write(6, "(I10,1P,2E15.6)", c.ielno, duct, excursion);
  }
}

void reset(EleCall& c) {
  const Record r{c.p};
  const bool keeps_keff = r.nstate() >= bw::kKeff;
  const float keff = keeps_keff ? r.committed()[bw::kKeff] : 0.0f;
  reset_words(c, kBrace, " BRACE .......... ELEMENT #");
  if (!r.usable()) return;
  if (keeps_keff) r.committed()[bw::kKeff] = keff;
  if (r.nstate() >= bw::kLength) r.committed()[bw::kLength] = r.rw(kWLength);
  materials::MatCall m = material_call(c, r, materials::kOptInit, r.committed_index());
  run_material(m);
}

void damage(EleCall& c) {
  if (kv::ctl_true(kv::kELASTC)) return;
  const Record r{c.p};
  if (c.lecho && c.typchg) {
    fio::write(6, "('   ELEMENT',T12,' DAMAGE INDEX       F MAX     ','     D MAX          ESE       ',"
                  "'     PSE       ')");
  }
  if (!r.usable()) return;
  materials::MatCall m = material_call(c, r, materials::kOptDamage, r.committed_index());
  m.p = r.rw(kWFmax);
  m.d = r.rw(kWDmax);
  run_material(m);
  if (c.lecho) fio::write(6, "(I10,1P,5E15.6)", c.ielno, m.di, m.p, m.d, m.ese, m.pse);
  // The index weighted by the brace's energy, so that the structure's sum
  // favours the braces that worked.
  c.r3 = (m.ese + m.pse) * m.di;
}

}  // namespace

void ele08(EleCall& c) {
  switch (c.iopt) {
    case kEleCheck: check(c, kBrace); break;
    case kEleGeom: break;
    case kEleStiff: tangent(c, kBrace); break;
    case kEleState: state(c, kBrace); break;
    case kEleCommit: commit(c, kBrace); break;
    case kEleLoads: break;
    case kEleHistWrite: history_write(c, kBrace); break;
    case kEleHistRead: history_read(c, kBrace); break;
    case kEleNState: count_state(c, kBrace); break;
    case kEleEnergy:
    case kEleDuct: ductility(c); break;
    case kEleMaxima: maxima(c, kBrace); break;
    case kEleReset: reset(c); break;
    case kEleDamage: damage(c); break;
    default: invalid_option(c, kBrace); break;
  }
}

}  // namespace elements
