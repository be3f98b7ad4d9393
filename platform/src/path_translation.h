// The one translation of Win32 path names into Linux paths, used by every call of
// the platform layer that takes a path.
//
//  - '\' and '/' both separate components;
//  - a one-letter drive prefix "X:" stands for the root "/" (so "C:\a" and "C:a" are
//    both "/a"), or for its folder when a test laid the drive over one;
//  - "." and ".." are resolved in the text, as Win32 does, before the file system is
//    asked (so "missing\..\a" is "a"); a relative path stays relative to the current
//    directory;
//  - where the exact path does not exist, each component is looked up in its folder
//    without regard to case (file_name_rules.h); of several candidates the exact
//    spelling wins, else the first in byte order. Components that are not found keep
//    their spelling, so a new file is created under the name given, in the folder
//    found.
// Every byte but NUL is allowed in a name; only '\' can never be part of one.
#ifndef PLATFORM_SRC_PATH_TRANSLATION_H
#define PLATFORM_SRC_PATH_TRANSLATION_H

#include "platform/internal/error_trace.h"
#include "platform/win_types.h"

#include <string>

namespace platform {

struct TranslatedPath {
    std::string native;          // the Linux path to hand to the system
    bool exists = false;         // it names an entry (a dangling link counts)
    bool parent_exists = false;  // every folder above its last component was found
    bool trailing_separator = false;  // the name ended in a separator
};

// Translates a Win32 path name. False with the last error set for NULL
// (ERROR_INVALID_PARAMETER), an empty name (ERROR_PATH_NOT_FOUND) or a name too long
// for the system (ERROR_FILENAME_EXCED_RANGE).
bool translate_path(LPCSTR name, TranslatedPath& path);

// The text part of the translation only (separators, drive prefix, "." and ".."),
// without asking the file system. Empty for an empty name.
std::string lexical_native_path(const char* name);

// The Win32 error for a failed system call on a translated path: a missing entry is
// ERROR_PATH_NOT_FOUND when a folder above it is missing, else ERROR_FILE_NOT_FOUND,
// and a file used as a folder is ERROR_PATH_NOT_FOUND.
DWORD path_error(int error_number, const TranslatedPath& path);

// make_win32_error(path_error(...)), naming the caller's site.
void set_path_error(int error_number, const TranslatedPath& path,
                    platform::SourceSite where = platform::SourceSite::current());

// The last component of a native path (after the last '/').
std::string last_component(const std::string& native);

// The folder part of a native path ("." for a bare name, "/" for the root).
std::string folder_part(const std::string& native);

}

#endif
