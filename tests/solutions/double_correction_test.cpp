// The static and eigen solutions of stiff 3D frames against an independent
// double-precision solution of the same model written here (frame_oracle.h):
// the float factorisation and eigen-solution alone miss these values by far
// more than the tolerances below.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "frame_oracle.h"
#include "solution_harness.h"
#include "support/frame_deck.h"
#include "support/test_support.h"

namespace {

using soltest::node_line;
using soltest::numbers_of;

std::vector<double> after_label(const std::string& out, const std::string& label) {
  const std::size_t at = out.find(label);
  if (at == std::string::npos) return {};
  const std::size_t end = out.find('\n', at);
  return numbers_of(out.substr(at + label.size(), end - at - label.size()));
}

// ---- "SOL" 1

struct StaticCase {
  const char* name;
  int storeys, bays;
  double beam_e_factor;
};

class StiffFrameStatics : public ::testing::TestWithParam<StaticCase> {};

TEST_P(StiffFrameStatics, DisplacementsAndReactionSumsAgreeWithDoubleSolution) {
  const StaticCase& c = GetParam();
  kvtest::FrameSpec s;
  s.storeys = c.storeys;
  s.bays_x = s.bays_y = c.bays;
  s.beam_e_factor = c.beam_e_factor;
  s.load_fx = 1000.0;
  s.load_fy = 250.0;
  s.solution = "SOL1\n'LATERAL LOADS'\n1 0\n%LOADS%";
  const kvtest::RunResult r = kvtest::run_deck(kvtest::frame_deck(s), "frame_statics");
  ASSERT_EQ(r.status, 0) << r.console;

  oracle::FrameModel fm = oracle::build(s);
  std::vector<double> f(fm.m.size(), 0.0);
  // The applied resultant: forces, and moments about the origin (r x F).
  double app[6] = {};
  for (int fl = 1; fl <= s.storeys; ++fl)
    for (int iy = 0; iy < s.side_y(); ++iy)
      for (int ix = 0; ix < s.side_x(); ++ix) {
        const int n = s.node(fl, ix, iy);
        f[static_cast<std::size_t>(fm.dof(n, 0))] = s.load_fx;
        f[static_cast<std::size_t>(fm.dof(n, 1))] = s.load_fy;
        app[0] += s.load_fx;
        app[1] += s.load_fy;
        app[3] += -s.z(fl) * s.load_fy;
        app[4] += s.z(fl) * s.load_fx;
        app[5] += s.x(ix) * s.load_fy - s.y(iy) * s.load_fx;
      }
  oracle::Dense l = fm.k;
  oracle::cholesky(l);
  const std::vector<double> u = oracle::solve(l, f);

  // Every node of the roof and of mid-height, all six components.
  const std::string out = r.output;
  for (int fl : {s.storeys / 2, s.storeys}) {
    for (int iy = 0; iy < s.side_y(); ++iy)
      for (int ix = 0; ix < s.side_x(); ++ix) {
        const int n = s.node(fl, ix, iy);
        std::vector<double> v = numbers_of(node_line(out, "GCS DISPLACEMENTS", n));
        ASSERT_EQ(v.size(), 7u) << "node " << n;
        double scale = 0.0;
        for (int d = 0; d < 6; ++d) scale = std::max(scale, std::fabs(u[static_cast<std::size_t>(fm.dof(n, d))]));
        for (int d = 0; d < 6; ++d) {
          const double expect = u[static_cast<std::size_t>(fm.dof(n, d))];
          EXPECT_NEAR(v[static_cast<std::size_t>(d + 1)], expect, 2e-5 * std::fabs(expect) + 2e-6 * scale)
              << "node " << n << " dof " << d + 1;
        }
      }
  }

  // The reactions balance the loads: forces, and moments about the origin.
  const std::vector<double> sum = after_label(out, " SUMMATION");
  ASSERT_EQ(sum.size(), 6u);
  const double force = std::fabs(app[0]) + std::fabs(app[1]);
  const double moment = force * std::max(s.z(s.storeys), s.x(s.bays_x));
  for (int k = 0; k < 6; ++k)
    EXPECT_NEAR(sum[static_cast<std::size_t>(k)], -app[k], 1e-6 * (k < 3 ? force : moment)) << "resultant " << k + 1;
}

INSTANTIATE_TEST_SUITE_P(Frames, StiffFrameStatics,
                         ::testing::Values(StaticCase{"tall_stiff_beams", 12, 2, 100.0},
                                           StaticCase{"wide", 6, 4, 10.0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- "SOL" 3

std::vector<double> periods(const std::string& out) { return after_label(out, "   PERIOD (SEC):"); }

std::vector<double> oracle_periods(const kvtest::FrameSpec& s, int count) {
  const std::vector<double> ev = oracle::lowest_eigenvalues(oracle::build(s), count);
  std::vector<double> t;
  for (double l : ev) t.push_back(2.0 * M_PI / std::sqrt(l));
  return t;
}

// The four lowest periods of the frame's "SOL" 3, each checked against the
// double solution here to 1e-4; the caller gets them back.
std::vector<double> checked_periods(kvtest::FrameSpec s) {
  s.condense_rotations = true;  // the masses are translational
  s.solution = "SOL3\n'NATURAL FREQUENCIES'\nFREQ 4 0\n";
  const kvtest::RunResult r = kvtest::run_deck(kvtest::frame_deck(s), "frame_eigen");
  EXPECT_EQ(r.status, 0) << r.console;
  const std::vector<double> t = periods(r.output);
  EXPECT_EQ(t.size(), 4u);
  if (t.size() != 4u) return std::vector<double>(4, 0.0);
  const std::vector<double> want = oracle_periods(s, 4);
  for (std::size_t m = 0; m < 4; ++m) EXPECT_NEAR(t[m], want[m], 1e-4 * want[m]) << "mode " << m + 1;
  return t;
}

// A symmetric frame whose beams are a hundred times stiffer than its columns:
// the two lowest modes (sway in X and in Y) have one period.
TEST(StiffFrameEigen, SymmetricPairHasOnePeriodAndMatchesDoubleSolution) {
  kvtest::FrameSpec s;
  s.storeys = 10;
  s.bays_x = s.bays_y = 3;
  s.beam_e_factor = 100.0;
  s.mass = 2.0;
  const std::vector<double> t = checked_periods(s);
  EXPECT_NEAR(t[0], t[1], 1e-5 * t[0]);
}

// A slender cantilever column of 20 elements with lumped masses in X, Y and Z:
// its first bending period (a pair, X and Y) and its second.
TEST(StiffFrameEigen, CantileverColumnBendingPeriods) {
  kvtest::FrameSpec s;
  s.storeys = 20;
  s.bays_x = s.bays_y = 0;
  s.height = 60.0;
  s.col_a = 20.0;
  s.col_i = 100.0;
  s.col_j = 200.0;
  s.mass = 0.05;
  s.roof_mass_factor = 0.5;  // the tip carries half an element's mass
  const std::vector<double> t = checked_periods(s);
  // Continuum: omega_n = beta_n^2 sqrt(EI / (m L^4)), m the mass per length.
  const double len = s.storeys * s.height;
  const double base = std::sqrt(s.e * s.col_i / (s.mass / s.height * std::pow(len, 4)));
  const double t1 = 2.0 * M_PI / (1.875104 * 1.875104 * base);
  const double t2 = 2.0 * M_PI / (4.694091 * 4.694091 * base);
  EXPECT_NEAR(t[0], t1, 0.01 * t1);
  EXPECT_NEAR(t[1], t[0], 1e-5 * t[0]);
  EXPECT_NEAR(t[2], t2, 0.01 * t2);
  EXPECT_NEAR(t[3], t[2], 1e-5 * t[2]);
}

}  // namespace
