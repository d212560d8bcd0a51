// The member library's entry into the dispatchers' tables: the section
// families' set types (material drivers and the stability element's limit
// events). Called once from main.
#pragma once

namespace members {

void register_member_types();

}  // namespace members
