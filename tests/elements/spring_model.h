// The spring (type 2) and the strut and brace element (type 8) on the shared
// element fixture: material sets with their PROP words written directly, one
// element record at a time, and the unbalanced-force vector of the state
// determination.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "elements/element_model.h"

namespace stest {

using etest::CosineSet;
using etest::count_of;
using etest::kIdentitySet;
using etest::near_rel;
using etest::Node;

// RINPUT(1..10) of a spring or brace record.
struct SpringInput {
  float set = 1, node_i = 0, node_j = 0, ktype = 1, length = 0;
  float vy_x = 0, vy_y = 1, vy_z = 0, ds = 0, de = 0;
};

class SpringModel : public etest::ElementModel {
 protected:
  SpringModel() : ElementModel("spring") {}

  // Node tables (ascending IDs) with the cosine sets, neq equations; then
  // room for up to 8 material sets and 16 elements.
  void nodes(const std::vector<Node>& list, int neq, const std::vector<CosineSet>& sets = {kIdentitySet}) {
    ElementModel::nodes(list, neq, sets);
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
    material_record(set, type, prop.data(), prop.size(), static_cast<std::int64_t>(prop.size()) + 1);
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
    return lay_record(n, type, kRecordWords, rin.data(), labels_.back(), ltype_check_);
  }

  // The displacement table (word 54, NEQ x NLC) and the unbalanced-force
  // vector (word 65), zeroed; the structure elastic or not.
  void solution(int nlc, bool elastic) {
    kv::set_ctl_logical(kv::kELASTC, elastic);
    solution_tables(nlc);
    const int neq = kv::ctl(kv::kNEQ);
    kv::ctl(kv::kSolVector65) = static_cast<std::int32_t>(take(neq));
    kv::zero_words(kv::ctl(kv::kUTOTAL), static_cast<std::int64_t>(neq) * nlc * 2 + neq);
  }
  float unbalanced(int eq) { return kv::rzm(kv::ctl(kv::kSolVector65) + eq - 1); }
  // Displacement increments of one step: the table holds them, zero elsewhere.
  void step(const std::vector<std::pair<int, float>>& increments) {
    for (int eq = 1; eq <= kv::ctl(kv::kNEQ); ++eq) disp(eq) = 0.0f;
    for (const auto& [eq, u] : increments) disp(eq) = u;
  }

  // 1-based views of element n's state halves.
  float* committed(int n) const { return kv::rptr(record(n) + 55) - 1; }
  float* trial(int n) const { return kv::rptr(record(n) + 55 + iword(n, 12) / 2) - 1; }

  // The element stiffness of element n expanded over the global equations.
  std::vector<float> global_matrix(int n) { return expanded_matrix<float>(n, elements::kEleGeom); }
  std::vector<int> lm(int n) { return location(n, elements::kEleGeom); }

  // What unit 6 received since the last take.
  std::string take6() {
    const std::string all = unit6();
    std::string fresh = all.substr(std::min(seen_, all.size()));
    seen_ = all.size();
    return fresh;
  }

  static constexpr int kRecordWords = 133;
  static constexpr int kMaxSets = 8;
  static constexpr int kMaxElements = 16;

  std::int64_t matptr_ = 0;
  std::int64_t eletab_ = 0;
  int nmat_ = 0;
  int nelem_ = 0;
  int ltype_check_ = 0;
  std::size_t seen_ = 0;
};

}  // namespace stest
