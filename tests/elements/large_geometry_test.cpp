// Decks whose coordinates or reference vectors lie near the float range: the
// element axes and lengths are formed as for ordinary sizes, and what is
// still beyond the range rejects the element; no report prints NaN.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

std::string deck_with(const std::string& name, const std::string& from, const std::string& to) {
  std::string deck = kvtest::read_file(kvtest::case_path(name));
  const std::size_t at = deck.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) deck.replace(at, from.size(), to);
  return deck;
}

// The numbers of the line that starts with the node ID, after the header.
std::vector<double> node_values(const std::string& out, const std::string& header, int node) {
  std::size_t at = out.find(header);
  if (at == std::string::npos) return {};
  std::istringstream in(out.substr(at));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream w(line);
    int id = 0;
    if (!(w >> id) || id != node) continue;
    std::vector<double> v;
    for (double x; w >> x;) v.push_back(x);
    return v;
  }
  return {};
}

void expect_no_nan(const kvtest::RunResult& r) {
  EXPECT_EQ(r.output.find("NaN"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("Inf"), std::string::npos) << r.output;
}

// Springs of KE = 1000 in a chain scaled by 1.0E20: each stretches by
// P L / KE, so the joints move 1.0E20 and 3.0E20 under 100 lb; the brace
// keeps its own stiffness and moves 0.5.
TEST(LargeGeometry, SpringChainScaledBy1E20) {
  const auto r = kvtest::run_deck(deck_with("sol1_spring_chain.dat", "4 1 3 0 0 1.0\n", "4 1 3 0 0 1.0E20\n"),
                                  "spring_chain_1e20");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string header = "GCS DISPLACEMENTS,  LOADING #    1";
  const auto u2 = node_values(r.output, header, 2);
  const auto u3 = node_values(r.output, header, 3);
  const auto u4 = node_values(r.output, header, 4);
  ASSERT_EQ(u2.size(), 6u) << r.output;
  ASSERT_EQ(u3.size(), 6u);
  ASSERT_EQ(u4.size(), 6u);
  EXPECT_NEAR(u2[0], 1.0e20, 1e-4 * 1.0e20);
  EXPECT_NEAR(u3[0], 3.0e20, 1e-4 * 3.0e20);
  EXPECT_NEAR(u4[1], 0.5, 1e-4 * 0.5);
  expect_no_nan(r);
}

// A reference vector of 1.0E38 is the direction (0, 1, 0): the cantilever
// deflects P L^3 / 3EI and turns P L^2 / 2EI as with VY = (0, 1, 0).
TEST(LargeGeometry, HugeReferenceVectorIsADirection) {
  const auto r = kvtest::run_deck(
      deck_with("sol1_cantilever.dat", "'B1' 1 1 2 0.0 1.0 0.0", "'B1' 1 1 2 0.0 1.0E38 0.0"), "cantilever_vy_1e38");
  ASSERT_EQ(r.status, 0) << r.console;
  const double p = 1000.0, l = 100.0, ei = 29.0e6 * 100.0;
  const auto tip = node_values(r.output, "GCS DISPLACEMENTS,  LOADING #    1", 2);
  ASSERT_EQ(tip.size(), 6u) << r.output;
  EXPECT_NEAR(tip[1], p * l * l * l / (3 * ei), 1e-4 * p * l * l * l / (3 * ei));
  EXPECT_NEAR(tip[5], p * l * l / (2 * ei), 1e-4 * p * l * l / (2 * ei));
  expect_no_nan(r);
}

// Joints 1.0E22 apart: the member is formed with its length (its bending
// stiffness is below the float range, which the solver then reports).
TEST(LargeGeometry, MemberOf1E22IsFormed) {
  const auto r = kvtest::run_deck(deck_with("sol1_cantilever.dat", "2 1 1 0 0 1.0\n", "2 1 1 0 0 1.0E20\n"),
                                  "cantilever_scale_1e20");
  EXPECT_NE(r.output.find("     1     1     1     2" + std::string(8, ' ') +
                          "  1.0000E+22  0.00000 I  1.00000 J  0.00000 K"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("THE ELEMENT IS REJECTED"), std::string::npos);
  expect_no_nan(r);
}

// Joints 6.0E38 apart have no length in single precision: the member is
// rejected, and its echo shows no Infinity.
TEST(LargeGeometry, MemberBeyondTheFloatRangeIsRejected) {
  std::string deck = deck_with("sol1_cantilever.dat", "1 0.0 0.0 0.0 1 0\n", "1 -3.0E38 0.0 0.0 1 0\n");
  const std::size_t at = deck.find("2 100.0 0.0 0.0 1 0\n");
  ASSERT_NE(at, std::string::npos);
  deck.replace(at, 20, "2 3.0E38 0.0 0.0 1 0\n");
  const auto r = kvtest::run_deck(deck, "cantilever_beyond_range");
  EXPECT_NE(r.output.find("  ELEMENT:      1  START JOINT:    1  END JOINT:    2\n"
                          " THE ELEMENT IS REJECTED AND ERROR CHECKING CONTINUES"),
            std::string::npos)
      << r.output;
  expect_no_nan(r);
}

// A spring between nodes 6.0E38 apart has no axis: it is rejected with the
// axes' message and no echo line, and the next spring goes on.
TEST(LargeGeometry, SpringBeyondTheFloatRangeIsRejected) {
  std::string deck = deck_with("sol1_spring_chain.dat", "1 0.0 0.0 0.0 1 0\n", "1 -3.0E38 0.0 0.0 1 0\n");
  const std::size_t at = deck.find("2 10.0 0.0 0.0 1 0\n");
  ASSERT_NE(at, std::string::npos);
  deck.replace(at, 19, "2 3.0E38 0.0 0.0 1 0\n");
  const auto r = kvtest::run_deck(deck, "spring_beyond_range");
  // The rejected first spring still brings the table heading, under which S2 follows.
  EXPECT_NE(r.output.find(" VY IS PARAELL TO VX, REINPUT VY\n\n ELEMENT 02, ONE (LOCAL) DOF SPRING ELEMENT\n"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("  START DIST    END DIST\n S2 "), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find(" S1 "), std::string::npos);
  expect_no_nan(r);
}

}  // namespace
