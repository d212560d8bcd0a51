// The member record's word offsets: the start of every array for two members,
// worked by hand from the start formulas of the layout, and the index order of
// the typed views.
#include <array>
#include <vector>

#include <gtest/gtest.h>

#include "members/steel/steel_member_record.h"

namespace {

using members::StbArray;

struct LayoutCase {
  int nseg, nump;
  std::array<std::int64_t, 55> starts;  // array k at starts[k-1]
  std::int64_t words, nprop;
};

// Each start evaluated from the layout's formula for the array (for instance
// DINC at 2N*NUMP + 32N + 2NUMP + 16, EEASAT at 54N^2 + 5N*NUMP + 228N +
// 3NUMP + 92), not summed from the sizes.
const LayoutCase kCases[] = {
    {1, 8,
     {0,    12,   24,   25,   27,   29,   37,   45,   53,   61,   67,   68,   80,   92,
      104,  105,  117,  129,  141,  153,  161,  169,  177,  185,  194,  203,  347,  425,
      438,  582,  726,  738,  882,  1026, 1028, 1030, 1042, 1054, 1066, 1210, 1218, 1226,
      1234, 1242, 1250, 1258, 1266, 1274, 1282, 1290, 1298, 1306, 1314, 1322, 1323},
     1343, 1374},
    {2, 20,
     {0,    24,   42,   44,   46,   48,   88,   128,  148,  168,  180,  182,  200,  218,
      236,  238,  262,  286,  310,  334,  374,  414,  454,  474,  492,  510,  834,  1005,
      1024, 1168, 1312, 1330, 1654, 1942, 1944, 1946, 1964, 1982, 2000, 2324, 2344, 2384,
      2404, 2424, 2464, 2504, 2544, 2584, 2624, 2664, 2704, 2724, 2744, 2764, 2765},
     2785, 2816},
};

TEST(StbMemLayout, StartWordsOfEveryArrayMatchTheFormulas) {
  for (const auto& c : kCases) {
    members::StbMem rec(nullptr, c.nseg, c.nump);
    for (int k = 1; k <= members::kStbArrays; ++k) {
      const auto a = static_cast<StbArray>(k);
      EXPECT_EQ(members::stb_start(a, c.nseg, c.nump), c.starts[k - 1])
          << "array " << k << " N " << c.nseg << " NUMP " << c.nump;
      EXPECT_EQ(rec.data(a) - rec.base(), c.starts[k - 1]) << "view of array " << k;
    }
    EXPECT_EQ(members::stb_words(c.nseg, c.nump), c.words);
    EXPECT_EQ(rec.words(), c.words);
    EXPECT_EQ(members::stb_nprop(c.nseg, c.nump), c.nprop);
  }
}

TEST(StbMemLayout, LengthFollowsTheClosedFormForEveryMember) {
  // 126N^2 + 13N*NUMP + 540N + 9NUMP + 501 words; NPROP 31 more. The largest
  // member the rules serve: 32 segments, 198 internal degrees of freedom.
  for (int n : {1, 2, 5, 17, 32}) {
    for (int m : {32, 36, 100, 1000}) {
      const std::int64_t words = 126LL * n * n + 13LL * n * m + 540LL * n + 9LL * m + 501;
      EXPECT_EQ(members::stb_words(n, m), words);
      EXPECT_EQ(members::stb_nprop(n, m), words + 31);
    }
  }
  EXPECT_EQ(members::stb_size(StbArray::ASAT, 32, 32), 198 * 198);
  EXPECT_EQ(members::stb_size(StbArray::ASATH, 32, 32), 198 * 199 / 2);
}

TEST(StbMemLayout, ViewsRunTheSegmentIndexFastest) {
  const int n = 3, m = 5;
  std::vector<float> buf(static_cast<std::size_t>(members::stb_words(n, m)), 0.0f);
  members::StbMem rec(buf.data(), n, m);
  auto off = [&](const float& w) { return &w - buf.data(); };

  // Entry (i, j) of a segment table: word (j-1)N + i of the array.
  const auto sig0 = members::stb_start(StbArray::SIG, n, m);
  EXPECT_EQ(off(rec.table(StbArray::SIG)(2, 4)), sig0 + 3 * n + 1);
  // Segment stiffness (s, r, c): word (c-1)12N + (r-1)N + s.
  const auto sks0 = members::stb_start(StbArray::SKS, n, m);
  EXPECT_EQ(off(rec.sks()(3, 2, 5)), sks0 + 4 * 12 * n + 1 * n + 2);
  // End coordinates (i, c, e): word ((c-1)2 + e-1)N + i.
  const auto z0 = members::stb_start(StbArray::ZSEG, n, m);
  EXPECT_EQ(off(rec.zseg()(2, 3, 2)), z0 + ((3 - 1) * 2 + 1) * n + 1);
  // Member matrices column by column of order 6N+6; the end blocks of order 12.
  const auto asat0 = members::stb_start(StbArray::ASAT, n, m);
  EXPECT_EQ(off(rec.square(StbArray::ASAT)(4, 7)), asat0 + 6 * 24 + 3);
  const auto te0 = members::stb_start(StbArray::TE, n, m);
  EXPECT_EQ(off(rec.square(StbArray::TE)(12, 12)), te0 + 143);
  // The last word of LFLAG is the record's last word.
  EXPECT_EQ(off(rec.col(StbArray::LFLAG)(20)), members::stb_words(n, m) - 1);
}

}  // namespace
