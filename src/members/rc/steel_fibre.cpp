#include "members/rc/steel_fibre.h"

#include <cmath>
#include <span>

#include "base/globals.h"
#include "fio/fio.h"
#include "members/rc/concrete_fibre.h"
#include "members/rc/rc_section_head.h"

namespace members::rc {

namespace {

namespace ss = steel_state;

// Tension strain of the bars that raises code 3.5.
constexpr float kRebarStrain = 0.015f;

// Leaves the band at its upper limit: elastic up to E1, hardening beyond.
void yield_tension(SteelFibre& f, float eps, float de, const SteelLaw& law, float& et) {
  const float over = eps - f.e1;
  f.stress += (de - over) * law.em + over * law.esh;
  et = law.esh;
  f.e1 = eps;
  f.e2 = eps - 2.0f * law.ey;
  f.fstate = ss::kYieldingTension;
}

void yield_compression(SteelFibre& f, float eps, float de, const SteelLaw& law, float& et) {
  const float over = eps - f.e2;
  f.stress += (de - over) * law.em + over * law.esh;
  et = law.esh;
  f.e2 = eps;
  f.e1 = eps + 2.0f * law.ey;
  f.fstate = ss::kYieldingCompression;
}

void elastic(SteelFibre& f, float de, const SteelLaw& law, float& et) {
  et = law.em;
  f.stress += law.em * de;
  f.fstate = ss::kElastic;
}

}  // namespace

SteelStep steel_fibre(SteelFibre& f, float eps, float de, const SteelLaw& law, float& et) {
  if (f.fstate == ss::kYieldingTension) {
    if (de >= 0.0f) {
      f.e1 = eps;
      f.e2 = eps - 2.0f * law.ey;
      et = law.esh;
      f.stress += law.esh * de;
      return SteelStep::kHardenTension;
    }
    // A reversal across the whole band yields at its lower limit.
    if (eps < f.e2) {
      yield_compression(f, eps, de, law, et);
      return SteelStep::kYieldCompression;
    }
    elastic(f, de, law, et);
    return SteelStep::kUnloading;
  }
  if (f.fstate == ss::kYieldingCompression) {
    if (de <= 0.0f) {
      f.e2 = eps;
      f.e1 = eps + 2.0f * law.ey;
      et = law.esh;
      f.stress += law.esh * de;
      return SteelStep::kHardenCompression;
    }
    if (eps > f.e1) {
      yield_tension(f, eps, de, law, et);
      return SteelStep::kYieldTension;
    }
    elastic(f, de, law, et);
    return SteelStep::kUnloading;
  }
  // Elastic state; a step that ends exactly on a band limit is still elastic.
  if (f.e2 <= eps && eps <= f.e1) {
    elastic(f, de, law, et);
    return SteelStep::kElastic;
  }
  if (de >= 0.0f && eps > f.e1) {
    yield_tension(f, eps, de, law, et);
    return SteelStep::kYieldTension;
  }
  if (de <= 0.0f && eps < f.e2) {
    yield_compression(f, eps, de, law, et);
    return SteelStep::kYieldCompression;
  }
  // Outside the band and moving back towards it, which no history of this law
  // leads to: the fibre moves elastically rather than freezing its stress.
  elastic(f, de, law, et);
  return SteelStep::kUnloading;
}

namespace {


FibreRange steel_range(const SteelSection& s, int nump) {
  switch (s.imater) {
    case kCircularShell: return {4 * s.n1 + 1, 8 * s.n1};
    case kCircularBars: return {nump - s.nbar1 + 1, nump};
    case kRectangular: return {nump - (s.nbar1 + s.nbar2 + 2 * s.nbar3) + 1, nump};
    default: return {};
  }
}

void buckling_message(const SteelSection& s, const SectionFibres& fb, int k) {
  fio::write(6, "(/,'***%','MEMBER ',I3,'SEG. ',I5,'STEEL ELE. ',I5,'STRAIN=',E15.6,'AT ISTEP ',I5,/,"
                "'     WHICH EXCEEDS BUCKLING STRAIN (ECR) OF ',E15.6)",
             s.ielno, fb.iseg, k, fb.strain[fb.col(k)], kv::solsta().istep, s.ecr);
}

// Codes of a yielding step: tension strain 0.015 and the ultimate strain
// upward; buckling and the ultimate strain downward.
void yielding_codes(const SteelSection& s, const SectionFibres& fb, int k, const SteelFibre& f, bool tension,
                    const MemberLimits& m) {
  if (tension) {
    if (f.e1 > kRebarStrain) m.raise(kFlagRebarStrain, 3.5f);
    if (f.e1 > s.esu) m.raise(kFlagSteelUltimate, 7.0f);
  } else {
    if (s.ecr != 0.0f && m.lsonce[kFlagBuckling] == 0.0f && std::fabs(f.e2) >= s.ecr) {
      m.raise(kFlagBuckling, 6.0f);
      buckling_message(s, fb, k);
    }
    if (f.e2 < -s.esu) m.raise(kFlagSteelUltimate, 7.0f);
  }
}

void trace(const SteelSection& s, const SectionFibres& fb, FibreRange r) {
  if (s.nend == 0)
    fio::write(6, "('1','TENGENT STIFFNESS FOR MEMBER ',I3,'SEGMENT ',I5,':')", s.ielno, fb.iseg);
  else
    fio::write(6, "('1','TENGENT STIFFNESS FOR MEMBER ',I3,'SEGMENT ',I5,'NODAL END ',I2,':')", s.ielno, fb.iseg,
               s.nend);
  fio::write(6, "(1X,5E15.6)",
             std::span<const float>(fb.et + fb.col(r.first), static_cast<std::size_t>(r.last - r.first + 1)));
  fio::write(6, "(/,4X,'SEG.         E1             E2            DE            E0')");
  for (int k = r.first; k <= r.last; ++k) {
    const std::size_t a = fb.at(k);
    fio::write(6, "(1X,I5,4E15.6)", k, fb.e1[a], fb.e2[a], fb.de[a], fb.e0[a]);
  }
}

}  // namespace

void stltan(const SteelSection& s, const SectionFibres& fb, const MemberLimits& m) {
  if (s.imater == kCircularBars && s.nbar1 == 0) return;
  if (s.imater == kRectangular && s.nbar1 == 0 && s.nbar2 == 0 && s.nbar3 == 0) return;
  const FibreRange r = steel_range(s, fb.nump);

  if (s.ielas == 0) {
    for (int k = r.first; k <= r.last; ++k) {
      fb.et[fb.col(k)] = s.law.em;
      fb.stress[fb.at(k)] += s.law.em * fb.de[fb.at(k)];
    }
    return;
  }

  const bool nodal_end = s.nend != 0;
  for (int k = r.first; k <= r.last; ++k) {
    const std::size_t a = fb.at(k);
    SteelFibre f{fb.stress[a], fb.e1[a], fb.e2[a], fb.fstate[a]};
    const SteelStep step = steel_fibre(f, fb.strain[fb.col(k)], fb.de[a], s.law, fb.et[fb.col(k)]);
    fb.stress[a] = f.stress;
    fb.e1[a] = f.e1;
    fb.e2[a] = f.e2;
    fb.fstate[a] = f.fstate;

    switch (step) {
      case SteelStep::kElastic:
        if (s.splice > 0.0f && s.fslap < s.ys && f.stress >= s.fslap && m.lsonce[kFlagLapSplice] == 0.0f) {
          if (!nodal_end) {
            m.lsonce[kFlagLapSplice] = 1.0f;
          } else if (s.ke == 0.0f) {
            *m.flp = 11.0f;
            m.lsonce[kFlagLapSplice] = 1.0f;
          }
        }
        break;
      case SteelStep::kYieldTension:
      case SteelStep::kYieldCompression:
        m.raise(kFlagFirstYield, 1.0f);
        if (nodal_end) yielding_codes(s, fb, k, f, step == SteelStep::kYieldTension, m);
        break;
      case SteelStep::kHardenTension:
      case SteelStep::kHardenCompression:
        if (nodal_end) m.raise(kFlagFirstYield, 1.0f);
        yielding_codes(s, fb, k, f, step == SteelStep::kHardenTension, m);
        break;
      default:
        break;
    }
  }
  if (s.debug) trace(s, fb, r);
}

}  // namespace members::rc
