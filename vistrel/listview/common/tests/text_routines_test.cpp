#include "listview/common/text_routines.h"

#include "bitmap_dc.h"

#include "framework/graphics.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vistrel::listview;

namespace {

// A white bitmap with Arial selected, black text.
class TextDC : public testing::Test {
protected:
    TextDC() : m_bitmap(200, -60)
    {
        LOGFONTA font{};
        font.lfHeight = -16;
        std::strcpy(font.lfFaceName, "Arial");
        m_font = CreateFontIndirectA(&font);
        m_old = SelectObject(dc(), m_font);
        m_bitmap.fill(0x00FFFFFF);
        SetTextColor(dc(), RGB(0, 0, 0));
    }
    ~TextDC() override
    {
        SelectObject(dc(), m_old);
        DeleteObject(m_font);
    }
    HDC dc() const { return m_bitmap.dc(); }
    int width_of(const QString& text) const
    {
        fw::TSize size;
        MeasureTextOnDC(text, dc(), size);
        return size.cx;
    }
    TEXTMETRICA metrics() const
    {
        TEXTMETRICA tm{};
        GetTextMetricsA(dc(), &tm);
        return tm;
    }
    // The box of pixels that are not white; Left > Right when there are none.
    fw::TRect ink() const
    {
        fw::TRect box{1000, 1000, -1, -1};
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 200; ++x)
                if (m_bitmap.value(x, y) != 0x00FFFFFFu) {
                    box.Left = std::min<LONG>(box.Left, x);
                    box.Top = std::min<LONG>(box.Top, y);
                    box.Right = std::max<LONG>(box.Right, x + 1);
                    box.Bottom = std::max<LONG>(box.Bottom, y + 1);
                }
        return box;
    }

    BitmapDC m_bitmap;
    HFONT m_font = nullptr;
    HGDIOBJ m_old = nullptr;
};

QString joined(const std::vector<QString>& lines)
{
    QString all;
    for (const QString& line : lines)
        all += line + u'|';
    return all;
}

}

TEST_F(TextDC, WrapsAtBlanksAndLineEnds)
{
    const int width = width_of(QStringLiteral("alpha beta")) + 2;
    std::vector<QString> lines;
    EXPECT_EQ(WrapTextToLines(dc(), QStringLiteral("alpha beta gamma"), width, lines, -1), 2);
    EXPECT_EQ(joined(lines), QStringLiteral("alpha beta|gamma|"));
    EXPECT_EQ(WrapTextToLines(dc(), QStringLiteral("ab\r\n\r\n  cd\nef"), width, lines, -1), 3);
    EXPECT_EQ(joined(lines), QStringLiteral("ab|cd|ef|"));
    // The last allowed line takes the rest, line ends and all.
    EXPECT_EQ(WrapTextToLines(dc(), QStringLiteral("alpha beta gamma\ndelta"), width, lines, 1), 1);
    EXPECT_EQ(joined(lines), QStringLiteral("alpha beta gamma\ndelta|"));
    EXPECT_EQ(WrapTextToLines(dc(), QStringLiteral("alpha beta gamma delta"), width, lines, 2), 2);
    EXPECT_EQ(joined(lines), QStringLiteral("alpha beta|gamma delta|"));
    // A word longer than the width breaks inside it.
    const QString word = QStringLiteral("abcdefghijklmnopqrstuvwxyzabcdefghij");
    EXPECT_GE(WrapTextToLines(dc(), word, width, lines, -1), 2);
    QString whole;
    for (const QString& line : lines) {
        EXPECT_LE(width_of(line), width);
        whole += line;
    }
    EXPECT_EQ(whole, word);
}

TEST_F(TextDC, WrapEdgesOfTheWidth)
{
    std::vector<QString> lines{QStringLiteral("stale")};
    EXPECT_EQ(WrapTextToLines(dc(), QStringLiteral("some text"), 0, lines, -1), 0);
    EXPECT_TRUE(lines.empty());
    const int narrow = metrics().tmMaxCharWidth - 1;
    EXPECT_EQ(WrapTextToLines(dc(), QStringLiteral("some more text"), narrow, lines, -1), 1);
    EXPECT_EQ(joined(lines), QStringLiteral("some more text|"));
    EXPECT_EQ(WrapTextToLines(dc(), QString(), narrow, lines, -1), 0);
    EXPECT_EQ(WrapTextToLines(dc(), QString(), 100, lines, -1), 0);
}

// Far more lines than a buffer of the text's length plus a margin could hold, and
// characters that may be wider than the widest one the font reports: every line
// takes at least one character and the text comes through whole.
TEST_F(TextDC, EveryLineTakesACharacterAndManyLinesFit)
{
    const int width = metrics().tmMaxCharWidth;
    const QString word(300, u'W');
    std::vector<QString> lines;
    const int count = WrapTextToLines(dc(), word, width, lines, -1);
    ASSERT_GE(count, 150);
    EXPECT_EQ(lines.size(), static_cast<size_t>(count));
    QString whole;
    for (const QString& line : lines) {
        EXPECT_FALSE(line.isEmpty());
        whole += line;
    }
    EXPECT_EQ(whole, word);

    for (const char16_t wide : {u'\u2E3B', u'\uFDFD', u'\u2014', u'\t'}) {
        const QString text(3, QChar(wide));
        SCOPED_TRACE(width_of(QString(QChar(wide))));
        ASSERT_GT(WrapTextToLines(dc(), text, width, lines, -1), 0);
        QString back;
        for (const QString& line : lines) {
            EXPECT_FALSE(line.isEmpty());
            back += line;
        }
        EXPECT_EQ(back, text);
    }
}

TEST_F(TextDC, ShortensWithAnEllipsis)
{
    // Wide letters, so that no shortened form is as wide as the whole.
    const QString text = QStringLiteral("WWWW");
    const int dots = width_of(QStringLiteral("..."));
    struct Case {
        int width;
        QString expected;
    };
    const Case cases[] = {
        {width_of(text), text},
        {width_of(QStringLiteral("WW...")), QStringLiteral("WW...")},
        {width_of(QStringLiteral("W...")), QStringLiteral("W...")},
        {width_of(QStringLiteral("W...")) - 1, QStringLiteral("...")},
        {dots, QStringLiteral("...")},
        {dots - 1, QStringLiteral("...")},
        {0, QStringLiteral("...")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        EXPECT_EQ(ShortenWithEllipsis(dc(), text, c.width), c.expected);
    }
    EXPECT_EQ(ShortenWithEllipsis(dc(), QString(), 0), QString());
}

TEST_F(TextDC, MeasuresSingleLinesAsTheFlagsSay)
{
    const QString text = QStringLiteral("Wide caption text");
    const int cx = width_of(text);
    const int h = metrics().tmHeight;
    struct Case {
        const char* what;
        fw::TRect given;
        DrawTextFlags flags;
        fw::TRect expected;
    };
    const Case cases[] = {
        {"left, top", {10, 5, 300, 100}, 0, {10, 5, 10 + cx, 5 + h}},
        {"centred",
         {10, 5, 300, 100},
         dtfCenter | dtfRight,
         {10 + (290 - cx) / 2, 5, 10 + (290 - cx) / 2 + cx, 5 + h}},
        {"right", {10, 5, 300, 100}, dtfRight, {300 - cx, 5, 300, 5 + h}},
        {"bottom", {10, 5, 300, 100}, dtfBottom, {10, 100 - h, 10 + cx, 100}},
        {"middle",
         {10, 5, 300, 100},
         dtfVCenter | dtfBottom,
         {10, 5 + (95 - h) / 2, 10 + cx, 5 + (95 - h) / 2 + h}},
        {"narrow: the text's own width", {10, 5, 20, 100}, 0, {10, 5, 10 + cx, 5 + h}},
        {"narrow, width kept", {10, 5, 20, 100}, dtfCalcRectKeepWidth, {10, 5, 20, 5 + h}},
        {"narrow, kept, then aligned",
         {10, 5, 20, 100},
         dtfCalcRectKeepWidth | dtfCalcRectAlign,
         {10, 5, 10 + cx, 5 + h}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fw::TRect rect = c.given;
        DrawTextWithFlags(dc(), text, rect, c.flags | dtfSingleLine | dtfCalcRect, -1);
        EXPECT_EQ(rect, c.expected);
    }
    EXPECT_EQ(ink().Right, -1) << "measuring draws nothing";
}

TEST_F(TextDC, MeasuresSeveralLines)
{
    const int h = metrics().tmHeight;
    const int width = width_of(QStringLiteral("alpha beta")) + 2;
    fw::TRect rect{5, 2, 5 + width, 200};
    DrawTextWithFlags(dc(), QStringLiteral("alpha beta gamma"), rect, dtfCalcRect, -1);
    EXPECT_EQ(rect, (fw::TRect{5, 2, 5 + width_of(QStringLiteral("alpha beta")), 2 + 2 * h}));

    // At most one line, cut with an ellipsis to the width.
    rect = fw::TRect{5, 2, 5 + width, 200};
    DrawTextWithFlags(dc(), QStringLiteral("alpha beta gamma"), rect, dtfCalcRect | dtfEndEllipsis,
                      1);
    EXPECT_EQ(rect.Bottom - rect.Top, h);
    EXPECT_LE(rect.Right - rect.Left, width);

    // Bottom alignment counts only the lines that are shown.
    rect = fw::TRect{5, 0, 5 + width, 100};
    DrawTextWithFlags(dc(), QStringLiteral("alpha beta gamma"), rect, dtfCalcRect | dtfBottom, 1);
    EXPECT_EQ(rect.Bottom, 100);

    // No lines: zero wide and a line tall, or zero tall and a character wide.
    rect = fw::TRect{5, 2, 50, 50};
    DrawTextWithFlags(dc(), QString(), rect, dtfCalcRect | dtfCalcRectAlign, -1);
    EXPECT_EQ(rect, (fw::TRect{5, 2, 5, 2 + h}));
    rect = fw::TRect{5, 2, 50, 50};
    DrawTextWithFlags(dc(), QString(), rect, dtfCalcRect, -1);
    EXPECT_EQ(rect, (fw::TRect{5, 2, 5 + metrics().tmAveCharWidth, 2}));
}

TEST_F(TextDC, DrawsWithinTheLineUnlessTold)
{
    const QString text = QStringLiteral("WWWWWWWWWWWW");
    fw::TRect rect{20, 10, 60, 50};
    DrawTextWithFlags(dc(), text, rect, dtfSingleLine, -1);
    const fw::TRect clipped = ink();
    ASSERT_GE(clipped.Right, clipped.Left) << "something was drawn";
    EXPECT_GE(clipped.Left, 20);
    EXPECT_LE(clipped.Right, 60);
    EXPECT_GE(clipped.Top, 10);
    EXPECT_EQ(GetBkMode(dc()), OPAQUE) << "the DC's background mode comes back";

    m_bitmap.fill(0x00FFFFFF);
    rect = fw::TRect{20, 10, 60, 50};
    DrawTextWithFlags(dc(), text, rect, dtfSingleLine | dtfNoClip, -1);
    EXPECT_GT(ink().Right, 60);
}

TEST(TextExtent, EmptyTextsAndMissingCanvases)
{
    fw::TFont font;
    EXPECT_EQ(TextExtentInFont(QString(), &font), fw::TSize{});
    EXPECT_GT(TextExtentInFont(QStringLiteral("Mm"), &font).cx, 0);
    EXPECT_EQ(TextExtentOnCanvas(QStringLiteral("Mm"), nullptr), fw::TSize{});
    fw::TBitmap bitmap;
    bitmap.SetSize(10, 10);
    EXPECT_EQ(TextExtentOnCanvas(QString(), bitmap.Canvas()), fw::TSize{});
    EXPECT_EQ(TextExtentOnCanvas(QStringLiteral("Mm"), bitmap.Canvas()),
              bitmap.Canvas()->TextExtent(QStringLiteral("Mm")));
    EXPECT_EQ(bitmap.Canvas()->LockCount(), 0);
}

TEST(TextCompare, IgnoresCaseAndComparesPrefixes)
{
    EXPECT_EQ(CompareTextNoCase(QStringLiteral("\u00c4bc"), QStringLiteral("\u00e4BC")), 0);
    EXPECT_LT(CompareTextNoCase(QStringLiteral("abc"), QStringLiteral("ABD")), 0);
    EXPECT_EQ(CompareTextPrefix(QStringLiteral("Hello world"), QStringLiteral("hELLO")), 0);
    EXPECT_NE(CompareTextPrefix(QStringLiteral("He"), QStringLiteral("hel")), 0);
    EXPECT_EQ(CompareTextPrefix(QStringLiteral("anything"), QString()), 0);
    EXPECT_EQ(LowerCaseWide(QStringLiteral("\u00c4B\u00df")), QStringLiteral("\u00e4b\u00df"));
}
