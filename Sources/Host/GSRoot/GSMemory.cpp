// The host's memory manager: handles that keep their size, and a process-wide count of live
// handles so that tests can prove nothing leaks.
#include "GSMemory.hpp"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

// A handle points at the `data` member; the block's size travels with it. `capacity` is what
// `data` holds: a size class for blocks that go back to the cache below, else the size.
struct HandleBlock {
    char* data;
    GSSize size;
    std::size_t capacity;
};
static_assert(offsetof(HandleBlock, data) == 0);

std::atomic<Int64> liveHandles{0};

HandleBlock* BlockOf(GSHandle handle)
{
    return reinterpret_cast<HandleBlock*>(handle);
}

// Freed handles up to 64 KiB are kept for the next ones of their size class (powers of two). The
// add-on reads the memo of every Arealist when a zone joins a TOP, and each memo is a handful of
// handles made and disposed of at once: through malloc, which searched and merged its free lists
// for every one of them, that was most of a zone's addition on a 60,000-zone building.
// Set once the thread's cache is gone (handles freed by later destructors then go to free()); a
// trivially destructible flag stays readable until the thread ends.
thread_local bool cacheGone = false;

// Under AddressSanitizer every handle goes back to free(): a reused block would hide an add-on's
// use of a handle it has disposed of, which is exactly what that build is there to catch.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool cacheOn = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool cacheOn = false;
#else
constexpr bool cacheOn = true;
#endif
#else
constexpr bool cacheOn = true;
#endif

class BlockCache {
public:
    static constexpr std::size_t largest = 64 * 1024;
    static constexpr int classes = 13; // 16 bytes to 64 KiB
    static constexpr std::size_t kept = 64;

    static std::size_t ClassSize(std::size_t size, int& sizeClass)
    {
        std::size_t classSize = 16;
        sizeClass = 0;
        while (classSize < size) {
            classSize *= 2;
            ++sizeClass;
        }
        return classSize;
    }
    HandleBlock* Take(int sizeClass)
    {
        std::vector<HandleBlock*>& free = blocks[sizeClass];
        if (free.empty())
            return nullptr;
        HandleBlock* block = free.back();
        free.pop_back();
        return block;
    }
    bool Keep(HandleBlock* block)
    {
        if (block->capacity > largest || block->capacity < 16 || (block->capacity & (block->capacity - 1)) != 0)
            return false;
        int sizeClass = 0;
        ClassSize(block->capacity, sizeClass);
        std::vector<HandleBlock*>& free = blocks[sizeClass];
        if (free.size() >= kept)
            return false;
        free.push_back(block);
        return true;
    }
    ~BlockCache()
    {
        cacheGone = true;
        for (std::vector<HandleBlock*>& free : blocks)
            for (HandleBlock* block : free) {
                std::free(block->data);
                std::free(block);
            }
    }

private:
    std::vector<HandleBlock*> blocks[classes];
};

thread_local BlockCache blockCache;

} // namespace

namespace {

// A new block of `capacity` zeroed bytes; nullptr when memory runs out.
HandleBlock* NewBlock(std::size_t capacity)
{
    auto* block = static_cast<HandleBlock*>(std::malloc(sizeof(HandleBlock)));
    if (block == nullptr)
        return nullptr;
    block->data = static_cast<char*>(std::calloc(capacity, 1));
    if (block->data == nullptr) {
        std::free(block);
        return nullptr;
    }
    block->capacity = capacity;
    return block;
}

} // namespace

GSHandle BMhAllClear(GSSize size)
{
    if (size < 0)
        return nullptr;
    // Even an empty handle owns a block, so *handle is never null for a live handle.
    const std::size_t wanted = std::size_t(size > 0 ? size : 1);
    std::size_t capacity = wanted;
    HandleBlock* block = nullptr;
    if (wanted <= BlockCache::largest) {
        int sizeClass = 0;
        capacity = BlockCache::ClassSize(wanted, sizeClass);
        block = cacheOn && !cacheGone ? blockCache.Take(sizeClass) : nullptr;
        if (block != nullptr)
            std::memset(block->data, 0, wanted);
    }
    if (block == nullptr && (block = NewBlock(capacity)) == nullptr)
        return nullptr;
    block->size = size;
    ++liveHandles;
    return &block->data;
}

GSSize BMhGetSize(GSHandle handle)
{
    return handle == nullptr ? 0 : BlockOf(handle)->size;
}

GSErrCode BMhReallocClear(GSHandle* handle, GSSize newSize)
{
    if (handle == nullptr || *handle == nullptr || newSize < 0)
        return ErrParam;
    HandleBlock* block = BlockOf(*handle);
    const std::size_t wanted = std::size_t(newSize > 0 ? newSize : 1);
    char* data = static_cast<char*>(std::realloc(block->data, wanted));
    if (data == nullptr)
        return ErrMemoryFull;
    if (newSize > block->size)
        std::memset(data + block->size, 0, std::size_t(newSize - block->size));
    block->data = data;
    block->size = newSize;
    block->capacity = wanted;
    return NoError;
}

void BMhKill(GSHandle* handle)
{
    if (handle == nullptr || *handle == nullptr)
        return;
    HandleBlock* block = BlockOf(*handle);
    if (!cacheOn || cacheGone || !blockCache.Keep(block)) {
        std::free(block->data);
        std::free(block);
    }
    --liveHandles;
    *handle = nullptr;
}

GSPtr BMpAllClear(GSSize size)
{
    if (size < 0)
        return nullptr;
    return static_cast<GSPtr>(std::calloc(std::size_t(size > 0 ? size : 1), 1));
}

void BMpKill(GSPtr* pointer)
{
    if (pointer == nullptr)
        return;
    std::free(*pointer);
    *pointer = nullptr;
}

Int64 BMOutstandingHandles()
{
    return liveHandles.load();
}
