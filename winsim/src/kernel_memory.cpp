// The global heap: fixed blocks, whose handle is their address, and moveable blocks, whose
// handle is a number that GlobalLock turns into an address.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <new>

#include "faults.h"

namespace {

struct Block {
    std::unique_ptr<std::byte[]> data;  // null for a moveable block of size 0
    SIZE_T size = 0;
    bool moveable = false;
    int lockCount = 0;
};

struct Heap {
    std::map<std::uintptr_t, Block> blocks;
    std::uintptr_t nextMoveable = 0x00150004;
};

Heap& State()
{
    static Heap* heap = new Heap;
    return *heap;
}

// Moveable handles are small numbers, far below any host address, and never reused.
constexpr std::uintptr_t kMoveableSpacing = 8;
// Blocks without GMEM_ZEROINIT hold whatever was there before; never zeros by luck.
constexpr unsigned char kUninitialisedByte = 0xCD;
// More than the whole address space of a 32-bit process can ever provide.
constexpr SIZE_T kLargestBlock = 0x7FFE0000;

Block* Find(HGLOBAL memory)
{
    auto& blocks = State().blocks;
    auto found = blocks.find(reinterpret_cast<std::uintptr_t>(memory));
    return found == blocks.end() ? nullptr : &found->second;
}

std::unique_ptr<std::byte[]> NewStorage(SIZE_T bytes, bool zero)
{
    // A fixed block of size 0 still needs an address of its own.
    std::unique_ptr<std::byte[]> data(new (std::nothrow) std::byte[bytes == 0 ? 1 : bytes]);
    if (data) {
        std::memset(data.get(), zero ? 0 : kUninitialisedByte, bytes == 0 ? 1 : bytes);
    }
    return data;
}

}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes)
{
    const bool failing = winsim::detail::FailableCall("GlobalAlloc");
    if (failing || winsim::detail::ConsumeFault(winsim::Fault::GlobalAlloc) || bytes > kLargestBlock) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Block block;
    block.size = bytes;
    block.moveable = (flags & GMEM_MOVEABLE) != 0;
    if (!block.moveable || bytes > 0) {
        block.data = NewStorage(bytes, (flags & GMEM_ZEROINIT) != 0);
        if (!block.data) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
    }
    Heap& heap = State();
    std::uintptr_t handle = reinterpret_cast<std::uintptr_t>(block.data.get());
    if (block.moveable) {
        handle = heap.nextMoveable;
        heap.nextMoveable += kMoveableSpacing;
    }
    heap.blocks.emplace(handle, std::move(block));
    return reinterpret_cast<HGLOBAL>(handle);
}

LPVOID WINAPI GlobalLock(HGLOBAL memory)
{
    const bool failing = winsim::detail::FailableCall("GlobalLock");
    Block* block = Find(memory);
    if (block == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (failing || winsim::detail::ConsumeFault(winsim::Fault::GlobalLock)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (!block->moveable) {
        return block->data.get();
    }
    if (!block->data) {
        SetLastError(ERROR_DISCARDED);
        return nullptr;
    }
    ++block->lockCount;
    return block->data.get();
}

BOOL WINAPI GlobalUnlock(HGLOBAL memory)
{
    Block* block = Find(memory);
    if (block == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!block->moveable) {
        return TRUE;
    }
    if (block->lockCount == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    // FALSE with no error means "now unlocked"; TRUE means still locked.
    if (--block->lockCount == 0) {
        SetLastError(ERROR_SUCCESS);
        return FALSE;
    }
    return TRUE;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL memory)
{
    if (memory == nullptr) {
        return nullptr;
    }
    if (State().blocks.erase(reinterpret_cast<std::uintptr_t>(memory)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return memory;
    }
    return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL memory)
{
    const Block* block = Find(memory);
    if (block == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return block->size;
}

namespace winsim {

int LiveGlobalBlocks()
{
    return static_cast<int>(State().blocks.size());
}

}  // namespace winsim
