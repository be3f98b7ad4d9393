#include "osmark/errors.h"
#include "osmark/locks.h"
#include "osmark/memory.h"
#include "osmark/testing.h"
#include "platform/file_mapping.h"
#include "test_support/child_process.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace {

std::string unique_name(const char* what)
{
    return std::string("shared_memory_test.") + what + "." + std::to_string(getpid());
}

uint32_t header_word(const SharedBlock* block, size_t offset)
{
    uint32_t word = 0;
    std::memcpy(&word, static_cast<const unsigned char*>(block->sb_View) + offset, sizeof word);
    return word;
}

TEST(AllocVecShared, HeaderSizesAndUseCount)
{
    const std::string name = unique_name("t1");
    SharedBlock* first = AllocVecShared(name.c_str(), 100);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::memcmp(first->sb_View, "MEM ", 4), 0);
    EXPECT_EQ(header_word(first, 4), 1u) << "use count";
    EXPECT_EQ(header_word(first, 8), 112u) << "total size";
    EXPECT_EQ(first->sb_Size, 100u);
    EXPECT_EQ(first->sb_Node.ln_Type, SharedBlockNodeType);
    EXPECT_STREQ(first->sb_Node.ln_Name, name.c_str());
    auto* data = static_cast<char*>(AddressOfShared(first));
    ASSERT_EQ(data, static_cast<char*>(first->sb_View) + 12);
    std::strcpy(data, "written through the first");

    SharedBlock* second = AllocVecShared(name.c_str(), 5000);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->sb_Size, 100u) << "the creator's size";
    EXPECT_EQ(header_word(first, 4), 2u);
    EXPECT_EQ(*second->sb_UseCount, 2u);
    auto* other = static_cast<char*>(AddressOfShared(second));
    EXPECT_NE(other, data) << "a view of its own";
    EXPECT_STREQ(other, "written through the first");

    FreeVecShared(second);
    EXPECT_EQ(header_word(first, 4), 1u);
    FreeVecShared(first);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()), nullptr) << "gone with its last user";
}

TEST(AllocVecShared, TotalSizeIsTheRequestPlusFifteenRoundedDownToFour)
{
    struct Row {
        uint32_t size;
        uint32_t total;
        uint32_t usable;
    };
    const Row rows[] = {{0, 12, 0}, {1, 16, 4}, {3, 16, 4}, {4, 16, 4}, {5, 20, 8}, {100, 112, 100},
                        {101, 116, 104}, {65536, 65548, 65536}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size);
        const std::string name = unique_name("size") + "." + std::to_string(row.size);
        SharedBlock* block = AllocVecShared(name.c_str(), row.size);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(header_word(block, 8), row.total);
        EXPECT_EQ(block->sb_Size, row.usable);
        std::memset(AddressOfShared(block), 0xA5, block->sb_Size); // all of it is there
        FreeVecShared(block);
    }
    IoErr();
    EXPECT_EQ(AllocVecShared(unique_name("huge").c_str(), 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(IoErr(), IoErrNoMemory) << "a total size past 32 bits";
}

TEST(AllocVecShared, AnotherProcessSeesTheSameBlock)
{
    const std::string name = unique_name("crossing");
    SharedBlock* block = AllocVecShared(name.c_str(), 64);
    ASSERT_NE(block, nullptr);
    std::strcpy(static_cast<char*>(AddressOfShared(block)), "parent");

    const int status = test_support::run_in_child([&name] {
        SharedBlock* mine = AllocVecShared(name.c_str(), 8);
        if (mine == nullptr)
            return 1;
        if (*mine->sb_UseCount != 2 || mine->sb_Size != 64)
            return 2;
        auto* data = static_cast<char*>(AddressOfShared(mine));
        if (std::strcmp(data, "parent") != 0)
            return 3;
        std::strcpy(data, "child");
        FreeVecShared(mine);
        return 0;
    });
    ASSERT_EQ(status, 0);
    EXPECT_STREQ(static_cast<char*>(AddressOfShared(block)), "child");
    EXPECT_EQ(*block->sb_UseCount, 1u) << "the child's mapping is gone";
    FreeVecShared(block);
}

TEST(AllocVecShared, RefusesAMappingThatIsNoSharedBlock)
{
    const std::string name = unique_name("foreign");
    const HANDLE paging_file = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
    HANDLE foreign = CreateFileMappingA(paging_file, nullptr, PAGE_READWRITE, 0, 64, name.c_str());
    ASSERT_NE(foreign, nullptr);
    auto* bytes = static_cast<unsigned char*>(MapViewOfFile(foreign, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(bytes, nullptr);

    struct Row {
        const char* what;
        const char magic[5];
        uint32_t total;
    };
    const Row rows[] = {
        {"no magic", "\0\0\0\0", 64},
        {"a size below the header", "MEM ", 8},
        {"a size past the mapping", "MEM ", 1u << 20},
    };
    uint32_t live_before = 0;
    osmark_testing_allocation_counts(&live_before, nullptr);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::memcpy(bytes, row.magic, 4);
        std::memcpy(bytes + 8, &row.total, 4);
        IoErr();
        EXPECT_EQ(AllocVecShared(name.c_str(), 16), nullptr);
        EXPECT_EQ(IoErr(), IoErrObjectInvalid);
    }
    uint32_t live_after = 0;
    osmark_testing_allocation_counts(&live_after, nullptr);
    EXPECT_EQ(live_after, live_before);
    UnmapViewOfFile(bytes);
    CloseHandle(foreign);
}

TEST(AllocVecShared, RecordsThatAreNotOpenAreRefused)
{
    IoErr();
    EXPECT_EQ(AllocVecShared(nullptr, 16), nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(AddressOfShared(nullptr), nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    FreeVecShared(nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);

    SharedBlock stranger{};
    EXPECT_EQ(AddressOfShared(&stranger), nullptr);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);

    SharedBlock* block = AllocVecShared(unique_name("freed").c_str(), 16);
    ASSERT_NE(block, nullptr);
    FreeVecShared(block);
    // The record is gone; Osmark must refuse it without reading it.
    FreeVecShared(block);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);
    EXPECT_EQ(AddressOfShared(block), nullptr);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);
}

TEST(AllocVecShared, FailingAllocationLeavesNothingBehind)
{
    const std::string name = unique_name("no-memory");
    uint32_t live_before = 0;
    osmark_testing_allocation_counts(&live_before, nullptr);
    for (uint32_t successes : {0u, 1u}) {
        SCOPED_TRACE(successes);
        osmark_testing_fail_allocations(successes, 1);
        IoErr();
        EXPECT_EQ(AllocVecShared(name.c_str(), 16), nullptr);
        osmark_testing_fail_allocations(0, 0);
        EXPECT_EQ(IoErr(), IoErrNoMemory);
    }
    uint32_t live_after = 0;
    osmark_testing_allocation_counts(&live_after, nullptr);
    EXPECT_EQ(live_after, live_before);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()), nullptr) << "no mapping was made";
}

}
