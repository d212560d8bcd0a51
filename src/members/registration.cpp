#include "members/registration.h"

#include "members/member_type.h"
#include "members/momcurv/mc_family.h"
#include "members/rc/rc_family.h"
#include "members/steel/steel_family.h"

namespace members {

namespace {

// Every section family's set types: a new family adds its descriptors here.
constexpr MemberType kMemberTypes[] = {
    steel::kStability1Member, steel::kStability2Member,
    rc::kConcrete1Member,     rc::kConcrete2Member,
    momcurv::kMomCurv1Member, momcurv::kMomCurv2Member,
};

}  // namespace

void register_member_type(const MemberType& t) {
  materials::register_material(t.material);
  elements::stability::register_section_family({t.material.code, t.events, t.energy});
}

void register_member_types() {
  for (const MemberType& t : kMemberTypes) register_member_type(t);
}

}  // namespace members
