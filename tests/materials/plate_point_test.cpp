// The "PLATE" and "POINT" property sets through MATDSP: reading, echo tables,
// the copy into the state words and the empty results.
#include <gtest/gtest.h>

#include <string>

#include "base/globals.h"
#include "materials/harness.h"
#include "materials/matdsp.h"
#include "materials/plate_point.h"
#include "support/test_support.h"

namespace {

constexpr int kPlate = 16;
constexpr int kPoint = 20;

// The two drivers registered for each test and removed after it.
class PlatePointSet : public ::testing::Test {
 protected:
  void SetUp() override {
    materials::register_material(kPlate, materials::mat16);
    materials::register_material(kPoint, materials::mat20);
  }
  void TearDown() override {
    materials::register_material(kPlate, nullptr);
    materials::register_material(kPoint, nullptr);
  }
};

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
  return n;
}

// A line built column by column (1-based columns).
struct Line {
  std::string text;
  Line& at(int column, const std::string& s) {
    text.append(static_cast<std::size_t>(column - 1) - text.size(), ' ');
    text += s;
    return *this;
  }
};

std::string plate_heading() {
  Line col;
  col.at(1, "    MATL.").at(14, "E").at(20, "NU").at(33, "THICKNESS");
  return "\n     PLATE ELEMENT\n     =============\n\n" + col.text + "\n\n";
}

// Seven lines of three terms, each line holding one value more that must not be read.
const std::string kPointSet =
    "POINT  this rest is not read 99.\n"
    "11. 22. 33. 901.\n"
    "44. 55. 66. 902.\n"
    "12. 13. 14. 903.\n"
    "15. 16. 23. 904.\n"
    "24. 25. 26. 905.\n"
    "34. 35. 36. 906.\n"
    "45. 46. 56. 907.\n";

// The 21 terms as the set keeps them: the diagonal, then the upper triangle row by row.
const float kPointTerms[21] = {11, 22, 33, 44, 55, 66, 12, 13, 14, 15, 16,
                               23, 24, 25, 26, 34, 35, 36, 45, 46, 56};

TEST_F(PlatePointSet, PlateReadsStoresAndEchoesASet) {
  // The values may run on over several lines.
  mtest::MaterialHarness h(kPlate, "PLATE 3.0E6,\n 0.2\n 6.0\n");
  EXPECT_EQ(h.type_of(1), kPlate);
  EXPECT_EQ(h.nprop(), 3);
  EXPECT_EQ(h.nstate_at_read(1), 5);
  EXPECT_FLOAT_EQ(h.prop()[1], 3.0e6f);
  EXPECT_FLOAT_EQ(h.prop()[2], 0.2f);
  EXPECT_FLOAT_EQ(h.prop()[3], 6.0f);
  EXPECT_EQ(kv::ctl(kv::kIZ), 1 + 2 + 4);  // MATPTR, then the type word and three properties
  const std::string out = kvtest::rstrip_lines(h.output());
  EXPECT_NE(out.find(plate_heading() + "       1 3.000E+06 2.000E-01 6.000E+00\n\n"), std::string::npos) << out;
}

TEST_F(PlatePointSet, PlateCopiesThePropertiesAndReturnsNoEnergy) {
  namespace ps = materials::plate_section;
  mtest::MaterialHarness h(kPlate, "PLATE 3.0E6 0.2 6.0\n");
  h.init();
  EXPECT_EQ(h.nstate(), 5);
  const float* s = h.committed();
  EXPECT_FLOAT_EQ(s[ps::kE], 3.0e6f);
  EXPECT_FLOAT_EQ(s[ps::kNu], 0.2f);
  EXPECT_FLOAT_EQ(s[ps::kThickness], 6.0f);
  // The energy words are forced to 0.0 by options 2 and 3, whatever they held.
  h.set_state_word(ps::kEse, 7.0f);
  h.set_state_word(ps::kPse, 8.0f);
  for (int k = 0; k < 3; ++k) h.call(materials::kOptState);
  EXPECT_EQ(h.committed()[ps::kEse], 0.0f);
  EXPECT_EQ(h.committed()[ps::kPse], 0.0f);
  EXPECT_FLOAT_EQ(h.committed()[ps::kE], 3.0e6f);
}

TEST_F(PlatePointSet, PointReadsThreeTermsPerLineAndEchoesThemInInputOrder) {
  mtest::MaterialHarness h(kPoint, kPointSet);
  EXPECT_EQ(h.nprop(), 21);
  EXPECT_EQ(h.nstate_at_read(1), 21);
  for (int k = 1; k <= 21; ++k) EXPECT_FLOAT_EQ(h.prop()[k], kPointTerms[k - 1]) << "term " << k;
  const std::string out = kvtest::rstrip_lines(h.output());
  const std::string expected =
      "\n     POINT ELEMENT\n     =============\n\n\n"
      "    MATL.=   1\n\n"
      "    S(1,1)= 0.110E+02  S(2,2)= 0.220E+02  S(3,3)= 0.330E+02\n"
      "    S(4,4)= 0.440E+02  S(5,5)= 0.550E+02  S(6,6)= 0.660E+02\n"
      "    S(1,2)= 0.120E+02  S(1,3)= 0.130E+02  S(1,4)= 0.140E+02\n"
      "    S(1,5)= 0.150E+02  S(1,6)= 0.160E+02  S(2,3)= 0.230E+02\n"
      "    S(2,4)= 0.240E+02  S(2,5)= 0.250E+02  S(2,6)= 0.260E+02\n"
      "    S(3,4)= 0.340E+02  S(3,5)= 0.350E+02  S(3,6)= 0.360E+02\n"
      "    S(4,5)= 0.450E+02  S(4,6)= 0.460E+02  S(5,6)= 0.560E+02\n\n";
  EXPECT_NE(out.find(expected), std::string::npos) << out;
}

TEST_F(PlatePointSet, PointHeadingOnceForTwoSetsInARow) {
  mtest::MaterialHarness h(kPoint, kPointSet + kPointSet, 2);
  const std::string out = h.output();
  EXPECT_EQ(count(out, "POINT ELEMENT"), 1);
  EXPECT_EQ(count(out, "MATL.=   1"), 1);
  EXPECT_EQ(count(out, "MATL.=   2"), 1);
  // The second set starts on the line after the first set's seventh line.
  h.init(2);
  for (int k = 1; k <= 21; ++k) EXPECT_FLOAT_EQ(h.committed()[k], kPointTerms[k - 1]) << "term " << k;
}

TEST_F(PlatePointSet, PointCopiesTheTermsIntoTheStateWords) {
  mtest::MaterialHarness h(kPoint, kPointSet);
  h.init();
  EXPECT_EQ(h.nstate(), 21);
  for (int k = 1; k <= 21; ++k) EXPECT_FLOAT_EQ(h.committed()[k], kPointTerms[k - 1]) << "term " << k;
}

TEST_F(PlatePointSet, ResultsAreZeroAndNstateIsOnlyReturnedAtOptionsZeroAndOne) {
  for (int type : {kPlate, kPoint}) {
    mtest::MaterialHarness h(type, type == kPlate ? std::string("PLATE 3.0E6 0.2 6.0\n") : kPointSet);
    h.init();
    for (int k = 0; k < 4; ++k) h.call(materials::kOptState);
    for (int iopt : {materials::kOptInit, materials::kOptState, materials::kOptResults, materials::kOptDamage}) {
      materials::MatCall c;
      c.iopt = iopt;
      c.ielno = 1;
      c.set = 1;
      c.sta = h.state_index();
      c.nstate = -7;
      c.ese = c.pse = c.di = 9.0f;
      c.duct.fill(9.0f);
      c.ex.fill(9.0f);
      int prev = type;
      int t = 0;
      materials::matdsp(c, prev, 0, t);
      EXPECT_EQ(c.nstate, -7) << type << " option " << iopt;
      EXPECT_EQ(c.di, 0.0f) << type << " option " << iopt;
      if (iopt == materials::kOptDamage) continue;  // option 5 returns only the damage index
      EXPECT_EQ(c.ese, 0.0f) << type << " option " << iopt;
      EXPECT_EQ(c.pse, 0.0f) << type << " option " << iopt;
      for (float v : c.duct) EXPECT_EQ(v, 0.0f);
      for (float v : c.ex) EXPECT_EQ(v, 0.0f);
    }
  }
}

}  // namespace
