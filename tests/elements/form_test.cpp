// Assembly into skyline storage and the global stiffness formation with the
// geometric-stiffness options, on a hand-made element record.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/work_array.h"
#include "elements/eledsp.h"
#include "elements/form.h"
#include "fio/fio.h"
#include "support/test_support.h"

namespace {

TEST(Addsky, SkipsZeroTermsAndDofsWithoutEquation) {
  // Global 2 x 2, full profile: MDIAG = 1, 2, 4 (term (1,2) at 3).
  std::array<float, 5> gk{};
  const std::array<std::int32_t, 4> mdiag{0, 1, 2, 4};
  // Element of order 3, packed: (1,1)=1 (2,2)=2 (1,2)=3 (3,3)=4 (2,3)=5 (1,3)=6.
  const std::array<float, 7> ek{0, 1, 2, 3, 4, 5, 6};
  const auto& np = kv::titles().np;
  const std::array<std::int32_t, 4> lm{0, 1, 0, 2};  // element DOF 2 has no equation
  elements::addsky(gk.data(), mdiag.data(), 2, 4, ek.data(), np.data(), 3, 6, lm.data(), 2.0f);
  EXPECT_FLOAT_EQ(gk[1], 2.0f);   // (1,1)
  EXPECT_FLOAT_EQ(gk[2], 8.0f);   // (3,3) on equation 2
  EXPECT_FLOAT_EQ(gk[3], 12.0f);  // (1,3) between equations 1 and 2
}

TEST(Addsky, TwoDofsOnOneEquationAddTheCouplingTwice) {
  std::array<float, 2> gk{};
  const std::array<std::int32_t, 3> mdiag{0, 1, 2};
  // [[a, b], [b, c]] with a = 1, b = 2, c = 3 on one equation: a + 2b + c = 8.
  const std::array<float, 4> ek{0, 1, 3, 2};
  const std::array<std::int32_t, 3> lm{0, 1, 1};
  elements::addsky(gk.data(), mdiag.data(), 1, 2, ek.data(), kv::titles().np.data(), 2, 3, lm.data(), 1.0f);
  EXPECT_FLOAT_EQ(gk[1], 8.0f);
}

// A term above its column's top in the profile is never written into the
// next column or past the matrix: a finite one is left out and counted, a
// non-finite one lands on its column's diagonal.
TEST(Addsky, TermsOutsideTheProfileStayInsideTheMatrix) {
  struct Case {
    float coupling;       // element term (1,2) on equations 1 and 3
    int outside;          // finite terms left out
    bool diagonal_finite;  // equation 3's diagonal
  };
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {{0.0f, 0, true}, {5.0f, 1, true}, {inf, 0, false}, {-inf, 0, false}};
  for (const Case& k : cases) {
    // Global 3 x 3 with column 3 holding rows 2..3 only: MDIAG = 1, 2, 4, 6.
    // Words 6 and 7 stand for whatever table follows the matrix.
    std::array<float, 8> gk{};
    gk[6] = 1.0f;
    gk[7] = 1.0f;
    const std::array<std::int32_t, 5> mdiag{0, 1, 2, 4, 6};
    // Order 2: (1,1) = 1, (2,2) = 2, (1,2) = coupling.
    const std::array<float, 4> ek{0, 1, 2, k.coupling};
    const std::array<std::int32_t, 3> lm{0, 1, 3};
    const int outside =
        elements::addsky(gk.data(), mdiag.data(), 3, 5, ek.data(), kv::titles().np.data(), 2, 3, lm.data(), 1.0f);
    EXPECT_EQ(outside, k.outside) << k.coupling;
    EXPECT_FLOAT_EQ(gk[1], 1.0f) << k.coupling;
    EXPECT_EQ(gk[3], 0.0f) << k.coupling;  // column 2 untouched
    EXPECT_EQ(gk[5], 0.0f) << k.coupling;  // the (2,3) slot
    EXPECT_EQ(std::isfinite(gk[4]), k.diagonal_finite) << k.coupling;
    if (k.diagonal_finite) {
      EXPECT_FLOAT_EQ(gk[4], 2.0f) << k.coupling;
    }
    EXPECT_EQ(gk[6], 1.0f) << k.coupling;
    EXPECT_EQ(gk[7], 1.0f) << k.coupling;
  }
}

// A stand-in type-1 driver: its stiffness stands from the record; option 2
// hands back a geometric stiffness with factor 10.
void fake_beam(elements::EleCall& c) {
  if (c.iopt == elements::kEleGeom) {
    c.pgeom = 10.0f;
    c.lkg = true;
  }
}

struct FormFixture : ::testing::Test {
  std::int64_t kgrec = 0;
  elements::EleDriver saved = nullptr;

  void SetUp() override {
    kv::reset_globals();
    kv::zero_words(1, 4000);
    saved = elements::element_driver(1);
    elements::register_element(1, fake_beam);
    using kv::ctl;
    ctl(kv::kNEQ) = 1;
    ctl(kv::kNELEM) = 1;
    // KGDATA record: ACCEL, source, formulation, use.
    kgrec = 10;
    ctl(kv::kKGDATARecord) = static_cast<std::int32_t>(kgrec);
    // Stiffness: MDIAG = 1, 2 at 20; values at 30.
    ctl(kv::kStiffMdiag) = 20;
    kv::izm(20) = 1;
    kv::izm(21) = 2;
    ctl(kv::kStiffValues) = 30;
    kv::rzm(30) = 99.0f;  // must be cleared by FORM
    // ELETAB at 40, the record at 100.
    ctl(kv::kELETAB) = 40;
    kv::izm(40) = 1;
    kv::izm(41) = 100;
    const std::int64_t p = 100;
    kv::izm(p) = 1;          // type
    kv::izm(p + 1) = 1;      // ND
    kv::izm(p + 64) = 1;     // LM
    kv::izm(p + 119) = 1;    // KGDOF
    kv::izm(p + 120) = 1;    // KG one word after the stiffness
    kv::izm(p + 121) = 1;    // LMKG
    kv::izm(p + 133) = 0;    // NHYST
    kv::rzm(p + 281) = 100.0f;  // element stiffness
    kv::rzm(p + 282) = 1.0f;    // element geometric stiffness
  }
  void TearDown() override { elements::register_element(1, saved); }
  void kgdata(float accel, int source, int use) {
    kv::rzm(kgrec) = accel;
    kv::izm(kgrec + 1) = source;
    kv::izm(kgrec + 2) = 1;
    kv::izm(kgrec + 3) = use;
  }
};

TEST_F(FormFixture, GeometricStiffnessFactorPerOption) {
  struct Case {
    float accel;
    int source;
    int use;
    float expected;
  };
  // K - f KG with f = PGEOM (1 + ACCEL) for input loads, PGEOM otherwise;
  // no subtraction unless the use is 1.
  const Case cases[] = {{0.5f, 1, 1, 85.0f}, {0.5f, 2, 1, 90.0f}, {0.5f, 1, 2, 100.0f}, {0.5f, 1, 0, 100.0f}};
  for (const Case& k : cases) {
    kgdata(k.accel, k.source, k.use);
    kv::rzm(30) = 99.0f;
    elements::form(1);
    EXPECT_FLOAT_EQ(static_cast<float>(kv::rzm(30)), k.expected) << k.source << " " << k.use;
  }
}

TEST_F(FormFixture, SeparateGeometricStiffnessOnlyWithUseTwo) {
  kv::ctl(kv::kGeoMdiag) = 20;
  kv::ctl(kv::kGeoValues) = 32;
  kv::rzm(32) = -7.0f;
  kgdata(0.5f, 1, 1);
  elements::form(2);
  EXPECT_FLOAT_EQ(static_cast<float>(kv::rzm(32)), -7.0f);  // untouched
  kgdata(0.5f, 1, 2);
  elements::form(2);
  EXPECT_FLOAT_EQ(static_cast<float>(kv::rzm(32)), 10.0f);  // PGEOM as returned
}

// A stand-in type-1 driver whose element has no geometric stiffness.
void plain_beam(elements::EleCall& c) { c.lkg = false; }

TEST_F(FormFixture, TraceLettersFAndHPrintEveryElementMatrixTitle) {
  // KGDATA(3) = 1: the geometric-stiffness trace follows the stiffness trace
  // even for an element without one (KGDOF 0): its title with no location
  // entries and a print of order 0.
  elements::register_element(1, plain_beam);
  kv::izm(100 + 119) = 0;  // KGDOF
  kgdata(0.0f, 1, 1);
  kv::titles().ibugm = (1 << 5) | (1 << 7);  // letters F and H
  const auto dir = kvtest::fresh_dir("formtrace");
  ASSERT_TRUE(fio::open(6, (dir / "unit6.out").string()));
  elements::form(1);
  fio::close(6);
  std::vector<std::string> l;
  std::istringstream in(kvtest::read_file(dir / "unit6.out"));
  for (std::string line; std::getline(in, line);) l.push_back(line);
  // "ELEMENT #" (9) + I6 + " LM:" (4) = 19 characters, then 18I6 as far as
  // there are entries, the whole title 130 characters.
  const std::string stiffness_title = "ELEMENT #     1 LM:     1" + std::string(130 - 25, ' ');
  const std::string kg_title = "ELEMENT #     1 LM:" + std::string(130 - 19, ' ');
  ASSERT_EQ(l.size(), 7u);
  EXPECT_EQ(l[2], " PRINTING MATRIX: " + stiffness_title);
  EXPECT_EQ(l[3], "         | COLUMN    1-------|");
  EXPECT_EQ(l[4], " ROW    1        0.100000E+03");
  EXPECT_EQ(l[6], " PRINTING MATRIX: " + kg_title);
  EXPECT_FLOAT_EQ(static_cast<float>(kv::rzm(30)), 100.0f);
}

// A chain of three two-node springs, stand-ins of type 1 on equations
// (1,2), (2,3), (3,4), each [[k, -k], [-k, k]] from its record: the global
// stiffness formed again after one element changed, against the whole
// formation and the hand sums.
struct ChainFixture : ::testing::Test {
  static constexpr std::int64_t kValues = 30;
  elements::EleDriver saved = nullptr;

  void SetUp() override {
    kv::reset_globals();
    kv::zero_words(1, 4000);
    saved = elements::element_driver(1);
    elements::register_element(1, plain_beam);
    using kv::ctl;
    ctl(kv::kNEQ) = 4;
    ctl(kv::kNELEM) = 3;
    // Columns of heights 1, 2, 2, 2: MDIAG = 1, 2, 4, 6, 8.
    ctl(kv::kStiffMdiag) = 20;
    for (int j = 0; j < 5; ++j) kv::izm(20 + j) = j == 0 ? 1 : 2 * j;
    ctl(kv::kStiffValues) = static_cast<std::int32_t>(kValues);
    ctl(kv::kELETAB) = 40;
    kv::izm(40) = 3;
    for (int n = 1; n <= 3; ++n) {
      const std::int64_t p = record(n);
      kv::izm(40 + n) = static_cast<std::int32_t>(p);
      kv::izm(p) = 1;
      kv::izm(p + 1) = 2;  // ND
      kv::izm(p + 64) = n;
      kv::izm(p + 65) = n + 1;
    }
  }
  void TearDown() override { elements::register_element(1, saved); }
  static std::int64_t record(int n) { return 100 + 400 * static_cast<std::int64_t>(n); }
  static void spring(int n, float k) {
    const std::int64_t p = record(n);
    kv::rzm(p + 281) = k;   // (1,1)
    kv::rzm(p + 282) = k;   // (2,2)
    kv::rzm(p + 283) = -k;  // (1,2)
  }
  static std::vector<float> stiffness() {
    std::vector<float> v;
    for (std::int64_t i = kValues; i < kValues + 7; ++i) v.push_back(kv::rzm(i));
    return v;
  }
};

TEST_F(ChainFixture, ColumnsFormedAgainHoldTheSumsOfTheWholeFormation) {
  struct Case {
    int element;   // the element whose spring is set (0: none)
    float k;
    int first;     // the first column formed again (5: none)
  };
  // The last sets a spring to the value it has: nothing is formed again.
  const Case cases[] = {{2, 0.3f, 2}, {3, 1.7f, 3}, {1, 0.9f, 1}, {0, 0.0f, 5}, {2, 0.3f, 5}};
  std::array<float, 4> k = {0.0f, 0.1f, 0.7f, 0.2f};
  for (int n = 1; n <= 3; ++n) spring(n, k[static_cast<std::size_t>(n)]);
  elements::StiffnessMemory mem;
  EXPECT_EQ(elements::form_changed(mem), 1);
  for (const Case& c : cases) {
    if (c.element > 0) {
      k[static_cast<std::size_t>(c.element)] = c.k;
      spring(c.element, c.k);
    }
    EXPECT_EQ(elements::form_changed(mem), c.first) << c.element;
    const std::vector<float> partial = stiffness();
    elements::form(1);
    const std::vector<float> whole = stiffness();
    EXPECT_EQ(partial, whole) << c.element;
    // The hand sums: diagonals k1, k1 + k2, k2 + k3, k3; couplings -k.
    const std::vector<float> hand = {k[1], k[1] + k[2], -k[1], k[2] + k[3], -k[2], k[3], -k[3]};
    EXPECT_EQ(whole, hand) << c.element;
  }
}

TEST(Eledsp, UnavailableTypeLeavesNoPointersOfTheElementBefore) {
  kv::reset_globals();
  kv::zero_words(1, 400);
  kv::ctl(kv::kELETAB) = 10;
  kv::izm(10) = 1;
  kv::izm(11) = 50;
  kv::izm(50) = 4;  // the "(1)" type: no driver
  kv::ctl(kv::kIZLM) = 7;
  kv::ctl(kv::kIZKE) = 8;
  elements::EleCall c;
  c.iopt = elements::kEleStiff;
  c.ielno = 1;
  c.nd = 12;
  c.r1 = 5.0f;
  int ltype = 0;
  elements::eledsp(c, ltype, 0);
  EXPECT_EQ(c.nd, 0);
  EXPECT_EQ(kv::ctl(kv::kIZLM), 0);
  EXPECT_EQ(kv::ctl(kv::kIZKE), 0);
  EXPECT_EQ(c.r1, 0.0f);
  EXPECT_EQ(ltype, 4);
}

}  // namespace
