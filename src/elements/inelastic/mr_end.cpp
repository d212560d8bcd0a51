#include "elements/inelastic/mr_end.h"

#include "elements/inelastic/beam_column_element.h"

namespace elements {

void ele10(EleCall& c) {
  beam_column::run_option(c, beam_column::Member{c.p, mr_end::kLayout}, "INVALID OPTION IN ELE-10, IOPT=");
}

}  // namespace elements
