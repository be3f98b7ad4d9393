#include "listview/common/text_routines.h"

#include "listview/common/rect_routines.h"

#include "framework/graphics.h"
#include "framework/sysutils.h"
#include "platform/user_paint.h"

#include <algorithm>

namespace vistrel::listview {

namespace {

TEXTMETRICA metrics_of(HDC dc)
{
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    return metrics;
}

int extent_of(HDC dc, const char16_t* text, int count)
{
    if (count <= 0)
        return 0;
    SIZE size{};
    GetTextExtentPoint32W(dc, text, count, &size);
    return size.cx;
}

int extent_of(HDC dc, const QString& text)
{
    return extent_of(dc, reinterpret_cast<const char16_t*>(text.utf16()),
                     static_cast<int>(text.size()));
}

bool is_line_end(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// The UTF-16 units of the character at index: two for a surrogate pair.
qsizetype units_at(const QString& text, qsizetype index)
{
    return text[index].isHighSurrogate() && index + 1 < text.size() &&
                   text[index + 1].isLowSurrogate()
               ? 2
               : 1;
}

void draw_single_line(HDC dc, const QString& text, fw::TRect& rect, DrawTextFlags flags)
{
    const TEXTMETRICA metrics = metrics_of(dc);
    fw::TRect line{rect.Left, rect.Top, rect.Right, rect.Top + metrics.tmHeight};
    if ((flags & dtfVCenter) != 0) {
        const int shift = (RectHeight(rect) - RectHeight(line)) / 2;
        line.Top += shift;
        line.Bottom += shift;
    } else if ((flags & dtfBottom) != 0) {
        const int shift = RectHeight(rect) - RectHeight(line);
        line.Top += shift;
        line.Bottom += shift;
    }
    int x = line.Left;
    const int y = line.Top;
    const QString shown =
        (flags & dtfEndEllipsis) != 0 ? ShortenWithEllipsis(dc, text, RectWidth(line)) : text;
    const int cx = extent_of(dc, shown);
    if ((flags & dtfCenter) != 0)
        x += (RectWidth(line) - cx) / 2;
    else if ((flags & dtfRight) != 0)
        x = line.Right - cx;

    if ((flags & dtfCalcRect) == 0) {
        UINT options = 0;
        if ((flags & dtfNoClip) == 0)
            options |= ETO_CLIPPED;
        if ((flags & dtfRtlReading) != 0)
            options |= ETO_RTLREADING;
        const RECT clip{line.Left, line.Top, line.Right, line.Bottom};
        const int old_mode = SetBkMode(dc, TRANSPARENT);
        ExtTextOutW(dc, x, y, options, &clip, reinterpret_cast<const char16_t*>(shown.utf16()),
                    static_cast<UINT>(shown.size()), nullptr);
        if (old_mode != 0)
            SetBkMode(dc, old_mode);
        return;
    }
    const fw::TRect given = rect;
    rect = fw::TRect{x, y, x + cx, line.Bottom};
    if (RectWidth(given) < cx) {
        if ((flags & dtfCalcRectKeepWidth) != 0) {
            rect.Left = given.Left;
            rect.Right = given.Right;
        }
        if ((flags & dtfCalcRectAlign) != 0)
            rect.Right = rect.Left + cx;
    }
}

fw::TRect united(const fw::TRect& a, const fw::TRect& b)
{
    return fw::TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                     std::max(a.Bottom, b.Bottom)};
}

}

void DrawTextWithFlags(HDC DC, const QString& Text, fw::TRect& Rect, DrawTextFlags Flags,
                       int MaxLines)
{
    if ((Flags & dtfSingleLine) != 0) {
        draw_single_line(DC, Text, Rect, Flags);
        return;
    }
    const TEXTMETRICA metrics = metrics_of(DC);
    std::vector<QString> lines;
    const int count = WrapTextToLines(DC, Text, RectWidth(Rect), lines, MaxLines);
    int offset = 0;
    if ((Flags & (dtfVCenter | dtfBottom)) != 0) {
        const int shown = MaxLines >= 0 && MaxLines < count ? MaxLines : count;
        offset = std::max(0, RectHeight(Rect) - metrics.tmHeight * shown);
        if ((Flags & dtfVCenter) != 0)
            offset /= 2;
    }
    const fw::TRect given = Rect;
    int laid_out = 0;
    for (size_t i = 0; i < lines.size() && (MaxLines < 0 || static_cast<int>(i) < MaxLines); ++i) {
        if (lines[i].isEmpty())
            break;
        const QString line = (Flags & dtfEndEllipsis) != 0
                                 ? ShortenWithEllipsis(DC, lines[i], RectWidth(given))
                                 : lines[i];
        const int y = static_cast<int>(i) * metrics.tmHeight + given.Top + offset;
        fw::TRect line_rect{given.Left, y, given.Right, y + metrics.tmHeight};
        draw_single_line(DC, line, line_rect, Flags | dtfSingleLine);
        if ((Flags & dtfCalcRect) != 0)
            Rect = laid_out == 0 ? line_rect : united(Rect, line_rect);
        ++laid_out;
    }
    if (laid_out == 0 && (Flags & dtfCalcRect) != 0) {
        if ((Flags & dtfCalcRectAlign) != 0)
            Rect = fw::TRect{given.Left, given.Top, given.Left, given.Top + metrics.tmHeight};
        else
            Rect = fw::TRect{given.Left, given.Top, given.Left + metrics.tmAveCharWidth, given.Top};
    }
}

int WrapTextToLines(HDC DC, const QString& Text, int Width, std::vector<QString>& Lines,
                    int MaxLines)
{
    Lines.clear();
    if (Width == 0)
        return 0;
    if (Width < metrics_of(DC).tmMaxCharWidth) {
        if (Text.isEmpty())
            return 0;
        Lines.push_back(Text);
        return 1;
    }
    const qsizetype length = Text.size();
    const auto* units = reinterpret_cast<const char16_t*>(Text.utf16());
    qsizetype position = 0;
    while (position < length && (MaxLines == -1 || static_cast<int>(Lines.size()) < MaxLines)) {
        const qsizetype start = position;
        qsizetype end = length;
        if (MaxLines == -1 || static_cast<int>(Lines.size()) + 1 < MaxLines) {
            int sum = 0;
            qsizetype blank = -1;
            qsizetype i = start;
            bool exceeded = false;
            while (i < length && !is_line_end(Text[i])) {
                const qsizetype step = units_at(Text, i);
                const int width = extent_of(DC, units + i, static_cast<int>(step));
                if (sum + width > Width) {
                    exceeded = true;
                    break;
                }
                sum += width;
                i += step;
                if (i < length && Text[i] == u' ')
                    blank = i;
            }
            end = i;
            if (exceeded) {
                // Back to the last blank that fitted; without one the line breaks inside
                // the word, but it always takes a character, so the text moves on.
                if (blank > start)
                    end = blank;
                else if (end == start)
                    end = start + units_at(Text, start);
            }
        }
        Lines.push_back(Text.mid(start, end - start));
        position = end;
        while (position < length && (is_line_end(Text[position]) || Text[position] == u' '))
            ++position;
    }
    return static_cast<int>(Lines.size());
}

QString ShortenWithEllipsis(HDC DC, const QString& Text, int Width)
{
    if (Text.isEmpty())
        return Text;
    if (extent_of(DC, Text) <= Width)
        return Text;
    const QString ellipsis = QStringLiteral("...");
    const int ellipsis_width = extent_of(DC, ellipsis);
    qsizetype lo = 0;
    qsizetype hi = Text.size() - 1;
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (Width < extent_of(DC, Text.left(mid)) + ellipsis_width)
            hi = mid - 1;
        else
            lo = mid;
    }
    return Text.left(lo) + ellipsis;
}

void MeasureTextOnDC(const QString& Text, HDC DC, fw::TSize& Size)
{
    SIZE size{};
    GetTextExtentPoint32W(DC, reinterpret_cast<const char16_t*>(Text.utf16()),
                          static_cast<int>(Text.size()), &size);
    Size = fw::TSize{size.cx, size.cy};
}

fw::TSize TextExtentInFont(const QString& Text, fw::TFont* Font)
{
    if (Text.isEmpty())
        return {};
    const HDC screen = GetDC(nullptr);
    fw::TSize size;
    {
        fw::TCanvas canvas;
        canvas.SetHandle(screen);
        canvas.Lock();
        if (Font != nullptr)
            canvas.Font()->Assign(Font);
        size = canvas.TextExtent(Text);
        canvas.Unlock();
        canvas.SetHandle(nullptr);
    }
    ReleaseDC(nullptr, screen);
    return size;
}

fw::TSize TextExtentOnCanvas(const QString& Text, fw::TCanvas* Canvas)
{
    if (Text.isEmpty() || Canvas == nullptr)
        return {};
    Canvas->Lock();
    const fw::TSize size = Canvas->TextExtent(Text);
    Canvas->Unlock();
    return size;
}

int CompareTextNoCase(const QString& A, const QString& B)
{
    return fw::CompareText(A, B);
}

int CompareTextPrefix(const QString& A, const QString& B)
{
    return fw::CompareText(B, A.left(B.size()));
}

QString LowerCaseWide(const QString& Text)
{
    return fw::AnsiLowerCase(Text);
}

}
