// The process's handle table, CloseHandle and WaitForSingleObject.

#include "platform/handles.h"

#include "kernel_object.h"
#include "make_win32_error.h"
#include "platform/kernel.h"

#include <cstdint>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

// Handles count up in steps of 4 from here, like Win32's, and are never reused in a
// process's life, so a stale handle cannot name a newer object.
constexpr uintptr_t kFirstHandle = 0x1000;
constexpr uintptr_t kHandleStep = 4;

struct HandleTable {
    std::mutex mutex;
    uintptr_t next = kFirstHandle;
    std::unordered_map<uintptr_t, std::shared_ptr<platform::KernelObject>> objects;
};

// Made on first use and kept for the life of the process: handles may be closed from
// other libraries' exit procedures, after static destructors would have run.
HandleTable& handle_table()
{
    static HandleTable* table = new HandleTable;
    return *table;
}

uintptr_t handle_value(HANDLE handle)
{
    return reinterpret_cast<uintptr_t>(handle);
}

}

namespace platform {

DWORD KernelObject::wait(DWORD /*milliseconds*/)
{
    platform::make_win32_error(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

HANDLE add_handle(std::shared_ptr<KernelObject> object) noexcept
{
    try {
        HandleTable& table = handle_table();
        const std::lock_guard lock(table.mutex);
        const uintptr_t value = table.next;
        table.objects.emplace(value, std::move(object));
        table.next += kHandleStep;
        return reinterpret_cast<HANDLE>(value);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

std::shared_ptr<KernelObject> object_of(HANDLE handle) noexcept
{
    HandleTable& table = handle_table();
    const std::lock_guard lock(table.mutex);
    const auto found = table.objects.find(handle_value(handle));
    if (found == table.objects.end()) {
        platform::make_win32_error(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second;
}

}

extern "C" {

PLATFORM_API BOOL CloseHandle(HANDLE object) noexcept
{
    std::shared_ptr<platform::KernelObject> closed;
    {
        HandleTable& table = handle_table();
        const std::lock_guard lock(table.mutex);
        const auto found = table.objects.find(handle_value(object));
        if (found == table.objects.end()) {
            platform::make_win32_error(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        closed = std::move(found->second);
        table.objects.erase(found);
    }
    // The object goes here, outside the table's lock: releasing a named object takes
    // a lock of its own.
    closed.reset();
    return TRUE;
}

PLATFORM_API DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) noexcept
{
    const std::shared_ptr<platform::KernelObject> waited = platform::object_of(object);
    if (waited == nullptr)
        return WAIT_FAILED;
    return waited->wait(milliseconds);
}

}
