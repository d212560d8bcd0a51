// PRTDSP: global and joint-frame tables of joint vectors, the envelope layout,
// rebuilt translations of constrained nodes and the title underline.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "solution_harness.h"
#include "solutions/displacement_report.h"

namespace {

using soltest::after;
using soltest::node_line;
using soltest::numbers_of;

// Node 1 restrained at the origin (equations 7-12), node 2 free (1-6).
soltest::NodeModel two_nodes(int icos2) {
  return soltest::build_nodes(2, 2, 1, 0,
                              "1 0.0 0.0 0.0 1 0\n2 10.0 0.0 0.0 " + std::to_string(icos2) +
                                  " 0\n"
                                  "1 0 0 0 1 0\n"
                                  "0 1 0 -1 0 0\n"
                                  "1 1 1 1 1 1 1 0 0\n");
}

std::vector<float> column(const soltest::NodeModel& m, int node, std::vector<float> v6,
                          std::vector<float> base = {}) {
  std::vector<float> d = base.empty() ? std::vector<float>(static_cast<std::size_t>(m.neq), 0.0f) : base;
  for (int j = 1; j <= 6; ++j) d[static_cast<std::size_t>(m.t.id(node, j) - 1)] = v6[static_cast<std::size_t>(j - 1)];
  return d;
}

TEST(Prtdsp, GlobalFramesPrintOneTablePerColumnWithoutMarks) {
  // Set 2 exists but no node uses it: NCOS = 2 is not trivial, so use one set.
  soltest::NodeModel m = soltest::build_nodes(2, 1, 1, 0,
                                              "1 0.0 0.0 0.0 1 0\n2 10.0 0.0 0.0 1 0\n1 0 0 0 1 0\n"
                                              "1 1 1 1 1 1 1 0 0\n");
  std::vector<float> d = column(m, 2, {1, 2, 3, 4, 5, 6});
  std::vector<float> d2 = column(m, 2, {-1, 0, 0, 0, 0, 0});
  d.insert(d.end(), d2.begin(), d2.end());
  solutions::prtdsp(solutions::kPerColumn, m.report(), m.neq, 2, m.l2(), d.data(), "DISPLACEMENTS", "LBL", false);
  const std::string out = after(soltest::finish_output(), "%2E%");
  EXPECT_NE(out.find("  GCS DISPLACEMENTS,  LOADING #    1     LBL\n " + std::string(5 + 14, '=') + "\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("LOADING #    2"), std::string::npos);
  EXPECT_EQ(out.find("JCS"), std::string::npos);
  EXPECT_EQ(out.find('*'), std::string::npos);
  EXPECT_EQ(node_line(out, "LOADING #    1", 2),
            "         2  1.000000E+00   2.000000E+00   3.000000E+00   4.000000E+00   5.000000E+00   6.000000E+00 ");
  EXPECT_EQ(numbers_of(node_line(out, "LOADING #    2", 2)), (std::vector<double>{2, -1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(numbers_of(node_line(out, "LOADING #    2", 1)), (std::vector<double>{1, 0, 0, 0, 0, 0, 0}))
      << "restrained nodes are printed too";
}

TEST(Prtdsp, JointFramesAddTheJointTableWithRestrainedMarks) {
  soltest::NodeModel m = two_nodes(2);
  // Joint-frame displacement of node 2: 1 along its x (global Y), 2 along its
  // y (global -X); node 1 holds a prescribed 0.5 along its x.
  std::vector<float> d = column(m, 2, {1, 2, 0, 0, 0, 3});
  d = column(m, 1, {0.5f, 0, 0, 0, 0, 0}, d);
  solutions::prtdsp(solutions::kPerColumn, m.report(), m.neq, 1, m.l2(), d.data(), "DISPLACEMENTS", "", false);
  const std::string out = after(soltest::finish_output(), "%2E%");
  EXPECT_EQ(numbers_of(node_line(out, "GCS DISPLACEMENTS", 2)), (std::vector<double>{2, -2, 1, 0, 0, 0, 3}));
  EXPECT_EQ(node_line(out, "JCS DISPLACEMENTS", 1),
            "         1  5.000000E-01*  0.000000E+00*  0.000000E+00*  0.000000E+00*  0.000000E+00*  0.000000E+00*"
            "         1");
  EXPECT_EQ(node_line(out, "JCS DISPLACEMENTS", 2),
            "         2  1.000000E+00   2.000000E+00   0.000000E+00   0.000000E+00   0.000000E+00   3.000000E+00 "
            "         2");
  EXPECT_NE(out.find("    NOTE: * DENOTES A RESTRAINED DEGREE OF FREEDOM"), std::string::npos);
}

TEST(Prtdsp, EnvelopeWithJointFramesPrintsOnlyTheJointTable) {
  soltest::NodeModel m = two_nodes(2);
  std::vector<float> d = column(m, 2, {1, 2, 0, 0, 0, 3});
  solutions::prtdsp(solutions::kEnvelope, m.report(), m.neq, 1, m.l2(), d.data(), "MAXIMUM DISPLACEMENTS", "", false);
  const std::string out = after(soltest::finish_output(), "%2E%");
  EXPECT_EQ(out.find("GCS"), std::string::npos) << out;
  EXPECT_NE(out.find("  JCS MAXIMUM DISPLACEMENTS\n " + std::string(5 + 22, '=') +
                     "\n                         NOTE: MAXIMUM VALUES MAY NOT OCCUR SIMULTANEOUSLY\n"),
            std::string::npos)
      << out;
}

TEST(Prtdsp, ConstrainedNodeTranslationsFollowTheMasterRotation) {
  // Node 3 at (0, 5, 0) is a rigid slave of node 2 at the origin: a master
  // rotation RZ = 0.1 moves it by -0.5 along X; RX = 0.2 by 1.0 along Z.
  soltest::NodeModel m = soltest::build_nodes(3, 1, 1, 1,
                                              "1 9.0 0.0 0.0 1 0\n2 0.0 0.0 0.0 1 0\n3 0.0 5.0 0.0 1 0\n"
                                              "1 0 0 0 1 0\n"
                                              "1 1 1 1 1 1 1 0 0\n"
                                              "0 2 3 0 0\n");
  std::vector<float> d = column(m, 2, {0.01f, 0.02f, 0.03f, 0.2f, 0.0f, 0.1f});
  solutions::prtdsp(solutions::kPerColumn, m.report(), m.neq, 1, m.l2(), d.data(), "DISPLACEMENTS", "", false);
  const std::string out = after(soltest::finish_output(), "%2E%");
  const std::vector<double> v = numbers_of(node_line(out, "GCS DISPLACEMENTS", 3));
  ASSERT_EQ(v.size(), 7u) << out;
  EXPECT_NEAR(v[1], 0.01 - 0.5, 1e-6);
  EXPECT_NEAR(v[2], 0.02, 1e-6);
  EXPECT_NEAR(v[3], 0.03 + 1.0, 1e-6);
  EXPECT_NEAR(v[4], 0.2, 1e-6);
  EXPECT_NEAR(v[6], 0.1, 1e-6);
}

TEST(Prtdsp, LongTitleIsUnderlinedWithSixtyMoreSigns) {
  soltest::NodeModel m = soltest::build_nodes(1, 1, 0, 0, "1 0 0 0 1 0\n1 0 0 0 1 0\n");
  std::vector<float> d(static_cast<std::size_t>(m.neq), 0.0f);
  const std::string title(70, 'T');
  solutions::prtdsp(solutions::kPerColumn, m.report(), m.neq, 1, m.l2(), d.data(), title, "", false);
  const std::string out = after(soltest::finish_output(), "%2E%");
  EXPECT_NE(out.find("\n =====" + std::string(60, '=') + "\n"), std::string::npos) << out;
}

}  // namespace
