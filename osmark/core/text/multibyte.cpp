// Code-page-aware string functions: locale comparison, case conversion, searching on
// character boundaries and conversions between byte and character positions.
//
// With lead bytes (the live locale's multi-byte flag) a character is one byte, or a
// lead byte and its trail byte; trail bytes are never matched, folded or converted.
// Without them every byte is a character, and the strings are UTF-8: there the
// letters of the Latin-1 supplement (two-byte sequences 0xC3 xx) change case along
// with ASCII, since their upper and lower forms have the same length.

#include "osmark/strings.h"

#include "core/runtime/make_error.h"
#include "core/text/string_chars.h"
#include "osmark/memory.h"

#include <algorithm>
#include <cstring>

namespace {

using osmark::character_length;
using osmark::has_lead_bytes;
using osmark::is_lead_byte;

constexpr uint8_t kLatin1Lead = 0xC3;
constexpr uint8_t kMultiplicationSign = 0x97;  // 0xC3 0x97, no letter
constexpr uint8_t kDivisionSign = 0xB7;        // 0xC3 0xB7, no letter
constexpr uint8_t kCaseDistance = 0x20;

int32_t step(const char* p, bool multi_byte)
{
    return multi_byte ? character_length(p) : 1;
}

uint8_t latin1_lower(uint8_t second)
{
    const bool upper = second >= 0x80 && second <= 0x9E && second != kMultiplicationSign;
    return upper ? static_cast<uint8_t>(second + kCaseDistance) : second;
}

uint8_t latin1_upper(uint8_t second)
{
    const bool lower = second >= 0xA0 && second <= 0xBE && second != kDivisionSign;
    return lower ? static_cast<uint8_t>(second - kCaseDistance) : second;
}

uint8_t ascii_upper(uint8_t byte)
{
    return byte >= 'a' && byte <= 'z' ? static_cast<uint8_t>(byte - kCaseDistance) : byte;
}

// Walks a string byte by byte, knowing which bytes are trail bytes or the second
// byte of a Latin-1 letter, and hands out each byte with its case folded.
class FoldingReader {
public:
    FoldingReader(const char* s, bool multi_byte) : m_p(s), m_multi_byte(multi_byte) {}

    // The next byte folded; raw receives it unfolded. At the NUL it stays there.
    uint8_t next(uint8_t& raw)
    {
        raw = static_cast<uint8_t>(*m_p);
        if (raw == 0)
            return 0;
        const State state = m_state;
        m_state = State::Plain;
        ++m_p;
        if (state == State::Trail)
            return raw;
        if (state == State::AfterLatin1Lead)
            return latin1_lower(raw);
        if (m_multi_byte && is_lead_byte(raw) && *m_p != '\0') {
            m_state = State::Trail;
            return raw;
        }
        if (!m_multi_byte && raw == kLatin1Lead)
            m_state = State::AfterLatin1Lead;
        return osmark::kFoldTable[raw];
    }

private:
    enum class State { Plain, Trail, AfterLatin1Lead };

    const char* m_p;
    bool m_multi_byte;
    State m_state = State::Plain;
};

enum class Case { Matters, Ignored };

// -1, 0 or 1 over at most limit bytes of each; -2 when a string is missing. Letters
// compare folded first; when that finds no difference, the first case difference
// decides, lower case first (a lower-case letter has the larger code).
int32_t locale_compare(const char* a, const char* b, int64_t limit, Case letter_case)
{
    if (a == nullptr || b == nullptr)
        return osmark::make_error(-2);
    const bool multi_byte = has_lead_bytes();
    FoldingReader left(a, multi_byte);
    FoldingReader right(b, multi_byte);
    int32_t case_order = 0;
    for (int64_t i = 0; i < limit; ++i) {
        uint8_t raw_left = 0;
        uint8_t raw_right = 0;
        const uint8_t l = left.next(raw_left);
        const uint8_t r = right.next(raw_right);
        if (l != r)
            return l < r ? -1 : 1;
        if (case_order == 0 && raw_left != raw_right)
            case_order = raw_left > raw_right ? -1 : 1;
        if (l == 0)
            break;
    }
    return letter_case == Case::Matters ? case_order : 0;
}

constexpr int64_t kWholeString = INT64_MAX;

enum class Conversion { Lower, Upper };

char* convert_case(char* s, Conversion conversion)
{
    if (s == nullptr)
        return nullptr;
    const bool multi_byte = has_lead_bytes();
    for (char* p = s; *p != '\0';) {
        const uint8_t byte = static_cast<uint8_t>(*p);
        if (multi_byte && character_length(p) == 2) {
            p += 2;
            continue;
        }
        if (!multi_byte && byte == kLatin1Lead && p[1] != '\0') {
            const uint8_t second = static_cast<uint8_t>(p[1]);
            p[1] = static_cast<char>(conversion == Conversion::Lower ? latin1_lower(second) : latin1_upper(second));
            p += 2;
            continue;
        }
        *p = static_cast<char>(conversion == Conversion::Lower ? osmark::kFoldTable[byte] : ascii_upper(byte));
        ++p;
    }
    return s;
}

// First (or last) one-byte character equal to c; c = 0 finds the terminating NUL.
enum class Occurrence { First, Last };

char* find_character(const char* s, int32_t c, Occurrence which)
{
    if (s == nullptr)
        return nullptr;
    const bool multi_byte = has_lead_bytes();
    const char wanted = static_cast<char>(c);
    const char* found = nullptr;
    for (const char* p = s;; ) {
        const int32_t length = step(p, multi_byte);
        if (length == 1 && *p == wanted) {
            if (which == Occurrence::First || wanted == '\0')
                return const_cast<char*>(p);
            found = p;
        }
        if (*p == '\0')
            return const_cast<char*>(found);
        p += length;
    }
}

char* find_on_boundary(const char* s, const char* sub, Case letter_case)
{
    if (s == nullptr || sub == nullptr || s[0] == '\0' || sub[0] == '\0')
        return nullptr;
    const bool multi_byte = has_lead_bytes();
    const size_t length = std::strlen(sub);
    const char* boundary = s;  // the first character boundary not before the candidate
    const char* from = s;
    for (;;) {
        const char* candidate = letter_case == Case::Matters ? StrStr(from, sub) : StriStr(from, sub);
        if (candidate == nullptr || strnlen(candidate, length) < length)
            return nullptr;
        while (boundary < candidate)
            boundary += step(boundary, multi_byte);
        if (boundary == candidate && locale_compare(candidate, sub, static_cast<int64_t>(length), letter_case) == 0)
            return const_cast<char*>(candidate);
        from = candidate + step(candidate, multi_byte);
    }
}

int32_t string_length(const char* s)
{
    return s != nullptr ? static_cast<int32_t>(std::strlen(s)) : 0;
}

// Characters that begin in the first limit bytes (limit within the string).
int32_t characters_before(const char* s, int32_t limit)
{
    int32_t characters = 0;
    for (int32_t i = 0; i < limit; i += character_length(s + i))
        ++characters;
    return characters;
}

}

extern "C" {

OSMARK_API int32_t AnsiStrCmp(const char* a, const char* b) noexcept
{
    return locale_compare(a, b, kWholeString, Case::Matters);
}

OSMARK_API int32_t AnsiStriCmp(const char* a, const char* b) noexcept
{
    return locale_compare(a, b, kWholeString, Case::Ignored);
}

OSMARK_API int32_t AnsiStrnCmp(const char* a, const char* b, int32_t n) noexcept
{
    if (a == nullptr || b == nullptr)
        return osmark::make_error(-2);
    return n < 1 ? 0 : locale_compare(a, b, n, Case::Matters);
}

OSMARK_API int32_t AnsiStrniCmp(const char* a, const char* b, int32_t n) noexcept
{
    if (a == nullptr || b == nullptr)
        return osmark::make_error(-2);
    return n < 1 ? 0 : locale_compare(a, b, n, Case::Ignored);
}

OSMARK_API char* AnsiStrLower(char* s) noexcept
{
    return convert_case(s, Conversion::Lower);
}

OSMARK_API char* AnsiStrUpper(char* s) noexcept
{
    return convert_case(s, Conversion::Upper);
}

// With lead bytes the general conversion already keeps to ASCII letters and passes
// over trail bytes, which is all a file name may have changed.
OSMARK_API char* AnsiFileNameStrLower(char* s) noexcept
{
    return AnsiStrLower(s);
}

OSMARK_API char* AnsiFileNameStrUpper(char* s) noexcept
{
    return AnsiStrUpper(s);
}

OSMARK_API int32_t AnsiFileNameStrCmp(const char* a, const char* b) noexcept
{
    if (a == nullptr || b == nullptr)
        return AnsiStrCmp(a, b);
    char* left = StrDup(a);
    char* right = StrDup(b);
    int32_t result = -1;
    if (left != nullptr && right != nullptr)
        result = AnsiStrCmp(AnsiFileNameStrLower(left), AnsiFileNameStrLower(right));
    FreeVec(left);
    FreeVec(right);
    return result;
}

OSMARK_API char* AnsiStrChr(const char* s, int32_t c) noexcept
{
    return find_character(s, c, Occurrence::First);
}

OSMARK_API char* AnsiStrrChr(const char* s, int32_t c) noexcept
{
    return find_character(s, c, Occurrence::Last);
}

OSMARK_API char* AnsiStrStr(const char* s, const char* sub) noexcept
{
    return find_on_boundary(s, sub, Case::Matters);
}

OSMARK_API char* AnsiStriStr(const char* s, const char* sub) noexcept
{
    return find_on_boundary(s, sub, Case::Ignored);
}

OSMARK_API char* AnsiLastChar(const char* s) noexcept
{
    if (s == nullptr || s[0] == '\0')
        return nullptr;
    const bool multi_byte = has_lead_bytes();
    const char* last = s;
    for (const char* p = s; *p != '\0'; p += step(p, multi_byte))
        last = p;
    return const_cast<char*>(last);
}

OSMARK_API int32_t IsLeadByte(int32_t byte) noexcept
{
    if (byte < 0 || byte > 0xFF)
        return 0;
    return is_lead_byte(static_cast<uint8_t>(byte)) ? 1 : 0;
}

OSMARK_API int32_t ByteTypeTest(const char* s, int32_t index) noexcept
{
    if (index < 0 || index >= string_length(s))
        return ByteTypeSingle;
    int32_t i = 0;
    while (i < index)
        i += character_length(s + i);
    if (i > index)
        return ByteTypeTrail;
    return is_lead_byte(static_cast<uint8_t>(s[i])) ? ByteTypeLead : ByteTypeSingle;
}

OSMARK_API int32_t ByteType(const char* s, int32_t index) noexcept
{
    return has_lead_bytes() ? ByteTypeTest(s, index) : ByteTypeSingle;
}

OSMARK_API int32_t ByteToCharIndex(const char* s, int32_t index) noexcept
{
    if (index < 0 || index >= string_length(s))
        return -1;
    return has_lead_bytes() ? characters_before(s, index) : index;
}

OSMARK_API int32_t ByteToCharLen(const char* s, int32_t length) noexcept
{
    if (length < 0)
        return -1;
    const int32_t limit = std::min(length, string_length(s));
    return has_lead_bytes() ? characters_before(s, limit) : limit;
}

OSMARK_API void CountChars(const char* s, int32_t n, int32_t* characters, int32_t* bytes) noexcept
{
    const int32_t length = string_length(s);
    const bool multi_byte = has_lead_bytes();
    int32_t walked = 0;
    int32_t used = 0;
    while (walked < n && used < length) {
        used += step(s + used, multi_byte);
        ++walked;
    }
    if (characters != nullptr)
        *characters = walked;
    if (bytes != nullptr)
        *bytes = used;
}

OSMARK_API int32_t CharToByteIndex(const char* s, int32_t index) noexcept
{
    const int32_t length = string_length(s);
    if (index < 0 || index >= length)
        return -1;
    if (index == 0 || !has_lead_bytes())
        return index;
    int32_t characters = 0;
    int32_t bytes = 0;
    CountChars(s, index, &characters, &bytes);
    // The character with that index must begin inside the string.
    if (characters < index || bytes >= length)
        return -1;
    return bytes;
}

OSMARK_API int32_t CharToByteLen(const char* s, int32_t count) noexcept
{
    if (count < 0)
        return -1;
    const int32_t length = string_length(s);
    const int32_t limit = std::min(count, length);
    if (!has_lead_bytes())
        return limit;
    int32_t bytes = 0;
    CountChars(s, limit, nullptr, &bytes);
    return std::min(bytes, length);
}

}
