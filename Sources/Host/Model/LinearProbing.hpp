// What the store's open-addressing indexes (by GUID, by id) share: a table of slots, a power of two
// in size and at most half full, probed linearly; a slot whose `element` is null is free.
#pragma once

#include <cstddef>
#include <vector>

namespace Host::LinearProbing {

// The table size that holds `wanted` entries at most half full (at least 16 slots).
inline std::size_t CapacityFor(std::size_t wanted)
{
    std::size_t capacity = 16;
    while (capacity < 2 * wanted)
        capacity *= 2;
    return capacity;
}

// Frees the occupied slot `hole` without a tombstone, so that lookups stay short after undo has
// taken elements out: later members of its probe run move back into the hole when their home
// (`home(slot)`) lies at or before it.
template <class Slot, class HomeOf> void EraseAt(std::vector<Slot>& slots, std::size_t hole, HomeOf home)
{
    const std::size_t mask = slots.size() - 1;
    for (std::size_t next = (hole + 1) & mask; slots[next].element != nullptr; next = (next + 1) & mask) {
        const std::size_t at = home(slots[next]);
        const bool movable = hole <= next ? (at <= hole || at > next) : (at <= hole && at > next);
        if (movable) {
            slots[hole] = slots[next];
            hole = next;
        }
    }
    slots[hole] = Slot();
}

} // namespace Host::LinearProbing
