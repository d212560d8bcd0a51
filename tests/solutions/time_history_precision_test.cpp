// "SOL" 2 as the time step shrinks: a yielding one-degree-of-freedom system
// (elastoplastic spring k = 100, PY = 50, mass 1) under a triangular ground
// pulse, average acceleration with the unbalanced forces carried, against the
// same method run in double precision here. In float arithmetic the velocity
// and acceleration increments cancel and drift away as DT falls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "solutions/dynamic/th_step.h"
#include "support/test_support.h"

namespace {

constexpr double kK = 100.0, kPy = 50.0, kM = 1.0, kGrav = 386.4;
constexpr double kPulse = 0.5;  // peak ground acceleration in g at 0.1 s, zero from 0.2 s on
constexpr double kTf = 1.5;

double ground(double t) {
  if (t <= 0.0 || t >= 0.2) return 0.0;
  return t <= 0.1 ? kPulse * t / 0.1 : kPulse * (0.2 - t) / 0.1;
}

// The average-acceleration increments on K_t, the spring force by the
// elastoplastic rule, and the force the tangent promised but the spring did
// not give carried into the next step's load.
std::vector<double> double_run(double dt, int steps) {
  double u = 0.0, v = 0.0, a = 0.0, p = 0.0, kt = kK, unbal = 0.0;
  std::vector<double> hist{0.0};
  for (int n = 1; n <= steps; ++n) {
    const double t = n * dt;
    const double dp = -kM * kGrav * (ground(t) - ground(t - dt)) + unbal;
    const double keff = kt + 4.0 * kM / (dt * dt);
    const double du = (dp + kM * (4.0 * v / dt + 2.0 * a)) / keff;
    const double dv = 2.0 * du / dt - 2.0 * v;
    const double da = 4.0 * du / (dt * dt) - 4.0 * v / dt - 2.0 * a;
    double pn = p + kK * du;
    bool yielding = false;
    if (pn > kPy) pn = kPy, yielding = true;
    if (pn < -kPy) pn = -kPy, yielding = true;
    unbal = kt * du - (pn - p);
    u += du, v += dv, a += da, p = pn;
    // On the yield plateau while still moving outward; elastic otherwise.
    kt = yielding && v * pn > 0.0 ? 0.0 : kK;
    hist.push_back(u);
  }
  return hist;
}

std::string deck(double dt) {
  std::ostringstream d;
  d << "STR\n'ELASTOPLASTIC SDOF UNDER A GROUND PULSE'\n"
       "2 1 2 0 0 1.0\n1 0.0 0.0 0.0 1 0\n2 1.0 0.0 0.0 1 0\n1.0 0.0 0.0 0.0 1.0 0.0\n"
       "1 1 1 1 1 1 1 0 0\n2 0 1 1 1 1 1 0 0\n1\nELSPLS 100.0 50.0 0.0 10.0 0.1\n0 0 0 F\n1\n"
       "SPRING 'S1' 1 1 2 1 0.0 0.0 1.0 0.0 0.0 0.0 0\n1 1 F\n"
       "2 1.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0 0\n0.0 0.0\n"
       "SOL2\n'TRIANGULAR PULSE'\nAVERAGE 0.0 F T\n1000000 1 10 F\n";
  d.precision(10);
  d << "0.0 " << dt << " " << kTf << " 386.4\n";
  d << "DOF 1 20 0 0 0\nENERGY 0 21 0 0 0\nEND\n0\n0 0 0 END\n"
       "1 1.0 0.0 0.1 F\n1.0 0.0 0.0 0.0 1.0 0.0\n5 4 1 F F F\nTRIANGULAR PULSE\n0.5 G AT 0.1 S\n"
       "0.0 0.5 0.0 0.0\nSTOP\n";
  return d.str();
}

std::vector<std::vector<double>> history(const kvtest::RunResult& r, int unit) {
  std::istringstream in(kvtest::read_file(r.dir / ("temp" + std::to_string(unit) + ".out")));
  std::vector<std::vector<double>> records;
  int line = 0;
  for (std::string l; std::getline(in, l); ++line) {
    if (line < 5) continue;
    std::istringstream ls(l);
    std::vector<double> v;
    for (double x; ls >> x;) v.push_back(x);
    records.push_back(v);
  }
  return records;
}

TEST(TimeHistoryPrecision, DisplacementsFollowTheDoubleRunAsTheStepShrinks) {
  double last_energy_error = 1e30;
  for (double dt : {0.01, 0.0025, 0.0005}) {
    const kvtest::RunResult r = kvtest::run_deck(deck(dt), "th_precision");
    ASSERT_EQ(r.status, 0) << r.console;
    const int steps = static_cast<int>(std::lround(kTf / dt));
    const std::vector<double> want = double_run(dt, steps);
    const auto dof = history(r, 20);
    ASSERT_EQ(dof.size(), want.size()) << "DT " << dt;
    double worst = 0.0, peak = 0.0;
    for (std::size_t n = 0; n < want.size(); ++n) {
      ASSERT_GE(dof[n].size(), 2u);
      worst = std::max(worst, std::fabs(dof[n][1] - want[n]));
      peak = std::max(peak, std::fabs(want[n]));
    }
    EXPECT_GT(peak, 1.0) << "the spring yields";
    EXPECT_LT(worst, 1e-4) << "DT " << dt;
    // The energy balance error (per cent) at the end of the run.
    const auto energy = history(r, 21);
    ASSERT_EQ(energy.size(), want.size());
    const double energy_error = std::fabs(energy.back()[5]);
    EXPECT_LT(energy_error, last_energy_error) << "DT " << dt;
    last_energy_error = energy_error;
  }
}

struct Count {
  float t0, tf, dt;
  int steps;
};

TEST(TimeHistoryPrecision, StepCountRoundsAQuotientThatIsAWholeNumber) {
  for (const Count& c : {Count{0.0f, 4.0f, 0.001f, 4000}, Count{0.0f, 4.0f, 0.005f, 800}, Count{0.0f, 1.0f, 0.1f, 10},
                         Count{0.5f, 2.0f, 0.01f, 150}, Count{0.0f, 1.05f, 0.1f, 10}, Count{0.0f, 0.0999f, 0.1f, 0},
                         Count{0.0f, 1.0f, 0.0f, 0}, Count{0.0f, 1.0e9f, 0.1f, 2000000000}}) {
    EXPECT_EQ(solutions::step_count(c.t0, c.tf, c.dt), c.steps) << c.t0 << " " << c.tf << " " << c.dt;
  }
}

}  // namespace
