// The record head RCSREC of a reinforced-concrete section set ("R/CONCRETE1",
// type 17, and "R/CONCRETE2", type 170): property words 1 to 46, all REAL.
// Whole-number fields are stored as reals and read back by truncation.
#pragma once

#include <cstdint>

#include "members/section_set_head.h"

namespace members::rc {

// Words of the head. Where a word means different things for the circular
// and the rectangular sections, both meanings are named.
enum RcsWord : int {
  kNSEG = 1,      // W  segments of the member
  kYS = 2,        // R  yield stress of the longitudinal steel
  kEM = 3,        // R  modulus of the longitudinal steel
  kLIBN = 4,      // W  section kind (SectionKind)
  kD1 = 5,        // R  COL. DIA / SEC. HH
  kD2 = 6,        // R  COL. THK (cover) / SEC. UU
  kECCX0 = 7,     // R
  kECCY0 = 8,     // R
  kN1 = 9,        // W  NQ (fibres per quadrant and layer) / NU (core cells per half of UU)
  kN2 = 10,       // W  NLAY (layers) / NH (core cells per half of HH)
  kFPC = 11,      // R  concrete strength f'c
  kHOOP1 = 12,    // R  DIA. OF HOOP / V/R in U DIR
  kHOOP2 = 13,    // R  S (hoop spacing) / V/R in V DIR
  kKE = 14,       // R  confinement effectiveness
  kT2 = 15,       // R  STEEL THK / L.BAR DIA. / COVER THK
  kIECOP = 16,    // W
  kNUMP = 17,     // W  fibres of the section, computed at input
  kSMALL = 18,    // R  length of the four short segments
  kRATIX0 = 19,   // R
  kRATIY0 = 20,   // R
  kTOTA = 21,     // R
  kIAUTO = 22,    // W
  kIMATER = 23,   // W
  kRATIO3 = 24,   // R  hardening ratio of the steel
  kIR = 25,       // W  1: concrete carries tension
  kG = 26,        // R
  kQRNEE = 27,    // R
  kISTIF = 28,    // W
  kNPROP = 29,    // W  record length, computed at input
  kNBAR1 = 30,    // W  NLBAR / top bars
  kDBAR1 = 31,    // R  top bar diameter
  kNBAR2 = 32,    // W  bottom bars
  kDBAR2 = 33,    // R
  kNBAR3 = 34,    // W  side bars on each side
  kDBAR3 = 35,    // R
  kYSHOOP = 36,   // R
  kIELAS = 37,    // R, used as its truncated whole number
  kPCMAX = 38,    // R
  kWord39 = 39,   // neither read nor used
  kECU = 40,      // R  the member rule may replace it
  kESU = 41,      // R  the member rule may replace it
  kECR = 42,      // R  not read: long-rebar buckling strain of the member
  kRHOOPDIA = 43, // R
  kRHOOPSPA = 44, // R
  kPERIOD = 45,   // R  STR. PERIOD
  kSPLICE = 46,   // R  SPLICE LEN.
  kHeadWords = 46,
};

// LIBN (and IMATER, which picks the fibre ranges by the same numbers).
enum SectionKind : int { kCircularShell = 1, kCircularBars = 2, kRectangular = 3 };

inline constexpr int kMaxSegments = 32;

// The member words stand where every member-holding set has them.
static_assert(int{kNSEG} == kHeadNseg && int{kIECOP} == kHeadIecop && int{kSMALL} == kHeadSmall &&
              int{kRATIX0} == kHeadRatix0 && int{kRATIY0} == kHeadRatiy0 && int{kIAUTO} == kHeadIauto &&
              int{kQRNEE} == kHeadQrnee && int{kISTIF} == kHeadIstif);

// NUMP of the head's counts for a supported LIBN, -1 for any other LIBN.
std::int64_t fibre_count(const float* prop);

// Faults that make a set unusable: an element naming such a set is rejected.
enum HeadFault : unsigned {
  kFaultLibn = 1u << 0,          // LIBN not 1, 2 or 3
  kFaultNseg = 1u << 1,          // NSEG outside 1..32
  kFaultMeshCount = 1u << 2,     // NQ < 1, or NU or NH < 1
  kFaultLayers = 1u << 3,        // NLAY < 2 (circular)
  kFaultThickness = 1u << 4,     // a layer, cover or core of no positive thickness
  kFaultBarCount = 1u << 5,      // one top or bottom bar, or a negative bar count
  kFaultIecop = 1u << 6,         // IECOP not 0 or 1
  kFaultIelas = 1u << 7,         // IELAS not 0, 1 or 2
  kFaultImater = 1u << 8,        // IMATER other than LIBN
  kFaultHoop = 1u << 9,          // circular hoop spacing S <= 0
  kFaultStrength = 1u << 10,     // f'c <= 0, or so high (12996 psi) that 57000 sqrt(f'c) <= f'c/0.002
  kFaultSplice = 1u << 11,       // a lap splice without bars (NLBAR, or the top bars and their diameter)
  kFaultShortSegments = 1u << 12,// NSEG >= 5 with 4*SMALL >= member length
  kFaultRecordSize = 1u << 13,   // NPROP beyond the lengths a REAL word holds exactly
  kFaultIstif = 1u << 14,        // ISTIF not 0 or 1
  kFaultDimension = 1u << 15,    // a dimension, diameter, thickness or length outside kMaxLength
  kFaultRatio = 1u << 16,        // rectangular: a volumetric ratio of hoops outside 0 to 1
  kFaultSteel = 1u << 17,        // YS or YSHOOP outside 0 to kMaxSteel, EM not above 0 or beyond it
};

// Sane ranges of the section's lengths (in) and steel values (psi): beyond
// them the shear capacities, the fibre forces and the stiffness products
// leave the REAL range. A hoop spacing of the circular sections divides the
// hoop capacity: it is at least kMinSpacing.
inline constexpr float kMaxLength = 1.0e4f;
inline constexpr float kMinSpacing = 1.0e-3f;
inline constexpr float kMaxSteel = 1.0e12f;

// The faults of the head of a set of `type` (17 or 170). member_length > 0
// adds the test of the four short segments against the member's length (known
// once an element names the set).
unsigned head_faults(const float* prop, int type, float member_length = 0.0f);

}  // namespace members::rc
