// Drives one material set through MATDSP the way an element does: option 0 for
// the state size, option 2 to initialise, then per step copy committed to
// trial, trial force from the committed tangent, option 3 on the trial copy with
// copies of PL/DL/V/VL, and commit; options 4 and 5 for the results.
//
// Set-up: the globals are reset (the trace-letter mask becomes `ibugm`, 0 by
// default; kv::titles().ibugm may be changed between steps), IZ = 1, NMAT = the
// number of sets, MATPTR (NMAT + 1 words) is reserved, and each set is read
// through option 1 at the free words with IZ then advanced by NPROP + 1, as the
// structure input does (the page print switch on, the element number -1).
//
// A step to d: P = committed P + (d - committed d) * committed word 1; option 3
// on the trial copy with PL, DL = the committed P and d (copies: what the
// driver writes there is dropped), D = d exactly, V = the given rate or by
// default d - committed d, VL = the committed rate; then the trial copy is
// committed and the spring keeps FT += (P returned - FT), d and V. The harness
// uses its own previous-type word and no page print, as an element does.
//
// One harness drives the models at a time: a new one takes the globals and
// units 5 and 6 over, and an older one that ends afterwards closes nothing that
// is no longer its own.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "materials/matdsp.h"

namespace mtest {

class MaterialHarness {
 public:
  // Resets the globals, closes every unit, opens unit 5 on `input` (the set's
  // record, its first item the keyword/name) and unit 6 on a scratch file, and
  // stores set 1 of `type` through MATDSP option 1. More sets: pass several
  // records and nsets.
  MaterialHarness(int type, const std::string& input, int nsets = 1, int ibugm = 0);
  // Sets of different types: set i has types[i-1], its record the i-th in input.
  MaterialHarness(const std::vector<int>& types, const std::string& input, int ibugm = 0);
  // Closes units 5 and 6 where they are still on this harness's files.
  ~MaterialHarness();

  // Option 0 then option 2 on the committed copy of a spring of set `set`.
  void init(int set = 1);
  // One step to deformation d: returns the force after state determination and
  // commit. v is the rate handed to the model (default: d - committed d).
  float step(float d);
  float step(float d, float v);
  // Steps from the committed deformation to d in n equal increments; returns the last force.
  float walk(float d, int n);

  // The committed force, kept as the spring element keeps it (FT += P - FT),
  // and the force the material returned at the last step.
  float force() const { return p_; }
  float material_force() const { return p_material_; }
  float velocity() const { return v_; }
  float deformation() const { return d_; }
  float tangent() const;             // committed state word 1
  long long state_index() const { return sta_; }  // ZMATRX index of the committed copy
  float* committed() const;          // 1-based view of the committed copy
  float* trial() const;              // 1-based view of the trial copy
  int nstate() const { return nstate_; }
  int nprop() const { return nprop_; }
  float* prop() const;               // 1-based view of PROP of the current set

  materials::MatCall results();      // option 4
  materials::MatCall damage();       // option 5
  // Any option on the committed copy with the spring's committed P and D (PL,
  // DL, V, VL zero); the call as the driver left it.
  materials::MatCall call(int iopt);
  // NPROP the driver returned at option 1 for a set; the type word of a set.
  int nprop_of(int set) const;
  int nstate_at_read(int set) const;  // NSTATE the driver returned at option 1
  int type_of(int set) const;
  // The element print switch handed to the driver (default false).
  void set_element_print(bool on) { element_print_ = on; }

  // Everything unit 6 received so far.
  std::string output() const;
  // Elements may write state words before option 3 (brace length, wall words):
  // this writes the same value into both copies.
  void set_state_word(int k, float value);
  // Words an element writes into the committed copy before the material's
  // set-up (brace length and effective-length factor): every later init()
  // writes them after clearing the copies and before option 2.
  void preset_state_word(int k, float value) { presets_.emplace_back(k, value); }

 private:
  materials::MatCall base_call(int iopt) const;
  void read_sets(const std::vector<int>& types, const std::string& input, int ibugm);
  void read_sets_unguarded(const std::vector<int>& types, const std::string& input, int ibugm);
  void release_units() const;
  int type_ = 0;
  int prev_type_ = 0;  // the element's own previous-type word
  bool element_print_ = false;
  std::vector<int> nprops_;
  std::vector<std::pair<int, float>> presets_;
  std::vector<int> nstates_read_;
  int set_ = 1;
  int nstate_ = 0;
  int nprop_ = 0;
  long long sta_ = 0;  // ZMATRX index of the committed copy
  float p_ = 0.0f, d_ = 0.0f, v_ = 0.0f, p_material_ = 0.0f;
  std::string dir_;
  std::string input_path_;   // what unit 5 was opened on
  std::string output_path_;  // what unit 6 was opened on
};

}  // namespace mtest
