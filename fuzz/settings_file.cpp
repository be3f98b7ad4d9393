// Fuzz target of the settings files: any bytes as a settings file, read in each of its
// three modes into buffers of several sizes, then changed once by WriteEnvString and
// read again.
//
// Input: a control byte, then the file's bytes. Control bits 0-1 pick the section
// name asked for, bits 2-3 the key, bits 4-5 the change (set, remove a key, remove a
// section, set a value with escapes). The file lives in a private temporary folder.

#include "osmark/settings.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const kSections[] = {"A", "Display", "", "a]"};
const char* const kKeys[] = {"a", "Width", "", "Wide "};

const std::string& file_path()
{
    static const std::string* path = [] {
        const char* base = std::getenv("TMPDIR");
        std::string folder = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/settings_fuzz.XXXXXX";
        if (mkdtemp(folder.data()) == nullptr)
            std::abort();
        return new std::string(folder + "/fuzz.env");
    }();
    return *path;
}

void read_every_mode(const char* path, const char* section, const char* key)
{
    char buffer[300];
    for (const int32_t size : {0, 1, 9, 300}) {
        ReadEnvString(path, section, key, "default", size > 0 ? buffer : nullptr, size);
        ReadEnvString(path, section, nullptr, nullptr, size > 0 ? buffer : nullptr, size);
        ReadEnvString(path, nullptr, nullptr, "", size > 0 ? buffer : nullptr, size);
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t control = data[0];
    const std::string& path = file_path();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data + 1, 1, size - 1, file);
    std::fclose(file);

    const char* section = kSections[control & 3];
    const char* key = kKeys[(control >> 2) & 3];
    read_every_mode(path.c_str(), section, key);
    switch ((control >> 4) & 3) {
    case 0: WriteEnvString(path.c_str(), section, key, "value"); break;
    case 1: WriteEnvString(path.c_str(), section, key, nullptr); break;
    case 2: WriteEnvString(path.c_str(), section, nullptr, nullptr); break;
    default: WriteEnvString(path.c_str(), section, key, "C:\\x\r\n\t="); break;
    }
    read_every_mode(path.c_str(), section, key);
    return 0;
}
