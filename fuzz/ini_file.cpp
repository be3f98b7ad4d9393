// Fuzz target of the settings files (TIniFile): any bytes as a settings file, read by
// section and key, changed once, and read again.
//
// Input: a control byte, then the file's bytes. Control bits 0-1 pick the section,
// bits 2-3 the key, bit 4 whether the change writes a string or an integer. The file
// lives in a private temporary folder.

#include "framework/inifiles.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const kSections[] = {"Display Management", "dirs", "", "a]"};
const char* const kKeys[] = {"Left", "lastvectordir", "", "Wide "};

const std::string& file_path()
{
    static const std::string* path = [] {
        const char* base = std::getenv("TMPDIR");
        std::string folder =
            std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/ini_fuzz.XXXXXX";
        if (mkdtemp(folder.data()) == nullptr)
            std::abort();
        return new std::string(folder + "/fuzz.ini");
    }();
    return *path;
}

void read_all(const fw::TIniFile& ini, const QString& section, const QString& key)
{
    ini.ReadString(section, key, QStringLiteral("default"));
    ini.ReadInteger(section, key, -1);
    ini.ReadBool(section, key, true);
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

    const QString section = QString::fromUtf8(kSections[control & 3]);
    const QString key = QString::fromUtf8(kKeys[(control >> 2) & 3]);
    fw::TIniFile ini(QString::fromStdString(path));
    read_all(ini, section, key);
    try {
        if (control & 0x10)
            ini.WriteString(section, key, QStringLiteral("C:\\x \"q\""));
        else
            ini.WriteInteger(section, key, -42);
    } catch (const fw::Exception&) {
        // A file that cannot be rewritten reports it; nothing more to check.
    }
    read_all(ini, section, key);
    return 0;
}
