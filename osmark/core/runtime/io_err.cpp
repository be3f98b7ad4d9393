// The last error code of each thread.
//
// Threads that registered themselves keep a record {thread id, code} in the error
// table, a PagedArray made at start-up step 1 (its records never move, so a slot found
// stays valid while the table grows). Every other thread, and every thread while the
// table does not exist, uses the one shared slot. The table and the shared slot are
// touched only inside the library lock.

#include "osmark/errors.h"

#include "core/runtime/startup_steps.h"
#include "osmark/exit_list.h"
#include "osmark/library.h"
#include "osmark/locks.h"
#include "osmark/paged_array.h"
#include "platform/sync.h"

namespace {

struct IoErrSlot {
    uint32_t thread;
    IoErrCode code;
};

constexpr uint32_t kSlotsPerPage = 64;

PagedArray* g_io_err_table = nullptr;
IoErrSlot g_shared_slot = {0, IoErrNone};

// The index of the thread's first record, or the count when it has none. Inside the
// library lock. Pages up to the count exist, so looking allocates nothing (and so can
// set no code of its own).
uint32_t find_record(uint32_t thread)
{
    const uint32_t count = g_io_err_table != nullptr ? PagedArrayGetCount(g_io_err_table) : 0;
    for (uint32_t i = 0; i < count; ++i) {
        const auto* slot = static_cast<const IoErrSlot*>(PagedArrayGet(g_io_err_table, i));
        if (slot != nullptr && slot->thread == thread)
            return i;
    }
    return count;
}

// The calling thread's slot; inside the library lock.
IoErrSlot& slot_of(uint32_t thread)
{
    const uint32_t index = find_record(thread);
    if (g_io_err_table != nullptr && index < PagedArrayGetCount(g_io_err_table)) {
        auto* slot = static_cast<IoErrSlot*>(PagedArrayGet(g_io_err_table, index));
        if (slot != nullptr)
            return *slot;
    }
    g_shared_slot.thread = thread;
    return g_shared_slot;
}

// Reads the code and stores another in one locked step, so that nothing set between
// the two is lost.
IoErrCode exchange_code(IoErrCode code)
{
    const uint32_t thread = GetCurrentThreadId();
    Forbid();
    IoErrSlot& slot = slot_of(thread);
    const IoErrCode previous = slot.code;
    slot.code = code;
    Permit();
    return previous;
}

void delete_io_err_table()
{
    PagedArray* table = g_io_err_table;
    g_io_err_table = nullptr;
    PagedArrayDelete(table);
}

}

namespace osmark {

void InitialiseIoErrTable()
{
    AddExitProc(&LibraryExitList, delete_io_err_table);
    g_io_err_table = PagedArrayCreate(sizeof(IoErrSlot), kSlotsPerPage);
}

}

extern "C" {

OSMARK_API IoErrCode IoErr(void) noexcept
{
    return exchange_code(IoErrNone);
}

OSMARK_API IoErrCode SetIoErr(IoErrCode code) noexcept
{
    return exchange_code(code);
}

OSMARK_API void RegisterIoErrThread(void) noexcept
{
    const IoErrSlot slot = {GetCurrentThreadId(), IoErrNone};
    Forbid();
    if (g_io_err_table != nullptr)
        PagedArrayAdd(g_io_err_table, &slot);
    Permit();
}

OSMARK_API void UnregisterIoErrThread(void) noexcept
{
    const uint32_t thread = GetCurrentThreadId();
    Forbid();
    const uint32_t index = find_record(thread);
    if (g_io_err_table != nullptr && index < PagedArrayGetCount(g_io_err_table))
        PagedArrayRemove(g_io_err_table, index);
    Permit();
}

}
