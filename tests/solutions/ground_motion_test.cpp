// Ground motion: statistics of a series, interpolation of the combined
// series, the read of the records (inline, side file, run-time formats), the
// mass-times-influence table and the effective load increment.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/work_array.h"
#include "dynamic_harness.h"
#include "fio/fio.h"
#include "solutions/dynamic/ground_motion.h"
#include "support/test_support.h"

namespace {

using solutions::GroundMotion;
using solutions::GroundStatus;
using solutions::SeriesStats;

constexpr float kGrav = 386.4f;
const float kS = std::sqrt(0.5f);

std::vector<float> zeros(int n) { return std::vector<float>(static_cast<std::size_t>(n), 0.0f); }

// ------------------------------------------------------------------ SERSTA

struct StatsCase {
  const char* name;
  std::vector<float> x;
  float dt;
  SeriesStats want;
};

TEST(Sersta, StatisticsAgainstHandValues) {
  // Standard deviations: sqrt((N*sum(x^2) - sum(x)^2) / (N*(N-1))).
  const std::vector<StatsCase> cases = {
      // One period of a unit sine: sum 0, sum of squares 4.
      {"sine", {0.0f, kS, 1.0f, kS, 0.0f, -kS, -1.0f, -kS}, 0.5f,
       {1.0f, -1.0f, 1.0f, 3.0f, 0.0f, std::sqrt(4.0f / 7.0f), std::sqrt(0.5f)}},
      // 1 + 2 sin: sum 8, sum of squares 8 + 4*4 = 24.
      {"offset sine", {1.0f, 1 + 2 * kS, 3.0f, 1 + 2 * kS, 1.0f, 1 - 2 * kS, -1.0f, 1 - 2 * kS}, 0.5f,
       {3.0f, -1.0f, 1.0f, 3.0f, 1.0f, 2.0f * std::sqrt(4.0f / 7.0f), std::sqrt(3.0f)}},
      // A constant: N*Q - S^2 is exactly 0.
      {"constant", {2.0f, 2.0f, 2.0f, 2.0f, 2.0f}, 0.1f, {2.0f, 2.0f, 0.0f, 0.0f, 2.0f, 0.0f, 2.0f}},
      // Ties keep the earlier point: S = 3, Q = 27, V = 5*27 - 9 = 126.
      {"ties", {1.0f, 3.0f, 3.0f, -2.0f, -2.0f}, 0.25f,
       {3.0f, -2.0f, 0.25f, 0.75f, 0.6f, std::sqrt(126.0f / 20.0f), std::sqrt(27.0f / 5.0f)}},
      // The maximum at the first point is at time 0.
      {"first is largest", {5.0f, 1.0f, 2.0f}, 1.0f,
       {5.0f, 1.0f, 0.0f, 1.0f, 8.0f / 3.0f, std::sqrt((3 * 30.0f - 64.0f) / 6.0f), std::sqrt(10.0f)}},
      // One point: only the extremes are set.
      {"one point", {4.0f}, 1.0f, {4.0f, 4.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}},
  };
  for (const StatsCase& c : cases) {
    SCOPED_TRACE(c.name);
    const SeriesStats s = solutions::sersta(static_cast<int>(c.x.size()), c.dt, c.x.data());
    EXPECT_FLOAT_EQ(s.xmax, c.want.xmax);
    EXPECT_FLOAT_EQ(s.xmin, c.want.xmin);
    EXPECT_FLOAT_EQ(s.tmax, c.want.tmax);
    EXPECT_FLOAT_EQ(s.tmin, c.want.tmin);
    EXPECT_NEAR(s.avg, c.want.avg, 1e-6);
    EXPECT_NEAR(s.std, c.want.std, 2e-6 * std::max(1.0f, c.want.std));
    EXPECT_NEAR(s.rms, c.want.rms, 2e-6 * std::max(1.0f, c.want.rms));
  }
  EXPECT_EQ(solutions::sersta(5, 0.1f, std::vector<float>(5, 2.0f).data()).std, 0.0f);
}

TEST(Sersta, NoPointReadsNothing) {
  const SeriesStats s = solutions::sersta(0, 1.0f, nullptr);
  EXPECT_EQ(s.xmax, 0.0f);
  EXPECT_EQ(s.rms, 0.0f);
}

// ------------------------------------------------------------------ interpolation

GroundMotion series_model(int ngp, float g0, float dt, const std::vector<float>& x, const std::vector<float>& y,
                          const std::vector<float>& z) {
  dyntest::start("ground_interp", "");
  GroundMotion g;
  g.ngp = ngp;
  g.gtime0 = g0;
  g.gdtime = dt;
  g.agx = dyntest::put(x);
  g.agy = dyntest::put(y);
  g.agz = dyntest::put(z);
  return g;
}

TEST(GroundAcceleration, BeforeInsideAndAfterTheRecord) {
  // Points at 0.5, 0.6, 0.7, 0.8; the series tapers to zero up to 0.9.
  const GroundMotion g = series_model(4, 0.5f, 0.1f, {1, 2, 3, 4}, {-1, -2, -3, -4}, {0, 0, 0, 8});
  struct Case {
    float t;
    std::array<float, 3> a;
  };
  const std::vector<Case> cases = {
      {0.3f, {0, 0, 0}},        // before the start
      {0.4999f, {0, 0, 0}},
      {0.5f, {1, -1, 0}},       // the first point alone
      {0.55f, {1.5f, -1.5f, 0}},  // half-way
      {0.625f, {2.25f, -2.25f, 0}},
      {0.7f, {3, -3, 0}},
      {0.8f, {4, -4, 8}},       // the last point
      {0.85f, {2, -2, 4}},      // half of the last point over the interval after it
      {0.9f, {0, 0, 0}},        // end of the taper
      {1.2f, {0, 0, 0}},        // after the record
      {0.0f, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.t);
    const auto a = solutions::ground_acceleration(g, c.t);
    for (std::size_t j = 0; j < 3; ++j) EXPECT_NEAR(a[j], c.a[j], 1e-4);
  }
  dyntest::finish();
}

TEST(GroundAcceleration, OnAGridPointTheWeightIsExactlyOne) {
  const GroundMotion g = series_model(3, 0.0f, 0.5f, {1, 7, 3}, {0, 0, 0}, {0, 0, 0});
  EXPECT_EQ(solutions::ground_acceleration(g, 0.5f)[0], 7.0f);
  EXPECT_EQ(solutions::ground_acceleration(g, 1.0f)[0], 3.0f);
  EXPECT_FLOAT_EQ(solutions::ground_acceleration(g, 1.25f)[0], 1.5f);
  EXPECT_EQ(solutions::ground_acceleration(g, 1.5f)[0], 0.0f);
  dyntest::finish();
}

// ------------------------------------------------------------------ MASCOS

// One node with translations on equations 1, 2, 3 and the mass
// [[2,1,0],[1,3,0],[0,0,4]] in skyline storage.
GroundMotion mass_model(int ngp, int neq, const std::array<float, 9>& cos_set, std::int32_t ncode) {
  GroundMotion g;
  g.ngp = ngp;
  g.neq = neq;
  g.grav = kGrav;
  dyntest::Node n;
  n.id = 101;
  n.eq = {1, 2, 3, 0, 0, 0};
  n.ncode = ncode;
  g.nodes = dyntest::make_nodes({n}, {cos_set});
  g.nnode = 1;
  g.agx = dyntest::put(zeros(ngp));
  g.agy = dyntest::put(zeros(ngp));
  g.agz = dyntest::put(zeros(ngp));
  g.scratch = dyntest::put(zeros(std::max(ngp, neq)));
  g.mascos = dyntest::put(zeros(3 * neq));
  g.mass = dyntest::put_sky({2, 3, 1, 4});
  g.mass_mdiag = dyntest::put_int({1, 2, 4, 5});
  return g;
}

constexpr std::array<float, 9> kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};

std::array<float, 9> mascos_of(const GroundMotion& g) {
  std::array<float, 9> m{};
  for (int k = 0; k < 9; ++k) m[static_cast<std::size_t>(k)] = kv::rzm(g.mascos + k);
  return m;
}

TEST(Mascos, MassTimesInfluenceVectors) {
  struct Case {
    const char* name;
    std::array<float, 9> cos_set;
    std::int32_t ncode;
    std::array<float, 9> want;  // columns X, Y, Z
  };
  // Node axes turned 90 degrees about Z: axis 1 along +Y, axis 2 along -X.
  const std::array<float, 9> turned = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  const std::int32_t fz_constrained = 1 << (base::kConstrain + 2);
  const std::vector<Case> cases = {
      {"global axes", kIdentity, 0, {2, 1, 0, 1, 3, 0, 0, 0, 4}},
      // X moves equation 2 by -1, Y moves equation 1 by +1.
      {"turned node axes", turned, 0, {-1, -3, 0, 2, 1, 0, 0, 0, 4}},
      // A constrained translation carries its master's equation: no entry.
      {"constrained FZ", kIdentity, fz_constrained, {2, 1, 0, 1, 3, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dyntest::start("mascos", "");
    GroundMotion g = mass_model(2, 3, c.cos_set, c.ncode);
    solutions::form_mascos(g, false);
    const auto m = mascos_of(g);
    for (std::size_t k = 0; k < 9; ++k) EXPECT_FLOAT_EQ(m[k], c.want[k]) << k;
    dyntest::finish();
  }
}

// ------------------------------------------------------------------ the read

const std::string kTwoRecords =
    // NREC GSCALE GTIME0 GDTIME GPRINT, then V1 and V2 (V2 not normal to V1)
    "2  0.5  0.0  0.02  F\n"
    "1 0 0   1 1 0\n"
    // inline record, free format, values printed
    "5 4 1 F T F\n"
    "TITLE ONE\n"
    "TITLE TWO\n"
    "0.0 0.2\n"
    "-0.4 0.1\n"
    // inline record under run-time formats: implied decimals and reversion,
    // 7 values for a series of 6 points
    "5 7 2 T F F\n"
    "(A80)\n"
    "(3F5.2)\n"
    "FORMATTED TITLE 1\n"
    "FORMATTED TITLE 2\n"
    "  100  -50  250\n"
    "   10 -300    0\n"
    "  125\n"
    "NEXT LINE\n";

TEST(GrdaccRead, TwoInlineRecordsFreeAndFormatted) {
  dyntest::start("grdacc_read", kTwoRecords);
  GroundMotion g = mass_model(6, 3, kIdentity, 0);
  std::array<float, 3> agt{};
  ASSERT_EQ(solutions::grdacc_read(g, 0.02f, 0.0f, false, agt), GroundStatus::ok);
  EXPECT_EQ(g.gtime0, 0.0f);
  EXPECT_FLOAT_EQ(g.gdtime, 0.02f);

  // The input stands after the last value of the last record.
  std::string next;
  ASSERT_EQ(fio::read_record(5, next), fio::Status::ok);
  EXPECT_EQ(next, "NEXT LINE");

  // Record 1 along V1 = X, record 2 along V2 made normal to V1 = Y, scaled 0.5.
  const std::vector<float> wx = {0.0f, 0.1f, -0.2f, 0.05f, 0.0f, 0.0f};
  const std::vector<float> wy = {0.5f, -0.25f, 1.25f, 0.05f, -1.5f, 0.0f};
  for (int k = 0; k < 6; ++k) {
    EXPECT_NEAR(kv::rzm(g.agx + k), wx[static_cast<std::size_t>(k)], 1e-6) << k;
    EXPECT_NEAR(kv::rzm(g.agy + k), wy[static_cast<std::size_t>(k)], 1e-6) << k;
    EXPECT_EQ(kv::rzm(g.agz + k), 0.0f) << k;
  }
  // MASCOS with the global axes; AGT at t = 0.02, the second point.
  const auto m = mascos_of(g);
  EXPECT_EQ(m, (std::array<float, 9>{2, 1, 0, 1, 3, 0, 0, 0, 4}));
  EXPECT_NEAR(agt[0], kGrav * 0.1f, 1e-3);
  EXPECT_NEAR(agt[1], kGrav * -0.25f, 1e-3);
  EXPECT_EQ(agt[2], 0.0f);

  const std::string out = dyntest::finish();
  const auto lines = dyntest::lines_of(out);
  auto has = [&](const std::string& l) {
    for (const auto& x : lines)
      if (dyntest::rstrip(x) == l) return true;
    return false;
  };
  EXPECT_TRUE(has("      GROUND ACCELERATION RECORD"));
  EXPECT_TRUE(has("     ============================"));
  EXPECT_TRUE(has("     INPUTING TRANSLATIONAL ACCELERATION RECORD # 1, FROM UNIT:   5"));
  EXPECT_TRUE(has("     TITLE ONE"));
  EXPECT_TRUE(has("     FORMATTED TITLE 2"));
  EXPECT_TRUE(has("     THE RECORD CONTAINS      4 POINTS,  BEGINING AT TIME:    0.000000E+00"
                  " WITH A TIME INCREMENT OF:   2.000000E-02"));
  // The record longer than the series keeps NGP points.
  EXPECT_TRUE(has("     THE RECORD CONTAINS      6 POINTS,  BEGINING AT TIME:    0.000000E+00"
                  " WITH A TIME INCREMENT OF:   2.000000E-02"));
  EXPECT_TRUE(has("     DIRECTION OF ACCELERATION:      1.00000 I +0.00000 J +0.00000 K"));
  EXPECT_TRUE(has("     DIRECTION OF ACCELERATION:      0.00000 I +1.00000 J +0.00000 K"));
  EXPECT_TRUE(has("     INPUT ACCELERATION:                    (g's)"));
  EXPECT_TRUE(has("   0.0000E+00  2.0000E-01 -4.0000E-01  1.0000E-01"));
  EXPECT_TRUE(has(std::string(23, ' ') + "     MAXIMUN   AT    TIME    " + " " +
                  "     MINIMUN   AT    TIME          AVERAGE     STANDARD DEV." + " " + "      RMS"));

  // Statistics of record 1 (in g's, unscaled): S = -0.1, Q = 0.21.
  std::vector<std::string> stats;
  for (const auto& l : lines)
    if (l.rfind("   INPUT ACCELERATION  ", 0) == 0 || l.find("-AXIS ACCELERATION ") != std::string::npos)
      stats.push_back(l);
  ASSERT_EQ(stats.size(), 5u);
  const std::vector<std::vector<double>> want = {
      {0.2, 0.02, -0.4, 0.04, -0.025, std::sqrt(0.83 / 12.0), std::sqrt(0.21 / 4.0)},
      // record 2, six points kept: S = 0.1, Q = 16.51
      {2.5, 0.04, -3.0, 0.08, 0.1 / 6.0, std::sqrt(99.05 / 30.0), std::sqrt(16.51 / 6.0)},
      // the X series, six points: S = -0.05, Q = 0.0525
      {0.1, 0.02, -0.2, 0.04, -0.05 / 6.0, std::sqrt((6 * 0.0525 - 0.0025) / 30.0), std::sqrt(0.0525 / 6.0)},
  };
  for (std::size_t r = 0; r < want.size(); ++r) {
    const auto v = dyntest::numbers_of(stats[r]);
    ASSERT_EQ(v.size(), 7u) << stats[r];
    for (std::size_t k = 0; k < 7; ++k) EXPECT_NEAR(v[k], want[r][k], 1e-5 + 1e-5 * std::fabs(want[r][k])) << r;
  }
  EXPECT_EQ(stats[1].substr(0, 23), "   INPUT ACCELERATION  ");
  EXPECT_EQ(stats[2].substr(0, 23), "   X-AXIS ACCELERATION ");
  EXPECT_EQ(stats[4].substr(0, 23), "   Z-AXIS ACCELERATION ");

  // Record 2 starts at 1.0 g: the jump is noted; record 1 starts at 0.0.
  std::size_t notes = 0;
  for (const auto& l : lines) notes += l.find("NOTE: THE RECORD STARTS AT") != std::string::npos;
  EXPECT_EQ(notes, 1u);
}

TEST(GrdaccRead, SideFileShortOfPointsAndRewind) {
  const auto dir = dyntest::start("grdacc_side",
                                  "2 1.0 0.0 0.01 T\n"
                                  "0 0 1  1 0 0\n"
                                  "20 5 1 F F T\n"
                                  "20 2 3 F F T\n"
                                  "AFTER\n");
  kvtest::write_file(dir / "quake.dat", "QUAKE\nNORTH-SOUTH\n0.5 -0.25\n1.0\n");
  ASSERT_TRUE(fio::open(20, (dir / "quake.dat").string()));
  GroundMotion g = mass_model(4, 3, kIdentity, 0);
  std::array<float, 3> agt{};
  ASSERT_EQ(solutions::grdacc_read(g, 0.0f, -0.01f, true, agt), GroundStatus::ok);
  // V1 = Z; V3 = V1 x V2 = Z x X = Y. Record 1 (3 of 5 points) along Z, record
  // 2 read again from the start of the file along V3 = Y.
  EXPECT_FLOAT_EQ(kv::rzm(g.agz), 0.5f);
  EXPECT_FLOAT_EQ(kv::rzm(g.agz + 1), -0.25f);
  EXPECT_FLOAT_EQ(kv::rzm(g.agz + 2), 1.0f);
  EXPECT_EQ(kv::rzm(g.agz + 3), 0.0f);
  EXPECT_FLOAT_EQ(kv::rzm(g.agy), 0.5f);
  EXPECT_FLOAT_EQ(kv::rzm(g.agy + 1), -0.25f);
  EXPECT_EQ(kv::rzm(g.agy + 2), 0.0f);
  EXPECT_FLOAT_EQ(agt[2], kGrav * 0.5f);
  std::string next;
  fio::read_record(5, next);
  EXPECT_EQ(next, "AFTER");
  fio::close(20);
  const std::string out = dyntest::finish();
  EXPECT_NE(out.find("     ONLY     3 POINTS WERE READ BEFORE END OF FILE WAS ENCOUNTERED"), std::string::npos);
  EXPECT_NE(out.find("GLOBAL BASE ACCELERATION IN THE Z DIRECTION (g's)"), std::string::npos);
  EXPECT_NE(out.find("   5.0000E-01 -2.5000E-01  1.0000E+00  0.0000E+00"), std::string::npos);
  // The trace: the direction vectors as read and the triad made of them.
  EXPECT_NE(out.find("     INPUT- V1:  0.00000 I +0.00000 J +1.00000 K   V2:  1.00000 I +0.00000 J +0.00000 K  \n"),
            std::string::npos);
  EXPECT_NE(out.find("      V1:  0.00000 I +0.00000 J +1.00000 K   V2:  1.00000 I +0.00000 J +0.00000 K   V3:"
                     "  0.00000 I +1.00000 J +0.00000 K  \n"),
            std::string::npos);
  EXPECT_NE(out.find("MASS*COSINE"), std::string::npos);
  EXPECT_NE(out.find(" DYLOA:   X:  0.0000E+00    Y:  1.9320E+02      Z:  1.9320E+02"), std::string::npos);
}

// ------------------------------------------------------------------ faults

struct FaultCase {
  const char* name;
  std::string deck;
  int ngp;
  GroundStatus status;
  const char* message;
};

TEST(GrdaccRead, FaultsEndTheSolutionOrSkipTheRecord) {
  const std::vector<FaultCase> cases = {
      {"zero time increment", "1 1.0 0.0 0.0 F\n1 0 0 0 1 0\n5 2 1 F F F\nT1\nT2\n0.1 0.2\nNEXT\n", 4,
       GroundStatus::failed, "*** INVALID TIME INCREMENT OF THE GROUND RECORDS:  0.0000E+00"},
      {"negative time increment", "1 1.0 0.0 -0.01 F\n1 0 0 0 1 0\n5 2 1 F F F\nT1\nT2\n0.1 0.2\nNEXT\n", 4,
       GroundStatus::failed, "*** INVALID TIME INCREMENT"},
      {"no point", "1 1.0 0.0 0.01 F\n1 0 0 0 1 0\n5 0 1 F F F\nT1\nT2\nNEXT\n", 4, GroundStatus::failed,
       "*** GROUND RECORD # 1 HAS       0 POINTS: AT LEAST ONE IS NEEDED"},
      {"bad direction", "1 1.0 0.0 0.01 F\n1 0 0 0 1 0\n5 2 4 F F F\nT1\nT2\n0.1 0.2\nNEXT\n", 4,
       GroundStatus::ok, " INVALID DIRECTION:, 4  SET 0 < IDIR < 4"},
      {"output file as record unit", "1 1.0 0.0 0.01 F\n1 0 0 0 1 0\n6 2 1 F F F\nNEXT\n", 4, GroundStatus::ok,
       "INVALID UNIT:     6 OF GROUND RECORD # 1, USE 5 OR 10 TO 60: THE RECORD IS SKIPPED"},
      {"series without points", "1 1.0 0.0 0.01 F\n1 0 0 0 1 0\n5 2 1 F F F\nSTR TITLE\nT2\n0.1 0.2\nNEXT\n", 0,
       GroundStatus::failed, "*** THE GROUND SERIES HOLD       0 POINTS: AT LEAST ONE IS NEEDED"},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    dyntest::start("grdacc_fault", c.deck);
    GroundMotion g = mass_model(std::max(c.ngp, 1), 3, kIdentity, 0);
    g.ngp = c.ngp;
    std::array<float, 3> agt{1, 1, 1};
    EXPECT_EQ(solutions::grdacc_read(g, 0.0f, 0.0f, false, agt), c.status);
    EXPECT_EQ(agt, (std::array<float, 3>{0, 0, 0}));
    {
      // The whole section has been read, whatever was wrong with it: a title
      // holding a command word is never left for the command loop.
      std::string next;
      fio::read_record(5, next);
      EXPECT_EQ(next, "NEXT");
    }
    if (c.status == GroundStatus::ok) {
      for (int k = 0; k < c.ngp; ++k) EXPECT_EQ(kv::rzm(g.agx + k), 0.0f);
    }
    const std::string out = dyntest::finish();
    EXPECT_NE(out.find(c.message), std::string::npos) << out;
    EXPECT_EQ(out.find("NaN"), std::string::npos);
    if (c.status == GroundStatus::failed) {
      EXPECT_NE(out.find("THE GROUND MOTION CANNOT BE USED, THE SOLUTION IS ENDED"), std::string::npos);
    }
  }
}

// ------------------------------------------------------------------ option 2

TEST(GrdaccStep, IncrementAndEffectiveLoad) {
  dyntest::start("grdacc_step", "");
  GroundMotion g = mass_model(6, 3, kIdentity, 0);
  g.gtime0 = 0.0f;
  g.gdtime = 0.02f;
  const std::vector<float> x = {0.0f, 0.1f, -0.2f, 0.05f, 0.0f, 0.0f};
  const std::vector<float> y = {0.5f, -0.25f, 1.25f, 0.05f, -1.5f, 0.0f};
  for (int k = 0; k < 6; ++k) {
    kv::rzm(g.agx + k) = x[static_cast<std::size_t>(k)];
    kv::rzm(g.agy + k) = y[static_cast<std::size_t>(k)];
  }
  solutions::form_mascos(g, false);
  const std::int64_t load = dyntest::put({10, 20, 30});

  // From the second point to half-way to the third: X -0.05 - 0.1, Y 0.5 + 0.25.
  std::array<float, 3> dg{};
  solutions::grdacc_step(g, 0.03f, 0.02f, false, load, dg);
  EXPECT_NEAR(dg[0], kGrav * -0.15f, 1e-3);
  EXPECT_NEAR(dg[1], kGrav * 0.75f, 1e-3);
  EXPECT_EQ(dg[2], 0.0f);
  EXPECT_NEAR(kv::rzm(load), 10.0f - (2 * dg[0] + 1 * dg[1]), 1e-2);
  EXPECT_NEAR(kv::rzm(load + 1), 20.0f - (1 * dg[0] + 3 * dg[1]), 1e-2);
  EXPECT_EQ(kv::rzm(load + 2), 30.0f);

  // The same time twice: no increment, the load stays.
  const float before = kv::rzm(load);
  solutions::grdacc_step(g, 0.05f, 0.05f, false, load, dg);
  EXPECT_EQ(dg, (std::array<float, 3>{0, 0, 0}));
  EXPECT_EQ(kv::rzm(load), before);
  EXPECT_EQ(g.accelz, 0.0f);

  // From before the record to its first point: the whole first value.
  solutions::grdacc_step(g, 0.0f, -0.02f, false, 0, dg);
  EXPECT_FLOAT_EQ(dg[1], kGrav * 0.5f);
  dyntest::finish();
}

}  // namespace
