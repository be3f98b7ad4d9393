// Semaphores: POSIX semaphores behind handles. An unnamed one lives in its object; a
// named one is process-shared and lives in the header of a shared segment (the same
// thing sem_open makes), so that its name goes with its last handle.

#include "platform/sync.h"

#include "kernel_object.h"
#include "make_win32_error.h"
#include "platform/kernel.h"
#include "sync_named_object.h"
#include "wait_signals.h"

#include <semaphore.h>

#include <cerrno>
#include <climits>
#include <ctime>
#include <new>

namespace {

using platform::NamedHeader;
using platform::NamedKind;
using platform::SharedSegment;

struct Counts {
    LONG initial;
    LONG maximum;
};

class SemaphoreObject final : public platform::KernelObject {
public:
    // Unnamed.
    SemaphoreObject(LONG initial, LONG maximum) : m_maximum(maximum), m_semaphore(&m_own)
    {
        sem_init(&m_own, 0, static_cast<unsigned>(initial));
    }
    // Named: the segment's header holds the semaphore and the creator's maximum.
    explicit SemaphoreObject(std::shared_ptr<SharedSegment> segment)
        : m_segment(std::move(segment)),
          m_maximum(m_segment->header().maximum_count),
          m_semaphore(&m_segment->header().semaphore)
    {
    }
    ~SemaphoreObject() override
    {
        if (m_segment == nullptr)
            sem_destroy(&m_own);
    }

    DWORD wait(DWORD milliseconds) override;
    bool changes_elsewhere() const override { return m_segment != nullptr; }
    BOOL release(LONG count, LONG* previous);

private:
    DWORD timed_wait(DWORD milliseconds);

    std::shared_ptr<SharedSegment> m_segment;
    sem_t m_own{};
    LONG m_maximum;
    sem_t* m_semaphore;
};

DWORD wait_result(int result)
{
    if (result == 0)
        return WAIT_OBJECT_0;
    if (errno == EAGAIN || errno == ETIMEDOUT)
        return WAIT_TIMEOUT;
    platform::make_win32_error_from_errno();
    return WAIT_FAILED;
}

DWORD SemaphoreObject::wait(DWORD milliseconds)
{
    int result;
    if (milliseconds == INFINITE) {
        while ((result = sem_wait(m_semaphore)) != 0 && errno == EINTR) {
        }
        return wait_result(result);
    }
    if (milliseconds == 0) {
        while ((result = sem_trywait(m_semaphore)) != 0 && errno == EINTR) {
        }
        return wait_result(result);
    }
    return timed_wait(milliseconds);
}

DWORD SemaphoreObject::timed_wait(DWORD milliseconds)
{
    // On the monotonic clock: a change of the wall clock neither cuts nor stretches
    // the wait.
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += static_cast<time_t>(milliseconds / 1000);
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    int result;
    while ((result = sem_clockwait(m_semaphore, CLOCK_MONOTONIC, &deadline)) != 0 && errno == EINTR) {
    }
    return wait_result(result);
}

BOOL SemaphoreObject::release(LONG count, LONG* previous)
{
    if (count <= 0) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // POSIX semaphores have no maximum; the check and the posts are not one atomic
    // step, so two releases racing past a full count could both pass. Callers keep
    // to one release per take, which never races that way.
    int value = 0;
    sem_getvalue(m_semaphore, &value);
    if (value < 0)
        value = 0;
    if (static_cast<int64_t>(value) + count > m_maximum) {
        platform::make_win32_error(ERROR_TOO_MANY_POSTS);
        return FALSE;
    }
    if (previous != nullptr)
        *previous = value;
    for (LONG i = 0; i < count; ++i) {
        if (sem_post(m_semaphore) != 0) {
            platform::make_win32_error_from_errno();
            return FALSE;
        }
    }
    platform::notify_waiters();
    return TRUE;
}

bool initialise_named_semaphore(NamedHeader& header, const void* context)
{
    const auto& counts = *static_cast<const Counts*>(context);
    header.maximum_count = counts.maximum;
    if (sem_init(&header.semaphore, 1, static_cast<unsigned>(counts.initial)) != 0) {
        platform::make_win32_error_from_errno();
        return false;
    }
    return true;
}

}

extern "C" {

PLATFORM_API HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES /*attributes*/, LONG initial_count,
                                     LONG maximum_count, LPCSTR name) noexcept
{
    if (maximum_count <= 0 || initial_count < 0 || initial_count > maximum_count ||
        static_cast<unsigned long>(maximum_count) > SEM_VALUE_MAX) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        if (name == nullptr || name[0] == '\0') {
            const HANDLE handle =
                platform::add_handle(std::make_shared<SemaphoreObject>(initial_count, maximum_count));
            if (handle != nullptr)
                SetLastError(ERROR_SUCCESS);
            return handle;
        }
        const Counts counts{initial_count, maximum_count};
        const SharedSegment::Request request{NamedKind::Semaphore, name, SharedSegment::Mode::CreateOrOpen,
                                             0, initialise_named_semaphore, &counts};
        bool existed = false;
        std::shared_ptr<SharedSegment> segment = SharedSegment::open(request, &existed);
        if (segment == nullptr)
            return nullptr;
        const HANDLE handle = platform::add_handle(std::make_shared<SemaphoreObject>(std::move(segment)));
        if (handle != nullptr)
            SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
        return handle;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API BOOL ReleaseSemaphore(HANDLE semaphore, LONG release_count, LONG* previous_count) noexcept
{
    const std::shared_ptr<SemaphoreObject> object = platform::object_of_kind<SemaphoreObject>(semaphore);
    if (object == nullptr)
        return FALSE;
    return object->release(release_count, previous_count);
}

}
