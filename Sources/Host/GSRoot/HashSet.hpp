// GS::HashSet: no duplicates, enumerated in insertion order; deleting a member moves the last
// member into its place (callers rely on this order).
#pragma once

#include <unordered_map>
#include <vector>

#include "GSTypes.hpp"

namespace GS {

template <typename T, typename Hasher = std::hash<T>> class HashSet {
public:
    HashSet() = default;
    HashSet(std::initializer_list<T> items)
    {
        for (const T& item : items)
            Add(item);
    }

    // Returns false (and changes nothing) when the item is already a member.
    bool Add(const T& item)
    {
        if (positions.count(item) != 0)
            return false;
        positions.emplace(item, members.size());
        members.push_back(item);
        return true;
    }

    // Returns false when the item is not a member.
    bool Delete(const T& item)
    {
        auto found = positions.find(item);
        if (found == positions.end())
            return false;
        const std::size_t position = found->second;
        positions.erase(found);
        if (position + 1 != members.size()) {
            members[position] = members.back();
            positions[members[position]] = position;
        }
        members.pop_back();
        return true;
    }

    bool Contains(const T& item) const { return positions.count(item) != 0; }
    UInt32 GetSize() const { return UInt32(members.size()); }
    bool IsEmpty() const { return members.empty(); }
    void Clear()
    {
        members.clear();
        positions.clear();
    }

    auto begin() const { return members.cbegin(); }
    auto end() const { return members.cend(); }

private:
    std::vector<T> members;
    std::unordered_map<T, std::size_t, Hasher> positions;
};

} // namespace GS
