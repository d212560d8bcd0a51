// Entry points of upper layers that the command loop calls. The library that
// provides one sets it in its registration call from main; null means the
// layer is not there and the call is skipped.
#pragma once

#include <string_view>

namespace kv {

struct Hooks {
  // "RELEASE ELEMENT": element option 13 for every element 1..NELEM (resets
  // their forces and hysteresis states); the command line is the label.
  void (*element_reset)(std::string_view command) = nullptr;
};

inline Hooks& hooks() {
  static Hooks h;
  return h;
}

}  // namespace kv
