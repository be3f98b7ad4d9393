// Rectangle arithmetic of the control (rectangles are right- and bottom-exclusive).
#ifndef VISTREL_LISTVIEW_COMMON_RECT_ROUTINES_H
#define VISTREL_LISTVIEW_COMMON_RECT_ROUTINES_H

#include "framework/types.h"

namespace vistrel::listview {

constexpr int RectWidth(const fw::TRect& R)
{
    return R.Right - R.Left;
}

constexpr int RectHeight(const fw::TRect& R)
{
    return R.Bottom - R.Top;
}

// Swaps Left and Right, and Top and Bottom, where they are reversed.
fw::TRect NormalizeRect(const fw::TRect& R);
// Inner lies within Outer (edges may touch).
bool RectContainsRect(const fw::TRect& Outer, const fw::TRect& Inner);
// Right >= Left and Bottom >= Top.
bool IsRectValid(const fw::TRect& R);
// A rectangle of Size's width and height centred in Container; along an axis where
// Container is smaller it takes Container's edges.
void CenterRectInRect(const fw::TRect& Container, const fw::TRect& Size, fw::TRect& Result);

}

#endif
