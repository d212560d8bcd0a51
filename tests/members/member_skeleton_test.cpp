// The segmented-member skeleton by itself: member_setup and member_state
// driven through a stand-in elastic section and a stand-in family that logs
// its steps, for both section layouts. No section family's code takes part:
// what the skeleton does with a section and a family is checked against the
// elastic beam's closed forms.
#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/globals.h"
#include "fio/fio.h"
#include "members/member_rule.h"
#include "support/test_support.h"

namespace {

using namespace members;

constexpr float kLength = 120.0f;
constexpr float kEa = 2.0e6f;
constexpr float kEiu = 3.0e7f;  // about U, the member's x axis while the angle is 0
constexpr float kEiv = 1.0e7f;
constexpr float kGj = 5.0e6f;

// An elastic section: constant rigidities, forces from the deformation totals
// of each (segment, end), every call logged.
class ElasticSection final : public SegmentSection {
 public:
  struct Call {
    int iseg, end;
    bool setup;
  };
  SectionResponse evaluate(SectionCall& call) override {
    calls.push_back({call.iseg, call.end, call.setup});
    Totals& t = totals[static_cast<std::size_t>(call.iseg)][static_cast<std::size_t>(call.end)];
    t.e += call.dec;
    t.cu += call.dcu;
    t.cv += call.dcv;
    SectionResponse r;
    r.ea = kEa;
    r.eiu = kEiu;
    r.eiv = kEiv;
    r.gj = kGj;
    r.axial = kEa * t.e;
    r.mu = kEiu * t.cu;
    r.mv = kEiv * t.cv;
    return r;
  }
  struct Totals {
    float e = 0.0f, cu = 0.0f, cv = 0.0f;
  };
  std::array<std::array<Totals, 3>, kMaxSegments + 1> totals{};
  std::vector<Call> calls;
};

// "<letter><number> ", as the logs below write a step.
std::string entry(char letter, int n) {
  std::string e(1, letter);
  e += std::to_string(n);
  e += ' ';
  return e;
}

// A family that logs the skeleton's calls of its steps, one letter each:
// C clear, D deformed, E evaluated, P stiffness parameter (with the segment,
// 0 for none).
class LoggingFamily final : public MemberFamily {
 public:
  LoggingFamily(SegmentSection& s, SectionLayout l) : MemberFamily(s, l) {}
  void trace_setup(const MemberCall&) const override { log += entry('T', 0); }
  void clear_segment(int iseg) const override { log += entry('C', iseg); }
  void segment_deformed(int iseg, const EndDeformation&) const override { log += entry('D', iseg); }
  void segment_evaluated(const MemberCall&, int iseg, const EndDeformation&) const override {
    log += entry('E', iseg);
  }
  void stiffness_parameter(const MemberCall&, float) const override { log += entry('P', 0); }
  mutable std::string log;
};

// The member's arrays, each in a buffer of its own.
struct Record {
  explicit Record(int nseg) : n(nseg), ndof(6 * nseg + 6) {
    const int nd = ndof;
    m.nseg = n;
    m.idofr = col(12 * n);
    m.irotr = col(nd);
    m.beta = col(n);
    m.ulpe = col(2);
    m.vlpe = col(2);
    m.zseg = EndCoords{take(6 * n), n};
    m.slen = col(n);
    m.dtot = col(nd);
    m.dinc = col(nd);
    m.dimp = col(nd);
    m.chord = col(n);
    m.reserved = seg(12);
    m.floc = seg(12);
    m.fglo = seg(12);
    m.dglo = seg(12);
    m.dcos = seg(9);
    m.dcos0 = seg(9);
    m.asato = Square{take(nd * nd), nd};
    m.eeasat = Square{take(144), 12};
    m.te = Square{take(144), 12};
    m.w = Square{take(nd * nd), nd};
    m.asat = Square{take(nd * nd), nd};
    m.asath = take(nd * (nd + 1) / 2);
    m.mdr = col(nd + 1);
    m.dfinc = col(nd);
    m.fint = col(nd);
    m.xv = col(nd);
    m.rv = col(nd);
    m.sks = SegMatrices{take(144 * n), n};
    m.eccx = col(2);
    m.eccy = col(2);
    m.betam = col(n);
  }
  float* take(int words) {
    store.emplace_back(static_cast<std::size_t>(words), 0.0f);
    return store.back().data();
  }
  Col col(int words) { return Col{take(words)}; }
  SegTable seg(int columns) { return SegTable{take(columns * n), n}; }

  int n, ndof;
  std::vector<std::vector<float>> store;
  MemberArrays m;
};

struct Skeleton {
  Skeleton(int nseg, SectionLayout layout) : rec(nseg), family(section, layout) {
    w.nseg = nseg;
    w.istif = 1;
    s.xl = kLength;
    c.ielno = 7;
    c.state = &flp;
  }
  void setup() { member_setup(rec.m, w, s, family, c); }
  // One state determination for the end increments d (member order).
  std::array<float, 12> step(const std::array<float, 12>& d) {
    for (int k = 1; k <= 12; ++k) rec.m.dinc(k) = d[static_cast<std::size_t>(k - 1)];
    std::array<float, 12> p{};
    member_state(rec.m, w, s, family, c, p);
    return p;
  }
  float k(int r, int col) const { return rec.m.eeasat(r, col); }

  Record rec;
  ElasticSection section;
  LoggingFamily family;
  MemberWords w;
  MemberState s;
  MemberCall c;
  float flp = 0.0f;
};

class SkeletonTest : public ::testing::TestWithParam<std::tuple<SectionLayout, int>> {
 protected:
  void SetUp() override {
    fio::close_all();
    kv::reset_globals();
    dir_ = kvtest::fresh_dir("skeleton");
    ASSERT_TRUE(fio::open(6, (dir_ / "out.txt").string()));
  }
  void TearDown() override {
    fio::close_all();
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_;
};

void expect_rel(float got, double want, const char* what) {
  EXPECT_NEAR(got, want, 1e-4 * std::fabs(want)) << what;
}

TEST_P(SkeletonTest, AnElasticSectionCondensesToTheBeamStiffness) {
  const auto [layout, nseg] = GetParam();
  Skeleton m(nseg, layout);
  m.setup();
  const double l = kLength;
  // Axial and torsion: EA/L, GJ/L; bending about x (y and the rotation about
  // x) through EIU, about y through EIV: 12EI/L^3, 6EI/L^2, 4EI/L, 2EI/L.
  expect_rel(m.k(3, 3), kEa / l, "EA/L");
  expect_rel(m.k(3, 9), -kEa / l, "-EA/L");
  expect_rel(m.k(6, 6), kGj / l, "GJ/L");
  expect_rel(m.k(2, 2), 12.0 * kEiu / (l * l * l), "12EIu/L^3");
  expect_rel(m.k(4, 4), 4.0 * kEiu / l, "4EIu/L");
  expect_rel(m.k(4, 10), 2.0 * kEiu / l, "2EIu/L");
  expect_rel(std::fabs(m.k(2, 4)), 6.0 * kEiu / (l * l), "6EIu/L^2");
  expect_rel(m.k(1, 1), 12.0 * kEiv / (l * l * l), "12EIv/L^3");
  expect_rel(m.k(5, 5), 4.0 * kEiv / l, "4EIv/L");
  expect_rel(m.k(5, 11), 2.0 * kEiv / l, "2EIv/L");
  // No coupling of the two planes, nor of either with the axis.
  EXPECT_EQ(m.k(1, 2), 0.0f);
  EXPECT_EQ(m.k(4, 5), 0.0f);
  EXPECT_EQ(m.k(3, 4), 0.0f);
  EXPECT_EQ(m.flp, 0.0f);  // a set-up raises no limit code
}

TEST_P(SkeletonTest, SmallEndIncrementsGiveTheForcesOfTheTangent) {
  const auto [layout, nseg] = GetParam();
  Skeleton m(nseg, layout);
  m.setup();
  // An end shortening and a rotation at each end about x and y, small enough
  // that the chord's turning stays below the tolerance.
  const std::array<float, 12> d{0, 0, 0, 2.0e-5f, 0, 0, 0, 0, -1.0e-4f, 0, -3.0e-5f, 0};
  std::array<float, 12> kd{};
  for (int r = 1; r <= 12; ++r) {
    for (int col = 1; col <= 12; ++col) kd[static_cast<std::size_t>(r - 1)] += m.k(r, col) * d[static_cast<std::size_t>(col - 1)];
  }
  const std::array<float, 12> p = m.step(d);
  // End B shortened: compression EA/L x 1E-4 = 1666.7 at both ends.
  expect_rel(p[8], -kEa * 1.0e-4 / kLength, "end B axial");
  expect_rel(p[2], kEa * 1.0e-4 / kLength, "end A axial");
  for (int i : {3, 4, 9, 10}) {
    EXPECT_NEAR(p[static_cast<std::size_t>(i)], kd[static_cast<std::size_t>(i)],
                2e-3 * std::fabs(kd[static_cast<std::size_t>(i)]) + 1e-3)
        << i;
  }
  EXPECT_EQ(m.s.ncall, 1);
}

TEST_P(SkeletonTest, TheFamilySeesItsStepsInSegmentOrder) {
  const auto [layout, nseg] = GetParam();
  const bool ends = layout == SectionLayout::nodal_ends;
  Skeleton m(nseg, layout);
  m.c.trace = false;
  m.setup();
  std::string want;
  for (int i = 1; i <= nseg; ++i) want += entry('C', i);
  EXPECT_EQ(m.family.log, want);
  // The set-up evaluates each segment's sections once, marked as set-up.
  ASSERT_EQ(m.section.calls.size(), static_cast<std::size_t>(nseg * (ends ? 2 : 1)));
  for (const ElasticSection::Call& call : m.section.calls) EXPECT_TRUE(call.setup);

  // Two state determinations; the stiffness parameter only from the second,
  // and only for a member that asks for it.
  m.w.iauto = 1;
  for (int n = 1; n <= 2; ++n) {
    m.family.log.clear();
    m.section.calls.clear();
    m.step({0, 0, 0, 0, 0, 0, 0, 0, -1.0e-5f, 0, 0, 0});
    want.clear();
    for (int i = 1; i <= nseg; ++i) {
      if (!ends) want += entry('D', i);
      want += entry('E', i);
    }
    if (n == 2) want += entry('P', 0);
    EXPECT_EQ(m.family.log, want) << n;
    // One average section per segment, or end 1 then end 2.
    std::size_t k = 0;
    for (int i = 1; i <= nseg; ++i) {
      for (int end : ends ? std::vector<int>{1, 2} : std::vector<int>{0}) {
        ASSERT_LT(k, m.section.calls.size());
        EXPECT_EQ(m.section.calls[k].iseg, i);
        EXPECT_EQ(m.section.calls[k].end, end);
        EXPECT_FALSE(m.section.calls[k].setup);
        ++k;
      }
    }
    EXPECT_EQ(k, m.section.calls.size());
  }
}

TEST_P(SkeletonTest, ATracedSetUpLetsTheFamilyWriteFirst) {
  const auto [layout, nseg] = GetParam();
  Skeleton m(nseg, layout);
  m.c.trace = true;
  m.setup();
  EXPECT_EQ(m.family.log.substr(0, 3), "T0 ");
}

INSTANTIATE_TEST_SUITE_P(Layouts, SkeletonTest,
                         ::testing::Combine(::testing::Values(SectionLayout::average, SectionLayout::nodal_ends),
                                            ::testing::Values(1, 4)),
                         [](const ::testing::TestParamInfo<std::tuple<SectionLayout, int>>& info) {
                           const bool ends = std::get<0>(info.param) == SectionLayout::nodal_ends;
                           return std::string(ends ? "NodalEnds" : "Average") +
                                  std::to_string(std::get<1>(info.param)) + "Segments";
                         });

}  // namespace
