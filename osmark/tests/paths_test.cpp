#include "osmark/assigns.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/locale.h"
#include "osmark/memory.h"
#include "osmark/paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Puts the Windows path conventions into the live locale for one test.
class WindowsConventions {
public:
    WindowsConventions()
        : m_locale(GetSystemLocale()), m_saved_path(m_locale->loc_PathSeparators),
          m_saved_volume(m_locale->loc_VolumeSeparators), m_saved_root(m_locale->loc_RootAfterVolume)
    {
        m_locale->loc_PathSeparators = m_path;
        m_locale->loc_VolumeSeparators = m_volume;
        m_locale->loc_RootAfterVolume = 1;
    }
    ~WindowsConventions()
    {
        m_locale->loc_PathSeparators = m_saved_path;
        m_locale->loc_VolumeSeparators = m_saved_volume;
        m_locale->loc_RootAfterVolume = m_saved_root;
    }

private:
    Locale* m_locale;
    char* m_saved_path;
    char* m_saved_volume;
    uint32_t m_saved_root;
    char m_path[3] = {'\\', '/', '\0'};
    char m_volume[2] = {':', '\0'};
};

// Takes ownership of a string from AllocStr.
std::string take(char* s)
{
    EXPECT_NE(s, nullptr);
    std::string copy = s != nullptr ? s : "<null>";
    FreeStr(s);
    return copy;
}

std::string normalised(const char* path)
{
    std::string buffer = path;
    NormalisePath(buffer.data());
    return buffer.c_str();
}

TEST(Paths, NormaliseWithWindowsConventions)
{
    WindowsConventions windows;
    struct Row {
        const char* path;
        const char* expected;
    };
    const Row rows[] = {
        {"C:/a/b/../c", "C:\\a\\c"},
        {"C:\\a\\.\\b", "C:\\a\\b"},
        {"a\\..\\b", "b"},
        {"\\..\\x", "x"},
        {"a\\b\\c\\..\\..\\d", "a\\d"},
        {"..\\x", "..\\x"},
        {"x\\..\\..\\y", "..\\y"},
        {"\\.\\b", "b"},
        {"a\\b\\..", "a\\b\\.."},
        {"a\\\\..\\b", "a\\b"},
        {"", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(normalised(row.path), row.expected);
    }
    EXPECT_EQ(NormalisePath(nullptr), nullptr);
}

TEST(Paths, NormaliseWithLinuxDefaults)
{
    EXPECT_EQ(normalised("/home/u/../v/a.dxf"), "/home/v/a.dxf");
    EXPECT_EQ(normalised("dir\\sub/./x"), "dir/sub/x") << "'\\' is accepted and written as '/'";
    char* path = ExtractFilePath("/home/v/a.dxf");
    EXPECT_EQ(take(path), "/home/v/");
}

TEST(Paths, AddPartJoinsReplacesAndRefuses)
{
    WindowsConventions windows;
    struct Row {
        const char* path;
        const char* component;
        uint32_t size;
        int32_t result;
        const char* expected;
    };
    const Row rows[] = {
        {"C:\\dir\\", "x.txt", 64, 1, "C:\\dir\\x.txt"},
        {"C:\\dir", "D:\\y", 64, 1, "D:\\y"},
        // A server path replaces the path whole, both leading separators kept.
        {"C:\\dir", "\\\\srv\\share\\x", 64, 1, "\\\\srv\\share\\x"},
        {"C:\\dir", "\\\\srv\\share\\x", 14, 0, ""},
        {"", "x", 64, 1, "x"},
        {"a", "\\b", 64, 1, "a\\b"},
        {"abc", "de", 7, 1, "abc\\de"},
        {"abc", "de", 6, 0, "abc"},
        {"abc", "", 64, 0, "abc"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " + " + row.component);
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%s", row.path);
        EXPECT_EQ(AddPart(buffer, row.component, row.size), row.result);
        EXPECT_STREQ(buffer, row.expected);
    }
}

TEST(Paths, AddPartKeepsTheLinuxRoot)
{
    char buffer[32] = "/";
    EXPECT_EQ(AddPart(buffer, "etc", sizeof buffer), 1);
    EXPECT_STREQ(buffer, "/etc");
    // A server path of the Linux conventions replaces the path as it stands.
    EXPECT_EQ(AddPart(buffer, "//srv/share/x", sizeof buffer), 1);
    EXPECT_STREQ(buffer, "//srv/share/x");
}

// A name from the root or with a drive stands as it is; any other joins the current
// directory.
TEST(Paths, ExpandFileNameKeepsRootedNames)
{
    char* current = GetCurrentDirName();
    ASSERT_NE(current, nullptr);
    const std::string folder = current;
    FreeVec(current);
    EXPECT_EQ(take(ExpandFileName("/tmp/x")), "/tmp/x");
    EXPECT_EQ(take(ExpandFileName("//srv/share/x")), "//srv/share/x");
    EXPECT_EQ(take(ExpandFileName("x.dxf")), folder + (folder == "/" ? "" : "/") + "x.dxf");
    EXPECT_EQ(ExpandFileName(""), nullptr);
    WindowsConventions windows;
    EXPECT_EQ(take(ExpandFileName("C:\\a\\b")), "C:\\a\\b");
    EXPECT_EQ(take(ExpandFileName("\\\\srv\\share\\x")), "\\\\srv\\share\\x");
}

TEST(Paths, ExtractionFunctions)
{
    WindowsConventions windows;
    EXPECT_EQ(take(ExtractFilePath("C:\\a\\b.dxf")), "C:\\a\\");
    EXPECT_EQ(take(ExtractFileDir("C:\\a\\b.dxf")), "C:\\a");
    EXPECT_EQ(take(ExtractFileName("C:\\a\\b.dxf")), "b.dxf");
    EXPECT_EQ(take(ExtractFileExt("C:\\a\\b.dxf")), "dxf");
    EXPECT_EQ(take(ExtractFileExt("C:\\a.b\\c")), "");
    EXPECT_EQ(take(ExtractFileDrive("C:\\a\\b.dxf")), "C:");
    EXPECT_EQ(take(ExtractFileDrive("\\\\srv\\share\\d")), "\\\\srv\\share");
    EXPECT_EQ(take(ExtractFileDrive("\\\\srv")), "\\\\srv");
    EXPECT_EQ(take(ExtractFilePath("name")), "");
    EXPECT_EQ(take(ExtractFileName("name")), "name");

    EXPECT_EQ(take(ChangeFileExt("C:\\a\\b.dxf", "bak")), "C:\\a\\b.bak");
    EXPECT_EQ(take(ChangeFileExt("C:\\a\\b.dxf", ".bak")), "C:\\a\\b.bak");
    EXPECT_EQ(take(ChangeFileExt("C:\\a\\b.dxf", nullptr)), "C:\\a\\b");
    EXPECT_EQ(take(ChangeFileExt("C:\\a.b\\c", "x")), "C:\\a.b\\c.x");
}

TEST(Paths, SplitPathAndSplitName)
{
    WindowsConventions windows;
    char drive[64], dir[64], name[64], ext[64];
    SplitPath("\\\\srv\\share\\d\\f.txt", drive, dir, name, ext);
    EXPECT_STREQ(drive, "\\\\srv\\share");
    EXPECT_STREQ(dir, "d\\");
    EXPECT_STREQ(name, "f");
    EXPECT_STREQ(ext, ".txt");
    SplitPath("f", drive, dir, name, ext);
    EXPECT_STREQ(drive, "");
    EXPECT_STREQ(dir, "");
    EXPECT_STREQ(name, "f");
    EXPECT_STREQ(ext, "");

    char part[8];
    EXPECT_EQ(SplitName("a/bc/d", '/', part, 0, sizeof part), 2);
    EXPECT_STREQ(part, "a/");
    EXPECT_EQ(SplitName("a/bc/d", '/', part, 2, sizeof part), 5);
    EXPECT_STREQ(part, "bc/");
    EXPECT_EQ(SplitName("a/bc/d", '/', part, 5, sizeof part), -1);
    EXPECT_STREQ(part, "d");
    EXPECT_EQ(SplitName("abcdef/x", '/', part, 0, 4), 7) << "cut to the buffer";
    EXPECT_STREQ(part, "abc");
    EXPECT_EQ(SplitName("ab", '/', nullptr, 9, 0), -1);
    EXPECT_EQ(SplitName(nullptr, '/', part, 0, sizeof part), -1);
}

TEST(Paths, MakePathCountsAndBuilds)
{
    WindowsConventions windows;
    char buffer[64];
    EXPECT_EQ(MakePath(buffer, sizeof buffer, "C", "data", "part", "txt"), 17);
    EXPECT_STREQ(buffer, "C:\\data\\part.txt");
    EXPECT_EQ(MakePath(nullptr, 0, "C", "data", "part", "txt"), 17);
    std::strcpy(buffer, "junk");
    EXPECT_EQ(MakePath(buffer, 16, "C", "data", "part", "txt"), 17);
    EXPECT_STREQ(buffer, "") << "a result that does not fit leaves an empty string";
    EXPECT_EQ(MakePath(buffer, sizeof buffer, nullptr, "a\\", "x.old", "new"), 8);
    EXPECT_STREQ(buffer, "a\\x.new");
}

TEST(Paths, PointersIntoAPath)
{
    WindowsConventions windows;
    const char* path = "C:\\a\\b.dxf";
    EXPECT_EQ(FilePart(path), path + 5);
    EXPECT_EQ(PathPart(path), path + 4);
    const char* bare = "name";
    EXPECT_EQ(FilePart(bare), bare);
    EXPECT_EQ(PathPart(bare), bare);
    EXPECT_EQ(LastDelimiter("\\:", path), 4);
    EXPECT_EQ(LastDelimiter("\\", ""), -1);
    EXPECT_EQ(IsDelimiter("\\", path, 2), 1);
    EXPECT_EQ(IsDelimiter("\\", path, 99), 0);
}

TEST(Paths, FileNameCmpIgnoresCaseSeparatorsAndATrailingSeparator)
{
    WindowsConventions windows;
    EXPECT_EQ(FileNameCmp("C:\\Dir\\", "c:/dir"), 0);
    EXPECT_LT(FileNameCmp("a", "b"), 0);
}

class Assigns : public ::testing::Test {
protected:
    void TearDown() override
    {
        AssignPath("Work", nullptr);
        AssignPath("A", nullptr);
        AssignPath("B", nullptr);
        AssignPath("C", nullptr);
    }
};

TEST_F(Assigns, ExpandIntoBuffersOfEverySize)
{
    WindowsConventions windows;
    ASSERT_EQ(AssignPath("Work:", "D:\\Jobs"), 1);
    char buffer[100];
    EXPECT_EQ(AssignExpand("work:a.dxf", buffer, sizeof buffer), 14);
    EXPECT_STREQ(buffer, "D:\\Jobs\\a.dxf");
    EXPECT_EQ(AssignExpand("work:\\a.dxf", buffer, sizeof buffer), 14);
    EXPECT_STREQ(buffer, "D:\\Jobs\\a.dxf");

    char exact[14];
    EXPECT_EQ(AssignExpand("work:a.dxf", exact, sizeof exact), 14);
    EXPECT_STREQ(exact, "D:\\Jobs\\a.dxf");

    char short_buffer[14];
    std::memset(short_buffer, 'x', sizeof short_buffer);
    EXPECT_EQ(AssignExpand("work:a.dxf", short_buffer, 13), 14);
    EXPECT_EQ(std::string(short_buffer, 12), "D:\\Jobs\\a.dx");
    EXPECT_EQ(short_buffer[12], 'x') << "no terminator when it does not fit";

    EXPECT_EQ(AssignExpand("work:a.dxf", nullptr, 0), 14);
    // A path that ends in a separator other than the first one: counting reserves a
    // separator that the expansion does not write.
    ASSERT_EQ(AssignPath("Work", "D:\\Jobs/"), 1);
    EXPECT_EQ(AssignExpand("work:a.dxf", buffer, sizeof buffer), 14);
    EXPECT_EQ(AssignExpand("work:a.dxf", nullptr, 0), 15);
    EXPECT_EQ(AssignExpand("C:\\x", buffer, sizeof buffer), 5) << "no assign C: unchanged";
    EXPECT_STREQ(buffer, "C:\\x");
    EXPECT_EQ(AssignExpand(nullptr, buffer, sizeof buffer), 1);
}

TEST_F(Assigns, NamesAreTrimmedAndSorted)
{
    IoErr();
    EXPECT_EQ(AssignPath("  ", "x"), 0);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);
    EXPECT_EQ(AssignPath(nullptr, "x"), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);

    ASSERT_EQ(AssignPath(" B ", "b"), 1);
    ASSERT_EQ(AssignPath("a:", "a"), 1);
    ASSERT_EQ(AssignPath("C", "c"), 1);
    std::string order;
    for (Node* n = GetAssignList()->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ)
        order += n->ln_Name;
    EXPECT_EQ(order, "aBC");

    const char* path = nullptr;
    uint32_t active = 0;
    EXPECT_EQ(AssignFind("b:anything", &path, &active), 1);
    EXPECT_STREQ(path, "b");
    EXPECT_EQ(active, 1u);
    ASSERT_EQ(AssignPath("b", "new"), 1) << "replaces";
    EXPECT_EQ(AssignFind("B", &path, nullptr), 1);
    EXPECT_STREQ(path, "new");
    EXPECT_EQ(AssignPath("B", nullptr), 1);
    EXPECT_EQ(AssignPath("B", nullptr), 1) << "removing nothing still succeeds";
    EXPECT_EQ(AssignFind("B", &path, nullptr), 0);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);
}

TEST_F(Assigns, UserAssignsHideSystemAssignsAndChainsExpand)
{
    AddSystemAssign("Sysdir", "/system/place");
    char buffer[128];
    AssignExpand("SYSDIR:f", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "/system/place/f");
    ASSERT_EQ(AssignPath("Sysdir", "/mine"), 1);
    AssignExpand("SYSDIR:f", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "/mine/f");
    ASSERT_EQ(AssignPath("Sysdir", nullptr), 1);
    AssignExpand("SYSDIR:f", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "/system/place/f") << "visible again";

    ASSERT_EQ(AssignPath("A", "B:inner"), 1);
    ASSERT_EQ(AssignPath("B", "/base"), 1);
    char* expanded = AllocExpandedPath("A:file");
    EXPECT_EQ(take(expanded), "/base/inner/file");
}

TEST_F(Assigns, AssignsThatReferToEachOtherFailInsteadOfLooping)
{
    ASSERT_EQ(AssignPath("A", "B:x"), 1);
    ASSERT_EQ(AssignPath("B", "A:y"), 1);
    char buffer[256];
    IoErr();
    EXPECT_EQ(AssignExpand("A:z", buffer, sizeof buffer), 0);
    EXPECT_EQ(IoErr(), IoErrSystemLimit);
    EXPECT_EQ(AllocExpandedPath("A:z"), nullptr);
}

}
