// The one owner of a POSIX file descriptor: closes it when the owner goes.
#ifndef PLATFORM_UNIQUE_FD_H
#define PLATFORM_UNIQUE_FD_H

#include <unistd.h>

#include <utility>

namespace platform {

// Owns a descriptor (or -1, nothing). Move-only; a moved-from owner holds -1. Callers
// that must see close's result (a file whose last bytes must have reached the disk)
// call close(owner.release()) themselves.
class UniqueFd {
public:
    UniqueFd() noexcept = default;
    explicit UniqueFd(int descriptor) noexcept : m_descriptor(descriptor) {}
    ~UniqueFd() { reset(); }

    UniqueFd(UniqueFd&& other) noexcept : m_descriptor(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const noexcept { return m_descriptor; }
    bool is_open() const noexcept { return m_descriptor >= 0; }
    explicit operator bool() const noexcept { return is_open(); }

    // Gives the descriptor up without closing it; the owner then holds -1.
    int release() noexcept { return std::exchange(m_descriptor, -1); }

    // Closes the descriptor held (if any) and takes descriptor instead.
    void reset(int descriptor = -1) noexcept
    {
        const int previous = std::exchange(m_descriptor, descriptor);
        if (previous >= 0)
            ::close(previous);
    }

private:
    int m_descriptor = -1;
};

}

#endif
