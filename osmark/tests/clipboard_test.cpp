// Clip units (the desktop's clipboard in-process, private units as files), bitmaps on
// the clipboard, the caret and the alert.

#include "osmark/clipboard.h"

#include "osmark/errors.h"
#include "osmark/memory.h"
#include "platform/clipboard.h"
#include "platform/qt.h"
#include "platform/user_caret.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string read_text(const char* unit)
{
    char* text = ReadTextFromClip(unit);
    std::string result = text != nullptr ? text : "<none>";
    FreeVec(text);
    return result;
}

}

TEST(Clipboard, TextOnTheDesktopClipboard)
{
    ASSERT_EQ(WriteTextToClip(nullptr, "abc"), 1);
    uint32_t size = 0;
    void* data = ReadClip("", ClipFormatText, &size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::memcmp(data, "abc", 4), 0);
    FreeVec(data);
    EXPECT_EQ(read_text(nullptr), "abc");
    EXPECT_EQ(ClipHasFormat(nullptr, ClipFormatText), 1);
    // Formats outside the table are refused with -4.
    SetIoErr(0);
    EXPECT_EQ(ReadClip(nullptr, 7, nullptr), nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
}

TEST(Clipboard, OpenCountsNestAndTheOwnWindowCloses)
{
    ASSERT_EQ(GetFirstWindow() != nullptr, true); // the library's hidden window
    EXPECT_EQ(OpenClip(nullptr), 1);
    EXPECT_EQ(OpenClip(nullptr), 1);
    // Kept open, two writes make one content of two formats.
    const int32_t bitmap_format = ClipFormatBitMap;
    WriteTextToClip(nullptr, "first");
    const uint32_t word = 7;
    WriteClip(nullptr, ClipFormatIFF, &word, sizeof word);
    EXPECT_EQ(ClipHasFormat(nullptr, ClipFormatText), 1);
    EXPECT_EQ(ClipHasFormat(nullptr, ClipFormatIFF), 1);
    EXPECT_EQ(ClipHasFormat(nullptr, bitmap_format), 0);
    CloseClip(1);
    // Still open: another opener is refused.
    EXPECT_FALSE(OpenClipboard(reinterpret_cast<HWND>(0x99)));
    CloseClip(1);
    EXPECT_TRUE(OpenClipboard(nullptr));
    CloseClipboard();
    // A later write alone replaces the content.
    WriteTextToClip(nullptr, "second");
    EXPECT_EQ(ClipHasFormat(nullptr, ClipFormatIFF), 0);
}

TEST(Clipboard, PrivateUnitsKeepOneFilePerFormat)
{
    ClearClip("notes");
    const int32_t id = OpenClip("notes");
    ASSERT_GE(id, 100);
    ASSERT_EQ(WriteTextToClip("notes", "hello"), 1);
    const uint32_t word = 0x01020304;
    ASSERT_EQ(WriteClip("notes", ClipFormatBitMap, &word, sizeof word), 1);
    ASSERT_EQ(WriteTextToClip("NOTES", "again"), 1);
    EXPECT_EQ(read_text("notes"), "again");
    FileHandle* first = Open("ENV:system\\clips\\notes.0", FileModeRead);
    ASSERT_NE(first, nullptr);
    uint8_t header[4] = {};
    FRead(first, header, 4, 1);
    Close(first);
    EXPECT_EQ(header[0], ClipFormatText);
    FileHandle* second = Open("ENV:system\\clips\\notes.1", FileModeRead);
    ASSERT_NE(second, nullptr);
    FRead(second, header, 4, 1);
    Close(second);
    EXPECT_EQ(header[0], ClipFormatBitMap);
    CloseClip(id);

    // Not kept open, a write empties the unit first.
    WriteTextToClip("notes", "alone");
    EXPECT_EQ(ClipHasFormat("notes", ClipFormatBitMap), 0);
    EXPECT_EQ(ClipHasFormat("notes", ClipFormatText), 1);
    ClearClip("notes");
    EXPECT_EQ(ClipHasFormat("notes", ClipFormatText), 0);
}

TEST(Clipboard, UnitNumbersStayDistinct)
{
    const int32_t a = OpenClip("unit-a");
    const int32_t b = OpenClip("unit-b");
    CloseClip(a);
    // The new unit takes position 1 of the table, whose number b still has.
    const int32_t c = OpenClip("unit-c");
    EXPECT_NE(c, b);
    CloseClip(b);
    CloseClip(c);
}

TEST(Clipboard, BitMapsTravelAsPackedDibs)
{
    const uint8_t rows[8] = {0xA0, 0, 0, 0, 0x40, 0, 0, 0};
    BitMap* mask = AllocBitMask(3, 2, rows);
    ASSERT_EQ(WriteBitMapToClip(nullptr, mask), 1);
    uint32_t size = 0;
    void* packed = ReadClip(nullptr, ClipFormatBitMap, &size);
    EXPECT_EQ(size, 56u);
    FreeVec(packed);
    BitMap* back = ReadBitMapFromClip(nullptr);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->bm_Flags, BMF_MASK);
    EXPECT_EQ(back->bm_Width, 3);
    EXPECT_EQ(back->bm_Height, 2);
    for (int32_t y = 0; y < 2; ++y) {
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(GetBitMapPixel(back, x, y), GetBitMapPixel(mask, x, y)) << x << "," << y;
    }
    FreeBitMap(back);
    FreeBitMap(mask);

    const Colour colours[2] = {0x0000FF, 0x123456};
    BitMap* map = AllocBitMap(2, 1, colours);
    ASSERT_EQ(WriteBitMapToClip("pictures", map), 1);
    BitMap* again = ReadBitMapFromClip("pictures");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetBitMapPixel(again, 1, 0), 0x123456u);
    FreeBitMap(again);
    FreeBitMap(map);
    ClearClip("pictures");
}

TEST(Clipboard, BadPackedDibsGiveNoBitMap)
{
    auto header = [](int32_t width, int32_t height, uint16_t bits, uint32_t compression) {
        std::vector<uint8_t> data(40, 0);
        auto put = [&](size_t at, uint32_t value) {
            for (int i = 0; i < 4; ++i)
                data[at + i] = static_cast<uint8_t>(value >> (8 * i));
        };
        put(0, 40);
        put(4, static_cast<uint32_t>(width));
        put(8, static_cast<uint32_t>(height));
        data[12] = 1;
        data[14] = static_cast<uint8_t>(bits);
        put(16, compression);
        return data;
    };
    const std::vector<std::vector<uint8_t>> bad = {
        header(2, 2, 24, 0),             // rows missing
        header(2, 2, 8, 1),              // RLE
        header(0x10000000, 0x10, 32, 0), // oversized
        header(2, 2, 3, 0),              // no such depth
    };
    for (const std::vector<uint8_t>& data : bad) {
        ASSERT_EQ(
            WriteClip(nullptr, ClipFormatBitMap, data.data(), static_cast<uint32_t>(data.size())),
            1);
        EXPECT_EQ(ReadBitMapFromClip(nullptr), nullptr);
    }
    // Bit fields are read from after the header.
    std::vector<uint8_t> fields = header(1, 1, 16, 3);
    for (uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu})
        for (int i = 0; i < 4; ++i)
            fields.push_back(static_cast<uint8_t>(mask >> (8 * i)));
    fields.insert(fields.end(), {0x00, 0xF8, 0, 0});
    WriteClip(nullptr, ClipFormatBitMap, fields.data(), static_cast<uint32_t>(fields.size()));
    BitMap* red = ReadBitMapFromClip(nullptr);
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(GetBitMapPixel(red, 0, 0), 0x0000FFu);
    FreeBitMap(red);
}

TEST(Clipboard, NewFormatsShareTheirNumber)
{
    const int32_t first = NewClipFormat("My Format");
    ASSERT_GE(first, 0xC000);
    EXPECT_EQ(NewClipFormat("my format"), first);
    const uint8_t bytes[3] = {1, 2, 3};
    ASSERT_EQ(WriteClip(nullptr, first, bytes, 3), 1);
    uint32_t size = 0;
    void* data = ReadClip(nullptr, first, &size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 3u);
    FreeVec(data);
    EXPECT_EQ(NewClipFormat(nullptr), -1);
}

TEST(Caret, SetMoveAndShow)
{
    Window* window = GetFirstWindow();
    ASSERT_NE(window, nullptr);
    SetCaret(window, 2, 10);
    EXPECT_EQ(__CaretInfo.ci_Created, 1);
    EXPECT_EQ(__CaretInfo.ci_Owner, window);
    DisplayCaret(1);
    EXPECT_EQ(__CaretInfo.ci_Visible, 1);
    // The same size again keeps the caret, hidden.
    SetCaret(window, 2, 10);
    EXPECT_EQ(__CaretInfo.ci_Visible, 0);
    EXPECT_EQ(__CaretInfo.ci_Owner, window);

    MoveCaret(5, 6);
    POINT where{};
    ASSERT_TRUE(GetCaretPos(&where));
    EXPECT_EQ(where.x, 5);
    // Moving to the same place again makes no platform call.
    SetCaretPos(1, 1);
    MoveCaret(5, 6);
    GetCaretPos(&where);
    EXPECT_EQ(where.x, 1);
    SetCaret(nullptr, 0, 0);
    EXPECT_EQ(__CaretInfo.ci_Created, 0);
}

TEST(Beep, FlashesBeepsAndSleepsOnTheMessageClock)
{
    // The test drives the message clock: the half-second pause moves it on at once.
    platform::test::AdvanceClock(0);
    Window* window = GetFirstWindow();
    EXPECT_EQ(DisplayBeep(window), 0); // the hidden window is not active
}
