// The store's map from an element's id to the element: open addressing that points at the
// stored elements, whose own records hold the ids. Loading a 60,000-zone project indexes every
// element, so an entry costs no allocation and no copy of its id.
#pragma once

#include <string_view>
#include <vector>

#include "../API/APIdefs.hpp"

namespace Host {

struct StoredElement;

class IdIndex {
public:
    // The earliest created of the elements indexed under `id`; nullptr when there is none.
    const StoredElement* Find(std::string_view id) const;
    // Indexes `element` under its id as it is now (ids may repeat; an empty id is not indexed).
    // Take it out before its id changes.
    void Insert(const StoredElement* element);
    void Erase(const StoredElement* element);
    void Clear();
    void Reserve(std::size_t count);

private:
    struct Slot {
        UInt64 hash = 0;
        const StoredElement* element = nullptr; // nullptr: the slot is free
    };
    static UInt64 Hash(std::string_view id);
    std::size_t Home(UInt64 hash) const { return std::size_t(hash) & (slots.size() - 1); }
    void Place(const Slot& slot);
    void Grow(std::size_t capacity);

    std::vector<Slot> slots; // a power of two in size, at most half full
    std::size_t count = 0;
};

} // namespace Host
