// The global operator new and delete of every test program; inside a NewJoinsCountdown
// scope they fail by Osmark's allocation countdown (test_support/allocation_failure.h).
// Linked whole into each program: the definitions in the program itself take the place
// of the C++ runtime's (and the sanitizer's) for the program and for every shared
// library it loads, libosmark.so and libplatform.so included.
//
// Every form allocates with malloc or posix_memalign and frees with free, so that the
// address sanitizer sees matching pairs and its leak check covers these blocks.

#include "test_support/allocation_failure.h"

#include "osmark/testing.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Weak: in a program without Osmark the address is NULL and nothing fails by injection.
extern "C" int32_t osmark_testing_allocation_fails(void) noexcept __attribute__((weak));

namespace {

// The live NewJoinsCountdown scopes.
std::atomic<int> g_joined_scopes{0};

bool injected_failure() noexcept
{
    return g_joined_scopes.load(std::memory_order_relaxed) > 0 &&
           osmark_testing_allocation_fails != nullptr && osmark_testing_allocation_fails() != 0;
}

void* allocate(std::size_t size) noexcept
{
    if (injected_failure())
        return nullptr;
    // operator new(0) must still give a unique pointer.
    return std::malloc(size != 0 ? size : 1);
}

void* allocate_aligned(std::size_t size, std::align_val_t alignment) noexcept
{
    if (injected_failure())
        return nullptr;
    std::size_t bytes = static_cast<std::size_t>(alignment);
    // posix_memalign wants a multiple of the pointer size.
    if (bytes < sizeof(void*))
        bytes = sizeof(void*);
    void* block = nullptr;
    return posix_memalign(&block, bytes, size != 0 ? size : 1) == 0 ? block : nullptr;
}

void* allocate_or_throw(std::size_t size)
{
    void* block = allocate(size);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void* allocate_aligned_or_throw(std::size_t size, std::align_val_t alignment)
{
    void* block = allocate_aligned(size, alignment);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

}

namespace test_support {

bool new_follows_allocation_countdown()
{
    return osmark_testing_allocation_fails != nullptr;
}

NewJoinsCountdown::NewJoinsCountdown()
{
    g_joined_scopes.fetch_add(1, std::memory_order_relaxed);
}

NewJoinsCountdown::~NewJoinsCountdown()
{
    g_joined_scopes.fetch_sub(1, std::memory_order_relaxed);
}

}

// ---- Allocation ------------------------------------------------------------------------

void* operator new(std::size_t size)
{
    return allocate_or_throw(size);
}
void* operator new[](std::size_t size)
{
    return allocate_or_throw(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return allocate_aligned_or_throw(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return allocate_aligned_or_throw(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return allocate_aligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return allocate_aligned(size, alignment);
}

// ---- Release ---------------------------------------------------------------------------

void operator delete(void* block) noexcept
{
    std::free(block);
}
void operator delete[](void* block) noexcept
{
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}
void operator delete(void* block, std::align_val_t) noexcept
{
    std::free(block);
}
void operator delete[](void* block, std::align_val_t) noexcept
{
    std::free(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept
{
    std::free(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept
{
    std::free(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(block);
}
