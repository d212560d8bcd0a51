// The steel section family's set types, "STABILITY1" and "STABILITY2", and
// the limit events their members signal.
#pragma once

#include <array>

#include "members/member_type.h"
#include "members/steel/stability1_material.h"
#include "members/steel/stability2_material.h"

namespace members::steel {

inline constexpr LimitEvent kBuckled{5.0f, true, 3, " BUCKLED", "", 5.1f, false};
inline constexpr LimitEvent kFirstYield{1.0f, false, 1, kFirstYieldText, "", 2.0f, false};
inline constexpr LimitEvent kNominalMoment{3.0f, false, 2, "REACHES NOMINAL MOMENT, AT WHICH ",
                                           "MN IS DEFINED AT THE FOLLOWING STAGE:", 4.0f, true};
// The box local-buckling check of the nodal-end sections also leaves 2.0
// and 4.0, the twins of 1.0 and 3.0 on the other side of the box. Their rows
// come first, so that a code retired to 2.0 or 4.0 is not taken for a new
// case in the same commit.
inline constexpr LimitEvent kBoxFirstYield{2.0f, false, 1, kFirstYieldText, "", 2.0f, false};
inline constexpr LimitEvent kBoxNominalMoment{4.0f, false, 2, "REACHES NOMINAL MOMENT, AT WHICH ",
                                              "MN IS DEFINED AT THE FOLLOWING STAGE:", 4.0f, true};

inline constexpr std::array<LimitEvent, 3> kStability1Events{kBuckled, kFirstYield, kNominalMoment};
inline constexpr std::array<LimitEvent, 5> kStability2Events{kBuckled, kBoxFirstYield, kBoxNominalMoment,
                                                             kFirstYield, kNominalMoment};

// A steel member's first limit code is its first yield (or its buckling):
// elastic up to it.
inline constexpr elements::stability::EnergySplit kSteelEnergy{.elastic_until_limit = true};
inline constexpr MemberType kStability1Member{kStability1Type, kStability1Events, kSteelEnergy};
inline constexpr MemberType kStability2Member{kStability2Type, kStability2Events, kSteelEnergy};

}  // namespace members::steel
