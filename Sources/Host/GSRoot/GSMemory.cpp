// The host's memory manager: handles that keep their size, and a process-wide count of live
// handles so that tests can prove nothing leaks.
#include "GSMemory.hpp"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// A handle points at the `data` member; the block's size travels with it.
struct HandleBlock {
    char* data;
    GSSize size;
};
static_assert(offsetof(HandleBlock, data) == 0);

std::atomic<Int64> liveHandles{0};

HandleBlock* BlockOf(GSHandle handle)
{
    return reinterpret_cast<HandleBlock*>(handle);
}

} // namespace

GSHandle BMhAllClear(GSSize size)
{
    if (size < 0)
        return nullptr;
    auto* block = static_cast<HandleBlock*>(std::malloc(sizeof(HandleBlock)));
    if (block == nullptr)
        return nullptr;
    // Even an empty handle owns a block, so *handle is never null for a live handle.
    block->data = static_cast<char*>(std::calloc(std::size_t(size > 0 ? size : 1), 1));
    if (block->data == nullptr) {
        std::free(block);
        return nullptr;
    }
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
    char* data = static_cast<char*>(std::realloc(block->data, std::size_t(newSize > 0 ? newSize : 1)));
    if (data == nullptr)
        return ErrMemoryFull;
    if (newSize > block->size)
        std::memset(data + block->size, 0, std::size_t(newSize - block->size));
    block->data = data;
    block->size = newSize;
    return NoError;
}

void BMhKill(GSHandle* handle)
{
    if (handle == nullptr || *handle == nullptr)
        return;
    HandleBlock* block = BlockOf(*handle);
    std::free(block->data);
    std::free(block);
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
