// The element library's own element types. Types of other libraries (the
// inelastic beam-columns and walls, the stability element) are registered by
// their own registration calls from main.
#include "elements/beam3d.h"
#include "elements/brace_element.h"
#include "elements/eledsp.h"
#include "elements/hinge_beam.h"
#include "elements/inelastic/ie3dbeam.h"
#include "elements/plate.h"
#include "elements/point_element.h"
#include "elements/spring.h"

namespace elements {

void register_builtin_elements() {
  register_element(1, ele01);
  register_element(2, ele02);
  register_element(8, ele08);
  register_element(9, ele09);
  register_element(11, ele11);
  register_element(16, ele16);
  register_element(20, ele20);
}

}  // namespace elements
