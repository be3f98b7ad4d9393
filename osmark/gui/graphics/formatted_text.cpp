// Formatted text: escape codes, line breaks, alignment, cutting, wrapping and turning,
// drawn and measured only through the port's own calls.

#include "osmark/formatted_text.h"

#include "osmark/fonts.h"
#include "osmark/memory.h"
#include "osmark/regions.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

constexpr char kEsc = 0x1B;
constexpr uint32_t kStackCopy = 512;

constexpr Colour kDigitColours[16] = {
    0x000000, 0xA00000, 0x00A000, 0xA0A000, 0x0000A0, 0xA000A0, 0x0050A0, 0xC0C0C0,
    0x505050, 0xFF5050, 0x50FF50, 0xFFFF50, 0x5050FF, 0xFF50FF, 0x50FFFF, 0xFFFFFF,
};

enum Align : uint8_t {
    AlignLeft = 0,
    AlignCentre = 1,
    AlignRight = 2
};

// The private copy of the text, converted; NUL-terminated, with one byte more.
class WorkingCopy {
public:
    WorkingCopy(const char* text, uint32_t length, bool convert)
    {
        const size_t given = strnlen(text, length);
        if (given + 2 > kStackCopy + 2) {
            m_heap = static_cast<char*>(AllocVec(static_cast<uint32_t>(given + 2)));
            if (m_heap == nullptr)
                return;
            m_text = m_heap;
        } else {
            m_text = m_stack;
        }
        size_t out = 0;
        for (size_t i = 0; i < given; ++i) {
            const char c = text[i];
            if (c == '\r')
                continue;
            if (!convert) {
                m_text[out++] = c;
                continue;
            }
            if (c == '^') {
                m_text[out++] = '\n';
            } else if (c == '~') {
                if (i + 1 >= given)
                    break; // a final '~' is dropped
                const char next = text[++i];
                const char upper =
                    static_cast<char>(std::toupper(static_cast<unsigned char>(next)));
                if (std::isdigit(static_cast<unsigned char>(next)) ||
                    (upper >= 'A' && upper <= 'F') || upper == 'X') {
                    m_text[out++] = kEsc;
                    m_text[out++] = upper;
                } else if (next != '\r') {
                    m_text[out++] = next;
                }
            } else {
                m_text[out++] = c;
            }
        }
        m_text[out] = '\0';
        m_text[out + 1] = '\0';
        m_length = static_cast<int32_t>(out);
    }
    ~WorkingCopy() { FreeVec(m_heap); }
    WorkingCopy(const WorkingCopy&) = delete;
    WorkingCopy& operator=(const WorkingCopy&) = delete;

    bool valid() const { return m_text != nullptr; }
    const char* text() const { return m_text; }
    int32_t length() const { return m_length; }

private:
    char m_stack[kStackCopy + 2];
    char* m_heap = nullptr;
    char* m_text = nullptr;
    int32_t m_length = 0;
};

struct TextState {
    uint8_t style = 0;
    bool underline = false;
    bool strike = false;
    bool escapes = true;
    Colour colour = 0;
    uint8_t align = AlignLeft;
};

uint8_t style_index_of(const TextFont* font)
{
    if (font == nullptr)
        return 0;
    const bool bold = (font->tf_Style & FSF_BOLD) != 0;
    const bool italic = (font->tf_Style & FSF_ITALIC) != 0;
    return bold ? (italic ? 2 : 1) : (italic ? 3 : 0);
}

bool is_align_code(char code)
{
    return code == 'c' || code == 'l' || code == 'r';
}

uint8_t align_of(char code)
{
    return code == 'c' ? AlignCentre : code == 'r' ? AlignRight : AlignLeft;
}

// One call's context: the port, its font cache, the turn and the start's A pen.
class Formatter {
public:
    Formatter(RastPort* rp, const char* text, int32_t length)
        : m_rp(rp), m_text(text), m_length(length), m_start_pen(GetAPen(rp)), m_font(GetFont(rp))
    {
    }
    ~Formatter()
    {
        SetFont(m_rp, m_font);
        for (TextFont*& slot : m_cache) {
            CloseFont(slot);
            slot = nullptr;
        }
    }
    Formatter(const Formatter&) = delete;
    Formatter& operator=(const Formatter&) = delete;

    TextState fresh_state() const
    {
        TextState state;
        state.style = style_index_of(m_font);
        state.underline = m_font != nullptr && (m_font->tf_Style & FSF_UNDERLINED) != 0;
        state.strike = m_font != nullptr && (m_font->tf_Style & FSF_STRIKEOUT) != 0;
        state.colour = m_start_pen;
        return state;
    }
    char at(int32_t i) const { return i >= 0 && i <= m_length ? m_text[i] : '\0'; }
    int32_t line_height() const { return font_size() + m_rp->rp_LineSpacing; }
    int32_t font_size() const { return m_font != nullptr ? m_font->tf_YSize : 0; }
    Colour start_pen() const { return m_start_pen; }

    void use_style(uint8_t style)
    {
        if (m_cache[style] == nullptr)
            m_cache[style] = GetSoftStyle(m_rp, style);
        SetFont(m_rp, m_cache[style]);
    }

    // The effect of one escape code on the state; alignment codes are the caller's.
    void apply(TextState& state, char code, bool measuring = false) const
    {
        if (code == '+') {
            state.escapes = true;
            return;
        }
        if (!state.escapes)
            return;
        switch (code) {
        case '-':
            state.escapes = false;
            break;
        case 'b':
            state.style = state.style == 0 ? 1 : state.style == 3 ? 2 : state.style;
            break;
        case 'i':
            state.style = state.style == 0 ? 3 : state.style == 1 ? 2 : state.style;
            break;
        case 'n':
            state.style = 0;
            if (!measuring) {
                state.underline = false;
                state.strike = false;
            }
            break;
        case 's':
            state.strike = true;
            break;
        case 'u':
            state.underline = true;
            break;
        case 'X':
        case 'x':
            state.colour = m_start_pen;
            break;
        default:
            if (code >= '0' && code <= '9')
                state.colour = kDigitColours[code - '0'];
            else if (code >= 'A' && code <= 'F')
                state.colour = kDigitColours[code - 'A' + 10];
            break;
        }
    }

    // Width of the first n positions from start, with the state given by value.
    int32_t measure(int32_t start, int32_t n, TextState state)
    {
        use_style(state.style);
        int32_t width = 0;
        int32_t i = start;
        const int32_t end = start + n;
        while (i < end) {
            int32_t run = i;
            while (run < end && at(run) != kEsc && at(run) != '\n' && at(run) != '\0')
                ++run;
            if (run > i)
                width += TextLength(m_rp, m_text + i, run - i);
            if (run >= end)
                break; // n positions used up: no overhang taken off
            width -= overhang();
            if (at(run) != kEsc)
                break;
            const char code = at(run + 1);
            if (code == '\0')
                break;
            const uint8_t before = state.style;
            apply(state, code, true);
            if (state.style != before)
                use_style(state.style);
            i = run + 2;
        }
        return width;
    }

    // Leading positions of a line of n positions that are narrower than width.
    int32_t fit(int32_t start, int32_t n, int32_t width, const TextState& state)
    {
        const int32_t full = measure(start, n, state);
        if (full < width)
            return n;
        const TextFont* font = GetFont(m_rp);
        // An average width of 0 counts as 1: no division by zero.
        const int32_t average = font != nullptr && font->tf_AvgWidth > 0 ? font->tf_AvgWidth : 1;
        int32_t g = n - (full - width) / average;
        g = std::clamp(g, 1, std::max(n, 1));
        if (measure(start, g, state) < width) {
            do {
                g += 1;
                if (at(start + g) == kEsc)
                    g += 2;
            } while (g <= n && measure(start, g, state) < width);
            g -= 1;
        } else if (measure(start, g, state) > width) {
            do {
                if (g == 0)
                    return 0;
                g -= 1;
                if (g > 0 && at(start + g) == kEsc)
                    g -= 1;
            } while (measure(start, g, state) > width);
        }
        g = std::min(g, n);
        while (g > 0 && (at(start + g) == kEsc || at(start + g - 1) == kEsc))
            --g;
        return g;
    }

    // Where the layout's points land: turned about the real box's bottom-right corner.
    void set_turn(int32_t turn, const RectangleBox& box)
    {
        m_turn = turn;
        m_pivot_x = box.x1;
        m_pivot_y = box.y1;
    }
    void turn(int32_t& x, int32_t& y) const
    {
        const int32_t px = m_pivot_x;
        const int32_t py = m_pivot_y;
        const int32_t ox = x;
        const int32_t oy = y;
        switch (m_turn) {
        case 900:
            x = px + oy - py;
            y = py - (ox - px);
            break;
        case 1800:
            x = 2 * px - ox;
            y = 2 * py - oy;
            break;
        case 2700:
            x = px - (oy - py);
            y = py + ox - px;
            break;
        default:
            break;
        }
    }
    void move(int32_t x, int32_t y)
    {
        turn(x, y);
        Move(m_rp, x, y);
    }
    void draw(int32_t x, int32_t y)
    {
        turn(x, y);
        Draw(m_rp, x, y);
    }

    // Draws the run in the current font and colour at (x, y), advancing x.
    void draw_run(const char* run, int32_t count, int32_t& x, int32_t y, const TextState& state)
    {
        use_style(state.style);
        SetAPen(m_rp, state.colour);
        move(x, y);
        Text(m_rp, run, count);
        const int32_t start = x;
        x += TextLength(m_rp, run, count) - overhang();
        const TextFont* font = GetFont(m_rp);
        const int32_t ascent = font != nullptr ? font->tf_Ascent : 0;
        if (state.underline) {
            move(start, y + ascent + 1);
            draw(x, y + ascent + 1);
        }
        if (state.strike) {
            move(start, y + ascent / 2);
            draw(x, y + ascent / 2);
        }
    }

    // Applies the escape pairs among the positions from..to - 1.
    void apply_range(TextState& state, int32_t from, int32_t to) const
    {
        for (int32_t i = from; i < to; ++i) {
            if (at(i) == kEsc && at(i + 1) != '\0') {
                apply(state, at(i + 1));
                ++i;
            }
        }
    }

    // One line of n positions from start at (x, y), y its top; the state carries on.
    void draw_line(int32_t start, int32_t n, int32_t x, int32_t y, bool mark, TextState& state)
    {
        if (n < 1)
            return;
        int32_t k = n;
        int32_t dots = 0;
        if (mark) {
            if (n <= 3) {
                k = 1;
                dots = n - 1;
            } else {
                while (dots < 3 && k > 0) {
                    if (at(start + k) != kEsc && at(start + k - 1) != kEsc)
                        ++dots;
                    --k;
                }
                if (k == 0)
                    k = 1;
                if (at(start) == kEsc && k <= 2) {
                    k = 3;
                    dots = n - 3;
                }
                k = std::min(k, n);
            }
        }
        int32_t i = start;
        const int32_t end = start + k;
        while (i < end) {
            int32_t run = i;
            while (run < end && at(run) != kEsc && at(run) != '\0')
                ++run;
            if (run > i)
                draw_run(m_text + i, run - i, x, y, state);
            if (run >= end || at(run) != kEsc)
                break;
            if (at(run + 1) != '\0')
                apply(state, at(run + 1));
            i = run + 2;
        }
        if (dots > 0)
            draw_run("...", dots, x, y, state);
        apply_range(state, end, start + n);
        use_style(state.style);
    }

private:
    int32_t overhang() const
    {
        const TextFont* font = GetFont(m_rp);
        return font != nullptr ? font->tf_Overhang : 0;
    }

    RastPort* m_rp;
    const char* m_text;
    int32_t m_length;
    Colour m_start_pen;
    TextFont* m_font;
    TextFont* m_cache[4] = {nullptr, nullptr, nullptr, nullptr};
    int32_t m_turn = 0;
    int32_t m_pivot_x = 0;
    int32_t m_pivot_y = 0;
};

int32_t turn_of(const TextFont* font)
{
    const int32_t escapement = font != nullptr ? font->tf_Escapement : 0;
    return escapement == 900 || escapement == 1800 || escapement == 2700 ? escapement : 0;
}

RectangleBox virtual_box(const RectangleBox& box, int32_t turn)
{
    const int32_t w = box.x1 - box.x0;
    const int32_t h = box.y1 - box.y0;
    switch (turn) {
    case 900:
        return {box.x1, box.y1 - w, box.x1 + h, box.y1};
    case 1800:
        return {box.x1, box.y1, 2 * box.x1 - box.x0, 2 * box.y1 - box.y0};
    case 2700:
        return {box.x1 - h, box.y1, box.x1, box.y1 + w};
    default:
        return box;
    }
}

int32_t aligned_x(const RectangleBox& area, uint8_t align, int32_t width)
{
    switch (align) {
    case AlignCentre:
        return area.x0 + (area.x1 - area.x0 - width) / 2;
    case AlignRight:
        return area.x1 - width;
    default:
        return area.x0;
    }
}

void single_line(Formatter& f, RastPort* rp, const WorkingCopy& copy, const RectangleBox& box,
                 const RectangleBox& area, uint32_t flags)
{
    TextState state = f.fresh_state();
    state.align = (flags & FT_CENTRE) != 0  ? AlignCentre
                  : (flags & FT_RIGHT) != 0 ? AlignRight
                                            : AlignLeft;
    if (f.at(0) == kEsc && is_align_code(f.at(1)))
        state.align = align_of(f.at(1));
    const char* newline = std::strchr(copy.text(), '\n');
    int32_t n = newline != nullptr ? static_cast<int32_t>(newline - copy.text()) : copy.length();
    const int32_t width = area.x1 - area.x0;
    while (n > 0 && f.fit(0, n, width, state) < n)
        --n;
    PushClipRect(rp, &box, 2);
    f.draw_line(0, n, aligned_x(area, state.align, f.measure(0, n, state)), area.y0, false, state);
    PopClipRegion(rp);
}

bool is_white(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// One pass of the multi-line mode; the counting pass only counts wraps.
void multi_line_pass(Formatter& f, const WorkingCopy& copy, const RectangleBox& area,
                     uint32_t flags, bool counting, int32_t breaks, int32_t& wraps)
{
    TextState state = f.fresh_state();
    state.align = (flags & FT_CENTRE) != 0  ? AlignCentre
                  : (flags & FT_RIGHT) != 0 ? AlignRight
                                            : AlignLeft;
    const int32_t top = area.y0;
    const int32_t bottom = area.y1;
    const int32_t size = f.font_size();
    const int32_t line = f.line_height();
    const int32_t box_width = area.x1 - area.x0;
    const bool clip = (flags & FT_CLIP) != 0;
    const int32_t length = copy.length();
    int32_t y = top;
    if (!counting) {
        if ((flags & FT_VCENTRE) != 0)
            y = breaks == 0 ? (top + bottom - size) / 2
                            : top + (bottom - size - breaks * line - top) / 2;
        else if ((flags & FT_BOTTOM) != 0)
            y = bottom - size - breaks * line;
        if (clip && y < top)
            y = top;
    }
    int32_t s = 0;
    if (f.at(0) == kEsc && is_align_code(f.at(1))) {
        if (length < 2)
            return;
        state.align = align_of(f.at(1));
    }
    for (;;) {
        if (clip && y > bottom - size + 1)
            return;
        int32_t e = s;
        while (e < length && f.at(e) != '\n' && f.at(e) != '\0')
            ++e;
        const int32_t n = e - s;
        int32_t d = n;
        int32_t next = e;
        bool mark = false;
        if (clip && f.measure(s, n, state) > box_width) {
            const bool room = y + line <= bottom - size + 1;
            const int32_t fitted = f.fit(s, n, box_width, state);
            bool wrapped = false;
            if ((flags & FT_WRAP) != 0 && room) {
                for (int32_t c = s + fitted; c >= s + 1; --c) {
                    if (is_white(f.at(c)) && f.measure(s, c - s, state) <= box_width) {
                        d = c - s;
                        next = c + 1;
                        wrapped = true;
                        ++wraps;
                        break;
                    }
                }
                if (!wrapped) {
                    mark = (flags & FT_DOTS) != 0;
                    d = fitted;
                    next = e;
                    for (int32_t p = s + 1; p < e; ++p) {
                        if (is_white(f.at(p))) {
                            next = p + 1;
                            ++wraps;
                            break;
                        }
                    }
                }
            } else {
                mark = (flags & FT_DOTS) != 0;
                d = fitted;
            }
        }
        if (!counting) {
            const int32_t width = f.measure(s, d, state);
            f.draw_line(s, d, aligned_x(area, state.align, width), y, mark, state);
        }
        f.apply_range(state, s + d, std::min(next, e));
        if (next < e) {
            // A wrap: the next line starts within this one.
            s = next;
            y += line;
            continue;
        }
        if (e >= length || f.at(e) == '\0')
            return;
        s = e + 1;
        y += line;
        while (s < length && f.at(s) == '\n') {
            ++s;
            y += line;
        }
        if (f.at(s) == kEsc && is_align_code(f.at(s + 1))) {
            state.align = align_of(f.at(s + 1));
            s += 2;
        }
    }
}

}

extern "C" {

OSMARK_API void FText(RastPort* rp, const char* text, uint32_t length, const RectangleBox* box,
                      uint32_t flags) noexcept
{
    if (rp == nullptr || text == nullptr || box == nullptr)
        return;
    if (length == 0) {
        if ((flags & FT_FILL) != 0)
            RectangleFill(rp, box);
        return;
    }
    if (rp->rp_Lock == 1 || box->x1 <= box->x0 || box->y1 <= box->y0)
        return;
    const WorkingCopy copy(text, length, (flags & FT_NOCONVERT) == 0);
    if (!copy.valid())
        return;
    const int32_t mode = GetDrMd(rp);
    const Colour pen = GetAPen(rp);
    {
        Formatter f(rp, copy.text(), copy.length());
        int32_t breaks = 0;
        for (int32_t i = 0; i < copy.length(); ++i)
            breaks += copy.text()[i] == '\n' ? 1 : 0;
        if ((flags & FT_FILL) != 0)
            RectangleFill(rp, box);
        if ((flags & FT_KEEPDRAWMODE) == 0)
            SetDrMd(rp, DrawModeTransparent);
        const int32_t turn = turn_of(GetFont(rp));
        f.set_turn(turn, *box);
        const RectangleBox area = virtual_box(*box, turn);
        const int32_t height = area.y1 > area.y0 ? area.y1 - area.y0 : area.y0 - area.y1;
        if (height <= f.font_size() && (flags & (FT_CLIP | FT_SINGLELINE)) != 0) {
            single_line(f, rp, copy, *box, area, flags);
        } else {
            int32_t wraps = 0;
            if ((flags & FT_WRAP) != 0)
                multi_line_pass(f, copy, area, flags, true, 0, wraps);
            int32_t unused = 0;
            multi_line_pass(f, copy, area, flags, false, breaks + wraps, unused);
        }
        SetDrMd(rp, mode);
    }
    SetAPen(rp, pen);
}

OSMARK_API void FTextExtent(RastPort* rp, const char* text, uint32_t length, int32_t* extent,
                            uint32_t flags) noexcept
{
    if (extent == nullptr)
        return;
    extent[0] = 0;
    extent[1] = 0;
    if (rp == nullptr || text == nullptr || length == 0)
        return;
    const WorkingCopy copy(text, length, (flags & FT_NOCONVERT) == 0);
    if (!copy.valid())
        return;
    const Colour pen = GetAPen(rp);
    {
        Formatter f(rp, copy.text(), copy.length());
        int32_t lines = 1;
        int32_t widest = 0;
        int32_t s = 0;
        const int32_t length_of_copy = copy.length();
        while (s <= length_of_copy) {
            if (f.at(s) == kEsc && is_align_code(f.at(s + 1)))
                s += 2;
            int32_t e = s;
            while (e < length_of_copy && f.at(e) != '\n' && f.at(e) != '\0')
                ++e;
            if (e > s) {
                TextState state = f.fresh_state();
                state.escapes = true;
                widest = std::max(widest, f.measure(s, e - s, state));
            }
            if (e >= length_of_copy || f.at(e) != '\n')
                break;
            ++lines;
            s = e + 1;
        }
        extent[0] = widest;
        extent[1] = lines * f.line_height();
    }
    SetAPen(rp, pen);
}
}
