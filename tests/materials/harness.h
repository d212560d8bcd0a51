// Drives one material set through MATDSP the way an element does: option 0 for
// the state size, option 2 to initialise, then per step copy committed to
// trial, trial force from the committed tangent, option 3 on the trial copy with
// copies of PL/DL/V/VL, and commit; options 4 and 5 for the results.
#pragma once

#include <string>

#include "materials/matdsp.h"

namespace mtest {

class MaterialHarness {
 public:
  // Resets the globals, opens unit 5 on `input` (the set's record, its first
  // item the keyword/name) and unit 6 on a scratch file, and stores set 1 of
  // `type` through MATDSP option 1. More sets: pass several records and nsets.
  MaterialHarness(int type, const std::string& input, int nsets = 1);
  ~MaterialHarness();

  // Option 0 then option 2 on the committed copy of a spring of set `set`.
  void init(int set = 1);
  // One step to deformation d: returns the force after state determination and
  // commit. v is the rate handed to the model (default: d - committed d).
  float step(float d);
  float step(float d, float v);
  // Steps from the committed deformation to d in n equal increments; returns the last force.
  float walk(float d, int n);

  float force() const { return p_; }
  float deformation() const { return d_; }
  float tangent() const;             // committed state word 1
  float* committed() const;          // 1-based view of the committed copy
  float* trial() const;              // 1-based view of the trial copy
  int nstate() const { return nstate_; }
  int nprop() const { return nprop_; }
  float* prop() const;               // 1-based view of PROP of the current set

  materials::MatCall results();      // option 4
  materials::MatCall damage();       // option 5

  // Everything unit 6 received so far.
  std::string output() const;
  // Elements may write state words before option 3 (brace length, wall words):
  // this writes the same value into both copies.
  void set_state_word(int k, float value);

 private:
  materials::MatCall base_call(int iopt) const;
  int type_ = 0;
  int set_ = 1;
  int nstate_ = 0;
  int nprop_ = 0;
  long long sta_ = 0;  // ZMATRX index of the committed copy
  float p_ = 0.0f, d_ = 0.0f, v_ = 0.0f;
  std::string dir_;
};

}  // namespace mtest
