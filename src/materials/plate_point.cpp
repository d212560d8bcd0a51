// The "PLATE" and "POINT" property sets: read, stored, echoed, and copied into
// the element's state words at initialisation.
#include "materials/plate_point.h"

#include <span>
#include <string>

#include "fio/fio.h"
#include "materials/model_results.h"

namespace materials {

namespace {

// ---------------------------------------------------------------- PLATE

constexpr int kPlateNProp = 3;

void plate_read(MatCall& c) {
  float* prop = prop_words(c);
  std::string name;
  std::span<float> values(prop + 1, kPlateNProp);
  read_set_record(c.set, name, values);
  c.nstate = plate_section::kNState;
  c.nprop = kPlateNProp;
  if (c.new_type || c.debug) {
    fio::write(6, "(/,'     PLATE ELEMENT',/,'     =============',//,'    MATL.',T14,'E',T20,'NU   ',T33,"
                  "'THICKNESS',/)");
  }
  fio::write(6, "(4X,I4,1P,3E10.3,/)", c.set, std::span<const float>(prop + 1, kPlateNProp));
}

void plate_copy(MatCall& c) {
  const float* prop = prop_words(c);
  float* s = state_words(c);
  for (int k = 1; k <= kPlateNProp; ++k) s[k] = prop[k];
}

// The plate stores no energy: both words are 0.0 after every initialisation
// and state determination.
void plate_clear(MatCall& c) {
  float* s = state_words(c);
  s[plate_section::kEse] = 0.0f;
  s[plate_section::kPse] = 0.0f;
}

void plate_results(MatCall& c) {
  const float* s = state_words(c);
  store_energies_only(c, s[plate_section::kEse], s[plate_section::kPse]);
}

// ---------------------------------------------------------------- POINT

constexpr int kPointNProp = 21;
constexpr int kPointLines = 7;  // three terms per input line

// The echo line of each input line, labelled in the order the terms are read.
constexpr const char* kPointEcho[kPointLines] = {
    "(4X,'S(1,1)=',E10.3,'  S(2,2)=',E10.3,'  S(3,3)=',E10.3)",
    "(4X,'S(4,4)=',E10.3,'  S(5,5)=',E10.3,'  S(6,6)=',E10.3)",
    "(4X,'S(1,2)=',E10.3,'  S(1,3)=',E10.3,'  S(1,4)=',E10.3)",
    "(4X,'S(1,5)=',E10.3,'  S(1,6)=',E10.3,'  S(2,3)=',E10.3)",
    "(4X,'S(2,4)=',E10.3,'  S(2,5)=',E10.3,'  S(2,6)=',E10.3)",
    "(4X,'S(3,4)=',E10.3,'  S(3,5)=',E10.3,'  S(3,6)=',E10.3)",
    "(4X,'S(4,5)=',E10.3,'  S(4,6)=',E10.3,'  S(5,6)=',E10.3,/)",
};

void point_read(MatCall& c) {
  float* prop = prop_words(c);
  // The name alone on the first line; then one line of three terms per read
  // (further values on a line are not read).
  std::string name;
  read_set_record(c.set, name);
  for (int line = 0; line < kPointLines; ++line) {
    std::span<float> terms(prop + 1 + 3 * line, 3);
    read_set_record(c.set, terms);
  }
  c.nstate = point_section::kNState;
  c.nprop = kPointNProp;
  if (c.new_type || c.debug) fio::write(6, "(/,'     POINT ELEMENT',/,'     =============',//)");
  fio::write(6, "(4X,'MATL.=',I4,/)", c.set);
  for (int line = 0; line < kPointLines; ++line) {
    const float* t = prop + 1 + 3 * line;
    fio::write(6, kPointEcho[line], t[0], t[1], t[2]);
  }
}

void point_results(MatCall& c) { store_energies_only(c, 0.0f, 0.0f); }

}  // namespace

void mat16(MatCall& c) {
  switch (c.iopt) {
    case kOptNState:
      c.nstate = plate_section::kNState;
      break;
    case kOptRead:
      plate_read(c);
      break;
    case kOptInit:
      plate_copy(c);
      plate_clear(c);
      plate_results(c);
      break;
    case kOptState:
      plate_clear(c);
      plate_results(c);
      break;
    case kOptResults:
      plate_results(c);
      break;
    default:  // option 5: no damage index; the dispatcher's 0.0 stands
      break;
  }
}

void mat20(MatCall& c) {
  switch (c.iopt) {
    case kOptNState:
      c.nstate = point_section::kNState;
      break;
    case kOptRead:
      point_read(c);
      break;
    case kOptInit: {
      const float* prop = prop_words(c);
      float* s = state_words(c);
      for (int k = 1; k <= kPointNProp; ++k) s[k] = prop[k];
      point_results(c);
      break;
    }
    case kOptState:
    case kOptResults:
      point_results(c);
      break;
    default:  // option 5: no damage index
      break;
  }
}

}  // namespace materials
