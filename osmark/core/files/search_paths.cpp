// Search paths: walking a ';'-separated list of folders, finding a file along one, and
// reading a path from the registry.

#include "osmark/versions.h"

#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"
#include "osmark/paths.h"
#include "osmark/strings.h"
#include "osmark/variables.h"
#include "platform/environment.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

// Paths are formed in buffers of this size, as everywhere in the library's files.
constexpr uint32_t kPathSize = 512;

// One attempt: the element joined with the name. A join that does not fit the path
// buffer is not tried: a cut path would name some other file.
bool try_search_path(std::string_view element, const char* name, char* result)
{
    if (element.empty()) {
        // The name on its own, as it stands (a join would take the root off "/x").
        const size_t length = std::strlen(name);
        if (length >= kPathSize)
            return false;
        std::memcpy(result, name, length + 1);
    } else {
        if (element.size() >= kPathSize)
            return false;
        element.copy(result, element.size());
        result[element.size()] = '\0';
        if (!AddPart(result, name, kPathSize))
            return false;
    }
    FileHandle* fh = Open(result, FileModeRead);
    if (fh == nullptr)
        return false;
    Close(fh);
    return true;
}

// The name with the default extension first, when it has no '.' of its own.
bool try_search_name(std::string_view element, const char* name, const char* default_ext, char* result)
{
    if (std::strchr(name, '.') == nullptr && default_ext != nullptr && default_ext[0] != '\0') {
        char* with_ext = ChangeFileExt(name, default_ext);
        if (with_ext != nullptr) {
            const bool found = try_search_path(element, with_ext, result);
            FreeStr(with_ext);
            if (found)
                return true;
        }
    }
    return try_search_path(element, name, result);
}

}

extern "C" {

OSMARK_API const char* GetNextPath(const char* list, char* buffer, int32_t size) noexcept
{
    if (buffer == nullptr || size < 1)
        return nullptr;
    buffer[0] = '\0';
    if (list == nullptr || size == 1)
        return nullptr;
    const char* at = list;
    while (*at == ';')
        ++at;
    int32_t copied = 0;
    bool quoted = false;
    while (*at != '\0') {
        if (*at == '"') {
            quoted = !quoted;
            ++at;
            continue;
        }
        if (*at == ';' && !quoted)
            break;
        if (copied == size - 1)
            break;
        buffer[copied++] = *at++;
    }
    buffer[copied] = '\0';
    if (copied == size - 1)
        return nullptr;  // the buffer filled: the walk ends here
    if (*at == ';') {
        while (*at == ';')
            ++at;
        return at;
    }
    return copied > 0 ? at : nullptr;
}

OSMARK_API char* FileSearch(const char* name, const char* path_list, const char* default_ext) noexcept
{
    if (name == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    char* list = AllocStr(0, path_list != nullptr ? path_list : "");
    char* result = AllocStr(kPathSize, nullptr);
    char* found = nullptr;
    if (list != nullptr && result != nullptr) {
        bool success = try_search_name({}, name, default_ext, result);
        for (std::string_view rest = list; !success && !rest.empty();) {
            const size_t separator = rest.find(';');
            success = try_search_name(rest.substr(0, separator), name, default_ext, result);
            rest.remove_prefix(separator == std::string_view::npos ? rest.size() : separator + 1);
        }
        if (success)
            found = AllocStr(0, result);
    }
    FreeStr(result);
    FreeStr(list);
    return found;
}

OSMARK_API char* EnvFileSearch(const char* name, const char* variable, const char* default_ext) noexcept
{
    const int32_t size = GetVar(variable, nullptr, 0, 0);
    if (size <= 1)
        return nullptr;
    char* list = AllocStr(static_cast<uint32_t>(size), nullptr);
    if (list == nullptr)
        return nullptr;
    char* found = nullptr;
    if (GetVar(variable, list, size, 0) > 0)
        found = FileSearch(name, list, default_ext);
    FreeStr(list);
    return found;
}

OSMARK_API char* RegFileSearch(HKEY root, const char* sub_key, const char* value_name, char* buffer,
                               int32_t size) noexcept
{
    if (buffer == nullptr || size < 1)
        return buffer;
    buffer[0] = '\0';
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, sub_key, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return buffer;
    DWORD type = REG_NONE;
    DWORD bytes = static_cast<DWORD>(size);
    const LSTATUS status =
        RegQueryValueExA(key, value_name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    RegCloseKey(key);
    // Stored data need not end in a NUL; the buffer always does, or stays empty.
    const bool terminated = status == ERROR_SUCCESS && bytes > 0 && buffer[bytes - 1] == '\0';
    if (status != ERROR_SUCCESS || (!terminated && bytes >= static_cast<DWORD>(size))) {
        buffer[0] = '\0';
        return buffer;
    }
    if (!terminated)
        buffer[bytes] = '\0';
    if (type == REG_EXPAND_SZ) {
        try {
            const std::string source(buffer);
            const DWORD needed = ExpandEnvironmentStringsA(source.c_str(), buffer, static_cast<DWORD>(size));
            if (needed == 0 || needed > static_cast<DWORD>(size))
                buffer[0] = '\0';
        } catch (...) {
            buffer[0] = '\0';
        }
    }
    return buffer;
}

}
