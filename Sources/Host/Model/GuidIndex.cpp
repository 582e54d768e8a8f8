// Linear probing with backward-shift deletion: no tombstones, so lookups stay short after undo
// has taken elements out.
#include "GuidIndex.hpp"

#include <cstring>

#include "LinearProbing.hpp"

namespace Host {

std::size_t GuidIndex::Home(const API_Guid& guid) const
{
    UInt64 words[2];
    std::memcpy(words, &guid, sizeof words);
    const UInt64 mixed = (words[0] ^ (words[1] * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
    return std::size_t(mixed >> 32) & (slots.size() - 1);
}

StoredElement* GuidIndex::Find(const API_Guid& guid) const
{
    if (count == 0)
        return nullptr;
    const std::size_t mask = slots.size() - 1;
    for (std::size_t at = Home(guid);; at = (at + 1) & mask) {
        const Slot& slot = slots[at];
        if (slot.element == nullptr)
            return nullptr;
        if (slot.guid == guid)
            return slot.element;
    }
}

bool GuidIndex::Insert(const API_Guid& guid, StoredElement* element)
{
    if (2 * (count + 1) > slots.size())
        Grow(slots.empty() ? 16 : 2 * slots.size());
    const std::size_t mask = slots.size() - 1;
    for (std::size_t at = Home(guid);; at = (at + 1) & mask) {
        Slot& slot = slots[at];
        if (slot.element == nullptr) {
            slot = Slot{guid, element};
            ++count;
            return true;
        }
        if (slot.guid == guid)
            return false;
    }
}

void GuidIndex::Erase(const API_Guid& guid)
{
    if (count == 0)
        return;
    const std::size_t mask = slots.size() - 1;
    std::size_t hole = Home(guid);
    while (slots[hole].element != nullptr && !(slots[hole].guid == guid))
        hole = (hole + 1) & mask;
    if (slots[hole].element == nullptr)
        return;
    LinearProbing::EraseAt(slots, hole, [this](const Slot& slot) { return Home(slot.guid); });
    --count;
}

void GuidIndex::Clear()
{
    slots.clear();
    count = 0;
}

void GuidIndex::Reserve(std::size_t wanted)
{
    if (const std::size_t capacity = LinearProbing::CapacityFor(wanted); capacity > slots.size())
        Grow(capacity);
}

void GuidIndex::Grow(std::size_t capacity)
{
    std::vector<Slot> old = std::move(slots);
    slots.assign(capacity, Slot());
    count = 0;
    for (const Slot& slot : old)
        if (slot.element != nullptr)
            Insert(slot.guid, slot.element);
}

} // namespace Host
