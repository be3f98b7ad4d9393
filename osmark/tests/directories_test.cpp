#include "osmark/assigns.h"
#include "osmark/dates.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/patterns.h"
#include "osmark/testing.h"
#include "platform/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Tests in a fresh folder of their own, removed with the fixture.
class FolderFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.ok()); }

    std::string path(const std::string& relative) const { return m_folder.path(relative); }

    void write(const std::string& relative, const std::string& content) const
    {
        std::ofstream(path(relative), std::ios::binary) << content;
    }

    std::string read(const std::string& relative) const
    {
        std::ifstream in(path(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    bool is_file(const std::string& relative) const { return fs::is_regular_file(path(relative)); }
    bool is_dir(const std::string& relative) const { return fs::is_directory(path(relative)); }

    test_support::TempFolder m_folder;
};

// A local stamp of a file written a moment ago, no later than today.
void expect_recent(const DateStampRec& stamp, const DateStampRec& today)
{
    EXPECT_GE(stamp.ds_Day, 20200101u);
    EXPECT_LE(stamp.ds_Day, today.ds_Day);
    EXPECT_LT(stamp.ds_Time, 86400000u);
}

// ---- CreateDir, Rename, Copy, ModifyFileAttributes --------------------------------

using CreateDirTest = FolderFixture;

TEST_F(CreateDirTest, CreatesEveryMissingLevel)
{
    ASSERT_TRUE(fs::create_directory(path("a")));
    EXPECT_EQ(CreateDir(path("a/b/c").c_str()), 1);
    EXPECT_TRUE(is_dir("a/b/c"));
    // Again: everything exists already.
    EXPECT_EQ(CreateDir(path("a/b/c").c_str()), 1);
    EXPECT_TRUE(is_dir("a/b/c"));

    write("a/file", "x");
    EXPECT_EQ(CreateDir(path("a/file/c").c_str()), 0);
    EXPECT_EQ(CreateDir(path("a/file").c_str()), 0);
    EXPECT_FALSE(is_dir("a/file/c"));
}

TEST_F(CreateDirTest, AcceptsEveryPathForm)
{
    struct Case {
        std::string given;
        std::string created;
    };
    const Case cases[] = {
        {path("trailing/separator/"), "trailing/separator"},
        {path("back\\slashes\\too"), "back/slashes/too"},
        {path("dots/./x/../y"), "dots/y"},
        {path("drive") , "drive"},
        // Wildcard characters are plain name characters here.
        {path("wild/b*c"), "wild/b*c"},
    };
    ASSERT_TRUE(fs::create_directories(path("wild/bxc")));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(CreateDir(c.given.c_str()), 1);
        EXPECT_TRUE(is_dir(c.created));
    }
    EXPECT_FALSE(is_dir("dots/x"));
    // "C:" is the root here.
    EXPECT_EQ(CreateDir(("C:" + path("volume/level")).c_str()), 1);
    EXPECT_TRUE(is_dir("volume/level"));
    EXPECT_EQ(CreateDir("/"), 1);
}

TEST_F(CreateDirTest, ExpandsAssignsAndRejectsBadArguments)
{
    ASSERT_EQ(AssignPath("DIRSTEST", m_folder.path().c_str()), 1);
    EXPECT_EQ(CreateDir("DIRSTEST:x/y"), 1);
    EXPECT_TRUE(is_dir("x/y"));
    AssignPath("DIRSTEST", nullptr);

    EXPECT_EQ(CreateDir(""), 0);
    SetIoErr(IoErrNone);
    EXPECT_EQ(CreateDir(nullptr), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
}

using FileOperationsTest = FolderFixture;

TEST_F(FileOperationsTest, RenameCopyAndAttributes)
{
    write("a.txt", "alpha");
    write("b.txt", "beta");

    EXPECT_EQ(Copy(path("a.txt").c_str(), path("c.txt").c_str(), 1), 1);
    EXPECT_EQ(read("c.txt"), "alpha");
    SetIoErr(IoErrNone);
    EXPECT_EQ(Copy(path("b.txt").c_str(), path("c.txt").c_str(), 1), 0);
    EXPECT_EQ(IoErr(), IoErrObjectExists);
    EXPECT_EQ(Copy(path("b.txt").c_str(), path("c.txt").c_str(), 0), 1);
    EXPECT_EQ(read("c.txt"), "beta");

    EXPECT_EQ(Rename(path("a.txt").c_str(), path("moved.txt").c_str()), 1);
    EXPECT_FALSE(is_file("a.txt"));
    EXPECT_EQ(read("moved.txt"), "alpha");
    SetIoErr(IoErrNone);
    EXPECT_EQ(Rename(path("a.txt").c_str(), path("other.txt").c_str()), 0);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);
    SetIoErr(IoErrNone);
    EXPECT_EQ(Rename(path("moved.txt").c_str(), path("b.txt").c_str()), 0);
    EXPECT_EQ(IoErr(), IoErrObjectExists);

    EXPECT_EQ(ModifyFileAttributes(path("b.txt").c_str(), FILE_ATTRIBUTE_READONLY), 1);
    FileInfoBlock fib;
    ASSERT_EQ(Examine(path("b.txt").c_str(), &fib), 1);
    EXPECT_NE(fib.fib_Attributes & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(ModifyFileAttributes(path("b.txt").c_str(), FILE_ATTRIBUTE_NORMAL), 1);
    ASSERT_EQ(Examine(path("b.txt").c_str(), &fib), 1);
    EXPECT_EQ(fib.fib_Attributes & FILE_ATTRIBUTE_READONLY, 0u);
    SetIoErr(IoErrNone);
    EXPECT_EQ(ModifyFileAttributes(path("missing").c_str(), 0), 0);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);

    // A failed expansion is a failure, never a nonzero result.
    const std::string a = path("b.txt");
    const std::string b = path("d.txt");
    for (int call = 0; call < 6; ++call) {
        SCOPED_TRACE("call " + std::to_string(call));
        FileInfoBlock info;
        SetIoErr(IoErrNone);
        osmark_testing_fail_allocations(0, 1);
        const int32_t result = call == 0   ? Rename(a.c_str(), b.c_str())
                               : call == 1 ? Copy(a.c_str(), b.c_str(), 0)
                               : call == 2 ? ModifyFileAttributes(a.c_str(), 0)
                               : call == 3 ? BackupFile(a.c_str(), 1)
                               : call == 4 ? RestoreFile(a.c_str(), 0)
                                           : Examine(a.c_str(), &info);
        osmark_testing_fail_allocations(0, 0);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(IoErr(), IoErrNoMemory);
    }
    EXPECT_TRUE(is_file("b.txt"));
    EXPECT_FALSE(is_file("d.txt"));

    const int32_t null_results[] = {Rename(nullptr, "y"), Rename("x", nullptr), Copy(nullptr, "y", 0),
                                    Copy("x", nullptr, 0), ModifyFileAttributes(nullptr, 0)};
    for (const int32_t result : null_results)
        EXPECT_EQ(result, 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
}

// ---- BackupFile and RestoreFile ---------------------------------------------------

using BackupTest = FolderFixture;

TEST_F(BackupTest, SingleBackupReplacesTheExtension)
{
    write("part.dxf", "v1");
    EXPECT_EQ(BackupFile(path("part.dxf").c_str(), 1), 1);
    EXPECT_EQ(read("part.bak"), "v1");
    // A single backup is replaced.
    write("part.dxf", "v2");
    EXPECT_EQ(BackupFile(path("part.dxf").c_str(), 1), 1);
    EXPECT_EQ(read("part.bak"), "v2");
    EXPECT_FALSE(is_file("part.bak1"));

    // A file that is itself a backup gets a numbered one.
    write("old.BAK", "o");
    EXPECT_EQ(BackupFile(path("old.BAK").c_str(), 1), 1);
    EXPECT_EQ(read("old.bak1"), "o");
}

TEST_F(BackupTest, NumberedBackupTakesTheFirstFreeName)
{
    write("part.dxf", "now");
    write("part.bak", "old");
    write("part.bak1", "older");
    EXPECT_EQ(BackupFile(path("part.dxf").c_str(), 0), 1);
    EXPECT_EQ(read("part.bak2"), "now");
    EXPECT_EQ(read("part.bak"), "old");
    EXPECT_EQ(read("part.bak1"), "older");

    write("noext", "n");
    EXPECT_EQ(BackupFile(path("noext").c_str(), 0), 1);
    EXPECT_EQ(read("noext.bak"), "n");
}

TEST_F(BackupTest, RestoreCopiesTheNewestBackup)
{
    write("part.dxf", "broken");
    write("part.bak", "first");
    write("part.bak1", "second");
    write("part.bak3", "after a gap: not a member of the run");
    EXPECT_EQ(RestoreFile(path("part.dxf").c_str(), 0), 1);
    EXPECT_EQ(read("part.dxf"), "second");
    EXPECT_TRUE(is_file("part.bak1"));

    write("part.dxf", "broken");
    EXPECT_EQ(RestoreFile(path("part.dxf").c_str(), 1), 1);
    EXPECT_EQ(read("part.dxf"), "second");
    EXPECT_FALSE(is_file("part.bak1"));
    EXPECT_TRUE(is_file("part.bak"));
}

TEST_F(BackupTest, MissingFilesGiveObjectNotFound)
{
    write("lonely.dxf", "x");
    write("orphan.bak", "x");
    struct Case {
        const char* what;
        int32_t (*call)(const char*, int32_t);
        std::string file;
    };
    const Case cases[] = {
        {"backup of a missing file", BackupFile, path("missing.dxf")},
        {"restore of a missing file", RestoreFile, path("orphan.dxf")},
        {"restore without backups", RestoreFile, path("lonely.dxf")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetIoErr(IoErrNone);
        EXPECT_EQ(c.call(c.file.c_str(), 0), 0);
        EXPECT_EQ(IoErr(), IoErrObjectNotFound);
    }
    SetIoErr(IoErrNone);
    EXPECT_EQ(BackupFile(nullptr, 0), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(RestoreFile(nullptr, 0), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
}

// ---- Examine ------------------------------------------------------------------------

using ExamineTest = FolderFixture;

TEST_F(ExamineTest, FillsTheInformationBlock)
{
    write("data.bin", std::string(1234, 'z'));
    ASSERT_TRUE(fs::create_directory(path("folder")));
    DateStampRec today;
    DateStamp(&today);

    FileInfoBlock fib;
    std::memset(&fib, 0x5A, sizeof fib);
    ASSERT_EQ(Examine(path("data.bin").c_str(), &fib), 1);
    EXPECT_STREQ(fib.fib_Name, "data.bin");
    EXPECT_EQ(fib.fib_Size, 1234u);
    EXPECT_EQ(fib.fib_Attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    for (const DateStampRec& stamp : {fib.fib_Created, fib.fib_Written, fib.fib_Accessed})
        expect_recent(stamp, today);
    for (const uint32_t word : fib.fib_Reserved)
        EXPECT_EQ(word, 0u);

    ASSERT_EQ(Examine(path("folder").c_str(), &fib), 1);
    EXPECT_STREQ(fib.fib_Name, "folder");
    EXPECT_NE(fib.fib_Attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    // Without regard to case, as the platform finds names.
    ASSERT_EQ(Examine(path("DATA.BIN").c_str(), &fib), 1);
    EXPECT_STREQ(fib.fib_Name, "data.bin");
}

TEST_F(ExamineTest, MissingNamesAndNullArguments)
{
    FileInfoBlock fib;
    SetIoErr(IoErrNone);
    EXPECT_EQ(Examine(path("missing").c_str(), &fib), 0);
    EXPECT_EQ(Examine(path("missing/deeper").c_str(), &fib), 0);
    EXPECT_EQ(Examine(nullptr, &fib), 0);
    EXPECT_EQ(Examine(path("").c_str(), nullptr), 0);
    EXPECT_EQ(ExamineFH(nullptr, &fib), 0);
    EXPECT_EQ(IoErr(), IoErrNone);
}

TEST_F(ExamineTest, ExamineFHUsesTheHandlesName)
{
    write("open.txt", "12345");
    FileHandle* fh = Open(path("open.txt").c_str(), FileModeRead);
    ASSERT_NE(fh, nullptr);
    FileInfoBlock fib;
    EXPECT_EQ(ExamineFH(fh, &fib), 1);
    EXPECT_STREQ(fib.fib_Name, "open.txt");
    EXPECT_EQ(fib.fib_Size, 5u);
    EXPECT_EQ(ExamineFH(fh, nullptr), 0);
    Close(fh);
}

// ---- ExAll ----------------------------------------------------------------------------

struct Entry {
    std::string name;
    uint32_t attributes = 0;
    uint32_t size = 0;
    DateStampRec written{};
};

template <typename Value>
Value field(const uint8_t* entry, size_t offset)
{
    Value value;
    std::memcpy(&value, entry + offset, sizeof value);
    return value;
}

// Walks the entries of one buffer by their next fields, checking that each begins
// right after the previous one's name and that its name follows its fixed part.
std::vector<Entry> entries_of(const void* buffer, int32_t type, uint32_t count)
{
    const size_t fixed[] = {0, offsetof(ExAllData, ed_Attributes), offsetof(ExAllData, ed_Size),
                            offsetof(ExAllData, ed_Created), sizeof(ExAllData)};
    std::vector<Entry> entries;
    auto* at = static_cast<const uint8_t*>(count > 0 ? buffer : nullptr);
    while (at != nullptr) {
        Entry entry;
        const char* name = field<char*>(at, offsetof(ExAllData, ed_Name));
        EXPECT_EQ(reinterpret_cast<const uint8_t*>(name), at + fixed[type]);
        entry.name = name;
        if (type >= ExAllAttributes)
            entry.attributes = field<uint32_t>(at, offsetof(ExAllData, ed_Attributes));
        if (type >= ExAllSize)
            entry.size = field<uint32_t>(at, offsetof(ExAllData, ed_Size));
        if (type >= ExAllDates)
            entry.written = field<DateStampRec>(at, offsetof(ExAllData, ed_Written));
        entries.push_back(entry);
        const auto* next = reinterpret_cast<const uint8_t*>(field<ExAllData*>(at, offsetof(ExAllData, ed_Next)));
        if (next != nullptr) {
            EXPECT_EQ(next, reinterpret_cast<const uint8_t*>(name) + entry.name.size() + 1);
        }
        at = next;
    }
    EXPECT_EQ(entries.size(), count);
    return entries;
}

class ExAllTest : public FolderFixture {
protected:
    void SetUp() override
    {
        FolderFixture::SetUp();
        ASSERT_TRUE(fs::create_directory(path("list")));
        for (int i = 1; i <= 5; ++i)
            write("list/f" + std::to_string(i), std::string(static_cast<size_t>(i), 'x'));
        m_list = path("list");
    }
    void TearDown() override
    {
        ExAllEnd(&m_control);
        FreeVec(m_control.eac_Pattern.pp_Tokens);
        FolderFixture::TearDown();
    }

    // Every entry of the listing, one buffer of size bytes at a time; the results and
    // counts of the calls go to calls.
    std::vector<Entry> list_all(uint32_t size, int32_t type, std::vector<std::pair<int32_t, uint32_t>>* calls = nullptr)
    {
        std::vector<uint8_t> buffer(size);
        std::vector<Entry> all;
        for (int guard = 0; guard < 1000; ++guard) {
            const int32_t more = ExAll(m_list.c_str(), buffer.data(), size, type, &m_control);
            if (calls != nullptr)
                calls->emplace_back(more, m_control.eac_Entries);
            for (const Entry& e : entries_of(buffer.data(), type, m_control.eac_Entries))
                all.push_back(e);
            if (more == 0)
                break;
        }
        return all;
    }

    static std::vector<std::string> names(const std::vector<Entry>& entries)
    {
        std::vector<std::string> result;
        for (const Entry& e : entries)
            result.push_back(e.name);
        return result;
    }

    ExAllControl m_control{};
    std::string m_list;
};

TEST_F(ExAllTest, ContinuesAcrossCallsWhenTheBufferIsFull)
{
    // ".", ".." and "f1" take 18, 19 and 19 bytes of type 1 on this layout: 60 bytes
    // hold three entries and leave too little room for a fourth.
    const uint32_t size = static_cast<uint32_t>(3 * (offsetof(ExAllData, ed_Attributes) + 3) + 4);
    std::vector<std::pair<int32_t, uint32_t>> calls;
    SetIoErr(IoErrNone);
    const std::vector<Entry> all = list_all(size, ExAllName, &calls);
    const std::vector<std::pair<int32_t, uint32_t>> expected_calls = {{1, 3}, {1, 3}, {0, 1}};
    EXPECT_EQ(calls, expected_calls);
    EXPECT_EQ(IoErr(), IoErrNoMoreEntries);
    const std::vector<std::string> expected = {".", "..", "f1", "f2", "f3", "f4", "f5"};
    EXPECT_EQ(names(all), expected);
    EXPECT_EQ(m_control.eac_State, nullptr);
}

TEST_F(ExAllTest, EveryTypeWritesItsFields)
{
    DateStampRec today;
    DateStamp(&today);
    for (int32_t type = ExAllName; type <= ExAllDates; ++type) {
        SCOPED_TRACE("type " + std::to_string(type));
        const std::vector<Entry> all = list_all(4096, type);
        ASSERT_EQ(all.size(), 7u);
        for (size_t i = 2; i < all.size(); ++i) {
            EXPECT_EQ(all[i].name, "f" + std::to_string(i - 1));
            if (type >= ExAllAttributes) {
                EXPECT_EQ(all[i].attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
            }
            if (type >= ExAllSize) {
                EXPECT_EQ(all[i].size, i - 1);
            }
            if (type >= ExAllDates)
                expect_recent(all[i].written, today);
        }
        if (type >= ExAllAttributes) {
            EXPECT_NE(all[0].attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
        }
    }
}

TEST_F(ExAllTest, PatternSelectsNames)
{
    write("list/part.dxf", "");
    write("list/OTHER.DXF", "");
    ASSERT_EQ(ParsePattern("#?.dxf", &m_control.eac_Pattern), 1);
    EXPECT_EQ(names(list_all(4096, ExAllName)), std::vector<std::string>{"part.dxf"});

    m_control.eac_Pattern.pp_Flags |= PatternNoCase;
    const std::vector<std::string> both = {"OTHER.DXF", "part.dxf"};
    EXPECT_EQ(names(list_all(4096, ExAllName)), both);
}

uintptr_t keep_none(Hook*, void*, void*)
{
    return 0;
}

// Keeps the entries whose name does not end in an even digit, and checks that the
// message points at the type.
uintptr_t keep_odd(Hook* hook, void* object, void* message)
{
    EXPECT_EQ(*static_cast<int32_t*>(message), static_cast<int32_t>(hook->h_Data));
    const char* name = field<char*>(static_cast<const uint8_t*>(object), offsetof(ExAllData, ed_Name));
    const size_t length = std::strlen(name);
    return length == 0 || (name[length - 1] - '0') % 2 != 0 || name[length - 1] == '.';
}

TEST_F(ExAllTest, MatchHookTakesEntriesOut)
{
    Hook none{};
    none.h_Entry = keep_none;
    m_control.eac_MatchHook = &none;
    std::vector<std::pair<int32_t, uint32_t>> calls;
    SetIoErr(IoErrNone);
    EXPECT_TRUE(list_all(4096, ExAllName, &calls).empty());
    EXPECT_EQ(calls, (std::vector<std::pair<int32_t, uint32_t>>{{0, 0}}));
    EXPECT_EQ(IoErr(), IoErrNoMoreEntries);

    Hook odd{};
    odd.h_Entry = keep_odd;
    odd.h_Data = ExAllSize;
    m_control.eac_MatchHook = &odd;
    // A buffer of about two entries makes removals happen at every place of a buffer.
    const std::vector<std::string> expected = {".", "..", "f1", "f3", "f5"};
    EXPECT_EQ(names(list_all(static_cast<uint32_t>(2 * offsetof(ExAllData, ed_Created) + 8), ExAllSize)), expected);
}

TEST_F(ExAllTest, RejectsBadArguments)
{
    std::vector<uint8_t> buffer(256);
    struct Case {
        const char* what;
        const char* path;
        void* buffer;
        uint32_t size;
        int32_t type;
        ExAllControl* control;
    };
    const Case cases[] = {
        {"type 5", m_list.c_str(), buffer.data(), 256, 5, &m_control},
        {"type 0", m_list.c_str(), buffer.data(), 256, 0, &m_control},
        {"size 0", m_list.c_str(), buffer.data(), 0, ExAllName, &m_control},
        {"no buffer", m_list.c_str(), nullptr, 256, ExAllName, &m_control},
        {"no path", nullptr, buffer.data(), 256, ExAllName, &m_control},
        {"no control", m_list.c_str(), buffer.data(), 256, ExAllName, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A listing that runs is ended by the failing call.
        ASSERT_EQ(ExAll(m_list.c_str(), buffer.data(), 40, ExAllName, &m_control), 1);
        SetIoErr(IoErrNone);
        EXPECT_EQ(ExAll(c.path, c.buffer, c.size, c.type, c.control), 0);
        EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
        if (c.control != nullptr) {
            EXPECT_EQ(m_control.eac_Entries, 0u);
            EXPECT_EQ(m_control.eac_State, nullptr);
        }
        ExAllEnd(&m_control);
    }
}

TEST_F(ExAllTest, FailuresEndTheListing)
{
    std::vector<uint8_t> buffer(256);
    write("plain", "x");
    struct Case {
        const char* what;
        std::string path;
        uint32_t size;
        IoErrCode error;
    };
    const Case cases[] = {
        {"missing directory", path("missing"), 256, IoErrObjectNotFound},
        {"a file", path("plain"), 256, IoErrDirNotFound},
        // The first entry never fits: calling again could not help.
        {"buffer smaller than an entry", m_list, 17, IoErrBufferOverflow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetIoErr(IoErrNone);
        EXPECT_EQ(ExAll(c.path.c_str(), buffer.data(), c.size, ExAllName, &m_control), 0);
        EXPECT_EQ(IoErr(), c.error);
        EXPECT_EQ(m_control.eac_Entries, 0u);
        EXPECT_EQ(m_control.eac_State, nullptr);
    }
    for (uint32_t successes = 0; successes < 2; ++successes) {
        SetIoErr(IoErrNone);
        osmark_testing_fail_allocations(successes, 1);
        const int32_t result = ExAll(m_list.c_str(), buffer.data(), 256, ExAllName, &m_control);
        osmark_testing_fail_allocations(0, 0);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(IoErr(), IoErrNoMemory);
        EXPECT_EQ(m_control.eac_State, nullptr);
    }
}

TEST_F(ExAllTest, PatternErrorKeepsTheListingUntilExAllEnd)
{
    // A damaged token string: a NOT without the end of its operand.
    uint8_t tokens[] = {PatternTokenNot, 'a', PatternTokenEnd};
    m_control.eac_Pattern.pp_Tokens = tokens;
    m_control.eac_Pattern.pp_BufferSize = sizeof tokens;
    m_control.eac_Pattern.pp_TokenLength = sizeof tokens;
    std::vector<uint8_t> buffer(256);
    SetIoErr(IoErrNone);
    EXPECT_EQ(ExAll(m_list.c_str(), buffer.data(), 256, ExAllName, &m_control), 0);
    EXPECT_EQ(IoErr(), IoErrBadPattern);
    EXPECT_NE(m_control.eac_State, nullptr);
    ExAllEnd(&m_control);
    EXPECT_EQ(m_control.eac_State, nullptr);
    ExAllEnd(&m_control);
    ExAllEnd(nullptr);
    m_control.eac_Pattern = ParsedPattern{};
}

TEST_F(ExAllTest, ListsTheRootAndPathsEndingInASeparator)
{
    m_list = "/";
    const std::vector<std::string> root = names(list_all(4096, ExAllName));
    EXPECT_NE(std::find(root.begin(), root.end(), "tmp"), root.end());
    EXPECT_EQ(std::find(root.begin(), root.end(), "list"), root.end());

    m_list = path("list/");
    EXPECT_EQ(list_all(4096, ExAllName).size(), 7u);
}

TEST_F(ExAllTest, StaleStatePointersAreNotTrusted)
{
    int not_a_state = 0;
    m_control.eac_State = &not_a_state;
    ExAllEnd(&m_control);
    EXPECT_EQ(m_control.eac_State, nullptr);
    m_control.eac_State = &not_a_state;
    EXPECT_EQ(list_all(4096, ExAllName).size(), 7u);
}

TEST_F(ExAllTest, DosObjectEndsARunningListing)
{
    auto* control = static_cast<ExAllControl*>(AllocDosObject(DosObjectExAllControl, TagEnd));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->eac_State, nullptr);
    ASSERT_EQ(ParsePattern("f#?", &control->eac_Pattern), 1);
    std::vector<uint8_t> buffer(40);
    ASSERT_EQ(ExAll(m_list.c_str(), buffer.data(), 40, ExAllName, control), 1);
    // The leak checker sees whether the search state and the tokens are freed.
    FreeDosObject(DosObjectExAllControl, control);
}

// ---- Wildcard scans -------------------------------------------------------------------

class MatchScanTest : public FolderFixture {
protected:
    void SetUp() override
    {
        FolderFixture::SetUp();
        write("a.dxf", "aa");
        write("b.DXF", "bbb");
        write("c.txt", "");
        ASSERT_TRUE(fs::create_directory(path("sub.dxf")));
    }
    void TearDown() override
    {
        MatchEnd(&m_anchor);
        FolderFixture::TearDown();
    }

    std::vector<std::string> scan(const std::string& pattern, uint32_t mask, int32_t* last = nullptr)
    {
        std::vector<std::string> found;
        int32_t result = MatchFirst(pattern.c_str(), mask, &m_anchor);
        while (result == 0) {
            found.emplace_back(m_anchor.ma_Info.fib_Name);
            result = MatchNext(&m_anchor);
        }
        if (last != nullptr)
            *last = result;
        EXPECT_EQ(m_anchor.ma_State, nullptr);
        return found;
    }

    MatchAnchor m_anchor{};
};

TEST_F(MatchScanTest, MaskSkipsDirectories)
{
    int32_t last = 0;
    const std::vector<std::string> files = {"a.dxf", "b.DXF"};
    EXPECT_EQ(scan(path("*.dxf"), FILE_ATTRIBUTE_DIRECTORY, &last), files);
    EXPECT_GT(last, 0);
    SetIoErr(IoErrNone);
    EXPECT_EQ(MatchNext(&m_anchor), IoErrRequiredArgMissing);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);

    const std::vector<std::string> everything = {"a.dxf", "b.DXF", "sub.dxf"};
    EXPECT_EQ(scan(path("*.dxf"), 0), everything);

    // The first entry found is copied as Examine copies it.
    ASSERT_EQ(MatchFirst(path("b.dxf").c_str(), 0, &m_anchor), 0);
    EXPECT_STREQ(m_anchor.ma_Info.fib_Name, "b.DXF");
    EXPECT_EQ(m_anchor.ma_Info.fib_Size, 3u);
    MatchEnd(&m_anchor);
}

TEST_F(MatchScanTest, NothingFoundAndEverythingExcluded)
{
    EXPECT_EQ(MatchFirst(path("missing").c_str(), 0, &m_anchor), IoErrObjectNotFound);
    EXPECT_EQ(m_anchor.ma_State, nullptr);
    EXPECT_EQ(MatchFirst(path("missing/*.dxf").c_str(), 0, &m_anchor), IoErrObjectNotFound);
    // Only the directory matches, and the mask excludes it.
    const int32_t result = MatchFirst(path("sub.*").c_str(), FILE_ATTRIBUTE_DIRECTORY, &m_anchor);
    EXPECT_GT(result, 0);
    EXPECT_EQ(m_anchor.ma_State, nullptr);

    SetIoErr(IoErrNone);
    EXPECT_EQ(MatchFirst(nullptr, 0, &m_anchor), IoErrRequiredArgMissing);
    EXPECT_EQ(MatchFirst("x", 0, nullptr), IoErrRequiredArgMissing);
    EXPECT_EQ(MatchNext(nullptr), IoErrRequiredArgMissing);
    MatchEnd(nullptr);
}

TEST_F(MatchScanTest, EndingAndRestartingScans)
{
    ASSERT_EQ(MatchFirst(path("*").c_str(), 0, &m_anchor), 0);
    // Starting again on a running scan ends the old one first (the leak checker
    // would see its state otherwise).
    ASSERT_EQ(MatchFirst(path("*.txt").c_str(), 0, &m_anchor), 0);
    EXPECT_STREQ(m_anchor.ma_Info.fib_Name, "c.txt");
    MatchEnd(&m_anchor);
    EXPECT_EQ(m_anchor.ma_State, nullptr);
    MatchEnd(&m_anchor);

    // An anchor that holds garbage is not trusted.
    int not_a_state = 0;
    m_anchor.ma_State = &not_a_state;
    EXPECT_EQ(MatchNext(&m_anchor), IoErrRequiredArgMissing);
    m_anchor.ma_State = &not_a_state;
    EXPECT_EQ(MatchFirst(path("a.dxf").c_str(), 0, &m_anchor), 0);

    osmark_testing_fail_allocations(0, 1);
    const int32_t result = MatchFirst(path("*").c_str(), 0, &m_anchor);
    osmark_testing_fail_allocations(0, 0);
    EXPECT_EQ(result, IoErrNoMemory);
    EXPECT_EQ(m_anchor.ma_State, nullptr);
}

TEST_F(MatchScanTest, ExpandsAssigns)
{
    ASSERT_EQ(AssignPath("SCANTEST", m_folder.path().c_str()), 1);
    EXPECT_EQ(scan("SCANTEST:*.txt", 0), std::vector<std::string>{"c.txt"});
    AssignPath("SCANTEST", nullptr);
}

// ---- Names with every byte ---------------------------------------------------------

using EveryByteTest = FolderFixture;

TEST_F(EveryByteTest, NamesWithEveryByteAreListedAndExamined)
{
    ASSERT_TRUE(fs::create_directory(path("bytes")));
    std::set<std::string> made;
    for (int byte = 1; byte < 256; ++byte) {
        // '/' and '\' separate; the platform cannot reach a name holding '\'.
        if (byte == '/' || byte == '\\')
            continue;
        const std::string name = std::string("n") + static_cast<char>(byte) + "x";
        write("bytes/" + name, "");
        made.insert(name);
    }
    ExAllControl control{};
    std::vector<uint8_t> buffer(2048);
    std::set<std::string> listed;
    int32_t more = 1;
    while (more != 0) {
        more = ExAll(path("bytes").c_str(), buffer.data(), static_cast<uint32_t>(buffer.size()), ExAllDates, &control);
        for (const Entry& e : entries_of(buffer.data(), ExAllDates, control.eac_Entries))
            listed.insert(e.name);
    }
    listed.erase(".");
    listed.erase("..");
    EXPECT_EQ(listed, made);

    for (const std::string& name : made) {
        if (name.find_first_of("*?") != std::string::npos)
            continue;
        SCOPED_TRACE(static_cast<int>(static_cast<uint8_t>(name[1])));
        FileInfoBlock fib;
        ASSERT_EQ(Examine(path("bytes/" + name).c_str(), &fib), 1);
        EXPECT_EQ(fib.fib_Name, name);
    }
}

}
