// Marks a loop function to be compiled for several vector widths; the loader
// picks the widest that the processor has.
#pragma once

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VANTOR_NO_CLONES
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define VANTOR_NO_CLONES
#endif

// Not under the thread sanitizer: it instruments the clones' resolver, which
// the loader runs before the sanitizer is set up, so the program would die
// before main. That build runs the default clone.
#if !defined(__x86_64__)
#define VANTOR_NO_CLONES  // the clones name x86 vector units
#endif

#if defined(VANTOR_NO_CLONES)
#define VANTOR_VECTOR_CLONES
#else
#define VANTOR_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#endif
