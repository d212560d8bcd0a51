// LDIR, INTSCT and SLPMIN.
#include <gtest/gtest.h>

#include "materials/fixtures.h"
#include "materials/rules.h"

namespace {

using materials::intsct;
using materials::ldir;
using materials::slpmin;

struct LdirCase {
  float a, b, c, d;
  int idir, i1, i2;
};

// One row per cell of the classification: force now a, before b, rates c, d.
const LdirCase kLdirCases[] = {
    {0, 5, 1, 1, 0, 1, 2},      // no force, rate kept
    {0, 5, 1, -1, -1, 1, 2},    // no force, rate reversed
    {2, -1, 1, 1, 0, 2, 1},     // force changed sign, rate kept
    {2, -1, -1, 1, 1, 2, 1},    // force changed sign, rate reversed
    {2, 1, 1, 1, 1, 2, 1},      // growing force
    {2, 1, 1, -1, -1, 2, 1},    // growing force, rate reversed
    {2, 2, 0, 1, 1, 2, 1},      // equal forces count as growing; c*d = 0 counts as kept
    {2, 3, 1, 1, -1, 1, 2},     // falling force
    {2, 3, -1, 1, 1, 1, 2},     // falling force, rate reversed
    {-2, -3, 1, 1, -1, 2, 1},   // falling in the negative sense
    {-2, 0, 1, 1, 1, 1, 2},     // from zero: a*b = 0 is not a sign change
};

class LdirTable : public ::testing::TestWithParam<LdirCase> {};

TEST_P(LdirTable, Classifies) {
  const LdirCase& t = GetParam();
  int idir = 99, i1 = 99, i2 = 99;
  ldir(idir, i1, i2, t.a, t.b, t.c, t.d);
  EXPECT_EQ(idir, t.idir);
  EXPECT_EQ(i1, t.i1);
  EXPECT_EQ(i2, t.i2);
}

INSTANTIATE_TEST_SUITE_P(Rules, LdirTable, ::testing::ValuesIn(kLdirCases));

struct SlpminCase {
  float a, b, c, expected;
};

const SlpminCase kSlpminCases[] = {
    {2, 6, 5, 3},     // b/a below the cap
    {2, 20, 5, 5},    // capped
    {-2, 6, 5, 5},    // opposite signs: the cap
    {-2, -6, 5, 3},   // both negative: a positive slope
    {2, 10, 5, 5},    // tie
    {0, 6, 5, 5},     // a = 0: no slope
    {2, 0, 5, 5},     // b = 0: no slope
};

class SlpminTable : public ::testing::TestWithParam<SlpminCase> {};

TEST_P(SlpminTable, LimitsTheSlope) {
  const SlpminCase& t = GetParam();
  EXPECT_FLOAT_EQ(slpmin(t.a, t.b, t.c), t.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, SlpminTable, ::testing::ValuesIn(kSlpminCases));

class IntsctTest : public mtest::ScratchOutputTest {};

TEST_F(IntsctTest, CrossingLines) {
  float x = 9, y = 9;
  intsct(x, y, 0, 0, 1, 2, 0, -1);
  EXPECT_FLOAT_EQ(x, 1.0f);
  EXPECT_FLOAT_EQ(y, 1.0f);

  // Through (1, 2) with slope 0.5 and through (-3, 0) with slope 2: they meet at (-3, 0).
  intsct(x, y, 1, 2, 0.5f, -3, 0, 2);
  EXPECT_FLOAT_EQ(x, -3.0f);
  EXPECT_FLOAT_EQ(y, 0.0f);
  EXPECT_EQ(output(), "");
}

TEST_F(IntsctTest, ParallelLinesPrintTheErrorBlock) {
  float x = 9, y = 9;
  intsct(x, y, 1, 2, 0.5f, -3, 0, 0.5f);
  EXPECT_EQ(x, 0.0f);
  EXPECT_EQ(y, 0.0f);
  EXPECT_EQ(output(),
            "\n"
            " ****** ERROR IN INTSCT.... S1=S2, NO SOLN,  THUS SET X=Y=0.\n"
            "   X1=    1.00000E+00  Y1=    2.00000E+00  S1=    5.00000E-01\n"
            "   X2=   -3.00000E+00  Y2=    0.00000E+00  S2=    5.00000E-01\n"
            "\n");
}

}  // namespace
