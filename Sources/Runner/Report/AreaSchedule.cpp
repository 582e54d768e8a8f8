// Builds the area schedule from the project's live zones: groups by TOP, orders TOPs and rooms,
// and adds up the displayed areas per category, per TOP and for the building.
#include "AreaSchedule.hpp"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "../Project/StateDump.hpp"

namespace Runner::Report {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// <0, 0, >0 as in strcmp, comparing runs of digits by value (leading zeros do not count).
int NaturalCompare(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t endA = i, endB = j;
            while (endA < a.size() && IsDigit(a[endA]))
                ++endA;
            while (endB < b.size() && IsDigit(b[endB]))
                ++endB;
            std::size_t startA = i, startB = j;
            while (startA + 1 < endA && a[startA] == '0')
                ++startA;
            while (startB + 1 < endB && b[startB] == '0')
                ++startB;
            // Without leading zeros the longer run is the larger number; equal lengths compare
            // digit by digit, so runs of any length work without overflow.
            if (endA - startA != endB - startB)
                return endA - startA < endB - startB ? -1 : 1;
            if (const int digits = a.substr(startA, endA - startA).compare(b.substr(startB, endB - startB)))
                return digits;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

void Add(Areas& sum, const Areas& areas)
{
    for (std::size_t k = 0; k < sum.size(); ++k)
        sum[k] += areas[k];
}

// Sums per category slot, kept in slot order.
using CategorySums = std::map<API_AttributeIndex, CategorySum>;

void AddTo(CategorySums& sums, const CategoryRef& category, const Areas& areas)
{
    CategorySum& sum = sums[category.index];
    sum.category = category;
    Add(sum.areas, areas);
}

std::vector<CategorySum> InOrder(CategorySums&& sums)
{
    std::vector<CategorySum> list;
    list.reserve(sums.size());
    for (auto& entry : sums)
        list.push_back(std::move(entry.second));
    return list;
}

struct Entry {
    ScheduleRoom room;
    UInt64 creationOrder = 0;
};

struct Group {
    std::string top;
    bool hasTop = true;
    std::vector<Entry> entries;
};

} // namespace

bool NaturalLess(std::string_view a, std::string_view b)
{
    const int natural = NaturalCompare(a, b);
    return natural != 0 ? natural < 0 : a < b;
}

AreaSchedule BuildAreaSchedule(const Host::Project& project)
{
    std::unordered_map<short, std::string> storeyNames;
    for (const Host::Story& story : project.stories)
        storeyNames[story.index] = story.name.empty() ? std::to_string(story.index) : story.name;
    std::unordered_map<API_AttributeIndex, CategoryRef> categories;
    for (const Host::ZoneCategory& category : project.zoneCategories)
        if (!category.deleted)
            categories[category.index] = CategoryRef{category.index, category.code.ToUtf8(), category.name};

    std::vector<Group> groups;
    std::unordered_map<std::string, std::size_t> groupOfTop;
    Group noTop;
    noTop.hasTop = false;
    for (const Host::StoredElement* stored : project.elements.OfType(API_ZoneID)) {
        const Host::Element& zone = stored->element;
        if (zone.deleted)
            continue;
        Entry entry;
        ScheduleRoom& room = entry.room;
        const auto storey = storeyNames.find(zone.story);
        room.storey = storey != storeyNames.end() ? storey->second : std::to_string(zone.story);
        room.storyIndex = zone.story;
        room.number = zone.number.ToUtf8();
        room.name = zone.name.ToUtf8();
        if (const auto category = categories.find(zone.category); category != categories.end())
            room.category = category->second;
        for (std::size_t k = 0; k < room.areas.size(); ++k)
            room.areas[k] = RoundArea(zone.quantities[k]);
        room.id = DumpId(zone);
        entry.creationOrder = zone.creationOrder;

        const Host::Param* topParam = FindParam(zone, "stApartmentId");
        std::string top = topParam != nullptr ? topParam->text.ToUtf8() : std::string();
        if (top.empty()) {
            noTop.entries.push_back(std::move(entry));
            continue;
        }
        auto [found, added] = groupOfTop.try_emplace(top, groups.size());
        if (added)
            groups.push_back(Group{std::move(top), true, {}});
        groups[found->second].entries.push_back(std::move(entry));
    }
    std::sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) { return NaturalLess(a.top, b.top); });
    if (!noTop.entries.empty())
        groups.push_back(std::move(noTop));

    AreaSchedule schedule;
    schedule.tops.reserve(groups.size());
    CategorySums building;
    for (Group& group : groups) {
        std::sort(group.entries.begin(), group.entries.end(), [](const Entry& a, const Entry& b) {
            if (a.room.storyIndex != b.room.storyIndex)
                return a.room.storyIndex < b.room.storyIndex;
            if (const int number = NaturalCompare(a.room.number, b.room.number))
                return number < 0;
            if (a.room.number != b.room.number)
                return a.room.number < b.room.number;
            return a.creationOrder < b.creationOrder;
        });
        ScheduleTop top;
        top.top = std::move(group.top);
        top.hasTop = group.hasTop;
        top.rooms.reserve(group.entries.size());
        CategorySums sums;
        for (Entry& entry : group.entries) {
            AddTo(sums, entry.room.category, entry.room.areas);
            AddTo(building, entry.room.category, entry.room.areas);
            Add(top.total, entry.room.areas);
            top.rooms.push_back(std::move(entry.room));
        }
        Add(schedule.buildingTotal, top.total);
        top.subtotals = InOrder(std::move(sums));
        schedule.tops.push_back(std::move(top));
    }
    schedule.buildingTotals = InOrder(std::move(building));
    return schedule;
}

} // namespace Runner::Report
