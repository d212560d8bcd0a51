// The descriptor of a section family's set type, as the member library
// registers it: the material type (code, keywords, driver) and the limit
// events its members signal to the stability element. Each family keeps its
// descriptors in its own folder; registration.cpp lists them.
#pragma once

#include <span>
#include <string_view>

#include "elements/stability_element.h"
#include "materials/material_type.h"

namespace members {

using elements::stability::LimitEvent;

struct MemberType {
  materials::MaterialType material;
  std::span<const LimitEvent> events;  // in the order the element tests them
  elements::stability::EnergySplit energy;
};

// Enters the material type and the element's section family of t.
void register_member_type(const MemberType& t);

// Texts more than one family's events print.
inline constexpr std::string_view kFirstYieldText = "REACHES FIRST YIELD, WHICH OCCURRED AT THE FOLLOWING STAGE:";
inline constexpr std::string_view kMnDefinedText = "NOMINAL MOMENT, MN, IS DEFINED AT THE FOLLOWING STAGE:";
inline constexpr std::string_view kPlasticCurvatureText =
    " PLASTIC CURVATURE  REACHES MAXIMUM ALLOWABLE,               PROGRAM CONTINUE";

}  // namespace members
