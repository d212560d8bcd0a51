#include "driver/work_array.h"

#include <cstdlib>
#include <new>

namespace kv::detail {

std::uint32_t* words() {
  // One zeroed block for the whole run, with one spare word for index 0 and one
  // past the end so that a double at the last word stays inside the block.
  static std::uint32_t* block = [] {
    void* p = std::calloc(static_cast<std::size_t>(kWorkWords) + 2, sizeof(std::uint32_t));
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<std::uint32_t*>(p);
  }();
  return block;
}

}  // namespace kv::detail

namespace kv {

void zero_words(std::int64_t first, std::int64_t n) {
  if (n > 0) std::memset(detail::words() + first, 0, static_cast<std::size_t>(n) * 4);
}

}  // namespace kv
