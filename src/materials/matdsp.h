// The material dispatcher MATDSP and the common argument list of the material
// drivers. Elements reach every material model through matdsp() only.
#pragma once

#include <array>
#include <cstdint>

#include "base/work_array.h"
#include "fio/fio.h"
#include "materials/material_type.h"

namespace materials {

// Material option codes.
enum MatOption : int {
  kOptNState = 0,     // return NSTATE
  kOptRead = 1,       // read, store and echo one property set (structure input)
  kOptInit = 2,       // initialise the state words of the copy given
  kOptState = 3,      // state determination for the new deformation D
  kOptResults = 4,    // energies, ductilities, excursion ratios
  kOptDamage = 5,     // damage index
};

// The end values a section material (a whole segmented member) exchanges with
// the stability element in place of the scalars P, PL, D, DL: 12 each, in
// element axes (translations and rotations of end A, then of end B). The
// velocities are not passed; the member ignores them.
struct EndVectors {
  std::array<float, 12> p{};   // in: force prediction; out: the member's end forces
  std::array<float, 12> pl{};  // in: forces of the last committed state
  std::array<float, 12> d{};   // in: end displacements
  std::array<float, 12> dl{};  // in: end displacements of the last committed state
};

// The common argument list of a material driver (MATxx). The caller fills the
// "in" fields, matdsp() fills the rest, the driver writes the results back.
struct MatCall {
  int iopt = 0;                 // in: option 0..5
  int ielno = -1;               // in: element number for messages, -1 during input
  bool new_type = false;        // set by matdsp: type differs from the caller's previous one
  bool element_print = false;   // in: element print switch
  bool debug = false;           // set by matdsp: trace letter K
  int set = 0;                  // in: set number 1..NMAT
  std::int64_t sta = 0;         // in: ZMATRX index of word 1 of the MATSTA copy worked on
  float p = 0.0f;               // in/out: spring force (result of option 3)
  float pl = 0.0f;              // in/out: force at the last committed state
  float d = 0.0f;               // in/out: deformation
  float dl = 0.0f;              // in/out: deformation at the last committed state
  float v = 0.0f;               // in: rate of deformation at the end of the step
  float vl = 0.0f;              // in: rate at the last committed state
  int nstate = 0;               // out: state words of one copy
  int nprop = 0;                // in/out: property words
  std::int64_t prop = 0;        // set by matdsp: ZMATRX index of PROP(1) (MATREC word 1)
  float ese = 0.0f;             // out: elastic strain energy
  float pse = 0.0f;             // out: plastic strain energy
  std::array<float, 3> duct{};  // out: the three ductilities
  std::array<float, 6> ex{};    // out: excursion ratios EX1..EX6
  float di = 0.0f;              // out: damage index
  bool failed = false;          // out (option 3): the spring's failure rule holds, it carries no force
  int error = 0;                // the dispatcher's error word (-1 after a type without driver);
                                // a section set that cannot be set up (option 2) sets it too
  EndVectors* ends = nullptr;   // in/out: the 12-vectors of a section material (null otherwise)
};

// 1-based views of a call's state copy and property words:
//   float* S = state_words(c);  S[1] .. S[NSTATE]
//   float* PROP = prop_words(c); PROP[1] .. PROP[NPROP]
inline float* state_words(const MatCall& c) { return kv::rptr(c.sta) - 1; }
inline float* prop_words(const MatCall& c) { return kv::rptr(c.prop) - 1; }

// The failure rule of the hinge and moment-rotation models: a MAXDUC of 1.0
// or more that the spring's ductility has reached leaves it no force.
inline bool past_failure(float maxduc, float duct) { return maxduc >= 1.0f && duct >= maxduc; }

// MATDSP. prev_type is the caller's previous type (0 before the first call),
// set to this set's type on return; page_print bit 0 prints the page header on
// a change of type; type is in at option 1 (the keyword's code) and out
// otherwise. With a set number outside 1..NMAT the message is printed, nstate
// and type come back 0 (so a caller's check for an incompatible material
// rejects the set) and nothing else changes: prev_type, di and the state words
// keep their values and no driver runs.
void matdsp(MatCall& c, int& prev_type, int page_print, int& type);

// Hysteresis bookkeeping shared by all hysteretic models.
// ENRGY: one segment from (dl, pl) to (d, p); ese is the 3-word array
// (now, positive peak, negative peak); pse and cse are updated. k is not read.
// A negative ke (falling branch) stores no elastic energy: ese[0] is 0 then.
void enrgy(float* ese, float& pse, float& cse, float p, float pl, float d, float dl, float k, float ke);
// DUCTEX: iopt 1 updates the ratios of one sense into umax (3 words) and the
// peaks ex[3..5] (ex is the 6-word array EX1..EX6, 0-based); any other iopt
// closes the excursion. A ratio whose divisor (dy, ese, ey) is 0 is not
// formed and leaves its maximum and peak as they were.
void ductex(int iopt, float* umax, float* ex, float dy, float d, float ese, float pse, float cse, float ey);

// Park-Ang damage index |dmax|/du + beta/(du*fy)*pse. An ultimate deformation
// of 0 gives 0.0 (no index can be formed), a yield force of 0 drops the energy
// term, so no infinity or NaN reaches a report.
float park_ang(float dmax, float du, float beta, float fy, float pse);

// Reads one property-set record list-directed from unit 5 into the targets
// (the set's name first). An end of file or an unreadable value prints the
// record that failed and stops the run (input that cannot be read cannot be
// skipped: the sets after it would be misread).
template <class... T>
void read_set_record(int set, T&... targets);

// The stop of read_set_record (out of line: it prints and throws).
[[noreturn]] void set_read_failed(int set, fio::Status status);

template <class... T>
void read_set_record(int set, T&... targets) {
  fio::Status s = fio::read_list(5, targets...);
  if (s != fio::Status::ok) set_read_failed(set, s);
}

}  // namespace materials
