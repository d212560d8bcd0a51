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

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The six values of a node (1 to 9) in every displacement table of the report.
std::vector<std::vector<double>> node_values(const std::string& out, int node) {
  std::vector<std::vector<double>> v;
  const std::string header = "GCS DISPLACEMENTS";
  const std::string start = "\n         " + std::to_string(node) + " ";
  for (std::size_t at = out.find(header); at != std::string::npos; at = out.find(header, at + 1)) {
    const std::size_t line = out.find(start, at);
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
  const auto tip = node_values(r.output, 2);
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

// The box with its local-buckling switch shortened 0.01 in a step (EA/L =
// 5.51E6: 55,100 lb a step). Step 18 takes the strain to 0.0018, past
// YS/EM = 0.001724: every corner yields, case 5 (buckled) is raised at that
// step and at every step after it, and is reported once, with the forces of
// the step before (17 x 55,100 = 936,700). The step that leaves the elastic
// band runs whole at RATIO3 EM: +1102 lb a step from there on.
TEST(Stability2Deck, LocalBucklingOfTheSquashedBoxIsReportedOnce) {
  const auto r = kvtest::run_deck(kvtest::read_file(kvtest::case_path("stability2_sol4_local_buckling.dat")),
                                  "stability2_squash");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string& o = r.output;
  EXPECT_EQ(count(o, "**** STABILITY ELEMENT          1 BUCKLED"), 1) << o;
  EXPECT_EQ(count(o, "STABILITY ELEMENT          1REACHES"), 0);  // no first-yield code of its own
  EXPECT_NE(o.find(" LIMIT STATE POINT 3 DEFINED DUE TO ELEMENT NO     1 AT STEP=   18"), std::string::npos);
  std::vector<double> axial;
  for (std::size_t at = o.find("    1  FORCE     1"); at != std::string::npos; at = o.find("    1  FORCE     1", at + 1)) {
    std::istringstream in(o.substr(at + 18, 15));
    double v = 0;
    in >> v;
    axial.push_back(v);
  }
  // Steps 1-17, the event (step 17's forces), steps 18-20.
  ASSERT_GE(axial.size(), 21u);
  for (std::size_t k = 0; k < 17; ++k) EXPECT_NEAR(axial[k], 55100.0 * static_cast<double>(k + 1), 0.5) << k;
  EXPECT_NEAR(axial[17], 936700.0, 0.5);
  EXPECT_NEAR(axial[18], 936700.0 + 1102.0, 0.5);
  EXPECT_NEAR(axial[19], 936700.0 + 2 * 1102.0, 0.5);
  EXPECT_NEAR(axial[20], 936700.0 + 3 * 1102.0, 0.5);
  const std::string u50 = kvtest::read_file(r.dir / "tempControlPoints.out");
  EXPECT_EQ(count(u50, "\n"), 2) << u50;
  EXPECT_NE(u50.find("      5.00   0.936700E+06"), std::string::npos) << u50;
}

// An end rotation with the shortening yields the corners of one web first:
// local-buckling case 4 (corners 3 and 4, the twin of case 3) at step 17,
// reported once as its twin is (nominal moment, point 2, units 49 and 50),
// then case 5 at step 19, once.
TEST(Stability2Deck, EveryLocalBucklingCaseIsReportedOnce) {
  const auto r = kvtest::run_deck(kvtest::read_file(kvtest::case_path("stability2_sol4_case4.dat")),
                                  "stability2_case4");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string& o = r.output;
  EXPECT_EQ(count(o, "**** STABILITY ELEMENT          1REACHES NOMINAL MOMENT, AT WHICH"), 1) << o;
  EXPECT_EQ(count(o, "**** STABILITY ELEMENT          1 BUCKLED"), 1);
  EXPECT_NE(o.find(" LIMIT STATE POINT 2 DEFINED DUE TO ELEMENT NO     1 AT STEP=   17"), std::string::npos);
  const std::string u50 = kvtest::read_file(r.dir / "tempControlPoints.out");
  const std::string u49 = kvtest::read_file(r.dir / "tempPMCurve.out");
  EXPECT_EQ(count(u50, "      4.00"), 1) << u50;
  EXPECT_EQ(count(u50, "      5.00"), 1) << u50;
  EXPECT_EQ(count(u49, "      4.00"), 1) << u49;
}

// The pinned column of L 480 in 8 segments with a half-sine
// out-of-straightness d0 = L/1000, loaded to 0.5, 0.8 and 0.9 of the mesh's
// Euler load (354,575 lb) in 50 steps each: the end rotation of the closed
// form is pi d0/L a/(1 - a) = 3.1416E-03, 1.2566E-02, 2.8274E-02. The member's
// tangent lags its state by a step, so the rotations fall short of it, by
// less than 8 %; the member does not buckle.
TEST(Stability2Deck, ImperfectPinnedColumnFollowsTheAmplifiedHalfSine) {
  const auto r = kvtest::run_deck(kvtest::read_file(kvtest::case_path("stability2_sol4_pinned_column.dat")),
                                  "stability2_pinned");
  ASSERT_EQ(r.status, 0) << r.console;
  const auto base = node_values(r.output, 1);
  ASSERT_GE(base.size(), 3u) << r.output;
  const double alpha[3] = {0.5, 0.8, 0.9};
  for (std::size_t k = 0; k < 3; ++k) {
    const double closed = 3.14159265 / 1000.0 * alpha[k] / (1.0 - alpha[k]);
    const double th = std::fabs(base[k][3]);
    EXPECT_LT(th, closed) << alpha[k];
    EXPECT_GT(th, 0.92 * closed) << alpha[k];
  }
  EXPECT_EQ(r.output.find(" BUCKLED"), std::string::npos);
  EXPECT_EQ(r.output.find("REACHES"), std::string::npos);
}

}  // namespace
