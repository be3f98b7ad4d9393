/*
 * Rounding, a seeded pseudo-random generator, unique numbers, sorting and searching
 * of fixed-size elements, and the normalisation of angles.
 *
 * Rounding sends an exact half towards zero: Round(2.5) is 2, Round(-2.5) is -2.
 * Angles are radians; CorrectAngle keeps them in [0, 2*pi] and keeps an angle near a
 * whole turn as 2*pi, so a full circle keeps its end angle.
 */
#ifndef OSMARK_NUMBERS_H
#define OSMARK_NUMBERS_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

/* Towards zero. Values outside the 32-bit range give INT32_MIN. */
OSMARK_API int32_t Trunc(double x) OSMARK_NOEXCEPT;
/* Nearest integer, an exact half towards zero. Values outside the 32-bit range give
 * INT32_MIN. */
OSMARK_API int32_t Round(double x) OSMARK_NOEXCEPT;
/* The rounding of Round as a double, without range limit. */
OSMARK_API double RoundF(double x) OSMARK_NOEXCEPT;
/* x rounded to the nearest multiple of step; x itself when |step| < 1e-6. */
OSMARK_API double RoundNum(double x, double step) OSMARK_NOEXCEPT;

/*
 * The next pseudo-random number in [0, 1) of a subtractive generator. With seed NULL
 * or *seed > 0 the sequence goes on; *seed <= 0 starts the sequence of that seed
 * (and sets *seed to 1). The generator seeds itself with -1 on first use. One state
 * for the process, without a lock.
 */
OSMARK_API double Random(int32_t* seed) OSMARK_NOEXCEPT;
/* 0, 1, 2, ... one number per call (no lock). */
OSMARK_API uint32_t GetUniqueID(void) OSMARK_NOEXCEPT;

/* Compare function of QSort (two elements) and BSearch (the key, then an element):
 * negative, 0 or positive. */
typedef int32_t (*OsmarkCompareFunc)(const void* a, const void* b);

/* Sorts count elements of width bytes in place; not stable. Nothing for count < 2,
 * width < 1 or a NULL base or compare. */
OSMARK_API void QSort(void* base, int32_t count, int32_t width, OsmarkCompareFunc compare) OSMARK_NOEXCEPT;
/* An element of the sorted array that compares equal to key, or NULL; NULL for a
 * NULL key, base or compare and for count < 1 or width < 1. */
OSMARK_API void* BSearch(const void* key, const void* base, int32_t count, int32_t width,
                         OsmarkCompareFunc compare) OSMARK_NOEXCEPT;

/* The angle in [0, 2*pi]; angles within 1e-6 of 0, pi/2, pi, 3*pi/2 and 2*pi become
 * exactly those. Angles between -1e-6 and 2*pi + 1e-6 are only snapped. */
OSMARK_API double CorrectAngle(double angle) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
