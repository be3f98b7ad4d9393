// The caret, FlashWindow, MessageBeep, Sleep and the bitmaps of modules.

#include "gdi_objects.h"
#include "make_win32_error.h"
#include "platform/qt.h"
#include "platform/user_caret.h"
#include "platform/user_input.h"
#include "platform/user_messages.h"
#include "platform/user_windows.h"
#include "user_state.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#ifndef ERROR_RESOURCE_NAME_NOT_FOUND
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814
#endif

namespace {

struct Caret {
    HWND owner = nullptr;
    int width = 0;
    int height = 0;
    POINT position{0, 0};
    int hide_count = 0;
};

std::mutex g_caret_lock;
Caret g_caret;

// The DIBs that modules registered, by module and id.
struct RegisteredBitmap {
    std::vector<uint8_t> header; // BITMAPINFO with its table
    std::vector<uint8_t> rows;
};
std::mutex g_bitmaps_lock;
std::map<std::pair<HINSTANCE, UINT>, RegisteredBitmap>& registered_bitmaps()
{
    static std::map<std::pair<HINSTANCE, UINT>, RegisteredBitmap> bitmaps;
    return bitmaps;
}

bool caret_window(HWND window)
{
    return window == nullptr || window == g_caret.owner;
}

}

extern "C" {

PLATFORM_API BOOL CreateCaret(HWND window, HBITMAP /*bitmap*/, int width, int height) noexcept
{
    if (IsWindow(window) == FALSE) {
        platform::make_win32_error(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const std::lock_guard lock(g_caret_lock);
    g_caret = Caret{window, width, height, {0, 0}, 1};
    return TRUE;
}

PLATFORM_API BOOL DestroyCaret(void) noexcept
{
    const std::lock_guard lock(g_caret_lock);
    if (g_caret.owner == nullptr)
        return FALSE;
    g_caret = Caret{};
    return TRUE;
}

PLATFORM_API BOOL ShowCaret(HWND window) noexcept
{
    const std::lock_guard lock(g_caret_lock);
    if (g_caret.owner == nullptr || !caret_window(window))
        return FALSE;
    if (g_caret.hide_count > 0)
        --g_caret.hide_count;
    return TRUE;
}

PLATFORM_API BOOL HideCaret(HWND window) noexcept
{
    const std::lock_guard lock(g_caret_lock);
    if (g_caret.owner == nullptr || !caret_window(window))
        return FALSE;
    ++g_caret.hide_count;
    return TRUE;
}

PLATFORM_API BOOL SetCaretPos(int x, int y) noexcept
{
    const std::lock_guard lock(g_caret_lock);
    if (g_caret.owner == nullptr)
        return FALSE;
    g_caret.position = POINT{x, y};
    return TRUE;
}

PLATFORM_API BOOL GetCaretPos(LPPOINT point) noexcept
{
    const std::lock_guard lock(g_caret_lock);
    if (point == nullptr || g_caret.owner == nullptr)
        return FALSE;
    *point = g_caret.position;
    return TRUE;
}

PLATFORM_API BOOL FlashWindow(HWND window, BOOL /*invert*/) noexcept
{
    if (IsWindow(window) == FALSE)
        return FALSE;
    const bool active = GetActiveWindow() == window;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        if (QWidget* widget = platform::WidgetOf(window); widget != nullptr && widget->isVisible())
            QApplication::alert(widget);
    }
    return active ? TRUE : FALSE;
}

PLATFORM_API BOOL MessageBeep(UINT /*type*/) noexcept
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        QApplication::beep();
    return TRUE;
}

PLATFORM_API void Sleep(DWORD milliseconds) noexcept
{
    if (platform::user::clock_is_manual()) {
        platform::user::advance_clock(milliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

PLATFORM_API BOOL platform_register_bitmap(HINSTANCE module, UINT id, const BITMAPINFO* info,
                                           const void* bits) noexcept
{
    if (info == nullptr || bits == nullptr || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const int64_t rows = header.biHeight < 0 ? -int64_t{header.biHeight} : header.biHeight;
    const int64_t stride = (int64_t{header.biWidth} * header.biBitCount + 31) / 32 * 4;
    const uint32_t colours =
        header.biBitCount <= 8
            ? (header.biClrUsed != 0 ? header.biClrUsed : 1u << header.biBitCount)
            : (header.biCompression == BI_BITFIELDS ? 3u : 0u);
    if (header.biWidth <= 0 || rows <= 0 || rows > 65536 || stride > 65536 * 4 || colours > 256) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        RegisteredBitmap bitmap;
        const auto* start = reinterpret_cast<const uint8_t*>(info);
        bitmap.header.assign(start, start + header.biSize + colours * sizeof(RGBQUAD));
        const auto* data = static_cast<const uint8_t*>(bits);
        bitmap.rows.assign(data, data + stride * rows);
        const std::lock_guard lock(g_bitmaps_lock);
        registered_bitmaps()[{module, id}] = std::move(bitmap);
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name) noexcept
{
    const auto id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
    RegisteredBitmap bitmap;
    {
        const std::lock_guard lock(g_bitmaps_lock);
        const auto found = registered_bitmaps().find({module, id});
        if (reinterpret_cast<ULONG_PTR>(name) >> 16 != 0 || found == registered_bitmaps().end()) {
            platform::make_win32_error(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        try {
            bitmap = found->second;
        } catch (const std::bad_alloc&) {
            platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
    }
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bitmap.header.data());
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const LONG rows = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    HBITMAP result =
        CreateBitmap(header.biWidth, rows, 1, header.biBitCount == 1 ? 1 : 32, nullptr);
    if (result == nullptr)
        return nullptr;
    if (SetDIBits(nullptr, result, 0, static_cast<UINT>(rows), bitmap.rows.data(), info,
                  DIB_RGB_COLORS) == 0) {
        DeleteObject(result);
        return nullptr;
    }
    return result;
}
}
