// A small structural model laid into the work array by hand, the way the
// structure input lays it out, for the tests of the beam elements and the
// element loads: nodes with their equations, "3D-BEAM" sections, the KGDATA
// record, element records set up through ELEDSP options 9 and 1, and the
// solution tables the element options read.
#pragma once

#include <gtest/gtest.h>

#include <array>
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

namespace btest {

struct Node {
  int id;
  float x, y, z;
  std::array<int, 6> eq;  // equation of FX FY FZ MX MY MZ, 0 for none
};

struct Section {
  float e, g, ax, ay, az, ix, iy, iz;
};

struct Element {
  int type;                  // 1 "3D-BEAM" or 11 "HINGE"
  std::string label;
  std::vector<float> values;  // RINPUT(1..)
};

class BeamModel : public ::testing::Test {
 protected:
  void SetUp() override {
    fio::close_all();
    kv::reset_globals();
    kv::zero_words(1, 1 << 20);
    kv::ctl(kv::kIZ) = 1;
    kv::ctl(kv::kNLC) = 1;
    materials::register_builtin_materials();
    elements::register_builtin_elements();
    dir_ = kvtest::fresh_dir("beam");
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

  // Node tables (ascending IDs), cosine set 1 the identity; neq equations.
  void nodes(const std::vector<Node>& list, int neq) {
    const int n = static_cast<int>(list.size());
    kv::ctl(kv::kNNDIM) = n;
    kv::ctl(kv::kNNODE) = n;
    kv::ctl(kv::kNCOS) = 1;
    kv::ctl(kv::kNEQ) = neq;
    nt_ = model::reserve_node_tables(n);
    for (int k = 1; k <= n; ++k) {
      const Node& nd = list[static_cast<std::size_t>(k - 1)];
      nt_.nodid(k) = nd.id;
      nt_.xyz(k, 1) = nd.x;
      nt_.xyz(k, 2) = nd.y;
      nt_.xyz(k, 3) = nd.z;
      for (int j = 1; j <= 6; ++j) nt_.id(k, j) = nd.eq[static_cast<std::size_t>(j - 1)];
      nt_.icos(k) = 1;
    }
    for (int k = 1; k <= 3; ++k) nt_.cos(k, k, 1) = 1.0f;
  }

  // MATPTR and one type-1 set per section; `types` overrides a set's type code.
  void sections(const std::vector<Section>& list, const std::vector<int>& types = {}) {
    const int nmat = static_cast<int>(list.size());
    kv::ctl(kv::kNMAT) = nmat;
    const std::int64_t matptr = take(nmat + 1);
    kv::ctl(kv::kMATPTR) = static_cast<std::int32_t>(matptr);
    kv::izm(matptr) = nmat;
    for (int i = 1; i <= nmat; ++i) {
      const Section& s = list[static_cast<std::size_t>(i - 1)];
      const std::int64_t rec = take(15);
      kv::izm(matptr + i) = static_cast<std::int32_t>(rec);
      kv::izm(rec) = types.size() >= static_cast<std::size_t>(i) ? types[static_cast<std::size_t>(i - 1)] : 1;
      const float prop[8] = {s.e, s.g, s.ax, s.ay, s.az, s.ix, s.iy, s.iz};
      for (int k = 0; k < 8; ++k) kv::rzm(rec + 1 + k) = prop[k];
    }
  }

  void kgdata(int source, int form, int use) {
    const std::int64_t k = take(4);
    kv::ctl(kv::kKGDATARecord) = static_cast<std::int32_t>(k);
    kv::rzm(k) = 0.0f;
    kv::izm(k + 1) = source;
    kv::izm(k + 2) = form;
    kv::izm(k + 3) = use;
  }

  // ELETAB and the records, each through options 9 and 1 as the structure
  // input does; the option-1 calls are kept in checks_.
  void elements(const std::vector<Element>& list) {
    if (kv::ctl(kv::kKGDATARecord) == 0) kgdata(0, 0, 0);
    const int nelem = static_cast<int>(list.size());
    kv::ctl(kv::kNELEM) = nelem;
    const std::int64_t eletab = take(nelem + 1);
    kv::ctl(kv::kELETAB) = static_cast<std::int32_t>(eletab);
    kv::izm(eletab) = nelem;
    int ltype = 0;
    checks_.clear();
    labels_.clear();
    for (const Element& e : list) labels_.push_back(e.label);
    for (int n = 1; n <= nelem; ++n) {
      const Element& e = list[static_cast<std::size_t>(n - 1)];
      const int nwords = e.type == 11 ? 439 : 437;
      std::array<float, 29> rin{};
      for (std::size_t k = 0; k < e.values.size(); ++k) rin[k + 1] = e.values[k];
      const std::int64_t p = kv::ctl(kv::kIZ);
      kv::izm(eletab + n) = static_cast<std::int32_t>(p);
      kv::zero_words(p, nwords);
      kv::izm(p) = e.type;
      elements::EleCall c9;
      c9.iopt = elements::kEleNState;
      c9.ielno = n;
      c9.rinput = rin.data();
      int ltype9 = 0;
      elements::eledsp(c9, ltype9, 0);
      take(nwords + c9.nhyst);
      elements::EleCall c;
      c.iopt = elements::kEleCheck;
      c.ielno = n;
      c.lecho = true;
      c.label = labels_[static_cast<std::size_t>(n - 1)];
      c.rinput = rin.data();
      elements::eledsp(c, ltype, 1);
      kv::ctl(kv::kIZ) -= c.nback;
      checks_.push_back(c);
    }
  }

  // An option on element n with the solution's tables; the call as it returned.
  elements::EleCall option(int iopt, int n, bool lecho = false) {
    elements::EleCall c;
    c.iopt = iopt;
    c.ielno = n;
    c.lecho = lecho;
    c.idisp = kv::ctl(54);
    c.iload = kv::ctl(53);
    int ltype = 0;
    elements::eledsp(c, ltype, 0);
    return c;
  }

  // The displacement (word 54) and load (word 53) tables, NEQ x NLC, zeroed.
  void solution_tables(int nlc) {
    kv::ctl(kv::kNLC) = nlc;
    const int neq = kv::ctl(kv::kNEQ);
    kv::ctl(54) = static_cast<std::int32_t>(take(static_cast<std::int64_t>(neq) * nlc));
    kv::ctl(53) = static_cast<std::int32_t>(take(static_cast<std::int64_t>(neq) * nlc));
  }
  kv::RealWord disp(int eq, int lc = 1) {
    return kv::rzm(kv::ctl(54) + static_cast<std::int64_t>(lc - 1) * kv::ctl(kv::kNEQ) + eq - 1);
  }
  kv::RealWord load(int eq, int lc = 1) {
    return kv::rzm(kv::ctl(53) + static_cast<std::int64_t>(lc - 1) * kv::ctl(kv::kNEQ) + eq - 1);
  }

  // Element-load tables for `neload` records, stored directly (NREAD = count).
  struct LoadRecord {
    int load, elem, gen, inc, code;
    std::vector<float> values;
  };
  void element_load_records(const std::vector<LoadRecord>& recs, int neload = 0) {
    const int n = std::max<int>(neload, static_cast<int>(recs.size()));
    kv::ctl(kv::kNELOAD) = n;
    kv::ctl(kv::kElemLoad1) = static_cast<std::int32_t>(take(5 * static_cast<std::int64_t>(n)));
    kv::ctl(kv::kElemLoad2) = static_cast<std::int32_t>(take(12 * static_cast<std::int64_t>(n)));
    for (std::size_t r = 0; r < recs.size(); ++r) {
      const std::int64_t pi = kv::ctl(kv::kElemLoad1) + 5 * static_cast<std::int64_t>(r);
      const std::int64_t pr = kv::ctl(kv::kElemLoad2) + 12 * static_cast<std::int64_t>(r);
      const LoadRecord& l = recs[r];
      kv::izm(pi) = l.load;
      kv::izm(pi + 1) = l.elem;
      kv::izm(pi + 2) = l.gen;
      kv::izm(pi + 3) = l.inc;
      kv::izm(pi + 4) = l.code;
      for (std::size_t k = 0; k < l.values.size(); ++k) kv::rzm(pr + static_cast<std::int64_t>(k)) = l.values[k];
    }
    kv::ctl(kv::kElementLoadWord) = static_cast<std::int32_t>(recs.size());
  }

  // Record word k of element n.
  std::int64_t record(int n) const { return kv::izm(kv::ctl(kv::kELETAB) + n); }
  int iword(int n, int k) const { return kv::izm(record(n) + k); }
  float rword(int n, int k) const { return kv::rzm(record(n) + k); }

  // The element matrix (stiffness, or geometric stiffness with geom) of
  // element n expanded over the global equations: K[(r-1)*neq + (c-1)].
  std::vector<float> global_matrix(int n, bool geom = false) {
    const elements::EleCall c = option(elements::kEleGeom, n);
    const int neq = kv::ctl(kv::kNEQ);
    const int order = geom ? c.kgdof : c.nd;
    const std::int64_t a = geom ? kv::ctl(kv::kIZKG) : kv::ctl(kv::kIZKE);
    const std::int64_t lm = geom ? kv::ctl(kv::kIZLMKG) : kv::ctl(kv::kIZLM);
    std::vector<float> k(static_cast<std::size_t>(neq) * neq, 0.0f);
    const auto& np = kv::titles().np;
    for (int j = 1; j <= order; ++j)
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

  std::string unit6() {
    fio::flush(6);
    return kvtest::read_file(dir_ / "unit6.out");
  }

  std::filesystem::path dir_;
  model::NodeTables nt_;
  std::vector<elements::EleCall> checks_;
  std::vector<std::string> labels_;
};

// Relative closeness for single-precision results.
inline ::testing::AssertionResult near_rel(float actual, double expected, double rel = 2e-5,
                                           double abs_floor = 1e-6) {
  const double tol = std::max(std::abs(expected) * rel, abs_floor);
  if (std::abs(actual - expected) <= tol) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual << " is not within " << tol << " of " << expected;
}

}  // namespace btest
