#include "materials/axlmod.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "fio/fio.h"
#include "materials/event_stepping.h"
#include "materials/model_echo.h"
#include "materials/model_results.h"
#include "materials/rules.h"

namespace materials {

using namespace axl;

namespace {

constexpr ResultWords kResults{.ese = kEse, .pse = kPse, .duct = kUp, .un = kUn, .ex = kEx};
constexpr PeakWords kPeak{.p = kPeakP, .d = kPeakD};

constexpr StepperSpec kSpec{kA, 5, "MORE THAN 5 CYCLES IN MAT02,  IELNO:", 0.005f, 0.01f};

// ---------------------------------------------------------------- input
void read_set(MatCall& c) {
  float* prop = prop_words(c);
  std::string name;
  float kc = 0.0f, kt1 = 0.0f, kt2 = 0.0f, py = 0.0f, alpha = 0.0f, beta = 0.0f;
  float maxduct = 0.0f, betadi = 0.0f;
  read_set_record(c.set, name, kc, kt1, kt2, py, alpha, beta, maxduct, betadi);

  c.nprop = kNProp;
  prop[kKc] = kc;
  prop[kKt1] = kt1;
  prop[kKt2] = kt2;
  prop[kPy] = py;
  prop[kAlpha] = alpha;
  prop[kBeta] = beta;
  // A zero stiffness or yield force would make these infinite; the set is used
  // as given (with a warning) and the derived words stay finite.
  prop[kDyt] = quot(py, kt1);
  prop[kDyc] = -quot(py, kc);
  prop[kEy] = quot(py * py, 2.0f * kt1);
  prop[kDu] = maxduct * prop[kDyt];
  prop[kBetaDi] = betadi;

  if (c.new_type || c.debug) {
    write_model_title(3, "AXLMOD HYSTERESIS MODEL- FOR UNIT LENGTH MEMBER");
    fio::write_record(6, "");
    fio::write(6,
               "('  MAT.',6X,'   SC',10X,'  ST1',10X,'  ST2',10X,'   PY',10X,'ALPHA',10X,"
               "' BETA',6X,'MAX DUCT.',7X,'BETA-DI')");
  }
  fio::write(6, "(1X,I5,8E15.6)", c.set, kc, kt1, kt2, py, alpha, beta, maxduct, betadi);
  fio::write_record(6, "");
  if (!(kc > 0.0f && kt1 > 0.0f && py > 0.0f)) {
    fio::write(6, "(1X,'*** WARNING - AXLMOD SET',I5,': SC, ST1 AND PY SHOULD BE POSITIVE,',"
                  "' SET USED AS GIVEN')",
               c.set);
  }
}

// ---------------------------------------------------------------- results
void results(MatCall& c) { store_results(c, state_words(c), kResults); }

void damage(MatCall& c) {
  const float* s = state_words(c);
  const float* prop = prop_words(c);
  store_peak(c, s, kResults, kPeak);
  const float du = prop[kDu];
  c.di = quot(std::fabs(s[kPeakD]), du) + quot(prop[kBetaDi] * c.pse, prop[kPy] * du);
}

// ---------------------------------------------------------------- rule trace
void trace_rule(float p, float d, float pl, float dl, float v, float vl, const float* s,
                const float* prop) {
  fio::write(6,
             "(' AXLMOD-P=',E13.5,'    D=',E13.5,'   PL=',E13.5,'   DL=',E13.5/"
             "' AX-    V=',E13.5,'   VL=',E13.5,'    S=',E13.5,' HRLN=',E13.5/"
             "' AX-   KC=',E13.5,'  KT1=',E13.5,'  KT2=',E13.5,'   PY=',E13.5/"
             "' AX-ALPHA=',E13.5,' BETA=',E13.5,'  DYT=',E13.5,'  DYC=',E13.5/"
             "' AX- FMAX=',E13.5,' DMAX=',E13.5,'   FX=',E13.5,'   DX=',E13.5/"
             "' AX-   FP=',E13.5,'   DP=',E13.5,'   KR=',E13.5,'   KS=',E13.5/"
             "' AX-   KT=',E13.5,'  NRL=',E13.5,'    A=',E13.5,'  SEQ=',E13.5/"
             "' AX-  ESE=',E13.5,'  PSE=',E13.5,' PSEO=',E13.5,'  CSE=',E13.5/"
             "' AX-  UP1=',E13.5,'  UP2=',E13.5,'  UP3=',E13.5/"
             "' AX-  UN1=',E13.5,'  UN2=',E13.5,'  UN3=',E13.5/"
             "' AX-  EX1=',E13.5,'  EX2=',E13.5,'  EX3=',E13.5/"
             "' AX-  EX4=',E13.5,'  EX5=',E13.5,'  EX6=',E13.5)",
             p, d, pl, dl, v, vl, s[kS], s[kHrln], prop[kKc], prop[kKt1], prop[kKt2], prop[kPy],
             prop[kAlpha], prop[kBeta], prop[kDyt], prop[kDyc], s[3], s[4], s[5], s[6], s[7], s[8],
             s[9], s[10], s[11], s[12], s[13], s[14], s[kEse + 2], s[kPse], s[kCse], prop[kEy],
             s[kUp], s[kUp + 1], s[kUp + 2], s[kUn], s[kUn + 1], s[kUn + 2], s[kEx], s[kEx + 1],
             s[kEx + 2], s[kEx + 3], s[kEx + 4], s[kEx + 5]);
}

// Force and deformation where the line through (d1, p1) with slope k1 meets the
// line through (d2, p2) with slope k2.
struct Meet {
  float p;
  float d;
};
Meet meet(float d1, float p1, float k1, float d2, float p2, float k2) {
  Meet m;
  intsct(m.d, m.p, d1, p1, k1, d2, p2, k2);
  return m;
}

// ---------------------------------------------------------------- the walk
class AxialWalk final : public EventModel {
 public:
  explicit AxialWalk(MatCall& c) : c_(c), s_(state_words(c)), prop_(prop_words(c)) {}

  float limit(float a, float p, float /*pl*/) override {
    // A spring that no rule has seen yet takes the trial force as its limit.
    return (s_[kA] == 0.0f && s_[kHrln] == 0.0f) ? p : a;
  }
  void rule(float p, float d, float pl, float dl, RuleCall from) override {
    if (from == RuleCall::kWithin) {
      hyst02(p, d, pl, dl, c_.v, c_.vl, s_, prop_, c_.debug, idr_);
    } else {
      hyst02(p, d, pl, dl, 1.0f, 1.0f, s_, prop_, c_.debug, idr_);
    }
    c_.v = c_.vl;
  }
  void book(float p, float pl, float d, float dl) override {
    enrgy(&s_[kEse], s_[kPse], s_[kCse], p, pl, d, dl, s_[kS], s_[kSeq]);
  }
  void trace_pass(float k, float a, float p, int icyc) override {
    fio::write_list(6, "STIFF=", k, "   A=", a, "   IDR=", idr_);
    fio::write_list(6, "    P=", p, "ICYC=", icyc);
  }

 private:
  MatCall& c_;
  float* s_;
  const float* prop_;
  int idr_ = 999;  // shown on the first pass, before any rule call has set it
};

void state_determination(MatCall& c) {
  float* s = state_words(c);
  if (c.debug) {
    fio::write_list(6, "------------- IN MAT02 ---- IELNO:", c.ielno);
    fio::write_list(6, std::string(34, '-'));
    fio::write_list(6, "A:", s[kA]);
    fio::write_list(6, "  P,D=", c.p, c.d, "  V=", c.v);
    fio::write_list(6, "PL,DL=", c.pl, c.dl, " VL=", c.vl);
  }
  AxialWalk walk(c);
  const float k = event_step(c, kSpec, walk);
  if (c.d > s[kPeakD]) {
    s[kPeakD] = c.d;
    s[kPeakP] = c.p;
  }
  if (c.debug) fio::write_list(6, "STIFF=", k, "   A=", s[kA]);
  results(c);
}

}  // namespace

// ---------------------------------------------------------------- HYST02
void hyst02(float p, float d, float pl, float dl, float v, float vl, float* s, const float* prop,
            bool debug, int& idr) {
  if (debug) trace_rule(p, d, pl, dl, v, vl, s, prop);

  const float kc = prop[kKc], kt1 = prop[kKt1], kt2 = prop[kKt2], py = prop[kPy];
  const float alpha = prop[kAlpha], beta = prop[kBeta], dyt = prop[kDyt], dyc = prop[kDyc];
  const float ey = prop[kEy];
  float& sk = s[kS];
  float& hrln = s[kHrln];
  float& fmax = s[kFmax];
  float& dmax = s[kDmax];
  float& fx = s[kFx];
  float& dx = s[kDx];
  float& fp = s[kFp];
  float& dp = s[kDp];
  float& kr = s[kKr];
  float& ks = s[kKs];
  float& kt = s[kKt];
  float& nrl = s[kNrl];
  float& a = s[kA];
  float& seq = s[kSeq];

  if (nrl == 0.0f) {
    if (p > 0.0f) {
      nrl = 2.0f;
      hrln = 2.1f;
      sk = kt1;
    } else {
      nrl = 1.0f;
      hrln = 1.1f;
      sk = kc;
    }
    seq = kc;
    a = p;
    return;
  }
  if (p == pl || d == dl) return;

  const bool up = p > pl;
  const bool dn = p < pl;

  // Tension excursions only; the compression side is never rated.
  if (pl > 0.0f && p * pl <= 0.0f) {
    ductex(0, &s[kUp], &s[kEx], dyt, d, s[kEse], s[kPse], s[kCse], ey);
  }
  if (pl <= 0.0f && p * pl <= 0.0f) {
    s[kEx + 3] = 0.0f;
    s[kEx + 4] = 0.0f;
    s[kEx + 5] = 0.0f;
  }
  if (up && p > 0.0f) {
    ductex(1, &s[kUp], &s[kEx], dyt, d, s[kEse + 1], s[kPse], s[kCse], ey);
  }

  int i1 = 0, i2 = 0;
  ldir(idr, i1, i2, p, pl, v, vl);

  int rule = (nrl >= 1.0f && nrl < 14.0f) ? static_cast<int>(nrl) : 1;

  auto branch = [&](float stiff, float n, float h, float lim) {
    sk = stiff;
    nrl = n;
    hrln = h;
    a = lim;
  };
  // The envelope of the largest tension excursion, from the peak reached now.
  auto envelope = [&]() {
    fmax = std::max(p, fmax);
    dmax = std::max(d, dmax);
    const float ratio = quot(dmax, dyt);
    kr = ratio > 0.0f ? kc * std::pow(ratio, -alpha) : kc;
    fx = fmax - py;
    dx = dmax - quot(py, kr);
    ks = quot(py + fx, dx - dyc);
  };

  // Each rule either sets a branch and returns, or hands over to another rule
  // with the same point; the hand-overs never come back round with the same force.
  for (int hops = 0; hops < 64; ++hops) {
    switch (rule) {
      case 1:  // compression, elastic
        seq = kc;
        if (p <= 0.0f) {
          branch(kc, 1.0f, 1.1f, dn ? std::min(10.0f * p, -2.0f * py) : 0.0f);
          return;
        }
        rule = 2;
        continue;

      case 2:  // tension, elastic
        if (idr <= 0 && pl > 0.0f) {
          fmax = std::max(p, fmax);
          dmax = std::max(d, dmax);
          fx = fmax - py;
          dx = dmax - quot(py, kc);
          branch(kc, 3.0f, 2.2f, fx);
          return;
        }
        if (p < py) {
          branch(kt1, 2.0f, 2.1f, py);
          return;
        }
        rule = 6;
        continue;

      case 3:  // elastic unloading from tension
        if (up) {
          rule = 5;
          continue;
        }
        if (p <= 0.0f) {
          const Meet y = kc == kt1 ? Meet{p, d} : meet(d, p, kc, dx, fx, kt1);
          if (p > y.p) {
            branch(kc, 3.0f, 3.11f, y.p);
          } else {
            branch(kt1, 4.0f, 3.12f, py);
          }
          return;
        }
        if (p < fmax) {
          branch(kc, 3.0f, 3.2f, fx);
          return;
        }
        rule = 2;
        continue;

      case 4:  // compression on KT1
        if (idr <= 0) {
          rule = 5;
          continue;
        }
        if (std::fabs(p) < py) {
          branch(kt1, 4.0f, 4.1f, -py);
          return;
        }
        rule = 1;
        continue;

      case 5: {  // reloading on KC between the two tension lines
        Meet y1{p, d}, y2{p, d};
        if (kc != kt1) {
          y1 = meet(d, p, kc, dyt, py, kt1);
          y2 = meet(d, p, kc, dx, fx, kt1);
        }
        if (p <= y2.p) {  // the unloading tail of rule 3
          if (p < fmax) {
            branch(kc, 3.0f, 3.2f, fx);
            return;
          }
          rule = 2;
          continue;
        }
        if (p < y1.p) {
          branch(kc, 5.0f, 5.1f, up ? y1.p : y2.p);
          return;
        }
        if (p < py) {  // the tension tail of rule 2
          branch(kt1, 2.0f, 2.1f, py);
          return;
        }
        rule = 6;
        continue;
      }

      case 6:  // tension beyond yield
        envelope();
        if (idr >= 1) {
          if (ks > kr) kr = quot(fmax + py, dmax - dyc);
          branch(kt2, 6.0f, 6.1f, 5.0f * p);
          seq = kr;
          return;
        }
        if (ks > kr) {
          kr = quot(fmax + py, dmax - dyc);
          ks = kr;
          dx = dmax - quot(py, kr);
        }
        dp = dyc + beta * (dx - dyc);
        fp = fx - ks * (dx - dp);
        kt = quot(2.0f * py + fp, dp - 2.0f * dyc);
        branch(kr, 7.0f, 6.2f, fx);
        return;

      case 7:  // unloading on KR
        seq = kr;
        if (idr >= 1) {
          if (p < fmax) {
            branch(kr, 7.0f, 7.1f, fmax);
            return;
          }
          rule = 6;
          continue;
        }
        if (p > fx) {
          branch(kr, 7.0f, 7.2f, fx);
          return;
        }
        rule = 8;
        continue;

      case 8:  // toward the pinching point on KS
        if (up) {
          rule = kr == ks ? 12 : 13;
          continue;
        }
        if (p > fp) {
          branch(ks, 8.0f, 8.1f, fp);
          return;
        }
        rule = 9;
        continue;

      case 9:  // toward (2 DYC, -2 PY) on KT
        if (up) {
          rule = 13;
          continue;
        }
        if (p > -2.0f * py) {
          branch(kt, 9.0f, 9.1f, -2.0f * py);
          return;
        }
        rule = 10;
        continue;

      case 10:  // compression on KC
        // The energy stiffness of the pinched loop; at zero force it is not defined
        // and the previous value is kept.
        if (p != 0.0f) {
          const float r = quot(py, p);
          seq = quot(1.0f, r * r * (quot(4.0f, kr) - quot(4.0f, kc)) + quot(1.0f, kc));
        }
        if (idr >= 1) {
          branch(kc, 10.0f, 10.1f, 10.0f * p);
          return;
        }
        if (std::fabs(p) > py) {
          branch(kc, 10.0f, 10.2f, -py);
          return;
        }
        rule = 11;
        continue;

      case 11:  // unloading from compression on KR
        seq = kr;
        if (std::fabs(p) > py) {
          rule = 10;
          continue;
        }
        if (p >= 0.0f) {
          rule = 12;
          continue;
        }
        branch(kr, 11.0f, 11.1f, up ? 0.0f : -py);
        return;

      case 12:  // reloading in tension on KS toward FMAX
        if (dn) {
          rule = (ks == kr && p > fp) ? 8 : 13;
          continue;
        }
        if (p >= fmax) {
          rule = 6;
          continue;
        }
        branch(ks, 12.0f, 12.1f, fmax);
        return;

      case 13: {  // inner loop on KR
        Meet y1{p, d}, y2{p, d};
        if (kr == ks) {
          if (up) {
            rule = 12;
            continue;
          }
        } else {
          y1 = meet(d, p, kr, dmax, fmax, ks);
          y2 = meet(d, p, kr, dx, fx, ks);
        }
        float slope = kr;
        if (!(y2.p > fp)) {
          if (kc == kt) {
            if (dn) {
              rule = 9;
              continue;
            }
            y2 = Meet{p, d};
          } else {
            y2 = meet(d, p, kc, dp, fp, kt);
          }
          if (dn && kr == ks) {
            rule = 8;
            continue;
          }
          slope = kt;
        }
        if (up) {
          if (p > y1.p) {
            rule = 12;
            continue;
          }
          a = y1.p;
          hrln = 13.1f;
        }
        if (dn) {
          if (p < y2.p) {
            rule = 8;
            continue;
          }
          a = y2.p;
          hrln = 13.2f;
        }
        sk = std::max(slope, kr);
        nrl = 13.0f;
        return;
      }

      default:
        rule = 1;
        continue;
    }
  }
}

// ---------------------------------------------------------------- MAT02
void mat02(MatCall& c) {
  c.nstate = kNState;
  switch (c.iopt) {
    case kOptNState:
      return;
    case kOptInit: {
      float* s = state_words(c);
      for (int k = 1; k <= kNState; ++k) s[k] = 0.0f;
      int idr = 0;
      hyst02(c.p, c.d, c.pl, c.dl, c.v, c.vl, s, prop_words(c), c.debug, idr);
      return;
    }
    case kOptState:
      state_determination(c);
      return;
    case kOptResults:
      results(c);
      return;
    case kOptDamage:
      damage(c);
      return;
    default:
      read_set(c);
      return;
  }
}

}  // namespace materials
