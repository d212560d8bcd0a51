// MATDSP: set check, property record, type word, page header, debug switch,
// and the call of the type's driver through the registration table.
#include "materials/matdsp.h"

#include <cmath>
#include <cstddef>

#include "base/globals.h"
#include "base/storage.h"
#include "fio/fio.h"
#include "materials/model_results.h"

namespace materials {

namespace {

// The section materials keep their record length as a real in PROP(29).
constexpr int kSectionLengthWord = 29;

// A real used as a count: truncated toward zero, kept inside int range (a
// record word that was never written may hold anything).
int truncate_count(float x) {
  if (!(x > -2.0e9f && x < 2.0e9f)) return 0;
  return static_cast<int>(x);
}

}  // namespace

void matdsp(MatCall& c, int& prev_type, int page_print, int& type) {
  if (c.set < 1 || c.set > kv::ctl(kv::kNMAT)) {
    fio::write(6, "(5X,'********************',' ER','ROR, INVALID MATERIAL PROP.#',I5,/,"
                  "5X,'CORRECT INPUT..........')", c.set);
    c.nstate = 0;
    type = 0;
    return;
  }

  const std::int64_t rec = kv::izm(kv::ctl(kv::kMATPTR) + c.set);
  if (c.iopt == kOptRead) {
    kv::izm(rec) = type;
  } else {
    type = kv::izm(rec);
  }

  c.new_type = (type != prev_type);
  if (c.new_type && (page_print & 1) != 0) kv::page_header(6);

  c.di = 0.0f;
  c.debug = kv::trace('K');
  c.prop = rec + 1;

  const MaterialType* t = material_type(type);
  if (MatDriver drv = t != nullptr ? t->driver : nullptr) {
    const bool section = t->section;
    if (section) c.nprop = truncate_count(kv::rzm(c.prop + kSectionLengthWord - 1));
    drv(c);
    if (section) c.nprop = truncate_count(kv::rzm(c.prop + kSectionLengthWord - 1));
    // An ultimate deformation near the bottom of the float range gives an
    // index beyond it, whichever model formed it.
    if (c.iopt == kOptDamage) c.di = held_in_range(c.di);
  } else {
    // During the structure input the set itself is what is missing.
    if (c.ielno < 0)
      fio::write(6, "(' MATERIAL ',I6,' IS NOT AVAILABLE')", c.set);
    else
      fio::write(6, "(' ELEMENT ',I6,' IS NOT AVAILABLE')", c.ielno);
    c.error = -1;
  }

  prev_type = type;
}

void set_read_failed(int set, fio::Status status) {
  if (status == fio::Status::end) {
    fio::write(6, "(1X,'END OF INPUT FILE WHILE READING MATERIAL SET',I5)", set);
  } else {
    // Show the record the read stopped in: one record back is its start.
    std::string line;
    fio::backspace(5);
    if (fio::read_record(5, line) != fio::Status::ok) line.clear();
    fio::write(6, "(1X,'UNREADABLE VALUE IN MATERIAL SET',I5,':',/,1X,A)", set, line);
  }
  kv::stop_run(1, "ERROR IN MATERIAL INPUT");
}

}  // namespace materials
