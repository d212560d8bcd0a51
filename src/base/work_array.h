// The work array ZMATRX: 4-byte words shared by integers and reals, 1-based.
// Every model and solution table lives here; tables are reserved from IZ up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kv {

inline constexpr std::int64_t kWorkWords = 50'000'000;   // the limit MEMCHK tests
inline constexpr std::int64_t kWorkSlack = 1'048'576;    // allocated beyond the limit, never reserved

// Precision of the global skyline matrices (stiffness, mass, geometric stiffness)
// and of the skyline solver's arithmetic: one place to change it.
using SkyReal = float;
inline constexpr int kSkyRealWords = static_cast<int>(sizeof(SkyReal) / 4);

namespace detail {
// Raw storage, zero-allocated once (untouched pages cost nothing). Word i is
// words()[i]; index 0 is unused so that indices match the 1-based layouts.
// Every word access goes through words(), so after the first call it is one
// load of the block's address, inline.
std::uint32_t* allocate_words();
extern std::uint32_t* block;
inline std::uint32_t* words() {
  std::uint32_t* b = block;
  return b != nullptr ? b : allocate_words();
}
}  // namespace detail

// Typed views of one word. Reading and writing go through memcpy so that a word
// may hold an integer at one time and a real at another.
class IntWord {
 public:
  explicit IntWord(std::uint32_t* w) : w_(w) {}
  operator std::int32_t() const { std::int32_t v; std::memcpy(&v, w_, 4); return v; }
  IntWord& operator=(std::int32_t v) { std::memcpy(w_, &v, 4); return *this; }
  IntWord& operator=(const IntWord& o) { return *this = static_cast<std::int32_t>(o); }
  IntWord& operator+=(std::int32_t v) { return *this = static_cast<std::int32_t>(*this) + v; }
  IntWord& operator-=(std::int32_t v) { return *this = static_cast<std::int32_t>(*this) - v; }
 private:
  std::uint32_t* w_;
};

class RealWord {
 public:
  explicit RealWord(std::uint32_t* w) : w_(w) {}
  operator float() const { float v; std::memcpy(&v, w_, 4); return v; }
  RealWord& operator=(float v) { std::memcpy(w_, &v, 4); return *this; }
  RealWord& operator=(const RealWord& o) { return *this = static_cast<float>(o); }
  RealWord& operator+=(float v) { return *this = static_cast<float>(*this) + v; }
  RealWord& operator-=(float v) { return *this = static_cast<float>(*this) - v; }
  RealWord& operator*=(float v) { return *this = static_cast<float>(*this) * v; }
 private:
  std::uint32_t* w_;
};

// A double-precision value in the word pair i, i+1.
class DoubleWord {
 public:
  explicit DoubleWord(std::uint32_t* w) : w_(w) {}
  operator double() const { double v; std::memcpy(&v, w_, 8); return v; }
  DoubleWord& operator=(double v) { std::memcpy(w_, &v, 8); return *this; }
  DoubleWord& operator=(const DoubleWord& o) { return *this = static_cast<double>(o); }
  DoubleWord& operator+=(double v) { return *this = static_cast<double>(*this) + v; }
 private:
  std::uint32_t* w_;
};

inline IntWord izm(std::int64_t i) { return IntWord(detail::words() + i); }
inline RealWord rzm(std::int64_t i) { return RealWord(detail::words() + i); }
inline DoubleWord dzm(std::int64_t i) { return DoubleWord(detail::words() + i); }

// Bulk typed pointers for hot loops (skyline reduction, assembly). The build
// turns strict aliasing off, so a float view of the words is well defined.
inline float* rptr(std::int64_t i) { return reinterpret_cast<float*>(detail::words() + i); }
inline std::int32_t* iptr(std::int64_t i) { return reinterpret_cast<std::int32_t*>(detail::words() + i); }
inline SkyReal* skyptr(std::int64_t i) { return reinterpret_cast<SkyReal*>(detail::words() + i); }
// A table of double-precision values; i must be even so that the pair is
// aligned (reserve such tables with reserve_doubles).
inline double* dptr(std::int64_t i) { return reinterpret_cast<double*>(detail::words() + i); }

// Zero words [first, first+n).
void zero_words(std::int64_t first, std::int64_t n);

}  // namespace kv
