/*
 * Formatting: Osmark's printf-style formatter and its buffer families.
 *
 * RawDoFmtA expands a format and hands every character it produces to a callback,
 * then the callback once more with the character 0; the S and Sn families store the
 * characters in a buffer, the F, Fn and plain families write them to a file handle. Reals are converted by Osmark's own conversion, not by the C
 * library's.
 *
 * Argument slots. The arguments of a format are an array of pointer-wide slots
 * (uintptr_t), read in order, one slot for every argument that the format asks for:
 *  - c C d i D u U o O x X b B: an integer, the low 32 bits of its slot (with h, the
 *    low 16 bits); integers are 32-bit whatever the l flag says.
 *  - p: the whole slot, printed as a pointer.
 *  - s: a const char* (NULL prints "(null)").
 *  - n N: an int32_t* (int16_t* with h) that receives the count so far (NULL: none).
 *  - e E f g G: a double, its 64 bits stored in the slot (OsmarkRealSlot); l and L
 *    change nothing.
 *  - "*" for a width or a precision: an int32_t, the low 32 bits of its slot.
 * The formatter reads exactly the slots that the format asks for, and never more
 * slots than the format has characters. The caller passes at least as many; a slot
 * that is missing is read as whatever lies in its place.
 *
 * Inline twins. SPrintf, SnPrintf, FPrintf, FnPrintf, Printf and RawDoFmt take their
 * arguments inline and pass them on as a slot array to VSPrintf, VSnPrintf, VFPrintf,
 * VFnPrintf, VPrintf and RawDoFmtA. In C++ they are inline templates that pack each
 * argument into its slot (an integer by value, a pointer by its address, a float or
 * double by the bits of the double). In C they are macros over a compound literal:
 * write pointers as (uintptr_t)p and reals as OsmarkRealSlot(x) (strict C11 wants an
 * argument after the format: without one, call the V form with NULL). A NULL slot
 * array reads as slots of 0.
 *
 * Counts are 32-bit: a result that would exceed 0x7FFFFFFF is given as 0x7FFFFFFF.
 */
#ifndef OSMARK_FORMAT_H
#define OSMARK_FORMAT_H

#include "osmark/api.h"

#include <stdarg.h>

OSMARK_BEGIN_DECLS

/* Receives every character produced, then 0 once at the end. */
typedef void (*PutCharFunc)(char character, void* data);

/* Formats through callback; returns the number of characters produced, the final 0
 * not counted. NULL callback or format: 0 with -4. */
OSMARK_API int32_t RawDoFmtA(PutCharFunc callback, void* data, const char* format,
                             const uintptr_t* arguments) OSMARK_NOEXCEPT;

/* RawDoFmtA with the arguments of a C variable argument list, for functions that take
 * printf-style arguments with "...": each conversion reads the C type that printf
 * would (int, or long with l or an upper-case form, for integers and characters; int
 * for "*"; double for reals; a pointer for p, s, n), and uses it as above (integers
 * to 32 bits). */
OSMARK_API int32_t RawDoFmtVaList(PutCharFunc callback, void* data, const char* format,
                                  va_list arguments) OSMARK_NOEXCEPT;

/* Formats into buffer, which must be large enough, and terminates it; returns the
 * length. NULL buffer or format: 0 with -4 (a NULL format leaves an empty string). */
OSMARK_API int32_t VSPrintf(char* buffer, const char* format,
                            const uintptr_t* arguments) OSMARK_NOEXCEPT;

/* Stores the first size characters of the output including its terminating NUL and
 * returns the full length: when the length is size or more, buffer holds the first
 * size characters and NO terminator, so give a size above the length expected.
 * A size below 1 stores nothing (buffer may then be NULL). NULL buffer with a size
 * above 0, or NULL format: 0 with -4 (a NULL format stores an empty string). */
OSMARK_API int32_t VSnPrintf(char* buffer, int32_t size, const char* format,
                             const uintptr_t* arguments) OSMARK_NOEXCEPT;

/*
 * File families (the handle is a FileHandle of osmark/files.h). The characters go out
 * one at a time through FPutc; the final NUL is not written.
 * VFPrintf returns the number of characters formatted, or -1 when the handle's error
 * flag is set afterwards (a write failed now or before). VPrintf does the same to the
 * current output stream (Output()). VFnPrintf writes at most limit characters and
 * returns the full formatted length; it does not look at the error flag.
 * A NULL handle (or no current output) or format: -1 with -4.
 */
struct FileHandle;
OSMARK_API int32_t VFPrintf(struct FileHandle* fh, const char* format,
                            const uintptr_t* arguments) OSMARK_NOEXCEPT;
OSMARK_API int32_t VPrintf(const char* format, const uintptr_t* arguments) OSMARK_NOEXCEPT;
OSMARK_API int32_t VFnPrintf(struct FileHandle* fh, int32_t limit, const char* format,
                             const uintptr_t* arguments) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#ifdef __cplusplus
#include <bit>
#include <cstddef>
#include <type_traits>

/* The slot of one inline argument. */
template <typename Argument>
inline uintptr_t OsmarkFormatSlot(Argument argument) noexcept
{
    if constexpr (std::is_floating_point_v<Argument>)
        return static_cast<uintptr_t>(std::bit_cast<uint64_t>(static_cast<double>(argument)));
    else if constexpr (std::is_pointer_v<Argument>)
        return reinterpret_cast<uintptr_t>(argument);
    else if constexpr (std::is_same_v<Argument, std::nullptr_t>)
        return 0;
    else
        return static_cast<uintptr_t>(argument);
}

inline uintptr_t OsmarkRealSlot(double value) noexcept
{
    return OsmarkFormatSlot(value);
}

template <typename... Arguments>
inline int32_t RawDoFmt(PutCharFunc callback, void* data, const char* format,
                        Arguments... arguments) noexcept
{
    const uintptr_t slots[] = {OsmarkFormatSlot(arguments)..., 0};
    return RawDoFmtA(callback, data, format, slots);
}

template <typename... Arguments>
inline int32_t SPrintf(char* buffer, const char* format, Arguments... arguments) noexcept
{
    const uintptr_t slots[] = {OsmarkFormatSlot(arguments)..., 0};
    return VSPrintf(buffer, format, slots);
}

template <typename... Arguments>
inline int32_t SnPrintf(char* buffer, int32_t size, const char* format,
                        Arguments... arguments) noexcept
{
    const uintptr_t slots[] = {OsmarkFormatSlot(arguments)..., 0};
    return VSnPrintf(buffer, size, format, slots);
}

template <typename... Arguments>
inline int32_t FPrintf(struct FileHandle* fh, const char* format, Arguments... arguments) noexcept
{
    const uintptr_t slots[] = {OsmarkFormatSlot(arguments)..., 0};
    return VFPrintf(fh, format, slots);
}

template <typename... Arguments>
inline int32_t Printf(const char* format, Arguments... arguments) noexcept
{
    const uintptr_t slots[] = {OsmarkFormatSlot(arguments)..., 0};
    return VPrintf(format, slots);
}

template <typename... Arguments>
inline int32_t FnPrintf(struct FileHandle* fh, int32_t limit, const char* format,
                        Arguments... arguments) noexcept
{
    const uintptr_t slots[] = {OsmarkFormatSlot(arguments)..., 0};
    return VFnPrintf(fh, limit, format, slots);
}
#else
/* The slot of a real: the bits of the double (slots are 64-bit wherever Osmark runs). */
static inline uintptr_t OsmarkRealSlot(double value)
{
    union {
        double real;
        uint64_t bits;
    } slot;
    slot.real = value;
    return (uintptr_t)slot.bits;
}

/* The leading 0 keeps the literal valid when no argument follows the format. */
#define RawDoFmt(callback, data, format, ...) \
    RawDoFmtA((callback), (data), (format), (const uintptr_t[]){0, __VA_ARGS__} + 1)
#define SPrintf(buffer, format, ...) \
    VSPrintf((buffer), (format), (const uintptr_t[]){0, __VA_ARGS__} + 1)
#define SnPrintf(buffer, size, format, ...) \
    VSnPrintf((buffer), (size), (format), (const uintptr_t[]){0, __VA_ARGS__} + 1)
#define FPrintf(fh, format, ...) \
    VFPrintf((fh), (format), (const uintptr_t[]){0, __VA_ARGS__} + 1)
#define Printf(format, ...) VPrintf((format), (const uintptr_t[]){0, __VA_ARGS__} + 1)
#define FnPrintf(fh, limit, format, ...) \
    VFnPrintf((fh), (limit), (format), (const uintptr_t[]){0, __VA_ARGS__} + 1)
#endif

#endif
