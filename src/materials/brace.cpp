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

constexpr int kNStateBrace = 42;
constexpr int kNStateTube = 39;
constexpr int kNPropBrace = 9;

// Property words (the tube has words 1-8 alike and no shape).
enum Prop : int { kE = 1, kA, kR, kYS, kPY, kCC, kMaxDuc, kBeta, kShape };

// State words.
enum State : int {
  kK = 1,
  kKeff = 2,
  kCycle = 3,
  kRule = 4,
  kLength = 5,
  kInner = 6,
  kCMoved = 7,
  kV0 = 8,
  kH0 = 9,
  kV1 = 10,
  kH1 = 11,
  kKU = 12,
  kUmax = 13,    // 13-15
  kEx = 16,      // 16-21
  kDY = 22,
  kEse = 23,     // 23-25
  kPse = 26,
  kCse = 27,
  kEY = 28,
  kDU = 29,
  kDMax = 30,
  kPMax = 31,
  kHA = 32,
  kVA = 33,
  kHC = 34,
  kVC = 35,
  kGrowth = 36,
  kDExt = 37,
  kRegion = 38,
  kRegionPrev = 39,
  kEvent = 40,
  kBuckleShown = 41,
  kElongShown = 42,
};

constexpr ResultWords kResults{.ese = kEse, .pse = kPse, .duct = kUmax, .ex = kEx};
constexpr PeakWords kPeak{.p = kPMax, .d = kDMax};

constexpr float kPi = 3.1415925f;
constexpr float kD1Slope = 0.267949f;     // the ray V = -0.267949 H that fixes D1
constexpr float kYieldTangent = 0.0001f;  // absolute tangent on the yield plateau
constexpr float kHB = -5.0f;
constexpr float kHCStart = -12.0f;
constexpr float kBuckled = 1.0f;
constexpr float kOverElongated = 2.0f;

int nstate_of(EnvelopeModel m) { return m == EnvelopeModel::brace ? kNStateBrace : kNStateTube; }

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

void envelope_rule(EnvelopeModel model, float& p, float pl, float d, float dl, float* s,
                   const EnvelopeProps& pr, bool debug, int ielno) {
  const bool tube = model == EnvelopeModel::tube;

  // 1. The quantities of this call. The element writes 1.0 for a length it
  // cannot use; a length that never came is taken as 1.0 as well.
  bool inner = s[kInner] == 1.0f;
  const float len = s[kLength] > 0.0f ? s[kLength] : 1.0f;
  const float ke = pr.e * pr.a / len;
  const float py = pr.py;
  const float dy = py / ke;
  s[kDY] = dy;
  const float slr = s[kKeff] * len / pr.r;
  if (!(slr > 0.0f)) unusable_slenderness(model, ielno, s[kKeff], len, pr.r);
  const float h = d / dy;
  float v = p / py;
  const float dd = d - dl;
  const float dh = dd / dy;
  float kn = s[kK] / ke;
  float& k = s[kK];
  float& ku = s[kKU];
  float& rule = s[kRule];
  float& cycle = s[kCycle];
  float* umax = s + kUmax;
  float* ex = s + kEx;

  // 2. The force changed sign: the excursion is over.
  if (p * pl <= 0.0f) ductex(0, umax, ex, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);

  // 3. Buckling load; point A lies where the elastic line reaches it.
  const float pcr = buckling_load(model, cycle, slr, pr);
  if (cycle == 1.0f) {
    s[kVA] = pcr / py;
    s[kHA] = tube ? s[kVA] : pcr / (ke * dy);
  }

  // 4.-6. Growth factor and points B and C.
  const bool slender = slr > 40.0f;
  // D is D1 scaled by f/divisor.
  float gf, vb, vc_start, f, d_divisor;
  if (tube) {
    gf = 1.4f;
    vb = -0.15f;
    vc_start = -0.1f;
    f = slender ? 20.0f : 31.0f;
    d_divisor = 40.0f;
  } else {
    gf = pr.shape == 1 ? 1.75f : (pr.shape == 2 ? 1.4f : 0.0f);
    if (slender) {
      vb = (pr.shape == 2 ? -11.3f : -18.0f) / slr;
      vc_start = (pr.shape == 2 ? -8.5f : -12.0f) / slr;
    } else {
      vb = -17.0f / slr;
      vc_start = -15.0f / slr;
    }
    f = slender ? (pr.shape == 2 ? 20.0f : 60.0f) : 31.0f;
    d_divisor = slr;
  }
  const float hb = kHB;
  if (s[kCMoved] == 0.0f) {
    s[kHC] = kHCStart;
    s[kVC] = vc_start;
  }
  float ha = s[kHA];
  float va = s[kVA];
  float hc = s[kHC];
  float vc = s[kVC];

  // 7.-9. Point E moved out by the growth, D1 where C-E meets the ray, D.
  const float he = s[kGrowth] * len / dy + 1.0f;
  const float sce = (1.0f - vc) / (he - hc);
  const float hd1 = (sce * hc - vc) / (sce + kD1Slope);
  const float vd1 = -kD1Slope * hd1;
  const float hd = hd1 * f / d_divisor;
  const float vd = vd1 * f / d_divisor;

  // 10.-11. Slopes, point H (A-B meets the elastic line through D) and C1
  // (C-D crosses V = 0).
  float sab = (vb - va) / (hb - ha);
  const float sbc = (vc - vb) / (hc - hb);
  const float scd = (vd - vc) / (hd - hc);
  const float sde = (1.0f - vd) / (he - hd);
  const float vh = (sab * (hd - vd - hb) + vb) / (1.0f - sab);
  const float hh = vh - vd + hd;
  const float hc1 = hc - vc / scd;

  // 12. Region of the deformation.
  s[kRegionPrev] = s[kRegion];
  if (h >= ha) {
    s[kRegion] = 1.0f;
  } else if (h >= hh) {
    s[kRegion] = 2.0f;
  } else if (h >= hb) {
    s[kRegion] = 3.0f;
  } else if (h >= hc) {
    s[kRegion] = 4.0f;
  }
  const bool region_changed = s[kRegion] != s[kRegionPrev];

  if (debug) {
    print_control_points(model, cycle, rule, ha, va, hb, vb, hc, vc, hc1, hd, vd, hd1, vd1, hh, vh,
                         he);
  }

  // Growth of the member after compressive excursions. G1 grows at a new
  // compressive extreme, G2 also whenever a tensile extreme is on record.
  const float growth_divisor = tube ? 40.0f : slr;
  const float dext = s[kDExt];
  const bool g1 = dext < 0.0f && d <= dext;
  const bool g2 = dext > 0.0f || g1;
  auto grow = [&](float divisor) {
    s[kGrowth] = (0.55f * std::fabs(d) / divisor + 0.0002f * (d * d)) * gf;
  };

  // Reversal from the envelope onto an elastic branch aimed at line X: the
  // whole step is taken at slope 1 from its start point.
  auto reverse_to = [&](float hx, float vx, float sx) {
    const float v0 = v - dh * sab;
    const float h0 = h - dh;
    v = v0 + dh;
    p = v * py;
    const float h1 = (hx * sx + (v0 - vx) - h0) / (sx - 1.0f);
    s[kV0] = v0;
    s[kH0] = h0;
    s[kH1] = h1;
    s[kV1] = vx + sx * (h1 - hx);
    k = ke;
    ku = ke;
  };
  // Return from a reloading line onto an elastic branch that starts on line
  // X and ends at the current point.
  auto return_to = [&](float hx, float vx, float sx) {
    s[kH1] = h;
    s[kV1] = v;
    const float h0 = ((sx * hx - vx) + v - h) / (sx - 1.0f);
    s[kH0] = h0;
    s[kV0] = vx + sx * (h0 - hx);
    k = ke;
    inner = true;
    ku = ke;
  };
  auto clear_branch = [&] {
    inner = false;
    s[kV0] = 0.0f;
    s[kH0] = 0.0f;
    s[kV1] = 0.0f;
    s[kH1] = 0.0f;
  };
  // Point C follows a deformation pushed beyond it.
  auto drag_c = [&] {
    hc = h;
    vc = v;
    s[kHC] = hc;
    s[kVC] = vc;
    s[kCMoved] = 1.0f;
    k = -0.0001f * ke;
    ku = ke * chord(vd, vc, hd, hc);
  };
  // Reloading from here toward the return point (H1, V1) on record.
  auto aim_at_return_point = [&](float new_rule) {
    rule = new_rule;
    s[kH0] = h;
    s[kV0] = v;
    kn = chord(s[kV1], v, s[kH1], h);
    k = ke * kn;
    ku = ke * kn;
  };
  // Going on along the envelope segment of slope sx; an inner loop unloads
  // toward its return point.
  auto follow_segment = [&](float sx) {
    k = ke * sx;
    if (g2) grow(growth_divisor);
    ku = inner ? ke * chord(s[kV1], v, s[kH1], h) : ke;
  };

  // 14. The rules.
  const int entry = (rule >= 1.0f && rule <= 12.0f) ? static_cast<int>(rule) : 0;
  const float h0 = s[kH0];
  const float h1 = s[kH1];
  switch (entry) {
    case 1:  // elastic
      if (p >= pcr && p < py) {
        k = ke;
        ku = ke;
        if (g1) grow(growth_divisor);
      } else if (p >= py) {
        k = kYieldTangent;
        rule = 6.0f;
        ku = ke;
      } else {
        // Buckling.
        if (tube) {
          ha = h;
          va = v;
          s[kHA] = ha;
          s[kVA] = va;
          sab = (vb - va) / (hb - ha);
          k = ke * sab;
        } else {
          k = ke * sab;
          p = pcr + k * (d - ha * dy);
          if (s[kEvent] == 0.0f) {
            s[kEvent] = kBuckled;
            fio::write(6, "(/,'**** BRACE ELEMENT ',I10,' BUCKLING ','LOAD = ',E15.6)", ielno,
                       pcr);
          }
        }
        rule = 2.0f;
        if (g1) grow(growth_divisor);
        ku = ke;
      }
      break;

    case 2:  // on A-B
      if (h < hb) {
        if (region_changed) inner = false;
        rule = 3.0f;
        ku = ke;
      } else if (h < hh) {
        if (dd > 0.0f && !inner) {
          reverse_to(hd, vd, scd);
          rule = 8.0f;
        } else if (dd > 0.0f) {
          s[kH1] = hd;
          s[kV1] = vd;
          aim_at_return_point(11.0f);
        } else {
          follow_segment(sab);
        }
      } else {
        if (dd > 0.0f && !inner) {
          reverse_to(he, 1.0f, sde);
          rule = 7.0f;
        } else if (dd > 0.0f) {
          aim_at_return_point(12.0f);
        } else {
          if (region_changed) inner = false;
          follow_segment(sab);
        }
      }
      break;

    case 3:  // on B-C
      if (h <= hc) {
        if (dd < 0.0f) {
          drag_c();
          if (g2) grow(slr);
        } else if (dd > 0.0f) {
          rule = 4.0f;
          k = ke * scd;
          ku = ke * scd;
        }
      } else if (dd > 0.0f) {
        if (h <= kHCStart) {
          inner = false;
          rule = 4.0f;
          k = ke * scd;
          ku = ke * scd;
        } else if (!inner) {
          reverse_to(hd, vd, scd);
          rule = 9.0f;
        } else {
          aim_at_return_point(10.0f);
        }
      } else {
        if (region_changed) inner = false;
        follow_segment(sbc);
      }
      break;

    case 4:  // on C-D
      if (h > hd && dd > 0.0f) {
        rule = 5.0f;
        k = ke * sde;
        ku = ke;
      } else if (h < hc) {
        inner = false;
        rule = 3.0f;
        drag_c();
      } else if (h < hc1) {
        inner = false;
        k = ke * scd;
        ku = ke * scd;
      } else if (h < hd) {
        if (dd < 0.0f) {
          // Where C-D meets the elastic line through B.
          const float hx = (scd * hd + (vb - vd) - hb) / (scd - 1.0f);
          if (h >= hx) {
            return_to(ha, va, sab);
            rule = 8.0f;
          } else {
            return_to(hb, vb, sbc);
            rule = 9.0f;
          }
        } else {
          k = ke * scd;
          ku = ke;
        }
      }
      break;

    case 5:  // on D-E
      if (h >= he && dd > 0.0f) {
        rule = 6.0f;
        k = kYieldTangent;
        ku = ke;
      } else if (h < he && dd < 0.0f) {
        // Beyond the meeting of D-E with the elastic line through A.
        if (h >= ((vd - hd * sde) - (va - ha)) / (1.0f - sde)) {
          cycle += 1.0f;
          return_to(ha, va, sab);
          rule = 7.0f;
        }
      } else if (h < he) {
        k = ke * sde;
        ku = ke;
      }
      break;

    case 6:  // tension yield plateau
      if (dd < 0.0f) {
        k = ke;
        rule = 1.0f;
        cycle += 1.0f;
        inner = false;
      } else {
        k = kYieldTangent;
      }
      ku = ke;
      if (!tube && s[kDU] > 0.0f && s[kEvent] != kOverElongated && d >= s[kDU]) {
        s[kEvent] = kOverElongated;
      }
      break;

    case 7: {  // elastic toward D-E
      bool onto_ab = false;
      if (p <= pcr) {
        // Buckling again: A moves.
        inner = false;
        s[kH1] = 0.0f;
        s[kV1] = 0.0f;
        s[kH0] = h;
        s[kV0] = v;
        if (tube) {
          ha = h;
          va = v;
        } else {
          va = pcr / py;
          ha = va - pl / py + dl / dy;
        }
        s[kHA] = ha;
        s[kVA] = va;
        sab = (vb - va) / (hb - ha);
        onto_ab = true;
      }
      if (onto_ab || h < h0) {
        k = ke * sab;
        rule = 2.0f;
        v = tube ? s[kV0] - (s[kH0] - h) * sab : va + sab * (s[kH0] - ha);
        p = v * py;
        ku = ke * chord(s[kV1], v, s[kH1], h);
      } else if (h > h1) {
        if (v >= 1.0f) {
          rule = 6.0f;
          k = 0.0001f * ke;
        } else {
          rule = 5.0f;
          k = ke * sde;
        }
        ku = ke;
      } else if (h > h0 && h < h1) {
        k = ke;
        ku = ke;
      }
      break;
    }

    case 8:  // elastic from A-B toward C-D
    case 9:  // elastic from B-C toward C-D
      if (h > h1) {
        rule = 4.0f;
        k = ke * scd;
        ku = ke;
      } else if (h < h0) {
        const float sx = entry == 8 ? sab : sbc;
        rule = entry == 8 ? 2.0f : 3.0f;
        k = ke * sx;
        v = s[kV0] - (h0 - h) * sx;
        p = v * py;
        ku = ke * chord(s[kV1], v, h1, h);
      } else if (h > h0 && h < h1) {
        k = ke;
        ku = ke;
      }
      break;

    case 10:  // toward the last return point on C-D
    case 11:  // toward D
    case 12:  // toward the last return point on D-E
      if (h > h1) {
        if (entry == 10 || (entry == 11 && tube)) {
          rule = 4.0f;
          k = ke * scd;
        } else {
          rule = 5.0f;
          k = ke * sde;
        }
        ku = ke;
      } else if (h < h0) {
        clear_branch();
        if (entry == 10) {
          rule = 3.0f;
          k = ke * sbc;
          ku = ke * chord(0.0f, v, 0.0f, h);
        } else {
          rule = 2.0f;
          k = ke * sab;
          ku = ke * (entry == 11 ? chord(vd, v, hd, h) : chord(0.0f, v, 0.0f, h));
        }
      } else if (h > h0 && h < h1) {
        ku = ke * kn;
      }
      break;

    default:  // no such rule: only the flag and the energy below
      break;
  }

  // A step that reaches the tension plateau from another branch carries the
  // yield force: the element's elastic prediction would otherwise stay above PY
  // with no unbalanced force left to correct it (twice PY for a step of 2 DY).
  if (rule == 6.0f && entry != 6 && p > py) p = py;

  s[kInner] = inner ? 1.0f : 0.0f;
  enrgy(s + kEse, s[kPse], s[kCse], p, pl, d, dl, k, ku);
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
