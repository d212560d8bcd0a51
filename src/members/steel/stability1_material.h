// MAT12, the material driver of "STABILITY1": a steel section set that stands
// for a whole segmented member whose sections are evaluated once per segment.
// The set holds the section and member words read from the input (PROP(1) to
// PROP(31)) and, behind them, the member record in which the member rule
// keeps the whole state of the member.
#pragma once

#include <cstdint>

#include "materials/matdsp.h"
#include "materials/material_type.h"

namespace members {

// Words of the set's header (PROP(k)); whole numbers are stored as reals.
enum Stability1Word : int {
  kS1Nseg = 1,
  kS1Ys = 2,
  kS1Em = 3,
  kS1Libn = 4,
  kS1D1 = 5,       // dimensions
  kS1D2 = 6,
  kS1Eccx0 = 7,
  kS1Eccy0 = 8,
  kS1N1 = 9,       // mesh counts
  kS1N2 = 10,
  kS1T = 11,       // thickness
  kS1Irev1 = 12,   // IREV1..IREV4: 12..15
  kS1Iecop = 16,
  kS1Nump = 17,    // derived
  kS1Small = 18,
  kS1Ratix0 = 19,
  kS1Ratiy0 = 20,
  kS1Tota = 21,
  kS1Iauto = 22,
  kS1Imater = 23,
  kS1Ratio3 = 24,
  kS1Ir = 25,
  kS1G = 26,
  kS1Qrnee = 27,
  kS1Istif = 28,
  kS1Nprop = 29,   // record length, derived
  kS1Ielas = 30,
  kS1Pcmax = 31,
};
inline constexpr int kS1HeaderWords = 31;

// What tells the steel section sets apart: "STABILITY2" evaluates its
// sections at both nodal ends of every segment, has no PCMAX word (its
// member record begins at PROP(31)), keeps a latched axial release in state
// word 99, and needs no more segments than fibres.
struct SteelSetForm {
  int type = 12;
  const char* name = "STABILITY1";
  bool nodal_ends = false;
};
inline constexpr SteelSetForm kStability1Form{};
inline constexpr SteelSetForm kStability2Form{120, "STABILITY2", true};

// Why a set cannot carry a member (bits); 0 for a usable set.
enum Stability1Fault : unsigned {
  kS1FaultLibn = 1u << 0,     // no section library of that number
  kS1FaultNseg = 1u << 1,     // NSEG outside 1..32
  kS1FaultMesh = 1u << 2,     // the counts give no fibre mesh of NUMP fibres
  kS1FaultFewFibres = 1u << 3,// NSEG above NUMP
  kS1FaultIstif = 1u << 4,    // ISTIF not 0 or 1
  kS1FaultIelas = 1u << 5,    // IELAS not 0, 1 or 2
  kS1FaultModulus = 1u << 6,  // EM not above 0, or above kS1MaxModulus
  kS1FaultImater = 1u << 7,   // IMATER not 0 to 3 (STABILITY2)
  kS1FaultStrength = 1u << 8, // YS below 0, or above kS1MaxStrength
  kS1FaultDimension = 1u << 9,// a dimension, thickness or eccentricity beyond kS1MaxLength in magnitude
};

// Beyond these the fibre stresses times areas and lever arms, and the
// stiffness terms over short segments, leave the REAL range (1e12 holds the
// modulus of steel in Pa).
inline constexpr float kS1MaxModulus = 1.0e12f;
inline constexpr float kS1MaxStrength = 1.0e12f;
inline constexpr float kS1MaxLength = 1.0e4f;  // in: beyond it the fibre areas and lever arms overflow

// NUMP of the header's section as the input derives it; -1 when the library
// number derives none (or the value is not a usable count).
std::int64_t stability1_nump(const float* prop);
// The faults of a header (prop[1..31]) whose NUMP word is filled.
unsigned stability1_faults(const float* prop, const SteelSetForm& form = kStability1Form);

// Options 0 to 5 of the material protocol for a set of the given form; the
// 12-vectors come through c.ends.
void steel_set_driver(materials::MatCall& c, const SteelSetForm& form);
inline void mat12(materials::MatCall& c) { steel_set_driver(c, kStability1Form); }

inline constexpr materials::MaterialType kStability1Type{
    .code = 12, .keywords = {"STABILITY1"}, .driver = mat12, .section = true};

}  // namespace members
