// Painting windows: the retained surfaces, update regions, WM_PAINT, BeginPaint /
// EndPaint and the window DCs.

#include "gdi_objects.h"
#include "make_win32_error.h"
#include "qt_backing.h"
#include "user_state.h"
#include "platform/system_metrics.h"
#include "platform/user_paint.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace platform::user {
namespace {

constexpr uint32_t kOpaque = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// DCs of GetDC(NULL): they measure and draw nothing.
std::vector<HDC>& screen_dcs()
{
    static auto* dcs = new std::vector<HDC>;
    return *dcs;
}

QRect client_rect_in_window(const Window& window)
{
    return QRect(window.client.left, window.client.top, window.client_width(),
                 window.client_height());
}

gdi::Surface surface_for(Window& window, bool whole_window)
{
    gdi::Surface surface;
    QImage& image = window.surface;
    if (image.isNull())
        return surface;
    const QRect area = whole_window ? image.rect() : client_rect_in_window(window) & image.rect();
    if (area.isEmpty())
        return surface;
    surface.stride = image.bytesPerLine() / 4;
    surface.top_row =
        reinterpret_cast<uint32_t*>(image.bits()) + area.top() * surface.stride + area.left();
    surface.width = area.width();
    surface.height = area.height();
    surface.alpha = kOpaque;
    return surface;
}

void point_dc_at_surface(Window& window, const Window::WindowDC& entry)
{
    if (auto* dc = gdi::object_of_kind<gdi::DeviceContext>(entry.dc); dc != nullptr)
        dc->set_external_surface(surface_for(window, entry.whole_window));
}

// A new DC over the window's surface. Under the lock.
HDC make_window_dc(Window& window, bool whole_window, bool paint, const QRegion* limit)
{
    auto dc = std::make_unique<gdi::DeviceContext>(gdi::DeviceContext::Target::Pixels);
    dc->set_external_surface(surface_for(window, whole_window));
    if (limit != nullptr) {
        const QRect box = limit->boundingRect();
        dc->limited = true;
        dc->limit_box =
            RECT{box.left(), box.top(), box.left() + box.width(), box.top() + box.height()};
    }
    const auto handle = static_cast<HDC>(gdi::add_object(std::move(dc)));
    if (handle == nullptr)
        return nullptr;
    Window::WindowDC entry;
    entry.dc = handle;
    entry.whole_window = whole_window;
    entry.paint = paint;
    if (limit != nullptr) {
        const QRegion client(0, 0, window.client_width(), window.client_height());
        // Limited to all of the client area is no limit.
        if ((client - *limit).isEmpty() == false && !window.surface.isNull()) {
            entry.limited = true;
            entry.region = *limit;
            entry.saved = window.surface.copy(client_rect_in_window(window));
        }
    }
    window.dcs.push_back(std::move(entry));
    return handle;
}

// Puts back what a limited DC drew outside its region. Under the lock.
void restore_outside(Window& window, const Window::WindowDC& entry)
{
    if (!entry.limited || entry.saved.isNull())
        return;
    const QRect client = client_rect_in_window(window);
    if (entry.saved.size() != client.size())
        return;
    const QRegion outside = QRegion(0, 0, client.width(), client.height()) - entry.region;
    for (const QRect& rect : outside) {
        const QRect part = rect & entry.saved.rect();
        for (int y = part.top(); y <= part.bottom(); ++y) {
            const auto* from =
                reinterpret_cast<const uint32_t*>(entry.saved.constScanLine(y)) + part.left();
            auto* to = reinterpret_cast<uint32_t*>(window.surface.scanLine(client.top() + y)) +
                       client.left() + part.left();
            std::memcpy(to, from, static_cast<size_t>(part.width()) * sizeof(uint32_t));
        }
    }
}

// Takes the DC out of the window's list and deletes it; the rectangle it could touch
// (window coordinates), or nothing when it is not the window's. Under the lock.
std::optional<QRect> release_window_dc(Window& window, HDC dc, bool paint)
{
    const auto found = std::find_if(window.dcs.begin(), window.dcs.end(),
                                    [&](const Window::WindowDC& entry) { return entry.dc == dc; });
    if (found == window.dcs.end() || found->paint != paint)
        return std::nullopt;
    restore_outside(window, *found);
    QRect touched = found->whole_window ? window.surface.rect() : client_rect_in_window(window);
    if (found->limited)
        touched = found->region.boundingRect().translated(window.client.left, window.client.top);
    window.dcs.erase(found);
    DeleteDC(dc);
    return touched;
}

bool needs_paint(const Window& window)
{
    return !window.update.isEmpty() || window.internal_paint;
}

bool includes_children(const Window& window, UINT flags)
{
    if ((flags & RDW_ALLCHILDREN) != 0)
        return true;
    return (flags & RDW_NOCHILDREN) == 0 && (window.style & WS_CLIPCHILDREN) == 0;
}

QRegion region_of(const Window& window, const RECT* rect, HRGN region)
{
    if (region != nullptr) {
        if (const auto* gdi_region = gdi::object_of_kind<gdi::Region>(region);
            gdi_region != nullptr)
            return gdi_region->region();
    }
    if (rect != nullptr)
        return QRegion(
            QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1)));
    return QRegion(0, 0, window.client_width(), window.client_height());
}

void erase_now(HWND handle)
{
    HDC dc = nullptr;
    {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr || !window->erase_pending)
            return;
        const QRegion region = window->update;
        dc = make_window_dc(*window, false, true, &region);
    }
    if (dc == nullptr)
        return;
    const LRESULT erased = SendMessageW(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    std::optional<QRect> touched;
    {
        const UserLock lock(user_mutex());
        if (Window* window = window_of(handle); window != nullptr) {
            if (erased != 0)
                window->erase_pending = false;
            touched = release_window_dc(*window, dc, true);
        }
    }
    if (touched.has_value())
        backing_update(handle, *touched);
}

void paint_frame_now(HWND handle)
{
    {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr || !window->frame_pending)
            return;
        window->frame_pending = false;
    }
    SendMessageW(handle, WM_NCPAINT, 1, 0);
}

void update_now(HWND handle, UINT flags)
{
    bool paint = false;
    std::vector<HWND> children;
    {
        const UserLock lock(user_mutex());
        const Window* window = window_of(handle);
        if (window == nullptr || !is_visible(*window))
            return;
        paint = needs_paint(*window);
        if (includes_children(*window, flags)) {
            for (const Window* child : window->children)
                children.push_back(child->handle);
        }
    }
    if ((flags & RDW_UPDATENOW) != 0 && paint) {
        SendMessageW(handle, WM_PAINT, 0, 0);
    } else {
        paint_frame_now(handle);
        erase_now(handle);
    }
    for (HWND child : children)
        update_now(child, flags);
}

}

// ---- Shared with the rest of the user interface ---------------------------------------

void resize_surface(Window& window)
{
    const QSize size(window.width(), window.height());
    if (window.surface.size() != size) {
        QImage surface;
        if (!size.isEmpty()) {
            surface = QImage(size, QImage::Format_RGB32);
            if (!surface.isNull()) {
                surface.fill(kWhite);
                const QRect kept = surface.rect() & window.surface.rect();
                for (int y = 0; y < kept.height(); ++y)
                    std::memcpy(surface.scanLine(y), window.surface.constScanLine(y),
                                static_cast<size_t>(kept.width()) * sizeof(uint32_t));
            }
        }
        window.surface = std::move(surface);
        for (Window::WindowDC& entry : window.dcs) {
            entry.limited = false;
            entry.saved = QImage();
        }
    }
    for (const Window::WindowDC& entry : window.dcs)
        point_dc_at_surface(window, entry);
}

void delete_window_dcs(Window& window)
{
    for (const Window::WindowDC& entry : window.dcs)
        DeleteDC(entry.dc);
    window.dcs.clear();
}

void invalidate(Window& window, const QRegion& region, UINT flags)
{
    if (!is_visible(window))
        return;
    const QRegion clipped = region & QRegion(0, 0, window.client_width(), window.client_height());
    bool paint_pending = false;
    if ((flags & RDW_INVALIDATE) != 0) {
        if (!clipped.isEmpty()) {
            window.update += clipped;
            if ((flags & RDW_ERASE) != 0)
                window.erase_pending = true;
            paint_pending = true;
        }
        if ((flags & RDW_FRAME) != 0 &&
            (window.client.left > 0 || window.client.top > 0 ||
             window.client.right < window.width() || window.client.bottom < window.height())) {
            window.frame_pending = true;
            paint_pending = true;
        }
    }
    if ((flags & RDW_VALIDATE) != 0) {
        window.update -= clipped;
        if (window.update.isEmpty() || (flags & RDW_NOERASE) != 0)
            window.erase_pending = false;
        if ((flags & RDW_NOFRAME) != 0)
            window.frame_pending = false;
    }
    if ((flags & RDW_INTERNALPAINT) != 0) {
        window.internal_paint = true;
        paint_pending = true;
    }
    if ((flags & RDW_NOINTERNALPAINT) != 0)
        window.internal_paint = false;
    if (paint_pending)
        window.queue->wake();
    if (!includes_children(window, flags))
        return;
    for (Window* child : window.children) {
        if ((child->style & WS_VISIBLE) == 0)
            continue;
        // The part over the child, in the child's client coordinates.
        const QRect child_box(child->rect.left, child->rect.top, child->width(), child->height());
        const QRegion over = (region & QRegion(child_box))
                                 .translated(-child->rect.left - child->client.left,
                                             -child->rect.top - child->client.top);
        if (over.isEmpty())
            continue;
        // Below the first level, RDW_ALLCHILDREN alone decides.
        invalidate(*child, over, flags);
    }
}

Window* window_to_paint(ThreadQueue& queue, HWND filter)
{
    for (Window* window : all_windows()) {
        if (window->queue.get() != &queue || !needs_paint(*window) || !is_visible(*window))
            continue;
        if (filter == nullptr || window->handle == filter)
            return window;
    }
    return nullptr;
}

void validate_after_paint(HWND handle)
{
    const UserLock lock(user_mutex());
    if (Window* window = window_of(handle); window != nullptr) {
        window->update = QRegion();
        window->erase_pending = false;
        window->internal_paint = false;
    }
}

}

using namespace platform::user;

extern "C" {

PLATFORM_API BOOL InvalidateRect(HWND handle, const RECT* rect, BOOL erase) noexcept
{
    return RedrawWindow(handle, rect, nullptr, RDW_INVALIDATE | (erase != FALSE ? RDW_ERASE : 0u));
}

PLATFORM_API BOOL ValidateRect(HWND handle, const RECT* rect) noexcept
{
    return RedrawWindow(handle, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

PLATFORM_API BOOL GetUpdateRect(HWND handle, LPRECT rect, BOOL erase) noexcept
{
    bool pending_erase = false;
    QRect box;
    try {
        const UserLock lock(user_mutex());
        const Window* window = window_of(handle);
        if (window == nullptr)
            return FALSE;
        box = window->update.boundingRect();
        pending_erase = window->erase_pending;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    if (rect != nullptr)
        *rect = box.isEmpty() ? RECT{0, 0, 0, 0}
                              : RECT{box.left(), box.top(), box.right() + 1, box.bottom() + 1};
    if (erase != FALSE && pending_erase)
        erase_now(handle);
    return box.isEmpty() ? FALSE : TRUE;
}

PLATFORM_API BOOL UpdateWindow(HWND handle) noexcept
{
    {
        const UserLock lock(user_mutex());
        const Window* window = window_of(handle);
        if (window == nullptr)
            return FALSE;
        if (!is_visible(*window) || !needs_paint(*window))
            return TRUE;
    }
    SendMessageW(handle, WM_PAINT, 0, 0);
    return TRUE;
}

PLATFORM_API BOOL RedrawWindow(HWND handle, const RECT* rect, HRGN region, UINT flags) noexcept
{
    try {
        std::vector<HWND> targets;
        {
            const UserLock lock(user_mutex());
            if (handle == nullptr) {
                // The desktop: every top-level window.
                for (Window* window : all_windows()) {
                    if (!window->is_child()) {
                        invalidate(*window, region_of(*window, nullptr, nullptr),
                                   flags | RDW_ALLCHILDREN);
                        targets.push_back(window->handle);
                    }
                }
            } else {
                Window* window = window_of(handle);
                if (window == nullptr)
                    return FALSE;
                invalidate(*window, region_of(*window, rect, region), flags);
                targets.push_back(handle);
            }
        }
        if ((flags & (RDW_UPDATENOW | RDW_ERASENOW)) != 0) {
            for (HWND target : targets)
                update_now(target, flags);
        }
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API HDC BeginPaint(HWND handle, LPPAINTSTRUCT paint) noexcept
{
    if (paint == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        paint_frame_now(handle);
        HDC dc = nullptr;
        bool erase = false;
        QRect box;
        {
            const UserLock lock(user_mutex());
            Window* window = window_of(handle);
            if (window == nullptr)
                return nullptr;
            const QRegion region =
                window->update & QRegion(0, 0, window->client_width(), window->client_height());
            erase = window->erase_pending;
            window->update = QRegion();
            window->erase_pending = false;
            window->internal_paint = false;
            box = region.boundingRect();
            dc = make_window_dc(*window, false, true, &region);
            if (dc == nullptr)
                return nullptr;
        }
        *paint = PAINTSTRUCT{};
        paint->hdc = dc;
        paint->rcPaint = box.isEmpty()
                             ? RECT{0, 0, 0, 0}
                             : RECT{box.left(), box.top(), box.right() + 1, box.bottom() + 1};
        paint->fErase = FALSE;
        if (erase)
            paint->fErase =
                SendMessageW(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0 ? TRUE
                                                                                          : FALSE;
        return dc;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API BOOL EndPaint(HWND handle, const PAINTSTRUCT* paint) noexcept
{
    if (paint == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::optional<QRect> touched;
    {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr)
            return FALSE;
        touched = release_window_dc(*window, paint->hdc, true);
    }
    if (touched.has_value())
        backing_update(handle, *touched);
    return TRUE;
}

PLATFORM_API HDC GetDC(HWND handle) noexcept
{
    try {
        const UserLock lock(user_mutex());
        if (handle == nullptr) {
            const HDC dc = CreateCompatibleDC(nullptr);
            if (dc != nullptr)
                screen_dcs().push_back(dc);
            return dc;
        }
        Window* window = window_of(handle);
        if (window == nullptr)
            return nullptr;
        return make_window_dc(*window, false, false, nullptr);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API HDC GetWindowDC(HWND handle) noexcept
{
    if (handle == nullptr)
        return GetDC(nullptr);
    try {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr)
            return nullptr;
        return make_window_dc(*window, true, false, nullptr);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API int ReleaseDC(HWND handle, HDC dc) noexcept
{
    std::optional<QRect> touched;
    HWND owner = nullptr;
    {
        const UserLock lock(user_mutex());
        std::vector<HDC>& screen = screen_dcs();
        if (const auto found = std::find(screen.begin(), screen.end(), dc); found != screen.end()) {
            screen.erase(found);
            DeleteDC(dc);
            return 1;
        }
        // The DC names its window; the window argument is only a hint, as on Win32.
        std::vector<Window*> candidates;
        if (Window* window = handle != nullptr ? window_of(handle) : nullptr; window != nullptr)
            candidates.push_back(window);
        for (Window* window : all_windows())
            candidates.push_back(window);
        for (Window* window : candidates) {
            touched = release_window_dc(*window, dc, false);
            if (touched.has_value()) {
                owner = window->handle;
                break;
            }
        }
    }
    if (!touched.has_value())
        return 0;
    backing_update(owner, *touched);
    return 1;
}

PLATFORM_API HWND WindowFromDC(HDC dc) noexcept
{
    const UserLock lock(user_mutex());
    for (const Window* window : all_windows()) {
        for (const Window::WindowDC& entry : window->dcs) {
            if (entry.dc == dc)
                return window->handle;
        }
    }
    return nullptr;
}

}

namespace platform::user {

bool is_screen_dc(HDC dc)
{
    const std::vector<HDC>& screen = screen_dcs();
    return std::find(screen.begin(), screen.end(), dc) != screen.end();
}

}
