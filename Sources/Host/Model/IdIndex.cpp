// Linear probing with backward-shift deletion, as in the GUID index; equal ids share a probe run.
#include "IdIndex.hpp"

#include <functional>

#include "ElementStore.hpp"
#include "LinearProbing.hpp"

namespace Host {

UInt64 IdIndex::Hash(std::string_view id)
{
    return UInt64(std::hash<std::string_view>()(id)) * 0x9E3779B97F4A7C15ull;
}

const StoredElement* IdIndex::Find(std::string_view id) const
{
    if (count == 0 || id.empty())
        return nullptr;
    const UInt64 hash = Hash(id);
    const std::size_t mask = slots.size() - 1;
    const StoredElement* earliest = nullptr;
    for (std::size_t at = Home(hash); slots[at].element != nullptr; at = (at + 1) & mask) {
        const Slot& slot = slots[at];
        if (slot.hash == hash && slot.element->element.id == id &&
            (earliest == nullptr || slot.element->element.creationOrder < earliest->element.creationOrder))
            earliest = slot.element;
    }
    return earliest;
}

void IdIndex::Insert(const StoredElement* element)
{
    if (element->element.id.empty())
        return;
    if (2 * (count + 1) > slots.size())
        Grow(slots.empty() ? 16 : 2 * slots.size());
    Place(Slot{Hash(element->element.id), element});
}

void IdIndex::Place(const Slot& slot)
{
    const std::size_t mask = slots.size() - 1;
    std::size_t at = Home(slot.hash);
    while (slots[at].element != nullptr)
        at = (at + 1) & mask;
    slots[at] = slot;
    ++count;
}

void IdIndex::Erase(const StoredElement* element)
{
    if (count == 0 || element->element.id.empty())
        return;
    const std::size_t mask = slots.size() - 1;
    std::size_t hole = Home(Hash(element->element.id));
    while (slots[hole].element != nullptr && slots[hole].element != element)
        hole = (hole + 1) & mask;
    if (slots[hole].element == nullptr)
        return;
    LinearProbing::EraseAt(slots, hole, [this](const Slot& slot) { return Home(slot.hash); });
    --count;
}

void IdIndex::Clear()
{
    slots.clear();
    count = 0;
}

void IdIndex::Reserve(std::size_t wanted)
{
    if (const std::size_t capacity = LinearProbing::CapacityFor(wanted); capacity > slots.size())
        Grow(capacity);
}

void IdIndex::Grow(std::size_t capacity)
{
    std::vector<Slot> old = std::move(slots);
    slots.assign(capacity, Slot());
    count = 0;
    for (const Slot& slot : old)
        if (slot.element != nullptr)
            Place(slot);
}

} // namespace Host
