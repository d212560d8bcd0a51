// The material test harness itself: a harness built while another exists
// takes the units over, and the older one, ending later, leaves them open.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/globals.h"
#include "fio/fio.h"
#include "materials/harness.h"

namespace {

constexpr const char* kOlder = "ELSPLS 100. 10. 0. 10. 0.1\n";
constexpr const char* kNewer = "ELSPLS 200. 20. 0. 10. 0.1\n";

TEST(MaterialHarness, AnOlderHarnessEndingLaterLeavesTheNewerOnesUnits) {
  auto older = std::make_unique<mtest::MaterialHarness>(7, kOlder);
  mtest::MaterialHarness newer(7, kNewer);
  older.reset();
  EXPECT_TRUE(fio::is_open(5));
  EXPECT_TRUE(fio::is_open(6));

  // The newer spring's trace still reaches its own output file.
  newer.init();
  kv::titles().ibugm = 1 << ('K' - 'A');
  EXPECT_FLOAT_EQ(newer.step(0.05f), 10.0f);  // KE 200 on the elastic branch
  const std::string out = newer.output();
  EXPECT_NE(out.find("     1   0.200000E+03   0.200000E+02"), std::string::npos) << out;
  EXPECT_NE(out.find(" ELSPLS-FC="), std::string::npos) << out;
  EXPECT_EQ(out.find("0.100000E+03"), std::string::npos) << out;
}

TEST(MaterialHarness, ClosesItsUnitsWhenItEnds) {
  { mtest::MaterialHarness only(7, kOlder); }
  EXPECT_FALSE(fio::is_open(5));
  EXPECT_FALSE(fio::is_open(6));
}

}  // namespace
