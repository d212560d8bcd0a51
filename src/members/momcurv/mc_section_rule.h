// The moment-curvature section law: the backbone of a segment for its axial
// force (INTERPO) and the hysteresis rule of the section's bending about U
// (MCRULE; MCRULEB for the sections at the nodal ends).
#pragma once

#include <cstdint>
#include <span>

#include "members/member_views.h"

namespace members::momcurv {

// The per-segment backbone tables SEGPA (N,NA), SEGPM and SEGPC (N,NA,NC),
// segment index fastest.
struct SegBackbones {
  const float* pa = nullptr;
  const float* pm = nullptr;
  const float* pc = nullptr;
  int nseg = 0;
  int na = 0;
  int nc = 0;

  float load(int iseg, int k) const { return pa[static_cast<std::int64_t>(k - 1) * nseg + iseg - 1]; }
  float moment(int iseg, int k, int j) const { return pm[offset(iseg, k, j)]; }
  float curvature(int iseg, int k, int j) const { return pc[offset(iseg, k, j)]; }
  std::int64_t offset(int iseg, int k, int j) const {
    return (static_cast<std::int64_t>(j - 1) * na + (k - 1)) * nseg + iseg - 1;
  }
};

// INTERPO: the backbone (bkm, bkc: NC values each) of segment iseg for the
// axial force p (compression positive), interpolated linearly between the two
// tabulated loads that bracket it; p at or below the first load, or irev3 = 0,
// gives the first backbone. A p above the last load writes its message and
// stops the run.
void interpo(float p, const SegBackbones& t, int iseg, int ielno, std::span<float> bkm, std::span<float> bkc,
             int irev3);

// The state of one section (a row of MCST and MCSTP).
struct McState {
  float cu = 0.0f;    // total curvature, this step's increment included
  float mu = 0.0f;    // section moment
  float rule = 1.0f;  // rule code: 1 virgin, 2/21 backbone, 3/31 unloading, 4/41 last-segment line, 5 between targets
  float cun = 0.0f;   // negative target point
  float cup = 0.0f;   // positive target point
  float pcu = 0.0f;   // curvature and moment of the previous call
  float pmu = 0.0f;
  float mun = 0.0f;
  float mup = 0.0f;
};
inline constexpr float kVirginRule = 1.0f;

// What one step of the rule gives back.
struct McRuleResult {
  float eiu = 0.0f;     // tangent rigidity
  float mu = 0.0f;      // section moment
  bool beyond = false;  // the curvature ran past the last control point
};

// One step of the hysteretic rule on the backbone (bkm, bkc), NC >= 2 points
// with ascending positive curvatures; s.cu already holds the step's dcu.
// Updates s.rule and the target points; the moment itself is the caller's to
// store. elastic: the section stays on its initial rigidity.
McRuleResult mc_rule(std::span<const float> bkm, std::span<const float> bkc, McState& s, float dcu, bool elastic);

// A row of MCST/MCSTP in and out of a McState.
McState load_state(const SegTable& mcst, const SegTable& mcstp, int iseg);
void store_rule_state(const McState& s, const SegTable& mcst, const SegTable& mcstp, int iseg);

// MCRULE (nend 0) and MCRULEB (nend 1 or 2): the backbone for FLOC(iseg, 3)
// by INTERPO, the trace, then one step of the rule on row iseg of mcst/mcstp,
// the rule code and target points stored back. A first run past the last
// control point writes its warning and raises flp to 10.0. bkm and bkc are NC
// words of working storage.
struct McRuleCall {
  int ielas = 1;
  int iseg = 1;
  int nend = 0;
  int ielno = 0;
  bool trace = false;
  int irev3 = 0;
  float dcu = 0.0f;
};
McRuleResult mcrule(const McRuleCall& c, const SegBackbones& t, const SegTable& mcst, const SegTable& mcstp,
                    const SegTable& floc, float& flp, std::span<float> bkm, std::span<float> bkc);

}  // namespace members::momcurv
