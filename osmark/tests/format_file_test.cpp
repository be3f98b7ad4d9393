#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/format.h"

#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using test_support::read_file;
using test_support::TempFolder;

TEST(FormatFile, WritesTheFormattedCharactersWithoutTheFinalNul)
{
    TempFolder folder;
    const std::string path = folder.path("out.txt");
    FileHandle* fh = Open(path.c_str(), FileModeWrite);
    ASSERT_NE(fh, nullptr);
    EXPECT_EQ(FPrintf(fh, "%s %.2lf\n", "# Assign File Version ", 1.0), 28);
    EXPECT_EQ(FPrintf(fh, "%s:%s\r\n", "Work", "D:\\Jobs"), 14);
    EXPECT_EQ(FPrintf(fh, "%5.1f|%-4d|%x|%%\n", 2.25, 42, 255), 16);
    EXPECT_EQ(FPrintf(fh, ""), 0);
    ASSERT_NE(Close(fh), 0);
    EXPECT_EQ(read_file(path), "# Assign File Version  1.00\nWork:D:\\Jobs\r\n  2.3|42  |ff|%\n");
}

TEST(FormatFile, LimitedWritesReturnTheFullLength)
{
    TempFolder folder;
    const std::string path = folder.path("limited.txt");
    FileHandle* fh = Open(path.c_str(), FileModeWrite);
    ASSERT_NE(fh, nullptr);
    EXPECT_EQ(FnPrintf(fh, 4, "%s-%d", "abcdef", 12), 9);
    EXPECT_EQ(FnPrintf(fh, 0, "%s", "nothing"), 7);
    EXPECT_EQ(FnPrintf(fh, -1, "%s", "negative"), 8);
    EXPECT_EQ(FnPrintf(fh, 100, "|%c", 'z'), 2);
    ASSERT_NE(Close(fh), 0);
    EXPECT_EQ(read_file(path), "abcd|z");
}

TEST(FormatFile, PrintfWritesToTheCurrentOutput)
{
    TempFolder folder;
    const std::string path = folder.path("printf.txt");
    FileHandle* fh = Open(path.c_str(), FileModeWrite);
    ASSERT_NE(fh, nullptr);
    FileHandle* previous = SelectOutput(fh);
    EXPECT_EQ(Printf("%d apples and %s\n", 3, "pears"), 19);
    SelectOutput(previous);
    ASSERT_NE(Close(fh), 0);
    EXPECT_EQ(read_file(path), "3 apples and pears\n");
}

TEST(FormatFile, AFailedWriteGivesMinusOne)
{
    TempFolder folder;
    FileHandle* fh = Open(folder.path("error.txt").c_str(), FileModeWrite);
    ASSERT_NE(fh, nullptr);
    EXPECT_EQ(FPrintf(fh, "%s", "fine"), 4);
    // The error flag is sticky: set by an earlier failure, it fails every later call.
    fh->fh_Flags |= FileFlagError;
    EXPECT_EQ(FPrintf(fh, "%s", "more"), -1);
    EXPECT_EQ(FnPrintf(fh, 2, "%s", "more"), 4) << "the limited family does not look at the flag";
    Close(fh);

    // Writing to /dev/full fails when the buffer goes out.
    fh = Open("/dev/full", FileModeWrite);
    if (fh != nullptr) {
        SetVBuf(fh, nullptr, 2, 0);
        EXPECT_EQ(FPrintf(fh, "%s", "lost"), -1);
        Close(fh);
    }
}

TEST(FormatFile, NullHandleOrFormatIsRefused)
{
    SetIoErr(IoErrNone);
    EXPECT_EQ(FPrintf(nullptr, "%d", 1), -1);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(FnPrintf(nullptr, 5, "%d", 1), -1);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    TempFolder folder;
    FileHandle* fh = Open(folder.path("x.txt").c_str(), FileModeWrite);
    ASSERT_NE(fh, nullptr);
    EXPECT_EQ(VFPrintf(fh, nullptr, nullptr), -1);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    Close(fh);
}

}
