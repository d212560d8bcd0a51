// A small structural model laid into the work array by hand, the way the
// structure input lays it out, shared by the element tests: node tables with
// their equations and cosine sets, element records set up through ELEDSP
// options 9 and 1, the solution tables the element options read, element-load
// tables, and read-back of records, matrices and unit 6.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/globals.h"
#include "base/node_tables.h"
#include "base/work_array.h"
#include "elements/eledsp.h"
#include "fio/fio.h"
#include "materials/matdsp.h"
#include "support/test_support.h"

namespace etest {

struct Node {
  int id;
  float x, y, z;
  std::array<int, 6> eq;  // equation of FX FY FZ MX MY MZ, 0 for none
  int cos = 1;            // cosine set
};

// One element of a model laid as a list: its type code, label and RINPUT(1..).
struct Element {
  int type;
  std::string label;
  std::vector<float> values;  // RINPUT(1..)
};

// A cosine set by its three axes (rows: the node's x, y and z axes).
using CosineSet = std::array<std::array<float, 3>, 3>;
inline constexpr CosineSet kIdentitySet{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

class ElementModel : public ::testing::Test {
 protected:
  explicit ElementModel(std::string dir_name) : dir_name_(std::move(dir_name)) {}

  void SetUp() override {
    fio::close_all();
    kv::reset_globals();
    kv::zero_words(1, 1 << 20);
    kv::ctl(kv::kIZ) = 1;
    kv::ctl(kv::kNLC) = 1;
    materials::register_builtin_materials();
    elements::register_builtin_elements();
    dir_ = kvtest::fresh_dir(dir_name_);
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

  // Node tables (ascending IDs) with the cosine sets; neq equations.
  void nodes(const std::vector<Node>& list, int neq, const std::vector<CosineSet>& sets = {kIdentitySet}) {
    const int n = static_cast<int>(list.size());
    kv::ctl(kv::kNNDIM) = n;
    kv::ctl(kv::kNNODE) = n;
    kv::ctl(kv::kNCOS) = static_cast<int>(sets.size());
    kv::ctl(kv::kNEQ) = neq;
    nt_ = base::reserve_node_tables(n);
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
  }

  // MATPTR for nmat sets, NMAT = nmat.
  static std::int64_t material_table(int nmat) {
    kv::ctl(kv::kNMAT) = nmat;
    const std::int64_t matptr = take(nmat + 1);
    kv::ctl(kv::kMATPTR) = static_cast<std::int32_t>(matptr);
    kv::izm(matptr) = nmat;
    return matptr;
  }
  // Material set `set`: a record of `words` words at IZ (word 0 of MATPTR's
  // entry), its type code, then its PROP words.
  static void material_record(int set, int type, const float* prop, std::size_t nprop, std::int64_t words) {
    const std::int64_t matptr = kv::ctl(kv::kMATPTR);
    const std::int64_t rec = take(words);
    kv::izm(matptr + set) = static_cast<std::int32_t>(rec);
    kv::izm(rec) = type;
    for (std::size_t k = 0; k < nprop; ++k) kv::rzm(rec + 1 + static_cast<std::int64_t>(k)) = prop[k];
  }

  // The KGDATA record at IZ: ACCEL 0.0, then the load source, formulation and use.
  static void kgdata(int source, int form, int use) {
    const std::int64_t k = take(4);
    kv::ctl(kv::kKGDATARecord) = static_cast<std::int32_t>(k);
    kv::rzm(k) = 0.0f;
    kv::izm(k + 1) = source;
    kv::izm(k + 2) = form;
    kv::izm(k + 3) = use;
  }

  // Element n's record at IZ (word n of ELETAB points at it) through options
  // 9 and 1 as the structure input makes it: nwords fixed words, then the
  // state words option 9 asks for; rin is RINPUT (rin[1..]). Returns the
  // option-1 call as it came back; ltype is the previous-type word of option 1.
  static elements::EleCall lay_record(int n, int type, int nwords, const float* rin, std::string_view label,
                                      int& ltype) {
    const std::int64_t eletab = kv::ctl(kv::kELETAB);
    const std::int64_t p = kv::ctl(kv::kIZ);
    kv::izm(eletab + n) = static_cast<std::int32_t>(p);
    kv::zero_words(p, nwords);
    kv::izm(p) = type;
    elements::EleCall c9;
    c9.iopt = elements::kEleNState;
    c9.ielno = n;
    c9.rinput = rin;
    int ltype9 = 0;
    elements::eledsp(c9, ltype9, 0);
    take(nwords + c9.nhyst);
    kv::zero_words(p + nwords, c9.nhyst);
    elements::EleCall c;
    c.iopt = elements::kEleCheck;
    c.ielno = n;
    c.lecho = true;
    c.label = label;
    c.rinput = rin;
    elements::eledsp(c, ltype, 1);
    kv::ctl(kv::kIZ) -= c.nback;
    return c;
  }

  // ELETAB and the records of the list, each through options 9 and 1 as the
  // structure input does (nwords(type) fixed words); the option-1 calls are
  // kept in checks_.
  template <class Words>
  void lay_elements(const std::vector<Element>& list, Words nwords) {
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
      std::array<float, 29> rin{};
      for (std::size_t k = 0; k < e.values.size(); ++k) rin[k + 1] = e.values[k];
      checks_.push_back(
          lay_record(n, e.type, nwords(e.type), rin.data(), labels_[static_cast<std::size_t>(n - 1)], ltype));
    }
  }

  // An option on element n with the solution's tables; ltype is the caller's
  // previous-type word (a loop passes one word through all its calls).
  elements::EleCall option(int iopt, int n, bool lecho = false, int* ltype = nullptr, float r4 = 0.0f) {
    elements::EleCall c;
    c.iopt = iopt;
    c.ielno = n;
    c.lecho = lecho;
    c.r4 = r4;
    c.idisp = kv::ctl(kv::kUTOTAL);
    c.iload = kv::ctl(kv::kPTOTAL);
    int own = 0;
    elements::eledsp(c, ltype != nullptr ? *ltype : own, 0);
    return c;
  }

  // The displacement (word 54) and load (word 53) tables, NEQ x NLC, zeroed.
  void solution_tables(int nlc) {
    kv::ctl(kv::kNLC) = nlc;
    const int neq = kv::ctl(kv::kNEQ);
    kv::ctl(kv::kUTOTAL) = static_cast<std::int32_t>(take(static_cast<std::int64_t>(neq) * nlc));
    kv::ctl(kv::kPTOTAL) = static_cast<std::int32_t>(take(static_cast<std::int64_t>(neq) * nlc));
  }
  kv::RealWord disp(int eq, int lc = 1) {
    return kv::rzm(kv::ctl(kv::kUTOTAL) + static_cast<std::int64_t>(lc - 1) * kv::ctl(kv::kNEQ) + eq - 1);
  }
  kv::RealWord load(int eq, int lc = 1) {
    return kv::rzm(kv::ctl(kv::kPTOTAL) + static_cast<std::int64_t>(lc - 1) * kv::ctl(kv::kNEQ) + eq - 1);
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

  // The element matrix of element n as option iopt leaves it (the stiffness,
  // or the geometric stiffness with geom) expanded over the global equations
  // and summed in T: K[(r-1)*neq + (c-1)].
  template <class T>
  std::vector<T> expanded_matrix(int n, int iopt, bool geom = false) {
    const elements::EleCall c = option(iopt, n);
    const int neq = kv::ctl(kv::kNEQ);
    const int order = geom ? c.kgdof : c.nd;
    const std::int64_t a = geom ? kv::ctl(kv::kIZKG) : kv::ctl(kv::kIZKE);
    const std::int64_t lm = geom ? kv::ctl(kv::kIZLMKG) : kv::ctl(kv::kIZLM);
    std::vector<T> k(static_cast<std::size_t>(neq) * neq, T{0});
    const auto& np = kv::titles().np;
    for (int j = 1; j <= order; ++j)
      for (int i = 1; i <= j; ++i) {
        const T v = kv::rzm(a + np[static_cast<std::size_t>(j)] + j - i - 1);
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

  // The location vector of element n as option iopt leaves it.
  std::vector<int> location(int n, int iopt) {
    const elements::EleCall c = option(iopt, n);
    std::vector<int> v;
    for (int i = 0; i < c.nd; ++i) v.push_back(kv::izm(kv::ctl(kv::kIZLM) + i));
    return v;
  }

  std::string unit6() {
    fio::flush(6);
    return kvtest::read_file(dir_ / "unit6.out");
  }

  std::string dir_name_;
  std::filesystem::path dir_;
  base::NodeTables nt_;
  std::vector<elements::EleCall> checks_;
  std::vector<std::string> labels_;
};

// Relative closeness for single-precision results.
inline ::testing::AssertionResult near_rel(double actual, double expected, double rel = 2e-5,
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

}  // namespace etest
