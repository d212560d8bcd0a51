// The concrete fibre law along strain paths worked by hand. The law of the
// paths has round numbers: f'cc 4000, strain at the peak 0.002, r = 2 (so
// Ec = 4.0E6 and the envelope is -4000 * 2x / (x^2 + 1), x = -eps/0.002),
// tensile strength 400 (cracking strain 1.0E-4).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "members/rc/concrete_fibre.h"
#include "members/rc/rc_fibre_mesh.h"
#include "members/rc/rc_section_head.h"
#include "members/rc_test_sections.h"

namespace {

using namespace members::rc;
namespace cs = concrete_state;

ConcreteLaw core_law() { return {{4000.0f, 0.002f, 2.0f}, 4.0e6f, 0.02f, false}; }
ConcreteLaw cover_law() { return {{4000.0f, 0.002f, 2.0f}, 4.0e6f, 0.004f, true}; }
ConcreteFibre virgin() { return {0.0f, cs::kEnvelope, 1.0e-4f, -0.004f, 400.0f, 0.0f, 0.0f}; }

struct Step {
  float eps;        // new total strain
  float state;      // FSTATE after the step
  float stress;     // stress after the step (hand value)
  float et;         // tangent after the step (hand value)
};

// Walks the fibre along the steps and checks each one.
void walk(const char* path, ConcreteFibre f, const ConcreteLaw& law, const std::vector<Step>& steps,
          ConcreteEvents* last = nullptr) {
  float eps0 = 0.0f;
  float et = law.ec;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    const ConcreteEvents ev = concrete_fibre(f, s.eps, s.eps - eps0, law, et);
    if (last != nullptr) *last = ev;
    EXPECT_EQ(f.fstate, s.state) << path << " step " << i + 1 << " eps " << s.eps;
    EXPECT_NEAR(f.stress, s.stress, 0.05f + 1e-4f * std::fabs(s.stress)) << path << " step " << i + 1;
    EXPECT_NEAR(et, s.et, 1e-4f * std::fabs(s.et) + 1e-6f) << path << " step " << i + 1;
    eps0 = s.eps;
  }
}

TEST(ConcreteFibre, CompressionUnloadingCrackingAndClosing) {
  // Unloading line from (-0.001, -3200) with slope 4.0E6; it reaches the
  // tensile strength 400 at -0.0001, the crack strain. The closing line runs
  // from (-0.0001, 0) back to (-0.001, -3200): slope 3200/0.0009.
  const float s41 = 3200.0f / 0.0009f;
  walk("cyclic", virgin(), core_law(),
       {
           {-0.001f, cs::kEnvelope, -3200.0f, 1.92e6f},
           {-0.0005f, cs::kUnloading, -1200.0f, 4.0e6f},
           {-0.0007f, cs::kUnloading, -2000.0f, 4.0e6f},
           {-0.00015f, cs::kTensionAfter, 200.0f, 4.0e6f},
           {-0.00012f, cs::kTensionAfter, 320.0f, 4.0e6f},
           {-0.00005f, cs::kCrackedAfter, 0.0f, kNoStiffness},
           {0.0001f, cs::kCrackedAfter, 0.0f, kNoStiffness},
           {-0.0003f, cs::kClosingAfter, -0.0002f * s41, s41},
           {-0.0006f, cs::kClosingAfter, -0.0005f * s41, s41},
           {-0.0004f, cs::kClosingAfter, -0.0003f * s41, s41},
           // Past the reversal strain: back on the envelope, x = 0.6 and 0.75.
           {-0.0012f, cs::kEnvelope, -4800.0f / 1.36f, 4.0e6f * (1.0f / 1.36f - 0.72f / (1.36f * 1.36f))},
           {-0.0015f, cs::kEnvelope, -3840.0f, 4.0e6f * (1.0f / 1.5625f - 1.125f / (1.5625f * 1.5625f))},
       });
}

TEST(ConcreteFibre, TensionCrackOpeningAndClosingWithoutHistory) {
  walk("tension", virgin(), core_law(),
       {
           {0.00005f, cs::kTension, 200.0f, 4.0e6f},
           {0.0002f, cs::kCracked, 0.0f, kNoStiffness},    // 800 > 400: cracks, E1 = 1.0E-4
           {0.0003f, cs::kCracked, 0.0f, kNoStiffness},
           {0.00005f, cs::kClosing, 0.0f, kNoStiffness},   // below E1, closing
           {0.00002f, cs::kClosing, 0.0f, kNoStiffness},
           {0.00015f, cs::kCracked, 0.0f, kNoStiffness},   // open again
           {0.00005f, cs::kClosing, 0.0f, kNoStiffness},
           {-0.001f, cs::kEnvelope, -3200.0f, 1.92e6f},    // past E2 = 0: the envelope
       });
  walk("tension back to compression", virgin(), core_law(),
       {
           {0.00005f, cs::kTension, 200.0f, 4.0e6f},
           {-0.0001f, cs::kEnvelope, -400.0f, 4.0e6f},   // stress below zero: state 0
           {-0.001f, cs::kEnvelope, -3200.0f, 1.92e6f},
       });
  // No tensile strength: the first tension cracks at once.
  ConcreteFibre f = virgin();
  f.c51 = 0.0f;
  f.e1 = 0.0f;
  walk("no tensile strength", f, core_law(), {{0.00001f, cs::kCracked, 0.0f, kNoStiffness}});
}

TEST(ConcreteFibre, CoverSpallsAndCrushes) {
  // Envelope slope at 0.004 (x = 2): 4.0E6 (1/5 - 8/25) = -480000; the line
  // from (-0.004, -3200) falls to zero at -0.0106667.
  ConcreteEvents ev;
  walk("cover", virgin(), cover_law(),
       {
           {-0.002f, cs::kEnvelope, -4000.0f, 0.0f},
           {-0.0039f, cs::kEnvelope, -15600.0f / 4.8025f, 4.0e6f * (1.0f / 4.8025f - 7.605f / (4.8025f * 4.8025f))},
       },
       &ev);
  EXPECT_FALSE(ev.spalled);
  ConcreteFibre f = virgin();
  float et = 0.0f;
  concrete_fibre(f, -0.0039f, -0.0039f, cover_law(), et);
  ev = concrete_fibre(f, -0.0045f, -0.0006f, cover_law(), et);
  EXPECT_TRUE(ev.spalled);
  EXPECT_NEAR(f.stress, -2960.0f, 0.1f);
  EXPECT_NEAR(et, -480000.0f, 1.0f);
  EXPECT_EQ(f.fstate, cs::kEnvelope);
  concrete_fibre(f, -0.012f, -0.0075f, cover_law(), et);
  EXPECT_EQ(f.fstate, cs::kCrushed);
  EXPECT_EQ(f.stress, 0.0f);
  concrete_fibre(f, -0.005f, 0.007f, cover_law(), et);  // a crushed fibre stays dead
  EXPECT_EQ(f.fstate, cs::kCrushed);
  EXPECT_EQ(et, kNoStiffness);
}

TEST(ConcreteFibre, CoreBeyondUltimateStrainAndSpliceStrain) {
  ConcreteLaw law = core_law();
  law.ecu = 0.003f;
  ConcreteFibre f = virgin();
  float et = 0.0f;
  ConcreteEvents ev = concrete_fibre(f, -0.0019f, -0.0019f, law, et);
  EXPECT_FALSE(ev.splice_strain);
  EXPECT_FALSE(ev.beyond_ecu);
  ev = concrete_fibre(f, -0.0025f, -0.0006f, law, et);
  EXPECT_TRUE(ev.splice_strain);
  EXPECT_FALSE(ev.beyond_ecu);
  ev = concrete_fibre(f, -0.0035f, -0.001f, law, et);
  EXPECT_TRUE(ev.beyond_ecu);
  EXPECT_EQ(f.fstate, cs::kEnvelope);  // the core stays on its envelope
  EXPECT_NEAR(f.stress, -4000.0f * 3.5f / (1.75f * 1.75f + 1.0f), 0.1f);
}

TEST(ConcreteFibre, ReturnToZeroStrainIsAReversal) {
  // From (-0.001, -3200) straight back to a strain of exactly 0: the fibre
  // unloads on the line of slope Ec instead of keeping -3200 at zero strain.
  ConcreteFibre f = virgin();
  float et = 0.0f;
  concrete_fibre(f, -0.001f, -0.001f, core_law(), et);
  concrete_fibre(f, 0.0f, 0.001f, core_law(), et);
  EXPECT_EQ(f.fstate, cs::kUnloading);
  EXPECT_NEAR(f.stress, 800.0f, 0.1f);
  EXPECT_FLOAT_EQ(f.e2, -0.001f);
  EXPECT_FLOAT_EQ(f.c53, -3200.0f);
}

// ------------------------------------------------------------- section level

// Rectangle 24 x 16, cover 1.5, one core cell a quadrant, no bars: fibres 1-4
// core, 5-16 cover; one segment.
struct Section {
  static constexpr int kFibres = 16;
  std::array<float, kFibres> e0{}, e1{}, e2{}, de{}, stress{}, fstate{}, c51{}, c52{}, c53{}, strain{}, et{};
  std::array<float, 21> lsonce{};
  float flp = 0.0f;
  ConcreteSection s;
  Section() {
    s.imater = kRectangular;
    s.n1 = s.n2 = 1;
    s.conf.fpc = 4000.0f;
    s.conf.ec = 57000.0f * std::sqrt(4000.0f);
    s.conf.ke = 0.75f;
    s.conf.flx = 600.0f;
    s.conf.fly = 900.0f;
    s.conf.rhos = 0.025f;
    s.conf.fyh = 60000.0f;
    s.conf.esu = 0.09f;
    s.conf.imater = kRectangular;
    s.ielno = 7;
    e2.fill(-0.004f);
  }
  SectionFibres fibres() {
    return {1, 1, kFibres, e0.data(), e1.data(), e2.data(), de.data(), stress.data(), fstate.data(),
            c51.data(), c52.data(), c53.data(), strain.data(), et.data()};
  }
  MemberLimits limits() { return {&flp, lsonce.data()}; }  // lsonce[1..20]
  // Every fibre to the strain eps.
  void step(float eps, float& ecu) {
    for (int k = 0; k < kFibres; ++k) {
      de[static_cast<std::size_t>(k)] = eps - strain[static_cast<std::size_t>(k)];
      strain[static_cast<std::size_t>(k)] = eps;
      e0[static_cast<std::size_t>(k)] = eps;
    }
    contan(s, fibres(), ecu, limits());
  }
};

TEST(ConcreteSection, ElasticSwitchSkipsTheLaw) {
  Section sec;
  sec.s.ielas = 0;
  float ecu = 0.0f;
  sec.step(-0.01f, ecu);
  for (int k = 0; k < Section::kFibres; ++k) {
    EXPECT_FLOAT_EQ(sec.stress[static_cast<std::size_t>(k)], -0.01f * sec.s.conf.ec);
    EXPECT_EQ(sec.fstate[static_cast<std::size_t>(k)], 0.0f);
  }
  EXPECT_EQ(ecu, 0.0f);  // CONFIN not called
  EXPECT_EQ(sec.flp, 0.0f);
}

TEST(ConcreteSection, CoverAndCoreCodesOnceWithTheCrushingMessage) {
  rctest::Unit6 unit6;
  Section sec;
  float ecu = 0.0f;
  sec.step(-0.002f, ecu);
  // Cover worked with 0.004, the core computed its own and left it in the word.
  EXPECT_NEAR(ecu, 0.03123f, 1e-5f);
  EXPECT_EQ(sec.flp, 0.0f);
  sec.step(-0.005f, ecu);  // the cover passes 0.004
  EXPECT_EQ(sec.flp, 3.0f);
  EXPECT_EQ(sec.lsonce[3], 1.0f);
  sec.flp = 0.0f;
  sec.step(-0.006f, ecu);
  EXPECT_EQ(sec.flp, 0.0f);  // once per member
  sec.step(-0.032f, ecu);    // the core passes ECU
  EXPECT_EQ(sec.flp, 5.0f);
  EXPECT_EQ(sec.lsonce[5], 1.0f);
  sec.step(-0.035f, ecu);
  const std::string out = unit6.text();
  EXPECT_NE(out.find("***%MEMBER   7SEG.     1ELE.     1STRAIN=  -0.320000E-01AT ISTEP     0\n"
                     "     WHICH EXCEEDS ECU of    0.312"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("***%", out.find("***%") + 1), std::string::npos);  // one message
  EXPECT_NE(out.find("    FCCP   =      0.694000E+04\n"), std::string::npos) << out;
}

TEST(ConcreteSection, LapSpliceByConcreteStrain) {
  Section sec;
  sec.s.splice = 30.0f;
  sec.s.ys = 60000.0f;
  sec.s.fslap = 60000.0f;  // the splice is not stronger than the bars
  float ecu = 0.0f;
  sec.step(-0.0015f, ecu);
  EXPECT_EQ(sec.lsonce[11], 0.0f);
  sec.step(-0.0021f, ecu);
  EXPECT_EQ(sec.lsonce[11], 11.0f);
  EXPECT_EQ(sec.flp, 0.0f);

  Section none;  // no splice length: no flag
  none.s.ys = 60000.0f;
  none.s.fslap = 60000.0f;
  ecu = 0.0f;
  none.step(-0.0021f, ecu);
  EXPECT_EQ(none.lsonce[11], 0.0f);
}

}  // namespace
