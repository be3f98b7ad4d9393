// The Qt widgets behind windows.

#include "qt_backing.h"

#include "platform/qt.h"

namespace platform::user {

void backing_created(HWND)
{
}
void backing_destroyed(HWND)
{
}
void backing_geometry_changed(HWND)
{
}
void backing_update(HWND, const QRect&)
{
}
void backing_focus(HWND)
{
}
void backing_cursor(HWND, HCURSOR)
{
}
void backing_cursor_position(POINT)
{
}
void backing_scroll_bars(HWND)
{
}
void backing_text(HWND)
{
}
void backing_enabled(HWND)
{
}

}

namespace platform {

PLATFORM_API QWidget* WidgetOf(HWND) noexcept
{
    return nullptr;
}

PLATFORM_API HWND WindowOf(const QWidget*) noexcept
{
    return nullptr;
}

PLATFORM_API bool HostWidget(HWND, QWidget*) noexcept
{
    return false;
}

}
