// The beam-column driven through a stand-in model entered by the hinge
// interface alone: its pair terms, axial terms, member words, deformations,
// re-form test, capacity and first-yield events reach the element, with no
// real material behind them.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "base/globals.h"
#include "elements/beam_column_model.h"
#include "elements/eledsp.h"
#include "elements/inelastic/beam_column.h"
#include "elements/inelastic/hinge_model.h"
#include "elements/inelastic/ie3dbeam.h"
#include "materials/matdsp.h"

namespace {

using namespace elements::beam_column;

constexpr int kStandIn = 240;  // a material type no library model uses

// State words of the stand-in material: 1 tangent, 2 yielded, 3 the last
// deformation it was driven to (the FX copy: a word written before set-up),
// 4 the member length.
enum Word : int { kK = 1, kYielded = 2, kLastD = 3, kLen = 4 };

// PROP(1) the stiffness, PROP(2) the force at which the tangent halves.
void stand_in_material(materials::MatCall& c) {
  c.nstate = 4;
  float* s = materials::state_words(c);
  const float* pr = materials::prop_words(c);
  if (c.iopt == materials::kOptInit) {
    s[kK] = pr[1];
    s[kYielded] = 0.0f;
  } else if (c.iopt == materials::kOptState) {
    c.p = c.pl + s[kK] * (c.d - c.dl);
    s[kLastD] = c.d;
    if (std::fabs(c.p) > pr[2] && s[kYielded] == 0.0f) {
      s[kK] = 0.5f * pr[1];
      s[kYielded] = 1.0f;
    }
  }
}

// The stand-in's rules: terms that name their ends (A-A: k of end A, A-B:
// the sum, B-B: k of end B), an axial term k/L, a hinge that turns by q/k,
// a capacity of 0.002 rad and a first yield when the material yields.
PairForm stand_in_pair(const PairEnds& e) {
  *e.tangent_a = e.a[kK];
  *e.tangent_b = e.b[kK];
  PairForm f;
  f.formed = true;
  f.terms = {e.a[kK], e.a[kK] + e.b[kK], e.b[kK]};
  f.status = true;
  f.inelastic_a = e.a[kYielded] != 0.0f;
  f.inelastic_b = e.b[kYielded] != 0.0f;
  return f;
}

bool stand_in_pair_changed(const PairEnds& e) { return *e.tangent_a != e.a[kK] || *e.tangent_b != e.b[kK]; }

AxialForm stand_in_axial(const AxialEnd& e) { return {.formed = true, .term = e.s[kK] / e.length}; }

void stand_in_before_setup(float* s, int nstate, float length) {
  if (nstate >= kLastD) s[kLastD] = 2.0f * length;
}

bool stand_in_deformation(const float* s, float q, float ql, float th, float thl, float, float& d, float& dl) {
  d = q / s[kK] + th;
  dl = ql / s[kK] + thl;
  return true;
}

bool stand_in_changed(const float* trial, const float* committed) { return trial[kK] != committed[kK]; }

EndOutcome stand_in_after(const EndStep& e) {
  EndOutcome out;
  *e.plastic_rotation = e.d;
  if (std::fabs(e.d) > 0.002f) out = {.capacity = Capacity::event, .x = e.d, .cap = 0.002f};
  out.first_yield = e.trial[kYielded] != 0.0f && e.committed[kYielded] == 0.0f;
  return out;
}

constexpr HingeModel kStandInModel{
    .code = kStandIn,
    .bending = true,
    .bending_reduced = true,
    .torsion = true,
    .axial = true,
    .length_word = kLen,
    .before_setup = stand_in_before_setup,
    .pair = stand_in_pair,
    .pair_changed = stand_in_pair_changed,
    .axial_term = stand_in_axial,
    .end_deformation = stand_in_deformation,
    .state_changed = stand_in_changed,
    .after_state = stand_in_after,
};

class StandInHinge : public bctest::ColumnModel {
 protected:
  StandInHinge() : ColumnModel("stand_in_hinge") {}
  void SetUp() override {
    ColumnModel::SetUp();
    materials::register_material({.code = kStandIn, .keywords = {"STAND-IN"}, .driver = stand_in_material});
    register_hinge_model(kStandInModel);
  }
  void TearDown() override {
    materials::register_material(kStandIn, nullptr);
    register_hinge_model({.code = kStandIn});
    ColumnModel::TearDown();
  }
  // Sets 1-4 (MY-A, MY-B, MZ-A, MZ-B) of stiffness 1000, 2000, 3000, 4000,
  // yielding at a force of 1.0; MX (set 5) 5.0E5, FX (set 6) 6.0E5.
  void stand_in_column() {
    material_table(6);
    for (int s = 1; s <= 6; ++s) {
      const float k = s <= 4 ? 1000.0f * static_cast<float>(s) : 1.0e5f * static_cast<float>(s);
      const std::array<float, 2> p{k, s <= 4 ? 1.0f : 1.0e20f};
      material_record(s, kStandIn, p.data(), p.size(), 3);
    }
    ColumnModel::column(9, elements::ie3dbeam::kRecordWords, 6);
  }
  float committed_word(int comp, int w) const {
    return kv::rzm(record(1) + elements::ie3dbeam::kBase - 1 + iword(1, kMstOff + comp - 1) - 1 + w);
  }
  float trial_word(int comp, int w) const { return committed_word(comp, w + iword(1, kNhyst) / 2); }
  void expect_my_terms(float aa, float ab, float bb) const {
    EXPECT_FLOAT_EQ(rword(1, kByaa), aa);
    EXPECT_FLOAT_EQ(rword(1, kByab), ab);
    EXPECT_FLOAT_EQ(rword(1, kBybb), bb);
  }
};

TEST_F(StandInHinge, SetUpTakesTheModelsTermsAndWritesItsMemberWords) {
  stand_in_column();
  ASSERT_EQ(iword(1, kNedof), 12) << unit6();
  expect_my_terms(1000.0f, 3000.0f, 2000.0f);
  EXPECT_FLOAT_EQ(rword(1, kBzaa), 3000.0f);
  EXPECT_FLOAT_EQ(rword(1, kBzab), 7000.0f);
  EXPECT_FLOAT_EQ(rword(1, kBzbb), 4000.0f);
  // k/L of the 100-long column.
  EXPECT_FLOAT_EQ(rword(1, kTok), 5000.0f);
  EXPECT_FLOAT_EQ(rword(1, kAxk), 6000.0f);
  // The member length into the bending states, the FX word before set-up.
  for (int c = kMyA; c <= kMzB; ++c) EXPECT_FLOAT_EQ(committed_word(c, kLen), 100.0f) << c;
  EXPECT_FLOAT_EQ(committed_word(kFx, kLastD), 200.0f);
  EXPECT_EQ(iword(1, kIafag), 0);
}

TEST_F(StandInHinge, AComponentTheModelCannotCarryRejectsTheElement) {
  HingeModel no_torsion = kStandInModel;
  no_torsion.torsion = false;
  register_hinge_model(no_torsion);
  stand_in_column();
  EXPECT_EQ(iword(1, kNedof), 0);
  EXPECT_EQ(iword(1, kPosA), 0);
  EXPECT_NE(unit6().find("  ELEMENT:      1  INCOMPATIBLE MATERIAL PROP.#  240"), std::string::npos) << unit6();
}

TEST_F(StandInHinge, StateDeterminationRunsThroughTheModelAndItsEventsReachTheElement) {
  stand_in_column();
  solution_tables(1);
  kv::set_ctl_logical(kv::kStateChanged, false);
  // End B turns 0.001 about local y (global Y): MY forces 3.0 at A and 2.0
  // at B from the terms above.
  disp(11) = 0.001f;
  kv::solsta().istep = 1;
  option(elements::kEleState, 1);

  // The model's deformation q/k drove the materials: 3.0/1000 and 2.0/2000.
  EXPECT_FLOAT_EQ(trial_word(kMyA, kLastD), 0.003f);
  EXPECT_FLOAT_EQ(trial_word(kMyB, kLastD), 0.001f);
  // Both yielded (forces above 1.0): a new stiffness is asked for, both
  // first yields reported and limit-state point 2 taken; only end A is
  // beyond the capacity of 0.002, taking point 3 with its message.
  EXPECT_TRUE(kv::ctl_true(kv::kStateChanged));
  const kv::Solsta& ss = kv::solsta();
  EXPECT_NE(ss.lsflag[2], 0.0f);
  EXPECT_EQ(ss.lselem[2], 1);
  EXPECT_NE(ss.lsflag[3], 0.0f);
  EXPECT_EQ(ss.lselem[3], 1);
  const std::string out = unit6();
  EXPECT_NE(out.find("YIELD AT END A"), std::string::npos) << out;
  EXPECT_NE(out.find("YIELD AT END B"), std::string::npos) << out;
  EXPECT_NE(out.find(" INELASTIC ROTATION IN MY  DIR. AT END A   =  0.3000E-02 > PLASTIC ROTATION"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("AT END B   =  0.1000E-02 > PLASTIC ROTATION"), std::string::npos) << out;
  // The plastic rotations the model kept.
  EXPECT_FLOAT_EQ(rword(1, kPlrot), 0.003f);
  EXPECT_FLOAT_EQ(rword(1, kPlrot + 1), 0.001f);

  // Committed, the halved tangents differ from those the terms were formed
  // with: the stiffness option forms the pair again by the model's rule.
  option(elements::kEleCommit, 1);
  expect_my_terms(1000.0f, 3000.0f, 2000.0f);
  option(elements::kEleStiff, 1);
  expect_my_terms(500.0f, 1500.0f, 1000.0f);
  // Status bits of MY-A and MY-B (values 8 and 16) set by the model's pair.
  EXPECT_EQ(iword(1, kIyldst) & (8 | 16), 8 | 16);
}

TEST_F(StandInHinge, ResetWritesTheModelsMemberWordsAgain) {
  stand_in_column();
  option(elements::kEleReset, 1);
  for (int c = kMyA; c <= kMzB; ++c) {
    EXPECT_FLOAT_EQ(committed_word(c, kLen), 100.0f) << c;
    EXPECT_FLOAT_EQ(committed_word(c, kK), 1000.0f * static_cast<float>(c)) << c;
  }
  EXPECT_FLOAT_EQ(committed_word(kFx, kLastD), 200.0f);
}

}  // namespace
