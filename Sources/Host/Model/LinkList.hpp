// The links of one element to its partners, in the order they were made, with constant-time
// tests and removal: an Arealist links a dozen zones, but nothing stops one from linking
// thousands, and every relink asks whether a link exists.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "../API/APIdefs.hpp"

namespace Host {

class LinkList {
public:
    struct Entry {
        API_Guid partner;
        GSFlags flags = 0;
    };

    bool Contains(const API_Guid& partner) const { return Locate(partner) != npos; }
    // False when the link exists already.
    bool Add(const API_Guid& partner, GSFlags flags);
    // False when there is no such link.
    bool Remove(const API_Guid& partner);
    void Clear();

    std::size_t Size() const { return liveCount; }
    bool Empty() const { return liveCount == 0; }

    // Calls `visit(const Entry&)` for every link in the order they were made.
    template <typename Visit> void ForEach(Visit&& visit) const
    {
        for (const Slot& slot : slots)
            if (slot.live)
                visit(slot.entry);
    }
    std::vector<Entry> Entries() const;

    // Same links with the same flags in the same order.
    bool operator==(const LinkList& other) const;

private:
    struct Slot {
        Entry entry;
        bool live = true;
    };
    static constexpr std::size_t npos = std::size_t(-1);
    // Below this many slots a scan is cheaper than a hash lookup and the index is not kept.
    static constexpr std::size_t indexThreshold = 16;

    std::size_t Locate(const API_Guid& partner) const;
    void Compact();
    void BuildIndex();

    std::vector<Slot> slots; // removed links stay as dead slots until they outnumber the live ones
    std::unordered_map<API_Guid, std::uint32_t> index; // partner -> slot, only above the threshold
    std::size_t liveCount = 0;
};

} // namespace Host
