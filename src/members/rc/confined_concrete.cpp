#include "members/rc/confined_concrete.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "fio/fio.h"
#include "members/rc/rc_section_head.h"

namespace members::rc {

namespace {

constexpr float kPiHoop = 3.14159f;  // the hoop area's pi

// Chart axis: the confining-pressure ratio fl'/f'c, 0.00 to 0.30.
constexpr int kChartPoints = 16;
constexpr std::array<float, kChartPoints> kAxis{0.00f, 0.02f, 0.04f, 0.06f, 0.08f, 0.10f, 0.12f, 0.14f,
                                               0.16f, 0.18f, 0.20f, 0.22f, 0.24f, 0.26f, 0.28f, 0.30f};

// f'cc/f'c: row = the larger ratio, column = the smaller (lower triangle).
constexpr float kChart[kChartPoints][kChartPoints] = {
    {1.00f},
    {1.04f, 1.13f},
    {1.10f, 1.17f, 1.26f},
    {1.13f, 1.22f, 1.30f, 1.38f},
    {1.15f, 1.25f, 1.34f, 1.43f, 1.48f},
    {1.19f, 1.28f, 1.37f, 1.45f, 1.52f, 1.57f},
    {1.21f, 1.31f, 1.40f, 1.49f, 1.55f, 1.62f, 1.66f},
    {1.23f, 1.33f, 1.43f, 1.52f, 1.58f, 1.66f, 1.70f, 1.76f},
    {1.24f, 1.35f, 1.45f, 1.53f, 1.62f, 1.68f, 1.74f, 1.79f, 1.83f},
    {1.25f, 1.37f, 1.48f, 1.56f, 1.64f, 1.72f, 1.77f, 1.83f, 1.88f, 1.90f},
    {1.26f, 1.39f, 1.49f, 1.58f, 1.66f, 1.74f, 1.79f, 1.85f, 1.90f, 1.94f, 1.97f},
    {1.27f, 1.40f, 1.50f, 1.59f, 1.68f, 1.75f, 1.82f, 1.88f, 1.93f, 1.97f, 2.00f, 2.05f},
    {1.28f, 1.41f, 1.52f, 1.61f, 1.70f, 1.77f, 1.83f, 1.90f, 1.96f, 2.00f, 2.04f, 2.07f, 2.12f},
    {1.29f, 1.42f, 1.53f, 1.62f, 1.72f, 1.78f, 1.85f, 1.92f, 1.97f, 2.02f, 2.06f, 2.10f, 2.14f, 2.18f},
    {1.295f, 1.43f, 1.54f, 1.64f, 1.73f, 1.80f, 1.87f, 1.94f, 2.00f, 2.05f, 2.08f, 2.13f, 2.17f, 2.20f, 2.25f},
    {1.30f, 1.43f, 1.55f, 1.65f, 1.74f, 1.82f, 1.90f, 1.95f, 2.02f, 2.06f, 2.10f, 2.15f, 2.20f, 2.23f, 2.27f, 2.30f},
};

// K(i, m), 1-based as the chart is read.
float chart(int i, int m) { return kChart[i - 1][m - 1]; }

// The interval of a ratio on the axis (1-based, the lower one when the ratio
// is an inner axis value) and the fraction within it.
void locate(float ratio, int& i, float& f) {
  ratio = std::clamp(ratio, kAxis.front(), kAxis.back());
  for (i = 1; i < kChartPoints; ++i) {
    if (kAxis[static_cast<std::size_t>(i - 1)] <= ratio && ratio <= kAxis[static_cast<std::size_t>(i)]) break;
  }
  const float lo = kAxis[static_cast<std::size_t>(i - 1)];
  const float hi = kAxis[static_cast<std::size_t>(i)];
  f = (ratio - lo) / (hi - lo);
}

}  // namespace

float confch(float rx, float ry) {
  int ix = 1, iy = 1;
  float fx = 0.0f, fy = 0.0f;
  locate(rx, ix, fx);
  locate(ry, iy, fy);
  if (ix < iy) {
    std::swap(ix, iy);
    std::swap(fx, fy);
  }
  if (ix > iy)
    return chart(ix, iy) + (chart(ix + 1, iy) - chart(ix, iy)) * fx + (chart(ix, iy + 1) - chart(ix, iy)) * fy;
  const float f = (fx + fy) / 2.0f;
  return chart(ix, ix) + (chart(ix + 1, ix + 1) - chart(ix, ix)) * f;
}

ConfinementInput confinement_input(const float* prop) {
  ConfinementInput in;
  in.fpc = prop[kFPC];
  in.ke = prop[kKE];
  in.fyh = prop[kYSHOOP];
  in.imater = head_int(prop, kIMATER);
  in.ec = 57000.0f * std::sqrt(std::max(in.fpc, 0.0f));
  in.esu = prop[kESU] > 0.0f ? prop[kESU] : 0.09f;
  if (in.imater == kCircularShell || in.imater == kCircularBars) {
    const float dh = prop[kHOOP1];
    const float ah = kPiHoop * dh * dh / 4.0f;
    const float dc = prop[kD1] - 2.0f * prop[kD2] + dh;
    const float s = prop[kHOOP2];
    in.fl = 2.0f * in.fyh * ah / (s * dc);
    in.rhos = 4.0f * ah / (s * dc);
  } else if (in.imater == kRectangular) {
    in.flx = in.fyh * prop[kHOOP1];
    in.fly = in.fyh * prop[kHOOP2];
    in.rhos = prop[kHOOP1] + prop[kHOOP2];
  }
  return in;
}

ConcreteEnvelope confin(const ConfinementInput& in, float& ecu, bool setup, bool debug) {
  ConcreteEnvelope e{in.fpc, 0.002f, 0.0f};
  if (in.imater == kCircularShell || in.imater == kCircularBars) {
    const float fl = in.ke * in.fl;
    e.fccp = in.fpc * (2.254f * std::sqrt(1.0f + 7.94f * fl / in.fpc) - 2.0f * fl / in.fpc - 1.254f);
  } else if (in.imater == kRectangular) {
    const float flxp = in.ke * in.flx;
    const float flyp = in.ke * in.fly;
    const float rx = flxp / in.fpc;
    const float ry = flyp / in.fpc;
    e.fccp = confch(rx, ry) * in.fpc;
    if (debug && setup) {
      fio::write(6, "('KE         =',E15.6)", in.ke);
      fio::write(6, "('FLXP (EFFECTIVE LATERAL CONFINED PRESS. IN U0 DIR. =',E15.6)", flxp);
      fio::write(6, "('FLYP (EFFECTIVE LATERAL CONFINED PRESS. IN V0 DIR. =',E15.6)", flyp);
      fio::write(6, "('FLXPRATIO (FLXP/FCP     =',E15.6)", rx);
      fio::write(6, "('FLYPRATIO (FLYP/FCP     =',E15.6)", ry);
    }
  }
  if (in.imater >= kCircularShell && in.imater <= kRectangular) e.ecc = 0.002f * (1.0f + 5.0f * (e.fccp / in.fpc - 1.0f));

  if (in.ke > 0.0f) {
    if (ecu <= 0.0f) ecu = 0.004f + 1.4f * in.rhos * in.fyh * in.esu / e.fccp;
  } else if (in.ke == 0.0f) {
    ecu = 0.004f;
  }

  if (setup) {
    fio::write(6, "(1X,' Concrete strength FCCP(psi) = ',E15.6)", e.fccp);
    fio::write(6, "(1X,' Strain at peak stress (ECC)                  ',E15.6)", e.ecc);
    fio::write(6, "(1X,' Ultimate compression strain (ECU) =          ',E15.6)", ecu);
  }

  const float esec = e.fccp / e.ecc;
  e.r = in.ec / (in.ec - esec);
  return e;
}

}  // namespace members::rc
