// An insertion-ordered set of link partners: dead slots keep removal O(1) without disturbing the
// order, and are squeezed out once they outnumber the live links.
#include "LinkList.hpp"

namespace Host {

std::size_t LinkList::Locate(const API_Guid& partner) const
{
    if (!index.empty()) {
        auto found = index.find(partner);
        return found == index.end() ? npos : found->second;
    }
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (slots[i].live && slots[i].entry.partner == partner)
            return i;
    return npos;
}

bool LinkList::Add(const API_Guid& partner, GSFlags flags)
{
    if (Contains(partner))
        return false;
    slots.push_back(Slot{Entry{partner, flags}, true});
    ++liveCount;
    if (!index.empty())
        index.emplace(partner, std::uint32_t(slots.size() - 1));
    else if (slots.size() > indexThreshold)
        BuildIndex();
    return true;
}

bool LinkList::Remove(const API_Guid& partner)
{
    const std::size_t at = Locate(partner);
    if (at == npos)
        return false;
    slots[at].live = false;
    --liveCount;
    if (!index.empty())
        index.erase(partner);
    if (slots.size() - liveCount > liveCount)
        Compact();
    return true;
}

void LinkList::Clear()
{
    slots.clear();
    index.clear();
    liveCount = 0;
}

void LinkList::Compact()
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (slots[i].live)
            slots[kept++] = slots[i];
    slots.resize(kept);
    index.clear();
    if (slots.size() > indexThreshold)
        BuildIndex();
    if (slots.empty())
        slots.shrink_to_fit();
}

void LinkList::BuildIndex()
{
    index.clear();
    index.reserve(slots.size());
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (slots[i].live)
            index.emplace(slots[i].entry.partner, std::uint32_t(i));
}

std::vector<LinkList::Entry> LinkList::Entries() const
{
    std::vector<Entry> entries;
    entries.reserve(liveCount);
    ForEach([&](const Entry& entry) { entries.push_back(entry); });
    return entries;
}

bool LinkList::operator==(const LinkList& other) const
{
    if (liveCount != other.liveCount)
        return false;
    const std::vector<Entry> mine = Entries(), theirs = other.Entries();
    for (std::size_t i = 0; i < mine.size(); ++i)
        if (!(mine[i].partner == theirs[i].partner) || mine[i].flags != theirs[i].flags)
            return false;
    return true;
}

} // namespace Host
