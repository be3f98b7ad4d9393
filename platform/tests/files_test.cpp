// Open file handles: creation dispositions, reading, writing and seeking, share modes,
// copies of handles, standard handles, pipes and file times.

#include "files_test_support.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <string>

namespace {

using files_test::invalid_handle;
using test_support::read_file;
using test_support::TempFolder;
using test_support::write_file;

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

HANDLE open_file(const std::string& path, DWORD access, DWORD disposition, DWORD share = 0,
                 DWORD flags = FILE_ATTRIBUTE_NORMAL)
{
    return CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
}

std::string read_all(HANDLE file, DWORD count = 256)
{
    std::string buffer(count, '\0');
    DWORD done = 0;
    if (!ReadFile(file, buffer.data(), count, &done, nullptr))
        return "<failed>";
    buffer.resize(done);
    return buffer;
}

bool write_all(HANDLE file, const std::string& text)
{
    DWORD done = 0;
    return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
           done == text.size();
}

// ---- Creation dispositions ---------------------------------------------------------

TEST(CreateFile, EveryDispositionOnAMissingAndAnExistingFile)
{
    struct Row {
        DWORD disposition;
        bool exists_before;
        bool opens;
        DWORD error;          // the last error after the call
        const char* content;  // the file afterwards; nullptr: no file
    };
    const Row rows[] = {
        {CREATE_NEW, false, true, ERROR_SUCCESS, ""},
        {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
        {CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
        {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        {OPEN_EXISTING, true, true, ERROR_SUCCESS, "old"},
        {OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
        {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        {TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
        {0, true, false, ERROR_INVALID_PARAMETER, "old"},
        {6, false, false, ERROR_INVALID_PARAMETER, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("disposition " + std::to_string(row.disposition) +
                     (row.exists_before ? " on an existing file" : " on a missing file"));
        const TempFolder folder;
        const std::string path = folder.path("file.txt");
        if (row.exists_before)
            write_file(path, "old");
        SetLastError(12345);
        const HANDLE file = open_file(path, kReadWrite, row.disposition);
        EXPECT_EQ(GetLastError(), row.error);
        if (row.opens) {
            ASSERT_NE(file, invalid_handle());
            EXPECT_NE(file, nullptr);
            EXPECT_TRUE(CloseHandle(file));
        } else {
            EXPECT_EQ(file, invalid_handle());
        }
        if (row.content == nullptr) {
            EXPECT_FALSE(test_support::exists(path));
        } else {
            EXPECT_EQ(read_file(path), row.content);
        }
    }
}

TEST(CreateFile, RefusesWhatWin32Refuses)
{
    const TempFolder folder;
    write_file(folder.path("file.txt"), "data");
    write_file(folder.path("locked.txt"), "data");
    chmod(folder.path("locked.txt").c_str(), 0444);
    test_support::make_folders(folder.path("sub"));

    struct Row {
        const char* name;
        DWORD access;
        DWORD disposition;
        DWORD flags;
        DWORD error;
    };
    const Row rows[] = {
        {"missing/file.txt", GENERIC_READ, OPEN_EXISTING, 0, ERROR_PATH_NOT_FOUND},
        {"missing/file.txt", kReadWrite, CREATE_ALWAYS, 0, ERROR_PATH_NOT_FOUND},
        {"file.txt/x", GENERIC_READ, OPEN_EXISTING, 0, ERROR_PATH_NOT_FOUND},
        {"file.txt", GENERIC_READ, TRUNCATE_EXISTING, 0, ERROR_INVALID_PARAMETER},
        // The read-only attribute holds even for root.
        {"locked.txt", GENERIC_WRITE, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED},
        {"locked.txt", GENERIC_READ, CREATE_ALWAYS, 0, ERROR_ACCESS_DENIED},
        {"sub", GENERIC_READ, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED},
        {"sub", GENERIC_READ, CREATE_NEW, FILE_FLAG_BACKUP_SEMANTICS, ERROR_FILE_EXISTS},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(open_file(folder.path(row.name), row.access, row.disposition, 0, row.flags),
                  invalid_handle());
        EXPECT_EQ(GetLastError(), row.error);
    }
    EXPECT_EQ(read_file(folder.path("locked.txt")), "data");
    EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), invalid_handle());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // A folder opens with backup semantics, and reading it is no file read.
    const HANDLE sub = open_file(folder.path("sub"), GENERIC_READ, OPEN_EXISTING, 0,
                                 FILE_FLAG_BACKUP_SEMANTICS);
    ASSERT_NE(sub, invalid_handle());
    EXPECT_EQ(GetFileType(sub), static_cast<DWORD>(FILE_TYPE_DISK));
    char byte;
    DWORD done = 7;
    EXPECT_FALSE(ReadFile(sub, &byte, 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    EXPECT_EQ(done, 0u);
    CloseHandle(sub);
}

TEST(CreateFile, ReadOnlyAttributeMakesANewFileReadOnlyButTheHandleWrites)
{
    const TempFolder folder;
    const std::string path = folder.path("new.txt");
    const HANDLE file = open_file(path, GENERIC_WRITE, CREATE_NEW, 0, FILE_ATTRIBUTE_READONLY);
    ASSERT_NE(file, invalid_handle());
    EXPECT_TRUE(write_all(file, "abc"));
    CloseHandle(file);
    EXPECT_EQ(read_file(path), "abc");
    EXPECT_EQ(GetFileAttributesA(path.c_str()), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(open_file(path, GENERIC_WRITE, OPEN_EXISTING), invalid_handle());
}

// ---- Reading, writing, seeking ---------------------------------------------------------

class OpenFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = folder.path("data.bin");
        write_file(path, "0123456789");
        file = open_file(path, kReadWrite, OPEN_EXISTING);
        ASSERT_NE(file, invalid_handle());
    }
    void TearDown() override { CloseHandle(file); }

    LONG position() { return static_cast<LONG>(SetFilePointer(file, 0, nullptr, FILE_CURRENT)); }

    TempFolder folder;
    std::string path;
    HANDLE file = nullptr;
};

TEST_F(OpenFile, ReadsWritesAndMovesThePosition)
{
    EXPECT_EQ(read_all(file, 4), "0123");
    EXPECT_EQ(position(), 4);
    EXPECT_TRUE(write_all(file, "ab"));
    EXPECT_EQ(position(), 6);
    EXPECT_EQ(read_all(file), "6789");
    // At the end a read succeeds with nothing.
    EXPECT_EQ(read_all(file), "");
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
    EXPECT_EQ(read_all(file), "0123ab6789");
}

TEST_F(OpenFile, SeeksByEveryMethodAndRefusesNegativePositions)
{
    struct Row {
        LONG distance;
        DWORD method;
        DWORD result;  // the new position, or INVALID_SET_FILE_POINTER
        DWORD error;
    };
    // Each row starts at position 4 of the 10-byte file.
    const Row rows[] = {
        {0, FILE_BEGIN, 0, ERROR_SUCCESS},
        {7, FILE_BEGIN, 7, ERROR_SUCCESS},
        {3, FILE_CURRENT, 7, ERROR_SUCCESS},
        {-4, FILE_CURRENT, 0, ERROR_SUCCESS},
        {-1, FILE_END, 9, ERROR_SUCCESS},
        {100, FILE_BEGIN, 100, ERROR_SUCCESS},
        {5, FILE_END, 15, ERROR_SUCCESS},
        {-1, FILE_BEGIN, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK},
        {-5, FILE_CURRENT, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK},
        {-11, FILE_END, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK},
        {0, 3, INVALID_SET_FILE_POINTER, ERROR_INVALID_PARAMETER},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("distance " + std::to_string(row.distance) + " method " + std::to_string(row.method));
        ASSERT_EQ(SetFilePointer(file, 4, nullptr, FILE_BEGIN), 4u);
        SetLastError(12345);
        EXPECT_EQ(SetFilePointer(file, row.distance, nullptr, row.method), row.result);
        EXPECT_EQ(GetLastError(), row.error);
        if (row.result == INVALID_SET_FILE_POINTER) {
            EXPECT_EQ(position(), 4) << "a failed seek leaves the position";
        }
    }
}

TEST_F(OpenFile, PastTheEndReadsNothingAndWritesFillTheGapWithZeros)
{
    ASSERT_EQ(SetFilePointer(file, 20, nullptr, FILE_BEGIN), 20u);
    EXPECT_EQ(read_all(file), "");
    EXPECT_TRUE(write_all(file, "x"));
    EXPECT_EQ(GetFileSize(file, nullptr), 21u);
    EXPECT_EQ(read_file(path), std::string("0123456789") + std::string(10, '\0') + "x");
}

TEST_F(OpenFile, SixtyFourBitPositionsAndSizes)
{
    constexpr LONGLONG kFiveGigabytes = 5LL << 30;
    LARGE_INTEGER distance;
    distance.QuadPart = kFiveGigabytes;
    LARGE_INTEGER reached;
    ASSERT_TRUE(SetFilePointerEx(file, distance, &reached, FILE_BEGIN));
    EXPECT_EQ(reached.QuadPart, kFiveGigabytes);
    EXPECT_TRUE(SetEndOfFile(file));
    LARGE_INTEGER size;
    ASSERT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(size.QuadPart, kFiveGigabytes);
    DWORD high = 0;
    EXPECT_EQ(GetFileSize(file, &high), static_cast<DWORD>(kFiveGigabytes & 0xFFFFFFFF));
    EXPECT_EQ(high, 1u);

    // Without a high half, a position past 4 GiB cannot be told and is refused.
    ASSERT_EQ(SetFilePointer(file, 8, nullptr, FILE_BEGIN), 8u);
    EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(position(), 8);
    LONG high_distance = -1;  // with the high half, -1 is 0xFFFFFFFF:0xFFFFFFFF
    EXPECT_EQ(SetFilePointer(file, -1, &high_distance, FILE_END), static_cast<DWORD>((kFiveGigabytes - 1) & 0xFFFFFFFF));
    EXPECT_EQ(high_distance, 1);
    high_distance = -1;  // -2 in 64 bits from the start
    EXPECT_EQ(SetFilePointer(file, -2, &high_distance, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
}

TEST_F(OpenFile, EndOfFileAndFlush)
{
    ASSERT_EQ(SetFilePointer(file, 3, nullptr, FILE_BEGIN), 3u);
    EXPECT_TRUE(SetEndOfFile(file));
    EXPECT_TRUE(FlushFileBuffers(file));
    EXPECT_EQ(read_file(path), "012");
    EXPECT_EQ(GetFileSize(file, nullptr), 3u);
}

TEST_F(OpenFile, CallsNeedTheirAccess)
{
    const HANDLE reader = open_file(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE);
    const HANDLE writer = open_file(path, GENERIC_WRITE, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE);
    // The fixture's handle shares nothing: both fail while it is open.
    EXPECT_EQ(reader, invalid_handle());
    EXPECT_EQ(writer, invalid_handle());
    CloseHandle(file);
    file = open_file(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE);
    const HANDLE write_only = open_file(path, GENERIC_WRITE, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(file, invalid_handle());
    ASSERT_NE(write_only, invalid_handle());

    char byte = 'x';
    DWORD done = 0;
    EXPECT_FALSE(WriteFile(file, &byte, 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(SetEndOfFile(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(FlushFileBuffers(file));
    EXPECT_FALSE(ReadFile(write_only, &byte, 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(ReadFile(file, &byte, 1, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CloseHandle(write_only);
    EXPECT_EQ(read_file(path), "0123456789");
}

TEST(CreateFile, AppendDataAloneWritesAtTheEnd)
{
    const TempFolder folder;
    const std::string path = folder.path("log.txt");
    write_file(path, "one");
    const HANDLE file = open_file(path, FILE_APPEND_DATA, OPEN_EXISTING);
    ASSERT_NE(file, invalid_handle());
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    EXPECT_TRUE(write_all(file, "two"));
    CloseHandle(file);
    EXPECT_EQ(read_file(path), "onetwo");
}

// ---- Share modes ---------------------------------------------------------------------

TEST(ShareModes, SecondOpenMustFitTheFirst)
{
    struct Row {
        DWORD first_access;
        DWORD first_share;
        DWORD second_access;
        DWORD second_share;
        bool second_opens;
    };
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const Row rows[] = {
        {GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, true},
        {GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, kShareAll, false},
        {GENERIC_READ, 0, GENERIC_READ, kShareAll, false},
        {GENERIC_WRITE, kShareAll, GENERIC_READ, FILE_SHARE_READ, false},  // must share writing
        {GENERIC_WRITE, kShareAll, GENERIC_READ, FILE_SHARE_WRITE, true},
        {kReadWrite, FILE_SHARE_READ | FILE_SHARE_WRITE, kReadWrite, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {GENERIC_READ, FILE_SHARE_READ, FILE_READ_ATTRIBUTES, 0, true},  // no data access
        {0, 0, GENERIC_READ, kShareAll, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << std::hex << row.first_access << "/" << row.first_share
                                          << " then " << row.second_access << "/" << row.second_share);
        const TempFolder folder;
        const std::string path = folder.path("shared.txt");
        write_file(path, "x");
        const HANDLE first = open_file(path, row.first_access, OPEN_EXISTING, row.first_share);
        ASSERT_NE(first, invalid_handle());
        const HANDLE second = open_file(path, row.second_access, OPEN_EXISTING, row.second_share);
        if (row.second_opens) {
            EXPECT_NE(second, invalid_handle());
            CloseHandle(second);
        } else {
            EXPECT_EQ(second, invalid_handle());
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        }
        CloseHandle(first);
        // Closing ends the first open's claim.
        const HANDLE again = open_file(path, row.second_access, OPEN_EXISTING, row.second_share);
        EXPECT_NE(again, invalid_handle());
        CloseHandle(again);
    }
}

TEST(ShareModes, DeleteAndRenameNeedDeleteSharing)
{
    const TempFolder folder;
    const std::string path = folder.path("open.txt");
    write_file(path, "x");
    HANDLE file = open_file(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
    ASSERT_NE(file, invalid_handle());
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(MoveFileA(path.c_str(), folder.path("moved.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(file);

    file = open_file(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_DELETE);
    ASSERT_NE(file, invalid_handle());
    EXPECT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_EQ(read_all(file), "x") << "the open file stays readable";
    CloseHandle(file);
}

// ---- Handles ----------------------------------------------------------------------------

TEST(FileHandles, ClosedAndMadeUpHandlesAreRefused)
{
    const TempFolder folder;
    const HANDLE file = open_file(folder.path("f"), kReadWrite, CREATE_NEW);
    ASSERT_NE(file, invalid_handle());
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    const HANDLE bad[] = {nullptr, invalid_handle(), file, reinterpret_cast<HANDLE>(uintptr_t{3}),
                          reinterpret_cast<HANDLE>(uintptr_t{0x7FFFFFF0})};
    for (const HANDLE handle : bad) {
        SCOPED_TRACE(reinterpret_cast<uintptr_t>(handle));
        char byte = 0;
        DWORD done = 0;
        EXPECT_FALSE(ReadFile(handle, &byte, 1, &done, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(WriteFile(handle, &byte, 1, &done, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(SetFilePointer(handle, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        EXPECT_EQ(GetFileSize(handle, nullptr), INVALID_FILE_SIZE);
        EXPECT_EQ(GetFileType(handle), static_cast<DWORD>(FILE_TYPE_UNKNOWN));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
}

TEST(FileHandles, DuplicateSharesThePositionAndOutlivesTheOriginal)
{
    const TempFolder folder;
    const std::string path = folder.path("f.txt");
    write_file(path, "abcdef");
    const HANDLE file = open_file(path, GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(file, invalid_handle());
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    EXPECT_NE(copy, file);
    EXPECT_EQ(read_all(file, 2), "ab");
    EXPECT_EQ(read_all(copy, 2), "cd");
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(read_all(copy), "ef");

    HANDLE moved = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), copy, GetCurrentProcess(), &moved, 0, FALSE,
                                DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE));
    EXPECT_FALSE(CloseHandle(copy)) << "the source was closed";
    EXPECT_TRUE(CloseHandle(moved));

    HANDLE none = nullptr;
    EXPECT_FALSE(DuplicateHandle(GetCurrentProcess(), moved, GetCurrentProcess(), &none, 0, FALSE,
                                 DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(none, nullptr);
}

TEST(StandardHandles, SurviveClosingTheirHandlesAndCopies)
{
    for (const DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        SCOPED_TRACE(static_cast<int>(which));
        const int descriptor = static_cast<int>(STD_INPUT_HANDLE - which);
        if (fcntl(descriptor, F_GETFD) < 0) {
            EXPECT_EQ(GetStdHandle(which), nullptr);
            continue;
        }
        const HANDLE standard = GetStdHandle(which);
        ASSERT_NE(standard, nullptr);
        ASSERT_NE(standard, invalid_handle());
        EXPECT_EQ(GetStdHandle(which), standard) << "one handle while it is open";
        EXPECT_NE(GetFileType(standard), static_cast<DWORD>(FILE_TYPE_UNKNOWN));

        HANDLE copy = nullptr;
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), standard, GetCurrentProcess(), &copy, 0,
                                    TRUE, DUPLICATE_SAME_ACCESS));
        EXPECT_TRUE(CloseHandle(copy));
        EXPECT_EQ(GetStdHandle(which), standard);
        EXPECT_GE(fcntl(descriptor, F_GETFD), 0);

        // Closing the standard handle itself closes the handle, never the descriptor.
        EXPECT_TRUE(CloseHandle(standard));
        EXPECT_GE(fcntl(descriptor, F_GETFD), 0);
        const HANDLE fresh = GetStdHandle(which);
        EXPECT_NE(fresh, nullptr);
        EXPECT_NE(fresh, standard);
        EXPECT_NE(GetFileType(fresh), static_cast<DWORD>(FILE_TYPE_UNKNOWN));
    }
    EXPECT_EQ(GetStdHandle(0), invalid_handle());
}

TEST(StandardHandles, SetStdHandleReplacesWhatGetStdHandleGives)
{
    const TempFolder folder;
    const HANDLE file = open_file(folder.path("out.txt"), GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(file, invalid_handle());
    const HANDLE previous = GetStdHandle(STD_OUTPUT_HANDLE);
    ASSERT_TRUE(SetStdHandle(STD_OUTPUT_HANDLE, file));
    EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), file);
    EXPECT_TRUE(write_all(GetStdHandle(STD_OUTPUT_HANDLE), "redirected"));
    ASSERT_TRUE(SetStdHandle(STD_OUTPUT_HANDLE, previous));
    EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), previous);
    CloseHandle(file);
    EXPECT_EQ(read_file(folder.path("out.txt")), "redirected");
}

TEST(Consoles, NoConsoleWindowAndNoConsoleModeForFiles)
{
    EXPECT_FALSE(AllocConsole());
    const bool has_terminal = isatty(0) || isatty(1) || isatty(2);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(has_terminal ? ERROR_ACCESS_DENIED : ERROR_NOT_SUPPORTED));

    const TempFolder folder;
    const HANDLE file = open_file(folder.path("f"), kReadWrite, CREATE_NEW);
    DWORD mode = 0;
    EXPECT_FALSE(GetConsoleMode(file, &mode));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CloseHandle(file);
    if (isatty(1)) {
        EXPECT_TRUE(GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode));
        EXPECT_EQ(GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)), static_cast<DWORD>(FILE_TYPE_CHAR));
    }
}

// ---- Pipes ---------------------------------------------------------------------------------

TEST(Pipes, ReadWhatWasWrittenThenBrokenPipe)
{
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 1024));
    EXPECT_EQ(GetFileType(reader), static_cast<DWORD>(FILE_TYPE_PIPE));
    EXPECT_TRUE(write_all(writer, "hello"));
    EXPECT_TRUE(write_all(writer, " pipe"));
    // A pipe read gives what is there without waiting for the whole count.
    EXPECT_EQ(read_all(reader, 100), "hello pipe");
    EXPECT_TRUE(write_all(writer, "tail"));
    EXPECT_TRUE(CloseHandle(writer));
    EXPECT_EQ(read_all(reader, 100), "tail");
    char byte;
    DWORD done = 5;
    EXPECT_FALSE(ReadFile(reader, &byte, 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
    EXPECT_EQ(done, 0u);
    // The ends are no files: no position, no size.
    EXPECT_EQ(SetFilePointer(reader, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    EXPECT_EQ(GetFileSize(reader, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    EXPECT_TRUE(CloseHandle(reader));
}

TEST(Pipes, WritingWithoutAReaderFailsWithoutASignal)
{
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 0));
    EXPECT_TRUE(CloseHandle(reader));
    DWORD done = 9;
    EXPECT_FALSE(WriteFile(writer, "x", 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_DATA));
    EXPECT_EQ(done, 0u);
    // A reading end cannot write, a writing end cannot read.
    EXPECT_TRUE(CloseHandle(writer));
    ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 0));
    EXPECT_FALSE(WriteFile(reader, "x", 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(reader);
    CloseHandle(writer);
    EXPECT_FALSE(CreatePipe(nullptr, &writer, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// ---- File times ------------------------------------------------------------------------------

TEST(FileTimes, SetAndGetRoundTripToTheTick)
{
    const TempFolder folder;
    const std::string path = folder.path("stamped.txt");
    const HANDLE file = open_file(path, kReadWrite, CREATE_NEW);
    ASSERT_NE(file, invalid_handle());
    // 2013-03-05 14:07:09.1234567 UTC and a day later.
    const FILETIME written = files_test::file_time_of(130069660291234567ULL);
    const FILETIME accessed = files_test::file_time_of(130070524291234567ULL);
    ASSERT_TRUE(SetFileTime(file, nullptr, &accessed, &written));
    FILETIME created{};
    FILETIME access_read{};
    FILETIME write_read{};
    ASSERT_TRUE(GetFileTime(file, &created, &access_read, &write_read));
    EXPECT_EQ(files_test::ticks_of(write_read), files_test::ticks_of(written));
    EXPECT_EQ(files_test::ticks_of(access_read), files_test::ticks_of(accessed));
    EXPECT_NE(files_test::ticks_of(created), 0u);

    // NULL and 0 leave a time as it is.
    const FILETIME zero{0, 0};
    const FILETIME later = files_test::file_time_of(130100000000000000ULL);
    ASSERT_TRUE(SetFileTime(file, nullptr, &zero, &later));
    ASSERT_TRUE(GetFileTime(file, nullptr, &access_read, &write_read));
    EXPECT_EQ(files_test::ticks_of(access_read), files_test::ticks_of(accessed));
    EXPECT_EQ(files_test::ticks_of(write_read), files_test::ticks_of(later));
    CloseHandle(file);

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(files_test::ticks_of(data.ftLastWriteTime), files_test::ticks_of(later));

    // Setting times needs write access, as on Win32.
    const HANDLE reader = open_file(path, GENERIC_READ, OPEN_EXISTING);
    EXPECT_FALSE(SetFileTime(reader, nullptr, nullptr, &written));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(reader);
}

}

namespace {

// ---- Named pipes --------------------------------------------------------------------------

std::string pipe_name(const char* suffix)
{
    return "\\\\.\\pipe\\files_test_" + std::to_string(getpid()) + "_" + suffix;
}

TEST(NamedPipes, ServerAndClientTalkBothWays)
{
    const std::string name = pipe_name("Talk");
    const HANDLE server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                                           PIPE_UNLIMITED_INSTANCES, 1024, 1024, 2000, nullptr);
    ASSERT_NE(server, invalid_handle());
    EXPECT_EQ(GetFileType(server), static_cast<DWORD>(FILE_TYPE_PIPE));
    char byte;
    DWORD done = 0;
    EXPECT_FALSE(ReadFile(server, &byte, 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PIPE_LISTENING));

    // The name is found without regard to case, with either separator.
    std::string client_name = name;
    for (char& c : client_name)
        c = static_cast<char>(c == '\\' ? '/' : std::toupper(static_cast<unsigned char>(c)));
    const HANDLE client = open_file(client_name, kReadWrite, OPEN_EXISTING);
    ASSERT_NE(client, invalid_handle());
    EXPECT_TRUE(write_all(client, "ping"));
    EXPECT_EQ(read_all(server, 100), "ping");
    EXPECT_TRUE(write_all(server, "pong"));
    EXPECT_EQ(read_all(client, 100), "pong");
    EXPECT_TRUE(CloseHandle(client));
    EXPECT_FALSE(ReadFile(server, &byte, 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
    EXPECT_TRUE(CloseHandle(server));

    // With its last server end gone, the pipe is gone.
    EXPECT_EQ(open_file(name, kReadWrite, OPEN_EXISTING), invalid_handle());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(NamedPipes, DirectionsInstancesAndNames)
{
    const std::string name = pipe_name("inbound");
    const HANDLE server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
    ASSERT_NE(server, invalid_handle());
    EXPECT_EQ(CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr),
              invalid_handle());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PIPE_BUSY));
    const HANDLE client = open_file(name, GENERIC_WRITE, OPEN_EXISTING);
    ASSERT_NE(client, invalid_handle());
    EXPECT_TRUE(write_all(client, "in"));
    DWORD done = 0;
    EXPECT_FALSE(WriteFile(server, "x", 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(read_all(server, 10), "in");
    CloseHandle(client);
    CloseHandle(server);

    // Once the instance is closed another may be made.
    const HANDLE again = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
    EXPECT_NE(again, invalid_handle());
    CloseHandle(again);

    struct Row {
        const char* name;
        DWORD open_mode;
        DWORD pipe_mode;
        DWORD error;
    };
    const Row rows[] = {
        {"\\\\.\\pipes\\x", PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, ERROR_INVALID_NAME},
        {"\\\\.\\pipe\\", PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, ERROR_INVALID_NAME},
        {"C:\\pipe\\x", PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, ERROR_INVALID_NAME},
        {"\\\\.\\pipe\\x", 0, PIPE_TYPE_BYTE, ERROR_INVALID_PARAMETER},
        {"\\\\.\\pipe\\x", PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE, ERROR_NOT_SUPPORTED},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CreateNamedPipeA(row.name, row.open_mode, row.pipe_mode, 1, 0, 0, 0, nullptr), invalid_handle());
        EXPECT_EQ(GetLastError(), row.error);
    }
    EXPECT_EQ(open_file(pipe_name("nobody"), kReadWrite, OPEN_EXISTING), invalid_handle());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}
