// String length, copying, joining, comparison and searching. NULL strings give the
// fixed results the header names; a NULL string sorts before every other string.

#include "osmark/strings.h"

#include "core/text/string_chars.h"
#include "osmark/memory.h"

#include <cstring>

namespace {

using osmark::fold;

uint8_t unfolded(char c)
{
    return static_cast<uint8_t>(c);
}

// NULL sorts first; two NULLs are equal. Returns true when a result was decided.
bool compare_nulls(const char* a, const char* b, int32_t& result)
{
    if (a != nullptr && b != nullptr)
        return false;
    result = a == b ? 0 : (a == nullptr ? -1 : 1);
    return true;
}

// Compares at most limit bytes, stopping after the first NUL of either string.
template <uint8_t (*Fold)(char)>
int32_t compare_strings(const char* a, const char* b, int64_t limit)
{
    int32_t result = 0;
    if (compare_nulls(a, b, result))
        return result;
    for (int64_t i = 0; i < limit; ++i) {
        const uint8_t l = Fold(a[i]);
        const uint8_t r = Fold(b[i]);
        if (l != r)
            return osmark::signed_difference(l, r);
        if (l == 0)
            break;
    }
    return 0;
}

constexpr int64_t kWholeString = INT64_MAX;

template <uint8_t (*Fold)(char)>
char* find_substring(const char* s, const char* sub)
{
    if (s == nullptr)
        return nullptr;
    if (sub == nullptr || sub[0] == '\0')
        return const_cast<char*>(s);
    const size_t length = std::strlen(sub);
    const uint8_t first = Fold(sub[0]);
    for (const char* p = s; *p != '\0'; ++p) {
        if (Fold(*p) != first)
            continue;
        size_t i = 1;
        while (i < length && p[i] != '\0' && Fold(p[i]) == Fold(sub[i]))
            ++i;
        if (i == length)
            return const_cast<char*>(p);
        if (p[i] == '\0')
            return nullptr;
    }
    return nullptr;
}

}

extern "C" {

OSMARK_API int32_t StrLen(const char* s) noexcept
{
    return s != nullptr ? static_cast<int32_t>(std::strlen(s)) : 0;
}

OSMARK_API char* StrEnd(const char* s) noexcept
{
    return s != nullptr ? const_cast<char*>(s + std::strlen(s)) : nullptr;
}

OSMARK_API char* StrCpy(char* dst, const char* src) noexcept
{
    if (dst == nullptr || src == nullptr)
        return nullptr;
    std::memmove(dst, src, std::strlen(src) + 1);
    return dst;
}

OSMARK_API char* StrnCpy(char* dst, const char* src, int32_t n) noexcept
{
    if (dst == nullptr || n < 0)
        return dst;
    const size_t length = src != nullptr ? strnlen(src, static_cast<size_t>(n)) : 0;
    if (length > 0)
        std::memmove(dst, src, length);
    dst[length] = '\0';
    return dst;
}

OSMARK_API char* StrCat(char* dst, const char* src) noexcept
{
    if (dst != nullptr && src != nullptr)
        StrCpy(dst + std::strlen(dst), src);
    return dst;
}

OSMARK_API char* StrnCat(char* dst, const char* src, int32_t n) noexcept
{
    if (dst != nullptr && src != nullptr && n > 0)
        StrnCpy(dst + std::strlen(dst), src, n);
    return dst;
}

OSMARK_API char* StrDup(const char* s) noexcept
{
    if (s == nullptr)
        return nullptr;
    const size_t size = std::strlen(s) + 1;
    if (size > UINT32_MAX)
        return nullptr;
    char* copy = static_cast<char*>(AllocVec(static_cast<uint32_t>(size)));
    if (copy != nullptr)
        std::memcpy(copy, s, size);
    return copy;
}

OSMARK_API int32_t StrCmp(const char* a, const char* b) noexcept
{
    return compare_strings<unfolded>(a, b, kWholeString);
}

OSMARK_API int32_t StrnCmp(const char* a, const char* b, int32_t n) noexcept
{
    return n < 1 ? 0 : compare_strings<unfolded>(a, b, n);
}

OSMARK_API int32_t StriCmp(const char* a, const char* b) noexcept
{
    return compare_strings<fold>(a, b, kWholeString);
}

OSMARK_API int32_t StrniCmp(const char* a, const char* b, int32_t n) noexcept
{
    return n < 1 ? 0 : compare_strings<fold>(a, b, n);
}

OSMARK_API int32_t StrEq(const char* a, const char* b) noexcept
{
    return StrCmp(a, b) == 0 ? 1 : 0;
}

OSMARK_API char* StrChr(const char* s, int32_t c) noexcept
{
    if (s == nullptr)
        return nullptr;
    const char wanted = static_cast<char>(c);
    for (const char* p = s;; ++p) {
        if (*p == wanted)
            return const_cast<char*>(p);
        if (*p == '\0')
            return nullptr;
    }
}

OSMARK_API char* StrrChr(const char* s, int32_t c) noexcept
{
    const char wanted = static_cast<char>(c);
    if (s == nullptr || wanted == '\0')
        return nullptr;
    const char* last = nullptr;
    for (const char* p = s; *p != '\0'; ++p) {
        if (*p == wanted)
            last = p;
    }
    return const_cast<char*>(last);
}

OSMARK_API char* StrpBrk(const char* s, const char* set) noexcept
{
    if (s == nullptr || set == nullptr)
        return nullptr;
    return const_cast<char*>(std::strpbrk(s, set));
}

OSMARK_API int32_t StrSpn(const char* s, const char* set) noexcept
{
    if (s == nullptr || set == nullptr)
        return 0;
    return static_cast<int32_t>(std::strspn(s, set));
}

OSMARK_API char* StrStr(const char* s, const char* sub) noexcept
{
    return find_substring<unfolded>(s, sub);
}

OSMARK_API char* StriStr(const char* s, const char* sub) noexcept
{
    return find_substring<fold>(s, sub);
}

}
