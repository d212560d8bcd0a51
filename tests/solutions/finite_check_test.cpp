// The check of a solved vector: a non-finite entry is named by its row and
// load case in the boxed message, and a finite vector passes silently.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "fio/fio.h"
#include "solutions/finite_check.h"
#include "support/test_support.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct FiniteCase {
  const char* name;
  std::vector<float> x;  // two columns of leading dimension 4, 3 rows checked
  int ncol;
  bool finite;
  const char* row_line;   // expected line of the box, "" when none
  const char* case_line;  // the load-case line, "" when absent
};

class SolutionFinite : public ::testing::TestWithParam<FiniteCase> {};

TEST_P(SolutionFinite, ReportsTheFirstNonFiniteEntry) {
  const FiniteCase c = GetParam();
  fio::close_all();
  const std::filesystem::path file = kvtest::fresh_dir("finite") / "output.out";
  ASSERT_TRUE(fio::open(6, file.string()));
  const bool ok = solutions::solution_finite(c.x.data(), 3, c.ncol, 4, "TESTER");
  fio::close(6);
  const std::string out = kvtest::read_file(file);
  EXPECT_EQ(ok, c.finite);
  if (c.finite) {
    EXPECT_EQ(out.find("SOLUTION IS ABORTED"), std::string::npos) << out;
    return;
  }
  EXPECT_NE(out.find(" *  ER" "ROR IN SUBROUTINE TESTER                    *\n"), std::string::npos) << out;
  EXPECT_NE(out.find(c.row_line), std::string::npos) << out;
  if (*c.case_line != '\0') EXPECT_NE(out.find(c.case_line), std::string::npos) << out;
  else EXPECT_EQ(out.find("LOAD CASE:"), std::string::npos) << out;
  EXPECT_NE(out.find(" *  SOLUTION IS ABORTED                           *\n"), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, SolutionFinite,
    ::testing::Values(
        // The fourth row of each column lies beyond the rows checked.
        FiniteCase{"Finite", {1.0f, -2.0f, 3.4e38f, kNaN, 0.0f, 1e-45f, -3.4e38f, kInf}, 2, true, "", ""},
        FiniteCase{"NaNInTheSecondRow", {1.0f, kNaN, kInf, 0.0f}, 1, false,
                   " *  DISPLACEMENT IS NOT FINITE - ROW:     2       *\n", ""},
        FiniteCase{"InfinityInTheSecondCase", {1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 0.0f, -kInf, 0.0f}, 2, false,
                   " *  DISPLACEMENT IS NOT FINITE - ROW:     3       *\n",
                   " *                      LOAD CASE:     2          *\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
