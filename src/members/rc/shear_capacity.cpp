#include "members/rc/shear_capacity.h"

#include <cmath>

#include "fio/fio.h"
#include "members/rc/rc_section_head.h"

namespace members::rc {

namespace {

constexpr float kPi = 3.14159f;
constexpr float kInitialConcrete = 3.5f;  // k of sqrt(f'c) 0.8 Ag, low ductility
constexpr float kFinalConcrete = 0.6f;    // k at high ductility
constexpr float kEffectiveArea = 0.8f;

void write_lines(int unit, int set, const ShearCapacities& c) {
  fio::write(unit, "(1X,'MAT. NO.    =',I3)", set);
  fio::write(unit, "(1X,'INITIAL CONCRETE SHEAR CAPACITY (VCI in lb)  =',1PE10.3)", c.vci);
  fio::write(unit, "(1X,'FINAL CONCRETE SHEAR CAPACITY (VCF in lb)    =',1PE10.3)", c.vcf);
  fio::write(unit, "(1X,'TRANS.STEEL SHEAR CAPACITY,U0 DIR (VSu in lb)=',1PE10.3)", c.vsu);
  fio::write(unit, "(1X,'TRANS.STEEL SHEAR CAPACITY,V0 DIR (VSv in lb)=',1PE10.3)", c.vsv);
}

}  // namespace

std::optional<ShearCapacities> shear_capacities(const float* prop) {
  const int libn = head_int(prop, kLIBN);
  if (libn != kCircularShell && libn != kCircularBars && libn != kRectangular) return std::nullopt;
  const float fc = prop[kFPC];
  const float fyh = prop[kYSHOOP];
  const float root = std::sqrt(std::fmax(fc, 0.0f));
  const float theta = kPi * 30.0f / 180.0f;
  const float tan_theta = std::tan(theta);
  ShearCapacities c;
  float ag = 0.0f;
  if (libn == kRectangular) {
    const float hh = prop[kD1], uu = prop[kD2], cover = prop[kT2];
    const float dr = prop[kRHOOPDIA], sr = prop[kRHOOPSPA];
    const float rho_u = prop[kHOOP1], rho_v = prop[kHOOP2];
    ag = uu * hh;
    const float uu1 = uu - 2.0f * cover + dr;
    const float hh1 = hh - 2.0f * cover + dr;
    if (sr != 0.0f) {
      const float avu = sr * rho_u * hh1;
      const float avv = sr * rho_v * uu1;
      c.vsu = fyh * avu * uu1 / (tan_theta * sr);
      c.vsv = fyh * avv * hh1 / (tan_theta * sr);
    } else {
      c.vsu = fyh * rho_u * hh1 * uu1 / tan_theta;
      c.vsv = fyh * rho_v * uu1 * hh1 / tan_theta;
    }
  } else {
    const float d = prop[kD1], cover = prop[kD2];
    const float dh = prop[kHOOP1], s = prop[kHOOP2];
    ag = d * d * (kPi * 0.25f);
    const float ah = dh * dh * (kPi * 0.25f);
    const float d1 = d - 2.0f * cover + dh;
    if (s != 0.0f) {
      c.vsu = c.vsv = (kPi * 0.5f) * ah * fyh * d1 / (tan_theta * s);
    } else {
      c.no_hoop_spacing = true;
    }
  }
  const float ae = kEffectiveArea * ag;
  c.vci = root * kInitialConcrete * ae;
  c.vcf = root * kFinalConcrete * ae;
  return c;
}

void report_shear_capacities(int set, const ShearCapacities& c) {
  fio::write_record(6, "");
  write_lines(6, set, c);
  if (c.no_hoop_spacing) {
    fio::write(6, "(1X,'*** NOTE: MAT. NO.    =',I3,': NO HOOP SPACING, NO HOOP SHEAR CAPACITY')", set);
  }
  fio::write_record(6, "");
  write_lines(48, set, c);
}

}  // namespace members::rc
