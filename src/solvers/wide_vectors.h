// Kernels whose arithmetic is the same on every processor but that run on
// wider vectors where the processor has them. The attribute makes one copy of
// the function per target and the loader picks one when the program starts.
// Lane for lane the operations are those of the generic copy: the targets add
// wider registers, never fused multiply-add (the build has -ffp-contract=off),
// and the rounding order is fixed by the code, so the bits do not depend on
// the processor. A kernel written with vectors of 32 bytes (GCC vector
// extensions) compiles to pairs of 16-byte operations in the generic copy.
#pragma once

// KV_GENERIC_VECTORS keeps the generic copy alone, so that a build can test
// it on a processor that would pick a wider one (the sanitizer build does).
#if defined(__x86_64__) && defined(__has_attribute) && !defined(KV_GENERIC_VECTORS)
#if __has_attribute(target_clones)
#define KV_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef KV_WIDE_VECTORS
#define KV_WIDE_VECTORS
#endif
