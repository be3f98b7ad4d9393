#include "platform/kernel.h"
#include "platform/process_support.h"
#include "platform/user.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string build_line(const std::vector<const char*>& arguments)
{
    const size_t length = platform_build_command_line(arguments.data(), arguments.size(), nullptr, 0);
    std::string line(length, '\0');
    platform_build_command_line(arguments.data(), arguments.size(), line.data(), length + 1);
    return line;
}

TEST(CommandLine, QuotesArgumentsAsWin32SplitsThem)
{
    struct Row {
        std::vector<const char*> arguments;
        const char* line;
    };
    const Row rows[] = {
        {{"prog"}, "prog"},
        {{"/opt/my tools/prog", "a b", "w"}, "\"/opt/my tools/prog\" \"a b\" w"},
        {{"prog", ""}, "prog \"\""},
        {{"prog", "tab\there"}, "prog \"tab\there\""},
        {{"prog", "say \"hi\""}, "prog \"say \\\"hi\\\"\""},
        {{"prog", "dir\\ x\\"}, "prog \"dir\\ x\\\\\""},
        {{"prog", "C:\\plain\\path"}, "prog C:\\plain\\path"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(build_line(row.arguments), row.line);
    }
}

TEST(CommandLine, CutsToTheBufferWithANul)
{
    const char* arguments[] = {"program", "argument"};
    char buffer[8];
    EXPECT_EQ(platform_build_command_line(arguments, 2, buffer, sizeof buffer), 16u);
    EXPECT_STREQ(buffer, "program");
}

TEST(CommandLine, ProcessLineBeginsWithTheProgram)
{
    const char* line = GetCommandLineA();
    ASSERT_NE(line, nullptr);
    EXPECT_NE(std::strstr(line, "platform_kernel_test"), nullptr);
    EXPECT_EQ(GetCommandLineA(), line) << "one buffer for the life of the process";
}

TEST(CommandLine, WideLineIsTheSameLineInUtf16)
{
    const char* line = GetCommandLineA();
    const WCHAR* wide = GetCommandLineW();
    ASSERT_NE(wide, nullptr);
    // The test's command line is ASCII: unit for byte.
    size_t i = 0;
    for (; line[i] != '\0'; ++i)
        ASSERT_EQ(wide[i], static_cast<WCHAR>(static_cast<unsigned char>(line[i]))) << "at " << i;
    EXPECT_EQ(wide[i], 0);
    EXPECT_EQ(GetCommandLineW(), wide) << "one buffer for the life of the process";
}

TEST(Modules, ProgramFileNameAndItsCut)
{
    char path[4096];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::strlen(path), length);
    EXPECT_EQ(path[0], '/');
    EXPECT_NE(std::strstr(path, "platform_kernel_test"), nullptr);

    char small[6];
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(small), std::string(path, 5));
}

TEST(Modules, HandleFromAnAddressNamesItsLibrary)
{
    HMODULE module = nullptr;
    ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCSTR>(&GetCommandLineA), &module));
    char path[4096];
    ASSERT_GT(GetModuleFileNameA(module, path, sizeof path), 0u);
    EXPECT_NE(std::strstr(path, "libplatform.so"), nullptr) << path;

    HMODULE program = nullptr;
    static int anchor_in_program;
    ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&anchor_in_program),
                                   &program));
    EXPECT_EQ(program, GetModuleHandleA(nullptr));
    EXPECT_EQ(GetModuleHandleA("no-such-module.so"), nullptr);
}

TEST(LastError, ErrnoValuesBecomeWin32Numbers)
{
    struct Row {
        int error_number;
        DWORD win32_error;
    };
    const Row rows[] = {{0, 0}, {ENOENT, 2}, {EACCES, 5}, {EEXIST, 183}, {ENOSPC, 112},
                        {ENOTEMPTY, 145}, {EBADF, 6}, {ENOMEM, 8}, {EPIPE, 109}, {99999, 31}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.error_number);
        EXPECT_EQ(platform_win32_error_from_errno(row.error_number), row.win32_error);
    }
    errno = ENOENT;
    EXPECT_EQ(platform_set_last_error_from_errno(), 2u);
    EXPECT_EQ(GetLastError(), 2u);
}

TEST(Heap, ZeroedBlocksAndReallocationKeepContents)
{
    HANDLE heap = GetProcessHeap();
    ASSERT_NE(heap, nullptr);
    auto* block = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 32));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(block[i], 0);
    block[31] = 7;
    block = static_cast<unsigned char*>(HeapReAlloc(heap, 0, block, 4096));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[31], 7);
    EXPECT_TRUE(HeapFree(heap, 0, block));
    EXPECT_EQ(HeapAlloc(nullptr, 0, 8), nullptr);
}

// Large blocks are mapped on their own; reallocation moves contents between them and
// the small blocks in both directions, from any thread.
TEST(Heap, LargeBlocksKeepTheirContentsAcrossReallocation)
{
    HANDLE heap = GetProcessHeap();
    constexpr size_t kLarge = size_t{3} << 20;
    auto* block = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, kLarge));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
    for (size_t i = 0; i < kLarge; i += 4093)
        ASSERT_EQ(block[i], 0) << i;
    for (size_t i = 0; i < kLarge; ++i)
        block[i] = static_cast<unsigned char>(i * 7);

    struct Step {
        size_t size;
        const char* what;
    };
    const Step steps[] = {
        {size_t{3} << 20, "same size stays"},
        {size_t{5} << 20, "larger mapping"},
        {size_t{4} << 20, "shrinks in place"},
        {1000, "to a small block"},
        {size_t{2} << 20, "back to a mapping"},
    };
    size_t kept = kLarge;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        block = static_cast<unsigned char*>(HeapReAlloc(heap, 0, block, step.size));
        ASSERT_NE(block, nullptr);
        kept = std::min(kept, step.size);
        for (size_t i = 0; i < kept; i += 997)
            ASSERT_EQ(block[i], static_cast<unsigned char>(i * 7)) << i;
        ASSERT_EQ(block[kept - 1], static_cast<unsigned char>((kept - 1) * 7));
        block[step.size - 1] = 1;  // the whole new size is writable
        kept = std::min(kept, step.size - 1);
    }
    EXPECT_TRUE(HeapFree(heap, 0, block));

    SetLastError(0);
    EXPECT_EQ(HeapAlloc(heap, 0, SIZE_MAX - 4096), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([heap, t] {
            for (int round = 0; round < 16; ++round) {
                auto* mine = static_cast<unsigned char*>(HeapAlloc(heap, 0, (size_t{1} << 20) + 4096 * round));
                if (mine == nullptr)
                    return;
                std::memset(mine, t, 4096);
                if (mine[4095] != t)
                    ADD_FAILURE() << "thread " << t;
                HeapFree(heap, 0, mine);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer sees the end of a large block as it sees a small block's.
TEST(HeapDeathTest, RunningPastALargeBlockIsReported)
{
    HANDLE heap = GetProcessHeap();
    constexpr size_t kLarge = (size_t{2} << 20) + 100;
    auto* block = static_cast<volatile unsigned char*>(HeapAlloc(heap, 0, kLarge));
    ASSERT_NE(block, nullptr);
    block[kLarge - 1] = 1;
    EXPECT_DEATH(block[kLarge] = 1, "use-after-poison");
    HeapFree(heap, 0, const_cast<unsigned char*>(block));
}
#endif

TEST(MessageBox, HeadlessAnswersTheDefaultButton)
{
    struct Row {
        UINT type;
        int answer;
    };
    const Row rows[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
        {MB_RETRYCANCEL, IDRETRY},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        testing::internal::CaptureStderr();
        EXPECT_EQ(MessageBoxA(nullptr, "body", "Caption", row.type), row.answer);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Caption: body\n");
    }
}

}
