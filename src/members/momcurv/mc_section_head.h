// The property set of a moment-curvature section ("MOMCURVA1", type 18, one
// section per segment; "MOMCURVA2", type 180, a section at both segment
// ends): a head of 30 words, the backbone table MCTAB behind it, then the
// member record. Whole-number fields are stored as reals and read back by
// truncation.
#pragma once

#include <array>
#include <cstdint>

namespace members::momcurv {

inline constexpr int kSingleSectionType = 18;  // "MOMCURVA1"
inline constexpr int kNodalEndType = 180;      // "MOMCURVA2"

enum McWord : int {
  kNSEG = 1,     // W  segments of the member
  kG = 2,        // R  shear modulus: torsional rigidity G*J
  kEM = 3,       // R  modulus: EM*TOTA, EM*IV
  kLIBN = 4,     // W  section library, only 1
  kIV = 5,       // R  second moment of area about V
  kJ = 6,        // R  torsion constant
  kECCX0 = 7,    // R  loading-point eccentricities (IECOP 1)
  kECCY0 = 8,    // R
  kPCMAX = 9,    // R  maximum plastic curvature (limit code 10)
  kCURNM = 10,   // R  nominal curvature (limit code 3)
  kST = 11,      // R  not used
  kNC = 12,      // W  IREV1: control points per backbone
  kNA = 13,      // W  IREV2: axial loads (backbones)
  kIREV3 = 14,   // W  0: the first backbone whatever the axial force
  kIREV4 = 15,   // W  not used
  kIECOP = 16,   // W  1: eccentric loading points
  kNUMP = 17,    // W  5, set at input
  kSMALL = 18,   // R  end-segment length
  kRATIX0 = 19,  // R  out-of-straightness ratios
  kRATIY0 = 20,  // R
  kTOTA = 21,    // R  area
  kIAUTO = 22,   // W  1: displacement norms and stability parameter
  kIMATER = 23,  // W  1: bending about U follows the moment-curvature rule
  kRATIO3 = 24,  // R  not used
  kIR = 25,      // W  not used
  kG2 = 26,      // R  second "G" field, not used
  kQRNEE = 27,   // R  divisor of the displacement-norm ratio
  kISTIF = 28,   // W  segment-stiffness option
  kNPROP = 29,   // W  record length, written at input
  kIELAS = 30,   // R, used as its whole number: 0 elastic sections
  kHeadWords = 30,
};

inline constexpr int kMcNump = 5;
inline constexpr int kFirstTableWord = kHeadWords + 1;

// Words of the backbone table: PA(i) at pa + i - 1, PM(j, i) at pm + (i-1)*NC + j - 1,
// PC(j, i) likewise at pc.
struct McTable {
  int na = 0;
  int nc = 0;
  std::int64_t pa = kFirstTableWord;
  std::int64_t pm = 0;
  std::int64_t pc = 0;
  std::int64_t end = 0;  // first word behind the table: the member record's start S0
};
McTable mc_table(int na, int nc);

// The member arrays, in record order (the rule's arguments 47 to 97, then the
// five end-B arrays of type 180). Shapes are column-major, segment fastest.
enum McArray : int {
  kLMSEG = 1,  // (N,12)
  kKDOF,       // (NDOF)
  kBETA,       // (N)
  kECCXE,      // (2)
  kECCYE,      // (2)
  kUSEG,       // (N,P)   not used
  kVSEG,       // (N,P)   not used
  kU,          // (P)     not used
  kV,          // (P)     not used
  kXSEG,       // (N,2,3)
  kSLEN,       // (N)
  kUTOT,       // (NDOF)
  kDU,         // (NDOF)  words 1-12: the end increments from the driver
  kUIMP,       // (NDOF)
  kSLENC,      // (N)
  kSEGW,       // (N,12)
  kFLOC,       // (N,12)
  kFGLB,       // (N,12)
  kDSEG,       // (N,12)
  kSEGPA,      // (N,NA)
  kSEGPM,      // (N,NA,NC)
  kSEGPC,      // (N,NA,NC)
  kET,         // (P)     not used
  kRSEG,       // (N,9)
  kRSEG0,      // (N,9)
  kASAT,       // (NDOF,NDOF)
  kAHALF,      // NDOF(NDOF+1)/2
  kMDIAG,      // (NDOF+1)
  kEEASAT,     // (12,12)
  kTECC,       // (12,12)
  kDFEND,      // (NDOF)
  kASAT0,      // (NDOF,NDOF)
  kSKSEG,      // (N,12,12)
  kECCXR,      // (2)
  kECCYR,      // (2)
  kFINT,       // (NDOF)
  kRVEC,       // (NDOF)
  kXVEC,       // (NDOF)
  kASTF,       // (NDOF,NDOF)
  kSTRAIN,     // (P)     not used
  kDE,         // (N,P)   not used
  kAREA,       // (P)     not used
  kLENGTH,     // (P)     not used
  kSTRESS,     // (N,P)   not used
  kMCST,       // (N,P)   section state: CU, MU, RULE, CUN, CUP
  kMCSTP,      // (N,P)   PCU, PMU, -, MUN, MUP
  kC52,        // (N,P)   not used
  kC53,
  kC54,
  kC55,
  kC44,        // (P)     not used; the last array of type 18
  kSEGPA2,     // (N,NA)  type 180: the end-B sections
  kSEGPM2,     // (N,NA,NC)
  kSEGPC2,     // (N,NA,NC)
  kMCST2,      // (N,P)
  kMCSTP2,     // (N,P)
};
inline constexpr int k18Arrays = kC44;
inline constexpr int k180Arrays = kMCSTP2;

// Start words (PROP indices) of the arrays of one member and the record length.
struct McLayout {
  int type = kSingleSectionType;
  int nseg = 0;
  int na = 0;
  int nc = 0;
  int narrays = 0;
  std::array<std::int64_t, k180Arrays + 2> start{};  // start[k]; start[narrays + 1] = NPROP + 1
  std::int64_t nprop = 0;                            // the last word of the record

  std::int64_t words(int k) const { return start[static_cast<std::size_t>(k) + 1] - start[static_cast<std::size_t>(k)]; }
};
// The layout of a member of nseg segments with a table of na axial loads and
// nc control points (all >= 0); any type other than 180 is laid out as 18.
McLayout mc_layout(int type, int nseg, int na, int nc);

// Faults that make a set unusable; an element naming such a set is rejected.
enum McFault : unsigned {
  kFaultLibn = 1u << 0,         // LIBN other than 1
  kFaultNseg = 1u << 1,         // NSEG outside 1..32
  kFaultPoints = 1u << 2,       // fewer than 2 control points
  kFaultImater = 1u << 3,       // IMATER other than 1
  kFaultRecordSize = 1u << 4,   // counts beyond a record a REAL word can size
  kFaultFirstPoint = 1u << 5,   // a first control point with curvature or moment <= 0
  kFaultAscending = 1u << 6,    // control-point curvatures not ascending
  kFaultLastSlope = 1u << 7,    // last segment as steep as the initial branch: no target point
  kFaultAxialLoads = 1u << 8,   // a negative number of axial loads
  kFaultIstif = 1u << 9,        // ISTIF not 0 or 1
};

// Faults of the head alone (before the table is read). NA is tested apart:
// NA = 0 stops the run.
unsigned mc_head_faults(const float* prop);
// Faults of the backbones of the table laid out in prop (head counts sane).
unsigned mc_table_faults(const float* prop);

}  // namespace members::momcurv
