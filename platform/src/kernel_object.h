// Kernel objects behind HANDLEs.
//
// Every kind of kernel object derives from KernelObject. The process's handle table
// owns the objects; a HANDLE is a number that names a table entry (never a pointer),
// so a closed or made-up handle is refused instead of dereferenced. Lookups hand out
// shared ownership: an object that one thread waits on stays alive while another
// thread closes its handle.
#ifndef PLATFORM_SRC_KERNEL_OBJECT_H
#define PLATFORM_SRC_KERNEL_OBJECT_H

#include "make_win32_error.h"
#include "platform/handles.h"
#include "platform/kernel.h"
#include "platform/win_types.h"

#include <memory>

namespace platform {

class KernelObject {
public:
    KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;
    virtual ~KernelObject() = default;

    // WaitForSingleObject's work; objects that cannot be waited for fail with
    // ERROR_INVALID_HANDLE.
    virtual DWORD wait(DWORD milliseconds);

    // Whether another process can signal the object: a wait for several objects then
    // looks at it every few milliseconds, since no signal of this process tells of
    // the change (wait_signals.h).
    virtual bool changes_elsewhere() const { return false; }
};

// A new handle for the object; NULL with ERROR_NOT_ENOUGH_MEMORY when the table
// cannot grow (the object is then released).
HANDLE add_handle(std::shared_ptr<KernelObject> object) noexcept;

// The object of an open handle, or NULL with ERROR_INVALID_HANDLE.
std::shared_ptr<KernelObject> object_of(HANDLE handle) noexcept;

// The object of an open handle when it is of kind T, or NULL with ERROR_INVALID_HANDLE.
template <typename T>
std::shared_ptr<T> object_of_kind(HANDLE handle) noexcept
{
    std::shared_ptr<T> object = std::dynamic_pointer_cast<T>(object_of(handle));
    if (object == nullptr)
        make_win32_error(ERROR_INVALID_HANDLE);
    return object;
}

}

#endif
