// What the beam-column (types 9 and 10) needs of the material model of a
// component: the hinge interface. Each model that can carry a bending end,
// the torsion or the axial force of the member implements it in its own file
// (elements/hinges/) and is entered by one line of the hinge registry
// (elements/hinges/hinge_registry.cpp); the element looks a component's model
// up by its material type and never reads a model's state words itself.
//
// State words are handed over 1-based, as the materials lay them out: s[1] is
// word 1 of the component's copy.
#pragma once

#include "elements/inelastic/beam_column.h"

namespace elements::beam_column {

// ---------------------------------------------------------------- stiffness

// One bending plane's two ends as its pair rule sees them.
struct PairEnds {
  const float* a = nullptr;  // committed state of end A
  const float* b = nullptr;  // committed state of end B
  float length = 0.0f;       // clear length of the member
  bool reduced = false;      // the reduced member (type 10)
  // The element's record of the state the terms were formed with, kept by
  // the rule in whichever words it compares later: the end tangents (HTAN)
  // or the end yield flags (YLDFLG).
  float* tangent_a = nullptr;
  float* tangent_b = nullptr;
  float* flag_a = nullptr;
  float* flag_b = nullptr;
};

// What a pair rule gives back; the element stores, marks and reports.
struct PairForm {
  bool formed = false;  // terms holds the plane's end-moment stiffness
  PairTerms terms{};
  bool no_terms = false;  // the ends leave no terms to form: the element says so and keeps the old ones
  bool status = false;    // the full member's status bits of the two ends become inelastic_a, inelastic_b
  bool inelastic_a = false;
  bool inelastic_b = false;
  bool yielded = false;  // the reduced member's one flag is to be set
  bool yield_a = false;  // ends found yielded, reported (outside the input pass) as first yields
  bool yield_b = false;
};

// The torsion (MX) or axial (FX) component as its rule sees it.
struct AxialEnd {
  const float* s = nullptr;  // committed state
  float length = 0.0f;
  bool reduced = false;
  float* flag = nullptr;  // the element's yield-flag word of the component (YLDFLG)
};

struct AxialForm {
  bool formed = false;  // term holds the stiffness EA/L or GJ/L
  float term = 0.0f;
  bool status = false;  // the full member's status bit becomes inelastic
  bool inelastic = false;
  bool yielded = false;  // the reduced member's one flag is to be set
  bool yield = false;    // first yield, reported (outside the input pass) by the full member
};

// ---------------------------------------------------------------- state determination

// A bending end after its material responded to the step.
struct EndStep {
  float* committed = nullptr;  // the committed copy (words the model records go into both)
  float* trial = nullptr;
  float d = 0.0f;         // the deformation the material was driven to
  float q = 0.0f;         // the material's force
  float rotation = 0.0f;  // total end rotation of the step (chord-relative)
  float length = 0.0f;
  bool reduced = false;
  float* plastic_rotation = nullptr;  // the element's PLROT word of the end (in/out)
};

enum class Capacity { none, message, event };

struct EndOutcome {
  Capacity capacity = Capacity::none;  // message: said every step; event: failure code and limit point
  float x = 0.0f;                      // the rotation beyond the yield one ...
  float cap = 0.0f;                    // ... and the capacity it exceeds
  bool first_yield = false;            // the end yielded for the first time: report and limit point
};

// ---------------------------------------------------------------- interaction

// The member's interaction state as the model of its MY ends sees it; the
// state words are the committed ones of MY-A, MY-B, MZ-A, MZ-B and FX.
struct Interaction {
  EndActions f{};   // trial end actions
  int iafag = 0;    // in/out: interaction code
  float* ya = nullptr;
  float* yb = nullptr;
  float* za = nullptr;
  float* zb = nullptr;
  float* fx = nullptr;
  bool reduced = false;
  int ielno = 0;
  bool wrote = false;  // out: the rule changed a state word (set where it writes one)
};

// The line of a change of the interaction state.
void interaction_message(int ielno, std::string_view what, int iafag);

// ---------------------------------------------------------------- the interface

// A model's facts and rules for the beam-column. A rule left null means the
// model has nothing to say there (no terms, no check, no words).
struct HingeModel {
  int code = 0;  // the material type

  // Components it may carry.
  bool bending = false;          // MY-A .. MZ-B of the full member
  bool bending_reduced = false;  // MY-A .. MZ-B of the reduced member
  bool torsion = false;          // MX
  bool axial = false;            // FX

  // Words the element writes into the model's state: the member length of a
  // bending pair (0: none); the failure table's count word, breakpoints and
  // failure modes following (0: none); the member-shear switch with VCI,
  // VCF, VS, ALFA following (0: none), checked in ascending shear_order.
  int length_word = 0;
  int failure_table = 0;
  int shear_words = 0;
  int shear_order = 0;

  // The last state word that the material's options 3 and 4 and the rules
  // below write into the trial copy alone during a step (0: any word may
  // be); the words after it change only at the set-up and a reset, so the
  // commit need not copy them.
  int step_words = 0;

  // Before and after the set-up of the components (input and reset): the
  // member's words in an axial state of nstate words; the yield deformation
  // an axial or torsion state starts from; the yield rotations of a reduced
  // member's pair.
  void (*before_setup)(float* s, int nstate, float length) = nullptr;
  void (*axial_preset)(float* s, float length) = nullptr;
  void (*reduced_pair_preset)(float* a, float* b, float length) = nullptr;

  // Stiffness of a bending pair of this model, and whether the committed
  // states differ from those it was formed with.
  PairForm (*pair)(const PairEnds& ends) = nullptr;
  bool (*pair_changed)(const PairEnds& ends) = nullptr;
  // Stiffness of an axial or torsion component, and its re-form test (term:
  // the stiffness in use).
  AxialForm (*axial_term)(const AxialEnd& end) = nullptr;
  bool (*axial_changed)(const float* s, float flag, float term) = nullptr;

  // A hinge flexibility 1/tangent - 1/elastic is measured from these (per
  // unit length where the model's rigidities are): false for a model whose
  // pair is no flexibility pair.
  bool (*hinge_tangent)(const float* s, float length, float& tangent, float& elastic) = nullptr;
  // The deformation of a bending end from its hinge rotations th (trial) and
  // thl (committed) and forces q, ql; false: the chord-relative rotation.
  bool (*end_deformation)(const float* s, float q, float ql, float th, float thl, float length, float& d,
                          float& dl) = nullptr;
  // The trial state needs a new stiffness.
  bool (*state_changed)(const float* trial, const float* committed) = nullptr;
  // A bending end after the material's response: plastic rotation, capacity,
  // first yield.
  EndOutcome (*after_state)(const EndStep& end) = nullptr;

  // Interaction: the initial code when all five of MY-A .. MZ-B and FX are
  // of this model, and the update before the components respond when MY-A
  // and MY-B are.
  int (*initial_interaction)(const Interaction& in) = nullptr;
  void (*interaction)(Interaction& in) = nullptr;
  // Whether the capacities the family iafag divides by are usable; false
  // (after its message) rejects the member.
  bool (*interaction_usable)(const Interaction& in, int iafag) = nullptr;

  // Reports: the yield deformation of a component (bending: a bending end)
  // shown under its ductility, which it may replace; 0.0 when the model
  // names none. The ductility of a bending end for its shear capacities
  // from its state and end rotation.
  float (*yield_deformation)(const float* s, bool bending, float& ductility) = nullptr;
  float (*shear_ductility)(const float* s, float rotation) = nullptr;
};

// The registered model of a material type; nullptr for a type that carries
// no component of the beam-column.
const HingeModel* hinge_model(int code);

// Enters a model (a model of the same code is replaced).
void register_hinge_model(const HingeModel& model);

// Enters the library's models (called with the element registration).
void register_builtin_hinge_models();

// ---------------------------------------------------------------- shared by the models

// The pair of a flexibility model: the tangents ta, tb it keeps (HTAN) and
// the elastic stiffnesses ea, eb its hinge flexibilities are measured from;
// an unusable pair has no terms. The caller gets back the end flexibilities
// fa, fb to form its terms from (form.formed is left to it).
PairForm flexibility_form(const PairEnds& ends, float ta, float tb, float ea, float eb, bool usable, float& fa,
                          float& fb);

// The rotation of a hinge end: its elastic part q/k and the plastic part th;
// an end without elastic stiffness has no elastic part to add.
inline float hinge_rotation(float q, float k, float th) { return k != 0.0f ? q / k + th : th; }

// The rules of a flexibility hinge whose state keeps its tangent in word
// Tangent and its elastic stiffness in word Elastic: the re-form tests, the
// hinge tangent and the end rotation from the hinge rotation.
template <int Tangent, int Elastic>
struct FlexibilityWords {
  static bool pair_changed(const PairEnds& e) {
    return *e.tangent_a != e.a[Tangent] || *e.tangent_b != e.b[Tangent];
  }
  static bool hinge_tangent(const float* s, float /*length*/, float& tangent, float& elastic) {
    tangent = s[Tangent];
    elastic = s[Elastic];
    return true;
  }
  static bool end_deformation(const float* s, float q, float ql, float th, float thl, float /*length*/, float& d,
                              float& dl) {
    d = hinge_rotation(q, s[Elastic], th);
    dl = hinge_rotation(ql, s[Elastic], thl);
    return true;
  }
  static bool state_changed(const float* trial, const float* committed) {
    return trial[Tangent] != committed[Tangent];
  }
};

// The plastic rotation d - q/k of a hinge end (d itself without elastic stiffness).
inline float plastic_rotation(float d, float q, float k) { return k != 0.0f ? d - q / k : d; }

}  // namespace elements::beam_column
