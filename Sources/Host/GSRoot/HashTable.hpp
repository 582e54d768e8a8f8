// GS::HashTable: unique keys, enumerated in insertion order; deleting an entry moves the last
// entry into its place (callers rely on this order).
#pragma once

#include <unordered_map>
#include <utility>
#include <vector>

#include "GSTypes.hpp"

namespace GS {

template <typename Key, typename Value, typename Hasher = std::hash<Key>> class HashTable {
public:
    struct Entry {
        Key key;
        Value value;
    };

    // Returns false (and changes nothing) when the key exists.
    bool Add(const Key& key, const Value& value)
    {
        if (positions.count(key) != 0)
            return false;
        positions.emplace(key, entries.size());
        entries.push_back(Entry{key, value});
        return true;
    }

    // Adds the key or replaces its value.
    void Put(const Key& key, const Value& value)
    {
        if (Value* existing = GetPtr(key))
            *existing = value;
        else
            Add(key, value);
    }

    bool Delete(const Key& key)
    {
        auto found = positions.find(key);
        if (found == positions.end())
            return false;
        const std::size_t position = found->second;
        positions.erase(found);
        if (position + 1 != entries.size()) {
            entries[position] = std::move(entries.back());
            positions[entries[position].key] = position;
        }
        entries.pop_back();
        return true;
    }

    bool ContainsKey(const Key& key) const { return positions.count(key) != 0; }
    Value* GetPtr(const Key& key)
    {
        auto found = positions.find(key);
        return found == positions.end() ? nullptr : &entries[found->second].value;
    }
    const Value* GetPtr(const Key& key) const
    {
        auto found = positions.find(key);
        return found == positions.end() ? nullptr : &entries[found->second].value;
    }
    // The key must exist.
    Value& Get(const Key& key) { return *GetPtr(key); }
    const Value& Get(const Key& key) const { return *GetPtr(key); }

    UInt32 GetSize() const { return UInt32(entries.size()); }
    bool IsEmpty() const { return entries.empty(); }
    void Clear()
    {
        entries.clear();
        positions.clear();
    }

    auto begin() { return entries.begin(); }
    auto end() { return entries.end(); }
    auto begin() const { return entries.cbegin(); }
    auto end() const { return entries.cend(); }

private:
    std::vector<Entry> entries;
    std::unordered_map<Key, std::size_t, Hasher> positions;
};

} // namespace GS
