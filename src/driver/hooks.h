// Entry points of upper layers that the command loop calls. The library that
// provides one sets it in its registration call from main; null means the
// layer is not there and the call is skipped.
#pragma once

namespace kv {

struct Hooks {
  // "RELEASE ELEMENT": element option 13 for element n (resets its forces and
  // hysteresis states).
  void (*element_reset)(int n) = nullptr;
};

inline Hooks& hooks() {
  static Hooks h;
  return h;
}

}  // namespace kv
