#pragma once

#include <cstddef>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

// Starts bringing the cache line at p in, for data about to be read.
// (__builtin_prefetch alone is dropped by GCC when its address had to be
// loaded first.)
inline void prefetchLine(const void* p)
{
#if defined(__x86_64__) || defined(__i386__)
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(p)));
#else
    __builtin_prefetch(p);
#endif
}

// An allocator for the large arrays of a loaded log (hash tables, per-node
// arrays of the tree): from a megabyte on, memory comes straight from the system
// in large pages where it allows them. A page fault then covers two megabytes
// instead of four kilobytes, and the arrays cost fewer address-translation
// misses when they are read at random. Smaller arrays use the heap.
template <typename T> class LargePageAllocator {
public:
    using value_type = T;

    LargePageAllocator() = default;
    template <typename U> LargePageAllocator(const LargePageAllocator<U>&) noexcept {}

    T* allocate(std::size_t n)
    {
        const std::size_t bytes = n * sizeof(T);
#if defined(__linux__)
        if (bytes >= kLarge) {
            void* p =
                ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (p == MAP_FAILED)
                throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
            ::madvise(p, bytes, MADV_HUGEPAGE);
#endif
            return static_cast<T*>(p);
        }
#endif
        return static_cast<T*>(::operator new(bytes));
    }

    void deallocate(T* p, std::size_t n) noexcept
    {
#if defined(__linux__)
        if (n * sizeof(T) >= kLarge) {
            ::munmap(p, n * sizeof(T));
            return;
        }
#endif
        ::operator delete(p);
    }

    template <typename U> bool operator==(const LargePageAllocator<U>&) const noexcept
    {
        return true;
    }

private:
    static constexpr std::size_t kLarge = std::size_t(1) << 20;
};
