// Small types that the list-view control and its common routines share: the blend
// modes of 32-bit bitmaps, drop effects, key states and mouse buttons in the control's
// own terms, vertical alignment, and the flag word of the text routine.
#ifndef VISTREL_LISTVIEW_COMMON_COMMON_TYPES_H
#define VISTREL_LISTVIEW_COMMON_COMMON_TYPES_H

#include "framework/types.h"

#include <cstdint>

namespace vistrel::listview {

enum TLqCommonBlendMode {
    cbmConstantAlpha,
    cbmPerPixelAlpha,
    cbmMasterAlpha,
    cbmConstantAlphaAndColor
};

enum TLqCommonDropEffect {
    cdeNone,
    cdeCopy,
    cdeMove,
    cdeLink,
    cdeScroll
};
// Bit n for value n.
using TLqCommonDropEffects = fw::TSet<TLqCommonDropEffect>;

enum TLqCommonKeyState {
    cksControl,
    cksLButton,
    cksMButton,
    cksRButton,
    cksShift,
    cksAlt,
    cksButton
};
using TLqCommonKeyStates = fw::TSet<TLqCommonKeyState>;

enum TLqCommonMouseButton {
    cmbNone,
    cmbLeft,
    cmbRight,
    cmbMiddle
};
// Bit n for value n.
using TLqCommonMouseButtons = fw::TSet<TLqCommonMouseButton>;

// Callers of DrawTextWithFlags turn it into the flag bits 4, 5 and 6.
enum TLqCommonVAlignment {
    cvaTop,
    cvaBottom,
    cvaCenter
};

// The flag word of DrawTextWithFlags.
using DrawTextFlags = uint32_t;
constexpr DrawTextFlags dtfSingleLine = 0x0001;
constexpr DrawTextFlags dtfLeft = 0x0002; // the default; no action
constexpr DrawTextFlags dtfRight = 0x0004;
constexpr DrawTextFlags dtfCenter = 0x0008; // wins over dtfRight
constexpr DrawTextFlags dtfTop = 0x0010;    // the default; no action
constexpr DrawTextFlags dtfBottom = 0x0020;
constexpr DrawTextFlags dtfVCenter = 0x0040;       // wins over dtfBottom
constexpr DrawTextFlags dtfCalcRect = 0x0080;      // measure only: the rectangle is written back
constexpr DrawTextFlags dtfCalcRectAlign = 0x0100; // with dtfCalcRect, see DrawTextWithFlags
constexpr DrawTextFlags dtfCalcRectKeepWidth = 0x0200;
constexpr DrawTextFlags dtfEndEllipsis = 0x0400;
constexpr DrawTextFlags dtfRtlReading = 0x2000;
constexpr DrawTextFlags dtfNoClip = 0x4000;

}

#endif
