// The pieces of a two-joint beam-column that the elastic beams (types 1, 11)
// and the inelastic beam-columns share: the 12x12 working matrices, the
// transformation of local end actions to joint actions, its congruence, the
// packing of an element matrix over its location vector, the local geometric
// stiffness for a unit axial load, the end axes and the KGDATA record.
// Internal to the element library.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/kgdata.h"

namespace elements::frame {

// 12x12 working matrices, column by column: (i, j) at (i-1) + 12(j-1).
using Mat12 = std::array<float, 144>;
using Vec12 = std::array<float, 12>;
inline float& at(Mat12& m, int i, int j) { return m[static_cast<std::size_t>((i - 1) + 12 * (j - 1))]; }
inline float at(const Mat12& m, int i, int j) { return m[static_cast<std::size_t>((i - 1) + 12 * (j - 1))]; }
inline void set_sym(Mat12& m, int i, int j, float v) {
  at(m, i, j) = v;
  at(m, j, i) = v;
}

// The KGDATA record (CONTRL word 50): ACCEL and the three options.
using kv::KgData;
using kv::kgdata;

// T = [[CTS, 0, 0, 0], [BS, CTS, 0, 0], [0, 0, CTE, 0], [0, 0, BE, CTE]] from
// the four 3x3 blocks (column by column): joint actions = T * local actions,
// local displacements = T' * joint displacements.
void transformation(const float* cts, const float* bs, const float* cte, const float* be, Mat12& t);

// out = T * A * T' (first W = A * T', then T * W).
void congruence(const Mat12& t, const Mat12& a, Mat12& out);

// u = T' * g (joint displacements g to local ones u).
void to_local(const Mat12& t, const float* g, float* u);
// g = T * u (local end actions u to joint actions g).
void to_joints(const Mat12& t, const float* u, float* g);
// The same with T read where it is stored (144 values, by columns).
void to_local(const float* t, const float* g, float* u);
void to_joints(const float* t, const float* u, float* g);

// The local geometric stiffness for a unit axial load (compression positive)
// of a member of clear length l: form 1 lumped, 2 consistent, any other zero.
// rel holds the end release bits (element_loads.h) of the consistent form.
void local_geometric(int form, float l, int rel, Mat12& g);

// Packs row and column i of m when loc[i] != 0 (and, with positive_diagonal,
// m(i, i) > 0) as a packed upper triangle into ke from term n + 1 on; n counts
// on. The caller gets back the order and the packed entries' loc in lm[0..].
int pack(const Mat12& m, const std::array<std::int32_t, 13>& loc, float* ke, int& n, std::int32_t* lm,
         bool positive_diagonal);

// SKYPRT of a packed matrix of the given order.
void print_packed(const float* ke, int order, std::string_view title);

// True when the member axis (column 1 of CTS and CTE) has a component above
// 1.0E-4 along a joint translation whose equation differs at the two ends
// (node-table positions pi, pj): the member's axial load moves a degree of
// freedom, so it has a geometric stiffness.
bool axis_moves(const float* cts, const float* cte, int pi, int pj);

// The node-table position that each of the 12 element DOFs takes its
// equation from (DOF k of end A: pos[k-1], of end B: pos[5+k]).
using Positions = std::array<int, 12>;

// u (12) = the joint displacements of column lc of the NEQ x NLC table at
// idisp at the element's DOFs; 0.0 where a DOF has no equation.
void gather(const Positions& pos, std::int64_t idisp, int lc, float* u);

// Option 6 of a beam-column: the fixed-end forces q (12 per load case) carried
// to the joints by T and added to every load case of the NEQ x NLC table at
// iload; the traces of letter H.
void add_element_loads(int ielno, const Mat12& t, const float* q, int nlc, std::int64_t iload,
                       const Positions& pos);

// LOCAXS at the end of node-table position pos with the rigid end offset dx
// along the member: vx, vy as locaxs leaves them; ct and b the 3x3 blocks.
// False when the axes cannot be formed (the message is printed).
[[nodiscard]] bool end_axes(std::span<float, 3> vx, std::span<float, 3> vy, int pos, float dx, float* ct, float* b);

// Both ends' axes of a member between positions pa and pb with rigid zones
// sdist at A and edist at B into CTS, BS, CTE, BE. False when the axes
// cannot be formed.
[[nodiscard]] bool member_axes(std::span<float, 3> vx, std::span<float, 3> vy, int pa, int pb, float sdist,
                               float edist, float* cts, float* bs, float* cte, float* be);

// The member between the nodes at positions pa (start) and pb (end) less
// the rigid zones sdist and edist, as the two-joint elements check it: the
// trace letter C line of the joints, the joint-to-joint vector vx, their
// distance and the clear length. A length of 0.0 or less is reported and
// taken as 1.0; joints too far apart for the float range give no length
// (measurable false, length 0.0).
struct ClearLength {
  std::array<float, 3> vx{};
  float dist = 0.0f;
  float length = 0.0f;
  bool measurable = false;
  bool revised = false;  // the distances left no length: taken as 1.0
};
ClearLength clear_length(int ielno, int pa, int pb, float sdist, float edist);

// Trace letter H of a member's geometry: the positions, VX, VY and the length.
void trace_geometry(int pa, int pb, const std::array<float, 3>& vx, const std::array<float, 3>& vy, float length);

// Trace letter H: the four blocks.
void trace_axes(const float* cts, const float* bs, const float* cte, const float* be);

// The line of an element that cannot be formed, between joints ja and jb.
void rejected_line(int ielno, int ja, int jb);

}  // namespace elements::frame
