#pragma once

// Memory for big pixel and byte buffers. Blocks of 32 MiB and more (the size
// from which the C library maps every block anew anyway) come straight from
// the kernel, already zero, with transparent huge pages asked for: a
// 6000 x 4000 picture then costs a few dozen page faults instead of tens of
// thousands, and no pass of its own to clear the memory. Smaller blocks come
// from the heap, which hands freed memory out again without new page faults
// (and all of them do under AddressSanitizer, which then sees every access).

#include <cstddef>
#include <limits>
#include <new>
#include <utility>
#include <vector>

namespace pellimore {

// `bytes` bytes, zero when `zeroed` (else their contents are undefined), or
// nullptr when they cannot be had.
void *AllocateLarge(std::size_t bytes, bool zeroed) noexcept;
// Gives back a block of AllocateLarge; `bytes` is the size asked for.
void FreeLarge(void *block, std::size_t bytes) noexcept;

// A standard allocator over zeroed AllocateLarge blocks. Elements made without a value
// are left as the zero bytes they already are, so a vector of it created
// with n elements holds n zeros without a pass to write them. Only for
// types whose zero bytes are the value-initialised element (integers), and
// only for vectors created at their size: growing one that shrank would
// leave old values in the reused storage.
template <class T>
struct ZeroedAllocator {
    using value_type = T;

    ZeroedAllocator() = default;
    template <class U>
    ZeroedAllocator(const ZeroedAllocator<U> &) noexcept
    {
    }

    T *allocate(std::size_t n)
    {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T))
            throw std::bad_array_new_length();
        void *block = AllocateLarge(n * sizeof(T), true);
        if (!block)
            throw std::bad_alloc();
        return static_cast<T *>(block);
    }
    void deallocate(T *block, std::size_t n) noexcept { FreeLarge(block, n * sizeof(T)); }

    template <class U>
    void construct(U *) noexcept
    {
    }
    template <class U, class... Args>
    void construct(U *p, Args &&...args)
    {
        ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
    }

    template <class U>
    friend bool operator==(const ZeroedAllocator &, const ZeroedAllocator<U> &) noexcept
    {
        return true;
    }
};

template <class T>
using ZeroedVector = std::vector<T, ZeroedAllocator<T>>;

}  // namespace pellimore
