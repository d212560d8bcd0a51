// The brace material "BRACE" (type 8) driven through MATDSP as the strut
// element drives it: the element writes the length and KEFF into the state
// before the set-up. Forces, envelope points, energies and damage index are
// worked out by hand from the envelope's rules.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/work_array.h"
#include "materials/brace.h"
#include "materials/fixtures.h"
#include "materials/harness.h"

namespace {

using materials::MatCall;
using mtest::set_up_member;

constexpr float kPi = 3.1415925f;
constexpr int kK = 1, kKeff = 2, kCycle = 3, kRule = 4, kLength = 5;
constexpr int kV0 = 8, kH0 = 9, kV1 = 10, kH1 = 11, kKU = 12, kDY = 22, kEY = 28, kDU = 29;
constexpr int kHA = 32, kVA = 33, kHC = 34, kVC = 35, kGrowth = 36, kDExt = 37, kEvent = 40;

// E 32000, A 10, R 2, YS 40, MAX DUC 10, BETA 0.1: PY = 400, and with L = 200
// KE = EA/L = 1600, DY = 0.25, EY = 50, DU = 2.5.
std::string brace_set(int shape, float r = 2.0f) {
  return "BRACE 32000. 10. " + std::to_string(r) + " 40. " + std::to_string(shape) +
         " 10. 0.1\n";
}

// The first-cycle buckling load of the set with slenderness slr:
// CC = sqrt(2 pi^2 E / YS) = 40 pi.
double first_cycle_load(double slr) {
  const double cc = std::sqrt(2.0 * kPi * kPi * 32000.0 / 40.0);
  if (slr < cc) return -(1.0 - slr * slr / (2.0 * cc * cc)) * 400.0;
  return -static_cast<double>(kPi) * kPi * 320000.0 / (slr * slr);
}

// The number after the first "BUCKLING LOAD = " printed for element ielno.
double printed_buckling_load(const std::string& out, int ielno = 1) {
  char head[64];
  std::snprintf(head, sizeof head, "**** BRACE ELEMENT %10d BUCKLING LOAD = ", ielno);
  const std::size_t at = out.find(head);
  if (at == std::string::npos) return 0.0;
  return std::stod(out.substr(at + std::string(head).size(), 15));
}

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class Brace : public ::testing::Test {
 protected:
  void SetUp() override { materials::register_material(8, materials::mat08); }
};

TEST_F(Brace, ReadsEchoesAndSetsUp) {
  mtest::MaterialHarness h(8, brace_set(1));
  set_up_member(h, 200.0f, 1.0f);
  EXPECT_EQ(h.nprop(), 9);
  EXPECT_EQ(h.nstate(), 42);
  const float* prop = h.prop();
  EXPECT_FLOAT_EQ(prop[5], 400.0f);                             // PY = A YS
  EXPECT_NEAR(prop[6], 40.0 * kPi, 1.0e-3);                     // CC
  EXPECT_FLOAT_EQ(prop[7], 10.0f);                              // MAX DUC
  EXPECT_FLOAT_EQ(prop[8], 0.1f);                               // BETA
  EXPECT_FLOAT_EQ(prop[9], 1.0f);                               // SHAPE

  const float* s = h.committed();
  EXPECT_FLOAT_EQ(s[kK], 1600.0f);
  EXPECT_FLOAT_EQ(s[kCycle], 1.0f);
  EXPECT_FLOAT_EQ(s[kRule], 1.0f);
  EXPECT_FLOAT_EQ(s[kLength], 200.0f);
  EXPECT_FLOAT_EQ(s[kKeff], 1.0f);
  EXPECT_FLOAT_EQ(s[kDY], 0.25f);
  EXPECT_FLOAT_EQ(s[kEY], 50.0f);
  EXPECT_FLOAT_EQ(s[kDU], 2.5f);
  EXPECT_NEAR(s[kHA], first_cycle_load(100.0) / 400.0, 1.0e-5);
  EXPECT_FLOAT_EQ(s[kHC], -12.0f);
  EXPECT_FLOAT_EQ(s[kVC], -0.12f);
  EXPECT_FLOAT_EQ(s[kEvent], 0.0f);

  const std::string out = h.output();
  EXPECT_NE(out.find("\n\n\n     BRACE HYSTERESIS MODEL PARAMETERS\n"
                     "     =================================\n\n"
                     "  MAT.       E          A          R          YS       SHAPE      MAX DUC"
                     "        BETA\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\n     10.320000E+050.100000E+020.200000E+010.400000E+020.100000E+01"
                     "0.100000E+020.100000E+00\n\n"),
            std::string::npos)
      << out;
}

// Elastic to PY = A YS = 400 at D = DY = 0.25, then the plateau with the
// absolute tangent 0.0001.
TEST_F(Brace, YieldsInTensionAtPY) {
  mtest::MaterialHarness h(8, brace_set(1));
  set_up_member(h, 200.0f, 1.0f);
  struct Stop {
    float d, p, tangent, rule;
  };
  const Stop stops[] = {
      {0.1f, 160.0f, 1600.0f, 1.0f},
      {0.25f, 400.0f, 0.0001f, 6.0f},
      {0.5f, 400.0f, 0.0001f, 6.0f},
  };
  for (const Stop& t : stops) {
    EXPECT_NEAR(h.step(t.d), t.p, 1.0e-3f) << "d = " << t.d;
    EXPECT_FLOAT_EQ(h.tangent(), t.tangent) << "d = " << t.d;
    EXPECT_EQ(h.committed()[kRule], t.rule) << "d = " << t.d;
  }
  // Work 50 + 100; elastic P^2/(2 KE) = 50. Ductilities at D = 0.5: 0.5/0.25,
  // PSE/ESE + 1 and PSE/EY + 1.
  const MatCall r = h.results();
  EXPECT_NEAR(r.ese, 50.0f, 1.0e-3f);
  EXPECT_NEAR(r.pse, 100.0f, 1.0e-2f);
  EXPECT_NEAR(r.duct[0], 2.0f, 1.0e-5f);
  EXPECT_NEAR(r.duct[1], 3.0f, 1.0e-3f);
  EXPECT_NEAR(r.duct[2], 3.0f, 1.0e-3f);
  // DI = 0.5/2.5 + 0.1/(2.5 x 400) x 100.
  const MatCall dmg = h.damage();
  EXPECT_NEAR(dmg.di, 0.21f, 1.0e-5f);
  EXPECT_FLOAT_EQ(dmg.d, 0.5f);
  EXPECT_NEAR(dmg.p, 400.0f, 1.0e-3f);
}

// One step from rest to 2 DY lands on the plateau with the yield force, not
// with the elastic prediction 2 PY (which no unbalanced force would correct);
// the work of the step is then (0.5 - 0) x (400 + 0)/2 = 100.
TEST_F(Brace, OneStepPastYieldCarriesTheYieldForce) {
  mtest::MaterialHarness h(8, brace_set(1));
  set_up_member(h, 200.0f, 1.0f);
  EXPECT_NEAR(h.step(0.5f), 400.0f, 1.0e-3f);
  EXPECT_EQ(h.committed()[kRule], 6.0f);
  const MatCall r = h.results();
  EXPECT_NEAR(r.ese + r.pse, 100.0f, 1.0e-2f);
}

// Leaving the plateau counts a cycle; the cycle-2 buckling load of SHAPE 1
// with SLR = 100 > 40 is -(30/100) PY = -120, and the force goes onto line A-B
// through the first cycle's point A.
TEST_F(Brace, UnloadingFromThePlateauCountsACycle) {
  mtest::MaterialHarness h(8, brace_set(1));
  set_up_member(h, 200.0f, 1.0f);
  h.step(0.1f);
  EXPECT_FLOAT_EQ(h.step(0.25f), 400.0f);
  EXPECT_NEAR(h.step(0.15f), 400.0f, 1.0e-3f);  // the tangent of the plateau still ruled this step
  EXPECT_FLOAT_EQ(h.committed()[kCycle], 2.0f);
  EXPECT_FLOAT_EQ(h.committed()[kRule], 1.0f);
  EXPECT_FLOAT_EQ(h.tangent(), 1600.0f);
  EXPECT_NEAR(h.step(0.05f), 240.0f, 1.0e-3f);
  EXPECT_NEAR(h.step(-0.1f), 0.0f, 1.0e-3f);
  EXPECT_EQ(h.output().find("BUCKLING"), std::string::npos);

  // -160 < -120: P = PCR + KE sAB (D - HA DY) with A of the first cycle.
  const double ha = first_cycle_load(100.0) / 400.0;
  const double sab = (-0.18 - ha) / (-5.0 - ha);
  EXPECT_NEAR(h.step(-0.2f), -120.0 + 1600.0 * sab * (-0.2 - ha * 0.25), 1.0e-3);
  EXPECT_FLOAT_EQ(h.committed()[kRule], 2.0f);
  EXPECT_NEAR(h.tangent(), 1600.0 * sab, 1.0e-3);
  EXPECT_NEAR(printed_buckling_load(h.output()), -120.0, 1.0e-3);
}

// First-cycle buckling: the inelastic load below CC, Euler's above it; KEFF
// enters the slenderness KEFF L / R.
TEST_F(Brace, FirstCycleBuckling) {
  struct Case {
    float keff;
    float d_elastic;  // one elastic step
    float d_buckled;  // the step that buckles
    double slr;
    double vb;        // -18/SLR
  };
  const Case cases[] = {
      {1.0f, -0.1f, -0.25f, 100.0, -0.18},  // SLR 100 < CC = 125.7
      {1.5f, -0.05f, -0.5f, 150.0, -0.12},  // SLR 150 > CC
  };
  for (const Case& t : cases) {
    mtest::MaterialHarness h(8, brace_set(1));
    set_up_member(h, 200.0f, t.keff);
    const double pcr = first_cycle_load(t.slr);
    EXPECT_NEAR(h.step(t.d_elastic), 1600.0f * t.d_elastic, 1.0e-3f);
    const double ha = pcr / 400.0;
    const double sab = (t.vb - ha) / (-5.0 - ha);
    const double p = pcr + 1600.0 * sab * (t.d_buckled - ha * 0.25);
    EXPECT_NEAR(h.step(t.d_buckled), p, 2.0e-3) << "SLR " << t.slr;
    EXPECT_NEAR(h.tangent(), 1600.0 * sab, 1.0e-3) << "SLR " << t.slr;
    EXPECT_FLOAT_EQ(h.committed()[kEvent], 1.0f);
    EXPECT_NEAR(printed_buckling_load(h.output()), pcr, 1.0e-3) << h.output();
    // Further along A-B no second line.
    h.step(t.d_buckled - 0.1f);
    EXPECT_EQ(count(h.output(), "BUCKLING"), 1);
  }
}

// The buckling load of later cycles per shape and slenderness (R 2, KEFF 1,
// SLR = L/2). The brace is set into the cycle and pushed into compression in
// one step; the first buckling prints the load.
TEST_F(Brace, BucklingLoadPerCycle) {
  struct Case {
    int shape;
    float length;
    float cycle;
    double pcr;
  };
  const Case cases[] = {
      {1, 120.0f, 2.0f, -0.5 * 400.0},          // SLR 60 > 40: -(30/60) PY
      {1, 120.0f, 3.0f, -(25.0 / 60.0) * 400},  // from the third cycle on
      {1, 120.0f, 5.0f, -(25.0 / 60.0) * 400},
      {2, 120.0f, 2.0f, -0.5 * 400.0},
      {1, 80.0f, 2.0f, -(23.4 / 40.0) * 400},   // SLR 40 <= 40
      {1, 80.0f, 3.0f, -(18.5 / 40.0) * 400},
      {3, 120.0f, 2.0f, first_cycle_load(60.0)},  // shape 3 keeps its first-cycle load
      {3, 120.0f, 3.0f, -(23.4 / 60.0) * 400},
      {3, 120.0f, 4.0f, -(18.5 / 60.0) * 400},
  };
  for (const Case& t : cases) {
    mtest::MaterialHarness h(8, brace_set(t.shape));
    set_up_member(h, t.length, 1.0f);
    h.set_state_word(kCycle, t.cycle);
    h.step(-0.5f);
    EXPECT_NEAR(printed_buckling_load(h.output()), t.pcr, 1.0e-3)
        << "shape " << t.shape << " L " << t.length << " cycle " << t.cycle;
    EXPECT_FLOAT_EQ(h.committed()[kRule], 2.0f);
  }
}

// A shape-3 brace in its second cycle buckles at its own first-cycle load even
// when another brace, of other slenderness, was evaluated just before it.
TEST_F(Brace, ShapeThreeSecondCycleUsesItsOwnFirstCycleLoad) {
  mtest::MaterialHarness h(8, brace_set(3, 2.0f) + brace_set(3, 4.0f), 2);
  set_up_member(h, 200.0f, 1.0f);  // set 1, SLR 100
  h.set_state_word(kCycle, 2.0f);

  // A second brace of set 2 (SLR 50), laid out as its element would, set up
  // and buckled in its first cycle.
  const std::int64_t other = kv::ctl(kv::kIZ);
  kv::ctl(kv::kIZ) = static_cast<std::int32_t>(other + 2 * 42);
  kv::zero_words(other, 2 * 42);
  kv::rzm(other + kLength - 1) = 200.0f;
  kv::rzm(other + kKeff - 1) = 1.0f;
  int prev = 0;
  int type = 0;
  MatCall c;
  c.iopt = materials::kOptInit;
  c.ielno = 2;
  c.set = 2;
  c.sta = other;
  materials::matdsp(c, prev, 0, type);
  c.iopt = materials::kOptState;
  c.p = -800.0f;  // KE x D
  c.pl = 0.0f;
  c.d = -0.5f;
  c.dl = 0.0f;
  materials::matdsp(c, prev, 0, type);
  EXPECT_NEAR(printed_buckling_load(h.output(), 2), first_cycle_load(50.0), 1.0e-3);

  h.step(-0.5f);
  EXPECT_NEAR(printed_buckling_load(h.output(), 1), first_cycle_load(100.0), 1.0e-3);
}

// The growth after compressive excursions: (0.55 |D|/SLR + 0.0002 D^2) GF with
// GF 1.75, 1.4, 0.0 for shapes 1, 2, 3, taken at the second new compressive
// extreme on line A-B; point E moves out to G L/DY + 1.
TEST_F(Brace, GrowthPerShape) {
  const double growth[] = {0.0, (0.55 * 1.25 / 100 + 0.0002 * 1.5625) * 1.75,
                           (0.55 * 1.25 / 100 + 0.0002 * 1.5625) * 1.4, 0.0};
  for (int shape = 1; shape <= 3; ++shape) {
    mtest::MaterialHarness h(8, brace_set(shape));
    set_up_member(h, 200.0f, 1.0f);
    h.step(-0.1f);
    h.step(-0.25f);  // buckles
    h.step(-1.0f);   // on A-B, the first extreme is recorded
    EXPECT_FLOAT_EQ(h.committed()[kGrowth], 0.0f) << "shape " << shape;
    EXPECT_FLOAT_EQ(h.committed()[kDExt], -1.0f);
    h.step(-1.25f);
    EXPECT_NEAR(h.committed()[kGrowth], growth[shape], 1.0e-7) << "shape " << shape;
  }
}

// The growth is formed in single precision in the order it is written, the
// square of D taken first: at D = -0.493 the other order, (0.0002 D) D, is
// one unit in the last place away and moves G.
TEST_F(Brace, GrowthSquaresTheDeformationFirst) {
  mtest::MaterialHarness h(8, brace_set(1));
  set_up_member(h, 200.0f, 1.0f);  // SLR 100, GF 1.75
  h.step(-0.1f);
  h.step(-0.25f);  // buckles
  h.step(-0.3f);   // on A-B: the first compressive extreme
  h.step(-0.493f); // H = -1.972, above HH = -2.44: along A-B, G grows
  const float d = -0.493f;
  const float g = (0.55f * std::fabs(d) / 100.0f + 0.0002f * (d * d)) * 1.75f;
  EXPECT_NEAR(g, (0.55 * 0.493 / 100.0 + 0.0002 * 0.493 * 0.493) * 1.75, 1.0e-9);
  EXPECT_EQ(h.committed()[kGrowth], g);
}

// A shape-3 brace (no growth) through a whole cycle: buckling, A-B, B-C,
// point C dragged beyond H = -12, reloading along C-D and D-E to the plateau,
// unloading. Each force from the rule of its row; the energies are the work
// of the steps.
TEST_F(Brace, FullCycleWithEnergies) {
  mtest::MaterialHarness h(8, brace_set(3));
  set_up_member(h, 200.0f, 1.0f);
  struct Stop {
    float d;
    double p;
    float rule;
  };
  const std::vector<Stop> stops = {
      {-0.1f, -160.0, 1},            // elastic
      {-0.25f, -258.579408, 2},      // buckled: onto A-B
      {-1.0f, -118.644852, 2},       // along A-B
      {-1.25f, -72.0, 2},            // at B
      {-1.26f, -70.134206, 3},       // beyond B, still at the slope of A-B
      {-1.5f, -25.355148, 3},        // on B-C from here
      {-3.0f, -4.783719, 3},         // H = -12: C follows
      {-3.25f, -4.743719, 3},        // C follows to H = -13, tangent -0.0001 KE
      {-3.0f, -4.783719, 4},         // reloading onto C-D
      {-2.0f, 58.609215, 4},         // along C-D
      {0.0f, 185.395084, 5},         // beyond D onto D-E
      {0.2f, 253.570767, 5},         // along D-E
      {0.5f, 355.834293, 6},         // beyond E = 1: the plateau
      {0.4f, 355.834283, 1},         // unloading counts a cycle
      {0.3f, 195.834283, 1},         // elastic
  };
  double work = 0.0;
  double pl = 0.0, dl = 0.0;
  for (const Stop& t : stops) {
    const float p = h.step(t.d);
    EXPECT_NEAR(p, t.p, 2.0e-3) << "d = " << t.d;
    EXPECT_EQ(h.committed()[kRule], t.rule) << "d = " << t.d;
    work += (t.d - dl) * (t.p + pl) / 2.0;
    pl = t.p;
    dl = t.d;
    if (t.d == -3.0f && t.rule == 3) {
      EXPECT_FLOAT_EQ(h.committed()[kHC], -12.0f);
      EXPECT_NEAR(h.committed()[kVC], -4.783719 / 400.0, 1.0e-6);
      EXPECT_NEAR(h.tangent(), -0.16, 1.0e-6);
    }
  }
  EXPECT_FLOAT_EQ(h.committed()[kHC], -13.0f);
  EXPECT_FLOAT_EQ(h.committed()[kCycle], 2.0f);
  EXPECT_FLOAT_EQ(h.committed()[kGrowth], 0.0f);
  EXPECT_EQ(count(h.output(), "BUCKLING LOAD"), 1);

  const double ese = 195.834283 * 195.834283 / (2.0 * 1600.0);
  const MatCall r = h.results();
  EXPECT_NEAR(r.ese, ese, 1.0e-3);
  EXPECT_NEAR(r.ese + r.pse, work, 2.0e-2);
  EXPECT_NEAR(r.pse, work - ese, 2.0e-2);
  EXPECT_NEAR(r.duct[0], 13.0f, 1.0e-5f);  // |D| = 3.25 = 13 DY

  // Largest |D| = 3.25: DI = 3.25/2.5 + 0.1/(2.5 x 400) x PSE.
  const MatCall dmg = h.damage();
  EXPECT_FLOAT_EQ(dmg.d, -3.25f);
  EXPECT_NEAR(dmg.p, -4.743719, 2.0e-3);
  EXPECT_NEAR(dmg.di, 1.3 + 0.1 / 1000.0 * (work - ese), 1.0e-5);
}

// Reversal from A-B onto the elastic branch aimed at C-D (rule 8), on to C-D,
// and the return from C-D onto the elastic branch that starts on A-B.
TEST_F(Brace, ReversalAndReturn) {
  mtest::MaterialHarness h(8, brace_set(3));
  set_up_member(h, 200.0f, 1.0f);
  h.step(-0.1f);
  h.step(-0.25f);
  h.step(-1.0f);  // H = -4 on A-B, between B and H

  // The step taken at slope 1 from its start (-4, V0): V0 = V - dH sAB.
  EXPECT_NEAR(h.step(-0.9f), 41.355148, 2.0e-3);
  const float* s = h.committed();
  EXPECT_EQ(s[kRule], 8.0f);
  EXPECT_FLOAT_EQ(h.tangent(), 1600.0f);
  EXPECT_NEAR(s[kV0], -0.296612, 1.0e-5);
  EXPECT_NEAR(s[kH0], -4.0, 1.0e-5);
  EXPECT_NEAR(s[kH1], -3.382342, 1.0e-5);  // where the elastic line meets C-D
  EXPECT_NEAR(s[kV1], 0.321046, 1.0e-5);

  struct Stop {
    float d;
    double p;
    float rule;
    double tangent;
  };
  const Stop stops[] = {
      {-0.8f, 201.355148, 4, 81.886886},     // past the target: onto C-D
      {-0.7f, 209.543837, 4, 81.886886},     // along C-D
      {-0.8f, 201.355148, 8, 1600.0},        // back: return toward A-B
      {-0.95f, -38.644852, 8, 1600.0},       // elastic
      {-1.05f, -109.315882, 2, -186.579408}, // below its start: onto A-B
  };
  for (const Stop& t : stops) {
    EXPECT_NEAR(h.step(t.d), t.p, 2.0e-3) << "d = " << t.d;
    EXPECT_EQ(h.committed()[kRule], t.rule) << "d = " << t.d;
    EXPECT_NEAR(h.tangent(), t.tangent, 1.0e-3) << "d = " << t.d;
  }
  // The return: the branch from (-4, V0) on A-B to the turning point.
  EXPECT_NEAR(s[kH0], -4.0, 1.0e-5);
  EXPECT_NEAR(s[kH1], -3.2, 1.0e-5);
  EXPECT_NEAR(s[kV1], 201.355148 / 400.0, 1.0e-5);
  // Inside the branch's range the elastic energy runs on the chord to its end.
  EXPECT_NEAR(s[kKU], 1242.684118, 1.0e-2);
  EXPECT_NEAR(h.step(-1.1f), -99.986911, 2.0e-3);
  EXPECT_NEAR(s[kKU], 1004.473531, 1.0e-2);
}

// The allowable elongation DU = MAX DUC x DY = 2.5 sets event 2 on the
// plateau; a brace whose event is 2 never reports buckling afterwards.
TEST_F(Brace, AllowableElongationEvent) {
  mtest::MaterialHarness h(8, brace_set(1));
  set_up_member(h, 200.0f, 1.0f);
  h.step(0.25f);
  h.step(2.4f);
  EXPECT_FLOAT_EQ(h.committed()[kEvent], 0.0f);
  h.step(2.5f);
  EXPECT_FLOAT_EQ(h.committed()[kEvent], 2.0f);
  EXPECT_FLOAT_EQ(h.committed()[kDU], 2.5f);
  h.step(2.4f);   // leaves the plateau
  h.walk(-2.0f, 20);
  EXPECT_FLOAT_EQ(h.committed()[kEvent], 2.0f);
  EXPECT_EQ(h.output().find("BUCKLING"), std::string::npos);
  EXPECT_GE(h.committed()[kRule], 2.0f);  // it did buckle
}

// A length the element could not give (0 in word 5) is taken as 1.0: the
// stiffness E A / 1 stays finite and positive.
TEST_F(Brace, LengthNotPositiveIsTakenAsOne) {
  for (float length : {0.0f, -3.0f}) {
    mtest::MaterialHarness h(8, brace_set(1));
    set_up_member(h, length, 1.0f);
    EXPECT_FLOAT_EQ(h.tangent(), 320000.0f) << length;
    EXPECT_FLOAT_EQ(h.committed()[kDY], 400.0f / 320000.0f);
    EXPECT_NEAR(h.step(0.001f), 320.0f, 1.0e-3f);
  }
}

// Member data the envelope cannot use stops the run with a message: a shape
// other than 1, 2, 3, and E, A, R or YS not positive at input; a slenderness
// KEFF L / R not above 0 at the set-up.
TEST_F(Brace, UnusableDataStopsTheRun) {
  struct Case {
    const char* record;
    const char* message;
  };
  const Case cases[] = {
      {"BRACE 32000. 10. 2. 40. 0. 10. 0.1\n", "SHAPE MUST BE 1, 2 OR 3"},
      {"BRACE 32000. 10. 2. 40. 4. 10. 0.1\n", "SHAPE MUST BE 1, 2 OR 3"},
      {"BRACE 0. 10. 2. 40. 1. 10. 0.1\n", "E, A, R AND YS MUST BE POSITIVE"},
      {"BRACE 32000. 0. 2. 40. 1. 10. 0.1\n", "E, A, R AND YS MUST BE POSITIVE"},
      {"BRACE 32000. 10. 0. 40. 1. 10. 0.1\n", "E, A, R AND YS MUST BE POSITIVE"},
      {"BRACE 32000. 10. 2. 0. 1. 10. 0.1\n", "E, A, R AND YS MUST BE POSITIVE"},
  };
  for (const Case& t : cases) {
    mtest::MaterialHarness h(8, brace_set(1) + t.record);
    MatCall c = mtest::read_call(2);
    try {
      materials::mat08(c);
      ADD_FAILURE() << "no stop for " << t.record;
    } catch (const kv::RunStop& stop) {
      EXPECT_NE(stop.status, 0);
    }
    const std::string out = h.output();
    EXPECT_NE(out.find(std::string("ERROR IN BRACE MATERIAL SET    2: ") + t.message),
              std::string::npos)
        << out;
  }

  mtest::MaterialHarness h(8, brace_set(1));
  h.preset_state_word(kLength, 200.0f);
  h.preset_state_word(kKeff, 0.0f);
  try {
    h.init();
    ADD_FAILURE() << "no stop for KEFF = 0";
  } catch (const kv::RunStop& stop) {
    EXPECT_NE(stop.status, 0);
  }
  EXPECT_NE(h.output().find("SLENDERNESS KEFF*L/R IS NOT POSITIVE"), std::string::npos)
      << h.output();
}

// With trace letter K the set-up prints the envelope's control points.
TEST_F(Brace, ControlPointTrace) {
  mtest::MaterialHarness h(8, brace_set(1), 1, 1 << 10);
  set_up_member(h, 200.0f, 1.0f);
  const std::string out = h.output();
  const char* lines[] = {
      "     BRACE HYSTERESIS ENVELOPE CONTROL POINTS....\n"
      "     ============================================\n"
      "     CYCLE    ---------=    1.0000\n"
      "     RULE     ---------=    1.0000\n",
      "     (HA, VA) ---------= (    -0.6834,   -0.6834 )\n",
      "     (HB, VB) ---------= (    -5.0000,   -0.1800 )\n",
      "     (HC, VC) ---------= (   -12.0000,   -0.1200 )\n",
      "     (HC1, VC1) -------= (    -9.6553,    0.0000 )\n",
      "     (HD, VD) ---------= (    -1.5484,    0.4149 )\n",
      "     (HD1, VD1) -------= (    -2.5807,    0.6915 )\n",
      "     (HH, VH) ---------= (    -2.4417,   -0.4783 )\n",
      "     (HE, VE) ---------= (     1.0000,    1.0000 )\n\n",
  };
  for (const char* line : lines) EXPECT_NE(out.find(line), std::string::npos) << line << out;
}

}  // namespace
