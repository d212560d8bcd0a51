// Element loads: the element-load records of a solution (ELLOAD), the beam
// fixed-end forces they cause (BMFEF) and their correction for end releases
// (FEFREL).
#pragma once

#include <cstdint>
#include <string_view>

namespace elements {

// Words per record of the two element-load tables.
inline constexpr int kIdataWords = 5;   // LOAD, ELEM, GEN, INC, CODE
inline constexpr int kRdataWords = 12;  // the record's values

// Load groups (CODE rounded down to hundreds); CODE = group + direction 1..6.
enum LoadGroup : int {
  kGroupConc = 100,   // "CONC": P and its position A as a fraction of the length
  kGroupUnif = 200,   // "UNIF": w over the whole element
  kGroupVarr = 300,   // "VARR": four values, positions 3 and 4 as fractions
  kGroupFem = 400,    // "FEM": the 12 local end forces given directly
};

// Release bits of a beam element: MZ, MY, MX at end j (bits 0-2), at end i (3-5).
enum ReleaseBit : int {
  kRelMzJ = 1 << 0,
  kRelMyJ = 1 << 1,
  kRelMxJ = 1 << 2,
  kRelMzI = 1 << 3,
  kRelMyI = 1 << 4,
  kRelMxI = 1 << 5,
};

// FEFREL kinds.
enum FefKind : int {
  kFefMoment = 0,  // bending moments: a released end hands half its moment over
  kFefTorsion = 1, // axial force or torsion: a released end hands all of it over
};

// The element-load tables as the element drivers see them: NELOAD (CONTRL word
// 27), NREAD (word 28) and the two tables (words 38, 39). nread is 0 when the
// tables are not reserved and never above neload, so a driver cannot read
// outside them.
struct ElementLoadTables {
  int neload = 0;
  int nread = 0;
  const std::int32_t* idata = nullptr;  // IDATA(1, 1)
  const float* rdata = nullptr;         // RDATA(1, 1)
};
ElementLoadTables element_load_tables();

// True when element-load record n (IDATA column given) applies to element e:
// e = ELEM, or INC != 0, GEN > 0 and e = ELEM + k*INC for k = 0..GEN.
bool load_applies(const std::int32_t* record, int e);

// FEFREL: corrects the end values fa (end i) and fb (end j) for the releases
// rela, relb. kind kFefMoment: a released end is zero and hands half its value
// to the other end (both released: both zero). Otherwise the released end hands
// all its value over; both released writes the "TORSION WITH BOTH ENDS
// RELEASED" line for element ielno and zeroes both.
void fefrel(float& fa, float& fb, bool rela, bool relb, int kind, int ielno);

// BMFEF: the equivalent joint loads (negated fixed-end forces) of beam element
// ielno of clear length xl and release bits irel, summed over the records of
// the tables that apply to it, in local axes. fef holds 12 words per load case:
// fef[12*(c-1) + k-1] is component k of load case c. The caller gets back true
// when a record applied; fef is then zeroed first and filled for all nlc load
// cases, otherwise it is not touched. A record whose load case is outside
// 1..nlc is passed over.
bool bmfef(int ielno, float xl, int irel, const ElementLoadTables& t, int nlc, float* fef);

// ELLOAD: reads up to neload element-load records from unit 5 into the tables
// of CONTRL words 38 and 39, echoes them, stores the number kept as NREAD in
// CONTRL word 28 (where the drivers read it) and returns it. When at least one
// record line was read, every element then adds its joint loads into the table
// at iload (element option 6, idisp and iload handed on), and with lprt the
// table at iload is reported per load case, equations above neqr1 marked "*".
// ltitl puts a page header before the tables; label goes to the elements.
int elload(bool lprt, int neqr1, int nelem, int neload, int neq, int nlc, std::int64_t idisp,
           std::int64_t iload, std::string_view label, bool ltitl);

}  // namespace elements
