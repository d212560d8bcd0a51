// Step report and energy balance: ground integration, the five energies and
// their relative error, the printed balance, and the kinetic energy of a
// partially reduced mass.
#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/work_array.h"
#include "dynamic_harness.h"
#include "elements/eledsp.h"
#include "elements/element_type.h"
#include "materials/material_type.h"
#include "materials/matdsp.h"
#include "solutions/dynamic/step_report.h"

namespace {

using solutions::StepEnergies;
using solutions::StepReport;

double energy(int word) { return kv::ctl_double(word); }

// The vectors of one step, owned by the test, and a report over them.
struct Step {
  int neq;
  std::vector<float> a, v, d, da, dv, dd, p, dp, fd, dfd, fdamp, dfdamp, w1, w2;
  std::array<float, 6> sumub{}, sumrc{}, dsumrc{}, sumfd{}, dsumfd{};
  std::array<float, 3> dgacc{}, dgvel{}, dgdsp{}, gacc{}, gvel{}, gdsp{};
  std::vector<kv::SkyReal> mass;
  std::vector<std::int32_t> mdiag;

  explicit Step(int n)
      : neq(n), a(z()), v(z()), d(z()), da(z()), dv(z()), dd(z()), p(z()), dp(z()), fd(z()), dfd(z()),
        fdamp(z()), dfdamp(z()), w1(z()), w2(z()) {}
  std::vector<float> z() const { return std::vector<float>(static_cast<std::size_t>(neq), 0.0f); }

  StepReport report(bool dynamic, bool print, int ncond, int ncf) {
    StepReport s;
    s.ncond = ncond;
    s.ncf = ncf;
    s.neq = neq;
    s.dynamic = dynamic;
    s.print = print;
    if (!mass.empty()) {
      s.mass = mass.data();
      s.mass_mdiag = mdiag.data();
      s.mass_nstore = static_cast<int>(mass.size());
    }
    s.dt = 0.1f;
    s.sumub = sumub.data();
    s.sumrc = sumrc.data();
    s.dsumrc = dsumrc.data();
    s.sumfd = sumfd.data();
    s.dsumfd = dsumfd.data();
    s.fdamp = fdamp.data();
    s.dfdamp = dfdamp.data();
    s.fd = fd.data();
    s.dfd = dfd.data();
    s.a = a.data();
    s.v = v.data();
    s.d = d.data();
    s.da = da.data();
    s.dv = dv.data();
    s.dd = dd.data();
    s.p = p.data();
    s.dp = dp.data();
    s.work1 = w1.data();
    s.work2 = w2.data();
    if (dynamic) {
      s.dgacc = dgacc.data();
      s.dgvel = dgvel.data();
      s.dgdsp = dgdsp.data();
      s.gacc = gacc.data();
      s.gvel = gvel.data();
      s.gdsp = gdsp.data();
    }
    return s;
  }
};

// A line built field by field at its columns (1-based, as T in a format).
struct Line {
  std::string s;
  Line& at(int col, const std::string& text) {
    s.resize(static_cast<std::size_t>(col - 1), ' ');
    s += text;
    return *this;
  }
};

TEST(Thprnt, GroundMotionFollowsTheLinearAccelerationFormulas) {
  dyntest::start("thprnt_ground", "");
  Step st(1);
  st.mass = {1.0f};
  st.mdiag = {1, 2};
  st.dgacc = {1.0f, 2.0f, 0.0f};
  StepReport s = st.report(true, false, 0, 1);
  solutions::thprnt(s);
  // First step from rest: dv = a dt / 2, dd = a dt^2 / 6.
  EXPECT_FLOAT_EQ(st.dgvel[0], 0.05f);
  EXPECT_FLOAT_EQ(st.dgdsp[0], 0.01f / 6.0f);
  solutions::thprnt(s);
  solutions::thprnt(s);
  // A ramp a = t/dt: v = t^2 / (2 dt), d = t^3 / (6 dt) at t = 3 dt.
  EXPECT_FLOAT_EQ(st.gacc[0], 3.0f);
  EXPECT_FLOAT_EQ(st.gacc[1], 6.0f);
  EXPECT_NEAR(st.gvel[0], 0.45f, 1e-6);
  EXPECT_NEAR(st.gvel[1], 0.9f, 1e-6);
  EXPECT_NEAR(st.gdsp[0], 0.045f, 1e-7);
  EXPECT_NEAR(st.gdsp[1], 0.09f, 1e-7);
  EXPECT_EQ(st.gdsp[2], 0.0f);
  dyntest::finish();
}

TEST(Thprnt, EnergyBalanceOfOneDegreeOfFreedom) {
  dyntest::start("thprnt_balance", "");
  Step st(1);
  st.mass = {2.0f};
  st.mdiag = {1, 2};
  st.v = {1.0f};
  st.dv = {1.0f};
  st.p = {10.0f};
  st.dp = {4.0f};
  st.dd = {0.5f};
  st.fdamp = {1.0f};
  st.dfdamp = {2.0f};
  StepReport s = st.report(true, true, 0, 1);
  s.alpha = 0.1f;
  const StepEnergies e = solutions::thprnt(s);
  // Load work (10 + 4/2) * 0.5; kinetic 2 * 2^2 / 2; damping 0.1 * (1 + 1) * (1 + 0.5).
  EXPECT_DOUBLE_EQ(e.dein, 6.0);
  EXPECT_DOUBLE_EQ(energy(kv::kEINPUT), 6.0);
  EXPECT_DOUBLE_EQ(energy(kv::kEKIN), 4.0);
  EXPECT_FLOAT_EQ(e.dekin, 4.0f);
  EXPECT_NEAR(e.dedamp, 0.3, 1e-7);
  EXPECT_NEAR(energy(kv::kEDAMP), 0.3, 1e-7);
  EXPECT_EQ(energy(kv::kESTRN), 0.0);
  EXPECT_NEAR(e.pcterr, (6.0 - 4.0 - 0.3) / 6.0 * 100.0, 1e-4);

  const auto lines = dyntest::lines_of(dyntest::finish());
  ASSERT_GE(lines.size(), 20u);
  const std::vector<std::string> want = {
      "",
      Line().at(10, " ENERGY BALANCE").s,
      Line().at(10, "================").at(40, "INCRIMENTAL").at(58, "TOTAL").s,
      Line().at(15, "INPUT ENERGY").at(40, " 6.00000E+00").at(55, " 6.00000E+00").s,
      Line().at(15, "ELASTIC STRAIN ENERGY").at(40, " 0.00000E+00").at(55, " 0.00000E+00").s,
      Line().at(15, "KINETIC ENERGY ").at(40, " 4.00000E+00").at(55, " 4.00000E+00").s,
      Line().at(15, "PLASTIC STRAIN ENERGY").at(40, " 0.00000E+00").at(55, " 0.00000E+00").s,
      Line().at(15, "DAMPING ENERGY").at(40, " 3.00000E-01").at(55, " 3.00000E-01").s,
      Line().at(15, "RELATIVE ERROR").at(55, " 2.83333E+01%").s,
      "",
      Line().at(10, " GROUND RESPONSE").s,
      Line().at(10, "=================").s,
      Line().at(10, "INCRIMENTAL VALUES").at(46, "DISPLACEMENT").at(63, "VELOCITY").at(76, "ACCELERATION").s,
  };
  for (std::size_t k = 0; k < want.size(); ++k) EXPECT_EQ(dyntest::rstrip(lines[k]), want[k]) << k;
  EXPECT_EQ(dyntest::rstrip(lines[13]),
            Line().at(15, "GLOBAL X AXIS TRANSLATION...").at(45, "    0.00000E+00    0.00000E+00    0.00000E+00").s);
  EXPECT_EQ(dyntest::rstrip(lines[16]), Line().at(10, "TOTAL VALUES").s);
  EXPECT_EQ(dyntest::rstrip(lines[19]).substr(14, 28), "GLOBAL Z AXIS TRANSLATION...");
}

TEST(Thprnt, StaticSolutionHasNoKineticDampingOrGroundLines) {
  dyntest::start("thprnt_static", "");
  Step st(2);
  st.p = {1.0f, 2.0f};
  st.dp = {2.0f, 2.0f};
  st.dd = {1.0f, 1.0f};
  st.fdamp = {5.0f, 5.0f};
  kv::ctl_double(kv::kEKIN) = 7.0;
  kv::ctl_double(kv::kEDAMP) = 7.0;
  StepReport s = st.report(false, true, 0, 1);
  s.alpha = 1.0f;
  const StepEnergies e = solutions::thprnt(s);
  // The load work covers the restrained equation too: 2*1 + 3*1.
  EXPECT_DOUBLE_EQ(e.dein, 5.0);
  EXPECT_EQ(energy(kv::kEKIN), 0.0);
  EXPECT_EQ(energy(kv::kEDAMP), 0.0);
  EXPECT_EQ(e.dedamp, 0.0);
  EXPECT_FLOAT_EQ(e.pcterr, 100.0f);
  const std::string out = dyntest::finish();
  EXPECT_NE(out.find("ENERGY BALANCE"), std::string::npos);
  EXPECT_EQ(out.find("GROUND RESPONSE"), std::string::npos);
}

TEST(Thprnt, NoInputEnergyPrintsOneHundredPercent) {
  dyntest::start("thprnt_zero", "");
  Step st(1);
  StepReport s = st.report(false, true, 0, 1);
  const StepEnergies e = solutions::thprnt(s);
  EXPECT_EQ(e.pcterr, 100.0f);
  const std::string out = dyntest::finish();
  EXPECT_NE(out.find(Line().at(15, "RELATIVE ERROR").at(55, " 1.00000E+02%").s), std::string::npos);
  EXPECT_EQ(out.find("NaN"), std::string::npos);
}

// Ground work with every force sum, the separate geometric stiffness and the
// statics case, and the kinetic energy of the absolute velocity, on a node
// whose axes are turned 90 degrees about Z (axis 1 = +Y, axis 2 = -X).
TEST(Thprnt, GroundWorkGeometricStiffnessStaticsCaseAndAbsoluteVelocity) {
  dyntest::start("thprnt_work", "");
  dyntest::Node n;
  n.id = 1;
  n.eq = {1, 2, 0, 0, 0, 0};
  Step st(2);
  st.mass = {1.0f, 1.0f};
  st.mdiag = {1, 2, 3};
  st.gvel = {1.0f, 2.0f, 0.0f};  // no acceleration: DGDSP = GVEL * dt
  st.sumrc = {10, 20, 30, 99, 99, 99};
  st.dsumrc = {2, 4, 0, 99, 99, 99};
  st.sumfd = {1, 0, 0, 0, 0, 0};
  st.dsumfd = {0, 2, 0, 0, 0, 0};
  st.sumub = {0, 0, 5, 0, 0, 0};
  st.dd = {0.1f, 0.2f};
  st.fd = {2.0f, 4.0f};
  st.dfd = {2.0f, 0.0f};
  st.fdamp = {3.0f, 3.0f};  // no damping coefficients: no damping energy
  kv::Stcase& sc = kv::stcase();
  sc.istat = 1;
  sc.pstat = {0.0f, 10.0f, 10.0f};
  sc.rstat = {0, 0, 1, 0, 0, 0, 0};
  StepReport s = st.report(true, false, 0, 2);
  s.dt = 0.5f;
  s.kgdata3 = 2;
  s.nodes = dyntest::make_nodes({n}, {{0, 1, 0, -1, 0, 0, 0, 0, 1}});
  s.nnode = 1;
  const StepEnergies e = solutions::thprnt(s);
  // Ground: (10+1+1) * 0.5 + (20+2+1+1) * 1.0 + 35 * 0 = 30.
  // Absolute displacement increment u = dd + (DGDSP_Y, -DGDSP_X) = (1.1, -0.3):
  // geometric stiffness (2+1)*1.1 + 4*(-0.3) = 2.1; statics case 10*1.1 - 10*0.3 = 8.
  EXPECT_NEAR(e.dein, 30.0 + 2.1 + 8.0, 1e-5);
  // Absolute velocity (GVEL_Y, -GVEL_X) = (2, -1): kinetic (4 + 1) / 2.
  EXPECT_NEAR(energy(kv::kEKIN), 2.5, 1e-6);
  EXPECT_EQ(e.dedamp, 0.0);
  kv::reset_globals();
  dyntest::finish();
}

TEST(Prteng, QuadraticFormOfTheBlockAfterTheCondensedEquations) {
  // M = [[4,1,0],[1,2,1],[0,1,3]]; equation 1 condensed; u = (5, 1, 2):
  // the free block [[2,1],[1,3]] gives 2 + 2*2 + 3*4 = 18.
  const std::vector<kv::SkyReal> m = {4, 2, 1, 3, 1};
  const std::vector<std::int32_t> md = {1, 2, 4, 6};
  std::vector<float> x = {9, 9, 9};
  const std::vector<float> u = {5, 1, 2};
  EXPECT_DOUBLE_EQ(solutions::prteng(false, 1, 1, 2, 3, 4, 3, 5, md.data(), m.data(), x.data(), u.data(), u.data()),
                   18.0);
  // No condensed equation: the whole form 4*25 + 2*5*1 + 2 + 2*2 + 12 = 128.
  EXPECT_DOUBLE_EQ(solutions::prteng(false, 1, 0, 1, 3, 4, 3, 5, md.data(), m.data(), x.data(), u.data(), u.data()),
                   128.0);
}

// ------------------------------------------------------------------ float range

// Load work terms of 1e40 each, of opposite signs: REAL products would be
// Infinity - Infinity; formed in double they cancel exactly.
TEST(Thprnt, WorkTermsBeyondTheRealRangeAreFormedInDouble) {
  dyntest::start("thprnt_cancel", "");
  Step st(2);
  st.p = {1.0e20f, 1.0e20f};
  st.dd = {1.0e20f, -1.0e20f};
  StepReport s = st.report(false, true, 0, 2);
  const StepEnergies e = solutions::thprnt(s);
  EXPECT_EQ(e.dein, 0.0);
  EXPECT_EQ(e.pcterr, 100.0f);
  EXPECT_EQ(kv::ctl(kv::kISTOP) & 1, 0);
  const std::string out = dyntest::finish();
  EXPECT_NE(out.find("ENERGY BALANCE"), std::string::npos);
  EXPECT_EQ(out.find("NaN"), std::string::npos);
  kv::reset_globals();
}

// An energy that a REAL cannot hold (input 1e40, kinetic 0.5e40) ends the
// solution with its report before the balance is printed; no NaN% either.
struct OutOfRange {
  const char* name;
  bool dynamic;
  float p, dd, v;
  const char* what;
};

std::ostream& operator<<(std::ostream& o, const OutOfRange& c) { return o << c.name; }

class ThprntOutOfRange : public ::testing::TestWithParam<OutOfRange> {};

TEST_P(ThprntOutOfRange, EndsTheSolutionBeforeTheBalance) {
  const OutOfRange& c = GetParam();
  dyntest::start("thprnt_range", "");
  Step st(1);
  st.mass = {1.0f};
  st.mdiag = {1, 2};
  st.p = {c.p};
  st.dd = {c.dd};
  st.v = {c.v};
  StepReport s = st.report(c.dynamic, true, 0, 1);
  solutions::thprnt(s);
  EXPECT_EQ(kv::ctl(kv::kISTOP) & 1, 1);
  const std::string out = dyntest::finish();
  EXPECT_NE(out.find(std::string(" *  ") + c.what + " IS NOT FINITE"), std::string::npos) << out;
  EXPECT_NE(out.find(" *  ERROR IN SUBROUTINE THPRNT"), std::string::npos);
  EXPECT_EQ(out.find("ENERGY BALANCE"), std::string::npos);
  for (const char* bad : {"Infinity", "NaN"}) EXPECT_EQ(out.find(bad), std::string::npos) << bad;
  kv::reset_globals();
}

INSTANTIATE_TEST_SUITE_P(
    Energies, ThprntOutOfRange,
    ::testing::Values(OutOfRange{"static_load_work", false, 1.0e20f, 1.0e20f, 0.0f, "INPUT ENERGY"},
                      OutOfRange{"kinetic", true, 0.0f, 0.0f, 1.0e20f, "KINETIC ENERGY"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Prteng, RealSumsThatOverflowAreFormedInDouble) {
  // M = identity, u = (1e20, 1e20), w = (1e20, -1e20): the terms 1e40 and -1e40
  // overflow a REAL sum to NaN; the form itself is 0.
  const std::vector<kv::SkyReal> m = {1, 1};
  const std::vector<std::int32_t> md = {1, 2, 3};
  std::vector<float> x = {9, 9};
  const std::vector<float> u = {1.0e20f, 1.0e20f};
  const std::vector<float> w = {1.0e20f, -1.0e20f};
  EXPECT_EQ(solutions::prteng(false, 1, 0, 1, 2, 3, 2, 2, md.data(), m.data(), x.data(), u.data(), w.data()), 0.0);
}

// ------------------------------------------------------------------ elements

int g_ductility_calls = 0;

// An element whose energies are its record words 2 and 3.
void energy_element(elements::EleCall& c) {
  if (c.iopt == elements::kEleEnergy) {
    c.r1 = elements::rec_real(c, 2);
    c.r2 = elements::rec_real(c, 3);
  } else if (c.iopt == elements::kEleDuct) {
    ++g_ductility_calls;
  }
}

TEST(Thprnt, StrainEnergiesAreSummedOverTheElements) {
  constexpr int kTestType = 7;  // no element type of the library
  dyntest::start("thprnt_elements", "");
  elements::register_element(kTestType, energy_element);
  std::vector<std::int32_t> rec(10, 0);
  rec[0] = kTestType;
  const std::int64_t r1 = dyntest::put_int(rec);
  const std::int64_t r2 = dyntest::put_int(rec);
  kv::rzm(r1 + 2) = 1.5f;
  kv::rzm(r1 + 3) = 0.25f;
  kv::rzm(r2 + 2) = 2.0f;
  kv::rzm(r2 + 3) = 1.0f;
  kv::ctl(kv::kELETAB) = static_cast<std::int32_t>(
      dyntest::put_int({2, static_cast<std::int32_t>(r1), static_cast<std::int32_t>(r2)}));
  kv::ctl(kv::kNELEM) = 2;
  kv::ctl_double(kv::kESTRN) = 1.0;
  g_ductility_calls = 0;

  Step st(1);
  StepReport s = st.report(false, false, 0, 1);
  s.nelem = 2;
  const StepEnergies e = solutions::thprnt(s);
  EXPECT_DOUBLE_EQ(energy(kv::kESTRN), 3.5);
  EXPECT_DOUBLE_EQ(energy(kv::kEPLAS), 1.25);
  EXPECT_FLOAT_EQ(e.destrn, 2.5f);
  EXPECT_FLOAT_EQ(e.deplas, 1.25f);
  EXPECT_EQ(g_ductility_calls, 2);
  elements::register_element(kTestType, nullptr);
  dyntest::finish();
}

TEST(Thprnt, DuctilityPassLeftOutWhenTheCallerFoundItChangesNothing) {
  constexpr int kTestType = 7;
  dyntest::start("thprnt_no_ductility", "");
  elements::register_element(kTestType, energy_element);
  std::vector<std::int32_t> rec(10, 0);
  rec[0] = kTestType;
  const std::int64_t r1 = dyntest::put_int(rec);
  kv::rzm(r1 + 2) = 1.5f;
  kv::ctl(kv::kELETAB) = static_cast<std::int32_t>(dyntest::put_int({1, static_cast<std::int32_t>(r1)}));
  kv::ctl(kv::kNELEM) = 1;
  g_ductility_calls = 0;

  Step st(1);
  StepReport s = st.report(false, false, 0, 1);
  s.nelem = 1;
  s.ductility_pass = false;
  solutions::thprnt(s);
  EXPECT_DOUBLE_EQ(energy(kv::kESTRN), 1.5);  // the energy pass still runs
  EXPECT_EQ(g_ductility_calls, 0);
  elements::register_element(kTestType, nullptr);
  dyntest::finish();
}

void no_material(materials::MatCall& /*c*/) {}

// One element of a test type and one material set of a test type, each with
// or without its flag, and a trace letter: whether the ductility pass of the
// step report is still needed.
struct DuctilityModel {
  bool quiet_element;
  bool quiet_material;
  char trace;  // ' ': none
  bool matters;
};

class UnprintedDuctility : public ::testing::TestWithParam<DuctilityModel> {};

TEST_P(UnprintedDuctility, IsLeftOutOnlyWhenEveryTypeSaysItChangesNothing) {
  constexpr int kTestElement = 7;
  constexpr int kTestMaterial = 251;
  const DuctilityModel& m = GetParam();
  dyntest::start("unprinted_ductility", "");
  const elements::ElementType* had = elements::element_type(kTestElement);
  elements::ElementType saved;
  saved.code = kTestElement;
  if (had != nullptr) saved = *had;
  elements::ElementType element = saved;
  element.driver = energy_element;
  element.quiet_ductility = m.quiet_element;
  elements::register_element(element);
  materials::MaterialType material;
  material.code = kTestMaterial;
  material.keywords = {"TEST-MATERIAL", ""};
  material.driver = no_material;
  material.results_after_state_change_nothing = m.quiet_material;
  materials::register_material(material);
  std::vector<std::int32_t> rec(10, 0);
  rec[0] = kTestElement;
  const std::int64_t r1 = dyntest::put_int(rec);
  kv::ctl(kv::kELETAB) = static_cast<std::int32_t>(dyntest::put_int({1, static_cast<std::int32_t>(r1)}));
  kv::ctl(kv::kNELEM) = 1;
  const std::int64_t mrec = dyntest::put_int({kTestMaterial, 0, 0});
  kv::ctl(kv::kMATPTR) = static_cast<std::int32_t>(dyntest::put_int({0, static_cast<std::int32_t>(mrec)}));
  kv::ctl(kv::kNMAT) = 1;
  if (m.trace != ' ') kv::titles().ibugm |= 1 << (m.trace - 'A');

  EXPECT_EQ(solutions::unprinted_ductility_matters(), m.matters);

  kv::titles().ibugm = 0;
  elements::register_element(saved);
  material = materials::MaterialType{};
  material.code = kTestMaterial;
  materials::register_material(material);
  dyntest::finish();
}

INSTANTIATE_TEST_SUITE_P(Thprnt, UnprintedDuctility,
                         ::testing::Values(DuctilityModel{true, true, ' ', false},
                                           DuctilityModel{false, true, ' ', true},
                                           DuctilityModel{true, false, ' ', true},
                                           DuctilityModel{true, true, 'H', true},
                                           DuctilityModel{true, true, 'K', true},
                                           DuctilityModel{true, true, 'F', false}));

}  // namespace
