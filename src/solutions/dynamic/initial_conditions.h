// INITCD: the initial conditions of a time history. The solution either
// starts from the displaced shape of the last static elastic solution (the
// statics case of STCASE) or from displacements, velocities, accelerations and
// loads given node by node; every equation that starts with a non-zero value
// is printed.
#pragma once

#include "base/node_tables.h"

namespace solutions {

// Reads ISTAT (kept in STCASE) and, unless it is 1, the node records up to a
// record with a node ID of 0 or below or a component holding "END". u, v, a, p
// point at entry 1 of UTOTAL, VTOTAL, ATOTAL, PTOTAL (neq reals each); with
// ISTAT = 1 they become the static displacements and zeros, otherwise only the
// values the records give are replaced. Reads unit 5, writes unit 6.
void initcd(int neq, const base::NodeTables& nodes, int nnode, float* u, float* v, float* a, float* p);

}  // namespace solutions
