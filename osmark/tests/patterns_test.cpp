#include "osmark/errors.h"
#include "osmark/locale.h"
#include "osmark/memory.h"
#include "osmark/patterns.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A compiled pattern whose token buffer is freed at the end of the test.
struct Compiled {
    ParsedPattern record{};
    int32_t result;

    explicit Compiled(const std::string& text, uint32_t extra_flags = 0) : result(ParsePattern(text.c_str(), &record))
    {
        record.pp_Flags |= extra_flags;
    }
    ~Compiled() { FreeVec(record.pp_Tokens); }
    Compiled(const Compiled&) = delete;
    Compiled& operator=(const Compiled&) = delete;

    std::vector<uint8_t> tokens() const
    {
        return std::vector<uint8_t>(record.pp_Tokens, record.pp_Tokens + record.pp_TokenLength);
    }
    int32_t match(const std::string& name) const { return MatchPattern(&record, name.c_str()); }
};

struct MatchCase {
    const char* pattern;
    const char* name;
    int32_t expected;
};

void check_matches(const MatchCase* cases, size_t count, uint32_t flags)
{
    for (size_t i = 0; i < count; ++i) {
        const MatchCase& c = cases[i];
        SCOPED_TRACE(std::string("pattern \"") + c.pattern + "\" name \"" + c.name + "\"");
        Compiled compiled(c.pattern, flags);
        ASSERT_GE(compiled.result, 0);
        EXPECT_EQ(compiled.match(c.name), c.expected);
    }
}

TEST(Patterns, MatchesTheTokenLanguage)
{
    const MatchCase cases[] = {
        {"a?c", "abc", 1},
        {"a?c", "ac", 0},
        {"a?c", "a/c", 0}, // ? never takes a path separator
        {"#?.dxf", "part.dxf", 1},
        {"*.dxf", "part.dxf", 1},
        {"#?.dxf", "dir\\part.dxf", 0},
        {"*.dxf", "dir\\part.dxf", 0},
        {"*.dxf", "dir/part.dxf", 0},
        {"*/*.dxf", "dir/part.dxf", 1},
        {"*/*.dxf", "dir\\part.dxf", 1}, // path separators compare equal to each other
        {"*x", "x", 1},
        {"a***b", "axyb", 1},  // a run of stars matches as one star
        {"***", "", 1},
        {"**/x", "ab/x", 1},
        {"**x", "ab/x", 0},
        {"*", "", 1},
        {"a*b*c", "aXbYc", 1},
        {"(ab|cd)e", "abe", 1},
        {"(ab|cd)e", "cde", 1},
        {"(ab|cd)e", "ae", 0},
        {"(a|ab)c", "abc", 1}, // the longer alternative decides
        {"(|a)b", "b", 1},     // an empty alternative matches nothing
        {"(|a)b", "ab", 1},
        {"()a", "a", 0},       // an empty group never matches
        {"[a-c]x", "bx", 1},
        {"[a-c]x", "dx", 0},
        {"[!a-c]x", "dx", 1},
        {"[!a-c]x", "bx", 0},
        {"[]]x", "]x", 1},
        {"[]]x", "ax", 0},
        {"[`]a]", "]", 1},     // an escaped member
        {"[`]a]", "a", 1},
        {"[c-a]", "b", 0},     // a backwards range adds nothing
        {"[\xf0-\xff]", "\xf5", 1},
        {"[a-c]", "", 0},
        {"#ab", "aaab", 1},
        {"#ab", "b", 1},
        {"#ab", "ab", 1},
        {"#a", "aaaa", 1},
        {"#a", "", 1},
        {"#a", "aab", 0},
        {"#[0-9]x", "2023x", 1},
        {"#(ab)c", "ababc", 1},
        {"#(ab)c", "abac", 0},
        {"#aa", "aaa", 0},     // a repeat gives nothing back
        {"!ab", "cb", 1},
        {"!ab", "ab", 0},
        {"!a", "b", 1},
        {"!a", "a", 0},
        {"!a", "", 1},         // nothing beyond the name is read
        {"!(ab)x", "cdx", 1},
        {"!(ab)x", "abx", 0},
        {"!*", "abc", 0},
        {"a%b", "ab", 1},
        {"%", "", 1},
        {"`*", "*", 1},
        {"`*", "a", 0},
        {"`(a`)", "(a)", 1},
        {"abc", "abc", 1},
        {"abc", "abcd", 0},
        {"abc", "ab", 0},
        {"ABC", "abc", 0},
        // A literal byte that reads as a group end still needs the whole name.
        {"a\x05", "a", 1},
        {"a\x05", "ab", 0},
    };
    check_matches(cases, std::size(cases), 0);
}

// Without regard to case, compared letters fold; a class's members stay as written.
TEST(Patterns, NoCaseFlagFoldsComparedLettersNotClassMembers)
{
    const MatchCase cases[] = {
        {"ABC", "abc", 1},
        {"*.DXF", "part.dxf", 1},
        {"[A-C]x", "bx", 0},
        {"[A-C]x", "BX", 1},
        {"[a-c]x", "BX", 0},
        {"[!a-c]x", "BX", 1},
        {"[!a-c]x", "bX", 0},
        {"#ab", "AAAB", 1},
        {"!ab", "Ab", 0},
        {"(ab|cd)e", "CDE", 1},
        {"a?c", "A_C", 1},
        {"[1]", "1", 1},
    };
    check_matches(cases, std::size(cases), PatternNoCase);
}

TEST(Patterns, CompilesTokenStrings)
{
    struct Case {
        const char* pattern;
        int32_t result;
        std::vector<uint8_t> tokens;
    };
    const std::vector<Case> cases = {
        {"abc", 0, {'a', 'b', 'c', PatternTokenEnd}},
        {"a?", 1, {'a', PatternTokenAny, PatternTokenEnd}},
        {"#?", 1, {PatternTokenStar, PatternTokenEnd}},
        {"*", 1, {PatternTokenStar, PatternTokenEnd}},
        {"%", 1, {PatternTokenEmpty, PatternTokenEnd}},
        {"`*", 0, {'*', PatternTokenEnd}},
        {"!#x", 1, {PatternTokenNot, PatternTokenRepeat, 'x', PatternTokenRepeatEnd, PatternTokenNotEnd, PatternTokenEnd}},
        {"#!x", 1, {PatternTokenRepeat, PatternTokenNot, 'x', PatternTokenNotEnd, PatternTokenRepeatEnd, PatternTokenEnd}},
        {"(a|b)", 1,
         {PatternTokenGroup, 'a', PatternTokenAlternative, 'b', PatternTokenGroupEnd, PatternTokenEnd}},
        // 'a' to 'c' are bits 1 to 3 of byte 12; the bytes after it are left out.
        {"[a-c]", 1, {PatternTokenClass, 13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0E, PatternTokenEnd}},
        {"[!\x01]", 1, {PatternTokenNotClass, 1, 0x02, PatternTokenEnd}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        Compiled compiled(c.pattern);
        EXPECT_EQ(compiled.result, c.result);
        EXPECT_EQ(compiled.tokens(), c.tokens);
        EXPECT_EQ((compiled.record.pp_Flags & PatternHasWildcards) != 0, c.result == 1);
    }
}

TEST(Patterns, RejectsMalformedPatterns)
{
    const std::string nested_100 = std::string(100, '(') + "a" + std::string(100, ')');
    const std::string nested_101 = std::string(101, '(') + "a" + std::string(101, ')');
    struct Case {
        std::string pattern;
        IoErrCode error;
    };
    const Case cases[] = {
        {"(", IoErrPatternEnd},
        {"(a|b", IoErrPatternEnd},
        {"a)", IoErrBadPattern},
        {"a|b", IoErrBadPattern},
        {"!", IoErrBadPattern},
        {"a#", IoErrBadPattern},
        {"`", IoErrBadPattern},
        {"!%", IoErrBadPattern},
        {"#%", IoErrBadPattern},
        {"[abc", IoErrPatternEnd},
        {"[]", IoErrPatternEnd},
        {"[a`", IoErrPatternEnd},
        {"(a!)", IoErrBadPattern},  // a prefix without operand inside a group
        {"(#|a)", IoErrBadPattern},
        {nested_101, IoErrPatternNesting},
        {std::string(70000, 'a'), IoErrPatternTooBig},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern.substr(0, 40));
        SetIoErr(IoErrNone);
        Compiled compiled(c.pattern);
        EXPECT_EQ(compiled.result, -1);
        EXPECT_EQ(IoErr(), c.error);
        // What is left is a single end token.
        ASSERT_NE(compiled.record.pp_Tokens, nullptr);
        EXPECT_EQ(compiled.record.pp_Tokens[0], PatternTokenEnd);
        EXPECT_EQ(compiled.record.pp_TokenLength, 0u);
        EXPECT_EQ(compiled.record.pp_Flags, 0u);
    }
    Compiled deep(nested_100);
    EXPECT_EQ(deep.result, 1);
    EXPECT_EQ(deep.match("a"), 1);
}

TEST(Patterns, GrowsTheTokenBufferByDoubling)
{
    Compiled short_pattern(std::string(55, 'a'));
    EXPECT_EQ(short_pattern.record.pp_BufferSize, 64u);
    Compiled longer(std::string(56, 'a'));
    EXPECT_EQ(longer.record.pp_BufferSize, 128u);
    // A class wants 35 bytes of room before it.
    Compiled with_class(std::string(30, 'a') + "[a]");
    EXPECT_EQ(with_class.record.pp_BufferSize, 128u);
    // The largest buffer still holds a long pattern.
    const std::string near_limit(65000, 'b');
    Compiled large(near_limit);
    EXPECT_EQ(large.result, 0);
    EXPECT_EQ(large.record.pp_BufferSize, 65536u);
    EXPECT_EQ(large.match(near_limit), 1);
}

TEST(Patterns, NullAndEmptyArguments)
{
    ParsedPattern record{};
    record.pp_Flags = 7;
    SetIoErr(IoErrNone);
    EXPECT_EQ(ParsePattern(nullptr, &record), -1);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(record.pp_Flags, 0u);
    EXPECT_EQ(ParsePattern("a", nullptr), -1);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);

    EXPECT_EQ(ParsePattern("", &record), 0);
    EXPECT_EQ(record.pp_Tokens, nullptr);
    EXPECT_EQ(record.pp_TokenLength, 0u);
    EXPECT_EQ(MatchPattern(&record, ""), 0); // no token buffer

    Compiled compiled("a");
    EXPECT_EQ(MatchPattern(nullptr, "a"), 0);
    EXPECT_EQ(MatchPattern(&compiled.record, nullptr), 0);
}

TEST(Patterns, AllocationFailuresGiveMinusOne)
{
    const std::string pattern = std::string(100, 'a') + "*";
    for (uint32_t successes = 0; successes < 3; ++successes) {
        SCOPED_TRACE("successes " + std::to_string(successes));
        SetIoErr(IoErrNone);
        osmark_testing_fail_allocations(successes, 1);
        ParsedPattern record{};
        const int32_t result = ParsePattern(pattern.c_str(), &record);
        osmark_testing_fail_allocations(0, 0);
        if (successes < 2) {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(IoErr(), IoErrNoMemory);
            EXPECT_EQ(record.pp_TokenLength, 0u);
        } else {
            EXPECT_EQ(result, 1);
        }
        FreeVec(record.pp_Tokens);
    }
}

TEST(Patterns, RecursionDeeperThan100LevelsFails)
{
    Compiled stars_100(std::string(100, '*'));
    EXPECT_EQ(stars_100.match("abc"), 1);
    Compiled stars_101(std::string(101, '*'));
    SetIoErr(IoErrNone);
    EXPECT_EQ(stars_101.match("abc"), -1);
    EXPECT_EQ(IoErr(), IoErrPatternNesting);
}

TEST(Patterns, BacktrackingStaysPolynomial)
{
    // Without remembered outcomes this takes about 40^12 steps.
    std::string pattern;
    for (int i = 0; i < 12; ++i)
        pattern += "*a";
    pattern += "*b";
    Compiled compiled(pattern);
    EXPECT_EQ(compiled.match(std::string(40, 'a')), 0);
    EXPECT_EQ(compiled.match(std::string(40, 'a') + "b"), 1);

    // Long runs of "*" over a long component: each star scans every position, so the
    // scans are remembered too (a fuzz input took seconds before).
    Compiled runs(std::string(60, '*') + "a" + std::string(38, '*') + "b");
    EXPECT_EQ(runs.match(std::string(3000, 'a')), 0);
    EXPECT_EQ(runs.match(std::string(1500, 'a') + "b"), 1);
    Compiled negations(std::string(40, '*') + "!ab" + std::string(40, '*') + "c");
    EXPECT_EQ(negations.match(std::string(2000, 'x')), 0);

    Compiled groups("#(a|aa|aaa)#(a|aa)(b|c)");
    EXPECT_EQ(groups.match(std::string(300, 'a')), 0);
}

TEST(Patterns, SeparatorsComeFromTheLocale)
{
    Locale* locale = GetSystemLocale();
    char* saved = locale->loc_PathSeparators;
    char windows[] = "\\";
    locale->loc_PathSeparators = windows;
    Compiled compiled("*.dxf");
    EXPECT_EQ(compiled.match("dir/part.dxf"), 1); // '/' is no separator now
    EXPECT_EQ(compiled.match("dir\\part.dxf"), 0);
    locale->loc_PathSeparators = saved;
}

TEST(Patterns, DamagedTokenStringsFailCleanly)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> tokens;
    };
    const Case cases[] = {
        {"no end token", {'a'}},
        {"NOT without its end", {PatternTokenNot, 'a', PatternTokenEnd}},
        {"repeat without its end", {PatternTokenRepeat, 'a', PatternTokenEnd}},
        {"empty NOT operand", {PatternTokenNot, PatternTokenNotEnd, PatternTokenEnd}},
        {"class set too long", {PatternTokenClass, 33, PatternTokenEnd}},
        {"class runs past the end", {PatternTokenClass, 4, 0xFF}},
        {"class without length", {PatternTokenClass}},
        {"group without end", {PatternTokenGroup, 'a', PatternTokenEnd}},
        {"group start at the end", {PatternTokenGroup}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The tokens sit in a block of exactly their size, so a read beyond is caught.
        std::vector<uint8_t> block(c.tokens);
        ParsedPattern record{};
        record.pp_Tokens = block.data();
        record.pp_BufferSize = static_cast<uint32_t>(block.size());
        record.pp_TokenLength = static_cast<uint32_t>(block.size());
        SetIoErr(IoErrNone);
        EXPECT_EQ(MatchPattern(&record, "a"), -1);
        EXPECT_EQ(IoErr(), IoErrBadPattern);
    }
}

TEST(Patterns, EveryByteInPatternsAndNames)
{
    // Every one- and two-byte pattern against names of those bytes: a result of -1, 0
    // or 1 and nothing else (the sanitizers watch the reads).
    for (int first = 1; first < 256; ++first) {
        for (int second = 0; second < 256; second += (second < 16 ? 1 : 7)) {
            std::string pattern(1, static_cast<char>(first));
            if (second != 0)
                pattern += static_cast<char>(second);
            Compiled compiled(pattern, (first & 1) ? PatternNoCase : 0);
            ASSERT_GE(compiled.result, -1);
            ASSERT_LE(compiled.result, 1);
            if (compiled.result < 0)
                continue;
            for (const std::string& name : {std::string(), pattern, std::string("x") + pattern, pattern + "/y"}) {
                const int32_t matched = compiled.match(name);
                ASSERT_GE(matched, -1);
                ASSERT_LE(matched, 1);
            }
        }
    }
}

}
