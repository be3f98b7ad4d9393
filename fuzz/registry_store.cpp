// Fuzz target of the registry's store files: any bytes as the current user's store,
// every value of a key enumerated and read, then one value written, which makes the
// store write the whole file back, and read again.
//
// Input: a control byte (bits 0-1 pick the key opened), then the file's bytes. The
// store lives in a private XDG_CONFIG_HOME.

#include "platform/registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const kKeys[] = {"", "k", "software\\osmark\\env", "K\\sub"};

const std::string& store_path()
{
    static const std::string* path = [] {
        const char* base = std::getenv("TMPDIR");
        std::string folder = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/registry_fuzz.XXXXXX";
        if (mkdtemp(folder.data()) == nullptr)
            std::abort();
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        mkdir((folder + "/tarvek").c_str(), 0700);
        mkdir((folder + "/tarvek/registry").c_str(), 0700);
        return new std::string(folder + "/tarvek/registry/current_user");
    }();
    return *path;
}

void read_every_value(const char* key_name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_name, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0; index < 64; ++index) {
        char name[32];
        DWORD name_size = sizeof name;
        BYTE data[64];
        DWORD data_size = sizeof data;
        DWORD type = 0;
        const LSTATUS status = RegEnumValueA(key, index, name, &name_size, nullptr, &type, data, &data_size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS)
            RegQueryValueExA(key, name, nullptr, &type, data, &data_size);
    }
    RegCloseKey(key);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const std::string& path = store_path();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data + 1, 1, size - 1, file);
    std::fclose(file);

    const char* key_name = kKeys[data[0] & 3];
    read_every_value(key_name);
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key_name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExA(key, "fuzz", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
        RegCloseKey(key);
    }
    read_every_value(key_name);
    return 0;
}
