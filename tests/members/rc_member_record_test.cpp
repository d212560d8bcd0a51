// Word counts of the reinforced-concrete member record, counted by hand from
// the array sizes and checked against the closed-form record lengths.
#include <gtest/gtest.h>

#include <vector>

#include "members/rc/rc_member_record.h"

namespace {

using namespace members::rc;

struct LengthCase {
  int type, nseg, nump;
  long long nprop;
};

TEST(RcMemberRecord, RecordLengths) {
  const LengthCase cases[] = {
      {17, 1, 64, 2498},  {170, 1, 64, 3333}, {17, 4, 64, 8510}, {170, 4, 64, 11853},
      {17, 4, 44, 7330},  {170, 4, 44, 9633}, {17, 1, 146, 4138},
  };
  for (const auto& c : cases) {
    const RcLayout l = rc_layout(c.type, c.nseg, c.nump);
    EXPECT_EQ(l.nprop, c.nprop) << c.type << " N=" << c.nseg << " P=" << c.nump;
    EXPECT_EQ(l.words(l.narrays), 1);  // the last array is the record's last word
  }
}

TEST(RcMemberRecord, ClosedFormOverAllSegmentCounts) {
  for (long long n = 1; n <= 32; ++n) {
    for (long long p : {0LL, 12LL, 44LL, 76LL, 1000LL}) {
      EXPECT_EQ(rc_layout(17, static_cast<int>(n), static_cast<int>(p)).nprop,
                126 * n * n + 13 * n * p + 542 * n + 7 * p + 550);
      EXPECT_EQ(rc_layout(170, static_cast<int>(n), static_cast<int>(p)).nprop,
                126 * n * n + 26 * n * p + 546 * n + 7 * p + 549);
    }
  }
}

TEST(RcMemberRecord, StartWordsCountedByHand) {
  // N = 1, P = 64, NDOF = 12.
  const RcLayout a = rc_layout(17, 1, 64);
  EXPECT_EQ(a.narrays, 58);
  EXPECT_EQ(a.start[kLMSEG], 47);
  EXPECT_EQ(a.start[kKDOF], 59);
  EXPECT_EQ(a.start[kU], 204);
  EXPECT_EQ(a.start[kEEASAT], 933);
  EXPECT_EQ(a.start[kAREA], 1833);
  EXPECT_EQ(a.start[kC44], 2409);
  EXPECT_EQ(a.start[k17CURU], 2473);
  EXPECT_EQ(a.start[k17LSONCE], 2476);
  EXPECT_EQ(a.start[k17CURY], 2498);

  const RcLayout b = rc_layout(170, 1, 64);
  EXPECT_EQ(b.narrays, 74);
  EXPECT_EQ(b.start[kC44], 2409);  // arrays 1-51 are those of type 17
  EXPECT_EQ(b.start[k170BETAB], 2473);
  EXPECT_EQ(b.start[k170BETAM], 2922);
  EXPECT_EQ(b.start[k170CU1], 3307);
  EXPECT_EQ(b.start[k170LSONCE], 3312);
  EXPECT_EQ(b.start[k170PLSLOWCYCLE], 3333);
}

TEST(RcMemberRecord, HalfStorageAndSegmentFastestEntries) {
  const RcLayout l = rc_layout(17, 4, 44);
  EXPECT_EQ(l.words(kAHALF), 30 * 31 / 2);
  EXPECT_EQ(l.words(kASAT), 30 * 30);
  EXPECT_EQ(l.words(kSKSEG), 144 * 4);
  EXPECT_EQ(l.words(kSTRESS), 4 * 44);

  // Entry (segment 3, fibre 2) of an (N,NUMP) array lies N words past
  // (segment 3, fibre 1).
  std::vector<float> words(static_cast<std::size_t>(l.nprop) + 1, 0.0f);
  RcMemberRecord r{words.data(), l};
  r.seg_fibre(kSTRESS, 3, 2) = 7.0f;
  EXPECT_EQ(words[static_cast<std::size_t>(l.start[kSTRESS] + 2 + 4)], 7.0f);
}

}  // namespace
