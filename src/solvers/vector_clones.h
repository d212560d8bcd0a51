// Hot dense kernels are compiled for the wider vector units too and the
// widest the processor has is picked when the program loads. The build keeps
// floating-point contraction off, so every version forms each term with the
// same operations in the same order: the bits do not depend on the machine.
#pragma once

// ThreadSanitizer cannot run the loader's choice of version (it runs before
// the sanitizer starts): such builds keep the default version only.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__ELF__) && !defined(__SANITIZE_THREAD__)
#define KV_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define KV_VECTOR_CLONES
#endif
