// A program that tests start as a child process to see what Osmark's start-up made of
// a prepared registry, ENV folder and environment. Each mode prints one answer.
//   assign NAME            the path of an assign, or <none>
//   expand PATH            the path with its assign expanded
//   getvar NAME FLAGS      [value]length of a variable, or <missing>
//   regvalue cu|lm KEY VALUE   a registry value as RegFileSearch reads it

#include "osmark/assigns.h"
#include "osmark/memory.h"
#include "osmark/variables.h"
#include "osmark/versions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const std::string mode = argv[1];
    if (mode == "assign") {
        const char* path = nullptr;
        std::printf("%s", AssignFind(argv[2], &path, nullptr) ? (path != nullptr ? path : "<no path>") : "<none>");
        return 0;
    }
    if (mode == "expand") {
        char* expanded = AllocExpandedPath(argv[2]);
        std::printf("%s", expanded != nullptr ? expanded : "<failed>");
        FreeExpandedPath(expanded);
        return 0;
    }
    if (mode == "getvar" && argc == 4) {
        const auto flags = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 0));
        const int32_t size = GetVar(argv[2], nullptr, 0, flags);
        if (size < 0) {
            std::printf("<missing>");
            return 0;
        }
        std::string value(static_cast<size_t>(size), '\0');
        const int32_t length = GetVar(argv[2], value.data(), size, flags);
        value.resize(static_cast<size_t>(length));
        std::printf("[%s]%d", value.c_str(), length);
        return 0;
    }
    if (mode == "regvalue" && argc == 5) {
        char buffer[512];
        const HKEY root = std::strcmp(argv[2], "cu") == 0 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        std::printf("%s", RegFileSearch(root, argv[3], argv[4], buffer, sizeof buffer));
        return 0;
    }
    return 2;
}
