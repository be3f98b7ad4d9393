#include "platform/registry.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Every test gets a registry of its own: XDG_CONFIG_HOME points into a fresh folder.
class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.ok());
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_old_config = old != nullptr ? old : "";
        m_had_config = old != nullptr;
        setenv("XDG_CONFIG_HOME", m_folder.path().c_str(), 1);
    }

    void TearDown() override
    {
        if (m_had_config)
            setenv("XDG_CONFIG_HOME", m_old_config.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }

    std::string store_path(const char* root) const
    {
        return m_folder.path("tarvek/registry/") + root;
    }

    std::string read_store(const char* root) const
    {
        std::ifstream file(store_path(root), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    void write_store(const char* root, const std::string& text) const
    {
        std::filesystem::create_directories(m_folder.path("tarvek/registry"));
        std::ofstream(store_path(root), std::ios::binary) << text;
    }

    static void set_string(HKEY root, const char* key, const char* name, const char* value,
                           DWORD type = REG_SZ)
    {
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(handle, name, 0, type, reinterpret_cast<const BYTE*>(value),
                                 static_cast<DWORD>(std::strlen(value) + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(handle);
    }

    // The string value, or "<missing>" when the key or value cannot be read.
    static std::string get_string(HKEY root, const char* key, const char* name)
    {
        HKEY handle = nullptr;
        if (RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
            return "<missing>";
        char buffer[256] = {};
        DWORD size = sizeof buffer - 1;
        const LSTATUS status = RegQueryValueExA(handle, name, nullptr, nullptr,
                                                reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(handle);
        return status == ERROR_SUCCESS ? std::string(buffer) : "<missing>";
    }

    const test_support::TempFolder m_folder;
    std::string m_old_config;
    bool m_had_config = false;
};

TEST_F(Registry, CreatesSetsAndQueriesValues)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\osmark\\env", 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const char path[] = "/data/Osmark/Env";
    ASSERT_EQ(RegSetValueExA(key, "basepath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof path),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    // Names compare without case; the key is there with the keys above it.
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Osmark\\ENV", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "BasePath", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, sizeof path);

    char small[4] = {'x', 'x', 'x', 'x'};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "basepath", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof path) << "the size needed";
    EXPECT_EQ(small[0], 'x') << "nothing written";

    char buffer[64];
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "basepath", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof path);
    EXPECT_STREQ(buffer, path);
    EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Osmark", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\OSMARK\\env\\", 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
}

TEST_F(Registry, KeepsTheTwoRootsApart)
{
    set_string(HKEY_CURRENT_USER, "software\\osmark\\env", "basepath", "user");
    EXPECT_EQ(get_string(HKEY_CURRENT_USER, "software\\osmark\\env", "basepath"), "user");
    EXPECT_EQ(get_string(HKEY_LOCAL_MACHINE, "software\\osmark\\env", "basepath"), "<missing>");
    set_string(HKEY_LOCAL_MACHINE, "software\\osmark\\env", "basepath", "machine");
    EXPECT_EQ(get_string(HKEY_CURRENT_USER, "software\\osmark\\env", "basepath"), "user");
    EXPECT_EQ(get_string(HKEY_LOCAL_MACHINE, "software\\osmark\\env", "basepath"), "machine");
}

TEST_F(Registry, WritesTheDocumentedFileFormat)
{
    set_string(HKEY_CURRENT_USER, "Software\\My App", "", "a b");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\my app", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const uint8_t number[] = {1, 0, 0, 0};
    ASSERT_EQ(RegSetValueExA(key, "50%@", 0, REG_DWORD, number, sizeof number), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(read_store("current_user"),
              "tarvek-registry 1\n"
              "key @\n"
              "key Software\n"
              "key Software\\My%20App\n"
              "value @ 1 x61206200\n"
              "value 50%25%40 4 x01000000\n"
              "value Empty 3 x\n");
    // The write goes through a temporary file that is renamed: none stays behind.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder.path("tarvek/registry")))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"current_user", "current_user.lock"}));
}

TEST_F(Registry, ReplacesAValueWhereItStandsAndEnumeratesInOrder)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "k", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const char* name : {"First", "Second", "Third"})
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(name), 6), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "SECOND", 0, REG_BINARY, reinterpret_cast<const BYTE*>("xy"), 2),
              ERROR_SUCCESS);

    std::vector<std::string> seen;
    for (DWORD index = 0;; ++index) {
        char name[16];
        DWORD name_size = sizeof name;
        BYTE data[16];
        DWORD size = sizeof data;
        DWORD type = 0;
        const LSTATUS status = RegEnumValueA(key, index, name, &name_size, nullptr, &type, data, &size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        EXPECT_EQ(name_size, std::strlen(name));
        seen.push_back(std::string(name) + ":" + std::to_string(type) + ":" + std::to_string(size));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"First:1:6", "Second:3:2", "Third:1:6"}));

    char name[6];
    DWORD name_size = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 1, name, &name_size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA)
        << "\"Second\" needs 7 characters";
    BYTE data[1];
    DWORD size = sizeof data;
    name_size = 16;
    char long_name[16];
    EXPECT_EQ(RegEnumValueA(key, 0, long_name, &name_size, nullptr, nullptr, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    RegCloseKey(key);
}

TEST_F(Registry, ChecksHandlesAndAccessRights)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "no\\such\\key", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    const HKEY classes_root = reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(0x80000000u)));
    EXPECT_EQ(RegOpenKeyExA(classes_root, "x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "x", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);

    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "a\\b", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_ACCESS_DENIED);
    // A key opened from an open key, and a second handle of the same key.
    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A", 0, KEY_WRITE, &parent), ERROR_SUCCESS);
    HKEY child = nullptr;
    ASSERT_EQ(RegOpenKeyExA(parent, "B", 0, KEY_SET_VALUE, &child), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(child, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(child, "v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    HKEY same = nullptr;
    ASSERT_EQ(RegOpenKeyExA(key, nullptr, 0, KEY_READ, &same), ERROR_SUCCESS);
    EXPECT_NE(same, key);

    for (HKEY handle : {key, parent, child, same})
        EXPECT_EQ(RegCloseKey(handle), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE) << "closed twice";
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "v", reinterpret_cast<LPDWORD>(&size), nullptr, nullptr,
                               &size),
              ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, ReadsOnlyWhatParsesFromADamagedFile)
{
    struct Row {
        const char* why;
        std::string text;
        const char* expected;  // the value "v" of key "k", or "<missing>"
    };
    const std::string good = "key k\nvalue v 1 x6f6b00\n";
    const Row rows[] = {
        {"a good file", "tarvek-registry 1\n" + good, "ok"},
        {"no final line end", "tarvek-registry 1\nkey k\nvalue v 1 x6f6b00", "ok"},
        {"another format", "tarvek-registry 2\n" + good, "<missing>"},
        {"no format line", good, "<missing>"},
        {"empty file", "", "<missing>"},
        {"value before any key", "tarvek-registry 1\nvalue v 1 x6f6b00\nkey k\n", "<missing>"},
        {"odd hex digits", "tarvek-registry 1\nkey k\nvalue v 1 x6f6b0\n", "<missing>"},
        {"bad hex digit", "tarvek-registry 1\nkey k\nvalue v 1 x6g6b00\n", "<missing>"},
        {"data without x", "tarvek-registry 1\nkey k\nvalue v 1 6f6b00\n", "<missing>"},
        {"type not a number", "tarvek-registry 1\nkey k\nvalue v one x6f6b00\n", "<missing>"},
        {"type too large", "tarvek-registry 1\nkey k\nvalue v 99999999999 x6f6b00\n", "<missing>"},
        {"extra token", "tarvek-registry 1\nkey k\nvalue v 1 x6f6b00 x\n", "<missing>"},
        {"cut escape", "tarvek-registry 1\nkey k%4\nvalue v 1 x6f6b00\n", "<missing>"},
        {"NUL escape", "tarvek-registry 1\nkey k\nvalue v%00 1 x6f6b00\n", "<missing>"},
        {"bad line, then good", "tarvek-registry 1\ngarbage\n\n" + good, "ok"},
        {"bad key line ends the key", "tarvek-registry 1\n" + good + "key %zz\nvalue v 1 x6e6f00\n", "ok"},
        {"later value wins", "tarvek-registry 1\n" + good + "value V 1 x6e6f00\n", "no"},
        {"key written twice", "tarvek-registry 1\nkey k\nkey K\nvalue v 1 x6f6b00\n", "ok"},
        {"doubled separators", "tarvek-registry 1\nkey \\\\k\\\nvalue v 1 x6f6b00\n", "ok"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        write_store("current_user", row.text);
        EXPECT_EQ(get_string(HKEY_CURRENT_USER, "k", "v"), row.expected);
    }

    // A file beyond the size limit reads as empty, and a write replaces it.
    write_store("current_user", "tarvek-registry 1\n" + good + std::string(size_t{17} << 20, '#'));
    EXPECT_EQ(get_string(HKEY_CURRENT_USER, "k", "v"), "<missing>");
    set_string(HKEY_CURRENT_USER, "k", "v", "new");
    EXPECT_EQ(get_string(HKEY_CURRENT_USER, "k", "v"), "new");
    EXPECT_LT(read_store("current_user").size(), 100u);
}

TEST_F(Registry, ConcurrentWritersLoseNoValue)
{
    set_string(HKEY_CURRENT_USER, "shared", "seed", "0");
    constexpr int kWrites = 15;
    auto writer = [](char prefix) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "shared", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
        for (int i = 0; i < kWrites; ++i) {
            const std::string name = prefix + std::to_string(i);
            RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
        }
        RegCloseKey(key);
    };
    std::thread first(writer, 'a');
    std::thread second(writer, 'b');
    first.join();
    second.join();
    for (char prefix : {'a', 'b'}) {
        for (int i = 0; i < kWrites; ++i) {
            const std::string name = prefix + std::to_string(i);
            EXPECT_EQ(get_string(HKEY_CURRENT_USER, "shared", name.c_str()), "1") << name;
        }
    }
}

}
