// The concrete fibre law of the reinforced-concrete sections. Cover concrete
// follows the envelope to 0.004 and then a falling line to zero stress
// (spalling); core concrete follows its confined envelope past ECU. Both
// unload with the initial modulus, carry tension up to their tensile strength,
// crack, and close their cracks on a line back to the last reversal point.
// Compression is negative.
#pragma once

#include "members/rc/confined_concrete.h"
#include "members/rc/section_fibres.h"

namespace members::rc {

// State codes of a concrete fibre (FSTATE).
namespace concrete_state {
inline constexpr float kEnvelope = 0.0f;           // on the compression envelope (also virgin)
inline constexpr float kUnloading = 1.0f;          // on the line of slope EC from (E2, C53)
inline constexpr float kCrushed = 3.0f;            // no stress for good
inline constexpr float kTension = 20.0f;           // uncracked tension, no compression history
inline constexpr float kTensionAfter = 21.0f;      // uncracked tension after compression
inline constexpr float kCracked = 30.0f;           // cracked open, no compression history
inline constexpr float kCrackedAfter = 31.0f;      // cracked open after compression
inline constexpr float kClosing = 40.0f;           // crack closing at zero stress until E2
inline constexpr float kClosingAfter = 41.0f;      // crack closing on the line (E1,C52)-(E2,C53)
}  // namespace concrete_state

// Tangent modulus of a fibre that carries no stress.
inline constexpr float kNoStiffness = 1.0e-5f;

// The history of one concrete fibre.
struct ConcreteFibre {
  float stress = 0.0f;
  float fstate = 0.0f;
  float e1 = 0.0f;   // tension limit strain (cracking strain, later the crack strain)
  float e2 = 0.0f;   // most compressive strain on the envelope, or the reversal strain
  float c51 = 0.0f;  // tensile strength (0.0 once cracked)
  float c52 = 0.0f;  // stress at the crack point of the closing line
  float c53 = 0.0f;  // stress at the last reversal from compression
};

// The law of one kind of concrete: its envelope, the initial modulus and the
// strain where the cover starts to spall (or the core's ultimate strain).
struct ConcreteLaw {
  ConcreteEnvelope env;
  float ec = 0.0f;
  float ecu = 0.0f;
  bool cover = false;
};

// What a step of one fibre signals to the member.
struct ConcreteEvents {
  bool spalled = false;        // a cover fibre passed ECU (code 3)
  bool beyond_ecu = false;     // a core fibre loading on its envelope at or past ECU (code 5)
  bool splice_strain = false;  // a fibre loading on its envelope at 0.002 or more in compression
};

// Advances one fibre from its history by the increment de to the total strain
// eps. et is the fibre's tangent modulus: written by every branch that moves
// the fibre, left as it came where nothing changes.
ConcreteEvents concrete_fibre(ConcreteFibre& f, float eps, float de, const ConcreteLaw& law, float& et);

// The envelope stress and slope at the strain eps (< 0).
void concrete_envelope(const ConcreteEnvelope& env, float eps, float& stress, float& et);

// The section's words the concrete law of one segment section uses.
struct ConcreteSection {
  int ielas = 1;
  int imater = 0;
  int n1 = 0;     // NQ or NU
  int n2 = 0;     // NLAY or NH
  int nbar1 = 0;  // NLBAR or top bars
  int nbar2 = 0;
  int nbar3 = 0;
  ConfinementInput conf;  // with the section's own KE
  float ys = 0.0f;
  float fslap = 0.0f;
  float splice = 0.0f;
  bool setup = false;  // member set-up: CONFIN prints its results
  bool debug = false;
  int ielno = 0;
  int nend = 0;        // 0: one section per segment; 1 or 2: the nodal end
};

// A run of fibres first..last of the mesh (empty when last < first).
struct FibreRange {
  int first = 1;
  int last = 0;
};

// The cover and core concrete fibres of a section kind (empty for a kind
// other than 1, 2, 3).
void concrete_ranges(const ConcreteSection& s, int nump, FibreRange& cover, FibreRange& core);

// CONTAN (nend 0) and CONTANB (nend 1 or 2): the cover and core fibres of one
// segment section. ecu is the head's ECU word: the cover works with 0.004 and
// the word is restored before the core call of CONFIN, which may set it.
void contan(const ConcreteSection& s, const SectionFibres& f, float& ecu, const MemberLimits& m);

}  // namespace members::rc
