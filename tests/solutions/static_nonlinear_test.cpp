// "SOL" 4: the arithmetic of the step loop in tables, and decks of
// tests/cases run through the program with the values worked out by hand.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "solution_harness.h"
#include "solutions/static_nonlinear.h"
#include "support/test_support.h"

namespace {

using soltest::lines_of;
using soltest::numbers_of;
using solutions::SpReference;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// ---------------------------------------------------------------- SP

// Three equations: a free translation, a free rotation, a restrained
// translation whose entries are the reaction.
const std::vector<std::uint8_t> kKinds{0, 1, 0};

float sp_of(bool first, std::vector<float> dp, std::vector<float> du, std::vector<float> pt, SpReference& ref) {
  return solutions::stiffness_parameter(first, dp, du, pt, kKinds, ref);
}

TEST(StiffnessParameter, StepOneSetsTheReferenceAndGivesOne) {
  SpReference ref;
  const float sp = sp_of(true, {10.0f, 2.0f, -10.0f}, {0.1f, 0.01f, 0.0f}, {10.0f, 2.0f, -10.0f}, ref);
  EXPECT_FLOAT_EQ(sp, 1.0f);
  // The first of two equal magnitudes stays: 10, not -10.
  EXPECT_EQ(ref.pr[0], 10.0f);
  EXPECT_EQ(ref.pr[1], 2.0f);
  EXPECT_FLOAT_EQ(ref.pnorm1, 1.0f);     // sqrt((1 + 1 + 1) / 3)
  EXPECT_FLOAT_EQ(ref.winc1, 1.02f);     // 10 * 0.1 + 2 * 0.01
}

struct SpCase {
  const char* name;
  std::vector<float> dp, du, pt;  // the second step
  float expected;
};
void PrintTo(const SpCase& c, std::ostream* os) { *os << c.name; }

class StiffnessParameterLater : public ::testing::TestWithParam<SpCase> {};

// After a step 1 of loads (10, 2) and displacements (0.1, 0.01), the second
// step's SP: a linear structure stays at 1.0 whatever the increment (the
// totals of later steps must not enter the norm: normalised by the totals the
// doubled step would give (2/3)^2 * 1.02 / 4.08 = 0.111), a stiffness halved
// gives 0.5, a displacement against the load gives a negative SP.
TEST_P(StiffnessParameterLater, FollowsTheStiffnessAgainstStepOne) {
  const SpCase& c = GetParam();
  SpReference ref;
  sp_of(true, {10.0f, 2.0f, -10.0f}, {0.1f, 0.01f, 0.0f}, {10.0f, 2.0f, -10.0f}, ref);
  EXPECT_NEAR(sp_of(false, c.dp, c.du, c.pt, ref), c.expected, 1e-6f);
  EXPECT_EQ(ref.pr[0], 10.0f) << "the reference is kept from step 1";
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StiffnessParameterLater,
    ::testing::Values(SpCase{"LinearSameStep", {10.0f, 2.0f, -10.0f}, {0.1f, 0.01f, 0.0f}, {20.0f, 4.0f, -20.0f}, 1.0f},
                      SpCase{"LinearDoubledStep", {20.0f, 4.0f, -20.0f}, {0.2f, 0.02f, 0.0f}, {30.0f, 6.0f, -30.0f}, 1.0f},
                      SpCase{"LinearQuarterStep", {2.5f, 0.5f, -2.5f}, {0.025f, 0.0025f, 0.0f}, {12.5f, 2.5f, -12.5f}, 1.0f},
                      SpCase{"HalfStiffness", {10.0f, 2.0f, -10.0f}, {0.2f, 0.02f, 0.0f}, {20.0f, 4.0f, -20.0f}, 0.5f},
                      SpCase{"PastLimitPoint", {10.0f, 2.0f, -10.0f}, {-0.1f, -0.01f, 0.0f}, {20.0f, 4.0f, -20.0f}, -1.0f}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StiffnessParameter, KindWithoutReferenceLoadIsLeftOut) {
  SpReference ref;
  // Step 1 loads the translations only: the rotation takes no part later.
  sp_of(true, {10.0f, 0.0f, -10.0f}, {0.1f, 0.0f, 0.0f}, {10.0f, 0.0f, -10.0f}, ref);
  EXPECT_EQ(ref.pr[1], 0.0f);
  EXPECT_FLOAT_EQ(sp_of(false, {10.0f, 5.0f, -10.0f}, {0.1f, 0.0f, 0.0f}, {20.0f, 5.0f, -20.0f}, ref), 1.0f);
}

TEST(StiffnessParameter, NothingToNormaliseWithIsUndefined) {
  SpReference ref;
  EXPECT_TRUE(std::isnan(sp_of(true, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, ref)));
}

// ---------------------------------------------------------------- stop test

struct StopCase {
  const char* name;
  bool applies, support;
  float sp_prev, sp, dfact_prev, dfact;
  bool stops;
};
void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class LimitPoint : public ::testing::TestWithParam<StopCase> {};

TEST_P(LimitPoint, StopsOnlyUnderLoadControlWhenSpTurns) {
  const StopCase& c = GetParam();
  EXPECT_EQ(solutions::passed_limit_point(c.applies, c.support, c.sp_prev, c.sp, c.dfact_prev, c.dfact), c.stops);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LimitPoint,
    ::testing::Values(StopCase{"SignChange", true, false, 1.0f, -0.1f, 5.0f, 5.0f, true},
                      StopCase{"SofteningOnly", true, false, 1.0f, 0.5f, 5.0f, 5.0f, false},
                      StopCase{"ZeroSp", true, false, 1.0f, 0.0f, 5.0f, 5.0f, true},
                      StopCase{"UndefinedSp", true, false, 1.0f, kNaN, 5.0f, 5.0f, true},
                      StopCase{"StillNegative", true, false, -0.5f, -0.3f, 5.0f, 5.0f, false},
                      StopCase{"SupportDisplacements", true, true, 1.0f, -0.1f, 5.0f, 5.0f, false},
                      StopCase{"NoLoads", false, false, 1.0f, -0.1f, 5.0f, 5.0f, false},
                      StopCase{"IncrementReversed", true, false, 1.0f, -0.1f, -5.0f, 5.0f, false},
                      StopCase{"FirstStep", true, false, 1.0f, -0.1f, 0.0f, 5.0f, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- switch

struct SwitchCase {
  const char* name;
  bool now;
  float sp_prev, splimit;
  solutions::UnbalancedSwitch expected;
};
void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.name; }

class UnbalancedSwitch : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(UnbalancedSwitch, FollowsAbsSpAgainstTheLimit) {
  const SwitchCase& c = GetParam();
  EXPECT_EQ(solutions::unbalanced_switch(c.now, c.sp_prev, c.splimit), c.expected);
}

using solutions::UnbalancedSwitch::keep;
using solutions::UnbalancedSwitch::off;
using solutions::UnbalancedSwitch::on;
INSTANTIATE_TEST_SUITE_P(
    Cases, UnbalancedSwitch,
    ::testing::Values(SwitchCase{"OnBelowGoesOff", true, 0.4f, 0.5f, off},
                      SwitchCase{"OnAtLimitStays", true, 0.5f, 0.5f, keep},
                      SwitchCase{"OnNegativeLargeStays", true, -0.6f, 0.5f, keep},
                      SwitchCase{"OffAtLimitGoesOn", false, 0.5f, 0.5f, on},
                      SwitchCase{"OffBelowStays", false, 0.4f, 0.5f, keep},
                      SwitchCase{"UndefinedCountsBelow", true, kNaN, 0.0f, off},
                      SwitchCase{"UndefinedKeepsItOff", false, kNaN, 0.0f, keep}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- step size

struct SizeCase {
  const char* name;
  float pm, dm, pmax, dmax;
  int nsub;
  float ratio;
  bool scaled, last;
  int nsub_after;
};
void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class StepSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(StepSize, LimitsScaleAndEqualStepsCount) {
  const SizeCase& c = GetParam();
  const solutions::StepSize s = solutions::step_size(c.pm, c.dm, c.pmax, c.dmax, c.nsub);
  EXPECT_FLOAT_EQ(s.ratio, c.ratio);
  EXPECT_EQ(s.scaled, c.scaled);
  EXPECT_EQ(s.last, c.last);
  EXPECT_EQ(s.nsub, c.nsub_after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StepSize,
    ::testing::Values(SizeCase{"DisplacementLimit", 100.0f, 0.25f, 0.0f, 0.1f, 0, 2.5f, true, false, 0},
                      SizeCase{"LoadLimit", 300.0f, 0.05f, 100.0f, 0.1f, 0, 3.0f, true, false, 0},
                      SizeCase{"BothExceededLargerWins", 300.0f, 0.5f, 100.0f, 0.1f, 0, 5.0f, true, false, 0},
                      SizeCase{"WithinLimits", 50.0f, 0.05f, 100.0f, 0.1f, 3, 1.0f, false, true, 3},
                      SizeCase{"EqualStepsGoOn", 50.0f, 0.05f, 0.0f, 0.0f, 4, 1.0f, false, false, 3},
                      SizeCase{"LastEqualStep", 50.0f, 0.05f, 0.0f, 0.0f, 1, 1.0f, false, true, 1},
                      SizeCase{"OneStep", 50.0f, 0.05f, 0.0f, 0.0f, 0, 1.0f, false, true, 0},
                      // A limit given negative bounds the magnitude all the same.
                      SizeCase{"NegativeLimit", 100.0f, 0.25f, 0.0f, -0.1f, 0, 2.5f, true, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- reversal

struct ReverseCase {
  const char* name;
  float factor, dfact, target, next;
  bool reverses;
};
void PrintTo(const ReverseCase& c, std::ostream* os) { *os << c.name; }

class LoadReversal : public ::testing::TestWithParam<ReverseCase> {};

TEST_P(LoadReversal, OnlyAtTheTargetOfATurningRecord) {
  const ReverseCase& c = GetParam();
  EXPECT_EQ(solutions::load_reverses(c.factor, c.dfact, c.target, c.next), c.reverses);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadReversal,
    ::testing::Values(ReverseCase{"UpThenDown", 0.5f, 0.25f, 0.75f, -1.0f, true},
                      ReverseCase{"UpThenFurtherUp", 0.5f, 0.25f, 0.75f, 1.0f, false},
                      ReverseCase{"TargetNotReached", 0.5f, 0.125f, 0.75f, -1.0f, false},
                      ReverseCase{"DownThenFurtherDown", 1.0f, -0.25f, 0.75f, 0.5f, false},
                      ReverseCase{"DownThenUp", 1.0f, -0.25f, 0.75f, 2.0f, true},
                      ReverseCase{"NextHoldsTheTarget", 0.5f, 0.25f, 0.75f, 0.75f, true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- decks

kvtest::RunResult run_case(const std::string& name) {
  return kvtest::run_deck(kvtest::read_file(kvtest::case_path(name)), name.substr(0, name.find('.')));
}

int count_of(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The commit lines of element 1, load case 1, in step order: force,
// deformation, stiffness (the decks print every step).
std::vector<std::vector<double>> commit_lines(const std::string& out) {
  static const std::regex kLine(R"(^ {9}1 {4}1 +AXIAL +1 +2 )");
  std::vector<std::vector<double>> v;
  for (const std::string& l : lines_of(out)) {
    if (!std::regex_search(l, kLine)) continue;
    std::vector<double> n = numbers_of(l);
    if (n.size() == 7) v.emplace_back(n.begin() + 4, n.end());
  }
  return v;
}

// The totals of every energy balance line that starts with `what`.
std::vector<double> energy_totals(const std::string& out, const std::string& what) {
  std::vector<double> v;
  for (const std::string& l : lines_of(out)) {
    if (l.find(what) == std::string::npos) continue;
    const std::vector<double> n = numbers_of(l);
    if (n.size() == 2) v.push_back(n[1]);
  }
  return v;
}

// The value after the last line holding `header`, from the first line that
// starts with the element number 1.
double value_after(const std::string& out, const std::string& header) {
  const std::vector<std::string> lines = lines_of(out);
  std::size_t i = lines.size();
  for (std::size_t k = 0; k < lines.size(); ++k)
    if (lines[k].find(header) != std::string::npos) i = k;
  for (++i; i < lines.size(); ++i) {
    const std::vector<double> n = numbers_of(lines[i]);
    if (n.size() >= 2 && n[0] == 1.0) return n[1];
  }
  return std::nan("");
}

TEST(StaticNonlinearDeck, ElastoplasticSpringFollowsItsCycleByHand) {
  const auto r = run_case("sol4_ep_spring_cycle.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // KE 100, PY 10, no hardening, DY = 0.1: 0 -> +0.3 -> -0.3 -> +0.3 in
  // steps of 0.1. Unloading from +0.3 is elastic down to +0.1, where the
  // spring yields in compression, and likewise from -0.3 up to -0.1.
  const std::array<double, 15> d{0.1, 0.2, 0.3, 0.2, 0.1, 0.0, -0.1, -0.2, -0.3, -0.2, -0.1, 0.0, 0.1, 0.2, 0.3};
  const std::array<double, 15> p{10, 10, 10, 0, -10, -10, -10, -10, -10, 0, 10, 10, 10, 10, 10};
  const auto lines = commit_lines(r.output);
  ASSERT_EQ(lines.size(), d.size()) << r.output;
  for (std::size_t k = 0; k < d.size(); ++k) {
    EXPECT_NEAR(lines[k][0], p[k], 1e-4) << "force at step " << k + 1;
    EXPECT_NEAR(lines[k][1], d[k], 1e-6) << "deformation at step " << k + 1;
  }
  // Work done: 2.5 to +0.3, none back to +0.1 (elastic), 4.0 on the yield
  // line to -0.3, none back to -0.1, 4.0 on to +0.3: 10.5, of which
  // P^2 / (2 KE) = 0.5 is elastic.
  const std::vector<double> ese = energy_totals(r.output, "ELASTIC STRAIN ENERGY");
  const std::vector<double> pse = energy_totals(r.output, "PLASTIC STRAIN ENERGY");
  ASSERT_EQ(ese.size(), 15u);
  ASSERT_EQ(pse.size(), 15u);
  EXPECT_NEAR(ese[2], 0.5, 1e-5);
  EXPECT_NEAR(pse[2], 2.0, 1e-5);
  EXPECT_NEAR(pse[8], 6.0, 1e-5);
  EXPECT_NEAR(ese.back(), 0.5, 1e-5);
  EXPECT_NEAR(pse.back(), 10.0, 1e-5);
  // Ductility: the excursion to +0.3 (and to -0.3) is rated at its turning point, 0.3 / DY.
  EXPECT_NEAR(value_after(r.output, "PEAK DUCTILITIES"), 3.0, 1e-5);
  EXPECT_NE(r.output.find("  UNBALANCED JOINT FORCES ARE ADDED TO THE NEXT CYCLE"), std::string::npos);
}

// The reaction FX of `node` in every step's reaction report, in step order.
std::vector<double> step_reactions_fx(const std::string& out, int node) {
  std::vector<double> v;
  bool in_table = false;
  for (const std::string& l : lines_of(out)) {
    if (l.find("  GCS RESTRAINT REACTIONS,   LOADING #") == 0) in_table = true;
    if (l.find(" SUMMATION") == 0) in_table = false;
    if (!in_table) continue;
    const std::vector<double> n = numbers_of(l);
    if (n.size() == 7 && n[0] == node) v.push_back(n[1]);
  }
  return v;
}

TEST(StaticNonlinearDeck, ReactionsAtAYieldingStepAreTheSpringForce) {
  const auto r = run_case("sol4_ep_spring_yield_reactions.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // KE 100, PY 10, DY 0.1; support 2 is driven 0 -> 0.2 -> 0.4 -> 0.2 -> 0.0.
  // The spring yields inside the first step (K du = 20 predicted, 10
  // carried), stays on the plateau, unloads by 20 to -10 (the tangent 0 of
  // the plateau predicted no change) and yields in compression. The
  // supports carry the spring force, with and without the correction.
  const std::array<double, 4> force{10, 10, -10, -10};
  const std::vector<double> r1 = step_reactions_fx(r.output, 1);
  const std::vector<double> r2 = step_reactions_fx(r.output, 2);
  const auto lines = commit_lines(r.output);
  ASSERT_EQ(r1.size(), 2 * force.size()) << r.output;
  ASSERT_EQ(r2.size(), 2 * force.size()) << r.output;
  ASSERT_EQ(lines.size(), 2 * force.size()) << r.output;
  for (std::size_t k = 0; k < r2.size(); ++k) {
    const double f = force[k % force.size()];
    EXPECT_NEAR(lines[k][0], f, 1e-4) << "spring force at step " << k;
    EXPECT_NEAR(r2[k], f, 1e-4) << "reaction of the driven support at step " << k;
    EXPECT_NEAR(r1[k], -f, 1e-4) << "reaction of the fixed support at step " << k;
  }
  // The unbalance of the yield step stays on its own line in the next step's
  // header: 10 at each end of the spring, over the 12 equations,
  // sqrt(2 x 10^2 / 12).
  EXPECT_EQ(count_of(r.output, "NORM OF UNBALANCED FORCE:  4.0825E+00"), 2) << r.output;
}

TEST(StaticNonlinearDeck, LinearSpringKeepsSpAtOneAndTheTotalsCarryOver) {
  const auto r = run_case("sol4_linear_spring.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // SPLIMIT 0.99: an SP that fell with the growing totals would switch the
  // correction off with a note from step 2 on.
  EXPECT_EQ(r.output.find("@@@@"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(" INTERVAL FOR PRINTING DATA.............    1"), std::string::npos)
      << "IPRINT 0 is used as 1";
  // Four equal steps to 8, then DMAX 0.025 cuts the step of 4 (0.04) by 1.6
  // to 2.5 and leaves 1.5; the second solution starts its factor at 0 but
  // adds to the displacements the first left.
  const std::array<double, 7> factor{2, 4, 6, 8, 10.5, 12, 14};
  const auto lines = commit_lines(r.output);
  ASSERT_EQ(lines.size(), factor.size()) << r.output;
  for (std::size_t k = 0; k < factor.size(); ++k) {
    EXPECT_NEAR(lines[k][0], factor[k], 1e-4 * factor[k]) << "force at step " << k + 1;
    EXPECT_NEAR(lines[k][1], factor[k] / 100.0, 1e-4 * factor[k] / 100.0) << "deformation at step " << k + 1;
  }
  EXPECT_NE(r.output.find("INC. FACTOR....:  2.5000E+00  PREV. FACTOR.:  8.0000E+00"), std::string::npos);
  EXPECT_NE(r.output.find("  MORE       STEP:    1 FACTOR: 2.0000E+00"), std::string::npos)
      << "the step count restarts with the solution";
}

TEST(StaticNonlinearDeck, SofteningPastTheLimitPointStopsTheSolutionOnly) {
  const auto r = run_case("sol4_softening_stop.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // Steps of 5: elastic to 5 and to 10 (yield), then the tangent -10 sends
  // the free end back by 0.5: WINC = -2.5 against 0.25 at step 1, SP = -0.1.
  EXPECT_NE(r.output.find(" @@@@ STABILITY PARAMETER IS NEGATIVE OF   -0.100000E+00 AT ISTEP =               3\n"
                          "    PROGRAM WILL STOP. CHANGE SIGN OF LOAD INCREMENT AT ISTEP =               3"
                          " AND RERUN THE PROGRAM"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(count_of(r.output, "STABILITY PARAMETER IS NEGATIVE"), 1);
  // The step that passed the limit point is not committed or reported; the
  // end reports follow.
  const std::string marker = "SOLUTION #4, STATIC NONLINEAR SOLUTION";
  ASSERT_EQ(count_of(r.output, marker), 2);
  const std::string first = r.output.substr(0, r.output.rfind(marker));
  EXPECT_EQ(first.find("PUSH       STEP:    4"), std::string::npos);
  EXPECT_NE(first.find(",  LOADING #    0     MAXIMUM DISPLACEMENTS"), std::string::npos);
  EXPECT_NE(first.find(",  LOADING #    0     PEAK DUCTILITIES"), std::string::npos);
  // The run goes on: the next solution pushes the reset spring to 5.
  const auto lines = commit_lines(r.output);
  ASSERT_EQ(lines.size(), 3u) << r.output;
  EXPECT_NEAR(lines[0][0], 5.0, 1e-4);
  EXPECT_NEAR(lines[1][0], 10.0, 1e-4);
  EXPECT_NEAR(lines[2][0], 5.0, 1e-4);
  EXPECT_NEAR(lines[2][1], 0.05, 1e-6);
  EXPECT_NE(r.console.find("NORMAL STOP"), std::string::npos);
}

TEST(StaticNonlinearDeck, BraceBucklesOnceAndDefinesLimitStatePointThree) {
  const auto r = run_case("sol4_brace_elongation.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // KE = EA/L = 300, SLR = 100 < CC = 140.5: PCR = -(1 - 100^2/(2 CC^2)) 30
  // = -22.40, reached at -0.075: the first step (-0.1) buckles the brace.
  EXPECT_EQ(count_of(r.output, " BUCKLED AT STEP = "), 1);
  EXPECT_NE(r.output.find("**** BRACE ELEMENT          1 BUCKLED AT STEP =     1."), std::string::npos);
  // DY = YS L / E = 0.1, allowable 9.5 DY = 0.95: from -0.3 in steps of 0.1
  // the elongation first passes it at 1.0, step 3 + 13.
  EXPECT_EQ(count_of(r.output, "LIMIT STATE POINT"), 1);
  EXPECT_NE(r.output.find("\n %9 % LIMIT STATE POINT 3 DEFINED DUE TO ELEMENT NO     1 AT STEP=   16\n"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("ELONGATION AT STEP =    16"), std::string::npos);
}

TEST(StaticNonlinearDeck, HistoriesPrintingIntervalAndClosingLabels) {
  const auto r = run_case("sol4_histories.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // 'NOEND' does not close the list ("END" right after "NO"), 'BENDING' does.
  EXPECT_EQ(r.output.find("INVALID OPTION"), std::string::npos) << r.output;
  // IPRINT 3: the step headers of steps 3 and 6 only.
  EXPECT_NE(r.output.find("\n  NOEND      STEP:    3 FACTOR: 4.0000E+00\n"), std::string::npos);
  EXPECT_NE(r.output.find("\n  MORE       STEP:    6 FACTOR: 8.0000E+00\n"), std::string::npos);
  EXPECT_EQ(count_of(r.output, "    TARGET FACTOR...:"), 2);
  // NWRITE 2: records of steps 0, 2, 4, 6, 8: load, displacement and two
  // zeros (no velocities or accelerations in a static solution).
  const std::vector<std::string> lines = lines_of(kvtest::read_file(r.dir / "temp20.out"));
  ASSERT_EQ(lines.size(), 10u);
  const std::vector<double> head = numbers_of(lines[4]);
  ASSERT_EQ(head.size(), 5u);
  EXPECT_EQ(head[2], 2.0);
  EXPECT_EQ(head[3], 0.0);
  EXPECT_EQ(head[4], 0.0);
  for (int k = 0; k < 5; ++k) {
    const std::vector<double> rec = numbers_of(lines[static_cast<std::size_t>(5 + k)]);
    ASSERT_EQ(rec.size(), 4u);
    EXPECT_NEAR(rec[0], 2.0 * k, 1e-4);
    EXPECT_NEAR(rec[1], 0.02 * k, 1e-6);
    EXPECT_EQ(rec[2], 0.0);
    EXPECT_EQ(rec[3], 0.0);
  }
}

// A spring of stiffness 1.0E-40 passes the exact-zero pivot test, but a load
// of 1.0 over it is no number: the step ends like a zero pivot, the end
// reports follow with the totals of no step, and the run ends.
TEST(StaticNonlinearDeck, ADenormalPivotEndsTheSolutionLikeAZeroPivot) {
  std::string deck = kvtest::read_file(kvtest::case_path("sol4_linear_spring.dat"));
  const std::string from = "ELSPLS 100.0 1.0E6";
  ASSERT_NE(deck.find(from), std::string::npos);
  deck.replace(deck.find(from), from.size(), "ELSPLS 1.0E-40 1.0E-40");
  const auto r = kvtest::run_deck(deck, "sol4_denormal");
  EXPECT_EQ(r.output.find("ROR IN SUBROUTINE MSOLL"), std::string::npos) << "no pivot is exactly zero";
  EXPECT_NE(r.output.find(" *  ER" "ROR IN SUBROUTINE NLSTEP                    *\n"
                          " *  DISPLACEMENT IS NOT FINITE - ROW:     1       *\n"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find(",  LOADING #    0     MAXIMUM REACTIONS"), std::string::npos);
  EXPECT_EQ(r.output.find("TARGET FACTOR...:"), std::string::npos) << "no step was reported";
  EXPECT_EQ(count_of(r.output, "SOLUTION #4, STATIC NONLINEAR SOLUTION"), 1) << "the run ends after the solution";
  EXPECT_EQ(r.output.find("NaN"), std::string::npos);
  EXPECT_EQ(r.output.find("Inf"), std::string::npos);
}

TEST(StaticNonlinearDeck, ZeroPivotEndsWithTheReportsAndTheRun) {
  const auto r = run_case("sol4_zero_pivot.dat");
  EXPECT_NE(r.output.find("ROR IN SUBROUTINE MSOLL"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(",  LOADING #    0     MAXIMUM REACTIONS"), std::string::npos);
  EXPECT_NE(r.output.find(",  LOADING #    0     PEAK ELEMENT FORCES"), std::string::npos);
  EXPECT_EQ(count_of(r.output, "SOLUTION #4, STATIC NONLINEAR SOLUTION"), 1) << "the run ends after the solution";
  EXPECT_EQ(r.output.find("TARGET FACTOR...:"), std::string::npos) << "no step was reported";
}

}  // namespace
