#include "elements/beam_frame.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/globals.h"
#include "base/work_array.h"
#include "elements/element_common.h"
#include "elements/element_loads.h"
#include "elements/local_axes.h"
#include "fio/fio.h"
#include "base/matrix_print.h"
#include "base/node_tables.h"

namespace elements::frame {

void transformation(const float* cts, const float* bs, const float* cte, const float* be, Mat12& t) {
  t.fill(0.0f);
  auto block = [&t](int r0, int c0, const float* m) {
    for (int j = 1; j <= 3; ++j)
      for (int i = 1; i <= 3; ++i) at(t, r0 + i - 1, c0 + j - 1) = m[(i - 1) + 3 * (j - 1)];
  };
  block(1, 1, cts);
  block(4, 1, bs);
  block(4, 4, cts);
  block(7, 7, cte);
  block(10, 7, be);
  block(10, 10, cte);
}

void congruence(const Mat12& t, const Mat12& a, Mat12& out) {
  Mat12 wm{};
  for (int j = 1; j <= 12; ++j)
    for (int i = 1; i <= 12; ++i) {
      float s = 0.0f;
      for (int k = 1; k <= 12; ++k) s += at(a, i, k) * at(t, j, k);
      at(wm, i, j) = s;
    }
  for (int j = 1; j <= 12; ++j)
    for (int i = 1; i <= 12; ++i) {
      float s = 0.0f;
      for (int k = 1; k <= 12; ++k) s += at(t, i, k) * at(wm, k, j);
      at(out, i, j) = s;
    }
}

void to_local(const float* t, const float* g, float* u) {
  // Each component summed over k = 0..11 in turn, four side by side: lane r
  // of a block takes the terms of component i + r.
  for (int i = 0; i < 12; i += 4) {
    const float* r0 = t + 12 * i;
    std::array<float, 4> sum{};
    for (int k = 0; k < 12; ++k) {
      const float gk = g[k];
      for (int r = 0; r < 4; ++r) sum[static_cast<std::size_t>(r)] += r0[k + 12 * r] * gk;
    }
    std::copy(sum.begin(), sum.end(), u + i);
  }
}

void to_joints(const float* t, const float* u, float* g) {
  // Each component summed over k = 0..11 in turn, four side by side: lane r
  // of a block takes the terms of component i + r.
  for (int i = 0; i < 12; i += 4) {
    std::array<float, 4> sum{};
    for (int k = 0; k < 12; ++k) {
      const float uk = u[k];
      for (int r = 0; r < 4; ++r) sum[static_cast<std::size_t>(r)] += t[i + r + 12 * k] * uk;
    }
    std::copy(sum.begin(), sum.end(), g + i);
  }
}

void to_local(const Mat12& t, const float* g, float* u) { to_local(t.data(), g, u); }

void to_joints(const Mat12& t, const float* u, float* g) { to_joints(t.data(), u, g); }

namespace {

// Consistent coefficients a-f of one bending plane from the releases of its
// two ends.
struct PlaneKg {
  float a, b, c, d, e, f;
};

PlaneKg plane_kg(bool rel_i, bool rel_j, float l) {
  if (rel_i && rel_j) return {1.0f / l, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  if (rel_j) return {1.2f / l, 0.2f, 0.0f, 0.2f * l, 0.0f, 0.0f};
  if (rel_i) return {1.2f / l, 0.0f, 0.2f, 0.0f, 0.0f, 0.2f * l};
  return {1.2f / l, 0.1f, 0.1f, l * 2.0f / 15.0f, l / 30.0f, l * 2.0f / 15.0f};
}

}  // namespace

void local_geometric(int form, float l, int rel, Mat12& g) {
  g.fill(0.0f);
  if (form == 1) {
    for (int k : {2, 3}) {
      at(g, k, k) = 1.0f / l;
      at(g, k + 6, k + 6) = 1.0f / l;
      set_sym(g, k, k + 6, -1.0f / l);
    }
    return;
  }
  if (form != 2) return;
  const PlaneKg z = plane_kg((rel & kRelMzI) != 0, (rel & kRelMzJ) != 0, l);
  set_sym(g, 2, 2, z.a);
  set_sym(g, 8, 8, z.a);
  set_sym(g, 2, 8, -z.a);
  set_sym(g, 2, 6, z.b);
  set_sym(g, 6, 8, -z.b);
  set_sym(g, 2, 12, z.c);
  set_sym(g, 8, 12, -z.c);
  set_sym(g, 6, 6, z.d);
  set_sym(g, 6, 12, -z.e);
  set_sym(g, 12, 12, z.f);
  const PlaneKg y = plane_kg((rel & kRelMyI) != 0, (rel & kRelMyJ) != 0, l);
  set_sym(g, 3, 3, y.a);
  set_sym(g, 9, 9, y.a);
  set_sym(g, 3, 9, -y.a);
  set_sym(g, 3, 5, -y.b);
  set_sym(g, 5, 9, y.b);
  set_sym(g, 3, 11, -y.c);
  set_sym(g, 9, 11, y.c);
  set_sym(g, 5, 5, y.d);
  set_sym(g, 5, 11, -y.e);
  set_sym(g, 11, 11, y.f);
}

int pack(const Mat12& m, const std::array<std::int32_t, 13>& loc, float* ke, int& n, std::int32_t* lm,
         bool positive_diagonal) {
  std::array<bool, 13> active{};
  for (int i = 1; i <= 12; ++i)
    active[static_cast<std::size_t>(i)] =
        loc[static_cast<std::size_t>(i)] != 0 && (!positive_diagonal || at(m, i, i) > 0.0f);
  int nd = 0;
  for (int i = 1; i <= 12; ++i) {
    if (!active[static_cast<std::size_t>(i)]) continue;
    lm[nd] = loc[static_cast<std::size_t>(i)];
    ++nd;
    for (int j = i; j >= 1; --j) {
      if (!active[static_cast<std::size_t>(j)]) continue;
      ke[n] = at(m, i, j);
      ++n;
    }
  }
  return nd;
}

void print_packed(const float* ke, int order, std::string_view title) {
  base::skyprt(ke, kv::titles().np.data() + 1, order, order * (order + 1) / 2, title);
}

bool axis_moves(const float* cts, const float* cte, int pi, int pj) {
  constexpr float kAxisTolerance = 1.0e-4f;
  const base::NodeTables nt = base::node_tables();
  bool moves = false;
  for (int m = 1; m <= 3; ++m) {
    const bool along = std::fabs(cts[m - 1]) > kAxisTolerance || std::fabs(cte[m - 1]) > kAxisTolerance;
    if (along && nt.id(pi, m) != nt.id(pj, m)) moves = true;
  }
  return moves;
}

void gather(const Positions& pos, std::int64_t idisp, int lc, float* u) {
  const int neq = kv::ctl(kv::kNEQ);
  const base::NodeTables nt = base::node_tables();
  const float* col = kv::rptr(idisp + static_cast<std::int64_t>(lc - 1) * neq) - 1;  // col[eq]
  for (int i = 0; i < 12; ++i) {
    const int eq = nt.id(pos[static_cast<std::size_t>(i)], i % 6 + 1);
    u[i] = eq > 0 && eq <= neq ? col[eq] : 0.0f;
  }
}

void add_element_loads(int ielno, const Mat12& t, const float* q, int nlc, std::int64_t iload,
                       const Positions& pos) {
  const int neq = kv::ctl(kv::kNEQ);
  const base::NodeTables nt = base::node_tables();
  const bool tr = kv::trace('H');
  if (tr) fio::write_list(6, "IELNO", ielno);
  for (int lc = 1; lc <= nlc; ++lc) {
    const float* qc = q + 12 * static_cast<std::int64_t>(lc - 1);
    Vec12 g{};
    to_joints(t, qc, g.data());
    float* col = kv::rptr(iload + static_cast<std::int64_t>(lc - 1) * neq) - 1;  // col[eq]
    for (int i = 0; i < 12; ++i) {
      const int eq = nt.id(pos[static_cast<std::size_t>(i)], i % 6 + 1);
      if (eq > 0 && eq <= neq) col[eq] += g[static_cast<std::size_t>(i)];
    }
    if (tr) {
      base::prtmat(qc, 12, 1, "LOCAL  FIXED END FORCES");
      base::prtmat(g.data(), 12, 1, "GLOBAL FIXED END FORCES");
    }
  }
  if (tr) base::prtmat(kv::rptr(iload), neq, nlc, "GLOBAL LOAD MATRIX");
}

bool end_axes(std::span<float, 3> vx, std::span<float, 3> vy, int pos, float dx, float* ct, float* b) {
  static constexpr std::array<float, 9> kIdentity{1, 0, 0, 0, 1, 0, 0, 0, 1};
  const base::NodeTables nt = base::node_tables();
  const int s = nt.icos(pos);
  const std::span<const float, 9> cosines(s > 0 ? nt.cos_set(s) : kIdentity.data(), 9);
  return locaxs(vx, vy, cosines, std::span<float, 9>(ct, 9), dx, 0.0f, 0.0f, std::span<float, 9>(b, 9),
                nt.tcon_row(pos), kv::ctl(kv::kNNDIM));
}

bool member_axes(std::span<float, 3> vx, std::span<float, 3> vy, int pa, int pb, float sdist, float edist,
                 float* cts, float* bs, float* cte, float* be) {
  return end_axes(vx, vy, pa, sdist, cts, bs) && end_axes(vx, vy, pb, -edist, cte, be);
}

ClearLength clear_length(int ielno, int pa, int pb, float sdist, float edist) {
  const base::NodeTables nt = base::node_tables();
  const int ja = nt.nodid(pa);
  const int jb = nt.nodid(pb);
  if (kv::trace('C')) {
    fio::write(7, "(I5,1X,I5,1P,6E12.4)", jb, ja, static_cast<float>(nt.xyz(pb, 1)), static_cast<float>(nt.xyz(pb, 2)),
               static_cast<float>(nt.xyz(pb, 3)), static_cast<float>(nt.xyz(pa, 1)),
               static_cast<float>(nt.xyz(pa, 2)), static_cast<float>(nt.xyz(pa, 3)));
  }
  ClearLength c;
  for (int k = 1; k <= 3; ++k) c.vx[static_cast<std::size_t>(k - 1)] = nt.xyz(pb, k) - nt.xyz(pa, k);
  c.dist = kv::vlen(c.vx);
  c.length = c.dist - sdist - edist;
  c.measurable = std::isfinite(c.length);
  if (!c.measurable) {
    c.length = 0.0f;
  } else if (c.length <= 0.0f) {
    fio::write(6, "(1X,20('*'),'ER','ROR - LENGTH IS LE 0',/,5X,'IELNO=',I5,5X,'JOINTI=',I5,5X,'JOINTJ=',I5,"
                  "5X,'LENGTH',1P,E15.6,/,5X,'REVISE INPUT.............................',/)",
               ielno, pa, pb, c.length);
    common::note_length_revised(ielno);
    c.length = 1.0f;
    c.revised = true;
  }
  return c;
}

void trace_geometry(int pa, int pb, const std::array<float, 3>& vx, const std::array<float, 3>& vy, float length) {
  if (!kv::trace('H')) return;
  fio::write_list(6, "JOINTS", pa, pb);
  fio::write_list(6, "VX", vx[0], vx[1], vx[2]);
  fio::write_list(6, "VY", vy[0], vy[1], vy[2]);
  fio::write_list(6, "LENGTH  ", length);
}

void trace_axes(const float* cts, const float* bs, const float* cte, const float* be) {
  if (!kv::trace('H')) return;
  base::prtmat(cts, 3, 3, "CTS   ");
  base::prtmat(cte, 3, 3, "CTE   ");
  base::prtmat(bs, 3, 3, "BS   ");
  base::prtmat(be, 3, 3, "BE   ");
}

void rejected_line(int ielno, int ja, int jb) {
  fio::write(6, "('  ELEMENT: ',I6,'  START JOINT:',I5,'  END JOINT:',I5,/,"
                "' THE ELEMENT IS REJECTED AND ER','ROR CHECKING CONTINUES')",
             ielno, ja, jb);
}

}  // namespace elements::frame
