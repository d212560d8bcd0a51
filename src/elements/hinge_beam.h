// The 3D beam between hinges, type 11 ("HINGE"): the elastic 3D beam whose end
// rotation about the nodal y axis (MY) may sit on a separate hinge joint at
// each end. The beam driver calls the routines below where the two differ.
#pragma once

#include <cstdint>

#include "elements/beam3d.h"

namespace elements {

// ELE11.
void ele11(EleCall& c);

namespace hinge {

// Record words of the node-table positions of the hinge joints of ends I, J.
inline constexpr int kHingePosI = 117;
inline constexpr int kHingePosJ = 118;
// The end degree of freedom that sits on the hinge joint.
inline constexpr int kHingeDof = 5;

// IFIND of the hinge joints (input values 11 and 12) into words 117 and 118.
// The caller gets back false when one of them is not in the node table.
bool find_hinge_joints(std::int64_t p, const float* rinput);

// The node-table position from which end degree of freedom k (1..6) of end
// I (end 0) or J (end 1) takes its equation.
int end_node(std::int64_t p, int end, int k);

// A rigid zone at an end whose MY sits on a hinge joint carries no moment
// about the nodal y axis from the local z force: BS(2, 3) or BE(2, 3) = 0.
void drop_zone_moment(std::int64_t p, float sdist, float edist);

// The location entries 5 and 11 from the hinge joints (loc[1..12]).
void hinge_locations(std::int64_t p, std::int32_t* loc);

// Type-11 texts: the echo heading and line, and the length message.
void echo_heading();
void echo_line(const beam::Echo& e);
void length_message(int ielno, std::int64_t p, float length);

}  // namespace hinge

// Type 11 in the element registry: the beam's words from 117 on, shifted.
inline constexpr ElementType kHingeBeamType{
    .code = beam::kHingeBeam.type, .keyword = "HINGE", .nrinp = beam::kHingeBeam.nvalues,
    .nwords = beam::kBase + beam::kHingeBeam.shift + beam::kMaxTerms, .driver = ele11, .lm = beam::kLM,
    .nhyst = beam::kNHyst + beam::kHingeBeam.shift, .base = beam::kBase + beam::kHingeBeam.shift,
    .lmkg = beam::kLMKG + beam::kHingeBeam.shift, .kg = beam::kNTerms + beam::kHingeBeam.shift,
    .kgdof = beam::kKgdof + beam::kHingeBeam.shift, .element_loads = true, .quiet_ductility = true};

}  // namespace elements
