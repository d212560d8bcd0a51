// Element loads: FEFREL, the beam fixed-end forces of BMFEF against the
// textbook formulas, and ELLOAD reading, echoing and turning the records into
// joint loads through the elements.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "elements/beam3d.h"
#include "elements/beam_model.h"
#include "elements/eledsp.h"
#include "elements/element_loads.h"
#include "fio/fio.h"
#include "support/test_support.h"

namespace {

using btest::near_rel;
using namespace elements;

// ---------------------------------------------------------------- FEFREL

struct RelCase {
  const char* name;
  bool rela, relb;
  int kind;
  float fa, fb;        // in
  float ea, eb;        // expected
};

class Fefrel : public ::testing::TestWithParam<RelCase> {};

TEST_P(Fefrel, CarriesTheReleasedEndOver) {
  const RelCase& rc = GetParam();
  float fa = rc.fa, fb = rc.fb;
  fefrel(fa, fb, rc.rela, rc.relb, rc.kind, 1);
  EXPECT_FLOAT_EQ(fa, rc.ea);
  EXPECT_FLOAT_EQ(fb, rc.eb);
}

INSTANTIATE_TEST_SUITE_P(
    ElementLoads, Fefrel,
    ::testing::Values(RelCase{"NoRelease", false, false, kFefMoment, -12, 12, -12, 12},
                      // A pinned end j: half its fixed-end moment goes to end i (wL^2/12 -> wL^2/8).
                      RelCase{"MomentEndJ", false, true, kFefMoment, -12, 12, -18, 0},
                      RelCase{"MomentEndI", true, false, kFefMoment, -12, 12, 0, 18},
                      RelCase{"MomentBoth", true, true, kFefMoment, -12, 12, 0, 0},
                      RelCase{"TorsionEndJ", false, true, kFefTorsion, -7, -3, -10, 0},
                      RelCase{"TorsionEndI", true, false, kFefTorsion, -7, -3, 0, -10}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- BMFEF

// Records held outside the work array: one column of IDATA and RDATA each.
struct Tables {
  std::vector<std::int32_t> idata;
  std::vector<float> rdata;
  void add(int load, int elem, int gen, int inc, int code, std::vector<float> values) {
    idata.insert(idata.end(), {load, elem, gen, inc, code});
    values.resize(12, 0.0f);
    rdata.insert(rdata.end(), values.begin(), values.end());
  }
  ElementLoadTables view() const {
    ElementLoadTables t;
    t.neload = static_cast<int>(idata.size() / 5);
    t.nread = t.neload;
    t.idata = idata.data();
    t.rdata = rdata.data();
    return t;
  }
};

struct FefCase {
  const char* name;
  int code;
  std::vector<float> values;
  float length;
  int irel;
  std::array<double, 12> fef;  // equivalent joint loads, local axes
};

class Bmfef : public ::testing::TestWithParam<FefCase> {
 protected:
  void SetUp() override {
    fio::close_all();
    dir_ = kvtest::fresh_dir("bmfef");
    ASSERT_TRUE(fio::open(6, (dir_ / "unit6.out").string()));
  }
  void TearDown() override { fio::close_all(); }
  std::string unit6() {
    fio::flush(6);
    return kvtest::read_file(dir_ / "unit6.out");
  }
  std::filesystem::path dir_;
};

TEST_P(Bmfef, EquivalentJointLoads) {
  const FefCase& fc = GetParam();
  Tables t;
  t.add(1, 4, 0, 0, fc.code, fc.values);
  std::array<float, 12> fef{};
  fef.fill(99.0f);  // zeroed by the first record that applies
  ASSERT_TRUE(bmfef(4, fc.length, fc.irel, t.view(), 1, fef.data()));
  for (int k = 0; k < 12; ++k) EXPECT_TRUE(near_rel(fef[static_cast<std::size_t>(k)], fc.fef[static_cast<std::size_t>(k)], 1e-5, 1e-5)) << "component " << k + 1;
  EXPECT_EQ(unit6(), "");
}

// Textbook: a point load P at a from i (b = L - a) on a fixed-fixed beam gives
// end moments Pab^2/L^2, Pa^2b/L^2 and end shears Pb^2(3a+b)/L^3, Pa^2(a+3b)/L^3;
// a uniform load wL/2 and wL^2/12 (wL^2/8 and 5wL/8, 3wL/8 with a pinned end).
INSTANTIATE_TEST_SUITE_P(
    ElementLoads, Bmfef,
    ::testing::Values(
        FefCase{"ConcAxial", 101, {10.0f, 0.25f}, 12, 0, {7.5, 0, 0, 0, 0, 0, 2.5, 0, 0, 0, 0, 0}},
        // P = 8 at midspan, L = 10: P/2 and PL/8.
        FefCase{"ConcFyMidspan", 102, {8.0f, 0.5f}, 10, 0, {0, 4, 0, 0, 0, 10, 0, 4, 0, 0, 0, -10}},
        // P = 9 at a = 4, b = 8: moments 16 and 8, shears 20/3 and 7/3.
        FefCase{"ConcFyThirdPoint", 102, {9.0f, 1.0f / 3.0f}, 12, 0,
                {0, 20.0 / 3, 0, 0, 0, 16, 0, 7.0 / 3, 0, 0, 0, -8}},
        // Pinned end j: M_i = Pab(L+b)/(2L^2) = 3PL/16 at midspan, shears 11P/16 and 5P/16.
        FefCase{"ConcFyEndJPinned", 102, {8.0f, 0.5f}, 10, kRelMzJ,
                {0, 5.5, 0, 0, 0, 15, 0, 2.5, 0, 0, 0, 0}},
        // In the x-z plane the moment signs turn: M_y = -PL/8 at i.
        FefCase{"ConcFzMidspan", 103, {8.0f, 0.5f}, 10, 0, {0, 0, 4, 0, -10, 0, 0, 0, 4, 0, 10, 0}},
        FefCase{"ConcTorque", 104, {10.0f, 0.3f}, 10, 0, {0, 0, 0, 7, 0, 0, 0, 0, 0, 3, 0, 0}},
        FefCase{"ConcTorqueEndJFree", 104, {10.0f, 0.3f}, 10, kRelMxJ, {0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0}},
        // A moment M = 12 at midspan: end moments M/4, shears 3M/2L.
        FefCase{"ConcMzMidspan", 106, {12.0f, 0.5f}, 10, 0, {0, -1.8, 0, 0, 0, -3, 0, 1.8, 0, 0, 0, -3}},
        FefCase{"ConcMzAtI", 106, {12.0f, 0.0f}, 10, 0, {0, 0, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0}},
        FefCase{"ConcMyMidspan", 105, {12.0f, 0.5f}, 10, 0, {0, 0, 1.8, 0, -3, 0, 0, 0, -1.8, 0, -3, 0}},
        FefCase{"UnifAxial", 201, {2.0f}, 10, 0, {10, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0}},
        FefCase{"UnifFy", 202, {1.0f}, 12, 0, {0, 6, 0, 0, 0, 12, 0, 6, 0, 0, 0, -12}},
        FefCase{"UnifFyEndJPinned", 202, {1.0f}, 12, kRelMzJ, {0, 7.5, 0, 0, 0, 18, 0, 4.5, 0, 0, 0, 0}},
        FefCase{"UnifFyEndIPinned", 202, {1.0f}, 12, kRelMzI, {0, 4.5, 0, 0, 0, 0, 0, 7.5, 0, 0, 0, -18}},
        FefCase{"UnifFySimplySupported", 202, {1.0f}, 12, kRelMzI | kRelMzJ,
                {0, 6, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0}},
        FefCase{"UnifFz", 203, {1.0f}, 12, 0, {0, 0, 6, 0, -12, 0, 0, 0, 6, 0, 12, 0}},
        FefCase{"UnifTorqueEndIFree", 204, {1.0f}, 10, kRelMxI, {0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 0, 0}},
        FefCase{"FixedEndForcesGiven", 400, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 10, 0,
                {-1, -2, -3, -4, -5, -6, -7, -8, -9, -10, -11, -12}}),
    [](const auto& info) { return std::string(info.param.name); });

struct MessageCase {
  const char* name;
  int code;
  int irel;
  const char* line;
};

class BmfefMessage : public Bmfef {};

TEST_F(BmfefMessage, UnavailableLoadsGiveTheirLineAndNoForce) {
  const std::vector<MessageCase> cases{
      {"UnifMz", 206, 0, "  ERROR CALCULATING FIXED END FORCES FOR ELEMENT #     4  UNIFORM MY OR UNIFORM MZ IS NOT AVAILABLE\n"},
      {"Varr", 302, 0, "  ERROR CALCULATING FIXED END FORCES FOR ELEMENT #     4 INVALID LOAD GROUP IS NOT AVAILABLE\n"},
      {"TorsionBothFree", 204, kRelMxI | kRelMxJ,
       "  ERROR CALCULATING FIXED END FORCES FOR ELEMENT #     4 TORSION WITH BOTH ENDS RELEASED IS NOT AVAILABLE\n"},
  };
  std::string expected;
  for (const MessageCase& mc : cases) {
    Tables t;
    t.add(1, 4, 0, 0, mc.code, {5.0f, 0.2f, 0.3f, 0.6f});
    std::array<float, 12> fef{};
    fef.fill(99.0f);
    EXPECT_TRUE(bmfef(4, 10.0f, mc.irel, t.view(), 1, fef.data())) << mc.name;
    for (float v : fef) EXPECT_EQ(v, 0.0f) << mc.name;
    expected += mc.line;
  }
  EXPECT_EQ(unit6(), expected);
}

TEST_F(BmfefMessage, GenerationLoadCasesAndAccumulation) {
  Tables t;
  t.add(1, 5, 2, 3, 202, {2.0f});   // elements 5, 8, 11
  t.add(2, 8, 0, 0, 201, {1.0f});   // element 8, load case 2
  t.add(2, 8, 0, 0, 201, {3.0f});   // added to the one before
  t.add(3, 8, 0, 0, 201, {1.0f});   // load case outside 1..2: passed over
  auto applies = [&](int e) {
    std::array<float, 24> fef{};
    return bmfef(e, 10.0f, 0, t.view(), 2, fef.data());
  };
  for (int e : {5, 8, 11}) EXPECT_TRUE(applies(e)) << e;
  for (int e : {2, 6, 7, 14}) EXPECT_FALSE(applies(e)) << e;

  std::array<float, 24> fef{};
  ASSERT_TRUE(bmfef(8, 10.0f, 0, t.view(), 2, fef.data()));
  EXPECT_FLOAT_EQ(fef[1], 10.0f);        // load case 1: wL/2 in FY
  EXPECT_FLOAT_EQ(fef[12 + 0], 20.0f);   // load case 2: (1 + 3) L/2 axial at i
  EXPECT_FLOAT_EQ(fef[12 + 6], 20.0f);

  // No record for the element: the table is not touched.
  std::array<float, 24> untouched{};
  untouched.fill(7.0f);
  EXPECT_FALSE(bmfef(9, 10.0f, 0, t.view(), 2, untouched.data()));
  EXPECT_EQ(untouched[0], 7.0f);
}

// ---------------------------------------------------------------- ELLOAD

const btest::Section kSection{29.0e6f, 11.2e6f, 10.0f, 5.0f, 5.0f, 50.0f, 200.0f, 100.0f};

class Elload : public btest::BeamModel {
 protected:
  // One beam along X, joint 1 restrained (equations 7-12), joint 2 free (1-6).
  void cantilever() {
    nodes({{1, 0, 0, 0, {7, 8, 9, 10, 11, 12}}, {2, 100, 0, 0, {1, 2, 3, 4, 5, 6}}}, 12);
    kv::ctl(kv::kNCOND) = 0;
    kv::ctl(kv::kNFREE) = 6;
    sections({kSection});
    elements({{1, "B", {1, 1, 2, 0, 1, 0, 0, 0, 0, 0}}});
  }
  void input(const std::string& text) {
    kvtest::write_file(dir_ / "input.dat", text);
    ASSERT_TRUE(fio::open(5, (dir_ / "input.dat").string()));
  }
  // The tables of a solution with neload records, NREAD as a stale value.
  void reserve(int neload) {
    kv::ctl(kv::kNELOAD) = neload;
    kv::ctl(kv::kElemLoad1) = static_cast<std::int32_t>(take(5 * static_cast<std::int64_t>(neload)));
    kv::ctl(kv::kElemLoad2) = static_cast<std::int32_t>(take(12 * static_cast<std::int64_t>(neload)));
    kv::ctl(kv::kElementLoadWord) = 77;
  }
  int idata(int k, int n) { return kv::izm(kv::ctl(kv::kElemLoad1) + 5 * (n - 1) + k - 1); }
  float rdata(int k, int n) { return kv::rzm(kv::ctl(kv::kElemLoad2) + 12 * (n - 1) + k - 1); }
  int run(bool lprt, int neload) {
    return elload(lprt, 7, kv::ctl(kv::kNELEM), neload, kv::ctl(kv::kNEQ), kv::ctl(kv::kNLC), kv::ctl(kv::kUTOTAL),
                  kv::ctl(kv::kPTOTAL), "ELEMENT LOADS", false);
  }
  std::string next_input_line() {
    std::string line;
    return fio::read_record(5, line) == fio::Status::ok ? line : "<end>";
  }
};

TEST_F(Elload, ReadsChecksAndEchoesTheRecords) {
  cantilever();
  solution_tables(1);
  reserve(10);
  input("1 1 0 0 UNIF FY -2.0\n"
        "1 1 0 0 CONC FY -1000.0 1.5\n"
        "1 1 0 0 PUSH FY 3.0\n"
        "1 1 0 0 UNIF QQ 3.0\n"
        "3 1 0 0 UNIF FY 3.0\n"
        "1 1 0 0 FEM X 1 2 3 4 5 6\n"
        "  7 8 9 10 11 12\n"
        "1 1 0 0 VARR FY 1.0 2.0 0.2 0.8\n"
        "1 1 0 0 CONC-UNIF FX 4.0 0.5\n"
        "0 0 0 0 END\n"
        "STOP\n");
  EXPECT_EQ(run(false, 10), 5);
  EXPECT_EQ(kv::ctl(kv::kElementLoadWord), 5);
  EXPECT_EQ(next_input_line(), "STOP");  // the end record is taken, nothing after it

  EXPECT_EQ(idata(5, 1), 202);
  EXPECT_EQ(idata(5, 2), 102);
  EXPECT_FLOAT_EQ(rdata(2, 2), 1.0f);  // clamped onto the member
  EXPECT_EQ(idata(5, 3), 400);
  EXPECT_FLOAT_EQ(rdata(7, 3), 7.0f);  // the values ran on to the next line
  EXPECT_FLOAT_EQ(rdata(12, 3), 12.0f);
  EXPECT_EQ(idata(5, 4), 302);
  EXPECT_EQ(idata(5, 5), 101);  // "CONC" is searched before "UNIF"

  const std::string out = unit6();
  const std::string expected_head =
      "\n     ELEMENT LOADS\n   =================\n\n  LOAD ELEM  GEN  INC  GROUP & DIRECTION    VALUES....\n";
  EXPECT_NE(kvtest::rstrip_lines(out).find(expected_head), std::string::npos) << out;
  EXPECT_NE(out.find("     1    1    0    0 UNIF      FY         -2.000000E+00\n"), std::string::npos) << out;
  EXPECT_NE(out.find(" ====>DISTANCE IS OUT OF RANGE, SET"), std::string::npos) << out;
  EXPECT_NE(out.find("     1    1    0    0 CONC      FY         -1.000000E+03  1.000000E+00  * DISTANCE CLAMPED\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(" INVALID LOAD TYPE --- LOAD IS SKIPPED\n     1    1    0    0 PUSH      FY          3.000000E+00\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(" INVALID LOAD DIRECTION --- LOAD IS SKIPPED\n     1    1    0    0 UNIF      QQ          3.000000E+00\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(" INVALID LOAD CASE --- LOAD IS SKIPPED\n     3    1    0    0 UNIF      FY"), std::string::npos) << out;
  EXPECT_NE(out.find("     1    1    0    0 FEM       X           1.000000E+00  2.000000E+00  3.000000E+00  4.000000E+00"
                     "  5.000000E+00  6.000000E+00\n" +
                     std::string(42, ' ') + "  7.000000E+00  8.000000E+00"),
            std::string::npos)
      << out;
  // The beam passes the "VARR" record over with its message.
  EXPECT_NE(out.find("FOR ELEMENT #     1 INVALID LOAD GROUP IS NOT AVAILABLE"), std::string::npos) << out;
}

TEST_F(Elload, JointLoadsOfTwoLoadCasesAndTheirReport) {
  cantilever();
  solution_tables(2);
  reserve(5);
  // Load case 1: w = -2 over L = 100; load case 2: P = -1000 at midspan.
  input("1 1 0 0 UNIF FY -2.0\n"
        "2 1 0 0 CONC FY -1000.0 0.5\n"
        "END\n");
  EXPECT_EQ(run(true, 5), 2);
  // Equivalent joint loads wL/2, wL^2/12 and P/2, PL/8 at the joints' equations.
  EXPECT_TRUE(near_rel(load(8, 1), -100.0));
  EXPECT_TRUE(near_rel(load(12, 1), -2.0 * 1.0e4 / 12.0));
  EXPECT_TRUE(near_rel(load(2, 1), -100.0));
  EXPECT_TRUE(near_rel(load(6, 1), 2.0 * 1.0e4 / 12.0));
  EXPECT_TRUE(near_rel(load(8, 2), -500.0));
  EXPECT_TRUE(near_rel(load(12, 2), -12500.0));
  EXPECT_TRUE(near_rel(load(6, 2), 12500.0));
  EXPECT_EQ(load(1, 1), 0.0f);

  const std::string out = unit6();
  EXPECT_NE(out.find("  GLOBAL JOINT FORCES DUE TO ELEMENT LOADS       LOADING #    2"
                     "            NOTE: * DENOTES SUPPORT DISPLACEMENT\n"
                     " ==========================================\n\n"),
            std::string::npos)
      << out;
  // Equations above NEQR1 = 7 are marked; 12 equations take 3 lines and an empty one.
  EXPECT_NE(out.find("\n        11  0.000000E+00*   12 -1.250000E+04*\n\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\n         6  1.250000E+04     7  0.000000E+00     8 -5.000000E+02*"), std::string::npos) << out;

  // The recovery subtracts the equivalent loads: with no displacement the end
  // forces are the fixed-end forces (support reactions +wL/2 up at each end).
  option(kEleState, 1);
  EXPECT_TRUE(near_rel(rword(1, beam::kDF + 1), 500.0, 1e-5));
  EXPECT_TRUE(near_rel(rword(1, beam::kDF + 5), 12500.0, 1e-5));
}

TEST_F(Elload, IncompleteRecordBeforeTheEndIsSkipped) {
  cantilever();
  solution_tables(1);
  reserve(4);
  // The distance of the "CONC" record is missing: the end record is not taken
  // for it, and the list still ends there.
  input("\n1 1 0 0 UNIF FY -2.0\n\n1 1 0 0 CONC FY 5.0\n0 0 0 0 END\nSTOP\n");
  EXPECT_EQ(run(false, 4), 1);
  EXPECT_NE(unit6().find(" INCOMPLETE LOAD RECORD --- LOAD IS SKIPPED\n 1 1 0 0 CONC FY 5.0\n"), std::string::npos)
      << unit6();
  EXPECT_EQ(next_input_line(), "STOP");
}

TEST_F(Elload, NoRecordBeforeEndPrintsNothing) {
  cantilever();
  solution_tables(1);
  const std::string before = unit6();
  reserve(3);
  input("0 0 0 0 END\nSTOP\n");
  EXPECT_EQ(run(true, 3), 0);
  EXPECT_EQ(kv::ctl(kv::kElementLoadWord), 0);
  EXPECT_EQ(unit6(), before);
  EXPECT_EQ(next_input_line(), "STOP");
}

TEST_F(Elload, AFullTableEndsTheList) {
  cantilever();
  solution_tables(1);
  reserve(1);
  input("1 1 0 0 UNIF FY -2.0\n1 1 0 0 UNIF FY -5.0\n");
  EXPECT_EQ(run(false, 1), 1);
  EXPECT_EQ(next_input_line(), "1 1 0 0 UNIF FY -5.0");
}

TEST_F(Elload, DriversReadOnlyTheRecordsStored) {
  // Tables left from an earlier solution with NREAD back at 0: nothing is
  // subtracted or loaded again.
  cantilever();
  solution_tables(1);
  element_load_records({{1, 1, 0, 0, 202, {-2.0f}}});
  kv::ctl(kv::kElementLoadWord) = 0;
  option(kEleLoads, 1);
  option(kEleState, 1);
  for (int eq = 1; eq <= 12; ++eq) EXPECT_EQ(load(eq), 0.0f);
  EXPECT_EQ(rword(1, beam::kDF + 1), 0.0f);
  kv::ctl(kv::kElementLoadWord) = 1;
  option(kEleLoads, 1);
  EXPECT_TRUE(near_rel(load(2), -100.0));
}

}  // namespace
