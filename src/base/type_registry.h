// The one table behind the element and material registries: descriptors kept
// by type code, looked up by code or, in registration order, by keyword. A
// descriptor type has an int `code` and a `driver`.
#pragma once

#include <array>
#include <cstddef>
#include <span>

namespace kv {

template <class Type, int MaxCode>
class TypeRegistry {
 public:
  static bool in_range(int code) { return code >= 0 && code <= MaxCode; }

  // Enters or replaces the descriptor of type.code; a code keeps the place of
  // its first registration in the keyword order.
  void add(const Type& type) {
    if (!in_range(type.code)) return;
    const auto k = static_cast<std::size_t>(type.code);
    if (!known_[k]) {
      known_[k] = true;
      order_[static_cast<std::size_t>(count_++)] = type.code;
    }
    types_[k] = type;
  }

  // Gives `code` the driver, keeping the rest of its descriptor: the one
  // registered, else the library's built-in entry, else a bare one.
  template <class Driver>
  void set_driver(int code, Driver driver, std::span<const Type> builtins) {
    if (!in_range(code)) return;
    Type t{};
    t.code = code;
    if (const Type* now = find(code)) {
      t = *now;
    } else {
      for (const Type& b : builtins)
        if (b.code == code) t = b;
    }
    t.driver = driver;
    add(t);
  }

  // Registers the library's list; a placeholder (no driver) does not take the
  // place of a type registered already (from another library, or a stand-in).
  void add_builtins(std::span<const Type> builtins) {
    for (const Type& t : builtins) {
      if (t.driver == nullptr && find(t.code) != nullptr) continue;
      add(t);
    }
  }

  const Type* find(int code) const {
    if (!in_range(code)) return nullptr;
    const auto k = static_cast<std::size_t>(code);
    return known_[k] ? &types_[k] : nullptr;
  }

  // The first descriptor, in registration order, for which pred holds.
  template <class Pred>
  const Type* first_if(Pred pred) const {
    for (int i = 0; i < count_; ++i) {
      const Type& t = types_[static_cast<std::size_t>(order_[static_cast<std::size_t>(i)])];
      if (pred(t)) return &t;
    }
    return nullptr;
  }

 private:
  std::array<Type, MaxCode + 1> types_{};
  std::array<bool, MaxCode + 1> known_{};
  std::array<int, MaxCode + 1> order_{};  // codes in registration order
  int count_ = 0;
};

}  // namespace kv
