// Matrix printers and the "DUMP=" unit of a title.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/matrix_print.h"
#include "fio/fio.h"
#include "support/test_support.h"

namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

class MatrixPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    kv::reset_globals();
    fio::close_all();
    dir_ = kvtest::fresh_dir("matprint");
    ASSERT_TRUE(fio::open(6, (dir_ / "unit6.out").string()));
    ASSERT_TRUE(fio::open(30, (dir_ / "temp30.out").string()));
  }
  void TearDown() override { fio::close_all(); }
  std::string file(const char* name) {
    fio::close_all();
    return kvtest::read_file(dir_ / name);
  }
  std::filesystem::path dir_;
};

TEST(DumpUnit, TakenFromTheTitle) {
  EXPECT_EQ(base::dump_unit("K MATRIX DUMP=30"), 30);
  EXPECT_EQ(base::dump_unit("DUMP= 7 ELEMENT"), 7);
  EXPECT_EQ(base::dump_unit("K MATRIX"), 0);
  EXPECT_EQ(base::dump_unit("K MATRIX DUMP=0"), 0);
  // The input file and the report are never dumped into; nor a unit that
  // does not exist.
  EXPECT_EQ(base::dump_unit("K MATRIX DUMP=5"), 0);
  EXPECT_EQ(base::dump_unit("K MATRIX DUMP=6"), 0);
  EXPECT_EQ(base::dump_unit("K MATRIX DUMP=61"), 0);
  EXPECT_EQ(base::dump_unit("K MATRIX DUMP=-3"), 0);
}

TEST_F(MatrixPrint, FullMatrixInBlocksOfSixColumns) {
  // 7 x 7 with A(i, j) = 10 i + j.
  std::array<float, 49> a{};
  for (int j = 1; j <= 7; ++j)
    for (int i = 1; i <= 7; ++i) a[static_cast<std::size_t>((i - 1) + 7 * (j - 1))] = 10.0f * i + j;
  base::prtmat(a.data(), 7, 7, "A7");
  const auto l = lines_of(file("unit6.out"));
  ASSERT_EQ(l.size(), 2u + 8u + 1u + 8u);
  EXPECT_EQ(l[1], " PRINTING MATRIX: A7");
  EXPECT_EQ(l[2], " COLUMN             1                   2                   3                   4"
                  "                   5                   6");
  EXPECT_EQ(l[3], " ROW   1        0.110000E+02        0.120000E+02        0.130000E+02"
                  "        0.140000E+02        0.150000E+02        0.160000E+02");
  EXPECT_EQ(l[9], " ROW   7        0.710000E+02        0.720000E+02        0.730000E+02"
                  "        0.740000E+02        0.750000E+02        0.760000E+02");
  EXPECT_EQ(l[11], " COLUMN             7");
  EXPECT_EQ(l[12], " ROW   1        0.170000E+02");
  EXPECT_EQ(l[18], " ROW   7        0.770000E+02");
  EXPECT_EQ(file("temp30.out"), "");
}

TEST_F(MatrixPrint, LeadingDimensionAndFixedPoint) {
  // A(3, 2) stored with LDA = 3; only the first two rows are printed.
  const std::array<float, 6> a{1.5f, -2.0f, 99.0f, 0.25f, 4.0f, 99.0f};
  base::prtmt2(a.data(), 2, 2, "T", 3);
  const auto l = lines_of(file("unit6.out"));
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l[2], " COLUMN             1                   2");
  EXPECT_EQ(l[3], " ROW   1            1.500000            0.250000");
  EXPECT_EQ(l[4], " ROW   2           -2.000000            4.000000");
}

TEST_F(MatrixPrint, DumpWritesTheNonZeroTermsBeforeEachRow) {
  const std::array<float, 4> a{1.0f, 0.0f, 0.0f, -4.0f};  // diag(1, -4)
  base::prtmat(a.data(), 2, 2, "K MATRIX DUMP=30");
  const auto dump = lines_of(file("temp30.out"));
  ASSERT_EQ(dump.size(), 2u);
  int i = 0, j = 0;
  float v = 0.0f;
  std::string rest;
  std::istringstream s1(dump[0]);
  s1 >> i >> j >> v;
  std::getline(s1, rest);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(j, 1);
  EXPECT_EQ(v, 1.0f);
  EXPECT_NE(rest.find("K MATRIX DUMP=30"), std::string::npos);
  std::istringstream s2(dump[1]);
  s2 >> i >> j >> v;
  EXPECT_EQ(i, 2);
  EXPECT_EQ(j, 2);
  EXPECT_EQ(v, -4.0f);
}

TEST_F(MatrixPrint, DumpIntoTheReportIsIgnored) {
  const std::array<float, 1> a{3.0f};
  base::prtmat(a.data(), 1, 1, "K DUMP=6");
  const auto l = lines_of(file("unit6.out"));
  EXPECT_EQ(l.size(), 4u);  // empty line, title, heading, row
}

TEST_F(MatrixPrint, SkylineCellsOnlyInsideTheProfile) {
  // Order 3: column 2 holds (2,2) and (1,2) = 0.0; column 3 only its diagonal.
  const std::array<float, 4> a{4.0f, 5.0f, 0.0f, 6.0f};
  const std::array<std::int32_t, 4> mdiag{1, 2, 4, 5};
  base::skyprt(a.data(), mdiag.data(), 3, 4, "S DUMP=30");
  const auto l = lines_of(file("unit6.out"));
  const std::string blank(20, ' ');
  ASSERT_EQ(l.size(), 6u);
  EXPECT_EQ(l[1], " PRINTING MATRIX: S DUMP=30");
  EXPECT_EQ(l[2], "         | COLUMN    1-------| COLUMN    2-------| COLUMN    3-------|");
  EXPECT_EQ(l[3], " ROW    1        0.400000E+01        0.000000E+00" + blank);
  EXPECT_EQ(l[4], " ROW    2" + blank + "        0.500000E+01" + blank);
  EXPECT_EQ(l[5], " ROW    3" + blank + blank + "        0.600000E+01");
  // The zero inside the profile is printed but not dumped.
  EXPECT_EQ(lines_of(file("temp30.out")).size(), 3u);
}

TEST_F(MatrixPrint, PackedTriangleThroughTheColumnStarts) {
  // Order 7: the second block (column 7) skips no row, the first block drops
  // row 7, which lies below all its diagonals.
  std::array<float, 28> k{};
  for (std::size_t n = 0; n < k.size(); ++n) k[n] = static_cast<float>(n + 1);
  base::skyprt(k.data(), kv::titles().np.data() + 1, 7, 29, "KE");
  const auto l = lines_of(file("unit6.out"));
  ASSERT_EQ(l.size(), 2u + 7u + 1u + 8u);
  EXPECT_EQ(l[8].substr(0, 9), " ROW    6");
  EXPECT_EQ(l[9], "");
  // Column 7 starts at NP(7) = 22: (7,7) = 22, (1,7) = NP(7) + 6 = 28.
  EXPECT_EQ(l[11], " ROW    1        0.280000E+02");
  EXPECT_EQ(l[17], " ROW    7        0.220000E+02");
}

}  // namespace
