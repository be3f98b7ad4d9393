// Small predicates of the common units: method references, interface queries and the
// platform family, and the stubs through which a plain callback reaches an object.
#ifndef VISTREL_LISTVIEW_COMMON_OBJECT_HELPERS_H
#define VISTREL_LISTVIEW_COMMON_OBJECT_HELPERS_H

#include "framework/classes.h"

#include <array>
#include <cstring>
#include <functional>
#include <type_traits>

namespace vistrel::listview {

// An object and one of its member functions, for code that compares event handlers
// (events themselves are std::function, which cannot be compared).
struct TMethodRef {
    const void* Object = nullptr;
    std::array<unsigned char, 2 * sizeof(void*)> Code{};

    template <typename T, typename Member>
    static TMethodRef Of(const T* object, Member T::*member)
    {
        static_assert(sizeof member <= sizeof(Code), "a member pointer of an unusual size");
        TMethodRef result;
        result.Object = object;
        std::memcpy(result.Code.data(), &member, sizeof member);
        return result;
    }
};

// The object and the code are both the same.
bool SameMethodPointer(const TMethodRef& A, const TMethodRef& B);
// True, with the interface in Intf (counted), when the object answers the interface.
bool QueryObjectInterface(fw::TObject* Object, const fw::TGUID& IID, void*& Intf);
// Whether the interface's object answers the other interface (not kept).
bool ObjectSupports(fw::IUnknown* Intf, const fw::TGUID& IID);

// The platform family and version (GetVersionExA).
bool IsUnicodePlatform();
bool IsWindows2000OrLater();
bool IsWindowsNT4();

// A plain callback that reaches Method of Object with the callback's own arguments.
template <typename T, typename R, typename... Args>
std::function<R(Args...)> CreateCallbackStub(T* Object, R (T::*Method)(Args...))
{
    return [Object, Method](Args... arguments) -> R {
        return (Object->*Method)(std::forward<Args>(arguments)...);
    };
}

// Gives the stub up: it answers nothing afterwards.
template <typename Signature>
void FreeCallbackStub(std::function<Signature>& Stub)
{
    Stub = nullptr;
}

}

#endif
