// "SOL" 5: the table interpolation and the CQC coefficients by hand, and the
// two-storey shear building (k = 100, unit floor masses, a flat spectrum of
// 0.4 g) run end to end against its hand-computed modal responses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "solution_harness.h"
#include "solutions/response_spectrum.h"
#include "support/test_support.h"

namespace {

using soltest::lines_of;
using soltest::numbers_of;

// Values printed with seven digits from modes corrected in double: a few
// float roundings of the hand value.
constexpr double kRel = 2e-6;
// Values printed as 0.dddd: half a unit of the fourth digit.
void expect_printed4(double got, double want, const std::string& what) {
  const double unit = want == 0.0 ? 1e-30 : std::pow(10.0, std::floor(std::log10(std::fabs(want))) + 1.0 - 4.0);
  EXPECT_NEAR(got, want, 0.5001 * unit) << what;
}

void expect_rel(double got, double want, const std::string& what, double rel = kRel) {
  EXPECT_NEAR(got, want, rel * std::fabs(want)) << what;
}

// ---------------------------------------------------------------- TABINT, RHO

struct TabCase {
  float x;
  float y;
};

TEST(Tabint, InterpolatesInsideAndClampsAtTheEnds) {
  // (0, 1), (1, 3), (2, 3), (4, -1)
  const float t[] = {0.0f, 1.0f, 1.0f, 3.0f, 2.0f, 3.0f, 4.0f, -1.0f};
  const TabCase cases[] = {{-1.0f, 1.0f}, {0.0f, 1.0f}, {0.5f, 2.0f}, {1.0f, 3.0f}, {1.5f, 3.0f},
                           {3.0f, 1.0f},  {4.0f, -1.0f}, {9.0f, -1.0f}};
  for (const TabCase& c : cases) EXPECT_FLOAT_EQ(solutions::tabint(c.x, 4, t), c.y) << "x = " << c.x;
  const float one[] = {2.0f, 5.0f};
  EXPECT_FLOAT_EQ(solutions::tabint(1.0f, 1, one), 5.0f);
  EXPECT_FLOAT_EQ(solutions::tabint(3.0f, 1, one), 5.0f);
}

struct RhoCase {
  float zeta;
  float r;
  double rho;
};

TEST(CqcRho, HandValues) {
  const RhoCase cases[] = {
      {0.05f, 0.5f, 0.01849},        // 8 (0.0025)(1.5)(0.35355) / (0.5625 + 0.01125)
      {0.05f, 0.381966f, 0.008856},  // the two modes of the shear building
      {0.05f, 1.0f, 1.0},            // equal periods
      {0.0f, 1.0f, 1.0},             // equal periods without damping: 1, not 0/0
      {0.0f, 0.5f, 0.0},             // distinct periods without damping
  };
  for (const RhoCase& c : cases) {
    const float rho = solutions::cqc_rho(c.zeta, c.r);
    EXPECT_TRUE(std::isfinite(rho));
    EXPECT_NEAR(rho, c.rho, 5e-6 + 1e-4 * c.rho) << "zeta " << c.zeta << " r " << c.r;
  }
}

// ---------------------------------------------------------------- combination

struct CombineCase {
  const char* name;
  float rho12;  // rho(1, 2) = rho(2, 1); null rho (SRSS) when negative
  float x1, x2;
  double want;
};

std::ostream& operator<<(std::ostream& os, const CombineCase& c) { return os << c.name; }

class CombineModes : public ::testing::TestWithParam<CombineCase> {};

// Two modes, one quantity, in a table whose columns lie 3 apart.
TEST_P(CombineModes, HandValues) {
  const CombineCase& c = GetParam();
  const float rho[] = {1.0f, c.rho12, c.rho12, 1.0f};
  const float x[] = {c.x1, 99.0f, 99.0f, c.x2, 99.0f, 99.0f};
  float out = -1.0f;
  solutions::combine_modes(c.rho12 < 0.0f ? nullptr : rho, 2, 2, x, 3, 1, &out);
  EXPECT_NEAR(out, c.want, 1e-6 * c.want);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CombineModes,
    ::testing::Values(CombineCase{"Srss", -1.0f, 3.0f, -4.0f, 5.0},
                      // 9 + 2 x 3 x 0.5 x 4 + 16
                      CombineCase{"CqcSameSigns", 0.5f, 3.0f, 4.0f, std::sqrt(37.0)},
                      CombineCase{"CqcOppositeSigns", 0.5f, 3.0f, -4.0f, std::sqrt(13.0)},
                      // Uncorrelated modes: the SRSS value.
                      CombineCase{"CqcIdentity", 0.0f, 3.0f, -4.0f, 5.0},
                      // 1 - 1.5 - 1.5 + 1 = -1: the root of the absolute value.
                      CombineCase{"CqcNegativeSum", 1.5f, 1.0f, -1.0f, 1.0}),
    [](const auto& info) { return std::string(info.param.name); });

// All quantities at once give the bits of one quantity at a time, summed in
// the order m, then n, for counts across the blocks, with fewer modes used
// than the coefficient table holds and columns longer than the count.
TEST(CombineModes, SameBitsAsOneQuantityAtATime) {
  constexpr int kModes = 9;
  constexpr int kCut = 7;
  constexpr std::int64_t kCount = 300;
  constexpr std::int64_t kLd = kCount + 5;
  std::vector<float> rho(kModes * kModes);
  for (int m = 0; m < kModes; ++m)
    for (int n = 0; n < kModes; ++n)
      rho[m + n * kModes] = m == n ? 1.0f : solutions::cqc_rho(0.05f, (1.0f + m) / (2.0f + n + m));
  std::vector<float> x(kLd * kModes);
  unsigned seed = 12345u;
  for (float& v : x) {
    seed = seed * 1103515245u + 12345u;
    v = (static_cast<float>((seed >> 8) % 20001u) - 10000.0f) * 1.37e-3f;
  }
  for (const bool cqc : {false, true}) {
    std::vector<float> out(kCount, -1.0f);
    solutions::combine_modes(cqc ? rho.data() : nullptr, kModes, kCut, x.data(), kLd, kCount, out.data());
    for (std::int64_t q = 0; q < kCount; ++q) {
      float s = 0.0f;
      for (int m = 0; m < kCut; ++m) {
        const float xm = x[q + m * kLd];
        if (!cqc) {
          s += xm * xm;
          continue;
        }
        for (int n = 0; n < kCut; ++n) s += xm * rho[m + n * kModes] * x[q + n * kLd];
      }
      const float want = cqc ? std::sqrt(std::fabs(s)) : std::sqrt(s);
      ASSERT_EQ(out[q], want) << (cqc ? "CQC" : "SRSS") << " quantity " << q;
    }
  }
}

// ---------------------------------------------------------------- the shear building

std::string base_deck() { return kvtest::read_file(kvtest::case_path("rs_shear_building.dat")); }

std::string replaced(std::string s, const std::string& from, const std::string& to) {
  const std::size_t at = s.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) s.replace(at, from.size(), to);
  return s;
}

// The deck up to its solution (the structure input).
std::string structure_part() {
  const std::string d = base_deck();
  return d.substr(0, d.find("SOL5"));
}

// The SOL5 records of the base deck without STOP.
std::string sol5_part(const std::string& title) {
  std::string d = base_deck();
  d = d.substr(d.find("SOL5"));
  d = d.substr(0, d.find("STOP"));
  return replaced(d, "'SPECTRUM SRSS'", "'" + title + "'");
}

std::string solution(const std::string& out, const std::string& title) {
  const std::size_t at = out.find("SOLUTION.....: " + title);
  if (at == std::string::npos) return {};
  const std::size_t box = out.find("MEMORY UTILIZATION", at);
  return out.substr(at, box == std::string::npos ? std::string::npos : box - at);
}

// The lines after the first line holding `head` up to the next page.
std::vector<std::string> block_after(const std::string& text, const std::string& head) {
  std::vector<std::string> out;
  bool in = false;
  for (const std::string& l : lines_of(text)) {
    if (in && l.rfind("1 STRUCTURE", 0) == 0) break;
    if (in) out.push_back(l);
    if (!in && l.find(head) != std::string::npos) in = true;
  }
  return out;
}

// The values of the (equation, value) pairs of a value list, by equation.
std::vector<double> value_list(const std::string& text, const std::string& head) {
  std::vector<double> v;
  for (const std::string& l : block_after(text, head)) {
    if (l.find("D.O.F.") != std::string::npos) continue;
    const std::vector<double> x = numbers_of(l);
    for (std::size_t i = 1; i < x.size(); i += 2) v.push_back(x[i]);
  }
  return v;
}

// The last number of each line of a block that holds numbers.
std::vector<double> last_numbers(const std::string& text, const std::string& head, const std::string& key) {
  std::vector<double> v;
  for (const std::string& l : block_after(text, head)) {
    if (l.find(key) == std::string::npos) continue;
    const std::vector<double> x = numbers_of(l);
    if (!x.empty()) v.push_back(x.back());
  }
  return v;
}

std::vector<double> gcs_summ(const std::string& text, const std::string& head) {
  for (const std::string& l : block_after(text, head))
    if (l.rfind(" GCS SUMM.", 0) == 0) return numbers_of(l.substr(10));
  return {};
}

// Modal displacements of the trace: the "DISP(" values after the mode's head.
std::vector<double> modal_displacements(const std::string& text, int m) {
  std::vector<double> v;
  bool in = false;
  for (const std::string& l : lines_of(text)) {
    if (l.find("MODAL DISPLACEMENTS FOR MODE") != std::string::npos) {
      if (in) break;
      in = numbers_of(l).size() == 1 && numbers_of(l)[0] == m;
      continue;
    }
    if (in && l.find("DISP(") != std::string::npos) v.push_back(numbers_of(l.substr(l.find(")=") + 2))[0]);
    if (in && l.find("DISP(") == std::string::npos) break;
  }
  return v;
}

// The total displacements of the free equations (printed to four digits) and
// the total spring forces (seven digits) against their hand values.
void expect_totals(const std::string& s, const std::vector<double>& displacements,
                   const std::vector<double>& springs) {
  const std::vector<double> tot = value_list(s, "TOTAL MAXIMUM STRUCTURAL RESPONSES");
  ASSERT_EQ(tot.size(), displacements.size()) << s;
  for (std::size_t e = 0; e < tot.size(); ++e) expect_printed4(tot[e], displacements[e], "displacement " + std::to_string(e + 1));
  const std::vector<double> f = last_numbers(s, "TOTAL MAXIMUM ELEMENT FORCES:", "SHEAR-Y");
  ASSERT_EQ(f.size(), springs.size()) << s;
  for (std::size_t e = 0; e < f.size(); ++e) expect_rel(f[e], springs[e], "spring " + std::to_string(e + 1));
}

constexpr double kK = 100.0;
// Hand values: lambda = 100 (3 -+ sqrt 5) / 2, phi1 = (0.618034, 1),
// phi2 = (1, -0.618034), Gamma = (1.170820, 0.276393), Sd = 154.56 / lambda,
// u = Gamma Sd phi per mode.
const std::vector<double> kMode1{2.9280267, 4.7376467};
const std::vector<double> kMode2{0.16317333, -0.10084667};

TEST(ShearBuilding, SrssModalResponsesAndTotals) {
  const std::string deck = replaced(base_deck(), "SOL5\n", "BUG=F\nSOL5\n");
  const kvtest::RunResult r = kvtest::run_deck(deck, "rs_srss");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string s = solution(r.output, "SPECTRUM SRSS");
  ASSERT_FALSE(s.empty());
  EXPECT_NE(s.find(" SOLUTION #5, SRSS MODAL COMBINATION METHOD"), std::string::npos);

  // Effective masses: Gamma^2 M* / M = 0.9472 and 0.0528 in X.
  const std::vector<std::string> em = block_after(s, "   MODE     GCS X-DIRECTION(%)");
  ASSERT_GE(em.size(), 2u);
  // Gamma^2 phi'M phi / M = (5 +- sqrt 5) / 10.
  expect_printed4(numbers_of(em[0])[1], 0.9472136, "effective mass 1");
  expect_printed4(numbers_of(em[1])[1], 0.0527864, "effective mass 2");

  const std::vector<double> u1 = modal_displacements(s, 1);
  const std::vector<double> u2 = modal_displacements(s, 2);
  ASSERT_EQ(u1.size(), 2u);
  ASSERT_EQ(u2.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    expect_rel(u1[k], kMode1[k], "mode 1 floor " + std::to_string(k + 1));
    expect_rel(u2[k], kMode2[k], "mode 2 floor " + std::to_string(k + 1));
  }

  const std::vector<double> tot = value_list(s, "TOTAL MAXIMUM STRUCTURAL RESPONSES");
  ASSERT_EQ(tot.size(), 2u);
  expect_printed4(tot[0], 2.932570, "SRSS floor 1");
  expect_printed4(tot[1], 4.738720, "SRSS floor 2");

  // Spring forces and the base shear: k times the SRSS of the modal storey drifts.
  const double d1 = std::hypot(kMode1[0], kMode2[0]);
  const double d2 = std::hypot(kMode1[1] - kMode1[0], kMode2[1] - kMode2[0]);
  const std::vector<double> f = last_numbers(s, "TOTAL MAXIMUM ELEMENT FORCES:", "SHEAR-Y");
  ASSERT_EQ(f.size(), 2u);
  expect_rel(f[0], kK * d1, "spring 1");
  expect_rel(f[1], kK * d2, "spring 2");
  const std::vector<double> rs = gcs_summ(s, "TOTAL REACTIONS AT GCS\" ORIGIN");
  ASSERT_EQ(rs.size(), 6u);
  expect_rel(rs[0], kK * d1, "base shear");
  for (std::size_t i = 1; i < 6; ++i) EXPECT_EQ(rs[i], 0.0);
}

TEST(ShearBuilding, CqcWithTheModalCorrelation) {
  const std::string deck = replaced(base_deck(), "SRSS 2 0.05", "CQC 2 0.05");
  const kvtest::RunResult r = kvtest::run_deck(deck, "rs_cqc");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string s = solution(r.output, "SPECTRUM SRSS");
  EXPECT_NE(s.find(" SOLUTION #5, CQC MODAL COMBINATION METHOD"), std::string::npos);
  EXPECT_NE(s.find("CROSS-MODAL COF. MATRIX"), std::string::npos);

  const double rho = 0.0088557148;  // r = 0.381966
  auto cqc = [&](double a, double b) { return std::sqrt(a * a + b * b + 2.0 * rho * a * b); };
  const std::vector<double> tot = value_list(s, "TOTAL MAXIMUM STRUCTURAL RESPONSES");
  ASSERT_EQ(tot.size(), 2u);
  expect_printed4(tot[0], 2.934012, "CQC floor 1");
  expect_printed4(tot[1], 4.737827, "CQC floor 2");
  const std::vector<double> f = last_numbers(s, "TOTAL MAXIMUM ELEMENT FORCES:", "SHEAR-Y");
  ASSERT_EQ(f.size(), 2u);
  expect_rel(f[0], kK * cqc(kMode1[0], kMode2[0]), "spring 1");
  expect_rel(f[1], kK * cqc(kMode1[1] - kMode1[0], kMode2[1] - kMode2[0]), "spring 2");
  const std::vector<double> rs = gcs_summ(s, "TOTAL REACTIONS AT GCS\" ORIGIN");
  ASSERT_EQ(rs.size(), 6u);
  expect_rel(rs[0], kK * cqc(kMode1[0], kMode2[0]), "base shear");
}

// The mode table prints the modes corrected in double, as "SOL" 3 does, not
// the five digits the eigen-solution file keeps: omega = 10 sqrt((3 -+ sqrt 5) / 2)
// = 6.180340 and 16.180340, periods 1.016641 and 0.3883222.
TEST(ShearBuilding, ModeTableHoldsTheCorrectedModes) {
  const kvtest::RunResult r = kvtest::run_deck(base_deck(), "rs_modes");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string s = solution(r.output, "SPECTRUM SRSS");
  for (const char* line : {" FREQ (RAD/SEC):   6.18034E+00    1.61803E+01\n",
                           " FREQUENCY (HZ):   9.83632E-01    2.57518E+00\n",
                           "   PERIOD (SEC):   1.01664E+00    3.88322E-01\n",
                           "     DOF(     1)   6.18034E-01    1.00000E+00\n",
                           "     DOF(     2)   1.00000E+00   -6.18034E-01\n"})
    EXPECT_NE(s.find(line), std::string::npos) << line << s;
}

// A spectrum of displacements: Sd = 1.0 for every mode, u = Gamma phi, and
// the SRSS floors are sqrt(0.6) and sqrt(1.4); the storey drifts of the two
// modes are (0.723607, 0.447214) and (0.276393, -0.447214): springs 100
// sqrt(0.6) and 100 sqrt(0.4).
TEST(ShearBuilding, DisplacementSpectrum) {
  std::string deck = replaced(base_deck(), "386.4 ACC F", "1.0 DISP F");
  deck = replaced(deck, "0.0 0.4\n10.0 0.4\n", "0.0 1.0\n10.0 1.0\n");
  const kvtest::RunResult r = kvtest::run_deck(deck, "rs_disp");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string s = solution(r.output, "SPECTRUM SRSS");
  EXPECT_NE(s.find(" ** DISPLACEMENT SPECTRUM VALUES :INPUTING TRANSLATIONAL # 1"), std::string::npos) << s;
  expect_totals(s, {std::sqrt(0.6), std::sqrt(1.4)}, {kK * std::sqrt(0.6), kK * std::sqrt(0.4)});
}

// An effective-mass limit of 0.9 in X is reached by mode 1 (0.9472): the
// combination keeps mode 1 alone and says so.
TEST(ShearBuilding, EffectiveMassLimitCutsTheModes) {
  const std::string deck = replaced(base_deck(), "0.0 0.0 0.0\nSTOP", "0.9 0.0 0.0\nSTOP");
  const kvtest::RunResult r = kvtest::run_deck(deck, "rs_ncut");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string s = solution(r.output, "SPECTRUM SRSS");
  EXPECT_NE(s.find(" EFFECTIVE MASS LIMIT IN GCS\" X DIRECTION IS    0.900000E+00"), std::string::npos) << s;
  EXPECT_NE(s.find(" ** BASED ON EFFECTIVE MASS LIMIT, FINAL NO. OF MODES USED IS"), std::string::npos) << s;
  expect_totals(s, kMode1, {kK * kMode1[0], kK * (kMode1[1] - kMode1[0])});
}

// The first storey as two springs of k = 200 in series with a massless
// middle node whose DX is condensed: the floors move as in the two-storey
// building, and the condensed node, recovered mode by mode, at half of floor
// 1, so that both springs of the storey carry its shear.
TEST(ShearBuilding, CondensedNodeIsRecovered) {
  const std::string deck =
      "STR\n'SHEAR BUILDING, FIRST STOREY IN TWO SPRINGS, MIDDLE NODE CONDENSED'\n"
      "4 1 2 1 0 1.0\n"
      "1 0.0 0.0 0.0 1 0\n2 0.0 0.0 60.0 1 0\n3 0.0 0.0 120.0 1 0\n4 0.0 0.0 240.0 1 0\n"
      "1.0 0.0 0.0 0.0 1.0 0.0\n"
      "0 0 1 1 1 1 1 0 0\n1 1 1 1 1 1 1 0 0\n2 1 0 0 0 0 0 0 0\n"
      "2\nBILINEAR 100.0 1.0E10 0.0 10.0 0.0\nBILINEAR 200.0 1.0E10 0.0 10.0 0.0\n0 0 0 F\n"
      "3\n"
      "SPRING 'S1A' 2 1 2 2 1.0 1.0 0.0 0.0 0.0 0.0 0\n"
      "SPRING 'S1B' 2 2 3 2 1.0 1.0 0.0 0.0 0.0 0.0 0\n"
      "SPRING 'S2' 1 3 4 2 1.0 1.0 0.0 0.0 0.0 0.0 0\n"
      "2 1 F\n"
      "3 1.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0 0\n"
      "4 1.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0 0\n"
      "0.0 0.0\n" +
      sol5_part("CONDENSED") + "STOP\n";
  const kvtest::RunResult r = kvtest::run_deck(deck, "rs_condensed");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string s = solution(r.output, "CONDENSED");
  EXPECT_NE(s.find(" FREQ (RAD/SEC):   6.18034E+00    1.61803E+01\n"), std::string::npos) << s;
  // Equation 1 is the condensed DX of node 2; the lists show the free
  // equations 2 and 3, the floors.
  EXPECT_NE(s.find("        2      0.2933E+01        3      0.4739E+01\n"), std::string::npos) << s;
  const double d1 = std::hypot(kMode1[0], kMode2[0]);
  const double d2 = std::hypot(kMode1[1] - kMode1[0], kMode2[1] - kMode2[0]);
  // Both springs of the first storey (k = 200) carry its shear 100 d1.
  expect_totals(s, {2.932570, 4.738720}, {kK * d1, kK * d1, kK * d2});
}

// Two components, X on springs of k = 100 and Y on springs of k = 400: the Y
// modes have omega twice as large, so their displacements are a quarter of
// the X ones and their spring forces the same. Each direction has its
// reports; the totals are the sums over the directions.
TEST(TwoDirections, EachComponentItsReportsAndTheTotalsTheirSums) {
  const kvtest::RunResult r = kvtest::run_deck(kvtest::read_file(kvtest::case_path("rs_two_directions.dat")), "rs_xy");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string s = solution(r.output, "TWO COMPONENTS");
  EXPECT_NE(s.find(" FREQ (RAD/SEC):   6.18034E+00    1.23607E+01    1.61803E+01    3.23607E+01\n"),
            std::string::npos)
      << s;
  // Equations: DX, DY of node 2, then of node 3.
  const std::vector<double> x = value_list(s, "MAXIMUM STRUCTURAL RESPONSES DUE TO SEISMIC COMPONENT #  1");
  const std::vector<double> y = value_list(s, "MAXIMUM STRUCTURAL RESPONSES DUE TO SEISMIC COMPONENT #  2");
  const std::vector<double> tot = value_list(s, "TOTAL MAXIMUM STRUCTURAL RESPONSES");
  ASSERT_EQ(x.size(), 4u) << s;
  ASSERT_EQ(y.size(), 4u) << s;
  ASSERT_EQ(tot.size(), 4u) << s;
  const std::vector<double> want_x{2.932570, 0.0, 4.738720, 0.0};
  const std::vector<double> want_y{0.0, 2.932570 / 4.0, 0.0, 4.738720 / 4.0};
  for (std::size_t e = 0; e < 4; ++e) {
    expect_printed4(x[e], want_x[e], "X eq " + std::to_string(e + 1));
    expect_printed4(y[e], want_y[e], "Y eq " + std::to_string(e + 1));
    expect_printed4(tot[e], want_x[e] + want_y[e], "total eq " + std::to_string(e + 1));
  }
  const double d1 = std::hypot(kMode1[0], kMode2[0]);
  const double d2 = std::hypot(kMode1[1] - kMode1[0], kMode2[1] - kMode2[0]);
  const std::vector<double> fy = last_numbers(s, "TOTAL MAXIMUM ELEMENT FORCES:", "SHEAR-Y");
  const std::vector<double> fz = last_numbers(s, "TOTAL MAXIMUM ELEMENT FORCES:", "SHEAR-Z");
  ASSERT_EQ(fy.size(), 2u);
  ASSERT_EQ(fz.size(), 2u);
  expect_rel(fy[0], kK * d1, "X spring 1");
  expect_rel(fy[1], kK * d2, "X spring 2");
  expect_rel(fz[0], kK * d1, "Y spring 1");
  expect_rel(fz[1], kK * d2, "Y spring 2");
  const std::vector<double> rx = gcs_summ(s, "TOTAL REACTIONS AT GCS\" ORIGIN DUE TO SEISMIC COMPONENT #  1");
  const std::vector<double> ry = gcs_summ(s, "TOTAL REACTIONS AT GCS\" ORIGIN DUE TO SEISMIC COMPONENT #  2");
  const std::vector<double> rt = gcs_summ(s, "TOTAL REACTIONS AT GCS\" ORIGIN \n");
  ASSERT_EQ(rx.size(), 6u);
  ASSERT_EQ(ry.size(), 6u);
  expect_rel(rx[0], kK * d1, "base shear X");
  EXPECT_EQ(rx[1], 0.0);
  EXPECT_EQ(ry[0], 0.0);
  expect_rel(ry[1], kK * d1, "base shear Y");
}

// Two modes of four: the file holds only the two, so the correction works on
// a basis without spare vectors; the lowest X and Y modes still print their
// hand values (omega 6.180340 and 12.360680, shapes (0.618034, 1)), and the
// springs carry mode 1 of each direction alone: 100 x 2.9280267 and
// 100 x (4.7376467 - 2.9280267).
TEST(TwoDirections, FewerModesThanEquations) {
  std::string deck = kvtest::read_file(kvtest::case_path("rs_two_directions.dat"));
  deck = replaced(deck, "SRSS 4 0.05 2 2 4", "SRSS 2 0.05 2 2 2");
  const kvtest::RunResult r = kvtest::run_deck(deck, "rs_xy_two");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string s = solution(r.output, "TWO COMPONENTS");
  for (const char* line : {" FREQ (RAD/SEC):   6.18034E+00    1.23607E+01\n",
                           "     DOF(     1)   6.18034E-01    0.00000E+00\n",
                           "     DOF(     2)   0.00000E+00    6.18034E-01\n",
                           "     DOF(     3)   1.00000E+00    0.00000E+00\n"})
    EXPECT_NE(s.find(line), std::string::npos) << line << s;
  const std::vector<double> fy = last_numbers(s, "TOTAL MAXIMUM ELEMENT FORCES:", "SHEAR-Y");
  const std::vector<double> fz = last_numbers(s, "TOTAL MAXIMUM ELEMENT FORCES:", "SHEAR-Z");
  ASSERT_EQ(fy.size(), 2u);
  ASSERT_EQ(fz.size(), 2u);
  for (const std::vector<double>* f : {&fy, &fz}) {
    expect_rel((*f)[0], kK * kMode1[0], "storey 1");
    expect_rel((*f)[1], kK * (kMode1[1] - kMode1[0]), "storey 2");
  }
}

// The words of one "SOL" 5 of the shear building (NEQ 18, NFREE 2, NMODES
// NEIG 2, NCOMP 1, NPTS 2, two elements): its tables, then the double
// correction's, counted by hand.
TEST(ShearBuilding, MemoryBoxCountsTheTablesOfTheSolution) {
  const kvtest::RunResult r = kvtest::run_deck(base_deck(), "rs_memory");
  ASSERT_EQ(r.status, 0) << r.console;
  std::vector<long> iz;
  for (const std::string& l : lines_of(r.output))
    if (l.rfind(" *--- IZ=", 0) == 0) iz.push_back(std::stol(l.substr(9)));
  ASSERT_EQ(iz.size(), 2u) << r.output;
  constexpr long neq = 18, nfree = 2, nm = 2, nc = 1, npts = 2, nelem = 2;
  const long tables = nfree + 3 * nfree * nfree  // eigenvalues, vectors, KF, MF
                      + 3 * neq                    // PTOTAL, UTOTAL, FUNBAL (first solution)
                      + 2 * nm * 3 + nfree * 3 + nm * nm + nm + nm * 3  // SAG SDG RINFL RHO GMASS EFFLD
                      + nfree * nm + neq * nc                           // DMODE, DDIR
                      + nelem * 12 * (nc + nm) + 6 * (nc + nm)          // EFMODE, RSMODE
                      + 2 * npts + nfree + nfree * nc + nfree * nm + neq;  // SPTAB FCOMB FDIR FMODE DCOMB
  EXPECT_EQ(tables, 240);
  // The correction on p = 2 vectors: L2 p + 5 NEQ + 3 p^2 + p doubles, one
  // word to align them (IZ is odd after the tables), and a REAL column.
  constexpr long p = 2;
  const long correction = 2 * (nfree * p + 5 * neq + 3 * p * p + p) + ((iz[0] + tables) % 2) + neq;
  EXPECT_EQ(iz[1] - iz[0], tables + correction);
}

// From the mode table on, the lines of a solution (titles and stamps aside).
std::vector<std::string> result_lines(const std::string& s) {
  std::vector<std::string> v;
  bool in = false;
  for (const std::string& l : lines_of(s)) {
    if (l.rfind("           MODE:", 0) == 0) in = true;
    if (in && l.rfind("1 STRUCTURE", 0) != 0 && l.rfind("  SOLUTION.....", 0) != 0) v.push_back(l);
  }
  return v;
}

TEST(ShearBuilding, FileWrittenThenReadBackInTheSameRun) {
  const std::string deck = structure_part() + sol5_part("STORE") +
                           replaced(sol5_part("READ BACK"), "\n3 20\n", "\n2 20\n") + "STOP\n";
  const kvtest::RunResult r = kvtest::run_deck(deck, "rs_file");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string a = solution(r.output, "STORE");
  const std::string b = solution(r.output, "READ BACK");
  EXPECT_NE(b.find(" EIGEN-SOLUTION IS READ FROM DISK UNIT .  20"), std::string::npos);
  const std::vector<std::string> la = result_lines(a);
  ASSERT_GT(la.size(), 20u);
  EXPECT_EQ(la, result_lines(b));
}

TEST(ShearBuilding, StoreOnlyStopsTheRunAfterTheModeTable) {
  const std::string deck = replaced(base_deck(), "\n3 20\n", "\n1 20\n");
  const kvtest::RunResult r = kvtest::run_deck(deck, "rs_store");
  const std::string s = solution(r.output, "SPECTRUM SRSS");
  EXPECT_NE(s.find(" EIGEN-SOLUTION IS STORE IN DISK UNIT ..  20"), std::string::npos);
  EXPECT_NE(s.find("   PERIOD (SEC):"), std::string::npos);
  EXPECT_EQ(s.find("TOTAL MAXIMUM"), std::string::npos);
}

// Displacement lines of the static solution titled `title`.
std::vector<std::string> displacement_lines(const std::string& out, const std::string& title) {
  std::vector<std::string> v;
  for (const std::string& l : block_after(solution(out, title), "GCS DISPLACEMENTS")) {
    if (numbers_of(l).size() == 7) v.push_back(l);
  }
  return v;
}

TEST(ShearBuilding, NoModalStateReachesALaterStaticSolution) {
  const std::string sol1 = "SOL1\n'PUSH TITLE'\n1 0\n1 3 0 0 FX 10.0\n0 0 0 0 END 0\n";
  const std::string deck = structure_part() + replaced(sol1, "TITLE", "BEFORE") + sol5_part("SPECTRUM") +
                           replaced(sol1, "TITLE", "AFTER") + "STOP\n";
  const kvtest::RunResult r = kvtest::run_deck(deck, "rs_leak");
  ASSERT_EQ(r.status, 0) << r.console;
  ASSERT_NE(solution(r.output, "SPECTRUM").find("TOTAL MAXIMUM INERTIA FORCES"), std::string::npos);
  const std::vector<std::string> before = displacement_lines(r.output, "PUSH BEFORE");
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(before, displacement_lines(r.output, "PUSH AFTER"));
  // 10 at the top: floor displacements 0.1 and 0.2.
  const std::vector<double> top = numbers_of(before.back());
  expect_rel(top[1], 0.2, "top floor");
}

struct FaultCase {
  std::string records;  // the two records of the solution
  std::string message;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.records; }

class RecordFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(RecordFaults, EndTheSolutionWithAMessage) {
  const FaultCase& c = GetParam();
  const std::string deck = structure_part() + "SOL5\n'FAULT'\n" + c.records + "\nSTOP\n";
  const kvtest::RunResult r = kvtest::run_deck(deck, "rs_fault");
  // The run goes on to STOP and counts the abandoned solution.
  ASSERT_EQ(r.status, 3) << r.console;
  const std::string s = solution(r.output, "FAULT");
  EXPECT_NE(s.find(c.message), std::string::npos) << s;
  EXPECT_EQ(s.find("   PERIOD (SEC):"), std::string::npos);
  EXPECT_EQ(s.find("TOTAL MAXIMUM"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Records, RecordFaults,
    ::testing::Values(FaultCase{"SRSS 2 0.05 1 2 2\n4 20", "NSTEP =     4 MUST BE 1, 2 OR 3"},
                      FaultCase{"SRSS 2 0.05 1 2 2\n0 20", "NSTEP =     0 MUST BE 1, 2 OR 3"},
                      FaultCase{"SRSS 3 0.05 1 2 9\n3 20", "NMODES =     3 MUST LIE BETWEEN 1 AND NEIG =     2"},
                      FaultCase{"SRSS 2 0.05 1 2 1\n3 20", "NMODES =     2 MUST LIE BETWEEN 1 AND NEIG =     1"},
                      FaultCase{"SRSS 2 0.05 4 2 2\n3 20", "NCOMP =     4 MUST BE 1, 2 OR 3"},
                      FaultCase{"SRSS 2 0.05 1 2 2\n3 6", "THE EIGEN-SOLUTION UNIT     6 MUST LIE BETWEEN"},
                      FaultCase{"NOSRSS 2 0.05 1 2 2\n3 20", "INVALID MODAL COMBINATION METHOD"}));

}  // namespace
