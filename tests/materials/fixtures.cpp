#include "materials/fixtures.h"

#include <algorithm>
#include <cmath>

#include "base/globals.h"
#include "fio/fio.h"
#include "support/test_support.h"

namespace mtest {

std::unique_ptr<MaterialHarness> make_spring(int type, materials::MatDriver driver,
                                             const std::string& sets, int nsets) {
  materials::register_material(type, driver);
  auto h = std::make_unique<MaterialHarness>(type, sets, nsets);
  h->init();
  return h;
}

double SpringTest::total_work() {
  const materials::MatCall r = h->results();
  return static_cast<double>(r.ese) + r.pse;
}

bool SpringTest::cycle_message() const {
  return h->output().find(cycle_message_) != std::string::npos;
}

void SpringTest::expect_finite_through(std::initializer_list<float> deformations) {
  for (float d : deformations) {
    EXPECT_TRUE(std::isfinite(h->step(d))) << d;
  }
  for (int k = 1; k <= h->nstate(); ++k) EXPECT_FALSE(std::isnan(s()[k])) << "word " << k;
  const materials::MatCall r = h->results();
  EXPECT_TRUE(std::isfinite(r.ese));
  EXPECT_TRUE(std::isfinite(r.pse));
  EXPECT_TRUE(std::isfinite(h->damage().di));
}

void ScratchOutputTest::SetUp() {
  fio::close_all();
  kv::reset_globals();
  dir_ = kvtest::fresh_dir("scratch");
  ASSERT_TRUE(fio::open(6, (dir_ / "out.txt").string()));
}

void ScratchOutputTest::TearDown() {
  fio::close_all();
  std::filesystem::remove_all(dir_);
}

std::string ScratchOutputTest::output() {
  fio::flush(6);
  return kvtest::read_file(dir_ / "out.txt");
}

double rel(double x) { return 2e-4 * std::max(1.0, std::fabs(x)); }

double trapezoids(const std::vector<std::pair<double, double>>& pts) {
  double w = 0.0;
  for (std::size_t i = 1; i < pts.size(); ++i) {
    w += (pts[i].first - pts[i - 1].first) * (pts[i].second + pts[i - 1].second) / 2.0;
  }
  return w;
}

double slpmin(double a, double b, double c) { return a * b > 0.0 ? std::min(b / a, c) : c; }

Pt probe(Pt ev, double k, double dend) {
  const double pext = ev.p + k * (dend - ev.d);
  return {ev.d + 0.001 * (dend - ev.d), ev.p + 0.001 * (pext - ev.p)};
}

void run_rotation_steps(MaterialHarness& h, std::span<const RotationStep> rows, int duct_word,
                        float p_tol, float k_tol) {
  for (const RotationStep& s : rows) {
    EXPECT_NEAR(h.step(s.d), s.p, p_tol) << "d = " << s.d;
    EXPECT_NEAR(h.tangent(), s.k, k_tol) << "d = " << s.d;
    EXPECT_NEAR(h.committed()[duct_word], s.duct, 1.0e-5f) << "d = " << s.d;
  }
}

void set_up_member(MaterialHarness& h, float length, float keff) {
  h.preset_state_word(5, length);
  h.preset_state_word(2, keff);
  h.init();
}

materials::MatCall read_call(int set) {
  materials::MatCall c;
  c.iopt = materials::kOptRead;
  c.set = set;
  c.prop = kv::ctl(kv::kIZ) + 1;
  return c;
}

}  // namespace mtest
