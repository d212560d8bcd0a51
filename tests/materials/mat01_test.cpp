// The "3D-BEAM" section material through MATDSP.
#include <gtest/gtest.h>

#include <string>

#include "base/globals.h"
#include "materials/fixtures.h"
#include "materials/harness.h"
#include "materials/mat01_beam_section.h"
#include "materials/matdsp.h"

namespace {

using materials::MatCall;

constexpr const char* kSet = "3D-BEAM  29000. 11200. 10. 5. 6. 2. 100. 200.\n";

// The heading block, its column line built column by column: "MATL." from
// column 5, E at 14, GAMMA at 20, AX 33, AY 43, AZ 53, IX 63, IY 73, IZ 83.
std::string heading() {
  std::string col = "    MATL.";
  auto at = [&col](int column, const std::string& text) {
    col.append(static_cast<std::size_t>(column - 1) - col.size(), ' ');
    col += text;
  };
  at(14, "E");
  at(20, "GAMMA");
  at(33, "AX");
  at(43, "AY");
  at(53, "AZ");
  at(63, "IX");
  at(73, "IY");
  at(83, "IZ");
  return "\n     3-D ELASTIC BEAM ELEMENT\n     ========================\n\n" + col + "\n";
}

// 4X, I4, then eight 1PE10.3 fields, then an empty line.
const std::string kEchoLine1 =
    "       1 2.900E+04 1.120E+04 1.000E+01 5.000E+00 6.000E+00 2.000E+00 1.000E+02 2.000E+02\n\n";

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
  return n;
}

TEST(Mat01, ReadsStoresAndEchoesASet) {
  mtest::MaterialHarness h(1, kSet);
  EXPECT_EQ(h.nprop(), 14);
  EXPECT_EQ(h.nstate_at_read(1), 12);
  EXPECT_EQ(h.type_of(1), 1);
  const float expected[] = {29000, 11200, 10, 5, 6, 2, 100, 200};
  for (int k = 1; k <= 8; ++k) EXPECT_FLOAT_EQ(h.prop()[k], expected[k - 1]) << "PROP " << k;
  for (int k = 9; k <= 14; ++k) EXPECT_EQ(h.prop()[k], 0.0f) << "PROP " << k;
  // Type word and 14 properties after MATPTR's two words.
  EXPECT_EQ(kv::ctl(kv::kIZ), 1 + 2 + 15);

  const std::string out = h.output();
  EXPECT_NE(out.find(heading() + kEchoLine1), std::string::npos) << out;
}

TEST(Mat01, HeadingOncePerRunOfTheTypeOrAtEverySetWithDebug) {
  const std::string second = "3D-BEAM 1. 2. 3. 4. 5. 6. 7. 8.\n";
  const std::string input = std::string(kSet) + second;
  {
    mtest::MaterialHarness h(1, input, 2);
    const std::string out = h.output();
    EXPECT_EQ(count(out, "3-D ELASTIC BEAM ELEMENT"), 1);
    EXPECT_EQ(count(out, "1 STRUCTURE....: "), 1);
    EXPECT_NE(out.find(heading() + kEchoLine1 +
                       "       2 1.000E+00 2.000E+00 3.000E+00 4.000E+00 5.000E+00 6.000E+00"
                       " 7.000E+00 8.000E+00\n\n"),
              std::string::npos)
        << out;
  }
  // With trace letter K the heading comes with every set, the page header
  // still only with the change of type.
  mtest::MaterialHarness h(1, input, 2, 1 << ('K' - 'A'));
  const std::string out = h.output();
  EXPECT_EQ(count(out, "3-D ELASTIC BEAM ELEMENT"), 2);
  EXPECT_EQ(count(out, "1 STRUCTURE....: "), 1);
  EXPECT_NE(out.find(heading() + "       2 1.000E+00"), std::string::npos) << out;
}

TEST(Mat01, SetUpGivesTheSectionRigidities) {
  mtest::MaterialHarness h(1, kSet);
  h.init();
  EXPECT_EQ(h.nstate(), 14);
  const float* s = h.committed();
  EXPECT_FLOAT_EQ(s[1], 290000.0f);   // E AX
  EXPECT_FLOAT_EQ(s[2], 56000.0f);    // GAMMA AY
  EXPECT_FLOAT_EQ(s[3], 67200.0f);    // GAMMA AZ
  EXPECT_FLOAT_EQ(s[4], 22400.0f);    // GAMMA IX
  EXPECT_FLOAT_EQ(s[5], 2.9e6f);      // E IY
  EXPECT_FLOAT_EQ(s[6], 5.8e6f);      // E IZ
  EXPECT_EQ(s[13], 0.0f);
  EXPECT_EQ(s[14], 0.0f);
}

TEST(Mat01, ZeroShearModulusIsAccepted) {
  mtest::MaterialHarness h(1, "3D-BEAM 29000. 0. 10. 5. 6. 2. 100. 200.\n");
  h.init();
  EXPECT_EQ(h.committed()[2], 0.0f);
  EXPECT_EQ(h.committed()[3], 0.0f);
  EXPECT_EQ(h.committed()[4], 0.0f);
  EXPECT_FLOAT_EQ(h.committed()[1], 290000.0f);
  EXPECT_EQ(h.output().find("ERROR"), std::string::npos);
}

TEST(Mat01, WorkOfTheIncrementAndResults) {
  mtest::MaterialHarness h(1, kSet);
  h.init();
  MatCall c;
  c.iopt = materials::kOptState;
  c.set = 1;
  c.sta = h.state_index();
  c.p = 4.0f;
  c.pl = 2.0f;
  c.d = 0.5f;
  c.dl = 0.1f;
  c.duct.fill(5.0f);
  c.ex.fill(5.0f);
  int prev = 1, type = 0;
  materials::matdsp(c, prev, 0, type);
  // (4 + 2)/2 * (0.5 - 0.1)
  EXPECT_FLOAT_EQ(h.committed()[14], 1.2f);
  EXPECT_EQ(c.ese, 0.0f);
  EXPECT_FLOAT_EQ(c.pse, 1.2f);
  for (float x : c.duct) EXPECT_EQ(x, 0.0f);
  for (float x : c.ex) EXPECT_EQ(x, 0.0f);
  EXPECT_FLOAT_EQ(h.committed()[1], 290000.0f);  // the rigidities stay

  const MatCall r = h.results();
  EXPECT_EQ(r.ese, 0.0f);
  EXPECT_FLOAT_EQ(r.pse, 1.2f);

  // Zero arrays: nothing.
  c = MatCall{};
  c.iopt = materials::kOptState;
  c.set = 1;
  c.sta = h.state_index();
  materials::matdsp(c, prev, 0, type);
  EXPECT_EQ(c.ese, 0.0f);
  EXPECT_EQ(c.pse, 0.0f);
}

TEST(Mat01, NoDamageIndex) {
  mtest::MaterialHarness h(1, kSet);
  h.init();
  const MatCall c = h.damage();
  EXPECT_EQ(c.di, 0.0f);
  EXPECT_FLOAT_EQ(h.committed()[1], 290000.0f);
}

TEST(Mat01, UnreadableOrTruncatedSetStopsTheRun) {
  struct Case {
    const char* record;
    const char* message;
  };
  const Case cases[] = {
      {"3D-BEAM 1. 2. X 4. 5. 6. 7. 8.\n", "UNREADABLE VALUE IN MATERIAL SET    2:"},
      {"3D-BEAM 1. 2. 3.\n", "END OF INPUT FILE WHILE READING MATERIAL SET    2"},
  };
  for (const Case& t : cases) {
    mtest::MaterialHarness h(1, std::string(kSet) + t.record);
    MatCall c = mtest::read_call(2);
    EXPECT_THROW(materials::mat01(c), kv::RunStop) << t.record;
    EXPECT_NE(h.output().find(t.message), std::string::npos) << h.output();
  }
}

}  // namespace
