#include "members/rc/concrete_fibre.h"

#include <cmath>
#include <span>

#include "base/globals.h"
#include "fio/fio.h"
#include "members/rc/rc_section_head.h"

namespace members::rc {

namespace {

namespace cs = concrete_state;

// The compression strain from which the splice limit looks at the concrete.
constexpr float kSpliceStrain = 0.002f;
// The strain at which the cover's falling line starts.
constexpr float kCoverLimit = 0.004f;

void envelope(ConcreteFibre& f, float eps, const ConcreteLaw& law, float& et) {
  concrete_envelope(law.env, eps, f.stress, et);
  f.e2 = eps;
  f.fstate = cs::kEnvelope;
}

// The cover's falling line through the envelope point at -ECU with the
// envelope's slope at 0.004.
float spalling_line(const ConcreteLaw& law, float eps, float& et_u) {
  float sigma_u = 0.0f;
  concrete_envelope(law.env, -kCoverLimit, sigma_u, et_u);
  return (eps + law.ecu) * et_u + sigma_u;
}

void reload(ConcreteFibre& f, float de, const ConcreteLaw& law, float& et) {
  et = law.ec;
  f.stress += law.ec * de;
}

// The crack of a fibre in tension; after compression history the crack strain
// is where the unloading line of slope `slope` reaches the tensile strength.
void crack(ConcreteFibre& f, float slope, float state, float& et) {
  f.e1 = slope != 0.0f ? f.e2 + (f.c51 - f.c53) / slope : f.e2;
  f.c52 = 0.0f;
  f.c51 = 0.0f;
  et = kNoStiffness;
  f.stress = 0.0f;
  f.fstate = state;
}

// Back at the envelope from unloading or crack closing: the cover that had
// already passed ECU goes on along its falling line.
void back_to_envelope(ConcreteFibre& f, float eps, const ConcreteLaw& law, float& et, ConcreteEvents& ev) {
  if (law.cover && f.e2 <= -law.ecu) {
    ev.spalled = true;
    float et_u = 0.0f;
    f.stress = spalling_line(law, eps, et_u);
    et = et_u;
    f.e2 = eps;
    f.fstate = cs::kEnvelope;
  } else {
    envelope(f, eps, law, et);
  }
}

// Slope of the crack-closing line from (E1, C52) to (E2, C53); a line of no
// length carries no stiffness.
float closing_slope(const ConcreteFibre& f) {
  return f.e1 != f.e2 ? (f.c52 - f.c53) / (f.e1 - f.e2) : 0.0f;
}

}  // namespace

void concrete_envelope(const ConcreteEnvelope& env, float eps, float& stress, float& et) {
  const float x = -eps / env.ecc;
  const float xr = std::pow(x, env.r);
  const float d = xr + env.r - 1.0f;
  stress = -env.fccp * x * env.r / d;
  et = (env.r * env.fccp / env.ecc) * (1.0f / d - env.r * xr / (d * d));
}

ConcreteEvents concrete_fibre(ConcreteFibre& f, float eps, float de, const ConcreteLaw& law, float& et) {
  ConcreteEvents ev;
  const float state = f.fstate;

  if (state == cs::kEnvelope) {
    if (de <= 0.0f && eps < 0.0f) {
      if (!law.cover || eps > -law.ecu) {
        envelope(f, eps, law, et);
        if (!law.cover && eps <= -law.ecu) ev.beyond_ecu = true;
      } else {
        ev.spalled = true;
        float et_u = 0.0f;
        f.e2 = eps;
        f.stress = spalling_line(law, eps, et_u);
        et = et_u;
        if (f.stress >= 0.0f) {
          et = kNoStiffness;
          f.stress = 0.0f;
          f.fstate = cs::kCrushed;
        }
      }
      if (-eps >= kSpliceStrain) ev.splice_strain = true;
    } else if (eps <= 0.0f && de > 0.0f) {
      // Reversal from compression; a strain that lands exactly on zero is one
      // too, so that the fibre does not keep its compression stress there.
      f.e2 = eps - de;
      f.c53 = f.stress;
      f.fstate = cs::kUnloading;
      reload(f, de, law, et);
    } else if (eps > 0.0f && eps < f.e1) {
      f.e2 = 0.0f;
      f.c53 = 0.0f;
      reload(f, de, law, et);
      f.fstate = cs::kTension;
    } else if (eps > 0.0f && eps > f.e1) {
      et = kNoStiffness;
      f.stress = 0.0f;
      f.e2 = f.c53 = f.c52 = f.c51 = 0.0f;
      f.fstate = cs::kCracked;
    }
  } else if (state == cs::kUnloading) {
    if (de > 0.0f) {
      reload(f, de, law, et);
      if (f.stress > 0.0f && f.stress < f.c51)
        f.fstate = cs::kTensionAfter;
      else if (f.stress > 0.0f)
        crack(f, law.ec, cs::kCrackedAfter, et);
    } else if (de < 0.0f && eps > f.e2) {
      reload(f, de, law, et);
    } else if (de < 0.0f) {
      back_to_envelope(f, eps, law, et, ev);
    }
  } else if (state == cs::kTensionAfter || state == cs::kTension) {
    const bool after = state == cs::kTensionAfter;
    if (de < 0.0f) {
      reload(f, de, law, et);
      if (f.stress < 0.0f) f.fstate = after ? cs::kUnloading : cs::kEnvelope;
    } else if (de > 0.0f) {
      reload(f, de, law, et);
      if (f.stress > 0.0f && f.stress >= f.c51) crack(f, law.ec, after ? cs::kCrackedAfter : cs::kCracked, et);
    }
  } else if (state == cs::kCrackedAfter || state == cs::kCracked) {
    if (eps >= f.e1) {
      f.stress = 0.0f;
      et = kNoStiffness;
    } else if (de <= 0.0f && state == cs::kCrackedAfter) {
      f.fstate = cs::kClosingAfter;
      et = closing_slope(f);
      f.stress = (eps - f.e1) * et;
      if (et == 0.0f) et = kNoStiffness;
    } else if (de <= 0.0f) {
      f.fstate = cs::kClosing;
      et = kNoStiffness;
      f.stress = 0.0f;
    }
  } else if (state == cs::kClosingAfter) {
    const float s = closing_slope(f);
    if (de > 0.0f) {
      et = s;
      f.stress += s * de;
      if (f.stress > 0.0f && f.stress >= f.c51) crack(f, s, cs::kCrackedAfter, et);
    } else if (de < 0.0f && eps > f.e2) {
      et = s;
      f.stress += s * de;
    } else if (de < 0.0f) {
      back_to_envelope(f, eps, law, et, ev);
    }
    if (et == 0.0f) et = kNoStiffness;
  } else if (state == cs::kClosing) {
    if (f.e2 < eps && eps < f.e1) {
      et = kNoStiffness;
      f.stress = 0.0f;
    } else if (eps >= f.e1 && de > 0.0f) {
      et = kNoStiffness;
      f.stress = 0.0f;
      f.fstate = cs::kCracked;
    } else if (eps <= f.e2 && de < 0.0f) {
      envelope(f, eps, law, et);
    }
  } else if (state == cs::kCrushed) {
    et = kNoStiffness;
    f.stress = 0.0f;
  }
  return ev;
}

void concrete_ranges(const ConcreteSection& s, int nump, FibreRange& cover, FibreRange& core) {
  const int nq = s.n1;
  switch (s.imater) {
    case kCircularShell:
      cover = {1, 4 * nq};
      core = {8 * nq + 1, nump};
      break;
    case kCircularBars:
      cover = {1, 4 * nq};
      core = {4 * nq + 1, nump - s.nbar1};
      break;
    case kRectangular:
      cover = {4 * nq * s.n2 + 1, nump - (s.nbar1 + s.nbar2 + 2 * s.nbar3)};
      core = {1, 4 * nq * s.n2};
      break;
    default:
      cover = core = {};
      break;
  }
}

namespace {

void properties_header(const ConcreteSection& s, int iseg, const char* what) {
  if (s.nend == 0)
    fio::write(6, "(//,'ELEMENT NO. ',I5,' SEG NO. ',I5,A)", s.ielno, iseg, what);
  else
    fio::write(6, "(//,'ELEMENT NO. ',I5,' SEG NO. ',I5,'NODALPT=',I2,A)", s.ielno, iseg, s.nend, what);
}

void crushing_message(const ConcreteSection& s, const SectionFibres& fb, int k, float ecu, const ConcreteLaw& law) {
  const float eps = fb.strain[fb.col(k)];
  fio::write(6, "('***%','MEMBER ',I3,'SEG. ',I5,'ELE. ',I5,'STRAIN=',E15.6,'AT ISTEP ',I5,/,"
                "'     WHICH EXCEEDS ECU of ',E15.6)",
             s.ielno, fb.iseg, k, eps, kv::solsta().istep, ecu);
  fio::write(6, "(4X,'STRESS =   ',E15.6,/,4X,'STRAIN =   ',E15.6,/,4X,'FCCP   =   ',E15.6,/,"
                "4X,'ECC    =   ',E15.6)",
             fb.stress[fb.at(k)], eps, law.env.fccp, law.env.ecc);
}

void run_range(const ConcreteSection& s, const SectionFibres& fb, FibreRange r, const ConcreteLaw& law,
               const MemberLimits& m) {
  for (int k = r.first; k <= r.last; ++k) {
    const std::size_t a = fb.at(k);
    ConcreteFibre f{fb.stress[a], fb.fstate[a], fb.e1[a], fb.e2[a], fb.c51[a], fb.c52[a], fb.c53[a]};
    const float eps = fb.strain[fb.col(k)];
    const ConcreteEvents ev = concrete_fibre(f, eps, fb.de[a], law, fb.et[fb.col(k)]);
    fb.stress[a] = f.stress;
    fb.fstate[a] = f.fstate;
    fb.e1[a] = f.e1;
    fb.e2[a] = f.e2;
    fb.c51[a] = f.c51;
    fb.c52[a] = f.c52;
    fb.c53[a] = f.c53;

    if (ev.spalled) m.raise(kFlagCoverSpalling, 3.0f);
    if (ev.beyond_ecu && m.raise(kFlagCoreCrushing, 5.0f)) crushing_message(s, fb, k, law.ecu, law);
    if (ev.splice_strain && s.splice > 0.0f && s.ys <= s.fslap && m.lsonce[kFlagLapSplice] == 0.0f) {
      if (s.nend == 0) {
        m.lsonce[kFlagLapSplice] = 11.0f;  // the splice failed by concrete strain
      } else if (law.cover && s.conf.ke == 0.0f) {
        *m.flp = 11.0f;
        m.lsonce[kFlagLapSplice] = 1.0f;
      }
    }
  }
}

void trace_lines(const SectionFibres& fb, FibreRange r) {
  fio::write(6, "(/,4X,'SEG.     STRESS         STRAIN         STIFFNESS    BACKBONE ')");
  for (int k = r.first; k <= r.last; ++k) {
    const std::size_t a = fb.at(k);
    fio::write(6, "(1X,I5,3X,E15.6,3X,3E15.6)", k, fb.stress[a], fb.e0[a], fb.et[fb.col(k)], fb.fstate[a]);
  }
}

void trace(const ConcreteSection& s, const SectionFibres& fb) {
  FibreRange shown{1, 0};
  switch (s.imater) {
    case kCircularShell: shown = {1, 4 * s.n1}; break;
    case kCircularBars: shown = {1, fb.nump - s.nbar1}; break;
    case kRectangular: shown = {1, fb.nump - (s.nbar1 + s.nbar2 + 2 * s.nbar3)}; break;
    default: return;
  }
  if (s.nend == 0)
    fio::write(6, "('1','TENGENT STIFFNESS FOR MEMBER ',I3,'SEGMENT ',I5,':')", s.ielno, fb.iseg);
  else
    fio::write(6, "('1','TENGENT STIFFNESS FOR MEMBER ',I3,'SEGMENT ',I5,'NODAL END ',I2,':')", s.ielno, fb.iseg,
               s.nend);
  if (shown.last >= shown.first)
    fio::write(6, "(1X,5E15.6)",
               std::span<const float>(fb.et, static_cast<std::size_t>(shown.last)));
  trace_lines(fb, shown);
  if (s.imater == kCircularShell) trace_lines(fb, {8 * s.n1 + 1, fb.nump});
}

}  // namespace

void contan(const ConcreteSection& s, const SectionFibres& fb, float& ecu, const MemberLimits& m) {
  FibreRange cover, core;
  concrete_ranges(s, fb.nump, cover, core);

  if (s.ielas == 0) {
    for (FibreRange r : {cover, core}) {
      for (int k = r.first; k <= r.last; ++k) {
        fb.et[fb.col(k)] = s.conf.ec;
        fb.stress[fb.at(k)] += s.conf.ec * fb.de[fb.at(k)];
      }
    }
    return;
  }

  const float saved_ecu = ecu;
  if (s.debug && s.setup) properties_header(s, fb.iseg, " UNCONFINED CONCRETE PROTERTIES:");
  ConfinementInput unconfined = s.conf;
  unconfined.ke = 0.0f;
  ConcreteLaw law{confin(unconfined, ecu, s.setup, s.debug), s.conf.ec, ecu, true};
  run_range(s, fb, cover, law, m);
  ecu = saved_ecu;

  if (s.debug && s.setup) properties_header(s, fb.iseg, " CONFINED CONCRETE PROTERTIES:");
  law.env = confin(s.conf, ecu, s.setup, s.debug);
  law.ecu = ecu;
  law.cover = false;
  run_range(s, fb, core, law, m);

  if (s.debug) trace(s, fb);
}

}  // namespace members::rc
