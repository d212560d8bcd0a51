// Node input, restraints, condensation, constraints and equation numbering
// into the node tables (base/node_tables.h).
#pragma once

#include <cstdint>

#include "base/node_tables.h"

namespace model {

// Constraint types of the constraint records.
enum ConstraintType : int {
  kRigidBody = 0,  // "3D-RIGID BODY": FX FY FZ MX MY MZ
  kXYPlane = 1,    // "XY-PLANE": FX FY MZ
};

// NODDOF: reads the node section from unit 5 (nodes, cosine sets, nres
// restraint records, ncond condensation records, ncons constraint records),
// fills the tables, numbers the equations and writes the node report to unit 6.
//   neq, nfree, nrestr   out: total, free, restrained-and-eliminated equations
//   ncond                in: condensation records; out: condensed equations
//   nnode                in: nodes to read; out: distinct nodes read
//   ncos                 in: cosine sets to read; out: sets in the table (sets
//                        beyond the table dimension are dropped; one more when
//                        a node with an undefined set needed the identity set
//                        and none of the sets read was the identity)
//   scale                coordinate factor
//   trace                trace letter A
// Every table word is written (unused positions are 0).
void noddof(int& neq, int& ncond, int& nfree, int& nrestr, int& nnode, int& ncos, float scale,
            int nres, int ncons, bool trace, const base::NodeTables& t);

// RESCOD: the table of node code words. ncode and nodid point at word 1.
void rescod(int nnode, const std::int32_t* ncode, const std::int32_t* nodid);

}  // namespace model
