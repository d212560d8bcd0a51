// The step integrators on a two-degree-of-freedom system laid by hand in the
// work array: the constants of each method, one step against the classical
// effective-stiffness form of the method (worked in double precision here),
// the reuse of the factors, Wilson theta = 1 against linear acceleration, and
// a zero pivot.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "dynamic_harness.h"
#include "solutions/dynamic/integrators.h"

namespace {

using solutions::IntegratorCall;
using solutions::IntegratorConstants;

using Vec2 = std::array<double, 2>;
using Mat2 = std::array<std::array<double, 2>, 2>;

// K = [200 -100; -100 100], M = diag(1, 2): both equations free.
constexpr Mat2 kK{{{200.0, -100.0}, {-100.0, 100.0}}};
constexpr Mat2 kM{{{1.0, 0.0}, {0.0, 2.0}}};

struct Fixture {
  IntegratorCall call;
  std::int64_t k = 0, m = 0;

  Fixture(double alpha, double beta, float dt, float factor) {
    dyntest::start("integrators", "");
    call.dt = dt;
    call.factor = factor;
    call.ncond = 0;
    call.nfree = 2;
    call.neq = 2;
    call.idamp = 1;
    call.alpha = static_cast<float>(alpha);
    call.beta = static_cast<float>(beta);
    // Skyline: column 1 its diagonal, column 2 its diagonal and (1, 2).
    call.kmdiag = dyntest::put_int({1, 2, 4});
    k = call.k = dyntest::put({static_cast<float>(kK[0][0]), static_cast<float>(kK[1][1]), static_cast<float>(kK[0][1])});
    call.nstk = 4;
    call.mmdiag = dyntest::put_int({1, 2, 3});
    m = call.m = dyntest::put({static_cast<float>(kM[0][0]), static_cast<float>(kM[1][1])});
    call.nstm = 3;
    call.a = dyntest::put({0.0f, 0.0f});
    call.v = dyntest::put({0.0f, 0.0f});
    call.d = dyntest::put({0.0f, 0.0f});
    call.p = dyntest::put({0.0f, 0.0f});
    call.pstep = dyntest::put({0.0f, 0.0f});
    call.da = dyntest::put({0.0f, 0.0f});
    call.dv = dyntest::put({0.0f, 0.0f});
    call.dd = dyntest::put({0.0f, 0.0f});
    call.workv = dyntest::put({0.0f, 0.0f});
    call.keffdg = dyntest::put_int({1, 2, 4});
    call.keff = dyntest::put({0.0f, 0.0f, 0.0f});
    call.nkeff = 4;
    call.q = dyntest::put({0.0f, 0.0f});
    call.r = dyntest::put({0.0f, 0.0f});
    call.pbar = dyntest::put({0.0f, 0.0f});
    call.dwork = kv::reserve_doubles(solutions::kStepDoubles * 2);
  }
  ~Fixture() { dyntest::finish(); }

  void set(std::int64_t v, const Vec2& x) {
    kv::rzm(v) = static_cast<float>(x[0]);
    kv::rzm(v + 1) = static_cast<float>(x[1]);
  }
  Vec2 get(std::int64_t v) const { return {kv::rzm(v), kv::rzm(v + 1)}; }
};

Vec2 mul(const Mat2& a, const Vec2& x) { return {a[0][0] * x[0] + a[0][1] * x[1], a[1][0] * x[0] + a[1][1] * x[1]}; }
Mat2 comb(double a, const Mat2& x, double b, const Mat2& y) {
  Mat2 r{};
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j) r[i][j] = a * x[i][j] + b * y[i][j];
  return r;
}
Vec2 solve(const Mat2& a, const Vec2& b) {
  const double det = a[0][0] * a[1][1] - a[0][1] * a[1][0];
  return {(b[0] * a[1][1] - a[0][1] * b[1]) / det, (a[0][0] * b[1] - a[1][0] * b[0]) / det};
}
Vec2 add(const Vec2& a, const Vec2& b) { return {a[0] + b[0], a[1] + b[1]}; }
Vec2 scale(double s, const Vec2& a) { return {s * a[0], s * a[1]}; }

struct Increments {
  Vec2 dd, dv, da;
};

// The classical forms, with C = alpha*M + beta*K.
Increments classical(int method, double h, double theta, double alpha, double beta, const Vec2& a, const Vec2& v,
                     const Vec2& dp) {
  const Mat2 c = comb(alpha, kM, beta, kK);
  Increments r;
  if (method == solutions::kLinearAcceleration) {
    const Mat2 keff = comb(1.0, comb(1.0, kK, 6.0 / (h * h), kM), 3.0 / h, c);
    const Vec2 rhs = add(add(dp, mul(kM, add(scale(6.0 / h, v), scale(3.0, a)))),
                         mul(c, add(scale(3.0, v), scale(h / 2.0, a))));
    r.dd = solve(keff, rhs);
    r.dv = add(add(scale(3.0 / h, r.dd), scale(-3.0, v)), scale(-h / 2.0, a));
    r.da = add(add(scale(6.0 / (h * h), r.dd), scale(-6.0 / h, v)), scale(-3.0, a));
  } else if (method == solutions::kAverageAcceleration) {
    const Mat2 keff = comb(1.0, comb(1.0, kK, 4.0 / (h * h), kM), 2.0 / h, c);
    const Vec2 rhs = add(add(dp, mul(kM, add(scale(4.0 / h, v), scale(2.0, a)))), mul(c, scale(2.0, v)));
    r.dd = solve(keff, rhs);
    r.dv = add(scale(2.0 / h, r.dd), scale(-2.0, v));
    r.da = add(add(scale(4.0 / (h * h), r.dd), scale(-4.0 / h, v)), scale(-2.0, a));
  } else {
    const double tau = theta * h;
    const Mat2 keff = comb(1.0, comb(1.0, kK, 6.0 / (tau * tau), kM), 3.0 / tau, c);
    const Vec2 rhs = add(add(scale(theta, dp), mul(kM, add(scale(6.0 / tau, v), scale(3.0, a)))),
                         mul(c, add(scale(3.0, v), scale(tau / 2.0, a))));
    const Vec2 dtau = solve(keff, rhs);
    const Vec2 datau = add(add(scale(6.0 / (tau * tau), dtau), scale(-6.0 / tau, v)), scale(-3.0, a));
    r.da = scale(1.0 / theta, datau);
    r.dv = add(scale(h, a), scale(h / 2.0, r.da));
    r.dd = add(add(scale(h, v), scale(h * h / 2.0, a)), scale(h * h / 6.0, r.da));
  }
  return r;
}

void expect_near(const Vec2& got, const Vec2& want, const std::string& what) {
  const double s = std::max(std::fabs(want[0]), std::fabs(want[1]));
  for (int i = 0; i < 2; ++i) EXPECT_NEAR(got[static_cast<std::size_t>(i)], want[static_cast<std::size_t>(i)], 2e-4 * s) << what << " #" << i + 1;
}

struct StepCase {
  const char* name;
  int method;
  float theta;
};

class IntegratorStep : public ::testing::TestWithParam<StepCase> {};

// From a moving state (V, A not zero) with Rayleigh damping and a load
// increment, one step of each method matches its classical form.
TEST_P(IntegratorStep, MatchesTheClassicalEffectiveStiffnessForm) {
  const StepCase& sc = GetParam();
  constexpr double alpha = 0.4, beta = 0.002, h = 0.02;
  const Vec2 a{3.0, -1.0}, v{0.5, 0.25}, dp{10.0, -4.0};
  Fixture f(alpha, beta, static_cast<float>(h), sc.theta);
  f.set(f.call.a, a);
  f.set(f.call.v, v);
  f.set(f.call.pstep, dp);
  IntegratorConstants c;
  std::int32_t istop = 0;
  f.call.iopt = solutions::kIntegratorConstants;
  solutions::integrate(sc.method, f.call, c, istop);
  f.call.iopt = solutions::kIntegratorStep;
  f.call.newkef = true;
  solutions::integrate(sc.method, f.call, c, istop);
  EXPECT_EQ(istop, 0);
  const Increments want = classical(sc.method, h, sc.theta, alpha, beta, a, v, dp);
  expect_near(f.get(f.call.dd), want.dd, std::string(sc.name) + " dD");
  expect_near(f.get(f.call.dv), want.dv, std::string(sc.name) + " dV");
  expect_near(f.get(f.call.da), want.da, std::string(sc.name) + " dA");
  EXPECT_FLOAT_EQ(c.alpha, static_cast<float>(alpha));
  EXPECT_FLOAT_EQ(c.beta, static_cast<float>(beta));
}

INSTANTIATE_TEST_SUITE_P(Methods, IntegratorStep,
                         ::testing::Values(StepCase{"LINACC", solutions::kLinearAcceleration, 1.0f},
                                           StepCase{"AVGACC", solutions::kAverageAcceleration, 1.4f},
                                           StepCase{"WTHETA", solutions::kWilsonTheta, 1.4f}),
                         [](const auto& info) { return std::string(info.param.name); });

// The constants of the three methods for h = 0.1, ALPHA = 0.5, BETA = 0.01
// (Wilson with theta = 2, so theta*h = 0.2), worked by hand.
TEST(Integrators, ConstantsOfTheThreeMethods) {
  struct Case {
    int method;
    float theta;
    std::array<float, 9> want;  // C0 C1 C2 C3 C4 C5 C6 C10 C11
  };
  const Case cases[] = {
      {solutions::kLinearAcceleration, 0.0f,
       {615.0f, 1.0f / 1.3f, 615.0f / 1.3f, 0.5f - 615.0f / 1.3f * 0.01f, 60.0f, 0.05f, 0.0f, 30.0f, 600.0f}},
      {solutions::kAverageAcceleration, 0.0f,
       {410.0f, 1.0f / 1.2f, 410.0f / 1.2f, 0.5f - 410.0f / 1.2f * 0.01f, 40.0f, 0.0f, 0.0f, 20.0f, 400.0f}},
      {solutions::kWilsonTheta, 2.0f, {150.0f, 15.0f, 30.0f, 0.1f, 0.05f, 0.005f, 0.1f / 60.0f, 1.15f, 157.5f}},
  };
  for (const Case& k : cases) {
    Fixture f(0.5, 0.01, 0.1f, k.theta);
    IntegratorConstants c;
    std::int32_t istop = 0;
    solutions::integrate(k.method, f.call, c, istop);
    const std::array<float, 9> got{c.c0, c.c1, c.c2, c.c3, c.c4, c.c5, c.c6, c.c10, c.c11};
    for (std::size_t i = 0; i < got.size(); ++i)
      EXPECT_NEAR(got[i], k.want[i], 1e-5f * std::max(1.0f, std::fabs(k.want[i]))) << k.method << " #" << i;
  }
}

// Wilson with theta = 1 is linear acceleration.
TEST(Integrators, WilsonWithThetaOneIsLinearAcceleration) {
  std::array<Vec2, 2> results;
  const int methods[2] = {solutions::kLinearAcceleration, solutions::kWilsonTheta};
  for (int n = 0; n < 2; ++n) {
    Fixture f(0.3, 0.0, 0.05f, 1.0f);
    f.set(f.call.a, {1.0, 2.0});
    f.set(f.call.v, {-0.5, 0.5});
    f.set(f.call.pstep, {5.0, 7.0});
    IntegratorConstants c;
    std::int32_t istop = 0;
    solutions::integrate(methods[n], f.call, c, istop);
    f.call.iopt = solutions::kIntegratorStep;
    f.call.newkef = true;
    solutions::integrate(methods[n], f.call, c, istop);
    results[static_cast<std::size_t>(n)] = f.get(f.call.dd);
  }
  expect_near(results[1], results[0], "dD");
}

// Without a new effective matrix the factors of the last one serve: the same
// step gives the same increments, and a stiffness changed in between is not
// factored (the one refinement against the global matrices sees it only in
// part), so the result is neither the old one nor that of a fresh build.
TEST(Integrators, TheFactorsAreReusedUntilANewEffectiveMatrix) {
  Fixture f(0.0, 0.0, 0.02f, 1.0f);
  f.set(f.call.pstep, {10.0, -4.0});
  IntegratorConstants c;
  std::int32_t istop = 0;
  solutions::linacc(f.call, c, istop);
  f.call.iopt = solutions::kIntegratorStep;
  f.call.newkef = true;
  solutions::linacc(f.call, c, istop);
  const Vec2 first = f.get(f.call.dd);
  f.call.newkef = false;
  solutions::linacc(f.call, c, istop);
  EXPECT_EQ(f.get(f.call.dd), first);
  kv::rzm(f.k) = 1.0e4f;  // K11: would change the result if the matrix were built again
  solutions::linacc(f.call, c, istop);
  const Vec2 reused = f.get(f.call.dd);
  f.call.newkef = true;
  solutions::linacc(f.call, c, istop);
  const Vec2 fresh = f.get(f.call.dd);
  EXPECT_NE(fresh[0], first[0]);
  EXPECT_NE(reused[0], fresh[0]);
}

// A singular effective matrix: the solver's stop flag, the increments untouched.
TEST(Integrators, AZeroPivotSetsTheStopAndLeavesTheIncrements) {
  for (int method : {1, 2, 3}) {
    Fixture f(0.0, 0.0, 0.02f, 1.4f);
    for (int i = 0; i < 3; ++i) kv::rzm(f.k + i) = 0.0f;
    for (int i = 0; i < 2; ++i) kv::rzm(f.m + i) = 0.0f;
    f.set(f.call.pstep, {1.0, 1.0});
    f.set(f.call.dd, {7.0, 7.0});
    f.set(f.call.dv, {8.0, 8.0});
    f.set(f.call.da, {9.0, 9.0});
    IntegratorConstants c;
    std::int32_t istop = 0;
    solutions::integrate(method, f.call, c, istop);
    f.call.iopt = solutions::kIntegratorStep;
    f.call.newkef = true;
    solutions::integrate(method, f.call, c, istop);
    EXPECT_EQ(istop & 1, 1) << method;
    EXPECT_EQ(f.get(f.call.dd), (Vec2{7.0, 7.0})) << method;
    EXPECT_EQ(f.get(f.call.dv), (Vec2{8.0, 8.0})) << method;
    EXPECT_EQ(f.get(f.call.da), (Vec2{9.0, 9.0})) << method;
  }
}

}  // namespace
