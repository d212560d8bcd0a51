// The reduced inelastic beam-column (type 10 "MR_END"): its pair rules and
// record words on a column laid by hand, and decks checked against hand
// calculations.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "elements/beam_column_model.h"
#include "elements/element_model.h"
#include "elements/inelastic/beam_column.h"
#include "elements/inelastic/mr_end.h"
#include "elements/plate_point_model.h"
#include "materials/local_buckling.h"
#include "materials/short_owjg_mr2.h"

namespace {

using namespace elements::beam_column;
using pptest::node_lines;
using pptest::numbers_of;
using pptest::run_case;

constexpr int kMr2 = materials::kShortOwjgMr2Type.code;
constexpr int kLocbkl = materials::kLocbklType.code;

// ---------------------------------------------------------------- records

constexpr int kMatsta = elements::mr_end::kBase;  // word w of component c's state: kMatsta - 1 + offset + w

class MrEndRecord : public bctest::ColumnModel {
 protected:
  MrEndRecord() : ColumnModel("mr_end") {}
  // An MR2 set: HA, VA (elastic hinge stiffness VA/HA), post-yield ratio 0.05.
  static void mr2_set(int set, float ha, float va) {
    const std::array<float, 7> p{ha, va, 0.05f, 0.0f, 0.0f, 3.0e9f, 0.0f};
    material_record(set, kMr2, p.data(), p.size(), 8);
  }
  void column() { ColumnModel::column(10, elements::mr_end::kRecordWords); }
  float state_word(int comp, int w) const {
    return kv::rzm(record(1) + kMatsta - 1 + iword(1, kMstOff + comp - 1) - 1 + w);
  }
};

TEST_F(MrEndRecord, Mr2PairTakesThreeTimesItsHingeStiffnessAsTheMemberEnd) {
  // Both hinges at their elastic tangent (fA = fB = 0): D = 3/kA², with
  // kA = 3 k31, so AA = (2/kA)/D = 2 k31, AB = (1/kA)/D = k31 and
  // BB = (2/kB)/D = 2 k31A²/k31B.
  struct Case {
    float va_a, va_b;  // HA = 0.001: k31 = 1000 VA
    float aa, ab, bb;
  };
  const std::array<Case, 3> cases{{{1.0e6f, 1.0e6f, 2.0e9f, 1.0e9f, 2.0e9f},
                                   {1.0e6f, 5.0e5f, 2.0e9f, 1.0e9f, 4.0e9f},
                                   {2.0e5f, 4.0e5f, 4.0e8f, 2.0e8f, 2.0e8f}}};
  for (const Case& c : cases) {
    SetUp();
    material_table(5);
    mr2_set(1, 0.001f, c.va_a);
    mr2_set(2, 0.001f, c.va_b);
    mr2_set(3, 0.001f, c.va_a);
    mr2_set(4, 0.001f, c.va_b);
    axial_set();
    column();
    EXPECT_EQ(iword(1, 0), 10);
    for (int w : {kByaa, kBzaa}) EXPECT_NEAR(rword(1, w), c.aa, c.aa * 1e-6) << c.va_b;
    for (int w : {kByab, kBzab}) EXPECT_NEAR(rword(1, w), c.ab, c.ab * 1e-6) << c.va_b;
    for (int w : {kBybb, kBzbb}) EXPECT_NEAR(rword(1, w), c.bb, c.bb * 1e-6) << c.va_b;
    // The shear terms follow: (AA + 2AB + BB)/L².
    EXPECT_NEAR(rword(1, kShy1), (c.aa + 2 * c.ab + c.bb) / 1.0e4f, c.aa * 1e-9);
    TearDown();
  }
}

TEST_F(MrEndRecord, PairWithoutElasticHingeStiffnessKeepsItsTermsWithThePairMessage) {
  // VA = 0.0 at MY-A leaves kA = 0: no terms to form (2/kA, 3/kA²); the
  // pair's terms stay as they were (0.0 at input) and the pair is named.
  material_table(5);
  mr2_set(1, 0.001f, 0.0f);
  mr2_set(2, 0.001f, 1.0e6f);
  mr2_set(3, 0.001f, 1.0e6f);
  mr2_set(4, 0.001f, 1.0e6f);
  axial_set();
  column();
  for (int w : {kByaa, kByab, kBybb, kShy1, kShy2, kShy3}) {
    EXPECT_EQ(rword(1, w), 0.0f) << w;
  }
  EXPECT_NEAR(rword(1, kBzaa), 2.0e9f, 2.0e3f);
  EXPECT_NE(unit6().find(" ** INVALID MATERIAL TYPE MYA=11 MYB=11 FOR ELEMENT NO.     1 **"), std::string::npos)
      << unit6();
  // The stiffness stays finite.
  const auto k = expanded_matrix<float>(1, elements::kEleStiff);
  for (float v : k) EXPECT_TRUE(std::isfinite(v));
}

TEST_F(MrEndRecord, IaBilnWordsFromTheMemberAndTheirReturnAfterAReset) {
  // MY-A: EI = 3.0E9; MY-B: EI = 6.0E9; MZ: 3.0E9; My = 1.0E6 throughout.
  material_table(5);
  for (int s = 1; s <= 4; ++s) ia_biln_set(s, 2.0f, s == 2 ? 6.0e7f : 3.0e7f, 100.0f, 1.0e6f);
  axial_set();
  column();
  auto check_words = [this](const char* when) {
    // Yield rotations My L / 6EI from the rigidity of the pair's end A, for
    // both ends: 1.0E8 / 1.8E10 = 5.5556E-3 (MY-B's own rigidity would
    // give half of it).
    for (int c = kMyA; c <= kMzB; ++c) {
      EXPECT_NEAR(state_word(c, 13), 5.5556e-3f, 1e-7f) << when << c;
      // The member length, which the material divides by at a reversal.
      EXPECT_FLOAT_EQ(state_word(c, 21), 100.0f) << when << c;
    }
    // Axial and torsion: the yield elongation MP L/EA = 1.0E12/3.0E10.
    EXPECT_NEAR(state_word(kFx, 13), 33.3333f, 1e-3f) << when;
    EXPECT_NEAR(state_word(kMx, 13), 33.3333f, 1e-3f) << when;
  };
  check_words("input");
  // All four codes 2.0 with an IA_BILN FX: family 1.
  EXPECT_EQ(iword(1, kIafag), 1);
  EXPECT_EQ(iword(1, kIyldst), 0);
  // A yielded flag survives the reset, which writes the member's words again.
  kv::izm(record(1) + kIyldst) = 1;
  option(elements::kEleReset, 1);
  check_words("reset");
  EXPECT_EQ(iword(1, kIyldst), 1);
  EXPECT_NE(unit6().find(" IE3D BEAM........ ELEMENT #     1  INTERNAL FORCES AND HYSTERESIS MODELS ARE RESET TO ZERO"),
            std::string::npos);
}

TEST_F(MrEndRecord, InitialInteractionFamilyHasNoAxialLoadCurves) {
  struct Case {
    std::array<float, 4> codes;  // MY-A, MY-B, MZ-A, MZ-B
    int iafag;
  };
  // The codes that choose the P-M family in type 9 (4.0, 6.0) leave 0.
  const std::array<Case, 5> cases{
      {{{2, 2, 2, 2}, 1}, {{3, 3, 3, 3}, 5}, {{4, 4, 2, 2}, 0}, {{6, 6, 1, 1}, 0}, {{4, 4, 4, 4}, 0}}};
  for (const Case& c : cases)
    EXPECT_EQ(initial_iafag(10, elements::mr_end::kRecordWords, c.codes), c.iafag) << c.codes[0] << c.codes[1] << c.codes[2] << c.codes[3];
  // An axial tube (LOCBKL) in place of the IA_BILN axial set: no family,
  // whatever the bending codes.
  SetUp();
  material_table(6);
  for (int k = 1; k <= 4; ++k) ia_biln_set(k, 2.0f, 3.0e7f, 100.0f, 1.0e6f);
  axial_set();
  const std::array<float, 8> tube{3.0e7f, 10.0f, 2.0f, 50000.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  material_record(6, kLocbkl, tube.data(), tube.size(), 9);
  ColumnModel::column(10, elements::mr_end::kRecordWords, 6);
  EXPECT_EQ(iword(1, kMatTyp + 5), kLocbkl);  // the sixth component, FX
  EXPECT_EQ(iword(1, kNedof), 12);
  EXPECT_EQ(iword(1, kIafag), 0);
  // The tube gets the member's length and an effective-length factor of 1.0.
  EXPECT_FLOAT_EQ(state_word(kFx, 5), 100.0f);
  EXPECT_FLOAT_EQ(state_word(kFx, 2), 1.0f);
}

// ---------------------------------------------------------------- decks

// The numbers of every line that starts with `lead`.
std::vector<std::vector<double>> lines_starting(const std::string& out, const std::string& lead) {
  std::vector<std::vector<double>> v;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(lead, 0) == 0) v.push_back(numbers_of(line));
  return v;
}

TEST(MrEndDeck, IaBilnCantileverFollowsThePostYieldTangentWithoutLimitStates) {
  const auto r = run_case("mr_end_sol4_ia_biln.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  EXPECT_NE(r.output.find(" ELEMENT 10,  IE3DBEAM2 ELEMENT"), std::string::npos);
  // EI = 3.0E9, L = 100, My = 1.0E6, p = 0.05: H = My/L = 10,000 lb at
  // 3EI/L³ = 9000 lb/in (1.111122 in at 1.00001 H), then the tangent
  // 12p/(3 + p) EI/L³ = 590.164 lb/in: 0.847222 in per 500 lb and
  // 1.111111 + 2000/590.164 = 4.50000 in at 1.2 H.
  const auto tip = node_lines(r.output, "GCS DISPLACEMENTS,  LOADING", 2);
  ASSERT_EQ(tip.size(), 5u) << r.output;
  EXPECT_NEAR(tip[0][0], 1.111122, 2e-6);
  for (std::size_t k = 2; k < 5; ++k) EXPECT_NEAR(tip[k][0] - tip[k - 1][0], 0.847222, 1e-4) << k;
  EXPECT_NEAR(tip[4][0], 4.5000, 2e-4);
  // No first-yield report, no limit code, no limit-state point.
  EXPECT_EQ(r.output.find("YIELD AT"), std::string::npos);
  EXPECT_EQ(r.output.find("FLP:"), std::string::npos);
  EXPECT_EQ(r.output.find("LIMIT STATE POINT"), std::string::npos);
  // The force lines end in the yielded flag: 0 at step 1 (the yield is
  // found by the next formation), 1 from step 2 on, and in the four lines
  // of the maxima after the last step. At 1.2 H the base carries 1.2 My and
  // 1.2 H.
  const auto ends = lines_starting(r.output, "                 FORCE     2");
  ASSERT_EQ(ends.size(), 9u) << r.output;
  EXPECT_EQ(ends[0].back(), 0.0);
  for (std::size_t k = 1; k < ends.size(); ++k) EXPECT_EQ(ends[k].back(), 1.0) << k;
  const auto base = lines_starting(r.output, "         1    1  FORCE     1");
  ASSERT_GE(base.size(), 5u);
  EXPECT_NEAR(std::fabs(base[4][7]), 1.2e6, 20.0);
  EXPECT_NEAR(std::fabs(base[4][5]), 1.2e4, 0.2);
  EXPECT_EQ(r.output.find("NaN"), std::string::npos);
}

// The totals of every energy balance line that starts with `what`.
std::vector<double> energy_totals(const std::string& out, const std::string& what) {
  std::vector<double> v;
  for (const auto& n : lines_starting(out, "              " + what))
    if (n.size() == 2) v.push_back(n[1]);
  return v;
}

struct EnergyCase {
  const char* deck;
  std::size_t steps;
  double last_input;  // the work of the tip load by hand
};

class MrEndEnergy : public ::testing::TestWithParam<EnergyCase> {};

// The pushover of the deck above, in one solution and cut in two: the first
// (elastic) step stores all the work as elastic energy, ½ H δ =
// ½ x 10000.1 x 1.111122 = 5555.67; past the yield the member's energy
// (elastic and plastic) follows the work of the load, ½ x 10000 x 1.111111
// + 11000 x (4.5 - 1.111111) = 42833.3 (42831.4 at 1.19999 H and 4.499842
// in); the continued solution starts its input at the energy the member
// holds.
TEST_P(MrEndEnergy, BalanceClosesOnElasticAndYieldingSteps) {
  const EnergyCase& c = GetParam();
  const auto r = run_case(c.deck);
  ASSERT_EQ(r.status, 0) << r.console;
  const std::vector<double> in = energy_totals(r.output, "INPUT ENERGY");
  const std::vector<double> ese = energy_totals(r.output, "ELASTIC STRAIN ENERGY");
  const std::vector<double> pse = energy_totals(r.output, "PLASTIC STRAIN ENERGY");
  ASSERT_EQ(in.size(), c.steps) << r.output;
  ASSERT_EQ(ese.size(), c.steps);
  ASSERT_EQ(pse.size(), c.steps);
  EXPECT_NEAR(in[0], 5555.67, 0.02);
  EXPECT_NEAR(ese[0], 5555.67, 0.1);
  EXPECT_EQ(pse[0], 0.0);
  for (std::size_t k = 0; k < c.steps; ++k) EXPECT_NEAR(ese[k] + pse[k], in[k], 1e-4 * in[k]) << "step " << k + 1;
  for (std::size_t k = 1; k < c.steps; ++k) EXPECT_GT(pse[k], pse[k - 1]) << "the yielded base dissipates, step " << k + 1;
  EXPECT_NEAR(in.back(), c.last_input, 1e-4 * c.last_input);
}

INSTANTIATE_TEST_SUITE_P(Decks, MrEndEnergy,
                         ::testing::Values(EnergyCase{"mr_end_sol4_ia_biln.dat", 5, 42833.3},
                                           EnergyCase{"mr_end_sol4_continued_energy.dat", 5, 42831.4}),
                         [](const auto& info) { return info.index == 0 ? std::string("OneSolution") : std::string("Continued"); });

TEST(MrEndDeck, HistoryRecordsCarryTheYieldedFlagAndReadListsThemThinned) {
  const auto r = run_case("mr_end_sol4_ia_biln.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // Two records of two lines per written step: forces ending with the flag
  // in one digit, displacements ending after their sixth value. Step 2
  // (1.05 H): the base moment 1.05E6, the flag set.
  const std::string file = kvtest::read_file(r.dir / "temp20.out");
  EXPECT_NE(file.find("     2 0.00000E+00 0.00000E+00-1.05001E+04 0.00000E+00 3.75000E-01 0.00000E+001\n"
                      "     1 0.00000E+00 0.00000E+00 0.00000E+00 0.00000E+00-1.95846E-02 0.00000E+00\n"
                      "     2 0.00000E+00 0.00000E+00-1.95846E+00 0.00000E+00 5.83343E-03 0.00000E+00\n"),
            std::string::npos)
      << file;
  // "INC=2": steps 0, 2, 4 listed, 1, 3, 5 read over. Step 4 is 1.15 H.
  EXPECT_NE(r.output.find("     IE3D BEAM FORCES...\n      STEP    TIME         NODE       AXIAL"), std::string::npos);
  EXPECT_NE(r.output.find("         4    0.00000E+00     1   0.000000E+00   0.000000E+00   1.150000E+04"
                          "   0.000000E+00  -1.150000E+06   0.000000E+00\n"),
            std::string::npos)
      << r.output;
  for (int step : {1, 3, 5}) {
    const std::string lead = std::string(9, ' ') + std::to_string(step) + "    0.00000E+00     1";
    EXPECT_EQ(r.output.find(lead), std::string::npos) << step;
  }
  EXPECT_NE(r.output.find("   3.750000E-01   0.000000E+00   1\n                         DISP  "), std::string::npos);
}

TEST(MrEndDeck, ReadListsIntoScratchSoAResetModelStartsFromZero) {
  const auto r = run_case("mr_end_read_reset.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // After 1.2 H, "RELEASE ELEMENT" resets forces and materials, and "READ"
  // lists the history whose last record holds 1.2 My at the base. The next
  // solution starts from the reset state: 0.5 H = 5000 lb on the elastic
  // column gives 5000/9000 = 0.555556 in and a base moment of 5.0E+05 (a
  // record read into the element would start it from 1.2E+06). The yielded
  // flag outlives the reset.
  const auto tip = node_lines(r.output, "GCS DISPLACEMENTS,  LOADING", 2);
  ASSERT_EQ(tip.size(), 6u) << r.output;
  EXPECT_NEAR(tip[5][0], 0.555556, 1e-6);
  const auto base = lines_starting(r.output, "         1    1  FORCE     1");
  ASSERT_GE(base.size(), 6u);
  EXPECT_NEAR(base[5][7], -5.0e5, 1.0);
  const std::size_t half = r.output.find("HALF       STEP:    1");
  ASSERT_NE(half, std::string::npos);
  EXPECT_NE(r.output.find("   0.000000E+00   0.000000E+00   1\n", half), std::string::npos);
  // The reset column stays elastic: every ductility below 1.0 prints 0.0.
  EXPECT_NE(r.output.find("          1     0.00000    0.00000    0.00000    0.00000    0.00000    0.00000\n", half),
            std::string::npos);
}

TEST(MrEndDeck, EndShearsCarryNoPDeltaTerm) {
  const auto r = run_case("mr_end_sol1_pdelta.dat");
  ASSERT_EQ(r.status, 0) << r.console;
  // Lumped geometric stiffness P/L = 450 lb/in on the tip sway under
  // PKG = 45000: tip stiffness 3EI/L³ - P/L = 9000 - 450 = 8550 lb/in, so
  // H = 1000 lb sways the tip 0.116959 in. The end forces come from the
  // member's stiffness alone, without P-delta: shear 3EI/L³ x 0.116959 =
  // 1052.632 lb (not H), base moment 1.052632E+05 = HL + P x sway, the
  // reaction's moment.
  const auto tip = node_lines(r.output, "GCS DISPLACEMENTS", 2);
  ASSERT_EQ(tip.size(), 1u) << r.output;
  EXPECT_NEAR(tip[0][0], 1000.0 / 8550.0, 1e-6);
  const auto base = lines_starting(r.output, "         1    1  FORCE     1");
  ASSERT_EQ(base.size(), 1u) << r.output;
  EXPECT_NEAR(base[0][5], 1052.632, 1e-2);
  EXPECT_NEAR(base[0][7], -1.052632e5, 1.0);
}

TEST(MrEndDeck, HingeEndsAreRejectedAndAPairWithoutStiffnessIsSkipped) {
  const auto r = run_case("mr_end_input_faults.dat");
  // Element 1 has HINGE bending ends, which the reduced member does not
  // take: rejected, one line per end. Element 3's MR2 pair has VA = 0.0 (no
  // elastic hinge stiffness): its MY terms stay 0.0 with the pair message,
  // counted as a warning. The run goes on, and its status says so.
  ASSERT_EQ(r.status, 3) << r.console;
  EXPECT_EQ(etest::count_of(r.output, "  ELEMENT:      1  INCOMPATIBLE MATERIAL PROP.#   19  START JOINT:    1"), 2);
  EXPECT_NE(r.output.find(" ** INVALID MATERIAL TYPE MYA=11 MYB=11 FOR ELEMENT NO.     3 **"), std::string::npos);
  EXPECT_NE(r.console.find("1 ERROR AND     1 WARNING"), std::string::npos) << r.console;
  // Element 2 alone carries the tip load in X: PL³/3EI = 0.111111 in; the
  // bending of element 3 about y adds nothing, and its forces are 0.0.
  const auto tip = node_lines(r.output, "GCS DISPLACEMENTS", 2);
  ASSERT_EQ(tip.size(), 1u) << r.output;
  EXPECT_NEAR(tip[0][0], 0.111111, 1e-6);
  const auto third = lines_starting(r.output, "         3    1  FORCE     1");
  ASSERT_EQ(third.size(), 1u);
  for (std::size_t k = 3; k < third[0].size(); ++k) EXPECT_EQ(third[0][k], 0.0) << k;
  EXPECT_EQ(r.output.find("NaN"), std::string::npos);
}

}  // namespace
