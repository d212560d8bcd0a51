// Units: open, close, REWIND, BACKSPACE, end of file, truncation by a write,
// fort.N files and the console.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "fio/fio.h"

namespace fs = std::filesystem;

namespace {

using fio::Status;

class Units : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("fio_units_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fio::close_all();
    fio::set_default_folder("");
    fs::remove_all(dir_);
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string slurp(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  static void put(const std::string& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
  }
  static std::string next(int unit) {
    std::string r;
    Status s = fio::read_record(unit, r);
    return s == Status::ok ? r : s == Status::end ? "<end>" : "<error>";
  }
  fs::path dir_;
};

TEST_F(Units, WriteCloseAndReopenWithoutTruncating) {
  const std::string p = path("a.out");
  ASSERT_TRUE(fio::open(10, p));
  EXPECT_TRUE(fio::is_open(10));
  EXPECT_EQ(fio::path_of(10), p);
  fio::write_record(10, "A");
  fio::write(10, "(I3)", 1, 2);
  fio::write_list(10, "N=", 5);
  fio::close(10);
  EXPECT_FALSE(fio::is_open(10));
  EXPECT_EQ(slurp(p), "A\n  1\n  2\n N= 5\n");
  ASSERT_TRUE(fio::open(10, p));  // reopened: the content stays
  EXPECT_EQ(next(10), "A");
  EXPECT_EQ(next(10), "  1");
  EXPECT_EQ(next(10), "  2");
  EXPECT_EQ(next(10), " N= 5");
  EXPECT_EQ(next(10), "<end>");
  EXPECT_EQ(next(10), "<end>");
  fio::write_record(10, "B");  // a write after the end appends
  fio::close(10);
  EXPECT_EQ(slurp(p), "A\n  1\n  2\n N= 5\nB\n");
}

TEST_F(Units, FlushMakesTheRecordsVisible) {
  const std::string p = path("f.out");
  ASSERT_TRUE(fio::open(11, p));
  fio::write_record(11, "X");
  fio::flush(11);
  EXPECT_EQ(slurp(p), "X\n");
  fio::write_record(11, "Y");
  fio::flush_all();
  EXPECT_EQ(slurp(p), "X\nY\n");
}

TEST_F(Units, RewindThenWriteTruncates) {
  const std::string p = path("r.out");
  put(p, "A\nB\nC\n");
  ASSERT_TRUE(fio::open(12, p));
  EXPECT_EQ(next(12), "A");
  EXPECT_EQ(next(12), "B");
  fio::rewind(12);
  EXPECT_EQ(next(12), "A");
  fio::rewind(12);
  fio::write_record(12, "X");
  EXPECT_EQ(next(12), "<end>");
  fio::close(12);
  EXPECT_EQ(slurp(p), "X\n");
}

TEST_F(Units, WriteInTheMiddleTruncatesAfterIt) {
  const std::string p = path("m.out");
  put(p, "A\nB\nC\n");
  ASSERT_TRUE(fio::open(13, p));
  EXPECT_EQ(next(13), "A");
  fio::write_record(13, "X");
  fio::write_record(13, "Y");
  fio::rewind(13);
  EXPECT_EQ(next(13), "A");
  EXPECT_EQ(next(13), "X");
  EXPECT_EQ(next(13), "Y");
  EXPECT_EQ(next(13), "<end>");
  fio::close(13);
  EXPECT_EQ(slurp(p), "A\nX\nY\n");
}

TEST_F(Units, BackspaceGoesBackOneRecord) {
  const std::string p = path("b.out");
  put(p, "A\nB\nC\n");
  ASSERT_TRUE(fio::open(14, p));
  fio::backspace(14);  // at the start: nothing to step over
  EXPECT_EQ(next(14), "A");
  EXPECT_EQ(next(14), "B");
  fio::backspace(14);
  EXPECT_EQ(next(14), "B");
  fio::backspace(14);
  fio::backspace(14);
  EXPECT_EQ(next(14), "A");
  EXPECT_EQ(next(14), "B");
  fio::backspace(14);
  fio::write_record(14, "Y");  // replaces B and ends the file there
  fio::close(14);
  EXPECT_EQ(slurp(p), "A\nY\n");
}

TEST_F(Units, BackspaceAfterAListReadOverSeveralRecords) {
  const std::string p = path("l.dat");
  put(p, "1\n\n2\n3 4 5\nNEXT\n");
  ASSERT_TRUE(fio::open(15, p));
  std::int32_t a = 0, b = 0, c = 0;
  EXPECT_EQ(fio::read_list(15, a, b, c), Status::ok);
  EXPECT_EQ(c, 3);
  fio::backspace(15);  // before the last record the read used
  EXPECT_EQ(next(15), "3 4 5");
  EXPECT_EQ(next(15), "NEXT");
}

TEST_F(Units, AReadDropsTheRestOfItsLastRecord) {
  const std::string p = path("d.dat");
  put(p, "1 2 3\n4 5\n");
  ASSERT_TRUE(fio::open(16, p));
  std::int32_t a = 0, b = 0, c = 0;
  EXPECT_EQ(fio::read_list(16, a, b), Status::ok);
  EXPECT_EQ(fio::read_list(16, c), Status::ok);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 4);
  EXPECT_EQ(fio::read_list(16, c), Status::end);
  std::string s;
  fio::rewind(16);
  EXPECT_EQ(fio::read_fmt(16, "(A3)", s), Status::ok);
  EXPECT_EQ(s, "1 2");
  EXPECT_EQ(next(16), "4 5");
}

TEST_F(Units, BackspaceAfterTheEndLetsAWriteExtendTheFile) {
  const std::string p = path("e.out");
  put(p, "A\n");
  ASSERT_TRUE(fio::open(17, p));
  EXPECT_EQ(next(17), "A");
  EXPECT_EQ(next(17), "<end>");
  fio::backspace(17);
  fio::write_record(17, "B");
  fio::close(17);
  EXPECT_EQ(slurp(p), "A\nB\n");
}

TEST_F(Units, LineEndsOfOtherSystems) {
  const std::string p = path("crlf.dat");
  put(p, "A\r\nB\r\nC");  // CR LF, and no line end on the last line
  ASSERT_TRUE(fio::open(18, p));
  EXPECT_EQ(next(18), "A");
  EXPECT_EQ(next(18), "B");
  EXPECT_EQ(next(18), "C");
  EXPECT_EQ(next(18), "<end>");
  fio::write_record(18, "D");
  fio::rewind(18);
  EXPECT_EQ(next(18), "A");
  fio::write_record(18, "X");
  fio::close(18);
  EXPECT_EQ(slurp(p), "A\r\nX\n");
  const std::string q = path("nolf.dat");
  put(q, "A\nB");
  ASSERT_TRUE(fio::open(19, q));
  EXPECT_EQ(next(19), "A");
  EXPECT_EQ(next(19), "B");
  fio::write_record(19, "C");
  fio::close(19);
  EXPECT_EQ(slurp(q), "A\nB\nC\n");
}

TEST_F(Units, ATextWithLineEndsCountsAsItsRecords) {
  const std::string p = path("nl.out");
  ASSERT_TRUE(fio::open(25, p));
  fio::write_record(25, fio::format("(I2,/,I2)", 1, 2));  // two lines in one call
  fio::write_record(25, "C");
  fio::backspace(25);
  fio::backspace(25);
  EXPECT_EQ(next(25), " 2");
  fio::write_record(25, "X");  // replaces C only
  fio::close(25);
  EXPECT_EQ(slurp(p), " 1\n 2\nX\n");
}

TEST_F(Units, ANulInALineKeepsTheRecordOffsets) {
  const std::string p = path("nul.dat");
  put(p, std::string("A\0B\nC\nD\n", 8));
  ASSERT_TRUE(fio::open(26, p));
  EXPECT_EQ(next(26), std::string("A\0B", 3));
  EXPECT_EQ(next(26), "C");
  fio::backspace(26);
  fio::write_record(26, "Y");  // replaces C and ends the file there
  fio::close(26);
  EXPECT_EQ(slurp(p), std::string("A\0B\nY\n", 6));
}

TEST_F(Units, UnopenedUnitsUseFortNInTheDefaultFolder) {
  fio::set_default_folder(dir_.string() + "/");
  fio::write_record(7, "TRACE");
  EXPECT_EQ(fio::path_of(7), path("fort.7"));
  fio::close(7);
  EXPECT_EQ(slurp(path("fort.7")), "TRACE\n");
  fio::set_default_folder(dir_.string());
  EXPECT_EQ(next(8), "<end>");  // read at its end: nothing was written, so no file
  EXPECT_FALSE(fs::exists(path("fort.8")));
}

TEST_F(Units, MissingFileIsMadeByItsFirstWriteAndUnopenableIsRefused) {
  const std::string p = path("new.dat");
  ASSERT_TRUE(fio::open(20, p));
  EXPECT_FALSE(fs::exists(p));
  EXPECT_EQ(next(20), "<end>");
  fio::rewind(20);
  fio::backspace(20);
  fio::flush(20);
  EXPECT_FALSE(fs::exists(p));  // reading, positioning and flushing make no file
  fio::close(20);
  EXPECT_FALSE(fs::exists(p));
  ASSERT_TRUE(fio::open(20, p));
  fio::write_record(20, "FIRST");
  fio::write_record(20, "SECOND");
  fio::rewind(20);
  EXPECT_EQ(next(20), "FIRST");
  fio::backspace(20);
  fio::write_record(20, "ONE");  // a made file truncates like any other
  fio::close(20);
  EXPECT_EQ(slurp(p), "ONE\n");
  EXPECT_FALSE(fio::open(21, path("no/such/folder/x.dat")));
  EXPECT_FALSE(fio::is_open(21));
  EXPECT_FALSE(fio::open(61, p));
  fio::write_record(61, "lost");  // outside 1..60: ignored, no crash
  std::string r;
  EXPECT_EQ(fio::read_record(0, r), Status::error);
}

TEST_F(Units, ReopeningAnOpenUnitClosesItFirst) {
  const std::string p = path("one.out"), q = path("two.out");
  ASSERT_TRUE(fio::open(22, p));
  fio::write_record(22, "P");
  ASSERT_TRUE(fio::open(22, q));
  fio::write_record(22, "Q");
  fio::close(22);
  EXPECT_EQ(slurp(p), "P\n");
  EXPECT_EQ(slurp(q), "Q\n");
}

TEST_F(Units, ConsoleUnit) {
  ::testing::internal::CaptureStdout();
  fio::write(1, "(' KELVORAN',I3)", 5);  // unit 1 is the console unless opened otherwise
  fio::connect_stdout(3);
  fio::write_list(3, "ER", "ROR");
  std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, " KELVORAN  5\n ERROR\n");
}

TEST_F(Units, StandardInputUnit) {
  const std::string p = path("answers.txt");
  put(p, "runs\r\nframe.dat\n");
  std::fflush(stdin);
  const int saved = ::dup(0);
  const int fd = ::open(p.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ::dup2(fd, 0);
  ::close(fd);
  std::clearerr(stdin);
  fio::connect_stdin(2);
  EXPECT_EQ(next(2), "runs");
  EXPECT_EQ(next(2), "frame.dat");
  fio::backspace(2);
  EXPECT_EQ(next(2), "frame.dat");
  EXPECT_EQ(next(2), "<end>");
  ::dup2(saved, 0);
  ::close(saved);
  std::clearerr(stdin);
}

TEST_F(Units, AFolderIsNotAFile) {
  EXPECT_FALSE(fio::open(24, dir_.string()));
  EXPECT_FALSE(fio::is_open(24));
}

TEST_F(Units, LargeFilesCostLittlePerRecord) {
  const std::string p = path("big.out");
  ASSERT_TRUE(fio::open(23, p));
  const int n = 200000;
  auto t0 = std::chrono::steady_clock::now();
  for (int k = 0; k < n; ++k) fio::write(23, "(1X,I7,1P,3E14.5)", k, 1.0f * k, 2.0, 3.0f);
  fio::rewind(23);
  std::string r;
  int count = 0;
  while (fio::read_record(23, r) == Status::ok) ++count;
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_EQ(count, n);
  EXPECT_EQ(r, "");
  EXPECT_LT(secs, 10.0);
  fio::backspace(23);
  fio::backspace(23);
  EXPECT_EQ(next(23), "  199999   1.99999E+05   2.00000E+00   3.00000E+00");
}

}  // namespace
