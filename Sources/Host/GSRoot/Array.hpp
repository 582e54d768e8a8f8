// GS::Array: the host's growable array.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "GSTypes.hpp"

namespace GS {

template <typename T> class Array {
public:
    Array() = default;
    Array(std::initializer_list<T> items) : items(items) {}

    void Push(const T& item) { items.push_back(item); }
    void Append(const Array& other) { items.insert(items.end(), other.items.begin(), other.items.end()); }
    void Insert(UInt32 index, const T& item) { items.insert(items.begin() + index, item); }
    void Delete(UInt32 index) { items.erase(items.begin() + index); }
    void Clear() { items.clear(); }
    void SetSize(UInt32 size) { items.resize(size); }

    UInt32 GetSize() const { return UInt32(items.size()); }
    bool IsEmpty() const { return items.empty(); }
    bool Contains(const T& item) const { return std::find(items.begin(), items.end(), item) != items.end(); }
    // Index of the first equal item, or GetSize() when there is none.
    UInt32 FindFirst(const T& item) const
    {
        return UInt32(std::find(items.begin(), items.end(), item) - items.begin());
    }

    T& operator[](UInt32 index) { return items[index]; }
    const T& operator[](UInt32 index) const { return items[index]; }
    T& GetLast() { return items.back(); }
    const T& GetLast() const { return items.back(); }

    bool operator==(const Array& other) const { return items == other.items; }

    auto begin() { return items.begin(); }
    auto end() { return items.end(); }
    auto begin() const { return items.begin(); }
    auto end() const { return items.end(); }

private:
    std::vector<T> items;
};

} // namespace GS
