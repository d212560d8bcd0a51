// MATDSP: set check, type word, page header, debug switch, DI preset, missing
// drivers and the record length of the section materials.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/globals.h"
#include "materials/harness.h"
#include "materials/matdsp.h"

namespace {

using materials::MatCall;

// Type codes no keyword uses, for drivers that exist only in these tests.
constexpr int kRecorderType = 202;
constexpr int kSectionType = 12;

struct Seen {
  int iopt;
  bool new_type;
  bool debug;
  float di_at_entry;
  int nprop_at_entry;
  int set;
};
std::vector<Seen>& seen() {
  static std::vector<Seen> v;
  return v;
}

// Reads "name a b" into PROP(1..2); 3 state words, word 1 = PROP(1).
void recorder(MatCall& c) {
  seen().push_back({c.iopt, c.new_type, c.debug, c.di, c.nprop, c.set});
  float* prop = materials::prop_words(c);
  switch (c.iopt) {
    case materials::kOptRead: {
      std::string name;
      materials::read_set_record(c.set, name, prop[1], prop[2]);
      c.nprop = 2;
      c.nstate = 3;
      break;
    }
    case materials::kOptInit:
      materials::state_words(c)[1] = prop[1];
      c.nstate = 3;
      break;
    default:
      c.nstate = 3;
      break;
  }
}

// A section material: stores its record length as a real in PROP(29) and
// returns a different NPROP, which the dispatcher must override.
void section(MatCall& c) {
  seen().push_back({c.iopt, c.new_type, c.debug, c.di, c.nprop, c.set});
  float* prop = materials::prop_words(c);
  if (c.iopt == materials::kOptRead) {
    std::string name;
    float length = 0.0f;
    materials::read_set_record(c.set, name, length);
    prop[29] = length;
    c.nprop = 5;
  }
  c.nstate = 2;
}

class MatdspTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seen().clear();
    materials::register_material(kRecorderType, recorder);
  }
  void TearDown() override {
    materials::register_material(kRecorderType, nullptr);
    materials::register_material(kSectionType, nullptr);
  }
  static int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
    return n;
  }
};

TEST_F(MatdspTest, RecordsLaidOutAsTheStructureInputDoes) {
  mtest::MaterialHarness h(kRecorderType, "REC-A 1.5 2.5\nREC-B 3.5 4.5\n", 2);
  // MATPTR takes words 1..3 (NMAT + 1), set 1 its type word and 2 properties.
  const int matptr = kv::ctl(kv::kMATPTR);
  EXPECT_EQ(matptr, 1);
  EXPECT_EQ(kv::izm(matptr), 2);
  EXPECT_EQ(kv::izm(matptr + 1), 4);
  EXPECT_EQ(kv::izm(matptr + 2), 7);
  EXPECT_EQ(kv::ctl(kv::kIZ), 10);
  EXPECT_EQ(kv::izm(4), kRecorderType);
  EXPECT_FLOAT_EQ(kv::rzm(8), 3.5f);
  EXPECT_FLOAT_EQ(kv::rzm(9), 4.5f);
  EXPECT_EQ(h.nprop_of(2), 2);
}

TEST_F(MatdspTest, PageHeaderAndNewTypeFlagOnlyOnAChangeOfType) {
  materials::register_material(kSectionType, section);
  mtest::MaterialHarness h({kRecorderType, kRecorderType, kSectionType, kRecorderType},
                           "A 1 2\nB 3 4\nSTAB 7\nC 5 6\n");
  ASSERT_EQ(seen().size(), 4u);
  const bool expected[] = {true, false, true, true};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(seen()[i].new_type, expected[i]) << "set " << i + 1;
  EXPECT_EQ(count(h.output(), "1 STRUCTURE....: "), 3);

  // An element passes its own previous type and no page print: the flag is
  // set at its first call only, and no header is printed.
  seen().clear();
  h.init(1);
  h.step(0.1f);
  ASSERT_EQ(seen().size(), 3u);
  EXPECT_TRUE(seen()[0].new_type);
  EXPECT_FALSE(seen()[1].new_type);
  EXPECT_FALSE(seen()[2].new_type);
  EXPECT_EQ(count(h.output(), "1 STRUCTURE....: "), 3);
}

TEST_F(MatdspTest, BadSetNumberPrintsTheMessageAndNothingElse) {
  mtest::MaterialHarness h(kRecorderType, "A 1 2\nB 3 4\n", 2);
  const std::size_t calls = seen().size();
  for (int set : {0, 3}) {
    MatCall c;
    c.iopt = materials::kOptResults;
    c.set = set;
    c.di = 2.5f;
    c.nstate = 9;
    c.ese = 1.25f;
    int prev = 7;
    int type = kRecorderType;
    materials::matdsp(c, prev, 1, type);
    // NSTATE and type 0 make the caller reject the set; the rest is untouched.
    EXPECT_EQ(c.nstate, 0);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(prev, 7);
    EXPECT_FLOAT_EQ(c.di, 2.5f);
    EXPECT_FLOAT_EQ(c.ese, 1.25f);
  }
  EXPECT_EQ(seen().size(), calls);
  const std::string out = h.output();
  EXPECT_NE(out.find("     ******************** ERROR, INVALID MATERIAL PROP.#    0\n"
                     "     CORRECT INPUT..........\n"),
            std::string::npos);
  EXPECT_NE(out.find("     ******************** ERROR, INVALID MATERIAL PROP.#    3\n"
                     "     CORRECT INPUT..........\n"),
            std::string::npos);
  EXPECT_EQ(count(out, "1 STRUCTURE....: "), 1);
}

TEST_F(MatdspTest, TypeWordDebugSwitchAndDamagePreset) {
  mtest::MaterialHarness h(kRecorderType, "A 1 2\n");
  h.init();
  for (bool letter_k : {false, true}) {
    // Letter J is the neighbour bit: it must not switch the debug on.
    kv::titles().ibugm = (1 << ('J' - 'A')) | (letter_k ? 1 << ('K' - 'A') : 0);
    for (int iopt : {materials::kOptState, materials::kOptDamage}) {
      seen().clear();
      MatCall c;
      c.iopt = iopt;
      c.set = 1;
      c.sta = kv::ctl(kv::kIZ) - 6;  // the harness's committed copy
      c.di = 9.0f;
      int prev = kRecorderType;
      int type = 77;  // out at every option but 1: read from the record
      materials::matdsp(c, prev, 1, type);
      EXPECT_EQ(type, kRecorderType);
      ASSERT_EQ(seen().size(), 1u);
      EXPECT_EQ(seen()[0].debug, letter_k);
      EXPECT_EQ(seen()[0].di_at_entry, 0.0f);
      EXPECT_EQ(c.di, 0.0f);
    }
  }
}

TEST_F(MatdspTest, TypeWithoutDriverIsNotAvailable) {
  // "ROMBERG" (type 5) has a keyword and no driver; it is read last because the
  // dispatcher consumes no input for it.
  mtest::MaterialHarness h({kRecorderType, 5}, "A 1 2\nROMBERG 1 2 3\n");
  // At input the set is what is not available, not an element "-1".
  EXPECT_NE(h.output().find(" MATERIAL      2 IS NOT AVAILABLE\n"), std::string::npos);
  EXPECT_EQ(h.output().find(" ELEMENT     -1"), std::string::npos);
  EXPECT_EQ(h.nprop_of(2), 0);
  EXPECT_EQ(h.type_of(2), 5);

  // Codes outside any table, from a corrupt type word, are not available either.
  const int rec = kv::izm(kv::ctl(kv::kMATPTR) + 2);
  for (int code : {5, 999, -3}) {
    kv::izm(rec) = code;
    MatCall c;
    c.iopt = materials::kOptNState;
    c.ielno = 17;
    c.set = 2;
    c.nstate = 4;
    c.nprop = 6;
    int prev = 0, type = 0;
    materials::matdsp(c, prev, 0, type);
    EXPECT_EQ(c.error, -1);
    EXPECT_EQ(c.nstate, 4);
    EXPECT_EQ(c.nprop, 6);
    EXPECT_EQ(prev, code);
    EXPECT_EQ(type, code);
  }
  EXPECT_EQ(count(h.output(), " ELEMENT     17 IS NOT AVAILABLE\n"), 3);
}

TEST_F(MatdspTest, SectionRecordLengthComesFromProp29) {
  materials::register_material(kSectionType, section);
  mtest::MaterialHarness h(kSectionType, "STABILITY1 40.7\n");
  // The driver returned 5; the dispatcher takes PROP(29) truncated.
  EXPECT_EQ(h.nprop_of(1), 40);
  EXPECT_EQ(seen()[0].nprop_at_entry, 0);  // the record held nothing yet

  seen().clear();
  MatCall c;
  c.iopt = materials::kOptNState;
  c.set = 1;
  c.nprop = 3;
  int prev = 0, type = 0;
  materials::matdsp(c, prev, 0, type);
  ASSERT_EQ(seen().size(), 1u);
  EXPECT_EQ(seen()[0].nprop_at_entry, 40);
  EXPECT_EQ(c.nprop, 40);
  EXPECT_EQ(c.nstate, 2);
}

}  // namespace
