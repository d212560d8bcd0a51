#include "members/steel/steel_fibre_laws.h"

#include <cmath>

namespace members {

namespace {

// The common rule of IELAS 0 and of law 3: elastic, no state change.
FibreStep elastic_step(const SteelLaw& law, SteelFibre s, float de) {
  s.sig += law.em * de;
  return {s, law.em};
}

}  // namespace

float ramberg_osgood_tangent(const SteelLaw& law, float x) {
  const float ir = static_cast<float>(law.ir);
  // IR 0 has no curvature term; |x|^-1 at x = 0 would make it 0 * inf.
  const float term = law.ir == 0 ? 0.0f : ir * law.ratio3 * std::pow(std::fabs(x), ir - 1.0f);
  const float et = law.em / (1.0f + term);
  // A parameter set without a finite tangent (IR < 0 at zero stress, YS 0)
  // gives the fibre no stiffness rather than a NaN in the section sums.
  return std::isfinite(et) ? et : 0.0f;
}

FibreStep tangs0(const SteelLaw& law, SteelFibre s, float de, float eps, float et_held) {
  if (law.elastic) return elastic_step(law, s, de);
  const float ep = law.ratio3 * law.em;
  if (s.iyld == 0.0f) {
    if (s.e2 < eps && eps < s.e1) return elastic_step(law, s, de);
    if (de >= 0.0f && eps > s.e1) {
      const float x = eps - s.e1;  // the part beyond the bound
      s.sig += law.em * (de - x) + ep * x;
      s.e1 = eps;
      s.e2 = eps - 2.0f * law.ey;
      s.iyld = 1.0f;
      return {s, ep};
    }
    if (de <= 0.0f && eps < s.e2) {
      const float x = eps - s.e2;
      s.sig += law.em * (de - x) + ep * x;
      s.e2 = eps;
      s.e1 = eps + 2.0f * law.ey;
      s.iyld = 2.0f;
      return {s, ep};
    }
    // On a bound, or beyond it while moving back into the band: the strain
    // still changes, so the stress must follow it elastically.
    return elastic_step(law, s, de);
  }
  if (s.iyld == 1.0f) {
    if (de < 0.0f) {
      s.iyld = 0.0f;
      return elastic_step(law, s, de);
    }
    s.e1 = eps;
    s.e2 = eps - 2.0f * law.ey;
    s.sig += ep * de;
    return {s, ep};
  }
  if (s.iyld == 2.0f) {
    if (de > 0.0f) {
      s.iyld = 0.0f;
      return elastic_step(law, s, de);
    }
    s.e2 = eps;
    s.e1 = eps + 2.0f * law.ey;
    s.sig += ep * de;
    return {s, ep};
  }
  return {s, et_held};
}

FibreStep tangs1(const SteelLaw& law, SteelFibre s, float de, float eps) {
  if (law.elastic) return elastic_step(law, s, de);
  const float et = (s.e2 < eps && eps < s.e1) ? law.em : law.ratio3 * law.em;
  s.sig += et * de;
  return {s, et};
}

FibreStep tangs2(const SteelLaw& law, SteelFibre s, float de, float eps, bool setup,
                 float et_held) {
  (void)eps;
  if (law.elastic) return elastic_step(law, s, de);
  float& ks = s.flw[0];
  float& sr0 = s.flw[1];
  float& si = s.flw[2];
  float& k0 = s.flw[3];
  float& sr = s.flw[4];
  const float ys = law.ys;
  auto et_of = [&](float x) { return ramberg_osgood_tangent(law, x); };
  // Stress measure on the inner branch, from SI back toward SR.
  auto inner = [&](float sig) { return sr != si ? (sig - si) / (sr - si) : 0.0f; };
  if (setup) {
    ks = 1.0f;
    k0 = 1.0f;
    sr = 0.0f;
    si = 0.0f;
    return {s, et_of(s.sig / ys)};
  }
  float et = et_held;
  if (ks == 1.0f) {
    et = et_of((s.sig - sr) / ys);
    if (s.iyld * de < 0.0f) {  // the loading direction reverses
      k0 = 1.0f;
      sr0 = sr;
      sr = s.sig;
      ks = 2.0f;
      et = et_of((s.sig - sr) / (2.0f * ys));
    }
    s.sig += et * de;
    s.iyld = de;
  } else if (ks == 2.0f) {
    et = et_of((s.sig - sr) / (2.0f * ys));
    if (s.iyld * de < 0.0f) {
      si = s.sig;
      const bool inside = sr > 0.0f ? (sr - 2.0f * ys <= si && si < sr)
                                    : (sr < 0.0f && sr < si && si <= sr + 2.0f * ys);
      const bool beyond = sr > 0.0f ? si < sr - 2.0f * ys : (sr < 0.0f && si > sr + 2.0f * ys);
      if (inside) {
        ks = 3.0f;
        et = et_of(inner(s.sig));
      } else if (beyond) {  // a new Masing branch from this reversal
        k0 = 2.0f;
        sr0 = sr;
        sr = s.sig;
        ks = 2.0f;
        et = et_of(0.0f);
      }
    }
    s.sig += et * de;
    s.iyld = de;
  } else if (ks == 3.0f) {
    // The step runs on the tangent of this fibre's own entry stress.
    s.sig += et_of(inner(s.sig)) * de;
    et = et_of(inner(s.sig));
    s.iyld = de;
    if (sr > 0.0f) {
      if (s.sig < si) {
        ks = 2.0f;
      } else if (s.sig >= sr) {
        ks = k0;
        sr = sr0;
      }
    } else if (sr < 0.0f) {
      if (s.sig > si) {
        ks = 2.0f;
      } else if (s.sig <= sr) {
        ks = k0;
        sr = sr0;
      }
    }
  }
  return {s, et};
}

FibreStep tangs3(const SteelLaw& law, SteelFibre s, float de, float /*eps*/) {
  return elastic_step(law, s, de);
}

FibreStep steel_fibre_law(const SteelLaw& law, const SteelFibre& s, float de, float eps,
                          float et_held, bool setup) {
  switch (law.imater) {
    case kLawBilinear: return tangs0(law, s, de, eps, et_held);
    case kLawTwoSlopes: return tangs1(law, s, de, eps);
    case kLawRambergOsgood: return tangs2(law, s, de, eps, setup, et_held);
    case kLawElastic: return tangs3(law, s, de, eps);
    default: return {s, et_held};
  }
}

}  // namespace members
