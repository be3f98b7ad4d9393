// The parts of platform/qt.h that need no widgets: DCs over Qt images, DIB sections as
// Qt images, and the test hooks.

#include "gdi_objects.h"
#include "make_win32_error.h"
#include "user_state.h"
#include "platform/gdi_support.h"
#include "platform/qt.h"

#include <QtGui/QImage>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace platform {
namespace {

struct BitmapImages {
    std::mutex lock;
    std::map<HBITMAP, std::unique_ptr<QImage>> images;
};

BitmapImages& bitmap_images()
{
    static auto* images = new BitmapImages;
    return *images;
}

constexpr int kNoChoice = INT32_MIN;
std::atomic<int> g_menu_choice{kNoChoice};

}

PLATFORM_API HDC CreateImageDC(QImage* image) noexcept
{
    if (image == nullptr || image->isNull()) {
        make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    switch (image->format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        break;
    default:
        make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return platform_create_dc_for_pixels(image->bits(), image->width(), image->height(),
                                         image->bytesPerLine(), PLATFORM_PIXELS_OPAQUE_ALPHA);
}

PLATFORM_API QImage* BitmapImage(HBITMAP bitmap) noexcept
{
    try {
        BitmapImages& table = bitmap_images();
        const std::lock_guard guard(table.lock);
        const DWORD saved_error = GetLastError();
        // Images of bitmaps that are gone go too; their handles never come back.
        for (auto it = table.images.begin(); it != table.images.end();) {
            if (gdi::object_of_kind<gdi::Bitmap>(it->first) == nullptr)
                it = table.images.erase(it);
            else
                ++it;
        }
        SetLastError(saved_error);
        const auto* object = gdi::object_of_kind<gdi::Bitmap>(bitmap);
        if (object == nullptr)
            return nullptr;
        const gdi::Surface surface = object->surface();
        if (surface.is_empty() || surface.stride <= 0) {
            make_win32_error(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        std::unique_ptr<QImage>& image = table.images[bitmap];
        if (image == nullptr)
            image = std::make_unique<QImage>(
                reinterpret_cast<uchar*>(surface.top_row), surface.width, surface.height,
                static_cast<qsizetype>(surface.stride * 4), QImage::Format_RGB32);
        return image.get();
    } catch (const std::bad_alloc&) {
        make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

namespace test {

PLATFORM_API void AdvanceClock(uint32_t milliseconds) noexcept
{
    user::advance_clock(milliseconds);
    try {
        // Threads waiting for their next timer look again.
        const user::UserLock lock(user::user_mutex());
        for (user::Window* window : user::all_windows())
            window->queue->wake();
        user::current_queue().wake();
    } catch (const std::bad_alloc&) {
    }
}

PLATFORM_API void SetKeyState(int virtual_key, bool down) noexcept
{
    try {
        const user::UserLock lock(user::user_mutex());
        user::QueuedMessage key;
        key.msg.message = down ? WM_KEYDOWN : WM_KEYUP;
        key.msg.wParam = static_cast<WPARAM>(virtual_key & 0xFF);
        user::note_retrieved_input(user::current_queue(), key);
        user::note_async_key(virtual_key, down);
    } catch (const std::bad_alloc&) {
    }
}

PLATFORM_API QImage WindowSurface(HWND window) noexcept
{
    try {
        const user::UserLock lock(user::user_mutex());
        const user::Window* record = user::window_of(window);
        return record != nullptr ? record->surface.copy() : QImage();
    } catch (const std::bad_alloc&) {
        return QImage();
    }
}

PLATFORM_API void ChooseMenuItem(int index) noexcept
{
    g_menu_choice.store(index);
}

PLATFORM_API bool ConsumeMenuChoice(int* index) noexcept
{
    const int choice = g_menu_choice.exchange(kNoChoice);
    if (choice == kNoChoice)
        return false;
    if (index != nullptr)
        *index = choice;
    return true;
}

PLATFORM_API void SetDesktopSize(int width, int height) noexcept
{
    user::set_desktop_size(width, height);
}

}

}
