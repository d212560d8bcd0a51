// The stability element's side of its member: the limit events of the
// member's section family reported once, with their limit-state points and
// side-file records, and retired to their follow-up codes; the member's
// forces correcting the elastic prediction; modal responses. The member is a
// stand-in section material that signals a chosen code and force
// corrections, and its family a stand-in with events of its own (the real
// families' events are tested with the member library).
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "elements/stability_stand_in.h"
#include "elements/stability_element.h"
#include "materials/material_type.h"

namespace {

namespace st = elements::stability;
using etest::StandInMember;

// The stand-in family's events. Code 2 retires to itself and 1 retires to 2:
// the row of 2 comes first, so that a 1 retired to 2 is not taken for a new
// 2 in the same commit.
constexpr std::array<st::LimitEvent, 4> kStandInEvents{{
    {7.0f, true, 3, " SIGNALS SEVEN BEFORE THE COMMIT", "", 7.5f, false},
    {2.0f, false, 1, " SIGNALS TWO", "", 2.0f, false},
    {1.0f, false, 1, " SIGNALS ONE", "", 2.0f, false},
    {3.0f, false, 2, " SIGNALS THREE, AT WHICH ", "A SECOND LINE", 4.0f, true},
}};

class StabilityEvents : public etest::StabilityStandIn {
 protected:
  void TearDown() override {
    for (int type : {12, 17, 18}) materials::register_material(type, nullptr);
    ElementModel::TearDown();
  }
  void enter(int type) override {
    materials::register_material(
        {.code = type, .keywords = {"STAND-IN"}, .driver = StandInMember::driver, .section = true});
    st::register_section_family({type, kStandInEvents});
  }
};

TEST_F(StabilityEvents, EachEventOfTheFamilyIsReportedOnceAndRetired) {
  struct Case {
    float code;
    const char* text;  // after the element number; "" for no report
    float retired;
    int point;
    bool unit49;
  };
  const std::vector<Case> cases{
      {7.0f, " SIGNALS SEVEN BEFORE THE COMMIT", 7.5f, 3, false},
      {1.0f, " SIGNALS ONE", 2.0f, 1, false},  // retired to 2, never reported as 2
      {2.0f, " SIGNALS TWO", 2.0f, 1, false},
      {3.0f, " SIGNALS THREE, AT WHICH \n     A SECOND LINE", 4.0f, 2, true},
      {6.0f, "", 6.0f, 0, false},  // no row of the family: stays, reports nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.code));
    expect_event(12, c.code, c.text, c.retired, c.point, c.unit49, true);
  }
}

TEST_F(StabilityEvents, ASetTypeWithoutAFamilyRejectsTheElement) {
  // Type 19 carries no member: its set is no section family's.
  materials::register_material(
      {.code = 19, .keywords = {"STAND-IN"}, .driver = StandInMember::driver, .section = true});
  nodes({{1, 0, 0, 0, {0, 0, 0, 0, 0, 0}}, {2, 0, 0, 100, {1, 2, 3, 4, 5, 6}}}, 6);
  material_table(1);
  std::array<float, 31> prop{};
  prop[28] = 31.0f;
  material_record(1, 19, prop.data(), prop.size(), 32);
  lay_elements({{12, "M1", {1, 1, 2, 0, 1, 0, 0, 0}}}, [](int) { return st::kRecordWords; });
  materials::register_material(19, nullptr);
  EXPECT_NE(unit6().find("INCOMPATIBLE MATERIAL PROP.#   19"), std::string::npos) << unit6();
}

TEST_F(StabilityEvents, MemberForcesCorrectTheElasticPredictionButNotTheTorsion) {
  lay(12);
  // The unbalanced joint loads go into the solution vector of CONTRL word 65.
  const std::int64_t unb = take(6);
  kv::ctl(kv::kSolVector65) = static_cast<std::int32_t>(unb);
  // The member answers a step without displacement with an axial force of
  // 10, a torsion of 99 and a moment of 7 about element y at end A.
  StandInMember::correction = {10.0f, 0, 0, 99.0f, 7.0f, 0, 0, 0, 0, 0, 0, 0};
  option(elements::kEleState, 1);
  StandInMember::correction = {};
  const std::int64_t p = kv::izm(kv::ctl(kv::kELETAB) + 1);
  auto df = [p](int i) { return static_cast<float>(kv::rzm(p + st::kDf + i - 1)); };
  EXPECT_FLOAT_EQ(df(1), 10.0f);
  EXPECT_FLOAT_EQ(df(4), 0.0f);  // torsion: the elastic prediction stays
  EXPECT_FLOAT_EQ(df(5), 7.0f);
  // Shears in equilibrium with the end moments over L = 100: P(9) = 7/100.
  EXPECT_FLOAT_EQ(df(9), 0.07f);
  EXPECT_FLOAT_EQ(df(3), -0.07f);
  // Only end B has equations: its shear along element z (global -X) is the
  // one unbalanced joint force, -0.07 on FX.
  EXPECT_NEAR(kv::rzm(unb), -0.07f, 1e-7);
  for (int e = 2; e <= 6; ++e) EXPECT_NEAR(kv::rzm(unb + e - 1), 0.0f, 1e-7) << e;
  EXPECT_TRUE(kv::ctl_true(kv::kStateChanged));
}

TEST_F(StabilityEvents, ModalResponsesPassTheElasticForcesAndLeaveTheMemberAlone) {
  lay(12);
  // Global X of node 2 is element -z at end B: DR(9) = -0.5; the stand-in's
  // unit stiffness makes DF = DR.
  disp(1) = 0.5f;
  kv::solsta().rsmeth = 1.0f;
  StandInMember::state_calls = 0;
  option(elements::kEleState, 1);
  EXPECT_EQ(StandInMember::state_calls, 0);
  EXPECT_FLOAT_EQ(kv::solsta().rsforc[9], -0.5f);
  for (int i = 1; i <= 12; ++i) {
    if (i != 9) {
      EXPECT_FLOAT_EQ(kv::solsta().rsforc[static_cast<std::size_t>(i)], 0.0f) << i;
    }
  }
  // The combination's forces become the element's; displacements and the
  // envelope stay.
  kv::solsta().rsforc[9] = 3.0f;
  option(elements::kEleCommit, 1);
  kv::solsta().rsmeth = 0.0f;
  const std::int64_t p = kv::izm(kv::ctl(kv::kELETAB) + 1);
  EXPECT_FLOAT_EQ(kv::rzm(p + st::kFt + 8), 3.0f);
  for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(kv::rzm(p + st::kRt + i), 0.0f) << i;
  for (int i = 0; i < 144; ++i) EXPECT_FLOAT_EQ(kv::rzm(p + st::kFmax + i), 0.0f) << i;
  // Outside a modal combination the member runs.
  option(elements::kEleState, 1);
  EXPECT_EQ(StandInMember::state_calls, 1);
}

}  // namespace
