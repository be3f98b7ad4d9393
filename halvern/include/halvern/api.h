/*
 * Export and linkage conventions of libhalvern.so.
 *
 * Every exported function has C linkage and never lets an exception escape. File
 * readers and writers return 0 or a negative Osmark error code (osmark/errors.h);
 * other functions return a pointer, an index, a count or a flag.
 */
#ifndef HALVERN_API_H
#define HALVERN_API_H

#include <stddef.h>
#include <stdint.h>

#if defined(HALVERN_BUILDING)
#define HALVERN_API __attribute__((visibility("default")))
#else
#define HALVERN_API
#endif

#ifdef __cplusplus
#define HALVERN_BEGIN_DECLS extern "C" {
#define HALVERN_END_DECLS }
#define HALVERN_NOEXCEPT noexcept
#else
#define HALVERN_BEGIN_DECLS
#define HALVERN_END_DECLS
#define HALVERN_NOEXCEPT
#endif

#endif
