#pragma once
#include <cstddef>
#include <new>

namespace KorvaneEngine {

// Free lists of fixed-size blocks carved from 64 KiB chunks, for the many
// small objects of parsed XML trees: the C runtime heap costs over 100 ns per
// block under some Windows runtimes, which dominated parsing. When a size
// class empties, its chunks go to a cache (up to 64 MiB) that any class draws
// from before asking the heap, so the pages of one tree serve the next.
// Main thread only, like the rest of the engine.
class SmallObjectPool {
public:
    static const size_t kMaxBlock = 512;

    // Sizes above kMaxBlock go to the ordinary heap.
    static void* Allocate(size_t size);
    static void Free(void* p, size_t size);
    // Blocks currently handed out, over all size classes (for tests).
    static size_t GetLiveBlocks();
};

// Standard allocator over the pool: single objects and small arrays come from
// it, larger requests from the ordinary heap.
template <class T> struct PoolAllocator {
    typedef T value_type;
    PoolAllocator() noexcept {}
    template <class U> PoolAllocator(const PoolAllocator<U>&) noexcept {}

    T* allocate(size_t n)
    {
        size_t bytes = n * sizeof(T);
        if (n > SmallObjectPool::kMaxBlock || bytes > SmallObjectPool::kMaxBlock)
            return static_cast<T*>(::operator new(bytes));
        return static_cast<T*>(SmallObjectPool::Allocate(bytes));
    }
    void deallocate(T* p, size_t n) noexcept
    {
        size_t bytes = n * sizeof(T);
        if (n > SmallObjectPool::kMaxBlock || bytes > SmallObjectPool::kMaxBlock)
            ::operator delete(p);
        else
            SmallObjectPool::Free(p, bytes);
    }
    template <class U> bool operator==(const PoolAllocator<U>&) const noexcept { return true; }
    template <class U> bool operator!=(const PoolAllocator<U>&) const noexcept { return false; }
};

} // namespace KorvaneEngine
