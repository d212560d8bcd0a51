// What several material tests share: a fixture that drives one spring of a
// model, a fixture that catches unit 6 for a routine called directly, the
// hand-calculation helpers of the degrading models (tolerance, work
// by trapezoids, SLPMIN, the probe point after an event), the step table of the
// moment-rotation springs, the set-up of a member spring, and the option-1 call
// of a further set.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "materials/harness.h"
#include "materials/matdsp.h"

namespace mtest {

// A harness for `type` with `driver` registered, the sets read and set 1 initialised.
std::unique_ptr<MaterialHarness> make_spring(int type, materials::MatDriver driver,
                                             const std::string& sets, int nsets = 1);

// One spring of one model type; a test fixture derives from it and calls make.
class SpringTest : public ::testing::Test {
 protected:
  // cycle_message: the text the model prints when a step takes too many passes.
  SpringTest(int type, materials::MatDriver driver, std::string cycle_message)
      : type_(type), driver_(driver), cycle_message_(std::move(cycle_message)) {}

  // A fresh harness on these sets, set 1 initialised.
  void make(const std::string& sets, int nsets = 1) { h = make_spring(type_, driver_, sets, nsets); }
  float* s() const { return h->committed(); }
  // ESE + PSE of option 4: the work done on the spring.
  double total_work();
  // True when the output holds the cycle-limit message.
  bool cycle_message() const;
  // Steps to each deformation in turn: every force finite, then no state word
  // NaN, and finite energies and damage index.
  void expect_finite_through(std::initializer_list<float> deformations);

  std::unique_ptr<MaterialHarness> h;

 private:
  int type_;
  materials::MatDriver driver_;
  std::string cycle_message_;
};

// A test of a routine called directly that writes to unit 6: before it every
// unit is closed and the globals reset, and unit 6 is opened on a scratch file.
class ScratchOutputTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Everything unit 6 received so far.
  std::string output();

 private:
  std::filesystem::path dir_;
};

// Tolerance for a single-precision result against a hand value: 2e-4 of it,
// or 2e-4 below 1.
double rel(double x);
// Work along a polyline of (d, p) points.
double trapezoids(const std::vector<std::pair<double, double>>& pts);
// SLPMIN in double: min(b/a, c) when a*b > 0, else c.
double slpmin(double a, double b, double c);

struct Pt {
  double d, p;
};
// The point a rule call sees after an event at ev on a step to dend whose end
// is extrapolated on slope k: 0.1% of what is left of the step.
Pt probe(Pt ev, double k, double dend);

// A row of a moment-rotation step table.
struct RotationStep {
  float d;
  float p;     // moment after the step
  float k;     // tangent for the next step
  float duct;  // ductility after the step
};
// Steps through the rows: the moment within p_tol, the tangent within k_tol,
// the ductility word duct_word within 1e-5.
void run_rotation_steps(MaterialHarness& h, std::span<const RotationStep> rows, int duct_word,
                        float p_tol, float k_tol);

// Sets up a member spring as its element does: length (state word 5) and
// effective-length factor KEFF (word 2) written before option 2.
void set_up_member(MaterialHarness& h, float length, float keff);

// The option-1 call of set `set` on the record after the sets the harness
// read, for a driver called directly (its property words at the free words).
materials::MatCall read_call(int set);

}  // namespace mtest
