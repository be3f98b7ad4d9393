// Directory scans: the Win32 wildcard rules, the order of entries, what each entry
// reports, and the ends of a scan.

#include "files_test_support.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using files_test::invalid_handle;
using test_support::TempFolder;
using test_support::write_file;

// Every name a scan reports, in its order; the last error when it finds nothing.
std::vector<std::string> scan(const std::string& pattern, DWORD* error = nullptr)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == invalid_handle()) {
        if (error != nullptr)
            *error = GetLastError();
        return names;
    }
    do {
        names.emplace_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(find));
    return names;
}

class WildcardScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : kNames)
            write_file(folder.path(name), "");
        test_support::make_folders(folder.path("Sub"));
    }

    static constexpr const char* kNames[] = {
        "a", "a.txt", "ab.txt", "abc.txt", "A.DXF", "part.dxf", "part.dxf.bak",
        "noext", ".hidden", "x.y.z", "\xC3\xA9.txt" /* é.txt */,
    };
    TempFolder folder;
};

TEST_F(WildcardScan, PatternsFindTheNamesWin32Finds)
{
    struct Row {
        const char* pattern;
        std::set<std::string> names;
    };
    const std::set<std::string> everything = {".", "..", "a", "a.txt", "ab.txt", "abc.txt", "A.DXF",
                                              "part.dxf", "part.dxf.bak", "noext", ".hidden", "x.y.z",
                                              "\xC3\xA9.txt", "Sub"};
    const Row rows[] = {
        {"*", everything},
        {"*.*", everything},  // also the names without a point
        {"*.", {".", "..", "a", "noext", "Sub"}},
        {"*.txt", {"a.txt", "ab.txt", "abc.txt", "\xC3\xA9.txt"}},
        {"*.TXT", {"a.txt", "ab.txt", "abc.txt", "\xC3\xA9.txt"}},
        {"?.txt", {"a.txt", "\xC3\xA9.txt"}},  // one character, not one byte
        {"a?.txt", {"a.txt", "ab.txt"}},       // '?' may match nothing before a point
        {"a??.txt", {"a.txt", "ab.txt", "abc.txt"}},
        {"a?", {"a"}},
        {"a.*", {"a", "a.txt", "A.DXF"}},      // ".*" may match the end
        {"part.*", {"part.dxf", "part.dxf.bak"}},
        {"*.dxf", {"A.DXF", "part.dxf"}},
        {"*.dxf*", {"A.DXF", "part.dxf", "part.dxf.bak"}},
        {"x.*.z", {"x.y.z"}},
        {"no*", {"noext"}},
        {"*b*", {"ab.txt", "abc.txt", "part.dxf.bak", "Sub"}},
        {".*", {".", "..", ".hidden"}},
        {"?", {"a"}},  // not "." and "..": a point is never "any character"
        {"S?B", {"Sub"}},
        {"A.TXT", {"a.txt"}},  // no wildcard: the one entry, as spelt on disk
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pattern);
        const std::vector<std::string> found = scan(folder.path(row.pattern));
        EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), row.names);
        EXPECT_EQ(found.size(), row.names.size()) << "no entry twice";
    }
}

TEST_F(WildcardScan, DotsFirstThenByNameWithoutRegardToCase)
{
    const std::vector<std::string> expected = {".", "..", ".hidden", "a", "A.DXF", "a.txt", "ab.txt",
                                               "abc.txt", "noext", "part.dxf", "part.dxf.bak", "Sub",
                                               "x.y.z", "\xC3\xA9.txt"};
    EXPECT_EQ(scan(folder.path("*")), expected);
    EXPECT_EQ(scan(files_test::windows_form(folder.path("SUB")) + "\\*"),
              (std::vector<std::string>{".", ".."}));
}

TEST_F(WildcardScan, FailuresTellWhatWasMissing)
{
    struct Row {
        std::string pattern;
        DWORD error;
    };
    const Row rows[] = {
        {folder.path("nomatch*"), ERROR_FILE_NOT_FOUND},
        {folder.path("missing.txt"), ERROR_FILE_NOT_FOUND},
        {folder.path("missing/*"), ERROR_PATH_NOT_FOUND},
        {folder.path("missing/a.txt"), ERROR_PATH_NOT_FOUND},
        {folder.path("a.txt/*"), ERROR_PATH_NOT_FOUND},
        {folder.path("Sub/"), ERROR_FILE_NOT_FOUND},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pattern);
        DWORD error = 0;
        EXPECT_TRUE(scan(row.pattern, &error).empty());
        EXPECT_EQ(error, row.error);
    }
    WIN32_FIND_DATAA data;
    EXPECT_EQ(FindFirstFileA(nullptr, &data), invalid_handle());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(FindFile, EntriesReportAttributesSizesAndTimes)
{
    const TempFolder folder;
    write_file(folder.path("data.bin"), std::string(1234, 'x'));
    test_support::make_folders(folder.path("dir"));
    const HANDLE file = CreateFileA(folder.path("data.bin").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    0, nullptr);
    ASSERT_NE(file, invalid_handle());
    const FILETIME written = files_test::file_time_of(130069660291234567ULL);
    ASSERT_TRUE(SetFileTime(file, nullptr, &written, &written));
    CloseHandle(file);

    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(folder.path("DATA.*").c_str(), &data);
    ASSERT_NE(find, invalid_handle());
    EXPECT_STREQ(data.cFileName, "data.bin");
    EXPECT_STREQ(data.cAlternateFileName, "");
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(data.nFileSizeLow, 1234u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(files_test::ticks_of(data.ftLastWriteTime), files_test::ticks_of(written));
    EXPECT_EQ(files_test::ticks_of(data.ftLastAccessTime), files_test::ticks_of(written));
    EXPECT_FALSE(FindNextFileA(find, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_FALSE(FindNextFileA(find, &data)) << "and stays at the end";
    EXPECT_TRUE(FindClose(find));
    EXPECT_FALSE(FindClose(find));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    find = FindFirstFileA(folder.path("*").c_str(), &data);
    ASSERT_NE(find, invalid_handle());
    int folders = 0;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ++folders;
            EXPECT_EQ(data.nFileSizeLow, 0u) << data.cFileName;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    EXPECT_EQ(folders, 3) << ". .. dir";

    // A file handle is no scan, and a scan no file.
    const HANDLE pipe_read = nullptr;
    EXPECT_FALSE(FindNextFileA(pipe_read, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(FindFile, TheRootHasNoDotEntries)
{
    for (const char* pattern : {"C:\\*", "/*"}) {
        SCOPED_TRACE(pattern);
        const std::vector<std::string> names = scan(pattern);
        EXPECT_FALSE(names.empty());
        EXPECT_EQ(std::count(names.begin(), names.end(), "."), 0);
        EXPECT_EQ(std::count(names.begin(), names.end(), ".."), 0);
        EXPECT_EQ(std::count(names.begin(), names.end(), "tmp"), 1);
    }
}

}
