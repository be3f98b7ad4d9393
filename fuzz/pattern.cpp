// Fuzz target of the pattern language: any pattern text through ParsePattern, and,
// when it compiles, MatchPattern against names taken from the same input.
//
// Input: a control byte (bit 0: compare without regard to case), then the pattern up
// to the first NUL, then names separated by NUL bytes. The pattern is capped so that
// one run stays short; the compiler itself refuses token strings beyond 64 KB.

#include "osmark/memory.h"
#include "osmark/patterns.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr size_t kMaxPatternLength = 4096;
constexpr int kMaxNames = 8;

// A literal pattern without escapes and without bytes that read as tokens matches
// its own text.
bool is_plain_literal(const std::string& pattern)
{
    return std::none_of(pattern.begin(), pattern.end(), [](char c) {
        const auto byte = static_cast<uint8_t>(c);
        return c == '`' || (byte >= 1 && byte <= 13);
    });
}

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint32_t flags = (data[0] & 1) != 0 ? PatternNoCase : 0;
    const char* text = reinterpret_cast<const char*>(data + 1);
    const size_t rest = size - 1;
    const size_t pattern_end = strnlen(text, rest);
    const std::string pattern(text, std::min(pattern_end, kMaxPatternLength));

    ParsedPattern record{};
    const int32_t parsed = ParsePattern(pattern.c_str(), &record);
    check(parsed >= -1 && parsed <= 1);
    check(parsed != -1 || record.pp_TokenLength == 0);
    check(record.pp_TokenLength <= record.pp_BufferSize);
    if (parsed >= 0) {
        record.pp_Flags |= flags;
        size_t at = std::min(pattern_end + 1, rest);
        for (int i = 0; i < kMaxNames; ++i) {
            const size_t length = strnlen(text + at, rest - at);
            const std::string name(text + at, length);
            const int32_t matched = MatchPattern(&record, name.c_str());
            check(matched >= -1 && matched <= 1);
            if (i == 0 && parsed == 0 && !pattern.empty() && is_plain_literal(pattern))
                check(MatchPattern(&record, pattern.c_str()) == 1);
            if (at + length >= rest)
                break;
            at += length + 1;
        }
    }
    FreeVec(record.pp_Tokens);
    return 0;
}
