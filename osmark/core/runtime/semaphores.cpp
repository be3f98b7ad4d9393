// Semaphores of one holder at a time, and section semaphores that their owner may
// take repeatedly.
//
// A section semaphore's nest count and owner are written only by the thread that
// holds its system semaphore; other threads read the owner to learn that they are not
// it. Both words are accessed atomically, so those reads are well defined.

#include "osmark/locks.h"

#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "platform/handles.h"
#include "platform/kernel.h"
#include "platform/sync.h"

#include <atomic>

namespace {

void set_system_error()
{
    osmark::set_io_error_from_win32(GetLastError());
}

std::atomic_ref<uint32_t> owner_of(SectionSemaphore* section)
{
    return std::atomic_ref<uint32_t>(section->ss_Owner);
}

std::atomic_ref<int32_t> nest_count_of(SectionSemaphore* section)
{
    return std::atomic_ref<int32_t>(section->ss_NestCount);
}

bool is_owner(SectionSemaphore* section, DWORD thread)
{
    return nest_count_of(section).load(std::memory_order_relaxed) > 0 &&
           owner_of(section).load(std::memory_order_relaxed) == thread;
}

void become_owner(SectionSemaphore* section, DWORD thread)
{
    owner_of(section).store(thread, std::memory_order_relaxed);
    nest_count_of(section).store(1, std::memory_order_relaxed);
}

}

extern "C" {

OSMARK_API int32_t AllocSemaphore(Semaphore* semaphore) noexcept
{
    if (semaphore == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    semaphore->sem_Semaphore = CreateSemaphoreA(nullptr, 1, 1, semaphore->sem_Name);
    if (semaphore->sem_Semaphore == nullptr) {
        set_system_error();
        return 0;
    }
    return 1;
}

OSMARK_API void FreeSemaphore(Semaphore* semaphore) noexcept
{
    if (semaphore == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    if (semaphore->sem_Semaphore != nullptr)
        CloseHandle(semaphore->sem_Semaphore);
    semaphore->sem_Semaphore = nullptr;
}

OSMARK_API uint32_t ObtainSemaphore(Semaphore* semaphore) noexcept
{
    if (semaphore == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return WAIT_FAILED;
    }
    const DWORD result = WaitForSingleObject(semaphore->sem_Semaphore, INFINITE);
    if (result == WAIT_FAILED)
        set_system_error();
    return result;
}

OSMARK_API int32_t AttemptSemaphore(Semaphore* semaphore) noexcept
{
    if (semaphore == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    return WaitForSingleObject(semaphore->sem_Semaphore, 0) == WAIT_OBJECT_0 ? 1 : 0;
}

OSMARK_API void DropSemaphore(Semaphore* semaphore) noexcept
{
    if (semaphore == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    if (!ReleaseSemaphore(semaphore->sem_Semaphore, 1, nullptr))
        set_system_error();
}

OSMARK_API void InitialiseSectionSemaphore(SectionSemaphore* section) noexcept
{
    if (section == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    section->ss_NestCount = 0;
    section->ss_Owner = 0;
    section->ss_Semaphore = CreateSemaphoreA(nullptr, 1, 1, nullptr);
    if (section->ss_Semaphore == nullptr)
        set_system_error();
}

OSMARK_API void DeleteSectionSemaphore(SectionSemaphore* section) noexcept
{
    if (section == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    if (section->ss_Semaphore != nullptr)
        CloseHandle(section->ss_Semaphore);
    section->ss_Semaphore = nullptr;
    section->ss_NestCount = 0;
    section->ss_Owner = 0;
}

OSMARK_API void ObtainSectionSemaphore(SectionSemaphore* section) noexcept
{
    if (section == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    const DWORD thread = GetCurrentThreadId();
    if (is_owner(section, thread)) {
        nest_count_of(section).fetch_add(1, std::memory_order_relaxed);
        return;
    }
    // A wait that fails (no system semaphore) must not make the caller an owner of a
    // lock that it does not hold.
    if (WaitForSingleObject(section->ss_Semaphore, INFINITE) != WAIT_OBJECT_0) {
        set_system_error();
        return;
    }
    become_owner(section, thread);
}

OSMARK_API int32_t AttemptSectionSemaphore(SectionSemaphore* section) noexcept
{
    if (section == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    const DWORD thread = GetCurrentThreadId();
    if (is_owner(section, thread)) {
        nest_count_of(section).fetch_add(1, std::memory_order_relaxed);
        return 1;
    }
    if (WaitForSingleObject(section->ss_Semaphore, 0) != WAIT_OBJECT_0)
        return 0;
    become_owner(section, thread);
    return 1;
}

OSMARK_API void DropSectionSemaphore(SectionSemaphore* section) noexcept
{
    if (section == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    if (!is_owner(section, GetCurrentThreadId()))
        return;
    if (nest_count_of(section).fetch_sub(1, std::memory_order_relaxed) > 1)
        return;
    // Cleared before the release: the next owner writes both words after taking it.
    owner_of(section).store(0, std::memory_order_relaxed);
    ReleaseSemaphore(section->ss_Semaphore, 1, nullptr);
}

}
