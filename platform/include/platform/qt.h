/*
 * The bridge between the platform's windows and Qt, for the framework stand-in and for
 * tests. C++ only: it names Qt types.
 *
 * Windows are headless until shown while the program has a QApplication; then a
 * QWidget backs each shown window (a top-level widget for a top-level window, a child
 * widget inside its parent's for a child window). The widget only shows the window's
 * retained surface and turns Qt input into posted messages; the platform stays the
 * source of truth for geometry, focus, capture and painting.
 */
#ifndef PLATFORM_QT_H
#define PLATFORM_QT_H

#ifndef __cplusplus
#error "platform/qt.h is for C++ callers only"
#endif

#include "platform/api.h"
#include "platform/gdi.h"
#include "platform/win_types.h"

#include <QtCore/qnamespace.h>

#include <cstdint>

class QImage;
class QString;
class QWidget;

namespace platform {

/*
 * The widget behind the window, made now when the program has a QApplication and the
 * window has none yet (its ancestors get theirs too); it is shown only while the window
 * is visible. NULL for a window that does not exist, without a QApplication, or on a
 * thread other than the application's. The widget belongs to the window: it goes when
 * the window is destroyed, with every widget placed inside it.
 */
PLATFORM_API QWidget* WidgetOf(HWND window) noexcept;
/* The window whose widget is `widget` or holds it (a hosted widget), or NULL. */
PLATFORM_API HWND WindowOf(const QWidget* widget) noexcept;
/*
 * Places a Qt widget (a tree view, a line edit) in the window's client area and keeps it
 * filling that area; focus inside it counts as the window's focus (WM_SETFOCUS and
 * WM_KILLFOCUS). The window's widget becomes its parent and owner. False when the
 * window has no widget (see WidgetOf).
 */
PLATFORM_API bool HostWidget(HWND window, QWidget* widget) noexcept;

/* A DC that draws into the image's pixels (32 bits per pixel: RGB32, ARGB32 or
 * ARGB32_Premultiplied; the top byte is written 0xFF). The image must keep its pixels in
 * place until DeleteDC. NULL for another format or an empty image. */
PLATFORM_API HDC CreateImageDC(QImage* image) noexcept;
/* The pixels of a top-down 32-bit DIB section as a QImage (RGB32) that shares them; it
 * lives as long as the bitmap. NULL for another bitmap (bottom-up DIBs included). */
PLATFORM_API QImage* BitmapImage(HBITMAP bitmap) noexcept;

namespace test {

/* Moves the message clock forward (timers fall due); from the first call on, the clock
 * moves only this way. */
PLATFORM_API void AdvanceClock(uint32_t milliseconds) noexcept;
/* Sets a key's state for GetKeyState (calling thread) and GetAsyncKeyState. */
PLATFORM_API void SetKeyState(int virtual_key, bool down) noexcept;
/* A copy of the window's retained pixels (the whole window, RGB32); null for a window
 * that does not exist or is empty. */
PLATFORM_API QImage WindowSurface(HWND window) noexcept;
/* The answer of the next popup menu shown through ConsumeMenuChoice: the index of the
 * item to choose, or -1 for none (the menu is cancelled). */
PLATFORM_API void ChooseMenuItem(int index) noexcept;
/* Takes the answer that ChooseMenuItem left: true and the index when there is one (a
 * popup menu then returns it instead of opening). */
PLATFORM_API bool ConsumeMenuChoice(int* index) noexcept;
/* The desktop size of GetSystemMetrics; 0 by 0 goes back to the screens'. */
PLATFORM_API void SetDesktopSize(int width, int height) noexcept;

/*
 * Qt input for the window's widget, delivered as the window system would deliver it;
 * the widget turns it into posted messages. Points are in the window's client
 * coordinates. Each returns false when the window has no widget (see WidgetOf).
 */
enum class MouseInput {
    Press,
    Release,
    DoubleClick,
    Move
};
PLATFORM_API bool SendMouseInput(HWND window, MouseInput kind, POINT client, Qt::MouseButton button,
                                 Qt::MouseButtons held,
                                 Qt::KeyboardModifiers modifiers = Qt::NoModifier) noexcept;
/* A key press or release as Qt reports it: Qt's key, the modifiers and the text typed.
 * It goes to the widget the window hosts, if any. */
PLATFORM_API bool SendKeyInput(HWND window, bool press, int qt_key, Qt::KeyboardModifiers modifiers,
                               const QString& text) noexcept;
/* A turn of the wheel: `delta` in eighths of a degree (120 a notch, positive away from
 * the user). */
PLATFORM_API bool SendWheelInput(HWND window, POINT client, int delta,
                                 Qt::KeyboardModifiers modifiers = Qt::NoModifier) noexcept;
}

}

#endif
