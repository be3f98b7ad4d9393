// Tokens and "key = value" lines.

#include "osmark/strings.h"

#include "core/text/string_chars.h"

#include <cstring>

namespace {

// The scan position of StrTok, one for the whole library (not per thread).
char* g_token_position = nullptr;

bool is_delimiter(char c, const char* delimiters)
{
    return c != '\0' && delimiters != nullptr && std::strchr(delimiters, c) != nullptr;
}

// The value text of a 'S' line: a value that begins with a double quote loses it and
// everything from its last double quote on.
void copy_text_value(char* result, const char* value)
{
    if (value[0] != '"') {
        std::memmove(result, value, std::strlen(value) + 1);
        return;
    }
    const char* text = value + 1;
    const char* closing = std::strrchr(text, '"');
    const size_t length = closing != nullptr ? static_cast<size_t>(closing - text) : std::strlen(text);
    std::memmove(result, text, length);
    result[length] = '\0';
}

}

extern "C" {

OSMARK_API char* StrTok(char* s, const char* delimiters) noexcept
{
    if (s != nullptr)
        g_token_position = s;
    char* p = g_token_position;
    if (p == nullptr)
        return nullptr;
    while (is_delimiter(*p, delimiters))
        ++p;
    if (*p == '\0') {
        g_token_position = nullptr;
        return nullptr;
    }
    char* token = p;
    while (*p != '\0' && !is_delimiter(*p, delimiters))
        ++p;
    if (*p == '\0') {
        g_token_position = nullptr;
    } else {
        *p = '\0';
        g_token_position = p + 1;
    }
    return token;
}

OSMARK_API char* StrToken(char** cursor, const char* delimiters) noexcept
{
    if (cursor == nullptr || *cursor == nullptr)
        return nullptr;
    char* token = *cursor;
    char* delimiter = StrpBrk(token, delimiters);
    if (delimiter == nullptr)
        return nullptr;
    *delimiter = '\0';
    *cursor = delimiter + 1;
    return token;
}

OSMARK_API int32_t StrGetVar(char* line, const char* key, int32_t type, void* result) noexcept
{
    if (line == nullptr || key == nullptr || result == nullptr)
        return 0;
    const size_t key_length = std::strlen(key);
    if (std::strncmp(line, key, key_length) != 0)
        return 0;
    if (char* line_feed = std::strchr(line, '\n'); line_feed != nullptr)
        *line_feed = '\0';
    if (char* carriage_return = std::strchr(line, '\r'); carriage_return != nullptr)
        *carriage_return = '\0';
    char* equals = std::strchr(line, '=');
    char* value = equals != nullptr ? equals + 1 : line + key_length;
    StrStrip(value, 'B');
    if (value[0] == '\0')
        return 0;
    switch (osmark::fold(static_cast<char>(type))) {
    case 'd':
        *static_cast<int32_t*>(result) = StrToLong(value, nullptr, 0);
        return 1;
    case 'x':
        *static_cast<int32_t*>(result) = StrToLong(value, nullptr, 16);
        return 1;
    case 'f':
        *static_cast<double*>(result) = StrToDouble(value, nullptr);
        return 1;
    case 's':
        copy_text_value(static_cast<char*>(result), value);
        return 1;
    default:
        return 0;
    }
}

}
