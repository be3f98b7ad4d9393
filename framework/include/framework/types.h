// Basic types of the framework: points, rectangles and sizes with the layouts of
// Win32's POINT, RECT and SIZE, colours, small sets, alignment, cursors, window
// message records and the framework's own message numbers, and the style enums
// whose ordinals are stored in files.
//
// Rectangles are right- and bottom-exclusive, as Win32's. Colours are 0x00BBGGRR
// for a direct colour and 0xFF0000nn for system colour n (Win32's COLOR_* index).
#ifndef FRAMEWORK_TYPES_H
#define FRAMEWORK_TYPES_H

#include "platform/win_types.h"

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace fw {

// ---- Points, sizes, rectangles ---------------------------------------------------

// Same layout as POINT (two LONGs).
struct TPoint {
    LONG X = 0;
    LONG Y = 0;

    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

// Same layout as SIZE.
struct TSize {
    LONG cx = 0;
    LONG cy = 0;

    friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

// Same layout as RECT; Right and Bottom are exclusive.
struct TRect {
    LONG Left = 0;
    LONG Top = 0;
    LONG Right = 0;
    LONG Bottom = 0;

    constexpr LONG Width() const { return Right - Left; }
    constexpr LONG Height() const { return Bottom - Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(TPoint p) const
    {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }

    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TPoint Point(LONG x, LONG y)
{
    return {x, y};
}

constexpr TRect Rect(LONG left, LONG top, LONG right, LONG bottom)
{
    return {left, top, right, bottom};
}

constexpr TRect Bounds(LONG left, LONG top, LONG width, LONG height)
{
    return {left, top, left + width, top + height};
}

// ---- Sets ------------------------------------------------------------------------

// A set of the members of a small enumeration (ordinals 0 .. 63), as the framework's
// option sets (shift state, component state, font styles) are.
template <typename E>
class TSet {
    static_assert(std::is_enum_v<E>, "a set holds members of an enumeration");

public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members)
    {
        for (const E member : members)
            Include(member);
    }

    constexpr bool Contains(E member) const { return (m_bits & bit(member)) != 0; }
    constexpr bool Empty() const { return m_bits == 0; }
    constexpr TSet& Include(E member)
    {
        m_bits |= bit(member);
        return *this;
    }
    constexpr TSet& Exclude(E member)
    {
        m_bits &= ~bit(member);
        return *this;
    }

    constexpr TSet operator+(TSet other) const { return from_bits(m_bits | other.m_bits); }
    constexpr TSet operator-(TSet other) const { return from_bits(m_bits & ~other.m_bits); }
    constexpr TSet operator*(TSet other) const { return from_bits(m_bits & other.m_bits); }
    friend constexpr bool operator==(TSet, TSet) = default;

private:
    static constexpr uint64_t bit(E member) { return uint64_t{1} << static_cast<unsigned>(member); }
    static constexpr TSet from_bits(uint64_t bits)
    {
        TSet set;
        set.m_bits = bits;
        return set;
    }

    uint64_t m_bits = 0;
};

// ---- Shift state, alignment, cursors ---------------------------------------------

enum TShiftStateItem {
    ssShift,
    ssAlt,
    ssCtrl,
    ssLeft,
    ssRight,
    ssMiddle,
    ssDouble
};
using TShiftState = TSet<TShiftStateItem>;

enum TMouseButton {
    mbLeft,
    mbRight,
    mbMiddle
};

enum TAlign {
    alNone,
    alTop,
    alBottom,
    alLeft,
    alRight,
    alClient,
    alCustom
};

using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crHandPoint = -21;

// ---- Colours ---------------------------------------------------------------------

using TColor = int32_t;

constexpr TColor SystemColor(int index)
{
    return static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(index));
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colours: 0xFF000000 plus Win32's COLOR_* index.
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);

// The colour as 0x00BBGGRR: a system colour becomes the platform's colour for its
// index (GetSysColor); any other value stays as it is.
TColor ColorToRGB(TColor color);

// ---- Pen, brush and font styles (ordinals are stored in files) ---------------------

enum TPenStyle {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame,
    psUserStyle,
    psAlternate
};

enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};

enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

enum TFontStyle {
    fsBold,
    fsItalic,
    fsUnderline,
    fsStrikeOut
};
using TFontStyles = TSet<TFontStyle>;

// ---- Window messages --------------------------------------------------------------

// A window message as the framework's handlers receive it; the handler's answer goes
// into Result.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

constexpr WORD LoWord(uintptr_t value)
{
    return static_cast<WORD>(value & 0xFFFFu);
}

constexpr WORD HiWord(uintptr_t value)
{
    return static_cast<WORD>((value >> 16) & 0xFFFFu);
}

// Mouse messages (WM_MOUSEMOVE, WM_xBUTTONDOWN/UP/DBLCLK): MK_* keys in WParam,
// signed 16-bit client coordinates in LParam.
struct TWMMouse {
    UINT Msg;
    WPARAM Keys;
    int16_t XPos;
    int16_t YPos;

    static constexpr TWMMouse From(const TMessage& message)
    {
        return {message.Msg, message.WParam,
                static_cast<int16_t>(LoWord(static_cast<uintptr_t>(message.LParam))),
                static_cast<int16_t>(HiWord(static_cast<uintptr_t>(message.LParam)))};
    }
};

// WM_MOUSEWHEEL: MK_* keys in the low word of WParam, the signed delta (120 per notch)
// in its high word, the screen point in LParam.
struct TWMMouseWheel {
    UINT Msg;
    WORD Keys;
    int16_t WheelDelta;
    int16_t XPos;
    int16_t YPos;

    static constexpr TWMMouseWheel From(const TMessage& message)
    {
        return {message.Msg, LoWord(message.WParam), static_cast<int16_t>(HiWord(message.WParam)),
                static_cast<int16_t>(LoWord(static_cast<uintptr_t>(message.LParam))),
                static_cast<int16_t>(HiWord(static_cast<uintptr_t>(message.LParam)))};
    }
};

// WM_KEYDOWN, WM_KEYUP, WM_CHAR: the virtual key or character in WParam, the key data
// (repeat count, scan code, flags) in LParam.
struct TWMKey {
    UINT Msg;
    WORD CharCode;
    LPARAM KeyData;

    static constexpr TWMKey From(const TMessage& message)
    {
        return {message.Msg, LoWord(message.WParam), message.LParam};
    }
};

// WM_SIZE: the kind of change in WParam, the new client width and height in LParam.
struct TWMSize {
    UINT Msg;
    WPARAM SizeType;
    WORD Width;
    WORD Height;

    static constexpr TWMSize From(const TMessage& message)
    {
        return {message.Msg, message.WParam, LoWord(static_cast<uintptr_t>(message.LParam)),
                HiWord(static_cast<uintptr_t>(message.LParam))};
    }
};

// The framework's own messages. They travel between controls only (Perform), never
// through the platform's queue. CM_MOUSEWHEEL keeps its well-known number: code that
// tests for it by number must see the same value.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 16;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_DRAG = CM_BASE + 47;
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_HINTSHOWPAUSE = CM_BASE + 65;
constexpr UINT CM_MOUSEWHEEL = CM_BASE + 67;
static_assert(CM_MOUSEWHEEL == 0xB043);

}

#endif
