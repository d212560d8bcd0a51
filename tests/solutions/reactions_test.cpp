// REA_CTN: support displacements to loads, reactions, and the reaction report
// with its resultant about the global origin.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "base/globals.h"
#include "solution_harness.h"
#include "solutions/reactions.h"

namespace {

using solutions::EquationRanges;
using solutions::rea_ctn;
using solutions::SkylineView;
using soltest::after;
using soltest::node_line;
using soltest::numbers_of;

// K = [[10,-2,-3,0],[-2,8,-1,-4],[-3,-1,6,-5],[0,-4,-5,9]] in skyline storage;
// K(1,4) lies above column 4's profile. Equations 1-2 solved, 3-4 restrained.
const std::vector<kv::SkyReal> kK = {10, 8, -2, 6, -1, -3, 9, -5, -4};
const std::vector<std::int32_t> kMdiag = {1, 2, 4, 7, 10};
const EquationRanges kEq{1, 2, 3, 4};
SkylineView k_view() { return {kK.data(), kMdiag.data()}; }

TEST(ReaCtn, SupportDisplacementsMoveToTheSolvedLoads) {
  // One table as both R and D, two load cases: loads in rows 1-2, prescribed
  // displacements in rows 3-4.
  std::vector<float> t = {1.0f, 2.0f, 0.1f, -0.2f,  //
                          0.0f, 0.0f, 1.0f, 0.0f};
  std::array<float, 6> rsum{};
  rea_ctn(solutions::kSupportDisplacementLoads, false, kEq, t.data(), t.data(), 4, 2, k_view(), 1.0f, {}, "", false,
          rsum);
  // R(i) -= K(i,3) d3 + K(i,4) d4; K(1,4) is outside the profile.
  EXPECT_FLOAT_EQ(t[0], 1.0f - (-3.0f * 0.1f));
  EXPECT_FLOAT_EQ(t[1], 2.0f - (-1.0f * 0.1f + -4.0f * -0.2f));
  EXPECT_FLOAT_EQ(t[2], 0.1f);
  EXPECT_FLOAT_EQ(t[3], -0.2f);
  EXPECT_FLOAT_EQ(t[4], 3.0f);  // d3 = 1 lowers load 1 by K(1,3) = -3
  EXPECT_FLOAT_EQ(t[5], 1.0f);
}

struct ReactionCase {
  float factor;
  float r3, r4;  // expected reactions
};

class FormReactions : public ::testing::TestWithParam<ReactionCase> {};

TEST_P(FormReactions, RestrainedRowsReceiveTheCouplingOfAllEquations) {
  const ReactionCase c = GetParam();
  // Restrained rows of R already hold 7 and 0 (what the caller puts there,
  // for example negated fixed-end forces).
  std::vector<float> r = {11.0f, 12.0f, 7.0f, 0.0f};
  const std::vector<float> d = {0.5f, -0.25f, 0.1f, -0.2f};
  std::array<float, 6> rsum{};
  rea_ctn(solutions::kFormReactions, false, kEq, r.data(), d.data(), 4, 1, k_view(), c.factor, {}, "", false, rsum);
  EXPECT_FLOAT_EQ(r[0], 11.0f);
  EXPECT_FLOAT_EQ(r[1], 12.0f);
  EXPECT_NEAR(r[2], c.r3, 1e-5);
  EXPECT_NEAR(r[3], c.r4, 1e-5);
}

// R3 = 7 + f(K13 u1 + K23 u2 + K33 d3 + K34 d4) = 7 + f(-1.5 + 0.25 + 0.6 + 1.0)
// R4 = 0 + f(K24 u2 + K34 d3 + K44 d4) = f(1.0 - 0.5 - 1.8)
INSTANTIATE_TEST_SUITE_P(Factors, FormReactions,
                         ::testing::Values(ReactionCase{1.0f, 7.35f, -1.3f}, ReactionCase{2.0f, 7.7f, -2.6f}),
                         [](const auto& info) { return "Factor" + std::to_string(static_cast<int>(info.param.factor)); });

TEST(ReaCtn, InvalidOptionWritesItsLineAndChangesNothing) {
  soltest::build_nodes(1, 1, 0, 0, "1 0 0 0 1 0\n1 0 0 0 1 0\n");
  std::vector<float> r = {1.0f, 2.0f, 3.0f, 4.0f};
  std::array<float, 6> rsum{9, 9, 9, 9, 9, 9};
  rea_ctn(7, true, kEq, r.data(), r.data(), 4, 1, k_view(), 1.0f, {}, "", true, rsum);
  const std::string out = soltest::finish_output();
  EXPECT_NE(out.find("INVALID OPTION IN SUBROUTINE  REA_CTN, IOPT= 7"), std::string::npos) << out;
  EXPECT_EQ(r, (std::vector<float>{1.0f, 2.0f, 3.0f, 4.0f}));
  EXPECT_EQ(rsum[0], 9.0f);
}

// Node 2 free at the origin (equations 1-6); node 1 at (10, 20, 30), fully
// restrained (equations 7-12).
soltest::NodeModel one_support(int ncos, const std::string& cosines, int icos) {
  return soltest::build_nodes(2, ncos, 1, 0,
                              "1 10.0 20.0 30.0 " + std::to_string(icos) + " 0\n2 0.0 0.0 0.0 1 0\n" + cosines +
                                  "1 1 1 1 1 1 1 0 0\n");
}

TEST(ReaCtn, ReportSumsTheResultantAboutTheGlobalOrigin) {
  const soltest::NodeModel m = one_support(1, "1 0 0 0 1 0\n", 1);
  ASSERT_EQ(m.neq, 12);
  ASSERT_EQ(m.l2(), 6);
  std::vector<float> r(12, 0.0f);
  const std::array<float, 6> reaction = {1.0f, -2.0f, 0.5f, 4.0f, 5.0f, 6.0f};
  for (int j = 0; j < 6; ++j) r[static_cast<std::size_t>(m.t.id(1, j + 1) - 1)] = reaction[static_cast<std::size_t>(j)];
  std::array<float, 6> rsum{};
  const EquationRanges eq{1, 6, 7, 12};

  // Without the print flag nothing is written, the resultant is returned.
  rea_ctn(solutions::kReactionReport, false, eq, r.data(), r.data(), 12, 1, k_view(), 1.0f, m.report(), "", false,
          rsum);
  // M = M0 + x × F with x = (10, 20, 30), F = (1, -2, 0.5).
  const std::array<float, 6> expected = {1.0f, -2.0f, 0.5f, 4.0f + 0.5f * 20.0f + 2.0f * 30.0f,
                                         5.0f + 1.0f * 30.0f - 0.5f * 10.0f, 6.0f - 2.0f * 10.0f - 1.0f * 20.0f};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(rsum[i], expected[i]) << i;
  const std::string silent = soltest::finish_output();
  EXPECT_EQ(silent.find("RESTRAINT REACTIONS"), std::string::npos);

  one_support(1, "1 0 0 0 1 0\n", 1);
  rsum.fill(0.0f);
  rea_ctn(solutions::kReactionReport, true, eq, r.data(), r.data(), 12, 1, k_view(), 1.0f, m.report(), "CASE A",
          false, rsum);
  const std::string out = after(soltest::finish_output(), "%2E%");
  EXPECT_NE(out.find("  GCS RESTRAINT REACTIONS,   LOADING #    1     CASE A"), std::string::npos) << out;
  EXPECT_EQ(out.find("JCS"), std::string::npos) << "identity frames print the global table only";
  EXPECT_NE(out.find("         1  1.0000000E+00 -2.0000000E+00  5.0000000E-01  4.0000000E+00  5.0000000E+00"
                     "  6.0000000E+00"),
            std::string::npos)
      << out;
  EXPECT_EQ(node_line(out, "GCS RESTRAINT", 2), "") << "a free node has no reaction line";
  EXPECT_NE(out.find(" SUMMATION  0.1000000E+01 -0.2000000E+01  0.5000000E+00  0.7400000E+02  0.3000000E+02"
                     " -0.3400000E+02"),
            std::string::npos)
      << out;
}

// Cosine set 2 turns the joint axes 90 degrees about Z: joint x = global Y,
// joint y = -global X. Node 1 is restrained in its three translations only.
soltest::NodeModel turned_support() {
  return soltest::build_nodes(2, 2, 1, 0,
                              "1 10.0 20.0 30.0 2 0\n2 0.0 0.0 0.0 1 0\n"
                              "1 0 0 0 1 0\n"
                              "0 1 0 -1 0 0\n"
                              "1 1 1 1 0 0 0 0 0\n");
}

TEST(ReaCtn, JointFramesGiveBothTablesAndTheEnvelopeOnlyTheJointTable) {
  soltest::NodeModel m = turned_support();
  ASSERT_EQ(m.l2(), 9);
  std::vector<float> r(static_cast<std::size_t>(m.neq), 0.0f);
  for (int j = 1; j <= 3; ++j) r[static_cast<std::size_t>(m.t.id(1, j) - 1)] = static_cast<float>(j);
  const EquationRanges eq{1, m.l2(), m.l2() + 1, m.neq};
  std::array<float, 6> rsum{};
  rea_ctn(solutions::kReactionReport, true, eq, r.data(), r.data(), m.neq, 1, k_view(), 1.0f, m.report(), "", false,
          rsum);
  std::string out = after(soltest::finish_output(), "%2E%");
  // Global: 1 along Y, 2 along -X, 3 along Z.
  EXPECT_EQ(numbers_of(node_line(out, "GCS RESTRAINT", 1)), (std::vector<double>{1, -2, 1, 3, 0, 0, 0}));
  const std::string jcs = node_line(out, "JCS RESTRAINT", 1);
  EXPECT_EQ(jcs, "         1  1.0000000E+00  2.0000000E+00  3.0000000E+00" + std::string(45, ' ') + "         2")
      << out;
  EXPECT_FLOAT_EQ(rsum[0], -2.0f);
  EXPECT_FLOAT_EQ(rsum[1], 1.0f);

  // The envelope: an empty global table, the given resultant, the joint table.
  m = turned_support();
  std::array<float, 6> given = {7, 8, 9, 10, 11, 12};
  rea_ctn(solutions::kReactionEnvelope, true, eq, r.data(), r.data(), m.neq, 1, k_view(), 1.0f, m.report(), "", false,
          given);
  out = after(soltest::finish_output(), "%2E%");
  EXPECT_EQ(given[0], 7.0f) << "the envelope never changes the resultant";
  EXPECT_NE(out.find("MAXIMUM GCS RESTRAINT REACTIONS     NOTE: MAXIMUM VALUES MAY NOT OCCUR SIMULTANEOUSLY"),
            std::string::npos);
  EXPECT_EQ(node_line(out.substr(0, out.find("MAX OF ALL")), "MAXIMUM GCS", 1), "");
  EXPECT_NE(out.find(" GCS SUMM.  0.7000000E+01  0.8000000E+01  0.9000000E+01  0.1000000E+02"), std::string::npos)
      << out;
  EXPECT_NE(node_line(out, "MAXIMUM JCS RESTRAINT REACTIONS", 1), "");
}

// Turned joint axes from the table give the report the walk gives (whose
// values the test above checks by hand): both tables, the same lines.
TEST(ReaCtn, JointFramesFromTheTableReportAsTheWalk) {
  std::array<std::string, 2> outs;
  std::array<std::array<float, 6>, 2> sums{};
  for (int pass = 0; pass < 2; ++pass) {
    const soltest::NodeModel m = turned_support();
    std::vector<float> r(static_cast<std::size_t>(m.neq), 0.0f);
    for (int j = 1; j <= 3; ++j) r[static_cast<std::size_t>(m.t.id(1, j) - 1)] = static_cast<float>(j) + 0.25f;
    const EquationRanges eq{1, m.l2(), m.l2() + 1, m.neq};
    const solutions::ReactionNodes table = solutions::reaction_nodes(m.report(), eq);
    rea_ctn(solutions::kReactionReport, true, eq, r.data(), r.data(), m.neq, 1, k_view(), 1.0f, m.report(), "", false,
            sums[static_cast<std::size_t>(pass)], pass == 1 ? &table : nullptr);
    outs[static_cast<std::size_t>(pass)] = after(soltest::finish_output(), "%2E%");
  }
  EXPECT_NE(outs[1].find("JCS RESTRAINT REACTIONS"), std::string::npos) << outs[1];
  EXPECT_EQ(outs[1], outs[0]);
  EXPECT_EQ(sums[1], sums[0]);
  EXPECT_FLOAT_EQ(sums[1][0], -2.25f);  // joint y = -global X
}

TEST(ReaCtn, ConstrainedDegreesOfFreedomAreReportedAtTheMasterOnly) {
  // Node 3 is a rigid slave of the restrained node 1: it shares node 1's
  // restrained equations but reports no reaction of its own.
  soltest::NodeModel m = soltest::build_nodes(3, 1, 1, 1,
                                              "1 0.0 0.0 0.0 1 0\n2 10.0 0.0 0.0 1 0\n3 0.0 5.0 0.0 1 0\n"
                                              "1 0 0 0 1 0\n"
                                              "1 1 1 1 1 1 1 0 0\n"
                                              "0 1 3 0 0\n");
  ASSERT_EQ(m.t.id(3, 2), m.t.id(1, 2));
  std::vector<float> r(static_cast<std::size_t>(m.neq), 1.0f);
  const EquationRanges eq{1, m.l2(), m.l2() + 1, m.neq};
  std::array<float, 6> rsum{};
  rea_ctn(solutions::kReactionReport, true, eq, r.data(), r.data(), m.neq, 1, k_view(), 1.0f, m.report(), "", false,
          rsum);
  const std::string out = after(soltest::finish_output(), "%2E%");
  EXPECT_NE(node_line(out, "GCS RESTRAINT", 1), "");
  EXPECT_EQ(node_line(out, "GCS RESTRAINT", 3), "") << out;
  EXPECT_FLOAT_EQ(rsum[1], 1.0f) << "node 1's reaction is counted once";
}

// Node 1 free at the origin; node 2 at (4, 0, 0) restrained in FY and MZ
// only, node 3 at (0, 0, 5) in FX only.
soltest::NodeModel scattered_supports() {
  return soltest::build_nodes(3, 1, 2, 0,
                              "1 0.0 0.0 0.0 1 0\n2 4.0 0.0 0.0 1 0\n3 0.0 0.0 5.0 1 0\n"
                              "1 0 0 0 1 0\n"
                              "2 0 1 0 0 0 1 0 0\n3 1 0 0 0 0 0 0 0\n");
}

enum class NodeSource { walk, table, table_of_other_ranges };
struct ScatteredCase {
  const char* name;
  NodeSource source;
};

class ScatteredSupports : public ::testing::TestWithParam<ScatteredCase> {};

// The same reactions and resultant whether the reporting nodes are found by
// the walk of every node, come from a table of the ranges, or come from a
// table of other ranges (which is passed over).
TEST_P(ScatteredSupports, ReactionsAtSomeDirectionsOfSomeNodesSumByHand) {
  const soltest::NodeModel m = scattered_supports();
  const EquationRanges eq{1, m.l2(), m.l2() + 1, m.neq};
  ASSERT_EQ(m.neq - m.l2(), 3);
  std::vector<float> r(static_cast<std::size_t>(m.neq), 100.0f);  // free rows are not reactions
  r[static_cast<std::size_t>(m.t.id(2, 2) - 1)] = 3.0f;
  r[static_cast<std::size_t>(m.t.id(2, 6) - 1)] = 2.0f;
  r[static_cast<std::size_t>(m.t.id(3, 1) - 1)] = 5.0f;

  solutions::ReactionNodes table;
  const solutions::ReactionNodes* given = nullptr;
  if (GetParam().source == NodeSource::table) {
    table = solutions::reaction_nodes(m.report(), eq);
    ASSERT_EQ(table.nodes.size(), 2u);
    EXPECT_EQ(table.nodes[0].n, 2);
    EXPECT_EQ(table.nodes[0].e, (std::array<int, 6>{0, m.t.id(2, 2), 0, 0, 0, m.t.id(2, 6)}));
    EXPECT_EQ(table.nodes[1].n, 3);
    EXPECT_EQ(table.nodes[1].e, (std::array<int, 6>{m.t.id(3, 1), 0, 0, 0, 0, 0}));
    given = &table;
  } else if (GetParam().source == NodeSource::table_of_other_ranges) {
    // Every equation counted as restrained: node 1 would report too.
    table = solutions::reaction_nodes(m.report(), EquationRanges{1, 0, 1, m.neq});
    ASSERT_EQ(table.nodes.size(), 3u);
    given = &table;
  }
  std::array<float, 6> rsum{};
  rea_ctn(solutions::kReactionReport, true, eq, r.data(), r.data(), m.neq, 1, k_view(), 1.0f, m.report(), "", false,
          rsum, given);
  const std::string out = after(soltest::finish_output(), "%2E%");
  // F = (5, 3, 0); M = (0, 0, 2) + (4, 0, 0) x (0, 3, 0) + (0, 0, 5) x (5, 0, 0).
  EXPECT_EQ(rsum, (std::array<float, 6>{5.0f, 3.0f, 0.0f, 0.0f, 25.0f, 14.0f})) << out;
  EXPECT_EQ(node_line(out, "GCS RESTRAINT", 1), "") << "a free node has no reaction line";
  EXPECT_EQ(numbers_of(node_line(out, "GCS RESTRAINT", 2)), (std::vector<double>{2, 0, 3, 0, 0, 0, 2})) << out;
  EXPECT_EQ(numbers_of(node_line(out, "GCS RESTRAINT", 3)), (std::vector<double>{3, 5, 0, 0, 0, 0, 0})) << out;
}

INSTANTIATE_TEST_SUITE_P(NodeSources, ScatteredSupports,
                         ::testing::Values(ScatteredCase{"Walk", NodeSource::walk},
                                           ScatteredCase{"Table", NodeSource::table},
                                           ScatteredCase{"TableOfOtherRanges", NodeSource::table_of_other_ranges}),
                         [](const auto& info) { return std::string(info.param.name); });

// The restrained block's coupling with R and D apart and with R and D one
// table: K = [[2,1],[1,3]] on two restrained equations after one solved
// equation that couples with neither.
TEST(ReaCtn, RestrainedBlockCouplingIsTheSameWithTheTablesApartOrShared) {
  // K11 = 5; column 2: K22 = 2; column 3: K33 = 3, K23 = 1 (K13 above the profile).
  const std::vector<kv::SkyReal> k = {5, 2, 3, 1};
  const std::vector<std::int32_t> mdiag = {1, 2, 3, 5};
  const EquationRanges eq{1, 1, 2, 3};
  std::array<float, 6> rsum{};
  std::vector<float> r = {0.0f, 1.0f, -1.0f};
  const std::vector<float> d = {0.0f, 0.5f, 2.0f};
  rea_ctn(solutions::kFormReactions, false, eq, r.data(), d.data(), 3, 1, {k.data(), mdiag.data()}, 2.0f, {}, "",
          false, rsum);
  // R2 = 1 + 2 (2 * 0.5 + 1 * 2) = 7; R3 = -1 + 2 (1 * 0.5 + 3 * 2) = 12.
  EXPECT_EQ(r, (std::vector<float>{0.0f, 7.0f, 12.0f}));
  // One table: each term reads the words as the terms before it left them.
  // R2 = 0.5 + 2 (2 * 0.5) = 2.5; R3 = 2 + 2 (3 * 2) = 14; R2 += 2 (1 * 14)
  // = 30.5; R3 += 2 (1 * 30.5) = 75.
  std::vector<float> t = {0.0f, 0.5f, 2.0f};
  rea_ctn(solutions::kFormReactions, false, eq, t.data(), t.data(), 3, 1, {k.data(), mdiag.data()}, 2.0f, {}, "",
          false, rsum);
  EXPECT_EQ(t, (std::vector<float>{0.0f, 30.5f, 75.0f}));
}

}  // namespace
