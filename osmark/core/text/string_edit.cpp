// Cutting strings into a destination and changing them in place: left, middle and
// right parts, case, filling, replacing, removing, reversing, stripping white space
// and trimming formatted numbers.

#include "osmark/strings.h"

#include "core/text/string_chars.h"

#include <algorithm>
#include <cstring>

namespace {

using osmark::is_white_space;

// Copies length bytes of src to dst and terminates; the two may overlap.
char* put_part(char* dst, const char* src, size_t length)
{
    if (length > 0)
        std::memmove(dst, src, length);
    dst[length] = '\0';
    return dst;
}

void strip_end(char* s)
{
    size_t length = std::strlen(s);
    while (length > 0 && is_white_space(s[length - 1]))
        --length;
    s[length] = '\0';
}

void strip_start(char* s)
{
    const char* first = s;
    while (is_white_space(*first))
        ++first;
    if (first != s)
        std::memmove(s, first, std::strlen(first) + 1);
}

void remove_bytes_if(char* s, bool (*is_removed)(char))
{
    char* to = s;
    for (const char* from = s; *from != '\0'; ++from) {
        if (!is_removed(*from))
            *to++ = *from;
    }
    *to = '\0';
}

}

extern "C" {

OSMARK_API char* StrLeft(char* dst, const char* src, int32_t n) noexcept
{
    if (dst == nullptr || src == nullptr)
        return nullptr;
    const size_t length = n < 1 ? 0 : strnlen(src, static_cast<size_t>(n));
    return put_part(dst, src, length);
}

OSMARK_API char* StrMid(char* dst, const char* src, int32_t start, int32_t n) noexcept
{
    if (dst == nullptr || src == nullptr)
        return nullptr;
    const size_t length = std::strlen(src);
    if (start < 1 || n < 0 || static_cast<size_t>(start) > length)
        return put_part(dst, src, 0);
    return StrLeft(dst, src + start - 1, n);
}

OSMARK_API char* StrRight(char* dst, const char* src, int32_t n) noexcept
{
    if (dst == nullptr || src == nullptr)
        return nullptr;
    const size_t length = std::strlen(src);
    const size_t wanted = n < 1 ? 0 : std::min(length, static_cast<size_t>(n));
    return put_part(dst, src + length - wanted, wanted);
}

OSMARK_API char* StrLower(char* s) noexcept
{
    if (s == nullptr)
        return nullptr;
    for (char* p = s; *p != '\0'; ++p)
        *p = static_cast<char>(osmark::fold(*p));
    return s;
}

OSMARK_API char* StrUpper(char* s) noexcept
{
    if (s == nullptr)
        return nullptr;
    for (char* p = s; *p != '\0'; ++p) {
        if (*p >= 'a' && *p <= 'z')
            *p = static_cast<char>(*p - 'a' + 'A');
    }
    return s;
}

OSMARK_API char* StrSet(char* s, int32_t c) noexcept
{
    if (s != nullptr)
        std::memset(s, static_cast<unsigned char>(c), std::strlen(s));
    return s;
}

OSMARK_API char* StrnSet(char* s, int32_t c, int32_t n) noexcept
{
    if (s != nullptr && n > 0)
        std::memset(s, static_cast<unsigned char>(c), strnlen(s, static_cast<size_t>(n)));
    return s;
}

OSMARK_API char* StrRepChr(char* s, int32_t from, int32_t to) noexcept
{
    if (s == nullptr)
        return nullptr;
    const char old_byte = static_cast<char>(from);
    const char new_byte = static_cast<char>(to);
    for (char* p = s; *p != '\0'; ++p) {
        if (*p == old_byte)
            *p = new_byte;
    }
    return s;
}

OSMARK_API char* StrRmChr(char* s, int32_t c) noexcept
{
    if (s == nullptr)
        return nullptr;
    const char removed = static_cast<char>(c);
    char* to = s;
    for (const char* from = s; *from != '\0'; ++from) {
        if (*from != removed)
            *to++ = *from;
    }
    *to = '\0';
    return s;
}

OSMARK_API char* StrRev(char* s) noexcept
{
    if (s != nullptr)
        std::reverse(s, s + std::strlen(s));
    return s;
}

OSMARK_API char* StrStrip(char* s, int32_t mode) noexcept
{
    if (s == nullptr || s[0] == '\0')
        return s;
    switch (osmark::fold(static_cast<char>(mode))) {
    case 't':
        strip_end(s);
        break;
    case 'l':
        strip_start(s);
        break;
    case 'b':
        strip_end(s);
        strip_start(s);
        break;
    case 'a':
        // Inner white space goes too, byte by byte, not collapsed to one blank.
        remove_bytes_if(s, is_white_space);
        break;
    default:
        break;
    }
    return s;
}

// The callers pass fixed-point output, which always has a point; the function does
// not look for one, so an integer text loses its trailing zeros as well.
OSMARK_API char* StrRmZeros(char* s, int32_t flag) noexcept
{
    if (s == nullptr || s[0] == '\0')
        return s;
    size_t length = std::strlen(s);
    while (length > 1 && s[length - 1] == '0')
        --length;
    s[length] = '\0';
    if (s[length - 1] != '.')
        return s;
    if (flag != 0) {
        s[length - 1] = '\0';
    } else {
        s[length] = '0';
        s[length + 1] = '\0';
    }
    return s;
}

}
