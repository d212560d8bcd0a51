// The plate element, type 16 ("PLATE"): an elastic four-joint rectangular
// plate with uncoupled bending and membrane stiffness from a "PLATE" property
// set, uniform pressure loads, force recovery and history records.
#pragma once

#include <cstdint>

#include "elements/eledsp.h"
#include "elements/element_loads.h"

namespace elements {

// ELE16.
void ele16(EleCall& c);

namespace plate {

// Record words (word 0 is the type code).
enum Word : int {
  kND = 1,
  kNHyst = 2,
  kJNode = 3,     // 4 words: node-table positions of J1..J4 (0 when not found)
  kMatNo = 7,
  kDInc = 8,      // 20 words each: plate displacements and forces
  kDTot = 28,
  kFInc = 48,
  kFTot = 68,
  kLM = 88,       // 24 words
  kA = 112,       // 24 x 20, column by column
  kS = 592,       // 20 x 20, column by column
  kRejected = 992,  // 1 when option 1 rejected the element (a word the layout leaves unused)
  kLength = 994,
  kWidth = 995,
  kFMax = 996,    // 20 words
  kBase = 1016,   // material state words, then the packed stiffness
};
inline constexpr int kStiffWords = 600;  // reserved for the packed stiffness
inline constexpr int kRecordWords = 1616;

// FEFLOD: the equivalent joint loads (negated fixed-end forces) of the uniform
// pressure records of the tables that apply to plate ielno of the given width
// (a) and length (b), in local axes, 24 words per load case (six per joint,
// J1..J4): fef[24*(c-1) + j-1] is component j of load case c. The caller gets
// back true when a record applied; fef is then zeroed first for all nlc load
// cases, otherwise it is not touched. Records of other groups or directions
// print their line and add nothing; a load case outside 1..nlc is passed over.
bool feflod(int ielno, float length, float width, const ElementLoadTables& t, int nlc, float* fef);

}  // namespace plate

// Type 16 in the element registry.
inline constexpr ElementType kPlateType{
    .code = 16, .keyword = "PLATE", .nrinp = 5, .nwords = plate::kRecordWords, .driver = ele16,
    .lm = plate::kLM, .nhyst = plate::kNHyst, .base = plate::kBase, .lm_after = true,
    .quiet_ductility = true};

}  // namespace elements
