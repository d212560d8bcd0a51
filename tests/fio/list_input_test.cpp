// List-directed (free-format) input read from text in memory.
#include <gtest/gtest.h>

#include <string>

#include "fio/fio.h"

namespace {

using fio::read_list_text;
using fio::Status;

TEST(ListInput, SeparatorsAreBlanksCommasTabsAndRecordEnds) {
  struct Row {
    const char* text;
  };
  const Row rows[] = {{"1 2 3"}, {"1,2,3"}, {"  1 ,  2 ,3  "}, {"1\t2\t3\r"}, {"1\n2\n3"},
                      {"\n\n1\n\n2 3"}, {"1 2\r\n3\r\n"}, {"1,\n2,\n3"}};
  for (const auto& r : rows) {
    std::int32_t a = 0, b = 0, c = 0;
    EXPECT_EQ(read_list_text(r.text, a, b, c), Status::ok) << r.text;
    EXPECT_EQ(a, 1) << r.text;
    EXPECT_EQ(b, 2) << r.text;
    EXPECT_EQ(c, 3) << r.text;
  }
}

TEST(ListInput, NullValuesLeaveTargetsUnchanged) {
  struct Row {
    const char* text;
    std::int32_t a, b, c;
  };
  const Row rows[] = {
      {"1,,3", 1, 9, 3},     {",2,3", 9, 2, 3},    {",,3", 9, 9, 3},     {"1 , , 3", 1, 9, 3},
      {"2*,3", 9, 9, 3},     {"2* 3", 9, 9, 3},    {"1 2*", 1, 9, 9},    {"1,2,\n,", 1, 2, 9},
      {"1,2\n,3", 1, 2, 3},  // a comma after a record end closes nothing new
  };
  for (const auto& r : rows) {
    std::int32_t a = 9, b = 9, c = 9;
    EXPECT_EQ(read_list_text(r.text, a, b, c), Status::ok) << r.text;
    EXPECT_EQ(a, r.a) << r.text;
    EXPECT_EQ(b, r.b) << r.text;
    EXPECT_EQ(c, r.c) << r.text;
  }
}

TEST(ListInput, RepeatCounts) {
  std::int32_t i[3] = {0, 0, 0};
  EXPECT_EQ(read_list_text("3*7", std::span<std::int32_t>(i)), Status::ok);
  EXPECT_EQ(i[0], 7);
  EXPECT_EQ(i[1], 7);
  EXPECT_EQ(i[2], 7);
  float a = 0, b = 0, c = 0;
  EXPECT_EQ(read_list_text("2*1.5 3", a, b, c), Status::ok);
  EXPECT_EQ(a, 1.5f);
  EXPECT_EQ(b, 1.5f);
  EXPECT_EQ(c, 3.0f);
  std::string s, t;
  EXPECT_EQ(read_list_text("2*'A B'", s, t), Status::ok);
  EXPECT_EQ(s, "A B");
  EXPECT_EQ(t, "A B");
  std::int32_t x = 0;
  EXPECT_EQ(read_list_text("5*4", x), Status::ok);  // more repeats than targets
  EXPECT_EQ(x, 4);
}

TEST(ListInput, SlashEndsTheReadLeavingTheRestUnchanged) {
  std::int32_t a = 9, b = 9, c = 9, d = 9;
  EXPECT_EQ(read_list_text("1 2 / 3 4", a, b, c, d), Status::ok);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 9);
  EXPECT_EQ(d, 9);
  a = 9;
  b = 9;
  EXPECT_EQ(read_list_text("1/ 5", a, b), Status::ok);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 9);
  a = 9;
  EXPECT_EQ(read_list_text("/", a), Status::ok);
  EXPECT_EQ(a, 9);
}

TEST(ListInput, Texts) {
  struct Row {
    const char* text;
    const char* first;
    const char* second;
  };
  const Row rows[] = {
      {"'IT''S A' B", "IT'S A", "B"},
      {"\"SAY \"\"HI\"\"\" B", "SAY \"HI\"", "B"},
      {"'A,B/C' 'D'", "A,B/C", "D"},
      {"SOL 2", "SOL", "2"},          // a number read into a text is its text
      {"ABC,DEF", "ABC", "DEF"},
      {"12.5 X", "12.5", "X"},
      {"'' X", "", "X"},
      {"'O\"K' X", "O\"K", "X"},
  };
  for (const auto& r : rows) {
    std::string a = "?", b = "?";
    EXPECT_EQ(read_list_text(r.text, a, b), Status::ok) << r.text;
    EXPECT_EQ(a, r.first) << r.text;
    EXPECT_EQ(b, r.second) << r.text;
  }
}

TEST(ListInput, UnquotedTextEndsAtSlash) {
  std::string name;
  float x = -1.0f;
  EXPECT_EQ(read_list_text("R/CONCRETE1 1.0", name, x), Status::ok);
  EXPECT_EQ(name, "R");
  EXPECT_EQ(x, -1.0f);
  std::string cmd;
  std::int32_t n = 0;
  EXPECT_EQ(read_list_text("SOL 2", cmd, n), Status::ok);
  EXPECT_EQ(cmd, "SOL");
  EXPECT_EQ(n, 2);
}

TEST(ListInput, Logicals) {
  bool v[8];
  for (bool& b : v) b = false;
  for (int k = 0; k < 8; k += 2) v[k] = false, v[k + 1] = true;
  EXPECT_EQ(read_list_text("T F .TRUE. .FALSE. t f .t. .F.", std::span<bool>(v)), Status::ok);
  const bool want[8] = {true, false, true, false, true, false, true, false};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(v[k], want[k]) << k;
}

TEST(ListInput, IntegersAndReals) {
  std::int32_t i1 = 0, i2 = 0, i3 = 0;
  EXPECT_EQ(read_list_text("+5 -3 0007", i1, i2, i3), Status::ok);
  EXPECT_EQ(i1, 5);
  EXPECT_EQ(i2, -3);
  EXPECT_EQ(i3, 7);

  struct Row {
    const char* text;
    float want;
  };
  const Row rows[] = {{"1", 1.0f},         {"1.", 1.0f},        {".5", 0.5f},         {"1E5", 1.0e5f},
                      {"1.0D0", 1.0f},     {"1e-3", 1.0e-3f},   {"-2.5E+02", -250.0f}, {"+3", 3.0f},
                      {"1.5+3", 1500.0f},  {"0.1", 0.1f},       {"-.25d-1", -0.025f},  {"2.5e0", 2.5f}};
  for (const auto& r : rows) {
    float x = -99.0f;
    EXPECT_EQ(read_list_text(r.text, x), Status::ok) << r.text;
    EXPECT_EQ(x, r.want) << r.text;  // the decimal value rounded once to float
  }
  double d = 0;
  EXPECT_EQ(read_list_text("0.1", d), Status::ok);
  EXPECT_EQ(d, 0.1);
  EXPECT_EQ(read_list_text("1.0D-300", d), Status::ok);
  EXPECT_EQ(d, 1.0e-300);
}

TEST(ListInput, InputErrorsAreStatuses) {
  std::int32_t n = 0;
  float x = 0;
  bool b = false;
  for (const char* t : {"2.0", "abc", "1E3", "'7'", "99999999999", "5x"}) {
    n = 11;
    EXPECT_EQ(read_list_text(t, n), Status::error) << t;
  }
  for (const char* t : {"abc", ".", "1.5E", "1..2", "'1.5'"}) EXPECT_EQ(read_list_text(t, x), Status::error) << t;
  for (const char* t : {"X", "1", "'T'"}) EXPECT_EQ(read_list_text(t, b), Status::error) << t;
  // values before the faulty one are kept
  std::int32_t a = 0, c = 0;
  EXPECT_EQ(read_list_text("4 2.0", a, c), Status::error);
  EXPECT_EQ(a, 4);
}

// A number that is not one, or that the target cannot hold, must not reach
// the model as NaN or Infinity: it is an input error and the target keeps its
// value. The largest finite values still read.
TEST(ListInput, NonFiniteAndOutOfRangeNumbersAreErrors) {
  struct Row {
    const char* text;
    bool for_float;  // false: the target is double precision
  };
  const Row rows[] = {{"nan", true},     {"NaN", true},       {"inf", true},   {"Infinity", true},
                      {"1e39", true},    {"-1.0E39", true},   {"1e400", true}, {"3.5E38", true},
                      {"nan", false},    {"NaN", false},      {"1e400", false}, {"-1.0D309", false},
                      {"Infinity", false}};
  for (const auto& r : rows) {
    if (r.for_float) {
      float x = 7.0f;
      EXPECT_EQ(read_list_text(r.text, x), Status::error) << r.text;
      EXPECT_EQ(x, 7.0f) << r.text;
    } else {
      double x = 7.0;
      EXPECT_EQ(read_list_text(r.text, x), Status::error) << r.text;
      EXPECT_EQ(x, 7.0) << r.text;
    }
  }
  float f = 0.0f;
  EXPECT_EQ(read_list_text("3.4E38", f), Status::ok);
  EXPECT_EQ(f, 3.4e38f);
  EXPECT_EQ(read_list_text("-1e-50", f), Status::ok);  // below the smallest float: rounds to zero
  EXPECT_EQ(f, 0.0f);
  double d = 0.0;
  EXPECT_EQ(read_list_text("1e39", d), Status::ok);
  EXPECT_EQ(d, 1.0e39);
  EXPECT_EQ(read_list_text("1.7D308", d), Status::ok);
  EXPECT_EQ(d, 1.7e308);
}

TEST(ListInput, EndOfFile) {
  std::int32_t a = 9, b = 9, c = 9;
  EXPECT_EQ(read_list_text("", a), Status::end);
  EXPECT_EQ(read_list_text("   \n\n  \n", a), Status::end);
  EXPECT_EQ(a, 9);
  // the end in the middle of the list is an end too; what was read is kept
  EXPECT_EQ(read_list_text("1 2", a, b, c), Status::end);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 9);
  std::string s;
  EXPECT_EQ(read_list_text("'OPEN", s), Status::end);  // an unclosed quote
}

TEST(ListInput, QuotedTextGoesOnOverTheRecordEnd) {
  std::string s;
  std::int32_t n = 0;
  EXPECT_EQ(read_list_text("'AB\nCD' 5", s, n), Status::ok);
  EXPECT_EQ(s, "ABCD");
  EXPECT_EQ(n, 5);
}

TEST(ListInput, MixedRecord) {
  std::string name;
  float e = 0, a = 0;
  std::int32_t k = 0;
  double g = 0;
  EXPECT_EQ(read_list_text("BRACE1 29000., 1.5E1\n 3 , 386.4 extra stuff", name, e, a, k, g), Status::ok);
  EXPECT_EQ(name, "BRACE1");
  EXPECT_EQ(e, 29000.0f);
  EXPECT_EQ(a, 15.0f);
  EXPECT_EQ(k, 3);
  EXPECT_EQ(g, 386.4);
}

}  // namespace
