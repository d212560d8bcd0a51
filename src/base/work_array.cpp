#include "base/work_array.h"

#include <cstdlib>
#include <new>

namespace kv::detail {

std::uint32_t* words() {
  // One zeroed block for the whole run: index 0 is unused, and a slack beyond
  // the limit MEMCHK tests lets a reader store a record at IZ before it knows
  // the record's length and checks it.
  static std::uint32_t* block = [] {
    void* p = std::calloc(static_cast<std::size_t>(kWorkWords + kWorkSlack) + 2, sizeof(std::uint32_t));
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
