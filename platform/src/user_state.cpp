// The user lock, the message clock, the window table and the geometry helpers that
// every part of the user interface shares.

#include "user_state.h"

#include "make_win32_error.h"

#include <atomic>
#include <chrono>
#include <unordered_map>

namespace platform::user {
namespace {

// Window handles count in steps of 4 from here, far from the kernel's and the GDI's
// handles, and are never given out twice.
constexpr uintptr_t kFirstWindowHandle = uintptr_t{0x5E} << 32;
constexpr uintptr_t kWindowHandleStep = 4;

struct WindowTable {
    uintptr_t next = kFirstWindowHandle;
    std::unordered_map<uintptr_t, std::shared_ptr<Window>> windows;
    std::vector<Window*> in_order;
};

// Made on first use and kept for the life of the process, like the GDI table: windows
// may go away in other libraries' exit procedures.
WindowTable& window_table()
{
    static WindowTable* table = new WindowTable;
    return *table;
}

std::atomic<bool> g_manual_clock{false};
std::atomic<uint64_t> g_manual_now{0};

uint64_t real_now()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}

std::mutex& user_mutex()
{
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

uint64_t clock_now()
{
    if (g_manual_clock.load(std::memory_order_acquire))
        return g_manual_now.load(std::memory_order_acquire);
    return real_now();
}

bool clock_is_manual()
{
    return g_manual_clock.load(std::memory_order_acquire);
}

void advance_clock(uint32_t milliseconds)
{
    // The manual clock starts where real time stood, so that timers started before keep
    // their due times.
    if (!g_manual_clock.load(std::memory_order_acquire)) {
        g_manual_now.store(real_now(), std::memory_order_release);
        g_manual_clock.store(true, std::memory_order_release);
    }
    g_manual_now.fetch_add(milliseconds, std::memory_order_acq_rel);
}

// ---- The window table ----------------------------------------------------------------

Window* window_of(HWND handle)
{
    WindowTable& table = window_table();
    const auto found = table.windows.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.windows.end()) {
        make_win32_error(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return found->second.get();
}

std::shared_ptr<Window> shared_window(HWND handle)
{
    WindowTable& table = window_table();
    const auto found = table.windows.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.windows.end()) {
        make_win32_error(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return found->second;
}

HWND add_window(std::shared_ptr<Window> window)
{
    WindowTable& table = window_table();
    const uintptr_t value = table.next;
    table.next += kWindowHandleStep;
    window->handle = reinterpret_cast<HWND>(value);
    table.in_order.push_back(window.get());
    table.windows.emplace(value, std::move(window));
    return reinterpret_cast<HWND>(value);
}

void remove_window(Window& window)
{
    WindowTable& table = window_table();
    window.destroyed = true;
    std::erase(table.in_order, &window);
    // Last: the table's reference may be the last one.
    table.windows.erase(reinterpret_cast<uintptr_t>(window.handle));
}

std::vector<Window*> all_windows()
{
    return window_table().in_order;
}

bool is_visible(const Window& window)
{
    for (const Window* w = &window; w != nullptr; w = w->parent) {
        if ((w->style & WS_VISIBLE) == 0)
            return false;
        if (!w->is_child())
            break;
    }
    return true;
}

bool is_in_subtree(const Window* window, const Window* ancestor)
{
    for (const Window* w = window; w != nullptr; w = w->parent) {
        if (w == ancestor)
            return true;
    }
    return false;
}

RECT window_rect_on_screen(const Window& window)
{
    RECT rect = window.rect;
    if (window.parent != nullptr && window.is_child()) {
        const POINT origin = client_origin_on_screen(*window.parent);
        rect.left += origin.x;
        rect.right += origin.x;
        rect.top += origin.y;
        rect.bottom += origin.y;
    }
    return rect;
}

POINT client_origin_on_screen(const Window& window)
{
    const RECT rect = window_rect_on_screen(window);
    return POINT{rect.left + window.client.left, rect.top + window.client.top};
}

LRESULT call_procedure(WNDPROC procedure, HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (procedure == nullptr)
        return 0;
    return procedure(window, message, wparam, lparam);
}

bool is_owned_by_caller(const Window& window)
{
    if (window.queue != nullptr && window.queue->thread == std::this_thread::get_id())
        return true;
    make_win32_error(ERROR_ACCESS_DENIED);
    return false;
}

}
