// Bad model input that once looped, overflowed or gave NaN axes: lumped-mass
// generation, counts at the int limit, cosine sets of huge components.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace {

int count_of(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size())) ++n;
  return n;
}

// Two nodes, node 2 free in FX, one spring; cosine set 1 and the lumped-mass
// records are given, then a free-vibration solution.
std::string spring_deck(const std::string& cosines, const std::string& masses, int nmass) {
  return "STR\n'SDOF'\n2 1 2 0 0 1.0\n1 0.0 0.0 0.0 1 0\n2 1.0 0.0 0.0 1 0\n" + cosines +
         "\n1 1 1 1 1 1 1 0 0\n2 0 1 1 1 1 1 0 0\n1\nELSPLS 100.0 50.0 0.0 10.0 0.1\n0 0 0 F\n1\n"
         "SPRING 'S1' 1 1 2 1 0.0 0.0 1.0 0.0 0.0 0.0 0\n" +
         std::to_string(nmass) + " 1 F\n" + masses + "0.0 0.0\nSOL3\n'FREE VIBRATION'\nFREQ 1 1\nSTOP\n";
}

std::string frequency_line(const std::string& out) {
  const std::size_t p = out.find("FREQ (RAD/SEC):");
  return p == std::string::npos ? std::string() : out.substr(p, out.find('\n', p) - p);
}

// INC 0 names the same node again: the mass goes on once, as without a
// generation. A generation past the last node ID ends at once, and a missing
// node is reported once per record, not once per generated ID.
TEST(LumpedMassGeneration, IncrementZeroOnceAndNoNodesBeyondTheLast) {
  const std::string axes = "1.0 0.0 0.0 0.0 1.0 0.0";
  const std::string once = kvtest::run_deck(
      spring_deck(axes, "2 2.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0 0\n", 1), "lm_once").output;
  const kvtest::RunResult gen = kvtest::run_deck(
      spring_deck(axes,
                  "2 2.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 2147483647 0\n"
                  "2 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 2147483647 1\n"
                  "7 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 2147483647 -1\n",
                  3),
      "lm_gen");
  ASSERT_EQ(gen.status, 3) << gen.output;
  ASSERT_FALSE(frequency_line(once).empty()) << once;
  EXPECT_EQ(frequency_line(gen.output), frequency_line(once));
  EXPECT_NE(gen.output.find("INC 0 REPEATS NODE # 2 , GENERATION ENDS"), std::string::npos) << gen.output;
  EXPECT_NE(gen.output.find("NO NODE BEYOND NODE # 2 , GENERATION ENDS"), std::string::npos);
  // Node 7 lies beyond the model: reported, then 6, 5, 4, 3 are not each reported.
  EXPECT_EQ(count_of(gen.output, "NODE # 3  WAS NOT FOUND"), 0) << gen.output;
  const int per_pass = count_of(gen.output, "NODE # 7  WAS NOT FOUND");
  EXPECT_GE(per_pass, 1);
  EXPECT_EQ(per_pass, count_of(gen.output, "INC 0 REPEATS NODE # 2"));
}

// A cosine set of components near the float range still gives unit axes:
// VX = (1, 1, 0)/sqrt(2), VZ = VX x (0, 1, 0) along Z, VY = VZ x VX =
// (-1, 1, 0)/sqrt(2).
TEST(CosineSets, HugeComponentsGiveUnitAxes) {
  const kvtest::RunResult r =
      kvtest::run_deck(spring_deck("1e30 1e30 0.0 0.0 1e30 0.0", "2 2.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0 0\n", 1),
                       "cos_huge");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("VX:  0.70711 I +0.70711 J +0.00000 K   VY: -0.70711 I +0.70711 J +0.00000 K   "
                          "VZ:  0.00000 I +0.00000 J +1.00000 K"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("NaN"), std::string::npos);
  // At the top of the float range: VX = (1, 1, 0)/sqrt(2), VY from (0, 1, 1):
  // VZ = (1, -1, 1)/sqrt(3), VY = VZ x VX = (-1, 1, 2)/sqrt(6).
  const kvtest::RunResult top =
      kvtest::run_deck(spring_deck("3e38 3e38 0.0 0.0 3e38 3e38", "2 2.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0 0\n", 1),
                       "cos_top");
  EXPECT_NE(top.output.find("VX:  0.70711 I +0.70711 J +0.00000 K   VY: -0.40825 I +0.40825 J +0.81650 K   "
                            "VZ:  0.57735 I -0.57735 J +0.57735 K"),
            std::string::npos)
      << top.output;
  EXPECT_EQ(top.output.find("NaN"), std::string::npos);
}

// Counts of 2^31 - 1 materials or elements ask for more words than an int
// holds: the storage check reports the true size instead of a wrapped one.
TEST(StructureCounts, CountsAtTheIntLimitExceedTheStorage) {
  struct Case {
    const char* name;
    std::string deck;
  };
  const std::string head = "STR\n'COUNTS'\n2 1 2 0 0 1.0\n1 0.0 0.0 0.0 1 0\n2 1.0 0.0 0.0 1 0\n"
                           "1.0 0.0 0.0 0.0 1.0 0.0\n1 1 1 1 1 1 1 0 0\n2 0 1 1 1 1 1 0 0\n";
  const Case cases[] = {
      {"materials", head + "2147483647\nELSPLS 100.0 50.0 0.0 10.0 0.1\n0 0 0 F\nSTOP\n"},
      {"elements", head + "1\nELSPLS 100.0 50.0 0.0 10.0 0.1\n0 0 0 F\n2147483647\n"
                          "SPRING 'S1' 1 1 2 1 0.0 0.0 1.0 0.0 0.0 0.0 0\nSTOP\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const kvtest::RunResult r = kvtest::run_deck(c.deck, "count");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("***  AVAILABLE STORAGE IS EXCEEDED"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("CANNOT BE RESERVED"), std::string::npos);
    // Required = IZ + 2^31: at least 2147483648.
    const std::size_t p = r.output.find("REQURIED STORAGE =");
    ASSERT_NE(p, std::string::npos);
    EXPECT_GE(std::stoll(r.output.substr(p + 18, 12)), 2147483648LL);
  }
}

}  // namespace
