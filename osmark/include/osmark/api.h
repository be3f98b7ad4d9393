/*
 * Export and linkage conventions of libosmark.so.
 *
 * Every exported function has C linkage and never lets an exception escape. Results
 * follow one rule: a failing call returns 0, NULL or -1 (as its declaration says) and
 * leaves an error code for IoErr(); a successful call leaves the code alone.
 *
 * 64-bit rule: a word that carries a pointer or a handle (tag data, array items, hook
 * data and results, argument slots, message fields) is pointer-wide (uintptr_t);
 * plain numbers keep their 32-bit width.
 */
#ifndef OSMARK_API_H
#define OSMARK_API_H

#include <stddef.h>
#include <stdint.h>

#if defined(OSMARK_BUILDING)
#define OSMARK_API __attribute__((visibility("default")))
#else
#define OSMARK_API
#endif

/* The test seams of osmark/testing.h leave the library only in builds made for tests
   and fuzzing; a product build keeps them inside. */
#if defined(OSMARK_BUILDING) && defined(OSMARK_TESTING_SEAMS)
#define OSMARK_TESTING_API __attribute__((visibility("default")))
#else
#define OSMARK_TESTING_API
#endif

#ifdef __cplusplus
#define OSMARK_BEGIN_DECLS extern "C" {
#define OSMARK_END_DECLS }
#define OSMARK_NOEXCEPT noexcept
#else
#define OSMARK_BEGIN_DECLS
#define OSMARK_END_DECLS
#define OSMARK_NOEXCEPT
#endif

#endif
