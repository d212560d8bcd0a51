#include "base/globals.h"

namespace kv {

std::array<std::int32_t, kContrlWords + 1>& contrl() {
  static std::array<std::int32_t, kContrlWords + 1> block{};
  return block;
}

Titles& titles() {
  static Titles block = [] {
    Titles t;
    for (int j = 1; j <= kNPMAX + 1; ++j) t.np[static_cast<std::size_t>(j)] = 1 + j * (j - 1) / 2;
    return t;
  }();
  return block;
}

Solsta& solsta() {
  static Solsta block;
  return block;
}

Stcase& stcase() {
  static Stcase block;
  return block;
}

RunState& run() {
  static RunState block;
  return block;
}

void reset_globals() {
  contrl().fill(0);
  Titles fresh;
  for (int j = 1; j <= kNPMAX + 1; ++j) fresh.np[static_cast<std::size_t>(j)] = 1 + j * (j - 1) / 2;
  titles() = fresh;
  solsta() = Solsta{};
  stcase() = Stcase{};
  run() = RunState{};
}

void stop_run(int status, std::string_view message) {
  throw RunStop{status, std::string(message)};
}

}  // namespace kv
