#include "solutions/dynamic/histry.h"

namespace solutions {

void histry(int /*iopt*/, int& /*n*/, float& /*t0*/, float& /*dt*/) {}

}  // namespace solutions
