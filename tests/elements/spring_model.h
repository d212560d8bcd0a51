// A small model laid into the work array the way the structure input lays it
// out, for the tests of the spring (type 2) and the strut and brace element
// (type 8): nodes with their equations and cosine sets, material sets with
// their PROP words written directly, element records set up through ELEDSP
// options 9 and 1, and the solution tables the element options read.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/globals.h"
#include "driver/work_array.h"
#include "elements/eledsp.h"
#include "fio/fio.h"
#include "materials/matdsp.h"
#include "model/nodes.h"
#include "support/test_support.h"

namespace stest {

struct Node {
  int id;
  float x, y, z;
  std::array<int, 6> eq;  // equation of FX FY FZ MX MY MZ, 0 for none
  int cos = 1;            // cosine set
};

// A cosine set by its three axes (rows: the node's x, y and z axes).
using CosineSet = std::array<std::array<float, 3>, 3>;
inline constexpr CosineSet kIdentitySet{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

// RINPUT(1..10) of a spring or brace record.
struct SpringInput {
  float set = 1, node_i = 0, node_j = 0, ktype = 1, length = 0;
  float vy_x = 0, vy_y = 1, vy_z = 0, ds = 0, de = 0;
};

class SpringModel : public ::testing::Test {
 protected:
  void SetUp() override {
    fio::close_all();
    kv::reset_globals();
    kv::zero_words(1, 1 << 20);
    kv::ctl(kv::kIZ) = 1;
    kv::ctl(kv::kNLC) = 1;
    materials::register_builtin_materials();
    elements::register_builtin_elements();
    dir_ = kvtest::fresh_dir("spring");
    ASSERT_TRUE(fio::open(6, (dir_ / "unit6.out").string()));
  }
  void TearDown() override {
    fio::close_all();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  static std::int64_t take(std::int64_t n) {
    const std::int64_t p = kv::ctl(kv::kIZ);
    kv::ctl(kv::kIZ) = static_cast<std::int32_t>(p + n);
    return p;
  }

  // Node tables (ascending IDs) with the cosine sets, neq equations; then
  // room for up to 8 material sets and 16 elements.
  void nodes(const std::vector<Node>& list, int neq,
             const std::vector<CosineSet>& sets = {kIdentitySet}) {
    const int n = static_cast<int>(list.size());
    kv::ctl(kv::kNNDIM) = n;
    kv::ctl(kv::kNNODE) = n;
    kv::ctl(kv::kNCOS) = static_cast<int>(sets.size());
    kv::ctl(kv::kNEQ) = neq;
    nt_ = model::reserve_node_tables(n);
    for (int k = 1; k <= n; ++k) {
      const Node& nd = list[static_cast<std::size_t>(k - 1)];
      nt_.nodid(k) = nd.id;
      nt_.xyz(k, 1) = nd.x;
      nt_.xyz(k, 2) = nd.y;
      nt_.xyz(k, 3) = nd.z;
      for (int j = 1; j <= 6; ++j) nt_.id(k, j) = nd.eq[static_cast<std::size_t>(j - 1)];
      nt_.icos(k) = nd.cos;
    }
    // COS(k, j, s) in the table: component j of axis k of set s; the table
    // has NNDIM sets of room.
    for (std::size_t s = 0; s < sets.size(); ++s)
      for (int k = 1; k <= 3; ++k)
        for (int j = 1; j <= 3; ++j)
          nt_.cos(k, j, static_cast<int>(s) + 1) = sets[s][static_cast<std::size_t>(k - 1)][static_cast<std::size_t>(j - 1)];

    matptr_ = take(kMaxSets + 1);
    kv::ctl(kv::kMATPTR) = static_cast<std::int32_t>(matptr_);
    eletab_ = take(kMaxElements + 1);
    kv::ctl(kv::kELETAB) = static_cast<std::int32_t>(eletab_);
  }

  // A material set of the given type with its PROP words; returns its number.
  int material(int type, const std::vector<float>& prop) {
    const int set = ++nmat_;
    kv::ctl(kv::kNMAT) = nmat_;
    kv::izm(matptr_) = nmat_;
    const std::int64_t rec = take(static_cast<std::int64_t>(prop.size()) + 1);
    kv::izm(matptr_ + set) = static_cast<std::int32_t>(rec);
    kv::izm(rec) = type;
    for (std::size_t k = 0; k < prop.size(); ++k) kv::rzm(rec + 1 + static_cast<std::int64_t>(k)) = prop[k];
    return set;
  }

  // An "ELSPLS"/"BILINEAR" set (type 7): KE, PY, KIE, DY, EY, Du, BETA.
  int bilinear(float ke, float py, float kie, float max_duct, float beta) {
    const float dy = py / ke;
    return material(7, {ke, py, kie, dy, dy * py / 2.0f, max_duct * dy, beta});
  }

  // One element record through options 9 and 1 as the structure input makes
  // it; returns the option-1 call as it came back.
  elements::EleCall element(int type, const std::string& label, const SpringInput& in) {
    const int n = ++nelem_;
    kv::ctl(kv::kNELEM) = nelem_;
    kv::izm(eletab_) = nelem_;
    labels_.push_back(label);
    std::array<float, 11> rin{0, in.set, in.node_i, in.node_j, in.ktype, in.length,
                              in.vy_x, in.vy_y, in.vy_z, in.ds, in.de};
    const std::int64_t p = kv::ctl(kv::kIZ);
    kv::izm(eletab_ + n) = static_cast<std::int32_t>(p);
    kv::zero_words(p, kRecordWords);
    kv::izm(p) = type;
    elements::EleCall c9;
    c9.iopt = elements::kEleNState;
    c9.ielno = n;
    c9.rinput = rin.data();
    int ltype9 = 0;
    elements::eledsp(c9, ltype9, 0);
    take(kRecordWords + c9.nhyst);
    kv::zero_words(p + kRecordWords, c9.nhyst);
    elements::EleCall c;
    c.iopt = elements::kEleCheck;
    c.ielno = n;
    c.lecho = true;
    c.label = labels_.back();
    c.rinput = rin.data();
    elements::eledsp(c, ltype_check_, 1);
    kv::ctl(kv::kIZ) -= c.nback;
    return c;
  }

  // An option on element n with the solution's tables; ltype is the caller's
  // previous-type word (a loop passes one word through all its calls).
  elements::EleCall option(int iopt, int n, bool lecho = false, int* ltype = nullptr, float r4 = 0.0f) {
    elements::EleCall c;
    c.iopt = iopt;
    c.ielno = n;
    c.lecho = lecho;
    c.r4 = r4;
    c.idisp = kv::ctl(54);
    c.iload = kv::ctl(53);
    int own = 0;
    elements::eledsp(c, ltype != nullptr ? *ltype : own, 0);
    return c;
  }

  // The displacement table (word 54, NEQ x NLC) and the unbalanced-force
  // vector (word 65), zeroed; the structure elastic or not.
  void solution(int nlc, bool elastic) {
    kv::ctl(kv::kNLC) = nlc;
    kv::set_ctl_logical(kv::kELASTC, elastic);
    const int neq = kv::ctl(kv::kNEQ);
    kv::ctl(54) = static_cast<std::int32_t>(take(static_cast<std::int64_t>(neq) * nlc));
    kv::ctl(53) = static_cast<std::int32_t>(take(static_cast<std::int64_t>(neq) * nlc));
    kv::ctl(kv::kSolVector65) = static_cast<std::int32_t>(take(neq));
    kv::zero_words(kv::ctl(54), static_cast<std::int64_t>(neq) * nlc * 2 + neq);
  }
  kv::RealWord disp(int eq, int lc = 1) {
    return kv::rzm(kv::ctl(54) + static_cast<std::int64_t>(lc - 1) * kv::ctl(kv::kNEQ) + eq - 1);
  }
  float unbalanced(int eq) { return kv::rzm(kv::ctl(kv::kSolVector65) + eq - 1); }
  // Displacement increments of one step: the table holds them, zero elsewhere.
  void step(const std::vector<std::pair<int, float>>& increments) {
    for (int eq = 1; eq <= kv::ctl(kv::kNEQ); ++eq) disp(eq) = 0.0f;
    for (const auto& [eq, u] : increments) disp(eq) = u;
  }

  // Record word k of element n.
  std::int64_t record(int n) const { return kv::izm(eletab_ + n); }
  int iword(int n, int k) const { return kv::izm(record(n) + k); }
  float rword(int n, int k) const { return kv::rzm(record(n) + k); }
  // 1-based views of element n's state halves.
  float* committed(int n) const { return kv::rptr(record(n) + 55) - 1; }
  float* trial(int n) const { return kv::rptr(record(n) + 55 + iword(n, 12) / 2) - 1; }

  // The element stiffness of element n expanded over the global equations.
  std::vector<float> global_matrix(int n) {
    const elements::EleCall c = option(elements::kEleGeom, n);
    const int neq = kv::ctl(kv::kNEQ);
    const std::int64_t a = kv::ctl(kv::kIZKE);
    const std::int64_t lm = kv::ctl(kv::kIZLM);
    std::vector<float> k(static_cast<std::size_t>(neq) * neq, 0.0f);
    const auto& np = kv::titles().np;
    for (int j = 1; j <= c.nd; ++j)
      for (int i = 1; i <= j; ++i) {
        const float v = kv::rzm(a + np[static_cast<std::size_t>(j)] + j - i - 1);
        const int r = kv::izm(lm + i - 1);
        const int cc = kv::izm(lm + j - 1);
        if (r <= 0 || cc <= 0) continue;
        k[static_cast<std::size_t>((r - 1) * neq + cc - 1)] += v;
        if (i != j) k[static_cast<std::size_t>((cc - 1) * neq + r - 1)] += v;
      }
    return k;
  }
  static float term(const std::vector<float>& k, int r, int c) {
    const int neq = kv::ctl(kv::kNEQ);
    return k[static_cast<std::size_t>((r - 1) * neq + c - 1)];
  }
  std::vector<int> lm(int n) {
    const elements::EleCall c = option(elements::kEleGeom, n);
    std::vector<int> v;
    for (int i = 0; i < c.nd; ++i) v.push_back(kv::izm(kv::ctl(kv::kIZLM) + i));
    return v;
  }

  // Everything unit 6 received so far, and what it received since the last take.
  std::string unit6() {
    fio::flush(6);
    return kvtest::read_file(dir_ / "unit6.out");
  }
  std::string take6() {
    const std::string all = unit6();
    std::string fresh = all.substr(std::min(seen_, all.size()));
    seen_ = all.size();
    return fresh;
  }

  static constexpr int kRecordWords = 133;
  static constexpr int kMaxSets = 8;
  static constexpr int kMaxElements = 16;

  std::filesystem::path dir_;
  model::NodeTables nt_;
  std::int64_t matptr_ = 0;
  std::int64_t eletab_ = 0;
  int nmat_ = 0;
  int nelem_ = 0;
  int ltype_check_ = 0;
  std::vector<std::string> labels_;
  std::size_t seen_ = 0;
};

// Relative closeness for single-precision results.
inline ::testing::AssertionResult near_rel(float actual, double expected, double rel = 2e-5,
                                           double abs_floor = 1e-6) {
  const double tol = std::max(std::abs(expected) * rel, abs_floor);
  if (std::abs(actual - expected) <= tol) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual << " is not within " << tol << " of " << expected;
}

// The number of times `what` occurs in `text`.
inline int count_of(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace stest
