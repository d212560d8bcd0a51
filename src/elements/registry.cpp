// The element library's own element types. Types of other libraries (the
// inelastic beam-columns and walls, the stability element) are registered by
// their own registration calls from main.
#include "elements/eledsp.h"

namespace elements {

void register_builtin_elements() {
}

}  // namespace elements
