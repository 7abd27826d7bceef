// 32-bit tokens for pointers that travel in 32-bit fields. A token names a slot of a small
// table and the slot's generation; when the table is full the oldest slot is reused and its
// old tokens go stale.
#include <winsim/win32.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

constexpr std::size_t kSlots = 64;
constexpr unsigned kSlotBits = 8;  // room for slot numbers 1 to 255 in the low byte
constexpr DWORD kGenerationLimit = DWORD{1} << (32 - kSlotBits);

struct Slot {
    const void* pointer = nullptr;
    DWORD generation = 0;  // 0: never used
};

struct Table {
    std::array<Slot, kSlots> slots{};
    std::size_t nextVictim = 0;
};

Table& State()
{
    static auto* table = new Table;
    return *table;
}

DWORD TokenOf(std::size_t slot, DWORD generation)
{
    return (generation << kSlotBits) | static_cast<DWORD>(slot + 1);
}

}  // namespace

DWORD WinsimPointerToDword(const void* pointer)
{
    if (pointer == nullptr) {
        return 0;
    }
    Table& table = State();
    for (std::size_t i = 0; i < kSlots; ++i) {
        const Slot& slot = table.slots[i];
        if (slot.generation != 0 && slot.pointer == pointer) {
            return TokenOf(i, slot.generation);
        }
    }
    const std::size_t victim = table.nextVictim;
    table.nextVictim = (victim + 1) % kSlots;
    Slot& slot = table.slots[victim];
    // Generation 0 is never handed out, so no token is ever 0.
    slot.generation = (slot.generation + 1) % kGenerationLimit;
    if (slot.generation == 0) {
        slot.generation = 1;
    }
    slot.pointer = pointer;
    return TokenOf(victim, slot.generation);
}

void* WinsimDwordToPointer(DWORD token)
{
    const std::size_t slotNumber = token & ((DWORD{1} << kSlotBits) - 1);
    const DWORD generation = token >> kSlotBits;
    if (slotNumber == 0 || slotNumber > kSlots || generation == 0) {
        return nullptr;
    }
    const Slot& slot = State().slots[slotNumber - 1];
    if (slot.generation != generation) {
        return nullptr;
    }
    return const_cast<void*>(slot.pointer);
}
