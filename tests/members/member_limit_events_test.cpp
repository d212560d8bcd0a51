// The limit events of each section family, through the stability element:
// each family's codes reported once with their texts, limit-state points and
// side-file records, and retired to their follow-up codes; codes of another
// family left alone. The member is a stand-in section material that signals
// a chosen code; the events are those the families register.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "elements/element_model.h"
#include "elements/stability_element.h"
#include "materials/material_type.h"
#include "members/registration.h"

namespace {

namespace st = elements::stability;

// The code the stand-in member signals at every state determination, the
// corrections it adds to the prediction (element order), and its calls.
float g_signal = 0.0f;
std::array<float, 12> g_correction{};
int g_state_calls = 0;

// A member of end stiffness 1.0 on every diagonal; option 3 hands the
// prediction back as its forces and raises the code (as a member rule does,
// over whatever the element left in the word).
void stand_in(materials::MatCall& c) {
  c.nstate = st::kSectionStateWords;
  if (c.iopt != materials::kOptInit && c.iopt != materials::kOptState) return;
  float* s = materials::state_words(c);
  int w = 1;
  for (int i = 1; i <= 12; ++i)
    for (int j = i; j <= 12; ++j, ++w) s[w] = i == j ? 1.0f : 0.0f;
  if (c.iopt != materials::kOptState) return;
  ++g_state_calls;
  if (g_signal != 0.0f) s[st::kFlpWord] = g_signal;
  if (c.ends != nullptr)
    for (std::size_t k = 0; k < 12; ++k) c.ends->p[k] += g_correction[k];
}

class StabilityEvents : public etest::ElementModel {
 protected:
  StabilityEvents() : ElementModel("stability_events") {}
  void TearDown() override {
    members::register_member_types();  // the real drivers back
    ElementModel::TearDown();
  }

  // One element on a set of `type`, units 49 and 50 open.
  void lay(int type) {
    members::register_member_types();
    materials::register_material(type, stand_in);
    ASSERT_TRUE(fio::open(49, (dir_ / "u49.out").string()));
    ASSERT_TRUE(fio::open(50, (dir_ / "u50.out").string()));
    nodes({{1, 0, 0, 0, {0, 0, 0, 0, 0, 0}}, {2, 0, 0, 100, {1, 2, 3, 4, 5, 6}}}, 6);
    material_table(1);
    std::array<float, 31> prop{};
    prop[28] = 31.0f;  // PROP(29): the record length
    material_record(1, type, prop.data(), prop.size(), 32);
    lay_elements({{12, "M1", {1, 1, 2, 0, 1, 0, 0, 0}}}, [](int) { return st::kRecordWords; });
    ASSERT_GT(checks_[0].nd, 0) << unit6();
    solution_tables(1);
  }
  // One step: state determination and commit.
  void step(int n) {
    kv::solsta().istep = n;
    option(elements::kEleState, 1);
    option(elements::kEleCommit, 1);
  }
  float committed_flp() {
    const std::int64_t p = kv::izm(kv::ctl(kv::kELETAB) + 1);
    return kv::rzm(p + st::kBase + st::kFlpWord - 1);
  }
  std::string side(const char* name) {
    fio::flush(49);
    fio::flush(50);
    return kvtest::read_file(dir_ / name);
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
    TearDown();
    SetUp();
    lay(c.type);
    g_signal = c.code;
    for (int n = 1; n <= 3; ++n) step(n);  // the member signals at every step
    g_signal = 0.0f;
    const std::string out = unit6();
    EXPECT_EQ(committed_flp(), c.retired);
    const std::string head = "\n**** STABILITY ELEMENT          1";
    const std::string u50 = side("u50.out");
    const std::string u49 = side("u49.out");
    if (c.text[0] == '\0') {
      EXPECT_EQ(out.find(head), std::string::npos) << out;
      EXPECT_TRUE(u50.empty()) << u50;
      continue;
    }
    EXPECT_EQ(etest::count_of(out, head + c.text), 1) << out;
    EXPECT_EQ(kv::solsta().lsflag[static_cast<std::size_t>(c.point)], 1.0f);
    EXPECT_EQ(kv::solsta().lselem[static_cast<std::size_t>(c.point)], 1);
    // One record on unit 50 (the code as signalled, the step it came in);
    // the nominal codes one on unit 49 too.
    EXPECT_EQ(etest::count_of(u50, "\n"), 1) << u50;
    EXPECT_NE(u50.find(std::string(fio::format("(F10.2)", c.code))), std::string::npos) << u50;
    EXPECT_EQ(u50.substr(u50.size() - 8), "      1\n") << u50;
    EXPECT_EQ(etest::count_of(u49, "\n"), c.unit49 ? 1 : 0) << u49;
  }
}

TEST_F(StabilityEvents, TheBoxEndsRetireFirstYieldWithoutReportingItsTwin) {
  // "STABILITY2" knows 2.0 (the box's twin of first yield) before 1.0: a 1.0
  // retired to 2.0 is reported once as first yield, never as the twin.
  lay(120);
  g_signal = 1.0f;
  for (int n = 1; n <= 3; ++n) step(n);
  g_signal = 0.0f;
  EXPECT_EQ(committed_flp(), 2.0f);
  EXPECT_EQ(etest::count_of(unit6(), "REACHES FIRST YIELD"), 1) << unit6();
  EXPECT_EQ(etest::count_of(side("u50.out"), "\n"), 1);
}

}  // namespace
