// What the window functions tell the Qt side about a window. Each call does nothing for
// a window that no Qt widget backs. All are made without the user lock, on the window's
// thread.
#ifndef PLATFORM_SRC_QT_BACKING_H
#define PLATFORM_SRC_QT_BACKING_H

#include "platform/user_windows.h"

#include <QtCore/QRect>

namespace platform::user {

// A window was created: it gets a widget when its parent has one.
void backing_created(HWND window);
// The window is going away: its widget goes with it.
void backing_destroyed(HWND window);
// The rectangle, visibility, z-order, frame or show state changed; a window becoming
// visible gets its widget now when a Qt application exists.
void backing_geometry_changed(HWND window);
// New pixels in the window's surface (window coordinates): Qt shows them.
void backing_update(HWND window, const QRect& rect);
// The platform's focus moved to the window (NULL: to none).
void backing_focus(HWND window);
// The cursor shown over the window changed (NULL hides it).
void backing_cursor(HWND window, HCURSOR cursor);
// The pointer was moved by SetCursorPos.
void backing_cursor_position(POINT point);
// The window's scroll bars changed (range, page, position, visibility).
void backing_scroll_bars(HWND window);
// The window's text changed (a top-level window's title).
void backing_text(HWND window);
// The window was enabled or disabled.
void backing_enabled(HWND window);

}

#endif
