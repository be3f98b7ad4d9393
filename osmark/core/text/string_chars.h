// Byte classes shared by the string functions: case folding, white space and the
// lead bytes of the live locale's code page.
#ifndef OSMARK_CORE_STRING_CHARS_H
#define OSMARK_CORE_STRING_CHARS_H

#include <array>
#include <cstdint>

namespace osmark {

// The identity except 'A'..'Z', which fold to 'a'..'z'. Indexed by the unsigned byte.
inline constexpr std::array<uint8_t, 256> kFoldTable = [] {
    std::array<uint8_t, 256> table{};
    for (unsigned i = 0; i < table.size(); ++i)
        table[i] = static_cast<uint8_t>(i >= 'A' && i <= 'Z' ? i - 'A' + 'a' : i);
    return table;
}();

inline uint8_t fold(char c)
{
    return kFoldTable[static_cast<uint8_t>(c)];
}

inline bool is_white_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Comparison results are differences of bytes read as signed 8-bit values, so that
// bytes from 0x80 up sort below ASCII.
inline int32_t signed_difference(uint8_t a, uint8_t b)
{
    return static_cast<int8_t>(a) - static_cast<int8_t>(b);
}

// True when the live locale says the code page has lead bytes.
bool has_lead_bytes();
// True when byte lies in one of the live locale's lead-byte ranges (the flag is not
// consulted).
bool is_lead_byte(uint8_t byte);

// Length of the character that begins at p when lead bytes count: 2 for a lead byte
// followed by a trail byte, else 1. A lead byte right before the NUL stands alone, so
// a walk never steps over the terminator.
inline int32_t character_length(const char* p)
{
    return is_lead_byte(static_cast<uint8_t>(p[0])) && p[1] != '\0' ? 2 : 1;
}

}

#endif
