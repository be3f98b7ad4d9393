// Element records of files older than version 15.2 brought to the current layout.

#include <gtest/gtest.h>

#include <cstring>
#include <numbers>
#include <vector>

#include "part_file_writer.h"
#include "trennic/elements.h"
#include "trennic_test_support.h"

namespace {

using kzv::Layout;
using trennic_test::record_of;

uint32_t u32_at(const uint8_t* bytes, size_t offset)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | bytes[offset + static_cast<size_t>(i)];
    return value;
}

double f64_at(const uint8_t* bytes, size_t offset)
{
    const uint64_t bits = uint64_t{u32_at(bytes, offset)} | uint64_t{u32_at(bytes, offset + 4)}
                                                                << 32;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

TEST(UpgradeElement, CircularArrayMovesItsFieldsBehindTheLongerName)
{
    const kzv::Element array = kzv::circular_array("A NAME OF FORTY CHARACTERS, CUT TO 32..", 1, 2,
                                                   0.5, 40, 41, 2, 0.25, 16);
    const QXElementRec old_record = record_of(array, Layout::Old);
    // The layout as the old writer left it: 181 bytes, radius at 101, count at 141.
    ASSERT_EQ(u32_at(old_record.qe_Bytes, 0), 181u);
    ASSERT_EQ(f64_at(old_record.qe_Bytes, 101), 40.0);
    ASSERT_EQ(u32_at(old_record.qe_Bytes, 141), 16u);

    QXElementRec upgraded;
    std::memset(upgraded.qe_Bytes, 0xEE, sizeof upgraded.qe_Bytes);
    ASSERT_EQ(UpgradeElement(&old_record, &upgraded), 226);
    EXPECT_EQ(u32_at(upgraded.qe_Bytes, 0), 226u);
    EXPECT_EQ(u32_at(upgraded.qe_Bytes, 222), 226u) << "the record ends with its length";
    EXPECT_EQ(f64_at(upgraded.qe_Bytes, 146), 40.0);
    EXPECT_EQ(u32_at(upgraded.qe_Bytes, 186), 16u);
    EXPECT_STREQ(reinterpret_cast<const char*>(upgraded.qe_Bytes + 68),
                 "A NAME OF FORTY CHARACTERS, CUT ");
    EXPECT_EQ(upgraded.qe_Bytes[226], 0xEE) << "nothing written behind the record";
}

TEST(UpgradeElement, EveryKindWithALongerNameComesOutAsTheCurrentLayoutWritesIt)
{
    struct Row {
        int32_t kind;
        size_t name_offset;
    };
    const Row rows[] = {{8, 68},    {9, 68},    {10, 68},   {11, 124},  {17, 124},  {117, 232},
                        {118, 100}, {119, 132}, {120, 140}, {121, 140}, {122, 152}, {123, 148},
                        {130, 164}, {140, 136}, {215, 158}, {1000, 60}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        kzv::Element element(row.kind);
        element.layer(9001).colour(3).f64(44, 1.5).text(row.name_offset,
                                                        "TOOL-" + std::to_string(row.kind), 78);
        const std::vector<uint8_t> current = element.bytes(Layout::Current);
        // A field right behind the name and one in front of the second length word,
        // where the kind has room for them.
        element.f64(row.name_offset + 78, 2.5);
        if (current.size() - 8 >= row.name_offset + 78)
            element.u32(current.size() - 8, 0xCAFE);
        if (row.kind == 215)
            element.text(60, "FIRST", 33).text(93, "SECOND", 33);
        const QXElementRec old_record = record_of(element, Layout::Old);
        QXElementRec upgraded;
        const int32_t length = UpgradeElement(&old_record, &upgraded);
        const std::vector<uint8_t> expected = element.bytes(Layout::Current);
        ASSERT_EQ(static_cast<size_t>(length), expected.size());
        EXPECT_EQ(std::vector<uint8_t>(upgraded.qe_Bytes, upgraded.qe_Bytes + length), expected);
    }
}

TEST(UpgradeElement, OtherKindsAreCopiedAsTheyAre)
{
    for (const kzv::Element& element :
         {kzv::line(1, 2, 3, 4), kzv::text(0, 0, 0, 1, "TEXT"), kzv::tooling(5),
          kzv::tooling_with_word(10), kzv::block_end()}) {
        const QXElementRec old_record = record_of(element, Layout::Old);
        QXElementRec upgraded;
        const std::vector<uint8_t> bytes = element.bytes(Layout::Old);
        ASSERT_EQ(UpgradeElement(&old_record, &upgraded), static_cast<int32_t>(bytes.size()));
        EXPECT_EQ(std::memcmp(upgraded.qe_Bytes, bytes.data(), bytes.size()), 0);
    }
}

TEST(UpgradeElement, OldLengthNeverTakesTheCopiesPastEitherRecord)
{
    QXElementRec sentinel;
    std::memset(sentinel.qe_Bytes, 0x5A, sizeof sentinel.qe_Bytes);

    // An old placement that claims the whole 1024 bytes: its tail is cut to the room
    // the current layout has.
    QXElementRec long_record = record_of(kzv::placement("P", 1, 2, 3), Layout::Old, 0x77);
    long_record.qe_Bytes[0] = 0x00;
    long_record.qe_Bytes[1] = 0x04; // 1024
    QXElementRec upgraded = sentinel;
    ASSERT_EQ(UpgradeElement(&long_record, &upgraded), 182);
    EXPECT_EQ(u32_at(upgraded.qe_Bytes, 178), 182u);
    EXPECT_EQ(upgraded.qe_Bytes[182], 0x5A);

    // A name that fills its old field without a NUL stays in it.
    QXElementRec unterminated = record_of(kzv::placement("", 1, 2, 3), Layout::Old);
    std::memset(unterminated.qe_Bytes + 68, 'N', 33);
    upgraded = sentinel;
    ASSERT_EQ(UpgradeElement(&unterminated, &upgraded), 182);
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(upgraded.qe_Bytes + 68)), 33u);

    // A record that ends inside its name: what it lacks stays 0.
    QXElementRec short_record = record_of(kzv::placement("LONGNAME", 1, 2, 3), Layout::Old);
    short_record.qe_Bytes[0] = 72;
    short_record.qe_Bytes[1] = 0;
    upgraded = sentinel;
    ASSERT_EQ(UpgradeElement(&short_record, &upgraded), 182);
    EXPECT_STREQ(reinterpret_cast<const char*>(upgraded.qe_Bytes + 68), "LONG");
    EXPECT_EQ(f64_at(upgraded.qe_Bytes, 44), 1.0);

    // Lengths outside 5..1024 write nothing.
    for (const uint32_t length : {0u, 4u, 1025u, 0xFFFFFFFFu}) {
        QXElementRec bad = record_of(kzv::placement("P", 1, 2, 3), Layout::Old);
        for (int i = 0; i < 4; ++i)
            bad.qe_Bytes[i] = static_cast<uint8_t>(length >> (8 * i));
        upgraded = sentinel;
        EXPECT_EQ(UpgradeElement(&bad, &upgraded), 0) << length;
        EXPECT_EQ(std::memcmp(upgraded.qe_Bytes, sentinel.qe_Bytes, sizeof sentinel.qe_Bytes), 0);
    }
    EXPECT_EQ(UpgradeElement(nullptr, &upgraded), 0);
    EXPECT_EQ(UpgradeElement(&short_record, nullptr), 0);
}

TEST(UpgradeElement, WorksInPlace)
{
    const kzv::Element array = kzv::circular_array("RING", 0, 0, 0, 25, 25, 0, 1, 12);
    QXElementRec record = record_of(array, Layout::Old);
    ASSERT_EQ(UpgradeElement(&record, &record), 226);
    const std::vector<uint8_t> expected = array.bytes(Layout::Current);
    EXPECT_EQ(std::vector<uint8_t>(record.qe_Bytes, record.qe_Bytes + 226), expected);
}

}
