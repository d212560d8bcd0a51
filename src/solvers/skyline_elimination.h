// Gauss elimination without pivoting in skyline storage: the kernels shared by
// the global solver (msoll) and the member solver (gauss). Internal to solvers/.
//
// Pointer conventions (all 1-based positions seen through 0-based pointers):
//   md[j-1] = MDIAG(j), j = 1..n+1; a[p-1] = the term at position p, so the
//   diagonal of column j is a[md[j-1]-1] and term (i, j), i <= j, inside the
//   profile is a[md[j-1]-1 + j-i];  r[(c-1)*ldr + i-1] = R(i, c).
// Loads and vectors are REAL words (float); the matrix element type T is also
// the type of the arithmetic, so a double matrix gives a double elimination.
#pragma once

#include <cstddef>
#include <cstdint>
#include <thread>
#include <type_traits>
#include <string_view>

namespace solvers::detail {

inline int col_height(const std::int32_t* md, int j) { return md[j] - md[j - 1]; }
inline int col_top(const std::int32_t* md, int j) { return j - (md[j] - md[j - 1]) + 1; }
inline std::ptrdiff_t col_diag(const std::int32_t* md, int j) { return md[j - 1] - 1; }

#if defined(__GNUC__)
// The steps of update_reversed for a float T, one vector of Lanes at a time
// from m while they fit in m2; returns the first m left.
template <bool subtract, class Lanes, class Order>
inline int update_reversed_lanes(float* y, const float* col, float x, int m, int m2) {
  constexpr int kLanes = static_cast<int>(sizeof(Lanes) / sizeof(float));
  Order back;
  for (int u = 0; u < kLanes; ++u) back[u] = kLanes - 1 - u;
  for (; m + kLanes - 1 <= m2; m += kLanes) {
    Lanes c, v;
    __builtin_memcpy(&c, col + m, sizeof c);
    __builtin_memcpy(&v, y - m - (kLanes - 1), sizeof v);
    const Lanes t = __builtin_shuffle(c, back) * x;
    if constexpr (subtract) v = v - t;
    else v = v + t;
    __builtin_memcpy(y - m - (kLanes - 1), &v, sizeof v);
  }
  return m;
}
#endif

// y[-m] = y[-m] + col[m] x (or - with subtract) for m = m1..m2, each term one
// multiplication and one addition in T as written, rounded to float; for a
// float T kBytes / 4 at a time (then four, then one), where the compiler would
// keep them scalar. The column update of a back substitution and of a
// product, which run against the column's storage order. Lanes of 32 bytes
// pay only in a caller built for wider vectors (KV_WIDE_VECTORS): elsewhere
// the compiler splits them badly. The width never changes a value.
template <bool subtract, class T, int kBytes = 16>
inline void update_reversed(float* y, const T* col, T x, int m1, int m2) {
  int m = m1;
#if defined(__GNUC__)
  if constexpr (std::is_same_v<T, float>) {
    static_assert(kBytes == 16 || kBytes == 32);
    typedef float Lanes4 __attribute__((vector_size(16)));
    typedef std::int32_t Order4 __attribute__((vector_size(16)));
    typedef float Lanes8 __attribute__((vector_size(32)));
    typedef std::int32_t Order8 __attribute__((vector_size(32)));
    if constexpr (kBytes == 32) m = update_reversed_lanes<subtract, Lanes8, Order8>(y, col, x, m, m2);
    m = update_reversed_lanes<subtract, Lanes4, Order4>(y, col, x, m, m2);
  }
#endif
  for (; m <= m2; ++m) {
    const T t = col[m] * x;
    y[-m] = static_cast<float>(subtract ? y[-m] - t : y[-m] + t);
  }
}

// Scratch of count values in the given precision, one per thread, kept for the
// next call so that the step loops allocate nothing once warm.
template <class T>
T* scratch(std::size_t count);

// Threads that a solver kernel may ask for: the machine's cores, or the count
// that the environment variable OMP_NUM_THREADS sets, cut to the processors
// that no other task is running on at the call (unless OMP_DYNAMIC is set: then
// the runtime's own rule applies). Results never depend on the count.
int solver_threads();

// With fixed, solver_threads() is the runtime's count, never cut: for tests
// that compare thread counts.
void fix_solver_threads(bool fixed);

// Waits for cond, spinning briefly and then leaving the processor to others:
// a solver thread of a busy machine must not keep the one it waits for off its
// core.
template <class Cond>
void wait_for(Cond cond) {
  for (int spins = 0; !cond(); ++spins)
    if (spins > 64) std::this_thread::yield();
}

// Reduction of the stiffness and of the load columns over the pivots l1..l2
// (the last equation is never a pivot). Returns 0, or the equation of the
// first zero pivot (then the arrays are partly reduced).
//
// With first_changed above l1, the columns before it hold the factors of an
// earlier reduction of the same terms (over the same l1, l2): they are kept, a
// few columns before first_changed are reduced again from their terms (which
// the caller must have put back), and the loads come out as a whole reduction
// gives them, bit for bit.
template <class T>
int reduce_matrix_and_loads(int n, int l1, int l2, T* a, const std::int32_t* md,
                            float* r, int ldr, int nlc, int first_changed = 0);

// The first column that a reduction with first_changed = j really forms again:
// the columns from it on must hold their terms, not their factors.
int reduced_again_from(int l1, int first_changed);

// The loads alone against a reduced matrix, pivots l1..l2. 0 or the zero pivot.
template <class T>
int reduce_loads(int n, int l1, int l2, const T* a, const std::int32_t* md,
                 float* r, int ldr, int nlc);

// Back substitution l2 down to l1 into the load columns. 0 or the zero pivot.
template <class T>
int back_substitute(int n, int l1, int l2, const T* a, const std::int32_t* md,
                    float* r, int ldr, int nlc);

// Multiplication by the reduced matrix, r(., 1) = K x with x in w, in two
// steps: multiply_upper tests the pivots and forms r = U x on the range (0 or
// the zero pivot); undo_elimination then applies the eliminations in reverse.
template <class T>
int multiply_upper(int n, int l1, int l2, const T* a, const std::int32_t* md,
                   float* r, const float* w);
template <class T>
void undo_elimination(int n, int l1, int l2, const T* a, const std::int32_t* md, float* r);

// Carries a second matrix m (mass or geometric stiffness) through the
// reduction already done on k over the pivots first..last. The profile of m
// must pass carried_profile_gap first.
template <class T>
void reduce_carried(int n, int first, int last, const T* k, const std::int32_t* mdk,
                    T* m, const std::int32_t* mdm);

// The first column whose profile in m is too short for the reduction of k over
// l1..l2 (the reduction would write above the column's top), or 0.
int carried_profile_gap(int n, int l1, int l2, const std::int32_t* mdk, const std::int32_t* mdm);

// True when md[0..n] is a complete profile: MDIAG(1) = 1, every column 1..j
// high, and at most nstore terms.
bool profile_complete(int n, const std::int32_t* md, std::int64_t nstore);

// The boxed zero-pivot report on unit 6 for the named routine; joints, when
// not empty, names the joints and directions of the row on the console line.
void zero_pivot_box(std::string_view routine, int row, int storage, double pivot, std::string_view joints = {});

// Trace helpers: the option's title line, and the first n rows of the nlc load
// columns of r (leading dimension ldr) under a title.
void trace_title(std::string_view title, int l1, int l2, int n);
void trace_loads(const float* r, int n, int ldr, int nlc, std::string_view title);

}  // namespace solvers::detail
