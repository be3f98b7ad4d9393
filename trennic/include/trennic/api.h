/*
 * Export and linkage conventions of libtrennic.so.
 *
 * Every exported function has C linkage and never lets an exception escape. File
 * readers return 0 or a negative Osmark error code (osmark/errors.h): -1 memory, -4 a
 * missing argument, -12 a file that cannot be opened, -24 a short read or a bad
 * record length, -25 an unknown format or section marker, -32 the wrong kind of file.
 * Other functions return a pointer, an index, a count or a flag.
 */
#ifndef TRENNIC_API_H
#define TRENNIC_API_H

#include <stddef.h>
#include <stdint.h>

#if defined(TRENNIC_BUILDING)
#define TRENNIC_API __attribute__((visibility("default")))
#else
#define TRENNIC_API
#endif

#ifdef __cplusplus
#define TRENNIC_BEGIN_DECLS extern "C" {
#define TRENNIC_END_DECLS }
#define TRENNIC_NOEXCEPT noexcept
#else
#define TRENNIC_BEGIN_DECLS
#define TRENNIC_END_DECLS
#define TRENNIC_NOEXCEPT
#endif

#endif
