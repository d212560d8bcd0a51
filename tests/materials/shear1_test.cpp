#include <gtest/gtest.h>
#include <cstdio>
#include "driver/globals.h"
#include "materials/shear1.h"
#include "materials/harness.h"
namespace {
TEST(Shear1Scratch, Debug) {
  materials::register_material(4, materials::mat04);
  mtest::MaterialHarness h(4, "SHEAR1 3 2 0.002 0.1\n100 150 160\n0.001 0.005 0.02\n");
  h.init();
  kv::titles().ibugm |= 1 << 10;
  h.step(0.003f);
  h.step(-0.003f);
  h.step(0.0f);
  std::fputs(h.output().c_str(), stdout);
}
}
