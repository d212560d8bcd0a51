// STRINP: reads the structure section of the input file (unit 5) and lays the
// model out in the work array.
#pragma once

namespace model {

void strinp();

}  // namespace model
