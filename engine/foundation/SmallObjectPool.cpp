#include "engine/foundation/SmallObjectPool.h"

#include <cstdlib>

namespace KorvaneEngine {

namespace {

const size_t kGranule = 16;
const size_t kClasses = SmallObjectPool::kMaxBlock / kGranule;
const size_t kChunkBytes = 64 * 1024;
// Chunks of emptied size classes are kept for reuse up to this many: memory
// that was touched once is far cheaper to hand out again than fresh pages.
const size_t kCachedChunks = 1024; // 64 MiB

struct FreeBlock {
    FreeBlock* next;
};

// A chunk starts with the link to the next one; blocks follow at kChunkHeader,
// so they keep the heap's own alignment.
struct Chunk {
    Chunk* next;
};
const size_t kChunkHeader = 16;

struct SizeClass {
    FreeBlock* freeList = nullptr;
    Chunk* chunks = nullptr;
    size_t chunkCount = 0;
    size_t live = 0;
    // Blocks never handed out yet in the newest chunk.
    unsigned char* fresh = nullptr;
    unsigned char* freshEnd = nullptr;
};

SizeClass g_classes[kClasses];
size_t g_live = 0;
Chunk* g_cache = nullptr;
size_t g_cacheCount = 0;

unsigned char* NewChunk()
{
    if (g_cache) {
        Chunk* c = g_cache;
        g_cache = c->next;
        --g_cacheCount;
        return reinterpret_cast<unsigned char*>(c);
    }
    unsigned char* raw = static_cast<unsigned char*>(std::malloc(kChunkHeader + kChunkBytes));
    if (!raw)
        throw std::bad_alloc();
    return raw;
}

void ReleaseChunk(Chunk* c)
{
    if (g_cacheCount < kCachedChunks) {
        c->next = g_cache;
        g_cache = c;
        ++g_cacheCount;
    } else {
        std::free(c);
    }
}

inline size_t ClassOf(size_t size)
{
    return size == 0 ? 0 : (size - 1) / kGranule;
}

} // namespace

void* SmallObjectPool::Allocate(size_t size)
{
    if (size > kMaxBlock)
        return ::operator new(size);
    SizeClass& c = g_classes[ClassOf(size)];
    const size_t block = (ClassOf(size) + 1) * kGranule;
    void* p;
    if (c.freeList) {
        p = c.freeList;
        c.freeList = c.freeList->next;
    } else {
        if (c.fresh == nullptr || c.fresh + block > c.freshEnd) {
            unsigned char* raw = NewChunk();
            Chunk* chunk = reinterpret_cast<Chunk*>(raw);
            chunk->next = c.chunks;
            c.chunks = chunk;
            ++c.chunkCount;
            c.fresh = raw + kChunkHeader;
            c.freshEnd = c.fresh + kChunkBytes;
        }
        p = c.fresh;
        c.fresh += block;
    }
    ++c.live;
    ++g_live;
    return p;
}

void SmallObjectPool::Free(void* p, size_t size)
{
    if (!p)
        return;
    if (size > kMaxBlock) {
        ::operator delete(p);
        return;
    }
    SizeClass& c = g_classes[ClassOf(size)];
    FreeBlock* b = static_cast<FreeBlock*>(p);
    b->next = c.freeList;
    c.freeList = b;
    --c.live;
    --g_live;
    // Once a class is empty its chunks can serve any class again. A single
    // chunk stays, so that one object made and freed in turn costs nothing.
    if (c.live == 0 && c.chunkCount > 1) {
        while (c.chunks) {
            Chunk* next = c.chunks->next;
            ReleaseChunk(c.chunks);
            c.chunks = next;
        }
        c = SizeClass();
    }
}

size_t SmallObjectPool::GetLiveBlocks()
{
    return g_live;
}

} // namespace KorvaneEngine
