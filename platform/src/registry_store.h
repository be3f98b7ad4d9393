// The files that keep the registry: one store per root, read whole and written whole.
// The format is described in platform/registry.h.
#ifndef PLATFORM_SRC_REGISTRY_STORE_H
#define PLATFORM_SRC_REGISTRY_STORE_H

#include "make_win32_error.h"
#include "platform/registry.h"
#include "unique_fd.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::registry {

enum class Hive { CurrentUser, LocalMachine };

struct Value {
    std::string name;
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
};

// The folded form of a name (ASCII letters in lower case), under which it is indexed:
// two names are the same key or value when they differ only in ASCII case.
std::string folded_name(std::string_view name);

class Key {
public:
    explicit Key(std::string path) : m_path(std::move(path)) {}

    const std::string& path() const { return m_path; }  // components joined by '\', "" for the root
    const std::vector<Value>& values() const { return m_values; }  // in the order they were made

    const Value* find_value(std::string_view name) const;
    // Replaces the value of that name where it stands, or adds it at the end.
    void set_value(std::string_view name, DWORD type, std::vector<uint8_t> data);

private:
    std::string m_path;
    std::vector<Value> m_values;
    std::unordered_map<std::string, size_t> m_index;  // folded name -> position
};

// A whole store. Every key above a key is in it too; the root is always there.
class Store {
public:
    Store();

    Key* find(std::string_view path);
    const Key* find(std::string_view path) const;
    // The key, made (with the keys above it) when missing.
    Key& ensure(std::string_view path);

    const std::vector<Key>& keys() const { return m_keys; }

private:
    std::vector<Key> m_keys;  // in the order they were made; parents before children
    std::unordered_map<std::string, size_t> m_index;  // folded path -> position
};

// Limits that a store file must keep; anything beyond them is not read.
constexpr size_t kMaxStoreFileSize = size_t{16} << 20;
constexpr size_t kMaxValueSize = size_t{1} << 20;
constexpr size_t kMaxNameLength = 16383;

// A key path in its stored form: empty components dropped, the rest joined by '\'.
std::string normalise_path(std::string_view path);
std::string join_paths(std::string_view parent, std::string_view child);

// The text of a store file, and a store from such a text (never failing: what does
// not parse is passed over).
std::string format_store(const Store& store);
Store parse_store(std::string_view text);

// The store of a root as its file holds it now (empty when there is no file).
Store read_store(Hive hive);

// Runs change(store) on the current content, under the store's lock; when it returns
// true the store is written back. The result is ERROR_SUCCESS, the error that change
// reports through its status, or ERROR_CANTWRITE when the file cannot be written.
template <typename Change>
LSTATUS update_store(Hive hive, Change&& change);

// The pieces of update_store.
class StoreLock {
public:
    explicit StoreLock(Hive hive);
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool locked() const { return m_descriptor.is_open(); }

private:
    UniqueFd m_descriptor;
};
bool write_store(Hive hive, const Store& store);

template <typename Change>
LSTATUS update_store(Hive hive, Change&& change)
{
    const StoreLock lock(hive);
    if (!lock.locked())
        return platform::make_win32_status(ERROR_CANTWRITE);
    Store store = read_store(hive);
    LSTATUS status = ERROR_SUCCESS;
    if (!change(store, status))
        return status;
    if (!write_store(hive, store))
        return platform::make_win32_status(ERROR_CANTWRITE);
    return ERROR_SUCCESS;
}

}

#endif
