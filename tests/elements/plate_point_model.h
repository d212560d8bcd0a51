// A small model laid into the work array by hand, as the structure input lays
// it out, for the tests of the plate and point elements: nodes with their
// equations, "PLATE" and "POINT" property sets, element records set up through
// ELEDSP options 9 and 1, and the solution tables the element options read.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "driver/globals.h"
#include "driver/work_array.h"
#include "elements/eledsp.h"
#include "elements/plate.h"
#include "elements/point_element.h"
#include "fio/fio.h"
#include "materials/matdsp.h"
#include "materials/plate_point.h"
#include "model/nodes.h"
#include "support/test_support.h"

namespace pptest {

struct Node {
  int id;
  float x, y, z;
  std::array<int, 6> eq;  // equation of FX FY FZ MX MY MZ, 0 for none
};

// A property set: its type code and its PROP words.
struct Set {
  int type;
  std::vector<float> prop;
};

struct Element {
  int type;                   // 16 "PLATE" or 20 "POINT"
  std::string label;
  std::vector<float> values;  // RINPUT(1..)
};

// Joints 1..n, each with six equations of its own: 6(n-1)+1 .. 6n.
inline std::array<int, 6> own_equations(int n) {
  return {6 * n - 5, 6 * n - 4, 6 * n - 3, 6 * n - 2, 6 * n - 1, 6 * n};
}

class PlatePointModel : public ::testing::Test {
 protected:
  void SetUp() override {
    fio::close_all();
    kv::reset_globals();
    kv::zero_words(1, 1 << 20);
    kv::ctl(kv::kIZ) = 1;
    kv::ctl(kv::kNLC) = 1;
    materials::register_builtin_materials();
    materials::register_material(16, materials::mat16);
    materials::register_material(20, materials::mat20);
    elements::register_builtin_elements();
    elements::register_element(16, elements::ele16);
    elements::register_element(20, elements::ele20);
    dir_ = kvtest::fresh_dir("platepoint");
    ASSERT_TRUE(fio::open(6, (dir_ / "unit6.out").string()));
  }
  void TearDown() override {
    elements::register_element(16, nullptr);
    elements::register_element(20, nullptr);
    materials::register_material(16, nullptr);
    materials::register_material(20, nullptr);
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

  // MATPTR and the sets: type word, then the properties.
  void sets(const std::vector<Set>& list) {
    const int nmat = static_cast<int>(list.size());
    kv::ctl(kv::kNMAT) = nmat;
    const std::int64_t matptr = take(nmat + 1);
    kv::ctl(kv::kMATPTR) = static_cast<std::int32_t>(matptr);
    kv::izm(matptr) = nmat;
    for (int i = 1; i <= nmat; ++i) {
      const Set& s = list[static_cast<std::size_t>(i - 1)];
      const std::int64_t rec = take(1 + static_cast<std::int64_t>(s.prop.size()));
      kv::izm(matptr + i) = static_cast<std::int32_t>(rec);
      kv::izm(rec) = s.type;
      for (std::size_t k = 0; k < s.prop.size(); ++k) kv::rzm(rec + 1 + static_cast<std::int64_t>(k)) = s.prop[k];
    }
  }

  // ELETAB and the records, each through options 9 and 1 as the structure
  // input does; the option-1 calls are kept in checks_.
  void elements(const std::vector<Element>& list) {
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
      const int nwords = e.type == 16 ? elements::plate::kRecordWords : elements::point::kRecordWords;
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
  elements::EleCall option(int iopt, int n, bool lecho = false, int* ltype = nullptr) {
    elements::EleCall c;
    c.iopt = iopt;
    c.ielno = n;
    c.lecho = lecho;
    c.idisp = kv::ctl(54);
    c.iload = kv::ctl(53);
    int own = 0;
    elements::eledsp(c, ltype != nullptr ? *ltype : own, 0);
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

  // Element-load tables, the records stored directly (NREAD = their count).
  struct LoadRecord {
    int load, elem, gen, inc, code;
    float w;
  };
  void element_load_records(const std::vector<LoadRecord>& recs) {
    const int n = static_cast<int>(recs.size());
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
      kv::rzm(pr) = l.w;
    }
    kv::ctl(kv::kElementLoadWord) = n;
  }

  // Record word k of element n.
  std::int64_t record(int n) const { return kv::izm(kv::ctl(kv::kELETAB) + n); }
  int iword(int n, int k) const { return kv::izm(record(n) + k); }
  float rword(int n, int k) const { return kv::rzm(record(n) + k); }

  // The element stiffness of element n expanded over the global equations,
  // in double: K[(r-1)*neq + (c-1)].
  std::vector<double> global_matrix(int n) {
    const elements::EleCall c = option(elements::kEleStiff, n);
    const int neq = kv::ctl(kv::kNEQ);
    const std::int64_t a = kv::ctl(kv::kIZKE);
    const std::int64_t lm = kv::ctl(kv::kIZLM);
    std::vector<double> k(static_cast<std::size_t>(neq) * neq, 0.0);
    const auto& np = kv::titles().np;
    for (int j = 1; j <= c.nd; ++j)
      for (int i = 1; i <= j; ++i) {
        const double v = kv::rzm(a + np[static_cast<std::size_t>(j)] + j - i - 1);
        const int r = kv::izm(lm + i - 1);
        const int cc = kv::izm(lm + j - 1);
        if (r <= 0 || cc <= 0) continue;
        k[static_cast<std::size_t>((r - 1) * neq + cc - 1)] += v;
        if (i != j) k[static_cast<std::size_t>((cc - 1) * neq + r - 1)] += v;
      }
    return k;
  }

  std::vector<int> lm(int n) {
    const elements::EleCall c = option(elements::kEleStiff, n);
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

// Solves the dense system a x = b (n x n, row by row) by Gauss elimination
// with partial pivoting, in double.
inline std::vector<double> solve(std::vector<double> a, std::vector<double> b) {
  const std::size_t n = b.size();
  for (std::size_t k = 0; k < n; ++k) {
    std::size_t piv = k;
    for (std::size_t i = k + 1; i < n; ++i)
      if (std::fabs(a[i * n + k]) > std::fabs(a[piv * n + k])) piv = i;
    for (std::size_t j = 0; j < n; ++j) std::swap(a[k * n + j], a[piv * n + j]);
    std::swap(b[k], b[piv]);
    for (std::size_t i = k + 1; i < n; ++i) {
      const double f = a[i * n + k] / a[k * n + k];
      for (std::size_t j = k; j < n; ++j) a[i * n + j] -= f * a[k * n + j];
      b[i] -= f * b[k];
    }
  }
  std::vector<double> x(n);
  for (std::size_t i = n; i-- > 0;) {
    double s = b[i];
    for (std::size_t j = i + 1; j < n; ++j) s -= a[i * n + j] * x[j];
    x[i] = s / a[i * n + i];
  }
  return x;
}

// Relative closeness for single-precision results.
inline ::testing::AssertionResult near_rel(double actual, double expected, double rel = 2e-5,
                                           double abs_floor = 1e-6) {
  const double tol = std::max(std::abs(expected) * rel, abs_floor);
  if (std::abs(actual - expected) <= tol) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual << " is not within " << tol << " of " << expected;
}

inline int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
  return n;
}

// The numbers of a report line ("1.5E-03" and the like; words are passed over).
inline std::vector<double> numbers_of(const std::string& line) {
  std::vector<double> v;
  std::istringstream in(line);
  std::string item;
  while (in >> item) {
    try {
      std::size_t used = 0;
      const double x = std::stod(item, &used);
      if (used == item.size()) v.push_back(x);
    } catch (...) {
    }
  }
  return v;
}

// The six values of node `node` in the first table after `header`.
inline std::vector<double> node_values(const std::string& out, const std::string& header, int node) {
  const std::size_t at = out.find(header);
  if (at == std::string::npos) return {};
  std::istringstream in(out.substr(at));
  std::string line;
  while (std::getline(in, line)) {
    const std::vector<double> v = numbers_of(line);
    if (v.size() == 7 && v[0] == node) return {v.begin() + 1, v.end()};
  }
  return {};
}

// Runs a deck of tests/cases. The caller skips its checks while the program
// does not know the element or its material yet (their registration lines
// are not in the executable).
inline kvtest::RunResult run_case(const std::string& name) {
  return kvtest::run_deck(kvtest::read_file(kvtest::case_path(name)), name.substr(0, name.find('.')));
}
inline bool types_missing(const kvtest::RunResult& r) {
  return r.output.find("IS NOT AVAILABLE") != std::string::npos;
}

}  // namespace pptest
