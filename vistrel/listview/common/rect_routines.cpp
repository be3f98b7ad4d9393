#include "listview/common/rect_routines.h"

#include <utility>

namespace vistrel::listview {

fw::TRect NormalizeRect(const fw::TRect& R)
{
    fw::TRect result = R;
    if (result.Left > result.Right)
        std::swap(result.Left, result.Right);
    if (result.Top > result.Bottom)
        std::swap(result.Top, result.Bottom);
    return result;
}

bool RectContainsRect(const fw::TRect& Outer, const fw::TRect& Inner)
{
    return Inner.Left >= Outer.Left && Inner.Right <= Outer.Right && Inner.Top >= Outer.Top &&
           Inner.Bottom <= Outer.Bottom;
}

bool IsRectValid(const fw::TRect& R)
{
    return R.Right >= R.Left && R.Bottom >= R.Top;
}

void CenterRectInRect(const fw::TRect& Container, const fw::TRect& Size, fw::TRect& Result)
{
    if (RectWidth(Container) < RectWidth(Size)) {
        Result.Left = Container.Left;
        Result.Right = Container.Right;
    } else {
        Result.Left = Container.Left + (RectWidth(Container) - RectWidth(Size)) / 2;
        Result.Right = Result.Left + RectWidth(Size);
    }
    if (RectHeight(Container) < RectHeight(Size)) {
        Result.Top = Container.Top;
        Result.Bottom = Container.Bottom;
    } else {
        Result.Top = Container.Top + (RectHeight(Container) - RectHeight(Size)) / 2;
        Result.Bottom = Result.Top + RectHeight(Size);
    }
}

}
