// Byte-block functions: copy, move, fill, clear, search and compare. Lengths below 1
// and NULL blocks do nothing.

#include "osmark/strings.h"

#include "core/text/string_chars.h"

#include <cstring>

namespace {

bool is_empty_request(const void* a, const void* b, int32_t n)
{
    return n < 1 || a == nullptr || b == nullptr;
}

template <uint8_t (*Fold)(char)>
int32_t compare_blocks(const void* a, const void* b, int32_t n)
{
    if (is_empty_request(a, b, n))
        return 0;
    const char* left = static_cast<const char*>(a);
    const char* right = static_cast<const char*>(b);
    for (int32_t i = 0; i < n; ++i) {
        const uint8_t l = Fold(left[i]);
        const uint8_t r = Fold(right[i]);
        if (l != r)
            return osmark::signed_difference(l, r);
    }
    return 0;
}

uint8_t unfolded(char c)
{
    return static_cast<uint8_t>(c);
}

}

extern "C" {

// Forward byte by byte on purpose: an overlapping copy to a higher address repeats
// the first bytes, which callers may use to fill a block with a pattern.
OSMARK_API void* MemCpy(void* dst, const void* src, int32_t n) noexcept
{
    if (is_empty_request(dst, src, n))
        return dst;
    unsigned char* to = static_cast<unsigned char*>(dst);
    const unsigned char* from = static_cast<const unsigned char*>(src);
    for (int32_t i = 0; i < n; ++i)
        to[i] = from[i];
    return dst;
}

OSMARK_API void* FastMemCpy(void* dst, const void* src, int32_t n) noexcept
{
    if (n < 4)
        return MemCpy(dst, src, n);
    if (is_empty_request(dst, src, n))
        return dst;
    unsigned char* to = static_cast<unsigned char*>(dst);
    const unsigned char* from = static_cast<const unsigned char*>(src);
    const int32_t words = n / 4;
    // Each word goes through a register, so an overlapping copy behaves as a word copy.
    for (int32_t i = 0; i < words; ++i) {
        uint32_t word;
        std::memcpy(&word, from + 4 * i, sizeof word);
        std::memcpy(to + 4 * i, &word, sizeof word);
    }
    for (int32_t i = words * 4; i < n; ++i)
        to[i] = from[i];
    return dst;
}

OSMARK_API void* MemMove(void* dst, const void* src, int32_t n) noexcept
{
    if (is_empty_request(dst, src, n))
        return dst;
    std::memmove(dst, src, static_cast<size_t>(n));
    return dst;
}

OSMARK_API void* MemcCpy(void* dst, const void* src, int32_t c, int32_t n) noexcept
{
    if (is_empty_request(dst, src, n))
        return nullptr;
    unsigned char* to = static_cast<unsigned char*>(dst);
    const unsigned char* from = static_cast<const unsigned char*>(src);
    const unsigned char stop = static_cast<unsigned char>(c);
    for (int32_t i = 0; i < n; ++i) {
        to[i] = from[i];
        if (from[i] == stop)
            return to + i + 1;
    }
    return nullptr;
}

OSMARK_API void* MemChr(const void* p, int32_t c, int32_t n) noexcept
{
    if (p == nullptr || n < 1)
        return nullptr;
    return const_cast<void*>(std::memchr(p, static_cast<unsigned char>(c), static_cast<size_t>(n)));
}

OSMARK_API int32_t MemCmp(const void* a, const void* b, int32_t n) noexcept
{
    return compare_blocks<unfolded>(a, b, n);
}

OSMARK_API int32_t MemiCmp(const void* a, const void* b, int32_t n) noexcept
{
    return compare_blocks<osmark::fold>(a, b, n);
}

OSMARK_API void* MemSet(void* p, int32_t value, int32_t n) noexcept
{
    if (p != nullptr && n > 0)
        std::memset(p, static_cast<unsigned char>(value), static_cast<size_t>(n));
    return p;
}

OSMARK_API void* MemZero(void* p, int32_t n) noexcept
{
    return MemSet(p, 0, n);
}

}
