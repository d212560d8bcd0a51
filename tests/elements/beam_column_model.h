// A column of the inelastic beam-column family laid by hand: two nodes 100
// apart along Z, both free (equations 1-12), with the IA_BILN sets the tests
// give it, and one element on it.
#pragma once

#include <array>
#include <string>
#include <utility>

#include "elements/element_model.h"
#include "elements/inelastic/beam_column.h"
#include "materials/ia_biln.h"

namespace bctest {

// An IA_BILN set's PROP words: ELAS (the interaction code), SP = 0.05, E, TI, MP.
inline std::array<float, 59> ia_biln_prop(float code, float e, float ti, float mp) {
  std::array<float, 59> p{};
  p[0] = code;
  p[1] = 0.05f;
  p[2] = e;
  p[3] = ti;
  p[4] = mp;
  return p;
}

class ColumnModel : public etest::ElementModel {
 protected:
  explicit ColumnModel(std::string dir_name) : ElementModel(std::move(dir_name)) {}
  void SetUp() override {
    ElementModel::SetUp();
    nodes({{1, 0, 0, 0, {1, 2, 3, 4, 5, 6}}, {2, 0, 0, 100, {7, 8, 9, 10, 11, 12}}}, 12);
  }
  static void ia_biln_set(int set, float code, float e, float ti, float mp) {
    const auto p = ia_biln_prop(code, e, ti, mp);
    material_record(set, materials::kIaBilnType.code, p.data(), p.size(), 60);
  }
  // Set 5: the elastic axial and torsion set (EA = 3.0E10, capacity 1.0E10).
  static void axial_set() { ia_biln_set(5, 0.0f, 3.0e7f, 1000.0f, 1.0e10f); }
  // Sets 1-4 of IA_BILN with the given codes (EI = 3.0E9, MP = 1.0E6) and set 5.
  static void sets(const std::array<float, 4>& codes) {
    material_table(5);
    for (int s = 1; s <= 4; ++s) ia_biln_set(s, codes[static_cast<std::size_t>(s - 1)], 3.0e7f, 100.0f, 1.0e6f);
    axial_set();
  }
  // One element of the type on the column: sets 1-4 on MY-A, MY-B, MZ-A,
  // MZ-B, set 5 on MX, fx_set on FX, VY along global Y.
  void column(int type, int nwords, int fx_set = 5) {
    lay_elements({{type, "C", {1, 2, 3, 4, 5, static_cast<float>(fx_set), 1, 2, 0, 1, 0, 0, 0, 0}}},
                 [nwords](int) { return nwords; });
  }
  // The initial IAFAG of the column of a fresh model whose sets 1-4 have the
  // interaction codes given.
  int initial_iafag(int type, int nwords, const std::array<float, 4>& codes) {
    SetUp();
    sets(codes);
    column(type, nwords);
    const int iafag = iword(1, elements::beam_column::kIafag);
    TearDown();
    return iafag;
  }
};

}  // namespace bctest
