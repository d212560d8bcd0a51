// The inelastic beam-column family (types 9 "IE3DBEAM" and 10 "MR_END"): an
// elastic member between rigid end zones whose six end actions are carried
// by material springs. This file holds the record words the two types share,
// a view of the record, and the rules that do not depend on the type: the
// flexibility pairs, the status string, the nearest-breakpoint lookup of the
// failure tables, the interaction surfaces and the shear capacities. What a
// material model adds comes through the hinge interface (hinge_model.h).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/work_array.h"

namespace elements::beam_column {

// Record words (word 0 is the type code); words 0-313 are alike in both types.
enum Word : int {
  kNedof = 1,
  kMatTyp = 2,    // 6 INT: material type of components 1-6
  kHtan = 8,      // 4 REAL: hinge tangent of MY-A, MY-B, MZ-A, MZ-B at the last formation
  kYldFlg = 12,   // 6 REAL: IA_BILN yield flags, order MX, FX, MY-A, MY-B, MZ-A, MZ-B
  kMstOff = 18,   // 6 INT: first state word of each component in each half
  kPkg = 24,
  kDul = 25,      // 12 REAL: local displacement increments of the step
  kUl = 37,       // 12 REAL: total local displacements
  kDfl = 49,      // 12 REAL: local force increments of the step
  kFl = 61,       // 12 REAL: total local forces
  kLm = 73,       // 12 INT
  kCts = 85,      // 3x3 REAL
  kCte = 94,
  kBs = 103,
  kBe = 112,
  kJntA = 121,
  kJntB = 122,
  kPosA = 123,    // node-table positions; 0 for a rejected element
  kPosB = 124,
  kElFlag = 125,  // bit value 64: the element has a geometric stiffness; 128, 256: see kTrialInStepBit
  kClen = 126,
  kKgdof = 127,
  kNke = 128,     // packed stiffness terms; the geometric ones follow
  kLmkg = 129,    // 12 INT
  kNhyst = 141,
  kEse = 142,
  kPse = 143,
  kFmaxt = 144,   // 12x12 REAL: force vector at the maximum of each DOF
  kIafag = 288,
  kIyldst = 289,  // type 9: status bits; type 10: the yielded flag
  kMatSet = 290,  // 6 INT
  kAxk = 296,
  kShz1 = 297,
  kShz2 = 298,
  kShz3 = 299,
  kShy1 = 300,
  kShy2 = 301,
  kShy3 = 302,
  kTok = 303,
  kByaa = 304,
  kByab = 305,
  kBzaa = 306,
  kBzab = 307,
  kBybb = 308,
  kBzbb = 309,
  kPlrot = 310,   // 4 REAL: plastic rotations of MY-A, MY-B, MZ-A, MZ-B
};

inline constexpr int kGeomBit = 64;
// The trial half of the material states holds the committed half word for
// word (set by the commit's copy, cleared by whatever may write the trial
// half): the next state determination need not copy it again.
inline constexpr int kTrialInStepBit = 128;
// Past the step words of each component's model the two halves agree (set
// by every whole copy, cleared by the set-up and a reset).
inline constexpr int kTailInStepBit = 256;
inline constexpr int kMaxTerms = 156;  // packed stiffness and geometric stiffness together
inline constexpr int kEnvelopeWords = 144;

// Components in record and input order.
enum Component : int { kMyA = 1, kMyB = 2, kMzA = 3, kMzB = 4, kMx = 5, kFx = 6 };

// The local DOF of each component's end action (1-based, index by component).
inline constexpr std::array<int, 7> kComponentDof{0, 5, 11, 6, 12, 10, 7};
// Its place among the yield flags (MX, FX, MY-A, MY-B, MZ-A, MZ-B).
inline constexpr std::array<int, 7> kFlagPlace{0, 3, 4, 5, 6, 1, 2};
// Its bit of the status word.
inline constexpr std::array<int, 7> kStatusBit{0, 8, 16, 32, 64, 4, 2};

// What sets a type of the family apart in its record.
struct Layout {
  int type;
  int a;     // first word of the 12x12 transformation A
  int base;  // first material state word
  // The reduced member (type 10): no HINGE ends, shear data, limit codes or
  // P-delta shears; a yielded flag (kIyldst) in place of the status bits.
  bool reduced = false;
};

// A view of one element record.
struct Member {
  std::int64_t p = 0;
  Layout lay{};

  kv::IntWord iw(int k) const { return kv::izm(p + k); }
  kv::RealWord rw(int k) const { return kv::rzm(p + k); }
  float* real(int k) const { return kv::rptr(p + k); }
  std::int32_t* ints(int k) const { return kv::iptr(p + k); }
  float clen() const { return rw(kClen); }
  int type_of(int c) const { return iw(kMatTyp + c - 1); }
  int nhyst() const { return iw(kNhyst); }
  bool rejected() const { return iw(kPosA) <= 0 || iw(kPosB) <= 0; }
  // State words of component c, 1-based: committed(c)[1] is its word 1.
  float* committed(int c) const { return kv::rptr(p + lay.base + iw(kMstOff + c - 1) - 1) - 1; }
  float* trial(int c) const { return committed(c) + nhyst() / 2; }
  std::int64_t committed_index(int c) const { return p + lay.base + iw(kMstOff + c - 1) - 1; }
  std::int64_t trial_index(int c) const { return committed_index(c) + nhyst() / 2; }
  // The state words component c owns in one half.
  int nstate(int c) const {
    const int next = c < kFx ? iw(kMstOff + c) : nhyst() / 2 + 1;
    return next - iw(kMstOff + c - 1);
  }
  float* a() const { return real(lay.a); }
  bool reduced() const { return lay.reduced; }
  std::int64_t izke() const { return p + lay.base + nhyst(); }
};

// End-moment stiffness of one bending plane: A-A, A-B and B-B terms.
struct PairTerms {
  float aa = 0.0f;
  float ab = 0.0f;
  float bb = 0.0f;
};

// The hinge flexibility 1/tangent - 1/elastic of a flexibility-pair end
// (0.0 when there is no elastic stiffness); a zero tangent is taken as the
// series spring's 1.0E-20, so the flexibility stays finite.
float hinge_flexibility(float tangent, float elastic);

// The pair stiffness of a member of flexibility c = L/3EI (and e = L²/12EI²)
// whose ends carry the hinge flexibilities fa, fb.
PairTerms flexible_member_pair(float fa, float fb, float c, float e);

// The pair stiffness of ends of elastic stiffnesses ea, eb (6EI/L for both
// ends of a plain member) that carry the hinge flexibilities fa, fb.
PairTerms flexible_ends_pair(float fa, float fb, float ea, float eb);

// FLGCHR: "000000" with character k set to '1' when bit value 2^k of the
// status word is set (k = 1..6: FX, MX, MY-A, MY-B, MZ-A, MZ-B).
std::array<char, 6> flgchr(int status);

// TBNEAR: the value v of the breakpoint of xb nearest to x, on a table that
// is descending when xb[0] >= xb[1] and ascending otherwise; beyond the table
// the end value. A table that is not monotone, or an x that no interval holds,
// takes the breakpoint nearest by |x - xb|.
float tbnear(float x, std::span<const float> xb, std::span<const float> v);


// ---------------------------------------------------------------- interaction rules

// Trial end actions the interaction rules read: the axial force at end B
// (compression negative) and the four bending moments.
struct EndActions {
  float p = 0.0f;
  float mya = 0.0f, myb = 0.0f;
  float mza = 0.0f, mzb = 0.0f;
};

// Nominal capacities of the interaction surface: the axial capacity P0 and
// the bending capacities M0y, M0z (those of the end-A components, for both ends).
struct Nominal {
  float p0 = 0.0f;
  float m0y = 0.0f;
  float m0z = 0.0f;
};

// YLDST1: the family-1 code (1 neither end on the surface, 2 end A, 3 end B,
// 4 both or the compression ratio at 1.0) after the trial actions f. Codes
// other than 1, 2, 3 come back unchanged, except for the cut-off at a ratio
// of 1.0. A zero P0 or bending capacity counts as the surface reached.
int yldst1(const EndActions& f, const Nominal& n, int iafag);

// YLDST2: the family-5 twin, advancing once from 5 to 6, 7 or 8.
int yldst2(const EndActions& f, const Nominal& n, int iafag);

// PMYLD1: the moment capacity of the cubic a (A0..A3) at the axial force p
// (compression negative); a straight line is capped at m0, a true cubic is not.
float pmyld1(float p, float m0, std::span<const float, 4> a);

// PMYLD2: the same capacity for both ends; the caller gets back the family-9
// code of the two MY moments against it (9 none, 10 A, 11 B, 12 both at or
// above it).
float pmyld2(const EndActions& f, float m0, std::span<const float, 4> a, int& iafag);

// PMCUB: the cubic b (B0..B3) at the axial force p, without a cap.
float pmcub(float p, std::span<const float, 4> b);

// ---------------------------------------------------------------- shear capacities

// SHRCAP: member shear capacity at ductility mu. The concrete term runs from
// vci (up to 3.0) through vc7 (7.0) to vcf (15.0 on) in straight pieces; the
// steel term vs and the axial term pn are added.
float shrcap(float vci, float vcf, float vc7, float vs, float pn, float mu);

// JSHCAP: joint shear stress at which the principal tension under the normal
// stresses s1, s2 reaches the allowed value (y3 up to ductility 3.0, y7 from
// 7.0 on, a straight line between). Normal stresses beyond the allowed
// tension leave no real capacity: 0.0.
float jshcap(float s1, float y3, float y7, float s2, float mu);

}  // namespace elements::beam_column
