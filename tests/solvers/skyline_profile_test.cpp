// Skyline profile building, the global lumped-mass formation and profile merging.
#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/work_array.h"
#include "fio/fio.h"
#include "solvers/skyline_profile.h"
#include "support/test_support.h"

namespace {

using solvers::kSkyAddresses;
using solvers::kSkyStart;
using solvers::kSkyWiden;

class Skyline : public ::testing::Test {
 protected:
  void SetUp() override {
    kv::reset_globals();
    kv::ctl(kv::kIZ) = 1;
    fio::close(6);
    path_ = kvtest::fresh_dir("skyline") / "unit6.out";
    ASSERT_TRUE(fio::open(6, path_.string()));
  }
  void TearDown() override {
    fio::close(6);
    kv::zero_words(1, 200);
    kv::reset_globals();
  }
  std::string unit6() {
    fio::close(6);
    return kvtest::read_file(path_);
  }

  // Profile of order neq after the given elements (LM, packed matrix of order nd).
  struct Element {
    std::vector<std::int32_t> lm;
    std::vector<float> ke;
  };
  std::vector<std::int32_t> profile(int neq, const std::vector<Element>& elements, bool allterms = false) {
    std::vector<std::int32_t> md(static_cast<std::size_t>(neq) + 1);
    solvers::skylin(false, kSkyStart, neq, md.data(), 0, nullptr, nullptr, "GLOBAL STIFFNESS");
    for (const auto& e : elements)
      solvers::skylin(allterms, kSkyWiden, neq, md.data(), static_cast<int>(e.lm.size()), e.lm.data(),
                      e.ke.data(), "GLOBAL STIFFNESS");
    solvers::skylin(false, kSkyAddresses, neq, md.data(), 0, nullptr, nullptr, "GLOBAL STIFFNESS");
    return md;
  }

  std::filesystem::path path_;
};

// A 2-DOF element: packed (1,1), (2,2), (1,2).
std::vector<float> full2() { return {1.0f, 2.0f, 3.0f}; }
std::vector<float> uncoupled2() { return {1.0f, 2.0f, 0.0f}; }

TEST_F(Skyline, ProfileFromLocationVectors) {
  using V = std::vector<std::int32_t>;
  // Column heights 1, 1, 1, 3 (column 4 reaches up to row 2).
  EXPECT_EQ(profile(4, {{{2, 4}, full2()}}), (V{1, 2, 3, 4, 7}));
  // The order of the location vector does not matter.
  EXPECT_EQ(profile(4, {{{4, 2}, full2()}}), (V{1, 2, 3, 4, 7}));
  // Entries of 0 or below are no equation.
  EXPECT_EQ(profile(4, {{{0, 4}, full2()}, {{-3, 2}, full2()}}), (V{1, 2, 3, 4, 5}));
  // A zero coupling term widens nothing, unless all terms count.
  EXPECT_EQ(profile(4, {{{1, 3}, uncoupled2()}}), (V{1, 2, 3, 4, 5}));
  EXPECT_EQ(profile(4, {{{1, 3}, uncoupled2()}}, true), (V{1, 2, 3, 6, 7}));
  // The highest coupling of a column wins; a diagonal is always stored.
  EXPECT_EQ(profile(4, {{{3, 4}, full2()}, {{1, 4}, full2()}, {{4, 4}, {0.0f, 0.0f, 0.0f}}}),
            (V{1, 2, 3, 4, 8}));
  // One equation: MDIAG = (1, 2), one word.
  EXPECT_EQ(profile(1, {}), (V{1, 2}));
}

TEST_F(Skyline, TracesAndPictureOfTheProfile) {
  kv::titles().ibugm = 1 << ('M' - 'A');
  profile(4, {{{2, 4}, full2()}});
  const std::string out = unit6();
  EXPECT_NE(out.find(" INITIAL VALUES\n MDIAG(  1)=    1\n MDIAG(  2)=    2\n"), std::string::npos);
  EXPECT_NE(out.find(" AFTER COLUMN HEIGHTS\n MDIAG(  1)=    1\n MDIAG(  2)=    2\n MDIAG(  3)=    3\n"
                     " MDIAG(  4)=    2\n"),
            std::string::npos);
  EXPECT_NE(out.find(" ADDRESS OF MAIN DIAGONAL ELEMENTS\n MDIAG(  1)=    1\n MDIAG(  2)=    2\n"
                     " MDIAG(  3)=    3\n MDIAG(  4)=    4\n"),
            std::string::npos);
  EXPECT_NE(out.find("   SKYLINE OF THE GLOBAL STIFFNESS MATRIX \n"
                     "   THE MATRIX REQUIRES     7 STORAGE LOCATIONS\n"
                     "     0|.....\n"
                     "     1D   \n"
                     "     2 D X\n"
                     "     3  DX\n"
                     "     4   D\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("1 STRUCTURE....: "), std::string::npos);
}

TEST_F(Skyline, PictureOfTwoHundredEquationsHasTwoBlocks) {
  kv::titles().ibugm = 1 << ('J' - 'A');
  std::vector<float> ke = full2();
  profile(200, {{{1, 150}, ke}});
  const std::string out = unit6();
  int blocks = 0;
  for (auto p = out.find("   SKYLINE OF THE"); p != std::string::npos; p = out.find("   SKYLINE OF THE", p + 1))
    ++blocks;
  EXPECT_EQ(blocks, 2);
  EXPECT_EQ(out.find(" MDIAG("), std::string::npos);  // letter J draws, only M lists
  // Heights: 199 columns of 1 and column 150 of 150 -> 349 terms.
  EXPECT_NE(out.find("   THE MATRIX REQUIRES   350 STORAGE LOCATIONS"), std::string::npos);
  // Second block: ruler from 100; row 1 has its X in column 150, the 50th of the block.
  EXPECT_NE(out.find("\n   100|..... 110|....."), std::string::npos);
  EXPECT_NE(out.find("\n     1" + std::string(49, ' ') + "X" + std::string(50, ' ') + "\n"), std::string::npos);
  EXPECT_NE(out.find("\n   101D"), std::string::npos);
}

// ---------------------------------------------------------------- PRFMRG

TEST(Prfmrg, TallestColumnCutAtTheBlock) {
  // Stiffness heights 1, 2, 3, 1; mass diagonal only; third profile heights 1, 1, 1, 4.
  const std::array<std::int32_t, 5> mk{1, 2, 4, 7, 8};
  const std::array<std::int32_t, 5> mm{1, 2, 3, 4, 5};
  const std::array<std::int32_t, 5> mc{1, 2, 3, 4, 8};
  std::array<std::int32_t, 4> md{};
  solvers::prfmrg(4, 2, 4, md.data(), mk.data(), mm.data(), mc.data(), 1);
  EXPECT_EQ(md, (std::array<std::int32_t, 4>{1, 2, 4, 5}));
  solvers::prfmrg(4, 2, 4, md.data(), mk.data(), mm.data(), mc.data(), 2);
  EXPECT_EQ(md, (std::array<std::int32_t, 4>{1, 2, 4, 7}));
  // Over all equations: the stiffness profile again, with or without the mass.
  std::array<std::int32_t, 5> all{};
  solvers::prfmrg(4, 1, 4, all.data(), mk.data(), mm.data(), nullptr, 1);
  EXPECT_EQ(all, mk);
  all.fill(0);
  solvers::prfmrg(4, 1, 4, all.data(), mk.data(), nullptr, nullptr, 1);
  EXPECT_EQ(all, mk);
  // A block of one equation coupled only to lower ones is its diagonal.
  std::array<std::int32_t, 2> one{};
  solvers::prfmrg(4, 3, 3, one.data(), mk.data(), mm.data(), nullptr, 1);
  EXPECT_EQ(one, (std::array<std::int32_t, 2>{1, 2}));
}

// ---------------------------------------------------------------- SKYASM

struct FakeLumpms {
  static inline std::vector<std::string> calls;
  static inline int records = 0;   // records option 1 "reads"
  static inline std::int64_t values_seen = 0;
  static void entry(int iopt, int announced, int& nmass, std::int64_t lumrec, std::int64_t mdiag,
                    std::int64_t values, bool trace) {
    std::ostringstream s;
    s << iopt << " " << announced << " " << lumrec << " " << mdiag << " " << trace;
    calls.push_back(s.str());
    if (iopt == 1) {
      nmass = records;
      // One node mass coupling equations 2 and 3.
      std::int32_t* md = kv::iptr(mdiag);
      md[2] = std::min(md[2], 2);
    } else {
      values_seen = values;
      kv::rzm(values) = 5.0f;  // the mass of equation 1
    }
  }
};

class Skyasm : public Skyline {};

TEST_F(Skyasm, NoMassWithoutTheSwitch) {
  FakeLumpms::calls.clear();
  kv::ctl(kv::kNEQ) = 3;
  const auto mm = solvers::skyasm(2, 0, true, "GLOBAL MASS", &FakeLumpms::entry);
  EXPECT_EQ(mm.mdiag, 0);
  EXPECT_EQ(mm.values, 0);
  EXPECT_EQ(mm.lumrec, 0);
  EXPECT_EQ(kv::ctl(kv::kIZ), 1);
  EXPECT_TRUE(FakeLumpms::calls.empty());
}

TEST_F(Skyasm, ReservesReadsWidensAndAssembles) {
  // Stiffness of order 3 at words 1-4 with full columns (tops all 1).
  kv::ctl(kv::kIZ) = 5;
  kv::ctl(kv::kNEQ) = 3;
  kv::ctl(kv::kStiffMdiag) = 1;
  for (int k = 0; k < 4; ++k) kv::izm(1 + k) = std::array<int, 4>{1, 2, 4, 7}[static_cast<std::size_t>(k)];

  for (const bool widen : {false, true}) {
    for (const int ncond : {0, 1}) {
      kv::ctl(kv::kIZ) = 5;
      kv::ctl(kv::kNCOND) = ncond;
      kv::zero_words(5, 100);
      kv::izm(40) = -1;  // a word inside the values to be zeroed
      FakeLumpms::calls.clear();
      FakeLumpms::records = 2;
      const auto mm = solvers::skyasm(3, 1, widen, "GLOBAL MASS", &FakeLumpms::entry);
      const bool widened = widen && ncond > 0;
      SCOPED_TRACE(std::to_string(widen) + " " + std::to_string(ncond));

      EXPECT_EQ(mm.mdiag, 5);
      EXPECT_EQ(mm.lumrec, 9);
      EXPECT_EQ(mm.nmass, 2);
      // Three records announced, two read: the third record's 12 words go back.
      EXPECT_EQ(mm.values, 9 + 24);
      const std::int32_t* md = kv::iptr(mm.mdiag);
      const std::array<std::int32_t, 4> expect = widened ? std::array<std::int32_t, 4>{1, 2, 4, 7}
                                                         : std::array<std::int32_t, 4>{1, 2, 3, 5};
      for (int j = 0; j < 4; ++j) EXPECT_EQ(md[j], expect[static_cast<std::size_t>(j)]) << j;
      const int nvalues = expect[3];
      EXPECT_EQ(kv::ctl(kv::kIZ), mm.values + nvalues);
      // Values zeroed (with the word after them), then assembled by option 2.
      EXPECT_EQ(FakeLumpms::values_seen, mm.values);
      EXPECT_EQ(kv::rzm(mm.values), 5.0f);
      for (int k = 1; k <= nvalues; ++k) EXPECT_EQ(kv::izm(mm.values + k), 0) << k;
      // The node-mass scratch starts at the free words.
      EXPECT_EQ(kv::ctl(kv::kIZKE), kv::ctl(kv::kIZ));
      EXPECT_EQ(kv::ctl(kv::kIZLM), kv::ctl(kv::kIZ) + 21);
      ASSERT_EQ(FakeLumpms::calls.size(), 2u);
      EXPECT_EQ(FakeLumpms::calls[0], "1 3 9 5 0");
      EXPECT_EQ(FakeLumpms::calls[1], "2 3 9 5 0");
    }
  }
}

TEST_F(Skyasm, TraceSwitchPrintsTheMass) {
  kv::ctl(kv::kNEQ) = 1;
  kv::titles().ibug = true;
  FakeLumpms::calls.clear();
  FakeLumpms::records = 0;
  solvers::skyasm(0, 1, false, "GLOBAL  MASS", &FakeLumpms::entry);
  EXPECT_EQ(FakeLumpms::calls.at(0), "1 0 3 1 1");
  const std::string out = unit6();
  EXPECT_NE(out.find(" PRINTING MATRIX: GLOBAL  MASS"), std::string::npos) << out;
  EXPECT_NE(out.find(" ROW    1        0.500000E+01"), std::string::npos) << out;
}

}  // namespace
