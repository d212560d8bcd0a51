#include "materials/harness.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/globals.h"
#include "base/work_array.h"
#include "fio/fio.h"
#include "support/test_support.h"

namespace mtest {

namespace {

// Words cleared at every set-up, so that nothing a previous test left in the
// work array reaches this one (sets, MATPTR and state copies all live low).
constexpr std::int64_t kClearedWords = 1 << 20;

std::int64_t take_words(std::int64_t n) {
  const std::int64_t p = kv::ctl(kv::kIZ);
  kv::ctl(kv::kIZ) = static_cast<std::int32_t>(p + n);
  return p;
}

}  // namespace

MaterialHarness::MaterialHarness(int type, const std::string& input, int nsets, int ibugm) {
  read_sets(std::vector<int>(static_cast<std::size_t>(std::max(nsets, 1)), type), input, ibugm);
}

MaterialHarness::MaterialHarness(const std::vector<int>& types, const std::string& input,
                                 int ibugm) {
  read_sets(types, input, ibugm);
}

void MaterialHarness::read_sets(const std::vector<int>& types, const std::string& input,
                                int ibugm) {
  try {
    read_sets_unguarded(types, input, ibugm);
  } catch (...) {
    // The destructor does not run for a constructor that throws.
    release_units();
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    throw;
  }
}

void MaterialHarness::read_sets_unguarded(const std::vector<int>& types, const std::string& input,
                                          int ibugm) {
  fio::close_all();
  kv::reset_globals();
  kv::titles().ibugm = ibugm;
  kv::zero_words(1, kClearedWords);
  kv::ctl(kv::kIZ) = 1;
  materials::register_builtin_materials();

  const std::filesystem::path dir = kvtest::fresh_dir("material");
  dir_ = dir.string();
  input_path_ = (dir / "input.dat").string();
  output_path_ = (dir / "output.out").string();
  kvtest::write_file(input_path_, input);
  fio::open(5, input_path_);
  fio::open(6, output_path_);

  // As the structure input lays the sets out: MATPTR, then per set the type
  // word and the NPROP words the driver fills at the free words.
  const int nmat = static_cast<int>(types.size());
  kv::ctl(kv::kNMAT) = nmat;
  const std::int64_t matptr = take_words(nmat + 1);
  kv::ctl(kv::kMATPTR) = static_cast<std::int32_t>(matptr);
  kv::izm(matptr) = nmat;

  int prev_type = 0;
  nprops_.assign(static_cast<std::size_t>(nmat) + 1, 0);
  nstates_read_.assign(static_cast<std::size_t>(nmat) + 1, 0);
  for (int i = 1; i <= nmat; ++i) {
    kv::izm(matptr + i) = kv::ctl(kv::kIZ);
    materials::MatCall c;
    c.iopt = materials::kOptRead;
    c.ielno = -1;
    c.element_print = true;
    c.set = i;
    c.nprop = 0;
    int type = types[static_cast<std::size_t>(i) - 1];
    materials::matdsp(c, prev_type, 1, type);
    nprops_[static_cast<std::size_t>(i)] = c.nprop;
    nstates_read_[static_cast<std::size_t>(i)] = c.nstate;
    take_words(c.nprop + 1);
  }
  type_ = nmat > 0 ? types[0] : 0;
  set_ = 1;
  nprop_ = nmat > 0 ? nprops_[1] : 0;
}

MaterialHarness::~MaterialHarness() {
  release_units();
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

void MaterialHarness::release_units() const {
  // A harness built since has reopened the units on its own files: they are its to close.
  if (!input_path_.empty() && fio::path_of(5) == input_path_) fio::close(5);
  if (!output_path_.empty() && fio::path_of(6) == output_path_) fio::close(6);
}

materials::MatCall MaterialHarness::base_call(int iopt) const {
  materials::MatCall c;
  c.iopt = iopt;
  c.ielno = 1;
  c.element_print = element_print_;
  c.set = set_;
  c.sta = sta_;
  c.nprop = nprop_;
  return c;
}

void MaterialHarness::init(int set) {
  set_ = set;
  nprop_ = nprop_of(set);

  materials::MatCall c = base_call(materials::kOptNState);
  materials::matdsp(c, prev_type_, 0, type_);
  nstate_ = c.nstate;

  // The element's two copies, committed first.
  sta_ = take_words(2 * static_cast<std::int64_t>(nstate_));
  kv::zero_words(sta_, 2 * static_cast<std::int64_t>(nstate_));
  for (const auto& [k, value] : presets_) kv::rzm(sta_ + k - 1) = value;

  p_ = d_ = v_ = p_material_ = 0.0f;
  c = base_call(materials::kOptInit);
  materials::matdsp(c, prev_type_, 0, type_);
}

float MaterialHarness::step(float d) { return step(d, d - d_); }

float MaterialHarness::step(float d, float v) {
  float* com = committed();
  float* tri = trial();
  std::copy(com + 1, com + 1 + nstate_, tri + 1);

  // The element's trial force: committed force plus the increment times the
  // tangent its stiffness was formed with.
  const float ddefo = d - d_;
  const float f = tangent() * ddefo;

  materials::MatCall c = base_call(materials::kOptState);
  c.sta = sta_ + nstate_;
  c.p = p_ + f;
  c.pl = p_;
  c.d = d;
  c.dl = d_;
  c.v = v;
  c.vl = v_;
  materials::matdsp(c, prev_type_, 0, type_);
  p_material_ = c.p;

  // Commit as the element does: the accepted increment onto the committed force.
  const float accepted = c.p - p_;
  p_ += accepted;
  d_ = d;
  v_ = v;
  std::copy(tri + 1, tri + 1 + nstate_, com + 1);
  return p_;
}

float MaterialHarness::walk(float d, int n) {
  const double d0 = d_;
  for (int k = 1; k <= n; ++k) {
    const float dk = k == n ? d : static_cast<float>(d0 + (static_cast<double>(d) - d0) * k / n);
    step(dk);
  }
  return p_;
}

float MaterialHarness::tangent() const { return committed()[1]; }
float* MaterialHarness::committed() const { return kv::rptr(sta_) - 1; }
float* MaterialHarness::trial() const { return kv::rptr(sta_ + nstate_) - 1; }

float* MaterialHarness::prop() const {
  return kv::rptr(kv::izm(kv::ctl(kv::kMATPTR) + set_) + 1) - 1;
}

int MaterialHarness::nprop_of(int set) const {
  if (set < 1 || set >= static_cast<int>(nprops_.size())) return 0;
  return nprops_[static_cast<std::size_t>(set)];
}

int MaterialHarness::nstate_at_read(int set) const {
  if (set < 1 || set >= static_cast<int>(nstates_read_.size())) return 0;
  return nstates_read_[static_cast<std::size_t>(set)];
}

int MaterialHarness::type_of(int set) const {
  if (set < 1 || set >= static_cast<int>(nprops_.size())) return 0;
  return kv::izm(kv::izm(kv::ctl(kv::kMATPTR) + set));
}

materials::MatCall MaterialHarness::call(int iopt) {
  materials::MatCall c = base_call(iopt);
  c.p = p_;
  c.d = d_;
  materials::matdsp(c, prev_type_, 0, type_);
  return c;
}

materials::MatCall MaterialHarness::results() { return call(materials::kOptResults); }
materials::MatCall MaterialHarness::damage() { return call(materials::kOptDamage); }

std::string MaterialHarness::output() const {
  fio::flush(6);
  return kvtest::read_file(std::filesystem::path(dir_) / "output.out");
}

void MaterialHarness::set_state_word(int k, float value) {
  committed()[k] = value;
  trial()[k] = value;
}

}  // namespace mtest
