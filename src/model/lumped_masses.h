// Lumped node masses (LUMPMS): read and echo the records, widen the mass
// profile (option 1), assemble the node masses into the global mass (option 2).
#pragma once

#include <cstdint>

namespace model {

// iopt 1: read up to `announced` records (12 reals each) into the table at
// ZMATRX index lumrec, echo them, set nmass and widen the mass profile whose
// tops are at mdiag. iopt 2: add the nmass node masses, each transformed to its
// master through the node's rigid offsets, into the skyline values at `values`
// (diagonal addresses at mdiag). With trace every node mass is printed.
void lumpms(int iopt, int announced, int& nmass, std::int64_t lumrec, std::int64_t mdiag,
            std::int64_t values, bool trace);

}  // namespace model
