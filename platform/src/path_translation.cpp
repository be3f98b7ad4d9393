#include "path_translation.h"

#include "file_name_rules.h"
#include "make_win32_error.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "test_drives.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

namespace {

bool is_separator(char c)
{
    return c == '/' || c == '\\';
}

bool is_ascii_letter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

struct SplitPath {
    bool absolute = false;
    bool trailing_separator = false;
    std::vector<std::string> components;
};

SplitPath split_lexically(std::string_view name)
{
    SplitPath split;
    // A drive that a test laid over a folder leads into that folder.
    std::string over_test_drive;
    if (name.size() >= 2 && is_ascii_letter(name[0]) && name[1] == ':') {
        platform::TestDrive drive;
        const bool is_test_drive = platform::find_test_drive(name[0], drive);
        name.remove_prefix(2);
        split.absolute = true;
        if (is_test_drive) {
            over_test_drive = drive.folder + '/';
            over_test_drive += name;
        }
    } else if (!name.empty() && is_separator(name.front())) {
        split.absolute = true;
    }
    split.trailing_separator = !name.empty() && is_separator(name.back());
    if (!over_test_drive.empty())
        name = over_test_drive;

    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !is_separator(name[end]))
            ++end;
        const std::string_view component = name.substr(start, end - start);
        if (component == "..") {
            // At the root ".." stays there; in a relative path it climbs out of the
            // current directory and is kept.
            if (!split.components.empty() && split.components.back() != "..")
                split.components.pop_back();
            else if (!split.absolute)
                split.components.emplace_back(component);
        } else if (!component.empty() && component != ".") {
            split.components.emplace_back(component);
        }
        start = end + 1;
    }
    return split;
}

std::string join(const std::string& folder, const std::string& component)
{
    if (folder.empty())
        return component;
    if (folder.back() == '/')
        return folder + component;
    return folder + '/' + component;
}

bool entry_exists(const std::string& path, int& error_number)
{
    struct stat status;
    if (lstat(path.c_str(), &status) == 0)
        return true;
    error_number = errno;
    return false;
}

// The entry of the folder whose name equals the component without regard to case:
// the first in byte order when there are several. Empty when there is none.
std::string find_ignoring_case(const std::string& folder, const std::string& component)
{
    DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
    if (directory == nullptr)
        return {};
    std::string best;
    while (const dirent* entry = readdir(directory)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (!platform::names_equal_ignoring_case(name, component))
            continue;
        if (best.empty() || name < best)
            best = name;
    }
    closedir(directory);
    return best;
}

}

namespace platform {

std::string lexical_native_path(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return {};
    const SplitPath split = split_lexically(name);
    std::string native = split.absolute ? "/" : "";
    for (const std::string& component : split.components)
        native = join(native, component);
    if (native.empty())
        native = ".";
    if (split.trailing_separator && native.back() != '/')
        native += '/';
    return native;
}

bool translate_path(LPCSTR name, TranslatedPath& path)
{
    path = TranslatedPath{};
    if (name == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (name[0] == '\0') {
        platform::make_win32_error(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (std::strlen(name) >= PATH_MAX) {
        platform::make_win32_error(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    const SplitPath split = split_lexically(name);
    path.trailing_separator = split.trailing_separator;

    std::string current = split.absolute ? "/" : "";
    // Most paths exist as written: one look settles them.
    std::string whole = current;
    for (const std::string& component : split.components)
        whole = join(whole, component);
    int whole_error = 0;
    if (!whole.empty() && whole.size() < PATH_MAX && entry_exists(whole, whole_error)) {
        path.exists = true;
        path.parent_exists = true;
        if (path.trailing_separator && whole.back() != '/')
            whole += '/';
        path.native = std::move(whole);
        return true;
    }
    size_t index = 0;
    for (; index < split.components.size(); ++index) {
        const std::string& component = split.components[index];
        const std::string exact = join(current, component);
        int error_number = 0;
        if (entry_exists(exact, error_number)) {
            current = exact;
            continue;
        }
        if (error_number != ENOENT)
            break;
        const std::string found = find_ignoring_case(current, component);
        if (found.empty())
            break;
        current = join(current, found);
    }
    path.parent_exists = index + 1 >= split.components.size();
    path.exists = index == split.components.size();
    for (; index < split.components.size(); ++index)
        current = join(current, split.components[index]);
    if (current.empty())
        current = ".";
    if (path.trailing_separator && current.back() != '/')
        current += '/';
    if (current.size() >= PATH_MAX) {
        platform::make_win32_error(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    path.native = std::move(current);
    return true;
}

DWORD path_error(int error_number, const TranslatedPath& path)
{
    if (error_number == ENOENT)
        return path.parent_exists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    if (error_number == ENOTDIR)
        return ERROR_PATH_NOT_FOUND;
    return platform_win32_error_from_errno(error_number);
}

void set_path_error(int error_number, const TranslatedPath& path, platform::SourceSite where)
{
    make_win32_error(path_error(error_number, path), where);
}

std::string last_component(const std::string& native)
{
    std::string_view text = native;
    while (text.size() > 1 && text.back() == '/')
        text.remove_suffix(1);
    const size_t slash = text.rfind('/');
    if (slash == std::string_view::npos)
        return std::string(text);
    if (text.size() == 1)
        return "/";
    return std::string(text.substr(slash + 1));
}

std::string folder_part(const std::string& native)
{
    std::string_view text = native;
    while (text.size() > 1 && text.back() == '/')
        text.remove_suffix(1);
    const size_t slash = text.rfind('/');
    if (slash == std::string_view::npos)
        return ".";
    if (slash == 0)
        return "/";
    return std::string(text.substr(0, slash));
}

}
