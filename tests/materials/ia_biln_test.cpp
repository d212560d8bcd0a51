// The IA_BILN hinge through MATDSP: its two bilinear laws against hand
// values, and its input (typed and fitted cubics, labelled points, shear
// parameters) against the values and the echo the set must produce.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "materials/fixtures.h"
#include "materials/harness.h"
#include "materials/ia_biln.h"
#include "materials/matdsp.h"

namespace {

std::unique_ptr<mtest::MaterialHarness> make(const std::string& input, int nsets = 1) {
  return mtest::make_spring(10, materials::mat10, input, nsets);
}

// E*TI = 1000, MP = 100, so the harness's elastic trial is 1000 D.
std::string law_set(float elas, float sp, float maxduc, const std::string& rest) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "IA_BILN %.1f %g 1000.0 1.0 100.0 %.1f 0.0 0.0\n", elas, sp,
                maxduc);
  return buf + rest;
}

// ---------------------------------------------------------------- law B

struct LawB {
  const char* name;
  float elas;
  const char* rest;  // records after the first
};

// Every law-B code behaves alike with SP above 1.0E-5.
const LawB kLawB[] = {
    {"code_1", 1.0f, "0\n"},
    {"code_3", 3.0f, "0\n"},
    {"code_4_typed_cubic", 4.0f, "0\n1.0 2.0 3.0 4.0\n0\n"},
    {"code_5_typed_cubic", 5.0f, "0\n1.0 2.0 3.0 4.0\n0\n"},
};

class IaBilnLawB : public ::testing::TestWithParam<LawB> {};

TEST_P(IaBilnLawB, TrialBeyondTheLimitAndReversal) {
  auto h = make(law_set(GetParam().elas, 0.05f, 0.0f, GetParam().rest));
  const float* s = h->committed();
  // A trial of 110 from the elastic state: 100 + 0.05 (110 - 100). The yield
  // deformation is where the step's line reaches 100: 0.11 - 10/1000.
  h->step(0.11f);
  EXPECT_FLOAT_EQ(h->material_force(), 100.5f);
  EXPECT_EQ(s[4], 1.0f);
  EXPECT_NEAR(s[13], 0.1f, 1e-7);
  EXPECT_EQ(s[15], 1.0f);
  EXPECT_NEAR(h->results().duct[0], 1.1f, 1e-6);

  // Reversal while the trial is still at the limit: the elastic range starts
  // at the committed moment and is 2 MP wide; the moment is the committed one
  // plus the trial's change over SP.
  h->step(0.1099f);  // trial 100.5 - 0.1 = 100.4
  EXPECT_NEAR(h->material_force(), 100.5f - 0.1f / 0.05f, 1e-3);
  EXPECT_EQ(s[4], 0.0f);
  EXPECT_FLOAT_EQ(s[2], 100.5f);
  EXPECT_FLOAT_EQ(s[3], -99.5f);
}

INSTANTIATE_TEST_SUITE_P(Codes, IaBilnLawB, ::testing::ValuesIn(kLawB),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(IaBiln, FlatLawHoldsTheLimitAndReversesOnTheMemberStiffness) {
  struct Case {
    const char* name;
    float length;     // state word 21 as the element writes it; 0: never written
    float expected;   // 100 + (-0.005) 4 E TI / L, L = 1.0 when unwritten
  };
  const Case cases[] = {{"length_written", 2.0f, 90.0f}, {"length_never_written", 0.0f, 80.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto h = make(law_set(4.0f, 0.0f, 0.0f, "0\n1.0 2.0 3.0 4.0\n0\n"));
    if (c.length > 0.0f) h->set_state_word(21, c.length);
    h->step(0.15f);  // trial 150: held at 100, e = 50/1000
    EXPECT_EQ(h->material_force(), 100.0f);
    EXPECT_NEAR(h->committed()[13], 0.1f, 1e-7);
    h->step(0.16f);  // still yielding: codes 4 and 6 keep the moment on the limit
    EXPECT_EQ(h->material_force(), 100.0f);
    // The element of a yielded flat hinge forms its trial with no stiffness:
    // zero tangent, so the trial is the committed moment.
    h->set_state_word(1, 0.0f);
    h->step(0.155f);
    EXPECT_NEAR(h->material_force(), c.expected, 1e-4);
    EXPECT_TRUE(std::isfinite(h->material_force()));
  }
}

TEST(IaBiln, MaxDucEndsTheSpring) {
  auto h = make(law_set(1.0f, 0.05f, 4.0f, "0\n"));
  h->step(0.11f);   // DY = 0.1
  h->step(0.45f);   // ductility 4.5 reached in this step
  EXPECT_NEAR(h->results().duct[0], 4.5f, 1e-5);
  EXPECT_EQ(h->step(0.41f), 0.0f);
  EXPECT_EQ(h->committed()[4], 1.0f);
  EXPECT_EQ(h->step(0.2f), 0.0f);
  EXPECT_EQ(h->damage().di, 0.0f);
}

TEST(IaBiln, ElasticCodeReturnsTheTrial) {
  auto h = make("IA_BILN 0.0 0.05 1000.0 1.0 100.0 0.0 0.0 0.0\n");
  EXPECT_FLOAT_EQ(h->step(0.5f), 500.0f);
  EXPECT_EQ(h->committed()[4], 0.0f);
  EXPECT_EQ(h->results().duct[0], 0.0f);
  EXPECT_EQ(h->nprop(), 59);
}

// ---------------------------------------------------------------- law A

TEST(IaBiln, LawAClipsAndUnloadsThroughSP) {
  auto h = make(law_set(2.0f, 0.05f, 0.0f, "0.8\n0\n"));
  EXPECT_FLOAT_EQ(h->committed()[9], 0.8f);  // REDU F
  EXPECT_EQ(h->step(0.12f), 100.0f);
  EXPECT_NEAR(h->committed()[13], 0.12f, 1e-7);  // first yield at |D|
  EXPECT_EQ(h->step(0.13f), 100.0f);
  // A trial inside the limits after yielding: 100 + (99.9 - 100)/0.05.
  h->step(0.1299f);
  EXPECT_NEAR(h->material_force(), 98.0f, 1e-3);
  EXPECT_EQ(h->committed()[4], 0.0f);
  EXPECT_FLOAT_EQ(h->committed()[2], 100.0f);  // the limits do not move
  EXPECT_FLOAT_EQ(h->committed()[3], -100.0f);
}

TEST(IaBiln, LawAWithoutPostYieldRatioFallsBackToLawB) {
  auto h = make(law_set(2.0f, 0.0f, 0.0f, "0.8\n0\n"));
  EXPECT_EQ(h->step(0.12f), 100.0f);
  EXPECT_NEAR(h->committed()[13], 0.1f, 1e-7);  // law B's interpolated yield point
  // A trial inside the limits while yielding: law B keeps it (law A would
  // divide its change by SP).
  h->step(0.1199f);
  EXPECT_NEAR(h->material_force(), 99.9f, 1e-3);
}

TEST(IaBiln, UnsetReductionFactorIsOne) {
  auto h = make(law_set(1.0f, 0.05f, 0.0f, "0\n"));
  EXPECT_EQ(h->prop()[8], 1.0f);
  EXPECT_EQ(h->committed()[9], 1.0f);
}

// ---------------------------------------------------------------- input

std::string fmt(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

constexpr std::array<double, 4> kA = {2.0e6, 1.5, -2.0e-6, 3.0e-13};
constexpr std::array<double, 4> kB = {0.04, -1.0e-8, 2.0e-15, 1.0e-22};
double cubic(const std::array<double, 4>& c, double x) {
  return c[0] + x * (c[1] + x * (c[2] + x * c[3]));
}

// Both cubics fitted (loads in pounds up to 3e6), labelled capacity points,
// shear parameters.
std::string fitted_set() {
  std::string in = "IA_BILN 6.0 0.05 29000.0 100.0 2.0E6 4.0 0.1 0.02\n1\n6\n";
  for (double x : {-2.0e6, -1.0e6, 0.0, 1.0e6, 2.0e6, 3.0e6}) {
    in += fmt(x) + " " + fmt(cubic(kA, x)) + "\n";
  }
  in += "1\n5\n";
  const char* labels[] = {"CONCRETE", "'LAP SPLICE'", "FRACTURE", "BUCKLING", "NONE"};
  const double xs[] = {-2.0e6, -1.0e6, 0.0, 1.0e6, 3.0e6};
  for (int k = 0; k < 5; ++k) in += fmt(xs[k]) + " " + fmt(cubic(kB, xs[k])) + " " + labels[k] + "\n";
  in += "1\n10000.0 20000.0 30000.0 45.0\n";
  return in;
}

void expect_coefficients(const float* got, const std::array<double, 4>& want, double xmax,
                         double ymax) {
  for (int j = 0; j < 4; ++j) {
    const double scale = std::pow(xmax, j);
    EXPECT_NEAR(got[j] * scale, want[static_cast<std::size_t>(j)] * scale, 1e-5 * ymax) << j;
  }
}

TEST(IaBilnInput, FittedCubicsPointsAndShearWords) {
  auto h = make(fitted_set());
  EXPECT_EQ(h->nprop(), 64);
  const float* pr = h->prop();
  expect_coefficients(pr + 10, kA, 3.0e6, 1.0e7);
  expect_coefficients(pr + 15, kB, 3.0e6, 0.05);
  // The table holds the capacity fit, the last one made.
  EXPECT_EQ(pr[19], 5.0f);
  EXPECT_FLOAT_EQ(pr[20], static_cast<float>(cubic(kB, -2.0e6)));
  EXPECT_FLOAT_EQ(pr[24], static_cast<float>(cubic(kB, 3.0e6)));
  const float codes[] = {1.0f, 5.0f, 2.0f, 3.0f, 0.0f};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(pr[40 + k], codes[k]) << k;
  EXPECT_EQ(pr[60], 1.0f);
  EXPECT_FLOAT_EQ(pr[64], 45.0f * 3.14159f / 180.0f);

  // Set-up carries everything the element reads into the state.
  const float* s = h->committed();
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(s[16 + j], pr[10 + j]);
    EXPECT_EQ(s[23 + j], pr[15 + j]);
  }
  EXPECT_FLOAT_EQ(s[1], 29000.0f * 100.0f);
  EXPECT_EQ(s[2], 2.0e6f);
  EXPECT_EQ(s[3], -2.0e6f);
  EXPECT_EQ(s[20], 0.02f);
  EXPECT_EQ(s[27], 5.0f);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(s[28 + k], pr[20 + k]);
    EXPECT_EQ(s[48 + k], codes[k]);
  }
  EXPECT_EQ(s[68], 1.0f);
  EXPECT_EQ(s[69], 10000.0f);
  EXPECT_EQ(s[71], 30000.0f);
  EXPECT_EQ(s[72], pr[64]);
}

TEST(IaBilnInput, EchoOfAFittedSet) {
  auto h = make(fitted_set());
  const std::string out = h->output();
  const char* const in_order[] = {
      "\n\n\n BILINEAR INTERACTIVE MATERIAL PROPERTIES\n ========================================\n\n"
      "  MAT.        ELAS          SP           E          TI          MP     MAX DUC"
      "        BETA      REDU F       PRMAX\n",
      "     10.600000E+010.500000E-010.290000E+050.100000E+030.200000E+070.400000E+01"
      "0.100000E+000.100000E+010.200000E-01\n\n",
      "TOTAL DATA POINTS FOR A0-A3 (M)=  6\nTOTAL COEFS FOR POLYNOMIAL (N) =  4\n"
      "DATA POINT X=AXIAL LOAD; Y=NOMINAL MOMENT\n"
      "DATA POINT NO.   1: X=  -0.200000E+07Y=",
      "DATA POINT NO.   6: X=   0.300000E+07Y=  -0.340000E+07\n",
      "TOTAL DATA POINTS FOR B0-B3 (M)=  5\nTOTAL COEFS FOR POLYNOMIAL (N) =  4\n"
      "DATA POINT X=AXIAL LOAD; Y=PLASTIC ROTATION CAPACITY\n",
      " P-MY INTERACTION EQUATION:\nM(P)=A0 + A1*P + A2*P**2 + A3*P**3\nWHERE   A0=    0.200000E+07\n"
      "        A1=    0.150000E+01\n        A2=",
      " P-PLASTIC ROTATION CAPACITY (PRC) INTERACTION EQUATION:\n"
      "PRC(P)=B0 + B1*P + B2*P**2 + B3*P**3\nWHERE   B0=    0.400000E-01\n",
      " PARAMETERS FOR MEMBER SHEAR CAPACITIES:\n      VCI=    0.100000E+05\n"
      "      VCF=    0.200000E+05\n       VS=    0.300000E+05\n     ALFA (degree)=    0.450000E+02\n",
  };
  std::size_t pos = 0;
  for (const char* piece : in_order) {
    const std::size_t at = out.find(piece, pos);
    ASSERT_NE(at, std::string::npos) << "missing or out of order:\n" << piece << "\nin:\n" << out;
    pos = at;
  }
}

TEST(IaBilnInput, MoreThanTwentyPointsAreAllFittedAndTwentyStored) {
  std::string in = "IA_BILN 4.0 0.05 1000.0 1.0 100.0 0.0 0.0 0.0\n1\n25\n";
  const std::array<double, 4> c = {100.0, -2.0, 0.5, -0.01};
  for (int k = 0; k < 25; ++k) in += fmt(k - 12) + " " + fmt(cubic(c, k - 12)) + "\n";
  in += "0\n";
  auto h = make(in);
  expect_coefficients(h->prop() + 10, c, 12.0, 200.0);
  EXPECT_EQ(h->prop()[19], 20.0f);
  EXPECT_FLOAT_EQ(h->prop()[39], static_cast<float>(cubic(c, 7)));  // point 20
  EXPECT_EQ(h->committed()[27], 20.0f);
  EXPECT_NE(h->output().find("WARNING:"), std::string::npos);
  EXPECT_NE(h->output().find("DATA POINT NO.  25:"), std::string::npos);
}

TEST(IaBilnInput, ModeOtherThanZeroOrOneReadsNothingAndGivesZeros) {
  // The record after the mode is already the shear flag.
  auto h = make("IA_BILN 4.0 0.05 1000.0 1.0 100.0 0.0 0.0 0.0\n2\n1\n100.0 200.0 300.0 90.0\n");
  for (int j = 10; j <= 13; ++j) EXPECT_EQ(h->prop()[j], 0.0f);
  EXPECT_EQ(h->nprop(), 64);
  EXPECT_EQ(h->prop()[61], 100.0f);
  EXPECT_FLOAT_EQ(h->prop()[64], 90.0f * 3.14159f / 180.0f);
}

TEST(IaBilnInput, FitWithoutUsablePointsLeavesZeroCoefficients) {
  auto h = make("IA_BILN 4.0 0.05 1000.0 1.0 100.0 0.0 0.0 0.0\n1\n3\n0.0 10.0\n0.0 11.0\n0.0 12.0\n0\n");
  for (int j = 10; j <= 13; ++j) EXPECT_EQ(h->prop()[j], 0.0f);
  EXPECT_NE(h->output().find("TH DIAGONAL TERM ARE ZERO - CURVE FITTING SOLUTION ABORTED FROM SKY2"),
            std::string::npos);
}

TEST(IaBilnInput, ShearWordsOutsideTheRecordAreNotRead) {
  // A set without shear parameters is 59 words long; whatever lies after it
  // (here a stale 1.0 and four values) is not the set's.
  auto h = make(law_set(1.0f, 0.05f, 0.0f, "0\n"));
  ASSERT_EQ(h->nprop(), 59);
  float* pr = h->prop();
  pr[60] = 1.0f;
  for (int k = 61; k <= 64; ++k) pr[k] = 7.0f;
  h->init();
  for (int k = 68; k <= 72; ++k) EXPECT_EQ(h->committed()[k], 0.0f) << k;
}

}  // namespace
