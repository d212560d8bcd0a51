// The reinforced-concrete section family's set types, "R/CONCRETE1" and
// "R/CONCRETE2", and the limit events their members signal.
#pragma once

#include <array>

#include "members/member_type.h"
#include "members/rc/rc_member_record.h"
#include "members/rc/rc_section_driver.h"

namespace members::rc {

inline constexpr std::array<LimitEvent, 10> kConcreteEvents{{
    {5.0f, true, 3, " EXTREME FIBER REACHES ULTIMATE COMPRESSION STRAIN,                PROGRAM CONTINUE", "",
     5.1f, false},
    {6.0f, true, 4, " LONG REBAR BUCKLED. PROGRAM CONTINUE", "", 6.1f, false},
    {7.0f, true, 3, " LONG. REBARREACHES ULTIMATE TENSION STRAIN OF 0.09,            PROGRAM CONTINUE", "", 7.5f,
     false},
    {8.0f, true, 3, " AVERAGE COMP. STRAIN REACHES ULTIMATE,                PROGRAM CONTINUE", "", 9.0f, false},
    {10.0f, true, 3, kPlasticCurvatureText, "", 10.1f, false},
    {11.0f, true, 5, " LAP SPLICE. FAILURE OCCURRED, PROGRAM CONTINUE", "", 11.1f, false},
    {12.0f, true, 6, " LOW CYCLE FATIGUE OCCURRED, PROGRAM CONTINUE", "", 12.1f, false},
    {1.0f, false, 1, kFirstYieldText, "", 2.0f, false},
    {3.0f, false, 2, " EXTREME FIBER REACHES COMPRESSION STRAIN OF 0.004, AT WHICH ", kMnDefinedText, 4.0f, true},
    {3.5f, false, 2, " TENSION REBARREACHES TENSILE STRAIN OF 0.015, AT WHICH ", kMnDefinedText, 4.0f, true},
}};

// A member is elastic up to its first limit code, and a cracked member
// closes its cracks as it unloads: the energy of its cracked stiffness is
// elastic.
inline constexpr elements::stability::EnergySplit kConcreteEnergy{.elastic_until_limit = true, .complementary = true};
inline constexpr MemberType kConcrete1Member{
    {.code = kSingleSectionType, .keywords = {"R/CONCRETE1"}, .driver = mat17, .section = true}, kConcreteEvents,
    kConcreteEnergy};
inline constexpr MemberType kConcrete2Member{
    {.code = kNodalEndType, .keywords = {"R/CONCRETE2"}, .driver = mat170, .section = true}, kConcreteEvents,
    kConcreteEnergy};

}  // namespace members::rc
