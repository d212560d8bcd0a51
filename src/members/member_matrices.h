// Small matrix routines of the segmented member: the trace printer MATPRT,
// the gathering of segment end forces into the member's internal force vector
// (ASMSEG), and the copy of a trailing block of a skyline matrix into a full
// one (HBFULL).
#pragma once

#include <cstdint>

#include "members/member_views.h"

namespace members {

// MATPRT: rows 1..nrow of A (column by column, leading dimension lda), ncol
// values a row, six to a line, then a line of 53 hyphens.
void matprt(const float* a, int nrow, int ncol, int lda);

// The segment DOF table of a member of nseg segments (at most kMaxSegments):
// interior nodes first, end A then end B last.
struct DofTable {
  int nseg = 0;
  std::int32_t idof[kMaxSegments][12]{};  // idof[i-1][k-1]
  int operator()(int i, int k) const { return idof[i - 1][k - 1]; }
};
DofTable member_dof_table(int nseg);

// ASMSEG: fint(1..ndof) := the sum of the segments' member-axis end forces
// fglo (N x 12) placed through the DOF table.
void asmseg(float* fint, int ndof, const SegTable& fglo, const DofTable& dof);

// HBFULL: the block l1..l2 of the skyline matrix (a, md: 1-based values and
// diagonal addresses, as GAUSS takes them) into the full symmetric matrix f of
// leading dimension ldf; terms above a column's stored top are not written.
void hbfull(const float* a, const std::int32_t* md, int l1, int l2, float* f, int ldf, int nsky,
            bool trace);

}  // namespace members
