#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/gui_msgs.h"
#include "osmark/memory.h"
#include "osmark/testing.h"
#include "osmark/variables.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using test_support::read_file;

// Operations that count their calls, for handles built in the tests.
struct Recorder {
    std::string written;
    int reads = 0;
    int closes = 0;
};
Recorder* g_recorder = nullptr;

int32_t record_read(uintptr_t, void*, int32_t, int32_t* done)
{
    ++g_recorder->reads;
    *done = 0;
    return 1;
}

int32_t record_write(uintptr_t, const void* buffer, int32_t count, int32_t* done)
{
    g_recorder->written.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
    *done = count;
    return 1;
}

int32_t record_seek(uintptr_t, int32_t, int32_t)
{
    return 0;
}

int32_t record_close(uintptr_t)
{
    ++g_recorder->closes;
    return 1;
}

// A memory-backed handle as the drawing libraries build one.
FileHandle memory_handle(std::string& content)
{
    FileHandle fh{};
    fh.fh_Flags = FileFlagRead | FileFlagMemory;
    fh.fh_Buffer = reinterpret_cast<uint8_t*>(content.data());
    fh.fh_Position = fh.fh_Buffer;
    fh.fh_BufferSize = static_cast<int32_t>(content.size());
    fh.fh_Count = fh.fh_BufferSize;
    fh.fh_Read = record_read;
    fh.fh_Write = record_write;
    fh.fh_Seek = record_seek;
    fh.fh_Close = record_close;
    return fh;
}

std::vector<std::string> read_lines(FileHandle* fh, int32_t size)
{
    std::vector<std::string> lines;
    std::vector<char> buffer(static_cast<size_t>(size));
    while (char* line = FGets(fh, buffer.data(), size))
        lines.emplace_back(line);
    return lines;
}

class Files : public ::testing::Test {
protected:
    void SetUp() override { g_recorder = &m_recorder; }
    void TearDown() override { g_recorder = nullptr; }

    std::string temporary_path(const std::string& name) const { return m_folder.path(name); }
    std::string write_temporary_file(const std::string& name, const std::string& bytes) const
    {
        return m_folder.write(name, bytes);
    }

    Recorder m_recorder;
    test_support::TempFolder m_folder;
};

TEST_F(Files, FGetsEndsLinesAtCrLfCrAndLf)
{
    const std::string path = write_temporary_file("lines.txt", "a\r\nb\rc\n\nd");
    FileHandle* fh = Open(path.c_str(), FileModeRead);
    ASSERT_NE(fh, nullptr);
    EXPECT_EQ(read_lines(fh, 80), (std::vector<std::string>{"a", "b", "c", "", "d"}));
    EXPECT_EQ(Close(fh), 1);

    const std::string long_line = write_temporary_file("long.txt", "abcdef\n");
    fh = Open(long_line.c_str(), FileModeRead);
    ASSERT_NE(fh, nullptr);
    char buffer[4];
    EXPECT_STREQ(FGets(fh, buffer, sizeof buffer), "abc");
    EXPECT_STREQ(FGets(fh, buffer, sizeof buffer), "def");
    Close(fh);
}

TEST_F(Files, UnbufferedHandleKeepsTheByteAfterALoneCr)
{
    const std::string path = write_temporary_file("cr.txt", "a\rb\n");
    FileHandle* fh = Open(path.c_str(), FileModeRead);
    ASSERT_NE(fh, nullptr);
    ASSERT_EQ(SetVBuf(fh, nullptr, 2, 0), 1);
    EXPECT_EQ(read_lines(fh, 80), (std::vector<std::string>{"a", "b"}));
    Close(fh);
}

TEST_F(Files, MemoryBackedHandleNeverCallsItsOperations)
{
    std::string content = "wxyz";
    FileHandle fh = memory_handle(content);
    std::string read;
    for (int c; (c = FGetc(&fh)) != -1;)
        read += static_cast<char>(c);
    EXPECT_EQ(read, "wxyz");
    EXPECT_EQ(FGetc(&fh), -1);
    EXPECT_EQ(m_recorder.reads, 0);
    EXPECT_EQ(Seek(&fh, 0, 1), 4);
    EXPECT_EQ(Seek(&fh, 0, 0), 0);
    EXPECT_EQ(FGetc(&fh), 'w') << "all bytes readable again";

    char buffer[10];
    EXPECT_EQ(Seek(&fh, 0, 0), 0);
    EXPECT_EQ(Read(&fh, buffer, 10), 4);
    EXPECT_EQ(Read(&fh, buffer, 10), 0);
    EXPECT_EQ(Seek(&fh, -1, 2), 3);
    EXPECT_EQ(Seek(&fh, 100, 0), 4) << "clamped to the content";
    EXPECT_EQ(Seek(&fh, 0, 7), -1);

    EXPECT_EQ(Close(&fh), 0);
    EXPECT_EQ(m_recorder.closes, 0);
    EXPECT_EQ(content, "wxyz") << "the caller's bytes are untouched";
}

TEST_F(Files, UnGetcPushesBackAndMinusOneRereads)
{
    std::string content = "xy";
    FileHandle fh = memory_handle(content);
    EXPECT_EQ(FGetc(&fh), 'x');
    EXPECT_NE(UnGetc(&fh, -1), -1);
    EXPECT_EQ(FGetc(&fh), 'x');
    EXPECT_EQ(UnGetc(&fh, 'x'), 'x');
    EXPECT_EQ(FGetc(&fh), 'x');
    EXPECT_EQ(UnGetc(nullptr, 'x'), -1);
}

TEST_F(Files, LineBufferedWriteSendsWholeLines)
{
    FileHandle fh{};
    fh.fh_Flags = FileFlagWrite | FileFlagLineBuffered;
    fh.fh_Write = record_write;
    fh.fh_Seek = record_seek;
    EXPECT_EQ(Write(&fh, "ab\ncd", 5), 5);
    EXPECT_EQ(m_recorder.written, "ab\n");
    EXPECT_EQ(Flush(&fh), 1);
    EXPECT_EQ(m_recorder.written, "ab\ncd");
    EXPECT_EQ(Write(&fh, "ef", 2), 2);
    EXPECT_EQ(m_recorder.written, "ab\ncd");
    Close(&fh);
    EXPECT_EQ(m_recorder.written, "ab\ncdef") << "Close flushes";
}

TEST_F(Files, FullyBufferedWriteGoesOutWhenTheBufferFills)
{
    FileHandle fh{};
    fh.fh_Flags = FileFlagWrite;
    fh.fh_Write = record_write;
    uint8_t buffer[8];
    ASSERT_EQ(SetVBuf(&fh, buffer, 0, sizeof buffer), 1);
    EXPECT_EQ(Write(&fh, "0123456789", 10), 10);
    EXPECT_EQ(m_recorder.written, "01234567");
    EXPECT_EQ(FPuts(&fh, "ab"), 'b');
    EXPECT_EQ(FPutc(&fh, 'c'), 'c');
    Close(&fh);
    EXPECT_EQ(m_recorder.written, "0123456789abc");
}

int32_t failing_write(uintptr_t, const void*, int32_t, int32_t* done)
{
    *done = 0;
    return 0;
}

int32_t lazy_write(uintptr_t, const void*, int32_t, int32_t* done)
{
    *done = 0; // takes nothing, but says it succeeded
    return 1;
}

TEST_F(Files, FailedWritesSetTheStickyErrorFlag)
{
    for (FileWriteOp operation : {failing_write, lazy_write}) {
        FileHandle fh{};
        fh.fh_Flags = FileFlagWrite;
        fh.fh_Write = operation;
        EXPECT_EQ(Write(&fh, "abc", 3), 3) << "buffered";
        EXPECT_EQ(Flush(&fh), 0);
        EXPECT_NE(fh.fh_Flags & FileFlagError, 0u);
        EXPECT_EQ(Close(&fh), 0);
    }
}

TEST_F(Files, SeekInsideTheBufferAndToOddOffsets)
{
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += static_cast<char>('A' + i % 26);
    const std::string path = write_temporary_file("seek.bin", bytes);
    FileHandle* fh = Open(path.c_str(), FileModeRead);
    ASSERT_NE(fh, nullptr);
    EXPECT_EQ(FGetc(fh), 'A');
    EXPECT_EQ(Seek(fh, 0, 1), 1);
    for (int32_t target : {1001, 7, 2999, 0, 1500, 1023, 1024, 1025}) {
        SCOPED_TRACE(target);
        EXPECT_EQ(Seek(fh, target, 0), target);
        EXPECT_EQ(FGetc(fh), 'A' + target % 26);
        EXPECT_EQ(Seek(fh, 0, 1), target + 1);
    }
    EXPECT_EQ(Seek(fh, -3, 2), 2997);
    EXPECT_EQ(FGetc(fh), 'A' + 2997 % 26);
    EXPECT_EQ(Seek(fh, 1, 1), 2999);
    EXPECT_EQ(FGetc(fh), 'A' + 2999 % 26);
    EXPECT_EQ(FGetc(fh), -1);
    EXPECT_EQ(Seek(fh, 0, 0), 0) << "rewinds after the end";
    EXPECT_EQ(FGetc(fh), 'A');
    Close(fh);
}

TEST_F(Files, WriteThenReadBackThroughTheSystem)
{
    const std::string path = temporary_path("written.txt");
    FileHandle* fh = Open(path.c_str(), FileModeWrite);
    ASSERT_NE(fh, nullptr);
    std::string big(5000, 'q');
    EXPECT_EQ(Write(fh, big.data(), static_cast<int32_t>(big.size())), 5000);
    EXPECT_EQ(FWrite(fh, "12345678", 4, 2), 2);
    EXPECT_EQ(Seek(fh, 0, 1), 5008);
    EXPECT_EQ(Close(fh), 1);
    EXPECT_EQ(read_file(path), big + "12345678");

    fh = Open(path.c_str(), FileModeAppend);
    ASSERT_NE(fh, nullptr);
    FPuts(fh, "tail");
    Close(fh);
    EXPECT_EQ(read_file(path).substr(5008), "tail");

    IoErr();
    EXPECT_EQ(Open(temporary_path("missing.txt").c_str(), FileModeRead), nullptr);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);
    EXPECT_EQ(Open(path.c_str(), 6), nullptr) << "no such direction";
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
}

TEST_F(Files, TheFiftyFirstHandleCannotBeOpened)
{
    const std::string path = write_temporary_file("many.txt", "x");
    std::vector<FileHandle*> open;
    for (;;) {
        FileHandle* fh = Open(path.c_str(), FileModeRead);
        if (fh == nullptr)
            break;
        open.push_back(fh);
        ASSERT_LE(open.size(), 60u);
    }
    EXPECT_EQ(IoErr(), IoErrNoMemory);
    // Three are the standard streams; together with them 50 are busy.
    EXPECT_EQ(open.size() + 3, static_cast<size_t>(MaxFileHandles));
    for (FileHandle* fh : open)
        Close(fh);
    FileHandle* again = Open(path.c_str(), FileModeRead);
    EXPECT_NE(again, nullptr);
    Close(again);
}

TEST_F(Files, NilDeviceSwallowsWritesAndHasNoContent)
{
    FileHandle* nil = Open("nil:", FileModeWrite);
    ASSERT_NE(nil, nullptr);
    EXPECT_EQ(Write(nil, "abc", 3), 3);
    EXPECT_EQ(FGetc(nil), -1);
    IoErr();
    EXPECT_EQ(Seek(nil, 0, 0), -1);
    EXPECT_EQ(IoErr(), IoErrSeekError);
    Close(nil);
}

TEST_F(Files, StandardStreamNamesGiveDuplicates)
{
    FileHandle* out = Open("STDOUT:", 0);
    ASSERT_NE(out, nullptr);
    EXPECT_NE(out, Output());
    EXPECT_STREQ(out->fh_Name, "STDOUT:");
    EXPECT_EQ(Close(out), 1);
    EXPECT_NE(Output()->fh_Flags & FileFlagWrite, 0u) << "the original stays open";
}

TEST_F(Files, PipesCarryBytesFromTheWriteEndToTheReadEnd)
{
    FileHandle* reader = nullptr;
    FileHandle* writer = nullptr;
    ASSERT_EQ(OpenPipe(0, &reader, &writer), 0);
    EXPECT_STREQ(reader->fh_Name, "$piperead");
    EXPECT_EQ(reader->fh_Flags & (FileFlagPipe | FileFlagRead), uint32_t{FileFlagPipe | FileFlagRead});
    EXPECT_EQ(FPuts(writer, "through\n"), '\n');
    EXPECT_EQ(Close(writer), 1);
    char line[32];
    EXPECT_STREQ(FGets(reader, line, sizeof line), "through");
    EXPECT_EQ(FGets(reader, line, sizeof line), nullptr);
    FreeDosObject(DosObjectFileHandle, reader);
    EXPECT_EQ(OpenPipe(0, nullptr, &writer), -1);
}

TEST_F(Files, DosObjectsAreTrackedUntilFreed)
{
    IoErr();
    EXPECT_EQ(AllocDosObject(3, TagEnd), nullptr);
    EXPECT_EQ(IoErr(), IoErrWrongType);
    int not_an_object = 0;
    FreeDosObject(0, &not_an_object);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);

    auto* fh = static_cast<FileHandle*>(AllocDosObject(DosObjectFileHandle, DosTagFileMode, FileModeRead, TagEnd));
    ASSERT_NE(fh, nullptr);
    EXPECT_EQ(fh->fh_Flags, uint32_t{FileFlagRead});
    FreeDosObject(DosObjectFileHandle, fh);
    FreeDosObject(DosObjectFileHandle, fh);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid) << "freed once only";
}

TEST_F(Files, AccessDeleteAndTemporaryNames)
{
    const std::string folder = temporary_path("");
    IoErr();
    EXPECT_EQ(Access(folder.c_str(), 1), 0);
    const std::string file = write_temporary_file("plain.txt", "x");
    EXPECT_EQ(Access(file.c_str(), 1), -1);
    EXPECT_EQ(IoErr(), IoErrDirNotFound);
    EXPECT_EQ(Access((folder + "nothing").c_str(), 0), -1);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);
    EXPECT_EQ(DeleteFile_(file.c_str()), 1);
    EXPECT_EQ(Access(file.c_str(), 0), -1);

    const std::string tmp = temporary_path("names");
    ASSERT_EQ(system(("mkdir -p '" + tmp + "'").c_str()), 0);
    ASSERT_NE(SetVar("TMP", tmp.c_str(), -1, 0), 0);
    char name[512];
    const std::string expected = tmp + "/x0000.tmp";
    const int32_t length = static_cast<int32_t>(expected.size());
    EXPECT_EQ(TempFileName("x", name, sizeof name), length);
    EXPECT_EQ(std::string(name), expected);
    EXPECT_EQ(TempFileName("x", name, length + 1), length);
    EXPECT_EQ(TempFileName("x", name, length), length + 1);
    EXPECT_EQ(IoErr(), IoErrBufferOverflow);
    std::ofstream(expected) << "taken";
    EXPECT_EQ(TempFileName("x", name, sizeof name), length);
    EXPECT_EQ(std::string(name), tmp + "/x0001.tmp");
    DeleteVar("TMP", 0);
}

TEST_F(Files, NullHandlesAreRefused)
{
    IoErr();
    EXPECT_EQ(Close(nullptr), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(FGets(nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(Read(nullptr, nullptr, 4), 0);
    EXPECT_EQ(Write(nullptr, "x", 1), 0);
    EXPECT_EQ(Seek(nullptr, 0, 0), -1);
    EXPECT_EQ(DupFile(nullptr, 0), nullptr);
    EXPECT_EQ(SetVBuf(nullptr, nullptr, 0, 16), 0);
    EXPECT_EQ(Purge(nullptr), 0);
}

TEST_F(Files, ReadGUIMsgsSetsNumberedLinesAndTellsTheGuiOnce)
{
    const std::string path = write_temporary_file("texts.txt", "1:w\n2 :w\na:w\n\n  3: w  \r\n4\n");
    OsmarkGuiCounters before{};
    osmark_testing_gui_counters(&before);
    EXPECT_EQ(ReadGUIMsgs(100, path.c_str()), 1);
    EXPECT_STREQ(GUIMsg(101), "w");
    EXPECT_STREQ(GUIMsg(102), "w");
    EXPECT_STREQ(GUIMsg(103), " w") << "the blank after the colon stays";
    EXPECT_STREQ(GUIMsg(104), "?????");
    OsmarkGuiCounters after{};
    osmark_testing_gui_counters(&after);
    EXPECT_EQ(after.broadcast_gadget_change, before.broadcast_gadget_change + 1);
    EXPECT_EQ(after.refresh_all_windows, before.refresh_all_windows + 1);

    const std::string nothing = write_temporary_file("none.txt", "no numbers here\n");
    EXPECT_EQ(ReadGUIMsgs(100, nothing.c_str()), 0);
    EXPECT_EQ(ReadGUIMsgs(100, temporary_path("missing.txt").c_str()), 0);
}

TEST_F(Files, PrintFaultWritesTheTextToTheCurrentOutput)
{
    FileHandle fh{};
    fh.fh_Flags = FileFlagWrite;
    fh.fh_Write = record_write;
    FileHandle* previous = SelectOutput(&fh);
    EXPECT_EQ(PrintFault(IoErrObjectNotFound, "hdr"), 1);
    EXPECT_EQ(PrintFault(-41, nullptr), 1);
    Flush(&fh);
    SelectOutput(previous);
    Close(&fh);
    EXPECT_EQ(m_recorder.written, "hdr: object not founderror code-41");
}

}
