#include "osmark/errors.h"
#include "osmark/locale.h"
#include "osmark/memory.h"
#include "osmark/strings.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

int sign(int32_t value)
{
    return (value > 0) - (value < 0);
}

// A buffer with guard bytes after the room a call may use, to show that nothing is
// written past it.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t room) : m_bytes(room + kGuard, kFill), m_room(room) {}

    char* data() { return m_bytes.data(); }

    bool guard_intact() const
    {
        for (size_t i = m_room; i < m_bytes.size(); ++i) {
            if (m_bytes[i] != kFill)
                return false;
        }
        return true;
    }

private:
    static constexpr size_t kGuard = 8;
    static constexpr char kFill = '#';
    std::vector<char> m_bytes;
    size_t m_room;
};

// ---------------------------------------------------------------------------------
// Byte blocks

TEST(MemoryFunctions, MemZeroClearsEveryByteAndNoMore)
{
    for (int32_t n = 0; n <= 9; ++n) {
        SCOPED_TRACE(n);
        GuardedBuffer buffer(static_cast<size_t>(n));
        EXPECT_EQ(MemZero(buffer.data(), n), buffer.data());
        for (int32_t i = 0; i < n; ++i)
            EXPECT_EQ(buffer.data()[i], '\0') << i;
        EXPECT_TRUE(buffer.guard_intact());
    }
}

TEST(MemoryFunctions, CopiesWriteExactlyTheirCount)
{
    const char source[] = "0123456789abcdef";
    for (int32_t n = 0; n <= 13; ++n) {
        SCOPED_TRACE(n);
        GuardedBuffer plain(static_cast<size_t>(n));
        GuardedBuffer fast(static_cast<size_t>(n));
        GuardedBuffer moved(static_cast<size_t>(n));
        MemCpy(plain.data(), source, n);
        FastMemCpy(fast.data(), source, n);
        MemMove(moved.data(), source, n);
        EXPECT_EQ(std::memcmp(plain.data(), source, static_cast<size_t>(n)), 0);
        EXPECT_EQ(std::memcmp(fast.data(), source, static_cast<size_t>(n)), 0);
        EXPECT_EQ(std::memcmp(moved.data(), source, static_cast<size_t>(n)), 0);
        EXPECT_TRUE(plain.guard_intact());
        EXPECT_TRUE(fast.guard_intact());
        EXPECT_TRUE(moved.guard_intact());
    }
}

TEST(MemoryFunctions, OverlappingCopies)
{
    // A forward byte copy onto a higher address repeats the first byte.
    char pattern[] = "abcdef";
    MemCpy(pattern + 1, pattern, 4);
    EXPECT_STREQ(pattern, "aaaaaf");

    char up[] = "abcdef";
    MemMove(up + 2, up, 4);
    EXPECT_STREQ(up, "ababcd");
    char down[] = "abcdef";
    MemMove(down, down + 2, 4);
    EXPECT_STREQ(down, "cdefef");
}

TEST(MemoryFunctions, CountsBelowOneAndNullBlocksDoNothing)
{
    char block[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(MemCpy(block, "xyz", 0), block);
    EXPECT_EQ(MemCpy(block, "xyz", -5), block);
    EXPECT_EQ(MemCpy(block, nullptr, 3), block);
    EXPECT_EQ(MemCpy(nullptr, "xyz", 3), nullptr);
    EXPECT_EQ(FastMemCpy(block, nullptr, 8), block);
    EXPECT_EQ(MemMove(block, "xyz", -1), block);
    EXPECT_EQ(MemSet(block, 'z', 0), block);
    EXPECT_EQ(MemSet(nullptr, 'z', 3), nullptr);
    EXPECT_EQ(MemZero(block, -1), block);
    EXPECT_EQ(std::memcmp(block, "abcd", 4), 0);
    EXPECT_EQ(MemChr(nullptr, 'a', 3), nullptr);
    EXPECT_EQ(MemChr(block, 'a', 0), nullptr);
    EXPECT_EQ(MemcCpy(block, "xyz", 'y', 0), nullptr);
    EXPECT_EQ(MemCmp(nullptr, block, 4), 0);
    EXPECT_EQ(MemCmp("a", "b", 0), 0);
}

TEST(MemoryFunctions, MemcCpyStopsAfterTheByte)
{
    char target[8] = "-------";
    EXPECT_EQ(MemcCpy(target, "ab:cd", ':', 5), target + 3);
    EXPECT_EQ(std::string(target, 4), "ab:-");
    char other[8] = "-------";
    EXPECT_EQ(MemcCpy(other, "abcde", ':', 4), nullptr) << "not among the n bytes";
    EXPECT_EQ(std::string(other, 5), "abcd-");
    const char text[] = "ab:cd";
    EXPECT_EQ(MemChr(text, ':', 5), text + 2);
    EXPECT_EQ(MemChr(text, ':', 2), nullptr);
}

TEST(MemoryFunctions, MemCmpUsesSignedBytesAndMemiCmpFolds)
{
    EXPECT_LT(MemCmp("\x80", "A", 1), 0) << "0x80 sorts below ASCII";
    EXPECT_EQ(MemCmp("abc", "abd", 3), -1);
    EXPECT_EQ(MemCmp("abc", "abd", 2), 0);
    EXPECT_EQ(MemiCmp("ABC", "abc", 3), 0);
    EXPECT_EQ(MemiCmp("ABC", "abd", 3), -1);
    EXPECT_NE(MemiCmp("\xC4", "\xE4", 1), 0) << "only ASCII letters fold";
}

// ---------------------------------------------------------------------------------
// Comparison and searching

TEST(StringCompare, TableOfCases)
{
    enum Function { Cmp, iCmp, nCmp, niCmp };
    struct Row {
        Function function;
        const char* a;
        const char* b;
        int32_t n;
        int expected_sign;
    };
    const Row rows[] = {
        {Cmp, nullptr, "", 0, -1},
        {Cmp, "", nullptr, 0, 1},
        {Cmp, nullptr, nullptr, 0, 0},
        {Cmp, "\x80", "A", 0, -1},
        {Cmp, "abc", "abc", 0, 0},
        {Cmp, "ab", "abc", 0, -1},
        {Cmp, "B", "a", 0, -1},
        {iCmp, "ABC", "abd", 0, -1},
        {iCmp, "ABC", "abc", 0, 0},
        {iCmp, "\xC4", "\xE4", 0, -1},
        {iCmp, nullptr, "", 0, -1},
        {nCmp, "abc", "abd", 2, 0},
        {nCmp, "abc", "abd", 3, -1},
        {nCmp, "x", "y", 0, 0},
        {nCmp, nullptr, "y", 0, 0},
        {nCmp, "x", "y", -3, 0},
        {nCmp, "ab", "ab", 10, 0},
        {niCmp, "ABx", "aby", 2, 0},
        {niCmp, "ABx", "aby", 3, -1},
        {niCmp, "x", "y", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.function << " '" << (row.a ? row.a : "(null)") << "' '"
                                        << (row.b ? row.b : "(null)") << "' " << row.n);
        int32_t result = 0;
        switch (row.function) {
        case Cmp:
            result = StrCmp(row.a, row.b);
            break;
        case iCmp:
            result = StriCmp(row.a, row.b);
            break;
        case nCmp:
            result = StrnCmp(row.a, row.b, row.n);
            break;
        case niCmp:
            result = StrniCmp(row.a, row.b, row.n);
            break;
        }
        EXPECT_EQ(sign(result), row.expected_sign) << result;
    }
    // The result is the byte difference, not just its sign.
    EXPECT_EQ(StrCmp(nullptr, ""), -1);
    EXPECT_EQ(StrCmp("", nullptr), 1);
    EXPECT_EQ(StriCmp("ABC", "abd"), -1);
    EXPECT_EQ(StrCmp("a", "c"), -2);
}

TEST(StringCompare, StrEqTreatsTwoNullsAsEqual)
{
    EXPECT_EQ(StrEq(nullptr, nullptr), 1);
    EXPECT_EQ(StrEq(nullptr, ""), 0);
    EXPECT_EQ(StrEq("abc", "abc"), 1);
    EXPECT_EQ(StrEq("abc", "ABC"), 0);
}

TEST(StringSearch, TableOfCases)
{
    const char text[] = "a,b;c,d";
    EXPECT_EQ(StrChr(text, ','), text + 1);
    EXPECT_EQ(StrChr(text, 0), text + 7) << "c = 0 finds the end";
    EXPECT_EQ(StrChr(text, 'x'), nullptr);
    EXPECT_EQ(StrChr(nullptr, 'a'), nullptr);
    EXPECT_EQ(StrrChr(text, ','), text + 5);
    EXPECT_EQ(StrrChr(text, 0), nullptr) << "not for c = 0";
    EXPECT_EQ(StrrChr(nullptr, ','), nullptr);
    EXPECT_EQ(StrpBrk(text, ";x"), text + 3);
    EXPECT_EQ(StrpBrk("", ";"), nullptr);
    EXPECT_EQ(StrpBrk(text, nullptr), nullptr);
    EXPECT_EQ(StrpBrk(nullptr, ";"), nullptr);
    EXPECT_EQ(StrSpn("aabxa", "ab"), 3);
    EXPECT_EQ(StrSpn(nullptr, "ab"), 0);
    EXPECT_EQ(StrSpn("ab", nullptr), 0);
    EXPECT_EQ(StrLen(nullptr), 0);
    EXPECT_EQ(StrLen(text), 7);
    EXPECT_EQ(StrEnd(text), text + 7);
    EXPECT_EQ(StrEnd(nullptr), nullptr);

    const char haystack[] = "One Two two";
    EXPECT_EQ(StrStr(haystack, "two"), haystack + 8);
    EXPECT_EQ(StriStr(haystack, "TWO"), haystack + 4);
    EXPECT_EQ(StrStr(haystack, nullptr), haystack);
    EXPECT_EQ(StrStr(haystack, ""), haystack);
    EXPECT_EQ(StrStr(nullptr, "a"), nullptr);
    EXPECT_EQ(StrStr("ab", "abc"), nullptr) << "sub longer than s";
    EXPECT_EQ(StriStr("xx", "XXX"), nullptr);
}

// ---------------------------------------------------------------------------------
// Copying, joining and cutting

TEST(StringCopy, StrnCpyAlwaysTerminatesWithinNPlusOne)
{
    for (int32_t n = 0; n <= 6; ++n) {
        SCOPED_TRACE(n);
        GuardedBuffer buffer(static_cast<size_t>(n) + 1);
        EXPECT_EQ(StrnCpy(buffer.data(), "abcd", n), buffer.data());
        EXPECT_EQ(std::string(buffer.data()), std::string("abcd").substr(0, static_cast<size_t>(n)));
        EXPECT_TRUE(buffer.guard_intact());
    }
    GuardedBuffer none(0);
    EXPECT_EQ(StrnCpy(none.data(), "abcd", -1), none.data());
    EXPECT_TRUE(none.guard_intact()) << "a negative count writes nothing";
    char target[4] = "xyz";
    EXPECT_STREQ(StrnCpy(target, nullptr, 3), "") << "NULL source gives the empty string";
    EXPECT_EQ(StrnCpy(nullptr, "abc", 3), nullptr);
}

TEST(StringCopy, CopyJoinAndDuplicate)
{
    char buffer[16] = "";
    EXPECT_EQ(StrCpy(buffer, "ab"), buffer);
    EXPECT_EQ(StrCpy(buffer, nullptr), nullptr);
    EXPECT_EQ(StrCpy(nullptr, "ab"), nullptr);
    EXPECT_EQ(StrCat(buffer, "cd"), buffer);
    EXPECT_EQ(StrCat(buffer, nullptr), buffer);
    EXPECT_EQ(StrCat(nullptr, "x"), nullptr);
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_STREQ(StrnCat(buffer, "efgh", 2), "abcdef");
    EXPECT_STREQ(StrnCat(buffer, "efgh", 0), "abcdef");
    EXPECT_EQ(StrnCat(nullptr, "efgh", 2), nullptr);

    for (int32_t n = 0; n <= 5; ++n) {
        SCOPED_TRACE(n);
        const size_t appended = std::min<size_t>(static_cast<size_t>(n), 3);
        GuardedBuffer joined(2 + appended + 1);
        std::strcpy(joined.data(), "ab");
        StrnCat(joined.data(), "xyz", n);
        EXPECT_EQ(std::string(joined.data()), "ab" + std::string("xyz").substr(0, appended));
        EXPECT_TRUE(joined.guard_intact());
        GuardedBuffer copied(static_cast<size_t>(n));
        MemcCpy(copied.data(), "abcdef", 'z', n);
        EXPECT_TRUE(copied.guard_intact()) << "MemcCpy copies at most n bytes";
    }

    char* copy = StrDup("copy");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "copy");
    FreeVec(copy);
    EXPECT_EQ(StrDup(nullptr), nullptr);
    osmark_testing_fail_allocations(0, 1);
    SetIoErr(0);
    EXPECT_EQ(StrDup("x"), nullptr);
    osmark_testing_fail_allocations(0, 0);
    EXPECT_EQ(IoErr(), IoErrNoMemory);
}

TEST(StringCut, LeftMidRight)
{
    enum Function { Left, Mid, Right };
    struct Row {
        Function function;
        const char* source;
        int32_t start;
        int32_t n;
        const char* expected;
    };
    const Row rows[] = {
        {Left, "abcdef", 0, 3, "abc"},
        {Left, "abcdef", 0, 0, ""},
        {Left, "abcdef", 0, -2, ""},
        {Left, "abc", 0, 10, "abc"},
        {Mid, "abcdef", 2, 3, "bcd"},
        {Mid, "abcdef", 1, 6, "abcdef"},
        {Mid, "abcdef", 5, 10, "ef"},
        {Mid, "abcdef", 0, 3, ""},
        {Mid, "abcdef", 7, 3, ""},
        {Mid, "abcdef", 2, -1, ""},
        {Mid, "abcdef", 2, 0, ""},
        {Right, "abc", 0, 5, "abc"},
        {Right, "abcdef", 0, 2, "ef"},
        {Right, "abcdef", 0, 0, ""},
        {Right, "abcdef", 0, -1, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.function << " " << row.source << " " << row.start << " " << row.n);
        GuardedBuffer buffer(std::strlen(row.expected) + 1);
        char* result = nullptr;
        switch (row.function) {
        case Left:
            result = StrLeft(buffer.data(), row.source, row.n);
            break;
        case Mid:
            result = StrMid(buffer.data(), row.source, row.start, row.n);
            break;
        case Right:
            result = StrRight(buffer.data(), row.source, row.n);
            break;
        }
        EXPECT_EQ(result, buffer.data());
        EXPECT_STREQ(buffer.data(), row.expected);
        EXPECT_TRUE(buffer.guard_intact());
    }
    char target[4] = "xyz";
    EXPECT_EQ(StrLeft(target, nullptr, 2), nullptr);
    EXPECT_EQ(StrLeft(nullptr, "abc", 2), nullptr);
    EXPECT_EQ(StrMid(target, nullptr, 1, 2), nullptr);
    EXPECT_EQ(StrRight(target, nullptr, 2), nullptr);
    EXPECT_STREQ(target, "xyz");
}

// ---------------------------------------------------------------------------------
// Changing in place

TEST(StringEdit, StrStripByMode)
{
    struct Row {
        const char* text;
        int32_t mode;
        const char* expected;
    };
    const Row rows[] = {
        {"  a  b  ", 'B', "a  b"},
        {"  a  b  ", 'b', "a  b"},
        {"  a  b  ", 'A', "ab"},
        {"  a  b  ", 'T', "  a  b"},
        {"  a  b  ", 'L', "a  b  "},
        {"  a  b  ", 'Q', "  a  b  "},
        {"\t\r\n\v\f x \t\r\n\v\f", 'B', "x"},
        {" \t ", 'B', ""},
        {" \t ", 'A', ""},
        {"", 'B', ""},
        {"a\tb\nc", 'A', "abc"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "'" << row.text << "' " << static_cast<char>(row.mode));
        std::string text = row.text;
        EXPECT_EQ(StrStrip(text.data(), row.mode), text.data());
        EXPECT_STREQ(text.c_str(), row.expected);
    }
    EXPECT_EQ(StrStrip(nullptr, 'B'), nullptr);
}

TEST(StringEdit, StrRmZerosTrimsFormattedNumbers)
{
    struct Row {
        const char* text;
        int32_t flag;
        const char* expected;
    };
    const Row rows[] = {
        {"1.500", 1, "1.5"},  {"1.500", 0, "1.5"}, {"2.000", 1, "2"},  {"2.000", 0, "2.0"},
        {"100", 1, "1"},      {"0", 1, "0"},       {"0.000", 1, "0"},  {"0.000", 0, "0.0"},
        {"-3.250", 1, "-3.25"}, {"", 1, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.text << " " << row.flag);
        GuardedBuffer buffer(std::strlen(row.text) + 1);
        std::strcpy(buffer.data(), row.text);
        EXPECT_EQ(StrRmZeros(buffer.data(), row.flag), buffer.data());
        EXPECT_STREQ(buffer.data(), row.expected);
        EXPECT_TRUE(buffer.guard_intact());
    }
    EXPECT_EQ(StrRmZeros(nullptr, 1), nullptr);
}

TEST(StringEdit, CaseFillReplaceRemoveReverse)
{
    std::string text = "Hello, World \xC4";
    EXPECT_STREQ(StrUpper(text.data()), "HELLO, WORLD \xC4");
    EXPECT_STREQ(StrLower(text.data()), "hello, world \xC4");
    EXPECT_STREQ(StrRepChr(text.data(), 'l', 'L'), "heLLo, worLd \xC4");
    EXPECT_STREQ(StrRmChr(text.data(), 'L'), "heo, word \xC4");
    EXPECT_STREQ(StrRev(text.data()), "\xC4 drow ,oeh");
    std::string fill = "abcd";
    EXPECT_STREQ(StrnSet(fill.data(), '*', 2), "**cd");
    EXPECT_STREQ(StrnSet(fill.data(), '-', 10), "----") << "stops at the NUL";
    EXPECT_STREQ(StrnSet(fill.data(), '+', 0), "----");
    EXPECT_STREQ(StrSet(fill.data(), '='), "====");
    EXPECT_EQ(fill.size(), 4u);
    std::string empty;
    EXPECT_STREQ(StrRev(empty.data()), "");
    for (auto* function : {StrUpper, StrLower, StrRev})
        EXPECT_EQ(function(nullptr), nullptr);
    EXPECT_EQ(StrSet(nullptr, 'x'), nullptr);
    EXPECT_EQ(StrnSet(nullptr, 'x', 3), nullptr);
    EXPECT_EQ(StrRepChr(nullptr, 'a', 'b'), nullptr);
    EXPECT_EQ(StrRmChr(nullptr, 'a'), nullptr);
}

// ---------------------------------------------------------------------------------
// Tokens

TEST(StringTokens, StrTokSkipsEmptyTokensAndKeepsOnePosition)
{
    char text[] = "a,,b";
    EXPECT_STREQ(StrTok(text, ","), "a");
    EXPECT_STREQ(StrTok(nullptr, ","), "b");
    EXPECT_EQ(StrTok(nullptr, ","), nullptr);
    EXPECT_EQ(StrTok(nullptr, ","), nullptr) << "the position stays cleared";

    char leading[] = ";;x;y;;";
    EXPECT_STREQ(StrTok(leading, ";"), "x");
    EXPECT_STREQ(StrTok(nullptr, ";"), "y");
    EXPECT_EQ(StrTok(nullptr, ";"), nullptr);

    char only_delimiters[] = ",,,";
    EXPECT_EQ(StrTok(only_delimiters, ","), nullptr);
    char whole[] = "abc";
    EXPECT_STREQ(StrTok(whole, nullptr), "abc") << "no delimiters: the rest is one token";
}

TEST(StringTokens, StrTokenNeverReturnsTheTextAfterTheLastDelimiter)
{
    char text[] = "a,b";
    char* cursor = text;
    EXPECT_STREQ(StrToken(&cursor, ","), "a");
    EXPECT_EQ(StrToken(&cursor, ","), nullptr);
    EXPECT_STREQ(cursor, "b");

    char empties[] = ",,x,";
    cursor = empties;
    EXPECT_STREQ(StrToken(&cursor, ","), "");
    EXPECT_STREQ(StrToken(&cursor, ","), "");
    EXPECT_STREQ(StrToken(&cursor, ","), "x");
    EXPECT_STREQ(cursor, "");
    EXPECT_EQ(StrToken(&cursor, ","), nullptr);

    EXPECT_EQ(StrToken(nullptr, ","), nullptr);
    char* null_cursor = nullptr;
    EXPECT_EQ(StrToken(&null_cursor, ","), nullptr);
}

// ---------------------------------------------------------------------------------
// Numbers

constexpr ptrdiff_t kAtNul = -1;

ptrdiff_t end_offset(const char* text, const char* end)
{
    return end == text + std::strlen(text) ? kAtNul : end - text;
}

TEST(StringNumbers, StrToLong)
{
    struct Row {
        const char* text;
        int32_t base;
        int32_t expected;
        ptrdiff_t end;  // kAtNul: on the terminating NUL
    };
    const Row rows[] = {
        {" -0x1F", 0, -31, kAtNul},
        {"012", 0, 10, kAtNul},
        {"08", 0, 0, 1},
        {"z", 0, 0, 0},
        {"  -  12x", 0, -12, 7},
        {"+ 7", 0, 7, kAtNul},
        {"0b101", 0, 5, kAtNul},
        {"0B11", 2, 3, kAtNul},
        {"0X1f", 16, 31, kAtNul},
        {"1f", 16, 31, kAtNul},
        {"0x", 0, 0, kAtNul},
        {"0", 0, 0, kAtNul},
        {"-", 0, 0, kAtNul},
        {"   ", 0, 0, kAtNul},
        {"19", 8, 1, 1},
        {"12", 7, 12, kAtNul},
        {"12", -3, 12, kAtNul},
        {"2147483647", 10, 2147483647, kAtNul},
        {"2147483648", 10, INT32_MIN, kAtNul},
        {"-2147483648", 10, INT32_MIN, kAtNul},
        {"4294967297", 10, 1, kAtNul},
        {"0xFFFFFFFF", 0, -1, kAtNul},
        {"-0x80000000", 0, INT32_MIN, kAtNul},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "'" << row.text << "' base " << row.base);
        char* end = nullptr;
        EXPECT_EQ(StrToLong(row.text, &end, row.base), row.expected);
        EXPECT_EQ(end_offset(row.text, end), row.end);
        EXPECT_EQ(StrToLong(row.text, nullptr, row.base), row.expected);
    }
    char* end = reinterpret_cast<char*>(1);
    EXPECT_EQ(StrToLong(nullptr, &end, 0), 0);
    EXPECT_EQ(end, nullptr);
}

TEST(StringNumbers, StrToLongDefWantsTheWholeString)
{
    struct Row {
        const char* text;
        int32_t expected;
    };
    const Row rows[] = {
        {"42", 42}, {" -42", -42}, {"42 ", 99}, {"4x", 99}, {"   ", 0}, {"", 0}, {"0x10", 16}, {nullptr, 99},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text != nullptr ? row.text : "(null)");
        EXPECT_EQ(StrToLongDef(row.text, 0, 99), row.expected);
    }
}

TEST(StringNumbers, StrToDouble)
{
    struct Row {
        const char* text;
        double expected;
        ptrdiff_t end;
    };
    const Row rows[] = {
        {"1.5e2", 150.0, kAtNul},
        {"-.5", -0.5, kAtNul},
        {"1e0.5", std::pow(10.0, 0.5), kAtNul},
        {"3000000000.5", 3000000000.5, kAtNul},
        {"12345678901234567890", 12345678901234567890.0, kAtNul},
        {"0.1", 0.1, kAtNul},
        {"0.3", 0.3, kAtNul},
        {"123.456789", 123.456789, kAtNul},
        {" - 2.5x", -2.5, 6},
        {"+7", 7.0, kAtNul},
        {"2.", 2.0, kAtNul},
        {"5.e3", 5000.0, kAtNul},
        {"1E-2", 0.01, kAtNul},
        {"1e+3", 1000.0, kAtNul},
        {"4e", 4.0, kAtNul},
        {"4ex", 4.0, 2},
        {"1e2.", 100.0, kAtNul},
        {"-.5e1", -5.0, kAtNul},
        {"2e-0.5", 2.0 / std::sqrt(10.0), kAtNul},
        {"abc", 0.0, 0},
        {".", 0.0, kAtNul},
        {"", 0.0, kAtNul},
        {"1e400", HUGE_VAL, kAtNul},
        {"-1e400", -HUGE_VAL, kAtNul},
        {"1e-400", 0.0, kAtNul},
        {"0e999999999999", 0.0, kAtNul},
        {"0.0000000001e-400", 0.0, kAtNul},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "'" << row.text << "'");
        char* end = nullptr;
        const double value = StrToDouble(row.text, &end);
        if (std::isinf(row.expected) || std::fabs(row.expected) > 1e15)
            EXPECT_EQ(value, row.expected);
        else
            EXPECT_NEAR(value, row.expected, std::fabs(row.expected) * 1e-15);
        EXPECT_EQ(end_offset(row.text, end), row.end);
    }
    // Correctly rounded: the nearest double to the text, as the compiler reads it.
    EXPECT_EQ(StrToDouble("0.3", nullptr), 0.3);
    EXPECT_EQ(StrToDouble("123.456789", nullptr), 123.456789);
    EXPECT_EQ(StrToDouble("3000000000.5", nullptr), 3000000000.5);
    EXPECT_EQ(StrToDouble("1e0.5", nullptr), std::pow(10.0, 0.5));
    char* end = reinterpret_cast<char*>(1);
    EXPECT_EQ(StrToDouble(nullptr, &end), 0.0);
    EXPECT_EQ(end, nullptr);
}

TEST(StringNumbers, StrToNumReportsIntegerFlagAndEnd)
{
    struct Row {
        const char* text;
        int32_t base;
        double expected;
        int32_t integer_flag;
        ptrdiff_t end;
    };
    const Row rows[] = {
        {"5.", 0, 5.0, 1, 1},
        {"2.5  ", 0, 2.5, 0, kAtNul},
        {"-3e", 0, -3.0, 1, 2},
        {"1e2", 0, 100.0, 0, kAtNul},
        {"5. ", 0, 5.0, 0, kAtNul},
        {" 12 x", 0, 12.0, 1, 4},
        {"0x1F", 0, 31.0, 1, kAtNul},
        {"012", 0, 10.0, 1, kAtNul},
        {"0.25", 0, 0.25, 0, kAtNul},
        {"3000000000.5", 10, 3000000000.5, 0, kAtNul},
        {"ff", 16, 255.0, 1, kAtNul},
        {"0xFFFFFFFF", 0, -1.0, 1, kAtNul},
        {"x", 0, 0.0, 1, 0},
        {"", 0, 0.0, 1, kAtNul},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "'" << row.text << "' base " << row.base);
        char* end = nullptr;
        int32_t integer_flag = -7;
        EXPECT_EQ(StrToNum(row.text, &end, &integer_flag, row.base), row.expected);
        EXPECT_EQ(integer_flag, row.integer_flag);
        EXPECT_EQ(end_offset(row.text, end), row.end);
        EXPECT_EQ(StrToNum(row.text, nullptr, nullptr, row.base), row.expected);
    }
    char* end = reinterpret_cast<char*>(1);
    int32_t integer_flag = 0;
    EXPECT_EQ(StrToNum(nullptr, &end, &integer_flag, 0), 0.0);
    EXPECT_EQ(end, nullptr) << "the error slot stays NULL";
    EXPECT_EQ(integer_flag, 1);
}

TEST(StringNumbers, StrGetVarReadsKeyValueLines)
{
    int32_t integer = -1;
    char line[] = "Width = 12";
    EXPECT_EQ(StrGetVar(line, "Width", 'D', &integer), 1);
    EXPECT_EQ(integer, 12);
    char other[] = "Width = 12";
    EXPECT_EQ(StrGetVar(other, "Width", 'Q', &integer), 0);

    struct Row {
        const char* line;
        const char* key;
        int32_t type;
        int32_t stored;
        int32_t expected_integer;
    };
    const Row integer_rows[] = {
        {"Count=0x10\r\n", "Count", 'd', 1, 16},
        {"Mask = ff", "Mask", 'X', 1, 255},
        {"Width 7", "Width", 'D', 1, 7},
        {"Widths = 9", "Width", 'D', 1, 9},
        {"width = 9", "Width", 'D', 0, -1},
        {"Width =   \n", "Width", 'D', 0, -1},
        {"Width", "Width", 'D', 0, -1},
    };
    for (const Row& row : integer_rows) {
        SCOPED_TRACE(row.line);
        std::string text = row.line;
        int32_t value = -1;
        EXPECT_EQ(StrGetVar(text.data(), row.key, row.type, &value), row.stored);
        EXPECT_EQ(value, row.expected_integer);
    }

    char real_line[] = "Scale = -2.5e1\n";
    double real = 0.0;
    EXPECT_EQ(StrGetVar(real_line, "Scale", 'F', &real), 1);
    EXPECT_EQ(real, -25.0);

    struct TextRow {
        const char* line;
        const char* expected;
    };
    const TextRow text_rows[] = {
        {"Name = \"a \"quoted\" b\" tail\r\n", "a \"quoted\" b"},
        {"Name = plain text \n", "plain text"},
        {"Name = \"open", "open"},
    };
    for (const TextRow& row : text_rows) {
        SCOPED_TRACE(row.line);
        std::string text = row.line;
        char result[64] = "";
        EXPECT_EQ(StrGetVar(text.data(), "Name", 'S', result), 1);
        EXPECT_STREQ(result, row.expected);
    }

    char any[] = "Key = 1";
    EXPECT_EQ(StrGetVar(nullptr, "Key", 'D', &integer), 0);
    EXPECT_EQ(StrGetVar(any, nullptr, 'D', &integer), 0);
    EXPECT_EQ(StrGetVar(any, "Key", 'D', nullptr), 0);
}

// ---------------------------------------------------------------------------------
// Code pages with lead bytes

// A double-byte code page injected into the live locale: lead bytes 0x81-0x9F and
// 0xE0-0xFC, whose trail bytes may look like ASCII letters and separators.
class LeadBytes : public testing::Test {
protected:
    void SetUp() override
    {
        m_saved = *GetSystemLocale();
        Locale* locale = GetSystemLocale();
        locale->loc_MultiByte = 1;
        locale->loc_LeadByteRangeCount = 2;
        locale->loc_LeadByteRanges = m_ranges.data();
    }

    void TearDown() override { *GetSystemLocale() = m_saved; }

private:
    Locale m_saved{};
    std::array<uint8_t, 2 * LocaleMaxLeadByteRanges> m_ranges{0x81, 0x9F, 0xE0, 0xFC};
};

// "a", a double-byte character whose trail byte is '\\', "b", one whose trail byte is
// 'A', then "\\".
const char kMixed[] = "a\x81\\b\xE0" "A\\";
static_assert(sizeof kMixed == 8);

TEST_F(LeadBytes, ByteTypeTellsLeadFromTrail)
{
    const int32_t expected[] = {ByteTypeSingle, ByteTypeLead, ByteTypeTrail, ByteTypeSingle,
                                ByteTypeLead,   ByteTypeTrail, ByteTypeSingle};
    for (int32_t i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ByteType(kMixed, i), expected[i]);
        EXPECT_EQ(ByteTypeTest(kMixed, i), expected[i]);
    }
    EXPECT_EQ(ByteType(kMixed, -1), ByteTypeSingle);
    EXPECT_EQ(ByteType(kMixed, 7), ByteTypeSingle) << "the NUL and beyond are no characters";
    EXPECT_EQ(ByteType(nullptr, 0), ByteTypeSingle);
    EXPECT_EQ(ByteType("\x81", 0), ByteTypeLead) << "a lead byte at the end";
    EXPECT_EQ(IsLeadByte(0x81), 1);
    EXPECT_EQ(IsLeadByte(0x9F), 1);
    EXPECT_EQ(IsLeadByte(0xA0), 0);
    EXPECT_EQ(IsLeadByte(0xFC), 1);
    EXPECT_EQ(IsLeadByte(0x181), 0);
    EXPECT_EQ(IsLeadByte(-1), 0);
}

TEST_F(LeadBytes, SearchesSkipTrailBytes)
{
    EXPECT_EQ(AnsiStrChr(kMixed, '\\'), kMixed + 6) << "the trail byte at 2 is no backslash";
    EXPECT_EQ(AnsiStrChr(kMixed, 'A'), nullptr);
    EXPECT_EQ(AnsiStrChr(kMixed, 0), kMixed + 7);
    EXPECT_EQ(AnsiStrChr(kMixed, 0x81), nullptr) << "a lead byte is no one-byte character";
    EXPECT_EQ(StrChr(kMixed, '\\'), kMixed + 2) << "the byte search does not know";
    EXPECT_EQ(AnsiStrrChr(kMixed, '\\'), kMixed + 6);
    EXPECT_EQ(AnsiStrrChr("x\x81\\", '\\'), nullptr);
    EXPECT_EQ(AnsiStrrChr(kMixed, 0), kMixed + 7);
    EXPECT_EQ(AnsiStrrChr(nullptr, 'a'), nullptr);
    EXPECT_EQ(AnsiLastChar(kMixed), kMixed + 6);

    const char text[] = "\x81" "ab" "ab";
    EXPECT_EQ(StrStr(text, "ab"), text + 1);
    EXPECT_EQ(AnsiStrStr(text, "ab"), text + 3) << "the first match starts on a trail byte";
    EXPECT_EQ(AnsiStriStr(text, "AB"), text + 3);
    EXPECT_EQ(AnsiStrStr(text, "zz"), nullptr);
    EXPECT_EQ(AnsiStrStr(text, ""), nullptr);
    EXPECT_EQ(AnsiStrStr(nullptr, "a"), nullptr);
}

TEST_F(LeadBytes, LastCharacterIsTheWholeDoubleByteCharacter)
{
    const char text[] = "b\xE0" "A";
    EXPECT_EQ(AnsiLastChar(text), text + 1);
    EXPECT_EQ(AnsiLastChar(""), nullptr);
    EXPECT_EQ(AnsiLastChar(nullptr), nullptr);
}

TEST_F(LeadBytes, ByteAndCharacterPositions)
{
    // Bytes: a | 81 5C | b | E0 41 | 5C  -> characters a, X, b, Y, backslash.
    struct Row {
        int32_t argument;
        int32_t byte_to_char_index;
        int32_t byte_to_char_len;
        int32_t char_to_byte_index;
        int32_t char_to_byte_len;
    };
    const Row rows[] = {
        {-1, -1, -1, -1, -1},
        {0, 0, 0, 0, 0},
        {1, 1, 1, 1, 1},
        {2, 2, 2, 3, 3},
        {3, 2, 2, 4, 4},
        {4, 3, 3, 6, 6},
        {5, 4, 4, -1, 7},
        {6, 4, 4, -1, 7},
        {7, -1, 5, -1, 7},
        {50, -1, 5, -1, 7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.argument);
        EXPECT_EQ(ByteToCharIndex(kMixed, row.argument), row.byte_to_char_index);
        EXPECT_EQ(ByteToCharLen(kMixed, row.argument), row.byte_to_char_len);
        EXPECT_EQ(CharToByteIndex(kMixed, row.argument), row.char_to_byte_index);
        EXPECT_EQ(CharToByteLen(kMixed, row.argument), row.char_to_byte_len);
    }
    int32_t characters = -1;
    int32_t bytes = -1;
    CountChars(kMixed, 2, &characters, &bytes);
    EXPECT_EQ(characters, 2);
    EXPECT_EQ(bytes, 3) << "a whole double-byte character, never half of one";
    CountChars(kMixed, 99, &characters, &bytes);
    EXPECT_EQ(characters, 5);
    EXPECT_EQ(bytes, 7);
    CountChars(nullptr, 3, &characters, &bytes);
    EXPECT_EQ(characters, 0);
    EXPECT_EQ(bytes, 0);
    CountChars(kMixed, 3, nullptr, nullptr);
}

TEST_F(LeadBytes, CaseConversionLeavesTrailBytesAlone)
{
    std::string text = "aB\xE0" "a\x81" "Z";
    EXPECT_STREQ(AnsiStrUpper(text.data()), "AB\xE0" "a\x81" "Z");
    EXPECT_STREQ(AnsiStrLower(text.data()), "ab\xE0" "a\x81" "Z");
    EXPECT_STREQ(AnsiFileNameStrUpper(text.data()), "AB\xE0" "a\x81" "Z");
    EXPECT_STREQ(AnsiFileNameStrLower(text.data()), "ab\xE0" "a\x81" "Z");
    // Trail bytes 'a' and 'A' differ: no case folding may make them equal.
    EXPECT_NE(AnsiStriCmp("\xE0" "a", "\xE0" "A"), 0);
    EXPECT_EQ(AnsiStriCmp("x\xE0" "a", "X\xE0" "a"), 0);
    EXPECT_NE(AnsiFileNameStrCmp("\xE0" "a", "\xE0" "A"), 0);
}

TEST(SingleByteCodePage, EveryByteIsACharacter)
{
    ASSERT_EQ(GetSystemLocale()->loc_MultiByte, 0u);
    EXPECT_EQ(ByteToCharLen("abc", 3), 3);
    EXPECT_EQ(ByteToCharLen("abc", 10), 3);
    EXPECT_EQ(ByteToCharLen(nullptr, 2), 0);
    EXPECT_EQ(ByteType("\x81\\", 1), ByteTypeSingle);
    EXPECT_EQ(CharToByteIndex("\x81\\", 1), 1);
    EXPECT_EQ(CharToByteIndex("ab", 2), -1);
    EXPECT_EQ(ByteToCharIndex("ab", 1), 1);
    const char text[] = "\x81\\";
    EXPECT_EQ(AnsiStrChr(text, '\\'), text + 1);
    EXPECT_EQ(AnsiLastChar(text), text + 1);
}

// ---------------------------------------------------------------------------------
// Locale comparison and case

TEST(AnsiCompare, LettersBeforeCase)
{
    enum Function { Cmp, iCmp, nCmp, niCmp, FileName };
    struct Row {
        Function function;
        const char* a;
        const char* b;
        int32_t n;
        int32_t expected;
    };
    const Row rows[] = {
        {Cmp, "a", "B", 0, -1},
        {Cmp, "B", "a", 0, 1},
        {Cmp, "a", "A", 0, -1},
        {Cmp, "A", "a", 0, 1},
        {Cmp, "Ab", "aC", 0, -1},
        {Cmp, "abc", "abc", 0, 0},
        {Cmp, "ab", "abc", 0, -1},
        {Cmp, "\xC3\x89t\xC3\xA9", "\xC3\xA9t\xC3\xA9", 0, 1},
        {Cmp, nullptr, "a", 0, -2},
        {Cmp, "a", nullptr, 0, -2},
        {iCmp, "abc", "ABC", 0, 0},
        {iCmp, "abc", "ABD", 0, -1},
        {iCmp, "\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9", 0, 0},
        {iCmp, "\xC3\x97", "\xC3\xB7", 0, -1},
        {iCmp, nullptr, nullptr, 0, -2},
        {nCmp, "abX", "abY", 2, 0},
        {nCmp, "abX", "abY", 3, -1},
        {nCmp, "ab", "ab", 100, 0},
        {nCmp, "x", "y", 0, 0},
        {niCmp, "ABx", "aby", 2, 0},
        {niCmp, "A", "a", 1, 0},
        {niCmp, nullptr, "a", 1, -2},
        {FileName, "Dir\\File.TXT", "dir\\file.txt", 0, 0},
        {FileName, "a", "B", 0, -1},
        {FileName, nullptr, "a", 0, -2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.function << " '" << (row.a ? row.a : "(null)") << "' '"
                                        << (row.b ? row.b : "(null)") << "' " << row.n);
        int32_t result = 0;
        switch (row.function) {
        case Cmp:
            result = AnsiStrCmp(row.a, row.b);
            break;
        case iCmp:
            result = AnsiStriCmp(row.a, row.b);
            break;
        case nCmp:
            result = AnsiStrnCmp(row.a, row.b, row.n);
            break;
        case niCmp:
            result = AnsiStrniCmp(row.a, row.b, row.n);
            break;
        case FileName:
            result = AnsiFileNameStrCmp(row.a, row.b);
            break;
        }
        EXPECT_EQ(result, row.expected);
    }
}

TEST(AnsiCompare, FileNameCompareReportsMissingMemory)
{
    osmark_testing_fail_allocations(1, 1);
    EXPECT_EQ(AnsiFileNameStrCmp("a", "a"), -1);
    osmark_testing_fail_allocations(0, 0);
    EXPECT_EQ(AnsiFileNameStrCmp("a", "a"), 0);
}

TEST(AnsiCase, ConvertsAsciiAndLatinLettersInPlace)
{
    std::string text = "Stra\xC3\x9F" "e \xC3\x80 \xC3\xA9 \xC3\x97 \xC3\xB7 \xC3\xBF";
    EXPECT_STREQ(AnsiStrUpper(text.data()), "STRA\xC3\x9F" "E \xC3\x80 \xC3\x89 \xC3\x97 \xC3\xB7 \xC3\xBF");
    EXPECT_STREQ(AnsiStrLower(text.data()), "stra\xC3\x9F" "e \xC3\xA0 \xC3\xA9 \xC3\x97 \xC3\xB7 \xC3\xBF");
    std::string cut = "A\xC3";
    EXPECT_STREQ(AnsiStrLower(cut.data()), "a\xC3");
    EXPECT_EQ(AnsiStrLower(nullptr), nullptr);
    EXPECT_EQ(AnsiFileNameStrUpper(nullptr), nullptr);
}

}
