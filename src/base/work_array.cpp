#include "base/work_array.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace kv::detail {

std::uint32_t* block = nullptr;

std::uint32_t* allocate_words() {
  // One zeroed block for the whole run: index 0 is unused, and a slack beyond
  // the limit MEMCHK tests lets a reader store a record at IZ before it knows
  // the record's length and checks it.
  static std::uint32_t* const allocated = [] {
    const std::size_t words = static_cast<std::size_t>(kWorkWords + kWorkSlack) + 2;
    void* p = std::calloc(words, sizeof(std::uint32_t));
    if (p == nullptr) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Large models fill hundreds of megabytes of the block (the skyline
    // matrix above all): in 2 MB pages the first touch of each costs one
    // fault instead of 512. Only a hint: nothing changes if it is refused.
    constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
    const auto begin = (reinterpret_cast<std::uintptr_t>(p) + kHuge - 1) & ~(kHuge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(p) + words * sizeof(std::uint32_t)) & ~(kHuge - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
    return static_cast<std::uint32_t*>(p);
  }();
  block = allocated;
  return allocated;
}

}  // namespace kv::detail

namespace kv {

void zero_words(std::int64_t first, std::int64_t n) {
  if (n > 0) std::memset(detail::words() + first, 0, static_cast<std::size_t>(n) * 4);
}

}  // namespace kv
