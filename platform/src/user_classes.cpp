// Window classes: RegisterClassExW, UnregisterClassW, GetClassInfoExW and
// GetClassLongPtrW.

#include "make_win32_error.h"
#include "user_state.h"

#include <QtCore/QString>

#include <map>
#include <new>

namespace platform::user {
namespace {

// Classes beyond the atoms that strings take on Win32 (0xC000 and up).
constexpr ATOM kFirstAtom = 0xC000;
// Win32 refuses more than 40 extra bytes for a class or window.
constexpr int kMaxExtraBytes = 40;

struct ClassTable {
    std::map<std::u16string, std::shared_ptr<WindowClass>> by_key;
    std::map<ATOM, std::shared_ptr<WindowClass>> by_atom;
    ATOM next_atom = kFirstAtom;
};

ClassTable& class_table()
{
    static ClassTable* table = new ClassTable;
    return *table;
}

std::u16string fold(LPCWSTR name)
{
    const QString folded = QString::fromUtf16(name).toCaseFolded();
    return std::u16string(reinterpret_cast<const char16_t*>(folded.utf16()),
                          static_cast<size_t>(folded.size()));
}

ATOM atom_of(LPCWSTR name)
{
    return static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
}

}

std::shared_ptr<WindowClass> find_class(LPCWSTR name)
{
    ClassTable& table = class_table();
    if (name != nullptr) {
        if (IS_INTRESOURCE(name)) {
            const auto found = table.by_atom.find(atom_of(name));
            if (found != table.by_atom.end())
                return found->second;
        } else {
            const auto found = table.by_key.find(fold(name));
            if (found != table.by_key.end())
                return found->second;
        }
    }
    make_win32_error(ERROR_CLASS_DOES_NOT_EXIST);
    return nullptr;
}

}

using namespace platform::user;

extern "C" {

PLATFORM_API ATOM RegisterClassExW(const WNDCLASSEXW* record) noexcept
{
    if (record == nullptr || record->cbSize != sizeof(WNDCLASSEXW) ||
        record->lpszClassName == nullptr || record->lpfnWndProc == nullptr ||
        record->cbClsExtra < 0 || record->cbClsExtra > kMaxExtraBytes || record->cbWndExtra < 0 ||
        record->cbWndExtra > kMaxExtraBytes ||
        (!IS_INTRESOURCE(record->lpszClassName) && record->lpszClassName[0] == u'\0')) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        auto window_class = std::make_shared<WindowClass>();
        if (!IS_INTRESOURCE(record->lpszClassName)) {
            window_class->name = record->lpszClassName;
            window_class->key = fold(record->lpszClassName);
        }
        window_class->style = record->style;
        window_class->procedure = record->lpfnWndProc;
        window_class->class_extra = record->cbClsExtra;
        window_class->window_extra = record->cbWndExtra;
        window_class->instance = record->hInstance;
        window_class->icon = record->hIcon;
        window_class->small_icon = record->hIconSm;
        window_class->cursor = record->hCursor;
        window_class->background = record->hbrBackground;

        const UserLock lock(user_mutex());
        ClassTable& table = class_table();
        if (IS_INTRESOURCE(record->lpszClassName)) {
            window_class->atom = atom_of(record->lpszClassName);
            if (window_class->atom == 0 || table.by_atom.contains(window_class->atom)) {
                platform::make_win32_error(window_class->atom == 0 ? ERROR_INVALID_PARAMETER
                                                                   : ERROR_CLASS_ALREADY_EXISTS);
                return 0;
            }
        } else {
            if (table.by_key.contains(window_class->key)) {
                platform::make_win32_error(ERROR_CLASS_ALREADY_EXISTS);
                return 0;
            }
            if (table.next_atom == 0) {
                platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
                return 0;
            }
            window_class->atom = table.next_atom++;
            table.by_key.emplace(window_class->key, window_class);
        }
        table.by_atom.emplace(window_class->atom, window_class);
        return window_class->atom;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

PLATFORM_API BOOL UnregisterClassW(LPCWSTR class_name, HINSTANCE /*instance*/) noexcept
{
    try {
        const UserLock lock(user_mutex());
        const std::shared_ptr<WindowClass> window_class = find_class(class_name);
        if (window_class == nullptr)
            return FALSE;
        if (window_class->window_count > 0) {
            platform::make_win32_error(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
        ClassTable& table = class_table();
        table.by_atom.erase(window_class->atom);
        if (!window_class->key.empty())
            table.by_key.erase(window_class->key);
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API BOOL GetClassInfoExW(HINSTANCE /*instance*/, LPCWSTR class_name,
                                  LPWNDCLASSEXW info) noexcept
{
    if (info == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        const UserLock lock(user_mutex());
        const std::shared_ptr<WindowClass> window_class = find_class(class_name);
        if (window_class == nullptr)
            return FALSE;
        info->cbSize = sizeof(WNDCLASSEXW);
        info->style = window_class->style;
        info->lpfnWndProc = window_class->procedure;
        info->cbClsExtra = window_class->class_extra;
        info->cbWndExtra = window_class->window_extra;
        info->hInstance = window_class->instance;
        info->hIcon = window_class->icon;
        info->hCursor = window_class->cursor;
        info->hbrBackground = window_class->background;
        info->lpszMenuName = nullptr;
        info->lpszClassName = class_name;
        info->hIconSm = window_class->small_icon;
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API ULONG_PTR GetClassLongPtrW(HWND handle, int index) noexcept
{
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    if (window == nullptr)
        return 0;
    const WindowClass& window_class = *window->window_class;
    switch (index) {
    case GCL_STYLE:
        return window_class.style;
    case GCLP_HCURSOR:
        return reinterpret_cast<ULONG_PTR>(window_class.cursor);
    case GCLP_HBRBACKGROUND:
        return reinterpret_cast<ULONG_PTR>(window_class.background);
    case GCLP_WNDPROC:
        return reinterpret_cast<ULONG_PTR>(window_class.procedure);
    default:
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

}
