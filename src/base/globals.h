// The fixed global blocks shared by all subsystems: CONTRL, TITLES, SOLSTA,
// STCASE, and the run stop. Everything else lives in the work array.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/work_array.h"

namespace kv {

// ---- CONTRL: 500 integer words, 1-based. Word names as the layouts give them.
// LOGICAL words hold -1 for true and 0 for false.
enum ContrlWord : int {
  kIZ = 1,
  kIZ0 = 2,
  kStateChanged = 7,  // an element's spring changed state in the step
  kNEWK = 7,          // the solutions' name for it: form a new stiffness before the next solve
  kNEWKG = 9,         // LOGICAL: form the geometric stiffness again
  kMCOND = 10,
  kKGCOND = 11,
  kELASTC = 13,
  kISTOP = 14,
  kNNODE = 15,
  kNEQ = 16,
  kNCOND = 17,
  kNFREE = 18,
  kNRESTR = 19,
  kNNDIM = 20,
  kNCOS = 21,
  kNMAT = 22,
  kNELEM = 23,
  kNMASS = 24,
  kNLC = 25,
  kNSOL = 26,
  kNELOAD = 27,
  kElementLoadWord = 28,
  kNODID = 29,
  kIDTab = 30,
  kXYZ = 31,
  kCOSTab = 32,
  kTCON = 33,
  kNCODE = 34,
  kICOS = 35,
  kMATPTR = 36,
  kELETAB = 37,
  kElemLoad1 = 38,
  kElemLoad2 = 39,
  kIZKE = 40,
  kIZLM = 41,
  kStiffValues = 42,
  kStiffMdiag = 43,
  kIZKG = 44,
  kIZLMKG = 45,
  kMassValues = 46,
  kMassMdiag = 47,
  kLUMREC = 48,
  kDampRecord = 49,
  kKGDATARecord = 50,
  kGeoValues = 51,
  kGeoMdiag = 52,
  // Words 53-60: the solutions' NEQ-row tables, each word the table's index
  // (0: not reserved; "STR" and "RELEASE" zero them, and a solution reserves a
  // table only while its word is 0). One name per role; where a solution
  // gives a word another meaning, that meaning has its own name here.
  kPTOTAL = 53,   // "SOL" 1: load table (NEQ x NLC; reactions back in the restrained
                  //   rows), the elements' ILOAD; "SOL" 4, 5 and the time history:
                  //   the total loads
  kUTOTAL = 54,   // "SOL" 1: displacement table (NEQ x NLC), the elements' IDISP;
                  //   "SOL" 4, 5 and the time history: the total displacements
  kVTOTAL = 55,   // time history: total velocities
  kPREF = 55,     // "SOL" 4: the reference load pattern
  kATOTAL = 56,   // time history: total accelerations
  kDPLOAD = 57,   // "SOL" 4 and the time history: the step's load increments, the
                  //   elements' ILOAD there
  kDUDISP = 58,   // "SOL" 4 and the time history: the step's displacement
                  //   increments, the elements' IDISP there
  kDVELOC = 59,   // time history: velocity increments, which the drivers of types 2,
                  //   3, 8, 14 and 16 receive as rates; zeroed by the static solutions
  kPREVRS = 59,   // "SOL" 4: the load-reversal vector. The rate-reading drivers see it
                  //   there; no model uses the rate in a static solution, so the
                  //   static meaning holds.
  kDACCEL = 60,   // time history: acceleration increments; zeroed by the static solutions
  kSolTablesFirst = kPTOTAL,
  kSolTablesLast = kDACCEL,
  kAGX = 61,          // ground-acceleration series along X, Y, Z (NGP REAL words each)
  kAGY = 62,
  kAGZ = 63,
  kHSTREQ = 64,       // start of the history-request table
  kSolVector65 = 65,  // NEQ words into which element option 4 adds nodal forces
  kQVector = 66,      // the time-history integrator's Q vector
  kMFORM = 68,
  kIDAMP = 69,
  kIUNIT = 70,
  kEINPUT = 71,       // words 71-72: double-precision input energy
  kESTRN = 73,        // words 73-74: double-precision elastic strain energy
  kEPLAS = 75,        // words 75-76: double-precision plastic strain energy
  kEKIN = 77,         // words 77-78: double-precision kinetic energy
  kEDAMP = 79,        // words 79-80: double-precision damping energy
  kStaticColumns = 81,  // load cases the static load and displacement tables (53, 54) hold
  kRSUM = 83,         // words 83-88: REAL resultant FX FY FZ MX MY MZ of the reactions
  kGACC = 89,         // words 89-91: REAL ground acceleration X, Y, Z (times GRAV)
  kGVEL = 92,         // words 92-94: REAL ground velocity X, Y, Z
  kGDSP = 95,         // words 95-97: REAL ground displacement X, Y, Z
  kINC = 98,
};

inline constexpr int kContrlWords = 500;

// contrl()[k] is word k (index 0 unused).
std::array<std::int32_t, kContrlWords + 1>& contrl();
inline std::int32_t& ctl(int word) { return contrl()[static_cast<std::size_t>(word)]; }
inline bool ctl_true(int word) { return ctl(word) != 0; }
inline void set_ctl_logical(int word, bool v) { ctl(word) = v ? -1 : 0; }
// REAL and double-precision values kept in CONTRL words (a double takes the
// word pair word, word+1).
inline RealWord ctl_real(int word) {
  return RealWord(reinterpret_cast<std::uint32_t*>(&contrl()[static_cast<std::size_t>(word)]));
}
inline DoubleWord ctl_double(int word) {
  return DoubleWord(reinterpret_cast<std::uint32_t*>(&contrl()[static_cast<std::size_t>(word)]));
}
// A run of REAL CONTRL words (RSUM, GACC, ...) as a float array.
inline float* ctl_rptr(int word) {
  return reinterpret_cast<float*>(&contrl()[static_cast<std::size_t>(word)]);
}

// ---- TITLES
inline constexpr int kTitleLen = 112;
inline constexpr int kNPMAX = 24;

struct Titles {
  std::string title1 = std::string(kTitleLen, ' ');  // structure title
  std::string title2 = std::string(kTitleLen, ' ');  // solution title
  bool ibug = false;                                  // "BUG" / "NOBUG"
  std::int32_t ibugm = 0;                             // "BUG=" letters, bit i = letter i+1
  int npmax = kNPMAX;
  std::array<int, kNPMAX + 2> np{};                   // np[j], j = 1..25: 1 + j(j-1)/2
  std::string ldlabl = std::string(40, ' ');          // solution text printed by the elements
  float grav = 386.4f;
};
Titles& titles();

// Trace letter test: true when "BUG=" switched on the letter ('A'..'X').
inline bool trace(char letter) {
  return (titles().ibugm >> (letter - 'A')) & 1;
}

// ---- SOLSTA: solution state outside the work array, zero at start, touched by
// neither "STR" nor "RELEASE".
struct Solsta {
  std::int32_t istep = 0;
  float rsmeth = 0.0f;
  std::array<float, 13> rsforc{};   // 1-based, 12 used
  std::array<float, 7> lsflag{};    // 1-based, 6 used
  std::array<std::int32_t, 7> lsstep{};
  std::array<std::int32_t, 7> lsmark{};
  std::array<std::int32_t, 7> lselem{};
  // The running solution applies the unbalanced joint forces of a step at the
  // next one ("SOL" 4 with UNBAL T while SPLIMIT leaves it on, a time history
  // with UNBAL T); only then does a segmented member carry its own.
  bool unbal = false;
};
Solsta& solsta();

// ---- STCASE: the static load case a static elastic solution leaves for a later
// time history. Sized to NEQ by the solution that fills it.
struct Stcase {
  std::int32_t istat = 0;
  std::vector<float> pstat;  // 1-based
  std::vector<float> dstat;  // 1-based
  std::array<float, 7> rstat{};
};
Stcase& stcase();

// The fields of the last joint-load record read: a null item of a joint-load
// record repeats them, also in the first record of a later solution's list.
struct JointLoadRecord {
  std::int32_t joint = 0;
  std::int32_t ngen = 0;
  std::int32_t inc = 0;
  std::string dir = "    ";
  float value = 0.0f;
};

// ---- Run-wide state of the main program that other subsystems read.
struct RunState {
  int nrel = 0;                         // number of "RELEASE" commands so far
  std::array<std::string, 61> fname{};  // file-name table, 1-based (entries 1..60)
  bool histry_echo = false;             // history records echo their element header (first pass)
  JointLoadRecord jload;                // joint-load record fields kept from call to call
  bool result_held_noted = false;       // a ductility beyond the number range was counted
  long command_line = 0;                // input line of the command being run (0: none yet)
};
RunState& run();

// ---- The run's fault count: the one place that counts the messages of a run
// that report an input fault or an abandoned solution.
//
// Whoever writes such a message to the output file also calls note_fault once
// for it, with a short text for the console:
//   Fault::input_warning   an input record or value skipped, clamped or
//                          replaced; the rest of the input runs as asked;
//   Fault::input_error     an input record, command or item rejected (an
//                          element, a material set, a command nobody knows);
//   Fault::solution_error  a solution abandoned, not run, or ended early;
//   Fault::stop            the run stopped on an error (counted by the main
//                          program, whose stop message is the console line).
// An empty text counts without a console line. An input fault's console line
// names the input line last read, which is the
// number the echo of the input shows for it; keep the call right after the
// read of the faulty record. The command loop prints the totals on the console
// before the run's closing line, and a run that reaches its end with any fault
// counted exits with kStatusFaults.
enum class Fault { input_warning, input_error, solution_error, stop };

struct FaultCount {
  int errors = 0;    // input errors, abandoned solutions and an error stop
  int warnings = 0;  // input warnings
};

// line: the input line to name, when the fault is found later than its read.
void note_fault(Fault kind, std::string_view text, long line = 0);
const FaultCount& fault_count();
// The console line with the totals, e.g. " ***     2 ERROR AND     1 WARNING MESSAGES ...".
std::string fault_count_line();

// Exit statuses of the program.
inline constexpr int kStatusError = 1;          // stopped on an error
inline constexpr int kStatusSolutionStop = 2;   // a solution ended the run
inline constexpr int kStatusFaults = 3;         // reached its end, but input was skipped or
                                                // rejected, or a solution abandoned

// Reset every block to its start-of-program value (tests call this too).
void reset_globals();

// ---- Ending the run. A stop is a clean exit path: the main program catches it,
// flushes and closes the files, and exits with the status.
struct RunStop {
  int status;           // process exit status: 0 normal end, non-zero on an error stop
  std::string message;  // printed to the console when not empty
};
[[noreturn]] void stop_run(int status, std::string_view message);

}  // namespace kv
