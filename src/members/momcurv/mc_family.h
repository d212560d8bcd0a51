// The moment-curvature section family's set types, "MOMCURVA1" and
// "MOMCURVA2", and the limit events their members signal.
#pragma once

#include <array>

#include "members/member_type.h"
#include "members/momcurv/mc_section_driver.h"
#include "members/momcurv/mc_section_head.h"

namespace members::momcurv {

inline constexpr std::array<LimitEvent, 2> kMomentCurvatureEvents{{
    {10.0f, true, 3, kPlasticCurvatureText, "", 10.1f, false},
    {3.0f, false, 2, " CURVATURE REACHES NOMINAL CURVATURE AT WHICH ", kMnDefinedText, 4.0f, true},
}};

// The moment-curvature members split their work by the default rule.
inline constexpr MemberType kMomCurv1Member{
    {.code = kSingleSectionType, .keywords = {"MOMCURVA1"}, .driver = mat18, .section = true},
    kMomentCurvatureEvents, {}};
inline constexpr MemberType kMomCurv2Member{
    {.code = kNodalEndType, .keywords = {"MOMCURVA2"}, .driver = mat180, .section = true},
    kMomentCurvatureEvents, {}};

}  // namespace members::momcurv
