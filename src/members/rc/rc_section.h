// The fibre section of a reinforced-concrete segment.
#pragma once

#include <span>

namespace members::rc {

// TORRC: torsion constant of the section. A rectangle (LIBN 3) takes its
// larger and smaller half sides from the first two fibre lengths of its mesh;
// every other section is taken as the solid circle of its gross area tota.
float torrc(int libn, float tota, std::span<const float> length);

}  // namespace members::rc
