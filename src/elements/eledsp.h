// The element dispatcher ELEDSP, the element option protocol and the element
// records. Everything outside the element library reaches the element drivers
// through eledsp() only.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/work_array.h"
#include "elements/element_type.h"

namespace elements {

// Element option codes.
enum EleOption : int {
  kEleCheck = 1,       // check, echo, LM, element stiffness, spring set-up (structure input)
  kEleGeom = 2,        // geometric stiffness current at IZKG, factor PGEOM
  kEleStiff = 3,       // tangent stiffness current at IZKE
  kEleState = 4,       // state determination, nodal forces into the CONTRL word 65 vector
  kEleCommit = 5,      // commit the trial state and print the forces
  kEleLoads = 6,       // element loads into fixed-end forces and joint loads
  kEleHistWrite = 7,   // write the history record to unit IUNIT
  kEleHistRead = 8,    // read the history record back and print it
  kEleNState = 9,      // count the material state words (NHYST)
  kEleEnergy = 10,     // strain energies into R1, R2
  kEleDuct = 11,       // ductility and excursion report, R4
  kEleMaxima = 12,     // report of the element's maximum values
  kEleReset = 13,      // zero forces and maxima, reset the springs
  kEleDamage = 14,     // damage index into R3
};

// The data of one ELEDSP call as the driver sees them. The model tables, counts
// and switches are read from CONTRL and TITLES directly.
struct EleCall {
  int iopt = 0;                    // in
  int ielno = 0;                   // in: element number (place in ELETAB)
  int type = 0;                    // set by eledsp: record word 0
  std::int64_t p = 0;              // set by eledsp: ZMATRX index of record word 0
  bool typchg = false;             // set by eledsp: type differs from the caller's previous
  bool lecho = false;              // in: echo (option 1) or report switch
  int nback = 0;                   // out (option 1): record words not needed
  std::string_view label;          // in: the record's label (option 13: the command line)
  float r1 = 0.0f, r2 = 0.0f, r3 = 0.0f, r4 = 0.0f;  // in/out result words
  int nd = 0;                      // out: record word 1
  int kgdof = 0;                   // out: order of the geometric stiffness, 0 for none
  float pgeom = 0.0f;              // in/out: factor of the geometric stiffness (option 2)
  const float* rinput = nullptr;   // in (option 1): RINPUT, 1-based (rinput[1..NRINP])
  bool lkg = false;                // out: the element has a geometric stiffness to assemble
  std::int64_t idisp = 0;          // in: ZMATRX index of the displacement table
  std::int64_t iload = 0;          // in: ZMATRX index of the second (load) table
  int nhyst = 0;                   // out: material state words of the element
};

// Record word k (0-based as the layouts count) of the element of a call.
inline kv::IntWord rec_int(const EleCall& c, int k) { return kv::izm(c.p + k); }
inline kv::RealWord rec_real(const EleCall& c, int k) { return kv::rzm(c.p + k); }

// Where an element's packed matrices and location vectors lie in its record:
// what FORM assembles after element options 3 and 2. Indices are ZMATRX
// indices, 0 (and orders 0) where the element has none.
struct ElementMatrices {
  int nd = 0;                // order of the stiffness
  std::int64_t izke = 0;     // packed stiffness
  std::int64_t izlm = 0;     // its location vector
  int kgdof = 0;             // order of the geometric stiffness
  std::int64_t izkg = 0;     // packed geometric stiffness (for a unit axial load)
  std::int64_t izlmkg = 0;   // its location vector
};

// The matrices of element ielno as its record holds them now; no driver is
// called. An element of a type without a driver has none.
ElementMatrices element_matrices(int ielno);

// ELEDSP: ltype is the caller's previous element type (set to this element's
// type on return); lhead bit 0 prints the page header on a change of type.
// An unavailable type prints " ELEMENT n IS NOT AVAILABLE" and leaves the
// outputs but nhyst (0) as they were.
void eledsp(EleCall& c, int& ltype, int lhead);

// Convenience for the loops of the callers: a call with options and switches
// only, the result words discarded.
void eledsp_simple(int iopt, int ielno, int& ltype, bool lecho, int lhead,
                   std::int64_t idisp, std::int64_t iload);

// "RELEASE" with "ELEMENT": option 13 for every element in ascending order, the
// command line as the label, a previous-type word cleared before the loop.
void reset_all_elements(std::string_view command);

}  // namespace elements
