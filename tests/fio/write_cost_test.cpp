// A warm report line must not parse its format again nor allocate: report
// loops write many thousands of lines. Counted through the global allocator.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

#include "fio/fio.h"

namespace {
std::atomic<long> g_allocations{0};
}

void* operator new(std::size_t n) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

namespace fs = std::filesystem;

TEST(WriteCost, WarmLinesAllocateNothingPerCall) {
  const fs::path dir = fs::temp_directory_path() /
                       ("fio_cost_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::create_directories(dir);
  const std::string path = (dir / "cost.out").string();
  ASSERT_TRUE(fio::open(30, path));
  const float f[6] = {1.0f, -2.5f, 3.0e-3f, 4.0e5f, 0.0f, 6.0f};
  const std::string title = "BEAM ELEMENT NUMBER";
  auto line = [&](int k) {
    fio::write(30, "(1X,I5,1P,6E12.4,2X,A,0P,F8.2,:,/)", k, std::span<const float>(f, 6), title, 3.5);
    fio::write_list(30, "STEP", k, 2.0f, "DONE");
  };
  for (int k = 0; k < 10; ++k) line(k);
  std::string shortfield;
  const long before = g_allocations.load();
  const int n = 2000;
  for (int k = 0; k < n; ++k) {
    line(k);
    shortfield = fio::format("(I5)", k);  // fits the string's own buffer
  }
  const long used = g_allocations.load() - before;
  // Only the unit's table of record offsets grows (geometrically).
  EXPECT_LT(used, 40) << "allocations for " << n << " warm report lines";
  EXPECT_EQ(shortfield, " 1999");
  fio::close(30);
  fs::remove_all(dir);
}

}  // namespace
