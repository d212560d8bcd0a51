// SOLDSP: the solution number of the command item, the settings made before a
// solution runs, and the stop for a number without a solution.
#include <gtest/gtest.h>

#include <string>

#include "base/globals.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "elements/eledsp.h"
#include "fio/fio.h"
#include "materials/matdsp.h"
#include "model/structure_input.h"
#include "solutions/soldsp.h"
#include "support/test_support.h"

namespace {

// A cantilever of one member: 12 equations, 6 of them restrained.
const std::string kCantilever =
    "2 1 1 0 0 1.0\n"
    "1 0.0 0.0 0.0 1 0\n"
    "2 100.0 0.0 0.0 1 0\n"
    "1.0 0.0 0.0 0.0 1.0 0.0\n"
    "1 1 1 1 1 1 1 0 0\n"
    "1\n"
    "3D-BEAM 29.0E6 11.2E6 10.0 5.0 5.0 50.0 100.0 100.0\n"
    "0 0 0 F\n"
    "1\n"
    "3D-BEAM 'B1' 1 1 2 0.0 1.0 0.0 0.0 0.0 0.0 0 0\n"
    "0 0 F\n"
    "0.0 0.0\n";

struct NumberCase {
  const char* name;
  const char* command;
  bool stops;
  const char* output;  // a line the output file must hold
  int status = 0;      // exit status of a run that goes on: 3 when the solution is not run
};

class SolutionNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(SolutionNumber, CommandItemSelectsTheSolution) {
  const NumberCase c = GetParam();
  const auto r = kvtest::run_deck("STR\n'CANTILEVER'\n" + kCantilever + c.command + "\n'TITLE'\n" +
                                      "1 0\n1 2 0 0 FY 1000.0\n0 0 0 0 END 0\nSTOP\n",
                                  "soldsp");
  EXPECT_NE(r.output.find(c.output), std::string::npos) << c.command << "\n" << r.output;
  if (c.stops) {
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.console.find("INVALID SOLUTION NUMBER"), std::string::npos) << r.console;
    EXPECT_EQ(r.output.find("SOLUTION #1"), std::string::npos) << "nothing more is read";
  } else {
    EXPECT_EQ(r.status, c.status) << r.console;
    EXPECT_NE(r.console.find("NORMAL STOP"), std::string::npos) << "the run goes on to STOP";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SolutionNumber,
    ::testing::Values(NumberCase{"Bare", "SOL", true, " INVALID SOLN# 0"}, NumberCase{"Zero", "SOL0", true, " INVALID SOLN# 0"},
                      // A blank ends the command item: the number is not part of it.
                      NumberCase{"BlankBeforeNumber", "SOL 1", true, " INVALID SOLN# 0"}, NumberCase{"Negative", "SOL-1", true, " INVALID SOLN# -1"},
                      NumberCase{"Six", "SOL6", true, " INVALID SOLN# 6"},
                      NumberCase{"QuotedWithBlank", "'SOL 1'", false, "SOLUTION #1, STATIC - ELASTIC ANALYSIS"},
                      NumberCase{"PlusOne", "SOL+1", false, "SOLUTION #1, STATIC - ELASTIC ANALYSIS"},
                      // Solutions 2 and 4 read records this deck does not hold; their
                      // own decks cover them. "+3" runs the eigen-solution, which rejects this deck's "1 0" record.
                      NumberCase{"PlusThree", "SOL+3", false, "SOL-03 INVALID OPTION", 3},
                      // "+5" reads "1" as its method word, which is neither SRSS nor CQC.
                      NumberCase{"Five", "SOL5", false, "INVALID MODAL COMBINATION METHOD", 3}),
    [](const auto& info) { return std::string(info.param.name); });

// The structure read in-process from a deck whose "SOL" records follow it.
class InProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    materials::register_builtin_materials();
    elements::register_builtin_elements();
    kv::reset_globals();
    fio::close_all();
  }
  void TearDown() override { fio::close_all(); }

  void build(const std::string& solution_records) {
    dir_ = kvtest::fresh_dir("soldsp_inprocess");
    kvtest::write_file(dir_ / "input.dat", kCantilever + solution_records);
    ASSERT_TRUE(fio::open(5, (dir_ / "input.dat").string()));
    ASSERT_TRUE(fio::open(6, (dir_ / "output.out").string()));
    kv::ctl(kv::kIZ) = 1;
    model::strinp();
    kv::ctl(kv::kIZ0) = kv::ctl(kv::kIZ);
  }
  float tip_dy(int lc) const {
    const int e = 2;  // node 2 FY: the free equations come first
    return kv::rzm(kv::ctl(kv::kUTOTAL) + static_cast<std::int64_t>(lc - 1) * kv::ctl(kv::kNEQ) + e - 1);
  }
  std::filesystem::path dir_;
};

TEST_F(InProcess, SolutionsOneToFourRunWithoutModalCombinationAndElementLoadRecords) {
  build("1 0\n1 2 0 0 FY 1000.0\n0 0 0 0 END 0\nNOSRSS 1 0.05 1 2 1\n3 20\n");
  kv::solsta().rsmeth = 2.0f;
  kv::ctl(kv::kElementLoadWord) = 3;  // records of an earlier solution
  solutions::soldsp("SOL1", "", 0.0f, 0.0f, 0.0f);
  EXPECT_EQ(kv::solsta().rsmeth, 0.0f);
  EXPECT_EQ(kv::ctl(kv::kElementLoadWord), 0);
  EXPECT_EQ(kv::ctl(kv::kNSOL), 1);
  EXPECT_NEAR(tip_dy(1), 1.0e9 / (3.0 * 29.0e6 * 100.0), 1e-6);
  EXPECT_EQ(kv::stcase().istat, 1);
  ASSERT_EQ(kv::stcase().dstat.size(), 13u) << "sized to NEQ";
  EXPECT_FLOAT_EQ(kv::stcase().dstat[2], tip_dy(1));
  EXPECT_FLOAT_EQ(kv::stcase().pstat[2], 1000.0f);
  EXPECT_FLOAT_EQ(kv::stcase().rstat[2], -1000.0f);
  EXPECT_TRUE(kv::ctl_true(kv::kELASTC));

  // An invalid method leaves the response spectrum's method as it was; a
  // number without a solution stops.
  kv::solsta().rsmeth = 1.0f;
  solutions::soldsp("SOL5", "", 0.0f, 0.0f, 0.0f);
  EXPECT_EQ(kv::solsta().rsmeth, 1.0f);
  EXPECT_EQ(kv::ctl(kv::kNLC), 1);
  EXPECT_EQ(kv::ctl(kv::kNELOAD), 0);
  EXPECT_THROW(solutions::soldsp("SOL9", "", 0.0f, 0.0f, 0.0f), kv::RunStop);
}

TEST_F(InProcess, MoreLoadCasesThanTheTablesHoldReserveNewTables) {
  build("1 0\n1 2 0 0 FY 1000.0\n0 0 0 0 END 0\n"
        "1 0\n1 2 0 0 FY 500.0\n0 0 0 0 END 0\n"
        "3 0\n1 2 0 0 FY 1000.0\n2 2 0 0 FY 2000.0\n3 2 0 0 FY 3000.0\n0 0 0 0 END 0\n");
  const int neq = kv::ctl(kv::kNEQ);
  solutions::soldsp("SOL1", "", 0.0f, 0.0f, 0.0f);
  const std::int32_t r1 = kv::ctl(kv::kPTOTAL), d1 = kv::ctl(kv::kUTOTAL);
  solutions::soldsp("SOL1", "", 0.0f, 0.0f, 0.0f);
  EXPECT_EQ(kv::ctl(kv::kPTOTAL), r1) << "tables that fit are kept";
  EXPECT_EQ(kv::ctl(kv::kUTOTAL), d1);
  const std::int32_t iz_before = kv::ctl(kv::kIZ);
  solutions::soldsp("SOL1", "", 0.0f, 0.0f, 0.0f);
  const std::int32_t r3 = kv::ctl(kv::kPTOTAL), d3 = kv::ctl(kv::kUTOTAL);
  EXPECT_GE(r3, iz_before);
  EXPECT_GE(d3, r3 + 3 * neq) << "the load table holds three columns";
  EXPECT_LE(d3 + 3 * neq, kv::ctl(kv::kIZ)) << "both tables lie below IZ";
  EXPECT_EQ(kv::ctl(kv::kStaticColumns), 3);
  for (int lc = 1; lc <= 3; ++lc) EXPECT_NEAR(tip_dy(lc), lc * 1.0e9 / (3.0 * 29.0e6 * 100.0), 1e-5) << lc;
}

TEST_F(InProcess, AfterReleaseOneColumnTablesOfAnotherSolutionAreNotTakenForWideOnes) {
  build("3 0\n1 2 0 0 FY 1000.0\n0 0 0 0 END 0\n"
        "3 0\n1 2 0 0 FY 1000.0\n2 2 0 0 FY 2000.0\n3 2 0 0 FY 3000.0\n0 0 0 0 END 0\n");
  const int neq = kv::ctl(kv::kNEQ);
  solutions::soldsp("SOL1", "", 0.0f, 0.0f, 0.0f);
  // "RELEASE", then a solution of one load case reserves the two table words.
  kv::ctl(kv::kIZ) = kv::ctl(kv::kIZ0);
  for (int w = 53; w <= 60; ++w) kv::ctl(w) = 0;
  kv::ctl(65) = 0;
  solutions::release_solution_words();
  kv::ctl(kv::kPTOTAL) = static_cast<std::int32_t>(kv::reserve(neq));
  kv::ctl(kv::kUTOTAL) = static_cast<std::int32_t>(kv::reserve(neq));
  const std::int32_t one_column_end = kv::ctl(kv::kIZ);
  solutions::soldsp("SOL1", "", 0.0f, 0.0f, 0.0f);
  EXPECT_GE(kv::ctl(kv::kPTOTAL), one_column_end);
  EXPECT_GE(kv::ctl(kv::kUTOTAL), one_column_end);
  for (int lc = 1; lc <= 3; ++lc) EXPECT_NEAR(tip_dy(lc), lc * 1.0e9 / (3.0 * 29.0e6 * 100.0), 1e-5) << lc;
}

}  // namespace
