#include "listview/common/memory_stream_helper.h"

#include "framework/classes.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

using namespace vistrel::listview;

namespace {

std::string bytes_of(fw::TMemoryStream& stream)
{
    return std::string(static_cast<const char*>(stream.Memory()),
                       static_cast<size_t>(stream.Size()));
}

// A stream holding the bytes, positioned at its start.
void load(fw::TMemoryStream& stream, const std::string& bytes)
{
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream.SetPosition(0);
}

}

TEST(MemoryStreamHelper, WritesEachFormLittleEndianWithoutPadding)
{
    TLqCommonMemoryStreamHelper helper;
    fw::TMemoryStream stream;
    helper.WriteWideString(&stream, QString());
    EXPECT_EQ(bytes_of(stream), std::string("\0\0\0\0", 4));

    stream.Clear();
    helper.WriteBoolean(&stream, true);
    helper.WriteColor(&stream, fw::clBtnFace);
    helper.WriteInteger(&stream, -2);
    helper.WriteInt64(&stream, 0x0102030405060708LL);
    helper.WriteString(&stream, "ab");
    helper.WriteWideString(&stream, QStringLiteral("\u00e9z"));
    helper.WriteExtended(&stream, 1.0);
    const std::string expected = std::string("\x01", 1) + std::string("\x0F\x00\x00\xFF", 4) +
                                 "\xFE\xFF\xFF\xFF" + "\x08\x07\x06\x05\x04\x03\x02\x01" +
                                 std::string("\x02\x00\x00\x00", 4) + "ab" +
                                 std::string("\x02\x00\x00\x00\xE9\x00z\x00", 8) +
                                 std::string("\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F", 10);
    EXPECT_EQ(bytes_of(stream), expected);

    stream.SetPosition(0);
    EXPECT_TRUE(helper.ReadBoolean(&stream));
    EXPECT_EQ(helper.ReadColor(&stream), fw::clBtnFace);
    EXPECT_EQ(helper.ReadInteger(&stream), -2);
    EXPECT_EQ(helper.ReadInt64(&stream), 0x0102030405060708LL);
    EXPECT_EQ(helper.ReadString(&stream), "ab");
    EXPECT_EQ(helper.ReadWideString(&stream), QStringLiteral("\u00e9z"));
    EXPECT_EQ(helper.ReadExtended(&stream), 1.0);
    EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(MemoryStreamHelper, ReadsOtherWritersBytes)
{
    TLqCommonMemoryStreamHelper helper;
    fw::TMemoryStream stream;
    // Any non-zero byte is true; an empty wide string reads back empty.
    load(stream, std::string("\x07\x00\x00\x00\x00", 5));
    EXPECT_TRUE(helper.ReadBoolean(&stream));
    EXPECT_EQ(helper.ReadWideString(&stream), QString());
    // Fixed-size values lacking bytes read the missing ones as 0.
    load(stream, std::string("\x34\x12", 2));
    EXPECT_EQ(helper.ReadInteger(&stream), 0x1234);
    EXPECT_EQ(helper.ReadInt64(&stream), 0);
}

TEST(MemoryStreamHelper, LengthsThatRunPastTheEndRaiseBeforeAnythingIsAllocated)
{
    TLqCommonMemoryStreamHelper helper;
    fw::TMemoryStream stream;
    const std::string cases[] = {
        std::string("\x05\x00\x00\x00"
                    "abcd",
                    8),                     // one byte short
        std::string("\xFF\xFF\xFF\x7F", 4), // 2 GiB promised, nothing there
        std::string("\xFF\xFF\xFF\xFF"
                    "abcd",
                    8), // negative
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        load(stream, bytes);
        EXPECT_THROW(helper.ReadString(&stream), fw::EReadError);
        load(stream, bytes);
        EXPECT_THROW(helper.ReadWideString(&stream), fw::EReadError);
    }
    // A stored stream of a size past the end raises too; one of a negative size is empty.
    for (const std::string& bytes : {cases[0], cases[1]}) {
        load(stream, bytes);
        fw::TMemoryStream target;
        EXPECT_THROW(helper.ReadStream(&stream, &target), fw::EReadError);
    }
    load(stream, cases[2]);
    fw::TMemoryStream target;
    helper.ReadStream(&stream, &target);
    EXPECT_EQ(target.Size(), 0);
    // Four characters need eight bytes, not four.
    load(stream, std::string("\x04\x00\x00\x00"
                             "abcd",
                             8));
    EXPECT_THROW(helper.ReadWideString(&stream), fw::EReadError);
}

TEST(MemoryStreamHelper, StreamsTravelWithTheirSize)
{
    TLqCommonMemoryStreamHelper helper;
    fw::TMemoryStream source;
    load(source, "payload");
    source.SetPosition(3); // the whole stream goes, wherever it stands
    fw::TMemoryStream stored;
    helper.WriteStream(&source, &stored);
    EXPECT_EQ(bytes_of(stored), std::string("\x07\x00\x00\x00", 4) + "payload");

    fw::TMemoryStream target;
    load(target, "old contents that go");
    stored.SetPosition(0);
    helper.ReadStream(&stored, &target);
    EXPECT_EQ(bytes_of(target), "payload");

    // An empty stream is a zero size and nothing more; reading it empties the target.
    fw::TMemoryStream empty;
    stored.Clear();
    helper.WriteStream(&empty, &stored);
    EXPECT_EQ(bytes_of(stored), std::string("\0\0\0\0", 4));
    stored.SetPosition(0);
    helper.ReadStream(&stored, &target);
    EXPECT_EQ(target.Size(), 0);
}

TEST(ExtendedForm, KnownValues)
{
    struct Case {
        double value;
        const char* bytes;
    };
    const Case cases[] = {
        {0.0, "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"},
        {-0.0, "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x80"},
        {1.0, "\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F"},
        {-2.5, "\x00\x00\x00\x00\x00\x00\x00\xA0\x00\xC0"},
        {std::numeric_limits<double>::infinity(), "\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x7F"},
        {std::numeric_limits<double>::denorm_min(), "\x00\x00\x00\x00\x00\x00\x00\x80\xCD\x3B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const std::array<uint8_t, 10> bytes = DoubleToExtended(c.value);
        EXPECT_EQ(std::memcmp(bytes.data(), c.bytes, 10), 0);
        const double back = ExtendedToDouble(bytes);
        EXPECT_EQ(back, c.value);
        EXPECT_EQ(std::signbit(back), std::signbit(c.value));
    }
    EXPECT_TRUE(std::isnan(ExtendedToDouble(DoubleToExtended(std::nan("")))));
}

// Extended values beyond a double's precision and range, converted as the x87 unit
// converts them (the compiler's long double is that format on this machine).
TEST(ExtendedForm, AgreesWithTheProcessorsOwnConversion)
{
    if constexpr (LDBL_MANT_DIG != 64) {
        GTEST_SKIP() << "long double is not the 80-bit format here";
    } else {
        std::mt19937_64 random(12345);
        for (int i = 0; i < 200000; ++i) {
            std::array<uint8_t, 10> bytes{};
            uint64_t mantissa = random();
            // Mostly normal numbers, some with a cleared integer bit, every exponent.
            if (i % 7 != 0)
                mantissa |= uint64_t{1} << 63;
            // Ties: only the bits that rounding looks at.
            if (i % 5 == 0)
                mantissa = (mantissa & ~uint64_t{0x7FF}) | 0x400;
            const unsigned exponent = static_cast<unsigned>(random() % 0x8000);
            const unsigned sign = static_cast<unsigned>(random() & 1) << 15;
            std::memcpy(bytes.data(), &mantissa, 8);
            bytes[8] = static_cast<uint8_t>(exponent | sign);
            bytes[9] = static_cast<uint8_t>((exponent | sign) >> 8);
            if (exponent == 0x7FFF || (exponent != 0 && (mantissa >> 63) == 0))
                continue; // NaNs, infinities and unnormals: no arithmetic meaning to compare
            long double reference = 0;
            std::memcpy(&reference, bytes.data(), 10);
            const double expected = static_cast<double>(reference);
            const double got = ExtendedToDouble(bytes);
            ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0)
                << "exponent " << exponent << " mantissa " << mantissa << " got " << got
                << " expected " << expected;
            if (std::isfinite(expected)) {
                const std::array<uint8_t, 10> there = DoubleToExtended(expected);
                long double exact = 0;
                std::memcpy(&exact, there.data(), 10);
                ASSERT_EQ(exact, static_cast<long double>(expected));
            }
        }
    }
}
