// Bad input that once made the solutions loop, overflow or print Infinity:
// generated history requests and initial conditions, a load step too small to
// move the load factor, ground records far longer than the series, huge
// history intervals read back, and statistics of huge values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "solutions/dynamic/ground_motion.h"
#include "support/test_support.h"

namespace {

int count_of(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size())) ++n;
  return n;
}

// Two nodes and a spring along X: node 2 has FX free (equation 1), node 1 is
// fixed. The text after it is the solution.
const std::string kSpringModel =
    "STR\n'SDOF'\n2 1 2 0 0 1.0\n1 0.0 0.0 0.0 1 0\n2 1.0 0.0 0.0 1 0\n1.0 0.0 0.0 0.0 1.0 0.0\n"
    "1 1 1 1 1 1 1 0 0\n2 0 1 1 1 1 1 0 0\n1\nELSPLS 100.0 50.0 0.0 10.0 0.1\n0 0 0 F\n1\n"
    "SPRING 'S1' 1 1 2 1 0.0 0.0 1.0 0.0 0.0 0.0 0\n";

std::string no_mass() { return kSpringModel + "0 0 F\n0.0 0.0\n"; }

// A generation stops at the first request that could name nothing valid,
// with one line; increments that would overflow are taken in 64 bits.
TEST(HistoryRequestGeneration, EndsWhenNoValidTargetIsLeft) {
  const std::string deck = no_mass() +
                           "SOL4\n'REQUESTS'\n0 1 1 F 0.0\n"
                           "SUMRCT 0 23 2147483647 0 0\n"   // the same request again and again
                           "DOF 12 24 5 1 0\n"              // 12 equations: 13 does not exist
                           "DOF 1 25 3 2147483647 1\n"      // the ID would pass the int range
                           "ENERGY 0 59 3 0 1\n"            // 59, 60, then 61 is no side file
                           "END\n"
                           "1 2 0 0 FX 1.0\n0 0 0 0 END 0\n'A' 1.0 0.0 0.0 1\n'END' 0 0 0 0\nSTOP\n";
  const kvtest::RunResult r = kvtest::run_deck(deck, "histgen");
  // Requests the input asked for were not made: the run says so.
  ASSERT_EQ(r.status, 3) << r.output;
  EXPECT_EQ(count_of(r.console, "WARNING AT INPUT LINE"), 4) << r.console;
  EXPECT_EQ(count_of(r.output, "GENERATION ENDS"), 4) << r.output;
  EXPECT_NE(r.output.find("2147483647 REQUESTS LEFT: THE INCREMENTS REPEAT THE SAME REQUEST"), std::string::npos);
  EXPECT_NE(r.output.find("         5 REQUESTS LEFT: THE NEXT ID IS OUTSIDE THE MODEL"), std::string::npos);
  EXPECT_NE(r.output.find("         3 REQUESTS LEFT: THE NEXT ID IS OUTSIDE THE MODEL"), std::string::npos);
  EXPECT_NE(r.output.find("         2 REQUESTS LEFT: THE NEXT UNIT IS NOT 10 TO 60"), std::string::npos);
  // No generated request was turned down one by one.
  EXPECT_EQ(r.output.find("INVALID INPUT"), std::string::npos) << r.output;
  EXPECT_EQ(count_of(r.output, "IS WRITTEN TO UNIT"), 5);
}

// Initial conditions: INC 0 sets the node once; an increment beyond the int
// range names a node that is simply not there.
TEST(InitialConditionGeneration, IncrementZeroOnceAndHugeIncrementNotFound) {
  const std::string deck = no_mass() +
                           "SOL2\n'INITIAL'\nLINEAR 0.0 F F\n1 0 10 F\n0.0 0.01 0.02 386.4\n0\n"
                           "2 2147483647 0 DISPL 0.1 0.0 0.0 0.0 0.0 0.0\n"
                           "2 1 2147483647 VELOC 0.5 0.0 0.0 0.0 0.0 0.0\n"
                           "0 0 0 END\n0 1.0 0.0 0.01 F\n1.0 0.0 0.0 0.0 1.0 0.0\nSTOP\n";
  const kvtest::RunResult r = kvtest::run_deck(deck, "initgen");
  ASSERT_EQ(r.status, 3) << r.output;
  EXPECT_NE(r.output.find("INC 0 REPEATS NODE # 2 , GENERATION ENDS"), std::string::npos) << r.output;
  // 2 + 2147483647 = 2147483649, not a wrapped negative ID.
  EXPECT_NE(r.output.find("NODE # 2147483649  WAS NOT FOUND"), std::string::npos) << r.output;
  // Both records still set equation 1.
  EXPECT_NE(r.output.find("1   0.000000E+00   0.100000E+00   0.500000E+00"), std::string::npos) << r.output;
}

// A step that cannot change the float load factor ends its record with a
// message instead of repeating for ever (1e8 - 0.1 == 1e8 in float).
TEST(StaticNonlinearSteps, IncrementBelowTheFactorSpacingEndsTheRecord) {
  const std::string deck =
      "STR\n'LINEAR SPRING'\n2 1 2 0 0 1.0\n1 0.0 0.0 0.0 1 0\n2 1.0 0.0 0.0 1 0\n1.0 0.0 0.0 0.0 1.0 0.0\n"
      "1 1 1 1 1 1 1 0 0\n2 0 1 1 1 1 1 0 0\n1\nELSPLS 100.0 1.0E30 0.0 10.0 0.1\n0 0 0 F\n1\n"
      "SPRING 'S1' 1 1 2 1 0.0 0.0 1.0 0.0 0.0 0.0 0\n0 0 F\n0.0 0.0\n"
      "SOL4\n'FACTOR CANNOT MOVE'\n0 1000000 0 F 0.0\n1 2 0 0 FX 1.0\n0 0 0 0 END 0\n"
      "'UP' 1.0E8 0.0 0.0 1\n'DOWN' 0.0 0.0 0.001 0\n'END' 0.0 0.0 0.0 0\nSTOP\n";
  const kvtest::RunResult r = kvtest::run_deck(deck, "stall");
  // The record stopped short of its target: the run says so.
  ASSERT_EQ(r.status, 3) << r.output;
  EXPECT_NE(r.console.find("LOAD-STEP RECORD ENDS SHORT OF ITS TARGET"), std::string::npos) << r.console;
  // DFACT = -1e8 / (1e6 / 0.001) = -0.1.
  EXPECT_NE(r.output.find("*** STEP     2: THE INCREMENT -1.0000E-01 CANNOT CHANGE THE LOAD FACTOR  1.0000E+08"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("THE LOAD-STEP RECORD DOWN       ENDS HERE"), std::string::npos);
  EXPECT_NE(r.output.find("MAXIMUM DISPLACEMENTS"), std::string::npos);  // the solution ends normally
}

// A record announcing 2^31 - 1 points with three in the file: read in bounded
// chunks, it ends at the end of the data like any short record.
TEST(GroundRecord, HugePointCountIsSteppedPastInChunks) {
  const std::string deck = no_mass() +
                           "SOL2\n'NPTS HUGE'\nLINEAR 0.0 F F\n1 0 10 F\n0.0 0.01 0.02 386.4\n0\n0 0 0 END\n"
                           "1 1.0 0.0 0.01 F\n1.0 0.0 0.0 0.0 1.0 0.0\n5 2147483647 1 F F F\nT1\nT2\n"
                           "0.0 0.1 0.2\n";
  const kvtest::RunResult r = kvtest::run_deck(deck, "npts");
  EXPECT_NE(r.output.find("ONLY     3 POINTS WERE READ BEFORE END OF FILE WAS ENCOUNTERED"), std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("THE RECORD CONTAINS     10 POINTS"), std::string::npos);
}

// "READ" of a file whose interval is 2^30: the step counts pass the int range
// and keep growing; times are step x DT.
TEST(HistoryReadBack, HugeIntervalCountsStepsIn64Bits) {
  const std::string deck =
      "STR\n'X'\n1 1 0 0 0 1.0\n1 0.0 0.0 0.0 1 0\n1.0 0.0 0.0 0.0 1.0 0.0\n1\nPOINT\n1000.0 2000.0 3000.0\n"
      "1.0E5 1.0E5 1.0E5\n500.0 0.0 0.0\n0.0 0.0 0.0\n0.0 0.0 0.0\n0.0 0.0 0.0\n0.0 0.0 0.0\n0 0 0 F\n1\n"
      "POINT 'SUPPORT' 1 1 -1.0 1.0 0.0 1.0 1.0 0.0 0\n0 0 F\n0.0 0.0\n'READ UNIT=40'\nSTOP\n";
  const auto dir = kvtest::fresh_dir("readstep");
  kvtest::write_file(dir / "input.dat", deck);
  kvtest::write_file(dir / "temp40.out",
                     "T1\nT2\nT3\nT4\n         1         11073741824    0.00000E+00    1.00000E-02\n"
                     "  1.0 2.0 3.0 4.0\n  1.0 2.0 3.0 4.0\n  1.0 2.0 3.0 4.0\n  1.0 2.0 3.0 4.0\n");
  kvtest::RunResult r = kvtest::run_with_answers(dir, dir.string() + "\ninput.dat\noutput.out\n");
  ASSERT_EQ(r.status, 0) << r.console;
  r.output = kvtest::read_file(dir / "output.out");
  // Steps 0, 2^30, 2^31, 3 x 2^30; the last three are wider than I6.
  EXPECT_NE(r.output.find("         0    0.00000E+00    1.00000E+00"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("    ******    1.07374E+07    1.00000E+00"), std::string::npos);
  EXPECT_NE(r.output.find("    ******    2.14748E+07    1.00000E+00"), std::string::npos);
  EXPECT_NE(r.output.find("    ******    3.22123E+07    1.00000E+00"), std::string::npos);
  EXPECT_EQ(r.output.find("-2.14748E+07"), std::string::npos);
}

// Squares of values beyond about 1.8e19 overflow a float; the statistics stay
// finite. Values 0, 1e20, 0: mean 1e20/3, STD sqrt((3e40 - 1e40) / 6) =
// 5.7735e19, RMS sqrt(1e40 / 3) = 5.7735e19.
TEST(Sersta, HugeValuesGiveFiniteStdAndRms) {
  const std::vector<float> x{0.0f, 1.0e20f, 0.0f};
  const solutions::SeriesStats s = solutions::sersta(3, 0.01f, x.data());
  EXPECT_FLOAT_EQ(s.avg, 1.0e20f / 3.0f);
  EXPECT_FLOAT_EQ(s.std, 5.7735027e19f);
  EXPECT_FLOAT_EQ(s.rms, 5.7735027e19f);
  const std::vector<float> top{3.0e38f, -3.0e38f};
  const solutions::SeriesStats t = solutions::sersta(2, 1.0f, top.data());
  // STD = sqrt(2 x 1.8e77 / 2) = 4.2e38 lies beyond the float range.
  EXPECT_EQ(t.std, std::numeric_limits<float>::max());
  EXPECT_FLOAT_EQ(t.rms, 3.0e38f);
}

}  // namespace
