// A stand-in section material for tests of the stability element and of the
// section families' events: a member of end stiffness 1.0 on every diagonal
// whose state determination hands the prediction back as its forces, raises
// a chosen limit code and adds chosen corrections; and a fixture that lays
// one element on it.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "elements/element_model.h"
#include "elements/stability_element.h"
#include "materials/material_type.h"

namespace etest {

struct StandInMember {
  // The code signalled at every state determination, the corrections added
  // to the prediction (element order), and the calls counted.
  static inline float signal = 0.0f;
  static inline std::array<float, 12> correction{};
  static inline int state_calls = 0;

  // Option 3 raises the code as a member rule does, over whatever the
  // element left in the word.
  static void driver(materials::MatCall& c) {
    namespace st = elements::stability;
    c.nstate = st::kSectionStateWords;
    if (c.iopt != materials::kOptInit && c.iopt != materials::kOptState) return;
    float* s = materials::state_words(c);
    int w = 1;
    for (int i = 1; i <= 12; ++i)
      for (int j = i; j <= 12; ++j, ++w) s[w] = i == j ? 1.0f : 0.0f;
    if (c.iopt != materials::kOptState) return;
    ++state_calls;
    if (signal != 0.0f) s[st::kFlpWord] = signal;
    if (c.ends != nullptr)
      for (std::size_t k = 0; k < 12; ++k) c.ends->p[k] += correction[k];
  }
};

class StabilityStandIn : public ElementModel {
 protected:
  StabilityStandIn() : ElementModel("stability_events") {}

  // Enters the stand-in as the material of `type`, with the family the test
  // needs.
  virtual void enter(int type) = 0;

  // One element on a set of `type`, units 49 and 50 open.
  void lay(int type) {
    namespace st = elements::stability;
    enter(type);
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
    namespace st = elements::stability;
    const std::int64_t p = kv::izm(kv::ctl(kv::kELETAB) + 1);
    return kv::rzm(p + st::kBase + st::kFlpWord - 1);
  }
  std::string side(const char* name) {
    fio::flush(49);
    fio::flush(50);
    return kvtest::read_file(dir_ / name);
  }

  // A fresh element on a set of `type` whose member signals `code` for three
  // steps: the code is retired to `retired` and, when text is not empty,
  // reported once with it (the only event when only_event), with limit-state
  // point `point`, one record on unit 50 and, when unit49, one on unit 49.
  void expect_event(int type, float code, const char* text, float retired, int point, bool unit49,
                    bool only_event) {
    TearDown();
    SetUp();
    lay(type);
    StandInMember::signal = code;
    for (int n = 1; n <= 3; ++n) step(n);  // the member signals at every step
    StandInMember::signal = 0.0f;
    const std::string out = unit6();
    EXPECT_EQ(committed_flp(), retired);
    const std::string head = "\n**** STABILITY ELEMENT          1";
    const std::string u50 = side("u50.out");
    const std::string u49 = side("u49.out");
    if (text[0] == '\0') {
      EXPECT_EQ(out.find(head), std::string::npos) << out;
      EXPECT_TRUE(u50.empty()) << u50;
      return;
    }
    if (only_event) EXPECT_EQ(count_of(out, head), 1) << out;
    EXPECT_EQ(count_of(out, head + text), 1) << out;
    EXPECT_EQ(kv::solsta().lsflag[static_cast<std::size_t>(point)], 1.0f);
    EXPECT_EQ(kv::solsta().lselem[static_cast<std::size_t>(point)], 1);
    // One record on unit 50 (the code as signalled, the step it came in);
    // the nominal codes one on unit 49 too.
    EXPECT_EQ(count_of(u50, "\n"), 1) << u50;
    EXPECT_NE(u50.find(std::string(fio::format("(F10.2)", code))), std::string::npos) << u50;
    EXPECT_EQ(u50.substr(u50.size() - 8), "      1\n") << u50;
    EXPECT_EQ(count_of(u49, "\n"), unit49 ? 1 : 0) << u49;
  }
};

}  // namespace etest
