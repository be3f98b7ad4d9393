// DXF group reading: value types, ASCII and binary groups, encoding detection, damaged
// and cut streams, and StepReadDXF over a file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "dxf_test_support.h"
#include "osmark/errors.h"
#include "test_support/temp_folder.h"

namespace {

using dxf_test::Group;
using dxf_test::MemoryStream;

void expect_groups(const std::vector<Group>& actual, const std::vector<Group>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(actual[i].code, expected[i].code);
        EXPECT_EQ(actual[i].value, expected[i].value);
    }
}

TEST(DxfGroupValueType, CoversEveryRangeBoundary)
{
    const struct {
        int32_t code;
        int32_t type;
    } rows[] = {
        {-1, 0},   {0, 1},    {9, 1},    {10, 2},   {59, 2},   {60, 4},   {79, 4},
        {80, 0},   {89, 0},   {90, 5},   {99, 5},   {100, 1},  {101, 0},  {102, 1},
        {103, 0},  {105, 1},  {106, 0},  {110, 2},  {149, 2},  {150, 0},  {170, 4},
        {179, 4},  {180, 0},  {210, 2},  {239, 2},  {240, 0},  {270, 4},  {289, 4},
        {290, 6},  {299, 6},  {300, 1},  {369, 1},  {370, 4},  {389, 4},  {390, 1},
        {399, 1},  {400, 4},  {409, 4},  {410, 1},  {419, 1},  {998, 0},
        {999, 1},  {1000, 1}, {1009, 1}, {1010, 2}, {1059, 2}, {1060, 4}, {1070, 4},
        {1071, 5}, {1072, 0}, {1100, 0}, {INT32_MAX, 0}, {INT32_MIN, 0},
        // The codes of files from R13 on that the ranges above leave out; the binary
        // chunks (310 to 319, 1004) keep their string type.
        {159, 0},  {160, 3},  {169, 3},  {310, 1},  {319, 1},  {1004, 1}, {420, 5},
        {429, 5},  {430, 1},  {439, 1},  {440, 5},  {459, 5},  {460, 2},  {469, 2},
        {470, 1},  {481, 1},  {482, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        int32_t type = -7;
        halvern::DXFGroupValueType(row.code, &type);
        EXPECT_EQ(type, row.type);
    }
}

TEST(DxfAsciiGroups, ReadsCodeLinesInEveryForm)
{
    const struct {
        const char* name;
        std::string text;
        std::vector<Group> groups;
    } rows[] = {
        {"sign and blanks", "  +10  \n1.5\n", {{10, "1.5"}}},
        {"tabs", "\t 8\t\nWALLS\n", {{8, "WALLS"}}},
        {"negative", "-1\nname\n", {{-1, "name"}}},
        {"leading zeros", "010\n2.5\n", {{10, "2.5"}}},
        {"blank after sign", "- 5\nx\n", {{-5, "x"}}},
        {"letter O is no digit", "1O\n0\nLINE\n", {{0, "LINE"}}},
        {"sign alone", "+\n0\nLINE\n", {{0, "LINE"}}},
        {"text after digits", "10 x\n0\nLINE\n", {{0, "LINE"}}},
        {"beyond 32 bits", "4294967296\n0\nLINE\n", {{0, "LINE"}}},
        {"lowest 32-bit code", "-2147483648\nx\n", {{INT32_MIN, "x"}}},
        {"CR LF", "0\r\nSECTION\r\n2\r\nENTITIES\r\n", {{0, "SECTION"}, {2, "ENTITIES"}}},
        {"CR alone", "0\rSECTION\r2\rENTITIES\r", {{0, "SECTION"}, {2, "ENTITIES"}}},
        {"no final line end", "0\nEOF", {{0, "EOF"}}},
        {"strings stripped", "1\n  two words \t\n", {{1, "two words"}}},
        {"numbers kept as read", "40\n  2.5 \n", {{40, "  2.5 "}}},
        {"empty lines before numbers", "10\n\n\n7\n", {{10, "7"}}},
        {"empty string value", "1\n\n0\nLINE\n", {{1, ""}, {0, "LINE"}}},
        {"unknown code read as text", "1100\n some \n", {{1100, "some"}}},
        {"comments dropped", "999\nnote\n0\nLINE\n999\nend\n", {{0, "LINE"}}},
        {"value missing", "0\n", {}},
        {"number value missing", "10\n\n\n", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        expect_groups(dxf_test::read_all(row.text), row.groups);
    }
}

TEST(DxfAsciiGroups, CountsEveryLineTheReaderTakes)
{
    // Two lines per group, the empty lines before a number and a comment's two lines.
    MemoryStream stream("999\nnote\n10\n\n\n1.5\n0\nLINE\n");
    halvern::DXFLineCounter = 0;
    char value[DXF_GROUP_VALUE_SIZE];
    int32_t code = 0;
    int32_t ok = 0;
    ASSERT_EQ(halvern::DXFReadGroupASCII(stream.get(), &code, value, DXF_GROUP_VALUE_SIZE, &ok), 1);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(code, 10);
    EXPECT_EQ(halvern::DXFLineCounter, 6);
    ASSERT_EQ(halvern::DXFReadGroupASCII(stream.get(), &code, value, DXF_GROUP_VALUE_SIZE, &ok), 1);
    EXPECT_EQ(halvern::DXFLineCounter, 8);
    EXPECT_EQ(halvern::DXFReadGroupASCII(stream.get(), &code, value, DXF_GROUP_VALUE_SIZE, &ok), 0);
    EXPECT_EQ(ok, 0);
}

TEST(DxfAsciiGroups, KeepsValuesUpTo4095CharactersAndDropsTheRestOfLongerLines)
{
    const std::string longest(4095, 'a');
    expect_groups(dxf_test::read_all("1\n" + longest + "\n0\nLINE\n"), {{1, longest}, {0, "LINE"}});

    // The tail of an over-long line is not taken for a code line, digits or not.
    const std::string too_long = std::string(4095, 'b') + "1234567\r\n";
    halvern::DXFLineCounter = 0;
    expect_groups(dxf_test::read_all("1\n" + too_long + "0\nLINE\n"),
                  {{1, std::string(4095, 'b')}, {0, "LINE"}});
    EXPECT_EQ(halvern::DXFLineCounter, 4);
}

TEST(DxfBinaryGroups, BothCodeWidthsReadAsTheAsciiText)
{
    // One-byte codes reach 255 at most.
    const std::vector<Group> groups = {
        {0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {8, "WALLS"}, {10, "0.5"},
        {20, "-1234.25"}, {62, "-2"}, {90, "70000"}, {0, "EOF"},
    };
    const std::vector<Group> expected = {
        {0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {8, "WALLS"},
        {10, "0.500000000000000"}, {20, "-1234.250000000000000"}, {62, "-2"},
        {90, "70000"}, {0, "EOF"},
    };
    for (const int width : {1, 2}) {
        SCOPED_TRACE(width);
        expect_groups(dxf_test::read_all(dxf_test::binary(groups, width)), expected);
    }
}

// Values sized by the format's own widths: a boolean is one byte, 160 to 169 eight, true
// colours and transparency four, binary chunks a length byte and their bytes (hex text
// to the caller, as ASCII files hold them); one-byte codes above 254 follow an escape.
TEST(DxfBinaryGroups, EveryValueTakesTheWidthOfItsCode)
{
    const std::vector<Group> groups = {
        {0, "LINE"},           {290, "1"},          {291, "0"},
        {999, "comment"},      {1071, "-5"},        {1040, "2"},
        {160, "-1234567890123"}, {420, "16711935"}, {440, "33554687"},
        {310, "00FF10A5"},     {1004, ""},          {430, "RED"},
        {460, "0.25"},         {470, "name"},       {280, "3"},
        {370, "-1"},           {1071, "7"},         {0, "EOF"},
    };
    const std::vector<Group> expected = {
        {0, "LINE"},           {290, "1"},          {291, "0"},
        {1071, "-5"},          {1040, "2.000000000000000"},
        {160, "-1234567890123"}, {420, "16711935"}, {440, "33554687"},
        {310, "00FF10A5"},     {1004, ""},          {430, "RED"},
        {460, "0.250000000000000"}, {470, "name"},  {280, "3"},
        {370, "-1"},           {1071, "7"},         {0, "EOF"},
    };
    for (const int width : {1, 2}) {
        SCOPED_TRACE(width);
        const std::string bytes = dxf_test::binary(groups, width);
        expect_groups(dxf_test::read_all(bytes), expected);
        // The ASCII text of the same groups reads the same.
        std::vector<Group> from_ascii = dxf_test::read_all(dxf_test::ascii(groups));
        for (Group& group : from_ascii) {
            if (group.code == 1040 || group.code == 460)
                group.value = group.code == 1040 ? "2.000000000000000" : "0.250000000000000";
        }
        expect_groups(from_ascii, expected);
    }
    // A one-byte boolean: the group after it starts at the next byte.
    const std::string sentinel(dxf_test::kSentinel, sizeof dxf_test::kSentinel);
    expect_groups(dxf_test::read_all(sentinel + std::string("\0\0SECTION\0\x22\x01\x01\0\0EOF\0", 19)),
                  {{0, "SECTION"}, {290, "1"}, {0, "EOF"}});
    // The longest chunk: 255 bytes.
    const std::string chunk(510, 'E');
    expect_groups(dxf_test::read_all(dxf_test::binary({{0, "X"}, {310, chunk}, {0, "EOF"}}, 2)),
                  {{0, "X"}, {310, chunk}, {0, "EOF"}});
}

TEST(DxfBinaryGroups, DamagedGroupsEndTheSequence)
{
    const std::string sentinel(dxf_test::kSentinel, sizeof dxf_test::kSentinel);
    const auto two_byte = [&](const std::string& groups) { return sentinel + std::string("\0\0SECTION\0", 10) + groups; };
    const struct {
        const char* name;
        std::string bytes;
        size_t groups;
    } rows[] = {
        {"code in no range", two_byte(std::string("\x4c\x04", 2) + "x"), 1},
        {"negative code", two_byte(std::string("\xff\xff", 2) + "x"), 1},
        {"unterminated string", two_byte(std::string("\x08\x00" "LAYER", 7)), 1},
        {"short real", two_byte(std::string("\x0a\x00\x00\x00\x00", 5)), 1},
        {"short integer", two_byte(std::string("\x3e\x00\x01", 3)), 1},
        {"half a code", two_byte(std::string("\x08", 1)), 1},
        {"short boolean", two_byte(std::string("\x22\x01", 2)), 1},
        {"short 64-bit integer", two_byte(std::string("\xa0\x00\x01\x02\x03\x04", 6)), 1},
        {"chunk shorter than its length", two_byte(std::string("\x36\x01\x03\xaa\xbb", 5)), 1},
        {"chunk without its length", two_byte(std::string("\x36\x01", 2)), 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(dxf_test::read_all(row.bytes).size(), row.groups);
    }
    // One-byte codes: the escape needs its two bytes, and a negative code is damage.
    const std::string one_byte = sentinel + std::string("\0SECTION\0", 9);
    EXPECT_EQ(dxf_test::read_all(one_byte + std::string("\xff\x2c", 2)).size(), 1u);
    EXPECT_EQ(dxf_test::read_all(one_byte + std::string("\xff\xff\xff" "x\0", 5)).size(), 1u);

    // A string fills the buffer up to 4095 characters; without a NUL by then it is
    // damaged.
    const std::string longest(4095, 's');
    const std::string fits = two_byte(std::string("\x01\x00", 2) + longest + std::string(1, '\0'));
    expect_groups(dxf_test::read_all(fits), {{0, "SECTION"}, {1, longest}});
    const std::string too_long = two_byte(std::string("\x01\x00", 2) + longest + "s" + std::string(1, '\0'));
    EXPECT_EQ(dxf_test::read_all(too_long).size(), 1u);
}

TEST(DxfDetectBinary, TellsTheEncodingsApart)
{
    const std::string sentinel(dxf_test::kSentinel, sizeof dxf_test::kSentinel);
    std::string no_eof_mark = sentinel;
    no_eof_mark[20] = 'x';
    const struct {
        const char* name;
        std::string bytes;
        int32_t encoding;
        int32_t position;
    } rows[] = {
        {"ASCII", "0\nSECTION\n", 0, 0},
        {"shorter than the sentinel", "AutoCAD Binary", 0, 0},
        {"sentinel without 0x1A", no_eof_mark + std::string("\0\0", 2), 0, 0},
        {"sentinel alone", sentinel, 0, 0},
        {"sentinel and one byte", sentinel + std::string(1, '\0'), 0, 0},
        {"one-byte codes", sentinel + std::string("\0SECTION\0", 9), 1, 22},
        {"two-byte codes", sentinel + std::string("\0\0SECTION\0", 10), 2, 22},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryStream stream(row.bytes);
        EXPECT_EQ(halvern::DXFDetectBinary(stream.get()), row.encoding);
        EXPECT_EQ(Seek(stream.get(), 0, 1), row.position);
    }
}

TEST(DxfGroups, StreamsCutAtEveryLengthReadAPrefixOfTheirGroups)
{
    const std::vector<Group> groups = {
        {0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {10, "1.5"}, {20, "2"},
        {62, "3"}, {90, "100000"}, {0, "ENDSEC"},
    };
    const std::string encodings[] = {dxf_test::ascii(groups, "\r\n"), dxf_test::binary(groups, 1),
                                     dxf_test::binary(groups, 2)};
    for (const std::string& whole : encodings) {
        const std::vector<Group> all = dxf_test::read_all(whole);
        ASSERT_EQ(all.size(), groups.size());
        for (size_t length = 0; length < whole.size(); ++length) {
            SCOPED_TRACE(length);
            const std::vector<Group> cut = dxf_test::read_all(whole.substr(0, length));
            ASSERT_LE(cut.size(), all.size());
            // Only the last group may have lost the end of its value.
            for (size_t i = 0; i + 1 < cut.size(); ++i)
                EXPECT_EQ(cut[i].value, all[i].value);
            for (size_t i = 0; i < cut.size(); ++i)
                EXPECT_EQ(cut[i].code, all[i].code);
        }
    }
}

struct StepLog {
    std::vector<Group> groups;
    std::vector<int32_t> lines;
    int32_t stop_at = -1;
};

int32_t log_group(FileHandle* stream, int32_t line, int32_t code, char* value, void* user)
{
    auto* log = static_cast<StepLog*>(user);
    EXPECT_NE(stream, nullptr);
    log->groups.push_back(Group{code, value});
    log->lines.push_back(line);
    return static_cast<int32_t>(log->groups.size()) == log->stop_at ? 5 : 0;
}

TEST(StepReadDxf, HandsEveryGroupWithItsLineAndStopsOnRequest)
{
    const std::vector<Group> groups = {{0, "SECTION"}, {2, "ENTITIES"}, {999, "x"}, {0, "LINE"},
                                       {10, "1"}, {0, "ENDSEC"}, {0, "EOF"}};
    const test_support::TempFile ascii("step_read_test.dxf", dxf_test::ascii(groups));
    StepLog all;
    EXPECT_EQ(StepReadDXF(ascii.c_str(), log_group, &all), 0);
    EXPECT_EQ(all.groups.size(), 6u);
    EXPECT_EQ(all.lines, (std::vector<int32_t>{2, 4, 8, 10, 12, 14}));

    StepLog stopped;
    stopped.stop_at = 3;
    EXPECT_EQ(StepReadDXF(ascii.c_str(), log_group, &stopped), 5);
    EXPECT_EQ(stopped.groups.size(), 3u);

    const test_support::TempFile binary("step_read_test.dxf", dxf_test::binary(groups, 2));
    StepLog from_binary;
    EXPECT_EQ(StepReadDXF(binary.c_str(), log_group, &from_binary), 0);
    ASSERT_EQ(from_binary.groups.size(), 6u);
    EXPECT_EQ(from_binary.groups[3].code, 10);
    EXPECT_EQ(from_binary.groups[3].value, "1.000000000000000");
    EXPECT_EQ(from_binary.groups[5].value, "EOF");
    EXPECT_EQ(from_binary.lines, (std::vector<int32_t>{2, 4, 8, 10, 12, 14}));
}

TEST(StepReadDxf, ReportsMissingArgumentsAndFiles)
{
    StepLog log;
    EXPECT_EQ(StepReadDXF(nullptr, log_group, &log), IoErrRequiredArgMissing);
    EXPECT_EQ(StepReadDXF("a.dxf", nullptr, &log), IoErrRequiredArgMissing);
    EXPECT_EQ(StepReadDXF("/nonexistent/folder/a.dxf", log_group, &log), IoErrObjectNotFound);
    EXPECT_TRUE(log.groups.empty());
}

}
