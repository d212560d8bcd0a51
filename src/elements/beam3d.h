// The elastic 3D beam element, type 1 ("3D-BEAM"): a straight two-joint
// beam-column with rigid end zones, end releases, an optional geometric
// stiffness, element loads and force recovery with an envelope of end forces.
// The beam between hinges (type 11) is this element with the end MY on
// separate hinge joints; both run through beam::drive.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "elements/eledsp.h"

namespace elements {

// ELE01.
void ele01(EleCall& c);

namespace beam {

// Record words common to both beam types (word 0 is the type code).
enum Word : int {
  kND = 1,
  kPkg = 2,
  kEAoverL = 3,
  kGJoverL = 4,
  kKzI = 5,
  kKzJ = 6,
  kKzIJ = 7,
  kKyI = 8,
  kKyJ = 9,
  kSz = 10,
  kTzI = 11,
  kTzJ = 12,
  kSy = 13,
  kTyI = 14,
  kTyJ = 15,
  kDu = 16,    // 12 words: local displacement increment
  kDisp = 28,  // 12 words: local total displacement
  kDF = 40,    // 12 words: end-force increment
  kForce = 52, // 12 words: total end forces
  kLM = 64,    // 12 words
  kCTS = 76,   // 3x3, column by column
  kCTE = 85,
  kBS = 94,
  kBE = 103,
  kKyIJ = 112,
  kIdI = 113,
  kIdJ = 114,
  kPosI = 115,  // node-table positions; 0 for an element that was rejected
  kPosJ = 116,
};

// Words from 117 on of the plain beam; the hinge beam keeps its two hinge
// joints in 117 and 118 and these words `shift` higher.
enum ShiftedWord : int {
  kRel = 117,       // release bits 0-5, bit 6: the element has a geometric stiffness
  kLength = 118,
  kKgdof = 119,
  kNTerms = 120,    // packed stiffness terms (the geometric ones follow them)
  kLMKG = 121,      // 12 words
  kNHyst = 133,
  kEnergy = 134,    // 2 words
  kEnvelope = 136,  // 12 columns of 12
  kMatSet = 280,
  kBase = 281,
};

inline constexpr int kGeomBit = 1 << 6;
inline constexpr int kMaxTerms = 156;  // packed stiffness and geometric stiffness together

// What sets a beam type apart.
struct BeamType {
  int type;
  int shift;        // of the words from 117 on
  bool hinges;      // the end MY sits on a hinge joint (hinge_beam.h)
  int nvalues;      // input values of a record
  std::string_view name;  // "ELE-01" in the invalid-option line
};
inline constexpr BeamType kPlainBeam{1, 0, false, 10, "ELE-01"};
inline constexpr BeamType kHingeBeam{11, 2, true, 12, "ELE-11"};

// The element's input line as the echo shows it.
struct Echo {
  std::string_view label15;   // the label's first 15 characters, blank-padded
  int ielno = 0;
  int matset = 0;
  int id_i = 0, id_j = 0;     // joints I and J
  int hinge_i = 0, hinge_j = 0;  // hinge joints (hinge beam only)
  std::string_view reltext;   // six characters
  float length = 0.0f;
  std::array<float, 3> vy{};
  float sdist = 0.0f, edist = 0.0f, pkg = 0.0f;
};

// The driver of both beam types.
void drive(EleCall& c, const BeamType& t);

}  // namespace beam

// Type 1 in the element registry.
inline constexpr ElementType kBeam3DType{
    .code = beam::kPlainBeam.type, .keyword = "3D-BEAM", .nrinp = beam::kPlainBeam.nvalues,
    .nwords = beam::kBase + beam::kMaxTerms, .driver = ele01, .lm = beam::kLM, .nhyst = beam::kNHyst,
    .base = beam::kBase, .lmkg = beam::kLMKG, .kg = beam::kNTerms, .kgdof = beam::kKgdof,
    .element_loads = true, .stiffness_from_check = true, .quiet_ductility = true};

}  // namespace elements
