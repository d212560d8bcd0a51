// The longitudinal steel law along bar strain paths worked by hand: EM 29.0E6,
// YS 60000 (EY = 0.00206897), hardening 1% (Esh = 290000).
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "members/rc/rc_section_head.h"
#include "members/rc/steel_fibre.h"
#include "members/rc_test_sections.h"

namespace {

using namespace members::rc;
namespace ss = steel_state;

constexpr float kEm = 29.0e6f;
constexpr float kYs = 60000.0f;
constexpr float kEy = kYs / kEm;
constexpr float kEsh = 0.01f * kEm;

SteelLaw law() { return {kEm, kEy, kEsh}; }
SteelFibre virgin() { return {0.0f, kEy, -kEy, ss::kElastic}; }

struct Step {
  float eps;
  SteelStep kind;
  float state;
  float stress;  // hand value
};

void walk(const char* path, SteelFibre f, const std::vector<Step>& steps) {
  float eps0 = 0.0f;
  float et = 0.0f;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    const SteelStep kind = steel_fibre(f, s.eps, s.eps - eps0, law(), et);
    EXPECT_EQ(kind, s.kind) << path << " step " << i + 1;
    EXPECT_EQ(f.fstate, s.state) << path << " step " << i + 1;
    EXPECT_NEAR(f.stress, s.stress, 1.0f) << path << " step " << i + 1;
    const bool yielding = kind != SteelStep::kElastic && kind != SteelStep::kUnloading;
    EXPECT_EQ(et, yielding ? kEsh : kEm) << path << " step " << i + 1;
    eps0 = s.eps;
  }
}

TEST(SteelFibre, BarCyclesWithKinematicHardening) {
  // Yield at 0.003: 60000 + 290000 (0.003 - EY) = 60270; to 0.016: 64040.
  // Unloading: the band is now 0.016 - 2 EY = 0.0118621 .. 0.016; reverse
  // yield at 64040 - 120000 = -55960, then -250 more to 0.011.
  walk("tension first", virgin(),
       {
           {0.001f, SteelStep::kElastic, ss::kElastic, 29000.0f},
           {0.003f, SteelStep::kYieldTension, ss::kYieldingTension, 60270.0f},
           {0.016f, SteelStep::kHardenTension, ss::kYieldingTension, 64040.0f},
           {0.013f, SteelStep::kUnloading, ss::kElastic, 64040.0f - 87000.0f},
           {0.011f, SteelStep::kYieldCompression, ss::kYieldingCompression, -55960.0f - 250.0f},
           {0.010f, SteelStep::kHardenCompression, ss::kYieldingCompression, -56500.0f},
       });
  walk("compression first", virgin(),
       {
           {-0.004f, SteelStep::kYieldCompression, ss::kYieldingCompression, -60000.0f - 290000.0f * (0.004f - kEy)},
           {-0.003f, SteelStep::kUnloading, ss::kElastic, -60560.0f + 29000.0f},
       });
}

TEST(SteelFibre, ReversalAcrossTheWholeBandYieldsAtTheFarLimit) {
  // In compression yielding at 0.011 (band 0.011 .. 0.0151379, stress -56210),
  // one step up to 0.020: elastic to the band's top at 63790, then hardening
  // over 0.0048621: 65200 (the step is not taken as wholly elastic).
  SteelFibre f{-56210.0f, 0.011f + 2.0f * kEy, 0.011f, ss::kYieldingCompression};
  float et = 0.0f;
  EXPECT_EQ(steel_fibre(f, 0.020f, 0.009f, law(), et), SteelStep::kYieldTension);
  EXPECT_NEAR(f.stress, 65200.0f, 1.0f);
  EXPECT_FLOAT_EQ(f.e1, 0.020f);
  EXPECT_FLOAT_EQ(f.e2, 0.020f - 2.0f * kEy);
  // And back down across the whole band again.
  EXPECT_EQ(steel_fibre(f, 0.010f, -0.010f, law(), et), SteelStep::kYieldCompression);
  EXPECT_NEAR(f.stress, 65200.0f - 120000.0f - 290000.0f * (0.020f - 2.0f * kEy - 0.010f), 1.0f);
}

TEST(SteelFibre, StepEndingOnTheBandLimitMovesTheStress) {
  SteelFibre f = virgin();
  float et = 0.0f;
  steel_fibre(f, 0.001f, 0.001f, law(), et);
  EXPECT_EQ(steel_fibre(f, kEy, kEy - 0.001f, law(), et), SteelStep::kElastic);
  EXPECT_NEAR(f.stress, kYs, 0.5f);
  EXPECT_EQ(steel_fibre(f, 0.004f, 0.004f - kEy, law(), et), SteelStep::kYieldTension);
  EXPECT_NEAR(f.stress, kYs + kEsh * (0.004f - kEy), 0.5f);
}

// ------------------------------------------------------------- section level

// A circular section with 4 bars after 64 concrete fibres (NQ 3, 5 layers);
// one segment; the strain goes to every bar alike.
struct Section {
  static constexpr int kFibres = 68;
  std::array<float, kFibres> e0{}, e1{}, e2{}, de{}, stress{}, fstate{}, strain{}, et{};
  std::array<float, 21> lsonce{};
  float flp = 0.0f;
  SteelSection s;
  explicit Section(int nend = 0) {
    s.imater = kCircularBars;
    s.n1 = 3;
    s.nbar1 = 4;
    s.law = law();
    s.ys = kYs;
    s.esu = 0.09f;
    s.ielno = 3;
    s.nend = nend;
    e1.fill(kEy);
    e2.fill(-kEy);
  }
  SectionFibres fibres() {
    return {1, 1, kFibres, e0.data(), e1.data(), e2.data(), de.data(), stress.data(), fstate.data(),
            nullptr, nullptr, nullptr, strain.data(), et.data()};
  }
  void step(float eps) {
    for (int k = 65; k <= kFibres; ++k) {
      const auto i = static_cast<std::size_t>(k - 1);
      de[i] = eps - strain[i];
      strain[i] = eps;
      e0[i] = eps;
    }
    stltan(s, fibres(), {&flp, lsonce.data()});
  }
  float bar_stress() const { return stress[64]; }
};

TEST(SteelSection, CodesRaisedOnceEach) {
  Section sec;
  sec.step(0.02f);  // first yield: only code 1, even past 0.015
  EXPECT_EQ(sec.flp, 1.0f);
  EXPECT_EQ(sec.lsonce[4], 0.0f);
  sec.step(0.021f);  // yielding on: 0.015 passed
  EXPECT_EQ(sec.flp, 3.5f);
  sec.flp = 0.0f;
  sec.step(0.03f);
  EXPECT_EQ(sec.flp, 0.0f);
  sec.step(0.095f);  // beyond ESU
  EXPECT_EQ(sec.flp, 7.0f);
  EXPECT_EQ(sec.lsonce[1] + sec.lsonce[4] + sec.lsonce[7], 3.0f);
  EXPECT_EQ(sec.stress[63], 0.0f);  // the concrete fibres are not the steel law's
}

TEST(SteelSection, NodalEndSplitsTheFirstYieldStepAndRaisesItsCodesAtOnce) {
  Section b(1);
  b.step(0.02f);
  EXPECT_NEAR(b.bar_stress(), kYs + kEsh * (0.02f - kEy), 1.0f);  // not 290000 x 0.02
  EXPECT_EQ(b.flp, 3.5f);  // first yield and 0.015 in one step
  EXPECT_EQ(b.lsonce[1], 1.0f);
  EXPECT_EQ(b.lsonce[4], 1.0f);
}

TEST(SteelSection, BucklingStrainWithItsMessage) {
  rctest::Unit6 unit6;
  Section sec;
  sec.s.ecr = 0.0075f;
  sec.step(-0.005f);
  sec.step(-0.0074f);
  EXPECT_EQ(sec.lsonce[6], 0.0f);
  sec.step(-0.008f);
  EXPECT_EQ(sec.flp, 6.0f);
  sec.step(-0.009f);
  sec.step(-0.095f);
  EXPECT_EQ(sec.flp, 7.0f);
  const std::string out = unit6.text();
  EXPECT_NE(out.find("\n***%MEMBER   3SEG.     1STEEL ELE.    65STRAIN=  -0.800000E-02AT ISTEP     0\n"
                     "     WHICH EXCEEDS BUCKLING STRAIN (ECR) OF    0.750000E-02\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("***%", out.find("***%") + 1), std::string::npos);  // once per member

  Section none;  // ECR 0.0: no buckling check
  none.step(-0.005f);
  none.step(-0.05f);
  EXPECT_EQ(none.lsonce[6], 0.0f);
}

TEST(SteelSection, ElasticSwitchAndSplice) {
  Section el;
  el.s.ielas = 0;
  el.step(0.01f);
  EXPECT_FLOAT_EQ(el.bar_stress(), kEm * 0.01f);
  EXPECT_EQ(el.flp, 0.0f);

  Section sp;
  sp.s.splice = 30.0f;
  sp.s.fslap = 40000.0f;
  sp.step(0.001f);
  EXPECT_EQ(sp.lsonce[11], 0.0f);
  sp.step(0.0015f);  // 43500 >= 40000
  EXPECT_EQ(sp.lsonce[11], 1.0f);
  EXPECT_EQ(sp.flp, 0.0f);

  Section spb(2);  // nodal end: an unconfined section raises code 11 itself
  spb.s.splice = 30.0f;
  spb.s.fslap = 40000.0f;
  spb.step(0.0015f);
  EXPECT_EQ(spb.flp, 11.0f);

  Section none;  // no bars, nothing happens
  none.s.nbar1 = 0;
  none.step(0.01f);
  EXPECT_EQ(none.stress[67], 0.0f);
}

}  // namespace
