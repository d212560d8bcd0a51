// REA_CTN: the algebra between the restrained equations and the rest of the
// structure, and the report of the restraint reactions.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/node_tables.h"
#include "base/work_array.h"

namespace solutions {

enum ReactionOption : int {
  kSupportDisplacementLoads = 1,  // R(solved) -= K(solved, restrained) * D(restrained)
  kFormReactions = 2,             // R(restrained) += K(restrained, all) * D * factor
  kReactionReport = 3,            // GCS and JCS reaction tables per column; RSUM out
  kReactionEnvelope = 4,          // the same tables for one envelope column; RSUM in
};

// Equations l1..l2 are solved, l3..last restrained or eliminated.
struct EquationRanges {
  int l1 = 1;
  int l2 = 0;
  int l3 = 1;
  int last = 0;
};

// A symmetric matrix in skyline storage: a points at the term stored at
// position 1, mdiag at MDIAG(1) (N + 1 diagonal addresses).
struct SkylineView {
  const kv::SkyReal* a = nullptr;
  const std::int32_t* mdiag = nullptr;
};

// The model data the reports read.
struct ReportModel {
  base::NodeTables nodes;
  int nnode = 0;
  int ncos = 0;
};

// The nodes that report reactions for the equations l2+1..last of eq (those
// not a constraint), in node order, each with the equation of its DOF 1..6
// (0: none reported there), its joint axes and its coordinates. Built once
// for a solution's ranges (the node tables do not change during it), it
// spares the reports the walk of every node and DOF; a table built for
// other ranges or other node tables is not used.
struct ReactionNode {
  int n = 0;
  std::array<int, 6> e{};
  std::array<float, 9> axes{};  // component g of joint axis j at 3 (j - 1) + (g - 1)
  std::array<float, 3> xyz{};   // the node's coordinates
};
struct ReactionNodes {
  int l2 = 0;
  int last = 0;
  std::int64_t p_id = 0;
  int nnode = 0;
  std::vector<ReactionNode> nodes;
  bool fits(const EquationRanges& eq, const ReportModel& m) const {
    return eq.l2 == l2 && eq.last == last && m.nodes.p_id == p_id && m.nnode == nnode;
  }
};
ReactionNodes reaction_nodes(const ReportModel& m, const EquationRanges& eq);

// REA_CTN. r and d point at R(1, 1) and D(1, 1), columns of ldr rows, nlc
// columns; they may be the same table (option 1 is called so). lprt: options
// 1 and 2 print their result table, options 3 and 4 print at all. page: a page
// header before each column's tables. rsum: written by option 3 (the resultant
// of the last column, moments about the global origin), read by option 4.
// table: the reporting nodes of eq when the caller keeps them (options 3, 4).
void rea_ctn(int iopt, bool lprt, const EquationRanges& eq, float* r, const float* d, int ldr, int nlc,
             SkylineView k, float factor, const ReportModel& m, std::string_view label, bool page,
             std::array<float, 6>& rsum, const ReactionNodes* table = nullptr);

}  // namespace solutions
