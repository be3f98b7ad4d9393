// Critical sections over recursive POSIX mutexes, and thread ids.

#include "platform/sync.h"

#include <pthread.h>
#include <unistd.h>

#include <new>

namespace {

static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION::cs_Storage.cs_Bytes),
              "the mutex fits the section's storage");
static_assert(alignof(pthread_mutex_t) <= alignof(CRITICAL_SECTION), "and its alignment");

pthread_mutex_t* mutex_of(LPCRITICAL_SECTION section)
{
    return std::launder(reinterpret_cast<pthread_mutex_t*>(section->cs_Storage.cs_Bytes));
}

}

extern "C" {

PLATFORM_API void InitializeCriticalSection(LPCRITICAL_SECTION section) noexcept
{
    if (section == nullptr)
        return;
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    auto* mutex = new (section->cs_Storage.cs_Bytes) pthread_mutex_t;
    pthread_mutex_init(mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

PLATFORM_API void DeleteCriticalSection(LPCRITICAL_SECTION section) noexcept
{
    if (section != nullptr)
        pthread_mutex_destroy(mutex_of(section));
}

PLATFORM_API void EnterCriticalSection(LPCRITICAL_SECTION section) noexcept
{
    if (section != nullptr)
        pthread_mutex_lock(mutex_of(section));
}

PLATFORM_API void LeaveCriticalSection(LPCRITICAL_SECTION section) noexcept
{
    if (section != nullptr)
        pthread_mutex_unlock(mutex_of(section));
}

PLATFORM_API DWORD GetCurrentThreadId(void) noexcept
{
    // Linux thread ids are unique across the system while the thread lives, and
    // never 0, as Win32's are.
    return static_cast<DWORD>(gettid());
}

}
