// Pieces shared by the reading and the writing of settings files.
#ifndef OSMARK_CORE_SETTINGS_FILE_INTERNAL_H
#define OSMARK_CORE_SETTINGS_FILE_INTERNAL_H

#include "osmark/files.h"

#include <optional>
#include <string>
#include <string_view>

namespace osmark::settings {

// The path of a settings file, or nothing when it cannot be formed (a name or a search
// list too long for the path buffers).
std::optional<std::string> locate(const char* name);

// The next line without its line end, whole whatever its length (FGets hands a long
// line over in pieces, which are joined again here); false at end of file.
bool read_line(FileHandle* fh, std::string& line);

// The section name of a header line ('[' first and a ']' somewhere), else nothing.
std::optional<std::string_view> header_name(std::string_view line);

// The name as a NUL-terminated string for StriCmp.
bool same_name(std::string_view a, const char* b);

}

#endif
