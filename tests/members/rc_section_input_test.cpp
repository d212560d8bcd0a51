// Input of the reinforced-concrete section sets: the head checks as a table,
// and decks through the program with their echo lines and storage.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "base/globals.h"
#include "members/rc/rc_section_head.h"
#include "section_set_decks.h"
#include "support/test_support.h"

namespace {

using namespace members::rc;

using Head = std::array<float, kHeadWords + 1>;  // [0] unused

// Circle of diameter 24, cover 1.5, 5 layers of 3 fibres a quadrant, 12 bars.
Head circular_head() {
  Head h{};
  h[kNSEG] = 4; h[kYS] = 60000; h[kEM] = 29e6; h[kLIBN] = 2; h[kD1] = 24; h[kD2] = 1.5;
  h[kN1] = 3; h[kN2] = 5; h[kFPC] = 4000; h[kHOOP1] = 0.5; h[kHOOP2] = 4; h[kKE] = 0.95;
  h[kT2] = 1.0; h[kSMALL] = 0.5; h[kIMATER] = 2; h[kIELAS] = 1; h[kNBAR1] = 12;
  return h;
}

// Rectangle 24 x 16, cover 1.5, 2 x 2 core cells a quadrant, 3 top, 3 bottom, 1 side bar.
Head rectangular_head() {
  Head h{};
  h[kNSEG] = 1; h[kYS] = 60000; h[kEM] = 29e6; h[kLIBN] = 3; h[kD1] = 24; h[kD2] = 16;
  h[kN1] = 2; h[kN2] = 2; h[kFPC] = 4000; h[kHOOP1] = 0.01f; h[kHOOP2] = 0.015f; h[kT2] = 1.5;
  h[kIMATER] = 3; h[kIELAS] = 1; h[kNBAR1] = 3; h[kDBAR1] = 1; h[kNBAR2] = 3; h[kDBAR2] = 1;
  h[kNBAR3] = 1; h[kDBAR3] = 1;
  return h;
}

TEST(RcSectionHead, FibreCounts) {
  Head c = circular_head();
  EXPECT_EQ(fibre_count(c.data()), 76);
  c[kLIBN] = 1;
  EXPECT_EQ(fibre_count(c.data()), 64);
  EXPECT_EQ(fibre_count(rectangular_head().data()), 44);
  c[kLIBN] = 4;
  EXPECT_EQ(fibre_count(c.data()), -1);
}

TEST(RcSectionHead, FaultsOfOneWordEach) {
  struct Case {
    bool rect;
    int word;
    float value;
    unsigned fault;
  };
  const Case cases[] = {
      {false, kNSEG, 0, kFaultNseg},          {false, kNSEG, 33, kFaultNseg},
      {false, kNSEG, 32, 0},                  {false, kN1, 0, kFaultMeshCount},
      {false, kN2, 1, kFaultLayers},          {false, kD2, 0, kFaultThickness},
      {false, kT2, -1, kFaultThickness},      {false, kD2, 10.5, kFaultThickness},  // no room for layers 3..5
      {false, kHOOP2, 0, kFaultHoop},         {false, kFPC, 0, kFaultStrength},
      {false, kIECOP, 2, kFaultIecop},        {false, kIECOP, 1, 0},
      {false, kIELAS, 3, kFaultIelas},        {false, kIELAS, 2.5, 0},  // used as its whole number 2
      {false, kIELAS, -1, kFaultIelas},       {false, kIMATER, 3, kFaultImater},
      {false, kLIBN, 5, kFaultLibn | kFaultImater},
      {false, kNBAR1, -2, kFaultBarCount},    {false, kN1, 200000, kFaultRecordSize},
      {true, kNBAR1, 1, kFaultBarCount},      {true, kNBAR2, 1, kFaultBarCount},
      {true, kNBAR1, 0, 0},                   {true, kN2, 0, kFaultMeshCount},
      {true, kT2, 0, kFaultThickness},        {true, kT2, 8, kFaultThickness},  // no core across UU
      {true, kHOOP2, 0, 0},                   {true, kFPC, -4000, kFaultStrength},
      {true, kFPC, 12990, 0},                 {true, kFPC, 13000, kFaultStrength},
      // Values whose products leave the REAL range, and options that give a
      // segment no stiffness.
      {false, kHOOP2, 1.0e38f, kFaultHoop},   {false, kHOOP2, 1.0e-4f, kFaultHoop},
      {false, kD1, 2.0e4f, kFaultDimension},  {false, kT2, 1.0e38f, kFaultThickness | kFaultDimension},
      {false, kECCX0, -2.0e4f, kFaultDimension}, {false, kECCY0, -1.0e4f, 0},
      {true, kRHOOPSPA, 1.0e38f, kFaultDimension}, {true, kRHOOPSPA, 4.0f, 0},
      {true, kDBAR1, -1.0f, kFaultDimension}, {true, kSPLICE, 1.0e38f, kFaultDimension},
      {true, kHOOP1, 1.5f, kFaultRatio},      {true, kHOOP2, -0.01f, kFaultRatio},
      {true, kEM, 1.0e38f, kFaultSteel},      {false, kEM, 0.0f, kFaultSteel},
      {true, kYSHOOP, -1.0f, kFaultSteel},    {false, kYS, 2.0e12f, kFaultSteel},
      {false, kISTIF, 2, kFaultIstif},        {true, kISTIF, -1, kFaultIstif},
      {true, kISTIF, 1, 0},
  };
  for (const Case& c : cases) {
    Head h = c.rect ? rectangular_head() : circular_head();
    h[static_cast<std::size_t>(c.word)] = c.value;
    EXPECT_EQ(head_faults(h.data(), 17), c.fault) << (c.rect ? "rect" : "circ") << " word " << c.word << " = " << c.value;
  }
}

TEST(RcSectionHead, SpliceNeedsBarsAndShortSegmentsNeedRoom) {
  Head h = circular_head();
  h[kSPLICE] = 30;
  EXPECT_EQ(head_faults(h.data(), 170), 0u);
  h[kNBAR1] = 0;
  EXPECT_EQ(head_faults(h.data(), 170), kFaultSplice);

  h = rectangular_head();  // the rectangle's splice strength comes from its top bars
  h[kSPLICE] = 30;
  EXPECT_EQ(head_faults(h.data(), 17), 0u);
  h[kDBAR1] = 0;
  EXPECT_EQ(head_faults(h.data(), 17), kFaultSplice);
  h[kDBAR1] = 1;
  h[kNBAR1] = 0;
  EXPECT_EQ(head_faults(h.data(), 17), kFaultSplice);

  h = circular_head();
  h[kNSEG] = 6;
  h[kSMALL] = 25;
  EXPECT_EQ(head_faults(h.data(), 17), 0u);  // no member length yet
  EXPECT_EQ(head_faults(h.data(), 17, 100.0f), kFaultShortSegments);
  EXPECT_EQ(head_faults(h.data(), 17, 101.0f), 0u);
  h[kNSEG] = 4;  // every segment is a short one
  EXPECT_EQ(head_faults(h.data(), 17, 100.0f), 0u);
}

// ------------------------------------------------------------------ decks


// Circle, LIBN 2, NSEG 4, NQ 3, NLAY 5, 12 bars: NUMP 76. The record runs over three lines.
const char* const kCircularSet =
    "'R/CONCRETE1' 4 60000. 29000000. 2 24.0 1.5 0.0 0.0 3 5 4000. 0.5 4.0 0.95 1.0\n"
    "  0 0.5 0.001 0.001 452.0 1 2 0.01 1 1.2E6 0.001 1\n"
    "  12 0. 0 0. 0 0. 60000. 1. 0.0 0.0 0.09 0. 0. 0.0 0.0\n";
// Rectangle, LIBN 3, NSEG 1, NU = NH = 2, 3 + 3 bars, 1 side bar each side: NUMP 44.
const char* const kRectangularSet =
    "'R/CONCRETE2' 1 60000. 29000000. 3 24.0 16.0 0.0 0.0 2 2 4000. 0.01 0.015 0.75 1.5\n"
    "  0 0.5 0.001 0.001 384.0 1 3 0.01 1 1.2E6 0.001 1\n"
    "  3 1.0 3 1.0 1 1.0 60000. 1. 0.0 0.0 0.09 0.5 4.0 0.0 0.0\n";

using kvtest::has;
using kvtest::memory_iz;

std::string deck(const std::string& sets, int nsets) { return kvtest::section_set_deck("RC SECTION SETS", sets, nsets); }

TEST(RcSectionInput, EchoesBothTablesAndReservesBothRecords) {
  const auto r = kvtest::run_deck(deck(std::string(kCircularSet) + kRectangularSet, 2), "rc_sets");
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string& o = r.output;
  EXPECT_TRUE(has(o, "\n\n\n\n R/CONCRETE1 ELEMENT\n ===================\n\n\n MAT. NO.    =  1   R/C CIRCULAR SECTION\n"));
  EXPECT_TRUE(has(o, " NSEG        =         4         YS          = 6.000E+04\n"));
  EXPECT_TRUE(has(o, " ELE #/QT,LAY=         3         NO.OF LAYERS=         5\n"));
  EXPECT_TRUE(has(o, " L.BAR DIA.  = 1.000E+00         IECOP       =         0\n"));
  EXPECT_TRUE(has(o, " NUMP        =        76         SMALL       = 5.000E-01\n"));
  EXPECT_TRUE(has(o, " PCMAX       = 0.000E+00         NLBAR       =        12\n"));
  EXPECT_TRUE(has(o, " STR. PERIOD = 0.000E+00         SPLICE LEN. = 0.000E+00\n\n\n"));

  EXPECT_TRUE(has(o, " R/CONCRETE2 ELEMENT\n ===================\n\n\n MAT. NO.    =  2   R/C RECTANGULAR SECTION\n"));
  EXPECT_TRUE(has(o, " SEC. HH     = 2.400E+01         SEC. UU     = 1.600E+01\n"));
  EXPECT_TRUE(has(o, " F\"C         = 4.000E+03         V/R in U DIR= 1.000E-02\n"));
  EXPECT_TRUE(has(o, " NUMP        =        44         SMALL       = 5.000E-01\n"));
  EXPECT_TRUE(has(o, " TOT.S.B.(EA)=         1         SIDE BAR DIA= 1.000E+00\n"));
  EXPECT_TRUE(has(o, " YSHOOP      = 6.000E+04         IELAS       = 1.000E+00\n"));
  EXPECT_TRUE(has(o, " RHOOPSPA    = 4.000E+00         STR. PERIOD = 0.000E+00\n SPLICE LEN. = 0.000E+00\n\n\n"));
  EXPECT_FALSE(has(o, "*** MAT. NO."));

  // Against the same model without sets: two more MATPTR words and the two
  // records, type word included: type 17, N 4, P 76: 9218; type 170, N 1, P 44: 2673.
  const auto bare = kvtest::run_deck(deck("", 0), "rc_none");
  ASSERT_EQ(bare.status, 0);
  EXPECT_EQ(memory_iz(o) - memory_iz(bare.output), 2 + 9219 + 2674);
}

TEST(RcSectionInput, HeadingOnEachChangeOfType) {
  const auto r = kvtest::run_deck(deck(std::string(kCircularSet) + kCircularSet + kRectangularSet + kCircularSet, 4),
                                  "rc_headings");
  ASSERT_EQ(r.status, 0);
  std::size_t n1 = 0, n2 = 0;
  for (std::size_t p = 0; (p = r.output.find(" R/CONCRETE1 ELEMENT\n", p)) != std::string::npos; ++p) ++n1;
  for (std::size_t p = 0; (p = r.output.find(" R/CONCRETE2 ELEMENT\n", p)) != std::string::npos; ++p) ++n2;
  EXPECT_EQ(n1, 2u);
  EXPECT_EQ(n2, 1u);
  EXPECT_TRUE(has(r.output, " MAT. NO.    =  4   R/C CIRCULAR SECTION\n"));
}

TEST(RcSectionInput, UnusableSetsAreReportedAndTheRunGoesOn) {
  // Set 1: LIBN 4. Set 2: one top bar and IECOP 2. Set 3 is good and still read in step.
  std::string bad_libn = kCircularSet;
  bad_libn.replace(bad_libn.find(" 2 24.0"), 7, " 4 24.0");
  std::string bad_rect = kRectangularSet;
  bad_rect.replace(bad_rect.find("  3 1.0 3"), 9, "  1 1.0 3");
  bad_rect.replace(bad_rect.find("\n  0 0.5"), 8, "\n  2 0.5");
  const auto r = kvtest::run_deck(deck(bad_libn + bad_rect + kCircularSet, 3), "rc_bad");
  // Two sets rejected: the run goes on to its end but says so in its status and count.
  ASSERT_EQ(r.status, kv::kStatusFaults) << r.output;
  EXPECT_TRUE(has(r.console, "R/C MATERIAL SET    1 CANNOT BE USED")) << r.console;
  EXPECT_TRUE(has(r.console, "R/C MATERIAL SET    2 CANNOT BE USED")) << r.console;
  EXPECT_FALSE(has(r.console, "R/C MATERIAL SET    3")) << r.console;
  EXPECT_TRUE(has(r.console, " ***     2 ERROR AND     0 WARNING")) << r.console;
  const std::string& o = r.output;
  EXPECT_TRUE(has(o, " MAT. NO.    =  1 IS NOT AVAILABLE LIBN=  0.400E+01 CHECK LIBN \n\n"));
  EXPECT_TRUE(has(o, " *** MAT. NO.    =  1: IMATER MUST EQUAL LIBN\n"));
  EXPECT_TRUE(has(o, " *** MAT. NO.    =  2: TOP AND BOTTOM BARS MUST BE 0 OR AT LEAST 2, NO COUNT NEGATIVE\n"));
  EXPECT_TRUE(has(o, " *** MAT. NO.    =  2: IECOP MUST BE 0 OR 1\n"));
  EXPECT_TRUE(has(o, " *** MAT. NO.    =  2: THE SET CANNOT BE USED; AN ELEMENT THAT NAMES IT IS REJECTED\n"));
  EXPECT_FALSE(has(o, " *** MAT. NO.    =  3"));
  EXPECT_TRUE(has(o, " MAT. NO.    =  3   R/C CIRCULAR SECTION\n"));
  EXPECT_TRUE(has(o, " NUMP        =        76"));
}

TEST(RcSectionInput, WholeNumberFieldWithAPointIsUnreadable) {
  std::string set = kCircularSet;
  set.replace(set.find("'R/CONCRETE1' 4 "), 16, "'R/CONCRETE1' 4. ");
  const auto r = kvtest::run_deck(deck(set, 1), "rc_point");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.output, " UNREADABLE VALUE IN MATERIAL SET    1:\n 'R/CONCRETE1' 4. 60000."));
}

}  // namespace
