// The sections the reinforced-concrete tests work on, and a capture of the
// output file.
#pragma once

#include <filesystem>
#include <string>

#include "fio/fio.h"
#include "members/rc/rc_fibre_mesh.h"
#include "support/test_support.h"

namespace rctest {

// Circle of diameter 24, cover 1.5, NQ 3, 5 layers, 12 bars of 1.0 in: NUMP 76.
inline members::rc::SectionGeometry circle_with_bars() {
  members::rc::SectionGeometry g;
  g.libn = 2;
  g.d1 = 24.0f;
  g.d2 = 1.5f;
  g.n1 = 3;
  g.n2 = 5;
  g.t2 = 1.0f;
  g.nbar1 = 12;
  return g;
}

// Rectangle SEC. HH 24 (along V) x SEC. UU 16 (along U), cover 1.5,
// NU = NH = 2, 3 top and 3 bottom bars of 1.0 in: NUMP 42.
inline members::rc::SectionGeometry rectangle() {
  members::rc::SectionGeometry g;
  g.libn = 3;
  g.d1 = 24.0f;
  g.d2 = 16.0f;
  g.n1 = 2;
  g.n2 = 2;
  g.t2 = 1.5f;
  g.nbar1 = 3;
  g.dbar1 = 1.0f;
  g.nbar2 = 3;
  g.dbar2 = 1.0f;
  return g;
}

// Unit 6 on a scratch file while the object lives; text() closes it and
// returns what was written.
struct Unit6 {
  std::filesystem::path dir = kvtest::fresh_dir("rc_unit6");
  Unit6() { fio::open(6, (dir / "out.txt").string()); }
  std::string text() {
    fio::close(6);
    return kvtest::read_file(dir / "out.txt");
  }
  ~Unit6() {
    fio::close(6);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

}  // namespace rctest
