// Input of the moment-curvature section sets: the record layout against its
// closed form, the set checks as a table, and decks through the program with
// their echo lines, storage, rejections and the stop on no axial load.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "members/momcurv/mc_section_driver.h"
#include "members/momcurv/mc_section_head.h"
#include "section_set_decks.h"
#include "support/test_support.h"

namespace {

using namespace members::momcurv;

// The record length in closed form, P = 5.
std::int64_t closed_form_nprop(int type, std::int64_t n, std::int64_t na, std::int64_t nc) {
  std::int64_t w = 126 * n * n + 590 * n + na * n + 2 * nc * na * n + 2 * na * nc + na + 545;
  if (type == kNodalEndType) w += na * n + 2 * nc * na * n + 2 * 5 * n;
  return w;
}

TEST(McLayout, RecordLengthAndFirstMemberWord) {
  struct Case {
    int type, n, na, nc;
    std::int64_t nprop;  // -1: the closed form
    std::int64_t first;  // first member word, 31 + NA + 2 NA NC
  };
  const Case cases[] = {
      {18, 3, 4, 7, 3689, 91}, {180, 3, 4, 7, 3899, 91}, {18, 1, 2, 4, -1, 49},
      {180, 1, 1, 2, -1, 36},  {18, 32, 3, 10, -1, 94}, {180, 5, 6, 2, -1, 61},
  };
  for (const Case& c : cases) {
    const McLayout l = mc_layout(c.type, c.n, c.na, c.nc);
    const std::int64_t want = c.nprop >= 0 ? c.nprop : closed_form_nprop(c.type, c.n, c.na, c.nc);
    EXPECT_EQ(l.nprop, want) << c.type << " N=" << c.n << " NA=" << c.na << " NC=" << c.nc;
    EXPECT_EQ(l.start[kLMSEG], c.first);
    EXPECT_EQ(l.start[kSEGPA] - l.start[kDSEG], 12 * c.n);
    EXPECT_EQ(l.words(kSEGPM), std::int64_t{c.n} * c.na * c.nc);
    EXPECT_EQ(l.words(kMCST), 5 * c.n);
  }
  // The table's three blocks: NA = 2, NC = 4 in words 31-32, 33-40, 41-48.
  const McTable t = mc_table(2, 4);
  EXPECT_EQ(t.pa, 31);
  EXPECT_EQ(t.pm, 33);
  EXPECT_EQ(t.pc, 41);
  EXPECT_EQ(t.end, 49);
}

using Prop = std::vector<float>;  // [0] unused

// One good head (NSEG 2, NC 3, NA 2) with its table behind it.
Prop good_set() {
  Prop p(60, 0.0f);
  p[kNSEG] = 2; p[kLIBN] = 1; p[kNC] = 3; p[kNA] = 2; p[kIMATER] = 1; p[kIREV3] = 1;
  const float pa[] = {0.0f, 1.0e5f};
  const float pm[] = {1.0e6f, 1.2e6f, 1.3e6f, 1.5e6f, 1.8e6f, 1.9e6f};
  const float pc[] = {1e-4f, 5e-4f, 20e-4f, 1.2e-4f, 4e-4f, 15e-4f};
  for (int i = 0; i < 2; ++i) p[31 + i] = pa[i];
  for (int k = 0; k < 6; ++k) p[33 + k] = pm[k];
  for (int k = 0; k < 6; ++k) p[39 + k] = pc[k];
  return p;
}

TEST(McSetChecks, OneFaultEach) {
  struct Case {
    int word;     // a head word, or a table word (>= 31)
    float value;
    unsigned fault;
  };
  const Case cases[] = {
      {0, 0, 0},
      {kNSEG, 0, kFaultNseg},
      {kNSEG, 33, kFaultNseg},
      {kNSEG, 32, 0},
      {kLIBN, 2, kFaultLibn},
      {kIMATER, 0, kFaultImater},
      {kIMATER, 2, kFaultImater},
      {kNA, -1, kFaultAxialLoads},
      {kNC, 200000, kFaultRecordSize},
      {39, 0.0f, kFaultFirstPoint},        // first curvature of load 1 zero
      {42, -1e-4f, kFaultFirstPoint},      // first curvature of load 2 negative
      {33, 0.0f, kFaultFirstPoint},        // first moment zero: no initial rigidity
      {40, 1e-4f, kFaultAscending},        // second curvature equal to the first
      {44, 3e-4f, kFaultAscending},        // third below the second
      // Load 1 last segment (0.5E-4 .. 20E-4) given the initial slope 1E10:
      // 1.2E6 + 1E10 * 15E-4 = 16.2E6.
      {35, 16.2e6f, kFaultLastSlope},
  };
  for (const Case& c : cases) {
    Prop p = good_set();
    if (c.word > 0) p[static_cast<std::size_t>(c.word)] = c.value;
    const unsigned f = mc_head_faults(p.data()) | ((c.word < 31 && c.word != 0) ? 0u : mc_table_faults(p.data()));
    EXPECT_EQ(f, c.fault) << "word " << c.word << " = " << c.value;
  }
  Prop p = good_set();
  p[kNC] = 1;  // one control point: no slope of a last segment, no target
  EXPECT_EQ(mc_head_faults(p.data()), kFaultPoints);
}

// ------------------------------------------------------------------ decks


// NSEG 3, NC 3, NA 2, interpolated; the head runs over two lines.
const char* const kSet18 =
    "'MOMCURVA1' 3 1.2E7 2.9E7 1 100. 5. 0. 0. 0. 0. 0. 3 2 1 0 0\n"
    "  0. 0. 0. 20. 1 1 0. 0 0. 1. 1 1.\n"
    "0. 1.E5\n"
    "1.0E6 1.2E6 1.3E6\n"
    "1.E-4 5.E-4 20.E-4\n"
    "1.5E6 1.8E6 1.9E6\n"
    "1.2E-4 4.E-4 15.E-4\n";
// NSEG 2, NC 2, NA 1, CURNM 5E-4, PCMAX 1E-2.
const char* const kSet180 =
    "'MOMCURVA2' 2 1.2E7 2.9E7 1 100. 5. 0. 0. 0.01 5.E-4 0. 2 1 0 0 0 0. 0. 0. 20. 1 1 0. 0 0. 1. 1 0.\n"
    "0.\n"
    "1.0E6 1.1E6\n"
    "1.E-4 11.E-4\n";

using kvtest::has;
using kvtest::memory_iz;

std::string deck(const std::string& sets, int nsets) { return kvtest::section_set_deck("MC SECTION SETS", sets, nsets); }

TEST(McSectionInput, EchoesBothTypesAndReservesTheirRecords) {
  const auto r = kvtest::run_deck(deck(std::string(kSet18) + kSet180, 2), "mc_sets");
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string& o = r.output;
  EXPECT_TRUE(has(o, "\n\n\n MOMCURVA1 ELEMENT\n =================\n\n\n MAT. NO.    =  1  SECTION BASED ON MOM-CURVA.\n"
                     " NSEG        =         3         G           = 1.200E+07\n"
                     " EM          = 2.900E+07         LIBN        =         1\n"));
  EXPECT_TRUE(has(o, " ST          = 0.000E+00         # CONTR. PTS=         3\n"
                     " # AXIAL LDS =         2         IREV3       =         1\n"));
  EXPECT_TRUE(has(o, " NUMP        =         5         SMALL       = 0.000E+00\n"));
  EXPECT_TRUE(has(o, " QRNEE       = 1.000E+00         ISTIF       =         1\n IELAS       = 1.000E+00\n\n\n"
                     " BACKBONE CURVE CONTROL POINTS:\n"
                     " AXIAL LOAD                MOMENT        CURVATURE\n"
                     " ==========                ======        =========\n"
                     "    0.000000E+00\n"
                     "                           0.100000E+07   0.100000E-03\n"
                     "                           0.120000E+07   0.500000E-03\n"
                     "                           0.130000E+07   0.200000E-02\n"
                     "    0.100000E+06\n"
                     "                           0.150000E+07   0.120000E-03\n"));
  EXPECT_TRUE(has(o, " MOMCURVA2 ELEMENT\n =================\n\n\n MAT. NO.    =  2  SECTION BASED ON MOM-CURVA.\n"));
  EXPECT_TRUE(has(o, " PCMAX       = 1.000E-02         CURNM       = 5.000E-04\n"));
  EXPECT_TRUE(has(o, " IELAS       = 0.000E+00\n"));
  EXPECT_FALSE(has(o, "*** MAT. NO."));

  // Two MATPTR words and the two records with their type words: type 18 with
  // N 3, NA 2, NC 3: 3505; type 180 with N 2, NA 1, NC 2: 2274.
  const auto bare = kvtest::run_deck(deck("", 0), "mc_none");
  ASSERT_EQ(bare.status, 0);
  EXPECT_EQ(memory_iz(o) - memory_iz(bare.output), 2 + 3506 + 2275);
}

TEST(McSectionInput, RejectedSetsAreReportedAndLaterSetsReadInStep) {
  // Set 1: LIBN 2 (its table is still taken). Set 2: IMATER 0 and curvatures
  // not ascending. Set 3: good.
  std::string bad_libn = kSet18;
  bad_libn.replace(bad_libn.find(" 1 100."), 7, " 2 100.");
  std::string bad_rule = kSet180;
  bad_rule.replace(bad_rule.find("20. 1 1 0."), 10, "20. 1 0 0.");
  bad_rule.replace(bad_rule.find("1.E-4 11.E-4"), 12, "1.E-4 0.5E-4");
  const auto r = kvtest::run_deck(deck(bad_libn + bad_rule + kSet18, 3), "mc_bad");
  ASSERT_EQ(r.status, 3) << r.output;
  const std::string& o = r.output;
  EXPECT_TRUE(has(o, " MAT. NO.    =  1 IS NOT AVAILABLE LIBN=  0.200E+01 CHECK LIBN \n\n"));
  EXPECT_TRUE(has(o, " *** MAT. NO.    =  1: THE SET CANNOT BE USED; AN ELEMENT THAT NAMES IT IS REJECTED\n"));
  EXPECT_TRUE(has(o, " *** MAT. NO.    =  2: IMATER MUST BE 1\n"));
  EXPECT_TRUE(has(o, " *** MAT. NO.    =  2: THE CURVATURES OF EVERY BACKBONE MUST ASCEND\n"));
  EXPECT_FALSE(has(o, " *** MAT. NO.    =  3"));
  EXPECT_TRUE(has(o, " MAT. NO.    =  3  SECTION BASED ON MOM-CURVA.\n"));
  EXPECT_FALSE(has(o, "INVALID MATERIAL TYPE"));
  EXPECT_TRUE(has(r.console, "     2 ERROR"));
}

TEST(McSectionInput, NoAxialLoadStopsTheRun) {
  std::string set = kSet180;
  set.replace(set.find(" 2 1 0 0 0 0."), 13, " 2 0 0 0 0 0.");
  const auto r = kvtest::run_deck(deck(set, 1), "mc_na0");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.output, "\nNO. OF AXIAL LOAD CASE IS ZERO\n CHECK MAT NO. =  1 IREV2 =  0\nPROGRAM STOP\n"));
}

TEST(McSectionInput, NominalCurvatureZeroIsAWarning) {
  std::string set = kSet180;
  set.replace(set.find(" 5.E-4 0."), 9, " 0.    0.");
  const auto r = kvtest::run_deck(deck(set, 1), "mc_curnm");
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(has(r.output, " *** MAT. NO.    =  1: CURNM IS NOT ABOVE 0.0: THE NOMINAL CURVATURE IS REPORTED AT ONCE\n"));
  EXPECT_TRUE(has(r.console, "     1 WARNING"));
}

}  // namespace
