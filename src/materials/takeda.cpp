// The Takeda model: a trilinear backbone through the cracking, yield and
// ultimate points (the same in both senses), unloading after yield on
// CPY*(DY/Dmax)^0.5, reloading toward the largest point reached on the side
// the spring moves to, and inner loops that aim at the points where earlier
// inner excursions turned. MAT06 walks each step from event to event; HYST06
// finds the branch of a point.
#include "materials/takeda.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "fio/fio.h"
#include "materials/event_stepping.h"
#include "materials/model_results.h"
#include "materials/rules.h"

namespace materials {

namespace {

constexpr int kNProp = 13;
constexpr int kMaxPasses = 5;
constexpr float kT1 = 0.0005f;  // a step shorter than this (relative) is its own probe
constexpr float kT2 = 0.001f;   // probe position as a fraction of the step

// Property words.
enum Prop : int {
  kEI = 1, kPC, kDC, kPY, kDY, kPU, kDU, kOC, kCY, kYU, kCPY, kEY, kBeta
};

using namespace takeda;

constexpr ResultWords kResults{.ese = kESE, .pse = kPSE, .duct = kUP, .un = kUN, .ex = kEX};
constexpr PeakWords kPeak{.p = kPMAX, .d = kDMAX};

float sgn(float a, float b) { return std::copysign(std::fabs(a), b); }

// One classification. The outcome of a rule is written to the state at exit;
// dm/fm are the largest points (index 1 negative side, 2 positive side) as
// they stood at entry, which some outcomes move to the yield point.
class Classifier {
 public:
  Classifier(float p, float d, float pl, float dl, float* s, const float* pr)
      : p_(p), d_(d), pl_(pl), dl_(dl), s_(s), pr_(pr) {}

  void run(float v, float vl, bool debug);

 private:
  void set(float stiff, float a, float b, int nr, float hrln) {
    st_ = stiff;
    a_ = a;
    b_ = b;
    nr_ = nr;
    hrln_ = hrln;
  }

  void rule(int irule);
  void load(int irule);
  void cross(int irule);
  void unload(int irule);

  void backbone_loading();
  void post_yield_loading();
  void zero_crossing(int k);
  void toward_largest();        // rule 6 loading
  void toward_largest_inner();  // rule 8 loading
  void toward_u0();             // rule 10 loading
  void toward_u1();             // rule 12 loading
  void unload_on_s1(int r) { set(s_[kS1], p_, 0.0f, r, static_cast<float>(r) + 0.2f); }
  float degraded_unloading() const;

  const float p_, d_, pl_, dl_;
  float* s_;
  const float* pr_;

  int idir_ = 0;
  int i2_ = 1;
  int idf_ = 1;
  int ib_ = 2;
  int idd_ = 1;
  float dm_[3] = {0.0f, 0.0f, 0.0f};
  float fm_[3] = {0.0f, 0.0f, 0.0f};

  float st_ = 0.0f, a_ = 0.0f, b_ = 0.0f, hrln_ = 0.0f;
  int nr_ = 1;
};

void trace_hyst06(float p, float d, float pl, float dl, float v, float vl, const float* s,
                  const float* pr) {
  static const char* const kLabels[] = {
      " TAKEDA-PI=", "DI=", "PS=", "DS=", "VI=", "VS=", "S=", "HRLN=", "A=", "B=", "IDRO=",
      "RF=", "PC=", "DC=", "PY=", "DY=", "PU=", "DU=", "OC=", "CY=", "YU=", "CPY=", "EY=",
      "RNRL=", "UM1=", "UM2=", "UM3=", "UM4=", "S1=", "X0=", "X0UM=", "X0Y=", "U0D=", "U0=",
      "X1UM=", "U1=", "U1D=", "X2U0=", "U2=", "X3U1=", "U3=", "QY=", "MAXF=", "ACHNG=", "SE=",
      "ESE=", "PSE=", "CSE=", "UP1=", "UP2=", "UP3=", "UN1=", "UN2=", "UN3=", "EX1=", "EX2=",
      "EX3=", "EX4=", "EX5=", "EX6="};
  float vals[std::size(kLabels)];
  int n = 0;
  for (float x : {p, d, pl, dl, v, vl}) vals[n++] = x;
  for (int k = kS; k <= kRF; ++k) vals[n++] = s[k];
  for (int k = kPC; k <= kEY; ++k) vals[n++] = pr[k];
  for (int k = kRNRL; k <= kSE; ++k) vals[n++] = s[k];
  for (int k = kESE + 2; k <= kEX + 5; ++k) vals[n++] = s[k];  // ESE(3) onward
  auto& out = fio::scratch_values();
  out.clear();
  for (int k = 0; k < n; ++k) {
    fio::push_value(out, kLabels[k]);
    fio::push_value(out, vals[k]);
  }
  fio::write_values(6, "(4(A,1PE13.5))", out);
}

float Classifier::degraded_unloading() const {
  const float dmx = std::max({std::fabs(s_[kUM1]), std::fabs(s_[kUM3]), std::fabs(d_)});
  return pr_[kCPY] * std::pow(pr_[kDY] / dmx, 0.5f);
}

void Classifier::post_yield_loading() {
  s_[kS1] = degraded_unloading();
  s_[kSE] = s_[kS1];
  const float f = static_cast<float>(idf_);
  if (std::fabs(p_) < pr_[kPU]) {
    set(pr_[kYU], f * pr_[kPU], p_, 3, 3.11f);
  } else {
    set(0.0f, f * pr_[kPU], p_, 3, 3.12f);
  }
}

void Classifier::backbone_loading() {
  if (std::fabs(p_) < pr_[kPY]) {
    const float f = static_cast<float>(idf_);
    set(pr_[kCY], f * pr_[kPY], p_, 2, 2.11f);
    s_[kS1] = (p_ + f * pr_[kPC]) / (d_ + f * pr_[kDC]);
    s_[kSE] = s_[kS1];
  } else {
    post_yield_loading();
  }
}

void Classifier::zero_crossing(int k) {
  const float f = static_cast<float>(idf_);
  s_[kX0] = d_;
  s_[kX0UM] = -fm_[k] / (s_[kX0] - dm_[k]);
  s_[kX0Y] = -f * pr_[kPY] / (s_[kX0] - f * pr_[kDY]);
  if (s_[kX0Y] > s_[kX0UM] && std::fabs(fm_[k]) < pr_[kPY]) {
    dm_[ib_] = f * pr_[kDY];
    fm_[ib_] = f * pr_[kPY];
    set(s_[kX0Y], f * pr_[kPY], 0.0f, 6, 4.33f);
  } else {
    set(s_[kX0UM], fm_[k], 0.0f, 6, 4.32f);
  }
}

void Classifier::toward_largest() {
  if (std::fabs(fm_[ib_]) > std::fabs(p_)) {
    s_[kX0UM] = (p_ - fm_[ib_]) / (d_ - dm_[ib_]);
    set(s_[kX0UM], fm_[ib_], p_, 6, 6.11f);
  } else {
    backbone_loading();
  }
}

void Classifier::toward_largest_inner() {
  if (std::fabs(fm_[ib_]) > std::fabs(p_)) {
    s_[kX1UM] = (p_ - fm_[ib_]) / (d_ - dm_[ib_]);
    set(s_[kX1UM], fm_[ib_], p_, 8, 8.11f);
  } else {
    backbone_loading();
  }
}

void Classifier::toward_u0() {
  if (std::fabs(s_[kU0]) > std::fabs(p_)) {
    s_[kX2U0] = (p_ - s_[kU0]) / (d_ - s_[kU0D]);
    set(s_[kX2U0], s_[kU0], p_, 10, 10.11f);
  } else {
    toward_largest();
  }
}

void Classifier::toward_u1() {
  if (std::fabs(s_[kU1]) > std::fabs(p_)) {
    s_[kX3U1] = (p_ - s_[kU1]) / (d_ - s_[kU1D]);
    set(s_[kX3U1], s_[kU1], p_, 12, 12.11f);
  } else {
    toward_largest_inner();
  }
}

void Classifier::load(int irule) {
  const float f = static_cast<float>(idf_);
  const float s1 = s_[kS1];
  switch (irule) {
    case 1:
      if (std::fabs(p_) < pr_[kPC]) {
        set(pr_[kOC], f * pr_[kPC], p_, 1, 1.11f);
        s_[kSE] = pr_[kOC];
      } else {
        backbone_loading();
      }
      break;
    case 2: backbone_loading(); break;
    case 3: post_yield_loading(); break;
    case 4:
      if (std::fabs(fm_[ib_]) > std::fabs(p_)) {
        set(s1, fm_[ib_], p_, 4, 4.11f);
      } else {
        set(pr_[kYU], f * pr_[kPU], p_, 3, 4.12f);
      }
      break;
    case 5:
      if (std::fabs(fm_[ib_]) > std::fabs(p_)) {
        set(s1, fm_[ib_], p_, 5, 5.11f);
      } else {
        backbone_loading();
      }
      break;
    case 6: toward_largest(); break;
    case 7:
      if (std::fabs(s_[kU0]) > std::fabs(p_)) {
        set(s1, s_[kU0], p_, 7, 7.11f);
      } else {
        s_[kX0UM] = -fm_[ib_] / (s_[kX0] - dm_[ib_]);
        set(s_[kX0UM], fm_[ib_], p_, 6, 7.12f);
      }
      break;
    case 8: toward_largest_inner(); break;
    case 9:
      if (std::fabs(s_[kU1]) > std::fabs(p_)) {
        set(s1, s_[kU1], p_, 9, 9.11f);
      } else {
        toward_largest_inner();
      }
      break;
    case 10: toward_u0(); break;
    case 11:
      if (std::fabs(s_[kU2]) > std::fabs(p_)) {
        set(s1, s_[kU2], p_, 11, 11.11f);
      } else {
        toward_u0();
      }
      break;
    case 12: toward_u1(); break;
    case 13:
      if (std::fabs(s_[kU3]) > std::fabs(p_)) {
        set(s1, s_[kU3], p_, 13, 13.11f);
      } else {
        toward_u1();
      }
      break;
    case 14:
      if (std::fabs(p_) < pr_[kPC]) {
        set(s1, f * pr_[kPC], 0.0f, 14, 14.11f);
      } else {
        backbone_loading();
      }
      break;
    case 15:
      if (std::fabs(p_) < pr_[kPC]) {
        set(s1, f * pr_[kPC], p_, 15, 15.11f);
      } else {
        // From the cracking level of this side straight toward its yield point.
        const float t = f * pr_[kPC];
        const float dt = d_ + (t - p_) / s1;
        s_[kQY] = (f * pr_[kPY] - t) / (f * pr_[kDY] - dt);
        set(s_[kQY], f * pr_[kPY], t, 16, 15.12f);
      }
      break;
    case 16:
      if (std::fabs(p_) < pr_[kPY]) {
        set(s_[kQY], f * pr_[kPY], p_, 16, 16.11f);
      } else {
        post_yield_loading();
      }
      break;
    default: break;
  }
}

void Classifier::cross(int irule) {
  const float s1 = s_[kS1];
  const float fdd = static_cast<float>(idd_);
  switch (irule) {
    case 4: {
      const int j = d_ <= dl_ ? 1 : 2;
      if (std::fabs(dm_[j]) <= pr_[kDC]) {
        set(s1, fdd * pr_[kPC], 0.0f, 15, 4.31f);
      } else {
        zero_crossing(j);
      }
      break;
    }
    case 5: {
      // The cracking test looks at side j, the crossing aims at the side LDIR gave.
      const int j = d_ <= dl_ ? 2 : 1;
      if (std::fabs(dm_[j]) <= pr_[kDC]) {
        set(s1, fdd * pr_[kPC], 0.0f, 14, 5.31f);
      } else {
        zero_crossing(i2_);
      }
      break;
    }
    case 7:
      s_[kX1UM] = (p_ - fm_[ib_]) / (d_ - dm_[ib_]);
      set(s_[kX1UM], fm_[ib_], 0.0f, 8, 7.3f);
      break;
    case 9:
    case 13:
      s_[kX2U0] = (p_ - s_[kU0]) / (d_ - s_[kU0D]);
      set(s_[kX2U0], s_[kU0], 0.0f, 10, 9.3f);
      break;
    case 11:
      s_[kX3U1] = (p_ - s_[kU1]) / (d_ - s_[kU1D]);
      set(s_[kX3U1], s_[kU1], 0.0f, 12, 11.3f);
      break;
    case 14:
      set(s1, fm_[ib_], 0.0f, 5, 14.3f);
      break;
    case 15:
      if (std::fabs(fm_[ib_]) > std::fabs(p_)) {
        set(s1, fm_[ib_], 0.0f, 4, 15.31f);
      } else {
        set(pr_[kYU], fdd * pr_[kPU], 0.0f, 3, 15.32f);
      }
      break;
    default:  // rules 1, 2, 3, 6, 8, 10, 12, 16 cross as they unload
      unload(irule);
      break;
  }
}

void Classifier::unload(int irule) {
  const float f = static_cast<float>(idf_);
  switch (irule) {
    case 1: {
      const float a = p_ == 0.0f ? static_cast<float>(idd_) * pr_[kPC] : sgn(pr_[kPC], p_);
      set(pr_[kOC], a, 0.0f, 1, 1.2f);
      s_[kSE] = pr_[kOC];
      break;
    }
    case 2:
      s_[kS1] = (p_ + f * pr_[kPC]) / (d_ + f * pr_[kDC]);
      s_[kSE] = s_[kS1];
      set(s_[kS1], p_, 0.0f, 5, 2.2f);
      break;
    case 3:
      s_[kS1] = degraded_unloading();
      s_[kSE] = s_[kS1];
      set(s_[kS1], p_, 0.0f, 4, 3.2f);
      break;
    case 6:
      s_[kU0D] = d_;
      s_[kU0] = p_;
      set(s_[kS1], p_, 0.0f, 7, 6.2f);
      break;
    case 8:
      s_[kU1] = p_;
      s_[kU1D] = d_;
      set(s_[kS1], p_, 0.0f, 9, 8.2f);
      break;
    case 10:
      s_[kU2] = p_;
      set(s_[kS1], p_, 0.0f, 11, 10.2f);
      break;
    case 12:
      s_[kU3] = p_;
      set(s_[kS1], p_, 0.0f, 13, 12.2f);
      break;
    case 16:
      dm_[ib_] = f * pr_[kDY];
      fm_[ib_] = f * pr_[kPY];
      s_[kU0] = p_;
      s_[kU0D] = d_;
      s_[kX0] = d_ - p_ / s_[kQY];
      set(s_[kS1], p_, 0.0f, 7, 16.2f);
      break;
    default:  // 4, 5, 7, 9, 11, 13, 14, 15
      unload_on_s1(irule);
      break;
  }
}

void Classifier::rule(int irule) {
  if (idir_ > 0) {
    load(irule);
  } else if (idir_ == 0) {
    cross(irule);
  } else {
    unload(irule);
  }
}

void Classifier::run(float v, float vl, bool debug) {
  float* s = s_;
  if (debug) trace_hyst06(p_, d_, pl_, dl_, v, vl, s, pr_);
  if (s[kRNRL] != 0.0f && (p_ == pl_ || d_ == dl_)) return;

  int i1 = 0;
  ldir(idir_, i1, i2_, p_, pl_, v, vl);

  // Still on the branch found last time. Both senses exclude the limit itself:
  // a point exactly at the end of its branch (an event point of the walk) must
  // be moved onto the next branch, or the walk would stop there.
  if (static_cast<float>(idir_) == s[kIDRO]) {
    const float a = s[kA];
    const float b = s[kB];
    if ((a > b && b < p_ && p_ < a) || (a < b && a < p_ && p_ < b)) return;
  }

  const float dy = pr_[kDY];
  const float ey = pr_[kEY];
  if (p_ * pl_ <= 0.0f) {
    ductex(0, &s[kUP], &s[kEX], dy, d_, s[kESE + 1], s[kPSE], s[kCSE], ey);
  }

  if (s[kRNRL] == 0.0f) {
    s[kRNRL] = 1.0f;
    s[kUM1] = -pr_[kDC];
    s[kUM2] = -pr_[kPC];
    s[kUM3] = pr_[kDC];
    s[kUM4] = pr_[kPC];
  }

  const float rn = s[kRNRL];
  int irule = (rn >= 1.0f && rn < 17.0f) ? static_cast<int>(rn) : 1;
  dm_[1] = s[kUM1];
  fm_[1] = s[kUM2];
  dm_[2] = s[kUM3];
  fm_[2] = s[kUM4];

  if (p_ > 0.0f) {
    idf_ = 1;
    ib_ = 2;
  } else if (p_ < 0.0f) {
    idf_ = -1;
    ib_ = 1;
  } else if (d_ < dl_) {
    idf_ = -1;
    ib_ = 1;
  } else if (d_ > dl_) {
    idf_ = 1;
    ib_ = 2;
  } else {
    idf_ = 1;
    ib_ = 1;
  }
  idd_ = d_ > dl_ ? 1 : -1;

  if (idir_ < 0) {
    if (idf_ > 0) {
      ductex(1, &s[kUP], &s[kEX], dy, d_, s[kESE + 1], s[kPSE], s[kCSE], ey);
    } else {
      ductex(1, &s[kUN], &s[kEX], -dy, d_, s[kESE + 2], s[kPSE], s[kCSE], ey);
    }
  }

  rule(irule);

  s[kS] = st_;
  s[kA] = a_;
  s[kB] = b_;
  s[kHRLN] = hrln_;
  s[kUM1] = std::min(dm_[1], d_);
  s[kUM2] = std::min(fm_[1], p_);
  s[kUM3] = std::max(dm_[2], d_);
  s[kUM4] = std::max(fm_[2], p_);
  s[kRNRL] = static_cast<float>(nr_);
  s[kIDRO] = static_cast<float>(idir_);
  s[kRF] = 0.0f;
  s[kACHNG] = idir_ >= 0 ? a_ : b_;
}

// ---------------------------------------------------------------- MAT06

void read_and_echo(MatCall& c) {
  float* pr = prop_words(c);
  std::string name;
  float ei = 0.0f, pc = 0.0f, dc = 0.0f, py = 0.0f, dy = 0.0f, pu = 0.0f, du = 0.0f, beta = 0.0f;
  read_set_record(c.set, name, ei, pc, dc, py, dy, pu, du, beta);
  pr[kEI] = ei;
  pr[kPC] = pc;
  pr[kDC] = dc;
  pr[kPY] = py;
  pr[kDY] = dy;
  pr[kPU] = pu;
  pr[kDU] = du;
  // Coincident backbone points give a zero slope rather than inf or NaN.
  pr[kOC] = quot(pc, dc);
  pr[kCY] = quot(py - pc, dy - dc);
  pr[kYU] = quot(pu - py, du - dy);
  pr[kCPY] = quot(pc + py, dc + dy);
  pr[kEY] = pc * dc / 2.0f + (pc + py) * 0.5f * (dy - dc);
  pr[kBeta] = beta;
  c.nprop = kNProp;

  if (c.new_type || c.debug) {
    fio::write(6, "(///,'     TAKEDA HYSTERESIS MODEL- FOR UNIT LENGTH MEMBER',/,"
                  "'     ===============================================',//,"
                  "'  MAT.     BETA           EI          ',7X,'CRACK',10X,'YEILD',7X,'ULTIMATE')");
  }
  fio::write(6, "(/,1X,I5,2E15.6,3X,3E15.6,/,39X,3E15.6,/)", c.set, beta, ei, pc, py, pu, dc,
             dy, du);
}

// Walks the step from the committed point (c.pl, c.dl) to c.d event by event.
// The limit of the current branch is ACHNG; a crossing is split at the limit,
// its energy booked, and the rule asked at the event point itself.
void walk(MatCall& c) {
  float* s = state_words(c);
  const float* pr = prop_words(c);
  const float d = c.d;
  if (c.debug) {
    fio::write_list(6, "------------- IN MAT06 -------------------------");
    fio::write_list(6, "  P,D=", c.p, d, "  V=", c.v);
    fio::write_list(6, "PL,DL=", c.pl, c.dl, " VL=", c.vl);
  }
  float p = c.p;
  int icyc = 0;
  for (;;) {
    const float k = s[kS];
    p = c.pl + k * (d - c.dl);
    float a = s[kACHNG];
    if (s[kACHNG] == 0.0f && s[kRNRL] == 0.0f) a = pr[kPC];
    ++icyc;
    if (c.debug) {
      fio::write_list(6, "STIFF=", k, "   A=", a);
      fio::write_list(6, "    P=", p, "ICYC=", icyc);
    }
    if (icyc > kMaxPasses) {
      fio::write_list(6, "MORE THAN 5 CYCLES IN MAT06,  IELNO:", c.ielno);
      break;
    }

    const float pl = c.pl;
    const float dl = c.dl;
    if (d == dl || (pl <= p && p <= a) || (pl >= p && p >= a)) {
      if (c.debug) fio::write_list(6, "C----- IS P WITH IN LIMITS ? ");
      enrgy(&s[kESE], s[kPSE], s[kCSE], p, pl, d, dl, k, s[kSE]);
      hyst06(p, d, pl, dl, c.v, c.vl, s, pr, c.debug);
      break;
    }

    if (k != 0.0f && ((pl <= a && a < p) || (pl >= a && a >= p))) {
      const float pi = a;
      const float di = dl + (a - pl) / k;
      if (c.debug) {
        fio::write_list(6, "C----- IS P GREATER THAN LIMITS ? ");
        fio::write_list(6, "PL,DL=", pl, dl);
        fio::write_list(6, "PI,DI=", pi, di);
      }
      enrgy(&s[kESE], s[kPSE], s[kCSE], pi, pl, di, dl, k, s[kSE]);
      hyst06(pi, di, pl, dl, 1.0f, 1.0f, s, pr, c.debug);
      c.pl = pi;
      c.dl = di;
      continue;
    }

    if ((p < pl && pl <= a) || (p > pl && pl >= a)) {
      float pi = p;
      float di = d;
      if (std::fabs(p - pl) > kT1 * std::fabs(p + pl)) {
        pi = pl + kT2 * (p - pl);
        di = dl + kT2 * (d - dl);
      }
      if (c.debug) {
        fio::write_list(6, "C----- IS P LESS THAN LIMITS ? ");
        fio::write_list(6, "PI,DI=", pi, di);
      }
      hyst06(pi, di, pl, dl, 1.0f, 1.0f, s, pr, c.debug);
      continue;
    }
    break;
  }
  c.p = p;
  if (c.debug) fio::write_list(6, "STIFF=", s[kS], " A,B=", s[kA], s[kB], s[kACHNG]);

  track_peak(s, kPeak, p, d);
}

}  // namespace

void hyst06(float p, float d, float pl, float dl, float v, float vl, float* s,
            const float* prop, bool debug) {
  Classifier(p, d, pl, dl, s, prop).run(v, vl, debug);
}

void mat06(MatCall& c) {
  c.nstate = kNState;
  switch (c.iopt) {
    case kOptNState:
      break;
    case kOptRead:
      read_and_echo(c);
      break;
    case kOptInit: {
      float* s = state_words(c);
      const float* pr = prop_words(c);
      for (int k = 1; k <= kDMAX; ++k) s[k] = 0.0f;
      hyst06(c.p, c.d, c.pl, c.dl, c.v, c.vl, s, pr, c.debug);
      s[kOCCopy] = pr[kOC];
      s[kEICopy] = pr[kEI];
      break;
    }
    case kOptState:
      walk(c);
      store_results(c, state_words(c), kResults);
      break;
    case kOptResults:
      store_results(c, state_words(c), kResults);
      break;
    case kOptDamage: {
      const float* pr = prop_words(c);
      park_ang_damage(c, state_words(c), kResults, kPeak, pr[kDU], pr[kBeta], pr[kPY]);
      break;
    }
    default:
      break;
  }
}

}  // namespace materials
