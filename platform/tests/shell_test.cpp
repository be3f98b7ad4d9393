// Well-known folders in UTF-16, opening documents through the shell, and version
// information from a file's version note.

#include "platform/files.h"
#include "platform/kernel.h"
#include "platform/shell_execute.h"
#include "platform/shell_folders.h"
#include "platform/version_info.h"
#include "test_support/temp_folder.h"
#include "src/version_note.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using test_support::TempFolder;

namespace {

std::u16string wide(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

std::string narrow(const WCHAR* text)
{
    std::string out;
    for (; *text != 0; ++text)
        out += static_cast<char>(*text);
    return out;
}

intptr_t shell_open(const std::u16string& file, const char16_t* directory = nullptr,
                    const char16_t* verb = u"Open")
{
    return reinterpret_cast<intptr_t>(
        ShellExecuteW(nullptr, verb, file.c_str(), nullptr, directory, SW_SHOW));
}

std::string program_path()
{
    char path[4096];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length);
}

}

TEST(ShellFolders, CommonApplicationDataInUtf16)
{
    WCHAR path[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path),
              S_OK);
    EXPECT_EQ(narrow(path), std::getenv("XDG_DATA_HOME"));
    EXPECT_EQ(SHGetFolderPathW(nullptr, 0x7777, nullptr, 0, path), E_FAIL);
    EXPECT_EQ(path[0], 0);
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, nullptr), E_INVALIDARG);
}

TEST(ShellExecute, WithoutADesktopTheRequestIsLogged)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    folder.write("Docs/Readme.TXT", "x");
    testing::internal::CaptureStderr();
    EXPECT_GT(shell_open(u"https://www.example.com/parts"), 32);
    EXPECT_GT(shell_open(wide(folder.path("docs/readme.txt"))), 32); // the platform's path rules
    EXPECT_GT(shell_open(u"readme.txt", wide(folder.path("Docs")).c_str(), nullptr), 32);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("ShellExecute: open https://www.example.com/parts\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find("ShellExecute: open file://" + folder.path("Docs/Readme.TXT") + "\n"),
              std::string::npos)
        << log;
}

TEST(ShellExecute, FailuresGiveTheShellsCodes)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    struct Row {
        const char* what;
        std::u16string file;
        const char16_t* verb;
        intptr_t code;
    };
    const Row rows[] = {
        {"missing file", wide(folder.path("none.txt")), u"open", SE_ERR_FNF},
        {"missing folder", wide(folder.path("none/x.txt")), u"open", SE_ERR_PNF},
        {"empty name", u"", u"open", SE_ERR_FNF},
        {"other verb", u"https://example.com", u"print", SE_ERR_NOASSOC},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(shell_open(row.file, nullptr, row.verb), row.code);
    }
    EXPECT_EQ(
        reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, nullptr, nullptr, nullptr, nullptr, 0)),
        SE_ERR_FNF);
}

TEST(VersionInfo, TheProgramsNoteGivesItsFixedVersion)
{
    const std::u16string name = wide(program_path());
    DWORD handle = 7;
    const DWORD size = GetFileVersionInfoSizeW(name.c_str(), &handle);
    ASSERT_GT(size, 0u);
    EXPECT_EQ(handle, 0u);
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(name.c_str(), handle, size, block.data()));
    void* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), u"\\", &fixed, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, fixed, sizeof info);
    EXPECT_EQ(info.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(info.dwFileVersionMS, 0x00030000u); // this test program is 3.0.2.0
    EXPECT_EQ(info.dwFileVersionLS, 0x00020000u);
    EXPECT_EQ(info.dwProductVersionMS, 0x00030000u);
    EXPECT_FALSE(
        VerQueryValueW(block.data(), u"\\StringFileInfo\\040904b0\\FileVersion", &fixed, &length));
    EXPECT_FALSE(GetFileVersionInfoW(name.c_str(), 0, size - 1, block.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(VersionInfo, FilesWithoutANoteHaveNoVersion)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::u16string text = wide(folder.write("plain.txt", "no elf here"));
    EXPECT_EQ(GetFileVersionInfoSizeW(text.c_str(), nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    const std::u16string missing = wide(folder.path("none.exe"));
    EXPECT_EQ(GetFileVersionInfoSizeW(missing.c_str(), nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // A program of the system: an ELF file without the note.
    EXPECT_EQ(GetFileVersionInfoSizeW(u"/bin/sh", nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    UINT size = 0;
    void* fixed = nullptr;
    const char garbage[64] = {};
    EXPECT_FALSE(VerQueryValueW(garbage, u"\\", &fixed, &size));
}

namespace {

// A small ELF file (64-bit little-endian, or 32-bit big-endian) with a null section
// and one note section holding the notes given.
std::string elf_with_notes(const std::string& notes, bool is_64, bool big_endian,
                           uint64_t alignment = 4)
{
    auto put = [big_endian](std::string& out, uint64_t value, int width) {
        for (int i = 0; i < width; ++i) {
            const int shift = big_endian ? (width - 1 - i) * 8 : i * 8;
            out += static_cast<char>((value >> shift) & 0xFF);
        }
    };
    const uint64_t header_size = is_64 ? 64 : 52;
    const uint64_t entry_size = is_64 ? 64 : 40;
    const uint64_t notes_at = header_size;
    const uint64_t table_at = notes_at + notes.size();
    std::string file = "\x7F"
                       "ELF";
    file += static_cast<char>(is_64 ? 2 : 1);
    file += static_cast<char>(big_endian ? 2 : 1);
    file.resize(is_64 ? 0x28 : 0x20, '\0');
    put(file, table_at, is_64 ? 8 : 4);
    file.resize(is_64 ? 0x3A : 0x2E, '\0');
    put(file, entry_size, 2);
    put(file, 2, 2);
    file.resize(header_size, '\0');
    file += notes;
    file += std::string(entry_size, '\0'); // the null section
    std::string entry;
    put(entry, 0, 4);
    put(entry, 7, 4); // SHT_NOTE
    if (is_64) {
        put(entry, 0, 8);
        put(entry, 0, 8);
        put(entry, notes_at, 8);
        put(entry, notes.size(), 8);
        put(entry, 0, 8);
        put(entry, alignment, 8);
        put(entry, 0, 8);
    } else {
        put(entry, 0, 4);
        put(entry, 0, 4);
        put(entry, notes_at, 4);
        put(entry, notes.size(), 4);
        put(entry, 0, 4);
        put(entry, 0, 4);
        put(entry, alignment, 4);
        put(entry, 0, 4);
    }
    return file + entry;
}

std::string note(const std::string& name, uint32_t type, const std::string& description,
                 bool big_endian, size_t alignment = 4)
{
    std::string out;
    for (const uint32_t value :
         {static_cast<uint32_t>(name.size()), static_cast<uint32_t>(description.size()), type}) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((value >> ((big_endian ? 3 - i : i) * 8)) & 0xFF);
    }
    out += name;
    out.resize((out.size() + alignment - 1) / alignment * alignment, '\0');
    out += description;
    out.resize((out.size() + alignment - 1) / alignment * alignment, '\0');
    return out;
}

std::string words(std::initializer_list<uint32_t> values, bool big_endian)
{
    std::string out;
    for (const uint32_t value : values) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((value >> ((big_endian ? 3 - i : i) * 8)) & 0xFF);
    }
    return out;
}

std::optional<platform::VersionNote> find_in(const std::string& file)
{
    return platform::find_version_note(
        [&file](uint64_t offset, void* buffer, size_t size) {
            if (offset > file.size() || size > file.size() - offset)
                return false;
            std::memcpy(buffer, file.data() + offset, size);
            return true;
        },
        file.size());
}

}

TEST(VersionNote, FoundAfterOtherNotesInEitherLayout)
{
    for (const bool is_64 : {true, false}) {
        const bool big_endian = !is_64;
        SCOPED_TRACE(is_64 ? "64-bit little-endian" : "32-bit big-endian");
        const std::string name("Tarvek\0", 7);
        const std::string notes =
            note(std::string("GNU\0", 4), 3, "build-id", big_endian) +
            note(name, 2, words({1, 2, 3, 4}, big_endian), big_endian) + // other type
            note(name, 1, words({0x00030000, 0x00020000, 0x00010002, 5}, big_endian), big_endian);
        const std::optional<platform::VersionNote> found =
            find_in(elf_with_notes(notes, is_64, big_endian));
        ASSERT_TRUE(found);
        EXPECT_EQ(found->file_version_ms, 0x00030000u);
        EXPECT_EQ(found->file_version_ls, 0x00020000u);
        EXPECT_EQ(found->product_version_ms, 0x00010002u);
        EXPECT_EQ(found->product_version_ls, 5u);
    }
    // Notes padded to 8 bytes, as some 64-bit note sections are.
    const std::string notes =
        note(std::string("Tarvek\0", 7), 1, words({9, 8, 7, 6}, false), false, 8);
    const std::optional<platform::VersionNote> found =
        find_in(elf_with_notes(notes, true, false, 8));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->file_version_ms, 9u);
}

TEST(VersionNote, DamagedFilesGiveNothing)
{
    const std::string good = elf_with_notes(
        note(std::string("Tarvek\0", 7), 1, words({1, 2, 3, 4}, false), false), true, false);
    ASSERT_TRUE(find_in(good));
    // Every cut of the file ends cleanly.
    for (size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(find_in(good.substr(0, length))) << "cut at " << length;

    struct Row {
        const char* what;
        size_t offset;
        std::string bytes;
    };
    const Row rows[] = {
        {"not ELF", 1, "X"},
        {"unknown class", 4, "\x03"},
        {"unknown byte order", 5, std::string(1, '\0')},
        {"section table past the end", 0x28, std::string("\xFF\xFF\xFF\x7F\0\0\0\0", 8)},
        {"entries too small", 0x3A, std::string("\x10\0", 2)},
        {"too many sections", 0x3C, std::string("\xFF\xFF", 2)},
        {"note size past its section", 64, std::string("\x07\0\0\0\xFF\xFF\xFF\xFF", 8)},
        {"name size past its section", 64, std::string("\xF0\xFF\xFF\xFF", 4)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string damaged = good;
        damaged.replace(row.offset, row.bytes.size(), row.bytes);
        EXPECT_FALSE(find_in(damaged));
    }
    // A note that is no version note: wrong name, short description.
    EXPECT_FALSE(find_in(elf_with_notes(
        note(std::string("Tarvak\0", 7), 1, words({1, 2, 3, 4}, false), false), true, false)));
    EXPECT_FALSE(find_in(elf_with_notes(
        note(std::string("Tarvek\0", 7), 1, words({1, 2, 3}, false), false), true, false)));
}
