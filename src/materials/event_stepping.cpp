#include "materials/event_stepping.h"

#include <cmath>

#include "fio/fio.h"

namespace materials {

namespace {

struct Probe {
  float p;
  float d;
};

// A point a small way into what is left of the step, so that the rule sees the
// direction the step takes from (pl, dl); a step too short to split is probed at its end.
Probe probe(float p, float d, float pl, float dl, const StepperSpec& spec) {
  if (std::fabs(p - pl) <= spec.t1 * std::fabs(p + pl)) return {p, d};
  return {pl + spec.t2 * (p - pl), dl + spec.t2 * (d - dl)};
}

}  // namespace

float event_step(MatCall& c, const StepperSpec& spec, EventModel& model) {
  float* s = state_words(c);
  const float d = c.d;
  float p = c.p;
  float k = s[1];
  int icyc = 0;
  for (;;) {
    k = s[1];
    p = c.pl + k * (d - c.dl);
    const float a = model.limit(s[spec.limit_word], p, c.pl);
    ++icyc;
    if (c.debug) model.trace_pass(k, a, p, icyc);
    if (icyc > spec.max_passes) {
      fio::write_list(6, spec.message, c.ielno);
      break;
    }

    const float pl = c.pl;
    if (d == c.dl || (pl <= p && p < a) || (pl >= p && p > a)) {
      if (c.debug) fio::write_list(6, "C----- IS P WITH IN LIMITS ? ");
      model.book(p, pl, d, c.dl);
      model.rule(p, d, pl, c.dl, RuleCall::kWithin);
      break;
    }

    if (k != 0.0f && ((pl <= a && a <= p) || (pl >= a && a >= p))) {
      const float pi = a;
      const float di = c.dl + (a - pl) / k;
      model.book(pi, pl, di, c.dl);
      c.pl = pi;
      c.dl = di;
      const Probe pr = probe(p, d, c.pl, c.dl, spec);
      if (c.debug) {
        fio::write_list(6, "C----- IS P GREATER THAN LIMITS ? ");
        fio::write_list(6, "PL,DL=", c.pl, c.dl);
        fio::write_list(6, "PI,DI=", pr.p, pr.d);
      }
      model.rule(pr.p, pr.d, c.pl, c.dl, RuleCall::kProbe);
      continue;
    }

    if ((p < pl && pl <= a) || (p > pl && pl >= a)) {
      const Probe pr = probe(p, d, c.pl, c.dl, spec);
      if (c.debug) {
        fio::write_list(6, "C----- IS P LESS THAN LIMITS ? ");
        fio::write_list(6, "PI,DI=", pr.p, pr.d);
      }
      model.rule(pr.p, pr.d, c.pl, c.dl, RuleCall::kProbe);
      continue;
    }
    // Only a zero tangent (p == pl) gets here: nothing moves.
    break;
  }
  c.p = p;
  return k;
}

}  // namespace materials
