// Keyword, field, range, ID-search and index-sort routines, case by case.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "base/input_lines.h"
#include "fio/fio.h"
#include "support/test_support.h"

namespace {

// Runs f with unit 6 on a scratch file and returns what it wrote there.
template <class F>
std::string unit6_of(F&& f) {
  const auto dir = kvtest::fresh_dir("lines");
  const auto path = dir / "unit6.out";
  fio::close(6);
  EXPECT_TRUE(fio::open(6, path.string()));
  f();
  fio::close(6);
  return kvtest::read_file(path);
}

struct KeyonCase {
  const char* line;
  const char* key;
  bool dflt;
  bool expected;
};

TEST(Keyon, Table) {
  const KeyonCase cases[] = {
      {"NOECHO", "ECHO", false, false},       // preceded by NO
      {"ECHO", "ECHO", false, true},          // in column 1
      {"XECHO", "ECHO", false, true},         // column 2: whatever column 1 holds
      {"OECHO", "ECHO", false, true},
      {"STRUCTURE", "ECHO", true, true},      // absent: the default
      {"STRUCTURE", "ECHO", false, false},
      {"DEBUG", "BUG", false, true},          // preceded by DE, not NO
      {"NOBUG=ABC", "BUG=", false, false},
      {"NOA A", "A", true, false},            // only the first occurrence counts
      {"X NOA", "A", false, false},
      {"STABILITY1 X", "STABILITY ", false, false},  // trailing blank of the key counts
      {"STABILITY 1", "STABILITY ", false, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(base::keyon(c.line, c.key, c.dflt), c.expected) << c.line << " / " << c.key;
}

struct IntfldCase {
  const char* line;
  const char* key;
  int idef;
  bool usekey;
  bool remove;
  int expected;
  const char* line_after;  // before blank padding back to the original length
};

TEST(Intfld, Table) {
  const IntfldCase cases[] = {
      {"SOL2", "SOL", 0, true, false, 2, "SOL2"},
      {"SOL", "SOL", 0, true, false, 0, "SOL"},
      {"SOL", "SOL", 7, true, false, 7, "SOL"},
      {"SOL-", "SOL", 0, true, false, 0, "SOL-"},     // the default with its sign turned
      {"SOL-", "SOL", 1, true, false, -1, "SOL-"},
      {"SOL 12 ", "SOL", 0, true, false, 12, "SOL 12 "},
      {"UNIT= -+ 8", "UNIT=", 0, true, false, -8, "UNIT= -+ 8"},
      {"READ", "UNIT=", 0, true, true, 0, "READ"},  // absent key: default, line unchanged
      {"INC=2", "INC=", 1, true, false, 2, "INC=2"},
      {"READ_UNIT=8,INC=2", "UNIT=", 0, true, true, 8, "READ_INC=2"},
      {"READ UNIT=8 UNIT=9", "UNIT=", 0, true, true, 8, "READ  UNIT=9"},
      {"UNIT=X", "UNIT=", 5, true, true, 5, "X"},  // no digit: key removed, default
      {"  12 ABC", "", 0, false, true, 12, " ABC"},  // without the key: from column 1
      {"  12,ABC", "", 0, false, true, 12, "ABC"},
      {"-3", "ignored", 0, false, false, -3, "-3"},
      {"N=0042", "N=", 9, true, false, 42, "N=0042"},
  };
  for (const auto& c : cases) {
    std::string line = c.line;
    const std::size_t len = line.size();
    int ival = -999;
    base::intfld(line, c.key, ival, c.idef, c.usekey, c.remove);
    EXPECT_EQ(ival, c.expected) << c.line;
    std::string after = c.line_after;
    after.resize(len, ' ');
    EXPECT_EQ(line, after) << c.line;
  }
}

TEST(Intfld, ReadCommandTakesEveryUnitInTurn) {
  std::string cmd = "READ UNIT=8 UNIT=9";
  cmd.resize(80, ' ');
  std::vector<int> units;
  for (;;) {
    int iunit = 0;
    base::intfld(cmd, "UNIT=", iunit, 0, true, true);
    if (iunit <= 0) break;
    units.push_back(iunit);
    ASSERT_LT(units.size(), 5u);
  }
  EXPECT_EQ(units, (std::vector<int>{8, 9}));
  EXPECT_EQ(cmd.size(), 80u);
}

struct NxtfldCase {
  const char* line;
  const char* key;
  const char* expected;
};

TEST(Nxtfld, Table) {
  const NxtfldCase cases[] = {
      {"BUG='A''B'", "BUG=", "A'B"},
      {"BUG= A", "BUG=", ""},           // a blank directly after the key
      {"BUG=NOAK   ", "BUG=", "NOAK"},
      {"BUG=NOAK", "BUG=", ""},         // runs to the end without a blank
      {"BUG", "BUG=", ""},              // key absent
      {"BUG=", "BUG=", ""},             // key at the very end
      {"BUG='A B' X", "BUG=", "A B"},
      {"BUG='A''''B' ", "BUG=", "A'B"},  // runs of quotes fold to one
      {"BUG='' ", "BUG=", ""},
      {"BUG='AB", "BUG=", ""},          // no closing quote, no doubled quote
      {"BUG='A''B", "BUG=", "A'"},      // no closing quote: through the last pair
      {"X BUG=ABC DEF", "BUG=", "ABC"},
  };
  for (const auto& c : cases) EXPECT_EQ(base::nxtfld(c.line, c.key), c.expected) << c.line;
}

TEST(Rangck, BoundsAreInsideAndPrintNothing) {
  const std::string out = unit6_of([] {
    float lo = 0.0f, hi = 1.0f;
    float x = lo;
    base::rangck(x, 0.0f, 1.0f, "XLOAD");
    EXPECT_EQ(x, lo);
    x = hi;
    base::rangck(x, 0.0f, 1.0f, "XLOAD");
    EXPECT_EQ(x, hi);
  });
  EXPECT_EQ(out, "");
}

TEST(Rangck, OutsideIsReportedAsItCameAndClamped) {
  float above = 1.5f, below = -2.0f;
  const std::string out = unit6_of([&] {
    base::rangck(above, 0.0f, 1.0f, "XLOAD");
    base::rangck(below, 0.0f, 1.0f, "FRAC");
  });
  EXPECT_EQ(above, 1.0f);
  EXPECT_EQ(below, 0.0f);
  EXPECT_EQ(out,
            " ====>XLOAD IS OUT OF RANGE, SET   0.00000E+00 LE INPUT=  1.50000E+00 LE   1.00000E+00\n"
            " ====>FRAC IS OUT OF RANGE, SET   0.00000E+00 LE INPUT= -2.00000E+00 LE   1.00000E+00\n");
}

TEST(Ifind, EveryEntryOfAscendingTablesIsFoundAtItsPosition) {
  // Sizes that leave positions the bisection does not visit (found by the
  // local window around where it ended).
  for (int n = 1; n <= 40; ++n) {
    std::vector<std::int32_t> ids(static_cast<std::size_t>(n));
    for (int k = 1; k <= n; ++k) ids[static_cast<std::size_t>(k - 1)] = 10 * k;
    for (int k = 1; k <= n; ++k) EXPECT_EQ(base::ifind(10 * k, ids.data(), n), k) << "n=" << n;
  }
}

TEST(Ifind, MissingIdsAreReportedWithTheLastEntry) {
  const std::vector<std::int32_t> ids{10, 20, 30, 40, 50};
  const std::vector<std::int32_t> one{7};
  const std::string out = unit6_of([&] {
    EXPECT_EQ(base::ifind(35, ids.data(), 5), 0);   // between entries
    EXPECT_EQ(base::ifind(5, ids.data(), 5), 0);    // below the first
    EXPECT_EQ(base::ifind(60, ids.data(), 5), 0);   // above the last
    EXPECT_EQ(base::ifind(7, one.data(), 1), 1);    // one-entry table
    EXPECT_EQ(base::ifind(3, one.data(), 1), 0);
    EXPECT_EQ(base::ifind(5, one.data(), 0), 0);    // empty table
  });
  EXPECT_EQ(out,
            " TARGET:      35   NOT FOUND, LAST ID(     5):      50\n"
            " TARGET:       5   NOT FOUND, LAST ID(     5):      50\n"
            " TARGET:      60   NOT FOUND, LAST ID(     5):      50\n"
            " TARGET:       3   NOT FOUND, LAST ID(     1):       7\n"
            " TARGET:       5   NOT FOUND, LAST ID(     0):       0\n");
}

TEST(Ifind, FallBackScansFindIdsTheBisectionMisses) {
  // Not quite ascending: 9 sits out of order, the bisection walks past it.
  const std::vector<std::int32_t> ids{1, 9, 3, 4, 5, 6, 7, 8, 10};
  EXPECT_EQ(base::ifind(9, ids.data(), 9), 2);
  // Repeated IDs: any position holding the ID is right.
  const std::vector<std::int32_t> rep{1, 2, 2, 2, 2, 2, 2, 3};
  const int pos = base::ifind(2, rep.data(), 8);
  ASSERT_GE(pos, 1);
  EXPECT_EQ(rep[static_cast<std::size_t>(pos - 1)], 2);
}

struct IsortCase {
  std::vector<std::int32_t> key;
  std::vector<std::int32_t> idx;
};

TEST(Isort, StableIndexSort) {
  const IsortCase cases[] = {
      {{5, 3, 5, 1}, {4, 2, 1, 3}},
      {{}, {}},
      {{8}, {1}},
      {{1, 2, 3}, {1, 2, 3}},
      {{3, 2, 1}, {3, 2, 1}},
      {{2, 1, 2, 1, 2}, {2, 4, 1, 3, 5}},  // equal keys keep their input order
  };
  for (const auto& c : cases) {
    std::vector<std::int32_t> idx(c.key.size(), -1);
    const std::vector<std::int32_t> key_before = c.key;
    base::isort(c.key.data(), idx.data(), static_cast<int>(c.key.size()));
    EXPECT_EQ(idx, c.idx);
    EXPECT_EQ(c.key, key_before);
  }
}

}  // namespace
