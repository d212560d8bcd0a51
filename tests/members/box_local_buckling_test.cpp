// Local buckling of the plates of a box 10 x 10 x 0.5 (N1 4, N2 5: 36 fibres,
// every cell 1.125 long). A plate of eight compressed cells is 9 wide:
// b/T = 18 and the buckling stress is 29e6 * 0.425 pi^2 / (18^2 * 12(1 - 0.09))
// = 34,381 psi; four cells (b/T = 9) need four times that.
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "members/steel/box_local_buckling.h"
#include "members/steel/steel_section_mesh.h"

namespace {

constexpr float kEm = 29.0e6f;
constexpr float kPlastic = 580000.0f;  // a yielded fibre's tangent

struct Box {
  Box(int n1, int n2) {
    w.libn = members::kLibBox;
    w.d1 = 10;
    w.d2 = 10;
    w.t = 0.5f;
    w.n1 = static_cast<float>(n1);
    w.n2 = static_cast<float>(n2);
    nump = members::steel_fibre_count(w);
    for (auto* c : {&u, &v, &area, &flen, &sig, &et, &flag}) c->assign(static_cast<std::size_t>(nump), 0.0f);
    members::ecclib(w, {u, v, area, flen});
    sig.assign(sig.size(), 1000.0f);  // all in tension
    et.assign(et.size(), kEm);
  }
  void compress(std::initializer_list<int> fibres, float s, bool yielded) {
    for (int i : fibres) {
      sig[static_cast<std::size_t>(i - 1)] = s;
      et[static_cast<std::size_t>(i - 1)] = yielded ? kPlastic : kEm;
    }
  }
  void compress_range(int a, int b, float s) {
    for (int i = a; i <= b; ++i) compress({i}, s, false);
  }
  float run(float flp) {
    members::BoxEndSection s{w.libn, nump, w.n1, w.n2, w.t, kEm, {sig.data(), 1}, 1,
                             {et.data()}, {u.data()}, {v.data()}, {flen.data()}};
    members::lbcase(s, {flag.data()}, flp);
    return flp;
  }
  std::set<int> flagged() const {
    std::set<int> r;
    for (int i = 1; i <= nump; ++i) {
      if (flag[static_cast<std::size_t>(i - 1)] == 1.0f) r.insert(i);
    }
    return r;
  }
  members::SectionWords w;
  int nump = 0;
  std::vector<float> u, v, area, flen, sig, et, flag;
};

std::set<int> range(std::initializer_list<std::pair<int, int>> rs) {
  std::set<int> r;
  for (auto [a, b] : rs) {
    for (int i = a; i <= b; ++i) r.insert(i);
  }
  return r;
}

TEST(BoxLocalBuckling, PlateBucklingStressByHand) {
  EXPECT_NEAR(members::box_plate_buckling_stress(kEm, 9.0f, 0.5f), 34381.0f, 1.0f);
  EXPECT_NEAR(members::box_plate_buckling_stress(kEm, 4.5f, 0.5f), 137524.0f, 4.0f);
  EXPECT_FALSE(members::box_plate_buckling_stress(kEm, 9.0f, 0.0f) < 1e30f);
}

// Fibres: corners 1, 10, 19, 28; plate 12 = 2-5, 11-14; plate 34 = 20-23,
// 29-32; plate 13 = 6-9, 24-27; plate 24 = 15-18, 33-36.
struct Case {
  std::string name;
  std::vector<int> yielded_corners;
  std::vector<std::pair<int, int>> compressed;  // plate halves at `stress`
  float stress;
  float flp;                // expected code (entry value 0)
  std::set<int> flagged;
};

TEST(BoxLocalBuckling, CasesOfTheBox) {
  const std::vector<Case> cases = {
      {"nothing in compression", {}, {}, 0.0f, 0.0f, {}},
      {"case 1: plate 13 flagged, webs in tension", {1, 19}, {}, 0.0f, 0.0f, range({{6, 9}, {24, 27}})},
      {"case 1: plate 12 above its buckling stress", {1, 19}, {{2, 5}, {11, 14}}, -35000.0f, 1.0f,
       range({{6, 9}, {24, 27}, {2, 5}, {11, 14}})},
      {"case 1: plate 12 just below", {1, 19}, {{2, 5}, {11, 14}}, -34000.0f, 0.0f,
       range({{6, 9}, {24, 27}})},
      {"case 1: plate 12 narrow (b/T 9)", {1, 19}, {{2, 3}, {11, 12}}, -45000.0f, 0.0f,
       range({{6, 9}, {24, 27}})},
      {"case 2: plate 34 buckles", {10, 28}, {{20, 23}, {29, 32}}, -35000.0f, 2.0f,
       range({{15, 18}, {33, 36}, {20, 23}, {29, 32}})},
      {"case 3: plate 13 buckles", {1, 10}, {{6, 9}, {24, 27}}, -35000.0f, 3.0f,
       range({{1, 5}, {10, 14}, {6, 9}, {24, 27}})},
      {"case 4: plate 24 buckles", {19, 28}, {{15, 18}, {33, 36}}, -35000.0f, 4.0f,
       range({{19, 23}, {28, 32}, {15, 18}, {33, 36}})},
      {"corners 1 2 3: case 1 buckles plate 12, case 3 finds nothing", {1, 10, 19},
       {{2, 5}, {11, 14}}, -35000.0f, 1.0f, range({{6, 9}, {24, 27}, {1, 5}, {10, 14}})},
      {"corners 1 2 3: case 3 buckles plate 13 last", {1, 10, 19},
       {{2, 5}, {11, 14}, {6, 9}, {24, 27}}, -35000.0f, 3.0f,
       range({{6, 9}, {24, 27}, {1, 5}, {10, 14}})},
      {"all four corners: every fibre, code 5", {1, 10, 19, 28}, {}, 0.0f, 5.0f, range({{1, 36}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Box b(4, 5);
    for (int k : c.yielded_corners) b.compress({k}, -50000.0f, true);
    for (auto [a, z] : c.compressed) b.compress_range(a, z, c.stress);
    EXPECT_EQ(b.run(0.0f), c.flp);
    EXPECT_EQ(b.flagged(), c.flagged);
  }
}

TEST(BoxLocalBuckling, ElasticCornersTriggerNothingAndCodesAreNeverCleared) {
  Box b(4, 5);
  b.compress({1, 10, 19, 28}, -60000.0f, false);  // compressed, still elastic
  b.compress_range(2, 5, -35000.0f);
  b.compress_range(11, 14, -35000.0f);
  EXPECT_EQ(b.run(2.0f), 2.0f);
  EXPECT_TRUE(b.flagged().empty());
}

TEST(BoxLocalBuckling, OtherSectionsAreLeftAlone) {
  Box b(4, 5);
  b.w.libn = members::kLibTube;
  b.compress({1, 10, 19, 28}, -50000.0f, true);
  b.flag.assign(b.flag.size(), 0.5f);
  EXPECT_EQ(b.run(0.0f), 0.0f);
  EXPECT_EQ(b.flag[0], 0.5f);
}

// N1 1, N2 2: each half plate holds one cell of 4.5, which its neighbour in
// the fibre order does not show; two cells make b = 9 and the same 34,381 psi.
TEST(BoxLocalBuckling, CoarseMeshTakesTheCellLengthAsSpacing) {
  Box b(1, 2);
  ASSERT_EQ(b.nump, 12);
  b.compress({1, 7}, -50000.0f, true);  // corners 1 and 3
  b.compress({2, 5}, -35000.0f, false); // plate 12
  EXPECT_EQ(b.run(0.0f), 1.0f);
  EXPECT_EQ(b.flagged(), (std::set<int>{2, 3, 5, 9}));
}

}  // namespace
