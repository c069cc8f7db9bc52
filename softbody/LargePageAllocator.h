#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <sys/mman.h>
#include <vector>

/// An allocator for the body's big arrays. Arrays of 2 MiB or more are
/// placed on 2 MiB boundaries and offered to the kernel for transparent huge
/// pages: a large body's springs span hundreds of megabytes, and with 4 KiB
/// pages nearly every spring the step visits would cost a TLB miss. Where
/// the kernel declines, the memory simply stays in small pages.
template <class T>
struct LargePageAllocator {
    using value_type = T;
    static constexpr std::size_t kLargePage = std::size_t(2) << 20;
    /// Smaller arrays start on a cache line, so that which of a pass's wide
    /// loads straddle two lines does not depend on where the heap put the
    /// body: otherwise the same body steps faster or slower by a tenth in
    /// one path against another from one run to the next.
    static constexpr std::align_val_t kSmallAlignment{alignof(T) > 64 ? alignof(T) : 64};

    LargePageAllocator() = default;
    template <class U>
    LargePageAllocator(const LargePageAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t n)
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < kLargePage) return static_cast<T*>(::operator new(bytes, kSmallAlignment));
        const std::size_t rounded = (bytes + kLargePage - 1) / kLargePage * kLargePage;
        void* memory = std::aligned_alloc(kLargePage, rounded);
        if (memory == nullptr) throw std::bad_alloc();
        madvise(memory, rounded, MADV_HUGEPAGE);
        return static_cast<T*>(memory);
    }

    void deallocate(T* memory, std::size_t n) noexcept
    {
        if (n * sizeof(T) < kLargePage)
            ::operator delete(memory, kSmallAlignment);
        else
            std::free(memory);
    }

    template <class U>
    bool operator==(const LargePageAllocator<U>&) const noexcept
    {
        return true;
    }
    template <class U>
    bool operator!=(const LargePageAllocator<U>&) const noexcept
    {
        return false;
    }
};

template <class T>
using LargeArray = std::vector<T, LargePageAllocator<T>>;
