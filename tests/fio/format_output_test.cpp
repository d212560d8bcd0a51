// Formatted output: every edit descriptor and the rules of the format walk.
// Expected texts are worked out by hand from the edit-descriptor rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <limits>
#include <string>
#include <vector>

#include "fio/fio.h"

namespace {

struct Case {
  int line;
  std::string got;
  std::string want;
};
#define C(call, want) Case{__LINE__, (call), (want)}

void check(const std::vector<Case>& cases) {
  for (const auto& c : cases) {
    EXPECT_EQ(c.got, c.want) << "case at line " << c.line;
  }
}

using fio::format;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(FormatOutput, IntegerEdit) {
  check({
      C(format("(I5)", 42), "   42"),
      C(format("(I5)", -42), "  -42"),
      C(format("(I3)", 1234), "***"),
      C(format("(I3)", -99), "-99"),
      C(format("(I3)", -100), "***"),
      C(format("(I1)", 0), "0"),
      C(format("(I5.3)", 7), "  007"),
      C(format("(I5.3)", -7), " -007"),
      C(format("(I4.0)", 0), "    "),
      C(format("(I0)", -15), "-15"),
      C(format("(SP,I4)", 5), "  +5"),
      C(format("(SP,I4,SS,I4)", 5, 5), "  +5   5"),
      C(format("(SP,I4,S,I4)", 5, 5), "  +5   5"),
      C(format("(3I5)", 1, 2, 3), "    1    2    3"),
      C(format("(I12)", 2147483647), "  2147483647"),
  });
}

TEST(FormatOutput, FixedPointEdit) {
  check({
      C(format("(F8.3)", 3.14159), "   3.142"),
      C(format("(F8.3)", -3.14159), "  -3.142"),
      C(format("(F5.2)", 0.5), " 0.50"),
      C(format("(F4.2)", 0.5), "0.50"),
      C(format("(F3.2)", 0.5), ".50"),       // one column short: the leading 0 goes
      C(format("(F4.2)", -0.5), "-.50"),
      C(format("(F3.2)", -0.5), "***"),
      C(format("(F5.1)", 99.96), "100.0"),   // rounding carries into a new digit
      C(format("(F4.1)", 99.96), "****"),
      C(format("(F8.2)", 0.0), "    0.00"),
      C(format("(F5.0)", 0.0), "   0."),
      C(format("(F2.0)", 0.4), "0."),        // the only digit is not optional
      C(format("(F6.0)", 17.0), "   17."),
      C(format("(SP,F6.2)", 1.5), " +1.50"),
      C(format("(F10.3)", 1.0e10), "**********"),
      C(format("(F12.10)", 0.1f), "0.1000000015"),  // the REAL's own binary value
      C(format("(3F6.1)", 1.0, -2.0, 3.25), "   1.0  -2.0   3.3"),
  });
}

// A message value that is not finite is named in its field's width; a short
// field takes the whole text.
TEST(FormatOutput, ValueOrNotFinite) {
  check({
      C(fio::value_or_not_finite(-3.4e38, "(1P,E12.4)"), " -3.4000E+38"),
      C(fio::value_or_not_finite(-kInf, "(1P,E12.4)"), "  NOT FINITE"),
      C(fio::value_or_not_finite(kNaN, "(1P,E15.6)"), "     NOT FINITE"),
      C(fio::value_or_not_finite(kInf, "(F6.1)"), "NOT FINITE"),
      C(fio::value_or_not_finite(2.5, "(F6.1)"), "   2.5"),
  });
}

TEST(FormatOutput, RoundingOfTheExactBinaryValue) {
  check({
      // exact ties round away from zero
      C(format("(F6.0)", 2.5), "    3."),
      C(format("(F6.0)", -2.5), "   -3."),
      C(format("(F5.2)", 0.125), " 0.13"),
      C(format("(F5.2)", 0.375), " 0.38"),
      C(format("(F5.1)", 0.25), "  0.3"),
      C(format("(E10.2)", 0.125), "  0.13E+00"),
      // decimal "ties" that are not ties in binary
      C(format("(F5.1)", 0.35), "  0.3"),    // 0.34999999999999997...
      C(format("(F6.2)", 1.005), "  1.00"),  // 1.00499999999999989...
      C(format("(F5.2)", 2.675), " 2.67"),   // 2.67499999999999982...
      // exact ties of large values: 2.5e19 = 5^20 2^18, 1.25e21 = 5^22 2^19
      C(format("(E8.1)", 2.5e19), " 0.3E+20"),
      C(format("(E9.2)", -1.25e21), "-0.13E+22"),
      C(format("(1PE8.0)", 2.5e19), "  3.E+19"),
      C(format("(E8.1)", 1.5e22), " 0.2E+23"),
      // ties below the value's last binary place: 2002724460206.2705078125
      // has a unit in the last place of 2^-12, far coarser than 10^-9
      C(format("(F24.9)", 2002724460206.2705078125), " 2002724460206.270507813"),
      C(format("(1PE24.15)", 2002724460206.2705078125), "   2.002724460206271E+12"),
      C(format("(1PE28.21)", 2002724460206.2705078125), " 2.002724460206270507813E+12"),
  });
}

// True when the exact decimal expansion of x (> 0) is a 5 and then only zeros
// after its first `keep` significant digits (scientific) or decimals (fixed):
// printf rounds such a tie to even, the edits away from zero.
bool exact_tie(double x, int keep, bool fixed) {
  static char buf[1200];
  std::snprintf(buf, sizeof buf, fixed ? "%.800f" : "%.800e", x);
  const std::string s(buf);
  const std::size_t cut = fixed ? s.find('.') + 1 + keep : 1 + keep;  // "d." before the decimals
  if (s[cut] != '5') return false;
  for (std::size_t i = cut + 1; i < s.size() && s[i] != 'e'; ++i)
    if (s[i] != '0') return false;
  return true;
}

// Away from exact ties the digits are those of any correctly rounded
// conversion: the C library's printf is the independent reference here.
TEST(FormatOutput, DigitsAgreeWithTheCLibraryOnRandomValues) {
  std::mt19937_64 rng(20261210);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> decade(-80, 80);
  std::uniform_int_distribution<int> small_decade(-9, 12);
  char want[80];
  for (int k = 0; k < 20000; ++k) {
    const double x = mantissa(rng) * std::pow(10.0, decade(rng));
    std::snprintf(want, sizeof want, "%24.16E", x);
    if (!exact_tie(x, 17, false)) {
      ASSERT_EQ(format("(1PE24.16)", x), want) << "x = " << x;
    }
    std::snprintf(want, sizeof want, "%15.7E", -x);
    if (!exact_tie(x, 8, false)) {
      ASSERT_EQ(format("(1PE15.7)", -x), want) << "x = " << x;
    }
    const double y = mantissa(rng) * std::pow(10.0, small_decade(rng));
    std::snprintf(want, sizeof want, "%30.9f", y);
    if (!exact_tie(y, 9, true)) {
      ASSERT_EQ(format("(F30.9)", y), want) << "y = " << y;
    }
  }
}

TEST(FormatOutput, NegativeValuesThatRoundToZeroHaveNoSign) {
  check({
      C(format("(F8.2)", -0.0), "    0.00"),
      C(format("(F8.2)", -0.001), "    0.00"),
      C(format("(E10.3)", -0.0), " 0.000E+00"),
  });
}

TEST(FormatOutput, ExponentEdit) {
  check({
      C(format("(E12.6)", -123.456), "-.123456E+03"),  // one column short
      C(format("(E13.6)", -123.456), "-0.123456E+03"),
      C(format("(E12.6)", 123.456), "0.123456E+03"),
      C(format("(E11.6)", 123.456), ".123456E+03"),
      C(format("(E10.6)", 123.456), "**********"),
      C(format("(E10.3)", 0.0), " 0.000E+00"),
      C(format("(E12.4)", 9.99996), "  0.1000E+02"),  // carry into the exponent
      C(format("(E12.4)", 1.0e-5), "  0.1000E-04"),
      C(format("(E12.5)", 1.0e-100), " 0.10000E-99"),
      C(format("(E12.5)", 1.0e100), " 0.10000+101"),  // three-digit exponent drops the E
      C(format("(E12.5)", 1.0e-101), " 0.10000-100"),
      C(format("(E15.6E3)", 1.5), "  0.150000E+001"),
      C(format("(E10.3E1)", 1.5e12), "**********"),
      C(format("(D12.5)", 1.5), " 0.15000D+01"),
      C(format("(SP,E12.4)", 1.5), " +0.1500E+01"),
      C(format("(E10.3)", 0.1f), " 0.100E+00"),
      C(format("(6E12.6)", 1.0, 2.0), "0.100000E+010.200000E+01"),
  });
}

TEST(FormatOutput, ScaleFactor) {
  check({
      C(format("(1PE12.5)", 1234.5), " 1.23450E+03"),
      C(format("(1P,E12.4,F8.2)", 0.5, 2.5), "  5.0000E-01   25.00"),
      C(format("(1P E12.4)", 0.5), "  5.0000E-01"),  // blanks inside a format do not count
      C(format("(1PE10.3)", 0.0), " 0.000E+00"),
      C(format("(1PE12.5)", 1.0e100), " 1.00000+100"),
      C(format("(1PE15.7)", 0.1f), "  1.0000000E-01"),
      C(format("(1PE15.7)", 1.0f / 3.0f), "  3.3333334E-01"),
      C(format("(2P,E12.4)", 1234.5), "  12.345E+02"),
      C(format("(-1P,E12.4)", 1234.5), "  0.0123E+05"),
      C(format("(6P,E12.4)", 1.0), "************"),  // no room for the digits
      C(format("(1P,E10.2,0P,E10.2)", 0.5, 0.5), "  5.00E-01  0.50E+00"),
      C(format("(2P,F8.2)", 1.2345), "  123.45"),
      C(format("(-1P,F8.3)", 25.0), "   2.500"),
      C(format("(1P,F6.1,I3)", 1.0, 7), "  10.0  7"),  // I is not scaled
  });
}

TEST(FormatOutput, NaNAndInfinity) {
  check({
      C(format("(F6.2)", kNaN), "   NaN"),
      C(format("(E12.4)", kNaN), "         NaN"),
      C(format("(F2.1)", kNaN), "**"),
      C(format("(F6.2)", kInf), "   Inf"),
      C(format("(F8.2)", kInf), "Infinity"),
      C(format("(F9.2)", -kInf), "-Infinity"),
      C(format("(F4.1)", -kInf), "-Inf"),
      C(format("(F3.1)", -kInf), "***"),
      C(format("(SP,E10.3)", kInf), " +Infinity"),
      C(format("(SP,E8.3)", kInf), "    +Inf"),
      C(format("(I5)", kNaN), "*****"),
  });
}

TEST(FormatOutput, TextAndLogical) {
  check({
      C(format("(A3)", "ABCDE"), "ABC"),
      C(format("(A5)", "AB"), "   AB"),
      C(format("(A)", "HELLO"), "HELLO"),
      C(format("(2A)", "ER", "ROR"), "ERROR"),
      C(format("(A,A4)", std::string("X"), std::string_view("YZ")), "X  YZ"),
      C(format("(L3)", true), "  T"),
      C(format("(L1)", false), "F"),
      C(format("(2L2)", true, false), " T F"),
      C(format("('IT''S')"), "IT'S"),
      C(format("(\"SAY \"\"HI\"\"\")"), "SAY \"HI\""),
      C(format("(' N=',I3)", 7), " N=  7"),
      C(format("(5HHELLO,I2)", 1), "HELLO 1"),
      C(format("('1',10X,'PAGE')"), "1          PAGE"),  // carriage control is plain text
  });
}

TEST(FormatOutput, Positioning) {
  check({
      C(format("(1X,I2)", 5), "  5"),
      C(format("(I2,3X)", 5), " 5"),  // skipped columns count only when written beyond
      C(format("(I2,3X,I1)", 5, 6), " 5   6"),
      C(format("(A5,T2,A1)", "ABCDE", "x"), "AxCDE"),
      C(format("(T5,A2)", "AB"), "    AB"),
      C(format("(A3,TL2,A1)", "ABC", "x"), "AxC"),
      C(format("(A1,TR2,A1)", "A", "B"), "A  B"),
      C(format("(T10,'X',T1,'Y')"), "Y        X"),
  });
}

TEST(FormatOutput, RecordsSlashAndColon) {
  check({
      C(format("(I2,/,I2)", 1, 2), " 1\n 2"),
      C(format("(I2,//,I2)", 1, 2), " 1\n\n 2"),
      C(format("(I2/I2)", 1, 2), " 1\n 2"),
      C(format("(1X,I5,/)", 3), "     3\n"),
      C(format("('A',/)"), "A\n"),
      C(format("(/)"), "\n"),
      C(format("(I2,' X')", 1), " 1 X"),
      C(format("(I2,:,' X')", 1), " 1"),
      C(format("(I2,:,' X',I2)", 1, 2), " 1 X 2"),
      C(format("(' ELEMENT ',I6,' IS')"), " ELEMENT "),  // no values: up to the first data item
  });
}

TEST(FormatOutput, GroupsAndReversion) {
  check({
      C(format("(I3)", 1, 2, 3), "  1\n  2\n  3"),
      C(format("(1X,I2,2(I3))", 1, 2, 3, 4, 5), "  1  2  3\n  4  5"),
      C(format("(2(I2,1X))", 1, 2, 3), " 1  2\n 3"),
      C(format("(2(2(I1),'|'))", 1, 2, 3, 4), "12|34|"),
      // reversion takes the last outer group with its repeat count
      C(format("(I1,2(I2))", 1, 2, 3, 4, 5, 6), "1 2 3\n 4 5\n 6"),
      C(format("((I2,F5.1),/,(2X,F5.1))", 1, 1.5, 2.5, 3.5), " 1  1.5\n    2.5\n    3.5"),
      // the scale factor and the sign mode hold over reversion
      C(format("(1P,E10.2,(F6.1))", 0.5, 0.25, 0.75), "  5.00E-01   2.5\n   7.5"),
      C(format("(SP,I3)", 1, 2), " +1\n +2"),
      // a list without data items does not loop on the values it cannot take
      C(format("('X')", 1, 2), "X"),
      C(format("(6E12.6)", 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0),
        "0.100000E+010.200000E+010.300000E+010.400000E+010.500000E+010.600000E+01\n0.700000E+01"),
  });
}

TEST(FormatOutput, ReportLayouts) {
  const std::string b28(28, ' '), b49(49, ' ');
  check({
      // a signed vector layout: the first component without a sign column
      C(format("(5X,3(A,S,F9.5,' I',SP,F9.5,' J',F9.5,' K  '),S)", " V1:", 1.0f, 0.0f, 0.0f),
        "      V1:  1.00000 I +0.00000 J +0.00000 K  "),
      // first line from the first group, further pairs from the last one
      C(format("((28X, I4, 2X, 3E15.6), /, (49X, 2E15.6))", 3, 0.5f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f),
        b28 + "   3" + "  " + "   0.500000E+00   0.100000E+01   0.200000E+01\n" + b49 +
            "   0.300000E+01   0.400000E+01\n" + b49 + "   0.500000E+01"),
      C(format("(/, I10, E12.5, 1X, 'FORCE', 1X, I6, 1P, 2E15.6)", 1, 0.25, 7, 1.0, -2.0),
        "\n         1 0.25000E+00 FORCE      7   1.000000E+00  -2.000000E+00"),
      C(format("(5X,I5,2A,I10)", 12, "AB", "CD", 3), "        12ABCD         3"),
      C(format("(1X, 1P, 3E12.4)", 1.0, 10.0, 0.01), "   1.0000E+00  1.0000E+01  1.0000E-02"),
      C(format("(8F10.0)", 1.0, 2.5), "        1.        3."),
  });
}

TEST(FormatOutput, ValuesOfAnotherKindAreConverted) {
  check({
      C(format("(F8.2)", 3), "    3.00"),
      C(format("(E10.3)", 5), " 0.500E+01"),
      C(format("(I4)", 3.9), "   3"),     // toward zero
      C(format("(I4)", -3.9f), "  -3"),
      C(format("(I4)", 1.0e30), "****"),
      C(format("(I5)", true), "    1"),
      C(format("(I3)", "AB"), " AB"),
      C(format("(A4)", 12), "  12"),
      C(format("(L2)", 0), " F"),
  });
}

TEST(FormatOutput, ArraysExpandElementByElement) {
  std::vector<int> v{1, 2, 3};
  float f[2] = {1.5f, -0.5f};
  check({
      C(format("(3I3)", v), "  1  2  3"),
      C(format("(I2,2F5.1)", 9, std::span<const float>(f, 2)), " 9  1.5 -0.5"),
  });
}

TEST(FormatOutput, FormatWithoutParenthesesIsReportedNotLost) {
  std::string s = format("I5", 3);
  EXPECT_NE(s.find("BAD FORMAT"), std::string::npos);
  EXPECT_NE(s.find('3'), std::string::npos);
  EXPECT_NE(format("(I5", 3).find("BAD FORMAT"), std::string::npos);
}

TEST(FormatOutput, RecordsComeBackSeparately) {
  std::vector<fio::Value> v;
  fio::push_value(v, 1);
  fio::push_value(v, 2);
  auto recs = fio::format_records("(I2,/,1X,I2,/)", v);
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_EQ(recs[0], " 1");
  EXPECT_EQ(recs[1], "  2");
  EXPECT_EQ(recs[2], "");
}

TEST(ListOutput, Layout) {
  using fio::list_format;
  check({
      C(list_format("ER", "ROR"), " ERROR"),
      C(list_format(5), " 5"),
      C(list_format("N=", 5), " N= 5"),
      C(list_format(5, "X"), " 5 X"),
      C(list_format(-12, 3), " -12 3"),
      C(list_format(true, false), " T F"),
      C(list_format(1.0f), "   1.0000000E+00"),
      C(list_format("A=", 2.0f, "B"), " A=   2.0000000E+00 B"),
      C(list_format(-1.5), "   -1.500000000000000E+00"),
      C(list_format(std::string("  ")), "   "),
      C(list_format(), ""),
  });
}

}  // namespace
