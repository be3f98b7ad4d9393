// OLE drag and drop and accessibility: registrations are kept, nothing else happens.

#include "make_win32_error.h"
#include "user_state.h"
#include "platform/drag_and_accessibility.h"

extern "C" {

PLATFORM_API HRESULT RegisterDragDrop(HWND handle, IDropTarget* target) noexcept
{
    using namespace platform::user;
    const UserLock lock(user_mutex());
    Window* window = window_of(handle);
    if (window == nullptr)
        return DRAGDROP_E_INVALIDHWND;
    if (target == nullptr)
        return E_INVALIDARG;
    if (window->drop_target)
        return DRAGDROP_E_ALREADYREGISTERED;
    window->drop_target = true;
    return S_OK;
}

PLATFORM_API HRESULT RevokeDragDrop(HWND handle) noexcept
{
    using namespace platform::user;
    const UserLock lock(user_mutex());
    Window* window = window_of(handle);
    if (window == nullptr)
        return DRAGDROP_E_INVALIDHWND;
    if (!window->drop_target)
        return DRAGDROP_E_NOTREGISTERED;
    window->drop_target = false;
    return S_OK;
}

PLATFORM_API HRESULT DoDragDrop(IDataObject* /*data*/, IDropSource* /*source*/, DWORD /*allowed*/,
                                LPDWORD effect) noexcept
{
    if (effect != nullptr)
        *effect = DROPEFFECT_NONE;
    return DRAGDROP_S_CANCEL;
}

PLATFORM_API void NotifyWinEvent(DWORD /*event*/, HWND /*window*/, LONG /*object*/,
                                 LONG /*child*/) noexcept
{
}

PLATFORM_API LRESULT LresultFromObject(const GUID* /*interface_id*/, WPARAM /*wparam*/,
                                       void* /*object*/) noexcept
{
    return 0;
}
}
