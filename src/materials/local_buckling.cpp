// The local-buckling tube model: the brace envelope with the tube's constants.
#include "materials/local_buckling.h"

#include <cmath>
#include <string>

#include "fio/fio.h"

namespace materials {

namespace {

constexpr int kNProp = 8;
constexpr float kPi = 3.1415925f;

// Property words.
enum Prop : int { kE = 1, kA, kR, kYS, kPY, kCC, kMaxDuc, kBeta };

void read_tube_set(MatCall& c) {
  float* prop = prop_words(c);
  std::string name;
  float e = 0.0f, a = 0.0f, r = 0.0f, ys = 0.0f, max_duc = 0.0f, beta = 0.0f;
  read_set_record(c.set, name, e, a, r, ys, max_duc, beta);

  prop[kE] = e;
  prop[kA] = a;
  prop[kR] = r;
  prop[kYS] = ys;
  prop[kPY] = a * ys;
  prop[kCC] = std::sqrt(kPi * 2.0f * kPi * e / ys);
  prop[kMaxDuc] = max_duc;
  prop[kBeta] = beta;
  c.nprop = kNProp;

  if (c.new_type || c.debug) {
    fio::write(6, "(/,/,/,'     TUBE HYSTERESIS MODEL FOR BOX LOCAL BUCKLING',/,"
                  "'     ============================================',/,/,"
                  "'  MAT.',3X,'    E',6X,'    A',6X,'    R',6X,'    YS',6X,'MAX DUC',6X,"
                  "'  BETA')");
  }
  fio::write(6, "(1X,I5,6E12.6,/)", c.set, e, a, r, ys, max_duc, beta);
  check_envelope_set(EnvelopeModel::tube, c.set, e, a, r, ys, 0.0f);
}

}  // namespace

void hyst13(float& p, float pl, float d, float dl, float* s, const EnvelopeProps& pr, bool debug) {
  // No element number: the tube prints nothing but its trace, and the
  // slenderness message names the element unknown.
  envelope_rule(EnvelopeModel::tube, p, pl, d, dl, s, pr, debug, -1);
}

void mat13(MatCall& c) { envelope_driver(c, EnvelopeModel::tube, read_tube_set); }

}  // namespace materials
