// "STABILITY2" members end to end: the cantilever column of the box 10 x 10
// x 0.5 (mesh EI 29e6 x 285.4258, EA 29e6 x 19, J by Bredt 4 A0^2 t / s)
// cut into four segments with sections at both ends of each, and the stop of
// a tapered member asked for stability functions.
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

// The six values of node 2 in every displacement table of the report.
std::vector<std::vector<double>> tip_lines(const std::string& out) {
  std::vector<std::vector<double>> v;
  const std::string header = "GCS DISPLACEMENTS,  LOADING";
  for (std::size_t at = out.find(header); at != std::string::npos; at = out.find(header, at + 1)) {
    const std::size_t line = out.find("\n         2 ", at);
    if (line == std::string::npos) break;
    std::istringstream in(out.substr(line + 1, out.find('\n', line + 1) - line - 1));
    double node = 0;
    std::vector<double> d(6);
    in >> node >> d[0] >> d[1] >> d[2] >> d[3] >> d[4] >> d[5];
    v.push_back(d);
  }
  return v;
}

TEST(Stability2Deck, ElasticCantileverGivesTheBeamValues) {
  const auto r = kvtest::run_deck(kvtest::read_file(kvtest::case_path("stability2_sol1_cantilever.dat")),
                                  "stability2_cantilever");
  ASSERT_EQ(r.status, 0) << r.console;
  constexpr double kL = 120.0, kEi = 29.0e6 * 285.4258, kEa = 29.0e6 * 19.0;
  const double gj = 11.2e6 * 4.0 * 90.25 * 90.25 * 0.5 / 38.0;
  const auto tip = tip_lines(r.output);
  ASSERT_EQ(tip.size(), 3u) << r.output;
  struct Row {
    std::size_t load, dof;
    double value;  // by hand
  };
  for (const Row& row : {Row{0, 0, 1000.0 * kL * kL * kL / (3 * kEi)},  // 6.95875E-02
                         Row{0, 4, 1000.0 * kL * kL / (2 * kEi)},       // 8.69844E-04
                         Row{1, 2, -10000.0 * kL / kEa},                 // -2.17786E-03
                         Row{2, 5, 10000.0 * kL / gj}}) {                // 2.49932E-04
    EXPECT_NEAR(tip[row.load][row.dof], row.value, 1e-5 * std::fabs(row.value)) << row.load << " " << row.dof;
  }
  for (std::size_t dof : {1u, 2u, 3u, 5u}) EXPECT_EQ(tip[0][dof], 0.0) << dof;
  EXPECT_NE(r.output.find(" STABILITY2 ELEMENT"), std::string::npos);
  EXPECT_EQ(r.output.find("NaN"), std::string::npos);
}

TEST(Stability2Deck, StabilityFunctionsStopTheSetUpOfATaperedMember) {
  const auto r = kvtest::run_deck(kvtest::read_file(kvtest::case_path("stability2_istif0.dat")),
                                  "stability2_istif0");
  EXPECT_EQ(r.status, 1) << r.console;
  EXPECT_NE(r.output.find(" ****NOTE: ISTIF =0 FOR ELEMENT    1 SEG. NO.    1\n"
                          " ISTIF=0 IS NOT AVAILABLE FOR TAPER BEAM STIFFNESS MATRIX\n"
                          " PROGRAM STOP\n"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("GCS DISPLACEMENTS"), std::string::npos);  // no solution ran
}

}  // namespace
