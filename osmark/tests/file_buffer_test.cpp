// A reading handle's buffer as a byte source (osmark/file_buffer.h): every byte of a
// file comes through peek, consume and refill exactly once, whatever the buffering,
// and the end of the file, an error and a refused buffer are told apart.
#include "osmark/file_buffer.h"
#include "osmark/files.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support/temp_folder.h"

namespace {

// Every byte the handle gives through the buffer interface, taking at most step bytes
// of each view.
std::string drain(FileHandle* fh, int32_t step)
{
    std::string bytes;
    for (;;) {
        int32_t count = 0;
        const uint8_t* view = FileBufferPeek(fh, &count);
        if (count == 0) {
            if (FileBufferRefill(fh) == 0)
                return bytes;
            continue;
        }
        const int32_t taken = count < step ? count : step;
        bytes.append(reinterpret_cast<const char*>(view), static_cast<size_t>(taken));
        FileBufferConsume(fh, taken);
    }
}

class FileBuffer : public ::testing::Test {
protected:
    // A file of 100 bytes that are all different from their neighbours.
    FileHandle* open_file()
    {
        for (int i = 0; i < 100; ++i)
            m_content.push_back(static_cast<char>('!' + i % 90));
        const std::string path = m_folder.write("bytes.bin", m_content);
        FileHandle* fh = Open(path.c_str(), FileModeRead);
        EXPECT_NE(fh, nullptr);
        return fh;
    }

    test_support::TempFolder m_folder;
    std::string m_content;
};

TEST_F(FileBuffer, EveryByteComesOnceWhateverTheBuffering)
{
    const struct {
        const char* name;
        int32_t mode; // SetVBuf mode, -1 for none
        int32_t size;
        int32_t step;
    } rows[] = {
        {"the handle's own buffer", -1, 0, 7}, {"a buffer smaller than the file", 0, 16, 5},
        {"a buffer of one byte", 0, 1, 3},     {"unbuffered", 2, 0, 1},
        {"whole views taken", 0, 32, 1000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FileHandle* fh = open_file();
        ASSERT_NE(fh, nullptr);
        if (row.mode >= 0) {
            ASSERT_EQ(SetVBuf(fh, nullptr, row.mode, row.size), 1);
        }
        EXPECT_EQ(drain(fh, row.step), m_content);
        EXPECT_NE(fh->fh_Flags & FileFlagEndOfFile, 0u);
        EXPECT_EQ(fh->fh_Flags & FileFlagError, 0u);
        EXPECT_EQ(FileBufferRefill(fh), 0) << "the end stays";
        EXPECT_EQ(FGetc(fh), -1);
        Close(fh);
    }
}

TEST_F(FileBuffer, MixesWithTheByteReaders)
{
    FileHandle* fh = open_file();
    ASSERT_NE(fh, nullptr);
    ASSERT_EQ(SetVBuf(fh, nullptr, 0, 8), 1);
    EXPECT_EQ(FGetc(fh), m_content[0]);
    // FGetc filled the buffer: the rest of it is there to peek.
    int32_t count = 0;
    const uint8_t* view = FileBufferPeek(fh, &count);
    ASSERT_EQ(count, 7);
    EXPECT_EQ(view[0], static_cast<uint8_t>(m_content[1]));
    EXPECT_EQ(FileBufferRefill(fh), 7) << "nothing is read while bytes are unread";
    FileBufferConsume(fh, 7);
    EXPECT_EQ(FileBufferRefill(fh), 8);
    EXPECT_EQ(FGetc(fh), m_content[8]) << "a refill leaves the first byte unread";
    EXPECT_EQ(UnGetc(fh, m_content[8]), m_content[8]);
    EXPECT_EQ(drain(fh, 3), m_content.substr(8));
    Close(fh);
}

TEST_F(FileBuffer, EndDropsTheRestUntilSeek)
{
    FileHandle* fh = open_file();
    ASSERT_NE(fh, nullptr);
    EXPECT_EQ(FGetc(fh), m_content[0]);
    FileBufferEnd(fh);
    int32_t count = -1;
    FileBufferPeek(fh, &count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(FileBufferRefill(fh), 0);
    EXPECT_EQ(FGetc(fh), -1);
    ASSERT_EQ(Seek(fh, 0, 0), 0);
    EXPECT_EQ(drain(fh, 10), m_content);
    Close(fh);
}

TEST_F(FileBuffer, MemoryBackedHandlesShowTheirWholeContentAndNeverRefill)
{
    std::string content = "group\n0\n";
    FileHandle fh{};
    fh.fh_Flags = FileFlagRead | FileFlagMemory;
    fh.fh_Buffer = reinterpret_cast<uint8_t*>(content.data());
    fh.fh_Position = fh.fh_Buffer;
    fh.fh_BufferSize = static_cast<int32_t>(content.size());
    fh.fh_Count = fh.fh_BufferSize;
    fh.fh_Read = [](uintptr_t, void*, int32_t, int32_t* done) -> int32_t {
        ADD_FAILURE() << "a memory-backed handle is never read";
        *done = 0;
        return 0;
    };
    int32_t count = 0;
    EXPECT_EQ(FileBufferPeek(&fh, &count), fh.fh_Buffer);
    EXPECT_EQ(count, static_cast<int32_t>(content.size()));
    EXPECT_EQ(drain(&fh, 3), content);
    EXPECT_EQ(FileBufferRefill(&fh), 0);
    EXPECT_EQ(fh.fh_Flags & FileFlagError, 0u);
}

TEST_F(FileBuffer, AHandleThatCanHaveNoBufferFailsItsRefill)
{
    FileHandle* fh = open_file();
    ASSERT_NE(fh, nullptr);
    osmark_testing_fail_allocations(0, UINT32_MAX);
    const int32_t refilled = FileBufferRefill(fh);
    osmark_testing_fail_allocations(0, 0);
    EXPECT_EQ(refilled, 0);
    EXPECT_NE(fh->fh_Flags & FileFlagError, 0u) << "told apart from the end of the file";
    EXPECT_EQ(fh->fh_Flags & FileFlagEndOfFile, 0u);
    Close(fh);
}

}
