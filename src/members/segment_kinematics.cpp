#include "members/segment_kinematics.h"

#include <cmath>

#include "fio/fio.h"
#include "members/member_matrices.h"

namespace members {

Mat12 segment_rotation(const Frame& r) {
  Mat12 t{};
  for (int k = 0; k < 12; k += 3) {
    for (int i = 1; i <= 3; ++i) {
      for (int j = 1; j <= 3; ++j) at(t, k + i, k + j) = r[(i - 1) * 3 + (j - 1)];
    }
  }
  return t;
}

Frame frame_of(const SegTable& dcos, int i) {
  Frame r{};
  for (int k = 1; k <= 9; ++k) r[k - 1] = dcos(i, k);
  return r;
}

RotmatResult rotmat(const std::array<float, 3>& xa, float roza, const std::array<float, 3>& xb,
                    float rozb, const std::array<float, 3>& a, const std::array<float, 3>& b,
                    float beta, bool trace) {
  RotmatResult res;
  const float d1 = xb[0] - xa[0], d2 = xb[1] - xa[1], d3 = xb[2] - xa[2];
  const float len = std::sqrt(d1 * d1 + d2 * d2 + d3 * d3);
  res.chord = len;
  float w[3] = {d1 / len, d2 / len, d3 / len};
  if (!(len > 0.0f)) {  // ends on one point: keep the roll axis as the chord
    const float bn = std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2]);
    w[0] = bn > 0.0f ? b[0] / bn : 0.0f;
    w[1] = bn > 0.0f ? b[1] / bn : 0.0f;
    w[2] = bn > 0.0f ? b[2] / bn : 1.0f;
  }
  const float phi = 0.5f * (roza + rozb) + beta;
  const float c = std::cos(phi), s = std::sin(phi);
  const float axb[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                        a[0] * b[1] - a[1] * b[0]};
  const float r[3] = {c * a[0] - s * axb[0], c * a[1] - s * axb[1], c * a[2] - s * axb[2]};
  const float sw = r[0] * w[0] + r[1] * w[1] + r[2] * w[2];
  float v[3] = {r[0] - sw * w[0], r[1] - sw * w[1], r[2] - sw * w[2]};
  float vn = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(vn > 0.0f)) {
    // The rolled reference lies along the chord: any axis across it will do;
    // take the member axis least aligned with the chord.
    const int m = std::fabs(w[0]) <= std::fabs(w[1]) ? (std::fabs(w[0]) <= std::fabs(w[2]) ? 0 : 2)
                                                     : (std::fabs(w[1]) <= std::fabs(w[2]) ? 1 : 2);
    v[0] = v[1] = v[2] = 0.0f;
    v[m] = 1.0f;
    const float sm = w[m];
    for (int i = 0; i < 3; ++i) v[i] -= sm * w[i];
    vn = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  }
  for (float& x : v) x /= vn;
  const float u[3] = {w[2] * v[1] - w[1] * v[2], w[0] * v[2] - w[2] * v[0],
                      w[1] * v[0] - w[0] * v[1]};
  res.r = {u[0], u[1], u[2], v[0], v[1], v[2], w[0], w[1], w[2]};
  if (trace) {
    fio::write(6, "(1X,'THE ROTATIONAL MATRIX:')");
    // MATPRT reads column by column: hand it R's transpose so rows print as rows.
    const float rt[9] = {u[0], v[0], w[0], u[1], v[1], w[1], u[2], v[2], w[2]};
    matprt(rt, 3, 3, 3);
  }
  return res;
}

LocalEnds local_ends(const Frame& r, const std::array<float, 6>& da, const std::array<float, 6>& db) {
  LocalEnds e;
  for (int blk = 0; blk < 2; ++blk) {
    for (int i = 0; i < 3; ++i) {
      float sa = 0.0f, sb = 0.0f;
      for (int j = 0; j < 3; ++j) {
        sa += r[i * 3 + j] * da[blk * 3 + j];
        sb += r[i * 3 + j] * db[blk * 3 + j];
      }
      e.ya[blk * 3 + i] = sa;
      e.yb[blk * 3 + i] = sb;
    }
  }
  return e;
}

AverageDeformation segdef(const LocalEnds& e, float len) {
  AverageDeformation d;
  d.dec = (e.yb[2] - e.ya[2]) / len;
  d.dcu = (e.yb[3] - e.ya[3]) / len;
  d.dcv = (e.yb[4] - e.ya[4]) / len;
  return d;
}

EndDeformation segdefb(const LocalEnds& e, float len) {
  const Vec12& a = e.ya;
  const Vec12& b = e.yb;
  EndDeformation d;
  d.dec2 = (b[2] - a[2]) / len;
  d.dec1 = d.dec2;
  const float yv = 6.0f * (a[1] - b[1]) / (len * len);
  const float yu = 6.0f * (a[0] - b[0]) / (len * len);
  d.dcu1 = yv - 2.0f * (2.0f * a[3] + b[3]) / len;
  d.dcu2 = 2.0f * (2.0f * b[3] + a[3]) / len - yv;
  d.dcv1 = -2.0f * (2.0f * a[4] + b[4]) / len - yu;
  d.dcv2 = 2.0f * (2.0f * b[4] + a[4]) / len + yu;
  return d;
}

}  // namespace members
