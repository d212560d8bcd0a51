// The plate and point elements' model on the shared element fixture:
// "PLATE" and "POINT" property sets and their element records, plus the
// helpers their tests read results with.
#pragma once

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "elements/element_model.h"
#include "elements/plate.h"
#include "elements/point_element.h"
#include "materials/plate_point.h"

namespace pptest {

using etest::near_rel;
using etest::Node;

// A property set: its type code and its PROP words.
struct Set {
  int type;
  std::vector<float> prop;
};

using Element = etest::Element;  // type 16 "PLATE" or 20 "POINT"

// Joints 1..n, each with six equations of its own: 6(n-1)+1 .. 6n.
inline std::array<int, 6> own_equations(int n) {
  return {6 * n - 5, 6 * n - 4, 6 * n - 3, 6 * n - 2, 6 * n - 1, 6 * n};
}

class PlatePointModel : public etest::ElementModel {
 protected:
  PlatePointModel() : ElementModel("platepoint") {}

  void SetUp() override {
    ElementModel::SetUp();
    materials::register_material(16, materials::mat16);
    materials::register_material(20, materials::mat20);
    elements::register_element(16, elements::ele16);
    elements::register_element(20, elements::ele20);
  }
  void TearDown() override {
    elements::register_element(16, nullptr);
    elements::register_element(20, nullptr);
    materials::register_material(16, nullptr);
    materials::register_material(20, nullptr);
    ElementModel::TearDown();
  }

  // MATPTR and the sets: type word, then the properties.
  void sets(const std::vector<Set>& list) {
    const int nmat = static_cast<int>(list.size());
    material_table(nmat);
    for (int i = 1; i <= nmat; ++i) {
      const Set& s = list[static_cast<std::size_t>(i - 1)];
      material_record(i, s.type, s.prop.data(), s.prop.size(), 1 + static_cast<std::int64_t>(s.prop.size()));
    }
  }

  // ELETAB and the records.
  void elements(const std::vector<Element>& list) {
    lay_elements(list, [](int type) {
      return type == 16 ? elements::plate::kRecordWords : elements::point::kRecordWords;
    });
  }

  // Element-load tables, the records stored directly (NREAD = their count).
  struct LoadRecord {
    int load, elem, gen, inc, code;
    float w;
  };
  void element_load_records(const std::vector<LoadRecord>& recs) {
    std::vector<ElementModel::LoadRecord> full;
    for (const LoadRecord& l : recs) full.push_back({l.load, l.elem, l.gen, l.inc, l.code, {l.w}});
    ElementModel::element_load_records(full);
  }

  // The element stiffness of element n expanded over the global equations,
  // in double: K[(r-1)*neq + (c-1)].
  std::vector<double> global_matrix(int n) { return expanded_matrix<double>(n, elements::kEleStiff); }
  std::vector<int> lm(int n) { return location(n, elements::kEleStiff); }
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

inline int count(const std::string& text, const std::string& what) { return etest::count_of(text, what); }

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

// The six values of node `node` in every table after `header`, in order.
inline std::vector<std::vector<double>> node_lines(const std::string& out, const std::string& header, int node) {
  std::vector<std::vector<double>> v;
  for (std::size_t at = out.find(header); at != std::string::npos; at = out.find(header, at + 1)) {
    std::istringstream in(out.substr(at, 4000));
    std::string line;
    while (std::getline(in, line)) {
      const std::vector<double> n = numbers_of(line);
      if (n.size() == 7 && n[0] == node) {
        v.emplace_back(n.begin() + 1, n.end());
        break;
      }
    }
  }
  return v;
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
