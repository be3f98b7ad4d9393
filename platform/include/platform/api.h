/* Export and linkage conventions of libplatform.so. */
#ifndef PLATFORM_API_H
#define PLATFORM_API_H

#if defined(PLATFORM_BUILDING)
#define PLATFORM_API __attribute__((visibility("default")))
#else
#define PLATFORM_API
#endif

#ifdef __cplusplus
#define PLATFORM_BEGIN_DECLS extern "C" {
#define PLATFORM_END_DECLS }
#define PLATFORM_NOEXCEPT noexcept
#else
#define PLATFORM_BEGIN_DECLS
#define PLATFORM_END_DECLS
#define PLATFORM_NOEXCEPT
#endif

#endif
