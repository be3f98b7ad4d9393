#include "platform/file_mapping.h"
#include "platform/handles.h"
#include "platform/kernel.h"
#include "platform/module_loading.h"
#include "platform/sync.h"
#include "test_support/child_process.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

// Looked up by name in the program itself.
extern "C" __attribute__((visibility("default"))) int platform_sync_test_symbol(void)
{
    return 7;
}

namespace {

// kPagingFile, spelled without the C cast of its macro.
const HANDLE kPagingFile = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

// Object names are shared by every process of the user: each test process uses its own.
std::string unique_name(const char* what)
{
    return std::string("sync_test.") + what + "." + std::to_string(getpid());
}

// Whether the system still has the shared-memory object behind a kernel object name:
// a name must go with its last holder, not linger in /dev/shm.
bool system_object_exists(const std::string& name)
{
    const std::string path = "/dev/shm/tarvek." + std::to_string(getuid()) + "." + name;
    return access(path.c_str(), F_OK) == 0;
}

using test_support::run_in_child;

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    long counter = 0;
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                EnterCriticalSection(&section);
                EnterCriticalSection(&section);
                const long seen = counter;
                LeaveCriticalSection(&section);
                counter = seen + 1;
                LeaveCriticalSection(&section);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, kThreads * kRounds) << "an inner leave must not release the section";
    DeleteCriticalSection(&section);
}

TEST(ThreadId, DiffersBetweenThreadsAndIsNeverZero)
{
    const DWORD mine = GetCurrentThreadId();
    DWORD other = 0;
    std::thread([&] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(mine, 0u);
    EXPECT_NE(other, 0u);
    EXPECT_NE(mine, other);
    EXPECT_EQ(GetCurrentThreadId(), mine);
}

TEST(Semaphore, CountsWithinItsMaximum)
{
    HANDLE semaphore = CreateSemaphoreA(nullptr, 1, 1, nullptr);
    ASSERT_NE(semaphore, nullptr);
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(semaphore, 5), WAIT_TIMEOUT);
    LONG previous = -1;
    EXPECT_TRUE(ReleaseSemaphore(semaphore, 1, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 1, &previous));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_POSTS));
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WaitForSingleObject(semaphore, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(semaphore));
}

TEST(Semaphore, RefusesBadCounts)
{
    struct Row {
        LONG initial;
        LONG maximum;
    };
    const Row rows[] = {{0, 0}, {-1, 1}, {2, 1}, {0, -5}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.initial) + "/" + std::to_string(row.maximum));
        EXPECT_EQ(CreateSemaphoreA(nullptr, row.initial, row.maximum, nullptr), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
}

TEST(Semaphore, WaiterInAnotherThreadWakesOnRelease)
{
    HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 1, nullptr);
    ASSERT_NE(semaphore, nullptr);
    DWORD result = WAIT_FAILED;
    std::thread waiter([&] { result = WaitForSingleObject(semaphore, INFINITE); });
    EXPECT_TRUE(ReleaseSemaphore(semaphore, 1, nullptr));
    waiter.join();
    EXPECT_EQ(result, WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(semaphore));
}

TEST(NamedSemaphore, OneObjectPerNameUntilItsLastHandleCloses)
{
    const std::string name = unique_name("semaphore");
    HANDLE first = CreateSemaphoreA(nullptr, 1, 1, name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE second = CreateSemaphoreA(nullptr, 0, 5, name.c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT) << "one count, shared";
    EXPECT_TRUE(ReleaseSemaphore(second, 1, nullptr));
    EXPECT_FALSE(ReleaseSemaphore(second, 1, nullptr)) << "the creator's maximum holds";
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);

    EXPECT_TRUE(CloseHandle(first));
    EXPECT_TRUE(CloseHandle(second));
    HANDLE again = CreateSemaphoreA(nullptr, 1, 1, name.c_str());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "the name went with its last handle";
    EXPECT_EQ(WaitForSingleObject(again, 0), WAIT_OBJECT_0) << "a fresh count";
    EXPECT_TRUE(system_object_exists(name));
    EXPECT_TRUE(CloseHandle(again));
    EXPECT_FALSE(system_object_exists(name));
}

TEST(NamedSemaphore, IsSharedWithAnotherProcess)
{
    const std::string name = unique_name("crossing");
    HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 1, name.c_str());
    ASSERT_NE(semaphore, nullptr);
    const int status = run_in_child([&] {
        HANDLE child = CreateSemaphoreA(nullptr, 0, 1, name.c_str());
        if (child == nullptr || GetLastError() != ERROR_ALREADY_EXISTS)
            return 1;
        if (!ReleaseSemaphore(child, 1, nullptr))
            return 2;
        return CloseHandle(child) ? 0 : 3;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0) << "released by the child";
    EXPECT_TRUE(CloseHandle(semaphore));
}

TEST(NamedSemaphore, AProcessThatDiesReleasesItsHold)
{
    const std::string name = unique_name("abandoned");
    const int status = run_in_child([&] {
        // Created, taken and never closed: the process just ends.
        HANDLE child = CreateSemaphoreA(nullptr, 1, 1, name.c_str());
        return child != nullptr && WaitForSingleObject(child, 0) == WAIT_OBJECT_0 ? 0 : 1;
    });
    ASSERT_EQ(status, 0);
    HANDLE fresh = CreateSemaphoreA(nullptr, 1, 1, name.c_str());
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "nobody held the old one";
    EXPECT_EQ(WaitForSingleObject(fresh, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(fresh));

    const int mapped = run_in_child([&] {
        HANDLE child = CreateFileMappingA(kPagingFile, nullptr, PAGE_READWRITE, 0, 16, name.c_str());
        return child != nullptr && MapViewOfFile(child, FILE_MAP_ALL_ACCESS, 0, 0, 0) != nullptr ? 0 : 1;
    });
    ASSERT_EQ(mapped, 0);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()), nullptr) << "gone with its process";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(NamedObjects, NamesAreSharedAcrossKindsAndPrefixes)
{
    const std::string name = unique_name("kinds");
    HANDLE semaphore = CreateSemaphoreA(nullptr, 1, 1, ("Global\\" + name).c_str());
    ASSERT_NE(semaphore, nullptr);
    HANDLE local = CreateSemaphoreA(nullptr, 1, 1, ("Local\\" + name).c_str());
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "one session";
    EXPECT_EQ(CreateFileMappingA(kPagingFile, nullptr, PAGE_READWRITE, 0, 100, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(CloseHandle(local));
    EXPECT_TRUE(CloseHandle(semaphore));

    const std::string odd = unique_name("odd/name with\\blanks%");
    HANDLE a = CreateSemaphoreA(nullptr, 1, 1, odd.c_str());
    ASSERT_NE(a, nullptr);
    HANDLE b = CreateSemaphoreA(nullptr, 1, 1, (odd + "x").c_str());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "distinct names stay distinct";
    EXPECT_TRUE(CloseHandle(a));
    EXPECT_TRUE(CloseHandle(b));

    const std::string long_name(300, 'n');
    EXPECT_EQ(CreateSemaphoreA(nullptr, 1, 1, long_name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

TEST(Handles, UnknownAndClosedHandlesAreRefused)
{
    HANDLE semaphore = CreateSemaphoreA(nullptr, 1, 1, nullptr);
    ASSERT_NE(semaphore, nullptr);
    ASSERT_TRUE(CloseHandle(semaphore));
    int local = 0;
    const HANDLE rows[] = {nullptr, kPagingFile, semaphore, &local};
    for (HANDLE handle : rows) {
        SCOPED_TRACE(reinterpret_cast<uintptr_t>(handle));
        EXPECT_FALSE(CloseHandle(handle));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(ReleaseSemaphore(handle, 1, nullptr));
    }

    HANDLE mapping = CreateFileMappingA(kPagingFile, nullptr, PAGE_READWRITE, 0, 16, nullptr);
    ASSERT_NE(mapping, nullptr);
    EXPECT_EQ(WaitForSingleObject(mapping, 0), WAIT_FAILED) << "a mapping cannot be waited for";
    EXPECT_FALSE(ReleaseSemaphore(mapping, 1, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(CloseHandle(mapping));
}

TEST(FileMapping, NamedMappingIsOneMemoryWithTheCreatorsSize)
{
    const std::string name = unique_name("mapping");
    HANDLE created = CreateFileMappingA(kPagingFile, nullptr, PAGE_READWRITE, 0, 100, name.c_str());
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    auto* view = static_cast<unsigned char*>(MapViewOfFile(created, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(view[i], 0) << "starts cleared";
    std::memcpy(view, "shared", 7);

    HANDLE opened = CreateFileMappingA(kPagingFile, nullptr, PAGE_READWRITE, 0, 5000, name.c_str());
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(MapViewOfFile(opened, FILE_MAP_ALL_ACCESS, 0, 0, 101), nullptr) << "100 bytes, as created";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    auto* second = static_cast<char*>(MapViewOfFile(opened, FILE_MAP_READ, 0, 0, 100));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(static_cast<void*>(second), static_cast<void*>(view));
    EXPECT_STREQ(second, "shared");

    EXPECT_TRUE(UnmapViewOfFile(second));
    EXPECT_FALSE(UnmapViewOfFile(second)) << "unmapped already";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
    EXPECT_TRUE(CloseHandle(opened));
    EXPECT_TRUE(CloseHandle(created));

    // The view keeps the mapping, and its name, alive.
    HANDLE reopened = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    ASSERT_NE(reopened, nullptr);
    auto* third = static_cast<char*>(MapViewOfFile(reopened, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(third, nullptr);
    EXPECT_STREQ(third, "shared");
    EXPECT_EQ(MapViewOfFile(reopened, FILE_MAP_WRITE, 0, 0, 0), nullptr) << "opened for reading";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(UnmapViewOfFile(third));
    EXPECT_TRUE(CloseHandle(reopened));
    EXPECT_TRUE(UnmapViewOfFile(view));

    EXPECT_FALSE(system_object_exists(name));
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()), nullptr) << "gone with its last view";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(FileMapping, RefusesWhatItCannotMap)
{
    int file_stand_in = 0;
    EXPECT_EQ(CreateFileMappingA(&file_stand_in, nullptr, PAGE_READWRITE, 0, 16, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(CreateFileMappingA(kPagingFile, nullptr, PAGE_READWRITE, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(CreateFileMappingA(kPagingFile, nullptr, 0x40, 0, 16, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, nullptr), nullptr);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, unique_name("none").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    HANDLE read_only = CreateFileMappingA(kPagingFile, nullptr, PAGE_READONLY, 0, 200000, nullptr);
    ASSERT_NE(read_only, nullptr);
    EXPECT_EQ(MapViewOfFile(read_only, FILE_MAP_WRITE, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(MapViewOfFile(read_only, FILE_MAP_READ, 0, 4096, 0), nullptr) << "not a multiple of 64K";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(MapViewOfFile(read_only, FILE_MAP_READ, 0, 262144, 0), nullptr) << "past the end";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    void* tail = MapViewOfFile(read_only, FILE_MAP_READ, 0, 131072, 0);
    EXPECT_NE(tail, nullptr);
    EXPECT_TRUE(UnmapViewOfFile(tail));
    EXPECT_TRUE(CloseHandle(read_only));
    int local = 0;
    EXPECT_FALSE(UnmapViewOfFile(&local));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
}

TEST(FileMapping, UnnamedViewsShareTheirMapping)
{
    HANDLE mapping = CreateFileMappingA(kPagingFile, nullptr, PAGE_READWRITE, 0, 4096, nullptr);
    ASSERT_NE(mapping, nullptr);
    auto* a = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    auto* b = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    a[4095] = 'z';
    EXPECT_EQ(b[4095], 'z');
    EXPECT_TRUE(CloseHandle(mapping));
    a[0] = 'y';
    EXPECT_EQ(b[0], 'y') << "views outlive the handle";
    EXPECT_TRUE(UnmapViewOfFile(a));
    EXPECT_TRUE(UnmapViewOfFile(b));
}

TEST(FileMapping, AnotherProcessSeesTheSameMemory)
{
    const std::string name = unique_name("crossing-mapping");
    HANDLE mapping = CreateFileMappingA(kPagingFile, nullptr, PAGE_READWRITE, 0, 64, name.c_str());
    ASSERT_NE(mapping, nullptr);
    auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    const int status = run_in_child([&] {
        HANDLE child = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
        if (child == nullptr)
            return 1;
        auto* child_view = static_cast<char*>(MapViewOfFile(child, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        if (child_view == nullptr)
            return 2;
        std::strcpy(child_view, "from the child");
        UnmapViewOfFile(child_view);
        return CloseHandle(child) ? 0 : 3;
    });
    EXPECT_EQ(status, 0);
    EXPECT_STREQ(view, "from the child");
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_TRUE(CloseHandle(mapping));
}

std::string program_folder()
{
    char path[4096];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    folder.erase(folder.rfind('/') + 1);
    return folder;
}

using AnswerEntry = int (*)();

TEST(ModuleLoading, DllNamesFindTheirSharedObjects)
{
    std::string backslashed = program_folder() + "platform_test_module.dll";
    for (char& c : backslashed) {
        if (c == '/')
            c = '\\';
    }
    const std::string rows[] = {
        "platform_test_module.dll",      // libplatform_test_module.so in the program's folder
        "platform_test_bare_module.dll", // platform_test_bare_module.so
        program_folder() + "platform_test_module.dll",
        backslashed,
        "libplatform_test_module.so", // as given
    };
    for (const std::string& name : rows) {
        SCOPED_TRACE(name);
        HMODULE module = LoadLibraryA(name.c_str());
        ASSERT_NE(module, nullptr);
        auto answer = reinterpret_cast<AnswerEntry>(GetProcAddress(module, "platform_test_module_answer"));
        ASSERT_NE(answer, nullptr);
        EXPECT_EQ(answer(), 42);
        EXPECT_TRUE(FreeLibrary(module));
    }
}

TEST(ModuleLoading, FailuresSayWhatWentWrong)
{
    EXPECT_EQ(LoadLibraryA("no_such_module.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA(""), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    const test_support::TempFolder folder;
    const std::string bogus = folder.path("bogus.dll");
    FILE* file = std::fopen(bogus.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("not a library", file);
    std::fclose(file);
    EXPECT_EQ(LoadLibraryA(bogus.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
    std::remove(bogus.c_str());
}

TEST(ModuleLoading, EntryPointsAreTheModulesOwn)
{
    HMODULE module = LoadLibraryA("platform_test_module.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, "no_such_entry"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(module, "malloc"), nullptr) << "defined by a dependency";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(module, nullptr), nullptr);

    auto own = reinterpret_cast<AnswerEntry>(GetProcAddress(nullptr, "platform_sync_test_symbol"));
    ASSERT_NE(own, nullptr) << "the program's own entry point";
    EXPECT_EQ(own(), 7);
    EXPECT_EQ(GetProcAddress(GetModuleHandleA(nullptr), "platform_sync_test_symbol"),
              reinterpret_cast<FARPROC>(own));
    EXPECT_EQ(GetProcAddress(nullptr, "LoadLibraryA"), nullptr) << "the platform's, not the program's";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(ModuleLoading, FreeLibraryDropsOnlyReferencesItTook)
{
    HMODULE first = LoadLibraryA("platform_test_module.dll");
    HMODULE second = LoadLibraryA("platform_test_module.dll");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second) << "one module, two references";
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_NE(GetProcAddress(first, "platform_test_module_answer"), nullptr) << "still loaded";
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_FALSE(FreeLibrary(first));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FreeLibrary(GetModuleHandleA(nullptr))) << "never loaded by LoadLibraryA";

    int local = 0;
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(&local), "platform_test_module_answer"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}
