// The one-DOF spring family: the record layout and the steps that the spring
// (type 2) and the strut and brace element (type 8) share. A member of the
// family joins two nodes through one local component; its material sees one
// scalar deformation and hands back one scalar force and tangent.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/work_array.h"
#include "elements/eledsp.h"
#include "materials/matdsp.h"

namespace elements::spring_family {

// Record words (counted from the record's word 0).
enum Word : int {
  kWType = 0,
  kWNd = 1,
  kWNodeI = 2,      // node IDs of the two ends
  kWNodeJ = 3,
  kWPosI = 4,       // their positions in NODID
  kWPosJ = 5,
  kWDdefo = 6,      // deformation increment of the step
  kWDefo = 7,       // committed deformation
  kWF = 8,          // force increment of the step
  kWFt = 9,         // committed force
  kWDvelo = 10,     // velocity increment of the step
  kWVelo = 11,      // committed velocity
  kWNhyst = 12,     // material state words, 2 x NSTATE
  kWSke = 13,       // material tangent the stiffness was formed with
  kWLength = 14,    // L; 0.0 marks an element rejected at its check
  kWSet = 15,       // material set
  kWTI = 16,        // 12 node-I coefficients of the kept degrees of freedom
  kWTJ = 28,        // 12 node-J coefficients
  kWLm = 40,        // 12 equation numbers
  kWKtype = 52,
  kWFmax = 53,      // force of largest magnitude
  kWDmax = 54,      // its deformation (the strut: the largest deformation)
  kWState = 55,     // MATSTA: committed half, then trial half
};

inline constexpr int kRecordWords = 133;  // fixed words, the stiffness included
inline constexpr int kStiffWords = 78;    // packed triangle of order 12
inline constexpr int kMaxDof = 12;

// A view of one element record of the family.
struct Record {
  std::int64_t p = 0;

  kv::IntWord iw(int k) const { return kv::izm(p + k); }
  kv::RealWord rw(int k) const { return kv::rzm(p + k); }
  int nd() const { return iw(kWNd); }
  float t1(int row) const { return rw(kWTI + row - 1); }
  float t2(int row) const { return rw(kWTJ + row - 1); }
  int lm(int row) const { return iw(kWLm + row - 1); }
  int nhyst() const { return iw(kWNhyst); }
  int nstate() const { return nhyst() / 2; }
  // 1-based views of the two state halves: committed()[1] is word 1.
  float* committed() const { return kv::rptr(p + kWState) - 1; }
  float* trial() const { return kv::rptr(p + kWState + nstate()) - 1; }
  std::int64_t committed_index() const { return p + kWState; }
  std::int64_t trial_index() const { return p + kWState + nstate(); }
  std::int64_t stiffness_index() const { return p + kWState + nhyst(); }
  // An element whose check failed keeps no degree of freedom and is passed
  // over by every option.
  bool usable() const { return static_cast<float>(rw(kWLength)) > 0.0f; }
};

// What sets the strut and brace element apart from the spring.
struct Family {
  int type = 2;
  bool strut = false;  // axial only; material in force and elongation; no zero-length branch
  std::string_view driver_name;      // "ELE-02"
  std::string_view echo_title;       // first line of the echo header
  std::string_view stiff_title;      // title of the stiffness trace
  std::string_view forces_title;     // first words of the force header
  std::string_view ktype_revise;     // last line of the invalid-type message
  std::string_view combined_tail;    // column titles of the combined-force header
  std::string_view history_title;    // first words of the history header
  std::string_view history_type;     // label of the type in the history header
  // Called after each state determination on the trial half (strut: the event
  // words); d is the deformation handed to the material.
  void (*after_state)(const EleCall& c, const Record& r, float d) = nullptr;
  // Called before the material set-up of the check and of a reset with the
  // length the element uses (strut: length and effective-length factor).
  void (*before_setup)(const EleCall& c, const Record& r, float length) = nullptr;
  // Called after a history read-back with the six ductility and excursion
  // values of the last record read.
  void (*after_history)(const float* six) = nullptr;
};

// The name of a component type (9 characters; blanks outside the table).
std::string_view ktype_name(const Family& f, int ktype);

// The spring's tangent divided by the length it acts over (the strut: none).
float spring_constant(const Family& f, const Record& r);

// Element options shared by the family.
void check(EleCall& c, const Family& f);           // option 1
void tangent(EleCall& c, const Family& f);         // option 3
void state(EleCall& c, const Family& f);           // option 4
void commit(EleCall& c, const Family& f);          // option 5
void history_write(EleCall& c, const Family& f);   // option 7
void history_read(EleCall& c, const Family& f);    // option 8
void count_state(EleCall& c, const Family& f);     // option 9
void maxima(EleCall& c, const Family& f);          // option 12
// Option 13 without the material set-up: zeroes the step words, the maxima and
// both state halves, prints the reset line. The caller sets the material up.
void reset_words(EleCall& c, const Family& f, std::string_view message);
void invalid_option(const EleCall& c, const Family& f);

// A material call of option iopt on the state half at sta (ZMATRX index of
// its word 1) of the element's set; the caller fills the point arguments.
materials::MatCall material_call(const EleCall& c, const Record& r, int iopt, std::int64_t sta);
// MATDSP with a fresh previous-type word and both print switches off; the
// call comes back as the material driver left it.
void run_material(materials::MatCall& m);

// The material type of set s, 0 when s is not a set of the model.
int material_type(int set);

// The force header: the family's title, then `subtitle`; the column titles
// given by `tail`.
void force_header(const Family& f, std::string_view subtitle, std::string_view tail);
inline constexpr std::string_view kFullTail =
    "      FORCE    "
    " DISPLACMENT   "
    "   STIFFNESS   ";

}  // namespace elements::spring_family
