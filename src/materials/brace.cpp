// The brace model and the envelope machinery it shares with the local-buckling
// tube. Everything is worked in the normalised plane H = D/DY, V = P/PY
// (tension positive), where an elastic branch has slope 1. The rule is called
// once per state determination: it classifies the element's trial point,
// resets the force at a change of branch and sets the tangent for the next
// step.
#include "materials/brace.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/globals.h"
#include "fio/fio.h"
#include "materials/model_results.h"

namespace materials {

namespace {

constexpr int kNPropBrace = 9;

// Property words (the tube has words 1-8 alike and no shape).
enum Prop : int { kE = 1, kA, kR, kYS, kPY, kCC, kMaxDuc, kBeta, kShape };

using namespace brace;

constexpr ResultWords kResults{.ese = kEse, .pse = kPse, .duct = kUmax, .ex = kEx};
constexpr PeakWords kPeak{.p = kPMax, .d = kDMax};

constexpr float kPi = 3.1415925f;
constexpr float kD1Slope = 0.267949f;     // the ray V = -0.267949 H that fixes D1
constexpr float kYieldTangent = 0.0001f;  // absolute tangent on the yield plateau
constexpr float kHB = -5.0f;
constexpr float kHCStart = -12.0f;
constexpr float kBuckled = 1.0f;
constexpr float kOverElongated = 2.0f;

int nstate_of(EnvelopeModel m) { return m == EnvelopeModel::brace ? kNState : kNStateTube; }

// Slope (v1 - v)/(h1 - h) of a chord; a chord of no width gets the elastic
// slope 1, so that a point landing on its target forms no infinite tangent.
float chord(float v1, float v, float h1, float h) {
  if (h1 == h) return 1.0f;
  return (v1 - v) / (h1 - h);
}

// Buckling load of the first cycle: inelastic below the slenderness limit,
// Euler above it.
float first_buckling_load(EnvelopeModel m, float slr, const EnvelopeProps& pr) {
  if (slr >= pr.cc) return -kPi * kPi * pr.e * pr.a / (slr * slr);
  if (m == EnvelopeModel::tube) return -pr.ys * pr.a;
  return -(1.0f - slr * slr / (2.0f * pr.cc * pr.cc)) * pr.ys * pr.a;
}

// Buckling load of the cycle. A shape-3 brace in its second cycle keeps its
// own first-cycle load, formed again from its own slenderness.
float buckling_load(EnvelopeModel m, float cycle, float slr, const EnvelopeProps& pr) {
  const float pcr1 = first_buckling_load(m, slr, pr);
  if (cycle == 1.0f) return pcr1;
  if (m == EnvelopeModel::tube) return -0.2f * pr.py;
  const bool slender = slr > 40.0f;
  if (pr.shape == 3) {
    if (cycle == 3.0f) return -(23.4f / slr) * pr.py;
    if (cycle > 3.0f) return -(18.5f / slr) * pr.py;
    return pcr1;
  }
  if (cycle == 2.0f) return -((slender ? 30.0f : 23.4f) / slr) * pr.py;
  if (cycle > 2.0f) return -((slender ? 25.0f : 18.5f) / slr) * pr.py;
  return pcr1;
}

[[noreturn]] void unusable_slenderness(EnvelopeModel m, int ielno, float keff, float len, float r) {
  const bool brace = m == EnvelopeModel::brace;
  fio::write(6, "(/,' ***** ERROR IN ',A,' MATERIAL OF ELEMENT',I6,': SLENDERNESS KEFF*L/R IS NOT "
                "POSITIVE',/,'       KEFF=',1PE12.4,'  L=',E12.4,'  R=',E12.4)",
             brace ? "BRACE" : "LOCBKL", ielno, keff, len, r);
  kv::stop_run(1, brace ? "UNUSABLE BRACE MEMBER DATA" : "UNUSABLE LOCBKL MEMBER DATA");
}

void print_control_points(EnvelopeModel m, float cycle, float rule, float ha, float va, float hb,
                          float vb, float hc, float vc, float hc1, float hd, float vd, float hd1,
                          float vd1, float hh, float vh, float he) {
  if (m == EnvelopeModel::brace) {
    fio::write(6, "(5X,'BRACE HYSTERESIS ENVELOPE CONTROL POINTS....',/,"
                  "5X,'============================================')");
  } else {
    fio::write(6, "(5X,'TUBE HYSTERESIS ENVELOPE CONTROL POINTS....',/,"
                  "5X,'===========================================')");
  }
  fio::write(6, "(5X,'CYCLE    ---------=',F10.4,/,5X,'RULE     ---------=',F10.4,/,"
                "5X,'(HA, VA) ---------=',' ( ',F10.4,',',F10.4,' )',/,"
                "5X,'(HB, VB) ---------=',' ( ',F10.4,',',F10.4,' )',/,"
                "5X,'(HC, VC) ---------=',' ( ',F10.4,',',F10.4,' )',/,"
                "5X,'(HC1, VC1) -------=',' ( ',F10.4,',',F10.4,' )',/,"
                "5X,'(HD, VD) ---------=',' ( ',F10.4,',',F10.4,' )',/,"
                "5X,'(HD1, VD1) -------=',' ( ',F10.4,',',F10.4,' )',/,"
                "5X,'(HH, VH) ---------=',' ( ',F10.4,',',F10.4,' )',/,"
                "5X,'(HE, VE) ---------=',' ( ',F10.4,',',F10.4,' )',/)",
             cycle, rule, ha, va, hb, vb, hc, vc, hc1, 0.0f, hd, vd, hd1, vd1, hh, vh, he, 1.0f);
}

EnvelopeProps props_of(const float* prop, EnvelopeModel m) {
  EnvelopeProps pr;
  pr.e = prop[kE];
  pr.a = prop[kA];
  pr.r = prop[kR];
  pr.ys = prop[kYS];
  pr.py = prop[kPY];
  pr.cc = prop[kCC];
  pr.shape = m == EnvelopeModel::brace ? static_cast<int>(prop[kShape]) : 0;
  return pr;
}

void read_brace_set(MatCall& c) {
  float* prop = prop_words(c);
  std::string name;
  float e = 0.0f, a = 0.0f, r = 0.0f, ys = 0.0f, shape = 0.0f, max_duc = 0.0f, beta = 0.0f;
  read_set_record(c.set, name, e, a, r, ys, shape, max_duc, beta);

  prop[kE] = e;
  prop[kA] = a;
  prop[kR] = r;
  prop[kYS] = ys;
  prop[kPY] = a * ys;
  prop[kCC] = std::sqrt(2.0f * (kPi * kPi) * e / ys);
  prop[kMaxDuc] = max_duc;
  prop[kBeta] = beta;
  prop[kShape] = shape;
  c.nprop = kNPropBrace;

  if (c.new_type || c.debug) {
    fio::write(6, "(/,/,/,'     BRACE HYSTERESIS MODEL PARAMETERS',/,"
                  "'     =================================',/,/,"
                  "'  MAT.',3X,'    E',6X,'    A',6X,'    R',6X,'    YS',6X,' SHAPE',6X,"
                  "'MAX DUC',6X,'  BETA')");
  }
  fio::write(6, "(1X,I5,7E12.6,/)", c.set, e, a, r, ys, shape, max_duc, beta);
  check_envelope_set(EnvelopeModel::brace, c.set, e, a, r, ys, shape);
}

}  // namespace

void check_envelope_set(EnvelopeModel model, int set, float e, float a, float r, float ys,
                        float shape) {
  const bool brace = model == EnvelopeModel::brace;
  const char* name = brace ? "BRACE" : "LOCBKL";
  const char* stop = brace ? "UNUSABLE BRACE MEMBER DATA" : "UNUSABLE LOCBKL MEMBER DATA";
  if (!(e > 0.0f && a > 0.0f && r > 0.0f && ys > 0.0f)) {
    fio::write(6, "(/,' ***** ERROR IN ',A,' MATERIAL SET',I5,': E, A, R AND YS MUST BE "
                  "POSITIVE')",
               name, set);
    kv::stop_run(1, stop);
  }
  if (brace) {
    // The code is truncated when read: 1.0 up to 3.999 are usable.
    if (!(shape >= 1.0f && shape < 4.0f)) {
      fio::write(6, "(/,' ***** ERROR IN ',A,' MATERIAL SET',I5,': SHAPE MUST BE 1, 2 OR 3')",
                 name, set);
      kv::stop_run(1, stop);
    }
  }
}

namespace {

// The envelope's control points in the normalised plane and the slopes of its
// segments. A and C come in as recorded (C at its start until it has moved);
// the rule may move A and C and re-form SAB during the call.
struct ControlPoints {
  float ha, va;    // A: the elastic line reaches the buckling load
  float hb, vb;    // B
  float hc, vc;    // C
  float hc1;       // C1: C-D crosses V = 0
  float hd1, vd1;  // D1: C-E meets the ray V = -0.267949 H
  float hd, vd;    // D: D1 scaled by f/divisor
  float hh, vh;    // H: A-B meets the elastic line through D
  float he;        // E: moved out by the growth (VE = 1)
  float sab, sbc, scd, sde;
  float gf;        // growth factor of the shape
};

// Steps 4.-11.: the control points of the envelope for the slenderness, the
// recorded points A and C (c_moved false: C at its start) and the growth.
ControlPoints control_points(EnvelopeModel model, const EnvelopeProps& pr, float slr, float len,
                             float dy, float ha, float va, bool c_moved, float hc, float vc,
                             float growth) {
  const bool tube = model == EnvelopeModel::tube;
  ControlPoints cp{};

  // 4.-6. Growth factor and points B and C.
  const bool slender = slr > 40.0f;
  // D is D1 scaled by f/divisor.
  float vc_start, f, d_divisor;
  if (tube) {
    cp.gf = 1.4f;
    cp.vb = -0.15f;
    vc_start = -0.1f;
    f = slender ? 20.0f : 31.0f;
    d_divisor = 40.0f;
  } else {
    cp.gf = pr.shape == 1 ? 1.75f : (pr.shape == 2 ? 1.4f : 0.0f);
    if (slender) {
      cp.vb = (pr.shape == 2 ? -11.3f : -18.0f) / slr;
      vc_start = (pr.shape == 2 ? -8.5f : -12.0f) / slr;
    } else {
      cp.vb = -17.0f / slr;
      vc_start = -15.0f / slr;
    }
    f = slender ? (pr.shape == 2 ? 20.0f : 60.0f) : 31.0f;
    d_divisor = slr;
  }
  cp.hb = kHB;
  if (!c_moved) {
    hc = kHCStart;
    vc = vc_start;
  }
  cp.ha = ha;
  cp.va = va;
  cp.hc = hc;
  cp.vc = vc;

  // 7.-9. Point E moved out by the growth, D1 where C-E meets the ray, D.
  cp.he = growth * len / dy + 1.0f;
  const float sce = (1.0f - cp.vc) / (cp.he - cp.hc);
  cp.hd1 = (sce * cp.hc - cp.vc) / (sce + kD1Slope);
  cp.vd1 = -kD1Slope * cp.hd1;
  cp.hd = cp.hd1 * f / d_divisor;
  cp.vd = cp.vd1 * f / d_divisor;

  // 10.-11. Slopes, point H (A-B meets the elastic line through D) and C1
  // (C-D crosses V = 0).
  cp.sab = (cp.vb - cp.va) / (cp.hb - cp.ha);
  cp.sbc = (cp.vc - cp.vb) / (cp.hc - cp.hb);
  cp.scd = (cp.vd - cp.vc) / (cp.hd - cp.hc);
  cp.sde = (1.0f - cp.vd) / (cp.he - cp.hd);
  cp.vh = (cp.sab * (cp.hd - cp.vd - cp.hb) + cp.vb) / (1.0f - cp.sab);
  cp.hh = cp.vh - cp.vd + cp.hd;
  cp.hc1 = cp.hc - cp.vc / cp.scd;
  return cp;
}

// What the rules of one call work on: the trial point, the state words they
// set, the control points and the switches formed before the rules run.
struct RuleContext {
  bool tube;
  float* s;
  float& p;  // the trial force, reset at a change of branch
  float pl, d, dl;
  int ielno;
  float ke, py, dy, slr;
  float h, v, dd, dh;
  float kn;  // tangent of a reloading line, relative to KE
  float& k;
  float& ku;
  float& rule;
  float& cycle;
  float pcr;
  ControlPoints cp;
  bool inner;
  bool region_changed;
  bool g1, g2;  // growth at a new compressive extreme / also with a tensile one on record
  float growth_divisor;
  int entry;      // the rule the call came in on
  float h0, h1;   // the elastic branch on record when the rules start

  void grow(float divisor) {
    s[kGrowth] = (0.55f * std::fabs(d) / divisor + 0.0002f * (d * d)) * cp.gf;
  }

  // Reversal from the envelope onto an elastic branch aimed at line X: the
  // whole step is taken at slope 1 from its start point.
  void reverse_to(float hx, float vx, float sx) {
    const float v0 = v - dh * cp.sab;
    const float hs = h - dh;
    v = v0 + dh;
    p = v * py;
    const float he1 = (hx * sx + (v0 - vx) - hs) / (sx - 1.0f);
    s[kV0] = v0;
    s[kH0] = hs;
    s[kH1] = he1;
    s[kV1] = vx + sx * (he1 - hx);
    k = ke;
    ku = ke;
  }

  // Return from a reloading line onto an elastic branch that starts on line
  // X and ends at the current point.
  void return_to(float hx, float vx, float sx) {
    s[kH1] = h;
    s[kV1] = v;
    const float hs = ((sx * hx - vx) + v - h) / (sx - 1.0f);
    s[kH0] = hs;
    s[kV0] = vx + sx * (hs - hx);
    k = ke;
    inner = true;
    ku = ke;
  }

  void clear_branch() {
    inner = false;
    s[kV0] = 0.0f;
    s[kH0] = 0.0f;
    s[kV1] = 0.0f;
    s[kH1] = 0.0f;
  }

  // Point C follows a deformation pushed beyond it.
  void drag_c() {
    cp.hc = h;
    cp.vc = v;
    s[kHC] = cp.hc;
    s[kVC] = cp.vc;
    s[kCMoved] = 1.0f;
    k = -0.0001f * ke;
    ku = ke * chord(cp.vd, cp.vc, cp.hd, cp.hc);
  }

  // Reloading from here toward the return point (H1, V1) on record.
  void aim_at_return_point(float new_rule) {
    rule = new_rule;
    s[kH0] = h;
    s[kV0] = v;
    kn = chord(s[kV1], v, s[kH1], h);
    k = ke * kn;
    ku = ke * kn;
  }

  // Going on along the envelope segment of slope sx; an inner loop unloads
  // toward its return point.
  void follow_segment(float sx) {
    k = ke * sx;
    if (g2) grow(growth_divisor);
    ku = inner ? ke * chord(s[kV1], v, s[kH1], h) : ke;
  }
};

// --- The elastic rule ---

// Rule 1: elastic between the buckling load and the yield force.
void elastic_rule(RuleContext& c) {
  if (c.p >= c.pcr && c.p < c.py) {
    c.k = c.ke;
    c.ku = c.ke;
    if (c.g1) c.grow(c.growth_divisor);
  } else if (c.p >= c.py) {
    c.k = kYieldTangent;
    c.rule = 6.0f;
    c.ku = c.ke;
  } else {
    // Buckling.
    if (c.tube) {
      c.cp.ha = c.h;
      c.cp.va = c.v;
      c.s[kHA] = c.cp.ha;
      c.s[kVA] = c.cp.va;
      c.cp.sab = (c.cp.vb - c.cp.va) / (c.cp.hb - c.cp.ha);
      c.k = c.ke * c.cp.sab;
    } else {
      c.k = c.ke * c.cp.sab;
      c.p = c.pcr + c.k * (c.d - c.cp.ha * c.dy);
      if (c.s[kEvent] == 0.0f) {
        c.s[kEvent] = kBuckled;
        fio::write(6, "(/,'**** BRACE ELEMENT ',I10,' BUCKLING ','LOAD = ',E15.6)", c.ielno,
                   c.pcr);
      }
    }
    c.rule = 2.0f;
    if (c.g1) c.grow(c.growth_divisor);
    c.ku = c.ke;
  }
}

// --- The compression-side envelope: A-B, B-C, C-D ---

// Rule 2: on A-B.
void rule_on_ab(RuleContext& c) {
  const ControlPoints& cp = c.cp;
  if (c.h < cp.hb) {
    if (c.region_changed) c.inner = false;
    c.rule = 3.0f;
    c.ku = c.ke;
  } else if (c.h < cp.hh) {
    if (c.dd > 0.0f && !c.inner) {
      c.reverse_to(cp.hd, cp.vd, cp.scd);
      c.rule = 8.0f;
    } else if (c.dd > 0.0f) {
      c.s[kH1] = cp.hd;
      c.s[kV1] = cp.vd;
      c.aim_at_return_point(11.0f);
    } else {
      c.follow_segment(cp.sab);
    }
  } else {
    if (c.dd > 0.0f && !c.inner) {
      c.reverse_to(cp.he, 1.0f, cp.sde);
      c.rule = 7.0f;
    } else if (c.dd > 0.0f) {
      c.aim_at_return_point(12.0f);
    } else {
      if (c.region_changed) c.inner = false;
      c.follow_segment(cp.sab);
    }
  }
}

// Rule 3: on B-C.
void rule_on_bc(RuleContext& c) {
  const ControlPoints& cp = c.cp;
  if (c.h <= cp.hc) {
    if (c.dd < 0.0f) {
      c.drag_c();
      if (c.g2) c.grow(c.slr);
    } else if (c.dd > 0.0f) {
      c.rule = 4.0f;
      c.k = c.ke * cp.scd;
      c.ku = c.ke * cp.scd;
    }
  } else if (c.dd > 0.0f) {
    if (c.h <= kHCStart) {
      c.inner = false;
      c.rule = 4.0f;
      c.k = c.ke * cp.scd;
      c.ku = c.ke * cp.scd;
    } else if (!c.inner) {
      c.reverse_to(cp.hd, cp.vd, cp.scd);
      c.rule = 9.0f;
    } else {
      c.aim_at_return_point(10.0f);
    }
  } else {
    if (c.region_changed) c.inner = false;
    c.follow_segment(cp.sbc);
  }
}

// Rule 4: on C-D.
void rule_on_cd(RuleContext& c) {
  const ControlPoints& cp = c.cp;
  if (c.h > cp.hd && c.dd > 0.0f) {
    c.rule = 5.0f;
    c.k = c.ke * cp.sde;
    c.ku = c.ke;
  } else if (c.h < cp.hc) {
    c.inner = false;
    c.rule = 3.0f;
    c.drag_c();
  } else if (c.h < cp.hc1) {
    c.inner = false;
    c.k = c.ke * cp.scd;
    c.ku = c.ke * cp.scd;
  } else if (c.h < cp.hd) {
    if (c.dd < 0.0f) {
      // Where C-D meets the elastic line through B.
      const float hx = (cp.scd * cp.hd + (cp.vb - cp.vd) - cp.hb) / (cp.scd - 1.0f);
      if (c.h >= hx) {
        c.return_to(cp.ha, cp.va, cp.sab);
        c.rule = 8.0f;
      } else {
        c.return_to(cp.hb, cp.vb, cp.sbc);
        c.rule = 9.0f;
      }
    } else {
      c.k = c.ke * cp.scd;
      c.ku = c.ke;
    }
  }
}

// --- The tension side: D-E, the yield plateau, the elastic line toward D-E ---

// Rule 5: on D-E.
void rule_on_de(RuleContext& c) {
  const ControlPoints& cp = c.cp;
  if (c.h >= cp.he && c.dd > 0.0f) {
    c.rule = 6.0f;
    c.k = kYieldTangent;
    c.ku = c.ke;
  } else if (c.h < cp.he && c.dd < 0.0f) {
    // Beyond the meeting of D-E with the elastic line through A.
    if (c.h >= ((cp.vd - cp.hd * cp.sde) - (cp.va - cp.ha)) / (1.0f - cp.sde)) {
      c.cycle += 1.0f;
      c.return_to(cp.ha, cp.va, cp.sab);
      c.rule = 7.0f;
    }
  } else if (c.h < cp.he) {
    c.k = c.ke * cp.sde;
    c.ku = c.ke;
  }
}

// Rule 6: the tension yield plateau.
void rule_on_plateau(RuleContext& c) {
  if (c.dd < 0.0f) {
    c.k = c.ke;
    c.rule = 1.0f;
    c.cycle += 1.0f;
    c.inner = false;
  } else {
    c.k = kYieldTangent;
  }
  c.ku = c.ke;
  if (!c.tube && c.s[kDU] > 0.0f && c.s[kEvent] != kOverElongated && c.d >= c.s[kDU]) {
    c.s[kEvent] = kOverElongated;
  }
}

// Rule 7: elastic toward D-E.
void rule_elastic_toward_de(RuleContext& c) {
  ControlPoints& cp = c.cp;
  float* s = c.s;
  bool onto_ab = false;
  if (c.p <= c.pcr) {
    // Buckling again: A moves.
    c.inner = false;
    s[kH1] = 0.0f;
    s[kV1] = 0.0f;
    s[kH0] = c.h;
    s[kV0] = c.v;
    if (c.tube) {
      cp.ha = c.h;
      cp.va = c.v;
    } else {
      cp.va = c.pcr / c.py;
      cp.ha = cp.va - c.pl / c.py + c.dl / c.dy;
    }
    s[kHA] = cp.ha;
    s[kVA] = cp.va;
    cp.sab = (cp.vb - cp.va) / (cp.hb - cp.ha);
    onto_ab = true;
  }
  if (onto_ab || c.h < c.h0) {
    c.k = c.ke * cp.sab;
    c.rule = 2.0f;
    c.v = c.tube ? s[kV0] - (s[kH0] - c.h) * cp.sab : cp.va + cp.sab * (s[kH0] - cp.ha);
    c.p = c.v * c.py;
    c.ku = c.ke * chord(s[kV1], c.v, s[kH1], c.h);
  } else if (c.h > c.h1) {
    if (c.v >= 1.0f) {
      c.rule = 6.0f;
      c.k = 0.0001f * c.ke;
    } else {
      c.rule = 5.0f;
      c.k = c.ke * cp.sde;
    }
    c.ku = c.ke;
  } else if (c.h > c.h0 && c.h < c.h1) {
    c.k = c.ke;
    c.ku = c.ke;
  }
}

// --- Elastic branches toward C-D and reloading lines ---

// Rules 8 and 9: elastic from A-B (8) or B-C (9) toward C-D.
void rule_elastic_toward_cd(RuleContext& c) {
  const ControlPoints& cp = c.cp;
  if (c.h > c.h1) {
    c.rule = 4.0f;
    c.k = c.ke * cp.scd;
    c.ku = c.ke;
  } else if (c.h < c.h0) {
    const float sx = c.entry == 8 ? cp.sab : cp.sbc;
    c.rule = c.entry == 8 ? 2.0f : 3.0f;
    c.k = c.ke * sx;
    c.v = c.s[kV0] - (c.h0 - c.h) * sx;
    c.p = c.v * c.py;
    c.ku = c.ke * chord(c.s[kV1], c.v, c.h1, c.h);
  } else if (c.h > c.h0 && c.h < c.h1) {
    c.k = c.ke;
    c.ku = c.ke;
  }
}

// Rules 10-12: toward the last return point on C-D (10), toward D (11), toward
// the last return point on D-E (12).
void rule_reloading(RuleContext& c) {
  const ControlPoints& cp = c.cp;
  const int entry = c.entry;
  if (c.h > c.h1) {
    if (entry == 10 || (entry == 11 && c.tube)) {
      c.rule = 4.0f;
      c.k = c.ke * cp.scd;
    } else {
      c.rule = 5.0f;
      c.k = c.ke * cp.sde;
    }
    c.ku = c.ke;
  } else if (c.h < c.h0) {
    c.clear_branch();
    if (entry == 10) {
      c.rule = 3.0f;
      c.k = c.ke * cp.sbc;
      c.ku = c.ke * chord(0.0f, c.v, 0.0f, c.h);
    } else {
      c.rule = 2.0f;
      c.k = c.ke * cp.sab;
      c.ku = c.ke * (entry == 11 ? chord(cp.vd, c.v, cp.hd, c.h) : chord(0.0f, c.v, 0.0f, c.h));
    }
  } else if (c.h > c.h0 && c.h < c.h1) {
    c.ku = c.ke * c.kn;
  }
}

}  // namespace

void envelope_rule(EnvelopeModel model, float& p, float pl, float d, float dl, float* s,
                   const EnvelopeProps& pr, bool debug, int ielno) {
  const bool tube = model == EnvelopeModel::tube;

  // 1. The quantities of this call. The element writes 1.0 for a length it
  // cannot use; a length that never came is taken as 1.0 as well.
  const bool inner = s[kInner] == 1.0f;
  const float len = s[kLength] > 0.0f ? s[kLength] : 1.0f;
  const float ke = pr.e * pr.a / len;
  const float py = pr.py;
  const float dy = py / ke;
  s[kDY] = dy;
  const float slr = s[kKeff] * len / pr.r;
  if (!(slr > 0.0f)) unusable_slenderness(model, ielno, s[kKeff], len, pr.r);
  const float h = d / dy;
  const float dd = d - dl;
  float* umax = s + kUmax;
  float* ex = s + kEx;

  // 2. The force changed sign: the excursion is over.
  if (p * pl <= 0.0f) ductex(0, umax, ex, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);

  // 3. Buckling load; point A lies where the elastic line reaches it.
  const float pcr = buckling_load(model, s[kCycle], slr, pr);
  if (s[kCycle] == 1.0f) {
    s[kVA] = pcr / py;
    s[kHA] = tube ? s[kVA] : pcr / (ke * dy);
  }

  // 4.-11. The control points; C starts at its place until it has moved.
  const bool c_moved = s[kCMoved] != 0.0f;
  const ControlPoints cp = control_points(model, pr, slr, len, dy, s[kHA], s[kVA], c_moved,
                                          s[kHC], s[kVC], s[kGrowth]);
  if (!c_moved) {
    s[kHC] = cp.hc;
    s[kVC] = cp.vc;
  }

  // 12. Region of the deformation.
  s[kRegionPrev] = s[kRegion];
  if (h >= cp.ha) {
    s[kRegion] = 1.0f;
  } else if (h >= cp.hh) {
    s[kRegion] = 2.0f;
  } else if (h >= cp.hb) {
    s[kRegion] = 3.0f;
  } else if (h >= cp.hc) {
    s[kRegion] = 4.0f;
  }
  const bool region_changed = s[kRegion] != s[kRegionPrev];

  if (debug) {
    print_control_points(model, s[kCycle], s[kRule], cp.ha, cp.va, cp.hb, cp.vb, cp.hc, cp.vc,
                         cp.hc1, cp.hd, cp.vd, cp.hd1, cp.vd1, cp.hh, cp.vh, cp.he);
  }

  // Growth of the member after compressive excursions. G1 grows at a new
  // compressive extreme, G2 also whenever a tensile extreme is on record.
  const float dext = s[kDExt];
  const bool g1 = dext < 0.0f && d <= dext;
  const bool g2 = dext > 0.0f || g1;

  const float rule_in = s[kRule];
  const int entry = (rule_in >= 1.0f && rule_in <= 12.0f) ? static_cast<int>(rule_in) : 0;
  RuleContext c{.tube = tube,
                .s = s,
                .p = p,
                .pl = pl,
                .d = d,
                .dl = dl,
                .ielno = ielno,
                .ke = ke,
                .py = py,
                .dy = dy,
                .slr = slr,
                .h = h,
                .v = p / py,
                .dd = dd,
                .dh = dd / dy,
                .kn = s[kK] / ke,
                .k = s[kK],
                .ku = s[kKU],
                .rule = s[kRule],
                .cycle = s[kCycle],
                .pcr = pcr,
                .cp = cp,
                .inner = inner,
                .region_changed = region_changed,
                .g1 = g1,
                .g2 = g2,
                .growth_divisor = tube ? 40.0f : slr,
                .entry = entry,
                .h0 = s[kH0],
                .h1 = s[kH1]};

  // 14. The rules.
  switch (entry) {
    case 1: elastic_rule(c); break;
    case 2: rule_on_ab(c); break;
    case 3: rule_on_bc(c); break;
    case 4: rule_on_cd(c); break;
    case 5: rule_on_de(c); break;
    case 6: rule_on_plateau(c); break;
    case 7: rule_elastic_toward_de(c); break;
    case 8:
    case 9: rule_elastic_toward_cd(c); break;
    case 10:
    case 11:
    case 12: rule_reloading(c); break;
    default: break;  // no such rule: only the flag and the energy below
  }

  // A step that reaches the tension plateau from another branch carries the
  // yield force: the element's elastic prediction would otherwise stay above PY
  // with no unbalanced force left to correct it (twice PY for a step of 2 DY).
  if (c.rule == 6.0f && entry != 6 && p > py) p = py;

  s[kInner] = c.inner ? 1.0f : 0.0f;
  enrgy(s + kEse, s[kPse], s[kCse], p, pl, d, dl, c.k, c.ku);
  if (entry == 1) {
    ductex(1, umax, ex, dy, std::fabs(d), s[kEse], s[kPse], s[kCse], s[kEY]);
  } else if (entry >= 2 && entry <= 6 && std::fabs(d) > std::fabs(s[kDExt])) {
    ductex(1, umax, ex, dy, std::fabs(d), s[kEse], s[kPse], s[kCse], s[kEY]);
    s[kDExt] = d;
  }
}

void hyst08(float& p, float pl, float d, float dl, float* s, const EnvelopeProps& pr, bool debug,
            int ielno) {
  envelope_rule(EnvelopeModel::brace, p, pl, d, dl, s, pr, debug, ielno);
}

void envelope_driver(MatCall& c, EnvelopeModel model, void (*read_set)(MatCall&)) {
  const int nstate = nstate_of(model);
  c.nstate = nstate;
  switch (c.iopt) {
    case kOptNState:
      break;
    case kOptRead:
      read_set(c);
      break;
    case kOptInit: {
      float* s = state_words(c);
      const float* prop = prop_words(c);
      s[kK] = 1.0f;
      s[kCycle] = 1.0f;
      s[kRule] = 1.0f;
      std::fill(s + kInner, s + kEY + 1, 0.0f);
      s[kGrowth] = 0.0f;
      s[kDExt] = 0.0f;
      s[kRegion] = 1.0f;
      s[kRegionPrev] = 1.0f;
      float p = 0.0f;
      envelope_rule(model, p, 0.0f, 0.0f, 0.0f, s, props_of(prop, model), c.debug, c.ielno);
      s[kEY] = s[kDY] * prop[kPY] / 2.0f;
      s[kDU] = s[kDY] * prop[kMaxDuc];
      s[kDMax] = 0.0f;
      s[kPMax] = 0.0f;
      // The tube's state ends at word 39: the event words are the brace's only.
      if (model == EnvelopeModel::brace) {
        s[kEvent] = 0.0f;
        s[kBuckleShown] = 0.0f;
        s[kElongShown] = 0.0f;
      }
      break;
    }
    case kOptState: {
      float* s = state_words(c);
      envelope_rule(model, c.p, c.pl, c.d, c.dl, s, props_of(prop_words(c), model), c.debug,
                    c.ielno);
      track_peak(s, kPeak, c.p, c.d);
      store_results(c, s, kResults);
      break;
    }
    case kOptResults:
      store_results(c, state_words(c), kResults);
      break;
    case kOptDamage: {
      const float* s = state_words(c);
      const float* prop = prop_words(c);
      park_ang_damage(c, s, kResults, kPeak, s[kDU], prop[kBeta], prop[kPY]);
      break;
    }
    default:
      break;
  }
}

void mat08(MatCall& c) { envelope_driver(c, EnvelopeModel::brace, read_brace_set); }

}  // namespace materials
