// Fixed-field formatted input read from text in memory.
#include <gtest/gtest.h>

#include <string>

#include "fio/fio.h"

namespace {

using fio::read_fmt_text;
using fio::Status;

TEST(FormattedInput, IntegerFields) {
  struct Row {
    const char* text;
    const char* fmt;
    std::int32_t want;
  };
  const Row rows[] = {
      {"  123", "(I5)", 123},   {"-0042", "(I5)", -42}, {"1 2 3", "(I5)", 123},  // blanks ignored
      {"     ", "(I5)", 0},     {"12", "(I5)", 12},     {"\n", "(I5)", 0},       // short record padded
      {"  +7", "(I4)", 7},      {"123456", "(I3)", 123},
      {"1 2  ", "(BZ,I5)", 10200},  {"abcde   42", "(5X,I5)", 42}, {"abcde   42", "(T6,I5)", 42},
  };
  for (const auto& r : rows) {
    std::int32_t n = -1;
    EXPECT_EQ(read_fmt_text(r.text, r.fmt, n), Status::ok) << r.text << " " << r.fmt;
    EXPECT_EQ(n, r.want) << r.text << " " << r.fmt;
  }
}

TEST(FormattedInput, RealFields) {
  struct Row {
    const char* text;
    const char* fmt;
    double want;
  };
  const Row rows[] = {
      {"      1234", "(F10.3)", 1.234},     // no point: d implied decimals
      {"   12.5   ", "(F10.3)", 12.5},      // a point overrides d
      {"       123", "(E10.2)", 1.23},
      {"  1.2345E+02", "(E12.5)", 123.45},
      {"         150", "(E12.5)", 0.0015},
      {"      1.5E3 ", "(E12.5)", 1500.0},
      {"       1.5+3", "(E12.5)", 1500.0},
      {"       1.5D3", "(E12.5)", 1500.0},
      {"  -2.5e-1   ", "(E12.5)", -0.25},
      {"          ", "(F10.3)", 0.0},
      {"1 5. 2", "(F6.0)", 15.2},
      {"      1234", "(1P,F10.3)", 0.1234},  // the scale factor divides a field without exponent
      {"    1.5E2", "(1P,E9.1)", 150.0},     // but not one with an exponent
      {"   -7", "(F5.0)", -7.0},
  };
  for (const auto& r : rows) {
    double x = -1;
    EXPECT_EQ(read_fmt_text(r.text, r.fmt, x), Status::ok) << r.text << " " << r.fmt;
    EXPECT_EQ(x, r.want) << r.text << " " << r.fmt;
  }
  float f = 0;
  EXPECT_EQ(read_fmt_text("       0.1", "(F10.0)", f), Status::ok);
  EXPECT_EQ(f, 0.1f);
}

TEST(FormattedInput, OneRecordOfAnIntegerAndSixReals) {
  std::int32_t n = 0;
  float v[6] = {9, 9, 9, 9, 9, 9};
  const std::string rec = std::string("     7") + " 0.12345E+01" + "         150" + "      1.5E3 " +
                          "        -2.5" + "      1.0D-2";
  ASSERT_EQ(rec.size(), 66u);
  EXPECT_EQ(read_fmt_text(rec, "(I6,6E12.5)", n, std::span<float>(v)), Status::ok);
  EXPECT_EQ(n, 7);
  EXPECT_EQ(v[0], 1.2345f);
  EXPECT_EQ(v[1], 0.0015f);
  EXPECT_EQ(v[2], 1500.0f);
  EXPECT_EQ(v[3], -2.5f);
  EXPECT_EQ(v[4], 0.01f);
  EXPECT_EQ(v[5], 0.0f);  // the record is short: a blank field is zero
}

TEST(FormattedInput, TextFields) {
  std::string s;
  EXPECT_EQ(read_fmt_text("HELLO", "(A70)", s), Status::ok);
  EXPECT_EQ(s, "HELLO" + std::string(65, ' '));
  EXPECT_EQ(read_fmt_text("ABCDEFG", "(A5)", s), Status::ok);
  EXPECT_EQ(s, "ABCDE");
  s.clear();
  EXPECT_EQ(read_fmt_text("HELLO WORLD", "(A)", s), Status::ok);
  EXPECT_EQ(s, "HELLO WORLD");
  s = "xyz";
  EXPECT_EQ(read_fmt_text("HELLO WORLD", "(A)", s), Status::ok);  // keeps its length
  EXPECT_EQ(s, "HEL");
  std::string a, b;
  EXPECT_EQ(read_fmt_text("AB CD", "(A2,1X,A2)", a, b), Status::ok);
  EXPECT_EQ(a, "AB");
  EXPECT_EQ(b, "CD");
}

TEST(FormattedInput, LogicalFields) {
  bool a = false, b = true, c = true;
  EXPECT_EQ(read_fmt_text("    T .FALSE  ", "(L5,L7,L2)", a, b, c), Status::ok);
  EXPECT_TRUE(a);
  EXPECT_FALSE(b);
  EXPECT_FALSE(c);  // blank field
}

TEST(FormattedInput, PositioningBackwards) {
  std::int32_t a = 0, b = 0;
  EXPECT_EQ(read_fmt_text("12", "(I2,T1,I1)", a, b), Status::ok);
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(read_fmt_text("12345", "(T4,I2,TL4,I1)", a, b), Status::ok);
  EXPECT_EQ(a, 45);
  EXPECT_EQ(b, 2);
}

TEST(FormattedInput, SlashAndReversionReadFurtherRecords) {
  std::int32_t a = 0, b = 0;
  EXPECT_EQ(read_fmt_text("    1  junk\n    2", "(I5,/,I5)", a, b), Status::ok);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  std::int32_t v[5] = {};
  EXPECT_EQ(read_fmt_text("  1  2  9\n  3  4\n  5", "(2I3)", std::span<std::int32_t>(v)), Status::ok);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(v[k], k + 1);
  std::int32_t h = 0, w[4] = {};
  EXPECT_EQ(read_fmt_text("  7 1 2\n 3 4", "(I3,(2I2))", h, std::span<std::int32_t>(w)), Status::ok);
  EXPECT_EQ(h, 7);
  EXPECT_EQ(w[0], 1);
  EXPECT_EQ(w[1], 2);
  EXPECT_EQ(w[2], 3);
  EXPECT_EQ(w[3], 4);
}

TEST(FormattedInput, EndAndErrors) {
  std::int32_t a = 5, b = 5;
  EXPECT_EQ(read_fmt_text("", "(I5)", a), Status::end);
  EXPECT_EQ(read_fmt_text("  1\n", "(I3)", a, b), Status::end);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(read_fmt_text("  1.5", "(I5)", a), Status::error);
  EXPECT_EQ(read_fmt_text("  abc", "(I5)", a), Status::error);
  float x = 0;
  EXPECT_EQ(read_fmt_text("  1.5Q", "(F6.1)", x), Status::error);
  EXPECT_EQ(read_fmt_text("  1.5", "(F5", x), Status::error);  // not a format
  EXPECT_EQ(read_fmt_text("  1.5", "('X')", x), Status::error);  // no field for the target
}

// A field beyond the target's range, or a NaN, is an input error as in
// free-format input.
TEST(FormattedInput, NonFiniteAndOutOfRangeFieldsAreErrors) {
  struct Row {
    const char* text;
    const char* fmt;
  };
  const Row float_rows[] = {{"     1.0E39", "(E11.4)"}, {"    1.0E400", "(E11.4)"}, {"        NaN", "(E11.4)"},
                            {"        inf", "(F11.2)"}, {"  -35.0+37", "(E10.1)"}};
  for (const auto& r : float_rows) {
    float x = 7.0f;
    EXPECT_EQ(read_fmt_text(r.text, r.fmt, x), Status::error) << r.text;
    EXPECT_EQ(x, 7.0f) << r.text;
  }
  const Row double_rows[] = {{"    1.0E400", "(E11.4)"}, {"        nan", "(F11.2)"}, {"   1.0D999", "(D10.1)"}};
  for (const auto& r : double_rows) {
    double x = 7.0;
    EXPECT_EQ(read_fmt_text(r.text, r.fmt, x), Status::error) << r.text;
    EXPECT_EQ(x, 7.0) << r.text;
  }
  double d = 0.0;
  EXPECT_EQ(read_fmt_text("     1.0E39", "(E11.4)", d), Status::ok);
  EXPECT_EQ(d, 1.0e39);
  float f = 0.0f;
  EXPECT_EQ(read_fmt_text("    3.0E38", "(E10.1)", f), Status::ok);
  EXPECT_EQ(f, 3.0e38f);
}

}  // namespace

namespace {

// Formats read at run time: the cache goes by the text, not by where it lies.
TEST(FormattedInput, RunTimeFormatsAreTakenByTheirText) {
  std::string fmt = "(4F5.1)";
  float v[6] = {};
  const char* text = "  1.0  2.0  3.0  4.0  5.0  6.0\n  7.0  8.0";
  EXPECT_EQ(read_fmt_text(text, fmt, std::span<float>(v)), Status::ok);
  EXPECT_EQ(v[3], 4.0f);
  EXPECT_EQ(v[4], 7.0f);  // the second record: reversion after four fields
  fmt[1] = '6';            // same buffer, new text
  EXPECT_EQ(read_fmt_text(text, fmt, std::span<float>(v)), Status::ok);
  EXPECT_EQ(v[4], 5.0f);
  EXPECT_EQ(v[5], 6.0f);
  EXPECT_EQ(fio::format(fmt, 1.0, 2.0), "  1.0  2.0");
}

}  // namespace
