#include "listview/common/object_helpers.h"

#include "platform/locale_info.h"

namespace vistrel::listview {

bool SameMethodPointer(const TMethodRef& A, const TMethodRef& B)
{
    return A.Object == B.Object && A.Code == B.Code;
}

bool QueryObjectInterface(fw::TObject* Object, const fw::TGUID& IID, void*& Intf)
{
    Intf = nullptr;
    auto* const unknown = dynamic_cast<fw::IUnknown*>(Object);
    return unknown != nullptr && unknown->QueryInterface(IID, &Intf) == S_OK && Intf != nullptr;
}

bool ObjectSupports(fw::IUnknown* Intf, const fw::TGUID& IID)
{
    if (Intf == nullptr)
        return false;
    void* answer = nullptr;
    if (Intf->QueryInterface(IID, &answer) != S_OK || answer == nullptr)
        return false;
    static_cast<fw::IUnknown*>(answer)->Release();
    return true;
}

namespace {

OSVERSIONINFOA version()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        info = OSVERSIONINFOA{};
    return info;
}

}

bool IsUnicodePlatform()
{
    return version().dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool IsWindows2000OrLater()
{
    const OSVERSIONINFOA info = version();
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 4;
}

bool IsWindowsNT4()
{
    const OSVERSIONINFOA info = version();
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion < 5;
}

}
