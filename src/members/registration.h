// The member library's entry into the dispatchers' tables: the steel section
// materials of the stability element. Called once from main.
#pragma once

namespace members {

void register_member_types();

}  // namespace members
