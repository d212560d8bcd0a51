// The nodal-end section state: the record of "STABILITY2", the two nodal-end
// fibre laws that differ from the segment-average ones, and the section at
// one end of a box 10 x 10 x 0.5 (36 fibres: A 19, mesh I 285.4258).
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "member_fixture.h"
#include "members/steel/nodal_end_record.h"
#include "members/steel/nodal_end_section.h"

namespace {

using members::StbArray;
using members::StbEndArray;

TEST(NodalEndRecord, WordCountsAndStarts) {
  // N 1, NUMP 8: NPROP 1394, BETAB at PROP(1337), BETAM the last word.
  EXPECT_EQ(members::stb_end_nprop(1, 8), 1394);
  EXPECT_EQ(members::kStbEndFirstProp + members::stb_end_start(StbEndArray::BETAB, 1, 8), 1337);
  EXPECT_EQ(members::kStbEndFirstProp + members::stb_end_start(StbEndArray::BETAM, 1, 8), 1394);
  EXPECT_EQ(members::stb_end_nprop(2, 10), 2568);
  // 126N^2 + 20N*NUMP + 542N + 7NUMP + 480 and the starts of the table.
  for (auto [n, m] : {std::pair{1, 8}, {3, 36}, {32, 100}}) {
    const std::int64_t nn = n, mm = m;
    const std::int64_t base = 126 * nn * nn + 7 * mm + 480;
    EXPECT_EQ(members::stb_end_words(n, m), base + 20 * nn * mm + 542 * nn);
    EXPECT_EQ(members::stb_end_start(StbEndArray::BETAB, n, m), base + 13 * nn * mm + 540 * nn);
    EXPECT_EQ(members::stb_end_start(StbEndArray::USEGB, n, m), base + 13 * nn * mm + 541 * nn);
    EXPECT_EQ(members::stb_end_start(StbEndArray::SIGB, n, m), base + 19 * nn * mm + 541 * nn);
    EXPECT_EQ(members::stb_end_start(StbEndArray::BETAM, n, m), base + 20 * nn * mm + 541 * nn);
  }
}

members::SteelLaw small_law(int imater, int ir = 0, bool elastic = false) {
  members::SteelLaw l;
  l.imater = imater;
  l.em = 29000.0f;
  l.ys = 29.0f;
  l.ey = 0.001f;
  l.ratio3 = 0.02f;  // post-yield 580
  l.ir = ir;
  l.elastic = elastic;
  return l;
}

struct BandStep {
  std::string name;
  float e1, e2, sig, eps_before, de;  // entry
  float sig_after, et, e1_after, e2_after;
};

// The moving band: a step leaving it is taken whole at 580.
TEST(NodalEndLaws, MovingBandCases) {
  const std::vector<BandStep> steps = {
      {"inside the band", 0.001f, -0.001f, 0.0f, 0.0f, 0.0005f, 14.5f, 29000.0f, 0.001f, -0.001f},
      {"leaves upward: whole step at 580", 0.001f, -0.001f, 14.5f, 0.0005f, 0.001f, 15.08f, 580.0f,
       0.0015f, -0.0005f},
      {"still upward", 0.0015f, -0.0005f, 15.08f, 0.0015f, 0.0005f, 15.37f, 580.0f, 0.002f, 0.0f},
      {"back inside the moved band", 0.002f, 0.0f, 15.37f, 0.002f, -0.0005f, 0.87f, 29000.0f, 0.002f,
       0.0f},
      {"through the lower bound", 0.002f, 0.0f, 0.87f, 0.0015f, -0.002f, -0.29f, 580.0f, 0.0015f,
       -0.0005f},
      {"no increment exactly at E1 moves the band", 0.001f, -0.0005f, 29.0f, 0.001f, 0.0f, 29.0f,
       580.0f, 0.001f, -0.001f},
      {"unloading beyond E1 is elastic", 0.001f, -0.001f, 30.0f, 0.0035f, -0.0005f, 15.5f, 29000.0f,
       0.001f, -0.001f},
      {"reloading below E2 is elastic", 0.001f, -0.001f, -30.0f, -0.0035f, 0.0005f, -15.5f, 29000.0f,
       0.001f, -0.001f},
  };
  for (const BandStep& s : steps) {
    SCOPED_TRACE(s.name);
    members::SteelFibre f;
    f.e1 = s.e1;
    f.e2 = s.e2;
    f.sig = s.sig;
    const members::FibreStep r = members::tangb0(small_law(0), f, s.de, s.eps_before + s.de, -1.0f);
    EXPECT_NEAR(r.s.sig, s.sig_after, 1e-4f);
    EXPECT_FLOAT_EQ(r.et, s.et);
    EXPECT_NEAR(r.s.e1, s.e1_after, 1e-9f);
    EXPECT_NEAR(r.s.e2, s.e2_after, 1e-9f);
  }
  // IELAS 0: elastic whatever the band says.
  members::SteelFibre f;
  f.e1 = 0.001f;
  f.e2 = -0.001f;
  const members::FibreStep r = members::tangb0(small_law(0, 0, true), f, 0.003f, 0.003f, -1.0f);
  EXPECT_FLOAT_EQ(r.s.sig, 87.0f);
  EXPECT_FLOAT_EQ(r.et, 29000.0f);
}

// Law 2 with IR 3: compliance (3x^2 + 1)/EM from x = 0.2; each step runs on
// the tangent the step before it left.
TEST(NodalEndLaws, RambergOsgoodPath) {
  const members::SteelLaw l = small_law(2, 3);
  struct Step {
    float de, sig, et;
  };
  const std::vector<Step> path = {
      {0.0001f, 2.9f, 29000.0f},              // x 0.1: elastic
      {0.0003f, 11.6f, 19594.595f},           // x 0.4
      {0.0002f, 15.518919f, 15598.872f},      // on the tangent of the last step
      {-0.0002f, 9.718919f, 29000.0f},        // reversal: EM, reversal point kept
      {-0.0004f, -1.881081f, 22834.646f},     // x = 17.4/58 = 0.3 from the reversal
  };
  members::RoHistory h;
  float sig = 0.0f, eps = 0.0f;
  members::RoStep st = members::tangb2(l, sig, 0.0f, eps, true, h);  // set-up
  EXPECT_EQ(st.et, 29000.0f);
  EXPECT_EQ(st.h.etold, 29000.0f);
  h = st.h;
  sig = st.sig;
  int n = 0;
  for (const Step& s : path) {
    SCOPED_TRACE("step " + std::to_string(++n));
    eps += s.de;
    st = members::tangb2(l, sig, s.de, eps, false, h);
    EXPECT_NEAR(st.sig, s.sig, 2e-5f * std::fmax(1.0f, std::fabs(s.sig)));
    EXPECT_NEAR(st.et, s.et, 1e-5f * s.et);
    EXPECT_EQ(st.h.deold, s.de);
    EXPECT_EQ(st.h.sgold, st.sig);
    h = st.h;
    sig = st.sig;
  }
  EXPECT_NEAR(h.eprev, 0.0006f, 1e-9f);
  EXPECT_NEAR(h.sgrev, 15.518919f, 1e-4f);
  // A tangent without a finite value gives no stiffness, not a NaN.
  members::SteelLaw bad = l;
  bad.ys = 0.0f;
  members::RoHistory h2;
  h2.etold = 29000.0f;
  h2.deold = 1.0f;
  EXPECT_EQ(members::tangb2(bad, 0.0f, 0.001f, 0.001f, false, h2).et, 0.0f);
}

constexpr float kEm = 29.0e6f;
constexpr float kYs = 50000.0f;
constexpr float kArea = 19.0f;
constexpr float kInertia = 285.4258f;

// A one-segment "STABILITY2" record of the box, set up as the member rule
// leaves it (both ends: principal coordinates = mesh, band +-EY, ET = EM).
struct EndBox : memtest::MemberOutputTest {
  void make(int ielas, float ratio3 = 0.02f, int irev1 = 0, int imater = members::kLawBilinear) {
    members::SectionWords w = memtest::box_10x10_words();
    w.irev = {irev1, 0, 0, 0};
    p.words = w;
    p.tota = 90.25f;
    p.g = 11.2e6f;
    p.law.imater = imater;
    p.law.em = kEm;
    p.law.ys = kYs;
    p.law.ey = kYs / kEm;
    p.law.ratio3 = ratio3;
    p.law.ir = 3;
    p.law.elastic = ielas == 0;
    p.ielas = ielas;
    p.ielno = 4;
    state = 0.0f;
    nump = members::steel_fibre_count(w);
    words.assign(static_cast<std::size_t>(members::stb_end_words(1, nump)), 0.0f);
    rec = std::make_unique<members::StbEndMem>(words.data(), 1, nump);
    a = members::nodal_end_arrays(*rec);
    const auto n = static_cast<std::size_t>(nump);
    members::ecclib(w, {{a.u.p, n}, {a.v.p, n}, {a.area.p, n}, {a.flen.p, n}});
    for (auto& e : a.end) {
      for (int j = 1; j <= nump; ++j) {
        e.useg(1, j) = a.u(j);
        e.vseg(1, j) = a.v(j);
        e.e1(1, j) = p.law.ey;
        e.e2(1, j) = -p.law.ey;
      }
    }
    for (int j = 1; j <= nump; ++j) a.et(j) = kEm;
  }
  members::SectionResponse run(int end, float dec, float dcu, float target, bool setup = false) {
    members::NodalEndSection s(a, p, &state);
    call = {};
    call.end = end;
    call.dec = dec;
    call.dcu = dcu;
    call.target_axial = target;
    call.setup = setup;
    return s.evaluate(call);
  }
  members::SteelSectionParams p;
  int nump = 0;
  std::vector<float> words;
  std::unique_ptr<members::StbEndMem> rec;
  members::NodalEndArrays a;
  members::SectionCall call;
  float state = 0.0f;
};

TEST_F(EndBox, SetUpGivesElasticRigiditiesAtBothEnds) {
  make(1);
  for (int end : {1, 2}) {
    const members::SectionResponse r = run(end, 0.0f, 0.0f, 0.0f, true);
    EXPECT_NEAR(r.ea, kEm * kArea, 1e-5 * kEm * kArea);
    EXPECT_NEAR(r.eiu, kEm * kInertia, 1e-5 * kEm * kInertia);
    EXPECT_NEAR(r.eiv, kEm * kInertia, 1e-5 * kEm * kInertia);
    EXPECT_EQ(r.beta, 0.0f);
    EXPECT_EQ(r.axial, 0.0f);
    EXPECT_EQ(call.dec, 0.0f);
  }
  EXPECT_EQ(output().find("INEFFICIENT"), std::string::npos);
}

// 100,000 lb of compression asked at each end: the passes find the strain
// -100000/(E A) and the axial force carried is the target itself (IELAS 1);
// IELAS 0 replaces it at end 1 only; IELAS 2 at neither.
TEST_F(EndBox, AxialPassesAndTheReplacementOfEachIelas) {
  const float target = -100000.0f;
  const float strain = target / (kEm * kArea);
  struct Row {
    int ielas, end;
    float dec;         // entry increment
    bool replaced;
  };
  for (const Row& row : {Row{1, 1, 0.0f, true}, Row{1, 2, 0.0f, true}, Row{0, 1, -1.8e-4f, true},
                         Row{0, 2, -1.8e-4f, false}, Row{2, 1, -1.8e-4f, false}}) {
    SCOPED_TRACE("IELAS " + std::to_string(row.ielas) + " end " + std::to_string(row.end));
    make(row.ielas);
    const members::SectionResponse r = run(row.end, row.dec, 0.0f, target);
    if (row.ielas == 1) {
      EXPECT_NEAR(call.dec, strain, 1e-4f * std::fabs(strain));
    }
    if (row.replaced) {
      EXPECT_EQ(r.axial, target);
    } else {
      EXPECT_NEAR(r.axial, kEm * kArea * row.dec, 1e-4f * 1e5f);  // E A dec = -99,180
      EXPECT_NE(r.axial, target);
    }
    // The end's own fibres moved; the other end's did not.
    const auto& mine = a.end[static_cast<std::size_t>(row.end - 1)];
    const auto& other = a.end[static_cast<std::size_t>(2 - row.end)];
    EXPECT_NEAR(mine.sig(1, 1), kEm * call.dec, 1e-3f * std::fabs(kEm * call.dec));
    EXPECT_EQ(other.sig(1, 1), 0.0f);
  }
}

// A curvature increment phi about U: M = E I phi at either end, with the
// sense of end B (end 1 places it negated); a zero target converges against
// 0.005 YS TOTA.
TEST_F(EndBox, ElasticMomentOfACurvature) {
  make(1);
  const float phi = 1.0e-5f;
  for (int end : {1, 2}) {
    const members::SectionResponse r = run(end, 0.0f, phi, 0.0f);
    EXPECT_NEAR(r.mu, kEm * kInertia * phi, 1e-4f * kEm * kInertia * phi);
    EXPECT_NEAR(r.mv, 0.0f, 1.0f);
    EXPECT_NEAR(r.axial, 0.0f, 1.0f);
  }
}

// RATIO3 0 and every fibre past yield: no axial rigidity at all. The section
// keeps the mesh centroid and its angle, reports no rigidity, no NaN, and
// prints its error lines. The step that leaves the band runs whole at slope
// 0, so the stress stays that of the elastic step before it: E * 0.0017.
TEST_F(EndBox, FullyYieldedEndWithoutHardeningStaysFinite) {
  make(1, 0.0f);
  p.ielas = 2;
  run(1, -0.0017f, 0.0f, 0.0f);
  p.ielas = 1;
  ASSERT_EQ(output().find("INEFFICIENT"), std::string::npos);
  a.end[0].beta(1) = 0.25f;
  const members::SectionResponse r = run(1, -0.005f, 0.0f, -300000.0f);
  for (float x : {r.ea, r.eiu, r.eiv, r.uc0, r.vc0, r.beta, r.axial, r.mu, r.mv, call.dec}) {
    EXPECT_TRUE(std::isfinite(x));
  }
  EXPECT_EQ(r.ea, 0.0f);
  EXPECT_EQ(r.eiu, 0.0f);
  EXPECT_NEAR(r.uc0, 0.0f, 1e-5f);
  EXPECT_EQ(r.beta, 0.25f);
  EXPECT_NEAR(r.axial, -kEm * 0.0017f * kArea, 5.0f);
  EXPECT_NE(output().find("EIU1 OR EIV1 IS NEGATIVE"), std::string::npos);
}

// Uniform shortening past yield of a box with its local-buckling switch: all
// four corners yield in compression, every fibre takes RATIO3*EM and the
// limit word reads 5. Without the switch the flags and the word stay 0.
TEST_F(EndBox, LocalBucklingSwitch) {
  for (int irev1 : {1, 0}) {
    SCOPED_TRACE("IREV1 " + std::to_string(irev1));
    make(2, 0.02f, irev1);
    const members::SectionResponse r = run(2, -0.003f, 0.0f, -1.0f);
    EXPECT_EQ(state, irev1 != 0 ? 5.0f : 0.0f);
    EXPECT_EQ(r.limit_code, state);
    for (int j = 1; j <= nump; ++j) EXPECT_EQ(a.bkflag(j), irev1 != 0 ? 1.0f : 0.0f);
    EXPECT_NEAR(r.ea, 0.02f * kEm * kArea, 1e-4f * kEm * kArea);
  }
}

// A law number outside 0-3 runs no law: the stresses never move, every pass
// misses the target by all of it, and after 50 the warning names the end and
// the pass count 51; the last pass stands.
TEST_F(EndBox, PassLimitWarningNamesTheEnd) {
  make(1, 0.02f, 0, 7);
  const members::SectionResponse r = run(2, 0.0f, 0.0f, -100000.0f);
  EXPECT_EQ(r.axial, 0.0f);
  EXPECT_NEAR(call.dec, 49.0f * -100000.0f / (kEm * kArea), 1e-7f);  // 49 corrections applied
  EXPECT_NE(output().find(" **** WARNING: NO. OF ITERATION FOR STABILITY ELE    4SEG.     1"
                          "NODAL END    2IS GREATER THAN    51 AT STEP=    0"),
            std::string::npos);
}

// Law 2 keeps one history for both ends of a segment: end 2 starts from what
// end 1 has just written. End 1 stretches by 1e-4, end 2 shortens by 1e-4:
// end 2 sees a reversal, takes EM, and records end 1's strain and stress
// (1e-4, EM x 1e-4 = 2900 psi) as the reversal point.
TEST_F(EndBox, BothEndsShareTheRambergOsgoodHistory) {
  make(2, 0.02f, 0, members::kLawRambergOsgood);
  run(1, 0.0f, 0.0f, 0.0f, true);
  run(2, 0.0f, 0.0f, 0.0f, true);
  run(1, 1.0e-4f, 0.0f, 0.0f);
  EXPECT_EQ(a.ro[4](1, 1), 0.0f);  // no reversal yet
  run(2, -1.0e-4f, 0.0f, 0.0f);
  EXPECT_NEAR(a.ro[4](1, 1), 1.0e-4f, 1e-10f);   // EPREV: end 1's strain
  EXPECT_NEAR(a.ro[5](1, 1), 2900.0f, 1e-2f);    // SGREV: end 1's stress
  EXPECT_EQ(a.et(1), kEm);
  EXPECT_NEAR(a.end[1].sig(1, 1), -2900.0f, 1e-2f);
}

}  // namespace
