#include "osmark/errors.h"
#include "osmark/locks.h"
#include "platform/sync.h"
#include "test_support/child_process.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using test_support::run_in_child;

// Runs body on another thread and waits for it.
template <typename Body>
auto on_other_thread(Body body)
{
    decltype(body()) result{};
    std::thread([&] { result = body(); }).join();
    return result;
}

TEST(Forbid, IsRecursiveAndExcludesOtherThreads)
{
    long counter = 0;
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                Forbid();
                Forbid();
                const long seen = counter;
                Permit();
                counter = seen + 1;
                Permit();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, kThreads * kRounds);
}

class SectionSemaphoreTest : public testing::Test {
protected:
    void SetUp() override { InitialiseSectionSemaphore(&m_section); }
    void TearDown() override { DeleteSectionSemaphore(&m_section); }

    int32_t attempt_elsewhere()
    {
        return on_other_thread([this] {
            const int32_t taken = AttemptSectionSemaphore(&m_section);
            if (taken != 0)
                DropSectionSemaphore(&m_section);
            return taken;
        });
    }

    SectionSemaphore m_section{};
};

TEST_F(SectionSemaphoreTest, EachTakeNeedsItsDropBeforeAnotherThreadGetsIt)
{
    ASSERT_NE(m_section.ss_Semaphore, nullptr);
    ObtainSectionSemaphore(&m_section);
    ObtainSectionSemaphore(&m_section);
    EXPECT_EQ(AttemptSectionSemaphore(&m_section), 1) << "the owner takes it again at once";
    EXPECT_EQ(m_section.ss_NestCount, 3);
    EXPECT_EQ(m_section.ss_Owner, GetCurrentThreadId());

    for (int drops = 1; drops <= 2; ++drops) {
        SCOPED_TRACE(drops);
        DropSectionSemaphore(&m_section);
        EXPECT_EQ(attempt_elsewhere(), 0) << "still held";
    }
    // A drop by a thread that does not own it changes nothing.
    on_other_thread([this] {
        DropSectionSemaphore(&m_section);
        return 0;
    });
    EXPECT_EQ(m_section.ss_NestCount, 1);
    EXPECT_EQ(attempt_elsewhere(), 0);

    // A thread that waits gets it with the last drop.
    DWORD waiter_id = 0;
    int32_t waiter_nest = 0;
    std::thread waiter([&] {
        ObtainSectionSemaphore(&m_section);
        waiter_id = GetCurrentThreadId();
        waiter_nest = m_section.ss_NestCount;
        EXPECT_EQ(m_section.ss_Owner, waiter_id);
        DropSectionSemaphore(&m_section);
    });
    DropSectionSemaphore(&m_section);
    waiter.join();
    EXPECT_EQ(waiter_nest, 1);
    EXPECT_EQ(m_section.ss_NestCount, 0);
    EXPECT_EQ(m_section.ss_Owner, 0u);
}

TEST_F(SectionSemaphoreTest, AttemptTakesAFreeLockAndMakesTheCallerOwner)
{
    EXPECT_EQ(AttemptSectionSemaphore(&m_section), 1);
    EXPECT_EQ(m_section.ss_Owner, GetCurrentThreadId());
    EXPECT_EQ(m_section.ss_NestCount, 1);
    DropSectionSemaphore(&m_section);
    DropSectionSemaphore(&m_section); // one drop too many is ignored
    EXPECT_EQ(m_section.ss_NestCount, 0);
    EXPECT_EQ(attempt_elsewhere(), 1);
}

TEST(SectionSemaphore, WithoutASystemSemaphoreNobodyBecomesOwner)
{
    SectionSemaphore broken{};
    IoErr();
    ObtainSectionSemaphore(&broken);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);
    EXPECT_EQ(broken.ss_NestCount, 0);
    EXPECT_EQ(broken.ss_Owner, 0u);
    EXPECT_EQ(AttemptSectionSemaphore(&broken), 0);
    EXPECT_EQ(broken.ss_NestCount, 0);
}

std::string unique_name(const char* what)
{
    return std::string("locks_test.") + what + "." + std::to_string(getpid());
}

TEST(Semaphore, OneHolderAtATime)
{
    Semaphore semaphore{nullptr, nullptr};
    ASSERT_EQ(AllocSemaphore(&semaphore), 1);
    EXPECT_EQ(ObtainSemaphore(&semaphore), 0u);
    EXPECT_EQ(AttemptSemaphore(&semaphore), 0) << "not recursive";
    EXPECT_EQ(on_other_thread([&] { return AttemptSemaphore(&semaphore); }), 0);
    DropSemaphore(&semaphore);
    EXPECT_EQ(AttemptSemaphore(&semaphore), 1);
    DropSemaphore(&semaphore);
    IoErr();
    DropSemaphore(&semaphore);
    EXPECT_EQ(IoErr(), IoErrUnknown) << "the count stays at one";
    FreeSemaphore(&semaphore);
    EXPECT_EQ(semaphore.sem_Semaphore, nullptr);
    EXPECT_EQ(AttemptSemaphore(&semaphore), 0) << "freed";
}

TEST(Semaphore, NamedOnesAreSharedBetweenRecordsAndProcesses)
{
    std::string name = unique_name("semaphore");
    Semaphore first{nullptr, name.data()};
    Semaphore second{nullptr, name.data()};
    ASSERT_EQ(AllocSemaphore(&first), 1);
    ASSERT_EQ(AllocSemaphore(&second), 1);
    EXPECT_EQ(AttemptSemaphore(&first), 1);
    EXPECT_EQ(AttemptSemaphore(&second), 0);

    const int held_elsewhere = run_in_child([&] {
        Semaphore child{nullptr, name.data()};
        if (AllocSemaphore(&child) != 1)
            return 2;
        return AttemptSemaphore(&child);
    });
    EXPECT_EQ(held_elsewhere, 0) << "the parent holds it";

    DropSemaphore(&first);
    const int taken_elsewhere = run_in_child([&] {
        Semaphore child{nullptr, name.data()};
        if (AllocSemaphore(&child) != 1 || AttemptSemaphore(&child) != 1)
            return 0;
        DropSemaphore(&child);
        FreeSemaphore(&child);
        return 1;
    });
    EXPECT_EQ(taken_elsewhere, 1);
    EXPECT_EQ(AttemptSemaphore(&second), 1);
    DropSemaphore(&second);
    FreeSemaphore(&first);
    FreeSemaphore(&second);
}

TEST(Locks, NullRecordsLeaveRequiredArgMissing)
{
    struct Row {
        const char* call;
        void (*run)();
    };
    const Row rows[] = {
        {"AllocSemaphore", [] { EXPECT_EQ(AllocSemaphore(nullptr), 0); }},
        {"FreeSemaphore", [] { FreeSemaphore(nullptr); }},
        {"ObtainSemaphore", [] { EXPECT_EQ(ObtainSemaphore(nullptr), 0xFFFFFFFFu); }},
        {"AttemptSemaphore", [] { EXPECT_EQ(AttemptSemaphore(nullptr), 0); }},
        {"DropSemaphore", [] { DropSemaphore(nullptr); }},
        {"InitialiseSectionSemaphore", [] { InitialiseSectionSemaphore(nullptr); }},
        {"DeleteSectionSemaphore", [] { DeleteSectionSemaphore(nullptr); }},
        {"ObtainSectionSemaphore", [] { ObtainSectionSemaphore(nullptr); }},
        {"AttemptSectionSemaphore", [] { EXPECT_EQ(AttemptSectionSemaphore(nullptr), 0); }},
        {"DropSectionSemaphore", [] { DropSectionSemaphore(nullptr); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.call);
        IoErr();
        row.run();
        EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    }
}

}
