// Fuzz target of the assigns file: any bytes as an assigns file through AssignLoad,
// then expansion of paths through whatever assigns it made (assigns that stand for
// each other must end in a clean failure), then every user assign removed again.
//
// Input: the file's bytes. The file lives in a private temporary folder.

#include "osmark/assigns.h"
#include "osmark/memory.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::string& file_path()
{
    static const std::string* path = [] {
        const char* base = std::getenv("TMPDIR");
        std::string folder = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/assign_fuzz.XXXXXX";
        if (mkdtemp(folder.data()) == nullptr)
            std::abort();
        return new std::string(folder + "/assigns");
    }();
    return *path;
}

std::vector<std::string> user_assign_names()
{
    std::vector<std::string> names;
    if (const List* list = GetAssignList()) {
        for (const Node* n = list->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ)
            names.push_back(n->ln_Name);
    }
    return names;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = file_path();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);

    AssignLoad(path.c_str());
    for (const std::string& name : user_assign_names()) {
        const std::string text = name + ":x/y";
        FreeExpandedPath(AllocExpandedPath(text.c_str()));
        char small[8];
        AssignExpand(text.c_str(), small, sizeof small);
        AssignExpand(text.c_str(), nullptr, 0);
    }
    for (const std::string& name : user_assign_names())
        AssignPath(name.c_str(), nullptr);
    return 0;
}
