// Storage check, reset and dump of the work array, in process.
#include <gtest/gtest.h>

#include <string>

#include "base/globals.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "fio/fio.h"
#include "support/test_support.h"

namespace {

class Storage : public ::testing::Test {
 protected:
  void SetUp() override {
    kv::reset_globals();
    path_ = kvtest::fresh_dir("storage") / "unit6.out";
    fio::close(6);
    ASSERT_TRUE(fio::open(6, path_.string()));
  }
  void TearDown() override {
    fio::close(6);
    kv::zero_words(1, 8);
    kv::reset_globals();
  }
  // What unit 6 received, lines without trailing blanks.
  std::string unit6() {
    fio::close(6);
    return kvtest::rstrip_lines(kvtest::read_file(path_));
  }
  std::filesystem::path path_;
};

std::string box_line(const std::string& text) {
  std::string s = text;
  s.resize(47, ' ');
  return s + "***\n";
}

TEST_F(Storage, MemchkAtTheLimitReturns) {
  kv::ctl(kv::kIZ) = 50'000'000;
  EXPECT_NO_THROW(kv::memchk(0, 0));
  kv::ctl(kv::kIZ) = 1;
  EXPECT_NO_THROW(kv::memchk(1, 49'999'999));  // measured from the base
  EXPECT_EQ(kv::ctl(kv::kIZ), 1);              // and IZ not moved
  EXPECT_EQ(unit6(), "");
}

TEST_F(Storage, MemchkBeyondTheLimitPrintsTheBoxAndStops) {
  kv::ctl(kv::kIZ) = 50'000'001;
  try {
    kv::memchk(0, 0);
    FAIL() << "no stop";
  } catch (const kv::RunStop& stop) {
    EXPECT_NE(stop.status, 0);
    EXPECT_EQ(stop.message, "REQUIRED MEMORY > AVAILABLE MEMORY ");
  }
  const std::string stars = " " + std::string(49, '*') + "\n";
  EXPECT_EQ(unit6(), "\n\n\n" + stars + box_line(" ***  AVAILABLE STORAGE IS EXCEEDED") +
                         box_line(" ***  REQURIED STORAGE =  50000001") +
                         box_line(" ***  AVAILABLE STORAGE =  50000000") +
                         box_line(" ***  EXECUTION IS TERMINATED,") +
                         box_line(" ***  RECOMPILE PROGRAM WITH INCREASED MEMORY") + stars);
}

TEST_F(Storage, MemchkMeasuresFromABaseAboveIz) {
  kv::ctl(kv::kIZ) = 1;
  EXPECT_THROW(kv::memchk(5, 49'999'999), kv::RunStop);
  EXPECT_NE(unit6().find(" ***  REQURIED STORAGE =  50000004"), std::string::npos);
}

TEST_F(Storage, ReserveTakesWordsFromIz) {
  kv::ctl(kv::kIZ) = 10;
  EXPECT_EQ(kv::reserve(5), 10);
  EXPECT_EQ(kv::ctl(kv::kIZ), 15);
}

TEST_F(Storage, MemrstClearsControlAndTitles) {
  for (int w = 1; w <= kv::kContrlWords; ++w) kv::ctl(w) = w;
  kv::titles().title1 = std::string(kv::kTitleLen, 'A');
  kv::titles().title2 = std::string(kv::kTitleLen, 'B');
  kv::memrst(2, 500);  // any other option does nothing
  EXPECT_EQ(kv::ctl(7), 7);
  kv::memrst(1, 500);
  EXPECT_EQ(kv::ctl(kv::kIZ), 1);
  for (int w = 2; w <= kv::kContrlWords; ++w) ASSERT_EQ(kv::ctl(w), 0) << w;
  EXPECT_EQ(kv::titles().title1, std::string(kv::kTitleLen, ' '));
  EXPECT_EQ(kv::titles().title2, std::string(kv::kTitleLen, ' '));
}

TEST_F(Storage, DumpWithoutLetterNIsTheHeaderOnly) {
  kv::ctl(kv::kIZ) = 3;
  kv::izm(1) = 5;
  EXPECT_EQ(unit6(), "");  // nothing yet
  ASSERT_TRUE(fio::open(6, path_.string()));
  kv::memdmp();
  EXPECT_EQ(unit6(), "1 STRUCTURE....:\n  SOLUTION.....:\n\n DUMPING MEMORY\n");
}

TEST_F(Storage, DumpWithLetterNPrintsNonZeroWordsUpToTheLastPair) {
  kv::titles().ibugm = 1 << 13;  // N
  kv::ctl(kv::kIZ) = 5;          // pairs (1,2), (3,4), (5,6)
  kv::dzm(1) = 1.0;              // word 1 = 0 (skipped), word 2 = 0x3FF00000
  kv::rzm(3) = 2.0f;             // 0x40000000
  kv::rzm(4) = 2.0f;             // pair 3-4 as a double: 2 + 2**-21
  kv::rzm(6) = -0.5f;            // 0xBF000000
  kv::izm(7) = 42;               // beyond the last pair
  kv::memdmp();
  EXPECT_EQ(unit6(),
            "1 STRUCTURE....:\n  SOLUTION.....:\n\n DUMPING MEMORY\n"
            " ZMATRX(     2):     1072693248    1.8750000000E+00\n"
            " ZMATRX(     3):     1073741824    2.0000000000E+00    2.0000004768E+00\n"
            " ZMATRX(     4):     1073741824    2.0000000000E+00\n"
            " ZMATRX(     6):    -1090519040   -5.0000000000E-01\n");
}

}  // namespace
