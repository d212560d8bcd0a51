// The limit events of each section family, through the stability element:
// each family's codes reported once with their texts, limit-state points and
// side-file records, and retired to their follow-up codes; codes of another
// family left alone. The member is a stand-in section material that signals
// a chosen code; the events are those the families register.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "elements/stability_stand_in.h"
#include "elements/stability_element.h"
#include "materials/material_type.h"
#include "members/registration.h"

namespace {

namespace st = elements::stability;
using etest::StandInMember;

class StabilityEvents : public etest::StabilityStandIn {
 protected:
  void TearDown() override {
    members::register_member_types();  // the real drivers back
    ElementModel::TearDown();
  }
  void enter(int type) override {
    members::register_member_types();
    materials::register_material(type, StandInMember::driver);
  }
};

TEST_F(StabilityEvents, EachCodeOfItsFamilyIsReportedOnceAndRetired) {
  struct Case {
    int type;
    float code;
    const char* text;  // after the element number; "" for no report
    float retired;
    int point;
    bool unit49;
  };
  const std::vector<Case> cases{
      {12, 1.0f, "REACHES FIRST YIELD, WHICH OCCURRED AT THE FOLLOWING STAGE:", 2.0f, 1, false},
      {12, 5.0f, " BUCKLED", 5.1f, 3, false},
      {12, 3.0f, "REACHES NOMINAL MOMENT, AT WHICH \n     MN IS DEFINED AT THE FOLLOWING STAGE:", 4.0f, 2, true},
      {12, 6.0f, "", 6.0f, 0, false},  // no steel row: stays, reports nothing
      {17, 5.0f, " EXTREME FIBER REACHES ULTIMATE COMPRESSION STRAIN,", 5.1f, 3, false},
      {17, 6.0f, " LONG REBAR BUCKLED. PROGRAM CONTINUE", 6.1f, 4, false},
      {17, 7.0f, " LONG. REBARREACHES ULTIMATE TENSION STRAIN OF 0.09,", 7.5f, 3, false},
      {17, 8.0f, " AVERAGE COMP. STRAIN REACHES ULTIMATE,", 9.0f, 3, false},
      {17, 11.0f, " LAP SPLICE. FAILURE OCCURRED, PROGRAM CONTINUE", 11.1f, 5, false},
      {17, 12.0f, " LOW CYCLE FATIGUE OCCURRED, PROGRAM CONTINUE", 12.1f, 6, false},
      {17, 3.5f, " TENSION REBARREACHES TENSILE STRAIN OF 0.015, AT WHICH ", 4.0f, 2, true},
      {18, 10.0f, " PLASTIC CURVATURE  REACHES MAXIMUM ALLOWABLE,", 10.1f, 3, false},
      {18, 3.0f, " CURVATURE REACHES NOMINAL CURVATURE AT WHICH \n     NOMINAL MOMENT, MN, IS DEFINED", 4.0f, 2, true},
      {18, 1.0f, "", 1.0f, 0, false},  // no first yield of a moment-curvature member
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.type) + " " + std::to_string(c.code));
    expect_event(c.type, c.code, c.text, c.retired, c.point, c.unit49, false);
  }
}

TEST_F(StabilityEvents, TheBoxEndsRetireFirstYieldWithoutReportingItsTwin) {
  // "STABILITY2" knows 2.0 (the box's twin of first yield) before 1.0: a 1.0
  // retired to 2.0 is reported once as first yield, never as the twin.
  lay(120);
  StandInMember::signal = 1.0f;
  for (int n = 1; n <= 3; ++n) step(n);
  StandInMember::signal = 0.0f;
  EXPECT_EQ(committed_flp(), 2.0f);
  EXPECT_EQ(etest::count_of(unit6(), "REACHES FIRST YIELD"), 1) << unit6();
  EXPECT_EQ(etest::count_of(side("u50.out"), "\n"), 1);
}

}  // namespace
