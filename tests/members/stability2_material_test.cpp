// The "STABILITY2" driver on one set of the box 10 x 10 x 0.5 (36 fibres),
// read from its record and run directly: the set's words and echo, the
// rejected law and iteration numbers, and the latched axial release.
#include <array>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "base/globals.h"
#include "base/storage.h"
#include "elements/stability_element.h"
#include "fio/fio.h"
#include "member_fixture.h"
#include "members/steel/nodal_end_record.h"
#include "members/steel/stability2_material.h"
#include "support/test_support.h"

namespace {

using materials::MatCall;
namespace st = elements::stability;

// NSEG YS EM LIBN D1 D2 ECCX0 ECCY0 N1 N2 T IREV1-4 IECOP / SMALL RATIX0
// RATIY0 TOTA IAUTO IMATER RATIO3 IR G QRNEE ISTIF IELAS
std::string box_record(int irev1, int imater = 0, int ielas = 2, const char* tail = "") {
  return "'BOX' 1 50000.0 29.0E6 1 10.0 10.0 0.0 0.0 4 5 0.5 " + std::to_string(irev1) +
         " 0 0 0 0\n 0.0 0.0 0.0 90.25 0 " + std::to_string(imater) + " 0.01 0 11.2E6 1.0 1 " +
         std::to_string(ielas) + tail + "\n";
}

struct Stability2Set : memtest::MemberOutputTest {
  // Reads one set from `record` at the free words, as the structure input does.
  void read(const std::string& record) {
    const auto dir = kvtest::fresh_dir("stability2_set");
    kvtest::write_file(dir / "in.dat", record);
    ASSERT_TRUE(fio::open(5, (dir / "in.dat").string()));
    rec = kv::reserve(0);
    MatCall c;
    c.iopt = materials::kOptRead;
    c.set = 1;
    c.new_type = true;
    c.prop = rec + 1;
    members::mat120(c);
    nprop = c.nprop;
    kv::reserve(nprop + 1);
    sta = kv::reserve(st::kSectionStateWords);
    fio::close(5);
    std::filesystem::remove_all(dir);
  }
  float* prop() const { return kv::rptr(rec + 1) - 1; }
  float* s() const { return kv::rptr(sta) - 1; }
  MatCall call(int iopt, bool debug = false) {
    MatCall c;
    c.iopt = iopt;
    c.debug = debug;
    c.set = 1;
    c.ielno = 5;
    c.prop = rec + 1;
    c.nprop = nprop;
    c.sta = sta;
    c.ends = &ends;
    members::mat120(c);
    return c;
  }
  void setup() {
    for (int k = 1; k <= st::kSectionStateWords; ++k) s()[k] = 0.0f;
    s()[st::kLengthWord] = 120.0f;
    ASSERT_EQ(call(materials::kOptInit).error, 0);
    ends = {};
  }
  // A step that moves end B along the member axis to z (end A fixed).
  void axial_step(float z) {
    ends.dl = ends.d;
    ends.d[6] = z;
    call(materials::kOptState);
  }
  std::int64_t rec = 0, sta = 0;
  int nprop = 0;
  materials::EndVectors ends;
};

TEST_F(Stability2Set, ReadsTwentyEightValuesAndLaysOutTheNodalEndRecord) {
  read(box_record(1, 0, 2, " 7.5"));  // a value behind IELAS is not read
  EXPECT_EQ(nprop, members::stb_end_nprop(1, 36));
  EXPECT_EQ(prop()[29], static_cast<float>(nprop));
  EXPECT_EQ(prop()[17], 36.0f);
  EXPECT_EQ(prop()[30], 2.0f);
  EXPECT_EQ(prop()[31], 0.0f);
  const std::string out = output();
  EXPECT_NE(out.find(" STABILITY2 ELEMENT\n =================\n"), std::string::npos) << out;
  EXPECT_NE(out.find(" L.B. FLAG   = 1.000E+00"), std::string::npos);
  EXPECT_NE(out.find(" IELAS       = 2.000E+00"), std::string::npos);
  EXPECT_EQ(out.find("PCMAX"), std::string::npos);
  EXPECT_EQ(kv::fault_count().errors, 0);
}

TEST_F(Stability2Set, WideFlangeAndAngleLabels) {
  read("'WF' 1 50000.0 29.0E6 4 12.0 8.0 0.0 0.0 0.3 0.0 0.5 2 5 8 1 0\n"
       " 0.0 0.0 0.0 0.0 0 0 0.01 0 11.2E6 1.0 1 1\n");
  read("'L' 1 50000.0 29.0E6 7 4.0 0.0 0.0 0.0 0.0 0.0 0.5 2 5 8 1 0\n"
       " 0.0 0.0 0.0 0.0 0 0 0.01 0 11.2E6 1.0 1 1\n");
  const std::string out = output();
  EXPECT_NE(out.find(" BOX HEIGTH  = 1.200E+01         BOX WILTH   = 8.000E+00"), std::string::npos) << out;
  EXPECT_NE(out.find(" LAG LENGTH  = 4.000E+00"), std::string::npos);
}

TEST_F(Stability2Set, UnknownLawOrIterationSwitchRejectsTheSet) {
  struct Row {
    int imater, ielas;
    const char* text;
  };
  for (const Row& r : {Row{4, 1, "IMATER MUST BE 0, 1, 2 OR 3"}, Row{-1, 1, "IMATER MUST BE 0, 1, 2 OR 3"},
                       Row{0, 3, "IELAS MUST BE 0, 1 OR 2"}}) {
    SCOPED_TRACE(r.text);
    kv::reset_globals();
    read(box_record(0, r.imater, r.ielas));
    EXPECT_NE(output().find(std::string(" *** MAT. NO.    =  1: ") + r.text), std::string::npos);
    EXPECT_EQ(kv::fault_count().errors, 1);
    s()[st::kLengthWord] = 120.0f;
    EXPECT_EQ(call(materials::kOptInit).error, 1);  // an element naming it is rejected
  }
}

// The second limit word rises after the call that first finds a local-buckling code and
// acts from the next call on: a shortening step with end B not in tension
// gets K(1,1) = K(7,7) = 0.001, K(1,7) = -0.001 and nothing else in rows and
// columns 1 and 7; a lengthening step keeps the rule's stiffness. Only a new
// set-up lowers the flag.
TEST_F(Stability2Set, AxialReleaseLatch) {
  read(box_record(1));
  setup();
  EXPECT_EQ(s()[st::kFlp2Word], 0.0f);
  const float k11 = s()[st::tangent_word(1, 1)];
  EXPECT_NEAR(k11, 29.0e6f * 19.0f / 120.0f, 1e-4f * k11);  // EA/L

  axial_step(-0.6f);  // squashed past yield: all four corners yield
  EXPECT_EQ(s()[st::kFlpWord], 5.0f);
  EXPECT_EQ(s()[st::kFlp2Word], 1.0f);
  EXPECT_LT(ends.p[6], 0.0f);
  // The raising call keeps the rule's stiffness: every fibre flagged, RATIO3 EA/L.
  EXPECT_NEAR(s()[st::tangent_word(1, 1)], 0.01f * k11, 1e-3f * 0.01f * k11);

  axial_step(-0.7f);  // shortening again, flag standing: released
  EXPECT_EQ(s()[st::tangent_word(1, 1)], 0.001f);
  EXPECT_EQ(s()[st::tangent_word(1, 7)], -0.001f);
  EXPECT_EQ(s()[st::tangent_word(7, 7)], 0.001f);
  for (int c = 2; c <= 12; ++c) {
    if (c != 7) {
      EXPECT_EQ(s()[st::tangent_word(1, c)], 0.0f) << c;
    }
    if (c > 7) {
      EXPECT_EQ(s()[st::tangent_word(7, c)], 0.0f) << c;
    }
  }
  EXPECT_EQ(s()[st::kFlp2Word], 1.0f);

  axial_step(-0.65f);  // lengthening: the rule's stiffness again (elastic unloading), the flag stays
  EXPECT_NEAR(s()[st::tangent_word(1, 1)], k11, 1e-3f * k11);
  EXPECT_EQ(s()[st::kFlp2Word], 1.0f);

  setup();
  EXPECT_EQ(s()[st::kFlp2Word], 0.0f);
  EXPECT_EQ(s()[st::tangent_word(1, 1)], k11);
}

TEST_F(Stability2Set, WithoutTheLocalBucklingSwitchTheFlagNeverRises) {
  read(box_record(0));
  setup();
  axial_step(-0.6f);
  axial_step(-0.7f);
  EXPECT_EQ(s()[st::kFlpWord], 0.0f);
  EXPECT_EQ(s()[st::kFlp2Word], 0.0f);
  EXPECT_NE(s()[st::tangent_word(1, 1)], 0.001f);
}

// The driver writes no lines of its own at options 2 and 3, whatever the
// debug word holds; the rule's traces are the rule's.
TEST_F(Stability2Set, NoDriverTraceLines) {
  read(box_record(0));
  setup();
  ends.d[6] = -0.001f;
  call(materials::kOptState, true);
  const std::string out = output();
  EXPECT_EQ(out.find("IN MAT12"), std::string::npos);
  EXPECT_NE(out.find(" SEGMENT, DEC1,DCU1,DCV1: "), std::string::npos);
}

}  // namespace
