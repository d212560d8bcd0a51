#include "elements/plate_geometry.h"

#include <algorithm>
#include <cmath>

#include "base/globals.h"
#include "elements/local_axes.h"

namespace elements::plate {

namespace {

float norm(const Vec3& v) { return vlen(v); }

Vec3 cross(const Vec3& a, const Vec3& b) {
  Vec3 c{};
  vcross(c, a, b);
  return c;
}

inline std::size_t at24(int i, int j) { return static_cast<std::size_t>((i - 1) + kJointDofs * (j - 1)); }
inline std::size_t at20(int i, int j) { return static_cast<std::size_t>((i - 1) + kPlateDofs * (j - 1)); }

// Node n's cosine set, column by column; the identity when the node names no
// set of the table.
const float* cosine_set(const base::NodeTables& nt, int n) {
  static constexpr std::array<float, 9> kIdentity{1, 0, 0, 0, 1, 0, 0, 0, 1};
  const int s = nt.icos(n);
  if (s < 1 || s > kv::ctl(kv::kNCOS)) return kIdentity.data();
  return nt.cos_set(s);
}

}  // namespace

Geometry geometry(const std::array<Vec3, 4>& x) {
  Geometry g;
  Vec3 v12{};
  Vec3 v34{};
  Vec3 vc{};
  for (std::size_t k = 0; k < 3; ++k) {
    v34[k] = x[3][k] - x[2][k];
    v12[k] = x[0][k] - x[1][k];
    // In double: four coordinates near the float range must not overflow.
    vc[k] = static_cast<float>((static_cast<double>(x[0][k]) + x[1][k] - x[2][k] - x[3][k]) / 2.0);
  }
  // A length or width beyond the float range is no length: 0.0 rejects the
  // plate with the message of a zero one.
  g.length = norm(vc);
  if (!std::isfinite(g.length)) g.length = 0.0f;
  if (!(g.length > 0.0f)) return g;
  for (float& c : vc) c /= g.length;

  const Vec3 w1 = cross(v12, vc);
  const Vec3 w2 = cross(v34, vc);
  g.w1 = norm(w1);
  g.w2 = norm(w2);
  if (!std::isfinite(g.w1)) g.w1 = 0.0f;
  if (!std::isfinite(g.w2)) g.w2 = 0.0f;
  g.width = static_cast<float>((static_cast<double>(g.w1) + g.w2) / 2.0);
  if (!(g.w1 > 0.0f && g.w2 > 0.0f)) return g;

  // Rounding can carry the cosine of two parallel normals just past 1.
  const float c = std::clamp(vcos(w1, w2), -1.0f, 1.0f);
  g.twist = std::acos(c) * kDegrees;

  Vec3 vx = cross(vc, w2);
  const float lx = norm(vx);
  for (float& v : vx) v /= lx;
  g.vx = vx;
  g.vz = cross(vx, vc);
  g.vy = vc;
  return g;
}

bool joint_blocks(const Geometry& g, const base::NodeTables& nt, const std::array<int, 4>& nodes, Mat24& a2) {
  a2.fill(0.0f);
  const int nndim = kv::ctl(kv::kNNDIM);
  for (int n = 1; n <= 4; ++n) {
    const int node = nodes[static_cast<std::size_t>(n - 1)];
    Vec3 vx = g.vx;
    Vec3 vy = g.vy;
    std::array<float, 9> cts{};
    std::array<float, 9> bs{};
    if (!locaxs(vx, vy, std::span<const float, 9>(cosine_set(nt, node), 9), cts, 0.0f, 0.0f, 0.0f, bs,
                nt.tcon_row(node), nndim)) {
      return false;
    }
    const int o = 6 * (n - 1);
    for (int j = 1; j <= 3; ++j)
      for (int i = 1; i <= 3; ++i) {
        const float c = cts[static_cast<std::size_t>((i - 1) + 3 * (j - 1))];
        const float b = bs[static_cast<std::size_t>((i - 1) + 3 * (j - 1))];
        a2[at24(o + i, o + j)] = c;
        a2[at24(o + 3 + i, o + j)] = b;
        a2[at24(o + 3 + i, o + 3 + j)] = c;
      }
  }
  return true;
}

void plate_map(Mat24x20& a3) {
  a3.fill(0.0f);
  for (int n = 1; n <= 4; ++n) {
    a3[at24(6 * n - 2, 3 * n - 2)] = 1.0f;       // MX <- rotation about x
    a3[at24(6 * n - 1, 3 * n - 1)] = 1.0f;       // MY <- rotation about y
    a3[at24(6 * n - 3, 3 * n)] = -1.0f;          // FZ <- w
    a3[at24(6 * n - 5, 12 + 2 * n - 1)] = 1.0f;  // FX <- u
    a3[at24(6 * n - 4, 12 + 2 * n)] = 1.0f;      // FY <- v
  }
}

void plate_to_joint(const Mat24& a2, float* a) {
  Mat24x20 a3{};
  plate_map(a3);
  for (int j = 1; j <= kPlateDofs; ++j)
    for (int i = 1; i <= kJointDofs; ++i) {
      float s = 0.0f;
      for (int k = 1; k <= kJointDofs; ++k) s += a2[at24(i, k)] * a3[at24(k, j)];
      a[at24(i, j)] = s;
    }
}

void stiffness(float e, float nu, float t, float a, float b, float* s) {
  const float d = e * t * t * t / (1.0f - nu * nu);
  const float g = e * t / ((1.0f - nu * nu) * 12.0f);
  const float r = 1.0f - nu;
  const float q = 4.0f * nu + 1.0f;
  const float h = (14.0f - 4.0f * nu) / (60.0f * a * b);
  const float a2 = a * a;
  const float b2 = b * b;
  const float a3 = a2 * a;
  const float b3 = b2 * b;

  // Bending (index 0 unused).
  std::array<float, 22> bb{};
  bb[1] = d * (r * b / (45.0f * a) + a / (9.0f * b));
  bb[2] = d * (r * a / (45.0f * b) + b / (9.0f * a));
  bb[3] = d * (a / (18.0f * b) - r * b / (45.0f * a));
  bb[4] = d * (b / (18.0f * a) - r * a / (45.0f * b));
  bb[5] = d * (a / (18.0f * b) - r * b / (180.0f * a));
  bb[6] = d * (b / (18.0f * a) - r * a / (180.0f * b));
  bb[7] = d * (r * b / (180.0f * a) + a / (36.0f * b));
  bb[8] = d * (r * a / (180.0f * b) + b / (36.0f * a));
  bb[9] = d * (q / (60.0f * a) + a / (6.0f * b2));
  bb[10] = d * (q / (60.0f * b) + b / (6.0f * a2));
  bb[11] = d * (a / (12.0f * b2) - q / (60.0f * a));
  bb[12] = d * (b / (12.0f * a2) - q / (60.0f * b));
  bb[13] = d * (a / (12.0f * b2) - r / (60.0f * a));
  bb[14] = d * (b / (12.0f * a2) - r / (60.0f * b));
  bb[15] = d * (r / (60.0f * a) + a / (6.0f * b2));
  bb[16] = d * (r / (60.0f * b) + b / (6.0f * a2));
  bb[17] = d * (a / (6.0f * b3) - b / (3.0f * a3) - h);
  bb[18] = d * (b / (6.0f * a3) - a / (3.0f * b3) - h);
  bb[19] = d * nu / 12.0f;
  bb[20] = d * (h + b / (3.0f * a3) + a / (3.0f * b3));
  bb[21] = d * (h - b / (6.0f * a3) - a / (6.0f * b3));

  // Membrane (index 0 unused).
  std::array<float, 12> m{};
  m[1] = g * (2.0f * r * a / b + 4.0f * b / a);
  m[2] = g * (r * a / b - 4.0f * b / a);
  m[3] = g * (-2.0f * b / a - r * a / b);
  m[4] = g * (2.0f * b / a - 2.0f * r * a / b);
  m[5] = g * (1.5f * (1.0f + nu));
  m[6] = g * (1.5f * (3.0f * nu - 1.0f));
  m[7] = g * (1.5f * (1.0f - 3.0f * nu));
  m[8] = g * (2.0f * r * b / a + 4.0f * a / b);
  m[9] = g * (2.0f * a / b - 2.0f * r * b / a);
  m[10] = g * (-2.0f * a / b - r * b / a);
  m[11] = g * (r * b / a - 4.0f * a / b);

  std::fill(s, s + kPlateDofs * kPlateDofs, 0.0f);
  auto set = [s](int i, int j, float v) {
    s[at20(i, j)] = v;
    s[at20(j, i)] = v;
  };
  // A term of the upper triangle: its coefficient number, negative for -B / -M.
  struct Term {
    int col;
    int coef;
  };
  auto row = [&set](int i, std::initializer_list<Term> terms, const float* coef) {
    for (const Term& t : terms) {
      const float v = coef[std::abs(t.coef)];
      set(i, t.col, t.coef < 0 ? -v : v);
    }
  };
  const float* B = bb.data();
  const float* M = m.data();
  row(1, {{1, 1}, {2, -19}, {3, 9}, {4, 3}, {6, 11}, {7, 7}, {9, -13}, {10, 5}, {12, -15}}, B);
  row(2, {{2, 2}, {3, -10}, {5, 6}, {6, 16}, {8, 8}, {9, 14}, {11, 4}, {12, -12}}, B);
  row(3, {{3, 20}, {4, 11}, {5, -16}, {6, 17}, {7, 13}, {8, -14}, {9, 21}, {10, 15}, {11, -12}, {12, 18}}, B);
  row(4, {{4, 1}, {5, 19}, {6, 9}, {7, 5}, {9, -15}, {10, 7}, {12, -13}}, B);
  row(5, {{5, 2}, {6, 10}, {8, 4}, {9, 12}, {11, 8}, {12, -14}}, B);
  row(6, {{6, 20}, {7, 15}, {8, 12}, {9, 18}, {10, 13}, {11, 14}, {12, 21}}, B);
  row(7, {{7, 1}, {8, -19}, {9, -9}, {10, 3}, {12, -11}}, B);
  row(8, {{8, 2}, {9, 10}, {11, 6}, {12, -16}}, B);
  row(9, {{9, 20}, {10, -11}, {11, 16}, {12, 17}}, B);
  row(10, {{10, 1}, {11, 19}, {12, -9}}, B);
  row(11, {{11, 2}, {12, -10}}, B);
  row(12, {{12, 20}}, B);
  row(13, {{13, 1}, {14, 5}, {15, 2}, {16, 6}, {17, 3}, {18, -5}, {19, 4}, {20, 7}}, M);
  row(14, {{14, 8}, {15, 7}, {16, 9}, {17, -5}, {18, 10}, {19, -7}, {20, 11}}, M);
  row(15, {{15, 1}, {16, -5}, {17, 4}, {18, -7}, {19, 3}, {20, 5}}, M);
  row(16, {{16, 8}, {17, 7}, {18, 11}, {19, 5}, {20, 10}}, M);
  row(17, {{17, 1}, {18, 5}, {19, 2}, {20, -7}}, M);
  row(18, {{18, 8}, {19, 7}, {20, 9}}, M);
  row(19, {{19, 1}, {20, -5}}, M);
  row(20, {{20, 8}}, M);
}

void joint_stiffness(const float* a, const float* s, Mat24& asat) {
  Mat24x20 sat{};  // S * A' (20 x 24)
  for (int j = 1; j <= kJointDofs; ++j)
    for (int i = 1; i <= kPlateDofs; ++i) {
      float sum = 0.0f;
      for (int k = 1; k <= kPlateDofs; ++k) sum += s[at20(i, k)] * a[at24(j, k)];
      sat[static_cast<std::size_t>((i - 1) + kPlateDofs * (j - 1))] = sum;
    }
  for (int j = 1; j <= kJointDofs; ++j)
    for (int i = 1; i <= kJointDofs; ++i) {
      float sum = 0.0f;
      for (int k = 1; k <= kPlateDofs; ++k)
        sum += a[at24(i, k)] * sat[static_cast<std::size_t>((k - 1) + kPlateDofs * (j - 1))];
      asat[at24(i, j)] = sum;
    }
}

std::array<std::int32_t, kJointDofs> location(const base::NodeTables& nt, const std::array<int, 4>& nodes) {
  std::array<std::int32_t, kJointDofs> lmt{};
  for (int i = 1; i <= 6; ++i) {
    std::array<std::int32_t, 4> eq{};
    for (std::size_t n = 0; n < 4; ++n) eq[n] = nt.id(nodes[n], i);
    // One shared equation (a diaphragm master) or none at all: the plate adds
    // nothing there.
    if (eq[0] == eq[1] && eq[1] == eq[2] && eq[2] == eq[3]) continue;
    for (std::size_t n = 0; n < 4; ++n) lmt[6 * n + static_cast<std::size_t>(i - 1)] = eq[n];
  }
  return lmt;
}

Packed pack(const Mat24& asat, const std::array<std::int32_t, kJointDofs>& lmt, float* ke, std::int32_t* lm) {
  std::array<bool, kJointDofs + 1> active{};
  for (int k = 1; k <= kJointDofs; ++k)
    active[static_cast<std::size_t>(k)] = lmt[static_cast<std::size_t>(k - 1)] != 0 && asat[at24(k, k)] > 0.0f;
  Packed p;
  for (int k = 1; k <= kJointDofs; ++k) {
    if (!active[static_cast<std::size_t>(k)]) continue;
    lm[p.nd++] = lmt[static_cast<std::size_t>(k - 1)];
    for (int j = k; j >= 1; --j) {
      if (!active[static_cast<std::size_t>(j)]) continue;
      ke[p.terms++] = asat[at24(k, j)];
    }
  }
  return p;
}

}  // namespace elements::plate
