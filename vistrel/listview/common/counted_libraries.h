// Modules loaded by name with a count of their users, all freed together at the end.
#ifndef VISTREL_LISTVIEW_COMMON_COUNTED_LIBRARIES_H
#define VISTREL_LISTVIEW_COMMON_COUNTED_LIBRARIES_H

#include "platform/win_types.h"

#include <string>
#include <vector>

namespace vistrel::listview {

// One loaded module: its name as first asked for, how often it was asked for, and
// its handle.
struct TLibRec {
    std::string LibraryName;
    int ReferenceCount = 0;
    HMODULE Handle = nullptr;
};

// The module of that name (names compared without regard to ASCII case): an entry
// already loaded counts one more user; another is loaded (LoadLibraryA) and recorded.
// nullptr, with nothing recorded, when it cannot be loaded.
HMODULE LoadLibraryCounted(const std::string& Name);
// Frees every recorded module as often as it was asked for, the last one first, and
// forgets them.
void UnloadAllLibraries();
// The recorded modules, in the order of their first loading.
const std::vector<TLibRec>& LoadedLibraries();

}

#endif
