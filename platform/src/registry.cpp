// The registry functions over the store files: key handles and their access rights.

#include "platform/registry.h"

#include "registry_store.h"
#include "make_win32_error.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

using platform::registry::Hive;
using platform::registry::Key;
using platform::registry::Store;
using platform::registry::Value;

struct OpenKey {
    Hive hive = Hive::CurrentUser;
    std::string path;
    REGSAM access = 0;
};

struct KeyTable {
    std::mutex mutex;
    std::unordered_map<uintptr_t, OpenKey> keys;
    // Handles are never used twice, so a stale handle cannot reach another key.
    uintptr_t next = 0x1000;
};

// Kept for the life of the process: keys may be closed from exit procedures that run
// after static destructors would have.
KeyTable& key_table()
{
    static KeyTable* table = new KeyTable;
    return *table;
}

// The key behind a handle; false for a handle that is not open.
bool resolve(HKEY handle, OpenKey& key)
{
    if (handle == HKEY_CURRENT_USER || handle == HKEY_LOCAL_MACHINE) {
        key.hive = handle == HKEY_CURRENT_USER ? Hive::CurrentUser : Hive::LocalMachine;
        key.path.clear();
        key.access = KEY_ALL_ACCESS;
        return true;
    }
    KeyTable& table = key_table();
    const std::lock_guard lock(table.mutex);
    const auto found = table.keys.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.keys.end())
        return false;
    key = found->second;
    return true;
}

HKEY add_handle(OpenKey key)
{
    KeyTable& table = key_table();
    const std::lock_guard lock(table.mutex);
    const uintptr_t id = table.next;
    table.next += 4;
    table.keys.emplace(id, std::move(key));
    return reinterpret_cast<HKEY>(id);
}

// Copies data out as RegQueryValueExA does.
LSTATUS copy_data(const Value& value, LPDWORD type, BYTE* data, LPDWORD size)
{
    if (type != nullptr)
        *type = value.type;
    const auto needed = static_cast<DWORD>(value.data.size());
    if (data == nullptr) {
        if (size != nullptr)
            *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return platform::make_win32_status(ERROR_MORE_DATA);
    }
    if (needed > 0)
        std::memcpy(data, value.data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

}

extern "C" {

PLATFORM_API LSTATUS RegOpenKeyExA(HKEY root, LPCSTR sub_key, DWORD options, REGSAM access,
                                   PHKEY result) noexcept
{
    if (result == nullptr)
        return platform::make_win32_status(ERROR_INVALID_PARAMETER);
    *result = nullptr;
    if (options != 0)
        return platform::make_win32_status(ERROR_INVALID_PARAMETER);
    try {
        OpenKey parent;
        if (!resolve(root, parent))
            return platform::make_win32_status(ERROR_INVALID_HANDLE);
        OpenKey key{parent.hive, platform::registry::join_paths(parent.path, sub_key != nullptr ? sub_key : ""),
                    access};
        const Store store = platform::registry::read_store(key.hive);
        if (store.find(key.path) == nullptr)
            return platform::make_win32_status(ERROR_FILE_NOT_FOUND);
        *result = add_handle(std::move(key));
        return ERROR_SUCCESS;
    } catch (...) {
        return platform::make_win32_status(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API LSTATUS RegCreateKeyExA(HKEY root, LPCSTR sub_key, DWORD /*reserved*/, LPSTR /*key_class*/,
                                     DWORD /*options*/, REGSAM access,
                                     const SECURITY_ATTRIBUTES* /*security_attributes*/, PHKEY result,
                                     LPDWORD disposition) noexcept
{
    if (result == nullptr)
        return platform::make_win32_status(ERROR_INVALID_PARAMETER);
    *result = nullptr;
    if (sub_key == nullptr)
        return platform::make_win32_status(ERROR_INVALID_PARAMETER);
    try {
        OpenKey parent;
        if (!resolve(root, parent))
            return platform::make_win32_status(ERROR_INVALID_HANDLE);
        OpenKey key{parent.hive, platform::registry::join_paths(parent.path, sub_key), access};
        bool created = false;
        const LSTATUS status =
            platform::registry::update_store(key.hive, [&](Store& store, LSTATUS& /*error*/) {
                if (store.find(key.path) != nullptr)
                    return false;
                store.ensure(key.path);
                created = true;
                return true;
            });
        if (status != ERROR_SUCCESS)
            return status;
        if (disposition != nullptr)
            *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        *result = add_handle(std::move(key));
        return ERROR_SUCCESS;
    } catch (...) {
        return platform::make_win32_status(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API LSTATUS RegCloseKey(HKEY key) noexcept
{
    if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE)
        return ERROR_SUCCESS;
    KeyTable& table = key_table();
    const std::lock_guard lock(table.mutex);
    if (table.keys.erase(reinterpret_cast<uintptr_t>(key)) == 0)
        return platform::make_win32_status(ERROR_INVALID_HANDLE);
    return ERROR_SUCCESS;
}

PLATFORM_API LSTATUS RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type,
                                      BYTE* data, LPDWORD size) noexcept
{
    if (reserved != nullptr || (data != nullptr && size == nullptr))
        return platform::make_win32_status(ERROR_INVALID_PARAMETER);
    try {
        OpenKey open;
        if (!resolve(key, open))
            return platform::make_win32_status(ERROR_INVALID_HANDLE);
        if ((open.access & KEY_QUERY_VALUE) == 0)
            return platform::make_win32_status(ERROR_ACCESS_DENIED);
        const Store store = platform::registry::read_store(open.hive);
        const Key* stored = store.find(open.path);
        if (stored == nullptr)
            return platform::make_win32_status(ERROR_KEY_DELETED);
        const Value* value = stored->find_value(value_name != nullptr ? value_name : "");
        if (value == nullptr)
            return platform::make_win32_status(ERROR_FILE_NOT_FOUND);
        return copy_data(*value, type, data, size);
    } catch (...) {
        return platform::make_win32_status(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API LSTATUS RegSetValueExA(HKEY key, LPCSTR value_name, DWORD /*reserved*/, DWORD type,
                                    const BYTE* data, DWORD size) noexcept
{
    if ((data == nullptr && size > 0) || size > platform::registry::kMaxValueSize)
        return platform::make_win32_status(ERROR_INVALID_PARAMETER);
    const char* name = value_name != nullptr ? value_name : "";
    if (std::strlen(name) > platform::registry::kMaxNameLength)
        return platform::make_win32_status(ERROR_INVALID_PARAMETER);
    try {
        OpenKey open;
        if (!resolve(key, open))
            return platform::make_win32_status(ERROR_INVALID_HANDLE);
        if ((open.access & KEY_SET_VALUE) == 0)
            return platform::make_win32_status(ERROR_ACCESS_DENIED);
        std::vector<uint8_t> bytes;
        if (size > 0)
            bytes.assign(data, data + size);
        return platform::registry::update_store(open.hive, [&](Store& store, LSTATUS& error) {
            Key* stored = store.find(open.path);
            if (stored == nullptr) {
                error = platform::make_win32_status(ERROR_KEY_DELETED);
                return false;
            }
            stored->set_value(name, type, std::move(bytes));
            return true;
        });
    } catch (...) {
        return platform::make_win32_status(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD name_size,
                                   LPDWORD reserved, LPDWORD type, BYTE* data, LPDWORD size) noexcept
{
    if (name == nullptr || name_size == nullptr || reserved != nullptr ||
        (data != nullptr && size == nullptr))
        return platform::make_win32_status(ERROR_INVALID_PARAMETER);
    try {
        OpenKey open;
        if (!resolve(key, open))
            return platform::make_win32_status(ERROR_INVALID_HANDLE);
        if ((open.access & KEY_QUERY_VALUE) == 0)
            return platform::make_win32_status(ERROR_ACCESS_DENIED);
        const Store store = platform::registry::read_store(open.hive);
        const Key* stored = store.find(open.path);
        if (stored == nullptr)
            return platform::make_win32_status(ERROR_KEY_DELETED);
        if (index >= stored->values().size())
            return ERROR_NO_MORE_ITEMS;
        const Value& value = stored->values()[index];
        if (value.name.size() + 1 > *name_size)
            return platform::make_win32_status(ERROR_MORE_DATA);
        std::memcpy(name, value.name.c_str(), value.name.size() + 1);
        *name_size = static_cast<DWORD>(value.name.size());
        return copy_data(value, type, data, size);
    } catch (...) {
        return platform::make_win32_status(ERROR_NOT_ENOUGH_MEMORY);
    }
}

}
