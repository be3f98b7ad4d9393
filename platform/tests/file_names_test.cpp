// Files and folders by name: path translation with its case-insensitive fallback,
// deleting, renaming, copying, folders, the current directory, full and temporary
// names, attributes, and names that Win32 would never see.

#include "files_test_support.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using files_test::invalid_handle;
using files_test::windows_form;
using test_support::exists;
using test_support::make_folders;
using test_support::read_file;
using test_support::TempFolder;
using test_support::write_file;

std::string read_through_platform(const std::string& name)
{
    const HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == invalid_handle())
        return "<error " + std::to_string(GetLastError()) + ">";
    char buffer[64];
    DWORD done = 0;
    ReadFile(file, buffer, sizeof buffer, &done, nullptr);
    CloseHandle(file);
    return std::string(buffer, done);
}

bool create_empty(const std::string& name, DWORD disposition = CREATE_NEW)
{
    const HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == invalid_handle())
        return false;
    CloseHandle(file);
    return true;
}

// Restores the current directory when the test ends.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() { m_saved = getcwd(nullptr, 0); }
    CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
    CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;
    ~CurrentDirectoryGuard()
    {
        if (m_saved != nullptr && chdir(m_saved) != 0)
            ADD_FAILURE() << "cannot return to " << m_saved;
        free(m_saved);
    }

private:
    char* m_saved = nullptr;
};

// ---- Path translation --------------------------------------------------------------------

TEST(PathTranslation, FindsEveryComponentWithoutRegardToCase)
{
    const TempFolder folder;
    make_folders(folder.path("a/b"));
    write_file(folder.path("a/b/C.txt"), "found");
    const std::string base = folder.path();
    const char* const names[] = {
        "a/b/C.txt",
        "A/B/c.TXT",
        "a\\B\\C.Txt",
        "a/./b/../b/c.txt",
        "missing/../A/b/c.txt",
        "a//b\\\\c.txt",
    };
    for (const char* name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(read_through_platform(base + "/" + name), "found");
        EXPECT_EQ(read_through_platform(windows_form(base) + "\\" + name), "found");
    }
    EXPECT_EQ(read_through_platform("c:" + base + "/A/B/C.TXT"), "found");
    EXPECT_EQ(GetFileAttributesA(windows_form(base + "/A/B").c_str()), FILE_ATTRIBUTE_DIRECTORY);
}

TEST(PathTranslation, CreatesUnderTheNameGivenInTheFolderFound)
{
    const TempFolder folder;
    make_folders(folder.path("Data/Sub"));
    ASSERT_TRUE(create_empty(folder.path("DATA/sub/New.Txt")));
    EXPECT_TRUE(exists(folder.path("Data/Sub/New.Txt")));
    EXPECT_FALSE(exists(folder.path("DATA")));
    // The new file is then found as any other, and is not made a second time.
    EXPECT_FALSE(create_empty(folder.path("data/SUB/NEW.TXT")));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    ASSERT_TRUE(CreateDirectoryA(windows_form(folder.path("data\\sub\\Deeper")).c_str(), nullptr));
    EXPECT_TRUE(exists(folder.path("Data/Sub/Deeper")));
}

TEST(PathTranslation, ExactSpellingWinsThenByteOrder)
{
    const TempFolder folder;
    write_file(folder.path("dup"), "lower");
    write_file(folder.path("Dup"), "upper");
    EXPECT_EQ(read_through_platform(folder.path("dup")), "lower");
    EXPECT_EQ(read_through_platform(folder.path("Dup")), "upper");
    EXPECT_EQ(read_through_platform(folder.path("DUP")), "upper");  // "Dup" < "dup"
}

TEST(PathTranslation, LettersBeyondAsciiFoldToo)
{
    const TempFolder folder;
    write_file(folder.path("\xC3\xA4rger.txt"), "umlaut");       // "ärger.txt"
    write_file(folder.path("\xD0\xB4\xD0\xB0.txt"), "cyrillic"); // "да.txt"
    EXPECT_EQ(read_through_platform(folder.path("\xC3\x84RGER.TXT")), "umlaut");
    EXPECT_EQ(read_through_platform(folder.path("\xD0\x94\xD0\x90.TXT")), "cyrillic");
}

TEST(PathTranslation, MissingEntriesAndFoldersTellApart)
{
    const TempFolder folder;
    write_file(folder.path("file.txt"), "x");
    struct Row {
        std::string name;
        DWORD error;
    };
    const Row rows[] = {
        {folder.path("missing.txt"), ERROR_FILE_NOT_FOUND},
        {folder.path("missing/file.txt"), ERROR_PATH_NOT_FOUND},
        {folder.path("missing/deeper/file.txt"), ERROR_PATH_NOT_FOUND},
        {folder.path("file.txt/inside"), ERROR_PATH_NOT_FOUND},
        {"", ERROR_PATH_NOT_FOUND},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(GetFileAttributesA(row.name.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetLastError(), row.error);
    }
    EXPECT_EQ(GetFileAttributesA(nullptr), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(PathTranslation, NamesWithEveryByteValue)
{
    const TempFolder folder;
    for (int byte = 1; byte < 256; ++byte) {
        if (byte == '/' || byte == '\\')
            continue;
        SCOPED_TRACE(byte);
        const std::string name = std::string("n") + static_cast<char>(byte) + "x";
        const std::string path = folder.path(name);
        ASSERT_TRUE(create_empty(path));
        EXPECT_TRUE(exists(path));
        EXPECT_EQ(GetFileAttributesA(path.c_str()), FILE_ATTRIBUTE_ARCHIVE);
        WIN32_FIND_DATAA data;
        const HANDLE find = FindFirstFileA(path.c_str(), &data);
        ASSERT_NE(find, invalid_handle());
        // '*' and '?' are wildcards; the name itself must still be among the finds.
        bool found = false;
        do {
            found = found || name == data.cFileName;
        } while (FindNextFileA(find, &data));
        FindClose(find);
        EXPECT_TRUE(found);
        EXPECT_TRUE(DeleteFileA(path.c_str()));
        EXPECT_FALSE(exists(path));
    }
}

TEST(PathTranslation, OverlongNamesFailCleanly)
{
    const TempFolder folder;
    write_file(folder.path("short.txt"), "x");
    const std::string long_component = folder.path(std::string(300, 'n'));
    std::string long_path = folder.path();
    while (long_path.size() < 5000)
        long_path += "/abcdefghij";
    for (const std::string& name : {long_component, long_path}) {
        SCOPED_TRACE(name.size());
        const char* text = name.c_str();
        const DWORD expected = ERROR_FILENAME_EXCED_RANGE;
        EXPECT_FALSE(create_empty(name));
        EXPECT_EQ(GetLastError(), expected);
        EXPECT_EQ(GetFileAttributesA(text), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetLastError(), expected);
        EXPECT_FALSE(CreateDirectoryA(text, nullptr));
        EXPECT_EQ(GetLastError(), expected);
        EXPECT_FALSE(DeleteFileA(text));
        EXPECT_EQ(GetLastError(), expected);
        EXPECT_FALSE(RemoveDirectoryA(text));
        EXPECT_EQ(GetLastError(), expected);
        EXPECT_FALSE(SetCurrentDirectoryA(text));
        EXPECT_EQ(GetLastError(), expected);
        EXPECT_FALSE(CopyFileA(folder.path("short.txt").c_str(), text, FALSE));
        EXPECT_EQ(GetLastError(), expected);
        EXPECT_FALSE(MoveFileA(folder.path("short.txt").c_str(), text));
        EXPECT_EQ(GetLastError(), expected);
        WIN32_FIND_DATAA data;
        EXPECT_EQ(FindFirstFileA(text, &data), invalid_handle());
        EXPECT_EQ(GetLastError(), expected);
    }
    EXPECT_EQ(read_file(folder.path("short.txt")), "x");
}

// ---- Deleting, folders ---------------------------------------------------------------------

TEST(FilesByName, DeleteFile)
{
    const TempFolder folder;
    write_file(folder.path("file.txt"), "x");
    write_file(folder.path("locked.txt"), "x");
    chmod(folder.path("locked.txt").c_str(), 0444);
    make_folders(folder.path("sub"));
    struct Row {
        const char* name;
        bool deletes;
        DWORD error;
    };
    const Row rows[] = {
        {"FILE.TXT", true, 0},
        {"file.txt", false, ERROR_FILE_NOT_FOUND},
        {"sub", false, ERROR_ACCESS_DENIED},
        {"locked.txt", false, ERROR_ACCESS_DENIED},
        {"missing/file.txt", false, ERROR_PATH_NOT_FOUND},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DeleteFileA(folder.path(row.name).c_str()), row.deletes ? TRUE : FALSE);
        if (!row.deletes) {
            EXPECT_EQ(GetLastError(), row.error);
        }
    }
    EXPECT_TRUE(exists(folder.path("locked.txt")));
    ASSERT_TRUE(SetFileAttributesA(folder.path("locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileA(folder.path("locked.txt").c_str()));
}

TEST(FilesByName, CreateAndRemoveDirectory)
{
    const TempFolder folder;
    const std::string sub = folder.path("sub");
    EXPECT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA(sub.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryA(folder.path("missing/sub").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    write_file(folder.path("sub/file.txt"), "x");
    EXPECT_FALSE(RemoveDirectoryA(sub.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_FALSE(RemoveDirectoryA(folder.path("sub/file.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_FALSE(RemoveDirectoryA(folder.path("gone").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(DeleteFileA(folder.path("sub/file.txt").c_str()));
    EXPECT_TRUE(RemoveDirectoryA(windows_form(folder.path("SUB\\")).c_str()));
    EXPECT_FALSE(exists(sub));
}

// ---- Renaming and copying ---------------------------------------------------------------------

TEST(FilesByName, MoveFile)
{
    const TempFolder folder;
    const auto at = [&](const char* name) { return folder.path(name); };
    write_file(at("a.txt"), "a");
    write_file(at("b.txt"), "b");
    write_file(at("locked.txt"), "locked");
    chmod(at("locked.txt").c_str(), 0444);
    make_folders(at("dir"));

    EXPECT_FALSE(MoveFileA(at("a.txt").c_str(), at("b.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(read_file(at("b.txt")), "b");
    EXPECT_FALSE(MoveFileExA(at("a.txt").c_str(), at("locked.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(MoveFileExA(at("a.txt").c_str(), at("dir").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(MoveFileA(at("missing.txt").c_str(), at("c.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    EXPECT_TRUE(MoveFileExA(at("a.txt").c_str(), at("B.TXT").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(exists(at("a.txt")));
    EXPECT_EQ(read_file(at("b.txt")), "a");

    // A change of case renames the entry itself.
    EXPECT_TRUE(MoveFileA(at("b.txt").c_str(), at("B.Txt").c_str()));
    EXPECT_TRUE(exists(at("B.Txt")));
    EXPECT_FALSE(exists(at("b.txt")));

    EXPECT_TRUE(MoveFileA(at("B.Txt").c_str(), windows_form(at("DIR\\moved.txt")).c_str()));
    EXPECT_EQ(read_file(at("dir/moved.txt")), "a");
    EXPECT_TRUE(MoveFileA(at("dir").c_str(), at("renamed").c_str()));
    EXPECT_EQ(read_file(at("renamed/moved.txt")), "a");
}

TEST(FilesByName, MoveFileToAnotherFileSystemCopiesOnlyWhenAllowed)
{
    const TempFolder folder;
    struct stat here;
    struct stat there;
    if (stat(folder.path().c_str(), &here) != 0 || stat("/dev/shm", &there) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at hand";
    const std::string source = folder.path("travel.txt");
    const std::string target = "/dev/shm/files_test_" + std::to_string(getpid()) + ".txt";
    write_file(source, "far");
    EXPECT_FALSE(MoveFileExA(source.c_str(), target.c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SAME_DEVICE));
    EXPECT_TRUE(MoveFileA(source.c_str(), target.c_str()));
    EXPECT_FALSE(exists(source));
    EXPECT_EQ(read_file(target), "far");
    unlink(target.c_str());
}

TEST(FilesByName, CopyFile)
{
    const TempFolder folder;
    const auto at = [&](const char* name) { return folder.path(name); };
    write_file(at("source.txt"), "content");
    struct timespec times[2] = {{1000000000, 0}, {1100000000, 500}};
    utimensat(AT_FDCWD, at("source.txt").c_str(), times, 0);
    chmod(at("source.txt").c_str(), 0444);
    write_file(at("other.txt"), "other");
    make_folders(at("dir"));

    ASSERT_TRUE(CopyFileA(at("SOURCE.TXT").c_str(), at("copy.txt").c_str(), TRUE));
    EXPECT_EQ(read_file(at("copy.txt")), "content");
    EXPECT_EQ(GetFileAttributesA(at("copy.txt").c_str()), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    struct stat copied;
    ASSERT_EQ(stat(at("copy.txt").c_str(), &copied), 0);
    EXPECT_EQ(copied.st_mtim.tv_sec, 1100000000);

    struct Row {
        const char* from;
        const char* to;
        BOOL fail_if_exists;
        DWORD error;
    };
    const Row rows[] = {
        {"source.txt", "other.txt", TRUE, ERROR_FILE_EXISTS},
        {"source.txt", "copy.txt", FALSE, ERROR_ACCESS_DENIED},  // read-only target
        {"other.txt", "OTHER.txt", FALSE, ERROR_SHARING_VIOLATION},  // onto itself
        {"dir", "dircopy", FALSE, ERROR_ACCESS_DENIED},
        {"missing.txt", "x.txt", FALSE, ERROR_FILE_NOT_FOUND},
        {"source.txt", "missing/x.txt", FALSE, ERROR_PATH_NOT_FOUND},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.from) + " -> " + row.to);
        EXPECT_FALSE(CopyFileA(at(row.from).c_str(), at(row.to).c_str(), row.fail_if_exists));
        EXPECT_EQ(GetLastError(), row.error);
    }
    EXPECT_EQ(read_file(at("other.txt")), "other");
    ASSERT_TRUE(CopyFileA(at("other.txt").c_str(), at("writable.txt").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(at("source.txt").c_str(), at("writable.txt").c_str(), FALSE));
    EXPECT_EQ(read_file(at("writable.txt")), "content");
}

// ---- Current directory, full and temporary names ------------------------------------------------

TEST(FilesByName, CurrentDirectory)
{
    const CurrentDirectoryGuard guard;
    const TempFolder folder;
    make_folders(folder.path("Work"));
    write_file(folder.path("file.txt"), "x");
    ASSERT_TRUE(SetCurrentDirectoryA(windows_form(folder.path("WORK")).c_str()));
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    const std::string expected = folder.path("Work");
    EXPECT_EQ(needed, expected.size() + 1);
    std::vector<char> buffer(needed);
    EXPECT_EQ(GetCurrentDirectoryA(needed, buffer.data()), expected.size());
    EXPECT_EQ(std::string(buffer.data()), expected);
    EXPECT_EQ(GetCurrentDirectoryA(needed - 1, buffer.data()), needed);

    // Relative names go from there.
    write_file(expected + "/here.txt", "here");
    EXPECT_EQ(read_through_platform("HERE.TXT"), "here");
    EXPECT_EQ(read_through_platform("..\\work\\here.txt"), "here");

    EXPECT_FALSE(SetCurrentDirectoryA(folder.path("file.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_FALSE(SetCurrentDirectoryA(folder.path("missing").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(FilesByName, FullPathNames)
{
    const CurrentDirectoryGuard guard;
    const TempFolder folder;
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    const std::string here = folder.path();
    struct Row {
        std::string name;
        std::string full;
        const char* file_part;
    };
    const Row rows[] = {
        {"a\\b\\..\\c.txt", here + "/a/c.txt", "c.txt"},
        {".\\x", here + "/x", "x"},
        {"C:\\x\\.\\y", "/x/y", "y"},
        {"c:/x/../../y", "/y", "y"},
        {"dir\\", here + "/dir/", nullptr},
        {"/abs/path", "/abs/path", "path"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        char buffer[4096];
        LPSTR file_part = nullptr;
        const DWORD length = GetFullPathNameA(row.name.c_str(), sizeof buffer, buffer, &file_part);
        EXPECT_EQ(length, row.full.size());
        EXPECT_EQ(std::string(buffer), row.full);
        if (row.file_part == nullptr) {
            EXPECT_EQ(file_part, nullptr);
        } else {
            EXPECT_STREQ(file_part, row.file_part);
        }
        EXPECT_EQ(GetFullPathNameA(row.name.c_str(), length, buffer, nullptr), length + 1);
    }
    EXPECT_EQ(GetFullPathNameA("", 10, nullptr, nullptr), 0u);
}

TEST(FilesByName, TemporaryNames)
{
    const TempFolder folder;
    char path[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof path, path);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(path[length - 1], '/');

    char name[MAX_PATH];
    const UINT first = GetTempFileNameA(folder.path().c_str(), "abcdef", 0, name);
    ASSERT_NE(first, 0u);
    const std::string made = name;
    EXPECT_EQ(made.rfind(folder.path("abc"), 0), 0u) << made;
    EXPECT_EQ(made.substr(made.size() - 4), ".tmp");
    EXPECT_TRUE(exists(made)) << "made empty";
    const UINT second = GetTempFileNameA(folder.path().c_str(), "abcdef", 0, name);
    EXPECT_NE(second, first);
    EXPECT_NE(std::string(name), made);

    EXPECT_EQ(GetTempFileNameA(folder.path().c_str(), "p", 0x1AB2C, name), 0xAB2Cu);
    EXPECT_EQ(std::string(name), folder.path("pAB2C.tmp"));
    EXPECT_FALSE(exists(name)) << "only named";

    EXPECT_EQ(GetTempFileNameA(folder.path("missing").c_str(), "p", 0, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    const std::string deep = folder.path(std::string(250, 'd'));
    EXPECT_EQ(GetTempFileNameA(deep.c_str(), "p", 1, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

// ---- Attributes ---------------------------------------------------------------------------------

TEST(FilesByName, AttributesFromTheEntry)
{
    const TempFolder folder;
    make_folders(folder.path("dir"));
    make_folders(folder.path(".hiddendir"));
    write_file(folder.path("file.txt"), "12345");
    write_file(folder.path(".hidden"), "");
    write_file(folder.path("locked.txt"), "");
    chmod(folder.path("locked.txt").c_str(), 0444);
    ASSERT_EQ(mkfifo(folder.path("fifo").c_str(), 0644), 0);
    symlink("nowhere", folder.path("dangling").c_str());
    struct Row {
        const char* name;
        DWORD attributes;
    };
    const Row rows[] = {
        {"dir", FILE_ATTRIBUTE_DIRECTORY},
        {".hiddendir", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN},
        {"file.txt", FILE_ATTRIBUTE_ARCHIVE},
        {".hidden", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
        {"locked.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE},
        {"fifo", FILE_ATTRIBUTE_NORMAL},
        {"dangling", FILE_ATTRIBUTE_NORMAL},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(GetFileAttributesA(folder.path(row.name).c_str()), row.attributes);
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(folder.path("FILE.TXT").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_NE(files_test::ticks_of(data.ftLastWriteTime), 0u);
    EXPECT_FALSE(GetFileAttributesExA(folder.path("file.txt").c_str(), static_cast<GET_FILEEX_INFO_LEVELS>(1), &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(FilesByName, ReadOnlyAttributeRoundTrips)
{
    const TempFolder folder;
    const std::string path = folder.path("file.txt");
    write_file(path, "x");
    chmod(path.c_str(), 0664);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributesA(path.c_str()), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    struct stat status;
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0444u) << "every write permission goes";
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA(path.c_str()), FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributesA(path.c_str()), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_FALSE(SetFileAttributesA(folder.path("missing").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}
