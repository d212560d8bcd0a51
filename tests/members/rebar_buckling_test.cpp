// Long-rebar buckling: the buckling stress of a bar between hoops and the
// strain the steel law compares with.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "members/rc/rc_section_head.h"
#include "members/rc/rebar_buckling.h"

namespace {

using namespace members::rc;
using Head = std::array<float, kHeadWords + 1>;

// A rectangular section's steel: YS 60000, EM 29.0E6, 1% hardening; hoops of
// 0.5 in at 4 in, fyh 60000, top bars of 1.0 in.
Head rectangular_head() {
  Head h{};
  h[kLIBN] = 3; h[kYS] = 60000; h[kEM] = 29e6; h[kRATIO3] = 0.01f; h[kYSHOOP] = 60000;
  h[kRHOOPDIA] = 0.5; h[kRHOOPSPA] = 4; h[kDBAR1] = 1.0; h[kNBAR1] = 3;
  return h;
}

TEST(RebarBuckling, SlendernessOfTheBucklingRelation) {
  // x = 0.5: A = 0.75 / (0.9 * 0.5) = 1.666667; with P = 0 no hoop term:
  // F = 10 sqrt(A) = 12.9099.
  EXPECT_NEAR(ecrfun(4.0f, 42750.0f, 85500.0f, 60000.0f, 0.0f, 1.0f, 0.5f, 1.0f), 12.9099f, 1e-3f);
  // P = 1: B = 0.3 (60000/85500) 0.25 * 8 = 0.421053; F = 10 sqrt(A (1 + B/0.75)).
  EXPECT_NEAR(ecrfun(8.0f, 42750.0f, 85500.0f, 60000.0f, 1.0f, 1.0f, 0.5f, 1.0f),
              10.0f * std::sqrt(1.666667f * (1.0f + 0.421053f / 0.75f)), 1e-3f);
}

TEST(RebarBuckling, SearchGivesTheLowestBucklingStress) {
  // FSU = 60000 + 290000 (0.09 - EY) = 85500.
  int ipos = -1;
  const float fcr = ecrsrc(85500.0f, 60000.0f, 60000.0f, 1.0f, 0.5f, 1.0f, 4.0f, ipos);
  EXPECT_NEAR(fcr, 81147.0f, 25.0f);
  EXPECT_GE(ipos, 0);
  EXPECT_LE(ipos, 15);
  EXPECT_NEAR(long_rebar_buckling_strain(rectangular_head().data(), 0.09f), 0.0750f, 1e-4f);
}

TEST(RebarBuckling, NoBucklingCheck) {
  Head h = rectangular_head();
  // Hoops so far apart that no trial stress matches: ipos untouched, FCR 0.
  int ipos = 99;
  EXPECT_EQ(ecrsrc(85500.0f, 60000.0f, 60000.0f, 1.0f, 0.5f, 1.0f, 400.0f, ipos), 0.0f);
  EXPECT_EQ(ipos, 99);
  h[kRHOOPSPA] = 400.0f;
  EXPECT_EQ(long_rebar_buckling_strain(h.data(), 0.09f), 0.0f);
  // No hardening: the ultimate stress does not exceed YS.
  h = rectangular_head();
  h[kRATIO3] = 0.0f;
  EXPECT_EQ(long_rebar_buckling_strain(h.data(), 0.09f), 0.0f);
  // A steel shell has no bars between hoops.
  h = rectangular_head();
  h[kLIBN] = 1;
  EXPECT_EQ(long_rebar_buckling_strain(h.data(), 0.09f), 0.0f);
  // A circular section without bars.
  h = rectangular_head();
  h[kLIBN] = 2;
  h[kNBAR1] = 0;
  h[kT2] = 1.0f;
  h[kHOOP1] = 0.5f;
  h[kHOOP2] = 4.0f;
  EXPECT_EQ(long_rebar_buckling_strain(h.data(), 0.09f), 0.0f);
}

}  // namespace
