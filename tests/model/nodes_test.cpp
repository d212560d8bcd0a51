// Node input, restraints, condensation, constraints and equation numbering,
// driven directly with the node section on unit 5 and the report on unit 6.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/work_array.h"
#include "fio/fio.h"
#include "model/nodes.h"
#include "support/test_support.h"

namespace {

using base::NodeTables;

struct Control {
  int nnode = 0, ncos = 1, nres = 0, ncond = 0, ncons = 0;
  float scale = 1.0f;
  bool trace = false;
};

struct Result {
  int neq = 0, ncond = 0, nfree = 0, nrestr = 0, nnode = 0, ncos = 0;
  NodeTables t;
  std::string out;   // unit 6
  std::int64_t iz = 0;
};

// Reads the node section `deck` as the structure input would: node tables
// reserved from IZ = 1, then NODDOF.
Result run_noddof(const Control& c, const std::string& deck) {
  kv::reset_globals();
  kv::ctl(kv::kIZ) = 1;
  fio::close_all();
  const auto dir = kvtest::fresh_dir("noddof");
  kvtest::write_file(dir / "nodes.dat", deck);
  EXPECT_TRUE(fio::open(5, (dir / "nodes.dat").string()));
  EXPECT_TRUE(fio::open(6, (dir / "nodes.out").string()));

  Result r;
  kv::ctl(kv::kNNDIM) = c.nnode;
  r.t = base::reserve_node_tables(c.nnode);
  r.iz = kv::ctl(kv::kIZ);
  kv::izm(r.iz) = 777;  // the first word beyond the tables must survive
  r.nnode = c.nnode;
  r.ncos = c.ncos;
  r.ncond = c.ncond;
  model::noddof(r.neq, r.ncond, r.nfree, r.nrestr, r.nnode, r.ncos, c.scale, c.nres, c.ncons,
                c.trace, r.t);
  fio::close(5);
  fio::close(6);
  r.out = kvtest::read_file(dir / "nodes.out");
  EXPECT_EQ(kv::izm(r.iz), 777);
  kv::izm(r.iz) = 0;
  return r;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

std::array<int, 6> ids(const Result& r, int n) {
  std::array<int, 6> a{};
  for (int j = 1; j <= 6; ++j) a[static_cast<std::size_t>(j - 1)] = r.t.id(n, j);
  return a;
}

const std::string kIdentity = "1 0 0 0 1 0\n";

// ---------------------------------------------------------------- the column

TEST(Noddof, ThreeNodeColumnNumbersAndReport) {
  Control c;
  c.nnode = 3;
  c.nres = 1;
  const Result r = run_noddof(c,
                              "10 0.0 0.0 0.0 1 0\n"
                              "20 0.0 0.0 120.0 1 1\n"
                              "10 0.0 0.0 120.0\n" +
                                  kIdentity +
                                  "10 1 1 1 1 1 1 0 0\n");
  EXPECT_EQ(r.nnode, 3);
  EXPECT_EQ(r.neq, 18);
  EXPECT_EQ(r.ncond, 0);
  EXPECT_EQ(r.nfree, 12);
  EXPECT_EQ(r.nrestr, 6);
  EXPECT_EQ(r.t.nodid(3), 30);
  EXPECT_FLOAT_EQ(r.t.xyz(3, 3), 240.0f);

  const std::vector<std::string> expected = {
      " %1S%",
      "",
      "",
      "     NODE COORDINATES AND DEGREES OF FREEDOM",
      "",
      "    TOTAL NUMBER OF DEGREES OF FREEDOM.............    18",
      "    NUMBER OF DEGREES OF FREEDOM CONDENSED OUT.....     0",
      "    NUMBER OF FREE DEGREES OF FREEDOM..............    12",
      "    NUMBER OF RESTRAINED DEGREES OF FREEDOM........     6",
      "",
      "      NODE COS#    X-COORD        Y-COORD        Z-COORD        FX      FY      FZ      MX      MY      MZ",
      "        10    1    0.00000E+00    0.00000E+00    0.00000E+00    13-R    14-R    15-R    16-R    17-R    18-R",
      "        20    1    0.00000E+00    0.00000E+00    1.20000E+02     1       2       3       4       5       6  ",
      "        30    1    0.00000E+00    0.00000E+00    2.40000E+02     7       8       9      10      11      12  ",
      "          NOTE: R - RESTRAINED DEGREE OF FREEDOM",
      "                C - CONSTRAINED DEGREE OF FREEDOM",
      "%1E%",
      "",
      "%2S%",
      "DIRECTION COSINES ... ",
      " COS(  1)   VX:  1.00000 I +0.00000 J +0.00000 K   VY:  0.00000 I +1.00000 J +0.00000 K"
      "   VZ:  0.00000 I +0.00000 J +1.00000 K  ",
      "%2E%",
      "",
  };
  EXPECT_EQ(lines_of(r.out), expected);
}

TEST(Noddof, ThreeNodeColumnThroughTheStructureInput) {
  const auto r = kvtest::run_deck(
      "STR\n"
      "THREE NODE COLUMN\n"
      "3 1 1 0 0 1.0\n"
      "10 0.0 0.0 0.0 1 0\n"
      "20 0.0 0.0 120.0 1 1\n"
      "10 0.0 0.0 120.0\n"
      "1.0 0.0 0.0 0.0 1.0 0.0\n"
      "10 1 1 1 1 1 1 0 0\n"
      "0\n0 0 0 F\n0\n0 0 F\n0.0 0.0\n"
      "STOP\n",
      "column");
  EXPECT_EQ(r.status, 0);
  for (const char* line :
       {"    TOTAL NUMBER OF DEGREES OF FREEDOM.............    18\n",
        "    NUMBER OF DEGREES OF FREEDOM CONDENSED OUT.....     0\n",
        "    NUMBER OF FREE DEGREES OF FREEDOM..............    12\n",
        "    NUMBER OF RESTRAINED DEGREES OF FREEDOM........     6\n",
        "        10    1    0.00000E+00    0.00000E+00    0.00000E+00    13-R    14-R    15-R    16-R    17-R    18-R\n",
        "        30    1    0.00000E+00    0.00000E+00    2.40000E+02     7       8       9      10      11      12  \n"})
    EXPECT_NE(r.output.find(line), std::string::npos) << line;
}

// ---------------------------------------------------------------- numbering edge cases

struct NumberingCase {
  const char* name;
  Control control;
  std::string deck;
  int neq, ncond, nfree, nrestr, nnode;
  std::vector<std::array<int, 6>> ids;  // per node position
  std::vector<std::string> present;     // report texts that must appear
  std::vector<std::string> absent;      // and must not
};

std::vector<NumberingCase> numbering_cases() {
  std::vector<NumberingCase> v;
  {
    // Node 1 read twice: the later record's coordinates and set stay.
    NumberingCase k{"RepeatedIdIsMerged", {}, "", 12, 0, 12, 0, 2, {}, {}, {}};
    k.control.nnode = 3;
    k.control.ncos = 2;
    k.deck = "1 0 0 0 1 0\n2 10 0 0 1 0\n1 5 6 7 2 0\n" + kIdentity + "0 1 0 -1 0 0\n";
    k.ids = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
    v.push_back(k);
  }
  {
    // ID 0 ends the list after two of five nodes; the cosine set follows.
    NumberingCase k{"IdZeroEndsTheList", {}, "", 12, 0, 6, 6, 2, {}, {}, {}};
    k.control.nnode = 5;
    k.control.nres = 1;
    k.deck = "1 0 0 0 1 0\n2 0 0 10 1 0\n0 0 0 0 0 0\n" + kIdentity + "1 1 1 1 1 1 1 0 0\n";
    k.ids = {{7, 8, 9, 10, 11, 12}, {1, 2, 3, 4, 5, 6}};
    v.push_back(k);
  }
  {
    // NODE = 0 restrains FZ MX MY of every node; its NGEN and INC are not used.
    NumberingCase k{"NodeZeroRestrainsEveryNode", {}, "", 12, 0, 6, 6, 2, {}, {}, {" TARGET:"}};
    k.control.nnode = 2;
    k.control.nres = 1;
    k.deck = "1 0 0 0 1 0\n2 0 0 10 1 0\n" + kIdentity + "0 0 0 1 1 1 0 5 1\n";
    k.ids = {{1, 2, 7, 8, 9, 3}, {4, 5, 10, 11, 12, 6}};
    v.push_back(k);
  }
  {
    // Code 2 (restrained and eliminated) comes after every code-1 restraint.
    NumberingCase k{"EliminatedNumberedLast", {}, "", 12, 0, 9, 3, 2, {}, {}, {}};
    k.control.nnode = 2;
    k.control.nres = 2;
    k.deck = "1 0 0 0 1 0\n2 0 0 10 1 0\n" + kIdentity + "1 2 1 0 0 0 0 0 0\n2 1 0 0 0 0 0 0 0\n";
    k.ids = {{12, 10, 1, 2, 3, 4}, {11, 5, 6, 7, 8, 9}};
    v.push_back(k);
  }
  {
    // Condensing node 1's restrained DOFs does nothing; node 2's FZ is condensed.
    NumberingCase k{"CondensingARestrainedDofHasNoEffect", {}, "", 12, 1, 5, 6, 2, {}, {}, {}};
    k.control.nnode = 2;
    k.control.nres = 1;
    k.control.ncond = 2;
    k.deck = "1 0 0 0 1 0\n2 0 0 10 1 0\n" + kIdentity +
             "1 1 1 1 1 1 1 0 0\n"
             "1 1 1 1 1 1 1 0 0\n2 0 0 1 0 0 0 0 0\n";
    k.ids = {{7, 8, 9, 10, 11, 12}, {2, 3, 1, 4, 5, 6}};
    v.push_back(k);
  }
  {
    // Restraint generation: node 10 and, by NGEN 2 and INC 10, nodes 20 and 30.
    NumberingCase k{"RestraintGeneration", {}, "", 18, 0, 15, 3, 3, {}, {}, {}};
    k.control.nnode = 3;
    k.control.nres = 1;
    k.deck = "10 0 0 0 1 2\n10 0 0 10\n" + kIdentity + "10 1 0 0 0 0 0 2 10\n";
    k.ids = {{16, 1, 2, 3, 4, 5}, {17, 6, 7, 8, 9, 10}, {18, 11, 12, 13, 14, 15}};
    v.push_back(k);
  }
  {
    // Slave 1 -> master 2 -> master 3: both slaves take node 3's equations.
    NumberingCase k{"ChainedMastersTakeTheFinalMaster", {}, "", 6, 0, 6, 0, 3, {}, {}, {}};
    k.control.nnode = 3;
    k.control.ncons = 2;
    k.deck = "1 0 0 0 1 0\n2 10 0 0 1 0\n3 10 20 0 1 0\n" + kIdentity + "0 2 1 0 0\n0 3 2 0 0\n";
    k.ids = {{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}};
    k.present = {"   3D-RIGID BODY  CONSTRAINT, MASTER:     2 SLAVE:     1",
                 "         1    1    0.00000E+00    0.00000E+00    0.00000E+00     1-C     2-C     3-C"};
    v.push_back(k);
  }
  {
    // "XY-PLANE" constrains FX, FY and MZ only.
    NumberingCase k{"XYPlaneConstrainsThreeDofs", {}, "", 9, 0, 9, 0, 2, {}, {}, {}};
    k.control.nnode = 2;
    k.control.ncons = 1;
    k.deck = "1 0 0 0 1 0\n2 3 4 5 1 0\n" + kIdentity + "1 1 2 0 0\n";
    k.ids = {{1, 2, 3, 4, 5, 6}, {1, 2, 7, 8, 9, 6}};
    k.present = {"   XY-PLANE       CONSTRAINT, MASTER:     1 SLAVE:     2"};
    v.push_back(k);
  }
  {
    // A restrained slave DOF keeps its restraint and is reported.
    NumberingCase k{"RestrainedSlaveDofIsNotConstrained", {}, "", 10, 0, 3, 7, 2, {}, {}, {}};
    k.control.nnode = 2;
    k.control.nres = 2;
    k.control.ncons = 1;
    k.deck = "1 0 0 0 1 0\n2 0 0 10 1 0\n" + kIdentity +
             "1 1 1 1 1 1 1 0 0\n2 1 0 0 0 0 0 0 0\n1 1 2 0 0\n";
    // Node 2: FX restrained (10), FY and MZ constrained to the restrained node 1.
    k.ids = {{4, 5, 6, 7, 8, 9}, {10, 5, 1, 2, 3, 9}};
    k.present = {"  NODE:     2 IS RESTRAINED, CONSTRAINT 1 IS IGNORED..."};
    v.push_back(k);
  }
  {
    // A constraint of an unknown type is reported with no constraint line.
    NumberingCase k{"InvalidConstraintType", {}, "", 12, 0, 12, 0, 2, {}, {}, {}};
    k.control.nnode = 2;
    k.control.ncons = 1;
    k.deck = "1 0 0 0 1 0\n2 0 0 10 1 0\n" + kIdentity + "7 1 2 0 0\n";
    k.ids = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
    k.present = {" NODE CONSTRAINTS ", "  INVALID CONSTRAINT TYPE  7 MASTER:     1 SLAVE:     2"};
    k.absent = {"CONSTRAINT, MASTER:"};
    v.push_back(k);
  }
  {
    // Constraint generation: slaves 2 and 3 (INC 1) on master 1; slave 4 is
    // missing and its constraint ignored.
    NumberingCase k{"ConstraintGenerationAndMissingSlave", {}, "", 6, 0, 6, 0, 3, {}, {}, {}};
    k.control.nnode = 3;
    k.control.ncons = 1;
    k.deck = "1 0 0 0 1 2\n1 1 0 0\n" + kIdentity + "0 1 2 2 1\n";
    k.ids = {{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}};
    k.present = {"  NODE:     4 IS NOT FOUND, CONSTRAINT IS IGNORED"};
    v.push_back(k);
  }
  {
    // A chain that ends in a missing master deletes the DOF; the line names the
    // node whose master is missing (node 2) and the slave (node 1).
    NumberingCase k{"ChainToMissingMasterDeletesTheDof", {}, "", 12, 0, 12, 0, 3, {}, {}, {}};
    k.control.nnode = 3;
    k.control.ncons = 2;
    k.deck = "1 0 0 0 1 0\n2 0 0 10 1 0\n3 0 0 20 1 0\n" + kIdentity + "1 2 1 0 0\n1 99 2 0 0\n";
    k.ids = {{0, 0, 1, 2, 3, 0}, {0, 0, 4, 5, 6, 0}, {7, 8, 9, 10, 11, 12}};
    k.present = {" NODE#     2 NOT FOUND WHILE ASSIGNING CONSTRAINED DOF TO NODE#     1 DOF# 1 --- DOF IS DELETED ",
                 " NODE#     2 NOT FOUND WHILE ASSIGNING CONSTRAINED DOF TO NODE#     2 DOF# 6 --- DOF IS DELETED "};
    v.push_back(k);
  }
  {
    // Node 1 constrained to node 2 and node 2 to node 1: no final master.
    NumberingCase k{"ChainClosingOnItselfDeletesTheDof", {}, "", 6, 0, 6, 0, 3, {}, {}, {}};
    k.control.nnode = 3;
    k.control.ncons = 2;
    k.deck = "1 0 0 0 1 0\n2 0 0 10 1 0\n3 0 0 20 1 0\n" + kIdentity + "0 2 1 0 0\n0 1 2 0 0\n";
    k.ids = {{0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {1, 2, 3, 4, 5, 6}};
    k.present = {" --- DOF IS DELETED "};
    v.push_back(k);
  }
  {
    // Generation past the table dimension stops with a line; the next record
    // is read as the cosine set.
    NumberingCase k{"GenerationBeyondTheTableStops", {}, "", 12, 0, 12, 0, 2, {}, {}, {}};
    k.control.nnode = 2;
    k.deck = "1 0 0 0 1 3\n1 0 0 10\n" + kIdentity;
    k.ids = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
    k.present = {" NODE GENERATION STOPS AT NODE     3: THE NODE TABLE HOLDS     2 NODES"};
    v.push_back(k);
  }
  return v;
}

class Numbering : public ::testing::TestWithParam<NumberingCase> {};

TEST_P(Numbering, EquationsAndCounts) {
  const NumberingCase& k = GetParam();
  const Result r = run_noddof(k.control, k.deck);
  EXPECT_EQ(r.neq, k.neq);
  EXPECT_EQ(r.ncond, k.ncond);
  EXPECT_EQ(r.nfree, k.nfree);
  EXPECT_EQ(r.nrestr, k.nrestr);
  ASSERT_EQ(r.nnode, k.nnode);
  for (int n = 1; n <= r.nnode; ++n) {
    EXPECT_EQ(ids(r, n), k.ids[static_cast<std::size_t>(n - 1)]) << "node position " << n;
    if (n > 1) {
      EXPECT_LT(r.t.nodid(n - 1), r.t.nodid(n));
    }
  }
  for (const auto& s : k.present) EXPECT_NE(r.out.find(s), std::string::npos) << s;
  for (const auto& s : k.absent) EXPECT_EQ(r.out.find(s), std::string::npos) << s;
}

INSTANTIATE_TEST_SUITE_P(Noddof, Numbering, ::testing::ValuesIn(numbering_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Noddof, WithoutConstraintsEveryDofHasOneEquation) {
  // NEQ = NCOND + NFREE + NRESTR and the numbers 1..NEQ are each used once.
  Control c;
  c.nnode = 4;
  c.nres = 2;
  c.ncond = 2;
  const Result r = run_noddof(c,
                              "1 0 0 0 1 3\n1 10 0 0\n" + kIdentity +
                                  "1 1 1 1 0 0 0 0 0\n3 0 2 0 2 0 0 1 1\n"
                                  "2 0 0 0 1 1 1 1 2\n1 1 1 0 0 0 1 0 0\n");
  EXPECT_EQ(r.neq, r.ncond + r.nfree + r.nrestr);
  EXPECT_EQ(r.neq, 24);
  EXPECT_EQ(r.ncond, 6);    // node 1 MZ, node 2 MX MY MZ, node 4 MY MZ (its MX is restrained)
  EXPECT_EQ(r.nrestr, 7);   // node 1 FX FY FZ, nodes 3 and 4 FY and MX
  std::vector<int> seen(25, 0);
  for (int n = 1; n <= 4; ++n)
    for (int j = 1; j <= 6; ++j) ++seen[static_cast<std::size_t>(r.t.id(n, j))];
  for (int e = 1; e <= 24; ++e) EXPECT_EQ(seen[static_cast<std::size_t>(e)], 1) << e;
  // Eliminated DOFs (code 2) take the last numbers.
  EXPECT_EQ(r.t.id(3, 2), 21);
  EXPECT_EQ(r.t.id(4, 4), 24);
}

// ---------------------------------------------------------------- coordinates and offsets

TEST(Noddof, ScaleAndMergedCoordinates) {
  Control c;
  c.nnode = 3;
  c.ncos = 2;
  c.scale = 12.0f;
  const Result r = run_noddof(c, "2 1 0 0 1 0\n1 0 0 0 1 0\n2 5 6 7 2 0\n" + kIdentity + "0 1 0 -1 0 0\n");
  ASSERT_EQ(r.nnode, 2);
  EXPECT_EQ(r.t.nodid(1), 1);
  EXPECT_EQ(r.t.nodid(2), 2);
  EXPECT_FLOAT_EQ(r.t.xyz(2, 1), 60.0f);
  EXPECT_FLOAT_EQ(r.t.xyz(2, 2), 72.0f);
  EXPECT_FLOAT_EQ(r.t.xyz(2, 3), 84.0f);
  EXPECT_EQ(r.t.icos(2), 2);
  // Set 2: VX along global Y, VY along -X, VZ = VX x VY along +Z.
  EXPECT_FLOAT_EQ(r.t.cos(1, 2, 2), 1.0f);
  EXPECT_FLOAT_EQ(r.t.cos(2, 1, 2), -1.0f);
  EXPECT_FLOAT_EQ(r.t.cos(3, 3, 2), 1.0f);
}

struct OffsetCase {
  const char* name;
  std::string deck;  // three nodes, constraint records
  int ncons;
  int slave;          // node position whose offsets are checked
  std::array<float, 6> tcon;
};

class Offsets : public ::testing::TestWithParam<OffsetCase> {};

TEST_P(Offsets, RigidOffsetsToTheFinalMaster) {
  const OffsetCase& k = GetParam();
  Control c;
  c.nnode = 3;
  c.ncos = 2;
  c.ncons = k.ncons;
  const Result r = run_noddof(c, k.deck);
  for (int j = 1; j <= 6; ++j)
    EXPECT_FLOAT_EQ(r.t.tcon(k.slave, j), k.tcon[static_cast<std::size_t>(j - 1)]) << "T" << j;
}

// Nodes 1 (0,0,0), 2 (10,0,0), 3 (10,20,0); offsets d = slave - master.
const std::string kThreeNodes = "1 0 0 0 1 0\n2 10 0 0 1 0\n3 10 20 0 1 0\n" + kIdentity;
const std::string kThreeNodesRotated =
    "1 0 0 0 2 0\n2 10 0 0 1 0\n3 10 20 0 2 0\n" + kIdentity + "0 1 0 -1 0 0\n";

INSTANTIATE_TEST_SUITE_P(
    Noddof, Offsets,
    ::testing::Values(
        // d = (-10, -20, 0): T12 = -dz, T13 = dy, T21 = dz, T23 = -dx, T31 = -dy, T32 = dx.
        OffsetCase{"ChainMeasuredToFinalMaster", kThreeNodes + kIdentity + "0 2 1 0 0\n0 3 2 0 0\n", 2, 1,
                   {0.0f, -20.0f, 0.0f, 10.0f, 20.0f, -10.0f}},
        OffsetCase{"XYPlaneSetsOnlyT31AndT32", kThreeNodes + kIdentity + "1 3 1 0 0\n", 1, 1,
                   {0.0f, 0.0f, 0.0f, 0.0f, 20.0f, -10.0f}},
        // Slave 1 in set 2 (x' = Y, y' = -X): d = (-10, -20, 0) is (-20, 10, 0) there.
        OffsetCase{"OffsetsInTheSlaveAxes", kThreeNodesRotated + "0 3 1 0 0\n", 1, 1,
                   {0.0f, 10.0f, 0.0f, 20.0f, -10.0f, -20.0f}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- faults and reports

TEST(Noddof, UndefinedCosineNumberTakesTheGlobalAxes) {
  Control c;
  c.nnode = 2;
  c.ncos = 1;
  // The only set read is rotated, so the global axes are added as set 2.
  const Result r = run_noddof(c, "1 0 0 0 1 0\n2 0 0 10 5 0\n0 1 0 -1 0 0\n");
  EXPECT_EQ(r.ncos, 2);
  EXPECT_EQ(r.t.icos(1), 1);
  EXPECT_EQ(r.t.icos(2), 2);
  for (int k = 1; k <= 3; ++k)
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(r.t.cos(k, j, 2), k == j ? 1.0f : 0.0f);
  EXPECT_NE(r.out.find(" NODE:     2  COS#:   5 IS NOT A DEFINED COSINE SET, THE NODE TAKES SET   2 (GLOBAL AXES)"),
            std::string::npos);
  EXPECT_NE(r.out.find(" COS(  2)   VX:  1.00000 I"), std::string::npos);  // in the report

  // With an identity set among those read, that set is taken.
  Control c2 = c;
  c2.ncos = 2;
  const Result r2 = run_noddof(c2, "1 0 0 0 2 0\n2 0 0 10 0 0\n0 1 0 -1 0 0\n" + kIdentity);
  EXPECT_EQ(r2.ncos, 2);
  EXPECT_EQ(r2.t.icos(1), 2);
  EXPECT_EQ(r2.t.icos(2), 2);
}

TEST(Noddof, TraceLinesOfTheNodeSection) {
  Control c;
  c.nnode = 2;
  c.nres = 2;
  c.ncond = 1;
  c.ncons = 1;
  c.trace = true;
  const Result r = run_noddof(c,
                              "1 0 0 0 1 1\n1 2.5 0 0\n" + kIdentity +
                                  "1 1 1 1 0 0 0 0 0\n9 1 1 1 1 1 1 0 0\n"
                                  "0 1 1 0 0 0 1 0 0\n"
                                  "1 1 2 0 0\n");
  const std::vector<std::string> l = lines_of(r.out);
  auto has_line = [&](const std::string& s) {
    for (const auto& x : l)
      if (x == s) return true;
    return false;
  };
  EXPECT_TRUE(has_line("     INPUT NODES"));
  EXPECT_TRUE(has_line(" NODE(  2):   2  X:    2.5000  Y:    0.0000  Z:    0.0000  COS#:  1"));
  EXPECT_TRUE(has_line(" NODE RESTRAINTS "));
  EXPECT_TRUE(has_line(" NODE(   1)   FX: 1  FY: 1  FZ: 1  MX: 0  MY: 0  MZ: 0"));
  EXPECT_TRUE(has_line(" NODE#    9 NOT FOUND, RESTRAINT IGNORED..."));
  EXPECT_TRUE(has_line(" NODE DOF'S TO BE CONDENSED OUT"));
  // NODE = 0 condenses FX FY MZ where not restrained: node 1 keeps only MZ,
  // node 2 all three.
  EXPECT_TRUE(has_line(" NODE(   1)   FX: 0  FY: 0  FZ: 0  MX: 0  MY: 0  MZ: 1"));
  EXPECT_TRUE(has_line(" NODE(   2)   FX: 1  FY: 1  FZ: 0  MX: 0  MY: 0  MZ: 1"));
  EXPECT_TRUE(has_line("JOINT RESTRAINT CODES..."));
  EXPECT_TRUE(has_line("               RESTRAINT  CONDENSE CONSTRAIN ELIMINATE"));
  EXPECT_TRUE(has_line("                  FFFMMM    FFFMMM    FFFMMM    FFFMMM"));
  EXPECT_TRUE(has_line("                  XYZXYZ    XYZXYZ    XYZXYZ    XYZXYZ"));
  // Node 1: FX FY FZ restrained (bits 0-2), MZ condensed (bit 11) = 7 + 2048.
  EXPECT_TRUE(has_line("   NODE(   1)     TTTFFF    FFFFFT    FFFFFF    FFFFFF      2055"));
  // Node 2: FX FY MZ condensed (bits 6, 7, 11), then FX FY MZ constrained
  // (bits 12, 13, 17) = 192 + 2048 + 12288 + 131072.
  EXPECT_TRUE(has_line("   NODE(   2)     FFFFFF    TTFFFT    TTFFFT    FFFFFF    145600"));
  EXPECT_TRUE(has_line("NODE CONSTRAINT MATRIX "));
  // Slave 2 at (2.5, 0, 0) on master 1: only MZ is constrained, T32 = dx and
  // T31 = -dy (a zero that may carry its sign). Plain E12.5: "0." leads.
  EXPECT_TRUE(has_line("         2  T12: 0.00000E+00  T13: 0.00000E+00  T21: 0.00000E+00"
                       "  T23: 0.00000E+00  T31:-0.00000E+00  T32: 0.25000E+01") ||
              has_line("         2  T12: 0.00000E+00  T13: 0.00000E+00  T21: 0.00000E+00"
                       "  T23: 0.00000E+00  T31: 0.00000E+00  T32: 0.25000E+01"));
  // Condensed slave DOFs are constrained: they go to pass 5, not pass 1.
  EXPECT_EQ(r.ncond, 1);
  EXPECT_EQ(r.t.id(2, 6), r.t.id(1, 6));
}

TEST(Noddof, MissingInputStopsTheRun) {
  Control c;
  c.nnode = 2;
  c.nres = 1;
  EXPECT_THROW(run_noddof(c, "1 0 0 0 1 0\n2 0 0 10 1 0\n" + kIdentity), kv::RunStop);
  fio::close_all();
}

}  // namespace
