// JLOADS: joint-load records with generation, support displacements,
// constrained nodes, null items and the records that must be skipped.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/globals.h"
#include "solution_harness.h"
#include "solutions/joint_loads.h"

namespace {

using soltest::after;

// Seven free nodes 10..16 along X at spacing 1.0, one identity set; the extra
// records (restraints, constraints) and then the joint loads follow.
const std::string kNodes = "10 0.0 0.0 0.0 1 6\n1 1.0 0.0 0.0\n1 0 0 0 1 0\n";

struct LoadRun {
  soltest::NodeModel m;
  std::vector<float> r;
  bool support = false;
  std::string out;  // what JLOADS wrote
  float at(int node, int dof, int lc = 1) const {
    const int e = m.t.id(node - 9, dof);  // IDs 10.. are positions 1..
    return r[static_cast<std::size_t>((lc - 1) * m.neq + e - 1)];
  }
  float row(int e, int lc = 1) const { return r[static_cast<std::size_t>((lc - 1) * m.neq + e - 1)]; }
};

LoadRun run(int nres, int ncons, const std::string& records, const std::string& loads, int nlc = 2,
        bool trace = false) {
  LoadRun x;
  x.m = soltest::build_nodes(7, 1, nres, ncons, kNodes + records + loads);
  x.r.assign(static_cast<std::size_t>(x.m.neq * nlc), 0.0f);
  x.support = solutions::jloads(trace, {x.m.t, x.m.nnode, x.m.neq, nlc, x.m.l2()}, x.r.data(), false);
  x.out = after(soltest::finish_output(), "%2E%");
  return x;
}

int count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(Jloads, GenerationRepeatsTheRecordWithTheJointIncrement) {
  const LoadRun x = run(0, 0, "", "1 10 3 2 FX 100.0\n0 0 0 0 END 0\n");
  for (int node : {10, 12, 14, 16}) EXPECT_FLOAT_EQ(x.at(node, 1), 100.0f) << node;
  for (int node : {11, 13, 15}) EXPECT_FLOAT_EQ(x.at(node, 1), 0.0f) << node;
  EXPECT_EQ(count(x.out, " LOAD CASE:  1  JOINT:"), 4);
  EXPECT_NE(x.out.find("    APPLIED JOINT LOADS\n   =====================\n\n"), std::string::npos);
  EXPECT_NE(x.out.find(" LOAD CASE:  1  JOINT:    16  DIRECTION: FX   DOF(S)   37               MAGNITUDE:  1.000000E+02"),
            std::string::npos)
      << x.out;
  EXPECT_FALSE(x.support);
}

TEST(Jloads, RecordsAddUpAndNullItemsRepeatThePreviousRecord) {
  const LoadRun x = run(0, 0, "", "1 11 0 0 FY 5.0\n,,,,,2.5\n2 12 0 0 MZ -3.0\n0 0 0 0 END 0\n");
  EXPECT_FLOAT_EQ(x.at(11, 2), 7.5f);
  EXPECT_FLOAT_EQ(x.at(12, 6, 2), -3.0f);
  EXPECT_FLOAT_EQ(x.at(12, 6, 1), 0.0f);
}

TEST(Jloads, ARestrainedEquationReceivesASupportDisplacement) {
  const LoadRun x = run(1, 0, "10 0 1 0 0 0 0 0 0\n", "1 10 0 0 FY 0.25\n0 0 0 0 END 0\n");
  EXPECT_TRUE(x.support);
  const int e = x.m.t.id(1, 2);
  EXPECT_GT(e, x.m.l2());
  EXPECT_FLOAT_EQ(x.row(e), 0.25f);
  EXPECT_NE(x.out.find("MAGNITUDE:  2.500000E-01  ...JOINT DISPLACEMENT... "), std::string::npos) << x.out;
}

TEST(Jloads, AForceOnAConstrainedNodeAddsItsMomentAboutTheMaster) {
  // Node 12 (x = 2) is a rigid slave of node 11 (x = 1): FY = 10 on it gives
  // the master FY = 10 and MZ = 10 * 1.0.
  const LoadRun x = run(0, 1, "0 11 12 0 0\n", "1 12 0 0 FY 10.0\n1 12 0 0 FX 4.0\n0 0 0 0 END 0\n");
  EXPECT_FLOAT_EQ(x.at(11, 2), 10.0f);
  EXPECT_FLOAT_EQ(x.at(11, 6), 10.0f);
  EXPECT_FLOAT_EQ(x.at(11, 1), 4.0f);
  EXPECT_FLOAT_EQ(x.at(11, 4), 0.0f);
  EXPECT_FLOAT_EQ(x.at(11, 5), 0.0f);
  char eqs[32];
  std::snprintf(eqs, sizeof eqs, "DOF(S)%5d,%5d,%5d  ", static_cast<int>(x.m.t.id(2, 2)),
                static_cast<int>(x.m.t.id(2, 4)), static_cast<int>(x.m.t.id(2, 6)));
  EXPECT_NE(x.out.find(eqs), std::string::npos) << x.out;
}

TEST(Jloads, ARecordRunsOnToTheNextLineButNeverIntoTheClosingRecord) {
  // The magnitude of the first record stands on the next line. The second
  // record has none before the closing line, which stays the closing record:
  // its magnitude is the previous record's, as a null item would give.
  const LoadRun x = run(0, 0, "", "1 11 0 0 FY\n7.5\n1 12 0 0 FX\n0 0 0 0 END 0\n");
  EXPECT_FLOAT_EQ(x.at(11, 2), 7.5f);
  EXPECT_FLOAT_EQ(x.at(12, 1), 7.5f);
  EXPECT_EQ(count(x.out, " LOAD CASE:  1  JOINT:"), 2) << x.out;
}

TEST(Jloads, RecordFieldsOtherThanTheLoadCaseCarryOverToTheNextList) {
  // The first list ends with a record of null items: joint 11, magnitude 5.0
  // and the case 2 stay. The second list starts again from load case 1, and
  // its null joint and magnitude are those of the first list.
  soltest::NodeModel m = soltest::build_nodes(
      7, 1, 0, 0, kNodes + "2 11 0 0 FY 5.0\n,,,,END\n,,,,FX,\n0 0 0 0 END 0\n");
  std::vector<float> r(static_cast<std::size_t>(2 * m.neq), 0.0f);
  const solutions::JointLoadModel jm{m.t, m.nnode, m.neq, 2, m.l2()};
  solutions::jloads(false, jm, r.data(), false);
  solutions::jloads(false, jm, r.data(), false);
  soltest::finish_output();
  auto at = [&](int node, int dof, int lc) {
    return r[static_cast<std::size_t>((lc - 1) * m.neq + m.t.id(node - 9, dof) - 1)];
  };
  EXPECT_FLOAT_EQ(at(11, 2, 2), 5.0f);
  EXPECT_FLOAT_EQ(at(11, 1, 1), 5.0f);
  EXPECT_FLOAT_EQ(at(11, 1, 2), 0.0f);
}

TEST(Jloads, ClosingRecordAlonePrintsNothing) {
  const LoadRun x = run(0, 0, "", "0 0 0 0 END 0\n");
  EXPECT_EQ(x.out.find("APPLIED"), std::string::npos);
  EXPECT_FALSE(x.support);
  for (float v : x.r) EXPECT_EQ(v, 0.0f);
}

TEST(Jloads, FirstDirectionKeyInTheOrderFxToMzWins) {
  const LoadRun x = run(0, 0, "", "1 13 0 0 FYFX 2.0\n0 0 0 0 END 0\n");
  EXPECT_FLOAT_EQ(x.at(13, 1), 2.0f);
  EXPECT_FLOAT_EQ(x.at(13, 2), 0.0f);
}

struct SkipCase {
  const char* name;
  int ncons;
  std::string constraint;
  std::string record;
  std::string message;
  int lines;  // how many times the message appears
};

class JloadsSkip : public ::testing::TestWithParam<SkipCase> {};

TEST_P(JloadsSkip, RecordLeavesTheTableUnchangedWithItsMessage) {
  const SkipCase c = GetParam();
  const LoadRun x = run(0, c.ncons, c.constraint, c.record + "0 0 0 0 END 0\n");
  for (float v : x.r) EXPECT_EQ(v, 0.0f);
  EXPECT_EQ(count(x.out, c.message), c.lines) << x.out;
  EXPECT_FALSE(x.support);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, JloadsSkip,
    ::testing::Values(
        // Above the last node ID: no generation from it.
        SkipCase{"JointAbove", 0, "", "1 99 2 1 FX 1.0\n", "  INVALID JOINT ...     99 --- LOAD IS SKIPPED", 1},
        SkipCase{"JointBelow", 0, "", "1 9 0 0 FX 1.0\n", "  INVALID JOINT ...      9 --- LOAD IS SKIPPED", 1},
        // Generation walks out of the node range: the first joint outside ends it.
        SkipCase{"GenerationLeavesTheRange", 0, "", "1 16 2 1 FX 0.0\n",
                 "  INVALID JOINT ...     17 --- LOAD IS SKIPPED", 1},
        SkipCase{"LoadCaseZero", 0, "", "0 11 0 0 FX 1.0\n", "  INVALID LOAD CASE ...      0 --- LOAD IS SKIPPED", 1},
        SkipCase{"LoadCaseAboveNlc", 0, "", "3 11 2 1 FX 1.0\n", "  INVALID LOAD CASE ...      3 --- LOAD IS SKIPPED",
                 1},
        // The master 99 does not exist: node 12's constrained FX has no equation.
        SkipCase{"DeletedDof", 1, "0 99 12 0 0\n", "1 12 0 0 FX 1.0\n",
                 "  JOINT:    12  DIRECTION: FX   HAS NO EQUATION --- LOAD IS SKIPPED", 1},
        SkipCase{"InvalidDirection", 0, "", "1 11 1 1 QQ 2.0\n",
                 "  INVALID JOINT LOAD...     11  QQ      2.000000E+00 --- LOAD IS SKIPPED", 1},
        // A magnitude that is no number, or beyond the float range, never
        // reaches the table; the message follows the table's heading.
        SkipCase{"NaNMagnitude", 0, "", "1 11 0 0 FY nan\n",
                 "   =====================\n\n  UNREADABLE JOINT LOAD RECORD: 1 11 0 0 FY nan --- LOAD IS SKIPPED", 1},
        SkipCase{"MagnitudeBeyondTheFloatRange", 0, "", "1 11 0 0 FY 1e39\n",
                 "  UNREADABLE JOINT LOAD RECORD: 1 11 0 0 FY 1e39 --- LOAD IS SKIPPED", 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Jloads, JointInsideTheRangeButAbsentIsSkippedAndGenerationGoesOn) {
  // Nodes 10, 12, ..., 22: joint 11 is absent, joint 13 is not.
  LoadRun x;
  x.m = soltest::build_nodes(7, 1, 0, 0,
                             "10 0.0 0.0 0.0 1 6\n2 1.0 0.0 0.0\n1 0 0 0 1 0\n1 11 1 2 FZ 3.0\n0 0 0 0 END 0\n");
  x.r.assign(static_cast<std::size_t>(x.m.neq), 0.0f);
  solutions::jloads(false, {x.m.t, x.m.nnode, x.m.neq, 1, x.m.l2()}, x.r.data(), false);
  x.out = after(soltest::finish_output(), "%2E%");
  EXPECT_NE(x.out.find(" TARGET:"), std::string::npos) << x.out;
  EXPECT_NE(x.out.find("  INVALID JOINT ...     11 --- LOAD IS SKIPPED"), std::string::npos);
  float total = 0.0f;
  for (float v : x.r) total += v;
  EXPECT_FLOAT_EQ(total, 0.0f) << "joint 13 is absent too";
}

// A generation count far beyond the nodes must not write a line per count:
// the generation ends once it can name no further node.
struct RunawayCase {
  const char* name;
  const char* nodes;   // node records and the cosine set
  int nnode;
  const char* record;  // the one joint-load record
  float total;         // sum of the load table
  const char* message;
};

class JloadsRunaway : public ::testing::TestWithParam<RunawayCase> {};

TEST_P(JloadsRunaway, GenerationEndsWithOneLine) {
  const RunawayCase c = GetParam();
  LoadRun x;
  x.m = soltest::build_nodes(c.nnode, 1, 0, 0, std::string(c.nodes) + c.record + "0 0 0 0 END 0\n");
  x.r.assign(static_cast<std::size_t>(x.m.neq), 0.0f);
  solutions::jloads(false, {x.m.t, x.m.nnode, x.m.neq, 1, x.m.l2()}, x.r.data(), false);
  x.out = after(soltest::finish_output(), "%2E%");
  float total = 0.0f;
  for (float v : x.r) total += v;
  EXPECT_FLOAT_EQ(total, c.total);
  EXPECT_EQ(count(x.out, c.message), 1) << x.out;
  EXPECT_LT(x.out.size(), 2000u) << x.out;
}

INSTANTIATE_TEST_SUITE_P(
    Counts, JloadsRunaway,
    ::testing::Values(
        // Increment 0 names joint 12 again and again: it is loaded once.
        RunawayCase{"IncrementZero", kNodes.c_str(), 7, "1 12 99999999 0 FY 1000.0\n", 1000.0f,
                    "  INCREMENT 0 REPEATS JOINT         12: THE GENERATION ENDS,   99999999 LOADS ARE SKIPPED"},
        // 14, 15, 16 are loaded; 17 lies beyond the last node ID.
        RunawayCase{"BeyondTheLastNode", kNodes.c_str(), 7, "1 14 99999999 1 FX 2.0\n", 6.0f,
                    "  INVALID JOINT ...     17 --- LOAD IS SKIPPED AND THE GENERATION ENDS"},
        // Walking down: 12, 11, 10 are loaded, 9 lies below the first node ID.
        RunawayCase{"BelowTheFirstNode", kNodes.c_str(), 7, "1 12 2000000000 -1 FZ 1.0\n", 3.0f,
                    "  INVALID JOINT ...      9 --- LOAD IS SKIPPED AND THE GENERATION ENDS"},
        // An increment that would overflow the ID ends the generation too.
        RunawayCase{"IncrementOverflowsTheId", kNodes.c_str(), 7, "1 16 5 2147483647 FX 1.0\n", 1.0f,
                    "  INVALID JOINT ... ****** --- LOAD IS SKIPPED AND THE GENERATION ENDS"},
        // Nodes 1 and 1000000: the IDs between them are skipped in one line,
        // both nodes are loaded.
        RunawayCase{"GapBetweenTwoNodes", "1 0.0 0.0 0.0 1 0\n1000000 1.0 0.0 0.0 1 0\n1 0 0 0 1 0\n", 2,
                    "1 1 99999999 1 FY 100.0\n", 200.0f,
                    "  JOINTS          2 TO     999999 BY          1 ARE NOT NODE IDS --- LOADS ARE SKIPPED"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Jloads, TracePrintsTheTableByEquationAndByNode) {
  const LoadRun x = run(1, 0, "10 0 1 0 0 0 0 0 0\n", "1 10 0 0 FY 0.25\n1 11 0 0 FX 2.0\n0 0 0 0 END 0\n", 1, true);
  EXPECT_EQ(count(x.out, "  APPLIED JOINT LOADS,   LOADING #    1            NOTE: * DENOTES SUPPORT DISPLACEMENT"), 2);
  EXPECT_NE(x.out.find("  DOF       LOAD      DOF"), std::string::npos);
  // Node 10's FY is restrained and marked; its other entries are free.
  EXPECT_NE(x.out.find("        10  0.000000E+00   2.500000E-01*  0.000000E+00 "), std::string::npos) << x.out;
  EXPECT_NE(x.out.find("        11  2.000000E+00   0.000000E+00 "), std::string::npos) << x.out;
}

TEST(Jloads, TraceMarksAConstrainedDegreeOfFreedomOnARestrainedMaster) {
  // Node 11 is a rigid slave of node 10, whose FY is restrained: node 11 shows
  // no values, but its FY field carries the support mark.
  const LoadRun x = run(1, 1, "10 0 1 0 0 0 0 0 0\n0 10 11 0 0\n", "1 12 0 0 FX 1.0\n0 0 0 0 END 0\n", 1, true);
  EXPECT_NE(x.out.find("        11" + std::string(29, ' ') + "*" + std::string(60, ' ') + "\n"), std::string::npos)
      << x.out;
}

TEST(Jloads, EndOfFileInsideTheListStopsTheRun) {
  soltest::NodeModel m = soltest::build_nodes(7, 1, 0, 0, kNodes + "1 10 0 0 FX 1.0\n");
  std::vector<float> r(static_cast<std::size_t>(m.neq), 0.0f);
  EXPECT_THROW(solutions::jloads(false, {m.t, m.nnode, m.neq, 1, m.l2()}, r.data(), false), kv::RunStop);
  soltest::finish_output();
}

}  // namespace
