// The store's map from GUID to element: open addressing with the keys inline, so that a lookup
// in a building of 60,000 zones touches one small table instead of a chain of scattered nodes.
#pragma once

#include <vector>

#include "../API/APIdefs.hpp"

namespace Host {

struct StoredElement;

class GuidIndex {
public:
    StoredElement* Find(const API_Guid& guid) const;
    // False when the GUID is in the index already (nothing changes then).
    bool Insert(const API_Guid& guid, StoredElement* element);
    void Erase(const API_Guid& guid);
    void Clear();
    void Reserve(std::size_t count);
    std::size_t Size() const { return count; }

private:
    struct Slot {
        API_Guid guid;
        StoredElement* element = nullptr; // nullptr: the slot is free
    };
    std::size_t Home(const API_Guid& guid) const;
    void Grow(std::size_t capacity);

    std::vector<Slot> slots; // a power of two in size, at most half full
    std::size_t count = 0;
};

} // namespace Host
