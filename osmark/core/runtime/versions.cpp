// Version strings: "$VER: name version.revision (date)".

#include "osmark/versions.h"

#include "core/text/string_chars.h"
#include "osmark/strings.h"

#include <cstring>

namespace {

constexpr char kVersionTag[] = "$VER:";
constexpr size_t kVersionTagLength = sizeof kVersionTag - 1;
constexpr char kVersionPrefix[] = "$VER: ";
constexpr int32_t kVersionPrefixLength = sizeof kVersionPrefix - 1;
// GetFileVersion reads its line into a buffer of this size.
constexpr int32_t kVersionLineSize = 511;

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// A decimal number from the digits at text; a value beyond 2^31 - 1 stays there.
int32_t read_number(const char*& text)
{
    int64_t value = 0;
    while (is_digit(*text)) {
        value = value * 10 + (*text - '0');
        if (value > INT32_MAX)
            value = INT32_MAX;
        ++text;
    }
    return static_cast<int32_t>(value);
}

struct ParsedVersion {
    const char* name_start = nullptr;
    const char* number_start = nullptr;  // the first digit, after a skipped 'V'
    const char* name_end = nullptr;      // where the name stops: before the 'V' or the digit
    const char* rest = nullptr;          // after the last number read
    int32_t version = 0;
    int32_t revision = 0;
};

// The scan for the version number: at each run of white space after the name's
// first character, one 'V' may follow; a digit there starts the number.
bool parse_version(const char* text, ParsedVersion& parsed)
{
    if (text == nullptr || std::strncmp(text, kVersionTag, kVersionTagLength) != 0)
        return false;
    const char* at = text + kVersionTagLength;
    while (osmark::is_white_space(*at))
        ++at;
    parsed.name_start = at;
    while (*at != '\0') {
        if (!osmark::is_white_space(*at)) {
            ++at;
            continue;
        }
        while (osmark::is_white_space(*at))
            ++at;
        const char* candidate = at;
        if (*candidate == 'V')
            ++candidate;
        if (is_digit(*candidate)) {
            parsed.name_end = at;
            parsed.number_start = candidate;
            break;
        }
    }
    if (parsed.number_start == nullptr)
        return false;
    const char* number = parsed.number_start;
    parsed.version = read_number(number);
    if (*number == '.') {
        ++number;
        parsed.revision = read_number(number);
    }
    parsed.rest = number;
    return true;
}

// Copies [begin, end) into buffer, stripped of white space at both ends.
void copy_stripped(char* buffer, const char* begin, const char* end)
{
    if (buffer == nullptr)
        return;
    while (begin < end && osmark::is_white_space(*begin))
        ++begin;
    while (end > begin && osmark::is_white_space(end[-1]))
        --end;
    std::memmove(buffer, begin, static_cast<size_t>(end - begin));
    buffer[end - begin] = '\0';
}

}

extern "C" {

OSMARK_API char* CreateVersionStr(const char* name, char* buffer, int32_t size) noexcept
{
    if (buffer == nullptr || size < kVersionPrefixLength + 1)
        return buffer;
    std::memcpy(buffer, kVersionPrefix, kVersionPrefixLength);
    const size_t room = static_cast<size_t>(size - kVersionPrefixLength - 1);
    const size_t length = name != nullptr ? strnlen(name, room) : 0;
    std::memcpy(buffer + kVersionPrefixLength, name, length);
    buffer[kVersionPrefixLength + length] = '\0';
    return buffer;
}

OSMARK_API int32_t ReadVersion(const char* text, int32_t* version, int32_t* revision) noexcept
{
    ParsedVersion parsed;
    const bool found = parse_version(text, parsed);
    if (version != nullptr)
        *version = parsed.version;
    if (revision != nullptr)
        *revision = parsed.revision;
    return found ? 1 : 0;
}

OSMARK_API int32_t ParseVersionStr(const char* text, char* name, int32_t* version, int32_t* revision,
                                   char* rest) noexcept
{
    ParsedVersion parsed;
    const bool found = parse_version(text, parsed);
    if (version != nullptr)
        *version = parsed.version;
    if (revision != nullptr)
        *revision = parsed.revision;
    if (!found) {
        if (name != nullptr)
            name[0] = '\0';
        if (rest != nullptr)
            rest[0] = '\0';
        return 0;
    }
    copy_stripped(rest, parsed.rest, parsed.rest + std::strlen(parsed.rest));
    copy_stripped(name, parsed.name_start, parsed.name_end);
    return 1;
}

OSMARK_API double GetFileVersion(FileHandle* fh, const char* prefix) noexcept
{
    if (fh == nullptr)
        return 0.0;
    char line[kVersionLineSize];
    if (FGets(fh, line, sizeof line) == nullptr)
        return 0.0;
    const size_t prefix_length = prefix != nullptr ? std::strlen(prefix) : 0;
    if (prefix_length > 0 && std::strncmp(line, prefix, prefix_length) != 0)
        return 0.0;
    return StrToDouble(line + prefix_length, nullptr);
}

}
