// The point element: its stiffness to ground in the joint's coordinates,
// force recovery, peak table, the response-spectrum exchange, reports,
// history records and rejections.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "elements/plate_point_model.h"
#include "elements/point_element.h"

namespace {

using pptest::near_rel;
namespace pt = elements::point;

// The 21 terms: the diagonal, then S(1,2), S(1,3), ..., S(5,6).
std::vector<float> terms(const std::array<float, 6>& diag, float s12 = 0.0f) {
  std::vector<float> t(diag.begin(), diag.end());
  t.resize(21, 0.0f);
  t[6] = s12;
  return t;
}

class PointModel : public pptest::PlatePointModel {
 protected:
  // Joint 7 with equations 1..6 unless given; set 1 the point set.
  void one_joint(const std::vector<float>& set, std::array<int, 6> eq = {1, 2, 3, 4, 5, 6}, int neq = 6) {
    nodes({{7, 10, 20, 30, eq}}, neq);
    sets({{20, set}, {16, {3.0e6f, 0.2f, 1.0f}}});
  }
  const float* words(int k) const { return kv::rptr(record(1) + k); }
};

TEST_F(PointModel, At45DegreesUnder1000LbGivesTheDisplacementsOfItsStiffness) {
  // Local x at 45 degrees in plan; S(1,1) = 1000, S(2,2) = 2000, S(1,2) = 500,
  // S(3,3) = 3000 and the rotations 1.0E5, uncoupled.
  one_joint(terms({1000, 2000, 3000, 1.0e5f, 1.0e5f, 1.0e5f}, 500));
  elements({{20, "SUPPORT", {1, 7, -1, 1, 0, 1, 1, 0}}});
  ASSERT_EQ(checks_[0].nd, 6);
  // By hand, with c = cos 45: Kxx = c^2 (S11 - 2 S12 + S22) = 1000,
  // Kyy = c^2 (S11 + 2 S12 + S22) = 2000, Kxy = c^2 (S11 - S22) = -500, Kzz = 3000.
  const std::vector<double> k = global_matrix(1);
  auto kf = [&k](int r, int c) { return k[static_cast<std::size_t>((r - 1) * 6 + c - 1)]; };
  EXPECT_TRUE(near_rel(kf(1, 1), 1000.0, 1e-5));
  EXPECT_TRUE(near_rel(kf(2, 2), 2000.0, 1e-5));
  EXPECT_TRUE(near_rel(kf(1, 2), -500.0, 1e-5, 1e-3));
  EXPECT_TRUE(near_rel(kf(3, 3), 3000.0, 1e-5));
  EXPECT_NEAR(kf(1, 3), 0.0, 1e-3);
  // 1000 lb along global X: det = 1000 * 2000 - 500^2 = 1.75E6, so
  // ux = 2000 * 1000 / 1.75E6 = 8/7 and uy = 500 * 1000 / 1.75E6 = 2/7.
  std::vector<double> kk(36);
  for (int r = 1; r <= 6; ++r)
    for (int c = 1; c <= 6; ++c) kk[static_cast<std::size_t>((r - 1) * 6 + c - 1)] = kf(r, c);
  const std::vector<double> u = pptest::solve(kk, {1000, 0, 0, 0, 0, 0});
  EXPECT_TRUE(near_rel(u[0], 8.0 / 7.0, 1e-5));
  EXPECT_TRUE(near_rel(u[1], 2.0 / 7.0, 1e-5));
  for (int i = 2; i < 6; ++i) EXPECT_NEAR(u[static_cast<std::size_t>(i)], 0.0, 1e-9);

  // Recovery: local displacements (ux + uy) c = 10/7 c and (uy - ux) c = -6/7 c,
  // local forces S d = (1000, -1000) c... with S12: (1000*10/7 - 500*6/7) c = 1000 c
  // and (500*10/7 - 2000*6/7) c = -1000 c: the applied load in local axes.
  solution_tables(1);
  for (int e = 1; e <= 6; ++e) disp(e) = static_cast<float>(u[static_cast<std::size_t>(e - 1)]);
  option(elements::kEleState, 1, true);
  const double c = std::sqrt(0.5);
  EXPECT_TRUE(near_rel(words(pt::kDInc)[0], 10.0 / 7.0 * c, 1e-5));
  EXPECT_TRUE(near_rel(words(pt::kDInc)[1], -6.0 / 7.0 * c, 1e-5));
  EXPECT_TRUE(near_rel(words(pt::kFInc)[0], 1000.0 * c, 1e-5));
  EXPECT_TRUE(near_rel(words(pt::kFInc)[1], -1000.0 * c, 1e-5));
  EXPECT_NEAR(words(pt::kFInc)[2], 0.0, 1e-3);
  const std::string out = unit6();
  EXPECT_NE(out.find(" POINT ELEMENT FORCES..."), std::string::npos);
  EXPECT_NE(out.find("         1    1  FORCE     7   7.07106"), std::string::npos) << out;
}

TEST(PointDeck, At45DegreesThroughTheStaticSolution) {
  const kvtest::RunResult r = pptest::run_case("point_45_degrees.dat");
  if (pptest::types_missing(r)) GTEST_SKIP() << "the point element is not registered in the program yet";
  ASSERT_EQ(r.status, 0) << r.console;
  // The hand solution of the test above: ux = 8/7, uy = 2/7.
  const std::vector<double> u = pptest::node_values(r.output, "GCS DISPLACEMENTS,  LOADING #    1", 1);
  ASSERT_EQ(u.size(), 6u);
  EXPECT_TRUE(near_rel(u[0], 8.0 / 7.0, 1e-5));
  EXPECT_TRUE(near_rel(u[1], 2.0 / 7.0, 1e-5));
  for (int i = 2; i < 6; ++i) EXPECT_EQ(u[static_cast<std::size_t>(i)], 0.0);
  EXPECT_NE(r.output.find(" SUPPORT             1     1     1    0.70711 I +0.70711 J +0.00000 K      -0.70711 I +0.70711 J"),
            std::string::npos);
  EXPECT_NE(r.output.find("         1    1  FORCE     1   7.07106"), std::string::npos) << r.output;
}

TEST_F(PointModel, OnlyComponentsWithEquationAndStiffnessAreKept) {
  struct Case {
    const char* what;
    std::array<int, 6> eq;
    std::array<float, 6> diag;
    std::vector<int> lm;
  };
  const Case cases[] = {
      // Only the translations stiff: three kept, 6 terms, 36 words back.
      {"translations", {1, 2, 3, 4, 5, 6}, {10, 20, 30, 0, 0, 0}, {1, 2, 3}},
      // A restrained component keeps its equation; a deleted one (0) is left out.
      {"deleted", {1, 0, 3, 4, 5, 6}, {10, 20, 30, 0, 0, 0}, {1, 3}},
  };
  for (const Case& c : cases) {
    TearDown();
    SetUp();
    one_joint(terms(c.diag), c.eq);
    elements({{20, "P", {1, 7, 0, 1, 0, 1, 0, 0}}});
    const std::size_t nd = c.lm.size();
    EXPECT_EQ(checks_[0].nd, static_cast<int>(nd)) << c.what;
    EXPECT_EQ(lm(1), c.lm) << c.what;
    EXPECT_EQ(checks_[0].nback, 42 - static_cast<int>(nd * (nd + 1) / 2)) << c.what;
    // The packed triangle: diagonals at 1, 2 (1,1) then 3 (2,2) ...
    const std::vector<double> k = global_matrix(1);
    for (std::size_t i = 0; i < nd; ++i) {
      const int e = c.lm[i];
      EXPECT_FLOAT_EQ(static_cast<float>(k[static_cast<std::size_t>((e - 1) * 6 + e - 1)]),
                      c.diag[static_cast<std::size_t>(e - 1)])
          << c.what;
    }
  }
}

TEST_F(PointModel, EchoPrintsTheUnitAxesWithVyMadeNormal) {
  one_joint(terms({10, 20, 30, 40, 50, 60}));
  // VY = (1, 1, 0) has a part along VX = (2, 0, 0).
  elements({{20, "SPRING-7", {1, 7, 1, 1, 0, 2, 0, 0}}, {20, "SPRING-8", {1, 7, 0, 0, 1, 0, 3, 0}}});
  const std::string out = unit6();
  EXPECT_EQ(pptest::count(out, " ELEMENT 20,  POINT ELEMENT"), 1);
  const std::string heading = std::string(21, ' ') + "#  MATL JOINT #       --------  X-AXIS  --------      -------- Y-AXIS  --------";
  EXPECT_NE(out.find(" ELEMENT 20,  POINT ELEMENT\n\n" + heading + "\n"), std::string::npos) << out;
  const std::string line1 = " SPRING-7" + std::string(7, ' ') + "     1     1     7  " +
                            "  1.00000 I +0.00000 J +0.00000 K      +0.00000 I +1.00000 J +0.00000 K\n\n";
  EXPECT_NE(out.find(line1), std::string::npos) << out;
  // VX along global y, VY along global z.
  const std::string line2 = " SPRING-8" + std::string(7, ' ') + "     2     1     7  " +
                            "  0.00000 I +1.00000 J +0.00000 K      +0.00000 I +0.00000 J +1.00000 K\n\n";
  EXPECT_NE(out.find(line2), std::string::npos) << out;
}

TEST_F(PointModel, PeakTableKeepsTheWholeForceVectorOfEachComponentsLargestCase) {
  // Aligned with the joint: local forces are S times the joint displacements.
  one_joint(terms({100, 100, 100, 100, 100, 100}));
  elements({{20, "P", {1, 7, 0, 1, 0, 1, 0, 0}}});
  solution_tables(3);
  // Case 1: FX 200, FY -50; case 2: FX -100, FY 300; case 3: FX -200 (ties case 1), FY 100.
  disp(1, 1) = 2.0f;
  disp(2, 1) = -0.5f;
  disp(1, 2) = -1.0f;
  disp(2, 2) = 3.0f;
  disp(1, 3) = -2.0f;
  disp(2, 3) = 1.0f;
  option(elements::kEleState, 1, true);
  const float* peak = words(pt::kFPeak);
  const float col1[6] = {200, -50, 0, 0, 0, 0};
  const float col2[6] = {-100, 300, 0, 0, 0, 0};
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(peak[i], col1[i]) << i;
    EXPECT_FLOAT_EQ(peak[6 + i], col2[i]) << i;
    for (int j = 2; j < 6; ++j) EXPECT_EQ(peak[6 * j + i], 0.0f);
  }
  std::string out = unit6();
  EXPECT_EQ(pptest::count(out, "  FORCE     7"), 3);

  int ltype = 0;
  option(elements::kEleMaxima, 1, true, &ltype);
  out = unit6();
  EXPECT_NE(out.find("        COLUMN ( LOAD) REPRESENTS THE DOF WHICH HAS MAXIMUM VALUE\n\n POINT ELEMENT FORCES...\n"
                     "        MAXIMUM VALUES FOR ALL STEPS"),
            std::string::npos)
      << out;
  // Only the filled columns, numbered in the LOAD column.
  EXPECT_NE(out.find("         1    1  FORCE     7   2.000000E+02  -5.000000E+01"), std::string::npos) << out;
  EXPECT_NE(out.find("         1    2  FORCE     7  -1.000000E+02   3.000000E+02"), std::string::npos) << out;
  EXPECT_EQ(pptest::count(out, "  FORCE     7"), 5);

  // After the reset the heading comes, no force line.
  option(elements::kEleReset, 1);
  ltype = 0;
  option(elements::kEleMaxima, 1, true, &ltype);
  out = unit6();
  EXPECT_NE(out.find(" POINT ELEMENT.. ELEMENT #     1  INTERNAL FORCES AND DISPLACEMENTS ARE RESET TO ZERO"),
            std::string::npos);
  EXPECT_EQ(pptest::count(out, "  FORCE     7"), 5);
  EXPECT_EQ(pptest::count(out, "COLUMN ( LOAD)"), 2);
  EXPECT_FLOAT_EQ(words(pt::kBase)[0], 100.0f);  // the terms copied in again
}

TEST_F(PointModel, ResponseSpectrumExchangesForcesThroughRsforc) {
  one_joint(terms({100, 100, 100, 100, 100, 100}));
  elements({{20, "P", {1, 7, 0, 1, 0, 1, 0, 0}}});
  solution_tables(1);
  disp(1) = 1.0f;
  option(elements::kEleState, 1);
  option(elements::kEleCommit, 1);  // FTOT = DTOT = (100 | 1, 0, ...), peaks from it
  kv::solsta().rsmeth = 2.0f;
  kv::solsta().rsforc.fill(-9.0f);
  disp(1) = 0.0f;
  disp(3) = 2.0f;
  option(elements::kEleState, 1);
  const auto& rs = kv::solsta().rsforc;
  const float mode[6] = {0, 0, 200, 0, 0, 0};
  for (int i = 1; i <= 6; ++i) EXPECT_FLOAT_EQ(rs[static_cast<std::size_t>(i)], mode[i - 1]) << i;
  for (int i = 7; i <= 12; ++i) EXPECT_EQ(rs[static_cast<std::size_t>(i)], -9.0f);  // not touched
  for (int i = 1; i <= 6; ++i) kv::solsta().rsforc[static_cast<std::size_t>(i)] = static_cast<float>(10 * i);
  option(elements::kEleCommit, 1);
  for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(words(pt::kFTot)[i], static_cast<float>(10 * (i + 1)));
  EXPECT_FLOAT_EQ(words(pt::kDTot)[0], 1.0f);  // the displacements stay
  EXPECT_FLOAT_EQ(words(pt::kDTot)[2], 0.0f);
  EXPECT_FLOAT_EQ(words(pt::kFPeak)[0], 100.0f);  // and the peaks
  EXPECT_FLOAT_EQ(words(pt::kFPeak)[6 * 2 + 2], 0.0f);
}

TEST_F(PointModel, HistoryRecordsRoundTripWithEverySecondPrinted) {
  one_joint(terms({100, 100, 100, 100, 100, 100}));
  elements({{20, "P", {1, 7, 0, 1, 0, 1, 0, 0}}});
  const std::filesystem::path hist = dir_ / "hist.out";
  ASSERT_TRUE(fio::open(21, hist.string()));
  kv::ctl(kv::kIUNIT) = 21;
  fio::write_record(21, " 2 1 2 1.0 0.25");
  float* ftot = kv::rptr(record(1) + pt::kFTot);
  float* dtot = kv::rptr(record(1) + pt::kDTot);
  for (int r = 0; r < 3; ++r) {
    for (int i = 0; i < 6; ++i) {
      ftot[i] = static_cast<float>(10 * r + i + 1);
      dtot[i] = static_cast<float>(r) + 0.5f;
    }
    option(elements::kEleHistWrite, 1);
  }
  fio::flush(21);
  const std::string text = kvtest::read_file(hist);
  EXPECT_NE(text.find("\n     7   0.100000E+01   0.200000E+01   0.300000E+01   0.400000E+01   0.500000E+01   0.600000E+01\n"
                      "     7   0.500000E+00   0.500000E+00"),
            std::string::npos)
      << text;

  fio::rewind(21);
  std::string header;
  fio::read_record(21, header);
  kv::ctl(kv::kINC) = 2;
  option(elements::kEleHistRead, 1);
  const std::string out = unit6();
  EXPECT_NE(out.find("       POINT ELEMENT FORCES & DISPLACEMENTS...\n      STEP    TIME         NODE"), std::string::npos);
  // Steps 0, 2, 4 at times 1.0, 1.5, 2.0; the interval is 2, so all are multiples of 2.
  EXPECT_NE(out.find("\n         0 0.10000E+01 FORCE      7   1.000000E+00"), std::string::npos) << out;
  EXPECT_NE(out.find("\n         4 0.20000E+01 FORCE      7   2.100000E+01"), std::string::npos) << out;
  EXPECT_NE(out.find(std::string(23, ' ') + "DISP " + std::string(7, ' ') + "   2.500000E+00"), std::string::npos) << out;
  EXPECT_EQ(pptest::count(out, "FORCE      7"), 3);

  // "INC=" 4: steps 0 and 4 only; an empty history prints the heading only.
  fio::rewind(21);
  fio::read_record(21, header);
  kv::ctl(kv::kINC) = 4;
  option(elements::kEleHistRead, 1);
  EXPECT_EQ(pptest::count(unit6(), "FORCE      7"), 5);
  ASSERT_TRUE(fio::open(22, (dir_ / "empty.out").string()));
  fio::write_record(22, " 2 1 1 0.0 0.1");
  fio::rewind(22);
  fio::read_record(22, header);
  kv::ctl(kv::kIUNIT) = 22;
  option(elements::kEleHistRead, 1);
  const std::string last = unit6();
  EXPECT_EQ(pptest::count(last, "POINT ELEMENT FORCES & DISPLACEMENTS"), 3);
  EXPECT_EQ(pptest::count(last, "FORCE      7"), 5);
}

TEST_F(PointModel, RejectedElementsReadNoJointAndHaveNoStiffness) {
  struct Case {
    const char* what;
    std::vector<float> values;
    const char* message;
  };
  const Case cases[] = {
      {"plate set", {2, 7, 0, 1, 0, 1, 0, 0},
       "  ELEMENT:      1  INCOMPATIBLE MATERIAL PROP.#   16  START JOINT:    7\n"
       " THE ELEMENT IS REJECTED AND ERROR CHECKING CONTINUES\n P"},
      {"missing joint", {1, 8, 0, 1, 0, 1, 0, 0}, " TARGET:       8   NOT FOUND"},
      {"parallel axes", {1, 7, 2, 0, 0, 1, 0, 0}, "VY IS PARAELL TO VX, REINPUT VY"},
  };
  for (const Case& c : cases) {
    TearDown();
    SetUp();
    one_joint(terms({100, 100, 100, 100, 100, 100}));
    elements({{20, "P", c.values}});
    const std::string out = unit6();
    EXPECT_NE(out.find(c.message), std::string::npos) << c.what << "\n" << out;
    EXPECT_NE(out.find("THE ELEMENT IS REJECTED AND ERROR CHECKING CONTINUES"), std::string::npos) << c.what;
    EXPECT_EQ(checks_[0].nd, 0) << c.what;
    EXPECT_EQ(checks_[0].nback, 42) << c.what;
    solution_tables(1);
    for (int e = 1; e <= 6; ++e) disp(e) = 1.0f;
    option(elements::kEleState, 1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(words(pt::kFInc)[i], 0.0f) << c.what;
  }
}

TEST_F(PointModel, OptionOutsideTheProtocolIsReported) {
  one_joint(terms({100, 100, 100, 100, 100, 100}));
  elements({{20, "P", {1, 7, 0, 1, 0, 1, 0, 0}}});
  option(15, 1);
  EXPECT_NE(unit6().find(" INVALID OPTION IN ELE-20, IOPT= 15"), std::string::npos);
}

}  // namespace
