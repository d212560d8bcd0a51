// The limit checks of a reinforced-concrete member as a table: which report a
// raised once-flag gives, what the checks close and write, with curvatures
// chosen so that each threshold is met exactly or missed.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "fio/fio.h"
#include "members/rc/rc_limit_states.h"
#include "rc_test_sections.h"

namespace {

using namespace members::rc;

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The words one check works on: the raised once-flags, the limit code and
// CURNM as a case gives them, FSLAP 30,000 and the case's capacities; the
// output file and side file 48 fresh.
struct Words {
  rctest::Unit6 out;
  std::filesystem::path side = out.dir / "side48.txt";
  std::array<float, 20> lsonce{};
  float flp = 0.0f, flp2 = 0.0f, curnm = 0.0f, cury = 0.0f;
  RcLimitWords w;
  Words(const std::array<std::pair<int, float>, 2>& flags, float flp_in, float curnm_in, float pcmax, float period,
        float ke, float plslow)
      : flp(flp_in), curnm(curnm_in) {
    fio::open(48, side.string());
    for (const auto& [word, value] : flags)
      if (word > 0) lsonce[static_cast<std::size_t>(word - 1)] = value;
    w.flp = &flp;
    w.flp2 = &flp2;
    w.lsonce = lsonce.data();
    w.curnm = &curnm;
    w.cury = &cury;
    w.fslap = 30000;
    w.pcmax = pcmax;
    w.period = period;
    w.ke = ke;
    w.plslowcycle = plslow;
  }
};

TEST(RcLimitStates, ChecksAsATable) {
  struct Case {
    const char* name;
    std::array<std::pair<int, float>, 2> flags;  // once-flag words raised before the check
    float flp_in;       // the limit code as the section left it
    float curnm_in;     // nominal curvature so far
    float cur;          // the segment's total curvature
    float pcmax, period, ke, plslow;
    const char* message;  // text of the report, "" for none
    int records;          // records on file 48
    float flp_out, flp2_out;
    int closed_word;      // a once-flag that ends at 2.0 (0: none)
  };
  const Case cases[] = {
      // A bar strain of 0.015 whose code a later detector overwrote (8.0).
      {"nominal after 8.0", {{{4, 1.0f}, {8, 1.0f}}}, 8.0f, 0.0f, 7.7e-4f, 0, 0, 0, 0,
       "REACHES NOMINAL MOMENT AT CURVATURE OF CURNM =    0.770000E-03", 0, 8.0f, 1.0f, 3},
      {"ultimate concrete", {{{5, 1.0f}, {0, 0}}}, 8.0f, 1e-3f, 2e-3f, 0, 0, 0, 0,
       "REACHES ULTIMATE CONCRETE COMPRESSION STRAIN.", 1, 8.0f, 0.0f, 5},
      {"buckling", {{{6, 1.0f}, {0, 0}}}, 6.0f, 1e-3f, 2e-3f, 0, 0, 0, 0, "LONG. REBAR BUCKLED", 1, 6.0f, 2.0f, 6},
      {"ultimate steel", {{{7, 1.0f}, {0, 0}}}, 7.0f, 1e-3f, 2e-3f, 0, 0, 0, 0,
       "LONG. REBAR REACHES ULTIMATE TENSION STRAIN.", 1, 7.0f, 0.0f, 7},
      // Plastic curvature 2E-3 - 1E-3 equal to PCMAX fires (>=).
      {"PCMAX met", {{{0, 0}, {0, 0}}}, 0.0f, 1e-3f, 2e-3f, 1e-3f, 0, 0, 0,
       "REACHES MAXIMUM PLASTIC CURVATURE OF CURPLS =    0.100000E-02", 1, 10.0f, 0.0f, 10},
      {"PCMAX without nominal moment", {{{0, 0}, {0, 0}}}, 0.0f, 0.0f, 2e-3f, 1e-9f, 0, 0, 0, "", 0, 0.0f, 0.0f, 0},
      // Splice from the bar stress: fails at 7 CURNM exactly.
      {"splice at 7 CURNM", {{{11, 1.0f}, {0, 0}}}, 1.0f, 1e-3f, 7e-3f, 0, 0, 0, 0,
       "DUE TO REBAR TENSILE STRESS EXCEEDS THRESHOLD (FSLAP) =", 1, 11.0f, 0.0f, 11},
      {"splice pending", {{{11, 1.0f}, {0, 0}}}, 1.0f, 1e-3f, 6.9e-3f, 0, 0, 0, 0, "", 1, 1.0f, 0.0f, 0},
      // From the concrete's 0.002: CURY is taken now, so 7 CURNM + CURY is not met.
      {"splice from concrete", {{{11, 11.0f}, {0, 0}}}, 1.0f, 1e-3f, 7e-3f, 0, 0, 0, 0, "", 1, 1.0f, 0.0f, 0},
      {"fatigue", {{{0, 0}, {0, 0}}}, 0.0f, 1e-3f, 3e-3f, 0, 1.0f, 0.5f, 1.5e-3f,
       "LONG. REBAR LOW CYCLE FATIGUE OCCURRED AT", 1, 12.0f, 0.0f, 12},
      {"fatigue without KE", {{{0, 0}, {0, 0}}}, 0.0f, 1e-3f, 3e-3f, 0, 1.0f, 0.0f, 1.5e-3f, "", 0, 0.0f, 0.0f, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Words words(c.flags, c.flp_in, c.curnm_in, c.pcmax, c.period, c.ke, c.plslow);
    const auto& side = words.side;
    const RcLimitWords& w = words.w;
    const auto& lsonce = words.lsonce;
    const float& flp = words.flp;
    const float& flp2 = words.flp2;
    rc_limit_checks(w, 4, 2, -c.cur, 0.5f * c.cur, {1.5f, 0.0f});
    fio::close(48);
    const std::string text = words.out.text();
    if (c.message[0] != '\0') {
      EXPECT_NE(text.find(std::string("**** STABILITY ELEMENT          4 SEGMENT NO.          2 ")), std::string::npos);
      EXPECT_NE(text.find(c.message), std::string::npos) << text;
    } else {
      EXPECT_EQ(text.find("****"), std::string::npos) << text;
    }
    EXPECT_EQ(count(kvtest::read_file(side), " IELNO   =    4\n FLP     ="), c.records);
    EXPECT_EQ(flp, c.flp_out);
    EXPECT_EQ(flp2, c.flp2_out);
    if (c.closed_word > 0) {
      EXPECT_EQ(lsonce[static_cast<std::size_t>(c.closed_word - 1)], 2.0f);
    }
  }
}

// The checks of a member with sections at both segment ends: the curvature
// is the largest of the four end curvatures (3E-3 here, end 2 about V), the
// plastic curvature that less CURNM even when negative, no ultimate-strain
// reports and nothing on file 48. Each check is run twice: a report comes once.
TEST(RcLimitStates, EndSectionChecksAsATable) {
  struct Case {
    const char* name;
    std::array<std::pair<int, float>, 2> flags;
    float flp_in, curnm_in, pcmax, period, ke, plslow;
    const char* message;
    float flp_out, flp2_out, curnm_out;
    int closed_word;
  };
  const Case cases[] = {
      {"nominal from the largest end", {{{3, 1.0f}, {0, 0}}}, 3.0f, 0.0f, 0, 0, 0, 0,
       "REACHES NOMINAL MOMENT AT CURVATURE OF CURNM =    0.300000E-02", 3.0f, 1.0f, 3e-3f, 3},
      {"PCMAX before the nominal moment", {{{0, 0}, {0, 0}}}, 0.0f, 0.0f, 3e-3f, 0, 0, 0,
       "REACHES MAXIMUM PLASTIC CURVATURE OF CURPLS =    0.300000E-02", 10.0f, 0.0f, 0.0f, 10},
      {"PCMAX below the nominal curvature", {{{0, 0}, {0, 0}}}, 0.0f, 4e-3f, 1e-9f, 0, 0, 0, "", 0.0f, 0.0f, 4e-3f,
       0},
      // CURPLS = 3E-3 - 4E-3 = -1E-3 passes a threshold of -1.5E-3.
      {"fatigue at a negative plastic curvature", {{{0, 0}, {0, 0}}}, 0.0f, 4e-3f, 0, 1.0f, 0.5f, -1.5e-3f,
       "THRESHOLD IS (PLSLOWCYCLE) =   -0.150000E-02", 12.0f, 0.0f, 4e-3f, 12},
      {"fatigue without KE", {{{0, 0}, {0, 0}}}, 0.0f, 4e-3f, 0, 1.0f, 0.0f, -1e-3f, "", 0.0f, 0.0f, 4e-3f, 0},
      {"ultimate strains are not reported", {{{5, 1.0f}, {7, 1.0f}}}, 7.0f, 1e-3f, 0, 0, 0, 0, "", 7.0f, 0.0f, 1e-3f,
       0},
      {"buckling", {{{6, 1.0f}, {0, 0}}}, 6.0f, 1e-3f, 0, 0, 0, 0,
       "LONG REBAR BUCKLED AT PLASTIC CURVATURE OF CURPLS =    0.200000E-02", 6.0f, 2.0f, 1e-3f, 6},
      {"splice at once", {{{11, 1.0f}, {0, 0}}}, 11.0f, 0.0f, 0, 0, 0, 0,
       "REBAR TENSILE STRESS THRESHOLD (FSLAP) =    0.300000E+05", 11.0f, 0.0f, 0.0f, 11},
  };
  const EndCurvatures ends{-1e-3f, 2e-3f, 0.5e-3f, -3e-3f};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Words words(c.flags, c.flp_in, c.curnm_in, c.pcmax, c.period, c.ke, c.plslow);
    const auto& side = words.side;
    const RcLimitWords& w = words.w;
    const auto& lsonce = words.lsonce;
    const float& flp = words.flp;
    const float& flp2 = words.flp2;
    const float& curnm = words.curnm;
    rc_end_limit_checks(w, 4, 2, ends);
    rc_end_limit_checks(w, 4, 2, ends);
    fio::close(48);
    const std::string text = words.out.text();
    if (c.message[0] != '\0') {
      EXPECT_EQ(count(text, "**** STABILITY ELEMENT          4 SEGMENT NO.          2 "), 1) << text;
      EXPECT_NE(text.find(c.message), std::string::npos) << text;
    } else {
      EXPECT_EQ(text.find("****"), std::string::npos) << text;
    }
    EXPECT_EQ(kvtest::read_file(side), "");
    EXPECT_EQ(flp, c.flp_out);
    EXPECT_EQ(flp2, c.flp2_out);
    EXPECT_FLOAT_EQ(curnm, c.curnm_out);
    if (c.closed_word > 0) {
      EXPECT_EQ(lsonce[static_cast<std::size_t>(c.closed_word - 1)], 2.0f);
    }
    for (int raised : {5, 7}) {
      if (c.flags[0].first == raised || c.flags[1].first == raised) {
        EXPECT_EQ(lsonce[static_cast<std::size_t>(raised - 1)], 1.0f);
      }
    }
  }
}

}  // namespace
