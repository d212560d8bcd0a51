// The "3D-BEAM" section: eight elastic properties read and echoed, the six
// section rigidities handed to the element in its state words.
#include "materials/mat01_beam_section.h"

#include <span>
#include <string>

#include "fio/fio.h"
#include "materials/model_results.h"

namespace materials {

namespace {

constexpr int kNStateAtInput = 12;
constexpr int kNProp = 14;
constexpr int kNRead = 8;

// Property words.
enum Prop : int { kE = 1, kGamma, kAX, kAY, kAZ, kIX, kIY, kIZ };
using namespace beam_section;

void read_and_echo(MatCall& c) {
  float* prop = prop_words(c);
  std::string name;
  std::span<float> values(prop + 1, kNRead);
  read_set_record(c.set, name, values);
  for (int k = kNRead + 1; k <= kNProp; ++k) prop[k] = 0.0f;

  if (c.new_type || c.debug) {
    fio::write(6, "(/,'     3-D ELASTIC BEAM ELEMENT',/,'     ========================',//,"
                  "'    MATL.',T14,'E',T20,'GAMMA',T33,'AX',T43,'AY',T53,'AZ',T63,'IX',T73,'IY',"
                  "T83,'IZ')");
  }
  fio::write(6, "(4X,I4,1P,8E10.3,/)", c.set, std::span<const float>(prop + 1, kNRead));
  c.nprop = kNProp;
  c.nstate = kNStateAtInput;
}

void increment_work(MatCall& c) {
  float* s = state_words(c);
  s[kElasticEnergy] = 0.0f;
  s[kLastWork] = (c.p + c.pl) / 2.0f * (c.d - c.dl);
}

void results(MatCall& c) {
  const float* s = state_words(c);
  store_energies_only(c, s[kElasticEnergy], s[kLastWork]);
}

}  // namespace

void mat01(MatCall& c) {
  switch (c.iopt) {
    case kOptNState:
      c.nstate = kNState;
      break;
    case kOptRead:
      read_and_echo(c);
      break;
    case kOptInit: {
      const float* prop = prop_words(c);
      float* s = state_words(c);
      s[kEA] = prop[kE] * prop[kAX];
      s[kGAy] = prop[kGamma] * prop[kAY];
      s[kGAz] = prop[kGamma] * prop[kAZ];
      s[kGJ] = prop[kGamma] * prop[kIX];
      s[kEIy] = prop[kE] * prop[kIY];
      s[kEIz] = prop[kE] * prop[kIZ];
      increment_work(c);
      results(c);
      break;
    }
    case kOptState:
      increment_work(c);
      results(c);
      break;
    case kOptResults:
      results(c);
      break;
    default:  // option 5: no damage index; the dispatcher's 0.0 stands
      break;
  }
}

}  // namespace materials
