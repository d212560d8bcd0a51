// The beam elements' model on the shared element fixture: "3D-BEAM"
// sections and the KGDATA record for the tests of the beam elements and the
// element loads.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "elements/element_model.h"

namespace btest {

using etest::near_rel;
using etest::Node;

struct Section {
  float e, g, ax, ay, az, ix, iy, iz;
};

using Element = etest::Element;  // type 1 "3D-BEAM" or 11 "HINGE"

class BeamModel : public etest::ElementModel {
 protected:
  BeamModel() : ElementModel("beam") {}

  // MATPTR and one type-1 set per section; `types` overrides a set's type code.
  void sections(const std::vector<Section>& list, const std::vector<int>& types = {}) {
    const int nmat = static_cast<int>(list.size());
    material_table(nmat);
    for (int i = 1; i <= nmat; ++i) {
      const Section& s = list[static_cast<std::size_t>(i - 1)];
      const int type = types.size() >= static_cast<std::size_t>(i) ? types[static_cast<std::size_t>(i - 1)] : 1;
      const float prop[8] = {s.e, s.g, s.ax, s.ay, s.az, s.ix, s.iy, s.iz};
      material_record(i, type, prop, 8, 15);
    }
  }

  // ELETAB and the records (a KGDATA record first when there is none).
  void elements(const std::vector<Element>& list) {
    if (kv::ctl(kv::kKGDATARecord) == 0) kgdata(0, 0, 0);
    lay_elements(list, [](int type) { return type == 11 ? 439 : 437; });
  }

  // The element matrix (stiffness, or geometric stiffness with geom) of
  // element n expanded over the global equations: K[(r-1)*neq + (c-1)].
  std::vector<float> global_matrix(int n, bool geom = false) {
    return expanded_matrix<float>(n, elements::kEleGeom, geom);
  }
  std::vector<int> lm(int n) { return location(n, elements::kEleGeom); }
};

}  // namespace btest
