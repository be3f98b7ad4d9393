#include "osmark/errors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

namespace {

TEST(IoErr, ReturnsTheCodeOnceThenZero)
{
    IoErr();
    EXPECT_EQ(SetIoErr(IoErrObjectNotFound), IoErrNone);
    EXPECT_EQ(SetIoErr(IoErrObjectNotFound), IoErrObjectNotFound) << "returns the code it replaces";
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);
    EXPECT_EQ(IoErr(), IoErrNone);
}

TEST(IoErr, RegisteredThreadKeepsItsOwnCode)
{
    IoErr();
    SetIoErr(IoErrBadNumber);
    IoErrCode seen_inside = IoErrNone;
    std::thread([&] {
        RegisterIoErrThread();
        EXPECT_EQ(IoErr(), IoErrNone) << "a new slot starts at 0";
        SetIoErr(IoErrObjectNotFound);
        seen_inside = IoErr();
        SetIoErr(IoErrDiskFull);
        UnregisterIoErrThread();
        // Back in the shared slot.
        EXPECT_EQ(IoErr(), IoErrBadNumber);
        SetIoErr(IoErrSeekError);
    }).join();
    EXPECT_EQ(seen_inside, IoErrObjectNotFound);
    EXPECT_EQ(IoErr(), IoErrSeekError) << "the registered thread's codes never reached the shared slot";
}

TEST(IoErr, RegisteredThreadsDoNotSeeEachOther)
{
    constexpr int kThreads = 8;
    constexpr int kRounds = 2000;
    int mismatches[kThreads] = {};
    std::thread threads[kThreads];
    for (int t = 0; t < kThreads; ++t) {
        threads[t] = std::thread([t, &mismatches] {
            RegisterIoErrThread();
            for (int round = 0; round < kRounds; ++round) {
                const IoErrCode mine = -1 - (round + t) % 40;
                SetIoErr(mine);
                if (IoErr() != mine)
                    ++mismatches[t];
            }
            UnregisterIoErrThread();
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

TEST(SetIoErrFromWin32, TranslatesByTheTable)
{
    struct Row {
        uint32_t system_error;
        IoErrCode code;
    };
    // One or more numbers of every code, and numbers that the table does not hold.
    const Row rows[] = {
        {2, IoErrObjectNotFound},     {3, IoErrObjectNotFound},       {67, IoErrObjectNotFound},
        {112, IoErrDiskFull},         {39, IoErrDiskFull},            {7, IoErrNoMemory},
        {1816, IoErrNoMemory},        {87, IoErrRequiredArgMissing},  {1, IoErrRequiredArgMissing},
        {2404, IoErrObjectInUse},     {183, IoErrObjectExists},       {80, IoErrObjectExists},
        {53, IoErrDirNotFound},       {123, IoErrInvalidComponentName}, {1801, IoErrInvalidComponentName},
        {145, IoErrDirectoryNotEmpty}, {131, IoErrSeekError},         {19, IoErrWriteProtected},
        {120, IoErrNotImplemented},   {122, IoErrBufferOverflow},     {154, IoErrBufferOverflow},
        {1393, IoErrBadIO},           {22, IoErrBadIO},               {6, IoErrObjectInvalid},
        {1805, IoErrObjectInvalid},   {215, IoErrPatternNesting},     {33, IoErrLockError},
        {212, IoErrLockError},        {259, IoErrSystemLimit},        {4, IoErrSystemLimit},
        {109, IoErrPipeIO},           {230, IoErrPipeIO},             {1223, IoErrCancelled},
        {5, IoErrAccessDenied},       {1225, IoErrAccessDenied},      {128, IoErrChildFailed},
        {129, IoErrChildFailed},
        // Not in the table.
        {0, IoErrUnknown},            {31, IoErrUnknown},             {126, IoErrUnknown},
        {127, IoErrUnknown},          {298, IoErrUnknown},            {UINT32_MAX, IoErrUnknown},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.system_error);
        SetIoErr(IoErrBadTemplate);
        EXPECT_EQ(SetIoErrFromWin32(row.system_error), IoErrBadTemplate) << "returns what SetIoErr returns";
        EXPECT_EQ(IoErr(), row.code);
    }
}

}
