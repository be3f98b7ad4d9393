#include "listview/common/counted_libraries.h"

#include "platform/module_loading.h"

#include <algorithm>
#include <cctype>

namespace vistrel::listview {

namespace {

std::vector<TLibRec>& loaded()
{
    static std::vector<TLibRec> libraries;
    return libraries;
}

bool same_name(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}

HMODULE LoadLibraryCounted(const std::string& Name)
{
    std::vector<TLibRec>& libraries = loaded();
    for (TLibRec& entry : libraries) {
        if (same_name(entry.LibraryName, Name)) {
            // Every count holds a reference of the platform's own, so that freeing the
            // module once per count never drops a reference that someone else holds.
            if (LoadLibraryA(entry.LibraryName.c_str()) == nullptr)
                return nullptr;
            ++entry.ReferenceCount;
            return entry.Handle;
        }
    }
    const HMODULE handle = LoadLibraryA(Name.c_str());
    if (handle == nullptr)
        return nullptr;
    libraries.push_back(TLibRec{Name, 1, handle});
    return handle;
}

void UnloadAllLibraries()
{
    std::vector<TLibRec>& libraries = loaded();
    while (!libraries.empty()) {
        const TLibRec& entry = libraries.back();
        for (int i = 0; i < entry.ReferenceCount; ++i)
            FreeLibrary(entry.Handle);
        libraries.pop_back();
    }
    libraries.shrink_to_fit();
}

const std::vector<TLibRec>& LoadedLibraries()
{
    return loaded();
}

}
