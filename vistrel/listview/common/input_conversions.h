// Conversions between the platform's key, mouse and drop-effect flags and the
// control's own sets, and the drag detection of a pressed mouse button.
#ifndef VISTREL_LISTVIEW_COMMON_INPUT_CONVERSIONS_H
#define VISTREL_LISTVIEW_COMMON_INPUT_CONVERSIONS_H

#include "listview/common/common_types.h"

#include "framework/types.h"
#include "platform/win_types.h"

#include <cstdint>

namespace vistrel::listview {

// The platform's drop effects.
constexpr uint32_t DROPEFFECT_NONE = 0;
constexpr uint32_t DROPEFFECT_COPY = 1;
constexpr uint32_t DROPEFFECT_MOVE = 2;
constexpr uint32_t DROPEFFECT_LINK = 4;
constexpr uint32_t DROPEFFECT_SCROLL = 0x80000000u;

// ssShift and ssCtrl from the keyboard state, ssAlt from bit 29 of the key data.
fw::TShiftState KeyDataToShiftStates(LPARAM KeyData);
uint32_t DropEffectToNative(TLqCommonDropEffect Effect);
// cdeNone for 0 and for the scroll flag alone (which adds cdeScroll).
TLqCommonDropEffects NativeToDropEffects(uint32_t Effects);
uint32_t DropEffectsToNative(TLqCommonDropEffects Effects);
// From the MK_ flags; any button adds cksButton.
TLqCommonKeyStates NativeToKeyStates(uint32_t Keys);
// The left button wins, then the middle, then the right.
TLqCommonMouseButton NativeToMouseButton(uint32_t Keys);
// Control copies, Alt or Control with Shift links, anything else moves.
TLqCommonDropEffect KeyStatesToDropEffect(TLqCommonKeyStates States);

// With a button pressed at ClientPoint in Window: captures the mouse and takes the
// window's messages until the mouse leaves the drag rectangle round the point (true)
// or a button goes up, the capture is cancelled or the program is to quit (false;
// that message is posted again). The capture is given back to Window when it had it.
// False when the point cannot be mapped to the screen.
bool DetectDrag(HWND Window, fw::TPoint ClientPoint);

}

#endif
