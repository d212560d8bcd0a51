// The 3D beam between hinges (type 11): the end MY on a separate hinge joint,
// in the location vector, the rigid zone, the recovery and the element loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "elements/beam3d.h"
#include "elements/beam_model.h"
#include "elements/eledsp.h"
#include "elements/hinge_beam.h"

namespace {

using btest::near_rel;
using namespace elements;

const btest::Section kSection{29.0e6f, 11.2e6f, 10.0f, 5.0f, 5.0f, 50.0f, 200.0f, 100.0f};
constexpr double kEIy = 29.0e6 * 200.0;
constexpr int kShift = 2;  // record words from 117 on lie two higher than in type 1

// Joints 1 (I) and 2 (J) on the X axis 100 apart; joints 3 and 4 are hinge
// joints with their own equations (13-18, 19-24).
const std::vector<btest::Node> kNodes{{1, 0, 0, 0, {1, 2, 3, 4, 5, 6}},
                                      {2, 100, 0, 0, {7, 8, 9, 10, 11, 12}},
                                      {3, 0, 0, 0, {13, 14, 15, 16, 17, 18}},
                                      {4, 100, 0, 0, {19, 20, 21, 22, 23, 24}}};

std::vector<float> hinge(int start2, int end2, float sd = 0, float ed = 0) {
  return {1, 1, 2, 0, 1, 0, sd, ed, 0, 0, static_cast<float>(start2), static_cast<float>(end2)};
}
std::vector<float> plain(float sd = 0, float ed = 0) { return {1, 1, 2, 0, 1, 0, sd, ed, 0, 0}; }

class HingeBeam : public btest::BeamModel {
 protected:
  void SetUp() override {
    BeamModel::SetUp();
    nodes(kNodes, 24);
    sections({kSection});
  }
};

TEST_F(HingeBeam, HingeJointsAtTheEndsThemselvesGiveTheType1Element) {
  elements({{11, "H", hinge(1, 2)}, {1, "B", plain()}});
  EXPECT_EQ(lm(1), lm(2));
  EXPECT_EQ(checks_[0].nback, checks_[1].nback);
  EXPECT_EQ(global_matrix(1), global_matrix(2));
  EXPECT_EQ(iword(1, hinge::kHingePosI), 1);
  EXPECT_EQ(iword(1, hinge::kHingePosJ), 2);
  EXPECT_FLOAT_EQ(rword(1, beam::kLength + kShift), 100.0f);
  EXPECT_EQ(iword(1, beam::kNHyst + kShift), 14);
  EXPECT_EQ(iword(1, beam::kMatSet + kShift), 1);
  const std::string out = unit6();
  EXPECT_NE(out.find(" ELEMENT 11, 3DBEAM-HINGE ELEMENT"), std::string::npos);
  EXPECT_NE(out.find(" H                   1     1     1     2     1     2          1.0000E+02"), std::string::npos) << out;
}

TEST_F(HingeBeam, HingeAtIPutsTheEndRotationAboutYOnTheHingeJoint) {
  elements({{11, "H", hinge(3, 2)}});
  EXPECT_EQ(lm(1), (std::vector<int>{1, 2, 3, 4, 17, 6, 7, 8, 9, 10, 11, 12}));
  const auto k = global_matrix(1);
  EXPECT_TRUE(near_rel(term(k, 17, 17), 4 * kEIy / 100.0));
  EXPECT_TRUE(near_rel(term(k, 17, 11), 2 * kEIy / 100.0));
  EXPECT_TRUE(near_rel(term(k, 3, 17), -6 * kEIy / 1.0e4));
  EXPECT_EQ(term(k, 5, 5), 0.0f);  // joint I's own MY takes no part

  // Recovery: the rotation about y at I comes from the hinge joint only.
  solution_tables(1);
  disp(17) = 0.002f;
  disp(5) = 5.0f;
  option(kEleState, 1);
  EXPECT_FLOAT_EQ(rword(1, beam::kDu + 4), 0.002f);
  EXPECT_TRUE(near_rel(rword(1, beam::kDF + 4), 4 * kEIy / 100.0 * 0.002, 1e-5));

  // Element loads: the MY term of end I goes to the hinge joint. A uniform
  // load w in FZ: FEF5 = -wL^2/12 at I, +wL^2/12 at J.
  element_load_records({{1, 1, 0, 0, 203, {3.0f}}});
  option(kEleLoads, 1);
  EXPECT_TRUE(near_rel(load(17), -3.0 * 1.0e4 / 12.0, 1e-5));
  EXPECT_EQ(load(5), 0.0f);
  EXPECT_TRUE(near_rel(load(11), 3.0 * 1.0e4 / 12.0, 1e-5));
  EXPECT_TRUE(near_rel(load(3), 150.0, 1e-5));
}

TEST_F(HingeBeam, HingeAtJWithARigidZoneDropsTheZoneMomentAboutY) {
  elements({{11, "H", hinge(1, 4, 0, 10)}, {1, "B", plain(0, 10)}});
  EXPECT_EQ(lm(1)[10], 23);
  // BE(2, 3): -(-10) = 10 in the plain beam, dropped in the hinge beam.
  EXPECT_FLOAT_EQ(rword(2, beam::kBE + 7), 10.0f);
  EXPECT_EQ(rword(1, beam::kBE + 7), 0.0f);
  EXPECT_FLOAT_EQ(rword(1, beam::kBE + 5), -10.0f);  // BE(3, 2) stays
  // The hinge joint's MY sees only the member end moment, not the zone's lever.
  const auto k = global_matrix(1);
  EXPECT_TRUE(near_rel(term(k, 23, 23), 4 * kEIy / 90.0));
  const auto kb = global_matrix(2);
  const double l = 90, b = 10;
  EXPECT_TRUE(near_rel(term(kb, 11, 11), 4 * kEIy / l + 12 * kEIy * b / (l * l) + 12 * kEIy * b * b / (l * l * l)));
}

TEST_F(HingeBeam, SharedMyEquationStaysOutWhateverTheHingeJoints) {
  BeamModel::TearDown();
  BeamModel::SetUp();
  // Joints I and J on one MY equation (5).
  nodes({{1, 0, 0, 0, {1, 2, 3, 4, 5, 6}}, {2, 100, 0, 0, {7, 8, 9, 10, 5, 12}}, {3, 0, 0, 0, {13, 14, 15, 16, 17, 18}},
         {4, 100, 0, 0, {19, 20, 21, 22, 23, 24}}},
        24);
  sections({kSection});
  elements({{11, "H", hinge(3, 4)}});
  const auto v = lm(1);
  EXPECT_EQ(std::count(v.begin(), v.end(), 17), 0);
  EXPECT_EQ(std::count(v.begin(), v.end(), 23), 0);
  EXPECT_EQ(std::count(v.begin(), v.end(), 5), 0);
}

TEST_F(HingeBeam, LengthMessageNamesTheHingeJoints) {
  elements({{11, "H", hinge(3, 4, 60, 50)}});
  EXPECT_NE(unit6().find(" ********************ERROR - LENGTH IS LE 0\n     IELNO=    1     JOINTI=    1     JOINTII=    3"
                         "     JOINTJ=    2     JOINTJI=    4     LENGTH  -1.000000E+01"),
            std::string::npos)
      << unit6();
}

TEST_F(HingeBeam, MissingHingeJointRejectsTheElement) {
  elements({{11, "H", hinge(9, 2)}});
  EXPECT_EQ(checks_[0].nd, 0);
  EXPECT_EQ(checks_[0].nback, 156);
  EXPECT_NE(unit6().find(" THE ELEMENT IS REJECTED AND ERROR CHECKING CONTINUES"), std::string::npos) << unit6();
}

TEST_F(HingeBeam, InvalidOptionLine) {
  elements({{11, "H", hinge(1, 2)}});
  option(0, 1);
  EXPECT_NE(unit6().find(" INVALID OPTION IN ELE-11, IOPT= 0\n"), std::string::npos) << unit6();
}

}  // namespace
