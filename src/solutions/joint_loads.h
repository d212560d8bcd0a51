// JLOADS: the joint loads of a static solution, read from the input file into
// the caller's load table, with support displacements on restrained equations.
#pragma once

#include "base/node_tables.h"

namespace solutions {

struct JointLoadModel {
  base::NodeTables nodes;
  int nnode = 0;
  int neq = 0;
  int nlc = 0;
  int l2 = 0;  // last solved equation: rows above it hold prescribed displacements
};

// Reads joint-load records from unit 5 up to the one whose direction word
// holds "END", adds each magnitude into r (R(1, 1) of a table of neq rows and
// nlc columns, zeroed by the caller) and echoes it under "APPLIED JOINT
// LOADS". trace prints the assembled table (trace letter D); page puts a page
// header before the tables. The caller gets back whether any accepted record
// landed on a restrained equation (a support displacement).
bool jloads(bool trace, const JointLoadModel& m, float* r, bool page);

}  // namespace solutions
